#include "GAMES/Rulo2/TexturePage.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <memory>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/DirectXError.h"
#include "GAMES/Rulo2/Enumerate.h"
#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/world/ChunkFile.h"
#include "GAMES/Rulo2/world/ModelListServices.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "LIBS/System/LogPrintf.h"
#include "platform/files/Files.h"

CTexturePage* CTexturePage::s_first = nullptr;

namespace {

bool RectsOverlap(const RECT& a, const RECT& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

bool RectsEqual(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

RECT MakeRect(int32_t l, int32_t t, int32_t r, int32_t b)
{
    RECT rc;
    rc.left = l;
    rc.top = t;
    rc.right = r;
    rc.bottom = b;
    return rc;
}

// Before an entry of a page is removed: every material that uses (page, index)
// loses it and higher indexes of that page move down by one.
void DropFromModels(CTexturePage* page, int32_t index)
{
    if (g_ModelListRoot)
        RemoveTextureFromModels(g_ModelListRoot, page, index);
}

int32_t Clamp(int32_t v, int32_t lo, int32_t hi)
{
    return v < lo ? lo : (v > hi ? hi : v);
}

// The stored page pixel of an ARGB colour: 5-5-5, with a 1-bit alpha on top.
uint16_t To1555(uint32_t argb, bool alpha)
{
    const uint32_t r = (argb >> 19) & 0x1F, g = (argb >> 11) & 0x1F, b = (argb >> 3) & 0x1F;
    uint32_t p = (r << 10) | (g << 5) | b;
    if (alpha && (argb >> 24) >= 0x80)
        p |= 0x8000;
    return uint16_t(p);
}

bool Is555(const TextureFormatInfo* f)
{
    return CountBits(f->format.dwRBitMask) == 5 && CountBits(f->format.dwGBitMask) == 5 &&
           CountBits(f->format.dwBBitMask) == 5;
}

bool Is565(const TextureFormatInfo* f)
{
    return CountBits(f->format.dwRBitMask) == 5 && CountBits(f->format.dwGBitMask) == 6 &&
           CountBits(f->format.dwBBitMask) == 5;
}

} // namespace

CTexturePage::CTexturePage()
{
    width = 256;
    height = 256;
    CTexturePage** link = &s_first;
    while (*link)
        link = &(*link)->next;
    *link = this;
}

CTexturePage::~CTexturePage()
{
    for (CTexturePage** link = &s_first; *link; link = &(*link)->next) {
        if (*link == this) {
            *link = next;
            break;
        }
    }
    next = nullptr;
}

void CTexturePage::MoveToEnd()
{
    CTexturePage** link = &s_first;
    while (*link && *link != this)
        link = &(*link)->next;
    if (!*link)
        return;
    *link = next;
    next = nullptr;
    while (*link)
        link = &(*link)->next;
    *link = this;
}

void CTexturePage::DeleteAll()
{
    while (s_first)
        delete s_first;
}

CTexturePage* CTexturePage::FindByNumber(int32_t wanted)
{
    for (CTexturePage* p = s_first; p; p = p->next)
        if (p->number == wanted)
            return p;
    return nullptr;
}

void CTexturePage::Release()
{
    ReleaseSurface();
    format = nullptr;
    bitDepth = 0;
}

bool CTexturePage::Overlaps(const RECT& r, int32_t except) const
{
    for (int32_t i = 0; i < count(); ++i)
        if (i != except && RectsOverlap(entries[size_t(i)].pageRect, r))
            return true;
    return false;
}

bool CTexturePage::AddTexture(CTexture* texture)
{
    if (!texture)
        return false;
    if (format && texture->format != format) {
        MessageBoxInfo("Can't add texture to page. Wrong texture-format.");
        return false;
    }
    int32_t w = texture->width / 4, h = texture->height / 4;
    if (w < kMinEntrySize)
        w = kMinEntrySize;
    if (h < kMinEntrySize)
        h = kMinEntrySize;
    if (height < h) {
        MessageBoxWarning("Not enough room in texture-page to add texture");
        return false;
    }
    for (int32_t y = 0; y <= height - h; ++y) {
        int32_t x = 0;
        while (x <= width - w) {
            const RECT candidate = MakeRect(x, y, x + w, y + h);
            const CTexturePageEntry* hit = nullptr;
            for (const CTexturePageEntry& e : entries) {
                if (RectsOverlap(e.pageRect, candidate)) {
                    hit = &e;
                    break;
                }
            }
            if (!hit) {
                CTexturePageEntry entry;
                entry.texture = texture;
                entry.pageRect = candidate;
                entry.textureRect = MakeRect(0, 0, 256, 256);
                entries.push_back(entry);
                return true;
            }
            x = hit->pageRect.right;
        }
    }
    MessageBoxWarning("Not enough room in texture-page to add texture");
    return false;
}

void CTexturePage::removeTexture(int32_t index)
{
    if (index < 0 || index >= count())
        return;
    entries.erase(entries.begin() + index);
}

bool CTexturePage::ResizeEntry(int32_t index, int32_t dw, int32_t dh)
{
    if (index < 0 || index >= count())
        return false;
    CTexturePageEntry& e = entries[size_t(index)];
    RECT r = e.pageRect;
    r.right += dw;
    r.bottom += dh;
    if (r.left < 0 || r.top < 0 || r.right > width || r.bottom > height) {
        MessageBoxWarning("Not enough room in texture-page to perform operation");
        return false;
    }
    if (r.right - r.left < kMinEntrySize || r.bottom - r.top < kMinEntrySize)
        return false;
    if (Overlaps(r, index)) {
        MessageBoxWarning("Not enough room in texture-page to perform operation");
        return false;
    }
    if (RectsEqual(r, e.pageRect))
        return false;
    e.pageRect = r;
    return true;
}

bool CTexturePage::DragEntry(int32_t index, const RECT& startPage, const RECT& startTexture, int32_t dx,
                             int32_t dy, uint32_t edges)
{
    if (index < 0 || index >= count())
        return false;
    CTexturePageEntry& e = entries[size_t(index)];
    const bool moveL = edges & DRAG_LEFT, moveT = edges & DRAG_TOP;
    const bool moveR = edges & DRAG_RIGHT, moveB = edges & DRAG_BOTTOM;

    RECT target = startPage;
    if (moveL)
        target.left += dx;
    if (moveR)
        target.right += dx;
    if (moveT)
        target.top += dy;
    if (moveB)
        target.bottom += dy;

    int32_t cx = 0, cy = 0;
    if (target.left < 0)
        cx = -target.left;
    if (target.top < 0)
        cy = -target.top;
    if (target.right > width)
        cx = width - target.right;
    if (target.bottom > height)
        cy = height - target.bottom;
    if (moveL)
        target.left += cx;
    if (moveR)
        target.right += cx;
    if (moveT)
        target.top += cy;
    if (moveB)
        target.bottom += cy;

    if (target.right - target.left < kMinEntrySize) {
        if (moveL)
            target.left = target.right - kMinEntrySize;
        else
            target.right = target.left + kMinEntrySize;
    }
    if (target.bottom - target.top < kMinEntrySize) {
        if (moveT)
            target.top = target.bottom - kMinEntrySize;
        else
            target.bottom = target.top + kMinEntrySize;
    }

    const RECT current = e.pageRect;
    auto displaced = [&](int32_t ox, int32_t oy) {
        RECT r = current;
        if (moveL)
            r.left += ox;
        if (moveR)
            r.right += ox;
        if (moveT)
            r.top += oy;
        if (moveB)
            r.bottom += oy;
        return r;
    };
    for (int32_t i = 0; i < count(); ++i) {
        if (i == index || !RectsOverlap(entries[size_t(i)].pageRect, target))
            continue;
        const int32_t wantX = moveL ? target.left - current.left : (moveR ? target.right - current.right : 0);
        const int32_t wantY = moveT ? target.top - current.top : (moveB ? target.bottom - current.bottom : 0);
        int32_t foundY = 0, foundX = 0;
        const int32_t stepY = wantY > 0 ? 1 : -1;
        for (int32_t d = stepY; wantY != 0 && d != wantY + stepY; d += stepY) {
            if (Overlaps(displaced(0, d), index))
                break;
            foundY = d;
        }
        const int32_t stepX = wantX > 0 ? 1 : -1;
        for (int32_t d = stepX; wantX != 0 && d != wantX + stepX; d += stepX) {
            if (Overlaps(displaced(d, foundY), index))
                break;
            foundX = d;
        }
        target = displaced(foundX, foundY);
        break;
    }

    if (RectsEqual(target, current))
        return false;
    const RECT previousTexture = e.textureRect;
    e.pageRect = target;

    if (edges & DRAG_CROP) {
        const int32_t spw = startPage.right - startPage.left, sph = startPage.bottom - startPage.top;
        const int32_t stw = startTexture.right - startTexture.left,
                      sth = startTexture.bottom - startTexture.top;
        if (spw != 0 && sph != 0) {
            RECT t;
            t.left = (target.left - startPage.left) * stw / spw + startTexture.left;
            t.right = (target.right - startPage.right) * stw / spw + startTexture.right;
            t.top = (target.top - startPage.top) * sth / sph + startTexture.top;
            t.bottom = (target.bottom - startPage.bottom) * sth / sph + startTexture.bottom;
            t.left = Clamp(t.left, 0, previousTexture.right > 0 ? previousTexture.right : 0);
            t.right = Clamp(t.right, t.left, 256 > t.left ? 256 : t.left);
            t.top = Clamp(t.top, 0, previousTexture.bottom > 0 ? previousTexture.bottom : 0);
            t.bottom = Clamp(t.bottom, t.top, 256 > t.top ? 256 : t.top);
            e.textureRect = t;
        }
    }
    return true;
}

void CTexturePage::PurgeMissingTextures()
{
    for (int32_t i = count() - 1; i >= 0; --i) {
        if (entries[size_t(i)].texture)
            continue;
        DropFromModels(this, i);
        removeTexture(i);
        LogPrintf("Removed texture from texture-page due to lack of texture");
    }
}

CTexturePage* CTexturePage::FindEqual(CTexturePage* other)
{
    if (!other)
        return nullptr;
    for (CTexturePage* p = this; p; p = p->next) {
        if (p == other || p->count() != other->count())
            continue;
        bool same = true;
        for (int32_t i = 0; i < p->count() && same; ++i) {
            const CTexturePageEntry& a = p->entries[size_t(i)];
            const CTexturePageEntry& b = other->entries[size_t(i)];
            same = a.texture == b.texture && RectsEqual(a.pageRect, b.pageRect) &&
                   RectsEqual(a.textureRect, b.textureRect);
        }
        if (same)
            return p;
    }
    return nullptr;
}

bool CTexturePage::Build()
{
    D3DDeviceInfo* info = TextureDeviceInfo();
    if (!TextureDeviceCanTexture() || entries.empty())
        return false;
    const uint32_t maxW = info->maxTextureWidth ? info->maxTextureWidth : 256;
    const uint32_t maxH = info->maxTextureHeight ? info->maxTextureHeight : 256;
    if (width <= 0 || height <= 0 || uint32_t(width) > maxW || uint32_t(height) > maxH) {
        LogPrintf("Driver does not support %dx%d texture size", width, height);
        return false;
    }

    std::vector<std::pair<const TextureFormatInfo*, int32_t>> tally;
    for (const CTexturePageEntry& e : entries) {
        const TextureFormatInfo* f = e.texture ? e.texture->format : nullptr;
        bool counted = false;
        for (auto& t : tally) {
            if (t.first == f) {
                ++t.second;
                counted = true;
                break;
            }
        }
        if (!counted)
            tally.emplace_back(f, 1);
    }
    const TextureFormatInfo* winner = nullptr;
    int32_t best = 0;
    for (const auto& t : tally) {
        if (t.second > best) {
            winner = t.first;
            best = t.second;
        }
    }
    if (!winner) {
        LogPrintf("No appropriate texture-format found");
        return false;
    }
    format = winner;
    bitDepth = winner->bitsPerPixel;

    for (int32_t i = 0; i < count();) {
        const CTexturePageEntry& e = entries[size_t(i)];
        if (e.texture && e.texture->format == winner) {
            ++i;
            continue;
        }
        LogPrintf("Some textures within texture-page use different texture-formats. Removing them.");
        DropFromModels(this, i);
        removeTexture(i);
        i = 0;
    }

    DDSURFACEDESC2 desc;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT | DDSD_TEXTURESTAGE;
    desc.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
    desc.ddsCaps.dwCaps2 = DDSCAPS2_HINTSTATIC;
    desc.dwTextureStage = 0;
    desc.ddpfPixelFormat = winner->format;
    if (info->hardware)
        desc.ddsCaps.dwCaps2 |= DDSCAPS2_TEXTUREMANAGE;
    else
        desc.ddsCaps.dwCaps |= DDSCAPS_SYSTEMMEMORY;
    const bool halveW = DX.halveTextureWidths, halveH = DX.halveTextureHeights;
    desc.dwWidth = uint32_t(halveW && width > 1 ? width / 2 : width);
    desc.dwHeight = uint32_t(halveH && height > 1 ? height / 2 : height);
    ReleaseSurface();
    const HRESULT hr = TextureDirectDraw()->CreateSurface(&desc, &surface, nullptr);
    if (FAILED(hr)) {
        ReportDXError(__FILE__, __LINE__, hr);
        Release();
        return false;
    }

    for (const CTexturePageEntry& e : entries) {
        CTexture* t = e.texture;
        if (!t || !t->surface)
            continue;
        RECT src = MakeRect(e.textureRect.left * t->width / 256, e.textureRect.top * t->height / 256,
                            e.textureRect.right * t->width / 256, e.textureRect.bottom * t->height / 256);
        RECT dst = e.pageRect;
        if (halveW) {
            src.left /= 2;
            src.right /= 2;
            dst.left /= 2;
            dst.right /= 2;
        }
        if (halveH) {
            src.top /= 2;
            src.bottom /= 2;
            dst.top /= 2;
            dst.bottom /= 2;
        }
        surface->Blt(&dst, t->surface, &src, DDBLT_WAIT, nullptr);
    }

    if (winner->palettised) {
        IDirectDrawPalette* source = nullptr;
        for (const CTexturePageEntry& e : entries)
            if (e.texture && e.texture->surface && e.texture->surface->palette) {
                source = e.texture->surface->palette;
                break;
            }
        const PALETTEENTRY blank[256];
        const HRESULT phr = SetNewPalette(TextureDirectDraw(), surface, source ? source->entries : blank);
        if (FAILED(phr)) {
            ReportDXError(__FILE__, __LINE__, phr);
            Release();
            return false;
        }
    }
    return true;
}

bool CTexturePage::Restore()
{
    if (!format) {
        Release();
        return Build();
    }
    if (FindEqualTextureFormat(format))
        return true;
    Release();
    return Build();
}

// ---- the TEXP section -----------------------------------------------------

bool CTexturePage::WritePixels(CChunkWriter& w)
{
    DDSURFACEDESC2 desc;
    if (!surface || FAILED(surface->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_READONLY, nullptr)))
        return w.WriteU32(0);
    // Stored as the reader takes them: 5-5-5 (1-5-5-5 with alpha) at the
    // page's logical size, whatever layout and size the surface has.
    const bool alpha = TextureFormatHasAlpha(format);
    const int bytes = int(desc.ddpfPixelFormat.dwRGBBitCount / 8);
    const uint32_t sw = desc.dwWidth, sh = desc.dwHeight;
    std::vector<uint8_t> row(size_t(width) * 2);
    bool ok = w.WriteId(ChunkId("TXPG")) && w.WriteBool(alpha);
    for (int32_t y = 0; ok && y < height; ++y) {
        const uint32_t sy = uint32_t(int64_t(y) * sh / height);
        const uint8_t* line = static_cast<const uint8_t*>(desc.lpSurface) + size_t(sy) * size_t(desc.lPitch);
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t sx = uint32_t(int64_t(x) * sw / width);
            const uint16_t p =
                To1555(D3DReadARGB(desc.ddpfPixelFormat, line + size_t(sx) * size_t(bytes)), alpha);
            row[size_t(x) * 2] = uint8_t(p);
            row[size_t(x) * 2 + 1] = uint8_t(p >> 8);
        }
        ok = w.WriteBytes(row.data(), row.size());
    }
    surface->Unlock(nullptr);
    return ok;
}

