// Files and folders on POSIX systems: names go to the system as UTF-8 bytes.
#include "platform/files.h"

#include "platform/utf.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zel::platform {

std::u16string workingDirectory() {
    std::string buffer(4096, '\0');
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE || buffer.size() > (1u << 20))
            return {};
        buffer.resize(buffer.size() * 2);
    }
    buffer.resize(buffer.find('\0'));
    return fromSystemName(buffer);
}

bool isDirectory(std::u16string_view path) {
    if (path.empty())
        return false;
    struct stat info {};
    return stat(toSystemName(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool makeDirectory(std::u16string_view path) {
    return !path.empty() && mkdir(toSystemName(path).c_str(), 0777) == 0;
}

bool removeFile(std::u16string_view path) {
    return std::remove(toSystemName(path).c_str()) == 0;
}

bool renameFile(std::u16string_view from, std::u16string_view to) {
    return std::rename(toSystemName(from).c_str(), toSystemName(to).c_str()) == 0;
}

std::vector<DirEntry> listFolder(std::u16string_view folder) {
    const std::string prefix = toSystemName(folder);
    std::vector<std::pair<std::string, bool>> found;
    DIR* dir = opendir(prefix.empty() ? "." : prefix.c_str());
    if (dir == nullptr)
        return {};
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        struct stat info {};
        const bool isDir = stat((prefix + name).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
        found.emplace_back(name, isDir);
    }
    closedir(dir);
    std::sort(found.begin(), found.end());
    std::vector<DirEntry> entries;
    entries.reserve(found.size());
    for (const auto& [name, isDir] : found)
        entries.push_back({fromSystemName(name), isDir});
    return entries;
}

namespace {

std::FILE* createAfresh(const std::string& path) {
    // A directory at the name is not removed, and the exclusive open then
    // fails on it.
    unlink(path.c_str());
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0)
        return nullptr;
    std::FILE* handle = fdopen(fd, "wb");
    if (handle == nullptr)
        ::close(fd);
    return handle;
}

} // namespace

bool File::open(std::u16string_view path, Mode mode) {
    close();
    const std::string name = toSystemName(path);
    if (mode == Mode::create) {
        handle = createAfresh(name);
        return handle != nullptr;
    }
    handle = std::fopen(name.c_str(), mode == Mode::read ? "rb" : "wb");
    if (handle == nullptr || mode == Mode::write)
        return handle != nullptr;
    // fopen succeeds on a directory; reading one is never what the caller means.
    struct stat info {};
    if (fstat(fileno(handle), &info) != 0 || S_ISDIR(info.st_mode)) {
        close();
        return false;
    }
    return true;
}

// The file was created at its own name: nothing is left to do.
bool File::finishCreated(bool written) {
    return written;
}

bool File::seek(uint64_t position) {
    return handle != nullptr && position <= static_cast<uint64_t>(INT64_MAX) &&
           fseeko(handle, static_cast<off_t>(position), SEEK_SET) == 0;
}

int64_t File::size() {
    if (handle == nullptr || fseeko(handle, 0, SEEK_END) != 0)
        return -1;
    const off_t end = ftello(handle);
    if (end < 0 || fseeko(handle, 0, SEEK_SET) != 0)
        return -1;
    return static_cast<int64_t>(end);
}

} // namespace zel::platform
