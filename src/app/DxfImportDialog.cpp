#include "app/DxfImportDialog.h"

#include "commands/ElementCommands.h"
#include "geometry/GraphicPrimitive.h"
#include "geometry/NumberFormat.h"
#include "geometry/ShapeDocument.h"
#include "ui/UserInterface.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QUndoStack>
#include <QVBoxLayout>

namespace vk {

using namespace Qt::Literals::StringLiterals;

TfrmDxfImport::TfrmDxfImport(const TDxfDrawing& drawing, bool withMode, QWidget* parent)
    : QDialog(parent), m_drawing(drawing) {
    setWindowTitle(u"Импорт из DXF"_s);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(u"Файл: %1"_s.arg(QFileInfo(drawing.Path()).fileName()), this));
    layout->addWidget(new QLabel(u"Слои (число элементов):"_s, this));
    Layers = new QListWidget(this);
    Layers->setObjectName(u"Layers"_s);
    const QStringList suggested = drawing.SuggestedLayers();
    for (const TDxfLayer& layer : drawing.Layers()) {
        auto* item = new QListWidgetItem(u"%1 (%2)"_s.arg(layer.Name).arg(layer.Usable), Layers);
        item->setData(Qt::UserRole, layer.Name);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(suggested.contains(layer.Name) ? Qt::Checked : Qt::Unchecked);
    }
    layout->addWidget(Layers);

    auto* form = new QFormLayout;
    Units = new QComboBox(this);
    Units->setObjectName(u"Units"_s);
    for (const TDxfUnit unit : kDxfUnits) {
        Units->addItem(DxfUnitName(unit), int(unit));
    }
    Units->setCurrentIndex(Units->findData(int(drawing.Unit().value_or(TDxfUnit::Millimetre))));
    form->addRow(u"Единица чертежа:"_s, Units);
    Size = new QLabel(this);
    Size->setObjectName(u"Size"_s);
    form->addRow(u"Размер:"_s, Size);
    layout->addLayout(form);
    Skipped = new QLabel(u"Пропущено элементов: %1"_s.arg(drawing.Skipped()), this);
    Skipped->setObjectName(u"Skipped"_s);
    layout->addWidget(Skipped);
    if (withMode) {
        Replace = new QRadioButton(u"Заменить участок"_s, this);
        Add = new QRadioButton(u"Добавить к участку"_s, this);
        Replace->setChecked(true);
        layout->addWidget(Replace);
        layout->addWidget(Add);
    }
    Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    Buttons->button(QDialogButtonBox::Cancel)->setText(u"Отмена"_s);
    connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(Buttons);
    connect(Layers, &QListWidget::itemChanged, this, &TfrmDxfImport::update);
    connect(Units, &QComboBox::currentIndexChanged, this, &TfrmDxfImport::update);
    update();
}

TDxfChoice TfrmDxfImport::Choice() const {
    TDxfChoice choice;
    for (int i = 0; i < Layers->count(); ++i) {
        if (Layers->item(i)->checkState() == Qt::Checked) {
            choice.Layers << Layers->item(i)->data(Qt::UserRole).toString();
        }
    }
    choice.Unit = TDxfUnit(Units->currentData().toInt());
    choice.Replace = Replace == nullptr || Replace->isChecked();
    return choice;
}

QString TfrmDxfImport::SizeText() const {
    const TDxfChoice choice = Choice();
    const QRectF bounds = m_drawing.Bounds(choice.Layers);
    if (choice.Layers.isEmpty() || bounds.isNull()) {
        return u"—"_s;
    }
    const double metres = MillimetresPer(choice.Unit) / 1000.0;
    return u"%1 x %2 м"_s.arg(formatFixed(bounds.width() * metres, 2), formatFixed(bounds.height() * metres, 2));
}

void TfrmDxfImport::update() {
    Size->setText(SizeText());
    Buttons->button(QDialogButtonBox::Ok)->setEnabled(!Choice().Layers.isEmpty());
}

std::optional<std::pair<TDxfDrawing, TDxfChoice>> AskDxfImport(QWidget* parent, bool withMode,
                                                               const QString& caption) {
    const std::optional<QString> file =
        ui().openFileName(caption, QString(), u"Чертежи DXF (*.dxf)|*.dxf;*.DXF|Все файлы (*.*)|*.*"_s);
    if (!file || file->isEmpty()) {
        return std::nullopt;
    }
    TDxfDrawing drawing = TDxfDrawing::Read(*file);
    if (!drawing.Error().isEmpty()) {
        ui().error(drawing.Error());
        return std::nullopt;
    }
    TDxfChoice choice;
    {
        TfrmDxfImport dialog(drawing, withMode, parent);
        if (dialog.exec() != QDialog::Accepted) {
            return std::nullopt;
        }
        choice = dialog.Choice();
    }
    const QString problem = drawing.ProblemWith(choice.Layers);
    if (!problem.isEmpty()) {
        ui().error(problem);
        return std::nullopt;
    }
    return std::make_pair(std::move(drawing), choice);
}

int ApplyDxfImport(T_TnC_Ancestor& document, const TDxfDrawing& drawing, const TDxfChoice& choice,
                   const QString& text) {
    QUndoStack& history = document.History();
    history.beginMacro(text);
    TElementList& list = document.Elements();
    if (choice.Replace && list.Count() > 0) {
        std::vector<std::uint32_t> handles;
        for (int i = 0; i < list.Count(); ++i) {
            handles.push_back(list.Items(i)->Handle());
        }
        history.push(new TDeleteElementsCommand(document, list, std::move(handles), text));
    }
    // Made once the old ones are gone: their removal may have taken the
    // base point the local coordinates are reckoned from.
    int added = 0;
    for (auto& element : drawing.Elements(choice.Layers, choice.Unit, &document)) {
        const FlaggedPoint base = document.BasePoint;
        history.push(new TAddElementCommand(document, list, std::move(element), base, text));
        ++added;
    }
    history.endMacro();
    return added;
}

} // namespace vk
