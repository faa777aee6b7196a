#include "app/MainForm.h"

#include "app/About.h"
#include "app/ConfigForm.h"
#include "app/EditComment.h"
#include "app/ExternalLinks.h"
#include "app/HelpViewer.h"
#include "app/Icons.h"
#include "app/LittleDialog.h"
#include "app/ReportDialog.h"
#include "commands/ElementCommands.h"
#include "commands/ElementEdit.h"
#include "editors/ElementListEditor.h"
#include "editors/SelectTile.h"
#include "geometry/GraphicPrimitive.h"
#include "geometry/NumberFormat.h"
#include "ui/UserInterface.h"
#include "model/Collage.h"
#include "model/Config.h"
#include "model/Project.h"
#include "model/ProjectCommands.h"
#include "model/Tile.h"
#include "model/TileLibrary.h"
#include "sheet/PlanSheet.h"
#include "sheet/PrimEditWindow.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>
#include <QUndoStack>
#include <cmath>

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
    buildUndoActions();

    // Start-up of the window, in this order.
    QApplication::setApplicationName(QStringLiteral("Vorkalo"));
    ForceFolder(ProjectsFolder());
    GlobalConfig().SetDefaults();
    GlobalConfig().Load();
    m_helpFile = HelpFolder() + QStringLiteral("/index.html");
    m_baseCaption = windowTitle();
    ProjectPlanSheet->AddViewMenuItems(mnuSite);
    ProjectPlanSheet->SetUnits(GlobalConfig().DisplayUnits);

    bindSheet();

    FillProgressLabel = new QLabel(this);
    FillProgressLabel->setObjectName(QStringLiteral("FillProgressLabel"));
    FillCancelButton = new QPushButton(QStringLiteral("Прервать заполнение"), this);
    FillCancelButton->setObjectName(QStringLiteral("FillCancelButton"));
    connect(FillCancelButton, &QPushButton::clicked, this, [this] {
        if (m_project && m_project->CancelFill()) {
            ProjectPlanSheet->InvalidateView();
        }
    });
    statusBar()->addPermanentWidget(FillProgressLabel);
    statusBar()->addPermanentWidget(FillCancelButton);
    showFillProgress(false, 0);

    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance()) {
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this,
                &TfrmMain::UpdateActions);
    }
    UpdateActions();
}

