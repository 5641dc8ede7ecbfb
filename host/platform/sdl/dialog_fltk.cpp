// The setup dialog's FLTK view: builds the window from the control table,
// runs it modally and hands the viewer's answer to the dialog model.
#include "host/platform/sdl/dialog_fltk.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/fl_ask.H>
#include <FL/x.H>
#include <X11/Xatom.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "host/dialog_resources.h"
#include "host/platform/sdl/dialog_widgets.h"
#include "host/setup_dialog_model.h"

namespace glassmeridian {
namespace {

constexpr Fl_Font kDialogFont = FL_HELVETICA;
constexpr int kDialogFontSize = 11;  // 8 pt at 96 dpi

std::vector<unsigned char> expandIndexed(const IndexedPicture& picture) {
    const std::size_t count = static_cast<std::size_t>(picture.width) * picture.height;
    std::vector<unsigned char> rgb(count * 3);
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned char* entry = picture.palette + 3 * picture.pixels[i];
        rgb[3 * i] = entry[0];
        rgb[3 * i + 1] = entry[1];
        rgb[3 * i + 2] = entry[2];
    }
    return rgb;
}

class SetupWindow : public Fl_Double_Window {
public:
    enum class Answer { Open, Accepted, Declined };

    SetupWindow(int width, int height) : Fl_Double_Window(width, height, kDialogCaption) {}

    Answer answer = Answer::Open;
    std::vector<Fl_Button*> radios;  // 1001..1004
    std::vector<Fl_Button*> boxes;   // 1005..1008
    std::vector<Fl_Button*> pushButtons;
    // The widget of each row of kSetupControls that can take the focus; null
    // for the others.
    std::array<Fl_Widget*, kSetupControls.size()> controls{};

    void close(Answer how) {
        answer = how;
        hide();
    }

    // The standard dialog keys, whichever control has the focus: Tab and the
    // arrows move the focus (a radio button reached by an arrow is checked),
    // Enter presses the focused push button or else accepts, Escape declines.
    // Space on a focused button is the button's own (it presses or toggles it).
    int handle(int event) override {
        if (event == FL_KEYBOARD && moveFocus(Fl::event_key(), Fl::event_state(FL_SHIFT) != 0)) return 1;
        if (event == FL_SHORTCUT) {
            const int key = Fl::event_key();
            if (key == FL_Enter || key == FL_KP_Enter) {
                pressDefault();
                return 1;
            }
            if (key == FL_Escape) {
                close(Answer::Declined);
                return 1;
            }
        }
        return Fl_Double_Window::handle(event);
    }

private:
    void pressDefault() {
        for (Fl_Button* button : pushButtons) {
            if (Fl::focus() == button) {
                button->do_callback();
                return;
            }
        }
        close(Answer::Accepted);
    }

