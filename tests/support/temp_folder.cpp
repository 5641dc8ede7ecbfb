// TempFolder: mkdtemp, write, remove_all.
#include "temp_folder.h"

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace testsupport {

TempFolder::TempFolder(const std::string& stem) {
    std::string pattern = (std::filesystem::temp_directory_path() / (stem + "-XXXXXX")).string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a folder from " + pattern);
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TempFolder::file(const std::string& name) const { return path_ + "/" + name; }

std::string TempFolder::write(const std::string& name, const void* data, std::size_t size) const {
    const std::string path = file(name);
    std::FILE* out = std::fopen(path.c_str(), "wb");
    bool written = out != nullptr && (size == 0 || std::fwrite(data, 1, size, out) == size);
    if (out != nullptr && std::fclose(out) != 0) written = false;
    if (!written) throw std::runtime_error("cannot write " + path);
    return path;
}

std::string TempFolder::write(const std::string& name, const std::vector<unsigned char>& bytes) const {
    return write(name, bytes.data(), bytes.size());
}

}  // namespace testsupport
