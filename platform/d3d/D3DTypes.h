// Plain value types and constants of the 3-D device layer. The numbers are the
// ones the game's stored data and state tables use, so they must not change.
#pragma once

#include <cstdint>
#include <cstring>

#include "platform/win/Window.h"

using HRESULT = int32_t;
using D3DCOLOR = uint32_t; // 0xAARRGGBB

constexpr HRESULT DD_OK = 0;
constexpr HRESULT D3D_OK = 0;
constexpr bool FAILED(HRESULT hr)
{
    return hr < 0;
}
constexpr bool SUCCEEDED(HRESULT hr)
{
    return hr >= 0;
}

constexpr HRESULT MakeDDResult(uint32_t code)
{
    return static_cast<HRESULT>(0x88760000u | code);
}
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT DDERR_INVALIDPARAMS = E_INVALIDARG;
constexpr HRESULT DDERR_GENERIC = E_FAIL;
constexpr HRESULT DDERR_UNSUPPORTED = E_NOTIMPL;
constexpr HRESULT DDERR_INVALIDOBJECT = MakeDDResult(130);
constexpr HRESULT DDERR_INVALIDRECT = MakeDDResult(150);
constexpr HRESULT DDERR_NOCOLORKEY = MakeDDResult(215);
constexpr HRESULT DDERR_NOTFOUND = MakeDDResult(255);
constexpr HRESULT DDERR_OUTOFVIDEOMEMORY = MakeDDResult(380);
constexpr HRESULT DDERR_SURFACEBUSY = MakeDDResult(430);
constexpr HRESULT DDERR_SURFACELOST = MakeDDResult(450);
constexpr HRESULT DDERR_NOTLOCKED = MakeDDResult(584);
constexpr HRESULT DDERR_WRONGMODE = MakeDDResult(587);
constexpr HRESULT DDERR_UNSUPPORTEDMODE = MakeDDResult(590);
constexpr HRESULT DDERR_NOHWND = MakeDDResult(569);
constexpr HRESULT D3DERR_INVALIDPRIMITIVETYPE = MakeDDResult(736);
constexpr HRESULT D3DERR_INVALIDVERTEXTYPE = MakeDDResult(737);
constexpr HRESULT D3DERR_INVALIDVERTEXFORMAT = MakeDDResult(2048);
constexpr HRESULT D3DERR_VERTEXBUFFERLOCKED = MakeDDResult(2062);
constexpr HRESULT D3DERR_INBEGIN = MakeDDResult(770);
constexpr HRESULT D3DERR_NOTINBEGIN = MakeDDResult(771);

struct GUID
{
    uint32_t data1 = 0;
    uint16_t data2 = 0, data3 = 0;
    uint8_t data4[8] = {};
    bool operator==(const GUID& o) const { return std::memcmp(this, &o, sizeof(GUID)) == 0; }
};

// The window layer's rectangle, so that both layers name one type.
using RECT = platform::RECT;

// Matrices are row-vector matrices: a point transforms as v * M.
struct D3DMATRIX
{
    float m[4][4] = {};
};
struct D3DVECTOR
{
    float x = 0, y = 0, z = 0;
};
struct D3DCOLORVALUE
{
    float r = 0, g = 0, b = 0, a = 0;
};

struct D3DMATERIAL7
{
    D3DCOLORVALUE diffuse, ambient, specular, emissive;
    float power = 0;
};

enum D3DLIGHTTYPE : int32_t
{
    D3DLIGHT_POINT = 1,
    D3DLIGHT_SPOT = 2,
    D3DLIGHT_DIRECTIONAL = 3
};

struct D3DLIGHT7
{
    int32_t dltType = 0;
    D3DCOLORVALUE dcvDiffuse, dcvSpecular, dcvAmbient;
    D3DVECTOR dvPosition, dvDirection;
    float dvRange = 0, dvFalloff = 0;
    float dvAttenuation0 = 0, dvAttenuation1 = 0, dvAttenuation2 = 0;
    float dvTheta = 0, dvPhi = 0;
};

