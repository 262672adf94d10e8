#include "writer/tiling.h"

#include "geometry/clip.h"
#include "model/radixsort.h"
#include "platform/console.h"
#include "platform/progress.h"
#include "writer/addressfile.h"
#include "writer/encode.h"
#include "writer/messages.h"
#include "writer/routingfile.h"
#include "writer/sidefile.h"
#include "writer/squares.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <unordered_map>

namespace zel {
namespace {

namespace msg = writerMessages;

// The level's squares: every square of the level's box (columns clamped to one
// turn round the globe), of which only those that receive an object get a
// block.
class SquareList {
public:
    SquareList(const SquareGrid& grid, const Box& levelBox) : grid(grid) {
        range = grid.rangeOfBox(levelBox);
        range.c0 = std::max(range.c0, 0);
        range.c1 = std::min<int32_t>(range.c1, static_cast<int32_t>(grid.squaresPerRow) - 1);
    }

    uint64_t size() const {
        return range.columns() > 0 && range.rows() > 0
                   ? static_cast<uint64_t>(range.columns()) * static_cast<uint64_t>(range.rows())
                   : 0;
    }

    bool contains(int32_t number) const {
        int32_t column = 0, row = 0;
        grid.columnAndRow(number, column, row);
        return column >= range.c0 && column <= range.c1 && row >= range.r0 && row <= range.r1;
    }

    // Where the square stands in the full list, row by row from west to east.
    uint64_t position(int32_t number) const {
        int32_t column = 0, row = 0;
        grid.columnAndRow(number, column, row);
        return static_cast<uint64_t>((int64_t{row} - range.r0) * range.columns() +
                                     (column - range.c0));
    }

    const SquareGrid& grid;
    SquareRange range;
};

// Which objects may leave records in which squares, found before any object
// is cut, so that the squares can then be cut, encoded and written one at a
// time, in the order of their numbers, without holding a copy of the level.
// Each list holds (square, object position) pairs, sorted.
class Candidates {
public:
    void add(int32_t square, size_t object) {
        keys.push_back(uint64_t{static_cast<uint32_t>(square) ^ signBit} << 32 |
                       static_cast<uint32_t>(object));
    }
    void seal() {
        radixSort(keys, [](uint64_t key) { return key; });
    }

    bool atSquare(int32_t square) const {
        return next < keys.size() && squareOf(keys[next]) == square;
    }
    // The next object of the square `atSquare` said is next.
    uint32_t take() { return static_cast<uint32_t>(keys[next++]); }
    // The lowest square still to come; `last` when none.
    int32_t nextSquare(int32_t last) const {
        return next < keys.size() ? std::min(squareOf(keys[next]), last) : last;
    }
    bool done() const { return next == keys.size(); }

private:
    // Square numbers are signed; flipping the sign bit keeps their order
    // among unsigned keys.
    static constexpr uint32_t signBit = 0x80000000u;
    static int32_t squareOf(uint64_t key) {
        return static_cast<int32_t>(static_cast<uint32_t>(key >> 32) ^ signBit);
    }

