// The game's 3-D device: display driver, surfaces and a fixed-function rendering
// device with Direct3D 7's behaviour, drawn with OpenGL. Main thread only, except
// that surfaces without a device binding (CPU copies) may be filled anywhere.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "platform/d3d/D3DTypes.h"

struct SDL_Window;
namespace platform {
class Window;
}

class IDirect3DDevice7;
class IDirect3DVertexBuffer7;
class IDirectDrawSurface7;

// Shared life-time counting: the last Release deletes the object.
class D3DObject
{
public:
    virtual ~D3DObject() = default;
    uint32_t AddRef() { return ++refs_; }
    uint32_t Release()
    {
        uint32_t left = --refs_;
        if (left == 0)
            delete this;
        return left;
    }

private:
    std::atomic<uint32_t> refs_{1};
};

class IDirectDrawPalette : public D3DObject
{
public:
    PALETTEENTRY entries[256];
    HRESULT SetEntries(uint32_t first, uint32_t count, const PALETTEENTRY* src);
};

class IDirectDrawClipper : public D3DObject
{
public:
    HRESULT SetHWnd(uint32_t flags, SDL_Window* window);
    SDL_Window* window = nullptr;
};

struct DDBLTFX
{
    uint32_t dwSize = sizeof(DDBLTFX);
    uint32_t dwFillColor = 0;
};

// A surface keeps its pixels in memory; the device uploads them to GL when it
// needs them. A render target's pixels live in GL and are read back on Lock.
class IDirectDrawSurface7 : public D3DObject
{
public:
    ~IDirectDrawSurface7() override;

    HRESULT Lock(const RECT* rect, DDSURFACEDESC2* desc, uint32_t flags, void* event);
    HRESULT Unlock(const RECT* rect);
    HRESULT GetSurfaceDesc(DDSURFACEDESC2* desc) const;
    HRESULT GetPixelFormat(DDPIXELFORMAT* format) const;
    HRESULT SetColorKey(uint32_t flags, const DDCOLORKEY* key);
    HRESULT GetColorKey(uint32_t flags, DDCOLORKEY* key) const;
    HRESULT Blt(const RECT* destRect, IDirectDrawSurface7* src, const RECT* srcRect, uint32_t flags,
                const DDBLTFX* fx);
    HRESULT BltFast(int32_t x, int32_t y, IDirectDrawSurface7* src, const RECT* srcRect, uint32_t flags);
    HRESULT Flip(IDirectDrawSurface7* target, uint32_t flags);
    HRESULT GetAttachedSurface(const DDSCAPS2* caps, IDirectDrawSurface7** out);
    using EnumSurfacesCallback = HRESULT (*)(IDirectDrawSurface7* surface, DDSURFACEDESC2* desc, void* ctx);
    HRESULT EnumAttachedSurfaces(void* ctx, EnumSurfacesCallback cb);
    HRESULT AddAttachedSurface(IDirectDrawSurface7* surface);
    HRESULT DeleteAttachedSurface(uint32_t flags, IDirectDrawSurface7* surface);
    HRESULT SetPalette(IDirectDrawPalette* palette);
    HRESULT SetClipper(IDirectDrawClipper* clipper);
    HRESULT Restore() { return DD_OK; }
    HRESULT IsLost() const { return DD_OK; }

    // Reads one pixel as 0xAARRGGBB (alpha 0xFF for formats without alpha).
    bool ReadPixel(int x, int y, uint32_t* argb);