bool CTexturePage::WritePage(CChunkWriter& w)
{
    if (!w.BeginChunk(ChunkId("PAGE"), kVersion) || !w.WriteI32(width) || !w.WriteI32(height) ||
        !w.WriteI32(keptWord) || !w.WriteI32(count()))
        return false;
    for (const CTexturePageEntry& e : entries) {
        const std::string& path = e.texture ? e.texture->sourcePath : e.path;
        if (!w.WriteString(path.empty() ? nullptr : path.c_str()))
            return false;
        const RECT& p = e.pageRect;
        const RECT& t = e.textureRect;
        if (!w.WriteI32(p.left) || !w.WriteI32(p.top) || !w.WriteI32(p.right) || !w.WriteI32(p.bottom) ||
            !w.WriteI32(t.left) || !w.WriteI32(t.top) || !w.WriteI32(t.right) || !w.WriteI32(t.bottom))
            return false;
    }
    const bool pixels = bitDepth == 16 && surface && format ? WritePixels(w) : w.WriteU32(0);
    return pixels && w.EndChunk();
}

bool CTexturePage::SavePages(CChunkWriter& w)
{
    if (!w.WriteMarker(ChunkId("TEXP")))
        return false;
    for (CTexturePage* p = this; p; p = p->next)
        if (!p->WritePage(w))
            return false;
    return w.WriteMarker(ChunkId("END "));
}

