// The house numbers and street descriptions of a map's objects. They are read
// with the objects but used by one pass only, the address index; kept in the
// records, as two strings each, they would cost every copy of every object
// 64 bytes and a heap block for each long one, for the whole run. Here they
// lie in one block of text that the address pass releases when done.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zel {

class AddressTexts {
public:
    // The number of a text; `none` (0) stands for an empty one, and is what
    // a text gets that no longer fits (after four billion of them).
    static constexpr uint32_t none = 0;

    uint32_t add(std::u16string_view text);
    // The text of a number; empty for `none` and for any number not given.
    std::u16string_view at(uint32_t number) const;
    // One past the largest number given.
    uint32_t end() const { return static_cast<uint32_t>(ends.size()); }
    // Empties the store and gives its memory back.
    void release();

private:
    std::u16string units;
    // Text n (from 1) is units[ends[n - 1], ends[n]).
    std::vector<uint64_t> ends{0};
};

} // namespace zel
