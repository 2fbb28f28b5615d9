// A test screen in the sample installation's interface images (a framed box, a
// text in the sample font, a slider and a check box), the name label of a
// character and a speech bubble, read back from the back surface where the
// layout puts them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/interface/CMenu.h"
#include "GAMES/Rulo2/interface/CMenuCheckBox.h"
#include "GAMES/Rulo2/interface/CMenuContainer.h"
#include "GAMES/Rulo2/interface/CMenuGlow.h"
#include "GAMES/Rulo2/interface/CMenuQuad.h"
#include "GAMES/Rulo2/interface/CMenuText.h"
#include "GAMES/Rulo2/interface/CTextTree.h"
#include "GAMES/Rulo2/interface/TextBubbles.h"
#include "GAMES/Rulo2/render/DeviceHelpers.h"
#include "GAMES/Rulo2/render/GameResources.h"
#include "GAMES/Rulo2/render/OffscreenView.h"
#include "GAMES/Rulo2/render/Overlays.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "platform/resources/Resources.h"
#include "tests/support/TestDevice.h"

namespace {

constexpr int W = 320, H = 240;

class InterfacePicture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        saved = platform::ResourceFolder();
        platform::SetResourceFolder(std::filesystem::path(VAREK_SAMPLE_DIR) / "resources");
        ASSERT_NO_FATAL_FAILURE(device.Open(W, H));
        ASSERT_EQ(DX.screenWidth, W);
        ASSERT_TRUE(LoadGameResources());
        ASSERT_NE(FontPage(0), nullptr);
        DX.device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
        DX.device->BeginScene();
    }
    void TearDown() override
    {
        FreeGameResources();
        device.Close();
        platform::SetResourceFolder(saved);
    }
    void Finish() { DX.device->EndScene(); }

    uint32_t Pixel(int x, int y)
    {
        uint32_t c = 0;
        EXPECT_TRUE(DX.backSurface->ReadPixel(x, y, &c));
        return c & 0xFFFFFF;
    }
    // Pixels of a rectangle (pixels, right and bottom excluded) that pass a test.
    int Count(int x0, int y0, int x1, int y1, const std::function<bool(int, int, int)>& test)
    {
        int n = 0;
        for (int y = std::max(0, y0); y < std::min(H, y1); ++y)
            for (int x = std::max(0, x0); x < std::min(W, x1); ++x) {
                const uint32_t c = Pixel(x, y);
                n += test(int(c >> 16), int(c >> 8 & 0xFF), int(c & 0xFF)) ? 1 : 0;
            }
        return n;
    }
    static bool Gold(int r, int g, int b) { return r > 180 && g > 130 && b < 60; }
    // The gold frame over black at the labels' alpha of 0.6.
    static bool DimGold(int r, int g, int b) { return r > 120 && g > 90 && b < 60 && r > g + 10; }
    static bool Yellow(int r, int g, int b) { return r > 150 && g > 150 && b < 90; }
    static bool Lit(int r, int g, int b) { return r + g + b > 60; }
    static int PX(float x) { return int((x + 1.0f) * (W / 2)); }
    static int PY(float y) { return int((y + 1.0f) * (H / 2)); }

    // A model entry whose model is one unit high (the caller deletes the entry).
    static CModelEntry* ModelOneHigh(const char* name)
    {
        auto* entry = new CModelEntry();
        entry->model = new CRootNode();
        entry->model->SetName(name);
        entry->model->boundsMax = CVector(0.2f, 1.0f, 0.2f);
        return entry;
    }
    // The object shows the entry's model; the camera looks along z from 5 units before the origin.
    static void Place(CWorldObject& object, CModelEntry* entry)
    {
        object.objectKind = CWorldObject::KIND_MODEL;
        object.reference = entry;
        D3DMATRIX view;
        for (int i = 0; i < 4; ++i)
            view.m[i][i] = 1.0f;
        view.m[3][2] = 5.0f;
        DX.device->SetTransform(D3DTRANSFORMSTATE_VIEW, &view);
    }

    std::filesystem::path saved;
    TestDevice device;
};

} // namespace

TEST_F(InterfacePicture, ScreenElementsLandWhereTheLayoutPutsThem)
{
    CMenu menu;
    auto* box = new CMenuGlow(&menu);
    box->Setup({-0.9f, -0.9f}, {0.1f, 0.1f, 0.1f, 1.0f}, {-0.1f, -0.1f}, {0.3f, 0.3f, 0.4f, 1.0f});
    box->PlayTrack("none");
    menu.AddElement(box);
    box->Release();
    const float metrics[4] = {0.07f, 0.09f, 0.06f, 0.1f};
    menu.AddText("HELLO", {-0.8f, -0.7f}, 0, metrics);
    auto* slider = static_cast<CMenuContainer*>(
        menu.Element(menu.AddContainer({0.1f, -0.8f}, {0.9f, -0.6f}, 0.0f, 1.0f, 5, 1, 0)));
    slider->value = 1.0f;
    slider->PlaceKnob(slider->knob);
    auto* check = static_cast<CMenuCheckBox*>(menu.Element(menu.AddCheckBox({0.3f, 0.3f}, {0.6f, 0.7f})));
    check->checked = 1;
    menu.Render(0);
    Finish();

    // The box: a gold frame line along its top edge, the dark body inside.
    EXPECT_GT(Count(PX(-0.85f), PY(-0.9f), PX(-0.15f), PY(-0.9f) + 2, Gold), 30);
    EXPECT_FALSE(Gold(int(Pixel(PX(-0.5f), PY(-0.2f)) >> 16), int(Pixel(PX(-0.5f), PY(-0.2f)) >> 8 & 0xFF),
                      int(Pixel(PX(-0.5f), PY(-0.2f)) & 0xFF)));
    // The text: yellow glyph strokes inside its five cells, none right of them.
    const float right = -0.8f + 4 * 0.06f + 0.07f;
    EXPECT_GT(Count(PX(-0.8f), PY(-0.7f), PX(right), PY(-0.61f), Yellow), 40);
    EXPECT_EQ(Count(PX(right) + 2, PY(-0.7f), PX(-0.15f), PY(-0.61f), Yellow), 0);
    // The slider's knob at the right end of its track, lit; the far left end of the track without it.
    const float knob = slider->KnobPosition();
    EXPECT_GT(knob, 0.7f);
    EXPECT_GT(Count(PX(knob) - 2, PY(-0.72f), PX(knob) + 2, PY(-0.68f), Lit), 8);
    // The check box and its mark.
    EXPECT_GT(Count(PX(0.3f), PY(0.3f), PX(0.6f), PY(0.7f), Lit), 400);
    // Nothing was drawn in an empty corner.
    EXPECT_EQ(Count(0, PY(0.8f), PX(-0.8f), H, Lit), 0);
}

