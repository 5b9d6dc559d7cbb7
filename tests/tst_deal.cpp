// The deal on the card table: accepting the game, the shuffle, the pick and its settlement, and
// "OK" that starts the next deal, played through the table's own controls.

#include "game/Unit1.h"
#include "game/Unit3.h"
#include "game/Unit5.h"
#include "game/Unit7.h"
#include "support/TestSupport.h"
#include "toolkit/ClickLabel.h"
#include "toolkit/GlyphButton.h"
#include "toolkit/Timer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QSet>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace testsupport;

namespace {

enum Arrangement { A, B, C };

// The card buttons of each arrangement, slot 1 first, as indexes of TForm1::cardButtons().
const int arrangementButtons[3][3] = {{6, 7, 8}, {3, 4, 5}, {0, 1, 2}};
const QPoint slotPlaces[3] = {QPoint(48, 32), QPoint(184, 32), QPoint(320, 32)};
const QPoint resultPlace(180, 175);
const QSize cardSize(97, 129);

int arrangementOf(int button)
{
    return button < 3 ? C : button < 6 ? B : A;
}

// The arrangement whose three card buttons are visible while the other six are hidden, or -1.
// The black card lies under it at the slot of the same number: A at slot 1, B at 2, C at 3.
int shownArrangement()
{
    const auto buttons = Form1->cardButtons();
    for (const int shown : {A, B, C}) {
        bool exactly = true;
        for (int i = 0; i < 9; ++i)
            exactly = exactly && buttons[i]->isVisible() == (arrangementOf(i) == shown);
        if (exactly)
            return shown;
    }
    return -1;
}

int slotAt(QPoint place)
{
    for (int slot = 0; slot < 3; ++slot)
        if (slotPlaces[slot] == place)
            return slot;
    return -1;
}

QString describe(QPoint place)
{
    return QStringLiteral("%1,%2").arg(place.x()).arg(place.y());
}

// A player's click at the middle of a slot, wherever the window sends it.
void clickSlot(int slot)
{
    clickThroughWindow(Form1->centralwidget,
                       slotPlaces[slot] + QPoint(cardSize.width() / 2, cardSize.height() / 2));
}

// How many pixels of a card button's picture are something other than the button face or the
// shadow and highlight of the disabled look's embossing, and how many are the shadow. The system's
// colours are taken from the active colour group or from the disabled one.
struct Look {
    int foreign = 0;
    int shadow = 0;
};

Look lookOf(toolkit::GlyphButton *button)
{
    const QImage image = button->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QPalette &palette = button->palette();
    QSet<QRgb> faces;
    QSet<QRgb> lights;
    QSet<QRgb> shadows;
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Disabled}) {
        faces.insert(palette.color(group, QPalette::Button).rgb());
        lights.insert(palette.color(group, QPalette::Light).rgb());
        shadows.insert(palette.color(group, QPalette::Dark).rgb());
    }
    Look look;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (shadows.contains(pixel))
                ++look.shadow;
            else if (!faces.contains(pixel) && !lights.contains(pixel))
                ++look.foreign;
        }
    }
    return look;
}

// The disabled look: an embossed grey card whose shadow covers the card back's black field.
bool drawnDisabled(const Look &look)
{
    return look.foreign == 0 && look.shadow > cardSize.width() * cardSize.height() / 4;
}

// The table right after "Tak".
void checkGameAccepted()
{
    QVERIFY2(Form3->isVisible(), "the name dialog must open");
    QVERIFY2(!Form1->isEnabled(), "the table must be disabled behind the name dialog");
    QVERIFY2(Form1->Button2->isVisible(), "\"OK\" must be shown");
    QVERIFY2(!Form1->Button2->isEnabled(), "\"OK\" must stay disabled until a pick");
    QVERIFY(!Form1->Label3->isVisible());
    QVERIFY2(!Form1->Label4->isVisible() && !Form1->Label5->isVisible(),
             "\"Tak\" and \"Nie\" must be hidden");
    for (QLabel *face : {Form1->Image1, Form1->Image2, Form1->Image3}) {
        QVERIFY2(!face->isVisible(), qPrintable(face->objectName() + " must be hidden"));
        QCOMPARE(face->pos(), resultPlace);
    }
    QVERIFY(Form1->Image4->isVisible());
    QVERIFY(Form1->Timer1->enabled());
    QVERIFY(!Form1->Timer2->enabled());
    QVERIFY(!Form1->Timer3->enabled());
    QVERIFY(Form1->Timer4->enabled());
}

