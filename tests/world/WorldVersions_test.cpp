// Older chunk versions, written by the tests' own small writer, load as the
// format history says.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/world/WorldTestUtil.h"

using namespace worldtest;

namespace {

class WorldVersionsTest : public WorldTest
{
protected:
    // "WRLD", a model list with the entry "Wall" (number 2), then `body`, then "EOF ".
    bool Load(LegacyWriter& sections, std::string* error = nullptr)
    {
        LegacyWriter file;
        file.Marker("WRLD");
        file.Marker("LIST");
        file.Begin("MODL", 9);
        file.U32(1);
        file.Str("Wall");
        for (int i = 0; i < 3; ++i)
            file.U32(0);
        file.U32(0xFFFFFFFF);
        file.U32(0xFFFFFFFF);
        file.U32(0);
        file.U32(1);
        file.U32(0);
        file.Model("Wall");
        file.End();
        file.Marker("END ");
        std::vector<uint8_t> bytes = file.Bytes();
        bytes.insert(bytes.end(), sections.Bytes().begin(), sections.Bytes().end());
        LegacyWriter eof;
        eof.Marker("EOF ");
        bytes.insert(bytes.end(), eof.Bytes().begin(), eof.Bytes().end());
        return LoadWorldFromMemory(bytes.data(), bytes.size(), LOADWORLD_OPEN, "old.wld", error);
    }

    static void Head(LegacyWriter& w, uint32_t version, uint32_t parent, const char* name, float x, float y,
                     float z)
    {
        w.Begin("NODE", version);
        w.U32(parent);
        w.Str(name);
        w.F32(x);
        w.F32(y);
        w.F32(z);
        w.F32(0.5f); // angle
    }

    // The 20-word light block of versions up to 10, a spot light with cone angle `theta`.
    static void OldLight(LegacyWriter& w, float theta)
    {
        w.U32(0);
        w.U32(D3DLIGHT_SPOT);
        for (float c : {1.0f, 0.5f, 0.25f, 1.0f})
            w.F32(c);
        for (float p : {1.0f, 2.0f, 3.0f, 0.0f, -1.0f, 0.0f})
            w.F32(p);
        w.F32(50.0f); // range
        w.F32(7.0f);  // falloff
        w.F32(1.0f);
        w.F32(0.0f);
        w.F32(0.0f);
        w.F32(theta);
        w.F32(2.0f); // phi
        w.U32(0);
    }

