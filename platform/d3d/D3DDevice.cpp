// The fixed-function rendering device on OpenGL.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/d3d/D3DInternal.h"

namespace {

D3DMATRIX identity()
{
    D3DMATRIX m;
    for (int i = 0; i < 4; ++i)
        m.m[i][i] = 1.0f;
    return m;
}

D3DMATRIX multiply(const D3DMATRIX& a, const D3DMATRIX& b)
{
    D3DMATRIX r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            float s = 0;
            for (int k = 0; k < 4; ++k)
                s += a.m[i][k] * b.m[k][j];
            r.m[i][j] = s;
        }
    return r;
}

float asFloat(uint32_t v)
{
    float f;
    std::memcpy(&f, &v, 4);
    return f;
}
uint32_t asBits(float f)
{
    uint32_t v;
    std::memcpy(&v, &f, 4);
    return v;
}

GLenum glCompare(uint32_t f)
{
    switch (f) {
    case D3DCMP_NEVER:
        return GL_NEVER;
    case D3DCMP_LESS:
        return GL_LESS;
    case D3DCMP_EQUAL:
        return GL_EQUAL;
    case D3DCMP_LESSEQUAL:
        return GL_LEQUAL;
    case D3DCMP_GREATER:
        return GL_GREATER;
    case D3DCMP_NOTEQUAL:
        return GL_NOTEQUAL;
    case D3DCMP_GREATEREQUAL:
        return GL_GEQUAL;
    default:
        return GL_ALWAYS;
    }
}

GLenum glBlend(uint32_t b)
{
    switch (b) {
    case D3DBLEND_ZERO:
        return GL_ZERO;
    case D3DBLEND_ONE:
        return GL_ONE;
    case D3DBLEND_SRCCOLOR:
        return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR:
        return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA:
        return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA:
        return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA:
        return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA:
        return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR:
        return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR:
        return GL_ONE_MINUS_DST_COLOR;
    case D3DBLEND_SRCALPHASAT:
        return GL_SRC_ALPHA_SATURATE;
    default:
        return GL_ONE;
    }
}

void glColorOf(D3DCOLOR c, float out[4])
{
    out[0] = ((c >> 16) & 0xFF) / 255.f;
    out[1] = ((c >> 8) & 0xFF) / 255.f;
    out[2] = (c & 0xFF) / 255.f;
    out[3] = (c >> 24) / 255.f;
}

uint32_t vertexSize(uint32_t fvf)
{
    switch (fvf) {
    case FVF_MESH:
        return 40;
    case FVF_LVERTEX:
        return 28;
    case FVF_TLVERTEX:
        return 32;
    case D3DFVF_XYZ:
        return 12; // positions only: the source of ProcessVertices
    default:
        return 0;
    }
}

GLenum glPrimitive(D3DPRIMITIVETYPE t)
{
    switch (t) {
    case D3DPT_POINTLIST:
        return GL_POINTS;
    case D3DPT_LINELIST:
        return GL_LINES;
    case D3DPT_LINESTRIP:
        return GL_LINE_STRIP;
    case D3DPT_TRIANGLELIST:
        return GL_TRIANGLES;
    case D3DPT_TRIANGLESTRIP:
        return GL_TRIANGLE_STRIP;
    case D3DPT_TRIANGLEFAN:
        return GL_TRIANGLE_FAN;
    default:
        return GL_INVALID_ENUM;
    }
}

// The combiner source and operand of a stage argument.
void glArgument(uint32_t arg, bool alpha, GLenum* source, GLenum* operand)
{
    switch (arg & D3DTA_SELECTMASK) {
    case D3DTA_DIFFUSE:
        *source = GL_PRIMARY_COLOR;
        break;
    case D3DTA_TEXTURE:
        *source = GL_TEXTURE;
        break;
    case D3DTA_TFACTOR:
        *source = GL_CONSTANT;
        break;
    default:
        *source = GL_PREVIOUS;
        break;
    }
    bool useAlpha = alpha || (arg & D3DTA_ALPHAREPLICATE);
    bool complement = (arg & D3DTA_COMPLEMENT) != 0;
    if (useAlpha)
        *operand = complement ? GL_ONE_MINUS_SRC_ALPHA : GL_SRC_ALPHA;
    else
        *operand = complement ? GL_ONE_MINUS_SRC_COLOR : GL_SRC_COLOR;
}

// Sets one half (colour or alpha) of a texture unit's combiner from a stage operation.
void glCombine(bool alpha, uint32_t op, uint32_t arg1, uint32_t arg2)
{
    const GLenum combine = alpha ? GL_COMBINE_ALPHA : GL_COMBINE_RGB;
    const GLenum src[3] = {alpha ? GLenum(GL_SRC0_ALPHA) : GLenum(GL_SRC0_RGB),
                           alpha ? GLenum(GL_SRC1_ALPHA) : GLenum(GL_SRC1_RGB),
                           alpha ? GLenum(GL_SRC2_ALPHA) : GLenum(GL_SRC2_RGB)};
    const GLenum opnd[3] = {alpha ? GLenum(GL_OPERAND0_ALPHA) : GLenum(GL_OPERAND0_RGB),
                            alpha ? GLenum(GL_OPERAND1_ALPHA) : GLenum(GL_OPERAND1_RGB),
                            alpha ? GLenum(GL_OPERAND2_ALPHA) : GLenum(GL_OPERAND2_RGB)};
    const GLenum scale = alpha ? GL_ALPHA_SCALE : GL_RGB_SCALE;
    GLenum s1, o1, s2, o2;
    glArgument(arg1, alpha, &s1, &o1);
    glArgument(arg2, alpha, &s2, &o2);
    GLenum mode = GL_MODULATE;
    float mul = 1.0f;
    GLenum s3 = GL_PREVIOUS, o3 = GL_SRC_ALPHA;
    switch (op) {
    case D3DTOP_DISABLE: // alpha only: keeps the current alpha
        mode = GL_REPLACE;
        s1 = GL_PREVIOUS;
        o1 = alpha ? GL_SRC_ALPHA : GL_SRC_COLOR;
        break;
    case D3DTOP_SELECTARG1:
        mode = GL_REPLACE;
        break;
    case D3DTOP_SELECTARG2:
        mode = GL_REPLACE;
        s1 = s2;
        o1 = o2;
        break;
    case D3DTOP_MODULATE:
        break;
    case D3DTOP_MODULATE2X:
        mul = 2.0f;
        break;
    case D3DTOP_MODULATE4X:
        mul = 4.0f;
        break;
    case D3DTOP_ADD:
        mode = GL_ADD;
        break;
    case D3DTOP_ADDSIGNED:
        mode = GL_ADD_SIGNED;
        break;
    case D3DTOP_ADDSIGNED2X:
        mode = GL_ADD_SIGNED;
        mul = 2.0f;
        break;
    case D3DTOP_SUBTRACT:
        mode = GL_SUBTRACT;
        break;
    case D3DTOP_BLENDDIFFUSEALPHA:
        mode = GL_INTERPOLATE;
        s3 = GL_PRIMARY_COLOR;
        break;
    case D3DTOP_BLENDTEXTUREALPHA:
        mode = GL_INTERPOLATE;
        s3 = GL_TEXTURE;
        break;
    case D3DTOP_BLENDFACTORALPHA:
        mode = GL_INTERPOLATE;
        s3 = GL_CONSTANT;
        break;
    case D3DTOP_BLENDCURRENTALPHA:
        mode = GL_INTERPOLATE;
        s3 = GL_PREVIOUS;
        break;
    default:
        break;
    }
    glTexEnvi(GL_TEXTURE_ENV, combine, GLint(mode));
    glTexEnvi(GL_TEXTURE_ENV, src[0], GLint(s1));
    glTexEnvi(GL_TEXTURE_ENV, opnd[0], GLint(o1));
    glTexEnvi(GL_TEXTURE_ENV, src[1], GLint(s2));
    glTexEnvi(GL_TEXTURE_ENV, opnd[1], GLint(o2));
    glTexEnvi(GL_TEXTURE_ENV, src[2], GLint(s3));
    glTexEnvi(GL_TEXTURE_ENV, opnd[2], GLint(o3));
    glTexEnvf(GL_TEXTURE_ENV, scale, mul);
}

