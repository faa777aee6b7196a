// The dialog "Отчет" lays the report's labels out where the report says.

#include "app/ReportDialog.h"
#include "model/LaidTiles.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

using namespace vk;

TEST(ReportDialog, LabelsSwatchesAndButtonWhereTheReportPutsThem) {
    TReport report;
    report.Labels = {{20, 10, QStringLiteral("Площадь 1.00 кв.м.; общий периметр 4.00 м"), false},
                     {100, 90, QStringLiteral("Половинка"), true},
                     {116, 106, QStringLiteral("правая"), false}};
    report.Swatches = {{20, 74, 16, 0xFF0000FFu}};
    report.ButtonTop = 178;
    report.Height = 234;
    TReportDialog dialog(report);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Отчет"));
    // 300 pixels, wider only where this font needs room for the first line.
    EXPECT_GE(dialog.width(), 300);
    EXPECT_EQ(dialog.height(), 234);

    const QList<QLabel*> labels = dialog.findChildren<QLabel*>();
    int texts = 0;
    for (const QLabel* label : labels) {
        if (label->objectName() == QStringLiteral("swatch")) {
            EXPECT_EQ(label->geometry(), QRect(20, 74, 16, 16));
            EXPECT_EQ(label->palette().color(QPalette::Window), QColor(0, 0, 255));
            continue;
        }
        ++texts;
        if (label->text() == QStringLiteral("Половинка")) {
            EXPECT_EQ(label->pos(), QPoint(100, 90));
            EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(128, 128, 128));
        } else if (label->text() == QStringLiteral("правая")) {
            EXPECT_EQ(label->pos(), QPoint(116, 106));
            EXPECT_NE(label->palette().color(QPalette::WindowText), QColor(128, 128, 128));
        }
    }
    EXPECT_EQ(texts, 3);

    QPushButton* ok = dialog.findChild<QPushButton*>();
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->geometry().size(), QSize(75, 25));
    EXPECT_EQ(ok->geometry().top(), 178);
    EXPECT_NEAR(ok->geometry().center().x(), dialog.width() / 2, 1) << "centred";
    for (const QLabel* label : labels) {
        EXPECT_LE(label->geometry().right(), dialog.width()) << "nothing is cut off";
    }
    QTimer::singleShot(0, ok, &QPushButton::click);
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
}
