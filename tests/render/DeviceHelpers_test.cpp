// Device helpers: vertex buffers, projection, interface bitmaps and keyed blits.
#include "tests/render/DeviceRig.h"

#include <cstdlib>

#include "GAMES/Rulo2/render/DeviceHelpers.h"
#include "platform/resources/Resources.h"

namespace {

class Helpers : public DeviceRig
{
protected:
    void SetUp() override
    {
        DeviceRig::SetUp();
        folder = std::filesystem::temp_directory_path() / ("varek_bitmaps_" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder / "resources" / "BITMAP");
        oldFolder = platform::ResourceFolder();
        platform::SetResourceFolder(folder / "resources");
        ASSERT_TRUE(InitDirectX());
    }
    void TearDown() override
    {
        platform::SetResourceFolder(oldFolder);
        std::filesystem::remove_all(folder);
        DeviceRig::TearDown();
    }
    // A bitmap made by ImageMagick: left half magenta, right half given colour.
    bool makeBitmap(int id, const char* right)
    {
        const std::string file = (folder / "resources" / "BITMAP" / (std::to_string(id) + ".bmp")).string();
        const std::string cmd = "convert -size 4x2 xc:'#FF00FF' \\( -size 4x2 xc:'" + std::string(right) +
                                "' \\) +append -type TrueColor BMP3:" + file + " 2>/dev/null";
        return std::system(cmd.c_str()) == 0;
    }
    std::filesystem::path folder, oldFolder;
};

TEST_F(Helpers, InterfaceBitmapIsColourKeyedAndBlitsOnlyItsOpaquePart)
{
    if (!makeBitmap(216, "#00FF00"))
        GTEST_SKIP() << "ImageMagick not available";
    IDirectDrawSurface7* bmp = LoadInterfaceBitmap(216, true);
    ASSERT_NE(bmp, nullptr);
    DDSURFACEDESC2 d;
    bmp->GetSurfaceDesc(&d);
    EXPECT_EQ(d.dwWidth, 8u);
    EXPECT_EQ(d.dwHeight, 2u);
    DDCOLORKEY key;
    ASSERT_EQ(bmp->GetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    EXPECT_EQ(key.dwColorSpaceLowValue, d.ddpfPixelFormat.dwRBitMask | d.ddpfPixelFormat.dwBBitMask);

    DX.device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
    BlitSurfaceRect(bmp, 10, 10, 0, 0, 8, 2);
    uint32_t c;
    DX.backSurface->ReadPixel(11, 10, &c); // magenta part: background stays
    EXPECT_EQ(c & 0xFFFFFF, 0x0000FFu);
    DX.backSurface->ReadPixel(16, 11, &c);
    EXPECT_EQ(c & 0xFFFFFF, 0x00FF00u);

    // Partly left of the screen: only the visible part, from the matching source part.
    DX.device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
    BlitSurfaceRect(bmp, -6, 0, 0, 0, 8, 2);
    DX.backSurface->ReadPixel(0, 0, &c);
    EXPECT_EQ(c & 0xFFFFFF, 0x00FF00u);
    DX.backSurface->ReadPixel(2, 0, &c);
    EXPECT_EQ(c & 0xFFFFFF, 0x0000FFu);

    // Stretched twice as wide.
    DX.device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
    StretchBlitRect(bmp, 100, 100, 16, 4, 0, 0, 8, 2);
    DX.backSurface->ReadPixel(107, 101, &c);
    EXPECT_EQ(c & 0xFFFFFF, 0x0000FFu);
    DX.backSurface->ReadPixel(108, 103, &c);
    EXPECT_EQ(c & 0xFFFFFF, 0x00FF00u);
    DX.backSurface->ReadPixel(116, 101, &c);
    EXPECT_EQ(c & 0xFFFFFF, 0x0000FFu);
    bmp->Release();
}

TEST_F(Helpers, MissingOrDamagedBitmapGivesNullAndALogLine)
{
    EXPECT_EQ(LoadInterfaceBitmap(999, true), nullptr);
    std::ofstream(folder / "resources" / "BITMAP" / "998.bmp") << "BM not really";
    EXPECT_EQ(LoadInterfaceBitmap(998, false), nullptr);
    const std::string log = logText();
    EXPECT_NE(log.find("Couldn't load interface bitmap 999"), std::string::npos);
    EXPECT_NE(log.find("Couldn't load interface bitmap 998"), std::string::npos);
}

TEST_F(Helpers, StartUpLoadsThePresentBitmapsAndReleasesThem)
{
    if (!makeBitmap(602, "#FFFFFF") || !makeBitmap(281, "#FFFFFF"))
        GTEST_SKIP() << "ImageMagick not available";
    ASSERT_TRUE(InitDirectX());
    ASSERT_NE(InterfaceBitmaps.bitmap602, nullptr);
    EXPECT_NE(InterfaceBitmaps.bitmap602->GetColorKey(DDCKEY_SRCBLT, nullptr), DD_OK);
    DDCOLORKEY key;
    EXPECT_EQ(InterfaceBitmaps.bitmap602->GetColorKey(DDCKEY_SRCBLT, &key), DDERR_NOCOLORKEY);
    EXPECT_NE(InterfaceBitmaps.table20[4], nullptr); // 281
    EXPECT_EQ(InterfaceBitmaps.table20[5], nullptr);
    ReleaseDirectX();
    EXPECT_EQ(InterfaceBitmaps.bitmap602, nullptr);
    EXPECT_EQ(InterfaceBitmaps.table20[4], nullptr);
}

TEST_F(Helpers, ProjectToScreenUsesViewAndProjection)
{
    D3DMATRIX view;
    for (int i = 0; i < 4; ++i)
        view.m[i][i] = 1;
    DX.device->SetTransform(D3DTRANSFORMSTATE_VIEW, &view);
    int32_t s[2];
    ProjectToScreen(CVector(0, 0, 5), s); // straight ahead: the centre
    EXPECT_EQ(s[0], 320);
    EXPECT_EQ(s[1], 240);
    ProjectToScreen(CVector(0, 1, 5), s); // above: higher on the screen
    EXPECT_EQ(s[0], 320);
    EXPECT_LT(s[1], 240);
    ReleaseDirectX();
    ProjectToScreen(CVector(0, 0, 5), s);
    EXPECT_EQ(s[0], -1);
    EXPECT_EQ(s[1], -1);
}

TEST_F(Helpers, VertexBuffersAndTheStartUpPass)
{
    IDirect3DVertexBuffer7* one = CreateVertexBuffer(1, FVF_MESH);
    ASSERT_NE(one, nullptr);
    D3DVERTEXBUFFERDESC d;
    one->GetVertexBufferDesc(&d);
    EXPECT_EQ(d.dwCaps, uint32_t(D3DVBCAPS_SYSTEMMEMORY));
    one->Release();
    IDirect3DVertexBuffer7* many = CreateVertexBuffer(100, FVF_MESH);
    ASSERT_NE(many, nullptr);
    many->GetVertexBufferDesc(&d);
    EXPECT_EQ(d.dwCaps, uint32_t(D3DVBCAPS_WRITEONLY));
    many->Release();
    EXPECT_EQ(CreateVertexBuffer(10, 0x999), nullptr);

    // Most used first, equal counts in list order, until 200,000 vertices are reached.
    auto tag = [](int i) { return reinterpret_cast<CRootNode*>(intptr_t(i + 1)); };
    std::vector<VertexBufferCandidate> all;
    const int uses[5] = {1, 5, 0, 5, 9};
    const int verts[5] = {10, 150000, 10, 60000, 20};
    for (int i = 0; i < 5; ++i)
        all.push_back({uses[i], verts[i], tag(i)});
    int32_t possible = 0;
    std::vector<CRootNode*> made;
    for (const VertexBufferCandidate& c : ChooseVertexBufferModels(all, &possible))
        made.push_back(c.model);
    EXPECT_EQ(made, (std::vector<CRootNode*>{tag(4), tag(1), tag(3)}));
    EXPECT_EQ(possible, 4);
    // Without a world of more than its root: nothing, not even a log line.
    CreateVertexBuffers();
    EXPECT_EQ(logText().find("Creating vertex-buffers"), std::string::npos);
}

} // namespace
