#include "model/levelunits.h"

#include <cmath>
#include <limits>

namespace zel {

int32_t truncToI32(double value) {
    if (std::isnan(value))
        return 0;
    if (value >= 2147483648.0)
        return std::numeric_limits<int32_t>::max();
    if (value <= -2147483649.0)
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

int32_t roundHalfAway(double value) {
    return truncToI32(value >= 0.0 ? value + 0.5 : value - 0.5);
}

LevelPoint toLevelUnits(mapPoint p, uint8_t bits) {
    const double scale = std::ldexp(1.0, bits) / 360.0;
    return {roundHalfAway(static_cast<double>(p.x) * scale),
            roundHalfAway(static_cast<double>(p.y) * scale)};
}

} // namespace zel
