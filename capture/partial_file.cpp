// Temporary-name outputs.
#include "capture/partial_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace capture {

PartialFile::PartialFile(std::string finalPath) : final_(std::move(finalPath)), partial_(final_ + ".partial") {}

PartialFile::~PartialFile() { discard(); }

void PartialFile::probe() {
    std::FILE* f = std::fopen(partial_.c_str(), "wb");
    if (!f) throw std::runtime_error("cannot write '" + partial_ + "': " + std::strerror(errno));
    std::fclose(f);
}

void PartialFile::commit() {
    if (done_) return;
    if (std::rename(partial_.c_str(), final_.c_str()) != 0)
        throw std::runtime_error("cannot rename '" + partial_ + "' to '" + final_ + "': " + std::strerror(errno));
    done_ = true;
}

void PartialFile::discard() {
    if (done_) return;
    std::remove(partial_.c_str());
    done_ = true;
}

void writeFileAtomically(const std::string& path, const void* data, std::size_t size) {
    PartialFile file(path);
    std::FILE* f = std::fopen(file.path().c_str(), "wb");
    if (!f) throw std::runtime_error("cannot write '" + file.path() + "': " + std::strerror(errno));
    const bool written = std::fwrite(data, 1, size, f) == size;
    const int writeErrno = errno;
    if (std::fclose(f) != 0 || !written)
        throw std::runtime_error("cannot write '" + file.path() + "': " + std::strerror(written ? errno : writeErrno));
    file.commit();
}

}  // namespace capture
