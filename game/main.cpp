#include "game/Program.h"
#include "toolkit/Application.h"
#include "toolkit/WindowManager.h"

#include <QApplication>
#include <QFont>
#include <QGuiApplication>

#include <csignal>

int main(int argc, char *argv[])
{
    // A save that meets the file size limit (ulimit -f) fails with an error box and leaves the old
    // hall of fame, instead of the game being killed in the middle of it.
    std::signal(SIGXFSZ, SIG_IGN);
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
