// The help pages beside the program and the help window that shows them.

#include "app/HelpViewer.h"
#include "model/Config.h"
#include "sheet/HelpRequest.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

// Every help context the program's windows and tools carry.
const int kContexts[] = {0, 4, 5, 6, 21, 24, 26, 27, 28, 29, 43, 44, 46, 47, 49, 50, 51, 52, 53, 54, 55, 56, 60};

QString readAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll());
}

// The local pages a page links to (anchors and outside addresses left out).
QStringList pageLinks(const QString& html) {
    static const QRegularExpression href(QStringLiteral("href\\s*=\\s*\"([^\"#]*)[^\"]*\""));
    QStringList out;
    for (auto it = href.globalMatch(html); it.hasNext();) {
        const QString target = it.next().captured(1);
        if (!target.isEmpty() && !target.contains(QChar(':')) && target.endsWith(QStringLiteral(".html"))) {
            out << target;
        }
    }
    return out;
}

} // namespace

TEST(HelpPages, EveryContextHasARealPage) {
    const QString folder = vk::HelpFolder();
    ASSERT_TRUE(QFile::exists(folder + "/index.html")) << folder.toStdString();
    vk::THelpViewer viewer;
    for (int context : kContexts) {
        const QString page = vk::HelpPageName(context);
        ASSERT_TRUE(QFile::exists(folder + "/" + page)) << page.toStdString();
        viewer.ShowContext(context);
        EXPECT_EQ(viewer.CurrentPage(), page);
        // A page that says what the window is for and how to use it, not a
        // placeholder: a title and a few paragraphs of Russian text.
        EXPECT_FALSE(viewer.Browser->documentTitle().isEmpty()) << page.toStdString();
        EXPECT_GT(viewer.Browser->toPlainText().size(), 600) << page.toStdString();
        EXPECT_TRUE(viewer.Browser->toPlainText().contains(QRegularExpression(QStringLiteral("[а-я]{4,}"))))
            << page.toStdString();
    }
}

TEST(HelpPages, EveryPageIsReachableFromTheContentsAndNoLinkIsBroken) {
    const QDir folder(vk::HelpFolder());
    QSet<QString> reached{QStringLiteral("index.html")};
    QStringList queue{QStringLiteral("index.html")};
    while (!queue.isEmpty()) {
        const QString page = queue.takeFirst();
        const QString html = readAll(folder.filePath(page));
        ASSERT_FALSE(html.isEmpty()) << page.toStdString();
        for (const QString& target : pageLinks(html)) {
            EXPECT_TRUE(folder.exists(target)) << page.toStdString() << " -> " << target.toStdString();
            if (!reached.contains(target) && folder.exists(target)) {
                reached.insert(target);
                queue << target;
            }
        }
    }
    for (const QString& page : folder.entryList({QStringLiteral("*.html")}, QDir::Files)) {
        EXPECT_TRUE(reached.contains(page)) << page.toStdString() << " is not reachable from the contents";
    }
    // The contents page itself names every context page.
    const QStringList fromContents = pageLinks(readAll(folder.filePath("index.html")));
    for (int context : kContexts) {
        EXPECT_TRUE(fromContents.contains(vk::HelpPageName(context))) << context;
    }
}

TEST(HelpViewer, OpensAContextPageAndFallsBackToTheContents) {
    vk::THelpViewer viewer;
    viewer.ShowContext(27);
    EXPECT_EQ(viewer.CurrentPage(), QString("ctx27.html"));
    EXPECT_TRUE(viewer.windowTitle().contains(viewer.Browser->documentTitle()));
    viewer.ShowContext(9999);
    EXPECT_EQ(viewer.CurrentPage(), QString("index.html"));
    viewer.ShowContext(-1);
    EXPECT_EQ(viewer.CurrentPage(), QString("index.html"));

    // Back and forward walk the pages seen.
    EXPECT_TRUE(viewer.btnBack->isEnabled());
    viewer.btnBack->click();
    viewer.btnBack->click();
    EXPECT_EQ(viewer.CurrentPage(), QString("ctx27.html"));
    EXPECT_TRUE(viewer.btnForward->isEnabled());
    viewer.btnForward->click();
    EXPECT_EQ(viewer.CurrentPage(), QString("index.html"));
    viewer.ShowContext(6);
    viewer.btnContents->click();
    EXPECT_EQ(viewer.CurrentPage(), QString("index.html"));
}

TEST(HelpViewer, MissingHelpIsReportedInTheWindow) {
    vk::test::TTempDir empty;
    vk::THelpViewer viewer(empty.path());
    viewer.ShowContext(6);
    EXPECT_TRUE(viewer.CurrentPage().isEmpty());
    EXPECT_TRUE(viewer.Browser->toPlainText().contains(QString::fromUtf8("Справка не найдена")));
    EXPECT_TRUE(viewer.Browser->toPlainText().contains(empty.path()));
}

