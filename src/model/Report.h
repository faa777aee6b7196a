#pragma once
// The report "Отчет": the site's area and perimeter, the number of laid
// tiles, and per colour the whole tiles and the counted pieces of each part
// and half. Built as data (the numbers, and the labels at the pixel
// positions of the dialog) so that a dialog, the command-line tool and the
// tests read the same thing.

#include <QString>
#include <cstdint>
#include <vector>

namespace vk {

class TColorController;

struct TReportLabel {
    int Left = 0;
    int Top = 0;
    QString Text;
    // Drawn in grey (RGB 128, 128, 128): a part counted by its halves.
    bool Grey = false;
};

// A square filled with a colour group's colour.
struct TReportSwatch {
    int Left = 0;
    int Top = 0;
    int Size = 16;
    std::uint32_t Color = 0;
};

struct TReportHalf {
    QString Name;
    int Count = 0;
};

struct TReportPart {
    QString Name;
    // Pieces of a part whose halves are equal; 0 for a part counted by halves.
    int Count = 0;
    std::vector<TReportHalf> Halves;
};

struct TReportColour {
    std::uint32_t Color = 0;
    int Whole = 0;
    std::vector<TReportPart> Parts;
};

struct TReport {
    inline static const QString Caption = QStringLiteral("Отчет");
    static constexpr int Width = 300;
    static constexpr int InitialHeight = 115;

    double AreaM2 = 0.0;
    double PerimeterM = 0.0;
    int Tiles = 0;
    int WholeTotal = 0;
    int PiecesTotal = 0;
    std::vector<TReportColour> Colours;

    // The dialog's layout, in pixels.
    std::vector<TReportLabel> Labels;
    std::vector<TReportSwatch> Swatches;
    int ButtonTop = 0;
    int Height = InitialHeight;
    // Centred: (window width - button width) / 2, toward zero.
    [[nodiscard]] static int ButtonLeft(int buttonWidth) { return (Width - buttonWidth) / 2; }
};

// Area in square metres, perimeter in metres; numbers are shown with the
// user's decimal separator.
[[nodiscard]] TReport BuildReport(double areaM2, double perimeterM, int tileCount,
                                  const TColorController& groups);

// The report as text, one line per row of the dialog: what the
// command-line tool prints.
[[nodiscard]] QString ReportText(const TReport& report);

} // namespace vk
