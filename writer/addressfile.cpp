#include "writer/addressfile.h"

#include "format/bytes.h"
#include "format/layout.h"
#include "platform/console.h"
#include "platform/files.h"
#include "writer/adrrecords.h"
#include "writer/adrtree.h"
#include "writer/messages.h"

#include <algorithm>
#include <limits>
#include <string>
#include <string_view>

namespace zel {
namespace {

// Positions are stored as signed 32-bit values with -1 for "none"; a file
// whose offsets go beyond is one we cannot write.
constexpr uint64_t maxOffset = static_cast<uint64_t>(std::numeric_limits<int32_t>::max());
// The header counts countries in one byte and regions in two.
constexpr size_t maxCountries = 0xFF;
constexpr size_t maxRegions = 0xFFFF;
// A country has no owner: every country with regions is written.
constexpr size_t noOwners = std::numeric_limits<size_t>::max();

struct AddressFileHeader {
    uint8_t countries = 0;
    uint16_t regions = 0;
    uint32_t cities = 0;
    uint32_t strings = 0;
    uint32_t countryOffset = 0;
    uint32_t regionOffset = 0;
    uint32_t cityOffset = 0;
    uint32_t stringBytes = 0;
};

Bytes headerBytes(const AddressFileHeader& header) {
    Bytes out;
    putTag(out, layout::addressTag);
    putU8(out, 0);
    putU8(out, header.countries);
    putU16(out, header.regions);
    putU32(out, header.cities);
    putU32(out, header.strings);
    putU32(out, header.countryOffset);
    putU32(out, header.regionOffset);
    putU32(out, header.cityOffset);
    putU32(out, header.stringBytes);
    putU32(out, 0);
    return out;
}

using ObjectList = std::vector<const mapAdrObject*>;
using ObjectIter = ObjectList::const_iterator;

// The order the file needs: by city, kind class and, for streets and houses,
// street. Address info leaves the objects in an order that refines this one,
// so they are only checked; a model filled otherwise is put in order (by a
// stable sort) rather than searched as if it were.
bool fileOrder(const mapAdrObject* a, const mapAdrObject* b) {
    if (a->cityKey != b->cityKey)
        return a->cityKey < b->cityKey;
    if (kindClass(*a) != kindClass(*b))
        return kindClass(*a) < kindClass(*b);
    return kindClass(*a) >= kindStreet && a->ref < b->ref;
}

ObjectList objectsInFileOrder(const std::vector<mapAdrObject>& objects) {
    ObjectList order;
    order.reserve(objects.size());
    for (const mapAdrObject& object : objects)
        order.push_back(&object);
    if (!std::is_sorted(order.begin(), order.end(), fileOrder))
        std::stable_sort(order.begin(), order.end(), fileOrder);
    return order;
}

struct ObjectRange {
    ObjectIter first;
    ObjectIter last;
    size_t size() const { return static_cast<size_t>(last - first); }
};

ObjectRange findClass(ObjectIter first, ObjectIter last, uint32_t wanted) {
    return {std::partition_point(
                first, last, [wanted](const mapAdrObject* o) { return kindClass(*o) < wanted; }),
            std::partition_point(
                first, last, [wanted](const mapAdrObject* o) { return kindClass(*o) <= wanted; })};
}

// One searchable word of a house number: the text from a word's start to the
// end of the number.
struct HouseWord {
    std::u16string_view text;
    uint32_t position = 0;
    uint32_t house = 0;
};

// The words of a street's houses, sorted by their text. Only the part of a
// number that its record keeps is searched, so every position lies inside
// the name as written.
std::vector<HouseWord> wordsOf(ObjectRange houses) {
    std::vector<HouseWord> words;
    uint32_t house = 0;
    for (ObjectIter at = houses.first; at != houses.last; ++at, ++house) {
        const std::u16string_view name((*at)->name.data(), nameRecordUnits((*at)->name));
        for (size_t position = 0; position < name.size(); ++position) {
            if (position == 0 || name[position - 1] == u' ')
                words.push_back({name.substr(position), static_cast<uint32_t>(position), house});
        }
    }
    std::stable_sort(words.begin(), words.end(),
                     [](const HouseWord& a, const HouseWord& b) { return a.text < b.text; });
    return words;
}

// Beyond the number the header can count, the items that would be written
// last are left unused, so that the header's count still describes the file.
template <TreeItem Item>
void keepWithinCount(std::vector<Item>& items, size_t ownerCount, size_t limit) {
    if (items.size() <= limit)
        return;
    std::stable_sort(items.begin(), items.end(), ownerThenName<Item>);
    size_t kept = 0;
    for (Item& item : items) {
        const bool knownOwner =
            ownerCount == noOwners || static_cast<uint32_t>(item.ownerIndex) < ownerCount;
        if (item.childPos == -1 || !knownOwner)
            continue;
        if (kept == limit)
            item.childPos = -1;
        else
            ++kept;
    }
}

template <TreeItem Item> uint64_t bytesOf(const std::vector<Item>& items) {
    uint64_t total = 0;
    for (const Item& item : items)
        total += recordSize(item);
    return total;
}

// Writes the address data of one map. The tree is written from copies of the
// map's tables: writing prunes them to what the file holds and fills in each
// node's children, which is no business of the model.
class AddressWriter {
public:
    AddressWriter(const cMapPolish& map, platform::File& file)
        : map(map), countries(map.countries), regions(map.regions), cities(map.cities), file(file) {
    }

