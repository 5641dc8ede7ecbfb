// glass-meridian in a web page: what the page's script calls. The page builds
// the setup dialog as a form from the dialog model's table, starts the show
// with the viewer's choices, and the browser's animation frames drive the
// driver's steps; a page asked for one frame renders it at a fixed time.
#include <emscripten/emscripten.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "fluxcore/dms.h"
#include "host/command_line.h"
#include "host/dialog_resources.h"
#include "host/driver.h"
#include "host/engine_fluxcore.h"
#include "host/platform/web/web_platform.h"
#include "host/production.h"
#include "host/setup_dialog_model.h"

namespace glassmeridian {
namespace {

// One show per page, alive from the start to the shut-down; the browser's
// frame callback reaches it through its argument.
struct WebShow {
    FluxcoreEngine engine;
    WebPlatform platform;
    DemoShow show{engine, platform};
};

// The page's part once the show has ended: the exit code and the failures.
EM_JS(void, gm_notify_ended, (int code, const char* failures), {
    if (Module.onShowEnded) Module.onShowEnded(code, UTF8ToString(failures));
});

void frame(void* argument) {
    auto* web = static_cast<WebShow*>(argument);
    if (web->show.step()) return;
    emscripten_cancel_main_loop();
    const int code = web->show.finish();
    const std::string failures = web->show.failures();
    delete web;  // the show ends here; the page may start another
    gm_notify_ended(code, failures.c_str());
}

std::string jsonText(const char* text) {
    std::string out = "\"";
    for (const char* c = text; *c; ++c) {
        if (*c == '"' || *c == '\\') out += '\\';
        out += *c;
    }
    return out + "\"";
}

const char* kindName(ControlKind kind) {
    switch (kind) {
        case ControlKind::PushButton: return "button";
        case ControlKind::RadioButton: return "radio";
        case ControlKind::CheckBox: return "check";
        case ControlKind::Banner: return "banner";
        case ControlKind::GroupBox: break;
    }
    return "group";
}

SetupChoices choicesFrom(int radioMask, int boxMask) {
    SetupChoices choices;
    for (std::size_t i = 0; i < choices.radioChecked.size(); ++i) choices.radioChecked[i] = radioMask >> i & 1;
    for (std::size_t i = 0; i < choices.boxChecked.size(); ++i) choices.boxChecked[i] = boxMask >> i & 1;
    return choices;
}

}  // namespace
}  // namespace glassmeridian

using namespace glassmeridian;

extern "C" {

// The dialog as JSON: caption, client size in pixels, and each control of the
// table with its kind, id, text, pixel rectangle, tab stop and initial check.
EMSCRIPTEN_KEEPALIVE const char* gm_dialog_description() {
    static std::string json;
    if (!json.empty()) return json.c_str();
    const SetupChoices initial = initialChoices();
    json = "{\"caption\":" + jsonText(kDialogCaption) + ",\"width\":" +
           std::to_string(horizontalUnitsToPixels(kDialogWidthUnits)) +
           ",\"height\":" + std::to_string(verticalUnitsToPixels(kDialogHeightUnits)) + ",\"controls\":[";
    for (std::size_t i = 0; i < kSetupControls.size(); ++i) {
        const DialogControl& c = kSetupControls[i];
        const DialogRect r = unitsToPixels(c.rect);
        bool checked = false;
        if (c.kind == ControlKind::RadioButton) checked = initial.radioChecked[static_cast<std::size_t>(c.id - kFirstRadioId)];
        if (c.kind == ControlKind::CheckBox) checked = initial.boxChecked[static_cast<std::size_t>(c.id - kFirstCheckId)];
        json += std::string(i ? "," : "") + "{\"kind\":\"" + kindName(c.kind) + "\",\"id\":" + std::to_string(c.id) +
                ",\"text\":" + jsonText(c.text) + ",\"x\":" + std::to_string(r.x) + ",\"y\":" + std::to_string(r.y) +
                ",\"width\":" + std::to_string(r.width) + ",\"height\":" + std::to_string(r.height) +
                ",\"flat\":" + (c.flat ? "true" : "false") + ",\"tabStop\":" + (c.tabStop ? "true" : "false") +
                ",\"checked\":" + (checked ? "true" : "false") + "}";
    }
    json += "]}";
    return json.c_str();
}

// The control that takes the focus from control `index` of the table by a
// key: 0 Tab, 1 Shift+Tab, 2 Right or Down, 3 Left or Up.
EMSCRIPTEN_KEEPALIVE int gm_dialog_next_focus(int index, int move) {
    return static_cast<int>(nextFocus(static_cast<std::size_t>(index), static_cast<FocusMove>(move)));
}

// The banner's size and its pixels as RGBA, top row first.
EMSCRIPTEN_KEEPALIVE int gm_banner_width() { return kBanner.width; }
EMSCRIPTEN_KEEPALIVE int gm_banner_height() { return kBanner.height; }
EMSCRIPTEN_KEEPALIVE const unsigned char* gm_banner_rgba() {
    static std::vector<unsigned char> rgba;
    if (!rgba.empty()) return rgba.data();
    const std::size_t count = static_cast<std::size_t>(kBanner.width) * static_cast<std::size_t>(kBanner.height);
    rgba.resize(count * 4);
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned char* entry = kBanner.palette + 3 * kBanner.pixels[i];
        rgba[4 * i] = entry[0];
        rgba[4 * i + 1] = entry[1];
        rgba[4 * i + 2] = entry[2];
        rgba[4 * i + 3] = 255;
    }
    return rgba.data();
}

