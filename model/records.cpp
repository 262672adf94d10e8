#include "model/records.h"

namespace zel {

Box boundingBox(const std::vector<mapPoint>& points) {
    Box box{points[0].x, points[0].y, points[0].x, points[0].y};
    for (size_t i = 1; i < points.size(); ++i) {
        const mapPoint& p = points[i];
        if (p.x < box.minX)
            box.minX = p.x;
        else if (p.x > box.maxX)
            box.maxX = p.x;
        if (p.y < box.minY)
            box.minY = p.y;
        else if (p.y > box.maxY)
            box.maxY = p.y;
    }
    return box;
}

} // namespace zel
