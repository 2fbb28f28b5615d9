// Display driver, surfaces, blits and presentation.
#include "platform/win/SdlApi.h"

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <set>

#include "platform/d3d/D3DInternal.h"
#include "platform/d3d/D3DOverlay.h"
#include "platform/win/NativeWindow.h"

namespace {

SDL_Window* gWindow = nullptr;
SDL_Window* gHiddenWindow = nullptr; // context holder until a real window comes
SDL_GLContext gContext = nullptr;
GLuint gBoundFbo = 0;
GLuint gWhite = 0;
D3DPresentOverlay gOverlay = nullptr;
IDirectDrawSurface7* gLastPresented = nullptr;
// Surfaces may be made and released on a worker thread (CPU copies only).
std::mutex gSurfaceLock;
std::set<IDirectDrawSurface7*> gSurfaces;
std::mutex gGarbageLock;
std::vector<GLuint> gDeadTextures, gDeadFbos, gDeadRenderbuffers;
const std::vector<D3DDisplayMode>* gFakeModes = nullptr;
D3DCapsOverride gCapsOverride;
bool gFullscreen = false;
constexpr uint32_t kVideoMemory = 256u * 1024u * 1024u;

int maskShift(uint32_t m)
{
    if (!m)
        return 0;
    int s = 0;
    while (!(m & 1)) {
        m >>= 1;
        ++s;
    }
    return s;
}
int maskBits(uint32_t m)
{
    return __builtin_popcount(m);
}

uint32_t extract8(uint32_t v, uint32_t mask)
{
    if (!mask)
        return 0;
    uint32_t c = (v & mask) >> maskShift(mask);
    int bits = maskBits(mask);
    if (bits >= 8)
        return c >> (bits - 8);
    return (c * 255 + ((1u << bits) - 1) / 2) / ((1u << bits) - 1);
}
uint32_t insert8(uint32_t c8, uint32_t mask)
{
    if (!mask)
        return 0;
    int bits = maskBits(mask);
    uint32_t c = bits >= 8 ? (c8 << (bits - 8)) : (c8 >> (8 - bits));
    return (c << maskShift(mask)) & mask;
}

uint32_t readRaw(const uint8_t* p, int bytes)
{
    switch (bytes) {
    case 1:
        return p[0];
    case 2:
        return uint32_t(p[0]) | uint32_t(p[1]) << 8;
    case 3:
        return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
    default:
        return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    }
}
void writeRaw(uint8_t* p, int bytes, uint32_t v)
{
    for (int i = 0; i < bytes; ++i)
        p[i] = uint8_t(v >> (8 * i));
}

DDPIXELFORMAT displayFormat(uint32_t bpp)
{
    if (bpp == 16)
        return D3DMakeRGBFormat(16, 0xF800, 0x07E0, 0x001F, 0);
    return D3DMakeRGBFormat(32, 0xFF0000, 0xFF00, 0xFF, 0);
}

bool isKey(const IDirectDrawSurface7* s, uint32_t raw)
{
    return raw >= s->colorKey.dwColorSpaceLowValue && raw <= s->colorKey.dwColorSpaceHighValue;
}

void clipRects(RECT& d, RECT& s, int dw, int dh, int sw, int sh)
{
    // Clips destination and source in proportion; both rectangles stay non-empty or become empty.
    double sx = double(s.right - s.left) / std::max(1, d.right - d.left);
    double sy = double(s.bottom - s.top) / std::max(1, d.bottom - d.top);
    if (d.left < 0) {
        s.left += int(-d.left * sx);
        d.left = 0;
    }
    if (d.top < 0) {
        s.top += int(-d.top * sy);
        d.top = 0;
    }
    if (d.right > dw) {
        s.right -= int((d.right - dw) * sx);
        d.right = dw;
    }
    if (d.bottom > dh) {
        s.bottom -= int((d.bottom - dh) * sy);
        d.bottom = dh;
    }
    s.left = std::clamp(s.left, 0, sw);
    s.right = std::clamp(s.right, 0, sw);
    s.top = std::clamp(s.top, 0, sh);
    s.bottom = std::clamp(s.bottom, 0, sh);
}

// Draws a surface's texture as a quad into the bound framebuffer, pixels top-down.
void drawTexturedQuad(GLuint tex, int fbW, int fbH, const RECT& d, const RECT& s, int sw, int sh, bool keyed,
                      bool flipToWindow)
{
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    if (flipToWindow)
        glOrtho(0, fbW, fbH, 0, -1, 1);
    else
        glOrtho(0, fbW, 0, fbH, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glViewport(0, 0, fbW, fbH);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glDisable(GL_BLEND);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    if (keyed) {
        glEnable(GL_ALPHA_TEST);
        glAlphaFunc(GL_GREATER, 0.5f);
    } else {
        glDisable(GL_ALPHA_TEST);
    }
    for (int u = 1; u < 4; ++u) {
        glActiveTexture(GL_TEXTURE0 + u);
        glDisable(GL_TEXTURE_2D);
    }
    glActiveTexture(GL_TEXTURE0);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, tex);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    float u0 = float(s.left) / sw, u1 = float(s.right) / sw;
    float v0 = float(s.top) / sh, v1 = float(s.bottom) / sh;
    glColor4f(1, 1, 1, 1);
    glBegin(GL_QUADS);
    glTexCoord2f(u0, v0);
    glVertex2f(float(d.left), float(d.top));
    glTexCoord2f(u1, v0);
    glVertex2f(float(d.right), float(d.top));
    glTexCoord2f(u1, v1);
    glVertex2f(float(d.right), float(d.bottom));
    glTexCoord2f(u0, v1);
    glVertex2f(float(d.left), float(d.bottom));
    glEnd();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
    d3dgl::GLChangedOutsideDraws(); // the quad's texture got its own parameters
}

void present(IDirectDrawSurface7* src)
{
    if (!d3dgl::HaveContext() || !src)
        return;
    d3dgl::CollectGarbage();
    int ww = 0, wh = 0;
    SDL_GL_GetDrawableSize(gWindow, &ww, &wh);
    GLuint prev = gBoundFbo;
    if (src->isRenderTarget() && d3dgl::EnsureFramebuffer(src)) {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, src->glFbo);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        // The back buffer is stored top row first; the window wants bottom row first.
        glBlitFramebuffer(0, 0, src->fboWidth, src->fboHeight, 0, wh, ww, 0, GL_COLOR_BUFFER_BIT,
                          src->fboWidth == ww && src->fboHeight == wh ? GL_NEAREST : GL_LINEAR);
    } else {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        GLuint tex = d3dgl::EnsureTexture(src, false);
        RECT full{0, 0, int(src->desc.dwWidth), int(src->desc.dwHeight)};
        RECT d{0, 0, ww, wh};
        drawTexturedQuad(tex, ww, wh, d, full, full.right, full.bottom, false, true);
    }
    gLastPresented = src;
    if (gOverlay) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
        GLint program = 0;
        glGetIntegerv(GL_CURRENT_PROGRAM, &program);
        gOverlay(gWindow);
        glUseProgram(GLuint(program));
        glPopClientAttrib();
        glPopAttrib();
    }
    SDL_GL_SwapWindow(gWindow);
    gBoundFbo = ~0u;
    d3dgl::BindFramebuffer(prev);
}

} // namespace

