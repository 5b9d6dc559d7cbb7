// The game's windows as the X server and a window manager see them: stacking, focus, frames,
// window types and pixels on the screen. Runs under tests/desktop/on-desktop, on Qt's xcb platform,
// under openbox and, for placement and focus, under each window manager players have and on a
// scaled desktop; all input goes through the X server (xdotool), all judgement comes from it
// (xprop, xwininfo, the screen).
#include "game/Unit1.h"
#include "game/Unit3.h"
#include "game/Unit4.h"
#include "game/Unit5.h"
#include "game/Unit7.h"
#include "game/Unit8.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSet>
#include <QStyleOptionButton>
#include <QTest>
#include <QTimer>

using namespace testsupport;

namespace {

const int Timeout = 10000;

// Runs an X tool; the words of the command line are separated by single spaces.
QString run(const QString &commandLine)
{
    QStringList words = commandLine.split(QLatin1Char(' '));
    QProcess process;
    process.start(words.takeFirst(), words);
    if (!process.waitForFinished(Timeout))
        qFatal("%s did not finish", qPrintable(commandLine));
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

QString xproperty(QWidget *window, const char *name)
{
    return run(QStringLiteral("xprop -id %1 %2").arg(window->winId()).arg(name));
}

// The window ids of a root window property, in order.
QList<quint64> rootWindows(const char *name)
{
    QList<quint64> ids;
    static const QRegularExpression hex(QStringLiteral("0x[0-9a-f]+"));
    const QString text = run(QStringLiteral("xprop -root %1").arg(name));
    for (const auto &match : hex.globalMatch(text.section(QLatin1Char('#'), 1)))
        ids.append(match.captured().toULongLong(nullptr, 16));
    return ids;
}

bool isActive(QWidget *window)
{
    return rootWindows("_NET_ACTIVE_WINDOW").value(0) == window->winId();
}

bool isTopmost(QWidget *window)
{
    const QList<quint64> stacking = rootWindows("_NET_CLIENT_LIST_STACKING");
    return !stacking.isEmpty() && stacking.last() == window->winId();
}

// The X server counts device pixels, the game's windows the scaled pixels of a scaled desktop.
qreal scale()
{
    return QGuiApplication::primaryScreen()->devicePixelRatio();
}

bool isMapped(QWidget *window)
{
    return run(QStringLiteral("xwininfo -id %1").arg(window->winId())).contains("IsViewable");
}

// The whole window on the screen, frame included, once the window manager has framed it.
QRect outerGeometry(QWidget *window)
{
    const QString info = run(QStringLiteral("xwininfo -id %1").arg(window->winId()));
    auto field = [&info](const char *name) {
        static const QRegularExpression number(QStringLiteral(":\\s*(-?\\d+)"));
        const int at = info.indexOf(QLatin1String(name));
        return at < 0 ? 0 : number.match(info, at).captured(1).toInt();
    };
    const QRect client(field("Absolute upper-left X"), field("Absolute upper-left Y"),
                       field("Width"), field("Height"));
    QStringList extents = xproperty(window, "_NET_FRAME_EXTENTS")
                              .section(QLatin1Char('='), 1)
                              .split(QLatin1Char(','), Qt::SkipEmptyParts);
    // Not every manager tells a window without a frame that it has none.
    if (extents.size() != 4 && window->windowFlags().testFlag(Qt::FramelessWindowHint))
        extents = QStringList{"0", "0", "0", "0"};
    if (extents.size() != 4)
        return {};
    const QRect outer = client.adjusted(-extents[0].toInt(), -extents[2].toInt(),
                                        extents[1].toInt(), extents[3].toInt());
    const qreal ratio = scale();
    return QRect(qRound(outer.x() / ratio), qRound(outer.y() / ratio),
                 qRound(outer.width() / ratio), qRound(outer.height() / ratio));
}

// Active, and Qt knows where the window manager has put it: clicks land where Qt thinks.
bool isSettled(QWidget *window)
{
    const QRect outer = outerGeometry(window);
    const QRect known = window->geometry().marginsAdded(window->windowHandle()->frameMargins());
    // On a scaled desktop each edge may differ by the rounding of a pixel.
    const int slack = scale() == 1 ? 0 : 1;
    const auto near = [slack](int a, int b) { return qAbs(a - b) <= slack; };
    return isActive(window) && near(known.left(), outer.left()) && near(known.top(), outer.top()) &&
           near(known.right(), outer.right()) && near(known.bottom(), outer.bottom());
}

void clickAt(QWidget *control, QPoint at)
{
    const QPoint global = control->mapToGlobal(at) * scale();
    run(QStringLiteral("xdotool mousemove %1 %2 click 1").arg(global.x()).arg(global.y()));
}

void click(QWidget *control)
{
    clickAt(control, control->rect().center());
}

QImage onScreen(QWidget *control)
{
    const QPoint at = control->mapToGlobal(QPoint(0, 0));
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, at.x(), at.y(), control->width(), control->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

// The darkest grey of an image.
int darkest(const QImage &image)
{
    int darkest = 255;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            darkest = qMin(darkest, qGray(image.pixel(x, y)));
    return darkest;
}

// The upper half of a card button on the screen shows its picture as designed (the lower
// half may lie under the name dialog).
bool drawnAsDesigned(toolkit::GlyphButton *button)
{
    const QImage back = button->normalImage();
    const QImage shown = onScreen(button);
    const QPoint at((shown.width() - back.width()) / 2, (shown.height() - back.height()) / 2);
    for (int y = 0; y < shown.height() / 2; ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            const QPoint in = QPoint(x, y) - at;
            if (back.valid(in) && qAlpha(back.pixel(in)) == 255 &&
                back.pixel(in) != shown.pixel(x, y))
                return false;
        }
    }
    return true;
}

QMessageBox *errorBox()
{
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (widget->objectName() == QLatin1String("ErrorBox") && widget->isVisible())
            return qobject_cast<QMessageBox *>(widget);
    return nullptr;
}

} // namespace

class tst_Desktop : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void windowsOfTheGame_data();
    void windowsOfTheGame();
    void lastDealWithABadRanking();
    void looks();

private:
    // Shows the window and waits until the window manager has framed it and made it active;
    // then it must be centred on the screen, frame included, and must not have moved since it
    // was first mapped.
    void showFramedAndCentred(QWidget *window, const std::function<void()> &show);
    void judgeErrorBox(QMessageBox *box);

