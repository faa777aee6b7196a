#pragma once
// The tile library: the tables in DB/ beside the executable. The program has
// one TTileDB, created at start after the main window; it owns the table
// store that every library operation runs on.

#include <QString>
#include <memory>

namespace vk {

class TLibraryStore;

class TTileDB {
public:
    // Opens the library in `folder` (DbFolder() by default), creating the
    // folder and any missing table file. A table file that cannot be opened
    // as part of the library is left as it is; the user is told which and
    // why, and the library stays unavailable.
    explicit TTileDB(QString folder = QString());
    ~TTileDB();
    TTileDB(const TTileDB&) = delete;
    TTileDB& operator=(const TTileDB&) = delete;

    [[nodiscard]] const QString& Folder() const { return m_folder; }

    [[nodiscard]] bool IsAvailable() const { return m_store != nullptr; }
    // Why the library is unavailable; empty when it is available.
    [[nodiscard]] const QString& ErrorText() const { return m_error; }

    // The store, or nullptr when the library is unavailable.
    [[nodiscard]] TLibraryStore* Store() { return m_store.get(); }

    // For every library command before it starts: true when the library is
    // available; otherwise the user is told why and the command does nothing.
    bool CheckAvailable();

private:
    QString m_folder;
    QString m_error;
    std::unique_ptr<TLibraryStore> m_store;
};

} // namespace vk
