#include "format/address.h"

#include "format/bytes.h"
#include "format/layout.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <optional>
#include <string_view>
#include <utility>

namespace zel::format {
namespace {

using layout::addressHeaderSize;

constexpr uint32_t kindPoint = 1;
constexpr uint32_t kindStreet = 2;
constexpr uint32_t kindHouse = 3;
constexpr uint32_t classMask = 3;
constexpr uint64_t filePosBytes = 8;
constexpr uint64_t wordBytes = 8;

std::string dec(int64_t value) {
    return std::to_string(value);
}

bool readName(ByteReader& in, std::u16string& name) {
    const uint8_t units = in.readU8();
    name.clear();
    for (uint8_t i = 0; i < units && in.ok(); ++i)
        name.push_back(static_cast<char16_t>(in.readU16()));
    return in.ok();
}

// The number of words a house number offers: its start and every position
// after a blank.
uint64_t wordCount(std::u16string_view name) {
    uint64_t words = 0;
    for (size_t i = 0; i < name.size(); ++i) {
        if (i == 0 || name[i - 1] == u' ')
            ++words;
    }
    return words;
}

class AddressReader {
public:
    AddressReader(std::span<const uint8_t> bytes, uint64_t base, AddressContainer container,
                  AddressSection& out)
        : bytes(bytes), base(base), container(container), out(out) {}

    void read() {
        if (!readHeader())
            return;
        const AddressHeader& h = out.header;
        body = bytes.subspan(addressHeaderSize);
        // Strings, objects, cities, regions and countries follow each other.
        const bool ordered = h.stringBytes <= h.cityOffset && h.cityOffset <= h.regionOffset &&
                             h.regionOffset <= h.countryOffset;
        if (!ordered)
            out.problems.push_back({base + 16, "address sections out of order"});
        if (h.countryOffset > body.size()) {
            out.problems.push_back({base + 16, "country section beyond the end of the data"});
            return;
        }
        // Each section must be read whole, filling its bytes, before what
        // depends on it is judged: once a count is wrong, the records after
        // it are read from the wrong place and what they hold means nothing.
        bool stringsWhole = false;
        bool citiesWhole = false;
        bool regionsWhole = false;
        std::optional<uint64_t> regionsEnd;
        if (ordered) {
            stringsWhole = readStrings();
            citiesWhole = readCities();
            regionsEnd = readNodes(h.regionOffset, h.countryOffset, h.regionCount, out.regions,
                                   regionStarts, "region");
            regionsWhole = filled(regionsEnd, h.countryOffset, "region");
        }
        // The countries come last, so where they end the section ends; that
        // is worth knowing even when the sections before are out of order.
        const std::optional<uint64_t> countriesEnd = readNodes(
            h.countryOffset, body.size(), h.countryCount, out.countries, countryStarts, "country");
        if (countriesEnd)
            out.size = addressHeaderSize + *countriesEnd;
        if (!ordered)
            return;
        const bool countriesWhole = container == AddressContainer::mainFile
                                        ? countriesEnd.has_value()
                                        : filled(countriesEnd, body.size(), "country");
        if (citiesWhole && regionsWhole && countriesWhole) {
            linkChildren(out.regions, regionStarts, cityStarts, "region", "city");
            linkChildren(out.countries, countryStarts, regionStarts, "country", "region");
        }
        // The object section starts where the strings end.
        if (stringsWhole && citiesWhole) {
            for (AddressCity& city : out.cities)
                readCityObjects(city);
        }
        out.unreferencedObjectBytes = h.cityOffset - h.stringBytes - claimedBytes;
        out.complete = stringsWhole && citiesWhole && regionsWhole && countriesWhole;
    }

private:
    // Offsets in problems count from the start of the bytes (plus base);
    // `relative` ones from the end of the header, as the section stores them.
    void report(uint64_t relative, std::string what) {
        out.problems.push_back({base + addressHeaderSize + relative, std::move(what)});
    }

    void warn(uint64_t relative, std::string what) {
        out.warnings.push_back({base + addressHeaderSize + relative, std::move(what)});
    }

