#include "game/ScoreFile.h"
#include "support/TestSupport.h"
#include "toolkit/Convert.h"
#include "toolkit/EditBox.h"
#include "toolkit/Exception.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTest>

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace testsupport;
using toolkit::EConvertError;
using toolkit::EInOutError;

namespace {

// The hall of fame's eleven boxes, Edit1 first, as the score file loads and saves them.
using Boxes = std::array<toolkit::EditBox *, 11>;

const QStringList DesignTexts = {"250",    "200", "Ruzize", "Vudero", "",         "150",
                                 "Rurova", "100", "Doda",   "50",     "Darerazaz"};

// The boxes of the file's lines that hold amounts (the five places and the last result).
constexpr int AmountLines[] = {0, 1, 4, 5, 7, 9};

void setBoxTexts(const Boxes &boxes, const QStringList &texts)
{
    for (int i = 0; i < 11; ++i)
        boxes[i]->setText(texts.value(i));
}

// The eleven lines of a score file as raw bytes, cut by the game's reading rules: CR or CR LF
// ends a line, a lone LF is text, Ctrl-Z ends the data, lines past the end are empty.
QList<QByteArray> rawLines(const QByteArray &bytes)
{
    const qsizetype ctrlZ = bytes.indexOf('\x1a');
    const QByteArray data = ctrlZ < 0 ? bytes : bytes.first(ctrlZ);
    QList<QByteArray> lines;
    qsizetype pos = 0;
    for (int i = 0; i < 11; ++i) {
        const qsizetype cr = data.indexOf('\r', pos);
        if (cr < 0) {
            lines << data.mid(pos);
            pos = data.size();
            continue;
        }
        lines << data.mid(pos, cr - pos);
        pos = cr + 1;
        if (pos < data.size() && data.at(pos) == '\n')
            ++pos;
    }
    return lines;
}

// What the writing step must produce for boxes loaded from these lines: each line's bytes
// unchanged, each followed by CR LF.
QByteArray fileOf(const QList<QByteArray> &lines)
{
    QByteArray bytes;
    for (const QByteArray &line : lines)
        bytes += line + "\r\n";
    return bytes;
}

QByteArray startingWith(int line, const QByteArray &text)
{
    QList<QByteArray> lines = rawLines(startingScoreFile());
    lines[line] = text;
    return fileOf(lines);
}

QByteArray garbage(qsizetype size, quint32 seed, const QByteArray &alphabet = QByteArray())
{
    QRandomGenerator random(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &byte : bytes)
        byte = alphabet.isEmpty() ? char(random.bounded(256))
                                  : alphabet.at(random.bounded(int(alphabet.size())));
    return bytes;
}

// The error a reading or writing step raises, or code 0 when it raises none.
template <typename Step> QPair<int, QString> errorOf(Step step)
{
    try {
        step();
    } catch (const EInOutError &e) {
        return {e.code(), e.message()};
    }
    return {0, QString()};
}

// A read that hangs ends the whole program after some seconds instead of the test run's limit.
class HangGuard {
public:
    HangGuard() { ::alarm(20); }
    ~HangGuard() { ::alarm(0); }
};

QStringList filesHere()
{
    return QDir::current().entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot |
                                     QDir::System);
}

} // namespace

class tst_ScoreFile : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void roundTripKeepsEveryByte();
    void readingRules_data();
    void readingRules();
    void codePageBothWays();
    void badAmountsLoadAndFailOnConversion_data();
    void badAmountsLoadAndFailOnConversion();
    void readErrors_data();
    void readErrors();
    void specialFilesAreRefused_data();
    void specialFilesAreRefused();
    void failedWriteKeepsOldFile_data();
    void failedWriteKeepsOldFile();
    void writeKeepsPermissionsAndLinks();
    void writeRemovesLeftovers_data();
    void writeRemovesLeftovers();
    void systemErrorsMapToMessages_data();
    void systemErrorsMapToMessages();

private:
    // Box Edit<n> of the hall of fame.
    toolkit::EditBox *edit(int n) const { return m_boxes[n - 1]; }

    TemporaryCurrentDir *m_dir = nullptr;
    QWidget *m_owner = nullptr;
    Boxes m_boxes{};
};

void tst_ScoreFile::initTestCase()
{
    setUpApplication();
}

void tst_ScoreFile::init()
{
    m_dir = new TemporaryCurrentDir;
    // Hidden boxes with the hall of fame's texts as it is designed.
    m_owner = new QWidget;
    for (toolkit::EditBox *&box : m_boxes)
        box = new toolkit::EditBox(m_owner);
    setBoxTexts(m_boxes, DesignTexts);
}

