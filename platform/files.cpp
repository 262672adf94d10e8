#include "platform/files.h"

#include "platform/ascii.h"

#include <utility>

// What files and folders do the same way on every system; the system calls
// are in files_posix.cpp and files_windows.cpp.
namespace zel::platform {

bool matchesMapPattern(std::u16string_view name) {
    if (name.size() < 3)
        return false;
    const std::u16string_view tail = name.substr(name.size() - 3);
    return tail[0] == u'.' && lowerAscii(tail[1]) == u'm' && lowerAscii(tail[2]) == u'p';
}

File::File(File&& other) noexcept
    : handle(std::exchange(other.handle, nullptr)), workName(std::move(other.workName)),
      finalName(std::move(other.finalName)) {}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        close();
        handle = std::exchange(other.handle, nullptr);
        workName = std::move(other.workName);
        finalName = std::move(other.finalName);
    }
    return *this;
}

File::~File() {
    close();
}

size_t File::read(void* buffer, size_t count) {
    return handle == nullptr || count == 0 ? 0 : std::fread(buffer, 1, count, handle);
}

bool File::write(const void* data, size_t count) {
    return handle != nullptr && (count == 0 || std::fwrite(data, 1, count, handle) == count);
}

bool File::flush() {
    return handle != nullptr && std::fflush(handle) == 0;
}

bool File::close() {
    if (handle == nullptr)
        return true;
    const bool written = std::fclose(handle) == 0;
    handle = nullptr;
    return finishCreated(written);
}

} // namespace zel::platform
