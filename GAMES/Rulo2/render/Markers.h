#pragma once
// Small drawing routines for things in the 3-D view that are not world objects:
// interface models with their own camera, the walk-target marker, flares, axis
// crosses, light markers and point markers.
#include <cstdint>

#include "GAMES/Rulo2/render/RenderStates.h"
#include "LIBS/System/CMatrix.h"
#include "LIBS/System/CVector.h"
#include "platform/d3d/D3D.h"

class CRootNode;
class CD3DLight;

// Vertex format 0x1C2: position, diffuse, specular, one texture pair.
struct LineVertex
{
    float x, y, z;
    uint32_t diffuse;
    uint32_t specular;
    float u, v;
};
static_assert(sizeof(LineVertex) == 28);
constexpr uint32_t kLineVertexFormat = 0x1C2;
constexpr uint32_t kModelVertexFormat = 0x212;

void SetLineVertex(LineVertex& v, const CVector& p, uint32_t colour, float u = 0, float w = 0);
void DrawIndexedLines(D3DPRIMITIVETYPE type, const LineVertex* vertices, uint32_t vertexCount,
                      const uint16_t* indices, uint32_t indexCount);
void SetWorldMatrix(const CMatrix& m);
float Vec3Normalize(CVector& v);
CMatrix MatrixFromAxisAngle(const CVector& axis, float angle);

// A model drawn from (0, 0, -2) looking at the origin; the view is restored after.
void DrawInterfaceModel(CRootNode* model, const CMatrix& world, bool highlight, float opacity, float time,
                        bool lit, const CVector4& colour);
void DrawTargetMarker(CRootNode* marker, const CVector& position);
void DrawAxisCross(float x, float y, float z, uint32_t colour);
// Moves the point 0.2 towards the eye (the caller's point changes), then draws.
void DrawLightFlare(CVector& position, uint32_t colour, IDirectDrawSurface7* flareTexture);
void DrawPointMarker(float x, float y, float z, uint32_t colour);
// A small camera-facing ring around the point (the editor's locator marker).
void DrawCircle3D(const CVector& position, uint32_t colour);

constexpr uint32_t kMarkerColour = 0xFFD09090;         // RGB (208, 144, 144)
constexpr uint32_t kMarkerSelectedColour = 0xFF80FF99; // RGB (128, 255, 153)

// The same model moved on screen by (x, y) through the projection.
void DrawInterfaceModelAt(float x, float y, CRootNode* model, const CMatrix& world, bool highlight,
                          float opacity, float time, bool lit, const CVector4& colour);
void DrawInterfaceModelGrey(CRootNode* model, const CMatrix& world, bool highlight, float opacity, float time,
                            bool lit);
void DrawInterfaceModelAtGrey(float x, float y, CRootNode* model, const CMatrix& world, bool highlight,
                              float opacity, float time, bool lit);
struct CNamedMaterial;
void SetMarkerColor(CNamedMaterial& material, float r, float g, float b);
// An axis cross and a 0.1 line along the record's heading.
struct SAttackPoint
{
    float x, y, z, angle;
};
void DrawAttackPoint(const SAttackPoint& point, uint32_t colour);
// Two randomly turned crosses at a light's position (the editor's sun marker).
void DrawLightStar(const CVector& position);
// The editor marker of one light: a star for point lights, two cones for spots.
void DrawLightMarker(const CD3DLight& light, bool selected);
