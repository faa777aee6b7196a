// The compound file format itself: files we write are read by libgsf, an
// independent implementation, with the same names, order and bytes; files
// libgsf writes are read by us; the directory trees we write are valid
// red-black trees; and sibling trees that loop are refused, not followed.

#include "compound/CompoundFile.h"
#include "support/TempDir.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-input.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-utils.h>

#include <QFile>
#include <gtest/gtest.h>

#include <functional>
#include <map>

using namespace vk;

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A tree of streams as libgsf lists it: "path" -> bytes, in listing order.
std::vector<std::pair<QString, QByteArray>> listWithGsf(const QString& path) {
    gsf_init();
    std::vector<std::pair<QString, QByteArray>> out;
    GError* error = nullptr;
    GsfInput* input = gsf_input_stdio_new(QFile::encodeName(path).constData(), &error);
    EXPECT_NE(input, nullptr);
    if (input == nullptr) {
        return out;
    }
    GsfInfile* root = gsf_infile_msole_new(input, &error);
    g_object_unref(input);
    EXPECT_NE(root, nullptr) << (error != nullptr ? error->message : "");
    if (root == nullptr) {
        return out;
    }
    std::function<void(GsfInfile*, const QString&)> walk = [&](GsfInfile* storage, const QString& prefix) {
        const int n = gsf_infile_num_children(storage);
        for (int i = 0; i < n; ++i) {
            const QString name = prefix + QString::fromUtf8(gsf_infile_name_by_index(storage, i));
            GsfInput* child = gsf_infile_child_by_index(storage, i);
            if (GSF_IS_INFILE(child) && gsf_infile_num_children(GSF_INFILE(child)) >= 0) {
                out.emplace_back(name + "/", QByteArray());
                walk(GSF_INFILE(child), name + "/");
            } else {
                const gsf_off_t size = gsf_input_size(child);
                QByteArray bytes(qsizetype(size), '\0');
                if (size > 0) {
                    gsf_input_read(child, size_t(size), reinterpret_cast<guint8*>(bytes.data()));
                }
                out.emplace_back(name, bytes);
            }
            g_object_unref(child);
        }
    };
    walk(root, QString());
    g_object_unref(root);
    return out;
}

std::vector<std::pair<QString, QByteArray>> listWithUs(const TStorage& storage, const QString& prefix = {}) {
    std::vector<std::pair<QString, QByteArray>> out;
    const int n = storage.ChildCount();
    EXPECT_GE(n, 0);
    for (int i = 0; i < n; ++i) {
        const QString name = prefix + storage.ChildName(i);
        if (auto child = storage.ChildStorage(i)) {
            out.emplace_back(name + "/", QByteArray());
            for (auto& e : listWithUs(*child, name + "/")) {
                out.push_back(std::move(e));
            }
        } else {
            QByteArray bytes;
            EXPECT_EQ(storage.ReadStream(storage.ChildName(i), bytes), TStorage::TRead::Ok) << name.toStdString();
            out.emplace_back(name, bytes);
        }
    }
    return out;
}

QByteArray pattern(int size, int seed) {
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i) {
        b[i] = char((i * 31 + seed) & 0xFF);
    }
    return b;
}

quint32 u32(const QByteArray& b, qsizetype at) {
    const auto* p = reinterpret_cast<const unsigned char*>(b.constData() + at);
    return quint32(p[0]) | (quint32(p[1]) << 8) | (quint32(p[2]) << 16) | (quint32(p[3]) << 24);
}

// The directory entries of a small file we wrote, in the order of their
// identifiers.
struct TEntry {
    QString Name;
    int Type;
    bool Black;
    quint32 Left, Right, Child;
};
std::vector<TEntry> directory(const QByteArray& file) {
    // Small files: the first FAT sector maps every sector.
    const qsizetype fatAt = (qsizetype(u32(file, 76)) + 1) * 512;
    std::vector<TEntry> out;
    for (quint32 sector = u32(file, 48); sector < 128; sector = u32(file, fatAt + 4 * sector)) {
        for (qsizetype at = (qsizetype(sector) + 1) * 512, end = at + 512; at < end; at += 128) {
            const int type = file[at + 66];
            if (type == 0) {
                continue;
            }
            const int units = (int(quint8(file[at + 64])) | (int(quint8(file[at + 65])) << 8)) / 2 - 1;
            out.push_back({QString::fromUtf16(reinterpret_cast<const char16_t*>(file.constData() + at), units), type,
                           file[at + 67] == 1, u32(file, at + 68), u32(file, at + 72), u32(file, at + 76)});
        }
    }
    return out;
}

