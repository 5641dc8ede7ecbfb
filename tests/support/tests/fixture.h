// Shared fixture of the recording GL layer's own tests: a fresh context in
// Record mode, and a matrix-times-point helper.
#pragma once

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <array>

#include "glrecord.h"

class GlRecordTest : public ::testing::Test {
protected:
    void SetUp() override {
        glrecord::reset();
        glrecord::setMode(glrecord::Mode::Record);
    }
    void TearDown() override { glrecord::setMode(glrecord::Mode::Record); }

    // Column-major matrix times (x, y, z, 1).
    static std::array<double, 4> apply(const float* m, double x, double y, double z) {
        std::array<double, 4> out{};
        for (int r = 0; r < 4; ++r) out[r] = m[r] * x + m[4 + r] * y + m[8 + r] * z + m[12 + r];
        return out;
    }
};

#define EXPECT_POINT_NEAR(point, ex, ey, ez)  \
    do {                                      \
        const auto p_ = (point);              \
        EXPECT_NEAR(p_[0], (ex), 1e-5);       \
        EXPECT_NEAR(p_[1], (ey), 1e-5);       \
        EXPECT_NEAR(p_[2], (ez), 1e-5);       \
    } while (0)
