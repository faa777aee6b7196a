#include "app/MaterialsWindow.h"

#include "app/HelpViewer.h"
#include "app/PrintPreview.h"
#include "geometry/NumberFormat.h"
#include "model/Config.h"
#include "model/Project.h"
#include "model/Tile.h"
#include "ui/AskSaveFile.h"
#include "ui/UserInterface.h"

#include <QApplication>
#include <QClipboard>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QKeyEvent>
#include <QSortFilterProxyModel>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

#include <map>

namespace vk {

namespace {

constexpr int kSortRole = Qt::UserRole;
constexpr int kTotalRole = Qt::UserRole + 1;

// Sorting moves the colour lines; the totals line stays last either way.
class TTotalsLastProxy final : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override {
        const bool leftTotal = isTotal(left);
        const bool rightTotal = isTotal(right);
        if (leftTotal != rightTotal) {
            return sortOrder() == Qt::AscendingOrder ? rightTotal : leftTotal;
        }
        return QSortFilterProxyModel::lessThan(left, right);
    }

private:
    bool isTotal(const QModelIndex& index) const {
        return sourceModel()->index(index.row(), 0).data(kTotalRole).toBool();
    }
};

QPixmap swatch(std::uint32_t argb) {
    QPixmap square(16, 16);
    square.fill(QColor::fromRgba(argb));
    // A thin frame keeps light colours (the default grey) visible.
    QPainter frame(&square);
    frame.setPen(QColor(128, 128, 128));
    frame.drawRect(0, 0, 15, 15);
    return square;
}

QList<QStandardItem*> rowItems(const TMaterialsLine& line, bool total) {
    const QStringList texts = MaterialsRow(line, total);
    const QVariant sortKeys[] = {QVariant(total ? 0u : line.Argb), line.Whole, line.ForHalves, line.Tiles,
                                 line.WithWaste, line.AreaM2, line.Packs ? QVariant(*line.Packs) : QVariant(0)};
    QList<QStandardItem*> items;
    for (int c = 0; c < texts.size(); ++c) {
        auto* item = new QStandardItem(texts.at(c));
        item->setEditable(false);
        item->setData(sortKeys[c], kSortRole);
        if (c > 0) {
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        }
        if (total) {
            QFont bold = item->font();
            bold.setBold(true);
            item->setFont(bold);
        }
        items << item;
    }
    items.first()->setData(total, kTotalRole);
    if (!total) {
        items.first()->setData(swatch(line.Argb), Qt::DecorationRole);
    }
    return items;
}

QString number(double value, int decimals) { return trimZeros(formatFixed(value, decimals)); }

} // namespace

QString MaterialsTileLine(const TProject& project, const TMaterials& materials) {
    const TTile* tile = project.Tile();
    if (tile == nullptr) {
        return QStringLiteral("Плитка не выбрана");
    }
    return QStringLiteral("Плитка \"%1\", толщина %2 мм, площадь %3 кв.м.")
        .arg(tile->Name(), number(tile->Thickness(), 1), number(materials.TileAreaM2, 4));
}

QString MaterialsHtml(const TMaterials& materials, const QString& tileLine) {
    QString html = QStringLiteral("<h2>%1</h2><p>%2<br>").arg(TfrmMaterials::Caption, tileLine.toHtmlEscaped());
    html += QStringLiteral("Запас, %: %1; плиток в упаковке: %2</p>")
                .arg(number(materials.WastePercent, 1),
                     materials.Pack > 0 ? QString::number(materials.Pack) : QStringLiteral("не задано"));
    html += QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"4\"><tr>");
    for (const QString& heading : MaterialsHeadings()) {
        html += QStringLiteral("<th>%1</th>").arg(heading.toHtmlEscaped());
    }
    html += QStringLiteral("</tr>");
    const auto row = [&html](const TMaterialsLine& line, bool total) {
        const QStringList cells = MaterialsRow(line, total);
        html += QStringLiteral("<tr>");
        for (int c = 0; c < cells.size(); ++c) {
            QString cell = cells.at(c).toHtmlEscaped();
            if (c == 0 && !total) {
                // A block of the colour beside its code.
                cell = QStringLiteral("<span style=\"background-color:%1\">&nbsp;&nbsp;&nbsp;&nbsp;</span> %2")
                           .arg(QColor::fromRgba(line.Argb).name(QColor::HexRgb), cell);
            }
            html += QString::fromLatin1(total ? "<th align=\"%1\">%2</th>" : "<td align=\"%1\">%2</td>")
                        .arg(c == 0 ? QStringLiteral("left") : QStringLiteral("right"), cell);
        }
        html += QStringLiteral("</tr>");
    };
    for (const TMaterialsLine& line : materials.Colours) {
        row(line, false);
    }
    row(materials.Total, true);
    return html + QStringLiteral("</table>");
}