    TemporaryCurrentDir *m_dir = nullptr;
};

void tst_Desktop::initTestCase()
{
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    setUpApplication();
}

void tst_Desktop::init()
{
    m_dir = new TemporaryCurrentDir;
    copyDataFile("sys.dll");
}

void tst_Desktop::cleanup()
{
    stopGame();
    delete m_dir;
    m_dir = nullptr;
}

void tst_Desktop::showFramedAndCentred(QWidget *window, const std::function<void()> &show)
{
    show();
    QTRY_VERIFY_WITH_TIMEOUT(isMapped(window), Timeout);
    QRect first;
    QTRY_VERIFY_WITH_TIMEOUT(!(first = outerGeometry(window)).isEmpty(), Timeout);
    // Settled: active, and Qt knows the frame the window manager gave it.
    auto where = [window] {
        return QStringLiteral("active %1, at %2 for Qt, %3 on the screen")
            .arg(isActive(window))
            .arg(QDebug::toString(window->geometry()))
            .arg(QDebug::toString(outerGeometry(window)));
    };
    QTRY_VERIFY2_WITH_TIMEOUT(isSettled(window), qPrintable(where()), Timeout);
    const QRect settled = outerGeometry(window);
    QCOMPARE(settled, first);
    const QPoint offCentre = settled.center() - window->screen()->availableGeometry().center();
    QVERIFY2(offCentre.manhattanLength() <= 2,
             qPrintable(QStringLiteral("%1 is %2,%3 px off the screen's centre")
                            .arg(window->objectName())
                            .arg(offCentre.x())
                            .arg(offCentre.y())));
}

void tst_Desktop::windowsOfTheGame_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("dialog");
    QTest::newRow("card table") << "Form1" << false;
    QTest::newRow("name dialog") << "Form3" << true;
    QTest::newRow("About box") << "AboutBox" << true;
    QTest::newRow("hall of fame") << "Form7" << true;
    QTest::newRow("debt dialog") << "Form5" << true;
    QTest::newRow("new-game prompt") << "Form8" << true;
}

