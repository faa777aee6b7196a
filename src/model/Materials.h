#pragma once
// "Ведомость материалов": what to buy for the laid tiles, per colour group.
// A cut piece that matched a half is made from a tile cut into halves; how
// many tiles that takes depends on whether the part's halves are
// interchangeable. Waste and packs are applied per colour, because a buyer
// orders each colour on its own: the totals line sums the colour lines
// (it is not recomputed from the summed counts, which could come out a
// tile or a pack short of what the colour lines add up to).

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

namespace vk {

class TProject;

struct TMaterialsLine {
    std::uint32_t Argb = 0;      // the colour group (0 in the totals line)
    int Whole = 0;               // WholeCount of the group (unmatched cut tiles included)
    int ForHalves = 0;           // tiles cut into halves, summed over parts
    int Tiles = 0;               // Whole + ForHalves
    int WithWaste = 0;           // ceil(Tiles * (1 + waste/100))
    double AreaM2 = 0;           // WithWaste * tile area
    std::optional<int> Packs;    // ceil(WithWaste / pack) when a pack size is given
};

struct TMaterials {
    double WastePercent = 0;
    int Pack = 0;                // 0 = not given
    double TileAreaM2 = 0;
    std::vector<TMaterialsLine> Colours;   // in the report's colour order
    TMaterialsLine Total;
};

// `wastePercent` is at least 0; a `pack` of 0 or less gives no pack counts.
[[nodiscard]] TMaterials ComputeMaterials(const TProject& project, double wastePercent, int pack);

// ceil(tiles * (1 + wastePercent / 100)), where a product that is a whole
// number up to rounding (100 tiles and 5 %) is not rounded up once more.
[[nodiscard]] int TilesWithWaste(int tiles, double wastePercent);

// The column headings of the table, "Цвет" first.
[[nodiscard]] QStringList MaterialsHeadings();
// One row of the table as text: the colour as #aarrggbb ("Итого" in the
// totals line), counts as whole numbers, the area with two decimals and the
// user's decimal separator, packs empty when no pack size is given.
[[nodiscard]] QStringList MaterialsRow(const TMaterialsLine& line, bool total);
// The table as text: the headings, a row per colour and the totals row, the
// cells joined by `separator`, every row ended by a line feed. What is
// copied (tab) and saved as CSV (';', which spreadsheet programs in Russian
// locales split on, since their decimal separator is the comma).
[[nodiscard]] QString MaterialsText(const TMaterials& materials, QChar separator);
// The CSV file's bytes: UTF-8 with a byte order mark, without which
// spreadsheet programs of Russian locales read the file in their own code
// page; then MaterialsText with ';'.
[[nodiscard]] QByteArray MaterialsCsv(const TMaterials& materials);
// Writes the CSV file whole or not at all; the problem, or an empty text.
[[nodiscard]] QString SaveMaterialsCsv(const TMaterials& materials, const QString& fileName);

} // namespace vk
