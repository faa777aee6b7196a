#include "app/PrintOptions.h"

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

    btnOk = new QPushButton(QStringLiteral("OK"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setAutoDefault(false);
    btnHelp = new QPushButton(QStringLiteral("Помощь"), this);
    btnHelp->setObjectName(QStringLiteral("btnHelp"));
    btnHelp->setAutoDefault(false);
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnHelp, &QPushButton::clicked, this, [] { ShowHelp(HelpContext); });
    connect(btnSelectRegion, &QPushButton::clicked, this, [this] { done(Yes); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    buttons->addWidget(btnHelp);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(gbWhat);
    layout->addWidget(cbReport);
    layout->addLayout(scaleRow);
    layout->addStretch(1);
    layout->addLayout(buttons);
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
