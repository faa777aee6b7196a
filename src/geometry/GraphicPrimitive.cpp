#include "geometry/GraphicPrimitive.h"

#include "ui/DrawingSheet.h"
#include "ui/HelpContext.h"
#include "geometry/Matrix.h"
#include "geometry/RecordBytes.h"
#include "geometry/NumberFormat.h"
#include "ui/PropertyEditor.h"
#include "geometry/ShapeDocument.h"
#include "geometry/ShapePath.h"
#include "ui/SheetPalette.h"
#include "geometry/VectorMath.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <bit>
#include <cmath>

static_assert(std::endian::native == std::endian::little,
              "data blocks are kept in memory in their stored (little-endian) layout");

namespace vk {

namespace {

QString f2(double v) { return formatF(v); }

QPointF q(TPointF p) { return {p.X, p.Y}; }

QPen choosePen(const QPen* pen, const QPen& fallback) { return pen != nullptr ? *pen : fallback; }

// The square of side 2h around a point.
QRectF handleRect(TPointF p, float h) { return {p.X - h, p.Y - h, 2.0 * h, 2.0 * h}; }

bool inHandleWindow(TPointF point, TPointF p, float tol) {
    return point.X - tol <= p.X && p.X <= point.X + 2.0f * tol && point.Y - tol <= p.Y &&
           p.Y <= point.Y + 2.0f * tol;
}

// Degrees from 0 to 360 (exclusive).
double wrap360(double a) {
    double r = std::fmod(a, 360.0);
    if (r < 0.0) {
        r += 360.0;
    }
    return r;
}

TPlacementFactory g_placementFactory = nullptr;

} // namespace

QString LineStyleName(int lineStyle) {
    switch (lineStyle) {
    case 0: return QStringLiteral("сплошная");
    case 2: return QStringLiteral("пунктир");
    default: return QString();
    }
}

int LineStyleToRow(int lineStyle) { return lineStyle == 2 ? 1 : 0; }
int RowToLineStyle(int row) { return row == 1 ? 2 : 0; }

void ApplyLineStyle(QPen& pen, int lineStyle) {
    switch (lineStyle) {
    case 0:
        pen.setStyle(Qt::SolidLine);
        break;
    case 1:
        pen.setStyle(Qt::DashLine);
        break;
    case 2:
        // Cut lines: a fine dotted line that stays visible at any zoom.
        pen.setDashPattern({2.0, 3.0});
        break;
    case 3:
        pen.setStyle(Qt::DashDotLine);
        break;
    case 4:
        pen.setStyle(Qt::DashDotDotLine);
        break;
    default:
        pen.setStyle(Qt::SolidLine);
        break;
    }
}

// ---------------------------------------------------------------------------

TGraphicPrimitive::TGraphicPrimitive(std::int32_t kind, T_TnC_Ancestor* owner)
    : Kind(kind), m_owner(owner) {}

TGraphicPrimitive::~TGraphicPrimitive() = default;

void TGraphicPrimitive::allocateData() { m_data.assign(std::size_t(GetDataSize()), 0); }

void TGraphicPrimitive::SetCurrentActive(bool value) {
    if (!value) {
        GrabFlags = 0;
    }
}

std::unique_ptr<TGraphicPrimitive> TGraphicPrimitive::Clone(T_TnC_Ancestor* owner) const {
    std::unique_ptr<TGraphicPrimitive> copy = CreatePrimitive(Kind, owner);
    if (copy) {
        copy->Assign(*this);
    }
    return copy;
}

void TGraphicPrimitive::Assign(const TGraphicPrimitive& source) {
    m_data = source.m_data;
    Version = source.GetVersion();
    LineStyle = source.LineStyle;
}

TPointF TGraphicPrimitive::GetEndPoint() const { return {}; }
TPointF TGraphicPrimitive::GetStartPoint() const { return {}; }

void TGraphicPrimitive::ClearData() { std::fill(m_data.begin(), m_data.end(), std::uint8_t(0)); }

void TGraphicPrimitive::AddCreationPoint(TDrawingSheet&, bool& finished, float x, float y) {
    finished = false;
    if (m_owner != nullptr && !m_owner->BasePoint.isSet()) {
        m_owner->SetBasePoint(x, y);
    }
}

void TGraphicPrimitive::DragTo(TDrawingSheet&, float, float) { markModified(); }

void TGraphicPrimitive::CreateEditor(QWidget*, int, const QString&) {}

void TGraphicPrimitive::ApplyEditor(int) {
    markModified();
    ReleaseEditor();
}

void TGraphicPrimitive::ReleaseEditor() { m_editor.reset(); }

void TGraphicPrimitive::Rotate(TPointF, float) {}
void TGraphicPrimitive::AddToPath(TShapePath&) const {}
void TGraphicPrimitive::Reverse() {}
float TGraphicPrimitive::DistanceTo(TPointF) const { return -1.0f; }
void TGraphicPrimitive::DrawHandles(QPainter&, TDrawingSheet&, const QPen*) {}

void TGraphicPrimitive::HitTestHandles(TPointF p, float tol) {
    if (inHandleWindow(GetStartPoint(), p, tol)) {
        GrabFlags |= gfStart;
    } else {
        GrabFlags &= ~std::uint32_t(gfStart);
    }
    if (inHandleWindow(GetEndPoint(), p, tol)) {
        GrabFlags |= gfEnd;
    } else {
        GrabFlags &= ~std::uint32_t(gfEnd);
    }
}

QString TGraphicPrimitive::FormatInfo(TPointF, TPointF, int unitDivisor, TPointF) const {
    return GetInfo(unitDivisor);
}

QString TGraphicPrimitive::GetInfo(int) const { return QStringLiteral("Информации нет"); }

std::vector<std::unique_ptr<TGraphicPrimitive>> TGraphicPrimitive::SplitAt(
    const std::vector<IntersectionPoint>&, int) const {
    return {};
}

FlaggedPoint TGraphicPrimitive::fp(int offset) const { return getFlaggedPoint(m_data.data() + offset); }

void TGraphicPrimitive::setFp(int offset, const FlaggedPoint& p) { putFlaggedPoint(m_data.data() + offset, p); }

void TGraphicPrimitive::setFp(int offset, TPointF local) { setFp(offset, FlaggedPoint{local.X, local.Y, 1}); }

void TGraphicPrimitive::shiftPoint(int offset, float dx, float dy) {
    FlaggedPoint p = fp(offset);
    p.X += dx;
    p.Y += dy;
    setFp(offset, p);
}

void TGraphicPrimitive::placePoint(int offset, TPointF local) {
    FlaggedPoint p = fp(offset);
    p.X = local.X;
    p.Y = local.Y;
    setFp(offset, p);
}

void TGraphicPrimitive::openEditor(TEditorKind kind, QWidget* parent, const QString& unitName,
                                   int helpContext, const TEditorValues& values) {
    if (TEditorFactory* factory = editorFactory()) {
        m_editor = factory->Create(kind, parent, unitName, helpContext, values);
    }
}

float TGraphicPrimitive::f32(int offset) const { return getSingle(m_data.data() + offset); }

void TGraphicPrimitive::setF32(int offset, float value) { putSingle(m_data.data() + offset, value); }

void TGraphicPrimitive::markModified() {
    if (m_owner != nullptr) {
        m_owner->SetModified(true);
    }
}

TPointF TGraphicPrimitive::toWorld(TPointF local) const {
    return m_owner != nullptr ? m_owner->ToWorld(local) : local;
}

TPointF TGraphicPrimitive::toLocal(TPointF world) const {
    return m_owner != nullptr ? m_owner->ToLocal(world) : world;
}

// --- segment -------------------------------------------------------------------

TLinePrimitive::TLinePrimitive(T_TnC_Ancestor* owner, std::int32_t kind)
    : TGraphicPrimitive(kind, owner) {
    allocateData();
}

TPointF TLinePrimitive::GetEndPoint() const { return toWorld(Finish()); }
TPointF TLinePrimitive::GetStartPoint() const { return toWorld(Start()); }

QString TLinePrimitive::GetDescription(int d) const {
    const TPointF s = GetStartPoint();
    const TPointF f = GetEndPoint();
    return QStringLiteral("Отрезок") + QStringLiteral(" (%1;%2)-(%3;%4), %5")
                                           .arg(f2(s.X / d), f2(s.Y / d), f2(f.X / d), f2(f.Y / d),
                                                LineStyleName(LineStyle));
}

void TLinePrimitive::Draw(QPainter& graphics, TDrawingSheet& sheet, const QPen* pen) {
    QPen p = choosePen(pen, sheet.Palette().BlackRoundPen);
    ApplyLineStyle(p, LineStyle);
    if (Start().isSet() && Finish().isSet()) {
        graphics.setPen(p);
        graphics.drawLine(q(GetStartPoint()), q(GetEndPoint()));
    }
}

void TLinePrimitive::DrawTracking(TDrawingSheet& sheet, const QPen* pen, float x, float y) {
    if (!Start().isSet()) {
        return;
    }
    const TPointF s = GetStartPoint();
    if (QPainter* g = sheet.ViewGraphics()) {
        g->setPen(choosePen(pen, sheet.Palette().DashPen));
        g->drawLine(q(s), QPointF(x, y));
    }
    sheet.SetElementInfo(FormatInfo(s, {x, y}, sheet.UnitDivisor(), s));
}

void TLinePrimitive::AddCreationPoint(TDrawingSheet& sheet, bool& finished, float x, float y) {
    TGraphicPrimitive::AddCreationPoint(sheet, finished, x, y);
    const TPointF p{x, y};
    if (!Start().isSet()) {
        setFp(StartOffset, toLocal(p));
        sheet.SetElementInfo(FormatInfo(p, p, sheet.UnitDivisor(), p));
    } else if (!Finish().isSet()) {
        setFp(FinishOffset, toLocal(p));
        const TPointF s = GetStartPoint();
        sheet.SetElementInfo(FormatInfo(s, p, sheet.UnitDivisor(), s));
        finished = true;
    }
}

void TLinePrimitive::DragTo(TDrawingSheet& sheet, float x, float y) {
    TGraphicPrimitive::DragTo(sheet, x, y);
    const float dx = x - DragAnchor.X;
    const float dy = y - DragAnchor.Y;
    if (GrabFlags & gfEnd) {
        setFp(FinishOffset, toLocal({x, y}));
    } else if (GrabFlags & gfStart) {
        setFp(StartOffset, toLocal({x, y}));
    } else if (GrabFlags & gfWhole) {
        shiftPoint(StartOffset, dx, dy);
        shiftPoint(FinishOffset, dx, dy);
        DragAnchor = {x, y};
    }
    sheet.SetElementInfo(GetInfo(sheet.UnitDivisor()));
}

void TLinePrimitive::CreateEditor(QWidget* parent, int d, const QString& unitName) {
    TGraphicPrimitive::CreateEditor(parent, d, unitName);
    TEditorValues v;
    v.Start = shown(GetStartPoint(), d);
    v.Finish = shown(GetEndPoint(), d);
    v.StyleRow = LineStyleToRow(LineStyle);
    openEditor(TEditorKind::Line, parent, unitName, HelpNumber(THelpContext::SegmentProperties), v);
}

void TLinePrimitive::ApplyEditor(int d) {
    if (m_editor) {
        const TEditorValues v = m_editor->Values();
        placePoint(StartOffset, toLocal(unshown(v.Start, d)));
        placePoint(FinishOffset, toLocal(unshown(v.Finish, d)));
        LineStyle = RowToLineStyle(v.StyleRow);
    }
    TGraphicPrimitive::ApplyEditor(d);
}

void TLinePrimitive::Rotate(TPointF centre, float angle) {
    placePoint(StartOffset, RotatePoint(Start().point(), angle, centre));
    placePoint(FinishOffset, RotatePoint(Finish().point(), angle, centre));
}

void TLinePrimitive::AddToPath(TShapePath& path) const { path.AddLine(GetStartPoint(), GetEndPoint()); }

void TLinePrimitive::Reverse() {
    const FlaggedPoint s = Start();
    SetStart(Finish());
    SetFinish(s);
}

float TLinePrimitive::DistanceTo(TPointF p) const {
    return DistanceToSegment(toLocal(p), Start().point(), Finish().point());
}

void TLinePrimitive::DrawHandles(QPainter& graphics, TDrawingSheet& sheet, const QPen*) {
    const float h = sheet.PickTolerance();
    const TSheetPalette& pal = sheet.Palette();
    graphics.setPen(pal.RulerPen);
    graphics.setBrush(pal.CyanBrush);
    graphics.drawRect(handleRect(GetStartPoint(), h));
    graphics.setBrush(Qt::NoBrush);
    graphics.drawRect(handleRect(GetEndPoint(), h));
}

QString TLinePrimitive::FormatInfo(TPointF p1, TPointF p2, int d, TPointF) const {
    return QStringLiteral("Начало") + QStringLiteral(": %1; %2\r\n").arg(f2(p1.X / d), f2(p1.Y / d)) +
           QStringLiteral("Конец") + QStringLiteral(": %1; %2\r\n").arg(f2(p2.X / d), f2(p2.Y / d)) +
           QStringLiteral("Длина") + QStringLiteral(": %1\r\n").arg(f2(Distance(p1, p2) / d)) +
           QStringLiteral("Угол наклона к оси X") + QStringLiteral(": %1").arg(f2(AngleOf(p1, p2)));
}

QString TLinePrimitive::GetInfo(int d) const {
    const TPointF s = GetStartPoint();
    return FormatInfo(s, GetEndPoint(), d, s);
}

std::vector<std::unique_ptr<TGraphicPrimitive>> TLinePrimitive::SplitAt(
    const std::vector<IntersectionPoint>& crossings, int tolerance) const {
    std::vector<std::unique_ptr<TGraphicPrimitive>> kept;
    if (crossings.empty() || (crossings.front().FlagsB & crossing::Interior) == 0) {
        return kept;
    }
    std::vector<IntersectionPoint> cuts = crossings;
    const TPointF start = Start().point();
    const auto localOf = [this](const IntersectionPoint& c) { return toLocal({c.X, c.Y}); };
    if (cuts.size() >= 2 && Distance(start, localOf(cuts[1])) < Distance(start, localOf(cuts[0]))) {
        std::swap(cuts[0], cuts[1]);
    }
    const auto keep = [&](const FlaggedPoint& a, const FlaggedPoint& b) {
        if (Distance(a.point(), b.point()) > float(tolerance)) {
            auto piece = std::make_unique<TLinePrimitive>(Owner(), Kind);
            piece->SetStart(a);
            piece->SetFinish(b);
            kept.push_back(std::move(piece));
        }
    };
    FlaggedPoint pieceStart = Start();
    for (const IntersectionPoint& c : cuts) {
        const TPointF l = localOf(c);
        const FlaggedPoint cut{l.X, l.Y, 1};
        keep(pieceStart, cut);
        pieceStart = cut;
    }
    keep(pieceStart, Finish());
    return kept;
}

// --- arc -----------------------------------------------------------------------

TArcPrimitive::TArcPrimitive(T_TnC_Ancestor* owner, std::int32_t kind)
    : TGraphicPrimitive(kind, owner) {
    allocateData();
}

float TArcPrimitive::StartAngle() const { return AngleOf(Centre().point(), Start().point()); }
float TArcPrimitive::EndAngle() const { return NormalizeAngle(StartAngle() + Sweep()); }
float TArcPrimitive::Length() const { return ArcLength(Radius(), Sweep()); }
TPointF TArcPrimitive::GetCentre() const { return toWorld(Centre()); }

TArcGeom TArcPrimitive::Geom() const {
    return {GetCentre(), GetStartPoint(), Sweep(), Radius()};
}

TPointF TArcPrimitive::GetEndPoint() const {
    return toWorld(PolarPoint(Centre().point(), Radius(), EndAngle()));
}

TPointF TArcPrimitive::GetStartPoint() const { return toWorld(Start()); }

QString TArcPrimitive::GetDescription(int d) const {
    const TPointF c = GetCentre();
    const TPointF s = GetStartPoint();
    return QStringLiteral("Дуга") + QStringLiteral(": ") + QStringLiteral("центр") +
           QStringLiteral(" (%1;%2); ").arg(f2(c.X / d), f2(c.Y / d)) + QStringLiteral("начало") +
           QStringLiteral(" (%1;%2); ").arg(f2(s.X / d), f2(s.Y / d)) + QStringLiteral("угол") +
           QStringLiteral(" %1, %2").arg(f2(Sweep()), LineStyleName(LineStyle));
}

namespace {
// The arc of the circle about c with radius r, as a path Qt can stroke.
QPainterPath arcPath(TPointF c, float r, float startAngle, float sweep) {
    QPainterPath path;
    const QRectF rect(c.X - r, c.Y - r, 2.0 * r, 2.0 * r);
    // Qt runs clockwise in a y-up world: negate both angles.
    path.arcMoveTo(rect, -startAngle);
    path.arcTo(rect, -startAngle, -sweep);
    return path;
}
} // namespace

void TArcPrimitive::Draw(QPainter& graphics, TDrawingSheet& sheet, const QPen* pen) {
    QPen p = choosePen(pen, sheet.Palette().BlackRoundPen);
    ApplyLineStyle(p, LineStyle);
    if (Radius() <= 0.0f) {
        return; // an empty circle draws nothing
    }
    graphics.setPen(p);
    graphics.setBrush(Qt::NoBrush);
    graphics.drawPath(arcPath(GetCentre(), Radius(), StartAngle(), Sweep()));
}

void TArcPrimitive::DrawTracking(TDrawingSheet& sheet, const QPen* pen, float x, float y) {
    const QPen p = choosePen(pen, sheet.Palette().DashPen);
    const TPointF c = GetCentre();
    const TPointF m{x, y};
    QPainter* g = sheet.ViewGraphics();
    if (Start().isSet()) {
        const TPointF s = GetStartPoint();
        const float r = Radius();
        if (g != nullptr) {
            g->setBrush(Qt::NoBrush);
            g->setPen(p);
            g->drawEllipse(q(c), double(r), double(r));
            g->drawLine(q(c), q(s));
            g->setPen(sheet.Palette().BlackRoundPen);
            g->drawPath(arcPath(c, r, StartAngle(), NormalizeAngle(AngleOf(c, m) - StartAngle())));
        }
        sheet.SetElementInfo(FormatInfo(s, m, sheet.UnitDivisor(), c));
    } else if (Centre().isSet()) {
        if (g != nullptr) {
            const double r = Distance(c, m);
            g->setBrush(Qt::NoBrush);
            g->setPen(p);
            g->drawEllipse(q(c), r, r);
        }
        sheet.SetElementInfo(FormatInfo(m, m, sheet.UnitDivisor(), c));
    }
}

void TArcPrimitive::AddCreationPoint(TDrawingSheet& sheet, bool& finished, float x, float y) {
    TGraphicPrimitive::AddCreationPoint(sheet, finished, x, y);
    const TPointF p{x, y};
    const int d = sheet.UnitDivisor();
    if (!Centre().isSet()) {
        setFp(CentreOffset, toLocal(p));
        sheet.SetElementInfo(FormatInfo(p, p, d, p));
    } else if (!Start().isSet()) {
        setFp(StartOffset, toLocal(p));
        SetRadius(Distance(Centre().point(), Start().point()));
        const TPointF c = GetCentre();
        sheet.SetElementInfo(FormatInfo(p, c, d, c));
    } else {
        const TPointF c = GetCentre();
        SetSweep(NormalizeAngle(AngleOf(c, p) - StartAngle()));
        sheet.SetElementInfo(FormatInfo(GetStartPoint(), GetEndPoint(), d, c));
        finished = true;
    }
}

void TArcPrimitive::DragTo(TDrawingSheet& sheet, float x, float y) {
    TGraphicPrimitive::DragTo(sheet, x, y);
    const float dx = x - DragAnchor.X;
    const float dy = y - DragAnchor.Y;
    const TPointF local = toLocal({x, y});
    if (GrabFlags & gfEnd) {
        SetSweep(NormalizeAngle(AngleOf(Centre().point(), local) - StartAngle()));
    } else if (GrabFlags & gfStart) {
        setFp(StartOffset, local);
        SetRadius(Distance(Centre().point(), Start().point()));
    } else if (GrabFlags & gfCentre) {
        const TPointF oldEnd = RotateAroundPoint(Centre().point(), Start().point(), Sweep());
        shiftPoint(CentreOffset, dx, dy);
        SetRadius(Distance(Centre().point(), Start().point()));
        SetSweep(NormalizeAngle(AngleOf(Centre().point(), oldEnd) - StartAngle()));
        DragAnchor = {x, y};
    } else if (GrabFlags & gfWhole) {
        shiftPoint(CentreOffset, dx, dy);
        shiftPoint(StartOffset, dx, dy);
        DragAnchor = {x, y};
    }
    sheet.SetElementInfo(GetInfo(sheet.UnitDivisor()));
}

void TArcPrimitive::CreateEditor(QWidget* parent, int d, const QString& unitName) {
    TGraphicPrimitive::CreateEditor(parent, d, unitName);
    TEditorValues v;
    v.Center = shown(GetCentre(), d);
    v.Start = shown(GetStartPoint(), d);
    v.Sweep = Sweep();
    v.Radius = Radius() / float(d);
    v.StyleRow = LineStyleToRow(LineStyle);
    openEditor(TEditorKind::Arc, parent, unitName, HelpNumber(THelpContext::ArcProperties), v);
}

void TArcPrimitive::ApplyEditor(int d) {
    if (m_editor) {
        const TEditorValues v = m_editor->Values();
        placePoint(CentreOffset, toLocal(unshown(v.Center, d)));
        placePoint(StartOffset, toLocal(unshown(v.Start, d)));
        SetSweep(v.Sweep);
        SetRadius(Distance(Centre().point(), Start().point()));
        LineStyle = RowToLineStyle(v.StyleRow);
    }
    TGraphicPrimitive::ApplyEditor(d);
}

void TArcPrimitive::Rotate(TPointF centre, float angle) {
    placePoint(CentreOffset, RotatePoint(Centre().point(), angle, centre));
    placePoint(StartOffset, RotatePoint(Start().point(), angle, centre));
}

void TArcPrimitive::AddToPath(TShapePath& path) const {
    path.AddArc(GetCentre(), Radius(), StartAngle(), Sweep());
}

void TArcPrimitive::Reverse() {
    placePoint(StartOffset, PolarPoint(Centre().point(), Radius(), EndAngle()));
    SetSweep(-Sweep());
}

double TArcPrimitive::runTo(float angle) const {
    const double s = StartAngle();
    return Sweep() >= 0.0f ? wrap360(double(angle) - s) : wrap360(s - double(angle));
}

float TArcPrimitive::DistanceTo(TPointF p) const {
    const TPointF local = toLocal(p);
    const float a = AngleOf(Centre().point(), local);
    const double span = std::fabs(double(Sweep()));
    // A zero sweep (start and end in one direction) counts every direction
    // as inside; otherwise the direction must lie on the run from the start
    // in the arc's own sense, ends included.
    const double run = runTo(a);
    const double eps = 1e-4;
    const bool inside = span == 0.0 || span >= 360.0 || run <= span + eps || run >= 360.0 - eps;
    if (!inside) {
        return -1.0f;
    }
    return std::fabs(Distance(Centre().point(), local) - Radius());
}

void TArcPrimitive::DrawHandles(QPainter& graphics, TDrawingSheet& sheet, const QPen*) {
    const float h = sheet.PickTolerance();
    const TSheetPalette& pal = sheet.Palette();
    graphics.setPen(pal.RulerPen);
    graphics.setBrush(pal.CyanBrush);
    graphics.drawRect(handleRect(GetStartPoint(), h));
    graphics.setBrush(Qt::NoBrush);
    graphics.drawRect(handleRect(GetEndPoint(), h));
    graphics.drawRect(handleRect(GetCentre(), h));
}

void TArcPrimitive::HitTestHandles(TPointF p, float tol) {
    TGraphicPrimitive::HitTestHandles(p, tol);
    if (inHandleWindow(GetCentre(), p, tol)) {
        GrabFlags |= gfCentre;
    } else {
        GrabFlags &= ~std::uint32_t(gfCentre);
    }
}

QString TArcPrimitive::FormatInfo(TPointF p1, TPointF p2, int d, TPointF p3) const {
    const float r = Distance(p3, p1);
    const float s = AngleOf(p3, p1);
    const float w = NormalizeAngle(AngleOf(p3, p2) - s);
    return QStringLiteral("Центр") + QStringLiteral(": %1; %2\r\n").arg(f2(p3.X / d), f2(p3.Y / d)) +
           QStringLiteral("Начало") + QStringLiteral(": %1; %2\r\n").arg(f2(p1.X / d), f2(p1.Y / d)) +
           QStringLiteral("Конец") + QStringLiteral(": %1; %2\r\n").arg(f2(p2.X / d), f2(p2.Y / d)) +
           QStringLiteral("Радиус") + QStringLiteral(": %1\r\n").arg(f2(r / d)) +
           QStringLiteral("Длина") + QStringLiteral(": %1\r\n").arg(f2(ArcLength(r, w) / d)) +
           QStringLiteral("Угол поворота") + QStringLiteral(": %1\r\n").arg(f2(w)) +
           QStringLiteral("Угол наклона к оси X") + QStringLiteral(": %1").arg(f2(s));
}

QString TArcPrimitive::GetInfo(int d) const {
    return FormatInfo(GetStartPoint(), GetEndPoint(), d, GetCentre());
}

std::vector<std::unique_ptr<TGraphicPrimitive>> TArcPrimitive::SplitAt(
    const std::vector<IntersectionPoint>& crossings, int tolerance) const {
    std::vector<std::unique_ptr<TGraphicPrimitive>> kept;
    const std::int32_t onArc = crossing::Interior | crossing::NearStart | crossing::NearEnd;
    const TPointF centreWorld = GetCentre();
    const double span = std::fabs(double(Sweep()));
    const double sign = Sweep() < 0.0f ? -1.0 : 1.0;

    // Each crossing by its run from the start along the arc, in the arc's own
    // sense of travel. A crossing near an end but just outside the arc is put
    // on that end, so it leaves only a stub that the tolerance drops; its
    // direction moves there too, or the remaining piece would start off the
    // arc and, keeping the rest of the sweep, carry the arc's far end along.
    std::vector<std::pair<double, float>> cuts; // run, direction
    for (const IntersectionPoint& c : crossings) {
        if ((c.FlagsB & onArc) == 0) {
            continue;
        }
        float angle = AngleOf(centreWorld, TPointF{c.X, c.Y});
        double run = runTo(angle);
        if (run > span) {
            run = (run - span < 360.0 - run) ? span : 0.0;
            angle = run == 0.0 ? StartAngle() : EndAngle();
        }
        cuts.emplace_back(run, angle);
    }
    std::stable_sort(cuts.begin(), cuts.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });

