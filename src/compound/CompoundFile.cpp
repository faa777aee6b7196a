#include "compound/CompoundFile.h"

#include "compound/SaveTarget.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// The compound file format (version 3, 512-byte sectors; version 4 files are
// read too): a header, a table that chains sectors into streams (the FAT),
// a directory of 128-byte entries whose siblings form a binary tree, and a
// mini stream of 64-byte sectors for streams under 4096 bytes.
//
// The reader never trusts a number it reads: every sector index is checked
// against the file, every chain is bounded by the length it must have, a
// chain that passes a sector twice makes the file unreadable (a loop would
// hand other data back as the stream's own), a sibling tree that loops or
// shares an entry marks its storage unreadable, and nothing recurses on file
// data.

namespace vk {

namespace {

constexpr quint32 kFreeSect = 0xFFFFFFFFu;
constexpr quint32 kEndOfChain = 0xFFFFFFFEu;
constexpr quint32 kFatSect = 0xFFFFFFFDu;
constexpr quint32 kDifSect = 0xFFFFFFFCu;
constexpr quint32 kNoStream = 0xFFFFFFFFu;
constexpr int kHeaderSize = 512;
constexpr int kSectorSize = 512; // what the writer makes
constexpr int kEntrySize = 128;
constexpr int kMiniSectorSize = 64;
constexpr qint64 kMiniCutoff = 4096;
constexpr int kHeaderDifat = 109;
constexpr unsigned char kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

enum EntryType : quint8 { kUnused = 0, kStorageEntry = 1, kStreamEntry = 2, kRootEntry = 5 };

quint16 rd16(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return quint16(u[0] | (u[1] << 8));
}
quint32 rd32(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return quint32(u[0]) | (quint32(u[1]) << 8) | (quint32(u[2]) << 16) | (quint32(u[3]) << 24);
}
void wr16(char* p, quint16 v) {
    p[0] = char(v & 0xFF);
    p[1] = char(v >> 8);
}
void wr32(char* p, quint32 v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = char((v >> (8 * i)) & 0xFF);
    }
}

// The order of siblings in the format: shorter names first, then UTF-16
// units compared upper-cased. It is also the order children are listed in,
// whatever order they were written in.
// Large projects compare names millions of times, mostly numbered ASCII
// names that share a long prefix: equal units and ASCII letters need no
// table look-up.
char16_t upperUnit(char16_t c) {
    if (c < 0x80) {
        return c >= u'a' && c <= u'z' ? char16_t(c - (u'a' - u'A')) : c;
    }
    return QChar(c).toUpper().unicode();
}

int compareNames(const QString& a, const QString& b) {
    if (a.size() != b.size()) {
        return a.size() < b.size() ? -1 : 1;
    }
    const char16_t* p = reinterpret_cast<const char16_t*>(a.constData());
    const char16_t* q = reinterpret_cast<const char16_t*>(b.constData());
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (p[i] == q[i]) {
            continue;
        }
        const char16_t x = upperUnit(p[i]);
        const char16_t y = upperUnit(q[i]);
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return 0;
}

// Children in the format's order. A list already strictly in order (what
// a sibling tree read in order, or our own numbered names, give) is kept
// as it is: with no two names equal, a sort could not change it.
template <typename NameOf>
void sortByName(std::vector<quint32>& ids, const NameOf& nameOf) {
    const auto notBefore = [&nameOf](quint32 x, quint32 y) { return compareNames(nameOf(x), nameOf(y)) >= 0; };
    if (std::adjacent_find(ids.begin(), ids.end(), notBefore) == ids.end()) {
        return;
    }
    std::stable_sort(ids.begin(), ids.end(),
                     [&nameOf](quint32 x, quint32 y) { return compareNames(nameOf(x), nameOf(y)) < 0; });
}

const QString& notProjectText() {
    static const QString text = QStringLiteral("Файл не является файлом проекта");
    return text;
}
const QString& damagedText() {
    static const QString text = QStringLiteral("Файл проекта поврежден");
    return text;
}
// A chain that comes back to a sector it has passed: what is read through
// it would be other data read again, so the project is not read at all.
const QString& loopText() {
    static const QString text = QStringLiteral("Ошибка чтения проекта");
    return text;
}

// Whether a list of sector indices holds one twice (the list is sorted).
bool repeats(std::vector<quint32>& sectors) {
    std::sort(sectors.begin(), sectors.end());
    return std::adjacent_find(sectors.begin(), sectors.end()) != sectors.end();
}

} // namespace

// --- reading -------------------------------------------------------------------

struct TCfbEntry {
    QString Name;
    quint8 Type = kUnused;
    quint32 Left = kNoStream;
    quint32 Right = kNoStream;
    quint32 Child = kNoStream;
    quint32 Start = kEndOfChain;
    quint64 Size = 0;
};