TfrmMaterials::TfrmMaterials(const TProject& project, QWidget* parent)
    : QDialog(parent), Printer(PreviewHtml), m_project(project) {
    setObjectName(QStringLiteral("frmMaterials"));
    setWindowTitle(Caption);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setSizeGripEnabled(true);
    SetHelpContextOf(*this, HelpContext);

    lblTile = new QLabel(this);
    lblTile->setObjectName(QStringLiteral("lblTile"));

    QSettings settings = ProgramSettings();
    edWaste = new QDoubleSpinBox(this);
    edWaste->setObjectName(QStringLiteral("edWaste"));
    edWaste->setRange(0, 100);
    edWaste->setDecimals(1);
    edWaste->setValue(settings.value(WasteKey, 5.0).toDouble());
    edPack = new QSpinBox(this);
    edPack->setObjectName(QStringLiteral("edPack"));
    edPack->setRange(0, 1000000);
    // 0 is no pack size: the packs column stays empty.
    edPack->setSpecialValueText(QStringLiteral("не задано"));
    edPack->setValue(settings.value(PackKey, 0).toInt());

    auto* inputs = new QFormLayout;
    inputs->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    inputs->addRow(QStringLiteral("Запас, %"), edWaste);
    inputs->addRow(QStringLiteral("Плиток в упаковке"), edPack);

    Model = new QStandardItemModel(this);
    Sorted = new TTotalsLastProxy(this);
    Sorted->setSourceModel(Model);
    Sorted->setSortRole(kSortRole);
    Table = new QTableView(this);
    Table->setObjectName(QStringLiteral("Table"));
    Table->setModel(Sorted);
    Table->setSortingEnabled(true);
    Table->sortByColumn(-1, Qt::AscendingOrder);
    Table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    Table->verticalHeader()->hide();
    Table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    // The view's own Ctrl+C copies one cell; the window copies the selection.
    Table->installEventFilter(this);

    const auto button = [this](const QString& caption, const char* name) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    btnCopy = button(QStringLiteral("Копировать"), "btnCopy");
    btnSaveCsv = button(QStringLiteral("Сохранить CSV..."), "btnSaveCsv");
    btnPrint = button(QStringLiteral("Печать"), "btnPrint");
    btnHelp = button(QStringLiteral("Помощь"), "btnHelp");
    btnClose = button(QStringLiteral("Закрыть"), "btnClose");
    btnClose->setDefault(true);
    connect(btnCopy, &QPushButton::clicked, this, &TfrmMaterials::CopyTable);
    connect(btnSaveCsv, &QPushButton::clicked, this, &TfrmMaterials::SaveCsv);
    connect(btnPrint, &QPushButton::clicked, this, &TfrmMaterials::Print);
    connect(btnHelp, &QPushButton::clicked, this, [] { ShowHelp(HelpContext); });
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnCopy);
    buttons->addWidget(btnSaveCsv);
    buttons->addWidget(btnPrint);
    buttons->addStretch(1);
    buttons->addWidget(btnHelp);
    buttons->addWidget(btnClose);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblTile);
    layout->addLayout(inputs);
    layout->addWidget(Table, 1);
    layout->addLayout(buttons);

    // Every change of an input recomputes the table and is remembered.
    connect(edWaste, &QDoubleSpinBox::valueChanged, this, [this](double value) {
        ProgramSettings().setValue(WasteKey, value);
        recompute();
    });
    connect(edPack, &QSpinBox::valueChanged, this, [this](int value) {
        ProgramSettings().setValue(PackKey, value);
        recompute();
    });
    recompute();
    resize(760, 360);
}

bool TfrmMaterials::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Table && (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        if (event->type() == QEvent::KeyPress) {
            CopySelection();
        }
        event->accept();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmMaterials::recompute() {
    m_materials = ComputeMaterials(m_project, edWaste->value(), edPack->value());
    lblTile->setText(MaterialsTileLine(m_project, m_materials));
    fillTable();
}

void TfrmMaterials::fillTable() {
    Model->clear();
    Model->setHorizontalHeaderLabels(MaterialsHeadings());
    for (const TMaterialsLine& line : m_materials.Colours) {
        Model->appendRow(rowItems(line, false));
    }
    Model->appendRow(rowItems(m_materials.Total, true));
}

void TfrmMaterials::CopyTable() {
    QApplication::clipboard()->setText(MaterialsText(m_materials, QLatin1Char('\t')));
}

void TfrmMaterials::CopySelection() {
    const QModelIndexList selected = Table->selectionModel()->selectedIndexes();
    if (selected.isEmpty()) {
        CopyTable();
        return;
    }
    // In the order the table shows them.
    std::map<int, std::map<int, QString>> rows;
    for (const QModelIndex& index : selected) {
        const int column = Table->horizontalHeader()->visualIndex(index.column());
        rows[index.row()][column] = index.data().toString();
    }
    QString text;
    for (const auto& [row, cells] : rows) {
        QStringList line;
        for (const auto& [column, cell] : cells) {
            line << cell;
        }
        text += line.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    QApplication::clipboard()->setText(text);
}

bool TfrmMaterials::SaveCsv() {
    const QString filter = QStringLiteral("Таблицы CSV (*.csv)|*.csv|Все файлы (*.*)|*.*");
    const QString folder = m_project.FileName.isEmpty() ? ProjectsFolder() : QFileInfo(m_project.FileName).absolutePath();
    const QString base =
        m_project.FileName.isEmpty() ? m_project.Name() : QFileInfo(m_project.FileName).completeBaseName();
    const QString suggested = (base.isEmpty() ? Caption : base + QStringLiteral(" - ") + Caption) + QStringLiteral(".csv");
    const std::optional<QString> path = 
        AskSaveFile(QStringLiteral("Сохранить CSV"), folder, filter, suggested, QStringLiteral("csv"));
    if (!path) {
        return false;
    }
    if (const QString problem = SaveMaterialsCsv(m_materials, *path); !problem.isEmpty()) {
        ui().error(problem);
        return false;
    }
    return true;
}

void TfrmMaterials::Print() {
    if (Printer) {
        Printer(this, Caption, MaterialsHtml(m_materials, MaterialsTileLine(m_project, m_materials)));
    }
}

void ShowMaterials(const TProject& project, QWidget* parent) {
    TfrmMaterials window(project, parent);
    window.exec();
}

} // namespace vk
