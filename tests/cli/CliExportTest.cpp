// vorkalo-cli export: the printed pages as PDF, the drawings as SVG and DXF.

#include "support/CliRun.h"
#include "support/SceneJson.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

using vk::test::pt;
using vk::test::rect;
using vk::test::TDisplay;
using vk::test::TResult;
using vk::test::write;

// The tool must find its own way without a display.
TResult runProgram(const QString& program, const QStringList& args) {
    return vk::test::runProgram(program, args, TDisplay::None);
}
TResult run(const QStringList& args) { return vk::test::run(args, TDisplay::None); }

// 100 mm squares from (50, 50) over a w x h site; 1000 x 1000 lays 121.
QJsonObject squares(double w, double h) {
    const QJsonObject tile{{"name", "Квадрат"}, {"outline", rect(0, 0, 100, 100)}};
    return vk::test::sceneOf(tile, vk::test::simplePattern(QJsonArray{pt(100, 0), pt(0, 100)}, "Ряды"),
                             rect(0, 0, w, h), pt(50, 50));
}

bool havePoppler() {
    return QFile::exists(QStringLiteral("/usr/bin/pdftotext")) && QFile::exists(QStringLiteral("/usr/bin/pdfimages")) &&
           QFile::exists(QStringLiteral("/usr/bin/pdfinfo"));
}

int pageCount(const QString& pdf) {
    const TResult info = runProgram(QStringLiteral("/usr/bin/pdfinfo"), {pdf});
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral(R"(Pages:\s+(\d+))")).match(info.out);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

QString pdfText(const QString& pdf) {
    return runProgram(QStringLiteral("/usr/bin/pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")}).out;
}

// Images the PDF holds (pdfimages -list prints two header lines first).
int imageCount(const QString& pdf) {
    const TResult list = runProgram(QStringLiteral("/usr/bin/pdfimages"), {QStringLiteral("-list"), pdf});
    return int(list.out.split('\n', Qt::SkipEmptyParts).size()) - 2;
}

} // namespace

TEST(CliExport, PdfFittedToThePageIsVectorsWithTheReportPage) {
    if (!havePoppler()) {
        GTEST_SKIP() << "poppler-utils are needed";
    }
    vk::test::TTempDir dir;
    const QString scene = write(dir, "square.json", squares(1000, 1000));
    const QString pdf = dir.file("square.pdf");
    const TResult r = run({"export", scene, "--pdf", pdf});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(pdf));
    EXPECT_EQ(r.err, QString()) << "nothing to say when all went well";
    EXPECT_EQ(pageCount(pdf), 2) << "the plan, then the report";
    const QString text = pdfText(pdf);
    EXPECT_TRUE(text.contains(QStringLiteral("Всего плиток: 121"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Лист 1 из 1")));
    EXPECT_TRUE(text.contains(QStringLiteral("Масштаб 1:"))) << "the scale it was fitted at";
    EXPECT_EQ(imageCount(pdf), 0) << "the plan is drawn as vectors, not as a picture";

    const QString plain = dir.file("plain.pdf");
    ASSERT_EQ(run({"export", scene, "--pdf", plain, "--no-report"}).code, 0);
    EXPECT_EQ(pageCount(plain), 1);
    EXPECT_FALSE(pdfText(plain).contains(QStringLiteral("Всего плиток")));
}

TEST(CliExport, PdfAtAFixedScaleRunsOverNumberedSheets) {
    if (!havePoppler()) {
        GTEST_SKIP() << "poppler-utils are needed";
    }
    vk::test::TTempDir dir;
    // 6 x 4 m at 1:20 is 300 x 200 mm of paper: two by two A4 sheets.
    const QString scene = write(dir, "yard.json", squares(6000, 4000));
    const QString pdf = dir.file("yard.pdf");
    const TResult r = run({"export", scene, "--pdf", pdf, "--scale", "1:20", "--no-report"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(pageCount(pdf), 4);
    const QString text = pdfText(pdf);
    for (int sheet = 1; sheet <= 4; ++sheet) {
        EXPECT_TRUE(text.contains(QStringLiteral("Лист %1 из 4").arg(sheet))) << sheet;
    }
    EXPECT_EQ(text.count(QStringLiteral("Масштаб 1:20")), 4) << "every sheet names its scale";
    EXPECT_EQ(imageCount(pdf), 0);
}

TEST(CliExport, SvgAndDxfOfASceneAndOfASavedProject) {
    vk::test::TTempDir dir;
    QDir().mkpath(dir.file("DB"));
    const QString scene = write(dir, "square.json", squares(1000, 1000));
    const QString svg = dir.file("square.svg");
    const QString dxf = dir.file("square.dxf");
    const TResult r = run({"export", scene, "--svg", svg, "--dxf", dxf});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.split('\n', Qt::SkipEmptyParts), (QStringList{svg, dxf}));
    QFile svgFile(svg);
    ASSERT_TRUE(svgFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(svgFile.readAll()).count(QStringLiteral("<path")), 121 + 1) << "tiles and border";
    QFile dxfFile(dxf);
    ASSERT_TRUE(dxfFile.open(QIODevice::ReadOnly));
    EXPECT_TRUE(dxfFile.readAll().contains("LWPOLYLINE"));

    // A saved project is exported as it stands, without laying it again.
    const QString project = dir.file("square.mpp");
    ASSERT_EQ(run({"fill", scene, "-o", project}).code, 0);
    const QString fromProject = dir.file("project.svg");
    const TResult p = run({"export", project, "--db", dir.file("DB"), "--svg", fromProject});
    ASSERT_EQ(p.code, 0) << p.err.toStdString();
    QFile projectSvg(fromProject);
    ASSERT_TRUE(projectSvg.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(projectSvg.readAll()).count(QStringLiteral("<path")), 121 + 1);
}

TEST(CliExport, BadArgumentsAndFilesItCannotWrite) {
    vk::test::TTempDir dir;
    const QString scene = write(dir, "square.json", squares(1000, 1000));
    struct Case {
        const char* name;
        QStringList args;
        int code;
    };
    const Case cases[] = {
        {"no output named", {"export", scene}, 2},
        {"--pdf without a file", {"export", scene, "--pdf"}, 2},
        {"a scale that is not one", {"export", scene, "--pdf", dir.file("a.pdf"), "--scale", "1:0"}, 2},
        {"a scale in words", {"export", scene, "--pdf", dir.file("a.pdf"), "--scale", "крупно"}, 2},
        {"no scene", {"export", "--svg", dir.file("a.svg")}, 2},
        {"a scene that is not there", {"export", dir.file("nowhere.json"), "--svg", dir.file("a.svg")}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(run(c.args).code, c.code);
    }
    EXPECT_FALSE(QFile::exists(dir.file("a.pdf")));
    EXPECT_TRUE(run({"--help"}).out.contains("export"));

    // Each file it cannot write is named; the others are still written.
    const QString nowhere = dir.file("no-such-folder/plan.pdf");
    const QString svg = dir.file("plan.svg");
    const TResult r = run({"export", scene, "--pdf", nowhere, "--svg", svg});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains(nowhere)) << r.err.toStdString();
    EXPECT_FALSE(r.out.contains(nowhere)) << "nothing reported written that was not";
    EXPECT_TRUE(QFile::exists(svg));
}