TfrmMain::~TfrmMain() {
    // The sheet outlives nothing of the project: drop its handlers first.
    ProjectPlanSheet->OnPSPaint = nullptr;
    ProjectPlanSheet->OnPSMiniPaint = nullptr;
    unbindMouse();
    m_newElement.reset();
    m_project.reset();
}

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
    connect(acNew, &QAction::triggered, this, &TfrmMain::acNewProjectExecute);
    auto* acOpen = makeAction("acOpenProject", QStringLiteral("Открыть"), {}, E::Always);
    acOpen->setShortcut(QKeySequence(QStringLiteral("Ctrl+O")));
    connect(acOpen, &QAction::triggered, this, &TfrmMain::acOpenProjectExecute);
    auto* acSave = makeAction("acSaveProject", QStringLiteral("Сохранить"), {}, E::Project);
    acSave->setShortcut(QKeySequence(QStringLiteral("Ctrl+S")));
    connect(acSave, &QAction::triggered, this, [this] {
        if (m_project) m_project->Save();
    });
    auto* acSaveAs = makeAction("acSaveProjectAs", QStringLiteral("Сохранить как..."), {}, E::Project);
    connect(acSaveAs, &QAction::triggered, this, [this] {
        if (m_project) m_project->SaveAs();
    });
    auto* acExit = makeAction("acExit", QStringLiteral("Выход"), {}, E::Always);
    connect(acExit, &QAction::triggered, this, &QWidget::close);

    auto* acTileEditor = makeAction("acTileEditor", QStringLiteral("Редактор плиток"), {}, E::Always);
    connect(acTileEditor, &QAction::triggered, this, [this] {
        // The tile editor has not arrived yet: say so instead of doing nothing.
        ui().information(QStringLiteral("Редактор плиток пока недоступен. Плитки и узоры можно "
                                        "выбрать из библиотеки: «Участок» → «Выбрать плитку»."));
    });
    const auto on = [this](QAction* action, auto handler) {
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    on(makeAction("acSelectTile", QStringLiteral("Выбрать плитку"), {}, E::ProjectIdle), [this] {
        if (m_project && m_project->SelectTile()) ProjectPlanSheet->InvalidateView();
    });
    on(makeAction("acSelectCollage", QStringLiteral("Выбрать узор"), {}, E::ProjectIdle), [this] {
        if (m_project && m_project->SelectPattern()) ProjectPlanSheet->InvalidateView();
    });
    on(makeAction("acOrientation", QStringLiteral("Ориентация кладки"), {}, E::ProjectIdle),
       &TfrmMain::acOrientationExecute);
    on(makeAction("acFill", QStringLiteral("Заполнить"), {}, E::ProjectIdle), [this] {
        if (m_project && m_project->Fill()) ProjectPlanSheet->InvalidateView();
    });
    on(makeAction("acFill1", QStringLiteral("Положить один узор"), {}, E::ProjectIdle), [this] {
        if (m_project && m_project->LayOnePattern()) ProjectPlanSheet->InvalidateView();
    });
    on(makeAction("acDelTiles", QStringLiteral("Удалить плитки"), {}, E::ProjectWithLaidTilesIdle),
       &TfrmMain::acDelTilesExecute);
    on(makeAction("acReport", QStringLiteral("Отчет"), {}, E::Project), [this] {
        if (m_project) ShowReport(*m_project, this);
    });
    on(makeAction("acEditComment", QStringLiteral("Комментарий"), {}, E::Project),
       &TfrmMain::acEditCommentExecute);
    on(makeAction("acBorderList", QStringLiteral("Список границ участка"), {}, E::Project),
       &TfrmMain::acBorderListExecute);
    on(makeAction("acLine", QStringLiteral("Отрезок"), {}, E::Project, true),
       [this](bool down) { drawingTool(TTool::Line, down); });
    on(makeAction("acMenuLine", QStringLiteral("Отрезок"), {}, E::Project, true),
       [this] { menuTwin("acMenuLine", "acLine"); });
    on(makeAction("acArc", QStringLiteral("Дуга"), {}, E::Project, true),
       [this](bool down) { drawingTool(TTool::Arc, down); });
    on(makeAction("acMenuArc", QStringLiteral("Дуга"), {}, E::Project, true),
       [this] { menuTwin("acMenuArc", "acArc"); });
    on(makeAction("acStartPointSet", QStringLiteral("Задать начальную точку"), {},
                  E::ProjectWithBorder, true),
       [this](bool down) { startPointTool(down); });
    on(makeAction("acMenuStartPointSet", QStringLiteral("Задать начальную точку"), {},
                  E::ProjectWithBorder, true),
       [this] { menuTwin("acMenuStartPointSet", "acStartPointSet"); });
    on(makeAction("acStartPointEdit", QStringLiteral("Корректировать начальную точку"), {},
                  E::ProjectWithBorder),
       &TfrmMain::acStartPointEditExecute);
    on(makeAction("acSelectElement", QStringLiteral("Отметить границу участка"),
                  QStringLiteral("Отметить границу участка. При большом увеличении удерживайте Ctrl"),
                  E::ProjectWithBorder, true),
       [this](bool down) { selectElementTool(down); });
    on(makeAction("acEditPrimitive", QStringLiteral("Редактировать"), {}, E::Always),
       &TfrmMain::acEditPrimitiveExecute);
    on(makeAction("acDeletePrimitive", QStringLiteral("Удалить"), {}, E::Always),
       &TfrmMain::acDeletePrimitiveExecute);
    // Marking, colours, textures and printing arrive with their own
    // commands; until then they stay disabled, as does the halves check,
    // which nothing defines yet.
    makeAction("acPointer", QStringLiteral("Выделить плитку"), QStringLiteral("Отметить плитку"),
               E::Never, true);
    makeAction("acMenuPointer", QStringLiteral("Отметить плитку"), {}, E::Never, true);
    makeAction("acFixSel", QStringLiteral("Запомнить выделенные плитки"), {}, E::Never);
    makeAction("acMultiplySelection", QStringLiteral("Размножить выделение"), {}, E::Never);
    makeAction("acSetColor", QStringLiteral("Изменить цвет"), {}, E::Never);
    makeAction("acClearSelection", QStringLiteral("Сбросить выделение"), {}, E::Never);
    makeAction("acAssignTexture", QStringLiteral("Назначить текстуру"), {}, E::Never);
    makeAction("acDropTexture", QStringLiteral("Удалить текстуру"), {}, E::Never);
    makeAction("acPrint", QStringLiteral("Печать"), QStringLiteral("Печать проекта"), E::Never);
    makeAction("acPrintReg", QStringLiteral("Выделить область для печати"), {}, E::Never, true);
    makeAction("acCheckParts", QStringLiteral("Проверить половинки"), {}, E::Never, true);

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

    // The sheet's pop-up menu of the border-selection tool.
    ElementMenu = new QMenu(this);
    ElementMenu->addAction(Action("acEditPrimitive"));
    ElementMenu->addAction(Action("acDeletePrimitive"));
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

void TfrmMain::buildUndoActions() {
    acUndo = new QAction(QStringLiteral("Отменить"), this);
    acUndo->setObjectName(QStringLiteral("acUndo"));
    acUndo->setShortcut(QKeySequence(QStringLiteral("Ctrl+Z")));
    acRedo = new QAction(QStringLiteral("Повторить"), this);
    acRedo->setObjectName(QStringLiteral("acRedo"));
    acRedo->setShortcuts({QKeySequence(QStringLiteral("Ctrl+Shift+Z")), QKeySequence(QStringLiteral("Ctrl+Y"))});
    for (QAction* a : {acUndo, acRedo}) {
        a->setIcon(MakeIcon(a->objectName()));
        a->setIconVisibleInMenu(false);
    }
    connect(acUndo, &QAction::triggered, this, [this] { stepHistory(true); });
    connect(acRedo, &QAction::triggered, this, [this] { stepHistory(false); });

    QAction* first = mnuSite->actions().value(0);
    mnuSite->insertAction(first, acUndo);
    mnuSite->insertAction(first, acRedo);
    mnuSite->insertSeparator(first);
    QAction* line = Action("acLine");
    ToolBar->insertAction(line, acUndo);
    ToolBar->insertAction(line, acRedo);
    ToolBar->insertSeparator(line);

    // A fill that starts or ends moves no history: the idle check catches it.
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance()) {
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this,
                &TfrmMain::updateUndoActions);
    }
    updateUndoActions();
}