// Black height of a sibling tree, -1 when a rule is broken: a red node with
// a red child, unequal black heights, or names out of order.
int blackHeight(const std::vector<TEntry>& d, quint32 id, const QString* low, const QString* high) {
    if (id == 0xFFFFFFFFu) {
        return 1;
    }
    const TEntry& e = d[id];
    auto less = [](const QString& a, const QString& b) {
        return a.size() != b.size() ? a.size() < b.size() : a.toUpper() < b.toUpper();
    };
    if ((low != nullptr && !less(*low, e.Name)) || (high != nullptr && !less(e.Name, *high))) {
        return -1;
    }
    for (quint32 c : {e.Left, e.Right}) {
        if (!e.Black && c != 0xFFFFFFFFu && !d[c].Black) {
            return -1;
        }
    }
    const int l = blackHeight(d, e.Left, low, &e.Name);
    const int r = blackHeight(d, e.Right, &e.Name, high);
    if (l < 0 || r < 0 || l != r) {
        return -1;
    }
    return l + (e.Black ? 1 : 0);
}

} // namespace

TEST(CompoundFormat, LibgsfReadsWhatWeWrite) {
    test::TTempDir dir;
    for (const int count : {1, 2, 3, 7, 11, 101, 1001}) {
        SCOPED_TRACE(count);
        const QString path = dir.file(QString("ours%1.mpp").arg(count));
        {
            TCompoundWriter w(path);
            w.WriteStream("Version", QByteArray("\1\0\0\0", 4));
            w.WriteStream("Empty", QByteArray());
            w.WriteStream("Texture", pattern(9000, count)); // over the mini stream's limit
            w.WriteStream("Edge", pattern(4096, 3));
            w.WriteStream("Comment", QString("Двор, %1 плиток").arg(count).toUtf8());
            w.BeginStorage("Tiles");
            for (int i = count; i >= 1; --i) {
                w.BeginStorage(QString("Tile%1").arg(i, 7, 10, QChar('0')));
                w.WriteStream("BasePoint", pattern(9, i));
                w.WriteStream("Color", pattern(4, i + 1));
                w.EndStorage();
            }
            w.EndStorage();
            ASSERT_TRUE(w.Commit()) << w.Error().toStdString();
        }
        QString error;
        auto root = TStorage::OpenFile(path, error);
        ASSERT_NE(root, nullptr) << error.toStdString();
        const auto ours = listWithUs(*root);
        EXPECT_EQ(listWithGsf(path), ours);
        // Listing order: the format's, so Tile0000001 first.
        const auto first = std::find_if(ours.begin(), ours.end(), [](const auto& e) { return e.first.startsWith("Tiles/Tile"); });
        ASSERT_NE(first, ours.end());
        EXPECT_EQ(first->first, "Tiles/Tile0000001/");
    }
}

TEST(CompoundFormat, WeReadWhatLibgsfWrites) {
    test::TTempDir dir;
    const QString path = dir.file("gsf.mpp");
    gsf_init();
    {
        GError* error = nullptr;
        GsfOutput* sink = gsf_output_stdio_new(QFile::encodeName(path).constData(), &error);
        ASSERT_NE(sink, nullptr);
        GsfOutfile* root = gsf_outfile_msole_new(sink);
        g_object_unref(sink);
        auto stream = [](GsfOutfile* parent, const char* name, const QByteArray& bytes) {
            GsfOutput* s = gsf_outfile_new_child(parent, name, FALSE);
            gsf_output_write(s, size_t(bytes.size()), reinterpret_cast<const guint8*>(bytes.constData()));
            gsf_output_close(s);
            g_object_unref(s);
        };
        stream(root, "Version", QByteArray("\1\0\0\0", 4));
        stream(root, "Texture", pattern(10000, 5));
        GsfOutfile* tiles = GSF_OUTFILE(gsf_outfile_new_child(root, "Tiles", TRUE));
        for (int i = 1; i <= 300; ++i) {
            GsfOutfile* t = GSF_OUTFILE(gsf_outfile_new_child(tiles, QString("Tile%1").arg(i).toUtf8().constData(), TRUE));
            stream(t, "Color", pattern(4, i));
            gsf_output_close(GSF_OUTPUT(t));
            g_object_unref(t);
        }
        gsf_output_close(GSF_OUTPUT(tiles));
        g_object_unref(tiles);
        ASSERT_TRUE(gsf_output_close(GSF_OUTPUT(root)));
        g_object_unref(root);
    }
    QString error;
    auto root = TStorage::OpenFile(path, error);
    ASSERT_NE(root, nullptr) << error.toStdString();
    const auto ours = listWithUs(*root);
    EXPECT_EQ(ours, listWithGsf(path));
    // Shorter names first: Tile1..Tile9, then Tile10.., whatever the tree.
    auto tiles = root->Storage("tiles");
    ASSERT_NE(tiles, nullptr);
    ASSERT_EQ(tiles->ChildCount(), 300);
    EXPECT_EQ(tiles->ChildName(8), "Tile9");
    EXPECT_EQ(tiles->ChildName(9), "Tile10");
    EXPECT_EQ(tiles->ChildName(299), "Tile300");
}

