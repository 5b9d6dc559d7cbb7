#include "game/Program.h"
#include "game/Unit1.h"
#include "game/Unit6.h"
#include "game/Unit7.h"
#include "support/TestSupport.h"
#include "toolkit/Application.h"
#include "toolkit/Handler.h"
#include "toolkit/Timer.h"
#include "toolkit/WindowManager.h"

#include <QApplication>
#include <QPointer>
#include <QSpinBox>
#include <QTest>

#include <csignal>
#include <thread>

using namespace testsupport;
using toolkit::Application;

class tst_Startup : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void designedTimers_data();
    void designedTimers();
    void splashThenTable();
    void missingScoreFileRetriesUntilPlaced();
    void hugeScoreFile();
    void minimisedTableStaysMinimised();
    void endingTheProgram_data();
    void endingTheProgram();
    void newGameReplacesTheTable();
    void platformChoice_data();
    void platformChoice();

private:
    TemporaryCurrentDir *m_dir = nullptr;
};

void tst_Startup::initTestCase()
{
    setUpApplication();
    Application::instance().installTerminationSignals();
}

void tst_Startup::init()
{
    m_dir = new TemporaryCurrentDir;
}

void tst_Startup::cleanup()
{
    stopGame();
    delete m_dir;
    m_dir = nullptr;
}

void tst_Startup::designedTimers_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("timer");
    QTest::addColumn<int>("interval");
    QTest::addColumn<bool>("precise");
    QTest::addColumn<bool>("on");
    QTest::addColumn<int>("repeats"); // the stake box's repeats before the interval is read
    auto row = [](const char *window, const char *timer, int interval, bool on, int repeats = 0) {
        QTest::addRow("%s %s%s", window, timer, repeats ? " repeating" : "")
            << window << timer << interval << true << on << repeats;
    };
    row("TForm11", "Timer2", 2000, true);
    row("TForm11", "Timer1", 100, false);
    row("TForm1", "Timer1", 55, false);
    row("TForm1", "Timer2", 55, false);
    row("TForm1", "Timer3", 55, false);
    row("TForm1", "Timer4", 557, false);
    row("TForm1", "Timer5", 6, true);
    row("TForm1", "stawka/repeat", 400, false);
    row("TForm1", "stawka/repeat", 100, false, 1);
    row("TForm7", "Timer1", 100, false);
    for (const char *timer : {"Timer2", "Timer3", "Timer4", "Timer5", "Timer6", "Timer7"})
        row("TForm7", timer, 10, false);
    row("TForm5", "Timer1", 10, false);
}

void tst_Startup::designedTimers()
{
    QFETCH(QString, window);
    QFETCH(QString, timer);
    QFETCH(int, interval);
    QFETCH(bool, precise);
    QFETCH(bool, on);
    QFETCH(int, repeats);
    copyDataFile("sys.dll");
    startGame(false);
    QWidget *form = nullptr;
    for (QWidget *widget : QApplication::topLevelWidgets())
        form = widget->objectName() == window ? widget : form;
    QVERIFY2(form, qPrintable(window));
    const QString control = timer.section(u'/', 0, -2);
    if (control.isEmpty()) {
        auto *gameTimer = form->findChild<toolkit::Timer *>(timer);
        QVERIFY2(gameTimer, qPrintable(timer));
        QCOMPARE(gameTimer->interval(), interval);
        QCOMPARE(gameTimer->precise(), precise);
        QCOMPARE(gameTimer->enabled(), on);
        return;
    }
    // A control's own timer, read while its up arrow is held down.
    auto *box = form->findChild<QSpinBox *>(control);
    QVERIFY2(box, qPrintable(control));
    auto *repeat = box->findChild<QTimer *>(timer.section(u'/', -1));
    QVERIFY2(repeat, qPrintable(timer));
    QCOMPARE(repeat->isActive(), on);
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    const int value = box->value();
    QTest::mousePress(box, Qt::LeftButton, Qt::NoModifier, arrowCentre(box, QStyle::SC_SpinBoxUp));
    QTRY_VERIFY(box->value() >= value + repeats * box->singleStep());
    QVERIFY(repeat->isActive());
    QCOMPARE(repeat->interval(), interval);
    QCOMPARE(repeat->timerType() == Qt::PreciseTimer, precise);
    QTest::mouseRelease(box, Qt::LeftButton, Qt::NoModifier, QPoint(1, 1));
}

