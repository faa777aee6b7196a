#include "library/StarterLibrary.h"

#include "geometry/GraphicPrimitive.h"
#include "ui/UserInterface.h"
#include "library/TileDB.h"
#include "model/Collage.h"
#include "model/Parts.h"
#include "model/ShapeDescription.h"
#include "model/Tile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <cmath>

namespace vk {

TStarterError::TStarterError(const QString& text)
    : std::runtime_error(text.toStdString()), m_text(text) {}

namespace {

// How far a described end may lie from where the stored element ends.
constexpr double kJoinTolerance = 0.01;

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

// A step of the description in the words of the error texts.
QString Word(const TDescriptionStep& step) {
    using What = TDescriptionStep::What;
    const auto named = [&step](const char* word) {
        return step.Name.isEmpty() ? QStringLiteral("%1 %2").arg(QString::fromUtf8(word)).arg(step.Number)
                                   : QStringLiteral("%1 \"%2\"").arg(QString::fromUtf8(word), step.Name);
    };
    switch (step.Item) {
    case What::Tile: return named("плитка");
    case What::Outline: return QStringLiteral("контур");
    case What::Part: return named("разделение");
    case What::Cuts: return QStringLiteral("линия разреза");
    case What::Half: return named("половинка");
    case What::Pattern: return named("узор");
    case What::Placement: return QStringLiteral("укладка %1").arg(step.Number);
    case What::Hand: return QStringLiteral("точка повтора %1").arg(step.Number);
    case What::Element: return QStringLiteral("элемент %1").arg(step.Number);
    case What::Border: return QStringLiteral("граница");
    case What::Field: return QStringLiteral("\"%1\"").arg(step.Name);
    }
    return {};
}

[[noreturn]] void Fail(const TDescriptionError& error) {
    TPlace place{QString()};
    for (const TDescriptionStep& step : error.Place) {
        place = place.In(Word(step));
    }
    place.Fail(error.Why);
}

bool Joins(TPointF a, TPointF b) { return std::hypot(double(a.X) - b.X, double(a.Y) - b.Y) < kJoinTolerance; }

// --- writing -------------------------------------------------------------------

void AddElement(T_TnC_Ancestor& document, const TStarterElement& e, const TPlace& place) {
    std::unique_ptr<TGraphicPrimitive> element = MakeDescribedElement(e, &document);
    // The stored arc ends where its centre, radius and sweep say.
    const TPointF end = element->GetEndPoint();
    const TPointF base = document.BasePoint.point();
    if (e.FinishGiven && !Joins({end.X - base.X, end.Y - base.Y}, e.Finish)) {
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
    const QJsonValue tiles = document.object().value(QLatin1String("tiles"));
    if (tiles.isUndefined()) {
        root.Fail(QStringLiteral("нет поля \"tiles\""));
    }
    if (!tiles.isArray()) {
        root.Fail(QStringLiteral("поле \"tiles\" должно быть списком"));
    }
    TStarterDescription description;
    TShapeDescriptionReader reader(TDescriptionRules::LibraryEntry);
    const QJsonArray list = tiles.toArray();
    try {
        for (qsizetype i = 0; i < list.size(); ++i) {
            description.Tiles.push_back(reader.Tile(list[i], int(i + 1)));
        }
    } catch (const TDescriptionError& e) {
        Fail(e);
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
