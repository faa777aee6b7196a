#pragma once
// "Подобрать начальную точку": the orientations and the grid to try, the
// run with its progress and "Отмена", and the best five to choose from.
// The candidates are laid on another thread, so the window stays
// responsive; choosing one hands it to the main window.

#include "model/StartOptimizer.h"
#include "ui/HelpContext.h"

#include <QDialog>
#include <QTimer>

#include <functional>
#include <memory>

class QDoubleSpinBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace vk {

class TProject;

class TfrmOptimize : public QDialog {
    Q_OBJECT
public:
    static constexpr THelpContext HelpContext = THelpContext::StartPointOptimizer;
    inline static const QString Caption = QStringLiteral("Подобрать начальную точку");

    // `unitDivisor` and `unitName`: how the sheet shows coordinates
    // (millimetres per shown unit). `choose` applies a candidate.
    TfrmOptimize(TProject& project, int unitDivisor, const QString& unitName,
                 std::function<void(const TStartCandidate&)> choose, QWidget* parent = nullptr);
    ~TfrmOptimize() override;

    QDoubleSpinBox* edFrom = nullptr;
    QDoubleSpinBox* edTo = nullptr;
    QDoubleSpinBox* edStep = nullptr;
    QSpinBox* edGrid = nullptr;
    QPushButton* btnRun = nullptr;
    QPushButton* btnCancel = nullptr;
    QPushButton* btnApply = nullptr;
    QPushButton* btnClose = nullptr;
    QProgressBar* Progress = nullptr;
    QLabel* CurrentLabel = nullptr;
    QTableWidget* Table = nullptr;

    // "Подобрать": starts a run; false when the angles make no list.
    bool Run();
    [[nodiscard]] bool IsRunning() const;
    // The latest finished run.
    [[nodiscard]] const TOptimizeResult& Result() const { return m_result; }
    // The orientations the inputs give, in order.
    [[nodiscard]] std::vector<float> Orientations() const;
    // Applies the candidate in the table's row and closes the window.
    void Choose(int row);

    void reject() override;

private:
    struct TRun;

    void poll();
    void finishRun();
    void showResult();
    void setRunning(bool running);

    TProject& m_project;
    int m_unitDivisor;
    QString m_unitName;
    std::function<void(const TStartCandidate&)> m_choose;
    std::unique_ptr<TRun> m_run;
    TOptimizeResult m_result;
    QTimer m_poll;
};

} // namespace vk
