// The statistics overlay's texts and drawing, the background capture slots and
// the preview cycle of the interface surfaces.
#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/CTaskList.h"
#include "GAMES/Rulo2/behaviour/CTaskParam.h"
#include "GAMES/Rulo2/render/CGameCamera.h"
#include "GAMES/Rulo2/render/OffscreenView.h"
#include "GAMES/Rulo2/render/Overlays.h"
#include "GAMES/Rulo2/render/UiSurfaces.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/HouseFloors.h"

TEST(StatisticsTexts, FrameRateClockAndWords)
{
    const struct
    {
        float rate;
        const char* text;
    } rates[] = {{0.0f, "Framerate: 0"},
                 {0.5f, "Framerate: 0.50"},
                 {9.87f, "Framerate: 9.9"},
                 {25.4f, "Framerate: 25"},
                 {10.0f, "Framerate: 10"}};
    for (const auto& r : rates)
        EXPECT_EQ(FormatFrameRate(r.rate), r.text) << r.rate;
    EXPECT_EQ(FormatGameClock(3723450), " 1:02.03");
    EXPECT_EQ(FormatGameClock(86399999), "23:59.59");
    EXPECT_STREQ(RecordStateWord(7), "UNDEFINFED");
    EXPECT_STREQ(RecordStateWord(2), "REPLAY");
    EXPECT_STREQ(GamePhaseWord(2), "BURGLARY");
    EXPECT_STREQ(GamePhaseWord(-1), "UNDEFINFED");
}

namespace {

class OnBackSurface : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(OpenOffscreenView(320, 240)); }
    void TearDown() override
    {
        ReleaseUiSurfaces();
        Preview = SPreviewState();
        GamePhase = PHASE_REALTIME;
        CharacterBarsOff[0] = CharacterBarsOff[1] = 0;
        CloseOffscreenView();
    }
    int BrightPixels(int x0, int y0, int x1, int y1)
    {
        DDSURFACEDESC2 d;
        EXPECT_EQ(DX.backSurface->Lock(nullptr, &d, DDLOCK_WAIT | DDLOCK_READONLY, nullptr), DD_OK);
        int n = 0;
        const int bytes = int(d.ddpfPixelFormat.dwRGBBitCount / 8);
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                n += (D3DReadARGB(d.ddpfPixelFormat,
                                  static_cast<uint8_t*>(d.lpSurface) + y * d.lPitch + x * bytes) &
                      0xFF) > 0x80;
        DX.backSurface->Unlock(nullptr);
        return n;
    }
    void Black() { DX.device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0); }
};

} // namespace

TEST_F(OnBackSurface, StatisticsAreWrittenOnlyWhenSwitchedOn)
{
    SStatisticsInput in;
    in.frameRate = 25.0f;
    Black();
    DrawStatistics(in);
    EXPECT_EQ(BrightPixels(0, 0, 320, 240), 0);

    in.statisticsOn = 1;
    in.hudIsCurrent = 1;
    std::vector<SOverlayLine> lines;
    BuildStatisticsLines(in, lines);
    ASSERT_GE(lines.size(), 15u);
    EXPECT_EQ(lines[0].text, "320x240x" + std::to_string(DX.screenDepth));
    EXPECT_EQ(lines[1].y, 15);
    EXPECT_EQ(lines.back().text, "NORMAL"); // record state 0; no path finished
    Black();
    DrawStatistics(in);
    EXPECT_GT(BrightPixels(0, 0, 120, 30), 20);   // the left column
    EXPECT_GT(BrightPixels(250, 0, 320, 15), 5);  // the clock, right-aligned
    EXPECT_EQ(BrightPixels(0, 200, 320, 240), 0); // nothing below the lines
}