namespace d3dgl {

static uint64_t gEpoch = 1;

uint64_t GLEpoch()
{
    return gEpoch;
}

void GLChangedOutsideDraws()
{
    ++gEpoch;
}

bool HaveContext()
{
    return gContext != nullptr;
}

void BindFramebuffer(GLuint fbo)
{
    if (gBoundFbo != fbo) {
        glBindFramebuffer(GL_FRAMEBUFFER, fbo);
        gBoundFbo = fbo;
    }
}

bool EnsureFramebuffer(IDirectDrawSurface7* s)
{
    if (!HaveContext())
        return false;
    int w = int(s->desc.dwWidth), h = int(s->desc.dwHeight);
    bool wantDepth = s->zBuffer != nullptr;
    if (s->glFbo && s->fboWidth == w && s->fboHeight == h && s->fboHasDepth == wantDepth)
        return true;
    GLChangedOutsideDraws();
    if (!s->glFbo) {
        glGenFramebuffers(1, &s->glFbo);
        glGenTextures(1, &s->glColor);
    }
    BindFramebuffer(s->glFbo);
    if (s->fboWidth != w || s->fboHeight != h) {
        glBindTexture(GL_TEXTURE_2D, s->glColor);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, s->glColor, 0);
    }
    if (s->glDepth) {
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, 0);
        glDeleteRenderbuffers(1, &s->glDepth);
        s->glDepth = 0;
    }
    if (wantDepth) {
        uint32_t bits = s->zBuffer->desc.ddpfPixelFormat.dwRGBBitCount;
        glGenRenderbuffers(1, &s->glDepth);
        glBindRenderbuffer(GL_RENDERBUFFER, s->glDepth);
        glRenderbufferStorage(GL_RENDERBUFFER, bits == 16 ? GL_DEPTH_COMPONENT16 : GL_DEPTH_COMPONENT24, w,
                              h);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, s->glDepth);
    }
    s->fboWidth = w;
    s->fboHeight = h;
    s->fboHasDepth = wantDepth;
    bool ok = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    if (ok) {
        // A new buffer starts black and far; the device's own states stay as they are.
        glPushAttrib(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_SCISSOR_BIT | GL_ENABLE_BIT);
        glDisable(GL_SCISSOR_TEST);
        glClearColor(0, 0, 0, 0);
        glClearDepth(1.0);
        glDepthMask(GL_TRUE);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glClear(GL_COLOR_BUFFER_BIT | (wantDepth ? GL_DEPTH_BUFFER_BIT : 0));
        glPopAttrib();
    }
    return ok;
}

} // namespace d3dgl

namespace {

// Sends one surface's CPU copy as a level of the bound GL texture.
void uploadLevel(IDirectDrawSurface7* s, GLint level, bool keyed)
{
    int w = int(s->desc.dwWidth), h = int(s->desc.dwHeight);
    const DDPIXELFORMAT& pf = s->desc.ddpfPixelFormat;
    int bpp = s->bytesPerPixel();
    // Rows are padded to 4 bytes; GL is told the row length, so that every level of
    // a texture takes the same path and so the same internal format.
    bool direct = !keyed && bpp > 0 && s->desc.lPitch % bpp == 0;
    glPixelStorei(GL_UNPACK_ROW_LENGTH, direct ? s->desc.lPitch / bpp : 0);
    if (direct && bpp == 2 && pf.dwRBitMask == 0xF800 && pf.dwGBitMask == 0x07E0 && pf.dwBBitMask == 0x1F) {
        glTexImage2D(GL_TEXTURE_2D, level, GL_RGB, w, h, 0, GL_RGB, GL_UNSIGNED_SHORT_5_6_5,
                     s->pixels.data());
    } else if (direct && bpp == 2 && pf.dwRGBAlphaBitMask == 0x8000 && pf.dwRBitMask == 0x7C00) {
        glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA, w, h, 0, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV,
                     s->pixels.data());
    } else if (direct && bpp == 2 && pf.dwRGBAlphaBitMask == 0xF000 && pf.dwRBitMask == 0x0F00) {
        glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA, w, h, 0, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV,
                     s->pixels.data());
    } else if (direct && bpp == 4 && pf.dwRBitMask == 0xFF0000 && pf.dwRGBAlphaBitMask == 0xFF000000u) {
        glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA8, w, h, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                     s->pixels.data());
    } else {
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
        std::vector<uint32_t> argb(size_t(w) * h);
        for (int y = 0; y < h; ++y) {
            const uint8_t* row = s->pixels.data() + size_t(y) * s->desc.lPitch;
            for (int x = 0; x < w; ++x) {
                const uint8_t* p = row + x * bpp;
                uint32_t c = D3DReadARGB(pf, p);
                if (keyed && s->hasColorKey)
                    c = isKey(s, readRaw(p, bpp)) ? 0 : (c | 0xFF000000u);
                argb[size_t(y) * w + x] = c;
            }
        }
        glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA8, w, h, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                     argb.data());
    }
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
}

} // namespace

namespace d3dgl {

GLuint EnsureTexture(IDirectDrawSurface7* s, bool keyed)
{
    GLuint& tex = keyed ? s->glTextureKeyed : s->glTexture;
    bool& dirty = keyed ? s->keyedDirty : s->dirty;
    if (!HaveContext())
        return 0;
    if (tex && !dirty)
        return tex;
    GLChangedOutsideDraws();
    if (!tex)
        glGenTextures(1, &tex);
    GLint prevActive = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &prevActive);
    glActiveTexture(GL_TEXTURE0);
    GLint prevTex = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &prevTex);
    glBindTexture(GL_TEXTURE_2D, tex);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    uploadLevel(s, 0, keyed);
    // Keyed copies serve blits only, which read the top level.
    GLint levels = 0;
    if (!keyed)
        for (IDirectDrawSurface7* level : s->mipLevels)
            uploadLevel(level, ++levels, false);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, levels);
    glBindTexture(GL_TEXTURE_2D, GLuint(prevTex));
    glActiveTexture(GLenum(prevActive));
    dirty = false;
    return tex;
}

GLuint WhiteTexture()
{
    if (!gWhite && HaveContext()) {
        GLChangedOutsideDraws();
        uint32_t white = 0xFFFFFFFFu;
        glGenTextures(1, &gWhite);
        glBindTexture(GL_TEXTURE_2D, gWhite);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, &white);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    }
    return gWhite;
}

void DeleteLater(GLuint texture, GLuint fbo, GLuint renderbuffer)
{
    std::lock_guard<std::mutex> lock(gGarbageLock);
    if (texture)
        gDeadTextures.push_back(texture);
    if (fbo)
        gDeadFbos.push_back(fbo);
    if (renderbuffer)
        gDeadRenderbuffers.push_back(renderbuffer);
}