    std::vector<uint64_t> keys;
    size_t next = 0;
};

void addSquares(const SquareGrid& grid, const SquareRange& r, std::vector<int32_t>& numbers) {
    for (int64_t row = r.r0; row <= r.r1; ++row) {
        for (int64_t column = r.c0; column <= r.c1; ++column)
            numbers.push_back(grid.number(column, row));
    }
}

// A segment's box of squares larger than this is not walked square by square.
constexpr int64_t smallBox = 64;

// The squares of a large box that matter: those outside the level's range
// (`range`; each gives a message), walked as the difference of the two boxes,
// and those the segment from a to b can reach, column by column, with a row
// to spare on either side (the product's own cell arithmetic is in f32). A
// square left out lies inside the range and far from the segment, so cutting
// the line to it gives nothing.
void addLargeBox(const SquareGrid& grid, const SquareRange& box, const SquareRange& range,
                 mapPoint a, mapPoint b, std::vector<int32_t>& numbers) {
    const int64_t perRow = grid.squaresPerRow;
    for (int64_t row = box.r0; row <= box.r1; ++row) {
        const bool rowInside = row >= range.r0 && row <= range.r1;
        for (int64_t column = box.c0; column <= box.c1; ++column) {
            // The contained squares of the row form one run, skipped whole.
            // (Columns beyond one turn name squares of a neighbouring row,
            // which are walked.)
            if (column >= 0 && column < perRow && rowInside && column >= range.c0 &&
                column <= range.c1) {
                column = std::min<int64_t>(range.c1, box.c1);
                continue;
            }
            numbers.push_back(grid.number(column, row));
        }
    }
    const double deg = grid.squareDeg;
    const double ax = a.x, ay = a.y, bx = b.x, by = b.y;
    for (int64_t column = std::max<int64_t>(box.c0, 0);
         column <= std::min<int64_t>(box.c1, perRow - 1); ++column) {
        const double west = std::max(static_cast<double>(column) * deg, std::min(ax, bx));
        const double east = std::min(static_cast<double>(column + 1) * deg, std::max(ax, bx));
        if (west > east)
            continue; // the segment does not reach this column
        double low = std::min(ay, by);
        double high = std::max(ay, by);
        if (ax != bx) {
            const double yWest = ay + (by - ay) * ((west - ax) / (bx - ax));
            const double yEast = ay + (by - ay) * ((east - ax) / (bx - ax));
            low = std::min(yWest, yEast);
            high = std::max(yWest, yEast);
        }
        const int64_t r0 =
            std::max<int64_t>(box.r0, static_cast<int64_t>(std::floor(low / deg)) - 1);
        const int64_t r1 =
            std::min<int64_t>(box.r1, static_cast<int64_t>(std::floor(high / deg)) + 1);
        for (int64_t row = r0; row <= r1; ++row)
            numbers.push_back(grid.number(column, row));
    }
}

// The squares a polyline passes: around each segment, the box of the squares
// of its two ends (of a large box, the part that matters).
std::vector<int32_t> lineSquares(const SquareGrid& grid, const SquareRange& range,
                                 const std::vector<mapPoint>& points) {
    std::vector<int32_t> numbers;
    SquareRange previous = grid.rangeOfPoint(points[0]);
    addSquares(grid, previous, numbers);
    for (size_t i = 1; i < points.size(); ++i) {
        const SquareRange current = grid.rangeOfPoint(points[i]);
        const SquareRange spanned{
            std::min(previous.c0, current.c0), std::min(previous.r0, current.r0),
            std::max(previous.c1, current.c1), std::max(previous.r1, current.r1)};
        if (spanned.columns() * spanned.rows() <= smallBox)
            addSquares(grid, spanned, numbers);
        else
            addLargeBox(grid, spanned, range, points[i - 1], points[i], numbers);
        previous = current;
    }
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return numbers;
}

void collectLines(const std::vector<mapPoly>& lines, const SquareList& list, Candidates& candidates,
                  cProgress& progress) {
    progress.start(msg::polylinesLabel, static_cast<uint32_t>(lines.size()));
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!lines[i].points.empty()) {
            for (int32_t number : lineSquares(list.grid, list.range, lines[i].points)) {
                if (list.contains(number))
                    candidates.add(number, i);
                else
                    platform::printNarrow(msg::polylineOutOfMap);
            }
        }
        progress.tick();
    }
    progress.finish();
}

void collectPois(const std::vector<mapPoi>& pois, const SquareList& list, Candidates& candidates,
                 cProgress& progress) {
    progress.start(msg::poisLabel, static_cast<uint32_t>(pois.size()));
    for (size_t i = 0; i < pois.size(); ++i) {
        const int32_t number = list.grid.poiSquare(pois[i].pos);
        if (list.contains(number))
            candidates.add(number, i);
        else
            platform::printNarrow(msg::poiOutOfMap);
        progress.tick();
    }
    progress.finish();
}

void collectPolygon(const mapPoly& polygon, size_t index, const SquareList& list,
                    Candidates& candidates) {
    const SquareGrid& grid = list.grid;
    const SquareRange range = grid.rangeOfBox(boundingBox(polygon.points));
    for (int32_t row = range.r0; row <= range.r1; ++row) {
        for (int32_t column = range.c0; column <= range.c1; ++column) {
            if (column < 0 || column >= static_cast<int64_t>(grid.squaresPerRow))
                continue;
            const int32_t number = grid.number(column, row);
            if (list.contains(number))
                candidates.add(number, index);
            else
                platform::printNarrow(msg::polygonOutOfMap);
        }
    }
}

void collectPolygons(const std::vector<mapPoly>& polygons, const SquareList& list,
                     Candidates& candidates, cProgress& progress) {
    progress.start(msg::polygonsLabel, static_cast<uint32_t>(polygons.size()));
    for (size_t i = 0; i < polygons.size(); ++i) {
        if (!polygons[i].points.empty())
            collectPolygon(polygons[i], i, list, candidates);
        progress.tick();
    }
    progress.finish();
}

