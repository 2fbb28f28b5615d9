#include "platform/sound/Sound.h"

#include "platform/sound/AlApi.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace platform {

namespace {

// One AL device and context for the whole process, shared by every user.
std::mutex AlMutex;
int AlUsers = 0;
ALCdevice* AlDevice = nullptr;
ALCcontext* AlContext = nullptr;

bool AcquireAlNow()
{
    std::lock_guard<std::mutex> lock(AlMutex);
    if (AlUsers == 0) {
        AlDevice = alcOpenDevice(nullptr);
        if (!AlDevice)
            return false;
        AlContext = alcCreateContext(AlDevice, nullptr);
        if (!AlContext || !alcMakeContextCurrent(AlContext)) {
            if (AlContext)
                alcDestroyContext(AlContext);
            alcCloseDevice(AlDevice);
            AlContext = nullptr;
            AlDevice = nullptr;
            return false;
        }
        alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
    }
    ++AlUsers;
    return true;
}

// The device opened ahead on its own thread (PrepareSoundDevice): the first
// user takes over its reference; whatever is left is closed at exit.
struct SPreparedAl
{
    std::mutex mutex;
    std::thread thread;
    bool opened = false;
    // Waits for the opening; true when its reference is handed to the caller.
    bool TakeOver()
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (thread.joinable())
            thread.join();
        return std::exchange(opened, false);
    }
    ~SPreparedAl();
};
SPreparedAl PreparedAl;

bool AcquireAl()
{
    return PreparedAl.TakeOver() || AcquireAlNow();
}

void ReleaseAl()
{
    std::lock_guard<std::mutex> lock(AlMutex);
    if (AlUsers == 0 || --AlUsers > 0)
        return;
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(AlContext);
    alcCloseDevice(AlDevice);
    AlContext = nullptr;
    AlDevice = nullptr;
}

SPreparedAl::~SPreparedAl()
{
    if (TakeOver())
        ReleaseAl();
}

std::atomic<uint32_t> Hardware3DBuffers{64};

ALenum AlFormat(uint16_t channels, uint16_t bits)
{
    if (channels == 1)
        return bits == 8 ? AL_FORMAT_MONO8 : bits == 16 ? AL_FORMAT_MONO16 : 0;
    if (channels == 2)
        return bits == 8 ? AL_FORMAT_STEREO8 : bits == 16 ? AL_FORMAT_STEREO16 : 0;
    return 0;
}

bool PlayableFormat(const WAVEFORMATEX& f)
{
    return f.wFormatTag == WAVE_FORMAT_PCM && AlFormat(f.nChannels, f.wBitsPerSample) != 0 &&
           f.nSamplesPerSec > 0 && f.nBlockAlign == f.nChannels * f.wBitsPerSample / 8;
}

// The samples of a static buffer, shared by the buffer and its duplicates.
struct StaticData
{
    ALuint buffer = 0;
    uint32_t size = 0;
    std::vector<uint8_t> bytes;
    ~StaticData()
    {
        if (buffer)
            alDeleteBuffers(1, &buffer);
    }
};

// One AL source: either on a shared static buffer or fed a queue of samples.
// The owner's lock guards every call.
struct Voice
{
    ALuint source = 0;
    WAVEFORMATEX format;
    ALenum alFormat = 0;
    std::shared_ptr<StaticData> data; // static voices
    std::deque<std::pair<ALuint, uint32_t>> queued;
    std::vector<ALuint> spare;
    std::vector<uint8_t> partial;
    uint64_t queuedBytes = 0;
    uint64_t unqueuedBytes = 0;
    bool wantPlay = false; // a queue voice is playing unless stopped, also when it ran dry

    bool Create(const WAVEFORMATEX& f)
    {
        format = f;
        alFormat = AlFormat(f.nChannels, f.wBitsPerSample);
        alGetError();
        alGenSources(1, &source);
        if (alGetError() != AL_NO_ERROR) {
            source = 0;
            return false;
        }
        alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
        alSourcef(source, AL_ROLLOFF_FACTOR, 0.0f);
        alSource3f(source, AL_POSITION, 0.0f, 0.0f, -1.0f);
        return true;
    }