bool CTexturePage::SaveUsedPages(CTexturePage* first, CChunkWriter& w)
{
    if (!w.WriteMarker(ChunkId("TEXP")))
        return false;
    for (CTexturePage* p = first; p; p = p->next)
        if (p->used && !p->WritePage(w))
            return false;
    return w.WriteMarker(ChunkId("END "));
}

namespace {

// A 16-bit device format for the stored X1R5G5B5 or A1R5G5B5 pixels; without
// alpha, R5G6B5 will do (`convert`: the pixels must be converted to it).
const TextureFormatInfo* PageFormat(bool alpha, bool& convert)
{
    convert = false;
    D3DDeviceInfo* info = TextureDeviceInfo();
    if (!info)
        return nullptr;
    for (TextureFormatInfo* f : info->textureFormats)
        if (!f->compressed && f->bitsPerPixel == 16 && bool(f->hasAlpha) == alpha && Is555(f))
            return f;
    if (alpha)
        return nullptr;
    for (TextureFormatInfo* f : info->textureFormats)
        if (!f->compressed && f->bitsPerPixel == 16 && !f->hasAlpha && Is565(f)) {
            convert = true;
            return f;
        }
    return nullptr;
}

// In the game, pages without alpha are compressed where the hardware offers
// DXT1; the 16-bit surface then only stages the stored pixels.
const TextureFormatInfo* CompressedPageFormat(bool alpha)
{
    constexpr uint32_t kDXT1 = uint32_t('D') | uint32_t('X') << 8 | uint32_t('T') << 16 | uint32_t('1') << 24;
    D3DDeviceInfo* device = TextureDeviceInfo();
    if (!GameModeFlag || alpha || !device || !device->hardware || !device->hasCompressedFormats)
        return nullptr;
    for (TextureFormatInfo* f : device->textureFormats)
        if (f->compressed && (f->format.dwFlags & DDPF_FOURCC) && f->format.dwFourCC == kDXT1)
            return f;
    return nullptr;
}

} // namespace

