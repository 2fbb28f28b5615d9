#pragma once
// Worlds for the lightmap renderer's tests and benchmark, built in code: quads and boxes
// as models, point lights, houses with inside groups.
#include <memory>
#include <string>
#include <vector>

#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/editor/shadowmap/ShadowMapRenderer.h"
#include "GAMES/Rulo2/world/CMeshNode.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "LIBS/Image/imgImage.h"
#include "tests/app/ShellWorld.h"

namespace shadowtest {

// A model of flat rectangles facing up (+y) in the x-z plane, each `size` on a side at the
// given offsets; one mesh per rectangle when `meshPerQuad`.
inline CRootNode* MakeQuadsModel(const char* name, float size, const std::vector<CVector>& offsets,
                                 bool meshPerQuad = false)
{
    auto* root = new CRootNode;
    root->SetName(name);
    auto addMesh = [&](const std::vector<CVector>& at) {
        auto* mesh = static_cast<CMeshNode*>(root->AddChild(new CMeshNode("Mesh")));
        std::vector<MeshVertex> v;
        std::vector<uint16_t> idx;
        for (const CVector& o : at) {
            const uint16_t b = uint16_t(v.size());
            v.push_back({o.x, o.y, o.z, 0, 1, 0, 0, 0, 0, 0});
            v.push_back({o.x + size, o.y, o.z, 0, 1, 0, 1, 0, 0, 0});
            v.push_back({o.x + size, o.y, o.z + size, 0, 1, 0, 1, 1, 0, 0});
            v.push_back({o.x, o.y, o.z + size, 0, 1, 0, 0, 1, 0, 0});
            for (uint16_t i : {0, 2, 1, 0, 3, 2})
                idx.push_back(uint16_t(b + i));
        }
        mesh->SetVertices(v.data(), int32_t(v.size()));
        mesh->SetIndices(idx.data(), int32_t(idx.size()));
        mesh->SetMaterialCount(1);
        mesh->materials[0].indexCount = int32_t(idx.size());
        mesh->materials[0].vertexCount = int32_t(v.size());
        mesh->smooth = 0;
        return mesh;
    };
    if (meshPerQuad)
        for (const CVector& o : offsets)
            addMesh({o});
    else
        addMesh(offsets);
    return root;
}

inline CModelEntry* AddEntry(CRootNode* model)
{
    auto* e = new CModelEntry;
    e->SetName(model->GetName());
    e->group = g_ModelsTree;
    e->model = model;
    g_ModelListRoot->AddChild(e);
    return e;
}

inline CWorldObject* Group(CNode* parent, const char* name)
{
    auto* g = new CWorldObject(name);
    parent->AddChild(g);
    return g;
}

using shelltest::AddInstance;

// A white point light of the given range with constant attenuation 1, shining in the
// phases of `phases` (bit 0 00:00, 1 06:00, 2 12:00, 3 custom).
inline CWorldObject* PointLight(CNode* parent, const CVector& position, float range, uint32_t phases = 1,
                                float red = 1, float green = 1, float blue = 1)
{
    auto* o = new CWorldObject("Light");
    o->objectKind = CWorldObject::KIND_LIGHT;
    o->position = position;
    SWorldLight* l = o->MakeLight();
    l->light.dltType = 1;
    l->light.dcvDiffuse = {red, green, blue, 1};
    l->light.dvPosition = {position.x, position.y, position.z};
    l->light.dvRange = range;
    l->light.dvAttenuation0 = 1;
    l->lightWord = phases;
    parent->AddChild(o);
    return o;
}

// The texel's stamp, red, green, blue.
inline const uint8_t* Texel(const imgImage& image, int32_t x, int32_t y)
{
    return image.pixels + size_t(y) * image.bytesPerLine + size_t(x) * 4;
}

} // namespace shadowtest