void CollectGarbage()
{
    if (!HaveContext())
        return;
    std::lock_guard<std::mutex> lock(gGarbageLock);
    if (!gDeadTextures.empty() || !gDeadFbos.empty())
        GLChangedOutsideDraws(); // a deleted texture's name may come back for another
    if (!gDeadTextures.empty())
        glDeleteTextures(GLsizei(gDeadTextures.size()), gDeadTextures.data());
    if (!gDeadRenderbuffers.empty())
        glDeleteRenderbuffers(GLsizei(gDeadRenderbuffers.size()), gDeadRenderbuffers.data());
    for (GLuint f : gDeadFbos) {
        if (gBoundFbo == f)
            BindFramebuffer(0);
        glDeleteFramebuffers(1, &f);
    }
    gDeadTextures.clear();
    gDeadFbos.clear();
    gDeadRenderbuffers.clear();
}

const D3DCapsOverride& CapsOverride()
{
    return gCapsOverride;
}

D3DDEVICEDESC7 MakeDeviceCaps()
{
    D3DDEVICEDESC7 d;
    d.dwDevCaps = gCapsOverride.softwareOnly
                      ? 0u
                      : uint32_t(D3DDEVCAPS_HWRASTERIZATION | D3DDEVCAPS_HWTRANSFORMANDLIGHT |
                                 D3DDEVCAPS_TEXTUREVIDEOMEMORY);
    D3DPRIMCAPS& t = d.dpcTriCaps;
    t.dwRasterCaps = D3DPRASTERCAPS_DITHER | D3DPRASTERCAPS_ZTEST | D3DPRASTERCAPS_FOGVERTEX |
                     D3DPRASTERCAPS_FOGTABLE | D3DPRASTERCAPS_ZBIAS | D3DPRASTERCAPS_FOGRANGE |
                     D3DPRASTERCAPS_WFOG;
    t.dwZCmpCaps = t.dwAlphaCmpCaps = 0xFF;
    t.dwSrcBlendCaps = t.dwDestBlendCaps = 0x1FFF;
    t.dwShadeCaps = 0xFFFFF;
    t.dwTextureCaps = D3DPTEXTURECAPS_PERSPECTIVE | D3DPTEXTURECAPS_TRANSPARENCY;
    if (!gCapsOverride.noAlphaTextures)
        t.dwTextureCaps |= D3DPTEXTURECAPS_ALPHA;
    t.dwTextureFilterCaps = D3DPTFILTERCAPS_NEAREST | D3DPTFILTERCAPS_LINEAR | D3DPTFILTERCAPS_MIPFPOINT |
                            D3DPTFILTERCAPS_MIPFLINEAR;
    t.dwTextureBlendCaps = D3DPTBLENDCAPS_MODULATE | D3DPTBLENDCAPS_MODULATEALPHA;
    t.dwTextureAddressCaps = 0x7;
    d.dpcLineCaps = t;
    d.dwDeviceRenderBitDepth = DDBD_16 | DDBD_24 | DDBD_32;
    d.dwDeviceZBufferBitDepth = gCapsOverride.noZFormats ? 0 : (DDBD_16 | DDBD_24 | DDBD_32);
    d.dwMinTextureWidth = d.dwMinTextureHeight = 1;
    d.dwMaxTextureWidth = d.dwMaxTextureHeight = 2048;
    d.wMaxTextureBlendStages = 4;
    d.wMaxSimultaneousTextures = gCapsOverride.noMultitexture ? 1 : 2;
    d.dwMaxActiveLights = gCapsOverride.maxActiveLights >= 0 ? uint32_t(gCapsOverride.maxActiveLights) : 8;
    d.deviceGUID = IID_IDirect3DHALDevice;
    return d;
}

void Register(IDirectDrawSurface7* s)
{
    std::lock_guard<std::mutex> lock(gSurfaceLock);
    gSurfaces.insert(s);
}
void Unregister(IDirectDrawSurface7* s)
{
    std::lock_guard<std::mutex> lock(gSurfaceLock);
    gSurfaces.erase(s);
}

} // namespace d3dgl

// The identity of the one hardware device; any fixed value serves.
const GUID IID_IDirect3DHALDevice = {
    0x7A2E0001, 0x0D3D, 0x4F6C, {0x9A, 0x61, 0x47, 0x4C, 0x44, 0x45, 0x56, 0x01}};

// ---------------------------------------------------------------- pixels

DDPIXELFORMAT D3DMakeRGBFormat(uint32_t bits, uint32_t r, uint32_t g, uint32_t b, uint32_t a)
{
    DDPIXELFORMAT pf;
    pf.dwFlags = DDPF_RGB | (a ? uint32_t(DDPF_ALPHAPIXELS) : 0u);
    pf.dwRGBBitCount = bits;
    pf.dwRBitMask = r;
    pf.dwGBitMask = g;
    pf.dwBBitMask = b;
    pf.dwRGBAlphaBitMask = a;
    return pf;
}

uint32_t D3DReadARGB(const DDPIXELFORMAT& pf, const uint8_t* p)
{
    int bytes = int(pf.dwRGBBitCount / 8);
    uint32_t v = readRaw(p, bytes);
    if (bytes == 4 && pf.dwRBitMask == 0xFF0000 && pf.dwGBitMask == 0xFF00 && pf.dwBBitMask == 0xFF)
        return pf.dwRGBAlphaBitMask ? v : (v | 0xFF000000u);
    uint32_t a = pf.dwRGBAlphaBitMask ? extract8(v, pf.dwRGBAlphaBitMask) : 0xFF;
    return a << 24 | extract8(v, pf.dwRBitMask) << 16 | extract8(v, pf.dwGBitMask) << 8 |
           extract8(v, pf.dwBBitMask);
}

void D3DWriteARGB(const DDPIXELFORMAT& pf, uint8_t* p, uint32_t argb)
{
    int bytes = int(pf.dwRGBBitCount / 8);
    uint32_t v = insert8((argb >> 16) & 0xFF, pf.dwRBitMask) | insert8((argb >> 8) & 0xFF, pf.dwGBitMask) |
                 insert8(argb & 0xFF, pf.dwBBitMask) | insert8(argb >> 24, pf.dwRGBAlphaBitMask);
    writeRaw(p, bytes, v);
}

// ---------------------------------------------------------------- window

namespace {

// The GL objects die with the context: the surfaces forget theirs and make them
// again from their pixels when next used.
void DeleteContext()
{
    std::lock_guard<std::mutex> surfaceLock(gSurfaceLock);
    for (IDirectDrawSurface7* s : gSurfaces) {
        s->glTexture = s->glTextureKeyed = s->glFbo = s->glColor = s->glDepth = 0;
        s->fboWidth = s->fboHeight = 0;
        s->dirty = s->keyedDirty = true;
    }
    SDL_GL_DeleteContext(gContext);
    gContext = nullptr;
    d3dgl::GLChangedOutsideDraws();
    gWhite = 0;
    gBoundFbo = 0;
    std::lock_guard<std::mutex> lock(gGarbageLock);
    gDeadTextures.clear();
    gDeadFbos.clear();
    gDeadRenderbuffers.clear();
}

} // namespace

