#pragma once
// "Опции печати": what to print, whether the report and the comment follow,
// and at which scale. "Выделить область" closes it with the answer Yes: the
// user goes to span the print region first.

#include "exchange/PlanPrint.h"
#include "ui/HelpContext.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QPushButton;
class QRadioButton;

namespace vk {

class TfrmPrintOptions : public QDialog {
    Q_OBJECT
public:
    static constexpr THelpContext HelpContext = THelpContext::PrintOptions;
    // What exec() answers for "Выделить область".
    static constexpr int Yes = 2;

    explicit TfrmPrintOptions(QWidget* parent = nullptr);

    [[nodiscard]] TPrintOptions Options() const;
    void SetOptions(const TPrintOptions& options);

    QGroupBox* gbWhat = nullptr;
    QRadioButton* rbTilesAndBorder = nullptr;
    QRadioButton* rbBorderOnly = nullptr;
    QRadioButton* rbRegion = nullptr;
    QPushButton* btnSelectRegion = nullptr;
    QCheckBox* cbReport = nullptr;
    QComboBox* cbScale = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;
    QPushButton* btnHelp = nullptr;
};

} // namespace vk
