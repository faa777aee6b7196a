// The main window as a frame: start-up, commands, enabling, units.

#include "support/WindowTestUtil.h"
#include "app/ConfigForm.h"
#include "app/MainForm.h"
#include "model/Config.h"
#include "sheet/FloatingPanel.h"
#include "sheet/PlanSheet.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolBar>
#include <gtest/gtest.h>

using vk::TfrmMain;

using vk::test::onNextDialog;
using vk::test::captions;

namespace {

} // namespace

// The projects beside the program (the sample, the user's own) are set
// aside while a test needs the folder gone, and come back after it.
class TProjectsSetAside {
public:
    explicit TProjectsSetAside(QString folder) : m_folder(std::move(folder)), m_aside(m_folder + ".set-aside") {
        QDir(m_aside).removeRecursively();
        m_moved = QDir(m_folder).exists() && QDir().rename(m_folder, m_aside);
    }
    ~TProjectsSetAside() {
        QDir(m_folder).removeRecursively();
        if (m_moved) {
            QDir().rename(m_aside, m_folder);
        }
    }
    TProjectsSetAside(const TProjectsSetAside&) = delete;
    TProjectsSetAside& operator=(const TProjectsSetAside&) = delete;

private:
    QString m_folder;
    QString m_aside;
    bool m_moved = false;
};

TEST(MainWindow, StartUpCreatesProjectsOnceAndSetsCaptionAndUnits) {
    const QString projects = vk::ProjectsFolder();
    const TProjectsSetAside aside(projects);
    ASSERT_FALSE(QDir(projects).exists());
    {
        TfrmMain w;
        EXPECT_TRUE(QDir(projects).exists());
        EXPECT_EQ(w.windowTitle(), QString("Vorkalo"));
        EXPECT_EQ(w.BaseCaption(), QString("Vorkalo"));
        EXPECT_EQ(w.property("helpContext").toInt(), 6);
        EXPECT_EQ(w.ProjectPlanSheet->UnitFactor(), vk::GlobalConfig().DisplayUnits);
        EXPECT_FLOAT_EQ(w.ProjectPlanSheet->Scale(), 0.0075f);
        EXPECT_FLOAT_EQ(w.ProjectPlanSheet->SizeX(), 50000.0f);
        EXPECT_FLOAT_EQ(w.ProjectPlanSheet->PositiveY(), 25000.0f);
    }
    QFile marker(projects + "/keep.mpp");
    ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
    marker.write("x");
    marker.close();
    TfrmMain again;
    EXPECT_TRUE(QFile::exists(projects + "/keep.mpp")) << "starting again leaves the folder as it was";
}

TEST(MainWindow, MenusAndToolBarInTheirOrder) {
    TfrmMain w;
    QStringList bar;
    for (QAction* a : w.menuBar()->actions()) bar << a->text();
    EXPECT_EQ(bar, (QStringList{"Проекты", "Участок", "Редактор плиток", "Параметры", "Помощь"}));
    EXPECT_EQ(captions(w.mnuProjects->actions()),
              (QStringList{"Новый", "Открыть", "-", "Сохранить", "Сохранить как...", "-", "Импорт участка из DXF...",
                           "Экспорт", "-", "Выход"}));
    EXPECT_EQ(captions(w.mnuSite->actions()),
              (QStringList{"Отменить", "Повторить", "-", "Заполнить", "Отчет", "Ведомость материалов", "Комментарий", "-",
                           "Выбрать плитку", "Выбрать узор", "Ориентация кладки", "Подобрать начальную точку", "-",
                           "Начальная точка",
                           "Отрезок", "Дуга", "Отметить границу участка",
                           "Список границ участка", "-", "Отметить плитку",
                           "Размножить выделение", "Изменить цвет", "Сбросить выделение", "-",
                           "Размеры", "Масштаб", "Мини-дисплей"}));
    EXPECT_EQ(captions(w.mnuStartPoint->actions()),
              (QStringList{"Задать начальную точку", "Корректировать начальную точку"}));
    EXPECT_EQ(captions(w.mnuHelp->actions()),
              (QStringList{"Справка", "-", "Vorkalo в Интернете", "Письмо в тех.поддержку", "-",
                           "О программе..."}));
    QStringList tools;
    for (QAction* a : w.ToolBar->actions()) tools << (a->isSeparator() ? "-" : a->objectName());
    EXPECT_EQ(tools,
              (QStringList{"acNewProject", "acOpenProject", "acSaveProject", "acPrint",
                           "acPrintReg", "-", "acUndo", "acRedo", "-", "acLine", "acArc", "acSelectElement", "acPrStatus",
                           "acBorderList", "-", "acSelectTile", "acSelectCollage", "acOrientation",
                           "acStartPointSet", "-", "acFill1", "acFill", "acDelTiles", "-",
                           "acCheckParts", "-", "acPointer", "acFixSel", "acMultiplySelection",
                           "acSetColor", "acClearSelection", "-", "acAssignTexture",
                           "acDropTexture", "-", "acScaleUp", "acScaleDown", "acAskScale",
                           "acMinidisplay"}));
    // Every tool bar button has a picture of its own.
    for (QAction* a : w.ToolBar->actions()) {
        if (!a->isSeparator()) {
            EXPECT_FALSE(a->icon().isNull()) << a->objectName().toStdString();
        }
    }
}