void TfrmMain::updateUndoActions() {
    if (acUndo == nullptr) {
        return;
    }
    const QUndoStack* history = m_project && m_project->HasHistory() ? &m_project->History() : nullptr;
    // Undoing an orientation or a border edit must not mix with a pending fill.
    const bool idle = history != nullptr && !m_project->IsRunning();
    const auto caption = [](const QString& verb, const QString& what) {
        return what.isEmpty() ? verb : QStringLiteral("%1: %2").arg(verb, what);
    };
    acUndo->setText(caption(QStringLiteral("Отменить"), history ? history->undoText() : QString()));
    acRedo->setText(caption(QStringLiteral("Повторить"), history ? history->redoText() : QString()));
    acUndo->setEnabled(idle && history->canUndo());
    acRedo->setEnabled(idle && history->canRedo());
}

void TfrmMain::stepHistory(bool back) {
    if (!m_project || m_project->IsRunning()) {
        return;
    }
    // The element being drawn is dropped, as a right click drops it: its
    // clicks may stand on what the step takes away.
    if (m_newElement && m_newElement->IsStarted()) {
        m_newElement->ClearData();
        ProjectPlanSheet->ShowViewImage();
    }
    QUndoStack& history = m_project->History();
    if (back) {
        history.undo();
    } else {
        history.redo();
    }
    updateUndoActions();
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
        return HasProject();
    case TEnable::ProjectWithBorder:
        return HasProject() && m_project->Elements().Count() > 0;
    case TEnable::ProjectWithLaidTiles:
        return HasProject() && m_project->LaidTiles().Count() > 0;
    case TEnable::ProjectWithMarkedTiles:
        return HasProject() && !m_project->MarkedTiles().empty();
    case TEnable::ProjectWithLaidAndMarkedTiles:
        return HasProject() && m_project->LaidTiles().Count() > 0 &&
               !m_project->MarkedTiles().empty();
    case TEnable::ProjectWithTexture:
        return HasProject() && m_project->TextureBrush() != nullptr;
    case TEnable::ProjectIdle:
        return HasProject() && !m_project->IsRunning();
    case TEnable::ProjectWithLaidTilesIdle:
        return IsEnabled(TEnable::ProjectWithLaidTiles) && !m_project->IsRunning();
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

// --- the project ---------------------------------------------------------------

namespace {

class TLayPatternEvent : public QEvent {
public:
    explicit TLayPatternEvent(std::uint64_t run) : QEvent(TfrmMain::LayPatternEventType), Run(run) {}
    std::uint64_t Run;
};

// The main window's preview draws a pattern's hand point marks at a pick
// tolerance of its own: four pixels of the preview, not of the sheet.
class TPreviewSheet final : public TDrawingSheet {
public:
    TPreviewSheet(TDrawingSheet& sheet, float pickTolerance) : m_sheet(sheet), m_pick(pickTolerance) {}
    [[nodiscard]] float PickTolerance() const override { return m_pick; }
    [[nodiscard]] int UnitDivisor() const override { return m_sheet.UnitDivisor(); }
    [[nodiscard]] QString GetUnitName() const override { return m_sheet.GetUnitName(); }
    [[nodiscard]] const TSheetPalette& Palette() const override { return m_sheet.Palette(); }
    void SetElementInfo(const QString&) override {}
    void ClearElementInfo() override {}
    void ShowViewImage() override {}
    [[nodiscard]] QPainter* ViewGraphics() override { return nullptr; }
    void InvalidateView() override {}
    [[nodiscard]] QSizeF ViewSizeMillimetres() const override { return m_sheet.ViewSizeMillimetres(); }
    void SetView(const ViewRecord&) override {}

private:
    TDrawingSheet& m_sheet;
    float m_pick;
};

// Keeps the tile a pattern preview is drawn with alive as long as the preview.
class TPatternPreview final : public TCollage {
public:
    explicit TPatternPreview(std::unique_ptr<TTile> tile) : TCollage(tile.get()), m_tile(std::move(tile)) {}
    ~TPatternPreview() override { Elements().Clear(); }

private:
    std::unique_ptr<TTile> m_tile;
};

} // namespace

const QEvent::Type TfrmMain::LayPatternEventType = static_cast<QEvent::Type>(QEvent::registerEventType());
const QEvent::Type TfrmMain::FillDoneEventType = static_cast<QEvent::Type>(QEvent::registerEventType());

void TfrmMain::bindSheet() {
    ProjectPlanSheet->OnPSPaint = [this](QPainter& g) { paintProject(g); };
    ProjectPlanSheet->OnPSMiniPaint = [this](QPainter& g) {
        if (m_project) {
            m_project->DrawElements(g, *ProjectPlanSheet, &ProjectPlanSheet->Palette().BlackPen);
        }
    };
    ProjectPlanSheet->OnPSMiniButtonClick = [this] { Action("acMinidisplay")->setChecked(false); };
    ProjectPlanSheet->OnPSPrStatusButtonClick = [this] { Action("acPrStatus")->setChecked(false); };
    QWidget* view = ProjectPlanSheet->FScrollBox->viewport();
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint& pos) {
        if (m_popup != nullptr && m_project) {
            m_popup->exec(view->mapToGlobal(pos));
        }
    });
}

