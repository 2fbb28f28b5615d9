// The options screen: the main page's results, the video page's texts and what OK applies, the
// resolution list (also empty) and Cancel on the audio page.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/Enumerate.h"
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/app/SaveGame.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/app/ShowKeys.h"
#include "GAMES/Rulo2/interface/CMenuContainer.h"
#include "GAMES/Rulo2/interface/CMenuText.h"
#include "GAMES/Rulo2/interface/CMessageMenu.h"
#include "GAMES/Rulo2/interface/COptionsMenu.h"
#include "GAMES/Rulo2/render/ViewRects.h"

namespace {

// The mouse is put over an element by index (the buttons' models are not loaded here).
class PointedOptions : public COptionsMenu
{
public:
    void UpdateHover(const MenuPoint*) override { clicked = hovered = pointAt; }
    int32_t pointAt = -1;
};

class Options : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Input = InputState();
        GameClock = GameClockState();
        DX.screenWidth = 800;
        DX.screenHeight = 600;
        saved = Settings;
        savedFirstStart = OptionsFirstStart;
        ShowKeysFlag = 1;
        DX.displayDriver = &driver;
    }
    void TearDown() override
    {
        Settings = saved;
        OptionsFirstStart = savedFirstStart;
        ShowKeysFlag = 0;
        DX.displayDriver = nullptr;
        DX.screenWidth = 640;
        DX.screenHeight = 480;
        MessageMenuOpen = 0;
        ClearScreenRect();
        for (DisplayModeInfo* m : driver.modes)
            delete m;
        driver.modes.count = 0;
    }
    void AddMode(uint16_t w, uint16_t h, uint16_t bits)
    {
        auto* mode = new DisplayModeInfo();
        mode->width = w;
        mode->height = h;
        mode->bitsPerPixel = bits;
        driver.modes.add(mode);
    }
    int32_t Click(int32_t element)
    {
        menu.pointAt = element;
        menu.Render(now += 40);
        Input.leftButton = 1;
        menu.Render(now += 40);
        Input.leftButton = 0;
        return menu.Render(now += 40);
    }
    // Renders until the page's fades have played.
    void Settle()
    {
        menu.pointAt = -1;
        for (int32_t i = 0; i < 20; ++i)
            menu.Render(now += 40);
    }
    const std::string& Text(int32_t index) { return static_cast<CMenuText*>(menu.Element(index))->text; }
    CMenuContainer& Slider(int32_t index) { return *static_cast<CMenuContainer*>(menu.Element(index)); }
    GameSettings saved;
    uint8_t savedFirstStart = 0;
    DDDriverInfo driver;
    PointedOptions menu;
    int32_t now = 1000;
};

} // namespace

