#include "game/Unit1.h"
#include "game/Unit3.h"
#include "support/TestSupport.h"
#include "toolkit/Convert.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <QToolTip>

using namespace testsupport;

class tst_CardTable : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { setUpApplication(); }
    void init();
    void cleanup();

    void openingView_data();
    void openingView();
    void stackingOrder();
    void windowAndMenu();
    void stakeKeys_data();
    void stakeKeys();
    void stakeRefusesEditing();
    void stakeArrows();
    void clickRouting();
    void hints();
    void pictureHolders();
    void cardButtonLooks();

private:
    TemporaryCurrentDir *m_dir = nullptr;
};

void tst_CardTable::init()
{
    m_dir = new TemporaryCurrentDir;
    copyDataFile("sys.dll");
    startGame();
}

void tst_CardTable::cleanup()
{
    stopGame();
    delete m_dir;
    m_dir = nullptr;
}

void tst_CardTable::openingView_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QString>("text");

    auto row = [](const char *name, QRect geometry, bool visible, bool enabled, QString text) {
        QTest::newRow(name) << QString(name) << geometry << visible << enabled << text;
    };
    for (int i = 1; i <= 9; ++i) {
        const int left = (i - 1) % 3 == 0 ? 48 : (i - 1) % 3 == 1 ? 184 : 320;
        const QByteArray name = "SpeedButton" + QByteArray::number(i);
        QTest::newRow(name) << QString(name) << QRect(left, 32, 97, 129) << false << true
                            << QString();
    }
    row("Image1", QRect(56, 48, 97, 130), true, true, {});
    row("Image2", QRect(192, 64, 97, 130), true, true, {});
    row("Image3", QRect(328, 64, 97, 130), true, true, {});
    row("Image4", QRect(448, 32, 90, 120), true, true, {});
    row("Image5", QRect(448, 32, 90, 120), false, true, {});
    row("Image6", QRect(448, 32, 90, 120), false, true, {});
    row("Label1", QRect(456, 168, 76, 24), false, true, "Cholera!!");
    row("Label2", QRect(448, 168, 95, 24), false, true, "Nie czarna!");
    row("Label3", QRect(32, 0, 389, 24), true, true, "Czarna wygrywa, czerwona przegrywa. Grasz?");
    row("Label4", QRect(440, 0, 27, 20), true, true, "Tak");
    row("Label5", QRect(528, 0, 25, 20), true, true, "Nie");
    row("Label8", QRect(384, 328, 128, 20), true, true, QString::fromUtf8("Pieniądze gracza"));
    row("Label9", QRect(496, 360, 17, 24), true, true, QString::fromUtf8("zł"));
    row("Label10", QRect(352, 224, 195, 20), true, true,
        QString::fromUtf8("Stawka min-100max-950zł"));
    row("Label6", QRect(8, 320, 122, 24), true, true, QString::fromUtf8("Pozostało gier"));
    row("Button1", QRect(64, 352, 75, 25), true, true, QString::fromUtf8("&Zmień imię"));
    row("Reza", QRect(144, 352, 233, 41), true, false, "Reza");
    row("Button2", QRect(432, 256, 57, 33), false, false, "&OK");
    row("stawka", QRect(360, 256, 57, 30), true, true, "100");
    row("kasa", QRect(384, 352, 105, 32), true, false, "2000");
    row("licz", QRect(136, 320, 25, 25), true, false, "60");
    row("RadioButton1", QRect(16, 248, 113, 17), true, true, "&Turkus");
    row("RadioButton2", QRect(16, 272, 113, 17), true, true, "&Szary");
    row("Edit1", QRect(72, 200, 33, 32), false, true, {});
}