GLint glAddress(uint32_t a)
{
    switch (a) {
    case D3DTADDRESS_MIRROR:
        return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP:
        return GL_CLAMP_TO_EDGE;
    case D3DTADDRESS_BORDER:
        return GL_CLAMP_TO_BORDER;
    default:
        return GL_REPEAT;
    }
}

// D3D clip space has z in 0..1 and y up with the top row first in our back
// buffer, which is stored top row first: flip y and remap z for GL.
const float kClipFix[16] = {1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 2, 0, 0, 0, -1, 1};

// The device whose draws GL saw last: another device's record of GL is stale.
const IDirect3DDevice7* gLastDrawingDevice = nullptr;

} // namespace

bool D3DRecordCallsOfNewDevices = false;

// ---------------------------------------------------------------- Direct3D

HRESULT IDirect3D7::EnumDevices(EnumDevicesCallback cb, void* ctx)
{
    if (!cb)
        return DDERR_INVALIDPARAMS;
    D3DDEVICEDESC7 d = d3dgl::MakeDeviceCaps();
    cb("OpenGL hardware rasteriser", "OpenGL", &d, ctx);
    return D3D_OK;
}

HRESULT IDirect3D7::EnumZBufferFormats(const GUID& device, EnumPixelFormatsCallback cb, void* ctx)
{
    if (!cb)
        return DDERR_INVALIDPARAMS;
    if (!(device == IID_IDirect3DHALDevice))
        return DDERR_INVALIDPARAMS;
    if (d3dgl::CapsOverride().noZFormats)
        return D3D_OK;
    const uint32_t depths[3] = {16, 24, 32};
    for (uint32_t bits : depths) {
        DDPIXELFORMAT pf;
        pf.dwFlags = DDPF_ZBUFFER;
        pf.dwRGBBitCount = bits;
        pf.dwRBitMask = bits == 16 ? 0xFFFFu : 0xFFFFFFu;
        if (cb(&pf, ctx) == DDENUMRET_CANCEL)
            break;
    }
    return D3D_OK;
}

