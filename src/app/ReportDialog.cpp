#include "app/ReportDialog.h"

#include "model/Project.h"

#include <QLabel>
#include <QPushButton>

namespace vk {

TReportDialog::TReportDialog(const TReport& report, QWidget* parent) : QDialog(parent) {
    setWindowTitle(TReport::Caption);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    for (const TReportSwatch& swatch : report.Swatches) {
        auto* square = new QLabel(this);
        square->setObjectName(QStringLiteral("swatch"));
        square->setGeometry(swatch.Left, swatch.Top, swatch.Size, swatch.Size);
        square->setAutoFillBackground(true);
        QPalette palette = square->palette();
        palette.setColor(QPalette::Window, QColor::fromRgba(swatch.Color));
        square->setPalette(palette);
    }
    for (const TReportLabel& text : report.Labels) {
        auto* label = new QLabel(text.Text, this);
        label->move(text.Left, text.Top);
        label->adjustSize();
        if (text.Grey) {
            QPalette palette = label->palette();
            palette.setColor(QPalette::WindowText, QColor(128, 128, 128));
            label->setPalette(palette);
        }
    }
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(TReport::ButtonLeft(ButtonWidth), report.ButtonTop, ButtonWidth, ButtonHeight);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    setFixedSize(TReport::Width, report.Height);
}

void ShowReport(TProject& project, QWidget* parent) {
    TReportDialog dialog(project.Report(), parent);
    dialog.exec();
}

} // namespace vk
