// Antialiased capture: the demo's frame drawn into a multisampled framebuffer
// of the output's own size, then resolved into a plain one that the read-back
// reads. Same size, so line widths and point sizes the effects set stay what
// they are in output pixels; only edges gain coverage.
#pragma once

namespace capture {

class MultisampleTarget {
public:
    // Needs the engine's context current (and for the whole life). Throws
    // UsageError naming --antialias when samples is beyond what this OpenGL
    // offers (GL_MAX_SAMPLES), std::runtime_error when it has no framebuffer
    // objects or the framebuffer cannot be made.
    MultisampleTarget(int width, int height, int samples);
    ~MultisampleTarget();  // deletes the GL objects; the window's framebuffer is bound again

    MultisampleTarget(const MultisampleTarget&) = delete;
    MultisampleTarget& operator=(const MultisampleTarget&) = delete;

    void bindForDrawing();  // before the frame is drawn
    // After: averages each pixel's samples into the plain framebuffer and
    // leaves that bound for reading.
    void resolve();
    void copyToWindow();    // the resolved picture into the window's back buffer

    int samples() const { return samples_; }  // what the GL gave: at least the number asked for

private:
    void release() noexcept;

    int width_;
    int height_;
    int samples_ = 0;
    unsigned int multisampled_ = 0;  // framebuffer: colour and depth-stencil renderbuffers of `samples_`
    unsigned int resolved_ = 0;      // framebuffer: one colour renderbuffer
    unsigned int renderbuffers_[3] = {0, 0, 0};
};

}  // namespace capture
