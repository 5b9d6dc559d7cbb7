#include "game/Unit1.h"
#include "game/Unit3.h"
#include "game/Unit4.h"
#include "game/Unit5.h"
#include "game/Unit6.h"
#include "game/Unit7.h"
#include "game/Unit8.h"
#include "support/TestSupport.h"
#include "toolkit/Application.h"
#include "toolkit/BitBtn.h"
#include "toolkit/GlyphButton.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QSet>
#include <QTest>

#include <memory>

using namespace testsupport;

namespace {

const QColor Teal(0, 128, 128);

// The ways a player asks for a new game.
enum class Entry { MenuCommand, MenuByMouse, F2Key, DebtNowaGra, PromptTak };

// What is on the table when the new game is asked for.
enum class Situation { Opening, Shuffling, ResultShown, DebtDialog, Prompt };

// The ways a player ends the program.
enum class Ending { Koniec, KoniecHallOfFameOpen, PromptNie, PromptEsc, NieLabel, CloseBox };

// A key pressed while the window is the active one: it goes to the window's focused control.
void pressOnWindow(QWidget *window, Qt::Key key)
{
    QWidget *target = window->focusWidget() ? window->focusWidget() : window;
    QTest::keyClick(target, key);
}

QList<TForm1 *> cardTables()
{
    QList<TForm1 *> tables;
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (auto *table = qobject_cast<TForm1 *>(widget))
            tables.append(table);
    return tables;
}

// The card button of the visible arrangement at the first slot.
toolkit::GlyphButton *visibleCard()
{
    for (toolkit::GlyphButton *button : Form1->cardButtons())
        if (button->isVisible())
            return button;
    return nullptr;
}

// "Tak", the name confirmed: the first shuffle runs on an enabled table.
void acceptGame()
{
    clickThroughWindow(Form1->Label4);
    QVERIFY2(Form3->isVisible(), "\"Tak\" opens the name dialog");
    Form3->Edit->setText(QStringLiteral("Ala"));
    QTest::mouseClick(Form3->Button2, Qt::LeftButton);
    QVERIFY(!Form3->isVisible());
    QVERIFY(Form1->isEnabled());
    QVERIFY2(Form1->Timer4->enabled(), "the shuffle runs");
}

// The visible arrangement's card button with the black card under it, or a red one.
toolkit::GlyphButton *cardToPick(bool black)
{
    const auto buttons = Form1->cardButtons();
    // Arrangement C (SpeedButton1..3) holds the black card at slot 3, B (4..6) at slot 2 and A
    // (7..9) at slot 1.
    const int blackOf[3] = {2, 4, 6};
    for (int first = 0; first < 9; first += 3) {
        if (!buttons[first]->isVisible())
            continue;
        const int blackAt = blackOf[first / 3];
        return buttons[black ? blackAt : (blackAt == first ? first + 1 : first)];
    }
    return nullptr;
}

// A whole first deal: accepted, shuffled and a card picked.
void playOneDeal()
{
    acceptGame();
    if (QTest::currentTestFailed())
        return;
    QTRY_VERIFY_WITH_TIMEOUT(!Form1->Timer4->enabled(), 3000);
    toolkit::GlyphButton *card = visibleCard();
    QVERIFY2(card, "an arrangement is shown when the shuffle ends");
    const QString dealsBefore = Form1->licz->text();
    clickThroughWindow(card);
    QCOMPARE(Form1->licz->text(), QString::number(dealsBefore.toInt() - 1));
    QVERIFY2(Form1->Button2->isEnabled(), "the result is shown");
}

// A pick left the money below zero: the debt dialog's timer is on, as the pick leaves it.
void openDebtDialog()
{
    Form1->kasa->setText(QStringLiteral("-50"));
    Form5->Timer1->setEnabled(true);
    QTRY_VERIFY_WITH_TIMEOUT(Form5->isVisible(), 2000);
    QVERIFY2(!Form1->isEnabled(), "the debt dialog disables the card table");
}

// The last deal was played and the hall of fame closed: the prompt comes up.
void openPrompt()
{
    Form1->licz->setText(QStringLiteral("0"));
    Form7->Timer1->setEnabled(true);
    QTRY_VERIFY_WITH_TIMEOUT(Form7->isVisible(), 3000);
    static_cast<QWidget *>(Form7)->close();
    QVERIFY(!Form7->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(Form8->isVisible(), 2000);
    QVERIFY2(!Form1->isEnabled(), "the prompt disables the card table");
}

void askForNewGame(Entry entry)
{
    switch (entry) {
    case Entry::MenuCommand:
        Form1->Nowa2->trigger();
        break;
    case Entry::MenuByMouse:
        clickMenuItem(Form1->Nowa1, Form1->Nowa2);
        break;
    case Entry::F2Key:
        QVERIFY(activate(Form1));
        QTest::keyClick(Form1, Qt::Key_F2);
        break;
    case Entry::DebtNowaGra:
        QTest::mouseClick(Form5->Button1, Qt::LeftButton);
        break;
    case Entry::PromptTak:
        QTest::mouseClick(Form8->BitBtn1, Qt::LeftButton);
        break;
    }
}

// A fresh card table as every game begins.
void verifyStartState(TForm1 *table)
{
    QVERIFY(table->isVisible());
    QVERIFY(table->isEnabled());
    QCOMPARE(table->kasa->text(), QStringLiteral("2000"));
    QCOMPARE(table->licz->text(), QStringLiteral("60"));
    QCOMPARE(table->Reza->text(), QStringLiteral("Reza"));
    QCOMPARE(table->stawka->value(), 100);
    QCOMPARE(table->stawka->text(), QStringLiteral("100"));
    QCOMPARE(backgroundOf(table->centralwidget), Teal);
    QVERIFY(table->RadioButton1->isChecked());
    QVERIFY(!table->RadioButton2->isChecked());
    QVERIFY(table->Label3->isVisible());
    QVERIFY(table->Label4->isVisible());
    QVERIFY(table->Label5->isVisible());
    QCOMPARE(table->Image1->pos(), QPoint(56, 48));
    QCOMPARE(table->Image2->pos(), QPoint(192, 64));
    QCOMPARE(table->Image3->pos(), QPoint(328, 64));
    QVERIFY(table->Image1->isVisible());
    QVERIFY(table->Image2->isVisible());
    QVERIFY(table->Image3->isVisible());
    QVERIFY(table->Image4->isVisible());
    QVERIFY(!table->Image5->isVisible());
    QVERIFY(!table->Image6->isVisible());
    QVERIFY(!table->Label1->isVisible());
    QVERIFY(!table->Label2->isVisible());
    for (toolkit::GlyphButton *button : table->cardButtons())
        QVERIFY2(!button->isVisible(), qPrintable(button->objectName()));
    QVERIFY(!table->Button2->isVisible());
}

// After a new game was asked for: the old table is hidden at once and released later, the splash
// window is up until the next show tick brings the new table, and the new table starts afresh.
void verifyNewGame(TForm1 *oldTable)
{
    QPointer<TForm1> old(oldTable);
    QVERIFY2(Form1 != oldTable, "a new card table replaces the old one");
    QVERIFY2(old, "the old table lives until the handler has returned");
    QVERIFY(!old->isVisible());
    QVERIFY2(Form11->isVisible(), "the splash window shows until the next show tick");
    QTRY_VERIFY_WITH_TIMEOUT(Form1->isVisible(), 1000);
    QVERIFY2(!Form11->isVisible(), "the tick that shows the table hides the splash window");
    QTRY_VERIFY_WITH_TIMEOUT(old.isNull(), 1000);
    verifyStartState(Form1);
}

QString textOf(QWidget *widget)
{
    if (auto *label = qobject_cast<QLabel *>(widget))
        return label->text();
    if (auto *button = qobject_cast<QAbstractButton *>(widget))
        return button->text();
    return widget->windowTitle();
}

// Every control under a window's accessible object, shown or not yet, that a screen reader could
// not read or use (no name, a role other than its class's, a button it cannot press), and the
// names and texts it reads. A class not listed needs a name unless it is a mere container.
void walkAccessible(QAccessibleInterface *iface, QStringList &read, QStringList &faults)
{
    using A = QAccessible;
    const QList<QPair<const char *, A::Role>> roles = {
        {"QRadioButton", A::RadioButton},       {"QAbstractButton", A::Button},
        {"toolkit::ClickLabel", A::Button},     {"QAbstractSpinBox", A::SpinBox},
        {"QLineEdit", A::EditableText},         {"toolkit::EditBox", A::EditableText},
        {"toolkit::RichEdit", A::EditableText}, {"QLabel", A::StaticText}};
    for (int i = 0; i < iface->childCount(); ++i) {
        QAccessibleInterface *child = iface->child(i);
        auto *w = qobject_cast<QWidget *>(child->object());
        if (w && w->isWindow())
            continue;
        A::Role role = w ? A::NoRole : A::MenuItem;
        for (const auto &[className, classRole] : roles)
            role = role == A::NoRole && w->inherits(className) ? classRole : role;
        if (auto *label = qobject_cast<QLabel *>(w); label && !label->pixmap().isNull())
            role = A::Graphic;
        if (role == A::NoRole && w->findChildren<QWidget *>().isEmpty() && !w->inherits("QFrame"))
            role = child->role();
        const QString name = child->text(A::Name);
        read << name << child->text(A::Value);
        if (role != A::NoRole && (name.trimmed().isEmpty() || child->role() != role ||
                                  (role == A::Button && w->isEnabled() &&
                                   !child->actionInterface()->actionNames().contains(
                                       QAccessibleActionInterface::pressAction()))))
            faults << (w ? w->objectName() : name) + QStringLiteral(" role %1").arg(child->role());
        walkAccessible(child, read, faults);
    }
}

} // namespace

Q_DECLARE_METATYPE(Entry)
Q_DECLARE_METATYPE(Situation)
Q_DECLARE_METATYPE(Ending)

class tst_Dialogs : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void texts_data();
    void texts();
    void accessibleNames_data();
    void accessibleNames();
    void newGame_data();
    void newGame();
    void otherEndDialogStaysWorking_data();
    void otherEndDialogStaysWorking();
    void newGameFromDebtDialogBeforeHallOfFameCloses();
    void newGameRightAfterTheLastPick_data();
    void newGameRightAfterTheLastPick();
    void endsProgram_data();
    void endsProgram();
    void endDialogsIgnoreCloseRequests_data();
    void endDialogsIgnoreCloseRequests();
    void aboutBoxCloses_data();
    void aboutBoxCloses();
    void gameGoesOnWithAboutBoxOpen();
    void manyNewGames();

private:
    std::unique_ptr<TemporaryCurrentDir> m_dir;
    std::unique_ptr<ErrorBoxWatcher> m_errors;
};