HRESULT IDirect3D7::CreateDevice(const GUID& guid, IDirectDrawSurface7* target, IDirect3DDevice7** out)
{
    if (!out || !target)
        return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (!(guid == IID_IDirect3DHALDevice))
        return MakeDDResult(705);
    if (!target->isRenderTarget())
        return DDERR_INVALIDPARAMS;
    if (!d3dgl::EnsureContext() || !d3dgl::EnsureFramebuffer(target))
        return MakeDDResult(706);
    auto* dev = new IDirect3DDevice7();
    dev->recordCalls = D3DRecordCallsOfNewDevices;
    dev->caps = d3dgl::MakeDeviceCaps();
    dev->target = target;
    target->AddRef();
    GLint lights = 8, units = 2;
    glGetIntegerv(GL_MAX_LIGHTS, &lights);
    glGetIntegerv(GL_MAX_TEXTURE_UNITS, &units);
    dev->glMaxLights = lights;
    dev->glUnits = std::min<int>(units, int(D3D_MAX_STAGES));
    dev->world = dev->view = dev->proj = identity();
    dev->viewport.dwWidth = target->desc.dwWidth;
    dev->viewport.dwHeight = target->desc.dwHeight;
    // Direct3D's documented start values.
    uint32_t* rs = dev->rs;
    rs[D3DRENDERSTATE_ZENABLE] = target->zBuffer ? D3DZB_TRUE : D3DZB_FALSE;
    rs[D3DRENDERSTATE_FILLMODE] = D3DFILL_SOLID;
    rs[D3DRENDERSTATE_SHADEMODE] = D3DSHADE_GOURAUD;
    rs[D3DRENDERSTATE_ZWRITEENABLE] = 1;
    rs[D3DRENDERSTATE_SRCBLEND] = D3DBLEND_ONE;
    rs[D3DRENDERSTATE_DESTBLEND] = D3DBLEND_ZERO;
    rs[D3DRENDERSTATE_CULLMODE] = D3DCULL_CCW;
    rs[D3DRENDERSTATE_ZFUNC] = D3DCMP_LESSEQUAL;
    rs[D3DRENDERSTATE_ALPHAFUNC] = D3DCMP_ALWAYS;
    rs[D3DRENDERSTATE_FOGEND] = asBits(1.0f);
    rs[D3DRENDERSTATE_FOGDENSITY] = asBits(1.0f);
    rs[D3DRENDERSTATE_TEXTUREPERSPECTIVE] = 1;
    rs[D3DRENDERSTATE_CLIPPING] = 1;
    rs[D3DRENDERSTATE_LIGHTING] = 1;
    rs[D3DRENDERSTATE_COLORVERTEX] = 1;
    rs[D3DRENDERSTATE_LOCALVIEWER] = 1;
    rs[D3DRENDERSTATE_TEXTUREFACTOR] = 0xFFFFFFFFu;
    rs[D3DRENDERSTATE_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
    rs[D3DRENDERSTATE_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
    for (uint32_t s = 0; s < D3D_MAX_STAGES; ++s) {
        uint32_t* t = dev->ts[s];
        t[D3DTSS_COLOROP] = s == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        t[D3DTSS_ALPHAOP] = s == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        t[D3DTSS_COLORARG1] = t[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        t[D3DTSS_COLORARG2] = t[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
        t[D3DTSS_TEXCOORDINDEX] = s;
        t[D3DTSS_ADDRESS] = t[D3DTSS_ADDRESSU] = t[D3DTSS_ADDRESSV] = D3DTADDRESS_WRAP;
        t[D3DTSS_MAGFILTER] = D3DTFG_POINT;
        t[D3DTSS_MINFILTER] = D3DTFN_POINT;
        t[D3DTSS_MIPFILTER] = D3DTFP_NONE;
    }
    d3dgl::BindFramebuffer(target->glFbo);
    glFrontFace(GL_CCW);
    glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, GL_SEPARATE_SPECULAR_COLOR);
    glFogi(GL_FOG_COORDINATE_SOURCE, GL_FRAGMENT_DEPTH);
    glHint(GL_FOG_HINT, GL_NICEST);
    for (uint32_t s = 0; s < D3D_RENDERSTATE_COUNT; ++s)
        dev->applyRenderState(s, rs[s]);
    *out = dev;
    return D3D_OK;
}

HRESULT IDirect3D7::CreateVertexBuffer(const D3DVERTEXBUFFERDESC* desc, IDirect3DVertexBuffer7** out,
                                       uint32_t)
{
    if (!desc || !out)
        return DDERR_INVALIDPARAMS;
    *out = nullptr;
    uint32_t size = vertexSize(desc->dwFVF);
    if (!size || desc->dwNumVertices == 0 || desc->dwNumVertices > 0x100000)
        return D3DERR_INVALIDVERTEXFORMAT;
    auto* vb = new IDirect3DVertexBuffer7();
    vb->desc = *desc;
    vb->data.assign(size_t(size) * desc->dwNumVertices, 0);
    *out = vb;
    return D3D_OK;
}

// ---------------------------------------------------------------- vertex buffers

HRESULT IDirect3DVertexBuffer7::Lock(uint32_t, void** out, uint32_t* size)
{
    if (!out)
        return DDERR_INVALIDPARAMS;
    if (locked)
        return D3DERR_VERTEXBUFFERLOCKED;
    locked = true;
    *out = data.data();
    if (size)
        *size = uint32_t(data.size());
    return D3D_OK;
}

HRESULT IDirect3DVertexBuffer7::Unlock()
{
    if (!locked)
        return DDERR_NOTLOCKED;
    locked = false;
    return D3D_OK;
}

HRESULT IDirect3DVertexBuffer7::GetVertexBufferDesc(D3DVERTEXBUFFERDESC* out) const
{
    if (!out)
        return DDERR_INVALIDPARAMS;
    *out = desc;
    return D3D_OK;
}

HRESULT IDirect3DVertexBuffer7::ProcessVertices(uint32_t op, uint32_t destIndex, uint32_t count,
                                                IDirect3DVertexBuffer7* src, uint32_t srcIndex,
                                                IDirect3DDevice7* device, uint32_t)
{
    if (!src || !device || !(op & D3DVOP_TRANSFORM))
        return DDERR_INVALIDPARAMS;
    if (locked || src->locked)
        return D3DERR_VERTEXBUFFERLOCKED;
    if (desc.dwFVF != FVF_TLVERTEX || (src->desc.dwFVF & 0xE) != D3DFVF_XYZ)
        return D3DERR_INVALIDVERTEXFORMAT;
    if (uint64_t(destIndex) + count > desc.dwNumVertices ||
        uint64_t(srcIndex) + count > src->desc.dwNumVertices)
        return DDERR_INVALIDPARAMS;
    D3DMATRIX m = multiply(multiply(device->world, device->view), device->proj);
    const D3DVIEWPORT7& vp = device->viewport;
    uint32_t ss = vertexSize(src->desc.dwFVF);
    for (uint32_t i = 0; i < count; ++i) {
        float p[3];
        std::memcpy(p, src->data.data() + size_t(srcIndex + i) * ss, sizeof p);
        float c[4];
        for (int j = 0; j < 4; ++j)
            c[j] = p[0] * m.m[0][j] + p[1] * m.m[1][j] + p[2] * m.m[2][j] + m.m[3][j];
        float rhw = c[3] != 0 ? 1.0f / c[3] : 1.0f;
        D3DTLVertex v{};
        v.sx = float(vp.dwX) + (1.0f + c[0] * rhw) * 0.5f * float(vp.dwWidth);
        v.sy = float(vp.dwY) + (1.0f - c[1] * rhw) * 0.5f * float(vp.dwHeight);
        v.sz = vp.dvMinZ + c[2] * rhw * (vp.dvMaxZ - vp.dvMinZ);
        v.rhw = rhw;
        v.diffuse = 0xFFFFFFFFu;
        std::memcpy(data.data() + size_t(destIndex + i) * sizeof(D3DTLVertex), &v, sizeof v);
    }
    return D3D_OK;
}

// ---------------------------------------------------------------- device

IDirect3DDevice7::~IDirect3DDevice7()
{
    for (IDirectDrawSurface7*& t : textures)
        if (t) {
            t->Release();
            t = nullptr;
        }
    if (target)
        target->Release();
    if (gLastDrawingDevice == this)
        gLastDrawingDevice = nullptr; // a new device may get this address
}

HRESULT IDirect3DDevice7::GetCaps(D3DDEVICEDESC7* out) const
{
    if (!out)
        return DDERR_INVALIDPARAMS;
    *out = caps;
    return D3D_OK;
}

HRESULT IDirect3DDevice7::EnumTextureFormats(IDirect3D7::EnumPixelFormatsCallback cb, void* ctx)
{
    if (!cb)
        return DDERR_INVALIDPARAMS;
    DDPIXELFORMAT formats[4] = {D3DMakeRGBFormat(16, 0xF800, 0x07E0, 0x001F, 0),
                                D3DMakeRGBFormat(16, 0x7C00, 0x03E0, 0x001F, 0x8000),
                                D3DMakeRGBFormat(16, 0x0F00, 0x00F0, 0x000F, 0xF000),
                                D3DMakeRGBFormat(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000u)};
    for (DDPIXELFORMAT& pf : formats)
        if (cb(&pf, ctx) == DDENUMRET_CANCEL)
            break;
    return D3D_OK;
}

HRESULT IDirect3DDevice7::BeginScene()
{
    if (inScene)
        return D3DERR_INBEGIN;
    inScene = true;
    d3dgl::CollectGarbage();
    return D3D_OK;
}

HRESULT IDirect3DDevice7::EndScene()
{
    if (!inScene)
        return D3DERR_NOTINBEGIN;
    inScene = false;
    glFlush();
    return D3D_OK;
}

HRESULT IDirect3DDevice7::Clear(uint32_t count, const RECT* rects, uint32_t flags, D3DCOLOR color, float z,
                                uint32_t)
{
    if (!d3dgl::EnsureFramebuffer(target))
        return DDERR_SURFACELOST;
    record(D3DCallKind::Clear, flags, color);
    d3dgl::BindFramebuffer(target->glFbo);
    glPushAttrib(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_SCISSOR_BIT);
    float c[4];
    glColorOf(color, c);
    glClearColor(c[0], c[1], c[2], c[3]);
    glClearDepth(z);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    GLbitfield mask = ((flags & D3DCLEAR_TARGET) ? GL_COLOR_BUFFER_BIT : 0) |
                      ((flags & D3DCLEAR_ZBUFFER) && target->zBuffer ? GL_DEPTH_BUFFER_BIT : 0);
    glEnable(GL_SCISSOR_TEST);
    auto clearRect = [&](int l, int t, int r, int b) {
        l = std::max(l, int(viewport.dwX));
        t = std::max(t, int(viewport.dwY));
        r = std::min(r, int(viewport.dwX + viewport.dwWidth));
        b = std::min(b, int(viewport.dwY + viewport.dwHeight));
        if (l >= r || t >= b)
            return;
        glScissor(l, t, r - l, b - t);
        glClear(mask);
    };
    if (count == 0 || !rects)
        clearRect(0, 0, int(target->desc.dwWidth), int(target->desc.dwHeight));
    else
        for (uint32_t i = 0; i < count; ++i)
            clearRect(rects[i].left, rects[i].top, rects[i].right, rects[i].bottom);
    glPopAttrib();
    return D3D_OK;
}

void IDirect3DDevice7::applyRenderState(uint32_t state, uint32_t v)
{
    switch (state) {
    case D3DRENDERSTATE_ZENABLE:
        if (v && target && target->zBuffer)
            glEnable(GL_DEPTH_TEST);
        else
            glDisable(GL_DEPTH_TEST);
        break;
    case D3DRENDERSTATE_ZWRITEENABLE:
        glDepthMask(v ? GL_TRUE : GL_FALSE);
        break;
    case D3DRENDERSTATE_ZFUNC:
        glDepthFunc(glCompare(v));
        break;
    case D3DRENDERSTATE_ALPHATESTENABLE:
        v ? glEnable(GL_ALPHA_TEST) : glDisable(GL_ALPHA_TEST);
        break;
    case D3DRENDERSTATE_ALPHAREF:
    case D3DRENDERSTATE_ALPHAFUNC:
        glAlphaFunc(glCompare(rs[D3DRENDERSTATE_ALPHAFUNC]),
                    float(rs[D3DRENDERSTATE_ALPHAREF] & 0xFF) / 255.0f);
        break;
    case D3DRENDERSTATE_SRCBLEND:
    case D3DRENDERSTATE_DESTBLEND:
        glBlendFunc(glBlend(rs[D3DRENDERSTATE_SRCBLEND]), glBlend(rs[D3DRENDERSTATE_DESTBLEND]));
        break;
    case D3DRENDERSTATE_ALPHABLENDENABLE:
        v ? glEnable(GL_BLEND) : glDisable(GL_BLEND);
        break;
    case D3DRENDERSTATE_CULLMODE:
        // Our GL window space equals Direct3D's screen space (y down), so Direct3D's
        // clockwise triangles are GL's counter-clockwise ones.
        if (v == D3DCULL_CCW) {
            glEnable(GL_CULL_FACE);
            glCullFace(GL_BACK);
        } else if (v == D3DCULL_CW) {
            glEnable(GL_CULL_FACE);
            glCullFace(GL_FRONT);
        } else {
            glDisable(GL_CULL_FACE);
        }
        break;
    case D3DRENDERSTATE_FILLMODE:
        glPolygonMode(GL_FRONT_AND_BACK, v == D3DFILL_POINT       ? GL_POINT
                                         : v == D3DFILL_WIREFRAME ? GL_LINE
                                                                  : GL_FILL);
        break;
    case D3DRENDERSTATE_SHADEMODE:
        glShadeModel(v == D3DSHADE_FLAT ? GL_FLAT : GL_SMOOTH);
        break;
    case D3DRENDERSTATE_DITHERENABLE:
        v ? glEnable(GL_DITHER) : glDisable(GL_DITHER);
        break;
    case D3DRENDERSTATE_AMBIENT: {
        float c[4];
        glColorOf(v, c);
        c[3] = 1.0f;
        glLightModelfv(GL_LIGHT_MODEL_AMBIENT, c);
        break;
    }
    case D3DRENDERSTATE_FOGCOLOR: {
        float c[4];
        glColorOf(v, c);
        glFogfv(GL_FOG_COLOR, c);
        break;
    }
    case D3DRENDERSTATE_FOGSTART:
        glFogf(GL_FOG_START, asFloat(v));
        break;
    case D3DRENDERSTATE_FOGEND:
        glFogf(GL_FOG_END, asFloat(v));
        break;
    case D3DRENDERSTATE_FOGDENSITY:
        glFogf(GL_FOG_DENSITY, asFloat(v));
        break;
    case D3DRENDERSTATE_NORMALIZENORMALS:
        v ? glEnable(GL_NORMALIZE) : glDisable(GL_NORMALIZE);
        break;
    case D3DRENDERSTATE_LOCALVIEWER:
        glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, v ? 1 : 0);
        break;
    case D3DRENDERSTATE_ZBIAS:
        if (v) {
            glEnable(GL_POLYGON_OFFSET_FILL);
            glEnable(GL_POLYGON_OFFSET_LINE);
            glPolygonOffset(-0.5f * float(v), -2.0f * float(v));
        } else {
            glDisable(GL_POLYGON_OFFSET_FILL);
            glDisable(GL_POLYGON_OFFSET_LINE);
        }
        break;
    default:
        break; // read at draw time, or without a GL counterpart
    }
}

HRESULT IDirect3DDevice7::SetRenderState(D3DRENDERSTATETYPE state, uint32_t value)
{
    if (state >= D3D_RENDERSTATE_COUNT)
        return DDERR_INVALIDPARAMS;
    if (recordingBlock) {
        pendingBlock.push_back({0, state, value, 0, nullptr});
        return D3D_OK;
    }
    record(D3DCallKind::RenderState, state, value);
    rs[state] = value;
    if (state == D3DRENDERSTATE_SPECULARENABLE)
        lightsDirty = true;
    d3dgl::BindFramebuffer(target->glFbo);
    applyRenderState(state, value);
    return D3D_OK;
}

HRESULT IDirect3DDevice7::GetRenderState(D3DRENDERSTATETYPE state, uint32_t* value) const
{
    if (state >= D3D_RENDERSTATE_COUNT || !value)
        return DDERR_INVALIDPARAMS;
    *value = rs[state];
    return D3D_OK;
}

HRESULT IDirect3DDevice7::SetTextureStageState(uint32_t stage, D3DTEXTURESTAGESTATETYPE type, uint32_t value)
{
    if (stage >= D3D_MAX_STAGES || type >= D3D_STAGESTATE_COUNT)
        return DDERR_INVALIDPARAMS;
    if (recordingBlock) {
        pendingBlock.push_back({1, stage, type, value, nullptr});
        return D3D_OK;
    }
    record(D3DCallKind::StageState, stage, type, value);
    ts[stage][type] = value;
    if (type == D3DTSS_ADDRESS)
        ts[stage][D3DTSS_ADDRESSU] = ts[stage][D3DTSS_ADDRESSV] = value;
    return D3D_OK;
}

HRESULT IDirect3DDevice7::GetTextureStageState(uint32_t stage, D3DTEXTURESTAGESTATETYPE type,
                                               uint32_t* value) const
{
    if (stage >= D3D_MAX_STAGES || type >= D3D_STAGESTATE_COUNT || !value)
        return DDERR_INVALIDPARAMS;
    *value = ts[stage][type];
    return D3D_OK;
}

HRESULT IDirect3DDevice7::SetTexture(uint32_t stage, IDirectDrawSurface7* tex)
{
    if (stage >= D3D_MAX_STAGES)
        return DDERR_INVALIDPARAMS;
    if (tex && !(tex->desc.ddsCaps.dwCaps & DDSCAPS_TEXTURE))
        return DDERR_INVALIDPARAMS;
    if (recordingBlock) {
        pendingBlock.push_back({2, stage, 0, 0, tex});
        return D3D_OK;
    }
    record(D3DCallKind::Texture, stage, tex ? 1 : 0);
    if (tex)
        tex->AddRef();
    if (textures[stage])
        textures[stage]->Release();
    textures[stage] = tex;
    return D3D_OK;
}

HRESULT IDirect3DDevice7::GetTexture(uint32_t stage, IDirectDrawSurface7** out) const
{
    if (stage >= D3D_MAX_STAGES || !out)
        return DDERR_INVALIDPARAMS;
    *out = textures[stage];
    if (*out)
        (*out)->AddRef();
    return D3D_OK;
}

HRESULT IDirect3DDevice7::SetTransform(D3DTRANSFORMSTATETYPE type, const D3DMATRIX* m)
{
    if (!m)
        return DDERR_INVALIDPARAMS;
    record(D3DCallKind::Transform, type);
    switch (type) {
    case D3DTRANSFORMSTATE_WORLD:
        world = *m;
        break;
    case D3DTRANSFORMSTATE_VIEW:
        view = *m;
        lightsDirty = true;
        break;
    case D3DTRANSFORMSTATE_PROJECTION:
        proj = *m;
        appliedProjection = 0;
        break;
    default:
        return DDERR_INVALIDPARAMS;
    }
    return D3D_OK;
}

void IDirect3DDevice7::SAppliedGL::Forget(uint64_t now)
{
    lighting = colorMaterial = fog = vertexArray = normalArray = colorArray = -1;
    fogMode = -1;
    vertexPointer = normalPointer = colorPointer = nullptr;
    vertexSize = vertexStride = normalStride = -1;
    activeUnit = -1;
    matrixMode = -1;
    modelviewValid = false;
    whiteColor = zeroNormal = false;
    for (uint32_t u = 0; u < D3D_MAX_STAGES; ++u) {
        texture2D[u] = texCoordArray[u] = -1;
        texCoordPointer[u] = nullptr;
        texCoordStride[u] = -1;
        boundTexture[u] = ~0u;
        zeroTexCoord[u] = false;
    }
    epoch = now;
}

namespace {

// GL's switch and client array calls, sent only when the recorded state differs.
void glSwitch(GLenum cap, bool on, int8_t& applied)
{
    if (applied == int8_t(on))
        return;
    applied = int8_t(on);
    on ? glEnable(cap) : glDisable(cap);
}

void glClientSwitch(GLenum array, bool on, int8_t& applied)
{
    if (applied == int8_t(on))
        return;
    applied = int8_t(on);
    on ? glEnableClientState(array) : glDisableClientState(array);
}

} // namespace

void IDirect3DDevice7::forgetGLIfChangedOutside()
{
    if (gLastDrawingDevice != this) {
        gLastDrawingDevice = this;
        d3dgl::GLChangedOutsideDraws();
    }
    if (appliedGL.epoch != d3dgl::GLEpoch())
        InvalidateGLState();
}

void IDirect3DDevice7::selectUnit(int unit)
{
    if (appliedGL.activeUnit == unit)
        return;
    appliedGL.activeUnit = unit;
    glActiveTexture(GL_TEXTURE0 + unit);
    glClientActiveTexture(GL_TEXTURE0 + unit);
}

void IDirect3DDevice7::InvalidateGLState()
{
    appliedGL.Forget(d3dgl::GLEpoch());
    lightsDirty = materialDirty = true;
    appliedProjection = 0;
    appliedUnits = -1;
    appliedLights.clear();
    for (bool& v : combineValid)
        v = false;
}

HRESULT IDirect3DDevice7::GetTransform(D3DTRANSFORMSTATETYPE type, D3DMATRIX* m) const
{
    if (!m)
        return DDERR_INVALIDPARAMS;
    switch (type) {
    case D3DTRANSFORMSTATE_WORLD:
        *m = world;
        break;
    case D3DTRANSFORMSTATE_VIEW:
        *m = view;
        break;
    case D3DTRANSFORMSTATE_PROJECTION:
        *m = proj;
        break;
    default:
        return DDERR_INVALIDPARAMS;
    }
    return D3D_OK;
}

HRESULT IDirect3DDevice7::MultiplyTransform(D3DTRANSFORMSTATETYPE type, const D3DMATRIX* m)
{
    D3DMATRIX cur;
    if (!m || FAILED(GetTransform(type, &cur)))
        return DDERR_INVALIDPARAMS;
    D3DMATRIX r = multiply(*m, cur);
    return SetTransform(type, &r);
}

HRESULT IDirect3DDevice7::SetViewport(const D3DVIEWPORT7* vp)
{
    if (!vp || vp->dwWidth == 0 || vp->dwHeight == 0 || vp->dwX + vp->dwWidth > target->desc.dwWidth ||
        vp->dwY + vp->dwHeight > target->desc.dwHeight)
        return DDERR_INVALIDPARAMS;
    record(D3DCallKind::Viewport, vp->dwWidth, vp->dwHeight);
    viewport = *vp;
    appliedProjection = 0;
    return D3D_OK;
}

HRESULT IDirect3DDevice7::GetViewport(D3DVIEWPORT7* vp) const
{
    if (!vp)
        return DDERR_INVALIDPARAMS;
    *vp = viewport;
    return D3D_OK;
}

HRESULT IDirect3DDevice7::SetMaterial(const D3DMATERIAL7* m)
{
    if (!m)
        return DDERR_INVALIDPARAMS;
    record(D3DCallKind::Material, 0);
    material = *m; // the draw compares it with what GL holds
    return D3D_OK;
}

HRESULT IDirect3DDevice7::GetMaterial(D3DMATERIAL7* m) const
{
    if (!m)
        return DDERR_INVALIDPARAMS;
    *m = material;
    return D3D_OK;
}

HRESULT IDirect3DDevice7::SetLight(uint32_t index, const D3DLIGHT7* light)
{
    if (!light || light->dltType < D3DLIGHT_POINT || light->dltType > D3DLIGHT_DIRECTIONAL)
        return DDERR_INVALIDPARAMS;
    record(D3DCallKind::Light, index);
    lights[index] = *light;
    lightsDirty = true;
    return D3D_OK;
}

HRESULT IDirect3DDevice7::GetLight(uint32_t index, D3DLIGHT7* light) const
{
    auto it = lights.find(index);
    if (!light || it == lights.end())
        return DDERR_INVALIDPARAMS;
    *light = it->second;
    return D3D_OK;
}

HRESULT IDirect3DDevice7::LightEnable(uint32_t index, bool on)
{
    record(D3DCallKind::LightEnable, index, on ? 1 : 0);
    if (on && !lights.count(index)) {
        // Direct3D enables a default white directional light for an unset index.
        D3DLIGHT7 l;
        l.dltType = D3DLIGHT_DIRECTIONAL;
        l.dcvDiffuse = {1, 1, 1, 0};
        l.dvDirection = {0, 0, 1};
        lights[index] = l;
    }
    if (on) {
        uint32_t enabled = 0;
        for (auto& e : lightOn)
            enabled += e.second && e.first != index;
        if (enabled >= caps.dwMaxActiveLights)
            return DDERR_INVALIDPARAMS;
    }
    lightOn[index] = on;
    lightsDirty = true;
    return D3D_OK;
}

HRESULT IDirect3DDevice7::GetLightEnable(uint32_t index, bool* on) const
{
    if (!on)
        return DDERR_INVALIDPARAMS;
    auto it = lightOn.find(index);
    *on = it != lightOn.end() && it->second;
    return D3D_OK;
}

HRESULT IDirect3DDevice7::BeginStateBlock()
{
    if (recordingBlock)
        return DDERR_INVALIDPARAMS;
    recordingBlock = true;
    pendingBlock.clear();
    return D3D_OK;
}

HRESULT IDirect3DDevice7::EndStateBlock(uint32_t* handle)
{
    if (!recordingBlock || !handle)
        return DDERR_INVALIDPARAMS;
    recordingBlock = false;
    *handle = nextBlock++;
    for (StateChange& c : pendingBlock)
        if (c.tex)
            c.tex->AddRef();
    blocks[*handle] = std::move(pendingBlock);
    pendingBlock.clear();
    return D3D_OK;
}

HRESULT IDirect3DDevice7::ApplyStateBlock(uint32_t handle)
{
    auto it = blocks.find(handle);
    if (it == blocks.end() || recordingBlock)
        return DDERR_INVALIDPARAMS;
    record(D3DCallKind::ApplyStateBlock, handle);
    bool wasRecording = recordCalls;
    recordCalls = false;
    for (const StateChange& c : it->second) {
        if (c.what == 0)
            SetRenderState(D3DRENDERSTATETYPE(c.a), c.b);
        else if (c.what == 1)
            SetTextureStageState(c.a, D3DTEXTURESTAGESTATETYPE(c.b), c.c);
        else
            SetTexture(c.a, c.tex);
    }
    recordCalls = wasRecording;
    return D3D_OK;
}

HRESULT IDirect3DDevice7::DeleteStateBlock(uint32_t handle)
{
    auto it = blocks.find(handle);
    if (it == blocks.end())
        return DDERR_INVALIDPARAMS;
    for (StateChange& c : it->second)
        if (c.tex)
            c.tex->Release();
    blocks.erase(it);
    return D3D_OK;
}

HRESULT IDirect3DDevice7::ValidateDevice(uint32_t* passes)
{
    if (!passes)
        return DDERR_INVALIDPARAMS;
    *passes = 0;
    // Every stage up to the first disabled one needs a texture unit of its own.
    uint32_t used = 0;
    while (used < D3D_MAX_STAGES && ts[used][D3DTSS_COLOROP] != D3DTOP_DISABLE)
        ++used;
    if (used > caps.wMaxTextureBlendStages || used > uint32_t(glUnits))
        return MakeDDResult(2077);
    uint32_t textured = 0;
    for (uint32_t s = 0; s < used; ++s)
        if (textures[s])
            ++textured;
    if (textured > caps.wMaxSimultaneousTextures)
        return MakeDDResult(2077);
    *passes = 1;
    return D3D_OK;
}

HRESULT IDirect3DDevice7::ComputeSphereVisibility(const D3DVECTOR* centers, const float* radii,
                                                  uint32_t count, uint32_t, uint32_t* results)
{
    if (!centers || !radii || !results)
        return DDERR_INVALIDPARAMS;
    D3DMATRIX m = multiply(multiply(world, view), proj);
    // Clip planes in model space from the combined matrix's columns.
    float planes[6][4];
    for (int j = 0; j < 4; ++j) {
        float c0 = m.m[j][0], c1 = m.m[j][1], c2 = m.m[j][2], c3 = m.m[j][3];
        planes[0][j] = c3 + c0; // left
        planes[1][j] = c3 - c0; // right
        planes[2][j] = c3 - c1; // top
        planes[3][j] = c3 + c1; // bottom
        planes[4][j] = c2;      // front (near)
        planes[5][j] = c3 - c2; // back (far)
    }
    for (auto& p : planes) {
        float len = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
        if (len > 0)
            for (float& v : p)
                v /= len;
    }
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t r = 0;
        for (int p = 0; p < 6; ++p) {
            float d = planes[p][0] * centers[i].x + planes[p][1] * centers[i].y +
                      planes[p][2] * centers[i].z + planes[p][3];
            if (d < -radii[i])
                r |= (1u << p) | (0x1000u << p);
            else if (d < radii[i])
                r |= 1u << p;
        }
        results[i] = r;
    }
    return D3D_OK;
}

HRESULT IDirect3DDevice7::GetRenderTarget(IDirectDrawSurface7** out) const
{
    if (!out)
        return DDERR_INVALIDPARAMS;
    *out = target;
    target->AddRef();
    return D3D_OK;
}

HRESULT IDirect3DDevice7::DrawPrimitive(D3DPRIMITIVETYPE type, uint32_t fvf, const void* vertices,
                                        uint32_t count, uint32_t)
{
    if (!vertices)
        return DDERR_INVALIDPARAMS;
    return draw(type, fvf, static_cast<const uint8_t*>(vertices), count, nullptr, 0);
}

HRESULT IDirect3DDevice7::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, uint32_t fvf, const void* vertices,
                                               uint32_t vertexCount, const uint16_t* indices,
                                               uint32_t indexCount, uint32_t)
{
    if (!vertices || !indices)
        return DDERR_INVALIDPARAMS;
    return draw(type, fvf, static_cast<const uint8_t*>(vertices), vertexCount, indices, indexCount);
}

