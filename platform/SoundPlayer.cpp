#include "SoundPlayer.h"

#include <SDL.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

constexpr SDL_AudioFormat soundDeviceFormat = AUDIO_S16SYS;

// After no driver could open a device, the next search waits this long, so that a computer
// without sound does not repeat the search, and its sound libraries' complaints on the terminal,
// at every pick.
constexpr auto noDeviceRetryInterval = std::chrono::seconds(10);

// How long a sound may run over its length before the player stops waiting for a device that has
// stopped taking samples.
constexpr auto stuckDeviceGrace = std::chrono::seconds(2);

// How much converted sound is kept queued ahead of the device, in seconds, and about how many
// device frames are converted at a time, whatever the sound's own rate.
constexpr int queueAheadDivisor = 4;
constexpr Uint32 conversionFrames = 4096;

// A sound file is read whole into memory, up to this size: half a minute of CD sound, and more,
// fits. What lies beyond is not read, so a huge file costs no more than this.
constexpr std::size_t mostSoundFileBytes = 8u << 20;

// A sound longer than this is a fault of its file, not a sound effect: only its beginning plays.
constexpr Uint32 longestSoundSeconds = 30;

// Sample rates the player takes. A lower rate is first stretched to at least the lowest one by
// repeating each frame, so that SDL's resampler never makes much more sound out of a few frames
// than the player asks for; a higher rate is unplayable.
constexpr int lowestStreamRate = 4000;
constexpr int highestSoundRate = 384000;

struct WaveDeleter {
    void operator()(Uint8 *buffer) const { SDL_FreeWAV(buffer); }
};

struct StreamDeleter {
    void operator()(SDL_AudioStream *stream) const { SDL_FreeAudioStream(stream); }
};

// A sound ready to be played: its samples and their format.
struct Sound {
    SDL_AudioSpec layout{};
    const Uint8 *data = nullptr;
    Uint32 length = 0;
    std::unique_ptr<Uint8, WaveDeleter> wave;
};

enum class Outcome { Played, Unplayable, DeviceFailed, Interrupted };

Uint32 frameBytes(const SDL_AudioSpec &layout)
{
    return SDL_AUDIO_BITSIZE(layout.format) / 8 * layout.channels;
}

// Waits for this long, or less when the descriptor becomes readable; true in that case. A
// descriptor of -1 is never readable.
bool interruptedWithin(int fd, Clock::duration duration)
{
    const Clock::time_point until = Clock::now() + duration;
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now());
        pollfd watched{fd, POLLIN, 0};
        const int ready = ::poll(&watched, 1, int(std::max<std::int64_t>(left.count(), 0)));
        if (ready > 0)
            return true;
        if (Clock::now() >= until)
            return false;
    }
}

// The game writes its sound names with '\' between folders, as in ".\C"; here '/' separates them.
std::string fileNameOf(const char *name)
{
    std::string fileName(name);
    std::replace(fileName.begin(), fileName.end(), '\\', '/');
    return fileName;
}

// Reads a sound file whole, or its first mostSoundFileBytes. Only a regular file is read: a
// FIFO, a device or a folder of that name is refused without waiting for it.
std::optional<std::vector<Uint8>> readSoundFile(const std::string &fileName)
{
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::optional<std::vector<Uint8>> bytes;
    struct stat status {};
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
        bytes.emplace(std::min<std::size_t>(std::size_t(status.st_size), mostSoundFileBytes));
        std::size_t got = 0;
        while (got < bytes->size()) {
            const ssize_t n = ::read(fd, bytes->data() + got, bytes->size() - got);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            got += std::size_t(n);
        }
        bytes->resize(got);
    }
    ::close(fd);
    return bytes;
}

std::optional<Sound> loadWave(const std::string &fileName)
{
    const std::optional<std::vector<Uint8>> file = readSoundFile(fileName);
    if (!file || file->empty())
        return std::nullopt;
    Sound sound;
    Uint8 *buffer = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV_RW(SDL_RWFromConstMem(file->data(), int(file->size())), 1, &sound.layout,
                        &buffer, &length))
        return std::nullopt;
    sound.wave.reset(buffer);
    const Uint32 frame = frameBytes(sound.layout);
    if (frame == 0 || sound.layout.freq <= 0 || sound.layout.freq > highestSoundRate)
        return std::nullopt;
    sound.data = buffer;
    const Uint64 longest = Uint64(longestSoundSeconds) * Uint64(sound.layout.freq) * frame;
    sound.length = Uint32(std::min<Uint64>(length - length % frame, longest));
    return sound;
}