bool CTexturePage::ReadPage(CChunkReader& r)
{
    const uint32_t version = r.ReadU32();
    if (!ReadEntries(r, version))
        return false;
    if (version < 2 || r.PeekId() != ChunkId("TXPG"))
        return true;
    r.ReadId();
    const bool alpha = r.ReadBool();
    storedPixels = true;
    storedAlpha = alpha;
    const size_t rowBytes = size_t(width) * 2;
    if (!r.Ok() || r.Remaining() / rowBytes < size_t(height)) {
        LogPrintf("Damaged texture-page pixels at offset %zu: %dx%d pixels do not fit the chunk",
                  r.FileOffset(), width, height);
        return false;
    }
    // A page the device cannot take keeps its entries: the body is not damaged.
    CreateFromStoredPixels(r.Take(rowBytes * size_t(height)), alpha, 0, Settings.mipMap, true,
                           "a texture-page");
    return true;
}

bool CTexturePage::ReadEntries(CChunkReader& r, uint32_t version)
{
    int32_t w = 256, h = 256;
    if (version >= 1) {
        w = r.ReadI32();
        h = r.ReadI32();
    }
    keptWord = r.ReadI32();
    const int32_t n = r.ReadI32();
    // An entry takes at least a 4-byte string and two rectangles.
    constexpr size_t kMinEntryBytes = 4 + 32;
    if (!r.Ok() || w <= 0 || h <= 0 || w > 4096 || h > 4096 || n < 0 ||
        size_t(n) > r.Remaining() / kMinEntryBytes) {
        LogPrintf("Damaged texture-page at offset %zu: size %dx%d, %d entries", r.FileOffset(), w, h, n);
        return false;
    }
    width = w;
    height = h;
    entries.clear();
    entries.reserve(size_t(n));
    for (int32_t i = 0; i < n; ++i) {
        CTexturePageEntry e;
        e.path = r.ReadPaddedString();
        if (!GameModeFlag && !e.path.empty()) {
            e.texture = CTexture::FindByFileName(e.path);
            if (!e.texture) {
                auto t = std::make_unique<CTexture>();
                if (t->Load(e.path.c_str(), false))
                    e.texture = t.release();
            }
        }
        RECT* rects[2] = {&e.pageRect, &e.textureRect};
        for (RECT* rc : rects) {
            rc->left = r.ReadI32();
            rc->top = r.ReadI32();
            rc->right = r.ReadI32();
            rc->bottom = r.ReadI32();
        }
        if (!r.Ok()) {
            LogPrintf("Damaged texture-page entry %d at offset %zu", i, r.FileOffset());
            return false;
        }
        entries.push_back(e);
    }
    return true;
}

