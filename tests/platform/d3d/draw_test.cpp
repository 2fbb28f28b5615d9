// Drawing through the device reads back with Direct3D's results.
#include "tests/platform/d3d/D3DTestRig.h"

namespace {

class DeviceDraw : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(rig.open()) << "no GL window (run under xvfb-run)";
        rig.dev->SetRenderState(D3DRENDERSTATE_LIGHTING, 0);
        rig.dev->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
        // The game's usual stage set-up: texture times diffuse; a stage without texture reads white.
        rig.dev->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        rig.dev->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        rig.dev->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    }
    void quad(float l, float t, float r, float b, D3DCOLOR c, float z = 0.5f)
    {
        D3DTLVertex v[4] = {{l, t, z, 1, c, 0, 0, 0},
                            {r, t, z, 1, c, 0, 1, 0},
                            {r, b, z, 1, c, 0, 1, 1},
                            {l, b, z, 1, c, 0, 0, 1}};
        ASSERT_EQ(rig.dev->DrawPrimitive(D3DPT_TRIANGLEFAN, FVF_TLVERTEX, v, 4, 0), D3D_OK);
    }
    D3DTestRig rig;
};

TEST_F(DeviceDraw, ScreenSpaceQuadCoversExactlyItsPixels)
{
    rig.clear(0xFF000000);
    quad(0, 0, 320, 240, 0xFFFF0000);
    // Inside, on the last covered row and column, and just past them.
    EXPECT_EQ(rig.pixel(0, 0) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(rig.pixel(319, 239) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(rig.pixel(320, 100) & 0xFFFFFF, 0u);
    EXPECT_EQ(rig.pixel(100, 240) & 0xFFFFFF, 0u);
    EXPECT_EQ(rig.pixel(639, 479) & 0xFFFFFF, 0u);
}

TEST_F(DeviceDraw, TextureModulatedByDiffuseWithChosenCoordinateSet)
{
    IDirectDrawSurface7* tex =
        MakeSurface(rig.dd, 2, 2, DDSCAPS_TEXTURE, D3DMakeRGBFormat(16, 0xF800, 0x07E0, 0x1F, 0));
    DDSURFACEDESC2 d;
    ASSERT_EQ(tex->Lock(nullptr, &d, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr), DD_OK);
    auto* row0 = static_cast<uint16_t*>(d.lpSurface);
    auto* row1 = reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(d.lpSurface) + d.lPitch);
    row0[0] = 0xF800; // red
    row0[1] = 0x07E0; // green
    row1[0] = 0x001F; // blue
    row1[1] = 0xFFFF; // white
    tex->Unlock(nullptr);
    rig.dev->SetTexture(0, tex);
    rig.dev->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    rig.dev->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    rig.dev->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    rig.dev->SetTextureStageState(0, D3DTSS_ADDRESS, D3DTADDRESS_CLAMP);
    rig.clear(0xFF000000);
    quad(0, 0, 200, 200, 0xFF808080);
    EXPECT_RGB_NEAR(rig.pixel(50, 50), 128, 0, 0, 3);
    EXPECT_RGB_NEAR(rig.pixel(150, 50), 0, 128, 0, 3);
    EXPECT_RGB_NEAR(rig.pixel(50, 150), 0, 0, 128, 3);
    EXPECT_RGB_NEAR(rig.pixel(150, 150), 128, 128, 128, 3);

    // Stage 0 reading coordinate set 1, which holds (1, 1) everywhere: all white texel.
    D3DMeshVertex v[3] = {{-1, -1, 0.5f, 0, 0, -1, 0, 0, 1, 1},
                          {-1, 3, 0.5f, 0, 0, -1, 0, 0, 1, 1},
                          {3, -1, 0.5f, 0, 0, -1, 0, 0, 1, 1}};
    rig.dev->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 1);
    rig.dev->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    rig.clear(0xFF000000);
    ASSERT_EQ(rig.dev->DrawPrimitive(D3DPT_TRIANGLELIST, FVF_MESH, v, 3, 0), D3D_OK);
    EXPECT_RGB_NEAR(rig.pixel(320, 240), 255, 255, 255, 2);
    rig.dev->SetTexture(0, nullptr);
    tex->Release();
}

