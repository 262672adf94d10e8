#include "writer/messages.h"

#include "platform/utf.h"

namespace zel::writerMessages {

std::string sideFileFailed(std::u16string_view name) {
    return "Can't write file: " + platform::toUtf8(name) + "\n";
}

} // namespace zel::writerMessages
