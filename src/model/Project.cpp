#include "model/Project.h"

#include "geometry/Matrix.h"
#include "geometry/NumberFormat.h"
#include "ui/UserInterface.h"
#include "model/Collage.h"
#include "model/Config.h"
#include "model/FillLimits.h"
#include "model/Parts.h"
#include "model/Tile.h"
#include "model/TilesLayer.h"

#include <algorithm>

namespace vk {

namespace {

float tileLinkTolerance() { return float(GlobalConfig().TileLinkTolerance); }

// A point as the element descriptions show it, in the sheet's display unit.
QString shownPoint(TPointF p, int unitFactor) {
    const double divisor = unitFactor == 100 ? 1000.0 : double(unitFactor);
    return QStringLiteral("(%1;%2)").arg(formatF(double(p.X) / divisor), formatF(double(p.Y) / divisor));
}

} // namespace

// --- project -------------------------------------------------------------------------

class TProject::TLayWork final : public TFillRunner::TWork {
public:
    explicit TLayWork(TProject& project) : m_project(project) {}
    int Step() override { return m_project.layNext(); }
    [[nodiscard]] int Done() const override { return m_project.m_laidTiles.Count(); }
    void Finish(bool cancelled) override { m_project.finishRun(cancelled); }
    // Nothing laid means the start copy reached no part of the site, and a
    // completion message would read as if the fill had worked.
    void Announce(TStepSink& sink) override {
        if (m_project.m_laidTiles.Count() == 0) {
            ui().warning(QStringLiteral("Начальная точка лежит вне участка"));
        } else {
            sink.PostFillDone();
        }
    }

private:
    TProject& m_project;
};

class TProject::TMultiplyWork final : public TFillRunner::TWork {
public:
    explicit TMultiplyWork(TProject& project) : m_project(project) {}
    int Step() override { return m_project.multiplyNext(); }
    [[nodiscard]] int Done() const override { return int(m_project.m_markedTiles.size()); }
    void Finish(bool cancelled) override { m_project.finishMultiply(cancelled); }
    void Announce(TStepSink&) override { ui().information(QStringLiteral("Размножение выделения закончено")); }

private:
    TProject& m_project;
};

TProject::TProject(TStepSink* mainWindow, TNameChange onNameChange, TDrawingSheet* sheet, TSheetScale* scale)
    : T_TnC_Ancestor(std::move(onNameChange)),
      m_mainWindow(mainWindow),
      m_sheet(sheet),
      m_scale(scale),
      m_laidTiles(this),
      m_startPoint(std::make_unique<TPointPrimitive>(this)),
      m_multiplyWork(std::make_unique<TMultiplyWork>(*this)),
      m_layWork(std::make_unique<TLayWork>(*this)),
      m_runner(mainWindow),
      m_painter(m_laidTiles) {
    if (m_scale == nullptr) {
        m_ownScale = std::make_unique<THeadlessScale>();
        m_scale = m_ownScale.get();
    }
    m_savedScale = m_scale->Scale();
    SetName(QStringLiteral("Безымянный"));
    Modified = false;
}

TProject::~TProject() {
    // The tiles refer to the marks lists and the patterns to the tile.
    m_markedTiles.clear();
    m_rememberedTiles.clear();
    m_laidTiles.ClearAll();
    m_workPattern.reset();
    m_pattern.reset();
}

FlaggedPoint TProject::StartPoint() const {
    return static_cast<const TPointPrimitive&>(*m_startPoint).Point();
}

// --- choosing ------------------------------------------------------------------------

bool TProject::SelectTile() {
    if (IsRunning() || m_pickList == nullptr) {
        return false;
    }
    const TPickRequest request{QStringLiteral("Выбери плитку"), QStringLiteral("TileID"),
                               QStringLiteral("TileName"), QString()};
    const std::optional<std::int32_t> id = m_pickList->PickTile(request);
    return id.has_value() && ChooseTile(*id);
}

bool TProject::SelectPattern() {
    if (IsRunning()) {
        return false;
    }
    if (!m_tile) {
        ui().warning(QStringLiteral("Сначала нужно выбрать плитку"));
        return false;
    }
    if (m_pickList == nullptr) {
        return false;
    }
    const TPickRequest request{QStringLiteral("Выбери узор"), QStringLiteral("CollageID"),
                               QStringLiteral("CollageName"), QStringLiteral("TileID = %1").arg(m_tile->ID)};
    const std::optional<std::int32_t> id = m_pickList->PickPattern(request, m_tile->ID, *m_tile);
    return id.has_value() && ChoosePattern(*id);
}

bool TProject::ChooseTile(std::int32_t tileId) {
    if (IsRunning()) {
        return false;
    }
    auto tile = std::make_unique<TTile>();
    tile->LoadById(tileId);
    auto parts = std::make_unique<TPartList>();
    parts->LoadForTile(tileId);
    return UseTile(std::move(tile), std::move(parts));
}

bool TProject::ChoosePattern(std::int32_t patternId) {
    if (IsRunning() || !m_tile) {
        return false;
    }
    auto pattern = std::make_unique<TCollage>(m_tile.get());
    pattern->LoadById(patternId);
    return UsePattern(std::move(pattern));
}

bool TProject::UseTile(std::unique_ptr<TTile> tile, std::unique_ptr<TPartList> parts) {
    if (IsRunning() || !tile) {
        return false;
    }
    clearLaidTiles();
    // A pattern belongs to its tile.
    m_workPattern.reset();
    m_pattern.reset();
    m_tile = std::move(tile);
    m_tile->Elements().SortIntoChain(tileLinkTolerance());
    m_orientation = 0.0f;
    m_tileParts = parts ? std::move(parts) : std::make_unique<TPartList>();
    SetModified(true);
    return true;
}

bool TProject::UsePattern(std::unique_ptr<TCollage> pattern) {
    if (IsRunning() || !pattern) {
        return false;
    }
    if (!m_tile) {
        ui().warning(QStringLiteral("Сначала нужно выбрать плитку"));
        return false;
    }
    clearLaidTiles();
    m_workPattern.reset();
    m_pattern = std::move(pattern);
    m_pattern->Tile = m_tile.get();
    m_pattern->SetParts(m_tileParts.get());
    for (int i = 0; i < m_pattern->Elements().Count(); ++i) {
        if (TTilePlacementPrimitive* placement = m_pattern->Placement(i)) {
            placement->Tile().Elements().SortIntoChain(tileLinkTolerance());
        }
    }
    m_orientation = 0.0f;
    SetOrientation(0.0f);
    SetModified(true);
    return true;
}

bool TProject::SetOrientation(float angle) {
    if (IsRunning()) {
        return false;
    }
    m_orientation = angle;
    m_workPattern.reset();
    if (m_pattern) {
        // Rebuilt from the loaded pattern every time: the angle is absolute,
        // and even 0 binds and turns every placement's cuts.
        m_workPattern = std::make_unique<TCollage>(m_tile.get());
        m_workPattern->Assign(*m_pattern);
        m_workPattern->Rotate({0.0f, 0.0f}, angle);
    }
    SetModified(true);
    return true;
}

void TProject::SetStartPoint(float x, float y) {
    static_cast<TPointPrimitive&>(*m_startPoint).SetPoint(FlaggedPoint{x, y, 1});
    SetModified(true);
}

bool TProject::ClearLaidTiles() {
    if (IsRunning()) {
        return false;
    }
    clearLaidTiles();
    return true;
}

void TProject::clearLaidTiles() {
    m_painter.SetLattice(nullptr);
    m_markedTiles.clear();
    m_rememberedTiles.clear();
    m_gestureFrom.reset();
    ++m_tilesGeneration;
    m_laidTiles.ClearAll();
    m_walk.Clear();
    SetModified(true);
}

void TProject::SetTexture(std::unique_ptr<QBrush> brush) {
    m_texture = std::move(brush);
    m_textureBytes.clear();
    m_painter.Invalidate();
    SetModified(true);
    if (!m_sitePath) {
        ui().warning(QStringLiteral("Чтобы показалась выбранная текстура,\r\nнужно нарисовать участок и "
                                    "\r\nзаполнить его плитками"));
    }
}

// --- site ----------------------------------------------------------------------------

void TProject::BuildSiteRegion() {
    m_siteRegion.reset();
    m_sitePath.reset();
    const bool wasModified = Modified;
    m_openEnds.clear();
    TShapePath path =
        TElementList::BuildPath(float(GlobalConfig().ProjectLinkTolerance), *this, true, &m_openEnds);
    Modified = wasModified;
    m_siteRegion = TSiteRegion::FromPath(path);
    m_sitePath = std::make_unique<TShapePath>(std::move(path));
    m_painter.Invalidate(); // the clip of the tiles' picture changed
}

bool TProject::PlaceTile(const TLaidShape& shape, TPointF offset, TPointF origin, float orientation) {
    return placeTile(shape, QPointF(offset.X, offset.Y), QPointF(origin.X, origin.Y), orientation, isQuick(shape));
}

bool TProject::isQuick(const TLaidShape& shape) const {
    // The cells may decide a tile only if the tile alone would not count as
    // empty: a tile thinner than a pixel is never laid.
    return m_useCells && m_siteRegion && m_siteRegion->HasCells() &&
           !TRegion::FromPolygons(shape.Polygons()).IsEmptyWithin(m_tolerance);
}

bool TProject::placeTile(const TLaidShape& shape, QPointF offset, QPointF origin, float orientation,
                         bool quick) {
    if (!m_siteRegion) {
        return false;
    }
    // Decided where the tile really lies; only the laid tile keeps its base
    // point in single floats.
    const QPointF base = origin + offset;
    TSiteRegion::TCut cut;
    const TSiteRegion::TCoverage coverage =
        m_siteRegion->Classify(shape.Polygons(), shape.Bounds(), base, m_tolerance, quick, cut, &shape.Convex());
    if (coverage == TSiteRegion::TCoverage::Outside) {
        return false;
    }
    TTileContainer& tile = m_laidTiles.AddTile(&shape, TPointF{float(base.x()), float(base.y())});
    tile.Orientation = orientation;
    if (coverage == TSiteRegion::TCoverage::Whole) {
        return true;
    }
    // Cut: the first half whose piece inside the site is the cut piece.
    for (const TLaidShape::THalf& half : shape.Halves()) {
        if (m_siteRegion->HalfMatches(half.Polygons, cut, m_tolerance, &half.Rest)) {
            tile.PartID = half.Part->ID;
            tile.ContourID = half.Part->Equals ? -1 : half.Half->ID;
            AddHalf(m_laidTiles.Group(tile)->Counters, tile.PartID, tile.ContourID, 1, half.Half->Name(),
                    half.Part->Name(), half.Part->Equals);
            break;
        }
    }
    // No half: a whole tile is needed to cut that piece.
    return true;
}

bool TProject::PlaceTile(const TTilePlacementPrimitive& placement, TPointF origin) {
    const TLaidShape* shape = m_laidTiles.AddShape(
        std::make_unique<TLaidShape>(placement.Tile(), placement.Parts(), tileLinkTolerance()));
    const TPointF v = RotatePoint(placement.TilePoint().point(), placement.Rotation(), {0.0f, 0.0f});
    const FlaggedPoint pp = placement.PatternPoint();
    return placeTile(*shape, QPointF(double(pp.X) - v.X, double(pp.Y) - v.Y), QPointF(origin.X, origin.Y),
                     placement.Rotation(), isQuick(*shape));
}

// --- laying --------------------------------------------------------------------------

bool TProject::CheckReadyToFill() {
    const bool startSet = StartPoint().isSet();
    QString text;
    if (Elements().Count() == 0) {
        text = QStringLiteral("Нужно нарисовать участок!");
    } else if (!m_tile) {
        text = QStringLiteral("Нужно выбрать плитку и узор");
        if (!startSet) {
            text += QStringLiteral(",\r\n") + QStringLiteral("задать начальную точку");
        }
    } else if (!m_workPattern) {
        text = QStringLiteral("Нужно выбрать узор");
        if (!startSet) {
            text += QStringLiteral("\r\n") + QStringLiteral("задать начальную точку");
        }
    } else if (!startSet) {
        text = QStringLiteral("Нужно задать начальную точку");
    }
    if (text.isEmpty()) {
        return true;
    }
    ui().warning(text);
    return false;
}

void TProject::prepareShapes() {
    m_fillShapes.clear();
    m_copyBounds = QRectF();
    double extent = 0.0;
    for (int i = 0; i < m_workPattern->Elements().Count(); ++i) {
        const TTilePlacementPrimitive* placement = m_workPattern->Placement(i);
        if (placement == nullptr) {
            continue;
        }
        TFillShape fill;
        fill.Shape = m_laidTiles.AddShape(
            std::make_unique<TLaidShape>(placement->Tile(), placement->Parts(), tileLinkTolerance()));
        const TPointF v = RotatePoint(placement->TilePoint().point(), placement->Rotation(), {0.0f, 0.0f});
        const FlaggedPoint pp = placement->PatternPoint();
        fill.Offset = QPointF(double(pp.X) - v.X, double(pp.Y) - v.Y);
        fill.Orientation = placement->Rotation();
        const QRectF b = fill.Shape->Bounds();
        extent = std::max({extent, b.width(), b.height()});
        const QRectF placed = b.translated(fill.Offset);
        m_copyBounds = m_copyBounds.isNull() ? placed : m_copyBounds.united(placed);
        m_fillShapes.push_back(fill);
    }
    if (m_siteRegion && m_useCells) {
        m_siteRegion->PrepareCells(extent);
    }
    if (m_siteRegion) {
        m_siteRegion->SetStraightEdges(m_straightEdges);
    }
    for (TFillShape& fill : m_fillShapes) {
        fill.Quick = isQuick(*fill.Shape);
    }
}

void TProject::PrepareFill() { prepareFill(false); }

void TProject::prepareFill(bool quiet) {
    SetModified(true);
    clearLaidTiles();
    m_savedScale = m_scale->Scale();
    m_scale->KeepScrollBars(true);
    m_scale->SetScale(FillScale(*m_scale));
    m_scale->UpdateNow();
    m_tolerance = FillRegionTolerance(*m_scale);
    BuildSiteRegion();
    // The border is closed all the same; the user learns where it is not.
    if (!quiet && !m_openEnds.empty()) {
        const int factor = m_scale->UnitFactor();
        ui().warning(QStringLiteral("Контур участка не замкнут: концы в точках %1 и %2")
                         .arg(shownPoint(m_openEnds.front().first, factor),
                              shownPoint(m_openEnds.front().second, factor)));
    }
    prepareShapes();
    m_walk.Clear();
    m_runKind = TRunKind::Fill;
    m_runner.Begin(*m_layWork);
}

QPointF TProject::startOrigin() const {
    const FlaggedPoint start = StartPoint();
    return {double(start.X) + BasePoint.X, double(start.Y) + BasePoint.Y};
}

bool TProject::Fill() {
    if (refuseWhileRunning(TRunKind::Fill) || !CheckReadyToFill() || !CheckFillBounds()) {
        return false;
    }
    PrepareFill();
    startWalk();
    m_runner.Run();
    return true;
}

bool TProject::FillQuietly() {
    if (IsRunning() || Elements().Count() == 0 || !m_tile || !m_workPattern || !StartPoint().isSet()) {
        return false;
    }
    prepareFill(true);
    startWalk();
    // Every unit here and now, as a runner without a window would, and
    // without the window's completion message.
    while (m_runner.IsRunning()) {
        if (layNext() == 0) {
            finishRun(false);
            m_runner.Stop();
        }
    }
    return true;
}

void TProject::startWalk() {
    std::vector<QPointF> hands;
    const TElementList& handList = m_workPattern->HandPoints();
    for (int i = 0; i < handList.Count(); ++i) {
        if (const auto* hand = dynamic_cast<const TPointPrimitive*>(handList.Items(i))) {
            hands.emplace_back(hand->Point().X, hand->Point().Y);
        }
    }
    // A copy whose origin lies farther from the site than its own tiles
    // reach can lay nothing: the walk never goes there.
    QRectF reach;
    if (m_siteRegion && !m_copyBounds.isNull()) {
        constexpr double kMargin = 10.0;
        const QRectF site = m_siteRegion->Region().Bounds();
        reach = QRectF(QPointF(site.left() - m_copyBounds.right() - kMargin, site.top() - m_copyBounds.bottom() - kMargin),
                       QPointF(site.right() - m_copyBounds.left() + kMargin,
                               site.bottom() - m_copyBounds.top() + kMargin));
    }
    m_walk.Start(startOrigin(), hands, reach);
}

bool TProject::LayOnePattern() {
    if (refuseWhileRunning(TRunKind::Fill) || !CheckReadyToFill()) {
        return false;
    }
    PrepareFill();
    const QPointF origin = startOrigin();
    for (const TFillShape& fill : m_fillShapes) {
        placeTile(*fill.Shape, fill.Offset, origin, fill.Orientation, fill.Quick);
    }
    m_scale->SetScale(m_savedScale);
    m_scale->KeepScrollBars(false);
    m_walk.Clear();
    m_runner.Stop();
    return true;
}

int TProject::layNext() {
    if (m_walk.Empty()) {
        return 0;
    }
    const QPointF origin = m_walk.Next();
    bool laidAny = false;
    for (const TFillShape& fill : m_fillShapes) {
        if (placeTile(*fill.Shape, fill.Offset, origin, fill.Orientation, fill.Quick)) {
            laidAny = true;
        }
    }
    // A copy that lays nothing does not spread.
    if (laidAny) {
        m_walk.Spread();
    }
    return m_walk.Queued();
}

void TProject::beginMultiply() {
    m_runKind = TRunKind::Multiply;
    m_runner.Begin(*m_multiplyWork);
    m_runner.Run();
}

void TProject::HandleLayStep(std::uint64_t run) { m_runner.HandleStep(run); }

bool TProject::CancelFill() { return m_runner.Cancel(); }

void TProject::finishRun(bool cancelled) {
    // The project may have been saved while the run went on (the save
    // writes the tiles laid so far): what was laid since is unsaved.
    SetModified(true);
    if (!cancelled && m_walk.OnLattice()) {
        auto lattice = std::make_unique<TLaidLattice>();
        lattice->Valid = true;
        lattice->Origin = m_walk.StartPoint();
        lattice->B0 = m_walk.Basis(0);
        lattice->B1 = m_walk.Basis(1);
        for (const TFillShape& fill : m_fillShapes) {
            lattice->Shapes.emplace_back(fill.Shape, fill.Offset);
        }
        m_painter.SetLattice(std::move(lattice));
    }
    m_scale->SetScale(m_savedScale);
    m_scale->KeepScrollBars(false);
    m_walk.Clear();
    m_laidTiles.ShrinkToFit();
}

// --- report --------------------------------------------------------------------------

TReport TProject::Report() {
    const double area = Area(float(GlobalConfig().ProjectLinkTolerance));
    const double perimeter = Perimeter();
    return BuildReport(area, perimeter, m_laidTiles.Count(), m_laidTiles.ColorGroups());
}

} // namespace vk
