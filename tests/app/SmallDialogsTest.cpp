// The comment dialog, the small dialog, the about box and the outside links.

#include "app/About.h"
#include "app/EditComment.h"
#include "app/ExternalLinks.h"
#include "app/HelpViewer.h"
#include "app/LittleDialog.h"
#include "model/Project.h"
#include "sheet/EditorFactory.h"
#include "sheet/FloatEdit.h"
#include "sheet/PointEditor.h"
#include "sheet/PointRealEditor.h"
#include "support/ScriptedUi.h"
#include "ui/EditableElement.h"
#include "ui/PropertyEditor.h"
#include "model/Config.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QImage>
#include <QTextBrowser>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <QUrl>
#include <QUrlQuery>
#include <QVBoxLayout>
#include <functional>
#include <gtest/gtest.h>

namespace {

// Runs `body` on the modal dialog of type T once the event loop shows it.
template <typename T>
void onNextDialog(std::function<void(T*)> body) {
    QTimer::singleShot(0, [body] {
        if (auto* d = qobject_cast<T*>(QApplication::activeModalWidget()); d != nullptr) {
            body(d);
            return;
        }
        ADD_FAILURE() << "no dialog appeared";
    });
}

// Receives what the program hands to the desktop.
class TUrlCatcher : public QObject {
    Q_OBJECT
public:
    TUrlCatcher() {
        for (const char* scheme : {"mailto", "http", "https"}) {
            QDesktopServices::setUrlHandler(QLatin1String(scheme), this, "open");
        }
    }
    ~TUrlCatcher() override {
        for (const char* scheme : {"mailto", "http", "https"}) {
            QDesktopServices::unsetUrlHandler(QLatin1String(scheme));
        }
    }
    QList<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened.append(url); }
};

// The href of the first anchor of a rich-text label.
QString anchorOf(const QLabel* label) {
    QTextDocument document;
    document.setHtml(label->text());
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (format.isAnchor()) {
                return format.anchorHref();
            }
        }
    }
    return {};
}

const QString kMailHead = QStringLiteral("mailto:") + QString::fromUtf8(CONFIGURED_SUPPORT_MAIL) +
                          QString::fromUtf8("?subject=Требуется%20помощь&body=Ошибка%3A%20%0D%0A%0D%0A%0D%0A");

} // namespace

// ---------------------------------------------------------------------------
// Comment dialog

TEST(CommentDialog, DefaultsAreTheProjectComment) {
    vk::TfrmEditComment dialog;
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("Комментарий к проекту"));
    EXPECT_EQ(dialog.HelpContextNumber(), 46);
    EXPECT_EQ(vk::HelpContextOf(dialog.Memo), 46);
    EXPECT_TRUE(dialog.btnOk->isDefault());
    EXPECT_FALSE(dialog.btnHelp->autoDefault());
    EXPECT_EQ(dialog.btnCancel->text(), QString("Cancel"));
    EXPECT_EQ(dialog.btnHelp->text(), QString::fromUtf8("Помощь"));
    EXPECT_TRUE(dialog.isSizeGripEnabled());
}

TEST(CommentDialog, UntouchedCommentSurvivesOkByteForByte) {
    struct Case {
        const char* name;
        QString comment;
    };
    const Case cases[] = {
        {"empty", QString()},
        {"one line", QString::fromUtf8("Двор у дома")},
        {"lines with \\n and an empty line", QString::fromUtf8("Первая строка\nВторая\n\nЧетвёртая")},
        {"lines with \\r\\n", QString::fromUtf8("Заказчик: Иванов\r\nСрок: май\r\n")},
        {"lines with a lone \\r", QString::fromUtf8("раз\rдва")},
        {"trailing break", QString::fromUtf8("строка\n")},
    };
    for (const Case& c : cases) {
        QString comment = c.comment;
        onNextDialog<vk::TfrmEditComment>([](vk::TfrmEditComment* d) { d->btnOk->click(); });
        EXPECT_TRUE(vk::EditComment(nullptr, comment)) << c.name;
        EXPECT_EQ(comment, c.comment) << c.name;
    }
}

