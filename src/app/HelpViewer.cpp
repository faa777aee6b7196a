#include "app/HelpViewer.h"

#include "model/Config.h"
#include "sheet/HelpRequest.h"

#include <QApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPointer>
#include <QStyle>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace vk {

namespace {
const char* const kContentsPage = "index.html";
const char* const kTitle = "Справка Vorkalo";

QToolButton* toolButton(const QString& text, QStyle::StandardPixmap icon, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setText(text);
    button->setIcon(parent->style()->standardIcon(icon));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    return button;
}
} // namespace

QString HelpPageName(int context) { return QStringLiteral("ctx%1.html").arg(context); }

THelpViewer::THelpViewer(const QString& folder, QWidget* parent)
    : QWidget(parent, Qt::Window), m_folder(folder.isEmpty() ? HelpFolder() : folder) {
    setObjectName(QStringLiteral("HelpViewer"));
    setWindowTitle(QString::fromUtf8(kTitle));

    btnBack = toolButton(QStringLiteral("Назад"), QStyle::SP_ArrowBack, this);
    btnBack->setObjectName(QStringLiteral("btnBack"));
    btnForward = toolButton(QStringLiteral("Вперёд"), QStyle::SP_ArrowForward, this);
    btnForward->setObjectName(QStringLiteral("btnForward"));
    btnContents = toolButton(QStringLiteral("Содержание"), QStyle::SP_DirHomeIcon, this);
    btnContents->setObjectName(QStringLiteral("btnContents"));
    btnBack->setEnabled(false);
    btnForward->setEnabled(false);

    Browser = new QTextBrowser(this);
    Browser->setObjectName(QStringLiteral("Browser"));
    Browser->setSearchPaths({m_folder});
    // Pages link each other; an address outside the folder (the home page)
    // goes to the desktop's browser.
    Browser->setOpenLinks(true);
    Browser->setOpenExternalLinks(true);

    connect(btnBack, &QToolButton::clicked, Browser, &QTextBrowser::backward);
    connect(btnForward, &QToolButton::clicked, Browser, &QTextBrowser::forward);
    connect(btnContents, &QToolButton::clicked, this, &THelpViewer::ShowContents);
    connect(Browser, &QTextBrowser::backwardAvailable, btnBack, &QToolButton::setEnabled);
    connect(Browser, &QTextBrowser::forwardAvailable, btnForward, &QToolButton::setEnabled);
    connect(Browser, &QTextBrowser::sourceChanged, this, &THelpViewer::updateTitle);

    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(4, 2, 4, 2);
    bar->addWidget(btnBack);
    bar->addWidget(btnForward);
    bar->addWidget(btnContents);
    bar->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(bar);
    layout->addWidget(Browser, 1);

    resize(820, 640);
}

void THelpViewer::showPage(const QString& fileName) {
    Browser->setSource(QUrl::fromLocalFile(m_folder + QChar('/') + fileName));
}

void THelpViewer::ShowContents() {
    const QString contents = QString::fromLatin1(kContentsPage);
    if (QFileInfo::exists(m_folder + QChar('/') + contents)) {
        showPage(contents);
        return;
    }
    Browser->clear();
    Browser->setHtml(QStringLiteral("<h2>Справка не найдена</h2><p>Нет файла справки <tt>%1</tt>.</p>"
                                    "<p>Страницы справки должны лежать в папке <tt>help</tt> рядом "
                                    "с программой.</p>")
                         .arg((m_folder + QChar('/') + contents).toHtmlEscaped()));
    setWindowTitle(QString::fromUtf8(kTitle));
}

void THelpViewer::ShowContext(int context) {
    const QString page = HelpPageName(context);
    if (QFileInfo::exists(m_folder + QChar('/') + page)) {
        showPage(page);
    } else {
        ShowContents();
    }
}

QString THelpViewer::CurrentPage() const {
    const QUrl source = Browser->source();
    if (source.isEmpty() || !QFileInfo::exists(source.toLocalFile())) {
        return {};
    }
    return source.fileName();
}

