#include "library/LibraryStore.h"

#include "geometry/PrimitiveRecord.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>
#include <QtEndian>
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <set>

namespace vk {

TLibraryError::TLibraryError(const QString& text)
    : std::runtime_error(text.toStdString()), m_text(text) {}

QString CutLibraryName(const QString& name) {
    if (name.size() <= kLibraryNameLength) {
        return name;
    }
    qsizetype length = kLibraryNameLength;
    if (name.at(length - 1).isHighSurrogate()) {
        --length;
    }
    return name.left(length);
}

quint32 PackedFileDateTime(const QDateTime& dateTime) {
    if (!dateTime.isValid()) {
        return 0;
    }
    const QDateTime local = dateTime.toLocalTime();
    const QDate date = local.date();
    const QTime time = local.time();
    if (date.year() < 1980 || date.year() > 2107) {
        return 0;
    }
    return (static_cast<quint32>(date.year() - 1980) << 25) |
           (static_cast<quint32>(date.month()) << 21) | (static_cast<quint32>(date.day()) << 16) |
           (static_cast<quint32>(time.hour()) << 11) | (static_cast<quint32>(time.minute()) << 5) |
           static_cast<quint32>(time.second() / 2);
}

namespace {

// Written into the header of every table file (PRAGMA application_id): a
// SQLite file without it was not made by this program and is never opened.
constexpr quint32 kApplicationId = 0x566B4C42; // "VkLB"
// The layout of the files (PRAGMA user_version).
constexpr int kFormatVersion = 1;
// Random draws of NewLibraryId before it walks to the next free number.
constexpr int kRandomDraws = 100;

QString Native(const QString& path) { return QDir::toNativeSeparators(path); }

QString RefusedText(const QString& path, const QString& reason) {
    return QStringLiteral("Файл библиотеки плиток \"%1\" не открыт: %2. Файл оставлен без изменений.")
        .arg(Native(path), reason);
}

QString CreateFailedText(const QString& path, const QString& detail) {
    return QStringLiteral("Не удалось создать файл библиотеки плиток \"%1\": %2.")
        .arg(Native(path), detail);
}

QString StoreErrorText(const QString& detail) {
    return QStringLiteral("Ошибка библиотеки плиток: %1").arg(detail);
}

const QString kDamaged = QStringLiteral("файл повреждён");
const QString kForeign = QStringLiteral("файл записан другой программой");

QString NextConnectionName() {
    static std::atomic<int> counter{0};
    return QStringLiteral("vk_library_%1").arg(++counter);
}

// One QSqlDatabase connection, removed again with the object.
class TConnection {
public:
    explicit TConnection(const QString& path) : m_name(NextConnectionName()) {
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        m_db.setDatabaseName(path);
        // Another running copy of the program holds a file only for the
        // moment of a commit.
        m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"));
    }
    ~TConnection() {
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
    }
    TConnection(const TConnection&) = delete;
    TConnection& operator=(const TConnection&) = delete;

