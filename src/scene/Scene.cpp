#include "scene/Scene.h"

#include "exchange/DxfReader.h"
#include "geometry/GraphicPrimitive.h"
#include "model/Collage.h"
#include "model/Materials.h"
#include "model/Parts.h"
#include "model/Project.h"
#include "model/Report.h"
#include "model/ShapeDescription.h"
#include "model/Tile.h"
#include "model/TileLibrary.h"

#include <QColor>
#include <QDir>
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

// A step of the scene in the words of its problem texts.
QString word(const TDescriptionStep& step, bool last) {
    using What = TDescriptionStep::What;
    switch (step.Item) {
    case What::Tile: return last ? QStringLiteral("Плитка") : QString();
    case What::Outline: return QStringLiteral("Контур плитки");
    case What::Part: return QStringLiteral("Разрез %1").arg(step.Number);
    case What::Cuts: return {};
    case What::Half: return QStringLiteral("половинка %1").arg(step.Number);
    case What::Pattern: return QStringLiteral("Узор");
    case What::Placement: return QStringLiteral("плитка %1").arg(step.Number);
    case What::Hand: return QStringLiteral("точка повтора %1").arg(step.Number);
    case What::Element: return QStringLiteral("элемент %1").arg(step.Number);
    case What::Border: return QStringLiteral("Граница участка");
    case What::Field: return QStringLiteral("\"%1\"").arg(step.Name);
    }
    return {};
}

TSceneProblem problem(const TDescriptionError& error) {
    QStringList words;
    for (std::size_t i = 0; i < error.Place.size(); ++i) {
        const QString w = word(error.Place[i], i + 1 == error.Place.size());
        if (!w.isEmpty()) {
            words << w;
        }
    }
    return TSceneProblem{QStringLiteral("%1: %2").arg(words.join(QStringLiteral(", ")), error.Why)};
}

void addElements(const std::vector<TElementDescription>& described, T_TnC_Ancestor& owner, TElementList& into) {
    for (const TElementDescription& e : described) {
        into.Add(MakeDescribedElement(e, &owner));
    }
}

// {"dxf": FILE, "layers": [...], "unit": "m"} as elements of `owner`.
// `what` names the place in problem texts.
void addDxfElements(const QJsonObject& spec, const QString& folder, const QString& what, T_TnC_Ancestor& owner,
                    TElementList& into) {
    const auto problem = [&](const QString& why) { return TSceneProblem{QStringLiteral("%1: %2").arg(what, why)}; };
    const QJsonValue file = spec.value(QStringLiteral("dxf"));
    if (!file.isString() || file.toString().isEmpty()) {
        throw problem(QStringLiteral("поле \"dxf\" должно быть именем файла"));
    }
    const QString path = QDir(folder.isEmpty() ? QDir::currentPath() : folder).absoluteFilePath(file.toString());
    const TDxfDrawing drawing = TDxfDrawing::Read(path);
    if (!drawing.Error().isEmpty()) {
        throw problem(drawing.Error());
    }
    QStringList layers = drawing.LayerNames();
    if (spec.contains(QStringLiteral("layers"))) {
        const QJsonValue value = spec.value(QStringLiteral("layers"));
        if (!value.isArray()) {
            throw problem(QStringLiteral("поле \"layers\" должно быть списком имен слоев"));
        }
        layers.clear();
        for (const QJsonValue& layer : value.toArray()) {
            if (!layer.isString()) {
                throw problem(QStringLiteral("поле \"layers\" должно быть списком имен слоев"));
            }
            if (!drawing.LayerNames().contains(layer.toString())) {
                throw problem(QStringLiteral("в файле \"%1\" нет слоя \"%2\" с отрезками, дугами или полилиниями")
                                  .arg(file.toString(), layer.toString()));
            }
            layers << layer.toString();
        }
    }
    TDxfUnit unit = drawing.Unit().value_or(TDxfUnit::Millimetre);
    if (spec.contains(QStringLiteral("unit"))) {
        const std::optional<TDxfUnit> given = DxfUnitOfKey(spec.value(QStringLiteral("unit")).toString());
        if (!given) {
            throw problem(QStringLiteral("поле \"unit\" должно быть одним из \"mm\", \"cm\", \"m\", \"inch\""));
        }
        unit = *given;
    }
    const QString refused = drawing.ProblemWith(layers);
    if (!refused.isEmpty()) {
        throw problem(refused);
    }
    for (auto& element : drawing.Elements(layers, unit, &owner)) {
        into.Add(std::move(element));
    }
}

