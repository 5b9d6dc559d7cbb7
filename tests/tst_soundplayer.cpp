#include "platform/SoundPlayer.h"
#include "support/TestSupport.h"

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <csignal>
#include <cstring>
#include <memory>
#include <numbers>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

enum class Encoding { Unsigned8, Signed16, Float32 };

void appendLe(QByteArray &bytes, quint32 value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes.append(char((value >> (8 * i)) & 0xff));
}

// A WAV file's samples for a sine tone at half of full scale, the same on every channel.
QByteArray toneSamples(Encoding encoding, int channels, int rate, double seconds, double pitch)
{
    QByteArray data;
    const int frames = int(std::lround(seconds * rate));
    for (int i = 0; i < frames; ++i) {
        const double value = 0.5 * std::sin(2.0 * std::numbers::pi * pitch * i / rate);
        for (int c = 0; c < channels; ++c) {
            switch (encoding) {
            case Encoding::Unsigned8:
                data.append(char(quint8(std::lround(128.0 + 127.0 * value))));
                break;
            case Encoding::Signed16:
                appendLe(data, quint16(qint16(std::lround(32767.0 * value))), 2);
                break;
            case Encoding::Float32: {
                const float sample = float(value);
                quint32 bits;
                std::memcpy(&bits, &sample, sizeof bits);
                appendLe(data, bits, 4);
                break;
            }
            }
        }
    }
    return data;
}

// A RIFF WAVE file around the given samples; float files carry the extended format chunk and
// the fact chunk that their format asks for.
QByteArray waveFile(Encoding encoding, int channels, int rate, const QByteArray &data,
                    quint16 formatTag = 0)
{
    const int bits = encoding == Encoding::Unsigned8 ? 8 : encoding == Encoding::Signed16 ? 16 : 32;
    const bool isFloat = encoding == Encoding::Float32;
    if (formatTag == 0)
        formatTag = isFloat ? 3 : 1;
    const int blockAlign = channels * bits / 8;
    QByteArray body("WAVE");
    body.append("fmt ");
    appendLe(body, isFloat ? 18 : 16, 4);
    appendLe(body, formatTag, 2);
    appendLe(body, quint32(channels), 2);
    appendLe(body, quint32(rate), 4);
    appendLe(body, quint32(rate * blockAlign), 4);
    appendLe(body, quint32(blockAlign), 2);
    appendLe(body, quint32(bits), 2);
    if (isFloat) {
        appendLe(body, 0, 2);
        body.append("fact");
        appendLe(body, 4, 4);
        appendLe(body, quint32(data.size() / blockAlign), 4);
    }
    body.append("data");
    appendLe(body, quint32(data.size()), 4);
    body.append(data);
    if (data.size() % 2)
        body.append('\0');
    QByteArray file("RIFF");
    appendLe(file, quint32(body.size()), 4);
    return file + body;
}

QByteArray toneWave(Encoding encoding, int channels, int rate, double seconds, double pitch)
{
    return waveFile(encoding, channels, rate,
                    toneSamples(encoding, channels, rate, seconds, pitch));
}

bool writeFile(const QString &name, const QByteArray &bytes)
{
    QFile file(name);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

// What SDL's disk driver wrote for the last sound: the audible part, from the first to the last
// sample above 1% of full scale, in the device format the player asks for.
struct Heard {
    QByteArray raw;
    std::vector<qint16> audible;

    int frames() const { return int(audible.size()) / platform::soundDeviceChannels; }
    double seconds() const { return double(frames()) / platform::soundDeviceRate; }

    double rms() const
    {
        double sum = 0;
        for (const qint16 s : audible)
            sum += double(s) * s;
        return audible.empty() ? 0.0 : std::sqrt(sum / double(audible.size())) / 32768.0;
    }

    // The pitch of the first channel, counted from its sign changes.
    double pitch() const
    {
        int changes = 0;
        for (int f = 1; f < frames(); ++f) {
            const qint16 a = audible[std::size_t(f - 1) * platform::soundDeviceChannels];
            const qint16 b = audible[std::size_t(f) * platform::soundDeviceChannels];
            changes += (a < 0) != (b < 0);
        }
        return seconds() > 0 ? changes / 2.0 / seconds() : 0.0;
    }
};

Heard heardIn(const QString &outputFile)
{
    Heard heard;
    QFile file(outputFile);
    if (!file.open(QIODevice::ReadOnly))
        return heard;
    heard.raw = file.readAll();
    std::vector<qint16> samples(std::size_t(heard.raw.size()) / sizeof(qint16));
    std::memcpy(samples.data(), heard.raw.constData(), samples.size() * sizeof(qint16));
    const int channels = platform::soundDeviceChannels;
    const int frames = int(samples.size()) / channels;
    auto loud = [&](int f) {
        for (int c = 0; c < channels; ++c)
            if (std::abs(int(samples[std::size_t(f) * channels + c])) > 328)
                return true;
        return false;
    };
    int first = 0;
    while (first < frames && !loud(first))
        ++first;
    int last = frames - 1;
    while (last >= first && !loud(last))
        --last;
    if (last >= first) {
        heard.audible.assign(samples.begin() + std::ptrdiff_t(first) * channels,
                             samples.begin() + std::ptrdiff_t(last + 1) * channels);
    }
    return heard;
}

// Whether this process has the file open.
bool isOpen(const QString &file)
{
    const QString target = QFileInfo(file).absoluteFilePath();
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString &fd : fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
        if (QFile::symLinkTarget(fds.filePath(fd)) == target)
            return true;
    return false;
}

} // namespace

