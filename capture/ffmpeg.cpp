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

bool isExecutableFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

int uploadGop(const FrameRate& fps) {
    return static_cast<int>(std::max<std::int64_t>(1, (fps.num + fps.den) / (2 * fps.den)));
}

namespace {

// The colour a 4:2:0 stream is made with and says it has: BT.709 primaries,
// transfer and matrix, limited range. The scaler converts with the same
// matrix (ffmpeg's default would be BT.601), and the tags let players decode
// with it rather than guess.
const std::vector<std::string> kBt709Tags = {"-colorspace", "bt709", "-color_primaries", "bt709",
                                              "-color_trc", "bt709", "-color_range", "tv"};
const char* const kBt709Filter = "vflip,scale=out_color_matrix=bt709:out_range=tv,format=yuv420p";

void append(std::vector<std::string>& args, const std::vector<std::string>& more) {
    args.insert(args.end(), more.begin(), more.end());
}

void appendVideoCodec(std::vector<std::string>& args, const VideoRequest& r) {
    // The frames arrive bottom row first; vflip only steps through the rows
    // backwards (no copy) on the way to the colour conversion.
    switch (r.format.codec) {
    case VideoCodec::H264:
        append(args, {"-vf", kBt709Filter, "-c:v", "libx264", "-preset", r.preset, "-crf", std::to_string(r.crf)});
        if (!r.draft) {
            // Closed GOPs of a fixed length (no scene-cut keyframes between).
            const std::string gop = std::to_string(uploadGop(r.fps));
            append(args, {"-profile:v", "high", "-g", gop, "-keyint_min", gop, "-sc_threshold", "0", "-bf", "2",
                          "-flags", "+cgop"});
        }
        append(args, kBt709Tags);
        break;
    case VideoCodec::Vp9:
        append(args, {"-vf", kBt709Filter, "-c:v", "libvpx-vp9", "-b:v", "0", "-crf", "32", "-deadline", "realtime",
                      "-cpu-used", "8", "-row-mt", "1"});
        append(args, kBt709Tags);
        break;
    case VideoCodec::Ffv1:
        // bgr0 holds the read-back's bytes unchanged (a fourth byte unused);
        // every frame a keyframe, each of the 16 slices with its own CRC, so
        // damage stays in a slice and is found.
        append(args, {"-vf", "vflip", "-c:v", "ffv1", "-level", "3", "-pix_fmt", "bgr0", "-coder", "1", "-context",
                      "1", "-g", "1", "-slices", "16", "-slicecrc", "1", "-colorspace", "rgb",
                      "-color_primaries", "bt709", "-color_trc", "iec61966-2-1", "-color_range", "pc"});
        break;
    case VideoCodec::Raw:
        append(args, {"-vf", "vflip"});
        append(args, r.format.videoArgs);
        break;
    }
}

}  // namespace

std::vector<std::string> buildFfmpegArgs(const VideoRequest& r) {
    std::vector<std::string> args = {
        "-hide_banner", "-nostdin", "-loglevel", "error", "-y",
        "-f", "rawvideo", "-pix_fmt", "bgr24",
        "-video_size", std::to_string(r.width) + "x" + std::to_string(r.height),
        "-framerate", r.fps.text(),
        "-i", "pipe:0",
    };
    const bool audio = !r.songPath.empty();
    if (audio) {
        append(args, {"-f", "s16le", "-ar", std::to_string(r.songRate), "-ac", std::to_string(r.songChannels), "-i",
                      ffmpegFileName(r.songPath)});
    }
    append(args, {"-map", "0:v"});
    if (audio) append(args, {"-map", "1:a"});
    appendVideoCodec(args, r);
    if (audio) append(args, r.format.audioArgs);
    append(args, r.format.muxerArgs);
    append(args, {"-f", r.format.muxer, ffmpegFileName(r.outputPath)});
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

VideoFormat h264(const std::string& muxer, std::vector<std::string> muxerArgs) {
    VideoFormat f;
    f.muxer = muxer;
    f.codec = VideoCodec::H264;
    // AAC-LC, 48 kHz stereo: what video sites and players expect, resampled
    // from the song's own rate.
    f.audioArgs = {"-c:a", "aac", "-profile:a", "aac_low", "-b:a", "192k", "-ar", "48000", "-ac", "2"};
    f.muxerArgs = std::move(muxerArgs);
    return f;
}

}  // namespace

std::optional<VideoFormat> videoFormatFor(const std::string& name, bool lossless) {
    const std::string ext = lowerExtension(name);
    if (lossless) {
        if (ext != "mkv") return std::nullopt;
        VideoFormat f;
        f.muxer = "matroska";
        f.codec = VideoCodec::Ffv1;
        f.audioArgs = {"-c:a", "flac"};  // the song's own rate and 16-bit samples, unchanged
        return f;
    }
    if (ext == "mp4" || ext == "m4v") return h264("mp4", {"-movflags", "+faststart"});
    if (ext == "mov") return h264("mov", {"-movflags", "+faststart"});
    if (ext == "mkv") return h264("matroska", {});
    if (ext == "webm") {
        VideoFormat f;
        f.muxer = "webm";
        f.codec = VideoCodec::Vp9;
        f.audioArgs = {"-c:a", "libopus", "-b:a", "160k", "-ar", "48000", "-ac", "2"};
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
