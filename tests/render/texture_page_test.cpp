// Texture pages: first-fit placement, resizing and dragging of entries, equality,
// building by majority format, and the TEXP section.
#include "tests/render/TextureTestRig.h"

#include <string>

#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/world/ChunkFile.h"
#include "platform/files/Files.h"
#include "platform/win/MessageBox.h"
#include "tests/render/HouseWorld.h"

namespace {

RECT R(int32_t l, int32_t t, int32_t r, int32_t b)
{
    RECT rc;
    rc.left = l;
    rc.top = t;
    rc.right = r;
    rc.bottom = b;
    return rc;
}

void ExpectRect(const RECT& got, int32_t l, int32_t t, int32_t r, int32_t b, const char* what = "")
{
    EXPECT_EQ(got.left, l) << what;
    EXPECT_EQ(got.top, t) << what;
    EXPECT_EQ(got.right, r) << what;
    EXPECT_EQ(got.bottom, b) << what;
}

// A texture of a size and one colour, made from memory.
CTexture* SolidTexture(const char* name, int w, int h, uint32_t argb, bool keyed = false)
{
    auto* t = new CTexture(name);
    imgImage img;
    FillImage(img, w, h, std::vector<uint32_t>(size_t(w * h), argb));
    if (!keyed) {
        EXPECT_EQ(img.convertTo(FMT_BGR_888, ORIGIN_TOP_LEFT), 1);
    }
    EXPECT_TRUE(t->CreateFromImage(img, keyed));
    t->sourcePath = std::string("textures\\") + name + ".bmp";
    return t;
}

// A texture with only a size (no surface), enough for placement.
CTexture* SizedTexture(int w, int h)
{
    auto* t = new CTexture();
    t->width = w;
    t->height = h;
    return t;
}

// One model of the model list for each of the first n entries of the page,
// its material bound to that entry.
std::vector<CMeshMaterial*> PageUsers(CTexturePage& page, int n)
{
    std::vector<CMeshMaterial*> users;
    for (int i = 0; i < n; ++i) {
        const std::string name = "user" + std::to_string(i);
        CModelEntry* e = MakeEntry(name.c_str(), MakeBoxModel(name.c_str(), 1, 1, 1, 1, 1, 1));
        CMeshMaterial& m = static_cast<CMeshNode*>(e->model->FirstModelChild())->materials[0];
        m.page = &page;
        m.pageEntry = i;
        users.push_back(&m);
    }
    return users;
}

// The page of the test goes before the model list does.
void ReleaseUsers(const std::vector<CMeshMaterial*>& users)
{
    for (CMeshMaterial* m : users)
        m->page = nullptr;
}

class TexturePages : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CreateWorldRoots();
        platform::ClearMessageBoxAnswers();
        savedGameMode = GameModeFlag;
        GameModeFlag = 0;
    }
    void TearDown() override
    {
        DestroyWorldRoots();
        GameModeFlag = savedGameMode;
    }
    uint8_t savedGameMode = 0;
};

TEST_F(TexturePages, FirstFitPlacesQuarterSizedEntries)
{
    TextureDeviceRig rig;
    CTexturePage page;
    EXPECT_EQ(CTexturePage::First(), &page);
    EXPECT_EQ(page.width, 256);
    ASSERT_TRUE(page.AddTexture(SizedTexture(256, 256)));
    ASSERT_TRUE(page.AddTexture(SizedTexture(256, 256)));
    ExpectRect(page.entries[0].pageRect, 0, 0, 64, 64, "first");
    ExpectRect(page.entries[1].pageRect, 64, 0, 128, 64, "second");
    ExpectRect(page.entries[1].textureRect, 0, 0, 256, 256, "whole texture");
    // Small textures take at least 16 by 16; the row fills, then the next row.
    ASSERT_TRUE(page.AddTexture(SizedTexture(32, 32)));
    ExpectRect(page.entries[2].pageRect, 128, 0, 144, 16, "never below 16");
    ASSERT_TRUE(page.AddTexture(SizedTexture(512, 256)));
    // Rows advance one pixel at a time: the first free place is beside the small entry.
    ExpectRect(page.entries[3].pageRect, 128, 16, 256, 80, "first fit");
}

