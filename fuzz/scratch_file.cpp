// ScratchFile: mkstemp, rewrite, unlink.
#include "scratch_file.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace gmfuzz {

ScratchFile::ScratchFile(const char* stem) {
    const char* folder = std::getenv("TMPDIR");
    std::string pattern = std::string(folder && *folder ? folder : "/tmp") + "/" + stem + "-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0) throw std::runtime_error("cannot create a scratch file from " + pattern);
    close(fd);
    path_ = name.data();
}

ScratchFile::~ScratchFile() { unlink(path_.c_str()); }

void ScratchFile::write(const std::uint8_t* data, std::size_t size) const {
    std::FILE* file = std::fopen(path_.c_str(), "wb");
    if (!file) std::abort();  // the fuzzer cannot go on without its file
    if (size && std::fwrite(data, 1, size, file) != size) std::abort();
    if (std::fclose(file) != 0) std::abort();
}

}  // namespace gmfuzz
