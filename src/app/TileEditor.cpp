#include "app/TileEditor.h"

#include "app/CollageEditor.h"
#include "app/DxfImportDialog.h"
#include "app/EditComment.h"
#include "app/HelpActions.h"
#include "app/Icons.h"
#include "app/PartsWindow.h"
#include "commands/ElementCommands.h"
#include "commands/ElementEdit.h"
#include "editors/ElementListEditor.h"
#include "editors/SelectTile.h"
#include "geometry/ElementList.h"
#include "geometry/GraphicPrimitive.h"
#include "geometry/NumberFormat.h"
#include "geometry/ShapePath.h"
#include "library/TileDB.h"
#include "model/Config.h"
#include "model/HalvesCheck.h"
#include "model/PartCommands.h"
#include "model/Parts.h"
#include "model/Tile.h"
#include "model/TileCommands.h"
#include "model/TileLibrary.h"
#include "sheet/LinesBox.h"
#include "sheet/PlanSheet.h"
#include "sheet/PrimEditWindow.h"
#include "ui/AskSaveFile.h"
#include "ui/UserInterface.h"
#include "window/MouseTools.h"

#include <QAction>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFileInfo>
#include <QPainter>
#include <QPainterPath>
#include <QStringList>
#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QToolBar>
#include <QUndoStack>
#include <algorithm>
#include <cmath>

