#include "driver/convert.h"

#include "driver/messages.h"
#include "platform/console.h"
#include "platform/files.h"
#include "writer/mapzel.h"

namespace zel {

bool processMap(cMapZEL& writer, const std::u16string& path, bool autoScale) {
    (void)autoScale;
    platform::printWide(driverMessages::reading(path));
    writer.reset();
    platform::File file;
    return file.open(path, platform::File::Mode::read);
}

} // namespace zel