void TfrmMain::replaceProject(std::unique_ptr<TProject> project) {
    m_newElement.reset();
    m_project = std::move(project);
    if (m_project) {
        m_project->SetPickList(this);
        // A new project has nothing to undo, and its file state is its clean one.
        m_project->History().setClean();
        connect(m_project.get(), &T_TnC_Ancestor::Changed, this, [this] {
            ProjectPlanSheet->InvalidateView();
            updateUndoActions();
            // A change may come before the project has finished the command
            // (a fill announces itself before it counts its steps): the
            // actions are looked at again once it has.
            if (!m_undoRefreshQueued) {
                m_undoRefreshQueued = true;
                QMetaObject::invokeMethod(this, [this] {
                    m_undoRefreshQueued = false;
                    updateUndoActions();
                }, Qt::QueuedConnection);
            }
        });
    }
    showFillProgress(false, 0);
    ProjectPlanSheet->ClearElementInfo();
    ProjectPlanSheet->InvalidateView();
    updateUndoActions();
}

void TfrmMain::startProject() {
    // The old project goes first, so nothing of it is alive beside the new one.
    replaceProject(nullptr);
    replaceProject(std::make_unique<TProject>(
        this, [this](const QString& name) { updateCaption(name); }, ProjectPlanSheet, this));
    updateCaption(m_project->Name());
}

void TfrmMain::updateCaption(const QString& name) {
    setWindowTitle(name.isEmpty() ? m_baseCaption : QStringLiteral("%1 - %2").arg(m_baseCaption, name));
}

bool TfrmMain::QuerySave() {
    if (!m_project) {
        return true;
    }
    // The question comes first: answered Cancel, the project keeps its
    // running fill. Going on, no step of that fill may act on the next
    // project.
    if (!m_project->SaveQuery()) {
        return false;
    }
    m_project->CancelFill();
    return true;
}