    ~Voice()
    {
        if (source) {
            alSourceStop(source);
            alSourcei(source, AL_BUFFER, 0);
            alDeleteSources(1, &source);
        }
        for (auto& q : queued)
            alDeleteBuffers(1, &q.first);
        if (!spare.empty())
            alDeleteBuffers(ALsizei(spare.size()), spare.data());
    }

    ALint State() const
    {
        ALint state = AL_INITIAL;
        alGetSourcei(source, AL_SOURCE_STATE, &state);
        return state;
    }

    // Takes the played buffers off the queue; restarts a queue that ran dry and
    // has new samples.
    void Reap()
    {
        if (data)
            return;
        ALint processed = 0;
        alGetSourcei(source, AL_BUFFERS_PROCESSED, &processed);
        while (processed-- > 0 && !queued.empty()) {
            ALuint b = queued.front().first;
            alSourceUnqueueBuffers(source, 1, &b);
            unqueuedBytes += queued.front().second;
            queued.pop_front();
            spare.push_back(b);
        }
        if (wantPlay && !queued.empty() && State() != AL_PLAYING)
            alSourcePlay(source);
    }

    void Queue(const uint8_t* bytes, size_t size)
    {
        const size_t align = std::max<size_t>(1, format.nBlockAlign);
        std::vector<uint8_t> chunk;
        chunk.reserve(partial.size() + size);
        chunk.insert(chunk.end(), partial.begin(), partial.end());
        chunk.insert(chunk.end(), bytes, bytes + size);
        const size_t whole = chunk.size() / align * align;
        partial.assign(chunk.begin() + ptrdiff_t(whole), chunk.end());
        if (whole == 0)
            return;
        Reap();
        ALuint b = 0;
        if (!spare.empty()) {
            b = spare.back();
            spare.pop_back();
        } else {
            alGetError();
            alGenBuffers(1, &b);
            if (alGetError() != AL_NO_ERROR)
                return;
        }
        alBufferData(b, alFormat, chunk.data(), ALsizei(whole), ALsizei(format.nSamplesPerSec));
        alSourceQueueBuffers(source, 1, &b);
        queued.emplace_back(b, uint32_t(whole));
        queuedBytes += whole;
        if (wantPlay && State() != AL_PLAYING)
            alSourcePlay(source);
    }

    uint64_t Played()
    {
        Reap();
        ALint state = State();
        uint64_t played = unqueuedBytes;
        if (state == AL_PLAYING || state == AL_PAUSED) {
            ALint offset = 0;
            alGetSourcei(source, AL_BYTE_OFFSET, &offset);
            played += uint64_t(std::max<ALint>(offset, 0));
        }
        return std::min(played, queuedBytes);
    }

    // Drops the queue; the counters start again.
    void Flush()
    {
        alSourceStop(source);
        alSourcei(source, AL_BUFFER, 0);
        for (auto& q : queued)
            spare.push_back(q.first);
        queued.clear();
        partial.clear();
        queuedBytes = 0;
        unqueuedBytes = 0;
    }
};

class SoundBufferImpl;

// What a device's buffers share: the list for notifications and deferred 3-D
// settings, the listener's roll-off.
struct DeviceState
{
    std::mutex mutex;
    std::vector<SoundBufferImpl*> buffers;
    std::atomic<float> rolloff{1.0f};
    uint32_t hardware3DInUse = 0;
    uint32_t pollTimer = 0;
};

class Buffer3D;

class SoundBufferImpl : public DirectSoundBuffer
{
public:
    SoundBufferImpl(std::shared_ptr<DeviceState> device, uint32_t flags)
        : device_(std::move(device)), flags_(flags)
    {
    }
    ~SoundBufferImpl() override = default;

