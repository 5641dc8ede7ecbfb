// OffscreenPicture: the full-screen picture. The frame is drawn at the mode's
// size into a framebuffer object and, once finished, scaled onto the window's
// drawable with its aspect kept and black bars where the shapes differ: what
// a change of the display's mode would show, without changing it.
#pragma once

#include <memory>

namespace fluxcore {

// One framebuffer or renderbuffer object, generated with this and deleted
// with it (its context must still be current then).
class GlObject {
public:
    enum class Kind { Framebuffer, Renderbuffer };
    explicit GlObject(Kind kind);
    ~GlObject();
    GlObject(const GlObject&) = delete;
    GlObject& operator=(const GlObject&) = delete;

    unsigned int name() const { return name_; }

private:
    Kind kind_;
    unsigned int name_ = 0;
};

// What the picture copies from the window's framebuffer so that it draws the
// same: the colour format and the multisampling.
struct PictureFormat {
    unsigned int colour = 0;  // renderbuffer format: GL_RGBA8, GL_RGB8 or GL_RGB565
    int samples = 0;          // 0: one sample a pixel
};

// The format of the framebuffer bound for drawing (the window's at start-up).
PictureFormat boundFramebufferFormat();

class OffscreenPicture {
public:
    // Creates the picture (colour in `format`, depth 24) and leaves it bound
    // for drawing. Failures: no framebuffer objects in this OpenGL (it needs
    // 3.0 or GL_ARB_framebuffer_object), "the picture size WxH is beyond this
    // OpenGL's largest WxH" (renderbuffer and viewport limits), or a
    // framebuffer that is not complete (its status named).
    OffscreenPicture(int width, int height, const PictureFormat& format);
    ~OffscreenPicture();  // deletes its GL objects
    OffscreenPicture(const OffscreenPicture&) = delete;
    OffscreenPicture& operator=(const OffscreenPicture&) = delete;

    // Puts the finished picture on the window's framebuffer: resolved first
    // if multisampled, then scaled with linear filtering into
    // letterbox(width, height, drawable) and the rest cleared black. The
    // clear colour, colour mask and scissor state are left as they were, and
    // the picture is bound for drawing again, for the next frame.
    void present(int drawableWidth, int drawableHeight);

private:
    struct Target;
    int width_;
    int height_;
    std::unique_ptr<Target> drawn_;     // what the frame draws into
    std::unique_ptr<Target> resolved_;  // multisampled only: drawn_ resolved, the scaled copy's source
};

}  // namespace fluxcore
