// vorkalo-cli: the headless tool.
//
//   vorkalo-cli fill SCENE.json [--db DIR] [--json] [--tiles]
//
// fills the scene as the program's "Заполнить" does (96 dpi, the configured
// display unit) and prints the report. Exit codes: 0 done, 1 a scene it
// cannot use (the problem is named on standard error), 2 bad arguments.

#include "geometry/UserInterface.h"
#include "library/TileDB.h"
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
    "  fill СЦЕНА.json [--db ПАПКА] [--json] [--tiles]\n"
    "               заполнить участок сцены плиткой и вывести отчет;\n"
    "               --db      папка библиотеки плиток (по умолчанию DB рядом с программой),\n"
    "               --json    отчет одним объектом JSON,\n"
    "               --tiles   добавить уложенные плитки по порядку укладки\n"
    "  --help       эта справка\n"
    "  --version    версия программы\n"
    "\n"
    "Коды завершения: 0 - готово, 1 - сцену нельзя использовать, 2 - неверные параметры.\n";

// Messages the core shows become the tool's error text.
class TCollectingUi final : public vk::TUserInterface {
public:
    vk::TAnswer message(vk::TMessageKind, const QString& text, vk::TButtons) override {
        Messages << text;
        return vk::TAnswer::Ok;
    }
    std::optional<QString> inputText(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    QStringList Messages;
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

int fill(const QStringList& args, QTextStream& out, QTextStream& err) {
    QString scenePath;
    QString dbFolder;
    bool json = false;
    bool tiles = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == QLatin1String("--json")) {
            json = true;
        } else if (a == QLatin1String("--tiles")) {
            tiles = true;
        } else if (a == QLatin1String("--db")) {
            if (i + 1 >= args.size()) {
                err << "vorkalo-cli: после --db нужна папка библиотеки\n";
                return 2;
            }
            dbFolder = args.at(++i);
        } else if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            err << "vorkalo-cli: неизвестный параметр \"" << a << "\"\n" << kUsage;
            return 2;
        } else if (scenePath.isEmpty()) {
            scenePath = a;
        } else {
            err << "vorkalo-cli: лишний параметр \"" << a << "\"\n" << kUsage;
            return 2;
        }
    }
    if (scenePath.isEmpty()) {
        err << "vorkalo-cli: не указан файл сцены\n" << kUsage;
        return 2;
    }

    QFile file(scenePath);
    if (!file.open(QIODevice::ReadOnly)) {
        err << "vorkalo-cli: не удалось прочитать файл сцены \"" << scenePath << "\": " << file.errorString() << '\n';
        return 1;
    }
    const QByteArray text = file.readAll();

    vk::GlobalConfig().Load();
    TCollectingUi ui;
    vk::setUserInterface(&ui);
    std::unique_ptr<vk::TTileDB> library;
    if (usesLibrary(text)) {
        library = std::make_unique<vk::TTileDB>(dbFolder.isEmpty() ? vk::DbFolder() : dbFolder);
    }

    vk::TStepQueue steps;
    vk::TProject project(&steps);
    const QString problem = vk::LoadScene(text, project);
    if (!problem.isEmpty()) {
        vk::setUserInterface(nullptr);
        err << "vorkalo-cli: " << scenePath << ": " << oneLine(problem) << '\n';
        return 1;
    }
    if (!project.Fill()) {
        vk::setUserInterface(nullptr);
        err << "vorkalo-cli: " << scenePath << ": " << oneLine(ui.Messages.join(QStringLiteral("; "))) << '\n';
        return 1;
    }
    steps.RunUntilIdle(project);
    vk::setUserInterface(nullptr);

    const vk::TReport report = project.Report();
    if (json) {
        out << QString::fromUtf8(vk::ReportJson(report, project, tiles));
        return 0;
    }
    out << vk::TReport::Caption << '\n' << vk::ReportText(report);
    if (tiles) {
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
    err << "vorkalo-cli: неизвестная команда \"" << command << "\"\n" << kUsage;
    return 2;
}
