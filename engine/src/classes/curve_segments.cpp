// Hermite and Bezier segments. Their copy operations are defined by the
// program that uses the engine, so nothing here copies a curve object.
#include "fluxcore/curves.h"

namespace QUASAR_FLUXCORE {

namespace {

// a*A + b*B + c*C + d*D in double precision, rounded once.
Vector weighted(double a, const Vector& va, double b, const Vector& vb, double c, const Vector& vc, double d,
                const Vector& vd) {
    return Vector(static_cast<float>(a * va.x + b * vb.x + c * vc.x + d * vd.x),
                  static_cast<float>(a * va.y + b * vb.y + c * vc.y + d * vd.y),
                  static_cast<float>(a * va.z + b * vb.z + c * vc.z + d * vd.z));
}

const Vector kZero;

}  // namespace

HermiteCurve::HermiteCurve() = default;
HermiteCurve::~HermiteCurve() = default;

void HermiteCurve::set(Vector& start_, Vector& startTangent_, Vector& endTangent_, Vector& end_) {
    start = start_;
    startTangent = startTangent_;
    endTangent = endTangent_;
    end = end_;
}

Vector HermiteCurve::getValue(float uf) const {
    const double u = uf, u2 = u * u, u3 = u2 * u;
    return weighted(2 * u3 - 3 * u2 + 1, start, u3 - 2 * u2 + u, startTangent, -2 * u3 + 3 * u2, end, u3 - u2,
                    endTangent);
}

Vector HermiteCurve::getDerivative(float uf) const {
    const double u = uf, u2 = u * u;
    return weighted(6 * u2 - 6 * u, start, 3 * u2 - 4 * u + 1, startTangent, -6 * u2 + 6 * u, end, 3 * u2 - 2 * u,
                    endTangent);
}

QuadraticBezierCurve::QuadraticBezierCurve() = default;
QuadraticBezierCurve::~QuadraticBezierCurve() = default;

void QuadraticBezierCurve::set(Vector& a, Vector& b, Vector& c) {
    p0 = a;
    p1 = b;
    p2 = c;
}

Vector QuadraticBezierCurve::getValue(float uf) const {
    const double u = uf, v = 1.0 - u;
    return weighted(v * v, p0, 2 * u * v, p1, u * u, p2, 0.0, kZero);
}

Vector QuadraticBezierCurve::getDerivative(float uf) const {
    const double u = uf;
    // 2(1-u)(p1-p0) + 2u(p2-p1), expanded over the control points.
    return weighted(-2 * (1 - u), p0, 2 * (1 - u) - 2 * u, p1, 2 * u, p2, 0.0, kZero);
}

CubicBezierCurve::CubicBezierCurve() = default;
CubicBezierCurve::~CubicBezierCurve() = default;

void CubicBezierCurve::set(Vector& a, Vector& b, Vector& c, Vector& d) {
    p0 = a;
    p1 = b;
    p2 = c;
    p3 = d;
}

Vector CubicBezierCurve::getValue(float uf) const {
    const double u = uf, v = 1.0 - u;
    return weighted(v * v * v, p0, 3 * u * v * v, p1, 3 * u * u * v, p2, u * u * u, p3);
}

Vector CubicBezierCurve::getDerivative(float uf) const {
    const double u = uf, v = 1.0 - u;
    return weighted(-3 * v * v, p0, 3 * v * v - 6 * u * v, p1, 6 * u * v - 3 * u * u, p2, 3 * u * u, p3);
}

}  // namespace QUASAR_FLUXCORE