    auto work = std::make_unique<TArcPrimitive>(Owner(), Kind);
    work->Assign(*this);
    double done = 0.0;
    for (const auto& [run, angle] : cuts) {
        auto piece = std::make_unique<TArcPrimitive>(Owner(), Kind);
        piece->SetCentre(FlaggedPoint{work->Centre().X, work->Centre().Y, 1});
        piece->SetRadius(work->Radius());
        piece->SetStart(FlaggedPoint{work->Start().X, work->Start().Y, 1});
        piece->SetSweep(float(sign * (run - done)));
        piece->SetSweepFlag(1);
        piece->LineStyle = 0;
        if (piece->Length() > float(tolerance)) {
            kept.push_back(std::move(piece));
        }
        const TPointF newStart = PolarPoint(work->Centre().point(), work->Radius(), angle);
        work->SetStart(FlaggedPoint{newStart.X, newStart.Y, 1});
        work->SetSweep(float(sign * (span - run)));
        work->SetSweepFlag(1);
        done = run;
    }
    if (work->Length() > float(tolerance)) {
        kept.push_back(std::move(work));
    }
    return kept;
}

// --- point ---------------------------------------------------------------------

TPointPrimitive::TPointPrimitive(T_TnC_Ancestor* owner, std::int32_t kind)
    : TGraphicPrimitive(kind, owner) {
    allocateData();
}

