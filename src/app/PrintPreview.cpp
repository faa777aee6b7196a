#include "app/PrintPreview.h"

#include "model/Project.h"
#include "ui/UserInterface.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTextDocument>

namespace vk {

void ShowPrintPreview(QWidget* parent, const QString& caption,
                      const std::function<void(QPainter&, QPagedPaintDevice&)>& paint) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    QPrintPreviewDialog preview(&printer, parent);
    preview.setObjectName(QStringLiteral("PrintPreview"));
    preview.setWindowTitle(caption);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&paint](QPrinter* device) {
        QPainter painter(device);
        paint(painter, *device);
    });
    preview.exec();
}

bool PreviewProject(QWidget* parent, TProject& project, const TPrintOptions& options) {
    QString problem;
    if (!PrintArea(project, options.What, &problem)) {
        ui().warning(problem);
        return false;
    }
    ShowPrintPreview(parent, QStringLiteral("Печать проекта"), [&](QPainter& painter, QPagedPaintDevice& device) {
        const TPrintResult result = PrintProject(painter, device, project, options);
        if (!result.Ok()) {
            // The page setup changed under the preview (a page too small).
            PrintTextPages(painter, device, QStringLiteral("Печать невозможна"), {result.Error}, false);
        }
    });
    return true;
}

void PreviewText(QWidget* parent, const QString& title, const QStringList& lines) {
    ShowPrintPreview(parent, title, [&](QPainter& painter, QPagedPaintDevice& device) {
        PrintTextPages(painter, device, title, lines, false);
    });
}

void PreviewHtml(QWidget* parent, const QString& title, const QString& html) {
    ShowPrintPreview(parent, title, [&](QPainter& painter, QPagedPaintDevice& device) {
        QTextDocument document;
        // Laid out for the printer's resolution, so that point sizes are
        // the paper's.
        document.documentLayout()->setPaintDevice(&device);
        document.setHtml(html);
        const QSizeF page(device.width(), device.height());
        document.setPageSize(page);
        for (int i = 0; i < document.pageCount(); ++i) {
            if (i > 0) {
                device.newPage();
            }
            painter.save();
            painter.translate(0, -i * page.height());
            document.drawContents(&painter, QRectF(QPointF(0, i * page.height()), page));
            painter.restore();
        }
    });
}

} // namespace vk
