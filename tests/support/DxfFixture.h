#pragma once
// Small DXF drawings written by the tests with dxflib's own writer.

#include <dxflib/dl_dxf.h>

#include <QFile>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vk::test {

class TDxfWriter {
public:
    TDxfWriter(DL_Dxf& dxf, DL_WriterA& out) : m_dxf(dxf), m_out(out) {}

    static DL_Attributes on(const std::string& layer) { return DL_Attributes(layer, 256, -1, "BYLAYER", 1.0); }

    void line(const std::string& layer, double x1, double y1, double x2, double y2) {
        m_dxf.writeLine(m_out, DL_LineData(x1, y1, 0, x2, y2, 0), on(layer));
    }
    // Axis-parallel rectangle, counter-clockwise, of four lines.
    void rect(const std::string& layer, double x1, double y1, double x2, double y2) {
        line(layer, x1, y1, x2, y1);
        line(layer, x2, y1, x2, y2);
        line(layer, x2, y2, x1, y2);
        line(layer, x1, y2, x1, y1);
    }
    void arc(const std::string& layer, double cx, double cy, double r, double a1, double a2) {
        m_dxf.writeArc(m_out, DL_ArcData(cx, cy, 0, r, a1, a2), on(layer));
    }
    void circle(const std::string& layer, double cx, double cy, double r) {
        m_dxf.writeCircle(m_out, DL_CircleData(cx, cy, 0, r), on(layer));
    }
    struct TVertex {
        double x, y, bulge;
    };
    void polyline(const std::string& layer, const std::vector<TVertex>& vertices, bool closed) {
        m_dxf.writePolyline(m_out, DL_PolylineData(int(vertices.size()), 0, 0, closed ? 1 : 0), on(layer));
        for (const TVertex& v : vertices) {
            m_dxf.writeVertex(m_out, DL_VertexData(v.x, v.y, 0, v.bulge));
        }
        m_dxf.writePolylineEnd(m_out);
    }
    struct TPoint3 {
        double x, y, z;
    };
    // POLYLINE of world points with heights (R12 only: R2000 writes
    // LWPOLYLINE).
    void polyline3d(const std::string& layer, const std::vector<TPoint3>& points, bool closed) {
        m_dxf.writePolyline(m_out, DL_PolylineData(int(points.size()), 0, 0, 8 | (closed ? 1 : 0)), on(layer));
        for (const TPoint3& v : points) {
            m_dxf.writeVertex(m_out, DL_VertexData(v.x, v.y, v.z, 0));
        }
        m_dxf.writePolylineEnd(m_out);
    }
    void ellipse(const std::string& layer, double cx, double cy, double mx, double my, double ratio, double t0,
                 double t1) {
        m_dxf.writeEllipse(m_out, DL_EllipseData(cx, cy, 0, mx, my, 0, ratio, t0, t1), on(layer));
    }
    void spline(const std::string& layer, int degree, const std::vector<double>& knots,
                const std::vector<std::pair<double, double>>& control) {
        m_dxf.writeSpline(m_out, DL_SplineData(degree, int(knots.size()), int(control.size()), 0, 8), on(layer));
        for (double k : knots) {
            m_dxf.writeKnot(m_out, DL_KnotData(k));
        }
        for (const auto& [x, y] : control) {
            m_dxf.writeControlPoint(m_out, DL_ControlPointData(x, y, 0, 1.0));
        }
    }
    void insert(const std::string& layer, const std::string& block, double x, double y, double sx, double sy,
                double angle) {
        m_dxf.writeInsert(m_out, DL_InsertData(block, x, y, 0, sx, sy, 1, angle, 1, 1, 0, 0), on(layer));
    }
    void text(const std::string& layer, double x, double y, const std::string& text) {
        m_dxf.writeText(m_out, DL_TextData(x, y, 0, x, y, 0, 10, 1, 0, 0, 0, text, "STANDARD", 0), on(layer));
    }
    void point(const std::string& layer, double x, double y) {
        m_dxf.writePoint(m_out, DL_PointData(x, y, 0), on(layer));
    }

private:
    DL_Dxf& m_dxf;
    DL_WriterA& m_out;
};

struct TDxfBlock {
    std::string Name;
    double BaseX = 0.0;
    double BaseY = 0.0;
    std::function<void(TDxfWriter&)> Draw;
};

// Writes a drawing: $INSUNITS when given (0: none), the blocks, then the
// entities. R12 writes its polylines as POLYLINE with VERTEX records,
// R2000 as LWPOLYLINE.
inline void WriteDxf(const QString& path, int insunits, const std::vector<TDxfBlock>& blocks,
                     const std::function<void(TDxfWriter&)>& entities, bool r12 = false) {
    DL_Dxf dxf;
    std::unique_ptr<DL_WriterA> out(
        dxf.out(QFile::encodeName(path).constData(), r12 ? DL_Codes::AC1009 : DL_Codes::AC1015));
    TDxfWriter w(dxf, *out);
    dxf.writeHeader(*out);
    if (insunits != 0) {
        out->dxfString(9, "$INSUNITS");
        out->dxfInt(70, insunits);
    }
    out->sectionEnd();
    if (!blocks.empty()) {
        out->sectionBlocks();
        for (const TDxfBlock& block : blocks) {
            dxf.writeBlock(*out, DL_BlockData(block.Name, 0, block.BaseX, block.BaseY, 0));
            block.Draw(w);
            dxf.writeEndBlock(*out, block.Name);
        }
        out->sectionEnd();
    }
    out->sectionEntities();
    entities(w);
    out->sectionEnd();
    out->dxfEOF();
    out->close();
}

} // namespace vk::test
