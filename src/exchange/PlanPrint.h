#pragma once
// The printed plan: the site drawn as vectors at a chosen scale over as many
// pages as it needs, each page numbered with its scale and a scale bar, and
// after it, when asked, a page with the report and the project's comment.
// The same pages go to a printer, to the print preview and to a PDF file.

#include <QRectF>
#include <QString>
#include <QStringList>
#include <optional>

class QPagedPaintDevice;
class QPainter;

namespace vk {

class TProject;

enum class TPrintWhat {
    // "Контур участка и плитки"
    BorderAndTiles,
    // "Только контур участка"
    BorderOnly,
    // "Выделенную область участка": the print rectangle.
    PrintRegion,
};

struct TPrintOptions {
    TPrintWhat What = TPrintWhat::BorderAndTiles;
    // "Отчет и комментарий"
    bool Report = true;
    // 1:Scale; 0 fits the plan into one page.
    int Scale = 0;
};

// The scales offered besides fitting into the page.
inline constexpr int kPrintScales[] = {20, 50, 100, 200, 500};

// "1:50" (or "50") as 50; none for anything else.
[[nodiscard]] std::optional<int> ParseScale(const QString& text);

struct TPrintResult {
    // Empty when printed; else why nothing was printed, in the user's words.
    QString Error;
    int Pages = 0;
    // The scale the plan was printed at (1:Scale).
    double Scale = 0.0;
    [[nodiscard]] bool Ok() const { return Error.isEmpty(); }
};

// What the plan covers, world millimetres; none when there is nothing to
// print (the error says what is missing).
[[nodiscard]] std::optional<QRectF> PrintArea(TProject& project, TPrintWhat what, QString* error = nullptr);

// Prints onto `device` with `painter` already begun on it; the first page is
// the current one, further pages are added.
TPrintResult PrintProject(QPainter& painter, QPagedPaintDevice& device, TProject& project,
                          const TPrintOptions& options);

// Pages of text: a title, then the lines, wrapped and continued on new pages
// as they need. `newPage` starts on a fresh page (something was printed
// before). The materials list and the report share it.
void PrintTextPages(QPainter& painter, QPagedPaintDevice& device, const QString& title, const QStringList& lines,
                    bool newPage);

// The report's lines and the project's comment, as the report page prints them.
[[nodiscard]] QStringList ReportAndCommentLines(TProject& project);

// The printed pages as a PDF file (A4). An error names the file when it
// cannot be written.
TPrintResult WritePdf(const QString& fileName, TProject& project, const TPrintOptions& options);

} // namespace vk
