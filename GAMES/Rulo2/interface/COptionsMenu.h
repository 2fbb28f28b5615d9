#pragma once
// The main menu and options screen: ten entries (new game, tutorial, load, save, delete, the three
// option pages, resume, quit) and the video, audio and game pages, which open inside an enlarging
// frame and close with OK or Cancel.
// Render: -1 while open, 1 resume, -2 a confirmation box was opened, -3 quit, -4 a slot list was
// opened.
#include <cstdint>
#include <string>
#include <vector>

#include "GAMES/Rulo2/interface/CMenu.h"

struct DisplayModeInfo;

class COptionsMenu : public CMenu
{
public:
    enum
    {
        PAGE_MAIN = 0,
        PAGE_VIDEO = 1,
        PAGE_AUDIO = 2,
        PAGE_GAME = 3
    };
    enum : uint32_t
    {
        GROUP_MAIN = 1,
        GROUP_VIDEO = 2,
        GROUP_AUDIO = 4,
        GROUP_BUTTONS = 0x10,
        GROUP_FIGURES = 0x20,
        GROUP_GAME = 0x40
    };
    // The main page's entries in the order they are made and shown.
    enum
    {
        ENTRY_NEWGAME,
        ENTRY_TUTORIAL,
        ENTRY_LOADGAME,
        ENTRY_SAVEGAME,
        ENTRY_DELETEGAME,
        ENTRY_GAMEOPTIONS,
        ENTRY_VIDEOOPTIONS,
        ENTRY_AUDIOOPTIONS,
        ENTRY_RESUME,
        ENTRY_QUIT,
        ENTRY_COUNT
    };

    COptionsMenu() = default;

    // The caller has emptied the elements. The mode list comes from the current driver.
    void Build(int32_t now);
    int32_t Render(int32_t now) override;
    void HandleInput() override;
    void UpdateHover(const MenuPoint* point) override;

    // Opens an option page: its controls show the settings.
    void OpenPage(int32_t newPage);
    // Closes the open page, applying its values with OK.
    void ClosePage(bool apply);

    // The display modes of 16 bits per pixel and their texts "%dx%d".
    std::vector<const DisplayModeInfo*> modes;
    std::vector<std::string> modeTexts;

    int32_t frameIndex = -2, firstFigure = -2, lastFigure = -2, okButton = -2, cancelButton = -2;
    uint8_t confirmationOpened = 0, resume = 0, quit = 0, slotScreenOpened = 0;
    int32_t clicked = -1;
    // 0 none; 1/2 opening/closing video, 3/4 audio, 6/7 game; 5 built.
    int32_t transition = 0;
    int32_t page = PAGE_MAIN;
    int32_t entries[ENTRY_COUNT] = {-2, -2, -2, -2, -2, -2, -2, -2, -2, -2};
    int32_t titles[3] = {-2, -2, -2};
    // Video page.
    int32_t resolutionText = -2, resolutionSlider = -2, distanceNumber = -2, distanceWord = -2,
            distanceSlider = -2, tooltipText = -2, tooltipSlider = -2, shadowBox = -2, mipMapBox = -2,
            highResBox = -2;
    // Audio page.
    int32_t soundSlider = -2, soundText = -2, musicSlider = -2, musicText = -2, listenerBox = -2;
    // Game page.
    int32_t invertMouseBox = -2, autoCameraBox = -2;
    std::string tooltipLabel, resolutionLabel, distanceLabel, soundLabel, musicLabel;

private:
    void ApplyPage();
    void RestoreVolumes();
    void UpdateTexts();
    void RunTransition();
    float SliderValue(int32_t index) const;
    void SetSlider(int32_t index, float value);
    bool BoxChecked(int32_t index) const;
    void SetBox(int32_t index, bool checked);
    void SetLabel(int32_t index, std::string& store, const std::string& text);
};

extern COptionsMenu OptionsMenu;

// The tooltip delay the video page shows for a delay in ms: "MENU_OP_TTOFF" at 5000 and above,
// else "%0.2fs" of the seconds.
std::string TooltipDelayText(float delay);
// The view distance word for a slider value.
const char* ViewDistanceKey(float value);
// The fog start for a fog end: half of it, at most 3.
float FogStartFor(float fogEnd);
