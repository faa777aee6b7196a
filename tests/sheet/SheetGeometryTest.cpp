// The sheet's coordinate model, without a window.

#include "geometry/Tolerance.h"
#include "sheet/SheetGeometry.h"

#include <gtest/gtest.h>
#include <cmath>
#include <limits>

using vk::TSheetGeometry;

namespace {

// The main window's sheet: 50 x 50 m, origin in the middle, metres shown.
TSheetGeometry mainSheet(int width = 1600, int height = 900) {
    TSheetGeometry g;
    EXPECT_TRUE(g.SetGeometry(50000, 50000, 25000, 25000));
    g.SetUnits(100);
    EXPECT_TRUE(g.SetScale(0.0075));
    g.SetClientSize(width, height);
    return g;
}

} // namespace

TEST(SheetGeometry, WorldAndDeviceAreInverseAndYPointsUp) {
    TSheetGeometry g = mainSheet();
    g.SetScale(0.5);
    g.CenterOn(1000, -2000);
    const QPointF c = g.WorldToDevice(1000, -2000);
    EXPECT_NEAR(c.x(), 800, 1.0);
    EXPECT_NEAR(c.y(), 450, 1.0);
    const QPointF up = g.WorldToDevice(1000, -1990);
    EXPECT_LT(up.y(), c.y()) << "larger y must be higher on the screen";
    const QPointF back = g.DeviceToWorld(c.x(), c.y());
    EXPECT_NEAR(back.x(), 1000, 1e-3);
    EXPECT_NEAR(back.y(), -2000, 1e-3);
    // The transform handed to documents agrees with the formulas.
    const QPointF viaTransform = g.WorldTransform().map(QPointF(1000, -2000));
    EXPECT_NEAR(viaTransform.x(), c.x(), 1e-6);
    EXPECT_NEAR(viaTransform.y(), c.y(), 1e-6);
}

TEST(SheetGeometry, SetScaleKeepsTheCentre) {
    struct Case {
        const char* name;
        double from, to;
        double x, y;
    };
    const Case cases[] = {
        {"zoom in x2 off centre", 0.05, 0.1, 3000, 4000},
        {"zoom out x2", 0.2, 0.1, -7000, 1200},
        {"zoom in x8", 0.05, 0.4, 10000, -10000},
        {"odd factor", 0.1, 0.137, 123, 456},
    };
    for (const Case& c : cases) {
        TSheetGeometry g = mainSheet();
        ASSERT_TRUE(g.SetScale(c.from)) << c.name;
        g.CenterOn(c.x, c.y);
        const QPointF before = g.GetViewCenter();
        ASSERT_TRUE(g.SetScale(c.to)) << c.name;
        const QPointF after = g.GetViewCenter();
        const double pixel = 1.0 / g.K();
        EXPECT_NEAR(after.x(), before.x(), 1.5 * pixel) << c.name;
        EXPECT_NEAR(after.y(), before.y(), 1.5 * pixel) << c.name;
    }
}

TEST(SheetGeometry, ZoomDoublesAndHalves) {
    TSheetGeometry g = mainSheet();
    ASSERT_TRUE(g.ZoomIn());
    EXPECT_FLOAT_EQ(g.Scale(), 0.015f);
    ASSERT_TRUE(g.ZoomOut());
    ASSERT_TRUE(g.ZoomOut());
    EXPECT_FLOAT_EQ(g.Scale(), 0.00375f);
}

TEST(SheetGeometry, UnusableScalesAreRefusedAndTheLastGoodStays) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        const char* name;
        double scale;
    } cases[] = {
        {"zero", 0.0},          {"negative", -0.5},       {"NaN", nan},
        {"infinite", inf},      {"sheet under a pixel", 1e-7}, {"range beyond a scroll bar", 1e6},
    };
    for (const auto& c : cases) {
        TSheetGeometry g = mainSheet();
        g.CenterOn(100, 200);
        const QPointF centre = g.GetViewCenter();
        EXPECT_FALSE(g.SetScale(c.scale)) << c.name;
        EXPECT_FLOAT_EQ(g.Scale(), 0.0075f) << c.name;
        EXPECT_EQ(g.GetViewCenter(), centre) << c.name;
        EXPECT_GT(g.HorzRange(), 0) << c.name;
    }
    // Repeated zooming out stops at the smallest usable scale instead of
    // reaching a zero range.
    TSheetGeometry g = mainSheet();
    int steps = 0;
    while (g.ZoomOut() && steps < 200) {
        ++steps;
    }
    EXPECT_LT(steps, 200);
    EXPECT_GE(g.HorzRange(), 1);
}

