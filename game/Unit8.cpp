#include "game/Unit8.h"

#include "game/Program.h"
#include "game/Unit1.h"
#include "game/Unit6.h"
#include "toolkit/Handler.h"

TForm8 *Form8 = nullptr;

TForm8::TForm8(QWidget *parent) : toolkit::Form(parent)
{
    setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setOwner([] { return Form1; });
    applyDesign();
    // "&Nie" is the window's cancel button: Esc clicks it. Neither is the default button.
    setCancelButton(BitBtn2);
    BitBtn1->setFocus();
    toolkit::handle(BitBtn1, &QPushButton::clicked, this, &TForm8::BitBtn1Click);
    toolkit::handle(BitBtn2, &QPushButton::clicked, this, &TForm8::BitBtn2Click);
}

void TForm8::BitBtn1Click()
{
    Form1->hide();
    hide();
    startNewGame();
}

void TForm8::BitBtn2Click()
{
    Form1->close();
    Form11->close();
}