bool CTextureSurface::CreateFromStoredPixels(const uint8_t* pixels, bool alpha, uint32_t textureStage,
                                             bool mipMap, bool compressible, const char* what)
{
    bool convert = false;
    const TextureFormatInfo* chosen = PageFormat(alpha, convert);
    if (!chosen || !TextureDirectDraw()) {
        LogPrintf("No appropriate texture-format found");
        return false;
    }
    format = chosen;
    bitDepth = chosen->bitsPerPixel;
    const TextureFormatInfo* compressed = compressible ? CompressedPageFormat(alpha) : nullptr;
    DDSURFACEDESC2 desc;
    if (!FillStagingSurface(pixels, convert, compressed != nullptr, textureStage, desc))
        return false;
    if (compressed || mipMap) {
        if (compressed)
            format = compressed;
        if (!CopyToFinalSurface(desc, mipMap))
            return false;
        if (compressed && LogCompressionSaving(what))
            return true;
    }
    LogPrintf("Using texture-format '%s' for %s", format->name.c_str(), what);
    return true;
}

bool CTextureSurface::FillStagingSurface(const uint8_t* pixels, bool convert, bool compressed,
                                         uint32_t textureStage, DDSURFACEDESC2& desc)
{
    D3DDeviceInfo* device = TextureDeviceInfo();
    const size_t rowBytes = size_t(width) * 2;
    const bool halveW = DX.halveTextureWidths || !Settings.highResTextures;
    const bool halveH = DX.halveTextureHeights || !Settings.highResTextures;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT | DDSD_TEXTURESTAGE;
    desc.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
    desc.ddsCaps.dwCaps2 = DDSCAPS2_HINTSTATIC;
    desc.dwTextureStage = textureStage;
    desc.ddpfPixelFormat = format->format;
    if (device->hardware && !compressed)
        desc.ddsCaps.dwCaps2 |= DDSCAPS2_TEXTUREMANAGE;
    else
        desc.ddsCaps.dwCaps |= DDSCAPS_SYSTEMMEMORY;
    desc.dwWidth = uint32_t(halveW && width > 1 ? width / 2 : width);
    desc.dwHeight = uint32_t(halveH && height > 1 ? height / 2 : height);
    ReleaseSurface();
    HRESULT hr = TextureDirectDraw()->CreateSurface(&desc, &surface, nullptr);
    if (FAILED(hr)) {
        ReportDXError(__FILE__, __LINE__, hr);
        Release();
        return false;
    }
    DDSURFACEDESC2 locked;
    hr = surface->Lock(nullptr, &locked, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr);
    if (FAILED(hr)) {
        Release();
        return false;
    }
    const int32_t stepX = halveW ? 2 : 1, stepY = halveH ? 2 : 1;
    for (int32_t y = 0; y < height; y += stepY) {
        const uint32_t dy = uint32_t(y / stepY);
        if (dy >= locked.dwHeight)
            break;
        const uint8_t* src = pixels + size_t(y) * rowBytes;
        uint8_t* dst = static_cast<uint8_t*>(locked.lpSurface) + size_t(dy) * size_t(locked.lPitch);
        for (int32_t x = 0; x < width; x += stepX) {
            const uint32_t dx = uint32_t(x / stepX);
            if (dx >= locked.dwWidth)
                break;
            uint16_t p = uint16_t(src[size_t(x) * 2] | (src[size_t(x) * 2 + 1] << 8));
            if (convert)
                p = uint16_t((((p & 0xFFF0u) | 0x10u) << 1) | (p & 0x1Fu));
            dst[size_t(dx) * 2] = uint8_t(p);
            dst[size_t(dx) * 2 + 1] = uint8_t(p >> 8);
        }
    }
    surface->Unlock(nullptr);
    return true;
}