struct TCfbFile {
    QByteArray Bytes;
    qint64 SectorSize = 512;
    qint64 SectorCount = 0; // whole sectors present after the header
    bool Version3 = true;
    std::vector<quint32> Fat;
    std::vector<quint32> MiniFat;
    std::vector<TCfbEntry> Entries;
    // The listed children of every storage; Broken when its sibling tree
    // cannot be walked (a loop, an entry out of range or shared).
    std::vector<std::vector<quint32>> Children;
    std::vector<char> Broken;
    std::vector<char> Listed; // reached from the root
    QByteArray MiniStream;

    [[nodiscard]] const char* sector(quint32 index) const {
        return Bytes.constData() + (qint64(index) + 1) * SectorSize;
    }
    [[nodiscard]] bool validSector(quint32 index) const { return qint64(index) < SectorCount; }
    [[nodiscard]] bool validMiniSector(quint32 index) const {
        return index < MiniFat.size() && (qint64(index) + 1) * kMiniSectorSize <= MiniStream.size();
    }

    enum class TChain { Ok, Broken, Looped };

    // The `count` sectors of a chain from `start`, regular or mini.
    TChain walkChain(quint32 start, qint64 count, bool mini, std::vector<quint32>& sectors) const {
        sectors.clear();
        if (count > (mini ? qint64(MiniFat.size()) : SectorCount)) {
            return TChain::Broken;
        }
        sectors.reserve(size_t(count));
        quint32 s = start;
        for (qint64 i = 0; i < count; ++i) {
            if (mini ? !validMiniSector(s) : (!validSector(s) || s >= Fat.size())) {
                return TChain::Broken;
            }
            sectors.push_back(s);
            s = mini ? MiniFat[s] : Fat[s];
        }
        if (sectors.size() < 2) {
            return TChain::Ok; // most streams of a project: one mini sector
        }
        std::vector<quint32> sorted = sectors;
        return repeats(sorted) ? TChain::Looped : TChain::Ok;
    }

    [[nodiscard]] TChain streamChain(quint32 start, qint64 size, std::vector<quint32>& sectors) const {
        const bool mini = size < kMiniCutoff;
        const qint64 unit = mini ? kMiniSectorSize : SectorSize;
        return walkChain(start, (size + unit - 1) / unit, mini, sectors);
    }

    // The bytes of a stream of `size` bytes from `start`: in the mini stream
    // when it is shorter than the cutoff, in regular sectors otherwise.
    bool readStreamChain(quint32 start, qint64 size, QByteArray& out, bool forceRegular = false) const {
        std::vector<quint32> sectors;
        const bool mini = !forceRegular && size < kMiniCutoff;
        const qint64 unit = mini ? kMiniSectorSize : SectorSize;
        if (walkChain(start, (size + unit - 1) / unit, mini, sectors) != TChain::Ok) {
            return false;
        }
        out.resize(qsizetype(size));
        qint64 done = 0;
        for (const quint32 s : sectors) {
            const qint64 n = std::min(unit, size - done);
            const char* from = mini ? MiniStream.constData() + qint64(s) * kMiniSectorSize : sector(s);
            std::memcpy(out.data() + done, from, size_t(n));
            done += n;
        }
        return true;
    }

    // A chain of unknown length (the directory, the mini table): until its
    // end, every sector at most once.
    TChain readOpenChain(quint32 start, QByteArray& out) const {
        out.clear();
        std::vector<char> seen(size_t(SectorCount), 0);
        quint32 s = start;
        while (s != kEndOfChain) {
            if (!validSector(s) || s >= Fat.size()) {
                return TChain::Broken;
            }
            if (seen[s]) {
                return TChain::Looped;
            }
            seen[s] = 1;
            out.append(sector(s), qsizetype(SectorSize));
            s = Fat[s];
        }
        return TChain::Ok;
    }

    // Every stream that can be listed, through chains that never pass a
    // sector twice; a chain that breaks off is left to its reading.
    [[nodiscard]] bool streamsLoopFree() const {
        std::vector<quint32> sectors;
        for (size_t id = 0; id < Entries.size(); ++id) {
            const TCfbEntry& e = Entries[id];
            if (e.Type != kStreamEntry || !Listed[id]) {
                continue;
            }
            const qint64 size = streamSize(e);
            if (size > 0 && size <= Bytes.size() && streamChain(e.Start, size, sectors) == TChain::Looped) {
                return false;
            }
        }
        return true;
    }

    [[nodiscard]] qint64 streamSize(const TCfbEntry& e) const {
        // Version 3 files may hold anything in the high half.
        return Version3 ? qint64(e.Size & 0xFFFFFFFFu) : qint64(std::min<quint64>(e.Size, quint64(1) << 62));
    }

    static std::shared_ptr<TCfbFile> parse(QByteArray bytes, QString& error);
    bool buildTree();
};

