// The writer thread hand-off and the ffmpeg child process, with stand-in
// programs for ffmpeg so failures can be provoked.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "capture/ffmpeg_pipe.h"
#include "capture/frame_writer.h"
#include "capture/output_sinks.h"

namespace {

using capture::Frame;
using capture::FrameWriter;

// Records what reaches it; can fail at a chosen frame or dawdle.
class RecordingSink : public capture::FrameSink {
public:
    std::vector<std::int64_t> indices;
    std::vector<std::uint8_t> firstBytes;
    std::int64_t failAt = -1;
    int delayMs = 0;
    int finished = 0, abandoned = 0, interrupted = 0;

    void consume(const Frame& frame) override {
        if (delayMs) std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        if (frame.index == failAt) throw std::runtime_error("disk full at frame " + std::to_string(frame.index));
        indices.push_back(frame.index);
        firstBytes.push_back(frame.rgba[0]);
    }
    void finish() override { ++finished; }
    void interrupt() noexcept override { ++interrupted; }
    void abandon() noexcept override { ++abandoned; }
};

// Pushes frames 0..count-1, each marked by its first byte; returns how many were submitted.
int pump(FrameWriter& writer, int count) {
    for (int i = 0; i < count; ++i) {
        Frame* f = writer.acquire();
        f->index = i;
        f->rgba[0] = static_cast<std::uint8_t>(i * 3);
        writer.submit(f);
    }
    return count;
}

TEST(FrameWriter, DeliversEveryFrameInOrderThroughASmallPool) {
    RecordingSink sink;
    sink.delayMs = 1;  // the writer is the slower side: the renderer must wait for buffers
    {
        FrameWriter writer(sink, 8, 4, 2);
        pump(writer, 40);
        writer.finish();
    }
    ASSERT_EQ(sink.indices.size(), 40u);
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ(sink.indices[i], i);
        EXPECT_EQ(sink.firstBytes[i], static_cast<std::uint8_t>(i * 3)) << "a buffer was reused before it was written";
    }
    EXPECT_EQ(sink.finished, 1);
    EXPECT_EQ(sink.abandoned, 0);
}

TEST(FrameWriter, AWriteFailureStopsTheRendererAndAbandonsTheOutput) {
    RecordingSink sink;
    sink.failAt = 5;
    FrameWriter writer(sink, 4, 4, 2);
    std::string message;
    try {
        pump(writer, 1000);
        writer.finish();
    } catch (const std::runtime_error& e) {
        message = e.what();
    }
    EXPECT_EQ(message, "disk full at frame 5");
    EXPECT_EQ(sink.indices.size(), 5u) << "nothing after the failing frame is written";
    writer.abandon();
    EXPECT_EQ(sink.finished, 0);
    EXPECT_EQ(sink.abandoned, 1);
    writer.abandon();
    EXPECT_EQ(sink.abandoned, 1) << "abandon is idempotent";

    // finish() itself reports a failure of the last frames and abandons.
    RecordingSink late;
    late.failAt = 2;
    FrameWriter lateWriter(late, 4, 4, 4);
    pump(lateWriter, 3);
    EXPECT_THROW(lateWriter.finish(), std::runtime_error);
    EXPECT_EQ(late.finished, 0);
    EXPECT_EQ(late.abandoned, 1);
}

TEST(FrameWriter, CancelAndDestructionWithoutFinish) {
    RecordingSink sink;
    std::atomic<bool> cancel{false};
    {
        FrameWriter writer(sink, 4, 4, 1);
        Frame* f = writer.acquire(&cancel);
        ASSERT_NE(f, nullptr);
        writer.submit(f);
        cancel = true;
        EXPECT_EQ(writer.acquire(&cancel), nullptr);
        // Leaving the scope without finish(): the output is abandoned.
    }
    EXPECT_EQ(sink.finished, 0);
    EXPECT_EQ(sink.interrupted, 1);
    EXPECT_EQ(sink.abandoned, 1);
}

// A folder with a stand-in program; removed afterwards.
class FakeFfmpeg : public ::testing::Test {
protected:
    void SetUp() override {
        char dir[] = "/tmp/gm-capture-fake-XXXXXX";
        ASSERT_NE(mkdtemp(dir), nullptr);
        dir_ = dir;
    }
    void TearDown() override {
        for (const auto& f : files_) ::unlink(f.c_str());
        ::rmdir(dir_.c_str());
    }
    std::string script(const std::string& name, const std::string& body) {
        const std::string path = dir_ + "/" + name;
        std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
        ::chmod(path.c_str(), 0755);
        files_.push_back(path);
        return path;
    }
    std::string file(const std::string& name) {
        files_.push_back(dir_ + "/" + name);
        files_.push_back(dir_ + "/" + name + ".partial");
        return dir_ + "/" + name;
    }
    static bool exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

