#pragma once
// Helpers of the library tests: byte snapshots of a folder, and a read-only
// look into one table file that does not go through the adapter.

#include <QByteArray>
#include <QMap>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <QVariantList>

namespace vk::test {

// Every file of a folder (not recursive) with its bytes.
using TFolderSnapshot = QMap<QString, QByteArray>;
[[nodiscard]] TFolderSnapshot SnapshotFolder(const QString& folder);

[[nodiscard]] QByteArray ReadBytes(const QString& path);
void WriteBytes(const QString& path, const QByteArray& bytes);
// Replaces bytes at an offset of an existing file.
void PatchBytes(const QString& path, qint64 offset, const QByteArray& bytes);
void CopyFolderFiles(const QString& from, const QString& to);

// One SQLite file opened read-only through its own connection.
class TRawTable {
public:
    explicit TRawTable(const QString& path, bool readOnly = true);
    ~TRawTable();
    TRawTable(const TRawTable&) = delete;
    TRawTable& operator=(const TRawTable&) = delete;

    // All rows of a query; a failing query fails the test.
    [[nodiscard]] QList<QVariantList> Rows(const QString& sql);
    // The first column of the first row.
    [[nodiscard]] QVariant Value(const QString& sql);
    void Exec(const QString& sql);

private:
    QString m_name;
    QSqlDatabase m_db;
};

} // namespace vk::test
