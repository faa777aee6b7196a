#include "app/MainForm.h"

#include "app/About.h"
#include "app/ConfigForm.h"
#include "app/DxfImportDialog.h"
#include "app/EditComment.h"
#include "app/ExternalLinks.h"
#include "app/HelpViewer.h"
#include "app/Icons.h"
#include "app/LittleDialog.h"
#include "app/OptimizeDialog.h"
#include "app/PrintOptions.h"
#include "app/PrintPreview.h"
#include "app/MaterialsWindow.h"
#include "app/ReportDialog.h"
#include "app/TileEditor.h"
#include "commands/ElementCommands.h"
#include "commands/ElementEdit.h"
#include "editors/ElementListEditor.h"
#include "editors/SelectTile.h"
#include "exchange/DxfWriter.h"
#include "exchange/SvgExport.h"
#include "geometry/GraphicPrimitive.h"
#include "geometry/NumberFormat.h"
#include "geometry/ShapePath.h"
#include "ui/SheetPalette.h"
#include "ui/UserInterface.h"
#include "model/Collage.h"
#include "model/Config.h"
#include "model/LaidTiles.h"
#include "model/SiteRegion.h"
#include "model/Project.h"
#include "model/ProjectCommands.h"
#include "model/Tile.h"
#include "model/TileLibrary.h"
#include "sheet/PlanSheet.h"
#include "sheet/PrimEditWindow.h"
#include "window/MouseTools.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QColorDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>
#include <QUndoStack>
#include <algorithm>
#include <cmath>

