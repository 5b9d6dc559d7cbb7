#include "game/Unit5.h"

#include "game/Program.h"
#include "game/Unit1.h"
#include "game/Unit6.h"
#include "toolkit/Handler.h"
#include "toolkit/Picture.h"

TForm5 *Form5 = nullptr;

TForm5::TForm5(QWidget *parent) : toolkit::Form(parent)
{
    setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowStaysOnTopHint);
    setOwner([] { return Form1; });
    setWindowIcon(toolkit::pictureIcon(QStringLiteral(":/assets/icon_portrait.png")));
    applyDesign();
    Timer1 = new toolkit::Timer(this, 10, false, QStringLiteral("Timer1"));
    toolkit::handle(Timer1, &toolkit::Timer::timer, this, &TForm5::Timer1Timer);
    toolkit::handle(Button1, &QPushButton::clicked, this, &TForm5::Button1Click);
    toolkit::handle(Button2, &QPushButton::clicked, this, &TForm5::Button2Click);
}

void TForm5::Timer1Timer()
{
    Form1->setEnabled(false);
    show();
    Timer1->setEnabled(false);
}

void TForm5::Button1Click()
{
    Form1->hide();
    close();
    startNewGame();
}

void TForm5::Button2Click()
{
    Form11->close();
    Form1->close();
}
