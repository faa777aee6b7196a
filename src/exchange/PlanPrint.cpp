#include "exchange/PlanPrint.h"

#include "exchange/ExportShapes.h"
#include "model/Project.h"
#include "model/Report.h"
#include "ui/DrawingSheet.h"
#include "ui/SheetPalette.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace vk {

namespace {

// Page furniture, paper millimetres.
constexpr double kHeaderMm = 9.0;
constexpr double kFooterMm = 16.0;
constexpr double kGapMm = 2.0;
constexpr double kTilePenMm = 0.12;
constexpr double kBorderPenMm = 0.35;
constexpr double kScaleBarMaxMm = 60.0;
// A plan that would take more sheets than this is refused: the user meant
// a smaller scale.
constexpr int kMaxPlanPages = 400;

// A pen `mm` paper millimetres wide where one unit is `unitMm` of paper.
// Never cosmetic: a preview draws the printer's pages scaled down, and a
// cosmetic line would keep its printer pixels on the screen.
QPen paperPen(QPen pen, double mm, double unitMm) {
    pen.setCosmetic(false);
    pen.setWidthF(mm / unitMm);
    return pen;
}

// What the project's drawing asks of a sheet, for paper: lines as wide as a
// printed line should be at the plan's scale (world millimetres per paper
// millimetre), whatever the device's resolution.
class TPaperSheet final : public TDrawingSheet {
public:
    explicit TPaperSheet(double scale) {
        const auto widen = [scale](QPen& pen, double mm) { pen = paperPen(pen, mm, 1.0 / scale); };
        widen(m_palette.BlackPen, kTilePenMm);
        widen(m_palette.DashPen, kTilePenMm);
        widen(m_palette.GreenPen, kTilePenMm);
        widen(m_palette.RedPen, kTilePenMm);
        widen(m_palette.BluePen, kTilePenMm);
        m_pick = float(0.5 * scale);
    }
    [[nodiscard]] float PickTolerance() const override { return m_pick; }
    [[nodiscard]] int UnitDivisor() const override { return 1000; }
    [[nodiscard]] QString GetUnitName() const override { return QStringLiteral("м"); }
    [[nodiscard]] const TSheetPalette& Palette() const override { return m_palette; }
    void SetElementInfo(const QString&) override {}
    void ClearElementInfo() override {}
    void ShowViewImage() override {}
    [[nodiscard]] QPainter* ViewGraphics() override { return nullptr; }
    void InvalidateView() override {}
    [[nodiscard]] QSizeF ViewSizeMillimetres() const override { return {}; }
    void SetView(const ViewRecord&) override {}

private:
    TSheetPalette m_palette;
    float m_pick = 0.1f;
};

// Device pixels per paper millimetre: the paint rectangle over its size.
double pixelsPerMm(const QPagedPaintDevice& device) {
    return device.widthMM() > 0 ? double(device.width()) / device.widthMM() : device.logicalDpiX() / 25.4;
}

QFont textFont(double points, bool bold = false, bool fixed = false) {
    QFont font(fixed ? QStringLiteral("DejaVu Sans Mono") : QStringLiteral("DejaVu Sans"));
    font.setStyleHint(fixed ? QFont::TypeWriter : QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// A length of the world as the scale bar labels it.
QString lengthText(double mm) {
    if (mm >= 1000.0) {
        return QStringLiteral("%1 м").arg(mm / 1000.0);
    }
    if (mm >= 10.0) {
        return QStringLiteral("%1 см").arg(mm / 10.0);
    }
    return QStringLiteral("%1 мм").arg(mm);
}

// The longest 1, 2 or 5 times a power of ten that fits the bar's room.
double scaleBarLength(double scale) {
    const double most = kScaleBarMaxMm * scale;
    double best = 1.0;
    for (double power = 1.0; power <= most; power *= 10.0) {
        for (const double step : {1.0, 2.0, 5.0}) {
            if (step * power <= most) {
                best = step * power;
            }
        }
    }
    return best;
}

void drawScaleBar(QPainter& painter, QPointF origin, double pxPerMm, double scale) {
    const double length = scaleBarLength(scale);
    const double width = length / scale * pxPerMm;
    const double height = 1.8 * pxPerMm;
    const int parts = 4;
    painter.setPen(paperPen(QPen(Qt::black), 0.15, 1.0 / pxPerMm));
    for (int i = 0; i < parts; ++i) {
        painter.setBrush(i % 2 == 0 ? QBrush(Qt::black) : QBrush(Qt::white));
        painter.drawRect(QRectF(origin.x() + width * i / parts, origin.y(), width / parts, height));
    }
    painter.setFont(textFont(7));
    const QFontMetricsF metrics(painter.font(), painter.device());
    const double baseline = origin.y() + height + metrics.ascent() + 0.5 * pxPerMm;
    painter.drawText(QPointF(origin.x(), baseline), QStringLiteral("0"));
    const QString end = lengthText(length);
    painter.drawText(QPointF(origin.x() + width - metrics.horizontalAdvance(end) / 2, baseline), end);
}

// Words of `line` that fit `width`, line by line.
QStringList wrapped(const QString& line, const QFont& font, const QPaintDevice& device, double width) {
    if (line.isEmpty()) {
        return {QString()};
    }
    QStringList out;
    QTextLayout layout(line, font, &device);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    for (QTextLine l = layout.createLine(); l.isValid(); l = layout.createLine()) {
        l.setLineWidth(width);
        out << line.mid(l.textStart(), l.textLength()).trimmed();
    }
    layout.endLayout();
    return out;
}

QString projectTitle(const TProject& project) {
    return project.Name().isEmpty() ? QStringLiteral("Проект без имени") : project.Name();
}

} // namespace

std::optional<int> ParseScale(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral(R"(^\s*(?:1\s*:\s*)?(\d{1,7})\s*$)"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    const int scale = match.captured(1).toInt();
    return scale >= 1 ? std::optional<int>(scale) : std::nullopt;
}

std::optional<QRectF> PrintArea(TProject& project, TPrintWhat what, QString* error) {
    const auto fail = [error](const QString& text) {
        if (error != nullptr) {
            *error = text;
        }
        return std::nullopt;
    };
    if (project.Elements().Count() == 0) {
        return fail(QStringLiteral("Участок не нарисован: печатать нечего"));
    }
    if (project.SitePath() == nullptr) {
        project.BuildSiteRegion();
    }
    if (what == TPrintWhat::PrintRegion) {
        const std::optional<QRectF> rect = project.PrintRect();
        if (!rect || rect->width() <= 0.0 || rect->height() <= 0.0) {
            return fail(QStringLiteral("Область печати не выделена. Выделите её инструментом "
                                       "\"Выделить область для печати\" и выберите печать снова."));
        }
        return rect;
    }
    const QRectF bounds = project.SitePath()->Bounds();
    if (bounds.width() <= 0.0 || bounds.height() <= 0.0) {
        return fail(QStringLiteral("Участок не нарисован: печатать нечего"));
    }
    return bounds;
}

QStringList ReportAndCommentLines(TProject& project) {
    QStringList lines = ReportText(project.Report()).split(QLatin1Char('\n'));
    while (!lines.isEmpty() && lines.last().isEmpty()) {
        lines.removeLast();
    }
    if (!project.Comment.trimmed().isEmpty()) {
        lines << QString() << QStringLiteral("Комментарий к проекту:");
        QString comment = project.Comment;
        comment.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        lines << comment.split(QLatin1Char('\n'));
    }
    return lines;
}

void PrintTextPages(QPainter& painter, QPagedPaintDevice& device, const QString& title, const QStringList& lines,
                    bool newPage) {
    const double pxPerMm = pixelsPerMm(device);
    const QFont titleFont = textFont(14, true);
    const QFont bodyFont = textFont(10, false, true);
    const QFontMetricsF titleMetrics(titleFont, &device);
    const QFontMetricsF bodyMetrics(bodyFont, &device);
    const double width = device.width();
    const double bottom = device.height();

    QStringList all;
    for (const QString& line : lines) {
        all << wrapped(line, bodyFont, device, width);
    }
    int next = 0;
    bool first = true;
    do {
        if (newPage || !first) {
            device.newPage();
        }
        painter.save();
        double y = titleMetrics.ascent();
        painter.setPen(Qt::black);
        painter.setFont(titleFont);
        painter.drawText(QPointF(0, y), first ? title : title + QStringLiteral(" (продолжение)"));
        y += titleMetrics.descent() + 4.0 * pxPerMm;
        painter.setFont(bodyFont);
        while (next < all.size() && y + bodyMetrics.height() <= bottom) {
            painter.drawText(QPointF(0, y + bodyMetrics.ascent()), all.at(next++));
            y += bodyMetrics.lineSpacing();
        }
        painter.restore();
        first = false;
    } while (next < all.size());
}

TPrintResult PrintProject(QPainter& painter, QPagedPaintDevice& device, TProject& project,
                          const TPrintOptions& options) {
    TPrintResult result;
    const std::optional<QRectF> area = PrintArea(project, options.What, &result.Error);
    if (!area) {
        return result;
    }
    const double pxPerMm = pixelsPerMm(device);
    // The plan's room on the page, device pixels.
    const QRectF room(0.0, (kHeaderMm + kGapMm) * pxPerMm, device.width(),
                      device.height() - (kHeaderMm + kFooterMm + 2 * kGapMm) * pxPerMm);
    const double roomW = room.width() / pxPerMm;  // paper millimetres
    const double roomH = room.height() / pxPerMm;
    if (roomW <= 0.0 || roomH <= 0.0) {
        result.Error = QStringLiteral("На странице не остается места для плана");
        return result;
    }
    // World millimetres per paper millimetre.
    double scale = options.Scale;
    if (scale <= 0.0) {
        scale = std::max(1.0, std::ceil(std::max(area->width() / roomW, area->height() / roomH)));
    }
    // A hair's breadth over a page is still one page.
    const int columns = std::max(1, int(std::ceil(area->width() / scale / roomW - 1e-6)));
    const int rows = std::max(1, int(std::ceil(area->height() / scale / roomH - 1e-6)));
    if (columns * rows > kMaxPlanPages) {
        result.Error = QStringLiteral("В масштабе 1:%1 план занял бы %2 листов; выберите более мелкий масштаб")
                           .arg(qlonglong(std::llround(scale)))
                           .arg(columns * rows);
        return result;
    }
    // The sheets together are centred on the plan.
    const double left = area->center().x() - columns * roomW * scale / 2.0;
    const double top = area->center().y() + rows * roomH * scale / 2.0;
    const double k = pxPerMm / scale; // device pixels per world millimetre

    TPaperSheet sheet(scale);
    const QPen tilePen = sheet.Palette().BlackPen;
    const QPen borderPen = paperPen(tilePen, kBorderPenMm, 1.0 / scale);
    const QPen framePen = paperPen(QPen(QColor(150, 150, 150)), 0.1, 1.0 / pxPerMm);

    const int pages = columns * rows;
    for (int page = 0; page < pages; ++page) {
        const int row = page / columns;
        const int column = page % columns;
        if (page > 0) {
            device.newPage();
        }
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing, true);
        // The plan.
        painter.save();
        painter.setClipRect(room);
        painter.setTransform(QTransform(k, 0.0, 0.0, -k, room.left() - (left + column * roomW * scale) * k,
                                        room.top() + (top - row * roomH * scale) * k));
        if (options.What == TPrintWhat::PrintRegion) {
            painter.setClipRect(*area, Qt::IntersectClip);
        }
        if (options.What != TPrintWhat::BorderOnly) {
            project.DrawTiles(painter, sheet, tilePen);
        }
        project.DrawElements(painter, sheet, &borderPen);
        painter.restore();
        painter.setPen(framePen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(room);

        // The header: what is printed.
        painter.setPen(Qt::black);
        painter.setFont(textFont(11, true));
        const QFontMetricsF header(painter.font(), &device);
        painter.drawText(QPointF(0.0, header.ascent()), projectTitle(project));

        // The footer: scale bar, scale, sheet number.
        const double footerTop = room.bottom() + kGapMm * pxPerMm;
        drawScaleBar(painter, QPointF(0.0, footerTop + 1.0 * pxPerMm), pxPerMm, scale);
        painter.setPen(Qt::black);
        painter.setFont(textFont(9));
        const QFontMetricsF footer(painter.font(), &device);
        QString sheetText = QStringLiteral("Лист %1 из %2").arg(page + 1).arg(pages);
        if (pages > 1) {
            sheetText += QStringLiteral(" (ряд %1, столбец %2)").arg(row + 1).arg(column + 1);
        }
        const QString scaleText = QStringLiteral("Масштаб 1:%1").arg(qlonglong(std::llround(scale)));
        const double right = device.width();
        painter.drawText(QPointF(right - footer.horizontalAdvance(scaleText), footerTop + footer.ascent()),
                         scaleText);
        painter.drawText(QPointF(right - footer.horizontalAdvance(sheetText),
                                 footerTop + footer.lineSpacing() + footer.ascent()),
                         sheetText);
        painter.restore();
    }
    result.Pages = pages;
    result.Scale = scale;
    if (options.Report) {
        PrintTextPages(painter, device, TReport::Caption, ReportAndCommentLines(project), true);
    }
    return result;
}

TPrintResult WritePdf(const QString& fileName, TProject& project, const TPrintOptions& options) {
    TPrintResult result;
    const std::optional<QRectF> area = PrintArea(project, options.What, &result.Error);
    if (!area) {
        return result;
    }
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        result.Error = WriteFailure(fileName, file.errorString());
        return result;
    }
    {
        QPdfWriter writer(&file);
        writer.setResolution(600);
        writer.setCreator(QStringLiteral("Vorkalo"));
        writer.setTitle(projectTitle(project));
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4),
                                         area->width() > area->height() ? QPageLayout::Landscape
                                                                        : QPageLayout::Portrait,
                                         QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
        QPainter painter;
        if (!painter.begin(&writer)) {
            file.cancelWriting();
            result.Error = WriteFailure(fileName, QString());
            return result;
        }
        result = PrintProject(painter, writer, project, options);
        painter.end();
    }
    if (!result.Ok()) {
        file.cancelWriting();
        return result;
    }
    if (!file.commit()) {
        result.Error = WriteFailure(fileName, file.errorString());
    }
    return result;
}

} // namespace vk
