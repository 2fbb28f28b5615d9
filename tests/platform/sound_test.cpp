// The sound device on OpenAL Soft's null output and the WAV reader.
#include "platform/sound/Sound.h"
#include "platform/sound/WaveReader.h"
#include "platform/time/Time.h"
#include "tests/platform/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <thread>
#include <vector>

using namespace platform;

namespace {

// A tone of `ms` milliseconds, mono 16 bits.
std::vector<int16_t> Tone(uint32_t rate, uint32_t ms)
{
    std::vector<int16_t> s(size_t(rate) * ms / 1000);
    for (size_t i = 0; i < s.size(); ++i)
        s[i] = int16_t(8000 * std::sin(double(i) * 0.05));
    return s;
}

std::string ToneWave(uint32_t rate, uint32_t ms)
{
    auto s = Tone(rate, ms);
    return WaveFileBytes(1, rate, 16, s.data(), s.size() * 2);
}

// Waits (up to 5 s) for a condition that real-time playback makes true.
bool WaitFor(const std::function<bool()>& condition)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < end) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return condition();
}

void Put32(std::string& s, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        s[at + i] = char((v >> (8 * i)) & 0xFF);
}

} // namespace

TEST(SoundGain, MillibelsToGain)
{
    EXPECT_FLOAT_EQ(GainFromMillibels(0), 1.0f);
    EXPECT_NEAR(GainFromMillibels(-2000), 0.1f, 1e-6f);
    EXPECT_NEAR(GainFromMillibels(-1000), 0.316228f, 1e-5f);
    EXPECT_EQ(GainFromMillibels(-10000), 0.0f);
    EXPECT_FLOAT_EQ(GainFromMillibels(500), 1.0f);
}