TEST_F(DeviceDraw, LitFoggedTriangleFollowsFixedFunctionFormulas)
{
    D3DTestRig& r = rig;
    D3DMATRIX proj = Perspective(1.5707963f, 640.0f / 480.0f, 0.5f, 10.0f);
    D3DMATRIX id = Identity();
    r.dev->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &proj);
    r.dev->SetTransform(D3DTRANSFORMSTATE_VIEW, &id);
    r.dev->SetTransform(D3DTRANSFORMSTATE_WORLD, &id);
    D3DLIGHT7 l;
    l.dltType = D3DLIGHT_DIRECTIONAL;
    l.dcvDiffuse = {1, 1, 1, 0};
    l.dvDirection = {0, 0, 1};
    r.dev->SetLight(0, &l);
    r.dev->LightEnable(0, true);
    D3DMATERIAL7 m;
    m.diffuse = {0.5f, 0.25f, 1.0f, 1.0f};
    m.ambient = {0.2f, 0.2f, 0.2f, 1.0f};
    r.dev->SetMaterial(&m);
    r.dev->SetRenderState(D3DRENDERSTATE_LIGHTING, 1);
    r.dev->SetRenderState(D3DRENDERSTATE_AMBIENT, 0x404040);
    r.dev->SetTexture(0, nullptr);
    D3DMeshVertex v[3] = {
        {-4, -4, 2, 0, 0, -1, 0, 0, 0, 0}, {0, 4, 2, 0, 0, -1, 0, 0, 0, 0}, {4, -4, 2, 0, 0, -1, 0, 0, 0, 0}};
    r.clear(0xFF000000);
    ASSERT_EQ(r.dev->DrawPrimitive(D3DPT_TRIANGLELIST, FVF_MESH, v, 3, 0), D3D_OK);
    // ambient 0.2 x 0.251 + diffuse x (N.L = 1)
    EXPECT_RGB_NEAR(r.pixel(320, 240), 141, 77, 255, 3);

    // Linear fog from 1 to 3 at eye depth 2 mixes half of the fog colour in.
    float start = 1, end = 3;
    uint32_t s, e;
    std::memcpy(&s, &start, 4);
    std::memcpy(&e, &end, 4);
    r.dev->SetRenderState(D3DRENDERSTATE_FOGENABLE, 1);
    r.dev->SetRenderState(D3DRENDERSTATE_FOGCOLOR, 0xFF0000);
    r.dev->SetRenderState(D3DRENDERSTATE_FOGTABLEMODE, D3DFOG_LINEAR);
    r.dev->SetRenderState(D3DRENDERSTATE_FOGSTART, s);
    r.dev->SetRenderState(D3DRENDERSTATE_FOGEND, e);
    r.clear(0xFF000000);
    ASSERT_EQ(r.dev->DrawPrimitive(D3DPT_TRIANGLELIST, FVF_MESH, v, 3, 0), D3D_OK);
    EXPECT_RGB_NEAR(r.pixel(320, 240), 198, 38, 128, 4);
}

TEST_F(DeviceDraw, LightsStayInWorldSpaceUnderATurnedView)
{
    // The camera looks along +x; the triangle faces it from x = 2; the light travels along +x.
    D3DMATRIX proj = Perspective(1.5707963f, 640.0f / 480.0f, 0.5f, 10.0f), id = Identity(), view;
    view.m[0][2] = 1;
    view.m[1][1] = 1;
    view.m[2][0] = -1;
    view.m[3][3] = 1;
    rig.dev->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &proj);
    rig.dev->SetTransform(D3DTRANSFORMSTATE_VIEW, &view);
    rig.dev->SetTransform(D3DTRANSFORMSTATE_WORLD, &id);
    D3DLIGHT7 l;
    l.dltType = D3DLIGHT_DIRECTIONAL;
    l.dcvDiffuse = {1, 1, 1, 0};
    l.dvDirection = {1, 0, 0};
    rig.dev->SetLight(3, &l);
    rig.dev->LightEnable(3, true);
    D3DMATERIAL7 m;
    m.diffuse = {1, 1, 1, 1};
    rig.dev->SetMaterial(&m);
    rig.dev->SetRenderState(D3DRENDERSTATE_LIGHTING, 1);
    rig.dev->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_CCW);
    D3DMeshVertex v[3] = {
        {2, -4, 4, -1, 0, 0, 0, 0, 0, 0}, {2, 4, 0, -1, 0, 0, 0, 0, 0, 0}, {2, -4, -4, -1, 0, 0, 0, 0, 0, 0}};
    rig.clear(0xFF000000);
    ASSERT_EQ(rig.dev->DrawPrimitive(D3DPT_TRIANGLELIST, FVF_MESH, v, 3, 0), D3D_OK);
    EXPECT_RGB_NEAR(rig.pixel(320, 240), 255, 255, 255, 2);
}

