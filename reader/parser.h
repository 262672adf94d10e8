// Lines of a Polish map file applied to the model: section markers and the
// keys of the section the reader is in.
#pragma once

#include "model/mappolish.h"

#include <cstdint>
#include <string_view>

namespace zel {

// The section of the map file the reader is in.
enum : int32_t {
    sectionNone = 0,
    sectionImgId = 1,
    sectionCountries = 2,
    sectionRegions = 3,
    sectionCities = 4,
    sectionPoi = 5,
    sectionPolyline = 6,
    sectionPolygon = 7,
    sectionRestrict = 8,
};

// Reads one map file, line by line, into `map`. Where the reader is in the
// file and the object it is reading are its own: the model receives an object
// once its section ends (or its next coordinate key starts another copy).
class PolishParser {
public:
    explicit PolishParser(cMapPolish& target);

    // `text` is the raw 8-bit line without its line end. It ends at its first
    // NUL byte: text after one is no part of any key.
    void parseLine(std::string_view text);

    cMapPolish& map;
    int32_t section = sectionNone;
    // The code page the map declares for its text; Windows-1252 until it does.
    int32_t codePage = 1252;
    mapPoi poi;
    mapPoly line;
    mapPoly polygon;
    mapRestriction restriction;
};

} // namespace zel
