#pragma once
// The program's help: HTML pages in the folder "help" beside the executable,
// one page per help context ("ctx6.html" for context 6) and "index.html" as
// the contents, shown in a help window of the program.

#include "ui/HelpContext.h"

#include <QString>
#include <QWidget>

class QTextBrowser;
class QToolButton;

namespace vk {

// The page of a help context: "ctx<number>.html".
[[nodiscard]] QString HelpPageName(int context);

class THelpViewer : public QWidget {
    Q_OBJECT
public:
    // Shows the pages of `folder` (the program's help folder by default).
    explicit THelpViewer(const QString& folder = QString(), QWidget* parent = nullptr);

    // The contents page. When it is missing the window says so: a missing
    // help is reported by the help window, not by the program.
    void ShowContents();
    // The page of a help context; a context without a page opens the contents.
    void ShowContext(int context);

    [[nodiscard]] const QString& Folder() const { return m_folder; }
    // The file name of the page shown ("ctx6.html"), empty when none is.
    [[nodiscard]] QString CurrentPage() const;

    QTextBrowser* Browser = nullptr;
    QToolButton* btnBack = nullptr;
    QToolButton* btnForward = nullptr;
    QToolButton* btnContents = nullptr;

private:
    void showPage(const QString& fileName);
    void updateTitle();

    QString m_folder;
};

// The program's one help window: created on first use and kept. When a modal
// dialog is open the window is lent to that dialog, so that it can be read and
// clicked while the dialog waits; it becomes a window of its own again when
// the dialog closes.
void ShowHelp(int context);
inline void ShowHelp(THelpContext context) { ShowHelp(HelpNumber(context)); }
void ShowHelpContents();
// The help window if one exists (nullptr otherwise).
[[nodiscard]] THelpViewer* HelpWindow();
// Frees the help window (the program's end, tests).
void CloseHelp();

// The help context of a widget: its own "helpContext" property, or that of
// the nearest parent that has one; -1 when none has.
[[nodiscard]] int HelpContextOf(const QWidget* widget);

// Routes help requests of the lower layers (RequestHelp) to ShowHelp, and
// makes F1 open the topic of the focused control's context in every window
// where no command takes F1 for itself; without a context F1 opens the
// contents.
void InstallHelp();

} // namespace vk
