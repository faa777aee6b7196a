// Seeds for the project reader's fuzzer: small projects written by the
// program's own writer, each showing the reader another part of the format.

#include "FuzzLibrary.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    vk::RegisterElementKinds();
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_make_corpus FOLDER\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(folder.path());
    vk::fuzz::TSilentUi silent;
    vk::setUserInterface(&silent);
    vk::fuzz::TFuzzLibrary library;
    vk::SetTileDB(&library);
    int written = 0;
    auto save = [&](vk::TProject& p, const char* name) {
        written += p.SaveToFile(folder.filePath(QString::fromLatin1(name))) ? 1 : 0;
    };

    vk::TProject empty;
    save(empty, "empty.mpp");

    // The border, tile and pattern of the scene; not laid.
    vk::TProject drawn;
    (void)vk::LoadScene(QByteArray(vk::fuzz::kScene), drawn);
    drawn.Tile()->ID = vk::fuzz::kTileId;
    drawn.Comment = QStringLiteral("Двор\r\nс клумбой");
    save(drawn, "drawn.mpp");

    // Laid: whole and cut tiles, three colours, and a texture.
    vk::TProject& laid = library.Source();
    laid.Fill();
    for (int i = 0; i < laid.LaidTiles().Count(); ++i) {
        if (i % 3 == 1) {
            laid.LaidTiles().SetColor(i, 0xFFC03030u);
        } else if (i % 4 == 2) {
            laid.LaidTiles().SetColor(i, 0xFF3050C0u);
        }
    }
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::darkYellow);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    laid.SetTextureImage(png);
    save(laid, "laid.mpp");

    std::printf("%d seeds in %s\n", written, argv[1]);
    return written == 3 ? 0 : 1;
}
