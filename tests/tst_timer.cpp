#include "support/TestSupport.h"
#include "toolkit/Handler.h"
#include "toolkit/Timer.h"

#include <QTest>
#include <QTimer>

#include <new>
#include <stdexcept>
#include <vector>

using namespace testsupport;
using toolkit::Timer;

class tst_Timer : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { setUpApplication(); }
    void switchingOn_data();
    void switchingOn();
    void oneShotUse();
    void neverReentersItsHandler();
    void errorBoxTexts_data();
    void errorBoxTexts();
};

void tst_Timer::switchingOn_data()
{
    QTest::addColumn<bool>("stopFirst");
    QTest::addColumn<QString>("firstToFire");
    // The shuffle relies on the first: a step timer switched on again fires on its old schedule.
    QTest::newRow("running: keeps its countdown") << false << QStringLiteral("timer");
    QTest::newRow("stopped: starts a full interval") << true << QStringLiteral("reference");
}

void tst_Timer::switchingOn()
{
    QFETCH(bool, stopFirst);
    QFETCH(QString, firstToFire);
    // A 200 ms timer is switched on again 120 ms after it started, and a 150 ms reference starts
    // at that moment: its old countdown ends before the reference, a fresh one after it.
    Timer timer(nullptr, 200, false);
    QStringList fired;
    connect(&timer, &Timer::timer, this, [&] {
        fired << QStringLiteral("timer");
        timer.setEnabled(false);
    });
    QTimer reference;
    reference.setSingleShot(true);
    connect(&reference, &QTimer::timeout, this, [&] { fired << QStringLiteral("reference"); });
    QTimer midway;
    midway.setSingleShot(true);
    connect(&midway, &QTimer::timeout, this, [&] {
        if (stopFirst)
            timer.setEnabled(false);
        timer.setEnabled(true);
        QVERIFY(timer.enabled());
        reference.start(150);
    });
    timer.setEnabled(true);
    midway.start(120);
    QTRY_COMPARE_WITH_TIMEOUT(fired.size(), 2, 5000);
    QCOMPARE(fired.first(), firstToFire);
}

void tst_Timer::oneShotUse()
{
    Timer timer(nullptr, 10, false);
    QCOMPARE(timer.interval(), 10);
    QVERIFY(!timer.enabled());
    int ticks = 0;
    // Switched off in its handler, the 10 ms timer stays quiet while a 50 ms reference runs out.
    QTimer reference;
    reference.setSingleShot(true);
    connect(&timer, &Timer::timer, this, [&] {
        if (++ticks == 1)
            reference.start(50);
        timer.setEnabled(false);
    });
    timer.setEnabled(true);
    QTRY_VERIFY(ticks >= 1 && !reference.isActive());
    QCOMPARE(ticks, 1);
    Timer running(nullptr, 10, true);
    QVERIFY(running.enabled());
}

void tst_Timer::neverReentersItsHandler()
{
    // A failing one-shot handler stays on: its ticks while the error box is open must not stack
    // further boxes, and it fires again after the box is dismissed.
    Timer timer(nullptr, 20, false);
    int entered = 0;
    int depth = 0;
    int deepest = 0;
    connect(&timer, &Timer::timer, this, [&] {
        toolkit::guard([&] {
            ++entered;
            ++depth;
            deepest = qMax(deepest, depth);
            struct Leave {
                int &d;
                ~Leave() { --d; }
            } leave{depth};
            throw toolkit::Exception(QStringLiteral("boom"));
        });
    });
    ErrorBoxWatcher watcher;
    timer.setEnabled(true);
    QTRY_VERIFY_WITH_TIMEOUT(watcher.boxes.size() >= 3, 5000);
    timer.setEnabled(false);
    QCOMPARE(deepest, 1);
    QCOMPARE(watcher.mostOpen, 1);
    QCOMPARE(watcher.boxes.first().text, QStringLiteral("boom."));
    QVERIFY(entered >= 3);
}

void tst_Timer::errorBoxTexts_data()
{
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("text");
    QTest::newRow("the game's error") << 0 << "boom.";
    QTest::newRow("allocation failure") << 1 << "Out of memory.";
    QTest::newRow("size beyond any allocation") << 2 << "Out of memory.";
}

void tst_Timer::errorBoxTexts()
{
    // The error box speaks the game's language, never the C++ library's.
    QFETCH(int, error);
    QFETCH(QString, text);
    ErrorBoxWatcher watcher;
    toolkit::guard([error] {
        if (error == 0)
            throw toolkit::Exception(QStringLiteral("boom"));
        if (error == 1)
            throw std::bad_alloc();
        std::vector<char>().reserve(std::size_t(-1));
    });
    QCOMPARE(watcher.boxes.size(), 1);
    QCOMPARE(watcher.boxes.first().text, text);
}

QTEST_MAIN(tst_Timer)
#include "tst_timer.moc"
