// Any bytes as the score file "sys.dll", loaded the way the game loads it into the hall of fame's
// eleven boxes: each box holds its line as the reading rules give it, saving the boxes gives back
// each line's bytes with CR LF, and loading the saved file gives the same texts. The same input,
// taken as eleven arbitrary texts in the boxes, is also saved and loaded back.

#include "Check.h"

#include "game/ScoreFile.h"
#include "toolkit/Application.h"
#include "toolkit/EditBox.h"
#include "toolkit/Exception.h"
#include "toolkit/TextFileReader.h"

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringDecoder>
#include <QStringList>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

using fuzzcheck::check;
using fuzzcheck::fail;
using fuzzcheck::shown;

namespace {

constexpr int Lines = 11;

// The hall of fame's boxes, Edit1 first, as the score file loads and saves them.
std::array<toolkit::EditBox *, Lines> boxes;

// The game's reading rules, written out again on raw bytes: a CR or CR LF ends a line, a LF on its
// own is text, Ctrl-Z ends the data, and lines past the end are empty.
QList<QByteArray> referenceLines(const QByteArray &bytes)
{
    QList<QByteArray> lines;
    qsizetype pos = 0;
    for (int n = 0; n < Lines; ++n) {
        QByteArray line;
        while (pos < bytes.size() && bytes[pos] != '\x1a') {
            const char c = bytes[pos++];
            if (c == '\r') {
                if (pos < bytes.size() && bytes[pos] == '\n')
                    ++pos;
                break;
            }
            line += c;
        }
        lines << line;
    }
    return lines;
}

// Windows-1250 as Qt's converter (ICU) has it, byte by byte: a reference apart from the game,
// which reads the code page through glibc's. A byte left undefined stands for the control
// character of the same number.
struct ReferenceCodePage {
    std::array<char16_t, 256> toUnicode{};
    QHash<char16_t, char> fromUnicode;

    ReferenceCodePage()
    {
        for (int b = 0; b < 256; ++b) {
            QStringDecoder decoder("windows-1250");
            if (!decoder.isValid())
                fail("Qt has no windows-1250 converter");
            const char byte = char(b);
            const QString decoded = decoder.decode(QByteArrayView(&byte, 1));
            const bool ok = decoded.size() == 1 && !decoder.hasError() &&
                            decoded.at(0) != QChar::ReplacementCharacter;
            const char16_t u = ok ? decoded.at(0).unicode() : char16_t(b);
            toUnicode[b] = u;
            check(!fromUnicode.contains(u), "the code page gives two bytes the same character",
                  [&] { return QString::number(b); });
            fromUnicode.insert(u, char(b));
        }
    }

    QString decode(const QByteArray &bytes) const
    {
        QString text;
        for (const char c : bytes)
            text += QChar(toUnicode[static_cast<unsigned char>(c)]);
        return text;
    }

    // Characters the code page cannot hold are left out.
    QByteArray encode(const QString &text) const
    {
        QByteArray bytes;
        for (const QChar c : text) {
            const auto it = fromUnicode.constFind(c.unicode());
            if (it != fromUnicode.constEnd())
                bytes += it.value();
        }
        return bytes;
    }
};

const ReferenceCodePage &codePage()
{
    static const ReferenceCodePage table;
    return table;
}

// A folder of this process's own on a memory file system, where syncing the saved file costs
// nothing: /dev/shm, or else TMPDIR or /tmp (a warning says when that is on a disk). It is removed
// when the run ends normally.
QString makeFolder()
{
    QByteArray base = qgetenv("TMPDIR");
    if (::access("/dev/shm", W_OK) == 0)
        base = "/dev/shm";
    else if (base.isEmpty())
        base = "/tmp";
    QByteArray pattern = base + "/zakrytka-fuzz.XXXXXX";
    if (!::mkdtemp(pattern.data()))
        fail("cannot make a temporary folder", QString::fromLocal8Bit(pattern));
    struct statfs fs;
    if (::statfs(pattern.constData(), &fs) == 0 && fs.f_type != TMPFS_MAGIC)
        std::fprintf(stderr, "scorefile fuzzer: %s is not in memory; every save syncs it\n",
                     pattern.constData());
    static QByteArray removeAtExit;
    removeAtExit = pattern;
    std::atexit([] {
        ::unlink((removeAtExit + "/sys.dll").constData());
        ::rmdir(removeAtExit.constData());
    });
    return QString::fromLocal8Bit(pattern);
}

const QString &folder()
{
    static const QString dir = makeFolder();
    return dir;
}

QString scoreFile()
{
    return folder() + QStringLiteral("/sys.dll");
}

void putBytes(const QByteArray &bytes)
{
    const QByteArray name = QFile::encodeName(scoreFile());
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    check(fd >= 0, "cannot write the input file");
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        check(n > 0, "cannot write the input file");
        done += n;
    }
    ::close(fd);
}

QByteArray getBytes()
{
    const QByteArray name = QFile::encodeName(scoreFile());
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    check(fd >= 0, "the saved file cannot be opened");
    QByteArray bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        check(n >= 0, "the saved file cannot be read");
        if (n == 0)
            break;
        bytes.append(buffer, n);
    }
    ::close(fd);
    return bytes;
}

// Only the score file itself is in the folder: no temporary file is left behind.
void checkFolderHoldsOnlyTheFile()
{
    DIR *dir = ::opendir(QFile::encodeName(folder()).constData());
    check(dir != nullptr, "the temporary folder is gone");
    QStringList names;
    while (const dirent *entry = ::readdir(dir)) {
        const QString name = QString::fromLocal8Bit(entry->d_name);
        if (name != u"." && name != u"..")
            names << name;
    }
    ::closedir(dir);
    check(names == QStringList{QStringLiteral("sys.dll")}, "files left beside the score file",
          [&] { return names.join(u' '); });
}

