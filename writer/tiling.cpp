#include "writer/tiling.h"

#include "geometry/clip.h"
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
#include <map>

namespace zel {
namespace {

namespace msg = writerMessages;

constexpr size_t recordBufferSize = 0xa00000;

// The objects gathered for one square.
struct mapSquare {
    std::vector<mapPoi> pois;
    std::vector<mapPoly> lines;
    std::vector<mapPoly> polygons;
};

// The level's squares: every square of the level's box (columns clamped to one
// turn round the globe), of which only those that receive an object are kept.
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

    mapSquare& at(int32_t number) { return squares[number]; }

    const SquareGrid& grid;
    SquareRange range;
    std::map<int32_t, mapSquare> squares;
};

Rect rectangleOf(const SquareGrid& grid, int32_t number) {
    int32_t column = 0, row = 0;
    grid.columnAndRow(number, column, row);
    return grid.rectangle(column, row);
}

void addSquares(const SquareGrid& grid, const SquareRange& r, std::vector<int32_t>& numbers) {
    for (int64_t row = r.r0; row <= r.r1; ++row) {
        for (int64_t column = r.c0; column <= r.c1; ++column)
            numbers.push_back(grid.number(column, row));
    }
}

// The squares a polyline passes: around each segment, the box of the squares
// of its two ends.
std::vector<int32_t> lineSquares(const SquareGrid& grid, const std::vector<mapPoint>& points) {
    std::vector<int32_t> numbers;
    SquareRange previous = grid.rangeOfPoint(points[0]);
    addSquares(grid, previous, numbers);
    for (size_t i = 1; i < points.size(); ++i) {
        const SquareRange current = grid.rangeOfPoint(points[i]);
        const SquareRange spanned{
            std::min(previous.c0, current.c0), std::min(previous.r0, current.r0),
            std::max(previous.c1, current.c1), std::max(previous.r1, current.r1)};
        addSquares(grid, spanned, numbers);
        previous = current;
    }
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return numbers;
}

void distributeLines(const std::vector<mapPoly>& lines, SquareList& list, cProgress& progress) {
    progress.start(msg::polylinesLabel, static_cast<uint32_t>(lines.size()));
    std::vector<mapPoly> parts;
    for (const mapPoly& line : lines) {
        if (!line.points.empty()) {
            for (int32_t number : lineSquares(list.grid, line.points)) {
                if (!list.contains(number)) {
                    platform::printNarrow(msg::polylineOutOfMap);
                    continue;
                }
                parts.clear();
                clipLine(line, rectangleOf(list.grid, number), parts);
                if (!parts.empty()) {
                    std::vector<mapPoly>& squareLines = list.at(number).lines;
                    std::move(parts.begin(), parts.end(), std::back_inserter(squareLines));
                }
            }
        }
        progress.tick();
    }
    progress.finish();
}

void distributePois(const std::vector<mapPoi>& pois, SquareList& list, cProgress& progress) {
    progress.start(msg::poisLabel, static_cast<uint32_t>(pois.size()));
    for (const mapPoi& poi : pois) {
        const int32_t number = list.grid.poiSquare(poi.pos);
        if (list.contains(number))
            list.at(number).pois.push_back(poi);
        else
            platform::printNarrow(msg::poiOutOfMap);
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

void distributePolygon(const mapPoly& polygon, SquareList& list) {
    const SquareGrid& grid = list.grid;
    const SquareRange range = grid.rangeOfBox(boundingBox(polygon.points));
    std::vector<std::vector<mapPoint>> rings;
    for (int32_t row = range.r0; row <= range.r1; ++row) {
        for (int32_t column = range.c0; column <= range.c1; ++column) {
            if (column < 0 || column >= static_cast<int64_t>(grid.squaresPerRow))
                continue;
            const int32_t number = grid.number(column, row);
            if (!list.contains(number)) {
                platform::printNarrow(msg::polygonOutOfMap);
                continue;
            }
            rings.clear();
            clipPolygon(polygon.points.data(), polygon.points.size(), grid.rectangle(column, row),
                        rings);
            for (std::vector<mapPoint>& ring : rings) {
                mapPoly piece = polygon;
                piece.points = std::move(ring);
                if (piece.floorsHeight == -1)
                    piece.floorsHeight = defaultFloorsHeight(piece.type);
                piece.bbox = boundingBox(piece.points);
                list.at(number).polygons.push_back(std::move(piece));
            }
        }
    }
}

void distributePolygons(const std::vector<mapPoly>& polygons, SquareList& list,
                        cProgress& progress) {
    progress.start(msg::polygonsLabel, static_cast<uint32_t>(polygons.size()));
    for (const mapPoly& polygon : polygons) {
        if (!polygon.points.empty())
            distributePolygon(polygon, list);
        progress.tick();
    }
    progress.finish();
}

void encodeSquare(const mapSquare& square, const Rect& rect, LevelPoint base, uint8_t bits,
                  Bytes& records) {
    records.clear();
    for (const mapPoly& line : square.lines)
        encodeLine(records, line, rect, base, bits);
    for (const mapPoi& poi : square.pois)
        encodePoi(records, poi, base, bits);
    for (const mapPoly& polygon : square.polygons)
        encodePolygon(records, polygon, base, bits);
}

Bytes blockHeader(const mapSquare& square, uint32_t length, LevelPoint base) {
    Bytes header;
    putTag(header, layout::blockTag);
    putU32(header, static_cast<uint32_t>(square.pois.size()));
    putU32(header, static_cast<uint32_t>(square.lines.size()));
    putU32(header, static_cast<uint32_t>(square.polygons.size()));
    putU32(header, length);
    putI32(header, base.x);
    putI32(header, base.y);
    return header;
}

struct SquareRef {
    int32_t number = 0;
    uint32_t blockOffset = 0;
};

// The blocks of the non-empty squares, ascending by number; returns their
// index entries.
std::vector<SquareRef> writeBlocks(const SquareList& list, const std::u16string& name,
                                   cProgress& progress) {
    const SquareGrid& grid = list.grid;
    progress.start(msg::writeSquaresLabel,
                   static_cast<uint32_t>(std::min<uint64_t>(list.size(), UINT32_MAX)));
    std::vector<SquareRef> squareIndex;
    SideFile file(name);
    Bytes records;
    records.reserve(recordBufferSize);
    uint64_t ticked = 0;
    for (const auto& [number, square] : list.squares) {
        const uint64_t position = list.position(number);
        progress.tickMany(position - ticked);
        int32_t column = 0, row = 0;
        grid.columnAndRow(number, column, row);
        const LevelPoint base = grid.basePoint(column, row);
        encodeSquare(square, grid.rectangle(column, row), base, grid.bits, records);
        // Block offsets are 32-bit; a larger block file cannot be indexed.
        if (file.size() > UINT32_MAX)
            file.fail();
        squareIndex.push_back({number, static_cast<uint32_t>(file.size())});
        file.write(blockHeader(square, static_cast<uint32_t>(records.size()), base));
        file.write(records);
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

Bytes charFile(const std::u16string& chars) {
    Bytes out;
    putTag(out, layout::charTag);
    putU16(out, static_cast<uint16_t>(2 * chars.size()));
    putU16(out, 0);
    for (char16_t c : chars)
        putU16(out, c);
    return out;
}

} // namespace

void writeSquares(const cMapPolish& map, const std::u16string& mapPath, uint32_t levelIndex,
                  uint32_t squareSize, uint8_t bits) {
    const mapLevel& level = map.levels[levelIndex];
    const SideFiles files = sideFilesOf(mapPath, levelIndex);
    const SquareGrid grid(squareSize, bits);
    SquareList list(grid, level.bbox);
    cProgress progress;
    distributeLines(level.lines, list, progress);
    distributePois(level.pois, list, progress);
    distributePolygons(level.polygons, list, progress);

    std::vector<SquareRef> squareIndex = writeBlocks(list, files.blockFile, progress);
    std::sort(squareIndex.begin(), squareIndex.end(),
              [](const SquareRef& a, const SquareRef& b) { return a.number < b.number; });
    writeSideFile(files.indexFile, indexFile(squareIndex, list, levelIndex));
    writeSideFile(files.charFile, charFile(map.labelChars));
    writeSideFile(files.routingFile, routingFile(map, levelIndex));
    writeAddressFile(map, levelIndex, files.addressFile);
}

} // namespace zel