void tst_ScoreFile::cleanup()
{
    delete m_owner;
    m_owner = nullptr;
    m_boxes = {};
    delete m_dir;
    m_dir = nullptr;
}

void tst_ScoreFile::roundTripKeepsEveryByte()
{
    const QByteArray starting = startingScoreFile();
    writeFile("sys.dll", starting);
    readScoreFile(m_boxes);
    QCOMPARE(boxTexts(m_boxes), DesignTexts);

    QFile::remove("sys.dll");
    writeScoreFile(m_boxes);
    QCOMPARE(readFile("sys.dll"), starting);
    // Writing again without a change gives the same bytes, and leaves no other file behind.
    writeScoreFile(m_boxes);
    QCOMPARE(readFile("sys.dll"), starting);
    QCOMPARE(filesHere(), QStringList{"sys.dll"});
}

void tst_ScoreFile::readingRules_data()
{
    QTest::addColumn<QByteArray>("bytes");
    // The boxes' texts after loading; an empty list where only the file's bytes can tell.
    QTest::addColumn<QStringList>("texts");

    const QStringList empty(11);
    auto with = [&empty](std::initializer_list<QString> first) {
        QStringList texts = empty;
        int i = 0;
        for (const QString &text : first)
            texts[i++] = text;
        return texts;
    };

    const QByteArray crlf = startingScoreFile();
    QTest::newRow("CR LF") << crlf << DesignTexts;
    QTest::newRow("no line end after the eleventh") << crlf.chopped(2) << DesignTexts;
    QByteArray crOnly = crlf;
    crOnly.replace("\r\n", "\r");
    QTest::newRow("CR only") << crOnly << DesignTexts;
    QTest::newRow("empty file") << QByteArray() << empty;
    QTest::newRow("three lines") << QByteArray("1\r\n2\r\nAla\r\n") << with({"1", "2", "Ala"});

    QByteArray lfOnly = crlf;
    lfOnly.replace("\r\n", "\n");
    QTest::newRow("LF only is text") << lfOnly << with({QString::fromLatin1(lfOnly)});

    QStringList longLine = DesignTexts;
    longLine[2] = QString(300, u'x');
    QTest::newRow("300 characters") << startingWith(2, QByteArray(300, 'x')) << longLine;
    QTest::newRow("line longer than a read")
        << QByteArray(200000, '7') << with({QString(200000, u'7')});
    QTest::newRow("more than eleven lines, the rest dropped on saving")
        << crlf + "extra\r\nmore\r\n"
        << DesignTexts;

    QByteArray withCtrlZ = crlf;
    withCtrlZ.replace("Vudero", "Vu\x1a"
                                "dero");
    QTest::newRow("Ctrl-Z in line 4") << withCtrlZ << with({"250", "200", "Ruzize", "Vu"});
    QTest::newRow("mixed line ends")
        << QByteArray("a\rb\r\n\r\nc\nd") << with({"a", "b", "", "c\nd"});

    QTest::newRow("binary garbage") << garbage(4096, 1) << QStringList();
    QTest::newRow("binary garbage, 300 KB") << garbage(300 * 1024, 2) << QStringList();
    QTest::newRow("garbage of line ends and Ctrl-Z")
        << garbage(2000, 3, QByteArray("\r\n\x1a\0a\x81", 6)) << QStringList();
    QTest::newRow("garbage of line ends without Ctrl-Z")
        << garbage(2000, 4, QByteArray("\r\r\n\n\0\x98", 6)) << QStringList();

    QByteArray tenMegabytes = garbage(10 * 1024 * 1024, 5, "0123456789abcdefXYZ ");
    QTest::newRow("10 MB line") << tenMegabytes << with({QString::fromLatin1(tenMegabytes)});
    QTest::newRow("1 MB line among short ones")
        << startingWith(6, tenMegabytes.first(1024 * 1024)) << QStringList();

    QByteArray manyLines;
    for (int i = 0; i < 100000; ++i)
        manyLines += QByteArray::number(i) + "\r\n";
    QTest::newRow("100 000 lines")
        << manyLines << with({"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"});
    QByteArray manyCrs(100000, '\r');
    QTest::newRow("100 000 CRs") << manyCrs << empty;
    QTest::newRow("100 000 LFs") << QByteArray(100000, '\n') << with({QString(100000, u'\n')});

    // A CR LF or a Ctrl-Z that straddles the 64 KiB the reader takes at a time.
    const QByteArray chunk(65535, 'k');
    QTest::newRow("CR LF across a read") << chunk + "\r\nB\r\n"
                                         << with({QString::fromLatin1(chunk), "B"});
    QTest::newRow("CR at the end of a read") << chunk + "\rB\r\n"
                                             << with({QString::fromLatin1(chunk), "B"});
    QTest::newRow("Ctrl-Z first in a read") << chunk + "k\x1a\r\nB\r\n"
                                            << with({QString::fromLatin1(chunk + "k")});

    QTest::newRow("undefined bytes as names")
        << QByteArray("250\r\n200\r\n\x81\x83\x88\x90\x98\r\n\x98\r\n")
        << with({"250", "200", QString::fromUtf8("\u0081\u0083\u0088\u0090\u0098"),
                 QString::fromUtf8("\u0098")});
    QTest::newRow("every byte but CR and Ctrl-Z") << [] {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            if (b != '\r' && b != 26)
                all += char(b);
        return all;
    }() << QStringList();

    QTest::newRow("NUL bytes") << QByteArray("2#50\r\n#\r\nRu#ze\r\n").replace('#', '\0')
                               << with({QString::fromUtf16(u"2\u000050", 4), QString(1, QChar(0)),
                                        QString::fromUtf16(u"Ru\u0000ze", 5)});
    QTest::newRow("only NUL bytes") << QByteArray(1024, '\0') << with({QString(1024, QChar(0))});

    QTest::newRow("CR only") << QByteArray("\r") << empty;
    QTest::newRow("LF only") << QByteArray("\n") << with({"\n"});
    QTest::newRow("LF before CR") << QByteArray("a\n\rb\r\r\nc") << with({"a\n", "b", "", "c"});
    QTest::newRow("CR CR LF") << QByteArray("\r\r\n\r\r\nz") << with({"", "", "", "", "z"});
    QTest::newRow("Ctrl-Z at the start") << "\x1a" + startingScoreFile() << empty;
    QTest::newRow("Ctrl-Z between CR and LF") << QByteArray("250\r\x1a\n200\r\n") << with({"250"});
    QTest::newRow("Ctrl-Z only") << QByteArray(10, '\x1a') << empty;
    QTest::newRow("cut in the middle of a line")
        << startingScoreFile().first(12) << with({"250", "200", "Ru"});

    // Saved by an editor as UTF-8 with a byte order mark, or as UTF-16.
    QTest::newRow("UTF-8 with byte order mark")
        << "\xef\xbb\xbf" + startingScoreFile()
        << with({QString::fromUtf8("ď»ż250"), "200", "Ruzize", "Vudero", "", "150", "Rurova", "100",
                 "Doda", "50", "Darerazaz"});
    QTest::newRow("UTF-16") << [] {
        QByteArray utf16("\xff\xfe");
        const QString text = QString::fromLatin1(startingScoreFile());
        utf16.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
        return utf16;
    }() << QStringList();
}

