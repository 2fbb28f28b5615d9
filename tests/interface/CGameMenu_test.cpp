// The planning screen: what Build takes over from the gang table, when OK may be used and what
// it writes, the drags between the pool and the slots, removing an accomplice and the choosers.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/app/SaveGame.h"
#include "GAMES/Rulo2/behaviour/CKindData.h"
#include "GAMES/Rulo2/behaviour/CKindState.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/interface/CGameMenu.h"
#include "GAMES/Rulo2/interface/CMenuFigure.h"
#include "GAMES/Rulo2/interface/HudState.h"
#include "GAMES/Rulo2/navigation/PathFinder.h"
#include "GAMES/Rulo2/render/ViewRects.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/ObjectInstances.h"

namespace {

// An object with a state whose model the figures show.
struct SThing
{
    std::unique_ptr<CModelEntry> entry = std::make_unique<CModelEntry>();
    std::unique_ptr<CObjectNode> node = std::make_unique<CObjectNode>("thing");
    std::unique_ptr<CWorldObject> world = std::make_unique<CWorldObject>("thing");

    SThing()
    {
        entry->model = new CRootNode("model");
        entry->model->boundsRadius = 1.0f;
        node->AddState("OPEN")->modelEntry = entry.get();
        world->objectKind = CWorldObject::KIND_OBJECT;
        world->reference = node.get();
    }
    CRootNode* Model() const { return entry->model; }
};

class Planning : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Input = InputState();
        GameClock = GameClockState();
        DX.screenWidth = 640;
        DX.screenHeight = 480;
        ModalMenuFlag = 0;
        BurglaryLevel = 1;
        PlanBurglaryNumber = 0;
        PlanCar = nullptr;
        ObjectInstances.clear();
        CarList.clear();
        HudGangCharacters.clear();
        PlanMemberArray.clear();

        hero = Person(80.0f, 30.0f, {0.2f, 0.1f, 0.1f});
        CurrentCharacter = hero->world.get();
        for (int i = 0; i < 3; ++i) {
            accomplices.push_back(Person(60.0f, 20.0f, {0.1f, 0.1f, 0.1f * float(i)}));
            HudGangCharacters.push_back(accomplices.back()->world.get());
        }
        for (float weight : {0.05f, 0.1f, 0.15f, 0.2f})
            Tool(weight);
        car = std::make_unique<SThing>();
        auto kind = std::make_unique<CCarKindData>();
        kind->values[0] = FloatAsWord(2.0f); // room for 200
        car->world->objectLogic = new CObjectLogic();
        car->world->objectLogic->ownKindData = std::move(kind);
        CarList.push_back(car->world.get());
        Gang({hero.get()});
    }
    void TearDown() override
    {
        menu.RemoveAllElements();
        menu.chooser.RemoveAllElements();
        menu.chooser.ClearEntries();
        ObjectInstances.clear();
        CarList.clear();
        HudGangCharacters.clear();
        PlanMemberArray.clear();
        CurrentCharacter = nullptr;
        PlanBurglaryNumber = 0;
        PlanCar = nullptr;
        PlanCarCapacity = 0;
        Input = InputState();
    }

    std::unique_ptr<SThing> Person(float weight, float strength, std::vector<float> skills)
    {
        auto p = std::make_unique<SThing>();
        auto* logic = new CObjectLogic();
        auto kind = std::make_unique<CCharacterAKindData>();
        kind->name = "Gauner";
        logic->ownKindData = std::move(kind);
        auto state = std::make_unique<CCharacterAState>();
        state->weight = weight;
        state->strength = strength;
        state->pickLocks = skills[0];
        state->pickSafes = skills[1];
        state->alarmSystems = skills[2];
        logic->ownConditions = std::move(state);
        p->world->objectLogic = logic;
        return p;
    }
    // A tool of weight x 100 in the object instance table.
    void Tool(float weight)
    {
        tools.push_back(std::make_unique<SThing>());
        CObjectNode* node = tools.back()->node.get();
        node->objectLogic = new CObjectLogic();
        auto kind = std::make_unique<CToolKindData>();
        kind->values[0] = FloatAsWord(weight);
        node->objectLogic->ownKindData = std::move(kind);
        ObjectInstance instance;
        instance.active = 1;
        instance.object = node;
        ObjectInstances.push_back(instance);
    }
    CObjectNode* ToolNode(size_t i) const { return tools[i]->node.get(); }
    void Gang(std::vector<SThing*> people)
    {
        PlanMemberArray.clear();
        for (SThing* p : people)
            PlanMemberArray.at(PlanMemberArray.add(1))->member = p->world.get();
    }
    void Frame() { result = menu.Render(now += 40); }
    CMenuFigure* FigureAt(int32_t index) { return static_cast<CMenuFigure*>(menu.Element(index)); }
    // The pool figures' items in pool order (null for an empty place).
    std::vector<CObjectNode*> PoolItems() const
    {
        std::vector<CObjectNode*> items;
        for (const HudItemRecord& r : menu.pool)
            items.push_back(r.item);
        return items;
    }
    void Drag(int32_t from, int32_t to)
    {
        menu.Press(from);
        menu.Release(to);
    }

    std::unique_ptr<SThing> hero, car;
    std::vector<std::unique_ptr<SThing>> accomplices, tools;
    CGameMenu menu;
    int32_t now = 1000;
    int32_t result = -1;
};