TEST(SheetGeometry, SettersRefuseGeometryThatBreaksTheInvariants) {
    struct Case {
        const char* name;
        bool (TSheetGeometry::*setter)(float);
        float value;
        bool accepted;
    };
    const Case cases[] = {
        {"SizeX below PositiveX", &TSheetGeometry::SetSizeX, 100, false},
        {"SizeX zero", &TSheetGeometry::SetSizeX, 0, false},
        {"SizeX negative", &TSheetGeometry::SetSizeX, -400, false},
        {"SizeX equal to PositiveX", &TSheetGeometry::SetSizeX, 200, true},
        {"SizeY below PositiveY", &TSheetGeometry::SetSizeY, 199, false},
        {"PositiveX zero", &TSheetGeometry::SetPositiveX, 0, false},
        {"PositiveX negative", &TSheetGeometry::SetPositiveX, -1, false},
        {"PositiveX above SizeX", &TSheetGeometry::SetPositiveX, 401, false},
        {"PositiveX equal to SizeX", &TSheetGeometry::SetPositiveX, 400, true},
        {"PositiveY NaN", &TSheetGeometry::SetPositiveY, std::nanf(""), false},
    };
    for (const Case& c : cases) {
        TSheetGeometry g; // 400 x 400, axes at 200
        EXPECT_EQ((g.*c.setter)(c.value), c.accepted) << c.name;
        if (!c.accepted) {
            EXPECT_EQ(g.SizeX(), 400.0f) << c.name;
            EXPECT_EQ(g.SizeY(), 400.0f) << c.name;
            EXPECT_EQ(g.PositiveX(), 200.0f) << c.name;
            EXPECT_EQ(g.PositiveY(), 200.0f) << c.name;
        }
    }
}

TEST(SheetGeometry, SetGeometryAppliesAllFourInAnOrderThatKeepsTheInvariants) {
    TSheetGeometry g; // 400 x 400, axes at 200
    // Shrinking below the old positive part needs the positive part first.
    ASSERT_TRUE(g.SetGeometry(100, 150, 50, 150));
    EXPECT_EQ(g.SizeX(), 100.0f);
    EXPECT_EQ(g.PositiveX(), 50.0f);
    EXPECT_EQ(g.SizeY(), 150.0f);
    EXPECT_EQ(g.PositiveY(), 150.0f);
    // Growing past the old size needs the size first.
    ASSERT_TRUE(g.SetGeometry(5000, 6000, 4000, 5500));
    EXPECT_EQ(g.PositiveX(), 4000.0f);
    EXPECT_EQ(g.PositiveY(), 5500.0f);
    // A set that is wrong as a whole changes nothing.
    EXPECT_FALSE(g.SetGeometry(1000, 1000, 1001, 10));
    EXPECT_EQ(g.SizeX(), 5000.0f);
    EXPECT_EQ(g.PositiveX(), 4000.0f);
}

TEST(SheetGeometry, VisibleRectangleNeverPassesTheSheet) {
    TSheetGeometry g; // 400 x 400 mm is about 1512 px at scale 1
    g.SetClientSize(4000, 3000);
    const vk::TWorldRect r = g.VisibleRect();
    EXPECT_DOUBLE_EQ(r.L, -200);
    EXPECT_DOUBLE_EQ(r.R, 200);
    EXPECT_DOUBLE_EQ(r.B, -200);
    EXPECT_DOUBLE_EQ(r.T, 200);
}

TEST(SheetGeometry, SnapRoundsToTheDisplayQuantumHalvesToEven) {
    TSheetGeometry g;
    g.SetUnits(100);
    EXPECT_EQ(g.SnapValue(1234.5f), 1200.0f);
    EXPECT_EQ(g.SnapValue(1250.0f), 1200.0f); // half to even
    EXPECT_EQ(g.SnapValue(1350.0f), 1400.0f);
    EXPECT_EQ(g.SnapValue(-1260.0f), -1300.0f);
    g.SetUnits(1);
    EXPECT_EQ(g.SnapValue(2.5f), 2.0f);
    EXPECT_EQ(g.SnapValue(3.5f), 4.0f);
}