void tst_Startup::splashThenTable()
{
    copyDataFile("sys.dll");
    startGame(false);
    // The splash window comes first, is the main window and is the only one shown.
    QCOMPARE(Application::instance().mainForm(), Form11);
    QVERIFY(Form11->isVisible());
    QVERIFY(Form11->windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(Form11->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(Form11->Label1->text(), QStringLiteral("ZAKRYTKA"));
    QVERIFY(Form11->Label1->font().bold() && Form11->Label1->font().underline());
    QCOMPARE(Form11->centralWidget()->size(), QSize(242, 168));
    QVERIFY(!Form1->isVisible());
    QVERIFY(Form7->Edit3->text() == QStringLiteral("Ruzize"));

    TickRecorder recorder;
    QTRY_VERIFY_WITH_TIMEOUT(Form1->isVisible(), 5000);
    // The table comes with a show-timer tick, and the show timer runs only once the hall of fame
    // has been loaded.
    QStringList timers;
    for (const TickRecorder::Tick &tick : recorder.ticks)
        timers << tick.timer;
    QVERIFY2(timers.contains(QStringLiteral("TForm11.Timer2")) &&
                 timers.indexOf(QStringLiteral("TForm11.Timer1")) >
                     timers.indexOf(QStringLiteral("TForm11.Timer2")),
             qPrintable("the table shows before the hall of fame is loaded: " + timers.join(u' ')));
    // The splash window goes at the same show-timer tick.
    QVERIFY(!Form11->isVisible());
    QVERIFY(Form11->Timer1->enabled());
    QVERIFY(!Form11->Timer2->enabled());
    QCOMPARE(Form1->windowTitle(), QStringLiteral("ZAKRYTKA - www.zakrytka.example.org"));
    QCOMPARE(Application::instance().title(), QStringLiteral("tst_startup"));
}

void tst_Startup::missingScoreFileRetriesUntilPlaced()
{
    // The box stays open for 2.5 s: the load timer ticks meanwhile but never stacks a second box.
    ErrorBoxWatcher watcher(true, 2500);
    startGame(false);
    QTRY_VERIFY_WITH_TIMEOUT(watcher.boxes.size() >= 1, 8000);
    const ErrorBoxWatcher::Box box = watcher.boxes.first();
    QCOMPARE(box.text, QStringLiteral("File not found."));
    QCOMPARE(box.title, QStringLiteral("tst_startup"));
    QCOMPARE(box.icon, QMessageBox::Critical);
    QCOMPARE(box.buttons, 1);
    QVERIFY(box.onTop);
    QCOMPARE(watcher.mostOpen, 1);
    QVERIFY(!Form1->isVisible());
    QVERIFY(Form11->isVisible());

    copyDataFile("sys.dll");
    QTRY_VERIFY_WITH_TIMEOUT(Form1->isVisible(), 6000);
    QVERIFY(!Form11->isVisible());
    QCOMPARE(Form7->Edit1->text(), QStringLiteral("250"));
    QCOMPARE(watcher.mostOpen, 1);
}

void tst_Startup::hugeScoreFile()
{
    // A score file whose place-1 name is a line of almost 16 MiB (the most the game reads) loads,
    // shows and saves back whole at a small cost in memory.
    const qint64 rest = startingScoreFile().size() - qint64(sizeof "Ruzize" - 1);
    const qint64 nameLength = (qint64(16) << 20) - rest;
    const QByteArray scoreFile = startingScoreFile().replace("Ruzize", QByteArray(nameLength, 'W'));
    writeFile("sys.dll", scoreFile);
    ErrorBoxWatcher watcher;
    startGame(false);
    QVERIFY(resetPeakMemory());
    const qint64 before = peakMemoryKib();
    Form11->Timer2->setEnabled(false);
    toolkit::guard([] { Form11->Timer2Timer(); });
    QTRY_VERIFY_WITH_TIMEOUT(Form1->isVisible(), 5000);
    Form7->show();
    QTRY_VERIFY(Form7->Edit3->isVisible());
    Form7->grab();
    Form7->close();
    const qint64 grown = peakMemoryKib() - before;
    // The text itself takes two bytes a character in its box.
    QVERIFY2(grown < 3 * nameLength / 1024 + 16 * 1024 + quarantineKib,
             qPrintable(QStringLiteral("memory grew by %1 KiB").arg(grown)));
    QVERIFY(watcher.boxes.isEmpty());
    QCOMPARE(Form7->Edit3->text().size(), nameLength);
    QVERIFY(readFile("sys.dll") == scoreFile);
}

void tst_Startup::minimisedTableStaysMinimised()
{
    copyDataFile("sys.dll");
    startGame();
    TickRecorder recorder;
    Form1->showMinimized();
    QVERIFY(waitForTicks(recorder, QStringLiteral("TForm11.Timer1"), 3));
    QVERIFY(Form1->windowState() & Qt::WindowMinimized);
    QVERIFY(!Form11->isVisible());
}

void tst_Startup::endingTheProgram_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("label Nie") << "nie";
    QTest::newRow("table's close box") << "closebox";
    QTest::newRow("splash closed") << "splash";
    QTest::newRow("SIGTERM") << "sigterm";
    QTest::newRow("SIGINT") << "sigint";
    QTest::newRow("SIGHUP") << "sighup";
    QTest::newRow("SIGTERM during a sound") << "sigterm sound";
}

void tst_Startup::endingTheProgram()
{
    QFETCH(QString, how);
    copyDataFile("sys.dll");
    const QByteArray before = readFile("sys.dll");
    startGame();
    Form7->Edit3->setText("changed");
    if (how == "nie")
        clickThroughWindow(Form1->Label5);
    else if (how == "closebox")
        static_cast<QWidget *>(Form1)->close();
    else if (how == "splash")
        static_cast<QWidget *>(Form11)->close();
    else if (how == "sigterm")
        ::raise(SIGTERM);
    else if (how == "sigint")
        ::raise(SIGINT);
    else if (how == "sighup")
        ::raise(SIGHUP);
    if (how.endsWith("sound")) {
        // The end-of-game sound holds the message loop up for 20 s; the signal, sent from another
        // thread meanwhile, stops it and abandons the rest of the ranking.
        // 20 s of silence, 8-bit mono at 8 kHz.
        writeFile("T", pcmWave(1, 8000, 8, QByteArray(20 * 8000, char(0x80))));
        std::thread sender([] { ::raise(SIGTERM); });
        toolkit::guard([] { Form7->Timer1Timer(); });
        sender.join();
        QVERIFY2(!Form7->isVisible(), "the hall of fame must not open after the signal");
    }
    QTRY_VERIFY_WITH_TIMEOUT(Application::instance().terminated(), 2000);
    // Nothing is written when the program ends.
    QCOMPARE(readFile("sys.dll"), before);
    // run() returns at once once the mark is set.
    QCOMPARE(Application::instance().run(), 0);
}

void tst_Startup::newGameReplacesTheTable()
{
    copyDataFile("sys.dll");
    startGame();
    const int windows = QApplication::topLevelWidgets().size();
    QPointer<TForm1> first = Form1;
    Form1->kasa->setText("5");
    Form1->Label4Click();
    for (int i = 0; i < 20; ++i) {
        QPointer<TForm1> old = Form1;
        old->hide();
        startNewGame();
        // The splash shows for at most one show-timer tick, then the new table is up.
        QVERIFY(Form11->isVisible());
        QVERIFY(Form1 != old);
        QTRY_VERIFY_WITH_TIMEOUT(Form1->isVisible() && !Form11->isVisible(), 1000);
        QTRY_VERIFY(old.isNull());
    }
    QVERIFY(first.isNull());
    QCOMPARE(QApplication::topLevelWidgets().size(), windows);
    QCOMPARE(Form1->kasa->text(), QStringLiteral("2000"));
    QCOMPARE(Form1->licz->text(), QStringLiteral("60"));
    QCOMPARE(Form1->Reza->text(), QStringLiteral("Reza"));
    QCOMPARE(Form1->stawka->value(), 100);
    QVERIFY(Form1->Label3->isVisible() && Form1->Label4->isVisible());
    QCOMPARE(Application::instance().mainForm(), Form11);
}

void tst_Startup::platformChoice_data()
{
    // A null text stands for an unset variable.
    QTest::addColumn<QString>("platform");
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("chosen");
    QTest::newRow("X display, no choice") << QString() << ":0"
                                          << "xcb";
    QTest::newRow("X display, empty choice") << ""
                                             << ":1"
                                             << "xcb";
    QTest::newRow("the player's choice") << "wayland"
                                         << ":0"
                                         << "wayland";
    QTest::newRow("no X display") << QString() << QString() << QString();
    QTest::newRow("empty X display") << QString() << "" << QString();
}

// With no platform chosen and an X display at hand the game runs on X11, where it may place its
// windows and keep them on top; a player's choice stands.
void tst_Startup::platformChoice()
{
    QFETCH(QString, platform);
    QFETCH(QString, display);
    QFETCH(QString, chosen);
    const QByteArray savedPlatform = qgetenv("QT_QPA_PLATFORM");
    const QByteArray savedDisplay = qgetenv("DISPLAY");
    const bool hadDisplay = qEnvironmentVariableIsSet("DISPLAY");
    auto set = [](const char *name, const QString &value) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value.toLocal8Bit());
    };
    set("QT_QPA_PLATFORM", platform);
    set("DISPLAY", display);
    toolkit::choosePlatform();
    const QString result = qEnvironmentVariableIsSet("QT_QPA_PLATFORM")
                               ? qEnvironmentVariable("QT_QPA_PLATFORM").section(';', 0, 0)
                               : QString();
    qputenv("QT_QPA_PLATFORM", savedPlatform);
    if (hadDisplay)
        qputenv("DISPLAY", savedDisplay);
    else
        qunsetenv("DISPLAY");
    QCOMPARE(result, chosen);
}

QTEST_MAIN(tst_Startup)
#include "tst_startup.moc"
