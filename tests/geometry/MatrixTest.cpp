#include "GeometryTestUtil.h"
#include "geometry/Matrix.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

namespace vk {
namespace {

TPointF directRotation(TPointF p, float angle, TPointF c) {
    const double a = angle * std::numbers::pi / 180.0;
    const double dx = double(p.X) - c.X, dy = double(p.Y) - c.Y;
    return {float(c.X + dx * std::cos(a) - dy * std::sin(a)), float(c.Y + dx * std::sin(a) + dy * std::cos(a))};
}

TEST(RotatePoint, AgreesWithTheDirectFormulaAndWithTheMatrixProduct) {
    const struct {
        const char* name;
        TPointF p;
        float angle;
        TPointF centre;
        TPointF expected;
    } cases[] = {
        {"quarter turn about the origin", {1, 0}, 90, {0, 0}, {0, 1}},
        {"quarter turn back", {0, 1}, -90, {0, 0}, {1, 0}},
        {"half turn about an offset centre", {12, 5}, 180, {10, 5}, {8, 5}},
        {"quarter turn about an offset centre", {3, 1}, 90, {1, 1}, {1, 3}},
        {"centre itself does not move", {7, -3}, 33, {7, -3}, {7, -3}},
        {"tile point of a placement", {250, 100}, 30, {0, 0}, {166.50635f, 211.60254f}},
        {"metres away from the centre", {-15000, 22000}, 137.5f, {1200, -800}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TPointF r = RotatePoint(c.p, c.angle, c.centre);
        const TPointF direct = directRotation(c.p, c.angle, c.centre);
        // A float of a few metres has an ulp of about 2e-3 mm.
        EXPECT_TRUE(PointNear(r, direct, 5e-3));
        if (!(c.expected == TPointF{})) {
            EXPECT_TRUE(PointNear(r, c.expected));
        }

        const std::optional<TMatrix> m = MatrixProduct(RotationRow(c.p), RotationMatrix(c.angle, c.centre));
        ASSERT_TRUE(m.has_value());
        ASSERT_EQ(m->size(), 1u);
        ASSERT_EQ(m->front().size(), 3u);
        EXPECT_EQ((*m)[0][0], r.X);
        EXPECT_EQ((*m)[0][1], r.Y);

        const float p[2] = {c.p.X, c.p.Y};
        const float centre[2] = {c.centre.X, c.centre.Y};
        const TVector v = RotatePoint(p, c.angle, centre);
        ASSERT_EQ(v.size(), 2u);
        EXPECT_EQ(v[0], r.X);
        EXPECT_EQ(v[1], r.Y);
    }
}

TEST(MatrixProduct, ShapeAndExtendedAccumulation) {
    const TMatrix a = {{1, 2, 3}, {4, 5, 6}};
    const TMatrix b = {{7, 8}, {9, 10}, {11, 12}};
    const std::optional<TMatrix> c = MatrixProduct(a, b);
    ASSERT_TRUE(c.has_value());
    EXPECT_EQ(*c, (TMatrix{{58, 64}, {139, 154}}));

    // In float, 1e8 + 1 is 1e8 and the sum would come out 0.
    const std::optional<TMatrix> exact = MatrixProduct({{1e8f, 1, -1e8f}}, {{1}, {1}, {1}});
    ASSERT_TRUE(exact.has_value());
    EXPECT_EQ((*exact)[0][0], 1.0f);
}

TEST(MatrixProduct, MatricesThatDoNotFitGiveNoProduct) {
    const struct {
        const char* name;
        TMatrix a, b;
    } cases[] = {
        {"row of A longer than B has rows", {{1, 2, 3}}, {{1}, {1}}},
        {"row of B shorter than its first row", {{1, 2}}, {{1, 2}, {3}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(MatrixProduct(c.a, c.b).has_value());
    }
    EXPECT_EQ(MatrixProduct({}, {{1, 2}}), std::optional<TMatrix>(TMatrix{}));
}

TEST(MatrixProduct, FreeEmptiesAndAnswersFalse) {
    TMatrix m = {{1, 2}, {3, 4}};
    TVector v = {1, 2, 3};
    EXPECT_FALSE(FreeMatrix(m));
    EXPECT_FALSE(FreeVector(v));
    EXPECT_TRUE(m.empty());
    EXPECT_TRUE(v.empty());
}

} // namespace
} // namespace vk
