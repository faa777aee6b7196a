#include "editors/SelectTile.h"

#include "geometry/ShapePath.h"
#include "ui/UserInterface.h"
#include "sheet/PlanSheet.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace vk {

TfrmSelectTile::TfrmSelectTile(QWidget* owner, std::vector<TPickRow> rows, TTile* tile,
                               const QString& caption)
    : QDialog(owner), m_rows(std::move(rows)), m_tile(tile) {
    setObjectName(QStringLiteral("frmSelectTile"));
    setWindowTitle(caption);
    std::stable_sort(m_rows.begin(), m_rows.end(), [](const TPickRow& a, const TPickRow& b) {
        return QString::compare(a.Name, b.Name, Qt::CaseInsensitive) < 0;
    });

    m_left = new QWidget(this);
    m_left->setMinimumWidth(LeftPanelWidth);
    dbgTiles = new QTableWidget(int(m_rows.size()), 1, m_left);
    dbgTiles->setObjectName(QStringLiteral("dbgTiles"));
    dbgTiles->setHorizontalHeaderLabels({QStringLiteral("Название")});
    dbgTiles->horizontalHeader()->setStretchLastSection(true);
    dbgTiles->verticalHeader()->setVisible(false);
    dbgTiles->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dbgTiles->setSelectionBehavior(QAbstractItemView::SelectRows);
    dbgTiles->setSelectionMode(QAbstractItemView::SingleSelection);
    dbgTiles->setShowGrid(true);
    for (int i = 0; i < int(m_rows.size()); ++i) {
        dbgTiles->setItem(i, 0, new QTableWidgetItem(m_rows[std::size_t(i)].Name));
    }
    if (!m_rows.empty()) {
        dbgTiles->setCurrentCell(0, 0);
    }
    connect(dbgTiles, &QTableWidget::cellDoubleClicked, this, [this] { Pick(); });
    connect(dbgTiles, &QTableWidget::currentCellChanged, this, [this] { showCurrent(); });

    btOk = new QPushButton(QStringLiteral("OK"), m_left);
    btOk->setObjectName(QStringLiteral("btOk"));
    btOk->setDefault(true);
    btCancel = new QPushButton(QStringLiteral("Cancel"), m_left);
    btCancel->setObjectName(QStringLiteral("btCancel"));
    cbPreview = new QCheckBox(QStringLiteral("Предпросмотр"), m_left);
    cbPreview->setObjectName(QStringLiteral("cbPreview"));
    connect(btOk, &QPushButton::clicked, this, &TfrmSelectTile::Pick);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(cbPreview, &QCheckBox::toggled, this, &TfrmSelectTile::SetPreview);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btOk);
    buttons->addWidget(btCancel);
    buttons->addWidget(cbPreview);
    buttons->addStretch(1);
    auto* leftLayout = new QVBoxLayout(m_left);
    leftLayout->addWidget(dbgTiles, 1);
    leftLayout->addLayout(buttons);

    SelPlanSheet = new TPlanSheet(this);
    SelPlanSheet->setObjectName(QStringLiteral("SelPlanSheet"));
    SelPlanSheet->SetGeometry(400, 400, 200, 200);
    SelPlanSheet->SetScale(1.0);
    SelPlanSheet->OnPSPaint = [this](QPainter& g) {
        if (m_preview) {
            m_preview->Draw(g, *SelPlanSheet, false, &SelPlanSheet->Palette().BlackPen);
        }
    };
    SelPlanSheet->hide();
    // The splitter and the window size the sheet after the document came:
    // it is fitted again whenever its size settles.
    SelPlanSheet->installEventFilter(this);

    m_splitter = new QSplitter(this);
    m_splitter->addWidget(m_left);
    m_splitter->addWidget(SelPlanSheet);
    m_splitter->setChildrenCollapsible(false);
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_splitter);
    resize(LeftPanelWidth, 360);
}

TfrmSelectTile::~TfrmSelectTile() {
    SelPlanSheet->OnPSPaint = nullptr;
    m_preview.reset();
}

int TfrmSelectTile::CurrentId() const {
    const int row = dbgTiles->currentRow();
    return row >= 0 && row < int(m_rows.size()) ? m_rows[std::size_t(row)].ID : -1;
}

void TfrmSelectTile::Pick() {
    if (m_rows.empty() || dbgTiles->currentRow() < 0) {
        ui().message(TMessageKind::Information, QStringLiteral("Ничего не выбрано!"), TButtons::Ok);
        return;
    }
    PickResult = CurrentId();
    accept();
}

void TfrmSelectTile::SetPreview(bool on) {
    if (on) {
        SelPlanSheet->show();
        resize(LeftPanelWidth + PreviewWidth, std::max(height(), 420));
        m_splitter->setSizes({LeftPanelWidth, PreviewWidth});
        showCurrent();
    } else {
        SelPlanSheet->hide();
        m_preview.reset();
        resize(LeftPanelWidth, height());
    }
    centreOnOwner();
}

void TfrmSelectTile::showCurrent() {
    if (!cbPreview->isChecked() || !PreviewCallback) {
        return;
    }
    m_preview.reset();
    const int id = CurrentId();
    if (id != -1) {
        m_preview = PreviewCallback(id, *SelPlanSheet, m_tile);
    }
    fitPreview();
    SelPlanSheet->InvalidateView();
}

bool TfrmSelectTile::eventFilter(QObject* watched, QEvent* event) {
    if (watched == SelPlanSheet && event->type() == QEvent::Resize) {
        // After the sheet has laid out its view for the new size.
        QMetaObject::invokeMethod(this, [this] { fitPreview(); }, Qt::QueuedConnection);
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmSelectTile::fitPreview() {
    if (!m_preview || m_preview->Elements().Count() == 0) {
        return;
    }
    // The view stored with a tile or pattern was made for its editor's
    // larger window; the preview shows the whole drawing instead.
    TShapePath path;
    const TElementList& elements = m_preview->Elements();
    for (int i = 0; i < elements.Count(); ++i) {
        elements.Items(i)->AddToPath(path);
    }
    const QRectF bounds = path.Bounds();
    const QSizeF page = SelPlanSheet->ViewSizeMillimetres();
    if (bounds.isNull() || page.width() <= 0 || page.height() <= 0) {
        return;
    }
    // A margin of a tenth on every side keeps the outline off the edges.
    constexpr double kFill = 0.8;
    const double w = std::max(bounds.width(), 1.0);
    const double h = std::max(bounds.height(), 1.0);
    const double scale = std::min(page.width() * kFill / w, page.height() * kFill / h);
    SelPlanSheet->SetScale(scale);
    SelPlanSheet->CenterOn(float(bounds.center().x()), float(bounds.center().y()));
    SelPlanSheet->InvalidateView();
}

void TfrmSelectTile::centreOnOwner() {
    if (QWidget* owner = parentWidget()) {
        const QRect area = owner->geometry();
        move(area.center() - rect().center());
    }
}

} // namespace vk
