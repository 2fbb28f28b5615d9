#include "GAMES/Rulo2/app/Settings.h"

#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/app/SaveGame.h"
#include "GAMES/Rulo2/app/ShowKeys.h"
#include "GAMES/Rulo2/interface/CTextTree.h"
#include "LIBS/System/LogPrintf.h"
#include "platform/crt/Crt.h"
#include "platform/files/Files.h"
#include "platform/files/WinPath.h"
#include "platform/win/IniFile.h"
#include "platform/win/MessageBox.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

const char* const SettingsKey = "Software\\TuvSoftware\\TheVarek! Demo\\Settings";
const char* const MachineKey = "Software\\TuvSoftware\\TheVarek! Demo";
const char* const VersionText = "V2.0d - Demo";

GameSettings Settings;

int16_t CurrentFogColor[3] = {88, 88, 80};
uint8_t SceneFogSet = 0;
float SceneFogStart = 0.0f, SceneFogEnd = 0.0f;

float FogStartInUse()
{
    return SceneFogSet ? SceneFogStart : Settings.fogStart;
}

float FogEndInUse()
{
    return SceneFogSet ? SceneFogEnd : Settings.fogEnd;
}
uint8_t ShadowDisplayFlag = 1;
uint8_t NoShadowsFlag = 0;
int32_t Language = 1;
std::string GameVersionText;
uint8_t CullingFlag = 0;
uint8_t LightingFlag = 1;
uint8_t TexturesFlag = 1;
uint8_t LightFlaresFlag = 0;
uint8_t UseVertexBuffersFlag = 1;
uint8_t FarViewFlag = 0;
uint8_t HeroPointableFlag = 0;
uint8_t AnimationStopFlag = 0;
uint8_t StatisticsFlag = 0;
uint8_t SunLightFlag = 1;

uint8_t WindowedFlag = 0;
uint8_t PrimaryOnlyFlag = 0;
uint8_t NoTnLFlag = 1;
uint8_t ShrinkTexturesFlag = 0;
uint8_t NoSoundFlag = 0;
uint8_t NoShadowsSwitch = 0;
uint8_t ListenerSwitch = ListenerFromSettings;
char WorldFileName[WorldFileNameSize] = "";

char ProgramFolder[ProgramFolderSize] = "";
char CdPath[512] = "";
char InstallSourcePath[260] = "";
std::string DemoIniFile;
int32_t AudioTrack = 3;
std::string TempGameFile;

// ---------------------------------------------------------------------------
// Command line

void CGameCommandLineInfo::ParseParam(const char* param, bool flag, bool last)
{
    if (!param)
        return;
    if (!flag) {
        if (last) {
            std::strncpy(WorldFileName, param, WorldFileNameSize - 1);
            WorldFileName[WorldFileNameSize - 1] = '\0';
        }
        return;
    }
    auto is = [param](const char* word) { return platform::EqualsNoCase(param, word); };
    if (is("FULLSCREEN"))
        WindowedFlag = 0;
    else if (is("WINDOW"))
        WindowedFlag = 1;
    else if (is("PRIMARYONLY"))
        PrimaryOnlyFlag = 1;
    else if (is("NOTNL"))
        NoTnLFlag = 1;
    else if (is("TNL"))
        NoTnLFlag = 0;
    else if (is("NOSHADOWS"))
        NoShadowsSwitch = 1;
    else if (is("SHRINKTEXTURES"))
        ShrinkTexturesFlag = 1;
    else if (is("LOGGING"))
        LoggingSwitch = 1;
    else if (is("NOSOUND"))
        NoSoundFlag = 1;
    else if (is("HEROISLISTENER"))
        ListenerSwitch = ListenerHero;
    else if (is("CAMERAISLISTENER"))
        ListenerSwitch = ListenerCamera;
}

void ParseCommandLine(CGameCommandLineInfo& info, int argc, const char* const* argv)
{
    for (int i = 1; i < argc; ++i) {
        const char* p = argv[i];
        if (!p)
            continue;
        bool flag = p[0] == '/' || p[0] == '-';
        info.ParseParam(flag ? p + 1 : p, flag, i == argc - 1);
    }
}

// ---------------------------------------------------------------------------
// Registry helpers

