#include "app/MainForm.h"

#include "app/About.h"
#include "app/ConfigForm.h"
#include "app/ExternalLinks.h"
#include "app/HelpViewer.h"
#include "app/Icons.h"
#include "model/Config.h"
#include "sheet/PlanSheet.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QMenuBar>
#include <QToolBar>

namespace vk {

TfrmMain::TfrmMain(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Vorkalo"));
    setProperty("helpContext", HelpContext);

    ProjectPlanSheet = new TPlanSheet(this);
    ProjectPlanSheet->setObjectName(QStringLiteral("ProjectPlanSheet"));
    setCentralWidget(ProjectPlanSheet);
    // The main window's sheet: a 50 x 50 m site with the origin in its middle.
    ProjectPlanSheet->SetGeometry(50000.0f, 50000.0f, 25000.0f, 25000.0f);
    ProjectPlanSheet->SetScale(0.0075);
    ProjectPlanSheet->RoundCoordinates = true;

    buildActions();
    buildMenus();
    buildToolBar();

    // Start-up of the window, in this order.
    QApplication::setApplicationName(QStringLiteral("Vorkalo"));
    ForceFolder(ProjectsFolder());
    GlobalConfig().SetDefaults();
    GlobalConfig().Load();
    m_helpFile = HelpFolder() + QStringLiteral("/index.html");
    m_baseCaption = windowTitle();
    ProjectPlanSheet->AddViewMenuItems(mnuSite);
    ProjectPlanSheet->SetUnits(GlobalConfig().DisplayUnits);

    ProjectPlanSheet->OnPSMiniButtonClick = [this] { Action("acMinidisplay")->setChecked(false); };
    ProjectPlanSheet->OnPSPrStatusButtonClick = [this] { Action("acPrStatus")->setChecked(false); };

    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance()) {
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this,
                &TfrmMain::UpdateActions);
    }
    UpdateActions();
}

TfrmMain::~TfrmMain() = default;

QAction* TfrmMain::makeAction(const char* name, const QString& caption, const QString& hint,
                              TEnable rule, bool checkable) {
    auto* action = new QAction(caption, this);
    action->setObjectName(QLatin1String(name));
    action->setToolTip(hint.isEmpty() ? caption : hint);
    action->setStatusTip(hint.isEmpty() ? caption : hint);
    action->setCheckable(checkable);
    action->setIcon(MakeIcon(QLatin1String(name)));
    action->setIconVisibleInMenu(false);
    m_rules.push_back({action, rule});
    return action;
}