void TfrmMain::acOpenProjectExecute() {
    const std::optional<QString> file = TProject::AskFileToOpen();
    if (!file) {
        return;
    }
    if (m_project && !QuerySave()) {
        return;
    }
    startProject();
    // The window keeps the new project whatever the reading says; its errors
    // have been shown. Naming it after the file updates the caption.
    m_project->LoadFromFile(*file);
    ResetTools();
    ProjectPlanSheet->InvalidateView();
}

void TfrmMain::acNewProjectExecute() {
    if (m_project && !QuerySave()) {
        return;
    }
    startProject();
    ResetTools();
    ProjectPlanSheet->InvalidateView();
}

void TfrmMain::acOrientationExecute() {
    if (!m_project) {
        return;
    }
    const std::optional<QString> text =
        ui().inputText(QStringLiteral("Ориентация кладки"),
                       QStringLiteral("Угол поворота кладки, градусов (от -360 до 360):"),
                       formatFixed(m_project->Orientation(), 2));
    if (!text) {
        return;
    }
    const std::optional<double> angle = parseNumber(*text);
    if (!angle || *angle < -360.0 || *angle > 360.0) {
        ui().warning(QStringLiteral("Угол поворота кладки должен быть числом от -360 до 360 градусов."));
        return;
    }
    // Refused while a fill runs, as the project refuses the new angle.
    if (m_project->IsRunning()) {
        return;
    }
    m_project->History().push(new TOrientationCommand(*m_project, m_project->Orientation(), float(*angle)));
}

void TfrmMain::acDelTilesExecute() {
    if (!m_project) {
        return;
    }
    if (ui().confirm(QStringLiteral("Удалить все плитки?"), TButtons::YesNo) == TAnswer::Yes) {
        m_project->ClearLaidTiles();
    }
}

void TfrmMain::acEditCommentExecute() {
    if (!m_project) {
        return;
    }
    QString comment = m_project->Comment;
    if (EditComment(this, comment)) {
        m_project->Comment = comment;
        m_project->SetModified(true);
    }
}

void TfrmMain::acBorderListExecute() {
    if (!m_project) {
        return;
    }
    m_project->SetCurrent(nullptr);
    TfrmElListEditor dialog(this, m_project->Elements(), *ProjectPlanSheet, *m_project,
                            QStringLiteral("Список границ участка"));
    dialog.exec();
    // The highlight goes; the changes have repainted the view.
    ProjectPlanSheet->ShowViewImage();
}

void TfrmMain::acEditPrimitiveExecute() {
    if (!m_project || m_project->Current() == nullptr) {
        return;
    }
    TGraphicPrimitive& element = *m_project->Current();
    TElementEdit edit(*m_project, m_project->Elements(), element);
    if (TfrmPrimEdit::Edit(this, element, ProjectPlanSheet->UnitDivisor(), ProjectPlanSheet->GetUnitName())) {
        edit.Commit(QStringLiteral("Свойства элемента"));
    }
}

void TfrmMain::acDeletePrimitiveExecute() {
    if (!m_project || m_project->Current() == nullptr) {
        return;
    }
    if (ui().confirm(QStringLiteral("Удалить?"), TButtons::YesNo) != TAnswer::Yes) {
        return;
    }
    const std::uint32_t handle = m_project->Current()->Handle();
    m_project->SetCurrent(nullptr);
    m_project->History().push(new TDeleteElementsCommand(*m_project, m_project->Elements(), {handle},
                                                         QStringLiteral("Удаление элемента")));
}

void TfrmMain::acStartPointEditExecute() {
    if (!m_project) {
        return;
    }
    const FlaggedPoint before = m_project->StartPoint();
    bool saved = false;
    {
        // The dialog changes the point itself; the command records it.
        const T_TnC_Ancestor::TQuietChanges quiet(*m_project);
        saved = TfrmLittleDialog::EditElement(this, m_project->StartPointElement(),
                                              ProjectPlanSheet->UnitDivisor(),
                                              ProjectPlanSheet->GetUnitName(),
                                              QStringLiteral("Начальная точка"));
    }
    const FlaggedPoint after = m_project->StartPoint();
    if (saved && !(after == before)) {
        m_project->History().push(new TStartPointCommand(*m_project, before, after));
    }
}

// --- drawing -----------------------------------------------------------------------

void TfrmMain::paintProject(QPainter& g) {
    if (!m_project) {
        return;
    }
    m_project->Draw(g, *ProjectPlanSheet, false, &ProjectPlanSheet->Palette().BlackPen);
    if (m_project->LaidTiles().Count() == 0 && m_project->Tile() != nullptr) {
        paintPreview(g);
    }
}

