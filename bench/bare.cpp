// The floor the game is measured against: a bare Qt Widgets window of the card table's size with
// the two timers the game keeps running for its whole run, the 6 ms toss-bit timer and the
// splash's 100 ms show timer, both precise and doing no more than flip an int. The game cannot
// cost less than this at rest.
#include <QApplication>
#include <QTimer>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("floor"));
    window.resize(578, 417);
    window.show();

    int toss = 0;
    int shown = 0;
    QTimer tossTimer;
    QTimer showTimer;
    for (auto [timer, interval, bit] :
         {std::tuple{&tossTimer, 6, &toss}, std::tuple{&showTimer, 100, &shown}}) {
        timer->setTimerType(Qt::PreciseTimer);
        timer->setInterval(interval);
        QObject::connect(timer, &QTimer::timeout, [bit = bit] { *bit ^= 1; });
        timer->start();
    }
    return app.exec();
}
