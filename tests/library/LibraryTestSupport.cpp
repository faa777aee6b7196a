#include "LibraryTestSupport.h"

#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <gtest/gtest.h>

namespace vk::test {

TFolderSnapshot SnapshotFolder(const QString& folder) {
    TFolderSnapshot snapshot;
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden)) {
        snapshot.insert(name, ReadBytes(dir.filePath(name)));
    }
    return snapshot;
}

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

void PatchBytes(const QString& path, qint64 offset, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite)) << path.toStdString();
    ASSERT_TRUE(file.seek(offset));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

void CopyFolderFiles(const QString& from, const QString& to) {
    QDir().mkpath(to);
    const QDir source(from);
    for (const QString& name : source.entryList(QDir::Files | QDir::Hidden)) {
        QFile::remove(QDir(to).filePath(name));
        ASSERT_TRUE(QFile::copy(source.filePath(name), QDir(to).filePath(name))) << name.toStdString();
    }
}

TRawTable::TRawTable(const QString& path, bool readOnly) {
    static int counter = 0;
    m_name = QStringLiteral("raw_test_%1").arg(++counter);
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    m_db.setDatabaseName(path);
    if (readOnly) {
        m_db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    }
    EXPECT_TRUE(m_db.open()) << m_db.lastError().text().toStdString();
}

TRawTable::~TRawTable() {
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_name);
}

QList<QVariantList> TRawTable::Rows(const QString& sql) {
    QList<QVariantList> rows;
    QSqlQuery query(m_db);
    if (!query.exec(sql)) {
        ADD_FAILURE() << sql.toStdString() << ": " << query.lastError().text().toStdString();
        return rows;
    }
    while (query.next()) {
        QVariantList row;
        for (int i = 0; i < query.record().count(); ++i) {
            row << query.value(i);
        }
        rows << row;
    }
    return rows;
}

QVariant TRawTable::Value(const QString& sql) {
    const QList<QVariantList> rows = Rows(sql);
    if (rows.isEmpty() || rows.front().isEmpty()) {
        ADD_FAILURE() << "no value: " << sql.toStdString();
        return {};
    }
    return rows.front().front();
}

void TRawTable::Exec(const QString& sql) {
    QSqlQuery query(m_db);
    EXPECT_TRUE(query.exec(sql)) << sql.toStdString() << ": " << query.lastError().text().toStdString();
}

} // namespace vk::test