TEST_F(DeviceDraw, PointLightDoesNotReachObjectsBeyondItsRange)
{
    D3DMATRIX proj = Perspective(1.5707963f, 640.0f / 480.0f, 0.5f, 10.0f), id = Identity();
    rig.dev->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &proj);
    rig.dev->SetTransform(D3DTRANSFORMSTATE_VIEW, &id);
    rig.dev->SetTransform(D3DTRANSFORMSTATE_WORLD, &id);
    D3DMATERIAL7 m;
    m.diffuse = {1, 1, 1, 1};
    rig.dev->SetMaterial(&m);
    rig.dev->SetRenderState(D3DRENDERSTATE_LIGHTING, 1);
    D3DMeshVertex v[3] = {
        {-1, -1, 2, 0, 0, -1, 0, 0, 0, 0}, {0, 1, 2, 0, 0, -1, 0, 0, 0, 0}, {1, -1, 2, 0, 0, -1, 0, 0, 0, 0}};
    for (float range : {10.0f, 30.0f}) {
        D3DLIGHT7 l;
        l.dltType = D3DLIGHT_POINT;
        l.dcvDiffuse = {1, 1, 1, 0};
        l.dvPosition = {0, 0, -20};
        l.dvRange = range;
        l.dvAttenuation0 = 1;
        rig.dev->SetLight(0, &l);
        rig.dev->LightEnable(0, true);
        rig.clear(0xFF000000);
        ASSERT_EQ(rig.dev->DrawPrimitive(D3DPT_TRIANGLELIST, FVF_MESH, v, 3, 0), D3D_OK);
        EXPECT_EQ((rig.pixel(320, 240) & 0xFF) > 200, range > 22) << range;
    }
}

TEST_F(DeviceDraw, CounterClockwiseCullingKeepsClockwiseTriangles)
{
    D3DMATRIX proj = Perspective(1.5707963f, 1.3333f, 0.5f, 10.0f), id = Identity();
    rig.dev->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &proj);
    rig.dev->SetTransform(D3DTRANSFORMSTATE_VIEW, &id);
    rig.dev->SetTransform(D3DTRANSFORMSTATE_WORLD, &id);
    rig.dev->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_CCW);
    D3DLVertex cw[3] = {
        {-4, -4, 2, 0xFF00FF00, 0, 0, 0}, {0, 4, 2, 0xFF00FF00, 0, 0, 0}, {4, -4, 2, 0xFF00FF00, 0, 0, 0}};
    D3DLVertex ccw[3] = {cw[0], cw[2], cw[1]};
    struct Case
    {
        const char* name;
        const void* verts;
        uint32_t fvf;
        bool drawn;
    };
    // The same windings in screen space.
    D3DTLVertex tcw[3] = {{100, 300, 0.5f, 1, 0xFF00FF00, 0, 0, 0},
                          {320, 100, 0.5f, 1, 0xFF00FF00, 0, 0, 0},
                          {540, 300, 0.5f, 1, 0xFF00FF00, 0, 0, 0}};
    D3DTLVertex tccw[3] = {tcw[0], tcw[2], tcw[1]};
    const Case cases[] = {{"world clockwise", cw, FVF_LVERTEX, true},
                          {"world counter-clockwise", ccw, FVF_LVERTEX, false},
                          {"screen clockwise", tcw, FVF_TLVERTEX, true},
                          {"screen counter-clockwise", tccw, FVF_TLVERTEX, false}};
    for (const Case& c : cases) {
        rig.clear(0xFF000000);
        ASSERT_EQ(rig.dev->DrawPrimitive(D3DPT_TRIANGLELIST, c.fvf, c.verts, 3, 0), D3D_OK);
        EXPECT_EQ((rig.pixel(320, 240) & 0xFF00) != 0, c.drawn) << c.name;
    }
    rig.dev->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
    rig.clear(0xFF000000);
    rig.dev->DrawPrimitive(D3DPT_TRIANGLELIST, FVF_LVERTEX, ccw, 3, 0);
    EXPECT_NE(rig.pixel(320, 240) & 0xFF00, 0u);
}