std::shared_ptr<TCfbFile> TCfbFile::parse(QByteArray bytes, QString& error) {
    using TChain = TCfbFile::TChain;
    auto file = std::make_shared<TCfbFile>();
    file->Bytes = std::move(bytes);
    const QByteArray& b = file->Bytes;
    if (b.size() < kHeaderSize || std::memcmp(b.constData(), kSignature, 8) != 0) {
        error = notProjectText();
        return nullptr;
    }
    const char* h = b.constData();
    const quint16 major = rd16(h + 26);
    const quint16 shift = rd16(h + 30);
    if (rd16(h + 28) != 0xFFFE || !((major == 3 && shift == 9) || (major == 4 && shift == 12)) ||
        rd16(h + 32) != 6 || rd32(h + 56) != quint32(kMiniCutoff)) {
        error = damagedText();
        return nullptr;
    }
    file->Version3 = major == 3;
    file->SectorSize = qint64(1) << shift;
    file->SectorCount = std::max<qint64>(0, b.size() / file->SectorSize - 1);

    // Where the FAT lies: 109 places in the header, the rest in a chain of
    // DIFAT sectors.
    const quint32 fatCount = rd32(h + 44);
    if (qint64(fatCount) > file->SectorCount) {
        error = damagedText();
        return nullptr;
    }
    std::vector<quint32> fatSectors;
    fatSectors.reserve(fatCount);
    for (int i = 0; i < kHeaderDifat && fatSectors.size() < fatCount; ++i) {
        fatSectors.push_back(rd32(h + 76 + 4 * i));
    }
    const qint64 perDifat = file->SectorSize / 4 - 1;
    quint32 difat = rd32(h + 68);
    std::vector<quint32> difatSectors;
    while (fatSectors.size() < fatCount) {
        if (!file->validSector(difat) || qint64(difatSectors.size()) >= file->SectorCount) {
            error = damagedText();
            return nullptr;
        }
        difatSectors.push_back(difat);
        const char* d = file->sector(difat);
        for (qint64 i = 0; i < perDifat && fatSectors.size() < fatCount; ++i) {
            fatSectors.push_back(rd32(d + 4 * i));
        }
        difat = rd32(d + 4 * perDifat);
    }
    // A sector that holds the table twice, or the DIFAT chain coming back on
    // itself, leaves no table to trust.
    {
        std::vector<quint32> listed = fatSectors;
        if (repeats(listed) || repeats(difatSectors)) {
            error = loopText();
            return nullptr;
        }
    }
    const qint64 perSector = file->SectorSize / 4;
    file->Fat.resize(size_t(fatCount * perSector));
    for (quint32 i = 0; i < fatCount; ++i) {
        if (!file->validSector(fatSectors[i])) {
            error = damagedText();
            return nullptr;
        }
        const char* s = file->sector(fatSectors[i]);
        for (qint64 j = 0; j < perSector; ++j) {
            file->Fat[size_t(i * perSector + j)] = rd32(s + 4 * j);
        }
    }

    QByteArray dir;
    const TChain dirChain = file->readOpenChain(rd32(h + 48), dir);
    if (dirChain != TChain::Ok || dir.size() < kEntrySize) {
        error = dirChain == TChain::Looped ? loopText() : damagedText();
        return nullptr;
    }
    const qsizetype entryCount = dir.size() / kEntrySize;
    file->Entries.resize(size_t(entryCount));
    for (qsizetype i = 0; i < entryCount; ++i) {
        const char* e = dir.constData() + i * kEntrySize;
        TCfbEntry& entry = file->Entries[size_t(i)];
        const int nameBytes = rd16(e + 64);
        int units = nameBytes >= 2 && nameBytes <= 64 ? nameBytes / 2 - 1 : 0;
        QString name(units, Qt::Uninitialized);
        for (int k = 0; k < units; ++k) {
            name[k] = QChar(rd16(e + 2 * k));
        }
        // A name ends at its first zero, whatever its length says.
        const qsizetype zero = name.indexOf(QChar(0));
        if (zero >= 0) {
            name.truncate(zero);
        }
        entry.Name = name.isNull() ? QStringLiteral("") : name;
        entry.Type = quint8(e[66]);
        entry.Left = rd32(e + 68);
        entry.Right = rd32(e + 72);
        entry.Child = rd32(e + 76);
        entry.Start = rd32(e + 116);
        entry.Size = quint64(rd32(e + 120)) | (quint64(rd32(e + 124)) << 32);
    }
    if (file->Entries[0].Type != kRootEntry) {
        error = damagedText();
        return nullptr;
    }

    // The mini stream is the root's stream; the mini table is a chain.
    QByteArray miniFat;
    if (rd32(h + 64) > 0 && rd32(h + 60) != kEndOfChain) {
        const TChain miniFatChain = file->readOpenChain(rd32(h + 60), miniFat);
        if (miniFatChain != TChain::Ok) {
            error = miniFatChain == TChain::Looped ? loopText() : damagedText();
            return nullptr;
        }
    }
    file->MiniFat.resize(size_t(miniFat.size() / 4));
    for (size_t i = 0; i < file->MiniFat.size(); ++i) {
        file->MiniFat[i] = rd32(miniFat.constData() + 4 * i);
    }
    const TCfbEntry& root = file->Entries[0];
    const qint64 miniSize = file->streamSize(root);
    if (miniSize > 0) {
        std::vector<quint32> sectors;
        const TChain miniChain = file->walkChain(root.Start, (miniSize + file->SectorSize - 1) / file->SectorSize,
                                                 false, sectors);
        if (miniChain != TChain::Ok || !file->readStreamChain(root.Start, miniSize, file->MiniStream, true)) {
            error = miniChain == TChain::Looped ? loopText() : damagedText();
            return nullptr;
        }
    }
    file->buildTree();
    if (!file->streamsLoopFree()) {
        error = loopText();
        return nullptr;
    }
    return file;
}

