// The name dialog: opening it from the card table, typing and pasting a name, confirming it into
// the table's player-name box, and what the dialog keeps between openings and games.

#include "game/Program.h"
#include "game/Unit1.h"
#include "game/Unit3.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWindow>

#include <memory>

using namespace testsupport;

namespace {

enum class Entry { Typed, InputMethod, CtrlV, PasteCommand };

// Types text with one key press per character (a surrogate pair is one character), as from a
// keyboard whose layout has every one of them.
void typeText(QWidget *widget, const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        QString typed(text.at(i));
        if (text.at(i).isHighSurrogate() && i + 1 < text.size())
            typed.append(text.at(++i));
        const Qt::Key key =
            typed.size() == 1 ? Qt::Key(typed.at(0).toUpper().unicode()) : Qt::Key_unknown;
        QTest::sendKeyEvent(QTest::Click, widget, key, typed, Qt::NoModifier);
    }
}

// A key pressed while the dialog is open goes to the control that has the focus in it.
void pressInDialog(Qt::Key key)
{
    QWidget *target = QApplication::focusWidget();
    if (!target || target->window() != Form3)
        target = Form3->focusWidget() ? Form3->focusWidget() : static_cast<QWidget *>(Form3);
    QTest::keyClick(target, key);
}

QString playerName()
{
    return Form1->Reza->text();
}

} // namespace

Q_DECLARE_METATYPE(Entry)

class tst_NameDialog : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void firstOpeningWaitsForAChange_data();
    void firstOpeningWaitsForAChange();
    void emptiedNameIsConfirmed();
    void laterOpeningShowsTheName_data();
    void laterOpeningShowsTheName();
    void ignoresCloseRequests_data();
    void ignoresCloseRequests();
    void newGameKeepsTheName();
    void nameIsCopiedAsTyped_data();
    void nameIsCopiedAsTyped();
    void refusedCharacters_data();
    void refusedCharacters();

private:
    void open(bool byTak);
    void confirm();

    std::unique_ptr<TemporaryCurrentDir> m_dir;
    std::unique_ptr<ErrorBoxWatcher> m_errors;
};

void tst_NameDialog::init()
{
    m_dir = std::make_unique<TemporaryCurrentDir>();
    copyDataFile(QStringLiteral("sys.dll"));
    m_errors = std::make_unique<ErrorBoxWatcher>();
    startGame();
    QVERIFY(!Form3->isVisible());
}

void tst_NameDialog::cleanup()
{
    stopGame();
    QStringList texts;
    for (const ErrorBoxWatcher::Box &box : m_errors->boxes)
        texts.append(box.text);
    m_errors.reset();
    m_dir.reset();
    QVERIFY2(texts.isEmpty(), qPrintable(QStringLiteral("error boxes: ") + texts.join(" | ")));
}

// Opens the dialog from the card table, by "Tak" or by "Zmień imię".
void tst_NameDialog::open(bool byTak)
{
    QVERIFY(Form1->isEnabled());
    clickThroughWindow(byTak ? static_cast<QWidget *>(Form1->Label4) : Form1->Button1);
    QVERIFY2(Form3->isVisible(), "the name dialog must open");
    QVERIFY2(!Form1->isEnabled(), "the card table must be disabled while the dialog is open");
}

void tst_NameDialog::confirm()
{
    QVERIFY(Form3->Button2->isEnabled());
    QTest::mouseClick(Form3->Button2, Qt::LeftButton);
    QVERIFY2(!Form3->isVisible(), "\"Zatwierdź\" must close the dialog");
    QVERIFY2(Form1->isEnabled(), "\"Zatwierdź\" must enable the card table");
}

void tst_NameDialog::firstOpeningWaitsForAChange_data()
{
    QTest::addColumn<bool>("byTak");
    QTest::addColumn<Qt::Key>("key");
    QTest::newRow("Tak, Enter") << true << Qt::Key_Return;
    QTest::newRow("Tak, Esc") << true << Qt::Key_Escape;
    QTest::newRow("Zmień imię, keypad Enter") << false << Qt::Key_Enter;
    QTest::newRow("Zmień imię, Esc") << false << Qt::Key_Escape;
}

