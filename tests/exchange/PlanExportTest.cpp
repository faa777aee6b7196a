// The plan written for other programs: SVG read back as XML, DXF opened by
// an independent reader (ezdxf), and both held to the laid tiles' geometry.

#include "exchange/DxfWriter.h"
#include "exchange/ExportShapes.h"
#include "exchange/SvgExport.h"
#include "model/FillTestSupport.h"
#include "support/TempDir.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

#include <cmath>

using namespace vk;
using namespace vk::test;

namespace {

constexpr std::uint32_t kBlue = 0xFF3366CCu;

// The 1 m square of 100 mm squares (121 laid, 40 of them cut by the border),
// with three tiles recoloured blue.
std::unique_ptr<TFillRig> squareWithBlueTiles() {
    auto rig = std::make_unique<TFillRig>();
    rig->load(squareScene());
    EXPECT_TRUE(rig->fill());
    for (const int i : {0, 5, 7}) {
        rig->project->LaidTiles().SetColor(i, kBlue);
    }
    return rig;
}

// Round tiles (two half-circle arcs, r = 50) on a 100 mm grid over a 1 m
// square with a round hole of r = 150: arcs in the tiles and in the border.
QJsonObject roundScene() {
    QJsonObject tile{{"name", "Круг"}, {"outline", circle(50, 50, 50)}, {"parts", QJsonArray{}}};
    return QJsonObject{{"tile", tile},
                       {"pattern", simplePattern(QJsonArray{pt(100, 0), pt(0, 100)})},
                       {"border", join({rect(0, 0, 1000, 1000), circle(500, 500, 150)})},
                       {"start", pt(50, 50)}};
}

struct TSvgPaths {
    QMap<QString, int> perFill;  // colour group's fill -> paths
    int border = 0;
    int groups = 0;
    QStringList problems;
};

TSvgPaths readSvg(const QByteArray& svg) {
    TSvgPaths out;
    QXmlStreamReader xml(svg);
    QStringList fills;  // of the open <g> elements
    QStringList ids;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("g")) {
            const bool group = xml.attributes().value("class") == QLatin1String("colour-group");
            out.groups += group ? 1 : 0;
            fills << (group ? xml.attributes().value("fill").toString() : QString());
            ids << xml.attributes().value("id").toString();
        } else if (xml.isEndElement() && xml.name() == QLatin1String("g")) {
            fills.removeLast();
            ids.removeLast();
        } else if (xml.isStartElement() && xml.name() == QLatin1String("path")) {
            const QString d = xml.attributes().value("d").toString();
            if (!d.startsWith(QLatin1String("M ")) || !d.endsWith(QLatin1String(" Z")) || d.count('M') != 1) {
                out.problems << d;
            }
            if (!ids.isEmpty() && ids.last() == QLatin1String("border")) {
                ++out.border;
            } else if (!fills.isEmpty() && !fills.last().isEmpty()) {
                ++out.perFill[fills.last()];
            } else {
                out.problems << QStringLiteral("a path outside the groups");
            }
        }
    }
    if (xml.hasError()) {
        out.problems << xml.errorString();
    }
    return out;
}

// What ezdxf reads from a DXF file: per layer the closed and open
// polylines and their areas (exact, arcs from the bulges),
// the $INSUNITS and the texts. Skips the test when the reader is missing.
const char* const kReader = R"(
import sys, json, math, ezdxf
doc = ezdxf.readfile(sys.argv[1])
out = {"insunits": doc.header.get("$INSUNITS", 0), "layers": {}, "texts": []}
def area(e):
    # The polygon of the vertices plus, per bulge, the circular segment
    # between its chord and its arc: outward for a bulge that turns as the
    # outline runs, inward otherwise.
    pts = e.get_points("xyb")
    s = 0.0
    for i in range(len(pts)):
        (x1, y1, b), (x2, y2, _) = pts[i], pts[(i + 1) % len(pts)]
        s += (x1 * y2 - x2 * y1) / 2
        if b:
            t = 4 * math.atan(abs(b))
            c = math.hypot(x2 - x1, y2 - y1)
            r = c / (2 * math.sin(t / 2))
            s += math.copysign(r * r / 2 * (t - math.sin(t)), b)
    return abs(s)
