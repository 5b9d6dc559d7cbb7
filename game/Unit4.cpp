#include "game/Unit4.h"

#include "game/Unit1.h"
#include "toolkit/Handler.h"
#include "toolkit/Picture.h"

TAboutBox *AboutBox = nullptr;

TAboutBox::TAboutBox(QWidget *parent) : toolkit::Form(parent)
{
    setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    setOwner([] { return Form1; });
    setWindowIcon(toolkit::pictureIcon(QStringLiteral(":/assets/icon_portrait.png")));
    applyDesign();
    setDefaultButton(OKButton);
    OKButton->setFocus();
    toolkit::handle(OKButton, &QPushButton::clicked, this, &TAboutBox::OKButtonClick);
}

void TAboutBox::OKButtonClick()
{
    close();
}
