#include "model/adritems.h"

#include <algorithm>

namespace zel {

KindTable& findKind(cCityInfo& city, uint32_t kind) {
    std::vector<KindTable>& tables = city.kindTables;
    auto at = std::lower_bound(tables.begin(), tables.end(), kind,
                               [](const KindTable& table, uint32_t k) { return table.kind < k; });
    if (at != tables.end() && at->kind == kind)
        return *at;
    // The city record announces its kind records by childCount; a record
    // added unannounced would make a reader take it for the next field.
    ++city.childCount;
    return *tables.insert(at, KindTable{0, 0, kind});
}

} // namespace zel
