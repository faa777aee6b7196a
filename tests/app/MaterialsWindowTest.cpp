// "Ведомость материалов": the table of a laid site, its inputs and what its
// buttons copy, save and print.

#include "app/HelpViewer.h"
#include "app/MaterialsWindow.h"
#include "model/Counting.h"
#include "model/FillTestSupport.h"
#include "model/Parts.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"
#include "support/WindowTestUtil.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLocale>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QSpinBox>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

using namespace vk;
using namespace vk::test;

namespace {

// 200 x 100 pavers with interchangeable halves on a 1 m square, the top row
// red: grey 36 whole and 18 halves, red 4 whole and 2 halves.
class MaterialsWindow : public ::testing::Test {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale::c());
        ProgramSettings().remove(QStringLiteral("Materials"));
        const QJsonObject halves{{"name", "Половинка"},
                                 {"equals", true},
                                 {"cuts", QJsonArray{segment(100, 0, 100, 100)}},
                                 {"halves", QJsonArray{QJsonObject{{"name", "левая"}, {"rect", QJsonArray{pt(-1, -1), pt(101, 101)}}},
                                                       QJsonObject{{"name", "правая"}, {"rect", QJsonArray{pt(99, -1), pt(201, 101)}}}}}};
        QJsonObject tile = rectTile(200, 100, QJsonArray{halves});
        tile["name"] = "Брусчатка";
        tile["thickness"] = 60;
        rig.load(QJsonObject{{"tile", tile},
                             {"pattern", simplePattern(QJsonArray{pt(200, 0), pt(0, 100)})},
                             {"border", rect(0, 0, 1000, 1000)},
                             {"start", pt(-100, 0)}});
        ASSERT_TRUE(rig.fill());
        TTileList& laid = rig.project->LaidTiles();
        for (int i = 0; i < laid.Count(); ++i) {
            TTileContainer& t = laid.Items(i);
            if (t.BasePointKey().Y == 900) {
                RemoveHalf(laid.Group(t)->Counters, t.PartID, t.ContourID, 1);
                laid.SetColor(t, 0xFFFF0000u);
                AddHalf(laid.Group(t)->Counters, t.PartID, t.ContourID, 1, QString(), QStringLiteral("Половинка"),
                        true);
            }
        }
    }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }

    // The cells as the table shows them, row by row.
    static QList<QStringList> shown(const TfrmMaterials& window) {
        QList<QStringList> rows;
        const QAbstractItemModel* model = window.Table->model();
        for (int r = 0; r < model->rowCount(); ++r) {
            QStringList row;
            for (int c = 0; c < model->columnCount(); ++c) {
                row << model->index(r, c).data().toString();
            }
            rows << row;
        }
        return rows;
    }

    TFillRig rig;
};

const QStringList kHeadings{"Цвет", "Целых", "На половинки", "Всего плиток", "С запасом", "Площадь, кв.м.", "Упаковок"};

} // namespace

TEST_F(MaterialsWindow, TableFollowsTheInputsWhichAreRemembered) {
    TfrmMaterials window(*rig.project);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Ведомость материалов"));
    EXPECT_EQ(window.lblTile->text(), QStringLiteral("Плитка \"Брусчатка\", толщина 60 мм, площадь 0.02 кв.м."));
    EXPECT_EQ(window.edWaste->value(), 5.0) << "the first time";
    EXPECT_EQ(window.edPack->value(), 0);
    EXPECT_EQ(window.edPack->text(), QStringLiteral("не задано"));
    QStringList headings;
    for (int c = 0; c < window.Table->model()->columnCount(); ++c) {
        headings << window.Table->model()->headerData(c, Qt::Horizontal).toString();
    }
    EXPECT_EQ(headings, kHeadings);
    EXPECT_EQ(shown(window), (QList<QStringList>{{"#ffe5e5e5", "36", "9", "45", "48", "0.96", ""},
                                                 {"#ffff0000", "4", "1", "5", "6", "0.12", ""},
                                                 {"Итого", "40", "10", "50", "54", "1.08", ""}}));

    window.edWaste->setValue(0);
    window.edPack->setValue(4);
    EXPECT_EQ(shown(window), (QList<QStringList>{{"#ffe5e5e5", "36", "9", "45", "45", "0.90", "12"},
                                                 {"#ffff0000", "4", "1", "5", "5", "0.10", "2"},
                                                 {"Итого", "40", "10", "50", "50", "1.00", "14"}}));

    TfrmMaterials again(*rig.project);
    EXPECT_EQ(again.edWaste->value(), 0.0);
    EXPECT_EQ(again.edPack->value(), 4);
    EXPECT_EQ(again.Materials().Total.Packs, 14);
}

TEST_F(MaterialsWindow, SortingMovesTheColoursAndKeepsTheTotalsLast) {
    TfrmMaterials window(*rig.project);
    const auto firstColumn = [&window] {
        QStringList cells;
        for (const QStringList& row : shown(window)) {
            cells << row.first();
        }
        return cells;
    };
    window.Table->sortByColumn(3, Qt::AscendingOrder);
    EXPECT_EQ(firstColumn(), (QStringList{"#ffff0000", "#ffe5e5e5", "Итого"})) << "5 tiles before 45";
    window.Table->sortByColumn(3, Qt::DescendingOrder);
    EXPECT_EQ(firstColumn(), (QStringList{"#ffe5e5e5", "#ffff0000", "Итого"}));
}