    QSqlDatabase& db() { return m_db; }

private:
    QString m_name;
    QSqlDatabase m_db;
};

// Looks at the first 100 bytes only, so that a file of another kind is never
// handed to SQLite, which could write journals or roll one back into it.
std::optional<QString> CheckHeader(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QStringLiteral("файл не читается");
    }
    const QByteArray header = file.read(100);
    file.close();
    if (header.size() < 100 || !header.startsWith(QByteArray("SQLite format 3\0", 16))) {
        return QStringLiteral("это не файл базы данных");
    }
    // Bytes 18 and 19 are 1 for the rollback journal, 2 for WAL, which this
    // program never uses.
    if (header.at(18) != 1 || header.at(19) != 1) {
        return kForeign;
    }
    if (qFromBigEndian<quint32>(header.constData() + 68) != kApplicationId) {
        return kForeign;
    }
    return std::nullopt;
}

QString ReadOnlyText(const QString& what) {
    return QStringLiteral("Библиотека плиток открыта только для чтения: %1 для записи. "
                          "Изменения в библиотеку записать нельзя.")
        .arg(what);
}

QString Qualified(const TLibraryTableDef& def) {
    return QStringLiteral("%1.%2").arg(QLatin1String(def.Schema), QLatin1String(def.Name));
}

QString ColumnList(const TLibraryTableDef& def) {
    QStringList names;
    for (const TLibraryColumn& c : def.Columns) {
        names << QLatin1String(c.Name);
    }
    return names.join(QStringLiteral(", "));
}

QStringList CreationStatements(const TLibraryTableDef& def) {
    QStringList columns{QStringLiteral("%1 INTEGER PRIMARY KEY").arg(QLatin1String(kOrderColumn))};
    for (const TLibraryColumn& c : def.Columns) {
        QString column = QStringLiteral("%1 %2").arg(QLatin1String(c.Name), QLatin1String(c.Type));
        if (c.NotNull) {
            column += QStringLiteral(" NOT NULL");
        }
        if (c.MaxLength > 0) {
            column += QStringLiteral(" CHECK (length(%1) <= %2)").arg(QLatin1String(c.Name)).arg(c.MaxLength);
        }
        if (c.IsBoolean) {
            column += QStringLiteral(" CHECK (%1 IN (0, 1))").arg(QLatin1String(c.Name));
        }
        columns << column;
    }
    QStringList statements{
        QStringLiteral("PRAGMA application_id = %1").arg(static_cast<qint32>(kApplicationId)),
        QStringLiteral("PRAGMA user_version = %1").arg(kFormatVersion),
        QStringLiteral("PRAGMA journal_mode = DELETE"),
        QStringLiteral("PRAGMA synchronous = FULL"),
        QStringLiteral("BEGIN IMMEDIATE"),
        QStringLiteral("CREATE TABLE %1 (%2) STRICT")
            .arg(QLatin1String(def.Name), columns.join(QStringLiteral(", "))),
    };
    for (const TLibraryIndex& index : def.Indexes) {
        statements << QStringLiteral("CREATE INDEX %1 ON %2 (%3)")
                          .arg(QLatin1String(index.Name), QLatin1String(def.Name),
                               QLatin1String(index.Column));
    }
    statements << QStringLiteral("CREATE TABLE %1 (Name TEXT PRIMARY KEY NOT NULL, Value ANY) STRICT")
                      .arg(QLatin1String(kParamsTable));
    switch (def.Version) {
    case TVersionParam::Integer:
        statements << QStringLiteral("INSERT INTO %1 (Name, Value) VALUES ('Version', 1)")
                          .arg(QLatin1String(kParamsTable));
        break;
    case TVersionParam::Text:
        statements << QStringLiteral("INSERT INTO %1 (Name, Value) VALUES ('Version', '1')")
                          .arg(QLatin1String(kParamsTable));
        break;
    case TVersionParam::None:
        break;
    }
    statements << QStringLiteral("COMMIT");
    return statements;
}

// Builds the file under a temporary name and renames it only when it is
// complete, so that an interrupted start never leaves a half-made table file
// that the next start would have to refuse.
void CreateTableFile(const TLibraryTableDef& def, const QString& path) {
    const QString temp = path + QStringLiteral(".new");
    const auto removeTemp = [&temp] {
        QFile::remove(temp);
        QFile::remove(temp + QStringLiteral("-journal"));
    };
    removeTemp(); // left over by an interrupted creation; never a library file
    QString error;
    {
        TConnection connection(temp);
        if (!connection.db().open()) {
            error = connection.db().lastError().text();
        } else {
            for (const QString& statement : CreationStatements(def)) {
                QSqlQuery query(connection.db());
                if (!query.exec(statement)) {
                    error = query.lastError().text();
                    break;
                }
            }
        }
    }
    if (error.isEmpty() && !QFile::rename(temp, path)) {
        error = QStringLiteral("не удалось переименовать \"%1\"").arg(Native(temp));
    }
    if (!error.isEmpty()) {
        removeTemp();
        throw TLibraryError(CreateFailedText(path, error));
    }
}

// Why a read of a file failed: another program holding it is not damage.
QString ReadFailure(const QSqlError& error) {
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok) & 0xff;
    if (ok && (code == 5 || code == 6)) { // SQLITE_BUSY, SQLITE_LOCKED
        return QStringLiteral("файл занят другой программой");
    }
    return kDamaged;
}

