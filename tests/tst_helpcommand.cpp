#include "game/Unit1.h"
#include "platform/HelpEngine.h"
#include "support/TestSupport.h"
#include "toolkit/Application.h"

#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryFile>
#include <QTest>

#include <csignal>
#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace testsupport;
using platform::HelpViewer;
using toolkit::Application;

namespace {

HelpViewer &viewer()
{
    return HelpViewer::instance();
}

// One field of /proc/<pid>/stat, counted from 1 as in proc(5); empty if the process is gone.
QByteArray statField(qint64 pid, int field)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return QByteArray();
    const QByteArray line = stat.readAll();
    // The fields after the command name, which may hold spaces, start with the state (field 3).
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    return field - 3 < fields.size() ? fields.at(field - 3) : QByteArray();
}

bool isRunning(qint64 pid)
{
    const QByteArray state = statField(pid, 3);
    return !state.isEmpty() && state != "Z" && state != "X";
}

// Standard error of this program, caught in a file while it lives.
class StandardErrorCatcher {
public:
    StandardErrorCatcher()
    {
        m_file.open();
        std::fflush(stderr);
        m_saved = ::dup(STDERR_FILENO);
        ::dup2(m_file.handle(), STDERR_FILENO);
    }
    ~StandardErrorCatcher() { release(); }
    QByteArray release()
    {
        if (m_saved >= 0) {
            std::fflush(stderr);
            ::dup2(m_saved, STDERR_FILENO);
            ::close(m_saved);
            m_saved = -1;
        }
        m_file.seek(0);
        return m_file.readAll();
    }

private:
    QTemporaryFile m_file;
    int m_saved = -1;
};

// A help file of 100 KB of style sheet before 20 000 topics: 4 GB if every page carried it.
QByteArray amplified()
{
    QByteArray file = "<style>" + QByteArray("h1 { color: #102030; }\n").repeated(4400);
    file += "</style><h1 id=a>Pierwszy</h1>";
    for (int topic = 1; topic < 20000; ++topic)
        file += "<h1 id=" + QByteArray::number(topic) + ">";
    return file;
}

} // namespace

class tst_HelpCommand : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { setUpApplication(); }
    void init();
    void cleanup();

    void textOpensTheContents_data();
    void textOpensTheContents();
    void missingHelpFileIsReportedInTheHelpWindow();
    void f1InTheOpenMenu();
    void hostileHelpFile_data();
    void hostileHelpFile();

private:
    TemporaryCurrentDir *m_dir = nullptr;
};

void tst_HelpCommand::init()
{
    m_dir = new TemporaryCurrentDir;
    copyDataFile("sys.dll");
    copyDataFile("ZAKRYTKA.HLP");
    startGame();
}

void tst_HelpCommand::cleanup()
{
    // Every viewer a test starts is ended: the game itself leaves its help window open.
    viewer().end();
    stopGame();
    delete m_dir;
    m_dir = nullptr;
}

void tst_HelpCommand::textOpensTheContents_data()
{
    QTest::addColumn<bool>("byKey");
    QTest::newRow("menu item") << false;
    QTest::newRow("F1") << true;
}

