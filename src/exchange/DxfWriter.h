#pragma once
// The plan as a DXF drawing (R2000, millimetres) for CAD programs: the
// site's border on "BORDER", every laid tile a closed polyline with its arcs
// as bulges on "TILES" (whole), "TILES_CUT" (cut to a half) or
// "TILES_NO_HALF" (cut, no half matches), in its colour group's colour, and
// the report's lines as one text on "REPORT".

#include <QString>

#include <string>

namespace vk {

class TProject;
struct TExportDrawing;

inline constexpr const char* kDxfBorderLayer = "BORDER";
inline constexpr const char* kDxfTilesLayer = "TILES";
inline constexpr const char* kDxfCutLayer = "TILES_CUT";
inline constexpr const char* kDxfNoHalfLayer = "TILES_NO_HALF";
inline constexpr const char* kDxfReportLayer = "REPORT";

// Writes the drawing; an empty text when written, else why not (naming the file).
[[nodiscard]] QString WriteDxf(const QString& fileName, const TExportDrawing& drawing);
[[nodiscard]] QString WriteDxf(const QString& fileName, TProject& project);

// Text as a DXF R2000 file of code page ANSI_1251 keeps it: Russian letters
// as their bytes in that code page, anything else beyond ASCII as \U+XXXX.
[[nodiscard]] std::string DxfText(const QString& text);

} // namespace vk