    bool InitPrimary(const DSBUFFERDESC& desc)
    {
        primary_ = true;
        format_.wFormatTag = WAVE_FORMAT_PCM;
        format_.nChannels = 2;
        format_.nSamplesPerSec = 22050;
        format_.wBitsPerSample = 8;
        format_.nBlockAlign = 2;
        format_.nAvgBytesPerSec = 44100;
        (void)desc;
        return true;
    }

    SOUNDRESULT Init(const DSBUFFERDESC& desc)
    {
        if (!desc.lpwfxFormat || !PlayableFormat(*desc.lpwfxFormat))
            return DSERR_BADFORMAT;
        if (desc.dwBufferBytes < desc.lpwfxFormat->nBlockAlign)
            return DSERR_INVALIDPARAM;
        format_ = *desc.lpwfxFormat;
        ring_ = desc.dwBufferBytes / format_.nBlockAlign * format_.nBlockAlign;
        streaming_ = (flags_ & DSBCAPS_STATIC) == 0;
        frequency_ = format_.nSamplesPerSec;
        if (!voice_.Create(format_))
            return DSERR_OUTOFMEMORY;
        if (!streaming_) {
            auto data = std::make_shared<StaticData>();
            alGetError();
            alGenBuffers(1, &data->buffer);
            if (alGetError() != AL_NO_ERROR) {
                data->buffer = 0;
                return DSERR_OUTOFMEMORY;
            }
            data->size = ring_;
            data->bytes.assign(ring_, format_.wBitsPerSample == 8 ? 0x80 : 0);
            alBufferData(data->buffer, voice_.alFormat, data->bytes.data(), ALsizei(ring_),
                         ALsizei(format_.nSamplesPerSec));
            alSourcei(voice_.source, AL_BUFFER, ALint(data->buffer));
            voice_.data = std::move(data);
        }
        ApplyPlacement();
        return DS_OK;
    }

    SOUNDRESULT InitDuplicate(SoundBufferImpl& original)
    {
        std::lock_guard<std::recursive_mutex> lock(original.mutex_);
        if (original.primary_ || original.streaming_)
            return DSERR_INVALIDPARAM;
        format_ = original.format_;
        ring_ = original.ring_;
        streaming_ = false;
        frequency_ = original.frequency_;
        volume_ = original.volume_;
        pan_ = original.pan_;
        minDistance_ = original.minDistance_;
        maxDistance_ = original.maxDistance_;
        if (!voice_.Create(format_))
            return DSERR_OUTOFMEMORY;
        voice_.data = original.voice_.data;
        alSourcei(voice_.source, AL_BUFFER, ALint(voice_.data->buffer));
        ApplyPlacement();
        ApplyGainAndPitch();
        return DS_OK;
    }

    bool Is3D() const { return (flags_ & DSBCAPS_CTRL3D) != 0; }
    bool TakesHardware3D() const { return Is3D() && !primary_ && (flags_ & DSBCAPS_LOCSOFTWARE) == 0; }

    SOUNDRESULT SetFormat(const WAVEFORMATEX* format) override
    {
        if (!format)
            return DSERR_INVALIDPARAM;
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        if (!primary_)
            return DSERR_UNSUPPORTED;
        // The mixer decides the output format; the primary only remembers it.
        format_ = *format;
        return DS_OK;
    }

    SOUNDRESULT GetFormat(WAVEFORMATEX* format) override
    {
        if (!format)
            return DSERR_INVALIDPARAM;
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        *format = format_;
        return DS_OK;
    }