bool D3DAttachWindow(SDL_Window* window)
{
    if (!window)
        return false;
    if (window == gWindow && gContext) {
        SDL_GL_MakeCurrent(gWindow, gContext);
        return true;
    }
    SDL_Window* hidden = gHiddenWindow;
    gHiddenWindow = nullptr;
    // A new window needs its own context.
    if (gContext)
        DeleteContext();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    gContext = SDL_GL_CreateContext(window);
    if (!gContext) {
        std::fprintf(stderr, "d3d: no OpenGL context: %s\n", SDL_GetError());
        gWindow = nullptr;
        return false;
    }
    gWindow = window;
    gBoundFbo = 0;
    d3dgl::GLChangedOutsideDraws();
    SDL_GL_MakeCurrent(gWindow, gContext);
    SDL_GL_SetSwapInterval(0);
    if (hidden && hidden != window)
        SDL_DestroyWindow(hidden);
    return true;
}

namespace d3dgl {

bool EnsureContext()
{
    if (gContext)
        return true;
    if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return false;
    SDL_Window* w = SDL_CreateWindow("", 0, 0, 16, 16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!w)
        return false;
    if (!D3DAttachWindow(w)) {
        SDL_DestroyWindow(w);
        return false;
    }
    gHiddenWindow = w;
    return true;
}

} // namespace d3dgl

SDL_Window* D3DGetWindow()
{
    return gWindow;
}

SDL_Window* D3DCreateTestWindow(int width, int height)
{
    if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return nullptr;
    SDL_Window* w = SDL_CreateWindow("Varek", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height,
                                     SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE);
    if (w && !D3DAttachWindow(w)) {
        SDL_DestroyWindow(w);
        return nullptr;
    }
    return w;
}

void D3DSetPresentOverlay(D3DPresentOverlay overlay)
{
    gOverlay = overlay;
}

bool D3DPresentAgain()
{
    IDirectDrawSurface7* last = nullptr;
    {
        // The surface may have been released since; only a live one is shown.
        std::lock_guard<std::mutex> lock(gSurfaceLock);
        if (gLastPresented && gSurfaces.count(gLastPresented))
            last = gLastPresented;
    }
    if (!last || !gWindow)
        return false;
    present(last);
    return true;
}

void D3DDetachWindow()
{
    if (gContext) {
        DeleteContext();
        gWindow = nullptr;
        if (gHiddenWindow)
            SDL_DestroyWindow(gHiddenWindow);
        gHiddenWindow = nullptr;
    }
}

void D3DDestroyTestWindow(SDL_Window* window)
{
    if (!window)
        return;
    if (window == gWindow)
        D3DDetachWindow();
    SDL_DestroyWindow(window);
}

void D3DSetFakeDisplayModes(const std::vector<D3DDisplayMode>* modes)
{
    gFakeModes = modes;
}
void D3DSetCapsOverride(const D3DCapsOverride* caps)
{
    gCapsOverride = caps ? *caps : D3DCapsOverride{};
}

int D3DDesktopBitsPerPixel()
{
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        SDL_InitSubSystem(SDL_INIT_VIDEO);
    SDL_DisplayMode m;
    if (SDL_GetDesktopDisplayMode(0, &m) != 0)
        return 32;
    int bytes = SDL_BYTESPERPIXEL(m.format);
    return bytes >= 3 ? 32 : bytes * 8;
}

// ---------------------------------------------------------------- palette, clipper

HRESULT IDirectDrawPalette::SetEntries(uint32_t first, uint32_t count, const PALETTEENTRY* src)
{
    if (first > 256 || count > 256 - first || !src)
        return DDERR_INVALIDPARAMS;
    std::copy(src, src + count, entries + first);
    return DD_OK;
}

HRESULT IDirectDrawClipper::SetHWnd(uint32_t, SDL_Window* w)
{
    window = w;
    return DD_OK;
}

// ---------------------------------------------------------------- surfaces

IDirectDrawSurface7::~IDirectDrawSurface7()
{
    d3dgl::Unregister(this);
    if (zBuffer)
        zBuffer->Release();
    for (IDirectDrawSurface7* s : chain) {
        s->front = nullptr;
        s->Release();
    }
    for (IDirectDrawSurface7* s : mipLevels) {
        s->mipTop = nullptr;
        s->Release();
    }
    if (palette)
        palette->Release();
    d3dgl::DeleteLater(glTexture, glFbo, glDepth);
    d3dgl::DeleteLater(glTextureKeyed, 0, 0);
    d3dgl::DeleteLater(glColor, 0, 0);
}

void IDirectDrawSurface7::pixelsChanged()
{
    dirty = keyedDirty = true;
    if (mipTop)
        mipTop->dirty = true;
}

IDirectDrawSurface7* IDirectDrawSurface7::nextMipLevel() const
{
    const IDirectDrawSurface7* top = mipTop ? mipTop : this;
    return mipLevel < top->mipLevels.size() ? top->mipLevels[mipLevel] : nullptr;
}

void IDirectDrawSurface7::syncFromGL()
{
    if (!isRenderTarget() || !d3dgl::EnsureFramebuffer(this))
        return;
    d3dgl::BindFramebuffer(glFbo);
    int w = int(desc.dwWidth), h = int(desc.dwHeight);
    std::vector<uint32_t> argb(size_t(w) * h);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, argb.data());
    int bpp = bytesPerPixel();
    for (int y = 0; y < h; ++y) {
        uint8_t* row = pixels.data() + size_t(y) * desc.lPitch;
        if (bpp == 4 && desc.ddpfPixelFormat.dwRBitMask == 0xFF0000) {
            std::memcpy(row, argb.data() + size_t(y) * w, size_t(w) * 4);
        } else {
            for (int x = 0; x < w; ++x)
                D3DWriteARGB(desc.ddpfPixelFormat, row + x * bpp, argb[size_t(y) * w + x]);
        }
    }
}

void IDirectDrawSurface7::syncToGL()
{
    if (!isRenderTarget() || !d3dgl::EnsureFramebuffer(this))
        return;
    int w = int(desc.dwWidth), h = int(desc.dwHeight);
    std::vector<uint32_t> argb(size_t(w) * h);
    int bpp = bytesPerPixel();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            argb[size_t(y) * w + x] =
                D3DReadARGB(desc.ddpfPixelFormat, pixels.data() + size_t(y) * desc.lPitch + x * bpp);
    GLint prevTex = 0;
    d3dgl::GLChangedOutsideDraws();
    glActiveTexture(GL_TEXTURE0);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &prevTex);
    glBindTexture(GL_TEXTURE_2D, glColor);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, w, h, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, argb.data());
    glBindTexture(GL_TEXTURE_2D, GLuint(prevTex));
}

