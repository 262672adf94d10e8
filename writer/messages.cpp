#include "writer/messages.h"

#include "platform/utf.h"

namespace zel::writerMessages {

std::string unknownCity(uint32_t cityKey) {
    return " Unknown city ID " + std::to_string(static_cast<int32_t>(cityKey));
}

std::string sideFileFailed(std::u16string_view name) {
    return "Can't write file: " + platform::toUtf8(name) + "\n";
}

} // namespace zel::writerMessages