uint32_t RegReadDword(HKEY root, const char* subKey, const char* name, uint32_t defaultValue)
{
    platform::RegValue v;
    if (!subKey || !name || !platform::RegQueryValue(root, subKey, name, v) || v.data.size() != 4)
        return defaultValue;
    return uint32_t(v.data[0]) | uint32_t(v.data[1]) << 8 | uint32_t(v.data[2]) << 16 |
           uint32_t(v.data[3]) << 24;
}

std::string RegReadString(HKEY root, const char* subKey, const char* name, const char* defaultText)
{
    std::string text = defaultText ? defaultText : "";
    platform::RegValue v;
    if (!subKey || !name || !platform::RegQueryValue(root, subKey, name, v) || v.data.size() > 2000)
        return text;
    text.assign(v.data.begin(), v.data.end());
    // A value stored with its terminator reads as the same text.
    size_t zero = text.find('\0');
    if (zero != std::string::npos)
        text.resize(zero);
    return text;
}

bool RegWriteString(HKEY root, const char* subKey, const char* name, const char* text)
{
    if (!subKey || !name)
        return false;
    platform::RegValue v;
    v.type = platform::REG_SZ;
    if (text)
        v.data.assign(text, text + std::strlen(text));
    return platform::RegSetValue(root, subKey, name, v);
}

bool RegWriteDword(HKEY root, const char* subKey, const char* name, uint32_t value)
{
    if (!subKey || !name)
        return false;
    platform::RegValue v;
    v.type = platform::REG_DWORD;
    v.data = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
    return platform::RegSetValue(root, subKey, name, v);
}

bool RegReadMachineValue(const char* subKey, const char* name, char* buffer, uint32_t* size)
{
    if (!subKey || !name || !buffer || !size || *size == 0)
        return false;
    platform::RegValue v;
    if (!platform::RegQueryValue(HKEY_LOCAL_MACHINE, subKey, name, v))
        return false;
    bool text = v.type == platform::REG_SZ;
    // Texts need room for their terminator so that the buffer can be used as a path.
    if (v.data.size() + (text ? 1 : 0) > *size)
        return false;
    if (!v.data.empty())
        std::memcpy(buffer, v.data.data(), v.data.size());
    uint32_t count = uint32_t(v.data.size());
    if (text)
        buffer[count++] = '\0';
    *size = count;
    return true;
}

// ---------------------------------------------------------------------------
// Settings

namespace {

// The listener choice as stored, written back when a switch chose the listener for
// this run only.
uint8_t storedHeroIsListener = 1;

int32_t ReadInt(const char* name, int32_t def)
{
    return int32_t(RegReadDword(HKEY_CURRENT_USER, SettingsKey, name, uint32_t(def)));
}

// Stored DWORDs count as on when, taken as signed, they are greater than 0.
uint8_t ReadFlag(const char* name, int32_t def)
{
    return ReadInt(name, def) > 0 ? 1 : 0;
}

float ReadFloat(const char* name, float def)
{
    std::string text = RegReadString(HKEY_CURRENT_USER, SettingsKey, name, "");
    if (text.empty())
        return def;
    return float(std::atof(text.c_str()));
}

void ReadColor(const char* names[3], int16_t color[3], const int16_t defaults[3])
{
    for (int i = 0; i < 3; ++i)
        color[i] = int16_t(ReadInt(names[i], defaults[i]));
}

const char* walkNames[3] = {"WalkFogColorRed", "WalkFogColorGreen", "WalkFogColorBlue"};
const char* planNames[3] = {"PlanFogColorRed", "PlanFogColorGreen", "PlanFogColorBlue"};
const char* playNames[3] = {"PlayFogColorRed", "PlayFogColorGreen", "PlayFogColorBlue"};

void WriteInt(const char* name, int32_t value)
{
    RegWriteDword(HKEY_CURRENT_USER, SettingsKey, name, uint32_t(value));
}

void WriteFloat(const char* name, float value)
{
    char text[64];
    crt::snprintf(text, sizeof text, "%f", double(value));
    RegWriteString(HKEY_CURRENT_USER, SettingsKey, name, text);
}

void AppendLog(const char* line)
{
    LogPrintf("%s", line);
}

int ShowBox(const char* text, uint32_t type)
{
    platform::SetMessageBoxLog(&AppendLog);
    platform::Application* app = platform::GetApp();
    platform::HWND owner = app ? app->m_pMainWnd : nullptr;
    return platform::MessageBox(owner, text ? text : "", GetDisplayText("RULO2"), type);
}

} // namespace

