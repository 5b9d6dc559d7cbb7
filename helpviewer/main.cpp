// The help viewer: shows the game's help file in a window of its own, in a process of its own,
// so that a help file can never stall the game. The game starts it with the option
// --connection and hands it help calls over that socket; see platform/HelpProtocol.h. Started
// with a file name instead, it shows that file's contents topic.

#include "helpviewer/HelpWindow.h"
#include "platform/Channel.h"
#include "platform/HelpProtocol.h"

#include <QApplication>
#include <QByteArray>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QStringList>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace protocol = platform::helpprotocol;

int main(int argc, char *argv[])
{
    // The help window stays open when the game ends, and a terminal closing under the game does
    // not close it: the viewer leaves the game's session.
    ::setsid();

    QApplication app(argc, argv);
    // The help belongs to the game: a desktop shows its window under the game's menu entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.zakrytka"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/helpviewer/app_icon.png")));
    const QStringList arguments = QApplication::arguments();

    if (arguments.size() == 2 && !arguments.at(1).startsWith(u'-')) {
        helpviewer::help(QFileInfo(arguments.at(1)).absoluteFilePath(), helpviewer::HELP_CONTENTS,
                         0);
        return QApplication::exec();
    }
    bool ok = false;
    const int descriptor = arguments.size() == 3 && arguments.at(1) == protocol::ConnectionOption
                               ? arguments.at(2).toInt(&ok)
                               : -1;
    if (!ok || descriptor < 0) {
        std::fprintf(stderr, "usage: zakrytka-help HELP-FILE\n"
                             "       zakrytka-help --connection DESCRIPTOR   (as the game starts "
                             "it)\n");
        return 2;
    }
    if (!platform::Channel::isConnection(descriptor)) {
        std::fprintf(stderr, "zakrytka-help: descriptor %d is not a connection to the game: %s\n",
                     descriptor, std::strerror(errno));
        return 1;
    }
    platform::Channel game(descriptor);
    // The game names its help file by an absolute path; the viewer holds no folder of the game's.
    if (::chdir("/") != 0) {
        std::perror("zakrytka-help: /");
    }

    // Without the game, a help window on screen stays until the player closes it. It lets go of
    // the game's standard error, so that a terminal or pipe the game wrote to is not kept open.
    const auto gone = [] {
        if (!helpviewer::HelpWindow::find()) {
            QCoreApplication::quit();
            return;
        }
        const int nowhere = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (nowhere >= 0) {
            ::dup2(nowhere, STDERR_FILENO);
            ::close(nowhere);
        }
    };
    QObject::connect(&game, &platform::Channel::ended, &app, gone);
    QByteArray received;
    QObject::connect(&game, &platform::Channel::readyRead, [&] {
        received += game.readAll();
        quint16 command = 0;
        quint32 data = 0;
        QString path;
        bool bad = false;
        while (protocol::decode(&received, &bad, command, data, path)) {
            const helpviewer::HelpResult result = helpviewer::help(path, command, data);
            game.write(protocol::encode(result.shown, result.page));
        }
        if (bad) {
            std::fprintf(stderr, "zakrytka-help: the game sent a message that cannot be read\n");
            game.abort();
            gone();
        }
    });
    return QApplication::exec();
}