    bool moveFocus(int key, bool shift) {
        FocusMove move;
        switch (key) {
            case FL_Tab: move = shift ? FocusMove::PreviousTabStop : FocusMove::NextTabStop; break;
            case FL_Right: case FL_Down: move = FocusMove::NextInGroup; break;
            case FL_Left: case FL_Up: move = FocusMove::PreviousInGroup; break;
            default: return false;
        }
        std::size_t current = 0;  // the accept button when the focus is on none of them
        for (std::size_t i = 0; i < controls.size(); ++i) {
            if (controls[i] && controls[i] == Fl::focus()) current = i;
        }
        const std::size_t next = nextFocus(current, move);
        Fl_Widget* target = controls[next];
        if (!target) return false;
        target->take_focus();
        const bool arrow = move == FocusMove::NextInGroup || move == FocusMove::PreviousInGroup;
        if (arrow && kSetupControls[next].kind == ControlKind::RadioButton) {
            static_cast<Fl_Button*>(target)->setonly();
        }
        redraw();
        return true;
    }
};

void onAccept(Fl_Widget*, void* window) {
    static_cast<SetupWindow*>(window)->close(SetupWindow::Answer::Accepted);
}

void onDecline(Fl_Widget*, void* window) {
    static_cast<SetupWindow*>(window)->close(SetupWindow::Answer::Declined);
}

void styleText(Fl_Widget& widget) {
    widget.labelfont(kDialogFont);
    widget.labelsize(kDialogFontSize);
}

// The pictures a dialog shows; they must outlive its window.
struct DialogPictures {
    std::vector<unsigned char> bannerPixels = expandIndexed(kBanner);
    Fl_RGB_Image banner{bannerPixels.data(), kBanner.width, kBanner.height, 3};
    Fl_RGB_Image iconSmall{kIconSmall.pixels, kIconSmall.width, kIconSmall.height, 4};
    Fl_RGB_Image iconBig{kIconBig.pixels, kIconBig.width, kIconBig.height, 4};
};

std::unique_ptr<SetupWindow> buildWindow(DialogPictures& pictures) {
    auto window = std::make_unique<SetupWindow>(horizontalUnitsToPixels(kDialogWidthUnits),
                                                verticalUnitsToPixels(kDialogHeightUnits));
    styleText(*window);
    // Frames first so that they are drawn behind the controls they surround.
    for (const DialogControl& control : kSetupControls) {
        if (control.kind != ControlKind::GroupBox) continue;
        const DialogRect r = unitsToPixels(control.rect);
        auto* frame = new GroupFrame(r.x, r.y, r.width, r.height, control.text, control.flat);
        styleText(*frame);
    }
    for (std::size_t index = 0; index < kSetupControls.size(); ++index) {
        const DialogControl& control = kSetupControls[index];
        const DialogRect r = unitsToPixels(control.rect);
        switch (control.kind) {
            case ControlKind::GroupBox:
                break;
            case ControlKind::Banner: {
                // A bitmap control takes the size of its picture.
                auto* banner = new Fl_Box(r.x, r.y, kBanner.width, kBanner.height);
                banner->box(FL_NO_BOX);
                banner->image(pictures.banner);
                banner->clear_visible_focus();
                break;
            }
            case ControlKind::PushButton: {
                auto* button = new FlatButton(r.x, r.y, r.width, r.height, control.text);
                styleText(*button);
                button->callback(control.id == kAcceptId ? onAccept : onDecline, window.get());
                window->pushButtons.push_back(button);
                window->controls[index] = button;
                break;
            }
            case ControlKind::RadioButton:
            case ControlKind::CheckBox: {
                const bool radio = control.kind == ControlKind::RadioButton;
                auto* toggle = new FlatToggle(r.x, r.y, r.width, r.height, control.text, radio);
                styleText(*toggle);
                // Radio buttons are no tab stops but take the focus by the
                // arrow keys (the window moves the focus itself).
                (radio ? window->radios : window->boxes).push_back(toggle);
                window->controls[index] = toggle;
                break;
            }
        }
    }
    window->end();
    // The caption's close button declines like "Niemals".
    window->callback(onDecline, window.get());
    const Fl_RGB_Image* icons[] = {&pictures.iconSmall, &pictures.iconBig};
    window->icons(icons, 2);
    return window;
}

// Radio buttons are listed in the table in id order 1001..1004, check boxes
// 1005..1008, so the widget lists follow the model's reading order.
void showChoices(SetupWindow& window, const SetupChoices& choices) {
    for (std::size_t i = 0; i < window.radios.size(); ++i) window.radios[i]->value(choices.radioChecked[i]);
    for (std::size_t i = 0; i < window.boxes.size(); ++i) window.boxes[i]->value(choices.boxChecked[i]);
}

SetupChoices readChoices(const SetupWindow& window) {
    SetupChoices choices;
    for (std::size_t i = 0; i < window.radios.size(); ++i) choices.radioChecked[i] = window.radios[i]->value() != 0;
    for (std::size_t i = 0; i < window.boxes.size(); ++i) choices.boxChecked[i] = window.boxes[i]->value() != 0;
    return choices;
}

// Connects FLTK to the X display, or says why there is none.
bool openDisplay(std::string& failure) {
    if (fl_display) return true;
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        const char* name = std::getenv("DISPLAY");
        failure = name && *name ? "cannot open display \"" + std::string(name) + "\""
                                : std::string("cannot open display (DISPLAY is not set)");
        return false;
    }
    fl_open_display(display);
    return true;
}

