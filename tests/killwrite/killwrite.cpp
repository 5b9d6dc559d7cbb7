// Saving the score file survives the program being killed at any moment: "sys.dll" is always
// either the old file or the new one, byte for byte, never a mix or a part of one, and the
// temporary files of killed saves do not pile up.
//
//   killwrite drive STARTING_FILE KILLS   in the current folder: starts the writer KILLS times,
//                                         kills it with SIGKILL at a random moment, checks the file
//   killwrite write STARTING_FILE         in the current folder: loads "sys.dll", then saves the
//                                         new and the old hall of fame in turn until killed
// With KILLWRITE_IN_PLACE set, the writer rewrites the file in place instead of through the game's
// writer, which the driver must catch.

#include "toolkit/CodePage.h"
#include "toolkit/Exception.h"
#include "toolkit/TextFileReader.h"
#include "toolkit/TextFileWriter.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <signal.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace {

const char *const FileName = "sys.dll";

// The hall of fame after a game, with Polish letters, which the file holds as Windows-1250 bytes.
const QStringList NewTexts = {
    QStringLiteral("2750"),      QStringLiteral("1980"),          QString::fromUtf8("Łucja Żak"),
    QString::fromUtf8("Grześ"),  QStringLiteral("-40"),           QStringLiteral("1200"),
    QString::fromUtf8("Ślązak"), QStringLiteral("300"),           QString::fromUtf8("Kuba"),
    QStringLiteral("260"),       QString::fromUtf8("Ania Wójcik")};
const QByteArray NewBytes("2750\r\n1980\r\n\xa3ucja \xaf"
                          "ak\r\nGrze\x9c\r\n-40\r\n1200\r\n"
                          "\x8cl\xb9zak\r\n300\r\nKuba\r\n260\r\nAnia W\xf3jcik\r\n");