namespace vk {

using namespace Qt::StringLiterals;

namespace {

// The information panel recomputes its line when it is clicked.
class TInfoPanel final : public QWidget {
public:
    TInfoPanel(QWidget* parent, std::function<void()> onClick) : QWidget(parent), m_onClick(std::move(onClick)) {}

protected:
    void mousePressEvent(QMouseEvent* event) override {
        QWidget::mousePressEvent(event);
        if (m_onClick) {
            m_onClick();
        }
    }

private:
    std::function<void()> m_onClick;
};

// The editor's buttons share the main window's pictures where they mean the same.
QIcon tileEditorIcon(const QString& name) {
    static const QHash<QString, QString> same{
        {u"acNewTile"_s, u"acNewProject"_s},       {u"acOpenTile"_s, u"acOpenProject"_s},
        {u"acSaveTile"_s, u"acSaveProject"_s},     {u"acElementList"_s, u"acBorderList"_s},
        {u"acPartElements"_s, u"acBorderList"_s},
        {u"acScale"_s, u"acAskScale"_s},           {u"acParts"_s, u"acCheckParts"_s},
        {u"acSelectRegion"_s, u"acPrintReg"_s},    {u"acCollageEditor"_s, u"acSelectCollage"_s},
    };
    return MakeIcon(same.value(name, name));
}

// A new tile shows a 600 x 600 mm sheet at scale 1 with the origin in its middle.
constexpr ViewRecord kDefaultView{600.0f, 600.0f, 300.0f, 300.0f, 1.0f, 0.0f, 0.0f};

} // namespace

TfrmTileEditor::TfrmTileEditor(QWidget* parent, const QList<QAction*>& helpActions) : QMainWindow(parent) {
    setObjectName(u"frmTileEditor"_s);
    setWindowTitle(u"Редактор плиток"_s);
    SetHelpContextOf(*this, HelpContext);
    // Wide enough for the whole tool bar with its information line.
    resize(1280, 800);

    PlanSheet = new TPlanSheet(this);
    PlanSheet->setObjectName(u"PlanSheet"_s);
    setCentralWidget(PlanSheet);
    PlanSheet->SetGeometry(kDefaultView.SizeX, kDefaultView.SizeY, kDefaultView.PositiveX, kDefaultView.PositiveY);
    PlanSheet->SetScale(kDefaultView.Scale);
    PlanSheet->RoundCoordinates = true;
    PlanSheet->SetUnits(GlobalConfig().DisplayUnits);

    buildActions(helpActions);
    connectActions();
    buildMenus();
    buildToolBar();
    buildTools();

    m_baseCaption = windowTitle();
    PlanSheet->AddViewMenuItems(mnuDrawing);
    bindSheet();

    RunWhenIdle(this, [this] { updateUndoActions(); });
    updateUndoActions();
}

TfrmTileEditor::~TfrmTileEditor() {
    PlanSheet->OnPSPaint = nullptr;
    PlanSheet->OnPSMiniPaint = nullptr;
    m_tools->Stop();
    m_newElement.reset();
    // The halves window refers to the parts, and they to the tile.
    delete m_partsWindow;
    m_partsWindow = nullptr;
    m_parts.reset();
    m_tile.reset();
}

void TfrmTileEditor::Execute(QWidget* owner, const QList<QAction*>& helpActions) {
    TfrmTileEditor editor(owner, helpActions);
    editor.setWindowFlag(Qt::Window);
    editor.setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    connect(&editor, &TfrmTileEditor::Closed, &loop, &QEventLoop::quit);
    editor.show();
    loop.exec();
}

void TfrmTileEditor::buildActions(const QList<QAction*>& helpActions) {
    using A = TTileAction;
    using E = TEnable;
    constexpr TActionKind Check = TActionKind::Check;
    const QList<QKeySequence> none;
    const TActionRow<A, E> rows[] = {
        {A::acNewTile, "acNewTile", u"Новая"_s, u"Новая плитка"_s, {u"Ctrl+N"_s}, E::Always},
        {A::acOpenTile, "acOpenTile", u"Открыть"_s, u"Открыть плитку"_s, {u"Ctrl+O"_s}, E::Always},
        {A::acSaveTile, "acSaveTile", u"Сохранить"_s, u"Сохранить"_s, {u"Ctrl+S"_s}, E::Tile},
        {A::acDeleteTile, "acDeleteTile", u"Удалить"_s, {}, none, E::Tile},
        {A::acExport, "acExport", u"Экспорт в bmp"_s, u"Экспорт в bmp"_s, none, E::Tile},
        {A::acImportDxf, "acImportDxf", u"Импорт контура из DXF..."_s, {}, none, E::Always},
        {A::acCollageEditor, "acCollageEditor", u"Редактор узоров"_s, u"Редактор узоров"_s, none,
         E::StoredUnmodifiedTile},
        {A::acExit, "acExit", u"Выход"_s, {}, none, E::Always},

        {A::acUndo, "acUndo", u"Отменить"_s, {}, {u"Ctrl+Z"_s}, E::CanUndo},
        {A::acRedo, "acRedo", u"Повторить"_s, {}, {u"Ctrl+Shift+Z"_s, u"Ctrl+Y"_s}, E::CanRedo},
        {A::acLine, "acLine", u"Отрезок"_s, u"Отрезок"_s, none, E::DrawingTarget, Check},
        {A::acMenuLine, "acMenuLine", u"Отрезок"_s, {}, none, E::DrawingTarget, Check},
        {A::acArc, "acArc", u"Дуга"_s, u"Дуга"_s, none, E::DrawingTarget, Check},
        {A::acMenuArc, "acMenuArc", u"Дуга"_s, {}, none, E::DrawingTarget, Check},
        {A::acSelectElement, "acSelectElement", u"Отметить графический элемент"_s,
         u"Отметить графический элемент. При большом увеличении удерживайте Ctrl"_s, none, E::TileWithElements,
         Check},
        {A::acPrStatus, "acPrStatus", u"Информация об элементе"_s, u"Информация об элементе"_s, none, E::Tile,
         Check},
        {A::acElementList, "acElementList", u"Список графических элементов"_s, u"Список графических элементов"_s,
         none, E::Tile},
        {A::acPartElements, "acPartElements", u"Список разделительных линий половинок"_s,
         u"Список разделительных линий половинок"_s, none, E::DrawingTarget},
        {A::acParts, "acParts", u"Половинки"_s, u"Половинки"_s, none, E::StoredTileWithElements, Check},
        {A::acMenuParts, "acMenuParts", u"Половинки"_s, {}, none, E::TileWithElements, Check},
        {A::acSelectRegion, "acSelectRegion", u"Очертить половинку"_s, u"Очертить половинку"_s, none,
         E::HalvesWithPart, Check},
        {A::acThickness, "acThickness", u"Толщина плитки"_s, u"Толщина плитки"_s, none, E::Tile},
        {A::acEditComment, "acEditComment", u"Комментарий"_s, u"Комментарий"_s, none, E::Tile},
        {A::acEditTilePrimitive, "acEditTilePrimitive", u"Редактировать"_s, u"Редактировать"_s, none, E::Always},
        {A::acDeleteTilePrimitive, "acDeleteTilePrimitive", u"Удалить"_s, u"Удалить"_s, none, E::Always},

        {A::acScaleUp, "acScaleUp", u"Увеличить"_s, u"Увеличить"_s, none, E::Always},
        {A::acScaleDown, "acScaleDown", u"Уменьшить"_s, u"Уменьшить"_s, none, E::Always},
        {A::acScale, "acScale", u"Масштаб"_s, u"Масштаб"_s, none, E::Always},
        {A::acMinidisplay, "acMinidisplay", u"Мини-дисплей"_s, u"Мини-дисплей"_s, none, E::Always, Check},
    };
    m_actions.Add(this, rows, tileEditorIcon);
    m_helpActions = HelpActions(this, helpActions);
}

void TfrmTileEditor::connectActions() {
    using A = TTileAction;
    const auto on = [this](A id, auto handler) { connect(Action(id), &QAction::triggered, this, handler); };
    on(A::acNewTile, &TfrmTileEditor::acNewTileExecute);
    on(A::acOpenTile, &TfrmTileEditor::acOpenTileExecute);
    on(A::acSaveTile, &TfrmTileEditor::acSaveTileExecute);
    on(A::acDeleteTile, &TfrmTileEditor::acDeleteTileExecute);
    on(A::acExport, &TfrmTileEditor::acExportExecute);
    on(A::acImportDxf, &TfrmTileEditor::acImportDxfExecute);
    on(A::acExit, &QWidget::close);
    on(A::acCollageEditor, [this] {
        if (IsEnabled(TEnable::StoredUnmodifiedTile)) {
            TfrmCollageEditor::Execute(this, *m_tile, m_helpActions);
        }
    });
    on(A::acUndo, [this] { stepHistory(true); });
    on(A::acRedo, [this] { stepHistory(false); });
    on(A::acElementList, &TfrmTileEditor::acElementListExecute);
    on(A::acPartElements, [this] {
        TPart* part = currentPart();
        if (part == nullptr) {
            return;
        }
        part->SetCurrent(nullptr);
        TCutLinesState before = CutLinesOf(*part);
        {
            TfrmElListEditor dialog(this, part->Elements(), *PlanSheet, *part,
                                    u"Список разделительных линий половинок"_s);
            dialog.exec();
        }
        // What the dialog did on the part is one step of the halves' history.
        TCutLinesState after = CutLinesOf(*part);
        if (part->HasHistory()) {
            part->History().clear();
        }
        if (!SameCutLines(before, after)) {
            m_parts->History().push(new TSetCutLinesCommand(*m_parts, part->Handle(), std::move(before),
                                                            std::move(after), u"Список разделительных линий"_s));
        }
        PlanSheet->ShowViewImage();
    });
    connect(Action(A::acParts), &QAction::triggered, this, [this](bool down) {
        if (down) {
            startHalves();
        } else if (m_partsWindow != nullptr) {
            endHalves();
        }
    });
    connect(Action(A::acParts), &QAction::toggled, Action(A::acMenuParts), &QAction::setChecked);
    // The menu form runs the button; for a tile never stored it only moves
    // the check and the button.
    connect(Action(A::acMenuParts), &QAction::triggered, this, [this](bool down) {
        if (!m_tile) {
            return;
        }
        QAction* parts = Action(TTileAction::acParts);
        parts->setChecked(down);
        if (IsEnabled(TEnable::StoredTileWithElements)) {
            if (down && !m_parts) {
                startHalves();
            } else if (!down && m_parts) {
                endHalves();
            }
        }
    });
    on(A::acThickness, &TfrmTileEditor::acThicknessExecute);
    on(A::acEditComment, &TfrmTileEditor::acEditCommentExecute);
    on(A::acEditTilePrimitive, &TfrmTileEditor::acEditTilePrimitiveExecute);
    on(A::acDeleteTilePrimitive, &TfrmTileEditor::acDeleteTilePrimitiveExecute);
    on(A::acScaleUp, [this] { PlanSheet->ZoomIn(); });
    on(A::acScaleDown, [this] { PlanSheet->ZoomOut(); });
    on(A::acScale, [this] { PlanSheet->FacScale->trigger(); });
    connect(Action(A::acMinidisplay), &QAction::toggled, this, [this](bool down) {
        if (down) {
            PlanSheet->ShowMiniDisplay();
        } else {
            PlanSheet->HideMiniDisplay();
        }
    });
    connect(Action(A::acPrStatus), &QAction::toggled, this, [this](bool down) {
        if (down) {
            PlanSheet->ShowElementInfo();
        } else {
            PlanSheet->HideElementInfo();
        }
    });
}

void TfrmTileEditor::buildMenus() {
    const auto a = [this](TTileAction id) { return Action(id); };
    using A = TTileAction;
    QMenuBar* bar = menuBar();
    mnuTiles = bar->addMenu(u"Плитки"_s);
    // Named in the menu, but nothing does them.
    auto* saveAs = new QAction(u"Сохранить как..."_s, this);
    saveAs->setEnabled(false);
    auto* rename = new QAction(u"Сменить название"_s, this);
    rename->setEnabled(false);
    AddItems(mnuTiles, {a(A::acNewTile), a(A::acOpenTile), nullptr, a(A::acSaveTile), saveAs, rename,
                        a(A::acExport), a(A::acImportDxf), nullptr, a(A::acDeleteTile), nullptr, a(A::acCollageEditor), nullptr,
                        a(A::acExit)});

    mnuDrawing = bar->addMenu(u"Чертеж"_s);
    AddItems(mnuDrawing, {a(A::acUndo), a(A::acRedo), nullptr, a(A::acMenuLine), a(A::acMenuArc),
                          a(A::acElementList), a(A::acMenuParts), a(A::acThickness), a(A::acEditComment), nullptr});

    mnuHelp = bar->addMenu(u"Помощь"_s);
    AddItems(mnuHelp, {m_helpActions[0], nullptr, m_helpActions[1], m_helpActions[2], nullptr, m_helpActions[3]});

    SelectedTilePopupMenu = new QMenu(this);
    SelectedTilePopupMenu->setObjectName(u"SelectedTilePopupMenu"_s);
    AddItems(SelectedTilePopupMenu, {a(A::acEditTilePrimitive), a(A::acDeleteTilePrimitive)});
}

void TfrmTileEditor::buildToolBar() {
    const auto a = [this](TTileAction id) { return Action(id); };
    using A = TTileAction;
    TileToolBar = addToolBar(u"Плитки"_s);
    TileToolBar->setObjectName(u"TileToolBar"_s);
    TileToolBar->setMovable(false);
    TileToolBar->setIconSize(QSize(24, 24));
    AddItems(TileToolBar, {a(A::acNewTile), a(A::acOpenTile), a(A::acSaveTile), nullptr, a(A::acUndo),
                           a(A::acRedo), nullptr});

    cbLineStyle = new TLinesBox(TileToolBar);
    cbLineStyle->setObjectName(u"cbLineStyle"_s);
    cbLineStyle->setToolTip(u"Выбрать линию для рисования"_s);
    cbLineStyle->setCurrentIndex(0);
    // Enabled together with "Отрезок".
    connect(a(A::acLine), &QAction::enabledChanged, cbLineStyle, &QWidget::setEnabled);
    cbLineStyle->setEnabled(a(A::acLine)->isEnabled());
    TileToolBar->addWidget(cbLineStyle);

    AddItems(TileToolBar, {a(A::acLine), a(A::acArc), a(A::acSelectElement), a(A::acPrStatus),
                           a(A::acElementList), nullptr, a(A::acParts), a(A::acSelectRegion), nullptr,
                           a(A::acCollageEditor), nullptr, a(A::acScaleUp), a(A::acScaleDown), a(A::acScale),
                           a(A::acMinidisplay), nullptr});

    auto* panel = new TInfoPanel(TileToolBar, [this] { UpdateInfoLabel(); });
    panel->setObjectName(u"InfoPanel"_s);
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(6, 0, 6, 0);
    InfoLabel = new QLabel(panel);
    InfoLabel->setObjectName(u"InfoLabel"_s);
    // A click on the label reaches the panel.
    InfoLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    layout->addWidget(InfoLabel);
    TileToolBar->addWidget(panel);
}

void TfrmTileEditor::buildTools() {
    using A = TTileAction;
    using H = THelpContext;
    m_tools = std::make_unique<TMouseTools>(this, PlanSheet, HelpContext);
    m_tools->Add({.action = Action(A::acLine),
                  .menuItem = Action(A::acMenuLine),
                  .help = H::DrawingSegmentsAndArcs,
                  .press = Handler(this, &TfrmTileEditor::ElementClick),
                  .move = Handler(this, &TfrmTileEditor::ElementTrack),
                  .prepare = [this](bool down) { return prepareDrawing(pkSegment, down); }});
    m_tools->Add({.action = Action(A::acArc),
                  .menuItem = Action(A::acMenuArc),
                  .help = H::DrawingSegmentsAndArcs,
                  .press = Handler(this, &TfrmTileEditor::ElementClick),
                  .move = Handler(this, &TfrmTileEditor::ElementTrack),
                  .prepare = [this](bool down) { return prepareDrawing(pkArc, down); }});
    m_tools->Add({.action = Action(A::acSelectElement),
                  .help = H::SelectingLines,
                  .popup = SelectedTilePopupMenu,
                  .press = Handler(this, &TfrmTileEditor::ElementPick),
                  .move = Handler(this, &TfrmTileEditor::ElementDrag),
                  .prepare = [this](bool down) { return prepareSelection(down); }});
    m_tools->Add({.action = Action(A::acSelectRegion),
                  .help = H::OutliningHalf,
                  .press = Handler(this, &TfrmTileEditor::RegionStart),
                  .move = Handler(this, &TfrmTileEditor::RegionTrack),
                  .release = Handler(this, &TfrmTileEditor::RegionEnd),
                  .prepare = [this](bool down) { return prepareRegion(down); }});
    // Cut lines have a help topic of their own; the tools have bound by now.
    for (A id : {A::acLine, A::acArc, A::acMenuLine, A::acMenuArc}) {
        connect(Action(id), &QAction::triggered, this, [this] {
            if (m_drawTarget != nullptr && m_drawTarget != m_tile.get()) {
                SetHelpContextOf(*this, H::CutLines);
            }
        });
    }
    // One tool has the sheet at a time.
    m_tools->Group({Action(A::acLine), Action(A::acArc), Action(A::acSelectElement), Action(A::acSelectRegion)});
}

void TfrmTileEditor::bindSheet() {
    PlanSheet->OnPSPaint = [this](QPainter& g) { paintTile(g); };
    PlanSheet->OnPSMiniPaint = [this](QPainter& g) {
        if (m_tile) {
            m_tile->DrawElements(g, *PlanSheet, &PlanSheet->Palette().BlackPen);
        }
    };
    PlanSheet->OnPSMiniButtonClick = [this] { Action(TTileAction::acMinidisplay)->setChecked(false); };
    PlanSheet->OnPSPrStatusButtonClick = [this] { Action(TTileAction::acPrStatus)->setChecked(false); };
}

void TfrmTileEditor::paintTile(QPainter& g) {
    if (m_tile) {
        m_tile->Draw(g, *PlanSheet, true, &PlanSheet->Palette().BlackRoundPen);
    }
    if (TPart* part = currentPart()) {
        part->Draw(g, *PlanSheet, false, &PlanSheet->Palette().BlueRoundPen);
    }
    if (m_check) {
        // The leftover in red, the overlaps in blue, see-through over the tile.
        const auto fill = [&g](const TRegion& region, QColor colour) {
            QPainterPath path;
            for (const QPolygonF& polygon : region.Polygons()) {
                path.addPolygon(polygon);
                path.closeSubpath();
            }
            colour.setAlpha(140);
            g.fillPath(path, colour);
        };
        fill(m_check->Leftover, QColor(230, 0, 0));
        fill(m_check->Overlaps, QColor(0, 60, 230));
    }
}

QMenu* TfrmTileEditor::SheetPopupMenu() const { return m_tools->Popup(); }

bool TfrmTileEditor::IsEnabled(TEnable rule) const {
    switch (rule) {
    case TEnable::Always:
        return true;
    case TEnable::Never:
        return false;
    case TEnable::Tile:
        return m_tile != nullptr;
    case TEnable::TileWithElements:
        return m_tile != nullptr && m_tile->Elements().Count() > 0;
    case TEnable::StoredTileWithElements:
        return IsEnabled(TEnable::TileWithElements) && m_tile->ID != -1;
    case TEnable::StoredUnmodifiedTile:
        return m_tile != nullptr && m_tile->ID != -1 && !m_tile->IsModified();
    case TEnable::DrawingTarget:
        return m_parts ? currentPart() != nullptr : m_tile != nullptr;
    case TEnable::HalvesWithPart:
        return m_partsWindow != nullptr && currentPart() != nullptr;
    case TEnable::CanUndo: {
        const QUndoStack* history = undoHistory();
        return history != nullptr && history->canUndo();
    }
    case TEnable::CanRedo: {
        const QUndoStack* history = undoHistory();
        return history != nullptr && history->canRedo();
    }
    }
    return false;
}

void TfrmTileEditor::UpdateActions() { m_actions.Update(); }

void TfrmTileEditor::updateUndoActions() {
    const QUndoStack* history = undoHistory();
    const auto caption = [](const QString& verb, const QString& what) {
        return what.isEmpty() ? verb : u"%1: %2"_s.arg(verb, what);
    };
    Action(TTileAction::acUndo)->setText(caption(u"Отменить"_s, history ? history->undoText() : QString()));
    Action(TTileAction::acRedo)->setText(caption(u"Повторить"_s, history ? history->redoText() : QString()));
    UpdateActions();
}

void TfrmTileEditor::stepHistory(bool back) {
    QUndoStack* history = undoHistory();
    if (history == nullptr) {
        return;
    }
    // The element being drawn may stand on what the step takes away.
    if (m_newElement && m_newElement->IsStarted()) {
        m_newElement->ClearData();
        PlanSheet->ShowViewImage();
    }
    if (m_tile) {
        m_tile->SetCurrent(nullptr);
    }
    if (TPart* part = currentPart()) {
        part->SetCurrent(nullptr);
    }
    if (back) {
        history->undo();
    } else {
        history->redo();
    }
    updateUndoActions();
}

void TfrmTileEditor::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!m_centredOnce) {
        m_centredOnce = true;
        PlanSheet->PostCenterView(0, 0);
    }
}

