#include "GAMES/Rulo2/app/CSoundManager.h"

#include "GAMES/Rulo2/app/CWaveFile.h"
#include "platform/files/Files.h"

#include <algorithm>
#include <cmath>
#include <mutex>

using namespace platform;

namespace {

constexpr uint32_t TickMs = 100;
constexpr uint32_t RefillMs = 250;
constexpr uint32_t RingMs = 2000;

// Holds the manager's lock for the timer thread, unless the main thread has it.
class TryLock
{
public:
    explicit TryLock(CriticalSection& cs) : cs_(cs), owned_(cs.TryEnter()) {}
    ~TryLock()
    {
        if (owned_)
            cs_.Leave();
    }
    explicit operator bool() const { return owned_; }

private:
    CriticalSection& cs_;
    bool owned_;
};

void RefillCallback(void* data)
{
    auto* sound = static_cast<CSound*>(data);
    TryLock lock(sound->manager->lock);
    if (lock)
        sound->refill();
}

void RepeatCallback(void* data)
{
    static_cast<CSound*>(data)->endEvent.Set();
}

// Length of a 3-vector in single precision.
float Length3(float x, float y, float z)
{
    return std::sqrt(x * x + y * y + z * z);
}

} // namespace

int32_t GainToMillibels(float gain)
{
    if (gain >= 1.0f)
        return 0;
    if (gain <= 0.0f)
        return DSBVOLUME_MIN;
    const float mb = 3321.928f * log10f(gain);
    return std::clamp(int32_t(mb), DSBVOLUME_MIN, DSBVOLUME_MAX);
}

// ---- CMMTimer

CMMTimer::~CMMTimer()
{
    std::vector<Entry> all;
    {
        std::lock_guard<CriticalSection> guard(lock_);
        all.swap(entries_);
    }
    for (const Entry& e : all)
        timeKillEvent(e.id);
}

uint32_t CMMTimer::add(uint32_t periodMs, uint32_t resolutionMs, void* data, Callback callback, bool periodic)
{
    // The entry is in the list before the first call can look for it.
    std::lock_guard<CriticalSection> guard(lock_);
    const uint32_t id = timeSetEvent(periodMs, resolutionMs, Dispatch, reinterpret_cast<uintptr_t>(this),
                                     periodic ? TIME_PERIODIC : TIME_ONESHOT);
    if (id == 0)
        return 0;
    Entry e;
    e.id = id;
    e.periodic = periodic ? 1 : 0;
    e.callback = callback;
    e.data = data;
    entries_.push_back(e);
    return id;
}

void CMMTimer::remove(uint32_t id)
{
    if (id == 0)
        return;
    {
        std::lock_guard<CriticalSection> guard(lock_);
        entries_.erase(
            std::remove_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.id == id; }),
            entries_.end());
    }
    // Killed outside the list's lock: the kill waits for a running callback,
    // which may itself add or remove timers.
    timeKillEvent(id);
}

void CMMTimer::Dispatch(uint32_t id, uint32_t, uintptr_t user, uintptr_t, uintptr_t)
{
    auto* self = reinterpret_cast<CMMTimer*>(user);
    Callback callback = nullptr;
    void* data = nullptr;
    {
        std::lock_guard<CriticalSection> guard(self->lock_);
        auto it = std::find_if(self->entries_.begin(), self->entries_.end(),
                               [&](const Entry& e) { return e.id == id; });
        if (it == self->entries_.end())
            return;
        callback = it->callback;
        data = it->data;
        if (!it->periodic)
            self->entries_.erase(it);
    }
    if (callback)
        callback(data);
}

// ---- CSound

CSound::CSound(CSoundManager* owner) : manager(owner)
{
    if (!manager)
        return;
    std::lock_guard<CriticalSection> guard(manager->lock);
    for (CSound*& slot : manager->slots) {
        if (!slot) {
            slot = this;
            break;
        }
    }
}

CSound::~CSound()
{
    if (!manager)
        return;
    std::lock_guard<CriticalSection> guard(manager->lock);
    unload();
    for (CSound*& slot : manager->slots)
        if (slot == this)
            slot = nullptr;
}

