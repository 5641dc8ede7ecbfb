// gm-window-shot WINDOW-ID: grabs the window's picture from the X server and
// says whether it shows anything. Exit 0 when at least 2 % of the pixels
// differ from the most common colour, 1 when the picture is blank, 2 when it
// cannot be grabbed. Prints the figures either way.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <unordered_map>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: gm-window-shot WINDOW-ID\n");
        return 2;
    }
    const Window window = std::strtoul(argv[1], nullptr, 0);
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "gm-window-shot: cannot open display\n");
        return 2;
    }
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable) {
        std::fprintf(stderr, "gm-window-shot: window %s is not viewable\n", argv[1]);
        XCloseDisplay(display);
        return 2;
    }
    XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (!image) {
        std::fprintf(stderr, "gm-window-shot: cannot read window %s\n", argv[1]);
        XCloseDisplay(display);
        return 2;
    }
    std::unordered_map<unsigned long, long> histogram;
    for (int y = 0; y < image->height; ++y) {
        for (int x = 0; x < image->width; ++x) {
            ++histogram[XGetPixel(image, x, y) & 0xFFFFFFul];
        }
    }
    long total = static_cast<long>(image->width) * image->height;
    long dominant = 0;
    for (const auto& entry : histogram) {
        if (entry.second > dominant) dominant = entry.second;
    }
    XDestroyImage(image);
    XCloseDisplay(display);
    const double varied = total ? 1.0 - static_cast<double>(dominant) / static_cast<double>(total) : 0.0;
    std::printf("size=%dx%d colours=%zu varied=%.4f\n", attributes.width, attributes.height,
                histogram.size(), varied);
    return varied >= 0.02 ? 0 : 1;
}