void TfrmTileEditor::closeEvent(QCloseEvent* event) {
    const bool goOn = !m_tile || m_tile->SaveQuery(PlanSheet->GetView());
    // The parts are stored whatever the answer.
    if (m_parts) {
        if (goOn) {
            endHalves();
        } else {
            m_parts->SaveForTile(m_tile->ID);
        }
    }
    if (!goOn) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
    emit Closed();
}

// --- the tile ------------------------------------------------------------------------

std::unique_ptr<TTile> TfrmTileEditor::makeTile() {
    auto tile = std::make_unique<TTile>([this](const QString& name) { updateCaption(name); });
    connect(tile.get(), &T_TnC_Ancestor::Changed, this, [this] {
        clearCheck();
        UpdateInfoLabel();
        PlanSheet->InvalidateView();
        updateUndoActions();
    });
    return tile;
}

void TfrmTileEditor::replaceTile(std::unique_ptr<TTile> tile) {
    // The parts go to the tile they were loaded for.
    if (m_parts) {
        endHalves();
    }
    resetTools();
    if (m_tile) {
        m_tile->SetCurrent(nullptr);
    }
    m_tile.reset();
    m_tile = std::move(tile);
    if (m_tile) {
        updateCaption(m_tile->Name());
    } else {
        setWindowTitle(m_baseCaption);
    }
    PlanSheet->ClearElementInfo();
    updateUndoActions();
}

