#include "exchange/DxfWriter.h"

#include "exchange/Bulge.h"
#include "exchange/ExportShapes.h"
#include "geometry/Tolerance.h"

#include <QColor>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <dxflib/dl_dxf.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <memory>
#include <vector>

namespace vk {

namespace {

struct TVertex {
    TPointF P;
    double Bulge = 0.0;
};

bool samePoint(TPointF a, TPointF b) { return nearlyEqual(a.X, b.X, 1e-3) && nearlyEqual(a.Y, b.Y, 1e-3); }

// The vertices of one closed figure: each piece starts at a vertex that
// carries its bulge. A whole turn is two half turns (a bulge cannot span
// it); a gap the border was joined across becomes a straight piece.
std::vector<TVertex> figureVertices(const TShapePath::Figure& figure) {
    std::vector<TVertex> out;
    for (std::size_t i = 0; i < figure.size(); ++i) {
        const TPathPiece& piece = figure[i];
        if (!out.empty() && i > 0 && !samePoint(figure[i - 1].B, piece.A)) {
            out.push_back({figure[i - 1].B, 0.0});
        }
        if (piece.kind != TPathPiece::Kind::Arc) {
            out.push_back({piece.A, 0.0});
            continue;
        }
        const double sweep = std::clamp(double(piece.Sweep), -360.0, 360.0);
        if (std::fabs(sweep) > 359.999) {
            const double half = double(piece.StartAngle) + sweep / 2.0;
            const TPointF middle{float(piece.Centre.X + piece.Radius * std::cos(half * M_PI / 180.0)),
                                 float(piece.Centre.Y + piece.Radius * std::sin(half * M_PI / 180.0))};
            out.push_back({piece.A, BulgeOfSweep(sweep / 2.0)});
            out.push_back({middle, BulgeOfSweep(sweep / 2.0)});
        } else {
            out.push_back({piece.A, BulgeOfSweep(sweep)});
        }
    }
    if (!figure.empty() && !samePoint(figure.back().B, figure.front().A)) {
        out.push_back({figure.back().B, 0.0});
    }
    return out;
}

int trueColour(std::uint32_t argb) { return int(argb & 0x00FFFFFFu); }

class TDxfOut {
public:
    explicit TDxfOut(DL_WriterA& dw) : m_dw(dw) {}

    void polyline(const std::vector<TVertex>& vertices, const DL_Attributes& attributes) {
        if (vertices.size() < 2) {
            return;
        }
        m_dxf.writePolyline(m_dw, DL_PolylineData(int(vertices.size()), 0, 0, 1), attributes);
        for (const TVertex& v : vertices) {
            m_dxf.writeVertex(m_dw, DL_VertexData(v.P.X, v.P.Y, 0.0, v.Bulge));
        }
        m_dxf.writePolylineEnd(m_dw);
    }

    void shape(const TShapePath& path, const DL_Attributes& attributes) {
        for (const TShapePath::Figure& figure : path.Figures()) {
            if (!figure.empty()) {
                polyline(figureVertices(figure), attributes);
            }
        }
    }

    void head() {
        m_dxf.writeHeader(m_dw);
        m_dw.dxfString(9, "$INSUNITS");
        m_dw.dxfInt(70, 4); // millimetres
        m_dw.dxfString(9, "$MEASUREMENT");
        m_dw.dxfInt(70, 1); // metric
        m_dw.dxfString(9, "$DWGCODEPAGE");
        m_dw.dxfString(3, "ANSI_1251");
        m_dw.sectionEnd();

        m_dw.sectionTables();
        m_dxf.writeVPort(m_dw);
        m_dw.tableLinetypes(3);
        m_dxf.writeLinetype(m_dw, DL_LinetypeData("BYBLOCK", "", 0, 0, 0.0));
        m_dxf.writeLinetype(m_dw, DL_LinetypeData("BYLAYER", "", 0, 0, 0.0));
        m_dxf.writeLinetype(m_dw, DL_LinetypeData("CONTINUOUS", "Continuous", 0, 0, 0.0));
        m_dw.tableEnd();
        const struct {
            const char* name;
            int colour;
        } layers[] = {{"0", 7},           {kDxfBorderLayer, 7}, {kDxfTilesLayer, 8},
                      {kDxfCutLayer, 30}, {kDxfNoHalfLayer, 1}, {kDxfReportLayer, 5}};
        m_dw.tableLayers(int(std::size(layers)));
        for (const auto& layer : layers) {
            m_dxf.writeLayer(m_dw, DL_LayerData(layer.name, 0),
                             DL_Attributes(std::string(), layer.colour, 100, "CONTINUOUS", 1.0));
        }
        m_dw.tableEnd();
        m_dw.tableStyle(1);
        m_dxf.writeStyle(m_dw, DL_StyleData("Standard", 0, 0.0, 1.0, 0.0, 0, 2.5, "txt", ""));
        m_dw.tableEnd();
        m_dxf.writeView(m_dw);
        m_dxf.writeUcs(m_dw);
        m_dw.tableAppid(1);
        m_dxf.writeAppid(m_dw, "ACAD");
        m_dw.tableEnd();
        m_dxf.writeDimStyle(m_dw, 1, 1, 1, 1, 1);
        m_dxf.writeBlockRecord(m_dw);
        m_dw.tableEnd();
        m_dw.sectionEnd();

        m_dw.sectionBlocks();
        for (const char* block : {"*Model_Space", "*Paper_Space", "*Paper_Space0"}) {
            m_dxf.writeBlock(m_dw, DL_BlockData(block, 0, 0.0, 0.0, 0.0));
            m_dxf.writeEndBlock(m_dw, block);
        }
        m_dw.sectionEnd();
        m_dw.sectionEntities();
    }

