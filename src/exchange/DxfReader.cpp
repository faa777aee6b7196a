#include "exchange/DxfReader.h"

#include "exchange/Bulge.h"
#include "geometry/GraphicPrimitive.h"
#include "geometry/ShapeDocument.h"
#include "geometry/Tolerance.h"

#include <dxflib/dl_creationadapter.h>
#include <dxflib/dl_dxf.h>

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLineF>

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <string>

namespace vk {

namespace {

constexpr double kDegree = std::numbers::pi / 180.0;
// How far ellipses and splines may stray from the curve, millimetres.
constexpr double kCurveTolerance = 0.05;
// Shorter pieces are dropped when elements are made: our elements keep
// single-precision coordinates, and a micrometre is below what they hold.
constexpr double kShortestPiece = 1e-3;
// Block references deeper than this are taken for a reference to itself.
constexpr int kDeepestBlock = 32;

// A plane affine map p -> (A x + C y + E, B x + D y + F).
struct TAffine {
    double A = 1, B = 0, C = 0, D = 1, E = 0, F = 0;
    [[nodiscard]] QPointF map(QPointF p) const {
        return {A * p.x() + C * p.y() + E, B * p.x() + D * p.y() + F};
    }
    [[nodiscard]] QPointF mapVector(QPointF v) const { return {A * v.x() + C * v.y(), B * v.x() + D * v.y()}; }
    [[nodiscard]] double det() const { return A * D - B * C; }
    // This after `first`.
    [[nodiscard]] TAffine after(const TAffine& first) const {
        TAffine r;
        r.A = A * first.A + C * first.B;
        r.B = B * first.A + D * first.B;
        r.C = A * first.C + C * first.D;
        r.D = B * first.C + D * first.D;
        r.E = A * first.E + C * first.F + E;
        r.F = B * first.E + D * first.F + F;
        return r;
    }
    // Circles stay circles: a rotation, a uniform scale, perhaps a mirror.
    [[nodiscard]] bool keepsCircles() const {
        const double scale = std::max({std::fabs(A), std::fabs(B), std::fabs(C), std::fabs(D)});
        const double eps = 1e-9 * std::max(1.0, scale);
        return (nearlyEqual(A, D, eps) && nearlyEqual(B, -C, eps)) || (nearlyEqual(A, -D, eps) && nearlyEqual(B, C, eps));
    }
    static TAffine translation(double x, double y) { return {1, 0, 0, 1, x, y}; }
    static TAffine rotation(double degrees) {
        const double c = std::cos(degrees * kDegree);
        const double s = std::sin(degrees * kDegree);
        return {c, s, -s, c, 0, 0};
    }
    static TAffine scale(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }
};

// An entity as the file gives it, kept until every block is known.
struct TRawEntity {
    enum class Type { Line, Arc, Circle, Polyline, Ellipse, Spline, Insert, Skip };
    Type type = Type::Skip;
    std::string Layer;
    // The object coordinate system seen from below: x mirrored.
    bool Mirrored = false;
    bool Tilted = false;
    double V[9] = {};
    bool Closed = false;
    // Polylines whose bulges do not count.
    bool Straight = false;
    std::vector<DL_VertexData> Vertices;
    // Splines.
    unsigned Degree = 3;
    std::vector<double> Knots;
    std::vector<DL_ControlPointData> Control;
    std::vector<QPointF> Fit;
    // Inserts.
    std::string Block;
    int Cols = 1;
    int Rows = 1;
};

struct TBlock {
    QPointF Base;
    std::vector<TRawEntity> Entities;
};

class TCollector final : public DL_CreationAdapter {
public:
    std::vector<TRawEntity> Model;
    std::map<std::string, TBlock> Blocks;
    std::optional<TDxfUnit> Unit;
    bool SawSection = false;