void ReadWindowPlacementSettings()
{
    const GameSettings defaults;
    struct Entry
    {
        const char* name;
        int32_t GameSettings::*field;
        int32_t low, high;
    };
    // A size or position no window can have (a damaged or hand-edited file) would end every
    // start or give a picture of one line; the default replaces it, so the next write-back
    // mends the file.
    const Entry entries[] = {
        {"MainWnd-X", &GameSettings::mainWndX, -MaxWindowPosition, MaxWindowPosition},
        {"MainWnd-Y", &GameSettings::mainWndY, -MaxWindowPosition, MaxWindowPosition},
        {"MainWnd-W", &GameSettings::mainWndW, MinWindowSize, MaxWindowSize},
        {"MainWnd-H", &GameSettings::mainWndH, MinWindowSize, MaxWindowSize},
    };
    std::string rejected;
    for (const Entry& e : entries) {
        const int32_t v = ReadInt(e.name, defaults.*e.field);
        if (v >= e.low && v <= e.high) {
            Settings.*e.field = v;
            continue;
        }
        Settings.*e.field = defaults.*e.field;
        char part[64];
        crt::snprintf(part, sizeof part, "%s%s %d", rejected.empty() ? "" : ", ", e.name, v);
        rejected += part;
    }
    if (!rejected.empty())
        LogPrintf("Stored window placement out of range (%s); using the defaults", rejected.c_str());
}

void ReadSettings()
{
    const GameSettings d;
    GameSettings& s = Settings;
    s.modelPath = RegReadString(HKEY_CURRENT_USER, SettingsKey, "ModelPath", "");
    s.texturePath = RegReadString(HKEY_CURRENT_USER, SettingsKey, "TexturePath", "");
    s.worldPath = RegReadString(HKEY_CURRENT_USER, SettingsKey, "WorldPath", "");
    s.fixedCamera = ReadFlag("FixedCamera", d.fixedCamera);
    s.shadowmaps = ReadFlag("Shadowmaps", d.shadowmaps);
    s.fogStart = ReadFloat("FogStart", d.fogStart);
    s.fogEnd = ReadFloat("FogEnd", d.fogEnd);
    s.fov = ReadFloat("FOV", d.fov);
    s.sfxVolume = ReadInt("SFXVolume", d.sfxVolume);
    s.musicVolume = ReadInt("MusicVolume", d.musicVolume);
    s.speechVolume = ReadInt("SpeechVolume", d.speechVolume);
    ReadColor(walkNames, s.walkFogColor, d.walkFogColor);
    ReadColor(planNames, s.planFogColor, d.planFogColor);
    ReadColor(playNames, s.playFogColor, d.playFogColor);
    s.toolTipDelay = ReadInt("ToolTipDelay", d.toolTipDelay);
    s.cameraIntersection = uint32_t(ReadInt("CameraIntersection", int32_t(d.cameraIntersection)));
    s.dynamicCharacters = uint32_t(ReadInt("DynamicCharacters", int32_t(d.dynamicCharacters)));
    s.dynamicLights = uint32_t(ReadInt("DynamicLights", int32_t(d.dynamicLights)));
    s.invertMouse = ReadFlag("InvertMouse", d.invertMouse);
    s.heroIsListener = ReadFlag("HeroIsListener", d.heroIsListener);
    storedHeroIsListener = s.heroIsListener;
    s.playIntro = ReadFlag("PlayIntro", d.playIntro);
    s.mipMap = ReadFlag("MipMap", d.mipMap);
    s.highResTextures = ReadFlag("HighResTextures", d.highResTextures);

    for (int i = 0; i < 3; ++i)
        CurrentFogColor[i] = s.walkFogColor[i];
    GameVersionText = VersionText;
    ShadowDisplayFlag = s.shadowmaps;
    NoShadowsFlag = s.shadowmaps ? 0 : 1;
    Language = 1;
    ShowKeysFlag = 0;

    // Switches that override the stored values for this run only: what is written
    // back at exit is the stored choice.
    if (NoShadowsSwitch) {
        ShadowDisplayFlag = 0;
        NoShadowsFlag = 1;
    }
    if (ListenerSwitch == ListenerHero)
        s.heroIsListener = 1;
    else if (ListenerSwitch == ListenerCamera)
        s.heroIsListener = 0;
}