TEST_F(DeviceDraw, DepthTestAndBlendStates)
{
    rig.dev->SetRenderState(D3DRENDERSTATE_ZENABLE, 1);
    rig.dev->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, 1);
    rig.dev->SetRenderState(D3DRENDERSTATE_ZFUNC, D3DCMP_LESS);
    rig.clear(0xFF000000);
    quad(0, 0, 100, 100, 0xFF0000FF, 0.3f);
    quad(0, 0, 100, 100, 0xFFFF0000, 0.6f); // behind: hidden
    EXPECT_EQ(rig.pixel(50, 50) & 0xFFFFFF, 0x0000FFu);
    // Translucent white at half alpha over blue.
    rig.dev->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, 1);
    rig.dev->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA);
    rig.dev->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_INVSRCALPHA);
    quad(0, 0, 100, 100, 0x80FFFFFF, 0.1f);
    EXPECT_RGB_NEAR(rig.pixel(50, 50), 128, 128, 255, 2);
    // Alpha test drops what is not greater than the reference.
    rig.dev->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, 0);
    rig.dev->SetRenderState(D3DRENDERSTATE_ALPHATESTENABLE, 1);
    rig.dev->SetRenderState(D3DRENDERSTATE_ALPHAREF, 0x80);
    rig.dev->SetRenderState(D3DRENDERSTATE_ALPHAFUNC, D3DCMP_GREATER);
    rig.clear(0xFF000000);
    quad(0, 0, 100, 100, 0x80FF0000, 0.1f);
    quad(100, 0, 200, 100, 0x81FF0000, 0.1f);
    EXPECT_EQ(rig.pixel(50, 50) & 0xFFFFFF, 0u);
    EXPECT_EQ(rig.pixel(150, 50) & 0xFFFFFF, 0xFF0000u);
}

TEST_F(DeviceDraw, StateChangesBetweenDrawsReachTheNextDraw)
{
    D3DMATRIX proj = Perspective(1.5707963f, 640.0f / 480.0f, 0.5f, 10.0f), id = Identity();
    rig.dev->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &proj);
    rig.dev->SetTransform(D3DTRANSFORMSTATE_VIEW, &id);
    rig.dev->SetTransform(D3DTRANSFORMSTATE_WORLD, &id);
    D3DLIGHT7 l;
    l.dltType = D3DLIGHT_DIRECTIONAL;
    l.dcvDiffuse = {1, 1, 1, 0};
    l.dvDirection = {0, 0, 1};
    rig.dev->SetLight(0, &l);
    rig.dev->LightEnable(0, true);
    rig.dev->SetRenderState(D3DRENDERSTATE_LIGHTING, 1);
    D3DMeshVertex mesh[3] = {
        {-4, -4, 2, 0, 0, -1, 0, 0, 0, 0}, {0, 4, 2, 0, 0, -1, 0, 0, 0, 0}, {4, -4, 2, 0, 0, -1, 0, 0, 0, 0}};
    D3DLVertex coloured[3] = {
        {-4, -4, 2, 0xFF0000FF, 0, 0, 0}, {0, 4, 2, 0xFF0000FF, 0, 0, 0}, {4, -4, 2, 0xFF0000FF, 0, 0, 0}};
    D3DMATERIAL7 red, green;
    red.diffuse = {1, 0, 0, 1};
    green.diffuse = {0, 1, 0, 1};
    auto drawMesh = [&]() {
        rig.clear(0xFF000000);
        rig.dev->DrawPrimitive(D3DPT_TRIANGLELIST, FVF_MESH, mesh, 3, 0);
        return rig.pixel(320, 240) & 0xFFFFFF;
    };
    rig.dev->SetMaterial(&red);
    EXPECT_EQ(drawMesh(), 0xFF0000u);
    rig.dev->SetMaterial(&green);
    EXPECT_EQ(drawMesh(), 0x00FF00u);
    // Vertex colours as the diffuse source, then the material again.
    rig.dev->SetRenderState(D3DRENDERSTATE_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1);
    rig.clear(0xFF000000);
    rig.dev->DrawPrimitive(D3DPT_TRIANGLELIST, FVF_LVERTEX, coloured, 3, 0);
    EXPECT_EQ(rig.pixel(320, 240) & 0xFFFFFF, 0u); // no normal: no diffuse light at all
    EXPECT_EQ(drawMesh(), 0x00FF00u);
    // A screen-space draw between two 3-D ones.
    quad(0, 0, 10, 10, 0xFFFFFFFF);
    EXPECT_EQ(drawMesh(), 0x00FF00u);
    rig.dev->LightEnable(0, false);
    EXPECT_EQ(drawMesh(), 0u);
    rig.dev->LightEnable(0, true);
    l.dcvDiffuse = {0.5f, 0.5f, 0.5f, 0};
    rig.dev->SetLight(0, &l);
    EXPECT_RGB_NEAR(drawMesh(), 0, 128, 0, 2);
}

