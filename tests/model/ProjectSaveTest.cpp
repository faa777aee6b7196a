// Saving as the user asks: the question before a project is replaced, the
// file dialog when the project has no file, the question before a file is
// replaced, a save killed half-way, and what a save finds at its target.

#include "ProjectFileSupport.h"

#include "support/ScriptedUi.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRandomGenerator>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vk;
using namespace vk::test;

namespace {

class ProjectSaveTest : public ::testing::Test {
protected:
    void SetUp() override { SetTileDB(&TStarterDb::get()); }

    // A modified project with a border, laid or not. Its rig (the queue
    // that stands in for the window) lives as long as the test.
    TProject* drawn(const QString& comment = QStringLiteral("двор"), bool laid = false) {
        rigs.push_back(std::make_unique<TFillRig>());
        TFillRig& rig = *rigs.back();
        rig.load(yardScene());
        if (laid) {
            rig.fill();
        }
        rig.project->Comment = comment;
        return rig.project.get();
    }
    std::vector<std::unique_ptr<TFillRig>> rigs;

    TTempDir dir;
};

const QString kQuestion = QStringLiteral("Сохранить изменения в проекте \"%1\"?");

} // namespace

TEST_F(ProjectSaveTest, AnUnmodifiedProjectNeedsNoQuestion) {
    TScriptedUi ui;
    TProject p;
    EXPECT_TRUE(p.SaveQuery());
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(ui.fileDialogs.empty());
}

TEST_F(ProjectSaveTest, TheSaveQuestionsAnswers) {
    const QString known = dir.file("known.mpp");
    struct Case {
        const char* name;
        bool hasFile;
        std::vector<TAnswer> answers;
        std::vector<std::optional<QString>> files;
        bool goesOn;
        bool saved;
    };
    const Case cases[] = {
        {"No: goes on unsaved", true, {TAnswer::No}, {}, true, false},
        {"Cancel: stays", true, {TAnswer::Cancel}, {}, false, false},
        {"Yes with a file: saved there at once", true, {TAnswer::Yes}, {}, true, true},
        {"Yes without a file: the dialog, then saved", false, {TAnswer::Yes}, {dir.file("new")}, true, true},
        {"Yes without a file, dialog cancelled: stays", false, {TAnswer::Yes}, {std::nullopt}, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(known);
        QFile::remove(dir.file("new.mpp"));
        TProject* p = drawn();
        if (c.hasFile) {
            p->FileName = known;
            p->SetName("known");
        }
        p->SetModified(true);
        TScriptedUi ui;
        for (TAnswer a : c.answers) {
            ui.answer(a);
        }
        for (const auto& f : c.files) {
            ui.chooseFile(f);
        }
        EXPECT_EQ(p->SaveQuery(), c.goesOn);
        EXPECT_TRUE(ui.allAnswersUsed());
        ASSERT_GE(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text, kQuestion.arg(c.hasFile ? "known" : "Безымянный"));
        EXPECT_EQ(ui.messages[0].buttons, TButtons::YesNoCancel);
        EXPECT_EQ(p->IsModified(), !c.saved);
        const QString target = c.hasFile ? known : dir.file("new.mpp");
        EXPECT_EQ(QFile::exists(target), c.saved);
        if (!c.files.empty()) {
            ASSERT_EQ(ui.fileDialogs.size(), 1u);
            EXPECT_TRUE(ui.fileDialogs[0].save);
            EXPECT_EQ(ui.fileDialogs[0].folder, ProjectsFolder());
            EXPECT_EQ(ui.fileDialogs[0].filter, QStringLiteral("Проекты плиток (*.mpp)|*.mpp|Все файлы (*.*)|*.*"));
        }
        if (c.saved) {
            EXPECT_EQ(p->FileName, target);
            TProject back;
            EXPECT_TRUE(back.LoadFromFile(target));
            EXPECT_EQ(back.Comment, p->Comment);
        }
    }
}

TEST_F(ProjectSaveTest, AFailedSaveKeepsTheProjectAndTheCallerStays) {
    TProject* p = drawn();
    p->FileName = dir.file("missing/folder/p.mpp");
    p->SetModified(true);
    TScriptedUi ui;
    ui.answer(TAnswer::Yes);
    EXPECT_FALSE(p->SaveQuery());
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[1].kind, TMessageKind::Error);
    EXPECT_TRUE(p->IsModified());
    EXPECT_EQ(p->FileName, dir.file("missing/folder/p.mpp"));
}