// The table right after "OK".
void checkNextDealStarted()
{
    for (auto *button : Form1->cardButtons())
        QVERIFY2(!button->isEnabled(), qPrintable(button->objectName() + " must be disabled"));
    for (QLabel *hidden :
         std::initializer_list<QLabel *>{Form1->Label1, Form1->Label2, Form1->Image5, Form1->Image6,
                                         Form1->Image1, Form1->Image2, Form1->Image3})
        QVERIFY2(!hidden->isVisible(), qPrintable(hidden->objectName() + " must be hidden"));
    QVERIFY2(Form1->Image4->isVisible(), "the calm dealer must be back");
    QVERIFY2(!Form1->Button2->isEnabled(), "\"OK\" must be disabled during the shuffle");
    QVERIFY(Form1->Timer4->enabled());
    QVERIFY2(Form1->Timer1->enabled() != Form1->Timer2->enabled(),
             "one step, to A or to B, must be under way");
    QVERIFY(!Form1->Timer3->enabled());
}

// The two sounds are short WAV files in the device's own format (16-bit stereo at 44.1 kHz), every
// sample at a level of its own, so that what SDL's disk driver wrote tells which one played.
constexpr qint16 pickLevel = 1111;
constexpr qint16 endLevel = 2222;
constexpr int soundFrames = 44100 * 40 / 1000;

QByteArray levelWave(qint16 level)
{
    QByteArray samples;
    for (int i = 0; i < soundFrames * 2; ++i)
        samples.append(char(level & 0xff)).append(char((level >> 8) & 0xff));
    return pcmWave(2, 44100, 16, samples);
}

} // namespace

class tst_Deal : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void acceptingTheGame();
    void shuffle_data();
    void shuffle();
    void pick_data();
    void pick();
    void firstDealPick();
    void stakeIsReadAtThePick();
    void debt_data();
    void debt();
    void lastDeal_data();
    void lastDeal();
    void nextDeal_data();
    void nextDeal();

private:
    void acceptAndConfirm();
    void waitForShuffleEnd();
    void dealReady(int arrangement);
    void pressOk();
    QString heard() const;
    void forgetHeard() const;

    QTemporaryDir m_soundDir;
    QString m_soundFile;
    std::unique_ptr<TemporaryCurrentDir> m_dir;
    std::unique_ptr<ErrorBoxWatcher> m_errors;
};

void tst_Deal::initTestCase()
{
    QVERIFY(m_soundDir.isValid());
    m_soundFile = m_soundDir.filePath(QStringLiteral("sdlaudio.raw"));
    // SDL's disk driver writes every sound the game plays to a file, where the test hears it.
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(m_soundFile));
    setUpApplication();
}

void tst_Deal::init()
{
    m_dir = std::make_unique<TemporaryCurrentDir>();
    copyDataFile(QStringLiteral("sys.dll"));
    writeFile(QStringLiteral("C"), levelWave(pickLevel));
    writeFile(QStringLiteral("T"), levelWave(endLevel));
    m_errors = std::make_unique<ErrorBoxWatcher>();
    startGame();
    QVERIFY(Form1->isEnabled());
}

void tst_Deal::cleanup()
{
    stopGame();
    QStringList texts;
    for (const ErrorBoxWatcher::Box &box : m_errors->boxes)
        texts.append(box.text);
    m_errors.reset();
    m_dir.reset();
    QVERIFY2(texts.isEmpty(), qPrintable(QStringLiteral("error boxes: ") + texts.join(" | ")));
}