// The sound played when the named one cannot be: a soft bell stroke of 200 ms, made here so that
// it needs no file.
const std::vector<float> &defaultSoundSamples()
{
    static const std::vector<float> samples = [] {
        constexpr int rate = 44100;
        constexpr int frames = rate / 5;
        constexpr int attackFrames = rate * 4 / 1000;
        constexpr int releaseFrames = rate * 25 / 1000;
        constexpr double pitch = 1174.66;
        constexpr double twoPi = 2.0 * std::numbers::pi;
        std::vector<float> out(frames);
        for (int i = 0; i < frames; ++i) {
            const double t = double(i) / rate;
            double envelope = std::exp(-t / 0.07);
            if (i < attackFrames)
                envelope *= double(i) / attackFrames;
            if (i > frames - releaseFrames)
                envelope *= double(frames - i) / releaseFrames;
            const double tone = std::sin(twoPi * pitch * t) +
                                0.3 * std::exp(-t / 0.03) * std::sin(twoPi * 2.0 * pitch * t) +
                                0.1 * std::exp(-t / 0.02) * std::sin(twoPi * 3.01 * pitch * t);
            out[i] = float(0.4 * envelope * tone);
        }
        return out;
    }();
    return samples;
}

Sound defaultSound()
{
    const std::vector<float> &samples = defaultSoundSamples();
    Sound sound;
    sound.layout.freq = 44100;
    sound.layout.format = AUDIO_F32SYS;
    sound.layout.channels = 1;
    sound.data = reinterpret_cast<const Uint8 *>(samples.data());
    sound.length = Uint32(samples.size() * sizeof(float));
    return sound;
}

SDL_AudioDeviceID openDefaultDevice(SDL_AudioSpec &obtained)
{
    SDL_AudioSpec wanted{};
    wanted.freq = soundDeviceRate;
    wanted.format = soundDeviceFormat;
    wanted.channels = soundDeviceChannels;
    wanted.samples = soundDeviceFrames;
    return SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, SDL_AUDIO_ALLOW_ANY_CHANGE);
}

// Feeds a sound to the device's queue, converted to the device's format, a little ahead of the
// device and in steps of about the same amount of converted sound, so that neither a long sound
// nor one at a very low rate ever needs much memory at once.
//
// SDL's resampler keeps back the last few hundred frames even when flushed, so a resampled sound
// is followed by silence until all of its own frames have come out; the silence itself is not
// played.
class Feeder {
public:
    Feeder(SDL_AudioDeviceID device, const SDL_AudioSpec &deviceLayout, const Sound &sound)
        : m_device(device), m_sound(sound), m_sourceFrameBytes(frameBytes(sound.layout)),
          m_queueTarget(Uint32(deviceLayout.freq) * frameBytes(deviceLayout) / queueAheadDivisor)
    {
        const SDL_AudioSpec &from = sound.layout;
        if (from.format == deviceLayout.format && from.channels == deviceLayout.channels &&
            from.freq == deviceLayout.freq)
            return;
        if (from.freq < lowestStreamRate)
            m_repeat = Uint32((lowestStreamRate + from.freq - 1) / from.freq);
        const int streamRate = from.freq * int(m_repeat);
        m_stream.reset(SDL_NewAudioStream(from.format, from.channels, streamRate,
                                          deviceLayout.format, deviceLayout.channels,
                                          deviceLayout.freq));
        m_convertible = m_stream != nullptr;
        const Uint64 sourceFrames = sound.length / m_sourceFrameBytes;
        m_expected = (sourceFrames * Uint64(deviceLayout.freq) + Uint64(from.freq) / 2) /
                     Uint64(from.freq) * frameBytes(deviceLayout);
        m_stepFrames = Uint32(std::max<Uint64>(1, Uint64(conversionFrames) * Uint64(from.freq) /
                                                      Uint64(deviceLayout.freq)));
        // Enough silence to push out what the resampler keeps back: up to 512 frames, times the
        // ratio of the rates when the device's rate is the lower one.
        const Uint64 silenceFrames = std::max<Uint64>(
            conversionFrames, 2 * 512 * Uint64(streamRate) / Uint64(deviceLayout.freq));
        m_silence.assign(std::size_t(silenceFrames) * m_sourceFrameBytes,
                         from.format == AUDIO_U8 ? Uint8(0x80) : Uint8(0));
    }

    bool convertible() const { return m_convertible; }
    bool done() const { return m_done; }

    // Tops the queue up; false when SDL refuses the samples.
    bool feed()
    {
        while (!m_done && SDL_GetQueuedAudioSize(m_device) < m_queueTarget)
            if (!(m_stream ? convertMore() : queueMore()))
                return false;
        return true;
    }

private:
    bool queueMore()
    {
        const Uint32 chunk = std::min(m_sound.length - m_offset, m_queueTarget);
        if (SDL_QueueAudio(m_device, m_sound.data + m_offset, chunk) != 0)
            return false;
        m_offset += chunk;
        m_done = m_offset == m_sound.length;
        return true;
    }