bool TCfbFile::buildTree() {
    const size_t n = Entries.size();
    Children.assign(n, {});
    Broken.assign(n, 0);
    Listed.assign(n, 0);
    std::vector<char> claimed(n, 0);
    claimed[0] = 1;
    std::vector<quint32> storages{0};
    std::vector<quint32> stack;
    for (size_t next = 0; next < storages.size(); ++next) {
        const quint32 owner = storages[next];
        std::vector<quint32>& children = Children[owner];
        stack.assign(1, Entries[owner].Child);
        while (!stack.empty()) {
            const quint32 id = stack.back();
            stack.pop_back();
            if (id == kNoStream) {
                continue;
            }
            if (id >= n || claimed[id] ||
                (Entries[id].Type != kStorageEntry && Entries[id].Type != kStreamEntry)) {
                Broken[owner] = 1;
                continue;
            }
            claimed[id] = 1;
            Listed[id] = 1;
            children.push_back(id);
            stack.push_back(Entries[id].Right);
            stack.push_back(Entries[id].Left);
        }
        if (!Broken[owner] && children.size() > 1) {
            // A sound sibling tree read in order is usually sorted already;
            // then it is the listing, and no name repeats.
            std::vector<quint32> inOrder;
            inOrder.reserve(children.size());
            quint32 at = Entries[owner].Child;
            while (at != kNoStream || !stack.empty()) {
                while (at != kNoStream) {
                    stack.push_back(at);
                    at = Entries[at].Left;
                }
                at = stack.back();
                stack.pop_back();
                inOrder.push_back(at);
                at = Entries[at].Right;
            }
            const auto notBefore = [this](quint32 x, quint32 y) {
                return compareNames(Entries[x].Name, Entries[y].Name) >= 0;
            };
            if (std::adjacent_find(inOrder.begin(), inOrder.end(), notBefore) == inOrder.end()) {
                children = std::move(inOrder);
            }
        }
        sortByName(children, [this](quint32 id) -> const QString& { return Entries[id].Name; });
        for (const quint32 child : children) {
            if (Entries[child].Type == kStorageEntry) {
                storages.push_back(child);
            }
        }
    }
    return true;
}

struct TStorage::Impl {
    std::shared_ptr<const TCfbFile> file;
    quint32 entry = 0;
    [[nodiscard]] bool broken() const { return file->Broken[entry] != 0; }
    [[nodiscard]] const std::vector<quint32>& children() const { return file->Children[entry]; }
};

TStorage::TStorage(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
TStorage::~TStorage() = default;

std::unique_ptr<TStorage> TStorage::OpenFile(const QString& path, QString& error, const TByteProgress& reading) {
    // The whole file is read at once: what is read afterwards cannot change
    // under the reader, even when a save replaces the file meanwhile.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("Не удается открыть файл \"%1\": %2").arg(path, file.errorString());
        return nullptr;
    }
    QByteArray bytes;
    if (!reading) {
        bytes = file.readAll();
    } else {
        // In pieces, so that a large file can be watched and given up.
        constexpr qint64 kPiece = qint64(8) << 20;
        const qint64 expected = file.size();
        constexpr qint64 kTail = 65536; // the end is found by a read that gives nothing
        bytes.reserve(qsizetype(std::max<qint64>(expected, 0) + kTail));
        for (;;) {
            if (!reading(bytes.size(), expected)) {
                error = QString();
                return nullptr;
            }
            const qsizetype had = bytes.size();
            const qint64 piece = std::clamp<qint64>(expected - had, kTail, kPiece);
            bytes.resize(had + qsizetype(piece));
            const qint64 n = file.read(bytes.data() + had, piece);
            bytes.resize(had + qsizetype(std::max<qint64>(n, 0)));
            if (n <= 0) {
                break;
            }
        }
    }
    if (file.error() != QFileDevice::NoError) {
        error = QStringLiteral("Не удается прочитать файл \"%1\": %2").arg(path, file.errorString());
        return nullptr;
    }
    return OpenBytes(bytes, error);
}

