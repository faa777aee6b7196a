#include "app/OptimizeDialog.h"

#include "geometry/NumberFormat.h"
#include "ui/UserInterface.h"
#include "model/Project.h"

#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include <atomic>
#include <cmath>
#include <thread>

namespace vk {

namespace {

// More orientations than this would run for hours: a typing slip.
constexpr int kMaxOrientations = 721;

QString signedCount(int value) {
    if (value > 0) {
        return QStringLiteral("+%1").arg(value);
    }
    if (value < 0) {
        return QStringLiteral("−%1").arg(-value);
    }
    return QStringLiteral("0");
}

} // namespace

// One run on its own thread. The thread owns nothing of the window: it
// reads the optimizer's copies and writes the result, which the window
// reads once the thread has been joined.
struct TfrmOptimize::TRun final : public TProgress {
    std::unique_ptr<TStartOptimizer> Optimizer;
    std::thread Thread;
    std::atomic<qint64> Done{0};
    std::atomic<bool> Stop{false};
    std::atomic<bool> Finished{false};
    TOptimizeResult Result;
    int Total = 0;

    bool report(qint64 done) override {
        Done = done;
        return !Stop;
    }
    void Join() {
        if (Thread.joinable()) {
            Thread.join();
        }
    }
    ~TRun() override {
        Stop = true;
        Join();
    }
};

TfrmOptimize::TfrmOptimize(TProject& project, int unitDivisor, const QString& unitName,
                           std::function<void(const TStartCandidate&)> choose, QWidget* parent)
    : QDialog(parent), m_project(project), m_unitDivisor(std::max(1, unitDivisor)), m_unitName(unitName),
      m_choose(std::move(choose)) {
    setWindowTitle(Caption);
    setObjectName(QStringLiteral("frmOptimize"));
    SetHelpContextOf(*this, HelpContext);

    auto* angles = new QGroupBox(QStringLiteral("Ориентация кладки, градусов"), this);
    const auto angleBox = [this](double value) {
        auto* box = new QDoubleSpinBox(this);
        box->setRange(-360.0, 360.0);
        box->setDecimals(2);
        box->setValue(value);
        return box;
    };
    const double current = double(project.Orientation());
    edFrom = angleBox(current);
    edTo = angleBox(current);
    edStep = angleBox(15.0);
    edStep->setRange(0.5, 360.0);
    auto* angleRow = new QHBoxLayout(angles);
    angleRow->addWidget(new QLabel(QStringLiteral("от"), angles));
    angleRow->addWidget(edFrom);
    angleRow->addWidget(new QLabel(QStringLiteral("до"), angles));
    angleRow->addWidget(edTo);
    angleRow->addWidget(new QLabel(QStringLiteral("шаг"), angles));
    angleRow->addWidget(edStep);

    edGrid = new QSpinBox(this);
    edGrid->setRange(1, 32);
    edGrid->setValue(TStartOptimizer::DefaultGrid);
    btnRun = new QPushButton(QStringLiteral("Подобрать"), this);
    btnRun->setDefault(true);
    auto* gridRow = new QHBoxLayout;
    gridRow->addWidget(new QLabel(QStringLiteral("Сетка начальных точек, N × N:"), this));
    gridRow->addWidget(edGrid);
    gridRow->addStretch(1);
    gridRow->addWidget(btnRun);

    Progress = new QProgressBar(this);
    btnCancel = new QPushButton(QStringLiteral("Отмена"), this);
    auto* progressRow = new QHBoxLayout;
    progressRow->addWidget(Progress, 1);
    progressRow->addWidget(btnCancel);

    CurrentLabel = new QLabel(this);
    CurrentLabel->setObjectName(QStringLiteral("CurrentLabel"));
    Table = new QTableWidget(0, 5, this);
    Table->setObjectName(QStringLiteral("Table"));
    Table->setHorizontalHeaderLabels({QStringLiteral("Начальная точка, %1").arg(m_unitName),
                                      QStringLiteral("Ориентация, °"), QStringLiteral("Плиток купить"),
                                      QStringLiteral("Половинок"), QStringLiteral("Изменение")});
    Table->setSelectionBehavior(QAbstractItemView::SelectRows);
    Table->setSelectionMode(QAbstractItemView::SingleSelection);
    Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Table->verticalHeader()->setVisible(true);
    Table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    Table->horizontalHeader()->setStretchLastSection(true);
    Table->setMinimumSize(640, 190);

    btnApply = new QPushButton(QStringLiteral("Применить"), this);
    btnClose = new QPushButton(QStringLiteral("Закрыть"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnApply);
    buttons->addWidget(btnClose);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(angles);
    layout->addLayout(gridRow);
    layout->addLayout(progressRow);
    layout->addWidget(CurrentLabel);
    layout->addWidget(Table, 1);
    layout->addLayout(buttons);

    connect(btnRun, &QPushButton::clicked, this, [this] { Run(); });
    connect(btnCancel, &QPushButton::clicked, this, [this] {
        if (m_run) {
            m_run->Stop = true;
        }
    });
    connect(btnApply, &QPushButton::clicked, this, [this] { Choose(Table->currentRow()); });
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(Table, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { Choose(row); });
    m_poll.setInterval(50);
    connect(&m_poll, &QTimer::timeout, this, &TfrmOptimize::poll);
    setRunning(false);
    btnApply->setEnabled(false);
}

TfrmOptimize::~TfrmOptimize() = default;

std::vector<float> TfrmOptimize::Orientations() const {
    const double from = edFrom->value();
    const double to = edTo->value();
    const double step = edStep->value();
    std::vector<float> angles;
    if (to < from || step <= 0.0) {
        return angles;
    }
    const double count = std::floor((to - from) / step + 1e-9) + 1.0;
    if (count > kMaxOrientations) {
        return angles;
    }
    for (int k = 0; k < int(count); ++k) {
        angles.push_back(float(from + k * step));
    }
    return angles;
}

bool TfrmOptimize::Run() {
    if (IsRunning()) {
        return false;
    }
    const std::vector<float> orientations = Orientations();
    if (orientations.empty()) {
        ui().warning(QStringLiteral("Угол «до» должен быть не меньше угла «от»"));
        return false;
    }
    m_run.reset();
    auto run = std::make_unique<TRun>();
    run->Optimizer = std::make_unique<TStartOptimizer>(m_project);
    if (!run->Optimizer->IsReady()) {
        ui().warning(QStringLiteral("Нужны участок, плитка, узор и начальная точка"));
        return false;
    }
    run->Optimizer->SetGrid(edGrid->value());
    run->Optimizer->SetOrientations(orientations);
    run->Total = int(run->Optimizer->Candidates().size());
    Progress->setRange(0, run->Total);
    Progress->setValue(0);
    TRun* r = run.get();
    run->Thread = std::thread([r] {
        r->Result = r->Optimizer->Run(r);
        r->Finished = true;
    });
    m_run = std::move(run);
    setRunning(true);
    m_poll.start();
    return true;
}

bool TfrmOptimize::IsRunning() const { return m_run != nullptr && !m_run->Finished; }

void TfrmOptimize::poll() {
    if (!m_run) {
        m_poll.stop();
        return;
    }
    Progress->setValue(int(m_run->Done.load()));
    if (m_run->Finished) {
        finishRun();
    }
}

void TfrmOptimize::finishRun() {
    m_poll.stop();
    m_run->Join();
    const bool cancelled = m_run->Result.Cancelled;
    if (!cancelled) {
        m_result = std::move(m_run->Result);
    }
    m_run.reset();
    setRunning(false);
    if (!cancelled) {
        showResult();
    }
}

void TfrmOptimize::showResult() {
    const auto shown = [this](double millimetres) { return formatFixed(millimetres / m_unitDivisor, 3); };
    const auto point = [&](const TStartCandidate& c) {
        return QStringLiteral("%1; %2")
            .arg(shown(double(c.Start.X) + m_project.BasePoint.X), shown(double(c.Start.Y) + m_project.BasePoint.Y));
    };
    const TStartCandidate& current = m_result.Current;
    CurrentLabel->setText(QStringLiteral("Сейчас: плиток купить %1, половинок %2; проверено вариантов: %3")
                              .arg(current.Tiles)
                              .arg(current.Pieces)
                              .arg(m_result.Tried));
    Table->setRowCount(int(m_result.Top.size()));
    for (int row = 0; row < int(m_result.Top.size()); ++row) {
        const TStartCandidate& c = m_result.Top[std::size_t(row)];
        const QStringList cells{point(c), formatFixed(c.Orientation, 2), QString::number(c.Tiles),
                                QString::number(c.Pieces),
                                QStringLiteral("плиток %1, половинок %2")
                                    .arg(signedCount(c.Tiles - current.Tiles), signedCount(c.Pieces - current.Pieces))};
        for (int column = 0; column < cells.size(); ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            if (column >= 1 && column <= 3) {
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            }
            Table->setItem(row, column, item);
        }
    }
    if (Table->rowCount() > 0) {
        Table->selectRow(0);
    }
    btnApply->setEnabled(Table->rowCount() > 0);
}

void TfrmOptimize::setRunning(bool running) {
    for (QWidget* w : std::initializer_list<QWidget*>{edFrom, edTo, edStep, edGrid, btnRun, btnApply, Table}) {
        w->setEnabled(!running);
    }
    Progress->setVisible(running);
    btnCancel->setVisible(running);
    if (!running) {
        btnApply->setEnabled(Table->rowCount() > 0);
    }
}

void TfrmOptimize::Choose(int row) {
    if (IsRunning() || row < 0 || row >= int(m_result.Top.size())) {
        return;
    }
    const TStartCandidate chosen = m_result.Top[std::size_t(row)];
    accept();
    if (m_choose) {
        m_choose(chosen);
    }
}

void TfrmOptimize::reject() {
    // A run still going is stopped first: its thread reads copies this
    // window owns.
    if (m_run) {
        m_poll.stop();
        m_run.reset();
        setRunning(false);
    }
    QDialog::reject();
}

} // namespace vk
