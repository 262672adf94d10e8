// Files and folders on Windows, through the wide-character API: names go to
// the system as the UTF-16 units they are stored as, "/" and "\" alike.
#include "platform/files.h"

#include "platform/utf.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <string>
#include <sys/stat.h>
#include <windows.h>

namespace zel::platform {
namespace {

std::wstring wide(std::u16string_view name) {
    return std::wstring(name.begin(), name.end());
}

std::u16string fromWide(const wchar_t* name) {
    return std::u16string(reinterpret_cast<const char16_t*>(name));
}

// The folder's name without a trailing separator: the API refuses "in/maps/"
// for some calls but takes "in/maps".
std::wstring withoutTrailingSeparator(std::u16string_view path) {
    std::wstring name = wide(path);
    while (name.size() > 1 && (name.back() == L'/' || name.back() == L'\\') &&
           name[name.size() - 2] != L':')
        name.pop_back();
    return name;
}

} // namespace

std::u16string workingDirectory() {
    const DWORD length = GetCurrentDirectoryW(0, nullptr);
    if (length == 0)
        return {};
    std::wstring buffer(length, L'\0');
    const DWORD written = GetCurrentDirectoryW(length, buffer.data());
    if (written == 0 || written >= length)
        return {};
    buffer.resize(written);
    // A root keeps its separator ("C:\"); the driver adds one of its own.
    if (!buffer.empty() && (buffer.back() == L'\\' || buffer.back() == L'/'))
        buffer.pop_back();
    return fromWide(buffer.c_str());
}

bool isDirectory(std::u16string_view path) {
    if (path.empty())
        return false;
    const DWORD attributes = GetFileAttributesW(withoutTrailingSeparator(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool makeDirectory(std::u16string_view path) {
    return !path.empty() && CreateDirectoryW(withoutTrailingSeparator(path).c_str(), nullptr) != 0;
}

bool removeFile(std::u16string_view path) {
    const std::wstring name = wide(path);
    return DeleteFileW(name.c_str()) != 0 || RemoveDirectoryW(name.c_str()) != 0;
}

bool renameFile(std::u16string_view from, std::u16string_view to) {
    return MoveFileExW(wide(from).c_str(), wide(to).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

std::vector<DirEntry> listFolder(std::u16string_view folder) {
    std::vector<std::pair<std::string, DirEntry>> found;
    WIN32_FIND_DATAW data;
    const HANDLE search = FindFirstFileW((wide(folder) + L"*").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE)
        return {};
    do {
        const std::u16string name = fromWide(data.cFileName);
        if (name == u"." || name == u"..")
            continue;
        const bool isDir = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        found.push_back({toUtf8(name), {name, isDir}});
    } while (FindNextFileW(search, &data));
    FindClose(search);
    // The same order as on other systems: by the UTF-8 bytes of the names.
    std::sort(found.begin(), found.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<DirEntry> entries;
    entries.reserve(found.size());
    for (auto& [key, entry] : found)
        entries.push_back(std::move(entry));
    return entries;
}

bool File::open(std::u16string_view path, Mode mode) {
    close();
    const std::wstring name = wide(path);
    if (mode == Mode::read) {
        if (isDirectory(path))
            return false;
        handle = _wfopen(name.c_str(), L"rb");
        return handle != nullptr;
    }
    if (mode == Mode::write) {
        handle = _wfopen(name.c_str(), L"wb");
        return handle != nullptr;
    }
    // Deleting or opening whatever stands at the name could reach through a
    // link to its target (wine resolves Unix links for both), but moving a
    // file over the name replaces the entry itself. So the file is created
    // exclusively under a name of its own and moved into place on close().
    for (int attempt = 0; attempt < 100 && handle == nullptr; ++attempt) {
        std::u16string work = std::u16string(path) + u".new" + fromAscii(std::to_string(attempt));
        const int fd =
            _wopen(wide(work).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                   _S_IREAD | _S_IWRITE);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return false;
        }
        handle = _fdopen(fd, "wb");
        if (handle == nullptr) {
            _close(fd);
            DeleteFileW(wide(work).c_str());
            return false;
        }
        workName = std::move(work);
        finalName = path;
    }
    return handle != nullptr;
}

bool File::finishCreated(bool written) {
    if (workName.empty())
        return written;
    const std::wstring work = wide(workName);
    const bool moved =
        MoveFileExW(work.c_str(), wide(finalName).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
    if (!moved)
        DeleteFileW(work.c_str());
    workName.clear();
    finalName.clear();
    return written && moved;
}

bool File::seek(uint64_t position) {
    return handle != nullptr && position <= static_cast<uint64_t>(INT64_MAX) &&
           _fseeki64(handle, static_cast<int64_t>(position), SEEK_SET) == 0;
}

int64_t File::size() {
    if (handle == nullptr || _fseeki64(handle, 0, SEEK_END) != 0)
        return -1;
    const int64_t end = _ftelli64(handle);
    if (end < 0 || _fseeki64(handle, 0, SEEK_SET) != 0)
        return -1;
    return end;
}

} // namespace zel::platform