bool CSound::setup(const char* soundName, const char* fileName, int32_t soundGroup, uint32_t options,
                   int32_t count)
{
    // The sound is in the manager's slots since its construction: the tick reads these fields.
    std::unique_lock<CriticalSection> guard;
    if (manager)
        guard = std::unique_lock<CriticalSection>(manager->lock);
    name = soundName ? soundName : "";
    file = fileName ? fileName : "";
    group = soundGroup;
    mode = options & SOUND_STREAM;
    if (options & 0x02)
        mode |= SOUND_HARDWARE3D;
    else if (options & 0x04)
        mode = SOUND_PANNED3D;
    else if (options & 0x08)
        mode = SOUND_ATTENUATED3D;
    if ((options & 0x10) || (manager && manager->softwareFlag))
        mode |= SOUND_SOFTWARE;
    if (options & 0x20)
        mode |= SOUND_DESCRIPTION;
    if ((options & 0x80) && !(options & 0x01))
        mode |= SOUND_ON_DEMAND;
    channelCount = std::clamp(count, 1, MaxSoundChannels);
    if (mode & SOUND_ON_DEMAND)
        return true;
    return load();
}

bool CSound::load()
{
    if (!manager || !manager->device || file.empty())
        return false;
    std::lock_guard<CriticalSection> guard(manager->lock);
    if (isLoaded())
        return false;
    wave = new CWaveFile();
    if (!wave->open(file.c_str())) {
        delete wave;
        wave = nullptr;
        return false;
    }
    const bool stream = (mode & SOUND_STREAM) != 0;
    uint32_t size = wave->dataSize;
    if (stream)
        size = std::min<uint32_t>(uint32_t(uint64_t(wave->avgBytesPerSec) * RingMs / 1000), wave->dataSize);

    bufferFormat = wave->format();
    bufferDesc = DSBUFFERDESC();
    bufferDesc.dwFlags = DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME;
    if (!stream)
        bufferDesc.dwFlags |= DSBCAPS_STATIC;
    if (mode & SOUND_ON_DEMAND)
        bufferDesc.dwFlags |= DSBCAPS_CTRLPOSITIONNOTIFY;
    bufferDesc.dwFlags |= (mode & SOUND_SOFTWARE) ? DSBCAPS_LOCSOFTWARE : DSBCAPS_LOCDEFER;
    if (mode & SOUND_HARDWARE3D) {
        DSCAPS caps;
        manager->device->GetCaps(&caps);
        if (caps.dwFreeHw3DStaticBuffers < uint32_t(channelCount))
            mode = (mode & ~SOUND_HARDWARE3D) | SOUND_PANNED3D;
        else
            bufferDesc.dwFlags |= DSBCAPS_CTRL3D;
    }
    bufferDesc.dwBufferBytes = size;
    bufferDesc.lpwfxFormat = &bufferFormat;
    ringSize = size;
    playLength = wave->durationMs;

    if (manager->device->CreateSoundBuffer(bufferDesc, &channels[0].buffer) != DS_OK) {
        channels[0].buffer = nullptr;
        delete wave;
        wave = nullptr;
        return false;
    }
    if (!stream) {
        std::vector<uint8_t> samples(size);
        wave->reset();
        const uint32_t got = wave->read(samples.data(), size);
        std::fill(samples.begin() + got, samples.end(), wave->silenceByte());
        channels[0].buffer->Write(0, samples.data(), size);
        prepare(0);
    } else {
        prepare(0);
    }
    for (int32_t i = 1; i < channelCount; ++i)
        if (manager->device->DuplicateSoundBuffer(channels[0].buffer, &channels[i].buffer) != DS_OK)
            channels[i].buffer = nullptr;
    if (bufferDesc.dwFlags & DSBCAPS_CTRL3D) {
        for (int32_t i = 0; i < channelCount; ++i) {
            if (!channels[i].buffer)
                continue;
            channels[i].buffer3D = channels[i].buffer->Get3DBuffer();
            if (channels[i].buffer3D) {
                channels[i].buffer3D->SetMinDistance(0.1f, DS3D_IMMEDIATE);
                channels[i].buffer3D->SetMaxDistance(3.0f, DS3D_IMMEDIATE);
            }
        }
    }
    WAVEFORMATEX f;
    channels[0].buffer->GetFormat(&f);
    baseFrequency = f.nSamplesPerSec;
    for (int32_t i = 0; i < channelCount; ++i)
        applyVolume(i);
    if (mode & SOUND_ON_DEMAND) {
        DSBPOSITIONNOTIFY n{DSBPN_OFFSETSTOP, &stopEvent};
        channels[0].buffer->SetNotificationPositions(1, &n);
    }
    if (mode & SOUND_DESCRIPTION) {
        std::string acs = file;
        const size_t dot = acs.find_last_of('.');
        const size_t slash = acs.find_last_of("\\/");
        if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
            acs.resize(dot);
        acs += ".acs";
        std::string bytes;
        if (platform::ReadFile(acs, bytes))
            description.assign(bytes.begin(), bytes.end());
        else
            mode &= ~SOUND_DESCRIPTION;
    }
    if (!stream) {
        delete wave;
        wave = nullptr;
    }
    return true;
}