HRESULT IDirect3DDevice7::DrawPrimitiveVB(D3DPRIMITIVETYPE type, IDirect3DVertexBuffer7* vb, uint32_t start,
                                          uint32_t count, uint32_t)
{
    if (!vb)
        return DDERR_INVALIDPARAMS;
    if (vb->locked)
        return D3DERR_VERTEXBUFFERLOCKED;
    if (uint64_t(start) + count > vb->desc.dwNumVertices)
        return DDERR_INVALIDPARAMS;
    uint32_t size = vertexSize(vb->desc.dwFVF);
    return draw(type, vb->desc.dwFVF, vb->data.data() + size_t(start) * size, count, nullptr, 0);
}

HRESULT IDirect3DDevice7::DrawIndexedPrimitiveVB(D3DPRIMITIVETYPE type, IDirect3DVertexBuffer7* vb,
                                                 uint32_t start, uint32_t vertexCount,
                                                 const uint16_t* indices, uint32_t indexCount, uint32_t)
{
    if (!vb || !indices)
        return DDERR_INVALIDPARAMS;
    if (vb->locked)
        return D3DERR_VERTEXBUFFERLOCKED;
    if (uint64_t(start) + vertexCount > vb->desc.dwNumVertices)
        return DDERR_INVALIDPARAMS;
    uint32_t size = vertexSize(vb->desc.dwFVF);
    return draw(type, vb->desc.dwFVF, vb->data.data() + size_t(start) * size, vertexCount, indices,
                indexCount);
}

