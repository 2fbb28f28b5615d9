// The Object Properties window: binding a model's defaults or a placed object,
// the kind panels, field edits with the modified flag and "Reset To Default",
// and letting go of an object that is destroyed.
#include "GAMES/Rulo2/editor/ObjectPropertiesDlg.h"
#include "tests/editor/EditorWindowsFixture.h"

namespace {

using platform::ui::Control;

class ObjectProperties : public editortest::EditorWindowsTest
{
protected:
    void SetUp() override
    {
        EditorWindowsTest::SetUp();
        chair = Definition("Chair", KIND_ITEM);
        door = Definition("Door", KIND_DOOR);
        placedChair = Placed(g_WorldRoot, chair);
        placedDoor = Placed(g_WorldRoot, door);
        for (CWorldObject* n : {placedChair, placedDoor}) {
            n->objectLogic = new CObjectLogic;
            n->objectLogic->worldNode = n;
        }
    }
    static ObjectPropertiesDlg& Window() { return *g_ObjectPropertiesDlg; }
    static Control& Item(int id) { return *Window().GetDlgItem(id); }
    // Types a text into an edit, as a change of its content.
    static void Type(int id, const char* text)
    {
        Item(id).text = text;
        Window().OnCommand(id);
    }
    static void ChooseKind(int kind)
    {
        Item(ObjectPropertiesDlg::IDC_KIND).selection = kind;
        Window().OnCommand(ObjectPropertiesDlg::IDC_KIND);
    }
    void BindPlaced(CWorldObject* node) { Window().SetObject(node->objectLogic, node, nullptr); }