// Building heights in metres for the polygon types that are buildings, when
// the map gives none.
int32_t defaultFloorsHeight(int32_t type) {
    static constexpr std::array<std::pair<int32_t, int32_t>, 9> defaults = {{{0x06, 3},
                                                                             {0x08, 10},
                                                                             {0x0a, 12},
                                                                             {0x0b, 9},
                                                                             {0x13, 20},
                                                                             {0x6c, 30},
                                                                             {0x6d, 12},
                                                                             {0x6e, 5},
                                                                             {0x6f, 5}}};
    for (const auto& [polygonType, height] : defaults) {
        if (polygonType == type)
            return height;
    }
    return -1;
}

// The records of one square and how many of each kind it holds.
struct SquareRecords {
    Bytes bytes;
    uint32_t pois = 0;
    uint32_t lines = 0;
    uint32_t polygons = 0;

    void clear() {
        bytes.clear();
        pois = lines = polygons = 0;
    }
};

std::array<uint8_t, layout::blockHeaderSize> blockHeader(const SquareRecords& records,
                                                         LevelPoint base) {
    std::array<uint8_t, layout::blockHeaderSize> header{};
    std::copy(layout::blockTag.begin(), layout::blockTag.end(), header.begin());
    setU32(header.data() + 4, records.pois);
    setU32(header.data() + 8, records.lines);
    setU32(header.data() + 12, records.polygons);
    setU32(header.data() + 16, static_cast<uint32_t>(records.bytes.size()));
    setU32(header.data() + 20, static_cast<uint32_t>(base.x));
    setU32(header.data() + 24, static_cast<uint32_t>(base.y));
    return header;
}

struct SquareRef {
    int32_t number = 0;
    uint32_t blockOffset = 0;
};

// One square at a time: its candidates are cut to it, and what falls inside is
// encoded: its lines, then its points of interest, then its polygons, each in
// the order of the level. Cutting prints nothing, so a square can be found
// empty before anything about it is printed.
class SquareEncoder {
public:
    SquareEncoder(const mapLevel& level, const SquareGrid& grid) : level(level), grid(grid) {}

    // Cuts the objects of square `number`; false when nothing falls inside.
    bool cut(int32_t number, Candidates& lines, Candidates& pois, Candidates& polygons) {
        int32_t column = 0, row = 0;
        grid.columnAndRow(number, column, row);
        rect = grid.rectangle(column, row);
        base = grid.basePoint(column, row);
        lineParts.clear();
        poiIndices.clear();
        polygonRings.clear();
        ringPoints.clear();
        while (lines.atSquare(number))
            cutLine(lines.take());
        while (pois.atSquare(number))
            poiIndices.push_back(pois.take());
        while (polygons.atSquare(number))
            cutPolygon(polygons.take());
        return !lineParts.empty() || !poiIndices.empty() || !polygonRings.empty();
    }

    // The records of what the last cut left inside.
    void encode(SquareRecords& out) const {
        out.clear();
        for (const auto& [index, part] : lineParts)
            encodeLine(out.bytes, level.lines[index], part, rect, base, grid.bits);
        for (uint32_t index : poiIndices)
            encodePoi(out.bytes, level.pois[index], base, grid.bits);
        for (const RingSpan& ring : polygonRings) {
            const mapPoly& polygon = level.polygons[ring.polygon];
            const int32_t floorsHeight = polygon.floorsHeight != -1
                                             ? polygon.floorsHeight
                                             : defaultFloorsHeight(polygon.type);
            const std::span<const mapPoint> points(ringPoints.data() + ring.first, ring.count);
            encodePolygon(out.bytes, polygon, points, floorsHeight, base, grid.bits);
        }
        out.lines = static_cast<uint32_t>(lineParts.size());
        out.pois = static_cast<uint32_t>(poiIndices.size());
        out.polygons = static_cast<uint32_t>(polygonRings.size());
    }

    LevelPoint basePoint() const { return base; }

private:
    void cutLine(uint32_t index) {
        parts.clear();
        clipLineParts(level.lines[index], rect, parts);
        for (LinePart& part : parts)
            lineParts.emplace_back(index, std::move(part));
    }

    void cutPolygon(uint32_t index) {
        const mapPoly& polygon = level.polygons[index];
        clipper.clip(polygon.points.data(), polygon.points.size(), rect, rings, boxesOf(index));
        for (const std::vector<mapPoint>& ring : rings) {
            polygonRings.push_back({index, ringPoints.size(), ring.size()});
            ringPoints.insert(ringPoints.end(), ring.begin(), ring.end());
        }
    }

    // A polygon of many points is likely cut to many squares: the boxes of
    // its stretches are worked out at its first square and kept for the level
    // (a small fraction of its points' memory).
    const RingBoxes* boxesOf(uint32_t index) {
        constexpr size_t manyPoints = 4 * RingBoxes::stretch;
        const std::vector<mapPoint>& points = level.polygons[index].points;
        if (points.size() < manyPoints)
            return nullptr;
        auto found = polygonBoxes.find(index);
        if (found == polygonBoxes.end())
            found = polygonBoxes.try_emplace(index, points.data(), points.size()).first;
        return &found->second;
    }