void TfrmMain::paintPreview(QPainter& g) {
    TShapePath path;
    TCollage* pattern = m_project->Pattern();
    if (pattern != nullptr) {
        for (int i = 0; i < pattern->Elements().Count(); ++i) {
            pattern->Elements().Items(i)->AddToPath(path);
        }
        for (int i = 0; i < pattern->HandPoints().Count(); ++i) {
            pattern->HandPoints().Items(i)->AddToPath(path);
        }
    } else {
        path = TElementList::BuildPath(float(GlobalConfig().TileLinkTolerance), *m_project->Tile(), false);
    }
    const QRectF bounds = path.Bounds();
    if (!(bounds.width() > 0) || !(bounds.height() > 0)) {
        return;
    }
    // 64 x 64 pixels in the top-right corner of the view, y upwards.
    const double s = std::min(64.0 / bounds.width(), 64.0 / bounds.height());
    const double boxWidth = bounds.width() * s + 20.0;
    const double boxHeight = bounds.height() * s + 20.0;
    const double left = g.device()->width() - boxWidth - 8.0;
    const double top = 8.0;
    g.save();
    g.resetTransform();
    g.fillRect(QRectF(left, top, boxWidth, boxHeight), ProjectPlanSheet->Palette().GreyGlassBrush);
    g.setTransform(QTransform(s, 0, 0, -s, left + 10.0 - bounds.left() * s, top + 10.0 + bounds.bottom() * s));
    const QPen& pen = ProjectPlanSheet->Palette().BlackPen;
    if (pattern != nullptr) {
        TPreviewSheet preview(*ProjectPlanSheet, float(4.0 / s));
        pattern->Draw(g, preview, true, &pen);
    } else {
        m_project->Tile()->DrawOutline(g, *ProjectPlanSheet, &pen);
    }
    g.restore();
}

// --- the fill's steps -------------------------------------------------------------------

void TfrmMain::PostLayStep(std::uint64_t run) {
    QCoreApplication::postEvent(this, new TLayPatternEvent(run));
}

void TfrmMain::PostFillDone() { QCoreApplication::postEvent(this, new QEvent(FillDoneEventType)); }

void TfrmMain::FillProgress(int tilesLaid, int pendingSteps) {
    showFillProgress(pendingSteps > 0, tilesLaid);
}

void TfrmMain::showFillProgress(bool running, int tilesLaid) {
    FillProgressLabel->setText(running ? QStringLiteral("Заполнение: уложено плиток %1").arg(tilesLaid)
                                       : QString());
    FillProgressLabel->setVisible(running);
    FillCancelButton->setVisible(running);
}

bool TfrmMain::event(QEvent* event) {
    if (event->type() == LayPatternEventType) {
        // A step that arrives with no project, or for another project's run,
        // is dropped.
        if (m_project) {
            m_project->HandleLayStep(static_cast<TLayPatternEvent*>(event)->Run);
            if (!m_project->IsRunning()) {
                showFillProgress(false, 0);
            }
        }
        return true;
    }
    if (event->type() == FillDoneEventType) {
        showFillProgress(false, 0);
        ProjectPlanSheet->InvalidateView();
        ui().information(QStringLiteral("Заполнение плиткой закончено"));
        return true;
    }
    return QMainWindow::event(event);
}

float TfrmMain::Scale() const { return ProjectPlanSheet->Scale(); }
void TfrmMain::SetScale(float scale) { ProjectPlanSheet->SetScale(scale); }
int TfrmMain::UnitFactor() const { return ProjectPlanSheet->UnitFactor(); }
double TfrmMain::LogicalDpi() const { return ProjectPlanSheet->Geometry().Dpi(); }
void TfrmMain::UpdateNow() { ProjectPlanSheet->FScrollBox->viewport()->repaint(); }

// --- pick lists -----------------------------------------------------------------------

namespace {
// One pick list over library rows; nullopt when cancelled or nothing is there.
std::optional<std::int32_t> pickFrom(QWidget* owner, const std::vector<TLibraryEntry>& entries,
                                     const QString& caption,
                                     TfrmSelectTile::TPreviewCallback preview) {
    std::vector<TPickRow> rows;
    for (const TLibraryEntry& e : entries) {
        rows.push_back({e.ID, e.Name});
    }
    TfrmSelectTile pick(owner, std::move(rows), nullptr, caption);
    pick.PreviewCallback = std::move(preview);
    if (pick.exec() != QDialog::Accepted || pick.PickResult == -1) {
        return std::nullopt;
    }
    return pick.PickResult;
}

TTileLibrary* availableLibrary() {
    TTileLibrary* library = TileDB();
    if (library == nullptr) {
        ui().warning(QStringLiteral("Библиотека плиток недоступна."));
    }
    return library;
}
} // namespace