// The device sends a transform, current colour or normal only when it differs
// from what GL holds: draws under one transform, a moved object, vertex colours
// between plain draws and a point light under a moved world must still come out
// as if everything were sent each time.
TEST_F(DeviceDraw, WhatADrawLeavesInGLDoesNotLeakIntoTheNext)
{
    D3DMATRIX proj = Perspective(1.5707963f, 640.0f / 480.0f, 0.5f, 10.0f), id = Identity(), moved = id;
    moved.m[3][0] = 1.5f; // to the right
    rig.dev->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &proj);
    rig.dev->SetTransform(D3DTRANSFORMSTATE_VIEW, &id);
    D3DMeshVertex mesh[3] = {{-0.5f, -0.5f, 2, 0, 0, -1, 0, 0, 0, 0},
                             {0, 0.5f, 2, 0, 0, -1, 0, 0, 0, 0},
                             {0.5f, -0.5f, 2, 0, 0, -1, 0, 0, 0, 0}};
    D3DLVertex coloured[3] = {{-0.5f, -0.5f, 2, 0xFFFF0000, 0, 0, 0},
                              {0, 0.5f, 2, 0xFFFF0000, 0, 0, 0},
                              {0.5f, -0.5f, 2, 0xFFFF0000, 0, 0, 0}};
    const int centre = 320;
    auto draw = [&](const D3DMATRIX& world, bool withColours) {
        rig.dev->SetTransform(D3DTRANSFORMSTATE_WORLD, &world);
        if (withColours)
            return rig.dev->DrawPrimitive(D3DPT_TRIANGLELIST, FVF_LVERTEX, coloured, 3, 0);
        return rig.dev->DrawPrimitive(D3DPT_TRIANGLELIST, FVF_MESH, mesh, 3, 0);
    };

    // Unlit: plain draws read white, vertex colours red, in any order and under
    // the same or a moved transform.
    rig.clear(0xFF000000);
    ASSERT_EQ(draw(id, false), D3D_OK);
    EXPECT_EQ(rig.pixel(centre, 250) & 0xFFFFFF, 0xFFFFFFu);
    ASSERT_EQ(draw(id, true), D3D_OK);
    EXPECT_EQ(rig.pixel(centre, 250) & 0xFFFFFF, 0xFF0000u);
    ASSERT_EQ(draw(id, false), D3D_OK);
    EXPECT_EQ(rig.pixel(centre, 250) & 0xFFFFFF, 0xFFFFFFu) << "the vertex colour stayed behind";
    rig.clear(0xFF000000);
    ASSERT_EQ(draw(moved, false), D3D_OK);
    EXPECT_EQ(rig.pixel(centre, 250) & 0xFFFFFF, 0u) << "the moved object is still drawn in the middle";
    ASSERT_EQ(draw(id, false), D3D_OK);
    EXPECT_EQ(rig.pixel(centre, 250) & 0xFFFFFF, 0xFFFFFFu) << "the object is not back in the middle";
    quad(0, 0, 10, 10, 0xFF0000FF); // a screen-space draw sets its own transforms
    rig.clear(0xFF000000);
    ASSERT_EQ(draw(id, false), D3D_OK);
    EXPECT_EQ(rig.pixel(centre, 250) & 0xFFFFFF, 0xFFFFFFu);

    // Lit by a point light in front of the origin: an object moved away from
    // it and the same object made at that place look the same, whether the
    // light was sent before or after the world moved.
    D3DLIGHT7 l;
    l.dltType = D3DLIGHT_POINT;
    l.dcvDiffuse = {1, 1, 1, 0};
    l.dvPosition = {0, 0, 1};
    l.dvRange = 100;
    l.dvAttenuation0 = 0.2f;
    l.dvAttenuation1 = 1;
    rig.dev->SetLight(0, &l);
    rig.dev->LightEnable(0, true);
    D3DMATERIAL7 m;
    m.diffuse = {1, 1, 1, 1};
    rig.dev->SetMaterial(&m);
    rig.dev->SetRenderState(D3DRENDERSTATE_LIGHTING, 1);
    D3DMATRIX near = id;
    near.m[3][1] = 0.6f; // up, still on screen
    D3DMeshVertex placed[3];
    for (int i = 0; i < 3; ++i) {
        placed[i] = mesh[i];
        placed[i].y += 0.6f;
    }
    rig.clear(0xFF000000);
    rig.dev->SetTransform(D3DTRANSFORMSTATE_WORLD, &id);
    ASSERT_EQ(rig.dev->DrawPrimitive(D3DPT_TRIANGLELIST, FVF_MESH, placed, 3, 0), D3D_OK);
    const uint32_t expected = rig.pixel(centre, 160) & 0xFF;
    ASSERT_GT(expected, 20u);
    for (bool viewSetAgain : {false, true}) {
        if (viewSetAgain)
            rig.dev->SetTransform(D3DTRANSFORMSTATE_VIEW, &id); // the lights go to GL again
        rig.clear(0xFF000000);
        ASSERT_EQ(draw(near, false), D3D_OK);
        EXPECT_NEAR(double(rig.pixel(centre, 160) & 0xFF), double(expected), 2) << viewSetAgain;
    }
}