HRESULT IDirectDrawSurface7::Lock(const RECT* rect, DDSURFACEDESC2* out, uint32_t flags, void*)
{
    if (!out)
        return DDERR_INVALIDPARAMS;
    if (locked)
        return DDERR_SURFACEBUSY;
    if (pixels.empty())
        return DDERR_UNSUPPORTED;
    if (isRenderTarget())
        syncFromGL();
    size_t offset = 0;
    if (rect) {
        if (rect->left < 0 || rect->top < 0 || rect->right > int(desc.dwWidth) ||
            rect->bottom > int(desc.dwHeight) || rect->left >= rect->right || rect->top >= rect->bottom)
            return DDERR_INVALIDRECT;
        offset = size_t(rect->top) * desc.lPitch + size_t(rect->left) * bytesPerPixel();
    }
    *out = desc;
    out->dwFlags |= DDSD_PITCH | DDSD_LPSURFACE;
    out->lpSurface = pixels.data() + offset;
    locked = true;
    readOnlyLock = (flags & DDLOCK_READONLY) != 0;
    return DD_OK;
}

HRESULT IDirectDrawSurface7::Unlock(const RECT*)
{
    if (!locked)
        return DDERR_NOTLOCKED;
    locked = false;
    if (!readOnlyLock) {
        pixelsChanged();
        if (isRenderTarget())
            syncToGL();
    }
    return DD_OK;
}

HRESULT IDirectDrawSurface7::GetSurfaceDesc(DDSURFACEDESC2* out) const
{
    if (!out)
        return DDERR_INVALIDPARAMS;
    *out = desc;
    out->lpSurface = nullptr;
    return DD_OK;
}

HRESULT IDirectDrawSurface7::GetPixelFormat(DDPIXELFORMAT* out) const
{
    if (!out)
        return DDERR_INVALIDPARAMS;
    *out = desc.ddpfPixelFormat;
    return DD_OK;
}

HRESULT IDirectDrawSurface7::SetColorKey(uint32_t flags, const DDCOLORKEY* key)
{
    if (!(flags & DDCKEY_SRCBLT))
        return DDERR_UNSUPPORTED;
    hasColorKey = key != nullptr;
    if (key)
        colorKey = *key;
    keyedDirty = true;
    return DD_OK;
}

HRESULT IDirectDrawSurface7::GetColorKey(uint32_t flags, DDCOLORKEY* key) const
{
    if (!(flags & DDCKEY_SRCBLT) || !key)
        return DDERR_INVALIDPARAMS;
    if (!hasColorKey)
        return DDERR_NOCOLORKEY;
    *key = colorKey;
    return DD_OK;
}

bool IDirectDrawSurface7::ReadPixel(int x, int y, uint32_t* argb)
{
    if (x < 0 || y < 0 || x >= int(desc.dwWidth) || y >= int(desc.dwHeight) || pixels.empty())
        return false;
    if (isRenderTarget())
        syncFromGL();
    *argb = D3DReadARGB(desc.ddpfPixelFormat,
                        pixels.data() + size_t(y) * desc.lPitch + size_t(x) * bytesPerPixel());
    return true;
}

HRESULT IDirectDrawSurface7::Blt(const RECT* destRect, IDirectDrawSurface7* src, const RECT* srcRect,
                                 uint32_t flags, const DDBLTFX* fx)
{
    if (locked)
        return DDERR_SURFACEBUSY;
    int dw = int(desc.dwWidth), dh = int(desc.dwHeight);
    if (isPrimary()) {
        // Blitting onto the window presents the picture.
        if (flags & DDBLT_COLORFILL)
            return DD_OK;
        if (!src)
            return DDERR_INVALIDPARAMS;
        present(src);
        return DD_OK;
    }
    RECT d = destRect ? *destRect : RECT{0, 0, dw, dh};
    if (flags & DDBLT_COLORFILL) {
        if (!fx)
            return DDERR_INVALIDPARAMS;
        d.left = std::max(d.left, 0);
        d.top = std::max(d.top, 0);
        d.right = std::min(d.right, dw);
        d.bottom = std::min(d.bottom, dh);
        if (d.left >= d.right || d.top >= d.bottom)
            return DD_OK;
        if (desc.ddsCaps.dwCaps & DDSCAPS_ZBUFFER)
            return DD_OK;
        if (isRenderTarget() && d3dgl::EnsureFramebuffer(this)) {
            // Fill colours are given in the surface's own pixel format.
            uint8_t raw[4];
            writeRaw(raw, bytesPerPixel(), fx->dwFillColor);
            uint32_t c = D3DReadARGB(desc.ddpfPixelFormat, raw);
            d3dgl::BindFramebuffer(glFbo);
            glPushAttrib(GL_ALL_ATTRIB_BITS);
            glEnable(GL_SCISSOR_TEST);
            glScissor(d.left, d.top, d.right - d.left, d.bottom - d.top);
            glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
            glClearColor(((c >> 16) & 0xFF) / 255.f, ((c >> 8) & 0xFF) / 255.f, (c & 0xFF) / 255.f,
                         (c >> 24) / 255.f);
            glClear(GL_COLOR_BUFFER_BIT);
            glPopAttrib();
            return DD_OK;
        }
        int bpp = bytesPerPixel();
        for (int y = d.top; y < d.bottom; ++y)
            for (int x = d.left; x < d.right; ++x)
                writeRaw(pixels.data() + size_t(y) * desc.lPitch + size_t(x) * bpp, bpp, fx->dwFillColor);
        pixelsChanged();
        return DD_OK;
    }
    if (!src || src->pixels.empty())
        return DDERR_INVALIDPARAMS;
    int sw = int(src->desc.dwWidth), sh = int(src->desc.dwHeight);
    RECT s = srcRect ? *srcRect : RECT{0, 0, sw, sh};
    if (s.left >= s.right || s.top >= s.bottom || d.left >= d.right || d.top >= d.bottom)
        return DDERR_INVALIDRECT;
    clipRects(d, s, dw, dh, sw, sh);
    if (d.left >= d.right || d.top >= d.bottom || s.left >= s.right || s.top >= s.bottom)
        return DD_OK;
    bool keyed = (flags & DDBLT_KEYSRC) && src->hasColorKey;
    if (isRenderTarget() && !src->isRenderTarget() && d3dgl::EnsureFramebuffer(this)) {
        GLuint tex = d3dgl::EnsureTexture(src, keyed);
        d3dgl::BindFramebuffer(glFbo);
        drawTexturedQuad(tex, dw, dh, d, s, sw, sh, keyed, false);
        return DD_OK;
    }
    if (src->isRenderTarget())
        src->syncFromGL();
    if (isRenderTarget())
        syncFromGL();
    int dbpp = bytesPerPixel(), sbpp = src->bytesPerPixel();
    bool sameFormat = desc.ddpfPixelFormat == src->desc.ddpfPixelFormat;
    int dwid = d.right - d.left, dhgt = d.bottom - d.top, swid = s.right - s.left, shgt = s.bottom - s.top;
    std::vector<uint8_t> copy;
    const uint8_t* sp = src->pixels.data();
    if (src == this) {
        copy = pixels;
        sp = copy.data();
    }
    if ((desc.ddsCaps.dwCaps & DDSCAPS_MIPMAP) && !keyed && (swid > dwid || shgt > dhgt)) {
        // Shrinking onto a mip level averages the source pixels each level pixel covers.
        for (int y = 0; y < dhgt; ++y) {
            int sy0 = s.top + int(int64_t(y) * shgt / dhgt);
            int sy1 = std::max(sy0 + 1, s.top + int(int64_t(y + 1) * shgt / dhgt));
            for (int x = 0; x < dwid; ++x) {
                int sx0 = s.left + int(int64_t(x) * swid / dwid);
                int sx1 = std::max(sx0 + 1, s.left + int(int64_t(x + 1) * swid / dwid));
                uint64_t sum[4] = {};
                for (int yy = sy0; yy < sy1; ++yy)
                    for (int xx = sx0; xx < sx1; ++xx) {
                        uint32_t c = D3DReadARGB(src->desc.ddpfPixelFormat,
                                                 sp + size_t(yy) * src->desc.lPitch + size_t(xx) * sbpp);
                        for (int k = 0; k < 4; ++k)
                            sum[k] += (c >> (8 * k)) & 0xFF;
                    }
                const uint64_t n = uint64_t(sy1 - sy0) * uint64_t(sx1 - sx0);
                uint32_t c = 0;
                for (int k = 0; k < 4; ++k)
                    c |= uint32_t((sum[k] + n / 2) / n) << (8 * k);
                D3DWriteARGB(desc.ddpfPixelFormat,
                             pixels.data() + size_t(d.top + y) * desc.lPitch + size_t(d.left + x) * dbpp, c);
            }
        }
        pixelsChanged();
        return DD_OK;
    }
    for (int y = 0; y < dhgt; ++y) {
        int sy = s.top + int(int64_t(y) * shgt / dhgt);
        for (int x = 0; x < dwid; ++x) {
            int sx = s.left + int(int64_t(x) * swid / dwid);
            const uint8_t* p = sp + size_t(sy) * src->desc.lPitch + size_t(sx) * sbpp;
            if (keyed && isKey(src, readRaw(p, sbpp)))
                continue;
            uint8_t* q = pixels.data() + size_t(d.top + y) * desc.lPitch + size_t(d.left + x) * dbpp;
            if (sameFormat)
                std::memcpy(q, p, size_t(dbpp));
            else
                D3DWriteARGB(desc.ddpfPixelFormat, q, D3DReadARGB(src->desc.ddpfPixelFormat, p));
        }
    }
    pixelsChanged();
    if (isRenderTarget())
        syncToGL();
    return DD_OK;
}