    // Implementation data, used by the device.
    DDSURFACEDESC2 desc;
    std::vector<uint8_t> pixels;
    bool hasColorKey = false;
    DDCOLORKEY colorKey;
    bool locked = false;
    bool readOnlyLock = false;
    bool dirty = true;           // CPU copy changed since the last upload
    uint32_t glTexture = 0;      // texture of the CPU copy (textures, blit sources)
    uint32_t glTextureKeyed = 0; // key-as-alpha variant used by colour-keyed blits
    bool keyedDirty = true;
    uint32_t glFbo = 0, glColor = 0, glDepth = 0; // render targets only
    int fboWidth = 0, fboHeight = 0;
    bool fboHasDepth = false;
    IDirectDrawSurface7* zBuffer = nullptr;  // attached z-buffer (owned reference)
    std::vector<IDirectDrawSurface7*> chain; // back buffers of a flipping chain (owned)
    IDirectDrawSurface7* front = nullptr;    // primary of a chain this back buffer belongs to
    IDirectDrawPalette* palette = nullptr;
    // Mip-mapped textures: the top level owns the smaller levels, largest first;
    // a smaller level knows its top and its level number (1 = half size).
    std::vector<IDirectDrawSurface7*> mipLevels;
    IDirectDrawSurface7* mipTop = nullptr;
    uint32_t mipLevel = 0;
    // The filter and wrap parameters a draw last gave glTexture (min, mag, wrap s,
    // wrap t), valid while the device module's GL epoch is appliedParamsEpoch.
    int32_t appliedParams[4] = {};
    uint64_t appliedParamsEpoch = 0;
    // The CPU copy changed: GL copies of it, and of the texture it is a level of, are stale.
    void pixelsChanged();
    // The level below this one of its mip-mapped texture, or null.
    IDirectDrawSurface7* nextMipLevel() const;
    bool isRenderTarget() const
    {
        return (desc.ddsCaps.dwCaps & DDSCAPS_3DDEVICE) && !(desc.ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE);
    }
    bool isPrimary() const { return (desc.ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE) != 0; }
    int bytesPerPixel() const { return int(desc.ddpfPixelFormat.dwRGBBitCount / 8); }
    void syncFromGL(); // render target -> CPU copy
    void syncToGL();   // CPU copy -> render target
};

struct DDDriverDesc
{
    GUID guid;
    bool hasGuid = false;
    const char* description = "";
    const char* name = "";
};

class IDirect3D7;

class IDirectDraw7 : public D3DObject
{
public:
    HRESULT SetCooperativeLevel(SDL_Window* window, uint32_t flags);
    // The game's windows: the window must have been made with its OpenGL surface.
    HRESULT SetCooperativeLevel(platform::Window* window, uint32_t flags);
    HRESULT CreateSurface(DDSURFACEDESC2* desc, IDirectDrawSurface7** out, void* outer);
    HRESULT SetDisplayMode(uint32_t width, uint32_t height, uint32_t bpp, uint32_t refresh, uint32_t flags);
    HRESULT RestoreDisplayMode();
    HRESULT GetDisplayMode(DDSURFACEDESC2* desc);
    HRESULT GetAvailableVidMem(const DDSCAPS2* caps, uint32_t* total, uint32_t* free);
    HRESULT GetCaps(DDCAPS* hal, DDCAPS* hel);
    HRESULT GetDeviceIdentifier(DDDEVICEIDENTIFIER2* id, uint32_t flags);
    using EnumModesCallback = HRESULT (*)(DDSURFACEDESC2* desc, void* ctx);
    HRESULT EnumDisplayModes(uint32_t flags, DDSURFACEDESC2* filter, void* ctx, EnumModesCallback cb);
    HRESULT CreatePalette(uint32_t flags, const PALETTEENTRY* entries, IDirectDrawPalette** out, void* outer);
    HRESULT CreateClipper(uint32_t flags, IDirectDrawClipper** out, void* outer);
    HRESULT FlipToGDISurface() { return DD_OK; }
    HRESULT QueryDirect3D(IDirect3D7** out);

    SDL_Window* window = nullptr;
    uint32_t coopFlags = 0;
    bool fullscreen = false;
    uint32_t modeWidth = 0, modeHeight = 0, modeBpp = 0;
};

struct D3DVERTEXBUFFERDESC
{
    uint32_t dwSize = sizeof(D3DVERTEXBUFFERDESC);
    uint32_t dwCaps = 0;
    uint32_t dwFVF = 0;
    uint32_t dwNumVertices = 0;
};
enum : uint32_t
{
    D3DVBCAPS_SYSTEMMEMORY = 0x800,
    D3DVBCAPS_WRITEONLY = 0x10000
};

