#include "passes/addressinfo.h"

#include "model/labelchars.h"
#include "model/names.h"
#include "model/radixsort.h"
#include "passes/reorder.h"
#include "passes/textindex.h"
#include "passes/textorder.h"
#include "platform/progress.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>
#include <utility>

namespace zel {
namespace {

bool isCityPoint(const mapAdrObject& object) {
    return (object.kind & kindCityFlag) != 0;
}

// House numbers: "9" before "10" before "9a".
bool shorterThenByName(const std::u16string& a, const std::u16string& b) {
    if (a.size() != b.size())
        return a.size() < b.size();
    return a < b;
}

bool byRefThenNumber(const mapAdrObject& a, const mapAdrObject& b) {
    if (a.ref != b.ref)
        return a.ref < b.ref;
    return shorterThenByName(a.name, b.name);
}

// Only the first-level copy of an object keeps its city; a line or area
// without points has no position to offer.
bool takesPart(const mapPoi& poi) {
    return poi.cityIdx != 0 && poi.dontFind == 0;
}

bool takesPart(const mapPoly& object) {
    return object.cityIdx != 0 && object.dontFind == 0 && !object.points.empty();
}

// The map's street names: every distinct spelling of a street, as the objects
// give it, is normalised once; the normalised names, sorted and each kept
// once, become the map's street names. Two objects on one street usually
// spell it the same way, so this does the work once per street, not per
// object. An object names its street by the number of its text in the map's
// address texts; each number is looked up once, in the order of the store,
// and an object then finds its street by its number alone.
class StreetIndex {
public:
    explicit StreetIndex(const AddressTexts& texts)
        : texts(texts), spellingOf(texts.end(), TextIndex::none) {}

    // Notes that an object on the street of text `number` takes part.
    void mark(uint32_t number) {
        if (number != AddressTexts::none && number < spellingOf.size())
            spellingOf[number] = marked;
    }

    // Gives every marked text its spelling. The numbers of spellings follow
    // the store's order, which does not matter: the names are sorted.
    void addMarked() {
        for (uint32_t number = 0; number < spellingOf.size(); ++number) {
            if (spellingOf[number] == marked)
                spellingOf[number] = add(texts.at(number));
        }
    }

    // Fills `names` with the normalised names, sorted, each once.
    // The spellings are sorted by their normalised names, not the names
    // themselves: equal names are then neighbours, and each spelling learns
    // its name's position as the sorted list is walked once.
    void settle(std::vector<mapStrItem>& names) {
        const std::vector<uint32_t> order =
            textOrder(std::vector<std::u16string_view>(normalised.begin(), normalised.end()));
        positions.resize(normalised.size());
        names.clear();
        for (size_t k = 0; k < order.size(); ++k) {
            const uint32_t spelling = order[k];
            if (k == 0 || normalised[spelling] != normalised[order[k - 1]])
                names.emplace_back(normalised[spelling]);
            positions[spelling] = static_cast<uint32_t>(names.size() - 1);
        }
    }

    // The position in the settled names of the street of text `number`;
    // nothing for a text never marked.
    std::optional<uint32_t> find(uint32_t number) const {
        if (number >= spellingOf.size() || spellingOf[number] >= positions.size())
            return std::nullopt;
        return positions[spellingOf[number]];
    }

private:
    static constexpr uint32_t marked = TextIndex::none - 1;

    uint32_t add(std::u16string_view spelling) {
        const uint32_t number = spellings.add(spelling);
        if (number == normalised.size())
            normalised.push_back(normaliseSeparators(std::u16string(spelling)));
        return number;
    }

