// Draws every built-in picture and icon of the game and writes them as PNG files into assets/.
//
// To redraw after a change here, from the top of the tree:
//   cmake --build --preset default --target draw-assets
//   build/default/tools/draw-assets/draw-assets assets
// `draw-assets --check assets` draws the pictures in memory and fails when a committed file no
// longer matches the drawing; the test suite runs it so a forgotten redraw is noticed.
//
// The output is deterministic: every random texture or fleck comes from a small generator with a
// fixed seed, and no font is used (letters are drawn as strokes), so every run writes the same
// pixels.
//
// Every picture and icon is drawn twice: at its own size, and at twice that size for scaled
// screens, saved as <name>@2x.png; only the menu icon's SVG scales by itself. The larger one is
// the same drawing made with twice as many pixels (finer lines, curves and steps), never the
// small one's pixels doubled.
//
// Each family of pictures is drawn in a file of its own: Cards.cpp, Dealer.cpp, Icons.cpp and
// Glyphs.cpp, with what they share in Drawing.h.

#include "Drawing.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <cstdio>

namespace {

QList<Picture> drawAll()
{
    QList<Picture> all;
    for (int s : {1, 2}) {
        for (Picture &picture :
             cardPictures(s) + dealerPictures(s) + iconPictures(s) + glyphPictures(s)) {
            if (s > 1)
                picture.name += "@2x";
            all.append(picture);
        }
    }
    return all;
}

int writeAll(const QString &outDir)
{
    if (!QDir().mkpath(outDir)) {
        std::fprintf(stderr, "draw-assets: cannot create %s\n", qPrintable(outDir));
        return 1;
    }
    for (const Picture &picture : drawAll()) {
        const QString path = QDir(outDir).filePath(picture.fileName());
        bool written = false;
        if (picture.svg.isEmpty()) {
            written = picture.image.save(path, "PNG");
        } else {
            QFile file(path);
            written = file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                      file.write(picture.svg) == picture.svg.size() && file.flush();
        }
        if (!written) {
            std::fprintf(stderr, "draw-assets: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}

int checkAll(const QString &dir)
{
    int stale = 0;
    for (const Picture &picture : drawAll()) {
        const QString path = QDir(dir).filePath(picture.fileName());
        bool same = false;
        if (picture.svg.isEmpty()) {
            const QImage stored(path);
            same = !stored.isNull() && stored.convertToFormat(QImage::Format_ARGB32) ==
                                           picture.image.convertToFormat(QImage::Format_ARGB32);
        } else {
            QFile file(path);
            same = file.open(QIODevice::ReadOnly) && file.readAll() == picture.svg;
        }
        if (!same) {
            std::fprintf(stderr, "draw-assets: %s is missing or differs from the drawing\n",
                         qPrintable(path));
            ++stale;
        }
    }
    if (stale > 0)
        std::fprintf(stderr, "draw-assets: redraw with `draw-assets %s`\n", qPrintable(dir));
    return stale == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 1 && !args[0].startsWith('-'))
        return writeAll(args[0]);
    if (args.size() == 2 && args[0] == "--check")
        return checkAll(args[1]);
    std::fprintf(stderr, "usage: draw-assets <output folder>\n"
                         "       draw-assets --check <assets folder>\n");
    return 2;
}