HRESULT IDirectDrawSurface7::BltFast(int32_t x, int32_t y, IDirectDrawSurface7* src, const RECT* srcRect,
                                     uint32_t flags)
{
    if (!src)
        return DDERR_INVALIDPARAMS;
    RECT s = srcRect ? *srcRect : RECT{0, 0, int(src->desc.dwWidth), int(src->desc.dwHeight)};
    RECT d{x, y, x + (s.right - s.left), y + (s.bottom - s.top)};
    return Blt(&d, src, &s, (flags & DDBLTFAST_SRCCOLORKEY) ? uint32_t(DDBLT_KEYSRC) : 0u, nullptr);
}

HRESULT IDirectDrawSurface7::Flip(IDirectDrawSurface7*, uint32_t)
{
    if (!isPrimary() || chain.empty())
        return DDERR_NOTFOUND;
    present(chain.front());
    return DD_OK;
}

HRESULT IDirectDrawSurface7::GetAttachedSurface(const DDSCAPS2* caps, IDirectDrawSurface7** out)
{
    if (!caps || !out)
        return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if ((caps->dwCaps & DDSCAPS_ZBUFFER) && zBuffer)
        *out = zBuffer;
    if ((caps->dwCaps & DDSCAPS_BACKBUFFER) && !chain.empty())
        *out = chain.front();
    if (IDirectDrawSurface7* next = nextMipLevel(); (caps->dwCaps & DDSCAPS_MIPMAP) && next)
        *out = next;
    if (!*out)
        return DDERR_NOTFOUND;
    (*out)->AddRef();
    return DD_OK;
}

HRESULT IDirectDrawSurface7::EnumAttachedSurfaces(void* ctx, EnumSurfacesCallback cb)
{
    if (!cb)
        return DDERR_INVALIDPARAMS;
    std::vector<IDirectDrawSurface7*> list = chain;
    if (zBuffer)
        list.push_back(zBuffer);
    if (IDirectDrawSurface7* next = nextMipLevel())
        list.push_back(next);
    for (IDirectDrawSurface7* s : list) {
        s->AddRef();
        DDSURFACEDESC2 d = s->desc;
        if (cb(s, &d, ctx) == DDENUMRET_CANCEL)
            break;
    }
    return DD_OK;
}

HRESULT IDirectDrawSurface7::AddAttachedSurface(IDirectDrawSurface7* s)
{
    if (!s || !(s->desc.ddsCaps.dwCaps & DDSCAPS_ZBUFFER))
        return DDERR_UNSUPPORTED;
    if (zBuffer)
        return MakeDDResult(410); // already attached
    if (s->desc.dwWidth != desc.dwWidth || s->desc.dwHeight != desc.dwHeight)
        return MakeDDResult(10);
    s->AddRef();
    zBuffer = s;
    if (glFbo)
        d3dgl::EnsureFramebuffer(this);
    return DD_OK;
}

HRESULT IDirectDrawSurface7::DeleteAttachedSurface(uint32_t, IDirectDrawSurface7* s)
{
    if (!s || s != zBuffer)
        return MakeDDResult(460);
    zBuffer = nullptr;
    s->Release();
    if (glFbo)
        d3dgl::EnsureFramebuffer(this);
    return DD_OK;
}

HRESULT IDirectDrawSurface7::SetPalette(IDirectDrawPalette* p)
{
    if (p)
        p->AddRef();
    if (palette)
        palette->Release();
    palette = p;
    return DD_OK;
}

HRESULT IDirectDrawSurface7::SetClipper(IDirectDrawClipper*)
{
    return DD_OK;
}

// ---------------------------------------------------------------- DirectDraw

HRESULT DirectDrawEnumerateEx(DDEnumCallbackEx cb, void* ctx, uint32_t)
{
    if (!cb)
        return DDERR_INVALIDPARAMS;
    cb(nullptr, "Primary Display Driver", "display", ctx, nullptr);
    return DD_OK;
}

HRESULT DirectDrawCreateEx(const GUID* guid, IDirectDraw7** out)
{
    if (!out)
        return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (guid)
        return MakeDDResult(561); // only the primary display driver exists
    if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return MakeDDResult(563);
    *out = new IDirectDraw7();
    return DD_OK;
}

HRESULT IDirectDraw7::SetCooperativeLevel(SDL_Window* w, uint32_t flags)
{
    coopFlags = flags;
    if (w) {
        if (!D3DAttachWindow(w))
            return DDERR_NOHWND;
        window = w;
    }
    return DD_OK;
}

HRESULT IDirectDraw7::SetCooperativeLevel(platform::Window* w, uint32_t flags)
{
    return SetCooperativeLevel(w ? platform::NativeWindow(w) : nullptr, flags);
}