std::unique_ptr<TStorage> TStorage::OpenBytes(const QByteArray& bytes, QString& error) {
    std::shared_ptr<TCfbFile> file = TCfbFile::parse(bytes, error);
    if (!file) {
        return nullptr;
    }
    auto impl = std::make_unique<Impl>();
    impl->file = std::move(file);
    impl->entry = 0;
    return std::unique_ptr<TStorage>(new TStorage(std::move(impl)));
}

int TStorage::ChildCount() const { return m_impl->broken() ? -1 : int(m_impl->children().size()); }

QString TStorage::ChildName(int index) const {
    if (m_impl->broken() || index < 0 || size_t(index) >= m_impl->children().size()) {
        return QString();
    }
    return m_impl->file->Entries[m_impl->children()[size_t(index)]].Name;
}

std::unique_ptr<TStorage> TStorage::ChildStorage(int index) const {
    if (m_impl->broken() || index < 0 || size_t(index) >= m_impl->children().size()) {
        return nullptr;
    }
    const quint32 id = m_impl->children()[size_t(index)];
    if (m_impl->file->Entries[id].Type != kStorageEntry) {
        return nullptr;
    }
    auto impl = std::make_unique<Impl>();
    impl->file = m_impl->file;
    impl->entry = id;
    return std::unique_ptr<TStorage>(new TStorage(std::move(impl)));
}