// Checks an attached file against its definition; reads only (SQLite rolls a
// hot journal of an interrupted commit back on the first read, which is the
// recovery of our own file, not an alteration).
std::optional<QString> CheckAttached(QSqlDatabase& db, const TLibraryTableDef& def) {
    const QString schema = QLatin1String(def.Schema);
    QSqlQuery query(db);
    query.setForwardOnly(true);

    if (!query.exec(QStringLiteral("PRAGMA %1.quick_check").arg(schema))) {
        return ReadFailure(query.lastError());
    }
    while (query.next()) {
        if (query.value(0).toString() != QLatin1String("ok")) {
            return kDamaged;
        }
    }
    if (query.lastError().isValid()) {
        return ReadFailure(query.lastError());
    }

    if (!query.exec(QStringLiteral("PRAGMA %1.user_version").arg(schema)) || !query.next()) {
        return kDamaged;
    }
    const int version = query.value(0).toInt();
    if (version > kFormatVersion) {
        return QStringLiteral("файл записан более новой версией программы");
    }
    if (version != kFormatVersion) {
        return kForeign;
    }

    if (!query.exec(QStringLiteral("SELECT name FROM %1.sqlite_schema WHERE type = 'table' "
                                   "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'")
                        .arg(schema))) {
        return kDamaged;
    }
    QSet<QString> tables;
    while (query.next()) {
        tables.insert(query.value(0).toString());
    }
    const QString table = QLatin1String(def.Name);
    if (!tables.contains(table)) {
        return QStringLiteral("в файле нет таблицы \"%1\"").arg(table);
    }
    if (tables != QSet<QString>{table, QLatin1String(kParamsTable)}) {
        return QStringLiteral("в файле есть таблицы, которых в библиотеке нет");
    }

    struct TExpected {
        QString name;
        QString type;
        bool notNull;
        bool primaryKey;
    };
    const auto columnsMatch = [&](const QString& tableName, const std::vector<TExpected>& expected) {
        if (!query.exec(QStringLiteral("PRAGMA %1.table_info(%2)").arg(schema, tableName))) {
            return false;
        }
        std::size_t i = 0;
        while (query.next()) {
            if (i >= expected.size()) {
                return false;
            }
            const TExpected& e = expected[i++];
            if (query.value(1).toString() != e.name ||
                query.value(2).toString().compare(e.type, Qt::CaseInsensitive) != 0 ||
                (query.value(3).toInt() != 0) != e.notNull || (query.value(5).toInt() != 0) != e.primaryKey) {
                return false;
            }
        }
        return i == expected.size();
    };
    std::vector<TExpected> columns{{QLatin1String(kOrderColumn), QStringLiteral("INTEGER"), false, true}};
    for (const TLibraryColumn& c : def.Columns) {
        columns.push_back({QLatin1String(c.Name), QLatin1String(c.Type), c.NotNull, false});
    }
    if (!columnsMatch(table, columns)) {
        return QStringLiteral("поля таблицы \"%1\" не те, что нужны библиотеке").arg(table);
    }
    if (!columnsMatch(QLatin1String(kParamsTable),
                      {{QStringLiteral("Name"), QStringLiteral("TEXT"), true, true},
                       {QStringLiteral("Value"), QStringLiteral("ANY"), false, false}})) {
        return QStringLiteral("поля таблицы \"%1\" не те, что нужны библиотеке")
            .arg(QLatin1String(kParamsTable));
    }
    return std::nullopt;
}

QVariant TextValue(const QString& text) {
    // A null QString would be bound as NULL.
    return text.isNull() ? QVariant(QString::fromLatin1("")) : QVariant(text);
}

QVariant NameValue(const QString& name) { return TextValue(CutLibraryName(name)); }

QVariant BlobValue(const QByteArray& bytes) {
    return bytes.isNull() ? QVariant(QByteArray("", 0)) : QVariant(bytes);
}

QVariant StampValue(const QDateTime& stamp) {
    if (!stamp.isValid()) {
        return QVariant(QMetaType::fromType<QString>()); // NULL
    }
    return QVariant(stamp.toLocalTime().toString(Qt::ISODateWithMs));
}

QDateTime StampFrom(const QVariant& value) {
    if (value.isNull()) {
        return {};
    }
    return QDateTime::fromString(value.toString(), Qt::ISODateWithMs);
}

QVariant PointValue(const FlaggedPoint& point) { return encodeFlaggedPoint(point); }

// A shorter value leaves the rest zero: an empty one is (0, 0), not set.
FlaggedPoint PointFrom(const QVariant& value) {
    QByteArray bytes = value.toByteArray().left(kFlaggedPointSize);
    bytes.append(QByteArray(kFlaggedPointSize - bytes.size(), '\0'));
    return *decodeFlaggedPoint(bytes);
}

qint32 IntFrom(const QVariant& value) { return static_cast<qint32>(value.toLongLong()); }

// Each row type: its table, its values in column order, and back.
template <class Row>
struct TRowTraits;

template <>
struct TRowTraits<TTileRow> {
    static constexpr TLibraryTable Table = TLibraryTable::Tiles;
    static QVariantList Values(const TTileRow& r) {
        return {r.TileID, NameValue(r.TileName), StampValue(r.TileModified),
                PointValue(r.TileBasePoint), r.Thickness, TextValue(r.Comment)};
    }
    static TTileRow Read(const QSqlQuery& q) {
        TTileRow r;
        r.TileID = IntFrom(q.value(0));
        r.TileName = q.value(1).toString();
        r.TileModified = StampFrom(q.value(2));
        r.TileBasePoint = PointFrom(q.value(3));
        r.Thickness = q.value(4).toDouble();
        r.Comment = q.value(5).toString();
        return r;
    }
};

