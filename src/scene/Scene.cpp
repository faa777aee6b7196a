#include "scene/Scene.h"

#include "geometry/GraphicPrimitive.h"
#include "geometry/Limits.h"
#include "geometry/VectorMath.h"
#include "model/Collage.h"
#include "model/Parts.h"
#include "model/Project.h"
#include "model/Report.h"
#include "model/Tile.h"
#include "model/TileLibrary.h"

#include <QColor>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QLocale>
#include <cmath>
#include <optional>

namespace vk {

namespace {

// A problem with the scene, carried to LoadScene's caller.
struct TSceneProblem {
    QString Text;
};

constexpr std::uint8_t kSolid = 1u << 0;

QString quoted(const QString& key) { return QStringLiteral("\"%1\"").arg(key); }

double number(const QJsonValue& value, const QString& where) {
    if (!value.isDouble() || !std::isfinite(value.toDouble())) {
        throw TSceneProblem{QStringLiteral("%1: ожидается число").arg(where)};
    }
    return value.toDouble();
}

// Millimetres: a coordinate or a length.
double length(const QJsonValue& value, const QString& where) {
    const double v = number(value, where);
    if (!IsCoordinateInRange(v)) {
        throw TSceneProblem{CoordinateRangeProblem(where)};
    }
    return v;
}

double angle(const QJsonValue& value, const QString& where) {
    const double v = number(value, where);
    if (!IsAngleInRange(v)) {
        throw TSceneProblem{AngleRangeProblem(where)};
    }
    return v;
}

TPointF point(const QJsonValue& value, const QString& where) {
    const QJsonArray a = value.toArray();
    if (!value.isArray() || a.size() != 2) {
        throw TSceneProblem{QStringLiteral("%1: ожидается точка [x, y]").arg(where)};
    }
    return {float(length(a[0], where)), float(length(a[1], where))};
}

QJsonArray array(const QJsonObject& object, const QString& key, const QString& where, bool required) {
    const QJsonValue value = object.value(key);
    if (value.isUndefined() && !required) {
        return {};
    }
    if (!value.isArray()) {
        throw TSceneProblem{QStringLiteral("%1: нет списка %2").arg(where, quoted(key))};
    }
    return value.toArray();
}

std::unique_ptr<TGraphicPrimitive> element(const QJsonValue& value, T_TnC_Ancestor* owner, const QString& where) {
    const QJsonObject object = value.toObject();
    std::unique_ptr<TGraphicPrimitive> made;
    if (object.contains(QStringLiteral("segment"))) {
        const QJsonArray ends = object.value(QStringLiteral("segment")).toArray();
        if (ends.size() != 2) {
            throw TSceneProblem{QStringLiteral("%1: отрезок задается двумя точками").arg(where)};
        }
        const TPointF a = point(ends[0], where);
        const TPointF b = point(ends[1], where);
        auto segment = std::make_unique<TLinePrimitive>(owner);
        segment->SetStart({a.X, a.Y, 1});
        segment->SetFinish({b.X, b.Y, 1});
        made = std::move(segment);
    } else if (object.contains(QStringLiteral("arc"))) {
        const QJsonObject a = object.value(QStringLiteral("arc")).toObject();
        const TPointF centre = point(a.value(QStringLiteral("centre")), where);
        const TPointF start = point(a.value(QStringLiteral("start")), where);
        const double sweep = angle(a.value(QStringLiteral("sweep")), where);
        const float radius = Distance(centre, start);
        if (!(radius > 0.0f) || sweep == 0.0) {
            throw TSceneProblem{QStringLiteral("%1: дуга без радиуса или без угла").arg(where)};
        }
        auto arc = std::make_unique<TArcPrimitive>(owner);
        arc->SetCentre({centre.X, centre.Y, 1});
        arc->SetStart({start.X, start.Y, 1});
        arc->SetSweep(float(sweep));
        arc->SetRadius(radius);
        made = std::move(arc);
    } else {
        throw TSceneProblem{QStringLiteral("%1: ожидается \"segment\" или \"arc\"").arg(where)};
    }
    if (object.contains(QStringLiteral("style"))) {
        const double style = number(object.value(QStringLiteral("style")), where);
        if (style < 0 || style > 255 || style != std::floor(style)) {
            throw TSceneProblem{QStringLiteral("%1: стиль линии - целое число от 0 до 255").arg(where)};
        }
        made->LineStyle = int(style);
    }
    return made;
}

void elements(const QJsonArray& list, T_TnC_Ancestor& owner, TElementList& into, const QString& where) {
    for (int i = 0; i < list.size(); ++i) {
        into.Add(element(list[i], &owner, QStringLiteral("%1, элемент %2").arg(where).arg(i + 1)));
    }
}

QString libraryName(const QJsonObject& object) {
    const QJsonValue value = object.value(QStringLiteral("library"));
    return value.isString() ? value.toString() : QString();
}

void requireLibrary(const QString& what) {
    if (TileDB() == nullptr) {
        throw TSceneProblem{QStringLiteral("Библиотека плиток недоступна (нужна для %1)").arg(what)};
    }
}

void loadTile(const QJsonObject& scene, TProject& project) {
    const QJsonValue value = scene.value(QStringLiteral("tile"));
    if (!value.isObject()) {
        throw TSceneProblem{QStringLiteral("В сцене нет плитки (\"tile\")")};
    }
    const QJsonObject object = value.toObject();
    if (object.contains(QStringLiteral("library"))) {
        const QString name = libraryName(object);
        requireLibrary(QStringLiteral("плитки \"%1\"").arg(name));
        TPickByName pick(name, QString());
        project.SetPickList(&pick);
        const bool chosen = project.SelectTile();
        project.SetPickList(nullptr);
        if (!chosen) {
            throw TSceneProblem{QStringLiteral("В библиотеке нет плитки \"%1\"").arg(name)};
        }
        // Refused here as a tile written into the scene is, not left to
        // lay nothing.
        if (project.Tile()->Elements().CountOfStyles(kSolid) == 0) {
            throw TSceneProblem{QStringLiteral("У плитки \"%1\" нет контура").arg(project.Tile()->Name())};
        }
        return;
    }
    auto tile = std::make_unique<TTile>();
    tile->SetName(object.value(QStringLiteral("name")).toString(tile->Name()));
    if (object.contains(QStringLiteral("thickness"))) {
        tile->SetThickness(float(length(object.value(QStringLiteral("thickness")), QStringLiteral("\"thickness\""))));
    }
    elements(array(object, QStringLiteral("outline"), QStringLiteral("Плитка"), true), *tile, tile->Elements(),
             QStringLiteral("Контур плитки"));
    if (tile->Elements().CountOfStyles(kSolid) == 0) {
        throw TSceneProblem{QStringLiteral("У плитки \"%1\" нет контура (\"outline\")").arg(tile->Name())};
    }
    // Parts and halves share one number space with each other.
    std::int32_t nextId = 1;
    auto parts = std::make_unique<TPartList>();
    const QJsonArray partList = array(object, QStringLiteral("parts"), QStringLiteral("Плитка"), false);
    for (int p = 0; p < partList.size(); ++p) {
        const QString where = QStringLiteral("Разрез %1").arg(p + 1);
        const QJsonObject partObject = partList[p].toObject();
        TPart* part = parts->Add(std::make_unique<TPart>(tile.get()));
        part->ID = nextId++;
        if (partObject.contains(QStringLiteral("name"))) {
            part->SetName(partObject.value(QStringLiteral("name")).toString());
        }
        part->Equals = partObject.value(QStringLiteral("equals")).toBool(false);
        elements(array(partObject, QStringLiteral("cuts"), where, false), *part, part->Elements(), where);
        const QJsonArray halves = array(partObject, QStringLiteral("halves"), where, false);
        for (int h = 0; h < halves.size(); ++h) {
            const QJsonObject halfObject = halves[h].toObject();
            const QString halfWhere = QStringLiteral("%1, половинка %2").arg(where).arg(h + 1);
            const QJsonArray rect = halfObject.value(QStringLiteral("rect")).toArray();
            if (rect.size() != 2) {
                throw TSceneProblem{QStringLiteral("%1: нет прямоугольника \"rect\"").arg(halfWhere)};
            }
            TContourAncestor* half = part->AddContourFromRect(point(rect[0], halfWhere), point(rect[1], halfWhere));
            half->ID = nextId++;
            if (halfObject.contains(QStringLiteral("name"))) {
                half->SetName(halfObject.value(QStringLiteral("name")).toString());
            }
        }
    }
    tile->SetModified(false);
    project.UseTile(std::move(tile), std::move(parts));
}

void loadPattern(const QJsonObject& scene, TProject& project) {
    const QJsonValue value = scene.value(QStringLiteral("pattern"));
    if (!value.isObject()) {
        throw TSceneProblem{QStringLiteral("В сцене нет узора (\"pattern\")")};
    }
    const QJsonObject object = value.toObject();
    if (object.contains(QStringLiteral("library"))) {
        const QString name = libraryName(object);
        requireLibrary(QStringLiteral("узора \"%1\"").arg(name));
        TPickByName pick(QString(), name);
        project.SetPickList(&pick);
        const bool chosen = project.SelectPattern();
        project.SetPickList(nullptr);
        if (!chosen) {
            throw TSceneProblem{
                QStringLiteral("В библиотеке нет узора \"%1\" для плитки \"%2\"").arg(name, project.Tile()->Name())};
        }
        return;
    }
    TTile* tile = project.Tile();
    auto pattern = std::make_unique<TCollage>(tile);
    pattern->SetName(object.value(QStringLiteral("name")).toString(pattern->Name()));
    const QJsonArray placements = array(object, QStringLiteral("placements"), QStringLiteral("Узор"), true);
    if (placements.isEmpty()) {
        throw TSceneProblem{QStringLiteral("В узоре нет ни одной плитки (\"placements\")")};
    }
    for (int i = 0; i < placements.size(); ++i) {
        const QString where = QStringLiteral("Узор, плитка %1").arg(i + 1);
        const QJsonObject p = placements[i].toObject();
        auto placement = std::make_unique<TTilePlacementPrimitive>(pattern.get());
        const TPointF tp = point(p.value(QStringLiteral("tilePoint")), where);
        const TPointF pp = point(p.value(QStringLiteral("patternPoint")), where);
        placement->SetTilePoint({tp.X, tp.Y, 1});
        placement->SetPatternPoint({pp.X, pp.Y, 1});
        placement->SetRotation(p.contains(QStringLiteral("rotation"))
                                   ? float(angle(p.value(QStringLiteral("rotation")), where))
                                   : 0.0f);
        placement->PlaceTile(*tile, pattern->BasePoint.point());
        pattern->Elements().Add(std::move(placement));
    }
    const QJsonArray hands = array(object, QStringLiteral("handPoints"), QStringLiteral("Узор"), false);
    for (int i = 0; i < hands.size(); ++i) {
        const TPointF h = point(hands[i], QStringLiteral("Узор, точка повтора %1").arg(i + 1));
        auto hand = std::make_unique<TPointPrimitive>(pattern.get());
        hand->SetPoint({h.X, h.Y, 1});
        pattern->HandPoints().Add(std::move(hand));
    }
    pattern->SetModified(false);
    project.UsePattern(std::move(pattern));
}

} // namespace

QString LoadScene(const QByteArray& json, TProject& project) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError) {
        return QStringLiteral("Сцена не в формате JSON: %1 (символ %2)").arg(error.errorString()).arg(error.offset);
    }
    if (!document.isObject()) {
        return QStringLiteral("Сцена должна быть объектом JSON");
    }
    return LoadScene(document.object(), project);
}

