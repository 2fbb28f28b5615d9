// Textures: file search, format choice, size rules, colour key, read-back, restore.
#include "tests/render/TextureTestRig.h"

#include "platform/files/Files.h"

#include <thread>

namespace {

constexpr uint32_t kMagenta = 0xFFFF00FFu;
constexpr uint32_t kWhite = 0xFFFFFFFFu;

std::vector<uint32_t> Checker(int w, int h, uint32_t a, uint32_t b)
{
    std::vector<uint32_t> words;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            words.push_back(((x + y) & 1) ? b : a);
    return words;
}

TEST(CTexture, ColourKeyedBitmapMakesMagentaTransparentAndTheRestOpaque)
{
    TextureDeviceRig rig;
    const auto path = rig.folder / "keyed.bmp";
    ASSERT_TRUE(WritePicture(path, 8, 8, Checker(8, 8, kMagenta, kWhite)));

    CTexture t("keyed");
    ASSERT_TRUE(t.Load(path.string().c_str(), true));
    ASSERT_NE(t.format, nullptr);
    EXPECT_TRUE(TextureFormatHasAlpha(t.format));
    // Of the alpha formats the one with the fewest alpha bits.
    EXPECT_EQ(t.format->format.dwRGBAlphaBitMask, 0x8000u);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const Rgba p = PixelOf(t, x, y);
            if ((x + y) & 1) {
                EXPECT_EQ(p.a, 255);
                EXPECT_EQ(p.r + p.g + p.b, 3 * 255);
            } else {
                EXPECT_EQ(p.a, 0) << x << "," << y;
                EXPECT_EQ(p.r + p.g + p.b, 0) << "magenta becomes transparent black";
            }
        }
    EXPECT_EQ(t.name, "keyed");
    EXPECT_EQ(t.sourcePath, path.string());
    EXPECT_TRUE(t.colourKeyed);
}

TEST(CTexture, ColourKeyWorksOnThirtyTwoBitAlphaFormats)
{
    TextureDeviceRig rig;
    // Only a 32-bit alpha format: the key must walk 4-byte pixels.
    TextureFormatInfo* only = rig.info.textureFormats[3];
    for (int i = 0; i < 3; ++i)
        delete rig.info.textureFormats[i];
    rig.info.textureFormats.clear();
    rig.info.textureFormats.add(only);

    imgImage img;
    FillImage(img, 4, 2, Checker(4, 2, kMagenta, 0xFF102030u));
    CTexture t;
    ASSERT_TRUE(t.CreateFromImage(img, true));
    EXPECT_EQ(t.bitDepth, 32);
    for (int x = 0; x < 4; ++x) {
        const Rgba p = PixelOf(t, x, 0);
        if (x & 1) {
            EXPECT_EQ(p.a, 255);
            EXPECT_EQ(p.r, 0x10);
            EXPECT_EQ(p.b, 0x30);
        } else {
            EXPECT_EQ(p.a, 0);
            EXPECT_EQ(p.r, 0);
        }
    }
}

TEST(CTexture, FormatChoiceFollowsAlphaNeeds)
{
    TextureDeviceRig rig;
    std::vector<uint32_t> words(16 * 16, 0x80405060u);
    imgImage withAlpha;
    FillImage(withAlpha, 16, 16, words);
    ASSERT_TRUE(withAlpha.formatFits(CHANNEL_ALPHA));
    CTexture a;
    ASSERT_TRUE(a.CreateFromImage(withAlpha, false));
    ASSERT_NE(a.format, nullptr);
    EXPECT_TRUE(a.format->hasAlpha);
    EXPECT_EQ(a.format->format.dwRGBAlphaBitMask, 0x8000u);

    imgImage opaque;
    FillImage(opaque, 16, 16, words);
    ASSERT_EQ(opaque.convertTo(FMT_BGR_888, ORIGIN_TOP_LEFT), 1);
    CTexture b;
    ASSERT_TRUE(b.CreateFromImage(opaque, false));
    ASSERT_NE(b.format, nullptr);
    EXPECT_FALSE(b.format->hasAlpha);
    EXPECT_EQ(b.format->format.dwGBitMask, 0x07E0u) << "the format nearest to 16 bits without alpha";
    EXPECT_EQ(rig.logCount("Using texture-format '16 bit 0565 RGB' for a shadow-texture"), 1);
}

