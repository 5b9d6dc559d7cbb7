#pragma once

#include "toolkit/Form.h"
#include "toolkit/Timer.h"
#include "ui_Unit5.h"

// The debt dialog: the game is over when the money falls below zero. It is left only through
// "Nowa gra" and "Koniec".
class TForm5 : public toolkit::Form, public Ui::TForm5 {
    Q_OBJECT

public:
    explicit TForm5(QWidget *parent = nullptr);

    toolkit::Timer *Timer1; // brings the dialog up

    void Timer1Timer();
    void Button1Click();
    void Button2Click();

protected:
    bool takesCloseRequests() const override { return false; }
};

extern TForm5 *Form5;
