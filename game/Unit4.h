#pragma once

#include "toolkit/Form.h"
#include "ui_Unit4.h"

// The About box. It leaves the card table enabled, so the game goes on while it is open.
class TAboutBox : public toolkit::Form, public Ui::TAboutBox {
    Q_OBJECT

public:
    explicit TAboutBox(QWidget *parent = nullptr);

    void OKButtonClick();
};

extern TAboutBox *AboutBox;
