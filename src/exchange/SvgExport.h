#pragma once
// The plan as an SVG drawing in world millimetres: the site's border, and
// every laid tile as one closed path in its colour, the tiles of each colour
// group in a group of their own. Arcs stay arcs.

#include <QByteArray>
#include <QString>

namespace vk {

class TProject;
struct TExportDrawing;

[[nodiscard]] QByteArray SvgDocument(const TExportDrawing& drawing, const QString& title);

// Writes the project's drawing; an empty text when written, else why not
// (naming the file).
[[nodiscard]] QString WriteSvg(const QString& fileName, TProject& project);
// The same with the drawing collected already (titled `title`).
[[nodiscard]] QString WriteSvg(const QString& fileName, const TExportDrawing& drawing, const QString& title);
// The title a project's drawing carries.
[[nodiscard]] QString SvgTitle(const TProject& project);

} // namespace vk
