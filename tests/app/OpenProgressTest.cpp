// Opening and saving a large project in the main window: the progress the
// user watches, and an open the user stops.

#include "app/MainForm.h"
#include "library/StarterLibrary.h"
#include "library/TileDB.h"
#include "model/Project.h"
#include "sheet/WidgetUserInterface.h"
#include "support/CliRun.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProgressDialog>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace vk;

namespace {

QJsonArray pt(double x, double y) { return QJsonArray{x, y}; }
QJsonObject seg(double x0, double y0, double x1, double y1) {
    return QJsonObject{{"segment", QJsonArray{pt(x0, y0), pt(x1, y1)}}};
}

class OpenProgress : public ::testing::Test {
protected:
    void SetUp() override {
        QFile description(QStringLiteral(STARTER_DESCRIPTION));
        ASSERT_TRUE(description.open(QIODevice::ReadOnly));
        library = std::make_unique<TTileDB>(dir.file("DB"));
        WriteStarterLibrary(ReadStarterDescription(description.readAll()), *library);
    }

    // A site of w x h mm laid with the starter paver by the command-line
    // tool, saved as `name`.
    QString laidFile(const QString& name, double w, double h) {
        const QJsonObject scene{{"tile", QJsonObject{{"library", "Брусчатка 200×100×60"}}},
                                {"pattern", QJsonObject{{"library", "Вперевязку"}}},
                                {"border", QJsonArray{seg(0, 0, w, 0), seg(w, 0, w, h), seg(w, h, 0, h), seg(0, h, 0, 0)}},
                                {"start", pt(-100, 0)}};
        const QString scenePath = dir.file(name + ".json");
        QFile file(scenePath);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QJsonDocument(scene).toJson());
        file.close();
        const QString path = dir.file(name + ".mpp");
        const test::TResult cli = test::runProgram(QStringLiteral(CLI_TOOL), {"fill", scenePath, "--db", dir.file("DB"), "-o", path});
        EXPECT_EQ(cli.code, 0) << cli.err.toStdString();
        return path;
    }

    test::TTempDir dir;
    std::unique_ptr<TTileDB> library;
};

} // namespace

TEST_F(OpenProgress, AnOpenStoppedByTheUserLeavesTheCurrentProject) {
    test::TScriptedUi ui;
    const QString small = laidFile("Малый", 4000, 3000);
    const QString large = laidFile("Большой", 12000, 6000);
    TfrmMain window;
    window.show();
    ASSERT_TRUE(window.OpenProjectFile(small));
    TProject* current = window.Project();
    const int tiles = current->LaidTiles().Count();
    ASSERT_EQ(window.windowTitle(), QString("Vorkalo - Малый"));

    // Stopped among the tiles of the large file, after the reading began to
    // fill a project.
    ui.progresses.clear();
    ui.cancelProgressAt(4);
    EXPECT_FALSE(window.OpenProjectFile(large));
    ASSERT_EQ(ui.progresses.size(), 1u);
    EXPECT_EQ(ui.progresses[0].text, QStringLiteral("Открытие проекта…"));
    EXPECT_EQ(ui.progresses[0].reports.size(), 4u);
    EXPECT_EQ(window.Project(), current);
    EXPECT_EQ(current->LaidTiles().Count(), tiles);
    EXPECT_EQ(current->FileName, small);
    EXPECT_EQ(window.windowTitle(), QString("Vorkalo - Малый")) << "the stopped reading named no project";
    EXPECT_TRUE(ui.messages.empty());

    // Not stopped, the same file replaces it.
    ASSERT_TRUE(window.OpenProjectFile(large));
    EXPECT_NE(window.Project()->LaidTiles().Count(), tiles);
    EXPECT_EQ(window.windowTitle(), QString("Vorkalo - Большой"));
    EXPECT_TRUE(ui.allAnswersUsed());
}

// The window the user watches: modal to its window, with the task's text,
// "Отмена" only where the task can be stopped.
TEST(ProgressWindow, OffersToStopOnlyWhatCanBeStopped) {
    TWidgetUserInterface widgets;
    const auto shown = [] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* d = qobject_cast<QProgressDialog*>(w)) {
                return d;
            }
        }
        return static_cast<QProgressDialog*>(nullptr);
    };
    {
        const std::unique_ptr<TProgress> opening = widgets.progress(QStringLiteral("Открытие проекта…"), 200, true);
        QProgressDialog* dialog = shown();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
        EXPECT_EQ(dialog->labelText(), QStringLiteral("Открытие проекта…"));
        auto* cancel = dialog->findChild<QPushButton*>();
        ASSERT_NE(cancel, nullptr);
        EXPECT_EQ(cancel->text(), QStringLiteral("Отмена"));
        EXPECT_TRUE(opening->report(50));
        cancel->click();
        EXPECT_FALSE(opening->report(60));
    }
    EXPECT_EQ(shown(), nullptr) << "the window goes with the task";
    {
        const std::unique_ptr<TProgress> saving = widgets.progress(QStringLiteral("Сохранение проекта…"), 200, false);
        QProgressDialog* dialog = shown();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->findChild<QPushButton*>(), nullptr);
        dialog->cancel(); // Escape
        EXPECT_TRUE(saving->report(100)) << "a save is never stopped";
    }
}
