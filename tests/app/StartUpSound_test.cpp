// The start-up's sound steps, in process: the sound manager reads the installation's sound
// definitions and the music takes its volume from the settings; with NOSOUND neither the sound
// manager nor the music's volume is touched.

#include "GAMES/Rulo2/Rulo2.h"
#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/app/CCdAudio.h"
#include "GAMES/Rulo2/app/CGameSoundManager.h"
#include "GAMES/Rulo2/app/CMainWindow.h"
#include "GAMES/Rulo2/app/InstallApp.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "platform/sound/WaveReader.h"
#include "tests/app/ShellWorld.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string Tone(uint32_t ms)
{
    std::vector<int16_t> s(size_t(22050) * ms / 1000, 1000);
    return platform::WaveFileBytes(1, 22050, 16, s.data(), s.size() * 2);
}

std::string ReadText(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

struct SStartUp
{
    bool manager = false;
    size_t sounds = 0, names = 0;
    float musicVolume = -1.0f;
    std::string log;
};

SStartUp StartUp(const fs::path& dir, const char* extra)
{
    SStartUp seen;
    std::vector<const char*> argv{"Varek", "-window", "-logging"};
    if (extra)
        argv.push_back(extra);
    GameModeFlag = 0;
    SoundNames.clear();
    {
        CGameApp app(int(argv.size()), argv.data());
        app.exitAfterFrames = 1;
        EXPECT_TRUE(app.InitInstance());
        seen.manager = SoundManager != nullptr;
        seen.sounds = SoundList.size();
        seen.names = SoundNames.size();
        seen.musicVolume = CdMusic.device.Volume();
        while (platform::PumpMessages())
            app.OnIdle(0);
        EXPECT_EQ(app.ExitInstance(), 0);
    }
    GameModeFlag = 1;
    NoSoundFlag = 0;
    seen.log = ReadText(dir / "log.txt");
    return seen;
}

TEST(StartUpSound, DefinitionsAndMusicVolumeUnlessNoSound)
{
    fs::path cwd;
    const fs::path dir = shelltest::EnterRunFolder("varek_shell_sound", &cwd);
    InstallSubsystems();
    InstallWindowDrawing();
    CreateWorldRoots();
    fs::create_directories(dir / "sounds");
    fs::create_directories(dir / "music");
    std::ofstream(dir / "sounds" / "door1.wav", std::ios::binary) << Tone(100);
    std::ofstream(dir / "sounds" / "bell.wav", std::ios::binary) << Tone(200);
    std::ofstream(dir / "music" / "track03.wav", std::ios::binary) << Tone(300);
    std::ofstream(dir / "data" / "sounds.txt") << "DOOR_OPEN = door1.wav, SFX, , 2, 3D // the front door\n"
                                                  "BELL = bell.wav, SFX, DEMAND, 1, \n";
    fs::create_directories(dir / "config" / "varek");
    std::ofstream(dir / "config" / "varek" / "user.reg")
        << "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\TuvSoftware\\TheVarek! Demo\\Settings]\n"
           "\"MusicVolume\"=dword:00000032\n";

    const SStartUp sound = StartUp(dir, nullptr);
    EXPECT_TRUE(sound.manager);
    EXPECT_EQ(sound.sounds, 2u);
    EXPECT_EQ(sound.names, 2u);
    EXPECT_NEAR(sound.musicVolume, 0.5f, 0.01f);
    for (const char* message : {"komma expexted", "no valid group specifyer"})
        EXPECT_EQ(sound.log.find(message), std::string::npos) << sound.log;

    fs::remove(dir / "log.txt");
    const SStartUp quiet = StartUp(dir, "-NOSOUND");
    EXPECT_FALSE(quiet.manager);
    EXPECT_EQ(quiet.sounds, 0u);
    EXPECT_EQ(quiet.names, 0u) << "the definitions are not read";
    EXPECT_FLOAT_EQ(quiet.musicVolume, 1.0f) << "the music's volume stays as the device had it";

    fs::current_path(cwd);
    if (!::testing::Test::HasFailure())
        fs::remove_all(dir);
}

} // namespace
