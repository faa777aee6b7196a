// The print rectangle the print-region tool spans with its clicks.

#include "model/Project.h"
#include "support/FakeSheet.h"

#include <gtest/gtest.h>

using namespace vk;

TEST(PrintRect, ThirdCornerStartsANewRectangleAndClearingForgetsBoth) {
    test::TFakeSheet sheet;
    TProject project(nullptr, {}, &sheet);
    EXPECT_FALSE(project.PrintRect().has_value()) << "a new project has none";

    project.SetPrintCorner(300, 40);
    EXPECT_FALSE(project.PrintRect().has_value()) << "one corner is no rectangle";
    project.SetPrintCorner(100, 240);
    ASSERT_TRUE(project.PrintRect().has_value());
    EXPECT_EQ(*project.PrintRect(), QRectF(100, 40, 200, 200)) << "corners in any order";

    project.SetPrintCorner(-50, -60);
    EXPECT_TRUE(project.PrintCorner1.isSet());
    EXPECT_EQ(project.PrintCorner1.point(), (TPointF{-50, -60})) << "the third click is a new first corner";
    EXPECT_FALSE(project.PrintCorner2.isSet());
    EXPECT_FALSE(project.PrintRect().has_value());
    project.SetPrintCorner(50, 40);
    EXPECT_EQ(*project.PrintRect(), QRectF(-50, -60, 100, 100));

    const int repaints = sheet.invalidations;
    project.ClearPrintRect();
    EXPECT_FALSE(project.PrintCorner1.isSet());
    EXPECT_FALSE(project.PrintCorner2.isSet());
    EXPECT_FALSE(project.PrintRect().has_value());
    EXPECT_GT(sheet.invalidations, repaints) << "the sheet repaints without the rectangle";
    project.SetPrintCorner(7, 8);
    EXPECT_EQ(project.PrintCorner1.point(), (TPointF{7, 8})) << "after clearing, the next click is a first corner";
}
