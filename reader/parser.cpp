#include "reader/parser.h"

#include "platform/codepage.h"
#include "reader/commit.h"
#include "reader/labelchars.h"
#include "reader/lists.h"
#include "reader/names.h"
#include "reader/numbers.h"

#include <algorithm>
#include <array>
#include <span>
#include <string>

namespace zel {
namespace {

// The level index is one byte in the output.
constexpr int64_t maxLevels = 256;
// The finest resolution a level can have.
constexpr int32_t maxBits = 26;
// A line this long or longer is never a section marker.
constexpr size_t markerLengthLimit = 32;

std::string lowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

bool isYes(std::string_view value) {
    return lowerAscii(value) == "y";
}

int32_t low32(int64_t value) {
    return static_cast<int32_t>(static_cast<uint32_t>(value));
}

// A key line split at its first "=": the key in small letters, the value as
// it stands, and for prefix keys the text after the prefix.
struct KeyLine {
    std::string key;
    std::string_view value;
    std::string_view suffix;

    int32_t number() const { return parseInteger(suffix); }
};

using KeyAction = void (*)(cMapPolish&, const KeyLine&);

struct KeyRule {
    std::string_view name;
    bool prefix;
    KeyAction apply;
};

std::u16string text(const cMapPolish& map, std::string_view bytes) {
    return platform::decodeText(bytes, map.codePage);
}

std::u16string label(cMapPolish& map, std::string_view bytes) {
    std::u16string converted = text(map, bytes);
    mergeLabelChars(map.labelChars, converted);
    return converted;
}

// --- map header ---------------------------------------------------------

void setLevelCount(cMapPolish& map, const KeyLine& k) {
    int64_t count = int64_t{parseInteger(k.value)} - 1;
    if (count < 0)
        count = 1;
    map.levels.resize(static_cast<size_t>(std::min(count, maxLevels)));
}

void setLevelBits(cMapPolish& map, const KeyLine& k) {
    const int32_t index = k.number();
    if (index < 0 || index > maxLevels)
        return;
    const int32_t value = parseInteger(k.value);
    const auto bits = static_cast<uint8_t>(value >= 0 && value <= maxBits ? value : maxBits);
    const auto count = static_cast<int32_t>(map.levels.size());
    if (index > count) {
        map.levels.resize(static_cast<size_t>(index));
        map.levels.back().bits = bits;
    } else if (index < count) {
        map.levels[static_cast<size_t>(index)].bits = bits;
    }
}

constexpr std::array headerKeys = {
    KeyRule{"levels", false, setLevelCount},
    KeyRule{"levelrange", true, [](cMapPolish&, const KeyLine&) {}},
    KeyRule{"level", true, setLevelBits},
    KeyRule{"codepage", false,
            [](cMapPolish& m, const KeyLine& k) {
                m.codePage = platform::supportedCodePage(parseInteger(k.value));
            }},
};

// --- countries, regions, cities ---------------------------------------

template <typename Item>
void setOwner(std::vector<std::unique_ptr<Item>>& items, const KeyLine& k) {
    const int64_t position = int64_t{k.number()} - 1;
    if (position < 0 || position >= static_cast<int64_t>(items.size()))
        return;
    items[static_cast<size_t>(position)]->ownerIndex = low32(int64_t{parseInteger(k.value)} - 1);
}

constexpr std::array countryKeys = {
    KeyRule{"country", true,
            [](cMapPolish& m, const KeyLine& k) {
                auto country = std::make_unique<mapAdrItem>();
                country->name = normaliseAdminName(text(m, k.value));
                m.countries.push_back(std::move(country));
            }},
};

constexpr std::array regionKeys = {
    KeyRule{"region", true,
            [](cMapPolish& m, const KeyLine& k) {
                m.regions.push_back(std::make_unique<mapAdrItem>(
                    normaliseAdminName(text(m, k.value)), static_cast<int32_t>(m.regions.size())));
            }},
    KeyRule{"countryidx", true, [](cMapPolish& m, const KeyLine& k) { setOwner(m.regions, k); }},
};

constexpr std::array cityKeys = {
    KeyRule{"city", true,
            [](cMapPolish& m, const KeyLine& k) {
                m.cities.push_back(std::make_unique<cCityInfo>(
                    normaliseSeparators(text(m, k.value)), low32(int64_t{k.number()} - 1)));
            }},
    KeyRule{"regionidx", true, [](cMapPolish& m, const KeyLine& k) { setOwner(m.cities, k); }},
};

// --- objects ----------------------------------------------------------

void setType(int32_t& type, const KeyLine& k) {
    type = scanHex(k.value).value_or(type);
}

void poiData(cMapPolish& m, const KeyLine& k) {
    // Every further coordinate key makes a further point of interest.
    if (m.curPoi.level != -1)
        commitPoi(m);
    m.curPoi.level = k.number();
    if (const auto pos = firstCoordinate(k.value))
        m.curPoi.pos = *pos;
}

constexpr std::array poiKeys = {
    KeyRule{"type", false, [](cMapPolish& m, const KeyLine& k) { setType(m.curPoi.type, k); }},
    KeyRule{"label", false,
            [](cMapPolish& m, const KeyLine& k) {
                if (!k.value.empty())
                    m.curPoi.label = label(m, k.value);
            }},
    KeyRule{"endlevel", false,
            [](cMapPolish& m, const KeyLine& k) { m.curPoi.endLevel = parseInteger(k.value); }},
    KeyRule{"housenumber", false,
            [](cMapPolish& m, const KeyLine& k) { m.curPoi.houseNumber = text(m, k.value); }},
    KeyRule{"streetdesc", false,
            [](cMapPolish& m, const KeyLine& k) {
                m.curPoi.streetDesc = text(m, removeLeadingCode(k.value));
            }},
    KeyRule{"cityidx", false,
            [](cMapPolish& m, const KeyLine& k) { m.curPoi.cityIdx = parseInteger(k.value); }},
    KeyRule{"city", false,
            [](cMapPolish& m, const KeyLine& k) { m.curPoi.isCity = isYes(k.value); }},
    KeyRule{"dontfind", false,
            [](cMapPolish& m, const KeyLine& k) { m.curPoi.dontFind = isYes(k.value); }},
    KeyRule{"data", true, poiData},
};

// A further coordinate key of a line or polygon commits what was read so far
// and starts the next copy with the same attributes.
void polyData(cMapPolish& m, mapPoly& poly, void (*commit)(cMapPolish&), const KeyLine& k) {
    if (!poly.points.empty()) {
        commit(m);
        poly.points.clear();
        poly.nodeRefs.clear();
        poly.heightLevels.clear();
        poly.heights.clear();
    }
    poly.level = k.number();
    appendCoordinates(k.value, poly.points);
}

constexpr std::array lineKeys = {
    KeyRule{"type", false, [](cMapPolish& m, const KeyLine& k) { setType(m.curLine.type, k); }},
    KeyRule{"label", false,
            [](cMapPolish& m, const KeyLine& k) {
                m.curLine.label = label(m, removeLeadingCode(k.value));
            }},
    KeyRule{"endlevel", false,
            [](cMapPolish& m, const KeyLine& k) { m.curLine.endLevel = parseInteger(k.value); }},
    KeyRule{"streetdesc", false,
            [](cMapPolish& m, const KeyLine& k) {
                m.curLine.streetDesc = text(m, removeLeadingCode(k.value));
            }},
    KeyRule{"cityidx", false,
            [](cMapPolish& m, const KeyLine& k) { m.curLine.cityIdx = parseInteger(k.value); }},
    KeyRule{"roadid", false,
            [](cMapPolish& m, const KeyLine& k) { m.curLine.roadId = parseInteger(k.value); }},
    KeyRule{"dirindicator", false,
            [](cMapPolish& m, const KeyLine&) { m.curLine.roadFlags |= 0x04; }},
    KeyRule{"routeparam", false,
            [](cMapPolish& m, const KeyLine& k) { applyRouteParams(k.value, m.curLine); }},
    KeyRule{"dontfind", false,
            [](cMapPolish& m, const KeyLine& k) { m.curLine.dontFind = isYes(k.value); }},
    KeyRule{"data", true,
            [](cMapPolish& m, const KeyLine& k) { polyData(m, m.curLine, commitLine, k); }},
    KeyRule{"nodes", true,
            [](cMapPolish& m, const KeyLine& k) { appendNodeList(k.value, m.curLine.nodeRefs); }},
    KeyRule{
        "nod", true,
        [](cMapPolish& m, const KeyLine& k) { m.curLine.nodeRefs.push_back(nodeEntry(k.value)); }},
    KeyRule{"hlevel", true,
            [](cMapPolish& m, const KeyLine& k) {
                enterHeightLevels(k.value, m.curLine.heightLevels);
            }},
};

constexpr std::array polygonKeys = {
    KeyRule{"type", false, [](cMapPolish& m, const KeyLine& k) { setType(m.curPolygon.type, k); }},
    KeyRule{"label", false,
            [](cMapPolish& m, const KeyLine& k) { m.curPolygon.label = label(m, k.value); }},
    KeyRule{"endlevel", false,
            [](cMapPolish& m, const KeyLine& k) { m.curPolygon.endLevel = parseInteger(k.value); }},
    KeyRule{"housenumber", false,
            [](cMapPolish& m, const KeyLine& k) { m.curPolygon.houseNumber = text(m, k.value); }},
    KeyRule{"streetdesc", false,
            [](cMapPolish& m, const KeyLine& k) {
                m.curPolygon.streetDesc = text(m, removeLeadingCode(k.value));
            }},
    KeyRule{"cityidx", false,
            [](cMapPolish& m, const KeyLine& k) { m.curPolygon.cityIdx = parseInteger(k.value); }},
    KeyRule{"floors", false,
            [](cMapPolish& m, const KeyLine& k) {
                if (const auto floors = scanDecimal(k.value))
                    m.curPolygon.floorsHeight = low32(int64_t{3} * *floors);
            }},
    KeyRule{"dontfind", false,
            [](cMapPolish& m, const KeyLine& k) { m.curPolygon.dontFind = isYes(k.value); }},
    KeyRule{"data", true,
            [](cMapPolish& m, const KeyLine& k) { polyData(m, m.curPolygon, commitPolygon, k); }},
};

constexpr std::array restrictionKeys = {
    KeyRule{"traffpoints", false,
            [](cMapPolish& m, const KeyLine& k) {
                const auto nodes = commaIntegers<3>(k.value);
                m.pendingRestriction.node1 = nodes[0];
                m.pendingRestriction.node2 = nodes[1];
                m.pendingRestriction.node3 = nodes[2];
            }},
    KeyRule{"traffroads", false,
            [](cMapPolish& m, const KeyLine& k) {
                const auto roads = commaIntegers<2>(k.value);
                m.pendingRestriction.road1 = roads[0];
                m.pendingRestriction.road2 = roads[1];
            }},
};

std::span<const KeyRule> keysOf(int32_t section) {
    switch (section) {
    case sectionImgId:
        return headerKeys;
    case sectionCountries:
        return countryKeys;
    case sectionRegions:
        return regionKeys;
    case sectionCities:
        return cityKeys;
    case sectionPoi:
        return poiKeys;
    case sectionPolyline:
        return lineKeys;
    case sectionPolygon:
        return polygonKeys;
    case sectionRestrict:
        return restrictionKeys;
    default:
        return {};
    }
}

// --- section markers ----------------------------------------------------

void endObject(cMapPolish& m) {
    switch (m.section) {
    case sectionPoi:
        commitPoi(m);
        m.curPoi = mapPoi{};
        break;
    case sectionPolyline:
        commitLine(m);
        m.curLine = mapPoly{};
        break;
    case sectionPolygon:
        commitPolygon(m);
        m.curPolygon = mapPoly{};
        break;
    case sectionImgId:
        break;
    default:
        return;
    }
    m.section = sectionNone;
}

void endSection(cMapPolish& m, int32_t section) {
    if (m.section == section)
        m.section = sectionNone;
}

using MarkerAction = void (*)(cMapPolish&);

struct MarkerRule {
    std::string_view marker;
    MarkerAction apply;
};

constexpr std::array markers = {
    MarkerRule{"[img id]", [](cMapPolish& m) { m.section = sectionImgId; }},
    MarkerRule{"[countries]", [](cMapPolish& m) { m.section = sectionCountries; }},
    MarkerRule{"[regions]", [](cMapPolish& m) { m.section = sectionRegions; }},
    MarkerRule{"[cities]", [](cMapPolish& m) { m.section = sectionCities; }},
    MarkerRule{"[restrict]",
               [](cMapPolish& m) {
                   m.section = sectionRestrict;
                   m.pendingRestriction = mapRestriction{};
               }},
    // An object left unfinished by another marker is dropped here.
    MarkerRule{"[poi]",
               [](cMapPolish& m) {
                   m.section = sectionPoi;
                   m.curPoi = mapPoi{};
               }},
    MarkerRule{"[polyline]",
               [](cMapPolish& m) {
                   m.section = sectionPolyline;
                   m.curLine = mapPoly{};
               }},
    MarkerRule{"[polygon]",
               [](cMapPolish& m) {
                   m.section = sectionPolygon;
                   m.curPolygon = mapPoly{};
               }},
    MarkerRule{"[end]", endObject},
    MarkerRule{"[end-countries]", [](cMapPolish& m) { endSection(m, sectionCountries); }},
    MarkerRule{"[end-regions]", [](cMapPolish& m) { endSection(m, sectionRegions); }},
    MarkerRule{"[end-cities]", [](cMapPolish& m) { endSection(m, sectionCities); }},
    MarkerRule{"[end-restrict]",
               [](cMapPolish& m) {
                   if (m.section != sectionRestrict)
                       return;
                   m.restrictions.push_back(m.pendingRestriction);
                   m.pendingRestriction = mapRestriction{};
                   m.section = sectionNone;
               }},
};

bool applyMarker(cMapPolish& map, std::string_view line) {
    if (line.size() >= markerLengthLimit)
        return false;
    const std::string lower = lowerAscii(line);
    for (const MarkerRule& rule : markers) {
        if (lower == rule.marker) {
            rule.apply(map);
            return true;
        }
    }
    return false;
}

void applyKey(cMapPolish& map, std::string_view line) {
    const std::span<const KeyRule> rules = keysOf(map.section);
    if (rules.empty())
        return;
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos)
        return;
    KeyLine k{lowerAscii(line.substr(0, equals)), line.substr(equals + 1), {}};
    for (const KeyRule& rule : rules) {
        const bool matches = rule.prefix ? k.key.starts_with(rule.name) : k.key == rule.name;
        if (matches) {
            k.suffix =
                std::string_view(k.key).substr(rule.prefix ? rule.name.size() : k.key.size());
            rule.apply(map, k);
            return;
        }
    }
}

} // namespace

void parseLine(cMapPolish& map, std::string_view line) {
    line = line.substr(0, line.find('\0'));
    if (line.empty())
        return;
    if (!applyMarker(map, line))
        applyKey(map, line);
}

} // namespace zel