    // Hands source frames to the converter, each repeated when the sound's rate is stretched.
    bool put(const Uint8 *frames, Uint32 bytes)
    {
        if (m_repeat == 1)
            return SDL_AudioStreamPut(m_stream.get(), frames, int(bytes)) == 0;
        m_stretched.resize(std::size_t(bytes) * m_repeat);
        Uint8 *out = m_stretched.data();
        for (Uint32 at = 0; at < bytes; at += m_sourceFrameBytes)
            for (Uint32 copy = 0; copy < m_repeat; ++copy, out += m_sourceFrameBytes)
                std::memcpy(out, frames + at, m_sourceFrameBytes);
        return SDL_AudioStreamPut(m_stream.get(), m_stretched.data(), int(m_stretched.size())) == 0;
    }

    bool convertMore()
    {
        if (m_offset < m_sound.length) {
            const Uint32 chunk =
                std::min(m_sound.length - m_offset, m_stepFrames * m_sourceFrameBytes);
            if (!put(m_sound.data + m_offset, chunk))
                return false;
            m_offset += chunk;
        } else if (!m_flushed) {
            if (SDL_AudioStreamPut(m_stream.get(), m_silence.data(), int(m_silence.size())) != 0 ||
                SDL_AudioStreamFlush(m_stream.get()) != 0)
                return false;
            m_flushed = true;
        }
        const int available = SDL_AudioStreamAvailable(m_stream.get());
        const auto wanted =
            Uint32(std::min<Uint64>(Uint64(std::max(available, 0)), m_expected - m_delivered));
        if (wanted > 0) {
            m_converted.resize(wanted);
            const int got = SDL_AudioStreamGet(m_stream.get(), m_converted.data(), int(wanted));
            if (got < 0 || SDL_QueueAudio(m_device, m_converted.data(), Uint32(got)) != 0)
                return false;
            m_delivered += Uint64(got);
        }
        m_done = m_delivered >= m_expected ||
                 (m_flushed && SDL_AudioStreamAvailable(m_stream.get()) <= 0);
        return true;
    }

    SDL_AudioDeviceID m_device;
    const Sound &m_sound;
    Uint32 m_sourceFrameBytes;
    Uint32 m_queueTarget;
    Uint32 m_offset = 0;
    bool m_done = false;
    bool m_convertible = true;
    std::unique_ptr<SDL_AudioStream, StreamDeleter> m_stream;
    Uint32 m_repeat = 1;
    Uint32 m_stepFrames = conversionFrames;
    Uint64 m_expected = 0;
    Uint64 m_delivered = 0;
    bool m_flushed = false;
    std::vector<Uint8> m_silence;
    std::vector<Uint8> m_stretched;
    std::vector<Uint8> m_converted;
};

// Plays a sound on an open, paused device and returns once the device's queue is empty, setting
// `end` to when the sound's length will have passed. Closing the device afterwards lets its last
// buffers play out. Stops early when the descriptor `interruption` becomes readable.
Outcome playOn(SDL_AudioDeviceID device, const SDL_AudioSpec &deviceLayout, const Sound &sound,
               int interruption, Clock::time_point &end)
{
    if (sound.length == 0)
        return Outcome::Played;
    Feeder feeder(device, deviceLayout, sound);
    if (!feeder.convertible())
        return Outcome::Unplayable;
    if (!feeder.feed())
        return SDL_GetQueuedAudioSize(device) == 0 ? Outcome::Unplayable : Outcome::DeviceFailed;

    const double seconds =
        double(sound.length) / double(frameBytes(sound.layout)) / double(sound.layout.freq);
    const double deviceBytesPerMs = double(deviceLayout.freq) * frameBytes(deviceLayout) / 1000.0;

    SDL_PauseAudioDevice(device, 0);
    end = Clock::now() +
          std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    for (;;) {
        if (!feeder.feed())
            return Outcome::DeviceFailed;
        const Uint32 queued = SDL_GetQueuedAudioSize(device);
        if (feeder.done() && queued == 0)
            return Outcome::Played;
        if (SDL_GetAudioDeviceStatus(device) != SDL_AUDIO_PLAYING ||
            Clock::now() > end + stuckDeviceGrace)
            return Outcome::DeviceFailed;
        // Sleep for half of what is queued, and in steps of a millisecond near the end.
        const auto queuedMs = Uint32(double(queued) / deviceBytesPerMs);
        if (interruptedWithin(interruption,
                              std::chrono::milliseconds(std::clamp<Uint32>(queuedMs / 2, 1, 50))))
            return Outcome::Interrupted;
    }
}

} // namespace

bool playSound(const char *name, const void *module, unsigned flags)
{
    // The module only matters for sounds stored as resources, and the flags that would ask for
    // them or for playing in the background are not supported: every sound plays synchronously.
    (void)module;
    (void)flags;
    return SoundPlayer::instance().play(name);
}

