// vorkalo-cli with a scene whose border (or tile outline) is a DXF drawing
// made by another CAD program: the report against figures an independent
// reader worked out (tests/data/dxf/measure.py, ezdxf and shapely).

#include "support/CliRun.h"
#include "support/SceneJson.h"
#include "support/TempDir.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointF>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

using vk::test::pt;
using vk::test::segment;
using vk::test::square;
using vk::test::TResult;

TResult fill(const QString& scene) { return vk::test::run({QStringLiteral("fill"), scene, QStringLiteral("--json")}); }

// Half-metre slabs in plain rows over the given border.
QJsonObject scene(const QJsonValue& border, const QJsonValue& outline = square(500), QPointF start = {}) {
    const QJsonObject tile{{"name", "Плита"}, {"thickness", 60}, {"outline", outline}};
    return vk::test::sceneOf(tile, vk::test::simplePattern(QJsonArray{pt(500, 0), pt(0, 500)}, "Ряды"), border,
                             pt(start.x(), start.y()));
}

// The scene and a copy of the drawing side by side: the scene names it
// relative to its own folder.
QString place(const vk::test::TTempDir& dir, const QString& drawing, const QJsonObject& content) {
    if (!drawing.isEmpty()) {
        QFile::copy(QStringLiteral(DXF_DATA "/") + drawing, dir.file(drawing));
    }
    return vk::test::write(dir, QStringLiteral("scene.json"), content);
}

} // namespace

TEST(CliDxf, DrawingsOfOtherProgramsGiveTheIndependentlyMeasuredSite) {
    // Drawn in millimetres, inches or no unit and read as metres, to make
    // yards of them; the fill starts at a point of the site.
    const struct {
        const char* file;
        double area;      // m², measure.py
        double perimeter; // m
        // Relative: the report traces arcs with chords of up to a
        // millimetre, which small holes feel most (fourteen of 130 mm
        // radius lose about 1 % of their area, 0.9 in a thousand of the
        // plate's).
        double areaError;
        QPointF start;
    } cases[] = {
        {"blk1.dxf", 778.539480, 111.415860, 1e-4, {}},    // closed polyline, arcs as bulges
        {"alg1.dxf", 500.658896, 91.251111, 1e-4, {}},     // four lines, not all one way round
        {"block10.dxf", 727.461340, 142.049543, 1e-4, {}}, // closed polyline of twelve corners
        // A plate of lines and rounded corners with a column of circular
        // holes: a block of one circle placed in fourteen rows, inside a
        // block placed once.
        {"arrayed-holes.dxf", 7.134277, 29.318223, 1.2e-3, {-11190, -12450}},
        // A boundary traced over a point cloud: one 3-D polyline whose
        // heights differ from vertex to vertex, closed by its last vertex
        // repeating the first.
        {"cc_dxflib.dxf", 0.945924, 3.906060, 1e-4, {500, -800}},
        // A bracket drawn in AutoCAD: an outline of lines and fillet arcs
        // joined end to end, three slots of two lines and two half circles,
        // six circular holes and a dimension.
        {"HFP1JZ.dxf", 9047.846554, 1070.382891, 1e-4, {100000, -165000}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        vk::test::TTempDir dir;
        const QString path =
            place(dir, c.file, scene(QJsonObject{{"dxf", c.file}, {"unit", "m"}}, square(500), c.start));
        const TResult r = fill(path);
        ASSERT_EQ(r.code, 0) << r.err.toStdString();
        const QJsonObject report = QJsonDocument::fromJson(r.out.toUtf8()).object();
        EXPECT_NEAR(report["area_m2"].toDouble(), c.area, c.area * c.areaError);
        EXPECT_NEAR(report["perimeter_m"].toDouble(), c.perimeter, c.perimeter * 1e-6);
        EXPECT_GT(report["tiles"].toInt(), 0);
    }
}

TEST(CliDxf, TileOutlineFromADrawingLaysAsTheSameOutlineWrittenOut) {
    // The rounded outline, 40 x 20 units, read as centimetres: a 400 x 200 mm
    // stone with corners of 50 mm radius, over a 4 m square.
    const auto quarter = [](double cx, double cy, double sx, double sy) {
        return QJsonObject{{"arc", QJsonObject{{"centre", pt(cx, cy)}, {"start", pt(sx, sy)}, {"sweep", 90}}}};
    };
    const QJsonArray written{quarter(300, 50, 300, 0),   segment(350, 50, 350, 150), quarter(300, 150, 350, 150),
                             segment(300, 200, 0, 200), quarter(0, 150, 0, 200),    segment(-50, 150, -50, 50),
                             quarter(0, 50, -50, 50),   segment(0, 0, 300, 0)};
    vk::test::TTempDir dir;
    const TResult fromDrawing = fill(place(dir, QStringLiteral("blk1.dxf"),
                                           scene(square(4000), QJsonObject{{"dxf", "blk1.dxf"}, {"unit", "cm"}})));
    const TResult fromJson = fill(place(dir, QString(), scene(square(4000), written)));
    ASSERT_EQ(fromDrawing.code, 0) << fromDrawing.err.toStdString();
    ASSERT_EQ(fromJson.code, 0) << fromJson.err.toStdString();
    const QJsonObject a = QJsonDocument::fromJson(fromDrawing.out.toUtf8()).object();
    const QJsonObject b = QJsonDocument::fromJson(fromJson.out.toUtf8()).object();
    EXPECT_GT(a["tiles"].toInt(), 0);
    for (const char* key : {"tiles", "whole_total", "pieces_total"}) {
        EXPECT_EQ(a[key].toInt(), b[key].toInt()) << key;
    }
}

TEST(CliDxf, ProblemsWithTheDrawingNameTheFileAndStop) {
    const struct {
        const char* name;
        QJsonObject border;
        const char* said;
    } cases[] = {
        {"MissingFile", QJsonObject{{"dxf", "nowhere.dxf"}}, "nowhere.dxf"},
        {"UnknownLayer", QJsonObject{{"dxf", "blk1.dxf"}, {"layers", QJsonArray{"Участок"}}}, "Участок"},
        {"UnknownUnit", QJsonObject{{"dxf", "blk1.dxf"}, {"unit", "ft"}}, "\"unit\""},
        {"NoFileName", QJsonObject{{"dxf", 5}}, "\"dxf\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        vk::test::TTempDir dir;
        const TResult r = fill(place(dir, QStringLiteral("blk1.dxf"), scene(c.border)));
        EXPECT_EQ(r.code, 1);
        EXPECT_TRUE(r.err.contains(QStringLiteral("Граница участка"))) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.said))) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
}