bool CTextureSurface::CopyToFinalSurface(const DDSURFACEDESC2& desc, bool mipMap)
{
    D3DDeviceInfo* device = TextureDeviceInfo();
    // The final surface: mip-mapped when asked, every level a scaled copy of the staging surface.
    DDSURFACEDESC2 finalDesc = desc;
    finalDesc.ddpfPixelFormat = format->format;
    finalDesc.ddsCaps.dwCaps &= ~uint32_t(DDSCAPS_SYSTEMMEMORY);
    finalDesc.ddsCaps.dwCaps2 &= ~uint32_t(DDSCAPS2_TEXTUREMANAGE);
    if (device->hardware)
        finalDesc.ddsCaps.dwCaps2 |= DDSCAPS2_TEXTUREMANAGE;
    else
        finalDesc.ddsCaps.dwCaps |= DDSCAPS_SYSTEMMEMORY;
    if (mipMap) {
        finalDesc.dwFlags |= DDSD_MIPMAPCOUNT;
        finalDesc.ddsCaps.dwCaps |= DDSCAPS_MIPMAP | DDSCAPS_COMPLEX;
        finalDesc.dwMipMapCount =
            1 + uint32_t(std::min(std::countr_zero(finalDesc.dwWidth), std::countr_zero(finalDesc.dwHeight)));
    }
    IDirectDrawSurface7* staging = surface;
    surface = nullptr;
    HRESULT hr = TextureDirectDraw()->CreateSurface(&finalDesc, &surface, nullptr);
    if (FAILED(hr)) {
        ReportDXError(__FILE__, __LINE__, hr);
        staging->Release();
        Release();
        return false;
    }
    IDirectDrawSurface7* level = surface;
    level->AddRef();
    while (level) {
        hr = level->Blt(nullptr, staging, nullptr, 0, nullptr);
        if (FAILED(hr)) {
            ReportDXError(__FILE__, __LINE__, hr);
            level->Release();
            staging->Release();
            Release();
            return false;
        }
        DDSCAPS2 caps;
        caps.dwCaps = DDSCAPS_TEXTURE | DDSCAPS_MIPMAP;
        IDirectDrawSurface7* below = nullptr;
        if (FAILED(level->GetAttachedSurface(&caps, &below)))
            below = nullptr;
        level->Release();
        level = below;
    }
    staging->Release();
    return true;
}

