// The laid tiles drawn as vector outlines (any device) and through the
// picture kept for the screen: the same drawing, and no picture in a PDF.

#include "FillTestSupport.h"

#include "model/TilesLayer.h"
#include "support/FakeSheet.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace vk;
using namespace vk::test;

namespace {

enum class TRoute { Cached, Vector };

// The laid tiles over `background` through one route, as a sheet of `size`
// with `view`.
QImage tilesThrough(TRoute route, TProject& project, TFakeSheet& sheet, const QTransform& view, QSize size,
                    bool smooth, QColor background = Qt::white) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(background);
    QPainter g(&image);
    g.setRenderHint(QPainter::Antialiasing, smooth);
    g.setTransform(view);
    if (route == TRoute::Cached) {
        project.PaintTiles(g, sheet, sheet.Palette().BlackPen, false);
    } else {
        project.DrawTiles(g, sheet, sheet.Palette().BlackPen);
    }
    g.end();
    return image;
}

// The pixels the site covers at all, smoothed.
QImage siteCover(const TProject& project, const QTransform& view, QSize size) {
    QImage cover(size, QImage::Format_ARGB32_Premultiplied);
    cover.fill(Qt::transparent);
    QPainter g(&cover);
    g.setRenderHint(QPainter::Antialiasing, true);
    g.setTransform(view);
    g.fillPath(project.SiteRegion()->ClipPath(), Qt::black);
    return cover;
}

// Pixels that differ, and the largest difference of one channel, as painted
// (premultiplied: a faint pixel's colour is not magnified).
std::pair<int, int> difference(const QImage& a, const QImage& b) {
    int pixels = 0;
    int largest = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* p = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* q = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            if (p[x] != q[x]) {
                ++pixels;
                largest = std::max({largest, std::abs(qRed(p[x]) - qRed(q[x])), std::abs(qGreen(p[x]) - qGreen(q[x])),
                                    std::abs(qBlue(p[x]) - qBlue(q[x])), std::abs(qAlpha(p[x]) - qAlpha(q[x]))});
            }
        }
    }
    return {pixels, largest};
}

// The view of the site (0, 0)-(1000, 1000) with a margin, `k` pixels a millimetre.
QTransform siteView(double k) {
    QTransform view;
    view.translate(10, 10 + 1000 * k);
    view.scale(k, -k);
    return view;
}

QSize siteSize(double k) { return QSize(int(20 + 1000 * k), int(20 + 1000 * k)); }

// The streams of a PDF, inflated where they are compressed.
QByteArray pdfContent(const QByteArray& pdf) {
    QByteArray all;
    qsizetype at = 0;
    for (;;) {
        const qsizetype begin = pdf.indexOf("stream", at);
        if (begin < 0) {
            break;
        }
        qsizetype data = begin + 6;
        if (pdf.mid(data, 2) == "\r\n") {
            data += 2;
        } else if (pdf.mid(data, 1) == "\n") {
            data += 1;
        } else {
            at = data; // "endstream"
            continue;
        }
        const qsizetype end = pdf.indexOf("endstream", data);
        if (end < 0) {
            break;
        }
        const QByteArray raw = pdf.mid(data, end - data);
        // qUncompress wants the size first; it grows its buffer when that is short.
        QByteArray sized(4, '\0');
        const quint32 guess = quint32(raw.size()) * 16u + 1024u;
        sized[0] = char(guess >> 24);
        sized[1] = char(guess >> 16);
        sized[2] = char(guess >> 8);
        sized[3] = char(guess);
        // A zlib stream starts with 0x78; the others are kept as they are.
        const bool deflated = !raw.isEmpty() && static_cast<unsigned char>(raw[0]) == 0x78;
        all += deflated ? qUncompress(sized + raw) : raw;
        all += '\n';
        at = end + 9;
    }
    return all;
}

struct TPdf {
    QByteArray File;
    QByteArray Content;
};

// One page of `project` drawn by `draw` on a PDF writer, 100 mm of the site
// a `tileMm` millimetres at the writer's resolution.
template <typename Draw>
TPdf pdfOf(double tileMm, Draw draw) {
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setResolution(300);
        QPainter g(&writer);
        const double k = tileMm / 100.0 * 300.0 / 25.4; // device pixels a site millimetre
        QTransform view;
        view.translate(50, 50 + 1000 * k);
        view.scale(k, -k);
        g.setTransform(view);
        draw(g);
    }
    return {bytes, pdfContent(bytes)};
}