template <>
struct TRowTraits<TPrimitiveRow> {
    static constexpr TLibraryTable Table = TLibraryTable::Primitives;
    static QVariantList Values(const TPrimitiveRow& r) {
        return {r.TileID, r.PrimKind, r.PrimVersion, BlobValue(r.PrimGraphicInfo), r.LineStyle};
    }
    static TPrimitiveRow Read(const QSqlQuery& q) {
        TPrimitiveRow r;
        r.TileID = IntFrom(q.value(0));
        r.PrimKind = IntFrom(q.value(1));
        r.PrimVersion = IntFrom(q.value(2));
        r.PrimGraphicInfo = q.value(3).toByteArray();
        r.LineStyle = IntFrom(q.value(4));
        return r;
    }
};

template <>
struct TRowTraits<TCollageRow> {
    static constexpr TLibraryTable Table = TLibraryTable::Collages;
    static QVariantList Values(const TCollageRow& r) {
        return {r.TileID, r.CollageID, NameValue(r.CollageName), StampValue(r.CollageModified),
                PointValue(r.CollageBasePoint)};
    }
    static TCollageRow Read(const QSqlQuery& q) {
        TCollageRow r;
        r.TileID = IntFrom(q.value(0));
        r.CollageID = IntFrom(q.value(1));
        r.CollageName = q.value(2).toString();
        r.CollageModified = StampFrom(q.value(3));
        r.CollageBasePoint = PointFrom(q.value(4));
        return r;
    }
};

template <>
struct TRowTraits<TCollageTileRow> {
    static constexpr TLibraryTable Table = TLibraryTable::CollageTiles;
    static QVariantList Values(const TCollageTileRow& r) {
        return {r.CollageID, r.TilePlacementKind, r.TilePlacementVersion, BlobValue(r.TilePlacementInfo)};
    }
    static TCollageTileRow Read(const QSqlQuery& q) {
        TCollageTileRow r;
        r.CollageID = IntFrom(q.value(0));
        r.TilePlacementKind = IntFrom(q.value(1));
        r.TilePlacementVersion = IntFrom(q.value(2));
        r.TilePlacementInfo = q.value(3).toByteArray();
        return r;
    }
};

template <>
struct TRowTraits<TNextCollageTileRow> {
    static constexpr TLibraryTable Table = TLibraryTable::NextCollageTiles;
    static QVariantList Values(const TNextCollageTileRow& r) {
        return {r.CollageID, BlobValue(r.CollageHandPoint), r.HandPointKind, r.HandPointVersion};
    }
    static TNextCollageTileRow Read(const QSqlQuery& q) {
        TNextCollageTileRow r;
        r.CollageID = IntFrom(q.value(0));
        r.CollageHandPoint = q.value(1).toByteArray();
        r.HandPointKind = IntFrom(q.value(2));
        r.HandPointVersion = IntFrom(q.value(3));
        return r;
    }
};

template <>
struct TRowTraits<TPartRow> {
    static constexpr TLibraryTable Table = TLibraryTable::Parts;
    static QVariantList Values(const TPartRow& r) {
        return {r.TileID, r.PartID, NameValue(r.PartName), r.Equals ? 1 : 0};
    }
    static TPartRow Read(const QSqlQuery& q) {
        TPartRow r;
        r.TileID = IntFrom(q.value(0));
        r.PartID = IntFrom(q.value(1));
        r.PartName = q.value(2).toString();
        r.Equals = q.value(3).toLongLong() != 0;
        return r;
    }
};

template <>
struct TRowTraits<TContourRow> {
    static constexpr TLibraryTable Table = TLibraryTable::Contours;
    static QVariantList Values(const TContourRow& r) {
        return {r.PartID, r.ContourID, NameValue(r.ContourName)};
    }
    static TContourRow Read(const QSqlQuery& q) {
        TContourRow r;
        r.PartID = IntFrom(q.value(0));
        r.ContourID = IntFrom(q.value(1));
        r.ContourName = q.value(2).toString();
        return r;
    }
};

bool SameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

// By name with letter case ignored, then exactly, then in append order.
template <class Row>
void SortByName(std::vector<Row>& rows, QString Row::*name) {
    std::stable_sort(rows.begin(), rows.end(), [name](const Row& a, const Row& b) {
        const int folded = (a.*name).compare(b.*name, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : (a.*name).compare(b.*name, Qt::CaseSensitive) < 0;
    });
}

} // namespace

