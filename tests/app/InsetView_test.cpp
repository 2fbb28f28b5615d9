#include "GAMES/Rulo2/app/InsetView.h"

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/app/CameraViews.h"
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/app/GameStep.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/CTaskList.h"
#include "GAMES/Rulo2/behaviour/CTaskParam.h"
#include "GAMES/Rulo2/behaviour/Feedback.h"
#include "GAMES/Rulo2/render/CGameCamera.h"
#include "GAMES/Rulo2/render/FramePasses.h"
#include "GAMES/Rulo2/render/OffscreenView.h"
#include "GAMES/Rulo2/render/UiSurfaces.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/GamePasses.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>

namespace {

int32_t presented = 0;

bool CountPresent()
{
    ++presented;
    return true;
}

uint32_t Pixel(IDirectDrawSurface7* surface, int x, int y)
{
    uint32_t c = 0;
    EXPECT_TRUE(surface->ReadPixel(x, y, &c));
    return c & 0xFFFFFF;
}

void SetFog(int16_t r, int16_t g, int16_t b)
{
    CurrentFogColor[0] = r, CurrentFogColor[1] = g, CurrentFogColor[2] = b;
}

// The game step on a 300 x 240 view without a world: every frame clears to the fog colour, so the
// colour of the frame that rendered the inset tells its picture from the live view.
class InsetFrames : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(OpenOffscreenView(300, 240));
        savedHooks = StepHooks;
        StepHooks = GameStepHooks();
        StepHooks.presentFrame = CountPresent;
        for (int i = 0; i < 3; ++i)
            savedFog[i] = CurrentFogColor[i];
        CurrentView = &CameraViews[VIEW_GAME];
        InterfaceMode = 2;
        RecordState = RECORD_NORMAL;
        Input = InputState();
        Input.cursorX = 150, Input.cursorY = 120;
        presented = 0;
        // An alarm system naming a and b (its parameters are taken last to first).
        logic.ownTaskList = std::make_unique<CTaskList>();
        auto task = std::make_unique<CTaskItem>(0, 14);
        for (CWorldObject* o : {&b, &a}) {
            task->AddParameter(PARAM_OBJECT);
            static_cast<CObjectRefParam&>(*task->parameters.back()).Set(o);
        }
        logic.ownTaskList->AddTask(std::move(task));
        panel.objectLogic = &logic;
    }
    void TearDown() override
    {
        ReleaseInsetView();
        GameCamera.SetThumbnailObject(nullptr);
        panel.objectLogic = nullptr;
        PointedObject = nullptr;
        PickedObject = nullptr;
        GamePhase = PHASE_REALTIME;
        InterfaceMode = 1;
        AlarmRaised = 0;
        ObjectLogicTable.clear();
        StepHooks = savedHooks;
        for (int i = 0; i < 3; ++i)
            CurrentFogColor[i] = savedFog[i];
        CloseOffscreenView();
    }
    // One step at frame time `now` with `pointed` under the cursor as the last frame left it.
    void Step(uint32_t now, CWorldObject* pointed)
    {
        GameClock.frameTime = now;
        PointedObject = pointed;
        ASSERT_TRUE(GameFrame());
    }

    GameStepHooks savedHooks;
    int16_t savedFog[3] = {};
    CWorldObject a, b, panel;
    CObjectLogic logic;
    // Inside the inset (7..107 x 6..86 in this view) away from its label, and outside it.
    const int inX = 20, inY = 20, outX = 200, outY = 200;
    // The middle of the label, in the inset picture.
    const int labelX = 50, labelY = 75;
};

