#include "support/run.h"

#include "support/files.h"

#include <cstdio>
#include <sys/wait.h>

namespace zel::test {
namespace {

std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

} // namespace

RunResult runProgram(const std::string& program, const std::filesystem::path& workingDir,
                     const std::vector<std::string>& arguments) {
    const std::filesystem::path errFile =
        std::filesystem::temp_directory_path() / ("mp2zel-stderr-" + std::to_string(getpid()));
    std::string command = "cd " + quoted(workingDir.string()) + " && " + quoted(program);
    for (const std::string& argument : arguments)
        command += " " + quoted(argument);
    command += " 2>" + quoted(errFile.string()) + " </dev/null";

    RunResult result;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return result;
    char buffer[4096];
    while (size_t got = fread(buffer, 1, sizeof buffer, pipe))
        result.out.append(buffer, got);
    const int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    const ByteVector err = readFile(errFile);
    result.err.assign(err.begin(), err.end());
    std::filesystem::remove(errFile);
    return result;
}

} // namespace zel::test