QString TPointPrimitive::GetDescription(int d) const {
    const TPointF p = toWorld(Point());
    return QStringLiteral("Точка") + QStringLiteral(" (%1;%2)").arg(f2(p.X / d), f2(p.Y / d));
}

void TPointPrimitive::CreateEditor(QWidget* parent, int d, const QString& unitName) {
    TEditorValues v;
    v.Point = shown(toWorld(Point()), d);
    openEditor(TEditorKind::Point, parent, unitName, 0, v);
}

void TPointPrimitive::ApplyEditor(int d) {
    if (m_editor) {
        placePoint(0, toLocal(unshown(m_editor->Values().Point, d)));
    }
    TGraphicPrimitive::ApplyEditor(d);
}

void TPointPrimitive::Rotate(TPointF centre, float angle) {
    placePoint(0, RotatePoint(Point().point(), angle, centre));
}

void TPointPrimitive::AddToPath(TShapePath& path) const {
    const TPointF p = toWorld(Point());
    path.AddLine(p, p);
}

// --- factory and markers ---------------------------------------------------------

void SetPlacementFactory(TPlacementFactory factory) { g_placementFactory = factory; }

std::unique_ptr<TGraphicPrimitive> CreatePrimitive(std::int32_t kind, T_TnC_Ancestor* owner) {
    switch (kind) {
    case pkSegment: return std::make_unique<TLinePrimitive>(owner);
    case pkPoint: return std::make_unique<TPointPrimitive>(owner);
    case pkArc: return std::make_unique<TArcPrimitive>(owner);
    case pkTilePlacement:
        return g_placementFactory != nullptr ? g_placementFactory(owner) : nullptr;
    default: return nullptr;
    }
}

