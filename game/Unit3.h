#pragma once

#include "toolkit/Form.h"
#include "ui_Unit3.h"

// The name dialog. It keeps its text and the state of "Zatwierdź" between openings and across
// new games; "Zatwierdź" (also Enter and Esc while it is enabled) is the only way out of it.
class TForm3 : public toolkit::Form, public Ui::TForm3 {
    Q_OBJECT

public:
    explicit TForm3(QWidget *parent = nullptr);

    void EditChange();
    void Button2Click();

protected:
    bool takesCloseRequests() const override { return false; }
};

extern TForm3 *Form3;
