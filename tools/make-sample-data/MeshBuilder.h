#pragma once
// Simple textured geometry for the sample content: quads split into texture
// tiles (a texture-page entry cannot repeat), boxes and gabled roofs, each
// material a texture of the level's pages.
#include <cstdint>
#include <string>
#include <vector>

#include "GAMES/Rulo2/world/CMeshNode.h"
#include "LIBS/System/CVector.h"

class CRootNode;

namespace sample {

struct SSampleTexture;

// Material look: a texture (or none) with diffuse and emissive colours.
struct SLook
{
    const SSampleTexture* texture = nullptr;
    float r = 1, g = 1, b = 1;
    float glow = 0;    // emissive share of the colour
    float tile = 0.5f; // world size of one texture tile
};

class CMeshBuilder
{
public:
    // Material number of a look; equal looks share one material.
    int Material(const SLook& look);

    // A quad seen from its front: `corner` is its lower left corner, `right`
    // and `up` its edges. Split into tiles of the look's tile size.
    void Quad(int material, const CVector& corner, const CVector& right, const CVector& up);
    void Triangle(int material, const CVector& a, const CVector& b, const CVector& c);
    // An axis-aligned box; `faces` leaves sides out (bits: 1 -z, 2 +z, 4 -x, 8 +x, 16 +y, 32 -y).
    void Box(int material, const CVector& min, const CVector& max, unsigned faces = 63);
    // A gabled roof over the rectangle [min.x, max.x] x [min.z, max.z] at height
    // min.y, its ridge along x at max.y; the gable ends take `gableMaterial`.
    void Roof(int material, int gableMaterial, const CVector& min, const CVector& max, float overhang);

    // Quarter turns about the vertical axis applied to everything when the mesh
    // is built: one turn brings the front (-z) to +x, three bring it to -x.
    void SetTurns(int quarterTurns) { turns_ = ((quarterTurns % 4) + 4) % 4; }

    // The ground outline the path finder walks on (or, for an "Anti Ground"
    // model, the obstacle it stands for): points in building coordinates and
    // index pairs of the edges that are walls.
    void Outline(const std::vector<CVector>& points, const std::vector<int32_t>& edges);
    // A closed outline: every side an edge.
    void ClosedOutline(const std::vector<CVector>& points);

    bool Empty() const;
    // The mesh of everything added, moved by `shift`; null when nothing was added.
    CMeshNode* BuildMesh(const char* name, const CVector& shift = CVector(0, 0, 0)) const;
    // The bounding-box centre of everything added.
    CVector Centre() const;
    // A model of one mesh, centred on its origin (so that the renderer and the
    // visibility test agree on where it is, whichever of the two centres they
    // take); `centre` gets where a world node must stand to show it where it
    // was built.
    CRootNode* BuildModel(const char* name, CVector* centre) const;

private:
    struct SMaterial
    {
        SLook look;
        std::vector<MeshVertex> vertices;
        std::vector<uint16_t> indices;
    };
    void Cell(SMaterial& m, const CVector& corner, const CVector& right, const CVector& up,
              const CVector& normal);
    std::vector<SMaterial> materials_;
    std::vector<CVector> outline_;
    std::vector<int32_t> outlineEdges_;
    int turns_ = 0;
};

// A point or direction turned by quarter turns about the vertical axis.
CVector Turn(const CVector& v, int quarterTurns);

} // namespace sample