struct D3DVIEWPORT7
{
    uint32_t dwX = 0, dwY = 0, dwWidth = 0, dwHeight = 0;
    float dvMinZ = 0, dvMaxZ = 1;
};

// Render states.
enum D3DRENDERSTATETYPE : uint32_t
{
    D3DRENDERSTATE_ANTIALIAS = 2,
    D3DRENDERSTATE_TEXTUREPERSPECTIVE = 4,
    D3DRENDERSTATE_ZENABLE = 7,
    D3DRENDERSTATE_FILLMODE = 8,
    D3DRENDERSTATE_SHADEMODE = 9,
    D3DRENDERSTATE_ZWRITEENABLE = 14,
    D3DRENDERSTATE_ALPHATESTENABLE = 15,
    D3DRENDERSTATE_LASTPIXEL = 16,
    D3DRENDERSTATE_SRCBLEND = 19,
    D3DRENDERSTATE_DESTBLEND = 20,
    D3DRENDERSTATE_CULLMODE = 22,
    D3DRENDERSTATE_ZFUNC = 23,
    D3DRENDERSTATE_ALPHAREF = 24,
    D3DRENDERSTATE_ALPHAFUNC = 25,
    D3DRENDERSTATE_DITHERENABLE = 26,
    D3DRENDERSTATE_ALPHABLENDENABLE = 27,
    D3DRENDERSTATE_FOGENABLE = 28,
    D3DRENDERSTATE_SPECULARENABLE = 29,
    D3DRENDERSTATE_STIPPLEDALPHA = 33,
    D3DRENDERSTATE_FOGCOLOR = 34,
    D3DRENDERSTATE_FOGTABLEMODE = 35,
    D3DRENDERSTATE_FOGSTART = 36,
    D3DRENDERSTATE_FOGEND = 37,
    D3DRENDERSTATE_FOGDENSITY = 38,
    D3DRENDERSTATE_COLORKEYENABLE = 41,
    D3DRENDERSTATE_ZBIAS = 47,
    D3DRENDERSTATE_RANGEFOGENABLE = 48,
    D3DRENDERSTATE_TEXTUREFACTOR = 60,
    D3DRENDERSTATE_CLIPPING = 136,
    D3DRENDERSTATE_LIGHTING = 137,
    D3DRENDERSTATE_EXTENTS = 138,
    D3DRENDERSTATE_AMBIENT = 139,
    D3DRENDERSTATE_FOGVERTEXMODE = 140,
    D3DRENDERSTATE_COLORVERTEX = 141,
    D3DRENDERSTATE_LOCALVIEWER = 142,
    D3DRENDERSTATE_NORMALIZENORMALS = 143,
    D3DRENDERSTATE_DIFFUSEMATERIALSOURCE = 145,
    D3DRENDERSTATE_SPECULARMATERIALSOURCE = 146,
    D3DRENDERSTATE_AMBIENTMATERIALSOURCE = 147,
    D3DRENDERSTATE_EMISSIVEMATERIALSOURCE = 148,
};
constexpr uint32_t D3D_RENDERSTATE_COUNT = 256;

enum : uint32_t
{
    D3DZB_FALSE = 0,
    D3DZB_TRUE = 1
};
enum : uint32_t
{
    D3DFILL_POINT = 1,
    D3DFILL_WIREFRAME = 2,
    D3DFILL_SOLID = 3
};
enum : uint32_t
{
    D3DSHADE_FLAT = 1,
    D3DSHADE_GOURAUD = 2
};
enum : uint32_t
{
    D3DCULL_NONE = 1,
    D3DCULL_CW = 2,
    D3DCULL_CCW = 3
};
enum : uint32_t
{
    D3DCMP_NEVER = 1,
    D3DCMP_LESS,
    D3DCMP_EQUAL,
    D3DCMP_LESSEQUAL,
    D3DCMP_GREATER,
    D3DCMP_NOTEQUAL,
    D3DCMP_GREATEREQUAL,
    D3DCMP_ALWAYS
};
enum : uint32_t
{
    D3DBLEND_ZERO = 1,
    D3DBLEND_ONE,
    D3DBLEND_SRCCOLOR,
    D3DBLEND_INVSRCCOLOR,
    D3DBLEND_SRCALPHA,
    D3DBLEND_INVSRCALPHA,
    D3DBLEND_DESTALPHA,
    D3DBLEND_INVDESTALPHA,
    D3DBLEND_DESTCOLOR,
    D3DBLEND_INVDESTCOLOR,
    D3DBLEND_SRCALPHASAT
};
enum : uint32_t
{
    D3DFOG_NONE = 0,
    D3DFOG_EXP = 1,
    D3DFOG_EXP2 = 2,
    D3DFOG_LINEAR = 3
};
enum : uint32_t
{
    D3DMCS_MATERIAL = 0,
    D3DMCS_COLOR1 = 1,
    D3DMCS_COLOR2 = 2
};

