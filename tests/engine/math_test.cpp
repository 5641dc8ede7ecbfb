// Vector, Matrix and the curve segments against worked values.
#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>

#include "fluxcore.h"

using namespace QUASAR_FLUXCORE;

namespace {

constexpr float kHalfPi = 1.5707963f;

void expectVector(const Vector& v, float x, float y, float z, float tolerance = 1e-6f) {
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
}

TEST(Vector, LayoutIsThreeFloatsAndAWord) {
    static_assert(sizeof(Vector) == 16, "x, y, z and the engine word");
    Vector v;
    expectVector(v, 0, 0, 0);
    EXPECT_EQ(v.word, 0u);
    EXPECT_EQ(reinterpret_cast<char*>(&v.z) - reinterpret_cast<char*>(&v), 8);
}

TEST(Vector, ArithmeticLeavesOperandsAlone) {
    const Vector a(1, 2, 3), b(0.5f, -1, 4);
    expectVector(a + b, 1.5f, 1, 7);
    expectVector(a - b, 0.5f, 3, -1);  // left minus right
    expectVector(a * 2.0f, 2, 4, 6);
    expectVector(a, 1, 2, 3);
    Vector c(a);
    Vector d(c);  // the non-const copy
    expectVector(d, 1, 2, 3);
    Vector scaled(2, -4, 6);
    const Vector returned = (scaled *= 0.5f);
    expectVector(scaled, 1, -2, 3);
    expectVector(returned, 1, -2, 3);
    Vector target(9, 9, 9);
    target = b;
    expectVector(target, 0.5f, -1, 4);
    EXPECT_FLOAT_EQ(Vector(3, 4, 12).length(), 13.0f);
}

TEST(Matrix, StartsZeroAndIdentityKeepsVectors) {
    Matrix m;
    for (auto& row : m.m) {
        for (float e : row) EXPECT_EQ(e, 0.0f);
    }
    expectVector(Vector(1, 2, 3) * m, 0, 0, 0);
    const Matrix copy = m.makeIdentity();
    expectVector(Vector(1, 2, 3) * m, 1, 2, 3);
    EXPECT_EQ(copy.m[1][1], 1.0f);
}

TEST(Matrix, RowVectorConventionReadsColumns) {
    // v'[j] = sum_i v[i] * m[i][j]: row 0 is where x goes.
    Matrix m;
    m.m[0][1] = 2.0f;  // x feeds y
    m.m[2][0] = 3.0f;  // z feeds x
    expectVector(Vector(1, 0, 0) * m, 0, 2, 0);
    expectVector(Vector(0, 0, 1) * m, 3, 0, 0);
    // A diagonal scale, as the scene builds it.
    Matrix scale;
    scale.m[0][0] = 0.3f;
    scale.m[1][1] = 1.0f;
    scale.m[2][2] = 0.3f;
    expectVector(Vector(-30, 0, -30) * scale, -9, 0, -9, 1e-5f);
}

TEST(Matrix, RotationsAreRightHandedAndApplyXThenYThenZ) {
    Matrix m;
    m.makeRotation(kHalfPi, 0, 0);
    expectVector(Vector(0, 1, 0) * m, 0, 0, 1);  // y turns to z about x
    m.makeRotation(0, kHalfPi, 0);
    expectVector(Vector(0, 0, 1) * m, 1, 0, 0);  // z turns to x about y
    m.makeRotation(0, 0, kHalfPi);
    expectVector(Vector(1, 0, 0) * m, 0, 1, 0);  // x turns to y about z

    // About x first, then y: y -> z -> x. The other order would give z.
    m.makeRotation(kHalfPi, kHalfPi, 0);
    expectVector(Vector(0, 1, 0) * m, 1, 0, 0);
    // y then z: z -> x -> y.
    m.makeRotation(0, kHalfPi, kHalfPi);
    expectVector(Vector(0, 0, 1) * m, 0, 1, 0);

    // makeRotation overwrites every element, and rotations keep lengths.
    Matrix r;
    r.m[0][0] = 7.0f;
    r.makeRotation(0.3f, -1.1f, 2.0f);
    EXPECT_NEAR((Vector(0.2f, -3.0f, 1.5f) * r).length(), Vector(0.2f, -3.0f, 1.5f).length(), 1e-5f);
    expectVector(Vector(1, 2, 3) * r * (Matrix().makeRotation(0, 0, 0)), (Vector(1, 2, 3) * r).x,
                 (Vector(1, 2, 3) * r).y, (Vector(1, 2, 3) * r).z);
}

TEST(Matrix, ProductComposesLeftFirst) {
    Matrix a, b;
    a.makeRotation(kHalfPi, 0, 0);
    b.makeRotation(0, kHalfPi, 0);
    Matrix both;
    both.makeRotation(kHalfPi, kHalfPi, 0);
    const Matrix product = a * b;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) EXPECT_NEAR(product.m[i][j], both.m[i][j], 1e-6f);
    }
}

