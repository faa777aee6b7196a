// Renders the windows of the program off screen. With VORKALO_SCREENSHOTS set
// to a folder, the pictures are written there to be looked at.

#include "app/ConfigForm.h"
#include "app/MainForm.h"
#include "model/Config.h"
#include "sheet/PlanSheet.h"
#include "sheet/SizeDialog.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPixmap>
#include <gtest/gtest.h>

namespace {

void keep(QWidget& w, const QString& name, bool fit = true) {
    if (fit) {
        w.adjustSize();
    }
    w.show();
    QApplication::processEvents();
    const QImage picture = w.grab().toImage();
    EXPECT_FALSE(picture.isNull()) << name.toStdString();
    EXPECT_GT(picture.width(), 50);
    const QString folder = qEnvironmentVariable("VORKALO_SCREENSHOTS");
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
        picture.save(folder + "/" + name + ".png");
    }
}

} // namespace

TEST(Screenshots, DialogsAndMainWindow) {
    vk::TGlobalConfig config;
    config.SetDefaults();
    vk::TCfgFrm settings(config);
    keep(settings, "settings");

    vk::TSizeDialog sizes;
    sizes.SetValues(50000, 50000, 25000, 25000.5f);
    keep(sizes, "sizes");

    vk::TfrmMain main;
    main.resize(1280, 800);
    main.ProjectPlanSheet->ShowMiniDisplay();
    main.ProjectPlanSheet->ShowElementInfo();
    main.ProjectPlanSheet->SetElementInfo(QString::fromUtf8("Отрезок\nДлина: 1,50 м\nУгол: 30,00"));
    main.ProjectPlanSheet->OnPSMiniPaint = [](QPainter&) {};
    main.show();
    QApplication::processEvents();
    main.ProjectPlanSheet->CenterOn(0, 0);
    QApplication::processEvents();
    keep(main, "main", false);
}
