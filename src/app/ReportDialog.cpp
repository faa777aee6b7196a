#include "app/ReportDialog.h"

#include "model/Project.h"

#include <QLabel>
#include <QPushButton>

#include <algorithm>

namespace vk {

TReportDialog::TReportDialog(const TReport& report, QWidget* parent) : QDialog(parent) {
    setWindowTitle(TReport::Caption);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    for (const TReportSwatch& swatch : report.Swatches) {
        auto* square = new QLabel(this);
        square->setObjectName(QStringLiteral("swatch"));
        square->setGeometry(swatch.Left, swatch.Top, swatch.Size, swatch.Size);
        square->setAutoFillBackground(true);
        // A thin frame keeps light colours (the default grey) visible.
        square->setFrameShape(QFrame::Box);
        QPalette palette = square->palette();
        palette.setColor(QPalette::Window, QColor::fromRgba(swatch.Color));
        square->setPalette(palette);
    }
    // The layout's positions assume the original font; where this font is
    // wider, the dialog widens so that no number is cut off.
    int width = TReport::Width;
    for (const TReportLabel& text : report.Labels) {
        auto* label = new QLabel(text.Text, this);
        label->move(text.Left, text.Top);
        label->adjustSize();
        width = std::max(width, label->geometry().right() + 12);
        if (text.Grey) {
            QPalette palette = label->palette();
            palette.setColor(QPalette::WindowText, QColor(128, 128, 128));
            label->setPalette(palette);
        }
    }
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(TReport::ButtonLeft(ButtonWidth) + (width - TReport::Width) / 2, report.ButtonTop,
                    ButtonWidth, ButtonHeight);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    setFixedSize(width, report.Height);
}

void ShowReport(TProject& project, QWidget* parent) {
    TReportDialog dialog(project.Report(), parent);
    dialog.exec();
}

} // namespace vk
