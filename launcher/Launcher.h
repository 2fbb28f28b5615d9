#pragma once
// The start menu beside the game: one dialog with a picture and eight buttons.
// It shares no code with the game; the two meet only in registry values.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace launcher {

inline constexpr char kProductKey[] = "Software\\TuvSoftware\\TheVarek! Demo";
inline constexpr char kSettingsKey[] = "Software\\TuvSoftware\\TheVarek! Demo\\Settings";
inline constexpr char kTitle[] = "The Varek! Demo";

enum ButtonId : int
{
    IDCANCEL = 2,
    IDC_INSTALL = 200,
    IDC_RESET = 201,
    IDC_MANUAL = 207,
    IDC_HOMEPAGE = 209,
    IDC_PLAY = 210,
    IDC_DIRECTX = 214,
    IDC_DCOM = 218,
    IDC_EXIT = 2004,
};

// Dialog 111 in dialog units (font "MS Sans Serif" 8 point).
inline constexpr int kDialogWidthDlu = 273;
inline constexpr int kDialogHeightDlu = 244;
inline constexpr int kPictureX = 7, kPictureY = 7, kPictureWidthDlu = 259, kPictureHeightDlu = 119;
inline constexpr int kButtonHeightDlu = 14;
inline constexpr int kPictureResource = 113;
// Dialog units to pixels for that font: 6 by 13 pixels per 4 by 8 units.
inline int DluToPixelsX(int dlu)
{
    return dlu * 6 / 4;
}
inline int DluToPixelsY(int dlu)
{
    return dlu * 13 / 8;
}

struct Button
{
    int id = 0;
    std::string caption;
    int x = 0, y = 0, width = 0; // dialog units; all are kButtonHeightDlu high
    bool enabled = true;
};

// Opens a program or document as the shell's "open" verb would: file, parameter
// text, working folder (empty: none). Results are ignored.
using ShellOpenFn =
    std::function<void(const std::string& file, const std::string& params, const std::string& dir)>;

// Holds the single-instance lock until the process ends. True when another
// launcher holds it already. The lock is not inherited by programs started later.
bool IsAlreadyRunning();
// The lock file: "Varek.lock" in $XDG_RUNTIME_DIR, else in the temporary folder
// with the user id in its name.
std::string LockFilePath();

// A text value under the local machine root; false when the key or value is
// missing, not a string, or longer than 259 characters.
bool ReadRegistryValue(const char* key, const char* name, std::string& value);
// A DWORD under the current user root; never creates the key.
bool WriteRegistryDword(const char* key, const char* name, uint32_t value);
// The five display settings back to their defaults, in this order.
void ResetSettings();

class CLauncherDialog
{
public:
    std::string caption;
    std::vector<Button> buttons;
    bool ended = false;
    int result = 0;

    std::string launcherFolder; // with a trailing '/'
    std::string installFolder;
    std::string gamePath;
    int notInstalled = 1;

    ShellOpenFn shellOpen;
    std::function<int()> localYear; // the local calendar year

    CLauncherDialog();
    // The dialog opens: captions, the two always-disabled buttons, the install state.
    void InitDialog();
    // A button or the cancel command (Escape, close box, close message).
    void Command(int id);
    Button* Find(int id);
    const Button* Find(int id) const;

private:
    void Open(const std::string& file, const std::string& params, const std::string& dir) const;
};

// Installed 1: "Uninstall", play and reset enabled; 0: "Install", both disabled.
void SetInstallButtons(CLauncherDialog& dialog, int installed);
void ReadInstallState(CLauncherDialog& dialog);

// The shell's "open" on Linux: documents and addresses through xdg-open, programs
// started detached (never waited for, no zombie) in the working folder with the
// parameter text as their one argument. A Windows program name "X.exe" finds the
// program "X" when no file of that name exists. Failures are silent.
void ShellOpen(const std::string& file, const std::string& params, const std::string& dir);

// The local pages the home-page button opens, beside the manual.
inline constexpr char kManualPage[] = "Manual\\manual.htm";
inline constexpr char kProductPage[] = "Manual\\product.htm";
inline constexpr char kMakerPage[] = "Manual\\maker.htm";

} // namespace launcher
