// Device set-up: error names, start-up in a window, its start state, re-initialisation.
#include "tests/render/DeviceRig.h"

#include "GAMES/Rulo2/DirectXError.h"
#include "GAMES/Rulo2/render/RenderStates.h"

namespace {

TEST(DXErrorNames, FirstEntryOfACodeWinsAndUnknownCodesSaySo)
{
    const struct
    {
        uint32_t code;
        const char* name;
    } cases[] = {
        {0x887602BC, "D3DERR_BADMAJORVERSION"},
        {0x887601C2, "DDERR_SURFACELOST"},
        {0x88760467, "DDERR_EXPIRED"},
        {0x80004005, "DSERR_GENERIC"},      // also E_FAIL
        {0x80070057, "DSERR_INVALIDPARAM"}, // also DIERR_INVALIDPARAM and E_INVALIDARG
        {0x80040110, "CLASS_E_NOAGGREGATION"},
        {0x12345678, "Unknown Error"},
        {0, "Unknown Error"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(DXErrorName(HRESULT(c.code)), c.name) << std::hex << c.code;
    EXPECT_EQ(DXErrorTable[DXErrorTableSize - 1].code, 0u);
    for (int i = 0; i < DXErrorTableSize - 1; ++i)
        EXPECT_NE(DXErrorTable[i].code, 0u) << i;
    EXPECT_EQ(GetDXVersion(), 0x700u);
}

class DXErrorLog : public ::testing::Test
{
protected:
    static inline uint8_t on = 1;
    std::string path =
        (std::filesystem::temp_directory_path() / ("varek_dxerr_" + std::to_string(::getpid()))).string();
    void SetUp() override
    {
        std::remove(path.c_str());
        LogPrintfSetTarget(&on, path.c_str());
    }
    void TearDown() override
    {
        LogPrintfSetTarget(nullptr, nullptr);
        std::remove(path.c_str());
    }
    std::string text()
    {
        std::ifstream in(path);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

TEST_F(DXErrorLog, ReporterWritesTwoLinesEarlierThanItIsGiven)
{
    ReportDXError("Enumerate", 339, HRESULT(0x887602BC));
    LogDXError("DirectX", 339, HRESULT(0x80004005));
    EXPECT_EQ(text(), "Enumerate(337): DX Error 0x887602BC: D3DERR_BADMAJORVERSION\n"
                      "DirectX(339): DX Error 0x80004005: DSERR_GENERIC\n");
}

using Rs = D3DRENDERSTATETYPE;

class DeviceSetup : public DeviceRig
{
};

TEST_F(DeviceSetup, WindowModeStartsAndLogsItsChoices)
{
    ASSERT_TRUE(InitDirectX());
    EXPECT_TRUE(DX.initialised);
    EXPECT_EQ(DX.screenWidth, 640);
    EXPECT_EQ(DX.screenHeight, 480);
    const std::string log = logText();
    for (const std::string line :
         {"Using 'OpenGL display", "Using 'OpenGL' driver", "Initialized '32 bit' z-buffer successfully",
          "Using 2 stages (standard) multitexturing", "Using '640x480x32' window-mode",
          "Initialized successfully"})
        EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
    // Missing interface bitmaps do not stop the start: they stay null.
    EXPECT_EQ(InterfaceBitmaps.bitmap216, nullptr);
    EXPECT_NE(log.find("Couldn't load interface bitmap 602"), std::string::npos);
    EXPECT_NE(DX.stateBlockSingle, 0u);
    EXPECT_NE(DX.stateBlockClamped, 0u);
    EXPECT_NE(DX.stateBlockMulti, 0u);
    EXPECT_NE(DX.stateBlockDecal, 0u);
}

TEST_F(DeviceSetup, InitialRenderStatesComeInOrderWithTheirValues)
{
    D3DRecordCallsOfNewDevices = true;
    ASSERT_TRUE(InitDirectX());
    std::vector<std::pair<uint32_t, uint32_t>> states;
    for (const D3DCall& c : DX.device->calls)
        if (c.kind == D3DCallKind::RenderState)
            states.emplace_back(c.a, c.b);
    float fogStart = Settings.fogStart, fogEnd = Settings.fogEnd;
    uint32_t fs, fe;
    std::memcpy(&fs, &fogStart, 4);
    std::memcpy(&fe, &fogEnd, 4);
    const uint32_t fogColour = uint32_t(uint8_t(CurrentFogColor[0])) << 16 |
                               uint32_t(uint8_t(CurrentFogColor[1])) << 8 |
                               uint32_t(uint8_t(CurrentFogColor[2]));
    const std::vector<std::pair<uint32_t, uint32_t>> expected = {
        {D3DRENDERSTATE_CULLMODE, D3DCULL_NONE},
        {D3DRENDERSTATE_ALPHABLENDENABLE, 0},
        {D3DRENDERSTATE_ZENABLE, 0},
        {D3DRENDERSTATE_ZWRITEENABLE, 0},
        {D3DRENDERSTATE_ALPHATESTENABLE, 0},
        {D3DRENDERSTATE_ALPHAREF, 0x80},
        {D3DRENDERSTATE_ALPHAFUNC, D3DCMP_GREATER},
        {D3DRENDERSTATE_FILLMODE, D3DFILL_SOLID},
        {D3DRENDERSTATE_SHADEMODE, D3DSHADE_GOURAUD},
        {D3DRENDERSTATE_TEXTUREPERSPECTIVE, 1},
        {D3DRENDERSTATE_DITHERENABLE, 1},
        {D3DRENDERSTATE_ANTIALIAS, 0},
        {D3DRENDERSTATE_SPECULARENABLE, 0},
        {D3DRENDERSTATE_STIPPLEDALPHA, 0},
        {D3DRENDERSTATE_COLORKEYENABLE, 0},
        {D3DRENDERSTATE_LIGHTING, 0},
        {D3DRENDERSTATE_CLIPPING, 0},
        {D3DRENDERSTATE_EXTENTS, 0},
        {D3DRENDERSTATE_NORMALIZENORMALS, 0},
        {D3DRENDERSTATE_COLORVERTEX, 1},
        {D3DRENDERSTATE_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL},
        {D3DRENDERSTATE_SPECULARMATERIALSOURCE, D3DMCS_MATERIAL},
        {D3DRENDERSTATE_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL},
        {D3DRENDERSTATE_EMISSIVEMATERIALSOURCE, D3DMCS_MATERIAL},
        {D3DRENDERSTATE_FOGENABLE, 0},
        // Table fog on a hardware device.
        {D3DRENDERSTATE_FOGCOLOR, fogColour},
        {D3DRENDERSTATE_FOGTABLEMODE, D3DFOG_LINEAR},
        {D3DRENDERSTATE_FOGVERTEXMODE, D3DFOG_NONE},
        {D3DRENDERSTATE_FOGSTART, fs},
        {D3DRENDERSTATE_FOGEND, fe},
        // InitDirectX after the device: z test on (a z-buffer exists), lighting on, ambient.
        {D3DRENDERSTATE_ZENABLE, 1},
        {D3DRENDERSTATE_LIGHTING, 1},
        {D3DRENDERSTATE_AMBIENT, 0x606060}};
    EXPECT_EQ(states, expected);
    // The default material and the projection of the game camera.
    D3DMATERIAL7 m;
    DX.device->GetMaterial(&m);
    EXPECT_FLOAT_EQ(m.diffuse.r, 0.5f);
    EXPECT_FLOAT_EQ(m.ambient.a, 1.0f);
    D3DMATRIX p;
    DX.device->GetTransform(D3DTRANSFORMSTATE_PROJECTION, &p);
    EXPECT_NEAR(p.m[2][2], 12.0f / (12.0f - 0.1f), 1e-5);
    // The single-texture block is the one in force.
    uint32_t v;
    DX.device->GetTextureStageState(0, D3DTSS_COLORARG2, &v);
    EXPECT_EQ(v, uint32_t(D3DTA_DIFFUSE));
    DX.device->GetTextureStageState(1, D3DTSS_COLOROP, &v);
    EXPECT_EQ(v, uint32_t(D3DTOP_DISABLE));
}

TEST_F(DeviceSetup, Rect2DFillsExactlyTheTopLeftQuarter)
{
    ASSERT_TRUE(InitDirectX());
    DX.device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    const CVector2 corners[4] = {{-1, -1}, {0, -1}, {0, 0}, {-1, 0}};
    DrawRect2D(corners, nullptr, CVector4(1, 0, 0, 1), 0.5f);
    const std::vector<uint32_t> px = frame();
    ASSERT_EQ(px.size(), size_t(640 * 480));
    int wrong = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            const uint32_t want = (x < 320 && y < 240) ? 0xFF0000u : 0u;
            if ((px[size_t(y) * 640 + x] & 0xFFFFFF) != want && ++wrong < 5)
                ADD_FAILURE() << "pixel " << x << "," << y << " is " << std::hex << px[size_t(y) * 640 + x];
        }
    EXPECT_EQ(wrong, 0);
}

TEST_F(DeviceSetup, AltEnterAndResizeReinitialiseAndKeepTextures)
{
    ASSERT_TRUE(InitDirectX());
    IDirectDraw7* firstDirectDraw = DX.directDraw;
    // A texture made before, used after each re-initialisation.
    DDSURFACEDESC2 d;
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    d.dwWidth = d.dwHeight = 4;
    d.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
    d.ddpfPixelFormat = D3DMakeRGBFormat(16, 0xF800, 0x07E0, 0x1F, 0);
    IDirectDrawSurface7* tex = nullptr;
    ASSERT_EQ(DX.directDraw->CreateSurface(&d, &tex, nullptr), DD_OK);
    DDBLTFX fx;
    fx.dwFillColor = 0x07E0; // green
    tex->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx);

    auto drawTextured = [&]() -> uint32_t {
        DX.device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        DX.device->SetTexture(0, tex);
        RenderCache.stageTexture[0] = tex;
        SetBlendMode(0);
        SetLighting(false);
        D3DTLVertex v[4] = {{0, 0, 0.5f, 1, 0xFFFFFFFF, 0, 0, 0},
                            {100, 0, 0.5f, 1, 0xFFFFFFFF, 0, 1, 0},
                            {100, 100, 0.5f, 1, 0xFFFFFFFF, 0, 1, 1},
                            {0, 100, 0.5f, 1, 0xFFFFFFFF, 0, 0, 1}};
        DX.device->DrawPrimitive(D3DPT_TRIANGLEFAN, FVF_TLVERTEX, v, 4, 0);
        uint32_t c = 0;
        DX.backSurface->ReadPixel(50, 50, &c);
        return c & 0xFFFFFF;
    };
    EXPECT_EQ(drawTextured(), 0x00FF00u);

    WindowedFlag = 0; // Alt+Enter: full screen
    ASSERT_TRUE(InitDirectX());
    EXPECT_EQ(DX.directDraw, firstDirectDraw); // same driver: kept
    EXPECT_EQ(DX.screenDepth, 16);
    EXPECT_NE(logText().find("fullscreen-mode with"), std::string::npos);
    EXPECT_EQ(drawTextured(), 0x00FF00u);

    WindowedFlag = 1; // and back
    ASSERT_TRUE(InitDirectX());
    EXPECT_EQ(drawTextured(), 0x00FF00u);

    Settings.mainWndW = 800; // the size handler
    Settings.mainWndH = 600;
    ASSERT_TRUE(InitDirectX());
    EXPECT_EQ(DX.screenWidth, 800);
    EXPECT_NE(logText().find("Using '800x600x32' window-mode"), std::string::npos);
    EXPECT_EQ(drawTextured(), 0x00FF00u);
    DX.device->SetTexture(0, nullptr);
    tex->Release();
}

TEST_F(DeviceSetup, AltEnterToAModeOfAnotherSizeAndBack)
{
    // A mode the display does not have: the picture is scaled to the window.
    const std::vector<D3DDisplayMode> modes = {{800, 600, 16}};
    D3DSetFakeDisplayModes(&modes);
    FreeDriverList();
    EnumerateDrivers();
    ASSERT_TRUE(InitDirectX());
    DDSURFACEDESC2 d;
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    d.dwWidth = d.dwHeight = 4;
    d.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
    d.ddpfPixelFormat = D3DMakeRGBFormat(16, 0xF800, 0x07E0, 0x1F, 0);
    IDirectDrawSurface7* tex = nullptr;
    ASSERT_EQ(DX.directDraw->CreateSurface(&d, &tex, nullptr), DD_OK);
    DDBLTFX fx;
    fx.dwFillColor = 0x001F; // blue
    tex->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx);
    // A textured square in the lower right corner, nearer than a red one behind it.
    auto drawAt = [&](float x, float y) -> uint32_t {
        DX.device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        SetBlendMode(0);
        SetLighting(false);
        DX.device->SetRenderState(D3DRENDERSTATE_ZENABLE, 1);
        SetZFunc(D3DCMP_LESSEQUAL);
        SetZWrite(true);
        DX.device->SetTexture(0, tex);
        RenderCache.stageTexture[0] = tex;
        D3DTLVertex v[4] = {{x, y, 0.2f, 1, 0xFFFFFFFF, 0, 0, 0},
                            {x + 40, y, 0.2f, 1, 0xFFFFFFFF, 0, 1, 0},
                            {x + 40, y + 40, 0.2f, 1, 0xFFFFFFFF, 0, 1, 1},
                            {x, y + 40, 0.2f, 1, 0xFFFFFFFF, 0, 0, 1}};
        DX.device->DrawPrimitive(D3DPT_TRIANGLEFAN, FVF_TLVERTEX, v, 4, 0);
        DX.device->SetTexture(0, nullptr);
        RenderCache.stageTexture[0] = nullptr;
        D3DTLVertex r[4] = {{x, y, 0.6f, 1, 0xFFFF0000, 0, 0, 0},
                            {x + 40, y, 0.6f, 1, 0xFFFF0000, 0, 1, 0},
                            {x + 40, y + 40, 0.6f, 1, 0xFFFF0000, 0, 1, 1},
                            {x, y + 40, 0.6f, 1, 0xFFFF0000, 0, 0, 1}};
        DX.device->DrawPrimitive(D3DPT_TRIANGLEFAN, FVF_TLVERTEX, r, 4, 0);
        uint32_t c = 0;
        DX.backSurface->ReadPixel(int(x) + 20, int(y) + 20, &c);
        return c & 0xFFFFFF;
    };
    EXPECT_EQ(drawAt(580, 420), 0x0000FFu);

    WindowedFlag = 0; // Alt+Enter
    ASSERT_TRUE(InitDirectX()) << logText();
    EXPECT_EQ(DX.screenWidth, 800);
    EXPECT_EQ(DX.screenHeight, 600);
    DDSURFACEDESC2 back;
    ASSERT_EQ(DX.backSurface->GetSurfaceDesc(&back), DD_OK);
    EXPECT_EQ(back.dwWidth, 800u);
    EXPECT_EQ(back.dwHeight, 600u);
    ASSERT_NE(DX.zBuffer, nullptr);
    EXPECT_EQ(logText().find("DDERR_CANNOTATTACHSURFACE"), std::string::npos);
    EXPECT_EQ(drawAt(740, 540), 0x0000FFu); // past the window's 640x480
    EXPECT_EQ(DX.primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);

    WindowedFlag = 1; // and back
    ASSERT_TRUE(InitDirectX()) << logText();
    EXPECT_EQ(DX.screenWidth, 640);
    EXPECT_EQ(drawAt(580, 420), 0x0000FFu);
    tex->Release();
    D3DSetFakeDisplayModes(nullptr);
}

TEST_F(DeviceSetup, FullScreenTakesTheNearest16BitMode)
{
    const std::vector<D3DDisplayMode> modes = {
        {640, 480, 32}, {800, 600, 16}, {1024, 768, 16}, {640, 480, 16}, {1280, 1024, 16}};
    D3DSetFakeDisplayModes(&modes);
    FreeDriverList();
    EnumerateDrivers();
    Settings.mainWndW = 1000;
    Settings.mainWndH = 700;
    WindowedFlag = 0;
    ASSERT_TRUE(ChooseDisplayDevice(false, false));
    ASSERT_TRUE(SetupDisplayMode(&window, true));
    EXPECT_EQ(DX.displayMode->width, 1024);
    EXPECT_EQ(DX.displayMode->bitsPerPixel, 16);
    EXPECT_NE(logText().find("Using '1024x768x16' fullscreen-mode with triple buffering"), std::string::npos)
        << logText();
    // Set up again with the same driver: the chosen mode stays whatever the size settings say now.
    ReleaseSurfaces(true);
    Settings.mainWndW = 640;
    Settings.mainWndH = 480;
    ASSERT_TRUE(ChooseDisplayDevice(false, false));
    ASSERT_TRUE(SetupDisplayMode(&window, true));
    EXPECT_EQ(DX.displayMode->width, 1024);
    ReleaseSurfaces(true);
    D3DSetFakeDisplayModes(nullptr);
    WindowedFlag = 1;
}

TEST_F(DeviceSetup, DeviceChoiceAndZFormatRules)
{
    ASSERT_TRUE(ChooseDisplayDevice(false, true));
    for (int depth : {0, 12, 33, 64}) {
        EXPECT_FALSE(ChooseDevice(depth, true)) << depth;
    }
    EXPECT_NE(logText().find("Unsupported render-depth"), std::string::npos);
    const struct
    {
        int depth;
        int z;
    } cases[] = {{16, 16}, {24, 32}, {32, 32}};
    for (const auto& c : cases) {
        ASSERT_TRUE(ChooseDevice(c.depth, true)) << c.depth;
        ASSERT_NE(DX.zFormat, nullptr);
        EXPECT_EQ(DX.zFormat->zDepth, c.z) << c.depth;
    }
    // 8 bits is a valid depth, but the device does not render it.
    EXPECT_FALSE(ChooseDevice(8, true));
    EXPECT_NE(logText().find("No appropriate 3D-driver found"), std::string::npos);
}

TEST_F(DeviceSetup, WindowSizesBelowOneBecomeOne)
{
    Settings.mainWndW = 0;
    Settings.mainWndH = -5;
    ASSERT_TRUE(InitDirectX());
    EXPECT_EQ(DX.screenWidth, 1);
    EXPECT_EQ(DX.screenHeight, 1);
    Settings.mainWndW = 640;
    Settings.mainWndH = 480;
}

TEST_F(DeviceSetup, TextureHalvingFollowsFreeTextureMemory)
{
    const struct
    {
        uint32_t memory;
        bool shrink, widths, heights;
    } cases[] = {
        {0x100000, false, true, true},   // below 2 MB: both
        {0x300000, false, false, true},  // 2 to 4 MB: heights only
        {0x400000, false, false, false}, // 4 MB or more: none
        {0x400000, true, true, true},    // SHRINKTEXTURES: both
    };
    for (const auto& c : cases) {
        D3DCapsOverride o;
        o.videoMemory = c.memory;
        D3DSetCapsOverride(&o);
        ShrinkTexturesFlag = c.shrink;
        ASSERT_TRUE(InitDirectX()) << c.memory;
        EXPECT_EQ(DX.halveTextureWidths, c.widths) << c.memory << " " << c.shrink;
        EXPECT_EQ(DX.halveTextureHeights, c.heights) << c.memory << " " << c.shrink;
    }
    ShrinkTexturesFlag = 0;
}

class DeviceWithLittleMemory : public DeviceRig
{
protected:
    const D3DCapsOverride* capsOverride() override
    {
        static D3DCapsOverride o;
        o.videoMemory = 0x600000; // 6 MB
        return &o;
    }
};

TEST_F(DeviceWithLittleMemory, FullScreenFallsBackTo640x480AndHalvesNothingAbove4MB)
{
    const std::vector<D3DDisplayMode> modes = {{1024, 768, 16}, {640, 480, 16}, {800, 600, 16}};
    D3DSetFakeDisplayModes(&modes);
    FreeDriverList();
    EnumerateDrivers();
    Settings.mainWndW = 1024;
    Settings.mainWndH = 768;
    WindowedFlag = 0;
    ASSERT_TRUE(ChooseDisplayDevice(false, false));
    ASSERT_TRUE(SetupDisplayMode(&window, true));
    EXPECT_EQ(DX.displayMode->width, 640);
    EXPECT_FALSE(DX.halveTextureWidths);
    // 6 MB minus three frames and a z-buffer leaves less than 4 MB: one back buffer.
    EXPECT_NE(logText().find("Using '640x480x16' fullscreen-mode with double buffering"), std::string::npos)
        << logText();
    ReleaseSurfaces(true);
    D3DSetFakeDisplayModes(nullptr);
    WindowedFlag = 1;
    Settings.mainWndW = 640;
    Settings.mainWndH = 480;
}

class SoftwareOnlyDevice : public DeviceRig
{
protected:
    const D3DCapsOverride* capsOverride() override
    {
        static D3DCapsOverride o;
        o.softwareOnly = true;
        return &o;
    }
};

TEST_F(SoftwareOnlyDevice, NothingWorksSoStartUpFailsAndTheWindowGoes)
{
    EXPECT_FALSE(InitDirectX());
    EXPECT_FALSE(DX.initialised);
    EXPECT_EQ(DX.screenWidth, 640);
    EXPECT_EQ(DX.screenHeight, 480);
    EXPECT_FALSE(window.IsWindow());
    EXPECT_EQ(WindowedFlag, 0); // the full-screen retry cleared it
    const std::string log = logText();
    const char* lines[] = {"No appropriate 3D-driver found",
                           "Initializing for window-mode failed. Retrying fullscreen-mode.",
                           "Initializing failed"};
    size_t at = 0;
    for (const char* line : lines) {
        at = log.find(line, at);
        EXPECT_NE(at, std::string::npos) << line << "\n" << log;
    }
    WindowedFlag = 1;
}

class DeviceWithoutZ : public DeviceRig
{
protected:
    const D3DCapsOverride* capsOverride() override
    {
        static D3DCapsOverride o;
        o.noZFormats = true;
        return &o;
    }
};

TEST_F(DeviceWithoutZ, RunsWithoutZBufferAndWithZTestOff)
{
    D3DRecordCallsOfNewDevices = true;
    ASSERT_TRUE(InitDirectX());
    EXPECT_EQ(DX.zBuffer, nullptr);
    EXPECT_FALSE(RenderCache.zEnabled);
    EXPECT_NE(logText().find("No z-buffer available"), std::string::npos);
    uint32_t z = 1;
    DX.device->GetRenderState(D3DRENDERSTATE_ZENABLE, &z);
    EXPECT_EQ(z, 0u);
}

} // namespace