namespace vk {

using namespace Qt::StringLiterals;

TfrmMain::TfrmMain(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Vorkalo"));
    SetHelpContextOf(*this, HelpContext);

    ProjectPlanSheet = new TPlanSheet(this);
    ProjectPlanSheet->setObjectName(QStringLiteral("ProjectPlanSheet"));
    setCentralWidget(ProjectPlanSheet);
    // The main window's sheet: a 50 x 50 m site with the origin in its middle.
    ProjectPlanSheet->SetGeometry(50000.0f, 50000.0f, 25000.0f, 25000.0f);
    ProjectPlanSheet->SetScale(0.0075);
    ProjectPlanSheet->RoundCoordinates = true;

    buildActions();
    connectActions();
    buildMenus();
    buildToolBar();
    buildTools();

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

    acUndo = Action(TMainAction::acUndo);
    acRedo = Action(TMainAction::acRedo);
    // The captions name the step: a fill that starts or ends moves no
    // history, so they are read when the window goes idle, as the rules are.
    RunWhenIdle(this, [this] { updateUndoActions(); });
    updateUndoActions();
}

TfrmMain::~TfrmMain() {
    // The sheet outlives nothing of the project: drop its handlers first.
    ProjectPlanSheet->OnPSPaint = nullptr;
    ProjectPlanSheet->OnPSMiniPaint = nullptr;
    m_tools->Stop();
    m_newElement.reset();
    m_project.reset();
}

void TfrmMain::buildActions() {
    using A = TMainAction;
    using E = TEnable;
    constexpr TActionKind Check = TActionKind::Check;
    const QList<QKeySequence> none;
    // In the order of the menus where that helps reading; menus and the tool
    // bar place them.
    const TActionRow<A, E> rows[] = {
        {A::acNewProject, "acNewProject", u"Новый"_s, {}, {u"Ctrl+N"_s}, E::Always},
        {A::acOpenProject, "acOpenProject", u"Открыть"_s, {}, {u"Ctrl+O"_s}, E::Always},
        {A::acSaveProject, "acSaveProject", u"Сохранить"_s, {}, {u"Ctrl+S"_s}, E::Project},
        {A::acSaveProjectAs, "acSaveProjectAs", u"Сохранить как..."_s, {}, none, E::Project},
        {A::acImportDxf, "acImportDxf", u"Импорт участка из DXF..."_s, {}, none, E::NoRunPending},
        {A::acExit, "acExit", u"Выход"_s, {}, none, E::Always},
        {A::acTileEditor, "acTileEditor", u"Редактор плиток"_s, {}, none, E::Always},

        {A::acUndo, "acUndo", u"Отменить"_s, {}, {u"Ctrl+Z"_s}, E::CanUndo},
        {A::acRedo, "acRedo", u"Повторить"_s, {}, {u"Ctrl+Shift+Z"_s, u"Ctrl+Y"_s}, E::CanRedo},
        {A::acSelectTile, "acSelectTile", u"Выбрать плитку"_s, {}, none, E::ProjectIdle},
        {A::acSelectCollage, "acSelectCollage", u"Выбрать узор"_s, {}, none, E::ProjectIdle},
        {A::acOrientation, "acOrientation", u"Ориентация кладки"_s, {}, none, E::ProjectIdle},
        {A::acOptimizeStart, "acOptimizeStart", u"Подобрать начальную точку"_s,
         u"Подобрать начальную точку и ориентацию, при которых нужно меньше плиток"_s, none,
         E::ProjectReadyToLayIdle},
        {A::acFill, "acFill", u"Заполнить"_s, {}, none, E::ProjectIdle},
        {A::acFill1, "acFill1", u"Положить один узор"_s, {}, none, E::ProjectIdle},
        {A::acDelTiles, "acDelTiles", u"Удалить плитки"_s, {}, none, E::ProjectWithLaidTilesIdle},
        {A::acReport, "acReport", u"Отчет"_s, {}, none, E::Project},
        {A::acMaterials, "acMaterials", u"Ведомость материалов"_s, {}, none, E::ProjectWithLaidTilesIdle},
        {A::acEditComment, "acEditComment", u"Комментарий"_s, {}, none, E::Project},
        {A::acBorderList, "acBorderList", u"Список границ участка"_s, {}, none, E::Project},

        {A::acLine, "acLine", u"Отрезок"_s, {}, none, E::Project, Check},
        {A::acMenuLine, "acMenuLine", u"Отрезок"_s, {}, none, E::Project, Check},
        {A::acArc, "acArc", u"Дуга"_s, {}, none, E::Project, Check},
        {A::acMenuArc, "acMenuArc", u"Дуга"_s, {}, none, E::Project, Check},
        {A::acStartPointSet, "acStartPointSet", u"Задать начальную точку"_s, {}, none,
         E::ProjectWithBorder, Check},
        {A::acMenuStartPointSet, "acMenuStartPointSet", u"Задать начальную точку"_s, {}, none,
         E::ProjectWithBorder, Check},
        {A::acStartPointEdit, "acStartPointEdit", u"Корректировать начальную точку"_s, {}, none,
         E::ProjectWithBorder},
        {A::acSelectElement, "acSelectElement", u"Отметить границу участка"_s,
         u"Отметить границу участка. При большом увеличении удерживайте Ctrl"_s, none,
         E::ProjectWithBorder, Check},
        {A::acEditPrimitive, "acEditPrimitive", u"Редактировать"_s, {}, none, E::Always},
        {A::acDeletePrimitive, "acDeletePrimitive", u"Удалить"_s, {}, none, E::Always},

        {A::acPointer, "acPointer", u"Выделить плитку"_s, u"Отметить плитку"_s, none, E::ProjectWithLaidTiles,
         Check},
        {A::acMenuPointer, "acMenuPointer", u"Отметить плитку"_s, {}, none, E::ProjectWithLaidTiles, Check},
        {A::acFixSel, "acFixSel", u"Запомнить выделенные плитки"_s, {}, none, E::ProjectWithMarkedTiles},
        {A::acMultiplySelection, "acMultiplySelection", u"Размножить выделение"_s, {}, none,
         E::ProjectWithLaidAndMarkedTiles},
        {A::acSetColor, "acSetColor", u"Изменить цвет"_s, {}, none, E::ProjectWithMarkedTiles},
        {A::acClearSelection, "acClearSelection", u"Сбросить выделение"_s, {}, none, E::ProjectWithMarkedTiles},
        {A::acAssignTexture, "acAssignTexture", u"Назначить текстуру"_s, {}, none, E::Project},
        {A::acDropTexture, "acDropTexture", u"Удалить текстуру"_s, {}, none, E::ProjectWithTexture},
        {A::acPrint, "acPrint", u"Печать"_s, u"Печать проекта"_s, none, E::Project},
        {A::acPrintReg, "acPrintReg", u"Выделить область для печати"_s, {}, none, E::Project, Check},
        {A::acExportPdf, "acExportPdf", u"PDF..."_s, u"Записать печатаемые листы в файл PDF"_s, none, E::Project},
        {A::acExportSvg, "acExportSvg", u"SVG..."_s, u"Записать чертеж в файл SVG"_s, none, E::Project},
        {A::acExportDxf, "acExportDxf", u"DXF..."_s, u"Записать чертеж в файл DXF"_s, none, E::Project},
        {A::acCheckParts, "acCheckParts", u"Проверить половинки"_s, {}, none, E::Project, Check},

        {A::acScaleUp, "acScaleUp", u"Увеличить"_s, {}, none, E::Always},
        {A::acScaleDown, "acScaleDown", u"Уменьшить"_s, {}, none, E::Always},
        {A::acAskScale, "acAskScale", u"Масштаб"_s, {}, none, E::Always},
        {A::acMinidisplay, "acMinidisplay", u"Мини-дисплей"_s, {}, none, E::Always, Check},
        {A::acPrStatus, "acPrStatus", u"Информация об элементе"_s, {}, none, E::Project, Check},
        {A::acParams, "acParams", u"Параметры"_s, u"Настройки программы "_s, none, E::Always},

        {A::acHelp, "acHelp", u"Справка"_s, {}, {QKeySequence(Qt::Key_F1)}, E::Always},
        {A::acOnLine, "acOnLine", u"Vorkalo в Интернете"_s, u"Домашняя страничка программы"_s, none,
         E::Always},
        {A::acSupport, "acSupport", u"Письмо в тех.поддержку"_s,
         u"Написать письмо службе технической поддержки"_s, none, E::Always},
        {A::acAbout, "acAbout", u"О программе..."_s, {}, none, E::Always},
    };
    m_actions.Add(this, rows, MakeIcon);
}

void TfrmMain::connectActions() {
    using A = TMainAction;
    const auto on = [this](A id, auto handler) { connect(Action(id), &QAction::triggered, this, handler); };
    on(A::acNewProject, &TfrmMain::acNewProjectExecute);
    on(A::acUndo, [this] { stepHistory(true); });
    on(A::acRedo, [this] { stepHistory(false); });
    on(A::acOpenProject, &TfrmMain::acOpenProjectExecute);
    on(A::acSaveProject, [this] {
        if (m_project) m_project->Save();
    });
    on(A::acSaveProjectAs, [this] {
        if (m_project) m_project->SaveAs();
    });
    on(A::acExit, &QWidget::close);
    on(A::acImportDxf, &TfrmMain::acImportDxfExecute);
    on(A::acTileEditor, [this] {
        TfrmTileEditor::Execute(this, {Action(A::acHelp), Action(A::acOnLine), Action(A::acSupport),
                                       Action(A::acAbout)});
    });
    on(A::acSelectTile, [this] {
        if (m_project && m_project->SelectTile()) ProjectPlanSheet->InvalidateView();
    });
    on(A::acSelectCollage, [this] {
        if (m_project && m_project->SelectPattern()) ProjectPlanSheet->InvalidateView();
    });
    on(A::acOrientation, &TfrmMain::acOrientationExecute);
    on(A::acOptimizeStart, &TfrmMain::acOptimizeStartExecute);
    on(A::acFill, [this] {
        if (m_project && m_project->Fill()) ProjectPlanSheet->InvalidateView();
    });
    on(A::acFill1, [this] {
        if (m_project && m_project->LayOnePattern()) ProjectPlanSheet->InvalidateView();
    });
    on(A::acDelTiles, &TfrmMain::acDelTilesExecute);
    on(A::acReport, [this] {
        if (m_project) ShowReport(*m_project, this);
    });
    on(A::acMaterials, [this] {
        if (m_project) ShowMaterials(*m_project, this);
    });
    on(A::acEditComment, &TfrmMain::acEditCommentExecute);
    on(A::acBorderList, &TfrmMain::acBorderListExecute);
    on(A::acStartPointEdit, &TfrmMain::acStartPointEditExecute);
    on(A::acEditPrimitive, &TfrmMain::acEditPrimitiveExecute);
    on(A::acDeletePrimitive, &TfrmMain::acDeletePrimitiveExecute);
    on(A::acFixSel, [this] {
        if (m_project) m_project->RememberMarkedTiles();
    });
    on(A::acMultiplySelection, [this] {
        if (m_project) m_project->MultiplySelection();
    });
    on(A::acSetColor, &TfrmMain::acSetColorExecute);
    on(A::acClearSelection, [this] {
        if (m_project) m_project->ClearMarks();
    });
    on(A::acAssignTexture, &TfrmMain::acAssignTextureExecute);
    on(A::acDropTexture, [this] {
        if (m_project) m_project->SetTexture(nullptr);
        ProjectPlanSheet->InvalidateView();
    });
    connect(Action(A::acCheckParts), &QAction::toggled, this, &TfrmMain::acCheckPartsToggled);

    on(A::acPrint, &TfrmMain::acPrintExecute);
    on(A::acExportPdf, [this] { ExportPlan(TExportKind::Pdf); });
    on(A::acExportSvg, [this] { ExportPlan(TExportKind::Svg); });
    on(A::acExportDxf, [this] { ExportPlan(TExportKind::Dxf); });

    on(A::acScaleUp, [this] { ProjectPlanSheet->ZoomIn(); });
    on(A::acScaleDown, [this] { ProjectPlanSheet->ZoomOut(); });
    on(A::acAskScale, [this] { ProjectPlanSheet->AskScale(); });
    // The panels follow their buttons also when a panel's own close button
    // raises them.
    connect(Action(A::acMinidisplay), &QAction::toggled, this, [this](bool down) {
        if (down) {
            ProjectPlanSheet->ShowMiniDisplay();
        } else {
            ProjectPlanSheet->HideMiniDisplay();
        }
    });
    connect(Action(A::acPrStatus), &QAction::toggled, this, [this](bool down) {
        if (down) {
            ProjectPlanSheet->ShowElementInfo();
        } else {
            ProjectPlanSheet->HideElementInfo();
        }
    });
    on(A::acParams, &TfrmMain::acParamsExecute);
    on(A::acHelp, [] { ShowHelpContents(); });
    on(A::acOnLine, [] { OpenHomePage(); });
    on(A::acSupport, [] { ComposeSupportMail(); });
    on(A::acAbout, [this] { TfrmAbout::Execute(this); });
}

void TfrmMain::buildMenus() {
    const auto a = [this](TMainAction id) { return Action(id); };
    using A = TMainAction;
    QMenuBar* bar = menuBar();
    mnuProjects = bar->addMenu(u"Проекты"_s);
    mnuExport = new QMenu(u"Экспорт"_s, mnuProjects);
    AddItems(mnuExport, {a(A::acExportPdf), a(A::acExportSvg), a(A::acExportDxf)});
    AddItems(mnuProjects, {a(A::acNewProject), a(A::acOpenProject), nullptr, a(A::acSaveProject),
                           a(A::acSaveProjectAs), nullptr, a(A::acImportDxf), mnuExport->menuAction(), nullptr,
                           a(A::acExit)});

    mnuSite = bar->addMenu(u"Участок"_s);
    mnuStartPoint = new QMenu(u"Начальная точка"_s, mnuSite);
    AddItems(mnuStartPoint, {a(A::acMenuStartPointSet), a(A::acStartPointEdit)});
    AddItems(mnuSite, {a(A::acUndo), a(A::acRedo), nullptr, a(A::acFill), a(A::acReport), a(A::acMaterials),
                       a(A::acEditComment), nullptr, a(A::acSelectTile), a(A::acSelectCollage), a(A::acOrientation),
                       a(A::acOptimizeStart), nullptr,
                       mnuStartPoint->menuAction(), a(A::acMenuLine), a(A::acMenuArc),
                       a(A::acSelectElement), a(A::acBorderList), nullptr,
                       a(A::acMenuPointer), a(A::acMultiplySelection), a(A::acSetColor),
                       a(A::acClearSelection), nullptr});

    AddItems(bar, {a(A::acTileEditor), a(A::acParams)});

    mnuHelp = bar->addMenu(u"Помощь"_s);
    AddItems(mnuHelp, {a(A::acHelp), nullptr, a(A::acOnLine), a(A::acSupport), nullptr, a(A::acAbout)});

    // The sheet's pop-up menu of the border-selection tool.
    ElementMenu = new QMenu(this);
    AddItems(ElementMenu, {a(A::acEditPrimitive), a(A::acDeletePrimitive)});
    // ... and that of the tile-marking tool.
    ColourMenu = new QMenu(this);
    AddItems(ColourMenu, {a(A::acMultiplySelection), a(A::acSetColor), a(A::acClearSelection)});
}

void TfrmMain::buildToolBar() {
    const auto a = [this](TMainAction id) { return Action(id); };
    using A = TMainAction;
    ToolBar = addToolBar(u"Панель инструментов"_s);
    ToolBar->setObjectName(u"ToolBar"_s);
    ToolBar->setMovable(false);
    ToolBar->setIconSize(QSize(24, 24));
    AddItems(ToolBar, {a(A::acNewProject), a(A::acOpenProject), a(A::acSaveProject), a(A::acPrint),
                       a(A::acPrintReg), nullptr,
                       a(A::acUndo), a(A::acRedo), nullptr,
                       a(A::acLine), a(A::acArc), a(A::acSelectElement), a(A::acPrStatus),
                       a(A::acBorderList), nullptr,
                       a(A::acSelectTile), a(A::acSelectCollage), a(A::acOrientation),
                       a(A::acStartPointSet), nullptr,
                       a(A::acFill1), a(A::acFill), a(A::acDelTiles), nullptr,
                       a(A::acCheckParts), nullptr,
                       a(A::acPointer), a(A::acFixSel), a(A::acMultiplySelection), a(A::acSetColor),
                       a(A::acClearSelection), nullptr,
                       a(A::acAssignTexture), a(A::acDropTexture), nullptr,
                       a(A::acScaleUp), a(A::acScaleDown), a(A::acAskScale), a(A::acMinidisplay)});
}

void TfrmMain::buildTools() {
    using A = TMainAction;
    using H = THelpContext;
    m_tools = std::make_unique<TMouseTools>(this, ProjectPlanSheet, HelpContext);
    m_tools->Add({.action = Action(A::acLine),
                  .menuItem = Action(A::acMenuLine),
                  .help = H::DrawingSegmentsAndArcs,
                  .rounding = TRounding::On,
                  .press = Handler(this, &TfrmMain::ElementClick),
                  .move = Handler(this, &TfrmMain::ElementTrack),
                  .prepare = [this](bool down) { return prepareDrawing(pkSegment, down); }});
    m_tools->Add({.action = Action(A::acArc),
                  .menuItem = Action(A::acMenuArc),
                  .help = H::DrawingSegmentsAndArcs,
                  .rounding = TRounding::On,
                  .press = Handler(this, &TfrmMain::ElementClick),
                  .move = Handler(this, &TfrmMain::ElementTrack),
                  .prepare = [this](bool down) { return prepareDrawing(pkArc, down); }});
    m_tools->Add({.action = Action(A::acStartPointSet),
                  .menuItem = Action(A::acMenuStartPointSet),
                  .help = H::StartPoint,
                  .press = Handler(this, &TfrmMain::StartPointClick),
                  .prepare = [this](bool down) { return prepareStartPoint(down); }});
    // Its menu item is the button's own command, not a twin.
    m_tools->Add({.action = Action(A::acSelectElement),
                  .help = H::SelectingLines,
                  .popup = ElementMenu,
                  .rounding = TRounding::Off,
                  .press = Handler(this, &TfrmMain::BorderPick),
                  .move = Handler(this, &TfrmMain::BorderDrag),
                  .prepare = [this](bool down) { return prepareSelection(down); }});
    m_tools->Group({Action(A::acLine), Action(A::acArc), Action(A::acSelectElement)});
    // Off, the rectangle goes: it is what the tool is on for.
    m_tools->Add({.action = Action(A::acPrintReg),
                  .help = H::PrintRegion,
                  .rounding = TRounding::Off,
                  .press = Handler(this, &TfrmMain::PrintCorner),
                  .move = Handler(this, &TfrmMain::PrintTrack),
                  .release = Handler(this, &TfrmMain::PrintCorner),
                  .prepare = [this](bool down) {
                      if (!m_project) {
                          return false;
                      }
                      if (!down) {
                          m_project->ClearPrintRect();
                      }
                      return true;
                  }});
    m_tools->Add({.action = Action(A::acPointer),
                  .menuItem = Action(A::acMenuPointer),
                  .help = H::MarkingTiles,
                  .popup = ColourMenu,
                  .rounding = TRounding::Off,
                  .press = Handler(this, &TfrmMain::MarkDown),
                  .move = Handler(this, &TfrmMain::MarkMove),
                  .release = [this](const TPointer& p) { MarkUp(p.button, p.shift, p.x, p.y); },
                  .prepare = [this](bool down) { return prepareMarking(down); }});
}

void TfrmMain::updateUndoActions() {
    const QUndoStack* history = m_project && m_project->HasHistory() ? &m_project->History() : nullptr;
    const auto caption = [](const QString& verb, const QString& what) {
        return what.isEmpty() ? verb : QStringLiteral("%1: %2").arg(verb, what);
    };
    acUndo->setText(caption(QStringLiteral("Отменить"), history ? history->undoText() : QString()));
    acRedo->setText(caption(QStringLiteral("Повторить"), history ? history->redoText() : QString()));
    UpdateActions();
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

QMenu* TfrmMain::SheetPopupMenu() const { return m_tools->Popup(); }

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
    case TEnable::NoRunPending:
        return !HasProject() || !m_project->IsRunning();
    case TEnable::ProjectWithLaidTilesIdle:
        return IsEnabled(TEnable::ProjectWithLaidTiles) && !m_project->IsRunning();
    case TEnable::ProjectReadyToLayIdle:
        return IsEnabled(TEnable::ProjectWithBorder) && m_project->Tile() != nullptr &&
               m_project->Pattern() != nullptr && !m_project->IsRunning();
    // A step back or forth must not mix with a pending fill.
    case TEnable::CanUndo:
        return IsEnabled(TEnable::ProjectIdle) && m_project->HasHistory() && m_project->History().canUndo();
    case TEnable::CanRedo:
        return IsEnabled(TEnable::ProjectIdle) && m_project->HasHistory() && m_project->History().canRedo();
    }
    return false;
}

