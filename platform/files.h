// Files and folders on UTF-16 names. Names are converted to the system's
// bytes only here, at the system call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace zel::platform {

// The working directory without a trailing separator; empty when the system
// cannot tell it.
std::u16string workingDirectory();

bool isDirectory(std::u16string_view path);

// Creates the last component of `path` only, as the folders the user names are
// expected to sit in an existing parent.
bool makeDirectory(std::u16string_view path);

bool removeFile(std::u16string_view path);

// Replaces `to` if it exists, so a finished file appears under its final name
// in one step.
bool renameFile(std::u16string_view from, std::u16string_view to);

struct DirEntry {
    std::u16string name;
    bool isDirectory = false;
};

// Every entry of `folder` (a prefix ending in a separator, or empty for the
// working directory) except "." and "..", sorted by the bytes of their names so
// that runs are reproducible whatever order the file system keeps.
std::vector<DirEntry> listFolder(std::u16string_view folder);

// The wildcard "*.mp": the name ends in ".mp", ASCII case ignored.
bool matchesMapPattern(std::u16string_view name);

// A binary file opened for reading or created (truncated) for writing. Closed
// by the destructor; close() reports whether buffered data reached the disk.
class File {
public:
    // `write` opens the name as given, links included (the user named it).
    // `create` is for the files a run makes next to the maps and in the
    // output folder, which may be shared: whatever stands at the name (a stale
    // file or a planted link) is removed, then the file is created afresh and
    // exclusively, never through a link, so a run can only ever write files
    // it made itself.
    enum class Mode { read, write, create };

    File() = default;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    ~File();

    bool open(std::u16string_view path, Mode mode);
    bool isOpen() const { return handle != nullptr; }

    // Bytes actually read; fewer than asked at the end of the file or on error.
    size_t read(void* buffer, size_t count);
    bool write(const void* data, size_t count);
    bool seek(uint64_t position);
    // The file's length, learnt by seeking to its end; the position returns to
    // the start. Negative when the file cannot be measured.
    int64_t size();
    bool flush();
    bool close();

private:
    // Ends a file made with Mode::create where the system needs a last step.
    bool finishCreated(bool written);

    std::FILE* handle = nullptr;
    // Where the system cannot create a file at its name without following a
    // link there, the file is written under `workName` and moved over
    // `finalName` (the entry itself, whatever it is) when it is closed.
    std::u16string workName;
    std::u16string finalName;
};

} // namespace zel::platform
