// The hall of fame: its window, the ranking of a finished game, clearing the amounts, viewing it
// in the middle of a game, and saving it to "sys.dll" when it closes.

#include "game/Unit1.h"
#include "game/Unit3.h"
#include "game/Unit7.h"
#include "game/Unit8.h"
#include "platform/SoundPlayer.h"
#include "support/TestSupport.h"
#include "toolkit/Application.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <limits>
#include <memory>
#include <numbers>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace testsupport;

namespace {

// The texts of Edit1..Edit11, in the order of the score file's lines.
using Texts = QStringList;

const Texts Design = {"250",    "200", "Ruzize", "Vudero", "",         "150",
                      "Rurova", "100", "Doda",   "50",     "Darerazaz"};
const Texts Cleared = {"0",      "0", "Ruzize", "Vudero", "",         "0",
                       "Rurova", "0", "Doda",   "0",      "Darerazaz"};

const QString Player = QStringLiteral("Gracz");

// The amount boxes of places 1 to 5 among the file's lines.
const int AmountLines[5] = {0, 1, 5, 7, 9};
// The name boxes of places 1 to 5 among the file's lines.
const int NameLines[5] = {2, 3, 6, 8, 10};

Texts with(Texts texts, std::initializer_list<std::pair<int, QString>> changes)
{
    for (const auto &[line, text] : changes)
        texts[line - 1] = text;
    return texts;
}

// The game's texts in the Windows-1250 code page, for the few letters these tests use.
QByteArray cp1250(const QString &text)
{
    static const QHash<QChar, char> polish = {
        {QChar(0x0141), char(0xA3)}, {QChar(0x0142), char(0xB3)}, {QChar(0x0119), char(0xEA)},
        {QChar(0x017B), char(0xAF)}, {QChar(0x017C), char(0xBF)}, {QChar(0x0105), char(0xB9)},
        {QChar(0x00F3), char(0xF3)}, {QChar(0x015B), char(0x9C)}, {QChar(0x0107), char(0xE6)}};
    QByteArray bytes;
    for (const QChar c : text)
        if (c.unicode() < 0x80)
            bytes += char(c.unicode());
        else if (polish.contains(c))
            bytes += polish.value(c);
        else
            qFatal("no Windows-1250 byte listed for U+%04X", c.unicode());
    return bytes;
}

QByteArray fileOf(const Texts &texts)
{
    QByteArray bytes;
    for (const QString &text : texts)
        bytes += cp1250(text) + "\r\n";
    return bytes;
}

// A short tone as a WAV file in the device's own format, so that the end-of-game sound takes
// little time.
void writeTone(const QString &name)
{
    const int rate = platform::soundDeviceRate;
    const int channels = platform::soundDeviceChannels;
    const int frames = rate * 30 / 1000;
    QByteArray samples;
    for (int i = 0; i < frames; ++i) {
        const auto sample = qint16(8000 * std::sin(2.0 * std::numbers::pi * 880.0 * i / rate));
        for (int c = 0; c < channels; ++c)
            samples.append(char(sample & 0xff)).append(char((sample >> 8) & 0xff));
    }
    writeFile(name, pcmWave(channels, rate, 16, samples));
}

// Whether a condition comes true within a few seconds, with the program running meanwhile.
template <typename Condition> bool eventually(Condition condition)
{
    return QTest::qWaitFor(condition, 5000);
}

// Whether a condition keeps holding, with the program running meanwhile, while the card table's
// toss-bit timer ticks the given number of times (every 6 ms).
template <typename Condition> bool holdsFor(Condition condition, int tossTicks)
{
    TickRecorder recorder;
    bool held = true;
    const bool waited = QTest::qWaitFor(
        [&] {
            held = held && condition();
            return !held || recorder.count(QStringLiteral("TForm1.Timer5")) >= tossTicks;
        },
        5000);
    return waited && held && condition();
}

bool entryPending()
{
    return Form7->Timer1->enabled() || Form7->Timer2->enabled() || Form7->Timer3->enabled() ||
           Form7->Timer4->enabled() || Form7->Timer5->enabled() || Form7->Timer6->enabled();
}

// The hall of fame is shown and neither the ranking nor an entry is still to come.
bool rankingDone()
{
    return Form7->isVisible() && !entryPending();
}

// The end of a game as the last pick leaves it: the final money in the table, no deals left, and
// the hall of fame's ranking step switched on.
void endGameWith(const QString &money)
{
    Form1->kasa->setText(money);
    Form1->licz->setText(QStringLiteral("0"));
    Form7->Timer1->setEnabled(true);
}

// The window manager's close request, as the close box or Alt+F4 sends it.
void closeHallOfFame()
{
    static_cast<QWidget *>(Form7)->close();
}

// Temporary files of an unfinished save.
QStringList leftovers()
{
    return QDir::current().entryList({QStringLiteral(".sys.dll*")},
                                     QDir::AllEntries | QDir::Hidden | QDir::System);
}

} // namespace