TEST_F(InterfacePicture, CharacterLabelsAboveTheHeadAndInsideTheScreen)
{
    TextTree.Insert("CHR_Labelled", "Vince");
    CModelEntry* entry = ModelOneHigh("Labelled");
    CWorldObject person("person");
    Place(person, entry);

    int32_t head[2];
    ProjectToScreen(person.position + CVector(0, 1.0f, 0), head);
    DrawCharacterLabels({&person});
    // A second character at the right edge: its label stays inside the screen.
    CWorldObject edge("edge");
    Place(edge, entry);
    int32_t far[2] = {0, 0};
    for (float x = 0.0f; x < 50.0f && far[0] < W - 4; x += 0.05f) {
        edge.position = CVector(x, -1.0f, 0.0f);
        ProjectToScreen(edge.position + CVector(0, 1.0f, 0), far);
    }
    ASSERT_GE(far[0], W - 4);
    ASSERT_LT(far[0], W);
    DrawCharacterLabels({&edge});
    Finish();

    // The label's box ends just above the head, centred on it, with text inside.
    EXPECT_GT(Count(head[0] - 40, head[1] - 40, head[0] + 40, head[1] - 1, DimGold), 20);
    EXPECT_GT(Count(head[0] - 40, head[1] - 40, head[0] + 40, head[1] - 1, Yellow), 10);
    EXPECT_EQ(Count(head[0] - 40, head[1] + 4, head[0] + 40, head[1] + 40, Lit), 0);
    // The edge label's frame touches the last column.
    EXPECT_GT(Count(W - 2, 0, W, H, DimGold), 8);
    const SLabelBox b = PlaceLabelBox(1.5f, 0.0f, 0.3f, 0.1f);
    EXPECT_FLOAT_EQ(b.right, 1.0f);
    EXPECT_FLOAT_EQ(b.bottom, -0.01f);
    const SLabelBox top = PlaceLabelBox(-1.2f, -0.95f, 0.3f, 0.1f);
    EXPECT_FLOAT_EQ(top.left, -1.0f);
    EXPECT_FLOAT_EQ(top.top, -1.0f);
    delete entry;
}

TEST_F(InterfacePicture, SpeechBubblesFillTheirRectangleAndQuadsAreNeverFogged)
{
    // Full fog in red: the world would vanish in it, the interface not.
    DX.device->SetRenderState(D3DRENDERSTATE_FOGENABLE, 1);
    DX.device->SetRenderState(D3DRENDERSTATE_FOGCOLOR, 0xFFFF0000u);
    DX.device->SetRenderState(D3DRENDERSTATE_FOGTABLEMODE, D3DFOG_LINEAR);
    const float start = 0.0f, end = 0.001f;
    uint32_t bits;
    std::memcpy(&bits, &start, 4);
    DX.device->SetRenderState(D3DRENDERSTATE_FOGSTART, bits);
    std::memcpy(&bits, &end, 4);
    DX.device->SetRenderState(D3DRENDERSTATE_FOGEND, bits);
    CMenu menu;
    CMenuQuad quad(&menu);
    quad.SetGeometry({0.5f, 0.5f}, {0.9f, 0.9f}, {1, 1, 1, 1});
    quad.DrawNormal(0);

    CModelEntry* entry = ModelOneHigh("Talker");
    CWorldObject person("talker");
    Place(person, entry);
    TextBubbleList.push_back(STextBubble{&person, strdup("Who goes there?"), -1, {0, 0, 0, 0}});
    DrawTextBubbles();
    Finish();
    DX.device->SetRenderState(D3DRENDERSTATE_FOGENABLE, 0);

    EXPECT_EQ(Pixel(PX(0.7f), PY(0.7f)), 0xFFFFFFu);
    const int* r = TextBubbleList.back().rect;
    int32_t head[2];
    ProjectToScreen(CVector(0, 1.0f, 0), head);
    EXPECT_LT(r[0], head[0]);
    EXPECT_GT(r[2], head[0]);
    EXPECT_LE(r[3], head[1]);
    EXPECT_GT(r[2] - r[0], 40); // the whole sentence on one line
    EXPECT_GT(Count(r[0], r[1], r[2], r[3], Yellow), 20);
    std::free(TextBubbleList.back().text);
    TextBubbleList.clear();
    delete entry;
}
