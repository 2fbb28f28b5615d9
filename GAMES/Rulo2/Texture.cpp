#include "GAMES/Rulo2/Texture.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <strings.h>
#include <vector>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/DirectXError.h"
#include "GAMES/Rulo2/Enumerate.h"
#include "GAMES/Rulo2/TexturePage.h"
#include "GAMES/Rulo2/world/TreeControl.h"
#include "LIBS/Image/imgImage.h"
#include "LIBS/System/LogPrintf.h"
#include "platform/files/Files.h"
#include "platform/files/WinPath.h"

CTexture* CTexture::s_first = nullptr;
CTexture* CTexture::s_last = nullptr;
CTreeControl* g_TextureTree = nullptr;
bool TextureLoadFailed = false;
bool TextureAuthoringShare = false;

namespace {

// Site paths of the machines the worlds were authored on. None exist here, so
// the search is the texture's own folder and the "textures" folder.
constexpr std::array<const char*, 0> kAuthoringRoots{};
constexpr std::array<const char*, 0> kAuthoringShareFolders{};

std::string JoinPath(const std::string& dir, const std::string& file)
{
    if (dir.empty())
        return file;
    const char last = dir.back();
    if (last == '\\' || last == '/' || last == ':')
        return dir + file;
    return dir + "\\" + file;
}

bool StartsWithNoCase(const std::string& text, const char* prefix)
{
    const size_t n = std::strlen(prefix);
    return text.size() >= n && platform::EqualsNoCase(std::string_view(text).substr(0, n), prefix);
}

// The image-library code of a surface format; 0 when the library has none.
int ImageCodeOf(const TextureFormatInfo& f)
{
    const DDPIXELFORMAT& p = f.format;
    if (f.palettised)
        return FMT_P_8;
    const uint32_t a = p.dwRGBAlphaBitMask, r = p.dwRBitMask, g = p.dwGBitMask, b = p.dwBBitMask;
    const bool alpha = (p.dwFlags & DDPF_ALPHAPIXELS) != 0 && a != 0;
    if (p.dwRGBBitCount == 16) {
        if (!alpha && r == 0xF800 && g == 0x07E0 && b == 0x001F)
            return FMT_RGB_565;
        if ((a == 0 || a == 0x8000) && r == 0x7C00 && g == 0x03E0 && b == 0x001F)
            return FMT_ARGB_1555;
        if (a == 0xF000 && r == 0x0F00 && g == 0x00F0 && b == 0x000F)
            return FMT_ARGB_4444;
    } else if (p.dwRGBBitCount == 32) {
        // The image library names its 32-bit layouts by byte order in memory:
        // FMT_BGRA_8888 is the little-endian word 0xAARRGGBB, FMT_ARGB_8888
        // the word 0xBBGGRRAA. The spare byte of a format without alpha takes
        // the image's alpha, which the device ignores.
        if (r == 0xFF0000 && g == 0xFF00 && b == 0xFF && (a == 0xFF000000u || !alpha))
            return FMT_BGRA_8888;
        if (a == 0xFF && r == 0xFF00 && g == 0xFF0000 && b == 0xFF000000u)
            return FMT_ARGB_8888;
    }
    return 0;
}

int32_t TrailingZeros(uint32_t mask)
{
    return mask == 0 ? 0 : __builtin_ctz(mask);
}

uint32_t ReadWord(const uint8_t* p, int bytes)
{
    uint32_t v = 0;
    std::memcpy(&v, p, size_t(bytes));
    return v;
}

void WriteWord(uint8_t* p, int bytes, uint32_t v)
{
    std::memcpy(p, &v, size_t(bytes));
}

} // namespace

int32_t CountBits(uint32_t mask)
{
    return __builtin_popcount(mask);
}

HRESULT SetNewPalette(IDirectDraw7* directDraw, IDirectDrawSurface7* surface, const PALETTEENTRY* entries)
{
    IDirectDrawPalette* palette = nullptr;
    HRESULT hr = directDraw->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries, &palette, nullptr);
    if (SUCCEEDED(hr))
        hr = surface->SetPalette(palette);
    // The surface holds its own reference.
    if (palette)
        palette->Release();
    return hr;
}

D3DDeviceInfo* TextureDeviceInfo()
{
    return DX.deviceInfo;
}

IDirectDraw7* TextureDirectDraw()
{
    return DX.directDraw;
}

bool TextureDeviceCanTexture()
{
    return DX.deviceInfo && DX.deviceInfo->texturing && DX.directDraw;
}

bool TextureFormatHasAlpha(const TextureFormatInfo* format)
{
    return format && format->hasAlpha && format->format.dwRGBAlphaBitMask != 0;
}