class tst_SoundPlayer : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void playsWholeFileBeforeReturning_data();
    void playsWholeFileBeforeReturning();
    void findsFileByName_data();
    void findsFileByName();
    void playsDefaultSoundForUnplayableFile_data();
    void playsDefaultSoundForUnplayableFile();
    void lowRatesAndLongSounds_data();
    void lowRatesAndLongSounds();
    void readsFileAfreshAtEveryCall();
    void playsTheGameSounds_data();
    void playsTheGameSounds();
    void runsNoTimerWhilePlaying();
    void returnsAtOnceWithoutAudioDevice();
    void leavesSignalHandlersToTheGame();

private:
    Heard play(const char *name, bool *result = nullptr, qint64 *elapsedMs = nullptr);

    QTemporaryDir m_outputDir;
    QString m_outputFile;
    std::unique_ptr<QTemporaryDir> m_workDir;
    std::vector<qint16> m_defaultSound;
};

Heard tst_SoundPlayer::play(const char *name, bool *result, qint64 *elapsedMs)
{
    QFile::remove(m_outputFile);
    QElapsedTimer clock;
    clock.start();
    const bool played = platform::playSound(name, nullptr, 0);
    if (elapsedMs)
        *elapsedMs = clock.elapsed();
    if (result)
        *result = played;
    return heardIn(m_outputFile);
}

void tst_SoundPlayer::initTestCase()
{
    QVERIFY(m_outputDir.isValid());
    m_outputFile = m_outputDir.filePath("sdlaudio.raw");
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(m_outputFile));
    QVERIFY(QDir::setCurrent(m_outputDir.path()));
    bool played = true;
    m_defaultSound = play(".\\nothing-here", &played).audible;
    QVERIFY2(!played, "a missing file must not count as played");
    const double seconds =
        double(m_defaultSound.size()) / platform::soundDeviceChannels / platform::soundDeviceRate;
    QVERIFY2(seconds > 0.15 && seconds < 0.25,
             qPrintable(QStringLiteral("default sound lasts %1 s").arg(seconds)));
}

void tst_SoundPlayer::init()
{
    platform::resetSoundPlayerForTests();
    m_workDir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_workDir->isValid());
    QVERIFY(QDir::setCurrent(m_workDir->path()));
}

void tst_SoundPlayer::cleanup()
{
    QDir::setCurrent(m_outputDir.path());
    m_workDir.reset();
}

void tst_SoundPlayer::playsWholeFileBeforeReturning_data()
{
    QTest::addColumn<int>("encoding");
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("rate");

    QTest::newRow("16-bit stereo 44.1 kHz") << int(Encoding::Signed16) << 2 << 44100;
    QTest::newRow("16-bit mono 11.025 kHz") << int(Encoding::Signed16) << 1 << 11025;
    QTest::newRow("8-bit mono 22.05 kHz") << int(Encoding::Unsigned8) << 1 << 22050;
    QTest::newRow("float stereo 48 kHz") << int(Encoding::Float32) << 2 << 48000;
    QTest::newRow("float mono 44.1 kHz") << int(Encoding::Float32) << 1 << 44100;
}

