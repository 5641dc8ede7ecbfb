// Drawing of the setup dialog's flat widgets (see dialog_widgets.h).
#include "host/platform/sdl/dialog_widgets.h"

#include <FL/Fl.H>
#include <FL/fl_draw.H>

#include <algorithm>

namespace glassmeridian {
namespace {
constexpr int kIndicatorSide = 13;  // check box square and radio circle, pixels
constexpr int kTextGap = 4;         // between indicator and text
}  // namespace

GroupFrame::GroupFrame(int x, int y, int width, int height, const char* caption, bool flat)
    : Fl_Widget(x, y, width, height, caption), flat_(flat) {
    clear_visible_focus();
    align(FL_ALIGN_TOP_LEFT | FL_ALIGN_INSIDE);
}

void GroupFrame::draw() {
    fl_font(labelfont(), labelsize());
    // The frame's top edge runs through the middle of the caption line.
    const int captionHeight = fl_height();
    const int top = y() + captionHeight / 2;
    fl_draw_box(flat_ ? FL_BORDER_FRAME : FL_ENGRAVED_FRAME, x(), top, w(), h() - (top - y()),
                flat_ ? FL_DARK3 : color());
    const char* caption = label();
    if (caption && *caption) {
        const int textX = x() + 6;
        const int textWidth = static_cast<int>(fl_width(caption)) + 4;
        fl_color(parent() ? parent()->color() : color());
        fl_rectf(textX, y(), textWidth, captionHeight);
        fl_color(labelcolor());
        fl_draw(caption, textX + 2, y() + captionHeight - fl_descent());
    }
}

FlatToggle::FlatToggle(int x, int y, int width, int height, const char* text, bool radio)
    : Fl_Button(x, y, width, height, text) {
    type(radio ? FL_RADIO_BUTTON : FL_TOGGLE_BUTTON);
    box(FL_FLAT_BOX);
    align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
}

void FlatToggle::draw() {
    draw_box(FL_FLAT_BOX, color());
    const int side = std::min(kIndicatorSide, h());
    const int ix = x();
    const int iy = y() + (h() - side) / 2;
    if (type() == FL_RADIO_BUTTON) {
        fl_color(FL_BACKGROUND2_COLOR);
        fl_pie(ix, iy, side, side, 0.0, 360.0);
        fl_color(FL_DARK3);
        fl_arc(ix, iy, side, side, 0.0, 360.0);
        if (value()) {
            fl_color(FL_FOREGROUND_COLOR);
            fl_pie(ix + 4, iy + 4, side - 8, side - 8, 0.0, 360.0);
        }
    } else {
        fl_color(FL_BACKGROUND2_COLOR);
        fl_rectf(ix, iy, side, side);
        fl_color(FL_DARK3);
        fl_rect(ix, iy, side, side);
        if (value()) {
            fl_color(FL_FOREGROUND_COLOR);
            fl_line_style(FL_SOLID, 2);
            fl_line(ix + 3, iy + side / 2, ix + side / 2 - 1, iy + side - 4, ix + side - 3, iy + 3);
            fl_line_style(0);
        }
    }
    const int textX = ix + side + kTextGap;
    draw_label(textX, y(), x() + w() - textX, h(), align());
    if (Fl::focus() == this) {
        draw_focus(FL_FLAT_BOX, textX - 1, y(), x() + w() - textX + 1, h());
    }
}

FlatButton::FlatButton(int x, int y, int width, int height, const char* text)
    : Fl_Button(x, y, width, height, text) {
    box(FL_BORDER_BOX);
    down_box(FL_THIN_DOWN_BOX);
}

}  // namespace glassmeridian