bool CTextureSurface::LogCompressionSaving(const char* what)
{
    DDSURFACEDESC2 lockedFinal;
    if (SUCCEEDED(surface->Lock(nullptr, &lockedFinal, DDLOCK_WAIT | DDLOCK_READONLY, nullptr))) {
        // A compressed surface reports its linear size where others report the pitch.
        const int64_t linearSize = int64_t(uint32_t(lockedFinal.lPitch));
        const int64_t plainSize = int64_t(bitDepth) * width * height / 8;
        surface->Unlock(nullptr);
        const int saved = plainSize > 0 ? int(100 - linearSize * 100 / plainSize) : 0;
        if (saved != 0) {
            LogPrintf("Using texture-format '%s' for %s (saved %d%%)", format->name.c_str(), what, saved);
            return true;
        }
    }
    return false;
}

bool CTexturePage::LoadPages(CChunkReader& data, std::string* error)
{
    int32_t position = 0;
    return ReadSection(
        data,
        [&](const SChunkHeader& header, CChunkReader& body) {
            if (header.id != ChunkId("PAGE"))
                return SECTION_CONTINUE;
            auto* page = new CTexturePage();
            page->number = ++position;
            if (!page->ReadPage(body)) {
                if (error)
                    *error = "damaged texture-page at offset " + std::to_string(header.offset);
                return SECTION_FAIL;
            }
            return SECTION_CONTINUE;
        },
        error);
}