    void endSection() override { SawSection = true; }
    void addBlock(const DL_BlockData& data) override {
        end();
        TBlock& block = Blocks[data.name];
        block.Base = {data.bpx, data.bpy};
        block.Entities.clear();
        m_into = &block.Entities;
    }
    void endBlock() override {
        end();
        m_into = &Model;
    }
    void addLine(const DL_LineData& d) override {
        TRawEntity& e = begin(TRawEntity::Type::Line);
        set(e, {d.x1, d.y1, d.x2, d.y2});
    }
    void addArc(const DL_ArcData& d) override {
        TRawEntity& e = begin(TRawEntity::Type::Arc);
        set(e, {d.cx, d.cy, d.radius, d.angle1, d.angle2});
    }
    void addCircle(const DL_CircleData& d) override {
        TRawEntity& e = begin(TRawEntity::Type::Circle);
        set(e, {d.cx, d.cy, d.radius});
    }
    void addEllipse(const DL_EllipseData& d) override {
        TRawEntity& e = begin(TRawEntity::Type::Ellipse);
        set(e, {d.cx, d.cy, d.mx, d.my, d.ratio, d.angle1, d.angle2});
    }
    void addPolyline(const DL_PolylineData& d) override {
        // Meshes and polyface meshes are surfaces, no outline. A 3-D
        // polyline, as surveyors and scanners draw a boundary with its
        // heights, has its plan: its vertices are world points, of straight
        // pieces, whatever the extrusion says.
        TRawEntity& e = begin((d.flags & (16 | 64)) != 0 ? TRawEntity::Type::Skip : TRawEntity::Type::Polyline);
        e.Closed = (d.flags & 1) != 0;
        if ((d.flags & 8) != 0) {
            e.Straight = true;
            e.Mirrored = e.Tilted = false;
        }
        m_polyline = e.type == TRawEntity::Type::Polyline;
    }
    void addVertex(const DL_VertexData& d) override {
        if (m_polyline && !m_into->empty()) {
            m_into->back().Vertices.push_back(d);
        }
    }
    void endSequence() override { end(); }
    void addSpline(const DL_SplineData& d) override {
        TRawEntity& e = begin(TRawEntity::Type::Spline);
        e.Degree = d.degree;
        e.Closed = (d.flags & 1) != 0;
        m_spline = e.type == TRawEntity::Type::Spline;
    }
    void addKnot(const DL_KnotData& d) override {
        if (m_spline) m_into->back().Knots.push_back(d.k);
    }
    void addControlPoint(const DL_ControlPointData& d) override {
        if (m_spline) m_into->back().Control.push_back(d);
    }
    void addFitPoint(const DL_FitPointData& d) override {
        if (m_spline) m_into->back().Fit.emplace_back(d.x, d.y);
    }
    void addInsert(const DL_InsertData& d) override {
        TRawEntity& e = begin(TRawEntity::Type::Insert);
        e.Block = d.name;
        // A scale of zero is written as "not given".
        set(e, {d.ipx, d.ipy, d.sx == 0.0 ? 1.0 : d.sx, d.sy == 0.0 ? 1.0 : d.sy, d.angle, d.colSp, d.rowSp});
        e.Cols = std::max(1, d.cols);
        e.Rows = std::max(1, d.rows);
    }

    // What cannot become a border element is counted.
    void addPoint(const DL_PointData&) override { skip(); }
    void addXLine(const DL_XLineData&) override { skip(); }
    void addRay(const DL_RayData&) override { skip(); }
    void addTrace(const DL_TraceData&) override { skip(); }
    void add3dFace(const DL_3dFaceData&) override { skip(); }
    void addSolid(const DL_SolidData&) override { skip(); }
    void addMText(const DL_MTextData&) override { skip(); }
    void addText(const DL_TextData&) override { skip(); }
    void addArcAlignedText(const DL_ArcAlignedTextData&) override { skip(); }
    void addAttribute(const DL_AttributeData&) override { skip(); }
    void addDimAlign(const DL_DimensionData&, const DL_DimAlignedData&) override { skip(); }
    void addDimLinear(const DL_DimensionData&, const DL_DimLinearData&) override { skip(); }
    void addDimRadial(const DL_DimensionData&, const DL_DimRadialData&) override { skip(); }
    void addDimDiametric(const DL_DimensionData&, const DL_DimDiametricData&) override { skip(); }
    void addDimAngular(const DL_DimensionData&, const DL_DimAngular2LData&) override { skip(); }
    void addDimAngular3P(const DL_DimensionData&, const DL_DimAngular3PData&) override { skip(); }
    void addDimOrdinate(const DL_DimensionData&, const DL_DimOrdinateData&) override { skip(); }
    void addLeader(const DL_LeaderData&) override { skip(); }
    void addHatch(const DL_HatchData&) override { skip(); }
    void addImage(const DL_ImageData&) override { skip(); }