void TfrmMain::buildActions() {
    using E = TEnable;
    auto* acNew = makeAction("acNewProject", QStringLiteral("Новый"), {}, E::Always);
    acNew->setShortcut(QKeySequence(QStringLiteral("Ctrl+N")));
    auto* acOpen = makeAction("acOpenProject", QStringLiteral("Открыть"), {}, E::Always);
    acOpen->setShortcut(QKeySequence(QStringLiteral("Ctrl+O")));
    auto* acSave = makeAction("acSaveProject", QStringLiteral("Сохранить"), {}, E::Project);
    acSave->setShortcut(QKeySequence(QStringLiteral("Ctrl+S")));
    makeAction("acSaveProjectAs", QStringLiteral("Сохранить как..."), {}, E::Never);
    auto* acExit = makeAction("acExit", QStringLiteral("Выход"), {}, E::Always);
    connect(acExit, &QAction::triggered, this, &QWidget::close);

    makeAction("acTileEditor", QStringLiteral("Редактор плиток"), {}, E::Always);
    makeAction("acSelectTile", QStringLiteral("Выбрать плитку"), {}, E::Project);
    makeAction("acSelectCollage", QStringLiteral("Выбрать узор"), {}, E::Project);
    makeAction("acOrientation", QStringLiteral("Ориентация кладки"), {}, E::Project);
    makeAction("acFill", QStringLiteral("Заполнить"), {}, E::Project);
    makeAction("acFill1", QStringLiteral("Положить один узор"), {}, E::Project);
    makeAction("acDelTiles", QStringLiteral("Удалить плитки"), {}, E::ProjectWithLaidTiles);
    makeAction("acReport", QStringLiteral("Отчет"), {}, E::Project);
    makeAction("acEditComment", QStringLiteral("Комментарий"), {}, E::Project);
    makeAction("acBorderList", QStringLiteral("Список границ участка"), {}, E::Project);
    makeAction("acLine", QStringLiteral("Отрезок"), {}, E::Project, true);
    makeAction("acMenuLine", QStringLiteral("Отрезок"), {}, E::Project, true);
    makeAction("acArc", QStringLiteral("Дуга"), {}, E::Project, true);
    makeAction("acMenuArc", QStringLiteral("Дуга"), {}, E::Project, true);
    makeAction("acStartPointSet", QStringLiteral("Задать начальную точку"), {},
               E::ProjectWithBorder, true);
    makeAction("acMenuStartPointSet", QStringLiteral("Задать начальную точку"), {},
               E::ProjectWithBorder, true);
    makeAction("acStartPointEdit", QStringLiteral("Корректировать начальную точку"), {},
               E::ProjectWithBorder);
    makeAction("acSelectElement", QStringLiteral("Отметить границу участка"),
               QStringLiteral("Отметить границу участка. При большом увеличении удерживайте Ctrl"),
               E::ProjectWithBorder, true);
    makeAction("acEditPrimitive", QStringLiteral("Редактировать"), {}, E::Always);
    makeAction("acDeletePrimitive", QStringLiteral("Удалить"), {}, E::Always);
    makeAction("acPointer", QStringLiteral("Выделить плитку"), QStringLiteral("Отметить плитку"),
               E::ProjectWithLaidTiles, true);
    makeAction("acMenuPointer", QStringLiteral("Отметить плитку"), {}, E::ProjectWithLaidTiles,
               true);
    makeAction("acFixSel", QStringLiteral("Запомнить выделенные плитки"), {},
               E::ProjectWithMarkedTiles);
    makeAction("acMultiplySelection", QStringLiteral("Размножить выделение"), {},
               E::ProjectWithLaidAndMarkedTiles);
    makeAction("acSetColor", QStringLiteral("Изменить цвет"), {}, E::ProjectWithMarkedTiles);
    makeAction("acClearSelection", QStringLiteral("Сбросить выделение"), {},
               E::ProjectWithMarkedTiles);
    makeAction("acAssignTexture", QStringLiteral("Назначить текстуру"), {}, E::Project);
    makeAction("acDropTexture", QStringLiteral("Удалить текстуру"), {}, E::ProjectWithTexture);
    makeAction("acPrint", QStringLiteral("Печать"), QStringLiteral("Печать проекта"), E::Project);
    makeAction("acPrintReg", QStringLiteral("Выделить область для печати"), {}, E::Project, true);
    makeAction("acCheckParts", QStringLiteral("Проверить половинки"), {}, E::Project, true);

    auto* acScaleUp = makeAction("acScaleUp", QStringLiteral("Увеличить"), {}, E::Always);
    connect(acScaleUp, &QAction::triggered, this, [this] { ProjectPlanSheet->ZoomIn(); });
    auto* acScaleDown = makeAction("acScaleDown", QStringLiteral("Уменьшить"), {}, E::Always);
    connect(acScaleDown, &QAction::triggered, this, [this] { ProjectPlanSheet->ZoomOut(); });
    auto* acAskScale = makeAction("acAskScale", QStringLiteral("Масштаб"), {}, E::Always);
    connect(acAskScale, &QAction::triggered, this, [this] { ProjectPlanSheet->AskScale(); });
    auto* acMini = makeAction("acMinidisplay", QStringLiteral("Мини-дисплей"), {}, E::Always, true);
    connect(acMini, &QAction::toggled, this, [this](bool down) {
        if (down) {
            ProjectPlanSheet->ShowMiniDisplay();
        } else {
            ProjectPlanSheet->HideMiniDisplay();
        }
    });
    auto* acPrStatus =
        makeAction("acPrStatus", QStringLiteral("Информация об элементе"), {}, E::Project, true);
    connect(acPrStatus, &QAction::toggled, this, [this](bool down) {
        if (down) {
            ProjectPlanSheet->ShowElementInfo();
        } else {
            ProjectPlanSheet->HideElementInfo();
        }
    });
    auto* acParams = makeAction("acParams", QStringLiteral("Параметры"),
                                QStringLiteral("Настройки программы "), E::Always);
    connect(acParams, &QAction::triggered, this, &TfrmMain::acParamsExecute);

    auto* acHelp = makeAction("acHelp", QStringLiteral("Справка"), {}, E::Always);
    acHelp->setShortcut(QKeySequence(Qt::Key_F1));
    connect(acHelp, &QAction::triggered, this, [] { ShowHelpContents(); });
    auto* acOnLine = makeAction("acOnLine", QStringLiteral("Vorkalo в Интернете"),
                                QStringLiteral("Домашняя страничка программы"), E::Always);
    connect(acOnLine, &QAction::triggered, this, [] { OpenHomePage(); });
    auto* acSupport = makeAction("acSupport", QStringLiteral("Письмо в тех.поддержку"),
                                 QStringLiteral("Написать письмо службе технической поддержки"),
                                 E::Always);
    connect(acSupport, &QAction::triggered, this, [] { ComposeSupportMail(); });
    auto* acAbout = makeAction("acAbout", QStringLiteral("О программе..."), {}, E::Always);
    connect(acAbout, &QAction::triggered, this, [this] { TfrmAbout::Execute(this); });

    // At most one drawing tool is down; each may be raised so that none is.
    m_drawGroup = new QActionGroup(this);
    m_drawGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (const char* name : {"acLine", "acArc", "acSelectElement"}) {
        m_drawGroup->addAction(Action(QLatin1String(name)));
    }
}

