// The sound engine, the game's sound manager and the sound definition file, on
// OpenAL Soft's null output (which plays in real time).
#include "GAMES/Rulo2/app/CGameSoundManager.h"
#include "GAMES/Rulo2/app/CWaveFile.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "LIBS/System/LogPrintf.h"
#include "platform/sound/WaveReader.h"
#include "platform/win/Window.h"
#include "tests/platform/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <thread>

namespace {

std::string ToneWave(uint32_t rate, uint32_t ms, uint16_t channels = 1)
{
    std::vector<int16_t> s(size_t(rate) * ms / 1000 * channels);
    for (size_t i = 0; i < s.size(); ++i)
        s[i] = int16_t(6000 * std::sin(double(i) * 0.07));
    return platform::WaveFileBytes(channels, rate, 16, s.data(), s.size() * 2);
}

bool WaitFor(const std::function<bool()>& condition, int ms = 5000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return condition();
}

int32_t Millibels(CSound& s, int32_t channel)
{
    int32_t mb = 1;
    s.channels[channel].buffer->GetVolume(&mb);
    return mb;
}

uint32_t Frequency(CSound& s, int32_t channel)
{
    uint32_t hz = 0;
    s.channels[channel].buffer->GetFrequency(&hz);
    return hz;
}

// An installation folder with sounds, the manager on the null output, the log on.
class SoundFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::snprintf(ProgramFolder, sizeof(ProgramFolder), "%s", dir.path.string().c_str());
        logFile = (dir.path / "log.txt").string();
        LogPrintfSetTarget(&logging, logFile.c_str());
        dir.Write("sounds/long.wav", ToneWave(22050, 1000));
        dir.Write("sounds/short.wav", ToneWave(22050, 50));
        dir.Write("sounds/stream.wav", ToneWave(22050, 1500));
        dir.Write("sounds/brief.wav", ToneWave(11025, 300));
        ASSERT_TRUE(manager.init(&window));
    }
    void TearDown() override
    {
        SoundList.clear();
        platform::SetHardware3DBuffers(64);
        LogPrintfSetTarget(nullptr, "");
    }

    std::string Wav(const char* name) const { return (dir.path / "sounds" / name).string(); }
    std::string Log() const
    {
        std::ifstream in(logFile);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    TempDir dir;
    std::string logFile;
    uint8_t logging = 1;
    platform::Window window; // the cooperative-level window; never opened
    CGameSoundManager manager;
};

using SoundEngine = SoundFixture;

TEST_F(SoundEngine, GroupAndChannelVolumesInHundredthsOfDecibels)
{
    CSound s(&manager);
    ASSERT_TRUE(s.setup("LONG", Wav("long.wav").c_str(), 1, 0, 1));
    manager.setGroupVolume(1.5f, 1);
    EXPECT_EQ(manager.groupVolumes[1], 1.0f);
    manager.setGroupVolume(-0.2f, 1);
    EXPECT_EQ(manager.groupVolumes[1], 0.0f);
    EXPECT_EQ(Millibels(s, 0), -10000);
    manager.setGroupVolume(0.5f, 1);
    s.setVolume(1.0f, 0);
    EXPECT_EQ(Millibels(s, 0), -1000); // single precision: double would give -999
    s.setVolume(0.25f, 0);
    EXPECT_EQ(Millibels(s, 0), -3000);
    s.setVolume(2.0f, 0);
    EXPECT_EQ(s.channels[0].volume, 1.0f);

    const struct
    {
        float gain;
        int32_t mb;
    } table[] = {{1.0f, 0}, {1.2f, 0}, {0.0f, -10000}, {-1.0f, -10000}, {0.5f, -1000}, {1e-6f, -10000}};
    for (const auto& t : table)
        EXPECT_EQ(GainToMillibels(t.gain), t.mb) << t.gain;
}

TEST_F(SoundEngine, PitchIsClampedToFactorAndFrequencyLimits)
{
    CSound low(&manager);
    ASSERT_TRUE(low.setup("BRIEF", Wav("brief.wav").c_str(), 1, 0, 1));
    EXPECT_EQ(low.baseFrequency, 11025u);
    low.setPitch(6.0f, 0);
    EXPECT_EQ(Frequency(low, 0), 5u * 11025u);
    CSound s(&manager);
    ASSERT_TRUE(s.setup("LONG", Wav("long.wav").c_str(), 1, 0, 1));
    EXPECT_EQ(s.baseFrequency, 22050u);
    s.setPitch(5.0f, 0);
    EXPECT_EQ(Frequency(s, 0), 100000u); // the frequency limit
    s.setPitch(0.001f, 0);
    EXPECT_EQ(Frequency(s, 0), 2205u);
    s.setPitch(1.0f, 0);
    EXPECT_EQ(Frequency(s, 0), 22050u);
}