TEST(WaveReader, ReadsFormatAndSamples)
{
    const std::string bytes = ToneWave(22050, 100);
    WaveReader r;
    ASSERT_TRUE(r.OpenMemory(bytes.data(), bytes.size(), "tone.wav")) << r.Error();
    EXPECT_EQ(r.Format().wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(r.Format().nChannels, 1);
    EXPECT_EQ(r.Format().nSamplesPerSec, 22050u);
    EXPECT_EQ(r.Format().nAvgBytesPerSec, 44100u);
    EXPECT_EQ(r.FormatBlock().size(), 16u);
    EXPECT_EQ(r.DataSize(), 4410u);
    std::vector<uint8_t> all(10000);
    EXPECT_EQ(r.Read(all.data(), 4000), 4000u);
    EXPECT_EQ(r.Read(all.data() + 4000, 6000), 410u); // only what is left
    EXPECT_EQ(r.Read(all.data(), 10), 0u);
    EXPECT_EQ(std::memcmp(all.data(), bytes.data() + 44, 4410), 0);
    ASSERT_TRUE(r.Reset());
    uint8_t first[4];
    EXPECT_EQ(r.Read(first, 4), 4u);
    EXPECT_EQ(std::memcmp(first, bytes.data() + 44, 4), 0);

    // The same through a file, with an unknown chunk before the samples.
    std::string withList = bytes.substr(0, 36) + std::string("LIST\x03\0\0\0abc\0", 12) + bytes.substr(36);
    Put32(withList, 4, uint32_t(withList.size() - 8));
    TempDir dir;
    WaveReader f;
    ASSERT_TRUE(f.Open(dir.Write("t.wav", withList).string())) << f.Error();
    EXPECT_EQ(f.DataSize(), 4410u);
    EXPECT_EQ(f.DataOffset(), 56u);
}

TEST(WaveReader, RefusesDamagedFilesAndSaysWhere)
{
    const std::string good = ToneWave(11025, 10);
    struct Case
    {
        const char* what;
        std::function<void(std::string&)> damage;
        const char* message;
    };
    const Case cases[] = {
        {"empty", [](std::string& s) { s.clear(); }, "chunk \"RIFF\" at offset 0"},
        {"not RIFF", [](std::string& s) { s[0] = 'X'; }, "not a RIFF file of form WAVE"},
        {"not WAVE", [](std::string& s) { s[8] = 'A'; }, "not a RIFF file of form WAVE"},
        {"no format", [](std::string& s) { s[12] = 'x'; }, "chunk \"fmt \" at offset 12: no format chunk"},
        {"short format",
         [](std::string& s) {
             Put32(s, 16, 14);
             s.erase(34, 2);
             Put32(s, 4, uint32_t(s.size() - 8));
         },
         "chunk \"fmt \" at offset 12: the format is 14 bytes"},
        {"extra bytes past the chunk",
         [](std::string& s) {
             s[20] = 2; // not PCM
             Put32(s, 16, 18);
             s.insert(36, std::string("\x40\0", 2)); // 64 extra bytes claimed
             Put32(s, 4, uint32_t(s.size() - 8));
         },
         "64 extra format bytes do not fit"},
        {"no bytes per second", [](std::string& s) { Put32(s, 28, 0); }, "0 bytes per second"},
        {"no block align",
         [](std::string& s) {
             s[32] = 0;
             s[33] = 0;
         },
         "block align 0"},
        {"no data", [](std::string& s) { s[36] = 'D'; }, "chunk \"data\" at offset 12: no data chunk"},
        {"data past the file", [](std::string& s) { s.resize(s.size() - 20); },
         "chunk \"data\" at offset 36: 220 bytes of samples run past the end"},
    };
    for (const Case& c : cases) {
        std::string bytes = good;
        c.damage(bytes);
        WaveReader r;
        EXPECT_FALSE(r.OpenMemory(bytes.data(), bytes.size(), "bad.wav")) << c.what;
        EXPECT_NE(r.Error().find("bad.wav: "), std::string::npos) << c.what;
        EXPECT_NE(r.Error().find(c.message), std::string::npos) << c.what << ": " << r.Error();
        EXPECT_FALSE(r.IsOpen());
    }
    WaveReader missing;
    EXPECT_FALSE(missing.Open("/nonexistent/x.wav"));
    EXPECT_NE(missing.Error().find("cannot open"), std::string::npos);
}

class SoundDevice : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_EQ(DirectSoundCreate(&ds), DS_OK); }
    void TearDown() override
    {
        SetHardware3DBuffers(64);
        if (ds)
            ds->Release();
    }

    DirectSoundBuffer* StaticBuffer(const std::vector<int16_t>& samples, uint32_t rate, uint32_t flags = 0)
    {
        WAVEFORMATEX f;
        f.wFormatTag = WAVE_FORMAT_PCM;
        f.nChannels = 1;
        f.nSamplesPerSec = rate;
        f.wBitsPerSample = 16;
        f.nBlockAlign = 2;
        f.nAvgBytesPerSec = rate * 2;
        DSBUFFERDESC d;
        d.dwFlags = DSBCAPS_STATIC | DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | flags;
        d.dwBufferBytes = uint32_t(samples.size() * 2);
        d.lpwfxFormat = &f;
        DirectSoundBuffer* b = nullptr;
        if (ds->CreateSoundBuffer(d, &b) != DS_OK)
            return nullptr;
        EXPECT_EQ(b->Write(0, samples.data(), d.dwBufferBytes), DS_OK);
        return b;
    }

    static bool Playing(DirectSoundBuffer* b)
    {
        uint32_t status = 0;
        b->GetStatus(&status);
        return (status & DSBSTATUS_PLAYING) != 0;
    }

    DirectSound* ds = nullptr;
};