void tst_Dialogs::init()
{
    m_dir = std::make_unique<TemporaryCurrentDir>();
    copyDataFile(QStringLiteral("sys.dll"));
    m_errors = std::make_unique<ErrorBoxWatcher>();
    startGame();
    QVERIFY(Form1 && Form1->isVisible());
    QVERIFY(!Form11->isVisible());
}

void tst_Dialogs::cleanup()
{
    stopGame();
    QVERIFY2(m_errors->boxes.isEmpty(),
             qPrintable(QStringLiteral("unexpected error box: ") +
                        (m_errors->boxes.isEmpty() ? QString() : m_errors->boxes.first().text)));
    m_errors.reset();
    m_dir.reset();
}

void tst_Dialogs::texts_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("text"); // "*": any text that is not empty

    QTest::newRow("debt caption") << "Form5"
                                  << ""
                                  << "Gra";
    QTest::newRow("debt Label1") << "Form5"
                                 << "Label1"
                                 << "Masz dług!";
    QTest::newRow("debt Label2") << "Form5"
                                 << "Label2"
                                 << "Koniec gry!";
    QTest::newRow("debt Button1") << "Form5"
                                  << "Button1"
                                  << "Nowa gra";
    QTest::newRow("debt Button2") << "Form5"
                                  << "Button2"
                                  << "Koniec";
    QTest::newRow("prompt Label1") << "Form8"
                                   << "Label1"
                                   << "Nowa gra?";
    QTest::newRow("prompt BitBtn1") << "Form8"
                                    << "BitBtn1"
                                    << "&Tak";
    QTest::newRow("prompt BitBtn2") << "Form8"
                                    << "BitBtn2"
                                    << "&Nie";
    QTest::newRow("about caption") << "AboutBox"
                                   << ""
                                   << "About";
    QTest::newRow("about ProductName") << "AboutBox"
                                       << "ProductName"
                                       << "Product Name: ZAKRYTKA";
    QTest::newRow("about Version") << "AboutBox"
                                   << "Version"
                                   << "Version: 1.0";
    QTest::newRow("about Copyright") << "AboutBox"
                                     << "Copyright"
                                     << "*";
    QTest::newRow("about web address") << "AboutBox"
                                       << "Label1"
                                       << "*";
    QTest::newRow("about e-mail") << "AboutBox"
                                  << "Comments"
                                  << "*";
    QTest::newRow("about OKButton") << "AboutBox"
                                    << "OKButton"
                                    << "OK";
}

