// vorkalo-cli: the headless tool.
//
//   vorkalo-cli fill SCENE.json|PROJECT.mpp [--db DIR] [--json] [--tiles] [-o OUT.mpp]
//   vorkalo-cli report PROJECT.mpp [--db DIR] [--json] [--tiles]
//
// fill lays the scene or the saved project anew as the program's
// "Заполнить" does (96 dpi, the configured display unit), prints the report
// and with -o saves the laid project; report prints the report of a saved
// project as it stands. Exit codes: 0 done, 1 an input it cannot use or an
// output it cannot write (the problem is named on standard error), 2 bad
// arguments.

#include "geometry/UserInterface.h"
#include "library/TileDB.h"
#include "model/Collage.h"
#include "model/Config.h"
#include "model/Parts.h"
#include "model/Project.h"
#include "model/Scene.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QTextStream>

#include <memory>

namespace {

const char* const kUsage =
    "Использование: vorkalo-cli КОМАНДА [ПАРАМЕТРЫ]\n"
    "\n"
    "  fill СЦЕНА.json|ПРОЕКТ.mpp [--db ПАПКА] [--json] [--tiles] [-o ВЫХОД.mpp]\n"
    "               заполнить участок сцены или проекта плиткой заново и вывести отчет;\n"
    "               --db      папка библиотеки плиток (по умолчанию DB рядом с программой),\n"
    "               --json    отчет одним объектом JSON,\n"
    "               --tiles   добавить уложенные плитки по порядку укладки,\n"
    "               -o        сохранить заполненный проект в файл\n"
    "  report ПРОЕКТ.mpp [--db ПАПКА] [--json] [--tiles]\n"
    "               вывести отчет сохраненного проекта как есть, без нового заполнения\n"
    "  --help       эта справка\n"
    "  --version    версия программы\n"
    "\n"
    "Коды завершения: 0 - готово, 1 - сцену или проект нельзя использовать (или записать),\n"
    "2 - неверные параметры.\n";

// Messages the core shows become the tool's error text.
class TCollectingUi final : public vk::TUserInterface {
public:
    vk::TAnswer message(vk::TMessageKind kind, const QString& text, vk::TButtons) override {
        Messages << text;
        (kind == vk::TMessageKind::Error ? Errors : Others) << text;
        return vk::TAnswer::Ok;
    }
    std::optional<QString> inputText(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    QStringList Messages;
    QStringList Errors;
    QStringList Others;
};

bool usesLibrary(const QByteArray& json) {
    const QJsonObject scene = QJsonDocument::fromJson(json).object();
    for (const char* key : {"tile", "pattern"}) {
        if (scene.value(QLatin1String(key)).toObject().contains(QStringLiteral("library"))) {
            return true;
        }
    }
    return false;
}

QString oneLine(QString text) { return text.replace(QStringLiteral("\r\n"), QStringLiteral(" ")); }

struct TOptions {
    QString input;
    QString output;
    QString dbFolder;
    bool json = false;
    bool tiles = false;
};

// 0 when the arguments are usable, else the exit code (the problem written).
int parseOptions(const QStringList& args, bool allowOutput, TOptions& o, QTextStream& err) {
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == QLatin1String("--json")) {
            o.json = true;
        } else if (a == QLatin1String("--tiles")) {
            o.tiles = true;
        } else if (a == QLatin1String("--db") || (allowOutput && a == QLatin1String("-o"))) {
            if (i + 1 >= args.size()) {
                err << "vorkalo-cli: после " << a << (a == QLatin1String("-o") ? " нужен файл проекта\n" : " нужна папка библиотеки\n");
                return 2;
            }
            (a == QLatin1String("-o") ? o.output : o.dbFolder) = args.at(++i);
        } else if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            err << "vorkalo-cli: неизвестный параметр \"" << a << "\"\n" << kUsage;
            return 2;
        } else if (o.input.isEmpty()) {
            o.input = a;
        } else {
            err << "vorkalo-cli: лишний параметр \"" << a << "\"\n" << kUsage;
            return 2;
        }
    }
    if (o.input.isEmpty()) {
        err << "vorkalo-cli: не указан файл " << (allowOutput ? "сцены или проекта" : "проекта") << '\n' << kUsage;
        return 2;
    }
    return 0;
}

// A project file begins with the compound file signature; anything else is
// taken for a scene.
bool isProjectFile(const QByteArray& bytes) {
    return bytes.startsWith(QByteArray::fromHex("D0CF11E0A1B11AE1"));
}

