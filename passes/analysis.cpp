#include "passes/analysis.h"

#include "geometry/clip.h"
#include "platform/progress.h"

#include <algorithm>
#include <cmath>

namespace zel {
namespace {

constexpr float columnWidth = 360.0f;
// A level spreading wider than this is taken to wrap round the globe.
constexpr float widestLevel = 180.0f;

// Moves one bound of a box: a value below the minimum lowers it, otherwise a
// value above the maximum raises it.
void widenAxis(float& min, float& max, float value) {
    if (value < min)
        min = value;
    else if (value > max)
        max = value;
}

void widen(Box& box, const Box& other) {
    widenAxis(box.minX, box.maxX, other.minX);
    widenAxis(box.minX, box.maxX, other.maxX);
    widenAxis(box.minY, box.maxY, other.minY);
    widenAxis(box.minY, box.maxY, other.maxY);
}

// The level box as objects are added: the first sets it, the others widen it.
class LevelBox {
public:
    explicit LevelBox(Box& box) : box(box) {}

    void add(const Box& other) {
        if (set) {
            widen(box, other);
        } else {
            box = other;
            set = true;
        }
    }

private:
    Box& box;
    bool set = false;
};

// The 360-degree column of a longitude, rounded down.
int32_t columnOf(float longitude) {
    const float columns = longitude / columnWidth;
    return static_cast<int32_t>(columns) - (longitude < 0.0f ? 1 : 0);
}

void cutToColumn(const mapPoly& object, PolyKind kind, const Rect& column,
                 std::vector<mapPoly>& cut) {
    if (kind == PolyKind::polyline) {
        clipLine(object, column, cut);
        return;
    }
    std::vector<std::vector<mapPoint>> rings;
    clipPolygon(object.points.data(), object.points.size(), column, rings);
    for (std::vector<mapPoint>& ring : rings) {
        cut.push_back(object);
        cut.back().points = std::move(ring);
    }
}

// Cuts the level's lines or polygons at the 360-degree columns and widens the
// level box by every piece. Nearly every object gives at most one piece, so
// the pieces are written back into the list they came from; only when an
// object gives more pieces than there is room before the next unread object
// are the objects still to come moved aside to a list of their own.
void normalizeObjects(std::vector<mapPoly>& objects, PolyKind kind, LevelBox& levelBox,
                      cProgress& progress) {
    std::vector<mapPoly> pieces;
    // Once set aside, the objects still to come are read from `rest`.
    std::vector<mapPoly> rest;
    bool setAside = false;
    size_t written = 0;
    size_t read = 0;
    const auto unread = [&]() -> std::vector<mapPoly>& { return setAside ? rest : objects; };
    while (read < unread().size()) {
        pieces.clear();
        normalizeLongitudes(unread()[read], kind, pieces);
        ++read;
        if (!setAside && written + pieces.size() > read) {
            // The pieces would overwrite objects not yet read.
            rest.assign(
                std::make_move_iterator(objects.begin() + static_cast<std::ptrdiff_t>(read)),
                std::make_move_iterator(objects.end()));
            objects.resize(written);
            setAside = true;
            read = 0;
        }
        for (mapPoly& piece : pieces) {
            // The piece, not the uncut object, must fit the level box: a piece
            // moved to 359 degrees lies far from where the object started.
            levelBox.add(boundingBox(piece.points));
            if (written < objects.size())
                objects[written] = std::move(piece);
            else
                objects.push_back(std::move(piece));
            ++written;
        }
        progress.tick();
    }
    objects.resize(written);
}

void analyzeLevel(mapLevel& level, cProgress& progress) {
    LevelBox levelBox(level.bbox);
    for (mapPoi& poi : level.pois) {
        if (poi.pos.x < 0.0f)
            poi.pos.x = static_cast<float>(poi.pos.x + 360.0);
        levelBox.add({poi.pos.x, poi.pos.y, poi.pos.x, poi.pos.y});
        progress.tick();
    }
    normalizeObjects(level.polygons, PolyKind::polygon, levelBox, progress);
    normalizeObjects(level.lines, PolyKind::polyline, levelBox, progress);
    if (level.bbox.maxX - level.bbox.minX > widestLevel) {
        level.bbox.minX = 0.0f;
        level.bbox.maxX = 360.0f;
    }
}

} // namespace

void countObjects(cMapPolish& map) {
    map.poiCount = map.lineCount = map.polygonCount = 0;
    for (const mapLevel& level : map.levels) {
        map.poiCount += static_cast<uint32_t>(level.pois.size());
        map.lineCount += static_cast<uint32_t>(level.lines.size());
        map.polygonCount += static_cast<uint32_t>(level.polygons.size());
    }
}

bool normalizeLongitudes(mapPoly& object, PolyKind kind, std::vector<mapPoly>& pieces) {
    if (object.points.empty())
        return false;
    object.bbox = boundingBox(object.points);
    int32_t c0 = columnOf(object.bbox.minX);
    int32_t c1 = columnOf(object.bbox.maxX);
    // An object starting exactly on a column edge is cut against the column
    // west of it too, as the column test is on closed rectangles.
    if (object.bbox.minX == static_cast<float>(c0) * columnWidth) {
        --c0;
        if (object.bbox.maxX == static_cast<float>(c0 + 1) * columnWidth)
            ++c1;
    }
    // Most objects lie inside one column: they are kept as they are, less
    // what the cut would drop, instead of being copied by the cut.
    if (c0 == c1) {
        const float west = static_cast<float>(c0) * columnWidth;
        const InPlaceCut inPlace =
            cutInPlace(object, kind, Rect{west, -90.0f, west + columnWidth, 90.0f});
        if (inPlace != InPlaceCut::notInside) {
            if (inPlace == InPlaceCut::kept) {
                if (west != 0.0f) {
                    for (mapPoint& p : object.points)
                        p.x -= west;
                }
                pieces.push_back(std::move(object));
            }
            return true;
        }
    }
    std::vector<mapPoly> cut;
    for (int32_t c = c0; c <= c1; ++c) {
        const float west = static_cast<float>(c) * columnWidth;
        cut.clear();
        cutToColumn(object, kind, Rect{west, -90.0f, west + columnWidth, 90.0f}, cut);
        for (mapPoly& piece : cut) {
            for (mapPoint& p : piece.points)
                p.x -= west;
            pieces.push_back(std::move(piece));
        }
    }
    return true;
}

void analyzeLevels(cMapPolish& map) {
    cProgress progress;
    progress.start("Analyzing", map.poiCount + map.lineCount + map.polygonCount);
    for (mapLevel& level : map.levels)
        analyzeLevel(level, progress);
    progress.finish();
}

} // namespace zel
