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

#include <QDir>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace protocol = platform::helpprotocol;

namespace {

// The descriptor of the connection to the game named on the command line, or -1.
int connectionArgument(int argc, char *argv[])
{
    if (argc != 3 || std::strcmp(argv[1], protocol::ConnectionOption) != 0)
        return -1;
    char *end = nullptr;
    errno = 0;
    const long descriptor = std::strtol(argv[2], &end, 10);
    return errno == 0 && *argv[2] != '\0' && *end == '\0' && descriptor >= 0 &&
                   descriptor <= 0x7fffffff
               ? int(descriptor)
               : -1;
}

// Closes every descriptor the viewer inherited but standard input, output and error and its
// connection to the game. Whatever else the game was given (a pipe to a program reading its
// output, a file it holds open), the help window, which outlives the game, must not keep open.
void closeInherited(int keep)
{
    const auto closeRange = [](int first, int last) {
        if (first > last)
            return;
        if (::close_range(unsigned(first), unsigned(last), 0) == 0)
            return;
        // A system without close_range: every descriptor listed as open.
        QList<int> open;
        for (const QString &entry :
             QDir(QStringLiteral("/proc/self/fd"))
                 .entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot))
            open.append(entry.toInt());
        for (const int descriptor : std::as_const(open))
            if (descriptor >= first && descriptor <= last)
                ::close(descriptor);
    };
    closeRange(STDERR_FILENO + 1, keep < 0 ? 0x7fffffff : keep - 1);
    if (keep >= 0)
        closeRange(keep + 1, 0x7fffffff);
}

} // namespace

int main(int argc, char *argv[])
{
    // Before anything else opens descriptors of the viewer's own.
    closeInherited(connectionArgument(argc, argv));
    // The help window stays open when the game ends, and a terminal closing under the game does
    // not close it: the viewer leaves the game's session.
    ::setsid();

    QApplication app(argc, argv);
    // The help belongs to the game: a desktop shows its window under the game's menu entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.zakrytka"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/helpviewer/app_icon.png")));
    const QStringList arguments = QApplication::arguments();

    if (arguments.size() == 2 && !arguments.at(1).startsWith(u'-')) {
        helpviewer::help(QFileInfo(arguments.at(1)).absoluteFilePath(), protocol::HELP_CONTENTS, 0);
        return QApplication::exec();
    }
    const int descriptor = connectionArgument(argc, argv);
    if (descriptor < 0) {
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
    if (::chdir("/") != 0)
        std::perror("zakrytka-help: /");

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
        // Calls that came in while the viewer was busy are not worth carrying out one by one:
        // the newest is carried out, and its answer answers them all.
        int calls = 0;
        quint16 command = 0;
        quint32 data = 0;
        QString path;
        bool bad = false;
        for (;;) {
            quint16 nextCommand = 0;
            quint32 nextData = 0;
            QString nextPath;
            if (!protocol::decode(&received, &bad, nextCommand, nextData, nextPath))
                break;
            ++calls;
            command = nextCommand;
            data = nextData;
            path = std::move(nextPath);
        }
        if (calls > 0) {
            helpviewer::HelpResult result = helpviewer::help(path, command, data);
            result.page.truncate(protocol::MaxAnswerText);
            const QByteArray answer = protocol::encode(result.shown, result.page);
            for (int call = 0; call < calls; ++call)
                game.write(answer);
        }
        if (bad) {
            std::fprintf(stderr, "zakrytka-help: the game sent a message that cannot be read\n");
            game.abort();
            gone();
        }
    });
    return QApplication::exec();
}
