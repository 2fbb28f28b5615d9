#include "GAMES/Rulo2/render/LoadingPictures.h"

#include <algorithm>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/Texture.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/interface/CMenuQuad.h"
#include "GAMES/Rulo2/render/GameResources.h"

namespace {

constexpr int kBarPicture = 599;
// Pixels between the picture and the bar, and the bar's height without its picture.
constexpr int kBarGap = 24;
constexpr int kPlainBarHeight = 16;

CTexture* s_picture = nullptr;
CTexture* s_bar = nullptr;

// A quad over the pixel rectangle [x0, x1) x [y0, y1), its texture stretched from u 0 to `u1`.
void DrawPixelQuad(float x0, float y0, float x1, float y1, CTexture* texture, float u1, float grey)
{
    const float halfW = float(DX.screenWidth) / 2, halfH = float(DX.screenHeight) / 2;
    CMenuQuad quad(nullptr);
    quad.SetGeometry({x0 / halfW - 1, y0 / halfH - 1}, {x1 / halfW - 1, y1 / halfH - 1},
                     {grey, grey, grey, 1});
    quad.key.vertices[1].u = quad.key.vertices[2].u = u1;
    quad.key.texture = texture && texture->surface ? texture : nullptr;
    quad.Draw(0.5f);
}

} // namespace

void LoadLoadingPictures(int picture)
{
    if (picture > 0)
        s_picture = LoadTextureResource(uint16_t(picture), nullptr, false);
    if (!s_bar)
        s_bar = LoadTextureResource(kBarPicture, nullptr, false);
}

void ReleaseLoadingPictures()
{
    delete s_picture;
    s_picture = nullptr;
    delete s_bar;
    s_bar = nullptr;
}

void DrawLoadingPictures(int picture, int placement, float fraction)
{
    if (!DX.initialised || !DX.device || DX.device->BeginScene() != D3D_OK)
        return;
    DX.device->Clear(0, nullptr, D3DCLEAR_TARGET | (DX.zBuffer ? D3DCLEAR_ZBUFFER : 0u), 0xFF000000u, 1.0f,
                     0);
    const float w = float(DX.screenWidth), h = float(DX.screenHeight);
    const float top = h * float(placement) / 100.0f;
    float bottom = top;
    if (picture > 0 && s_picture && s_picture->surface) {
        const float pw = float(s_picture->width), ph = float(s_picture->height);
        DrawPixelQuad((w - pw) / 2, top, (w + pw) / 2, top + ph, s_picture, 1.0f, 1.0f);
        bottom += ph;
    }
    // The bar keeps its place whether or not a picture is shown, below the pictures of the sample's size.
    const float barTop = std::max(bottom, top + h * 0.4f) + kBarGap;
    const bool barPicture = s_bar && s_bar->surface;
    const float bw = barPicture ? float(s_bar->width) : w * 0.4f;
    const float bh = barPicture ? float(s_bar->height) : float(kPlainBarHeight);
    const float left = (w - bw) / 2;
    const float filled = std::clamp(fraction, 0.0f, 1.0f);
    // The whole bar dimmed, then its filled part at full brightness.
    DrawPixelQuad(left, barTop, left + bw, barTop + bh, s_bar, 1.0f, 0.25f);
    if (filled > 0)
        DrawPixelQuad(left, barTop, left + bw * filled, barTop + bh, s_bar, filled, 1.0f);
    DX.device->EndScene();
    PresentLoadingFrame();
}

void PresentLoadingFrame()
{
    if (!DX.primary || !DX.backSurface)
        return;
    if (WindowedFlag)
        DX.primary->Blt(nullptr, DX.backSurface, nullptr, DDBLT_WAIT, nullptr);
    else
        DX.primary->Flip(nullptr, DDFLIP_WAIT);
}