TEST_F(TexturePages, AFullPageRefusesMoreTextures)
{
    TextureDeviceRig rig;
    CTexturePage page;
    for (int i = 0; i < 16; ++i)
        ASSERT_TRUE(page.AddTexture(SizedTexture(256, 256)));
    EXPECT_FALSE(page.AddTexture(SizedTexture(256, 256)));
    EXPECT_FALSE(page.AddTexture(SizedTexture(2048, 2048))) << "taller than the page";
    EXPECT_EQ(page.count(), 16);
}

TEST_F(TexturePages, ATextureOfAnotherFormatIsRefused)
{
    TextureDeviceRig rig;
    CTexturePage page;
    CTexture* opaque = SolidTexture("a", 64, 64, 0xFFFFFFFFu);
    CTexture* keyed = SolidTexture("b", 64, 64, 0xFFFFFFFFu, true);
    page.format = opaque->format;
    EXPECT_TRUE(page.AddTexture(opaque));
    EXPECT_FALSE(page.AddTexture(keyed));
    EXPECT_EQ(page.count(), 1);
}

TEST_F(TexturePages, RemovingAnEntryMovesTheLaterOnesDown)
{
    TextureDeviceRig rig;
    CTexturePage page;
    CTexture* t[3] = {SizedTexture(64, 64), SizedTexture(64, 64), SizedTexture(64, 64)};
    for (CTexture* x : t)
        page.AddTexture(x);
    page.removeTexture(1);
    ASSERT_EQ(page.count(), 2);
    EXPECT_EQ(page.entries[0].texture, t[0]);
    EXPECT_EQ(page.entries[1].texture, t[2]);
    page.removeTexture(5);
    EXPECT_EQ(page.count(), 2);
}

TEST_F(TexturePages, ResizeStaysInsideThePageAndOffOtherEntries)
{
    TextureDeviceRig rig;
    CTexturePage page;
    page.AddTexture(SizedTexture(256, 256)); // (0, 0, 64, 64)
    page.AddTexture(SizedTexture(256, 256)); // (64, 0, 128, 64)
    EXPECT_TRUE(page.ResizeEntry(1, 10, 20));
    ExpectRect(page.entries[1].pageRect, 64, 0, 138, 84);
    EXPECT_FALSE(page.ResizeEntry(1, 200, 0)) << "beyond the page";
    EXPECT_FALSE(page.ResizeEntry(1, -60, 0)) << "narrower than 16";
    EXPECT_FALSE(page.ResizeEntry(0, 1, 0)) << "onto the other entry";
    EXPECT_FALSE(page.ResizeEntry(1, 0, 0)) << "unchanged";
    ExpectRect(page.entries[0].pageRect, 0, 0, 64, 64);
}

TEST_F(TexturePages, DragStopsAtEntriesBordersAndTheMinimumSize)
{
    TextureDeviceRig rig;
    CTexturePage page;
    page.AddTexture(SizedTexture(256, 256)); // (0, 0, 64, 64)
    page.AddTexture(SizedTexture(256, 256)); // (64, 0, 128, 64)
    const uint32_t all = DRAG_LEFT | DRAG_TOP | DRAG_RIGHT | DRAG_BOTTOM;
    const RECT tex = R(0, 0, 256, 256);

    // Dragging the second entry 40 to the left onto the first stops next to it.
    RECT start = page.entries[1].pageRect;
    EXPECT_FALSE(page.DragEntry(1, start, tex, -40, 0, all));
    ExpectRect(page.entries[1].pageRect, 64, 0, 128, 64, "blocked at once");

    // Down and left, clear of the first entry: taken as it is.
    EXPECT_TRUE(page.DragEntry(1, start, tex, -40, 100, all));
    ExpectRect(page.entries[1].pageRect, 24, 100, 88, 164, "clear of the first entry");

    // Past the page border: stops at the border.
    start = page.entries[1].pageRect;
    EXPECT_TRUE(page.DragEntry(1, start, tex, 500, 0, all));
    ExpectRect(page.entries[1].pageRect, 192, 100, 256, 164, "at the right border");

    // The left edge dragged to leave 5 pixels keeps 16.
    start = page.entries[1].pageRect;
    EXPECT_TRUE(page.DragEntry(1, start, tex, 59, 0, DRAG_LEFT));
    ExpectRect(page.entries[1].pageRect, 240, 100, 256, 164, "minimum width");
}