TEST_F(OnBackSurface, BackgroundSlotsCaptureOnceAndAreReused)
{
    GetUiSurface(0);
    ASSERT_NE(UiSlots[0], nullptr);
    EXPECT_EQ(ViewFreeze, 1);
    DX.device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00u, 1.0f, 0);
    CaptureBackground();
    EXPECT_EQ(ViewFreeze, 2);
    uint32_t c = 0;
    ASSERT_TRUE(UiSlots[0]->ReadPixel(10, 10, &c));
    EXPECT_EQ(c & 0xFFFFFF, 0x00FF00u);

    // The frozen picture stands in for the world on the back surface; the cursor image is drawn
    // over it only without a hardware cursor.
    DX.device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF0000u, 1.0f, 0);
    ShowFrozenView();
    ASSERT_TRUE(DX.backSurface->ReadPixel(10, 10, &c));
    EXPECT_EQ(c & 0xFFFFFF, 0x00FF00u);
    CursorSurface = UiSlots[0];
    DX.device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF0000u, 1.0f, 0);
    DrawCursorImage(100, 100);
    ASSERT_TRUE(DX.backSurface->ReadPixel(110, 110, &c));
    EXPECT_EQ(c & 0xFFFFFF, 0xFF0000u) << "the window system draws the pointer";
    HardwareCursor = false;
    DrawCursorImage(100, 100);
    ASSERT_TRUE(DX.backSurface->ReadPixel(99, 99, &c));
    EXPECT_EQ(c & 0xFFFFFF, 0xFF0000u);
    ASSERT_TRUE(DX.backSurface->ReadPixel(110, 110, &c));
    EXPECT_EQ(c & 0xFFFFFF, 0x00FF00u);
    HardwareCursor = true;
    CursorSurface = nullptr;

    ClearViewRequest();
    GetUiSurface(0); // the picture is reused
    EXPECT_EQ(ViewFreeze, 2);
    ReleaseUiSurface(1); // not the current slot
    EXPECT_EQ(ViewFreeze, 2);
    ReleaseUiSurface(0);
    EXPECT_EQ(ViewFreeze, 0);
    EXPECT_EQ(UiSlots[0], nullptr);
}

// A task of the type naming the objects as its object parameters, after a parameter of another type.
void AddTask(CTaskList& list, int32_t start, int32_t type, std::initializer_list<CWorldObject*> objects)
{
    auto task = std::make_unique<CTaskItem>(start, type);
    task->AddParameter(PARAM_NUMBER);
    for (CWorldObject* o : objects) {
        task->AddParameter(PARAM_OBJECT);
        static_cast<CObjectRefParam&>(*task->parameters.back()).Set(o);
    }
    list.AddTask(std::move(task));
}

TEST_F(OnBackSurface, PreviewCyclesThroughItsObjectsEveryTwoSeconds)
{
    static CWorldObject a, b, c, source;
    // The source's behaviour: an alarm system whose parameters are taken last to first.
    CObjectLogic logic;
    logic.ownTaskList = std::make_unique<CTaskList>();
    AddTask(*logic.ownTaskList, 0, 14, {&c, &b, &a});
    source.objectLogic = &logic;
    UpdatePreviewCycle(&source, 1000);
    ASSERT_NE(PreviewSurface, nullptr);
    DDSURFACEDESC2 d;
    PreviewSurface->GetSurfaceDesc(&d);
    EXPECT_EQ(d.dwWidth, 320u / 3);
    EXPECT_EQ(Preview.target, &a);
    EXPECT_EQ(GameCamera.thumbnailObject, &a) << "the camera frames the previewed object";
    const struct
    {
        int32_t now;
        CWorldObject* shown;
    } steps[] = {{3299, &a}, {3300, &b}, {5300, &c}, {7300, &a}, {9300, &b}};
    for (const auto& s : steps) {
        UpdatePreviewCycle(&source, s.now);
        EXPECT_EQ(Preview.target, s.shown) << s.now;
        EXPECT_EQ(GameCamera.thumbnailObject, s.shown) << s.now;
    }
    GameCamera.SetThumbnailObject(nullptr);
    SetPreviewTarget(&c, 10000);
    EXPECT_EQ(Preview.target, &c);
    EXPECT_EQ(Preview.list.size(), 1u);
    source.objectLogic = nullptr;
}

