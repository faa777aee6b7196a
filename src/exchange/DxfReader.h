#pragma once
// Drawings from CAD programs read as border elements: a surveyor's site plan
// becomes a site border, a maker's drawing of a stone a tile outline.
//
// The file is read once into pieces in the drawing's own units, layer by
// layer, with block references already resolved; what becomes of them (which
// layers, which unit) is decided afterwards, so that a dialog can show the
// layers and the size before anything changes. Straight pieces and circular
// arcs stay exact; ellipses and splines are cut into segments no farther than
// 0.05 mm from the curve once the unit is known.

#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace vk {

class T_TnC_Ancestor;
class TGraphicPrimitive;

enum class TDxfUnit { Millimetre, Centimetre, Metre, Inch };

inline constexpr TDxfUnit kDxfUnits[] = {TDxfUnit::Millimetre, TDxfUnit::Centimetre, TDxfUnit::Metre,
                                         TDxfUnit::Inch};

[[nodiscard]] double MillimetresPer(TDxfUnit unit);
// "мм", "см", "м", "дюйм".
[[nodiscard]] QString DxfUnitName(TDxfUnit unit);
// The scene's spelling: "mm", "cm", "m", "inch" (and "in").
[[nodiscard]] std::optional<TDxfUnit> DxfUnitOfKey(const QString& key);
// $INSUNITS: 1 inch, 4 mm, 5 cm, 6 m; nothing for any other code.
[[nodiscard]] std::optional<TDxfUnit> DxfUnitOfCode(int insunits);

// One piece of a drawing in drawing units, block transforms applied.
struct TDxfPiece {
    enum class Kind { Line, Arc, Curve };
    Kind kind = Kind::Line;
    QPointF A; // start
    QPointF B; // end
    // Arc: degrees, counter-clockwise when the sweep is positive.
    QPointF Centre;
    double Radius = 0.0;
    double StartAngle = 0.0;
    double Sweep = 0.0;
    // Curve: the point at a parameter from T0 to T1, and how many equal
    // spans to begin with so that no bend is missed between samples.
    std::function<QPointF(double)> At;
    double T0 = 0.0;
    double T1 = 0.0;
    int Spans = 8;
};

struct TDxfLayer {
    QString Name;
    int Usable = 0;      // entities that gave at least one piece
    bool Closed = false; // some of its pieces close a figure
};

class TDxfDrawing {
public:
    // Reads a file; when nothing can be taken from it, Error() says why,
    // naming the file.
    [[nodiscard]] static TDxfDrawing Read(const QString& path);

    [[nodiscard]] const QString& Error() const { return m_error; }
    [[nodiscard]] const QString& Path() const { return m_path; }
    // In the order the file first used them.
    [[nodiscard]] const std::vector<TDxfLayer>& Layers() const { return m_layers; }
    [[nodiscard]] QStringList LayerNames() const;
    // Layers with a closed figure: those an import offers ticked.
    [[nodiscard]] QStringList SuggestedLayers() const;
    // Entities of kinds that cannot become border elements (text,
    // dimensions, hatches, points, ...).
    [[nodiscard]] int Skipped() const { return m_skipped; }
    // From $INSUNITS, when it names one of ours.
    [[nodiscard]] std::optional<TDxfUnit> Unit() const { return m_unit; }
    [[nodiscard]] const std::vector<std::pair<int, TDxfPiece>>& Pieces() const { return m_pieces; }

    // Usable entities on the layers.
    [[nodiscard]] int UsableOn(const QStringList& layers) const;
    // Bounds of the pieces on the layers, drawing units; empty for none.
    [[nodiscard]] QRectF Bounds(const QStringList& layers) const;
    // The problem with taking the layers: none usable. Empty when fine.
    [[nodiscard]] QString ProblemWith(const QStringList& layers) const;
    // Segments and arcs in world millimetres for `owner` (its local
    // coordinates), solid, in file order; pieces shorter than a micrometre
    // are left out.
    [[nodiscard]] std::vector<std::unique_ptr<TGraphicPrimitive>> Elements(const QStringList& layers, TDxfUnit unit,
                                                                          T_TnC_Ancestor* owner) const;

private:
    QString m_path;
    QString m_error;
    std::vector<TDxfLayer> m_layers;
    std::vector<std::pair<int, TDxfPiece>> m_pieces; // layer index, piece
    int m_skipped = 0;
    std::optional<TDxfUnit> m_unit;
};

// Points along a curve piece, its ends included, with chords no farther
// than `tolerance` (drawing units) from the curve.
[[nodiscard]] std::vector<QPointF> FlattenDxfCurve(const TDxfPiece& curve, double tolerance);

} // namespace vk