void tst_SoundPlayer::playsWholeFileBeforeReturning()
{
    QFETCH(int, encoding);
    QFETCH(int, channels);
    QFETCH(int, rate);
    const double seconds = 0.2;
    const double pitch = 440.0;
    const QByteArray samples = toneSamples(Encoding(encoding), channels, rate, seconds, pitch);
    QVERIFY(writeFile("C", waveFile(Encoding(encoding), channels, rate, samples)));

    bool played = false;
    qint64 elapsedMs = 0;
    const Heard heard = play(".\\C", &played, &elapsedMs);

    QVERIFY2(played, "the file must count as played");
    QVERIFY2(elapsedMs >= qint64(800 * seconds),
             qPrintable(QStringLiteral("returned after %1 ms").arg(elapsedMs)));
    QVERIFY2(std::abs(heard.seconds() - seconds) < 0.01,
             qPrintable(QStringLiteral("heard %1 s of sound").arg(heard.seconds())));
    QVERIFY2(std::abs(heard.rms() - 0.5 / std::sqrt(2.0)) < 0.02,
             qPrintable(QStringLiteral("heard at RMS %1").arg(heard.rms())));
    QVERIFY2(std::abs(heard.pitch() - pitch) < 5.0,
             qPrintable(QStringLiteral("heard at %1 Hz").arg(heard.pitch())));
    if (Encoding(encoding) == Encoding::Signed16 && channels == platform::soundDeviceChannels &&
        rate == platform::soundDeviceRate)
        QVERIFY2(heard.raw.contains(samples), "a file in the device format must play unchanged");
}

void tst_SoundPlayer::findsFileByName_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("file");

    QTest::newRow("dot backslash") << QByteArray(".\\C") << QStringLiteral("C");
    QTest::newRow("bare name") << QByteArray("T") << QStringLiteral("T");
    QTest::newRow("folder") << QByteArray(".\\dane\\C") << QStringLiteral("dane/C");
}

void tst_SoundPlayer::findsFileByName()
{
    QFETCH(QByteArray, name);
    QFETCH(QString, file);
    QVERIFY(QDir().mkpath("dane"));
    QVERIFY(writeFile(file, toneWave(Encoding::Signed16, 1, 22050, 0.1, 660.0)));

    bool played = false;
    const Heard heard = play(name.constData(), &played);

    QVERIFY2(played, "the file must count as played");
    QVERIFY2(std::abs(heard.seconds() - 0.1) < 0.01,
             qPrintable(QStringLiteral("heard %1 s of sound").arg(heard.seconds())));
}

void tst_SoundPlayer::playsDefaultSoundForUnplayableFile_data()
{
    QTest::addColumn<QByteArray>("contents");
    // What "C" is when it is not a file: a folder, a FIFO no one writes to, or a device.
    QTest::addColumn<QString>("special");

    const QByteArray tone = toneWave(Encoding::Signed16, 1, 22050, 0.4, 440.0);
    QByteArray unknownEncoding =
        waveFile(Encoding::Signed16, 1, 22050,
                 toneSamples(Encoding::Signed16, 1, 22050, 0.4, 440.0), 0x1234);

    QTest::newRow("missing") << QByteArray() << QString();
    QTest::newRow("text") << QByteArray("To nie jest dźwięk.\n") << QString();
    QTest::newRow("cut-off header") << tone.left(30) << QString();
    QTest::newRow("unknown encoding") << unknownEncoding << QString();
    QTest::newRow("folder") << QByteArray() << "folder";
    QTest::newRow("FIFO") << QByteArray() << "fifo";
    QTest::newRow("device") << QByteArray() << "/dev/zero";
}

void tst_SoundPlayer::playsDefaultSoundForUnplayableFile()
{
    QFETCH(QByteArray, contents);
    QFETCH(QString, special);
    if (special == "folder")
        QVERIFY(QDir().mkdir("C"));
    else if (special == "fifo")
        QVERIFY(::mkfifo("C", 0600) == 0);
    else if (!special.isEmpty())
        QVERIFY(QFile::link(special, "C"));
    else if (!contents.isNull())
        QVERIFY(writeFile("C", contents));

    bool played = true;
    const Heard heard = play(".\\C", &played);

    QVERIFY2(!played, "an unplayable file must not count as played");
    QVERIFY2(heard.audible == m_defaultSound,
             qPrintable(QStringLiteral("heard %1 s of something else").arg(heard.seconds())));
}