// In PLANNING the picked object's inset is rendered in a frame of its own that is not presented,
// shows from 300 ms after in the view's top-left corner, moves on to the next object after two
// seconds and goes when nothing is picked.
TEST_F(InsetFrames, PlanningShowsThePickedObjectsObjectsInTurnInTheCorner)
{
    GamePhase = PHASE_PLANNING;
    const SViewRect r = InsetPixels(300, 240);
    EXPECT_EQ(r.left, 7);
    EXPECT_EQ(r.top, 6);
    EXPECT_EQ(r.right - r.left, 100) << "a third of the view";
    EXPECT_EQ(r.bottom - r.top, 80);

    a.flags = 0x10;
    SetFog(0, 255, 0);
    Step(1000, &panel);
    EXPECT_EQ(presented, 0) << "the inset's frame is not presented";
    EXPECT_EQ(InsetViewState, 2);
    EXPECT_EQ(InsetObject, &panel);
    EXPECT_EQ(Preview.target, &a);
    EXPECT_EQ(GameCamera.thumbnailObject, &a) << "the camera is asked to frame the shown object";
    EXPECT_EQ(PointedObject, &panel) << "the candidate is the inset's object again";
    EXPECT_EQ(InsetSavedFlags, 0x10);
    EXPECT_EQ(a.flags, 0x10) << "the shown object's flags are put back";
    ASSERT_NE(PreviewSurface, nullptr);
    EXPECT_EQ(Pixel(PreviewSurface, 5, 5), 0x00FF00u) << "the inset frame's picture";
    EXPECT_NE(Pixel(PreviewSurface, labelX, labelY), 0x00FF00u) << "the label 1/2 lies on the picture";
    EXPECT_TRUE(WorldViewRect.IsEmpty()) << "the next frames draw the whole view";

    SetFog(255, 0, 0);
    Step(1040, &panel);
    EXPECT_EQ(presented, 1);
    EXPECT_EQ(Pixel(DX.backSurface, inX, inY), 0xFF0000u) << "not yet 300 ms";
    Step(1300, &panel);
    EXPECT_EQ(presented, 2);
    EXPECT_EQ(Pixel(DX.backSurface, inX, inY), 0x00FF00u) << "the inset picture in its corner";
    EXPECT_EQ(Pixel(DX.backSurface, outX, outY), 0xFF0000u) << "the live view around it";

    // Two seconds on, the second object.
    SetFog(0, 0, 255);
    Step(3299, &panel);
    EXPECT_EQ(presented, 3);
    Step(3300, &panel);
    EXPECT_EQ(presented, 3);
    EXPECT_EQ(Preview.target, &b);
    EXPECT_EQ(Pixel(PreviewSurface, 5, 5), 0x0000FFu);

    // Nothing picked: the inset goes.
    Step(3340, nullptr);
    EXPECT_EQ(presented, 4);
    EXPECT_EQ(InsetViewState, 0);
    EXPECT_EQ(InsetObject, nullptr);
    EXPECT_EQ(PreviewSurface, nullptr);
    EXPECT_EQ(Pixel(DX.backSurface, inX, inY), 0x0000FFu);

    // An object that names nothing shows no inset; nor does picking outside PLANNING.
    Step(3380, &a);
    EXPECT_EQ(InsetViewState, 0);
    GamePhase = PHASE_REALTIME;
    Step(3420, &panel);
    EXPECT_EQ(InsetViewState, 0);
    EXPECT_EQ(presented, 6);
}

// In BURGLARY the object that raised the alarm is shown, without a label; a modal screen takes the
// inset away.
TEST_F(InsetFrames, TheAlarmsObjectIsShownWithoutALabelUntilAModalScreenOpens)
{
    GamePhase = PHASE_BURGLARY;
    ObjectLogicTable = {nullptr, &a};
    AlarmRaised = 1;
    AlarmSource = 1;
    SetFog(0, 255, 0);
    Step(1000, nullptr);
    EXPECT_EQ(presented, 0);
    EXPECT_EQ(InsetObject, &a);
    EXPECT_EQ(Preview.target, &a);
    ASSERT_NE(PreviewSurface, nullptr);
    EXPECT_EQ(Pixel(PreviewSurface, labelX, labelY), 0x00FF00u) << "no label under the alarm";
    Step(1040, nullptr);
    Step(1400, nullptr);
    EXPECT_EQ(presented, 2) << "prepared once";
    EXPECT_EQ(Pixel(DX.backSurface, inX, inY), 0x00FF00u);

    InterfaceMode = 0;
    Step(1440, nullptr);
    EXPECT_EQ(InsetViewState, 0);
    EXPECT_EQ(PreviewSurface, nullptr);
}

// A new framing while the view still frames the last object first puts the player's view back,
// so the camera returns to it and not to the other object's view.
TEST(InsetCamera, AFramingOverAnotherFramingReturnsToThePlayersView)
{
    CGameCamera cam;
    CWorldObject one, two;
    one.position = CVector(5, 0, 5);
    two.position = CVector(-5, 0, -5);
    cam.lookAt = CVector(1, 2, 3);
    cam.SetThumbnailObject(&one);
    cam.Update(0);
    EXPECT_EQ(cam.lookAt.x, 5.0f);
    cam.SetThumbnailObject(&two);
    EXPECT_EQ(cam.lookAt.x, 1.0f) << "the player's view is back";
    cam.Update(0);
    EXPECT_EQ(cam.lookAt.x, -5.0f);
    cam.Update(0);
    EXPECT_EQ(cam.lookAt.x, 1.0f);
    EXPECT_EQ(cam.lookAt.z, 3.0f);
}

} // namespace
