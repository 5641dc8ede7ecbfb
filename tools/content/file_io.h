// Whole-file reading and writing with failures that name the file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gmcontent {

// Throw std::runtime_error "<path>: <reason>" on failure.
std::vector<uint8_t> readFile(const std::string& path);
// Writes beside the target and renames, so a failed run leaves no half file.
void writeFile(const std::string& path, const std::vector<uint8_t>& bytes);
void writeFile(const std::string& path, const std::string& text);

}  // namespace gmcontent
