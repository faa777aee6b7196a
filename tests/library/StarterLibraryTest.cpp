// The starter library: written from its description through the library's
// own operations, read back from the files, and every pattern shown to cover
// the plane with neither gaps nor overlaps. Also the tool that writes it next
// to the program, which must never touch a library already there.

#include "LibraryTestSupport.h"
#include "geometry/Region.h"
#include "geometry/ShapePath.h"
#include "library/StarterLibrary.h"
#include "library/TileDB.h"
#include "model/Collage.h"
#include "model/Config.h"
#include "model/Parts.h"
#include "model/Tile.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <cmath>
#include <gtest/gtest.h>

namespace vk::test {
namespace {

// Arcs are flattened this close to the circle.
constexpr double kChordError = 0.001;
// Slivers thinner than this between or across neighbouring tiles are
// flattening noise, not a fault of the pattern (a real gap or overlap is
// millimetres wide).
constexpr double kSliver = 0.01;

TStarterDescription Description() {
    QFile file(QStringLiteral(STARTER_DESCRIPTION));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << STARTER_DESCRIPTION;
    return ReadStarterDescription(file.readAll());
}

// The outline of a document (cut lines left out) as one polygon.
QPolygonF OutlineOf(T_TnC_Ancestor& document) {
    const TShapePath path = TElementList::BuildPath(float(GlobalConfig().TileLinkTolerance), document, true);
    const std::vector<QPolygonF> polygons = path.Flatten(kChordError);
    EXPECT_EQ(polygons.size(), 1u) << document.Name().toStdString() << ": one closed outline";
    return polygons.empty() ? QPolygonF() : polygons.front();
}

double Length(const QPolygonF& polygon) {
    double length = 0;
    for (qsizetype i = 0; i < polygon.size(); ++i) {
        const QPointF d = polygon[(i + 1) % polygon.size()] - polygon[i];
        length += std::hypot(d.x(), d.y());
    }
    return length;
}

// The centre of area of several polygons.
QPointF Centroid(const std::vector<QPolygonF>& polygons) {
    double area = 0;
    double x = 0;
    double y = 0;
    for (const QPolygonF& polygon : polygons) {
        double a = 0;
        double cx = 0;
        double cy = 0;
        for (qsizetype i = 0; i < polygon.size(); ++i) {
            const QPointF p = polygon[i];
            const QPointF q = polygon[(i + 1) % polygon.size()];
            const double cross = p.x() * q.y() - q.x() * p.y();
            a += cross;
            cx += (p.x() + q.x()) * cross;
            cy += (p.y() + q.y()) * cross;
        }
        // Each polygon's centre is (cx, cy) / (3 a) whatever its orientation.
        area += std::fabs(a) / 2;
        x += std::fabs(a) / 2 * cx / (3 * a);
        y += std::fabs(a) / 2 * cy / (3 * a);
    }
    return {x / area, y / area};
}

TPointF HandPoint(const TCollage& pattern, int i) {
    return static_cast<const TPointPrimitive*>(pattern.HandPoints().Items(i))->Point().point();
}

// The copies of the motif at the origin, at plus and minus each hand point
// and at the sums and differences of two hand points do not overlap, and
// they cover a whole period of the pattern, so the pattern leaves no gap
// anywhere.
void ExpectCoversThePlane(TCollage& pattern) {
    std::vector<QPolygonF> motif;
    double motifArea = 0;
    for (int i = 0; i < pattern.Elements().Count(); ++i) {
        const QPolygonF outline = OutlineOf(pattern.Placement(i)->Tile());
        motif.push_back(outline);
        motifArea += TRegion::FromPolygons({outline}).Area();
    }
    const int hands = pattern.HandPoints().Count();
    ASSERT_GE(hands, 2);
    std::vector<QPointF> offsets{{0, 0}};
    for (int i = 0; i < hands; ++i) {
        const TPointF h = HandPoint(pattern, i);
        offsets.emplace_back(h.X, h.Y);
        offsets.emplace_back(-h.X, -h.Y);
        for (int j = i + 1; j < hands; ++j) {
            const TPointF g = HandPoint(pattern, j);
            for (const int sh : {1, -1}) {
                for (const int sg : {1, -1}) {
                    offsets.emplace_back(sh * h.X + sg * g.X, sh * h.Y + sg * g.Y);
                }
            }
        }
    }

    TRegion covered;
    double sum = 0;
    double perimeter = 0;
    for (const QPointF& offset : offsets) {
        for (const QPolygonF& outline : motif) {
            const QPolygonF copy = outline.translated(offset);
            const TRegion tile = TRegion::FromPolygons({copy});
            sum += tile.Area();
            perimeter += Length(copy);
            covered = covered.United(tile);
        }
    }
    EXPECT_NEAR(covered.Area(), sum, kSliver * perimeter) << "the copies overlap";

    // One period: the cell spanned by the first two hand points. The motif
    // fills exactly as much as one cell, and one whole cell, centred on the
    // motif, is covered: a gap anywhere in the pattern would repeat in it.
    const TPointF h1 = HandPoint(pattern, 0);
    const TPointF h2 = HandPoint(pattern, 1);
    const double cell = std::fabs(double(h1.X) * h2.Y - double(h1.Y) * h2.X);
    double motifPerimeter = 0;
    for (const QPolygonF& outline : motif) {
        motifPerimeter += Length(outline);
    }
    EXPECT_NEAR(motifArea, cell, kSliver * motifPerimeter) << "the motif does not fill one period";
    const QPointF c = Centroid(motif);
    const QPointF a(h1.X / 2.0, h1.Y / 2.0);
    const QPointF b(h2.X / 2.0, h2.Y / 2.0);
    const TRegion period = TRegion::FromPolygons({QPolygonF({c - a - b, c + a - b, c + a + b, c - a + b})});
    EXPECT_TRUE(period.Subtracted(covered).IsEmptyWithin(kSliver * 5)) << "a gap in the pattern";
}

TEST(StarterLibrary, EveryTileHalfAndPatternComesBackAndEveryPatternCoversThePlane) {
    const TStarterDescription description = Description();
    ASSERT_GE(description.Tiles.size(), 4u);
    TTempDir temp;
    const QString folder = temp.file(QStringLiteral("DB"));
    TScriptedUi ui;
    {
        TTileDB db(folder);
        WriteStarterLibrary(description, db);
    }
    // The writer answers the library's name boxes itself, and gives the
    // user interface back.
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(ui.inputs.empty());
    EXPECT_EQ(&vk::ui(), &ui);

    TTileDB db(folder);
    const std::vector<TLibraryEntry> tiles = db.ListTiles();
    ASSERT_EQ(tiles.size(), description.Tiles.size());
    bool someArcs = false;
    int patterns = 0;
    for (const TStarterTile& described : description.Tiles) {
        SCOPED_TRACE(described.Name.toStdString());
        const auto entry = std::find_if(tiles.begin(), tiles.end(),
                                        [&](const TLibraryEntry& e) { return e.Name == described.Name; });
        ASSERT_NE(entry, tiles.end());
        TTile tile;
        ViewRecord view;
        ASSERT_TRUE(tile.LoadFromLibrary(entry->ID, view));
        EXPECT_EQ(tile.Thickness(), described.Thickness);
        EXPECT_EQ(tile.Comment, described.Comment);
        EXPECT_EQ(tile.Elements().Count(), int(described.Outline.size()));
        for (int i = 0; i < tile.Elements().Count(); ++i) {
            someArcs = someArcs || tile.Elements().Items(i)->GetKind() == pkArc;
        }
        const TRegion outline = TRegion::FromPolygons({OutlineOf(tile)});
        const double area = outline.Area();
        EXPECT_GT(area, 5000.0);

        // Every cut divides the whole stone: its halves, bound to the tile,
        // do not overlap and together are the tile.
        TPartList parts;
        parts.LoadForTile(tile.ID);
        parts.AttachToTile(&tile);
        ASSERT_EQ(parts.Count(), int(described.Parts.size()));
        for (int p = 0; p < parts.Count(); ++p) {
            TPart& part = *parts.Items(p);
            SCOPED_TRACE(part.Name().toStdString());
            EXPECT_EQ(part.Name(), described.Parts[std::size_t(p)].Name);
            EXPECT_EQ(part.Equals, described.Parts[std::size_t(p)].Interchangeable);
            ASSERT_EQ(part.Contours.Count(), int(described.Parts[std::size_t(p)].Halves.size()));
            TRegion joined;
            double sum = 0;
            std::vector<double> areas;
            for (int h = 0; h < part.Contours.Count(); ++h) {
                TContourAncestor& half = *part.Contours.Items(h);
                EXPECT_EQ(half.Name(), described.Parts[std::size_t(p)].Halves[std::size_t(h)].Name);
                const TRegion region = TRegion::FromPolygons({OutlineOf(half)});
                areas.push_back(region.Area());
                sum += region.Area();
                joined = joined.United(region);
            }
            EXPECT_NEAR(sum, area, 1.0) << "halves overlap or leave some of the tile out";
            EXPECT_TRUE(joined.EqualsWithin(outline, kSliver * 5));
            if (part.Equals) {
                for (double a : areas) {
                    EXPECT_NEAR(a, areas.front(), 1.0) << "interchangeable halves of different size";
                }
            }
        }

        const std::vector<TLibraryEntry> stored = db.ListPatterns(tile.ID);
        ASSERT_EQ(stored.size(), described.Patterns.size());
        for (const TLibraryEntry& patternEntry : stored) {
            SCOPED_TRACE(patternEntry.Name.toStdString());
            TCollage pattern(&tile);
            ASSERT_TRUE(pattern.LoadFromLibrary(patternEntry.ID, view));
            ExpectCoversThePlane(pattern);
            ++patterns;
        }
    }
    EXPECT_TRUE(someArcs) << "at least one stone has arcs in its outline";
    EXPECT_GE(patterns, 6);
    EXPECT_TRUE(ui.messages.empty());
}

// --- the tool ------------------------------------------------------------------

struct TRun {
    int exitCode = -1;
    QString out;
    QString err;
};

TRun RunTool(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(STARTER_TOOL), arguments);
    EXPECT_TRUE(process.waitForFinished(120000));
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

TEST(StarterLibraryTool, WritesALibraryOnceAndNeverOverwritesOne) {
    TTempDir temp;
    const QString folder = temp.file(QStringLiteral("bin/DB"));
    const QString description = QStringLiteral(STARTER_DESCRIPTION);

    const TRun first = RunTool({QStringLiteral("--if-absent"), description, folder});
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral(".partial")));
    const TFolderSnapshot before = SnapshotFolder(folder);
    EXPECT_EQ(before.size(), 8);

