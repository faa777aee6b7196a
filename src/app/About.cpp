#include "app/About.h"

#include "app/ExternalLinks.h"
#include "model/Config.h"

#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace vk {

const char* const TfrmAbout::VersionFormat = "Версия %s";
const char* const TfrmAbout::BuildFormat = "(Сборка %s)";

namespace {
// The link colour and underline are set on the anchor itself: a label's
// palette would give the system's link colour instead.
QString linkHtml(const QString& href, const QString& shown) {
    return QStringLiteral("<a href=\"%1\" style=\"color:#0000ff; text-decoration:underline;\">%2</a>")
        .arg(href.toHtmlEscaped(), shown.toHtmlEscaped());
}

QLabel* linkLabel(const QString& href, const QString& shown, QWidget* parent) {
    auto* label = new QLabel(linkHtml(href, shown), parent);
    label->setTextFormat(Qt::RichText);
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    label->setOpenExternalLinks(false);
    label->setCursor(Qt::PointingHandCursor);
    QObject::connect(label, &QLabel::linkActivated, label, [](const QString& link) { OpenAddress(link); });
    return label;
}
} // namespace

QString FormatDesignText(const QString& designText, const QString& value) {
    QString text = designText;
    const qsizetype at = text.indexOf(QStringLiteral("%s"));
    if (at >= 0) {
        text.replace(at, 2, value);
    }
    return text;
}

TfrmAbout::TfrmAbout(QWidget* mainWindow) : TfrmAbout(mainWindow, GetProgramVersion()) {}

TfrmAbout::TfrmAbout(QWidget* mainWindow, const QString& fullVersion) : QDialog(mainWindow) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setWindowTitle(QStringLiteral("О программе"));

    m_homePageLink = HomePageAddress();
    m_mailLink = SupportMailLink(fullVersion);

    // Without a title bar the window needs an edge of its own to stand out
    // from what lies under it.
    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::Box);
    frame->setLineWidth(1);

    lblProduct = new QLabel(QStringLiteral("Vorkalo"), frame);
    lblProduct->setObjectName(QStringLiteral("lblProduct"));
    QFont productFont(QStringLiteral("Arial"));
    productFont.setPixelSize(16);
    productFont.setBold(true);
    lblProduct->setFont(productFont);
    QPalette productPalette = lblProduct->palette();
    productPalette.setColor(QPalette::WindowText, QColor(0, 0, 128));
    lblProduct->setPalette(productPalette);

    lblVersion = new QLabel(FormatDesignText(QString::fromUtf8(VersionFormat), ShortVersion(fullVersion)), frame);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblBuild = new QLabel(FormatDesignText(QString::fromUtf8(BuildFormat), fullVersion), frame);
    lblBuild->setObjectName(QStringLiteral("lblBuild"));
    QPalette greyPalette = lblBuild->palette();
    greyPalette.setColor(QPalette::WindowText, QColor(128, 128, 128));
    lblBuild->setPalette(greyPalette);

    QString shownHome = m_homePageLink;
    shownHome.remove(QStringLiteral("https://"));
    if (shownHome.endsWith(QChar('/'))) {
        shownHome.chop(1);
    }
    lblHomePage = linkLabel(m_homePageLink, shownHome, frame);
    lblHomePage->setObjectName(QStringLiteral("lblHomePage"));
    lblMailCaption = new QLabel(QStringLiteral("e-mail:"), frame);
    lblMail = linkLabel(m_mailLink, SupportMailAddress(), frame);
    lblMail->setObjectName(QStringLiteral("lblMail"));

    btnOk = new QPushButton(QStringLiteral("OK"), frame);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);

    auto* versionRow = new QHBoxLayout;
    versionRow->addWidget(lblVersion);
    versionRow->addWidget(lblBuild);
    versionRow->addStretch(1);

    auto* mailRow = new QHBoxLayout;
    mailRow->addWidget(lblMailCaption);
    mailRow->addWidget(lblMail);
    mailRow->addStretch(1);

    auto* okRow = new QHBoxLayout;
    okRow->addStretch(1);
    okRow->addWidget(btnOk);
    okRow->addStretch(1);

    auto* inner = new QVBoxLayout(frame);
    inner->setContentsMargins(24, 18, 24, 14);
    inner->setSpacing(6);
    inner->addWidget(lblProduct);
    inner->addLayout(versionRow);
    inner->addSpacing(10);
    inner->addWidget(lblHomePage);
    inner->addLayout(mailRow);
    inner->addSpacing(12);
    inner->addLayout(okRow);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);
    outer->setSizeConstraint(QLayout::SetFixedSize);
}

void TfrmAbout::Execute(QWidget* mainWindow) {
    TfrmAbout box(mainWindow);
    box.exec();
}

void TfrmAbout::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Centred on the main window, or on the screen when there is none.
    QRect area;
    if (QWidget* owner = parentWidget(); owner != nullptr) {
        area = owner->window()->frameGeometry();
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        area = screen->availableGeometry();
    }
    if (area.isValid()) {
        move(area.center() - rect().center());
    }
}

} // namespace vk
