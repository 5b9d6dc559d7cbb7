#pragma once

#include "toolkit/Form.h"
#include "ui_Unit8.h"

// The new-game prompt after the hall of fame of a full game. Left only through "&Tak" and
// "&Nie" (also Esc).
class TForm8 : public toolkit::Form, public Ui::TForm8 {
    Q_OBJECT

public:
    explicit TForm8(QWidget *parent = nullptr);

    void BitBtn1Click();
    void BitBtn2Click();

protected:
    bool takesCloseRequests() const override { return false; }
};

extern TForm8 *Form8;