void CSound::killTimers()
{
    if (!manager || !manager->timer)
        return;
    manager->timer->remove(streamTimerId);
    streamTimerId = 0;
    manager->timer->remove(repeatTimerId);
    repeatTimerId = 0;
}

void CSound::unload()
{
    if (!manager)
        return;
    std::lock_guard<CriticalSection> guard(manager->lock);
    killTimers();
    for (SoundChannel& c : channels) {
        if (c.buffer3D)
            c.buffer3D->Release();
        if (c.extra)
            c.extra->Release();
        if (c.buffer) {
            c.buffer->Stop();
            c.buffer->Release();
        }
        c.buffer3D = nullptr;
        c.extra = nullptr;
        c.buffer = nullptr;
    }
    delete wave;
    wave = nullptr;
    description.clear();
    prepared = 0;
}

bool CSound::prepare(int32_t channel)
{
    if (!validChannel(channel) || !channels[channel].buffer)
        return false;
    SoundChannel& c = channels[channel];
    c.buffer->SetCurrentPosition(0);
    if (mode & SOUND_STREAM) {
        if (!wave)
            return false;
        wave->reset();
        writeOffset = 0;
        std::vector<uint8_t> ring(ringSize);
        const uint32_t got = wave->read(ring.data(), ringSize);
        std::fill(ring.begin() + got, ring.end(), wave->silenceByte());
        c.buffer->Write(0, ring.data(), ringSize);
    }
    prepared = 1;
    return true;
}

int32_t CSound::play(uint8_t loop, uint32_t delay)
{
    if (!manager)
        return -1;
    std::lock_guard<CriticalSection> guard(manager->lock);
    if (!manager->enabled)
        return -1;
    if ((mode & SOUND_ON_DEMAND) && !isLoaded())
        load();
    int32_t channel = 0;
    if (channelCount > 1) {
        for (int32_t i = 0; i < channelCount; ++i) {
            if (!isPlaying(i)) {
                channel = i;
                break;
            }
        }
    }
    SoundChannel& c = channels[channel];
    if (!c.buffer)
        return -1;
    if (!(prepared && channel == 0) || (mode & SOUND_STREAM) == 0)
        prepare(channel);
    loopByte = loop;
    repeatDelay = delay;
    uint32_t flags = (loop || (mode & SOUND_STREAM)) ? DSBPLAY_LOOPING : 0;
    if (mode & SOUND_HARDWARE3D)
        flags |= DSBPLAY_TERMINATEBY_DISTANCE;
    if (c.buffer->Play(0, 0, flags) != DS_OK)
        return -1;
    prepared = 0;
    startTime = timeGetTime();
    if ((mode & SOUND_STREAM) && manager->timer) {
        manager->timer->remove(streamTimerId);
        streamTimerId = manager->timer->add(RefillMs, RefillMs, this, RefillCallback, true);
    }
    return channel;
}

bool CSound::resume(int32_t channel)
{
    if (!manager)
        return false;
    std::lock_guard<CriticalSection> guard(manager->lock);
    if (!manager->enabled || !validChannel(channel) || !channels[channel].buffer)
        return false;
    uint32_t flags = (loopByte || (mode & SOUND_STREAM)) ? DSBPLAY_LOOPING : 0;
    return channels[channel].buffer->Play(0, 0, flags) == DS_OK;
}

void CSound::stopChannel(int32_t channel)
{
    if (!manager)
        return;
    std::lock_guard<CriticalSection> guard(manager->lock);
    if (validChannel(channel) && channels[channel].buffer)
        channels[channel].buffer->Stop();
}

