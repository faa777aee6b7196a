#include "ui/AskSaveFile.h"

#include "ui/UserInterface.h"

#include <QFileInfo>

namespace vk {

std::optional<QString> AskSaveFile(const QString& caption, QString folder, const QString& filter, QString suggested,
                                   const QString& suffix) {
    for (;;) {
        const std::optional<QString> chosen = ui().saveFileName(caption, folder, filter, suggested);
        if (!chosen || chosen->isEmpty()) {
            return std::nullopt;
        }
        QString path = *chosen;
        if (QFileInfo(path).suffix().isEmpty()) {
            path += QLatin1Char('.') + suffix;
        }
        if (QFileInfo::exists(path) &&
            ui().confirm(QStringLiteral("Файл \"%1\" уже существует.\r\nЗаменить его?").arg(QFileInfo(path).fileName()),
                         TButtons::YesNo) != TAnswer::Yes) {
            folder = QFileInfo(path).absolutePath();
            suggested = QFileInfo(path).fileName();
            continue;
        }
        return path;
    }
}

} // namespace vk