void tst_SoundPlayer::lowRatesAndLongSounds_data()
{
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("frames");

    QTest::newRow("1 Hz, 83 minutes in 10 KB") << 1 << 5000;
    QTest::newRow("8 Hz, 10 s in 204 bytes") << 8 << 80;
}

void tst_SoundPlayer::lowRatesAndLongSounds()
{
    // Whatever rate and length a file declares, at most its first 30 s play and the memory
    // playing it takes stays small.
    QFETCH(int, rate);
    QFETCH(int, frames);
    QByteArray halfScale;
    for (int i = 0; i < frames; ++i)
        appendLe(halfScale, 0x4000, 2);
    QVERIFY(writeFile("C", waveFile(Encoding::Signed16, 1, rate, halfScale)));

    // The disk driver takes the sound as fast as it comes, but the call still lasts as long as
    // the sound: the player's interruption ends the wait once the driver has closed its file, or
    // when the file has grown far beyond 30 s of sound, silent gaps included.
    qputenv("SDL_DISKAUDIODELAY", "0");
    int wake[2];
    QVERIFY(::pipe2(wake, O_CLOEXEC) == 0);
    platform::interruptSoundsOn(wake[0], [] {});
    const qint64 tooMuch = qint64(200) << 20;
    QFile::remove(m_outputFile);
    std::atomic<bool> over = false;
    std::thread watcher([&] {
        bool opened = false;
        for (int i = 0; i < 120000 && !over; ++i) {
            const bool open = isOpen(m_outputFile);
            opened |= open;
            if ((opened && !open) || QFileInfo(m_outputFile).size() > tooMuch)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        [[maybe_unused]] const ssize_t written = ::write(wake[1], "x", 1);
    });
    QVERIFY(testsupport::resetPeakMemory());
    const qint64 before = testsupport::peakMemoryKib();
    platform::playSound(".\\C", nullptr, 0);
    const qint64 grown = testsupport::peakMemoryKib() - before;
    over = true;
    watcher.join();
    platform::interruptSoundsOn(-1, {});
    ::close(wake[0]);
    ::close(wake[1]);
    qunsetenv("SDL_DISKAUDIODELAY");
    const Heard heard = heardIn(m_outputFile);

    // The driver fills the gaps between the player's feeds with silence, so what was played is
    // the count of frames at the file's level, not the span from the first to the last.
    int played = 0;
    for (int f = 0; f < heard.frames(); ++f)
        played += heard.audible[std::size_t(f) * platform::soundDeviceChannels] > 8000;
    const double seconds = double(played) / platform::soundDeviceRate;
    const double expected = std::min(double(frames) / rate, 30.0);
    QVERIFY2(std::abs(seconds - expected) < 0.05,
             qPrintable(QStringLiteral("heard %1 s of sound").arg(seconds)));
    QVERIFY2(grown < 64 * 1024 + testsupport::quarantineKib,
             qPrintable(QStringLiteral("memory grew by %1 KiB").arg(grown)));
}

void tst_SoundPlayer::readsFileAfreshAtEveryCall()
{
    QVERIFY(writeFile("C", toneWave(Encoding::Signed16, 1, 44100, 0.1, 440.0)));
    bool played = false;
    Heard heard = play(".\\C", &played);
    QVERIFY(played);
    QVERIFY2(std::abs(heard.seconds() - 0.1) < 0.01,
             qPrintable(QStringLiteral("first file: heard %1 s").arg(heard.seconds())));

    QVERIFY(writeFile("C", toneWave(Encoding::Unsigned8, 2, 22050, 0.25, 880.0)));
    heard = play(".\\C", &played);
    QVERIFY(played);
    QVERIFY2(std::abs(heard.seconds() - 0.25) < 0.01,
             qPrintable(QStringLiteral("replaced file: heard %1 s").arg(heard.seconds())));
    QVERIFY2(std::abs(heard.pitch() - 880.0) < 5.0,
             qPrintable(QStringLiteral("replaced file: heard at %1 Hz").arg(heard.pitch())));

    QVERIFY(QFile::remove("C"));
    heard = play(".\\C", &played);
    QVERIFY2(!played && heard.audible == m_defaultSound, "a removed file must give the default");
}

void tst_SoundPlayer::playsTheGameSounds_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<double>("shortest");
    QTest::addColumn<double>("longest");

    QTest::newRow("pick") << QStringLiteral("C") << 0.12 << 0.25;
    QTest::newRow("end of game") << QStringLiteral("T") << 1.0 << 1.5;
}

