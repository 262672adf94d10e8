// Reading an address section (the address file of a level, or the address
// data of a level in a main file) back into plain values: the header, the
// street names, every city with its objects, house groups and word lists,
// and the regions and countries with the children they point at. Every rule
// of the layout that the bytes break is listed as a problem; nothing is read
// outside the bytes given, whatever they hold.
#pragma once

#include "format/bytes.h"
#include "format/records.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zel::format {

// The header's fields after the tag, in file order.
struct AddressHeader {
    bool present = false;
    uint8_t reserved = 0;
    uint8_t countryCount = 0;
    uint16_t regionCount = 0;
    uint32_t cityCount = 0;
    uint32_t stringCount = 0;
    uint32_t countryOffset = 0;
    uint32_t regionOffset = 0;
    uint32_t cityOffset = 0;
    uint32_t stringBytes = 0;
    uint32_t reserved2 = 0;
};

// The fields after the tag, as `in` reads them; the header is marked present.
AddressHeader readAddressHeader(ByteReader& in);

// An address object: u8 kind, u32 ref, name, f32 x, f32 y.
struct AddressObject {
    uint64_t offset = 0;
    uint8_t kind = 0;
    uint32_t ref = 0;
    std::u16string name;
    float x = 0.0f;
    float y = 0.0f;
};

// Where a table or group lies, as positions are stored: from the end of the
// header, -1 for none.
struct AddressPos {
    int32_t pos = -1;
    uint32_t count = 0;
    bool operator==(const AddressPos&) const = default;
};

struct AddressKind {
    uint32_t kind = 0;
    uint32_t count = 0;
    uint32_t pos = 0;
    bool operator==(const AddressKind&) const = default;
};

// One entry of a street's word list: a word of house `house` (counted within
// the street's group) starts at unit `position` of its number.
struct AddressWord {
    uint32_t position = 0;
    uint32_t house = 0;
    bool operator==(const AddressWord&) const = default;
};

// The houses of one street (entry i of the first house table) and their word
// list (entry i of the second).
struct AddressStreetHouses {
    AddressPos houseTable;
    AddressPos wordTable;
    std::vector<AddressObject> houses;
    std::vector<AddressWord> words;
};

struct AddressCity {
    uint64_t offset = 0;
    std::u16string name;
    uint32_t childCount = 0; // the number of kind records
    int32_t childPos = -1;
    std::vector<AddressKind> kinds;
    AddressPos table1;
    // The objects the kind records of kinds 1 and 2 point at.
    std::vector<AddressObject> points;
    std::vector<AddressObject> streets;
    // One per entry of the house tables, that is one per street.
    std::vector<AddressStreetHouses> houses;
};

// A region or a country.
struct AddressNode {
    uint64_t offset = 0;
    std::u16string name;
    uint32_t childCount = 0;
    int32_t childPos = -1;
    // The position of its first child in the list of the section below
    // (regions: cities; countries: regions); -1 when it points at none.
    int64_t firstChild = -1;
};

struct AddressSection {
    AddressHeader header;
    // The bytes the section takes, up to the end of its last country; 0 when
    // that end cannot be told (the header or the country records cut off).
    uint64_t size = 0;
    // True when the sections lie in order and each holds just the strings,
    // cities, regions and countries the header counts. Otherwise the parts
    // that depend on a broken section (the cities' objects on the strings
    // and cities, the tree's links on the cities, regions and countries)
    // are neither decoded nor judged.
    bool complete = false;
    std::vector<std::u16string> strings;
    std::vector<AddressCity> cities;
    std::vector<AddressNode> regions;
    std::vector<AddressNode> countries;
    // Bytes of the object section that no city points at: the objects of a
    // city left out for an unknown region lie there.
    uint64_t unreferencedObjectBytes = 0;
    std::vector<Problem> problems;
    // What is odd but readable: a city (region) that no region (country)
    // lists, because its owner was left out of the file after it was
    // written. Its addresses stay findable through the city section.
    std::vector<Problem> warnings;

    bool valid() const { return problems.empty(); }
};

// Where the section lies. An address file holds the section alone, so bytes
// after the last country are a fault; in a main file the next level's data
// follows it.
enum class AddressContainer { addressFile, mainFile };

// `bytes` start with the "BADR" header; `base` is added to every offset the
// result reports (the section's place in a main file, or 0).
AddressSection readAddressSection(std::span<const uint8_t> bytes, uint64_t base = 0,
                                  AddressContainer container = AddressContainer::addressFile);

} // namespace zel::format
