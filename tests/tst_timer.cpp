#include "support/TestSupport.h"
#include "toolkit/Handler.h"
#include "toolkit/Timer.h"

#include <QElapsedTimer>
#include <QTest>

#include <new>
#include <stdexcept>
#include <vector>

using namespace testsupport;
using toolkit::Timer;

class tst_Timer : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { setUpApplication(); }
    void switchingOnARunningTimerKeepsItsCountdown();
    void switchingOnAStoppedTimerStartsAFullInterval();
    void oneShotUse();
    void neverReentersItsHandler();
    void errorBoxTexts_data();
    void errorBoxTexts();
};

void tst_Timer::switchingOnARunningTimerKeepsItsCountdown()
{
    // The shuffle relies on this: a step timer switched on again fires on its old schedule.
    Timer timer(nullptr, 200, false);
    QElapsedTimer clock;
    qint64 firedAt = -1;
    connect(&timer, &Timer::timer, this, [&] {
        if (firedAt < 0)
            firedAt = clock.elapsed();
        timer.setEnabled(false);
    });
    clock.start();
    timer.setEnabled(true);
    QTest::qWait(120);
    timer.setEnabled(true);
    QVERIFY(timer.enabled());
    QTRY_VERIFY_WITH_TIMEOUT(firedAt >= 0, 2000);
    QVERIFY2(firedAt < 300, qPrintable(QString("fired after %1 ms").arg(firedAt)));
}

void tst_Timer::switchingOnAStoppedTimerStartsAFullInterval()
{
    Timer timer(nullptr, 200, false);
    QElapsedTimer clock;
    qint64 firedAt = -1;
    connect(&timer, &Timer::timer, this, [&] {
        firedAt = clock.elapsed();
        timer.setEnabled(false);
    });
    clock.start();
    timer.setEnabled(true);
    QTest::qWait(120);
    timer.setEnabled(false);
    timer.setEnabled(true);
    QTRY_VERIFY_WITH_TIMEOUT(firedAt >= 0, 2000);
    QVERIFY2(firedAt >= 310, qPrintable(QString("fired after %1 ms").arg(firedAt)));
}

void tst_Timer::oneShotUse()
{
    Timer timer(nullptr, 10, false);
    QCOMPARE(timer.interval(), 10);
    QVERIFY(!timer.enabled());
    int ticks = 0;
    connect(&timer, &Timer::timer, this, [&] {
        ++ticks;
        timer.setEnabled(false);
    });
    timer.setEnabled(true);
    QTRY_COMPARE(ticks, 1);
    QTest::qWait(50);
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