    void text(const QStringList& lines, TPointF at, double height) {
        // MTEXT breaks its lines at \P.
        const std::string joined = DxfText(lines.join(QStringLiteral("\\P")));
        m_dxf.writeMText(m_dw,
                         DL_MTextData(at.X, at.Y, 0.0, 1.0, 0.0, 0.0, height, 0.0, 1, 1, 1, 1.0, joined,
                                      "Standard", 0.0),
                         DL_Attributes(kDxfReportLayer, 256, -1, -1, "BYLAYER"));
    }

    void tail() {
        m_dw.sectionEnd();
        m_dxf.writeObjects(m_dw);
        m_dxf.writeObjectsEnd(m_dw);
        m_dw.dxfEOF();
    }

private:
    DL_Dxf m_dxf;
    DL_WriterA& m_dw;
};

const char* layerOf(TExportTile::TKind kind) {
    switch (kind) {
    case TExportTile::TKind::Whole:
        return kDxfTilesLayer;
    case TExportTile::TKind::Cut:
        return kDxfCutLayer;
    case TExportTile::TKind::CutNoHalf:
        return kDxfNoHalfLayer;
    }
    return kDxfTilesLayer;
}

} // namespace

std::string DxfText(const QString& text) {
    std::string out;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80) {
            out += char(u);
        } else if (u >= 0x0410 && u <= 0x044F) { // А..я
            out += char(0xC0 + (u - 0x0410));
        } else if (u == 0x0401 || u == 0x0451) { // Ё, ё
            out += char(u == 0x0401 ? 0xA8 : 0xB8);
        } else {
            out += QStringLiteral("\\U+%1").arg(int(u), 4, 16, QLatin1Char('0')).toUpper().toStdString();
        }
    }
    return out;
}

QString WriteDxf(const QString& fileName, const TExportDrawing& drawing) {
    // dxflib writes through a stream that reports nothing: it writes a
    // scratch file, and the file the user named is written whole or not at
    // all, with the reason when not.
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        return WriteFailure(fileName, scratch.errorString());
    }
    const QString scratchFile = scratch.filePath(QStringLiteral("plan.dxf"));
    {
        DL_Dxf dxf;
        std::unique_ptr<DL_WriterA> dw(dxf.out(QFile::encodeName(scratchFile).constData(), DL_Codes::AC1015));
        if (!dw) {
            return WriteFailure(fileName, QString());
        }
        TDxfOut out(*dw);
        out.head();
        for (const TShapePath::Figure& figure : drawing.Border.Figures()) {
            if (!figure.empty()) {
                out.polyline(figureVertices(figure), DL_Attributes(kDxfBorderLayer, 256, -1, -1, "BYLAYER"));
            }
        }
        for (const TExportGroup& group : drawing.Groups) {
            for (const TExportTile& tile : group.Tiles) {
                out.shape(tile.Shape, DL_Attributes(layerOf(tile.Kind), 256, trueColour(group.Color), -1, "BYLAYER"));
            }
        }
        const QRectF bounds = drawing.Border.Bounds();
        const double height = std::max(10.0, std::max(bounds.width(), bounds.height()) / 60.0);
        // Below the plan, left-aligned with it.
        out.text(drawing.ReportLines, TPointF{float(bounds.left()), float(bounds.top() - 2.0 * height)}, height);
        out.tail();
        dw->close();
    }
    QFile written(scratchFile);
    if (!written.open(QIODevice::ReadOnly)) {
        return WriteFailure(fileName, written.errorString());
    }
    const QByteArray bytes = written.readAll();
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        return WriteFailure(fileName, file.errorString());
    }
    return {};
}

QString WriteDxf(const QString& fileName, TProject& project) { return WriteDxf(fileName, CollectDrawing(project)); }

} // namespace vk
