// Textures: an image converted into a pixel format the device accepts and kept
// in a texture surface. Surfaces hold their pixels in memory, so a worker thread
// may create textures and read pixels back; only the main thread draws with them.
#pragma once

#include <cstdint>
#include <string>

#include "platform/d3d/D3D.h"

struct TextureFormatInfo;
struct D3DDeviceInfo;
class imgImage;

// The surface part shared by textures and texture pages.
class CTextureSurface
{
public:
    CTextureSurface() = default;
    virtual ~CTextureSurface();
    CTextureSurface(const CTextureSurface&) = delete;
    CTextureSurface& operator=(const CTextureSurface&) = delete;

    // Releases the surface and clears the surface fields.
    virtual void Release();

    // One pixel of the surface, each channel 0..255; false outside the logical
    // size or for pixel sizes other than 2 and 4 bytes.
    bool GetPixel(int32_t x, int32_t y, int32_t* red, int32_t* green, int32_t* blue, int32_t* alpha);

    // The surface of stored 16-bit pixels (texture pages, shadow textures): `pixels` holds
    // height rows of width little-endian X1R5G5B5 or A1R5G5B5 pixels. A 5-5-5 device format is
    // taken, else 5-6-5 (the pixels converted); in the game a `compressible` picture without
    // alpha goes into DXT1 where the device offers it; halved as the reduced-texture settings
    // say. Logs "Using texture-format '%s' for <what>". False, without surface, when the device
    // has no such format or the surface cannot be made.
    bool CreateFromStoredPixels(const uint8_t* pixels, bool alpha, uint32_t textureStage, bool mipMap,
                                bool compressible, const char* what);

    IDirectDrawSurface7* surface = nullptr;
    const TextureFormatInfo* format = nullptr; // a record of the device's list; not owned
    int32_t width = 0;                         // logical size, before any halving
    int32_t height = 0;
    int32_t bitDepth = 0;

protected:
    void ReleaseSurface();

private:
    // The steps of CreateFromStoredPixels: the pixels staged in 16 bits, copied into the
    // compressed or mip-mapped surface where one is wanted. On failure the surface is released.
    bool FillStagingSurface(const uint8_t* pixels, bool convert, bool compressed, uint32_t textureStage,
                            DDSURFACEDESC2& desc);
    bool CopyToFinalSurface(const DDSURFACEDESC2& desc, bool mipMap);
    // Logs the format with what compression saved; false when it saved nothing.
    bool LogCompressionSaving(const char* what);
};

class CTexture : public CTextureSurface
{
public:
    // An empty text counts as no name. Appends the texture to the global list.
    explicit CTexture(const char* name = nullptr);
    ~CTexture() override;

    void Unload(bool freeNames);
    bool Load(const char* path, bool colourKeyed);
    // The image is converted and resized in place.
    bool CreateFromImage(imgImage& image, bool colourKeyed);
    bool Restore();

    static CTexture* First() { return s_first; }
    static CTexture* Last() { return s_last; }
    // Moves the head of the list; the start-up loaders hide the interface
    // textures from the list this way.
    static void SetFirst(CTexture* first) { s_first = first; }
    // Moves the tail, for code that puts the whole list back as it found it.
    static void SetLast(CTexture* last) { s_last = last; }
    // The first texture named like the file of `path` (without folder and
    // extension); null when none is.
    static CTexture* FindByFileName(const std::string& path);
    // Fills the editor's texture tree (g_TextureTree) again from the list: the
    // named textures, sorted, `selected` (null: none) selected.
    static void FillEditorTree(CTexture* selected);

    CTexture* next = nullptr;
    CTexture* previous = nullptr;
    std::string name; // file name without folder and extension; empty: none
    int32_t useCount = 1;
    std::string sourcePath;   // the path given to Load
    std::string resolvedPath; // the file that was found and loaded
    bool colourKeyed = false;
    bool used = false;
    intptr_t treeItem = 0;

private:
    void ClearNames();
    void FailClear();

    static CTexture* s_first;
    static CTexture* s_last;
};

class CTreeControl;
// The editor's texture tree (the Texture List window's); null without one.
extern CTreeControl* g_TextureTree;
// A texture without a name keeps this as its tree item.
constexpr intptr_t kNoTextureItem = -1000;

// Set when a texture file could not be loaded; the world loader clears and reads it.
extern bool TextureLoadFailed;
// Set by the world loader before it reads a world: also search the authoring share.
extern bool TextureAuthoringShare;

// The device the texture code works with (null members: no texturing).
D3DDeviceInfo* TextureDeviceInfo();
IDirectDraw7* TextureDirectDraw();
bool TextureDeviceCanTexture();

// The record of the device's list equal to `format` (bits, the four flags and
// the four masks); null when none.
const TextureFormatInfo* FindEqualTextureFormat(const TextureFormatInfo* format);
// Whether a format's pixels carry alpha bits.
bool TextureFormatHasAlpha(const TextureFormatInfo* format);
// Number of set bits.
int32_t CountBits(uint32_t mask);
// Gives an 8-bit surface a palette of its own made from 256 entries.
HRESULT SetNewPalette(IDirectDraw7* directDraw, IDirectDrawSurface7* surface, const PALETTEENTRY* entries);

// Restores every texture and texture page after the device was made again.
void RestoreAllTextures();