void tst_NameDialog::firstOpeningWaitsForAChange()
{
    QFETCH(bool, byTak);
    QFETCH(Qt::Key, key);
    open(byTak);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(Form3->Edit->text(), QString());
    QVERIFY2(!Form3->Button2->isEnabled(), "\"Zatwierdź\" must be disabled at first");

    pressInDialog(key);
    QTest::mouseClick(Form3->Button2, Qt::LeftButton);
    QVERIFY2(Form3->isVisible(), "nothing must leave the dialog before a change");
    QVERIFY(!Form1->isEnabled());
    QCOMPARE(playerName(), QStringLiteral("Reza"));

    // The player types at once, without clicking into the box.
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(Form3->Edit));
    typeText(QApplication::focusWidget(), QStringLiteral("A"));
    QVERIFY(Form3->Button2->isEnabled());
    pressInDialog(key);
    QVERIFY2(!Form3->isVisible(), "the key must confirm the name once it is changed");
    QVERIFY(Form1->isEnabled());
    QCOMPARE(playerName(), QStringLiteral("A"));
}

void tst_NameDialog::emptiedNameIsConfirmed()
{
    open(true);
    if (QTest::currentTestFailed())
        return;
    typeText(Form3->Edit, QStringLiteral("x"));
    QTest::keyClick(Form3->Edit, Qt::Key_Backspace);
    QCOMPARE(Form3->Edit->text(), QString());
    QVERIFY2(Form3->Button2->isEnabled(), "\"Zatwierdź\" must stay enabled after a change");
    confirm();
    QCOMPARE(playerName(), QString());
}

void tst_NameDialog::laterOpeningShowsTheName_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Enter") << int(Qt::Key_Return);
    QTest::newRow("Esc") << int(Qt::Key_Escape);
    QTest::newRow("Zatwierdź clicked") << 0;
}

void tst_NameDialog::laterOpeningShowsTheName()
{
    QFETCH(int, key);
    auto leave = [key] {
        if (key)
            pressInDialog(Qt::Key(key));
        else
            QTest::mouseClick(Form3->Button2, Qt::LeftButton);
    };
    open(true);
    if (QTest::currentTestFailed())
        return;
    typeText(Form3->Edit, QStringLiteral("Ola"));
    confirm();
    QCOMPARE(playerName(), QStringLiteral("Ola"));

    open(false);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(Form3->Edit->text(), QStringLiteral("Ola"));
    QVERIFY2(Form3->Button2->isEnabled(), "\"Zatwierdź\" must be enabled at a later opening");
    leave();
    QVERIFY(!Form3->isVisible());
    QVERIFY(Form1->isEnabled());
    QCOMPARE(playerName(), QStringLiteral("Ola"));

    // A changed name replaces the one shown.
    open(false);
    if (QTest::currentTestFailed())
        return;
    Form3->Edit->selectAll();
    typeText(Form3->Edit, QStringLiteral("Iza"));
    leave();
    QVERIFY(!Form3->isVisible());
    QVERIFY(Form1->isEnabled());
    QCOMPARE(playerName(), QStringLiteral("Iza"));
}

void tst_NameDialog::ignoresCloseRequests_data()
{
    QTest::addColumn<bool>("changed");
    QTest::addColumn<bool>("fromWindow");
    QTest::newRow("unchanged, widget close") << false << false;
    QTest::newRow("changed, widget close") << true << false;
    QTest::newRow("changed, window close") << true << true;
}

void tst_NameDialog::ignoresCloseRequests()
{
    QFETCH(bool, changed);
    QFETCH(bool, fromWindow);
    open(true);
    if (QTest::currentTestFailed())
        return;
    if (changed)
        typeText(Form3->Edit, QStringLiteral("Ola"));

    TickRecorder recorder;
    if (fromWindow)
        Form3->windowHandle()->close();
    else
        static_cast<QWidget *>(Form3)->close();
    // Whatever the request might have set going has had its chance.
    QVERIFY(waitForTicks(recorder, QStringLiteral("TForm11.Timer1"), 1));

    QVERIFY2(Form3->isVisible(), "a close request must not close the name dialog");
    QVERIFY(!Form1->isEnabled());
    QCOMPARE(playerName(), QStringLiteral("Reza"));
    QCOMPARE(Form3->Edit->text(), changed ? QStringLiteral("Ola") : QString());

    // The dialog still works after the refused request.
    if (!changed)
        typeText(Form3->Edit, QStringLiteral("Ola"));
    confirm();
    QCOMPARE(playerName(), QStringLiteral("Ola"));
}