// Which of the game's sounds was played last, "C" or "T"; otherwise what the driver wrote.
QString tst_Deal::heard() const
{
    QFile file(m_soundFile);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray raw = file.readAll();
    int pick = 0;
    int end = 0;
    for (qsizetype i = 0; i + 1 < raw.size(); i += 2) {
        const qint16 sample = qint16(quint8(raw[i]) | (quint8(raw[i + 1]) << 8));
        pick += sample == pickLevel;
        end += sample == endLevel;
    }
    const int whole = soundFrames * 2 * 9 / 10;
    if (pick >= whole && end == 0)
        return QStringLiteral("C");
    if (end >= whole && pick == 0)
        return QStringLiteral("T");
    return QStringLiteral("%1 pick and %2 end samples").arg(pick).arg(end);
}

void tst_Deal::forgetHeard() const
{
    QFile::remove(m_soundFile);
}

// "Tak", and the name confirmed at once.
void tst_Deal::acceptAndConfirm()
{
    clickThroughWindow(Form1->Label4);
    QVERIFY2(Form3->isVisible(), "\"Tak\" must open the name dialog");
    QTest::keyClicks(Form3->Edit, QStringLiteral("Gracz"));
    QTest::mouseClick(Form3->Button2, Qt::LeftButton);
    QVERIFY(!Form3->isVisible());
    QVERIFY(Form1->isEnabled());
}

void tst_Deal::waitForShuffleEnd()
{
    QTRY_VERIFY_WITH_TIMEOUT(!Form1->Timer4->enabled(), 3000);
}

// The first deal waiting for a pick over the given arrangement. The shuffle is cut short: its end
// runs at once, and the given arrangement is made the one it left.
void tst_Deal::dealReady(int arrangement)
{
    acceptAndConfirm();
    if (QTest::currentTestFailed())
        return;
    Form1->Timer4Timer();
    QVERIFY(!Form1->Timer1->enabled() && !Form1->Timer4->enabled());
    const auto buttons = Form1->cardButtons();
    for (int i = 0; i < 9; ++i)
        buttons[i]->setVisible(arrangementOf(i) == arrangement);
    QCOMPARE(shownArrangement(), arrangement);
}

void tst_Deal::pressOk()
{
    QVERIFY(Form1->Button2->isVisible());
    QVERIFY2(Form1->Button2->isEnabled(), "\"OK\" must be enabled after a pick");
    QTest::mouseClick(Form1->Button2, Qt::LeftButton);
}

void tst_Deal::acceptingTheGame()
{
    QVERIFY(!Form1->Button2->isVisible());
    // The table is read the moment "Tak" has been handled, before the first step is due.
    bool handled = false;
    connect(Form1->Label4, &toolkit::ClickLabel::clicked, this, [&handled] {
        handled = true;
        checkGameAccepted();
    });
    clickThroughWindow(Form1->Label4);
    QVERIFY2(handled, "\"Tak\" must take the click");
    QVERIFY2(Form3->isVisible(), "the name dialog must open");
    QVERIFY2(!Form1->isEnabled(), "the table must be disabled behind the name dialog");
    QCOMPARE(Form1->kasa->text(), QStringLiteral("2000"));
    QCOMPARE(Form1->licz->text(), QStringLiteral("60"));
}

void tst_Deal::shuffle_data()
{
    QTest::addColumn<bool>("afterOk");
    QTest::addColumn<int>("shuffles");
    QTest::addColumn<QString>("heldBit"); // empty: the toss bit runs
    QTest::newRow("first deal, behind the name dialog") << false << 1 << QString();
    QTest::newRow("deals started with OK") << true << 3 << QString();
    QTest::newRow("toss bit held at 0") << true << 1 << "0";
    QTest::newRow("toss bit held at 1") << true << 1 << "1";
}