void CSound::stopAll()
{
    if (!manager)
        return;
    std::lock_guard<CriticalSection> guard(manager->lock);
    for (int32_t i = 0; i < channelCount; ++i)
        if (channels[i].buffer)
            channels[i].buffer->Stop();
    killTimers();
}

void CSound::setVolume(float value, int32_t channel)
{
    if (!manager)
        return;
    std::lock_guard<CriticalSection> guard(manager->lock);
    if (!validChannel(channel))
        return;
    value = std::clamp(value, 0.0f, 1.0f);
    SoundChannel& c = channels[channel];
    c.volume = value;
    c.targetVolume = value;
    c.volumeStep = 0.0f;
    applyVolume(channel);
}

void CSound::setPitch(float factor, int32_t channel)
{
    if (!manager)
        return;
    std::lock_guard<CriticalSection> guard(manager->lock);
    if (!validChannel(channel))
        return;
    factor = std::clamp(factor, 0.1f, 5.0f);
    SoundChannel& c = channels[channel];
    c.pitch = factor;
    c.targetPitch = factor;
    if (!c.buffer)
        return;
    const float hz =
        std::clamp(float(baseFrequency) * factor, float(DSBFREQUENCY_MIN), float(DSBFREQUENCY_MAX));
    c.buffer->SetFrequency(uint32_t(hz));
}

void CSound::setPosition(float x, float y, float z, int32_t channel, bool immediate)
{
    if (!manager)
        return;
    std::lock_guard<CriticalSection> guard(manager->lock);
    if (!validChannel(channel))
        return;
    SoundChannel& c = channels[channel];
    if (mode & (SOUND_PANNED3D | SOUND_ATTENUATED3D)) {
        const float length = Length3(x, y, z);
        c.distanceFactor = 1.0f - std::min(length, 1.0f);
        applyVolume(channel);
        if ((mode & SOUND_PANNED3D) && c.buffer) {
            // A sound at the listener itself has no side.
            const int32_t pan = length > 0.0f ? int32_t(x / length * 10000.0f) : 0;
            c.buffer->SetPan(std::clamp(pan, DSBPAN_LEFT, DSBPAN_RIGHT));
        }
    } else if ((mode & SOUND_HARDWARE3D) && c.buffer3D) {
        c.buffer3D->SetPosition(x, y, z, immediate ? DS3D_IMMEDIATE : DS3D_DEFERRED);
    }
}

bool CSound::isPlaying(int32_t channel)
{
    if (!manager)
        return false;
    std::lock_guard<CriticalSection> guard(manager->lock);
    if (!validChannel(channel) || !channels[channel].buffer)
        return false;
    uint32_t status = 0;
    channels[channel].buffer->GetStatus(&status);
    return (status & DSBSTATUS_PLAYING) != 0;
}

void CSound::applyVolume(int32_t channel)
{
    if (!validChannel(channel))
        return;
    SoundChannel& c = channels[channel];
    if (!c.buffer)
        return;
    float v = c.volume;
    if (mode & (SOUND_PANNED3D | SOUND_ATTENUATED3D))
        v *= c.distanceFactor;
    c.buffer->SetVolume(GainToMillibels(manager->groupVolume(group) * v));
}

void CSound::tick()
{
    for (int32_t i = 0; i < channelCount; ++i) {
        SoundChannel& c = channels[i];
        if (c.volumeStep == 0.0f)
            continue;
        c.volume += c.volumeStep;
        if ((c.volumeStep < 0.0f && c.volume <= c.targetVolume) ||
            (c.volumeStep > 0.0f && c.volume >= c.targetVolume)) {
            c.volume = c.targetVolume;
            c.volumeStep = 0.0f;
        }
        applyVolume(i);
    }
    if (stopEvent.IsSet()) {
        stopEvent.Reset();
        if (mode & SOUND_ON_DEMAND)
            unload();
    }
    if (endEvent.IsSet()) {
        endEvent.Reset();
        manager->timer->remove(repeatTimerId);
        repeatTimerId = 0;
        if ((mode & SOUND_STREAM) && loopByte)
            play(loopByte, repeatDelay);
    }
}

