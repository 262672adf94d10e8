#include "reader/lists.h"

#include "reader/numbers.h"

#include <algorithm>
#include <cmath>

namespace zel {
namespace {

constexpr size_t npos = std::string_view::npos;

bool inRange(double value, double limit) {
    return std::isfinite(value) && std::fabs(value) <= limit;
}

// Speeds in km/h of the speed classes 0 to 7; other classes mean 50.
constexpr std::array<uint8_t, 8> classSpeeds = {5, 20, 40, 60, 80, 90, 110, 180};

constexpr int32_t typeMotorway = 0x0a;
constexpr int32_t typeUnpaved = 0x42;

// Finds a character at or after a position that only moves forward. A found
// position stays valid until the search passes it, so a long value is scanned
// once per character, however the groups in it are arranged.
class ForwardFinder {
public:
    ForwardFinder(std::string_view text, char wanted) : text(text), wanted(wanted) {}

    size_t find(size_t from) {
        if (!searched || (found != npos && found < from)) {
            found = text.find(wanted, from);
            searched = true;
        }
        return found;
    }

private:
    std::string_view text;
    char wanted;
    size_t found = npos;
    bool searched = false;
};

// The next group of a list: its "(", "," (when asked for) and ")" at or
// after `pos`; nothing once one of them no longer occurs.
struct Group {
    size_t open, comma, close;
};

class GroupFinder {
public:
    explicit GroupFinder(std::string_view text)
        : open(text, '('), comma(text, ','), close(text, ')') {}

    std::optional<Group> next(size_t pos, bool withComma = true) {
        const Group g{open.find(pos), withComma ? comma.find(pos) : 0, close.find(pos)};
        if (g.open == npos || g.comma == npos || g.close == npos)
            return std::nullopt;
        return g;
    }

private:
    ForwardFinder open, comma, close;
};

} // namespace

template <size_t count> std::array<int32_t, count> commaIntegers(std::string_view text) {
    std::array<int32_t, count> numbers{};
    for (int32_t& number : numbers) {
        if (text.empty())
            break;
        const size_t comma = text.find(',');
        number = parseInteger(text.substr(0, comma));
        text = comma == npos ? std::string_view() : text.substr(comma + 1);
    }
    return numbers;
}

template std::array<int32_t, 2> commaIntegers<2>(std::string_view);
template std::array<int32_t, 3> commaIntegers<3>(std::string_view);
template std::array<int32_t, 12> commaIntegers<12>(std::string_view);

namespace {

// The usual group: "(" at `pos`, the latitude, "," right after it, the
// longitude and ")" right after that. Then these are the first "(", "," and
// ")" from `pos` on (what a number takes holds none of them), so the group
// is the one a search would find. Nothing when the text at `pos` has another
// shape.
std::optional<Group> plainGroup(std::string_view value, size_t pos, double& latitude,
                                double& longitude) {
    if (value[pos] != '(')
        return std::nullopt;
    size_t taken = 0;
    latitude = parseCoordinate(value.substr(pos + 1), taken);
    const size_t comma = pos + 1 + taken;
    if (comma >= value.size() || value[comma] != ',')
        return std::nullopt;
    longitude = parseCoordinate(value.substr(comma + 1), taken);
    const size_t close = comma + 1 + taken;
    if (close >= value.size() || value[close] != ')')
        return std::nullopt;
    return Group{pos, comma, close};
}

std::optional<mapPoint> pointOf(double latitude, double longitude) {
    if (!inRange(latitude, 90.0) || !inRange(longitude, 720.0))
        return std::nullopt;
    return mapPoint{static_cast<float>(longitude), static_cast<float>(latitude)};
}

} // namespace

std::optional<mapPoint> coordinateGroup(std::string_view text, size_t open, size_t comma) {
    // Each number starts right after its delimiter and ends where it cannot go on.
    return pointOf(parseCoordinate(text.substr(open + 1)), parseCoordinate(text.substr(comma + 1)));
}

void appendCoordinates(std::string_view value, std::vector<mapPoint>& points) {
    points.reserve(points.size() + value.size() / 21);
    GroupFinder groups(value);
    size_t pos = 0;
    while (pos < value.size()) {
        double latitude = 0.0, longitude = 0.0;
        if (const auto plain = plainGroup(value, pos, latitude, longitude)) {
            if (const auto point = pointOf(latitude, longitude))
                points.push_back(*point);
            pos = plain->close + 2;
            continue;
        }
        const auto g = groups.next(pos);
        if (!g)
            break;
        if (const auto point = coordinateGroup(value, g->open, g->comma))
            points.push_back(*point);
        pos = g->close + 2;
    }
}

std::optional<mapPoint> firstCoordinate(std::string_view value) {
    const auto g = GroupFinder(value).next(0);
    if (!g)
        return std::nullopt;
    return coordinateGroup(value, g->open, g->comma);
}

mapNodeRef nodeEntry(std::string_view text) {
    const auto [point, node, boundary] = commaIntegers<3>(text);
    return {static_cast<uint16_t>(point), node, static_cast<uint16_t>(boundary)};
}

void appendNodeList(std::string_view value, std::vector<mapNodeRef>& nodeRefs) {
    GroupFinder groups(value);
    size_t start = 0;
    while (start < value.size()) {
        const auto g = groups.next(start, false);
        if (!g)
            break;
        // The entry runs from after "(" for as many characters as ")" stands
        // from the start of the rest, less one: the group's own text when it
        // leads the rest.
        nodeRefs.push_back(nodeEntry(value.substr(g->open + 1, g->close - start - 1)));
        start = std::min(g->close + 2, value.size());
    }
}

void enterHeightLevels(std::string_view value, std::map<int32_t, int32_t>& heightLevels) {
    GroupFinder groups(value);
    size_t pos = 0;
    while (pos < value.size()) {
        const auto g = groups.next(pos);
        if (!g)
            break;
        heightLevels[parseInteger(value.substr(g->open + 1))] =
            parseInteger(value.substr(g->comma + 1));
        // Three characters plus the group's length less one; at least one
        // character forward, also when ")" comes before "(".
        const int64_t step = 2 + static_cast<int64_t>(g->close) - static_cast<int64_t>(g->open);
        pos += static_cast<size_t>(std::max<int64_t>(step, 1));
    }
}

void applyRouteParams(std::string_view value, mapPoly& line) {
    const std::array<int32_t, 12> f = commaIntegers<12>(value);
    const auto speedClass = static_cast<uint8_t>(f[0]);
    line.speed = speedClass < classSpeeds.size() ? classSpeeds[speedClass] : 50;
    line.roadClass = static_cast<uint8_t>(static_cast<uint32_t>(f[1]) + 1);
    if (line.type == typeMotorway || line.type == typeUnpaved)
        line.roadClass = 0;
    if (f[2] > 0)
        line.roadFlags |= 0x01;
    if (f[3] > 0)
        line.roadFlags |= 0x02;
    line.accessFlags = 0;
    for (size_t k = 0; k < 8; ++k) {
        if (f[4 + k] > 0)
            line.accessFlags |= static_cast<uint8_t>(1u << k);
    }
}

} // namespace zel
