// Maya ASCII scenes through the model import dispatcher.
#include "tests/editor/ImportTestUtil.h"

#include <cstring>

#include "GAMES/Rulo2/editor/import/MayaImport.h"
#include "GAMES/Rulo2/world/CLocatorNode.h"
#include "GAMES/Rulo2/world/ModelImport.h"

using namespace importtest;

namespace {

const char* const kHeader = "//Maya ASCII 3.0 scene\n"
                            "//Name: cube.ma\n"
                            "requires maya \"3.0\";\n"
                            "currentUnit -linear centimeter -angle degree -time film;\n";

// One triangle from three edges (0 = (0, 1), 1 = (2, 1), 2 = (2, 0)) with
// texture points, below a transform; `transform` adds the transform's own
// statements. The points are split over two lines.
std::string Triangle(const std::string& transform = "", const std::string& mesh = "")
{
    return "createNode transform -name \"pCube1\";\n" + transform +
           "createNode mesh -name \"pCubeShape1\" -parent \"pCube1\";\n"
           "\tsetAttr -size 3 \".vrts[0:2]\"  0 0 0 1 0 0\n"
           "\t\t 0 1 0;\n"
           "\tsetAttr -size 3 \".edge[0:2]\"  0 1 0 2 1 0 2 0 0;\n"
           "\tsetAttr -size 3 \".uvpt[0:2]\" 0 0 1 0 0 1;\n" +
           mesh + "\tsetAttr -size 1 \".face[0]\" -type \"polyFaces\" f 3 0 -2 2 mf 3 0 1 2;\n";
}

class MayaImportTest : public ImportTest
{
protected:
    std::unique_ptr<CRootNode> Import(const std::string& text, const std::string& name = "scene.ma")
    {
        return std::unique_ptr<CRootNode>(ImportModelFile(Write(name, text).c_str()));
    }
    static CMeshNode* OnlyMesh(CRootNode* root)
    {
        const auto meshes = Meshes(root->FirstModelChild());
        return meshes.size() == 1 ? meshes[0] : nullptr;
    }
};

TEST_F(MayaImportTest, TheHeaderLineDecides)
{
    const struct
    {
        const char* head;
        bool taken;
    } cases[] = {
        {"//Maya ASCII 3.0 scene\n", true},     {"\n\n//Maya ASCII 3.0 scene\n", true},
        {"\t\t//Maya ASCII 3.0 scene\n", true}, {"  //Maya ASCII 3.0 scene\n", false},
        {"//Maya ASCII3.0 scene\n", false},     {"//Maya Binary 3.0 scene\n", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.head);
        std::unique_ptr<CRootNode> root(
            ImportMayaAscii(Write("head.ma", std::string(c.head) + Triangle()).c_str()));
        EXPECT_EQ(root != nullptr, c.taken);
    }
}

TEST_F(MayaImportTest, OnlyCentimetresDegreesAndFilmFramesAreTaken)
{
    const struct
    {
        const char* units;
        bool taken;
    } cases[] = {
        {"currentUnit -linear centimeter -angle degree -time film;\n", true},
        {"currentUnit -l centimeter;\n", false},
        {"currentUnit -linear meter;\n", false},
        {"currentUnit -angle radian;\n", false},
        {"currentUnit -time ntsc;\n", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.units);
        ClearLog();
        auto root = Import(std::string("//Maya ASCII 3.0 scene\n") + c.units + Triangle());
        EXPECT_EQ(root != nullptr, c.taken);
    }
}

TEST_F(MayaImportTest, ATriangleFromEdgesWithMaterialAnimationAndAxes)
{
    const std::string scene = std::string(kHeader) +
                              Triangle("\tsetAttr \".translate\" -type \"double3\" 1 2 3 ;\n"
                                       "\tsetAttr -keyable off \".visibility\";\n") +
                              "createNode lambert -name \"lambert2\";\n"
                              "\tsetAttr \".color\" -type \"float3\" 1 0 0 ;\n"
                              "createNode shadingEngine -name \"lambert2SG\";\n"
                              "createNode animCurveTL -name \"pCube1_translateX\";\n"
                              "\tsetAttr \".tangentType\" 9;\n"
                              "\tsetAttr -size 2 \".keyTimeValue[0:1]\"  0 0 24 1;\n"
                              "createNode nurbsSurface -name \"skipped\";\n"
                              "\tsetAttr \".whatever\" 1;\n"
                              "createNode nurbsCurve -name \"curve1\";\n"
                              "connectAttr \"pCube1_translateX.output\" \"pCube1.translateX\";\n"
                              "connectAttr \"lambert2.outColor\" \"lambert2SG.surfaceShader\";\n"
                              "connectAttr \"pCubeShape1.instObjGroups\" \"lambert2SG.dagSetMembers\";\n";
    auto root = Import(scene);
    ASSERT_TRUE(root);
    EXPECT_EQ(Name(root.get()), "scene");
    const auto top = Children(root.get());
    ASSERT_EQ(top.size(), 1u);
    ASSERT_EQ(top[0]->modelKind, CModelNode::KIND_FRAME);
    auto* frame = static_cast<CFrameNode*>(top[0]);
    EXPECT_EQ(Name(frame), "pCube1");
    EXPECT_FLOAT_EQ(frame->translation.y, 2.0f);
    EXPECT_FLOAT_EQ(frame->localMatrix[14], 3.0f);

    // Keys at frames 0 and 24: 0 and 1 second, on translate x.
    ASSERT_TRUE(frame->animation);
    ASSERT_EQ(frame->animation->keyCount[CHANNEL_TX], 2u);
    EXPECT_FLOAT_EQ(frame->animation->keys[CHANNEL_TX][0], 0.0f);
    EXPECT_FLOAT_EQ(frame->animation->keys[CHANNEL_TX][1], 1.0f);
    EXPECT_FLOAT_EQ(frame->animation->keys[CHANNEL_TX][3], 1.0f);
    EXPECT_EQ(frame->animation->easing, 1);

    CMeshNode* mesh = OnlyMesh(root.get());
    ASSERT_TRUE(mesh);
    ASSERT_EQ(mesh->vertexCount, 3);
    ASSERT_EQ(mesh->triangleCount, 1);
    // f 3 0 -2 2: the corners 0, 1, 2.
    EXPECT_EQ(mesh->indices[0], 0);
    EXPECT_EQ(mesh->indices[1], 1);
    EXPECT_EQ(mesh->indices[2], 2);
    EXPECT_FLOAT_EQ(mesh->vertices[1].u, 1.0f);
    EXPECT_FLOAT_EQ(mesh->vertices[2].v, 1.0f);
    // (b - a) x (c - b) is +z; normals are the reversed sum.
    EXPECT_FLOAT_EQ(mesh->vertices[0].nz, -1.0f);
    ASSERT_EQ(mesh->materialCount, 1);
    const float* colour = mesh->materials[0].surface->colour;
    EXPECT_FLOAT_EQ(colour[0], 1.0f);
    EXPECT_FLOAT_EQ(colour[1], 0.0f);
    EXPECT_FLOAT_EQ(colour[3], 1.0f);
    EXPECT_FLOAT_EQ(colour[4], 1.0f);

    // The root turns Maya's axes: the point (1, 2, 3) ends at (-1, 3, -2).
    CVector p(1, 2, 3);
    p.transform(root->fileMatrix);
    EXPECT_NEAR(p.x, -1.0f, 1e-6f);
    EXPECT_NEAR(p.y, 3.0f, 1e-6f);
    EXPECT_NEAR(p.z, -2.0f, 1e-6f);

    EXPECT_TRUE(Logged("Unknown node-type 'nurbsCurve'"));
    EXPECT_FALSE(Logged("nurbsSurface"));
    EXPECT_FALSE(Logged("whatever"));
    ExpectSavesAndLoads(root.get(), Path("scene.tmf"));
}

TEST_F(MayaImportTest, ACrLfCopyImportsLikeTheOriginal)
{
    std::string scene = std::string(kHeader) + Triangle();
    std::string crlf;
    for (char c : scene)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    auto a = Import(scene, "unix.ma");
    auto b = Import(crlf, "dos.ma");
    ASSERT_TRUE(a);
    ASSERT_TRUE(b);
    CMeshNode* ma = OnlyMesh(a.get());
    CMeshNode* mb = OnlyMesh(b.get());
    ASSERT_TRUE(ma && mb);
    ASSERT_EQ(ma->vertexCount, mb->vertexCount);
    ASSERT_EQ(ma->indexCount, mb->indexCount);
    for (int i = 0; i < ma->vertexCount; ++i)
        EXPECT_EQ(std::memcmp(&ma->vertices[i], &mb->vertices[i], sizeof(MeshVertex)), 0) << i;
}

// The winding turns for ".opposite" and for each mirrored axis of the parent.
TEST_F(MayaImportTest, MirroredParentsAndOppositeTurnTheWinding)
{
    const struct
    {
        const char* scale;
        const char* opposite;
        bool reversed;
    } cases[] = {
        {"", "", false},
        {"\tsetAttr \".scale\" -type \"double3\" -1 1 1 ;\n", "", true},
        {"", "\tsetAttr \".opposite\" yes;\n", true},
        {"\tsetAttr \".scale\" -type \"double3\" -1 1 1 ;\n", "\tsetAttr \".opposite\" yes;\n", false},
        {"\tsetAttr \".scale\" -type \"double3\" -1 -1 1 ;\n", "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.scale) + c.opposite);
        auto root = Import(std::string(kHeader) + Triangle(c.scale, c.opposite));
        ASSERT_TRUE(root);
        CMeshNode* mesh = OnlyMesh(root.get());
        ASSERT_TRUE(mesh);
        ASSERT_EQ(mesh->indexCount, 3);
        EXPECT_EQ(mesh->indices[1], c.reversed ? 2 : 1);
        EXPECT_EQ(mesh->indices[2], c.reversed ? 1 : 2);
    }
}

// Two object groups give two materials; shading groups colour each one and a
// file texture names the material's texture.
TEST_F(MayaImportTest, ObjectGroupsBecomeMaterials)
{
    const std::string scene =
        std::string(kHeader) +
        "createNode transform -name \"quad\";\n"
        "createNode mesh -name \"quadShape\" -parent \"quad\";\n"
        "\tsetAttr \".instObjGroups[0].objectGroups[0].objectGrpCompList\" -type \"componentList\" 1 "
        "\"f[0]\";\n"
        "\tsetAttr \".instObjGroups[0].objectGroups[1].objectGrpCompList\" -type \"componentList\" 1 "
        "\"f[1]\";\n"
        "\tsetAttr \".instObjGroups[0].objectGroups[1].objectGroupId\" 7;\n"
        "\tsetAttr -size 4 \".vrts[0:3]\" 0 0 0 1 0 0 1 1 0 0 1 0;\n"
        "\tsetAttr -size 5 \".edge[0:4]\" 0 1 0 1 2 0 2 0 0 2 3 0 3 0 0;\n"
        "\tsetAttr -size 4 \".uvpt[0:3]\" 0 0 1 0 1 1 0 1;\n"
        "\tsetAttr -size 2 \".face[0:1]\" -type \"polyFaces\" f 3 0 1 2 mf 3 0 1 2 f 3 -3 3 4 mf 3 3 2 3;\n"
        "createNode blinn -name \"blue\";\n"
        "\tsetAttr \".color\" -type \"float3\" 0 0 1 ;\n"
        "\tsetAttr \".transparency\" -type \"float3\" 0.25 0.25 0.25 ;\n"
        "\tsetAttr \".shininess\" 3;\n"
        "createNode shadingEngine -name \"blueSG\";\n"
        "createNode file -name \"bricks\";\n"
        "\tsetAttr \".fileTextureName\" -type \"string\" \"C:/maps/bricks.tga\";\n"
        "connectAttr \"blue.outColor\" \"blueSG.surfaceShader\";\n"
        "connectAttr \"bricks.outColor\" \"blue.color\";\n"
        "connectAttr \"quadShape.instObjGroups[0].objectGroups[1]\" \"blueSG.dagSetMembers\";\n";
    auto root = Import(scene);
    ASSERT_TRUE(root);
    CMeshNode* mesh = OnlyMesh(root.get());
    ASSERT_TRUE(mesh);
    ASSERT_EQ(mesh->materialCount, 2);
    EXPECT_EQ(mesh->triangleCount, 2);
    // Each material has its own copy of the three corners it uses.
    EXPECT_EQ(mesh->vertexCount, 6);
    const float* grey = mesh->materials[0].surface->colour;
    EXPECT_FLOAT_EQ(grey[0], 0.5f);
    EXPECT_TRUE(mesh->materials[0].textureName.empty());
    const float* blue = mesh->materials[1].surface->colour;
    EXPECT_FLOAT_EQ(blue[0], 0.0f);
    EXPECT_FLOAT_EQ(blue[2], 1.0f);
    EXPECT_FLOAT_EQ(blue[3], 0.25f);
    EXPECT_EQ(mesh->materials[1].textureName, "C:/maps/bricks.tga");
    EXPECT_TRUE(Logged("Unknown parameter '.shininess' in MaterialNode 'blue'"));
    ExpectSavesAndLoads(root.get(), Path("groups.tmf"));
}

TEST_F(MayaImportTest, APointWithTwoTexturePointsIsCopiedOnce)
{
    const std::string scene = std::string(kHeader) +
                              "createNode mesh -name \"quadShape\";\n"
                              "\tsetAttr -size 4 \".vrts[0:3]\" 0 0 0 1 0 0 1 1 0 0 1 0;\n"
                              "\tsetAttr -size 5 \".edge[0:4]\" 0 1 0 1 2 0 2 0 0 2 3 0 3 0 0;\n"
                              "\tsetAttr -size 4 \".uvpt[0:3]\" 0 0 1 0 1 1 0 1;\n"
                              "\tsetAttr -size 3 \".face[0:2]\" -type \"polyFaces\" f 3 0 1 2 mf 3 0 1 2 "
                              "f 3 -3 3 4 mf 3 3 2 3 f 3 -3 3 4 mf 3 3 2 3;\n";
    auto root = Import(scene);
    ASSERT_TRUE(root);
    CMeshNode* mesh = OnlyMesh(root.get());
    ASSERT_TRUE(mesh);
    EXPECT_EQ(mesh->triangleCount, 3);
    // Point 0 has texture point 0 in the first face and 3 in the others.
    ASSERT_EQ(mesh->vertexCount, 5);
    EXPECT_FLOAT_EQ(mesh->vertices[4].x, 0.0f);
    EXPECT_FLOAT_EQ(mesh->vertices[4].v, 1.0f);
    EXPECT_FLOAT_EQ(mesh->vertices[4].nz, mesh->vertices[0].nz);
    EXPECT_EQ(mesh->indices[3], 4);
    EXPECT_EQ(mesh->indices[6], 4);
}

TEST_F(MayaImportTest, JointsLocatorsAndPointAnimation)
{
    const std::string scene = std::string(kHeader) + Triangle() +
                              "createNode joint -name \"hip\";\n"
                              "\tsetAttr \".jointOrient\" -type \"double3\" 0 90 0 ;\n"
                              "\tsetAttr \".minRotLimit\" -type \"double3\" -360 -360 -360 ;\n"
                              "createNode locator -name \"snapper1\" -parent \"hip\";\n"
                              "\tsetAttr \".localPosition\" -type \"double3\" 0 0 0 ;\n"
                              "createNode locator -name \"lost\" -parent \"nowhere\";\n"
                              "createNode animCurveTL -name \"pCubeShape1_pnts1pntx\";\n"
                              "\tsetAttr -size 2 \".keyTimeValue[0:1]\" 0 0 12 2;\n"
                              "createNode animCurveTA -name \"hip_rotateY\";\n"
                              "\tsetAttr -size 2 \".keyTimeValue[0:1]\" 0 0 24 180;\n"
                              "createNode animCurveTU -name \"hip_visibility\";\n"
                              "\tsetAttr -size 1 \".keyTimeValue[0]\" 0 1;\n"
                              "createNode animCurveTL -name \"hip_wobble\";\n";
    auto root = Import(scene);
    ASSERT_TRUE(root);
    const auto top = Children(root.get());
    ASSERT_EQ(top.size(), 2u);
    ASSERT_EQ(top[1]->modelKind, CModelNode::KIND_JOINT);
    auto* hip = static_cast<CJointNode*>(top[1]);
    EXPECT_NEAR(hip->jointOrient[8], 1.0f, 1e-6f); // a quarter turn about y
    ASSERT_TRUE(hip->animation);
    ASSERT_EQ(hip->animation->keyCount[CHANNEL_RY], 2u);
    EXPECT_FLOAT_EQ(hip->animation->keys[CHANNEL_RY][3], 3.1415927f);
    const auto underHip = Children(hip);
    ASSERT_EQ(underHip.size(), 1u);
    EXPECT_EQ(underHip[0]->modelKind, CModelNode::KIND_LOCATOR);
    EXPECT_TRUE(Logged("Couldn't find parent 'nowhere' for LocatorNode 'lost'"));
    EXPECT_TRUE(Logged("Unknown anim-type 'wobble' for AnimCurveNode 'hip_wobble'"));

    CMeshNode* mesh = OnlyMesh(root.get());
    ASSERT_TRUE(mesh);
    ASSERT_TRUE(mesh->vertexTracks);
    EXPECT_EQ(mesh->vertexTracks->next, nullptr);
    ASSERT_EQ(mesh->vertexTracks->count, 1);
    EXPECT_EQ(mesh->vertexTracks->vertexIndexes[0], 1);
    EXPECT_EQ(mesh->vertexTracks->keyCount[0], 2);
    EXPECT_FLOAT_EQ(mesh->vertexTracks->base[0], 1.0f);
    EXPECT_FLOAT_EQ(mesh->vertexTracks->keys[0][1], 0.5f);
    ExpectSavesAndLoads(root.get(), Path("rig.tmf"));
}

// Damaged statements are dropped with a line that names file and line; the
// import goes on and never reads or writes past an array.
TEST_F(MayaImportTest, DamagedStatementsAreDroppedWithTheirLine)
{
    const struct
    {
        const char* extra; // statements of the mesh, before its face list
        const char* face;
        int triangles;
        const char* logged;
    } cases[] = {
        {"", "f 3 0 1 7", 0, "names edge 7 of 3: left out"},
        {"", "f 3 0 -9 2", 0, "names edge -9 of 3: left out"},
        {"\tsetAttr -size 3 \".edge[3]\" 0 9 0;\n", "f 3 3 -2 2", 0,
         "edge[3:3] of mesh 'pCubeShape1' outside its 3"},
        {"\tsetAttr \".edge[3]\" 0 9 0;\n", "f 3 3 -2 2", 0, "names point 9 of 3: left out"},
        {"", "f 3 0 -2 2 mf 3 0 1 5", 1,
         "texture point 5 of mesh 'pCubeShape1' outside its 3 texture points"},
        {"", "f 3 0 -2 2 mf 2 0 1", 1,
         "Number of texture-vertices doesn't match with number of model-vertices"},
        {"\tsetAttr -size 3 \".vrts[2:4]\" 0 0 0 0 0 0 0 0 0;\n", "f 3 0 -2 2", 1,
         ".vrts[2:4] of mesh 'pCubeShape1'"},
        {"\tsetAttr \".instObjGroups[0].objectGroups[0].objectGrpCompList\" -type \"componentList\" 1 "
         "\"f[0:9]\";\n",
         "f 3 0 -2 2", 1, "faces f[0:9] of object group 0 outside the 1 faces"},
        {"\tsetAttr \".bogus[0]\" 1 2 3;\n", "f 3 0 -2 2", 1,
         "Unknown parameter '.bogus[0]' in MeshNode 'pCubeShape1'"},
        {"", "f 3 0 -2 2 q 1 2", 1, "Unknown parameter 'q' in MeshNode 'pCubeShape1'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.logged);
        ClearLog();
        const std::string scene = std::string(kHeader) +
                                  "createNode transform -name \"pCube1\";\n"
                                  "createNode mesh -name \"pCubeShape1\" -parent \"pCube1\";\n"
                                  "\tsetAttr -size 3 \".vrts[0:2]\"  0 0 0 1 0 0 0 1 0;\n"
                                  "\tsetAttr -size 3 \".edge[0:2]\"  0 1 0 2 1 0 2 0 0;\n"
                                  "\tsetAttr -size 3 \".uvpt[0:2]\" 0 0 1 0 0 1;\n" +
                                  c.extra + "\tsetAttr -size 1 \".face[0]\" -type \"polyFaces\" " + c.face +
                                  ";\n";
        auto root = Import(scene);
        ASSERT_TRUE(root);
        CMeshNode* mesh = OnlyMesh(root.get());
        ASSERT_TRUE(mesh);
        EXPECT_EQ(mesh->triangleCount, c.triangles);
        EXPECT_TRUE(Logged(c.logged)) << Log();
    }
    // Keys beyond the "-size" count go, with a line.
    ClearLog();
    auto root = Import(std::string(kHeader) + Triangle() +
                       "createNode animCurveTL -name \"pCube1_translateY\";\n"
                       "\tsetAttr -size 2 \".keyTimeValue[0:3]\" 0 0 24 1 48 2 72 3;\n"
                       "createNode animCurveTL -name \"pCube1_translateZ\";\n"
                       "\tsetAttr \".keyTimeValue[5]\" 0 0;\n");
    ASSERT_TRUE(root);
    auto* frame = static_cast<CFrameNode*>(Children(root.get())[0]);
    ASSERT_TRUE(frame->animation);
    EXPECT_EQ(frame->animation->keyCount[CHANNEL_TY], 2u);
    EXPECT_TRUE(Logged("scene.ma:13: key 2 of curve 'pCube1_translateY' beyond its 2 keys dropped")) << Log();
    EXPECT_TRUE(Logged("key 5 of curve 'pCube1_translateZ' beyond its 1 keys dropped")) << Log();
}

// A chain of parents deeper than a model file may hold, and counts far
// beyond the data: refused with a line, without reserving their memory.
TEST_F(MayaImportTest, DeepTreesAndHugeCountsStayBounded)
{
    std::string scene = std::string(kHeader) + "createNode transform -name \"t0\";\n";
    for (int i = 1; i <= 1001; ++i)
        scene += "createNode transform -name \"t" + std::to_string(i) + "\" -parent \"t" +
                 std::to_string(i - 1) + "\";\n";
    // A mesh at the bottom keeps the chain from being pruned as empty.
    scene += "createNode mesh -name \"leaf\" -parent \"t999\";\n"
             "\tsetAttr \".vrts[0:2]\" 0 0 0 1 0 0 0 1 0;\n"
             "\tsetAttr \".edge[0:2]\" 0 1 0 1 2 0 2 0 0;\n"
             "\tsetAttr \".face[0]\" -type \"polyFaces\" f 3 0 1 2;\n";
    scene += "createNode animCurveTL -name \"t0_translateX\";\n"
             "\tsetAttr -size 2000000000 \".keyTimeValue[1999999999]\" 0 1;\n"
             "createNode mesh -name \"far\";\n"
             "\tsetAttr \".vrts[2000000]\" 1 2 3;\n";
    auto root = Import(scene);
    ASSERT_TRUE(root);
    EXPECT_TRUE(Logged("FrameNode 't1000' lies deeper than 1000 nodes: left out")) << Log();
    EXPECT_TRUE(Logged("keys dropped: the file asks for more than the importer holds")) << Log();
    EXPECT_TRUE(Logged(".vrts[2000000:2000000] of mesh 'far' outside its")) << Log();
}

// Points that come after the face list get no vertex; a curve on one of them
// names no point of the mesh.
TEST_F(MayaImportTest, PointsAfterTheFaceListAreLeftOut)
{
    auto root = Import(std::string(kHeader) + Triangle() +
                       "\tsetAttr \".vrts[3:4]\" 5 5 5 6 6 6;\n"
                       "\tsetAttr \".face[1]\" -type \"polyFaces\" f 3 0 -2 2;\n"
                       "createNode animCurveTL -name \"pCubeShape1_pnts4pntx\";\n"
                       "\tsetAttr -size 2 \".keyTimeValue[0:1]\" 0 0 12 2;\n");
    ASSERT_TRUE(root);
    CMeshNode* mesh = OnlyMesh(root.get());
    ASSERT_TRUE(mesh);
    EXPECT_EQ(mesh->triangleCount, 2);
    EXPECT_EQ(mesh->vertexTracks, nullptr);
    EXPECT_TRUE(Logged("Point 4 animated by 'pCubeShape1' is no point of mesh 'pCubeShape1'")) << Log();
}

TEST_F(MayaImportTest, CutAndUnterminatedStatementsEndTheFileQuietly)
{
    const std::string whole = std::string(kHeader) + Triangle() +
                              "createNode file -name \"f1\";\n"
                              "\tsetAttr \".fileTextureName\" -type \"string\" \"open;\n";
    for (size_t n = 0; n <= whole.size(); n += 7) {
        CRootNode root;
        ImportMayaAsciiText(whole.substr(0, n), root, "cut.ma");
    }
}

} // namespace
