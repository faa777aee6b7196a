#include "app/CollageEditor.h"

#include "app/HelpActions.h"
#include "app/Icons.h"
#include "app/WorkTile.h"
#include "sheet/PointEditor.h"
#include "sheet/TilePlacementEditor.h"
#include "commands/ElementCommands.h"
#include "editors/ElementListEditor.h"
#include "editors/SelectTile.h"
#include "geometry/GraphicPrimitive.h"
#include "geometry/Matrix.h"
#include "library/TileDB.h"
#include "model/Collage.h"
#include "model/Config.h"
#include "model/Tile.h"
#include "model/TileLibrary.h"
#include "sheet/PlanSheet.h"
#include "ui/SheetPalette.h"
#include "ui/UserInterface.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QHash>
#include <QMenuBar>
#include <QPainter>
#include <QToolBar>
#include <QUndoStack>

namespace vk {

using namespace Qt::StringLiterals;

namespace {

// The editor's buttons share the other windows' pictures where they mean the same.
QIcon collageEditorIcon(const QString& name) {
    static const QHash<QString, QString> same{
        {u"acNewCollage"_s, u"acNewProject"_s},   {u"acOpenCollage"_s, u"acOpenProject"_s},
        {u"acSaveCollage"_s, u"acSaveProject"_s}, {u"acTileList"_s, u"acBorderList"_s},
        {u"acNextList"_s, u"acBorderList"_s},     {u"acScale"_s, u"acAskScale"_s},
        {u"acCheckCollage"_s, u"acSelectCollage"_s},
    };
    return MakeIcon(same.value(name, name));
}

// A new pattern shows a 600 x 600 mm sheet at scale 1 with the origin in its middle.
constexpr ViewRecord kDefaultView{600.0f, 600.0f, 300.0f, 300.0f, 1.0f, 0.0f, 0.0f};

} // namespace

TfrmCollageEditor::TfrmCollageEditor(QWidget* parent, const QList<QAction*>& helpActions) : QMainWindow(parent) {
    setObjectName(u"frmCollageEditor"_s);
    setWindowTitle(u"Редактор узоров"_s);
    SetHelpContextOf(*this, HelpContext);
    // Wide enough for the whole tool bar.
    resize(1400, 800);

    CollagePlanSheet = new TPlanSheet(this);
    CollagePlanSheet->setObjectName(u"CollagePlanSheet"_s);
    setCentralWidget(CollagePlanSheet);
    CollagePlanSheet->SetGeometry(kDefaultView.SizeX, kDefaultView.SizeY, kDefaultView.PositiveX,
                                  kDefaultView.PositiveY);
    CollagePlanSheet->SetScale(kDefaultView.Scale);
    CollagePlanSheet->RoundCoordinates = true;
    CollagePlanSheet->SetUnits(GlobalConfig().DisplayUnits);

    buildActions(helpActions);
    connectActions();
    buildMenus();
    buildToolBar();

    m_baseCaption = windowTitle();
    CollagePlanSheet->AddViewMenuItems(mnuDrawing);
    m_workTile = std::make_unique<TTile>();
    m_workTileDialog = new TfrmWorkTile(*this);
    ClearMarkedPlace();
    ClearMarkedTilePoint();
    bindSheet();

    RunWhenIdle(this, [this] { updateUndoActions(); });
    updateUndoActions();
}

TfrmCollageEditor::~TfrmCollageEditor() {
    delete m_workTileDialog;
    m_workTileDialog = nullptr;
    CollagePlanSheet->OnPSPaint = nullptr;
    CollagePlanSheet->OnPSMiniPaint = nullptr;
    CollagePlanSheet->OnPSMouseDown = nullptr;
    m_pattern.reset();
    m_workTile.reset();
}

void TfrmCollageEditor::Execute(QWidget* owner, TTile& tile, const QList<QAction*>& helpActions) {
    TfrmCollageEditor editor(owner, helpActions);
    editor.setWindowFlag(Qt::Window);
    editor.setWindowModality(Qt::ApplicationModal);
    editor.SetTile(tile);
    QEventLoop loop;
    connect(&editor, &TfrmCollageEditor::Closed, &loop, &QEventLoop::quit);
    editor.show();
    loop.exec();
}

void TfrmCollageEditor::buildActions(const QList<QAction*>& helpActions) {
    using A = TCollageAction;
    using E = TEnable;
    constexpr TActionKind Check = TActionKind::Check;
    const QList<QKeySequence> none;
    const TActionRow<A, E> rows[] = {
        {A::acNewCollage, "acNewCollage", u"Новый"_s, u"Новый узор"_s, {u"Ctrl+N"_s}, E::Always},
        {A::acOpenCollage, "acOpenCollage", u"Открыть"_s, u"Открыть узор"_s, {u"Ctrl+O"_s}, E::Always},
        {A::acSaveCollage, "acSaveCollage", u"Сохранить"_s, u"Сохранить узор"_s, {u"Ctrl+S"_s}, E::Pattern},
        {A::acDeleteCollage, "acDeleteCollage", u"Удалить"_s, {}, none, E::Pattern},
        {A::acExit, "acExit", u"Выход"_s, {}, none, E::Always},
        {A::acUndo, "acUndo", u"Отменить"_s, {}, {u"Ctrl+Z"_s}, E::CanUndo},
        {A::acRedo, "acRedo", u"Повторить"_s, {}, {u"Ctrl+Shift+Z"_s, u"Ctrl+Y"_s}, E::CanRedo},
        {A::switchNewTile, "switchNewTile", u"Обозначить место плитки"_s, u"Обозначить место плитки"_s, none,
         E::Pattern, Check},
        {A::acNewTile, "acNewTile", u"Добавить плитку"_s, u"Добавить плитку"_s, none, E::Pattern},
        {A::acNewTileEx, "acNewTileEx", u"Добавить плитку \"как есть\""_s, u"Добавить плитку \"как есть\""_s, none,
         E::PatternWithPlace},
        {A::acTileList, "acTileList", u"Список плиток в узоре"_s, u"Список плиток в узоре"_s, none, E::Pattern},
        {A::switchNewCollage, "switchNewCollage", u"Обозначить соседний узор"_s, u"Обозначить соседний узор"_s,
         none, E::Pattern, Check},
        {A::acNextList, "acNextList", u"Список соседних узоров"_s, u"Список соседних узоров"_s, none, E::Pattern},
        {A::acCheckCollage, "acCheckCollage", u"Проверить узор"_s, u"Проверить узор"_s, none, E::Pattern},
        {A::acScaleUp, "acScaleUp", u"Увеличить"_s, u"Увеличить"_s, none, E::Always},
        {A::acScaleDown, "acScaleDown", u"Уменьшить"_s, u"Уменьшить"_s, none, E::Always},
        {A::acScale, "acScale", u"Масштаб"_s, u"Масштаб"_s, none, E::Always},
        {A::acMinidisplay, "acMinidisplay", u"Мини-дисплей"_s, u"Мини-дисплей"_s, none, E::Always, Check},
    };
    m_actions.Add(this, rows, collageEditorIcon);
    m_helpActions = HelpActions(this, helpActions);
}

void TfrmCollageEditor::connectActions() {
    using A = TCollageAction;
    const auto on = [this](A id, auto handler) { connect(Action(id), &QAction::triggered, this, handler); };
    on(A::acNewCollage, &TfrmCollageEditor::acNewCollageExecute);
    on(A::acOpenCollage, &TfrmCollageEditor::acOpenCollageExecute);
    on(A::acSaveCollage, &TfrmCollageEditor::acSaveCollageExecute);
    on(A::acDeleteCollage, &TfrmCollageEditor::acDeleteCollageExecute);
    on(A::acExit, &QWidget::close);
    on(A::acUndo, [this] { stepHistory(true); });
    on(A::acRedo, [this] { stepHistory(false); });
    on(A::acNewTileEx, &TfrmCollageEditor::acNewTileExExecute);
    on(A::acNewTile, &TfrmCollageEditor::acNewTileExecute);
    on(A::acTileList, [this] { showElementList(true); });
    on(A::acNextList, [this] { showElementList(false); });
    on(A::acCheckCollage, &TfrmCollageEditor::acCheckCollageExecute);
    connect(Action(A::switchNewTile), &QAction::toggled, this, [this] { updateClickMode(); });
    connect(Action(A::switchNewCollage), &QAction::toggled, this, [this] { updateClickMode(); });
    on(A::acScaleUp, [this] { CollagePlanSheet->ZoomIn(); });
    on(A::acScaleDown, [this] { CollagePlanSheet->ZoomOut(); });
    on(A::acScale, [this] { CollagePlanSheet->FacScale->trigger(); });
    connect(Action(A::acMinidisplay), &QAction::toggled, this, [this](bool down) {
        if (down) {
            CollagePlanSheet->ShowMiniDisplay();
        } else {
            CollagePlanSheet->HideMiniDisplay();
        }
    });
}

void TfrmCollageEditor::buildMenus() {
    const auto a = [this](TCollageAction id) { return Action(id); };
    using A = TCollageAction;
    QMenuBar* bar = menuBar();
    mnuCollage = bar->addMenu(u"Узор"_s);
    // Named in the menu, but nothing does them.
    auto* saveAs = new QAction(u"Сохранить как"_s, this);
    saveAs->setEnabled(false);
    auto* rename = new QAction(u"Сменить имя"_s, this);
    rename->setEnabled(false);
    AddItems(mnuCollage, {a(A::acNewCollage), a(A::acOpenCollage), nullptr, a(A::acSaveCollage), saveAs, rename,
                          nullptr, a(A::acDeleteCollage), nullptr, a(A::acExit)});

    mnuDrawing = bar->addMenu(u"Чертеж"_s);
    AddItems(mnuDrawing,
             {a(A::acUndo), a(A::acRedo), nullptr, a(A::acNewTile), a(A::acTileList), a(A::acNextList), nullptr});

    mnuHelp = bar->addMenu(u"Помощь"_s);
    AddItems(mnuHelp, {m_helpActions[0], nullptr, m_helpActions[1], m_helpActions[2], nullptr, m_helpActions[3]});
}

void TfrmCollageEditor::buildToolBar() {
    const auto a = [this](TCollageAction id) { return Action(id); };
    using A = TCollageAction;
    CollageToolBar = addToolBar(u"Узоры"_s);
    CollageToolBar->setObjectName(u"CollageToolBar"_s);
    CollageToolBar->setMovable(false);
    CollageToolBar->setIconSize(QSize(24, 24));
    AddItems(CollageToolBar, {a(A::acNewCollage), a(A::acOpenCollage), a(A::acSaveCollage), nullptr, a(A::acUndo),
                              a(A::acRedo), nullptr, a(A::switchNewTile), a(A::acNewTile), a(A::acNewTileEx),
                              a(A::acTileList), nullptr, a(A::switchNewCollage), a(A::acNextList), nullptr,
                              a(A::acCheckCollage), nullptr, a(A::acScaleUp), a(A::acScaleDown), a(A::acScale),
                              a(A::acMinidisplay)});
}

void TfrmCollageEditor::bindSheet() {
    TPlanSheet* sheet = CollagePlanSheet;
    sheet->OnPSPaint = [this](QPainter& g) { paintPattern(g); };
    sheet->OnPSMiniPaint = [this, sheet](QPainter& g) {
        if (m_pattern) {
            m_pattern->DrawElements(g, *sheet, &sheet->Palette().BlackPen);
        }
    };
    sheet->OnPSMouseDown = [this](QObject*, Qt::MouseButton button, TShiftState, float x, float y) {
        PatternMouseDown(button, x, y);
    };
    sheet->OnPSMiniButtonClick = [this] { Action(TCollageAction::acMinidisplay)->setChecked(false); };
}

void TfrmCollageEditor::paintPattern(QPainter& g) {
    if (!m_pattern) {
        return;
    }
    TPlanSheet& sheet = *CollagePlanSheet;
    if (m_check) {
        g.save();
        g.setPen(Qt::NoPen);
        const auto fill = [&g](const TRegion& region, const QColor& colour) {
            g.setBrush(colour);
            QPainterPath path;
            for (const QPolygonF& polygon : region.Polygons()) {
                path.addPolygon(polygon);
                path.closeSubpath();
            }
            path.setFillRule(Qt::OddEvenFill);
            g.drawPath(path);
        };
        fill(m_check->Gaps, QColor(255, 0, 0, 160));
        fill(m_check->Overlaps, QColor(0, 0, 255, 160));
        g.restore();
        if (m_check->Periodic) {
            QPen outline = sheet.Palette().DashPen;
            g.setPen(outline);
            g.setBrush(Qt::NoBrush);
            g.drawPolygon(m_check->Period);
        }
    }
    if (m_markedPlace.isSet()) {
        DrawPlusMarker(g, sheet, m_markedPlace, &sheet.Palette().BluePen, *m_pattern);
    }
    m_pattern->Draw(g, sheet, true, &sheet.Palette().BlackRoundPen);
}

bool TfrmCollageEditor::IsEnabled(TEnable rule) const {
    switch (rule) {
    case TEnable::Always:
        return true;
    case TEnable::Never:
        return false;
    case TEnable::Pattern:
        return m_pattern != nullptr;
    case TEnable::PatternWithPlace:
        return m_pattern != nullptr && m_markedPlace.isSet();
    case TEnable::CanUndo:
        return m_pattern && m_pattern->HasHistory() && m_pattern->History().canUndo();
    case TEnable::CanRedo:
        return m_pattern && m_pattern->HasHistory() && m_pattern->History().canRedo();
    }
    return false;
}

void TfrmCollageEditor::UpdateActions() { m_actions.Update(); }

void TfrmCollageEditor::updateUndoActions() {
    const QUndoStack* history = m_pattern && m_pattern->HasHistory() ? &m_pattern->History() : nullptr;
    const auto caption = [](const QString& verb, const QString& what) {
        return what.isEmpty() ? verb : u"%1: %2"_s.arg(verb, what);
    };
    Action(TCollageAction::acUndo)->setText(caption(u"Отменить"_s, history ? history->undoText() : QString()));
    Action(TCollageAction::acRedo)->setText(caption(u"Повторить"_s, history ? history->redoText() : QString()));
    UpdateActions();
}

void TfrmCollageEditor::stepHistory(bool back) {
    if (!m_pattern) {
        return;
    }
    m_pattern->SetCurrent(nullptr);
    QUndoStack& history = m_pattern->History();
    if (back) {
        history.undo();
    } else {
        history.redo();
    }
    updateUndoActions();
}

void TfrmCollageEditor::updateClickMode() {
    if (Action(TCollageAction::switchNewTile)->isChecked()) {
        m_clickMode = TClickMode::MarkPlace;
        SetHelpContextOf(*this, THelpContext::TilePlace);
    } else if (Action(TCollageAction::switchNewCollage)->isChecked()) {
        m_clickMode = TClickMode::AddNeighbour;
        SetHelpContextOf(*this, THelpContext::NeighbourPattern);
    } else {
        m_clickMode = TClickMode::Nothing;
        SetHelpContextOf(*this, HelpContext);
    }
}

// --- the marks -----------------------------------------------------------------------

void TfrmCollageEditor::SetTile(TTile& tile) {
    m_tile = &tile;
    SetPlaceAngle(m_placeAngle);
}

void TfrmCollageEditor::SetPlaceAngle(float angle) {
    m_placeAngle = angle;
    if (m_tile == nullptr) {
        return;
    }
    // Always turned from the tile itself: the angle is absolute.
    m_workTile->Assign(*m_tile);
    m_workTile->Rotate({0.0f, 0.0f}, angle);
}

void TfrmCollageEditor::takeBaseAt(float x, float y) {
    if (!m_pattern->BasePoint.isSet() ||
        (m_pattern->Elements().Count() == 0 && m_pattern->HandPoints().Count() == 0)) {
        m_pattern->SetBasePoint(x, y);
    }
}

FlaggedPoint TfrmCollageEditor::baseBeforeFirst() const {
    return m_pattern->Elements().Count() == 0 && m_pattern->HandPoints().Count() == 0 ? FlaggedPoint{}
                                                                                      : m_pattern->BasePoint;
}

void TfrmCollageEditor::MarkPlaceAt(float x, float y) {
    if (!m_pattern) {
        return;
    }
    takeBaseAt(x, y);
    m_markedPlace = FlaggedPoint{m_pattern->ToLocalX(x), m_pattern->ToLocalY(y), 1};
    UpdateActions();
    CollagePlanSheet->InvalidateView();
}

void TfrmCollageEditor::MarkTilePointAt(float x, float y) {
    const TPointF p{m_workTile->ToLocalX(x), m_workTile->ToLocalY(y)};
    const TPointF unturned = RotatePoint(p, -m_placeAngle, {0.0f, 0.0f});
    m_markedTilePoint = FlaggedPoint{unturned.X, unturned.Y, 1};
}

void TfrmCollageEditor::ClearMarkedPlace() {
    m_markedPlace = FlaggedPoint{};
    if (m_workTileDialog != nullptr) {
        m_workTileDialog->TilePlacement->PP->SetPoint({0.0f, 0.0f});
    }
    UpdateActions();
}

void TfrmCollageEditor::ClearMarkedTilePoint() { m_markedTilePoint = FlaggedPoint{}; }

void TfrmCollageEditor::PatternMouseDown(Qt::MouseButton button, float x, float y) {
    if (button != Qt::LeftButton || !m_pattern) {
        return;
    }
    switch (m_clickMode) {
    case TClickMode::Nothing:
        return;
    case TClickMode::AddNeighbour: {
        const FlaggedPoint baseBefore = baseBeforeFirst();
        takeBaseAt(x, y);
        auto point = std::make_unique<TPointPrimitive>(m_pattern.get());
        point->SetPoint(FlaggedPoint{m_pattern->ToLocalX(x), m_pattern->ToLocalY(y), 1});
        m_pattern->History().push(new TAddElementCommand(*m_pattern, m_pattern->HandPoints(), std::move(point),
                                                         baseBefore, u"Соседний узор"_s));
        break;
    }
    case TClickMode::MarkPlace:
        MarkPlaceAt(x, y);
        m_workTileDialog->TilePlacement->PP->SetPoint(m_pattern->ToWorld(m_markedPlace.point()));
        break;
    }
    updateUndoActions();
    CollagePlanSheet->InvalidateView();
}

void TfrmCollageEditor::acNewTileExExecute() {
    // The tile's own base point is its local origin.
    AddPlacement(FlaggedPoint{0.0f, 0.0f, 1});
}

void TfrmCollageEditor::acNewTileExecute() {
    if (m_workTileDialog->isHidden()) {
        m_workTileDialog->show();
    }
    m_workTileDialog->raise();
    m_workTileDialog->activateWindow();
}

void TfrmCollageEditor::AddPlacement(FlaggedPoint tilePoint) {
    if (!IsEnabled(TEnable::PatternWithPlace) || m_tile == nullptr) {
        return;
    }
    auto placement = std::make_unique<TTilePlacementPrimitive>(m_pattern.get());
    placement->SetTilePoint(tilePoint);
    placement->SetPatternPoint(m_markedPlace);
    placement->SetRotation(m_placeAngle);
    placement->SetRotationFlag(1);
    placement->PlaceTile(*m_tile, m_pattern->BasePoint.point());
    if (const TPartList* parts = m_pattern->PatternParts()) {
        auto copy = std::make_unique<TPartList>();
        copy->CopyFrom(*parts);
        placement->SetParts(std::move(copy));
    }
    // The place was marked in an empty pattern: that set its base point.
    const FlaggedPoint baseBefore = baseBeforeFirst();
    m_pattern->History().push(new TAddElementCommand(*m_pattern, m_pattern->Elements(), std::move(placement),
                                                     baseBefore, u"Плитка"_s));
    ClearMarkedPlace();
    updateUndoActions();
    CollagePlanSheet->InvalidateView();
}

// --- lists and the check ---------------------------------------------------------------

void TfrmCollageEditor::showElementList(bool placements) {
    if (!m_pattern) {
        return;
    }
    m_pattern->SetCurrent(nullptr);
    const QString caption = placements ? u"Список плиток в узоре"_s : u"Список соседних узоров"_s;
    TfrmElListEditor dialog(this, placements ? m_pattern->Elements() : m_pattern->HandPoints(), *CollagePlanSheet,
                            *m_pattern, caption);
    dialog.exec();
    updateUndoActions();
    CollagePlanSheet->ShowViewImage();
}

void TfrmCollageEditor::acCheckCollageExecute() {
    if (!m_pattern) {
        return;
    }
    m_check = CheckPattern(*m_pattern, double(GlobalConfig().TileLinkTolerance));
    CollagePlanSheet->InvalidateView();
    if (m_check->Covers()) {
        ui().information(m_check->Message());
    } else {
        ui().warning(m_check->Message());
    }
}

// --- the pattern -----------------------------------------------------------------------

std::unique_ptr<TCollage> TfrmCollageEditor::makePattern() {
    auto pattern = std::make_unique<TCollage>(m_tile, [this](const QString& name) { updateCaption(name); });
    connect(pattern.get(), &T_TnC_Ancestor::Changed, this, [this] {
        // What the check showed is no longer the pattern's.
        m_check.reset();
        CollagePlanSheet->InvalidateView();
        updateUndoActions();
    });
    return pattern;
}

void TfrmCollageEditor::replacePattern(std::unique_ptr<TCollage> pattern) {
    m_check.reset();
    m_pattern = std::move(pattern);
    ClearMarkedPlace();
    updateCaption(m_pattern ? m_pattern->Name() : QString());
    updateUndoActions();
}

void TfrmCollageEditor::updateCaption(const QString& name) {
    setWindowTitle(name.isEmpty() ? m_baseCaption : u"%1 - %2"_s.arg(m_baseCaption, name));
}

void TfrmCollageEditor::acNewCollageExecute() {
    if (!m_pattern || m_pattern->SaveQuery(CollagePlanSheet->GetView())) {
        replacePattern(makePattern());
    }
    // Also when the old pattern stays.
    CollagePlanSheet->SetView(kDefaultView);
    CollagePlanSheet->InvalidateView();
}

void TfrmCollageEditor::acOpenCollageExecute() {
    TTileLibrary* library = TileDB();
    if (library == nullptr || m_tile == nullptr) {
        ui().warning(u"Библиотека плиток недоступна."_s);
        return;
    }
    std::vector<TPickRow> rows;
    for (const TLibraryEntry& e : library->ListPatterns(m_tile->ID)) {
        rows.push_back({e.ID, e.Name});
    }
    int picked = -1;
    {
        TfrmSelectTile pick(this, std::move(rows), m_tile, u"Выбери узор"_s);
        pick.PreviewCallback = [](int id, TPlanSheet& sheet, TTile* tile) {
            auto pattern = std::make_unique<TCollage>(tile);
            pattern->LoadIntoSheet(id, sheet);
            return std::unique_ptr<T_TnC_Ancestor>(std::move(pattern));
        };
        if (pick.exec() == QDialog::Accepted) {
            picked = pick.PickResult;
        }
    }
    if (picked != -1) {
        if (m_pattern && !m_pattern->SaveQuery(CollagePlanSheet->GetView())) {
            return;
        }
        replacePattern(nullptr);
        std::unique_ptr<TCollage> pattern = makePattern();
        ViewRecord view;
        view.Scale = -1.0f;
        pattern->LoadFromLibrary(picked, view);
        replacePattern(std::move(pattern));
        if (view.Scale != -1.0f) {
            CollagePlanSheet->SetView(view);
        }
    }
    CollagePlanSheet->InvalidateView();
}

void TfrmCollageEditor::acSaveCollageExecute() {
    if (m_pattern) {
        (void)m_pattern->SaveQuery(CollagePlanSheet->GetView());
        updateCaption(m_pattern->Name());
    }
}

void TfrmCollageEditor::acDeleteCollageExecute() {
    if (!m_pattern) {
        return;
    }
    if (ui().confirm(u"Удалить узор \"%1\"?"_s.arg(m_pattern->Name()), TButtons::YesNo) != TAnswer::Yes) {
        return;
    }
    // A pattern never stored has nothing in the library to remove.
    if (m_pattern->ID != -1) {
        auto* library = dynamic_cast<TTileDB*>(TileDB());
        if (library == nullptr || !library->CheckWritable() || !library->DeletePattern(m_pattern->ID)) {
            return;
        }
    }
    replacePattern(nullptr);
    CollagePlanSheet->InvalidateView();
}

void TfrmCollageEditor::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!m_centredOnce) {
        m_centredOnce = true;
        CollagePlanSheet->PostCenterView(0, 0);
    }
}

void TfrmCollageEditor::closeEvent(QCloseEvent* event) {
    if (m_pattern && !m_pattern->SaveQuery(CollagePlanSheet->GetView())) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
    emit Closed();
}

} // namespace vk
