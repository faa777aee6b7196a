#pragma once
// A scene: a site border, a tile with its cuts and halves, a pattern, a
// start point and an orientation, written as JSON (millimetres, degrees;
// element lists in their owner's local coordinates). The command-line tool
// fills scenes; tests and benchmarks describe their sites with them.
//
// { "tile":        tile,
//   "pattern":     pattern,
//   "border":      [ elements ],
//   "start": [x,y], "orientation": deg }
//
// Tiles, patterns and elements are written in the dialect of
// model/ShapeDescription.h, the one the starter library is described in.
// "tile": {"library": "name"} and "pattern": {"library": "name"} take them
// from the tile library.
//
// The border, and a tile's "outline", may come from a DXF drawing instead:
// {"dxf": "site.dxf", "layers": ["Граница"], "unit": "m"}, the file
// relative to the scene's folder, every layer when "layers" is left out,
// and the unit ("mm", "cm", "m", "inch") the file's own when it names one,
// else millimetres.

#include <QByteArray>
#include <QJsonObject>
#include <QString>

namespace vk {

class TProject;
struct TReport;
struct TMaterials;

// Sets up `project` from the scene. Returns the problem (a text naming it)
// or an empty text when the scene can be filled. Files the scene names are
// found from `folder` (the current one when empty).
[[nodiscard]] QString LoadScene(const QByteArray& json, TProject& project, const QString& folder = {});
[[nodiscard]] QString LoadScene(const QJsonObject& scene, TProject& project, const QString& folder = {});

// The report as one JSON object:
// {"area_m2", "perimeter_m", "tiles", "whole_total", "pieces_total",
//  "colours": [{"argb", "whole", "parts": [{"name", "count", "halves": [{"name", "count"}]}]}]}
// and with `withTiles` also "laid": [{"x", "y", "orientation", "part", "half"}]
// in laying order (base points in world millimetres; names empty for whole tiles).
// With `materials` also
// "materials": {"waste_percent", "pack", "tile_area_m2",
//               "colours": [{"argb", "whole", "for_halves", "tiles", "with_waste", "area_m2", "packs"}],
//               "tiles", "with_waste", "area_m2", "packs"}
// where "pack" and every "packs" are null when no pack size is given.
[[nodiscard]] QByteArray ReportJson(const TReport& report, const TProject& project, bool withTiles,
                                    const TMaterials* materials = nullptr);

} // namespace vk