// The window manager's frame around a mapped window (_NET_FRAME_EXTENTS);
// none without a window manager.
FrameExtents frameOf(SetupWindow& window) {
    FrameExtents frame;
    const Atom extents = XInternAtom(fl_display, "_NET_FRAME_EXTENTS", True);
    if (extents == None) return frame;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(fl_display, fl_xid(&window), extents, 0, 4, False, XA_CARDINAL, &type, &format, &count,
                           &after, &data) == Success &&
        data && format == 32 && count == 4) {
        const long* v = reinterpret_cast<const long*>(data);
        frame = {static_cast<int>(v[0]), static_cast<int>(v[1]), static_cast<int>(v[2]), static_cast<int>(v[3])};
    }
    if (data) XFree(data);
    return frame;
}

// Centres the framed window in the work area of the monitor that holds the
// mouse pointer (FLTK answers the primary one when it cannot tell).
void placeCentred(SetupWindow& window, const FrameExtents& frame) {
    int mouseX = 0, mouseY = 0;
    Fl::get_mouse(mouseX, mouseY);
    DialogRect area{};
    Fl::screen_work_area(area.x, area.y, area.width, area.height, mouseX, mouseY);
    const PixelPoint origin = centredOrigin(area, window.w(), window.h(), frame);
    window.position(origin.x, origin.y);
}

// Brings the shown window to the top and gives it the keyboard focus.
void raiseAndFocus(SetupWindow& window) {
    window.wait_for_expose();
    const Window xid = fl_xid(&window);
    XRaiseWindow(fl_display, xid);
    XSetInputFocus(fl_display, xid, RevertToParent, CurrentTime);
    XFlush(fl_display);
    // The first tab stop takes the focus: the accept button.
    for (int i = 0; i < window.children(); ++i) {
        Fl_Widget* child = window.child(i);
        if (child->visible_focus()) {
            child->take_focus();
            break;
        }
    }
}

}  // namespace

void FltkSetupDialog::showFailure(const char* text) {
    const char* off = std::getenv("GLASS_MERIDIAN_NO_MESSAGE_BOX");
    if (off && *off && std::strcmp(off, "0") != 0) return;
    std::string ignored;
    if (!openDisplay(ignored)) return;  // no one to tell but the terminal
    fl_message_title(kDialogCaption);
    fl_alert("%s", text);
}

DialogOutcome FltkSetupDialog::run(const SetupChoices& shown, LaunchSettings& settings) {
    DialogOutcome outcome;
    if (!openDisplay(outcome.failure)) {
        outcome.shown = false;
        return outcome;
    }
    DialogPictures pictures;
    std::unique_ptr<SetupWindow> window = buildWindow(pictures);
    showChoices(*window, shown);
    placeCentred(*window, FrameExtents());
    window->set_modal();
    window->show();
    raiseAndFocus(*window);
    // Only a mapped window has a frame; with one, centre the whole of it.
    const FrameExtents frame = frameOf(*window);
    if (frame.left || frame.right || frame.top || frame.bottom) placeCentred(*window, frame);
    while (window->shown()) {
        Fl::wait();
    }
    if (window->answer == SetupWindow::Answer::Accepted) {
        acceptChoices(readChoices(*window), settings);
    } else {
        declineChoices(settings);
    }
    window.reset();
    Fl::check();  // let the window disappear before the demo opens its own
    return outcome;
}

}  // namespace glassmeridian