void TfrmTileEditor::updateCaption(const QString& name) {
    // An empty name leaves the caption as it is.
    if (!name.isEmpty()) {
        setWindowTitle(u"%1 - %2"_s.arg(m_baseCaption, name));
    }
}

void TfrmTileEditor::setDefaultView() { PlanSheet->SetView(kDefaultView); }

void TfrmTileEditor::acNewTileExecute() {
    if (!m_tile || m_tile->SaveQuery(PlanSheet->GetView())) {
        replaceTile(makeTile());
    }
    // Also when the old tile stays.
    setDefaultView();
    PlanSheet->InvalidateView();
}

void TfrmTileEditor::acImportDxfExecute() {
    const QString caption = u"Импорт контура из DXF"_s;
    const auto chosen = AskDxfImport(this, false, caption);
    if (!chosen) {
        return;
    }
    if (!m_tile) {
        replaceTile(makeTile());
    }
    TDxfChoice choice = chosen->second;
    choice.Replace = false;
    ApplyDxfImport(*m_tile, chosen->first, choice, caption);
    showWholeTile();
    PlanSheet->InvalidateView();
}

void TfrmTileEditor::acOpenTileExecute() {
    TTileLibrary* library = TileDB();
    if (library == nullptr) {
        ui().warning(u"Библиотека плиток недоступна."_s);
        return;
    }
    std::vector<TPickRow> rows;
    for (const TLibraryEntry& e : library->ListTiles()) {
        rows.push_back({e.ID, e.Name});
    }
    int picked = -1;
    {
        TfrmSelectTile pick(this, std::move(rows), nullptr, u"Выбери плитку"_s);
        pick.PreviewCallback = [](int id, TPlanSheet& sheet, TTile*) {
            auto tile = std::make_unique<TTile>();
            tile->LoadIntoSheet(id, sheet);
            return std::unique_ptr<T_TnC_Ancestor>(std::move(tile));
        };
        if (pick.exec() == QDialog::Accepted) {
            picked = pick.PickResult;
        }
    }
    if (picked != -1) {
        if (m_tile && !m_tile->SaveQuery(PlanSheet->GetView())) {
            return;
        }
        replaceTile(nullptr);
        std::unique_ptr<TTile> tile = makeTile();
        ViewRecord view;
        view.Scale = -1.0f;
        tile->LoadFromLibrary(picked, view);
        replaceTile(std::move(tile));
        UpdateInfoLabel();
        if (view.Scale != -1.0f) {
            PlanSheet->SetView(view);
        } else {
            showWholeTile();
        }
    }
    PlanSheet->InvalidateView();
}