HRESULT IDirectDraw7::CreateSurface(DDSURFACEDESC2* in, IDirectDrawSurface7** out, void*)
{
    if (!in || !out)
        return DDERR_INVALIDPARAMS;
    *out = nullptr;
    DDSURFACEDESC2 d = *in;
    uint32_t caps = d.ddsCaps.dwCaps;
    if (caps & DDSCAPS_PRIMARYSURFACE) {
        SDL_Window* w = window ? window : gWindow;
        int ww = 640, wh = 480;
        if (w)
            SDL_GL_GetDrawableSize(w, &ww, &wh);
        DDSURFACEDESC2 mode;
        GetDisplayMode(&mode);
        if (fullscreen) {
            // The flipping chain has the mode's size whatever size the display gave
            // the window; presenting scales it to the window.
            ww = int(modeWidth);
            wh = int(modeHeight);
        }
        d.dwWidth = uint32_t(ww);
        d.dwHeight = uint32_t(wh);
        d.ddpfPixelFormat = displayFormat(fullscreen ? mode.ddpfPixelFormat.dwRGBBitCount : 32);
    } else {
        if (!(d.dwFlags & DDSD_WIDTH) || !(d.dwFlags & DDSD_HEIGHT) || d.dwWidth == 0 || d.dwHeight == 0 ||
            d.dwWidth > 16384 || d.dwHeight > 16384)
            return DDERR_INVALIDPARAMS;
        if (!(d.dwFlags & DDSD_PIXELFORMAT)) {
            DDSURFACEDESC2 mode;
            GetDisplayMode(&mode);
            d.ddpfPixelFormat = mode.ddpfPixelFormat;
        }
    }
    const DDPIXELFORMAT& pf = d.ddpfPixelFormat;
    bool zFormat = (caps & DDSCAPS_ZBUFFER) != 0;
    if (zFormat) {
        if (!(pf.dwFlags & DDPF_ZBUFFER) && (d.dwFlags & DDSD_PIXELFORMAT))
            return MakeDDResult(145);
    } else if (pf.dwFlags &
               (DDPF_FOURCC | DDPF_PALETTEINDEXED1 | DDPF_PALETTEINDEXED2 | DDPF_PALETTEINDEXED4)) {
        return MakeDDResult(145); // invalid pixel format: no compressed or small palette formats here
    } else if (pf.dwRGBBitCount != 8 && pf.dwRGBBitCount != 16 && pf.dwRGBBitCount != 24 &&
               pf.dwRGBBitCount != 32) {
        return MakeDDResult(145);
    }
    // A complex mip-mapped texture gets its smaller levels attached, each half
    // the size of the one above (at least 1); the whole chain when no count is given.
    uint32_t mipCount = 1;
    const bool mipChain = (caps & DDSCAPS_MIPMAP) && (caps & DDSCAPS_COMPLEX) && (caps & DDSCAPS_TEXTURE) &&
                          !zFormat && !(caps & DDSCAPS_PRIMARYSURFACE);
    if (mipChain) {
        uint32_t most = 1;
        while ((std::max(d.dwWidth, d.dwHeight) >> most) != 0)
            ++most;
        mipCount = (d.dwFlags & DDSD_MIPMAPCOUNT) ? d.dwMipMapCount : most;
        if (mipCount == 0 || mipCount > most)
            return DDERR_INVALIDPARAMS;
        d.dwFlags |= DDSD_MIPMAPCOUNT;
        d.dwMipMapCount = mipCount;
    } else if ((d.dwFlags & DDSD_MIPMAPCOUNT) && d.dwMipMapCount > 1) {
        return DDERR_INVALIDPARAMS;
    }
    auto* s = new IDirectDrawSurface7();
    d.dwFlags |= DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT | DDSD_PITCH;
    if (caps & DDSCAPS_PRIMARYSURFACE)
        d.ddsCaps.dwCaps |= DDSCAPS_FRONTBUFFER | DDSCAPS_VIDEOMEMORY;
    int bpp = int(pf.dwRGBBitCount / 8);
    d.lPitch = (int(d.dwWidth) * bpp + 3) & ~3;
    d.lpSurface = nullptr;
    s->desc = d;
    if (!(caps & DDSCAPS_PRIMARYSURFACE) && !zFormat)
        s->pixels.assign(size_t(d.lPitch) * d.dwHeight, 0);
    if (d.dwFlags & DDSD_CKSRCBLT) {
        s->hasColorKey = true;
        s->colorKey = d.ddckCKSrcBlt;
    }
    d3dgl::Register(s);
    if ((caps & DDSCAPS_PRIMARYSURFACE) && (caps & DDSCAPS_FLIP)) {
        // A flipping chain: the first back buffer is what the device draws into.
        uint32_t count = (in->dwFlags & DDSD_BACKBUFFERCOUNT) ? std::max(1u, in->dwBackBufferCount) : 1;
        if (count > 2) {
            s->Release();
            return DDERR_UNSUPPORTED;
        }
        for (uint32_t i = 0; i < count; ++i) {
            DDSURFACEDESC2 bd;
            bd.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
            bd.dwWidth = d.dwWidth;
            bd.dwHeight = d.dwHeight;
            bd.ddpfPixelFormat = d.ddpfPixelFormat;
            bd.ddsCaps.dwCaps = DDSCAPS_3DDEVICE | DDSCAPS_VIDEOMEMORY | DDSCAPS_FLIP | DDSCAPS_COMPLEX |
                                (i == 0 ? uint32_t(DDSCAPS_BACKBUFFER) : 0u);
            IDirectDrawSurface7* b = nullptr;
            if (FAILED(CreateSurface(&bd, &b, nullptr))) {
                s->Release();
                return DDERR_OUTOFVIDEOMEMORY;
            }
            b->front = s;
            s->chain.push_back(b);
        }
    }
    for (uint32_t i = 1; i < mipCount; ++i) {
        DDSURFACEDESC2 ld;
        ld.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
        ld.dwWidth = std::max(1u, d.dwWidth >> i);
        ld.dwHeight = std::max(1u, d.dwHeight >> i);
        ld.ddpfPixelFormat = d.ddpfPixelFormat;
        ld.ddsCaps.dwCaps = caps & ~uint32_t(DDSCAPS_COMPLEX);
        ld.ddsCaps.dwCaps2 = d.ddsCaps.dwCaps2 | DDSCAPS2_MIPMAPSUBLEVEL;
        ld.dwTextureStage = d.dwTextureStage;
        IDirectDrawSurface7* level = nullptr;
        if (FAILED(CreateSurface(&ld, &level, nullptr))) {
            s->Release();
            return DDERR_OUTOFVIDEOMEMORY;
        }
        level->desc.ddsCaps.dwCaps |= DDSCAPS_COMPLEX;
        level->desc.dwFlags |= DDSD_MIPMAPCOUNT;
        level->desc.dwMipMapCount = mipCount - i;
        level->mipTop = s;
        level->mipLevel = i;
        s->mipLevels.push_back(level);
    }
    *out = s;
    return DD_OK;
}

// While the picture is scaled to the window, the window hands the game mouse
// positions in the picture's pixels.
static void setLogicalClientSize(SDL_Window* w, int width, int height)
{
    if (platform::HWND hwnd = w ? platform::WindowFromNative(SDL_GetWindowID(w)) : nullptr)
        hwnd->SetLogicalClientSize(width, height);
}