void tst_CardTable::openingView()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(bool, visible);
    QFETCH(bool, enabled);
    QFETCH(QString, text);
    QWidget *widget = control<QWidget>(Form1, qPrintable(name));
    QVERIFY2(widget, qPrintable(name));
    // A label is at least as wide as designed and grows to fit its text.
    if (qobject_cast<QLabel *>(widget) && !text.isEmpty()) {
        QCOMPARE(widget->pos(), geometry.topLeft());
        QVERIFY(widget->width() >= geometry.width());
        QCOMPARE(widget->height(), geometry.height());
    } else {
        QCOMPARE(widget->geometry(), geometry);
    }
    QCOMPARE(widget->isVisible(), visible);
    QCOMPARE(widget->isEnabled(), enabled);
    if (text.isEmpty())
        return;
    QString shown;
    if (auto *label = qobject_cast<QLabel *>(widget))
        shown = label->text();
    else if (auto *button = qobject_cast<QAbstractButton *>(widget))
        shown = button->text();
    else if (auto *box = qobject_cast<toolkit::EditBox *>(widget))
        shown = box->text();
    else if (auto *spin = qobject_cast<QSpinBox *>(widget))
        shown = spin->text();
    else if (auto *rich = qobject_cast<toolkit::RichEdit *>(widget))
        shown = rich->text();
    QCOMPARE(shown, text);
}

void tst_CardTable::stackingOrder()
{
    // The black face lies over the card buttons; the windowed controls above every picture.
    const QObjectList children = Form1->centralWidget()->children();
    auto index = [&](const char *name) { return children.indexOf(control<QWidget>(Form1, name)); };
    QVERIFY(index("SpeedButton9") < index("Image1"));
    QVERIFY(index("SpeedButton1") < index("Image2"));
    QVERIFY(index("Image2") < index("SpeedButton4"));
    QVERIFY(index("Image1") < index("Button1"));
    QVERIFY(index("Image4") < index("Image6"));
}