void TfrmTileEditor::showWholeTile() {
    // A tile stored without a view of its own (those of the starter library)
    // would open wherever the last view was, often beside the drawing.
    TShapePath path;
    for (int i = 0; i < m_tile->Elements().Count(); ++i) {
        m_tile->Elements().Items(i)->AddToPath(path);
    }
    const QRectF bounds = path.Bounds();
    if (!(bounds.width() > 0.0) || !(bounds.height() > 0.0)) {
        return;
    }
    const QSizeF page = PlanSheet->ViewSizeMillimetres();
    // The tile takes about two thirds of the view.
    const double fit = std::min(page.width() / bounds.width(), page.height() / bounds.height()) * 2.0 / 3.0;
    if (fit > 0.0) {
        PlanSheet->SetScale(fit);
    }
    PlanSheet->CenterOn(m_tile->ToWorldX(float(bounds.center().x())), m_tile->ToWorldY(float(bounds.center().y())));
}

void TfrmTileEditor::acSaveTileExecute() {
    if (m_tile) {
        (void)m_tile->SaveQuery(PlanSheet->GetView());
    }
}

void TfrmTileEditor::acDeleteTileExecute() {
    if (!m_tile) {
        return;
    }
    if (ui().confirm(u"Удалить плитку \"%1\"?"_s.arg(m_tile->Name()), TButtons::YesNo) != TAnswer::Yes) {
        return;
    }
    // A tile never stored has nothing in the library to remove.
    if (m_tile->ID != -1) {
        auto* library = dynamic_cast<TTileDB*>(TileDB());
        if (library == nullptr || !library->CheckWritable() || !library->DeleteTile(m_tile->ID)) {
            return;
        }
    }
    replaceTile(nullptr);
    PlanSheet->InvalidateView();
}

QString ExportFileName(const QString& tileName) {
    static const QString forbidden = u":\\/<>?*"_s;
    QString name = tileName;
    for (QChar& c : name) {
        if (c.unicode() < 32 || forbidden.contains(c)) {
            c = u'_';
        }
    }
    return name;
}

