#pragma once
// The help topics of the program's windows and tools. Each number names a
// help page ("ctx6.html" for 6), so the numbers must never change; a window
// or tool that shares a topic with another uses the same entry.

#include <QObject>
#include <QVariant>

namespace vk {

enum class THelpContext : int {
    TileComment = 0,
    TileEditor = 4,
    PatternEditor = 5,
    // The main window, and the main window whenever none of its tools is on.
    MainWindow = 6,
    TileHalves = 21,
    AddTileToPattern = 24,
    Settings = 26,
    // The segment and arc tools of every window that draws.
    DrawingSegmentsAndArcs = 27,
    PatternCheck = 28,
    // The element editor window and the element list dialog.
    ElementEditing = 29,
    MarkingTiles = 43,
    PrintOptions = 44,
    ProjectComment = 46,
    // Selecting, dragging and editing drawn lines.
    SelectingLines = 47,
    SegmentProperties = 49,
    ArcProperties = 50,
    PrintRegion = 51,
    StartPoint = 52,
    CutLines = 53,
    OutliningHalf = 54,
    TilePlace = 55,
    NeighbourPattern = 56,
    // "Подобрать начальную точку".
    StartPointOptimizer = 60,
    // "Ведомость материалов".
    Materials = 61,
};

[[nodiscard]] constexpr int HelpNumber(THelpContext context) { return static_cast<int>(context); }

// The topic F1 and the help buttons open for a window or a control (its
// "helpContext" property, read by the help).
inline void SetHelpContextOf(QObject& object, THelpContext context) {
    object.setProperty("helpContext", HelpNumber(context));
}

} // namespace vk