void tst_HelpCommand::textOpensTheContents()
{
    QFETCH(bool, byKey);
    QSignalSpy answers(&viewer(), &HelpViewer::answered);
    // A descriptor the game inherited, as from "zakrytka 7>&1 | cat": the help window, which
    // outlives the game, must not hold it open.
    int inherited[2];
    QCOMPARE(::pipe(inherited), 0);
    QVERIFY(Application::instance().helpFile().isEmpty());
    QCOMPARE(viewer().processId(), 0);
    Form1->activateWindow();
    QTRY_VERIFY(Form1->isActiveWindow());
    if (byKey)
        QTest::keyClick(Form1, Qt::Key_F1);
    else
        Form1->Text1->trigger();
    QCOMPARE(Application::instance().helpFile(), QStringLiteral("ZAKRYTKA.HLP"));
    const qint64 pid = viewer().processId();
    QVERIFY2(pid > 0, "no help viewer");
    QTRY_COMPARE_WITH_TIMEOUT(answers.count(), 1, 20000);
    QCOMPARE(answers.at(0).at(0).toBool(), true);
    QCOMPARE(answers.at(0).at(1).toString(), QStringLiteral("Spis treści"));
    // The help window outlives the game: its viewer is no child of the game and in a session
    // of its own, which a closing terminal does not reach.
    QVERIFY(statField(pid, 4).toLongLong() != ::getpid());
    QVERIFY(statField(pid, 6).toLongLong() != ::getsid(0));
    ::close(inherited[1]);
    pollfd end = {inherited[0], POLLIN, 0};
    QCOMPARE(::poll(&end, 1, 0), 1);
    QVERIFY2(end.revents & POLLHUP, "the help viewer holds a descriptor of the game's open");
    QVERIFY(isRunning(pid));
    ::close(inherited[0]);

    // Asked again, the same viewer shows the contents again; the game goes on.
    Form1->Text1->trigger();
    QCOMPARE(viewer().processId(), pid);
    QTRY_COMPARE_WITH_TIMEOUT(answers.count(), 2, 20000);
    QCOMPARE(answers.at(1), answers.at(0));
    QVERIFY(Form1->isEnabled());
    QVERIFY(Form1->isVisible());

    // A viewer that carried out every call queued behind a busy one, one by one, would answer
    // them with alternating pages, late: the newest alone is carried out and answers them all.
    ::kill(pid_t(pid), SIGSTOP);
    for (int call = 0; call < 20; ++call)
        Application::instance().helpCommand(
            call % 2 ? platform::HELP_CONTEXT : platform::HELP_CONTENTS, quint32(call % 2));
    ::kill(pid_t(pid), SIGCONT);
    QTRY_COMPARE_WITH_TIMEOUT(answers.count(), 22, 20000);
    for (int call = 2; call < 22; ++call)
        QCOMPARE(answers.at(call), answers.last());
    QCOMPARE(answers.last().at(1).toString(), QStringLiteral("Jak korzystać z pomocy"));
    QCOMPARE(viewer().processId(), pid);
}

void tst_HelpCommand::missingHelpFileIsReportedInTheHelpWindow()
{
    QFile::remove("ZAKRYTKA.HLP");
    QSignalSpy answers(&viewer(), &HelpViewer::answered);
    ErrorBoxWatcher watcher;
    Form1->Text1->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(answers.count(), 1, 20000);
    QCOMPARE(answers.at(0).at(0).toBool(), false);
    const QString page = answers.at(0).at(1).toString();
    QVERIFY2(page.contains("„ZAKRYTKA.HLP”: nie ma go w folderze " + m_dir->path()),
             qPrintable(page));
    QVERIFY(watcher.boxes.isEmpty());
    QVERIFY(Form1->isEnabled());
}

void tst_HelpCommand::f1InTheOpenMenu()
{
    QSignalSpy answers(&viewer(), &HelpViewer::answered);
    // Before "Text" was ever chosen there is no help file name, so F1 in the menu does nothing.
    Form1->activateWindow();
    QTRY_VERIFY(Form1->isActiveWindow());
    Form1->Pomoc1->popup(Form1->mapToGlobal(QPoint(0, 0)));
    QTRY_VERIFY(Form1->Pomoc1->isVisible());
    Form1->Pomoc1->setActiveAction(Form1->Text1);
    QTest::keyClick(Form1->Pomoc1, Qt::Key_F1);
    QCOMPARE(viewer().processId(), 0);
    Form1->Pomoc1->close();

    Form1->Text1->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(answers.count(), 1, 20000);
    const QString contents = answers.takeFirst().at(1).toString();

    // Afterwards F1 on "Text" opens the topic of its help context, 1.
    Form1->Pomoc1->popup(Form1->mapToGlobal(QPoint(0, 0)));
    QTRY_VERIFY(Form1->Pomoc1->isVisible());
    Form1->Pomoc1->setActiveAction(Form1->Text1);
    QTest::keyClick(Form1->Pomoc1, Qt::Key_F1);
    QTRY_COMPARE_WITH_TIMEOUT(answers.count(), 1, 20000);
    const QList<QVariant> topic1 = answers.takeFirst();
    QCOMPARE(topic1.at(0).toBool(), true);
    QVERIFY(topic1.at(1).toString() != contents);
    Form1->Pomoc1->close();

    // F1 on "About", which has no help context, asks for context 0, which the file lacks.
    Form1->Pomoc1->popup(Form1->mapToGlobal(QPoint(0, 0)));
    QTRY_VERIFY(Form1->Pomoc1->isVisible());
    Form1->Pomoc1->setActiveAction(Form1->About1);
    QTest::keyClick(Form1->Pomoc1, Qt::Key_F1);
    QTRY_COMPARE_WITH_TIMEOUT(answers.count(), 1, 20000);
    QCOMPARE(answers.at(0).at(0).toBool(), false);
    QVERIFY2(answers.at(0).at(1).toString().contains("nie ma tematu o numerze 0"),
             qPrintable(answers.at(0).at(1).toString()));
    Form1->Pomoc1->close();
}

