// The editor's markers of a model's locators, drawn through the device with the
// model's other editor drawing.
#include <gtest/gtest.h>

#include <set>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/render/CGameCamera.h"
#include "GAMES/Rulo2/render/OffscreenView.h"
#include "GAMES/Rulo2/world/CFrameNode.h"
#include "GAMES/Rulo2/world/CLocatorNode.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "tests/render/ScreenPoint.h"

namespace {

uint32_t g_Selected = 0;

class LocatorMarkers : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(OpenOffscreenView(320, 240));
        savedGameMode = GameModeFlag;
        g_ModelTreeSelectedItem = [] { return g_Selected; };
        // A snap point on the left, another locator on the right, each under a frame.
        auto* left = new CFrameNode("LeftFoot");
        left->localMatrix = MatrixTranslation(CVector(-0.3f, 0, 0));
        snapper = new CLocatorNode("SNAPPERfoot");
        left->AddChild(snapper);
        auto* right = new CFrameNode("RightHand");
        right->localMatrix = MatrixTranslation(CVector(0.3f, 0, 0));
        other = new CLocatorNode("Hand");
        right->AddChild(other);
        root.AddChild(left);
        root.AddChild(right);
        root.UpdateWorldMatrix(CMatrix::Identity, kRestTime);
        snapper->id = 11;
        other->id = 12;
        ApplyViewTransform(CVector(0, 0, -1), CVector(0, 0, 0));
    }
    void TearDown() override
    {
        GameModeFlag = savedGameMode;
        g_ModelTreeView = SModelTreeView{};
        g_ModelTreeSelectedItem = nullptr;
        g_Selected = 0;
        CloseOffscreenView();
    }

    void Draw()
    {
        DX.device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
        DX.device->BeginScene();
        root.DrawEditorMarkers();
        DX.device->EndScene();
    }

    // The colours drawn within 12 pixels of where a world point lands.
    std::set<uint32_t> ColoursAround(const CVector& p)
    {
        int cx, cy;
        ScreenOf(p, cx, cy);
        std::set<uint32_t> colours;
        for (int y = cy - 12; y <= cy + 12; ++y)
            for (int x = cx - 12; x <= cx + 12; ++x) {
                uint32_t c = 0;
                if (DX.backSurface->ReadPixel(x, y, &c) && (c & 0xFFFFFF) != 0)
                    colours.insert(c & 0xFFFFFF);
            }
        return colours;
    }

    CRootNode root;
    CLocatorNode* snapper = nullptr;
    CLocatorNode* other = nullptr;
    uint8_t savedGameMode = 1;
};

} // namespace

TEST_F(LocatorMarkers, DrawnInTheEditorByKindAndSelectionWhileTheDisplayShowsThem)
{
    struct Case
    {
        const char* what;
        uint8_t gameMode, display, viewHides;
        uint32_t selected;
        std::set<uint32_t> left, right;
    };
    const Case cases[] = {
        {"snap point and plain locator", 0, 1, 0, 0, {0xD09090}, {0xC0C0C0}},
        {"selected snap point", 0, 1, 0, 11, {0x80FF99}, {0xC0C0C0}},
        {"selected plain locator", 0, 1, 0, 12, {0xD09090}, {0x80FF99}},
        {"locator display off", 0, 0, 0, 0, {}, {}},
        {"model view hides them", 0, 1, 1, 0, {}, {}},
        {"in the game", 1, 1, 0, 0, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GameModeFlag = c.gameMode;
        g_ModelTreeView.locatorDisplay = c.display;
        g_ModelTreeView.viewHidesLocators = c.viewHides;
        g_Selected = c.selected;
        Draw();
        EXPECT_EQ(ColoursAround(CVector(-0.3f, 0, 0)), c.left);
        EXPECT_EQ(ColoursAround(CVector(0.3f, 0, 0)), c.right);
    }
}
