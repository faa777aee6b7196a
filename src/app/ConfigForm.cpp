#include "app/ConfigForm.h"

#include "app/HelpViewer.h"

#include "ui/UserInterface.h"
#include "model/Config.h"

#include <QButtonGroup>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace vk {

namespace {
const char* const kJoinLine1 = "Две линии контура %1 считаются соединяющимися,";
const char* const kJoinLine2 = "если их концы находятся друг от друга не дальше чем";

QWidget* toleranceRow(QLineEdit*& edit, const QString& name, QWidget* parent) {
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    edit = new QLineEdit(row);
    edit->setObjectName(name);
    edit->setAlignment(Qt::AlignRight);
    edit->setMaximumWidth(80);
    edit->setValidator(new QIntValidator(edit));
    layout->addWidget(edit);
    layout->addWidget(new QLabel(QStringLiteral("мм"), row));
    layout->addStretch(1);
    return row;
}

QLabel* joinLabel(const QString& what, QWidget* parent) {
    return new QLabel(QString::fromUtf8(kJoinLine1).arg(what) + QChar('\n') +
                          QString::fromUtf8(kJoinLine2),
                      parent);
}

std::optional<int> readTolerance(const QLineEdit* edit) {
    bool ok = false;
    const int value = edit->text().trimmed().toInt(&ok);
    if (!ok || value < 1) {
        return std::nullopt;
    }
    return value;
}
} // namespace

TCfgFrm::TCfgFrm(TGlobalConfig& config, QWidget* parent) : QDialog(parent), m_config(config) {
    setWindowTitle(QStringLiteral("Параметры"));
    SetHelpContextOf(*this, HelpContext);

    Pages = new QTabWidget(this);

    auto* projectPage = new QWidget(Pages);
    auto* projectLayout = new QVBoxLayout(projectPage);
    projectLayout->addWidget(new QLabel(QStringLiteral("Размеры участка показывать в"), projectPage));
    auto* unitsBox = new QGroupBox(projectPage);
    auto* unitsLayout = new QGridLayout(unitsBox);
    rgUnits = new QButtonGroup(this);
    const QString unitNames[] = {QStringLiteral("м"), QStringLiteral("см"), QStringLiteral("мм")};
    for (int i = 0; i < 3; ++i) {
        auto* radio = new QRadioButton(unitNames[i], unitsBox);
        rgUnits->addButton(radio, i);
        unitsLayout->addWidget(radio, 0, i);
    }
    projectLayout->addWidget(unitsBox);
    auto* separator = new QFrame(projectPage);
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);
    projectLayout->addWidget(separator);
    projectLayout->addWidget(joinLabel(QStringLiteral("участка"), projectPage));
    projectLayout->addWidget(toleranceRow(edPEL, QStringLiteral("edPEL"), projectPage));
    projectLayout->addStretch(1);
    Pages->addTab(projectPage, QStringLiteral("Редактор проектов"));

    auto* tilePage = new QWidget(Pages);
    auto* tileLayout = new QVBoxLayout(tilePage);
    tileLayout->addWidget(joinLabel(QStringLiteral("плитки"), tilePage));
    tileLayout->addWidget(toleranceRow(edTEL, QStringLiteral("edTEL"), tilePage));
    tileLayout->addStretch(1);
    Pages->addTab(tilePage, QStringLiteral("Редактор плиток"));

    btnOk = new QPushButton(QStringLiteral("OK"), this);
    btnOk->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnHelp = new QPushButton(QStringLiteral("Помошь"), this);
    connect(btnOk, &QPushButton::clicked, this, &TCfgFrm::accept);
    connect(btnCancel, &QPushButton::clicked, this, &TCfgFrm::reject);
    connect(btnHelp, &QPushButton::clicked, this, [this] { emit helpRequested(HelpNumber(HelpContext)); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    buttons->addWidget(btnHelp);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Pages);
    layout->addLayout(buttons);

    // Fill from the configuration.
    edPEL->setText(QString::number(m_config.ProjectLinkTolerance));
    edTEL->setText(QString::number(m_config.TileLinkTolerance));
    const int index = UnitsToRadioIndex(m_config.DisplayUnits);
    rgUnits->button(index >= 0 ? index : 0)->setChecked(true);
    Pages->setCurrentIndex(0);
}

void TCfgFrm::accept() {
    const std::optional<int> pel = readTolerance(edPEL);
    if (!pel) {
        Pages->setCurrentIndex(0);
        edPEL->setFocus();
        ui().warning(QStringLiteral("Допуск соединения линий контура участка должен быть целым "
                                    "числом не меньше 1 мм."));
        return;
    }
    const std::optional<int> tel = readTolerance(edTEL);
    if (!tel) {
        Pages->setCurrentIndex(1);
        edTEL->setFocus();
        ui().warning(QStringLiteral("Допуск соединения линий контура плитки должен быть целым "
                                    "числом не меньше 1 мм."));
        return;
    }
    m_config.DisplayUnits = RadioIndexToUnits(rgUnits->checkedId());
    m_config.ProjectLinkTolerance = *pel;
    m_config.TileLinkTolerance = *tel;
    QDialog::accept();
}

bool TCfgFrm::EditSettings(TGlobalConfig& config, QWidget* parent) {
    TCfgFrm dialog(config, parent);
    connect(&dialog, &TCfgFrm::helpRequested, &dialog, [](int context) { ShowHelp(context); });
    return dialog.exec() == QDialog::Accepted;
}

} // namespace vk