void InitGamePaths()
{
    std::string cwd = platform::GetCurrentDirectory();
    std::strncpy(ProgramFolder, cwd.c_str(), ProgramFolderSize - 1);
    ProgramFolder[ProgramFolderSize - 1] = '\0';

    uint32_t size = sizeof CdPath;
    if (!RegReadMachineValue(MachineKey, "CdPath", CdPath, &size))
        CdPath[0] = '\0';
    size = sizeof InstallSourcePath;
    if (!RegReadMachineValue(MachineKey, "InstallSourcePath", InstallSourcePath, &size))
        InstallSourcePath[0] = '\0';

    DemoIniFile = std::string(InstallSourcePath) + "\\" + "VarekDemo.ini";
    AudioTrack = platform::GetPrivateProfileInt("DemoSettings", "AudioTrack", 3, DemoIniFile);

    char temp[ProgramFolderSize + 32];
    std::snprintf(temp, sizeof temp, "%s\\data\\~TempGame.tmp", ProgramFolder);
    TempGameFile = temp;
    CreateSaveFolders(ProgramFolder);
}

void WriteSettings()
{
    const GameSettings& s = Settings;
    WriteInt("MainWnd-X", s.mainWndX);
    WriteInt("MainWnd-Y", s.mainWndY);
    WriteInt("MainWnd-W", s.mainWndW);
    WriteInt("MainWnd-H", s.mainWndH);
    RegWriteString(HKEY_CURRENT_USER, SettingsKey, "ModelPath", s.modelPath.c_str());
    RegWriteString(HKEY_CURRENT_USER, SettingsKey, "TexturePath", s.texturePath.c_str());
    RegWriteString(HKEY_CURRENT_USER, SettingsKey, "WorldPath", s.worldPath.c_str());
    WriteInt("FixedCamera", s.fixedCamera ? 1 : 0);
    WriteInt("Shadowmaps", s.shadowmaps ? 1 : 0);
    WriteInt("MipMap", s.mipMap ? 1 : 0);
    WriteInt("HighResTextures", s.highResTextures ? 1 : 0);
    WriteFloat("FogStart", s.fogStart);
    WriteFloat("FogEnd", s.fogEnd);
    WriteFloat("FOV", s.fov);
    WriteInt("SFXVolume", s.sfxVolume);
    WriteInt("MusicVolume", s.musicVolume);
    WriteInt("SpeechVolume", s.speechVolume);
    for (int i = 0; i < 3; ++i)
        WriteInt(walkNames[i], s.walkFogColor[i]);
    for (int i = 0; i < 3; ++i)
        WriteInt(planNames[i], s.planFogColor[i]);
    for (int i = 0; i < 3; ++i)
        WriteInt(playNames[i], s.playFogColor[i]);
    WriteInt("ToolTipDelay", s.toolTipDelay);
    WriteInt("CameraIntersection", int32_t(s.cameraIntersection));
    WriteInt("DynamicCharacters", int32_t(s.dynamicCharacters));
    WriteInt("DynamicLights", int32_t(s.dynamicLights));
    WriteInt("InvertMouse", s.invertMouse ? 1 : 0);
    uint8_t listener = ListenerSwitch == ListenerFromSettings ? s.heroIsListener : storedHeroIsListener;
    WriteInt("HeroIsListener", listener ? 1 : 0);
}

// ---------------------------------------------------------------------------
// Message boxes

bool MessageBoxConfirm(const char* text)
{
    return ShowBox(text, platform::MB_OKCANCEL | platform::MB_ICONQUESTION) == platform::IDOK;
}

bool MessageBoxYesNo(const char* text)
{
    return ShowBox(text, platform::MB_YESNO | platform::MB_ICONQUESTION) == platform::IDYES;
}

int MessageBoxYesNoCancel(const char* text)
{
    return ShowBox(text, platform::MB_YESNOCANCEL | platform::MB_ICONQUESTION);
}

int MessageBoxInfo(const char* text)
{
    return ShowBox(text, platform::MB_OK | platform::MB_ICONINFORMATION);
}

int MessageBoxWarning(const char* text)
{
    return ShowBox(text, platform::MB_OK | platform::MB_ICONEXCLAMATION);
}

int MessageBoxError(const char* text)
{
    return ShowBox(text, platform::MB_OK | platform::MB_ICONHAND);
}