void CSound::refill()
{
    if (!wave || !channels[0].buffer || refillBusy.exchange(1) != 0)
        return;
    const uint32_t remaining = wave->dataSize - wave->bytesRead;
    const uint32_t elapsed = timeGetTime() - startTime;
    if (elapsed < playLength || remaining > 0) {
        uint32_t play = 0, write = 0;
        channels[0].buffer->GetCurrentPosition(&play, &write);
        const uint32_t align = std::max<uint32_t>(1, bufferFormat.nBlockAlign);
        uint32_t free = ringSize ? (play + ringSize - writeOffset) % ringSize : 0;
        free = free / align * align;
        if (free > 0) {
            std::vector<uint8_t> bytes(free, wave->silenceByte());
            if (remaining > 0)
                wave->read(bytes.data(), std::min(free, remaining));
            channels[0].buffer->Write(writeOffset, bytes.data(), free);
            writeOffset = (writeOffset + free) % ringSize;
        }
    } else {
        for (int32_t i = 0; i < channelCount; ++i)
            if (channels[i].buffer)
                channels[i].buffer->Stop();
        killTimers();
        if (repeatDelay > 0)
            repeatTimerId = manager->timer->add(repeatDelay, 10, this, RepeatCallback, false);
        else
            endEvent.Set();
        prepare(0);
    }
    refillBusy.store(0);
}

// ---- CSoundManager

CSoundManager::CSoundManager() = default;

CSoundManager::~CSoundManager()
{
    if (timer)
        timer->remove(tickTimerId);
    tickTimerId = 0;
    {
        std::lock_guard<CriticalSection> guard(lock);
        for (CSound*& slot : slots)
            if (slot)
                delete slot;
    }
    if (listener)
        listener->Release();
    listener = nullptr;
    if (primary) {
        primary->Stop();
        primary->Release();
    }
    primary = nullptr;
    if (device)
        device->Release();
    device = nullptr;
    delete timer;
    timer = nullptr;
}

void CSoundManager::Tick(void* data)
{
    auto* self = static_cast<CSoundManager*>(data);
    TryLock guard(self->lock);
    if (!guard)
        return;
    for (CSound* sound : self->slots)
        if (sound)
            sound->tick();
}

bool CSoundManager::init(Window* owner)
{
    if (!timer)
        timer = new CMMTimer();
    if (!tickTimerId)
        tickTimerId = timer->add(TickMs, TickMs, this, Tick, true);
    if (device) {
        device->Release();
        device = nullptr;
    }
    if (!owner)
        return false;
    window = owner;
    if (DirectSoundCreate(&device) != DS_OK) {
        device = nullptr;
        return false;
    }
    device->SetCooperativeLevel(owner, DSSCL_EXCLUSIVE);
    DSCAPS caps;
    device->GetCaps(&caps);
    DSBUFFERDESC desc;
    desc.dwFlags = DSBCAPS_PRIMARYBUFFER;
    if (caps.dwFreeHw3DStaticBuffers > 0)
        desc.dwFlags |= DSBCAPS_CTRL3D;
    if (device->CreateSoundBuffer(desc, &primary) != DS_OK) {
        primary = nullptr;
        return false;
    }
    WAVEFORMATEX f;
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = 2;
    f.nSamplesPerSec = 11025;
    f.wBitsPerSample = 16;
    f.nBlockAlign = 4;
    f.nAvgBytesPerSec = 11025 * 4;
    primary->SetFormat(&f);
    if (desc.dwFlags & DSBCAPS_CTRL3D) {
        listener = primary->GetListener();
        if (listener)
            listener->SetRolloffFactor(2.0f, DS3D_IMMEDIATE);
    }
    return true;
}

float CSoundManager::groupVolume(int32_t group) const
{
    return group >= 0 && group < SoundGroups ? groupVolumes[group] : 1.0f;
}

void CSoundManager::setGroupVolume(float value, int32_t group)
{
    if (group < 0 || group >= SoundGroups)
        return;
    std::lock_guard<CriticalSection> guard(lock);
    groupVolumes[group] = std::clamp(value, 0.0f, 1.0f);
    for (CSound* sound : slots)
        if (sound && sound->group == group)
            for (int32_t i = 0; i < sound->channelCount; ++i)
                sound->applyVolume(i);
}

CSound* CSoundManager::findSound(const char* name)
{
    if (!name)
        return nullptr;
    std::lock_guard<CriticalSection> guard(lock);
    for (CSound* sound : slots)
        if (sound && sound->name == name)
            return sound;
    return nullptr;
}

void CSoundManager::commit()
{
    std::lock_guard<CriticalSection> guard(lock);
    if (listener)
        listener->CommitDeferredSettings();
}