void interruptSoundsOn(int fd, std::function<void()> onInterrupted)
{
    SoundPlayer::instance().setInterruption(fd, std::move(onInterrupted));
}

void resetSoundPlayerForTests()
{
    SoundPlayer::instance().reset();
}

SoundPlayer &SoundPlayer::instance()
{
    static SoundPlayer player;
    return player;
}

SoundPlayer::~SoundPlayer()
{
    if (m_audioStarted)
        stopAudio();
}

void SoundPlayer::setInterruption(int fd, std::function<void()> onInterrupted)
{
    m_interruption = fd;
    m_onInterrupted = std::move(onInterrupted);
}

bool SoundPlayer::play(const char *name)
{
    if (!name)
        return true;
    bool interrupted = false;
    const bool played = playNamed(name, interrupted);
    if (interrupted && m_onInterrupted)
        m_onInterrupted();
    return played;
}

bool SoundPlayer::playNamed(const char *name, bool &interrupted)
{
    // A program asked to end plays nothing more.
    if (interruptedWithin(m_interruption, Clock::duration::zero())) {
        interrupted = true;
        return false;
    }
    const std::optional<Sound> named = loadWave(fileNameOf(name));

    SDL_AudioSpec deviceLayout{};
    const SDL_AudioDeviceID device = openDevice(deviceLayout);
    if (device == 0)
        return false;
    Clock::time_point end;
    Outcome outcome =
        named ? playOn(device, deviceLayout, *named, m_interruption, end) : Outcome::Unplayable;
    const bool playedNamed = outcome == Outcome::Played;
    if (outcome == Outcome::Unplayable)
        outcome = playOn(device, deviceLayout, defaultSound(), m_interruption, end);
    if (outcome == Outcome::Interrupted)
        SDL_ClearQueuedAudio(device);
    // Closing waits for the last buffers to leave the device; for SDL's disk driver it also
    // writes them out to its file.
    SDL_CloseAudioDevice(device);
    // SDL's disk and dummy drivers count their buffers in whole milliseconds and so take a sound
    // a little faster than it plays; the call still lasts at least as long as the sound.
    interrupted =
        outcome == Outcome::Interrupted ||
        interruptedWithin(m_interruption, std::max(end - Clock::now(), Clock::duration::zero()));
    return playedNamed && !interrupted;
}

void SoundPlayer::reset()
{
    if (m_audioStarted)
        stopAudio();
    m_noDeviceSince.reset();
}

std::uint32_t SoundPlayer::openDevice(SDL_AudioSpec &obtained)
{
    if (m_audioStarted) {
        if (const SDL_AudioDeviceID device = openDefaultDevice(obtained))
            return device;
        // The device that played the last sound is gone, say unplugged or its sound server
        // stopped: the driver is chosen again.
        stopAudio();
    }
    if (m_noDeviceSince && Clock::now() - *m_noDeviceSince < noDeviceRetryInterval)
        return 0;
    const SDL_AudioDeviceID device = startAudio(obtained);
    if (device == 0)
        m_noDeviceSince = Clock::now();
    else
        m_noDeviceSince.reset();
    return device;
}

// Chooses the audio driver. One named in SDL_AUDIODRIVER is the only one tried. Otherwise SDL's
// drivers are tried in SDL's order until one opens a device; SDL itself would settle for the
// first driver that starts, even one without any device. The disk and dummy drivers, which play
// to a file or to nowhere, are used only when named.
std::uint32_t SoundPlayer::startAudio(SDL_AudioSpec &obtained)
{
    const char *named = std::getenv("SDL_AUDIODRIVER");
    if (named && *named)
        return startDriver(nullptr, obtained);
    const int count = SDL_GetNumAudioDrivers();
    for (int i = 0; i < count; ++i) {
        const char *driver = SDL_GetAudioDriver(i);
        if (!driver || std::strcmp(driver, "disk") == 0 || std::strcmp(driver, "dummy") == 0)
            continue;
        if (const SDL_AudioDeviceID device = startDriver(driver, obtained))
            return device;
    }
    return 0;
}

std::uint32_t SoundPlayer::startDriver(const char *driver, SDL_AudioSpec &obtained)
{
    // The game handles SIGINT and SIGTERM itself; SDL would otherwise take them over.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (driver)
        SDL_SetHint(SDL_HINT_AUDIODRIVER, driver);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0)
            SDL_Quit();
        return 0;
    }
    m_audioStarted = true;
    const SDL_AudioDeviceID device = openDefaultDevice(obtained);
    if (device == 0)
        stopAudio();
    return device;
}

void SoundPlayer::stopAudio()
{
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    // SDL_Quit also forgets the hints set above; nothing else in the game uses SDL.
    if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0)
        SDL_Quit();
    m_audioStarted = false;
}

} // namespace platform