    CObjectNode *chair = nullptr, *door = nullptr;
    CWorldObject *placedChair = nullptr, *placedDoor = nullptr;
};

constexpr int kItemWeight = 1191;
constexpr int kDoorWorkingTime = 1247;

TEST_F(ObjectProperties, UnboundEveryControlIsDisabledUnderThePlainCaption)
{
    Window().SetObject(placedChair->objectLogic, placedChair, nullptr);
    Window().SetObject(nullptr, nullptr, nullptr);
    EXPECT_EQ(Window().Caption(), "Properties");
    EXPECT_EQ(Window().Kind(), -1);
    for (const Control& c : Window().Controls())
        EXPECT_FALSE(c.enabled) << c.id;
    // A field edit without an object changes nothing.
    Type(kItemWeight, "9");
    EXPECT_FALSE(placedChair->objectLogic->ownKindData);
}

TEST_F(ObjectProperties, AModelsDefaultsShowWithoutResetButton)
{
    Window().SetObject(chair->objectLogic, nullptr, chair);
    EXPECT_EQ(Window().Caption(), "Default Properties for 'Chair'");
    EXPECT_FALSE(Item(ObjectPropertiesDlg::IDC_RESET).visible);
    EXPECT_TRUE(Window().PanelShown(KIND_ITEM));
    EXPECT_EQ(Item(kItemWeight).text, "2");
    EXPECT_EQ(Item(ObjectPropertiesDlg::IDC_NAME).text, "Chair");
}

TEST_F(ObjectProperties, AChangedWeightEnablesResetWhichRestoresTheDefault)
{
    BindPlaced(placedChair);
    EXPECT_EQ(Window().Caption(), " Properties for 'Chair'");
    ASSERT_TRUE(Item(ObjectPropertiesDlg::IDC_RESET).visible);
    EXPECT_FALSE(Item(ObjectPropertiesDlg::IDC_RESET).enabled);
    EXPECT_EQ(Item(kItemWeight).text, "2");
    // An equal value is no change.
    Type(kItemWeight, "2.0");
    EXPECT_FALSE(Window().Modified());
    Type(kItemWeight, "3.5");
    EXPECT_TRUE(Window().Modified());
    EXPECT_TRUE(Item(ObjectPropertiesDlg::IDC_RESET).enabled);
    EXPECT_FLOAT_EQ(placedChair->objectLogic->ownKindData->Weight(), 3.5f);
    // Own data stay when the object is bound again.
    BindPlaced(placedDoor);
    BindPlaced(placedChair);
    EXPECT_EQ(Item(kItemWeight).text, "3.5");

    Window().Click(ObjectPropertiesDlg::IDC_RESET);
    EXPECT_EQ(Item(kItemWeight).text, "2");
    EXPECT_FALSE(Window().Modified());
    EXPECT_FALSE(Item(ObjectPropertiesDlg::IDC_RESET).enabled);
    EXPECT_FLOAT_EQ(chair->objectLogic->ownKindData->Weight(), 2.0f);
}

TEST_F(ObjectProperties, TextFieldsRefuseAnEmptyText)
{
    BindPlaced(placedChair);
    struct Case
    {
        const char* typed;
        const char* shown;
        bool modified;
    } cases[] = {
        {"", "Chair", false}, {"Chair", "Chair", false}, {"Stool", "Stool", true}, {"", "Stool", true}};
    for (const Case& k : cases) {
        Type(ObjectPropertiesDlg::IDC_NAME, k.typed);
        EXPECT_EQ(Item(ObjectPropertiesDlg::IDC_NAME).text, k.shown) << k.typed;
        EXPECT_EQ(placedChair->objectLogic->ownKindData->name, k.shown);
        EXPECT_EQ(Window().Modified(), k.modified) << k.typed;
    }
    // A story beyond 0-100 is refused and the field shows the old value.
    Type(ObjectPropertiesDlg::IDC_STORY, "101");
    EXPECT_EQ(Item(ObjectPropertiesDlg::IDC_STORY).text, "0");
}

TEST_F(ObjectProperties, ASwitchOfKindShowsThePanelAndTheDialogsButtonOfTheNewKind)
{
    BindPlaced(placedDoor);
    ASSERT_TRUE(Window().PanelShown(KIND_DOOR));
    EXPECT_TRUE(Item(kDoorWorkingTime).visible);
    Item(ObjectPropertiesDlg::IDC_CLICKABLE).check = 0;
    Window().OnCommand(ObjectPropertiesDlg::IDC_CLICKABLE);
    struct Case
    {
        int kind;
        int field; // a control of the kind's panel
        bool dialogs;
    } cases[] = {{KIND_ITEM, kItemWeight, false},
                 {KIND_CHARACTER_A, 1243, true},
                 {KIND_CHARACTER_B, 1279, true},
                 {KIND_TOOL, 1278, false},
                 {KIND_CAR, 1261, false}};
    for (const Case& k : cases) {
        ChooseKind(k.kind);
        EXPECT_EQ(Window().Kind(), k.kind);
        EXPECT_TRUE(Item(k.field).visible) << k.kind;
        EXPECT_FALSE(Item(kDoorWorkingTime).visible) << k.kind;
        EXPECT_EQ(Item(ObjectPropertiesDlg::IDC_DIALOGS).visible, k.dialogs) << k.kind;
        const CKindData& data = *placedDoor->objectLogic->ownKindData;
        EXPECT_EQ(data.kind, k.kind);
        EXPECT_EQ(data.name, "Door");
        EXPECT_EQ(data.clickable, 0);
        EXPECT_EQ(placedDoor->objectLogic->ownConditions->kind, k.kind);
    }
    EXPECT_TRUE(Window().Modified());
    EXPECT_TRUE(Item(ObjectPropertiesDlg::IDC_RESET).enabled);
}

TEST_F(ObjectProperties, PanelFieldsReachTheirRecords)
{
    BindPlaced(placedDoor);
    ChooseKind(KIND_CHARACTER_A);
    Type(1223, "42");   // age
    Type(1243, "0.75"); // coolness
    Type(1150, "Cook"); // occupation
    Type(1225, "1.5");  // speed
    Item(1199).check = 1;
    Window().OnCommand(1199);
    const auto* state = dynamic_cast<const CCharacterAState*>(placedDoor->objectLogic->ownConditions.get());
    const auto* data = dynamic_cast<const CCharacterAKindData*>(placedDoor->objectLogic->ownKindData.get());
    ASSERT_TRUE(state && data);
    EXPECT_EQ(state->age, 42);
    EXPECT_FLOAT_EQ(state->coolness, 0.75f);
    EXPECT_EQ(state->attackable, 1);
    EXPECT_EQ(data->occupation, "Cook");
    EXPECT_FLOAT_EQ(WordAsFloat(data->speed), 1.5f);
    // A number that does not parse leaves the field alone.
    Type(1223, "old");
    EXPECT_EQ(state->age, 42);

    ChooseKind(KIND_WINDOW);
    Item(1315).selection = 2; // material: steel
    Window().OnCommand(1315);
    Item(1266).check = 1; // locked
    Window().OnCommand(1266);
    const auto* passage = dynamic_cast<const CPassageState*>(placedDoor->objectLogic->ownConditions.get());
    ASSERT_TRUE(passage);
    EXPECT_EQ(placedDoor->objectLogic->ownKindData->Values()[1], 2u);
    EXPECT_EQ(passage->locked, 1);
}

TEST_F(ObjectProperties, DestroyingTheShownObjectOrModelLeavesTheWindowUnbound)
{
    BindPlaced(placedChair);
    Type(kItemWeight, "7");
    placedChair->DeleteWithChildren();
    EXPECT_EQ(Window().WorldNode(), nullptr);
    EXPECT_EQ(Window().Logic(), nullptr);
    EXPECT_EQ(Window().Caption(), "Properties");
    // Binding the next object touches nothing of the destroyed one.
    BindPlaced(placedDoor);
    EXPECT_EQ(Window().Kind(), KIND_DOOR);

    Window().SetObject(door->objectLogic, nullptr, door);
    placedDoor->DeleteWithChildren();
    delete door;
    EXPECT_EQ(Window().Model(), nullptr);
    EXPECT_EQ(Window().Caption(), "Properties");
}

} // namespace
