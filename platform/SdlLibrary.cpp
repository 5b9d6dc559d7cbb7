// The SDL functions the sound player calls, loaded from SDL's library at the first call instead
// of at program start. SDL and the libraries it depends on (some thirty: PulseAudio, ALSA, sound
// file codecs, Wayland) took a few milliseconds of every start and over 2 MB of resident memory
// in a game that plays its first sound only when the player picks a card.
//
// Each function below stands in for SDL's own under the same name, so the sound player is written
// against SDL's headers as usual. Without the library every call answers as SDL does when no audio
// device can be opened, and the game plays no sound. A sound player calling an SDL function not
// listed here fails to link: add it to the list.
#include <SDL.h>

#include <dlfcn.h>

namespace {

// Return type, name, parameters, arguments, and what the call answers without the library.
#define SDL_FUNCTIONS(X)                                                                           \
    X(int, SDL_InitSubSystem, (Uint32 flags), (flags), -1)                                         \
    X(void, SDL_QuitSubSystem, (Uint32 flags), (flags), )                                          \
    X(Uint32, SDL_WasInit, (Uint32 flags), (flags), 0)                                             \
    X(void, SDL_Quit, (void), (), )                                                                \
    X(SDL_bool, SDL_SetHint, (const char *name, const char *value), (name, value), SDL_FALSE)      \
    X(int, SDL_GetNumAudioDrivers, (void), (), 0)                                                  \
    X(const char *, SDL_GetAudioDriver, (int index), (index), nullptr)                             \
    X(SDL_AudioDeviceID, SDL_OpenAudioDevice,                                                      \
      (const char *device, int iscapture, const SDL_AudioSpec *desired, SDL_AudioSpec *obtained,   \
       int allowed_changes),                                                                       \
      (device, iscapture, desired, obtained, allowed_changes), 0)                                  \
    X(void, SDL_CloseAudioDevice, (SDL_AudioDeviceID dev), (dev), )                                \
    X(void, SDL_PauseAudioDevice, (SDL_AudioDeviceID dev, int pause_on), (dev, pause_on), )        \
    X(SDL_AudioStatus, SDL_GetAudioDeviceStatus, (SDL_AudioDeviceID dev), (dev),                   \
      SDL_AUDIO_STOPPED)                                                                           \
    X(int, SDL_QueueAudio, (SDL_AudioDeviceID dev, const void *data, Uint32 len),                  \
      (dev, data, len), -1)                                                                        \
    X(Uint32, SDL_GetQueuedAudioSize, (SDL_AudioDeviceID dev), (dev), 0)                           \
    X(void, SDL_ClearQueuedAudio, (SDL_AudioDeviceID dev), (dev), )                                \
    X(SDL_RWops *, SDL_RWFromConstMem, (const void *mem, int size), (mem, size), nullptr)          \
    X(SDL_AudioSpec *, SDL_LoadWAV_RW,                                                             \
      (SDL_RWops * src, int freesrc, SDL_AudioSpec *spec, Uint8 **audio_buf, Uint32 *audio_len),   \
      (src, freesrc, spec, audio_buf, audio_len), nullptr)                                         \
    X(void, SDL_FreeWAV, (Uint8 * audio_buf), (audio_buf), )                                       \
    X(SDL_AudioStream *, SDL_NewAudioStream,                                                       \
      (const SDL_AudioFormat src_format, const Uint8 src_channels, const int src_rate,             \
       const SDL_AudioFormat dst_format, const Uint8 dst_channels, const int dst_rate),            \
      (src_format, src_channels, src_rate, dst_format, dst_channels, dst_rate), nullptr)           \
    X(int, SDL_AudioStreamPut, (SDL_AudioStream * stream, const void *buf, int len),               \
      (stream, buf, len), -1)                                                                      \
    X(int, SDL_AudioStreamGet, (SDL_AudioStream * stream, void *buf, int len), (stream, buf, len), \
      -1)                                                                                          \
    X(int, SDL_AudioStreamAvailable, (SDL_AudioStream * stream), (stream), 0)                      \
    X(int, SDL_AudioStreamFlush, (SDL_AudioStream * stream), (stream), -1)                         \
    X(void, SDL_FreeAudioStream, (SDL_AudioStream * stream), (stream), )

struct Library {
#define SDL_POINTER(result, name, parameters, arguments, missing)                                  \
    result(SDLCALL *name) parameters = nullptr;
    SDL_FUNCTIONS(SDL_POINTER)
#undef SDL_POINTER
};

// Loads the library once, on the first call from any thread. A function the library lacks leaves
// the whole library unused, as if it were not there.
const Library &library()
{
    static const Library loaded = [] {
        Library functions;
        void *handle = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!handle)
            return functions;
        bool complete = true;
#define SDL_RESOLVE(result, name, parameters, arguments, missing)                                  \
    functions.name = reinterpret_cast<result(SDLCALL *) parameters>(dlsym(handle, #name));         \
    complete = complete && functions.name;
        SDL_FUNCTIONS(SDL_RESOLVE)
#undef SDL_RESOLVE
        return complete ? functions : Library{};
    }();
    return loaded;
}

} // namespace

#define SDL_STAND_IN(result, name, parameters, arguments, missing)                                 \
    result SDLCALL name parameters                                                                 \
    {                                                                                              \
        if (const auto function = library().name)                                                  \
            return function arguments;                                                             \
        return missing;                                                                            \
    }
SDL_FUNCTIONS(SDL_STAND_IN)
#undef SDL_STAND_IN
