#include "writer/routingfile.h"

#include "format/routing.h"

#include <gtest/gtest.h>

namespace zel {
namespace {

// Road index 0 stands for "no road": the table starts with road 1, and
// writing (for any level) leaves the model's table alone.
TEST(RoutingFile, RoadZeroIsSkippedAndOtherLevelsGetTheBareHeader) {
    Bytes bare = {'B', 'R', 'I', 'F'};
    bare.resize(44, 0);
    cMapPolish map;
    EXPECT_EQ(routingFile(map, 0), bare);
    const std::vector<std::pair<uint8_t, uint8_t>> speeds = {{0, 0},  {5, 0},   {6, 1},   {90, 5},
                                                             {91, 6}, {110, 6}, {111, 7}, {255, 7}};
    map.routeInfo.roads.push_back({99, 9, 9, 9, 0});
    for (const auto& [speed, speedClass] : speeds)
        map.routeInfo.roads.push_back({speed, 3, 5, 0x80, 1234});
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(routingFile(map, 1), bare);
        const format::RoutingSection section = format::decodeRouting(routingFile(map, 0));
        EXPECT_TRUE(section.valid());
        ASSERT_EQ(section.roads.size(), speeds.size());
        for (size_t i = 0; i < speeds.size(); ++i) {
            EXPECT_EQ(section.roads[i], (format::RoutingRoad{speeds[i].second, 3, 5, 0x80}))
                << int{speeds[i].first} << " km/h";
        }
    }
    EXPECT_EQ(map.routeInfo.roads.size(), speeds.size() + 1);
}

} // namespace
} // namespace zel
