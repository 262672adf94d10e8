// A picture of one level of a main map file, drawn from the decoded records:
// what a device would show, not what the input map said.
#pragma once

#include "format/zelfile.h"
#include "tools/zeldump/view.h"

#include <cstdint>
#include <string>

namespace zel::dump {

struct SvgRequest {
    uint32_t level = 0; // by position; must name a level of the file
    bool labels = false;
};

// Every decoded record becomes exactly one element of class "area"
// (polygon), "line" (polyline) or "poi" (circle), so that a reader can count
// them; squares with data are faint rectangles of class "square".
std::string svgText(const Inspection& inspection, const SvgRequest& request);

} // namespace zel::dump