class tst_HallOfFame : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void window();
    void textBoxLooks_data();
    void textBoxLooks();
    void ranking_data();
    void ranking();
    void lastDealOfAGame();
    void clearingAmounts();
    void amountsOutOfOrder_data();
    void amountsOutOfOrder();
    void badAmounts_data();
    void badAmounts();
    void viewingMidGame_data();
    void viewingMidGame();
    void failedWrite_data();
    void failedWrite();

private:
    void start(const Texts &file);
    bool pressF3();
    void forgetSound() { QFile::remove(m_soundFile); }
    bool soundPlayed() const { return QFileInfo(m_soundFile).size() > 0; }

    QTemporaryDir m_soundDir;
    QString m_soundFile;
    std::unique_ptr<TemporaryCurrentDir> m_dir;
    std::unique_ptr<ErrorBoxWatcher> m_errors;
    QString m_mountPoint;
};

void tst_HallOfFame::initTestCase()
{
    // The sounds go to a file, so a test can tell whether one was played.
    QVERIFY(m_soundDir.isValid());
    m_soundFile = m_soundDir.filePath(QStringLiteral("sound.raw"));
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(m_soundFile));
    platform::resetSoundPlayerForTests();
    setUpApplication();
}

void tst_HallOfFame::init()
{
    m_dir = std::make_unique<TemporaryCurrentDir>();
    m_errors = std::make_unique<ErrorBoxWatcher>();
    forgetSound();
}

void tst_HallOfFame::cleanup()
{
    stopGame();
    m_errors.reset();
    if (!m_mountPoint.isEmpty()) {
        QDir::setCurrent(m_dir->path());
        ::umount2(QFile::encodeName(m_mountPoint).constData(), MNT_DETACH);
        m_mountPoint.clear();
    }
    m_dir.reset();
}

// Starts the game on a score file of these texts, with a short end-of-game sound beside it.
void tst_HallOfFame::start(const Texts &file)
{
    writeFile(QStringLiteral("sys.dll"), fileOf(file));
    writeTone(QStringLiteral("T"));
    startGame();
    Form1->Reza->setText(Player);
}

// F3 on the active card table.
bool tst_HallOfFame::pressF3()
{
    Form1->activateWindow();
    if (!QTest::qWaitFor([] { return QApplication::activeWindow() == Form1; }, 2000))
        return false;
    QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : Form1;
    QTest::keyClick(target, Qt::Key_F3);
    return true;
}