void TfrmMain::UpdateActions() { m_actions.Update(); }

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
    ProjectPlanSheet->OnPSMiniButtonClick = [this] { Action(TMainAction::acMinidisplay)->setChecked(false); };
    ProjectPlanSheet->OnPSPrStatusButtonClick = [this] { Action(TMainAction::acPrStatus)->setChecked(false); };
}

void TfrmMain::replaceProject(std::unique_ptr<TProject> project) {
    m_newElement.reset();
    m_project = std::move(project);
    // A project that went in the middle of a fill never lets them go.
    ProjectPlanSheet->KeepScrollBars(false);
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
    OpenProjectFile(*file);
}

bool TfrmMain::OpenProjectFile(const QString& file) {
    if (m_project && !QuerySave()) {
        return false;
    }
    // Read into a project of its own: an open the user stops leaves the
    // current one as it was. Otherwise the window keeps the new project
    // whatever the reading says; its errors have been shown.
    auto opened = std::make_unique<TProject>(this, TProject::TNameChange{}, ProjectPlanSheet, this);
    bool cancelled = false;
    const bool read = opened->LoadFromFile(file, &cancelled);
    if (cancelled) {
        return false;
    }
    opened->SetOnNameChange([this](const QString& name) { updateCaption(name); });
    replaceProject(nullptr);
    replaceProject(std::move(opened));
    updateCaption(m_project->Name());
    ResetTools();
    ProjectPlanSheet->InvalidateView();
    return read;
}

