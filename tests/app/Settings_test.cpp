#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "LIBS/System/LogPrintf.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class SettingsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string tmpl = (fs::temp_directory_path() / "varek-settings-XXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        dir = tmpl;
        setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
        oldCwd = fs::current_path();
        fs::current_path(dir);
        Settings = GameSettings();
        WindowedFlag = 0;
        PrimaryOnlyFlag = 0;
        NoTnLFlag = 1;
        ShrinkTexturesFlag = 0;
        NoSoundFlag = 0;
        NoShadowsSwitch = 0;
        ListenerSwitch = ListenerFromSettings;
        LoggingSwitch = 0;
        WorldFileName[0] = '\0';
    }
    void TearDown() override
    {
        fs::current_path(oldCwd);
        fs::remove_all(dir);
    }
    void Parse(std::vector<const char*> args)
    {
        args.insert(args.begin(), "Varek.exe");
        CGameCommandLineInfo info;
        ParseCommandLine(info, int(args.size()), args.data());
    }

    fs::path dir, oldCwd;
};

TEST_F(SettingsTest, EmptyRegistryGivesTheDefaults)
{
    Settings.mainWndW = 1;
    Settings.fogEnd = 1;
    ReadWindowPlacementSettings();
    ReadSettings();
    const GameSettings& s = Settings;
    EXPECT_EQ(s.mainWndX, 180);
    EXPECT_EQ(s.mainWndY, 100);
    EXPECT_EQ(s.mainWndW, 640);
    EXPECT_EQ(s.mainWndH, 480);
    EXPECT_FLOAT_EQ(s.fogStart, 2.5f);
    EXPECT_FLOAT_EQ(s.fogEnd, 5.0f);
    EXPECT_FLOAT_EQ(s.fov, 1.0471976f);
    EXPECT_EQ(s.modelPath, "");
    EXPECT_EQ(s.fixedCamera, 1);
    EXPECT_EQ(s.shadowmaps, 0);
    EXPECT_EQ(s.sfxVolume, 100);
    EXPECT_EQ(s.musicVolume, 50);
    EXPECT_EQ(s.speechVolume, 75);
    EXPECT_EQ(std::vector<int16_t>(s.walkFogColor, s.walkFogColor + 3), (std::vector<int16_t>{88, 88, 80}));
    EXPECT_EQ(std::vector<int16_t>(s.planFogColor, s.planFogColor + 3), (std::vector<int16_t>{48, 80, 120}));
    EXPECT_EQ(std::vector<int16_t>(s.playFogColor, s.playFogColor + 3), (std::vector<int16_t>{0, 16, 32}));
    EXPECT_EQ(s.toolTipDelay, 500);
    EXPECT_EQ(s.cameraIntersection, 1u);
    EXPECT_EQ(s.dynamicCharacters, 1u);
    EXPECT_EQ(s.dynamicLights, 1u);
    EXPECT_EQ(s.invertMouse, 0);
    EXPECT_EQ(s.heroIsListener, 1);
    EXPECT_EQ(s.playIntro, 1);
    EXPECT_EQ(s.mipMap, 0);
    EXPECT_EQ(s.highResTextures, 1);
    EXPECT_EQ(std::vector<int16_t>(CurrentFogColor, CurrentFogColor + 3), (std::vector<int16_t>{88, 88, 80}));
    EXPECT_EQ(ShadowDisplayFlag, 0);
    EXPECT_EQ(NoShadowsFlag, 1);
    EXPECT_EQ(Language, 1);
    EXPECT_EQ(GameVersionText, "V2.0d - Demo");
    EXPECT_FALSE(fs::exists(dir / "varek")) << "reading creates nothing";
}

