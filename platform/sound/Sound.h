#pragma once
// Sound output in the shape the game's sound engine expects of a DirectSound
// device: a device object, sound buffers with duplicates sharing their data, 3-D
// buffers and a listener with deferred settings, stop notifications; and a plain
// PCM stream for music and movie sound. Everything plays through OpenAL Soft.
//
// A static buffer is one AL buffer; every duplicate is another AL source on it. A
// streaming buffer is a ring the caller refills: whatever it writes is queued to
// its source in order, and the play cursor is the count of bytes played modulo the
// ring size, so the ring's cursors behave as on the original device.

#include "platform/time/Time.h"

#include <cstdint>
#include <memory>

namespace platform {

class Window;

using SOUNDRESULT = int32_t;
constexpr SOUNDRESULT DS_OK = 0;
constexpr SOUNDRESULT DSERR_GENERIC = static_cast<SOUNDRESULT>(0x80004005u);
constexpr SOUNDRESULT DSERR_INVALIDPARAM = static_cast<SOUNDRESULT>(0x80070057u);
constexpr SOUNDRESULT DSERR_OUTOFMEMORY = static_cast<SOUNDRESULT>(0x8007000Eu);
constexpr SOUNDRESULT DSERR_BADFORMAT = static_cast<SOUNDRESULT>(0x88780064u);
constexpr SOUNDRESULT DSERR_NODRIVER = static_cast<SOUNDRESULT>(0x88780078u);
constexpr SOUNDRESULT DSERR_UNSUPPORTED = static_cast<SOUNDRESULT>(0x80004001u);

constexpr uint16_t WAVE_FORMAT_PCM = 1;

struct WAVEFORMATEX
{
    uint16_t wFormatTag = 0;
    uint16_t nChannels = 0;
    uint32_t nSamplesPerSec = 0;
    uint32_t nAvgBytesPerSec = 0;
    uint16_t nBlockAlign = 0;
    uint16_t wBitsPerSample = 0;
    uint16_t cbSize = 0;
};

// Buffer capability flags.
constexpr uint32_t DSBCAPS_PRIMARYBUFFER = 0x00000001;
constexpr uint32_t DSBCAPS_STATIC = 0x00000002;
constexpr uint32_t DSBCAPS_LOCHARDWARE = 0x00000004;
constexpr uint32_t DSBCAPS_LOCSOFTWARE = 0x00000008;
constexpr uint32_t DSBCAPS_CTRL3D = 0x00000010;
constexpr uint32_t DSBCAPS_CTRLFREQUENCY = 0x00000020;
constexpr uint32_t DSBCAPS_CTRLPAN = 0x00000040;
constexpr uint32_t DSBCAPS_CTRLVOLUME = 0x00000080;
constexpr uint32_t DSBCAPS_CTRLPOSITIONNOTIFY = 0x00000100;
constexpr uint32_t DSBCAPS_GETCURRENTPOSITION2 = 0x00010000;
constexpr uint32_t DSBCAPS_MUTE3DATMAXDISTANCE = 0x00020000;
constexpr uint32_t DSBCAPS_LOCDEFER = 0x00040000;

constexpr uint32_t DSBPLAY_LOOPING = 0x00000001;
constexpr uint32_t DSBPLAY_TERMINATEBY_DISTANCE = 0x00000010;

constexpr uint32_t DSBSTATUS_PLAYING = 0x00000001;
constexpr uint32_t DSBSTATUS_LOOPING = 0x00000004;

constexpr uint32_t DSSCL_NORMAL = 1;
constexpr uint32_t DSSCL_PRIORITY = 2;
constexpr uint32_t DSSCL_EXCLUSIVE = 3;

constexpr uint32_t DS3D_IMMEDIATE = 0;
constexpr uint32_t DS3D_DEFERRED = 1;

constexpr uint32_t DSBPN_OFFSETSTOP = 0xFFFFFFFFu;

constexpr int32_t DSBVOLUME_MIN = -10000;
constexpr int32_t DSBVOLUME_MAX = 0;
constexpr int32_t DSBPAN_LEFT = -10000;
constexpr int32_t DSBPAN_RIGHT = 10000;
constexpr uint32_t DSBFREQUENCY_MIN = 100;
constexpr uint32_t DSBFREQUENCY_MAX = 100000;

struct DSBUFFERDESC
{
    uint32_t dwFlags = 0;
    uint32_t dwBufferBytes = 0;
    const WAVEFORMATEX* lpwfxFormat = nullptr;
};

struct DSCAPS
{
    uint32_t dwFreeHw3DStaticBuffers = 0;
    uint32_t dwMaxHw3DStaticBuffers = 0;
};

struct DSBPOSITIONNOTIFY
{
    uint32_t dwOffset = 0;
    Event* hEventNotify = nullptr;
};

// Gain factor of a volume in hundredths of decibels.
float GainFromMillibels(int32_t millibels);

class DirectSound;
class DirectSound3DBuffer;
class DirectSound3DListener;

class DirectSoundBuffer
{
public:
    virtual ~DirectSoundBuffer() = default;
    virtual SOUNDRESULT SetFormat(const WAVEFORMATEX* format) = 0;
    virtual SOUNDRESULT GetFormat(WAVEFORMATEX* format) = 0;
    // Copies bytes into the buffer at a ring offset (the lock, copy and unlock in one).
    virtual SOUNDRESULT Write(uint32_t offset, const void* data, uint32_t bytes) = 0;
    virtual SOUNDRESULT Play(uint32_t reserved, uint32_t priority, uint32_t flags) = 0;
    // Stops where it is; Play goes on from there.
    virtual SOUNDRESULT Stop() = 0;
    virtual SOUNDRESULT SetCurrentPosition(uint32_t position) = 0;
    virtual SOUNDRESULT GetCurrentPosition(uint32_t* play, uint32_t* write) = 0;
    virtual SOUNDRESULT GetStatus(uint32_t* status) = 0;
    virtual SOUNDRESULT SetVolume(int32_t millibels) = 0;
    virtual SOUNDRESULT GetVolume(int32_t* millibels) = 0;
    virtual SOUNDRESULT SetPan(int32_t pan) = 0;
    virtual SOUNDRESULT GetPan(int32_t* pan) = 0;
    virtual SOUNDRESULT SetFrequency(uint32_t hz) = 0;
    virtual SOUNDRESULT GetFrequency(uint32_t* hz) = 0;
    // Only DSBPN_OFFSETSTOP is offered: the event is set whenever the buffer stops.
    virtual SOUNDRESULT SetNotificationPositions(uint32_t count, const DSBPOSITIONNOTIFY* notify) = 0;
    // The 3-D interface of a buffer made with DSBCAPS_CTRL3D, the listener of a
    // primary buffer made with it; null otherwise. Released with Release.
    virtual DirectSound3DBuffer* Get3DBuffer() = 0;
    virtual DirectSound3DListener* GetListener() = 0;
    virtual void Release() = 0;
};

class DirectSound3DBuffer
{
public:
    virtual ~DirectSound3DBuffer() = default;
    virtual SOUNDRESULT SetPosition(float x, float y, float z, uint32_t apply) = 0;
    virtual SOUNDRESULT GetPosition(float* x, float* y, float* z) = 0;
    virtual SOUNDRESULT SetMinDistance(float distance, uint32_t apply) = 0;
    virtual SOUNDRESULT SetMaxDistance(float distance, uint32_t apply) = 0;
    virtual void Release() = 0;
};

// The listener stands at the origin looking along +z with +x to its right; the
// 3-D buffers' positions are relative to it.
class DirectSound3DListener
{
public:
    virtual ~DirectSound3DListener() = default;
    virtual SOUNDRESULT SetRolloffFactor(float factor, uint32_t apply) = 0;
    virtual SOUNDRESULT GetRolloffFactor(float* factor) = 0;
    // Applies every deferred 3-D setting of the device.
    virtual SOUNDRESULT CommitDeferredSettings() = 0;
    virtual void Release() = 0;
};

class DirectSound
{
public:
    virtual ~DirectSound() = default;
    virtual SOUNDRESULT SetCooperativeLevel(Window* window, uint32_t level) = 0;
    virtual SOUNDRESULT CreateSoundBuffer(const DSBUFFERDESC& desc, DirectSoundBuffer** out) = 0;
    virtual SOUNDRESULT DuplicateSoundBuffer(DirectSoundBuffer* original, DirectSoundBuffer** out) = 0;
    virtual SOUNDRESULT GetCaps(DSCAPS* caps) = 0;
    virtual void Release() = 0;
};

// Opens the default output device.
SOUNDRESULT DirectSoundCreate(DirectSound** out);
// Starts opening the output device on its own thread, so that the opening
// overlaps other start-up work; the first user of the device waits for it.
void PrepareSoundDevice();

// A sine tone of `frequency` Hz for `milliseconds`, as the system speaker gives it: returns
// when the tone has played. Without a sound device it is silent and returns false at once.
bool Beep(uint32_t frequency, uint32_t milliseconds);

// The number of hardware 3-D buffers a device offers (64 unless a test lowers it);
// each live 3-D buffer takes one.
void SetHardware3DBuffers(uint32_t count);

// A queue of PCM samples played in order on one voice (music tracks, movie sound).
class PcmStream
{
public:
    PcmStream();
    ~PcmStream();
    PcmStream(const PcmStream&) = delete;
    PcmStream& operator=(const PcmStream&) = delete;

    // 1 or 2 channels of 8- or 16-bit samples. False without a sound device.
    bool Open(uint16_t channels, uint32_t rate, uint16_t bits);
    void Close();
    bool IsOpen() const;
    // Appends samples (whole frames are queued; a partial frame waits for the rest).
    void Queue(const void* data, size_t bytes);
    void Play();
    // Holds the queue where it is; Play goes on.
    void Pause();
    // Stops and drops everything queued; the counters start again at 0.
    void Stop();
    bool IsPlaying();
    uint64_t QueuedBytes();
    uint64_t PlayedBytes();
    void SetGain(float gain);
    uint32_t BytesPerSecond() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace platform