void TfrmMain::acImportDxfExecute() {
    if (m_project && m_project->IsRunning()) {
        return;
    }
    const QString caption = u"Импорт участка из DXF"_s;
    const auto chosen = AskDxfImport(this, true, caption);
    if (!chosen || (m_project && m_project->IsRunning())) {
        return;
    }
    // A site drawn elsewhere is often how a project begins.
    if (!m_project) {
        startProject();
        ResetTools();
    }
    ApplyDxfImport(*m_project, chosen->first, chosen->second, caption);
    showWholeBorder();
    ProjectPlanSheet->InvalidateView();
}

void TfrmMain::showWholeBorder() {
    TShapePath path;
    for (int i = 0; i < m_project->Elements().Count(); ++i) {
        m_project->Elements().Items(i)->AddToPath(path);
    }
    const QRectF bounds = path.Bounds();
    if (!(bounds.width() > 0.0) && !(bounds.height() > 0.0)) {
        return;
    }
    const QSizeF page = ProjectPlanSheet->ViewSizeMillimetres();
    // A margin of a tenth of the view on every side.
    const double fit = std::min(bounds.width() > 0.0 ? page.width() / bounds.width() : 1e9,
                                bounds.height() > 0.0 ? page.height() / bounds.height() : 1e9) *
                       0.8;
    if (fit > 0.0 && fit < 1e9) {
        ProjectPlanSheet->SetScale(fit);
    }
    ProjectPlanSheet->CenterOn(float(bounds.center().x()), float(bounds.center().y()));
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

void TfrmMain::acOptimizeStartExecute() {
    if (!m_project || m_project->IsRunning()) {
        return;
    }
    // Candidates lie around the start point: without one there is nothing
    // to start from.
    if (!m_project->StartPoint().isSet()) {
        ui().warning(u"Нужно задать начальную точку"_s);
        return;
    }
    TfrmOptimize dialog(*m_project, ProjectPlanSheet->UnitDivisor(), ProjectPlanSheet->GetUnitName(),
                        [this](const TStartCandidate& chosen) {
                            if (!m_project || m_project->IsRunning()) {
                                return;
                            }
                            m_project->History().push(new TLayingStartCommand(
                                *m_project, m_project->StartPoint(), m_project->Orientation(),
                                FlaggedPoint{chosen.Start.X, chosen.Start.Y, 1}, chosen.Orientation));
                            if (m_project->Fill()) {
                                ProjectPlanSheet->InvalidateView();
                            }
                        },
                        this);
    dialog.exec();
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
        paintFirstStepsHint(g);
        return;
    }
    m_project->Draw(g, *ProjectPlanSheet, false, &ProjectPlanSheet->Palette().BlackPen);
    paintUnmatchedCuts(g);
    if (m_project->LaidTiles().Count() == 0 && m_project->Tile() != nullptr) {
        paintPreview(g);
    }
    if (m_project->Elements().Count() == 0 && !m_newElement) {
        paintFirstStepsHint(g);
    }
}