void tst_Dialogs::texts()
{
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(QString, text);

    QWidget *form = windowNamed(window);
    QVERIFY(form);
    QWidget *widget =
        control.isEmpty() ? form : form->findChild<QWidget *>(control, Qt::FindChildrenRecursively);
    QVERIFY2(widget, qPrintable(control));
    if (text == QLatin1String("*"))
        QVERIFY2(!textOf(widget).trimmed().isEmpty(), qPrintable(control));
    else
        QCOMPARE(textOf(widget), text);
    if (auto *button = qobject_cast<toolkit::BitBtn *>(widget))
        QVERIFY2(!button->glyph().isNull(), "the prompt's buttons show their pictures");
}

void tst_Dialogs::accessibleNames_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("names"); // some of the names and texts read, "|" between them
    QTest::addColumn<QString>("press"); // a label pressed by the screen reader: "Tak"
    const char *rows[][4] = {
        {"table", "Form1",
         "Karta lewa|Karta środkowa|Karta prawa|Tak|Stawka|Pieniądze gracza|2000|Pozostało gier|"
         "Imię gracza|Reza|Krupier zmartwiony",
         "Label4"},
        {"name dialog", "Form3", "Imię|Imię gracza", ""},
        {"hall of fame", "Form7", "Miejsce 1|Ruzize", ""},
        {"splash", "Form11", "ZAKRYTKA", ""},
        {"debt", "Form5", "Masz dług!|Nowa gra", ""},
        {"prompt", "Form8", "Tak|Nie", ""},
        {"about", "AboutBox", "About|OK", ""}};
    for (const auto &row : rows)
        QTest::newRow(row[0]) << row[1] << row[2] << row[3];
}

