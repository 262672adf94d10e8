// The human summary of a main map file.
#pragma once

#include "format/zelfile.h"
#include "tools/zeldump/view.h"

#include <optional>
#include <string>
#include <vector>

namespace zel::dump {

// `level` narrows the levels shown to one.
std::string summaryText(const Inspection& inspection, std::optional<uint32_t> level);

// One line per problem: "  byte 1234 (0x4D2): what".
std::string problemText(const std::vector<format::Problem>& problems);

} // namespace zel::dump
