// Median cut: split the box of colours with the widest channel range at the
// median pixel until there are 256 boxes; each box's mean becomes an entry.
// Ties are broken by the full colour value so the result never depends on
// sort stability.
#include "palette.h"

#include <algorithm>
#include <array>
#include <limits>
#include <stdexcept>

namespace gmcontent {

namespace {

using Colour = std::array<uint8_t, 3>;

struct Box {
    std::vector<Colour> colours;  // one per pixel
    int axis = 0;
    int range = 0;
};

void measure(Box& box) {
    box.range = -1;
    for (int c = 0; c < 3; ++c) {
        int lo = 255, hi = 0;
        for (const Colour& col : box.colours) {
            lo = std::min<int>(lo, col[c]);
            hi = std::max<int>(hi, col[c]);
        }
        if (hi - lo > box.range) {
            box.range = hi - lo;
            box.axis = c;
        }
    }
}

}  // namespace

IndexedImage quantise(const std::vector<uint8_t>& rgb, int width, int height) {
    const size_t count = static_cast<size_t>(width) * height;
    if (width < 1 || height < 1 || rgb.size() != count * 3) {
        throw std::invalid_argument("quantise: size does not match the pixel data");
    }
    std::vector<Box> boxes(1);
    for (size_t i = 0; i < count; ++i) boxes[0].colours.push_back({rgb[i * 3], rgb[i * 3 + 1], rgb[i * 3 + 2]});
    measure(boxes[0]);
    while (boxes.size() < 256) {
        size_t pick = boxes.size();
        for (size_t i = 0; i < boxes.size(); ++i) {
            if (boxes[i].range > 0 && (pick == boxes.size() || boxes[i].range > boxes[pick].range)) pick = i;
        }
        if (pick == boxes.size()) break;  // every box holds one colour
        Box& box = boxes[pick];
        const int a = box.axis;
        std::sort(box.colours.begin(), box.colours.end(), [a](const Colour& l, const Colour& r) {
            if (l[a] != r[a]) return l[a] < r[a];
            return l < r;
        });
        // Cut at the median, moved to a change of value on the axis so equal
        // colours stay together and both halves are non-empty.
        size_t cut = box.colours.size() / 2;
        while (cut < box.colours.size() && box.colours[cut][a] == box.colours[cut - 1][a]) ++cut;
        if (cut == box.colours.size()) {
            cut = box.colours.size() / 2;
            while (cut > 1 && box.colours[cut][a] == box.colours[cut - 1][a]) --cut;
        }
        Box upper;
        upper.colours.assign(box.colours.begin() + static_cast<std::ptrdiff_t>(cut), box.colours.end());
        box.colours.resize(cut);
        measure(box);
        measure(upper);
        boxes.push_back(std::move(upper));
    }

    IndexedImage out;
    out.width = width;
    out.height = height;
    for (size_t i = 0; i < boxes.size(); ++i) {
        unsigned long sum[3] = {0, 0, 0};
        for (const Colour& col : boxes[i].colours) {
            for (int c = 0; c < 3; ++c) sum[c] += col[c];
        }
        const unsigned long n = boxes[i].colours.size();
        for (int c = 0; c < 3; ++c) out.palette[i * 3 + c] = static_cast<uint8_t>((sum[c] + n / 2) / n);
    }
    out.pixels.resize(count);
    for (size_t i = 0; i < count; ++i) {
        int best = 0;
        long bestDistance = std::numeric_limits<long>::max();
        for (size_t e = 0; e < boxes.size(); ++e) {
            long d = 0;
            for (int c = 0; c < 3; ++c) {
                const long diff = static_cast<long>(rgb[i * 3 + c]) - out.palette[e * 3 + c];
                d += diff * diff;
            }
            if (d < bestDistance) {
                bestDistance = d;
                best = static_cast<int>(e);
            }
        }
        out.pixels[i] = static_cast<uint8_t>(best);
    }
    return out;
}

}  // namespace gmcontent