TEST(CommentDialog, TypedLinesComeBackInTheCommentsOwnLineBreaks) {
    struct Case {
        const char* name;
        QString before;
        QString after;
    };
    const Case cases[] = {
        {"new comment", QString(), QString::fromUtf8("Строка 1\nСтрока 2")},
        {"comment with \\r\\n", QString::fromUtf8("старый\r\nтекст"), QString::fromUtf8("Строка 1\r\nСтрока 2")},
    };
    for (const Case& c : cases) {
        QString comment = c.before;
        onNextDialog<vk::TfrmEditComment>([](vk::TfrmEditComment* d) {
            d->Memo->selectAll();
            QTest::keyClick(d->Memo, Qt::Key_Delete);
            d->Memo->insertPlainText(QString::fromUtf8("Строка 1"));
            QTest::keyClick(d->Memo, Qt::Key_Return);
            d->Memo->insertPlainText(QString::fromUtf8("Строка 2"));
            // Enter belongs to the text box: the dialog is still open.
            EXPECT_TRUE(d->isVisible());
            d->btnOk->click();
        });
        EXPECT_TRUE(vk::EditComment(nullptr, comment)) << c.name;
        EXPECT_EQ(comment, c.after) << c.name;
    }
}

TEST(CommentDialog, CancelEscAndCloseBoxChangeNothing) {
    const QString original = QString::fromUtf8("Первая\r\nВторая");
    const std::pair<const char*, std::function<void(vk::TfrmEditComment*)>> ways[] = {
        {"Cancel", [](vk::TfrmEditComment* d) { d->btnCancel->click(); }},
        {"Esc", [](vk::TfrmEditComment* d) { QTest::keyClick(d->Memo, Qt::Key_Escape); }},
        {"close box", [](vk::TfrmEditComment* d) { d->close(); }},
    };
    for (const auto& [name, leave] : ways) {
        QString comment = original;
        onNextDialog<vk::TfrmEditComment>([leave = leave](vk::TfrmEditComment* d) {
            d->Memo->setPlainText(QString::fromUtf8("совсем другое"));
            leave(d);
        });
        EXPECT_FALSE(vk::EditComment(nullptr, comment)) << name;
        EXPECT_EQ(comment, original) << name;
    }
}

TEST(CommentDialog, TileCommentTakesItsCaptionAndContextZero) {
    QString comment = QString::fromUtf8("плитка");
    QString caption;
    int context = -1;
    onNextDialog<vk::TfrmEditComment>([&](vk::TfrmEditComment* d) {
        caption = d->windowTitle();
        context = vk::HelpContextOf(d->Memo);
        d->btnOk->click();
    });
    EXPECT_TRUE(vk::EditComment(nullptr, comment, QString::fromUtf8("Комментарий к плитке"), 0));
    EXPECT_EQ(caption, QString::fromUtf8("Комментарий к плитке"));
    EXPECT_EQ(context, 0);
}

TEST(CommentDialog, HelpButtonOpensItsTopicInAWindowTheDialogDoesNotBlock) {
    vk::CloseHelp();
    QString comment;
    onNextDialog<vk::TfrmEditComment>([](vk::TfrmEditComment* d) {
        d->btnHelp->click();
        vk::THelpViewer* viewer = vk::HelpWindow();
        ASSERT_NE(viewer, nullptr);
        EXPECT_EQ(viewer->CurrentPage(), QString("ctx46.html"));
        EXPECT_TRUE(viewer->isVisible());
        // A child window of the modal dialog is the only kind it lets through.
        EXPECT_EQ(viewer->parentWidget(), d);
        d->btnCancel->click();
    });
    EXPECT_FALSE(vk::EditComment(nullptr, comment));
    // The help window outlives the dialog and stands on its own again.
    vk::THelpViewer* viewer = vk::HelpWindow();
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(viewer->parentWidget(), nullptr);
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_EQ(viewer->CurrentPage(), QString("ctx46.html"));
    vk::CloseHelp();
}

// ---------------------------------------------------------------------------
// Small dialog

namespace {
// An element whose editor is one line edit; it notes what the dialog did.
class TFakeElement : public vk::TEditableElement {
public:
    void CreateEditor(QWidget* parent, int divisor, const QString&) override {
        editor = new QLineEdit(QStringLiteral("12.5"), parent);
        editor->setMinimumWidth(300);
        parent->layout()->addWidget(editor);
        createdWith = divisor;
    }
    void ApplyEditor(int divisor) override {
        appliedText = editor->text();
        appliedWith = divisor;
        editor = nullptr;
    }
    void ReleaseEditor() override {
        released = true;
        editor = nullptr;
    }
    QLineEdit* editor = nullptr;
    int createdWith = 0;
    int appliedWith = 0;
    QString appliedText;
    bool released = false;
};
} // namespace

