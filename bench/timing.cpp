// Measures the game's timers against their intervals, and the time from the end of the pick sound
// to the pick's result being painted. Prints one line per figure: name, median, worst (ms).
#include "game/Program.h"
#include "game/Unit1.h"
#include "game/Unit3.h"
#include "game/Unit6.h"
#include "game/Unit7.h"
#include "toolkit/Application.h"
#include "toolkit/Handler.h"
#include "toolkit/Timer.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

void report(const char *name, std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const double median = values[values.size() / 2];
    double worst = 0;
    for (double v : values)
        worst = std::max(worst, std::abs(v));
    std::printf("%s\t%.2f\t%.2f\n", name, median, worst);
}

// Error of a timer switched on from off: the first tick against the interval.
std::vector<double> timerErrors(int interval, int samples)
{
    std::vector<double> errors;
    toolkit::Timer timer(nullptr, interval, false);
    QElapsedTimer clock;
    QEventLoop loop;
    QObject::connect(&timer, &toolkit::Timer::timer, [&] {
        errors.push_back(clock.nsecsElapsed() / 1e6 - interval);
        timer.setEnabled(false);
        loop.quit();
    });
    for (int i = 0; i < samples; ++i) {
        clock.start();
        timer.setEnabled(true);
        loop.exec();
    }
    return errors;
}

// Time from the end of the pick's sound (the click handler returning) to the face being painted.
class PaintWatch : public QObject {
public:
    QElapsedTimer clock;
    bool painted = false;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && clock.isValid() && !painted)
            painted = true;
        return false;
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    toolkit::Application::setUp();
    const int samples = argc > 1 ? std::atoi(argv[1]) : 40;

    report("timer 55 ms, error", timerErrors(55, samples));
    report("timer 557 ms, error", timerErrors(557, samples / 4 + 1));

    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    QFile::copy(QString::fromLocal8Bit(qgetenv("ZAKRYTKA_DATA_DIR")) + "/sys.dll", "sys.dll");
    createWindows();
    toolkit::guard([] { Form11->Timer2Timer(); });
    while (!Form1->isVisible())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    Form1->Label4Click();
    Form3->Edit->setText("bench");
    Form3->Button2Click();

    std::vector<double> paint;
    PaintWatch watch;
    for (int i = 0; i < samples / 4 + 1; ++i) {
        while (Form1->Timer4->enabled())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        toolkit::GlyphButton *pick = nullptr;
        for (auto *button : Form1->cardButtons())
            if (button->isVisible())
                pick = button;
        Form1->licz->setText("60");
        for (QLabel *face : {Form1->Image1, Form1->Image2, Form1->Image3})
            face->installEventFilter(&watch);
        watch.painted = false;
        watch.clock.invalidate();
        pick->click();
        watch.clock.start();
        while (!watch.painted && watch.clock.elapsed() < 2000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        paint.push_back(watch.clock.nsecsElapsed() / 1e6);
        Form1->Button2Click();
    }
    report("pick sound end to result painted", paint);
    destroyWindows();
    return 0;
}