TEST_F(DeviceDraw, DepthBiasPullsCoplanarGeometryForward)
{
    rig.dev->SetRenderState(D3DRENDERSTATE_ZENABLE, 1);
    rig.dev->SetRenderState(D3DRENDERSTATE_ZFUNC, D3DCMP_LESS);
    rig.clear(0xFF000000);
    quad(0, 0, 100, 100, 0xFF0000FF, 0.5f);
    quad(0, 0, 100, 100, 0xFFFF0000, 0.5f); // same depth: fails LESS
    EXPECT_EQ(rig.pixel(50, 50) & 0xFFFFFF, 0x0000FFu);
    rig.dev->SetRenderState(D3DRENDERSTATE_ZBIAS, 2);
    quad(0, 0, 100, 100, 0xFFFF0000, 0.5f);
    EXPECT_EQ(rig.pixel(50, 50) & 0xFFFFFF, 0xFF0000u);
}

TEST_F(DeviceDraw, PresentingKeepsTheBackBuffer)
{
    rig.clear(0xFF123456);
    EXPECT_EQ(rig.primary->Blt(nullptr, rig.back, nullptr, DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(rig.pixel(10, 10) & 0xFFFFFF, 0x123456u);
    // A window-mode primary has no flipping chain.
    EXPECT_NE(rig.primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
}

TEST_F(DeviceDraw, BadDrawsAreRefusedWithoutReadingOutside)
{
    D3DLVertex v[3] = {};
    uint16_t bad[3] = {0, 1, 7};
    EXPECT_NE(rig.dev->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, FVF_LVERTEX, v, 3, bad, 3, 0), D3D_OK);
    EXPECT_EQ(rig.dev->DrawPrimitive(D3DPT_TRIANGLELIST, 0x102, v, 3, 0), D3DERR_INVALIDVERTEXTYPE);
    EXPECT_EQ(rig.dev->DrawPrimitive(D3DPRIMITIVETYPE(9), FVF_LVERTEX, v, 3, 0), D3DERR_INVALIDPRIMITIVETYPE);
}

} // namespace
