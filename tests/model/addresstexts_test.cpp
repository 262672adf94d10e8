#include "model/addresstexts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zel {
namespace {

// Each text reads back as it was added, however the texts around it look
// (empty ones, repeats, units that end or embed a zero); an empty text and
// the number of none read back empty, as does a number never given; released,
// the store gives nothing back and numbers start afresh.
TEST(AddressTexts, TextsReadBackByTheirNumbers) {
    AddressTexts store;
    const std::vector<std::u16string> texts = {u"12a",
                                               u"",
                                               u"Main Street",
                                               u"12a",
                                               std::u16string(u"x\0y", 3),
                                               u"\xD800",
                                               u"",
                                               std::u16string(70000, u'z')};
    std::vector<uint32_t> numbers;
    for (const std::u16string& text : texts)
        numbers.push_back(store.add(text));
    for (size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(store.at(numbers[i]), texts[i]) << i;
        EXPECT_EQ(numbers[i] == AddressTexts::none, texts[i].empty()) << i;
    }
    EXPECT_NE(numbers[0], numbers[3]);
    EXPECT_TRUE(store.at(AddressTexts::none).empty());
    EXPECT_TRUE(store.at(1000).empty());
    store.release();
    EXPECT_TRUE(store.at(numbers[0]).empty());
    EXPECT_EQ(store.add(u"7"), numbers[0]);
    EXPECT_EQ(store.at(numbers[0]), u"7");
}

} // namespace
} // namespace zel
