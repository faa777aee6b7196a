#pragma once
// A folder that exists for one test and is removed with everything in it.

#include <QString>
#include <QTemporaryDir>

namespace vk::test {

class TTempDir {
public:
    TTempDir();
    [[nodiscard]] QString path() const { return m_dir.path(); }
    [[nodiscard]] QString file(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};

} // namespace vk::test
