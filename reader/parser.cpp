#include "reader/parser.h"

#include "model/labelchars.h"
#include "model/names.h"
#include "platform/ascii.h"
#include "platform/codepage.h"
#include "reader/commit.h"
#include "reader/lists.h"
#include "reader/numbers.h"

#include <algorithm>
#include <array>
#include <span>
#include <string>

namespace zel {
namespace {

using platform::lowerAscii;

// The level index is one byte in the output.
constexpr int64_t maxLevels = 256;
// The finest resolution a level can have.
constexpr int32_t maxBits = 26;
// A line this long or longer is never a section marker.
constexpr size_t markerLengthLimit = 32;

bool isYes(std::string_view value) {
    return value.size() == 1 && lowerAscii(value[0]) == 'y';
}

int32_t low32(int64_t value) {
    return static_cast<int32_t>(static_cast<uint32_t>(value));
}

// A key line split at its first "=": the key in small letters, the value as
// it stands, and for prefix keys the text after the prefix.
struct KeyLine {
    std::string_view key;
    std::string_view value;
    std::string_view suffix;

    int32_t number() const { return parseInteger(suffix); }
};

using KeyAction = void (*)(PolishParser&, const KeyLine&);

struct KeyRule {
    std::string_view name;
    bool prefix;
    KeyAction apply;
};

std::u16string text(const PolishParser& p, std::string_view bytes) {
    return platform::decodeText(bytes, p.codePage);
}

// A house number or street description, kept apart from the object.
uint32_t addressText(PolishParser& p, std::string_view bytes) {
    return p.map.addressTexts.add(text(p, bytes));
}

std::u16string label(PolishParser& p, std::string_view bytes) {
    std::u16string converted = text(p, bytes);
    p.map.labelChars.add(converted);
    return converted;
}

// --- map header ---------------------------------------------------------

void setLevelCount(PolishParser& p, const KeyLine& k) {
    std::vector<mapLevel>& levels = p.map.levels;
    int64_t count = int64_t{parseInteger(k.value)} - 1;
    if (count < 0)
        count = 1;
    levels.resize(static_cast<size_t>(std::min(count, maxLevels)));
}

void setLevelBits(PolishParser& p, const KeyLine& k) {
    std::vector<mapLevel>& levels = p.map.levels;
    const int32_t index = k.number();
    if (index < 0 || index > maxLevels)
        return;
    const int32_t value = parseInteger(k.value);
    const auto bits = static_cast<uint8_t>(value >= 0 && value <= maxBits ? value : maxBits);
    const auto count = static_cast<int32_t>(levels.size());
    if (index > count) {
        levels.resize(static_cast<size_t>(index));
        levels.back().bits = bits;
    } else if (index < count) {
        levels[static_cast<size_t>(index)].bits = bits;
    }
}

constexpr std::array headerKeys = {
    KeyRule{"levels", false, setLevelCount},
    KeyRule{"levelrange", true, [](PolishParser&, const KeyLine&) {}},
    KeyRule{"level", true, setLevelBits},
    KeyRule{"codepage", false,
            [](PolishParser& p, const KeyLine& k) {
                p.codePage = platform::supportedCodePage(parseInteger(k.value));
            }},
};

// --- countries, regions, cities ---------------------------------------

template <typename Item> void setOwner(std::vector<Item>& items, const KeyLine& k) {
    const int64_t position = int64_t{k.number()} - 1;
    if (position < 0 || position >= static_cast<int64_t>(items.size()))
        return;
    items[static_cast<size_t>(position)].ownerIndex = low32(int64_t{parseInteger(k.value)} - 1);
}

constexpr std::array countryKeys = {
    KeyRule{"country", true,
            [](PolishParser& p, const KeyLine& k) {
                mapAdrItem country;
                country.name = normaliseAdminName(text(p, k.value));
                p.map.countries.push_back(std::move(country));
            }},
};

constexpr std::array regionKeys = {
    KeyRule{"region", true,
            [](PolishParser& p, const KeyLine& k) {
                std::vector<mapAdrItem>& regions = p.map.regions;
                mapAdrItem region(normaliseAdminName(text(p, k.value)),
                                  static_cast<int32_t>(regions.size()));
                regions.push_back(std::move(region));
            }},
    KeyRule{"countryidx", true,
            [](PolishParser& p, const KeyLine& k) { setOwner(p.map.regions, k); }},
};

constexpr std::array cityKeys = {
    KeyRule{"city", true,
            [](PolishParser& p, const KeyLine& k) {
                cCityInfo city(normaliseSeparators(text(p, k.value)),
                               low32(int64_t{k.number()} - 1));
                p.map.cities.push_back(std::move(city));
            }},
    KeyRule{"regionidx", true,
            [](PolishParser& p, const KeyLine& k) { setOwner(p.map.cities, k); }},
};

// --- objects ----------------------------------------------------------

void setType(int32_t& type, const KeyLine& k) {
    type = scanHex(k.value).value_or(type);
}

void poiData(PolishParser& p, const KeyLine& k) {
    // Every further coordinate key makes a further point of interest.
    if (p.poi.level != -1)
        commitPoi(p.map, p.poi);
    p.poi.level = k.number();
    if (const auto pos = firstCoordinate(k.value))
        p.poi.pos = *pos;
}

constexpr std::array poiKeys = {
    KeyRule{"type", false, [](PolishParser& p, const KeyLine& k) { setType(p.poi.type, k); }},
    KeyRule{"label", false,
            [](PolishParser& p, const KeyLine& k) {
                if (!k.value.empty())
                    p.poi.label = label(p, k.value);
            }},
    KeyRule{"endlevel", false,
            [](PolishParser& p, const KeyLine& k) { p.poi.endLevel = parseInteger(k.value); }},
    KeyRule{"housenumber", false,
            [](PolishParser& p, const KeyLine& k) { p.poi.houseNumber = addressText(p, k.value); }},
    KeyRule{"streetdesc", false,
            [](PolishParser& p, const KeyLine& k) {
                p.poi.streetDesc = addressText(p, removeLeadingCode(k.value));
            }},
    KeyRule{"cityidx", false,
            [](PolishParser& p, const KeyLine& k) { p.poi.cityIdx = parseInteger(k.value); }},
    KeyRule{"city", false,
            [](PolishParser& p, const KeyLine& k) { p.poi.isCity = isYes(k.value); }},
    KeyRule{"dontfind", false,
            [](PolishParser& p, const KeyLine& k) { p.poi.dontFind = isYes(k.value); }},
    KeyRule{"data", true, poiData},
};

// A further coordinate key of a line or polygon commits what was read so far
// and starts the next copy with the same attributes.
void polyData(PolishParser& p, mapPoly& poly, void (*commit)(cMapPolish&, mapPoly&, ObjectAfter),
              const KeyLine& k) {
    if (!poly.points.empty()) {
        commit(p.map, poly, ObjectAfter::readAgain);
        poly.points.clear();
        poly.nodeRefs.clear();
        poly.heightLevels.clear();
        poly.heights.clear();
    }
    poly.level = k.number();
    appendCoordinates(k.value, poly.points);
}

constexpr std::array lineKeys = {
    KeyRule{"type", false, [](PolishParser& p, const KeyLine& k) { setType(p.line.type, k); }},
    KeyRule{"label", false,
            [](PolishParser& p, const KeyLine& k) {
                p.line.label = label(p, removeLeadingCode(k.value));
            }},
    KeyRule{"endlevel", false,
            [](PolishParser& p, const KeyLine& k) { p.line.endLevel = parseInteger(k.value); }},
    KeyRule{"streetdesc", false,
            [](PolishParser& p, const KeyLine& k) {
                p.line.streetDesc = addressText(p, removeLeadingCode(k.value));
            }},
    KeyRule{"cityidx", false,
            [](PolishParser& p, const KeyLine& k) { p.line.cityIdx = parseInteger(k.value); }},
    KeyRule{"roadid", false,
            [](PolishParser& p, const KeyLine& k) { p.line.roadId = parseInteger(k.value); }},
    KeyRule{"dirindicator", false,
            [](PolishParser& p, const KeyLine&) { p.line.roadFlags |= 0x04; }},
    KeyRule{"routeparam", false,
            [](PolishParser& p, const KeyLine& k) { applyRouteParams(k.value, p.line); }},
    KeyRule{"dontfind", false,
            [](PolishParser& p, const KeyLine& k) { p.line.dontFind = isYes(k.value); }},
    KeyRule{"data", true,
            [](PolishParser& p, const KeyLine& k) { polyData(p, p.line, commitLine, k); }},
    KeyRule{"nodes", true,
            [](PolishParser& p, const KeyLine& k) { appendNodeList(k.value, p.line.nodeRefs); }},
    KeyRule{
        "nod", true,
        [](PolishParser& p, const KeyLine& k) { p.line.nodeRefs.push_back(nodeEntry(k.value)); }},
    KeyRule{
        "hlevel", true,
        [](PolishParser& p, const KeyLine& k) { enterHeightLevels(k.value, p.line.heightLevels); }},
};

constexpr std::array polygonKeys = {
    KeyRule{"type", false, [](PolishParser& p, const KeyLine& k) { setType(p.polygon.type, k); }},
    KeyRule{"label", false,
            [](PolishParser& p, const KeyLine& k) { p.polygon.label = label(p, k.value); }},
    KeyRule{"endlevel", false,
            [](PolishParser& p, const KeyLine& k) { p.polygon.endLevel = parseInteger(k.value); }},
    KeyRule{
        "housenumber", false,
        [](PolishParser& p, const KeyLine& k) { p.polygon.houseNumber = addressText(p, k.value); }},
    KeyRule{"streetdesc", false,
            [](PolishParser& p, const KeyLine& k) {
                p.polygon.streetDesc = addressText(p, removeLeadingCode(k.value));
            }},
    KeyRule{"cityidx", false,
            [](PolishParser& p, const KeyLine& k) { p.polygon.cityIdx = parseInteger(k.value); }},
    KeyRule{"floors", false,
            [](PolishParser& p, const KeyLine& k) {
                if (const auto floors = scanDecimal(k.value))
                    p.polygon.floorsHeight = low32(int64_t{3} * *floors);
            }},
    KeyRule{"dontfind", false,
            [](PolishParser& p, const KeyLine& k) { p.polygon.dontFind = isYes(k.value); }},
    KeyRule{"data", true,
            [](PolishParser& p, const KeyLine& k) { polyData(p, p.polygon, commitPolygon, k); }},
};

constexpr std::array restrictionKeys = {
    KeyRule{"traffpoints", false,
            [](PolishParser& p, const KeyLine& k) {
                const auto nodes = commaIntegers<3>(k.value);
                p.restriction.node1 = nodes[0];
                p.restriction.node2 = nodes[1];
                p.restriction.node3 = nodes[2];
            }},
    KeyRule{"traffroads", false,
            [](PolishParser& p, const KeyLine& k) {
                const auto roads = commaIntegers<2>(k.value);
                p.restriction.road1 = roads[0];
                p.restriction.road2 = roads[1];
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

void endObject(PolishParser& p) {
    switch (p.section) {
    case sectionPoi:
        commitPoi(p.map, p.poi, ObjectAfter::unused);
        p.poi = mapPoi{};
        break;
    case sectionPolyline:
        commitLine(p.map, p.line, ObjectAfter::unused);
        p.line = mapPoly{};
        break;
    case sectionPolygon:
        commitPolygon(p.map, p.polygon, ObjectAfter::unused);
        p.polygon = mapPoly{};
        break;
    case sectionImgId:
        break;
    default:
        return;
    }
    p.section = sectionNone;
}

void endSection(PolishParser& p, int32_t section) {
    if (p.section == section)
        p.section = sectionNone;
}

using MarkerAction = void (*)(PolishParser&);

struct MarkerRule {
    std::string_view marker;
    MarkerAction apply;
};

constexpr std::array markers = {
    MarkerRule{"[img id]", [](PolishParser& p) { p.section = sectionImgId; }},
    MarkerRule{"[countries]", [](PolishParser& p) { p.section = sectionCountries; }},
    MarkerRule{"[regions]", [](PolishParser& p) { p.section = sectionRegions; }},
    MarkerRule{"[cities]", [](PolishParser& p) { p.section = sectionCities; }},
    MarkerRule{"[restrict]",
               [](PolishParser& p) {
                   p.section = sectionRestrict;
                   p.restriction = mapRestriction{};
               }},
    // An object left unfinished by another marker is dropped here.
    MarkerRule{"[poi]",
               [](PolishParser& p) {
                   p.section = sectionPoi;
                   p.poi = mapPoi{};
               }},
    MarkerRule{"[polyline]",
               [](PolishParser& p) {
                   p.section = sectionPolyline;
                   p.line = mapPoly{};
               }},
    MarkerRule{"[polygon]",
               [](PolishParser& p) {
                   p.section = sectionPolygon;
                   p.polygon = mapPoly{};
               }},
    MarkerRule{"[end]", endObject},
    MarkerRule{"[end-countries]", [](PolishParser& p) { endSection(p, sectionCountries); }},
    MarkerRule{"[end-regions]", [](PolishParser& p) { endSection(p, sectionRegions); }},
    MarkerRule{"[end-cities]", [](PolishParser& p) { endSection(p, sectionCities); }},
    MarkerRule{"[end-restrict]",
               [](PolishParser& p) {
                   if (p.section != sectionRestrict)
                       return;
                   p.map.restrictions.push_back(p.restriction);
                   p.restriction = mapRestriction{};
                   p.section = sectionNone;
               }},
};

// Whether `text` begins with `lowerWord` when its ASCII letters are taken in
// small letters.
bool startsWithWord(std::string_view text, std::string_view lowerWord) {
    if (text.size() < lowerWord.size())
        return false;
    for (size_t i = 0; i < lowerWord.size(); ++i) {
        if (lowerAscii(text[i]) != lowerWord[i])
            return false;
    }
    return true;
}

bool isWord(std::string_view text, std::string_view lowerWord) {
    return text.size() == lowerWord.size() && startsWithWord(text, lowerWord);
}

bool applyMarker(PolishParser& parser, std::string_view line) {
    // Every marker is bracketed; a key line never is.
    if (line.size() >= markerLengthLimit || line.front() != '[')
        return false;
    for (const MarkerRule& rule : markers) {
        if (isWord(line, rule.marker)) {
            rule.apply(parser);
            return true;
        }
    }
    return false;
}

void applyKey(PolishParser& parser, std::string_view line) {
    const std::span<const KeyRule> rules = keysOf(parser.section);
    if (rules.empty())
        return;
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos)
        return;
    // The key is matched without regard to letter case; a prefix key's
    // suffix is only ever read as a number, which case does not change.
    KeyLine k{line.substr(0, equals), line.substr(equals + 1), {}};
    for (const KeyRule& rule : rules) {
        const bool matches =
            rule.prefix ? startsWithWord(k.key, rule.name) : isWord(k.key, rule.name);
        if (matches) {
            k.suffix = k.key.substr(rule.prefix ? rule.name.size() : k.key.size());
            rule.apply(parser, k);
            return;
        }
    }
}

} // namespace

PolishParser::PolishParser(cMapPolish& target) : map(target) {}

void PolishParser::parseLine(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    if (text.empty())
        return;
    if (!applyMarker(*this, text))
        applyKey(*this, text);
}

} // namespace zel