QImage TileBitmap(const TTile& tile, TDrawingSheet& sheet) {
    // The outline is chained on a copy: ordering the elements is no change
    // of the tile.
    TTile copy;
    copy.Assign(tile);
    const QRectF bounds = TElementList::BuildPath(float(GlobalConfig().TileLinkTolerance), copy, true).Bounds();
    const double w = bounds.width();
    const double h = bounds.height();
    if (!(w > 0.0) || !(h > 0.0)) {
        return {};
    }
    constexpr int Side = 64;
    QImage image(Side, Side, QImage::Format_RGB888);
    image.fill(Qt::white);
    // The last pixel's centre is the far edge of the fit.
    const double k = std::min((Side - 1) / w, (Side - 1) / h);
    const double dx = h > w ? (h - w) / 2.0 : 0.0;
    const double dy = h > w ? 0.0 : (w - h) / 2.0;
    QPainter g(&image);
    g.setRenderHint(QPainter::Antialiasing, true);
    // (x, y) -> (x - left + dx, -y + bottom + h + dy), in pixels.
    g.setTransform(QTransform(k, 0, 0, -k, k * (dx - bounds.left()), k * (bounds.top() + h + dy)));
    copy.DrawOutline(g, sheet, &sheet.Palette().BlackPen);
    return image;
}

void TfrmTileEditor::acExportExecute() {
    if (!m_tile) {
        return;
    }
    const QImage picture = TileBitmap(*m_tile, *PlanSheet);
    if (picture.isNull()) {
        ui().warning(u"Плитка не имеет площади"_s);
        return;
    }
    const std::optional<QString> path = AskSaveFile(u"Экспорт в bmp"_s, ProjectsFolder(), u"Точечный рисунок (*.bmp)|*.bmp"_s,
                                                    ExportFileName(m_tile->Name()), u"bmp"_s);
    if (!path) {
        return;
    }
    if (!picture.save(*path, "BMP")) {
        ui().error(u"Не удалось записать файл \"%1\"."_s.arg(*path));
    }
}

void TfrmTileEditor::UpdateInfoLabel() {
    if (!m_tile) {
        return;
    }
    const float area = m_tile->Area(float(GlobalConfig().TileLinkTolerance));
    const float perSquareMetre = area != 0.0f ? 1.0f / area : 0.0f;
    InfoLabel->setText(u"S=%1 кв.м.;  %2 шт/кв.м.;  толщина %3 мм"_s.arg(
        formatFixed(area, 4), formatF(perSquareMetre), formatF(m_tile->Thickness())));
}

void TfrmTileEditor::acThicknessExecute() {
    if (!m_tile) {
        return;
    }
    const std::optional<QString> text = ui().inputText(u"Толщина плитки"_s, QString(), formatF(m_tile->Thickness()));
    if (!text) {
        return;
    }
    const std::optional<double> value = parseNumber(*text);
    if (!value) {
        return;
    }
    const float thickness = float(*value);
    if (thickness != m_tile->Thickness()) {
        m_tile->History().push(new TThicknessCommand(*m_tile, m_tile->Thickness(), thickness));
    }
    UpdateInfoLabel();
}

void TfrmTileEditor::acEditCommentExecute() {
    if (!m_tile) {
        return;
    }
    QString comment = m_tile->Comment;
    if (EditComment(this, comment, u"Комментарий к плитке"_s, HelpNumber(THelpContext::TileComment))) {
        m_tile->History().push(new TTileCommentCommand(*m_tile, m_tile->Comment, comment));
    }
}

void TfrmTileEditor::acElementListExecute() {
    if (!m_tile) {
        return;
    }
    m_tile->SetCurrent(nullptr);
    TfrmElListEditor dialog(this, m_tile->Elements(), *PlanSheet, *m_tile, u"Список графических элементов плитки"_s);
    dialog.exec();
    UpdateInfoLabel();
    PlanSheet->ShowViewImage();
}

void TfrmTileEditor::acEditTilePrimitiveExecute() {
    T_TnC_Ancestor* document = m_markTarget != nullptr ? m_markTarget : m_tile.get();
    if (document == nullptr || document->Current() == nullptr) {
        return;
    }
    TGraphicPrimitive& element = *document->Current();
    if (TPart* part = markedPart()) {
        std::unique_ptr<TGraphicPrimitive> before = element.Clone(element.Owner());
        if (TfrmPrimEdit::Edit(this, element, PlanSheet->UnitDivisor(), PlanSheet->GetUnitName()) && before &&
            !SameElementState(*before, element)) {
            m_parts->History().push(new TChangeCutLineCommand(*m_parts, part->Handle(), element.Handle(),
                                                              std::move(before), element.Clone(element.Owner()),
                                                              u"Свойства элемента"_s));
            PlanSheet->InvalidateView();
        }
        return;
    }
    TElementEdit edit(*document, document->Elements(), element);
    if (TfrmPrimEdit::Edit(this, element, PlanSheet->UnitDivisor(), PlanSheet->GetUnitName())) {
        edit.Commit(u"Свойства элемента"_s);
        PlanSheet->InvalidateView();
    }
}

void TfrmTileEditor::acDeleteTilePrimitiveExecute() {
    T_TnC_Ancestor* document = m_markTarget != nullptr ? m_markTarget : m_tile.get();
    if (document == nullptr || document->Current() == nullptr) {
        return;
    }
    if (ui().confirm(u"Удалить?"_s, TButtons::YesNo) != TAnswer::Yes) {
        return;
    }
    const std::uint32_t handle = document->Current()->Handle();
    document->SetCurrent(nullptr);
    if (TPart* part = markedPart()) {
        m_parts->History().push(new TDeleteCutLinesCommand(*m_parts, part->Handle(), {handle}));
    } else {
        document->History().push(
            new TDeleteElementsCommand(*document, document->Elements(), {handle}, u"Удаление элемента"_s));
    }
    updateUndoActions();
    UpdateInfoLabel();
    PlanSheet->InvalidateView();
}

