// Path: a smooth curve through an ordered list of points, one cubic Hermite
// segment between neighbours, evaluated by t from 0 (first point) to 1 (last).
#pragma once

#include "curves/point_list.h"
#include "fluxcore/math.h"

// Exported by the program with all its operations.
#if defined(_WIN32)
#define GM_CURVES_EXPORT __declspec(dllexport)
#else
#define GM_CURVES_EXPORT __attribute__((visibility("default")))
#endif

namespace QUASAR_FLUXCORE {

class GM_CURVES_EXPORT Path {
public:
    int pointCount;        // points added through addpoint
    PointList* pointList;  // heap Vectors in the order added; owned by this Path

    Path();
    ~Path();
    Path(const Path& other);             // deep copy: its own list with copies of the points
    Path& operator=(const Path& other);  // deep copy; self-assignment leaves the Path as it is

    void addpoint(Vector& point);       // appends a copy of point
    void draw();                        // white line strip of 201 samples; state restored
    Vector getValue(float t);           // the point at t; zero vector for an empty path
    Vector getDerivative(float t);      // derivative of the segment at t by its own parameter
};

}  // namespace QUASAR_FLUXCORE