    static CWorldObject* Child(int n)
    {
        CWorldObject* c = g_WorldRoot->FirstObject();
        while (c && n-- > 0)
            c = c->NextObject();
        return c;
    }
};

TEST_F(WorldVersionsTest, OldNodeVersionsLoadWithTheirFields)
{
    LegacyWriter w;
    w.Marker("OBJS");
    w.Begin("OBJ ", 6);
    w.Str("Door");
    w.U32(1);
    w.U32(0);
    w.U32(0);
    w.End();
    w.Marker("END ");
    w.Marker("TREE");
    // 2: version 0, a model reference, no connections; y beyond 1000 resets the position.
    Head(w, 0, 1, "Old", 5, 1500, 5);
    w.U32(2);
    w.End();
    // 3: version 2, type 1000 makes an object; one connection to node 2.
    Head(w, 2, 0, "Obj", 1, 0, 0);
    w.U32(1);
    w.U32(1000);
    w.U32(1);
    w.U32(2);
    w.End();
    // 4: version 3, a model instance with the second word that version 4 dropped.
    Head(w, 3, 1, "", 2, 0, 0);
    w.U32(1);
    w.U32(2);
    w.U32(99);
    w.U32(0);
    w.End();
    // 5: version 12, connection with its flag.
    Head(w, 12, 1, "", 3, 0, 0);
    w.F32(0.75f); // angle2
    w.U32(1);
    w.U32(2);
    w.U32(1);
    w.U32(2);
    w.U32(0xFFFFFFFF);
    w.U32(0); // no INFO
    w.End();
    w.Marker("END ");
    std::string error;
    ASSERT_TRUE(Load(w, &error)) << error;

    CModelEntry* wall = g_ModelListRoot->FirstEntry();
    CWorldObject* old = Child(0);
    ASSERT_NE(nullptr, old);
    EXPECT_STREQ("Old", old->GetName());
    EXPECT_EQ(CWorldObject::KIND_MODEL, old->objectKind);
    EXPECT_EQ(wall, old->ModelEntry());
    EXPECT_FLOAT_EQ(0.0f, old->position.y);
    EXPECT_FLOAT_EQ(0.0f, old->position.x);

    CWorldObject* obj = Child(1);
    EXPECT_EQ(CWorldObject::KIND_OBJECT, obj->objectKind);
    EXPECT_EQ(g_ObjectList, obj->Definition());
    EXPECT_STREQ("Obj", obj->GetName());
    ASSERT_EQ(1u, obj->connections.size());
    EXPECT_EQ(old, obj->connections[0].target);
    EXPECT_EQ(0, obj->connections[0].flag);

    CWorldObject* v3 = Child(2);
    EXPECT_EQ(wall, v3->ModelEntry());
    EXPECT_TRUE(v3->connections.empty());

    CWorldObject* v12 = Child(3);
    EXPECT_FLOAT_EQ(0.75f, v12->angle2);
    EXPECT_EQ(wall, v12->ModelEntry());
    ASSERT_EQ(1u, v12->connections.size());
    EXPECT_EQ(1, v12->connections[0].flag);
    EXPECT_EQ(3000, v12->connections[0].distance);
}

TEST_F(WorldVersionsTest, LightBlocksOfEveryVersionLoad)
{
    struct Case
    {
        uint32_t version;
        float theta, phi, falloff;
        uint32_t lightWord;
    };
    const Case cases[] = {
        {5, 0.8f, 1.0f, 1.0f, 0},   // one cone angle: theta 0.8 a, phi a, falloff 1
        {6, 1.0f, 2.0f, 7.0f, 0},   // one extra word after the block
        {8, 1.0f, 2.0f, 7.0f, 42},  // the light word
        {10, 1.0f, 2.0f, 7.0f, 42}, // groupFlag version, still 20 words
    };
    LegacyWriter w;
    w.Marker("TREE");
    for (const Case& c : cases) {
        Head(w, c.version, 1, "", 0, 0, 0);
        if (c.version >= 5)
            w.F32(0);
        w.U32(CWorldObject::KIND_LIGHT);
        OldLight(w, 1.0f);
        if (c.version == 6)
            w.U32(0xDEAD);
        if (c.version >= 8)
            w.U32(c.lightWord);
        w.U32(0);
        if (c.version >= 9)
            w.U32(0);
        w.End();
    }
    // Version 11: the 26-word block with specular and ambient.
    Head(w, 11, 1, "", 0, 0, 0);
    w.F32(0);
    w.U32(CWorldObject::KIND_LIGHT);
    w.U32(D3DLIGHT_POINT);
    for (int i = 0; i < 12; ++i)
        w.F32(0.1f * float(i + 1));
    for (int i = 0; i < 13; ++i)
        w.F32(float(i));
    w.U32(5);
    w.U32(0);
    w.U32(0);
    w.End();
    w.Marker("END ");
    std::string error;
    ASSERT_TRUE(Load(w, &error)) << error;

    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].version);
        const SWorldLight* light = Child(int(i))->Light();
        ASSERT_NE(nullptr, light);
        EXPECT_EQ(D3DLIGHT_SPOT, light->light.dltType);
        EXPECT_FLOAT_EQ(0.5f, light->light.dcvDiffuse.g);
        EXPECT_FLOAT_EQ(3.0f, light->light.dvPosition.z);
        EXPECT_FLOAT_EQ(-1.0f, light->light.dvDirection.y);
        EXPECT_FLOAT_EQ(50.0f, light->light.dvRange);
        EXPECT_FLOAT_EQ(cases[i].theta, light->light.dvTheta);
        EXPECT_FLOAT_EQ(cases[i].phi, light->light.dvPhi);
        EXPECT_FLOAT_EQ(cases[i].falloff, light->light.dvFalloff);
        EXPECT_FLOAT_EQ(0.0f, light->light.dcvSpecular.r);
        EXPECT_FLOAT_EQ(0.0f, light->light.dcvAmbient.a);
        EXPECT_EQ(cases[i].lightWord, light->lightWord);
    }
    const SWorldLight* modern = Child(4)->Light();
    ASSERT_NE(nullptr, modern);
    EXPECT_EQ(D3DLIGHT_POINT, modern->light.dltType);
    EXPECT_FLOAT_EQ(0.5f, modern->light.dcvSpecular.r);
    EXPECT_FLOAT_EQ(1.2f, modern->light.dcvAmbient.a);
    EXPECT_FLOAT_EQ(12.0f, modern->light.dvPhi);
    EXPECT_EQ(5u, modern->lightWord);
    EXPECT_EQ(5u, g_LightNodes.size());
}