TEST(CompoundFormat, SiblingTreesAreRedBlackTrees) {
    test::TTempDir dir;
    for (int count = 1; count <= 140; ++count) {
        const QString path = dir.file("rb.mpp");
        {
            TCompoundWriter w(path);
            for (int i = 0; i < count; ++i) {
                // Names of mixed lengths and letter case.
                w.WriteStream(QString(i % 2 ? "s%1" : "Stream%1").arg(i * 7919 % 1000), QByteArray(1, 'x'));
            }
            ASSERT_TRUE(w.Commit());
        }
        const std::vector<TEntry> d = directory(readAll(path));
        ASSERT_EQ(int(d.size()), count + 1);
        ASSERT_LT(d[0].Child, d.size());
        EXPECT_TRUE(d[d[0].Child].Black) << count << ": the top of the tree is black";
        EXPECT_GT(blackHeight(d, d[0].Child, nullptr, nullptr), 0) << count;
    }
}

TEST(CompoundFormat, LoopsAndSharedEntriesMakeAListingUnreadable) {
    test::TTempDir dir;
    const QString path = dir.file("loop.mpp");
    {
        TCompoundWriter w(path);
        w.BeginStorage("Borders");
        for (int i = 1; i <= 5; ++i) {
            w.BeginStorage(QString("Border%1").arg(i));
            w.WriteStream("Kind", QByteArray(4, '\0'));
            w.EndStorage();
        }
        w.EndStorage();
        w.WriteStream("Version", QByteArray(4, '\0'));
        ASSERT_TRUE(w.Commit());
    }
    const QByteArray good = readAll(path);
    const std::vector<TEntry> d = directory(good);
    const qsizetype dirAt = (qsizetype(u32(good, 48)) + 1) * 512;
    quint32 borders = 0;
    quint32 border3 = 0;
    for (quint32 i = 0; i < d.size(); ++i) {
        borders = d[i].Name == "Borders" ? i : borders;
        border3 = d[i].Name == "Border3" ? i : border3;
    }
    struct Case {
        const char* name;
        quint32 entry;
        int field; // 68 left, 72 right, 76 child
        quint32 value;
    };
    const Case cases[] = {
        {"a child that is its own sibling", border3, 68, border3},
        {"a sibling out of range", border3, 72, 100000},
        {"a sibling that is the root", border3, 68, 0},
        {"a storage that holds itself", border3, 76, borders},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray bad = good;
        const quint32 v = c.value;
        std::memcpy(bad.data() + dirAt + qsizetype(c.entry) * 128 + c.field, &v, 4);
        QString error;
        auto root = TStorage::OpenBytes(bad, error);
        ASSERT_NE(root, nullptr) << error.toStdString();
        QByteArray bytes;
        EXPECT_EQ(root->ReadStream("Version", bytes), TStorage::TRead::Ok) << "the rest stays readable";
        auto b = root->Storage("Borders");
        ASSERT_NE(b, nullptr);
        if (c.field == 76) {
            // Border3 now lists the storage it is in: that storage's listing
            // is then shared, and Border3's own is unreadable.
            auto three = b->Storage("Border3");
            ASSERT_NE(three, nullptr);
            EXPECT_EQ(three->ChildCount(), -1);
        } else {
            EXPECT_EQ(b->ChildCount(), -1);
            EXPECT_TRUE(b->ChildName(0).isNull());
            EXPECT_EQ(b->ChildStorage(0), nullptr);
        }
    }
}
