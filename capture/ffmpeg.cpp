// ffmpeg formats, arguments, child process and video sink; the song check.
#include "capture/ffmpeg.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>

#include "capture/pictures.h"

namespace capture {

namespace {

std::string fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

bool isExecutableFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::vector<std::string> buildFfmpegArgs(const VideoRequest& r) {
    const double duration = static_cast<double>(r.frameCount * r.fps.den) / static_cast<double>(r.fps.num);
    std::vector<std::string> args = {
        "-hide_banner", "-nostdin", "-loglevel", "error", "-y",
        "-f", "rawvideo", "-pix_fmt", "bgr24",
        "-video_size", std::to_string(r.width) + "x" + std::to_string(r.height),
        "-framerate", r.fps.text(),
        "-i", "pipe:0",
    };
    const bool audio = !r.songPath.empty();
    if (audio) {
        if (r.songOffsetMs < 0) args.insert(args.end(), {"-ss", fixed(-r.songOffsetMs / 1000.0, 3)});
        args.insert(args.end(), {"-i", ffmpegFileName(r.songPath)});
    }
    args.insert(args.end(), {"-map", "0:v"});
    if (audio) args.insert(args.end(), {"-map", "1:a"});
    // The frames arrive bottom row first; vflip only steps through the rows
    // backwards (no copy) on the way to the colour conversion.
    args.insert(args.end(), {"-vf", "vflip"});
    args.insert(args.end(), r.format.videoArgs.begin(), r.format.videoArgs.end());
    if (r.format.x264) args.insert(args.end(), {"-preset", r.preset, "-crf", std::to_string(r.crf)});
    if (audio) {
        args.insert(args.end(), r.format.audioArgs.begin(), r.format.audioArgs.end());
        // adelay puts silence before the song; apad fills the end so the audio
        // lasts as long as the video, and -t below cuts both to that length.
        std::string filter = "apad";
        if (r.songOffsetMs > 0) {
            filter = "adelay=delays=" + std::to_string(r.songOffsetMs) + ":all=1," + filter;
        }
        args.insert(args.end(), {"-af", filter});
    }
    args.insert(args.end(), {"-t", fixed(duration, 6)});
    args.insert(args.end(), r.format.muxerArgs.begin(), r.format.muxerArgs.end());
    args.insert(args.end(), {"-f", r.format.muxer, ffmpegFileName(r.outputPath)});
    return args;
}

std::string findExecutable(const std::string& program, const std::string& searchPath) {
    if (program.empty()) return {};
    if (program.find('/') != std::string::npos) return isExecutableFile(program) ? program : std::string();
    std::size_t begin = 0;
    while (begin <= searchPath.size()) {
        std::size_t end = searchPath.find(':', begin);
        if (end == std::string::npos) end = searchPath.size();
        std::string dir = searchPath.substr(begin, end - begin);
        if (dir.empty()) dir = ".";
        const std::string candidate = dir + "/" + program;
        if (isExecutableFile(candidate)) return candidate;
        begin = end + 1;
    }
    return {};
}

namespace {

// An unlinked temporary file for the child's stderr.
int anonymousFile() {
    std::string path;
    const int fd = createTemporaryFile("gm-capture-ffmpeg", "", path);
    if (fd >= 0) ::unlink(path.c_str());
    return fd;
}

}  // namespace

FfmpegPipe::FfmpegPipe(const std::string& program, const std::vector<std::string>& args,
                       const std::atomic<bool>* cancel)
    : program_(program), cancel_(cancel) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        throw FfmpegError(std::string("cannot make a pipe for ffmpeg: ") + std::strerror(errno));
    input_ = fds[1];
    // Our end never blocks: write() waits in poll() and so can give up when
    // the run is cancelled or kill() was called, even if a grandchild that
    // left ffmpeg's process group keeps the pipe open without reading.
    ::fcntl(input_, F_SETFL, ::fcntl(input_, F_GETFL) | O_NONBLOCK);
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

bool FfmpegPipe::cancelled() const noexcept { return killed_.load() || (cancel_ && cancel_->load()); }

int FfmpegPipe::wait() noexcept {
    std::lock_guard<std::mutex> lock(reapMutex_);
    if (!reaped_ && pid_ > 0) {
        int status = 0;
        pid_t r;
        // Polled, so that a cancelled run stops a child (and its group)
        // that never exits by itself.
        for (;;) {
            r = ::waitpid(pid_, &status, WNOHANG);
            if (r < 0 && errno == EINTR) continue;
            if (r != 0) break;
            if (cancelled()) ::kill(-pid_, SIGKILL);
            ::usleep(5000);
        }
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
        if (cancelled()) {
            kill();
            throw FfmpegError(describeExit(wait()));
        }
        const ssize_t n = writeQuietly(bytes, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (errno == EAGAIN) {
                pollfd ready{input_, POLLOUT, 0};
                ::poll(&ready, 1, 50);
                continue;
            }
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
    killed_.store(true);
    {
        // The whole process group: a wrapper script's own children too.
        std::lock_guard<std::mutex> lock(reapMutex_);
        if (!reaped_ && pid_ > 0) ::kill(-pid_, SIGKILL);
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

namespace {

struct Source {
    const std::vector<std::uint8_t>& bytes;
    std::size_t at = 0;
};

size_t readBytes(void* to, size_t size, size_t count, void* from) {
    auto* source = static_cast<Source*>(from);
    if (size == 0) return 0;
    const std::size_t items = std::min(count, (source->bytes.size() - source->at) / size);
    std::memcpy(to, source->bytes.data() + source->at, items * size);
    source->at += items * size;
    return items;
}

int seekBytes(void* from, ogg_int64_t offset, int whence) {
    auto* source = static_cast<Source*>(from);
    const auto size = static_cast<ogg_int64_t>(source->bytes.size());
    const ogg_int64_t base = whence == SEEK_CUR ? static_cast<ogg_int64_t>(source->at) : whence == SEEK_END ? size : 0;
    if (whence != SEEK_SET && whence != SEEK_CUR && whence != SEEK_END) return -1;
    if (base + offset < 0 || base + offset > size) return -1;
    source->at = static_cast<std::size_t>(base + offset);
    return 0;
}

long tellBytes(void* from) { return static_cast<long>(static_cast<Source*>(from)->at); }

}  // namespace

bool songDecodesCleanly(const std::vector<std::uint8_t>& ogg, std::string& why) {
    Source source{ogg};
    OggVorbis_File file;
    const ov_callbacks callbacks{readBytes, seekBytes, nullptr, tellBytes};
    if (ogg.empty() || ov_open_callbacks(&source, &file, nullptr, 0, callbacks) != 0) {
        why = "not Ogg Vorbis data";
        return false;
    }
    const std::unique_ptr<OggVorbis_File, int (*)(OggVorbis_File*)> open(&file, ov_clear);
    if (ov_pcm_total(&file, -1) <= 0) {
        why = "damaged stream (its length cannot be read)";
        return false;
    }
    int section = 0;
    for (;;) {
        float** pcm = nullptr;
        const long frames = ov_read_float(&file, &pcm, 4096, &section);
        if (frames == 0) return true;
        if (frames < 0) {
            why = frames == OV_HOLE ? "damaged audio data (a gap in the stream)" : "damaged audio data";
            return false;
        }
    }
}

namespace {

VideoFormat h264(const std::string& muxer, std::vector<std::string> muxerArgs) {
    VideoFormat f;
    f.muxer = muxer;
    f.videoArgs = {"-c:v", "libx264", "-pix_fmt", "yuv420p"};
    f.x264 = true;
    f.audioArgs = {"-c:a", "aac", "-b:a", "192k"};
    f.muxerArgs = std::move(muxerArgs);
    return f;
}

}  // namespace

std::optional<VideoFormat> videoFormatFor(const std::string& name) {
    const std::string ext = lowerExtension(name);
    if (ext == "mp4" || ext == "m4v") return h264("mp4", {"-movflags", "+faststart"});
    if (ext == "mov") return h264("mov", {"-movflags", "+faststart"});
    if (ext == "mkv") return h264("matroska", {});
    if (ext == "webm") {
        VideoFormat f;
        f.muxer = "webm";
        f.videoArgs = {"-c:v", "libvpx-vp9", "-pix_fmt", "yuv420p", "-b:v", "0", "-crf", "32",
                       "-deadline", "realtime", "-cpu-used", "8", "-row-mt", "1"};
        f.audioArgs = {"-c:a", "libopus", "-b:a", "160k"};
        return f;
    }
    return std::nullopt;
}

const char* knownVideoExtensions() { return ".mp4, .m4v, .mov, .mkv, .webm"; }

VideoSink::VideoSink(const std::string& ffmpeg, VideoRequest request, const std::string& finalPath,
                     const std::atomic<bool>* cancel)
    : file_(finalPath) {
    request.outputPath = file_.path();
    pipe_ = std::make_unique<FfmpegPipe>(ffmpeg, buildFfmpegArgs(request), cancel);
}

void VideoSink::consume(const Frame& frame) { pipe_->write(frame.bgr, frame.bytes()); }

void VideoSink::finish() {
    pipe_->finish();
    file_.commit();
}

void VideoSink::interrupt() noexcept {
    pipe_->kill();  // also ends a write() blocked on the writer thread
}

void VideoSink::abandon() noexcept {
    pipe_->kill();
    file_.discard();
}

}  // namespace capture
