// Temporary files.
#include "capture/temp_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace capture {

TempFile::TempFile(const std::string& stem, const std::string& suffix, const std::vector<std::uint8_t>& bytes) {
    const char* dir = std::getenv("TMPDIR");
    std::string pattern = std::string(dir && *dir ? dir : "/tmp") + "/" + stem + "-XXXXXX" + suffix;
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemps(name.data(), static_cast<int>(suffix.size()));
    if (fd < 0) throw std::runtime_error("cannot create a temporary file '" + pattern + "': " + std::strerror(errno));
    path_ = name.data();
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
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

}  // namespace capture
