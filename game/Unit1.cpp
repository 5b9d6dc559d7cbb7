#include "game/Unit1.h"

#include "game/Program.h"
#include "game/Unit3.h"
#include "game/Unit4.h"
#include "game/Unit5.h"
#include "game/Unit6.h"
#include "game/Unit7.h"
#include "platform/HelpEngine.h"
#include "platform/SoundPlayer.h"
#include "toolkit/Application.h"
#include "toolkit/Convert.h"
#include "toolkit/Handler.h"
#include "toolkit/Picture.h"

#include <QKeyEvent>
#include <QMenu>

using toolkit::intToStr;
using toolkit::strToInt;

TForm1 *Form1 = nullptr;

namespace {

const QPoint Slot1(48, 32);
const QPoint Slot2(184, 32);
const QPoint Slot3(320, 32);
const QPoint ResultPlace(180, 175);

// One row of the pick table: the arrangement a card button belongs to and the face it reveals.
// The black face, Image1, is a win; a red face a loss.
struct PickRow {
    int arrangement; // 0 = A, 1 = B, 2 = C
    toolkit::Image *Ui::TForm1::*face;
};

const PickRow pickTable[9] = {
    {2, &Ui::TForm1::Image2}, // SpeedButton1: C, slot 1, loss
    {2, &Ui::TForm1::Image3}, // SpeedButton2: C, slot 2, loss
    {2, &Ui::TForm1::Image1}, // SpeedButton3: C, slot 3, win
    {1, &Ui::TForm1::Image3}, // SpeedButton4: B, slot 1, loss
    {1, &Ui::TForm1::Image1}, // SpeedButton5: B, slot 2, win
    {1, &Ui::TForm1::Image2}, // SpeedButton6: B, slot 3, loss
    {0, &Ui::TForm1::Image1}, // SpeedButton7: A, slot 1, win
    {0, &Ui::TForm1::Image2}, // SpeedButton8: A, slot 2, loss
    {0, &Ui::TForm1::Image3}, // SpeedButton9: A, slot 3, loss
};

} // namespace

TForm1::TForm1(QWidget *parent) : toolkit::Form(parent)
{
    setupUi(this);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowIcon(toolkit::pictureIcon(QStringLiteral(":/assets/icon_cards.png")));
    applyDesign();
    Button1->setFocus();

    Timer1 = new toolkit::Timer(this, 55, false, QStringLiteral("Timer1"));
    Timer2 = new toolkit::Timer(this, 55, false, QStringLiteral("Timer2"));
    Timer3 = new toolkit::Timer(this, 55, false, QStringLiteral("Timer3"));
    Timer4 = new toolkit::Timer(this, 557, false, QStringLiteral("Timer4"));
    Timer5 = new toolkit::Timer(this, 6, true, QStringLiteral("Timer5"));

    using toolkit::handle;
    using toolkit::Timer;
    handle(Timer1, &Timer::timer, this, &TForm1::Timer1Timer);
    handle(Timer2, &Timer::timer, this, &TForm1::Timer2Timer);
    handle(Timer3, &Timer::timer, this, &TForm1::Timer3Timer);
    handle(Timer4, &Timer::timer, this, &TForm1::Timer4Timer);
    handle(Timer5, &Timer::timer, this, &TForm1::Timer5Timer);
    handle(Label4, &toolkit::ClickLabel::clicked, this, &TForm1::Label4Click);
    handle(Label5, &toolkit::ClickLabel::clicked, this, &TForm1::Label5Click);
    handle(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    handle(Button2, &QPushButton::clicked, this, &TForm1::Button2Click);

    void (TForm1::*const pickHandlers[9])() = {
        &TForm1::SpeedButton1Click, &TForm1::SpeedButton2Click, &TForm1::SpeedButton3Click,
        &TForm1::SpeedButton4Click, &TForm1::SpeedButton5Click, &TForm1::SpeedButton6Click,
        &TForm1::SpeedButton7Click, &TForm1::SpeedButton8Click, &TForm1::SpeedButton9Click};
    const auto buttons = cardButtons();
    for (int i = 0; i < 9; ++i)
        handle(buttons[i], &QAbstractButton::clicked, this, pickHandlers[i]);

    // A colour command runs when its radio button becomes selected, not when it is clicked again.
    connect(
        RadioButton1, &QRadioButton::toggled, this,
        [this](bool on) {
            if (on)
                toolkit::guard(
                    this, [this] { RadioButton1Click(); });
        });
    connect(RadioButton2, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            toolkit::guard(this, [this] { RadioButton2Click(); });
    });

    menuCommand(Nowa2, &TForm1::Nowa2Click);
    menuCommand(Nowawpisy1, &TForm1::Nowawpisy1Click);
    menuCommand(About1, &TForm1::About1Click);
    menuCommand(Text1, &TForm1::Text1Click);
    // F1 in the open menu asks for help on the highlighted item.
    Nowa1->installEventFilter(this);
    Pomoc1->installEventFilter(this);
}