int count(const QByteArray& text, const QRegularExpression& pattern) {
    int n = 0;
    for (auto it = pattern.globalMatch(QString::fromLatin1(text)); it.hasNext(); it.next()) {
        ++n;
    }
    return n;
}

} // namespace

// The picture kept for the screen is the vector drawing rendered once: at a
// zoom where every tile is drawn, the two give the same pixels, smoothed or
// not. (Smoothed, they are compared as painted over nothing: laid over a
// sheet, a half-covered pixel of the picture is rounded once more.)
TEST(ProjectDraw, VectorAndCachedTilesAreTheSamePixels) {
    struct Case {
        const char* name;
        QJsonObject scene;
        std::uint32_t recolour = 0; // every second tile, when not 0
    };
    QJsonObject turned = squareScene();
    turned["orientation"] = 30;
    // A round site: most of the border cuts tiles.
    turned["border"] = circle(500, 500, 480);
    turned["start"] = pt(500, 500);
    QJsonObject herringbone = squareScene();
    herringbone["tile"] = rectTile(100, 50);
    herringbone["pattern"] = QJsonObject{{"name", "Ёлочка"},
                                         {"placements", QJsonArray{placement(0, 0, 0, 0, 0), placement(0, 0, 50, 50, 90)}},
                                         {"handPoints", QJsonArray{pt(50, 50), pt(-100, 100)}}};
    herringbone["orientation"] = 17;
    // A tile with a rounded side and a cut line: filled as a path and drawn
    // element by element.
    QJsonObject rounded = turned;
    rounded["orientation"] = 0;
    rounded["tile"] = QJsonObject{
        {"name", "Полукруг"},
        {"outline", QJsonArray{segment(0, 0, 100, 0), segment(100, 0, 100, 50), arc(50, 50, 100, 50, 180),
                               segment(0, 50, 0, 0), segment(0, 25, 100, 25, 2)}}};
    const Case cases[] = {
        {"squares", squareScene()},
        {"squares of two colours", squareScene(), 0xFF3366CCu},
        {"turned squares in a round site", turned},
        {"herringbone", herringbone},
        {"rounded tiles with a cut line in a round site", rounded},
    };
    const double k = 0.3; // 30 pixels a tile of 100 mm
    const QTransform view = siteView(k);
    const QSize size = siteSize(k);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TFakeSheet sheet;
        TFillRig rig;
        rig.load(c.scene);
        ASSERT_TRUE(rig.fill());
        ASSERT_GT(rig.project->LaidTiles().Count(), 50);
        if (c.recolour != 0) {
            for (int i = 0; i < rig.project->LaidTiles().Count(); i += 2) {
                rig.project->LaidTiles().SetColor(i, c.recolour);
            }
        }
        const auto both = [&](bool smooth, QColor background) {
            return std::make_pair(tilesThrough(TRoute::Cached, *rig.project, sheet, view, size, smooth, background),
                                  tilesThrough(TRoute::Vector, *rig.project, sheet, view, size, smooth, background));
        };
        const auto [cached, vector] = both(false, Qt::white);
        ASSERT_NE(cached.pixel(view.map(QPointF(480, 480)).toPoint()), qRgb(255, 255, 255));
        EXPECT_EQ(difference(cached, vector), std::make_pair(0, 0)) << "not smoothed";

        const auto [smoothCached, smoothVector] = both(true, Qt::transparent);
        EXPECT_EQ(difference(smoothCached, smoothVector), std::make_pair(0, 0)) << "smoothed";
        // The tiles well inside the site are drawn without the clip: none
        // may reach past it.
        const QImage cover = siteCover(*rig.project, view, size);
        int outside = 0;
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < size.width(); ++x) {
                outside += qAlpha(cover.pixel(x, y)) == 0 && qAlpha(smoothCached.pixel(x, y)) != 0 ? 1 : 0;
            }
        }
        EXPECT_EQ(outside, 0);
    }
}

