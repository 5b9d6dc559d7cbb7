#pragma once

#include "toolkit/Form.h"
#include "toolkit/Timer.h"
#include "ui_Unit1.h"

#include <array>

// The card table. It holds the whole state of a game in its controls: money in "kasa", the
// stake in "stawka", deals left in "licz", the player's name in "Reza" and the toss bit in the
// hidden "Edit1". Three arrangements of card buttons cover the three slots; the one shown when
// the shuffle stops holds the black card: A (SpeedButton7..9) at slot 1, B (SpeedButton4..6) at
// slot 2, C (SpeedButton1..3) at slot 3.
class TForm1 : public toolkit::Form, public Ui::TForm1 {
    Q_OBJECT

public:
    explicit TForm1(QWidget *parent = nullptr);

    toolkit::Timer *Timer1; // shuffle step to arrangement A
    toolkit::Timer *Timer2; // shuffle step to arrangement B
    toolkit::Timer *Timer3; // shuffle step to arrangement C
    toolkit::Timer *Timer4; // end of the shuffle
    toolkit::Timer *Timer5; // flips the toss bit

    // The deal.
    void Label4Click();
    void Button2Click();
    void Timer1Timer();
    void Timer2Timer();
    void Timer3Timer();
    void Timer4Timer();
    void Timer5Timer();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton4Click();
    void SpeedButton5Click();
    void SpeedButton6Click();
    void SpeedButton7Click();
    void SpeedButton8Click();
    void SpeedButton9Click();

    // The table's commands.
    void Nowa2Click();
    void Nowawpisy1Click();
    void About1Click();
    void Text1Click();
    void Button1Click();
    void Label5Click();
    void RadioButton1Click();
    void RadioButton2Click();

    // The nine card buttons, SpeedButton1 first.
    std::array<toolkit::GlyphButton *, 9> cardButtons() const;

protected:
    void formClose(toolkit::CloseAction &action) override; // FormClose
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum Arrangement { A, B, C };
    void showArrangement(Arrangement shown);
    void pick(int button);
    bool tossBit() const;
    void setColour(const QColor &colour);
    // Menu commands and their short-cuts work only while the table is enabled and active.
    void menuCommand(QAction *action, void (TForm1::*handler)());
};

extern TForm1 *Form1;