// --- tools -----------------------------------------------------------------------------

bool TfrmTileEditor::prepareDrawing(std::int32_t kind, bool down) {
    m_newElement.reset();
    m_drawTarget = nullptr;
    if (!down || !IsEnabled(TEnable::DrawingTarget)) {
        return false;
    }
    // In the halves mode the cut lines go into the current part.
    m_drawTarget = m_parts ? static_cast<T_TnC_Ancestor*>(currentPart()) : m_tile.get();
    m_newElement = CreatePrimitive(kind, m_drawTarget);
    return true;
}

bool TfrmTileEditor::prepareSelection(bool down) {
    m_newElement.reset();
    m_drawTarget = nullptr;
    if (down && m_tile) {
        TPart* part = currentPart();
        m_markTarget = part != nullptr ? static_cast<T_TnC_Ancestor*>(part) : m_tile.get();
        return true;
    }
    if (m_markTarget != nullptr) {
        m_markTarget->SetCurrent(nullptr);
    }
    m_markTarget = nullptr;
    PlanSheet->InvalidateView();
    return false;
}

bool TfrmTileEditor::prepareRegion(bool down) {
    m_newElement.reset();
    m_drawTarget = nullptr;
    return down && IsEnabled(TEnable::HalvesWithPart);
}

TPart* TfrmTileEditor::currentPart() const { return m_parts ? m_parts->CurrentItem() : nullptr; }

QUndoStack* TfrmTileEditor::undoHistory() const {
    if (m_parts) {
        return &m_parts->History();
    }
    return m_tile && m_tile->HasHistory() ? &m_tile->History() : nullptr;
}

TPart* TfrmTileEditor::markedPart() const {
    if (!m_parts || m_markTarget == nullptr || m_markTarget == m_tile.get()) {
        return nullptr;
    }
    TPart* part = currentPart();
    return part == m_markTarget ? part : nullptr;
}

void TfrmTileEditor::halvesChanged() {
    // A tool bound to a part that is no longer current lets go of it.
    if (m_drawTarget != nullptr && m_drawTarget != m_tile.get() && m_drawTarget != currentPart()) {
        resetTools();
    }
    if (m_markTarget != nullptr && m_markTarget != m_tile.get() && m_markTarget != currentPart()) {
        m_markTarget = nullptr;
    }
    clearCheck();
    PlanSheet->InvalidateView();
    updateUndoActions();
}

void TfrmTileEditor::clearCheck() {
    if (m_check) {
        m_check.reset();
        PlanSheet->InvalidateView();
    }
}

void TfrmTileEditor::CheckHalvesExecute() {
    TPart* part = currentPart();
    if (!m_tile || part == nullptr) {
        return;
    }
    // As the sheet shows it: what is thinner than a pixel is not seen.
    const QPointF a = PlanSheet->Geometry().DeviceToWorld(0.0, 0.0);
    const QPointF b = PlanSheet->Geometry().DeviceToWorld(1.0, 0.0);
    const double pixel = std::abs(b.x() - a.x());
    m_check = std::make_unique<THalvesCheck>(CheckHalves(*m_tile, *part, pixel));
    PlanSheet->InvalidateView();
    QStringList findings;
    if (m_check->HasLeftover) {
        findings << u"Часть плитки не входит ни в одну половинку"_s;
    }
    if (m_check->HasOverlaps) {
        findings << u"Половинки перекрываются"_s;
    }
    if (findings.isEmpty()) {
        ui().information(u"Половинки покрывают плитку без наложений"_s);
    } else {
        ui().warning(findings.join(u'\n'));
    }
}

void TfrmTileEditor::startHalves() {
    if (m_parts || !IsEnabled(TEnable::StoredTileWithElements)) {
        return;
    }
    resetTools();
    PlanSheet->ShowViewImage();
    Action(TTileAction::acMenuParts)->setChecked(true);
    m_parts = std::make_unique<TPartList>();
    m_parts->LoadForTile(m_tile->ID);
    m_parts->AttachToTile(m_tile.get());
    m_partsWindow = new TfrmParts(this, *m_tile, *m_parts);
    addDockWidget(Qt::RightDockWidgetArea, m_partsWindow);
    // The sheet keeps most of the window.
    resizeDocks({m_partsWindow}, {width() / 3}, Qt::Horizontal);
    connect(m_partsWindow, &TfrmParts::HalvesChanged, this, &TfrmTileEditor::halvesChanged);
    connect(m_partsWindow, &TfrmParts::CheckRequested, this, &TfrmTileEditor::CheckHalvesExecute);
    connect(&m_parts->History(), &QUndoStack::indexChanged, this, [this] {
        if (m_partsWindow != nullptr) {
            m_partsWindow->Refresh();
        }
        halvesChanged();
    });
    connect(m_partsWindow, &TfrmParts::Closed, this, [this] {
        if (m_parts) {
            endHalves();
        }
    });
    showPartElementList(true);
    m_partsWindow->show();
    updateUndoActions();
}

void TfrmTileEditor::endHalves() {
    if (!m_parts) {
        return;
    }
    using A = TTileAction;
    resetTools();
    if (m_tools->Active() == Action(A::acSelectRegion)) {
        m_tools->Stop();
    }
    if (m_markTarget != nullptr && m_markTarget != m_tile.get()) {
        m_markTarget = m_tools->Active() == Action(A::acSelectElement) ? m_tile.get() : nullptr;
    }
    m_parts->ItemIndex = -1;
    clearCheck();
    if (m_tile) {
        m_parts->SaveForTile(m_tile->ID);
    }
    m_parts->History().disconnect(this);
    if (m_partsWindow != nullptr) {
        m_partsWindow->disconnect(this);
        m_partsWindow->hide();
        m_partsWindow->deleteLater();
        m_partsWindow = nullptr;
    }
    m_parts.reset();
    for (A id : {A::acParts, A::acMenuParts, A::acSelectRegion}) {
        const QSignalBlocker quiet(Action(id));
        Action(id)->setChecked(false);
    }
    SetHelpContextOf(*this, THelpContext::TileHalves);
    showPartElementList(false);
    PlanSheet->InvalidateView();
    updateUndoActions();
}

