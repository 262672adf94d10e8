// The set of label characters: every UTF-16 unit that some label uses. The
// character block of the output stores it as a string holding each unit
// once, in ascending order.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zel {

// A bit per possible unit: every label of a map passes through here, nearly
// always bringing no new unit, and a bit answers that at once.
class LabelChars {
public:
    LabelChars() = default;
    explicit LabelChars(std::u16string_view units) { add(units); }

    void add(std::u16string_view units);
    void clear() { bits.fill(0); }
    // The units, each once, ascending.
    std::u16string units() const;
    size_t size() const;

private:
    std::array<uint64_t, 65536 / 64> bits{};
};

} // namespace zel