TEST_F(SoundDevice, StaticBufferAndDuplicatesPlayTheSameSamples)
{
    DirectSoundBuffer* b = StaticBuffer(Tone(22050, 60), 22050, DSBCAPS_CTRLPOSITIONNOTIFY);
    ASSERT_NE(b, nullptr);
    DirectSoundBuffer* dup = nullptr;
    ASSERT_EQ(ds->DuplicateSoundBuffer(b, &dup), DS_OK);
    Event stopped;
    DSBPOSITIONNOTIFY n{DSBPN_OFFSETSTOP, &stopped};
    ASSERT_EQ(b->SetNotificationPositions(1, &n), DS_OK);

    uint32_t hz = 0;
    ASSERT_EQ(dup->GetFrequency(&hz), DS_OK);
    EXPECT_EQ(hz, 22050u);
    EXPECT_EQ(dup->SetFrequency(99), DSERR_INVALIDPARAM);
    EXPECT_EQ(dup->SetFrequency(44100), DS_OK);
    EXPECT_EQ(dup->GetFrequency(&hz), DS_OK);
    EXPECT_EQ(hz, 44100u);
    EXPECT_EQ(dup->SetVolume(-10001), DSERR_INVALIDPARAM);
    EXPECT_EQ(dup->SetVolume(-1000), DS_OK);
    EXPECT_EQ(dup->SetPan(10000), DS_OK);

    ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
    ASSERT_EQ(dup->Play(0, 0, 0), DS_OK);
    EXPECT_TRUE(Playing(b));
    // A play-once buffer ends by itself and reports it through its stop event.
    EXPECT_EQ(stopped.Wait(5000), WAIT_OBJECT_0);
    EXPECT_FALSE(Playing(b));
    EXPECT_TRUE(WaitFor([&] { return !Playing(dup); }));

    // Looping goes on until stopped; Stop sets the event at once.
    stopped.Reset();
    ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_TRUE(Playing(b));
    EXPECT_FALSE(stopped.IsSet());
    b->Stop();
    EXPECT_TRUE(stopped.IsSet());
    EXPECT_FALSE(Playing(b));
    dup->Release();
    b->Release();
}

TEST_F(SoundDevice, StreamRingCursorsFollowPlayback)
{
    const uint32_t rate = 11025, ring = 11024; // half a second of mono 16-bit
    WAVEFORMATEX f;
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = 1;
    f.nSamplesPerSec = rate;
    f.wBitsPerSample = 16;
    f.nBlockAlign = 2;
    f.nAvgBytesPerSec = rate * 2;
    DSBUFFERDESC d;
    d.dwFlags = DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLFREQUENCY;
    d.dwBufferBytes = ring;
    d.lpwfxFormat = &f;
    DirectSoundBuffer* b = nullptr;
    ASSERT_EQ(ds->CreateSoundBuffer(d, &b), DS_OK);
    std::vector<uint8_t> fill(ring, 0);
    ASSERT_EQ(b->Write(0, fill.data(), ring), DS_OK);
    uint32_t play = 1, write = 0;
    ASSERT_EQ(b->GetCurrentPosition(&play, &write), DS_OK);
    EXPECT_EQ(play, 0u); // full ring, nothing free

    ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    EXPECT_TRUE(WaitFor([&] {
        b->GetCurrentPosition(&play, &write);
        return play >= ring / 4;
    }));
    // Refill what was played: the cursor keeps going round the ring.
    b->GetCurrentPosition(&play, &write);
    const uint32_t refilled = play;
    ASSERT_EQ(b->Write(0, fill.data(), refilled), DS_OK);
    uint32_t status = 0;
    b->GetStatus(&status);
    EXPECT_TRUE(status & DSBSTATUS_PLAYING);

    // Without more refills the ring runs dry: the play cursor stops one frame
    // before the write cursor (the whole ring is free) and the buffer still
    // counts as playing, as a looping ring does.
    EXPECT_TRUE(WaitFor([&] {
        b->GetCurrentPosition(&play, &write);
        return play == refilled - 2;
    })) << play;
    b->GetStatus(&status);
    EXPECT_TRUE(status & DSBSTATUS_PLAYING);
    b->Stop();
    b->GetStatus(&status);
    EXPECT_FALSE(status & DSBSTATUS_PLAYING);
    ASSERT_EQ(b->SetCurrentPosition(0), DS_OK);
    b->GetCurrentPosition(&play, &write);
    EXPECT_EQ(play, 0u);
    b->Release();
}

