#include "game/Unit1.h"
#include "game/Unit3.h"
#include "game/Unit4.h"
#include "game/Unit5.h"
#include "game/Unit6.h"
#include "game/Unit7.h"
#include "game/Unit8.h"
#include "support/TestSupport.h"
#include "toolkit/Application.h"
#include "toolkit/GlyphButton.h"

#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QPointer>
#include <QSet>
#include <QTest>

#include <memory>

using namespace testsupport;

namespace {

const QColor Teal(0, 128, 128);
const QColor Grey(128, 128, 128);

// How a player gives a command: a mouse click, its access key or short-cut, or the menu.
enum class Way { Click, Key, MenuCommand, MenuByMouse };

// What is on the table when the program is ended.
enum class Situation { Opening, Shuffling, AboutBoxOpen };

// A click on a radio button's round box, where the player aims.
void clickRadio(QRadioButton *radio)
{
    clickThroughWindow(radio, QPoint(7, radio->height() / 2));
}

void chooseColour(QRadioButton *radio, Qt::Key accessKey, Way way)
{
    if (way == Way::Click) {
        clickRadio(radio);
    } else {
        QVERIFY(activate(Form1));
        QTest::keyClick(Form1, accessKey, Qt::AltModifier);
    }
}

// The table's background, seen through its transparent labels, and the two radio buttons have
// the colour; the boxes keep their own.
void verifyColour(TForm1 *table, const QColor &colour)
{
    QCOMPARE(backgroundOf(table->centralwidget), colour);
    QCOMPARE(backgroundOf(table->RadioButton1), colour);
    QCOMPARE(backgroundOf(table->RadioButton2), colour);

    const QImage seen = table->centralwidget->grab().toImage();
    QCOMPARE(seen.pixelColor(300, 220), colour);
    const QRect label = table->Label6->geometry();
    QCOMPARE(seen.pixelColor(label.right() - 1, label.top()), colour);
    for (QRadioButton *radio : {table->RadioButton1, table->RadioButton2}) {
        const QImage box = radio->grab().toImage();
        QCOMPARE(box.pixelColor(box.width() - 3, box.height() / 2), colour);
    }

    QCOMPARE(table->kasa->palette().color(QPalette::Base), QColor(0, 0, 0));
    QCOMPARE(table->Reza->palette().color(QPalette::Base), QColor(0, 0, 0));
    QCOMPARE(table->stawka->palette().color(QPalette::Base), QColor(255, 255, 255));
    QCOMPARE(table->licz->palette().color(QPalette::Base), QColor(255, 255, 255));
}

} // namespace

Q_DECLARE_METATYPE(Way)
Q_DECLARE_METATYPE(Situation)

class tst_Commands : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void menu_data();
    void menu();
    void colours_data();
    void colours();
    void newGameIsTeal();
    void openingCommands_data();
    void openingCommands();
    void commandsRefusedWhileTableDisabled_data();
    void commandsRefusedWhileTableDisabled();
    void endsProgram_data();
    void endsProgram();

private:
    std::unique_ptr<TemporaryCurrentDir> m_dir;
    std::unique_ptr<ErrorBoxWatcher> m_errors;
};

void tst_Commands::init()
{
    m_dir = std::make_unique<TemporaryCurrentDir>();
    copyDataFile(QStringLiteral("sys.dll"));
    m_errors = std::make_unique<ErrorBoxWatcher>();
    startGame();
    QVERIFY(Form1 && Form1->isVisible());
}

void tst_Commands::cleanup()
{
    stopGame();
    QVERIFY2(m_errors->boxes.isEmpty(),
             qPrintable(QStringLiteral("unexpected error box: ") +
                        (m_errors->boxes.isEmpty() ? QString() : m_errors->boxes.first().text)));
    m_errors.reset();
    m_dir.reset();
}