struct TLibraryStore::Impl {
    QString folder;
    // Why nothing may be written; empty when the library can be changed.
    QString readOnly;
    std::unique_ptr<TConnection> connection;
    int depth = 0;
    bool doomed = false;
    QString doomText;
    int faultAfter = -1;
    std::set<qint32> issuedIds;
    std::function<int()> random = [] { return std::rand(); };
    std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };

    [[nodiscard]] QString Path(const TLibraryTableDef& def) const {
        return folder + QLatin1Char('/') + QLatin1String(def.File);
    }

    void Open();

    [[noreturn]] void Fail(const QString& detail) {
        const QString text = StoreErrorText(detail);
        if (depth > 0) {
            doomed = true;
            doomText = text;
        }
        throw TLibraryError(text);
    }

    // Every statement of the library's operations passes here.
    QSqlQuery Run(const QString& sql, const QVariantList& values = {}) {
        if (doomed) {
            throw TLibraryError(doomText);
        }
        if (faultAfter == 0) {
            faultAfter = -1;
            Fail(QStringLiteral("сбой записи, вызванный проверкой"));
        }
        if (faultAfter > 0) {
            --faultAfter;
        }
        QSqlQuery query(connection->db());
        query.setForwardOnly(true);
        if (!query.prepare(sql)) {
            Fail(query.lastError().text());
        }
        for (const QVariant& value : values) {
            query.addBindValue(value);
        }
        if (!query.exec()) {
            Fail(query.lastError().text());
        }
        return query;
    }

    // For rolling back: never injected with a fault, never throws.
    void RunQuietly(const QString& sql) noexcept {
        try {
            QSqlQuery query(connection->db());
            query.exec(sql);
        } catch (...) {
        }
    }

    void RequireTransaction() {
        if (!readOnly.isEmpty()) {
            throw TLibraryError(readOnly);
        }
        if (depth == 0) {
            throw TLibraryError(StoreErrorText(QStringLiteral("запись вне транзакции")));
        }
    }

    int Begin(TLibraryTransaction::Mode mode) {
        if (mode == TLibraryTransaction::Mode::Write && !readOnly.isEmpty()) {
            throw TLibraryError(readOnly);
        }
        if (depth == 0) {
            Run(mode == TLibraryTransaction::Mode::Write ? QStringLiteral("BEGIN IMMEDIATE")
                                                         : QStringLiteral("BEGIN DEFERRED"));
            issuedIds.clear();
        } else {
            Run(QStringLiteral("SAVEPOINT sp%1").arg(depth + 1));
        }
        return ++depth;
    }

    void Commit(int level) {
        if (level != depth) {
            Fail(QStringLiteral("транзакции завершаются не по порядку"));
        }
        if (doomed) {
            throw TLibraryError(doomText);
        }
        if (depth == 1) {
            Run(QStringLiteral("COMMIT"));
            depth = 0;
            issuedIds.clear();
        } else {
            Run(QStringLiteral("RELEASE sp%1").arg(depth));
            --depth;
        }
    }

    void Rollback(int level) noexcept {
        Q_ASSERT(level == depth);
        if (level != depth || depth == 0) {
            return;
        }
        if (depth == 1) {
            // After some errors SQLite has already rolled back; then this
            // fails harmlessly.
            RunQuietly(QStringLiteral("ROLLBACK"));
            depth = 0;
            doomed = false;
            doomText.clear();
            issuedIds.clear();
        } else {
            RunQuietly(QStringLiteral("ROLLBACK TO sp%1").arg(depth));
            RunQuietly(QStringLiteral("RELEASE sp%1").arg(depth));
            --depth;
        }
    }

    template <class Row>
    void Append(const Row& row) {
        RequireTransaction();
        const TLibraryTableDef& def = LibraryTableDef(TRowTraits<Row>::Table);
        QStringList marks;
        for (std::size_t i = 0; i < def.Columns.size(); ++i) {
            marks << QStringLiteral("?");
        }
        Run(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                .arg(Qualified(def), ColumnList(def), marks.join(QStringLiteral(", "))),
            TRowTraits<Row>::Values(row));
    }

    // Rows in append order; `where` is an SQL condition on the table.
    template <class Row>
    std::vector<Row> Select(const QString& where, const QVariantList& values = {}) {
        const TLibraryTableDef& def = LibraryTableDef(TRowTraits<Row>::Table);
        QSqlQuery query = Run(QStringLiteral("SELECT %1 FROM %2 WHERE %3 ORDER BY %4")
                                  .arg(ColumnList(def), Qualified(def), where, QLatin1String(kOrderColumn)),
                              values);
        std::vector<Row> rows;
        while (query.next()) {
            rows.push_back(TRowTraits<Row>::Read(query));
        }
        if (query.lastError().isValid()) {
            Fail(query.lastError().text());
        }
        return rows;
    }

    template <class Row>
    std::optional<Row> First(const char* column, qint32 value) {
        std::vector<Row> rows =
            Select<Row>(QStringLiteral("%1 = ?").arg(QLatin1String(column)), {value});
        if (rows.empty()) {
            return std::nullopt;
        }
        return std::move(rows.front());
    }

    template <class Row>
    bool Update(const Row& row, const char* keyColumn, qint32 key) {
        RequireTransaction();
        const TLibraryTableDef& def = LibraryTableDef(TRowTraits<Row>::Table);
        QStringList assignments;
        for (const TLibraryColumn& c : def.Columns) {
            assignments << QStringLiteral("%1 = ?").arg(QLatin1String(c.Name));
        }
        QVariantList values = TRowTraits<Row>::Values(row);
        values << key;
        QSqlQuery query = Run(QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?")
                                  .arg(Qualified(def), assignments.join(QStringLiteral(", ")),
                                       QLatin1String(keyColumn)),
                              values);
        return query.numRowsAffected() > 0;
    }

    int Delete(TLibraryTable table, const char* column, qint32 value) {
        RequireTransaction();
        QSqlQuery query = Run(QStringLiteral("DELETE FROM %1 WHERE %2 = ?")
                                  .arg(Qualified(LibraryTableDef(table)), QLatin1String(column)),
                              {value});
        return query.numRowsAffected();
    }

    bool InUse(qint32 id) {
        static const QStringList idColumns{QStringLiteral("TileID"), QStringLiteral("CollageID"),
                                           QStringLiteral("PartID"), QStringLiteral("ContourID"),
                                           QStringLiteral("ID")};
        QStringList tests;
        QVariantList values;
        for (const TLibraryTableDef& def : LibraryTables()) {
            for (const TLibraryColumn& c : def.Columns) {
                if (idColumns.contains(QLatin1String(c.Name))) {
                    tests << QStringLiteral("EXISTS (SELECT 1 FROM %1 WHERE %2 = ?)")
                                 .arg(Qualified(def), QLatin1String(c.Name));
                    values << id;
                }
            }
        }
        QSqlQuery query = Run(QStringLiteral("SELECT ") + tests.join(QStringLiteral(" OR ")), values);
        if (!query.next()) {
            Fail(query.lastError().text());
        }
        return query.value(0).toLongLong() != 0;
    }

    bool IsFree(qint32 id) { return id != kNoLibraryId && issuedIds.count(id) == 0 && !InUse(id); }
};

