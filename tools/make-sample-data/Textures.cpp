// The level's textures: drawn here, written as files beside the world (so the
// editor finds them) and copied into texture pages (which the world file stores
// with their pixels, so the game needs no texture files).
#include <cmath>
#include <functional>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/Enumerate.h"
#include "GAMES/Rulo2/Texture.h"
#include "GAMES/Rulo2/TexturePage.h"
#include "tools/make-sample-data/SampleData.h"

namespace sample {

namespace {

constexpr int kSize = 128; // texture size; four textures fill a 256 x 256 page

IDirectDraw7* g_directDraw = nullptr;
D3DDeviceInfo* g_info = nullptr;
DirectXState g_savedDX;

TextureFormatInfo* Format(const char* name, uint32_t bits, uint32_t r, uint32_t g, uint32_t b, uint32_t a)
{
    auto* f = new TextureFormatInfo();
    f->name.Set(name);
    f->format = D3DMakeRGBFormat(bits, r, g, b, a);
    f->rgb = 1;
    f->hasAlpha = a != 0;
    f->bitsPerPixel = int32_t(bits);
    return f;
}

void Brick(SPicture& p, CRandom& rnd)
{
    p.Fill(0, 0, kSize, kSize, Rgb(178, 170, 156));
    const int bw = 32, bh = 16;
    for (int row = 0; row < kSize / bh; ++row) {
        const int shift = (row % 2) ? bw / 2 : 0;
        for (int col = -1; col <= kSize / bw; ++col) {
            const int x0 = col * bw + shift, y0 = row * bh;
            const float f = 0.8f + 0.35f * rnd.Unit();
            const uint32_t c = Rgb(int(150 * f), int(62 * f), int(44 * f));
            p.Fill(x0 + 2, y0 + 2, x0 + bw, y0 + bh, c);
            p.Fill(x0 + 2, y0 + bh - 3, x0 + bw, y0 + bh, Mix(c, 0xFF000000u, 0.25f));
        }
    }
    p.Noise(rnd, 0.08f);
}

void Plaster(SPicture& p, CRandom& rnd)
{
    p.Fill(0, 0, kSize, kSize, Rgb(226, 208, 166));
    for (int i = 0; i < 40; ++i)
        p.Disc(rnd.Unit() * kSize, rnd.Unit() * kSize, 3 + rnd.Unit() * 9,
               Mix(Rgb(226, 208, 166), Rgb(200, 180, 140), rnd.Unit()));
    p.Noise(rnd, 0.06f);
}

void Wood(SPicture& p, CRandom& rnd)
{
    const int plank = 16;
    for (int row = 0; row < kSize / plank; ++row) {
        const float f = 0.85f + 0.25f * rnd.Unit();
        for (int y = row * plank; y < (row + 1) * plank; ++y) {
            for (int x = 0; x < kSize; ++x) {
                const float grain =
                    0.9f + 0.1f * std::sin(float(x) * 0.15f + float(y) * 0.9f + float(row) * 3.0f);
                p.At(x, y) = Rgb(int(150 * f * grain), int(98 * f * grain), int(54 * f * grain));
            }
        }
        p.Fill(0, row * plank, kSize, row * plank + 1, Rgb(70, 44, 24));
        const int joint = rnd.Range(10, kSize - 10);
        p.Fill(joint, row * plank, joint + 1, (row + 1) * plank, Rgb(70, 44, 24));
    }
    p.Noise(rnd, 0.05f);
}

void FloorTiles(SPicture& p, CRandom& rnd)
{
    const int t = 32;
    for (int y = 0; y < kSize / t; ++y)
        for (int x = 0; x < kSize / t; ++x) {
            const uint32_t c = (x + y) % 2 ? Rgb(232, 228, 216) : Rgb(104, 120, 140);
            p.Fill(x * t, y * t, (x + 1) * t, (y + 1) * t, c);
            p.Frame(x * t, y * t, (x + 1) * t, (y + 1) * t, 1, Rgb(90, 90, 86));
        }
    p.Noise(rnd, 0.04f);
}

void RoofTiles(SPicture& p, CRandom& rnd)
{
    p.Fill(0, 0, kSize, kSize, Rgb(90, 30, 22));
    const int rh = 16, tw = 16;
    for (int row = 0; row < kSize / rh; ++row) {
        const int shift = (row % 2) ? tw / 2 : 0;
        for (int col = -1; col <= kSize / tw; ++col) {
            const float f = 0.85f + 0.25f * rnd.Unit();
            const float cx = float(col * tw + shift) + tw / 2.0f, top = float(row * rh);
            p.Fill(int(cx - tw / 2.0f) + 1, int(top), int(cx + tw / 2.0f) - 1, int(top) + rh - 5,
                   Rgb(int(168 * f), int(64 * f), int(40 * f)));
            p.Disc(cx, top + rh - 6, tw / 2.0f - 1, Rgb(int(168 * f), int(64 * f), int(40 * f)));
            p.Shade(int(cx - tw / 2.0f) + 1, int(top), int(cx - tw / 2.0f) + 4, int(top) + rh - 4, 0.75f);
        }
    }
    p.Noise(rnd, 0.06f);
}

void Asphalt(SPicture& p, CRandom& rnd)
{
    p.Fill(0, 0, kSize, kSize, Rgb(72, 72, 76));
    for (int i = 0; i < 300; ++i) {
        const int x = rnd.Range(0, kSize - 2), y = rnd.Range(0, kSize - 2);
        p.Fill(x, y, x + 2, y + 2, rnd.Unit() < 0.5f ? Rgb(96, 96, 100) : Rgb(52, 52, 56));
    }
    p.Noise(rnd, 0.12f);
}

void Grass(SPicture& p, CRandom& rnd)
{
    p.Fill(0, 0, kSize, kSize, Rgb(70, 122, 48));
    for (int i = 0; i < 900; ++i) {
        const int x = rnd.Range(0, kSize - 1), y = rnd.Range(0, kSize - 4);
        const uint32_t c = rnd.Unit() < 0.5f ? Rgb(96, 150, 60) : Rgb(50, 96, 36);
        p.Fill(x, y, x + 1, y + 4, c);
    }
    p.Noise(rnd, 0.08f);
}

void Paving(SPicture& p, CRandom& rnd)
{
    const int t = 32;
    for (int y = 0; y < kSize / t; ++y)
        for (int x = 0; x < kSize / t; ++x) {
            const float f = 0.9f + 0.15f * rnd.Unit();
            p.Fill(x * t, y * t, (x + 1) * t, (y + 1) * t, Rgb(int(176 * f), int(172 * f), int(164 * f)));
            p.Frame(x * t, y * t, (x + 1) * t, (y + 1) * t, 2, Rgb(110, 106, 100));
        }
    p.Noise(rnd, 0.07f);
}

void Door(SPicture& p, CRandom& rnd)
{
    Wood(p, rnd);
    p.Shade(0, 0, kSize, kSize, 0.8f);
    p.Frame(0, 0, kSize, kSize, 8, Rgb(70, 40, 20));
    p.Frame(20, 16, kSize - 20, 58, 4, Rgb(80, 48, 24));
    p.Frame(20, 70, kSize - 20, kSize - 16, 4, Rgb(80, 48, 24));
    p.Disc(kSize - 26, 64, 5, Rgb(220, 190, 80));
}

void Glass(SPicture& p, CRandom& rnd)
{
    p.VerticalGradient(0, 0, kSize, kSize, Rgb(150, 190, 220), Rgb(40, 70, 110));
    for (int i = 0; i < kSize; ++i)
        p.Fill(i, kSize - i - 24, i + 1, kSize - i,
               Mix(p.At(i, std::max(0, kSize - i - 24)), Rgb(230, 240, 250), 0.4f));
    p.Fill(kSize / 2 - 3, 0, kSize / 2 + 3, kSize, Rgb(240, 240, 236));
    p.Fill(0, kSize / 2 - 3, kSize, kSize / 2 + 3, Rgb(240, 240, 236));
    p.Frame(0, 0, kSize, kSize, 8, Rgb(240, 240, 236));
    p.Noise(rnd, 0.02f);
}

void Fabric(SPicture& p, CRandom& rnd)
{
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x)
            p.At(x, y) = ((x / 16 + y / 16) % 2) ? Rgb(150, 40, 44) : Rgb(176, 58, 60);
    for (int i = 0; i < kSize; i += 16) {
        p.Fill(i, 0, i + 2, kSize, Rgb(220, 200, 150));
        p.Fill(0, i, kSize, i + 2, Rgb(220, 200, 150));
    }
    p.Noise(rnd, 0.05f);
}

void Leaves(SPicture& p, CRandom& rnd)
{
    p.Fill(0, 0, kSize, kSize, Rgb(40, 84, 34));
    for (int i = 0; i < 160; ++i)
        p.Disc(rnd.Unit() * kSize, rnd.Unit() * kSize, 3 + rnd.Unit() * 6,
               rnd.Unit() < 0.5f ? Rgb(62, 118, 44) : Rgb(30, 66, 28));
    p.Noise(rnd, 0.08f);
}

void Kerb(SPicture& p, CRandom& rnd)
{
    p.Fill(0, 0, kSize, kSize, Rgb(150, 148, 144));
    for (int x = 0; x < kSize; x += 64)
        p.Fill(x, 0, x + 2, kSize, Rgb(96, 94, 90));
    p.Noise(rnd, 0.1f);
}

struct SDrawing
{
    const char* name;
    void (*draw)(SPicture&, CRandom&);
};

// Page order is this order, four to a page.
const SDrawing kDrawings[] = {
    {"brick", Brick},         {"plaster", Plaster}, {"wood", Wood},     {"tiles", FloorTiles},
    {"rooftiles", RoofTiles}, {"asphalt", Asphalt}, {"grass", Grass},   {"paving", Paving},
    {"door", Door},           {"glass", Glass},     {"fabric", Fabric}, {"leaves", Leaves},
    {"kerb", Kerb},
};

} // namespace