    bool readHeader() {
        if (bytes.size() < addressHeaderSize) {
            out.problems.push_back({base, "address header runs past the end of the data"});
            return false;
        }
        if (!hasTag(bytes.data(), layout::addressTag))
            out.problems.push_back({base, "address data tag is not \"BADR\""});
        ByteReader in(bytes.subspan(4, addressHeaderSize - 4));
        out.header = readAddressHeader(in);
        const AddressHeader& h = out.header;
        if (h.reserved != 0)
            out.problems.push_back({base + 4, "non-zero reserved byte in the address header"});
        if (h.reserved2 != 0)
            out.problems.push_back({base + 32, "non-zero reserved field in the address header"});
        return true;
    }

    // The bytes from `from` up to `to`, both counted from the header's end.
    ByteReader section(uint64_t from, uint64_t to) const {
        return ByteReader(body.subspan(from, to - from));
    }

    // True when the strings fill their section exactly.
    bool readStrings() {
        ByteReader in = section(0, out.header.stringBytes);
        for (uint32_t i = 0; i < out.header.stringCount; ++i) {
            const uint64_t at = in.position();
            std::u16string name;
            if (!readName(in, name)) {
                report(at, "string " + dec(i) + " runs past the string section");
                return false;
            }
            out.strings.push_back(std::move(name));
        }
        return filled(in.position(), out.header.stringBytes, "string");
    }

    // True when the cities fill their section exactly.
    bool readCities() {
        const AddressHeader& h = out.header;
        ByteReader in = section(h.cityOffset, h.regionOffset);
        for (uint32_t i = 0; i < h.cityCount; ++i) {
            const uint64_t at = h.cityOffset + in.position();
            AddressCity city;
            city.offset = base + addressHeaderSize + at;
            readName(in, city.name);
            city.childCount = in.readU32();
            city.childPos = in.readI32();
            // Each kind record takes 12 bytes, so a huge count ends with the section.
            for (uint32_t k = 0; k < city.childCount && in.ok(); ++k) {
                AddressKind kind;
                kind.kind = in.readU32();
                kind.count = in.readU32();
                kind.pos = in.readU32();
                city.kinds.push_back(kind);
            }
            city.table1.pos = in.readI32();
            city.table1.count = in.readU32();
            if (in.failed()) {
                report(at, "city " + dec(i) + " runs past the city section");
                return false;
            }
            cityStarts.push_back(at);
            out.cities.push_back(std::move(city));
        }
        return filled(h.cityOffset + in.position(), h.regionOffset, "city");
    }

    // Reads the regions or countries in [from, to); returns where the last
    // one ends, or nothing when one runs past `to`. Positions count from the
    // header's end.
    std::optional<uint64_t> readNodes(uint64_t from, uint64_t to, uint32_t count,
                                      std::vector<AddressNode>& nodes,
                                      std::vector<uint64_t>& starts, const std::string& what) {
        ByteReader in = section(from, to);
        for (uint32_t i = 0; i < count; ++i) {
            const uint64_t at = from + in.position();
            AddressNode node;
            node.offset = base + addressHeaderSize + at;
            readName(in, node.name);
            node.childCount = in.readU32();
            node.childPos = in.readI32();
            if (in.failed()) {
                report(at, what + " " + dec(i) + " runs past the " + what + " section");
                return std::nullopt;
            }
            starts.push_back(at);
            nodes.push_back(std::move(node));
        }
        return from + in.position();
    }

    // True when records ending at `end` fill their section up to `to`;
    // bytes left over are reported.
    bool filled(std::optional<uint64_t> end, uint64_t to, const std::string& what) {
        if (!end)
            return false;
        if (*end < to)
            report(*end, dec(static_cast<int64_t>(to - *end)) + " bytes after the last " + what);
        return *end == to;
    }