TEST(HelpPages, EachNamedTopicOpensThePageWrittenForIt) {
    using H = vk::THelpContext;
    const struct {
        H topic;
        const char* title;
    } cases[] = {
        {H::TileComment, "Комментарий к плитке"},
        {H::TileEditor, "Редактор плиток"},
        {H::PatternEditor, "Редактор узоров"},
        {H::MainWindow, "Главное окно"},
        {H::TileHalves, "Половинки плитки"},
        {H::AddTileToPattern, "Добавить плитку в узор"},
        {H::Settings, "Параметры программы"},
        {H::DrawingSegmentsAndArcs, "Рисование отрезков и дуг"},
        {H::PatternCheck, "Проверка узора"},
        {H::ElementEditing, "Список элементов и окно правки элемента"},
        {H::MarkingTiles, "Выделение плиток, цвет и текстура"},
        {H::PrintOptions, "Опции печати"},
        {H::ProjectComment, "Комментарий к проекту"},
        {H::SelectingLines, "Выделение и правка линий"},
        {H::SegmentProperties, "Свойства отрезка"},
        {H::ArcProperties, "Свойства дуги"},
        {H::PrintRegion, "Область печати"},
        {H::StartPoint, "Начальная точка укладки"},
        {H::CutLines, "Разделительные линии половинок"},
        {H::OutliningHalf, "Очертить половинку"},
        {H::TilePlace, "Обозначить место плитки"},
        {H::NeighbourPattern, "Обозначить соседний узор"},
        {H::StartPointOptimizer, "Подобрать начальную точку"},
        {H::Materials, "Ведомость материалов"},
    };
    vk::CloseHelp();
    for (const auto& c : cases) {
        vk::ShowHelp(c.topic);
        ASSERT_NE(vk::HelpWindow(), nullptr);
        EXPECT_EQ(vk::HelpWindow()->Browser->documentTitle(), QString::fromUtf8(c.title))
            << vk::HelpNumber(c.topic);
    }
    vk::CloseHelp();
}

TEST(HelpWindow, OneWindowServesEveryRequest) {
    vk::CloseHelp();
    EXPECT_EQ(vk::HelpWindow(), nullptr);
    vk::ShowHelp(6);
    vk::THelpViewer* first = vk::HelpWindow();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->CurrentPage(), QString("ctx6.html"));
    EXPECT_FALSE(first->testAttribute(Qt::WA_QuitOnClose));
    vk::ShowHelp(50);
    EXPECT_EQ(vk::HelpWindow(), first);
    EXPECT_EQ(first->CurrentPage(), QString("ctx50.html"));
    vk::ShowHelpContents();
    EXPECT_EQ(vk::HelpWindow(), first);
    EXPECT_EQ(first->CurrentPage(), QString("index.html"));
    vk::CloseHelp();
    EXPECT_EQ(vk::HelpWindow(), nullptr);
}

TEST(HelpWindow, IsLentToAModalDialogAndGivenBackWhenItCloses) {
    vk::CloseHelp();
    vk::ShowHelp(6);
    vk::THelpViewer* viewer = vk::HelpWindow();
    QDialog dialog;
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::activeModalWidget(), &dialog);
    vk::ShowHelp(26);
    EXPECT_EQ(vk::HelpWindow(), viewer);
    EXPECT_EQ(viewer->parentWidget(), &dialog);
    EXPECT_TRUE(viewer->isVisible());
    dialog.hide();
    EXPECT_EQ(viewer->parentWidget(), nullptr);
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_EQ(viewer->CurrentPage(), QString("ctx26.html"));
    vk::CloseHelp();
}

TEST(HelpWindow, ContextComesFromTheControlOrTheNearestParentThatHasOne) {
    QWidget window;
    window.setProperty("helpContext", 21);
    auto* panel = new QWidget(&window);
    auto* editor = new QWidget(panel);
    editor->setProperty("helpContext", 50);
    auto* field = new QLineEdit(editor);
    auto* other = new QLineEdit(panel);
    QWidget bare;
    QWidget zero;
    zero.setProperty("helpContext", 0);
    struct Case {
        const char* name;
        const QWidget* widget;
        int context;
    };
    const Case cases[] = {
        {"own context", editor, 50},
        {"field inside an editor", field, 50},
        {"field beside it takes the window's", other, 21},
        {"context 0 is a context", &zero, 0},
        {"nothing anywhere", &bare, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(vk::HelpContextOf(c.widget), c.context) << c.name;
    }
}

TEST(HelpWindow, F1AndRequestsFromLowerLayersOpenTheirTopics) {
    vk::InstallHelp();
    vk::CloseHelp();

    QWidget window;
    window.setProperty("helpContext", 24);
    auto* layout = new QVBoxLayout(&window);
    auto* field = new QLineEdit(&window);
    layout->addWidget(field);
    window.show();
    QApplication::processEvents();
    QTest::keyClick(field, Qt::Key_F1);
    ASSERT_NE(vk::HelpWindow(), nullptr);
    EXPECT_EQ(vk::HelpWindow()->CurrentPage(), QString("ctx24.html"));

    QWidget bare;
    auto* bareLayout = new QVBoxLayout(&bare);
    auto* bareField = new QLineEdit(&bare);
    bareLayout->addWidget(bareField);
    bare.show();
    QTest::keyClick(bareField, Qt::Key_F1);
    EXPECT_EQ(vk::HelpWindow()->CurrentPage(), QString("index.html"));

    vk::RequestHelp(53);
    EXPECT_EQ(vk::HelpWindow()->CurrentPage(), QString("ctx53.html"));
    vk::CloseHelp();
}