TEST(MainWindow, CommandsCarryTheirCaptionsHintsAndKeys) {
    TfrmMain w;
    const struct {
        const char* name;
        const char* caption;
        const char* hint;
        const char* key;
    } cases[] = {
        {"acNewProject", "Новый", "Новый", "Ctrl+N"},
        {"acOpenProject", "Открыть", "Открыть", "Ctrl+O"},
        {"acSaveProject", "Сохранить", "Сохранить", "Ctrl+S"},
        {"acSelectElement", "Отметить границу участка",
         "Отметить границу участка. При большом увеличении удерживайте Ctrl", ""},
        {"acPointer", "Выделить плитку", "Отметить плитку", ""},
        {"acPrint", "Печать", "Печать проекта", ""},
        {"acParams", "Параметры", "Настройки программы ", ""},
        {"acHelp", "Справка", "Справка", "F1"},
        {"acOnLine", "Vorkalo в Интернете", "Домашняя страничка программы", ""},
        {"acSupport", "Письмо в тех.поддержку", "Написать письмо службе технической поддержки", ""},
    };
    for (const auto& c : cases) {
        QAction* a = w.Action(c.name);
        ASSERT_NE(a, nullptr) << c.name;
        EXPECT_EQ(a->text(), QString::fromUtf8(c.caption)) << c.name;
        EXPECT_EQ(a->toolTip(), QString::fromUtf8(c.hint)) << c.name;
        EXPECT_EQ(a->shortcut().toString(), QString(c.key)) << c.name;
    }
}

TEST(MainWindow, WithNoProjectOnlyTheAlwaysCommandsAreEnabled) {
    TfrmMain w;
    w.UpdateActions();
    const QStringList always{"acNewProject", "acOpenProject", "acExit", "acTileEditor",
                             "acEditPrimitive", "acDeletePrimitive", "acScaleUp", "acScaleDown",
                             "acAskScale", "acMinidisplay", "acParams", "acHelp", "acOnLine",
                             "acSupport", "acAbout",
                             // A drawing's site begins a project of its own.
                             "acImportDxf"};
    for (QAction* a : w.Actions()) {
        EXPECT_EQ(a->isEnabled(), always.contains(a->objectName()))
            << a->objectName().toStdString();
    }
}

TEST(MainWindow, ZoomButtonsDoubleAndHalveAroundTheCentre) {
    TfrmMain w;
    w.resize(1200, 800);
    w.show();
    QApplication::processEvents();
    w.ProjectPlanSheet->SetScale(0.05);
    w.ProjectPlanSheet->CenterOn(3000, 2000);
    const QPointF centre = w.ProjectPlanSheet->GetViewCenter();
    w.Action("acScaleUp")->trigger();
    EXPECT_FLOAT_EQ(w.ProjectPlanSheet->Scale(), 0.1f);
    EXPECT_NEAR(w.ProjectPlanSheet->GetViewCenter().x(), centre.x(), 10.0);
    w.Action("acScaleDown")->trigger();
    w.Action("acScaleDown")->trigger();
    EXPECT_FLOAT_EQ(w.ProjectPlanSheet->Scale(), 0.025f);
}

TEST(MainWindow, MiniDisplayButtonFollowsThePanel) {
    TfrmMain w;
    w.show();
    QApplication::processEvents();
    QAction* mini = w.Action("acMinidisplay");
    mini->trigger();
    EXPECT_TRUE(mini->isChecked());
    EXPECT_TRUE(w.ProjectPlanSheet->FMiniDisplay->isVisible());
    // Closing the panel with its own button raises the tool bar button.
    w.ProjectPlanSheet->OnPSMiniButtonClick();
    EXPECT_FALSE(mini->isChecked());
}

TEST(MainWindow, SettingsWithoutAUnitChangeLeaveTheScaleAndWithOneKeepTheNumber) {
    TfrmMain w;
    vk::GlobalConfig().DisplayUnits = 100;
    w.ProjectPlanSheet->SetUnits(100);
    w.ProjectPlanSheet->SetScale(0.0075);

    onNextDialog<vk::TCfgFrm>([](vk::TCfgFrm* d) { d->btnOk->click(); });
    w.acParamsExecute();
    EXPECT_FLOAT_EQ(w.ProjectPlanSheet->Scale(), 0.0075f);
    EXPECT_EQ(w.ProjectPlanSheet->UnitFactor(), 100);

    onNextDialog<vk::TCfgFrm>([](vk::TCfgFrm* d) {
        d->rgUnits->button(2)->click(); // "мм"
        d->btnOk->click();
    });
    w.acParamsExecute();
    EXPECT_EQ(w.ProjectPlanSheet->UnitFactor(), 1);
    EXPECT_FLOAT_EQ(w.ProjectPlanSheet->Scale(), 0.75f);
    EXPECT_EQ(w.ProjectPlanSheet->GetUnitName(), QString("мм"));

    onNextDialog<vk::TCfgFrm>([](vk::TCfgFrm* d) {
        d->rgUnits->button(0)->click();
        d->btnCancel->click();
    });
    w.acParamsExecute();
    EXPECT_EQ(w.ProjectPlanSheet->UnitFactor(), 1) << "Cancel changes nothing";
    // OK stored the settings: put the defaults back for the windows made later.
    vk::GlobalConfig().SetDefaults();
    vk::GlobalConfig().Save();
}

TEST(MainWindow, OpensCentredOnTheOrigin) {
    TfrmMain w;
    w.resize(1000, 700);
    w.ProjectPlanSheet->SetScale(0.05);
    w.show();
    QApplication::processEvents();
    const QPointF c = w.ProjectPlanSheet->GetViewCenter();
    const double pixel = 1.0 / w.ProjectPlanSheet->Geometry().K();
    EXPECT_NEAR(c.x(), 0.0, pixel + 1e-3);
    EXPECT_NEAR(c.y(), 0.0, pixel + 1e-3);
}