// Texture-stage states.
enum D3DTEXTURESTAGESTATETYPE : uint32_t
{
    D3DTSS_COLOROP = 1,
    D3DTSS_COLORARG1 = 2,
    D3DTSS_COLORARG2 = 3,
    D3DTSS_ALPHAOP = 4,
    D3DTSS_ALPHAARG1 = 5,
    D3DTSS_ALPHAARG2 = 6,
    D3DTSS_TEXCOORDINDEX = 11,
    D3DTSS_ADDRESS = 12,
    D3DTSS_ADDRESSU = 13,
    D3DTSS_ADDRESSV = 14,
    D3DTSS_MAGFILTER = 16,
    D3DTSS_MINFILTER = 17,
    D3DTSS_MIPFILTER = 18,
};
constexpr uint32_t D3D_STAGESTATE_COUNT = 32;
constexpr uint32_t D3D_MAX_STAGES = 8;

enum : uint32_t
{
    D3DTOP_DISABLE = 1,
    D3DTOP_SELECTARG1,
    D3DTOP_SELECTARG2,
    D3DTOP_MODULATE,
    D3DTOP_MODULATE2X,
    D3DTOP_MODULATE4X,
    D3DTOP_ADD,
    D3DTOP_ADDSIGNED,
    D3DTOP_ADDSIGNED2X,
    D3DTOP_SUBTRACT,
    D3DTOP_ADDSMOOTH,
    D3DTOP_BLENDDIFFUSEALPHA,
    D3DTOP_BLENDTEXTUREALPHA,
    D3DTOP_BLENDFACTORALPHA,
    D3DTOP_BLENDTEXTUREALPHAPM,
    D3DTOP_BLENDCURRENTALPHA
};
enum : uint32_t
{
    D3DTA_DIFFUSE = 0,
    D3DTA_CURRENT = 1,
    D3DTA_TEXTURE = 2,
    D3DTA_TFACTOR = 3,
    D3DTA_SPECULAR = 4,
    D3DTA_SELECTMASK = 0x0F,
    D3DTA_COMPLEMENT = 0x10,
    D3DTA_ALPHAREPLICATE = 0x20
};
enum : uint32_t
{
    D3DTADDRESS_WRAP = 1,
    D3DTADDRESS_MIRROR = 2,
    D3DTADDRESS_CLAMP = 3,
    D3DTADDRESS_BORDER = 4
};
enum : uint32_t
{
    D3DTFG_POINT = 1,
    D3DTFG_LINEAR = 2
};
enum : uint32_t
{
    D3DTFN_POINT = 1,
    D3DTFN_LINEAR = 2
};
enum : uint32_t
{
    D3DTFP_NONE = 1,
    D3DTFP_POINT = 2,
    D3DTFP_LINEAR = 3
};

enum D3DTRANSFORMSTATETYPE : uint32_t
{
    D3DTRANSFORMSTATE_WORLD = 1,
    D3DTRANSFORMSTATE_VIEW = 2,
    D3DTRANSFORMSTATE_PROJECTION = 3
};