const TextureFormatInfo* FindEqualTextureFormat(const TextureFormatInfo* format)
{
    D3DDeviceInfo* info = TextureDeviceInfo();
    if (!format || !info)
        return nullptr;
    for (TextureFormatInfo* f : info->textureFormats) {
        if (f->bitsPerPixel == format->bitsPerPixel && f->compressed == format->compressed &&
            f->rgb == format->rgb && f->palettised == format->palettised && f->hasAlpha == format->hasAlpha &&
            f->format.dwRBitMask == format->format.dwRBitMask &&
            f->format.dwGBitMask == format->format.dwGBitMask &&
            f->format.dwBBitMask == format->format.dwBBitMask &&
            f->format.dwRGBAlphaBitMask == format->format.dwRGBAlphaBitMask)
            return f;
    }
    return nullptr;
}

// ---- CTextureSurface ------------------------------------------------------

CTextureSurface::~CTextureSurface()
{
    ReleaseSurface();
}

void CTextureSurface::ReleaseSurface()
{
    if (surface) {
        surface->Release();
        surface = nullptr;
    }
}

void CTextureSurface::Release()
{
    ReleaseSurface();
    format = nullptr;
    width = height = bitDepth = 0;
}

bool CTextureSurface::GetPixel(int32_t x, int32_t y, int32_t* red, int32_t* green, int32_t* blue,
                               int32_t* alpha)
{
    if (x < 0 || x >= width || y < 0 || y >= height || !surface)
        return false;
    DDSURFACEDESC2 desc;
    if (FAILED(surface->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_READONLY, nullptr)))
        return false;
    // A halved surface is smaller than the logical size: never read past it.
    if (uint32_t(x) >= desc.dwWidth || uint32_t(y) >= desc.dwHeight || !desc.lpSurface) {
        surface->Unlock(nullptr);
        return false;
    }
    const DDPIXELFORMAT& pf = desc.ddpfPixelFormat;
    const int bytes = int(pf.dwRGBBitCount / 8);
    const uint8_t* p = static_cast<const uint8_t*>(desc.lpSurface) + size_t(y) * size_t(desc.lPitch) +
                       size_t(x) * size_t(bytes);
    const uint32_t masks[4] = {pf.dwRBitMask, pf.dwGBitMask, pf.dwBBitMask, pf.dwRGBAlphaBitMask};
    int32_t out[4] = {};
    bool ok = true;
    if (bytes == 4) {
        const uint32_t pixel = ReadWord(p, 4);
        for (int i = 0; i < 4; ++i)
            out[i] = int32_t((pixel & masks[i]) >> TrailingZeros(masks[i]));
    } else if (bytes == 2) {
        const uint32_t pixel = ReadWord(p, 2);
        for (int i = 0; i < 4; ++i) {
            const int32_t bits = CountBits(masks[i]);
            if (bits == 0 || bits > 8) {
                out[i] = 0;
                continue;
            }
            int32_t v = int32_t((pixel & masks[i]) >> TrailingZeros(masks[i])) << (8 - bits);
            if (v != 0)
                v |= (1 << (8 - bits)) - 1;
            out[i] = v;
        }
    } else {
        ok = false;
    }
    surface->Unlock(nullptr);
    if (!ok)
        return false;
    if (red)
        *red = out[0];
    if (green)
        *green = out[1];
    if (blue)
        *blue = out[2];
    if (alpha)
        *alpha = out[3];
    return true;
}

// ---- CTexture -------------------------------------------------------------

CTexture::CTexture(const char* textureName)
{
    if (textureName && *textureName)
        name = textureName;
    // A head set back by the start-up loaders leaves their textures behind it:
    // the next texture starts the list again.
    if (s_first) {
        previous = s_last;
        s_last->next = this;
    } else {
        s_first = this;
    }
    s_last = this;
}

CTexture::~CTexture()
{
    if (s_first == this)
        s_first = next;
    if (s_last == this)
        s_last = previous;
    if (previous && previous->next == this)
        previous->next = next;
    if (next && next->previous == this)
        next->previous = previous;
    next = previous = nullptr;
}

void CTexture::ClearNames()
{
    sourcePath.clear();
    resolvedPath.clear();
    name.clear();
}

void CTexture::FailClear()
{
    CTextureSurface::Release();
    ClearNames();
}

void CTexture::Unload(bool freeNames)
{
    CTextureSurface::Release();
    if (freeNames)
        ClearNames();
}