    void setVariableInt(const std::string& key, int value, int code) override {
        variable(key.c_str(), value);
        DL_CreationAdapter::setVariableInt(key, value, code);
    }

private:
    void variable(const char* key, int value) {
        if (std::string(key) == "$INSUNITS") {
            Unit = DxfUnitOfCode(value);
        }
    }
    void end() { m_polyline = m_spline = false; }
    TRawEntity& begin(TRawEntity::Type type) {
        end();
        m_into->emplace_back();
        TRawEntity& e = m_into->back();
        // Paper space holds the sheet's frame and title, not the drawing.
        e.type = attributes.isInPaperSpace() ? TRawEntity::Type::Skip : type;
        e.Layer = attributes.getLayer();
        if (type != TRawEntity::Type::Skip && type != TRawEntity::Type::Line) {
            const double* n = extrusion->getDirection();
            e.Mirrored = n[2] < 0.0;
            e.Tilted = !nearlyEqual(std::fabs(n[2]), 1.0, 1e-9);
        }
        if (attributes.isInPaperSpace()) {
            m_into->pop_back();
            m_dummy = TRawEntity{};
            return m_dummy;
        }
        return e;
    }
    void skip() { begin(TRawEntity::Type::Skip); }
    static void set(TRawEntity& e, std::initializer_list<double> values) {
        std::copy(values.begin(), values.end(), e.V);
    }

    std::vector<TRawEntity>* m_into = &Model;
    TRawEntity m_dummy;
    bool m_polyline = false;
    bool m_spline = false;
};

// A NURBS curve by de Boor's algorithm in homogeneous coordinates.
struct TSpline {
    int P = 3;
    std::vector<double> Knots;
    std::vector<double> X, Y, W;

    [[nodiscard]] QPointF at(double t) const {
        const int n = int(X.size());
        int k = P;
        while (k < n - 1 && t >= Knots[std::size_t(k + 1)]) {
            ++k;
        }
        std::vector<double> dx(std::size_t(P + 1)), dy(std::size_t(P + 1)), dw(std::size_t(P + 1));
        for (int j = 0; j <= P; ++j) {
            const std::size_t i = std::size_t(j + k - P);
            dw[std::size_t(j)] = W[i];
            dx[std::size_t(j)] = X[i] * W[i];
            dy[std::size_t(j)] = Y[i] * W[i];
        }
        for (int r = 1; r <= P; ++r) {
            for (int j = P; j >= r; --j) {
                const double lo = Knots[std::size_t(j + k - P)];
                const double hi = Knots[std::size_t(j + 1 + k - r)];
                const double a = hi == lo ? 0.0 : (t - lo) / (hi - lo);
                const std::size_t J = std::size_t(j);
                dx[J] = (1 - a) * dx[J - 1] + a * dx[J];
                dy[J] = (1 - a) * dy[J - 1] + a * dy[J];
                dw[J] = (1 - a) * dw[J - 1] + a * dw[J];
            }
        }
        const double w = dw[std::size_t(P)] == 0.0 ? 1.0 : dw[std::size_t(P)];
        return {dx[std::size_t(P)] / w, dy[std::size_t(P)] / w};
    }
};

class TExpander {
public:
    TExpander(const std::map<std::string, TBlock>& blocks, std::vector<std::pair<std::string, TDxfPiece>>& out,
              QHash<QString, int>& usable, int& skipped)
        : m_blocks(blocks), m_out(out), m_usable(usable), m_skipped(skipped) {}

