// Random geometry against random rectangles: clipping must end, and every
// polygon ring it yields must lie in the closed rectangle.
#include "geometry/clip.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

float takeFloat(const uint8_t*& data, size_t& size) {
    int16_t raw = 0;
    if (size >= 2) {
        std::memcpy(&raw, data, 2);
        data += 2;
        size -= 2;
    }
    // Small integers and halves: many points fall exactly on the borders.
    return static_cast<float>(raw % 64) * 0.5f;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    float x0 = takeFloat(data, size), y0 = takeFloat(data, size);
    float x1 = takeFloat(data, size), y1 = takeFloat(data, size);
    if (!(x0 < x1) || !(y0 < y1))
        return 0;
    const zel::Rect rect{x0, y0, x1, y1};
    zel::mapPoly line;
    while (size >= 4)
        line.points.push_back({takeFloat(data, size), takeFloat(data, size)});
    for (size_t i = 0; i < line.points.size(); i += 3)
        line.nodeRefs.push_back({static_cast<uint16_t>(i), static_cast<int32_t>(i), 0});
    line.heights.assign(line.points.size() / 2, 1.0f);

    std::vector<zel::mapPoly> parts;
    zel::clipLine(line, rect, parts);
    std::vector<std::vector<zel::mapPoint>> rings;
    zel::clipPolygon(line.points.data(), line.points.size(), rect, rings);
    for (const auto& ring : rings) {
        if (ring.size() < 3)
            std::abort();
        for (const zel::mapPoint& p : ring) {
            if (p.x < x0 || p.x > x1 || p.y < y0 || p.y > y1)
                std::abort();
        }
    }
    return 0;
}
