// Parametric curve segments over u in [0, 1].
//
// The copy operations of these classes are declared here and defined by the
// program that uses the engine (the demo exports them); the library never
// copies a curve itself.
#pragma once

#include "fluxcore/math.h"

namespace QUASAR_FLUXCORE {

// Cubic Hermite segment: from start (u = 0) to end (u = 1), with tangents
// taken with respect to u.
class FLUXCORE_API HermiteCurve {
public:
    Vector start, startTangent, endTangent, end;

    HermiteCurve();   // all four vectors zero
    ~HermiteCurve();
    FLUXCORE_EXTERN_DEFINED HermiteCurve(HermiteCurve& other);                   // defined by the program
    FLUXCORE_EXTERN_DEFINED HermiteCurve& operator=(const HermiteCurve& other);  // defined by the program

    void set(Vector& start, Vector& startTangent, Vector& endTangent, Vector& end);  // defines the segment
    Vector getValue(float u) const;       // point at u
    Vector getDerivative(float u) const;  // derivative with respect to u
};

// Quadratic Bezier segment with control points p0, p1, p2.
class FLUXCORE_API QuadraticBezierCurve {
public:
    Vector p0, p1, p2;

    QuadraticBezierCurve();
    ~QuadraticBezierCurve();
    FLUXCORE_EXTERN_DEFINED QuadraticBezierCurve(QuadraticBezierCurve& other);
    FLUXCORE_EXTERN_DEFINED QuadraticBezierCurve& operator=(const QuadraticBezierCurve& other);

    void set(Vector& p0, Vector& p1, Vector& p2);  // defines the segment
    Vector getValue(float u) const;                // point at u
    Vector getDerivative(float u) const;           // derivative with respect to u
};

// Cubic Bezier segment with control points p0 to p3.
class FLUXCORE_API CubicBezierCurve {
public:
    Vector p0, p1, p2, p3;

    CubicBezierCurve();
    ~CubicBezierCurve();
    FLUXCORE_EXTERN_DEFINED CubicBezierCurve(CubicBezierCurve& other);
    FLUXCORE_EXTERN_DEFINED CubicBezierCurve& operator=(const CubicBezierCurve& other);

    void set(Vector& p0, Vector& p1, Vector& p2, Vector& p3);  // defines the segment
    Vector getValue(float u) const;                            // point at u
    Vector getDerivative(float u) const;                       // derivative with respect to u
};

}  // namespace QUASAR_FLUXCORE
