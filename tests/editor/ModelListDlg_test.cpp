// The Model List window: filled into its own tree, copy names, the in-use
// question, the removal of unused models, and model copies through temporary
// files that never touch a file the program did not make.
#include "GAMES/Rulo2/Model.h"
#include "GAMES/Rulo2/editor/ModelListDlg.h"
#include "GAMES/Rulo2/world/CFrameNode.h"
#include "GAMES/Rulo2/world/CMacro.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/ModelListServices.h"
#include "GAMES/Rulo2/world/WallSplit.h"
#include "platform/crt/Crt.h"
#include "platform/files/WinPath.h"
#include "tests/editor/EditorWindowsFixture.h"
#include "tests/world/ServicesFixture.h"

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

using editortest::Boxes;

class ModelList : public editortest::EditorWindowsTest
{
protected:
    void SetUp() override
    {
        EditorWindowsTest::SetUp();
        before = platform::ProgramFolder();
        fs::create_directories(dir.path / "program");
        platform::SetProgramFolder(dir.path / "program");
    }
    void TearDown() override
    {
        platform::SetProgramFolder(before);
        EditorWindowsTest::TearDown();
    }
    CModelEntry* Entry(const char* name)
    {
        auto* e = new CModelEntry;
        e->SetName(name);
        e->group = g_ModelsTree;
        e->model = shelltest::MakeTileModel(1.0f);
        g_ModelListRoot->AddChild(e);
        return e;
    }
    static ModelListDlg& Window() { return *g_ModelListDlg; }
    static fs::path Temp(int n) { return platform::ProgramFolder() / ("~temp" + std::to_string(n) + ".tmp"); }
    static std::string Read(const fs::path& p)
    {
        std::ifstream in(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // The temporary files that exist now.
    static int TempFiles()
    {
        int n = 0;
        for (int i = 0; i < 256; ++i)
            n += fs::exists(Temp(i)) ? 1 : 0;
        return n;
    }

    fs::path before;
};

TEST_F(ModelList, CopiesAreNamedAfterTheFamilyWithTheSuffixKept)
{
    struct Case
    {
        const char* source;
        const char* copy;
    } cases[] = {
        {"Chair", "Chair [Copy 2]"},
        {"Wall - aussen", "Wall [Copy 2] - aussen"},
        {"Chair", "Chair [Copy 3]"}, // the first copy is of the family now
        {"Chair [Copy 2]", "Chair [Copy 4]"},
    };
    Entry("Chair");
    Entry("Wall - aussen");
    Window().Refill();
    for (const Case& k : cases) {
        auto* source = static_cast<CModelEntry*>(g_ModelListRoot->FindByName(k.source));
        ASSERT_TRUE(source) << k.source;
        EditorSelectModel(source, false);
        CModelEntry* copy = Window().CopyModel();
        ASSERT_TRUE(copy);
        EXPECT_STREQ(copy->GetName(), k.copy);
        ASSERT_TRUE(copy->model) << "the model is copied";
        EXPECT_NE(copy->model, source->model);
        EXPECT_EQ(CurrentModel, copy);
        EXPECT_NE(copy->id, 0u) << "the copy is listed";
        EXPECT_EQ(Window().tree.TreeCtrl::GetSelectedItem(), copy->id);
    }
    EXPECT_EQ(TempFiles(), 0);
}

TEST_F(ModelList, CopiesNeverTouchATemporaryFileTheProgramDidNotMake)
{
    // Every name taken but one; then every name taken.
    for (int free : {5, -1}) {
        for (int i = 0; i < 256; ++i)
            if (i != free)
                std::ofstream(Temp(i)) << "keep " << i;
        CModelEntry* source = Entry("Lamp");
        EditorSelectModel(source, false);
        CModelEntry* copy = Window().CopyModel();
        ASSERT_TRUE(copy);
        EXPECT_EQ(copy->model != nullptr, free >= 0) << "free " << free;
        for (int i = 0; i < 256; ++i) {
            if (i != free) {
                ASSERT_EQ(Read(Temp(i)), "keep " + std::to_string(i));
            }
        }
        EXPECT_FALSE(free >= 0 && fs::exists(Temp(free)));
    }
}

TEST_F(ModelList, TheWallSplitLeavesAForeignTemporaryFileAlone)
{
    std::ofstream(Temp(5)) << "keep";
    auto* model = new CRootNode();
    auto* frame = new CFrameNode("outer");
    frame->AddChild(TriangleMesh("outside", -1.1f, 0, 0, 0.2f));
    model->AddChild(frame);
    CMeshNode* inside = TriangleMesh("inside", 0.9f, 0, 0, 0.2f);
    inside->inside = 1;
    model->AddChild(inside);
    model->Prepare();
    auto* wall = new CModelEntry;
    wall->SetName("wa_front");
    wall->model = model;
    g_ModelListRoot->AddChild(wall);
    // A seed whose first number is the foreign file's.
    unsigned seed = 0;
    for (crt::srand(seed); crt::rand() % 256 != 5; crt::srand(++seed)) {
    }
    crt::srand(seed);
    Window().OnCommand(ModelListDlg::ID_SPLITUP);
    auto* inner = static_cast<CModelEntry*>(g_ModelListRoot->FindByName("wai_front"));
    ASSERT_TRUE(inner);
    EXPECT_TRUE(inner->model);
    EXPECT_EQ(Read(Temp(5)), "keep");
    EXPECT_EQ(TempFiles(), 1);
}

TEST_F(ModelList, DeletingAModelInUseAsksFirst)
{
    CModelEntry* used = Entry("Bench");
    auto* macro = new CMacro;
    macro->SetName("Benches");
    macro->content = new CWorldObject;
    Tile(macro->content)->reference = used;
    g_MacroListRoot->AddChild(macro);
    EditorSelectModel(used, false);
    // Cancel keeps it; OK deletes it and the macro's use of it.
    for (int answer : {platform::IDCANCEL, platform::IDOK}) {
        Boxes().clear();
        platform::QueueMessageBoxAnswer(answer);
        Window().OnCommand(ModelListDlg::ID_DELETE_MODEL);
        ASSERT_EQ(Boxes().size(), 1u);
        EXPECT_NE(Boxes()[0].find("Model is still in use. Delete it anyway?"), std::string::npos);
        EXPECT_EQ(g_ModelListRoot->FindByName("Bench") != nullptr, answer == platform::IDCANCEL);
    }
    EXPECT_EQ(macro->content->firstChild, nullptr);
    EXPECT_EQ(CurrentModel, nullptr);
    // A model nobody uses goes without a question.
    CModelEntry* loose = Entry("Loose");
    EditorSelectModel(loose, false);
    Boxes().clear();
    Window().OnCommand(ModelListDlg::ID_DELETE_MODEL);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(g_ModelListRoot->FindByName("Loose"), nullptr);
}

TEST_F(ModelList, DeleteUnusedModelsReportsHowManyWent)
{
    Tile(g_WorldRoot);
    Boxes().clear();
    EXPECT_EQ(Window().DeleteUnusedModels(), 0);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_NE(Boxes()[0].find("Removed 0 models"), std::string::npos);
    Entry("Spare");
    Entry("Other");
    Boxes().clear();
    Window().OnCommand(ModelListDlg::ID_DELETE_UNUSED_MODELS);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_NE(Boxes()[0].find("Removed 2 models"), std::string::npos);
    EXPECT_TRUE(g_ModelListRoot->FindByName("Tile"));
}

TEST_F(ModelList, FillingTheListLeavesTheModelTreeAlone)
{
    tile->model->InsertIntoTree(0, nullptr);
    const size_t modelItems = g_ModelTreeDlg->tree.GetCount();
    ASSERT_GT(modelItems, 0u);
    Window().Refill();
    EXPECT_EQ(g_ModelTreeDlg->tree.GetCount(), modelItems);
    EXPECT_NE(tile->id, 0u);
    EXPECT_TRUE(Window().tree.ItemExists(tile->id));
    EXPECT_EQ(Window().tree.GetItemText(tile->id), "Tile");
    // Its items stand for the lights, the models and the macros.
    EXPECT_TRUE(EditorSelectById(ModelListView.pointItem, false));
    EXPECT_EQ(CurrentLight, 2);
    EXPECT_TRUE(EditorSelectById(tile->id, false));
    EXPECT_EQ(CurrentModel, tile);
}

} // namespace