TEST_F(TexturePages, CroppingDragMapsTheTextureRectangle)
{
    TextureDeviceRig rig;
    CTexturePage page;
    page.AddTexture(SizedTexture(256, 256)); // (0, 0, 64, 64)
    const RECT start = page.entries[0].pageRect;
    const RECT tex = page.entries[0].textureRect;
    // The right edge moves 16 to the left: a quarter of the width, 64 of 256.
    EXPECT_TRUE(page.DragEntry(0, start, tex, -16, 0, DRAG_RIGHT | DRAG_CROP));
    ExpectRect(page.entries[0].pageRect, 0, 0, 48, 64);
    ExpectRect(page.entries[0].textureRect, 0, 0, 192, 256);
}

TEST_F(TexturePages, FindEqualComparesTexturesAndRectangles)
{
    TextureDeviceRig rig;
    CTexture* t = SizedTexture(64, 64);
    CTexture* u = SizedTexture(64, 64);
    auto* a = new CTexturePage();
    auto* b = new CTexturePage();
    auto* c = new CTexturePage();
    auto* emptyOne = new CTexturePage();
    auto* emptyTwo = new CTexturePage();
    a->AddTexture(t);
    b->AddTexture(u);
    c->AddTexture(t);
    EXPECT_EQ(CTexturePage::First()->FindEqual(c), a);
    EXPECT_EQ(CTexturePage::First()->FindEqual(b), nullptr);
    EXPECT_EQ(CTexturePage::First()->FindEqual(emptyTwo), emptyOne);
    delete b;
    EXPECT_EQ(a->next, c);
}

TEST_F(TexturePages, BuildTakesTheMajorityFormatAndRemovesTheOthers)
{
    TextureDeviceRig rig;
    CTexturePage page;
    CTexture* keyed[2] = {SolidTexture("k1", 64, 64, 0xFFFF0000u, true),
                          SolidTexture("k2", 64, 64, 0xFFFF0000u, true)};
    CTexture* plain[3] = {SolidTexture("p1", 64, 64, 0xFF00FF00u), SolidTexture("p2", 64, 64, 0xFF0000FFu),
                          SolidTexture("p3", 64, 64, 0xFFFFFFFFu)};
    page.AddTexture(keyed[0]);
    page.AddTexture(plain[0]);
    page.AddTexture(plain[1]);
    page.AddTexture(keyed[1]);
    page.AddTexture(plain[2]);
    const std::vector<CMeshMaterial*> users = PageUsers(page, 5);
    ASSERT_TRUE(page.Build());
    EXPECT_EQ(page.format, plain[0]->format);
    EXPECT_EQ(page.bitDepth, 16);
    ASSERT_EQ(page.count(), 3);
    EXPECT_EQ(page.entries[0].texture, plain[0]);
    EXPECT_EQ(rig.logCount("Some textures within texture-page use different texture-formats. Removing them."),
              2);
    // The models lose the removed entries; the later ones move down.
    EXPECT_EQ(users[0]->page, nullptr);
    EXPECT_EQ(users[3]->page, nullptr);
    for (int i : {1, 2, 4})
        ASSERT_EQ(users[size_t(i)]->page, &page) << i;
    EXPECT_EQ(users[1]->pageEntry, 0);
    EXPECT_EQ(users[2]->pageEntry, 1);
    EXPECT_EQ(users[4]->pageEntry, 2);
    ReleaseUsers(users);
    // The entries' textures were copied (scaled down to 16 by 16) into the page.
    const Rgba green = PixelOf(page, 16 + 8, 8);
    EXPECT_EQ(green.g, 255);
    EXPECT_EQ(green.r, 0);
    const Rgba blue = PixelOf(page, 32 + 8, 8);
    EXPECT_EQ(blue.b, 255);
    EXPECT_EQ(blue.g, 0);
}

TEST_F(TexturePages, BuildRefusesPagesLargerThanTheDevice)
{
    TextureDeviceRig rig;
    rig.info.maxTextureWidth = rig.info.maxTextureHeight = 128;
    CTexturePage page;
    page.AddTexture(SolidTexture("a", 64, 64, 0xFFFFFFFFu));
    EXPECT_FALSE(page.Build());
    EXPECT_EQ(page.surface, nullptr);
    EXPECT_EQ(rig.logCount("Driver does not support 256x256 texture size"), 1);
}