    // Each node points at the start of its first child's record, and its
    // children follow one another; no child belongs to two nodes. A child that
    // no node lists is a warning: the writer leaves out an owner of unknown
    // parentage after its children were written, and they stay readable.
    void linkChildren(std::vector<AddressNode>& nodes, const std::vector<uint64_t>& own,
                      const std::vector<uint64_t>& childStarts, const std::string& what,
                      const std::string& childWhat) {
        bool linked = true;
        std::vector<std::pair<uint64_t, size_t>> ranges; // first child, node
        for (size_t i = 0; i < nodes.size(); ++i) {
            AddressNode& node = nodes[i];
            const std::string name = what + " " + dec(static_cast<int64_t>(i));
            const auto at = node.childPos < 0
                                ? childStarts.end()
                                : std::lower_bound(childStarts.begin(), childStarts.end(),
                                                   static_cast<uint64_t>(node.childPos));
            if (at == childStarts.end() || *at != static_cast<uint64_t>(node.childPos)) {
                report(own[i],
                       name + " points at no " + childWhat + " (" + dec(node.childPos) + ")");
                linked = false;
                continue;
            }
            node.firstChild = at - childStarts.begin();
            const auto first = static_cast<uint64_t>(node.firstChild);
            if (node.childCount == 0 || first + node.childCount > childStarts.size()) {
                report(own[i], name + " claims " + dec(node.childCount) + " " + childWhat +
                                   " records from " + dec(node.firstChild) + " of " +
                                   dec(static_cast<int64_t>(childStarts.size())));
                linked = false;
                continue;
            }
            ranges.emplace_back(first, i);
        }
        // Sorted by their first child, each range must start after the ends
        // of all before it.
        std::sort(ranges.begin(), ranges.end());
        uint64_t owned = 0; // children below this one have an owner
        for (const auto& [first, i] : ranges) {
            if (first < owned) {
                report(own[i], childWhat + " " + dec(static_cast<int64_t>(first)) +
                                   " belongs to two " + what + " records");
                linked = false;
            }
            owned = std::max(owned, first + nodes[i].childCount);
        }
        if (linked)
            warnOrphans(ranges, nodes, childStarts, what, childWhat);
    }

    // Ranges that fit and do not overlap can only fall short of the
    // children, leaving some without an owner.
    void warnOrphans(const std::vector<std::pair<uint64_t, size_t>>& ranges,
                     const std::vector<AddressNode>& nodes,
                     const std::vector<uint64_t>& childStarts, const std::string& what,
                     const std::string& childWhat) {
        uint64_t next = 0; // the first child not yet known to have an owner
        const auto orphansBefore = [&](uint64_t first) {
            for (; next < first; ++next)
                warn(childStarts[next], childWhat + " " + dec(static_cast<int64_t>(next)) +
                                            " belongs to no " + what +
                                            ": its owner was left out of the file");
        };
        for (const auto& [first, i] : ranges) {
            orphansBefore(first);
            next = std::max(next, first + nodes[i].childCount);
        }
        orphansBefore(childStarts.size());
    }

    // Marks [from, from + length) of the object section (positions from the
    // header's end) as read; false, with a problem, when a part of it lies
    // outside the section or was read before.
    bool claim(uint64_t from, uint64_t length, const std::string& what) {
        if (from < out.header.stringBytes || from > out.header.cityOffset ||
            length > out.header.cityOffset - from) {
            report(from, what + " lies outside the object section");
            return false;
        }
        if (length == 0)
            return true;
        // The claims are disjoint, so only the last one starting at or
        // before `from` and the first one after it can overlap.
        const auto next = claimed.upper_bound(from);
        if ((next != claimed.begin() && std::prev(next)->second > from) ||
            (next != claimed.end() && next->first < from + length)) {
            report(from, what + " overlaps another record");
            return false;
        }
        claimed.emplace_hint(next, from, from + length);
        claimedBytes += length;
        return true;
    }