bool isDxf(const QJsonValue& value) {
    return value.isObject() && value.toObject().contains(QStringLiteral("dxf"));
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

void loadTile(const QJsonObject& scene, TProject& project, const QString& folder) {
    const QJsonValue value = scene.value(QStringLiteral("tile"));
    if (!value.isObject()) {
        throw TSceneProblem{QStringLiteral("В сцене нет плитки (\"tile\")")};
    }
    QJsonObject object = value.toObject();
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
    // An outline from a drawing is read apart; the rest as written.
    const QJsonValue dxfOutline = object.value(QStringLiteral("outline"));
    if (isDxf(dxfOutline)) {
        object.insert(QStringLiteral("outline"), QJsonArray());
    }
    TShapeDescriptionReader reader(TDescriptionRules::Scene);
    const TTileDescription described = reader.Tile(object);
    auto tile = std::make_unique<TTile>();
    if (!described.Name.isNull()) {
        tile->SetName(described.Name);
    }
    if (described.ThicknessGiven) {
        tile->SetThickness(described.Thickness);
    }
    tile->Comment = described.Comment;
    addElements(described.Outline, *tile, tile->Elements());
    if (isDxf(dxfOutline)) {
        addDxfElements(dxfOutline.toObject(), folder, QStringLiteral("Контур плитки"), *tile, tile->Elements());
    }
    if (tile->Elements().CountOfStyles(kSolid) == 0) {
        throw TSceneProblem{QStringLiteral("У плитки \"%1\" нет контура (\"outline\")").arg(tile->Name())};
    }
    // Parts and halves share one number space with each other.
    std::int32_t nextId = 1;
    auto parts = std::make_unique<TPartList>();
    for (const TPartDescription& describedPart : described.Parts) {
        TPart* part = parts->Add(std::make_unique<TPart>(tile.get()));
        part->ID = nextId++;
        if (!describedPart.Name.isNull()) {
            part->SetName(describedPart.Name);
        }
        part->Equals = describedPart.Interchangeable;
        addElements(describedPart.Cuts, *part, part->Elements());
        for (const THalfDescription& describedHalf : describedPart.Halves) {
            TContourAncestor* half = part->AddContourFromRect(describedHalf.Corner1, describedHalf.Corner2);
            half->ID = nextId++;
            if (!describedHalf.Name.isNull()) {
                half->SetName(describedHalf.Name);
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
    TShapeDescriptionReader reader(TDescriptionRules::Scene);
    const TPatternDescription described = reader.Pattern(value);
    TTile* tile = project.Tile();
    auto pattern = std::make_unique<TCollage>(tile);
    if (!described.Name.isNull()) {
        pattern->SetName(described.Name);
    }
    for (const TPlacementDescription& p : described.Placements) {
        auto placement = std::make_unique<TTilePlacementPrimitive>(pattern.get());
        placement->SetTilePoint({p.TilePoint.X, p.TilePoint.Y, 1});
        placement->SetPatternPoint({p.PatternPoint.X, p.PatternPoint.Y, 1});
        placement->SetRotation(p.Rotation);
        placement->PlaceTile(*tile, pattern->BasePoint.point());
        pattern->Elements().Add(std::move(placement));
    }
    for (const TPointF h : described.HandPoints) {
        auto hand = std::make_unique<TPointPrimitive>(pattern.get());
        hand->SetPoint({h.X, h.Y, 1});
        pattern->HandPoints().Add(std::move(hand));
    }
    pattern->SetModified(false);
    project.UsePattern(std::move(pattern));
}

} // namespace

QString LoadScene(const QByteArray& json, TProject& project, const QString& folder) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError) {
        return QStringLiteral("Сцена не в формате JSON: %1 (символ %2)").arg(error.errorString()).arg(error.offset);
    }
    if (!document.isObject()) {
        return QStringLiteral("Сцена должна быть объектом JSON");
    }
    return LoadScene(document.object(), project, folder);
}

QString LoadScene(const QJsonObject& scene, TProject& project, const QString& folder) {
    try {
        const QJsonValue border = scene.value(QStringLiteral("border"));
        if (!border.isArray() && !isDxf(border)) {
            throw TSceneProblem{QStringLiteral("В сцене нет границы участка (\"border\")")};
        }
        loadTile(scene, project, folder);
        loadPattern(scene, project);
        TShapeDescriptionReader reader(TDescriptionRules::Scene);
        if (isDxf(border)) {
            addDxfElements(border.toObject(), folder, QStringLiteral("Граница участка"), project, project.Elements());
        } else {
            addElements(reader.Elements(border, {TDescriptionStep::What::Border, 0, {}}), project, project.Elements());
        }
        if (!scene.contains(QStringLiteral("start"))) {
            throw TSceneProblem{QStringLiteral("В сцене нет начальной точки (\"start\")")};
        }
        const TPointF start =
            reader.Point(scene.value(QStringLiteral("start")), {TDescriptionStep::What::Field, 0, QStringLiteral("start")});
        project.SetStartPoint(start.X, start.Y);
        if (scene.contains(QStringLiteral("orientation"))) {
            project.SetOrientation(float(reader.Angle(scene.value(QStringLiteral("orientation")),
                                                      {TDescriptionStep::What::Field, 0, QStringLiteral("orientation")})));
        }
    } catch (const TDescriptionError& error) {
        return problem(error).Text;
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

QByteArray packsJson(const std::optional<int>& packs) { return packs ? QByteArray::number(*packs) : "null"; }

QByteArray materialsJson(const TMaterials& m) {
    QByteArray out = "{\"waste_percent\": " + jsonExact(m.WastePercent);
    out += ", \"pack\": " + (m.Pack > 0 ? QByteArray::number(m.Pack) : QByteArray("null"));
    out += ", \"tile_area_m2\": " + jsonExact(m.TileAreaM2);
    out += ", \"colours\": [";
    for (std::size_t c = 0; c < m.Colours.size(); ++c) {
        const TMaterialsLine& line = m.Colours[c];
        out += c == 0 ? "" : ", ";
        out += "{\"argb\": " + argb(line.Argb) + ", \"whole\": " + QByteArray::number(line.Whole) +
               ", \"for_halves\": " + QByteArray::number(line.ForHalves) + ", \"tiles\": " +
               QByteArray::number(line.Tiles) + ", \"with_waste\": " + QByteArray::number(line.WithWaste) +
               ", \"area_m2\": " + jsonExact(line.AreaM2) + ", \"packs\": " + packsJson(line.Packs) + "}";
    }
    out += "], \"tiles\": " + QByteArray::number(m.Total.Tiles);
    out += ", \"with_waste\": " + QByteArray::number(m.Total.WithWaste);
    out += ", \"area_m2\": " + jsonExact(m.Total.AreaM2);
    out += ", \"packs\": " + packsJson(m.Total.Packs) + "}";
    return out;
}

} // namespace

QByteArray ReportJson(const TReport& report, const TProject& project, bool withTiles, const TMaterials* materials) {
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
    if (materials != nullptr) {
        out += ",\n \"materials\": " + materialsJson(*materials);
    }
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
