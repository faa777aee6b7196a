#include "app/PrintOptions.h"

#include "app/DialogButtons.h"
#include "app/HelpViewer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vk {

TfrmPrintOptions::TfrmPrintOptions(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmPrintOptions"));
    setWindowTitle(QStringLiteral("Опции печати"));
    SetHelpContextOf(*this, HelpContext);

    gbWhat = new QGroupBox(QStringLiteral(" Что печатать "), this);
    gbWhat->setObjectName(QStringLiteral("gbWhat"));
    rbTilesAndBorder = new QRadioButton(QStringLiteral("Контур участка и плитки"), gbWhat);
    rbTilesAndBorder->setObjectName(QStringLiteral("rbTilesAndBorder"));
    rbBorderOnly = new QRadioButton(QStringLiteral("Только контур участка"), gbWhat);
    rbBorderOnly->setObjectName(QStringLiteral("rbBorderOnly"));
    rbRegion = new QRadioButton(QStringLiteral("Выделенную область участка"), gbWhat);
    rbRegion->setObjectName(QStringLiteral("rbRegion"));
    rbTilesAndBorder->setChecked(true);
    btnSelectRegion = new QPushButton(QStringLiteral("Выделить область"), gbWhat);
    btnSelectRegion->setObjectName(QStringLiteral("btnSelectRegion"));
    btnSelectRegion->setAutoDefault(false);
    auto* what = new QVBoxLayout(gbWhat);
    what->addWidget(rbTilesAndBorder);
    what->addWidget(rbBorderOnly);
    auto* region = new QHBoxLayout;
    region->addWidget(rbRegion);
    region->addStretch(1);
    region->addWidget(btnSelectRegion);
    what->addLayout(region);

    cbReport = new QCheckBox(QStringLiteral("Отчет и комментарий"), this);
    cbReport->setObjectName(QStringLiteral("cbReport"));
    cbReport->setChecked(true);

    cbScale = new QComboBox(this);
    cbScale->setObjectName(QStringLiteral("cbScale"));
    cbScale->addItem(QStringLiteral("Вписать в страницу"), 0);
    for (const int scale : kPrintScales) {
        cbScale->addItem(QStringLiteral("1:%1").arg(scale), scale);
    }
    auto* scaleRow = new QFormLayout;
    scaleRow->addRow(QStringLiteral("Масштаб:"), cbScale);

    const TDialogButtons row = MakeDialogButtons(this, [] { ShowHelp(HelpContext); });
    btnOk = row.Ok;
    btnCancel = row.Cancel;
    btnHelp = row.Help;
    connect(btnSelectRegion, &QPushButton::clicked, this, [this] { done(Yes); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(gbWhat);
    layout->addWidget(cbReport);
    layout->addLayout(scaleRow);
    layout->addStretch(1);
    layout->addLayout(row.Row);
    setFixedSize(sizeHint());
}

TPrintOptions TfrmPrintOptions::Options() const {
    TPrintOptions options;
    options.What = rbBorderOnly->isChecked() ? TPrintWhat::BorderOnly
                   : rbRegion->isChecked()   ? TPrintWhat::PrintRegion
                                             : TPrintWhat::BorderAndTiles;
    options.Report = cbReport->isChecked();
    options.Scale = cbScale->currentData().toInt();
    return options;
}

void TfrmPrintOptions::SetOptions(const TPrintOptions& options) {
    (options.What == TPrintWhat::BorderOnly  ? rbBorderOnly
     : options.What == TPrintWhat::PrintRegion ? rbRegion
                                               : rbTilesAndBorder)
        ->setChecked(true);
    cbReport->setChecked(options.Report);
    const int index = cbScale->findData(options.Scale);
    cbScale->setCurrentIndex(index >= 0 ? index : 0);
}

} // namespace vk