void tst_HallOfFame::window()
{
    // The window as the player meets it: caption, on top, read-only boxes, one focusable button,
    // centred at first and then where it was left.
    start(Design);
    QVERIFY(!Form7->isVisible());
    QCOMPARE(Form7->windowTitle(), QStringLiteral("Wpis"));
    QVERIFY2(Form7->windowFlags() & Qt::WindowStaysOnTopHint, "the hall of fame stays on top");

    QVERIFY(pressF3());
    QVERIFY(eventually([&] { return Form7->isVisible(); }));
    const QRect area = QApplication::primaryScreen()->availableGeometry();
    const QPoint offCentre = Form7->frameGeometry().center() - area.center();
    QVERIFY2(qAbs(offCentre.x()) <= 1 && qAbs(offCentre.y()) <= 1,
             qPrintable(QStringLiteral("first shown %1,%2 off the screen's centre")
                            .arg(offCentre.x())
                            .arg(offCentre.y())));

    for (const toolkit::EditBox *box : Form7->fileBoxes())
        QVERIFY2(!box->isEnabled(), qPrintable(box->objectName() + " must be read-only"));
    QVERIFY(Form7->Edit12->isHidden());
    QCOMPARE(Form7->Edit12->text(), QStringLiteral("0"));
    QCOMPARE(Form7->Button1->text(), QStringLiteral("Kasowanie kwot"));
    QVERIFY(Form7->Button1->isEnabled());
    for (const QWidget *child : Form7->findChildren<QWidget *>()) {
        if (child != Form7->Button1)
            QVERIFY2(child->focusPolicy() == Qt::NoFocus,
                     qPrintable(child->objectName() + " must not take the focus"));
    }
    QVERIFY(Form7->Button1->focusPolicy() & Qt::TabFocus);
    QCOMPARE(Form7->focusWidget(), Form7->Button1);

    // Moved, closed and opened again: it comes back where it was left, not centred.
    const QPoint moved = Form7->pos() + QPoint(-70, 45);
    Form7->move(moved);
    QTRY_COMPARE(Form7->pos(), moved);
    closeHallOfFame();
    QVERIFY(!Form7->isVisible());
    QVERIFY(Form1->isEnabled());
    QVERIFY(pressF3());
    QVERIFY(eventually([&] { return Form7->isVisible(); }));
    QCOMPARE(Form7->pos(), moved);
    QVERIFY(m_errors->boxes.isEmpty());
}

void tst_HallOfFame::textBoxLooks_data()
{
    QTest::addColumn<bool>("onTable");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("text");
    const QString name = QString::fromUtf8("Aleksandra Kowalska-Wiśniewska z Wrocławia");
    const QString longLine = QStringLiteral("początek") + QString(100000, QChar(0x2014));
    QTest::newRow("money, 3-D") << true << "kasa"
                                << "2000";
    QTest::newRow("money, long line") << true << "kasa" << longLine;
    QTest::newRow("deals left, flat") << true << "licz"
                                      << "123456";
    QTest::newRow("amount") << false << "Edit1"
                            << "250";
    QTest::newRow("name, too wide") << false << "Edit3" << name;
    QTest::newRow("last result, empty") << false << "Edit5"
                                        << "";
}

void tst_HallOfFame::textBoxLooks()
{
    // A text box looks like a line edit with its text, font, frame and colours, disabled or not:
    // the player reads the same colours, and of a text too wide for it, its beginning (a box that
    // showed the end hid the first letters of a long name).
    QFETCH(bool, onTable);
    QFETCH(QString, box);
    QFETCH(QString, text);
    start(Design);
    Form7->show();
    auto *edit =
        control<toolkit::EditBox>(onTable ? static_cast<QWidget *>(Form1) : Form7, qPrintable(box));
    QVERIFY(edit && edit->isVisible() && !edit->isEnabled());
    edit->setText(text);
    QCOMPARE(edit->text(), text);

    QWidget *parent = edit->parentWidget();
    QLineEdit reference(parent);
    reference.setGeometry(edit->geometry());
    reference.setFont(edit->font());
    reference.setPalette(edit->palette());
    reference.setFrame(edit->hasFrame());
    reference.setAlignment(edit->alignment());
    reference.setMaxLength(std::numeric_limits<int>::max());
    reference.setText(text);
    reference.setCursorPosition(0);
    const QImage shown = parent->grab(edit->geometry()).toImage();
    edit->hide();
    reference.show();
    const QImage expected = parent->grab(edit->geometry()).toImage();
    QCOMPARE(shown, expected);
}