enum D3DPRIMITIVETYPE : uint32_t
{
    D3DPT_POINTLIST = 1,
    D3DPT_LINELIST,
    D3DPT_LINESTRIP,
    D3DPT_TRIANGLELIST,
    D3DPT_TRIANGLESTRIP,
    D3DPT_TRIANGLEFAN
};

// Flexible vertex formats. The device draws the three formats the game uses.
enum : uint32_t
{
    D3DFVF_XYZ = 0x002,
    D3DFVF_XYZRHW = 0x004,
    D3DFVF_NORMAL = 0x010,
    D3DFVF_DIFFUSE = 0x040,
    D3DFVF_SPECULAR = 0x080,
    D3DFVF_TEX1 = 0x100,
    D3DFVF_TEX2 = 0x200
};
constexpr uint32_t FVF_MESH = 0x212;     // position, normal, two uv sets: 40 bytes
constexpr uint32_t FVF_LVERTEX = 0x1C2;  // position, diffuse, specular, uv: 28 bytes
constexpr uint32_t FVF_TLVERTEX = 0x1C4; // screen position + rhw, diffuse, specular, uv: 32 bytes

struct D3DMeshVertex
{
    float x, y, z, nx, ny, nz, u0, v0, u1, v1;
};
struct D3DLVertex
{
    float x, y, z;
    D3DCOLOR diffuse, specular;
    float u, v;
};
struct D3DTLVertex
{
    float sx, sy, sz, rhw;
    D3DCOLOR diffuse, specular;
    float u, v;
};

constexpr uint32_t D3DCLEAR_TARGET = 1, D3DCLEAR_ZBUFFER = 2;
constexpr uint32_t D3DVOP_TRANSFORM = 1, D3DVOP_CLIP = 4;

// Sphere visibility bits: low 12 bits = partly outside a plane, 0xFFF000 = wholly outside.
enum : uint32_t
{
    D3DCLIP_LEFT = 1,
    D3DCLIP_RIGHT = 2,
    D3DCLIP_TOP = 4,
    D3DCLIP_BOTTOM = 8,
    D3DCLIP_FRONT = 0x10,
    D3DCLIP_BACK = 0x20,
    D3DSTATUS_CLIPINTERSECTIONLEFT = 0x1000,
    D3DSTATUS_CLIPINTERSECTIONRIGHT = 0x2000,
    D3DSTATUS_CLIPINTERSECTIONTOP = 0x4000,
    D3DSTATUS_CLIPINTERSECTIONBOTTOM = 0x8000,
    D3DSTATUS_CLIPINTERSECTIONFRONT = 0x10000,
    D3DSTATUS_CLIPINTERSECTIONBACK = 0x20000
};

// Device capability bits.
enum : uint32_t
{
    D3DDEVCAPS_TEXTUREVIDEOMEMORY = 0x200,
    D3DDEVCAPS_TEXTURENONLOCALVIDMEM = 0x1000,
    D3DDEVCAPS_HWTRANSFORMANDLIGHT = 0x10000,
    D3DDEVCAPS_HWRASTERIZATION = 0x80000
};
enum : uint32_t
{
    D3DPRASTERCAPS_DITHER = 1,
    D3DPRASTERCAPS_ZTEST = 0x10,
    D3DPRASTERCAPS_FOGVERTEX = 0x80,
    D3DPRASTERCAPS_FOGTABLE = 0x100,
    D3DPRASTERCAPS_ANTIALIASSORTDEPENDENT = 0x400,
    D3DPRASTERCAPS_ZBIAS = 0x4000,
    D3DPRASTERCAPS_ZBUFFERLESSHSR = 0x8000,
    D3DPRASTERCAPS_FOGRANGE = 0x10000,
    D3DPRASTERCAPS_WFOG = 0x100000
};
enum : uint32_t
{
    D3DPTEXTURECAPS_PERSPECTIVE = 1,
    D3DPTEXTURECAPS_POW2 = 2,
    D3DPTEXTURECAPS_ALPHA = 4,
    D3DPTEXTURECAPS_TRANSPARENCY = 8,
    D3DPTEXTURECAPS_SQUAREONLY = 0x20
};
enum : uint32_t
{
    D3DPTFILTERCAPS_NEAREST = 1,
    D3DPTFILTERCAPS_LINEAR = 2,
    D3DPTFILTERCAPS_MIPFPOINT = 0x100,
    D3DPTFILTERCAPS_MIPFLINEAR = 0x200
};
enum : uint32_t
{
    D3DPTBLENDCAPS_MODULATE = 8,
    D3DPTBLENDCAPS_MODULATEALPHA = 0x40
};
// Render bit-depth flags.
enum : uint32_t
{
    DDBD_8 = 0x800,
    DDBD_16 = 0x400,
    DDBD_24 = 0x200,
    DDBD_32 = 0x100
};