TEST(LittleDialog, FixedWindowGrowsToHoldTheEditorPutIntoItsPanel) {
    vk::TfrmLittleDialog dialog;
    EXPECT_EQ(dialog.layout()->sizeConstraint(), QLayout::SetFixedSize);
    EXPECT_TRUE(dialog.btnOk->isDefault());
    EXPECT_EQ(dialog.Panel1->findChildren<QWidget*>().size(), 0);
    TFakeElement element;
    element.CreateEditor(dialog.Panel1, 1, QStringLiteral("мм"));
    dialog.show();
    QApplication::processEvents();
    EXPECT_GE(dialog.width(), 300);
    EXPECT_EQ(element.editor->parentWidget(), dialog.Panel1);
    dialog.hide();
    element.ReleaseEditor();
}

// Enter in a number field of the start-point dialog took the number but did
// not confirm the dialog, whose fields were all filled.
TEST(LittleDialog, EnterInANumberFieldConfirmsTheStartPointDialog) {
    vk::InstallWidgetEditorFactory();
    vk::TProject project;
    project.SetStartPoint(10, 20);
    onNextDialog<vk::TfrmLittleDialog>([&](vk::TfrmLittleDialog* d) {
        const QList<vk::TJvFloatEdit3*> fields = d->findChildren<vk::TJvFloatEdit3*>();
        if (fields.size() < 2) {
            ADD_FAILURE() << "the start point has no number fields";
            d->reject();
            return;
        }
        fields[0]->setFocus();
        fields[0]->selectAll();
        QTest::keyClicks(fields[0], QStringLiteral("1,5"));
        QTest::keyClick(fields[0], Qt::Key_Return);
        // A dialog that stayed open would hold the test.
        QTimer::singleShot(0, d, [d] {
            if (d->isVisible()) {
                ADD_FAILURE() << "Enter did not confirm the dialog";
                d->reject();
            }
        });
    });
    EXPECT_TRUE(vk::TfrmLittleDialog::EditElement(nullptr, project.StartPointElement(), 1, QStringLiteral("мм"),
                                                  QStringLiteral("Начальная точка")));
    EXPECT_FLOAT_EQ(project.StartPoint().X, 1.5f);
    EXPECT_FLOAT_EQ(project.StartPoint().Y, 20.0f);
}

TEST(LittleDialog, OkAppliesTheEditorAndCancelReleasesIt) {
    {
        TFakeElement element;
        QString caption;
        onNextDialog<vk::TfrmLittleDialog>([&](vk::TfrmLittleDialog* d) {
            caption = d->windowTitle();
            element.editor->setText(QStringLiteral("3.25"));
            d->btnOk->click();
        });
        EXPECT_TRUE(vk::TfrmLittleDialog::EditElement(nullptr, element, 1000, QStringLiteral("м"),
                                                      QString::fromUtf8("Начальная точка")));
        EXPECT_EQ(caption, QString::fromUtf8("Начальная точка"));
        EXPECT_EQ(element.createdWith, 1000);
        EXPECT_EQ(element.appliedWith, 1000);
        EXPECT_EQ(element.appliedText, QString("3.25"));
        EXPECT_FALSE(element.released);
    }
    {
        TFakeElement element;
        onNextDialog<vk::TfrmLittleDialog>([&](vk::TfrmLittleDialog* d) {
            element.editor->setText(QStringLiteral("99"));
            QTest::keyClick(d, Qt::Key_Escape);
        });
        EXPECT_FALSE(vk::TfrmLittleDialog::EditElement(nullptr, element, 1, QStringLiteral("мм"),
                                                       QString::fromUtf8("Начальная точка")));
        EXPECT_TRUE(element.released);
        EXPECT_TRUE(element.appliedText.isEmpty());
    }
}

// ---------------------------------------------------------------------------
// About box and links

TEST(SupportMail, LinkCarriesTheEncodedSubjectAndBodyAndThePlainVersion) {
    const QString link = vk::SupportMailLink(QStringLiteral("1.2.3.4"));
    EXPECT_EQ(link, kMailHead + QString::fromUtf8("Версия%20программы%3A%201.2.3.4"));
    EXPECT_TRUE(link.endsWith(QString::fromUtf8("Версия%20программы%3A%201.2.3.4")));

    // What a mail program makes of it.
    const QUrl url(link, QUrl::TolerantMode);
    ASSERT_TRUE(url.isValid());
    EXPECT_EQ(url.scheme(), QString("mailto"));
    EXPECT_EQ(url.path(), QString::fromUtf8(CONFIGURED_SUPPORT_MAIL));
    const QUrlQuery query(url);
    EXPECT_EQ(query.queryItemValue("subject", QUrl::FullyDecoded), QString::fromUtf8("Требуется помощь"));
    EXPECT_EQ(query.queryItemValue("body", QUrl::FullyDecoded),
              QString::fromUtf8("Ошибка: \r\n\r\n\r\nВерсия программы: 1.2.3.4"));
}