void IDirect3DDevice7::selectMatrix(int mode)
{
    if (appliedGL.matrixMode == mode)
        return;
    appliedGL.matrixMode = mode;
    glMatrixMode(GLenum(mode));
}

void IDirect3DDevice7::loadModelview(const D3DMATRIX& m)
{
    // Only a matrix that differs from what GL holds is sent: a run of draws
    // under one transform sends it once.
    if (appliedGL.modelviewValid && std::memcmp(&m, &appliedGL.modelview, sizeof m) == 0)
        return;
    appliedGL.modelviewValid = true;
    appliedGL.modelview = m;
    selectMatrix(GL_MODELVIEW);
    glLoadMatrixf(&m.m[0][0]);
}

void IDirect3DDevice7::applyTransforms(bool transformed, const uint8_t* v, uint32_t vertexCount,
                                       uint32_t stride)
{
    const int projection = transformed ? 2 : 1;
    if (appliedProjection != projection) {
        appliedProjection = projection;
        glViewport(GLint(viewport.dwX), GLint(viewport.dwY), GLsizei(viewport.dwWidth),
                   GLsizei(viewport.dwHeight));
        glDepthRange(viewport.dvMinZ, viewport.dvMaxZ);
        selectMatrix(GL_PROJECTION);
        if (transformed) {
            const float w = float(viewport.dwWidth), h = float(viewport.dwHeight);
            const float ox = float(viewport.dwX), oy = float(viewport.dwY);
            // Screen pixels to clip space; positions carry 1/rhw as w for perspective texturing.
            const float px[16] = {2 / w,           0,  0, 0, 0, 2 / h, 0, 0, 0, 0, 2, 0, -1 - 2 * ox / w,
                                  -1 - 2 * oy / h, -1, 1};
            glLoadMatrixf(px);
        } else {
            glLoadMatrixf(kClipFix);
            glMultMatrixf(&proj.m[0][0]);
        }
    }
    if (transformed) {
        positions.resize(size_t(vertexCount) * 4);
        for (uint32_t i = 0; i < vertexCount; ++i) {
            D3DTLVertex t;
            std::memcpy(&t, v + size_t(i) * stride, sizeof t);
            float wv = t.rhw > 0 ? 1.0f / t.rhw : 1.0f;
            positions[i * 4 + 0] = t.sx * wv;
            positions[i * 4 + 1] = t.sy * wv;
            positions[i * 4 + 2] = t.sz * wv;
            positions[i * 4 + 3] = wv;
        }
    }
}