void tst_HelpCommand::hostileHelpFile_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("answer"); // the start of the page shown; empty: no answer
    QTest::addColumn<QString>("viewer"); // where the game finds its viewer; empty: the built one
    QTest::addColumn<int>("signal");     // sent to the viewer after its first answer; 0: none

    const QString invalid = "Plik pomocy „ZAKRYTKA.HLP” ma nieprawidłowy format. Wiersz 1: ";
    // Pages that Qt's layout could not finish, or only in many seconds and hundreds of MB, and
    // faults whose messages quoted megabytes of the file, are refused at once.
    const QByteArray text = QByteArray("tekst dlug ").repeated(10000);
    QTest::newRow("nested tables")
        << "<h1 id=a>Tabele</h1>" + QByteArray("<table><tr><td>").repeated(10) + text
        << invalid + "tabele są zagnieżdżone zbyt głęboko" << QString() << 0;
    QTest::newRow("cell padding")
        << QByteArray("<h1 id=a>A</h1><table cellpadding=40000000><tr><td>x</td></tr></table>")
        << invalid + "atrybut cellpadding znacznika <table> musi być liczbą od 0 do 20" << QString()
        << 0;
    QTest::newRow("wide cells") << "<h1 id=a>T</h1><table>" +
                                       QByteArray("<tr><td colspan=20000>x").repeated(300)
                                << invalid +
                                       "atrybut colspan znacznika <td> musi być liczbą od 1 do 100"
                                << QString() << 0;
    QTest::newRow("many cells") << "<h1 id=a>T</h1><table>" +
                                       QByteArray("<tr><td colspan=100>x").repeated(300)
                                << invalid + "tabele tematu mają razem ponad 1500 komórek"
                                << QString() << 0;
    QTest::newRow("spacing in style sheet")
        << QByteArray("<style>\np { padding: 40000000px }</style><h1 id=a>A</h1><p>x")
        << "Plik pomocy „ZAKRYTKA.HLP” ma nieprawidłowy format. Wiersz 2: liczba 40000000"
        << QString() << 0;
    QTest::newRow("heading never closed")
        << "<h1 id=a>" + QByteArray("bez konca ").repeated(370000)
        << invalid + "temat „bez konca bez konca" << QString() << 0;
    QTest::newRow("4 MB contents name")
        << "<meta name=help-contents content=\"" + QByteArray(4000000, 'x') + "\"><h1 id=a>A</h1>"
        << invalid + "spis treści wskazuje nazwę „xxxx" << QString() << 0;
    const QByteArray bold = "<h1 id=a>B</h1>" + QByteArray("<b>").repeated(1300000);
    QTest::newRow("nested bold") << bold << "Plik pomocy „ZAKRYTKA.HLP” ma nieprawidłowy format."
                                 << QString() << 0;
    QTest::newRow("style sheet before many topics") << amplified() << "Pierwszy" << QString() << 0;
    // A viewer that does not answer is ended, and the next call starts a new one.
    QTest::newRow("viewer stopped") << QByteArray() << QString() << QString() << int(SIGSTOP);
    // So is one that is gone before the game has noticed.
    QTest::newRow("viewer killed") << QByteArray() << QString() << QString() << int(SIGKILL);
    // Without its viewer the game goes on, and says why on standard error.
    QTest::newRow("viewer missing") << QByteArray() << QString() << "nie-ma/zakrytka-help" << 0;
}