QString LoadScene(const QJsonObject& scene, TProject& project) {
    try {
        if (!scene.value(QStringLiteral("border")).isArray()) {
            throw TSceneProblem{QStringLiteral("В сцене нет границы участка (\"border\")")};
        }
        loadTile(scene, project);
        loadPattern(scene, project);
        elements(scene.value(QStringLiteral("border")).toArray(), project, project.Elements(),
                 QStringLiteral("Граница участка"));
        if (!scene.contains(QStringLiteral("start"))) {
            throw TSceneProblem{QStringLiteral("В сцене нет начальной точки (\"start\")")};
        }
        const TPointF start = point(scene.value(QStringLiteral("start")), QStringLiteral("\"start\""));
        project.SetStartPoint(start.X, start.Y);
        if (scene.contains(QStringLiteral("orientation"))) {
            project.SetOrientation(float(angle(scene.value(QStringLiteral("orientation")), QStringLiteral("\"orientation\""))));
        }
    } catch (const TSceneProblem& problem) {
        return problem.Text;
    }
    return {};
}

// --- the report as JSON ------------------------------------------------------------

namespace {

QByteArray jsonString(const QString& text) {
    // A one-element array gives Qt's own escaping; its brackets are cut off.
    const QByteArray wrapped = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return wrapped.mid(1, wrapped.size() - 2);
}

// JSON has no infinity and no NaN: such a number is written as null.
QByteArray jsonNumber(double value, int decimals) {
    if (!std::isfinite(value)) {
        return "null";
    }
    QByteArray text = QByteArray::number(value, 'f', decimals);
    if (text.contains('.')) {
        while (text.endsWith('0')) {
            text.chop(1);
        }
        if (text.endsWith('.')) {
            text.chop(1);
        }
    }
    if (text == "-0") {
        text = "0";
    }
    return text;
}

// The shortest text that reads back as the same double.
QByteArray jsonExact(double value) {
    if (!std::isfinite(value)) {
        return "null";
    }
    QByteArray text = QByteArray::number(value, 'g', QLocale::FloatingPointShortest);
    return text == "-0" ? QByteArray("0") : text;
}

QByteArray argb(std::uint32_t color) { return jsonString(QColor::fromRgba(color).name(QColor::HexArgb)); }

} // namespace