void tst_Deal::shuffle()
{
    QFETCH(bool, afterOk);
    QFETCH(int, shuffles);
    QFETCH(QString, heldBit);
    if (afterOk) {
        acceptAndConfirm();
        if (QTest::currentTestFailed())
            return;
        waitForShuffleEnd();
    }
    const auto buttons = Form1->cardButtons();
    for (int round = 0; round < shuffles; ++round) {
        if (!heldBit.isEmpty()) {
            Form1->Timer5->setEnabled(false);
            setTextOf(Form1->Edit1, heldBit);
        }
        // Each tick notes the toss bit and which of Timer1..Timer4 are on after its handler.
        TickRecorder recorder([] {
            QString note = textOf(Form1->Edit1);
            for (const toolkit::Timer *timer :
                 {Form1->Timer1, Form1->Timer2, Form1->Timer3, Form1->Timer4})
                note += timer->enabled() ? u'1' : u'0';
            return note;
        });
        if (afterOk) {
            clickSlot(0);
            pressOk();
            if (QTest::currentTestFailed())
                return;
        } else {
            clickThroughWindow(Form1->Label4);
        }
        QSet<int> seen;
        QElapsedTimer clock;
        clock.start();
        while (Form1->Timer4->enabled()) {
            if (Form1->Image1->isVisible()) {
                const int shown = shownArrangement();
                QVERIFY2(shown >= 0, "exactly one arrangement must be shown with the black face");
                QVERIFY2(slotAt(Form1->Image1->pos()) == shown,
                         qPrintable(QStringLiteral("black face at %1 over arrangement %2")
                                        .arg(describe(Form1->Image1->pos()))
                                        .arg(QChar('A' + shown))));
                seen.insert(shown);
            }
            QVERIFY2(clock.elapsed() < 3000, "the shuffle must end");
            QTest::qWait(2);
        }
        QVERIFY2(seen.size() >= 2, "the black card must move between slots during the shuffle");

        QVERIFY(!Form1->Timer1->enabled());
        QVERIFY(!Form1->Timer2->enabled());
        QVERIFY(!Form1->Timer3->enabled());
        for (auto *button : buttons)
            QVERIFY2(button->isEnabledTo(Form1),
                     qPrintable(button->objectName() + " must be enabled"));
        QVERIFY2(!Form1->Image1->isVisible(), "the black face must be hidden for the pick");
        QCOMPARE(Form1->Image1->pos(), resultPlace);
        const int shown = shownArrangement();
        QVERIFY2(shown >= 0, "one arrangement must be left for the pick");

        // No step may run after the end: three show-timer ticks (over three step intervals)
        // later the table is unchanged.
        QVERIFY(waitForTicks(recorder, QStringLiteral("TForm11.Timer1"), 3));
        QCOMPARE(shownArrangement(), shown);
        QVERIFY(!Form1->Image1->isVisible());
        QCOMPARE(Form1->Image1->pos(), resultPlace);
        QVERIFY(!Form1->Timer1->enabled() && !Form1->Timer2->enabled() &&
                !Form1->Timer3->enabled() && !Form1->Timer4->enabled());

        // Every step took its branch: a step to A or C goes on by the toss bit, a step to B leaves
        // both others running. The toss bit flips at each tick of its own, and nothing steps
        // after the end.
        QStringList order;
        QChar lastToss;
        bool ended = false;
        for (const TickRecorder::Tick &tick : recorder.ticks) {
            order << tick.timer + u' ' + tick.note;
            const QChar bit = tick.note[0];
            auto on = [&tick](int timer) { return tick.note[timer] == u'1'; };
            bool ok = true;
            if (tick.timer == u"TForm1.Timer1")
                ok = !ended && !on(1) && on(bit == u'0' ? 2 : 3);
            else if (tick.timer == u"TForm1.Timer2")
                ok = !ended && on(1) && !on(2) && on(3);
            else if (tick.timer == u"TForm1.Timer3")
                ok = !ended && !on(3) && on(bit == u'0' ? 1 : 2);
            else if (tick.timer == u"TForm1.Timer4")
                ok = !ended && tick.note.mid(1) == u"0000";
            else if (tick.timer == u"TForm1.Timer5")
                ok = bit != lastToss;
            ended = ended || tick.timer == u"TForm1.Timer4";
            lastToss = tick.timer == u"TForm1.Timer5" ? bit : lastToss;
            QVERIFY2(ok, qPrintable(QStringLiteral("tick %1 of: ").arg(order.size()) +
                                    order.join(u", ")));
        }
        QVERIFY2(ended, "the end of the shuffle must tick");
        QVERIFY2(heldBit.isEmpty() == !lastToss.isNull(), "the toss bit must flip while it runs");
    }
}

