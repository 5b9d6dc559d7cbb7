#include "fame/ScoreFile.h"
#include "fame/Unit7.h"
#include "support/TestSupport.h"
#include "toolkit/Convert.h"
#include "toolkit/Exception.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace testsupport;
using toolkit::EConvertError;
using toolkit::EInOutError;

namespace {

// The boxes of the file's lines that hold amounts (the five places and the last result).
constexpr int AmountLines[] = {0, 1, 4, 5, 7, 9};

QStringList boxTexts(const TForm7 &form)
{
    QStringList texts;
    for (const toolkit::EditBox *box : form.fileBoxes())
        texts << box->text();
    return texts;
}

void setBoxTexts(TForm7 &form, const QStringList &texts)
{
    const auto boxes = form.fileBoxes();
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

// The error a step raises, or code 0 when it raises none.
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

class tst_BadFiles : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void damagedContentsLoadAndSaveBack_data();
    void damagedContentsLoadAndSaveBack();
    void badAmountsLoadAndFailOnConversion_data();
    void badAmountsLoadAndFailOnConversion();
    void specialFilesAreRefused_data();
    void specialFilesAreRefused();

private:
    TemporaryCurrentDir *m_dir = nullptr;
    TForm7 *m_form = nullptr;
};

void tst_BadFiles::initTestCase()
{
    setUpApplication();
}

void tst_BadFiles::init()
{
    m_dir = new TemporaryCurrentDir;
    m_form = new TForm7;
}

void tst_BadFiles::cleanup()
{
    delete m_form;
    m_form = nullptr;
    delete m_dir;
    m_dir = nullptr;
}

void tst_BadFiles::damagedContentsLoadAndSaveBack_data()
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

void tst_BadFiles::damagedContentsLoadAndSaveBack()
{
    // Whatever bytes the file holds, it loads by the line rules and saves back byte for byte.
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, texts);
    const QList<QByteArray> lines = rawLines(bytes);
    writeFile("sys.dll", bytes);
    setBoxTexts(*m_form, QStringList(11, QStringLiteral("old")));

    readScoreFile(*m_form);
    const QStringList loaded = boxTexts(*m_form);
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
    writeScoreFile(*m_form);
    const QByteArray written = readFile("sys.dll");
    QVERIFY2(written == fileOf(lines), qPrintable(QString("written %1 bytes, expected %2")
                                                      .arg(written.size())
                                                      .arg(fileOf(lines).size())));
    QCOMPARE(filesHere(), QStringList{"sys.dll"});
    setBoxTexts(*m_form, QStringList(11, QStringLiteral("old")));
    readScoreFile(*m_form);
    QCOMPARE(boxTexts(*m_form), loaded);
}

void tst_BadFiles::badAmountsLoadAndFailOnConversion_data()
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

void tst_BadFiles::badAmountsLoadAndFailOnConversion()
{
    // A bad amount is loaded unchanged and only fails when the ranking converts it.
    QFETCH(QByteArray, amount);
    QFETCH(int, value);
    QFETCH(QString, message);
    QList<QByteArray> lines = rawLines(startingScoreFile());
    for (int line : AmountLines)
        lines[line] = amount;
    writeFile("sys.dll", fileOf(lines));
    readScoreFile(*m_form);

    const auto boxes = m_form->fileBoxes();
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
    QCOMPARE(m_form->Edit3->text(), QString("Ruzize"));
    QCOMPARE(m_form->Edit11->text(), QString("Darerazaz"));
}

void tst_BadFiles::specialFilesAreRefused_data()
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

void tst_BadFiles::specialFilesAreRefused()
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

    const QStringList designTexts = boxTexts(*m_form);
    {
        HangGuard guard;
        const auto error = errorOf([this] { readScoreFile(*m_form); });
        QCOMPARE(error.first, readCode);
        QCOMPARE(error.second, readMessage);
    }
    // A refused file changes no box.
    QCOMPARE(boxTexts(*m_form), designTexts);

    {
        HangGuard guard;
        const auto error = errorOf([this] { writeScoreFile(*m_form); });
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

QTEST_MAIN(tst_BadFiles)
#include "tst_badfiles.moc"
