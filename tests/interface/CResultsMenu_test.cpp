// The burglary results: the outcome and its reason, the members' lines, the time texts, the loot
// sum, and the button's closing fade.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/app/ScreenHooks.h"
#include "GAMES/Rulo2/app/ShowKeys.h"
#include "GAMES/Rulo2/behaviour/CKindData.h"
#include "GAMES/Rulo2/behaviour/CKindState.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/Feedback.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/interface/CResultsMenu.h"
#include "GAMES/Rulo2/render/CScreenFade.h"
#include "GAMES/Rulo2/render/ViewRects.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/ObjectInstances.h"

namespace {

struct Carried
{
    float value;
    uint8_t taken, held;
};

class Results : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Input = InputState();
        GameClock = GameClockState();
        DX.screenWidth = 640;
        DX.screenHeight = 480;
        ShowKeysFlag = 1;
        PlanMemberArray.clear();
        ResetAlarm();
        AlarmRaised = 0;
        TargetLootValue = 1000.0f;
        RequiredLootShare = 0.0f;
        BurglaryParTime = 0;
        ResultsSwitch = 1;
        ScreenFade = CScreenFade();
    }
    void TearDown() override
    {
        ShowKeysFlag = 0;
        PlanMemberArray.clear();
        AlarmRaised = 0;
        ResetAlarm();
        TargetLootValue = RequiredLootShare = 0.0f;
        BurglaryParTime = 0;
        ResultsSwitch = 0;
        ClearScreenRect();
        ClearCarried();
    }
    // Gang members with the given crime records (pick locks 0.25 each).
    void Members(std::initializer_list<float> crimeRecords)
    {
        nodes.clear();
        PlanMemberArray.clear();
        PlanMemberArray.add(int32_t(crimeRecords.size()));
        size_t i = 0;
        for (float cr : crimeRecords) {
            auto node = std::make_unique<CWorldObject>("member");
            node->objectLogic = new CObjectLogic();
            node->objectLogic->ownKindData = std::make_unique<CCharacterAKindData>();
            auto state = std::make_unique<CCharacterAState>();
            state->crimeRecords = cr;
            state->pickLocks = 0.25f;
            node->objectLogic->ownConditions = std::move(state);
            PlanMemberArray[i++].member = node.get();
            nodes.push_back(std::move(node));
        }
    }
    CCharacterAState& Attributes(size_t member)
    {
        return *static_cast<CCharacterAState*>(nodes[member]->objectLogic->ownConditions.get());
    }
    // Loot items of the given values in the instance table.
    void Carry(const std::vector<Carried>& carried)
    {
        for (const Carried& c : carried) {
            auto* item = new CObjectNode("loot");
            item->objectLogic = new CObjectLogic();
            auto kind = std::make_unique<CLootKindData>();
            kind->values[1] = FloatAsWord(c.value);
            item->objectLogic->ownKindData = std::move(kind);
            items.emplace_back(item);
            ObjectInstance record;
            record.active = c.taken;
            record.held = c.held;
            record.object = item;
            ObjectInstances.push_back(record);
        }
    }
    void ClearCarried()
    {
        ObjectInstances.clear();
        items.clear();
    }
    std::vector<std::unique_ptr<CWorldObject>> nodes;
    std::vector<std::unique_ptr<CObjectNode>> items;
    CResultsMenu menu;
    int32_t now = 5000;
};

// The mouse is put over an element by index (the models are not loaded here).
class PointedResults : public CResultsMenu
{
public:
    void UpdateHover(const MenuPoint*) override { underMouse = hovered = pointAt; }
    int32_t pointAt = -1;
};

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

} // namespace

TEST_F(Results, AnAlarmFailsTheBurglaryShowsNoTimeAndSendsEveryMemberButTheFirstIntoHiding)
{
    Members({0.1f, 0.2f, 0.3f});
    TriggerAlarm("The guard saw you", 0);
    AlarmRaised = 1;
    GameClock.gameClock = 125000;
    menu.Build(now);

    EXPECT_TRUE(menu.failure);
    EXPECT_EQ(menu.TimeText(), "-:--");
    EXPECT_STREQ(menu.ReasonKey(), "");
    EXPECT_EQ(menu.reasonText, "The guard saw you");
    for (int32_t slot = 0; slot < 3; ++slot) {
        const std::string lines = menu.MemberLines(slot);
        SCOPED_TRACE(lines);
        EXPECT_TRUE(Contains(lines, "ATTR_CR 100%"));
        EXPECT_EQ(Contains(lines, "MENU_RS_HIDING"), slot != 0);
        // Crime records at 1.0 are the capture, not the police's knowledge.
        EXPECT_FALSE(Contains(lines, "MENU_RS_POLICE_KNOWS_ME"));
    }
    EXPECT_EQ(menu.MemberLines(3), "");
}