struct D3DPRIMCAPS
{
    uint32_t dwMiscCaps = 0, dwRasterCaps = 0, dwZCmpCaps = 0, dwSrcBlendCaps = 0, dwDestBlendCaps = 0,
             dwAlphaCmpCaps = 0, dwShadeCaps = 0, dwTextureCaps = 0, dwTextureFilterCaps = 0,
             dwTextureBlendCaps = 0, dwTextureAddressCaps = 0;
};

struct D3DDEVICEDESC7
{
    uint32_t dwDevCaps = 0;
    D3DPRIMCAPS dpcLineCaps, dpcTriCaps;
    uint32_t dwDeviceRenderBitDepth = 0, dwDeviceZBufferBitDepth = 0;
    uint32_t dwMinTextureWidth = 0, dwMinTextureHeight = 0, dwMaxTextureWidth = 0, dwMaxTextureHeight = 0;
    uint16_t wMaxTextureBlendStages = 0, wMaxSimultaneousTextures = 0;
    uint32_t dwMaxActiveLights = 0;
    GUID deviceGUID;
};

// DirectDraw pixel formats and surface descriptions.
enum : uint32_t
{
    DDPF_ALPHAPIXELS = 0x1,
    DDPF_ALPHA = 0x2,
    DDPF_FOURCC = 0x4,
    DDPF_PALETTEINDEXED4 = 0x8,
    DDPF_PALETTEINDEXEDTO8 = 0x10,
    DDPF_PALETTEINDEXED8 = 0x20,
    DDPF_RGB = 0x40,
    DDPF_ZBUFFER = 0x400,
    DDPF_PALETTEINDEXED1 = 0x800,
    DDPF_PALETTEINDEXED2 = 0x1000,
    DDPF_LUMINANCE = 0x20000,
    DDPF_BUMPLUMINANCE = 0x40000,
    DDPF_BUMPDUDV = 0x80000
};

struct DDPIXELFORMAT
{
    uint32_t dwSize = 32;
    uint32_t dwFlags = 0;
    uint32_t dwFourCC = 0;
    uint32_t dwRGBBitCount = 0; // also the z-buffer bit depth for z formats
    uint32_t dwRBitMask = 0;    // also the z bit mask for z formats
    uint32_t dwGBitMask = 0;
    uint32_t dwBBitMask = 0;
    uint32_t dwRGBAlphaBitMask = 0;
    bool operator==(const DDPIXELFORMAT& o) const
    {
        return dwFlags == o.dwFlags && dwFourCC == o.dwFourCC && dwRGBBitCount == o.dwRGBBitCount &&
               dwRBitMask == o.dwRBitMask && dwGBitMask == o.dwGBitMask && dwBBitMask == o.dwBBitMask &&
               dwRGBAlphaBitMask == o.dwRGBAlphaBitMask;
    }
};