TEST(AboutBox, VersionTextsFromTheFullVersion) {
    struct Case {
        const char* full;
        const char* version;
        const char* build;
    };
    const Case cases[] = {
        {"0.0.0.0", "Версия 0.0", "(Сборка 0.0.0.0)"},
        {"1.2.3.4", "Версия 1.2", "(Сборка 1.2.3.4)"},
        {"10.20.300.4000", "Версия 10.20", "(Сборка 10.20.300.4000)"},
    };
    for (const Case& c : cases) {
        vk::TfrmAbout box(nullptr, QString::fromLatin1(c.full));
        EXPECT_EQ(box.lblVersion->text(), QString::fromUtf8(c.version)) << c.full;
        EXPECT_EQ(box.lblBuild->text(), QString::fromUtf8(c.build)) << c.full;
        EXPECT_EQ(anchorOf(box.lblMail), vk::SupportMailLink(QString::fromLatin1(c.full))) << c.full;
        EXPECT_EQ(anchorOf(box.lblHomePage), vk::HomePageAddress()) << c.full;
    }
}

TEST(AboutBox, LooksAsDesigned) {
    vk::TfrmAbout box(nullptr, QStringLiteral("1.2.3.4"));
    EXPECT_TRUE(box.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(box.lblProduct->text(), QString("Vorkalo"));
    EXPECT_TRUE(box.lblProduct->font().bold());
    EXPECT_EQ(box.lblProduct->font().pixelSize(), 16);
    EXPECT_EQ(box.lblProduct->palette().color(QPalette::WindowText), QColor(0, 0, 128));
    EXPECT_EQ(box.lblBuild->palette().color(QPalette::WindowText), QColor(128, 128, 128));
    EXPECT_EQ(box.lblMailCaption->text(), QString("e-mail:"));
    for (const QLabel* link : {box.lblHomePage, box.lblMail}) {
        EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
        EXPECT_TRUE(link->text().contains("text-decoration:underline"));
        EXPECT_TRUE(link->text().contains("color:#0000ff"));
    }
    EXPECT_TRUE(box.btnOk->isDefault());
}

TEST(AboutBox, CentredOnTheMainWindow) {
    QWidget mainWindow;
    mainWindow.setGeometry(100, 80, 900, 700);
    mainWindow.show();
    vk::TfrmAbout box(&mainWindow, QStringLiteral("1.2.3.4"));
    box.show();
    QApplication::processEvents();
    const QPoint offset = box.geometry().center() - mainWindow.frameGeometry().center();
    EXPECT_LE(offset.manhattanLength(), 2);
}

TEST(AboutBox, LinksGoToTheDesktop) {
    TUrlCatcher catcher;
    vk::TfrmAbout box(nullptr, QStringLiteral("1.2.3.4"));
    emit box.lblMail->linkActivated(anchorOf(box.lblMail));
    emit box.lblHomePage->linkActivated(anchorOf(box.lblHomePage));
    ASSERT_EQ(catcher.opened.size(), 2);
    EXPECT_EQ(QUrlQuery(catcher.opened[0]).queryItemValue("body", QUrl::FullyDecoded),
              QString::fromUtf8("Ошибка: \r\n\r\n\r\nВерсия программы: 1.2.3.4"));
    EXPECT_EQ(catcher.opened[1], QUrl(QString::fromUtf8(CONFIGURED_HOME_PAGE)));
}

// The addresses were written into the code as placeholders; they come from
// the build's configuration (VORKALO_HOME_PAGE, VORKALO_SUPPORT_MAIL), the
// same for the box and for the window's commands.
TEST(AboutBox, AddressesAreTheBuildConfigurationsForBoxAndCommandsAlike) {
    const QString home = QString::fromUtf8(CONFIGURED_HOME_PAGE);
    const QString mail = QString::fromUtf8(CONFIGURED_SUPPORT_MAIL);
    ASSERT_FALSE(home.isEmpty());
    ASSERT_FALSE(mail.isEmpty());
    EXPECT_EQ(vk::HomePageAddress(), home);
    EXPECT_EQ(vk::SupportMailAddress(), mail);
    EXPECT_TRUE(vk::SupportMailLink(QStringLiteral("1.2.3.4")).startsWith(QStringLiteral("mailto:") + mail + '?'));

    vk::TfrmAbout box(nullptr, QStringLiteral("1.2.3.4"));
    EXPECT_EQ(anchorOf(box.lblHomePage), home);
    EXPECT_TRUE(box.lblHomePage->text().contains(QUrl(home).host())) << "the box shows the configured host";
    EXPECT_TRUE(box.lblMail->text().contains(mail));

    TUrlCatcher catcher;
    vk::OpenHomePage();
    vk::ComposeSupportMail();
    ASSERT_EQ(catcher.opened.size(), 2);
    EXPECT_EQ(catcher.opened[0], QUrl(home));
    EXPECT_EQ(catcher.opened[1].path(), mail);
}

TEST(OutsideLinks, CommandsOpenTheHomePageAndTheMailOfTheRunningVersion) {
    TUrlCatcher catcher;
    vk::OpenHomePage();
    vk::ComposeSupportMail();
    ASSERT_EQ(catcher.opened.size(), 2);
    EXPECT_EQ(catcher.opened[0], QUrl(vk::HomePageAddress()));
    EXPECT_EQ(catcher.opened[1].scheme(), QString("mailto"));
    EXPECT_TRUE(QUrlQuery(catcher.opened[1])
                    .queryItemValue("body", QUrl::FullyDecoded)
                    .endsWith(QString::fromUtf8("Версия программы: ") + vk::GetProgramVersion()));
}

// ---------------------------------------------------------------------------
// With VORKALO_SCREENSHOTS set to a folder the windows are written there as
// pictures to be looked at.

namespace {
void keep(QWidget& w, const QString& name) {
    w.show();
    QApplication::processEvents();
    const QImage picture = w.grab().toImage();
    EXPECT_FALSE(picture.isNull()) << name.toStdString();
    const QString folder = qEnvironmentVariable("VORKALO_SCREENSHOTS");
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
        picture.save(folder + "/" + name + ".png");
    }
}
} // namespace

