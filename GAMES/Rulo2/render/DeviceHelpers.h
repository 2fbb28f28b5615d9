// Small operations on the one device: vertex buffers, point projection,
// interface bitmaps and colour-keyed blits onto the back surface.
#pragma once

#include <cstdint>
#include <vector>

#include "LIBS/System/CVector.h"
#include "platform/d3d/D3D.h"

IDirect3DVertexBuffer7* CreateVertexBuffer(int32_t vertexCount, uint32_t vertexFormat);

class CRootNode;

// A model that may get a vertex buffer of its own at start-up.
struct VertexBufferCandidate
{
    int32_t useCount = 0;
    int32_t vertexCount = 0;
    CRootNode* model = nullptr;
};
// The candidates that get a buffer: most used first (equal counts keep list
// order), until 200,000 vertices are reached; `possible` gets the number of
// candidates with uses and vertices.
std::vector<VertexBufferCandidate> ChooseVertexBufferModels(const std::vector<VertexBufferCandidate>& all,
                                                            int32_t* possible = nullptr);
// The start-up pass over the world's used still models (nothing for a world of
// its root alone).
void CreateVertexBuffers();

// Screen pixels of a world point; (-1, -1) when the device cannot transform it.
void ProjectToScreen(const CVector& point, int32_t screen[2]);

// The bitmap resource as an off-screen surface, magenta transparent when
// colourKeyed; null (with a log line) when it is missing or unreadable.
IDirectDrawSurface7* LoadInterfaceBitmap(uint16_t resourceId, bool colourKeyed);

void BlitSurfaceRect(IDirectDrawSurface7* source, int32_t destX, int32_t destY, int32_t srcX, int32_t srcY,
                     int32_t width, int32_t height);
void StretchBlitRect(IDirectDrawSurface7* source, int32_t destX, int32_t destY, int32_t destWidth,
                     int32_t destHeight, int32_t srcX, int32_t srcY, int32_t srcWidth, int32_t srcHeight);

// The texture that stands on the stages while the device's state blocks are validated.
IDirectDrawSurface7* CreateTestTexture();

// "12.3 MB"-style text of a byte count.
void FormatByteSize(uint32_t bytes, char* out, int size);