    SOUNDRESULT Write(uint32_t offset, const void* data, uint32_t bytes) override
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        if (primary_ || !data || offset >= ring_ || bytes > ring_)
            return DSERR_INVALIDPARAM;
        if (streaming_) {
            voice_.Queue(static_cast<const uint8_t*>(data), bytes);
            return DS_OK;
        }
        StaticData& d = *voice_.data;
        const uint32_t first = std::min(bytes, ring_ - offset);
        std::memcpy(d.bytes.data() + offset, data, first);
        std::memcpy(d.bytes.data(), static_cast<const uint8_t*>(data) + first, bytes - first);
        // Samples go to the device whole; duplicates made later share them.
        alSourceStop(voice_.source);
        alSourcei(voice_.source, AL_BUFFER, 0);
        alGetError();
        alBufferData(d.buffer, voice_.alFormat, d.bytes.data(), ALsizei(ring_),
                     ALsizei(format_.nSamplesPerSec));
        const bool ok = alGetError() == AL_NO_ERROR;
        alSourcei(voice_.source, AL_BUFFER, ALint(d.buffer));
        return ok ? DS_OK : DSERR_GENERIC;
    }

    SOUNDRESULT Play(uint32_t, uint32_t, uint32_t flags) override
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        if (primary_)
            return DS_OK;
        looping_ = (flags & DSBPLAY_LOOPING) != 0;
        if (streaming_) {
            voice_.wantPlay = true;
            if (!voice_.queued.empty() && voice_.State() != AL_PLAYING)
                alSourcePlay(voice_.source);
        } else {
            alSourcei(voice_.source, AL_LOOPING, looping_ ? AL_TRUE : AL_FALSE);
            if (voice_.State() != AL_PLAYING)
                alSourcePlay(voice_.source);
        }
        notifyArmed_ = notifyEvent_ != nullptr;
        return DS_OK;
    }

    SOUNDRESULT Stop() override
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        if (primary_)
            return DS_OK;
        voice_.wantPlay = false;
        if (voice_.State() == AL_PLAYING)
            alSourcePause(voice_.source);
        if (notifyArmed_) {
            notifyArmed_ = false;
            notifyEvent_->Set();
        }
        return DS_OK;
    }

    SOUNDRESULT SetCurrentPosition(uint32_t position) override
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        if (primary_ || position >= std::max<uint32_t>(ring_, 1))
            return DSERR_INVALIDPARAM;
        position = position / format_.nBlockAlign * format_.nBlockAlign;
        if (streaming_) {
            // The ring starts again: what was queued is dropped, the caller refills.
            const bool play = voice_.wantPlay;
            voice_.Flush();
            voice_.wantPlay = play;
            base_ = position;
            return DS_OK;
        }
        const ALint state = voice_.State();
        if (state != AL_PLAYING && state != AL_PAUSED)
            alSourceRewind(voice_.source);
        // A source that is not playing takes the offset at its next play.
        if (position > 0 || state == AL_PLAYING || state == AL_PAUSED)
            alSourcei(voice_.source, AL_BYTE_OFFSET, ALint(position));
        return DS_OK;
    }

    SOUNDRESULT GetCurrentPosition(uint32_t* play, uint32_t* write) override
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        uint32_t p = 0;
        if (!primary_ && ring_ > 0) {
            if (streaming_) {
                const uint64_t played = voice_.Played();
                const uint64_t written = voice_.queuedBytes + voice_.partial.size();
                uint64_t cursor = base_ + played;
                // A ring that ran dry while playing: the play cursor stands just
                // before the write cursor, so the whole ring counts as free.
                if (voice_.wantPlay && played >= voice_.queuedBytes && written > 0)
                    cursor = base_ + written - format_.nBlockAlign;
                p = uint32_t(cursor % ring_);
            } else {
                ALint offset = 0;
                alGetSourcei(voice_.source, AL_BYTE_OFFSET, &offset);
                p = uint32_t(std::max<ALint>(offset, 0)) % ring_;
            }
        }
        if (play)
            *play = p;
        if (write)
            *write = p;
        return DS_OK;
    }

    bool PlayingLocked()
    {
        if (primary_)
            return false;
        if (streaming_) {
            voice_.Reap();
            return voice_.wantPlay;
        }
        return voice_.State() == AL_PLAYING;
    }

    SOUNDRESULT GetStatus(uint32_t* status) override
    {
        if (!status)
            return DSERR_INVALIDPARAM;
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        *status = 0;
        if (PlayingLocked())
            *status = DSBSTATUS_PLAYING | (looping_ ? DSBSTATUS_LOOPING : 0);
        return DS_OK;
    }

    SOUNDRESULT SetVolume(int32_t millibels) override
    {
        if (millibels < DSBVOLUME_MIN || millibels > DSBVOLUME_MAX)
            return DSERR_INVALIDPARAM;
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        volume_ = millibels;
        ApplyGainAndPitch();
        return DS_OK;
    }

    SOUNDRESULT GetVolume(int32_t* millibels) override
    {
        if (!millibels)
            return DSERR_INVALIDPARAM;
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        *millibels = volume_;
        return DS_OK;
    }

    SOUNDRESULT SetPan(int32_t pan) override
    {
        if (pan < DSBPAN_LEFT || pan > DSBPAN_RIGHT)
            return DSERR_INVALIDPARAM;
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        pan_ = pan;
        ApplyPlacement();
        return DS_OK;
    }

    SOUNDRESULT GetPan(int32_t* pan) override
    {
        if (!pan)
            return DSERR_INVALIDPARAM;
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        *pan = pan_;
        return DS_OK;
    }

    SOUNDRESULT SetFrequency(uint32_t hz) override
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        if (primary_)
            return DSERR_UNSUPPORTED;
        if (hz == 0)
            hz = format_.nSamplesPerSec;
        if (hz < DSBFREQUENCY_MIN || hz > DSBFREQUENCY_MAX)
            return DSERR_INVALIDPARAM;
        frequency_ = hz;
        ApplyGainAndPitch();
        return DS_OK;
    }

    SOUNDRESULT GetFrequency(uint32_t* hz) override
    {
        if (!hz)
            return DSERR_INVALIDPARAM;
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        *hz = frequency_;
        return DS_OK;
    }

    SOUNDRESULT SetNotificationPositions(uint32_t count, const DSBPOSITIONNOTIFY* notify) override
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        if ((flags_ & DSBCAPS_CTRLPOSITIONNOTIFY) == 0)
            return DSERR_UNSUPPORTED;
        if (count > 1 || (count == 1 && (!notify || notify->dwOffset != DSBPN_OFFSETSTOP)))
            return DSERR_UNSUPPORTED;
        notifyEvent_ = count ? notify->hEventNotify : nullptr;
        notifyArmed_ = false;
        return DS_OK;
    }

    DirectSound3DBuffer* Get3DBuffer() override;
    DirectSound3DListener* GetListener() override;

    void Release() override;

    // 3-D state, set by the 3-D interface and the device's commit.
    void Set3DPosition(float x, float y, float z, bool immediate)
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        pending_[0] = x;
        pending_[1] = y;
        pending_[2] = z;
        hasPending_ = true;
        if (immediate)
            Commit3D();
    }
    void Get3DPosition(float* x, float* y, float* z)
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        if (x)
            *x = position_[0];
        if (y)
            *y = position_[1];
        if (z)
            *z = position_[2];
    }
    void SetDistances(float minDistance, float maxDistance)
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        if (minDistance > 0)
            minDistance_ = minDistance;
        if (maxDistance > 0)
            maxDistance_ = maxDistance;
        ApplyPlacement();
    }
    void Commit3D()
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        if (hasPending_) {
            std::copy(pending_, pending_ + 3, position_);
            hasPending_ = false;
        }
        ApplyPlacement();
    }
    // Called by the device's poller: a buffer that stopped by itself sets its event.
    void PollStop()
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        if (notifyArmed_ && !PlayingLocked()) {
            notifyArmed_ = false;
            notifyEvent_->Set();
        }
    }

    std::shared_ptr<DeviceState> device_;
    uint32_t flags_;
    bool primary_ = false;

