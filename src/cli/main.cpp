// vorkalo-cli: the headless tool.
//
//   vorkalo-cli fill SCENE.json|PROJECT.mpp [--db DIR] [--json] [--tiles] [--max-tiles N] [-o OUT.mpp]
//                    [--waste PERCENT] [--pack N] [--csv FILE]
//   vorkalo-cli report PROJECT.mpp [--db DIR] [--json] [--tiles] [--waste PERCENT] [--pack N] [--csv FILE]
//   vorkalo-cli optimize SCENE.json|PROJECT.mpp [--db DIR] [--grid N]
//               [--orientations A,B,...|FROM:TO:STEP] [--json] [--max-tiles N]
//   vorkalo-cli export SCENE.json|PROJECT.mpp [--db DIR] [--pdf F] [--svg F] [--dxf F] [--scale 1:N] [--no-report]
//
// fill lays the scene or the saved project anew as the program's
// "Заполнить" does (96 dpi, the configured display unit), prints the report
// and with -o saves the laid project; report prints the report of a saved
// project as it stands. Both end with the materials list (waste 5 % unless
// --waste says otherwise), which --csv also writes to a file. optimize lays
// the start points and orientations that "Подобрать начальную точку" tries
// and prints the best five; export writes the plan as the printed pages
// (PDF), SVG and DXF, laying a scene first. Exit codes: 0 done, 1 an input it
// cannot use, a library it needs and cannot use, a fill larger than allowed
// or an output it cannot write (the problem is named on standard error),
// 2 bad arguments.

#include "cli/CliCommon.h"
#include "cli/ExportCommand.h"
#include "cli/OptimizeCommand.h"
#include "library/TileDB.h"
#include "model/Collage.h"
#include "model/Config.h"
#include "model/ElementKinds.h"
#include "model/Project.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>

#include <cstdio>
#include <memory>

using namespace vkcli;

namespace {

int report(const QStringList& args, QTextStream& out, QTextStream& err) {
    TOptions o;
    if (const int code = parseOptions(args, false, o, err)) {
        return code;
    }
    vk::GlobalConfig().Load();
    TCollectingUi ui;
    const TUiScope scope(ui);
    const std::unique_ptr<vk::TTileDB> library = openLibrary(o, QStringLiteral("проекта"), ui, err);
    vk::TProject project;
    if (library == nullptr || !loadProject(o.input, project, *library, ui, err)) {
        return 1;
    }
    return printReport(project, o, out, err);
}

int fill(const QStringList& args, QTextStream& out, QTextStream& err) {
    TOptions o;
    if (const int code = parseOptions(args, true, o, err)) {
        return code;
    }
    TCommandInput in(TCommandInput::OwnSteps);
    if (const int code = in.Load(o, err)) {
        return code;
    }
    if (const int code = FillLoaded(o, in.ui, in.steps, in.project, err)) {
        return code;
    }
    if (!o.output.isEmpty()) {
        // A project file names its tile and pattern by their library
        // identifiers only.
        if (in.project.Tile()->ID < 0 || in.project.Pattern()->ID < 0) {
            err << "vorkalo-cli: предупреждение: плитка или узор сцены не из библиотеки; проект сохранит\n"
                   "только уложенные плитки, их форму при открытии взять будет неоткуда\n";
        }
        in.ui.Messages.clear();
        if (!in.project.SaveToFile(o.output)) {
            err << "vorkalo-cli: " << oneLine(in.ui.Messages.join(QStringLiteral("; "))) << '\n';
            return 1;
        }
    }
    return printReport(in.project, o, out, err);
}

} // namespace

int main(int argc, char* argv[]) {
    // The printed pages need fonts, and fonts need a GUI application; a
    // headless machine gets the platform that draws nowhere.
    const bool needsFonts = argc > 1 && qstrcmp(argv[1], "export") == 0;
    if (needsFonts && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // The platform's start-up remarks on the desktop session it does not
    // find (no XDG_RUNTIME_DIR); standard error is for the tool's problems.
    // What stops it (no platform at all) is still said.
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type == QtCriticalMsg || type == QtFatalMsg) {
                std::fprintf(stderr, "vorkalo-cli: %s\n", text.toLocal8Bit().constData());
            }
        });
    const std::unique_ptr<QCoreApplication> app =
        needsFonts ? std::make_unique<QGuiApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
    qInstallMessageHandler(previous);
    QCoreApplication::setApplicationName(QStringLiteral("vorkalo-cli"));
    vk::RegisterElementKinds();
    QTextStream out(stdout);
    QTextStream err(stderr);

    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty()) {
        err << kUsage;
        return 2;
    }
    const QString& command = args.first();
    if (command == QLatin1String("--help") || command == QLatin1String("-h")) {
        out << kUsage;
        return 0;
    }
    if (command == QLatin1String("--version")) {
        out << "vorkalo-cli " << vk::GetProgramVersion() << '\n';
        return 0;
    }
    if (command == QLatin1String("fill")) {
        return fill(args.mid(1), out, err);
    }
    if (command == QLatin1String("report")) {
        return report(args.mid(1), out, err);
    }
    if (command == QLatin1String("optimize")) {
        return Optimize(args.mid(1), out, err);
    }
    if (command == QLatin1String("export")) {
        return exportCommand(args.mid(1), out, err);
    }
    err << "vorkalo-cli: неизвестная команда \"" << command << "\"\n" << kUsage;
    return 2;
}