void tst_NameDialog::newGameKeepsTheName()
{
    open(true);
    if (QTest::currentTestFailed())
        return;
    typeText(Form3->Edit, QStringLiteral("Ewa"));
    confirm();
    QCOMPARE(playerName(), QStringLiteral("Ewa"));

    const TForm1 *const oldTable = Form1;
    startNewGame();
    QTRY_VERIFY_WITH_TIMEOUT(Form1 != oldTable && Form1->isVisible(), 2000);
    QCOMPARE(playerName(), QStringLiteral("Reza"));
    QVERIFY(!Form3->isVisible());
    QCOMPARE(Form3->Edit->text(), QStringLiteral("Ewa"));

    open(true);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(Form3->Edit->text(), QStringLiteral("Ewa"));
    QVERIFY(Form3->Button2->isEnabled());
    pressInDialog(Qt::Key_Return);
    QVERIFY(!Form3->isVisible());
    QVERIFY2(Form1->isEnabled(), "the new card table must be enabled again");
    QCOMPARE(playerName(), QStringLiteral("Ewa"));
}

void tst_NameDialog::nameIsCopiedAsTyped_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("pasted");
    QTest::newRow("markup") << QStringLiteral("<b>x</b>") << false;
    QTest::newRow("entities") << QStringLiteral("&amp; &lt;i&gt;") << false;
    QTest::newRow("spaces only") << QStringLiteral("   ") << false;
    QTest::newRow("Polish") << QStringLiteral("Zażółć gęślą jaźń") << false;
    QTest::newRow("1000 characters") << QStringLiteral("Abcdefghij").repeated(100) << false;
    QTest::newRow("40000 characters, pasted")
        << QStringLiteral("Abcdefghij").repeated(4000) << true;
}

void tst_NameDialog::nameIsCopiedAsTyped()
{
    QFETCH(QString, name);
    QFETCH(bool, pasted);
    open(true);
    if (QTest::currentTestFailed())
        return;
    if (pasted) {
        QApplication::clipboard()->setText(name);
        QTest::keyClick(Form3->Edit, Qt::Key_V, Qt::ControlModifier);
    } else {
        typeText(Form3->Edit, name);
    }
    QCOMPARE(Form3->Edit->text(), name);
    confirm();
    QCOMPARE(playerName(), name);
    QCOMPARE(Form3->Edit->text(), name);
    // Given a text while the player is not typing, the box shows its beginning, not its end.
    Form3->Edit->setText(QStringLiteral("Ala ") + name);
    QCOMPARE(Form3->Edit->cursorPosition(), 0);

    // The name box shows a name that fits centred, a longer one from its start.
    auto *box = Form1->Reza;
    const QImage shown = box->grab().toImage();
    const QRect inside = box->contentsRect();
    int left = inside.right() + 1;
    int right = inside.left() - 1;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const QColor pixel(shown.pixel(x, y));
            if (pixel.green() > 128 && pixel.red() < 100 && pixel.blue() < 100) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    if (name.trimmed().isEmpty()) {
        QVERIFY(left > right);
        return;
    }
    const int leftGap = left - inside.left();
    const int rightGap = inside.right() - right;
    if (QFontMetrics(box->font()).horizontalAdvance(name) <= inside.width() - 8) {
        QVERIFY2(qAbs(leftGap - rightGap) <= 3,
                 qPrintable(QString::number(leftGap) + " " + QString::number(rightGap)));
    } else {
        QVERIFY2(leftGap >= 3 && leftGap <= 7 && rightGap == 0,
                 qPrintable(QString::number(leftGap) + " " + QString::number(rightGap)));
    }
}

