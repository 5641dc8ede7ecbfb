// Path: points, copying and the segment-by-segment Hermite evaluation.
#include "curves/path.h"

#include <climits>
#include <cmath>

#include "fluxcore/curves.h"

namespace QUASAR_FLUXCORE {

namespace {

// A fresh list holding copies of the points of source, in order. The source's
// cursor is not touched.
PointList* copyPoints(const PointList& source) {
    PointList* copy = new PointList();
    for (const PointNode* node = source.first; node != nullptr; node = node->next) {
        const Vector* point = static_cast<const Vector*>(node->data);
        copy->add(point != nullptr ? new Vector(point->x, point->y, point->z) : nullptr);
    }
    return copy;
}

void freePoints(PointList* list) {
    list->clear();
    delete list;
}

// floor(s) as a segment index; saturates outside the int range (seek clamps to
// the list's ends anyway) and maps NaN to the first segment.
int segmentIndex(double floorOfS) {
    if (std::isnan(floorOfS)) {
        return 0;
    }
    if (floorOfS <= static_cast<double>(INT_MIN)) {
        return INT_MIN;
    }
    if (floorOfS >= static_cast<double>(INT_MAX)) {
        return INT_MAX;
    }
    return static_cast<int>(floorOfS);
}

// Sets curve to the segment that holds t and returns the segment parameter u.
// Segment i runs from point i to point i + 1 with the forward differences as
// tangents; past the last point the list's cursor stays on it, so the end
// tangents there are zero. Requires at least one point.
float setSegment(PointList& list, int pointCount, float t, HermiteCurve& curve) {
    const int n = pointCount - 1;
    const double s = static_cast<double>(n) * static_cast<double>(t);
    const double floorOfS = std::floor(s);
    list.seek(segmentIndex(floorOfS));

    Vector* p0 = static_cast<Vector*>(list.getCurrent());
    list.advance();
    Vector* p1 = static_cast<Vector*>(list.getCurrent());
    Vector d0 = *p1 - *p0;
    list.advance();
    Vector* p2 = static_cast<Vector*>(list.getCurrent());
    Vector d1 = *p2 - *p1;

    curve.set(*p0, d0, d1, *p1);
    return static_cast<float>(s - floorOfS);
}

bool hasPoints(const Path& path) {
    return path.pointCount > 0 && path.pointList->first != nullptr;
}

}  // namespace

Path::Path() : pointCount(0), pointList(new PointList()) {}

Path::~Path() {
    freePoints(pointList);
}

Path::Path(const Path& other) : pointCount(other.pointCount), pointList(copyPoints(*other.pointList)) {}

Path& Path::operator=(const Path& other) {
    if (this != &other) {
        PointList* copy = copyPoints(*other.pointList);
        freePoints(pointList);
        pointList = copy;
        pointCount = other.pointCount;
    }
    return *this;
}

void Path::addpoint(Vector& point) {
    ++pointCount;
    pointList->add(new Vector(point.x, point.y, point.z));
}

Vector Path::getValue(float t) {
    if (!hasPoints(*this)) {
        return Vector();
    }
    HermiteCurve curve;
    const float u = setSegment(*pointList, pointCount, t, curve);
    return curve.getValue(u);
}

Vector Path::getDerivative(float t) {
    if (!hasPoints(*this)) {
        return Vector();
    }
    HermiteCurve curve;
    const float u = setSegment(*pointList, pointCount, t, curve);
    return curve.getDerivative(u);
}

}  // namespace QUASAR_FLUXCORE