// Starts the show with the dialog's choices: bit i of radioMask is radio
// button 1001 + i, bit i of boxMask check box 1005 + i. The page has already
// put the canvas on the whole screen for "Sehen" (the browser scales it, so
// the engine draws at the chosen size either way) and made its AudioContext
// for "Hören". Frames follow the display's refresh with "Warten", else they
// come as fast as the browser runs them. False when the start-up failed.
EMSCRIPTEN_KEEPALIVE int gm_play(int radioMask, int boxMask) {
    LaunchSettings settings;
    acceptChoices(choicesFrom(radioMask, boxMask), settings);
    const bool vsync = settings.waitOption;
    settings.seeOption = false;
    auto web = std::make_unique<WebShow>();
    if (!web->show.start(settings)) {
        const int code = web->show.finish();
        gm_notify_ended(code, web->show.failures().c_str());
        return 0;
    }
    emscripten_set_main_loop_arg(frame, web.release(), 0, false);
    if (!vsync) emscripten_set_main_loop_timing(EM_TIMING_SETTIMEOUT, 0);
    return 1;
}

// Checks one of the page's parameters by the command line's own rules: frame
// as --start's demo time, size as --size's picture size. Returns the refusal
// named after the parameter ("frame: 'abc' is not a whole number from 0 to
// 48999 ms"), or "" for a sound value. The text lives until the next call.
EMSCRIPTEN_KEEPALIVE const char* gm_check_parameter(const char* name, const char* value) {
    static std::string refusal;
    const std::string parameter = name;
    const std::string option = parameter == "frame" ? "--start" : "--" + parameter;
    const char* argv[] = {"glass-meridian", option.c_str(), value};
    refusal.clear();
    try {
        parseCommandLine(3, argv);
    } catch (const CommandLineError& error) {
        refusal = error.what();
        if (refusal.rfind(option, 0) == 0) refusal = parameter + refusal.substr(option.size());
    }
    return refusal.c_str();
}

// Draws the one frame at `ms` at width x height without sound, as the capture
// tool draws it (start-up, the fixed clock at that time, one frame) and
// leaves it on the canvas. False, with the failure on the console, when it
// cannot.
EMSCRIPTEN_KEEPALIVE int gm_render_frame(double ms, int width, int height) {
    namespace fc = QUASAR_FLUXCORE;
    FluxcoreEngine engine;
    try {
        fc::dmsShutDown();  // a frame asked for before
        if (!fc::dmsInitEx(width, height, 32, false, false, false, production::kArchive)) return 0;
        production::startUp(engine);
        fc::dmsSetFixedClock(true);
        fc::dmsSetTime(static_cast<float>(ms));
        production::advanceClock(engine);
        production::drawPicture(engine);
        char title[64];
        std::snprintf(title, sizeof title, "Time: %fs", ms * 0.001);
        fc::dmsSetWindowTitle(title);
        return 1;
    } catch (const char* failure) {
        fc::dmsMsg("Exception: %s\n", failure ? failure : "(no message)");
        fc::dmsShutDown();
        return 0;
    }
}

}  // extern "C"
