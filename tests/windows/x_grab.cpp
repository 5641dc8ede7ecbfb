// gm-x-grab X Y WIDTH HEIGHT OUT.ppm: a part of the X screen as it is shown
// (the root window's contents, whichever client drew them), as a binary PPM.
// The Wine tests read the demo's and the dialog's pictures with it. Exit 0
// when written, 2 when the screen cannot be read or the file not written.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: gm-x-grab X Y WIDTH HEIGHT OUT.ppm\n");
        return 2;
    }
    const int x = std::atoi(argv[1]), y = std::atoi(argv[2]);
    const int width = std::atoi(argv[3]), height = std::atoi(argv[4]);
    Display* display = XOpenDisplay(nullptr);
    if (!display || width < 1 || height < 1) {
        std::fprintf(stderr, "gm-x-grab: cannot open the display, or an empty area\n");
        return 2;
    }
    XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (!image) {
        std::fprintf(stderr, "gm-x-grab: cannot read %dx%d+%d+%d of the screen\n", width, height, x, y);
        XCloseDisplay(display);
        return 2;
    }
    // A 24-bit TrueColor screen: red, green and blue in the masks' bytes.
    std::vector<unsigned char> rgb(static_cast<size_t>(width) * height * 3);
    for (int row = 0; row < height; ++row) {
        for (int col = 0; col < width; ++col) {
            const unsigned long p = XGetPixel(image, col, row);
            unsigned char* out = &rgb[(static_cast<size_t>(row) * width + col) * 3];
            out[0] = static_cast<unsigned char>((p >> 16) & 0xFF);
            out[1] = static_cast<unsigned char>((p >> 8) & 0xFF);
            out[2] = static_cast<unsigned char>(p & 0xFF);
        }
    }
    XDestroyImage(image);
    XCloseDisplay(display);
    std::FILE* file = std::fopen(argv[5], "wb");
    if (!file) {
        std::fprintf(stderr, "gm-x-grab: cannot write %s\n", argv[5]);
        return 2;
    }
    std::fprintf(file, "P6\n%d %d\n255\n", width, height);
    const bool written = std::fwrite(rgb.data(), 1, rgb.size(), file) == rgb.size();
    return std::fclose(file) == 0 && written ? 0 : 2;
}
