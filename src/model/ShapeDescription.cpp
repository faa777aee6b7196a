#include "model/ShapeDescription.h"

#include "geometry/GraphicPrimitive.h"
#include "geometry/Limits.h"
#include "geometry/VectorMath.h"

#include <QJsonArray>
#include <QJsonObject>

#include <cmath>
#include <numbers>

namespace vk {

namespace {

// How far described ends may lie apart and still join.
constexpr double kJoinTolerance = 0.01;

QString quoted(const char* key) { return QStringLiteral("\"%1\"").arg(QLatin1String(key)); }

bool joins(TPointF a, TPointF b) { return std::hypot(double(a.X) - b.X, double(a.Y) - b.Y) < kJoinTolerance; }

double degrees(double radians) { return radians * 180.0 / std::numbers::pi; }

} // namespace

TDescriptionError::TDescriptionError(TDescriptionPlace place, const QString& why)
    : std::runtime_error(why.toStdString()), Place(std::move(place)), Why(why) {}

// One step deeper into the description while it lives.
class TShapeDescriptionReader::TStepScope {
public:
    TStepScope(TShapeDescriptionReader& reader, TDescriptionStep step) : m_reader(reader) {
        m_reader.m_place.push_back(std::move(step));
    }
    ~TStepScope() { m_reader.m_place.pop_back(); }
    TStepScope(const TStepScope&) = delete;
    TStepScope& operator=(const TStepScope&) = delete;
    void Name(const QString& name) { m_reader.m_place.back().Name = name; }

private:
    TShapeDescriptionReader& m_reader;
};

void TShapeDescriptionReader::fail(const QString& why) const { throw TDescriptionError(m_place, why); }

double TShapeDescriptionReader::number(const QJsonValue& value, const QString& what) {
    if (!value.isDouble() || !std::isfinite(value.toDouble())) {
        fail(QStringLiteral("%1 должно быть числом").arg(what));
    }
    return value.toDouble();
}

double TShapeDescriptionReader::length(const QJsonValue& value, const QString& what) {
    const double v = number(value, what);
    if (!IsCoordinateInRange(v)) {
        fail(CoordinateRangeRule());
    }
    return v;
}

double TShapeDescriptionReader::angle(const QJsonValue& value, const QString& what) {
    const double v = number(value, what);
    if (!IsAngleInRange(v)) {
        fail(AngleRangeRule());
    }
    return v;
}

TPointF TShapeDescriptionReader::point(const QJsonValue& value, const QString& what) {
    const QJsonArray xy = value.toArray();
    if (!value.isArray() || xy.size() != 2) {
        fail(QStringLiteral("%1 должна быть парой чисел [x, y]").arg(what));
    }
    return {float(length(xy[0], what)), float(length(xy[1], what))};
}

QJsonObject TShapeDescriptionReader::object(const QJsonValue& value) {
    if (!value.isObject()) {
        fail(QStringLiteral("ожидался объект"));
    }
    return value.toObject();
}

QJsonValue TShapeDescriptionReader::either(const QJsonObject& object, const char* key, const char* olderKey) {
    const QJsonValue value = object.value(QLatin1String(key));
    if (!value.isUndefined() || olderKey == nullptr) {
        return value;
    }
    return object.value(QLatin1String(olderKey));
}

QJsonArray TShapeDescriptionReader::list(const QJsonObject& object, const char* key, const char* olderKey,
                                         bool required) {
    const QJsonValue value = either(object, key, olderKey);
    if (value.isUndefined() && !required) {
        return {};
    }
    if (!value.isArray()) {
        fail(QStringLiteral("нет списка %1").arg(quoted(key)));
    }
    return value.toArray();
}

QString TShapeDescriptionReader::name(const QJsonObject& object, bool required) {
    const QJsonValue value = object.value(QLatin1String("name"));
    if (value.isUndefined()) {
        if (required) {
            fail(QStringLiteral("нет поля \"name\""));
        }
        return {};
    }
    if (!value.isString() || (required && value.toString().trimmed().isEmpty())) {
        fail(QStringLiteral("поле \"name\" должно быть непустой строкой"));
    }
    return value.toString();
}

bool TShapeDescriptionReader::flag(const QJsonObject& object, const char* key, const char* olderKey) {
    const QJsonValue value = either(object, key, olderKey);
    if (value.isUndefined()) {
        return false;
    }
    if (!value.isBool()) {
        fail(QStringLiteral("поле %1 должно быть true или false").arg(quoted(key)));
    }
    return value.toBool();
}

TElementDescription TShapeDescriptionReader::element(const QJsonValue& value) {
    const QJsonObject o = object(value);
    TElementDescription e;
    const QJsonValue segment = either(o, "segment", "line");
    const QJsonValue arc = o.value(QLatin1String("arc"));
    if (!segment.isUndefined()) {
        const QJsonArray ends = segment.toArray();
        if (ends.size() != 2) {
            fail(QStringLiteral("отрезок задается двумя точками"));
        }
        e.Kind = PrimitiveKind::Line;
        e.Start = point(ends[0], QStringLiteral("точка отрезка"));
        e.Finish = point(ends[1], QStringLiteral("точка отрезка"));
        e.FinishGiven = true;
    } else if (arc.isArray()) {
        // From the first point through the second to the third: the circle
        // through them, and the sweep from the first to the last that passes
        // the middle one.
        const QJsonArray p = arc.toArray();
        if (p.size() != 3) {
            fail(QStringLiteral("дуга: нужно точек: 3"));
        }
        const TPointF from = point(p[0], QStringLiteral("точка дуги"));
        const TPointF through = point(p[1], QStringLiteral("точка дуги"));
        const TPointF to = point(p[2], QStringLiteral("точка дуги"));
        const double ax = from.X, ay = from.Y, bx = through.X, by = through.Y, cx = to.X, cy = to.Y;
        const double d = 2.0 * (ax * (by - cy) + bx * (cy - ay) + cx * (ay - by));
        if (std::fabs((bx - ax) * (cy - ay) - (by - ay) * (cx - ax)) < 1e-6 || std::fabs(d) < 1e-9) {
            fail(QStringLiteral("три точки дуги лежат на одной прямой"));
        }
        const double a2 = ax * ax + ay * ay, b2 = bx * bx + by * by, c2 = cx * cx + cy * cy;
        const double ux = (a2 * (by - cy) + b2 * (cy - ay) + c2 * (ay - by)) / d;
        const double uy = (a2 * (cx - bx) + b2 * (ax - cx) + c2 * (bx - ax)) / d;
        const double start = degrees(std::atan2(ay - uy, ax - ux));
        const auto turn = [start](double x, double y) {
            return std::fmod(degrees(std::atan2(y, x)) - start + 720.0, 360.0);
        };
        double sweep = turn(cx - ux, cy - uy);
        if (turn(bx - ux, by - uy) > sweep) {
            sweep -= 360.0;
        }
        e.Kind = PrimitiveKind::Arc;
        e.Centre = {float(ux), float(uy)};
        e.Start = from;
        e.Sweep = float(sweep);
        e.Radius = float(std::hypot(ax - ux, ay - uy));
        e.Finish = to;
        e.FinishGiven = true;
    } else if (arc.isObject()) {
        const QJsonObject a = arc.toObject();
        e.Kind = PrimitiveKind::Arc;
        e.Centre = point(a.value(QLatin1String("centre")), QStringLiteral("центр дуги"));
        e.Start = point(a.value(QLatin1String("start")), QStringLiteral("начало дуги"));
        const double sweep = angle(a.value(QLatin1String("sweep")), QStringLiteral("угол дуги"));
        e.Sweep = float(sweep);
        e.Radius = Distance(e.Centre, e.Start);
        if (!(e.Radius > 0.0f) || sweep == 0.0) {
            fail(QStringLiteral("дуга без радиуса или без угла"));
        }
        // Where it ends, for the outline's chain.
        const double end =
            std::atan2(double(e.Start.Y) - e.Centre.Y, double(e.Start.X) - e.Centre.X) + sweep * std::numbers::pi / 180.0;
        e.Finish = {float(e.Centre.X + e.Radius * std::cos(end)), float(e.Centre.Y + e.Radius * std::sin(end))};
    } else {
        fail(QStringLiteral("ожидается \"segment\" или \"arc\""));
    }
    if (strict() && e.FinishGiven && joins(e.Start, e.Finish)) {
        fail(QStringLiteral("начало и конец элемента совпадают"));
    }
    if (o.contains(QLatin1String("style"))) {
        const double style = number(o.value(QLatin1String("style")), QStringLiteral("стиль линии"));
        if (style < 0 || style > 255 || style != std::floor(style)) {
            fail(QStringLiteral("стиль линии - целое число от 0 до 255"));
        }
        e.LineStyle = std::int32_t(style);
    } else if (flag(o, "dashed", nullptr)) {
        e.LineStyle = 2;
    }
    return e;
}

std::vector<TElementDescription> TShapeDescriptionReader::elements(const QJsonArray& list) {
    std::vector<TElementDescription> out;
    for (qsizetype i = 0; i < list.size(); ++i) {
        const TStepScope step(*this, {TDescriptionStep::What::Element, int(i + 1), {}});
        out.push_back(element(list[i]));
    }
    return out;
}

std::vector<TElementDescription> TShapeDescriptionReader::Elements(const QJsonValue& value,
                                                                   const TDescriptionStep& list) {
    const TStepScope step(*this, list);
    if (!value.isArray()) {
        fail(QStringLiteral("ожидается список элементов"));
    }
    return elements(value.toArray());
}

TPointF TShapeDescriptionReader::Point(const QJsonValue& value, const TDescriptionStep& field) {
    const TStepScope step(*this, field);
    return point(value, QStringLiteral("точка"));
}

double TShapeDescriptionReader::Angle(const QJsonValue& value, const TDescriptionStep& field) {
    const TStepScope step(*this, field);
    return angle(value, QStringLiteral("угол"));
}

// What a drawn outline is: one closed chain of solid elements, in order.
void TShapeDescriptionReader::checkClosedChain(const std::vector<TElementDescription>& outline) {
    std::vector<const TElementDescription*> solid;
    for (const TElementDescription& e : outline) {
        if (e.LineStyle == 0) {
            solid.push_back(&e);
        }
    }
    if (solid.size() < 2) {
        fail(QStringLiteral("нужно хотя бы два сплошных элемента"));
    }
    for (std::size_t i = 0; i < solid.size(); ++i) {
        const TElementDescription& next = *solid[(i + 1) % solid.size()];
        if (!joins(solid[i]->Finish, next.Start)) {
            fail(QStringLiteral("контур разорван после элемента %1").arg(i + 1));
        }
    }
}

TPartDescription TShapeDescriptionReader::part(const QJsonValue& value) {
    const QJsonObject o = object(value);
    TPartDescription part;
    part.Name = name(o, strict());
    m_place.back().Name = part.Name; // the part's own step, which the caller took
    part.Interchangeable = flag(o, "equals", "interchangeable");
    {
        const TStepScope cuts(*this, {TDescriptionStep::What::Cuts, 0, {}});
        part.Cuts = elements(list(o, "cuts", nullptr, strict()));
    }
    const QJsonArray halves = list(o, "halves", nullptr, strict());
    for (qsizetype h = 0; h < halves.size(); ++h) {
        TStepScope step(*this, {TDescriptionStep::What::Half, int(h + 1), {}});
        const QJsonObject halfObject = object(halves[h]);
        THalfDescription half;
        half.Name = name(halfObject, strict());
        step.Name(half.Name);
        const QJsonArray rect = halfObject.value(QLatin1String("rect")).toArray();
        if (rect.size() != 2) {
            fail(QStringLiteral("нет прямоугольника \"rect\""));
        }
        half.Corner1 = point(rect[0], QStringLiteral("угол прямоугольника"));
        half.Corner2 = point(rect[1], QStringLiteral("угол прямоугольника"));
        part.Halves.push_back(half);
    }
    return part;
}

TTileDescription TShapeDescriptionReader::Tile(const QJsonValue& value, int number) {
    TStepScope step(*this, {TDescriptionStep::What::Tile, number, {}});
    const QJsonObject o = object(value);
    TTileDescription tile;
    tile.Name = name(o, strict());
    step.Name(tile.Name);
    const QJsonValue thickness = o.value(QLatin1String("thickness"));
    if (!thickness.isUndefined() || strict()) {
        if (thickness.isUndefined()) {
            fail(QStringLiteral("нет поля \"thickness\""));
        }
        tile.Thickness = float(length(thickness, QStringLiteral("толщина")));
        tile.ThicknessGiven = true;
    }
    const QJsonValue comment = o.value(QLatin1String("comment"));
    if (!comment.isUndefined()) {
        if (!comment.isString()) {
            fail(QStringLiteral("поле \"comment\" должно быть строкой"));
        }
        tile.Comment = comment.toString();
    }
    {
        const QJsonArray outline = list(o, "outline", nullptr, true);
        const TStepScope outlineStep(*this, {TDescriptionStep::What::Outline, 0, {}});
        tile.Outline = elements(outline);
        if (strict()) {
            checkClosedChain(tile.Outline);
        }
    }
    const QJsonArray parts = list(o, "parts", nullptr, false);
    for (qsizetype p = 0; p < parts.size(); ++p) {
        const TStepScope partStep(*this, {TDescriptionStep::What::Part, int(p + 1), {}});
        tile.Parts.push_back(part(parts[p]));
    }
    const QJsonArray patterns = list(o, "patterns", nullptr, false);
    for (qsizetype p = 0; p < patterns.size(); ++p) {
        tile.Patterns.push_back(Pattern(patterns[p], int(p + 1)));
    }
    return tile;
}

TPatternDescription TShapeDescriptionReader::Pattern(const QJsonValue& value, int number) {
    TStepScope step(*this, {TDescriptionStep::What::Pattern, number, {}});
    const QJsonObject o = object(value);
    TPatternDescription pattern;
    pattern.Name = name(o, strict());
    step.Name(pattern.Name);
    const QJsonArray placements = list(o, "placements", nullptr, true);
    if (placements.isEmpty()) {
        fail(QStringLiteral("в узоре нет ни одной плитки (\"placements\")"));
    }
    for (qsizetype i = 0; i < placements.size(); ++i) {
        const TStepScope placementStep(*this, {TDescriptionStep::What::Placement, int(i + 1), {}});
        const QJsonObject p = object(placements[i]);
        TPlacementDescription placement;
        placement.TilePoint = point(either(p, "tilePoint", "tile"), QStringLiteral("точка плитки"));
        placement.PatternPoint = point(either(p, "patternPoint", "at"), QStringLiteral("точка узора"));
        const QJsonValue rotation = p.value(QLatin1String("rotation"));
        if (!rotation.isUndefined()) {
            placement.Rotation = float(angle(rotation, QStringLiteral("поворот")));
        }
        pattern.Placements.push_back(placement);
    }
    const QJsonArray hands = list(o, "handPoints", "hands", strict());
    for (qsizetype i = 0; i < hands.size(); ++i) {
        const TStepScope handStep(*this, {TDescriptionStep::What::Hand, int(i + 1), {}});
        pattern.HandPoints.push_back(point(hands[i], QStringLiteral("точка повтора")));
    }
    if (strict()) {
        // The repeats must span the plane, or the pattern fills a strip.
        bool spans = false;
        for (std::size_t i = 0; i < pattern.HandPoints.size(); ++i) {
            for (std::size_t j = i + 1; j < pattern.HandPoints.size(); ++j) {
                const TPointF a = pattern.HandPoints[i];
                const TPointF b = pattern.HandPoints[j];
                spans = spans || std::fabs(double(a.X) * b.Y - double(a.Y) * b.X) > 1.0;
            }
        }
        if (!spans) {
            fail(QStringLiteral("точки повтора должны задавать два разных направления"));
        }
    }
    return pattern;
}

std::unique_ptr<TGraphicPrimitive> MakeDescribedElement(const TElementDescription& d, T_TnC_Ancestor* owner) {
    std::unique_ptr<TGraphicPrimitive> made;
    if (d.Kind == PrimitiveKind::Arc) {
        auto arc = std::make_unique<TArcPrimitive>(owner);
        arc->SetCentre({d.Centre.X, d.Centre.Y, 1});
        arc->SetStart({d.Start.X, d.Start.Y, 1});
        arc->SetSweep(d.Sweep);
        arc->SetRadius(d.Radius);
        made = std::move(arc);
    } else {
        auto segment = std::make_unique<TLinePrimitive>(owner);
        segment->SetStart({d.Start.X, d.Start.Y, 1});
        segment->SetFinish({d.Finish.X, d.Finish.Y, 1});
        made = std::move(segment);
    }
    made->LineStyle = d.LineStyle;
    return made;
}

} // namespace vk
