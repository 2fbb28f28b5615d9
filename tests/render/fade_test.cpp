// The screen fade over a frame, and the menu quad and its keyframe tracks that
// the fade and the interface draw with.
#include <gtest/gtest.h>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/interface/CMenuQuad.h"
#include "GAMES/Rulo2/render/CScreenFade.h"
#include "GAMES/Rulo2/render/OffscreenView.h"

namespace {

class FadeOverFrame : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(OpenOffscreenView(160, 120)); }
    void TearDown() override { CloseOffscreenView(); }
    uint32_t Centre()
    {
        uint32_t c = 0;
        EXPECT_TRUE(DX.backSurface->ReadPixel(80, 60, &c));
        return c & 0xFFFFFF;
    }
    void Frame(int32_t time)
    {
        FrameTimeMs = time;
        DX.device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
        DX.device->BeginScene();
        ScreenFade.Update();
        DX.device->EndScene();
    }
};

const float kWhite[4] = {1, 1, 1, 1};
const float kClearWhite[4] = {1, 1, 1, 0};

} // namespace

TEST_F(FadeOverFrame, WhiteFadesOutOverItsDurationAndFinishesOnTheSecondEndFrame)
{
    ScreenFade = CScreenFade();
    FrameTimeMs = 1000;
    EXPECT_EQ(ScreenFade.Start(kWhite, kClearWhite, -1, true, 0), 0);
    ScreenFade.followUp = 4;
    EXPECT_EQ(ScreenFade.duration, 400);

    int followUpsRun = 0;
    auto step = [&](int32_t time) {
        Frame(time);
        if (ScreenFade.IsFinished() && ScreenFade.GetFollowUp() >= 1 && ScreenFade.GetFollowUp() <= 7) {
            ++followUpsRun;
            ScreenFade.followUp = 0; // the command ran; the game step clears or replaces it
        }
    };
    step(1000);
    EXPECT_EQ(Centre(), 0xFFFFFFu); // opaque white over the black frame
    step(1200);
    EXPECT_NEAR(ScreenFade.LastColour()[3], 0.5f, 1e-6f);
    EXPECT_NEAR(int(Centre() & 0xFF), 127, 2);
    EXPECT_FALSE(ScreenFade.IsFinished());
    step(1400); // first frame at the end colour
    EXPECT_EQ(ScreenFade.framesAtEnd, 1);
    EXPECT_FALSE(ScreenFade.IsFinished());
    EXPECT_EQ(followUpsRun, 0);
    EXPECT_EQ(Centre(), 0x000000u);
    step(1440); // second: finished, the follow-up runs once
    EXPECT_TRUE(ScreenFade.IsFinished());
    EXPECT_EQ(followUpsRun, 1);
    EXPECT_FALSE(ScreenFade.running);
    step(1480);
    EXPECT_EQ(followUpsRun, 1);
}

TEST_F(FadeOverFrame, ZeroDurationArrivesAtOnceAndDelayHoldsTheStartColour)
{
    ScreenFade = CScreenFade();
    FrameTimeMs = 0;
    ScreenFade.Start(kClearWhite, kWhite, 0, false, 0);
    Frame(0);
    EXPECT_EQ(ScreenFade.LastColour()[3], 1.0f);
    EXPECT_EQ(ScreenFade.framesAtEnd, 1);
    Frame(0);
    EXPECT_TRUE(ScreenFade.IsFinished());
    // Without stop-at-end the end colour keeps covering the screen.
    Frame(5000);
    EXPECT_TRUE(ScreenFade.running);
    EXPECT_EQ(Centre(), 0xFFFFFFu);

    ScreenFade.Start(kWhite, kClearWhite, 400, true, 3);
    for (int frame = 0; frame < 3; ++frame) {
        Frame(100 * (frame + 1));
        EXPECT_EQ(ScreenFade.LastColour()[3], 1.0f) << frame;
    }
    Frame(500);
    EXPECT_NEAR(ScreenFade.LastColour()[3], 0.5f, 1e-6f);
}

TEST(MenuQuadTrack, KeysIntervalsKindsAndTextures)
{
    CMenu menu;
    CMenuQuad quad(&menu);
    auto* track = new CQuadTrack(&menu);
    track->name = "start";
    QuadKey a, b;
    for (int i = 0; i < 4; ++i) {
        a.vertices[i].x = 0;
        b.vertices[i].x = 1;
    }
    CTexture* texA = reinterpret_cast<CTexture*>(0x10);
    CTexture* texB = reinterpret_cast<CTexture*>(0x20);
    a.texture = texA;
    b.texture = texB;
    track->AddKey(0, a, 0);
    track->AddKey(400, b, 4);
    track->AddKey(800, a, 3);
    track->loop = 1;
    quad.AddTrack(track);
    track->Release();
    EXPECT_EQ(track->RefCount(), 1);

    EXPECT_EQ(quad.PlayTrack("START"), 0);
    auto at = [&](int32_t t) {
        menu.time = t;
        track->Evaluate(t, &quad.key);
        return quad.key.vertices[2].x;
    };
    EXPECT_FLOAT_EQ(at(0), 0.0f);
    EXPECT_FLOAT_EQ(at(200), 0.5f);
    EXPECT_EQ(quad.key.texture, texA);
    EXPECT_FLOAT_EQ(at(400), 1.0f); // the earlier interval ends here
    EXPECT_EQ(quad.key.texture, texB);
    EXPECT_FLOAT_EQ(at(600), 0.0f); // kind 4 jumps to the later key at once
    EXPECT_FLOAT_EQ(at(800), 0.0f);
    // Past the last key: the last key applies (its texture only with the byte set), then it restarts.
    at(801);
    EXPECT_EQ(track->start, 801);
    EXPECT_FALSE(track->IsFinished());
    EXPECT_FLOAT_EQ(at(801 + 200), 0.5f);

    // Playing the current track again does not restart it.
    menu.time = 5000;
    EXPECT_EQ(quad.PlayTrack("start"), 0);
    EXPECT_EQ(track->start, 801);
    EXPECT_EQ(quad.PlayTrack("none"), -1);
    EXPECT_EQ(quad.PlayTrack("start"), 0);
    EXPECT_EQ(track->start, 5000);
}