enum : uint32_t
{
    DDSCAPS_BACKBUFFER = 0x4,
    DDSCAPS_COMPLEX = 0x8,
    DDSCAPS_FLIP = 0x10,
    DDSCAPS_FRONTBUFFER = 0x20,
    DDSCAPS_OFFSCREENPLAIN = 0x40,
    DDSCAPS_PRIMARYSURFACE = 0x200,
    DDSCAPS_SYSTEMMEMORY = 0x800,
    DDSCAPS_TEXTURE = 0x1000,
    DDSCAPS_3DDEVICE = 0x2000,
    DDSCAPS_VIDEOMEMORY = 0x4000,
    DDSCAPS_ZBUFFER = 0x20000,
    DDSCAPS_MIPMAP = 0x400000,
    DDSCAPS_LOCALVIDMEM = 0x10000000
};
enum : uint32_t
{
    DDSCAPS2_HINTDYNAMIC = 0x4,
    DDSCAPS2_HINTSTATIC = 0x8,
    DDSCAPS2_TEXTUREMANAGE = 0x10,
    DDSCAPS2_MIPMAPSUBLEVEL = 0x10000
};
enum : uint32_t
{
    DDSD_CAPS = 0x1,
    DDSD_HEIGHT = 0x2,
    DDSD_WIDTH = 0x4,
    DDSD_PITCH = 0x8,
    DDSD_BACKBUFFERCOUNT = 0x20,
    DDSD_LPSURFACE = 0x800,
    DDSD_PIXELFORMAT = 0x1000,
    DDSD_CKSRCBLT = 0x10000,
    DDSD_MIPMAPCOUNT = 0x20000,
    DDSD_TEXTURESTAGE = 0x100000
};

struct DDSCAPS2
{
    uint32_t dwCaps = 0, dwCaps2 = 0;
};
struct DDCOLORKEY
{
    uint32_t dwColorSpaceLowValue = 0, dwColorSpaceHighValue = 0;
};

struct DDSURFACEDESC2
{
    uint32_t dwSize = 124;
    uint32_t dwFlags = 0;
    uint32_t dwHeight = 0, dwWidth = 0;
    int32_t lPitch = 0;
    uint32_t dwBackBufferCount = 0;
    uint32_t dwMipMapCount = 0; // levels of a mip-mapped texture, this one included
    uint32_t dwRefreshRate = 0;
    DDCOLORKEY ddckCKSrcBlt;
    DDPIXELFORMAT ddpfPixelFormat;
    DDSCAPS2 ddsCaps;
    uint32_t dwTextureStage = 0;
    void* lpSurface = nullptr;
};

enum : uint32_t
{
    DDLOCK_WAIT = 0x1,
    DDLOCK_READONLY = 0x10,
    DDLOCK_WRITEONLY = 0x20
};
enum : uint32_t
{
    DDCKEY_SRCBLT = 0x8
};
enum : uint32_t
{
    DDBLT_COLORFILL = 0x400,
    DDBLT_KEYSRC = 0x8000,
    DDBLT_WAIT = 0x1000000
};
enum : uint32_t
{
    DDBLTFAST_NOCOLORKEY = 0,
    DDBLTFAST_SRCCOLORKEY = 0x1,
    DDBLTFAST_WAIT = 0x10
};
enum : uint32_t
{
    DDFLIP_WAIT = 0x1
};
enum : uint32_t
{
    DDSCL_FULLSCREEN = 0x1,
    DDSCL_ALLOWREBOOT = 0x2,
    DDSCL_NORMAL = 0x8,
    DDSCL_EXCLUSIVE = 0x10,
    DDSCL_FPUSETUP = 0x800
};
enum : uint32_t
{
    DDCAPS_3D = 0x1
};
enum : uint32_t
{
    DDCAPS2_CANRENDERWINDOWED = 0x80000
};
enum : uint32_t
{
    DDPCAPS_8BIT = 0x4,
    DDPCAPS_ALLOW256 = 0x40
};
enum : uint32_t
{
    DDENUMRET_CANCEL = 0,
    DDENUMRET_OK = 1
};

struct DDCAPS
{
    uint32_t dwSize = 380;
    uint32_t dwCaps = 0, dwCaps2 = 0;
    uint32_t dwVidMemTotal = 0, dwVidMemFree = 0;
};

struct DDDEVICEIDENTIFIER2
{
    char szDriver[512] = {};
    char szDescription[512] = {};
    uint32_t dwVendorId = 0, dwDeviceId = 0;
};

struct PALETTEENTRY
{
    uint8_t peRed = 0, peGreen = 0, peBlue = 0, peFlags = 0;
};
