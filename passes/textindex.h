// A set of distinct texts, each given a number in the order it was first
// seen. The texts are the model's own strings, looked at, not copied; a map
// holds hundreds of thousands of labels and street names, most of them the
// same few thousand, and this finds a text's number with one hash and,
// nearly always, one comparison.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace zel {

class TextIndex {
public:
    // The number of `text`, which is added when new. The text must outlive
    // the index.
    uint32_t add(std::u16string_view text);
    // The number of `text`, or `none` when it was never added.
    uint32_t find(std::u16string_view text) const;
    // The texts in the order of their numbers.
    const std::vector<std::u16string_view>& texts() const { return distinct; }

    static constexpr uint32_t none = UINT32_MAX;

private:
    // A slot of 8 bytes keeps the table of a large map small; 32 bits of hash
    // still settle nearly every comparison.
    struct Slot {
        uint32_t hash = 0;
        uint32_t number = none;
    };

    static uint32_t hashOf(std::u16string_view text);
    size_t slotOf(std::u16string_view text, uint32_t hash) const;
    void grow();

    std::vector<Slot> slots = std::vector<Slot>(64);
    std::vector<std::u16string_view> distinct;
};

} // namespace zel