TEST(CTexture, OfTwoFormatsEquallyNearSixteenBitsTheEarlierWins)
{
    for (bool fiveFiveFiveFirst : {false, true}) {
        TextureDeviceRig rig(FormatSet::Only565);
        TextureFormatInfo* other = MakeTextureFormat("16 bit 0555 RGB", 16, 0x7C00, 0x03E0, 0x001F, 0);
        if (fiveFiveFiveFirst) {
            TextureFormatInfo* first = rig.info.textureFormats[0];
            rig.info.textureFormats[0] = other;
            rig.info.textureFormats.add(first);
        } else {
            rig.info.textureFormats.add(other);
        }
        imgImage img;
        FillImage(img, 4, 4, std::vector<uint32_t>(16, kWhite));
        ASSERT_EQ(img.convertTo(FMT_BGR_888, ORIGIN_TOP_LEFT), 1);
        CTexture t("t");
        ASSERT_TRUE(t.CreateFromImage(img, false));
        EXPECT_EQ(t.format, rig.info.textureFormats[0]) << fiveFiveFiveFirst;
        EXPECT_EQ(PixelOf(t, 0, 0).g, 255);
    }
}

TEST(CTexture, NoSuitableFormatClearsTheTexture)
{
    TextureDeviceRig rig(FormatSet::Only565);
    imgImage img;
    FillImage(img, 16, 16, std::vector<uint32_t>(256, kWhite));
    CTexture t("named");
    EXPECT_FALSE(t.CreateFromImage(img, true));
    EXPECT_EQ(t.surface, nullptr);
    EXPECT_EQ(t.format, nullptr);
    EXPECT_EQ(t.width, 0);
    EXPECT_TRUE(t.name.empty());
    EXPECT_EQ(rig.logCount("No appropriate texture-format found"), 1);
}

TEST(CTexture, SizeRules)
{
    struct Case
    {
        bool powerOfTwo, squareOnly, halveW, halveH;
        int w, h;
        int32_t wantW, wantH;
        uint32_t surfaceW, surfaceH;
    };
    const Case cases[] = {
        {true, false, false, false, 300, 70, 256, 128, 256, 128},
        {true, true, false, false, 300, 70, 256, 256, 256, 256},
        {false, false, false, false, 300, 70, 256, 70, 256, 70},
        {false, false, false, false, 17, 5, 17, 5, 17, 5},
        {true, false, true, true, 256, 256, 256, 256, 128, 128},
        {true, false, true, false, 64, 32, 64, 32, 32, 32},
    };
    for (const Case& c : cases) {
        TextureDeviceRig rig;
        rig.info.powerOfTwo = c.powerOfTwo;
        rig.info.squareOnly = c.squareOnly;
        DX.halveTextureWidths = c.halveW;
        DX.halveTextureHeights = c.halveH;
        imgImage img;
        FillImage(img, c.w, c.h, std::vector<uint32_t>(size_t(c.w * c.h), kWhite));
        ASSERT_EQ(img.convertTo(FMT_BGR_888, ORIGIN_TOP_LEFT), 1);
        CTexture t("sized");
        ASSERT_TRUE(t.CreateFromImage(img, false)) << c.w << "x" << c.h;
        EXPECT_EQ(t.width, c.wantW) << c.w << "x" << c.h;
        EXPECT_EQ(t.height, c.wantH) << c.w << "x" << c.h;
        DDSURFACEDESC2 desc;
        ASSERT_EQ(t.surface->GetSurfaceDesc(&desc), DD_OK);
        EXPECT_EQ(desc.dwWidth, c.surfaceW);
        EXPECT_EQ(desc.dwHeight, c.surfaceH);
        // The resized picture stays white everywhere, also in the last texel.
        const Rgba p = PixelOf(t, int(desc.dwWidth) - 1, int(desc.dwHeight) - 1);
        EXPECT_EQ(p.r, 255);
    }
}

