#pragma once
// The sound engine: one manager owns the sound device, the listener, up to 128
// sounds and ten volume groups; each sound holds a WAV file in a static buffer or
// streams it through a two-second ring, on up to ten channels. A 100 ms timer
// advances fades and reacts to the end of play; a 250 ms timer per playing stream
// refills its ring.
//
// The timers run on the timer thread while the main thread plays, stops and moves
// the same sounds: both sides hold the manager's lock while they touch a sound.
// The timer side only tries the lock and skips the round when the main thread has
// it, so the main thread may stop timers while holding it.

#include "platform/sound/Sound.h"
#include "platform/time/Time.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {
class Window;
}
class CWaveFile;
class CSoundManager;

// The engine's timer list: WINMM timers whose callbacks the list hands out.
class CMMTimer
{
public:
    using Callback = void (*)(void* data);
    ~CMMTimer();
    // Starts a periodic or one-shot timer; its id, 0 on failure.
    uint32_t add(uint32_t periodMs, uint32_t resolutionMs, void* data, Callback callback, bool periodic);
    // Kills the timer and drops its entry; id 0 does nothing.
    void remove(uint32_t id);

private:
    struct Entry
    {
        uint32_t id = 0;
        uint32_t spare = 0;
        uint8_t periodic = 0;
        Callback callback = nullptr;
        void* data = nullptr;
    };
    static void Dispatch(uint32_t id, uint32_t, uintptr_t user, uintptr_t, uintptr_t);

    platform::CriticalSection lock_;
    std::vector<Entry> entries_;
};

// Mode bits of a sound.
constexpr uint32_t SOUND_STREAM = 0x01;
constexpr uint32_t SOUND_HARDWARE3D = 0x02;
constexpr uint32_t SOUND_PANNED3D = 0x04;
constexpr uint32_t SOUND_ATTENUATED3D = 0x08;
constexpr uint32_t SOUND_SOFTWARE = 0x10;
constexpr uint32_t SOUND_DESCRIPTION = 0x20;
constexpr uint32_t SOUND_ON_DEMAND = 0x80;

constexpr int32_t MaxSoundChannels = 10;
constexpr int32_t MaxSounds = 128;
constexpr int32_t SoundGroups = 10;

struct SoundChannel
{
    platform::DirectSoundBuffer* buffer = nullptr; // the first is the loaded one, the others duplicates
    platform::DirectSound3DBuffer* buffer3D = nullptr;
    platform::DirectSoundBuffer* extra = nullptr; // a further interface, released on unload
    float volume = 1.0f;
    float distanceFactor = 1.0f;
    float targetVolume = 1.0f;
    float volumeStep = 0.0f; // per tick; 0 = no fade
    float pitch = 1.0f;
    float targetPitch = 1.0f;
    uint32_t spare = 0;
};

// Hundredths of decibels of a gain: 0 at 1.0 and above, -10,000 at 0 and below,
// else 3321.928 x log10(gain) truncated (single precision), -1,000 per halving.
int32_t GainToMillibels(float gain);

class CSound
{
public:
    explicit CSound(CSoundManager* manager);
    virtual ~CSound();

    // Stores the definition and loads it unless it loads on demand. Options: 0x01
    // stream, 0x02 hardware 3-D, 0x04 panned 3-D, 0x08 attenuated 3-D, 0x10
    // software buffers, 0x20 description file, 0x80 load on demand.
    bool setup(const char* name, const char* file, int32_t group, uint32_t options, int32_t channels);
    bool load();
    void unload();
    // The channel used, or -1.
    int32_t play(uint8_t loop, uint32_t repeatDelay);
    bool resume(int32_t channel);
    void stopChannel(int32_t channel);
    void stopAll();
    void setVolume(float value, int32_t channel);
    void setPitch(float factor, int32_t channel);
    // Relative to the listener, scaled so that length 1 is the edge of hearing.
    void setPosition(float x, float y, float z, int32_t channel, bool immediate);
    bool isPlaying(int32_t channel);

    bool isLoaded() const { return channels[0].buffer != nullptr; }

    int32_t group = 0;
    std::string name; // kept whole: names and paths have no fixed length
    std::string file;
    SoundChannel channels[MaxSoundChannels];
    uint8_t loopByte = 0;
    uint32_t repeatDelay = 0;
    platform::Event stopEvent{true, false};
    platform::Event endEvent{true, false};
    uint32_t repeatTimerId = 0;
    uint32_t mode = 0;
    CSoundManager* manager = nullptr;
    CWaveFile* wave = nullptr;
    platform::DSBUFFERDESC bufferDesc;
    platform::WAVEFORMATEX bufferFormat;
    int32_t channelCount = 1;
    uint32_t baseFrequency = 0;
    uint32_t startTime = 0;
    uint32_t ringSize = 0;
    uint32_t writeOffset = 0;
    uint8_t prepared = 0;
    uint32_t playLength = 0;
    uint32_t streamTimerId = 0;
    std::atomic<uint32_t> refillBusy{0};
    std::vector<uint8_t> description; // the ".acs" file, kept whole

    // The engine's side, on the timer thread with the manager's lock held.
    void tick();
    void refill();
    // Rewinds a channel; a stream also rewinds its file and fills the ring.
    bool prepare(int32_t channel);
    void applyVolume(int32_t channel);

private:
    void killTimers();
    bool validChannel(int32_t channel) const { return channel >= 0 && channel < channelCount; }
};

class CSoundManager
{
public:
    CSoundManager();
    virtual ~CSoundManager();

    bool init(platform::Window* window);
    void setGroupVolume(float value, int32_t group);
    float groupVolume(int32_t group) const;
    // The first registered sound of that name (case-sensitive, whole name).
    CSound* findSound(const char* name);
    void commit();

    platform::DirectSound* device = nullptr;
    uint8_t softwareFlag = 0;
    CMMTimer* timer = nullptr;
    platform::Window* window = nullptr;
    uint8_t enabled = 1;
    platform::DirectSoundBuffer* primary = nullptr;
    platform::DirectSound3DListener* listener = nullptr;
    CSound* slots[MaxSounds] = {};
    uint32_t tickTimerId = 0;
    float groupVolumes[SoundGroups] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    // Guards every sound's state between the main thread and the timer thread.
    platform::CriticalSection lock;

private:
    static void Tick(void* data);
};