for e in doc.modelspace():
    t = e.dxftype()
    layer = out["layers"].setdefault(e.dxf.layer, {"closed": 0, "open": 0, "areas": [], "other": 0})
    if t == "LWPOLYLINE":
        layer["closed" if e.closed else "open"] += 1
        layer["areas"].append(area(e))
    elif t == "MTEXT":
        out["texts"].append(e.plain_text())
        layer["other"] += 1
    else:
        layer["other"] += 1
print(json.dumps(out))
)";

std::optional<QJsonObject> readDxf(const QString& file) {
    if (!QFile::exists(QStringLiteral("/usr/bin/python3"))) {
        return std::nullopt;
    }
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromUtf8(kReader), file});
    python.waitForFinished(60000);
    const QByteArray err = python.readAllStandardError();
    if (python.exitCode() != 0 && err.contains("No module named")) {
        return std::nullopt;
    }
    EXPECT_EQ(python.exitCode(), 0) << err.toStdString();
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}

int polylines(const QJsonObject& dxf, const char* layer, const char* which = "closed") {
    return dxf["layers"].toObject()[QLatin1String(layer)].toObject()[QLatin1String(which)].toInt();
}

} // namespace

TEST(SvgExport, EveryLaidTileIsOneClosedPathInItsColourGroup) {
    const auto rig = squareWithBlueTiles();
    const QByteArray svg = SvgDocument(CollectDrawing(*rig->project), QStringLiteral("Квадрат"));
    const TSvgPaths paths = readSvg(svg);
    EXPECT_TRUE(paths.problems.isEmpty()) << paths.problems.join('\n').toStdString();
    EXPECT_EQ(paths.groups, 2);
    EXPECT_EQ(paths.perFill.value("#e5e5e5"), 118);
    EXPECT_EQ(paths.perFill.value("#3366cc"), 3);
    EXPECT_EQ(paths.border, 1);

    // Cut tiles are their pieces on the site: no coordinate leaves the
    // square (y is negated in SVG).
    static const QRegularExpression numberPairs(QStringLiteral(R"(([-\d.]+) ([-\d.]+))"));
    for (auto it = numberPairs.globalMatch(QString::fromUtf8(svg).section("id=\"tiles\"", 1)); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const double x = m.captured(1).toDouble();
        const double y = -m.captured(2).toDouble();
        if (x < -1e-3 || x > 1000.001 || y < -1e-3 || y > 1000.001) {
            ADD_FAILURE() << "a point off the site: " << x << ", " << y;
            break;
        }
    }
}

TEST(DxfExport, IndependentReaderFindsEveryTileBorderAndReport) {
    const auto rig = squareWithBlueTiles();
    TTempDir dir;
    const QString file = dir.file("square.dxf");
    ASSERT_EQ(WriteDxf(file, *rig->project), QString());
    const std::optional<QJsonObject> dxf = readDxf(file);
    if (!dxf) {
        GTEST_SKIP() << "/usr/bin/python3 with ezdxf is needed";
    }
    EXPECT_EQ((*dxf)["insunits"].toInt(), 4) << "millimetres";
    EXPECT_EQ(polylines(*dxf, kDxfTilesLayer), 81);
    EXPECT_EQ(polylines(*dxf, kDxfNoHalfLayer), 40) << "cut along the border; the tile has no halves";
    EXPECT_EQ(polylines(*dxf, kDxfCutLayer), 0);
    for (const char* layer : {kDxfTilesLayer, kDxfNoHalfLayer, kDxfBorderLayer}) {
        EXPECT_EQ(polylines(*dxf, layer, "open"), 0) << layer;
    }
    EXPECT_EQ(polylines(*dxf, kDxfBorderLayer), 1);
    EXPECT_NEAR((*dxf)["layers"]["BORDER"]["areas"][0].toDouble(), 1e6, 1e-3);
    // The pieces cover the site exactly: 81 whole and 40 cut tiles.
    double tiles = 0;
    for (const char* layer : {kDxfTilesLayer, kDxfNoHalfLayer}) {
        for (const QJsonValue a : (*dxf)["layers"][QLatin1String(layer)]["areas"].toArray()) {
            tiles += a.toDouble();
        }
    }
    EXPECT_NEAR(tiles, 1e6, 1.0);
    const QJsonArray texts = (*dxf)["texts"].toArray();
    ASSERT_EQ(texts.size(), 1);
    EXPECT_TRUE(texts[0].toString().contains(QStringLiteral("Всего плиток: 121"))) << texts[0].toString().toStdString();
    EXPECT_EQ(polylines(*dxf, kDxfReportLayer, "other"), 1) << "the text is on its layer";
}