void tst_Commands::menu_data()
{
    QTest::addColumn<int>("menu");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("item");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QKeySequence>("shortcut");

    QTest::newRow("Gra/Nowa") << 0 << "Gra" << 0 << "Nowa" << QKeySequence(Qt::Key_F2);
    QTest::newRow("Gra/Wpisy") << 0 << "Gra" << 1 << "Wpisy" << QKeySequence(Qt::Key_F3);
    QTest::newRow("Pomoc/About") << 1 << "Pomoc" << 0 << "About" << QKeySequence();
    QTest::newRow("Pomoc/Text") << 1 << "Pomoc" << 1 << "Text" << QKeySequence(Qt::Key_F1);
}

void tst_Commands::menu()
{
    QFETCH(int, menu);
    QFETCH(QString, title);
    QFETCH(int, item);
    QFETCH(QString, text);
    QFETCH(QKeySequence, shortcut);

    const QList<QAction *> menus = Form1->MainMenu1->actions();
    QCOMPARE(menus.size(), 2);
    QCOMPARE(menus[menu]->text(), title);
    QMenu *popup = menus[menu]->menu();
    QVERIFY(popup);
    const QList<QAction *> items = popup->actions();
    QCOMPARE(items.size(), 2);
    QCOMPARE(items[item]->text(), text);
    QCOMPARE(items[item]->shortcut(), shortcut);
    QVERIFY(items[item]->isEnabled());
    QVERIFY(Form1->MainMenu1->isVisible());
}

void tst_Commands::colours_data()
{
    QTest::addColumn<bool>("greyFirst");
    QTest::addColumn<QString>("choice");
    QTest::addColumn<Way>("way");
    QTest::addColumn<QColor>("colour");

    QTest::newRow("Szary clicked") << false << "Szary" << Way::Click << Grey;
    QTest::newRow("Szary by Alt+S") << false << "Szary" << Way::Key << Grey;
    QTest::newRow("Turkus clicked after Szary") << true << "Turkus" << Way::Click << Teal;
    QTest::newRow("Turkus by Alt+T after Szary") << true << "Turkus" << Way::Key << Teal;
    QTest::newRow("selected Turkus clicked") << false << "Turkus" << Way::Click << Teal;
    QTest::newRow("selected Szary clicked") << true << "Szary" << Way::Click << Grey;
    QTest::newRow("selected Szary by Alt+S") << true << "Szary" << Way::Key << Grey;
}

void tst_Commands::colours()
{
    QFETCH(bool, greyFirst);
    QFETCH(QString, choice);
    QFETCH(Way, way);
    QFETCH(QColor, colour);

    verifyColour(Form1, Teal);
    if (greyFirst) {
        clickRadio(Form1->RadioButton2);
        QVERIFY(Form1->RadioButton2->isChecked());
        verifyColour(Form1, Grey);
    }
    if (QTest::currentTestFailed())
        return;

    const bool szary = choice == QLatin1String("Szary");
    QRadioButton *radio = szary ? Form1->RadioButton2 : Form1->RadioButton1;
    chooseColour(radio, szary ? Qt::Key_S : Qt::Key_T, way);
    // An access key clicks the button a moment later, as a pressed and released button.
    QTRY_VERIFY(radio->isChecked());
    QTRY_COMPARE(backgroundOf(Form1->centralwidget), colour);
    QVERIFY(!(szary ? Form1->RadioButton1 : Form1->RadioButton2)->isChecked());
    verifyColour(Form1, colour);
    QVERIFY(Form1->isEnabled());
}

void tst_Commands::newGameIsTeal()
{
    // The colour is not kept: every new game starts teal with "&Turkus" selected.
    clickRadio(Form1->RadioButton2);
    verifyColour(Form1, Grey);
    if (QTest::currentTestFailed())
        return;

    QPointer<TForm1> old = Form1;
    Form1->Nowa2->trigger();
    QVERIFY(Form1 != old);
    QTRY_VERIFY(Form1->isVisible());
    QTRY_VERIFY(old.isNull());
    QVERIFY(Form1->RadioButton1->isChecked());
    QVERIFY(!Form1->RadioButton2->isChecked());
    verifyColour(Form1, Teal);
}