void tst_CardTable::windowAndMenu()
{
    QCOMPARE(Form1->centralWidget()->size(), QSize(578, 399));
    QCOMPARE(Form1->windowTitle(), QStringLiteral("ZAKRYTKA - www.zakrytka.example.org"));
    QVERIFY(!(Form1->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(Form1->windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(Form1->windowFlags() & Qt::WindowCloseButtonHint);
    QCOMPARE(Form1->centralWidget()->palette().color(QPalette::Window), QColor(0, 128, 128));
    QCOMPARE(Form1->kasa->palette().color(QPalette::Base), QColor(0, 0, 0));
    QCOMPARE(Form1->Reza->palette().color(QPalette::Disabled, QPalette::Text), QColor(0, 255, 0));
    QCOMPARE(Form1->Label4->palette().color(QPalette::WindowText), QColor(255, 255, 0));
    QCOMPARE(Form1->Label4->font().pixelSize(), 16);
    QCOMPARE(Form1->Label3->font().pixelSize(), 19);
    QCOMPARE(Form1->Reza->font().pixelSize(), 23);
    QVERIFY(Form1->Reza->font().bold());
    QCOMPARE(Form1->Label4->cursor().shape(), Qt::CrossCursor);
    QCOMPARE(Form1->Label5->cursor().shape(), Qt::ForbiddenCursor);
    QTRY_COMPARE(QApplication::focusWidget(), Form1->Button1);

    QCOMPARE(Form1->MainMenu1->actions().size(), 2);
    QCOMPARE(Form1->Nowa1->title(), QStringLiteral("Gra"));
    QCOMPARE(Form1->Pomoc1->title(), QStringLiteral("Pomoc"));
    const QList<QAction *> game = Form1->Nowa1->actions();
    const QList<QAction *> help = Form1->Pomoc1->actions();
    QCOMPARE(game.size(), 2);
    QCOMPARE(help.size(), 2);
    QCOMPARE(game[0]->text(), QStringLiteral("Nowa"));
    QCOMPARE(game[0]->shortcut(), QKeySequence(Qt::Key_F2));
    QCOMPARE(game[1]->text(), QStringLiteral("Wpisy"));
    QCOMPARE(game[1]->shortcut(), QKeySequence(Qt::Key_F3));
    QCOMPARE(help[0]->text(), QStringLiteral("About"));
    QVERIFY(help[0]->shortcut().isEmpty());
    QCOMPARE(help[1]->text(), QStringLiteral("Text"));
    QCOMPARE(help[1]->shortcut(), QKeySequence(Qt::Key_F1));
}

void tst_CardTable::stakeKeys_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("presses");
    QTest::addColumn<int>("expected");
    QTest::newRow("up") << 100 << int(Qt::Key_Up) << 1 << 150;
    QTest::newRow("up to the top") << 800 << int(Qt::Key_Up) << 10 << 950;
    QTest::newRow("down") << 500 << int(Qt::Key_Down) << 2 << 400;
    QTest::newRow("down at the bottom") << 100 << int(Qt::Key_Down) << 3 << 100;
    QTest::newRow("page up refused") << 100 << int(Qt::Key_PageUp) << 1 << 100;
    QTest::newRow("page down refused") << 500 << int(Qt::Key_PageDown) << 1 << 500;
}

void tst_CardTable::stakeKeys()
{
    QFETCH(int, start);
    QFETCH(int, key);
    QFETCH(int, presses);
    QFETCH(int, expected);
    Form1->stawka->setValue(start);
    Form1->stawka->setFocus();
    for (int i = 0; i < presses; ++i)
        QTest::keyClick(Form1->stawka, Qt::Key(key));
    QCOMPARE(Form1->stawka->text(), QString::number(expected));
}

void tst_CardTable::stakeRefusesEditing()
{
    // Whatever the player does, the stake box holds a number from 100 to 950.
    auto *box = Form1->stawka;
    box->setValue(250);
    box->setFocus();
    QTest::keyClicks(box, "7x");
    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClick(box, Qt::Key_Home);
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_X, Qt::ControlModifier);
    QApplication::clipboard()->setText("999");
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_Insert, Qt::ShiftModifier);
    QWheelEvent wheel(QPointF(10, 10), box->mapToGlobal(QPointF(10, 10)), QPoint(0, 120),
                      QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(box, &wheel);
    // Nothing in the context menu changes the stake (Qt's spin box offers Step up and Step down):
    // each enabled item in turn is chosen with Enter.
    for (int item = 0, items = 1; item < items; ++item) {
        bool handled = false;
        QTimer::singleShot(0, box, [&] {
            handled = true;
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            QList<QAction *> enabled;
            for (QAction *action : menu ? menu->actions() : QList<QAction *>())
                if (action->isEnabled() && !action->isSeparator())
                    enabled.append(action);
            items = enabled.size();
            if (item < items) {
                menu->setActiveAction(enabled[item]);
                QTest::keyClick(menu, Qt::Key_Return);
            }
        });
        QContextMenuEvent request(QContextMenuEvent::Mouse, QPoint(10, 10),
                                  box->mapToGlobal(QPoint(10, 10)));
        QApplication::sendEvent(box, &request);
        QTRY_VERIFY(handled && !QApplication::activePopupWidget());
        QCOMPARE(box->text(), QStringLiteral("250"));
    }
    QCOMPARE(box->text(), QStringLiteral("250"));
    QCOMPARE(toolkit::strToInt(box->text()), 250);
    QVERIFY(box->findChild<QLineEdit *>()->isReadOnly());
}

void tst_CardTable::stakeArrows()
{
    auto *box = Form1->stawka;
    box->setValue(300);
    const QPoint up = arrowCentre(box, QStyle::SC_SpinBoxUp);
    const QPoint down = arrowCentre(box, QStyle::SC_SpinBoxDown);

    // A short click steps once, when the mouse is released over the arrow.
    QTest::mousePress(box, Qt::LeftButton, Qt::NoModifier, up);
    QCOMPARE(box->value(), 300);
    QTest::mouseRelease(box, Qt::LeftButton, Qt::NoModifier, up, 50);
    QCOMPARE(box->value(), 350);
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, down);
    QCOMPARE(box->value(), 300);

    // Released away from the arrow, a click does nothing.
    QTest::mousePress(box, Qt::LeftButton, Qt::NoModifier, up);
    QTest::mouseRelease(box, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2), 50);
    QCOMPARE(box->value(), 300);

    // Held down, the arrow repeats after a pause, then quickly, up to the bound: nothing steps
    // before the repeat's first tick.
    box->setValue(100);
    int atFirstRepeat = -1;
    auto *repeat = box->findChild<QTimer *>(QStringLiteral("repeat"));
    QVERIFY(repeat);
    connect(repeat, &QTimer::timeout, box, [&] {
        if (atFirstRepeat < 0)
            atFirstRepeat = box->value();
    });
    QTest::mousePress(box, Qt::LeftButton, Qt::NoModifier, up);
    QCOMPARE(box->value(), 100);
    QTRY_VERIFY(atFirstRepeat >= 0);
    QCOMPARE(atFirstRepeat, 150);
    QTRY_VERIFY_WITH_TIMEOUT(box->value() >= 250, 2000);
    QTRY_COMPARE_WITH_TIMEOUT(box->value(), 950, 3000);
    QTest::mouseRelease(box, Qt::LeftButton, Qt::NoModifier, up);
    QCOMPARE(box->value(), 950);
}

