#include "shell/Program.h"
#include "toolkit/Application.h"

#include <QApplication>
#include <QFont>
#include <QIcon>

int main(int argc, char *argv[])
{
    QApplication qapp(argc, argv);
    toolkit::Application::setUp();
    toolkit::Application &app = toolkit::Application::instance();
    app.installTerminationSignals();
    createWindows();
    app.run();
    destroyWindows();
    return 0;
}
