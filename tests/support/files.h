// Whole-file helpers for tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zel::test {

using ByteVector = std::vector<uint8_t>;

void writeFile(const std::filesystem::path& path, const ByteVector& bytes);
void writeText(const std::filesystem::path& path, const std::string& text);
ByteVector readFile(const std::filesystem::path& path);
// The names in `dir`, sorted, for checking that nothing stray was left.
std::vector<std::string> listNames(const std::filesystem::path& dir);

} // namespace zel::test