std::optional<std::int32_t> TfrmMain::PickTile(const TPickRequest& request) {
    TTileLibrary* library = availableLibrary();
    if (library == nullptr) {
        return std::nullopt;
    }
    return pickFrom(this, library->ListTiles(), request.Caption, [](int id, TPlanSheet& sheet, TTile*) {
        auto tile = std::make_unique<TTile>();
        tile->LoadIntoSheet(id, sheet);
        return std::unique_ptr<T_TnC_Ancestor>(std::move(tile));
    });
}

std::optional<std::int32_t> TfrmMain::PickPattern(const TPickRequest& request, std::int32_t tileId,
                                                  const TTile& tile) {
    TTileLibrary* library = availableLibrary();
    if (library == nullptr) {
        return std::nullopt;
    }
    return pickFrom(this, library->ListPatterns(tileId), request.Caption,
                    [&tile](int id, TPlanSheet& sheet, TTile*) {
                        auto copy = std::make_unique<TTile>();
                        copy->Assign(tile);
                        auto pattern = std::make_unique<TPatternPreview>(std::move(copy));
                        pattern->LoadIntoSheet(id, sheet);
                        return std::unique_ptr<T_TnC_Ancestor>(std::move(pattern));
                    });
}

// --- tools -----------------------------------------------------------------------------

void TfrmMain::bindMouse(TTool owner) {
    m_mouseOwner = owner;
    TPlanSheet* sheet = ProjectPlanSheet;
    sheet->OnPSMouseDown = nullptr;
    sheet->OnPSMouseMove = nullptr;
    sheet->OnPSMouseUp = nullptr;
    switch (owner) {
    case TTool::Line:
    case TTool::Arc:
        sheet->OnPSMouseDown = [this](QObject*, Qt::MouseButton b, TShiftState, float x, float y) {
            ElementClick(b, x, y);
        };
        sheet->OnPSMouseMove = [this](QObject*, TShiftState, float x, float y) { ElementTrack(x, y); };
        break;
    case TTool::StartPoint:
        sheet->OnPSMouseDown = [this](QObject*, Qt::MouseButton, TShiftState, float x, float y) {
            StartPointClick(x, y);
        };
        break;
    case TTool::SelectElement:
        sheet->OnPSMouseDown = [this](QObject*, Qt::MouseButton, TShiftState, float x, float y) {
            BorderPick(x, y);
        };
        sheet->OnPSMouseMove = [this](QObject*, TShiftState shift, float x, float y) {
            BorderDrag(shift, x, y);
        };
        break;
    case TTool::None:
        break;
    }
}

void TfrmMain::unbindMouse() { bindMouse(TTool::None); }

void TfrmMain::drawingTool(TTool tool, bool down) {
    m_newElement.reset();
    Action("acMenuStartPointSet")->setChecked(false);
    const char* twin = tool == TTool::Line ? "acMenuLine" : "acMenuArc";
    Action(twin)->setChecked(down);
    m_popup = nullptr;
    ProjectPlanSheet->RoundCoordinates = true;
    if (down && m_project) {
        m_newElement = CreatePrimitive(tool == TTool::Line ? pkSegment : pkArc, m_project.get());
        bindMouse(tool);
        setProperty("helpContext", 27);
    } else {
        unbindMouse();
        setProperty("helpContext", HelpContext);
    }
}

void TfrmMain::startPointTool(bool down) {
    m_newElement.reset();
    Action("acMenuStartPointSet")->setChecked(down);
    m_popup = nullptr;
    if (down && m_project) {
        bindMouse(TTool::StartPoint);
        setProperty("helpContext", 52);
    } else {
        unbindMouse();
        setProperty("helpContext", HelpContext);
    }
}

void TfrmMain::selectElementTool(bool down) {
    m_newElement.reset();
    Action("acMenuStartPointSet")->setChecked(false);
    if (down && m_project) {
        setProperty("helpContext", 47);
        m_popup = ElementMenu;
        bindMouse(TTool::SelectElement);
        ProjectPlanSheet->RoundCoordinates = false;
    } else {
        setProperty("helpContext", HelpContext);
        m_popup = nullptr;
        if (m_project) {
            m_project->SetCurrent(nullptr);
        }
        ProjectPlanSheet->InvalidateView();
        unbindMouse();
        ProjectPlanSheet->RoundCoordinates = true;
    }
}

