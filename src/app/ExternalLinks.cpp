#include "app/ExternalLinks.h"

#include "app/LinksConfig.h"
#include "model/Config.h"

#include <QDesktopServices>
#include <QUrl>

namespace vk {

namespace {
// The body's version line is a format: its "%%" become "%" and "%s" takes
// the version, so that the encoded words stay encoded and the version is
// written as it is.
const char* const kMailSubjectAndBody = "subject=Требуется%20помощь&body=Ошибка%3A%20%0D%0A%0D%0A%0D%0A";
const char* const kVersionWords = "Версия%%20программы";
const char* const kVersionTail = "%%3A%%20%s";

QString applyFormat(const QString& format, const QString& value) {
    QString out;
    out.reserve(format.size() + value.size());
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (format.at(i) == QChar('%') && i + 1 < format.size()) {
            const QChar next = format.at(i + 1);
            if (next == QChar('%')) {
                out += QChar('%');
                ++i;
                continue;
            }
            if (next == QChar('s')) {
                out += value;
                ++i;
                continue;
            }
        }
        out += format.at(i);
    }
    return out;
}
} // namespace

QString HomePageAddress() { return QString::fromUtf8(kConfiguredHomePage); }

QString SupportMailAddress() { return QString::fromUtf8(kConfiguredSupportMail); }

QString SupportMailLink(const QString& fullVersion) {
    return QStringLiteral("mailto:") + SupportMailAddress() + QChar('?') +
           QString::fromUtf8(kMailSubjectAndBody) +
           applyFormat(QString::fromUtf8(kVersionWords) + QString::fromUtf8(kVersionTail), fullVersion);
}

void OpenAddress(const QString& address) {
    const QUrl url(address, QUrl::TolerantMode);
    if (url.isValid()) {
        QDesktopServices::openUrl(url);
    }
}

void OpenHomePage() { OpenAddress(HomePageAddress()); }

void ComposeSupportMail() { OpenAddress(SupportMailLink(GetProgramVersion())); }

} // namespace vk