void tst_Deal::pick_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("arrangement");
    QTest::addColumn<int>("slot");
    QTest::addColumn<bool>("win");
    QTest::addColumn<int>("face");
    QTest::newRow("SpeedButton1") << 1 << int(C) << 1 << false << 2;
    QTest::newRow("SpeedButton2") << 2 << int(C) << 2 << false << 3;
    QTest::newRow("SpeedButton3") << 3 << int(C) << 3 << true << 1;
    QTest::newRow("SpeedButton4") << 4 << int(B) << 1 << false << 3;
    QTest::newRow("SpeedButton5") << 5 << int(B) << 2 << true << 1;
    QTest::newRow("SpeedButton6") << 6 << int(B) << 3 << false << 2;
    QTest::newRow("SpeedButton7") << 7 << int(A) << 1 << true << 1;
    QTest::newRow("SpeedButton8") << 8 << int(A) << 2 << false << 2;
    QTest::newRow("SpeedButton9") << 9 << int(A) << 3 << false << 3;
}

void tst_Deal::pick()
{
    QFETCH(int, button);
    QFETCH(int, arrangement);
    QFETCH(int, slot);
    QFETCH(bool, win);
    QFETCH(int, face);
    dealReady(arrangement);
    if (QTest::currentTestFailed())
        return;
    const auto buttons = Form1->cardButtons();
    forgetHeard();

    clickSlot(slot - 1);

    QCOMPARE(Form1->kasa->text(), win ? QStringLiteral("2100") : QStringLiteral("1900"));
    QCOMPARE(Form1->licz->text(), QStringLiteral("59"));
    QCOMPARE(heard(), QStringLiteral("C"));
    toolkit::GlyphButton *picked = buttons[button - 1];
    QVERIFY2(!picked->isVisible(), "the picked card must be hidden");
    for (int i = 0; i < 9; ++i) {
        if (i == button - 1)
            continue;
        const bool ofPicked = arrangementOf(i) == arrangement;
        QVERIFY2(buttons[i]->isEnabled() != ofPicked,
                 qPrintable(buttons[i]->objectName() +
                            (ofPicked ? " must be disabled" : " must stay enabled")));
        QCOMPARE(buttons[i]->isVisible(), ofPicked);
    }
    QLabel *const faces[3] = {Form1->Image1, Form1->Image2, Form1->Image3};
    for (int i = 0; i < 3; ++i)
        QCOMPARE(faces[i]->isVisible(), i + 1 == face);
    QCOMPARE(faces[face - 1]->pos(), resultPlace);
    QVERIFY2(!Form1->Image4->isVisible(), "the calm dealer must be hidden");
    QCOMPARE(Form1->Image5->isVisible(), win);
    QCOMPARE(Form1->Image6->isVisible(), !win);
    QCOMPARE(Form1->Label1->isVisible(), win);
    QCOMPARE(Form1->Label2->isVisible(), !win);
    QCOMPARE(Form1->Label1->text(), QStringLiteral("Cholera!!"));
    QCOMPARE(Form1->Label2->text(), QStringLiteral("Nie czarna!"));
    QVERIFY2(Form1->Button2->isEnabled(), "\"OK\" must be enabled");
    QVERIFY(!Form1->Timer1->enabled() && !Form1->Timer2->enabled() && !Form1->Timer3->enabled() &&
            !Form1->Timer4->enabled());
    QVERIFY(!Form5->Timer1->enabled());
    QVERIFY(!Form7->Timer1->enabled());

    // The picked arrangement's other two cards take no further pick.
    for (int other = 0; other < 3; ++other) {
        if (other == slot - 1)
            continue;
        clickSlot(other);
        QCOMPARE(Form1->kasa->text(), win ? QStringLiteral("2100") : QStringLiteral("1900"));
        QCOMPARE(Form1->licz->text(), QStringLiteral("59"));
    }
}