TEST(DxfExport, CutTilesGoToTheLayerOfWhetherAHalfMatched) {
    // 200 x 100 pavers with a left and a right half, in rows over the 1 m
    // square from x = -100: 40 whole, 20 cut in their middle to a half.
    const QJsonObject part = leftAndRightHalves(false);
    QJsonObject scene{{"tile", rectTile(200, 100, QJsonArray{part})},
                      {"pattern", simplePattern(QJsonArray{pt(200, 0), pt(0, 100)})},
                      {"border", rect(0, 0, 1000, 1000)},
                      {"start", pt(-100, 0)}};
    TFillRig rig;
    rig.load(scene);
    ASSERT_TRUE(rig.fill());
    // The same pavers without halves: their pieces match none.
    scene["tile"] = rectTile(200, 100, QJsonArray{});
    TFillRig uncut;
    uncut.load(scene);
    ASSERT_TRUE(uncut.fill());

    const struct {
        const char* name;
        TFillRig* rig;
        int whole, cut, noHalf;
    } cases[] = {{"halves matched", &rig, 40, 20, 0}, {"a tile without halves", &uncut, 40, 0, 20}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TTempDir dir;
        const QString file = dir.file("pavers.dxf");
        ASSERT_EQ(WriteDxf(file, *c.rig->project), QString());
        const std::optional<QJsonObject> dxf = readDxf(file);
        if (!dxf) {
            GTEST_SKIP() << "/usr/bin/python3 with ezdxf is needed";
        }
        EXPECT_EQ(polylines(*dxf, kDxfTilesLayer), c.whole);
        EXPECT_EQ(polylines(*dxf, kDxfCutLayer), c.cut);
        EXPECT_EQ(polylines(*dxf, kDxfNoHalfLayer), c.noHalf);
        for (const char* layer : {kDxfCutLayer, kDxfNoHalfLayer}) {
            for (const QJsonValue a : (*dxf)["layers"][QLatin1String(layer)]["areas"].toArray()) {
                EXPECT_NEAR(a.toDouble(), 100 * 100, 1e-3) << "a cut paver is its half on the site";
            }
        }
    }
}

TEST(DxfExport, ArcsOfTilesAndBorderKeepTheirGeometryAsBulges) {
    TFillRig rig;
    rig.load(roundScene());
    ASSERT_TRUE(rig.fill());
    TTempDir dir;
    const QString file = dir.file("round.dxf");
    ASSERT_EQ(WriteDxf(file, *rig.project), QString());
    const std::optional<QJsonObject> dxf = readDxf(file);
    if (!dxf) {
        GTEST_SKIP() << "/usr/bin/python3 with ezdxf is needed";
    }
    const double disc = M_PI * 50 * 50;
    const QJsonArray whole = (*dxf)["layers"][kDxfTilesLayer]["areas"].toArray();
    ASSERT_GT(whole.size(), 50);
    for (const QJsonValue a : whole) {
        // A bulge of the wrong sign or size gives a lens or a bigger circle.
        EXPECT_NEAR(a.toDouble(), disc, disc * 1e-5);
    }
    QJsonArray border = (*dxf)["layers"][kDxfBorderLayer]["areas"].toArray();
    ASSERT_EQ(border.size(), 2) << "the outline and the hole";
    std::vector<double> areas{border[0].toDouble(), border[1].toDouble()};
    std::sort(areas.begin(), areas.end());
    EXPECT_NEAR(areas[0], M_PI * 150 * 150, 0.5);
    EXPECT_NEAR(areas[1], 1e6, 1e-3);
}

TEST(DxfExport, AFileThatCannotBeWrittenIsNamedAndNothingIsLeft) {
    const auto rig = squareWithBlueTiles();
    TTempDir dir;
    const QString file = dir.file("no-such-folder/plan.dxf");
    const QString problem = WriteDxf(file, *rig->project);
    EXPECT_TRUE(problem.contains(file)) << problem.toStdString();
    EXPECT_FALSE(QFile::exists(file));
    const QString svgProblem = WriteSvg(file, *rig->project);
    EXPECT_TRUE(svgProblem.contains(file)) << svgProblem.toStdString();
}