void tst_Commands::openingCommands_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<Way>("way");
    QTest::addColumn<QString>("window");
    QTest::addColumn<bool>("tableEnabled");

    QTest::newRow("Zmień imię clicked") << "Zmień imię" << Way::Click << "Form3" << false;
    QTest::newRow("Zmień imię by Alt+Z") << "Zmień imię" << Way::Key << "Form3" << false;
    QTest::newRow("Wpisy") << "Wpisy" << Way::MenuCommand << "Form7" << false;
    QTest::newRow("Wpisy clicked in the menu") << "Wpisy" << Way::MenuByMouse << "Form7" << false;
    QTest::newRow("Wpisy by F3") << "Wpisy" << Way::Key << "Form7" << false;
    QTest::newRow("About") << "About" << Way::MenuCommand << "AboutBox" << true;
    QTest::newRow("About clicked in the menu") << "About" << Way::MenuByMouse << "AboutBox" << true;
}

void tst_Commands::openingCommands()
{
    QFETCH(QString, command);
    QFETCH(Way, way);
    QFETCH(QString, window);
    QFETCH(bool, tableEnabled);

    // The middle of a game.
    Form1->kasa->setText(QStringLiteral("2300"));
    Form1->licz->setText(QStringLiteral("42"));
    QWidget *opened = windowNamed(window);
    QVERIFY(!opened->isVisible());
    const QStringList hall = boxTexts();
    const QByteArray saved = readFile(QStringLiteral("sys.dll"));

    if (command == QStringLiteral("Zmień imię")) {
        if (way == Way::Click) {
            QTest::mouseClick(Form1->Button1, Qt::LeftButton);
        } else {
            QVERIFY(activate(Form1));
            QTest::keyClick(Form1, Qt::Key_Z, Qt::AltModifier);
        }
    } else {
        QAction *item = command == QLatin1String("Wpisy") ? Form1->Nowawpisy1 : Form1->About1;
        if (way == Way::MenuCommand) {
            item->trigger();
        } else if (way == Way::MenuByMouse) {
            clickMenuItem(item == Form1->About1 ? Form1->Pomoc1 : Form1->Nowa1, item);
        } else {
            QVERIFY(activate(Form1));
            QTest::keyClick(Form1, Qt::Key_F3);
        }
    }

    QTRY_VERIFY(opened->isVisible());
    QCOMPARE(Form1->isEnabled(), tableEnabled);
    QVERIFY(Form1->isVisible());
    QVERIFY(!Form11->isVisible());

    if (window == QLatin1String("Form7")) {
        // Looked at in the middle of a game, the hall of fame ranks nothing; closing it gives the
        // table back and the game goes on.
        QVERIFY(!Form7->Timer1->enabled());
        QCOMPARE(boxTexts(), hall);
        QCOMPARE(readFile(QStringLiteral("sys.dll")), saved);
        static_cast<QWidget *>(Form7)->close();
        QVERIFY(!Form7->isVisible());
        QVERIFY(Form1->isEnabled());
        QVERIFY(!Form7->Timer7->enabled());
        QCOMPARE(Form1->licz->text(), QStringLiteral("42"));
        QCOMPARE(Form1->kasa->text(), QStringLiteral("2300"));
    }
    QVERIFY(!app().terminated());
}

void tst_Commands::commandsRefusedWhileTableDisabled_data()
{
    QTest::addColumn<QString>("window");

    QTest::newRow("name dialog") << "Form3";
    QTest::newRow("hall of fame") << "Form7";
    QTest::newRow("debt dialog") << "Form5";
    QTest::newRow("prompt") << "Form8";
}