void printReport(vk::TProject& project, const TOptions& o, QTextStream& out) {
    const vk::TReport report = project.Report();
    if (o.json) {
        out << QString::fromUtf8(vk::ReportJson(report, project, o.tiles));
        return;
    }
    out << vk::TReport::Caption << '\n' << vk::ReportText(report);
    if (o.tiles) {
        const vk::TTileList& laid = project.LaidTiles();
        for (int i = 0; i < laid.Count(); ++i) {
            const vk::TTileContainer& t = laid.Items(i);
            out << t.BasePointKey().X << '\t' << t.BasePointKey().Y << '\t' << t.Orientation;
            if (t.PartID != -1 && project.TileParts() != nullptr) {
                out << '\t' << project.TileParts()->PartName(t.PartID) << '\t'
                    << project.TileParts()->ContourName(t.PartID, t.ContourID);
            }
            out << '\n';
        }
    }
}

// Reads the project file into `project`; false (the problem written) when it
// cannot be read. Warnings (skipped elements) are written and reading goes on.
bool loadProject(const QString& path, vk::TProject& project, TCollectingUi& ui, QTextStream& err) {
    const bool loaded = project.LoadFromFile(path);
    for (const QString& text : ui.Others) {
        err << "vorkalo-cli: " << path << ": " << oneLine(text) << '\n';
    }
    if (!loaded) {
        err << "vorkalo-cli: " << path << ": " << oneLine(ui.Errors.join(QStringLiteral("; "))) << '\n';
    }
    ui.Messages.clear();
    ui.Errors.clear();
    ui.Others.clear();
    return loaded;
}

int report(const QStringList& args, QTextStream& out, QTextStream& err) {
    TOptions o;
    if (const int code = parseOptions(args, false, o, err)) {
        return code;
    }
    vk::GlobalConfig().Load();
    TCollectingUi ui;
    vk::setUserInterface(&ui);
    const vk::TTileDB library(o.dbFolder.isEmpty() ? vk::DbFolder() : o.dbFolder);
    vk::TProject project;
    const bool loaded = loadProject(o.input, project, ui, err);
    vk::setUserInterface(nullptr);
    if (!loaded) {
        return 1;
    }
    printReport(project, o, out);
    return 0;
}

int fill(const QStringList& args, QTextStream& out, QTextStream& err) {
    TOptions o;
    if (const int code = parseOptions(args, true, o, err)) {
        return code;
    }
    QFile file(o.input);
    if (!file.open(QIODevice::ReadOnly)) {
        err << "vorkalo-cli: не удалось прочитать файл \"" << o.input << "\": " << file.errorString() << '\n';
        return 1;
    }
    const QByteArray text = file.readAll();
    file.close();
    const bool fromProject = isProjectFile(text);

    vk::GlobalConfig().Load();
    TCollectingUi ui;
    vk::setUserInterface(&ui);
    std::unique_ptr<vk::TTileDB> library;
    if (fromProject || usesLibrary(text)) {
        library = std::make_unique<vk::TTileDB>(o.dbFolder.isEmpty() ? vk::DbFolder() : o.dbFolder);
    }

    vk::TStepQueue steps;
    vk::TProject project(&steps);
    if (fromProject) {
        if (!loadProject(o.input, project, ui, err)) {
            vk::setUserInterface(nullptr);
            return 1;
        }
    } else {
        const QString problem = vk::LoadScene(text, project);
        if (!problem.isEmpty()) {
            vk::setUserInterface(nullptr);
            err << "vorkalo-cli: " << o.input << ": " << oneLine(problem) << '\n';
            return 1;
        }
    }
    if (!project.Fill()) {
        vk::setUserInterface(nullptr);
        err << "vorkalo-cli: " << o.input << ": " << oneLine(ui.Messages.join(QStringLiteral("; "))) << '\n';
        return 1;
    }
    steps.RunUntilIdle(project);
    if (!o.output.isEmpty()) {
        // A project file names its tile and pattern by their library
        // identifiers only.
        if (project.Tile()->ID < 0 || project.Pattern()->ID < 0) {
            err << "vorkalo-cli: предупреждение: плитка или узор сцены не из библиотеки; проект сохранит\n"
                   "только уложенные плитки, их форму при открытии взять будет неоткуда\n";
        }
        ui.Messages.clear();
        if (!project.SaveToFile(o.output)) {
            vk::setUserInterface(nullptr);
            err << "vorkalo-cli: " << oneLine(ui.Messages.join(QStringLiteral("; "))) << '\n';
            return 1;
        }
    }
    vk::setUserInterface(nullptr);
    printReport(project, o, out);
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vorkalo-cli"));
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
    err << "vorkalo-cli: неизвестная команда \"" << command << "\"\n" << kUsage;
    return 2;
}
