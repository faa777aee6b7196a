#pragma once
// Where grid lines, ticks and ruler numbers go for a visible rectangle. Pure
// functions of world values so that the rules can be tested without painting.

#include "sheet/SheetGeometry.h"

#include <QString>
#include <functional>
#include <vector>

namespace vk {

struct TGridLines {
    // Positions along x (vertical lines) and along y (horizontal lines).
    std::vector<double> fineX, fineY;
    std::vector<double> fifthX, fifthY; // odd multiples of five steps
    std::vector<double> tenthX, tenthY; // multiples of ten steps
    bool axisX = false; // the line y = 0 is visible
    bool axisY = false; // the line x = 0 is visible
};

// Lines of one family start at the multiple of its spacing obtained by
// truncating toward zero and run while they do not pass the far edge.
[[nodiscard]] TGridLines ComputeGridLines(const TWorldRect& visible, double gridStep);

struct TRulerNumber {
    double K = 0;     // world position of the tick the number belongs to
    QString text;     // as shown: K / divisor, two decimals, trailing zeros cut
    double extent = 0; // width (horizontal ruler) or height (vertical), world mm
};

// Measures a text in world millimetres along the ruler.
using TMeasure = std::function<double(const QString&)>;

// The number shown for a world position.
[[nodiscard]] QString RulerText(double worldValue, int divisor);

// Numbers of one ruler from `lo` to `hi` (the visible range). The "0" is
// always placed first (it may lie outside the range); any other number is
// kept only when it lies wholly inside the range and keeps a gap of half its
// size from the previous one, so crowded numbers are skipped, never shrunk.
[[nodiscard]] std::vector<TRulerNumber> ComputeRulerNumbers(double lo, double hi, double gridStep,
                                                             int divisor, const TMeasure& measure);

} // namespace vk
