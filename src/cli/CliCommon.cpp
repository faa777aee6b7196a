#include "cli/CliCommon.h"

#include "library/TileDB.h"
#include "model/Collage.h"
#include "model/Config.h"
#include "model/FillLimits.h"
#include "model/Materials.h"
#include "model/Parts.h"
#include "model/Project.h"
#include "scene/Scene.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>
#include <limits>

#include <unistd.h>

namespace vkcli {

const char* const kUsage =
    "Использование: vorkalo-cli КОМАНДА [ПАРАМЕТРЫ]\n"
    "\n"
    "  fill СЦЕНА.json|ПРОЕКТ.mpp [--db ПАПКА] [--json] [--tiles] [--max-tiles N] [-o ВЫХОД.mpp]\n"
    "       [--waste ПРОЦЕНТ] [--pack N] [--csv ФАЙЛ.csv]\n"
    "               заполнить участок сцены или проекта плиткой заново и вывести отчет;\n"
    "               --db      папка библиотеки плиток (по умолчанию DB рядом с программой),\n"
    "               --json    отчет одним объектом JSON,\n"
    "               --tiles   добавить уложенные плитки по порядку укладки,\n"
    "               --max-tiles  сколько плиток можно уложить (по оценке; по умолчанию 20000000),\n"
    "               -o        сохранить заполненный проект в файл,\n"
    "               --waste   запас для ведомости материалов, % (0-100, по умолчанию 5),\n"
    "               --pack    плиток в упаковке (по умолчанию не задано),\n"
    "               --csv     записать ведомость материалов в файл CSV (UTF-8, разделитель \";\")\n"
    "  report ПРОЕКТ.mpp [--db ПАПКА] [--json] [--tiles] [--waste ПРОЦЕНТ] [--pack N] [--csv ФАЙЛ.csv]\n"
    "               вывести отчет сохраненного проекта как есть, без нового заполнения\n"
    "  optimize СЦЕНА.json|ПРОЕКТ.mpp [--db ПАПКА] [--grid N] [--orientations A,B,...|ОТ:ДО:ШАГ] [--json]\n"
    "           [--max-tiles N]\n"
    "               подобрать начальную точку и ориентацию кладки, при которых плиток\n"
    "               нужно купить меньше всего, и вывести пять лучших вариантов;\n"
    "               --grid    размер сетки начальных точек (по умолчанию 8),\n"
    "               --orientations  углы кладки в градусах (по умолчанию текущий)\n"
    "  export СЦЕНА.json|ПРОЕКТ.mpp [--db ПАПКА] [--pdf ФАЙЛ] [--svg ФАЙЛ] [--dxf ФАЙЛ] [--scale 1:N] [--no-report]\n"
    "               записать план: сцену заполнить плиткой, проект взять как есть;\n"
    "               --pdf     напечатанные страницы (A4) в PDF,\n"
    "               --svg     чертеж SVG, --dxf  чертеж DXF (миллиметры),\n"
    "               --scale   масштаб печати (по умолчанию вписать в страницу),\n"
    "               --no-report  без страницы с отчетом и комментарием\n"
    "  --help       эта справка\n"
    "  --version    версия программы\n"
    "\n"
    "Коды завершения: 0 - готово, 1 - сцену, проект или библиотеку нельзя использовать\n"
    "(или записать, или плиток больше допустимого), "
    "2 - неверные параметры.\n";


TOptions::TOptions() : maxTiles(vk::kTilesToAskAbove) {}

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
        } else if (a == QLatin1String("--waste")) {
            bool ok = false;
            const double waste = i + 1 < args.size() ? args.at(i + 1).toDouble(&ok) : 0;
            if (!ok || !(waste >= 0 && waste <= 100)) {
                err << "vorkalo-cli: после --waste нужен запас в процентах (число от 0 до 100)\n";
                return 2;
            }
            o.waste = waste;
            ++i;
        } else if (a == QLatin1String("--pack")) {
            bool ok = false;
            const int pack = i + 1 < args.size() ? args.at(i + 1).toInt(&ok) : 0;
            if (!ok || pack < 0) {
                err << "vorkalo-cli: после --pack нужно число плиток в упаковке (целое, не меньше 0)\n";
                return 2;
            }
            o.pack = pack;
            ++i;
        } else if (a == QLatin1String("--csv")) {
            if (i + 1 >= args.size() || args.at(i + 1).isEmpty()) {
                err << "vorkalo-cli: после --csv нужен файл\n";
                return 2;
            }
            o.csv = args.at(++i);
        } else if (int code = 0; o.Extra && o.Extra(args, i, code, err)) {
            if (code != 0) {
                return code;
            }
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

int printReport(vk::TProject& project, const TOptions& o, QTextStream& out, QTextStream& err) {
    const vk::TReport report = project.Report();
    const vk::TMaterials materials = vk::ComputeMaterials(project, o.waste, o.pack);
    if (!o.csv.isEmpty()) {
        if (const QString problem = vk::SaveMaterialsCsv(materials, o.csv); !problem.isEmpty()) {
            err << "vorkalo-cli: " << oneLine(problem) << '\n';
            return 1;
        }
    }
    if (o.json) {
        out << QString::fromUtf8(vk::ReportJson(report, project, o.tiles, &materials));
        return 0;
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
    // As the CSV file has it: tabs in the text mark the lines of the tile list.
    out << '\n' << QStringLiteral("Ведомость материалов") << '\n' << vk::MaterialsText(materials, QLatin1Char(';'));
    return 0;
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


int LoadInput(const TOptions& o, TCollectingUi& ui, vk::TProject& project, std::unique_ptr<vk::TTileDB>& library,
              bool& fromProject, QTextStream& err) {
    QFile file(o.input);
    if (!file.open(QIODevice::ReadOnly)) {
        err << "vorkalo-cli: не удалось прочитать файл \"" << o.input << "\": " << file.errorString() << '\n';
        return 1;
    }
    const QByteArray text = file.readAll();
    file.close();
    fromProject = isProjectFile(text);
    const QString neededFor = fromProject ? QStringLiteral("проекта") : libraryUse(text);
    if (!neededFor.isEmpty()) {
        library = openLibrary(o, neededFor, ui, err);
        if (!library) {
            return 1;
        }
    }
    if (fromProject) {
        return loadProject(o.input, project, *library, ui, err) ? 0 : 1;
    }
    const QString problem = vk::LoadScene(text, project, QFileInfo(o.input).absolutePath());
    if (writeErrors(ui, o.input, err)) {
        return 1;
    }
    if (!problem.isEmpty()) {
        err << "vorkalo-cli: " << o.input << ": " << oneLine(problem) << '\n';
        return 1;
    }
    return 0;
}

int FillLoaded(const TOptions& o, TCollectingUi& ui, vk::TStepQueue& steps, vk::TProject& project,
               QTextStream& err) {
    const auto fail = [&](const QString& problem) {
        err << "vorkalo-cli: " << o.input << ": " << oneLine(problem) << '\n';
        return 1;
    };
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
    ui.Others.clear();
    return 0;
}

TConfigLoaded::TConfigLoaded() { vk::GlobalConfig().Load(); }

TCommandInput::TCommandInput(TSteps fillSteps) : project(fillSteps == OwnSteps ? &steps : nullptr) {}

int TCommandInput::Load(const TOptions& o, QTextStream& err) {
    return LoadInput(o, ui, project, library, fromProject, err);
}

} // namespace vkcli