QByteArray ReportJson(const TReport& report, const TProject& project, bool withTiles) {
    QByteArray out;
    out += "{\"area_m2\": " + jsonExact(report.AreaM2);
    out += ", \"perimeter_m\": " + jsonExact(report.PerimeterM);
    out += ", \"tiles\": " + QByteArray::number(report.Tiles);
    out += ", \"whole_total\": " + QByteArray::number(report.WholeTotal);
    out += ", \"pieces_total\": " + QByteArray::number(report.PiecesTotal);
    out += ", \"colours\": [";
    for (std::size_t c = 0; c < report.Colours.size(); ++c) {
        const TReportColour& colour = report.Colours[c];
        out += c == 0 ? "" : ", ";
        out += "{\"argb\": " + argb(colour.Color) + ", \"whole\": " + QByteArray::number(colour.Whole) + ", \"parts\": [";
        for (std::size_t p = 0; p < colour.Parts.size(); ++p) {
            const TReportPart& part = colour.Parts[p];
            out += p == 0 ? "" : ", ";
            out += "{\"name\": " + jsonString(part.Name) + ", \"count\": " + QByteArray::number(part.Count) +
                   ", \"halves\": [";
            for (std::size_t h = 0; h < part.Halves.size(); ++h) {
                out += h == 0 ? "" : ", ";
                out += "{\"name\": " + jsonString(part.Halves[h].Name) +
                       ", \"count\": " + QByteArray::number(part.Halves[h].Count) + "}";
            }
            out += "]}";
        }
        out += "]}";
    }
    out += "]";
    if (withTiles) {
        out += ",\n \"laid\": [";
        const TTileList& laid = project.LaidTiles();
        const TPartList* parts = project.TileParts();
        for (int i = 0; i < laid.Count(); ++i) {
            const TTileContainer& tile = laid.Items(i);
            QString partName;
            QString halfName;
            if (tile.PartID != -1 && parts != nullptr) {
                partName = parts->PartName(tile.PartID);
                halfName = parts->ContourName(tile.PartID, tile.ContourID);
            }
            out += i == 0 ? "\n  " : ",\n  ";
            out += "{\"x\": " + jsonNumber(tile.BasePointKey().X, 3) + ", \"y\": " + jsonNumber(tile.BasePointKey().Y, 3) +
                   ", \"orientation\": " + jsonNumber(tile.Orientation, 4) + ", \"part\": " + jsonString(partName) +
                   ", \"half\": " + jsonString(halfName) + "}";
        }
        out += laid.Count() > 0 ? "\n ]" : "]";
    }
    out += "}\n";
    return out;
}

} // namespace vk