TEST_F(Planning, BuildOfANewPlanLeavesEveryChoiceOpen)
{
    PlanBurglaryNumber = 2; // a stale word: a new plan's Build still shows no target without a gang
    PlanMemberArray.clear();
    menu.Build(now);
    EXPECT_EQ(menu.hasGang, 0);
    EXPECT_EQ(menu.target, -1);

    menu.RemoveAllElements();
    PlanBurglaryNumber = 0;
    Gang({hero.get()});
    menu.Build(now);
    EXPECT_EQ(menu.hasGang, 1);
    EXPECT_EQ(menu.target, -1);
    EXPECT_EQ(menu.car, nullptr);
    for (uint8_t a : menu.available)
        EXPECT_EQ(a, 1);
    for (int32_t k = 1; k <= 3; ++k)
        EXPECT_EQ(FigureAt(menu.personFigures[k])->model, nullptr);
    EXPECT_EQ(FigureAt(menu.personFigures[0])->model, hero->Model());
    // Every tool lies in the pool.
    EXPECT_EQ(PoolItems(), (std::vector<CObjectNode*>{ToolNode(0), ToolNode(1), ToolNode(2), ToolNode(3)}));
    EXPECT_EQ(menu.transition, 3);
    EXPECT_EQ(menu.mode, CGameMenu::MODE_OVERVIEW);
}

// Once the opening has played, the target, car and accomplice boxes take the pointer: without
// that no plan could get its target or car.
TEST_F(Planning, AfterTheOpeningTheChoicesTakeThePointer)
{
    Gang({hero.get()});
    menu.Build(now);
    for (int i = 0; i < 25 && menu.transition != 0; ++i)
        Frame();
    ASSERT_EQ(menu.transition, 0);
    for (int32_t e : {menu.targetButton, menu.carButton, menu.memberButtons[0]})
        EXPECT_EQ(menu.Element(e)->selectable, 1) << e;
}

TEST_F(Planning, BuildOfALoadedPlanLocksWhatThePlanChose)
{
    PlanBurglaryNumber = 2;
    PlanCar = car->node.get();
    Gang({hero.get(), accomplices[0].get(), accomplices[1].get()});
    PlanMemberArray[0].hands[0].item = ToolNode(1);
    PlanMemberArray[2].hands[1].item = ToolNode(3);
    menu.Build(now);

    EXPECT_EQ(menu.target, 1);
    EXPECT_EQ(menu.car, car->world.get());
    EXPECT_EQ(menu.members[0], accomplices[0]->world.get());
    EXPECT_EQ(menu.members[1], accomplices[1]->world.get());
    EXPECT_EQ(menu.members[2], nullptr);
    EXPECT_EQ(menu.available[0], 0);
    EXPECT_EQ(menu.available[1], 1);
    EXPECT_EQ(menu.available[2], 0);
    EXPECT_EQ(menu.available[3], 0);
    EXPECT_EQ(menu.available[4], 1);
    for (int32_t s = 0; s < CGameMenu::SLOT_COUNT; ++s) {
        const bool filled = s == 0 || s == 7;
        EXPECT_EQ(menu.available[5 + s], filled ? 0 : 1) << s;
        EXPECT_EQ(menu.Element(menu.slotFrames[s])->selectable, filled ? 0 : 0) << s;
        if (filled) {
            EXPECT_EQ(menu.Element(menu.slotFrames[s])->group, 0u) << s;
            EXPECT_NE(menu.slots[s].instance, -1) << s;
        }
    }
    EXPECT_EQ(menu.slots[7].item, ToolNode(3));
    // Carried tools are not in the pool; their places at the table's end are kept free.
    EXPECT_EQ(PoolItems(), (std::vector<CObjectNode*>{ToolNode(0), ToolNode(2), nullptr, nullptr}));
}