const SSampleTexture& SContext::Texture(const std::string& name) const
{
    for (const SSampleTexture& t : textures)
        if (t.name == name)
            return t;
    static const SSampleTexture none;
    return none;
}

bool OpenTextureDevice(std::string& error)
{
    g_savedDX = DX;
    if (DirectDrawCreateEx(nullptr, &g_directDraw) != DD_OK) {
        error = "no texture device: the video system could not be started";
        return false;
    }
    g_info = new D3DDeviceInfo();
    g_info->texturing = true;
    g_info->hardware = true;
    g_info->maxTextureWidth = 256;
    g_info->maxTextureHeight = 256;
    // The formats the game's device offers.
    g_info->textureFormats.add(Format("16 bit 0565 RGB", 16, 0xF800, 0x07E0, 0x001F, 0));
    g_info->textureFormats.add(Format("16 bit 1555 RGBALPHA ", 16, 0x7C00, 0x03E0, 0x001F, 0x8000));
    g_info->textureFormats.add(Format("16 bit 4444 RGBALPHA ", 16, 0x0F00, 0x00F0, 0x000F, 0xF000));
    g_info->textureFormats.add(Format("32 bit 8888 RGBALPHA ", 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000u));
    DX.directDraw = g_directDraw;
    DX.deviceInfo = g_info;
    DX.halveTextureWidths = DX.halveTextureHeights = false;
    return true;
}