    const TRun again = RunTool({description, folder});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_TRUE(again.err.contains(QStringLiteral("не перезаписывается"))) << again.err.toStdString();
    EXPECT_EQ(SnapshotFolder(folder), before);

    const TRun quiet = RunTool({QStringLiteral("--if-absent"), description, folder});
    EXPECT_EQ(quiet.exitCode, 0);
    EXPECT_EQ(SnapshotFolder(folder), before);

    // One file of a library is a library: the user's tiles are not replaced.
    const QString partly = temp.file(QStringLiteral("partly"));
    QDir().mkpath(partly);
    QFile::copy(QDir(folder).filePath(QStringLiteral("tiles.cds")), QDir(partly).filePath(QStringLiteral("tiles.cds")));
    const TFolderSnapshot partlyBefore = SnapshotFolder(partly);
    EXPECT_EQ(RunTool({QStringLiteral("--if-absent"), description, partly}).exitCode, 0);
    EXPECT_EQ(SnapshotFolder(partly), partlyBefore);

    TScriptedUi ui;
    TTileDB db(folder);
    EXPECT_EQ(db.ListTiles().size(), Description().Tiles.size());
}

TEST(StarterLibraryTool, BrokenDescriptionLeavesNoLibraryBehind) {
    TTempDir temp;
    const QString folder = temp.file(QStringLiteral("DB"));
    const QString description = temp.file(QStringLiteral("broken.json"));
    // The second tile repeats the first one's name: the first is already
    // stored when the failure comes.
    WriteBytes(description, R"({"tiles": [
        {"name": "Плитка", "thickness": 60, "outline": [
            {"line": [[0, 0], [100, 0]]}, {"line": [[100, 0], [0, 100]]}, {"line": [[0, 100], [0, 0]]}]},
        {"name": "плитка", "thickness": 60, "outline": [
            {"line": [[0, 0], [100, 0]]}, {"line": [[100, 0], [0, 100]]}, {"line": [[0, 100], [0, 0]]}]}]})");
    const TRun run = RunTool({description, folder});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("плитка \"плитка\""))) << run.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(folder));
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral(".partial")));
}