void IDirect3DDevice7::reachingLights(const uint8_t* v, uint32_t vertexCount, uint32_t stride)
{
    // The drawn vertices' bounds decide which ranged lights reach them.
    float lo[3] = {1e30f, 1e30f, 1e30f}, hi[3] = {-1e30f, -1e30f, -1e30f};
    bool haveBounds = false;
    auto bounds = [&]() {
        if (haveBounds)
            return;
        haveBounds = true;
        for (uint32_t i = 0; i < vertexCount; ++i) {
            float p[3];
            std::memcpy(p, v + size_t(i) * stride, sizeof p);
            for (int k = 0; k < 3; ++k) {
                lo[k] = std::min(lo[k], p[k]);
                hi[k] = std::max(hi[k], p[k]);
            }
        }
    };
    // The lights that reach this draw, in index order.
    reaching.clear();
    for (auto& [index, on] : lightOn) {
        if (!on || int(reaching.size()) >= glMaxLights)
            continue;
        const D3DLIGHT7& L = lights[index];
        if (L.dltType != D3DLIGHT_DIRECTIONAL && L.dvRange > 0) {
            bounds();
            float c[3], r = 0;
            float mc[3] = {(lo[0] + hi[0]) / 2, (lo[1] + hi[1]) / 2, (lo[2] + hi[2]) / 2};
            for (int k = 0; k < 3; ++k)
                c[k] = mc[0] * world.m[0][k] + mc[1] * world.m[1][k] + mc[2] * world.m[2][k] + world.m[3][k];
            float half[3] = {(hi[0] - lo[0]) / 2, (hi[1] - lo[1]) / 2, (hi[2] - lo[2]) / 2};
            float scale = 0;
            for (int row = 0; row < 3; ++row)
                scale = std::max(scale, std::sqrt(world.m[row][0] * world.m[row][0] +
                                                  world.m[row][1] * world.m[row][1] +
                                                  world.m[row][2] * world.m[row][2]));
            r = std::sqrt(half[0] * half[0] + half[1] * half[1] + half[2] * half[2]) * scale;
            float dx = c[0] - L.dvPosition.x, dy = c[1] - L.dvPosition.y, dz = c[2] - L.dvPosition.z;
            if (std::sqrt(dx * dx + dy * dy + dz * dz) - r > L.dvRange)
                continue;
        }
        reaching.push_back(index);
    }
}