void tst_Deal::firstDealPick()
{
    clickThroughWindow(Form1->Label4);
    QTRY_VERIFY_WITH_TIMEOUT(Form1->Image1->isVisible(), 1000);
    // Behind the open name dialog no card can be picked.
    clickSlot((slotAt(Form1->Image1->pos()) + 1) % 3);
    QCOMPARE(Form1->licz->text(), QStringLiteral("60"));
    QVERIFY(!Form1->Button2->isEnabled());

    QTest::keyClicks(Form3->Edit, QStringLiteral("Gracz"));
    QTest::mouseClick(Form3->Button2, Qt::LeftButton);
    QVERIFY(Form1->isEnabled());
    QVERIFY2(Form1->Timer4->enabled(), "the name must be confirmed before the shuffle ends");

    // The black face lies over the black card and takes the click there.
    QVERIFY(Form1->Image1->isVisible());
    const int black = slotAt(Form1->Image1->pos());
    QVERIFY2(black >= 0 && black == shownArrangement(),
             "the black face must lie over the shown arrangement's black card");
    clickSlot(black);
    QCOMPARE(Form1->kasa->text(), QStringLiteral("2000"));
    QCOMPARE(Form1->licz->text(), QStringLiteral("60"));
    QVERIFY2(!Form1->Button2->isEnabled(), "a click on the black face must not pick");
    QVERIFY(!Form1->Image5->isVisible() && !Form1->Image6->isVisible());
    QVERIFY(Form1->Timer4->enabled());

    // A red card can be picked before the end of the shuffle; read the table afresh, a step may
    // have run since.
    QVERIFY(Form1->Image1->isVisible());
    const int shown = slotAt(Form1->Image1->pos());
    QCOMPARE(shownArrangement(), shown);
    const int red = (shown + 1) % 3;
    toolkit::GlyphButton *picked = Form1->cardButtons()[arrangementButtons[shown][red]];
    clickSlot(red);
    QCOMPARE(Form1->kasa->text(), QStringLiteral("1900"));
    QCOMPARE(Form1->licz->text(), QStringLiteral("59"));
    QVERIFY(!picked->isVisible());
    QVERIFY(Form1->Image6->isVisible());
    QVERIFY(Form1->Label2->isVisible());
    QVERIFY(Form1->Button2->isEnabled());
    QVERIFY2(!Form1->Timer1->enabled() && !Form1->Timer2->enabled() && !Form1->Timer3->enabled(),
             "the pick must stop the shuffle steps");
    QVERIFY2(Form1->Timer4->enabled(), "the pick leaves the end of the shuffle to come");

    waitForShuffleEnd();
    for (auto *button : Form1->cardButtons())
        QVERIFY2(button->isEnabled(), qPrintable(button->objectName() + " must be enabled"));
    QVERIFY(!Form1->Image1->isVisible());
    QCOMPARE(Form1->Image1->pos(), resultPlace);
    QVERIFY(!picked->isVisible());
    QVERIFY(Form1->Image6->isVisible());
    QVERIFY(Form1->Button2->isEnabled());
    for (int slot = 0; slot < 3; ++slot)
        QCOMPARE(Form1->cardButtons()[arrangementButtons[shown][slot]]->isVisible(), slot != red);
}