class IDirect3DVertexBuffer7 : public D3DObject
{
public:
    HRESULT Lock(uint32_t flags, void** data, uint32_t* size);
    HRESULT Unlock();
    HRESULT ProcessVertices(uint32_t op, uint32_t destIndex, uint32_t count, IDirect3DVertexBuffer7* src,
                            uint32_t srcIndex, IDirect3DDevice7* device, uint32_t flags);
    HRESULT GetVertexBufferDesc(D3DVERTEXBUFFERDESC* desc) const;
    HRESULT Optimize(IDirect3DDevice7*, uint32_t) { return D3D_OK; }

    D3DVERTEXBUFFERDESC desc;
    std::vector<uint8_t> data;
    bool locked = false;
};

class IDirect3D7 : public D3DObject
{
public:
    using EnumDevicesCallback = HRESULT (*)(const char* description, const char* name, D3DDEVICEDESC7* desc,
                                            void* ctx);
    HRESULT EnumDevices(EnumDevicesCallback cb, void* ctx);
    using EnumPixelFormatsCallback = HRESULT (*)(DDPIXELFORMAT* format, void* ctx);
    HRESULT EnumZBufferFormats(const GUID& device, EnumPixelFormatsCallback cb, void* ctx);
    HRESULT CreateDevice(const GUID& device, IDirectDrawSurface7* target, IDirect3DDevice7** out);
    HRESULT CreateVertexBuffer(const D3DVERTEXBUFFERDESC* desc, IDirect3DVertexBuffer7** out, uint32_t flags);
};

// One call the device received, recorded for tests.
enum class D3DCallKind : uint8_t
{
    RenderState,
    StageState,
    Texture,
    Transform,
    Material,
    Light,
    LightEnable,
    Draw,
    Viewport,
    ApplyStateBlock,
    Clear
};
struct D3DCall
{
    D3DCallKind kind;
    uint32_t a = 0, b = 0, c = 0;
};

class IDirect3DDevice7 : public D3DObject
{
public:
    ~IDirect3DDevice7() override;

