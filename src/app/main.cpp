// Vorkalo: designing paving with tiles.

#include "app/HelpViewer.h"
#include "app/MainForm.h"
#include "app/QtTranslations.h"
#include "library/TileDB.h"
#include "model/ElementKinds.h"
#include "sheet/EditorFactory.h"
#include "sheet/WidgetUserInterface.h"

#include <QApplication>
#include <QScreen>
#include <cstdlib>
#include <ctime>

int main(int argc, char* argv[]) {
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    vk::RegisterElementKinds();

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vorkalo"));
    vk::TQtTranslations qtTranslations;
    qtTranslations.Install();

    vk::TWidgetUserInterface userInterface;
    vk::setUserInterface(&userInterface);
    vk::InstallWidgetEditorFactory();
    // F1 and the help buttons of every window open the help window.
    vk::InstallHelp();

    vk::TfrmMain mainWindow;
    // The library exists only after the main window: nothing in the window's
    // creation may use it.
    vk::TTileDB tileDb;

    // Without a window manager (a bare X server) "maximised" means nothing;
    // take the screen's working area first so the window fills it either way.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        mainWindow.setGeometry(screen->availableGeometry());
    }
    mainWindow.showMaximized();
    // A project file given on the command line (one opened from the
    // desktop) is opened at once.
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1 && !arguments.at(1).startsWith(QLatin1Char('-'))) {
        mainWindow.OpenProjectFile(arguments.at(1));
    }
    const int code = QApplication::exec();
    vk::setUserInterface(nullptr);
    return code;
}
