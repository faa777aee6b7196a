#pragma once
// The tile library: the tables in DB/ beside the executable.

#include <QString>

namespace vk {

class TTileDB {
public:
    // Opens the library in `folder` (DbFolder() by default), creating the
    // folder when it is missing.
    explicit TTileDB(QString folder = QString());

    [[nodiscard]] const QString& Folder() const { return m_folder; }

private:
    QString m_folder;
};

} // namespace vk
