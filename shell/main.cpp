#include "shell/Program.h"
#include "toolkit/Application.h"
#include "toolkit/Platform.h"

#include <QApplication>
#include <QFont>
#include <QGuiApplication>

int main(int argc, char *argv[])
{
    toolkit::choosePlatform();
    QApplication qapp(argc, argv);
    // The menu entry's name: desktops match the game's windows to its entry and icon by it.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.zakrytka"));
    toolkit::Application::setUp();
    toolkit::Application &app = toolkit::Application::instance();
    app.installTerminationSignals();
    createWindows();
    app.run();
    destroyWindows();
    return 0;
}