void tst_ScoreFile::readingRules()
{
    // Whatever bytes the file holds, it loads by the line rules and saves back byte for byte.
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, texts);
    const QList<QByteArray> lines = rawLines(bytes);
    writeFile("sys.dll", bytes);
    setBoxTexts(m_boxes, QStringList(11, QStringLiteral("old")));

    readScoreFile(m_boxes);
    const QStringList loaded = boxTexts(m_boxes);
    if (!texts.isEmpty())
        QCOMPARE(loaded, texts);
    // One character per byte: the plain ASCII bytes read as themselves.
    for (int i = 0; i < 11; ++i) {
        QCOMPARE(loaded[i].size(), lines[i].size());
        for (qsizetype j = 0; j < lines[i].size(); ++j) {
            const uchar byte = uchar(lines[i].at(j));
            if (byte < 0x80 && loaded[i].at(j) != QChar(byte))
                QFAIL(qPrintable(QString("line %1, byte %2 (%3) read as U+%4")
                                     .arg(i + 1)
                                     .arg(j)
                                     .arg(byte)
                                     .arg(loaded[i].at(j).unicode(), 4, 16, QChar('0'))));
        }
        QVERIFY2(!loaded[i].contains(u'\r') && !loaded[i].contains(QChar(26)),
                 qPrintable(QString("line %1 holds a line end or Ctrl-Z").arg(i + 1)));
    }

    // Saving what was loaded keeps every byte of the eleven lines, and loads back the same.
    writeScoreFile(m_boxes);
    const QByteArray written = readFile("sys.dll");
    QVERIFY2(written == fileOf(lines), qPrintable(QString("written %1 bytes, expected %2")
                                                      .arg(written.size())
                                                      .arg(fileOf(lines).size())));
    QCOMPARE(filesHere(), QStringList{"sys.dll"});
    setBoxTexts(m_boxes, QStringList(11, QStringLiteral("old")));
    readScoreFile(m_boxes);
    QCOMPARE(boxTexts(m_boxes), loaded);
}

