#include "game/Unit3.h"

#include "game/Unit1.h"
#include "toolkit/Handler.h"
#include "toolkit/Picture.h"

TForm3 *Form3 = nullptr;

TForm3::TForm3(QWidget *parent) : toolkit::Form(parent)
{
    setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowStaysOnTopHint);
    setOwner([] { return Form1; });
    setWindowIcon(toolkit::pictureIcon(QStringLiteral(":/assets/icon_portrait.png")));
    applyDesign();
    setDefaultButton(Button2);
    setCancelButton(Button2);
    // "Zatwierdź" comes first in the tab order but starts disabled, so the box has the focus.
    Edit->setFocus();
    toolkit::handle(Edit, &toolkit::CodePageEdit::changed, this, &TForm3::EditChange);
    toolkit::handle(Button2, &QPushButton::clicked, this, &TForm3::Button2Click);
}

void TForm3::EditChange()
{
    Button2->setEnabled(true);
}

void TForm3::Button2Click()
{
    Form1->setEnabled(true);
    hide();
    Form1->Reza->setText(Edit->text());
}
