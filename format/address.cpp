#include "format/address.h"

#include "format/bytes.h"

#include <algorithm>
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
    AddressReader(std::span<const uint8_t> bytes, uint64_t base, AddressSection& out)
        : bytes(bytes), base(base), out(out) {}

    void read() {
        if (!readHeader())
            return;
        const AddressHeader& h = out.header;
        body = bytes.subspan(addressHeaderSize);
        claimed.assign(h.cityOffset - h.stringBytes, false);
        readStrings();
        readCities();
        readNodes(h.regionOffset, h.countryOffset, h.regionCount, out.regions, regionStarts,
                  "region");
        readNodes(h.countryOffset, body.size(), h.countryCount, out.countries, countryStarts,
                  "country");
        linkChildren(out.regions, regionStarts, cityStarts, "region", "city");
        linkChildren(out.countries, countryStarts, regionStarts, "country", "region");
        for (AddressCity& city : out.cities)
            readCityObjects(city);
        out.unreferencedObjectBytes =
            static_cast<uint64_t>(std::count(claimed.begin(), claimed.end(), false));
    }

private:
    // Offsets in problems count from the start of the bytes (plus base);
    // `relative` ones from the end of the header, as the section stores them.
    void report(uint64_t relative, std::string what) {
        out.problems.push_back({base + addressHeaderSize + relative, std::move(what)});
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
        out.size = addressHeaderSize;
        if (h.reserved != 0)
            out.problems.push_back({base + 4, "non-zero reserved byte in the address header"});
        if (h.reserved2 != 0)
            out.problems.push_back({base + 32, "non-zero reserved field in the address header"});
        // Strings, objects, cities, regions and countries follow each other.
        if (h.stringBytes > h.cityOffset || h.cityOffset > h.regionOffset ||
            h.regionOffset > h.countryOffset) {
            out.problems.push_back({base + 16, "address sections out of order"});
            return false;
        }
        if (h.countryOffset > bytes.size() - addressHeaderSize) {
            out.problems.push_back({base + 16, "country section beyond the end of the data"});
            return false;
        }
        return true;
    }

    // The bytes from `from` up to `to`, both counted from the header's end.
    ByteReader section(uint64_t from, uint64_t to) const {
        return ByteReader(body.subspan(from, to - from));
    }

    void readStrings() {
        ByteReader in = section(0, out.header.stringBytes);
        for (uint32_t i = 0; i < out.header.stringCount; ++i) {
            std::u16string name;
            if (!readName(in, name)) {
                report(in.position(), "string " + dec(i) + " runs past the string section");
                return;
            }
            out.strings.push_back(std::move(name));
        }
        if (in.remaining() != 0)
            report(in.position(),
                   dec(static_cast<int64_t>(in.remaining())) + " bytes after the last string");
    }

    void readCities() {
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
                return;
            }
            cityStarts.push_back(at);
            out.cities.push_back(std::move(city));
        }
        if (in.remaining() != 0)
            report(h.cityOffset + in.position(),
                   dec(static_cast<int64_t>(in.remaining())) + " bytes after the last city");
    }

    void readNodes(uint64_t from, uint64_t to, uint32_t count, std::vector<AddressNode>& nodes,
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
                break;
            }
            starts.push_back(at);
            nodes.push_back(std::move(node));
        }
        out.size = addressHeaderSize + from + in.position();
        if (in.remaining() != 0)
            report(from + in.position(),
                   dec(static_cast<int64_t>(in.remaining())) + " bytes after the last " + what);
    }

    // Each node points at the start of its first child's record, and its
    // children follow one another; no child belongs to two nodes.
    void linkChildren(std::vector<AddressNode>& nodes, const std::vector<uint64_t>& own,
                      const std::vector<uint64_t>& childStarts, const std::string& what,
                      const std::string& childWhat) {
        std::vector<bool> taken(childStarts.size(), false);
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
                continue;
            }
            node.firstChild = at - childStarts.begin();
            const auto first = static_cast<uint64_t>(node.firstChild);
            if (node.childCount == 0 || first + node.childCount > childStarts.size()) {
                report(own[i], name + " claims " + dec(node.childCount) + " " + childWhat +
                                   " records from " + dec(node.firstChild) + " of " +
                                   dec(static_cast<int64_t>(childStarts.size())));
                continue;
            }
            for (uint64_t c = first; c < first + node.childCount; ++c) {
                if (taken[c])
                    report(own[i], childWhat + " " + dec(static_cast<int64_t>(c)) +
                                       " belongs to two " + what + " records");
                taken[c] = true;
            }
        }
    }

    // Marks [from, from + length) of the object section (positions from the
    // header's end) as read; false, with a problem, when a part of it lies
    // outside the section or was read before.
    bool claim(uint64_t from, uint64_t length, const std::string& what) {
        const uint64_t start = out.header.stringBytes;
        if (from < start || from > out.header.cityOffset || length > out.header.cityOffset - from) {
            report(from, what + " lies outside the object section");
            return false;
        }
        for (uint64_t i = from - start; i < from - start + length; ++i) {
            if (claimed[i]) {
                report(from, what + " overlaps another record");
                return false;
            }
        }
        std::fill(claimed.begin() + static_cast<std::ptrdiff_t>(from - start),
                  claimed.begin() + static_cast<std::ptrdiff_t>(from - start + length), true);
        return true;
    }

    void readObjects(uint64_t pos, uint32_t count, uint32_t kindClass,
                     std::vector<AddressObject>& objects, const std::string& what) {
        if (count == 0)
            return;
        if (pos < out.header.stringBytes || pos >= out.header.cityOffset) {
            report(pos, what + " lie outside the object section");
            return;
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
                return;
            }
            if (!claim(at, pos + in.position() - at, what))
                return;
            if ((object.kind & classMask) != kindClass)
                report(at, what + ": an object of kind " + dec(object.kind));
            objects.push_back(std::move(object));
        }
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

    void readCityObjects(AddressCity& city) {
        const std::string name = "city " + dec(static_cast<int64_t>(&city - out.cities.data()));
        const uint64_t at = city.offset - base - addressHeaderSize;
        if (city.childPos < static_cast<int64_t>(out.header.stringBytes) ||
            city.childPos > static_cast<int64_t>(out.header.cityOffset))
            report(at, name + " starts outside the object section");
        for (size_t k = 0; k < city.kinds.size(); ++k) {
            const AddressKind& kind = city.kinds[k];
            if (k > 0 && city.kinds[k - 1].kind >= kind.kind)
                report(at, name + ": kind records out of order");
            if (kind.kind == kindPoint)
                readObjects(kind.pos, kind.count, kindPoint, city.points, name + " points");
            else if (kind.kind == kindStreet)
                readObjects(kind.pos, kind.count, kindStreet, city.streets, name + " streets");
            else if (kind.kind != kindHouse)
                report(at, name + ": kind record of kind " + dec(kind.kind));
        }
        readHouses(city, name, at);
    }

    void readHouses(AddressCity& city, const std::string& name, uint64_t at) {
        const uint64_t tableBytes = filePosBytes * city.table1.count;
        const uint64_t pos = static_cast<uint32_t>(city.table1.pos);
        if (city.table1.count != city.streets.size())
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
                readObjects(static_cast<uint32_t>(street.houseTable.pos), street.houseTable.count,
                            kindHouse, street.houses, what + " houses");
                if (i < city.streets.size())
                    checkStreetRefs(street.houses, city.streets[i].ref, what);
                readWords(street, what);
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
    AddressSection& out;
    std::vector<bool> claimed;
    // Where each city, region and country record starts, from the header's end.
    std::vector<uint64_t> cityStarts;
    std::vector<uint64_t> regionStarts;
    std::vector<uint64_t> countryStarts;
};

} // namespace

AddressSection readAddressSection(std::span<const uint8_t> bytes, uint64_t base) {
    AddressSection section;
    AddressReader(bytes, base, section).read();
    return section;
}

} // namespace zel::format
