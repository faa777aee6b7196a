// vorkalo-make-library: writes the starter tile library from its description.
//
// The library is built in a scratch folder beside the target and moved into
// place only when complete, so that a failed run leaves no half-made library
// for the program to open. A folder that already holds a library is never
// touched: it may be the user's own.

#include "library/LibrarySchema.h"
#include "library/StarterLibrary.h"
#include "library/TileDB.h"
#include "model/ElementKinds.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTextStream>

#include <cstdlib>

namespace {

const char* const kUsage =
    "Использование: vorkalo-make-library [--if-absent] ОПИСАНИЕ ПАПКА\n"
    "\n"
    "Записывает в ПАПКУ начальную библиотеку плиток по ОПИСАНИЮ (JSON).\n"
    "Папку, где уже есть библиотека, программа не трогает; с --if-absent\n"
    "это не считается ошибкой.\n";

bool HoldsLibrary(const QString& folder) {
    for (const vk::TLibraryTableDef& def : vk::LibraryTables()) {
        if (QFileInfo::exists(QDir(folder).filePath(QLatin1String(def.File)))) {
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vorkalo-make-library"));
    vk::RegisterElementKinds();
    QTextStream out(stdout);
    QTextStream err(stderr);
    std::srand(static_cast<unsigned>(QDateTime::currentMSecsSinceEpoch()));

    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"))) {
        out << kUsage;
        return 0;
    }
    const bool ifAbsent = args.removeAll(QStringLiteral("--if-absent")) > 0;
    if (args.size() != 2) {
        err << kUsage;
        return 2;
    }
    const QString descriptionPath = args[0];
    const QString folder = QDir::cleanPath(QDir(args[1]).absolutePath());

    if (HoldsLibrary(folder)) {
        if (ifAbsent) {
            return 0;
        }
        err << "vorkalo-make-library: в папке \"" << QDir::toNativeSeparators(folder)
            << "\" уже есть библиотека плиток; она не перезаписывается.\n";
        return 1;
    }

    QFile file(descriptionPath);
    if (!file.open(QIODevice::ReadOnly)) {
        err << "vorkalo-make-library: не удалось прочитать \"" << QDir::toNativeSeparators(descriptionPath)
            << "\": " << file.errorString() << '\n';
        return 1;
    }
    const QString scratch = folder + QStringLiteral(".partial");
    QDir(scratch).removeRecursively();
    int tiles = 0;
    int patterns = 0;
    try {
        const vk::TStarterDescription description = vk::ReadStarterDescription(file.readAll());
        vk::TTileDB db(scratch);
        vk::WriteStarterLibrary(description, db);
        tiles = int(description.Tiles.size());
        for (const vk::TStarterTile& tile : description.Tiles) {
            patterns += int(tile.Patterns.size());
        }
    } catch (const vk::TStarterError& e) {
        QDir(scratch).removeRecursively();
        err << "vorkalo-make-library: " << e.Text() << '\n';
        return 1;
    }

    if (!QDir().mkpath(folder)) {
        QDir(scratch).removeRecursively();
        err << "vorkalo-make-library: не удалось создать папку \"" << QDir::toNativeSeparators(folder) << "\"\n";
        return 1;
    }
    for (const QString& name : QDir(scratch).entryList(QDir::Files)) {
        if (!QFile::rename(QDir(scratch).filePath(name), QDir(folder).filePath(name))) {
            err << "vorkalo-make-library: не удалось перенести \"" << name << "\" в \""
                << QDir::toNativeSeparators(folder) << "\"\n";
            return 1;
        }
    }
    QDir(scratch).removeRecursively();
    out << "Начальная библиотека плиток записана в \"" << QDir::toNativeSeparators(folder) << "\": плиток "
        << tiles << ", узоров " << patterns << ".\n";
    return 0;
}