    HRESULT GetCaps(D3DDEVICEDESC7* desc) const;
    HRESULT EnumTextureFormats(IDirect3D7::EnumPixelFormatsCallback cb, void* ctx);
    HRESULT BeginScene();
    HRESULT EndScene();
    HRESULT Clear(uint32_t count, const RECT* rects, uint32_t flags, D3DCOLOR color, float z,
                  uint32_t stencil);
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, uint32_t value);
    HRESULT GetRenderState(D3DRENDERSTATETYPE state, uint32_t* value) const;
    HRESULT SetTextureStageState(uint32_t stage, D3DTEXTURESTAGESTATETYPE type, uint32_t value);
    HRESULT GetTextureStageState(uint32_t stage, D3DTEXTURESTAGESTATETYPE type, uint32_t* value) const;
    HRESULT SetTexture(uint32_t stage, IDirectDrawSurface7* texture);
    HRESULT GetTexture(uint32_t stage, IDirectDrawSurface7** texture) const;
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE type, const D3DMATRIX* m);
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE type, D3DMATRIX* m) const;
    HRESULT MultiplyTransform(D3DTRANSFORMSTATETYPE type, const D3DMATRIX* m);
    HRESULT SetViewport(const D3DVIEWPORT7* vp);
    HRESULT GetViewport(D3DVIEWPORT7* vp) const;
    HRESULT SetMaterial(const D3DMATERIAL7* m);
    HRESULT GetMaterial(D3DMATERIAL7* m) const;
    HRESULT SetLight(uint32_t index, const D3DLIGHT7* light);
    HRESULT GetLight(uint32_t index, D3DLIGHT7* light) const;
    HRESULT LightEnable(uint32_t index, bool on);
    HRESULT GetLightEnable(uint32_t index, bool* on) const;
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, uint32_t fvf, const void* vertices, uint32_t count,
                          uint32_t flags);
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, uint32_t fvf, const void* vertices,
                                 uint32_t vertexCount, const uint16_t* indices, uint32_t indexCount,
                                 uint32_t flags);
    HRESULT DrawPrimitiveVB(D3DPRIMITIVETYPE type, IDirect3DVertexBuffer7* vb, uint32_t start, uint32_t count,
                            uint32_t flags);
    HRESULT DrawIndexedPrimitiveVB(D3DPRIMITIVETYPE type, IDirect3DVertexBuffer7* vb, uint32_t start,
                                   uint32_t vertexCount, const uint16_t* indices, uint32_t indexCount,
                                   uint32_t flags);
    HRESULT BeginStateBlock();
    HRESULT EndStateBlock(uint32_t* handle);
    HRESULT ApplyStateBlock(uint32_t handle);
    HRESULT DeleteStateBlock(uint32_t handle);
    HRESULT ValidateDevice(uint32_t* passes);
    HRESULT ComputeSphereVisibility(const D3DVECTOR* centers, const float* radii, uint32_t count,
                                    uint32_t flags, uint32_t* results);
    HRESULT GetRenderTarget(IDirectDrawSurface7** out) const;

    // Recording of received calls (tests).
    bool recordCalls = false;
    std::vector<D3DCall> calls;
    uint64_t drawCalls = 0;

    // Implementation.
    struct StateChange
    {
        uint8_t what; // 0 render state, 1 stage state, 2 texture
        uint32_t a, b, c;
        IDirectDrawSurface7* tex;
    };
    D3DDEVICEDESC7 caps;
    IDirectDrawSurface7* target = nullptr;
    uint32_t rs[D3D_RENDERSTATE_COUNT] = {};
    uint32_t ts[D3D_MAX_STAGES][D3D_STAGESTATE_COUNT] = {};
    IDirectDrawSurface7* textures[D3D_MAX_STAGES] = {};
    D3DMATRIX world, view, proj;
    D3DVIEWPORT7 viewport;
    D3DMATERIAL7 material;
    std::map<uint32_t, D3DLIGHT7> lights;
    std::map<uint32_t, bool> lightOn;
    bool inScene = false;
    bool recordingBlock = false;
    std::vector<StateChange> pendingBlock;
    std::map<uint32_t, std::vector<StateChange>> blocks;
    uint32_t nextBlock = 1;
    int glMaxLights = 8;
    int glUnits = 2;
    // What the last draw left in GL, so that unchanged state is not sent again.
    bool lightsDirty = true;
    bool materialDirty = true;              // GL's material unknown: the next lit draw sends all of it
    D3DMATERIAL7 appliedMaterial;           // valid unless materialDirty
    bool appliedDiffuseOverwritten = false; // by vertex colours (colour tracking)
    int appliedProjection = 0;              // 0 unknown, 1 the 3-D projection, 2 screen space
    int appliedUnits = -1;                  // texture units enabled by the last draw; -1 unknown
    std::vector<uint32_t> appliedLights;
    uint32_t appliedCombine[D3D_MAX_STAGES][8] = {};
    bool combineValid[D3D_MAX_STAGES] = {};
    // Switches, client arrays and texture units as the last draw left them (-1:
    // unknown), so that a draw sends GL only what differs. Code outside the draws
    // that changes them moves the module's GL epoch on, which forgets them.
    struct SAppliedGL
    {
        int8_t lighting, colorMaterial, fog, vertexArray, normalArray, colorArray;
        int fogMode;
        const void* vertexPointer;
        int vertexSize, vertexStride;
        const void* normalPointer;
        int normalStride;
        const void* colorPointer;
        int activeUnit;
        int matrixMode;
        // The current colour, normal and texture coordinates the device last set
        // (white, zero, zero) are known to be in place; a draw with that array on
        // leaves them undefined.
        bool whiteColor, zeroNormal, zeroTexCoord[D3D_MAX_STAGES];
        // The model-view matrix GL holds (world times view), when known.
        bool modelviewValid;
        D3DMATRIX modelview;
        int8_t texture2D[D3D_MAX_STAGES], texCoordArray[D3D_MAX_STAGES];
        const void* texCoordPointer[D3D_MAX_STAGES];
        int texCoordStride[D3D_MAX_STAGES];
        uint32_t boundTexture[D3D_MAX_STAGES];
        uint64_t epoch;
        SAppliedGL() { Forget(0); }
        void Forget(uint64_t now);
    } appliedGL;
    // Per-draw buffers kept between draws, so that a draw allocates nothing.
    std::vector<uint32_t> reaching;
    std::vector<float> positions;
    std::vector<uint8_t> colors;
    // Forgets what GL holds (after GL calls made outside the device).
    void InvalidateGLState();

    void record(D3DCallKind k, uint32_t a, uint32_t b = 0, uint32_t c = 0)
    {
        if (recordCalls)
            calls.push_back({k, a, b, c});
    }
    void applyRenderState(uint32_t state, uint32_t value);
    HRESULT draw(D3DPRIMITIVETYPE type, uint32_t fvf, const uint8_t* vertices, uint32_t vertexCount,
                 const uint16_t* indices, uint32_t indexCount);
    // The steps of a draw, in the order they run.
    void selectMatrix(int mode);
    void loadModelview(const D3DMATRIX& m);
    void applyTransforms(bool transformed, const uint8_t* vertices, uint32_t vertexCount, uint32_t stride);
    // Fills `reaching` with the enabled lights that reach the drawn vertices.
    void reachingLights(const uint8_t* vertices, uint32_t vertexCount, uint32_t stride);
    void applyLights();
    void forgetGLIfChangedOutside();
    void selectUnit(int unit);
    void applyMaterial(uint32_t fvf);
    void applyFog(bool transformed);
    void applyTextureStages(uint32_t fvf, const uint8_t* vertices, uint32_t stride);
    void setVertexArrays(uint32_t fvf, bool transformed, const uint8_t* vertices, uint32_t vertexCount,
                         uint32_t stride);
};

