// The render-state cache sends a state only when it changes, within the device's limits.
#include "tests/render/DeviceRig.h"

#include <cstring>
#include <functional>

#include "GAMES/Rulo2/render/FramePasses.h"
#include "GAMES/Rulo2/render/RenderStates.h"
#include "tests/world/ServicesFixture.h"

namespace {

class StateCache : public DeviceRig
{
protected:
    void SetUp() override
    {
        DeviceRig::SetUp();
        ASSERT_TRUE(InitDirectX());
        DX.device->recordCalls = true;
        DX.device->calls.clear();
    }
    size_t sent() const { return DX.device->calls.size(); }
    uint32_t state(D3DRENDERSTATETYPE s) const
    {
        uint32_t v = 0;
        DX.device->GetRenderState(s, &v);
        return v;
    }
};

TEST_F(StateCache, RepeatedValuesSendNothing)
{
    SetBlendMode(0);
    const size_t afterFirst = sent();
    EXPECT_GT(afterFirst, 0u);
    SetBlendMode(0);
    SetZFunc(D3DCMP_LESS);
    SetLighting(RenderCache.lighting);
    SetCulling(RenderCache.culling);
    SetClipping(RenderCache.clipping);
    SetAlphaTest(RenderCache.alphaTest);
    ClearTextureStage(0); // already none
    EXPECT_EQ(sent(), afterFirst);
    SetCulling(!RenderCache.culling);
    EXPECT_EQ(sent(), afterFirst + 1);
    EXPECT_EQ(state(D3DRENDERSTATE_CULLMODE), uint32_t(RenderCache.culling ? D3DCULL_CCW : D3DCULL_NONE));
}

TEST_F(StateCache, SixBlendModesSetTheirFactorsAndStates)
{
    struct Row
    {
        int mode;
        uint32_t src, dest, zFunc;
        bool blend, zWrite, alphaTest;
    };
    const Row rows[] = {
        {0, D3DBLEND_ONE, D3DBLEND_ZERO, D3DCMP_LESS, false, true, false},
        {1, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DCMP_LESS, true, false, false},
        {2, D3DBLEND_ONE, D3DBLEND_ONE, D3DCMP_LESSEQUAL, true, false, false},
        {3, D3DBLEND_ZERO, D3DBLEND_SRCCOLOR, D3DCMP_LESSEQUAL, true, false, false},
        {4, D3DBLEND_ONE, D3DBLEND_ZERO, D3DCMP_LESS, false, true, true},
        {5, D3DBLEND_ZERO, D3DBLEND_ONE, D3DCMP_ALWAYS, true, true, false},
    };
    // Each mode after every other one, so that no state is left over from the previous row.
    for (const Row& before : rows)
        for (const Row& r : rows) {
            if (before.mode == r.mode)
                continue;
            SetBlendMode(before.mode);
            SetBlendMode(r.mode);
            EXPECT_EQ(state(D3DRENDERSTATE_SRCBLEND), r.src) << r.mode;
            EXPECT_EQ(state(D3DRENDERSTATE_DESTBLEND), r.dest) << r.mode;
            EXPECT_EQ(state(D3DRENDERSTATE_ZFUNC), r.zFunc) << r.mode;
            EXPECT_EQ(state(D3DRENDERSTATE_ALPHABLENDENABLE), uint32_t(r.blend)) << r.mode;
            EXPECT_EQ(state(D3DRENDERSTATE_ZWRITEENABLE), uint32_t(r.zWrite)) << r.mode;
            EXPECT_EQ(state(D3DRENDERSTATE_ALPHATESTENABLE), uint32_t(r.alphaTest)) << r.mode;
        }
}

TEST_F(StateCache, ModeOutsideTheTableIsRememberedAndSendsNothing)
{
    SetBlendMode(1);
    const size_t before = sent();
    SetBlendMode(7);
    EXPECT_EQ(RenderCache.blendMode, 7);
    EXPECT_EQ(sent(), before);
    SetBlendMode(0);
    EXPECT_EQ(state(D3DRENDERSTATE_SRCBLEND), uint32_t(D3DBLEND_ONE));
    EXPECT_EQ(state(D3DRENDERSTATE_ALPHABLENDENABLE), 0u);
}

TEST_F(StateCache, AlphaOfRectColourChoosesTheMode)
{
    const CVector2 corners[4] = {{-1, -1}, {0, -1}, {0, 0}, {-1, 0}};
    DrawRect2D(corners, nullptr, CVector4(1, 1, 1, 1.0f), 0.5f);
    EXPECT_EQ(RenderCache.blendMode, 0);
    DrawRect2D(corners, nullptr, CVector4(1, 1, 1, 0.99f), 0.5f);
    EXPECT_EQ(RenderCache.blendMode, 1);
    EXPECT_FALSE(RenderCache.lighting);
    EXPECT_TRUE(RenderCache.clipping);
    // The last call is the fan of four screen-space vertices.
    const D3DCall& c = DX.device->calls.back();
    EXPECT_EQ(c.kind, D3DCallKind::Draw);
    EXPECT_EQ(c.a, uint32_t(D3DPT_TRIANGLEFAN));
    EXPECT_EQ(c.b, FVF_TLVERTEX);
    EXPECT_EQ(c.c, 4u);
}

TEST_F(StateCache, LineWidthChoosesListOrStrip)
{
    SetCulling(true);
    DrawLine2D(-0.5f, 0, 0.5f, 0, CVector4(1, 0, 0, 1), CVector4(0, 1, 0, 1), 0.5f, 1.0f);
    EXPECT_EQ(DX.device->calls.back().a, uint32_t(D3DPT_LINELIST));
    EXPECT_TRUE(RenderCache.culling);
    DrawLine2D(-0.5f, 0, 0.5f, 0, CVector4(1, 0, 0, 1), CVector4(0, 1, 0, 1), 0.5f, 0.1f);
    EXPECT_EQ(DX.device->calls.back().a, uint32_t(D3DPT_TRIANGLESTRIP));
    EXPECT_EQ(DX.device->calls.back().c, 4u);
    EXPECT_FALSE(RenderCache.culling);
    // A wide horizontal line covers a band around its axis: 0.1 high is 24 pixels.
    DX.device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    DrawLine2D(-0.5f, 0, 0.5f, 0, CVector4(1, 0, 0, 1), CVector4(1, 0, 0, 1), 0.5f, 0.1f);
    uint32_t c;
    DX.backSurface->ReadPixel(320, 240 + 10, &c);
    EXPECT_EQ(c & 0xFFFFFF, 0xFF0000u);
    DX.backSurface->ReadPixel(320, 240 + 14, &c);
    EXPECT_EQ(c & 0xFFFFFF, 0u);
}

// Material A, a model drawn by one of the ways models reach the device, A
// again: the device holds A, whatever the draw set in between.
TEST_F(StateCache, MaterialSetAgainAfterAModelIsTheOneTheDeviceHolds)
{
    const std::pair<const char*, std::function<void(CMeshNode&)>> draws[] = {
        {"editor view", [](CMeshNode& mesh) { mesh.DrawEditorMarkers(); }},
        {"game batch", [](CMeshNode& mesh) { DrawMeshBatch(&mesh, 0, CMatrix::Identity); }},
    };
    for (const auto& [name, draw] : draws) {
        CRootNode root;
        CMeshNode* mesh = TriangleMesh("red", 0, 0, 0, 1.0f);
        mesh->materials[0].surface->colour[0] = 1.0f;
        root.AddChild(mesh);
        D3DMATERIAL7 a;
        a.diffuse = {0.1f, 0.2f, 0.3f, 1.0f};
        a.emissive = {0.4f, 0.5f, 0.6f, 0.0f};
        SetMaterialCached(&a);
        DX.device->BeginScene();
        draw(*mesh);
        DX.device->EndScene();
        D3DMATERIAL7 held;
        DX.device->GetMaterial(&held);
        EXPECT_EQ(held.diffuse.r, 1.0f) << name << ": the model's own material was sent";
        SetMaterialCached(&a);
        DX.device->GetMaterial(&held);
        EXPECT_EQ(std::memcmp(&held, &a, sizeof a), 0) << name;
        TransparentBatches.clear();
    }
}

class StateCacheWithoutZ : public StateCache
{
protected:
    const D3DCapsOverride* capsOverride() override
    {
        static D3DCapsOverride o;
        o.noZFormats = true;
        o.noAlphaTextures = true;
        return &o;
    }
};

TEST_F(StateCacheWithoutZ, RefusedStatesLeaveTheCacheAlone)
{
    ASSERT_FALSE(RenderCache.zEnabled);
    SetZWrite(true);
    EXPECT_FALSE(RenderCache.zWrite);
    SetAlphaBlend(true);
    EXPECT_FALSE(RenderCache.alphaBlend);
    EXPECT_EQ(sent(), 0u);
    // Once depth testing is on, the same call acts.
    RenderCache.zEnabled = true;
    SetZWrite(true);
    EXPECT_TRUE(RenderCache.zWrite);
    EXPECT_EQ(sent(), 1u);
}

} // namespace