TEST(CTexture, SizesOfZeroOrBeyondTheDeviceLimitAreRefused)
{
    TextureDeviceRig rig;
    rig.info.maxTextureWidth = 64;
    rig.info.maxTextureHeight = 64;
    imgImage big;
    FillImage(big, 128, 32, std::vector<uint32_t>(128 * 32, kWhite));
    CTexture t("big");
    EXPECT_FALSE(t.CreateFromImage(big, false));
    EXPECT_EQ(t.surface, nullptr);
    EXPECT_EQ(rig.logCount("Driver does not support 128x32 texture size"), 1);

    imgImage empty;
    CTexture e("empty");
    EXPECT_FALSE(e.CreateFromImage(empty, false));
    EXPECT_EQ(e.surface, nullptr);
    EXPECT_EQ(rig.logCount("Texture size 0x0 is not valid"), 1);
}

TEST(CTexture, SearchTriesOtherExtensionsThenTheTexturesFolder)
{
    TextureDeviceRig rig;
    const std::string savedCwd = platform::GetCurrentDirectory();
    std::filesystem::create_directories(rig.folder / "level");
    std::filesystem::create_directories(rig.folder / "textures");
    ASSERT_TRUE(WritePicture(rig.folder / "level" / "wall.rif", 4, 4, std::vector<uint32_t>(16, kWhite)));
    ASSERT_TRUE(WritePicture(rig.folder / "textures" / "floor.tga", 4, 4, std::vector<uint32_t>(16, kWhite)));
    ASSERT_TRUE(platform::SetCurrentDirectory(rig.folder.string()));

    CTexture wall;
    EXPECT_TRUE(wall.Load("level\\wall.tga", false));
    EXPECT_EQ(wall.name, "wall");
    EXPECT_EQ(wall.sourcePath, "level\\wall.tga");
    EXPECT_EQ(wall.resolvedPath, "level\\wall.rif");

    CTexture floor;
    EXPECT_TRUE(floor.Load("elsewhere\\FLOOR.tga", false)) << "found in the textures folder";
    EXPECT_EQ(floor.name, "FLOOR");

    TextureLoadFailed = false;
    CTexture missing;
    EXPECT_FALSE(missing.Load("level\\none.bmp", false));
    EXPECT_TRUE(TextureLoadFailed);
    EXPECT_EQ(rig.logCount("Couldn't load 'level\\none.bmp'"), 1);
    platform::SetCurrentDirectory(savedCwd);
}

TEST(CTexture, NothingHappensWithoutTexturing)
{
    TextureDeviceRig rig;
    rig.info.texturing = false;
    imgImage img;
    FillImage(img, 4, 4, std::vector<uint32_t>(16, kWhite));
    CTexture t("x");
    EXPECT_FALSE(t.CreateFromImage(img, false));
    EXPECT_FALSE(t.Load("x.bmp", false));
    EXPECT_EQ(t.name, "x");
    EXPECT_EQ(rig.log(), "");
}

TEST(CTextureSurface, GetPixelExpandsSixteenBitChannelsAndChecksBounds)
{
    TextureDeviceRig rig(FormatSet::Only565);
    imgImage img;
    FillImage(img, 2, 1, {kWhite, 0xFF000000u});
    ASSERT_EQ(img.convertTo(FMT_BGR_888, ORIGIN_TOP_LEFT), 1);
    CTexture t;
    ASSERT_TRUE(t.CreateFromImage(img, false));
    const Rgba white = PixelOf(t, 0, 0);
    EXPECT_EQ(white.r, 255);
    EXPECT_EQ(white.g, 255);
    EXPECT_EQ(white.b, 255);
    EXPECT_EQ(white.a, 0) << "a format without alpha reads alpha 0";
    const Rgba black = PixelOf(t, 1, 0);
    EXPECT_EQ(black.r + black.g + black.b, 0);
    int32_t r = 0;
    EXPECT_FALSE(t.GetPixel(2, 0, &r, &r, &r, &r));
    EXPECT_FALSE(t.GetPixel(-1, 0, &r, &r, &r, &r));
    EXPECT_FALSE(t.GetPixel(0, 1, &r, &r, &r, &r));
}

