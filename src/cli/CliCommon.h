#pragma once
// What the commands of vorkalo-cli share: their options, the tile library,
// reading a scene or a project, laying it and printing its report.

#include "library/TileDB.h"
#include "model/Project.h"
#include "ui/UserInterface.h"

#include <QStringList>
#include <QTextStream>

#include <functional>
#include <memory>
#include <optional>

namespace vk {
class TProject;
class TStepQueue;
class TTileDB;
class TTileLibrary;
} // namespace vk

namespace vkcli {

extern const char* const kUsage;

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

struct TOptions {
    QString input;
    QString output;
    QString dbFolder;
    bool json = false;
    bool tiles = false;
    double maxTiles = 0;
    // The materials list: waste in percent, tiles per pack (0: not given),
    // and the CSV file to write it to.
    double waste = 5;
    int pack = 0;
    QString csv;
    // A command's own options: true when it took args[i] (advancing i past
    // any value); `code` set to 2 when the option was wrong (problem written).
    std::function<bool(const QStringList& args, int& i, int& code, QTextStream& err)> Extra;
    TOptions();
};

QString libraryUse(const QByteArray& json);
QString oneLine(QString text);
// 0 when the arguments are usable, else the exit code (the problem written).
int parseOptions(const QStringList& args, bool allowOutput, TOptions& o, QTextStream& err);
bool isProjectFile(const QByteArray& bytes);
QString listNumber(double value, int decimals);
// The report, and the materials list after it (in JSON as "materials"),
// written to the CSV file when one is named; 0, or 1 when that file could
// not be written (the problem written to `err`).
int printReport(vk::TProject& project, const TOptions& o, QTextStream& out, QTextStream& err);
bool writeErrors(TCollectingUi& ui, const QString& where, QTextStream& err);
std::unique_ptr<vk::TTileDB> openLibrary(const TOptions& o, const QString& neededFor, TCollectingUi& ui,
                                         QTextStream& err);
bool loadProject(const QString& path, vk::TProject& project, vk::TTileLibrary& library, TCollectingUi& ui,
                 QTextStream& err);
void runFill(vk::TStepQueue& steps, vk::TProject& project, QTextStream& progress);

// Reads the scene or the project named by `o.input` into `project` (the
// library it needs opened into `library`); 0 when read, else the exit code
// (the problem written). `fromProject` tells which of the two it was.
int LoadInput(const TOptions& o, TCollectingUi& ui, vk::TProject& project, std::unique_ptr<vk::TTileDB>& library,
              bool& fromProject, QTextStream& err);
// Lays the read project anew as the program's "Заполнить" does, with the
// steps handed back here; 0 when laid, else the exit code (problem written).
int FillLoaded(const TOptions& o, TCollectingUi& ui, vk::TStepQueue& steps, vk::TProject& project,
               QTextStream& err);

// Routes the core's questions and messages to `ui` for as long as it lives.
class TUiScope {
public:
    explicit TUiScope(TCollectingUi& ui) { vk::setUserInterface(&ui); }
    ~TUiScope() { vk::setUserInterface(nullptr); }
    TUiScope(const TUiScope&) = delete;
    TUiScope& operator=(const TUiScope&) = delete;
};

// What a command that reads a scene or a project sets up before its own
// work: the program's configuration, the core's messages collected for the
// tool's error text, and the input with the library it needs.
// Reads the program's configuration, as a base of TCommandInput so that it
// is read before any of its members exists.
struct TConfigLoaded {
    TConfigLoaded();
};

class TCommandInput : private TConfigLoaded {
public:
    enum TSteps { OwnSteps, NoSteps };
    // OwnSteps: the project posts its fill steps to `steps`, for FillLoaded.
    explicit TCommandInput(TSteps fillSteps);
    TCommandInput(const TCommandInput&) = delete;
    TCommandInput& operator=(const TCommandInput&) = delete;
    // LoadInput into the members below.
    int Load(const TOptions& o, QTextStream& err);

    TCollectingUi ui;
    TUiScope scope{ui};
    std::unique_ptr<vk::TTileDB> library;
    bool fromProject = false;
    vk::TStepQueue steps;
    vk::TProject project;
};

} // namespace vkcli