TEST_F(Planning, OkNeedsATargetACarAndNoOverload)
{
    struct Case
    {
        const char* what;
        bool target;
        bool car;
        std::vector<float> heroTools; // weights / 100
        float accompliceWeight;
        bool okActive;
        float carLoad;
    };
    // The car holds 200; the hero weighs 80 and carries 30 at most.
    const Case cases[] = {
        {"complete", true, true, {}, 60.0f, true, 0.7f},
        {"no target", false, true, {}, 60.0f, false, 0.7f},
        {"no car", true, false, {}, 60.0f, false, 0.0f},
        {"car exactly full, hero at his strength", true, true, {0.2f, 0.1f}, 90.0f, true, 1.0f},
        {"car over its room", true, true, {0.2f, 0.1f}, 91.0f, false, 1.1f},
        {"hero over his strength", true, true, {0.2f, 0.15f}, 60.0f, false, 0.875f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ObjectInstances.clear();
        tools.clear();
        for (float w : c.heroTools)
            Tool(w);
        Gang({hero.get(), accomplices[0].get()});
        for (size_t j = 0; j < c.heroTools.size(); ++j)
            PlanMemberArray[0].hands[j].item = ToolNode(j);
        static_cast<CCharacterAState*>(accomplices[0]->world->objectLogic->ownConditions.get())->weight =
            c.accompliceWeight;
        menu.RemoveAllElements();
        menu.Build(now);
        menu.target = c.target ? 0 : -1;
        menu.car = c.car ? car->world.get() : nullptr;
        Frame();
        EXPECT_EQ(menu.Element(menu.okButton)->active, c.okActive ? 0 : 1);
        EXPECT_NEAR(menu.carLoad, c.carLoad, 1e-6f);
    }
}

TEST_F(Planning, OkWritesTheGangTableTheCarAndTheTarget)
{
    Gang({hero.get()});
    menu.Build(now);
    menu.target = 1;
    menu.car = car->world.get();
    menu.members[0] = accomplices[0]->world.get();
    menu.members[2] = accomplices[2]->world.get();
    menu.leader = 3;
    // The hero takes tool 0, accomplice 3 tools 1 and 2.
    Drag(menu.poolFirst, menu.slotFrames[0]);
    Drag(menu.poolFirst, menu.slotFrames[9]);
    Drag(menu.poolFirst, menu.slotFrames[11]);
    menu.Release(menu.okButton);
    Frame();
    ASSERT_EQ(result, 1);

    EXPECT_EQ(PlanBurglaryNumber, 2);
    EXPECT_EQ(PlanCar, car->node.get());
    EXPECT_FLOAT_EQ(PlanCarCapacity, 200.0f);
    ASSERT_EQ(PlanMemberArray.count(), 3);
    const CWorldObject* expected[3] = {hero->world.get(), accomplices[0]->world.get(),
                                       accomplices[2]->world.get()};
    float shares = 0;
    for (int32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(PlanMemberArray[size_t(i)].member, expected[i]) << i;
        EXPECT_EQ(PlanMemberArray[size_t(i)].leader, i == 2 ? 1 : 0) << i;
        shares += PlanMemberArray[size_t(i)].memberFactor;
    }
    EXPECT_FLOAT_EQ(shares, 1.0f);
    EXPECT_FLOAT_EQ(PlanMemberArray[0].memberFactor, 0.4f / 1.0f);
    EXPECT_EQ(PlanMemberArray[0].hands[0].item, ToolNode(0));
    EXPECT_EQ(PlanMemberArray[0].toolFlags[0], 1);
    EXPECT_EQ(PlanMemberArray[0].toolFlags[1], 0);
    EXPECT_FLOAT_EQ(PlanMemberArray[0].carriedLoad, 5.0f);
    EXPECT_EQ(PlanMemberArray[2].hands[0].item, ToolNode(1));
    EXPECT_EQ(PlanMemberArray[2].hands[2].item, ToolNode(2));
    EXPECT_FLOAT_EQ(PlanMemberArray[2].carriedLoad, 25.0f);
    EXPECT_EQ(PlanMemberArray[1].carriedLoad, 0.0f);
}

TEST_F(Planning, CancelAndEscapeCloseWithoutAPlan)
{
    for (int round = 0; round < 2; ++round) {
        Gang({hero.get()});
        menu.RemoveAllElements();
        menu.Build(now);
        menu.target = 0;
        menu.car = car->world.get();
        if (round == 0)
            menu.Release(menu.cancelButton);
        else
            Input.menuKey = 8;
        ClearViewRects();
        Frame();
        EXPECT_EQ(result, 0) << round;
        EXPECT_EQ(Input.menuKey, 0);
        EXPECT_EQ(ViewRectTable[3].right, 0);
        EXPECT_EQ(PlanMemberArray.count(), 1);
        EXPECT_EQ(PlanBurglaryNumber, 0);
    }
}

TEST_F(Planning, ToolsMoveBetweenPoolAndSlotsWithTheirRecords)
{
    menu.Build(now);
    menu.members[1] = accomplices[1]->world.get();
    const HudItemRecord first = menu.pool[0];
    ASSERT_EQ(first.item, ToolNode(0));

    // Pool -> slot 2: the record moves and the pool closes the gap.
    Drag(menu.poolFirst, menu.slotFrames[2]);
    EXPECT_EQ(menu.slots[2].item, first.item);
    EXPECT_EQ(menu.slots[2].instance, first.instance);
    EXPECT_EQ(FigureAt(menu.slotFigures[2])->model, tools[0]->Model());
    EXPECT_EQ(PoolItems(), (std::vector<CObjectNode*>{ToolNode(1), ToolNode(2), ToolNode(3), nullptr}));

    // Slot 2 -> slot 7: moved, slot 2 empty, the pool untouched.
    Drag(menu.slotFigures[2], menu.slotFrames[7]);
    EXPECT_EQ(menu.slots[7].item, first.item);
    EXPECT_EQ(menu.slots[2].item, nullptr);
    EXPECT_EQ(menu.slots[2].instance, -1);
    EXPECT_EQ(FigureAt(menu.slotFigures[2])->model, nullptr);
    EXPECT_EQ(menu.Element(menu.slotFrames[2])->group, 1u); // a drop target again
    EXPECT_EQ(PoolItems(), (std::vector<CObjectNode*>{ToolNode(1), ToolNode(2), ToolNode(3), nullptr}));

    // Slot 7 -> the pool panel: back in the first free pool place with the same record.
    Drag(menu.slotFigures[7], menu.toolFrame);
    EXPECT_EQ(menu.slots[7].item, nullptr);
    EXPECT_EQ(menu.pool[3].item, first.item);
    EXPECT_EQ(menu.pool[3].instance, first.instance);
    EXPECT_EQ(menu.pool[3].name, first.name);
    EXPECT_EQ(FigureAt(menu.poolFirst + 3)->model, tools[0]->Model());

    // A drop anywhere else changes nothing and the drag ends.
    Drag(menu.poolFirst, menu.zoomFrame);
    EXPECT_EQ(PoolItems(), (std::vector<CObjectNode*>{ToolNode(1), ToolNode(2), ToolNode(3), ToolNode(0)}));
    EXPECT_EQ(menu.dragged, nullptr);
}

TEST_F(Planning, RemovingAnAccompliceReturnsItsToolsAndTheLead)
{
    menu.Build(now);
    menu.members[1] = accomplices[1]->world.get();
    FigureAt(menu.personFigures[2])->model = accomplices[1]->Model();
    menu.leader = 2;
    Drag(menu.poolFirst + 1, menu.slotFrames[6]); // tool 1
    Drag(menu.poolFirst + 2, menu.slotFrames[8]); // tool 3: the pool closed the gap
    ASSERT_EQ(PoolItems(), (std::vector<CObjectNode*>{ToolNode(0), ToolNode(2), nullptr, nullptr}));

    menu.Release(menu.removeButtons[1]);
    EXPECT_EQ(menu.members[1], nullptr);
    EXPECT_EQ(menu.leader, 0);
    EXPECT_EQ(FigureAt(menu.personFigures[2])->model, nullptr);
    EXPECT_EQ(PoolItems(), (std::vector<CObjectNode*>{ToolNode(0), ToolNode(2), ToolNode(1), ToolNode(3)}));
    for (int32_t s : {6, 7, 8})
        EXPECT_EQ(menu.slots[s].instance, -1) << s;
}

TEST_F(Planning, TheCarChooserBackOrStillOpenChangesNothing)
{
    menu.Build(now);
    menu.car = car->world.get();
    menu.Release(menu.carButton);
    ASSERT_EQ(menu.pendingChoice, 2);
    // While the chooser is open, nothing is taken from it.
    for (int i = 0; i < 3; ++i) {
        Frame();
        EXPECT_EQ(menu.pendingChoice, 2);
        EXPECT_EQ(menu.car, car->world.get());
    }
    Input.menuKey = 8; // the chooser's back
    Frame();
    EXPECT_EQ(result, -1);
    EXPECT_EQ(menu.pendingChoice, 0);
    EXPECT_EQ(menu.car, car->world.get());
    EXPECT_EQ(FigureAt(menu.carFigure)->model, nullptr);

    // Choosing the car's entry takes it.
    menu.car = nullptr;
    menu.Release(menu.carButton);
    ASSERT_EQ(menu.chooser.EntryCount(), 1);
    menu.chooser.selected = menu.chooser.firstEntry;
    menu.chooser.finished = 1;
    Frame();
    EXPECT_EQ(menu.pendingChoice, 0);
    EXPECT_EQ(menu.car, car->world.get());
    EXPECT_EQ(FigureAt(menu.carFigure)->model, car->Model());
}

TEST_F(Planning, LootSharesFollowTheSkillsAndNeverDivideByZero)
{
    menu.Build(now);
    menu.members[0] = accomplices[0]->world.get();
    menu.ComputeLootShares();
    // Hero 0.2 + 0.1 + 0.1, accomplice 1 0.1 + 0.1 + 0.
    EXPECT_NEAR(menu.lootShare[0], 0.4f / 0.6f, 1e-6f);
    EXPECT_NEAR(menu.lootShare[1], 0.2f / 0.6f, 1e-6f);
    EXPECT_EQ(menu.lootShare[2], 0.0f);
    auto* skills = static_cast<CCharacterAState*>(hero->world->objectLogic->ownConditions.get());
    skills->pickLocks = skills->pickSafes = skills->alarmSystems = 0;
    menu.members[0] = nullptr;
    menu.ComputeLootShares();
    EXPECT_EQ(menu.lootShare[0], 0.0f);
}

} // namespace