void TForm1::menuCommand(QAction *action, void (TForm1::*handler)())
{
    connect(
        action, &QAction::triggered, this,
        [this, handler] {
            if (isEnabled() && isVisible())
                toolkit::guard(
                    this, [this, handler] { (this->*handler)(); });
        });
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    auto *menu = qobject_cast<QMenu *>(watched);
    if (menu && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_F1) {
        const QAction *item = menu->activeAction();
        const quint32 context = item ? item->property("helpContext").toUInt() : 0;
        toolkit::guard(this, [context] {
            toolkit::Application::instance().helpCommand(platform::HELP_CONTEXT, context);
        });
        return true;
    }
    return toolkit::Form::eventFilter(watched, event);
}

std::array<toolkit::GlyphButton *, 9> TForm1::cardButtons() const
{
    return {SpeedButton1, SpeedButton2, SpeedButton3, SpeedButton4, SpeedButton5,
            SpeedButton6, SpeedButton7, SpeedButton8, SpeedButton9};
}

bool TForm1::tossBit() const
{
    return strToInt(Edit1->text()) != 0;
}

void TForm1::showArrangement(Arrangement shown)
{
    const auto buttons = cardButtons();
    // Arrangement C is SpeedButton1..3, B is 4..6, A is 7..9.
    for (int i = 0; i < 9; ++i) {
        const Arrangement of = i < 3 ? C : i < 6 ? B : A;
        buttons[i]->setVisible(of == shown);
    }
}

void TForm1::Label4Click()
{
    Form3->show();
    setEnabled(false);
    Button2->show();
    Label3->hide();
    Image1->hide();
    Image2->hide();
    Image3->hide();
    Timer1->setEnabled(true);
    Timer4->setEnabled(true);
    Label4->hide();
    Label5->hide();
    Image1->move(ResultPlace);
    Image2->move(ResultPlace);
    Image3->move(ResultPlace);
}

void TForm1::Button2Click()
{
    for (auto *button : cardButtons())
        button->setEnabled(false);
    Label1->hide();
    Label2->hide();
    Image5->hide();
    Image6->hide();
    Image4->show();
    Image1->hide();
    Image2->hide();
    Image3->hide();
    Button2->setEnabled(false);
    if (tossBit())
        Timer1->setEnabled(true);
    else
        Timer2->setEnabled(true);
    Timer4->setEnabled(true);
}

void TForm1::Timer1Timer()
{
    Image1->move(Slot1);
    Image1->show();
    showArrangement(A);
    if (tossBit())
        Timer3->setEnabled(true);
    else
        Timer2->setEnabled(true);
    Timer1->setEnabled(false);
}

void TForm1::Timer2Timer()
{
    Image1->move(Slot2);
    Image1->show();
    showArrangement(B);
    // The step to B does not toss: it leaves both other step timers running.
    Timer1->setEnabled(true);
    Timer3->setEnabled(false);
    Timer2->setEnabled(false);
    Timer3->setEnabled(true);
}