void tst_CardTable::clickRouting()
{
    // Confirm a name first so the table takes clicks, and wait for the shuffle's end.
    clickThroughWindow(Form1->Label4);
    QVERIFY(!Form1->isEnabled());
    control<QLineEdit>(Form3, "Edit")->setText("Ola");
    control<QPushButton>(Form3, "Button2")->click();
    QVERIFY(Form1->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(!Form1->Timer4->enabled(), 2000);

    for (auto *button : Form1->cardButtons()) {
        if (button->isVisible()) {
            clickThroughWindow(button);
            break;
        }
    }
    QCOMPARE(Form1->licz->text(), QStringLiteral("59"));

    // During the next shuffle the buttons are disabled: a click passes through them and does
    // nothing.
    QVERIFY(Form1->Button2->isEnabled());
    Form1->Button2->click();
    const QString money = Form1->kasa->text();
    for (auto *button : Form1->cardButtons())
        if (button->isVisible())
            clickThroughWindow(button);
    QCOMPARE(Form1->kasa->text(), money);
    QCOMPARE(Form1->licz->text(), QStringLiteral("59"));

    // The black face lying over a slot takes the click there and does nothing.
    QTRY_VERIFY_WITH_TIMEOUT(!Form1->Timer4->enabled(), 2000);
    Form1->Image1->move(48, 32);
    Form1->Image1->show();
    clickThroughWindow(Form1->Image1);
    QCOMPARE(Form1->licz->text(), QStringLiteral("59"));
    Form1->Image1->hide();
    // With the face gone the card button below takes it.
    auto *slot1 = Form1->SpeedButton7->isVisible()   ? Form1->SpeedButton7
                  : Form1->SpeedButton4->isVisible() ? Form1->SpeedButton4
                                                     : Form1->SpeedButton1;
    clickThroughWindow(slot1, QPoint(20, 20));
    QCOMPARE(Form1->licz->text(), QStringLiteral("58"));
}

void tst_CardTable::hints()
{
    QCOMPARE(Form1->Label4->toolTip(), QString::fromUtf8("Kliknij tu jeśli grasz!"));
    QCOMPARE(Form1->Label5->toolTip(), QString::fromUtf8("Wyjście z gry"));
    QCOMPARE(Form1->Button1->toolTip(), QString::fromUtf8("Wpisz nowe"));
    QCOMPARE(Form1->Label4->toolTipDuration(), 2500);
    QCOMPARE(Form1->style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay), 500);
}

