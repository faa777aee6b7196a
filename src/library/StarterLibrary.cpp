#include "library/StarterLibrary.h"

#include "geometry/GraphicPrimitive.h"
#include "ui/UserInterface.h"
#include "library/TileDB.h"
#include "model/Collage.h"
#include "model/Parts.h"
#include "model/Tile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <cmath>
#include <numbers>

namespace vk {

TStarterError::TStarterError(const QString& text)
    : std::runtime_error(text.toStdString()), m_text(text) {}

namespace {

// How far described ends may lie apart and still join.
constexpr double kJoinTolerance = 0.01;

// --- reading -------------------------------------------------------------------

// Where in the description a value is, for the error texts.
class TPlace {
public:
    explicit TPlace(QString where) : m_where(std::move(where)) {}
    [[nodiscard]] TPlace In(const QString& what) const {
        return TPlace(m_where.isEmpty() ? what : m_where + QStringLiteral(", ") + what);
    }
    [[noreturn]] void Fail(const QString& why) const {
        throw TStarterError(QStringLiteral("Описание начальной библиотеки: %1: %2").arg(m_where, why));
    }

private:
    QString m_where;
};

QJsonValue Field(const QJsonObject& object, const char* name, const TPlace& place) {
    const QJsonValue value = object.value(QLatin1String(name));
    if (value.isUndefined()) {
        place.Fail(QStringLiteral("нет поля \"%1\"").arg(QLatin1String(name)));
    }
    return value;
}

QString Text(const QJsonObject& object, const char* name, const TPlace& place) {
    const QJsonValue value = Field(object, name, place);
    if (!value.isString() || value.toString().trimmed().isEmpty()) {
        place.Fail(QStringLiteral("поле \"%1\" должно быть непустой строкой").arg(QLatin1String(name)));
    }
    return value.toString();
}

double Number(const QJsonValue& value, const TPlace& place, const QString& what) {
    if (!value.isDouble() || !std::isfinite(value.toDouble())) {
        place.Fail(QStringLiteral("%1 должно быть числом").arg(what));
    }
    return value.toDouble();
}

QJsonArray Array(const QJsonValue& value, const TPlace& place, const QString& what) {
    if (!value.isArray()) {
        place.Fail(QStringLiteral("%1 должно быть списком").arg(what));
    }
    return value.toArray();
}

QJsonArray OptionalArray(const QJsonObject& object, const char* name, const TPlace& place) {
    const QJsonValue value = object.value(QLatin1String(name));
    if (value.isUndefined()) {
        return {};
    }
    return Array(value, place, QStringLiteral("поле \"%1\"").arg(QLatin1String(name)));
}

QJsonObject Object(const QJsonValue& value, const TPlace& place) {
    if (!value.isObject()) {
        place.Fail(QStringLiteral("ожидался объект"));
    }
    return value.toObject();
}

TPointF Point(const QJsonValue& value, const TPlace& place, const QString& what) {
    const QJsonArray xy = Array(value, place, what);
    if (xy.size() != 2) {
        place.Fail(QStringLiteral("%1 должна быть парой чисел [x, y]").arg(what));
    }
    return {float(Number(xy[0], place, what)), float(Number(xy[1], place, what))};
}

std::vector<TPointF> Points(const QJsonValue& value, qsizetype count, const TPlace& place, const QString& what) {
    const QJsonArray array = Array(value, place, what);
    if (array.size() != count) {
        place.Fail(QStringLiteral("%1: нужно точек: %2").arg(what).arg(count));
    }
    std::vector<TPointF> points;
    for (const QJsonValue& p : array) {
        points.push_back(Point(p, place, what));
    }
    return points;
}

bool Flag(const QJsonObject& object, const char* name, const TPlace& place) {
    const QJsonValue value = object.value(QLatin1String(name));
    if (value.isUndefined()) {
        return false;
    }
    if (!value.isBool()) {
        place.Fail(QStringLiteral("поле \"%1\" должно быть true или false").arg(QLatin1String(name)));
    }
    return value.toBool();
}

TStarterElement ReadElement(const QJsonValue& value, const TPlace& place) {
    const QJsonObject object = Object(value, place);
    TStarterElement element;
    element.Dashed = Flag(object, "dashed", place);
    if (object.contains(QLatin1String("line"))) {
        const std::vector<TPointF> p = Points(object.value(QLatin1String("line")), 2, place, QStringLiteral("отрезок"));
        element.Shape = TStarterElement::Kind::Line;
        element.From = p[0];
        element.To = p[1];
    } else if (object.contains(QLatin1String("arc"))) {
        const std::vector<TPointF> p = Points(object.value(QLatin1String("arc")), 3, place, QStringLiteral("дуга"));
        element.Shape = TStarterElement::Kind::Arc;
        element.From = p[0];
        element.Through = p[1];
        element.To = p[2];
        const double cross = (double(p[1].X) - p[0].X) * (double(p[2].Y) - p[0].Y) -
                             (double(p[1].Y) - p[0].Y) * (double(p[2].X) - p[0].X);
        if (std::fabs(cross) < 1e-6) {
            place.Fail(QStringLiteral("три точки дуги лежат на одной прямой"));
        }
    } else {
        place.Fail(QStringLiteral("элемент должен быть \"line\" или \"arc\""));
    }
    if (std::hypot(double(element.From.X) - element.To.X, double(element.From.Y) - element.To.Y) < kJoinTolerance) {
        place.Fail(QStringLiteral("начало и конец элемента совпадают"));
    }
    return element;
}

std::vector<TStarterElement> ReadElements(const QJsonArray& array, const TPlace& place) {
    std::vector<TStarterElement> elements;
    for (qsizetype i = 0; i < array.size(); ++i) {
        elements.push_back(ReadElement(array[i], place.In(QStringLiteral("элемент %1").arg(i + 1))));
    }
    return elements;
}

bool Joins(TPointF a, TPointF b) { return std::hypot(double(a.X) - b.X, double(a.Y) - b.Y) < kJoinTolerance; }

TStarterTile ReadTile(const QJsonObject& object, const TPlace& at) {
    TStarterTile tile;
    tile.Name = Text(object, "name", at);
    const TPlace place = at.In(QStringLiteral("плитка \"%1\"").arg(tile.Name));
    tile.Thickness = float(Number(Field(object, "thickness", place), place, QStringLiteral("толщина")));
    if (object.contains(QLatin1String("comment"))) {
        tile.Comment = Text(object, "comment", place);
    }
    const TPlace outlinePlace = place.In(QStringLiteral("контур"));
    tile.Outline = ReadElements(Array(Field(object, "outline", place), place, QStringLiteral("контур")), outlinePlace);
    // One closed chain, in order: what a drawn outline is.
    std::vector<const TStarterElement*> solid;
    for (const TStarterElement& e : tile.Outline) {
        if (!e.Dashed) {
            solid.push_back(&e);
        }
    }
    if (solid.size() < 2) {
        outlinePlace.Fail(QStringLiteral("нужно хотя бы два сплошных элемента"));
    }
    for (std::size_t i = 0; i < solid.size(); ++i) {
        const TStarterElement& next = *solid[(i + 1) % solid.size()];
        if (!Joins(solid[i]->To, next.From)) {
            outlinePlace.Fail(QStringLiteral("контур разорван после элемента %1").arg(i + 1));
        }
    }

    const QJsonArray parts = OptionalArray(object, "parts", place);
    for (const QJsonValue& value : parts) {
        const QJsonObject partObject = Object(value, place);
        TStarterPart part;
        part.Name = Text(partObject, "name", place);
        const TPlace partPlace = place.In(QStringLiteral("разделение \"%1\"").arg(part.Name));
        part.Interchangeable = Flag(partObject, "interchangeable", partPlace);
        part.Cuts = ReadElements(Array(Field(partObject, "cuts", partPlace), partPlace, QStringLiteral("линии разреза")),
                                 partPlace.In(QStringLiteral("линия разреза")));
        for (const QJsonValue& halfValue : Array(Field(partObject, "halves", partPlace), partPlace,
                                                 QStringLiteral("половинки"))) {
            const QJsonObject halfObject = Object(halfValue, partPlace);
            TStarterHalf half;
            half.Name = Text(halfObject, "name", partPlace);
            const TPlace halfPlace = partPlace.In(QStringLiteral("половинка \"%1\"").arg(half.Name));
            const std::vector<TPointF> corners =
                Points(Field(halfObject, "rect", halfPlace), 2, halfPlace, QStringLiteral("прямоугольник"));
            half.Corner1 = corners[0];
            half.Corner2 = corners[1];
            part.Halves.push_back(half);
        }
        tile.Parts.push_back(std::move(part));
    }

    const QJsonArray patterns = OptionalArray(object, "patterns", place);
    for (const QJsonValue& value : patterns) {
        const QJsonObject patternObject = Object(value, place);
        TStarterPattern pattern;
        pattern.Name = Text(patternObject, "name", place);
        const TPlace patternPlace = place.In(QStringLiteral("узор \"%1\"").arg(pattern.Name));
        const QJsonArray placements =
            Array(Field(patternObject, "placements", patternPlace), patternPlace, QStringLiteral("укладка"));
        if (placements.isEmpty()) {
            patternPlace.Fail(QStringLiteral("в узоре нет ни одной плитки"));
        }
        for (const QJsonValue& placementValue : placements) {
            const QJsonObject p = Object(placementValue, patternPlace);
            TStarterPlacement placement;
            placement.TilePoint = Point(Field(p, "tile", patternPlace), patternPlace, QStringLiteral("точка плитки"));
            placement.PatternPoint = Point(Field(p, "at", patternPlace), patternPlace, QStringLiteral("точка узора"));
            if (p.contains(QLatin1String("rotation"))) {
                placement.Rotation = float(Number(p.value(QLatin1String("rotation")), patternPlace, QStringLiteral("поворот")));
            }
            pattern.Placements.push_back(placement);
        }
        const QJsonArray hands = Array(Field(patternObject, "hands", patternPlace), patternPlace,
                                       QStringLiteral("точки повтора"));
        for (const QJsonValue& hand : hands) {
            pattern.HandPoints.push_back(Point(hand, patternPlace, QStringLiteral("точка повтора")));
        }
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
            patternPlace.Fail(QStringLiteral("точки повтора должны задавать два разных направления"));
        }
        tile.Patterns.push_back(std::move(pattern));
    }
    return tile;
}

// --- writing -------------------------------------------------------------------

double Degrees(double radians) { return radians * 180.0 / std::numbers::pi; }

void AddElement(T_TnC_Ancestor& document, const TStarterElement& e, const TPlace& place) {
    std::unique_ptr<TGraphicPrimitive> element;
    if (e.Shape == TStarterElement::Kind::Line) {
        auto line = std::make_unique<TLinePrimitive>(&document);
        line->SetStart({e.From.X, e.From.Y, 1});
        line->SetFinish({e.To.X, e.To.Y, 1});
        element = std::move(line);
    } else {
        // The circle through the three points, and the sweep from the first to
        // the last that passes the middle one.
        const double ax = e.From.X, ay = e.From.Y, bx = e.Through.X, by = e.Through.Y;
        const double cx = e.To.X, cy = e.To.Y;
        const double d = 2.0 * (ax * (by - cy) + bx * (cy - ay) + cx * (ay - by));
        if (std::fabs(d) < 1e-9) {
            place.Fail(QStringLiteral("три точки дуги лежат на одной прямой"));
        }
        const double a2 = ax * ax + ay * ay, b2 = bx * bx + by * by, c2 = cx * cx + cy * cy;
        const double ux = (a2 * (by - cy) + b2 * (cy - ay) + c2 * (ay - by)) / d;
        const double uy = (a2 * (cx - bx) + b2 * (ax - cx) + c2 * (bx - ax)) / d;
        const double start = Degrees(std::atan2(ay - uy, ax - ux));
        const auto turn = [start](double x, double y) {
            return std::fmod(Degrees(std::atan2(y, x)) - start + 720.0, 360.0);
        };
        double sweep = turn(cx - ux, cy - uy);
        if (turn(bx - ux, by - uy) > sweep) {
            sweep -= 360.0;
        }
        auto arc = std::make_unique<TArcPrimitive>(&document);
        arc->SetCentre({float(ux), float(uy), 1});
        arc->SetStart({e.From.X, e.From.Y, 1});
        arc->SetSweep(float(sweep));
        arc->SetRadius(float(std::hypot(ax - ux, ay - uy)));
        element = std::move(arc);
    }
    element->LineStyle = e.Dashed ? 2 : 0;
    // The stored arc ends where its centre, radius and sweep say.
    const TPointF end = element->GetEndPoint();
    const TPointF base = document.BasePoint.point();
    if (!Joins({end.X - base.X, end.Y - base.Y}, e.To)) {
        place.Fail(QStringLiteral("дуга не приходит в свою конечную точку"));
    }
    document.Elements().Add(std::move(element));
}

// Answers the library's name box with the proposed name (the document's own)
// and never agrees to replace: names in the description are unique.
class TNamingUi final : public TUserInterface {
public:
    TAnswer message(TMessageKind kind, const QString& text, TButtons buttons) override {
        if (kind == TMessageKind::Error || buttons != TButtons::Ok) {
            messages << text;
        }
        return buttons == TButtons::Ok || buttons == TButtons::OkCancel ? TAnswer::Ok : TAnswer::No;
    }
    std::optional<QString> inputText(const QString&, const QString&, const QString& value) override {
        return value;
    }
    QStringList messages;
};

class TInterfaceScope {
public:
    explicit TInterfaceScope(TUserInterface& replacement) : m_previous(&ui()) { setUserInterface(&replacement); }
    ~TInterfaceScope() { setUserInterface(m_previous); }
    TInterfaceScope(const TInterfaceScope&) = delete;
    TInterfaceScope& operator=(const TInterfaceScope&) = delete;

private:
    TUserInterface* m_previous;
};

[[noreturn]] void FailStore(const TPlace& place, const TNamingUi& answers) {
    place.Fail(answers.messages.isEmpty() ? QStringLiteral("не сохранено в библиотеке")
                                          : answers.messages.join(QStringLiteral("; ")));
}

} // namespace