void tst_HelpCommand::hostileHelpFile()
{
    QFETCH(QByteArray, contents);
    QFETCH(QString, answer);
    QFETCH(QString, viewer);
    QFETCH(int, signal);
    if (!contents.isEmpty())
        writeFile("ZAKRYTKA.HLP", contents);
    const QByteArray built = qgetenv("ZAKRYTKA_HELP_VIEWER");
    if (!viewer.isEmpty())
        qputenv("ZAKRYTKA_HELP_VIEWER", viewer.toLocal8Bit());
    QSignalSpy answers(&HelpViewer::instance(), &HelpViewer::answered);
    // The game's own timers go on while the viewer works.
    int ticks = 0;
    QTimer ticking;
    connect(&ticking, &QTimer::timeout, [&ticks] { ++ticks; });
    ticking.start(10);

    if (signal != 0) {
        Form1->Text1->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(answers.count(), 1, 20000);
        const qint64 stopped = HelpViewer::instance().processId();
        const int pidfd = int(::syscall(SYS_pidfd_open, pid_t(stopped), 0));
        QVERIFY(pidfd >= 0);
        ::kill(pid_t(stopped), signal);
        StandardErrorCatcher caught;
        if (signal == SIGKILL) {
            // The game writes to the viewer's socket before its event loop has seen the end.
            pollfd exited = {pidfd, POLLIN, 0};
            QCOMPARE(::poll(&exited, 1, 20000), 1);
        }
        ::close(pidfd);
        Form1->Text1->trigger();
        // More calls than the socket holds pile up for a viewer that reads none.
        for (int call = 0; signal == SIGSTOP && call < 64; ++call)
            QVERIFY(platform::winHelp(nullptr, QString(8000, u'x'), platform::HELP_CONTENTS, 0));
        const int before = ticks;
        QTRY_COMPARE_WITH_TIMEOUT(HelpViewer::instance().processId(), 0, 20000);
        QTRY_VERIFY_WITH_TIMEOUT(!isRunning(stopped), 20000);
        QTRY_VERIFY(ticks > before);
        QCOMPARE(caught.release().count('\n'), 1);
        Form1->Text1->trigger();
        QVERIFY(HelpViewer::instance().processId() > 0);
        QTRY_COMPARE_WITH_TIMEOUT(answers.count(), 2, 20000);
        QCOMPARE(answers.at(1).at(0).toBool(), true);
        return;
    }

    StandardErrorCatcher caught;
    ErrorBoxWatcher watcher;
    Form1->Text1->trigger();
    const QByteArray said = caught.release();
    qputenv("ZAKRYTKA_HELP_VIEWER", built);
    if (!viewer.isEmpty()) {
        QCOMPARE(HelpViewer::instance().processId(), 0);
        QVERIFY2(said.count('\n') == 1 && said.startsWith("zakrytka: ") &&
                     said.contains(viewer.toLocal8Bit()),
                 said.constData());
        const int before = ticks;
        QTRY_VERIFY(ticks > before);
        QVERIFY(watcher.boxes.isEmpty());
        QVERIFY(Form1->isEnabled());
        return;
    }
    const qint64 pid = HelpViewer::instance().processId();
    const int before = ticks;
    QTRY_COMPARE_WITH_TIMEOUT(answers.count(), 1, 60000);
    const QString page = answers.at(0).at(1).toString();
    QVERIFY2(page.startsWith(answer), qPrintable(page.left(1000)));
    // A message quotes a few words of the file at most.
    QVERIFY2(page.size() < 400, qPrintable(QString::number(page.size())));
    QVERIFY(ticks > before);
    const qint64 peak = peakMemoryKib(pid);
#ifdef __SANITIZE_ADDRESS__
    const qint64 most = 400 * 1024; // the sanitizers' own memory beside the viewer's
#else
    const qint64 most = 100 * 1024;
#endif
    QVERIFY2(peak > 0 && peak < most, qPrintable(QString::number(peak)));
    QVERIFY(Form1->isEnabled());
}

QTEST_MAIN(tst_HelpCommand)
#include "tst_helpcommand.moc"