void tst_Dialogs::accessibleNames()
{
    // A control added or changed without a name or with the wrong role is read by a screen reader
    // as nothing, or as a bare "button", and a label that acts as a button cannot be pressed.
    QFETCH(QString, window);
    QFETCH(QString, names);
    QFETCH(QString, press);
    QWidget *form = windowNamed(window);
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(form);
    QVERIFY(iface->role() == QAccessible::Window || iface->role() == QAccessible::Dialog);
    QStringList read = {iface->text(QAccessible::Name)};
    QStringList faults;
    walkAccessible(iface, read, faults);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral(", "))));
    for (const QString &name : names.split('|'))
        QVERIFY2(read.contains(name), qPrintable(name + QStringLiteral(" in ") + read.join('|')));
    if (!press.isEmpty()) {
        QAccessible::queryAccessibleInterface(form->findChild<QWidget *>(press))
            ->actionInterface()
            ->doAction(QAccessibleActionInterface::pressAction());
        QTRY_VERIFY(Form3->isVisible());
    }
}

void tst_Dialogs::newGame_data()
{
    QTest::addColumn<Situation>("situation");
    QTest::addColumn<Entry>("entry");

    QTest::newRow("menu Nowa") << Situation::Opening << Entry::MenuCommand;
    QTest::newRow("menu Nowa clicked") << Situation::Opening << Entry::MenuByMouse;
    QTest::newRow("F2") << Situation::Opening << Entry::F2Key;
    QTest::newRow("debt dialog Nowa gra") << Situation::DebtDialog << Entry::DebtNowaGra;
    QTest::newRow("prompt Tak") << Situation::Prompt << Entry::PromptTak;
    QTest::newRow("Nowa during a shuffle") << Situation::Shuffling << Entry::MenuCommand;
    QTest::newRow("F2 with a result shown") << Situation::ResultShown << Entry::F2Key;
}

