#pragma once
// Tiles, their cuts and halves, and laying patterns described in JSON: the
// one reader behind the starter library's description and the command-line
// scene. Millimetres and degrees; outlines, cuts and half rectangles in the
// tile's local coordinates, placements and hand points in the pattern's.
//
// tile:    { "name": "...", "thickness": 60, "comment": "...",
//            "outline": [ elements ],
//            "parts": [ { "name": "...", "equals": true, "cuts": [ elements ],
//                         "halves": [ {"name": "...", "rect": [[x1,y1],[x2,y2]]} ] } ],
//            "patterns": [ pattern ] }
// pattern: { "name": "...",
//            "placements": [ {"tilePoint": [x,y], "patternPoint": [x,y], "rotation": deg} ],
//            "handPoints": [ [x,y], ... ] }
// element: {"segment": [[x,y],[x,y]]}
//          {"arc": {"centre": [x,y], "start": [x,y], "sweep": deg}}
//          {"arc": [[from], [through], [to]]}   (the arc from `from` through
//                                                `through` to `to`)
//          with "style": n (2 a cut line) or "dashed": true (style 2).
//
// Older descriptions spell some keys differently and are read alike:
// "line" for "segment", "interchangeable" for "equals", "tile" and "at" for
// "tilePoint" and "patternPoint", "hands" for "handPoints".
//
// A scene leaves out what it does not need (names, thickness, cuts, hand
// points). A library entry must be complete: names, a thickness, an outline
// that is one closed chain in order, cuts and halves for every part, and
// hand points that repeat the pattern in two directions.

#include "geometry/PrimitiveKind.h"
#include "geometry/Types.h"

#include <QJsonValue>
#include <QString>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <vector>

namespace vk {

class T_TnC_Ancestor;
class TGraphicPrimitive;

struct TElementDescription {
    PrimitiveKind Kind = PrimitiveKind::Line;
    TPointF Start;
    // Where the element ends. Given for a segment and for an arc through
    // three points (which must end there); worked out for an arc by centre,
    // start and sweep.
    TPointF Finish;
    bool FinishGiven = false;
    // Arcs only.
    TPointF Centre;
    float Sweep = 0.0f;
    float Radius = 0.0f;
    std::int32_t LineStyle = 0;
    friend bool operator==(const TElementDescription&, const TElementDescription&) = default;
};

struct THalfDescription {
    QString Name;
    TPointF Corner1;
    TPointF Corner2;
    friend bool operator==(const THalfDescription&, const THalfDescription&) = default;
};

struct TPartDescription {
    QString Name;
    bool Interchangeable = false; // the part's Equals: its halves may stand for each other
    std::vector<TElementDescription> Cuts;
    std::vector<THalfDescription> Halves;
    friend bool operator==(const TPartDescription&, const TPartDescription&) = default;
};

struct TPlacementDescription {
    TPointF TilePoint;
    TPointF PatternPoint;
    float Rotation = 0.0f;
    friend bool operator==(const TPlacementDescription&, const TPlacementDescription&) = default;
};

struct TPatternDescription {
    QString Name; // null when not given
    std::vector<TPlacementDescription> Placements;
    std::vector<TPointF> HandPoints;
    friend bool operator==(const TPatternDescription&, const TPatternDescription&) = default;
};

struct TTileDescription {
    QString Name; // null when not given
    float Thickness = 0.0f;
    bool ThicknessGiven = false;
    QString Comment;
    std::vector<TElementDescription> Outline;
    std::vector<TPartDescription> Parts;
    std::vector<TPatternDescription> Patterns;
    friend bool operator==(const TTileDescription&, const TTileDescription&) = default;
};

// Where in a description something is, from the outside in. Each user of the
// reader names the steps in its own words.
struct TDescriptionStep {
    enum class What { Tile, Outline, Part, Cuts, Half, Pattern, Placement, Hand, Element, Border, Field };
    What Item = What::Field;
    int Number = 0; // 1-based position in its list; 0 when not in a list
    QString Name;   // the item's name once read; the key of a Field
};
using TDescriptionPlace = std::vector<TDescriptionStep>;

class TDescriptionError : public std::runtime_error {
public:
    TDescriptionError(TDescriptionPlace place, const QString& why);
    TDescriptionPlace Place;
    QString Why;
};

enum class TDescriptionRules { Scene, LibraryEntry };

// Throws TDescriptionError for what it cannot take.
class TShapeDescriptionReader {
public:
    explicit TShapeDescriptionReader(TDescriptionRules rules) : m_rules(rules) {}

    // `number` is the tile's place in a list of tiles, 0 for a single one.
    [[nodiscard]] TTileDescription Tile(const QJsonValue& value, int number = 0);
    [[nodiscard]] TPatternDescription Pattern(const QJsonValue& value, int number = 0);
    // A list of elements (a site border) at the place given.
    [[nodiscard]] std::vector<TElementDescription> Elements(const QJsonValue& value, const TDescriptionStep& list);
    // A point or an angle in a field of its own, with the range checks of the
    // model.
    [[nodiscard]] TPointF Point(const QJsonValue& value, const TDescriptionStep& field);
    [[nodiscard]] double Angle(const QJsonValue& value, const TDescriptionStep& field);

private:
    class TStepScope;
    [[noreturn]] void fail(const QString& why) const;
    [[nodiscard]] bool strict() const { return m_rules == TDescriptionRules::LibraryEntry; }
    [[nodiscard]] double number(const QJsonValue& value, const QString& what);
    [[nodiscard]] double length(const QJsonValue& value, const QString& what);
    [[nodiscard]] double angle(const QJsonValue& value, const QString& what);
    [[nodiscard]] TPointF point(const QJsonValue& value, const QString& what);
    [[nodiscard]] QJsonObject object(const QJsonValue& value);
    [[nodiscard]] QJsonValue either(const QJsonObject& object, const char* key, const char* olderKey);
    [[nodiscard]] QJsonArray list(const QJsonObject& object, const char* key, const char* olderKey, bool required);
    [[nodiscard]] QString name(const QJsonObject& object, bool required);
    [[nodiscard]] bool flag(const QJsonObject& object, const char* key, const char* olderKey);
    [[nodiscard]] TElementDescription element(const QJsonValue& value);
    [[nodiscard]] std::vector<TElementDescription> elements(const QJsonArray& list);
    void checkClosedChain(const std::vector<TElementDescription>& outline);
    [[nodiscard]] TPartDescription part(const QJsonValue& value);

    TDescriptionRules m_rules;
    TDescriptionPlace m_place;
};

// A new element of `owner` (not yet in any list), as described.
[[nodiscard]] std::unique_ptr<TGraphicPrimitive> MakeDescribedElement(const TElementDescription& description,
                                                                     T_TnC_Ancestor* owner);

} // namespace vk