void TfrmMain::menuTwin(const char* twin, const char* button) {
    if (qstrcmp(twin, "acMenuStartPointSet") != 0) {
        Action("acMenuStartPointSet")->setChecked(false);
    }
    // The twin's own check has already been inverted by the menu.
    const bool down = Action(QLatin1String(twin))->isChecked();
    // The button follows the menu item (its group raises the others), then
    // the tool command runs as if the button had been pressed.
    Action(QLatin1String(button))->setChecked(down);
    if (qstrcmp(button, "acStartPointSet") == 0) {
        startPointTool(down);
    } else {
        drawingTool(qstrcmp(button, "acLine") == 0 ? TTool::Line : TTool::Arc, down);
    }
}

void TfrmMain::ResetTools() {
    m_newElement.reset();
    for (const char* name : {"acMenuStartPointSet", "acStartPointSet", "acMenuLine", "acLine",
                             "acMenuArc", "acArc", "acMenuPointer", "acPointer"}) {
        QAction* a = Action(QLatin1String(name));
        const QSignalBlocker quiet(a);
        a->setChecked(false);
    }
    if (m_popup != ElementMenu) {
        m_popup = nullptr;
    }
    if (m_mouseOwner == TTool::Line || m_mouseOwner == TTool::Arc || m_mouseOwner == TTool::StartPoint) {
        unbindMouse();
        ProjectPlanSheet->RoundCoordinates = true;
        setProperty("helpContext", HelpContext);
    }
}

void TfrmMain::ElementClick(Qt::MouseButton button, float x, float y) {
    if (!m_project || !m_newElement) {
        return;
    }
    if (button == Qt::RightButton) {
        if (m_project->Elements().Count() == 0) {
            m_project->ClearBasePoint();
        }
        m_newElement->ClearData();
        ProjectPlanSheet->ShowViewImage();
        return;
    }
    bool finished = false;
    m_newElement->AddCreationPoint(*ProjectPlanSheet, finished, x, y);
    if (finished) {
        const std::int32_t kind = m_newElement->GetKind();
        // A border without elements had no base point before the first
        // click of this one set it.
        const FlaggedPoint baseBefore =
            m_project->Elements().Count() == 0 ? FlaggedPoint{} : m_project->BasePoint;
        m_project->History().push(new TAddElementCommand(
            *m_project, m_project->Elements(), std::move(m_newElement), baseBefore,
            kind == pkArc ? QStringLiteral("Дуга") : QStringLiteral("Отрезок")));
        m_newElement = CreatePrimitive(kind, m_project.get());
    }
}

void TfrmMain::ElementTrack(float x, float y) {
    if (!m_project || !m_newElement || !m_newElement->IsStarted()) {
        return;
    }
    ProjectPlanSheet->ShowViewImage();
    m_newElement->DrawTracking(*ProjectPlanSheet, &ProjectPlanSheet->Palette().DashPen, x, y);
}

void TfrmMain::StartPointClick(float x, float y) {
    if (!m_project) {
        return;
    }
    m_project->History().push(new TStartPointCommand(
        *m_project, m_project->StartPoint(),
        FlaggedPoint{m_project->ToLocalX(x), m_project->ToLocalY(y), 1}));
    // The tool ends after one click.
    Action("acMenuStartPointSet")->setChecked(false);
    {
        const QSignalBlocker quiet(Action("acStartPointSet"));
        Action("acStartPointSet")->setChecked(false);
    }
    ProjectPlanSheet->OnPSMouseDown = nullptr;
    m_mouseOwner = TTool::None;
    setProperty("helpContext", HelpContext);
}

void TfrmMain::BorderPick(float x, float y) {
    if (!m_project) {
        return;
    }
    m_project->TrackPointer(*ProjectPlanSheet, {x, y}, ProjectPlanSheet->PickTolerance());
    ProjectPlanSheet->InvalidateView();
}

void TfrmMain::BorderDrag(const TShiftState& shift, float x, float y) {
    if (!m_project || !shift.left() || m_project->Current() == nullptr) {
        return;
    }
    TGraphicPrimitive& element = *m_project->Current();
    TElementEdit edit(*m_project, m_project->Elements(), element);
    element.DragTo(*ProjectPlanSheet, x, y);
    edit.Commit(QStringLiteral("Перемещение"), ciDrag);
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    if (m_project && !QuerySave()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

} // namespace vk