    bool write() {
        AddressFileHeader placeholder;
        placeholder.countries = static_cast<uint8_t>(countries.size());
        placeholder.regions = static_cast<uint16_t>(regions.size());
        placeholder.cities = static_cast<uint32_t>(cities.size());
        const Bytes first = headerBytes(placeholder);
        if (!file.write(first.data(), first.size()))
            return false;
        writeStrings();
        writeObjects();
        writeCities();
        writeRegions();
        writeCountries();
        if (failed || !file.seek(0))
            return false;
        const Bytes finalHeader = headerBytes(header);
        return file.write(finalHeader.data(), finalHeader.size());
    }

private:
    // One buffer serves every record: hundreds of thousands of them would
    // otherwise each allocate their own.
    template <typename Item> void writeItem(const Item& item) {
        record.clear();
        putRecord(record, item);
        writeBytes(record);
    }

    void writeBytes(const Bytes& bytes) {
        if (!file.write(bytes.data(), bytes.size()))
            failed = true;
        grow(bytes.size());
    }

    void grow(uint64_t bytes) {
        offset += bytes;
        if (offset > maxOffset)
            failed = true;
    }

    uint32_t position() const { return static_cast<uint32_t>(offset); }

    void writeStrings() {
        for (const mapStrItem& street : map.streetNames) {
            if (failed)
                return;
            writeItem(street);
        }
        header.strings = static_cast<uint32_t>(map.streetNames.size());
        header.stringBytes = position();
    }

    // The objects city by city, in the order of the cities' own indices.
    void writeObjects() {
        std::stable_sort(cities.begin(), cities.end(),
                         [](const cCityInfo& a, const cCityInfo& b) { return a.index < b.index; });
        const ObjectList order = objectsInFileOrder(map.adrObjects);
        ObjectIter group = order.begin();
        while (group != order.end() && !failed) {
            const uint32_t key = (*group)->cityKey;
            const ObjectIter groupEnd = std::find_if(
                group, order.end(), [key](const mapAdrObject* o) { return o->cityKey != key; });
            if (cCityInfo* city = findCity(key))
                writeCityObjects(*city, group, groupEnd);
            else
                platform::printNarrow(writerMessages::unknownCity(key));
            group = groupEnd;
        }
    }

    // The city whose own index is `key` (the first of them, should two share
    // it); cities are sorted by index.
    cCityInfo* findCity(uint32_t key) {
        const auto wanted = static_cast<int32_t>(key);
        const auto at = std::lower_bound(
            cities.begin(), cities.end(), wanted,
            [](const cCityInfo& city, int32_t index) { return city.index < index; });
        return at != cities.end() && at->index == wanted ? &*at : nullptr;
    }

    void writeCityObjects(cCityInfo& city, ObjectIter first, ObjectIter last) {
        city.childPos = static_cast<int32_t>(offset);
        writeKind(city, kindPoint, findClass(first, last, kindPoint));
        const ObjectRange streets = findClass(first, last, kindStreet);
        writeKind(city, kindStreet, streets);
        writeHouses(city, streets, findClass(first, last, kindHouse));
    }

    void writeKind(cCityInfo& city, uint32_t kind, ObjectRange objects) {
        KindTable& record = findKind(city, kind);
        record.pos = position();
        record.count = static_cast<uint32_t>(objects.size());
        for (ObjectIter at = objects.first; at != objects.last && !failed; ++at)
            writeItem(**at);
    }

