#pragma once
// The program's configuration: command-line switches, the settings values under the
// current user's settings key (with their defaults), the installation values under
// the machine key, the demo ini value and the paths derived from them; the registry
// helpers and the Windows message boxes that the whole program uses.

#include "platform/win/Registry.h"

#include <cstdint>
#include <string>

using platform::HKEY;
using platform::HKEY_CURRENT_USER;
using platform::HKEY_LOCAL_MACHINE;

extern const char* const SettingsKey; // "Software\TuvSoftware\TheVarek! Demo\Settings" (current user)
extern const char* const MachineKey;  // "Software\TuvSoftware\TheVarek! Demo" (local machine)
extern const char* const VersionText; // "V2.0d - Demo"

// The settings values, named as in the registry; defaults are the values of a
// missing or unreadable entry.
struct GameSettings
{
    int32_t mainWndX = 180;
    int32_t mainWndY = 100;
    int32_t mainWndW = 640; // also the full-screen display width
    int32_t mainWndH = 480; // also the full-screen display height
    std::string modelPath, texturePath, worldPath;
    uint8_t fixedCamera = 1;
    uint8_t shadowmaps = 0;
    float fogStart = 2.5f;
    float fogEnd = 5.0f; // also the far plane of the editor camera
    float fov = 1.0471976f;
    int32_t sfxVolume = 100;
    int32_t musicVolume = 50;
    int32_t speechVolume = 75;
    int16_t walkFogColor[3] = {88, 88, 80};
    int16_t planFogColor[3] = {48, 80, 120};
    int16_t playFogColor[3] = {0, 16, 32};
    int32_t toolTipDelay = 500;
    uint32_t cameraIntersection = 1; // non-zero = on
    uint32_t dynamicCharacters = 1;  // non-zero = on
    uint32_t dynamicLights = 1;      // non-zero = on
    uint8_t invertMouse = 0;
    uint8_t heroIsListener = 1;
    uint8_t playIntro = 1;
    uint8_t mipMap = 0;
    uint8_t highResTextures = 1;
};
extern GameSettings Settings;

// Derived at start-up and toggled by commands and keys.
extern int16_t CurrentFogColor[3]; // the walk fog colour after reading
// Fog distances a scene has set in place of the player's: the frame draws with them while set, and
// the stored settings keep the player's own. A change on the options screen or in the editor's fog
// dialog clears them.
extern uint8_t SceneFogSet;
extern float SceneFogStart, SceneFogEnd;
float FogStartInUse();
float FogEndInUse();
extern uint8_t ShadowDisplayFlag;   // shadow maps shown (game step, editor shadow commands)
extern uint8_t NoShadowsFlag;       // read by the world loader and the renderer
extern int32_t Language;            // 1 English, 0 German (dialog text file)
extern std::string GameVersionText; // VersionText after start-up
extern uint8_t CullingFlag;         // off at start
extern uint8_t LightingFlag;        // on
extern uint8_t TexturesFlag;        // on
extern uint8_t LightFlaresFlag;
extern uint8_t UseVertexBuffersFlag; // on
extern uint8_t FarViewFlag;
extern uint8_t HeroPointableFlag;
extern uint8_t AnimationStopFlag;
extern uint8_t StatisticsFlag; // off
extern uint8_t SunLightFlag;   // on

// Command-line switches (LOGGING sets LoggingSwitch of AppGlobals.h).
extern uint8_t WindowedFlag;       // 1 window (WINDOW), 0 full screen (FULLSCREEN, default)
extern uint8_t PrimaryOnlyFlag;    // PRIMARYONLY
extern uint8_t NoTnLFlag;          // 1 (NOTNL, default), 0 (TNL)
extern uint8_t ShrinkTexturesFlag; // SHRINKTEXTURES
extern uint8_t NoSoundFlag;        // NOSOUND
extern uint8_t NoShadowsSwitch;    // NOSHADOWS was given
enum ListenerSwitchValue : uint8_t
{
    ListenerFromSettings = 0,
    ListenerHero = 1,
    ListenerCamera = 2
};
extern uint8_t ListenerSwitch; // HEROISLISTENER / CAMERAISLISTENER, the last one given
constexpr int WorldFileNameSize = 260;
extern char WorldFileName[WorldFileNameSize]; // the command line's file; "Varek.wld" in game mode

// The command-line object of start-up.
class CGameCommandLineInfo
{
public:
    virtual ~CGameCommandLineInfo() = default;
    // One parameter: `flag` when it was written with a leading '/' or '-' (which is
    // not part of `param`), `last` for the last parameter of the command line.
    virtual void ParseParam(const char* param, bool flag, bool last);
};
// Hands every parameter (argv[1..]) to info.ParseParam.
void ParseCommandLine(CGameCommandLineInfo& info, int argc, const char* const* argv);

// Paths and installation values.
constexpr int ProgramFolderSize = 512;
extern char ProgramFolder[ProgramFolderSize]; // current folder at start-up
extern char CdPath[512];                      // machine value "CdPath"
extern char InstallSourcePath[260];           // machine value "InstallSourcePath"
extern std::string DemoIniFile;               // InstallSourcePath + "\VarekDemo.ini"
extern int32_t AudioTrack;                    // [DemoSettings] AudioTrack, default 3
extern std::string TempGameFile;              // "%s\data\~TempGame.tmp" with ProgramFolder

// Stored window sizes and positions outside these bounds are replaced by the defaults.
constexpr int32_t MinWindowSize = 64;
constexpr int32_t MaxWindowSize = 16384;
constexpr int32_t MaxWindowPosition = 16384;

// Start-up reading, in the order of start-up.
void ReadWindowPlacementSettings(); // MainWnd-X, -Y, -W, -H
// Every other value in table order, then the derived flags and the switches that
// override settings (NOSHADOWS, HEROISLISTENER, CAMERAISLISTENER).
void ReadSettings();
// Program folder, installation values, demo ini value, temporary game file name.
void InitGamePaths();
// Writes every value back in the order the main window uses when it is destroyed.
void WriteSettings();

// Registry helpers: each opens, reads or writes, flushes and closes.
uint32_t RegReadDword(HKEY root, const char* subKey, const char* name, uint32_t defaultValue);
std::string RegReadString(HKEY root, const char* subKey, const char* name, const char* defaultText);
bool RegWriteString(HKEY root, const char* subKey, const char* name, const char* text);
bool RegWriteDword(HKEY root, const char* subKey, const char* name, uint32_t value);
// `size`: in the buffer size, out the bytes read. A string value is zero-terminated
// when it fits.
bool RegReadMachineValue(const char* subKey, const char* name, char* buffer, uint32_t* size);

// Windows message boxes, owned by the main window, captioned with the text of "RULO2"
// (the raw key while the show-keys flag is set). The text is Windows-1252.
bool MessageBoxConfirm(const char* text);    // OK/Cancel: true on OK
bool MessageBoxYesNo(const char* text);      // true on Yes
int MessageBoxYesNoCancel(const char* text); // IDYES, IDNO or IDCANCEL
int MessageBoxInfo(const char* text);        // IDOK
int MessageBoxWarning(const char* text);     // IDOK
int MessageBoxError(const char* text);       // IDOK