    const AddressTexts& texts;
    // Each text's spelling; TextIndex::none for a text no object takes part
    // with, `marked` until addMarked.
    std::vector<uint32_t> spellingOf;
    // The spellings point into the map's address texts, which the pass does
    // not change until it releases them.
    TextIndex spellings;
    std::vector<std::u16string> normalised;
    std::vector<uint32_t> positions;
};

// Calls visit(object) for every point of interest, line and polygon of every
// level, in that order.
template <typename Visit> void forEachObject(const cMapPolish& map, Visit visit) {
    for (const mapLevel& level : map.levels) {
        std::for_each(level.pois.begin(), level.pois.end(), visit);
        std::for_each(level.lines.begin(), level.lines.end(), visit);
        std::for_each(level.polygons.begin(), level.polygons.end(), visit);
    }
}

// Returns how many objects take part.
size_t collectStreetNames(const cMapPolish& map, StreetIndex& streets, cProgress& progress) {
    size_t taking = 0;
    forEachObject(map, [&](const auto& object) {
        if (takesPart(object)) {
            streets.mark(object.streetDesc);
            ++taking;
        }
        progress.tick();
    });
    streets.addMarked();
    return taking;
}

// Gives `object` the street `streetDesc` names and keeps it; an object on a
// street the map does not list is dropped.
void addOnStreet(cMapPolish& map, const StreetIndex& streets, mapAdrObject object,
                 uint32_t streetDesc) {
    if (streetDesc == AddressTexts::none)
        return;
    const std::optional<uint32_t> street = streets.find(streetDesc);
    if (!street)
        return;
    object.ref = *street;
    map.adrObjects.push_back(std::move(object));
}

mapAdrObject newObject(uint32_t kind, int32_t cityIdx, mapPoint position) {
    mapAdrObject object;
    object.kind = kind;
    // The file's city number as it is; lowered to the city's own index once
    // every object is collected.
    object.cityKey = static_cast<uint32_t>(cityIdx);
    object.x = position.x;
    object.y = position.y;
    return object;
}

void collectPoi(cMapPolish& map, const StreetIndex& streets, const mapPoi& poi) {
    if (poi.isCity != 0) {
        mapAdrObject object = newObject(kindCityPoint, poi.cityIdx, poi.pos);
        object.name = normaliseSeparators(poi.label);
        if (!object.name.empty())
            map.adrObjects.push_back(std::move(object));
        return;
    }
    if (poi.houseNumber == AddressTexts::none)
        return;
    mapAdrObject object = newObject(kindPoint, poi.cityIdx, poi.pos);
    object.name = normaliseSeparators(std::u16string(map.addressTexts.at(poi.houseNumber)));
    addOnStreet(map, streets, std::move(object), poi.streetDesc);
}

// The objects' house numbers and street names now live in the index; their
// numbers would point into a store that is released after this pass.
template <typename Object> void forgetAddressTexts(Object& object) {
    object.houseNumber = AddressTexts::none;
    object.streetDesc = AddressTexts::none;
}

// At most one address object per object that takes part (`taking`). The
// list is sized once: grown by doubling, it would leave a freed copy of half
// its size behind, which a large map never gets back. Each object is done
// with its address texts once it is passed.
void collectObjects(cMapPolish& map, const StreetIndex& streets, size_t taking,
                    cProgress& progress) {
    map.adrObjects.reserve(taking);
    for (mapLevel& level : map.levels) {
        for (mapPoi& poi : level.pois) {
            if (takesPart(poi))
                collectPoi(map, streets, poi);
            forgetAddressTexts(poi);
            progress.tick();
        }
        for (mapPoly& line : level.lines) {
            if (takesPart(line))
                addOnStreet(map, streets, newObject(kindStreet, line.cityIdx, line.points.front()),
                            line.streetDesc);
            forgetAddressTexts(line);
            progress.tick();
        }
        for (mapPoly& polygon : level.polygons) {
            if (takesPart(polygon)) {
                mapAdrObject house = newObject(kindHouse, polygon.cityIdx, polygon.points.front());
                house.name =
                    normaliseSeparators(std::u16string(map.addressTexts.at(polygon.houseNumber)));
                addOnStreet(map, streets, std::move(house), polygon.streetDesc);
            }
            forgetAddressTexts(polygon);
            progress.tick();
        }
    }
}

// House points join the houses; cities are numbered from 1 in the file and
// from 0 in the city table.
void settleKindsAndCities(std::vector<mapAdrObject>& objects) {
    for (mapAdrObject& object : objects) {
        if (kindClass(object) == kindPoint && !isCityPoint(object)) {
            object.kind = kindHouse;
            object.name = normaliseSeparators(std::move(object.name));
        }
        object.cityKey -= 1;
    }
}

// The order of adrObjectBefore as integer fields: city, kind class, then
// (city points before the other points) name, or street, length of the
// number and number; names by their place among the distinct names. Equal
// keys keep their order, as in a stable sort.
std::array<uint64_t, 6> sortFieldsOf(const mapAdrObject& object, uint32_t nameRank) {
    enum { city, kindClassField, group, ref, length, name };
    const uint32_t kind = kindClass(object);
    std::array<uint64_t, 6> fields{};
    fields[city] = object.cityKey;
    fields[kindClassField] = kind;
    if (kind == kindPoint && isCityPoint(object)) {
        fields[name] = nameRank;
    } else if (kind == kindPoint || kind == kindHouse) {
        fields[group] = kind == kindPoint ? 1 : 0;
        fields[ref] = object.ref;
        fields[length] = object.name.size();
        fields[name] = nameRank;
    } else {
        fields[ref] = object.ref;
    }
    return fields;
}

void sortObjects(std::vector<mapAdrObject>& objects) {
    const std::vector<uint32_t> ranks =
        rankByText(objects.size(), [&](size_t i) { return std::u16string_view(objects[i].name); });
    reorder(objects, orderByFields<6>(objects.size(), [&](size_t i) {
                return sortFieldsOf(objects[i], ranks[i]);
            }));
}

// Of each run of adjacent objects that are the same thing only the first
// stays: the pieces of one street, or one house given as a point and as a
// building. The name alone does not make objects the same: every street is
// unnamed, and house 5 of one street may follow house 5 of another, so
// comparing names only would drop real streets and houses from the index.
void removeAdjacentDuplicates(std::vector<mapAdrObject>& objects) {
    const auto same = [](const mapAdrObject& a, const mapAdrObject& b) {
        return a.cityKey == b.cityKey && (a.kind & 7u) == (b.kind & 7u) && a.ref == b.ref &&
               a.name == b.name;
    };
    objects.erase(std::unique(objects.begin(), objects.end(), same), objects.end());
}

using ObjectIter = std::vector<mapAdrObject>::const_iterator;

struct ObjectRange {
    ObjectIter first;
    ObjectIter last;
};

using ClassKey = std::pair<uint32_t, uint32_t>;

ClassKey keyOf(const mapAdrObject& object) {
    return {object.cityKey, kindClass(object)};
}

// The objects of one city and kind class in the sorted list.
ObjectRange findClass(ObjectIter first, ObjectIter last, ClassKey wanted) {
    return {std::lower_bound(first, last, wanted,
                             [](const mapAdrObject& o, ClassKey k) { return keyOf(o) < k; }),
            std::upper_bound(first, last, wanted,
                             [](ClassKey k, const mapAdrObject& o) { return k < keyOf(o); })};
}

// Whether the objects, sorted by street, hold one on street `ref`.
bool holdsStreet(ObjectIter first, ObjectIter last, uint32_t ref) {
    const ObjectIter at = std::lower_bound(
        first, last, ref, [](const mapAdrObject& object, uint32_t r) { return object.ref < r; });
    return at != last && at->ref == ref;
}

// Every street a city's houses stand on gets a street object, so that each
// house group finds its street when the address file is written.
void addMissingStreets(std::vector<mapAdrObject>& objects) {
    std::vector<mapAdrObject> added;
    ObjectIter group = objects.begin();
    const ObjectIter end = objects.end();
    while (group != end) {
        const uint32_t key = group->cityKey;
        const ObjectIter groupEnd = std::find_if(
            group, end, [key](const mapAdrObject& object) { return object.cityKey != key; });
        const ObjectRange streets = findClass(group, groupEnd, {key, kindStreet});
        const ObjectRange houses = findClass(group, groupEnd, {key, kindHouse});
        const size_t groupAdded = added.size();
        for (ObjectIter house = houses.first; house != houses.last; ++house) {
            const auto addedFirst = added.cbegin() + static_cast<std::ptrdiff_t>(groupAdded);
            if (holdsStreet(streets.first, streets.last, house->ref) ||
                holdsStreet(addedFirst, added.cend(), house->ref))
                continue;
            mapAdrObject street;
            street.kind = kindStreet;
            street.cityKey = key;
            street.ref = house->ref;
            street.x = house->x;
            street.y = house->y;
            added.push_back(std::move(street));
        }
        group = groupEnd;
    }
    if (added.empty())
        return;
    objects.insert(objects.end(), std::make_move_iterator(added.begin()),
                   std::make_move_iterator(added.end()));
    sortObjects(objects);
}

} // namespace

bool adrObjectBefore(const mapAdrObject& a, const mapAdrObject& b) {
    if (a.cityKey != b.cityKey)
        return a.cityKey < b.cityKey;
    const uint32_t classA = kindClass(a);
    const uint32_t classB = kindClass(b);
    if (classA != classB)
        return classA < classB;
    if (classA == kindPoint) {
        if (isCityPoint(a) != isCityPoint(b))
            return isCityPoint(a);
        if (isCityPoint(a))
            return a.name < b.name;
        return byRefThenNumber(a, b);
    }
    if (classA == kindHouse)
        return byRefThenNumber(a, b);
    return a.ref < b.ref;
}

void buildAddressInfo(cMapPolish& map) {
    cProgress progress;
    // Every object is visited twice: once for its street, once for itself.
    const uint64_t objects = uint64_t{map.poiCount} + map.lineCount + map.polygonCount;
    progress.start("Address info", static_cast<uint32_t>(2 * objects));
    StreetIndex streets(map.addressTexts);
    const size_t taking = collectStreetNames(map, streets, progress);
    streets.settle(map.streetNames);
    for (const mapStrItem& street : map.streetNames)
        map.labelChars.add(street.name);
    collectObjects(map, streets, taking, progress);
    settleKindsAndCities(map.adrObjects);
    sortObjects(map.adrObjects);
    removeAdjacentDuplicates(map.adrObjects);
    addMissingStreets(map.adrObjects);
    for (const mapAdrObject& object : map.adrObjects)
        map.labelChars.add(object.name);
    map.addressTexts.release();
    progress.finish();
}

} // namespace zel
