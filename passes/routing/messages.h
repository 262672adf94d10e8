// Everything the routing passes print, in one place. "%d" values are shown as
// signed 32-bit numbers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zel::routingMessages {

constexpr std::string_view collectLabel = "RouteInfo";
constexpr std::string_view reindexLabel = "ReIndexes";
constexpr std::string_view arcsLabel = "Creating adjustment";
constexpr std::string_view restrictionsLabel = "Restrictions";
constexpr std::string_view externLabel = "Extern node adjustments";

constexpr std::string_view routeInfoAbsent = "RouteInfo is absent\n";

inline std::string number(uint32_t value) {
    return std::to_string(static_cast<int32_t>(value));
}

inline std::string polylineNodeNotFound(uint32_t id) {
    return "error polyline: node " + number(id) + " isn't found\n";
}
inline std::string polylineRoadNotFound(uint32_t id) {
    return "error polyline: roadId " + number(id) + " isn't found\n";
}
inline std::string restrictionNodeNotFound(uint32_t id) {
    return "error restriction: node " + number(id) + " not founded\n";
}
inline std::string tempRestrictionNodeNotFound(uint32_t id) {
    return "error temp restriction: node " + number(id) + " not founded\n";
}
// Temporary restrictions report an unknown road in the same words.
inline std::string restrictionRoadNotFound(uint32_t id) {
    return "error restriction: roadId " + number(id) + " isn't found\n";
}
inline std::string wrongRoadId(uint32_t road) {
    return "wrong roadId " + number(road) + " \n";
}
inline std::string wrongBoundaryPoint(uint32_t pointIndex) {
    return "wrong nodeX " + number(pointIndex) + " index\n";
}

// The message on a node reference beyond its line comes in three parts: the
// head, each point index that lies beyond, and the tail.
constexpr std::string_view nodeIndexHead = "Error: can't find node(s) index:";
inline std::string nodeIndexBeyond(uint32_t pointIndex) {
    // Appended rather than `" " + number(...)`, which GCC 12 at -O3 flags with
    // a false -Wrestrict warning.
    std::string text = " ";
    text += number(pointIndex);
    return text;
}
inline std::string nodeIndexTail(uint32_t pointCount, uint32_t road) {
    return "(all elem: " + number(pointCount) + ") in polyline(RoadId): " + number(road) + "\n";
}

inline std::string viaNodeAbsent(uint32_t node) {
    return "Node " + number(node) + " is absent in adjustments and in replacements\n";
}
inline std::string replacementSetAbsent(uint32_t node) {
    return " \n Replacementset is absent for node " + number(node) + "\n";
}

} // namespace zel::routingMessages