void tst_Commands::commandsRefusedWhileTableDisabled()
{
    QFETCH(QString, window);

    if (window == QLatin1String("Form3")) {
        QTest::mouseClick(Form1->Button1, Qt::LeftButton);
    } else if (window == QLatin1String("Form7")) {
        Form1->Nowawpisy1->trigger();
    } else if (window == QLatin1String("Form5")) {
        Form1->kasa->setText(QStringLiteral("-50"));
        Form5->Timer1->setEnabled(true);
    } else {
        // The hall of fame's hand-over after it closed at the end of a game.
        Form1->licz->setText(QStringLiteral("0"));
        Form7->Timer7->setEnabled(true);
    }
    QWidget *dialog = windowNamed(window);
    QTRY_VERIFY(dialog->isVisible());
    QVERIFY(!Form1->isEnabled());
    const bool hallShown = Form7->isVisible();
    const QPointer<TForm1> table = Form1;

    // The keys reach nothing while the dialog is open, whichever window has the keyboard.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (attempt == 1)
            Form1->activateWindow();
        QTest::keyClick(Form1, Qt::Key_F2);
        QTest::keyClick(Form1, Qt::Key_F3);
        QTest::keyClick(Form1, Qt::Key_S, Qt::AltModifier);
        QTest::keyClick(Form1, Qt::Key_Z, Qt::AltModifier);
    }
    // Nor do the menu's commands, however they would be reached.
    Form1->Nowa2->trigger();
    Form1->Nowawpisy1->trigger();
    Form1->About1->trigger();
    // An access key presses its button at once and clicks it 100 ms later: no button is down.
    for (QWidget *window : QApplication::topLevelWidgets())
        for (const QAbstractButton *button : window->findChildren<QAbstractButton *>())
            QVERIFY2(!button->isDown(), qPrintable(button->objectName() + " was pressed by a key"));

    QVERIFY2(table && Form1 == table.data(), "the card table is still the same");
    QVERIFY(Form1->isVisible());
    QVERIFY(!Form1->isEnabled());
    QVERIFY2(!Form11->isVisible(), "no new game was started");
    QCOMPARE(Form7->isVisible(), hallShown);
    QVERIFY(!AboutBox->isVisible());
    QVERIFY(Form1->RadioButton1->isChecked());
    QCOMPARE(backgroundOf(Form1->centralwidget), Teal);
    QCOMPARE(Form3->isVisible(), window == QLatin1String("Form3"));
    QVERIFY(dialog->isVisible());
    QVERIFY(!app().terminated());
}

void tst_Commands::endsProgram_data()
{
    QTest::addColumn<Situation>("situation");
    QTest::addColumn<bool>("closeBox");

    QTest::newRow("Nie label") << Situation::Opening << false;
    QTest::newRow("Nie label with the About box open") << Situation::AboutBoxOpen << false;
    QTest::newRow("close box") << Situation::Opening << true;
    QTest::newRow("close box during a shuffle") << Situation::Shuffling << true;
    QTest::newRow("close box with the About box open") << Situation::AboutBoxOpen << true;
}

void tst_Commands::endsProgram()
{
    QFETCH(Situation, situation);
    QFETCH(bool, closeBox);

    if (situation == Situation::AboutBoxOpen) {
        Form1->About1->trigger();
        QVERIFY(AboutBox->isVisible());
    } else if (situation == Situation::Shuffling) {
        clickThroughWindow(Form1->Label4);
        Form3->Edit->setText(QStringLiteral("Ala"));
        QTest::mouseClick(Form3->Button2, Qt::LeftButton);
        QVERIFY(Form1->isEnabled());
        QVERIFY(Form1->Timer4->enabled());
    }

    // A write on the way out would put this name into the file.
    Form7->Edit3->setText(QStringLiteral("Nikt"));
    const QByteArray saved = readFile(QStringLiteral("sys.dll"));
    QCOMPARE(saved, startingScoreFile());
    const QSet<QWidget *> shownBefore = visibleWindows();

    if (closeBox)
        static_cast<QWidget *>(Form1)->close();
    else
        clickThroughWindow(Form1->Label5);

    for (QWidget *window : visibleWindows())
        QVERIFY2(shownBefore.contains(window),
                 qPrintable(QStringLiteral("%1 came up on the way out").arg(window->objectName())));
    QTRY_VERIFY_WITH_TIMEOUT(app().terminated(), 2000);
    QCOMPARE(readFile(QStringLiteral("sys.dll")), saved);
}

QTEST_MAIN(tst_Commands)
#include "tst_commands.moc"