void tst_HallOfFame::ranking_data()
{
    QTest::addColumn<Texts>("table");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("name");
    // A name that the table takes after the ranking step and before the entry; null for none.
    QTest::addColumn<QString>("laterName");
    QTest::addColumn<Texts>("expected");

    const QString P = Player;
    const QString none;
    QTest::newRow("2000 enters at place 1")
        << Design << "2000" << P << none
        << Texts{"2000",   "250", P,        "Ruzize", "2000", "200",
                 "Vudero", "150", "Rurova", "100",    "Doda"};
    QTest::newRow("251 enters at place 1")
        << Design << "251" << P << none
        << Texts{"251", "250", P, "Ruzize", "251", "200", "Vudero", "150", "Rurova", "100", "Doda"};
    QTest::newRow("250 ties place 1, enters below it")
        << Design << "250" << P << none
        << Texts{"250", "250", "Ruzize", P, "250", "200", "Vudero", "150", "Rurova", "100", "Doda"};
    QTest::newRow("200 ties place 2, enters at place 3")
        << Design << "200" << P << none
        << Texts{"250", "200", "Ruzize", "Vudero", "200", "200", P, "150", "Rurova", "100", "Doda"};
    QTest::newRow("151 enters at place 3")
        << Design << "151" << P << none
        << Texts{"250", "200", "Ruzize", "Vudero", "151", "151", P, "150", "Rurova", "100", "Doda"};
    QTest::newRow("150 ties place 3, enters at place 4")
        << Design << "150" << P << none
        << Texts{"250", "200", "Ruzize", "Vudero", "150", "150", "Rurova", "150", P, "100", "Doda"};
    QTest::newRow("100 ties place 4, enters at place 5")
        << Design << "100" << P << none
        << Texts{"250", "200", "Ruzize", "Vudero", "100", "150", "Rurova", "100", "Doda", "100", P};
    QTest::newRow("51 enters at place 5")
        << Design << "51" << P << none
        << Texts{"250", "200", "Ruzize", "Vudero", "51", "150", "Rurova", "100", "Doda", "51", P};
    QTest::newRow("50 ties place 5, not entered")
        << Design << "50" << P << none << with(Design, {{5, "50"}});
    QTest::newRow("0 not entered") << Design << "0" << P << none << with(Design, {{5, "0"}});
    QTest::newRow("-50 not entered") << Design << "-50" << P << none << with(Design, {{5, "-50"}});

    QTest::newRow("cleared, 2000 enters at place 1")
        << Cleared << "2000" << P << none
        << Texts{"2000", "0", P, "Ruzize", "2000", "0", "Vudero", "0", "Rurova", "0", "Doda"};
    QTest::newRow("cleared, 1 enters at place 1")
        << Cleared << "1" << P << none
        << Texts{"1", "0", P, "Ruzize", "1", "0", "Vudero", "0", "Rurova", "0", "Doda"};
    QTest::newRow("cleared, 0 not entered")
        << Cleared << "0" << P << none << with(Cleared, {{5, "0"}});
    QTest::newRow("cleared, -50 not entered")
        << Cleared << "-50" << P << none << with(Cleared, {{5, "-50"}});

    const Texts debt = with(Design, {{10, "-100"}});
    QTest::newRow("-50 beats a stored debt at place 5")
        << debt << "-50" << P << none
        << Texts{"250", "200", "Ruzize", "Vudero", "-50", "150", "Rurova", "100", "Doda", "-50", P};
    const Texts unusual = with(Design, {{8, " $64"}, {10, "+50"}});
    QTest::newRow("amount texts move unchanged")
        << unusual << "120" << P << none << Texts{"250",    "200", "Ruzize", "Vudero", "120", "150",
                                                  "Rurova", "120", P,        " $64",   "Doda"};

    QTest::newRow("empty name") << Design << "2000" << QString() << none
                                << Texts{"2000",   "250", "",       "Ruzize", "2000", "200",
                                         "Vudero", "150", "Rurova", "100",    "Doda"};
    const QString polish = QStringLiteral("Zdzisław Łęcki");
    QTest::newRow("Polish name") << Design << "175" << polish << none
                                 << Texts{"250",  "200", "Ruzize", "Vudero", "175", "175",
                                          polish, "150", "Rurova", "100",    "Doda"};
    QTest::newRow("name as the table holds it at the entry")
        << Design << "2000"
        << "Przed"
        << "Po" << Texts{"2000",   "250", "Po",     "Ruzize", "2000", "200",
                         "Vudero", "150", "Rurova", "100",    "Doda"};
}