void tst_Dialogs::newGame()
{
    QFETCH(Situation, situation);
    QFETCH(Entry, entry);

    switch (situation) {
    case Situation::Opening:
        break;
    case Situation::Shuffling:
        acceptGame();
        break;
    case Situation::ResultShown:
        playOneDeal();
        break;
    case Situation::DebtDialog:
        openDebtDialog();
        break;
    case Situation::Prompt:
        openPrompt();
        break;
    }
    if (QTest::currentTestFailed())
        return;

    // What the other windows hold must survive the new game.
    Form7->Edit3->setText(QStringLiteral("Zosia"));
    Form3->Edit->setText(QStringLiteral("Ala"));
    const qsizetype windows = QApplication::topLevelWidgets().size();
    TForm1 *old = Form1;

    askForNewGame(entry);
    if (QTest::currentTestFailed())
        return;
    if (situation == Situation::DebtDialog)
        QVERIFY2(!Form5->isVisible(), "\"Nowa gra\" closes the debt dialog");
    if (situation == Situation::Prompt)
        QVERIFY2(!Form8->isVisible(), "\"&Tak\" hides the prompt");
    verifyNewGame(old);
    if (QTest::currentTestFailed())
        return;

    QCOMPARE(Form7->Edit3->text(), QStringLiteral("Zosia"));
    QCOMPARE(Form3->Edit->text(), QStringLiteral("Ala"));
    QVERIFY(!Form5->isVisible());
    QVERIFY(!Form8->isVisible());
    QVERIFY(!Form3->isVisible());
    QTRY_COMPARE(QApplication::topLevelWidgets().size(), windows);
    QCOMPARE(cardTables().size(), 1);
    QVERIFY(!app().terminated());
}

void tst_Dialogs::otherEndDialogStaysWorking_data()
{
    QTest::addColumn<bool>("debtFirst");
    QTest::addColumn<bool>("secondStartsNewGame");

    QTest::newRow("Nowa gra, then Tak") << true << true;
    QTest::newRow("Nowa gra, then Nie") << true << false;
    QTest::newRow("Tak, then Nowa gra") << false << true;
    QTest::newRow("Tak, then Koniec") << false << false;
}

