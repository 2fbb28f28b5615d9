#include "GAMES/Rulo2/world/WorldTree.h"

#include <cmath>

#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/editor/terrain/CTerrainRules.h"
#include "GAMES/Rulo2/render/WorldLights.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/ParentTable.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "GAMES/Rulo2/world/WorldTreeWalk.h"
#include "LIBS/System/LogPrintf.h"

// ---------------------------------------------------------------- references

// The model list by number in the editor, where no model table is kept: the
// first node of each number in pre-order, as CNode::FindByIndex finds it, so that
// a load looks each node's model up at once instead of searching the list.
CModelNumbers::CModelNumbers()
{
    if (!g_ModelListRoot)
        return;
    WalkTree(static_cast<CNode*>(g_ModelListRoot), [this](CNode* n) { m_byNumber.emplace(n->index, n); });
}

CNode* CModelNumbers::Find(uint32_t number) const
{
    const auto it = m_byNumber.find(number);
    return it == m_byNumber.end() ? nullptr : it->second;
}

static CModelEntry* ModelByNumber(uint32_t number, const CModelNumbers* models)
{
    if (number == 0)
        return nullptr;
    if (GameModeFlag)
        return number < g_ModelTable.size() ? g_ModelTable[number] : nullptr;
    if (models)
        return static_cast<CModelEntry*>(models->Find(number));
    return g_ModelListRoot ? static_cast<CModelEntry*>(g_ModelListRoot->FindByIndex(number)) : nullptr;
}

static CObjectNode* DefinitionByNumber(uint32_t number)
{
    if (number == 0)
        return nullptr;
    if (GameModeFlag)
        return number < g_ObjectTable.size() ? g_ObjectTable[number] : nullptr;
    return g_ObjectList ? static_cast<CObjectNode*>(g_ObjectList->FindSiblingByIndex(number)) : nullptr;
}

static uint32_t NumberOf(const CNode* node)
{
    return node && node->index != NODE_INDEX_EXCLUDED ? node->index : 0;
}

// ---------------------------------------------------------------- shadow textures

// The texture surface of a shadow texture that was just read: its stored pixels on texture
// stage 1, the stage the shadow goes on beside the mesh's own texture.
void MakeShadowSurface(SShadowTexture& shadow)
{
    if (shadow.width == 0 || shadow.height == 0 || !TextureDeviceCanTexture())
        return;
    std::vector<uint8_t> bytes(shadow.pixels.size() * 2);
    for (size_t i = 0; i < shadow.pixels.size(); ++i) {
        bytes[i * 2] = uint8_t(shadow.pixels[i]);
        bytes[i * 2 + 1] = uint8_t(shadow.pixels[i] >> 8);
    }
    CTextureSurface& t = shadow.texture;
    t.width = int32_t(shadow.width);
    t.height = int32_t(shadow.height);
    const bool compressible = shadow.width > 3 && shadow.height > 3;
    if (!t.CreateFromStoredPixels(bytes.data(), false, 1, false, compressible, "a shadow-texture"))
        t.Release();
}

// ---------------------------------------------------------------- lights

static void ReadColour(CChunkReader& r, D3DCOLORVALUE& c)
{
    c.r = r.ReadF32();
    c.g = r.ReadF32();
    c.b = r.ReadF32();
    c.a = r.ReadF32();
}

static void ReadVector(CChunkReader& r, D3DVECTOR& v)
{
    v.x = r.ReadF32();
    v.y = r.ReadF32();
    v.z = r.ReadF32();
}