TEST_F(WorldVersionsTest, OldModelEntriesWithCopiesAndOptionalFields)
{
    LegacyWriter w;
    w.Marker("LIST");
    // Version 2: three copies named by number.
    w.Begin("MODL", 2);
    w.U32(1);
    w.Str("Crate");
    w.U32(1);
    w.U32(3);
    w.Model("a");
    w.Model("b");
    w.Model("c");
    w.End();
    // Version 3: a replacing name and named copies.
    w.Begin("MODL", 3);
    w.U32(1);
    w.Str("Ignored");
    w.U32(1);
    w.U32(3);
    w.Str("Box");
    w.Model("a");
    w.Str("blue");
    w.Model("b");
    w.Str("");
    w.Model("c");
    w.End();
    // Version 6: flags A and B, then the camera slot (flag C and the indexes came later).
    w.Begin("MODL", 6);
    w.U32(1);
    w.Str("Cam");
    w.U32(0xFFFFFFFF);
    w.U32(0);
    w.U32(kCameraMarker);
    for (int i = 0; i < 6; ++i)
        w.F32(float(i));
    w.U32(8);
    w.U32(7);
    w.U32(9);
    w.U32(10);
    w.U32(1);
    w.Model("cam");
    w.End();
    w.Marker("END ");
    std::string error;
    ASSERT_TRUE(Load(w, &error)) << error;

    std::vector<CModelEntry*> entries;
    for (CModelEntry* e = g_ModelListRoot->FirstEntry(); e; e = e->NextEntry())
        entries.push_back(e);
    ASSERT_EQ(8u, entries.size());
    const char* names[] = {"Wall", "Crate",      "Crate [Copy 1]", "Crate [Copy 2]",
                           "Box",  "Box [blue]", "Box [Copy 2]",   "Cam"};
    for (size_t i = 0; i < entries.size(); ++i) {
        EXPECT_STREQ(names[i], entries[i]->GetName());
        EXPECT_NE(nullptr, entries[i]->model);
    }
    EXPECT_EQ(1, entries[2]->copyNumber);
    EXPECT_EQ(2, entries[3]->copyNumber);
    EXPECT_NE(entries[1]->model, entries[2]->model);
    CModelEntry* cam = entries[7];
    EXPECT_TRUE(cam->influencesCamera);
    EXPECT_FALSE(cam->noCameraCheck);
    EXPECT_FALSE(cam->antiGround);
    EXPECT_EQ(-1, cam->animIndex);
    ASSERT_NE(nullptr, cam->camera);
    EXPECT_EQ(7u, cam->camera->word7);
    EXPECT_EQ(8u, cam->camera->word8);
    EXPECT_FLOAT_EQ(4.0f, cam->camera->vectorB[1]);
    EXPECT_EQ(g_ModelsTree, cam->group);
}

