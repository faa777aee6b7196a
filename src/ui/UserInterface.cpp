#include "ui/UserInterface.h"

#include <cstdio>

namespace vk {

namespace {
THeadlessUserInterface& headless() {
    static THeadlessUserInterface instance;
    return instance;
}
TUserInterface* current = nullptr;

class TSilentProgress final : public TProgress {
public:
    bool report(qint64) override { return true; }
};
} // namespace

std::unique_ptr<TProgress> TUserInterface::progress(const QString&, qint64, bool) {
    return std::make_unique<TSilentProgress>();
}

std::optional<QString> TUserInterface::saveFileName(const QString&, const QString&, const QString&,
                                                   const QString&) {
    return std::nullopt;
}

std::optional<QString> TUserInterface::openFileName(const QString&, const QString&, const QString&) {
    return std::nullopt;
}

QString QtFileFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts.at(i).trimmed();
        const qsizetype open = description.lastIndexOf(QLatin1Char('('));
        if (open > 0 && description.endsWith(QLatin1Char(')'))) {
            description = description.left(open).trimmed();
        }
        QStringList patterns = parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& pattern : patterns) {
            pattern = pattern.trimmed();
            if (pattern == QLatin1String("*.*")) {
                pattern = QStringLiteral("*");
            }
        }
        out << QStringLiteral("%1 (%2)").arg(description, patterns.join(QLatin1Char(' ')));
    }
    return out.join(QStringLiteral(";;"));
}

TAnswer THeadlessUserInterface::message(TMessageKind, const QString& text, TButtons buttons) {
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    switch (buttons) {
    case TButtons::YesNo:
    case TButtons::YesNoCancel:
        return TAnswer::Yes;
    case TButtons::Ok:
    case TButtons::OkCancel:
        break;
    }
    return TAnswer::Ok;
}

std::optional<QString> THeadlessUserInterface::inputText(const QString&, const QString&,
                                                          const QString&) {
    return std::nullopt;
}

TUserInterface& ui() { return current ? *current : headless(); }

void setUserInterface(TUserInterface* userInterface) { current = userInterface; }

} // namespace vk