void TfrmMain::paintFirstStepsHint(QPainter& g) {
    // A first start shows an empty sheet: a quiet line in its lower corner
    // says where to begin.
    static const QString hint = QStringLiteral("Нарисуйте границу участка инструментами «Отрезок» и «Дуга» "
                                               "или откройте пример: Проекты → Открыть");
    g.save();
    g.resetTransform();
    QFont font = g.font();
    font.setPointSizeF(9.0);
    g.setFont(font);
    const QFontMetricsF fm(font, g.device());
    const double margin = 8.0;
    const QPointF at(margin, g.device()->height() - margin - fm.descent());
    const QRectF box(at.x() - 4.0, at.y() - fm.ascent() - 3.0, fm.horizontalAdvance(hint) + 8.0, fm.height() + 6.0);
    g.fillRect(box, ProjectPlanSheet->Palette().GreyGlassBrush);
    g.setPen(QColor(90, 90, 90));
    g.drawText(at, hint);
    g.restore();
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
    const bool multiplying = m_project && m_project->IsMultiplying();
    FillProgressLabel->setText(!running      ? QString()
                               : multiplying ? QStringLiteral("Размножение выделения: выделено плиток %1").arg(tilesLaid)
                                             : QStringLiteral("Заполнение: уложено плиток %1").arg(tilesLaid));
    FillCancelButton->setText(multiplying ? QStringLiteral("Прервать размножение") : QStringLiteral("Прервать заполнение"));
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
void TfrmMain::KeepScrollBars(bool keep) { ProjectPlanSheet->KeepScrollBars(keep); }
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

bool TfrmMain::prepareDrawing(std::int32_t kind, bool down) {
    m_newElement.reset();
    Action(TMainAction::acMenuStartPointSet)->setChecked(false);
    if (!down || !m_project) {
        return false;
    }
    m_newElement = CreatePrimitive(kind, m_project.get());
    return true;
}

bool TfrmMain::prepareStartPoint(bool down) {
    m_newElement.reset();
    return down && m_project;
}

bool TfrmMain::prepareSelection(bool down) {
    m_newElement.reset();
    Action(TMainAction::acMenuStartPointSet)->setChecked(false);
    if (down && m_project) {
        return true;
    }
    if (m_project) {
        m_project->SetCurrent(nullptr);
    }
    ProjectPlanSheet->InvalidateView();
    return false;
}

void TfrmMain::ResetTools() {
    using A = TMainAction;
    m_newElement.reset();
    for (A id : {A::acMenuStartPointSet, A::acStartPointSet, A::acMenuLine, A::acLine, A::acMenuArc,
                 A::acArc, A::acMenuPointer, A::acPointer}) {
        const QSignalBlocker quiet(Action(id));
        Action(id)->setChecked(false);
    }
    // The halves check and a held press were made on the project that went.
    Action(A::acCheckParts)->setChecked(false);
    m_marking = false;
    // The border-selection tool keeps its state and its handlers.
    QAction* active = m_tools->Active();
    if (active == Action(A::acLine) || active == Action(A::acArc) || active == Action(A::acStartPointSet) ||
        active == Action(A::acPointer)) {
        m_tools->Stop();
        ProjectPlanSheet->RoundCoordinates = true;
    }
}

void TfrmMain::ElementClick(Qt::MouseButton button, float x, float y) {
    if (!m_project || !m_newElement) {
        return;
    }
    DrawElementClick(*m_project, m_newElement, *ProjectPlanSheet, button == Qt::RightButton, x, y);
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
    m_tools->Finish();
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

void TfrmMain::PrintCorner(float x, float y) {
    if (!m_project) {
        return;
    }
    m_project->SetPrintCorner(x, y);
    ProjectPlanSheet->InvalidateView();
}

void TfrmMain::PrintTrack(const TShiftState& shift, float x, float y) {
    if (!m_project || !shift.left() || !m_project->PrintCorner1.isSet()) {
        return;
    }
    ProjectPlanSheet->ShowViewImage();
    if (QPainter* g = ProjectPlanSheet->ViewGraphics()) {
        g->setPen(ProjectPlanSheet->Palette().DashPen);
        g->setBrush(Qt::NoBrush);
        g->drawRect(QRectF(QPointF(m_project->PrintCorner1.X, m_project->PrintCorner1.Y), QPointF(x, y)).normalized());
    }
}

// --- marking, colours and textures ---------------------------------------------------------

bool TfrmMain::prepareMarking(bool down) {
    m_newElement.reset();
    Action(TMainAction::acMenuStartPointSet)->setChecked(false);
    // A press whose release the tool no longer sees still makes its step.
    if (m_marking && m_project) {
        m_project->EndMarking(QStringLiteral("Выделение плиток"));
    }
    m_marking = false;
    return down && m_project;
}

void TfrmMain::MarkDown(Qt::MouseButton button, float x, float y) {
    if (!m_project || button != Qt::LeftButton) {
        return;
    }
    // The press, the drag and the release are one step of the history.
    m_marking = true;
    m_project->BeginMarking();
    m_project->ToggleTileMark({x, y});
    m_project->SetSelectCorner(x, y);
}

void TfrmMain::MarkMove(const TShiftState& shift, float x, float y) {
    if (!m_project) {
        return;
    }
    if (shift.left()) {
        const FlaggedPoint corner = m_project->SelectCorner1;
        if (!corner.isSet()) {
            return;
        }
        ProjectPlanSheet->ShowViewImage();
        if (QPainter* g = ProjectPlanSheet->ViewGraphics()) {
            g->setPen(ProjectPlanSheet->Palette().DashPen);
            g->setBrush(Qt::NoBrush);
            g->drawRect(QRectF(QPointF(corner.X, corner.Y), QPointF(x, y)).normalized());
        }
    } else if (shift.shift()) {
        m_project->MarkTileAt({x, y});
    }
}

void TfrmMain::MarkUp(Qt::MouseButton button, const TShiftState& shift, float x, float y) {
    if (!m_project || button != Qt::LeftButton || !m_marking) {
        return;
    }
    m_marking = false;
    m_project->SetSelectCorner(x, y);
    const FlaggedPoint a = m_project->SelectCorner1;
    const FlaggedPoint b = m_project->SelectCorner2;
    if (a.isSet() && b.isSet() && (a.X != b.X || a.Y != b.Y)) {
        m_project->MarkTilesInRect(shift.shift());
    }
    m_project->EndMarking(QStringLiteral("Выделение плиток"));
    ProjectPlanSheet->InvalidateView();
}

namespace {

// "Опции печати" with the scale last chosen; nullopt when cancelled, and
// `selectRegion` set when the user chose "Выделить область".
std::optional<TPrintOptions> askPrintOptions(QWidget* parent, TPrintOptions& remembered, bool& selectRegion) {
    TfrmPrintOptions dialog(parent);
    TPrintOptions shown;
    shown.Scale = remembered.Scale;
    dialog.SetOptions(shown);
    const int answer = dialog.exec();
    selectRegion = answer == TfrmPrintOptions::Yes;
    if (answer != QDialog::Accepted) {
        return std::nullopt;
    }
    remembered = dialog.Options();
    return remembered;
}

// The colour dialog's custom colours as the chooser writes them: "ColorA=" and
// a colour's hexadecimal value with blue in the high byte, one a line.
QString customColorsText(std::uint32_t argb) {
    const std::uint32_t bgr = ((argb & 0xFFu) << 16) | (argb & 0xFF00u) | ((argb >> 16) & 0xFFu);
    return QStringLiteral("ColorA=") + QString::number(bgr, 16).toUpper();
}

std::optional<QRgb> chooseWithDialog(QWidget* owner, const QString& customColors) {
    for (int i = 0; i < QColorDialog::customCount(); ++i) {
        QColorDialog::setCustomColor(i, QColor(Qt::white));
    }
    for (const QString& line : customColors.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QString name = line.section(QLatin1Char('='), 0, 0).trimmed();
        bool ok = false;
        const uint bgr = line.section(QLatin1Char('='), 1).trimmed().toUInt(&ok, 16);
        if (!ok || name.size() != 6 || !name.startsWith(QStringLiteral("Color"))) {
            continue;
        }
        const int index = name.back().toUpper().unicode() - 'A';
        if (index >= 0 && index < QColorDialog::customCount()) {
            QColorDialog::setCustomColor(index, QColor(int(bgr & 0xFFu), int((bgr >> 8) & 0xFFu), int((bgr >> 16) & 0xFFu)));
        }
    }
    const QColor color = QColorDialog::getColor(Qt::white, owner, QStringLiteral("Цвет"));
    if (!color.isValid()) {
        return std::nullopt;
    }
    return color.rgb();
}

} // namespace

void TfrmMain::acPrintExecute() {
    if (!m_project) {
        return;
    }
    bool selectRegion = false;
    const std::optional<TPrintOptions> options = askPrintOptions(this, m_printOptions, selectRegion);
    if (selectRegion) {
        if (!Action(TMainAction::acPrintReg)->isChecked()) {
            Action(TMainAction::acPrintReg)->trigger();
        }
        return;
    }
    if (options) {
        PreviewProject(this, *m_project, *options);
    }
}

void TfrmMain::ExportPlan(TExportKind kind) {
    if (!m_project) {
        return;
    }
    TPrintOptions options;
    if (kind == TExportKind::Pdf) {
        bool selectRegion = false;
        const std::optional<TPrintOptions> chosen = askPrintOptions(this, m_printOptions, selectRegion);
        if (selectRegion && !Action(TMainAction::acPrintReg)->isChecked()) {
            Action(TMainAction::acPrintReg)->trigger();
        }
        if (!chosen) {
            return;
        }
        options = *chosen;
        QString problem;
        if (!PrintArea(*m_project, options.What, &problem)) {
            ui().warning(problem);
            return;
        }
    }
    const struct {
        const char* caption;
        const char* filter;
        const char* suffix;
    } kinds[] = {{"Экспорт в PDF", "Документы PDF (*.pdf)|*.pdf", "pdf"},
                 {"Экспорт в SVG", "Рисунки SVG (*.svg)|*.svg", "svg"},
                 {"Экспорт в DXF", "Чертежи DXF (*.dxf)|*.dxf", "dxf"}};
    const auto& k = kinds[int(kind)];
    const QString suffix = QString::fromLatin1(k.suffix);
    const QFileInfo projectFile(m_project->FileName);
    const QString folder = m_project->FileName.isEmpty() ? ProjectsFolder() : projectFile.absolutePath();
    const QString name = (m_project->FileName.isEmpty() ? QStringLiteral("План") : projectFile.completeBaseName()) +
                         QLatin1Char('.') + suffix;
    std::optional<QString> file =
        ui().saveFileName(QString::fromUtf8(k.caption), folder, QString::fromUtf8(k.filter), name);
    if (!file || file->isEmpty()) {
        return;
    }
    if (QFileInfo(*file).suffix().isEmpty()) {
        *file += QLatin1Char('.') + suffix;
    }
    if (QFileInfo::exists(*file) &&
        ui().confirm(QStringLiteral("Файл \"%1\" уже существует.\r\nЗаменить его?").arg(QFileInfo(*file).fileName())) !=
            TAnswer::Yes) {
        return;
    }
    QString problem;
    switch (kind) {
    case TExportKind::Pdf:
        problem = WritePdf(*file, *m_project, options).Error;
        break;
    case TExportKind::Svg:
        problem = WriteSvg(*file, *m_project);
        break;
    case TExportKind::Dxf:
        problem = WriteDxf(*file, *m_project);
        break;
    }
    if (!problem.isEmpty()) {
        ui().error(problem);
        return;
    }
    statusBar()->showMessage(QStringLiteral("Записан файл %1").arg(QDir::toNativeSeparators(*file)), 10000);
}

void TfrmMain::acSetColorExecute() {
    if (!m_project || m_project->MarkedTiles().empty()) {
        return;
    }
    const QString custom = customColorsText(DefaultTileColor);
    const std::optional<QRgb> color = ChooseColor ? ChooseColor(custom) : chooseWithDialog(this, custom);
    if (color) {
        m_project->RecolorMarkedTiles(std::uint32_t(*color) | 0xFF000000u);
        ProjectPlanSheet->InvalidateView();
    }
}

void TfrmMain::acAssignTextureExecute() {
    if (!m_project) {
        return;
    }
    static const QString filter = QStringLiteral(
        "Все рисунки (*.png;*.jpg;*.jpeg;*.bmp;*.gif)|*.png;*.jpg;*.jpeg;*.bmp;*.gif|"
        "PNG (*.png)|*.png|JPEG (*.jpg;*.jpeg)|*.jpg;*.jpeg|Точечные рисунки (*.bmp)|*.bmp|"
        "GIF (*.gif)|*.gif|All files (*.*)|*.*");
    const std::optional<QString> file = ui().openFileName(QStringLiteral("Назначить текстуру"), TexturesFolder(), filter);
    if (!file) {
        return;
    }
    QFile in(*file);
    const QByteArray bytes = in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    // The new brush replaces the texture set before.
    if (!m_project->SetTextureImage(bytes)) {
        ui().warning(QStringLiteral("Не удалось прочитать рисунок %1").arg(QDir::toNativeSeparators(*file)));
        return;
    }
    ProjectPlanSheet->InvalidateView();
}

// --- the halves check -------------------------------------------------------------------

void TfrmMain::acCheckPartsToggled(bool down) {
    m_unmatchedCuts.clear();
    if (down && m_project) {
        for (const TTileContainer* tile : m_project->UnmatchedCutTiles()) {
            m_unmatchedCuts.push_back(m_project->LaidTiles().Index(*tile));
        }
        m_unmatchedGeneration = m_project->TilesGeneration();
        ProjectPlanSheet->InvalidateView();
        ui().information(m_unmatchedCuts.empty()
                             ? QStringLiteral("Все обрезки совпали с половинками")
                             : QStringLiteral("Обрезков без подходящей половинки: %1").arg(m_unmatchedCuts.size()));
        return;
    }
    ProjectPlanSheet->InvalidateView();
}

void TfrmMain::paintUnmatchedCuts(QPainter& g) {
    if (m_unmatchedCuts.empty() || m_project->IsRunning()) {
        return;
    }
    // Found on another laying: the tiles it named are gone.
    if (m_unmatchedGeneration != m_project->TilesGeneration()) {
        m_unmatchedCuts.clear();
        return;
    }
    const TSheetPalette& palette = ProjectPlanSheet->Palette();
    QBrush hatch(palette.RedPen.color(), Qt::DiagCrossPattern);
    g.save();
    // Over the laid site only, as the tiles themselves are drawn.
    if (const TSiteRegion* site = m_project->SiteRegion()) {
        g.setClipPath(site->ClipPath(), Qt::IntersectClip);
    }
    for (const int index : m_unmatchedCuts) {
        const TTileContainer& tile = m_project->LaidTiles().Items(index);
        g.fillPath(tile.OutlinePath(), hatch);
        g.setPen(palette.RedPen);
        g.setBrush(Qt::NoBrush);
        g.drawPath(tile.OutlinePath());
    }
    g.restore();
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    if (m_project && !QuerySave()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

} // namespace vk
