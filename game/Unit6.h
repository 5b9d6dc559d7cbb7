#pragma once

#include "toolkit/Form.h"
#include "toolkit/Timer.h"
#include "ui_Unit6.h"

// The splash window. Created first of all windows, it is the application's main window for the
// whole run: closing it ends the program. Two seconds after start it loads the hall of fame; from
// then on its show timer keeps the current card table shown and itself hidden.
class TForm11 : public toolkit::Form, public Ui::TForm11 {
    Q_OBJECT

public:
    explicit TForm11(QWidget *parent = nullptr);

    toolkit::Timer *Timer1; // show timer
    toolkit::Timer *Timer2; // load timer

    void Timer1Timer();
    void Timer2Timer();
};

extern TForm11 *Form11;