void TForm1::Timer3Timer()
{
    Image1->move(Slot3);
    Image1->show();
    showArrangement(C);
    if (tossBit())
        Timer2->setEnabled(true);
    else
        Timer1->setEnabled(true);
    Timer3->setEnabled(false);
}

void TForm1::Timer4Timer()
{
    Timer1->setEnabled(false);
    Timer2->setEnabled(false);
    Timer3->setEnabled(false);
    for (auto *button : cardButtons())
        button->setEnabled(true);
    Image1->hide();
    Image1->move(ResultPlace);
    Timer4->setEnabled(false);
}

void TForm1::Timer5Timer()
{
    const int n = strToInt(Edit1->text()) + 1;
    Edit1->setText(intToStr(n));
    if (n > 1)
        Edit1->setText(QStringLiteral("0"));
}

void TForm1::pick(int button)
{
    const PickRow &row = pickTable[button];
    const bool win = row.face == &Ui::TForm1::Image1;
    const auto buttons = cardButtons();

    Button2->setEnabled(true);
    Timer1->setEnabled(false);
    Timer2->setEnabled(false);
    Timer3->setEnabled(false);
    Image4->hide();
    (win ? Image5 : Image6)->show();
    buttons[button]->hide();
    (this->*row.face)->show();
    (win ? Label1 : Label2)->show();
    // The picked arrangement's buttons: SpeedButton1..3 for C, 4..6 for B, 7..9 for A.
    const int first = (2 - row.arrangement) * 3;
    for (int i = first; i < first + 3; ++i)
        buttons[i]->setEnabled(false);
    const int money = strToInt(kasa->text());
    const int stake = strToInt(stawka->text());
    kasa->setText(intToStr(win ? money + stake : money - stake));
    licz->setText(intToStr(strToInt(licz->text()) - 1));
    platform::playSound(".\\C", nullptr, 0);
    if (strToInt(kasa->text()) < 0)
        Form5->Timer1->setEnabled(true);
    if (strToInt(licz->text()) == 0)
        Form7->Timer1->setEnabled(true);
}

void TForm1::SpeedButton1Click()
{
    pick(0);
}
void TForm1::SpeedButton2Click()
{
    pick(1);
}
void TForm1::SpeedButton3Click()
{
    pick(2);
}
void TForm1::SpeedButton4Click()
{
    pick(3);
}
void TForm1::SpeedButton5Click()
{
    pick(4);
}
void TForm1::SpeedButton6Click()
{
    pick(5);
}
void TForm1::SpeedButton7Click()
{
    pick(6);
}
void TForm1::SpeedButton8Click()
{
    pick(7);
}
void TForm1::SpeedButton9Click()
{
    pick(8);
}

void TForm1::Nowa2Click()
{
    hide();
    startNewGame();
}

void TForm1::Nowawpisy1Click()
{
    setEnabled(false);
    Form7->show();
}

void TForm1::About1Click()
{
    AboutBox->show();
}

void TForm1::Text1Click()
{
    toolkit::Application &app = toolkit::Application::instance();
    app.setHelpFile(QStringLiteral("ZAKRYTKA.HLP"));
    app.helpCommand(platform::HELP_CONTENTS, 0);
}

void TForm1::Button1Click()
{
    Form3->show();
    setEnabled(false);
}

void TForm1::Label5Click()
{
    Form11->close();
}

void TForm1::setColour(const QColor &colour)
{
    toolkit::setBackColor(centralwidget, colour);
    toolkit::setBackColor(RadioButton2, colour);
    toolkit::setBackColor(RadioButton1, colour);
}

void TForm1::RadioButton1Click()
{
    setColour(QColor(0, 128, 128));
}

void TForm1::RadioButton2Click()
{
    setColour(QColor(128, 128, 128));
}

void TForm1::formClose(toolkit::CloseAction &)
{
    Form11->close();
}