    std::string dir_;
    std::vector<std::string> files_;
};

TEST_F(FakeFfmpeg, FeedsStdinAndSucceeds) {
    const std::string out = file("copy.bin");
    capture::FfmpegPipe pipe(script("copy", "cat > \"$1\""), {out});
    const std::vector<char> data(3 * 1024 * 1024, 'x');  // more than a pipe holds
    pipe.write(data.data(), data.size());
    pipe.finish();
    struct stat st {};
    ASSERT_EQ(::stat(out.c_str(), &st), 0);
    EXPECT_EQ(static_cast<std::size_t>(st.st_size), data.size());
}

TEST_F(FakeFfmpeg, AFailingChildIsReportedWithItsStatusAndStderr) {
    const std::string prog = script("fail", "echo 'line one' >&2\necho \"Unknown encoder 'libx264'\" >&2\nexit 3");
    {
        capture::FfmpegPipe pipe(prog, {});
        const std::vector<char> data(4 * 1024 * 1024, 0);
        try {
            pipe.write(data.data(), data.size());
            pipe.finish();
            ADD_FAILURE() << "expected a failure";
        } catch (const capture::FfmpegError& e) {
            const std::string what = e.what();
            EXPECT_NE(what.find("ffmpeg failed (exit status 3)"), std::string::npos) << what;
            EXPECT_NE(what.find("Unknown encoder 'libx264'"), std::string::npos) << what;
        }
        EXPECT_EQ(pipe.stderrTail(1), "Unknown encoder 'libx264'");
        EXPECT_EQ(pipe.stderrTail(5), "line one\nUnknown encoder 'libx264'");
    }
    // Exit 0 without reading everything is still a failure.
    capture::FfmpegPipe early(script("early", "exit 0"), {});
    const std::vector<char> data(4 * 1024 * 1024, 0);
    try {
        early.write(data.data(), data.size());
        early.finish();
        ADD_FAILURE() << "expected a failure";
    } catch (const capture::FfmpegError& e) {
        EXPECT_NE(std::string(e.what()).find("stopped reading"), std::string::npos) << e.what();
    }

    EXPECT_THROW(capture::FfmpegPipe(dir_ + "/no-such-program", {}), capture::FfmpegError);
}

TEST_F(FakeFfmpeg, KillUnblocksAWriterStuckOnAChildThatDoesNotRead) {
    capture::FfmpegPipe pipe(script("stuck", "exec sleep 30"), {});
    std::thread killer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        pipe.kill();
    });
    const std::vector<char> data(8 * 1024 * 1024, 0);
    try {
        pipe.write(data.data(), data.size());
        ADD_FAILURE() << "expected a failure";
    } catch (const capture::FfmpegError& e) {
        EXPECT_NE(std::string(e.what()).find("killed by signal 9"), std::string::npos) << e.what();
    }
    killer.join();
}

TEST_F(FakeFfmpeg, VideoSinkLeavesNoFileWhenFfmpegFails) {
    const std::string out = file("demo.mp4");
    capture::VideoRequest request;
    request.width = 64;
    request.height = 48;
    request.frameCount = 10;
    request.format = *capture::videoFormatFor(out);
    // Writes a partial file, complains, and fails midway.
    const std::string prog = script("ffmpeg", "for last; do :; done\nhead -c 1000 > \"$last\"\necho 'Conversion failed!' >&2\nexit 1");
    {
        capture::VideoSink sink(prog, request, out);
        FrameWriter writer(sink, 64, 48);
        std::string message;
        try {
            pump(writer, 10);
            writer.finish();
        } catch (const capture::FfmpegError& e) {
            message = e.what();
        }
        EXPECT_NE(message.find("exit status 1"), std::string::npos) << message;
        EXPECT_NE(message.find("Conversion failed!"), std::string::npos) << message;
    }
    EXPECT_FALSE(exists(out));
    EXPECT_FALSE(exists(out + ".partial"));

    // The same run with a stand-in that succeeds is renamed into place.
    const std::string ok = script("ffmpeg-ok", "for last; do :; done\ncat > \"$last\"");
    {
        capture::VideoSink sink(ok, request, out);
        FrameWriter writer(sink, 64, 48);
        pump(writer, 10);
        writer.finish();
    }
    struct stat st {};
    ASSERT_EQ(::stat(out.c_str(), &st), 0);
    EXPECT_EQ(st.st_size, 10 * 64 * 48 * 3) << "rgb24 frames, alpha dropped";
    EXPECT_FALSE(exists(out + ".partial"));
}

}  // namespace
