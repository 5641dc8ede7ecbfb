// Parsing of the stroke notation and text layout.
//
// A stroke program is a list of commands separated by ';':
//   p x,y x,y ...              polyline through the points
//   a cx,cy rx,ry from,to      elliptical arc, angles in degrees measured
//                              anticlockwise from +x; runs from `from` to `to`
//   d x,y                      dot (a zero-length stroke)
#include "glyphs.h"

#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>
#include <stdexcept>

namespace gmcontent {

namespace {

std::vector<double> numbersOf(const std::string& text, unsigned char code) {
    std::vector<double> out;
    std::string cleaned = text;
    for (char& c : cleaned) {
        if (c == ',') c = ' ';
    }
    std::istringstream in(cleaned);
    std::string token;
    while (in >> token) {
        char* end = nullptr;
        const double v = std::strtod(token.c_str(), &end);
        if (end == token.c_str() || *end != '\0') {
            throw std::runtime_error("glyph " + std::to_string(code) + ": bad number '" + token + "'");
        }
        out.push_back(v);
    }
    return out;
}

void addArc(std::vector<Segment>& out, const std::vector<double>& n) {
    const double pi = 3.14159265358979323846;
    const double cx = n[0], cy = n[1], rx = n[2], ry = n[3];
    const double from = n[4] * pi / 180.0, to = n[5] * pi / 180.0;
    const int steps = std::max(6, static_cast<int>(std::ceil(std::fabs(n[5] - n[4]) / 6.0)));
    Point prev{cx + rx * std::cos(from), cy + ry * std::sin(from)};
    for (int i = 1; i <= steps; ++i) {
        const double a = from + (to - from) * i / steps;
        const Point p{cx + rx * std::cos(a), cy + ry * std::sin(a)};
        out.push_back({prev, p});
        prev = p;
    }
}

}  // namespace

Glyph parseGlyph(const GlyphDesign& design) {
    Glyph glyph;
    glyph.advance = design.advance;
    std::string program = design.strokes;
    std::istringstream commands(program);
    std::string command;
    const unsigned char code = design.code;
    while (std::getline(commands, command, ';')) {
        const size_t start = command.find_first_not_of(' ');
        if (start == std::string::npos) continue;
        const char op = command[start];
        const std::vector<double> n = numbersOf(command.substr(start + 1), code);
        if (op == 'p') {
            if (n.size() < 4 || n.size() % 2 != 0) {
                throw std::runtime_error("glyph " + std::to_string(code) + ": polyline needs two or more points");
            }
            for (size_t i = 2; i + 1 < n.size(); i += 2) {
                glyph.strokes.push_back({{n[i - 2], n[i - 1]}, {n[i], n[i + 1]}});
            }
        } else if (op == 'a') {
            if (n.size() != 6) throw std::runtime_error("glyph " + std::to_string(code) + ": arc needs six numbers");
            addArc(glyph.strokes, n);
        } else if (op == 'd') {
            if (n.size() != 2) throw std::runtime_error("glyph " + std::to_string(code) + ": dot needs one point");
            glyph.strokes.push_back({{n[0], n[1]}, {n[0], n[1]}});
        } else {
            throw std::runtime_error("glyph " + std::to_string(code) + ": unknown command '" + std::string(1, op) + "'");
        }
    }
    return glyph;
}

const Glyph* findGlyph(unsigned char code) {
    static const std::map<unsigned char, Glyph> glyphs = [] {
        std::map<unsigned char, Glyph> parsed;
        for (const GlyphDesign& d : glyphDesigns()) parsed.emplace(d.code, parseGlyph(d));
        return parsed;
    }();
    const auto it = glyphs.find(code);
    return it == glyphs.end() ? nullptr : &it->second;
}

namespace {

double advanceOf(unsigned char code) {
    const Glyph* g = findGlyph(code);
    if (g == nullptr) g = findGlyph(' ');
    return g->advance;
}

}  // namespace

double textWidth(const std::string& latin1, double tracking) {
    double width = 0.0;
    for (size_t i = 0; i < latin1.size(); ++i) {
        width += advanceOf(static_cast<unsigned char>(latin1[i]));
        if (i + 1 < latin1.size()) width += tracking;
    }
    return width;
}

std::vector<Segment> layoutText(const std::string& latin1, Point origin, double scale, double tracking) {
    std::vector<Segment> out;
    double pen = 0.0;
    for (const char c : latin1) {
        const unsigned char code = static_cast<unsigned char>(c);
        if (const Glyph* g = findGlyph(code)) {
            for (const Segment& s : g->strokes) {
                out.push_back({{origin.x + (pen + s.a.x) * scale, origin.y - s.a.y * scale},
                               {origin.x + (pen + s.b.x) * scale, origin.y - s.b.y * scale}});
            }
        }
        pen += advanceOf(code) + tracking;
    }
    return out;
}

}  // namespace gmcontent