// The preview walks the source's whole tree of task lists: alarm-system (14) and remote-switch
// (64 to 68) tasks, last to first in each list, the first child list before the second; hidden
// objects and repeats are left out, and so is every other task type.
TEST_F(OnBackSurface, PreviewListComesFromTheAlarmAndRemoteTasksOfTheWholeTree)
{
    static CWorldObject a, b, c, d, e, hidden, other, source;
    hidden.flags = 2;
    // A definition's behaviour: a placed object without its own list previews from it.
    CObjectNode definition("Alarm");
    definition.objectLogic = new CObjectLogic;
    definition.objectLogic->ownTaskList = std::make_unique<CTaskList>();
    CTaskList& root = *definition.objectLogic->ownTaskList;
    CObjectLogic logic;
    logic.objectNode = &definition;
    AddTask(root, 0, 14, {&a, &b});
    AddTask(root, 1, 3, {&other});
    AddTask(root, 2, 65, {&hidden, &c});
    for (CWorldObject* child : {&d, &e}) {
        auto dependency = std::make_unique<CDependency>();
        AddTask(*dependency->childList, 0, 68, {child, &a});
        AddTask(*dependency->childList, 1, 63, {&other});
        root.AddDependency(std::move(dependency));
    }
    source.objectLogic = &logic;
    std::vector<CWorldObject*> list;
    CollectPreviewObjects(&source, list);
    EXPECT_EQ(list, (std::vector<CWorldObject*>{&c, &b, &a, &d, &e}));

    // A character previews nothing, nor does an object without behaviour.
    CObjectLogic character;
    character.ownKindData = CKindData::Create(KIND_CHARACTER_B);
    source.objectLogic = &character;
    list.clear();
    CollectPreviewObjects(&source, list);
    EXPECT_TRUE(list.empty());
    source.objectLogic = nullptr;
    CollectPreviewObjects(&source, list);
    EXPECT_TRUE(list.empty());
    UpdatePreviewCycle(&source, 0);
    EXPECT_EQ(Preview.on, 0);
    EXPECT_EQ(Preview.source, nullptr);

    // Outside REALTIME a character-bar flag holds the preview back.
    source.objectLogic = &logic;
    GamePhase = PHASE_PLANNING;
    CharacterBarsOff[1] = 1;
    UpdatePreviewCycle(&source, 0);
    EXPECT_EQ(Preview.source, nullptr);
    GamePhase = PHASE_REALTIME;
    UpdatePreviewCycle(&source, 0);
    EXPECT_EQ(Preview.target, &c);
    GameCamera.SetThumbnailObject(nullptr);
    source.objectLogic = nullptr;
}

TEST_F(OnBackSurface, ViewUpdateNeedsTheDeviceAndPresentsOverAnOverlay)
{
    DX.initialised = false;
    EXPECT_FALSE(UpdateViewRect());
    DX.initialised = true;
    const uint8_t windowed = WindowedFlag;
    WindowedFlag = 0;
    OverlayWindowVisible = [] { return true; };
    EXPECT_TRUE(UpdateViewRect());
    OverlayWindowVisible = nullptr;
    // A window mode without a main window gives no client size.
    WindowedFlag = 1;
    EXPECT_FALSE(UpdateViewRect());
    WindowedFlag = windowed;
}

TEST_F(OnBackSurface, ActionBubbleClampsOpensAndFindsTheHoveredSlice)
{
    ActionBubble = SActionBubble();
    ActionBubble.state = 2;
    ActionBubble.startTime = 1000;
    ActionBubble.anchor[0] = 0;
    ActionBubble.anchor[1] = 0;
    DrawActionBubble(false, nullptr, 1100, 0, 0);
    EXPECT_EQ(ActionBubble.frame, 0); // not the HUD: nothing happens

    DrawActionBubble(true, nullptr, 1100, 0, 0);
    EXPECT_EQ(ActionBubble.topLeft[0], -1);
    EXPECT_EQ(ActionBubble.topLeft[1], 0);
    EXPECT_EQ(ActionBubble.frame, 2);
    EXPECT_EQ(ActionBubble.state, 2);
    DrawActionBubble(true, nullptr, 1550, 0, 0);
    EXPECT_EQ(ActionBubble.frame, 10);
    EXPECT_EQ(ActionBubble.state, 3);

    // Open: the middle slice is nearest to (left + 61, top + 20).
    DrawActionBubble(true, nullptr, 2000, -1 + 61, 0 + 20);
    EXPECT_EQ(ActionBubble.hovered, 0);
    EXPECT_EQ(ActionBubble.startTime, 2000);
    DrawActionBubble(true, nullptr, 2120, -1 + 99, 30);
    EXPECT_EQ(ActionBubble.hovered, 2);
    DrawActionBubble(true, nullptr, 2170, 300, 200);
    EXPECT_EQ(ActionBubble.hovered, -1);

    // The figure grid: index 7 is column 2, row 1 of 5 x 3.
    ActionBubble.figure = 7;
    DrawActionBubble(true, nullptr, 2200, 0, 0);
    EXPECT_EQ(ActionBubble.anchor[0], 320 / 2);
    EXPECT_EQ(ActionBubble.anchor[1], int(320 * -0.06f) + 240 / 2);
}

