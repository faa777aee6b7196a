// Folders stand in layers: a folder's library links only folders below it,
// and exactly the ones its sources include, so that neither an include nor a
// link reaches upward or pulls in a layer nobody uses.

#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>
#include <gtest/gtest.h>

namespace {

// The folders bottom up, each with the folders its library links.
QList<QPair<QString, QSet<QString>>> FolderLinks() {
    QFile file(QStringLiteral(FOLDER_LINKS));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << FOLDER_LINKS;
    QList<QPair<QString, QSet<QString>>> layers;
    for (const QString& line : QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts)) {
        const QString folder = line.section(':', 0, 0);
        const QStringList links = line.section(':', 1).split(' ', Qt::SkipEmptyParts);
        layers.append({folder, QSet<QString>(links.begin(), links.end())});
    }
    return layers;
}

// The other folders of ours that a folder's sources include.
QSet<QString> IncludedFolders(const QString& folder, const QSet<QString>& known) {
    static const QRegularExpression include(QStringLiteral(R"(^\s*#\s*include\s+"([a-z]+)/)"),
                                            QRegularExpression::MultilineOption);
    QSet<QString> found;
    QDirIterator files(QStringLiteral(SOURCE_FOLDER) + '/' + folder, {QStringLiteral("*.h"), QStringLiteral("*.cpp")},
                       QDir::Files);
    while (files.hasNext()) {
        QFile source(files.next());
        EXPECT_TRUE(source.open(QIODevice::ReadOnly)) << source.fileName().toStdString();
        const QString text = QString::fromUtf8(source.readAll());
        for (auto match = include.globalMatch(text); match.hasNext();) {
            const QString included = match.next().captured(1);
            if (included != folder && known.contains(included)) {
                found.insert(included);
            }
        }
    }
    return found;
}

TEST(Layering, EveryFolderLinksExactlyTheFoldersItIncludesAndOnlyFoldersBelowIt) {
    const auto layers = FolderLinks();
    ASSERT_GE(layers.size(), 10);
    QSet<QString> known;
    for (const auto& layer : layers) {
        known.insert(layer.first);
    }
    QSet<QString> below;
    for (const auto& [folder, links] : layers) {
        SCOPED_TRACE(folder.toStdString());
        for (const QString& link : links) {
            EXPECT_TRUE(below.contains(link)) << "links " << link.toStdString() << ", which is not below it";
        }
        const QSet<QString> included = IncludedFolders(folder, known);
        for (const QString& used : included) {
            EXPECT_TRUE(links.contains(used)) << "includes " << used.toStdString() << " without linking it";
        }
        for (const QString& link : links) {
            EXPECT_TRUE(included.contains(link)) << "links " << link.toStdString() << " without including it";
        }
        below.insert(folder);
    }
}

} // namespace
