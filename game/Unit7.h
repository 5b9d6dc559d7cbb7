#pragma once

#include "toolkit/EditBox.h"
#include "toolkit/Form.h"
#include "toolkit/Timer.h"
#include "ui_Unit7.h"

#include <array>

// The hall of fame: the five best results with the players' names, and the last result. Its
// boxes are the only storage of the table; "sys.dll" mirrors Edit1..Edit11 line by line.
class TForm7 : public toolkit::Form, public Ui::TForm7 {
    Q_OBJECT

public:
    explicit TForm7(QWidget *parent = nullptr);

    toolkit::Timer *Timer1; // ranking at the end of a game
    toolkit::Timer *Timer2; // entry at place 1
    toolkit::Timer *Timer3; // entry at place 2
    toolkit::Timer *Timer4; // entry at place 3
    toolkit::Timer *Timer5; // entry at place 4
    toolkit::Timer *Timer6; // entry at place 5
    toolkit::Timer *Timer7; // hands over to the new-game prompt

    void Timer1Timer();
    void Timer2Timer();
    void Timer3Timer();
    void Timer4Timer();
    void Timer5Timer();
    void Timer6Timer();
    void Timer7Timer();
    void Button1Click();

    // The boxes in the order of the score file's lines: Edit1 first, Edit11 last.
    std::array<toolkit::EditBox *, 11> fileBoxes() const;

protected:
    void formClose(toolkit::CloseAction &action) override; // FormClose

private:
    void enter(int place);
};

extern TForm7 *Form7;
