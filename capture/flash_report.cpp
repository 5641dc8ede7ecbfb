// Flash counting per pixel over a sliding one-second window, the per-second
// figures, and the report.
#include "capture/flash_report.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "capture/files.h"

namespace capture {

namespace {

// Fixed point: luminance 0..1 as 0..65535; (R - G - B) x 320 as 0..64000 (x 200).
constexpr int kLumaOne = 65535;
constexpr int kLumaStep = 6554;     // 0.1, rounded up: "at least 10 %"
constexpr int kLumaDark = 52429;    // 0.80: the darker side must be below it
constexpr int kRedScale = 200;
constexpr int kRedStep = 20 * kRedScale + 1;  // "more than 20"
constexpr int kNoDarkLimit = 1 << 20;
constexpr int kOverThree = 7;       // transitions: more than three flashes

struct Tables {
    std::array<std::int32_t, 256> linear{};  // sRGB to linear (WCAG's formula), 0..65535
    std::array<std::uint32_t, 256> red{}, green{}, blue{};  // luminance parts in fixed point
    Tables() {
        for (int c = 0; c < 256; ++c) {
            const double s = c / 255.0;
            const double l = s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
            linear[c] = static_cast<std::int32_t>(std::lround(l * kLumaOne));
            red[c] = static_cast<std::uint32_t>(std::lround(0.2126 * l * kLumaOne));
            green[c] = static_cast<std::uint32_t>(std::lround(0.7152 * l * kLumaOne));
            blue[c] = static_cast<std::uint32_t>(std::lround(0.0722 * l * kLumaOne));
        }
    }
};

const Tables& tables() {
    static const Tables t;
    return t;
}

}  // namespace

// One measure (luminance or redness) for every pixel: where its last turning
// point is, and its transitions within the window.
struct FlashAnalyser::Signal {
    Signal(std::size_t pixels, std::int64_t window, int step, int darkLimit)
        : step(step), darkLimit(darkLimit), extreme(pixels, 0xFFFF), other(pixels, 0), trend(pixels, 0), count(pixels, 0),
          planeBytes((pixels + 7) / 8), events(static_cast<std::size_t>(window) * planeBytes, 0),
          histogram(static_cast<std::size_t>(window) + 1, 0) {}

    // Takes pixel p's value this frame; true when it makes a transition.
    // After a rise (+1) extreme tracks the highest value since, after a fall
    // (-1) the lowest; before the first transition extreme and other keep the
    // lowest and the highest seen.
    bool transition(std::size_t p, int v) {
        const int e = extreme[p];
        switch (trend[p]) {
        case 1:
            if (v > e) {
                extreme[p] = static_cast<std::uint16_t>(v);
            } else if (e - v >= step && v < darkLimit) {
                trend[p] = -1;
                extreme[p] = static_cast<std::uint16_t>(v);
                return true;
            }
            return false;
        case -1:
            if (v < e) {
                extreme[p] = static_cast<std::uint16_t>(v);
            } else if (v - e >= step && e < darkLimit) {
                trend[p] = 1;
                extreme[p] = static_cast<std::uint16_t>(v);
                return true;
            }
            return false;
        default: {
            const int low = std::min(e, v), high = std::max<int>(other[p], v);
            if (v - low >= step && low < darkLimit) {
                trend[p] = 1;
                extreme[p] = static_cast<std::uint16_t>(v);
                return true;
            }
            if (high - v >= step && v < darkLimit) {
                trend[p] = -1;
                extreme[p] = static_cast<std::uint16_t>(v);
                return true;
            }
            extreme[p] = static_cast<std::uint16_t>(low);
            other[p] = static_cast<std::uint16_t>(high);
            return false;
        }
        }
    }

    // Pixel p's transition this frame (in window slot `slot`) replaces the
    // one that fell out of the window; counts the pixel in the histogram.
    // Most pixels have none in the window: their bits are all clear, and
    // figures() counts them as the rest of the picture.
    void tally(std::size_t p, std::size_t slot, bool event) {
        if (!event && count[p] == 0) return;
        std::uint8_t& byte = events[slot * planeBytes + p / 8];
        const auto bit = static_cast<std::uint8_t>(1u << (p % 8));
        count[p] = static_cast<std::uint8_t>(count[p] - ((byte & bit) != 0) + event);
        byte = static_cast<std::uint8_t>(event ? byte | bit : byte & ~bit);
        ++histogram[count[p]];
    }

    // The window's figures from the histogram, then cleared for the next frame.
    FlashFigures figures(std::size_t pixels) {
        FlashFigures f;
        const auto needed = static_cast<std::int64_t>(std::ceil(kFlashThresholdArea * static_cast<double>(pixels)));
        std::int64_t counted = 0;
        for (std::size_t c = 1; c < histogram.size(); ++c) counted += histogram[c];
        histogram[0] = static_cast<std::int64_t>(pixels) - counted;
        std::int64_t atLeast = 0;  // pixels with at least c transitions, c from the top down
        for (std::size_t c = histogram.size(); c-- > 0;) {
            atLeast += histogram[c];
            if (c == 2) f.flashingArea = static_cast<double>(atLeast) / static_cast<double>(pixels);
            if (c == kOverThree) f.areaOverThree = static_cast<double>(atLeast) / static_cast<double>(pixels);
            if (f.flashes == 0 && atLeast >= needed) f.flashes = static_cast<double>(c) / 2.0;
        }
        std::fill(histogram.begin(), histogram.end(), 0);
        return f;
    }