    void expand(const std::vector<TRawEntity>& entities, const TAffine& m, const std::string* inheritedLayer,
                int depth) {
        for (const TRawEntity& e : entities) {
            // Entities of a block drawn on layer 0 take the reference's layer.
            const std::string& layer = inheritedLayer != nullptr && e.Layer == "0" ? *inheritedLayer : e.Layer;
            if (e.type == TRawEntity::Type::Insert && !e.Tilted) {
                insert(e, m, layer, depth);
                continue;
            }
            // A block or a flat entity on a plane tilted against ours has no
            // true outline in it.
            if (e.type == TRawEntity::Type::Skip || e.type == TRawEntity::Type::Insert ||
                (e.Tilted && e.type != TRawEntity::Type::Ellipse && e.type != TRawEntity::Type::Spline)) {
                ++m_skipped;
                continue;
            }
            const std::size_t before = m_out.size();
            one(e, m, layer);
            if (m_out.size() > before) {
                ++m_usable[QString::fromStdString(layer)];
            }
        }
    }

private:
    void insert(const TRawEntity& e, const TAffine& m, const std::string& layer, int depth) {
        const auto found = m_blocks.find(e.Block);
        if (found == m_blocks.end() || depth >= kDeepestBlock) {
            ++m_skipped;
            return;
        }
        const TBlock& block = found->second;
        const TAffine ocs = e.Mirrored ? TAffine::scale(-1, 1) : TAffine{};
        for (int row = 0; row < e.Rows; ++row) {
            for (int col = 0; col < e.Cols; ++col) {
                const TAffine place = TAffine::translation(e.V[0], e.V[1])
                                          .after(TAffine::rotation(e.V[4]))
                                          .after(TAffine::translation(col * e.V[5], row * e.V[6]))
                                          .after(TAffine::scale(e.V[2], e.V[3]))
                                          .after(TAffine::translation(-block.Base.x(), -block.Base.y()));
                expand(block.Entities, m.after(ocs).after(place), &layer, depth + 1);
            }
        }
    }

    void add(const std::string& layer, TDxfPiece piece) { m_out.emplace_back(layer, std::move(piece)); }

    void line(const std::string& layer, QPointF a, QPointF b) {
        if (QLineF(a, b).length() <= 1e-9 * std::max(1.0, std::hypot(a.x(), a.y()))) {
            return;
        }
        TDxfPiece p;
        p.kind = TDxfPiece::Kind::Line;
        p.A = a;
        p.B = b;
        add(layer, std::move(p));
    }

    // An arc given in the entity's own coordinates, mapped by `m`.
    void arc(const std::string& layer, const TAffine& m, QPointF centre, double radius, double startDeg,
             double sweepDeg) {
        if (!(radius > 0.0) || std::fabs(sweepDeg) < 1e-9) {
            return;
        }
        const auto local = [=](double deg) {
            return QPointF(centre.x() + radius * std::cos(deg * kDegree), centre.y() + radius * std::sin(deg * kDegree));
        };
        if (m.keepsCircles()) {
            TDxfPiece p;
            p.kind = TDxfPiece::Kind::Arc;
            p.Centre = m.map(centre);
            p.Radius = radius * std::sqrt(std::fabs(m.det()));
            p.A = m.map(local(startDeg));
            p.B = m.map(local(startDeg + sweepDeg));
            p.StartAngle = std::atan2(p.A.y() - p.Centre.y(), p.A.x() - p.Centre.x()) / kDegree;
            p.Sweep = m.det() < 0 ? -sweepDeg : sweepDeg;
            add(layer, std::move(p));
            return;
        }
        TDxfPiece p;
        p.kind = TDxfPiece::Kind::Curve;
        p.At = [m, local](double t) { return m.map(local(t)); };
        p.T0 = startDeg;
        p.T1 = startDeg + sweepDeg;
        p.Spans = std::max(4, int(std::ceil(std::fabs(sweepDeg) / 15.0)));
        p.A = p.At(p.T0);
        p.B = p.At(p.T1);
        add(layer, std::move(p));
    }

    void curve(const std::string& layer, std::function<QPointF(double)> at, double t0, double t1, int spans) {
        TDxfPiece p;
        p.kind = TDxfPiece::Kind::Curve;
        p.At = std::move(at);
        p.T0 = t0;
        p.T1 = t1;
        p.Spans = spans;
        p.A = p.At(t0);
        p.B = p.At(t1);
        add(layer, std::move(p));
    }