void tst_ScoreFile::codePageBothWays()
{
    // Polish letters are one byte each in the file, and the five bytes the code page leaves
    // undefined come back unchanged.
    QByteArray bytes = startingScoreFile();
    bytes.replace("Ruzize", "\xa3\xf3\x64\x9f \xb9\xe6\xea\xb3\xf1\xf3\x9c\x9f\xbf");
    bytes.replace("Vudero", "\x81\x83\x88\x90\x98\x80");
    writeFile("sys.dll", bytes);
    readScoreFile(m_boxes);
    QCOMPARE(edit(3)->text(), QString::fromUtf8("Łódź ąćęłńóśźż"));
    QCOMPARE(edit(4)->text().right(1), QString::fromUtf8("€"));
    QFile::remove("sys.dll");
    writeScoreFile(m_boxes);
    QCOMPARE(readFile("sys.dll"), bytes);

    // A character the code page cannot hold is never written as a substitute byte.
    edit(3)->setText(QString::fromUtf8("AЖB"));
    writeScoreFile(m_boxes);
    const QByteArray written = readFile("sys.dll");
    QVERIFY2(!written.contains('\x1a') && !written.contains('?'), written.constData());
    QVERIFY(written.contains("\r\nAB\r\n"));
}

void tst_ScoreFile::badAmountsLoadAndFailOnConversion_data()
{
    QTest::addColumn<QByteArray>("amount");
    // The loaded amount's value, or the message converting it gives.
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("message");

    // The message names the text as the box holds it: the bytes as they are, where plain ASCII.
    auto bad = [](const char *name, const QByteArray &amount, QString shown = QString()) {
        if (shown.isNull())
            shown = QString::fromLatin1(amount);
        QTest::newRow(name) << amount << 0 << "'" + shown + "' is not a valid integer value";
    };
    bad("above the range", "2147483648");
    bad("below the range", "-2147483649");
    bad("far above the range", "99999999999999999999999999");
    bad("nine hex digits", "$100000000");
    bad("trailing space", "12 ");
    bad("letters", "abc");
    bad("empty", "");
    bad("spaces only", "    ");
    bad("sign only", "-");
    bad("dollar only", "$");
    bad("C hex", "0x10");
    bad("exponent", "1e3");
    bad("decimal comma", "2,5");
    bad("tab", "\t7");
    bad("percent signs", "%1%2");
    bad("LF in the digits", "2\n5");
    bad("NUL in the digits", QByteArray("2#5").replace('#', '\0'));
    bad("2000 digits", QByteArray(2000, '9'));
    bad("non-breaking space", QByteArray("\xa0") + "7", QString::fromUtf8("\u00a07"));
    bad("undefined code page byte", "\x98", QString::fromUtf8("\u0098"));
    bad("Polish letters", "\xb9\xea", QString::fromUtf8("ąę"));
    bad("byte order mark", QByteArray("\xef\xbb\xbf") + "250", QString::fromUtf8("ď»ż250"));

    auto good = [](const char *name, const QByteArray &amount, int value) {
        QTest::newRow(name) << amount << value << QString();
    };
    good("leading space", " 7", 7);
    good("largest", "2147483647", 2147483647);
    good("smallest", "-2147483648", -2147483647 - 1);
    good("eight hex digits", "$FFFFFFFF", -1);
    good("leading zeros", QByteArray(500, '0') + "42", 42);
}