TEST_F(OnBackSurface, ProgressBarsFillByTheirFraction)
{
    auto plain = [](uint32_t colour) {
        DDSURFACEDESC2 d;
        d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        d.dwWidth = 40;
        d.dwHeight = 6;
        d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
        IDirectDrawSurface7* s = nullptr;
        EXPECT_EQ(DX.directDraw->CreateSurface(&d, &s, nullptr), DD_OK);
        DDBLTFX fx;
        fx.dwFillColor = colour;
        s->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
        return s;
    };
    IDirectDrawSurface7* back = plain(0x00800000u);
    IDirectDrawSurface7* fill = plain(0x0000FF00u);
    D3DMATRIX view;
    for (int i = 0; i < 4; ++i)
        view.m[i][i] = 1.0f;
    view.m[3][2] = 5.0f; // the character 5 units ahead, in the middle of the view
    DX.device->SetTransform(D3DTRANSFORMSTATE_VIEW, &view);
    CWorldObject person;
    std::vector<SCharacterProgress> list{{&person, 0.5f}};
    Black();
    DrawObjectOverlays(list, back, fill, 0.0f);
    uint32_t left = 0, right = 0;
    // The bar sits above the projected point (160, 120), centred, clear of a label standing there
    // (16 pixels on a screen 240 high).
    ASSERT_TRUE(DX.backSurface->ReadPixel(145, 101, &left));
    ASSERT_TRUE(DX.backSurface->ReadPixel(175, 101, &right));
    EXPECT_EQ(left & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(right & 0xFFFFFF, 0x800000u);
    back->Release();
    fill->Release();
}

TEST_F(OnBackSurface, EditorViewsShowModelCountsTheStatePanelAndTheBand)
{
    SStatisticsInput in;
    in.viewName = "MODEL";
    in.modelView = 1;
    in.modelTriangles = 12;
    in.modelVertices = 8;
    in.modelTextureMemory = 2048;
    SStatisticsInput::StatePanel panel;
    panel.object = "Tresor";
    panel.state = "OPEN";
    panel.start = 0.5f;
    panel.startLength = 1.25f;
    panel.speed = 50;
    panel.sounds = {{"knarren", 0.25f}, {"klick", 1.0f}};
    in.statePanel = &panel;
    std::vector<SOverlayLine> lines;
    BuildStatisticsLines(in, lines);
    std::vector<std::string> texts;
    for (const SOverlayLine& l : lines)
        texts.push_back(l.text);
    const std::vector<std::string> expected = {"Triangles: 12",
                                               "Vertices: 8",
                                               "Texture-Memory: 2.00 KB",
                                               "'Tresor' (OPEN)",
                                               "start: 0.50s (1.25s)",
                                               "end: 0.00s (0.00s)",
                                               "speed: 50%",
                                               "event: not set",
                                               "sounds: knarren (0.25s) klick (1.00s)",
                                               "MODEL"};
    EXPECT_EQ(texts, expected);
    EXPECT_EQ(lines[3].y, 240 - 95);
    EXPECT_EQ(lines[8].y, 240 - 95 + 5 * 13);
    EXPECT_TRUE(lines.back().rightAligned);

    in.statePanel = nullptr;
    in.modelView = 0;
    in.viewName = nullptr;
    in.rubberBand = 1;
    in.bandStart[0] = 100;
    in.bandStart[1] = 100;
    in.bandEnd[0] = 140;
    in.bandEnd[1] = 120;
    Black();
    DrawStatistics(in);
    EXPECT_GT(BrightPixels(100, 100, 141, 101), 15); // the top edge, dotted
    EXPECT_EQ(BrightPixels(102, 102, 139, 119), 0);  // the inside stays
}

// With the HUD current the drawing itself gathers this frame's counts, at most every 500 ms of
// game clock; outside the HUD nothing is counted.
TEST_F(OnBackSurface, TheHudsStatisticsCountTheFramesVisibleObjects)
{
    CWorldObject house("house");
    house.objectKind = CWorldObject::KIND_MODEL;
    CRootNode model("model");
    model.triangleCount = 12;
    model.vertexCount = 24;
    VisibleObjects.clear();
    VisibleObjects.push_back(SVisibleEntry{&house, &model});
    WorldStatistics = SWorldStatistics();

    SStatisticsInput in;
    in.gameClock = 10000;
    DrawStatistics(in);
    EXPECT_EQ(WorldStatistics.triangles, 0) << "not the HUD";

    in.hudIsCurrent = 1;
    DrawStatistics(in);
    EXPECT_EQ(WorldStatistics.triangles, 12);
    EXPECT_EQ(WorldStatistics.vertices, 24);
    EXPECT_EQ(WorldStatistics.visibleModels, 1);

    VisibleObjects.push_back(SVisibleEntry{&house, &model});
    in.gameClock = 10500;
    DrawStatistics(in);
    EXPECT_EQ(WorldStatistics.triangles, 12) << "500 ms are not yet more than 500";
    in.gameClock = 10501;
    DrawStatistics(in);
    EXPECT_EQ(WorldStatistics.triangles, 24);
    VisibleObjects.clear();
}
