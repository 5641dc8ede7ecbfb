// Flat FLTK widgets for the setup dialog: group frames, check boxes, radio
// buttons and push buttons drawn without bevels.
#pragma once

#include <FL/Fl_Button.H>
#include <FL/Fl_Widget.H>

namespace glassmeridian {

// A frame with an optional caption set into its top edge; takes no input.
class GroupFrame : public Fl_Widget {
public:
    GroupFrame(int x, int y, int width, int height, const char* caption, bool flat);
    void draw() override;
    int handle(int) override { return 0; }

private:
    bool flat_;
};

// A check box (FL_TOGGLE_BUTTON) or radio button (FL_RADIO_BUTTON) with a flat
// indicator and its text to the right.
class FlatToggle : public Fl_Button {
public:
    FlatToggle(int x, int y, int width, int height, const char* text, bool radio);
    void draw() override;
};

// A push button: flat with a thin border, sunk while pressed.
class FlatButton : public Fl_Button {
public:
    FlatButton(int x, int y, int width, int height, const char* text);
};

}  // namespace glassmeridian