void IDirect3DDevice7::applyLights()
{
    if (lightsDirty || reaching != appliedLights) {
        lightsDirty = false;
        appliedLights = reaching;
        // Light positions are given in world space: GL places them under the view alone.
        loadModelview(view);
        int gl = 0;
        for (uint32_t index : reaching) {
            const D3DLIGHT7& L = lights[index];
            GLenum id = GL_LIGHT0 + gl++;
            glEnable(id);
            float diffuse[4] = {L.dcvDiffuse.r, L.dcvDiffuse.g, L.dcvDiffuse.b, L.dcvDiffuse.a};
            float ambient[4] = {L.dcvAmbient.r, L.dcvAmbient.g, L.dcvAmbient.b, L.dcvAmbient.a};
            float specular[4] = {0, 0, 0, 0};
            if (rs[D3DRENDERSTATE_SPECULARENABLE]) {
                specular[0] = L.dcvSpecular.r;
                specular[1] = L.dcvSpecular.g;
                specular[2] = L.dcvSpecular.b;
                specular[3] = L.dcvSpecular.a;
            }
            glLightfv(id, GL_DIFFUSE, diffuse);
            glLightfv(id, GL_AMBIENT, ambient);
            glLightfv(id, GL_SPECULAR, specular);
            if (L.dltType == D3DLIGHT_DIRECTIONAL) {
                float dir[4] = {-L.dvDirection.x, -L.dvDirection.y, -L.dvDirection.z, 0};
                glLightfv(id, GL_POSITION, dir);
                glLightf(id, GL_SPOT_CUTOFF, 180.0f);
                glLightf(id, GL_CONSTANT_ATTENUATION, 1.0f);
                glLightf(id, GL_LINEAR_ATTENUATION, 0.0f);
                glLightf(id, GL_QUADRATIC_ATTENUATION, 0.0f);
            } else {
                float pos[4] = {L.dvPosition.x, L.dvPosition.y, L.dvPosition.z, 1};
                glLightfv(id, GL_POSITION, pos);
                glLightf(id, GL_CONSTANT_ATTENUATION, L.dvAttenuation0);
                glLightf(id, GL_LINEAR_ATTENUATION, L.dvAttenuation1);
                glLightf(id, GL_QUADRATIC_ATTENUATION, L.dvAttenuation2);
                if (L.dltType == D3DLIGHT_SPOT) {
                    float dir[3] = {L.dvDirection.x, L.dvDirection.y, L.dvDirection.z};
                    glLightfv(id, GL_SPOT_DIRECTION, dir);
                    glLightf(id, GL_SPOT_CUTOFF, std::min(90.0f, L.dvPhi * 0.5f * 57.29578f));
                    glLightf(id, GL_SPOT_EXPONENT, std::clamp(L.dvFalloff, 0.0f, 128.0f));
                } else {
                    glLightf(id, GL_SPOT_CUTOFF, 180.0f);
                }
            }
        }
        for (int i = gl; i < glMaxLights; ++i)
            glDisable(GL_LIGHT0 + i);
    }
}

void IDirect3DDevice7::applyMaterial(uint32_t fvf)
{
    bool vertexDiffuse = (fvf & D3DFVF_DIFFUSE) && rs[D3DRENDERSTATE_COLORVERTEX] &&
                         rs[D3DRENDERSTATE_DIFFUSEMATERIALSOURCE] == D3DMCS_COLOR1;
    // Colour tracking is switched before the material is sent, or it would overwrite it.
    if (vertexDiffuse && appliedGL.colorMaterial != 1)
        glColorMaterial(GL_FRONT_AND_BACK, GL_DIFFUSE);
    glSwitch(GL_COLOR_MATERIAL, vertexDiffuse, appliedGL.colorMaterial);
    // Only the parts that differ from what GL holds: a draw that sets the same
    // material again costs no GL call.
    const D3DMATERIAL7& m = material;
    const bool all = materialDirty;
    auto differs = [&](const D3DCOLORVALUE& now, const D3DCOLORVALUE& sent) {
        return all || std::memcmp(&now, &sent, sizeof now) != 0;
    };
    auto send = [](GLenum what, const D3DCOLORVALUE& c) {
        const float v[4] = {c.r, c.g, c.b, c.a};
        glMaterialfv(GL_FRONT_AND_BACK, what, v);
    };
    if (differs(m.diffuse, appliedMaterial.diffuse) || appliedDiffuseOverwritten)
        send(GL_DIFFUSE, m.diffuse);
    if (differs(m.ambient, appliedMaterial.ambient))
        send(GL_AMBIENT, m.ambient);
    if (differs(m.specular, appliedMaterial.specular))
        send(GL_SPECULAR, m.specular);
    if (differs(m.emissive, appliedMaterial.emissive))
        send(GL_EMISSION, m.emissive);
    if (all || m.power != appliedMaterial.power)
        glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, std::clamp(m.power, 0.0f, 128.0f));
    appliedMaterial = m;
    materialDirty = false;
    // Vertex colours overwrite GL's diffuse: send it again next time.
    appliedDiffuseOverwritten = vertexDiffuse;
}

void IDirect3DDevice7::applyFog(bool transformed)
{
    // Fog: linear, exponential or squared over the eye distance; not on screen-space vertices.
    uint32_t fogMode =
        rs[D3DRENDERSTATE_FOGTABLEMODE] ? rs[D3DRENDERSTATE_FOGTABLEMODE] : rs[D3DRENDERSTATE_FOGVERTEXMODE];
    const bool on = rs[D3DRENDERSTATE_FOGENABLE] && fogMode != D3DFOG_NONE && !transformed;
    glSwitch(GL_FOG, on, appliedGL.fog);
    const int mode = fogMode == D3DFOG_EXP ? GL_EXP : fogMode == D3DFOG_EXP2 ? GL_EXP2 : GL_LINEAR;
    if (on && appliedGL.fogMode != mode) {
        appliedGL.fogMode = mode;
        glFogi(GL_FOG_MODE, mode);
    }
}

