// Vector comparison for the curve tests.
#pragma once

#include <gtest/gtest.h>

#include <cmath>

#include "fluxcore/math.h"

namespace curvetest {

inline ::testing::AssertionResult near(const QUASAR_FLUXCORE::Vector& v, float x, float y, float z,
                                       float tolerance = 1e-5f) {
    if (std::fabs(v.x - x) <= tolerance && std::fabs(v.y - y) <= tolerance && std::fabs(v.z - z) <= tolerance) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "(" << v.x << ", " << v.y << ", " << v.z << ") is not (" << x
                                         << ", " << y << ", " << z << ") within " << tolerance;
}

inline ::testing::AssertionResult near(const QUASAR_FLUXCORE::Vector& v, const QUASAR_FLUXCORE::Vector& w,
                                       float tolerance = 1e-5f) {
    return near(v, w.x, w.y, w.z, tolerance);
}

inline ::testing::AssertionResult same(const QUASAR_FLUXCORE::Vector& v, const QUASAR_FLUXCORE::Vector& w) {
    if (v.x == w.x && v.y == w.y && v.z == w.z) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "(" << v.x << ", " << v.y << ", " << v.z << ") differs from ("
                                         << w.x << ", " << w.y << ", " << w.z << ")";
}

}  // namespace curvetest