TEST_F(SoundEngine, ChannelsAreReusedAndUnloadedSoundsDoNotPlay)
{
    CSound s(&manager);
    ASSERT_TRUE(s.setup("LONG", Wav("long.wav").c_str(), 1, 0, 3));
    EXPECT_EQ(s.play(0, 0), 0);
    EXPECT_EQ(s.play(0, 0), 1);
    EXPECT_EQ(s.play(0, 0), 2);
    EXPECT_EQ(s.play(0, 0), 0); // all three play: channel 0 again
    s.stopAll();
    EXPECT_FALSE(s.isPlaying(0));

    CSound missing(&manager);
    EXPECT_FALSE(missing.setup("MISSING", Wav("none.wav").c_str(), 1, 0, 1));
    EXPECT_EQ(missing.play(0, 0), -1);
    EXPECT_FALSE(missing.load()); // already tried; still no file
    CSound unnamed(&manager);
    EXPECT_FALSE(unnamed.setup("EMPTY", "", 1, 0, 1));
    manager.enabled = 0;
    EXPECT_EQ(s.play(0, 0), -1);
    manager.enabled = 1;

    // Channel counts are clamped to 1..10; names are compared whole.
    CSound many(&manager);
    many.setup("A_VERY_LONG_SOUND_NAME_WELL_OVER_THIRTY_TWO_CHARACTERS_1", Wav("short.wav").c_str(), 1, 0,
               50);
    EXPECT_EQ(many.channelCount, 10);
    CSound other(&manager);
    other.setup("A_VERY_LONG_SOUND_NAME_WELL_OVER_THIRTY_TWO_CHARACTERS_2", Wav("short.wav").c_str(), 1, 0,
                0);
    EXPECT_EQ(other.channelCount, 1);
    EXPECT_EQ(manager.findSound("A_VERY_LONG_SOUND_NAME_WELL_OVER_THIRTY_TWO_CHARACTERS_2"), &other);
    EXPECT_EQ(manager.findSound("long"), nullptr); // case matters
    EXPECT_EQ(manager.findSound("LONG"), &s);
}

TEST_F(SoundEngine, SetupModesAndHardware3DFallback)
{
    struct Case
    {
        uint32_t options;
        uint32_t mode;
    } cases[] = {
        {0x01, SOUND_STREAM},       {0x03, SOUND_STREAM | SOUND_HARDWARE3D},
        {0x05, SOUND_PANNED3D}, // the 3-D modes without hardware replace the stream bit
        {0x09, SOUND_ATTENUATED3D}, {0x90, SOUND_SOFTWARE | SOUND_ON_DEMAND},
        {0x81, SOUND_STREAM}, // a stream never loads on demand
    };
    for (const Case& c : cases) {
        CSound s(&manager);
        s.setup("X", Wav("short.wav").c_str(), 1, c.options, 1);
        EXPECT_EQ(s.mode, c.mode) << c.options;
        EXPECT_EQ(s.isLoaded(), (c.mode & SOUND_ON_DEMAND) == 0) << c.options;
    }

    platform::SetHardware3DBuffers(3);
    CSound fits(&manager);
    fits.setup("FITS", Wav("short.wav").c_str(), 1, 0x02, 2);
    EXPECT_EQ(fits.mode, SOUND_HARDWARE3D);
    EXPECT_NE(fits.channels[1].buffer3D, nullptr);
    CSound falls(&manager);
    falls.setup("FALLS", Wav("short.wav").c_str(), 1, 0x02, 2); // one left, two needed
    EXPECT_EQ(falls.mode, SOUND_PANNED3D);
    EXPECT_EQ(falls.channels[0].buffer3D, nullptr);
    // Panned 3-D: volume falls with distance, the pan follows the side.
    falls.setPosition(0.5f, 0.0f, 0.0f, 0, false);
    EXPECT_FLOAT_EQ(falls.channels[0].distanceFactor, 0.5f);
    int32_t pan = 0;
    falls.channels[0].buffer->GetPan(&pan);
    EXPECT_EQ(pan, 10000);
    falls.setPosition(0.0f, 0.0f, 0.0f, 0, false); // at the listener: no side, no division by 0
    falls.channels[0].buffer->GetPan(&pan);
    EXPECT_EQ(pan, 0);
    falls.setPosition(-3.0f, 0.0f, 4.0f, 0, false);
    EXPECT_EQ(falls.channels[0].distanceFactor, 0.0f);
    falls.channels[0].buffer->GetPan(&pan);
    EXPECT_EQ(pan, -6000);
}

