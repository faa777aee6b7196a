#pragma once
// The settings dialog "Параметры".

#include "ui/HelpContext.h"

#include <QDialog>

class QButtonGroup;
class QLineEdit;
class QTabWidget;
class QPushButton;

namespace vk {

class TGlobalConfig;

class TCfgFrm : public QDialog {
    Q_OBJECT
public:
    static constexpr THelpContext HelpContext = THelpContext::Settings;

    explicit TCfgFrm(TGlobalConfig& config, QWidget* parent = nullptr);

    // Shows the dialog modally; on OK the configuration takes the values.
    static bool EditSettings(TGlobalConfig& config, QWidget* parent = nullptr);

    // Takes the values back after checking them; a faulty field is named in a
    // message and the dialog stays open.
    void accept() override;

    QTabWidget* Pages = nullptr;
    QButtonGroup* rgUnits = nullptr;
    QLineEdit* edPEL = nullptr;
    QLineEdit* edTEL = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;
    QPushButton* btnHelp = nullptr;

signals:
    void helpRequested(int context);

private:
    TGlobalConfig& m_config;
};

} // namespace vk