    void one(const TRawEntity& e, const TAffine& world, const std::string& layer) {
        const TAffine m = e.Mirrored ? world.after(TAffine::scale(-1, 1)) : world;
        const double* v = e.V;
        switch (e.type) {
        case TRawEntity::Type::Line:
            line(layer, world.map({v[0], v[1]}), world.map({v[2], v[3]}));
            break;
        case TRawEntity::Type::Arc: {
            // Counter-clockwise from the start angle to the end angle; equal
            // angles make the whole circle.
            double sweep = std::fmod(v[4] - v[3], 360.0);
            if (sweep <= 1e-12) {
                sweep += 360.0;
            }
            arc(layer, m, {v[0], v[1]}, v[2], v[3], sweep);
            break;
        }
        case TRawEntity::Type::Circle:
            arc(layer, m, {v[0], v[1]}, v[2], 0.0, 360.0);
            break;
        case TRawEntity::Type::Polyline:
            polyline(e, m, layer);
            break;
        case TRawEntity::Type::Ellipse: {
            // Centre and major axis are in world coordinates; the minor axis
            // lies to the left of the major one seen from the extrusion side.
            const QPointF c(v[0], v[1]);
            const QPointF major(v[2], v[3]);
            const double side = e.Mirrored ? -1.0 : 1.0;
            const QPointF minor(-side * major.y() * v[4], side * major.x() * v[4]);
            double t0 = v[5];
            double t1 = v[6];
            while (t1 <= t0 + 1e-12) {
                t1 += 2.0 * std::numbers::pi;
            }
            if (e.Tilted || !(v[4] > 0.0) || std::hypot(major.x(), major.y()) <= 0.0) {
                ++m_skipped;
                return;
            }
            curve(layer,
                  [world, c, major, minor](double t) {
                      return world.map(c + std::cos(t) * major + std::sin(t) * minor);
                  },
                  t0, t1, std::max(8, int(std::ceil((t1 - t0) / (std::numbers::pi / 16)))));
            break;
        }
        case TRawEntity::Type::Spline:
            spline(e, world, layer);
            break;
        case TRawEntity::Type::Insert:
        case TRawEntity::Type::Skip:
            break;
        }
    }

    void polyline(const TRawEntity& e, const TAffine& m, const std::string& layer) {
        const std::size_t n = e.Vertices.size();
        if (n < 2) {
            return;
        }
        const std::size_t count = e.Closed ? n : n - 1;
        for (std::size_t i = 0; i < count; ++i) {
            const DL_VertexData& from = e.Vertices[i];
            const DL_VertexData& to = e.Vertices[(i + 1) % n];
            const QPointF a(from.x, from.y);
            const QPointF b(to.x, to.y);
            // The arc is worked out relative to its start, so that drawings
            // far from their origin keep their precision.
            const std::optional<TBulgeArc> bent =
                e.Straight ? std::nullopt
                           : ArcOfBulge({0.0f, 0.0f}, {float(b.x() - a.x()), float(b.y() - a.y())}, from.bulge);
            if (bent) {
                arc(layer, m, a + QPointF(bent->Centre.X, bent->Centre.Y), bent->Radius, bent->StartAngle, bent->Sweep);
            } else {
                line(layer, m.map(a), m.map(b));
            }
        }
    }

    void spline(const TRawEntity& e, const TAffine& world, const std::string& layer) {
        const int p = int(e.Degree);
        const std::size_t n = e.Control.size();
        if (p >= 1 && n >= std::size_t(p + 1) && e.Knots.size() == n + std::size_t(p) + 1) {
            auto s = std::make_shared<TSpline>();
            s->P = p;
            s->Knots = e.Knots;
            for (const DL_ControlPointData& c : e.Control) {
                s->X.push_back(c.x);
                s->Y.push_back(c.y);
                s->W.push_back(c.w > 0.0 ? c.w : 1.0);
            }
            const double t0 = e.Knots[std::size_t(p)];
            const double t1 = e.Knots[n];
            if (t1 > t0) {
                curve(layer, [s, world](double t) { return world.map(s->at(t)); }, t0, t1,
                      std::max(8, int(n - std::size_t(p)) * 4));
                return;
            }
        }
        // Only fit points: the curve passes through them; lacking the
        // tangents a CAD program would use, the points are joined straight.
        if (e.Fit.size() >= 2) {
            for (std::size_t i = 0; i + 1 < e.Fit.size(); ++i) {
                line(layer, world.map(e.Fit[i]), world.map(e.Fit[i + 1]));
            }
            if (e.Closed) {
                line(layer, world.map(e.Fit.back()), world.map(e.Fit.front()));
            }
            return;
        }
        ++m_skipped;
    }

