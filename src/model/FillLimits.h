#pragma once
// What is known of a fill before it starts: about how many tiles it lays,
// and whether its tile can be laid at all.

#include <QString>

namespace vk {

class TProject;
class TSheetScale;
class TTile;

// Above this many tiles the program asks before it fills: memory grows with
// every tile laid, and a slip of the unit (a 3 mm tile on a 100 m site)
// would otherwise run until the machine runs out.
inline constexpr double kTilesToAskAbove = 20'000'000.0;

// The site's area over the tile's: about how many tiles a fill lays. Zero
// when the project has no site or no tile with an area.
[[nodiscard]] double EstimatedTileCount(TProject& project);

// The sheet scale a fill runs at: the one the sheet shows as 10.
[[nodiscard]] float FillScale(const TSheetScale& scale);
// The region tolerance a fill on `scale` works with: one device pixel at
// the fill scale, millimetres (2.6 mm at 96 dpi with metres shown).
[[nodiscard]] double FillRegionTolerance(const TSheetScale& scale);

// Why `tile` cannot be laid, or an empty text: a tile without an outline,
// or one narrower than `tolerance` (FillRegionTolerance), which the
// fill would match with nothing and leave out.
[[nodiscard]] QString TileFillProblem(TTile& tile, double tolerance);

// The question asked before a fill of `count` tiles.
[[nodiscard]] QString LargeFillQuestion(double count);

} // namespace vk