TEST(Screenshots, SmallDialogsAndHelp) {
    vk::TfrmAbout about(nullptr, vk::GetProgramVersion());
    keep(about, "about");

    vk::TfrmEditComment comment;
    comment.SetText(QString::fromUtf8("Двор у дома 12.\nЗаказчик просит серую плитку по краю,\n"
                                      "в середине — узор «ёлочка»."));
    keep(comment, "comment");

    vk::TfrmLittleDialog little;
    little.setWindowTitle(QString::fromUtf8("Начальная точка"));
    TFakeElement element;
    element.CreateEditor(little.Panel1, 1, QStringLiteral("мм"));
    keep(little, "little");
    little.hide();
    element.ReleaseEditor();

    vk::THelpViewer viewer;
    for (const char* page : {"index", "ctx6", "ctx27", "ctx50", "ctx21", "ctx24"}) {
        const QString name = QString::fromLatin1(page);
        if (name == QStringLiteral("index")) {
            viewer.ShowContents();
        } else {
            viewer.ShowContext(name.mid(3).toInt());
        }
        keep(viewer, "help_" + name);
    }
}

#include "SmallDialogsTest.moc"

TEST(LittleDialog, AStartPointBeyondTheModelsRangeIsRefusedAndTheDialogStaysOpen) {
    vk::InstallWidgetEditorFactory();
    vk::test::TScriptedUi ui;
    vk::TProject project;
    bool stayedOpen = false;
    onNextDialog<vk::TfrmLittleDialog>([&](vk::TfrmLittleDialog* d) {
        auto* editor = d->Panel1->findChild<vk::TPointRealEditor*>();
        ASSERT_NE(editor, nullptr);
        editor->PointEditor1->X->setText(QStringLiteral("2000000")); // metres: 2e9 mm
        d->btnOk->click();
        stayedOpen = d->isVisible();
        editor->PointEditor1->X->setText(QStringLiteral("5"));
        d->btnOk->click();
    });
    EXPECT_TRUE(vk::TfrmLittleDialog::EditElement(nullptr, project.StartPointElement(), 1000, QStringLiteral("м"),
                                                  QString::fromUtf8("Начальная точка")));
    EXPECT_TRUE(stayedOpen);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].kind, vk::TMessageKind::Warning);
    EXPECT_TRUE(ui.messages[0].text.startsWith(QStringLiteral("Точка: координаты"))) << ui.messages[0].text.toStdString();
    EXPECT_EQ(project.StartPoint().X, 5000.0f);
    vk::setEditorFactory(nullptr);
}
