// Videos through ffmpeg: the containers it writes and how each is encoded
// (codecs, their settings, the colour the stream declares), its command line,
// the child process fed raw frames over a pipe, and the video sink.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "capture/files.h"
#include "capture/frames.h"

namespace capture {

enum class VideoCodec {
    H264,  // x264, 4:2:0, BT.709 limited range
    Vp9,   // libvpx, 4:2:0, BT.709 limited range
    Ffv1,  // lossless RGB (the archive master)
    Raw,   // the frames as they come, converted to videoArgs' pixel format (tests)
};

// How ffmpeg writes one container.
struct VideoFormat {
    std::string muxer;                   // -f
    VideoCodec codec = VideoCodec::H264;
    std::vector<std::string> videoArgs;  // Raw only: codec and pixel format
    std::vector<std::string> audioArgs;  // audio codec, its settings and rate
    std::vector<std::string> muxerArgs;  // container options
};

// The format for a file name by its extension (case-insensitive), or
// nothing. lossless: FFV1 with FLAC, for .mkv only (nothing for others).
std::optional<VideoFormat> videoFormatFor(const std::string& name, bool lossless = false);

struct VideoRequest {
    int width = 0;
    int height = 0;
    FrameRate fps;
    std::int64_t frameCount = 0;
    VideoFormat format;
    // x264 only. draft: the preset alone (ultrafast for the fastest encode);
    // otherwise the upload settings are added: High profile, a closed GOP of
    // half the frame rate, 2 B-frames.
    int crf = 18;
    std::string preset = "veryfast";
    bool draft = false;
    // Soundtrack as raw samples (Pcm's layout) already on the video's
    // timeline and of its length; empty path: a video without audio.
    std::string songPath;
    int songRate = 44100;
    int songChannels = 2;
    std::string outputPath;  // where ffmpeg writes (the temporary name)
};

// The GOP of an upload encode: half the frame rate, rounded, at least 1.
int uploadGop(const FrameRate& fps);

// Arguments after the program name. Frames arrive as packed bgr24 rows, bottom
// row first (as the GL reads them back); ffmpeg flips them. The video is
// exactly frameCount frames at fps; the song file is as long already.
std::vector<std::string> buildFfmpegArgs(const VideoRequest& request);

// The program to run: a name containing '/' is taken as a path, otherwise it
// is looked up in searchPath (a PATH-style list). Empty when nothing
// executable is found.
std::string findExecutable(const std::string& program, const std::string& searchPath);

// ffmpeg could not be started, stopped reading, or exited with a failure.
class FfmpegError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class FfmpegPipe {
public:
    // Starts program with args (argv[0] is the program) in its own process
    // group, so a terminal's Ctrl+C reaches only this program, which then
    // stops the child's whole group itself. Once *cancel is set, write() and
    // finish() stop the group and fail within a few tens of milliseconds.
    // Throws FfmpegError if it cannot start.
    FfmpegPipe(const std::string& program, const std::vector<std::string>& args,
               const std::atomic<bool>* cancel = nullptr);
    ~FfmpegPipe();  // kills a child still running

    FfmpegPipe(const FfmpegPipe&) = delete;
    FfmpegPipe& operator=(const FfmpegPipe&) = delete;

    // Writes all bytes to the child's stdin. Throws FfmpegError with the
    // child's exit status and stderr tail if it stopped reading.
    void write(const void* data, std::size_t size);

    // Closes stdin and waits. Throws FfmpegError unless the child exits with 0.
    void finish();

    // Stops the child and its process group at once (SIGKILL) and reaps it;
    // a write() waiting on another thread then fails. Safe to call from
    // another thread than the one blocked in write() (which then fails with
    // the child's status), and more than once.
    void kill() noexcept;

    // The last `lines` lines the child wrote to stderr.
    std::string stderrTail(std::size_t lines = 12) const;

private:
    ssize_t writeQuietly(const char* bytes, std::size_t size) noexcept;  // write(2) without SIGPIPE
    void closeInput() noexcept;
    int wait() noexcept;  // reaps the child once; returns its wait status
    bool cancelled() const noexcept;
    std::string describeExit(int status) const;

    std::string program_;
    pid_t pid_ = -1;
    int input_ = -1;      // write end of the child's stdin
    int stderrFile_ = -1;
    int status_ = 0;
    bool reaped_ = false;
    const std::atomic<bool>* cancel_;
    std::atomic<bool> killed_{false};
    std::mutex reapMutex_;  // kill() may come from another thread than write()
};

// Extensions videoFormatFor knows, for messages.
const char* knownVideoExtensions();

// Frames as they were read back (bgr24, bottom row first) into an ffmpeg child that writes the video under a
// temporary name; finish() renames it once ffmpeg exited with success.
class VideoSink : public FrameSink {
public:
    // request.outputPath is replaced by the temporary name beside finalPath;
    // *cancel (if given) stops ffmpeg and fails the frame being written.
    VideoSink(const std::string& ffmpeg, VideoRequest request, const std::string& finalPath,
              const std::atomic<bool>* cancel = nullptr);
    void consume(const Frame& frame) override;
    void finish() override;
    void interrupt() noexcept override;
    void abandon() noexcept override;

private:
    PartialFile file_;
    std::unique_ptr<FfmpegPipe> pipe_;
};

}  // namespace capture
