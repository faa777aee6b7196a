// vorkalo-cli: the headless tool.
//
//   vorkalo-cli fill SCENE.json|PROJECT.mpp [--db DIR] [--json] [--tiles] [--max-tiles N] [-o OUT.mpp]
//   vorkalo-cli report PROJECT.mpp [--db DIR] [--json] [--tiles]
//
// fill lays the scene or the saved project anew as the program's
// "Заполнить" does (96 dpi, the configured display unit), prints the report
// and with -o saves the laid project; report prints the report of a saved
// project as it stands. Exit codes: 0 done, 1 an input it cannot use, a
// library it needs and cannot use, a fill larger than allowed or an output
// it cannot write (the problem is named on standard error), 2 bad arguments.

#include "ui/UserInterface.h"
#include "library/TileDB.h"
#include "model/Collage.h"
#include "model/Config.h"
#include "model/ElementKinds.h"
#include "model/FillLimits.h"
#include "model/Parts.h"
#include "model/Project.h"
#include "scene/Scene.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#include <unistd.h>

namespace {

const char* const kUsage =
    "Использование: vorkalo-cli КОМАНДА [ПАРАМЕТРЫ]\n"
    "\n"
    "  fill СЦЕНА.json|ПРОЕКТ.mpp [--db ПАПКА] [--json] [--tiles] [--max-tiles N] [-o ВЫХОД.mpp]\n"
    "               заполнить участок сцены или проекта плиткой заново и вывести отчет;\n"
    "               --db      папка библиотеки плиток (по умолчанию DB рядом с программой),\n"
    "               --json    отчет одним объектом JSON,\n"
    "               --tiles   добавить уложенные плитки по порядку укладки,\n"
    "               --max-tiles  сколько плиток можно уложить (по оценке; по умолчанию 20000000),\n"
    "               -o        сохранить заполненный проект в файл\n"
    "  report ПРОЕКТ.mpp [--db ПАПКА] [--json] [--tiles]\n"
    "               вывести отчет сохраненного проекта как есть, без нового заполнения\n"
    "  --help       эта справка\n"
    "  --version    версия программы\n"
    "\n"
    "Коды завершения: 0 - готово, 1 - сцену, проект или библиотеку нельзя использовать\n"
    "(или записать, или плиток больше допустимого), "
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

// What of the scene comes from the library ("плитки "…""), or an empty text.
QString libraryUse(const QByteArray& json) {
    const QJsonObject scene = QJsonDocument::fromJson(json).object();
    const struct {
        const char* key;
        const char* what;
    } uses[] = {{"tile", "плитки"}, {"pattern", "узора"}};
    for (const auto& use : uses) {
        const QJsonObject object = scene.value(QLatin1String(use.key)).toObject();
        if (object.contains(QStringLiteral("library"))) {
            return QStringLiteral("%1 \"%2\"")
                .arg(QString::fromUtf8(use.what), object.value(QStringLiteral("library")).toString());
        }
    }
    return {};
}

QString oneLine(QString text) { return text.replace(QStringLiteral("\r\n"), QStringLiteral(" ")); }

struct TOptions {
    QString input;
    QString output;
    QString dbFolder;
    bool json = false;
    bool tiles = false;
    double maxTiles = vk::kTilesToAskAbove;
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
            const bool output = a == QLatin1String("-o");
            // An empty output name would silently save nothing.
            if (i + 1 >= args.size() || (output && args.at(i + 1).isEmpty())) {
                err << "vorkalo-cli: после " << a << (output ? " нужен файл проекта\n" : " нужна папка библиотеки\n");
                return 2;
            }
            (output ? o.output : o.dbFolder) = args.at(++i);
        } else if (allowOutput && a == QLatin1String("--max-tiles")) {
            bool ok = false;
            const qlonglong count = i + 1 < args.size() ? args.at(i + 1).toLongLong(&ok) : 0;
            if (!ok || count < 0) {
                err << "vorkalo-cli: после --max-tiles нужно число плиток (целое, не меньше 0)\n";
                return 2;
            }
            o.maxTiles = double(count);
            ++i;
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

// As the JSON list writes them: a stream's default six significant digits
// put a base point 10 km from the origin a tenth of a metre off.
QString listNumber(double value, int decimals) {
    QString text = QString::number(value, 'f', decimals);
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0'))) {
            text.chop(1);
        }
        if (text.endsWith(QLatin1Char('.'))) {
            text.chop(1);
        }
    }
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
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
            out << listNumber(t.BasePointKey().X, 3) << '\t' << listNumber(t.BasePointKey().Y, 3) << '\t'
                << listNumber(t.Orientation, 4);
            if (t.PartID != -1 && project.TileParts() != nullptr) {
                out << '\t' << project.TileParts()->PartName(t.PartID) << '\t'
                    << project.TileParts()->ContourName(t.PartID, t.ContourID);
            }
            out << '\n';
        }
    }
}