// Draw on a raster device keeps the picture; the whole project drawn as
// vectors (marks, border, print rectangle, start point over the tiles)
// looks the same.
TEST(ProjectDraw, VectorDrawingOfTheWholeProjectMatchesTheScreen) {
    TFakeSheet sheet;
    TFillRig rig;
    QJsonObject scene = squareScene();
    scene["orientation"] = 30;
    scene["border"] = circle(500, 500, 480);
    scene["start"] = pt(500, 500);
    rig.load(scene);
    ASSERT_TRUE(rig.fill());
    TProject& p = *rig.project;
    p.LaidTiles().SetMarked(p.LaidTiles().Items(3), true);
    p.LaidTiles().SetMarked(p.LaidTiles().Items(7), true);
    p.RememberedTiles().push_back(&p.LaidTiles().Items(7));
    p.PrintCorner1 = FlaggedPoint{100, 100, 1};
    p.PrintCorner2 = FlaggedPoint{600, 400, 1};
    const double k = 0.3;
    const auto drawn = [&](bool vector) {
        QImage image(siteSize(k), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter g(&image);
        g.setRenderHint(QPainter::Antialiasing, true);
        g.setTransform(siteView(k));
        if (vector) {
            p.DrawVector(g, sheet, true, nullptr);
        } else {
            p.Draw(g, sheet, true, nullptr);
        }
        g.end();
        return image;
    };
    const QImage screen = drawn(false);
    const QImage vector = drawn(true);
    EXPECT_EQ(difference(screen, vector), std::make_pair(0, 0));
    // The marked tile shows green in both.
    const QRgb marked = vector.pixel(siteView(k).map(p.LaidTiles().Items(3).Bounds().center()).toPoint());
    EXPECT_GT(qGreen(marked), qRed(marked));
}

// A PDF of a laid site holds the tiles as paths. The screen paints tiles a
// few pixels across as a picture of the pattern's repeat; that picture must
// not reach a printer or a PDF, however small the tiles are drawn.
TEST(ProjectDraw, PdfOfALaidSiteHoldsPathsNotAPicture) {
    TFakeSheet sheet;
    TFillRig rig;
    rig.load(squareScene());
    ASSERT_TRUE(rig.fill());
    const int tiles = rig.project->LaidTiles().Count();
    static const QRegularExpression image(QStringLiteral("/Subtype\\s*/Image"));
    static const QRegularExpression lineTo(QStringLiteral("[-0-9.]+ [-0-9.]+ l\\s"));
    for (const double tileMm : {0.3, 10.0}) {
        SCOPED_TRACE(tileMm);
        const TPdf pdf = pdfOf(tileMm, [&](QPainter& g) { rig.project->Draw(g, sheet, false, nullptr); });
        ASSERT_TRUE(pdf.File.startsWith("%PDF"));
        EXPECT_EQ(count(pdf.File, image), 0) << "no picture";
        EXPECT_GE(count(pdf.Content, lineTo), tiles) << "every tile's outline is a path";
    }
    // What the check above tells apart: the picture kept for the screen.
    const TPdf raster = pdfOf(10.0, [&](QPainter& g) {
        rig.project->PaintTiles(g, sheet, sheet.Palette().BlackPen, false);
    });
    EXPECT_GE(count(raster.File, image), 1);
}

// The pictures a project's painter leaves behind serve the next project, but
// never a picture whose pixels someone else still holds.
TEST(ProjectDraw, ViewSizedPicturesAreReusedOnlyWhenNobodyElseHoldsThem) {
    const QSize size(321, 123);
    QImage first = vk::ViewSizedImage(size);
    ASSERT_EQ(first.size(), size);
    ASSERT_EQ(first.format(), QImage::Format_ARGB32_Premultiplied);
    const uchar* pixels = first.constBits();
    vk::GiveBackViewSizedImage(std::move(first));
    EXPECT_NE(vk::ViewSizedImage(QSize(320, 123)).constBits(), pixels) << "another size is a picture of its own";
    QImage again = vk::ViewSizedImage(size);
    EXPECT_EQ(again.constBits(), pixels) << "the same size takes the picture given back";

    again.fill(Qt::red);
    const QImage kept = again; // shares the pixels
    vk::GiveBackViewSizedImage(std::move(again));
    QImage other = vk::ViewSizedImage(size);
    EXPECT_NE(other.constBits(), kept.constBits());
    other.fill(Qt::blue);
    EXPECT_EQ(kept.pixel(0, 0), QColor(Qt::red).rgba()) << "a shared picture is never painted over";
}