TEST_F(SettingsTest, StoredValuesAndTheirConversions)
{
    struct Flag
    {
        uint32_t stored;
        uint8_t expected;
    } flags[] = {{4294967295u, 0}, {2, 1}, {0, 0}, {1, 1}, {0x7FFFFFFF, 1}, {0x80000000u, 0}};
    for (const Flag& f : flags) {
        for (const char* name : {"FixedCamera", "Shadowmaps", "InvertMouse", "MipMap", "HighResTextures"})
            ASSERT_TRUE(RegWriteDword(HKEY_CURRENT_USER, SettingsKey, name, f.stored));
        ReadSettings();
        EXPECT_EQ(Settings.fixedCamera, f.expected) << f.stored;
        EXPECT_EQ(Settings.shadowmaps, f.expected) << f.stored;
        EXPECT_EQ(Settings.invertMouse, f.expected) << f.stored;
        EXPECT_EQ(Settings.mipMap, f.expected) << f.stored;
        EXPECT_EQ(Settings.highResTextures, f.expected) << f.stored;
    }

    // "Used as read": any non-zero value stays as stored.
    RegWriteDword(HKEY_CURRENT_USER, SettingsKey, "DynamicLights", 4294967295u);
    // Colours are kept in 16 bits.
    RegWriteDword(HKEY_CURRENT_USER, SettingsKey, "PlayFogColorRed", 0x10005);
    RegWriteString(HKEY_CURRENT_USER, SettingsKey, "FogStart", "1.25");
    RegWriteString(HKEY_CURRENT_USER, SettingsKey, "FogEnd", "far");
    RegWriteString(HKEY_CURRENT_USER, SettingsKey, "FOV", "");
    // A value of the wrong type reads as its default.
    RegWriteString(HKEY_CURRENT_USER, SettingsKey, "ToolTipDelay", "250");
    ReadSettings();
    EXPECT_EQ(Settings.dynamicLights, 4294967295u);
    EXPECT_EQ(Settings.playFogColor[0], 5);
    EXPECT_FLOAT_EQ(Settings.fogStart, 1.25f);
    EXPECT_FLOAT_EQ(Settings.fogEnd, 0.0f) << "a text that is not a number gives 0";
    EXPECT_FLOAT_EQ(Settings.fov, 1.0471976f) << "empty gives the default";
    EXPECT_EQ(Settings.toolTipDelay, 500);
}

// Stored window sizes and positions that no window can have fall back to the defaults, with one
// log line for all of them, and what is written back afterwards holds the defaults.
TEST_F(SettingsTest, WindowPlacementOutOfRangeFallsBackToTheDefaults)
{
    struct Case
    {
        uint32_t x, y, w, h;
        int32_t expected[4];
        bool logged;
    } cases[] = {
        {10, 20, 800, 600, {10, 20, 800, 600}, false},
        {uint32_t(-300), 0, 64, 16384, {-300, 0, 64, 16384}, false},
        {180, 100, 0x7FFFFFFF, uint32_t(-5), {180, 100, 640, 480}, true},
        {180, 100, 1024, 0, {180, 100, 1024, 480}, true},
        {0x80000000u, 0x7FFFFFFF, 63, 16385, {180, 100, 640, 480}, true},
    };
    const fs::path log = dir / "log.txt";
    uint8_t logging = 1;
    LogPrintfSetTarget(&logging, log.c_str());
    for (const Case& c : cases) {
        fs::remove(log);
        RegWriteDword(HKEY_CURRENT_USER, SettingsKey, "MainWnd-X", c.x);
        RegWriteDword(HKEY_CURRENT_USER, SettingsKey, "MainWnd-Y", c.y);
        RegWriteDword(HKEY_CURRENT_USER, SettingsKey, "MainWnd-W", c.w);
        RegWriteDword(HKEY_CURRENT_USER, SettingsKey, "MainWnd-H", c.h);
        ReadWindowPlacementSettings();
        const int32_t got[4] = {Settings.mainWndX, Settings.mainWndY, Settings.mainWndW, Settings.mainWndH};
        EXPECT_EQ(std::vector<int32_t>(got, got + 4), std::vector<int32_t>(c.expected, c.expected + 4))
            << c.w << "x" << c.h;
        std::ifstream in(log);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), c.logged ? 1 : 0) << text;
        if (c.logged) {
            EXPECT_NE(text.find("out of range"), std::string::npos) << text;
        }
        WriteSettings();
        EXPECT_EQ(int32_t(RegReadDword(HKEY_CURRENT_USER, SettingsKey, "MainWnd-W", 0)), c.expected[2]);
        EXPECT_EQ(int32_t(RegReadDword(HKEY_CURRENT_USER, SettingsKey, "MainWnd-H", 0)), c.expected[3]);
    }
    LogPrintfSetTarget(nullptr, "");
}

