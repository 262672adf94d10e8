// A temporary folder for one test, removed with everything in it afterwards.
#pragma once

#include <filesystem>
#include <string>

namespace zel::test {

class TempDir {
public:
    TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir();

    const std::filesystem::path& path() const { return root; }
    std::filesystem::path operator/(const std::string& relative) const { return root / relative; }

private:
    std::filesystem::path root;
};

// Makes `dir` the working directory while alive.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const std::filesystem::path& dir);
    WorkingDirectory(const WorkingDirectory&) = delete;
    WorkingDirectory& operator=(const WorkingDirectory&) = delete;
    ~WorkingDirectory();

private:
    std::filesystem::path previous;
};

} // namespace zel::test