TEST_F(Results, OutcomeFollowsLootShareSuccessSwitchAndCapture)
{
    struct Case
    {
        const char* name;
        std::vector<Carried> carried;
        int32_t successSwitch;
        float firstCrimeRecords;
        float gathered;
        bool failure;
        const char* reason;
    };
    const Case cases[] = {
        {"exactly the required share is enough", {{300, 1, 0}, {200, 1, 0}}, 1, 0.2f, 500, false, ""},
        {"loot not taken or still held counts for nothing",
         {{300, 1, 0}, {150, 0, 0}, {150, 1, 1}},
         1,
         0.2f,
         300,
         true,
         "MENU_RS_NOTENOUGHLOOT"},
        {"success not enabled", {{900, 1, 0}}, 0, 0.2f, 900, true, "MENU_RS_SPECIALASSIGNMENT"},
        {"first member captured", {{900, 1, 0}}, 1, 1.0f, 900, true, "MENU_RS_CAPTURED"},
        {"loot first among the reasons", {}, 0, 1.0f, 0, true, "MENU_RS_NOTENOUGHLOOT"},
    };
    RequiredLootShare = 0.5f;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Members({c.firstCrimeRecords});
        Carry(c.carried);
        ResultsSwitch = c.successSwitch;
        CResultsMenu results;
        results.Build(now);
        EXPECT_FLOAT_EQ(GatheredLoot, c.gathered);
        EXPECT_EQ(bool(results.failure), c.failure);
        EXPECT_STREQ(results.ReasonKey(), c.reason);
        ClearCarried();
    }
}

TEST_F(Results, ATargetWithoutValueCountsAsAllTheLoot)
{
    Members({0.0f});
    TargetLootValue = 0.0f;
    RequiredLootShare = 1.0f;
    menu.Build(now);
    EXPECT_FLOAT_EQ(menu.lootPercentage, 100.0f);
    EXPECT_TRUE(menu.enoughLoot);
    EXPECT_FALSE(menu.failure);
}

TEST_F(Results, TimeWrapsAtAnHourWhileTheParTimeDoesNot)
{
    Members({0.0f});
    GameClock.gameClock = 65 * 60000 + 7000;
    BurglaryParTime = 65 * 60000 + 3000;
    menu.Build(now);
    ASSERT_FALSE(menu.failure);
    EXPECT_EQ(menu.TimeText(), "5:07");
    EXPECT_EQ(menu.ParTimeText(), "65:03");
}

TEST_F(Results, MemberLinesShowTheChangeSinceTheScreenOpened)
{
    Members({0.5f, 0.49f});
    menu.Build(now);
    Attributes(0).pickLocks = 0.40f;
    Attributes(1).crimeRecords = 0.5f;
    const std::string first = menu.MemberLines(0);
    const std::string second = menu.MemberLines(1);
    EXPECT_TRUE(Contains(first, "ATTR_CR 50% (+0)")) << first;
    EXPECT_TRUE(Contains(first, "ATTR_PL 40% (+15)")) << first;
    EXPECT_TRUE(Contains(first, "MENU_RS_POLICE_KNOWS_ME")) << first;
    EXPECT_TRUE(Contains(second, "ATTR_CR 50% (+1)")) << second;
    EXPECT_TRUE(Contains(second, "MENU_RS_HIDING")) << second;
}

TEST_F(Results, ButtonOrEscapeFadesAndTheNextRenderAfterTheFadeCloses)
{
    struct Case
    {
        const char* name;
        float share; // 2.0 cannot be reached: a failure
        bool escape;
        int32_t result;
        float fadeRed;
    };
    const Case cases[] = {
        {"success by the button", 0.0f, false, 1, 1.0f},
        {"failure by Escape", 2.0f, true, 0, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Members({0.0f});
        RequiredLootShare = c.share;
        PointedResults results;
        results.Build(now);
        int32_t t = now;
        results.pointAt = results.button;
        EXPECT_EQ(results.Render(t += 40), -1);
        if (c.escape) {
            Input.menuKey = 8;
        } else {
            Input.leftButton = 1;
            results.Render(t += 40);
            Input.leftButton = 0;
        }
        EXPECT_EQ(results.Render(t += 40), -1);
        EXPECT_EQ(Input.menuKey, 0);
        ASSERT_TRUE(results.closePending);
        EXPECT_FLOAT_EQ(ScreenFade.to[0], c.fadeRed);
        EXPECT_FLOAT_EQ(ScreenFade.to[3], 1.0f);
        // Until the fade has arrived the screen stays.
        EXPECT_EQ(results.Render(t += 40), -1);
        ScreenFade.framesAtEnd = 2;
        EXPECT_EQ(results.Render(t += 40), c.result);
        EXPECT_TRUE(ScreenRect.IsEmpty());
        ScreenFade = CScreenFade();
    }
}

TEST_F(Results, ACleanSuccessDriftsTheGangsValuesAndTheLinesShowTheGrowth)
{
    struct Case
    {
        const char* name;
        bool alarm;
        int32_t successSwitch;
        float requiredShare;
        bool drifts;
    };
    const Case cases[] = {
        {"clean success", false, 1, 0.0f, true},
        {"alarm", true, 1, 0.0f, false},
        {"success not enabled", false, 0, 0.0f, false},
        {"not enough loot", false, 1, 0.5f, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Members({0.2f});
        // Ten locks picked: pick locks grows from 0.25 by 2 % of the rest each time, to 0.387.
        PlanMemberArray[0].pickedLocks = 10;
        AlarmRaised = c.alarm ? 1 : 0;
        ResultsSwitch = c.successSwitch;
        RequiredLootShare = c.requiredShare;
        CResultsMenu results;
        results.Build(now);
        const std::string lines = results.MemberLines(0);
        EXPECT_EQ(Attributes(0).pickLocks > 0.3f, c.drifts) << Attributes(0).pickLocks;
        if (c.drifts) {
            EXPECT_TRUE(Contains(lines, "ATTR_PL 39% (+14)")) << lines;
            EXPECT_GT(Attributes(0).crimeRecords, 0.2f);
        }
    }
}