namespace {
void plus(QPainter& g, TDrawingSheet& sheet, TPointF local, const QPen* pen,
          const T_TnC_Ancestor& doc) {
    const TPointF p = doc.ToWorld(local);
    const float h = sheet.PickTolerance();
    g.setPen(choosePen(pen, sheet.Palette().BluePen));
    g.drawLine(QPointF(p.X - h, p.Y), QPointF(p.X + h, p.Y));
    g.drawLine(QPointF(p.X, p.Y - h), QPointF(p.X, p.Y + h));
}
void cross(QPainter& g, TDrawingSheet& sheet, TPointF local, const QPen* pen,
           const T_TnC_Ancestor& doc) {
    const TPointF p = doc.ToWorld(local);
    const float h = sheet.PickTolerance();
    g.setPen(choosePen(pen, sheet.Palette().RedPen));
    g.drawLine(QPointF(p.X - h, p.Y - h), QPointF(p.X + h, p.Y + h));
    g.drawLine(QPointF(p.X + h, p.Y - h), QPointF(p.X - h, p.Y + h));
}
} // namespace

void DrawPlusMarker(QPainter& g, TDrawingSheet& sheet, const FlaggedPoint& point, const QPen* pen,
                    const T_TnC_Ancestor& document) {
    if (point.isSet()) {
        plus(g, sheet, point.point(), pen, document);
    }
}
void DrawPlusMarker(QPainter& g, TDrawingSheet& sheet, TPointF point, const QPen* pen,
                    const T_TnC_Ancestor& document) {
    plus(g, sheet, point, pen, document);
}
void DrawCrossMarker(QPainter& g, TDrawingSheet& sheet, const FlaggedPoint& point, const QPen* pen,
                     const T_TnC_Ancestor& document) {
    if (point.isSet()) {
        cross(g, sheet, point.point(), pen, document);
    }
}
void DrawCrossMarker(QPainter& g, TDrawingSheet& sheet, TPointF point, const QPen* pen,
                     const T_TnC_Ancestor& document) {
    cross(g, sheet, point, pen, document);
}

} // namespace vk