// Writes what the core reported as errors; true when there was any. The
// library reports through the same channel: an error after an otherwise
// successful step means the library could not give what was asked of it.
bool writeErrors(TCollectingUi& ui, const QString& where, QTextStream& err) {
    const bool any = !ui.Errors.isEmpty();
    for (const QString& text : ui.Errors) {
        err << "vorkalo-cli: " << (where.isEmpty() ? QString() : where + QStringLiteral(": ")) << oneLine(text) << '\n';
    }
    ui.Messages.clear();
    ui.Errors.clear();
    ui.Others.clear();
    return any;
}

// Opens the library that `neededFor` needs; nullptr (the library's own
// messages written) when it cannot be used. A folder named with --db must
// be there: a mistyped name would otherwise give a new empty library.
std::unique_ptr<vk::TTileDB> openLibrary(const TOptions& o, const QString& neededFor, TCollectingUi& ui,
                                         QTextStream& err) {
    if (!o.dbFolder.isEmpty() && !QFileInfo(o.dbFolder).isDir()) {
        err << "vorkalo-cli: нет папки библиотеки плиток \"" << o.dbFolder << "\" (она нужна для " << neededFor
            << ")\n";
        return nullptr;
    }
    auto library = std::make_unique<vk::TTileDB>(o.dbFolder.isEmpty() ? vk::DbFolder() : o.dbFolder);
    if (!library->IsAvailable()) {
        if (!writeErrors(ui, QString(), err)) {
            err << "vorkalo-cli: " << oneLine(library->ErrorText()) << '\n';
        }
        return nullptr;
    }
    writeErrors(ui, QString(), err);
    return library;
}

// Reads the project file into `project`; false (the problem written) when it
// cannot be read, or when the library could not give its tile or pattern.
// Warnings (skipped elements) are written and reading goes on.
bool loadProject(const QString& path, vk::TProject& project, vk::TTileLibrary& library, TCollectingUi& ui,
                 QTextStream& err) {
    const bool loaded = project.LoadFromFile(path);
    for (const QString& text : ui.Others) {
        err << "vorkalo-cli: " << path << ": " << oneLine(text) << '\n';
    }
    if (!loaded) {
        err << "vorkalo-cli: " << path << ": " << oneLine(ui.Errors.join(QStringLiteral("; "))) << '\n';
        ui.Errors.clear();
    }
    if (writeErrors(ui, path, err) || !loaded) {
        return false;
    }
    // The file names its tile and pattern by library identifiers only; read
    // with a library that lacks them, the tile has no shape and its parts
    // and halves no names.
    const auto holds = [](const std::vector<vk::TLibraryEntry>& entries, std::int32_t id) {
        return std::any_of(entries.begin(), entries.end(), [id](const vk::TLibraryEntry& e) { return e.ID == id; });
    };
    if (const vk::TTile* tile = project.Tile(); tile != nullptr && tile->ID != -1) {
        if (!holds(library.ListTiles(), tile->ID)) {
            err << "vorkalo-cli: " << path << ": В библиотеке нет плитки проекта (номер " << tile->ID << ")\n";
            return false;
        }
        if (const vk::TCollage* pattern = project.Pattern();
            pattern != nullptr && pattern->ID != -1 && !holds(library.ListPatterns(tile->ID), pattern->ID)) {
            err << "vorkalo-cli: " << path << ": В библиотеке нет узора проекта (номер " << pattern->ID << ")\n";
            return false;
        }
    }
    return true;
}