void tst_HallOfFame::ranking()
{
    // The final money takes the highest place whose amount is below it, with the name the table
    // holds at the entry, and the close saves the table and leads to the new-game prompt.
    QFETCH(Texts, table);
    QFETCH(QString, result);
    QFETCH(QString, name);
    QFETCH(QString, laterName);
    QFETCH(Texts, expected);

    start(table);
    Form1->Reza->setText(name);
    if (!laterName.isNull()) {
        // Runs right after the ranking step, in the same tick, before the entry's own tick.
        connect(Form7->Timer1, &toolkit::Timer::timer, Form7,
                [laterName] { Form1->Reza->setText(laterName); });
    }

    endGameWith(result);
    QVERIFY(eventually(rankingDone));
    QVERIFY2(soundPlayed(), "the end of a game plays its sound");
    QVERIFY2(!Form1->isEnabled(), "the card table waits for the hall of fame");
    QCOMPARE(boxTexts(), expected);
    QVERIFY2(holdsFor([&] { return boxTexts() == expected && !entryPending(); }, 5),
             "nothing more is entered");
    QCOMPARE(readFile("sys.dll"), fileOf(table));

    closeHallOfFame();
    QVERIFY(!Form7->isVisible());
    QCOMPARE(readFile("sys.dll"), fileOf(expected));
    QVERIFY(Form1->isEnabled());
    QVERIFY2(!Form8->isVisible(), "the new-game prompt follows only after a moment");
    QVERIFY(eventually([&] { return Form8->isVisible(); }));
    QVERIFY2(!Form7->Timer7->enabled(), "the hand-over runs once");
    QVERIFY(!Form1->isEnabled());
    QVERIFY(m_errors->boxes.isEmpty());
}