    const std::map<std::string, TBlock>& m_blocks;
    std::vector<std::pair<std::string, TDxfPiece>>& m_out;
    QHash<QString, int>& m_usable;
    int& m_skipped;
};

// Whether some pieces close a figure: joining their ends (within
// `tolerance`) as the edges of a graph, whether the graph has a cycle.
bool closesFigure(const std::vector<const TDxfPiece*>& pieces, double tolerance) {
    std::map<std::pair<long long, long long>, int> cells;
    std::vector<int> parent;
    const auto find = [&](int i) {
        while (parent[std::size_t(i)] != i) {
            parent[std::size_t(i)] = parent[std::size_t(parent[std::size_t(i)])];
            i = parent[std::size_t(i)];
        }
        return i;
    };
    const auto node = [&](QPointF p) {
        const long long ix = std::llround(p.x() / tolerance);
        const long long iy = std::llround(p.y() / tolerance);
        for (long long dx = -1; dx <= 1; ++dx) {
            for (long long dy = -1; dy <= 1; ++dy) {
                const auto it = cells.find({ix + dx, iy + dy});
                if (it != cells.end()) {
                    return it->second;
                }
            }
        }
        const int id = int(parent.size());
        parent.push_back(id);
        cells[{ix, iy}] = id;
        return id;
    };
    for (const TDxfPiece* piece : pieces) {
        const int a = find(node(piece->A));
        const int b = find(node(piece->B));
        if (a == b) {
            return true;
        }
        parent[std::size_t(a)] = b;
    }
    return false;
}

QRectF pieceBounds(const TDxfPiece& piece) {
    QRectF r(piece.A, piece.B);
    r = r.normalized();
    const auto grow = [&r](QPointF p) {
        r.setLeft(std::min(r.left(), p.x()));
        r.setRight(std::max(r.right(), p.x()));
        r.setTop(std::min(r.top(), p.y()));
        r.setBottom(std::max(r.bottom(), p.y()));
    };
    if (piece.kind == TDxfPiece::Kind::Arc) {
        // The extreme points the arc passes.
        for (int k = -4; k <= 4; ++k) {
            const double a = 90.0 * k;
            const double lo = std::min(piece.StartAngle, piece.StartAngle + piece.Sweep);
            const double hi = std::max(piece.StartAngle, piece.StartAngle + piece.Sweep);
            for (double turn = -720.0; turn <= 720.0; turn += 360.0) {
                if (a + turn >= lo && a + turn <= hi) {
                    grow(piece.Centre + piece.Radius * QPointF(std::cos(a * kDegree), std::sin(a * kDegree)));
                }
            }
        }
    } else if (piece.kind == TDxfPiece::Kind::Curve) {
        const double size = std::max(1e-9, QLineF(piece.A, piece.B).length());
        for (const QPointF p : FlattenDxfCurve(piece, size * 1e-3 + 1e-9)) {
            grow(p);
        }
    }
    return r;
}

// Deviation of p from the line through a and b.
double offLine(QPointF p, QPointF a, QPointF b) {
    const QPointF d = b - a;
    const double len = std::hypot(d.x(), d.y());
    if (len == 0.0) {
        return std::hypot(p.x() - a.x(), p.y() - a.y());
    }
    return std::fabs(d.x() * (p.y() - a.y()) - d.y() * (p.x() - a.x())) / len;
}

void subdivide(const TDxfPiece& c, double ta, QPointF pa, double tb, QPointF pb, double tolerance, int depth,
               std::vector<QPointF>& out) {
    const double tm = (ta + tb) / 2.0;
    const QPointF pm = c.At(tm);
    const QPointF q1 = c.At((ta + tm) / 2.0);
    const QPointF q3 = c.At((tm + tb) / 2.0);
    const double off = std::max({offLine(pm, pa, pb), offLine(q1, pa, pb), offLine(q3, pa, pb)});
    if (off <= tolerance || depth >= 24) {
        out.push_back(pb);
        return;
    }
    subdivide(c, ta, pa, tm, pm, tolerance, depth + 1, out);
    subdivide(c, tm, pm, tb, pb, tolerance, depth + 1, out);
}

TPointF toLocal(T_TnC_Ancestor* owner, QPointF p) {
    const TPointF world{float(p.x()), float(p.y())};
    return owner != nullptr ? owner->ToLocal(world) : world;
}

} // namespace

double MillimetresPer(TDxfUnit unit) {
    switch (unit) {
    case TDxfUnit::Millimetre: return 1.0;
    case TDxfUnit::Centimetre: return 10.0;
    case TDxfUnit::Metre: return 1000.0;
    case TDxfUnit::Inch: return 25.4;
    }
    return 1.0;
}

QString DxfUnitName(TDxfUnit unit) {
    switch (unit) {
    case TDxfUnit::Millimetre: return QStringLiteral("мм");
    case TDxfUnit::Centimetre: return QStringLiteral("см");
    case TDxfUnit::Metre: return QStringLiteral("м");
    case TDxfUnit::Inch: return QStringLiteral("дюйм");
    }
    return {};
}

std::optional<TDxfUnit> DxfUnitOfKey(const QString& key) {
    if (key == QLatin1String("mm")) return TDxfUnit::Millimetre;
    if (key == QLatin1String("cm")) return TDxfUnit::Centimetre;
    if (key == QLatin1String("m")) return TDxfUnit::Metre;
    if (key == QLatin1String("inch") || key == QLatin1String("in")) return TDxfUnit::Inch;
    return std::nullopt;
}

std::optional<TDxfUnit> DxfUnitOfCode(int insunits) {
    switch (insunits) {
    case 1: return TDxfUnit::Inch;
    case 4: return TDxfUnit::Millimetre;
    case 5: return TDxfUnit::Centimetre;
    case 6: return TDxfUnit::Metre;
    default: return std::nullopt;
    }
}

std::vector<QPointF> FlattenDxfCurve(const TDxfPiece& curve, double tolerance) {
    std::vector<QPointF> out;
    if (!curve.At) {
        return out;
    }
    const int spans = std::max(1, curve.Spans);
    QPointF previous = curve.At(curve.T0);
    out.push_back(previous);
    for (int i = 1; i <= spans; ++i) {
        const double ta = curve.T0 + (curve.T1 - curve.T0) * (i - 1) / spans;
        const double tb = i == spans ? curve.T1 : curve.T0 + (curve.T1 - curve.T0) * i / spans;
        const QPointF next = curve.At(tb);
        subdivide(curve, ta, previous, tb, next, tolerance, 0, out);
        previous = next;
    }
    return out;
}

TDxfDrawing TDxfDrawing::Read(const QString& path) {
    TDxfDrawing drawing;
    drawing.m_path = path;
    const QString name = QFileInfo(path).fileName();
    const auto fail = [&](const QString& why) {
        drawing.m_error = QStringLiteral("Файл \"%1\" не удалось импортировать: %2").arg(name, why);
        return drawing;
    };
    if (!QFileInfo(path).isFile() || !QFile(path).open(QIODevice::ReadOnly)) {
        return fail(QStringLiteral("файл не открывается"));
    }
    TCollector collector;
    DL_Dxf dxf;
    if (!dxf.in(QFile::encodeName(path).toStdString(), &collector) || !collector.SawSection) {
        return fail(QStringLiteral("это не чертеж DXF или он поврежден"));
    }
    drawing.m_unit = collector.Unit;

    std::vector<std::pair<std::string, TDxfPiece>> pieces;
    QHash<QString, int> usable;
    TExpander expander(collector.Blocks, pieces, usable, drawing.m_skipped);
    expander.expand(collector.Model, TAffine{}, nullptr, 0);

    QHash<QString, int> index;
    for (auto& [layer, piece] : pieces) {
        const QString layerName = QString::fromStdString(layer);
        auto it = index.find(layerName);
        if (it == index.end()) {
            it = index.insert(layerName, int(drawing.m_layers.size()));
            drawing.m_layers.push_back({layerName, usable.value(layerName), false});
        }
        drawing.m_pieces.emplace_back(it.value(), std::move(piece));
    }
    if (drawing.m_pieces.empty()) {
        return fail(QStringLiteral("в нем нет отрезков, дуг, окружностей или полилиний"));
    }
    QRectF all;
    for (const auto& [layer, piece] : drawing.m_pieces) {
        all = all.united(pieceBounds(piece).adjusted(-1e-12, -1e-12, 1e-12, 1e-12));
    }
    const double tolerance = std::max(1e-9, 1e-6 * std::max(all.width(), all.height()));
    for (int i = 0; i < int(drawing.m_layers.size()); ++i) {
        std::vector<const TDxfPiece*> on;
        for (const auto& [layer, piece] : drawing.m_pieces) {
            if (layer == i) {
                on.push_back(&piece);
            }
        }
        drawing.m_layers[std::size_t(i)].Closed = closesFigure(on, tolerance);
    }
    return drawing;
}

QStringList TDxfDrawing::LayerNames() const {
    QStringList names;
    for (const TDxfLayer& layer : m_layers) {
        names << layer.Name;
    }
    return names;
}

QStringList TDxfDrawing::SuggestedLayers() const {
    QStringList names;
    for (const TDxfLayer& layer : m_layers) {
        if (layer.Closed) {
            names << layer.Name;
        }
    }
    return names;
}

int TDxfDrawing::UsableOn(const QStringList& layers) const {
    int count = 0;
    for (const TDxfLayer& layer : m_layers) {
        if (layers.contains(layer.Name)) {
            count += layer.Usable;
        }
    }
    return count;
}

QRectF TDxfDrawing::Bounds(const QStringList& layers) const {
    QRectF bounds;
    bool any = false;
    for (const auto& [layer, piece] : m_pieces) {
        if (!layers.contains(m_layers[std::size_t(layer)].Name)) {
            continue;
        }
        const QRectF r = pieceBounds(piece);
        bounds = any ? QRectF(QPointF(std::min(bounds.left(), r.left()), std::min(bounds.top(), r.top())),
                              QPointF(std::max(bounds.right(), r.right()), std::max(bounds.bottom(), r.bottom())))
                     : r;
        any = true;
    }
    return bounds;
}

QString TDxfDrawing::ProblemWith(const QStringList& layers) const {
    if (!m_error.isEmpty()) {
        return m_error;
    }
    if (UsableOn(layers) == 0) {
        return QStringLiteral("Файл \"%1\" не удалось импортировать: на выбранных слоях нет отрезков, дуг, "
                              "окружностей или полилиний")
            .arg(QFileInfo(m_path).fileName());
    }
    return {};
}

std::vector<std::unique_ptr<TGraphicPrimitive>> TDxfDrawing::Elements(const QStringList& layers, TDxfUnit unit,
                                                                     T_TnC_Ancestor* owner) const {
    std::vector<std::unique_ptr<TGraphicPrimitive>> made;
    const double k = MillimetresPer(unit);
    const auto segment = [&](QPointF a, QPointF b) {
        if (QLineF(a, b).length() * k < kShortestPiece) {
            return;
        }
        auto line = std::make_unique<TLinePrimitive>(owner);
        const TPointF s = toLocal(owner, a * k);
        const TPointF f = toLocal(owner, b * k);
        line->SetStart({s.X, s.Y, 1});
        line->SetFinish({f.X, f.Y, 1});
        made.push_back(std::move(line));
    };
    for (const auto& [layer, piece] : m_pieces) {
        if (!layers.contains(m_layers[std::size_t(layer)].Name)) {
            continue;
        }
        switch (piece.kind) {
        case TDxfPiece::Kind::Line:
            segment(piece.A, piece.B);
            break;
        case TDxfPiece::Kind::Arc: {
            if (piece.Radius * std::fabs(piece.Sweep) * kDegree * k < kShortestPiece) {
                break;
            }
            auto arc = std::make_unique<TArcPrimitive>(owner);
            const TPointF c = toLocal(owner, piece.Centre * k);
            const TPointF s = toLocal(owner, piece.A * k);
            arc->SetCentre({c.X, c.Y, 1});
            arc->SetStart({s.X, s.Y, 1});
            arc->SetSweep(float(piece.Sweep));
            arc->SetRadius(float(piece.Radius * k));
            made.push_back(std::move(arc));
            break;
        }
        case TDxfPiece::Kind::Curve: {
            const std::vector<QPointF> points = FlattenDxfCurve(piece, kCurveTolerance / k);
            for (std::size_t i = 0; i + 1 < points.size(); ++i) {
                segment(points[i], points[i + 1]);
            }
            break;
        }
        }
    }
    return made;
}

} // namespace vk