void tst_SoundPlayer::playsTheGameSounds()
{
    QFETCH(QString, file);
    QFETCH(double, shortest);
    QFETCH(double, longest);
    const QString dataDir = qEnvironmentVariable("ZAKRYTKA_DATA_DIR");
    if (dataDir.isEmpty())
        QSKIP("ZAKRYTKA_DATA_DIR does not name the game's data folder");
    QVERIFY(QFile::copy(QDir(dataDir).filePath(file), file));

    const QByteArray name = ".\\" + file.toLatin1();
    bool played = false;
    const Heard heard = play(name.constData(), &played);

    QVERIFY2(played, "the game's own sound must play, not the default");
    QVERIFY2(heard.seconds() >= shortest && heard.seconds() <= longest,
             qPrintable(QStringLiteral("heard %1 s of sound").arg(heard.seconds())));
    const auto [low, high] = std::minmax_element(heard.audible.begin(), heard.audible.end());
    QVERIFY2(*high < 32000 && *low > -32000, "the sound must not clip");
}

void tst_SoundPlayer::runsNoTimerWhilePlaying()
{
    // While a sound plays, the game's thread does nothing else: no handler, timer or repaint.
    QVERIFY(writeFile("C", toneWave(Encoding::Signed16, 1, 44100, 0.2, 440.0)));
    int ticks = 0;
    QTimer timer;
    timer.setInterval(5);
    connect(&timer, &QTimer::timeout, this, [&ticks] { ++ticks; });
    timer.start();

    QVERIFY(platform::playSound(".\\C", nullptr, 0));
    QCOMPARE(ticks, 0);
    QTRY_VERIFY2(ticks > 0, "the timer must tick once the sound is over");
}

void tst_SoundPlayer::returnsAtOnceWithoutAudioDevice()
{
    QVERIFY(writeFile("C", toneWave(Encoding::Signed16, 1, 22050, 0.6, 440.0)));
    qputenv("SDL_AUDIODRIVER", "brak-takiego-sterownika");
    platform::resetSoundPlayerForTests();

    for (int call = 1; call <= 2; ++call) {
        bool played = true;
        qint64 elapsedMs = 0;
        const Heard heard = play(".\\C", &played, &elapsedMs);
        QVERIFY2(!played, "nothing can have been played");
        QVERIFY2(heard.raw.isNull(), "the disk driver must not have been used");
        QVERIFY2(elapsedMs < 300,
                 qPrintable(QStringLiteral("call %1 waited %2 ms").arg(call).arg(elapsedMs)));
    }

    qputenv("SDL_AUDIODRIVER", "disk");
    platform::resetSoundPlayerForTests();
    bool played = false;
    const Heard heard = play(".\\C", &played);
    QVERIFY2(played && std::abs(heard.seconds() - 0.6) < 0.01,
             "a device that is back must play again");
}

void tst_SoundPlayer::leavesSignalHandlersToTheGame()
{
    // SDL must not take over SIGINT and SIGTERM, which the game handles itself.
    struct sigaction savedInt = {};
    struct sigaction savedTerm = {};
    struct sigaction byDefault = {};
    byDefault.sa_handler = SIG_DFL;
    QVERIFY(sigaction(SIGINT, &byDefault, &savedInt) == 0);
    QVERIFY(sigaction(SIGTERM, &byDefault, &savedTerm) == 0);
    platform::resetSoundPlayerForTests();

    QVERIFY(writeFile("C", toneWave(Encoding::Signed16, 1, 44100, 0.05, 440.0)));
    QVERIFY(platform::playSound(".\\C", nullptr, 0));
    struct sigaction afterInt = {};
    struct sigaction afterTerm = {};
    sigaction(SIGINT, &savedInt, &afterInt);
    sigaction(SIGTERM, &savedTerm, &afterTerm);

    QVERIFY2(afterInt.sa_handler == SIG_DFL, "SIGINT was taken over");
    QVERIFY2(afterTerm.sa_handler == SIG_DFL, "SIGTERM was taken over");
}

QTEST_MAIN(tst_SoundPlayer)
#include "tst_soundplayer.moc"