void tst_ScoreFile::badAmountsLoadAndFailOnConversion()
{
    // A bad amount is loaded unchanged and only fails when the ranking converts it.
    QFETCH(QByteArray, amount);
    QFETCH(int, value);
    QFETCH(QString, message);
    QList<QByteArray> lines = rawLines(startingScoreFile());
    for (int line : AmountLines)
        lines[line] = amount;
    writeFile("sys.dll", fileOf(lines));
    readScoreFile(m_boxes);

    const auto boxes = m_boxes;
    for (int line : AmountLines) {
        const QString text = boxes[line]->text();
        QCOMPARE(text.size(), amount.size());
        QString error;
        int converted = 0;
        try {
            converted = toolkit::strToInt(text);
        } catch (const EConvertError &e) {
            error = e.message();
        }
        QVERIFY2(error == message, qPrintable(QString("line %1: \"%2\" instead of \"%3\"")
                                                  .arg(line + 1)
                                                  .arg(error.left(80), message.left(80))));
        if (message.isEmpty())
            QCOMPARE(converted, value);
    }
    // The names between the amounts are untouched.
    QCOMPARE(edit(3)->text(), QString("Ruzize"));
    QCOMPARE(edit(11)->text(), QString("Darerazaz"));
}

void tst_ScoreFile::readErrors_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing") << "missing" << 2 << "File not found";
    QTest::newRow("directory") << "directory" << 5 << "File access denied";
    QTest::newRow("FIFO") << "fifo" << 5 << "File access denied";
    QTest::newRow("dangling link") << "dangling" << 2 << "File not found";
    QTest::newRow("no read permission") << "unreadable" << 5 << "File access denied";
    QTest::newRow("device") << "device" << 5 << "File access denied";
    QTest::newRow("larger than 16 MiB") << "oversized" << 27 << "I/O error 27";
}

void tst_ScoreFile::readErrors()
{
    QFETCH(QString, kind);
    QFETCH(int, code);
    QFETCH(QString, message);
    if (kind == "directory") {
        QDir().mkdir("sys.dll");
    } else if (kind == "fifo") {
        QCOMPARE(::mkfifo("sys.dll", 0644), 0);
    } else if (kind == "dangling") {
        QCOMPARE(::symlink("nowhere", "sys.dll"), 0);
    } else if (kind == "unreadable") {
        if (::geteuid() == 0)
            QSKIP("root reads any file");
        writeFile("sys.dll", startingScoreFile());
        QFile::setPermissions("sys.dll", QFile::WriteOwner);
    } else if (kind == "device") {
        QCOMPARE(::symlink("/dev/zero", "sys.dll"), 0);
    } else if (kind == "oversized") {
        // Refused before a byte is read, so the file can be all holes.
        writeFile("sys.dll", startingScoreFile());
        QVERIFY(QFile::resize("sys.dll", (16 << 20) + 1));
    }
    setBoxTexts(m_boxes, DesignTexts);
    const auto error = errorOf([this] { readScoreFile(m_boxes); });
    QCOMPARE(error.first, code);
    QCOMPARE(error.second, message);
    // A failed read changes no box.
    QCOMPARE(boxTexts(m_boxes), DesignTexts);
}

void tst_ScoreFile::specialFilesAreRefused_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("readCode");
    QTest::addColumn<QString>("readMessage");
    QTest::addColumn<int>("writeCode");
    QTest::addColumn<QString>("writeMessage");

    const QString denied = "File access denied";
    const QString loop = QString("I/O error %1").arg(ELOOP);
    QTest::newRow("/dev/urandom through a link") << "urandom" << 5 << denied << 5 << denied;
    QTest::newRow("/dev/null through a link") << "null" << 5 << denied << 5 << denied;
    QTest::newRow("link to a folder") << "folderlink" << 5 << denied << 5 << denied;
    QTest::newRow("FIFO with a writer") << "fifowriter" << 5 << denied << 5 << denied;
    QTest::newRow("link to a FIFO") << "fifolink" << 5 << denied << 5 << denied;
    QTest::newRow("socket") << "socket" << 5 << denied << 5 << denied;
    QTest::newRow("link to an unreadable file") << "unreadable" << 5 << denied << 0 << QString();
    QTest::newRow("link to itself") << "selfloop" << ELOOP << loop << ELOOP << loop;
    QTest::newRow("two links in a loop") << "loop" << ELOOP << loop << ELOOP << loop;
    QTest::newRow("chain of 50 links") << "chain" << ELOOP << loop << ELOOP << loop;
}

