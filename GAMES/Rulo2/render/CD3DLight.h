// A device light bound to one light index for its whole life.
#pragma once

#include <cstdint>

#include "GAMES/Rulo2/render/RenderGlobals.h"
#include "LIBS/System/CGrowArray.h"
#include "LIBS/System/CTextBuffer.h"
#include "platform/d3d/D3DTypes.h"

class CD3DLight
{
public:
    explicit CD3DLight(const char* name);
    virtual ~CD3DLight();
    CD3DLight(const CD3DLight&) = delete;
    CD3DLight& operator=(const CD3DLight&) = delete;

    bool set(int32_t type, float x, float y, float z, float red, float green, float blue, float range,
             bool enable);
    bool enable(bool on);
    void Reapply();

    CTextBuffer name;
    D3DLIGHT7 light;
    int32_t kind = 3;
    int32_t slot = -1;
    bool enabled = false;
};

// Sends every occupied slot again, lowest index first (after the device was made).
void ReapplyAllLights();