TStarterDescription ReadStarterDescription(const QByteArray& json) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    const TPlace top(QString{});
    if (document.isNull()) {
        top.In(QStringLiteral("символ %1").arg(error.offset)).Fail(error.errorString());
    }
    if (!document.isObject()) {
        top.In(QStringLiteral("начало")).Fail(QStringLiteral("ожидался объект с полем \"tiles\""));
    }
    const TPlace root(QStringLiteral("начало"));
    TStarterDescription description;
    const QJsonArray tiles = Array(Field(document.object(), "tiles", root), root, QStringLiteral("поле \"tiles\""));
    for (qsizetype i = 0; i < tiles.size(); ++i) {
        const TPlace place(QStringLiteral("плитка %1").arg(i + 1));
        description.Tiles.push_back(ReadTile(Object(tiles[i], place), place));
    }
    return description;
}

void WriteStarterLibrary(const TStarterDescription& description, TTileDB& db) {
    TNamingUi answers;
    const TInterfaceScope scope(answers);
    if (!db.IsAvailable()) {
        TPlace(db.Folder()).Fail(db.ErrorText());
    }
    for (const TStarterTile& described : description.Tiles) {
        const TPlace place(QStringLiteral("плитка \"%1\"").arg(described.Name));
        TTile tile;
        tile.SetName(described.Name);
        tile.SetBasePoint(0, 0);
        for (const TStarterElement& e : described.Outline) {
            AddElement(tile, e, place.In(QStringLiteral("контур")));
        }
        tile.SetThickness(described.Thickness);
        tile.Comment = described.Comment;
        if (!db.StoreTile(tile)) {
            FailStore(place, answers);
        }

        TPartList parts;
        parts.Tile = &tile;
        for (const TStarterPart& describedPart : described.Parts) {
            const TPlace partPlace = place.In(QStringLiteral("разделение \"%1\"").arg(describedPart.Name));
            TPart* part = parts.Add(std::make_unique<TPart>(&tile));
            part->SetName(describedPart.Name);
            part->Equals = describedPart.Interchangeable;
            for (const TStarterElement& e : describedPart.Cuts) {
                AddElement(*part, e, partPlace);
            }
            for (const TStarterHalf& describedHalf : describedPart.Halves) {
                TContourAncestor* half = part->AddContourFromRect(describedHalf.Corner1, describedHalf.Corner2);
                half->SetName(describedHalf.Name);
                if (half->Elements().Count() < 2) {
                    partPlace.In(QStringLiteral("половинка \"%1\"").arg(describedHalf.Name))
                        .Fail(QStringLiteral("в прямоугольник не попало ни одного куска плитки"));
                }
            }
        }
        if (parts.Count() > 0) {
            db.StoreParts(tile.ID, parts);
            if (!answers.messages.isEmpty()) {
                FailStore(place, answers);
            }
        }

        for (const TStarterPattern& describedPattern : described.Patterns) {
            const TPlace patternPlace = place.In(QStringLiteral("узор \"%1\"").arg(describedPattern.Name));
            TCollage pattern(&tile);
            pattern.SetName(describedPattern.Name);
            pattern.SetBasePoint(0, 0);
            for (const TStarterPlacement& p : describedPattern.Placements) {
                auto placement = std::make_unique<TTilePlacementPrimitive>(&pattern);
                placement->SetTilePoint({p.TilePoint.X, p.TilePoint.Y, 1});
                placement->SetPatternPoint({p.PatternPoint.X, p.PatternPoint.Y, 1});
                placement->SetRotation(p.Rotation);
                placement->PlaceTile(tile, {0, 0});
                pattern.Elements().Add(std::move(placement));
            }
            for (const TPointF h : describedPattern.HandPoints) {
                auto hand = std::make_unique<TPointPrimitive>(&pattern);
                hand->SetPoint({h.X, h.Y, 1});
                pattern.HandPoints().Add(std::move(hand));
            }
            if (!db.StorePattern(pattern)) {
                FailStore(patternPlace, answers);
            }
        }
    }
}

} // namespace vk