void tst_HallOfFame::lastDealOfAGame()
{
    // A whole last deal, played through the windows, ends in the hall of fame with the money and
    // the name confirmed at the start.
    start(Design);
    // The opening "Tak", a name, the shuffle.
    clickThroughWindow(Form1->Label4);
    QVERIFY(eventually([&] { return Form3->isVisible(); }));
    const QString name = QStringLiteral("Zdzisław Łęcki");
    Form3->Edit->clear();
    for (const QChar c : name)
        QTest::sendKeyEvent(QTest::Click, Form3->Edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
    QCOMPARE(Form3->Edit->text(), name);
    QVERIFY(eventually([&] { return Form3->Button2->isEnabled(); }));
    clickThroughWindow(Form3->Button2);
    QVERIFY(eventually([&] { return !Form3->isVisible(); }));
    QVERIFY(eventually([&] { return !Form1->Timer4->enabled() && Form1->isEnabled(); }));

    // The last deal, picking the black card of whichever arrangement the shuffle left shown.
    Form1->licz->setText(QStringLiteral("1"));
    Form1->kasa->setText(QStringLiteral("1900"));
    const int stake = Form1->stawka->value();
    toolkit::GlyphButton *black = Form1->SpeedButton7->isVisible()   ? Form1->SpeedButton7
                                  : Form1->SpeedButton4->isVisible() ? Form1->SpeedButton5
                                                                     : Form1->SpeedButton3;
    QVERIFY(black->isVisible() && black->isEnabled());
    clickThroughWindow(black);
    const QString money = QString::number(1900 + stake);
    QCOMPARE(Form1->kasa->text(), money);
    QCOMPARE(Form1->licz->text(), QStringLiteral("0"));

    QVERIFY(eventually(rankingDone));
    QVERIFY(!Form1->isEnabled());
    const Texts expected = {money,    "250", name,     "Ruzize", money, "200",
                            "Vudero", "150", "Rurova", "100",    "Doda"};
    QCOMPARE(boxTexts(), expected);

    closeHallOfFame();
    QCOMPARE(readFile("sys.dll"), "2000\r\n250\r\nZdzis\xb3"
                                  "aw \xa3\xea"
                                  "cki\r\nRuzize\r\n2000\r\n200\r\nVudero\r\n150\r\nRurova\r\n"
                                  "100\r\nDoda\r\n");
    QVERIFY(eventually([&] { return Form8->isVisible(); }));
    QVERIFY(!Form1->isEnabled());
    QVERIFY(m_errors->boxes.isEmpty());
}

void tst_HallOfFame::clearingAmounts()
{
    // "Kasowanie kwot" zeroes the five amounts only, and the file changes only when the window
    // closes.
    const Texts table = with(Design, {{5, "777"}});
    start(table);
    QVERIFY(pressF3());
    QVERIFY(eventually([&] { return Form7->isVisible(); }));

    clickThroughWindow(Form7->Button1);
    const Texts cleared = with(Cleared, {{5, "777"}});
    QCOMPARE(boxTexts(), cleared);
    QVERIFY(Form7->isVisible());
    QVERIFY(!Form1->isEnabled());
    QCOMPARE(readFile("sys.dll"), fileOf(table));
    closeHallOfFame();
    QCOMPARE(readFile("sys.dll"), fileOf(cleared));
    QVERIFY(Form1->isEnabled());

    // After clearing, a positive result takes place 1 and a later, smaller one place 2.
    endGameWith(QStringLiteral("300"));
    QVERIFY(eventually(rankingDone));
    QCOMPARE(boxTexts(), (Texts{"300", "0", Player, "Ruzize", "300", "0", "Vudero", "0", "Rurova",
                                "0", "Doda"}));
    Form1->Reza->setText(QStringLiteral("Drugi"));
    endGameWith(QStringLiteral("120"));
    QVERIFY(eventually(rankingDone));
    const Texts expected = {"300",    "120", Player,   "Drugi", "120",   "0",
                            "Ruzize", "0",   "Vudero", "0",     "Rurova"};
    QCOMPARE(boxTexts(), expected);
    closeHallOfFame();
    QCOMPARE(readFile("sys.dll"), fileOf(expected));
    QVERIFY(m_errors->boxes.isEmpty());
}

void tst_HallOfFame::amountsOutOfOrder_data()
{
    QTest::addColumn<QString>("result");
    // Against 100, 300, 50, 400, 10 a result can beat several places at once.
    QTest::newRow("places 1 and 5") << "350";
    QTest::newRow("places 1, 3 and 5") << "200";
    QTest::newRow("places 3 and 5") << "60";
}

void tst_HallOfFame::amountsOutOfOrder()
{
    // Amounts out of order, as only an edited file has them, may start several entries; the game
    // survives them and saves eleven lines.
    QFETCH(QString, result);
    start(with(Design, {{1, "100"}, {2, "300"}, {6, "50"}, {8, "400"}, {10, "10"}}));

    endGameWith(result);
    QVERIFY(eventually(rankingDone));
    QVERIFY(holdsFor([] { return !entryPending(); }, 9));
    QVERIFY(!Form1->isEnabled());
    const Texts texts = boxTexts();
    QCOMPARE(texts[4], result);
    bool entered = false;
    for (int place = 0; place < 5; ++place)
        entered =
            entered || (texts[NameLines[place]] == Player && texts[AmountLines[place]] == result);
    QVERIFY2(entered, qPrintable("the player's entry is missing: " + texts.join('|')));

    closeHallOfFame();
    const QByteArray saved = readFile("sys.dll");
    QCOMPARE(saved.count("\r\n"), 11);
    QVERIFY(saved.endsWith("\r\n"));
    QCOMPARE(saved, fileOf(texts));
    QVERIFY(eventually([&] { return Form8->isVisible(); }));
    QVERIFY(m_errors->boxes.isEmpty());
}

void tst_HallOfFame::badAmounts_data()
{
    QTest::addColumn<Texts>("table");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("message");
    // The boxes once the abandoned ranking and any entry it had already switched on are over.
    QTest::addColumn<Texts>("expected");

    const QString abc = QStringLiteral("'abc' is not a valid integer value.");
    QTest::newRow("result") << Design << "abc" << abc << with(Design, {{5, "abc"}});
    const int amountLine[6] = {0, 1, 2, 6, 8, 10};
    for (int place = 1; place <= 5; ++place) {
        const Texts table = with(Design, {{amountLine[place], "abc"}});
        QTest::addRow("place %d", place) << table << "40" << abc << with(table, {{5, "40"}});
    }
    const Texts empty = with(Design, {{10, ""}});
    QTest::newRow("empty amount") << empty << "40"
                                  << "'' is not a valid integer value." << with(empty, {{5, "40"}});
    const Texts trailing = with(Design, {{1, "250 "}});
    QTest::newRow("trailing space")
        << trailing << "40"
        << "'250 ' is not a valid integer value." << with(trailing, {{5, "40"}});
    const Texts xyzFirst = with(Design, {{1, "xyz"}});
    QTest::newRow("result before place 1")
        << xyzFirst << "abc" << abc << with(xyzFirst, {{5, "abc"}});
    const Texts two = with(Design, {{2, "abc"}, {8, "xyz"}});
    QTest::newRow("place 2 before place 4") << two << "40" << abc << with(two, {{5, "40"}});
    QTest::newRow("entry switched on before the bad amount still runs")
        << with(Design, {{6, "abc"}}) << "2000" << abc
        << Texts{"2000",   "250", Player,   "Ruzize", "2000", "200",
                 "Vudero", "abc", "Rurova", "100",    "Doda"};
}

void tst_HallOfFame::badAmounts()
{
    // A text that is no integer stops the ranking with the conversion error for the first bad text,
    // result first, and clearing the amounts mends the ranking.
    QFETCH(Texts, table);
    QFETCH(QString, result);
    QFETCH(QString, message);
    QFETCH(Texts, expected);

    start(table);
    endGameWith(result);
    QVERIFY(eventually([&] { return !m_errors->boxes.isEmpty(); }));
    QVERIFY(eventually(rankingDone));
    QVERIFY2(!Form7->Timer1->enabled(), "the abandoned ranking must not come again");

    QCOMPARE(m_errors->boxes.size(), 1);
    const ErrorBoxWatcher::Box box = m_errors->boxes.first();
    QCOMPARE(box.text, message);
    QCOMPARE(box.title, QStringLiteral("tst_halloffame"));
    QCOMPARE(box.title, toolkit::Application::instance().title());
    QCOMPARE(box.icon, QMessageBox::Critical);
    QCOMPARE(box.buttons, 1);
    QVERIFY2(box.onTop, "the error box must not hide behind the hall of fame");
    QVERIFY2(box.parentName == Form7->objectName() || box.parentName == Form1->objectName(),
             qPrintable("error box owned by " + box.parentName));

    QVERIFY(Form7->isVisible());
    QVERIFY(!Form1->isEnabled());
    QCOMPARE(boxTexts(), expected);

    // Clearing the amounts makes the ranking work again; the file keeps the bad text until the
    // window closes.
    clickThroughWindow(Form7->Button1);
    for (int line : AmountLines)
        QCOMPARE(Form7->fileBoxes()[line]->text(), QStringLiteral("0"));
    QCOMPARE(readFile("sys.dll"), fileOf(table));
    Form1->Reza->setText(QStringLiteral("Nowy"));
    endGameWith(QStringLiteral("500"));
    QVERIFY(eventually(rankingDone));
    QCOMPARE(m_errors->boxes.size(), 1);
    QCOMPARE(Form7->Edit1->text(), QStringLiteral("500"));
    QCOMPARE(Form7->Edit3->text(), QStringLiteral("Nowy"));
    QCOMPARE(Form7->Edit5->text(), QStringLiteral("500"));
    closeHallOfFame();
    QCOMPARE(readFile("sys.dll"), fileOf(boxTexts()));
    QVERIFY(eventually([&] { return Form8->isVisible(); }));
}

void tst_HallOfFame::viewingMidGame_data()
{
    QTest::addColumn<bool>("byKey");
    QTest::addColumn<QString>("dealsLeft");
    QTest::addColumn<bool>("prompt");

    QTest::newRow("menu, deals left") << false << "42" << false;
    QTest::newRow("F3, deals left") << true << "42" << false;
    QTest::newRow("menu, no deals left") << false << "0" << true;
    QTest::newRow("F3, deals below zero") << true << "-1" << true;
}

void tst_HallOfFame::viewingMidGame()
{
    // "Wpisy" only shows the table; the close saves it and asks for a new game only when no deals
    // are left.
    QFETCH(bool, byKey);
    QFETCH(QString, dealsLeft);
    QFETCH(bool, prompt);

    const Texts table = with(Design, {{5, "1234"}});
    start(table);
    Form1->licz->setText(dealsLeft);
    Form1->kasa->setText(QStringLiteral("9999"));
    if (byKey)
        QVERIFY(pressF3());
    else
        Form1->Nowawpisy1->trigger();
    QVERIFY(Form7->isVisible());
    QVERIFY(!Form1->isEnabled());

    // Viewing only: no sound, no ranking, the last result stays.
    QCOMPARE(boxTexts(), table);
    QVERIFY2(!entryPending(), "viewing ranks nothing");
    QVERIFY2(!QFileInfo::exists(m_soundFile), "viewing plays no sound");
    QVERIFY(Form7->isVisible());
    QVERIFY(!Form1->isEnabled());

    // Closing saves the boxes over whatever the file holds now.
    writeFile(QStringLiteral("sys.dll"), "stale\r\n");
    closeHallOfFame();
    QCOMPARE(readFile("sys.dll"), fileOf(table));
    QVERIFY(!Form7->isVisible());
    QVERIFY(Form1->isEnabled());
    if (prompt) {
        QVERIFY(!Form8->isVisible());
        QVERIFY(eventually([&] { return Form8->isVisible(); }));
        QVERIFY(!Form1->isEnabled());
    } else {
        QVERIFY2(holdsFor([] { return !Form8->isVisible() && Form1->isEnabled(); }, 17),
                 "in the middle of a game no new-game prompt follows");
    }
    QVERIFY(m_errors->boxes.isEmpty());
}

void tst_HallOfFame::failedWrite_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("message");

    QTest::newRow("directory in the way") << "directory"
                                          << "File access denied.";
    QTest::newRow("read-only file") << "read-only"
                                    << "File access denied.";
    QTest::newRow("disk full") << "full"
                               << "Disk full.";
}

