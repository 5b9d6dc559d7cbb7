#include "fame/ScoreFile.h"
#include "fame/Unit7.h"
#include "support/TestSupport.h"
#include "toolkit/Exception.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace testsupport;
using toolkit::EInOutError;

namespace {

const QStringList DesignTexts = {"250",    "200", "Ruzize", "Vudero", "",         "150",
                                 "Rurova", "100", "Doda",   "50",     "Darerazaz"};

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
    void linesPastTheEleventhAreDroppedOnWrite();
    void codePageBothWays();
    void readErrors_data();
    void readErrors();
    void failedWriteKeepsOldFile_data();
    void failedWriteKeepsOldFile();
    void writeKeepsPermissionsAndLinks();
    void writeRemovesLeftovers_data();
    void writeRemovesLeftovers();
    void systemErrorsMapToMessages_data();
    void systemErrorsMapToMessages();

private:
    TemporaryCurrentDir *m_dir = nullptr;
    TForm7 *m_form = nullptr;
};

void tst_ScoreFile::initTestCase()
{
    setUpApplication();
}

void tst_ScoreFile::init()
{
    m_dir = new TemporaryCurrentDir;
    m_form = new TForm7;
}

void tst_ScoreFile::cleanup()
{
    delete m_form;
    m_form = nullptr;
    delete m_dir;
    m_dir = nullptr;
}

void tst_ScoreFile::roundTripKeepsEveryByte()
{
    const QByteArray starting = startingScoreFile();
    writeFile("sys.dll", starting);
    readScoreFile(*m_form);
    QCOMPARE(boxTexts(*m_form), DesignTexts);

    QFile::remove("sys.dll");
    writeScoreFile(*m_form);
    QCOMPARE(readFile("sys.dll"), starting);
    // Writing again without a change gives the same bytes, and leaves no other file behind.
    writeScoreFile(*m_form);
    QCOMPARE(readFile("sys.dll"), starting);
    QCOMPARE(filesHere(), QStringList{"sys.dll"});
}

void tst_ScoreFile::readingRules_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("texts");

    QStringList empty(11);
    const QByteArray crlf = startingScoreFile();
    QTest::newRow("CR LF") << crlf << DesignTexts;
    QTest::newRow("no line end after the eleventh") << crlf.chopped(2) << DesignTexts;
    QByteArray crOnly = crlf;
    crOnly.replace("\r\n", "\r");
    QTest::newRow("CR only") << crOnly << DesignTexts;
    QTest::newRow("empty file") << QByteArray() << empty;

    QStringList three = empty;
    three[0] = "1";
    three[1] = "2";
    three[2] = "Ala";
    QTest::newRow("three lines") << QByteArray("1\r\n2\r\nAla\r\n") << three;

    QByteArray lfOnly = crlf;
    lfOnly.replace("\r\n", "\n");
    QStringList lfTexts = empty;
    lfTexts[0] = QString::fromLatin1(lfOnly);
    QTest::newRow("LF only is text") << lfOnly << lfTexts;

    QStringList longLine = DesignTexts;
    longLine[2] = QString(300, u'x');
    QTest::newRow("300 characters") << QByteArray("250\r\n200\r\n" + QByteArray(300, 'x') +
                                                  "\r\nVudero\r\n\r\n150\r\nRurova\r\n"
                                                  "100\r\nDoda\r\n50\r\nDarerazaz\r\n")
                                    << longLine;

    QStringList veryLong = empty;
    veryLong[0] = QString(200000, u'7');
    QTest::newRow("line longer than a read") << QByteArray(200000, '7') << veryLong;

    QTest::newRow("more than eleven lines") << crlf + "extra\r\nmore\r\n" << DesignTexts;

    QStringList ctrlZ = DesignTexts;
    ctrlZ[3] = "Vu";
    for (int i = 4; i < 11; ++i)
        ctrlZ[i].clear();
    QByteArray withCtrlZ = crlf;
    withCtrlZ.replace("Vudero", "Vu\x1a"
                                "dero");
    QTest::newRow("Ctrl-Z in line 4") << withCtrlZ << ctrlZ;

    QStringList mixed = empty;
    mixed[0] = "a";
    mixed[1] = "b";
    mixed[2] = "";
    mixed[3] = "c\nd";
    QTest::newRow("mixed line ends") << QByteArray("a\rb\r\n\r\nc\nd") << mixed;
}

void tst_ScoreFile::readingRules()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, texts);
    writeFile("sys.dll", bytes);
    setBoxTexts(*m_form, QStringList(11, QStringLiteral("old")));
    readScoreFile(*m_form);
    QCOMPARE(boxTexts(*m_form), texts);
}

void tst_ScoreFile::linesPastTheEleventhAreDroppedOnWrite()
{
    writeFile("sys.dll", startingScoreFile() + "twelfth\r\n");
    readScoreFile(*m_form);
    writeScoreFile(*m_form);
    QCOMPARE(readFile("sys.dll"), startingScoreFile());
}

void tst_ScoreFile::codePageBothWays()
{
    // Polish letters are one byte each in the file, and the five bytes the code page leaves
    // undefined come back unchanged.
    QByteArray bytes = startingScoreFile();
    bytes.replace("Ruzize", "\xa3\xf3\x64\x9f \xb9\xe6\xea\xb3\xf1\xf3\x9c\x9f\xbf");
    bytes.replace("Vudero", "\x81\x83\x88\x90\x98\x80");
    writeFile("sys.dll", bytes);
    readScoreFile(*m_form);
    QCOMPARE(m_form->Edit3->text(), QString::fromUtf8("Łódź ąćęłńóśźż"));
    QCOMPARE(m_form->Edit4->text().right(1), QString::fromUtf8("€"));
    QFile::remove("sys.dll");
    writeScoreFile(*m_form);
    QCOMPARE(readFile("sys.dll"), bytes);

    // A character the code page cannot hold is never written as a substitute byte.
    m_form->Edit3->setText(QString::fromUtf8("AЖB"));
    writeScoreFile(*m_form);
    const QByteArray written = readFile("sys.dll");
    QVERIFY2(!written.contains('\x1a') && !written.contains('?'), written.constData());
    QVERIFY(written.contains("\r\nAB\r\n"));
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
    setBoxTexts(*m_form, DesignTexts);
    const auto error = errorOf([this] { readScoreFile(*m_form); });
    QCOMPARE(error.first, code);
    QCOMPARE(error.second, message);
    // A failed read changes no box.
    QCOMPARE(boxTexts(*m_form), DesignTexts);
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
    setBoxTexts(*m_form, QStringList(11, QStringLiteral("new")));
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
            ::_exit(errorOf([this] { writeScoreFile(*m_form); }).first);
        }
        int status = -1;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        error = {WEXITSTATUS(status), EInOutError::fromCode(WEXITSTATUS(status)).message()};
    } else {
        error = errorOf([this] { writeScoreFile(*m_form); });
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
    readScoreFile(*m_form);
    m_form->Edit3->setText("Ola");
    writeScoreFile(*m_form);
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
    setBoxTexts(*m_form, DesignTexts);
    if (other == "saving") {
        // Each game's clean-up must leave the other's save alone: every save succeeds.
        const auto saveOften = [this] {
            for (int n = 0; n < 2000; ++n) {
                if (errorOf([this] { writeScoreFile(*m_form); }).first != 0 ||
                    readFile("sys.dll") != startingScoreFile())
                    return false;
            }
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
    writeScoreFile(*m_form);
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
