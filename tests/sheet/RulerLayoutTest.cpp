// Grid lines, ruler ticks and ruler numbers for a visible rectangle.

#include "geometry/NumberFormat.h"
#include "sheet/RulerLayout.h"

#include <QLocale>
#include <gtest/gtest.h>

using vk::ComputeGridLines;
using vk::ComputeRulerNumbers;
using vk::TWorldRect;

namespace {

// Every character is 1 world unit wide per `perChar`.
vk::TMeasure fixedWidth(double perChar) {
    return [perChar](const QString& t) { return perChar * t.size(); };
}

std::vector<QString> texts(const std::vector<vk::TRulerNumber>& numbers) {
    std::vector<QString> out;
    for (const auto& n : numbers) out.push_back(n.text);
    return out;
}

class CLocale : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale::c()); }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }
};

} // namespace

TEST(GridLines, FifthsAreOddMultiplesOfFiveStepsAndTenthsTheMultiplesOfTen) {
    const TWorldRect v{0, 0, 60, 60};
    const vk::TGridLines g = ComputeGridLines(v, 1.5);
    EXPECT_EQ(g.fifthX, (std::vector<double>{7.5, 22.5, 37.5, 52.5}));
    EXPECT_EQ(g.tenthX, (std::vector<double>{0, 15, 30, 45, 60}));
    for (double k : g.fifthX) {
        EXPECT_NE(std::fmod(k, 15.0), 0.0) << "a fifth line on a multiple of 15: " << k;
    }
    EXPECT_EQ(g.fineX.front(), 0.0);
    EXPECT_EQ(g.fineX.back(), 60.0);
    EXPECT_EQ(g.fineX.size(), 41u);
}

TEST(GridLines, NegativeStartsTruncateTowardZero) {
    const struct {
        const char* name;
        double L;
        double firstFifth;
        double firstTenth;
    } cases[] = {
        {"start on a multiple of ten steps", -20, -7.5, -15},
        {"start between fifths", -10, -7.5, 0},
        {"start just before a fifth", -22.4, -22.5 + 15, -15},
    };
    for (const auto& c : cases) {
        const vk::TGridLines g = ComputeGridLines(TWorldRect{c.L, 0, 40, 10}, 1.5);
        ASSERT_FALSE(g.fifthX.empty()) << c.name;
        EXPECT_DOUBLE_EQ(g.fifthX.front(), c.firstFifth) << c.name;
        EXPECT_DOUBLE_EQ(g.tenthX.front(), c.firstTenth) << c.name;
    }
}

TEST(GridLines, AxesOnlyWhenTheOriginIsInView) {
    EXPECT_TRUE(ComputeGridLines(TWorldRect{-10, -10, 10, 10}, 1).axisX);
    EXPECT_TRUE(ComputeGridLines(TWorldRect{-10, -10, 10, 10}, 1).axisY);
    const vk::TGridLines off = ComputeGridLines(TWorldRect{100, 200, 300, 400}, 10);
    EXPECT_FALSE(off.axisX);
    EXPECT_FALSE(off.axisY);
    EXPECT_EQ(off.tenthX.front(), 100.0);
}

TEST_F(CLocale, RulerNumbersInMetres) {
    // 1 m per 10 grid steps of 100 mm; narrow texts never collide.
    const auto n = ComputeRulerNumbers(-2500, 3500, 100, 1000, fixedWidth(50));
    EXPECT_EQ(texts(n), (std::vector<QString>{"0", "1", "2", "3", "-1", "-2"}));
    const auto m = ComputeRulerNumbers(0, 6000, 150, 1000, fixedWidth(50));
    EXPECT_EQ(texts(m), (std::vector<QString>{"0", "1.5", "3", "4.5"}));
}

TEST(RulerNumbers, UseTheUsersDecimalSeparator) {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    const auto m = ComputeRulerNumbers(0, 4000, 150, 1000, fixedWidth(50));
    QLocale::setDefault(QLocale::system());
    ASSERT_GE(m.size(), 2u);
    EXPECT_EQ(m[1].text, QString("1,5"));
}

TEST_F(CLocale, CrowdedNumbersAreSkippedAndNeverOverlap) {
    for (double perChar : {5.0, 9.0, 14.0, 31.0, 60.0}) {
        const auto n = ComputeRulerNumbers(-1000, 1000, 5, 1, fixedWidth(perChar));
        // Sort the drawn boxes along the ruler and check the gaps.
        std::vector<std::pair<double, double>> boxes;
        for (const auto& r : n) boxes.push_back({r.K - r.extent / 2, r.K + r.extent / 2});
        std::sort(boxes.begin(), boxes.end());
        for (size_t i = 1; i < boxes.size(); ++i) {
            EXPECT_LT(boxes[i - 1].second, boxes[i].first)
                << "overlap at char width " << perChar;
        }
        // Every number but the "0" lies wholly inside the range.
        for (size_t i = 1; i < n.size(); ++i) {
            EXPECT_GE(n[i].K - n[i].extent / 2, -1000);
            EXPECT_LE(n[i].K + n[i].extent / 2, 1000);
        }
    }
}

TEST_F(CLocale, AViewFarFromTheOriginStillGetsItsNumbersQuickly) {
    const auto n = ComputeRulerNumbers(1e9, 1e9 + 5000, 100, 1000, fixedWidth(40));
    ASSERT_GT(n.size(), 2u);
    EXPECT_EQ(n[1].text, QString("1000001"));
}

TEST_F(CLocale, TrimZerosCutsTrailingZerosAndALoneSeparator) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {{"12.50", "12.5"}, {"10.00", "10"}, {"100", "100"}, {"0.05", "0.05"}, {"-3.10", "-3.1"}};
    for (const auto& c : cases) {
        EXPECT_EQ(vk::trimZeros(c.in), QString(c.out)) << c.in;
    }
}
