#include "game/Unit7.h"

#include "game/ScoreFile.h"
#include "game/Unit1.h"
#include "game/Unit8.h"
#include "platform/SoundPlayer.h"
#include "toolkit/Convert.h"
#include "toolkit/Handler.h"

using toolkit::strToInt;

TForm7 *Form7 = nullptr;

namespace {

// The boxes of one place of the table.
struct Place {
    toolkit::EditBox *Ui::TForm7::*amount;
    toolkit::EditBox *Ui::TForm7::*name;
};

const Place places[5] = {
    {&Ui::TForm7::Edit1, &Ui::TForm7::Edit3},   {&Ui::TForm7::Edit2, &Ui::TForm7::Edit4},
    {&Ui::TForm7::Edit6, &Ui::TForm7::Edit7},   {&Ui::TForm7::Edit8, &Ui::TForm7::Edit9},
    {&Ui::TForm7::Edit10, &Ui::TForm7::Edit11},
};

} // namespace

TForm7::TForm7(QWidget *parent) : toolkit::Form(parent)
{
    setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    setOwner([] { return Form1; });
    applyDesign(toolkit::Border::Sizeable);
    // "Kasowanie kwot" is the only control that takes the focus.
    for (QWidget *child : findChildren<QWidget *>())
        child->setFocusPolicy(Qt::NoFocus);
    Button1->setFocusPolicy(Qt::StrongFocus);
    Button1->setFocus();

    Timer1 = new toolkit::Timer(this, 100, false, QStringLiteral("Timer1"));
    Timer2 = new toolkit::Timer(this, 10, false, QStringLiteral("Timer2"));
    Timer3 = new toolkit::Timer(this, 10, false, QStringLiteral("Timer3"));
    Timer4 = new toolkit::Timer(this, 10, false, QStringLiteral("Timer4"));
    Timer5 = new toolkit::Timer(this, 10, false, QStringLiteral("Timer5"));
    Timer6 = new toolkit::Timer(this, 10, false, QStringLiteral("Timer6"));
    Timer7 = new toolkit::Timer(this, 10, false, QStringLiteral("Timer7"));
    using toolkit::handle;
    using toolkit::Timer;
    handle(Timer1, &Timer::timer, this, &TForm7::Timer1Timer);
    handle(Timer2, &Timer::timer, this, &TForm7::Timer2Timer);
    handle(Timer3, &Timer::timer, this, &TForm7::Timer3Timer);
    handle(Timer4, &Timer::timer, this, &TForm7::Timer4Timer);
    handle(Timer5, &Timer::timer, this, &TForm7::Timer5Timer);
    handle(Timer6, &Timer::timer, this, &TForm7::Timer6Timer);
    handle(Timer7, &Timer::timer, this, &TForm7::Timer7Timer);
    handle(Button1, &QPushButton::clicked, this, &TForm7::Button1Click);
}

std::array<toolkit::EditBox *, 11> TForm7::fileBoxes() const
{
    return {Edit1, Edit2, Edit3, Edit4, Edit5, Edit6, Edit7, Edit8, Edit9, Edit10, Edit11};
}

void TForm7::Timer1Timer()
{
    platform::playSound(".\\T", nullptr, 0);
    Form1->setEnabled(false);
    show();
    Timer1->setEnabled(false);
    Edit5->setText(Form1->kasa->text());
    // Five tests, all of them, in order. Each converts its texts afresh, the result first, so a
    // bad text is reported in the order result, place 1, ..., place 5.
    auto amount = [this](int place) { return strToInt((this->*places[place].amount)->text()); };
    toolkit::Timer *const entries[5] = {Timer2, Timer3, Timer4, Timer5, Timer6};
    for (int place = 0; place < 5; ++place) {
        const int result = strToInt(Edit5->text());
        if (amount(place) < result && (place == 0 || amount(place - 1) >= result))
            entries[place]->setEnabled(true);
    }
}

void TForm7::enter(int place)
{
    // The entries from place 4 up to the new place move one place down, bottom first; the entry
    // at place 5 is lost.
    for (int from = 3; from >= place; --from) {
        (this->*places[from + 1].name)->setText((this->*places[from].name)->text());
        (this->*places[from + 1].amount)->setText((this->*places[from].amount)->text());
    }
    (this->*places[place].name)->setText(Form1->Reza->text());
    (this->*places[place].amount)->setText(Edit5->text());
}

void TForm7::Timer2Timer()
{
    enter(0);
    Timer2->setEnabled(false);
}

void TForm7::Timer3Timer()
{
    enter(1);
    Timer3->setEnabled(false);
}

void TForm7::Timer4Timer()
{
    enter(2);
    Timer4->setEnabled(false);
}

void TForm7::Timer5Timer()
{
    enter(3);
    Timer5->setEnabled(false);
}

void TForm7::Timer6Timer()
{
    enter(4);
    Timer6->setEnabled(false);
}

void TForm7::Timer7Timer()
{
    Form1->setEnabled(false);
    Form8->show();
    Timer7->setEnabled(false);
}

void TForm7::Button1Click()
{
    for (const Place &place : places)
        (this->*place.amount)->setText(Edit12->text());
}

void TForm7::formClose(toolkit::CloseAction &)
{
    writeScoreFile(fileBoxes());
    Form1->setEnabled(true);
    hide();
    if (strToInt(Form1->licz->text()) <= 0)
        Timer7->setEnabled(true);
}
