// The game step's picking on a small world: which of the game's states and cursor
// places leave the last frame's candidate picked, the hold of a pressed button, the
// recorded walk that should have stopped, and the tutorial emblem under the cursor.
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/app/InsetView.h"
#include "GAMES/Rulo2/app/Picking.h"
#include "GAMES/Rulo2/behaviour/CKindState.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/CTaskList.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/behaviour/RecordControl.h"
#include "GAMES/Rulo2/behaviour/TaskTypeTable.h"
#include "GAMES/Rulo2/interface/CTutorial.h"
#include "GAMES/Rulo2/interface/HudState.h"
#include "GAMES/Rulo2/navigation/PathFinder.h"
#include "GAMES/Rulo2/render/Overlays.h"
#include "GAMES/Rulo2/render/RenderGlobals.h"
#include "GAMES/Rulo2/render/ViewRects.h"
#include "GAMES/Rulo2/world/HouseFloors.h"
#include "tests/behaviour/BehaviourFixture.h"

#include <functional>

namespace {

constexpr int32_t W = 640, H = 480;

class PickingTest : public BehaviourTest
{
protected:
    void SetUp() override
    {
        BehaviourTest::SetUp();
        house = Place(g_WorldRoot, "Haus_A", CWorldObject::KIND_GROUP, nullptr);
        floor1 = Place(house, "Stockwerk 1", CWorldObject::KIND_GROUP, nullptr);
        floor2 = Place(house, "Stockwerk 2", CWorldObject::KIND_GROUP, nullptr);
        hero = Object("Hero", 1, KIND_CHARACTER_A);
        // A character's run-time state holds its path finder.
        hero->objectLogic->conditions = CKindState::Create(KIND_CHARACTER_A);
        door = Object("Door", 2);
        upstairs = Place(floor2, "Lamp", CWorldObject::KIND_OBJECT, nullptr);
        CurrentCharacter = hero;
        Restore();
    }
    void TearDown() override
    {
        Restore();
        CurrentCharacter = nullptr;
        BehaviourTest::TearDown();
    }
    // The state every case starts from: REALTIME, nothing open, the cursor's zones clear.
    void Restore()
    {
        GamePhase = PHASE_REALTIME;
        RecordState = RECORD_NORMAL;
        BurglaryLevel = 1;
        ItemChoiceOpen = TradeListOpen = OptionsMenuOpen = 0;
        HeroControlSwitch = AlarmOverride = 0;
        PickMode = 0;
        ClearViewRects();
        CurrentHouse = nullptr;
        CurrentFloor = 0;
        HoldState = 0;
        ActionBubble = SActionBubble();
        ActiveItem = nullptr;
        HeldObject = PickedObject = PointedObject = nullptr;
        InsetObject = nullptr;
        Input = InputState();
        BarZoneFlag = CornerZoneFlag = 0;
        HudRecordByte = 0;
        PendingStopCharacter = nullptr;
        PendingStopTime = 0;
        GameClock.gameSpeed = 100;
        Tutorial = CTutorial();
    }
    // One frame's two picking parts with the candidate under the cursor.
    CWorldObject* Pick(CWorldObject* candidate, int32_t x = W / 2, int32_t y = H / 2)
    {
        PointedObject = candidate;
        PickFromCandidate();
        PickUnderCursor(x, y, W, H);
        return PickedObject;
    }

public:
    CWorldObject *house = nullptr, *floor1 = nullptr, *floor2 = nullptr;
    CWorldObject *hero = nullptr, *door = nullptr, *upstairs = nullptr;
};

TEST_F(PickingTest, TheGamesStateAndTheCursorsPlaceDecideWhatIsPicked)
{
    std::unique_ptr<CTaskItem> dialogItem;
    struct Case
    {
        const char* what;
        std::function<void()> set;
        CWorldObject* PickingTest::*candidate;
        int32_t x, y;
        bool picked;
    };
    const Case cases[] = {
        {"nothing in the way", [] {}, &PickingTest::door, W / 2, H / 2, true},
        {"corner zone centre", [] {}, &PickingTest::door, 576, 36, false},
        {"corner zone, 31 pixels off", [] {}, &PickingTest::door, 607, 36, false},
        {"corner zone, 32 pixels off", [] {}, &PickingTest::door, 608, 36, true},
        {"bar zone", [] {}, &PickingTest::door, 582, 427, false},
        {"bar zone, 19 pixels off", [] {}, &PickingTest::door, 582, 446, false},
        {"bar zone, 20 pixels off", [] {}, &PickingTest::door, 582, 447, true},
        {"over a screen's rectangle",
         [] {
             ViewRectTable[3] = {300, 200, 340, 260};
         },
         &PickingTest::door, 320, 240, false},
        {"beside a screen's rectangle",
         [] {
             ViewRectTable[3] = {300, 200, 340, 260};
         },
         &PickingTest::door, 340, 240, true},
        {"item choice open", [] { ItemChoiceOpen = 1; }, &PickingTest::door, W / 2, H / 2, false},
        {"trade list open", [] { TradeListOpen = 2; }, &PickingTest::door, W / 2, H / 2, false},
        {"after the last level", [] { BurglaryLevel = NumberOfLevels + 1; }, &PickingTest::door, W / 2, H / 2,
         false},
        {"options open in REALTIME", [] { OptionsMenuOpen = 1; }, &PickingTest::door, W / 2, H / 2, true},
        {"options open in PLANNING",
         [] {
             OptionsMenuOpen = 1;
             GamePhase = PHASE_PLANNING;
         },
         &PickingTest::door, W / 2, H / 2, false},
        {"BURGLARY without the hero's control", [] { GamePhase = PHASE_BURGLARY; }, &PickingTest::door, W / 2,
         H / 2, false},
        {"BURGLARY with the hero's control",
         [] {
             GamePhase = PHASE_BURGLARY;
             HeroControlSwitch = 1;
         },
         &PickingTest::door, W / 2, H / 2, true},
        {"BURGLARY with the alarm override",
         [] {
             GamePhase = PHASE_BURGLARY;
             AlarmOverride = 1;
         },
         &PickingTest::door, W / 2, H / 2, true},
        {"the selected character itself", [] {}, &PickingTest::hero, W / 2, H / 2, false},
        {"the selected character in pick mode 1", [] { PickMode = 1; }, &PickingTest::hero, W / 2, H / 2,
         true},
        {"another object in pick mode 1", [] { PickMode = 1; }, &PickingTest::door, W / 2, H / 2, false},
        {"a busy selected character", [this] { hero->objectLogic->flags = 0x10; }, &PickingTest::door, W / 2,
         H / 2, false},
        {"a busy selected character in pick mode 3",
         [this] {
             hero->objectLogic->flags = 0x02;
             PickMode = 3;
         },
         &PickingTest::door, W / 2, H / 2, true},
        {"an object in a dialog",
         [this, &dialogItem] {
             dialogItem = std::make_unique<CTaskItem>(0, TASK_DIALOG);
             door->objectLogic->currentItem = dialogItem.get();
             door->objectLogic->task = CreateTaskForKind(TASK_DIALOG, KIND_CHARACTER_A);
         },
         &PickingTest::door, W / 2, H / 2, false},
        {"another floor of the shown house",
         [this] {
             CurrentHouse = house;
             CurrentFloor = 1;
         },
         &PickingTest::upstairs, W / 2, H / 2, false},
        {"another floor of the shown house, shown in the inset",
         [this] {
             CurrentHouse = house;
             CurrentFloor = 1;
             InsetObject = upstairs;
         },
         &PickingTest::upstairs, W / 2, H / 2, true},
        {"the shown floor",
         [this] {
             CurrentHouse = house;
             CurrentFloor = 2;
         },
         &PickingTest::upstairs, W / 2, H / 2, true},
    };
    ASSERT_EQ(TaskTypeByName("Dialog"), TASK_DIALOG);
    for (const Case& c : cases) {
        Restore();
        hero->objectLogic->flags = 0;
        door->objectLogic->currentItem = nullptr;
        door->objectLogic->task.reset();
        c.set();
        CWorldObject* candidate = this->*c.candidate;
        EXPECT_EQ(Pick(candidate, c.x, c.y), c.picked ? candidate : nullptr) << c.what;
        EXPECT_EQ(PointedObject, nullptr) << c.what << ": the candidate is used up";
    }
    door->objectLogic->currentItem = nullptr;
    door->objectLogic->task.reset();
}

TEST_F(PickingTest, TheBarZoneKeepsTheTimeItWasEnteredAndTheCornerZoneItsFlag)
{
    GameClock.frameTime = 1000;
    Pick(door, 582, 427);
    EXPECT_EQ(BarZoneFlag, 1);
    EXPECT_EQ(BarZoneEntryTime, 1000);
    GameClock.frameTime = 2000;
    Pick(door, 583, 428);
    EXPECT_EQ(BarZoneEntryTime, 1000) << "still inside: the entry stays";
    Pick(door, 100, 100);
    EXPECT_EQ(BarZoneFlag, 0);
    GameClock.frameTime = 3000;
    Pick(door, 582, 427);
    EXPECT_EQ(BarZoneEntryTime, 3000);

    Pick(door, 576, 36);
    EXPECT_EQ(CornerZoneFlag, 1);
    UpdateCursorZones(100, 100, W, H);
    EXPECT_EQ(CornerZoneFlag, 0) << "a frozen view's frame tests the corner too";
}

TEST_F(PickingTest, AHeldPressKeepsItsObjectPickedOnlyWhereHoldingIsAllowed)
{
    Input.leftButton = 1;
    GameClock.frameTime = 500;
    EXPECT_EQ(Pick(door), door);
    EXPECT_EQ(HoldState, 2);
    EXPECT_EQ(HoldStartTime, 500);
    EXPECT_EQ(Pick(nullptr), door) << "the held object stays picked";
    Input.leftButton = 0;
    EXPECT_EQ(Pick(nullptr), nullptr);
    EXPECT_EQ(HoldState, 0);

    // PLANNING holds only while recording with the bar's record switch on.
    struct Case
    {
        int32_t recordState;
        uint8_t recordSwitch;
        int32_t hold;
    };
    for (const Case& c : {Case{RECORD_REPLAY, 1, 0}, Case{RECORD_RECORD, 0, 0}, Case{RECORD_RECORD, 1, 2}}) {
        Restore();
        GamePhase = PHASE_PLANNING;
        RecordState = c.recordState;
        HudRecordByte = c.recordSwitch;
        Input.leftButton = 1;
        Pick(door);
        EXPECT_EQ(HoldState, c.hold) << c.recordState << "/" << int(c.recordSwitch);
    }
}

// The hold opens the action bubble over the held object; once the bubble stands open the hold is
// complete, and letting go shuts it. With an item in hand the click uses the item: no bubble.
TEST_F(PickingTest, AHoldOpensTheActionBubbleAndAnItemInHandDecidesTheActionInstead)
{
    Input.leftButton = 1;
    GameClock.frameTime = 500;
    ActionBubble.hovered = 2;
    Pick(door);
    EXPECT_EQ(ActionBubble.state, 2);
    EXPECT_EQ(ActionBubble.startTime, 500);
    EXPECT_EQ(ActionBubble.hovered, -1);
    DrawWorldOverlays(false, 1200);
    EXPECT_EQ(HoldState, 2) << "not drawn while another menu than the HUD is current";
    DrawWorldOverlays(true, 700);
    EXPECT_EQ(ActionBubble.state, 2);
    EXPECT_EQ(HoldState, 2);
    DrawWorldOverlays(true, 1100);
    EXPECT_EQ(ActionBubble.state, 3);
    EXPECT_EQ(HoldState, 3);
    EXPECT_EQ(Pick(nullptr), door);
    EXPECT_EQ(ActionBubble.state, 3) << "it stays open while the button is held";
    Input.leftButton = 0;
    Pick(nullptr);
    EXPECT_EQ(ActionBubble.state, 0);
    EXPECT_EQ(HoldState, 0);

    ActiveItem = Item("Dietrich", 7, KIND_TOOL);
    Input.leftButton = 1;
    Pick(door);
    EXPECT_EQ(HoldState, 0);
    EXPECT_EQ(ActionBubble.state, 0);

    // What the click does with the item follows its kind.
    const std::pair<int32_t, int32_t> codes[] = {
        {KIND_ITEM, 6}, {KIND_LOOT, 5}, {KIND_TOOL, 4}, {KIND_FIXED, -1}, {KIND_DOOR, -1}};
    uint32_t number = 8;
    for (const auto& [kind, code] : codes)
        EXPECT_EQ(ItemActionCode(Item("thing", number++, kind)), code) << kind;
    EXPECT_EQ(ItemActionCode(nullptr), -1);
}

TEST_F(PickingTest, ARecordedWalkPastItsStopTimeSettlesOrPausesTheRecording)
{
    struct Case
    {
        const char* what;
        uint8_t walking;
        int32_t stopTime;
        CWorldObject* PickingTest::*pending;
        int32_t speed;
        bool pendingKept;
        int32_t stopTimeAfter;
    };
    const Case cases[] = {
        {"stopped walker pauses", 0, 100, &PickingTest::hero, 0, false, 0},
        {"still walking goes on", 1, 100, &PickingTest::hero, 100, true, 0},
        {"stop time not yet passed", 0, 300, &PickingTest::hero, 100, true, 300},
        {"another character's stop", 0, 100, &PickingTest::door, 100, true, 100},
    };
    for (const Case& c : cases) {
        Restore();
        GamePhase = PHASE_PLANNING;
        RecordState = RECORD_RECORD;
        GameClock.gameClock = 200;
        hero->objectLogic->GetPathfinder()->walking = c.walking;
        PendingStopCharacter = this->*c.pending;
        PendingStopTime = c.stopTime;
        PickFromCandidate();
        EXPECT_EQ(GameClock.gameSpeed, c.speed) << c.what;
        EXPECT_EQ(PendingStopCharacter != nullptr, c.pendingKept) << c.what;
        EXPECT_EQ(PendingStopTime, c.stopTimeAfter) << c.what;
    }
    GameClock.gameClock = 0;
}

TEST_F(PickingTest, TheEmblemIsHoveredWhereItWasDrawnWhileTheTutorialRuns)
{
    Tutorial.emblemArea = {600, 100, 640, 180};
    Pick(nullptr, 610, 120);
    EXPECT_EQ(Tutorial.hovered, 0) << "the tutorial does not run";
    Tutorial.active = 1;
    Pick(nullptr, 610, 120);
    EXPECT_EQ(Tutorial.hovered, 1);
    Pick(nullptr, 590, 120);
    EXPECT_EQ(Tutorial.hovered, 0);
}

} // namespace