// Lays the project with the steps handed back here; on a terminal, a run
// longer than a moment shows how far it got.
void runFill(vk::TStepQueue& steps, vk::TProject& project, QTextStream& progress) {
    const bool terminal = ::isatty(STDERR_FILENO) != 0;
    QElapsedTimer clock;
    clock.start();
    qint64 shownAt = -1;
    while (steps.DeliverOne(project)) {
        if (terminal && clock.elapsed() >= 2000 && clock.elapsed() - shownAt >= 250) {
            shownAt = clock.elapsed();
            progress << "\rЗаполнение: уложено плиток " << project.LaidTiles().Count() << Qt::flush;
        }
    }
    if (shownAt >= 0) {
        progress << "\rЗаполнение: уложено плиток " << project.LaidTiles().Count() << '\n' << Qt::flush;
    }
}

int report(const QStringList& args, QTextStream& out, QTextStream& err) {
    TOptions o;
    if (const int code = parseOptions(args, false, o, err)) {
        return code;
    }
    vk::GlobalConfig().Load();
    TCollectingUi ui;
    vk::setUserInterface(&ui);
    const std::unique_ptr<vk::TTileDB> library = openLibrary(o, QStringLiteral("проекта"), ui, err);
    vk::TProject project;
    const bool loaded = library != nullptr && loadProject(o.input, project, *library, ui, err);
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
    const auto fail = [&](const QString& problem = QString()) {
        vk::setUserInterface(nullptr);
        if (!problem.isEmpty()) {
            err << "vorkalo-cli: " << o.input << ": " << oneLine(problem) << '\n';
        }
        return 1;
    };
    std::unique_ptr<vk::TTileDB> library;
    const QString neededFor = fromProject ? QStringLiteral("проекта") : libraryUse(text);
    if (!neededFor.isEmpty()) {
        library = openLibrary(o, neededFor, ui, err);
        if (!library) {
            return fail();
        }
    }

    vk::TStepQueue steps;
    vk::TProject project(&steps);
    if (fromProject) {
        if (!loadProject(o.input, project, *library, ui, err)) {
            return fail();
        }
    } else {
        const QString problem = vk::LoadScene(text, project);
        if (writeErrors(ui, o.input, err)) {
            return fail();
        }
        if (!problem.isEmpty()) {
            return fail(problem);
        }
    }
    // Refused before it starts rather than run until memory runs out; the
    // project's own question is then answered by --max-tiles.
    const double estimate = std::round(vk::EstimatedTileCount(project));
    if (estimate > o.maxTiles) {
        return fail(QStringLiteral("будет уложено около %1 плиток, больше допустимых %2; "
                                   "чтобы заполнить, укажите --max-tiles с большим числом")
                        .arg(QString::number(estimate, 'f', 0), QString::number(o.maxTiles, 'f', 0)));
    }
    project.SetTilesToAskAbove(std::numeric_limits<double>::infinity());
    ui.Messages.clear();
    ui.Others.clear();
    if (!project.Fill()) {
        return fail(ui.Messages.join(QStringLiteral("; ")));
    }
    runFill(steps, project, err);
    // What the program would show in a box (a border that does not close,
    // a start point that lays nothing) is said, and the report follows.
    for (const QString& text : ui.Others) {
        err << "vorkalo-cli: " << o.input << ": предупреждение: " << oneLine(text) << '\n';
    }
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
    err << "vorkalo-cli: неизвестная команда \"" << command << "\"\n" << kUsage;
    return 2;
}