TEST_F(WorldVersionsTest, OldObjectDefinitionsLoad)
{
    LegacyWriter w;
    w.Marker("OBJS");
    // Version 0: an extra word after the model number; no value, flags or attachments.
    w.Begin("OBJ ", 0);
    w.Str("Old");
    w.U32(1);
    w.Str("CLOSED");
    w.U32(2);
    w.U32(1234);
    w.F32(1.0f);
    w.F32(3.0f);
    w.U32(50);
    w.End();
    // Version 4: value and flags, an "INFO" chunk, but no group yet.
    w.Begin("OBJ ", 4);
    w.Str("Newer");
    w.U32(1);
    w.Str("OPEN");
    w.U32(0);
    w.F32(0.0f);
    w.F32(0.0f);
    w.U32(100);
    w.F32(9.0f);
    w.U32(0xFFFFFFFF);
    w.U32(0);
    w.w.WriteId(ChunkId("INFO"));
    w.w.WriteId(20);
    w.U32(3);
    w.U32(7); // a door
    w.U32(5); // its recorder id
    w.Marker("END ");
    w.End();
    w.Marker("END ");
    std::string error;
    ASSERT_TRUE(Load(w, &error)) << error;

    CObjectNode* old = g_ObjectList;
    ASSERT_NE(nullptr, old);
    EXPECT_STREQ("Old", old->name);
    ASSERT_NE(nullptr, old->firstState);
    EXPECT_EQ(g_ModelListRoot->FirstEntry(), old->firstState->modelEntry);
    EXPECT_FLOAT_EQ(-100.0f, old->firstState->value);
    EXPECT_EQ(50, old->firstState->animSpeed);
    EXPECT_FLOAT_EQ(2.0f, old->firstState->GetAnimTime(2000));
    ASSERT_NE(nullptr, old->objectLogic);
    EXPECT_FALSE(old->objectLogic->ownDefinition);

    CObjectNode* newer = old->NextDefinition();
    ASSERT_NE(nullptr, newer);
    EXPECT_EQ(nullptr, newer->group);
    EXPECT_FLOAT_EQ(9.0f, newer->firstState->value);
    EXPECT_EQ(1, newer->firstState->flagA);
    EXPECT_EQ(nullptr, newer->firstState->modelEntry);
    ASSERT_NE(nullptr, newer->objectLogic);
    EXPECT_TRUE(newer->objectLogic->ownDefinition);
    EXPECT_EQ(5, newer->objectLogic->recorderId);

    // Written again: the missing group becomes the "Objects" root.
    CChunkWriter out;
    ASSERT_TRUE(WriteWorld(out));
    ClearWorld();
    ASSERT_TRUE(LoadWorldFromMemory(out.Data().data(), out.Data().size(), LOADWORLD_OPEN, "again.wld"));
    EXPECT_EQ(g_ObjectsTree, g_ObjectList->NextDefinition()->group);
    EXPECT_EQ(5, g_ObjectList->NextDefinition()->objectLogic->recorderId);
}

TEST_F(WorldVersionsTest, TerrainRecordsOfVersionTwoHaveNoSeedAndNoJitter)
{
    LegacyWriter w;
    w.Marker("TREE");
    Head(w, 15, 1, "", 0, 0, 0);
    w.F32(0);
    w.F32(1);
    w.U32(0xFFFFFFFF);
    w.U32(CWorldObject::KIND_GENERATOR);
    w.U32(2);
    w.Str("Field");
    for (float f : {20.0f, 25.0f, 30.0f, 30.0f, 1.0f, 1.0f, 8.0f})
        w.F32(f);
    for (int i = 0; i < 6; ++i)
        w.U32(uint32_t(i));
    w.U32(1);
    w.Str("field.bmp");
    w.Str("rules.txt");
    w.U32(0);
    w.U32(0);
    w.U32(0);
    w.End();
    w.Marker("END ");
    std::string error;
    ASSERT_TRUE(Load(w, &error)) << error;
    CWorldObject* node = Child(0);
    ASSERT_NE(nullptr, node->Terrain());
    const CTerrainRules& t = *node->Terrain();
    EXPECT_STREQ("Field", node->GetName());
    EXPECT_EQ(0u, t.seed);
    EXPECT_FLOAT_EQ(25.0f, t.depth);
    EXPECT_FLOAT_EQ(8.0f, t.maxHeight);
    EXPECT_EQ(5u, t.extra[3]);
    EXPECT_FLOAT_EQ(0.0f, t.randX);
    EXPECT_FLOAT_EQ(0.0f, t.randY);
    EXPECT_EQ("field.bmp", t.heightmapName);
    EXPECT_EQ("rules.txt", t.rulesPath);
}

} // namespace
