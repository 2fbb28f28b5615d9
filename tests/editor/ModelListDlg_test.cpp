// The Model List window: filled into its own tree, copy names, the in-use
// question, the removal of unused models, model copies through temporary
// files that never touch a file the program did not make, saving and replacing
// models, default skeletons, and the merge and folder drags.
#include "GAMES/Rulo2/Model.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/editor/ModelListDlg.h"
#include "GAMES/Rulo2/world/CFrameNode.h"
#include "GAMES/Rulo2/world/CMacro.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/ModelListServices.h"
#include "GAMES/Rulo2/world/WallSplit.h"
#include "platform/crt/Crt.h"
#include "platform/files/WinPath.h"
#include "platform/ui/Ui.h"
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

TEST_F(ModelList, SaveAndReplaceModelGoThroughTheFileDialogs)
{
    using platform::ui::QueueDialogAnswer;
    CModelEntry* crate = Entry("Crate");
    EditorSelectModel(crate, false);
    // The chosen name takes the model file's extension.
    QueueDialogAnswer(
        {platform::ui::kFileSaveDialog, {{platform::ui::kFileNameEdit, (dir.path / "box.obj").string()}}});
    Window().OnCommand(ModelListDlg::ID_SAVE_MODEL);
    ASSERT_TRUE(fs::exists(dir.path / "box.tmf"));
    EXPECT_FALSE(fs::exists(dir.path / "box.obj"));
    // A file that cannot be written is reported.
    Boxes().clear();
    QueueDialogAnswer(
        {platform::ui::kFileSaveDialog, {{platform::ui::kFileNameEdit, (dir.path / "no" / "box").string()}}});
    Window().OnCommand(ModelListDlg::ID_SAVE_MODEL);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_NE(Boxes()[0].find("Saving model failed"), std::string::npos);

    // Replace: the saved file takes the place of another entry's model.
    CModelEntry* other = Entry("Other");
    other->linkIndex = 2;
    EditorSelectModel(other, false);
    CRootNode* old = other->model;
    QueueDialogAnswer(
        {platform::ui::kFileOpenDialog, {{platform::ui::kFileNameEdit, (dir.path / "box.tmf").string()}}});
    Window().OnCommand(ModelListDlg::ID_REPLACE_MODEL);
    ASSERT_NE(other->model, old);
    EXPECT_EQ(other->linkIndex, -1);
    EXPECT_EQ(fs::path(Settings.modelPath), dir.path);
    EXPECT_EQ(CurrentModel, other);
    EXPECT_EQ(AnimInfoTable.size(), size_t(ModelListDlg::kSkeletonSlots));
    // A damaged file leaves the model as it was.
    std::ofstream(dir.path / "bad.tmf") << "not a model";
    CRootNode* kept = other->model;
    QueueDialogAnswer(
        {platform::ui::kFileOpenDialog, {{platform::ui::kFileNameEdit, (dir.path / "bad.tmf").string()}}});
    Window().OnCommand(ModelListDlg::ID_REPLACE_MODEL);
    EXPECT_EQ(other->model, kept);
    platform::ui::ClearDialogAnswers();
}

namespace {

// A frame named `name` with an animation of one channel (null: none), under `parent`.
CFrameAnimation* AnimatedFrame(CNode* parent, const char* name, bool animated)
{
    auto* frame = new CFrameNode(name);
    parent->AddChild(frame);
    if (!animated)
        return nullptr;
    frame->animation = new CFrameAnimation;
    const float times[] = {0.0f, 2.0f}, values[] = {0.0f, 1.0f};
    frame->animation->SetKeys(0, 2, times, values);
    return frame->animation;
}

} // namespace

TEST_F(ModelList, DefaultSkeletonsLendTheirAnimationsToCompatibleModels)
{
    AnimInfoTable.assign(ModelListDlg::kSkeletonSlots, nullptr);
    CModelEntry* skeleton = Entry("Skeleton");
    CFrameAnimation* arm = AnimatedFrame(skeleton->model, "Arm", true);
    CModelEntry* other = Entry("Other");
    EditorSelectModel(skeleton, false);
    Window().OnCommand(ModelListDlg::ID_SET_DEFAULT_SKELETON_1 + 1);
    EXPECT_EQ(skeleton->animIndex, 1);
    EXPECT_EQ(AnimInfoTable[1], skeleton);
    // A second entry in that slot takes it over; each slot names one entry.
    EditorSelectModel(other, false);
    Window().OnCommand(ModelListDlg::ID_SET_DEFAULT_SKELETON_1 + 1);
    EXPECT_EQ(skeleton->animIndex, -1);
    EditorSelectModel(skeleton, false);
    Window().OnCommand(ModelListDlg::ID_SET_DEFAULT_SKELETON_1 + 1);
    EXPECT_EQ(other->animIndex, -1);

    // A model without animations takes the skeleton's for its namesakes.
    CModelEntry* man = Entry("Man");
    AnimatedFrame(man->model, "Arm", false);
    EditorSelectModel(man, false);
    Boxes().clear();
    Window().OnCommand(ModelListDlg::ID_USE_SKELETON_1 + 1);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(man->linkIndex, 1);
    auto* manArm = static_cast<CFrameNode*>(man->model->FindByName("Arm"));
    EXPECT_EQ(manArm->animation, arm);
    EXPECT_TRUE(manArm->animationBorrowed);
    EXPECT_EQ(man->model->animated, 1);
    EXPECT_EQ(man->model->animationEnd, 2.0f);

    // An animated frame without an animated namesake in the skeleton is refused.
    CModelEntry* dog = Entry("Dog");
    AnimatedFrame(dog->model, "Tail", true);
    EditorSelectModel(dog, false);
    Window().OnCommand(ModelListDlg::ID_USE_SKELETON_1 + 1);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_NE(Boxes()[0].find("Skeleton not compatible"), std::string::npos);
    EXPECT_EQ(dog->linkIndex, -1);
    AnimInfoTable.clear();
}