TEST_F(Options, MainPageEntriesGiveTheirResults)
{
    OptionsFirstStart = 0;
    struct Case
    {
        int32_t entry;
        int32_t result;
    };
    const Case cases[] = {
        {COptionsMenu::ENTRY_RESUME, 1},
        {COptionsMenu::ENTRY_QUIT, -3},
        {COptionsMenu::ENTRY_NEWGAME, -2},
        {COptionsMenu::ENTRY_TUTORIAL, -2},
        // Inactive in this build: nothing happens.
        {COptionsMenu::ENTRY_SAVEGAME, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        menu.RemoveAllElements();
        menu.Build(now);
        Settle();
        EXPECT_EQ(Click(menu.entries[c.entry]), c.result);
    }
    EXPECT_EQ(MessagePurpose, 10);
    EXPECT_TRUE(MessageMenuOpen);
}

TEST_F(Options, ResumeWaitsForAGameAndEscapeResumesOne)
{
    OptionsFirstStart = 1;
    menu.Build(now);
    Settle();
    EXPECT_EQ(Click(menu.entries[COptionsMenu::ENTRY_RESUME]), -1);
    Input.menuKey = 8;
    EXPECT_EQ(menu.Render(now += 40), -1);
    OptionsFirstStart = 0;
    EXPECT_EQ(menu.Render(now += 40), 1);
    EXPECT_EQ(Input.menuKey, 0);
    EXPECT_TRUE(ScreenRect.IsEmpty());
}

TEST_F(Options, VideoPageShowsTheTooltipDelayAndOkKeepsItOnOrOff)
{
    struct Case
    {
        int32_t stored;
        float slider;
        const char* text;
        int32_t afterOk;
    };
    const Case cases[] = {
        {10000, 5000.0f, "MENU_OP_TTOFF", 10000},
        {4999, 4999.0f, "5.00s", 4999},
        {500, 500.0f, "0.50s", 500},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        Settings.toolTipDelay = c.stored;
        menu.RemoveAllElements();
        menu.Build(now);
        Settle();
        Click(menu.entries[COptionsMenu::ENTRY_VIDEOOPTIONS]);
        EXPECT_EQ(menu.page, COptionsMenu::PAGE_VIDEO);
        EXPECT_FLOAT_EQ(Slider(menu.tooltipSlider).value, c.slider);
        EXPECT_EQ(Text(menu.tooltipText), c.text);
        Settle();
        Click(menu.okButton);
        EXPECT_EQ(menu.page, COptionsMenu::PAGE_MAIN);
        EXPECT_EQ(Settings.toolTipDelay, c.afterOk);
    }
    EXPECT_EQ(TooltipDelayText(5000.0f), "MENU_OP_TTOFF");
}

TEST_F(Options, ViewDistanceSetsFogEndAndAFogStartOfHalfAtMostThree)
{
    for (const auto& [fogEnd, fogStart] : {std::pair{9.0f, 3.0f}, {5.0f, 2.5f}, {3.5f, 1.75f}})
        EXPECT_FLOAT_EQ(FogStartFor(fogEnd), fogStart) << fogEnd;
    for (const auto& [value, key] : {std::pair{1.0f, "MENU_OP_NEAREST"},
                                     {1.01f, "MENU_OP_NEAR"},
                                     {2.5f, "MENU_OP_NEAR"},
                                     {4.0f, "MENU_OP_FAR"},
                                     {4.5f, "MENU_OP_FARTHEST"}})
        EXPECT_STREQ(ViewDistanceKey(value), key) << value;

    Settings.fogEnd = 9.0f;
    menu.Build(now);
    Settle();
    Click(menu.entries[COptionsMenu::ENTRY_VIDEOOPTIONS]);
    EXPECT_FLOAT_EQ(Slider(menu.distanceSlider).value, 5.5f);
    EXPECT_EQ(Text(menu.distanceNumber), "17");
    Settle();
    Click(menu.okButton);
    EXPECT_FLOAT_EQ(Settings.fogEnd, 9.0f);
    EXPECT_FLOAT_EQ(Settings.fogStart, 3.0f);
}

TEST_F(Options, ResolutionListTakesSixteenBitModesAndOkWithoutOneKeepsTheDisplay)
{
    struct Case
    {
        const char* name;
        std::vector<std::array<uint16_t, 3>> modes;
        float slider;
        const char* text;
    };
    const Case cases[] = {
        {"exact size", {{640, 480, 16}, {800, 600, 32}, {800, 600, 16}}, 1.0f, "800x600"},
        {"nearest product", {{640, 480, 16}, {1024, 768, 16}}, 0.0f, "640x480"},
        {"one entry: a slider of range 0", {{1024, 768, 16}}, 0.0f, "1024x768"},
        {"only 32-bit modes: the list is empty and shows the current size",
         {{800, 600, 32}},
         0.0f,
         "800x600"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (DisplayModeInfo* m : driver.modes)
            delete m;
        driver.modes.count = 0;
        for (const auto& m : c.modes)
            AddMode(m[0], m[1], m[2]);
        Settings.mainWndW = 800;
        Settings.mainWndH = 600;
        menu.RemoveAllElements();
        menu.Build(now);
        Settle();
        Click(menu.entries[COptionsMenu::ENTRY_VIDEOOPTIONS]);
        EXPECT_FLOAT_EQ(Slider(menu.resolutionSlider).value, c.slider);
        EXPECT_EQ(Text(menu.resolutionText), c.text);
        EXPECT_TRUE(std::isfinite(Slider(menu.resolutionSlider).KnobPosition()));
        Settle();
        Click(menu.cancelButton);
        EXPECT_EQ(menu.page, COptionsMenu::PAGE_MAIN);
    }
    // OK on an empty list: the display and its stored size stay.
    for (DisplayModeInfo* m : driver.modes)
        delete m;
    driver.modes.count = 0;
    menu.RemoveAllElements();
    menu.Build(now);
    EXPECT_TRUE(menu.modes.empty());
    Settle();
    Click(menu.entries[COptionsMenu::ENTRY_VIDEOOPTIONS]);
    Settle();
    Click(menu.okButton);
    EXPECT_EQ(Settings.mainWndW, 800);
    EXPECT_EQ(Settings.mainWndH, 600);
    EXPECT_EQ(DX.screenWidth, 800);
}

TEST_F(Options, AudioCancelPutsTheStoredVolumesBackAndOkTakesTheSliders)
{
    Settings.sfxVolume = 40;
    Settings.musicVolume = 30;
    for (const bool ok : {false, true}) {
        SCOPED_TRACE(ok);
        menu.RemoveAllElements();
        menu.Build(now);
        Settle();
        Click(menu.entries[COptionsMenu::ENTRY_AUDIOOPTIONS]);
        EXPECT_EQ(Text(menu.soundText), "40%");
        Slider(menu.soundSlider).value = 90.0f;
        Slider(menu.musicSlider).value = 10.0f;
        menu.Render(now += 40);
        EXPECT_EQ(Text(menu.soundText), "90%");
        Settle();
        Click(ok ? menu.okButton : menu.cancelButton);
        EXPECT_EQ(Settings.sfxVolume, ok ? 90 : 40);
        EXPECT_EQ(Settings.musicVolume, ok ? 10 : 30);
    }
}