void TLibraryStore::Impl::Open() {
    if (!QDir().mkpath(folder)) {
        throw TLibraryError(
            QStringLiteral("Не удалось создать папку библиотеки плиток \"%1\".").arg(Native(folder)));
    }
    const std::vector<TLibraryTableDef>& tables = LibraryTables();
    // Present files first: when one of them is refused, nothing is created.
    for (const TLibraryTableDef& def : tables) {
        const QString path = Path(def);
        if (QFileInfo::exists(path)) {
            if (const std::optional<QString> reason = CheckHeader(path)) {
                throw TLibraryError(RefusedText(path, *reason));
            }
        }
    }
    for (const TLibraryTableDef& def : tables) {
        const QString path = Path(def);
        if (!QFileInfo::exists(path)) {
            CreateTableFile(def, path);
        }
    }
    // A file, or the folder the journals are made in, that cannot be
    // written still lets the library be read: searching, filling and
    // reports need nothing more.
    for (const TLibraryTableDef& def : tables) {
        const QString path = Path(def);
        if (readOnly.isEmpty() && !QFileInfo(path).isWritable()) {
            readOnly = ReadOnlyText(QStringLiteral("файл \"%1\" недоступен").arg(Native(path)));
        }
    }
    if (readOnly.isEmpty() && !QFileInfo(folder).isWritable()) {
        readOnly = ReadOnlyText(QStringLiteral("папка \"%1\" недоступна").arg(Native(folder)));
    }

    connection = std::make_unique<TConnection>(Path(tables.front()));
    if (!connection->db().open()) {
        throw TLibraryError(RefusedText(Path(tables.front()), QStringLiteral("файл не открывается")));
    }
    // Each file is checked as soon as it is open, so that a failure names the
    // file that caused it (attaching reads the main file's schema too).
    for (const TLibraryTableDef& def : tables) {
        if (QLatin1String(def.Schema) != QLatin1String("main")) {
            QSqlQuery attach(connection->db());
            attach.prepare(QStringLiteral("ATTACH DATABASE ? AS %1").arg(QLatin1String(def.Schema)));
            attach.addBindValue(Path(def));
            if (!attach.exec()) {
                throw TLibraryError(RefusedText(Path(def), ReadFailure(attach.lastError())));
            }
        }
        if (const std::optional<QString> reason = CheckAttached(connection->db(), def)) {
            throw TLibraryError(RefusedText(Path(def), *reason));
        }
    }
    // Only the rollback journal makes one transaction atomic across the
    // attached files.
    for (const TLibraryTableDef& def : tables) {
        QSqlQuery pragma(connection->db());
        const QString schema = QLatin1String(def.Schema);
        if (!pragma.exec(QStringLiteral("PRAGMA %1.journal_mode = DELETE").arg(schema)) || !pragma.next() ||
            pragma.value(0).toString().compare(QLatin1String("delete"), Qt::CaseInsensitive) != 0 ||
            !pragma.exec(QStringLiteral("PRAGMA %1.synchronous = FULL").arg(schema))) {
            throw TLibraryError(RefusedText(Path(def), QStringLiteral("не удалось включить журнал отката")));
        }
    }
}