void tst_ScoreFile::specialFilesAreRefused()
{
    // Anything but a regular file is refused at once, on loading and on saving, and left as it is.
    QFETCH(QString, kind);
    QFETCH(int, readCode);
    QFETCH(QString, readMessage);
    QFETCH(int, writeCode);
    QFETCH(QString, writeMessage);

    int fifoWriter = -1;
    int socketFd = -1;
    if (kind == "urandom") {
        QCOMPARE(::symlink("/dev/urandom", "sys.dll"), 0);
    } else if (kind == "null") {
        QCOMPARE(::symlink("/dev/null", "sys.dll"), 0);
    } else if (kind == "folderlink") {
        QVERIFY(QDir().mkdir("folder"));
        QCOMPARE(::symlink("folder", "sys.dll"), 0);
    } else if (kind == "fifowriter" || kind == "fifolink") {
        const char *fifo = kind == "fifowriter" ? "sys.dll" : "pipe";
        QCOMPARE(::mkfifo(fifo, 0644), 0);
        if (kind == "fifolink")
            QCOMPARE(::symlink("pipe", "sys.dll"), 0);
        // Held open for reading and writing, so the pipe has a writer and data waiting.
        fifoWriter = ::open(fifo, O_RDWR | O_NONBLOCK);
        QVERIFY(fifoWriter >= 0);
        const QByteArray starting = startingScoreFile();
        QCOMPARE(::write(fifoWriter, starting.constData(), size_t(starting.size())),
                 ssize_t(starting.size()));
    } else if (kind == "socket") {
        socketFd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QVERIFY(socketFd >= 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        qstrcpy(address.sun_path, "sys.dll");
        QCOMPARE(::bind(socketFd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
        QCOMPARE(::listen(socketFd, 1), 0);
    } else if (kind == "unreadable") {
        if (::geteuid() == 0)
            QSKIP("root reads any file");
        writeFile("scores", startingScoreFile());
        QFile::setPermissions("scores", QFile::WriteOwner);
        QCOMPARE(::symlink("scores", "sys.dll"), 0);
    } else if (kind == "selfloop") {
        QCOMPARE(::symlink("sys.dll", "sys.dll"), 0);
    } else if (kind == "loop") {
        QCOMPARE(::symlink("other", "sys.dll"), 0);
        QCOMPARE(::symlink("sys.dll", "other"), 0);
    } else if (kind == "chain") {
        QCOMPARE(::symlink("link1", "sys.dll"), 0);
        for (int i = 1; i < 50; ++i)
            QCOMPARE(::symlink(qPrintable(QString("link%1").arg(i + 1)),
                               qPrintable(QString("link%1").arg(i))),
                     0);
        writeFile("link50", startingScoreFile());
    }
    const QStringList before = filesHere();

    const QStringList designTexts = boxTexts(m_boxes);
    {
        HangGuard guard;
        const auto error = errorOf([this] { readScoreFile(m_boxes); });
        QCOMPARE(error.first, readCode);
        QCOMPARE(error.second, readMessage);
    }
    // A refused file changes no box.
    QCOMPARE(boxTexts(m_boxes), designTexts);

    {
        HangGuard guard;
        const auto error = errorOf([this] { writeScoreFile(m_boxes); });
        QCOMPARE(error.first, writeCode);
        QCOMPARE(error.second, writeMessage);
    }
    // Nothing is created or replaced beside it.
    QCOMPARE(filesHere(), before);
    QVERIFY(QFileInfo("sys.dll").isSymLink() || kind == "fifowriter" || kind == "socket");

    if (fifoWriter >= 0)
        ::close(fifoWriter);
    if (socketFd >= 0)
        ::close(socketFd);
}

void tst_ScoreFile::failedWriteKeepsOldFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    QTest::newRow("read-only file") << "readonly" << 5 << "File access denied";
    QTest::newRow("directory") << "directory" << 5 << "File access denied";
    QTest::newRow("FIFO") << "fifo" << 5 << "File access denied";
    QTest::newRow("folder not writable") << "folder" << 5 << "File access denied";
    // Rewritten in place, as the folder takes no new file, under a file size limit (ulimit -f)
    // of no byte, and of 40 bytes, which lets a part of the new table in over the old one.
    QTest::newRow("in place, no byte allowed") << "limit0" << 27 << "I/O error 27";
    QTest::newRow("in place, 40 bytes allowed") << "limit40" << 27 << "I/O error 27";
}

void tst_ScoreFile::failedWriteKeepsOldFile()
{
    QFETCH(QString, kind);
    QFETCH(int, code);
    QFETCH(QString, message);
    const QByteArray old = startingScoreFile();
    QString target = "sys.dll";
    if (kind == "readonly") {
        writeFile("sys.dll", old);
        QFile::setPermissions("sys.dll", QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    } else if (kind == "directory") {
        QDir().mkdir("sys.dll");
    } else if (kind == "fifo") {
        QCOMPARE(::mkfifo("sys.dll", 0644), 0);
    } else if (kind == "folder") {
        if (::geteuid() == 0)
            QSKIP("root writes into any folder");
        QDir().mkdir("locked");
        writeFile("locked/sys.dll", old);
        QFile::setPermissions("locked", QFile::ReadOwner | QFile::ExeOwner);
        QDir::setCurrent("locked");
    } else if (kind.startsWith("limit")) {
        // Root writes into any folder: the save is made as another user, who may write sys.dll
        // but not its folder.
        QDir().mkdir("locked");
        writeFile("locked/sys.dll", old);
        QCOMPARE(::chmod("locked/sys.dll", 0666), 0);
        QCOMPARE(::chmod("locked", 0555), 0);
        QCOMPARE(::chmod(".", 0755), 0);
        QDir::setCurrent("locked");
    }
    setBoxTexts(m_boxes, QStringList(11, QStringLiteral("new")));
    QPair<int, QString> error;
    if (kind.startsWith("limit")) {
        // A failure part-way through the fallback keeps the whole old table, never a part of it.
        const pid_t child = ::fork();
        if (child == 0) {
            const rlimit limit{rlim_t(kind.mid(5).toInt()), RLIM_INFINITY};
            ::signal(SIGXFSZ, SIG_IGN);
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0 ||
                (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)))
                ::_exit(1);
            ::_exit(errorOf([this] { writeScoreFile(m_boxes); }).first);
        }
        int status = -1;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        error = {WEXITSTATUS(status), EInOutError::fromCode(WEXITSTATUS(status)).message()};
    } else {
        error = errorOf([this] { writeScoreFile(m_boxes); });
    }
    QCOMPARE(error.first, code);
    QCOMPARE(error.second, message);
    if (kind == "readonly" || kind.startsWith("limit"))
        QCOMPARE(readFile("sys.dll"), old);
    // No temporary file is left behind.
    QCOMPARE(filesHere(), QStringList{"sys.dll"});
    if (kind == "folder" || kind.startsWith("limit")) {
        QDir::setCurrent("..");
        QFile::setPermissions("locked", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
}

void tst_ScoreFile::writeKeepsPermissionsAndLinks()
{
    // A score file shared through a link is updated where it lies, and keeps its mode.
    QDir().mkdir("shared");
    writeFile("shared/scores", startingScoreFile());
    QFile::setPermissions("shared/scores", QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    QCOMPARE(::symlink("shared/scores", "sys.dll"), 0);
    readScoreFile(m_boxes);
    edit(3)->setText("Ola");
    writeScoreFile(m_boxes);
    QVERIFY(QFileInfo("sys.dll").isSymLink());
    QVERIFY(readFile("shared/scores").contains("\r\nOla\r\n"));
    struct stat st {};
    QCOMPARE(::stat("shared/scores", &st), 0);
    QCOMPARE(int(st.st_mode & 0777), 0640);
    QCOMPARE(QDir("shared").entryList(QDir::Files | QDir::Hidden), QStringList{"scores"});
}

void tst_ScoreFile::writeRemovesLeftovers_data()
{
    QTest::addColumn<QString>("name");
    // Minutes since the file was last written.
    QTest::addColumn<int>("age");
    // What another game does meanwhile: nothing, hold the file's lock as while writing it, or
    // save over and over at the same time.
    QTest::addColumn<QString>("other");
    QTest::addColumn<bool>("removed");
    const QString ours = ".sys.dll.zakrytka-save-";
    QTest::newRow("left by a killed game") << ours + "a1B2c3" << 61 << "" << true;
    QTest::newRow("left a minute ago") << ours + "a1B2c3" << 1 << "" << false;
    QTest::newRow("being written by another game") << ours + "Zx9Qw0" << 61 << "locked" << false;
    QTest::newRow("two games saving at once") << ours + "a1B2c3" << 61 << "saving" << true;
    QTest::newRow("five letters") << ours + "a1B2c" << 61 << "" << false;
    QTest::newRow("seven letters") << ours + "a1B2c3d" << 61 << "" << false;
    QTest::newRow("not hidden") << ours.mid(1) + "a1B2c3" << 61 << "" << false;
    QTest::newRow("not a letter or digit") << ours + "a1B-c3" << 61 << "" << false;
    QTest::newRow("another file's") << ".sys.dl.zakrytka-save-a1B2c3" << 61 << "" << false;
    QTest::newRow("a player's backup") << ".sys.dll.backup" << 61 << "" << false;
    QTest::newRow("a copying tool's") << ".sys.dll.Xy12Zq" << 61 << "" << false;
    // Through sys.dll -> docs/notes.txt, the save is made beside notes.txt.
    QTest::newRow("linked, left by a killed game")
        << "docs/.notes.txt.zakrytka-save-a1B2c3" << 61 << "" << true;
    QTest::newRow("linked, an editor's") << "docs/.notes.txt.swp123" << 61 << "" << false;
}

void tst_ScoreFile::writeRemovesLeftovers()
{
    // A save removes the temporary files that killed saves left behind, and nothing else: not
    // another program's file of a similar name, nor the file of a save still being written.
    QFETCH(QString, name);
    QFETCH(int, age);
    QFETCH(QString, other);
    QFETCH(bool, removed);
    QString scores = "sys.dll";
    if (name.startsWith("docs/")) {
        QDir().mkdir("docs");
        scores = "docs/notes.txt";
        QCOMPARE(::symlink("docs/notes.txt", "sys.dll"), 0);
    }
    writeFile(scores, startingScoreFile());
    writeFile(name, "2000\r\n");
    const QByteArray path = QFile::encodeName(name);
    const timeval written[2] = {{::time(nullptr) - age * 60, 0}, {::time(nullptr) - age * 60, 0}};
    QCOMPARE(::utimes(path.constData(), written), 0);
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    QVERIFY(fd >= 0);
    if (other == "locked")
        QCOMPARE(::flock(fd, LOCK_EX), 0);
    setBoxTexts(m_boxes, DesignTexts);
    if (other == "saving") {
        // Each game's clean-up must leave the other's save alone: every save succeeds.
        const auto saveOften = [this] {
            for (int n = 0; n < 2000; ++n)
                if (errorOf([this] { writeScoreFile(m_boxes); }).first != 0 ||
                    readFile("sys.dll") != startingScoreFile())
                    return false;
            return true;
        };
        const pid_t child = ::fork();
        if (child == 0)
            ::_exit(saveOften() ? 0 : 1);
        QVERIFY2(saveOften(), "a save failed");
        int status = -1;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY2(WIFEXITED(status) && WEXITSTATUS(status) == 0, "the other game's save failed");
    }
    writeScoreFile(m_boxes);
    ::close(fd);
    QCOMPARE(readFile(scores), startingScoreFile());
    QCOMPARE(QFileInfo::exists(name), !removed);
    QStringList expected{"sys.dll"};
    if (scores != "sys.dll")
        expected << "docs";
    else if (!removed)
        expected << name;
    expected.sort();
    QCOMPARE(filesHere(), expected);
}

void tst_ScoreFile::systemErrorsMapToMessages_data()
{
    QTest::addColumn<int>("err");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    QTest::newRow("ENOENT") << ENOENT << 2 << "File not found";
    QTest::newRow("ENAMETOOLONG") << ENAMETOOLONG << 3 << "Invalid filename";
    QTest::newRow("EMFILE") << EMFILE << 4 << "Too many open files";
    QTest::newRow("ENFILE") << ENFILE << 4 << "Too many open files";
    QTest::newRow("EACCES") << EACCES << 5 << "File access denied";
    QTest::newRow("EPERM") << EPERM << 5 << "File access denied";
    QTest::newRow("EISDIR") << EISDIR << 5 << "File access denied";
    QTest::newRow("EROFS") << EROFS << 5 << "File access denied";
    QTest::newRow("ENOSPC") << ENOSPC << 101 << "Disk full";
    QTest::newRow("EDQUOT") << EDQUOT << 101 << "Disk full";
    QTest::newRow("EFBIG") << EFBIG << 27 << "I/O error 27";
    // Other numbers keep their own, even where they equal one of the named codes.
    QTest::newRow("EIO") << EIO << EIO << QString("I/O error %1").arg(EIO);
    QTest::newRow("ESRCH") << ESRCH << ESRCH << QString("I/O error %1").arg(ESRCH);
    QTest::newRow("EINTR") << EINTR << EINTR << QString("I/O error %1").arg(EINTR);
    QTest::newRow("EXDEV") << EXDEV << EXDEV << QString("I/O error %1").arg(EXDEV);
}

void tst_ScoreFile::systemErrorsMapToMessages()
{
    QFETCH(int, err);
    QFETCH(int, code);
    QFETCH(QString, message);
    const EInOutError error = EInOutError::fromErrno(err);
    QCOMPARE(error.code(), code);
    QCOMPARE(error.message(), message);
}

QTEST_MAIN(tst_ScoreFile)
#include "tst_scorefile.moc"
