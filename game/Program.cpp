#include "game/Program.h"

#include "game/Unit1.h"
#include "game/Unit3.h"
#include "game/Unit4.h"
#include "game/Unit5.h"
#include "game/Unit6.h"
#include "game/Unit7.h"
#include "game/Unit8.h"
#include "toolkit/Application.h"
#include "toolkit/Picture.h"

#include <QApplication>

void createWindows()
{
    toolkit::Application &app = toolkit::Application::instance();
    QApplication::setWindowIcon(toolkit::pictureIcon(QStringLiteral(":/assets/app_icon.png")));
    app.initialize();
    app.createForm(Form11);
    app.createForm(Form3);
    app.createForm(AboutBox);
    app.createForm(Form5);
    app.createForm(Form1);
    app.createForm(Form7);
    app.createForm(Form8);
}

void startNewGame()
{
    toolkit::Application &app = toolkit::Application::instance();
    app.initialize();
    TForm1 *old = Form1;
    app.createForm(Form1);
    // Instead of a further message loop inside the handler, the game goes on in the one loop
    // that runs; what the player sees is the same: the old table gone, the splash shown (as
    // every start of a loop shows the main window) until the show timer brings the new table up.
    if (app.mainForm())
        app.mainForm()->show();
    if (old) {
        old->hide();
        old->deleteLater();
    }
    // A finished game's pending hand-overs (the debt dialog, the hall of fame's ranking, the
    // new-game prompt) belong to that game, never to the fresh table.
    Form5->Timer1->setEnabled(false);
    Form7->Timer1->setEnabled(false);
    Form7->Timer7->setEnabled(false);
}

void destroyWindows()
{
    toolkit::Application::instance().destroyForms();
    Form11 = nullptr;
    Form3 = nullptr;
    AboutBox = nullptr;
    Form5 = nullptr;
    Form1 = nullptr;
    Form7 = nullptr;
    Form8 = nullptr;
}
