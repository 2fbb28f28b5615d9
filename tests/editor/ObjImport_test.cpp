// Wavefront OBJ files through the model import dispatcher.
#include "tests/editor/ImportTestUtil.h"

#include "GAMES/Rulo2/editor/import/ObjImport.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/ModelImport.h"
#include "GAMES/Rulo2/world/ModelListServices.h"

using namespace importtest;

namespace {

class ObjImportTest : public ImportTest
{
protected:
    // Imports through the dispatcher, as every caller of the program does.
    std::unique_ptr<CRootNode> Import(const std::string& name, const std::string& text)
    {
        return std::unique_ptr<CRootNode>(ImportModelFile(Write(name, text).c_str()));
    }
};

void ExpectVertex(const MeshVertex& v, CVector position, CVector normal, float u, float w)
{
    EXPECT_FLOAT_EQ(v.x, position.x);
    EXPECT_FLOAT_EQ(v.y, position.y);
    EXPECT_FLOAT_EQ(v.z, position.z);
    EXPECT_FLOAT_EQ(v.nx, normal.x);
    EXPECT_FLOAT_EQ(v.ny, normal.y);
    EXPECT_FLOAT_EQ(v.nz, normal.z);
    EXPECT_FLOAT_EQ(v.u, u);
    EXPECT_FLOAT_EQ(v.v, w);
}

const char* const kTriangle = "v 1 2 3\n"
                              "v 4 5 6\n"
                              "v 7 8 10\n"
                              "vt 0.1 0.2\n"
                              "vt 0.3 0.4\n"
                              "vt 0.5 0.6\n"
                              "vn 1 0 0\n"
                              "vn 0 1 0\n"
                              "vn 0 0 1\n";

TEST_F(ObjImportTest, AFaceGivesNewVerticesStoredAsYZX)
{
    auto root = Import("tri.obj", std::string(kTriangle) + "g Tri\nf 1/1/1 2/2/2 3/3/3\n");
    ASSERT_TRUE(root);
    EXPECT_EQ(Name(root.get()), "tri");
    auto meshes = Meshes(root->FirstModelChild());
    ASSERT_EQ(meshes.size(), 1u);
    CMeshNode* m = meshes[0];
    EXPECT_EQ(Name(m), "Tri");
    ASSERT_EQ(m->vertexCount, 3);
    EXPECT_EQ(m->triangleCount, 1);
    EXPECT_EQ(m->materialCount, 1);
    ExpectVertex(m->vertices[0], {2, 3, 1}, {0, 0, 1}, 0.1f, 0.2f);
    ExpectVertex(m->vertices[1], {5, 6, 4}, {1, 0, 0}, 0.3f, 0.4f);
    ExpectVertex(m->vertices[2], {8, 10, 7}, {0, 1, 0}, 0.5f, 0.6f);
    EXPECT_EQ(m->indices[0], 0);
    EXPECT_EQ(m->indices[1], 1);
    EXPECT_EQ(m->indices[2], 2);
    ExpectSavesAndLoads(root.get(), Path("tri.tmf"));
}

// Forms of one face line that must read alike: empty fields, runs of
// blanks and tabs, a CR before the line feed or at the very end.
TEST_F(ObjImportTest, BlanksAndLineEndsMakeNoFields)
{
    const char* const lines[] = {
        "f 1//1 2//2 3//3\n",
        "f  1//1\t 2//2   3//3 \n",
        "f 1//1 2//2 3//3\r\n",
        "f 1//1 2//2 3//3\r",
    };
    for (const char* line : lines) {
        SCOPED_TRACE(line);
        auto root = Import("faces.obj", std::string(kTriangle) + line);
        ASSERT_TRUE(root);
        auto meshes = Meshes(root->FirstModelChild());
        ASSERT_EQ(meshes.size(), 1u);
        ASSERT_EQ(meshes[0]->vertexCount, 3);
        EXPECT_EQ(meshes[0]->triangleCount, 1);
        ExpectVertex(meshes[0]->vertices[0], {2, 3, 1}, {0, 0, 1}, 0, 0);
        ExpectVertex(meshes[0]->vertices[2], {8, 10, 7}, {0, 1, 0}, 0, 0);
    }
    EXPECT_FALSE(Logged("left out"));
}

TEST_F(ObjImportTest, ThreePlainNumbersAreOneCorner)
{
    auto root = Import("corner.obj", std::string(kTriangle) + "f 1 2 3\n");
    ASSERT_TRUE(root);
    auto meshes = Meshes(root->FirstModelChild());
    ASSERT_EQ(meshes.size(), 1u);
    ASSERT_EQ(meshes[0]->vertexCount, 1);
    EXPECT_EQ(meshes[0]->triangleCount, 0);
    ExpectVertex(meshes[0]->vertices[0], {2, 3, 1}, {0, 1, 0}, 0.3f, 0.4f);
}

TEST_F(ObjImportTest, EachRunOfFacesIsAMeshIndexedFromTheFirstVertex)
{
    auto root = Import("two.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\n"
                                  "g first\nf 1//1 2//1 3//1\n"
                                  "v 0 0 5\nv 1 0 5\nv 0 1 5\n"
                                  "vn 0 0 1\n"
                                  "g second\nf 4//1 5//1 6//1\n");
    ASSERT_TRUE(root);
    auto meshes = Meshes(root->FirstModelChild());
    ASSERT_EQ(meshes.size(), 2u);
    EXPECT_EQ(Name(meshes[0]), "first");
    EXPECT_EQ(Name(meshes[1]), "second");
    ASSERT_EQ(meshes[1]->vertexCount, 3);
    // Position 4 of the file is (0, 0, 5): stored as (0, 5, 0).
    ExpectVertex(meshes[1]->vertices[0], {0, 5, 0}, {0, 1, 0}, 0, 0);
    ExpectSavesAndLoads(root.get(), Path("two.tmf"));
}

TEST_F(ObjImportTest, NegativeIndicesCountBackFromTheEndOfTheirList)
{
    auto root = Import("relative.obj", std::string(kTriangle) + "f -3/-1/-2 -2/-2/-2 -1/-3/-2\n");
    ASSERT_TRUE(root);
    auto meshes = Meshes(root->FirstModelChild());
    ASSERT_EQ(meshes.size(), 1u);
    ASSERT_EQ(meshes[0]->vertexCount, 3);
    ExpectVertex(meshes[0]->vertices[0], {2, 3, 1}, {1, 0, 0}, 0.5f, 0.6f);
    ExpectVertex(meshes[0]->vertices[2], {8, 10, 7}, {1, 0, 0}, 0.1f, 0.2f);
}

TEST_F(ObjImportTest, BadIndicesLeaveOutTheFaceOrTheirValue)
{
    // Line 10: position 9 does not exist: the face goes. Line 11: texture 7
    // and normal 0 do not exist: corners without them, normals computed.
    auto root = Import("bad.obj", std::string(kTriangle) + "f 1/1/1 9/2/2 3/3/3\n"
                                                           "f 1/7/0 2//-9 3/1/5\n");
    ASSERT_TRUE(root);
    auto meshes = Meshes(root->FirstModelChild());
    ASSERT_EQ(meshes.size(), 1u);
    CMeshNode* m = meshes[0];
    ASSERT_EQ(m->vertexCount, 3);
    EXPECT_EQ(m->triangleCount, 1);
    EXPECT_FLOAT_EQ(m->vertices[0].u, 0.0f);
    EXPECT_FLOAT_EQ(m->vertices[2].u, 0.1f);
    for (int i = 0; i < 3; ++i) {
        const MeshVertex& v = m->vertices[i];
        EXPECT_NEAR(v.nx * v.nx + v.ny * v.ny + v.nz * v.nz, 1.0f, 1e-5f) << "computed normal " << i;
    }
    EXPECT_TRUE(Logged("bad.obj:10:9: face left out: position index 9 outside the 3 positions"));
    EXPECT_TRUE(Logged("bad.obj:11:3: texture index 7 outside the 3 in the file"));
}

TEST_F(ObjImportTest, OnlyFilesThatStartWithAPositionAreTaken)
{
    for (const char* text : {"# comment\nv 0 0 0\n", "v\t1 2 3\n", "", "vn 0 0 1\nv 0 0 0\n"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(Import("other.obj", text), nullptr);
    }
}

TEST_F(ObjImportTest, ReplaceModelTakesAnObj)
{
    auto* entry = new CModelEntry;
    entry->SetName("old");
    entry->model = new CRootNode();
    g_ModelListRoot->AddChild(entry);
    ASSERT_TRUE(ReplaceModelFromFile(
        entry, Write("Crate.obj", std::string(kTriangle) + "f 1//1 2//2 3//3\n").c_str()));
    EXPECT_STREQ(entry->GetName(), "Crate");
    ASSERT_EQ(Meshes(entry->model->FirstModelChild()).size(), 1u);
    EXPECT_EQ(entry->model->triangleCount, 1u);
}

TEST_F(ObjImportTest, FilesOfAnotherProgram)
{
    // Numbers in every form; the face "f 1 2 4" names texture 2 and normal 4
    // of lists that do not exist.
    auto root = std::unique_ptr<CRootNode>(
        ImportModelFile(PackageFile("/usr/share/assimp/models/OBJ/number_formats.obj").c_str()));
    ASSERT_TRUE(root);
    auto meshes = Meshes(root->FirstModelChild());
    ASSERT_EQ(meshes.size(), 1u);
    ASSERT_EQ(meshes[0]->vertexCount, 1);
    EXPECT_EQ(meshes[0]->triangleCount, 0);
    EXPECT_FLOAT_EQ(meshes[0]->vertices[0].x, 0.0f);
    EXPECT_TRUE(Logged("number_formats.obj:"));
    // A comment first: not an OBJ file to this reader.
    EXPECT_EQ(ImportModelFile(PackageFile("/usr/share/assimp/models/OBJ/box.obj").c_str()), nullptr);
}

} // namespace
