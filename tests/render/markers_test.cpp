// Markers and effects: interface models, flares, the texture cache and the
// drop shadow on the object a character stands on.
#include <gtest/gtest.h>

#include <cstring>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/render/CGameCamera.h"
#include "GAMES/Rulo2/render/CScreenFade.h"
#include "GAMES/Rulo2/render/FramePasses.h"
#include "GAMES/Rulo2/render/Markers.h"
#include "GAMES/Rulo2/render/OffscreenView.h"
#include "GAMES/Rulo2/render/RenderStates.h"
#include "tests/render/HouseWorld.h"

namespace {

class Markers : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(OpenOffscreenView(160, 120)); }
    void TearDown() override { CloseOffscreenView(); }
    size_t Draws() const
    {
        size_t n = 0;
        for (const D3DCall& c : DX.device->calls)
            n += c.kind == D3DCallKind::Draw;
        return n;
    }
};

} // namespace

TEST_F(Markers, InterfaceModelWithOpacityKeepsItsMaterialsAndTheView)
{
    CRootNode* model = MakeBoxModel("Figur", 1, 1, 1, 0.2f, 0.4f, 0.6f);
    CMeshNode* mesh = static_cast<CMeshNode*>(model->firstChild);
    const float before = mesh->materials[0].surface->colour[3];
    D3DMATRIX view;
    view.m[3][2] = 7.0f;
    DX.device->SetTransform(D3DTRANSFORMSTATE_VIEW, &view);
    DX.device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
    DX.device->BeginScene();
    DrawInterfaceModel(model, CMatrix::Identity, false, 0.5f, kRestTime, true, CVector4(0, 0, 0, 0));
    DX.device->EndScene();
    EXPECT_EQ(mesh->materials[0].surface->colour[3], before);
    D3DMATRIX after;
    DX.device->GetTransform(D3DTRANSFORMSTATE_VIEW, &after);
    EXPECT_EQ(after.m[3][2], 7.0f);
    // Seen from (0, 0, -2) the box covers the middle, half transparent over black.
    uint32_t c = 0;
    ASSERT_TRUE(DX.backSurface->ReadPixel(80, 60, &c));
    EXPECT_NEAR(int((c >> 16) & 0xFF), 0x33 / 2 + 1, 3);
    EXPECT_NEAR(int(c & 0xFF), 0x99 / 2, 3);
    delete model;
}

TEST_F(Markers, FlaresMoveTowardsTheEyeAndTheTextureCacheRecordsNull)
{
    EyePosition = CVector(0, 0, 0);
    CVector p(0, 0, 10);
    DrawLightFlare(p, 0xFFFFFFFFu, nullptr);
    DrawLightFlare(p, 0xFFFFFFFFu, nullptr);
    EXPECT_NEAR(p.z, 9.6f, 1e-5f);

    DX.device->recordCalls = true;
    DX.device->calls.clear();
    RenderCache.stageTexture[0] = reinterpret_cast<IDirectDrawSurface7*>(0x1);
    SetTextureCached(nullptr, 0);
    EXPECT_EQ(RenderCache.stageTexture[0], nullptr);
    ASSERT_EQ(DX.device->calls.size(), 1u);
    EXPECT_EQ(DX.device->calls[0].kind, D3DCallKind::Texture);
    SetTextureCached(nullptr, 0);
    EXPECT_EQ(DX.device->calls.size(), 1u);
}

TEST_F(Markers, DropShadowOnStairsStaysOnTheStairs)
{
    HouseWorld w;
    for (CWorldObject* n : {w.slab1, w.stairs})
        SetVisibility(n, VIS_INSIDE);
    // The stairs stand on the floor slab; a connection names it as a neighbour.
    w.stairs->connections.push_back(SConnection{w.slab1, 0, 0, 0});
    w.slab1->connections.push_back(SConnection{w.stairs, 0, 0, 0});
    DX.device->recordCalls = true;

    // The stairs model's name begins "Treppe": only the stairs receive the shadow.
    DX.device->calls.clear();
    DropShadow.Draw(CVector(1.0f, 1.1f, 1.0f), w.stairs);
    EXPECT_EQ(Draws(), 1u);

    // On the slab, its connected neighbours receive it too where the square reaches them.
    DX.device->calls.clear();
    DropShadow.Draw(CVector(0.55f, 0.1f, 0.55f), w.slab1);
    EXPECT_EQ(Draws(), 2u);
    // Far from the stairs only the slab itself.
    DX.device->calls.clear();
    DropShadow.Draw(CVector(-1.5f, 0.1f, -1.5f), w.slab1);
    EXPECT_EQ(Draws(), 1u);
    // The second texture pairs are given back.
    CMeshNode* mesh = static_cast<CMeshNode*>(w.slab1->ModelEntry()->model->firstChild);
    EXPECT_EQ(mesh->vertices[0].tu2, 0.0f);
}

TEST_F(Markers, ConnectionsAreLinesWithArrowHeadsWhereOnlyTheWayBackIsMarked)
{
    HouseWorld w;
    ResetVisibleObjects();
    for (CWorldObject* n : {w.slab1, w.wall}) {
        VisibleObjects.push_back({n, nullptr});
        SetVisibility(n, VIS_INSIDE);
    }
    w.slab1->connections.push_back(SConnection{w.wall, 0, 0, 0});
    w.wall->connections.push_back(SConnection{w.slab1, 0, 0, 1});
    DX.device->recordCalls = true;
    DX.device->calls.clear();
    DrawConnections(-1);
    uint32_t lineVertices = 0;
    for (const D3DCall& c : DX.device->calls)
        if (c.kind == D3DCallKind::Draw && c.a == D3DPT_LINELIST)
            lineVertices += c.c;
    // Two lines, plus two arrow strokes at the wall for the slab's unmarked way.
    EXPECT_EQ(lineVertices, 2u * 2 + 2u * 2);

    // A selected target is left out.
    w.wall->selected = 1;
    DX.device->calls.clear();
    DrawConnections(-1);
    lineVertices = 0;
    for (const D3DCall& c : DX.device->calls)
        if (c.kind == D3DCallKind::Draw && c.a == D3DPT_LINELIST)
            lineVertices += c.c;
    EXPECT_EQ(lineVertices, 2u);
    ResetVisibleObjects();
}
