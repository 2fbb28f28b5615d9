// Model files imported into the model list.
#include <gtest/gtest.h>

#include "GAMES/Rulo2/world/ModelImport.h"
#include "tests/world/WorldTestUtil.h"

using namespace worldtest;

namespace {

class ModelImportTest : public WorldTest
{
protected:
    void TearDown() override
    {
        g_ModelImporters = SModelImporters();
        WorldTest::TearDown();
    }
};

CRootNode* g_fromX = nullptr;
int g_calls = 0;

TEST_F(ModelImportTest, AModelFileBecomesANewEntryNamedAfterIt)
{
    CRootNode* model = MakeModel("crate", 1.0f);
    const std::string path = Path("Crate.tmf");
    ASSERT_TRUE(model->Save(path.c_str()));
    delete model;
    ASSERT_TRUE(ImportModelFromProject(path.c_str()));
    CModelEntry* entry = g_ModelListRoot->FirstEntry();
    ASSERT_NE(nullptr, entry);
    EXPECT_STREQ("Crate", entry->GetName());
    ASSERT_NE(nullptr, entry->model);
    EXPECT_NE(nullptr, entry->model->FirstModelChild());
}

TEST_F(ModelImportTest, FilesOfNoKnownKindAddNothing)
{
    WriteBytes(dir / "notes.txt", {'h', 'e', 'l', 'l', 'o'});
    EXPECT_FALSE(ImportModelFromProject(Path("notes.txt").c_str()));
    EXPECT_FALSE(ImportModelFromProject(Path("missing.tmf").c_str()));
    EXPECT_EQ(nullptr, g_ModelListRoot->firstChild);
    EXPECT_EQ(nullptr, ImportModelFile(""));
    EXPECT_EQ(nullptr, ImportModelFile(nullptr));
}

TEST_F(ModelImportTest, ImportersAreTriedInTheirOrder)
{
    CRootNode* model = MakeModel("crate", 1.0f);
    const std::string path = Path("Crate.tmf");
    ASSERT_TRUE(model->Save(path.c_str()));
    delete model;
    g_calls = 0;
    // The OBJ importer comes after the model file: never asked for a tmf.
    g_ModelImporters.importObj = [](const char*) -> CRootNode* {
        ++g_calls;
        return nullptr;
    };
    CRootNode* root = ImportModelFile(path.c_str());
    ASSERT_NE(nullptr, root);
    delete root;
    EXPECT_EQ(0, g_calls);
    // The ".x" importer comes first and wins when it takes the file.
    g_fromX = new CRootNode;
    g_ModelImporters.loadX = [](const char*) { return g_fromX; };
    EXPECT_EQ(g_fromX, ImportModelFile(path.c_str()));
    delete g_fromX;
}

} // namespace