void THelpViewer::updateTitle() {
    const QString title = Browser->documentTitle();
    setWindowTitle(title.isEmpty() ? QString::fromUtf8(kTitle)
                                   : QString::fromUtf8(kTitle) + QStringLiteral(" — ") + title);
}

// ---------------------------------------------------------------------------
// The program's one help window.

namespace {

QPointer<THelpViewer>& theViewer() {
    static QPointer<THelpViewer> viewer;
    return viewer;
}

// A window that an application-modal dialog blocks cannot be used until the
// dialog closes; only the dialog's own child windows stay usable. So the help
// window is lent to the dialog while it waits and given back when it hides.
class THelpLoan : public QObject {
public:
    THelpLoan(THelpViewer* viewer, QWidget* dialog)
        : QObject(viewer), m_viewer(viewer), m_dialog(dialog), m_previousParent(viewer->parentWidget()) {
        dialog->installEventFilter(this);
    }

    [[nodiscard]] QWidget* Dialog() const { return m_dialog; }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_dialog && event->type() == QEvent::Hide) {
            giveBack();
        }
        return false;
    }

private:
    void giveBack() {
        if (m_dialog) {
            m_dialog->removeEventFilter(this);
        }
        if (m_viewer && m_viewer->parentWidget() == m_dialog) {
            const bool visible = m_viewer->isVisible();
            const QRect geometry = m_viewer->geometry();
            m_viewer->setParent(m_previousParent, Qt::Window);
            m_viewer->setGeometry(geometry);
            if (visible) {
                m_viewer->show();
            }
        }
        deleteLater();
    }

    QPointer<THelpViewer> m_viewer;
    QPointer<QWidget> m_dialog;
    QPointer<QWidget> m_previousParent;
};

THelpViewer* helpWindowForNow() {
    QPointer<THelpViewer>& viewer = theViewer();
    if (!viewer) {
        viewer = new THelpViewer();
        // The help window alone must not keep the program running.
        viewer->setAttribute(Qt::WA_QuitOnClose, false);
    }
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && modal != viewer && viewer->parentWidget() != modal) {
        const bool visible = viewer->isVisible();
        const QRect geometry = viewer->geometry();
        new THelpLoan(viewer, modal);
        viewer->setParent(modal, Qt::Window);
        viewer->setGeometry(geometry);
        if (visible) {
            viewer->show();
        }
    }
    return viewer;
}

void present(THelpViewer* viewer) {
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
}

class TContextHelpKey : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) {
            return false;
        }
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier) {
            return false;
        }
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget == nullptr) {
            return false;
        }
        // Taken at its first delivery (the focused control), before it would
        // travel on to the parents.
        const int context = HelpContextOf(widget);
        if (context >= 0) {
            ShowHelp(context);
        } else {
            ShowHelpContents();
        }
        return true;
    }
};

} // namespace

void ShowHelp(int context) {
    THelpViewer* viewer = helpWindowForNow();
    viewer->ShowContext(context);
    present(viewer);
}

void ShowHelpContents() {
    THelpViewer* viewer = helpWindowForNow();
    viewer->ShowContents();
    present(viewer);
}

THelpViewer* HelpWindow() { return theViewer(); }

void CloseHelp() { delete theViewer().data(); }

int HelpContextOf(const QWidget* widget) {
    for (const QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
        if (qobject_cast<const THelpViewer*>(w) != nullptr) {
            return -1;
        }
        const QVariant value = w->property("helpContext");
        if (value.isValid()) {
            bool ok = false;
            const int context = value.toInt(&ok);
            if (ok) {
                return context;
            }
        }
    }
    return -1;
}

void InstallHelp() {
    static TContextHelpKey* filter = nullptr;
    if (filter != nullptr || QCoreApplication::instance() == nullptr) {
        return;
    }
    filter = new TContextHelpKey(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(filter);
    SetHelpHandler([](int context) { ShowHelp(context); });
    QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, [] { CloseHelp(); });
}

} // namespace vk
