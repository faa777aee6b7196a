#include "app/PrintText.h"

#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTextDocument>

namespace vk {

void PreviewTextDocument(QWidget* parent, const QString& title, const QString& html) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(title);
    QTextDocument document;
    document.setHtml(html);
    QPrintPreviewDialog preview(&printer, parent);
    preview.setWindowTitle(title);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&document](QPrinter* target) { document.print(target); });
    preview.exec();
}

} // namespace vk