static void ReadLight(CWorldObject* node, CChunkReader& r, uint32_t v)
{
    D3DLIGHT7 l;
    // Up to version 10 the light is framed by two words and has no specular or ambient colour.
    const bool framed = v <= 10;
    if (framed)
        r.ReadU32();
    l.dltType = r.ReadI32();
    ReadColour(r, l.dcvDiffuse);
    if (!framed) {
        ReadColour(r, l.dcvSpecular);
        ReadColour(r, l.dcvAmbient);
    }
    ReadVector(r, l.dvPosition);
    ReadVector(r, l.dvDirection);
    l.dvRange = r.ReadF32();
    l.dvFalloff = r.ReadF32();
    l.dvAttenuation0 = r.ReadF32();
    l.dvAttenuation1 = r.ReadF32();
    l.dvAttenuation2 = r.ReadF32();
    l.dvTheta = r.ReadF32();
    l.dvPhi = r.ReadF32();
    if (framed)
        r.ReadU32();
    if (v <= 5) {
        // Old files kept one cone angle.
        const float a = l.dvTheta;
        l.dvTheta = 0.8f * a;
        l.dvPhi = a;
        l.dvFalloff = 1.0f;
    }
    if (v == 6)
        r.ReadU32();
    SWorldLight* light = node->MakeLight();
    light->light = l;
    if (v >= 8)
        light->lightWord = r.ReadU32();
    light->deviceLight = CreateWorldDeviceLight(*light);
    g_LightNodes.push_back(node);
}

static bool WriteLight(CChunkWriter& w, const SWorldLight* light)
{
    const SWorldLight fallback;
    const D3DLIGHT7& l = light ? light->light : fallback.light;
    const float words[25] = {
        l.dcvDiffuse.r,   l.dcvDiffuse.g,   l.dcvDiffuse.b,   l.dcvDiffuse.a, l.dcvSpecular.r,
        l.dcvSpecular.g,  l.dcvSpecular.b,  l.dcvSpecular.a,  l.dcvAmbient.r, l.dcvAmbient.g,
        l.dcvAmbient.b,   l.dcvAmbient.a,   l.dvPosition.x,   l.dvPosition.y, l.dvPosition.z,
        l.dvDirection.x,  l.dvDirection.y,  l.dvDirection.z,  l.dvRange,      l.dvFalloff,
        l.dvAttenuation0, l.dvAttenuation1, l.dvAttenuation2, l.dvTheta,      l.dvPhi,
    };
    return w.WriteI32(l.dltType) && w.WriteFloats(words, 25) && w.WriteU32(light ? light->lightWord : 0);
}

// ---------------------------------------------------------------- one node

