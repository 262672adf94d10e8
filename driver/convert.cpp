#include "driver/convert.h"

#include "driver/messages.h"
#include "platform/console.h"
#include "reader/load.h"
#include "writer/mapzel.h"

namespace zel {

bool processMap(cMapZEL& writer, const std::u16string& path, bool autoScale) {
    (void)autoScale;
    platform::printWide(driverMessages::reading(path));
    writer.reset();
    return load(writer, path);
}

} // namespace zel