TEST_F(ProjectSaveTest, SaveAsAsksBeforeItReplacesAFile) {
    const QString other = dir.file("other.mpp");
    writeFile(other, "someone else's file");
    TProject* p = drawn(QStringLiteral("мой"));
    p->FileName = dir.file("mine.mpp");
    TScriptedUi ui;
    // No to replacing: back to the dialog, which is then cancelled.
    ui.chooseFile(other);
    ui.answer(TAnswer::No);
    ui.chooseFile(std::nullopt);
    EXPECT_FALSE(p->SaveAs());
    EXPECT_EQ(readFile(other), QByteArray("someone else's file"));
    ASSERT_EQ(ui.fileDialogs.size(), 2u);
    EXPECT_EQ(ui.fileDialogs[0].folder, dir.path()) << "starts where the project's file is";
    EXPECT_EQ(ui.fileDialogs[0].name, QStringLiteral("mine.mpp"));
    EXPECT_EQ(ui.fileDialogs[1].name, QStringLiteral("other.mpp"));
    EXPECT_EQ(p->FileName, dir.file("mine.mpp"));
    // Yes: replaced, and the project now lives there.
    ui.chooseFile(other);
    ui.answer(TAnswer::Yes);
    EXPECT_TRUE(p->SaveAs());
    EXPECT_EQ(p->FileName, other);
    EXPECT_EQ(p->Name(), QStringLiteral("other"));
    TProject back;
    EXPECT_TRUE(back.LoadFromFile(other));
    EXPECT_EQ(back.Comment, QStringLiteral("мой"));
    // "Сохранить" now writes there without asking.
    p->Comment = QStringLiteral("снова");
    p->SetModified(true);
    const std::size_t dialogs = ui.fileDialogs.size();
    EXPECT_TRUE(p->Save());
    EXPECT_EQ(ui.fileDialogs.size(), dialogs);
    EXPECT_TRUE(ui.allAnswersUsed());
}

TEST_F(ProjectSaveTest, KillingASaveLeavesTheOldFileWhole) {
    TScriptedUi ui;
    const QString path = dir.file("yard.mpp");
    TProject* oldProject = drawn(QStringLiteral("old"), true);
    ASSERT_TRUE(oldProject->SaveToFile(path));
    const QByteArray oldBytes = readFile(path);
    TProject* newProject = drawn(QStringLiteral("new"), true);
    newProject->SetOrientation(45);
    rigs.back()->fill();
    QElapsedTimer timer;
    timer.start();
    ASSERT_TRUE(newProject->SaveToFile(dir.file("probe.mpp")));
    const QByteArray newBytes = readFile(dir.file("probe.mpp"));
    const qint64 saveMs = std::max<qint64>(1, timer.elapsed());

    QRandomGenerator random(20240611);
    int sawOld = 0;
    int sawNew = 0;
    for (int round = 0; round < 16; ++round) {
        ASSERT_TRUE(oldProject->SaveToFile(path)) << (ui.messages.empty() ? std::string() : ui.messages.back().text.toStdString());
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // Saves over and over until it is killed.
            for (;;) {
                newProject->SaveToFile(path);
            }
        }
        usleep(useconds_t(random.bounded(int(saveMs * 1500))));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        const QByteArray now = readFile(path);
        ASSERT_TRUE(now == oldBytes || now == newBytes) << "round " << round << ": a file that is neither";
        (now == oldBytes ? sawOld : sawNew)++;
        TProject opened;
        ASSERT_TRUE(opened.LoadFromFile(path)) << round;
        EXPECT_TRUE(opened.Comment == "old" || opened.Comment == "new");
        // The killed save may leave its temporary file; never another.
        for (const QString& f : QDir(dir.path()).entryList(QDir::Files | QDir::Hidden)) {
            EXPECT_TRUE(f == "yard.mpp" || f == "probe.mpp" || f.endsWith(".tmp")) << f.toStdString();
        }
    }
    EXPECT_GT(sawOld + sawNew, 0);
    RecordProperty("old_kept", sawOld);
    RecordProperty("new_complete", sawNew);
}