private:
    void ApplyGainAndPitch()
    {
        if (!voice_.source)
            return;
        alSourcef(voice_.source, AL_GAIN, GainFromMillibels(volume_));
        alSourcef(voice_.source, AL_PITCH, float(frequency_) / float(format_.nSamplesPerSec));
    }

    void ApplyPlacement()
    {
        if (!voice_.source)
            return;
        if (Is3D()) {
            // Positions come relative to a listener that looks along +z; OpenAL's looks along -z.
            alSourcef(voice_.source, AL_REFERENCE_DISTANCE, minDistance_);
            alSourcef(voice_.source, AL_MAX_DISTANCE, maxDistance_);
            alSourcef(voice_.source, AL_ROLLOFF_FACTOR, device_->rolloff.load());
            alSource3f(voice_.source, AL_POSITION, position_[0], position_[1], -position_[2]);
            return;
        }
        // Pan as a direction on the unit circle in front of the listener, with no
        // fall-off over distance.
        const float x = float(pan_) / 10000.0f;
        alSourcef(voice_.source, AL_ROLLOFF_FACTOR, 0.0f);
        alSource3f(voice_.source, AL_POSITION, x, 0.0f, -std::sqrt(std::max(0.0f, 1.0f - x * x)));
    }

    std::recursive_mutex mutex_;
    Voice voice_;
    WAVEFORMATEX format_;
    uint32_t ring_ = 0;
    uint64_t base_ = 0; // ring offset the queue started at
    bool streaming_ = false;
    bool looping_ = false;
    int32_t volume_ = 0;
    int32_t pan_ = 0;
    uint32_t frequency_ = 0;
    float position_[3] = {0, 0, 0};
    float pending_[3] = {0, 0, 0};
    bool hasPending_ = false;
    float minDistance_ = 1.0f;
    float maxDistance_ = 1.0e9f;
    Event* notifyEvent_ = nullptr;
    bool notifyArmed_ = false;
};

