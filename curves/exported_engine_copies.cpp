// Copy operations of the engine's curve classes and Font. The engine declares
// them and never copies these values itself; the program defines them here and
// exports them.
// On Windows the engine's classes are this file's own, not imported from
// fluxcore.dll, where it defines their members (see fluxcore/api.h).
#define FLUXCORE_DEFINES_ENGINE_COPIES 1

#include <cstring>

#include "fluxcore/curves.h"
#include "fluxcore/texture.h"

namespace QUASAR_FLUXCORE {

QuadraticBezierCurve::QuadraticBezierCurve(QuadraticBezierCurve& other)
    : p0(other.p0), p1(other.p1), p2(other.p2) {}

QuadraticBezierCurve& QuadraticBezierCurve::operator=(const QuadraticBezierCurve& other) {
    p0 = other.p0;
    p1 = other.p1;
    p2 = other.p2;
    return *this;
}

CubicBezierCurve::CubicBezierCurve(CubicBezierCurve& other)
    : p0(other.p0), p1(other.p1), p2(other.p2), p3(other.p3) {}

CubicBezierCurve& CubicBezierCurve::operator=(const CubicBezierCurve& other) {
    p0 = other.p0;
    p1 = other.p1;
    p2 = other.p2;
    p3 = other.p3;
    return *this;
}

HermiteCurve::HermiteCurve(HermiteCurve& other)
    : start(other.start), startTangent(other.startTangent), endTangent(other.endTangent), end(other.end) {}

HermiteCurve& HermiteCurve::operator=(const HermiteCurve& other) {
    start = other.start;
    startTangent = other.startTangent;
    endTangent = other.endTangent;
    end = other.end;
    return *this;
}

// A Font is a plain 708-byte record: copied whole, as one block.
Font& Font::operator=(const Font& other) {
    if (this != &other) {
        std::memcpy(static_cast<void*>(this), static_cast<const void*>(&other), sizeof(Font));
    }
    return *this;
}

}  // namespace QUASAR_FLUXCORE