TEST(CTextureSurface, GetPixelNeverReadsPastAHalvedSurface)
{
    TextureDeviceRig rig;
    DX.halveTextureWidths = DX.halveTextureHeights = true;
    imgImage img;
    FillImage(img, 16, 16, std::vector<uint32_t>(256, kWhite));
    CTexture t;
    ASSERT_TRUE(t.CreateFromImage(img, false));
    EXPECT_EQ(t.width, 16);
    int32_t v = 0;
    EXPECT_TRUE(t.GetPixel(7, 7, &v, &v, &v, &v));
    EXPECT_FALSE(t.GetPixel(15, 15, &v, &v, &v, &v));
}

TEST(CTexture, GlobalListLinksInCreationOrderAndUnlinksAnywhere)
{
    TextureDeviceRig rig;
    auto* a = new CTexture("a");
    auto* b = new CTexture("");
    auto* c = new CTexture("c");
    EXPECT_TRUE(b->name.empty());
    EXPECT_EQ(CTexture::First(), a);
    EXPECT_EQ(CTexture::Last(), c);
    delete b;
    EXPECT_EQ(a->next, c);
    EXPECT_EQ(c->previous, a);
    delete a;
    EXPECT_EQ(CTexture::First(), c);
    EXPECT_EQ(c->previous, nullptr);
    delete c;
    EXPECT_EQ(CTexture::First(), nullptr);
    EXPECT_EQ(CTexture::Last(), nullptr);
}

TEST(CTexture, RestoreKeepsAKnownFormatAndReloadsOtherwise)
{
    TextureDeviceRig rig;
    const auto path = rig.folder / "r.bmp";
    ASSERT_TRUE(WritePicture(path, 4, 4, std::vector<uint32_t>(16, kWhite)));
    CTexture fromFile;
    ASSERT_TRUE(fromFile.Load(path.string().c_str(), false));
    imgImage img;
    FillImage(img, 4, 4, std::vector<uint32_t>(16, kWhite));
    ASSERT_EQ(img.convertTo(FMT_BGR_888, ORIGIN_TOP_LEFT), 1);
    CTexture fromMemory("mem");
    ASSERT_TRUE(fromMemory.CreateFromImage(img, false));
    IDirectDrawSurface7* kept = fromFile.surface;

    EXPECT_TRUE(fromFile.Restore());
    EXPECT_EQ(fromFile.surface, kept);

    // The device came back with a different list: 5-6-5 is gone.
    TextureFormatInfo* old565 = rig.info.textureFormats[0];
    rig.info.textureFormats[0] = MakeTextureFormat("16 bit 0555 RGB", 16, 0x7C00, 0x03E0, 0x001F, 0);
    EXPECT_TRUE(fromFile.Restore());
    ASSERT_NE(fromFile.format, nullptr);
    EXPECT_EQ(fromFile.format->format.dwGBitMask, 0x03E0u);
    EXPECT_FALSE(fromMemory.Restore()) << "made from memory: its owner rebuilds it";
    delete old565;
}

TEST(CTexture, AWorkerThreadMakesTexturesAndReadsTheirPixels)
{
    TextureDeviceRig rig;
    CTexture shadow;
    bool made = false;
    Rgba read;
    // The worker only touches the textures' pixels in memory, never the GL context.
    std::thread worker([&] {
        imgImage img;
        FillImage(img, 8, 8, std::vector<uint32_t>(64, 0xFF00FF00u));
        img.convertTo(FMT_BGR_888, ORIGIN_TOP_LEFT);
        made = shadow.CreateFromImage(img, false);
        shadow.GetPixel(5, 5, &read.r, &read.g, &read.b, &read.a);
    });
    worker.join();
    EXPECT_TRUE(made);
    EXPECT_EQ(read.g, 255);
    EXPECT_EQ(read.r, 0);
    EXPECT_EQ(PixelOf(shadow, 7, 7).g, 255);
}

} // namespace
