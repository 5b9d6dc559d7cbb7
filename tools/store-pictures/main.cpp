// Writes the game's pictures into a C++ source file as the pixels the game draws: a palette
// picture as its palette and one byte a pixel, any other picture as 32-bit pixels. The game then
// draws them straight from its read-only data: nothing to decode at run time, no copy in memory,
// and no PNG library code brought in.
//
// usage: store-pictures OUTPUT.cpp FOLDER PICTURE.png... [--new-block PICTURE.png...]
// Each picture is known in the game by its file name. The pictures after --new-block start a
// 128 KiB block of their own, so that reading the ones before it never brings them in.

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QString>
#include <QTextStream>

#include <cstdio>

namespace {

// The picture in the form the game draws it.
QImage drawable(QImage image)
{
    if (image.colorCount() > 0)
        return image.convertToFormat(QImage::Format_Indexed8);
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                         : QImage::Format_RGB32);
}

// The pictures lie together, in the order of the command line, and the first at the start of a
// 128 KiB block: the kernel brings a program's pages in by such blocks, so the pictures the game
// draws at the table, given first, take as few blocks as they can and the others none. The
// first after --new-block also starts such a block.
const char *placing(bool first)
{
    return first ? "__attribute__((section(\"zakrytka_pictures\"), aligned(131072))) "
                 : "__attribute__((section(\"zakrytka_pictures\"), aligned(4))) ";
}

void writeBytes(QTextStream &out, const QImage &image, bool first)
{
    out << placing(first) << "const unsigned char pixels[] = {";
    for (int y = 0; y < image.height(); ++y) {
        const uchar *line = image.constScanLine(y);
        out << "\n   ";
        for (qsizetype x = 0; x < image.bytesPerLine(); ++x)
            out << ' ' << line[x] << ',';
    }
    out << "\n};\n";
}

void writeWords(QTextStream &out, const char *name, const QRgb *words, qsizetype count, int perLine,
                bool first)
{
    out << placing(first) << "const unsigned int " << name << "[] = {";
    for (qsizetype i = 0; i < count; ++i) {
        if (i % perLine == 0)
            out << "\n   ";
        out << " 0x" << QString::number(words[i], 16) << "u,";
    }
    out << "\n};\n";
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: store-pictures OUTPUT.cpp FOLDER PICTURE.png...\n");
        return 2;
    }
    QString text;
    QTextStream out(&text);
    out << "// Made at build time by tools/store-pictures from the pictures in assets/.\n"
           "// NOLINTBEGIN\n"
           "#include \"toolkit/StoredPicture.h\"\n\n";
    QString table;
    QTextStream entries(&table);
    int count = 0;
    bool newBlock = true;
    for (int i = 3; i < argc; ++i) {
        if (qstrcmp(argv[i], "--new-block") == 0) {
            newBlock = true;
            continue;
        }
        const bool first = newBlock;
        newBlock = false;
        ++count;
        const QString name = QString::fromLocal8Bit(argv[i]);
        QImageReader reader(QString::fromLocal8Bit(argv[2]) + QLatin1Char('/') + name, "png");
        reader.setAutoDetectImageFormat(false);
        const QImage image = drawable(reader.read());
        if (image.isNull()) {
            std::fprintf(stderr, "store-pictures: %s: %s\n", argv[i],
                         qPrintable(reader.errorString()));
            return 1;
        }
        out << "namespace picture" << i << " {\n";
        const bool indexed = image.format() == QImage::Format_Indexed8;
        if (indexed) {
            writeBytes(out, image, first);
            const QList<QRgb> colours = image.colorTable();
            writeWords(out, "colours", colours.constData(), colours.size(), 8, false);
        } else {
            // 32-bit pixels as numbers, so they are right whatever the byte order.
            QList<QRgb> words;
            for (int y = 0; y < image.height(); ++y) {
                const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
                words.append(QList<QRgb>(line, line + image.width()));
            }
            writeWords(out, "pixels", words.constData(), words.size(), image.width(), first);
        }
        out << "} // namespace picture" << i << "\n\n";
        entries << "    {\"" << name << "\", " << image.width() << ", " << image.height() << ", "
                << (indexed ? image.bytesPerLine() : image.width() * 4) << ", "
                << int(image.format()) << ", picture" << i << "::pixels, "
                << (indexed
                        ? QStringLiteral("picture%1::colours, %2").arg(i).arg(image.colorCount())
                        : QStringLiteral("nullptr, 0"))
                << "},\n";
    }
    out << "namespace toolkit {\n\nextern const StoredPicture storedPictures[] = {\n"
        << table << "};\nextern const int storedPictureCount = " << count
        << ";\n\n} // namespace toolkit\n// NOLINTEND\n";
    out.flush();

    QFile file(QString::fromLocal8Bit(argv[1]));
    const QByteArray bytes = text.toUtf8();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size() || !file.flush()) {
        std::fprintf(stderr, "store-pictures: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