TEST_F(MaterialsWindow, CopyGivesTabSeparatedTextAndCtrlCTheWholeSelectedRowNotOneCell) {
    TfrmMaterials window(*rig.project);
    window.btnCopy->click();
    EXPECT_EQ(QApplication::clipboard()->text(),
              QStringLiteral("Цвет\tЦелых\tНа половинки\tВсего плиток\tС запасом\tПлощадь, кв.м.\tУпаковок\n"
                             "#ffe5e5e5\t36\t9\t45\t48\t0.96\t\n"
                             "#ffff0000\t4\t1\t5\t6\t0.12\t\n"
                             "Итого\t40\t10\t50\t54\t1.08\t\n"));

    // Ctrl+C copies the selected cells as the table shows them.
    window.Table->sortByColumn(3, Qt::AscendingOrder);
    window.Table->selectRow(0);
    window.show();
    window.Table->setFocus();
    QTest::keyClick(window.Table, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("#ffff0000\t4\t1\t5\t6\t0.12\t\n"));
}

TEST_F(MaterialsWindow, SaveCsvWritesTheFileAndAsksBeforeReplacingOne) {
    TScriptedUi ui;
    TTempDir dir;
    const QString path = dir.file("Ведомость.csv");
    TfrmMaterials window(*rig.project);
    window.edPack->setValue(10);
    const QByteArray expected = QByteArray("\xEF\xBB\xBF") +
                                QStringLiteral("Цвет;Целых;На половинки;Всего плиток;С запасом;Площадь, кв.м.;Упаковок\n"
                                               "#ffe5e5e5;36;9;45;48;0.96;5\n"
                                               "#ffff0000;4;1;5;6;0.12;1\n"
                                               "Итого;40;10;50;54;1.08;6\n")
                                    .toUtf8();
    ui.chooseFile(dir.file("Ведомость"));
    EXPECT_TRUE(window.SaveCsv());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "\".csv\" is added to a name without one";
    EXPECT_EQ(file.readAll(), expected);
    file.close();
    ASSERT_EQ(ui.fileDialogs.size(), 1u);
    EXPECT_TRUE(ui.fileDialogs[0].save);
    EXPECT_TRUE(ui.fileDialogs[0].filter.contains(QStringLiteral("*.csv")));

    // The file is there: No goes back to the dialog, and Cancel there keeps it.
    window.edPack->setValue(0);
    ui.chooseFile(path);
    ui.answer(TAnswer::No);
    ui.chooseFile(std::nullopt);
    EXPECT_FALSE(window.SaveCsv());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), expected);
    file.close();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.messages[0].text.contains(QStringLiteral("Заменить")));
}

TEST_F(MaterialsWindow, PrintHandsThePageToThePrintPath) {
    TfrmMaterials window(*rig.project);
    QString title;
    QString html;
    window.Printer = [&](QWidget*, const QString& t, const QString& h) {
        title = t;
        html = h;
    };
    window.btnPrint->click();
    EXPECT_EQ(title, QStringLiteral("Ведомость материалов"));
    for (const char* text : {"Брусчатка", "толщина 60 мм", "Запас, %: 5", "Упаковок", "#ffff0000", "Итого", "1.08"}) {
        EXPECT_TRUE(html.contains(QString::fromUtf8(text))) << text;
    }
}

// Kept where VORKALO_SCREENSHOTS names a folder, as the other windows' pictures.
TEST_F(MaterialsWindow, PictureOfTheWindow) {
    TfrmMaterials window(*rig.project);
    window.edPack->setValue(10);
    window.show();
    QApplication::processEvents();
    const QImage picture = window.grab().toImage();
    ASSERT_FALSE(picture.isNull());
    const QString folder = qEnvironmentVariable("VORKALO_SCREENSHOTS");
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
        picture.save(folder + "/materials.png");
    }
}

TEST_F(MaterialsWindow, HelpButtonAndF1OpenItsPage) {
    TfrmMaterials window(*rig.project);
    InstallHelp();
    CloseHelp();
    window.btnHelp->click();
    ASSERT_NE(HelpWindow(), nullptr);
    EXPECT_EQ(HelpWindow()->CurrentPage(), QStringLiteral("ctx61.html"));
    CloseHelp();
    window.show();
    window.edWaste->setFocus();
    QTest::keyClick(window.edWaste, Qt::Key_F1);
    ASSERT_NE(HelpWindow(), nullptr);
    EXPECT_EQ(HelpWindow()->CurrentPage(), QStringLiteral("ctx61.html"));
    CloseHelp();
}

TEST_F(MaterialsWindow, PrintOpensThePreviewOfOnePage) {
    TfrmMaterials window(*rig.project);
    int pages = -1;
    onNextDialog<QPrintPreviewDialog>([&pages](QPrintPreviewDialog* preview) {
        const auto* view = preview->findChild<QPrintPreviewWidget*>();
        pages = view != nullptr ? view->pageCount() : -1;
        const QString folder = qEnvironmentVariable("VORKALO_SCREENSHOTS");
        if (!folder.isEmpty()) {
            preview->resize(900, 700);
            QApplication::processEvents();
            preview->grab().save(folder + "/materials-print.png");
        }
        preview->reject();
    });
    window.btnPrint->click();
    EXPECT_EQ(pages, 1);
}
