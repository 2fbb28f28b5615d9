// Where a world point lands on the back buffer under the device's current view
// and projection, for tests that look at the drawn pixels.
#pragma once

#include "GAMES/Rulo2/DirectX.h"
#include "LIBS/System/CVector.h"

// The pixel column and row of `p`; true when that pixel is on the screen.
inline bool ScreenOf(const CVector& p, int& x, int& y)
{
    D3DMATRIX view, proj;
    DX.device->GetTransform(D3DTRANSFORMSTATE_VIEW, &view);
    DX.device->GetTransform(D3DTRANSFORMSTATE_PROJECTION, &proj);
    float v[4] = {p.x, p.y, p.z, 1}, a[4] = {}, b[4] = {};
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i)
            a[j] += v[i] * view.m[i][j];
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i)
            b[j] += a[i] * proj.m[i][j];
    x = int((b[0] / b[3] + 1) * 0.5f * DX.screenWidth);
    y = int((1 - b[1] / b[3]) * 0.5f * DX.screenHeight);
    return x >= 0 && y >= 0 && x < int(DX.screenWidth) && y < int(DX.screenHeight);
}
