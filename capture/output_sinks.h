// The places frames go: PNG files, an ffmpeg video, a contact sheet.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "capture/contact_sheet.h"
#include "capture/ffmpeg_command.h"
#include "capture/ffmpeg_pipe.h"
#include "capture/frame_writer.h"
#include "capture/output_target.h"
#include "capture/partial_file.h"

namespace capture {

// The frame as an RGB picture, top row first.
Image frameImage(const Frame& frame);

// One PNG per frame, named by the pattern with the frame's index. Each file
// appears under its name only once complete.
class PngSequenceSink : public FrameSink {
public:
    explicit PngSequenceSink(FramePattern pattern) : pattern_(std::move(pattern)) {}
    void consume(const Frame& frame) override;
    void finish() override {}
    void abandon() noexcept override {}

private:
    FramePattern pattern_;
};

// Every frame to the same PNG (used for the single frame of --frame-at).
class SinglePngSink : public FrameSink {
public:
    explicit SinglePngSink(std::string path) : path_(std::move(path)) {}
    void consume(const Frame& frame) override;
    void finish() override {}
    void abandon() noexcept override {}

private:
    std::string path_;
};

// Frames as rgb24 into an ffmpeg child that writes the video under a
// temporary name; finish() renames it once ffmpeg exited with success.
class VideoSink : public FrameSink {
public:
    // request.outputPath is replaced by the temporary name beside finalPath.
    VideoSink(const std::string& ffmpeg, VideoRequest request, const std::string& finalPath);
    void consume(const Frame& frame) override;
    void finish() override;
    void interrupt() noexcept override;
    void abandon() noexcept override;

private:
    PartialFile file_;
    std::unique_ptr<FfmpegPipe> pipe_;
    std::vector<std::uint8_t> rgb_;
};

// Frames into the cells of a contact sheet (frame index = cell), written as
// a PNG by finish().
class ContactSheetSink : public FrameSink {
public:
    ContactSheetSink(const SheetLayout& layout, std::string path) : sheet_(layout), path_(std::move(path)) {}
    void consume(const Frame& frame) override;
    void finish() override;
    void abandon() noexcept override {}

private:
    ContactSheet sheet_;
    std::string path_;
};

}  // namespace capture