void tst_Deal::stakeIsReadAtThePick()
{
    acceptAndConfirm();
    if (QTest::currentTestFailed())
        return;
    waitForShuffleEnd();
    clickSlot(0);
    pressOk();
    if (QTest::currentTestFailed())
        return;
    const int money = Form1->kasa->text().toInt();

    Form1->stawka->setFocus();
    QTest::keyClick(Form1->stawka, Qt::Key_Up);
    QTest::keyClick(Form1->stawka, Qt::Key_Up);
    QCOMPARE(Form1->stawka->text(), QStringLiteral("200"));
    waitForShuffleEnd();
    const int shown = shownArrangement();
    QVERIFY(shown >= 0);
    clickSlot(shown);
    QCOMPARE(Form1->kasa->text(), QString::number(money + 200));
    QVERIFY(Form1->Label1->isVisible());
}

void tst_Deal::debt_data()
{
    QTest::addColumn<QString>("money");
    QTest::addColumn<int>("raises");
    QTest::addColumn<bool>("win");
    QTest::addColumn<QString>("left");
    QTest::addColumn<bool>("debt");
    QTest::newRow("loss into debt") << "100" << 1 << false << "-50" << true;
    QTest::newRow("loss to exactly nothing") << "100" << 0 << false << "0" << false;
    QTest::newRow("win still in debt") << "-500" << 0 << true << "-400" << true;
    QTest::newRow("win out of debt") << "-50" << 0 << true << "50" << false;
}

void tst_Deal::debt()
{
    QFETCH(QString, money);
    QFETCH(int, raises);
    QFETCH(bool, win);
    QFETCH(QString, left);
    QFETCH(bool, debt);
    dealReady(B);
    if (QTest::currentTestFailed())
        return;
    Form1->kasa->setText(money);
    Form1->stawka->setFocus();
    for (int i = 0; i < raises; ++i)
        QTest::keyClick(Form1->stawka, Qt::Key_Up);

    clickSlot(win ? 1 : 2);

    QCOMPARE(Form1->kasa->text(), left);
    QCOMPARE(Form1->Label1->isVisible(), win);
    // The debt dialog's timer runs 10 ms, which the repaint after the pick may already have taken.
    QCOMPARE(Form5->Timer1->enabled() || Form5->isVisible(), debt);
    QVERIFY(!Form7->Timer1->enabled());
    if (debt) {
        QTRY_VERIFY_WITH_TIMEOUT(Form5->isVisible(), 1000);
        QVERIFY2(!Form1->isEnabled(), "the debt dialog must disable the table");
        QVERIFY(!Form5->Timer1->enabled());
    } else {
        QVERIFY(Form1->isEnabled());
    }
}

void tst_Deal::lastDeal_data()
{
    QTest::addColumn<QString>("money");
    QTest::addColumn<QString>("left");
    QTest::addColumn<bool>("debt");
    QTest::newRow("money left") << "2000"
                                << "1900" << false;
    QTest::newRow("money gone") << "100"
                                << "0" << false;
    QTest::newRow("in debt") << "50"
                             << "-50" << true;
}

void tst_Deal::lastDeal()
{
    QFETCH(QString, money);
    QFETCH(QString, left);
    QFETCH(bool, debt);
    dealReady(C);
    if (QTest::currentTestFailed())
        return;
    Form1->kasa->setText(money);
    Form1->licz->setText(QStringLiteral("1"));
    forgetHeard();

    clickSlot(0);

    QCOMPARE(Form1->licz->text(), QStringLiteral("0"));
    QCOMPARE(Form1->kasa->text(), left);
    QVERIFY2(Form7->Timer1->enabled() || Form7->isVisible(),
             "the last deal must hand over to the hall of fame");
    QCOMPARE(Form5->Timer1->enabled() || Form5->isVisible(), debt);
    QTRY_VERIFY_WITH_TIMEOUT(Form7->isVisible(), 2000);
    QCOMPARE(heard(), QStringLiteral("T"));
    QVERIFY(!Form1->isEnabled());
    if (debt)
        QTRY_VERIFY_WITH_TIMEOUT(Form5->isVisible(), 1000);
    else
        QVERIFY(!Form5->isVisible() && !Form5->Timer1->enabled());
}

