#include "model/addresstexts.h"

#include <limits>

namespace zel {

uint32_t AddressTexts::add(std::u16string_view text) {
    if (text.empty() || ends.size() > std::numeric_limits<uint32_t>::max())
        return none;
    units.append(text);
    ends.push_back(units.size());
    return static_cast<uint32_t>(ends.size() - 1);
}

std::u16string_view AddressTexts::at(uint32_t number) const {
    if (number == none || number >= ends.size())
        return {};
    // The ends are offsets into `units`, so they fit a size_t.
    const auto first = static_cast<size_t>(ends[number - 1]);
    const auto end = static_cast<size_t>(ends[number]);
    return std::u16string_view(units).substr(first, end - first);
}

void AddressTexts::release() {
    std::u16string().swap(units);
    std::vector<uint64_t>{0}.swap(ends);
}

} // namespace zel