TLibraryStore::TLibraryStore(const QString& folder) : d(std::make_unique<Impl>()) {
    d->folder = QDir::cleanPath(folder);
    d->Open();
}

TLibraryStore::~TLibraryStore() = default;

const QString& TLibraryStore::Folder() const { return d->folder; }

bool TLibraryStore::IsReadOnly() const { return !d->readOnly.isEmpty(); }

const QString& TLibraryStore::ReadOnlyReason() const { return d->readOnly; }

QString TLibraryStore::FilePath(TLibraryTable table) const { return d->Path(LibraryTableDef(table)); }

// Tiles

void TLibraryStore::AppendTile(const TTileRow& row) { d->Append(row); }

std::optional<TTileRow> TLibraryStore::FindTile(qint32 tileId) {
    return d->First<TTileRow>("TileID", tileId);
}

std::optional<TTileRow> TLibraryStore::FindTileByName(const QString& name) {
    const QString wanted = CutLibraryName(name);
    for (TTileRow& row : d->Select<TTileRow>(QStringLiteral("1"))) {
        if (SameName(row.TileName, wanted)) {
            return std::move(row);
        }
    }
    return std::nullopt;
}

bool TLibraryStore::UpdateTile(const TTileRow& row) { return d->Update(row, "TileID", row.TileID); }

bool TLibraryStore::DeleteTile(qint32 tileId) {
    return d->Delete(TLibraryTable::Tiles, "TileID", tileId) > 0;
}

std::vector<TTileRow> TLibraryStore::ListTiles() {
    std::vector<TTileRow> rows = d->Select<TTileRow>(QStringLiteral("1"));
    SortByName(rows, &TTileRow::TileName);
    return rows;
}

// Primitives

void TLibraryStore::AppendPrimitive(const TPrimitiveRow& row) { d->Append(row); }

std::vector<TPrimitiveRow> TLibraryStore::ReadPrimitives(qint32 ownerId) {
    return d->Select<TPrimitiveRow>(QStringLiteral("TileID = ?"), {ownerId});
}

int TLibraryStore::DeletePrimitives(qint32 ownerId) {
    return d->Delete(TLibraryTable::Primitives, "TileID", ownerId);
}

// Collages

void TLibraryStore::AppendCollage(const TCollageRow& row) { d->Append(row); }

std::optional<TCollageRow> TLibraryStore::FindCollage(qint32 collageId) {
    return d->First<TCollageRow>("CollageID", collageId);
}

std::optional<TCollageRow> TLibraryStore::FindCollageByName(qint32 tileId, const QString& name) {
    const QString wanted = CutLibraryName(name);
    for (TCollageRow& row : d->Select<TCollageRow>(QStringLiteral("TileID = ?"), {tileId})) {
        if (SameName(row.CollageName, wanted)) {
            return std::move(row);
        }
    }
    return std::nullopt;
}

bool TLibraryStore::UpdateCollage(const TCollageRow& row) {
    return d->Update(row, "CollageID", row.CollageID);
}

bool TLibraryStore::DeleteCollage(qint32 collageId) {
    return d->Delete(TLibraryTable::Collages, "CollageID", collageId) > 0;
}

std::vector<TCollageRow> TLibraryStore::ListCollages(qint32 tileId) {
    std::vector<TCollageRow> rows = d->Select<TCollageRow>(QStringLiteral("TileID = ?"), {tileId});
    SortByName(rows, &TCollageRow::CollageName);
    return rows;
}

// CollageTiles, NextCollageTiles

void TLibraryStore::AppendCollageTile(const TCollageTileRow& row) { d->Append(row); }

std::vector<TCollageTileRow> TLibraryStore::ReadCollageTiles(qint32 collageId) {
    return d->Select<TCollageTileRow>(QStringLiteral("CollageID = ?"), {collageId});
}

int TLibraryStore::DeleteCollageTiles(qint32 collageId) {
    return d->Delete(TLibraryTable::CollageTiles, "CollageID", collageId);
}

void TLibraryStore::AppendNextCollageTile(const TNextCollageTileRow& row) { d->Append(row); }

std::vector<TNextCollageTileRow> TLibraryStore::ReadNextCollageTiles(qint32 collageId) {
    return d->Select<TNextCollageTileRow>(QStringLiteral("CollageID = ?"), {collageId});
}

int TLibraryStore::DeleteNextCollageTiles(qint32 collageId) {
    return d->Delete(TLibraryTable::NextCollageTiles, "CollageID", collageId);
}

// Parts, Contours

void TLibraryStore::AppendPart(const TPartRow& row) { d->Append(row); }

std::vector<TPartRow> TLibraryStore::ReadParts(qint32 tileId) {
    return d->Select<TPartRow>(QStringLiteral("TileID = ?"), {tileId});
}