void tst_Dialogs::otherEndDialogStaysWorking()
{
    QFETCH(bool, debtFirst);
    QFETCH(bool, secondStartsNewGame);

    // The last deal left the player in debt: both end-of-game windows come up.
    Form1->kasa->setText(QStringLiteral("-50"));
    Form1->licz->setText(QStringLiteral("0"));
    Form5->Timer1->setEnabled(true);
    Form7->Timer1->setEnabled(true);
    QTRY_VERIFY_WITH_TIMEOUT(Form5->isVisible() && Form7->isVisible(), 3000);
    static_cast<QWidget *>(Form7)->close();
    QTRY_VERIFY_WITH_TIMEOUT(Form8->isVisible(), 2000);
    QVERIFY2(Form5->isVisible(), "both end-of-game dialogs are on screen");
    QVERIFY(!Form1->isEnabled());
    const QByteArray saved = readFile(QStringLiteral("sys.dll"));

    TForm1 *first = Form1;
    askForNewGame(debtFirst ? Entry::DebtNowaGra : Entry::PromptTak);
    verifyNewGame(first);
    if (QTest::currentTestFailed())
        return;
    QWidget *other = debtFirst ? static_cast<QWidget *>(Form8) : static_cast<QWidget *>(Form5);
    QVERIFY2(other->isVisible(), "the other end-of-game dialog stays on screen");
    QVERIFY(other->isEnabled());

    if (secondStartsNewGame) {
        TForm1 *second = Form1;
        askForNewGame(debtFirst ? Entry::PromptTak : Entry::DebtNowaGra);
        QVERIFY(!other->isVisible());
        verifyNewGame(second);
        QCOMPARE(cardTables().size(), 1);
        QVERIFY(!app().terminated());
    } else {
        // Nothing the hall of fame shows now may reach the file on the way out.
        Form7->Edit3->setText(QStringLiteral("Nikt"));
        if (debtFirst)
            QTest::mouseClick(Form8->BitBtn2, Qt::LeftButton);
        else
            QTest::mouseClick(Form5->Button2, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(app().terminated(), 2000);
        QCOMPARE(readFile(QStringLiteral("sys.dll")), saved);
    }
}

void tst_Dialogs::newGameFromDebtDialogBeforeHallOfFameCloses()
{
    // The prompt belongs to the game that ended: a new game started meanwhile has all its deals.
    Form1->kasa->setText(QStringLiteral("-50"));
    Form1->licz->setText(QStringLiteral("0"));
    Form5->Timer1->setEnabled(true);
    Form7->Timer1->setEnabled(true);
    QTRY_VERIFY_WITH_TIMEOUT(Form5->isVisible() && Form7->isVisible(), 3000);

    TForm1 *old = Form1;
    askForNewGame(Entry::DebtNowaGra);
    verifyNewGame(old);
    if (QTest::currentTestFailed())
        return;
    QVERIFY(Form7->isVisible());

    static_cast<QWidget *>(Form7)->close();
    QVERIFY(!Form7->isVisible());
    QVERIFY2(!Form7->Timer7->enabled(), "no prompt is handed over");
    QVERIFY(!Form8->isVisible());
    QVERIFY(Form1->isEnabled());
    QCOMPARE(Form1->licz->text(), QStringLiteral("60"));
}

void tst_Dialogs::newGameRightAfterTheLastPick_data()
{
    QTest::addColumn<bool>("debt");

    QTest::newRow("pick into debt") << true;
    QTest::newRow("last deal") << false;
}

void tst_Dialogs::newGameRightAfterTheLastPick()
{
    // The end of a finished game never falls on the fresh table of a new game asked for at once.
    QFETCH(bool, debt);

    if (debt)
        Form1->kasa->setText(QStringLiteral("50"));
    else
        Form1->licz->setText(QStringLiteral("1"));
    const QStringList hallBefore = boxTexts();
    acceptGame();
    if (QTest::currentTestFailed())
        return;
    QTRY_VERIFY_WITH_TIMEOUT(!Form1->Timer4->enabled(), 3000);
    toolkit::GlyphButton *card = cardToPick(!debt);
    QVERIFY(card);
    QVERIFY(activate(Form1));

    clickThroughWindow(card);
    const QString money = Form1->kasa->text();
    QCOMPARE(money, debt ? QStringLiteral("-50") : QStringLiteral("2100"));
    QVERIFY(debt ? Form5->Timer1->enabled() : Form7->Timer1->enabled());
    // F2 pressed while the pick's sound played is taken as soon as the sound has ended.
    const QPointer<TForm1> old = Form1;
    TickRecorder recorder;
    QTest::keyClick(Form1, Qt::Key_F2);
    QVERIFY2(Form1 != old.data(), "F2 starts a new game");
    QTRY_VERIFY(Form1->isVisible() && old.isNull());
    QVERIFY(!Form5->Timer1->enabled() && !Form7->Timer1->enabled());

    // The finished game's hand-overs are dropped: no debt dialog, no ranking, no prompt.
    QVERIFY(waitForTicks(recorder, QStringLiteral("TForm11.Timer1"), 2));
    QVERIFY2(!Form5->isVisible(), "no debt dialog over a game that starts with 2000");
    QVERIFY2(!Form7->isVisible(), "no ranking of the new table's money");
    QVERIFY(!Form7->Timer7->enabled());
    QCOMPARE(boxTexts(), hallBefore);
    QVERIFY(Form1->isEnabled());
    verifyStartState(Form1);
}

void tst_Dialogs::endsProgram_data()
{
    QTest::addColumn<Ending>("ending");
    QTest::addColumn<int>("newGames");

    QTest::newRow("Koniec") << Ending::Koniec << 0;
    QTest::newRow("Koniec after three new games") << Ending::Koniec << 3;
    QTest::newRow("Koniec with the hall of fame open") << Ending::KoniecHallOfFameOpen << 0;
    QTest::newRow("prompt Nie") << Ending::PromptNie << 0;
    QTest::newRow("prompt Nie after three new games") << Ending::PromptNie << 3;
    QTest::newRow("prompt Esc") << Ending::PromptEsc << 0;
    QTest::newRow("Nie label after three new games") << Ending::NieLabel << 3;
    QTest::newRow("close box after three new games") << Ending::CloseBox << 3;
}

void tst_Dialogs::endsProgram()
{
    QFETCH(Ending, ending);
    QFETCH(int, newGames);

    for (int i = 0; i < newGames; ++i) {
        TForm1 *old = Form1;
        askForNewGame(i % 2 ? Entry::F2Key : Entry::MenuCommand);
        verifyNewGame(old);
        if (QTest::currentTestFailed())
            return;
    }

    switch (ending) {
    case Ending::Koniec:
        openDebtDialog();
        break;
    case Ending::KoniecHallOfFameOpen:
        Form1->kasa->setText(QStringLiteral("-50"));
        Form1->licz->setText(QStringLiteral("0"));
        Form5->Timer1->setEnabled(true);
        Form7->Timer1->setEnabled(true);
        QTRY_VERIFY_WITH_TIMEOUT(Form5->isVisible() && Form7->isVisible(), 3000);
        break;
    case Ending::PromptNie:
    case Ending::PromptEsc:
        openPrompt();
        break;
    case Ending::NieLabel:
    case Ending::CloseBox:
        break;
    }
    if (QTest::currentTestFailed())
        return;

    // A write on the way out would put this name into the file.
    Form7->Edit3->setText(QStringLiteral("Nikt"));
    const QByteArray saved = readFile(QStringLiteral("sys.dll"));
    QVERIFY(!saved.isEmpty());
    const QSet<QWidget *> shownBefore = visibleWindows();

    switch (ending) {
    case Ending::Koniec:
    case Ending::KoniecHallOfFameOpen:
        QTest::mouseClick(Form5->Button2, Qt::LeftButton);
        break;
    case Ending::PromptNie:
        QTest::mouseClick(Form8->BitBtn2, Qt::LeftButton);
        break;
    case Ending::PromptEsc:
        QVERIFY(activate(Form8));
        pressOnWindow(Form8, Qt::Key_Escape);
        break;
    case Ending::NieLabel:
        clickThroughWindow(Form1->Label5);
        break;
    case Ending::CloseBox:
        static_cast<QWidget *>(Form1)->close();
        break;
    }

    for (QWidget *window : visibleWindows())
        QVERIFY2(shownBefore.contains(window),
                 qPrintable(QStringLiteral("%1 came up on the way out").arg(window->objectName())));
    QTRY_VERIFY_WITH_TIMEOUT(app().terminated(), 2000);
    QCOMPARE(readFile(QStringLiteral("sys.dll")), saved);
}

void tst_Dialogs::endDialogsIgnoreCloseRequests_data()
{
    QTest::addColumn<bool>("debtDialog");

    QTest::newRow("debt dialog") << true;
    QTest::newRow("prompt") << false;
}

void tst_Dialogs::endDialogsIgnoreCloseRequests()
{
    QFETCH(bool, debtDialog);

    if (debtDialog)
        openDebtDialog();
    else
        openPrompt();
    if (QTest::currentTestFailed())
        return;
    QWidget *dialog = debtDialog ? static_cast<QWidget *>(Form5) : static_cast<QWidget *>(Form8);
    const QPointer<TForm1> table = Form1;

    dialog->close();

    QVERIFY2(dialog->isVisible(), "the dialog is left only through its buttons");
    QVERIFY(!Form1->isEnabled());
    QVERIFY2(table && Form1 == table.data(), "the card table is still the same");
    QTRY_VERIFY(!Form11->isVisible());
    QVERIFY(!app().terminated());
}

void tst_Dialogs::aboutBoxCloses_data()
{
    QTest::addColumn<QString>("way");

    QTest::newRow("OK") << "OK";
    QTest::newRow("Enter") << "Enter";
    QTest::newRow("close box") << "close box";
}

void tst_Dialogs::aboutBoxCloses()
{
    QFETCH(QString, way);

    for (int round = 0; round < 2; ++round) {
        Form1->About1->trigger();
        QVERIFY(AboutBox->isVisible());
        QVERIFY2(Form1->isEnabled(), "the About box leaves the card table enabled");

        if (way == QLatin1String("OK")) {
            QTest::mouseClick(AboutBox->OKButton, Qt::LeftButton);
        } else if (way == QLatin1String("Enter")) {
            QVERIFY(activate(AboutBox));
            pressOnWindow(AboutBox, Qt::Key_Return);
        } else {
            static_cast<QWidget *>(AboutBox)->close();
        }

        QTRY_VERIFY(!AboutBox->isVisible());
        QVERIFY(Form1->isVisible());
        QVERIFY(Form1->isEnabled());
        QVERIFY(!app().terminated());
    }
}

void tst_Dialogs::gameGoesOnWithAboutBoxOpen()
{
    clickMenuItem(Form1->Pomoc1, Form1->About1);
    QTRY_VERIFY(AboutBox->isVisible());
    QVERIFY(Form1->isEnabled());

    playOneDeal();
    if (QTest::currentTestFailed())
        return;
    QVERIFY(AboutBox->isVisible());

    // Showing it again while it is open changes nothing.
    Form1->About1->trigger();
    QVERIFY(AboutBox->isVisible());

    QVERIFY(activate(Form1));
    QTest::keyClick(Form1, Qt::Key_F3);
    QVERIFY2(Form7->isVisible(), "F3 opens the hall of fame while the About box is open");
    QVERIFY(!Form1->isEnabled());
    QVERIFY(AboutBox->isVisible());
}

void tst_Dialogs::manyNewGames()
{
    const qsizetype windows = QApplication::topLevelWidgets().size();
    const Entry entries[] = {Entry::MenuCommand, Entry::F2Key, Entry::DebtNowaGra,
                             Entry::PromptTak};
    for (int round = 0; round < 30; ++round) {
        const Entry entry = entries[round % 4];
        if (entry == Entry::DebtNowaGra) {
            openDebtDialog();
        } else if (entry == Entry::PromptTak) {
            // The hall of fame's hand-over after it closed at the end of a game.
            Form1->licz->setText(QStringLiteral("0"));
            Form7->Timer7->setEnabled(true);
            QTRY_VERIFY(Form8->isVisible());
        }
        TForm1 *old = Form1;
        askForNewGame(entry);
        verifyNewGame(old);
        if (QTest::currentTestFailed())
            QFAIL(qPrintable(QStringLiteral("new game %1 failed").arg(round + 1)));
    }
    QCOMPARE(cardTables().size(), 1);
    QTRY_COMPARE(QApplication::topLevelWidgets().size(), windows);

    // The last table still ends the program at once.
    const QByteArray saved = readFile(QStringLiteral("sys.dll"));
    clickThroughWindow(Form1->Label5);
    QTRY_VERIFY_WITH_TIMEOUT(app().terminated(), 2000);
    QCOMPARE(readFile(QStringLiteral("sys.dll")), saved);
}

QTEST_MAIN(tst_Dialogs)
#include "tst_dialogs.moc"
