#include "app/HelpActions.h"

#include "app/About.h"
#include "app/ExternalLinks.h"
#include "app/HelpViewer.h"
#include "app/Icons.h"
#include "window/ActionTable.h"

#include <QAction>
#include <QWidget>

namespace vk {

QList<QAction*> HelpActions(QWidget* window, const QList<QAction*>& shared) {
    if (shared.size() >= 4) {
        return shared.mid(0, 4);
    }
    const QList<QKeySequence> none;
    const auto make = [&](const char* name, const QString& caption, const QString& hint,
                          const QList<QKeySequence>& keys) {
        return MakeAction(window, name, caption, hint, keys, TActionKind::Command, MakeIcon);
    };
    QAction* help = make("acHelp", QStringLiteral("Справка"), QString(), {QKeySequence(Qt::Key_F1)});
    QAction* onLine =
        make("acOnLine", QStringLiteral("Vorkalo в Интернете"), QStringLiteral("Домашняя страничка программы"), none);
    QAction* support = make("acSupport", QStringLiteral("Письмо в тех.поддержку"),
                            QStringLiteral("Написать письмо службе технической поддержки"), none);
    QAction* about = make("acAbout", QStringLiteral("О программе..."), QString(), none);
    QObject::connect(help, &QAction::triggered, window, [] { ShowHelpContents(); });
    QObject::connect(onLine, &QAction::triggered, window, [] { OpenHomePage(); });
    QObject::connect(support, &QAction::triggered, window, [] { ComposeSupportMail(); });
    QObject::connect(about, &QAction::triggered, window, [window] { TfrmAbout::Execute(window); });
    return {help, onLine, support, about};
}

} // namespace vk
