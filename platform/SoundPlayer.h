#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

struct SDL_AudioSpec;

namespace platform {

// Plays a sound the way the game's platform call does: name, no module, flags 0.
//
// The name is a file name relative to the current directory (this platform has no sound aliases),
// with '\' taken as the path separator, so ".\C" is the file "C" here. The file is read
// afresh at every call, and only a regular file is read: a FIFO or a device of that name is never
// waited for. A file that is missing, is not a regular file, is not a WAV file or cannot be played
// is replaced by the built-in default sound. Of a file longer than 8 MiB only the beginning is
// read, and of a sound longer than 30 seconds only the first 30 seconds play, so that neither
// memory nor the wait grows with what a file declares. Playing is synchronous: the call returns
// once the sound has left the audio device, and it runs no event loop meanwhile, so no handler,
// timer or repaint of the game runs while a sound plays. Flags are not supported: every call plays
// as with flags 0, and the module is not used. Without any audio device the call returns at once
// and plays nothing.
//
// Returns true when the named sound itself was played to its end, false when the default sound
// played instead or nothing could be played. A null name stops nothing (no sound ever plays in
// the background here) and returns true.
bool playSound(const char *name, const void *module, unsigned flags);

// While a sound plays, the player watches the descriptor fd (the read end of a pipe): once it is
// readable, the sound stops at once and, when the player has closed the device, onInterrupted
// runs in place of the rest of the call; it may throw to abandon the caller. A sound asked for
// while fd is readable does not start. The game passes the pipe its termination signals write to,
// so that a signal ends the program even while a sound holds up its message loop.
void interruptSoundsOn(int fd, std::function<void()> onInterrupted);

// Closes the audio output and forgets the chosen driver, so that the next sound chooses it afresh
// from the environment. Tests use it to change the audio driver within one process.
void resetSoundPlayerForTests();

// The format the player asks the audio device for: signed 16-bit native-endian samples at this
// rate and channel count, in buffers of this many sample frames. A driver that takes any format,
// such as SDL's disk driver, plays exactly this; others may answer with their own format, which
// the player then converts to.
inline constexpr int soundDeviceRate = 44100;
inline constexpr int soundDeviceChannels = 2;
inline constexpr int soundDeviceFrames = 512;

// The one sound player of the program. It keeps SDL's audio subsystem, with the driver it chose,
// from the first sound to the end of the program, and opens the device afresh for every sound.
// Only the game's one thread calls it; SDL plays the queued sound on a thread of its own.
class SoundPlayer {
public:
    static SoundPlayer &instance();
    ~SoundPlayer();
    SoundPlayer(const SoundPlayer &) = delete;
    SoundPlayer &operator=(const SoundPlayer &) = delete;

    bool play(const char *name);
    void setInterruption(int fd, std::function<void()> onInterrupted);
    void reset();

private:
    SoundPlayer() = default;
    bool playNamed(const char *name, bool &interrupted);
    std::uint32_t openDevice(SDL_AudioSpec &obtained);
    std::uint32_t startAudio(SDL_AudioSpec &obtained);
    std::uint32_t startDriver(const char *driver, SDL_AudioSpec &obtained);
    void stopAudio();

    bool m_audioStarted = false;
    std::optional<std::chrono::steady_clock::time_point> m_noDeviceSince;
    int m_interruption = -1;
    std::function<void()> m_onInterrupted;
};

} // namespace platform
