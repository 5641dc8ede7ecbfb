// An ffmpeg child process fed over a pipe on its stdin. Its stderr goes to an
// anonymous temporary file, so a failure can be reported with its last lines.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

namespace capture {

// ffmpeg could not be started, stopped reading, or exited with a failure.
class FfmpegError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class FfmpegPipe {
public:
    // Starts program with args (argv[0] is the program) in its own process
    // group, so a terminal's Ctrl+C reaches only this program, which then
    // stops the child itself. Throws FfmpegError if it cannot start.
    FfmpegPipe(const std::string& program, const std::vector<std::string>& args);
    ~FfmpegPipe();  // kills a child still running

    FfmpegPipe(const FfmpegPipe&) = delete;
    FfmpegPipe& operator=(const FfmpegPipe&) = delete;

    // Writes all bytes to the child's stdin. Throws FfmpegError with the
    // child's exit status and stderr tail if it stopped reading.
    void write(const void* data, std::size_t size);

    // Closes stdin and waits. Throws FfmpegError unless the child exits with 0.
    void finish();

    // Stops the child at once (SIGKILL) and reaps it; safe to call from
    // another thread than the one blocked in write() (which then fails with
    // the child's status), and more than once.
    void kill() noexcept;

    // The last `lines` lines the child wrote to stderr.
    std::string stderrTail(std::size_t lines = 12) const;

private:
    ssize_t writeQuietly(const char* bytes, std::size_t size) noexcept;  // write(2) without SIGPIPE
    void closeInput() noexcept;
    int wait() noexcept;  // reaps the child once; returns its wait status
    std::string describeExit(int status) const;

    std::string program_;
    pid_t pid_ = -1;
    int input_ = -1;      // write end of the child's stdin
    int stderrFile_ = -1;
    int status_ = 0;
    bool reaped_ = false;
    std::mutex reapMutex_;  // kill() may come from another thread than write()
};

}  // namespace capture