void IDirect3DDevice7::applyTextureStages(uint32_t fvf, const uint8_t* v, uint32_t stride)
{
    // Texture stages up to the first disabled one, each on its own unit.
    uint32_t stages = 0;
    while (stages < uint32_t(glUnits) && ts[stages][D3DTSS_COLOROP] != D3DTOP_DISABLE)
        ++stages;
    float factor[4];
    glColorOf(rs[D3DRENDERSTATE_TEXTUREFACTOR], factor);
    const int sets = (fvf & 0xF00) >> 8;
    const size_t uvOffset = fvf == FVF_MESH ? 24 : fvf == FVF_LVERTEX ? 20 : 24;
    const int lastUnits = appliedUnits < 0 ? glUnits : appliedUnits;
    for (int u = 0; u < std::max(int(stages), lastUnits); ++u) {
        if (uint32_t(u) >= stages) {
            if (appliedGL.texture2D[u] != 0 || appliedGL.texCoordArray[u] != 0) {
                selectUnit(u);
                glSwitch(GL_TEXTURE_2D, false, appliedGL.texture2D[u]);
                glClientSwitch(GL_TEXTURE_COORD_ARRAY, false, appliedGL.texCoordArray[u]);
            }
            continue;
        }
        const uint32_t* t = ts[u];
        IDirectDrawSurface7* tex = textures[u];
        // An upload here binds and sets GL outside the record: check it afterwards.
        GLuint id = tex ? d3dgl::EnsureTexture(tex, false) : d3dgl::WhiteTexture();
        forgetGLIfChangedOutside();
        selectUnit(u);
        glSwitch(GL_TEXTURE_2D, true, appliedGL.texture2D[u]);
        if (appliedGL.boundTexture[u] != id) {
            appliedGL.boundTexture[u] = id;
            glBindTexture(GL_TEXTURE_2D, id);
        }
        if (tex) {
            bool linearMin = t[D3DTSS_MINFILTER] == D3DTFN_LINEAR,
                 linearMag = t[D3DTSS_MAGFILTER] == D3DTFG_LINEAR;
            GLint minFilter = linearMin ? GL_LINEAR : GL_NEAREST;
            // The mip filter only counts for textures that have smaller levels.
            if (!tex->mipLevels.empty() && t[D3DTSS_MIPFILTER] == D3DTFP_POINT)
                minFilter = linearMin ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
            else if (!tex->mipLevels.empty() && t[D3DTSS_MIPFILTER] == D3DTFP_LINEAR)
                minFilter = linearMin ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
            const int32_t params[4] = {minFilter, linearMag ? GL_LINEAR : GL_NEAREST,
                                       glAddress(t[D3DTSS_ADDRESSU]), glAddress(t[D3DTSS_ADDRESSV])};
            if (tex->appliedParamsEpoch != appliedGL.epoch ||
                std::memcmp(params, tex->appliedParams, sizeof params) != 0) {
                tex->appliedParamsEpoch = appliedGL.epoch;
                std::memcpy(tex->appliedParams, params, sizeof params);
                glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, params[0]);
                glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, params[1]);
                glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, params[2]);
                glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, params[3]);
            }
        }
        const uint32_t combine[8] = {t[D3DTSS_COLOROP],
                                     t[D3DTSS_COLORARG1],
                                     t[D3DTSS_COLORARG2],
                                     t[D3DTSS_ALPHAOP],
                                     t[D3DTSS_ALPHAARG1],
                                     t[D3DTSS_ALPHAARG2],
                                     rs[D3DRENDERSTATE_TEXTUREFACTOR],
                                     1};
        if (!combineValid[u] || std::memcmp(combine, appliedCombine[u], sizeof combine) != 0) {
            combineValid[u] = true;
            std::memcpy(appliedCombine[u], combine, sizeof combine);
            glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
            glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, factor);
            glCombine(false, t[D3DTSS_COLOROP], t[D3DTSS_COLORARG1], t[D3DTSS_COLORARG2]);
            glCombine(true, t[D3DTSS_ALPHAOP], t[D3DTSS_ALPHAARG1], t[D3DTSS_ALPHAARG2]);
        }
        int set = int(t[D3DTSS_TEXCOORDINDEX] & 0xFFFF);
        glClientSwitch(GL_TEXTURE_COORD_ARRAY, set < sets, appliedGL.texCoordArray[u]);
        if (set < sets) {
            appliedGL.zeroTexCoord[u] = false;
            const uint8_t* uv = v + uvOffset + size_t(set) * 8;
            if (appliedGL.texCoordPointer[u] != uv || appliedGL.texCoordStride[u] != int(stride)) {
                appliedGL.texCoordPointer[u] = uv;
                appliedGL.texCoordStride[u] = int(stride);
                glTexCoordPointer(2, GL_FLOAT, GLsizei(stride), uv);
            }
        } else if (!appliedGL.zeroTexCoord[u]) {
            appliedGL.zeroTexCoord[u] = true;
            glMultiTexCoord2f(GL_TEXTURE0 + u, 0, 0);
        }
    }
    appliedUnits = int(stages);
    selectUnit(0);
}

void IDirect3DDevice7::setVertexArrays(uint32_t fvf, bool transformed, const uint8_t* v, uint32_t vertexCount,
                                       uint32_t stride)
{
    // Vertex arrays; GL reads them at the draw, so an unchanged pointer needs no call.
    glClientSwitch(GL_VERTEX_ARRAY, true, appliedGL.vertexArray);
    const void* position = transformed ? static_cast<const void*>(positions.data()) : v;
    const int size = transformed ? 4 : 3, positionStride = transformed ? 0 : int(stride);
    if (appliedGL.vertexPointer != position || appliedGL.vertexSize != size ||
        appliedGL.vertexStride != positionStride) {
        appliedGL.vertexPointer = position;
        appliedGL.vertexSize = size;
        appliedGL.vertexStride = positionStride;
        glVertexPointer(size, GL_FLOAT, positionStride, position);
    }
    glClientSwitch(GL_NORMAL_ARRAY, fvf & D3DFVF_NORMAL, appliedGL.normalArray);
    if (fvf & D3DFVF_NORMAL) {
        appliedGL.zeroNormal = false;
        if (appliedGL.normalPointer != v + 12 || appliedGL.normalStride != int(stride)) {
            appliedGL.normalPointer = v + 12;
            appliedGL.normalStride = int(stride);
            glNormalPointer(GL_FLOAT, GLsizei(stride), v + 12);
        }
    } else if (!appliedGL.zeroNormal) {
        appliedGL.zeroNormal = true;
        glNormal3f(0, 0, 0);
    }
    if (fvf & D3DFVF_DIFFUSE) {
        appliedGL.whiteColor = false;
        const size_t offset = transformed ? 16 : 12;
        colors.resize(size_t(vertexCount) * 4);
        for (uint32_t i = 0; i < vertexCount; ++i) {
            D3DCOLOR c;
            std::memcpy(&c, v + size_t(i) * stride + offset, 4);
            colors[i * 4 + 0] = uint8_t(c >> 16);
            colors[i * 4 + 1] = uint8_t(c >> 8);
            colors[i * 4 + 2] = uint8_t(c);
            colors[i * 4 + 3] = uint8_t(c >> 24);
        }
        glClientSwitch(GL_COLOR_ARRAY, true, appliedGL.colorArray);
        if (appliedGL.colorPointer != colors.data()) {
            appliedGL.colorPointer = colors.data();
            glColorPointer(4, GL_UNSIGNED_BYTE, 0, colors.data());
        }
    } else {
        glClientSwitch(GL_COLOR_ARRAY, false, appliedGL.colorArray);
        if (!appliedGL.whiteColor) {
            appliedGL.whiteColor = true;
            glColor4f(1, 1, 1, 1);
        }
    }
}

HRESULT IDirect3DDevice7::draw(D3DPRIMITIVETYPE type, uint32_t fvf, const uint8_t* v, uint32_t vertexCount,
                               const uint16_t* indices, uint32_t indexCount)
{
    uint32_t stride = vertexSize(fvf);
    if (!stride)
        return D3DERR_INVALIDVERTEXTYPE;
    GLenum prim = glPrimitive(type);
    if (prim == GL_INVALID_ENUM)
        return D3DERR_INVALIDPRIMITIVETYPE;
    if (indices) {
        // Never read outside the vertices; one comparison after a branch-free scan.
        uint16_t highest = 0;
        for (uint32_t i = 0; i < indexCount; ++i)
            highest = std::max(highest, indices[i]);
        if (indexCount && highest >= vertexCount)
            return DDERR_INVALIDPARAMS;
    }
    uint32_t n = indices ? indexCount : vertexCount;
    record(D3DCallKind::Draw, type, fvf, n);
    ++drawCalls;
    if (n == 0 || vertexCount == 0)
        return D3D_OK;
    if (!d3dgl::EnsureFramebuffer(target))
        return DDERR_SURFACELOST;
    d3dgl::BindFramebuffer(target->glFbo);

    const bool transformed = fvf == FVF_TLVERTEX;
    forgetGLIfChangedOutside();
    applyTransforms(transformed, v, vertexCount, stride);
    // Lights are given in world space: place them under the view matrix only.
    if (!transformed && rs[D3DRENDERSTATE_LIGHTING]) {
        glSwitch(GL_LIGHTING, true, appliedGL.lighting);
        reachingLights(v, vertexCount, stride);
        applyLights();
        applyMaterial(fvf);
    } else {
        glSwitch(GL_LIGHTING, false, appliedGL.lighting);
        glSwitch(GL_COLOR_MATERIAL, false, appliedGL.colorMaterial);
    }
    // World times view in one matrix, multiplied in the order GL would multiply them.
    loadModelview(transformed ? identity() : multiply(world, view));
    applyFog(transformed);
    applyTextureStages(fvf, v, stride);
    setVertexArrays(fvf, transformed, v, vertexCount, stride);

    if (indices)
        glDrawElements(prim, GLsizei(indexCount), GL_UNSIGNED_SHORT, indices);
    else
        glDrawArrays(prim, 0, GLsizei(vertexCount));
    return D3D_OK;
}