class Buffer3D : public DirectSound3DBuffer
{
public:
    explicit Buffer3D(SoundBufferImpl* owner) : owner_(owner) {}
    SOUNDRESULT SetPosition(float x, float y, float z, uint32_t apply) override
    {
        owner_->Set3DPosition(x, y, z, apply == DS3D_IMMEDIATE);
        return DS_OK;
    }
    SOUNDRESULT GetPosition(float* x, float* y, float* z) override
    {
        owner_->Get3DPosition(x, y, z);
        return DS_OK;
    }
    SOUNDRESULT SetMinDistance(float distance, uint32_t) override
    {
        owner_->SetDistances(distance, 0);
        return DS_OK;
    }
    SOUNDRESULT SetMaxDistance(float distance, uint32_t) override
    {
        owner_->SetDistances(0, distance);
        return DS_OK;
    }
    void Release() override { delete this; }

private:
    SoundBufferImpl* owner_;
};

class Listener : public DirectSound3DListener
{
public:
    explicit Listener(std::shared_ptr<DeviceState> device) : device_(std::move(device)) {}
    SOUNDRESULT SetRolloffFactor(float factor, uint32_t apply) override
    {
        if (factor < 0.0f || factor > 10.0f)
            return DSERR_INVALIDPARAM;
        {
            std::lock_guard<std::mutex> lock(device_->mutex);
            device_->rolloff.store(factor);
        }
        if (apply == DS3D_IMMEDIATE)
            return CommitDeferredSettings();
        return DS_OK;
    }
    SOUNDRESULT GetRolloffFactor(float* factor) override
    {
        std::lock_guard<std::mutex> lock(device_->mutex);
        if (factor)
            *factor = device_->rolloff.load();
        return DS_OK;
    }
    SOUNDRESULT CommitDeferredSettings() override
    {
        std::lock_guard<std::mutex> lock(device_->mutex);
        for (SoundBufferImpl* b : device_->buffers)
            if (b->Is3D())
                b->Commit3D();
        return DS_OK;
    }
    void Release() override { delete this; }

private:
    std::shared_ptr<DeviceState> device_;
};

DirectSound3DBuffer* SoundBufferImpl::Get3DBuffer()
{
    if (!Is3D() || primary_)
        return nullptr;
    return new Buffer3D(this);
}

DirectSound3DListener* SoundBufferImpl::GetListener()
{
    if (!primary_ || !Is3D())
        return nullptr;
    return new Listener(device_);
}

