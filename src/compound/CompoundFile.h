#pragma once
// Compound (structured-storage) files: the one door to the format. Storages
// and streams by name, names compared without regard to letter case, children
// in the order the format lists them (shorter names first, then by name,
// letter case ignored), whatever order they were written in. Writing goes to
// a temporary file in the target's folder that replaces the target only once
// everything is written.
//
// The codec is our own rather than libgsf's: libgsf's writer costs O(n^2) in
// the children of one storage (12 s for 20,000 laid tiles) and its reader
// recurses along the sibling chain its own writer makes, so a project of
// 50,000 tiles overflowed the stack. Files stay standard: the tests read
// ours with libgsf and libgsf's with ours.

#include <QByteArray>
#include <QSet>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

namespace vk {

// How far a long reading or writing has come: bytes done of the total.
// False asks to stop: a reading then ends as if it failed, without error.
using TByteProgress = std::function<bool(qint64 done, qint64 total)>;

class TStorage {
public:
    ~TStorage();
    TStorage(const TStorage&) = delete;
    TStorage& operator=(const TStorage&) = delete;

    // The root storage of a compound file, or nullptr with the reason: a
    // null string when `reading` asked to stop.
    [[nodiscard]] static std::unique_ptr<TStorage> OpenFile(const QString& path, QString& error,
                                                            const TByteProgress& reading = {});
    [[nodiscard]] static std::unique_ptr<TStorage> OpenBytes(const QByteArray& bytes, QString& error);

    // Number of children; -1 when the storage cannot list them.
    [[nodiscard]] int ChildCount() const;
    // The name of a child; a null string when the listing fails there.
    [[nodiscard]] QString ChildName(int index) const;
    // A child that is a storage, or nullptr (a stream, or unreadable).
    [[nodiscard]] std::unique_ptr<TStorage> ChildStorage(int index) const;
    // The first child storage of that name (letter case ignored), or nullptr.
    [[nodiscard]] std::unique_ptr<TStorage> Storage(const QString& name) const;

    enum class TRead { Ok, Missing, TooLong, Failed };
    // The bytes of the first child stream of that name (letter case
    // ignored). A stream longer than maxSize (when >= 0) is not read.
    TRead ReadStream(const QString& name, QByteArray& bytes, qint64 maxSize = -1) const;

private:
    struct Impl;
    explicit TStorage(std::unique_ptr<Impl> impl);
    [[nodiscard]] int find(const QString& name) const;
    std::unique_ptr<Impl> m_impl;
};

class TCompoundWriter {
public:
    explicit TCompoundWriter(QString targetPath);
    // Without Commit the target is left as it was and the temporary file goes.
    ~TCompoundWriter();
    TCompoundWriter(const TCompoundWriter&) = delete;
    TCompoundWriter& operator=(const TCompoundWriter&) = delete;

    // A name the format keeps intact: 1 to 31 UTF-16 units, none of / \ : !
    [[nodiscard]] static bool IsValidName(const QString& name);

    bool BeginStorage(const QString& name);
    bool EndStorage();
    bool WriteStream(const QString& name, const QByteArray& bytes);
    // Writes the temporary file, makes it durable and moves it over the
    // target. The storages and streams are kept in memory until then.
    // `writing` hears of the bytes written; it cannot stop the save.
    bool Commit(const TByteProgress& writing = {});

    [[nodiscard]] bool Failed() const { return !m_error.isEmpty(); }
    [[nodiscard]] const QString& Error() const { return m_error; }

private:
    struct Impl;
    bool fail(const QString& error);
    bool claimName(const QString& name);
    void abort();

    QString m_target;
    QString m_temp;
    QString m_error;
    std::unique_ptr<Impl> m_impl;
    std::vector<QSet<QString>> m_names;
    bool m_committed = false;
};

} // namespace vk