void tst_Deal::nextDeal_data()
{
    QTest::addColumn<bool>("byKey");
    QTest::newRow("OK clicked") << false;
    QTest::newRow("Alt+O") << true;
}

void tst_Deal::nextDeal()
{
    QFETCH(bool, byKey);
    acceptAndConfirm();
    if (QTest::currentTestFailed())
        return;
    waitForShuffleEnd();
    const auto buttons = Form1->cardButtons();
    const int shown = shownArrangement();
    QVERIFY(shown >= 0);
    const Look enabledLook = lookOf(buttons[arrangementButtons[shown][0]]);
    QVERIFY2(enabledLook.foreign > 1000, "an enabled card shows its picture");
    clickSlot(shown);
    QVERIFY(Form1->Label1->isVisible() && Form1->Image5->isVisible());
    const QString money = Form1->kasa->text();
    const QString dealsLeft = Form1->licz->text();

    // The table is read the moment "OK" has been handled, before the first step is due.
    bool handled = false;
    connect(Form1->Button2, &QPushButton::clicked, this, [&handled] {
        handled = true;
        checkNextDealStarted();
    });
    if (byKey) {
        toolkit::makeActive(Form1);
        QVERIFY(QTest::qWaitFor(
            [] { return QGuiApplication::focusWindow() == Form1->windowHandle(); }));
        // The access key presses the button and releases it a moment later.
        QTest::keyClick(Form1, Qt::Key_O, Qt::AltModifier);
        QVERIFY2(QTest::qWaitFor([&handled] { return handled; }, 1000), "Alt+O must press \"OK\"");
    } else {
        QTest::mouseClick(Form1->Button2, Qt::LeftButton);
        QVERIFY(handled);
    }
    if (QTest::currentTestFailed())
        return;
    for (int slot = 0; slot < 3; ++slot) {
        toolkit::GlyphButton *button = buttons[arrangementButtons[shown][slot]];
        if (!button->isVisible())
            continue;
        const Look look = lookOf(button);
        QVERIFY2(
            drawnDisabled(look),
            qPrintable(QStringLiteral("%1 must be drawn disabled (%2 foreign, %3 shadow pixels)")
                           .arg(button->objectName())
                           .arg(look.foreign)
                           .arg(look.shadow)));
    }

    // During the shuffle the cards are drawn disabled and take no click.
    QTRY_VERIFY_WITH_TIMEOUT(Form1->Image1->isVisible(), 1000);
    const int stepShown = shownArrangement();
    QVERIFY(stepShown >= 0);
    for (int slot = 0; slot < 3; ++slot) {
        toolkit::GlyphButton *button = buttons[arrangementButtons[stepShown][slot]];
        const Look look = lookOf(button);
        QVERIFY2(
            drawnDisabled(look),
            qPrintable(QStringLiteral("%1 must be drawn disabled (%2 foreign, %3 shadow pixels)")
                           .arg(button->objectName())
                           .arg(look.foreign)
                           .arg(look.shadow)));
    }
    for (int slot = 0; slot < 3; ++slot) {
        clickSlot(slot);
        QCOMPARE(Form1->kasa->text(), money);
        QCOMPARE(Form1->licz->text(), dealsLeft);
        QVERIFY(!Form1->Button2->isEnabled());
        QVERIFY(!Form1->Label1->isVisible() && !Form1->Label2->isVisible());
    }
    QVERIFY2(Form1->Timer4->enabled(), "the clicks must have come during the shuffle");
    waitForShuffleEnd();
    for (auto *button : buttons)
        QVERIFY(button->isEnabled());
}

QTEST_MAIN(tst_Deal)
#include "tst_deal.moc"