TEST(HermiteCurve, WorkedValues) {
    Vector start(0, 0, 0), tangent(1, 0, 0), end(1, 0, 0);
    HermiteCurve h;
    h.set(start, tangent, tangent, end);
    expectVector(h.getValue(0.0f), 0, 0, 0);
    expectVector(h.getValue(0.5f), 0.5f, 0, 0);
    expectVector(h.getValue(1.0f), 1, 0, 0);
    expectVector(h.getDerivative(0.25f), 1, 0, 0);  // a straight line at unit speed

    // The argument order is start, start tangent, end tangent, end.
    Vector p0(1, 0, 0), t0(1, 0, 0), t1(0, 0, 0), p1(2, 0, 0);
    h.set(p0, t0, t1, p1);
    expectVector(h.getValue(0.5f), 1.625f, 0, 0);
    expectVector(h.getDerivative(0.5f), 1.25f, 0, 0);
    expectVector(h.getDerivative(0.0f), 1, 0, 0);
    expectVector(h.getDerivative(1.0f), 0, 0, 0);

    // Tangents leave the end points in place but bend the middle.
    Vector a(0, 0, 0), up(0, 3, 0), down(0, -3, 0), b(2, 0, 0);
    h.set(a, up, down, b);
    expectVector(h.getValue(0.0f), 0, 0, 0);
    expectVector(h.getValue(1.0f), 2, 0, 0);
    expectVector(h.getValue(0.5f), 1, 0.75f, 0);  // h10 * 3 + h11 * (-3) = 0.375 + 0.375
}

TEST(BezierCurves, EndPointsMidpointsAndDerivatives) {
    Vector a(0, 0, 0), b(1, 2, 0), c(2, 0, 0), d(3, 2, 1);
    QuadraticBezierCurve q;
    q.set(a, b, c);
    expectVector(q.getValue(0), 0, 0, 0);
    expectVector(q.getValue(1), 2, 0, 0);
    expectVector(q.getValue(0.5f), 1, 1, 0);
    expectVector(q.getDerivative(0), 2, 4, 0);  // 2 (p1 - p0)
    expectVector(q.getDerivative(1), 2, -4, 0);  // 2 (p2 - p1)

    CubicBezierCurve k;
    k.set(a, b, c, d);
    expectVector(k.getValue(0), 0, 0, 0);
    expectVector(k.getValue(1), 3, 2, 1);
    expectVector(k.getValue(0.5f), 1.5f, 1.0f, 0.125f);
    expectVector(k.getDerivative(0), 3, 6, 0);   // 3 (p1 - p0)
    expectVector(k.getDerivative(1), 3, 6, 3);   // 3 (p3 - p2)
}

TEST(Font, IsA708ByteRecord) {
    static_assert(sizeof(Font) == 708, "");
    EXPECT_EQ(offsetof(Font, glyphLeft), 196u);
}

}  // namespace