void CloseTextureDevice()
{
    CTexturePage::DeleteAll();
    while (CTexture::First())
        delete CTexture::First();
    DX = g_savedDX;
    if (g_info) {
        for (TextureFormatInfo* f : g_info->textureFormats)
            delete f;
        delete g_info;
        g_info = nullptr;
    }
    if (g_directDraw) {
        g_directDraw->Release();
        g_directDraw = nullptr;
    }
}

bool MakeTextures(SContext& c)
{
    CRandom rnd(20260101u);
    CTexturePage* page = nullptr;
    int pageNumber = 0;
    for (const SDrawing& d : kDrawings) {
        SPicture picture(kSize, kSize);
        d.draw(picture, rnd);
        const std::string file = std::string(d.name) + ".bmp";
        if (!picture.Save(c.out / "textures" / file, c.error))
            return false;
        SSampleTexture t;
        t.name = d.name;
        t.path = "textures\\" + file;
        // Loaded from the file under the Windows-style path the pages keep.
        auto* texture = new CTexture();
        if (!texture->Load(t.path.c_str(), false)) {
            c.error = (c.out / "textures" / file).string() + ": the texture could not be made from it";
            delete texture;
            return false;
        }
        if (!page || page->count() == 4) {
            page = new CTexturePage();
            page->number = ++pageNumber;
        }
        const int slot = page->count();
        CTexturePageEntry entry;
        entry.texture = texture;
        entry.pageRect =
            RECT{(slot % 2) * kSize, (slot / 2) * kSize, (slot % 2 + 1) * kSize, (slot / 2 + 1) * kSize};
        entry.textureRect = RECT{0, 0, 256, 256};
        page->entries.push_back(entry);
        t.pageNumber = page->number;
        t.pageEntry = slot;
        t.pageRect[0] = entry.pageRect.left;
        t.pageRect[1] = entry.pageRect.top;
        t.pageRect[2] = entry.pageRect.right;
        t.pageRect[3] = entry.pageRect.bottom;
        t.pageWidth = page->width;
        t.pageHeight = page->height;
        c.textures.push_back(t);
    }
    for (CTexturePage* p = CTexturePage::First(); p; p = p->next)
        if (!p->Build()) {
            c.error = "texture page " + std::to_string(p->number) + " could not be built";
            return false;
        }
    return true;
}

} // namespace sample