void SoundBufferImpl::Release()
{
    {
        std::lock_guard<std::mutex> lock(device_->mutex);
        auto& list = device_->buffers;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
        if (TakesHardware3D() && device_->hardware3DInUse > 0)
            --device_->hardware3DInUse;
    }
    delete this;
}

// Sets the stop events of buffers that ended by themselves.
void PollNotifications(uint32_t, uint32_t, uintptr_t user, uintptr_t, uintptr_t)
{
    auto* device = reinterpret_cast<DeviceState*>(user);
    std::lock_guard<std::mutex> lock(device->mutex);
    for (SoundBufferImpl* b : device->buffers)
        b->PollStop();
}

class DirectSoundImpl : public DirectSound
{
public:
    DirectSoundImpl() : state_(std::make_shared<DeviceState>()) {}
    ~DirectSoundImpl() override
    {
        if (state_->pollTimer)
            timeKillEvent(state_->pollTimer);
        ReleaseAl();
    }

    bool Open()
    {
        if (!AcquireAl())
            return false;
        state_->pollTimer =
            timeSetEvent(20, 10, PollNotifications, reinterpret_cast<uintptr_t>(state_.get()), TIME_PERIODIC);
        return true;
    }

    SOUNDRESULT SetCooperativeLevel(Window*, uint32_t) override { return DS_OK; }

    SOUNDRESULT CreateSoundBuffer(const DSBUFFERDESC& desc, DirectSoundBuffer** out) override
    {
        if (!out)
            return DSERR_INVALIDPARAM;
        *out = nullptr;
        auto* buffer = new SoundBufferImpl(state_, desc.dwFlags);
        if (desc.dwFlags & DSBCAPS_PRIMARYBUFFER) {
            buffer->InitPrimary(desc);
        } else {
            if (buffer->TakesHardware3D()) {
                std::lock_guard<std::mutex> lock(state_->mutex);
                if (state_->hardware3DInUse >= Hardware3DBuffers.load()) {
                    delete buffer;
                    return DSERR_OUTOFMEMORY;
                }
            }
            SOUNDRESULT hr = buffer->Init(desc);
            if (hr != DS_OK) {
                delete buffer;
                return hr;
            }
        }
        Register(buffer);
        *out = buffer;
        return DS_OK;
    }

    SOUNDRESULT DuplicateSoundBuffer(DirectSoundBuffer* original, DirectSoundBuffer** out) override
    {
        if (!out || !original)
            return DSERR_INVALIDPARAM;
        *out = nullptr;
        auto* from = static_cast<SoundBufferImpl*>(original);
        auto* buffer = new SoundBufferImpl(state_, from->flags_);
        if (buffer->TakesHardware3D()) {
            std::lock_guard<std::mutex> lock(state_->mutex);
            if (state_->hardware3DInUse >= Hardware3DBuffers.load()) {
                delete buffer;
                return DSERR_OUTOFMEMORY;
            }
        }
        SOUNDRESULT hr = buffer->InitDuplicate(*from);
        if (hr != DS_OK) {
            delete buffer;
            return hr;
        }
        Register(buffer);
        *out = buffer;
        return DS_OK;
    }

    SOUNDRESULT GetCaps(DSCAPS* caps) override
    {
        if (!caps)
            return DSERR_INVALIDPARAM;
        std::lock_guard<std::mutex> lock(state_->mutex);
        const uint32_t total = Hardware3DBuffers.load();
        caps->dwMaxHw3DStaticBuffers = total;
        caps->dwFreeHw3DStaticBuffers = total > state_->hardware3DInUse ? total - state_->hardware3DInUse : 0;
        return DS_OK;
    }

    void Release() override { delete this; }

private:
    void Register(SoundBufferImpl* buffer)
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        state_->buffers.push_back(buffer);
        if (buffer->TakesHardware3D())
            ++state_->hardware3DInUse;
    }

    std::shared_ptr<DeviceState> state_;
};

} // namespace

float GainFromMillibels(int32_t millibels)
{
    if (millibels <= DSBVOLUME_MIN)
        return 0.0f;
    return std::pow(10.0f, float(std::min(millibels, 0)) / 2000.0f);
}