// --- the description -------------------------------------------------------------

TEST(StarterDescription, MistakesAreNamedWithTheirPlace) {
    const QByteArray triangle =
        R"("outline": [{"line": [[0, 0], [100, 0]]}, {"line": [[100, 0], [0, 100]]}, {"line": [[0, 100], [0, 0]]}])";
    const struct {
        const char* label;
        QByteArray json;
        const char* where;
        const char* why;
    } cases[] = {
        {"not JSON", "{\"tiles\": [", "символ", ""},
        {"no tiles", "{}", "начало", "нет поля \"tiles\""},
        {"tile without a name", "{\"tiles\": [{\"thickness\": 60, " + triangle + "}]}", "плитка 1",
         "нет поля \"name\""},
        {"outline with a gap", R"({"tiles": [{"name": "Дыра", "thickness": 60, "outline": [
             {"line": [[0, 0], [100, 0]]}, {"line": [[100, 1], [0, 100]]}, {"line": [[0, 100], [0, 0]]}]}]})",
         "плитка \"Дыра\", контур", "разорван после элемента 1"},
        {"arc on a straight line", R"({"tiles": [{"name": "Дуга", "thickness": 60, "outline": [
             {"arc": [[0, 0], [50, 0], [100, 0]]}, {"line": [[100, 0], [0, 0]]}]}]})",
         "плитка \"Дуга\", контур, элемент 1", "на одной прямой"},
        {"pattern repeating along one line only", "{\"tiles\": [{\"name\": \"Ряд\", \"thickness\": 60, " + triangle +
             R"(, "patterns": [{"name": "Полоса", "placements": [{"tile": [0, 0], "at": [0, 0]}],
             "hands": [[100, 0], [200, 0]]}]}]})",
         "узор \"Полоса\"", "два разных направления"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        try {
            (void)ReadStarterDescription(c.json);
            ADD_FAILURE() << "accepted";
        } catch (const TStarterError& e) {
            EXPECT_TRUE(e.Text().contains(QString::fromUtf8(c.where))) << e.Text().toStdString();
            EXPECT_TRUE(e.Text().contains(QString::fromUtf8(c.why))) << e.Text().toStdString();
        }
    }

    // A half whose rectangle takes no piece of the tile is found on writing.
    const TStarterDescription empty = ReadStarterDescription(
        "{\"tiles\": [{\"name\": \"Треугольник\", \"thickness\": 60, " + triangle +
        R"(, "parts": [{"name": "Мимо", "cuts": [{"line": [[50, 0], [50, 50]]}],
           "halves": [{"name": "Нигде", "rect": [[500, 500], [600, 600]]}]}]}]})");
    TTempDir temp;
    TScriptedUi ui;
    TTileDB db(temp.file(QStringLiteral("DB")));
    try {
        WriteStarterLibrary(empty, db);
        ADD_FAILURE() << "accepted";
    } catch (const TStarterError& e) {
        EXPECT_TRUE(e.Text().contains(QStringLiteral("половинка \"Нигде\""))) << e.Text().toStdString();
    }
    EXPECT_TRUE(ui.messages.empty());
}

} // namespace
} // namespace vk::test
