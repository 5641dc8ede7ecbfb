// Temporary files, temporary-name outputs and extensions.
#include "capture/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace capture {

int createTemporaryFile(const std::string& stem, const std::string& suffix, std::string& path) {
    const char* dir = std::getenv("TMPDIR");
    path = std::string(dir && *dir ? dir : "/tmp") + "/" + stem + "-XXXXXX" + suffix;
    std::vector<char> name(path.begin(), path.end());
    name.push_back('\0');
    const int fd = ::mkostemps(name.data(), static_cast<int>(suffix.size()), O_CLOEXEC);
    if (fd >= 0) path = name.data();
    return fd;
}

TempFile::TempFile(const std::string& stem, const std::string& suffix, const void* data, std::size_t size) {
    const int fd = createTemporaryFile(stem, suffix, path_);
    if (fd < 0) throw std::runtime_error("cannot create a temporary file '" + path_ + "': " + std::strerror(errno));
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, bytes + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int err = errno;
            ::close(fd);
            ::unlink(path_.c_str());
            throw std::runtime_error("cannot write '" + path_ + "': " + std::strerror(err));
        }
        done += static_cast<std::size_t>(n);
    }
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(path_.c_str());
        throw std::runtime_error("cannot write '" + path_ + "': " + std::strerror(err));
    }
}

TempFile::~TempFile() { ::unlink(path_.c_str()); }

namespace {

mode_t processUmask() {
    // umask can only be read by setting it; read once, before any other
    // thread could create files with the wrong mask.
    static const mode_t mask = [] {
        const mode_t m = ::umask(0);
        ::umask(m);
        return m;
    }();
    return mask;
}

}  // namespace

PartialFile::PartialFile(std::string finalPath) : final_(std::move(finalPath)) {
    const std::filesystem::path target(final_);
    const std::string folder = target.has_parent_path() ? target.parent_path().string() : std::string(".");
    const std::string suffix = ".partial";
    std::string pattern = folder + "/." + target.filename().string() + ".XXXXXX" + suffix;
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkostemps(name.data(), static_cast<int>(suffix.size()), O_CLOEXEC);
    if (fd < 0) throw std::runtime_error("cannot write in the folder of '" + final_ + "': " + std::strerror(errno));
    ::fchmod(fd, 0666 & ~processUmask());
    ::close(fd);
    partial_ = name.data();
}

PartialFile::~PartialFile() { discard(); }

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

void refuseOverwriting(const std::string& output, const std::string& archive) {
    struct stat out {}, in {};
    if (::stat(output.c_str(), &out) != 0 || ::stat(archive.c_str(), &in) != 0) return;
    if (out.st_dev == in.st_dev && out.st_ino == in.st_ino)
        throw std::runtime_error("'" + output + "' is the data archive '" + archive +
                                 "': writing the output there would destroy it; choose another output name");
}

std::string ffmpegFileName(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return "file:" + (error ? path : absolute.lexically_normal().string());
}

std::string lowerExtension(const std::string& name) {
    const auto slash = name.find_last_of('/');
    const auto dot = name.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    std::string ext = name.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

}  // namespace capture
