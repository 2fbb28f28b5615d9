// The Object Editor's keys on an object with two actions over a model whose
// animation runs from 0 to 10.
#include "GAMES/Rulo2/app/CGameSoundManager.h"
#include "GAMES/Rulo2/app/CameraViews.h"
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/editor/EditorDialogs.h"
#include "GAMES/Rulo2/editor/ObjectEditorKeys.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "tests/editor/EditorWindowsFixture.h"

#include <cstring>

namespace {

using platform::ui::DialogAnswer;
using platform::ui::QueueDialogAnswer;
using namespace platform;

float Time(const SStateAttachment& e)
{
    float t;
    std::memcpy(&t, &e.value, sizeof t);
    return t;
}

class ObjectEditor : public editortest::EditorWindowsTest
{
protected:
    void SetUp() override
    {
        EditorWindowsTest::SetUp();
        setenv("VAREK_NONINTERACTIVE", "1", 1);
        platform::ui::ClearDialogAnswers();
        sounds = SoundNames;
        tile->model->animationStart = 0.0f;
        tile->model->animationEnd = 10.0f;
        object = Definition("Door", 7);
        walk = object->AddState("WALK");
        open = object->AddState("OPEN");
        for (CObjectState* s : {walk, open}) {
            s->modelEntry = tile;
            s->animStart = 2.0f;
            s->animEnd = 4.0f;
        }
        CurrentObject = object;
        CurrentState = walk;
        ObjectEditorField = 0;
        ObjectEditorEvent = -1;
        SelectView(VIEW_OBJECT_EDITOR);
    }
    void TearDown() override
    {
        SoundNames = sounds;
        CurrentObject = nullptr;
        CurrentState = nullptr;
        SelectView(VIEW_PERSPECTIVE);
        platform::ui::ClearDialogAnswers();
        EditorWindowsTest::TearDown();
    }
    static bool Key(int key, bool ctrl = false, bool shift = false)
    {
        return ObjectEditorKey(key, ctrl, shift);
    }
    static void Field(int field) { ObjectEditorField = field; }