int TStorage::find(const QString& name) const {
    const int count = ChildCount();
    for (int i = 0; i < count; ++i) {
        if (QString::compare(ChildName(i), name, Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    return -1;
}

std::unique_ptr<TStorage> TStorage::Storage(const QString& name) const {
    const int count = ChildCount();
    for (int i = 0; i < count; ++i) {
        if (QString::compare(ChildName(i), name, Qt::CaseInsensitive) == 0) {
            if (auto storage = ChildStorage(i)) {
                return storage;
            }
        }
    }
    return nullptr;
}

TStorage::TRead TStorage::ReadStream(const QString& name, QByteArray& bytes, qint64 maxSize) const {
    bytes.clear();
    if (m_impl->broken()) {
        return TRead::Failed;
    }
    const int count = ChildCount();
    int index = -1;
    for (int i = 0; i < count && index < 0; ++i) {
        const TCfbEntry& e = m_impl->file->Entries[m_impl->children()[size_t(i)]];
        if (e.Type == kStreamEntry && QString::compare(e.Name, name, Qt::CaseInsensitive) == 0) {
            index = i;
        }
    }
    if (index < 0) {
        return TRead::Missing;
    }
    const TCfbFile& file = *m_impl->file;
    const TCfbEntry& entry = file.Entries[m_impl->children()[size_t(index)]];
    const qint64 size = file.streamSize(entry);
    if (maxSize >= 0 && size > maxSize) {
        return TRead::TooLong;
    }
    // Reading an empty stream is not an error.
    if (size == 0) {
        return TRead::Ok;
    }
    if (size > file.Bytes.size()) {
        return TRead::Failed;
    }
    if (!file.readStreamChain(entry.Start, size, bytes)) {
        bytes.clear();
        return TRead::Failed;
    }
    return TRead::Ok;
}

// --- writing -------------------------------------------------------------------

struct TCompoundWriter::Impl {
    struct Node {
        QString Name;
        bool IsStorage = false;
        QByteArray Data;
        std::vector<quint32> Children;
        // Filled when the file is laid out.
        quint32 Left = kNoStream;
        quint32 Right = kNoStream;
        quint32 Child = kNoStream;
        bool Red = false;
        quint32 Start = kEndOfChain;
    };
    std::vector<Node> nodes;    // the root first
    std::vector<quint32> stack; // open storages, the root first

    QByteArray layOut();
    quint32 buildSiblingTree(const std::vector<quint32>& sorted, qsizetype from, qsizetype to, int depth,
                             int redDepth);
};

namespace {

int treeHeight(qsizetype n) { // levels of a balanced tree of n nodes
    int h = 0;
    while (n > 0) {
        n /= 2;
        ++h;
    }
    return h;
}

} // namespace

// A balanced tree over children sorted by name. The nodes of the deepest
// level of an incomplete tree are red, all others black: every path from
// the top to an empty link then passes the same number of black nodes.
quint32 TCompoundWriter::Impl::buildSiblingTree(const std::vector<quint32>& sorted, qsizetype from, qsizetype to,
                                                int depth, int redDepth) {
    if (from >= to) {
        return kNoStream;
    }
    const qsizetype mid = from + (to - from) / 2;
    const quint32 id = sorted[size_t(mid)];
    nodes[id].Left = buildSiblingTree(sorted, from, mid, depth + 1, redDepth);
    nodes[id].Right = buildSiblingTree(sorted, mid + 1, to, depth + 1, redDepth);
    nodes[id].Red = depth == redDepth;
    return id;
}

QByteArray TCompoundWriter::Impl::layOut() {
    // Sibling trees.
    for (Node& node : nodes) {
        if (!node.IsStorage || node.Children.empty()) {
            continue;
        }
        std::vector<quint32> sorted = node.Children;
        sortByName(sorted, [this](quint32 id) -> const QString& { return nodes[id].Name; });
        const qsizetype n = qsizetype(sorted.size());
        const int height = treeHeight(n);
        // A full tree needs no red level.
        const bool full = (qsizetype(1) << height) - 1 == n;
        const int redDepth = (full || height <= 1) ? -1 : height - 1;
        node.Child = buildSiblingTree(sorted, 0, n, 0, redDepth);
    }

    // Streams: small ones in the mini stream, the others in sectors of their own.
    QByteArray mini;
    std::vector<quint32> miniFat;
    std::vector<std::pair<quint32, quint32>> bigRanges; // (node, sector count)
    for (quint32 id = 1; id < nodes.size(); ++id) {
        Node& node = nodes[id];
        if (node.IsStorage) {
            node.Start = 0;
            continue;
        }
        const qint64 size = node.Data.size();
        if (size == 0) {
            node.Start = kEndOfChain;
        } else if (size < kMiniCutoff) {
            const quint32 first = quint32(miniFat.size());
            const quint32 count = quint32((size + kMiniSectorSize - 1) / kMiniSectorSize);
            for (quint32 k = 0; k < count; ++k) {
                miniFat.push_back(k + 1 < count ? first + k + 1 : kEndOfChain);
            }
            node.Start = first;
            mini.append(node.Data);
            mini.append(qsizetype(count) * kMiniSectorSize - size, '\0');
        } else {
            bigRanges.emplace_back(id, quint32((size + kSectorSize - 1) / kSectorSize));
        }
    }

    const quint32 perSector = kSectorSize / 4;
    quint32 next = 0;
    const quint32 miniSectors = quint32((mini.size() + kSectorSize - 1) / kSectorSize);
    const quint32 miniStart = miniSectors > 0 ? next : kEndOfChain;
    next += miniSectors;
    std::vector<std::pair<quint32, quint32>> chains; // (first sector, count)
    if (miniSectors > 0) {
        chains.emplace_back(miniStart, miniSectors);
    }
    for (const auto& [id, count] : bigRanges) {
        nodes[id].Start = next;
        chains.emplace_back(next, count);
        next += count;
    }
    const quint32 entriesPerSector = kSectorSize / kEntrySize;
    const quint32 dirSectors = quint32((nodes.size() + entriesPerSector - 1) / entriesPerSector);
    const quint32 dirStart = next;
    chains.emplace_back(dirStart, dirSectors);
    next += dirSectors;
    const quint32 miniFatSectors = quint32((miniFat.size() + perSector - 1) / perSector);
    const quint32 miniFatStart = miniFatSectors > 0 ? next : kEndOfChain;
    if (miniFatSectors > 0) {
        chains.emplace_back(miniFatStart, miniFatSectors);
    }
    next += miniFatSectors;
    // The FAT covers itself and the DIFAT sectors that locate it.
    quint32 fatSectors = 1;
    quint32 difatSectors = 0;
    for (;;) {
        difatSectors = fatSectors <= quint32(kHeaderDifat)
                           ? 0
                           : (fatSectors - quint32(kHeaderDifat) + perSector - 2) / (perSector - 1);
        const quint64 total = quint64(next) + fatSectors + difatSectors;
        if (quint64(fatSectors) * perSector >= total) {
            break;
        }
        ++fatSectors;
    }
    const quint32 fatStart = next;
    const quint32 difatStart = fatStart + fatSectors;
    const quint32 totalSectors = difatStart + difatSectors;

    QByteArray out(qsizetype(totalSectors + 1) * kSectorSize, '\0');
    auto at = [&out](quint32 sectorIndex) { return out.data() + (qsizetype(sectorIndex) + 1) * kSectorSize; };

    // FAT.
    std::vector<quint32> fat(size_t(fatSectors) * perSector, kFreeSect);
    for (const auto& [first, count] : chains) {
        for (quint32 k = 0; k < count; ++k) {
            fat[first + k] = k + 1 < count ? first + k + 1 : kEndOfChain;
        }
    }
    for (quint32 k = 0; k < fatSectors; ++k) {
        fat[fatStart + k] = kFatSect;
    }
    for (quint32 k = 0; k < difatSectors; ++k) {
        fat[difatStart + k] = kDifSect;
    }
    for (size_t k = 0; k < fat.size(); ++k) {
        wr32(at(fatStart) + 4 * k, fat[k]);
    }

    // Header.
    char* h = out.data();
    std::memcpy(h, kSignature, 8);
    wr16(h + 24, 0x003E);
    wr16(h + 26, 3);
    wr16(h + 28, 0xFFFE);
    wr16(h + 30, 9);
    wr16(h + 32, 6);
    wr32(h + 44, fatSectors);
    wr32(h + 48, dirStart);
    wr32(h + 56, quint32(kMiniCutoff));
    wr32(h + 60, miniFatStart);
    wr32(h + 64, miniFatSectors);
    wr32(h + 68, difatSectors > 0 ? difatStart : kEndOfChain);
    wr32(h + 72, difatSectors);
    for (int i = 0; i < kHeaderDifat; ++i) {
        wr32(h + 76 + 4 * i, quint32(i) < fatSectors ? fatStart + quint32(i) : kFreeSect);
    }
    quint32 fatIndex = kHeaderDifat;
    for (quint32 d = 0; d < difatSectors; ++d) {
        char* s = at(difatStart + d);
        for (quint32 k = 0; k < perSector - 1; ++k, ++fatIndex) {
            wr32(s + 4 * k, fatIndex < fatSectors ? fatStart + fatIndex : kFreeSect);
        }
        wr32(s + 4 * (perSector - 1), d + 1 < difatSectors ? difatStart + d + 1 : kEndOfChain);
    }

    // Contents.
    if (miniSectors > 0) {
        std::memcpy(at(miniStart), mini.constData(), size_t(mini.size()));
    }
    for (const auto& [id, count] : bigRanges) {
        std::memcpy(at(nodes[id].Start), nodes[id].Data.constData(), size_t(nodes[id].Data.size()));
    }
    for (size_t k = 0; k < miniFat.size(); ++k) {
        wr32(at(miniFatStart) + 4 * k, miniFat[k]);
    }
    for (quint32 id = 0; id < dirSectors * entriesPerSector; ++id) {
        char* e = at(dirStart) + qsizetype(id) * kEntrySize;
        if (id >= nodes.size()) {
            wr32(e + 68, kNoStream);
            wr32(e + 72, kNoStream);
            wr32(e + 76, kNoStream);
            continue;
        }
        const Node& node = nodes[id];
        const QString name = id == 0 ? QStringLiteral("Root Entry") : node.Name;
        for (qsizetype k = 0; k < name.size(); ++k) {
            wr16(e + 2 * k, name.at(k).unicode());
        }
        wr16(e + 64, quint16((name.size() + 1) * 2));
        e[66] = char(id == 0 ? kRootEntry : (node.IsStorage ? kStorageEntry : kStreamEntry));
        e[67] = char(node.Red ? 0 : 1);
        wr32(e + 68, node.Left);
        wr32(e + 72, node.Right);
        wr32(e + 76, node.IsStorage || id == 0 ? node.Child : kNoStream);
        if (id == 0) {
            wr32(e + 116, miniStart);
            wr32(e + 120, quint32(mini.size()));
        } else if (!node.IsStorage) {
            wr32(e + 116, node.Start);
            wr32(e + 120, quint32(node.Data.size()));
        }
    }
    return out;
}

TCompoundWriter::TCompoundWriter(QString targetPath)
    : m_target(std::move(targetPath)), m_impl(std::make_unique<Impl>()) {
    Impl::Node root;
    root.IsStorage = true;
    m_impl->nodes.push_back(std::move(root));
    m_impl->stack.push_back(0);
    m_names.emplace_back();
}

TCompoundWriter::~TCompoundWriter() {
    if (!m_committed) {
        abort();
    }
}

bool TCompoundWriter::IsValidName(const QString& name) {
    if (name.isEmpty() || name.size() > 31) {
        return false;
    }
    for (const QChar c : name) {
        if (c == QChar('/') || c == QChar('\\') || c == QChar(':') || c == QChar('!') || c.unicode() < 32) {
            return false;
        }
    }
    return true;
}

bool TCompoundWriter::fail(const QString& error) {
    if (m_error.isEmpty()) {
        m_error = error;
    }
    return false;
}

namespace {

bool isAscii(const QString& name) {
    return std::all_of(name.cbegin(), name.cend(), [](QChar c) { return c.unicode() < 0x80; });
}

// The same name, letter case ignored as QString::toUpper ignores it.
bool sameName(const QString& a, const QString& b) {
    if (isAscii(a) && isAscii(b)) {
        return a.size() == b.size() && compareNames(a, b) == 0;
    }
    return a.toUpper() == b.toUpper();
}

} // namespace

bool TCompoundWriter::claimName(const QString& name) {
    if (!IsValidName(name)) {
        return fail(QStringLiteral("Недопустимое имя элемента файла: \"%1\"").arg(name));
    }
    const QString repeated = QStringLiteral("Имя элемента файла повторяется: \"%1\"");
    // A storage of a few children (every laid tile's) is searched; a set
    // of names is made only for a storage of many.
    constexpr size_t kFewChildren = 16;
    const std::vector<quint32>& siblings = m_impl->nodes[m_impl->stack.back()].Children;
    QSet<QString>& names = m_names.back();
    if (siblings.size() < kFewChildren) {
        for (const quint32 id : siblings) {
            if (sameName(m_impl->nodes[id].Name, name)) {
                return fail(repeated.arg(name));
            }
        }
        return true;
    }
    if (names.isEmpty()) {
        for (const quint32 id : siblings) {
            names.insert(m_impl->nodes[id].Name.toUpper());
        }
    }
    const QString key = name.toUpper();
    if (names.contains(key)) {
        return fail(repeated.arg(name));
    }
    names.insert(key);
    return true;
}

bool TCompoundWriter::BeginStorage(const QString& name) {
    if (Failed() || m_committed || !claimName(name)) {
        return false;
    }
    const quint32 id = quint32(m_impl->nodes.size());
    Impl::Node node;
    node.Name = name;
    node.IsStorage = true;
    m_impl->nodes.push_back(std::move(node));
    m_impl->nodes[m_impl->stack.back()].Children.push_back(id);
    m_impl->stack.push_back(id);
    m_names.emplace_back();
    return true;
}

bool TCompoundWriter::EndStorage() {
    if (Failed() || m_committed || m_impl->stack.size() <= 1) {
        return fail(QStringLiteral("Ошибка записи проекта"));
    }
    m_impl->stack.pop_back();
    m_names.pop_back();
    return true;
}

bool TCompoundWriter::WriteStream(const QString& name, const QByteArray& bytes) {
    if (Failed() || m_committed || !claimName(name)) {
        return false;
    }
    if (bytes.size() > qsizetype(0x7FFFFFFF)) {
        return fail(QStringLiteral("Слишком большой элемент файла: \"%1\"").arg(name));
    }
    const quint32 id = quint32(m_impl->nodes.size());
    Impl::Node node;
    node.Name = name;
    node.Data = bytes;
    m_impl->nodes.push_back(std::move(node));
    m_impl->nodes[m_impl->stack.back()].Children.push_back(id);
    return true;
}

bool TCompoundWriter::Commit(const TByteProgress& writing) {
    if (Failed() || m_committed) {
        abort();
        return false;
    }
    // Through symbolic links to the file they name; what is not a writable
    // file is refused before anything is written.
    const TSaveTarget target = ResolveSaveTarget(m_target);
    if (!target.Problem.isEmpty()) {
        fail(QStringLiteral("Не удается заменить файл \"%1\": %2")
                 .arg(QDir::toNativeSeparators(m_target), target.Problem));
        abort();
        return false;
    }
    RemoveStaleTemporaries(target.Path);
    const QByteArray bytes = m_impl->layOut();
    const QFileInfo info(target.Path);
    // A name no other save uses: a stray file of a killed save may be there.
    int fd = -1;
    QByteArray native;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        m_temp = TemporaryNameFor(target.Path, qint64(::getpid()), QRandomGenerator::global()->generate());
        native = QFile::encodeName(m_temp);
        fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            break;
        }
    }
    if (fd < 0) {
        fail(QStringLiteral("Не удается создать файл в папке \"%1\": %2")
                 .arg(QDir::toNativeSeparators(info.absolutePath()), QString::fromLocal8Bit(std::strerror(errno))));
        m_temp.clear();
        abort();
        return false;
    }
    const char* p = bytes.constData();
    qint64 left = bytes.size();
    bool ok = true;
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(std::min<qint64>(left, qint64(1) << 24)));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            ok = false;
            break;
        }
        p += n;
        left -= n;
        if (writing) {
            (void)writing(bytes.size() - left, bytes.size());
        }
    }
    int writeErrno = errno;
    if (ok && target.Exists) {
        // The replacement keeps the old file's owner where the system lets
        // us give it, and its permissions (after the owner: a change of
        // owner drops some of them).
        if (::fchown(fd, target.Owner, target.Group) != 0) {
            (void)::fchown(fd, uid_t(-1), target.Group);
        }
        ok = ::fchmod(fd, target.Mode & 07777) == 0;
        writeErrno = errno;
    }
    // Durable before it replaces the old file, so that a crash leaves one
    // complete file or the other.
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok) {
        fail(QStringLiteral("Ошибка записи файла \"%1\": %2")
                 .arg(QDir::toNativeSeparators(m_target), QString::fromLocal8Bit(std::strerror(writeErrno))));
        abort();
        return false;
    }
    if (::rename(native.constData(), QFile::encodeName(target.Path).constData()) != 0) {
        fail(QStringLiteral("Не удается заменить файл \"%1\": %2")
                 .arg(QDir::toNativeSeparators(m_target), QString::fromLocal8Bit(std::strerror(errno))));
        abort();
        return false;
    }
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    m_committed = true;
    m_impl->nodes.clear();
    return true;
}

void TCompoundWriter::abort() {
    // The target is never touched: only the temporary file goes.
    if (!m_temp.isEmpty()) {
        QFile::remove(m_temp);
        m_temp.clear();
    }
    m_impl->nodes.clear();
    m_impl->stack.clear();
    m_committed = true; // nothing more to undo
}

} // namespace vk
