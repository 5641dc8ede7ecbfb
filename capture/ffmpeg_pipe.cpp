// ffmpeg child process: spawn, feed, reap, report.
#include "capture/ffmpeg_pipe.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>

extern char** environ;

namespace capture {

namespace {

// An unlinked temporary file for the child's stderr.
int anonymousFile() {
    const char* dir = std::getenv("TMPDIR");
    std::string pattern = std::string(dir && *dir ? dir : "/tmp") + "/gm-capture-ffmpeg-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0) ::unlink(name.data());
    return fd;
}

}  // namespace

FfmpegPipe::FfmpegPipe(const std::string& program, const std::vector<std::string>& args) : program_(program) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        throw FfmpegError(std::string("cannot make a pipe for ffmpeg: ") + std::strerror(errno));
    input_ = fds[1];
    // A larger pipe lets a whole frame or more wait while ffmpeg encodes.
    ::fcntl(input_, F_SETPIPE_SZ, 1 << 20);
    stderrFile_ = anonymousFile();

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[0], 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    if (stderrFile_ >= 0) posix_spawn_file_actions_adddup2(&actions, stderrFile_, 2);

    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t defaults, none;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setpgroup(&attr, 0);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETPGROUP);

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    const int rc = ::posix_spawn(&pid_, program.c_str(), &actions, &attr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    ::close(fds[0]);
    if (rc != 0) {
        pid_ = -1;
        closeInput();
        if (stderrFile_ >= 0) ::close(stderrFile_);
        throw FfmpegError("cannot start '" + program + "': " + std::strerror(rc));
    }
}

FfmpegPipe::~FfmpegPipe() {
    kill();
    closeInput();
    if (stderrFile_ >= 0) ::close(stderrFile_);
}

void FfmpegPipe::closeInput() noexcept {
    if (input_ >= 0) {
        ::close(input_);
        input_ = -1;
    }
}

int FfmpegPipe::wait() noexcept {
    std::lock_guard<std::mutex> lock(reapMutex_);
    if (!reaped_ && pid_ > 0) {
        int status = 0;
        pid_t r;
        do {
            r = ::waitpid(pid_, &status, 0);
        } while (r < 0 && errno == EINTR);
        status_ = r == pid_ ? status : 0;
        reaped_ = true;
    }
    return status_;
}

std::string FfmpegPipe::describeExit(int status) const {
    std::string what;
    if (WIFEXITED(status))
        what = "ffmpeg failed (exit status " + std::to_string(WEXITSTATUS(status)) + ")";
    else if (WIFSIGNALED(status))
        what = "ffmpeg was killed by signal " + std::to_string(WTERMSIG(status));
    else
        what = "ffmpeg failed";
    const std::string tail = stderrTail();
    return tail.empty() ? what : what + ":\n" + tail;
}

ssize_t FfmpegPipe::writeQuietly(const char* bytes, std::size_t size) noexcept {
    // A write to a pipe whose reader is gone raises SIGPIPE, which would end
    // the program. Block it on this thread, and take the pending signal back
    // out before unblocking, so the caller sees EPIPE instead.
    sigset_t pipeSignal, previous;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
    const ssize_t n = ::write(input_, bytes, size);
    const int err = errno;
    // The signal is raised also when a write was cut short by the reader's end.
    sigset_t pending;
    if (sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1) {
        const struct timespec zero {};
        while (sigtimedwait(&pipeSignal, nullptr, &zero) < 0 && errno == EINTR) {
        }
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    errno = err;
    return n;
}

void FfmpegPipe::write(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        if (input_ < 0) throw FfmpegError("ffmpeg input already closed");
        const ssize_t n = writeQuietly(bytes, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int err = errno;
            closeInput();
            const int status = wait();
            if (err == EPIPE) {
                if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
                    throw FfmpegError("ffmpeg stopped reading frames before the end");
                throw FfmpegError(describeExit(status));
            }
            throw FfmpegError(std::string("cannot write frames to ffmpeg: ") + std::strerror(err));
        }
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
}

void FfmpegPipe::finish() {
    closeInput();
    const int status = wait();
    if (!(WIFEXITED(status) && WEXITSTATUS(status) == 0)) throw FfmpegError(describeExit(status));
}

void FfmpegPipe::kill() noexcept {
    {
        std::lock_guard<std::mutex> lock(reapMutex_);
        if (!reaped_ && pid_ > 0) ::kill(pid_, SIGKILL);
    }
    wait();
}

std::string FfmpegPipe::stderrTail(std::size_t lines) const {
    if (stderrFile_ < 0) return {};
    const off_t size = ::lseek(stderrFile_, 0, SEEK_END);
    if (size <= 0) return {};
    const off_t keep = std::min<off_t>(size, 8192);
    std::string text(static_cast<std::size_t>(keep), '\0');
    const ssize_t n = ::pread(stderrFile_, text.data(), text.size(), size - keep);
    if (n <= 0) return {};
    text.resize(static_cast<std::size_t>(n));
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    std::size_t start = text.size();
    for (std::size_t count = 0; count < lines; ++count) {
        const std::size_t nl = start == 0 ? std::string::npos : text.rfind('\n', start - 1);
        if (nl == std::string::npos) return text;
        start = nl;
    }
    return text.substr(start + 1);
}

}  // namespace capture