    const mapLevel& level;
    const SquareGrid& grid;
    Rect rect{};
    LevelPoint base;
    std::vector<LinePart> parts;
    std::vector<std::vector<mapPoint>> rings;
    PolygonClipper clipper;
    std::vector<std::pair<uint32_t, LinePart>> lineParts;
    std::vector<uint32_t> poiIndices;
    // The rings of the square's polygons, their points one after the other.
    struct RingSpan {
        uint32_t polygon;
        size_t first;
        size_t count;
    };
    std::vector<RingSpan> polygonRings;
    std::vector<mapPoint> ringPoints;
    std::unordered_map<uint32_t, RingBoxes> polygonBoxes;
};

// The blocks of the squares that receive records, ascending by number;
// returns their index entries.
std::vector<SquareRef> writeBlocks(const mapLevel& level, const SquareList& list, Candidates& lines,
                                   Candidates& pois, Candidates& polygons,
                                   const std::u16string& name, cProgress& progress) {
    progress.start(msg::writeSquaresLabel,
                   static_cast<uint32_t>(std::min<uint64_t>(list.size(), UINT32_MAX)));
    std::vector<SquareRef> squareIndex;
    SideFile file(name);
    SquareEncoder encoder(level, list.grid);
    // Grows to the largest square's records and is reused: small maps do not
    // pay for a buffer sized for the largest.
    SquareRecords records;
    uint64_t ticked = 0;
    constexpr int32_t none = std::numeric_limits<int32_t>::max();
    while (!lines.done() || !pois.done() || !polygons.done()) {
        const int32_t number = lines.nextSquare(pois.nextSquare(polygons.nextSquare(none)));
        // A square whose objects all fell outside it when cut gets no block.
        if (!encoder.cut(number, lines, pois, polygons))
            continue;
        const uint64_t position = list.position(number);
        progress.tickMany(position - ticked);
        // Encoding may report points it cannot place; after the square's
        // own progress, as when each square is written as it is reached.
        encoder.encode(records);
        // Block offsets are 32-bit; a larger block file cannot be indexed.
        if (file.size() > UINT32_MAX)
            file.fail();
        squareIndex.push_back({number, static_cast<uint32_t>(file.size())});
        const auto header = blockHeader(records, encoder.basePoint());
        file.write(header.data(), header.size());
        file.write(records.bytes);
        progress.tick();
        ticked = position + 1;
    }
    progress.tickMany(list.size() - ticked);
    progress.finish();
    file.close();
    platform::printNarrow(msg::allDone);
    return squareIndex;
}

Bytes indexFile(const std::vector<SquareRef>& squareIndex, const SquareList& list,
                uint32_t levelIndex) {
    Bytes out;
    putTag(out, layout::indexTag);
    putU8(out, static_cast<uint8_t>(levelIndex));
    putU8(out, list.grid.bits);
    putU16(out, 0);
    putU32(out, static_cast<uint32_t>(squareIndex.size()));
    putU32(out, list.grid.squareSize);
    putU32(out, 0);
    putU32(out, 0);
    for (int32_t bound : {list.range.c0, list.range.r0, list.range.c1, list.range.r1})
        putI32(out, bound);
    for (const SquareRef& entry : squareIndex) {
        putI32(out, entry.number);
        putU32(out, entry.blockOffset);
    }
    return out;
}

} // namespace

void writeSquares(const cMapPolish& map, const std::u16string& mapPath, uint32_t levelIndex,
                  uint32_t squareSize, uint8_t bits) {
    const mapLevel& level = map.levels[levelIndex];
    const SideFiles files = sideFilesOf(mapPath, levelIndex);
    const SquareGrid grid(squareSize, bits);
    const SquareList list(grid, level.bbox);
    cProgress progress;
    Candidates lines, pois, polygons;
    collectLines(level.lines, list, lines, progress);
    collectPois(level.pois, list, pois, progress);
    collectPolygons(level.polygons, list, polygons, progress);
    for (Candidates* candidates : {&lines, &pois, &polygons})
        candidates->seal();

    const std::vector<SquareRef> squareIndex =
        writeBlocks(level, list, lines, pois, polygons, files.blockFile, progress);
    writeSideFile(files.indexFile, indexFile(squareIndex, list, levelIndex));
    writeSideFile(files.charFile, charBlock(map.labelChars));
    writeSideFile(files.routingFile, routingFile(map, levelIndex));
    writeAddressFile(map, levelIndex, files.addressFile);
}

} // namespace zel