bool ParseWorldNode(CWorldObject* node, CChunkReader& r, bool extendBounds, const CModelNumbers* models)
{
    const uint32_t v = r.ReadU32();
    node->index = r.ReadU32();
    const char* storedName = r.ReadPaddedString();
    node->position.x = r.ReadF32();
    node->position.y = r.ReadF32();
    node->position.z = r.ReadF32();
    if (std::fabs(node->position.y) >= 1000.0f)
        node->position = CVector(0, 0, 0);
    node->angle = r.ReadF32();
    if (v < 3) {
        node->SetName(storedName);
        const uint32_t reference = r.ReadU32();
        const uint32_t type = v >= 2 ? r.ReadU32() : 0;
        if (type == 1000) {
            node->objectKind = CWorldObject::KIND_OBJECT;
            node->reference =
                reference && g_ObjectList ? g_ObjectList->FindSiblingByIndex(reference) : nullptr;
        } else {
            node->objectKind = CWorldObject::KIND_MODEL;
            node->reference = !reference        ? nullptr
                              : models          ? models->Find(reference)
                              : g_ModelListRoot ? g_ModelListRoot->FindByIndex(reference)
                                                : nullptr;
        }
    } else {
        if (v >= 5)
            node->angle2 = r.ReadF32();
        if (v >= 14)
            node->scale = r.ReadF32();
        if (v >= 15)
            node->lightColour = r.ReadI32();
        const uint32_t kind = r.ReadU32();
        node->objectKind = int32_t(kind);
        switch (kind) {
        case CWorldObject::KIND_GROUP:
            node->SetName(storedName);
            if (v >= 10)
                node->groupFlag = r.ReadBool();
            break;
        case CWorldObject::KIND_MODEL: {
            const uint32_t number = r.ReadU32();
            if (v == 3)
                r.ReadU32();
            node->reference = ModelByNumber(number, models);
            if (number && !node->reference)
                NoteLoadLoss("World node at offset %zu: model number %u is unknown", r.FileOffset(), number);
            break;
        }
        case CWorldObject::KIND_OBJECT: {
            const uint32_t number = r.ReadU32();
            node->reference = DefinitionByNumber(number);
            if (number && !node->reference)
                NoteLoadLoss("World node at offset %zu: object number %u is unknown", r.FileOffset(), number);
            break;
        }
        case CWorldObject::KIND_LIGHT:
            ReadLight(node, r, v);
            break;
        case CWorldObject::KIND_GENERATOR: {
            auto* terrain = new CTerrainRules;
            terrain->owner = node;
            node->reference = terrain;
            char name[260];
            terrain->Generate(r, name, sizeof name);
            if (name[0])
                node->SetName(name);
            break;
        }
        default:
            break;
        }
    }
    if (v >= 1) {
        const uint32_t count = r.ReadU32();
        const size_t recordSize = v >= 12 ? 8 : 4;
        if (!r.Ok() || count > r.Remaining() / recordSize)
            return false;
        node->connections.resize(count);
        for (SConnection& c : node->connections) {
            c.targetNumber = r.ReadU32();
            c.flag = v >= 12 && r.ReadBool() ? 1 : 0;
        }
    }
    if (v >= 9) {
        if (r.PeekId() == ChunkId("INFO")) {
            SChunkHeader header;
            CChunkReader info;
            if (r.NextChunk(header, info, r.Remaining()) != CHUNK_OK)
                return false;
            auto* logic = new CObjectLogic;
            logic->worldNode = node;
            if (!logic->ReadDefinition(info))
                NoteLoadLoss("Object '%s': damaged INFO chunk at offset %zu", node->name ? node->name : "",
                             header.offset);
            delete node->objectLogic;
            node->objectLogic = logic;
        } else {
            r.ReadU32();
        }
    }
    if (extendBounds && node->reference &&
        (node->objectKind == CWorldObject::KIND_MODEL || node->objectKind == CWorldObject::KIND_OBJECT))
        g_WorldBounds.extend(node->position);
    if (v >= 13) {
        if (r.PeekId() == ChunkId("SHAD") && NoShadowsFlag && GameModeFlag) {
            // The game without shadow maps never draws the texture and cannot save the world: the
            // block, the last field of the node, is passed over to the chunk's end unread.
            r.Skip(r.Remaining());
        } else if (r.PeekId() == ChunkId("SHAD")) {
            r.ReadId();
            auto* shadow = new SShadowTexture;
            shadow->width = r.ReadU32();
            shadow->height = r.ReadU32();
            const uint64_t pixels = uint64_t(shadow->width) * shadow->height;
            if (!r.Ok() || pixels > r.Remaining() / 2) {
                delete shadow;
                return false;
            }
            shadow->pixels.resize(size_t(pixels));
            for (uint16_t& p : shadow->pixels)
                p = r.ReadU16();
            // With shadow maps off (the settings or NOSHADOWS) the editor's texture gets no surface
            // and is never drawn; its pixels stay so that a save does not drop them.
            if (!NoShadowsFlag)
                MakeShadowSurface(*shadow);
            delete node->shadowTexture;
            node->shadowTexture = shadow;
        } else {
            r.ReadU32();
        }
    }
    return r.Ok();
}

