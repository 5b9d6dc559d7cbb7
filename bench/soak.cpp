// Plays full games and starts new games headless, as fast as the handlers allow, and reports
// resident memory, open files and live windows along the way. Run by bench/run, never by tests.
//   bench_soak <games> <new games>
#include "game/Program.h"
#include "game/Unit1.h"
#include "game/Unit3.h"
#include "game/Unit5.h"
#include "game/Unit6.h"
#include "game/Unit7.h"
#include "game/Unit8.h"
#include "toolkit/Application.h"
#include "toolkit/Convert.h"
#include "toolkit/Handler.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <malloc.h>

namespace {

long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

int openFiles()
{
    return int(QDir(QStringLiteral("/proc/self/fd"))
                   .entryList(QDir::NoDotAndDotDot | QDir::AllEntries)
                   .size());
}

void settle(int ms = 0)
{
    QElapsedTimer clock;
    clock.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    } while (clock.elapsed() < ms);
}

std::size_t heapKiB()
{
    const struct mallinfo2 heap = mallinfo2();
    return (heap.uordblks + heap.hblkhd) / 1024;
}

void report(const char *what)
{
    std::printf("%-40s %8ld KiB resident %8zu KiB in use  %3d files  %3d windows\n", what,
                residentKiB(), heapKiB(), openFiles(), int(QApplication::topLevelWidgets().size()));
    std::fflush(stdout);
}

// One deal without waiting for the timers: a shuffle step, its end, then a pick of the first card.
void deal()
{
    toolkit::guard([] {
        Form1->Timer1Timer();
        Form1->Timer4Timer();
    });
    for (auto *button : Form1->cardButtons()) {
        if (button->isVisible() && button->isEnabled()) {
            button->click();
            break;
        }
    }
}

} // namespace

int main(int argc, char *argv[])
{
    // No sound device, so every pick returns at once.
    qputenv("SDL_AUDIODRIVER", "none");
    QApplication app(argc, argv);
    toolkit::Application::setUp();
    const int games = argc > 1 ? std::atoi(argv[1]) : 100;
    const int newGames = argc > 2 ? std::atoi(argv[2]) : 1000;

    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    QFile::copy(QString::fromLocal8Bit(qgetenv("ZAKRYTKA_DATA_DIR")) + "/sys.dll", "sys.dll");
    createWindows();
    toolkit::guard([] { Form11->Timer2Timer(); });
    settle(150);
    report("table shown");

    int best = 0;
    std::size_t heapAfterFirst = 0;
    for (int game = 0; game < games; ++game) {
        Form1->Label4Click();
        Form3->Edit->setText(QStringLiteral("Gracz %1").arg(game));
        Form3->Button2Click();
        for (int d = 0; d < 60; ++d) {
            deal();
            Form5->hide();
            Form1->setEnabled(true);
            if (d < 59)
                Form1->Button2Click();
        }
        settle(130);
        best = qMax(best, toolkit::strToInt(Form7->Edit5->text()));
        static_cast<QWidget *>(Form7)->close();
        settle(30);
        if (!Form8->isVisible()) {
            std::printf("game %d: no new-game prompt\n", game);
            return 1;
        }
        Form8->BitBtn1Click();
        settle(120);
        if (game == 0)
            heapAfterFirst = heapKiB();
        if (game == 0 || (game + 1) % qMax(1, games / 8) == 0 || game + 1 == games)
            report(qPrintable(QStringLiteral("after %1 full games").arg(game + 1)));
    }
    if (games > 1) {
        const long growth = long(heapKiB()) - long(heapAfterFirst);
        std::printf("heap in use after %d full games: %+ld KiB against 1 (goal: within 256 KiB): "
                    "%s\n",
                    games, growth, std::labs(growth) <= 256 ? "met" : "NOT MET");
    }
    std::printf("best final money %d; hall of fame place 1: %s %s\n", best,
                qPrintable(Form7->Edit1->text()), qPrintable(Form7->Edit3->text()));

    for (int n = 1; n <= newGames; ++n) {
        Form1->hide();
        startNewGame();
        settle();
        if (n == 1 || n == 100 || n % 1000 == 0 || n == newGames)
            report(qPrintable(QStringLiteral("after %1 new games").arg(n)));
    }
    destroyWindows();
    return 0;
}