void tst_HallOfFame::failedWrite()
{
    // A close that cannot save reports the error, keeps the old file whole and leaves the window
    // open; the next close saves.
    QFETCH(QString, how);
    QFETCH(QString, message);

    if (how == "full") {
        const QString mountPoint = m_dir->path() + QStringLiteral("/small");
        QVERIFY(QDir().mkpath(mountPoint));
        if (::mount("tmpfs", QFile::encodeName(mountPoint).constData(), "tmpfs", 0, "size=64k") !=
            0)
            QSKIP(qPrintable(QStringLiteral("cannot mount a small file system: %1")
                                 .arg(QString::fromLocal8Bit(strerror(errno)))));
        m_mountPoint = mountPoint;
        QVERIFY(QDir::setCurrent(mountPoint));
    }

    start(Design);
    endGameWith(QStringLiteral("2000"));
    QVERIFY(eventually(rankingDone));
    const Texts ranked = boxTexts();
    QVERIFY(ranked != Design);
    const QByteArray old = fileOf(Design);

    if (how == "directory") {
        QVERIFY(QFile::remove(QStringLiteral("sys.dll")));
        QVERIFY(QDir().mkdir(QStringLiteral("sys.dll")));
    } else if (how == "read-only") {
        QVERIFY(::chmod("sys.dll", 0444) == 0);
    } else {
        const int fd = ::open("filler", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        QVERIFY(fd >= 0);
        const QByteArray block(4096, 'x');
        int total = 0;
        while (total < (1 << 20) && ::write(fd, block.constData(), size_t(block.size())) > 0)
            total += int(block.size());
        ::close(fd);
        QVERIFY2(total < (1 << 20), "the small file system does not fill up");
    }

    closeHallOfFame();
    QCOMPARE(m_errors->boxes.size(), 1);
    QCOMPARE(m_errors->boxes.first().text, message);
    QCOMPARE(m_errors->boxes.first().icon, QMessageBox::Critical);
    QVERIFY(m_errors->boxes.first().onTop);
    QVERIFY2(
        holdsFor([] { return Form7->isVisible() && !Form1->isEnabled() && !Form8->isVisible(); },
                 17),
        "a failed save leaves the hall of fame open and no new-game prompt");
    QCOMPARE(boxTexts(), ranked);
    if (how == "directory")
        QVERIFY(QFileInfo(QStringLiteral("sys.dll")).isDir());
    else
        QCOMPARE(readFile("sys.dll"), old);
    QCOMPARE(leftovers(), QStringList());

    // Put right, the next close saves.
    if (how == "directory") {
        QVERIFY(QDir().rmdir(QStringLiteral("sys.dll")));
        writeFile(QStringLiteral("sys.dll"), old);
    } else if (how == "read-only") {
        QVERIFY(::chmod("sys.dll", 0644) == 0);
    } else {
        QVERIFY(QFile::remove(QStringLiteral("filler")));
    }
    closeHallOfFame();
    QCOMPARE(m_errors->boxes.size(), 1);
    QCOMPARE(readFile("sys.dll"), fileOf(ranked));
    QVERIFY(!Form7->isVisible());
    QVERIFY(eventually([&] { return Form8->isVisible(); }));
    QVERIFY(!Form1->isEnabled());
    QCOMPARE(leftovers(), QStringList());
}

QTEST_MAIN(tst_HallOfFame)
#include "tst_halloffame.moc"