bool WriteWorldNode(CWorldObject* node, CChunkWriter& w)
{
    const int32_t kind = node->objectKind;
    bool ok = w.BeginChunk(ChunkId("NODE"), kNodeVersion);
    node->chunkPosition = int32_t(w.OpenChunkPosition());
    ok = ok && w.WriteU32(node->parent ? node->parent->index : 0);
    ok = ok && w.WriteString(kind == CWorldObject::KIND_GROUP ? node->GetName() : nullptr);
    ok = ok && w.WriteF32(node->position.x) && w.WriteF32(node->position.y) && w.WriteF32(node->position.z);
    ok = ok && w.WriteF32(node->angle) && w.WriteF32(node->angle2) && w.WriteF32(node->scale);
    ok = ok && w.WriteI32(node->lightColour) && w.WriteU32(uint32_t(kind));
    switch (kind) {
    case CWorldObject::KIND_GROUP:
        ok = ok && w.WriteBool(node->groupFlag);
        break;
    case CWorldObject::KIND_MODEL:
        ok = ok && w.WriteU32(NumberOf(node->ModelEntry()));
        break;
    case CWorldObject::KIND_OBJECT:
        ok = ok && w.WriteU32(NumberOf(node->Definition()));
        break;
    case CWorldObject::KIND_LIGHT:
        ok = ok && WriteLight(w, node->Light());
        break;
    case CWorldObject::KIND_GENERATOR: {
        const CTerrainRules fallback;
        const CTerrainRules* terrain = node->Terrain() ? node->Terrain() : &fallback;
        ok = ok && terrain->WriteRecord(w, node->GetName());
        break;
    }
    default:
        break;
    }
    ok = ok && w.WriteU32(uint32_t(node->connections.size()));
    for (const SConnection& c : node->connections)
        ok = ok && w.WriteU32(c.target ? NumberOf(c.target) : c.targetNumber) && w.WriteBool(c.flag != 0);
    if (node->objectLogic && node->objectLogic->ownDefinition) {
        // The kind written without own kind data is the definition's, found through the node.
        if (!node->objectLogic->worldNode)
            node->objectLogic->worldNode = node;
        ok = ok && node->objectLogic->SaveTaskLists(w);
    } else
        ok = ok && w.WriteU32(0);
    if (const SShadowTexture* shadow = node->shadowTexture) {
        ok = ok && w.WriteId(ChunkId("SHAD")) && w.WriteU32(shadow->width) && w.WriteU32(shadow->height);
        for (uint16_t p : shadow->pixels)
            ok = ok && w.WriteU16(p);
    } else {
        ok = ok && w.WriteU32(0);
    }
    return ok && w.EndChunk();
}

bool WriteWorldNodes(CWorldObject* first, CChunkWriter& w, bool skipRoot)
{
    for (CWorldObject* n = first; n; n = n->NextObject()) {
        if (!(skipRoot && n == first) && !WriteWorldNode(n, w))
            return false;
        if (n->firstChild && !WriteWorldNodes(n->FirstObject(), w, false))
            return false;
    }
    return true;
}

// ---------------------------------------------------------------- section

bool ReadNodeChunks(CChunkReader& data, CWorldObject* root, std::vector<CWorldObject*>& table,
                    bool extendBounds, std::string* error)
{
    CParentTable<CWorldObject> parents(table);
    const CModelNumbers models;
    bool ok = ReadSection(
        data,
        [&](const SChunkHeader& header, CChunkReader& body) {
            if (header.id != ChunkId("NODE")) {
                LogPrintf("Unknown chunkID!");
                NoteLoadLoss("Unknown chunk '%s' at offset %zu skipped", ChunkIdText(header.id).c_str(),
                             header.offset);
                return SECTION_CONTINUE;
            }
            auto* node = new CWorldObject;
            if (!ParseWorldNode(node, body, extendBounds, &models)) {
                NoteLoadLoss("Damaged NODE chunk at offset %zu skipped", header.offset);
                delete node;
                parents.Skip();
                return SECTION_CONTINUE;
            }
            const uint32_t parentNumber = node->index;
            const auto attached = parents.Attach(node, parentNumber);
            if (attached != parents.ATTACHED) {
                NoteLoadLoss("NODE chunk at offset %zu %s (%u), skipped", header.offset,
                             parents.Why(attached), parentNumber);
                delete node;
            }
            return SECTION_CONTINUE;
        },
        error);
    CWorldObject::ResolveConnections(root, root, table);
    return ok;
}

bool ReadWorldNodes(CChunkReader& data, CWorldObject* root, std::string* error)
{
    g_NodeTable.clear();
    g_NodeTable.push_back(root);
    g_NodeTable.push_back(root);
    g_WorldBounds = CBox::Empty;
    return ReadNodeChunks(data, root, g_NodeTable, true, error);
}
