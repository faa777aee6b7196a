#pragma once
// The OK / Cancel (/ Помощь) row at the foot of the program's small dialogs.

#include <functional>

class QDialog;
class QHBoxLayout;
class QPushButton;

namespace vk {

struct TDialogButtons {
    QPushButton* Ok = nullptr;
    QPushButton* Cancel = nullptr;
    QPushButton* Help = nullptr; // only with a help action
    QHBoxLayout* Row = nullptr;  // right-aligned, for the dialog's layout
};

// Enter presses OK (accept); Cancel rejects. The buttons carry the object
// names btnOk, btnCancel and btnHelp the window tests find them by.
TDialogButtons MakeDialogButtons(QDialog* dialog, std::function<void()> help = {});

} // namespace vk