// The road through the screen: the car is chosen in the selection list, a tool is dragged to the
// hero, and OK ends with the gang table, the car and the target word. (The target chooser lists
// the levels' models, which only the program's resources hold; the target is set here.)
TEST_F(Planning, ARunThroughTheCarChooserAndADragEndsWithTheChosenPlan)
{
    menu.Build(now);
    menu.target = 1;
    menu.Release(menu.carButton);
    ASSERT_EQ(menu.pendingChoice, 2);
    ASSERT_EQ(menu.chooser.EntryCount(), 1);
    Frame();
    EXPECT_EQ(result, -1) << "the chooser is still open";
    menu.chooser.selected = menu.chooser.firstEntry;
    menu.chooser.finished = 1;
    Frame();
    EXPECT_EQ(menu.pendingChoice, 0);
    EXPECT_EQ(menu.car, car->world.get());
    Drag(menu.poolFirst, menu.slotFrames[1]);
    menu.Release(menu.okButton);
    Frame();
    ASSERT_EQ(result, 1);

    EXPECT_EQ(PlanBurglaryNumber, 2);
    EXPECT_EQ(PlanCar, car->node.get());
    EXPECT_FLOAT_EQ(PlanCarCapacity, 200.0f);
    ASSERT_EQ(PlanMemberArray.count(), 1);
    EXPECT_EQ(PlanMemberArray[0].member, hero->world.get());
    EXPECT_EQ(PlanMemberArray[0].leader, 1);
    EXPECT_EQ(PlanMemberArray[0].hands[1].item, ToolNode(0));
    EXPECT_EQ(PlanMemberArray[0].toolFlags[1], 1);
    EXPECT_FLOAT_EQ(PlanMemberArray[0].carriedLoad, 5.0f);
    EXPECT_FLOAT_EQ(PlanMemberArray[0].memberFactor, 1.0f);
}