TEST_F(TexturePages, PurgeRemovesEntriesWithoutTexture)
{
    TextureDeviceRig rig;
    CTexturePage page;
    for (int i = 0; i < 3; ++i)
        page.AddTexture(SizedTexture(64, 64));
    page.entries[0].texture = nullptr;
    page.entries[2].texture = nullptr;
    const std::vector<CMeshMaterial*> users = PageUsers(page, 3);
    page.PurgeMissingTextures();
    EXPECT_EQ(page.count(), 1);
    // From the last entry down: the kept entry's user moves to 0 exactly once.
    EXPECT_EQ(users[0]->page, nullptr);
    EXPECT_EQ(users[2]->page, nullptr);
    ASSERT_EQ(users[1]->page, &page);
    EXPECT_EQ(users[1]->pageEntry, 0);
    ReleaseUsers(users);
    EXPECT_EQ(rig.logCount("Removed texture from texture-page due to lack of texture"), 2);
}

// ---- the TEXP section -----------------------------------------------------

std::vector<uint8_t> SaveAll()
{
    CChunkWriter w;
    EXPECT_TRUE(CTexturePage::First()->SavePages(w));
    return w.Data();
}

bool LoadAll(const std::vector<uint8_t>& bytes, std::string* error = nullptr)
{
    CChunkReader data(bytes.data(), bytes.size());
    SChunkHeader header;
    CChunkReader tag;
    EXPECT_EQ(data.NextChunk(header, tag), CHUNK_OK);
    EXPECT_EQ(header.id, ChunkId("TEXP"));
    return CTexturePage::LoadPages(data, error);
}

TEST_F(TexturePages, SectionRoundTripKeepsEntriesAndPixels)
{
    TextureDeviceRig rig;
    const std::string savedCwd = platform::GetCurrentDirectory();
    ASSERT_TRUE(platform::SetCurrentDirectory(rig.folder.string()));
    std::filesystem::create_directories(rig.folder / "textures");
    const uint32_t colours[2] = {0xFFFF0000u, 0xFF00FF00u};
    const char* names[2] = {"red", "green"};
    for (int i = 0; i < 2; ++i)
        ASSERT_TRUE(WritePicture(rig.folder / "textures" / (std::string(names[i]) + ".bmp"), 256, 256,
                                 std::vector<uint32_t>(256 * 256, colours[i])));
    {
        auto* page = new CTexturePage();
        page->keptWord = 77;
        for (const char* n : names) {
            auto* t = new CTexture();
            ASSERT_TRUE(t->Load((std::string("textures\\") + n + ".bmp").c_str(), false));
            ASSERT_TRUE(page->AddTexture(t));
        }
        ASSERT_TRUE(page->Build());
    }
    const std::vector<uint8_t> first = SaveAll();
    const std::vector<RECT> rects = {CTexturePage::First()->entries[0].pageRect,
                                     CTexturePage::First()->entries[1].pageRect};
    CTexturePage::DeleteAll();
    while (CTexture::First())
        delete CTexture::First();

    ASSERT_TRUE(LoadAll(first));
    CTexturePage* page = CTexturePage::First();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->next, nullptr);
    EXPECT_EQ(page->number, 1);
    EXPECT_EQ(page->keptWord, 77);
    ASSERT_EQ(page->count(), 2);
    for (int i = 0; i < 2; ++i) {
        ASSERT_NE(page->entries[size_t(i)].texture, nullptr) << "loaded again by its path";
        EXPECT_EQ(page->entries[size_t(i)].texture->name, names[i]);
        ExpectRect(page->entries[size_t(i)].pageRect, rects[size_t(i)].left, rects[size_t(i)].top,
                   rects[size_t(i)].right, rects[size_t(i)].bottom);
    }
    EXPECT_EQ(PixelOf(*page, 10, 10).r, 255);
    EXPECT_EQ(PixelOf(*page, 70, 10).g, 255);
    EXPECT_EQ(PixelOf(*page, 70, 10).r, 0);
    EXPECT_EQ(SaveAll(), first) << "written again byte for byte";
    platform::SetCurrentDirectory(savedCwd);
}

