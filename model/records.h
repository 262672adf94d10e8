// The records of the map model: points and boxes in degrees, points of
// interest, polylines and polygons, and the levels that hold them.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace zel {

// Degrees: x is the longitude, y the latitude (the file writes them the other
// way round).
struct mapPoint {
    float x = 0.0f;
    float y = 0.0f;
};

struct Box {
    float minX = 0.0f;
    float minY = 0.0f;
    float maxX = 0.0f;
    float maxY = 0.0f;
};

// The box of a non-empty list of points: the first point sets it, each further
// one lowers a minimum or, failing that, raises a maximum.
Box boundingBox(const std::vector<mapPoint>& points);

// A routing node on a point of a polyline.
struct mapNodeRef {
    uint16_t pointIndex = 0;
    int32_t nodeId = 0;
    // Non-zero for a node on the map's boundary, where it joins a neighbour map.
    uint16_t boundary = 0;
};

// A turn restriction as read: from road1 through node2 onto road2 is forbidden.
struct mapRestriction {
    int32_t node1 = 0;
    int32_t node2 = 0;
    int32_t node3 = 0;
    int32_t road1 = 0;
    int32_t road2 = 0;
};

struct mapPoi {
    int32_t level = -1;
    int32_t endLevel = -1;
    int32_t type = -1;
    std::u16string label;
    // Numbers of texts in the map's addressTexts; 0 for none.
    uint32_t houseNumber = 0;
    uint32_t streetDesc = 0;
    // The city as numbered in the file (from 1); 0 when there is none.
    int32_t cityIdx = 0;
    uint8_t isCity = 0;
    // Left out of the address index.
    uint8_t dontFind = 0;
    // (0, 0) means the object has no position yet.
    mapPoint pos;
};

// Whether a mapPoly is a polyline or a polygon ring: the few steps that treat
// them differently take it as an argument.
enum class PolyKind { polyline, polygon };

// One polyline or one polygon on one level.
struct mapPoly {
    int32_t level = -1;
    int32_t endLevel = -1;
    int32_t type = -1;
    // Polygons: three times the number of floors; -1 when not given.
    int32_t floorsHeight = -1;
    uint8_t speed = 0;
    uint8_t roadClass = 1;
    // Bit 0 one-way, bit 1 toll road, bit 2 direction indicator given.
    uint8_t roadFlags = 0;
    uint8_t accessFlags = 0;
    // Travels with the route parameters into the road table, where the road's
    // weight is later kept; the reader leaves it 0.
    uint32_t weight = 0;
    int32_t roadId = 0;
    std::vector<mapNodeRef> nodeRefs;
    // Point index → height level.
    std::map<int32_t, int32_t> heightLevels;
    Box bbox;
    std::u16string label;
    // Numbers of texts in the map's addressTexts; 0 for none.
    uint32_t houseNumber = 0;
    uint32_t streetDesc = 0;
    int32_t cityIdx = 0;
    uint8_t dontFind = 0;
    std::vector<mapPoint> points;
    // One height per point once heights are computed; empty before.
    std::vector<float> heights;
};

struct mapLevel {
    Box bbox;
    // Resolution of the level in bits (26 is the finest).
    uint8_t bits = 0;
    std::vector<mapPoi> pois;
    std::vector<mapPoly> lines;
    std::vector<mapPoly> polygons;
    // Point counts of the objects committed here, before simplification.
    uint32_t linePoints = 0;
    uint32_t polygonPoints = 0;
};

} // namespace zel
