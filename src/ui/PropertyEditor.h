#pragma once
// Elements show their geometry in property editors. The editors are widgets,
// which the core must not see: an element asks the installed factory for an
// editor inside a parent it does not know the type of, and reads the values
// back through a handle.

#include "base/Types.h"

#include <QString>
#include <memory>

class QWidget;

namespace vk {

enum class TEditorKind { Line, Arc, Point, Placement };

// Values in display units: world millimetres divided by the unit divisor;
// angles in degrees.
struct TEditorValues {
    TPointF Start;      // segment, arc
    TPointF Finish;     // segment
    TPointF Center;     // arc
    float Sweep = 0;    // arc ("Ang")
    float Radius = 0;   // arc ("R")
    TPointF Point;      // point
    float TileAngle = 0; // placement
    TPointF TP;         // placement: the point on the tile
    TPointF PP;         // placement: the point in the pattern
    int StyleRow = 0;   // line-style list: 0 solid, 1 dotted
};

class TPropertyEditorHandle {
public:
    virtual ~TPropertyEditorHandle() = default;
    // The values as the user left them.
    [[nodiscard]] virtual TEditorValues Values() const = 0;
};

class TEditorFactory {
public:
    virtual ~TEditorFactory() = default;
    virtual std::unique_ptr<TPropertyEditorHandle> Create(TEditorKind kind, QWidget* parent,
                                                          const QString& unitName, int helpContext,
                                                          const TEditorValues& initial) = 0;
};

// The factory in force, or nullptr where there is no GUI (CreateEditor then
// does nothing).
[[nodiscard]] TEditorFactory* editorFactory();
void setEditorFactory(TEditorFactory* factory);

} // namespace vk