// The game reads and writes "sys.dll" in its current directory; the fuzzer's own paths may be
// relative, so the folder is the current directory only while an input is tried.
class InFolder {
public:
    InFolder() : m_previous(QDir::currentPath()) { QDir::setCurrent(folder()); }
    ~InFolder() { QDir::setCurrent(m_previous); }

private:
    QString m_previous;
};

QStringList load()
{
    try {
        readScoreFile(boxes);
    } catch (const toolkit::Exception &e) {
        fail("reading a regular file raised an error", e.message());
    }
    QStringList texts;
    for (const toolkit::EditBox *box : boxes)
        texts << box->text();
    return texts;
}

void save(const QStringList &texts)
{
    int n = 0;
    for (toolkit::EditBox *box : boxes)
        box->setText(texts[n++]);
    try {
        writeScoreFile(boxes);
    } catch (const toolkit::Exception &e) {
        fail("saving to a regular file raised an error", e.message());
    }
}

QByteArray fileOf(const QList<QByteArray> &lines)
{
    QByteArray bytes;
    for (const QByteArray &line : lines)
        bytes += line + "\r\n";
    return bytes;
}

// The game's reader alone, without the boxes, which would spend their time laying out the long
// line that puts an input across the reader's 64 KiB boundary.
QStringList readLines()
{
    QStringList texts;
    try {
        toolkit::TextFileReader reader(scoreFile());
        for (int n = 0; n < Lines; ++n)
            texts << reader.readLine();
        reader.close();
    } catch (const toolkit::Exception &e) {
        fail("reading a regular file raised an error", e.message());
    }
    return texts;
}

// The input as the file on disk, loaded into the boxes and saved back. With padding, the input
// follows that many bytes "x" at the start of its first line and is only read.
void loadDamagedFile(const QByteArray &input, qsizetype padding = 0)
{
    putBytes(QByteArray(padding, 'x') + input);
    QStringList texts = padding ? readLines() : load();
    check(texts[0].size() >= padding && std::all_of(texts[0].cbegin(), texts[0].cbegin() + padding,
                                                    [](QChar c) { return c == u'x'; }),
          "the first line does not start with its bytes");
    texts[0].remove(0, padding);
    const QList<QByteArray> lines = referenceLines(input);
    for (int n = 0; n < Lines; ++n) {
        check(
            texts[n] == codePage().decode(lines[n]), "a line reads other than its bytes",
            [&] {
                return QStringLiteral("line %1: read \"%2\", bytes \"%3\"")
                    .arg(n + 1)
                    .arg(shown(texts[n]), shown(lines[n]));
            });
    }
    if (padding)
        return;

    save(texts);
    const QByteArray saved = getBytes();
    check(saved == fileOf(lines), "saving the loaded texts changes the lines' bytes", [&] {
        return QStringLiteral("saved \"%1\", expected \"%2\"")
            .arg(shown(saved), shown(fileOf(lines)));
    });
}

// The input as eleven texts of any characters, saved and loaded back.
void saveAnyTexts(const QByteArray &input)
{
    QString all(input.size() / 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < all.size(); ++i)
        all[i] = QChar(char16_t(static_cast<unsigned char>(input[2 * i]) |
                                static_cast<unsigned char>(input[2 * i + 1]) << 8));
    QStringList texts;
    QList<QByteArray> encoded;
    for (int n = 0; n < Lines; ++n) {
        texts << all.mid(all.size() * n / Lines,
                         all.size() * (n + 1) / Lines - all.size() * n / Lines);
        encoded << codePage().encode(texts.last());
    }

    save(texts);
    const QByteArray saved = getBytes();
    check(saved == fileOf(encoded), "a text is saved as other bytes than its code page's", [&] {
        return QStringLiteral("saved \"%1\", expected \"%2\"")
            .arg(shown(saved), shown(fileOf(encoded)));
    });

    const QStringList loaded = load();
    const QList<QByteArray> lines = referenceLines(saved);
    for (int n = 0; n < Lines; ++n)
        check(
            loaded[n] == codePage().decode(lines[n]), "a saved file loads other than its bytes",
            [&] { return QString::number(n + 1); });
    const bool splits = std::any_of(encoded.cbegin(), encoded.cend(), [](const QByteArray &b) {
        return b.contains('\r') || b.contains('\x1a');
    });
    if (!splits) {
        for (int n = 0; n < Lines; ++n)
            check(
                loaded[n] == codePage().decode(encoded[n]),
                "a saved text loads back other than it was",
                [&] { return QString::number(n + 1); });
    }
}

} // namespace

// The eleven boxes are never shown, and no message loop runs.
extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "qt.qpa.*=false");
    static QApplication application(*argc, *argv);
    toolkit::Application::setUp();
    for (toolkit::EditBox *&box : boxes)
        box = new toolkit::EditBox;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    InFolder in;
    // The reader takes 64 KiB at a time. An input that starts with the byte 31 is put just
    // before that boundary, so its line ends and Ctrl-Z bytes fall across it; it is slow, so only
    // those inputs take that path, and they are only read.
    if (input.startsWith('\x1f'))
        loadDamagedFile(input.mid(1), 65536 - 16);
    else
        loadDamagedFile(input);
    saveAnyTexts(input);
    // A save that left its temporary file behind would still be there.
    checkFolderHoldsOnlyTheFile();
    return 0;
}