TEST_F(ModelList, DragsMergeModelsAndObjectsOrMoveThemIntoFolders)
{
    auto* furniture = new CNode("Furniture");
    g_ModelsTree->AddChild(furniture);
    auto* doors = new CNode("Doors");
    g_ObjectsTree->AddChild(doors);
    CModelEntry* chair = Entry("Chair");
    CModelEntry* stool = Entry("Stool");
    CWorldObject* placed = Tile(g_WorldRoot);
    placed->reference = stool;
    CObjectNode* door = Definition("Door", 1);
    door->group = g_ObjectsTree;
    Window().Refill();
    ASSERT_NE(doors->id, 0u) << "the object folders are listed";
    auto& t = Window().tree;
    auto drag = [&](HTREEITEM item, std::initializer_list<HTREEITEM> selection) {
        t.clearSelectionIds();
        for (HTREEITEM s : selection)
            t.addSelectionId(s);
        return Window().BeginDrag(item);
    };
    EditorShiftHeld = [] { return false; };
    // Without Shift: into a folder of the item's own kind only.
    ASSERT_TRUE(drag(chair->id, {chair->id}));
    EXPECT_FALSE(Window().CanDrop(chair->id, doors->id));
    EXPECT_FALSE(Window().CanDrop(chair->id, stool->id));
    ASSERT_TRUE(Window().CanDrop(chair->id, furniture->id));
    Window().Drop(chair->id, furniture->id);
    EXPECT_EQ(chair->group, furniture);
    EXPECT_EQ(t.GetParentItem(chair->id), furniture->id);
    ASSERT_TRUE(drag(door->id, {door->id}));
    ASSERT_TRUE(Window().CanDrop(door->id, doors->id));
    Window().Drop(door->id, doors->id);
    EXPECT_EQ(door->group, doors);
    EXPECT_EQ(t.GetParentItem(door->id), doors->id);
    EXPECT_FALSE(drag(doors->id, {doors->id})) << "a folder is not dragged";

    // With Shift: a merge, never onto a dragged item.
    EditorShiftHeld = [] { return true; };
    ASSERT_TRUE(drag(stool->id, {stool->id, tile->id}));
    EXPECT_FALSE(Window().CanDrop(stool->id, stool->id));
    EXPECT_FALSE(Window().CanDrop(stool->id, tile->id));
    EXPECT_FALSE(Window().CanDrop(stool->id, furniture->id));
    ASSERT_TRUE(Window().CanDrop(stool->id, chair->id));
    // Cancel changes nothing.
    Boxes().clear();
    platform::QueueMessageBoxAnswer(platform::IDCANCEL);
    Window().Drop(stool->id, chair->id);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_NE(Boxes()[0].find("Are you sure you want replace 2 models with model 'Chair'?"),
              std::string::npos);
    EXPECT_EQ(placed->reference, stool);
    // OK: the dragged models give way to the chair.
    ASSERT_TRUE(drag(stool->id, {stool->id}));
    platform::QueueMessageBoxAnswer(platform::IDOK);
    Window().Drop(stool->id, chair->id);
    EXPECT_EQ(placed->reference, chair);
    EXPECT_EQ(g_ModelListRoot->FindByName("Stool"), nullptr);
    EXPECT_NE(Read(dir.path / "log.txt").find("Merging 'Stool' with 'Chair'"), std::string::npos);
    // Onto an object: the model's nodes become placed doors.
    ASSERT_TRUE(drag(chair->id, {chair->id}));
    ASSERT_TRUE(Window().CanDrop(chair->id, door->id));
    Boxes().clear();
    platform::QueueMessageBoxAnswer(platform::IDOK);
    Window().Drop(chair->id, door->id);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_NE(Boxes()[0].find("Are you sure you want replace 1 models/objects with object 'Door'?"),
              std::string::npos);
    EXPECT_EQ(placed->Definition(), door);
    EXPECT_TRUE(g_ModelListRoot->FindByName("Chair")) << "the model stays in the list";
}

} // namespace