HRESULT IDirectDraw7::SetDisplayMode(uint32_t width, uint32_t height, uint32_t bpp, uint32_t, uint32_t)
{
    if (bpp != 16 && bpp != 32 && bpp != 24)
        return DDERR_UNSUPPORTEDMODE;
    if (width == 0 || height == 0 || width > 16384 || height > 16384)
        return DDERR_INVALIDPARAMS;
    SDL_Window* w = window ? window : gWindow;
    if (!w)
        return DDERR_NOHWND;
    SDL_DisplayMode want{};
    want.w = int(width);
    want.h = int(height);
    SDL_DisplayMode got;
    if (!gFakeModes) {
        // No fitting mode (or one of no size, see EnumDisplayModes): the window keeps the
        // desktop's mode, and presenting scales the chain to it.
        if (SDL_GetClosestDisplayMode(0, &want, &got) && got.w > 0 && got.h > 0)
            SDL_SetWindowDisplayMode(w, &got);
    }
    SDL_SetWindowSize(w, int(width), int(height));
    if (SDL_SetWindowFullscreen(w, SDL_WINDOW_FULLSCREEN) != 0)
        return DDERR_UNSUPPORTEDMODE;
    fullscreen = gFullscreen = true;
    modeWidth = width;
    modeHeight = height;
    modeBpp = bpp;
    setLogicalClientSize(w, int(width), int(height));
    return DD_OK;
}

HRESULT IDirectDraw7::RestoreDisplayMode()
{
    SDL_Window* w = window ? window : gWindow;
    if (fullscreen && w) {
        setLogicalClientSize(w, 0, 0);
        SDL_SetWindowFullscreen(w, 0);
    }
    fullscreen = gFullscreen = false;
    return DD_OK;
}

HRESULT IDirectDraw7::GetDisplayMode(DDSURFACEDESC2* out)
{
    if (!out)
        return DDERR_INVALIDPARAMS;
    *out = DDSURFACEDESC2{};
    uint32_t w = 640, h = 480, bpp = uint32_t(D3DDesktopBitsPerPixel());
    if (fullscreen) {
        w = modeWidth;
        h = modeHeight;
        bpp = modeBpp;
    } else {
        SDL_DisplayMode m;
        if (SDL_GetDesktopDisplayMode(0, &m) == 0) {
            w = uint32_t(m.w);
            h = uint32_t(m.h);
        }
    }
    out->dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    out->dwWidth = w;
    out->dwHeight = h;
    out->ddpfPixelFormat = displayFormat(bpp);
    return DD_OK;
}

HRESULT IDirectDraw7::GetAvailableVidMem(const DDSCAPS2*, uint32_t* total, uint32_t* free)
{
    const uint32_t amount = gCapsOverride.videoMemory ? gCapsOverride.videoMemory : kVideoMemory;
    if (total)
        *total = amount;
    if (free)
        *free = amount;
    return DD_OK;
}

HRESULT IDirectDraw7::GetCaps(DDCAPS* hal, DDCAPS* hel)
{
    if (hal) {
        *hal = DDCAPS{};
        hal->dwCaps = DDCAPS_3D;
        hal->dwCaps2 = DDCAPS2_CANRENDERWINDOWED;
        hal->dwVidMemTotal = hal->dwVidMemFree = kVideoMemory;
    }
    if (hel)
        *hel = DDCAPS{};
    return DD_OK;
}

HRESULT IDirectDraw7::GetDeviceIdentifier(DDDEVICEIDENTIFIER2* id, uint32_t)
{
    if (!id)
        return DDERR_INVALIDPARAMS;
    *id = DDDEVICEIDENTIFIER2{};
    std::snprintf(id->szDriver, sizeof id->szDriver, "opengl");
    const char* video = SDL_GetCurrentVideoDriver();
    std::snprintf(id->szDescription, sizeof id->szDescription, "OpenGL display (%s)", video ? video : "none");
    return DD_OK;
}

HRESULT IDirectDraw7::EnumDisplayModes(uint32_t, DDSURFACEDESC2*, void* ctx, EnumModesCallback cb)
{
    if (!cb)
        return DDERR_INVALIDPARAMS;
    std::vector<D3DDisplayMode> modes;
    if (gFakeModes) {
        modes = *gFakeModes;
    } else {
        // The X server can report a mode of no size while another client changes the
        // screen; such a mode is skipped, and with none left the desktop's own size (or
        // 640 x 480) is offered, so that full screen still has a mode to take.
        std::vector<SDL_DisplayMode> found;
        int n = SDL_GetNumDisplayModes(0);
        for (int i = 0; i < n; ++i) {
            SDL_DisplayMode m;
            if (SDL_GetDisplayMode(0, i, &m) == 0 && m.w > 0 && m.h > 0)
                found.push_back(m);
        }
        if (found.empty()) {
            SDL_DisplayMode m{};
            if (SDL_GetDesktopDisplayMode(0, &m) != 0 || m.w <= 0 || m.h <= 0) {
                m.w = 640;
                m.h = 480;
                m.format = SDL_PIXELFORMAT_RGB888;
            }
            found.push_back(m);
        }
        for (const SDL_DisplayMode& m : found) {
            int bytes = SDL_BYTESPERPIXEL(m.format);
            uint32_t bpp = bytes >= 3 ? 32 : uint32_t(bytes * 8);
            // Every size is offered as a 16-bit mode too: full-screen selection takes only those.
            for (uint32_t b : {bpp, 16u}) {
                D3DDisplayMode dm{uint32_t(m.w), uint32_t(m.h), b};
                bool seen = std::any_of(modes.begin(), modes.end(), [&](const D3DDisplayMode& o) {
                    return o.width == dm.width && o.height == dm.height && o.bpp == dm.bpp;
                });
                if (!seen)
                    modes.push_back(dm);
            }
        }
    }
    for (const D3DDisplayMode& m : modes) {
        DDSURFACEDESC2 d;
        d.dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT | DDSD_PITCH;
        d.dwWidth = m.width;
        d.dwHeight = m.height;
        d.ddpfPixelFormat = displayFormat(m.bpp);
        d.lPitch = int(m.width * m.bpp / 8);
        if (cb(&d, ctx) == DDENUMRET_CANCEL)
            break;
    }
    return DD_OK;
}

HRESULT IDirectDraw7::CreatePalette(uint32_t, const PALETTEENTRY* entries, IDirectDrawPalette** out, void*)
{
    if (!out)
        return DDERR_INVALIDPARAMS;
    auto* p = new IDirectDrawPalette();
    if (entries)
        p->SetEntries(0, 256, entries);
    *out = p;
    return DD_OK;
}

HRESULT IDirectDraw7::CreateClipper(uint32_t, IDirectDrawClipper** out, void*)
{
    if (!out)
        return DDERR_INVALIDPARAMS;
    *out = new IDirectDrawClipper();
    return DD_OK;
}

HRESULT IDirectDraw7::QueryDirect3D(IDirect3D7** out)
{
    if (!out)
        return DDERR_INVALIDPARAMS;
    *out = new IDirect3D7();
    return DD_OK;
}