TEST(SheetGeometry, UnitsGiveFactorDivisorAndName) {
    const struct {
        int factor, divisor;
        const char* name;
    } cases[] = {{1, 1, "мм"}, {10, 10, "см"}, {100, 1000, "м"}};
    for (const auto& c : cases) {
        TSheetGeometry g;
        g.SetUnits(c.factor);
        EXPECT_EQ(g.UnitFactor(), c.factor);
        EXPECT_EQ(g.UnitDivisor(), c.divisor);
        EXPECT_EQ(g.UnitName(), QString::fromUtf8(c.name));
    }
}

TEST(SheetGeometry, ChangeUnitsKeepsTheShownScaleNumber) {
    TSheetGeometry g = mainSheet();
    g.ChangeUnits(1);
    EXPECT_FLOAT_EQ(g.Scale(), 0.75f);
    EXPECT_EQ(g.UnitFactor(), 1);
    g.ChangeUnits(100);
    EXPECT_FLOAT_EQ(g.Scale(), 0.0075f);
}

TEST(SheetGeometry, GridStepKeepsTenStepsAtLeastTwentyPixelsWide) {
    // 20 pixels are `mm` world millimetres at 96 DPI when k = 20 / mm.
    const struct {
        const char* name;
        int factor;
        double mmPer20px;
        float step;
    } cases[] = {
        {"millimetres, 20 px = 7 mm", 1, 7.0, 1.0f},
        {"millimetres, 20 px = 23 mm", 1, 23.0, 2.5f},
        {"millimetres, 20 px = 9.9 mm", 1, 9.9, 1.0f},
        {"millimetres, 20 px = 10.5 mm", 1, 10.5, 1.5f},
        {"metres at the main window's scale", 100, 20.0 / (0.0075 * 96 / 25.4), 100.0f},
    };
    for (const auto& c : cases) {
        TSheetGeometry g;
        g.SetGeometry(100000, 100000, 50000, 50000);
        g.SetUnits(c.factor);
        const double k = 20.0 / c.mmPer20px;
        ASSERT_TRUE(g.SetScale(k * 25.4 / 96.0)) << c.name;
        EXPECT_FLOAT_EQ(g.GridStep(), c.step) << c.name;
        EXPECT_NEAR(g.PickTolerance(), 4.0 / g.K(), 1e-4) << c.name;
        EXPECT_NEAR(g.RulerDepth(), 32.0 / g.K(), 1e-3) << c.name;
    }
}

TEST(SheetGeometry, OverviewFitsTheWholeSheetByItsTighterSide) {
    TSheetGeometry g;
    ASSERT_TRUE(g.SetGeometry(50000, 25000, 25000, 12500));
    const QTransform t = g.MiniTransform(120, 70);
    // The width decides: 120 / 50000 < 70 / 25000.
    EXPECT_DOUBLE_EQ(t.m11(), 120.0 / 50000.0);
    const QPointF topLeft = t.map(QPointF(-25000, 12500));
    const QPointF right = t.map(QPointF(25000, -12500));
    EXPECT_NEAR(topLeft.x(), 0.0, 1e-9);
    EXPECT_NEAR(topLeft.y(), 0.0, 1e-9);
    EXPECT_NEAR(right.x(), 120.0, 1e-9);
    EXPECT_NEAR(right.y(), 60.0, 1e-9);
}

TEST(SheetGeometry, ASheetSmallerThanTheViewIsCentredAndCannotScroll) {
    TSheetGeometry g = mainSheet(1920, 1080); // 50 m at 0.0075 is about 1417 px
    g.CenterOn(0, 0);
    EXPECT_EQ(g.HorzMax(), 0);
    const QPointF origin = g.WorldToDevice(0, 0);
    EXPECT_NEAR(origin.x(), 960, 1.0);
    g.SetScrollPos(500, g.VertPos());
    EXPECT_NEAR(g.WorldToDevice(0, 0).x(), 960, 1.0);
}

TEST(SheetGeometry, ViewRecordRoundTrips) {
    TSheetGeometry g = mainSheet();
    g.SetScale(0.2);
    g.CenterOn(1500, -700);
    const vk::ViewRecord v = g.GetView();
    TSheetGeometry h;
    h.SetClientSize(1600, 900);
    h.SetUnits(100);
    h.SetView(v);
    EXPECT_EQ(h.SizeX(), 50000.0f);
    EXPECT_EQ(h.PositiveY(), 25000.0f);
    EXPECT_FLOAT_EQ(h.Scale(), 0.2f);
    EXPECT_NEAR(h.GetViewCenter().x(), 1500, 2.0 / h.K());
    EXPECT_NEAR(h.GetViewCenter().y(), -700, 2.0 / h.K());
}