// A PAGE chunk written by hand: 2x2 pixels after "TXPG".
std::vector<uint8_t> HandMadeSection(uint32_t version, bool alpha, const std::vector<uint16_t>& pixels,
                                     int32_t w = 2, int32_t h = 2, int32_t count = 0)
{
    CChunkWriter wr;
    wr.WriteMarker(ChunkId("TEXP"));
    wr.BeginChunk(ChunkId("PAGE"), version);
    if (version >= 1) {
        wr.WriteI32(w);
        wr.WriteI32(h);
    }
    wr.WriteI32(5);
    wr.WriteI32(count);
    if (!pixels.empty()) {
        wr.WriteId(ChunkId("TXPG"));
        wr.WriteBool(alpha);
        for (uint16_t p : pixels)
            wr.WriteU16(p);
    } else {
        wr.WriteU32(0);
    }
    wr.EndChunk();
    wr.WriteMarker(ChunkId("END "));
    return wr.Data();
}

TEST_F(TexturePages, StoredPixelsAreConvertedForADeviceWithOnlyFiveSixFive)
{
    TextureDeviceRig rig(FormatSet::Only565);
    ASSERT_TRUE(LoadAll(HandMadeSection(2, false, {0x7FFF, 0x0000, 0x7C00, 0x001F})));
    CTexturePage* page = CTexturePage::First();
    ASSERT_NE(page->surface, nullptr);
    EXPECT_EQ(page->format->format.dwGBitMask, 0x07E0u);
    DDSURFACEDESC2 d;
    ASSERT_EQ(page->surface->Lock(nullptr, &d, DDLOCK_READONLY, nullptr), DD_OK);
    const auto* row0 = static_cast<const uint16_t*>(d.lpSurface);
    const auto* row1 = reinterpret_cast<const uint16_t*>(static_cast<const uint8_t*>(d.lpSurface) + d.lPitch);
    EXPECT_EQ(row0[0], 0xFFFF);
    EXPECT_EQ(row0[1], 0x0020);
    EXPECT_EQ(row1[0], 0xF820);
    EXPECT_EQ(row1[1], 0x003F);
    page->surface->Unlock(nullptr);
    EXPECT_EQ(rig.logCount("Using texture-format '16 bit 0565 RGB' for a texture-page"), 1);
}

TEST_F(TexturePages, PagesWithoutAMatchingFormatOrWithoutPixels)
{
    {
        TextureDeviceRig rig(FormatSet::Only565);
        ASSERT_TRUE(LoadAll(HandMadeSection(2, true, {0x8000, 0, 0, 0})));
        EXPECT_EQ(CTexturePage::First()->surface, nullptr);
        EXPECT_EQ(rig.logCount("No appropriate texture-format found"), 1);
    }
    {
        TextureDeviceRig rig;
        ASSERT_TRUE(LoadAll(HandMadeSection(1, false, {})));
        EXPECT_EQ(CTexturePage::First()->width, 2);
        EXPECT_EQ(CTexturePage::First()->surface, nullptr);
    }
    {
        TextureDeviceRig rig;
        ASSERT_TRUE(LoadAll(HandMadeSection(0, false, {})));
        EXPECT_EQ(CTexturePage::First()->width, 256) << "version 0 pages are 256 by 256";
        EXPECT_EQ(CTexturePage::First()->height, 256);
        EXPECT_EQ(CTexturePage::First()->keptWord, 5);
    }
}

TEST_F(TexturePages, DamagedPagesAreRefused)
{
    struct Case
    {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {"entry count beyond the body", HandMadeSection(2, false, {}, 2, 2, 1000000)},
        {"negative entry count", HandMadeSection(2, false, {}, 2, 2, -1)},
        {"pixel rows beyond the body", HandMadeSection(2, false, {1, 2, 3, 4}, 200, 200)},
        {"negative size", HandMadeSection(2, false, {}, -2, 2)},
    };
    for (const Case& c : cases) {
        TextureDeviceRig rig;
        std::string error;
        EXPECT_FALSE(LoadAll(c.bytes, &error)) << c.what;
        EXPECT_NE(error.find("damaged texture-page"), std::string::npos) << c.what << ": " << error;
        EXPECT_EQ(rig.logCount("Damaged texture-page"), 1) << c.what;
    }
}

