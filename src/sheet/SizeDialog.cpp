#include "sheet/SizeDialog.h"

#include "geometry/Limits.h"
#include "geometry/NumberFormat.h"
#include "ui/UserInterface.h"
#include "sheet/SheetGeometry.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vk {

namespace {
QString show5(float v) { return trimZeros(formatFixed(v, 5)); }

QLineEdit* numberField(QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setAlignment(Qt::AlignRight);
    edit->setMinimumWidth(120);
    return edit;
}

// The sheet keeps its size in millimetres whatever unit it shows: the
// fields say so.
QWidget* withUnit(QLineEdit* edit, QWidget* parent) {
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(edit, 1);
    auto* unit = new QLabel(QStringLiteral("мм"), row);
    unit->setObjectName(QStringLiteral("unit"));
    unit->setBuddy(edit);
    layout->addWidget(unit);
    return row;
}
} // namespace

TSizeDialog::TSizeDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Размеры и оси кординат"));
    auto* sizes = new QGroupBox(QStringLiteral(" Размеры "), this);
    auto* sizesForm = new QFormLayout(sizes);
    edSizeX = numberField(sizes);
    edSizeY = numberField(sizes);
    sizesForm->addRow(QStringLiteral("Ширина"), withUnit(edSizeX, sizes));
    sizesForm->addRow(QStringLiteral("Высота"), withUnit(edSizeY, sizes));

    auto* axes = new QGroupBox(QStringLiteral(" Оси координат "), this);
    auto* axesForm = new QFormLayout(axes);
    edPositiveX = numberField(axes);
    edPositiveY = numberField(axes);
    axesForm->addRow(QStringLiteral("X"), withUnit(edPositiveX, axes));
    axesForm->addRow(QStringLiteral("Y"), withUnit(edPositiveY, axes));

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &TSizeDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TSizeDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(sizes);
    layout->addWidget(axes);
    layout->addWidget(buttons);
}

void TSizeDialog::SetValues(float sizeX, float sizeY, float positiveX, float positiveY) {
    edSizeX->setText(show5(sizeX));
    edSizeY->setText(show5(sizeY));
    edPositiveX->setText(show5(positiveX));
    edPositiveY->setText(show5(positiveY));
}

TSizeDialog::Values TSizeDialog::GetValues() const {
    const auto read = [](const QLineEdit* e) { return float(parseNumber(e->text()).value_or(0.0)); };
    return {read(edSizeX), read(edSizeY), read(edPositiveX), read(edPositiveY)};
}

void TSizeDialog::accept() {
    const struct {
        QLineEdit* edit;
        const char* name;
    } fields[] = {{edSizeX, "Ширина"}, {edSizeY, "Высота"}, {edPositiveX, "X"}, {edPositiveY, "Y"}};
    for (const auto& f : fields) {
        const std::optional<double> value = parseNumber(f.edit->text());
        if (!value) {
            ui().warning(QStringLiteral("В поле \"%1\" должно быть число.").arg(QString::fromUtf8(f.name)));
            f.edit->setFocus();
            return;
        }
        if (!IsCoordinateInRange(*value)) {
            ui().warning(CoordinateRangeProblem(QStringLiteral("Лист, поле \"%1\"").arg(QString::fromUtf8(f.name))));
            f.edit->setFocus();
            return;
        }
    }
    const Values v = GetValues();
    if (!(v.sizeX > 0 && v.sizeY > 0)) {
        ui().warning(QStringLiteral("Ширина и высота листа должны быть больше нуля."));
        return;
    }
    if (!TSheetGeometry::IsValidGeometry(v.sizeX, v.sizeY, v.positiveX, v.positiveY)) {
        ui().warning(QStringLiteral("Оси координат должны лежать на листе: X больше нуля и не "
                                    "больше ширины, Y больше нуля и не больше высоты."));
        return;
    }
    QDialog::accept();
}

} // namespace vk