void PrepareSoundDevice()
{
    std::lock_guard<std::mutex> lock(PreparedAl.mutex);
    if (PreparedAl.thread.joinable() || PreparedAl.opened)
        return;
    PreparedAl.thread = std::thread([] { PreparedAl.opened = AcquireAlNow(); });
}

SOUNDRESULT DirectSoundCreate(DirectSound** out)
{
    if (!out)
        return DSERR_INVALIDPARAM;
    auto* device = new DirectSoundImpl();
    if (!device->Open()) {
        delete device;
        *out = nullptr;
        return DSERR_NODRIVER;
    }
    *out = device;
    return DS_OK;
}

void SetHardware3DBuffers(uint32_t count)
{
    Hardware3DBuffers.store(count);
}

struct PcmStream::Impl
{
    mutable std::mutex mutex;
    std::unique_ptr<Voice> voice; // null while closed
};

PcmStream::PcmStream() : impl_(std::make_unique<Impl>()) {}

PcmStream::~PcmStream()
{
    Close();
}

bool PcmStream::Open(uint16_t channels, uint32_t rate, uint16_t bits)
{
    Close();
    WAVEFORMATEX f;
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = channels;
    f.nSamplesPerSec = rate;
    f.wBitsPerSample = bits;
    f.nBlockAlign = uint16_t(channels * bits / 8);
    f.nAvgBytesPerSec = rate * f.nBlockAlign;
    if (!PlayableFormat(f) || !AcquireAl())
        return false;
    auto voice = std::make_unique<Voice>();
    if (!voice->Create(f)) {
        voice.reset();
        ReleaseAl();
        return false;
    }
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->voice = std::move(voice);
    return true;
}

void PcmStream::Close()
{
    std::lock_guard<std::mutex> lock(impl_->mutex);
    if (!impl_->voice)
        return;
    impl_->voice.reset();
    ReleaseAl();
}

bool PcmStream::IsOpen() const
{
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return impl_->voice != nullptr;
}

void PcmStream::Queue(const void* data, size_t bytes)
{
    std::lock_guard<std::mutex> lock(impl_->mutex);
    if (impl_->voice && data && bytes)
        impl_->voice->Queue(static_cast<const uint8_t*>(data), bytes);
}

void PcmStream::Play()
{
    std::lock_guard<std::mutex> lock(impl_->mutex);
    Voice* v = impl_->voice.get();
    if (!v)
        return;
    v->wantPlay = true;
    if (!v->queued.empty() && v->State() != AL_PLAYING)
        alSourcePlay(v->source);
}

void PcmStream::Pause()
{
    std::lock_guard<std::mutex> lock(impl_->mutex);
    Voice* v = impl_->voice.get();
    if (!v)
        return;
    v->wantPlay = false;
    if (v->State() == AL_PLAYING)
        alSourcePause(v->source);
}

void PcmStream::Stop()
{
    std::lock_guard<std::mutex> lock(impl_->mutex);
    if (!impl_->voice)
        return;
    impl_->voice->wantPlay = false;
    impl_->voice->Flush();
}

bool PcmStream::IsPlaying()
{
    std::lock_guard<std::mutex> lock(impl_->mutex);
    if (!impl_->voice)
        return false;
    impl_->voice->Reap();
    return impl_->voice->wantPlay;
}

uint64_t PcmStream::QueuedBytes()
{
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return impl_->voice ? impl_->voice->queuedBytes : 0;
}

uint64_t PcmStream::PlayedBytes()
{
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return impl_->voice ? impl_->voice->Played() : 0;
}

void PcmStream::SetGain(float gain)
{
    std::lock_guard<std::mutex> lock(impl_->mutex);
    if (impl_->voice)
        alSourcef(impl_->voice->source, AL_GAIN, std::clamp(gain, 0.0f, 1.0f));
}

uint32_t PcmStream::BytesPerSecond() const
{
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return impl_->voice ? impl_->voice->format.nAvgBytesPerSec : 0;
}

} // namespace platform
