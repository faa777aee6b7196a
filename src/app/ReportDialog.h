#pragma once
// "Отчет": the report of a project in a plain dialog, every label at the
// pixel position the report data gives.

#include "model/Report.h"

#include <QDialog>

namespace vk {

class TProject;

class TReportDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int ButtonWidth = 75;
    static constexpr int ButtonHeight = 25;

    explicit TReportDialog(const TReport& report, QWidget* parent = nullptr);
};

// Builds the project's report and shows it modally.
void ShowReport(TProject& project, QWidget* parent);

} // namespace vk
