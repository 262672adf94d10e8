#include "tools/zeldump/svg.h"

#include "platform/utf.h"
#include "tools/zeldump/text.h"
#include "tools/zeldump/view.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <optional>

namespace zel::dump {
namespace {

constexpr double picture = 1000; // the longer side, in pixels
constexpr double margin = 12;
constexpr double captionHeight = 24;
constexpr double pi = 3.14159265358979323846;

struct Style {
    const char* colour;
    double width;
    const char* dashes; // nullptr for a solid line
};

// Polygon fills by type, after the usual meaning of Polish map area types.
const char* areaFill(uint16_t type) {
    struct Range {
        uint16_t first, last;
        const char* fill;
    };
    static constexpr Range ranges[] = {
        {0x01, 0x03, "#e6d9cc"},                          // built-up areas
        {0x05, 0x06, "#e4e4e4"},                          // parking
        {0x0b, 0x0b, "#f2d4d4"},                          // hospital
        {0x0c, 0x0c, "#e2d8e8"},                          // industry
        {0x13, 0x13, "#c8a68c"},                          // buildings
        {0x14, 0x1a, "#b8dca4"},                          // parks, golf, sport, cemeteries
        {0x1e, 0x20, "#b8dca4"}, {0x28, 0x29, "#a4cdee"}, // sea and water
        {0x32, 0x32, "#a4cdee"}, {0x3b, 0x49, "#a9d0f0"}, // lakes and rivers
        {0x4c, 0x4c, "#c4def0"},                          // intermittent water
        {0x4d, 0x4d, "#f0f8ff"},                          // glaciers
        {0x4e, 0x4f, "#d2e8b6"},                          // orchards, scrub
        {0x50, 0x50, "#a4d08c"},                          // woods
        {0x51, 0x51, "#c0e0d4"},                          // wetland
        {0x52, 0x53, "#ede8d2"},                          // tundra, flats
    };
    for (const Range& r : ranges) {
        if (type >= r.first && type <= r.last)
            return r.fill;
    }
    return "#dcdcdc";
}

// Roads by class, 4 the most important.
constexpr Style roadStyles[] = {
    {"#a8a8a8", 2.0, nullptr}, {"#8c8c8c", 2.6, nullptr}, {"#e1b000", 3.2, nullptr},
    {"#e67e22", 4.0, nullptr}, {"#c0392b", 5.0, nullptr},
};

// The class a road type stands for when the record carries no routing block
// (copies on upper levels, maps without routing).
std::optional<uint8_t> classOfRoadType(uint16_t type) {
    switch (type) {
    case 0x01:
        return 4;
    case 0x02:
    case 0x09:
        return 3;
    case 0x03:
    case 0x04:
    case 0x08:
    case 0x0b:
        return 2;
    case 0x05:
    case 0x0c:
        return 1;
    case 0x06:
    case 0x07:
    case 0x0a:
        return 0;
    default:
        return std::nullopt;
    }
}

Style lineStyle(uint16_t type) {
    switch (type) {
    case 0x14:
        return {"#555555", 1.5, "6 3"}; // railway
    case 0x15:
        return {"#3a7fc1", 1.0, nullptr}; // shoreline
    case 0x16:
        return {"#a0522d", 1.0, "3 2"}; // trail
    case 0x18:
        return {"#4a90d9", 1.2, nullptr}; // stream
    case 0x1c:
    case 0x1d:
    case 0x1e:
        return {"#8e44ad", 1.0, "4 3"}; // boundaries
    case 0x1f:
        return {"#3a7fc1", 2.5, nullptr}; // river
    case 0x26:
        return {"#7fb3e0", 1.0, "4 2"}; // intermittent water
    default:
        if (type >= 0x20 && type <= 0x25)
            return {"#b89b72", 0.7, nullptr}; // contours
        return {"#666666", 1.0, nullptr};
    }
}

const char* poiFill(uint16_t type) {
    switch (type >> 8) {
    case 0x2a:
        return "#e67e22"; // food
    case 0x2b:
        return "#8e44ad"; // lodging
    case 0x2c:
    case 0x2d:
        return "#16a085"; // attractions, entertainment
    case 0x2e:
        return "#c0392b"; // shopping
    case 0x2f:
        return "#2980b9"; // services
    case 0x30:
        return "#d35400"; // emergency
    case 0x64:
    case 0x65:
    case 0x66:
        return "#7f8c8d"; // landmarks and geographic points
    default:
        return "#34495e";
    }
}

bool isCity(uint16_t type) {
    return type >= 0x0100 && type < 0x1200;
}

struct Item {
    const format::Record* record;
    std::vector<Point> points;
    std::optional<uint8_t> roadClass;
};

// Level units to pixels: east to the right, north up. Longitude units are
// shortened by the cosine of the middle latitude, so that the picture keeps
// the shapes a map reader knows.
class Projection {
public:
    Projection(double minX, double minY, double maxX, double maxY, uint8_t bits)
        : minX(minX), maxY(maxY) {
        const double middle = (minY + maxY) / 2 * 360.0 / std::ldexp(1.0, bits);
        const double c = std::fabs(std::cos(middle * pi / 180.0));
        squeeze = std::isfinite(c) ? std::max(c, 0.05) : 1.0;
        const double spanX = std::max((maxX - minX) * squeeze, 1.0);
        const double spanY = std::max(maxY - minY, 1.0);
        scale = picture / std::max(spanX, spanY);
        width = spanX * scale + 2 * margin;
        height = spanY * scale + 2 * margin + captionHeight;
    }

