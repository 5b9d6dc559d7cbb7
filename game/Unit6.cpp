#include "game/Unit6.h"

#include "game/ScoreFile.h"
#include "game/Unit1.h"
#include "game/Unit7.h"
#include "toolkit/Handler.h"
#include "toolkit/Picture.h"

TForm11 *Form11 = nullptr;

TForm11::TForm11(QWidget *parent) : toolkit::Form(parent)
{
    setupUi(this);
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setWindowIcon(toolkit::pictureIcon(QStringLiteral(":/assets/icon_cards2.png")));
    applyDesign();
    Label1->adjustSize();

    Timer2 = new toolkit::Timer(this, 2000, true, QStringLiteral("Timer2"));
    Timer1 = new toolkit::Timer(this, 100, false, QStringLiteral("Timer1"));
    toolkit::handle(Timer2, &toolkit::Timer::timer, this, &TForm11::Timer2Timer);
    toolkit::handle(Timer1, &toolkit::Timer::timer, this, &TForm11::Timer1Timer);

    show();
}

void TForm11::Timer2Timer()
{
    readScoreFile(Form7->fileBoxes());
    Timer1->setEnabled(true);
    Timer2->setEnabled(false);
}

void TForm11::Timer1Timer()
{
    // A minimised table counts as shown and stays minimised.
    if (Form1 && !Form1->isVisible())
        Form1->show();
    if (isVisible())
        hide();
}