// Every window is centred, frame included, and stays where it was mapped, also when it is shown
// again at once. Dialogs are the window
// manager's dialogs of the card table in play: kept above it, minimised with it, off the task bar.
// (Under each manager, and scaled: catches a frame the manager was not asked for or never told,
// as KWin and fluxbox, and a frame taken in device pixels on a scaled desktop.)
void tst_Desktop::windowsOfTheGame()
{
    QFETCH(QString, name);
    QFETCH(bool, dialog);
    startGame();
    QWidget *const table = Form1;
    QTRY_VERIFY_WITH_TIMEOUT(isActive(table), Timeout);
    // Each window, and what shows it.
    const std::map<QString, std::pair<QWidget *, std::function<void()>>> windows = {
        {"Form1", {Form1, [] {}}},
        {"Form3", {Form3, [] { Form1->Button1->click(); }}},
        {"AboutBox", {AboutBox, [] { Form1->About1->trigger(); }}},
        {"Form7", {Form7, [] { Form1->Nowawpisy1->trigger(); }}},
        {"Form5", {Form5, [] { Form5->Timer1->setEnabled(true); }}},
        {"Form8", {Form8, [] { Form7->Timer7->setEnabled(true); }}},
    };
    QWidget *const window = windows.at(name).first;
    if (dialog) {
        // A new game (F2, as a player starts it) replaces the table; the dialog then belongs to
        // the new one.
        run(QStringLiteral("xdotool key F2"));
        QTRY_VERIFY_WITH_TIMEOUT(Form1 != table && isActive(Form1), Timeout);
    }
    showFramedAndCentred(window, windows.at(name).second);
    if (QTest::currentTestFailed())
        return;
    // Shown again at once, before the window manager has let go of it: mutter, metacity and
    // xfwm4 hand it back at its frame's corner.
    showFramedAndCentred(window, [window] {
        window->hide();
        window->show();
    });
    if (QTest::currentTestFailed())
        return;
    const QString type = xproperty(window, "_NET_WM_WINDOW_TYPE");
    QCOMPARE(type.contains(QLatin1String("_NET_WM_WINDOW_TYPE_DIALOG")), dialog);
    if (dialog) {
        const QString owner = QStringLiteral("# 0x%1").arg(Form1->winId(), 0, 16);
        QVERIFY(xproperty(window, "WM_TRANSIENT_FOR").trimmed().endsWith(owner));
        QVERIFY(isTopmost(window));
    }
    // Maximise, as openbox honours it, is offered by none but the sizeable hall of fame.
    if (qEnvironmentVariable("DESKTOP_WM") == QLatin1String("openbox")) {
        const QString actions = xproperty(window, "_NET_WM_ALLOWED_ACTIONS");
        QCOMPARE(actions.contains(QLatin1String("MAXIMIZE")), name == QLatin1String("Form7"));
    }
}

// A full game ends in a ranking whose first amount is not a number: the error box must come up
// above the hall of fame, centred on it and active, and give the focus back to it when closed
// (xfwm4 gave it to the disabled table). On the way, the name dialog must get the focus back when
// the table it disabled is minimised and restored (xfwm4 and fluxbox left it on the table), and
// the looks of controls in a window disabled by a dialog are checked on the screen.
void tst_Desktop::lastDealWithABadRanking()
{
    QByteArray file = startingScoreFile();
    file.replace(0, file.indexOf("\r\n"), "abc");
    writeFile(QStringLiteral("sys.dll"), file);
    startGame();
    QTRY_VERIFY_WITH_TIMEOUT(isSettled(Form1), Timeout);
    Form1->licz->setText(QStringLiteral("1"));

    // "Tak": the name dialog opens over the disabled table while the cards are shuffled, centred
    // with the frame the manager draws (metacity and mutter first say a dialog has none).
    showFramedAndCentred(Form3, [] { click(Form1->Label4); });
    if (QTest::currentTestFailed())
        return;
    QTRY_VERIFY_WITH_TIMEOUT(Form1->SpeedButton7->isEnabledTo(Form1) && !Form1->Timer4->enabled(),
                             Timeout);
    // The card backs and "Zmień imię" are enabled buttons in a window disabled by the dialog: they
    // keep their looks (the card backs are not embossed grey, the button's text stays black).
    // Judged pixel for pixel, on the unscaled openbox desktop (other managers' shadows fall on
    // the table).
    if (scale() == 1 && qEnvironmentVariable("DESKTOP_WM") == QLatin1String("openbox")) {
        QTRY_VERIFY2_WITH_TIMEOUT(drawnAsDesigned(Form1->SpeedButton7),
                                  "the card backs look disabled", Timeout);
        QTRY_VERIFY2_WITH_TIMEOUT(darkest(onScreen(Form1->Button1)) < 64,
                                  "'Zmień imię' looks disabled behind the dialog", Timeout);
        // "Zatwierdź" is disabled: no pixel of its face in the enabled text colour (black).
        QTRY_VERIFY2_WITH_TIMEOUT(darkest(onScreen(Form3->Button2).copy(6, 6, 61, 13)) > 64,
                                  "the disabled 'Zatwierdź' looks enabled", Timeout);
    }

    // Minimised, and restored as a task bar does it.
    run(QStringLiteral("xdotool windowminimize %1").arg(Form1->winId()));
    auto minimised = [] {
        return xproperty(Form1, "_NET_WM_STATE").contains(QLatin1String("_NET_WM_STATE_HIDDEN"));
    };
    QTRY_VERIFY_WITH_TIMEOUT(minimised(), Timeout);
    run(QStringLiteral("xdotool windowactivate %1").arg(Form1->winId()));
    QTRY_VERIFY_WITH_TIMEOUT(!minimised() && isMapped(Form1) && isMapped(Form3), Timeout);
    QTRY_VERIFY2_WITH_TIMEOUT(isActive(Form3), "the name dialog did not get the focus back",
                              Timeout);

    run(QStringLiteral("xdotool type Ala"));
    run(QStringLiteral("xdotool key Return"));
    QTRY_VERIFY_WITH_TIMEOUT(!Form3->isVisible() && Form1->isEnabled() && isActive(Form1), Timeout);

    // The last deal: the ranking fails on "abc". The box runs its own message loop, so it is
    // judged from a timer inside that loop, and closed with Enter as a player would.
    bool judged = false;
    QTimer watch;
    connect(&watch, &QTimer::timeout, this, [this, &judged, &watch] {
        if (!errorBox())
            return;
        watch.stop();
        judgeErrorBox(errorBox());
        judged = true;
        run(QStringLiteral("xdotool key Return"));
    });
    watch.start(20);
    clickAt(Form1->SpeedButton1, QPoint(48, 64));
    QTRY_VERIFY_WITH_TIMEOUT(judged, Timeout);
    QTRY_VERIFY_WITH_TIMEOUT(!errorBox(), Timeout);
    QTRY_VERIFY2_WITH_TIMEOUT(isActive(Form7), "the hall of fame is not active again", Timeout);
}