    // Street by street: the houses, then their words; then one entry per
    // street in each of the two house tables. The kind record counts every
    // house, also those whose street is missing and which are not written.
    void writeHouses(cCityInfo& city, ObjectRange streets, ObjectRange houses) {
        KindTable& record = findKind(city, kindHouse);
        record.pos = position();
        record.count = static_cast<uint32_t>(houses.size());
        std::vector<cFilePos> houseTable(streets.size());
        std::vector<cFilePos> wordTable(streets.size());
        ObjectIter group = houses.first;
        while (group != houses.last && !failed) {
            const uint32_t ref = (*group)->ref;
            const ObjectRange street{group, std::find_if(group, houses.last, [ref](const auto* o) {
                                         return o->ref != ref;
                                     })};
            const ObjectIter found = std::partition_point(
                streets.first, streets.last, [ref](const mapAdrObject* o) { return o->ref < ref; });
            if (found == streets.last || (*found)->ref != ref) {
                platform::printNarrow(writerMessages::absentPolyline);
            } else {
                const auto i = static_cast<size_t>(found - streets.first);
                writeStreetHouses(street, houseTable[i], wordTable[i]);
            }
            group = street.last;
        }
        writeTable(houseTable, city.table1);
        writeTable(wordTable, city.table2);
    }

    void writeStreetHouses(ObjectRange houses, cFilePos& houseEntry, cFilePos& wordEntry) {
        houseEntry.pos = static_cast<int32_t>(offset);
        houseEntry.count = static_cast<uint32_t>(houses.size());
        for (ObjectIter at = houses.first; at != houses.last && !failed; ++at)
            writeItem(**at);
        const std::vector<HouseWord> words = wordsOf(houses);
        wordEntry.pos = static_cast<int32_t>(offset);
        wordEntry.count = static_cast<uint32_t>(words.size());
        Bytes entries;
        entries.reserve(8 * words.size());
        for (const HouseWord& word : words) {
            putU32(entries, word.position);
            putU32(entries, word.house);
        }
        if (!failed)
            writeBytes(entries);
    }

    void writeTable(const std::vector<cFilePos>& entries, cItemTable& table) {
        table.pos = static_cast<int32_t>(offset);
        table.count = static_cast<uint32_t>(entries.size());
        for (const cFilePos& entry : entries) {
            if (failed)
                return;
            writeItem(entry);
        }
    }

    // A section written by the tree operations, which keep exactly the items
    // they wrote, unless a write failed: then those not reached stay as well,
    // and the sizes no longer add up.
    template <TreeItem Item, typename Writer>
    void writeTreeSection(std::vector<Item>& items, Writer writeItems) {
        if (failed)
            return;
        if (offset + bytesOf(items) > maxOffset) {
            failed = true;
            return;
        }
        const uint32_t before = position();
        const uint32_t after = writeItems(before);
        if (after - before != bytesOf(items))
            failed = true;
        offset = after;
    }

    void writeCities() {
        header.cityOffset = position();
        writeTreeSection(cities,
                         [this](uint32_t at) { return writeChildren(cities, file, at, regions); });
        header.cities = static_cast<uint32_t>(cities.size());
    }

    void writeRegions() {
        header.regionOffset = position();
        keepWithinCount(regions, countries.size(), maxRegions);
        writeTreeSection(
            regions, [this](uint32_t at) { return writeChildren(regions, file, at, countries); });
        header.regions = static_cast<uint16_t>(regions.size());
    }

    void writeCountries() {
        header.countryOffset = position();
        std::stable_sort(countries.begin(), countries.end(), ownerThenName<mapAdrItem>);
        keepWithinCount(countries, noOwners, maxCountries);
        writeTreeSection(countries, [this](uint32_t at) { return writeAll(countries, file, at); });
        header.countries = static_cast<uint8_t>(countries.size());
    }

    const cMapPolish& map;
    std::vector<mapAdrItem> countries;
    std::vector<mapAdrItem> regions;
    std::vector<cCityInfo> cities;
    platform::File& file;
    AddressFileHeader header;
    // Bytes written after the header: every position in the file counts from
    // the header's end.
    uint64_t offset = 0;
    bool failed = false;
    Bytes record;
};

} // namespace

bool writeAddressFile(const cMapPolish& map, uint32_t levelIndex, const std::u16string& path) {
    platform::File file;
    if (!file.open(path, platform::File::Mode::create)) {
        platform::printNarrow(writerMessages::sideFileFailed(path));
        return false;
    }
    bool written = false;
    if (levelIndex == 0) {
        written = AddressWriter(map, file).write();
    } else {
        const Bytes bare = headerBytes(AddressFileHeader{});
        written = file.write(bare.data(), bare.size());
    }
    // Buffered bytes reach the disk only now, so closing can fail as well.
    if (!file.close())
        written = false;
    if (!written) {
        platform::printNarrow(writerMessages::sideFileFailed(path));
        platform::removeFile(path);
    }
    return written;
}

} // namespace zel
