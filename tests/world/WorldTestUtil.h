#pragma once
// A small world built in code, a writer for older chunk versions, and a fixture
// that gives every test an empty world in editor mode.
#include <gtest/gtest.h>

#include <bit>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

#include "GAMES/Rulo2/Model.h"
#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/TaskTypeTable.h"
#include "GAMES/Rulo2/editor/terrain/CTerrainRules.h"
#include "GAMES/Rulo2/world/CFrameNode.h"
#include "GAMES/Rulo2/world/CMacro.h"
#include "GAMES/Rulo2/world/CMeshNode.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/WorldFile.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"

namespace worldtest {

namespace fs = std::filesystem;

inline std::vector<uint8_t> ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const fs::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// A model as a world file holds it: written by the model writer and read back.
inline CRootNode* MakeModel(const char* name, float size)
{
    CRootNode built;
    built.SetName(name);
    auto* frame = static_cast<CFrameNode*>(built.AddChild(new CFrameNode("Frame")));
    frame->scaling = CVector(1, 1, 1);
    auto* mesh = static_cast<CMeshNode*>(frame->AddChild(new CMeshNode("Mesh")));
    const MeshVertex v[] = {
        {0, 0, 0, 0, 1, 0, 0, 0, 0, 0}, {size, 0, 0, 0, 1, 0, 1, 0, 1, 0}, {0, 0, size, 0, 1, 0, 0, 1, 0, 1}};
    mesh->SetVertices(v, 3);
    const uint16_t idx[] = {0, 1, 2};
    mesh->SetIndices(idx, 3);
    CChunkWriter w;
    EXPECT_TRUE(built.SaveToMemory(w));
    auto* root = new CRootNode;
    EXPECT_TRUE(ParseTmfChunks(w.Data().data(), w.Data().size(), root).ok);
    return root;
}

inline CModelEntry* AddEntry(const char* name, CNode* group, float size)
{
    auto* e = new CModelEntry;
    e->SetName(name);
    e->group = group;
    e->model = MakeModel(name, size);
    g_ModelListRoot->AddChild(e);
    return e;
}

inline CWorldObject* AddNode(CNode* parent, int kind, const char* name = nullptr)
{
    auto* n = new CWorldObject(name);
    n->objectKind = kind;
    parent->AddChild(n);
    return n;
}

struct SSampleWorld
{
    CModelEntry* wall = nullptr;
    CModelEntry* door = nullptr;
    CModelEntry* doorOpen = nullptr;
    CObjectNode* doorDef = nullptr;
    CObjectNode* safeDef = nullptr;
    CWorldObject* house = nullptr;
    CWorldObject* a = nullptr;
    CWorldObject* b = nullptr;
    CWorldObject* object = nullptr;
    CWorldObject* spot = nullptr;
    CWorldObject* terrain = nullptr;
};

// Folder trees, three models (one with a camera and points), two object
// definitions with named states, macros in a folder, and a world tree with
// groups, model instances, objects, point and spot lights, a terrain and path
// connections.
inline SSampleWorld BuildSampleWorld()
{
    SSampleWorld s;
    CNode* buildings = g_ModelsTree->AddChild(new CNode("Buildings"));
    CNode* doors = buildings->AddChild(new CNode("Doors"));
    CNode* objDoors = g_ObjectsTree->AddChild(new CNode("Doors"));
    g_ObjectsTree->AddChild(new CNode("Safes"));

    s.wall = AddEntry("Wall", buildings, 2.0f);
    s.wall->influencesCamera = true;
    s.wall->antiGround = true;
    s.wall->animIndex = 3;
    s.wall->camera = new SModelCamera{{1, 2, 3}, {4, 5, 6}, 7, 8, 9, 10};
    s.wall->points.push_back({{1, 2, 3, 4}});
    s.wall->points.push_back({{5, 6, 7, 8}});
    s.door = AddEntry("Door", doors, 1.0f);
    s.doorOpen = AddEntry("DoorOpen", doors, 1.5f);

    s.doorDef = new CObjectNode("FrontDoor");
    s.doorDef->group = objDoors;
    CObjectState* closed = s.doorDef->AddState("CLOSED");
    closed->modelEntry = s.door;
    closed->animStart = 0.5f;
    closed->animEnd = 2.0f;
    closed->animSpeed = 100;
    closed->value = 3.0f;
    closed->flagA = 1;
    SStateAttachment att;
    std::snprintf(att.name, sizeof att.name, "%s", "hinge");
    att.value = 77;
    closed->attachments.push_back(att);
    CObjectState* open = s.doorDef->AddState("OPEN");
    open->modelEntry = s.doorOpen;
    s.doorDef->objectLogic = new CObjectLogic;
    s.doorDef->objectLogic->ownKindData = CKindData::Create(KIND_DOOR);
    s.doorDef->objectLogic->ownKindData->name = "FrontDoor";
    s.doorDef->objectLogic->ownTaskList = std::make_unique<CTaskList>();
    s.doorDef->objectLogic->ownTaskList->AddTask(std::make_unique<CTaskItem>(0, TaskTypeByName("Door")));
    s.doorDef->objectLogic->ownDefinition = 1;
    s.safeDef = new CObjectNode("Safe");
    s.safeDef->AddState("LOCKED")->modelEntry = s.wall;

    auto* folder = new CMacro;
    folder->SetName("Furniture");
    g_MacroListRoot->AddChild(folder);
    auto* macro = new CMacro;
    macro->SetName("TwoWalls");
    folder->AddChild(macro);
    macro->content = new CWorldObject;
    CWorldObject* m1 = AddNode(macro->content, CWorldObject::KIND_MODEL);
    m1->reference = s.wall;
    CWorldObject* m2 = AddNode(macro->content, CWorldObject::KIND_MODEL);
    m2->reference = s.wall;
    m2->position = CVector(2, 0, 0);
    m1->AddConnection(m2, true);
    m2->AddConnection(m1, true);

    s.house = AddNode(g_WorldRoot, CWorldObject::KIND_GROUP, "Haus1");
    s.house->groupFlag = true;
    CWorldObject* inside = AddNode(s.house, CWorldObject::KIND_GROUP, "innen");
    s.a = AddNode(inside, CWorldObject::KIND_MODEL);
    s.a->reference = s.wall;
    s.a->position = CVector(1, 0, 2);
    s.a->angle = 0.5f;
    s.a->angle2 = 0.25f;
    s.a->scale = 1.5f;
    s.a->lightColour = 0x123456;
    s.b = AddNode(inside, CWorldObject::KIND_MODEL);
    s.b->reference = s.door;
    s.b->position = CVector(4, 0, 2);
    s.object = AddNode(s.house, CWorldObject::KIND_OBJECT);
    s.object->reference = s.doorDef;
    s.object->position = CVector(3, 0, 1);
    // Its own task list but the definition's kind data.
    s.object->objectLogic = new CObjectLogic;
    s.object->objectLogic->ownTaskList = std::make_unique<CTaskList>();
    s.object->objectLogic->ownTaskList->AddTask(std::make_unique<CTaskItem>(500, TASK_DO_NOTHING));
    s.object->objectLogic->recorderId = 1;
    s.object->objectLogic->ownDefinition = 1;
    s.object->shadowTexture = new SShadowTexture;
    s.object->shadowTexture->width = 3;
    s.object->shadowTexture->height = 1;
    s.object->shadowTexture->pixels = {0x1234, 0xFFFF, 0x0001};
    CWorldObject* safe = AddNode(s.house, CWorldObject::KIND_OBJECT);
    safe->reference = s.safeDef;
    s.a->AddConnection(s.b, false);
    s.b->AddConnection(s.a, false);
    s.b->AddConnection(s.object, true);
    s.object->AddConnection(s.b, true);

    CWorldObject* point = AddNode(g_WorldRoot, CWorldObject::KIND_LIGHT);
    SWorldLight* pl = point->MakeLight();
    pl->light.dvPosition = {1, 5, 1};
    pl->light.dcvSpecular = {0.5f, 0.5f, 0.5f, 1};
    pl->lightWord = 42;
    s.spot = AddNode(g_WorldRoot, CWorldObject::KIND_LIGHT);
    SWorldLight* sl = s.spot->MakeLight();
    sl->light.dltType = D3DLIGHT_SPOT;
    sl->light.dvDirection = {0, -1, 0};
    sl->light.dvTheta = 0.4f;
    sl->light.dvPhi = 0.8f;
    sl->light.dcvAmbient = {0.1f, 0.2f, 0.3f, 1};

    s.terrain = AddNode(g_WorldRoot, CWorldObject::KIND_GENERATOR, "Hills");
    auto* rules = new CTerrainRules;
    rules->owner = s.terrain;
    rules->seed = 1234;
    rules->width = 30.7f;
    rules->randX = 0.25f;
    rules->randY = 0.5f;
    rules->heightmapName = "hills.bmp";
    rules->rulesPath = "rules\\hills.txt";
    s.terrain->reference = rules;
    return s;
}

// Writes chunks of any version the way older programs did.
class LegacyWriter
{
public:
    CChunkWriter w;
    void Marker(const char (&id)[5]) { w.WriteMarker(ChunkId(id)); }
    void Begin(const char (&id)[5], uint32_t version) { w.BeginChunk(ChunkId(id), version); }
    void End() { w.EndChunk(); }
    void U32(uint32_t v) { w.WriteU32(v); }
    void F32(float v) { w.WriteF32(v); }
    void Str(const char* s) { w.WriteString(s); }
    void Model(const char* name)
    {
        CRootNode* m = MakeModel(name, 1.0f);
        m->SaveToMemory(w);
        delete m;
    }
    const std::vector<uint8_t>& Bytes() const { return w.Data(); }
};

// An empty world in editor mode, a temporary folder, the previous folder back afterwards.
class WorldTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        cwd = fs::current_path();
        GameModeFlag = 0;
        CreateWorldRoots();
        ClearWorld();
        dir = fs::temp_directory_path() / ("varek-world-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override
    {
        fs::current_path(cwd);
        ClearWorld();
        GameModeFlag = 1;
        fs::remove_all(dir);
    }
    std::string Path(const char* name) const { return (dir / name).string(); }

    fs::path cwd;
    fs::path dir;
};

} // namespace worldtest