std::optional<TPartRow> TLibraryStore::FindPart(qint32 partId) {
    return d->First<TPartRow>("PartID", partId);
}

bool TLibraryStore::UpdatePart(const TPartRow& row) { return d->Update(row, "PartID", row.PartID); }

int TLibraryStore::DeleteParts(qint32 tileId) {
    return d->Delete(TLibraryTable::Parts, "TileID", tileId);
}

void TLibraryStore::AppendContour(const TContourRow& row) { d->Append(row); }

std::vector<TContourRow> TLibraryStore::ReadContours(qint32 partId) {
    return d->Select<TContourRow>(QStringLiteral("PartID = ?"), {partId});
}

std::optional<TContourRow> TLibraryStore::FindContour(qint32 contourId) {
    return d->First<TContourRow>("ContourID", contourId);
}

int TLibraryStore::DeleteContours(qint32 partId) {
    return d->Delete(TLibraryTable::Contours, "PartID", partId);
}

// SizeScale

namespace {
const QString kViewColumns = QStringLiteral("SizeX, SizeY, PositiveX, PositiveY, Scale, X, Y");

QVariantList ViewValues(const ViewRecord& v) {
    return {double(v.SizeX), double(v.SizeY), double(v.PositiveX), double(v.PositiveY),
            double(v.Scale), double(v.X), double(v.Y)};
}
} // namespace

std::optional<ViewRecord> TLibraryStore::ReadView(qint32 id) {
    QSqlQuery query = d->Run(
        QStringLiteral("SELECT %1 FROM sizes.SizeScale WHERE ID = ? ORDER BY Seq LIMIT 1").arg(kViewColumns),
        {id});
    if (!query.next()) {
        if (query.lastError().isValid()) {
            d->Fail(query.lastError().text());
        }
        return std::nullopt;
    }
    const auto value = [&query](int i) { return static_cast<float>(query.value(i).toDouble()); };
    return ViewRecord{value(0), value(1), value(2), value(3), value(4), value(5), value(6)};
}

void TLibraryStore::WriteView(qint32 id, const ViewRecord& view) {
    d->RequireTransaction();
    QVariantList values = ViewValues(view);
    values << id;
    QSqlQuery update = d->Run(QStringLiteral("UPDATE sizes.SizeScale SET SizeX = ?, SizeY = ?, "
                                             "PositiveX = ?, PositiveY = ?, Scale = ?, X = ?, Y = ? "
                                             "WHERE ID = ?"),
                              values);
    if (update.numRowsAffected() > 0) {
        return;
    }
    values = ViewValues(view);
    values.prepend(id);
    d->Run(QStringLiteral("INSERT INTO sizes.SizeScale (ID, %1) VALUES (?, ?, ?, ?, ?, ?, ?, ?)")
               .arg(kViewColumns),
           values);
}

bool TLibraryStore::DeleteView(qint32 id) {
    return d->Delete(TLibraryTable::SizeScale, "ID", id) > 0;
}

// Identifiers

qint32 TLibraryStore::NewLibraryId() {
    const quint32 stamp = PackedFileDateTime(d->clock());
    const auto issue = [this](qint32 id) {
        if (d->depth > 0) {
            d->issuedIds.insert(id);
        }
        return id;
    };
    qint32 id = kNoLibraryId;
    for (int draw = 0; draw < kRandomDraws; ++draw) {
        int r = d->random() % 10000;
        if (r < 0) {
            r += 10000;
        }
        // Wraps to negative values from 2044 on, as 32-bit arithmetic does.
        id = static_cast<qint32>(stamp + static_cast<quint32>(r) + 10000000u);
        if (d->IsFree(id)) {
            return issue(id);
        }
    }
    // Every draw was taken: the next free number after the last one.
    do {
        id = static_cast<qint32>(static_cast<quint32>(id) + 1u);
    } while (!d->IsFree(id));
    return issue(id);
}

bool TLibraryStore::IsIdentifierInUse(qint32 id) { return d->InUse(id); }

void TLibraryStore::SetRandomSource(std::function<int()> random) { d->random = std::move(random); }

void TLibraryStore::SetClock(std::function<QDateTime()> clock) { d->clock = std::move(clock); }

void TLibraryStore::SetFaultAfter(int statements) { d->faultAfter = statements < 0 ? -1 : statements; }

// Transactions

TLibraryTransaction::TLibraryTransaction(TLibraryStore& store, Mode mode)
    : m_store(store), m_level(store.d->Begin(mode)) {}

TLibraryTransaction::~TLibraryTransaction() {
    if (!m_finished) {
        m_store.d->Rollback(m_level);
    }
}

void TLibraryTransaction::Commit() {
    if (m_finished) {
        return;
    }
    m_store.d->Commit(m_level);
    m_finished = true;
}

} // namespace vk