namespace {

bool WriteSectionFile(const CChunkWriter& w, bool ok, const char* path, std::string* error)
{
    std::FILE* f = ok ? platform::OpenFile(path ? path : "", "wb") : nullptr;
    if (!f) {
        if (error)
            *error = "cannot create the file";
        return false;
    }
    const bool written = std::fwrite(w.Data().data(), 1, w.Data().size(), f) == w.Data().size();
    const bool closed = std::fclose(f) == 0;
    if (!(written && closed) && error)
        *error = "write failed";
    return written && closed;
}

} // namespace

bool SaveTexturePageFile(const char* path, std::string* error)
{
    CChunkWriter w;
    const bool ok = CTexturePage::First()
                        ? CTexturePage::First()->SavePages(w)
                        : (w.WriteMarker(ChunkId("TEXP")) && w.WriteMarker(ChunkId("END ")));
    return WriteSectionFile(w, ok, path, error);
}

bool SaveUsedTexturePageFile(CTexturePage* first, const char* path, std::string* error)
{
    CChunkWriter w;
    return WriteSectionFile(w, CTexturePage::SaveUsedPages(first, w), path, error);
}

bool LoadTexturePageFile(const char* path, std::string* error)
{
    std::string bytes;
    if (!platform::ReadFile(path ? path : "", bytes)) {
        if (error)
            *error = "cannot read the file";
        return false;
    }
    CChunkReader data(bytes.data(), bytes.size());
    SChunkHeader header;
    CChunkReader tag;
    if (data.NextChunk(header, tag) != CHUNK_OK || header.id != ChunkId("TEXP")) {
        if (error)
            *error = "no TEXP section at its start";
        return false;
    }
    return CTexturePage::LoadPages(data, error);
}