    std::vector<std::string> sounds;
    CObjectNode* object = nullptr;
    CObjectState* walk = nullptr;
    CObjectState* open = nullptr;
};

TEST_F(ObjectEditor, TheArrowsChooseTheFieldAndTheActionWhichWraps)
{
    GameClock.gameClock = 5000;
    EXPECT_TRUE(Key(VK_RIGHT));
    EXPECT_EQ(CurrentState, open);
    EXPECT_EQ(ObjectEditorTime, 5000);
    Key(VK_RIGHT);
    EXPECT_EQ(CurrentState, walk);
    Key(VK_LEFT);
    EXPECT_EQ(CurrentState, open);
    Key(VK_UP);
    EXPECT_EQ(ObjectEditorField, 0);
    for (int i = 0; i < 7; ++i)
        Key(VK_DOWN);
    EXPECT_EQ(ObjectEditorField, 5);
    Key(VK_UP);
    EXPECT_EQ(ObjectEditorField, 4);

    // Other views, or no action, leave the keys alone.
    SelectView(VIEW_MODEL);
    EXPECT_FALSE(Key(VK_DOWN));
    SelectView(VIEW_OBJECT_EDITOR);
    CurrentState = nullptr;
    EXPECT_FALSE(Key(VK_DOWN));
}

TEST_F(ObjectEditor, StartEndCountAndPositionStayWithinTheirLimits)
{
    const struct
    {
        int field, key;
        bool shift;
        float start, end, position;
        int count;
    } steps[] = {
        {1, VK_RIGHT, false, 2.01f, 4, -100, 0}, {1, VK_LEFT, true, 1.91f, 4, -100, 0},
        {1, VK_NEXT, false, 2.91f, 4, -100, 0},  {1, VK_NEXT, false, 3.91f, 4, -100, 0},
        {1, VK_NEXT, false, 4, 4, -100, 0},      {1, VK_HOME, false, 0, 4, -100, 0},
        {1, VK_PRIOR, false, 0, 4, -100, 0},     {2, VK_NEXT, false, 0, 5, -100, 0},
        {2, VK_END, false, 0, 10, -100, 0},      {2, VK_RIGHT, true, 0, 10, -100, 0},
        {1, VK_END, false, 10, 10, -100, 0},     {2, VK_HOME, false, 10, 10, -100, 0},
        {1, VK_HOME, false, 0, 10, -100, 0},     {3, VK_RIGHT, true, 0, 10, -100, 10},
        {3, VK_LEFT, false, 0, 10, -100, 9},     {3, VK_LEFT, true, 0, 10, -100, 0},
        {4, VK_RIGHT, false, 0, 10, 0, 0},       {4, VK_RIGHT, true, 0, 10, 0.1f, 0},
        {4, VK_LEFT, true, 0, 10, 0, 0},         {4, VK_LEFT, false, 0, 10, -100, 0},
        {4, VK_END, false, 0, 10, 10, 0},        {4, VK_NEXT, false, 0, 10, 10, 0},
        {4, VK_PRIOR, false, 0, 10, 9, 0},       {4, VK_HOME, false, 0, 10, 0, 0},
    };
    int n = 0;
    for (const auto& s : steps) {
        Field(s.field);
        Key(s.key, false, s.shift);
        EXPECT_NEAR(walk->animStart, s.start, 1e-4f) << n;
        EXPECT_NEAR(walk->animEnd, s.end, 1e-4f) << n;
        EXPECT_NEAR(walk->value, s.position, 1e-4f) << n;
        EXPECT_EQ(walk->animSpeed, s.count) << n;
        ++n;
    }
}

TEST_F(ObjectEditor, EnterInTheEventListAppendsTheChosenSoundAtTheActionsStart)
{
    Field(5);
    SoundNames = {"STEPS", "DOOR_CREAK"};
    QueueDialogAnswer(DialogAnswer{AddSoundFxDlg::IDD, {{AddSoundFxDlg::kName, "#1"}}, platform::ui::IDOK});
    EXPECT_TRUE(Key(VK_RETURN));
    ASSERT_EQ(walk->attachments.size(), 1u);
    EXPECT_STREQ(walk->attachments[0].name, "DOOR_CREAK");
    EXPECT_EQ(Time(walk->attachments[0]), 2.0f);
    EXPECT_EQ(ObjectEditorEvent, 0);
    QueueDialogAnswer(DialogAnswer{AddSoundFxDlg::IDD, {}, platform::ui::IDOK});
    Key(VK_RETURN);
    ASSERT_EQ(walk->attachments.size(), 2u);
    EXPECT_STREQ(walk->attachments[1].name, "STEPS");
    EXPECT_EQ(ObjectEditorEvent, 1);
    QueueDialogAnswer(DialogAnswer{AddSoundFxDlg::IDD, {}, platform::ui::IDCANCEL});
    Key(VK_RETURN);
    EXPECT_EQ(walk->attachments.size(), 2u);

    // Ctrl+arrows choose the event, plain arrows move its time within start and end.
    Key(VK_LEFT, true);
    EXPECT_EQ(ObjectEditorEvent, 0);
    Key(VK_LEFT, true);
    EXPECT_EQ(ObjectEditorEvent, 0);
    Key(VK_RIGHT, false, true);
    EXPECT_NEAR(Time(walk->attachments[0]), 2.1f, 1e-5f);
    for (int i = 0; i < 30; ++i)
        Key(VK_RIGHT, false, true);
    EXPECT_EQ(Time(walk->attachments[0]), 4.0f);
    Key(VK_DELETE);
    ASSERT_EQ(walk->attachments.size(), 1u);
    EXPECT_STREQ(walk->attachments[0].name, "STEPS");
    Key(VK_DELETE);
    EXPECT_TRUE(walk->attachments.empty());
    EXPECT_EQ(ObjectEditorEvent, -1);
    Key(VK_DELETE);
}

TEST_F(ObjectEditor, WithoutSoundDefinitionsEnterAddsNoEvent)
{
    Field(5);
    SoundNames.clear();
    QueueDialogAnswer(DialogAnswer{AddSoundFxDlg::IDD, {}, platform::ui::IDOK});
    EXPECT_TRUE(Key(VK_RETURN));
    EXPECT_TRUE(walk->attachments.empty());
    EXPECT_EQ(ObjectEditorEvent, -1);
}

} // namespace
