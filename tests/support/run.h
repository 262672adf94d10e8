// Runs the mp2zel executable as a user would, in a given working folder.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace zel::test {

struct RunResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

RunResult runProgram(const std::string& program, const std::filesystem::path& workingDir,
                     const std::vector<std::string>& arguments);

} // namespace zel::test
