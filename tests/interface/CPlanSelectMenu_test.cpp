// The plan selection: which items react, what each choice records and what Render returns.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "GAMES/Rulo2/app/SaveGame.h"
#include "GAMES/Rulo2/interface/CSelectMenu.h"

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/behaviour/RecordControl.h"
#include "GAMES/Rulo2/interface/CMenuText.h"
#include "GAMES/Rulo2/interface/CPlanSelectMenu.h"
#include "GAMES/Rulo2/render/ViewRects.h"
#include "GAMES/Rulo2/world/CWorldObject.h"

namespace {

constexpr bool NoPlans = false, SomePlans = true;

// The mouse is put over an item by index; the texts' hit areas exist only once drawn.
class TestPlanSelect : public CPlanSelectMenu
{
public:
    void UpdateHover(const MenuPoint*) override
    {
        const CMenuElement* e = Element(pointAt);
        hoveredIndex = hovered = e && e->shown && !e->active ? pointAt : -1;
    }
    int32_t pointAt = -1;
};

class PlanSelect : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Input = InputState();
        GameClock = GameClockState();
        DX.screenWidth = 640;
        DX.screenHeight = 480;
        PlanLoadListOpen = 0;
        PlanSlotPurpose = 0;
        folder = std::filesystem::temp_directory_path() / ("varek_plansel_" + std::to_string(::getpid()));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        savedFolder = SaveManager.plansFolder;
        SaveManager.plansFolder = folder.string();
    }
    void TearDown() override
    {
        SaveManager.plansFolder = savedFolder;
        std::filesystem::remove_all(folder);
        ShowPlanSlotsCleanup();
        PlanLoadListOpen = 0;
        PlanSlotPurpose = 0;
        SetPlanMode(PHASE_REALTIME);
        PlanActivity = 0;
        PlanMemberArray.clear();
        ClearScreenRect();
    }
    static void ShowPlanSlotsCleanup()
    {
        SelectMenu.RemoveAllElements();
        SelectMenu.ClearEntries();
    }
    // With plans a plan file lies in the plan folder.
    void Open(bool plans)
    {
        if (plans)
            std::ofstream(folder / "plan001.pln") << "plan";
        else
            std::filesystem::remove(folder / "plan001.pln");
        menu.RemoveAllElements();
        menu.Build(now);
        Frame();
        now += 300; // past the panel's fade-in
        Frame();
    }
    int32_t Frame()
    {
        now += 40;
        return menu.Render(now);
    }
    int32_t Click(int32_t element)
    {
        menu.pointAt = element;
        EXPECT_EQ(Frame(), -1);
        Input.leftButton = 1;
        EXPECT_EQ(Frame(), -1);
        Input.leftButton = 0;
        return Frame();
    }

    TestPlanSelect menu;
    int32_t now = 5000;
    std::filesystem::path folder;
    std::string savedFolder;
};

} // namespace

TEST_F(PlanSelect, WithoutPlansOnlyNewAndBackReact)
{
    Open(NoPlans);
    EXPECT_EQ(menu.plansExist, 0);
    for (int32_t item : {menu.editPlanIndex, menu.startPlanIndex, menu.deletePlanIndex}) {
        EXPECT_EQ(menu.Element(item)->active, 1);
        EXPECT_EQ(Click(item), -1);
    }
    EXPECT_EQ(PlanLoadListOpen, 0);
    EXPECT_EQ(menu.Element(menu.newPlanIndex)->active, 0);
    EXPECT_EQ(Click(menu.backIndex), 1);
    EXPECT_TRUE(ScreenRect.IsEmpty());
}

// The screen's own hover: once shown, the items are hit where their glyphs were drawn; until the
// panel has faded in, and while greyed, they are not.
TEST_F(PlanSelect, TheShownItemsAreHitWhereTheyWereDrawn)
{
    CPlanSelectMenu plain;
    plain.Build(now);
    auto drawnAround = [&](int32_t index, float y) {
        auto* text = static_cast<CMenuText*>(plain.Element(index));
        text->drawnMinX = -0.2f;
        text->drawnMaxX = 0.2f;
        text->drawnMinY = y - 0.04f;
        text->drawnMaxY = y + 0.04f;
    };
    const MenuPoint onNew{0.0f, -0.78f}, onEdit{0.0f, -0.58f}, onBack{0.0f, 0.22f};
    drawnAround(plain.newPlanIndex, -0.78f);
    drawnAround(plain.editPlanIndex, -0.58f);
    drawnAround(plain.backIndex, 0.22f);
    plain.UpdateHover(&onNew);
    EXPECT_EQ(plain.hoveredIndex, -1) << "still fading in";
    now += 40;
    plain.Render(now);
    now += 300;
    plain.Render(now);
    ASSERT_EQ(plain.introRunning, 0);
    drawnAround(plain.newPlanIndex, -0.78f);
    drawnAround(plain.editPlanIndex, -0.58f);
    drawnAround(plain.backIndex, 0.22f);
    plain.UpdateHover(&onNew);
    EXPECT_EQ(plain.hoveredIndex, plain.newPlanIndex);
    plain.UpdateHover(&onBack);
    EXPECT_EQ(plain.hoveredIndex, plain.backIndex);
    plain.UpdateHover(&onEdit);
    EXPECT_EQ(plain.hoveredIndex, -1) << "greyed without plans";
    plain.RemoveAllElements();
}

TEST_F(PlanSelect, PlanActionsRecordThePurposeAndOpenThePlanList)
{
    struct Case
    {
        int32_t TestPlanSelect::*item;
        int32_t purpose;
    };
    for (const Case c : {Case{&TestPlanSelect::editPlanIndex, 1}, Case{&TestPlanSelect::startPlanIndex, 0},
                         Case{&TestPlanSelect::deletePlanIndex, 2}}) {
        Open(SomePlans);
        PlanSlotPurpose = -1;
        PlanLoadListOpen = 0;
        // The list opens and -2 comes back in the frame of the release.
        EXPECT_EQ(Click(menu.*c.item), -2);
        EXPECT_EQ(PlanSlotPurpose, c.purpose);
        EXPECT_EQ(PlanLoadListOpen, 1);
    }
}

TEST_F(PlanSelect, EscapeReturnsZeroAndConsumesTheKey)
{
    Open(SomePlans);
    Input.menuKey = 8;
    EXPECT_EQ(Frame(), 0);
    EXPECT_EQ(Input.menuKey, 0);
}

TEST_F(PlanSelect, NewPlanStartsPlanningWithTheHeroAlone)
{
    CWorldObject hero("hero");
    CurrentCharacter = &hero;
    PlanMemberArray.add(3);
    Open(NoPlans);
    EXPECT_EQ(Click(menu.newPlanIndex), -1);
    EXPECT_EQ(GamePhase, PHASE_PLANNING);
    EXPECT_EQ(PlanActivity, 1);
    ASSERT_EQ(PlanMemberArray.count(), 1);
    EXPECT_EQ(PlanMemberArray[0].member, &hero);
    EXPECT_EQ(PlanMemberArray[0].leader, 1);
    CurrentCharacter = nullptr;
}