TEST_F(SoundDevice, HardwareThreeDBuffersAreCountedAndPlacedOnCommit)
{
    SetHardware3DBuffers(2);
    DSCAPS caps;
    ASSERT_EQ(ds->GetCaps(&caps), DS_OK);
    EXPECT_EQ(caps.dwFreeHw3DStaticBuffers, 2u);
    DirectSoundBuffer* a = StaticBuffer(Tone(22050, 20), 22050, DSBCAPS_CTRL3D);
    ASSERT_NE(a, nullptr);
    ds->GetCaps(&caps);
    EXPECT_EQ(caps.dwFreeHw3DStaticBuffers, 1u);
    DirectSoundBuffer* dup = nullptr;
    ASSERT_EQ(ds->DuplicateSoundBuffer(a, &dup), DS_OK);
    ds->GetCaps(&caps);
    EXPECT_EQ(caps.dwFreeHw3DStaticBuffers, 0u);
    EXPECT_EQ(StaticBuffer(Tone(22050, 20), 22050, DSBCAPS_CTRL3D), nullptr);
    // Software 3-D buffers take none.
    DirectSoundBuffer* soft = StaticBuffer(Tone(22050, 20), 22050, DSBCAPS_CTRL3D | DSBCAPS_LOCSOFTWARE);
    ASSERT_NE(soft, nullptr);

    DSBUFFERDESC pd;
    pd.dwFlags = DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRL3D;
    DirectSoundBuffer* primary = nullptr;
    ASSERT_EQ(ds->CreateSoundBuffer(pd, &primary), DS_OK);
    DirectSound3DListener* listener = primary->GetListener();
    ASSERT_NE(listener, nullptr);
    EXPECT_EQ(listener->SetRolloffFactor(2.0f, DS3D_IMMEDIATE), DS_OK);

    DirectSound3DBuffer* a3 = a->Get3DBuffer();
    ASSERT_NE(a3, nullptr);
    a3->SetPosition(0.5f, 0.0f, 1.0f, DS3D_DEFERRED);
    float x = 9, y = 9, z = 9;
    a3->GetPosition(&x, &y, &z);
    EXPECT_EQ(x, 0.0f); // deferred until the commit
    listener->CommitDeferredSettings();
    a3->GetPosition(&x, &y, &z);
    EXPECT_EQ(x, 0.5f);
    EXPECT_EQ(z, 1.0f);
    a3->SetPosition(-1.0f, 0.0f, 0.0f, DS3D_IMMEDIATE);
    a3->GetPosition(&x, &y, &z);
    EXPECT_EQ(x, -1.0f);

    a3->Release();
    listener->Release();
    primary->Release();
    soft->Release();
    dup->Release();
    a->Release();
    ds->GetCaps(&caps);
    EXPECT_EQ(caps.dwFreeHw3DStaticBuffers, 2u);
}

TEST(PcmStream, PlaysWhatIsQueuedInOrder)
{
    PcmStream s;
    ASSERT_TRUE(s.Open(2, 22050, 16));
    EXPECT_EQ(s.BytesPerSecond(), 88200u);
    std::vector<uint8_t> block(8821, 0); // not a whole frame: one byte waits
    s.Queue(block.data(), block.size());
    EXPECT_EQ(s.QueuedBytes(), 8820u);
    s.Queue(block.data(), 3);
    EXPECT_EQ(s.QueuedBytes(), 8824u);
    s.Play();
    EXPECT_TRUE(s.IsPlaying());
    EXPECT_TRUE(WaitFor([&] { return s.PlayedBytes() == s.QueuedBytes(); }));
    s.Pause();
    EXPECT_FALSE(s.IsPlaying());
    s.Stop();
    EXPECT_EQ(s.QueuedBytes(), 0u);
    EXPECT_EQ(s.PlayedBytes(), 0u);
    s.Close();
    EXPECT_FALSE(s.IsOpen());
    EXPECT_FALSE(s.Open(3, 22050, 16));
}