TEST_F(SoundEngine, DescriptionFileIsKeptWholeOrTheBitCleared)
{
    dir.Write("sounds/long.acs", std::string("desc\0ription", 12));
    CSound with(&manager);
    with.setup("W", Wav("long.wav").c_str(), 1, 0x20, 1);
    EXPECT_TRUE(with.mode & SOUND_DESCRIPTION);
    EXPECT_EQ(with.description.size(), 12u);
    CSound without(&manager);
    without.setup("WO", Wav("short.wav").c_str(), 1, 0x20, 1);
    EXPECT_FALSE(without.mode & SOUND_DESCRIPTION);
    EXPECT_TRUE(without.isLoaded());
}

TEST_F(SoundEngine, StreamRingAndLoopingRestartAfterTheRepeatDelay)
{
    CSound s(&manager);
    ASSERT_TRUE(s.setup("STREAM", Wav("stream.wav").c_str(), 3, 0x01, 1));
    EXPECT_EQ(s.ringSize, 22050u * 2 * 1500 / 1000); // 1.5 s: the whole file
    EXPECT_EQ(s.playLength, 1500u);

    CSound brief(&manager);
    ASSERT_TRUE(brief.setup("BRIEF", Wav("brief.wav").c_str(), 3, 0x01, 1));
    ASSERT_EQ(brief.play(1, 200), 0);
    const auto start = std::chrono::steady_clock::now();
    // It plays out, stops, waits for the repeat delay and plays again.
    ASSERT_TRUE(WaitFor([&] { return !brief.isPlaying(0); }));
    const auto stopped = std::chrono::steady_clock::now();
    EXPECT_GE(stopped - start, std::chrono::milliseconds(250));
    ASSERT_TRUE(WaitFor([&] { return brief.isPlaying(0); }));
    EXPECT_GE(std::chrono::steady_clock::now() - stopped, std::chrono::milliseconds(150));
    brief.stopAll();
    EXPECT_EQ(brief.streamTimerId, 0u);

    // Without the loop byte it ends once.
    ASSERT_EQ(brief.play(0, 0), 0);
    ASSERT_TRUE(WaitFor([&] { return !brief.isPlaying(0); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(brief.isPlaying(0));
}

TEST_F(SoundEngine, OnDemandSoundsUnloadWhenTheyStop)
{
    CSound s(&manager);
    s.setup("DEMAND", Wav("short.wav").c_str(), 1, 0x80, 1);
    EXPECT_FALSE(s.isLoaded());
    ASSERT_EQ(s.play(0, 0), 0);
    EXPECT_TRUE(s.isLoaded());
    EXPECT_TRUE(WaitFor([&] {
        std::lock_guard<platform::CriticalSection> guard(manager.lock);
        return !s.isLoaded();
    }));
    EXPECT_EQ(s.play(0, 0), 0); // loads again
}

// The timer thread unloads on-demand sounds while the main thread plays, stops and
// changes them; every access holds the manager's lock (run under ThreadSanitizer).
TEST_F(SoundEngine, ThreadStressOnDemandSoundsAgainstTheTick)
{
    dir.Write("sounds/tiny.wav", ToneWave(22050, 5));
    std::vector<std::unique_ptr<CSound>> sounds;
    for (int i = 0; i < 6; ++i) {
        sounds.push_back(std::make_unique<CSound>(&manager));
        sounds.back()->setup(("TINY" + std::to_string(i)).c_str(), Wav("tiny.wav").c_str(), 1 + i % 3, 0x80,
                             1 + i % 3);
    }
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
    int loops = 0;
    while (std::chrono::steady_clock::now() < end) {
        for (size_t i = 0; i < sounds.size(); ++i) {
            CSound& s = *sounds[i];
            const int32_t ch = s.play(0, 0);
            s.setVolume(float(loops % 10) / 10.0f, ch < 0 ? 0 : ch);
            s.setPitch(1.0f + float(i) / 10.0f, 0);
            s.setPosition(0.1f, 0.0f, 0.2f, 0, false);
            if ((loops + int(i)) % 3 == 0)
                s.stopChannel(0);
            s.isPlaying(0);
        }
        manager.setGroupVolume(float(loops % 5) / 5.0f, 1);
        ++loops;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_GT(loops, 10);
    sounds.clear();
    EXPECT_EQ(manager.findSound("TINY0"), nullptr);
}

using GameSounds = SoundFixture;

TEST_F(GameSounds, DefinitionFileLinesAndMessages)
{
    std::string text = "LEADING = a.wav, SFX\n"
                       "DOOR_OPEN = door1.wav, SFX, , 2, 3D // x\n"
                       "# all comment = x.wav, SFX, , 1\n"
                       "SEMI = semi.wav; SFX, , 1\n"
                       "door_close = door2.wav, FX, DEMAND, , 3DENV\n"
                       "no equals sign here\n"
                       "\r\n"
                       "music = m.wav , mus , stream , 1\n" +
                       std::string("LONG = ") + std::string(3000, 'x') + ".wav, SFX, , 1\n" +
                       "LAST = last.wav, SPC, DEMAND, 4\n";
    std::vector<std::string> names, files;
    std::vector<SoundDefinition> defs;
    SoundDefinitionSink sink;
    sink.name = [&](const std::string& n) { names.push_back(n); };
    sink.file = [&](const std::string& f) { files.push_back(f); };
    sink.define = [&](const SoundDefinition& d) { defs.push_back(d); };
    sink.message = [](const std::string& line) { LogPrintf("%s", line.c_str()); };
    ParseSoundDefinitions(text, sink);
    ASSERT_EQ(defs.size(), 4u);
    EXPECT_EQ(defs[0].name, "DOOR_OPEN");
    EXPECT_EQ(defs[0].file, "door1.wav");
    EXPECT_EQ(defs[0].group, 1);
    EXPECT_EQ(defs[0].channels, 2);
    EXPECT_EQ(defs[0].options, 0x02u); // loaded at once, hardware 3-D
    EXPECT_EQ(defs[1].name, "DOOR_CLOSE");
    EXPECT_EQ(defs[1].group, 0); // invalid group word
    EXPECT_EQ(defs[1].options, 0x88u);
    EXPECT_EQ(defs[1].channels, 1);
    EXPECT_EQ(defs[2].name, "MUSIC");
    EXPECT_EQ(defs[2].group, 3);
    EXPECT_EQ(defs[2].options, 0x01u);
    EXPECT_EQ(defs[3].group, 2);
    EXPECT_EQ(defs[3].channels, 4);
    EXPECT_EQ(names,
              (std::vector<std::string>{"LEADING", "DOOR_OPEN", "SEMI", "DOOR_CLOSE", "MUSIC", "LAST"}));
    EXPECT_EQ(files, (std::vector<std::string>{"a.wav", "door1.wav", "door2.wav", "m.wav", "last.wav"}));
    const std::string log = Log();
    EXPECT_NE(log.find("sounds.txt line 1, komma expexted"), std::string::npos) << log;
    EXPECT_NE(log.find("sounds.txt line 4, komma expexted"), std::string::npos);
    EXPECT_NE(log.find("sound.txt line 5: no valid group specifyer"), std::string::npos);
    EXPECT_NE(log.find("data\\sounds.txt line 9: 3021 characters, more than 1023; line skipped"),
              std::string::npos)
        << log;
    EXPECT_EQ(log.find("line 2,"), std::string::npos);
}

TEST_F(GameSounds, LoadingTheFileCreatesTheSounds)
{
    dir.Write("data/sounds.txt", "DOOR_OPEN = long.wav, SFX, , 2, 3D // x\r\n"
                                 "STEP_A = short.wav, FX, DEMAND, 1, 3DENV\r\n"
                                 "GONE = missing.wav, SFX\r\n");
    SoundManager = &manager;
    ASSERT_TRUE(LoadSoundDefinitions());
    SoundManager = nullptr;
    ASSERT_EQ(SoundList.size(), 2u);
    CSound* door = manager.findSound("DOOR_OPEN");
    ASSERT_EQ(door, SoundList[0]);
    EXPECT_EQ(door->channelCount, 2);
    EXPECT_TRUE(door->isLoaded());
    EXPECT_EQ(door->mode, SOUND_HARDWARE3D);
    EXPECT_EQ(door->group, 1);
    CSound* step = manager.findSound("STEP_A");
    ASSERT_NE(step, nullptr);
    EXPECT_EQ(step->group, 0);
    EXPECT_FALSE(step->isLoaded());
    EXPECT_EQ(SoundNames.size(), 3u);
    EXPECT_EQ(SoundFiles.size(), 3u);

    // Without a manager (NOSOUND) the lists are still filled; the old sounds go.
    ASSERT_TRUE(LoadSoundDefinitions());
    EXPECT_TRUE(SoundList.empty());
    EXPECT_EQ(manager.findSound("DOOR_OPEN"), nullptr);
    EXPECT_EQ(SoundNames.size(), 3u);
    std::filesystem::remove(dir.path / "data" / "sounds.txt");
    EXPECT_FALSE(LoadSoundDefinitions());
}

TEST_F(GameSounds, RequestsStartEndAndStay)
{
    CSoundSample longSound(&manager), shortSound(&manager);
    longSound.setup("LONG", Wav("long.wav").c_str(), 1, 0, 2);
    shortSound.setup("SHORT", Wav("short.wav").c_str(), 1, 0, 1);
    const CVector eye(0, 0, 0), target(0, 0, 1);
    SoundRequestCounter = 1;
    EXPECT_EQ(manager.play("NONE", nullptr, 0, 0, 0, 0, 1, 1, 0), -1);
    const int32_t once = manager.play("SHORT", nullptr, 0, 0, 0, 5, 1, 1, 0);
    EXPECT_EQ(once, 1);
    const int32_t looping = manager.play("LONG", nullptr, 1, 0, 0, 5, 1, 0.5f, 0);
    EXPECT_EQ(looping, 2);
    manager.update(eye, target, eye);
    EXPECT_EQ(manager.requests[0].channel, 0);
    EXPECT_EQ(manager.requests[0].pending, 0);
    EXPECT_TRUE(shortSound.isPlaying(0));
    // The one-shot goes in the first update after it ended; the loop stays.
    ASSERT_TRUE(WaitFor([&] { return !shortSound.isPlaying(0); }));
    manager.update(eye, target, eye);
    EXPECT_FALSE(manager.isPlaying(once));
    EXPECT_TRUE(manager.isPlaying(looping));
    manager.update(eye, target, eye);
    EXPECT_TRUE(manager.isPlaying(looping));
    EXPECT_TRUE(longSound.isPlaying(0));
    manager.setVolume(looping, 0.25f);
    manager.setPitch(looping, 2.0f);
    EXPECT_EQ(Frequency(longSound, 0), 44100u);
    manager.update(eye, target, eye);
    EXPECT_EQ(Millibels(longSound, 0), -2000);
    manager.stop(once); // not looping: nothing happens
    manager.stop(looping);
    EXPECT_FALSE(manager.isPlaying(looping));
    EXPECT_FALSE(longSound.isPlaying(0));

    // With the sound off only looping or forced requests are taken.
    manager.soundOn = 0;
    EXPECT_EQ(manager.play("SHORT", nullptr, 0, 0, 0, 5, 1, 1, 0), -1);
    const int32_t forced = manager.play("SHORT", nullptr, 0, 0, 0, 5, 1, 1, 1);
    EXPECT_GT(forced, 0);
    EXPECT_GT(manager.play("LONG", nullptr, 1, 0, 0, 5, 1, 1, 0), forced);
    manager.update(eye, target, eye);
    EXPECT_TRUE(shortSound.isPlaying(0));
    manager.stopAll();
    EXPECT_TRUE(manager.requests.empty());
    EXPECT_FALSE(longSound.isPlaying(0));
}

TEST_F(GameSounds, PauseTwiceResumeOnce)
{
    CSoundSample loopSound(&manager);
    loopSound.setup("HUM", Wav("long.wav").c_str(), 1, 0x04, 1); // panned 3-D keeps the emitter
    CWorldObject emitter;
    emitter.position = CVector(1, 0, 1);
    const CVector eye(0, 0, 0), target(0, 0, 1);
    const int32_t h = manager.play("HUM", &emitter, 1, 0, 0, 5, 1, 1, 0);
    manager.update(eye, target, eye);
    ASSERT_TRUE(loopSound.isPlaying(0));
    manager.pauseAll();
    manager.pauseAll();
    EXPECT_FALSE(loopSound.isPlaying(0));
    manager.update(eye, target, eye); // paused: not resumed by the update
    EXPECT_FALSE(loopSound.isPlaying(0));
    manager.resumeAll();
    EXPECT_TRUE(loopSound.isPlaying(0));
    EXPECT_TRUE(manager.isPlaying(h));
    manager.stopAll();
}

TEST_F(GameSounds, EmittersArePlacedInTheListenerFrame)
{
    platform::SetHardware3DBuffers(64);
    CSoundSample door(&manager), step(&manager);
    door.setup("DOOR", Wav("long.wav").c_str(), 1, 0x02, 1);
    step.setup("STEP_X", Wav("long.wav").c_str(), 1, 0x02, 1);
    ASSERT_EQ(door.mode, SOUND_HARDWARE3D);
    CWorldObject right, far, walker;
    // The camera at the origin looks along +z: +x is to its right.
    right.position = CVector(1, 0, 0);
    far.position = CVector(0, 0, 9);
    walker.position = CVector(0, 0, 1);
    walker.index = 20; // 20 mod 17 = 3
    Settings.heroIsListener = 0;
    const CVector eye(0, 0, 0), target(0, 0, 1);
    const int32_t r = manager.play("DOOR", &right, 0, 0, 0, 0, 1, 1, 0);
    const int32_t f = manager.play("DOOR", &far, 0, 0, 0, 0, 1, 1, 0);
    manager.play("STEP_X", &walker, 0, 0, 0, 0, 1, 1, 0);
    manager.update(eye, target, CVector(5, 5, 5));
    float x = 0, y = 0, z = 0;
    door.channels[0].buffer3D->GetPosition(&x, &y, &z);
    EXPECT_NEAR(x, 0.2f, 1e-6f); // 1 of the 5.0 limit, on the right
    EXPECT_NEAR(z, 0.0f, 1e-6f);
    EXPECT_TRUE(manager.isPlaying(r));
    EXPECT_FALSE(manager.isPlaying(f)); // out of range and not ranged: dropped
    EXPECT_EQ(Frequency(step, 0), uint32_t(22050.0f / (0.6666667f + 0.8333333f * 3.0f / 17.0f)));
    // Turned around, the same emitter is on the left.
    manager.update(eye, CVector(0, 0, -1), eye);
    door.channels[0].buffer3D->GetPosition(&x, &y, &z);
    EXPECT_NEAR(x, -0.2f, 1e-6f);
    Settings.heroIsListener = 1;
    manager.stopAll();
}

TEST(SoundVectors, LengthAndSetLength)
{
    CVector v(3, 4, 0);
    EXPECT_EQ(Vec3Length(v), 5.0f);
    Vec3SetLength(v, 10.0f);
    EXPECT_EQ(v, CVector(6, 8, 0));
    CVector zero(0, 0, 0);
    Vec3SetLength(zero, 3.0f);
    EXPECT_EQ(zero, CVector(0, 0, 0));
}

TEST(WaveFileOfTheEngine, OpensGamePathsAndKeepsTheFormat)
{
    TempDir dir;
    dir.Write("Sounds/Door.wav", ToneWave(8000, 250, 2));
    CWaveFile w;
    ASSERT_TRUE(w.open((dir.path.string() + "\\sounds\\DOOR.WAV").c_str())) << w.lastError;
    EXPECT_EQ(w.durationMs, 250u);
    EXPECT_EQ(w.dataSize, 8000u);
    EXPECT_EQ(w.silenceByte(), 0);
    uint8_t b[100];
    EXPECT_EQ(w.read(b, 100), 100u);
    EXPECT_EQ(w.bytesRead, 100u);
    EXPECT_TRUE(w.reset());
    EXPECT_EQ(w.bytesRead, 0u);
    CWaveFile bad;
    dir.Write("bad.wav", std::string("RIFF\x04\0\0\0WAVE", 12));
    EXPECT_FALSE(bad.open((dir.path / "bad.wav").string().c_str()));
    EXPECT_NE(bad.lastError.find("no format chunk"), std::string::npos);
}

} // namespace