TEST_F(SettingsTest, StringsRoundTripWithoutTerminator)
{
    const char* text = "C:\\Models\\H\xE4user";
    ASSERT_TRUE(RegWriteString(HKEY_CURRENT_USER, SettingsKey, "ModelPath", text));
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, SettingsKey, "ModelPath", "x"), text);
    platform::RegValue raw;
    ASSERT_TRUE(platform::RegQueryValue(HKEY_CURRENT_USER, SettingsKey, "ModelPath", raw));
    EXPECT_EQ(raw.type, platform::REG_SZ);
    EXPECT_EQ(raw.data.size(), strlen(text));

    ASSERT_TRUE(RegWriteString(HKEY_CURRENT_USER, SettingsKey, "TexturePath", nullptr));
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, SettingsKey, "TexturePath", "x"), "");
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, SettingsKey, "Missing", "dflt"), "dflt");
    EXPECT_EQ(RegReadDword(HKEY_CURRENT_USER, SettingsKey, "Missing", 77), 77u);
    EXPECT_EQ(RegReadDword(HKEY_CURRENT_USER, "Software\\Nothing", "X", 5), 5u);
    ASSERT_TRUE(RegWriteDword(HKEY_CURRENT_USER, SettingsKey, "D", 0xDEADBEEF));
    EXPECT_EQ(RegReadDword(HKEY_CURRENT_USER, SettingsKey, "D", 0), 0xDEADBEEFu);
}

TEST_F(SettingsTest, SettingsWrittenAtExitReadBackTheSame)
{
    Settings.mainWndX = -20;
    Settings.mainWndW = 1024;
    Settings.worldPath = "worlds";
    Settings.fogStart = 3.75f;
    Settings.walkFogColor[1] = -1;
    Settings.invertMouse = 1;
    Settings.heroIsListener = 0;
    GameSettings written = Settings;
    WriteSettings();
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, SettingsKey, "FogStart", ""), "3.750000");
    EXPECT_EQ(RegReadDword(HKEY_CURRENT_USER, SettingsKey, "WalkFogColorGreen", 0), 0xFFFFFFFFu)
        << "sign-extended";
    Settings = GameSettings();
    ReadWindowPlacementSettings();
    ReadSettings();
    EXPECT_EQ(Settings.mainWndX, -20);
    EXPECT_EQ(Settings.mainWndW, 1024);
    EXPECT_EQ(Settings.worldPath, "worlds");
    EXPECT_FLOAT_EQ(Settings.fogStart, 3.75f);
    EXPECT_EQ(Settings.walkFogColor[1], -1);
    EXPECT_EQ(Settings.invertMouse, 1);
    EXPECT_EQ(Settings.heroIsListener, 0);
    EXPECT_EQ(Settings.playIntro, written.playIntro);
}

TEST_F(SettingsTest, CommandLineSwitches)
{
    Parse({"/window"});
    EXPECT_EQ(WindowedFlag, 1);
    WindowedFlag = 0;
    Parse({"-WINDOW"});
    EXPECT_EQ(WindowedFlag, 1);
    Parse({"-FullScreen"});
    EXPECT_EQ(WindowedFlag, 0);

    Parse({"my.wld", "/LOGGING"});
    EXPECT_STREQ(WorldFileName, "") << "a file name that is not last is not taken";
    EXPECT_EQ(LoggingSwitch, 1);
    Parse({"/logging", "my.wld"});
    EXPECT_STREQ(WorldFileName, "my.wld");

    Parse({"/TNL", "-primaryonly", "/shrinktextures", "/nosound", "/unknown", "/", "-"});
    EXPECT_EQ(NoTnLFlag, 0);
    EXPECT_EQ(PrimaryOnlyFlag, 1);
    EXPECT_EQ(ShrinkTexturesFlag, 1);
    EXPECT_EQ(NoSoundFlag, 1);
    Parse({"/NOTNL"});
    EXPECT_EQ(NoTnLFlag, 1);

    std::string longName(400, 'w');
    Parse({longName.c_str()});
    EXPECT_EQ(strlen(WorldFileName), 259u);
}

