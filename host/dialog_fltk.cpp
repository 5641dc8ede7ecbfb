// The setup dialog's FLTK view: builds the window from the control table,
// runs it modally and hands the viewer's answer to the dialog model.
#include "host/dialog_fltk.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/x.H>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "host/dialog_resources.h"
#include "host/dialog_widgets.h"
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

    void close(Answer how) {
        answer = how;
        hide();
    }

    // Enter and Escape are the dialog keys, whichever control has the focus.
    int handle(int event) override {
        if (event == FL_SHORTCUT) {
            const int key = Fl::event_key();
            if (key == FL_Enter || key == FL_KP_Enter) {
                close(Answer::Accepted);
                return 1;
            }
            if (key == FL_Escape) {
                close(Answer::Declined);
                return 1;
            }
        }
        return Fl_Double_Window::handle(event);
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
    for (const DialogControl& control : kSetupControls) {
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
                break;
            }
            case ControlKind::RadioButton:
            case ControlKind::CheckBox: {
                const bool radio = control.kind == ControlKind::RadioButton;
                auto* toggle = new FlatToggle(r.x, r.y, r.width, r.height, control.text, radio);
                styleText(*toggle);
                if (radio) {
                    toggle->clear_visible_focus();  // not a tab stop
                    window->radios.push_back(toggle);
                } else {
                    window->boxes.push_back(toggle);
                }
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

void placeCentred(SetupWindow& window) {
    int screenX = 0, screenY = 0, screenW = 0, screenH = 0;
    Fl::screen_xywh(screenX, screenY, screenW, screenH, 0);
    const PixelPoint origin = centredOrigin(screenX + screenW, screenY + screenH, window.w(), window.h());
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

DialogOutcome FltkSetupDialog::run(LaunchSettings& settings) {
    DialogOutcome outcome;
    if (!openDisplay(outcome.failure)) {
        outcome.shown = false;
        return outcome;
    }
    DialogPictures pictures;
    std::unique_ptr<SetupWindow> window = buildWindow(pictures);
    showChoices(*window, initialChoices());
    placeCentred(*window);
    window->set_modal();
    window->show();
    raiseAndFocus(*window);
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