// Driver enumeration: one primary display driver with one hardware device.
using DDEnumCallbackEx = HRESULT (*)(GUID* guid, const char* description, const char* name, void* ctx,
                                     void* monitor);
HRESULT DirectDrawEnumerateEx(DDEnumCallbackEx cb, void* ctx, uint32_t flags);
HRESULT DirectDrawCreateEx(const GUID* guid, IDirectDraw7** out);

extern const GUID IID_IDirect3DHALDevice;

// The window the device draws into. The window must have been made with
// OpenGL support; the GL context is made once and kept for the window's life.
bool D3DAttachWindow(SDL_Window* window);
SDL_Window* D3DGetWindow();
// Drops the GL context (program exit, or before the window goes away).
void D3DDetachWindow();
// Makes a window with an OpenGL context for tools and tests that have no main window.
SDL_Window* D3DCreateTestWindow(int width, int height);
void D3DDestroyTestWindow(SDL_Window* window);

// Display modes offered to enumeration; tests can replace the list.
struct D3DDisplayMode
{
    uint32_t width, height, bpp;
};
void D3DSetFakeDisplayModes(const std::vector<D3DDisplayMode>* modes);
// The desktop's bits per pixel (the window-mode render depth).
int D3DDesktopBitsPerPixel();
// Device capability overrides for tests (e.g. fewer active lights, no z formats).
struct D3DCapsOverride
{
    int maxActiveLights = -1;
    bool noZFormats = false;
    bool noAlphaTextures = false;
    bool noMultitexture = false;
    bool softwareOnly = false; // the device does not rasterise in hardware
    uint32_t videoMemory = 0;  // free video memory reported; 0 = the usual large amount
};
void D3DSetCapsOverride(const D3DCapsOverride* caps);

// Devices made while this is set record their calls from the first one on (tests).
extern bool D3DRecordCallsOfNewDevices;

// Pixel conversion helpers shared with the blit code.
uint32_t D3DReadARGB(const DDPIXELFORMAT& pf, const uint8_t* p);
void D3DWriteARGB(const DDPIXELFORMAT& pf, uint8_t* p, uint32_t argb);
DDPIXELFORMAT D3DMakeRGBFormat(uint32_t bits, uint32_t r, uint32_t g, uint32_t b, uint32_t a);