    // True when all `count` objects could be read.
    bool readObjects(uint64_t pos, uint32_t count, uint32_t kindClass,
                     std::vector<AddressObject>& objects, const std::string& what) {
        if (count == 0)
            return true;
        if (pos < out.header.stringBytes || pos >= out.header.cityOffset) {
            report(pos, what + " lie outside the object section");
            return false;
        }
        ByteReader in = section(pos, out.header.cityOffset);
        for (uint32_t i = 0; i < count; ++i) {
            const uint64_t at = pos + in.position();
            AddressObject object;
            object.offset = base + addressHeaderSize + at;
            object.kind = in.readU8();
            object.ref = in.readU32();
            readName(in, object.name);
            object.x = in.readF32();
            object.y = in.readF32();
            if (in.failed()) {
                report(at, what + " run past the object section");
                return false;
            }
            if (!claim(at, pos + in.position() - at, what))
                return false;
            if ((object.kind & classMask) != kindClass)
                report(at, what + ": an object of kind " + dec(object.kind));
            objects.push_back(std::move(object));
        }
        return true;
    }

    std::vector<AddressPos> readTable(uint64_t pos, uint32_t count) {
        std::vector<AddressPos> entries;
        ByteReader in = section(pos, pos + filePosBytes * count);
        for (uint32_t i = 0; i < count; ++i) {
            AddressPos entry;
            entry.pos = in.readI32();
            entry.count = in.readU32();
            entries.push_back(entry);
        }
        return entries;
    }

    // The kind records come in the order of their kinds (points, streets,
    // houses), each pointing into the object section even when it counts
    // nothing. Those that break this are reported and not followed; the
    // house tables, one entry per street, are then not held against the
    // streets found.
    void readCityObjects(AddressCity& city) {
        const std::string name = "city " + dec(static_cast<int64_t>(&city - out.cities.data()));
        const uint64_t at = city.offset - base - addressHeaderSize;
        const AddressHeader& h = out.header;
        if (city.childPos < static_cast<int64_t>(h.stringBytes) ||
            city.childPos > static_cast<int64_t>(h.cityOffset))
            report(at, name + " starts outside the object section");
        uint32_t lastKind = 0;
        bool streetsRead = true;
        for (const AddressKind& kind : city.kinds) {
            if (kind.kind < kindPoint || kind.kind > kindHouse) {
                report(at, name + ": kind record of kind " + dec(kind.kind));
                streetsRead = false;
            } else if (kind.kind <= lastKind) {
                report(at, name + ": kind records out of order");
                streetsRead = false;
            } else if (kind.pos < h.stringBytes || kind.pos > h.cityOffset) {
                report(at, name + " kind " + dec(kind.kind) + " at " + dec(kind.pos) +
                               " outside the object section");
                streetsRead = streetsRead && kind.kind != kindStreet;
                lastKind = kind.kind;
            } else {
                lastKind = kind.kind;
                if (kind.kind == kindPoint)
                    readObjects(kind.pos, kind.count, kindPoint, city.points, name + " points");
                else if (kind.kind == kindStreet)
                    streetsRead = streetsRead && readObjects(kind.pos, kind.count, kindStreet,
                                                             city.streets, name + " streets");
            }
        }
        readHouses(city, name, at, streetsRead);
    }

    void readHouses(AddressCity& city, const std::string& name, uint64_t at, bool streetsRead) {
        const uint64_t tableBytes = filePosBytes * city.table1.count;
        const uint64_t pos = static_cast<uint32_t>(city.table1.pos);
        if (streetsRead && city.table1.count != city.streets.size())
            report(at, name + " has " + dec(city.table1.count) + " house table entries for " +
                           dec(static_cast<int64_t>(city.streets.size())) + " streets");
        if (city.table1.pos < 0) {
            report(at, name + " has no house tables");
            return;
        }
        if (!claim(pos, 2 * tableBytes, name + " house tables"))
            return;
        const std::vector<AddressPos> houseTable = readTable(pos, city.table1.count);
        const std::vector<AddressPos> wordTable = readTable(pos + tableBytes, city.table1.count);
        for (size_t i = 0; i < houseTable.size(); ++i) {
            AddressStreetHouses street;
            street.houseTable = houseTable[i];
            street.wordTable = wordTable[i];
            const std::string what = name + " street " + dec(static_cast<int64_t>(i));
            if (street.houseTable.pos < 0 || street.wordTable.pos < 0) {
                if (street.houseTable != AddressPos{} || street.wordTable != AddressPos{})
                    report(pos, what + ": house table entries only half set");
            } else {
                // The words point into the houses, so they need them all.
                if (readObjects(static_cast<uint32_t>(street.houseTable.pos),
                                street.houseTable.count, kindHouse, street.houses,
                                what + " houses")) {
                    if (i < city.streets.size())
                        checkStreetRefs(street.houses, city.streets[i].ref, what);
                    readWords(street, what);
                }
            }
            city.houses.push_back(std::move(street));
        }
    }

