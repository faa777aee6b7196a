#include "model/Report.h"

#include "geometry/NumberFormat.h"
#include "model/LaidTiles.h"

#include <algorithm>
#include <map>

namespace vk {

TReport BuildReport(double areaM2, double perimeterM, int tileCount, const TColorController& groups) {
    TReport report;
    report.AreaM2 = areaM2;
    report.PerimeterM = perimeterM;
    report.Tiles = tileCount;

    const QString header = QStringLiteral("Площадь") + QStringLiteral(" %1 ") + QStringLiteral("кв.м.") +
                           QStringLiteral("; ") + QStringLiteral("общий периметр") + QStringLiteral(" %2 ") +
                           QStringLiteral("м");
    report.Labels.push_back({20, 10, header.arg(formatF(areaM2), formatF(perimeterM)), false});

    int y = TReport::InitialHeight;
    if (tileCount > 0) {
        report.Labels.push_back({20, 26, QStringLiteral("Всего плиток") + QStringLiteral(": %1").arg(tileCount), false});
        report.Labels.push_back({20, 42, QStringLiteral("в т.ч."), false});
        report.Labels.push_back({40, 58, QStringLiteral("целых"), false});
        report.Labels.push_back({220, 58, QStringLiteral("половинок"), false});
        y = 74;
        for (int g = 0; g < groups.Count(); ++g) {
            const TColorListContainer& group = groups.Items(g);
            TReportColour colour;
            colour.Color = group.Color;
            colour.Whole = group.WholeCount();
            report.Swatches.push_back({20, y, 16, group.Color});
            report.Labels.push_back({40, y, QString::number(colour.Whole), false});
            report.WholeTotal += colour.Whole;
            y += 16;
            for (int p = 0; p < group.Counters.Count(); ++p) {
                const TPartCounter& counter = group.Counters.Items(p);
                TReportPart part;
                part.Name = counter.Name;
                part.Count = counter.Count;
                report.Labels.push_back({100, y, counter.Name, counter.Count == 0});
                if (counter.Count != 0) {
                    report.Labels.push_back({240, y, QString::number(counter.Count), false});
                    report.PiecesTotal += counter.Count;
                }
                y += 16;
                if (counter.SubCounters) {
                    for (int h = 0; h < counter.SubCounters->Count(); ++h) {
                        const TPartCounter& half = counter.SubCounters->Items(h);
                        part.Halves.push_back({half.Name, half.Count});
                        report.Labels.push_back({116, y, half.Name, false});
                        report.Labels.push_back({240, y, QString::number(half.Count), false});
                        report.PiecesTotal += half.Count;
                        y += 16;
                    }
                }
                colour.Parts.push_back(std::move(part));
            }
            report.Colours.push_back(std::move(colour));
        }
        y += 16;
        report.Labels.push_back({20, y, QStringLiteral("Итого") + QStringLiteral(":"), false});
        report.Labels.push_back({65, y, QString::number(report.WholeTotal), false});
        report.Labels.push_back({240, y, QString::number(report.PiecesTotal), false});
        y += 16;
    }
    report.ButtonTop = y + 8;
    report.Height = y + 64;
    return report;
}

QString ReportText(const TReport& report) {
    // Rows by their top, labels by their left; a pixel column of the
    // dialog becomes a tenth of a character column.
    struct TCell {
        int Left;
        QString Text;
    };
    std::map<int, std::vector<TCell>> rows;
    for (const TReportLabel& label : report.Labels) {
        rows[label.Top].push_back({label.Left, label.Text});
    }
    for (const TReportSwatch& swatch : report.Swatches) {
        rows[swatch.Top].push_back(
            {swatch.Left, QStringLiteral("#%1").arg(swatch.Color, 8, 16, QLatin1Char('0'))});
    }
    QString text;
    for (auto& [top, cells] : rows) {
        std::stable_sort(cells.begin(), cells.end(), [](const TCell& a, const TCell& b) { return a.Left < b.Left; });
        QString line;
        for (const TCell& cell : cells) {
            const int column = cell.Left / 10;
            if (line.size() < column) {
                line += QString(column - line.size(), QLatin1Char(' '));
            } else if (!line.isEmpty()) {
                line += QLatin1Char(' ');
            }
            line += cell.Text;
        }
        text += line + QLatin1Char('\n');
    }
    return text;
}

} // namespace vk
