// File access for the content tool.
#include "file_io.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace gmcontent {

namespace {

std::runtime_error fault(const std::string& path, const std::string& what) {
    return std::runtime_error(path + ": " + what);
}

}  // namespace

std::vector<uint8_t> readFile(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) throw fault(path, "is a directory");
    std::ifstream in(path, std::ios::binary);
    if (!in) throw fault(path, std::string("cannot open: ") + std::strerror(errno));
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw fault(path, "read error");
    return bytes;
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    const std::string temp = path + ".part";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) throw fault(path, std::string("cannot create: ") + std::strerror(errno));
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::remove(temp.c_str());
            throw fault(path, "write error");
        }
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        const std::string reason = std::strerror(errno);
        std::remove(temp.c_str());
        throw fault(path, "cannot rename into place: " + reason);
    }
}

void writeFile(const std::string& path, const std::string& text) {
    writeFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

}  // namespace gmcontent