void CTexture::FillEditorTree(CTexture* selected)
{
    std::vector<CTexture*> named;
    for (CTexture* t = s_first; t; t = t->next) {
        t->treeItem = kNoTextureItem;
        if (!t->name.empty())
            named.push_back(t);
    }
    if (!g_TextureTree)
        return;
    // Rebuilt from scratch, so no texture is listed twice.
    g_TextureTree->DeleteAllItems();
    std::stable_sort(named.begin(), named.end(), [](const CTexture* a, const CTexture* b) {
        return strcasecmp(a->name.c_str(), b->name.c_str()) < 0;
    });
    for (CTexture* t : named) {
        const uint32_t item = g_TextureTree->InsertItem(t->name.c_str(), 0);
        g_TextureTree->SetItemImage(item, 8, 8);
        t->treeItem = intptr_t(item);
    }
    if (selected && selected->treeItem > 0)
        g_TextureTree->SelectItem(uint32_t(selected->treeItem));
}

CTexture* CTexture::FindByFileName(const std::string& path)
{
    std::string wanted;
    platform::SplitPath(path, nullptr, nullptr, &wanted, nullptr);
    for (CTexture* t = s_first; t; t = t->next)
        if (!t->name.empty() && t->name == wanted)
            return t;
    return nullptr;
}

bool CTexture::Load(const char* path, bool keyed)
{
    if (!TextureDeviceInfo() || !TextureDeviceInfo()->texturing)
        return false;
    const std::string given = path ? path : "";
    std::string drive, folder, stem, extension;
    platform::SplitPath(given, &drive, &folder, &stem, &extension);
    const std::string searchDir = drive + folder;
    const std::string fileName = stem + extension;
    const std::string textureFolder = JoinPath(platform::GetCurrentDirectory(), "textures");

    std::vector<std::string> dirs;
    if (!TextureAuthoringShare) {
        bool underRoot = false;
        for (const char* root : kAuthoringRoots)
            underRoot = underRoot || StartsWithNoCase(searchDir, root);
        if (!underRoot)
            dirs.push_back(searchDir);
        dirs.push_back(textureFolder);
    } else {
        dirs.push_back(searchDir);
        dirs.push_back(textureFolder);
        for (const char* folder : kAuthoringShareFolders)
            dirs.push_back(folder);
    }

    const char* const replacements[3] = {".rif", ".tif", ".iff"};
    std::string candidate;
    bool found = false;
    for (const std::string& dir : dirs) {
        for (int i = 0; i < 4 && !found; ++i) {
            candidate = JoinPath(dir, i == 0 ? fileName : stem + replacements[i - 1]);
            found = platform::Access(candidate, 0) == 0;
        }
        if (found)
            break;
    }

    if (given != sourcePath) {
        colourKeyed = keyed;
        sourcePath = given;
    }
    name = stem;
    resolvedPath = candidate;

    imgImage image;
    if (fileName.empty() || image.load(platform::ResolvePath(candidate).string().c_str()) != 1) {
        LogPrintf("Couldn't load '%s'", given.c_str());
        TextureLoadFailed = true;
        return false;
    }
    return CreateFromImage(image, keyed);
}

