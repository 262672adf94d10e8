// Level units: the integer coordinates of a level with `bits` of resolution,
// degrees × 2^bits / 360, so that 2^bits units make the full circle.
#pragma once

#include "model/records.h"

#include <cstdint>

namespace zel {

struct LevelPoint {
    int32_t x = 0;
    int32_t y = 0;
};

// The finest resolution a level can have; coarser levels divide its units by
// powers of two.
constexpr uint8_t maxLevelBits = 26;

// Level units per degree at the finest level: 2^26 / 360.
constexpr double unitsPerDegree26 = 186413.51111111112;

// Scaled in f64 and rounded half away from zero; values beyond i32 saturate.
LevelPoint toLevelUnits(mapPoint p, uint8_t bits);

// Truncation toward zero into i32 for any double: out-of-range values stick
// to the limits and NaN becomes 0, so no input can reach an undefined cast.
int32_t truncToI32(double value);

// Rounded half away from zero, saturating like truncToI32.
int32_t roundHalfAway(double value);

} // namespace zel