    double x(double units) const { return margin + (units - minX) * squeeze * scale; }
    double y(double units) const { return margin + (maxY - units) * scale; }

    double width = 0;
    double height = 0;

private:
    double minX, maxY;
    double squeeze = 1;
    double scale = 1;
};

std::string px(double value) {
    return fixed(value, 1);
}

std::string pointList(const Projection& p, const std::vector<Point>& points) {
    std::string text;
    for (const Point& point : points) {
        if (!text.empty())
            text += ' ';
        text += px(p.x(static_cast<double>(point.x))) + "," + px(p.y(static_cast<double>(point.y)));
    }
    return text;
}

std::string titleOf(const format::Record& r) {
    std::string text = "<title>";
    if (!r.label.empty())
        text += xmlText(r.label) + " ";
    return text + "(" + hexType(r.type) + ")</title>";
}

// Where a record's label goes: a POI's right side, halfway along a line, an
// area's mean point.
void labelPlace(const Item& item, const Projection& p, double& x, double& y, const char*& anchor) {
    std::vector<std::pair<double, double>> pts;
    for (const Point& q : item.points)
        pts.emplace_back(p.x(static_cast<double>(q.x)), p.y(static_cast<double>(q.y)));
    x = pts.front().first;
    y = pts.front().second;
    anchor = "middle";
    if (item.record->kind == layout::recordPoi) {
        x += 6;
        y += 4;
        anchor = "start";
    } else if (item.record->kind == layout::recordPolygon) {
        double sx = 0;
        double sy = 0;
        for (const auto& [px, py] : pts) {
            sx += px;
            sy += py;
        }
        x = sx / static_cast<double>(pts.size());
        y = sy / static_cast<double>(pts.size()) + 4;
    } else {
        double total = 0;
        for (size_t i = 1; i < pts.size(); ++i)
            total += std::hypot(pts[i].first - pts[i - 1].first, pts[i].second - pts[i - 1].second);
        double left = total / 2;
        for (size_t i = 1; i < pts.size(); ++i) {
            const double dx = pts[i].first - pts[i - 1].first;
            const double dy = pts[i].second - pts[i - 1].second;
            const double step = std::hypot(dx, dy);
            if (step > 0 && left <= step) {
                x = pts[i - 1].first + dx * left / step;
                y = pts[i - 1].second + dy * left / step;
                break;
            }
            left -= step;
        }
        y -= 4;
    }
}

// Which kind's label wins when objects of several kinds share one: the POI's
// dot tells best where the thing is, then the area.
int labelRank(uint8_t kind) {
    return kind == layout::recordPoi ? 0 : kind == layout::recordPolygon ? 1 : 2;
}

} // namespace

std::string svgText(const Inspection& inspection, const SvgRequest& request) {
    const format::Level& level = inspection.zel.levels.at(request.level);
    const double edge = squareUnits(level);

    std::vector<Item> items;
    double minX = std::numeric_limits<double>::max();
    double minY = minX;
    double maxX = -minX;
    double maxY = -minX;
    const auto widen = [&](double x, double y) {
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
    };
    std::vector<std::pair<int32_t, SquarePlace>> squares;
    for (const format::Block& block : level.blocks) {
        if (const std::optional<SquarePlace> place = squarePlace(level, block.square))
            squares.emplace_back(block.square, *place);
        for (const format::Record& record : block.records) {
            Item item{&record, absolutePoints(block, record), std::nullopt};
            for (const Point& q : item.points)
                widen(static_cast<double>(q.x), static_cast<double>(q.y));
            if (record.kind == layout::recordLine) {
                const format::RoutingRoad* road =
                    record.hasRouting ? format::findRoad(level, record.roadId) : nullptr;
                item.roadClass = road != nullptr ? std::optional<uint8_t>(road->roadClass)
                                                 : classOfRoadType(record.type);
                if (item.roadClass)
                    item.roadClass = std::min<uint8_t>(*item.roadClass, 4);
            }
            items.push_back(std::move(item));
        }
    }
    // The picture frames the objects with a little room around them; the
    // squares, usually much larger than a town, run off its edges. Without
    // objects it frames the squares.
    if (minX <= maxX) {
        const double pad = std::max({(maxX - minX) * 0.04, (maxY - minY) * 0.04, 4.0});
        minX -= pad;
        maxX += pad;
        minY -= pad;
        maxY += pad;
    } else {
        for (const auto& [square, place] : squares) {
            widen(static_cast<double>(place.column) * edge, static_cast<double>(place.row) * edge);
            widen(static_cast<double>(place.column + 1) * edge,
                  static_cast<double>(place.row + 1) * edge);
        }
    }
    if (minX > maxX) {
        minX = minY = 0;
        maxX = maxY = 1;
    }
    const Projection p(minX, minY, maxX, maxY, level.bits);

    // Labels may reach past the frame on the right; the picture widens to
    // hold them (estimated at 0.6 em a character).
    double width = p.width;
    const auto reach = [&](double right) { width = std::max(width, right + margin); };
    std::string out;
    // Small squares fade, so that a dense grid stays a hint behind the map.
    const double squarePixels = std::fabs(p.y(0) - p.y(edge));
    const double gridOpacity = std::clamp(0.15 * squarePixels / 40, 0.03, 0.15);
    out += "<g class=\"squares\" fill=\"none\" stroke=\"#000000\" stroke-opacity=\"" +
           fixed(gridOpacity, 2) + "\" stroke-width=\"1\">\n";
    for (const auto& [square, place] : squares) {
        const double x0 = p.x(static_cast<double>(place.column) * edge);
        const double x1 = p.x(static_cast<double>(place.column + 1) * edge);
        const double y0 = p.y(static_cast<double>(place.row + 1) * edge);
        const double y1 = p.y(static_cast<double>(place.row) * edge);
        out += "<rect class=\"square\" x=\"" + px(x0) + "\" y=\"" + px(y0) + "\" width=\"" +
               px(x1 - x0) + "\" height=\"" + px(y1 - y0) + "\"><title>square " +
               std::to_string(square) + "</title></rect>\n";
    }
    out += "</g>\n";

    // An area is cut into one piece per square; outlined in its own colour,
    // the pieces join without seams and without drawing the cuts.
    out += "<g class=\"areas\" stroke-width=\"0.6\" stroke-linejoin=\"round\">\n";
    for (const Item& item : items) {
        if (item.record->kind != layout::recordPolygon)
            continue;
        const std::string fill = areaFill(item.record->type);
        out += "<polygon class=\"area\" points=\"" + pointList(p, item.points) + "\" fill=\"" +
               fill + "\" stroke=\"" + fill + "\">" + titleOf(*item.record) + "</polygon>\n";
    }
    out += "</g>\n";

    // Lines that are no roads first, then roads from the least important up,
    // so that main roads are drawn on top.
    std::vector<const Item*> lines;
    for (const Item& item : items) {
        if (item.record->kind == layout::recordLine)
            lines.push_back(&item);
    }
    std::stable_sort(lines.begin(), lines.end(), [](const Item* a, const Item* b) {
        const int ka = a->roadClass ? *a->roadClass : -1;
        const int kb = b->roadClass ? *b->roadClass : -1;
        return ka < kb;
    });
    out += "<g class=\"lines\" fill=\"none\" stroke-linecap=\"round\" "
           "stroke-linejoin=\"round\">\n";
    for (const Item* item : lines) {
        const Style style =
            item->roadClass ? roadStyles[*item->roadClass] : lineStyle(item->record->type);
        out += "<polyline class=\"line\" points=\"" + pointList(p, item->points) + "\" stroke=\"" +
               style.colour + "\" stroke-width=\"" + fixed(style.width, 1) + "\"";
        if (style.dashes != nullptr)
            out += std::string(" stroke-dasharray=\"") + style.dashes + "\"";
        // Appended piece by piece: GCC 12 at -O3 warns, wrongly, about a
        // string built by prepending to a temporary.
        out += ">";
        out += titleOf(*item->record);
        out += "</polyline>\n";
    }
    out += "</g>\n";

    out += "<g class=\"pois\" stroke=\"#ffffff\" stroke-width=\"1\">\n";
    for (const Item& item : items) {
        if (item.record->kind != layout::recordPoi || item.points.empty())
            continue;
        const uint16_t type = item.record->type;
        const Point& q = item.points.front();
        out += "<circle class=\"poi\" cx=\"" + px(p.x(static_cast<double>(q.x))) + "\" cy=\"" +
               px(p.y(static_cast<double>(q.y))) + "\" r=\"" + (isCity(type) ? "5" : "3.5") +
               "\" fill=\"" + (isCity(type) ? "#222222" : poiFill(type)) + "\">" +
               titleOf(*item.record) + "</circle>\n";
    }
    out += "</g>\n";

    if (request.labels) {
        // A label is drawn once: an object cut into several squares, or a
        // building that is both an area and a POI, would otherwise print it
        // on top of itself. The piece with the most points carries it.
        std::map<std::u16string, const Item*> labelled;
        for (const Item& item : items) {
            if (item.record->label.empty() || item.points.empty())
                continue;
            const Item*& best = labelled[item.record->label];
            const auto key = [](const Item* i) {
                return std::pair(-labelRank(i->record->kind), i->points.size());
            };
            if (best == nullptr || key(&item) > key(best))
                best = &item;
        }
        out += "<g class=\"labels\" font-family=\"sans-serif\" font-size=\"11\" "
               "fill=\"#222222\" stroke=\"#ffffff\" stroke-width=\"3\" paint-order=\"stroke\" "
               "stroke-linejoin=\"round\">\n";
        for (const Item& item : items) {
            const auto found = labelled.find(item.record->label);
            if (found == labelled.end() || found->second != &item)
                continue;
            double x = 0;
            double y = 0;
            const char* anchor = "start";
            labelPlace(item, p, x, y, anchor);
            const double length = 6.6 * static_cast<double>(item.record->label.size());
            if (anchor[0] == 'm') {
                x = std::max(x, length / 2 + 2);
                reach(x + length / 2);
            } else {
                reach(x + length);
            }
            out += "<text x=\"" + px(x) + "\" y=\"" + px(y) + "\" text-anchor=\"" + anchor + "\">" +
                   xmlText(item.record->label) + "</text>\n";
        }
        out += "</g>\n";
    }

    const RecordCounts counts = countRecords(level);
    const std::u16string caption = platform::fromSystemName(
        "level " + std::to_string(request.level) + " (index " + std::to_string(level.index) +
        "): " + std::to_string(level.bits) + " bits, " + std::to_string(level.squareSize) +
        "\" squares, " + std::to_string(level.blocks.size()) + " with data; " +
        std::to_string(counts.pois) + " POI, " + std::to_string(counts.lines) + " polylines, " +
        std::to_string(counts.polygons) + " polygons");
    out += "<text class=\"caption\" x=\"" + px(margin) + "\" y=\"" + px(p.height - 8) +
           "\" font-family=\"sans-serif\" font-size=\"12\" fill=\"#555555\">" + xmlText(caption) +
           "</text>\n";
    reach(margin + 7.2 * static_cast<double>(caption.size()));

    std::string head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    head += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + px(width) + "\" height=\"" +
            px(p.height) + "\" viewBox=\"0 0 " + px(width) + " " + px(p.height) + "\">\n";
    head += "<title>" + xmlText(platform::fromSystemName(inspection.name)) + ", level " +
            std::to_string(request.level) + "</title>\n";
    head += "<rect class=\"background\" x=\"0\" y=\"0\" width=\"" + px(width) + "\" height=\"" +
            px(p.height) + "\" fill=\"#f5f2ea\"/>\n";
    return head + out + "</svg>\n";
}

} // namespace zel::dump