bool CTexture::CreateFromImage(imgImage& image, bool keyed)
{
    D3DDeviceInfo* info = TextureDeviceInfo();
    IDirectDraw7* dd = TextureDirectDraw();
    if (!info || !info->texturing || !dd)
        return false;
    width = image.width;
    height = image.height;
    bitDepth = image.bitsPerPixel;
    const bool needsAlpha = image.formatFits(CHANNEL_ALPHA) != 0 || keyed;

    const TextureFormatInfo* kept = nullptr;
    int32_t keptScore = 0;
    for (TextureFormatInfo* f : info->textureFormats) {
        if (f->compressed || !f->rgb || f->bitsPerPixel < 8)
            continue;
        if (!needsAlpha) {
            if (f->hasAlpha)
                continue;
            const int32_t score = f->bitsPerPixel > 16 ? f->bitsPerPixel - 16 : 16 - f->bitsPerPixel;
            if (!kept || score < keptScore) {
                kept = f;
                keptScore = score;
            }
        } else {
            if (!f->hasAlpha)
                continue;
            const int32_t score = CountBits(f->format.dwRGBAlphaBitMask);
            if (!kept || score < keptScore) {
                kept = f;
                keptScore = score;
            }
        }
    }
    if (!kept) {
        LogPrintf("No appropriate texture-format found");
        FailClear();
        return false;
    }
    if (!resolvedPath.empty())
        LogPrintf("Using texture-format '%s' for '%s'", kept->name.c_str(), resolvedPath.c_str());
    else if (!name.empty())
        LogPrintf("Using texture-format '%s' for '%s'", kept->name.c_str(), name.c_str());
    else
        LogPrintf("Using texture-format '%s' for a shadow-texture", kept->name.c_str());
    bitDepth = kept->bitsPerPixel;

    if (width <= 0 || height <= 0) {
        LogPrintf("Texture size %dx%d is not valid", width, height);
        FailClear();
        return false;
    }
    if (info->powerOfTwo) {
        int32_t w = 1, h = 1;
        while (w < width)
            w <<= 1;
        while (h < height)
            h <<= 1;
        width = w;
        height = h;
    }
    if (info->squareOnly) {
        const int32_t side = width > height ? width : height;
        width = height = side;
    }
    if (width > 256)
        width = 256;
    if (height > 256)
        height = 256;
    const uint32_t maxW = info->maxTextureWidth ? info->maxTextureWidth : 256;
    const uint32_t maxH = info->maxTextureHeight ? info->maxTextureHeight : 256;
    if (uint32_t(width) > maxW || uint32_t(height) > maxH) {
        LogPrintf("Driver does not support %dx%d texture size", width, height);
        FailClear();
        return false;
    }

    DDSURFACEDESC2 desc;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT | DDSD_TEXTURESTAGE;
    desc.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
    desc.ddsCaps.dwCaps2 = DDSCAPS2_HINTSTATIC;
    desc.dwTextureStage = name.empty() ? 1 : 0;
    desc.ddpfPixelFormat = kept->format;
    if (info->hardware)
        desc.ddsCaps.dwCaps2 |= DDSCAPS2_TEXTUREMANAGE;
    else
        desc.ddsCaps.dwCaps |= DDSCAPS_SYSTEMMEMORY;
    const int32_t surfaceWidth = DX.halveTextureWidths ? width / 2 : width;
    const int32_t surfaceHeight = DX.halveTextureHeights ? height / 2 : height;
    desc.dwWidth = uint32_t(surfaceWidth > 0 ? surfaceWidth : 1);
    desc.dwHeight = uint32_t(surfaceHeight > 0 ? surfaceHeight : 1);

    ReleaseSurface();
    const HRESULT hr = dd->CreateSurface(&desc, &surface, nullptr);
    if (FAILED(hr)) {
        ReportDXError(__FILE__, __LINE__, hr);
        FailClear();
        return false;
    }
    format = kept;

    const int code = ImageCodeOf(*kept);
    if (code == 0) {
        LogPrintf("Texture-format '%s' not supported by image-library", kept->name.c_str());
        FailClear();
        return false;
    }
    image.convertTo(code, ORIGIN_TOP_LEFT);
    image.resize(int(desc.dwWidth), int(desc.dwHeight), 1);

    DDSURFACEDESC2 locked;
    if (SUCCEEDED(surface->Lock(nullptr, &locked, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr))) {
        image.convertInto(locked.lpSurface, code, ORIGIN_TOP_LEFT, locked.lPitch);
        surface->Unlock(nullptr);
    }

    if (kept->palettised) {
        PALETTEENTRY entries[256];
        for (int i = 0; i < 256; ++i) {
            const uint32_t word = image.palette ? image.palette[i] : 0;
            entries[i].peRed = uint8_t(word >> 16);
            entries[i].peGreen = uint8_t(word >> 8);
            entries[i].peBlue = uint8_t(word);
            entries[i].peFlags = image.palette ? 0x40 : 0;
        }
        const HRESULT phr = SetNewPalette(dd, surface, entries);
        if (FAILED(phr)) {
            ReportDXError(__FILE__, __LINE__, phr);
            FailClear();
            return false;
        }
    }

    if (keyed && SUCCEEDED(surface->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr))) {
        // Pixels are walked in the surface's own size, so 32-bit alpha formats
        // are keyed as well as 16-bit ones.
        const DDPIXELFORMAT& pf = locked.ddpfPixelFormat;
        const int bytes = int(pf.dwRGBBitCount / 8);
        const uint32_t alphaMask = pf.dwRGBAlphaBitMask;
        const uint32_t magenta = pf.dwRBitMask | pf.dwBBitMask;
        if (bytes == 2 || bytes == 4) {
            for (uint32_t y = 0; y < locked.dwHeight; ++y) {
                uint8_t* row = static_cast<uint8_t*>(locked.lpSurface) + size_t(y) * size_t(locked.lPitch);
                for (uint32_t x = 0; x < locked.dwWidth; ++x) {
                    uint8_t* p = row + size_t(x) * size_t(bytes);
                    const uint32_t pixel = ReadWord(p, bytes);
                    WriteWord(p, bytes, (pixel & ~alphaMask) == magenta ? 0u : (pixel | alphaMask));
                }
            }
        }
        surface->Unlock(nullptr);
    }
    return true;
}

bool CTexture::Restore()
{
    if (format && FindEqualTextureFormat(format))
        return true;
    if (!sourcePath.empty()) {
        CTextureSurface::Release();
        const std::string path = sourcePath;
        return Load(path.c_str(), colourKeyed);
    }
    return false;
}

void RestoreAllTextures()
{
    for (CTexture* t = CTexture::First(); t; t = t->next)
        t->Restore();
    for (CTexturePage* p = CTexturePage::First(); p; p = p->next)
        p->Restore();
}
