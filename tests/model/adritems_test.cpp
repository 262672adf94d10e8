#include "model/adritems.h"

#include <gtest/gtest.h>

#include <vector>

namespace zel {
namespace {

TEST(CityKinds, FindKindCreatesMissingRecordsInSortedPlace) {
    cCityInfo city(u"Town", 0);
    KindTable* streets = &findKind(city, 2);
    EXPECT_EQ(streets, &city.kindTables[1]);
    findKind(city, 5).count = 4;
    findKind(city, 0).pos = 8;
    findKind(city, 4);

    std::vector<uint32_t> kinds;
    for (const KindTable& table : city.kindTables)
        kinds.push_back(table.kind);
    EXPECT_EQ(kinds, (std::vector<uint32_t>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(city.kindTables[0].pos, 8u);
    EXPECT_EQ(city.kindTables[5].count, 4u);
    EXPECT_EQ(city.childCount, 6u); // announces every record written
}

} // namespace
} // namespace zel
