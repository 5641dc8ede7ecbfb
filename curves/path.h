// Path: a smooth curve through an ordered list of points, one cubic Hermite
// segment between neighbours, evaluated by t from 0 (first point) to 1 (last).
#pragma once

#include "curves/point_list.h"
#include "fluxcore/math.h"

namespace QUASAR_FLUXCORE {

// Exported by the program with all its operations.
class __attribute__((visibility("default"))) Path {
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