// OpenAL Soft reads its configuration once per process: the check of the output
// samples runs in a child process that writes them to a wave file.
TEST(SoundOutput, ThreeDSoundRightOfTheListenerPlaysOnTheRight)
{
    if (const char* out = std::getenv("VAREK_SOUND_WAVE_CHILD")) {
        DirectSound* ds = nullptr;
        if (DirectSoundCreate(&ds) != DS_OK)
            std::_Exit(2);
        DSBUFFERDESC pd;
        pd.dwFlags = DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRL3D;
        DirectSoundBuffer* primary = nullptr;
        ds->CreateSoundBuffer(pd, &primary);
        DirectSound3DListener* listener = primary->GetListener();
        listener->SetRolloffFactor(2.0f, DS3D_IMMEDIATE);
        auto tone = Tone(22050, 300);
        WAVEFORMATEX f;
        f.wFormatTag = WAVE_FORMAT_PCM;
        f.nChannels = 1;
        f.nSamplesPerSec = 22050;
        f.wBitsPerSample = 16;
        f.nBlockAlign = 2;
        f.nAvgBytesPerSec = 44100;
        DSBUFFERDESC d;
        d.dwFlags = DSBCAPS_STATIC | DSBCAPS_CTRL3D | DSBCAPS_CTRLVOLUME;
        d.dwBufferBytes = uint32_t(tone.size() * 2);
        d.lpwfxFormat = &f;
        DirectSoundBuffer* b = nullptr;
        if (ds->CreateSoundBuffer(d, &b) != DS_OK)
            std::_Exit(3);
        b->Write(0, tone.data(), d.dwBufferBytes);
        DirectSound3DBuffer* b3 = b->Get3DBuffer();
        b3->SetMinDistance(0.1f, DS3D_IMMEDIATE);
        b3->SetMaxDistance(3.0f, DS3D_IMMEDIATE);
        b3->SetPosition(0.5f, 0.0f, 0.0f, DS3D_DEFERRED);
        listener->CommitDeferredSettings();
        b->Play(0, 0, 0);
        WaitFor([&] {
            uint32_t s = 0;
            b->GetStatus(&s);
            return (s & DSBSTATUS_PLAYING) == 0;
        });
        b3->Release();
        b->Release();
        listener->Release();
        primary->Release();
        ds->Release();
        (void)out;
        std::_Exit(0);
    }
    TempDir dir;
    const auto wave = dir.path / "out.wav";
    const auto conf = dir.Write("alsoft.conf", "[general]\ndrivers = wave\nchannels = stereo\nhrtf = false\n"
                                               "[wave]\nfile = " +
                                                   wave.string() + "\n");
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    const std::string cmd = "VAREK_SOUND_WAVE_CHILD=1 ALSOFT_DRIVERS=wave ALSOFT_CONF='" + conf.string() +
                            "' '" + self + "' --gtest_filter=SoundOutput.* > /dev/null 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    std::string bytes;
    {
        std::ifstream in(wave, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    ASSERT_GT(bytes.size(), 1000u);
    // The wave output writes a stereo "data" chunk of float or 16-bit samples.
    const size_t data = bytes.find("data");
    ASSERT_NE(data, std::string::npos);
    const uint16_t bits = uint16_t(uint8_t(bytes[34]) | uint8_t(bytes[35]) << 8);
    const uint16_t tag = uint16_t(uint8_t(bytes[20]) | uint8_t(bytes[21]) << 8);
    double left = 0, right = 0;
    const char* p = bytes.data() + data + 8;
    const size_t frames = (bytes.size() - data - 8) / (2 * bits / 8);
    for (size_t i = 0; i < frames; ++i) {
        double l, r;
        if (bits == 32) {
            float fl, fr;
            std::memcpy(&fl, p + i * 8, 4);
            std::memcpy(&fr, p + i * 8 + 4, 4);
            l = fl;
            r = fr;
        } else {
            int16_t sl, sr;
            std::memcpy(&sl, p + i * 4, 2);
            std::memcpy(&sr, p + i * 4 + 2, 2);
            l = sl;
            r = sr;
        }
        left += l * l;
        right += r * r;
    }
    (void)tag;
    EXPECT_GT(right, 0.0);
    EXPECT_GT(right, 4 * left) << "left " << left << " right " << right;
}
