// Frame sinks.
#include "capture/output_sinks.h"

#include "capture/ffmpeg_command.h"
#include "capture/png_output.h"

namespace capture {

Image frameImage(const Frame& frame) {
    Image image(frame.width, frame.height);
    rgbaBottomUpToRgb(frame.rgba.data(), frame.width, frame.height, image.rgb.data());
    return image;
}

void PngSequenceSink::consume(const Frame& frame) { writePng(pattern_.pathFor(frame.index), frameImage(frame)); }

void SinglePngSink::consume(const Frame& frame) { writePng(path_, frameImage(frame)); }

VideoSink::VideoSink(const std::string& ffmpeg, VideoRequest request, const std::string& finalPath)
    : file_(finalPath) {
    request.outputPath = file_.path();
    file_.probe();
    pipe_ = std::make_unique<FfmpegPipe>(ffmpeg, buildFfmpegArgs(request));
    rgb_.resize(static_cast<std::size_t>(request.width) * request.height * 3);
}

void VideoSink::consume(const Frame& frame) {
    rgbaBottomUpToRgb(frame.rgba.data(), frame.width, frame.height, rgb_.data());
    pipe_->write(rgb_.data(), rgb_.size());
}

void VideoSink::finish() {
    pipe_->finish();
    file_.commit();
}

void VideoSink::interrupt() noexcept { pipe_->kill(); }

void VideoSink::abandon() noexcept {
    pipe_->kill();
    file_.discard();
}

void ContactSheetSink::consume(const Frame& frame) {
    sheet_.place(static_cast<int>(frame.index), frameImage(frame), frame.timeMs);
}

void ContactSheetSink::finish() { writePng(path_, sheet_.image()); }

}  // namespace capture
