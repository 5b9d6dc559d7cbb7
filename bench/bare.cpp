// The floor the game is measured against: a bare Qt Widgets window of the card table's size with
// the two timers the game keeps running for its whole run, the 6 ms toss-bit timer and the
// splash's 100 ms show timer, both precise and doing no more than flip an int. The game cannot
// cost less than this at rest.
//
// With --text the same window also shows text in the game's two kinds of type, laid out before
// the window is shown as every window of the game is: the splash's title (32 px, bold and
// underlined) and one line in the windows' 11 px font. What this costs beyond the bare floor
// (fontconfig, the font database, FreeType and HarfBuzz) any window with text pays.
//
// With --controls the window with text also holds one of each of the Qt controls the card table
// is built of: a main menu with two menus, a spin box, an edit box, a push button and a radio
// button. What these cost beyond text is the least the game's table can hold.
#include <QApplication>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QWidget>

#include <cstring>

int main(int argc, char *argv[])
{
    const bool controls = argc > 1 && std::strcmp(argv[1], "--controls") == 0;
    const bool text = controls || (argc > 1 && std::strcmp(argv[1], "--text") == 0);
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("floor"));
    window.resize(578, 417);
    if (text) {
        QFont::insertSubstitution(QStringLiteral("MS Sans Serif"),
                                  QStringLiteral("Liberation Sans"));
        QFont font(QStringLiteral("MS Sans Serif"));
        font.setPixelSize(11);
        QApplication::setFont(font);
        auto *title = new QLabel(QStringLiteral("ZAKRYTKA"), &window);
        QFont titleFont = font;
        titleFont.setPixelSize(32);
        titleFont.setBold(true);
        titleFont.setUnderline(true);
        title->setFont(titleFont);
        title->move(16, 64);
        title->adjustSize();
        auto *line =
            new QLabel(QStringLiteral("Masz 2000 zł. Postaw i wskaż czarną kartę."), &window);
        line->move(16, 120);
        line->adjustSize();
    }
    if (controls) {
        // The menu bar's overflow arrow without Qt's image plugins, as the game draws it.
        struct NoPluginIcons : QProxyStyle {
            QIcon standardIcon(StandardPixmap icon, const QStyleOption *option,
                               const QWidget *widget) const override
            {
                return icon == SP_ToolBarHorizontalExtensionButton
                           ? QIcon()
                           : QProxyStyle::standardIcon(icon, option, widget);
            }
        };
        QApplication::setStyle(new NoPluginIcons);
        auto *menuBar = new QMenuBar(&window);
        menuBar->addMenu(QStringLiteral("&Gra"))->addAction(QStringLiteral("&Nowa gra"));
        menuBar->addMenu(QStringLiteral("&Pomoc"))->addAction(QStringLiteral("&O programie"));
        menuBar->setGeometry(0, 0, 578, 20);
        auto *stake = new QSpinBox(&window);
        stake->setRange(100, 950);
        stake->setGeometry(360, 256, 57, 30);
        auto *money = new QLineEdit(QStringLiteral("2000"), &window);
        money->setGeometry(384, 352, 105, 32);
        (new QPushButton(QStringLiteral("&OK"), &window))->setGeometry(432, 256, 57, 33);
        (new QRadioButton(QStringLiteral("&Turkus"), &window))->setGeometry(16, 288, 81, 17);
    }
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