TEST_F(TexturePages, GameModeReadsNoTexturesButKeepsTheirPaths)
{
    TextureDeviceRig rig;
    GameModeFlag = 1;
    CChunkWriter wr;
    wr.WriteMarker(ChunkId("TEXP"));
    wr.BeginChunk(ChunkId("PAGE"), 2);
    wr.WriteI32(256);
    wr.WriteI32(256);
    wr.WriteI32(0);
    wr.WriteI32(1);
    wr.WriteString("textures\\absent.bmp");
    for (int32_t v : {0, 0, 64, 64, 0, 0, 256, 256})
        wr.WriteI32(v);
    wr.WriteU32(0);
    wr.EndChunk();
    wr.WriteMarker(ChunkId("END "));
    ASSERT_TRUE(LoadAll(wr.Data()));
    CTexturePage* page = CTexturePage::First();
    ASSERT_EQ(page->count(), 1);
    EXPECT_EQ(page->entries[0].texture, nullptr);
    EXPECT_EQ(rig.logCount("Couldn't load"), 0);
    // Written back, the entry keeps its path.
    CChunkWriter again;
    ASSERT_TRUE(page->SavePages(again));
    EXPECT_EQ(again.Data(), wr.Data());
}

TEST_F(TexturePages, AHalvedFiveSixFivePageIsStoredAsFiveFiveFiveAtItsFullSize)
{
    TextureDeviceRig rig(FormatSet::Only565);
    DX.halveTextureWidths = DX.halveTextureHeights = true;
    auto* page = new CTexturePage();
    page->AddTexture(SolidTexture("white", 256, 256, 0xFFFFFFFFu));
    ASSERT_TRUE(page->Build());
    DDSURFACEDESC2 d;
    ASSERT_EQ(page->surface->GetSurfaceDesc(&d), DD_OK);
    EXPECT_EQ(d.dwWidth, 128u);
    const std::vector<uint8_t> bytes = SaveAll();

    // The stored rows: 256 by 256 pixels of 5-5-5; white in the entry, black elsewhere.
    CChunkReader data(bytes.data(), bytes.size());
    SChunkHeader h;
    CChunkReader body;
    ASSERT_EQ(data.NextChunk(h, body), CHUNK_OK);
    ASSERT_EQ(data.NextChunk(h, body), CHUNK_OK);
    ASSERT_EQ(h.id, ChunkId("PAGE"));
    EXPECT_EQ(body.ReadU32(), 2u);
    EXPECT_EQ(body.ReadI32(), 256);
    EXPECT_EQ(body.ReadI32(), 256);
    body.ReadI32();
    EXPECT_EQ(body.ReadI32(), 1);
    body.ReadPaddedString();
    body.Skip(32);
    EXPECT_EQ(body.ReadId(), ChunkId("TXPG"));
    EXPECT_FALSE(body.ReadBool());
    ASSERT_EQ(body.Remaining(), size_t(256 * 256 * 2));
    EXPECT_EQ(body.ReadU16(), 0x7FFF);
    body.Skip(2 * 62);
    EXPECT_EQ(body.ReadU16(), 0x7FFF) << "last pixel of the entry's first row";
    EXPECT_EQ(body.ReadU16(), 0x0000);

    // Read back on the same device it shows its colours.
    CTexturePage::DeleteAll();
    DX.halveTextureWidths = DX.halveTextureHeights = false;
    ASSERT_TRUE(LoadAll(bytes));
    EXPECT_EQ(PixelOf(*CTexturePage::First(), 63, 63).r, 255);
    EXPECT_EQ(PixelOf(*CTexturePage::First(), 64, 0).r, 0);
}

TEST_F(TexturePages, LowResolutionSettingHalvesStoredPages)
{
    TextureDeviceRig rig;
    const uint8_t saved = Settings.highResTextures;
    Settings.highResTextures = 0;
    ASSERT_TRUE(LoadAll(HandMadeSection(2, false, {0x7FFF, 0x0000, 0x0000, 0x0000})));
    DDSURFACEDESC2 d;
    ASSERT_EQ(CTexturePage::First()->surface->GetSurfaceDesc(&d), DD_OK);
    EXPECT_EQ(d.dwWidth, 1u);
    EXPECT_EQ(d.dwHeight, 1u);
    EXPECT_EQ(CTexturePage::First()->width, 2) << "the logical size stays";
    Settings.highResTextures = saved;
}

} // namespace