void TfrmTileEditor::showPartElementList(bool parts) {
    QAction* tileList = Action(TTileAction::acElementList);
    QAction* partList = Action(TTileAction::acPartElements);
    QAction* shown = parts ? tileList : partList;
    QAction* wanted = parts ? partList : tileList;
    for (QWidget* holder : {static_cast<QWidget*>(TileToolBar), static_cast<QWidget*>(mnuDrawing)}) {
        if (holder->actions().contains(shown)) {
            holder->insertAction(shown, wanted);
            holder->removeAction(shown);
        }
    }
}

void TfrmTileEditor::RegionStart(float x, float y) { m_regionCorner = {x, y}; }

void TfrmTileEditor::RegionTrack(const TShiftState& shift, float x, float y) {
    if (!shift.left()) {
        return;
    }
    PlanSheet->ShowViewImage();
    if (QPainter* g = PlanSheet->ViewGraphics()) {
        g->setPen(PlanSheet->Palette().DashPen);
        g->setBrush(Qt::NoBrush);
        g->drawRect(QRectF(QPointF(std::min(m_regionCorner.X, x), std::min(m_regionCorner.Y, y)),
                           QSizeF(std::abs(x - m_regionCorner.X), std::abs(y - m_regionCorner.Y))));
    }
}

void TfrmTileEditor::RegionEnd(float x, float y) {
    if (TPart* part = currentPart()) {
        m_parts->History().push(new TAddContourCommand(*m_parts, part->Handle(), m_regionCorner, {x, y}));
    }
    // One half per rectangle: the tool ends by itself.
    m_tools->Finish();
    SetHelpContextOf(*this, THelpContext::TileHalves);
    PlanSheet->InvalidateView();
}

void TfrmTileEditor::resetTools() {
    using A = TTileAction;
    m_newElement.reset();
    m_drawTarget = nullptr;
    for (A id : {A::acMenuLine, A::acLine, A::acMenuArc, A::acArc}) {
        const QSignalBlocker quiet(Action(id));
        Action(id)->setChecked(false);
    }
    // Marking goes on with the next tile.
    QAction* active = m_tools->Active();
    if (active == Action(A::acLine) || active == Action(A::acArc)) {
        m_tools->Stop();
    }
}

void TfrmTileEditor::ElementClick(Qt::MouseButton button, float x, float y) {
    if (!m_tile || !m_newElement || m_drawTarget == nullptr) {
        return;
    }
    if (m_drawTarget != m_tile.get()) {
        cutLineClick(button, x, y);
        return;
    }
    m_newElement->LineStyle = TLinesBox::LineStyleOfRow(cbLineStyle->currentIndex());
    if (DrawElementClick(*m_tile, m_newElement, *PlanSheet, button == Qt::RightButton, x, y)) {
        UpdateInfoLabel();
        PlanSheet->InvalidateView();
    }
}

void TfrmTileEditor::cutLineClick(Qt::MouseButton button, float x, float y) {
    if (button == Qt::RightButton) {
        m_newElement->ClearData();
        PlanSheet->ShowViewImage();
        return;
    }
    bool finished = false;
    m_newElement->AddCreationPoint(*PlanSheet, finished, x, y);
    if (finished) {
        // Cut lines are solid whatever the line-style box shows.
        const std::int32_t kind = m_newElement->GetKind();
        m_newElement->LineStyle = 0;
        TPart* part = currentPart();
        if (part == nullptr || part != m_drawTarget) {
            return;
        }
        m_parts->History().push(new TAddCutLineCommand(*m_parts, part->Handle(), std::move(m_newElement)));
        m_newElement = CreatePrimitive(kind, part);
        updateUndoActions();
        PlanSheet->InvalidateView();
    }
}

void TfrmTileEditor::ElementTrack(float x, float y) {
    if (!m_tile || !m_newElement || !m_newElement->IsStarted()) {
        return;
    }
    PlanSheet->ShowViewImage();
    const QPen& pen =
        m_drawTarget == m_tile.get() ? PlanSheet->Palette().DashPen : PlanSheet->Palette().BlueRoundPen;
    m_newElement->DrawTracking(*PlanSheet, &pen, x, y);
}

void TfrmTileEditor::ElementPick(float x, float y) {
    if (m_markTarget == nullptr) {
        return;
    }
    m_markTarget->TrackPointer(*PlanSheet, {x, y}, PlanSheet->PickTolerance());
    PlanSheet->InvalidateView();
}

void TfrmTileEditor::ElementDrag(const TShiftState& shift, float x, float y) {
    if (m_markTarget == nullptr || !shift.left() || m_markTarget->Current() == nullptr) {
        return;
    }
    T_TnC_Ancestor& document = *m_markTarget;
    TGraphicPrimitive& element = *document.Current();
    if (TPart* part = markedPart()) {
        std::unique_ptr<TGraphicPrimitive> before = element.Clone(element.Owner());
        element.DragTo(*PlanSheet, x, y);
        if (before && !SameElementState(*before, element)) {
            m_parts->History().push(new TChangeCutLineCommand(*m_parts, part->Handle(), element.Handle(),
                                                              std::move(before), element.Clone(element.Owner()),
                                                              u"Перемещение"_s, ciCutLineDrag));
        }
    } else {
        TElementEdit edit(document, document.Elements(), element);
        element.DragTo(*PlanSheet, x, y);
        edit.Commit(u"Перемещение"_s, ciDrag);
    }
    updateUndoActions();
    UpdateInfoLabel();
    PlanSheet->InvalidateView();
}

} // namespace vk