void tst_NameDialog::refusedCharacters_data()
{
    QTest::addColumn<Entry>("entry");
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("cursorAfter");
    const QString polish = QStringLiteral("ąćęłńóśźż ĄĆĘŁŃÓŚŹŻ");
    // A refused character into the empty box changes nothing: "Zatwierdź" stays disabled.
    QTest::newRow("typed å into the empty box")
        << Entry::Typed << QString() << 0 << QStringLiteral("å") << QString() << 0;
    QTest::newRow("typed Ж into the empty box")
        << Entry::Typed << QString() << 0 << QStringLiteral("Ж") << QString() << 0;
    // The box holds at most 65 536 characters; of a longer paste the end is cut off.
    const QString longest(65536, QLatin1Char('a'));
    QTest::newRow("Ctrl+V, the longest name")
        << Entry::CtrlV << QString() << 0 << longest << longest << 65536;
    QTest::newRow("Ctrl+V, longer than the longest name")
        << Entry::CtrlV << QStringLiteral("Jan") << 1 << QString(70000, QLatin1Char('x'))
        << QStringLiteral("J") + QString(65533, QLatin1Char('x')) + QStringLiteral("an") << 65534;
    QTest::newRow("typed Cyrillic and emoji")
        << Entry::Typed << QString() << 0 << QStringLiteral("AlaЖ😀ma") << QStringLiteral("Alama")
        << 5;
    QTest::newRow("typed in the middle") << Entry::Typed << QStringLiteral("Ola") << 1
                                         << QStringLiteral("ЖxЖ") << QStringLiteral("Oxla") << 2;
    QTest::newRow("typed Polish letters")
        << Entry::Typed << QString() << 0 << polish << polish << int(polish.size());
    QTest::newRow("typed letters missing from the code page")
        << Entry::Typed << QString() << 0 << QStringLiteral("señor å €")
        << QStringLiteral("seor  €") << 7;
    QTest::newRow("input method, control characters")
        << Entry::InputMethod << QString() << 0 << QStringLiteral("a\tb\rc\nd\u001Ae")
        << QStringLiteral("abcde") << 5;
    QTest::newRow("Ctrl+V, line ends and tab in the middle")
        << Entry::CtrlV << QStringLiteral("Ola") << 1 << QStringLiteral("x\r\ny\tz")
        << QStringLiteral("Oxyzla") << 4;
    QTest::newRow("Ctrl+V, Ctrl-Z at the end")
        << Entry::CtrlV << QString() << 0 << QStringLiteral("Kot\x1a") << QStringLiteral("Kot")
        << 3;
    QTest::newRow("Ctrl+V, Cyrillic and emoji")
        << Entry::CtrlV << QStringLiteral("Jan") << 3 << QStringLiteral(" aЖb😀c")
        << QStringLiteral("Jan abc") << 7;
    QTest::newRow("Ctrl+V, Polish letters")
        << Entry::CtrlV << QString() << 0 << polish << polish << int(polish.size());
    QTest::newRow("paste command, nothing acceptable")
        << Entry::PasteCommand << QStringLiteral("Ewa") << 3 << QStringLiteral("\r\n\t\x1aЖ😀")
        << QStringLiteral("Ewa") << 3;
    QTest::newRow("paste command, C1 control character")
        << Entry::PasteCommand << QString() << 0 << QStringLiteral("a\u0085b")
        << QStringLiteral("ab") << 2;
}

void tst_NameDialog::refusedCharacters()
{
    QFETCH(Entry, entry);
    QFETCH(QString, before);
    QFETCH(int, cursor);
    QFETCH(QString, input);
    QFETCH(QString, after);
    QFETCH(int, cursorAfter);
    open(true);
    if (QTest::currentTestFailed())
        return;
    QLineEdit *edit = Form3->Edit;
    typeText(edit, before);
    QCOMPARE(edit->text(), before);
    edit->setCursorPosition(cursor);

    switch (entry) {
    case Entry::Typed:
        typeText(edit, input);
        break;
    case Entry::InputMethod: {
        QInputMethodEvent event;
        event.setCommitString(input);
        QApplication::sendEvent(edit, &event);
        break;
    }
    case Entry::CtrlV:
        QApplication::clipboard()->setText(input);
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
        break;
    case Entry::PasteCommand:
        QApplication::clipboard()->setText(input);
        edit->paste();
        break;
    }

    QCOMPARE(edit->text(), after);
    QCOMPARE(edit->cursorPosition(), cursorAfter);
    if (before.isEmpty() && after.isEmpty()) {
        QVERIFY2(!Form3->Button2->isEnabled(), "nothing has changed");
        pressInDialog(Qt::Key_Return);
        QVERIFY2(Form3->isVisible(), "Enter must not confirm an unchanged name");
        return;
    }
    confirm();
    QCOMPARE(playerName(), after);
}

QTEST_MAIN(tst_NameDialog)
#include "tst_namedialog.moc"