void tst_Desktop::judgeErrorBox(QMessageBox *box)
{
    QTRY_VERIFY_WITH_TIMEOUT(isMapped(box) && Form7->isVisible(), Timeout);
    QTRY_VERIFY2_WITH_TIMEOUT(isTopmost(box), "the error box is not the topmost window", Timeout);
    QTRY_VERIFY2_WITH_TIMEOUT(isActive(box), "the error box does not hold the focus", Timeout);
    QTRY_VERIFY_WITH_TIMEOUT(!outerGeometry(Form7).isEmpty() && !outerGeometry(box).isEmpty(),
                             Timeout);
    const QPoint offCentre = outerGeometry(box).center() - outerGeometry(Form7).center();
    QVERIFY2(offCentre.manhattanLength() <= 2, "the error box is not centred on the hall of fame");
}

// The selected radio button's dot stands out from its white circle.
bool dotShows(QRadioButton *radio)
{
    QStyleOptionButton option;
    option.initFrom(radio);
    const QRect indicator =
        radio->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &option, radio);
    const QImage shown = onScreen(radio);
    return qGray(shown.pixel(indicator.center())) < 128 && radio->isChecked();
}

// Pictures are stretched pixel for pixel, radio buttons' dots show on both table colours, the
// About box's panel has a lowered outer and a raised inner bevel, disabled edit boxes are legible.
void tst_Desktop::looks()
{
    if (scale() != 1)
        QSKIP("the pictures are compared pixel for pixel on an unscaled desktop");
    startGame();
    QTRY_VERIFY_WITH_TIMEOUT(isSettled(Form1), Timeout);
    auto onlyPictureColours = [] {
        QSet<QRgb> colours;
        const QImage face = Form1->Image1->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < face.height(); ++y)
            for (int x = 0; x < face.width(); ++x)
                colours.insert(face.pixel(x, y));
        const QImage shown = onScreen(Form1->Image1);
        for (int y = 0; y < shown.height(); ++y) {
            for (int x = 0; x < shown.width(); ++x)
                if (!colours.contains(shown.pixel(x, y)))
                    return false;
        }
        return true;
    };
    QTRY_VERIFY2_WITH_TIMEOUT(onlyPictureColours(), "the face is smoothed", Timeout);

    QTRY_VERIFY2_WITH_TIMEOUT(dotShows(Form1->RadioButton1), "no dot on teal", Timeout);
    click(Form1->RadioButton2);
    QTRY_VERIFY2_WITH_TIMEOUT(dotShows(Form1->RadioButton2), "no dot on grey", Timeout);

    Form1->About1->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(isSettled(AboutBox), Timeout);
    auto bevels = [] {
        const QImage panel = onScreen(AboutBox->Panel1);
        const int y = panel.height() / 2;
        const int right = panel.width() - 1;
        return qGray(panel.pixel(0, y)) < qGray(panel.pixel(1, y)) &&
               qGray(panel.pixel(right, y)) > qGray(panel.pixel(right - 1, y));
    };
    QTRY_VERIFY2_WITH_TIMEOUT(bevels(), "not a lowered outer and a raised inner bevel", Timeout);

    // The hall of fame's disabled boxes keep their black text.
    Form1->Nowawpisy1->trigger();
    QTRY_VERIFY2_WITH_TIMEOUT(isSettled(Form7) && darkest(onScreen(Form7->Edit3)) < 64,
                              "the hall of fame's names are greyed", Timeout);
}

QTEST_MAIN(tst_Desktop)
#include "tst_desktop.moc"