TEST(MenuQuadTrack, HitTestsAndVertexGuards)
{
    CMenu menu;
    CMenuQuad quad(&menu);
    quad.SetGeometry({-0.5f, -0.5f}, {0.5f, 0.5f}, {1, 1, 1, 1});
    const CMenuElement::Point edge{0.5f, -0.5f}, outside{0.6f, 0};
    EXPECT_FALSE(quad.HitTest(&edge)); // not selectable
    quad.selectable = 1;
    EXPECT_TRUE(quad.HitTest(&edge));
    EXPECT_FALSE(quad.HitTest(&outside));
    quad.active = 1;
    EXPECT_FALSE(quad.HitTest(&edge));
    quad.active = 0;
    quad.SetState(0);
    EXPECT_FALSE(quad.HitTest(&edge));

    const QuadKey before = quad.key;
    quad.SetVertex(4, MenuVertex{9, 9, 9, 9, 9, 9, 9, 9});
    quad.SetVertex(-1, MenuVertex{9, 9, 9, 9, 9, 9, 9, 9});
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(quad.key.vertices[i].x, before.vertices[i].x);

    // Hover edges: highlighted, highlighted, normal.
    quad.SetState(1);
    quad.DrawHighlighted(0);
    EXPECT_TRUE(quad.hoverStarted);
    quad.DrawHighlighted(0);
    EXPECT_FALSE(quad.hoverStarted);
    quad.DrawNormal(0);
    EXPECT_TRUE(quad.hoverEnded);
}

TEST_F(FadeOverFrame, QuadDepthsBlendChoiceAndHighlightGrowth)
{
    CMenu menu;
    CMenuQuad quad(&menu);
    quad.SetGeometry({-0.5f, -0.5f}, {0.5f, 0.5f}, {0.5f, 0.5f, 0.5f, 1.0f});
    DX.device->recordCalls = true;
    auto sourceBlends = [&] {
        std::vector<uint32_t> values;
        for (const D3DCall& c : DX.device->calls)
            if (c.kind == D3DCallKind::RenderState && c.a == D3DRENDERSTATE_SRCBLEND)
                values.push_back(c.b);
        return values;
    };
    DX.device->calls.clear();
    quad.DrawNormal(0);
    EXPECT_EQ(quad.drawBuffer[0].sz, 0.5f); // unset depth
    // Depth pass (zero), then the opaque colour pass (one).
    EXPECT_EQ(sourceBlends(), (std::vector<uint32_t>{D3DBLEND_ZERO, D3DBLEND_ONE}));
    quad.SetColor({0.5f, 0.5f, 0.5f, 0.99f});
    DX.device->calls.clear();
    quad.DrawNormal(0);
    EXPECT_EQ(sourceBlends(), (std::vector<uint32_t>{D3DBLEND_ZERO, D3DBLEND_SRCALPHA}));

    // Untextured and highlighted without a track: brighter by 0.1 every frame, drawn clamped.
    quad.SetColor({0.95f, 0.5f, 0.5f, 1.0f});
    quad.DrawHighlighted(0);
    quad.DrawHighlighted(0);
    EXPECT_NEAR(quad.key.vertices[0].r, 1.15f, 1e-5f);
    EXPECT_EQ(quad.drawBuffer[0].diffuse, 0xFFFFB2B2u);
    // Colours draw clamped to 0..1.
    quad.z = 0.3f;
    quad.DrawActive(0);
    EXPECT_EQ(quad.drawBuffer[0].sz, 0.3f);
    EXPECT_EQ(quad.drawBuffer[0].diffuse, 0xFF7F7F7Fu);
    EXPECT_NEAR(quad.key.vertices[0].r, 1.15f, 1e-5f); // the pressed look is not kept
    DX.device->recordCalls = false;
}

TEST(MenuQuadTrack, PanelFadesInAsAGradient)
{
    CMenu menu;
    auto* panel = new CMenuPanel(&menu);
    EXPECT_EQ(panel->type, CMenuElement::TYPE_PANEL);
    panel->Setup({-0.5f, -0.5f}, {0.5f, 0.5f});
    menu.AddElement(panel);
    panel->Release(); // the menu holds it now
    menu.time = 1000;
    ASSERT_EQ(panel->PlayTrack("start"), 0);
    panel->CurrentTrack()->Evaluate(1000, &panel->key);
    EXPECT_EQ(panel->key.vertices[2].a, 0.0f);
    panel->CurrentTrack()->Evaluate(1150, &panel->key);
    EXPECT_NEAR(panel->key.vertices[2].a, 0.5f, 1e-5f); // kind 3 is half-way at the middle
    panel->CurrentTrack()->Evaluate(1300, &panel->key);
    EXPECT_FLOAT_EQ(panel->key.vertices[0].a, 0.5f);
    EXPECT_FLOAT_EQ(panel->key.vertices[1].a, 0.75f);
    EXPECT_FLOAT_EQ(panel->key.vertices[2].a, 1.0f);
    EXPECT_FLOAT_EQ(panel->key.vertices[2].b, 0.4f);
    EXPECT_FLOAT_EQ(panel->key.vertices[3].r, 0.2f);
    menu.time = 1301;
    EXPECT_TRUE(panel->CurrentTrack()->IsFinished());
}