void tst_CardTable::pictureHolders()
{
    // Faces are stretched over their whole control; the dealer is shown at natural size.
    for (QLabel *face : {Form1->Image1, Form1->Image2, Form1->Image3}) {
        QVERIFY(face->hasScaledContents());
        QCOMPARE(face->pixmap().size(), QSize(76, 104));
        QCOMPARE(face->size(), QSize(97, 130));
        // The picture covers the whole control: no pixel of the table shows through.
        const QImage shown = face->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shown.size(), QSize(97, 130));
        bool tableShows = false;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                tableShows |= shown.pixel(x, y) == qRgb(0, 128, 128);
        QVERIFY(!tableShows);
    }
    for (QLabel *dealer : {Form1->Image4, Form1->Image5, Form1->Image6}) {
        QVERIFY(!dealer->hasScaledContents());
        QCOMPARE(dealer->pixmap().size(), dealer->size());
        QCOMPARE(dealer->size(), QSize(90, 120));
    }
    QCOMPARE(Form1->SpeedButton1->glyph().size(), QSize(146, 194));
}

void tst_CardTable::cardButtonLooks()
{
    auto *button = Form1->SpeedButton5;
    button->show();
    const QImage glyph = button->glyph().toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb black = glyph.pixel(0, glyph.height() - 1);
    QCOMPARE(QColor(black), QColor(Qt::black));
    const QPoint offset((146 - 97) / 2, (194 - 129) / 2);
    const QColor face = button->palette().color(QPalette::Button);
    const QColor shadow = button->palette().color(QPalette::Dark);
    const QColor highlight = button->palette().color(QPalette::Light);

    // Enabled: the glyph centred and clipped, its black shown in the button-face colour.
    QImage shown = button->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shown.size(), QSize(97, 129));
    int checked = 0;
    for (int y = 0; y < 129; y += 3) {
        for (int x = 0; x < 97; x += 3) {
            const QRgb source = glyph.pixel(x + offset.x(), y + offset.y());
            const QColor expected = source == black ? face : QColor(source);
            QCOMPARE(QColor(shown.pixel(x, y)).rgb(), expected.rgb());
            ++checked;
        }
    }
    QVERIFY(checked > 1000);

    // Pressed: the same, one pixel right and down.
    button->setDown(true);
    shown = button->grab().toImage().convertToFormat(QImage::Format_RGB32);
    button->setDown(false);
    for (int y = 1; y < 129; y += 4) {
        for (int x = 1; x < 97; x += 4) {
            const QRgb source = glyph.pixel(x - 1 + offset.x(), y - 1 + offset.y());
            QCOMPARE(QColor(shown.pixel(x, y)).rgb(),
                     (source == black ? face : QColor(source)).rgb());
        }
    }

    // Disabled: black in the shadow colour over a highlight copy one pixel down-right, the rest
    // in the button-face colour.
    button->setEnabled(false);
    shown = button->grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (int y = 1; y < 129; y += 2) {
        for (int x = 1; x < 97; x += 2) {
            const bool here = glyph.pixel(x + offset.x(), y + offset.y()) == black;
            const bool upLeft = glyph.pixel(x - 1 + offset.x(), y - 1 + offset.y()) == black;
            const QColor expected = here ? shadow : upLeft ? highlight : face;
            QCOMPARE(QColor(shown.pixel(x, y)).rgb(), expected.rgb());
        }
    }
    // Enabled again, the normal look comes back.
    button->setEnabled(true);
    const QRgb source = glyph.pixel(10 + offset.x(), 10 + offset.y());
    QCOMPARE(QColor(button->grab().toImage().pixel(10, 10)).rgb(),
             (source == black ? face : QColor(source)).rgb());
}

QTEST_MAIN(tst_CardTable)
#include "tst_cardtable.moc"