    int step;
    int darkLimit;
    std::vector<std::uint16_t> extreme, other;
    std::vector<std::int8_t> trend;
    std::vector<std::uint8_t> count;  // at most the window's frames, 240
    std::size_t planeBytes;
    std::vector<std::uint8_t> events;  // one bit plane per frame of the window
    std::vector<std::int64_t> histogram;
};

FlashAnalyser::FlashAnalyser(int width, int height, const FrameSchedule& schedule)
    : width_(width), height_(height), schedule_(schedule), window_(schedule.rate().framesPerSecondCeil()) {
    const auto pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    general_ = std::make_unique<Signal>(pixels, window_, kLumaStep, kLumaDark);
    red_ = std::make_unique<Signal>(pixels, window_, kRedStep, kNoDarkLimit);
}

FlashAnalyser::~FlashAnalyser() = default;

void FlashAnalyser::add(const std::uint8_t* bgr) {
    const Tables& t = tables();
    const auto pixels = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
    const auto slot = static_cast<std::size_t>(frame_ % window_);
    for (std::size_t p = 0; p < pixels; ++p, bgr += 3) {
        const int luma = static_cast<int>(std::min<std::uint32_t>(t.blue[bgr[0]] + t.green[bgr[1]] + t.red[bgr[2]], kLumaOne));
        general_->tally(p, slot, general_->transition(p, luma));
        // Saturated red: R / (R + G + B) >= 0.8, i.e. R >= 4 (G + B), in linear values.
        const std::int32_t r = t.linear[bgr[2]], gb = t.linear[bgr[1]] + t.linear[bgr[0]];
        const int redness = r > 0 && r >= 4 * gb ? static_cast<int>(std::int64_t{r - gb} * (320 * kRedScale) / kLumaOne) : 0;
        red_->tally(p, slot, red_->transition(p, redness));
    }
    record(schedule_.wholeMs(frame_) / 1000);
    ++frame_;
}

void FlashAnalyser::record(std::int64_t second) {
    const auto pixels = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
    const FlashFigures general = general_->figures(pixels), red = red_->figures(pixels);
    if (seconds_.empty() || seconds_.back().second != second) {
        seconds_.push_back(FlashSecond{});
        seconds_.back().second = second;
    }
    FlashSecond& row = seconds_.back();
    const auto keepLargest = [](FlashFigures& into, const FlashFigures& f) {
        into.flashes = std::max(into.flashes, f.flashes);
        into.flashingArea = std::max(into.flashingArea, f.flashingArea);
        into.areaOverThree = std::max(into.areaOverThree, f.areaOverThree);
    };
    keepLargest(row.general, general);
    keepLargest(row.red, red);
}

std::string flashCsv(const std::vector<FlashSecond>& seconds) {
    std::string csv =
        "second,general_flashes,general_flashing_area,general_area_over_3_flashes,"
        "red_flashes,red_flashing_area,red_area_over_3_flashes,exceeds\n";
    for (const FlashSecond& s : seconds) {
        char line[160];
        std::snprintf(line, sizeof line, "%lld,%.1f,%.4f,%.4f,%.1f,%.4f,%.4f,%s\n", static_cast<long long>(s.second),
                      s.general.flashes, s.general.flashingArea, s.general.areaOverThree, s.red.flashes,
                      s.red.flashingArea, s.red.areaOverThree, s.exceeds() ? "yes" : "no");
        csv += line;
    }
    return csv;
}

std::string flashSummary(const std::vector<FlashSecond>& seconds, const std::string& csvPath) {
    std::string beyond;
    int count = 0;
    for (const FlashSecond& s : seconds) {
        if (!s.exceeds()) continue;
        if (++count <= 8) beyond += (beyond.empty() ? "" : ", ") + std::to_string(s.second);
    }
    if (count > 8) beyond += ", ...";
    const std::string rule = "WCAG 2.3.1's threshold (more than 3 general or red flashes in one second over 11.1 % of the picture)";
    if (count == 0) return "flash report: no second goes beyond " + rule + "; per second in " + csvPath + "\n";
    return "flash report: " + std::to_string(count) + (count == 1 ? " second goes" : " seconds go") + " beyond " +
           rule + ": second " + beyond + "; per second in " + csvPath + "\n";
}

FlashReportSink::FlashReportSink(std::unique_ptr<FrameSink> next, int width, int height, const FrameSchedule& schedule,
                                 std::string csvPath)
    : next_(std::move(next)), analyser_(width, height, schedule), csvPath_(std::move(csvPath)) {}

void FlashReportSink::consume(const Frame& frame) {
    analyser_.add(frame.bgr);
    if (next_) next_->consume(frame);
}

void FlashReportSink::finish() {
    if (next_) next_->finish();
    const std::string csv = flashCsv(analyser_.seconds());
    writeFileAtomically(csvPath_, csv.data(), csv.size());
}

void FlashReportSink::interrupt() noexcept {
    if (next_) next_->interrupt();
}

void FlashReportSink::abandon() noexcept {
    if (next_) next_->abandon();
}

}  // namespace capture