TEST_F(SettingsTest, SwitchesOverrideStoredSettings)
{
    RegWriteDword(HKEY_CURRENT_USER, SettingsKey, "Shadowmaps", 1);
    RegWriteDword(HKEY_CURRENT_USER, SettingsKey, "HeroIsListener", 1);
    ReadSettings();
    EXPECT_EQ(ShadowDisplayFlag, 1);
    EXPECT_EQ(NoShadowsFlag, 0);

    Parse({"/NOSHADOWS", "/CAMERAISLISTENER"});
    ReadSettings();
    EXPECT_EQ(ShadowDisplayFlag, 0);
    EXPECT_EQ(NoShadowsFlag, 1);
    EXPECT_EQ(Settings.heroIsListener, 0);
    EXPECT_EQ(Settings.shadowmaps, 1) << "the stored choice is kept for the next run";

    WriteSettings();
    EXPECT_EQ(RegReadDword(HKEY_CURRENT_USER, SettingsKey, "Shadowmaps", 7), 1u);
    EXPECT_EQ(RegReadDword(HKEY_CURRENT_USER, SettingsKey, "HeroIsListener", 7), 1u)
        << "a switch for one run is not stored";

    RegWriteDword(HKEY_CURRENT_USER, SettingsKey, "HeroIsListener", 0);
    Parse({"/HEROISLISTENER"});
    ReadSettings();
    EXPECT_EQ(Settings.heroIsListener, 1);
}

TEST_F(SettingsTest, GamePathsAndDemoIni)
{
    InitGamePaths();
    EXPECT_EQ(fs::path(ProgramFolder), fs::current_path());
    EXPECT_STREQ(CdPath, "");
    EXPECT_STREQ(InstallSourcePath, "");
    EXPECT_EQ(DemoIniFile, "\\VarekDemo.ini");
    EXPECT_EQ(AudioTrack, 3);
    EXPECT_EQ(TempGameFile, std::string(ProgramFolder) + "\\data\\~TempGame.tmp");

    fs::create_directories(dir / "install");
    std::ofstream(dir / "install" / "varekdemo.ini") << "[DemoSettings]\r\nAudioTrack=6\r\n";
    ASSERT_TRUE(
        platform::RegSetValue(HKEY_LOCAL_MACHINE, MachineKey, "InstallSourcePath",
                              platform::RegValue{platform::REG_SZ, {'i', 'n', 's', 't', 'a', 'l', 'l'}}));
    std::string cd(600, 'c');
    ASSERT_TRUE(platform::RegSetValue(HKEY_LOCAL_MACHINE, MachineKey, "CdPath",
                                      platform::RegValue{platform::REG_SZ, {cd.begin(), cd.end()}}));
    InitGamePaths();
    EXPECT_STREQ(InstallSourcePath, "install");
    EXPECT_EQ(DemoIniFile, "install\\VarekDemo.ini");
    EXPECT_EQ(AudioTrack, 6);
    EXPECT_STREQ(CdPath, "") << "a value too long for its buffer is not read";

    char buf[8];
    uint32_t size = sizeof buf;
    EXPECT_FALSE(RegReadMachineValue(MachineKey, "Missing", buf, &size));
    size = 8;
    EXPECT_TRUE(RegReadMachineValue(MachineKey, "InstallSourcePath", buf, &size));
    EXPECT_STREQ(buf, "install");
    EXPECT_EQ(size, 8u);
}

TEST_F(SettingsTest, MessageBoxesAnswerWithoutAPerson)
{
    setenv("VAREK_NONINTERACTIVE", "1", 1);
    EXPECT_FALSE(MessageBoxConfirm("Proceed?"));
    EXPECT_FALSE(MessageBoxYesNo("Really?"));
    EXPECT_EQ(MessageBoxYesNoCancel("Save?"), platform::IDNO);
    EXPECT_EQ(MessageBoxInfo("Info"), platform::IDOK);
    EXPECT_EQ(MessageBoxWarning("Warning"), platform::IDOK);
    EXPECT_EQ(MessageBoxError("Error"), platform::IDOK);
    platform::QueueMessageBoxAnswer(platform::IDOK);
    platform::QueueMessageBoxAnswer(platform::IDYES);
    EXPECT_TRUE(MessageBoxConfirm("Proceed?"));
    EXPECT_TRUE(MessageBoxYesNo("Really?"));
}

} // namespace