QByteArray readAll(const char *name)
{
    QFile file(QString::fromLocal8Bit(name));
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

QStringList load(const QString &name)
{
    toolkit::TextFileReader file(name);
    QStringList texts;
    for (int n = 0; n < 11; ++n)
        texts << file.readLine();
    file.close();
    return texts;
}

void save(const QStringList &texts)
{
    toolkit::TextFileWriter file(QString::fromLatin1(FileName));
    for (const QString &text : texts)
        file.writeLine(text);
    file.close();
}

// The file emptied and written where it is, a line at a time: the way a save must not work, for
// showing that the driver notices a save cut short.
void saveInPlace(const QStringList &texts)
{
    QFile file(QString::fromLatin1(FileName));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        throw toolkit::EInOutError::fromCode(5);
    for (const QString &text : texts)
        file.write(toolkit::CodePage::encode(text) + "\r\n");
}

int write(const char *startingFile)
{
    try {
        const QStringList oldTexts = load(QString::fromLocal8Bit(startingFile));
        // What a killed writer left must load as one of the two tables.
        const QStringList loaded = load(QString::fromLatin1(FileName));
        if (loaded != oldTexts && loaded != NewTexts) {
            std::fprintf(stderr, "killwrite: sys.dll loads as neither table\n");
            return 3;
        }
        // The driver may kill from now on.
        if (::write(STDOUT_FILENO, "R", 1) != 1)
            return 4;
        const auto saveTable = qEnvironmentVariableIsSet("KILLWRITE_IN_PLACE") ? saveInPlace : save;
        for (;;) {
            saveTable(NewTexts);
            saveTable(oldTexts);
        }
    } catch (const toolkit::Exception &e) {
        std::fprintf(stderr, "killwrite: %s\n", e.what());
        return 2;
    }
}

// The temporary files of the folder (".sys.dll.zakrytka-save-XXXXXX"); any other name but
// "sys.dll" is an error. A save removes only those an hour old, so each is made that old here, as
// if the player started the next game an hour after the killed one.
int temporaryFiles(QStringList &strangers)
{
    const QLatin1String prefix(".sys.dll.zakrytka-save-");
    int count = 0;
    DIR *dir = ::opendir(".");
    while (const dirent *entry = ::readdir(dir)) {
        const QString name = QString::fromLocal8Bit(entry->d_name);
        if (name == u"." || name == u".." || name == QLatin1String(FileName))
            continue;
        if (name.startsWith(prefix) && name.size() == prefix.size() + 6) {
            ++count;
            const timeval anHourAgo[2] = {{::time(nullptr) - 3700, 0}, {::time(nullptr) - 3700, 0}};
            ::utimes(entry->d_name, anHourAgo);
        } else {
            strangers << name;
        }
    }
    ::closedir(dir);
    return count;
}

void sleepMicroseconds(long us)
{
    timespec t{us / 1000000, (us % 1000000) * 1000};
    while (::nanosleep(&t, &t) != 0) {
    }
}

int drive(const char *self, const char *startingFile, int kills)
{
    const QByteArray oldBytes = readAll(startingFile);
    if (oldBytes.isEmpty()) {
        std::fprintf(stderr, "killwrite: cannot read %s\n", startingFile);
        return 2;
    }
    {
        QFile file(QString::fromLatin1(FileName));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(oldBytes) != oldBytes.size())
            return 2;
    }
    ::chmod(FileName, 0644);

    std::mt19937 random(std::random_device{}());
    int sawOld = 0;
    int sawNew = 0;
    int bad = 0;
    int leftBehind = 0;
    int beforeReady = 0;
    const auto started = std::chrono::steady_clock::now();
    for (int k = 0; k < kills; ++k) {
        int ready[2];
        if (::pipe(ready) != 0)
            return 2;
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::dup2(ready[1], STDOUT_FILENO);
            ::close(ready[0]);
            ::close(ready[1]);
            ::execl(self, self, "write", startingFile, static_cast<char *>(nullptr));
            ::_exit(127);
        }
        ::close(ready[1]);
        // One kill in ten falls while the writer starts and loads; the others while it saves,
        // up to about a hundred saves in.
        if (random() % 10 == 0) {
            sleepMicroseconds(long(random() % 5000));
            ++beforeReady;
        } else {
            char byte = 0;
            if (::read(ready[0], &byte, 1) != 1) {
                std::fprintf(stderr, "killwrite: the writer stopped before it was ready\n");
                ++bad;
            }
            sleepMicroseconds(long(random() % 20000));
        }
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
        ::close(ready[0]);
        if (!WIFSIGNALED(status) || WTERMSIG(status) != SIGKILL) {
            std::fprintf(stderr, "killwrite: kill %d: the writer ended by itself (status %d)\n",
                         k + 1, status);
            ++bad;
        }

        struct stat st {};
        const QByteArray now = readAll(FileName);
        if (::lstat(FileName, &st) != 0 || !S_ISREG(st.st_mode) || (st.st_mode & 07777) != 0644) {
            std::fprintf(stderr, "killwrite: kill %d: sys.dll is missing or lost its mode\n",
                         k + 1);
            ++bad;
        } else if (now == oldBytes) {
            ++sawOld;
        } else if (now == NewBytes) {
            ++sawNew;
        } else {
            std::fprintf(stderr, "killwrite: kill %d: sys.dll is neither table (%lld bytes)\n",
                         k + 1, static_cast<long long>(now.size()));
            ++bad;
            // Put the old table back, so the next kills are checked from a sound file.
            QFile file(QString::fromLatin1(FileName));
            if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
                file.write(oldBytes);
        }
        QStringList strangers;
        leftBehind = temporaryFiles(strangers);
        // Each save removes what the killed saves before it left: only the last kill's can be
        // there.
        if (leftBehind > 1) {
            std::fprintf(stderr, "killwrite: kill %d: %d temporary files left behind\n", k + 1,
                         leftBehind);
            ++bad;
        }
        if (!strangers.isEmpty()) {
            std::fprintf(stderr, "killwrite: kill %d: unexpected files: %s\n", k + 1,
                         qPrintable(strangers.join(u' ')));
            ++bad;
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("killwrite: %d kills in %.0f s (%d while starting): sys.dll was the old table %d "
                "times, the new one %d times, something else %d times; %d temporary files "
                ".sys.dll.zakrytka-save-XXXXXX left behind\n",
                kills, seconds, beforeReady, sawOld, sawNew, bad, leftBehind);
    if (kills >= 20 && (sawOld == 0 || sawNew == 0)) {
        std::fprintf(stderr, "killwrite: the kills never caught one of the two tables\n");
        return 1;
    }
    return bad == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    if (mode == "write" && argc == 3)
        return write(argv[2]);
    if (mode == "drive" && argc == 4) {
        // The writer is this same program, started afresh for every kill.
        char self[4096] = {};
        if (::readlink("/proc/self/exe", self, sizeof self - 1) <= 0)
            return 2;
        return drive(self, argv[2], std::atoi(argv[3]));
    }
    std::fprintf(stderr, "usage: killwrite drive STARTING_FILE KILLS\n"
                         "       killwrite write STARTING_FILE\n");
    return 2;
}