    void checkStreetRefs(const std::vector<AddressObject>& houses, uint32_t ref,
                         const std::string& what) {
        for (const AddressObject& house : houses) {
            if (house.ref != ref)
                report(house.offset - base - addressHeaderSize,
                       what + ": a house on street " + dec(house.ref) + " instead of " + dec(ref));
        }
    }

    void readWords(AddressStreetHouses& street, const std::string& what) {
        const auto pos = static_cast<uint32_t>(street.wordTable.pos);
        if (!claim(pos, wordBytes * street.wordTable.count, what + " words"))
            return;
        ByteReader in = section(pos, pos + wordBytes * street.wordTable.count);
        uint64_t expected = 0;
        for (const AddressObject& house : street.houses)
            expected += wordCount(house.name);
        if (expected != street.wordTable.count)
            report(pos, what + ": " + dec(street.wordTable.count) + " words for houses with " +
                            dec(static_cast<int64_t>(expected)));
        std::u16string_view previous;
        for (uint32_t i = 0; i < street.wordTable.count; ++i) {
            AddressWord word;
            word.position = in.readU32();
            word.house = in.readU32();
            street.words.push_back(word);
            const uint64_t entryAt = pos + wordBytes * i;
            if (word.house >= street.houses.size()) {
                report(entryAt, what + ": word of house " + dec(word.house));
                continue;
            }
            const std::u16string_view number = street.houses[word.house].name;
            if (word.position >= number.size() ||
                (word.position > 0 && number[word.position - 1] != u' ')) {
                report(entryAt, what + ": no word at " + dec(word.position));
                continue;
            }
            const std::u16string_view text = number.substr(word.position);
            if (i > 0 && text < previous)
                report(entryAt, what + ": words out of order");
            previous = text;
        }
        // With as many entries as words, a word listed twice means another
        // one is missing.
        std::vector<std::pair<uint32_t, uint32_t>> seen;
        for (const AddressWord& word : street.words)
            seen.emplace_back(word.house, word.position);
        std::sort(seen.begin(), seen.end());
        if (std::adjacent_find(seen.begin(), seen.end()) != seen.end())
            report(pos, what + ": a word listed twice");
    }

    std::span<const uint8_t> bytes;
    std::span<const uint8_t> body;
    uint64_t base;
    AddressContainer container;
    AddressSection& out;
    // The parts of the object section read so far: start to end, from the
    // header's end.
    std::map<uint64_t, uint64_t> claimed;
    uint64_t claimedBytes = 0;
    // Where each city, region and country record starts, from the header's end.
    std::vector<uint64_t> cityStarts;
    std::vector<uint64_t> regionStarts;
    std::vector<uint64_t> countryStarts;
};

} // namespace

AddressHeader readAddressHeader(ByteReader& in) {
    AddressHeader h;
    h.present = true;
    h.reserved = in.readU8();
    h.countryCount = in.readU8();
    h.regionCount = in.readU16();
    h.cityCount = in.readU32();
    h.stringCount = in.readU32();
    h.countryOffset = in.readU32();
    h.regionOffset = in.readU32();
    h.cityOffset = in.readU32();
    h.stringBytes = in.readU32();
    h.reserved2 = in.readU32();
    return h;
}

AddressSection readAddressSection(std::span<const uint8_t> bytes, uint64_t base,
                                  AddressContainer container) {
    AddressSection section;
    AddressReader(bytes, base, container, section).read();
    return section;
}

} // namespace zel::format
