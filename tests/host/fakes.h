// Recording fakes for the driver's seams: every call lands, in order, in one
// shared log, so tests can check the order of engine and platform calls.
#pragma once

#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "host/engine_api.h"
#include "host/platform/platform.h"
#include "host/setup_dialog.h"

namespace hosttest {

using Log = std::vector<std::string>;

class RecordingEngine : public glassmeridian::EngineApi {
public:
    explicit RecordingEngine(Log& log) : log_(log) {}

    std::vector<float> clock;           // time after the n-th updateTimer; the last one repeats
    bool initSucceeds = true;
    std::function<void(const std::string&)> beforeCall;  // may throw to inject a failure
    std::vector<std::string> messages;

    void setLogging(bool enabled) override { note("setLogging(" + flag(enabled) + ")"); }
    // initEx(width,height,colourBits,see,hear,wait,archive): the mode as it reaches dmsInitEx.
    bool initEx(const glassmeridian::LaunchSettings& s, const char* archive) override {
        note("initEx(" + std::to_string(s.width) + "," + std::to_string(s.height) + "," +
             std::to_string(s.colourBits) + "," + flag(s.seeOption) + "," + flag(s.hearOption) + "," +
             flag(s.waitOption) + "," + archive + ")");
        return initSucceeds;
    }
    void addFont(int w, int h, const char* file) override {
        note("addFont(" + std::to_string(w) + "," + std::to_string(h) + "," + file + ")");
    }
    void addTexture(const char* file) override { note(std::string("addTexture(") + file + ")"); }
    void registerTimeline() override { note("registerTimeline"); }
    void initEffects() override { note("initEffects"); }
    void uploadTextures() override { note("uploadTextures"); }
    void initTimer() override { note("initTimer"); }
    void clearColour() override { note("clearColour"); }
    void updateTimer() override {
        note("updateTimer");
        // A loop that misses its end condition fails the test instead of hanging it.
        if (updates_ > clock.size() + 1000) throw "fake clock: the frame loop did not end";
        if (updates_ < clock.size()) now_ = clock[updates_] + offset_;
        ++updates_;
    }
    void checkControls(float step) override { note("checkControls(" + std::to_string(static_cast<int>(step)) + ")"); }
    void clearBuffers() override { note("clearBuffers"); }
    void run() override { note("run"); }
    void* hdc() override {
        note("hdc");
        return &surface;
    }
    float time() override {
        note("time");
        return now_;
    }
    // A seek moves the fake clock; later updates advance from there by the
    // steps the `clock` list gives.
    void setTime(float ms) override {
        note("setTime(" + std::to_string(static_cast<int>(ms)) + ")");
        offset_ += ms - now_;
        now_ = ms;
    }
    void setWindowTitle(const char* title) override { note(std::string("title(") + title + ")"); }
    void playSong(int n, float startMs) override {
        note("playSong(" + std::to_string(n) + "," + std::to_string(static_cast<int>(startMs)) + ")");
    }
    void setGamma(float gamma) override { note("setGamma(" + std::to_string(static_cast<int>(gamma)) + ")"); }
    void shutDown() override { note("shutDown"); }
    void message(const char* text) override {
        messages.emplace_back(text);
        note("message");
    }

    int surface = 0;

private:
    static std::string flag(bool b) { return b ? "1" : "0"; }
    void note(const std::string& call) {
        log_.push_back(call);
        if (beforeCall) beforeCall(call);
    }

    Log& log_;
    std::size_t updates_ = 0;
    float now_ = 0.0f;
    float offset_ = 0.0f;  // what seeks added to the listed clock
};

class RecordingPlatform : public glassmeridian::Platform {
public:
    explicit RecordingPlatform(Log& log) : log_(log) {}

    // Messages waiting before the n-th frame (0-based); each is taken by one poll.
    std::vector<std::vector<glassmeridian::PlatformEvent>> pendingBeforeFrame;
    std::set<int> escapeAtFrame;  // frames during which Escape is held
    int frames = 0;               // frames started (escape tests seen)

    glassmeridian::PlatformEvent pollEvent() override {
        log_.push_back("poll");
        if (++polls_ > 100000) throw "fake platform: the loop polls without end";
        if (loadedFor_ != frames && static_cast<std::size_t>(frames) < pendingBeforeFrame.size()) {
            for (const auto& e : pendingBeforeFrame[frames]) queue_.push_back(e);
            loadedFor_ = frames;
        }
        if (queue_.empty()) return {};
        const auto event = queue_.front();
        queue_.pop_front();
        return event;
    }
    bool escapeHeld() override {
        const bool held = escapeAtFrame.count(frames) > 0;
        ++frames;
        log_.push_back(held ? "escape(held)" : "escape");
        return held;
    }
    void swapBuffers(void* surface) override { log_.push_back(surface ? "swap" : "swap(null)"); }

private:
    Log& log_;
    std::deque<glassmeridian::PlatformEvent> queue_;
    int loadedFor_ = -1;
    long polls_ = 0;
};

// Answers the dialog with fixed settings, or fails to show.
class ScriptedDialog : public glassmeridian::SetupDialog {
public:
    explicit ScriptedDialog(Log& log) : log_(log) {}

    bool canShow = true;
    bool accept = true;
    glassmeridian::LaunchSettings chosen = acceptedDefaults();
    glassmeridian::LaunchSettings seenDefaults;  // what the dialog was handed
    glassmeridian::SetupChoices seenChoices;

    glassmeridian::DialogOutcome run(const glassmeridian::SetupChoices& shown,
                                     glassmeridian::LaunchSettings& settings) override {
        log_.push_back("dialog");
        seenDefaults = settings;
        seenChoices = shown;
        if (!canShow) return {false, "cannot open display \":99\""};
        if (accept) {
            settings = chosen;
            settings.accepted = true;
        } else {
            settings.accepted = false;
        }
        return {};
    }
    void showFailure(const char* text) override { log_.push_back(std::string("showFailure(") + text + ")"); }

    static glassmeridian::LaunchSettings acceptedDefaults() {
        glassmeridian::LaunchSettings s;
        s.width = 1024;
        s.height = 768;
        s.seeOption = s.hearOption = s.waitOption = true;
        s.accepted = true;
        return s;
    }

private:
    Log& log_;
};

}  // namespace hosttest
