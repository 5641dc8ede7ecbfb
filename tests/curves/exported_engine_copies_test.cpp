// The copy operations the program defines for the engine's curve classes and
// Font: every member lands in its own place, and copies behave like sources.
#include <gtest/gtest.h>

#include <cstring>

#include "fluxcore/curves.h"
#include "fluxcore/texture.h"
#include "vector_expect.h"

using curvetest::same;
using QUASAR_FLUXCORE::CubicBezierCurve;
using QUASAR_FLUXCORE::Font;
using QUASAR_FLUXCORE::HermiteCurve;
using QUASAR_FLUXCORE::QuadraticBezierCurve;
using QUASAR_FLUXCORE::Vector;

namespace {

Vector a(1, 2, 3), b(-4, 5, 6), c(7, -8, 9), d(10, 11, -12);

}  // namespace

TEST(ValueCopies, HermiteCurveCopiesEachVectorToItsPlace) {
    HermiteCurve source;
    source.set(a, b, c, d);
    HermiteCurve copy(source);
    EXPECT_TRUE(same(copy.start, a));
    EXPECT_TRUE(same(copy.startTangent, b));
    EXPECT_TRUE(same(copy.endTangent, c));
    EXPECT_TRUE(same(copy.end, d));
    EXPECT_TRUE(same(copy.getValue(0.3f), source.getValue(0.3f)));

    HermiteCurve assigned;
    HermiteCurve& result = (assigned = source);
    EXPECT_EQ(&result, &assigned);
    EXPECT_TRUE(same(assigned.start, a));
    EXPECT_TRUE(same(assigned.startTangent, b));
    EXPECT_TRUE(same(assigned.endTangent, c));
    EXPECT_TRUE(same(assigned.end, d));
    EXPECT_TRUE(same(assigned.getDerivative(0.7f), source.getDerivative(0.7f)));
}

TEST(ValueCopies, BezierCurvesCopyEachControlPointToItsPlace) {
    QuadraticBezierCurve quadratic;
    quadratic.set(a, b, c);
    QuadraticBezierCurve quadraticCopy(quadratic);
    QuadraticBezierCurve quadraticAssigned;
    EXPECT_EQ(&(quadraticAssigned = quadratic), &quadraticAssigned);
    for (const QuadraticBezierCurve* q : {&quadraticCopy, &quadraticAssigned}) {
        EXPECT_TRUE(same(q->p0, a));
        EXPECT_TRUE(same(q->p1, b));
        EXPECT_TRUE(same(q->p2, c));
        EXPECT_TRUE(same(q->getValue(0.4f), quadratic.getValue(0.4f)));
    }

    CubicBezierCurve cubic;
    cubic.set(a, b, c, d);
    CubicBezierCurve cubicCopy(cubic);
    CubicBezierCurve cubicAssigned;
    EXPECT_EQ(&(cubicAssigned = cubic), &cubicAssigned);
    for (const CubicBezierCurve* q : {&cubicCopy, &cubicAssigned}) {
        EXPECT_TRUE(same(q->p0, a));
        EXPECT_TRUE(same(q->p1, b));
        EXPECT_TRUE(same(q->p2, c));
        EXPECT_TRUE(same(q->p3, d));
        EXPECT_TRUE(same(q->getDerivative(0.6f), cubic.getDerivative(0.6f)));
    }
}

TEST(ValueCopies, FontAssignmentCopiesTheWholeRecord) {
    Font source;
    unsigned char* bytes = reinterpret_cast<unsigned char*>(&source);
    for (std::size_t i = 0; i < sizeof(Font); ++i) {
        bytes[i] = static_cast<unsigned char>(i * 7 + 3);
    }
    std::strcpy(source.fileName, "fontti.pcx");
    source.glyphWidth[255] = 31;

    Font target;
    std::memset(static_cast<void*>(&target), 0, sizeof(Font));
    Font& result = (target = source);
    EXPECT_EQ(&result, &target);
    EXPECT_EQ(std::memcmp(&target, &source, sizeof(Font)), 0);
    EXPECT_STREQ(target.fileName, "fontti.pcx");
    EXPECT_EQ(target.glyphWidth[255], 31);

    Font& alias = target;
    target = alias;
    EXPECT_EQ(std::memcmp(&target, &source, sizeof(Font)), 0);
}