TEST_F(ProjectSaveTest, SavingOverAFileKeepsItsPermissionsAndWritesThroughLinks) {
    TScriptedUi ui;
    TProject* p = drawn(QStringLiteral("через ссылку"));
    // A file the user shared with the group only.
    const QString shared = dir.file("shared.mpp");
    writeFile(shared, "old");
    ASSERT_EQ(::chmod(QFile::encodeName(shared).constData(), 0640), 0);
    ASSERT_TRUE(p->SaveToFile(shared));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(shared).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    if (::geteuid() == 0) {
        // Another user's file, which only an administrator may replace:
        // it stays theirs.
        ASSERT_EQ(::chown(QFile::encodeName(shared).constData(), 65534, 65534), 0);
        ASSERT_TRUE(p->SaveToFile(shared));
        ASSERT_EQ(::stat(QFile::encodeName(shared).constData(), &st), 0);
        EXPECT_EQ(st.st_uid, 65534u);
        EXPECT_EQ(st.st_gid, 65534u);
        EXPECT_EQ(st.st_mode & 07777, 0640u);
    }

    // A relative link to a link to the real file, in another folder.
    ASSERT_TRUE(QDir(dir.path()).mkdir("real"));
    const QString real = dir.file("real/yard.mpp");
    writeFile(real, "old");
    ASSERT_EQ(::symlink("real/yard.mpp", QFile::encodeName(dir.file("middle.mpp")).constData()), 0);
    ASSERT_EQ(::symlink(QFile::encodeName(dir.file("middle.mpp")).constData(),
                        QFile::encodeName(dir.file("link.mpp")).constData()), 0);
    ASSERT_TRUE(p->SaveToFile(dir.file("link.mpp")));
    EXPECT_TRUE(QFileInfo(dir.file("link.mpp")).isSymLink());
    EXPECT_TRUE(QFileInfo(dir.file("middle.mpp")).isSymLink());
    TProject back;
    ASSERT_TRUE(back.LoadFromFile(real));
    EXPECT_EQ(back.Comment, QStringLiteral("через ссылку"));
    // A link to a file not there yet makes that file.
    ASSERT_EQ(::symlink("real/new.mpp", QFile::encodeName(dir.file("dangling.mpp")).constData()), 0);
    ASSERT_TRUE(p->SaveToFile(dir.file("dangling.mpp")));
    EXPECT_TRUE(QFileInfo(dir.file("dangling.mpp")).isSymLink());
    EXPECT_TRUE(back.LoadFromFile(dir.file("real/new.mpp")));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ProjectSaveTest, SavingRefusesAReadOnlyFileAFolderAFifoAndADevice) {
    const QString readOnly = dir.file("read-only.mpp");
    writeFile(readOnly, "keep me");
    ASSERT_EQ(::chmod(QFile::encodeName(readOnly).constData(), 0444), 0);
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.mpp"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.file("fifo.mpp")).constData(), 0644), 0);
    ASSERT_EQ(::symlink("/dev/null", QFile::encodeName(dir.file("device.mpp")).constData()), 0);
    const struct {
        const char* name;
        QString path;
        QString reason;
    } cases[] = {
        {"read-only file", readOnly, QStringLiteral("только для чтения")},
        {"folder", dir.file("folder.mpp"), QStringLiteral("папка")},
        {"FIFO", dir.file("fifo.mpp"), QStringLiteral("не обычный файл")},
        {"a link to a device", dir.file("device.mpp"), QStringLiteral("не обычный файл")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TScriptedUi ui;
        TProject* p = drawn();
        EXPECT_FALSE(p->SaveToFile(c.path));
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].kind, TMessageKind::Error);
        EXPECT_TRUE(ui.messages[0].text.startsWith(QStringLiteral("Не удалось сохранить проект"))) << ui.messages[0].text.toStdString();
        EXPECT_TRUE(ui.messages[0].text.contains(c.reason)) << ui.messages[0].text.toStdString();
        EXPECT_TRUE(p->IsModified());
    }
    EXPECT_EQ(readFile(readOnly), QByteArray("keep me"));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(readOnly).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
    ASSERT_EQ(::lstat(QFile::encodeName(dir.file("fifo.mpp")).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_TRUE(QFileInfo(dir.file("device.mpp")).isSymLink());
    for (const QString& f : QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        EXPECT_FALSE(f.endsWith(".tmp")) << f.toStdString();
    }
}

TEST_F(ProjectSaveTest, TemporaryFilesOfKilledSavesGoWithTheNextSave) {
    TScriptedUi ui;
    // The number of a process that has ended.
    const pid_t gone = fork();
    ASSERT_GE(gone, 0);
    if (gone == 0) {
        _exit(0);
    }
    waitpid(gone, nullptr, 0);
    const QString stale = dir.file(QStringLiteral(".yard.mpp.%1-0badf00d.tmp").arg(gone));
    const QString alive = dir.file(QStringLiteral(".yard.mpp.%1-0badf00d.tmp").arg(getppid()));
    const QString otherFile = dir.file(QStringLiteral(".other.mpp.%1-0badf00d.tmp").arg(gone));
    const QString notOurs = dir.file(QStringLiteral(".yard.mpp.%1-notours.tmp").arg(gone));
    for (const QString& f : {stale, alive, otherFile, notOurs}) {
        writeFile(f, QByteArray(4096, 'x'));
    }
    ASSERT_TRUE(drawn()->SaveToFile(dir.file("yard.mpp")));
    EXPECT_FALSE(QFile::exists(stale));
    EXPECT_TRUE(QFile::exists(alive)) << "its save may still be running";
    EXPECT_TRUE(QFile::exists(otherFile)) << "a save of another file";
    EXPECT_TRUE(QFile::exists(notOurs));
}

// "Сохранить" is at hand while a fill runs: what it writes is the tiles laid
// so far. The tiles laid after it are a change like any other, or closing the
// program would not ask, and the file would keep the fill half done.
TEST_F(ProjectSaveTest, TilesLaidAfterASaveDuringAFillKeepTheProjectModified) {
    TFillRig rig;
    rig.load(yardScene());
    rig.project->SetStepBudget(std::chrono::microseconds(0));
    ASSERT_TRUE(rig.project->Fill());
    ASSERT_TRUE(rig.project->IsRunning());
    const QString file = dir.file("half.mpp");
    ASSERT_TRUE(rig.project->SaveToFile(file));
    EXPECT_FALSE(rig.project->IsModified());
    const int savedCount = rig.project->LaidTiles().Count();

    rig.queue.RunUntilIdle(*rig.project);
    ASSERT_FALSE(rig.project->IsRunning());
    ASSERT_GT(rig.project->LaidTiles().Count(), savedCount) << "the fill went on after the save";
    EXPECT_TRUE(rig.project->IsModified());
}