void TfrmMain::buildMenus() {
    QMenuBar* bar = menuBar();
    mnuProjects = bar->addMenu(QStringLiteral("Проекты"));
    mnuProjects->addAction(Action("acNewProject"));
    mnuProjects->addAction(Action("acOpenProject"));
    mnuProjects->addSeparator();
    mnuProjects->addAction(Action("acSaveProject"));
    mnuProjects->addAction(Action("acSaveProjectAs"));
    mnuProjects->addSeparator();
    mnuProjects->addAction(Action("acExit"));

    mnuSite = bar->addMenu(QStringLiteral("Участок"));
    mnuSite->addAction(Action("acFill"));
    mnuSite->addAction(Action("acReport"));
    mnuSite->addAction(Action("acEditComment"));
    mnuSite->addSeparator();
    mnuSite->addAction(Action("acSelectTile"));
    mnuSite->addAction(Action("acSelectCollage"));
    mnuSite->addAction(Action("acOrientation"));
    mnuSite->addSeparator();
    mnuStartPoint = mnuSite->addMenu(QStringLiteral("Начальная точка"));
    mnuStartPoint->addAction(Action("acMenuStartPointSet"));
    mnuStartPoint->addAction(Action("acStartPointEdit"));
    mnuSite->addAction(Action("acMenuLine"));
    mnuSite->addAction(Action("acMenuArc"));
    mnuSite->addAction(Action("acSelectElement"));
    mnuSite->addAction(Action("acBorderList"));
    mnuSite->addSeparator();
    mnuSite->addAction(Action("acMenuPointer"));
    mnuSite->addAction(Action("acMultiplySelection"));
    mnuSite->addAction(Action("acSetColor"));
    mnuSite->addAction(Action("acClearSelection"));
    mnuSite->addSeparator();

    bar->addAction(Action("acTileEditor"));
    bar->addAction(Action("acParams"));

    mnuHelp = bar->addMenu(QStringLiteral("Помощь"));
    mnuHelp->addAction(Action("acHelp"));
    mnuHelp->addSeparator();
    mnuHelp->addAction(Action("acOnLine"));
    mnuHelp->addAction(Action("acSupport"));
    mnuHelp->addSeparator();
    mnuHelp->addAction(Action("acAbout"));
}

void TfrmMain::buildToolBar() {
    ToolBar = addToolBar(QStringLiteral("Панель инструментов"));
    ToolBar->setObjectName(QStringLiteral("ToolBar"));
    ToolBar->setMovable(false);
    ToolBar->setIconSize(QSize(24, 24));
    const char* const layout[] = {
        "acNewProject", "acOpenProject", "acSaveProject", "acPrint", "acPrintReg", nullptr,
        "acLine", "acArc", "acSelectElement", "acPrStatus", "acBorderList", nullptr,
        "acSelectTile", "acSelectCollage", "acOrientation", "acStartPointSet", nullptr,
        "acFill1", "acFill", "acDelTiles", nullptr,
        "acCheckParts", nullptr,
        "acPointer", "acFixSel", "acMultiplySelection", "acSetColor", "acClearSelection", nullptr,
        "acAssignTexture", "acDropTexture", nullptr,
        "acScaleUp", "acScaleDown", "acAskScale", "acMinidisplay"};
    for (const char* name : layout) {
        if (name == nullptr) {
            ToolBar->addSeparator();
        } else {
            ToolBar->addAction(Action(QLatin1String(name)));
        }
    }
}

QAction* TfrmMain::Action(const QString& name) const {
    for (const Rule& r : m_rules) {
        if (r.action->objectName() == name) {
            return r.action;
        }
    }
    return nullptr;
}

QList<QAction*> TfrmMain::Actions() const {
    QList<QAction*> list;
    for (const Rule& r : m_rules) {
        list.append(r.action);
    }
    return list;
}

bool TfrmMain::IsEnabled(TEnable rule) const {
    switch (rule) {
    case TEnable::Always:
        return true;
    case TEnable::Never:
        return false;
    case TEnable::Project:
    case TEnable::ProjectWithBorder:
    case TEnable::ProjectWithLaidTiles:
    case TEnable::ProjectWithMarkedTiles:
    case TEnable::ProjectWithLaidAndMarkedTiles:
    case TEnable::ProjectWithTexture:
        return HasProject();
    }
    return false;
}

void TfrmMain::UpdateActions() {
    for (const Rule& r : m_rules) {
        const bool enabled = IsEnabled(r.rule);
        if (r.action->isEnabled() != enabled) {
            r.action->setEnabled(enabled);
        }
    }
}

void TfrmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!m_centredOnce) {
        m_centredOnce = true;
        ProjectPlanSheet->PostCenterView(0, 0);
    }
}

void TfrmMain::acParamsExecute() {
    const int oldFactor = ProjectPlanSheet->UnitFactor();
    if (TCfgFrm::EditSettings(GlobalConfig(), this)) {
        GlobalConfig().Save();
    }
    if (GlobalConfig().DisplayUnits != oldFactor) {
        ProjectPlanSheet->ChangeUnits(GlobalConfig().DisplayUnits);
    }
}

} // namespace vk
