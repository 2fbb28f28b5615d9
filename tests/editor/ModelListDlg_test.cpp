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
#include <functional>

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

namespace {

using platform::ui::DialogAnswer;
using platform::ui::QueueDialogAnswer;

// The object and model folders, their entries, objects with actions, and macros.
class ModelListCommands : public ModelList
{
protected:
    void SetUp() override
    {
        ModelList::SetUp();
        furniture = Folder(g_ModelsTree, "Furniture");
        chairs = Folder(furniture, "Chairs");
        walls = Folder(g_ModelsTree, "Walls");
        doors = Folder(g_ObjectsTree, "Doors");
        chair = Entry("Chair");
        chair->group = furniture;
        chair->model->animationStart = 1.0f;
        chair->model->animationEnd = 3.0f;
        stool = Entry("Stool");
        stool->group = chairs;
        wall = Entry("Wall");
        wall->group = walls;
        door = Definition("Door", 1);
        door->group = doors;
        open = door->AddState("OPEN");
        open->modelEntry = chair;
        closed = door->AddState("CLOSED");
        closed->modelEntry = stool;
    }
    static CNode* Folder(CNode* parent, const char* name)
    {
        auto* f = new CNode(name);
        parent->AddChild(f);
        return f;
    }
    static CMacro* Macro(const char* name, CModelEntry* shown)
    {
        auto* macro = new CMacro;
        macro->SetName(name);
        macro->content = new CWorldObject;
        shelltest::AddInstance(macro->content, shown, CVector(0, 0, 0));
        g_MacroListRoot->AddChild(macro);
        return macro;
    }
    // The item as a person clicks it, with the list filled first.
    static void Pick(uint32_t item)
    {
        Window().tree.platform::ui::TreeCtrl::SelectItem(item, platform::ui::TreeAction::ByMouse);
    }
    // A command on the node's item; the list is filled first, so the item is the new one.
    template <class Node>
    static void Command(Node* node, int id)
    {
        Window().Refill();
        Pick(node->id);
        Window().OnCommand(id);
    }
    static void CommandOnMacros(int id)
    {
        Window().Refill();
        Pick(ModelListView.macrosItem);
        Window().OnCommand(id);
    }
    // The item's id after the list was filled again.
    template <class Node>
    static uint32_t Shown(Node* node)
    {
        Window().Refill();
        return node->id;
    }

    CNode *furniture = nullptr, *chairs = nullptr, *walls = nullptr, *doors = nullptr;
    CModelEntry *chair = nullptr, *stool = nullptr, *wall = nullptr;
    CObjectNode* door = nullptr;
    CObjectState *open = nullptr, *closed = nullptr;
};

TEST_F(ModelListCommands, EachItemOpensItsOwnContextMenuWhoseCommandsActOnIt)
{
    CMacro* macro = Macro("Benches", chair);
    Window().Refill();
    struct Case
    {
        uint32_t item;
        const char* menu;
    } cases[] = {
        {chair->id, "ModelListModel"},
        {door->id, "ModelListObjects-Object"},
        {open->id, "ModelListObjects-Action"},
        {macro->id, "ModelListMakro"},
        {ModelListView.macrosItem, "ModelListMakroFolder"},
        {doors->id, "ModelListObjectFolder"},
        {g_ObjectsTree->id, "ModelListObjectFolder"},
        {walls->id, "ModelListModelFolder"},
        {g_ModelsTree->id, "ModelListModelFolder"},
    };
    auto& t = Window().tree;
    for (const Case& k : cases) {
        int x = 0, y = 0;
        LabelPoint(t, k.item, x, y);
        t.MouseDown(1, x, y);
        t.MouseUp(1, x, y);
        platform::ui::Menu* menu = platform::ui::TrackedMenu();
        ASSERT_TRUE(menu) << k.menu;
        EXPECT_EQ(menu, Window().contextMenu->FindSubMenu(k.menu)) << k.menu;
        EXPECT_EQ(t.TreeCtrl::GetSelectedItem(), k.item) << k.menu;
    }
    // The folder roots are neither renamed nor deleted; an action shows whether it is the default.
    EXPECT_FALSE(platform::ui::TrackedMenu()->FindItem(ModelListDlg::ID_DELETE_MODEL_FOLDER)->enabled);
    open->flagB = 1;
    int x = 0, y = 0;
    LabelPoint(t, open->id, x, y);
    t.MouseDown(1, x, y);
    t.MouseUp(1, x, y);
    EXPECT_TRUE(platform::ui::TrackedMenu()->FindItem(ModelListDlg::ID_DEFAULT_ACTION)->checked);
    // The menu's command works on the item clicked: the action loses its default mark.
    ASSERT_TRUE(platform::ui::ChooseTrackedItem(ModelListDlg::ID_DEFAULT_ACTION));
    EXPECT_EQ(open->flagB, 0);
}

TEST_F(ModelListCommands, MakeObjectFromModelFilesADummyActionShowingTheModel)
{
    // The object folder last picked takes the new object; without one the folder root does.
    for (CNode* folder : {doors, static_cast<CNode*>(nullptr)}) {
        if (folder)
            Pick(Shown(folder));
        else
            Window().objectFolder = nullptr;
        EditorSelectModel(chair, false);
        Window().OnCommand(ModelListDlg::ID_MAKE_OBJECT);
        CObjectNode* made = CurrentObject;
        ASSERT_TRUE(made);
        ASSERT_NE(made, door);
        EXPECT_STREQ(made->GetName(), "Chair");
        EXPECT_EQ(made->group, folder ? folder : g_ObjectsTree);
        ASSERT_TRUE(made->objectLogic && made->objectLogic->ownKindData && made->objectLogic->ownTaskList);
        EXPECT_EQ(made->objectLogic->ownKindData->name, "Chair");
        EXPECT_TRUE(made->objectLogic->ownTaskList->tasks.empty());
        ASSERT_TRUE(made->firstState);
        EXPECT_EQ(made->firstState->next, nullptr);
        EXPECT_STREQ(made->firstState->name, "DUMMY");
        EXPECT_EQ(made->firstState->modelEntry, chair);
        EXPECT_EQ(made->firstState->animStart, 1.0f);
        EXPECT_EQ(made->firstState->animEnd, 3.0f);
        EXPECT_EQ(made->firstState->animSpeed, 100);
        EXPECT_EQ(Window().tree.TreeCtrl::GetSelectedItem(), made->id) << "listed and selected";
        EXPECT_EQ(Window().tree.GetParentItem(made->id), (folder ? folder : g_ObjectsTree)->id);
    }
}

TEST_F(ModelListCommands, RemoveAllObjectsExceptSelectionKeepsTheSelectedFolderAndItsSubfolders)
{
    CModelEntry* loose = Entry("Loose");
    loose->group = nullptr;
    CModelEntry* empty = Entry("Empty");
    empty->group = walls;
    delete empty->model;
    empty->model = nullptr;
    CWorldObject* placed = Tile(g_WorldRoot);
    placed->reference = wall;
    CWorldObject* below = Tile(placed);
    below->reference = chair;
    CWorldObject* pasted = Tile(g_PasteRoot);
    pasted->reference = wall;
    EditorSelectModel(chair, false);
    Boxes().clear();
    Window().OnCommand(ModelListDlg::ID_REMOVE_ALL_EXCEPT_SELECTION);
    EXPECT_TRUE(Boxes().empty()) << "no question";
    for (const char* kept : {"Chair", "Stool", "Empty"})
        EXPECT_TRUE(g_ModelListRoot->FindByName(kept)) << kept;
    for (const char* gone : {"Wall", "Loose", "Tile"})
        EXPECT_FALSE(g_ModelListRoot->FindByName(gone)) << gone;
    // The wall's node went and its child moved up; the paste buffer lost its copy too.
    EXPECT_EQ(g_WorldRoot->FirstObject(), below);
    EXPECT_EQ(g_PasteRoot->FirstObject(), nullptr);
    EXPECT_EQ(open->modelEntry, chair);
}

TEST_F(ModelListCommands, MacrosAreDeletedOneOrAllAtOnce)
{
    CMacro* benches = Macro("Benches", chair);
    Macro("Walls", wall);
    EditorSelectMacro(benches, false);
    Command(benches, ModelListDlg::ID_DELETE_MAKRO);
    EXPECT_EQ(CurrentMacro, nullptr);
    ASSERT_TRUE(g_MacroListRoot->FirstMacro());
    EXPECT_STREQ(g_MacroListRoot->FirstMacro()->GetName(), "Walls");
    EXPECT_EQ(g_MacroListRoot->FirstMacro()->NextMacro(), nullptr);
    // On anything but a macro it does nothing.
    Command(chair, ModelListDlg::ID_DELETE_MAKRO);
    EXPECT_TRUE(g_MacroListRoot->FirstMacro());
    CommandOnMacros(ModelListDlg::ID_DELETE_ALL_MAKROS);
    EXPECT_EQ(g_MacroListRoot->FirstMacro(), nullptr);
    EXPECT_EQ(Window().tree.GetChildItem(ModelListView.macrosItem), 0u);
}

TEST_F(ModelListCommands, NamingCommandsCreateOnlyOnOkWithAName)
{
    struct Case
    {
        const char* what;
        int command;
        CNode* item;
        int dialog, edit;
        std::function<bool()> made; // whether "Extra" exists where the command puts it
    } cases[] = {
        {"New Object", ModelListDlg::ID_NEW_OBJECT, doors, 371, 1175,
         [&] {
             for (CObjectNode* d = g_ObjectList; d; d = d->NextDefinition())
                 if (d->GetName() && std::string(d->GetName()) == "Extra")
                     return d->group == doors && d->objectLogic && d->objectLogic->ownKindData &&
                            d->objectLogic->ownKindData->name == "Extra" && d->objectLogic->ownTaskList;
             return false;
         }},
        {"New Folder (objects)", ModelListDlg::ID_NEW_OBJECT_FOLDER, doors, 369, 1173,
         [&] { return doors->lastChild && std::string(doors->lastChild->name) == "Extra"; }},
        {"New Folder (models)", ModelListDlg::ID_NEW_MODEL_FOLDER, g_ModelsTree, 369, 1173,
         [&] { return g_ModelsTree->lastChild && std::string(g_ModelsTree->lastChild->name) == "Extra"; }},
        {"Add Action", ModelListDlg::ID_ADD_ACTION, door, 372, 1176,
         [&] { return door->FindState("Extra") != nullptr; }},
    };
    for (const Case& k : cases) {
        // Cancel after typing, then OK with nothing typed: nothing is made.
        for (DialogAnswer answer : {DialogAnswer{k.dialog, {{k.edit, "Extra"}}, platform::IDCANCEL},
                                    DialogAnswer{k.dialog, {{k.edit, ""}}, platform::IDOK}}) {
            QueueDialogAnswer(answer);
            Command(k.item, k.command);
            EXPECT_FALSE(k.made()) << k.what;
        }
        QueueDialogAnswer({k.dialog, {{k.edit, "Extra"}}});
        Command(k.item, k.command);
        EXPECT_TRUE(k.made()) << k.what;
    }
    platform::ui::ClearDialogAnswers();
}

TEST_F(ModelListCommands, DeletingAFolderAsksAndFilesItsContentAtTheRoot)
{
    for (bool objects : {true, false}) {
        CNode* folder = objects ? doors : furniture;
        CNode* root = objects ? g_ObjectsTree : g_ModelsTree;
        const int command =
            objects ? ModelListDlg::ID_DELETE_OBJECT_FOLDER : ModelListDlg::ID_DELETE_MODEL_FOLDER;
        CNode* inner = Folder(folder, "Inner");
        if (objects)
            Definition("Gate", 1)->group = inner;
        // The root is never deleted and nothing is asked.
        Boxes().clear();
        Command(root, command);
        EXPECT_TRUE(Boxes().empty());
        for (int answer : {platform::IDCANCEL, platform::IDOK}) {
            Boxes().clear();
            platform::QueueMessageBoxAnswer(answer);
            Command(folder, command);
            ASSERT_EQ(Boxes().size(), 1u);
            EXPECT_NE(Boxes()[0].find("Are you sure you want to delete this folder?"), std::string::npos);
            EXPECT_EQ(root->firstChild == folder, answer == platform::IDCANCEL);
        }
        if (objects) {
            EXPECT_EQ(door->group, nullptr);
            for (CObjectNode* d = g_ObjectList; d; d = d->NextDefinition())
                EXPECT_EQ(d->group, nullptr) << d->GetName();
        } else {
            EXPECT_EQ(chair->group, nullptr);
            EXPECT_EQ(stool->group, nullptr) << "an entry of a folder below goes to the root too";
            EXPECT_EQ(wall->group, walls);
        }
        EXPECT_NE(Window().tree.GetItemText(door->id), "") << "the list is filled again";
    }
}

TEST_F(ModelListCommands, DeletingAnObjectInUseAsksAndTakesItsPlacedNodesAlong)
{
    CWorldObject* placed = Placed(g_WorldRoot, door);
    CWorldObject* child = Tile(placed);
    CMacro* macro = Macro("Doors", chair);
    Placed(macro->content, door);
    ShowWorld();
    // The Object Properties window shows the definition's defaults.
    Pick(Shown(door));
    for (int answer : {platform::IDCANCEL, platform::IDOK}) {
        Boxes().clear();
        platform::QueueMessageBoxAnswer(answer);
        Command(door, ModelListDlg::ID_DELETE_OBJECT);
        ASSERT_EQ(Boxes().size(), 1u);
        EXPECT_NE(Boxes()[0].find("Object is still in use. Delete it anyway?"), std::string::npos);
        EXPECT_EQ(g_ObjectList == door, answer == platform::IDCANCEL);
    }
    EXPECT_EQ(g_ObjectList, nullptr);
    EXPECT_EQ(CurrentObject, nullptr);
    EXPECT_EQ(g_WorldRoot->FirstObject(), child) << "the placed door went, its child moved up";
    EXPECT_EQ(macro->content->FirstObject()->NextObject(), nullptr);
    EXPECT_TRUE(WorldTree().ItemExists(child->id));
    // An object nobody uses goes without a question.
    CObjectNode* spare = Definition("Spare", 1);
    Boxes().clear();
    Command(spare, ModelListDlg::ID_DELETE_OBJECT);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(g_ObjectList, nullptr);
}

TEST_F(ModelListCommands, ActionFlagsAndDeletedActions)
{
    struct Case
    {
        CObjectState* action;
        int command;
        uint8_t oneShot, openDefault, closedDefault;
    } cases[] = {
        {open, ModelListDlg::ID_ONE_SHOT_ANIM, 1, 0, 0},    {open, ModelListDlg::ID_DEFAULT_ACTION, 1, 1, 0},
        {closed, ModelListDlg::ID_DEFAULT_ACTION, 1, 0, 1}, // the default moves
        {closed, ModelListDlg::ID_DEFAULT_ACTION, 1, 0, 0}, // and toggles off
        {open, ModelListDlg::ID_LOOPING_ANIM, 0, 0, 0},
    };
    for (const Case& k : cases) {
        Command(k.action, k.command);
        EXPECT_EQ(open->flagA, k.oneShot) << k.command;
        EXPECT_EQ(open->flagB, k.openDefault) << k.command;
        EXPECT_EQ(closed->flagB, k.closedDefault) << k.command;
    }
    // A placed door showing the action that goes lets go of it.
    CWorldObject* placed = Placed(g_WorldRoot, door);
    placed->objectLogic = new CObjectLogic;
    placed->objectLogic->animation = closed;
    EditorSelectObject(door, closed, false);
    Command(closed, ModelListDlg::ID_DELETE_ACTION);
    EXPECT_EQ(door->firstState, open);
    EXPECT_EQ(open->next, nullptr);
    EXPECT_EQ(placed->objectLogic->animation, nullptr);
    EXPECT_EQ(CurrentState, nullptr);
}

TEST_F(ModelListCommands, ApplyActionsCopiesTheActionsToObjectsHavingTheNamedOne)
{
    open->animStart = 0.5f;
    open->animEnd = 2.0f;
    open->animSpeed = 50;
    open->value = 1.0f;
    open->flagA = 1;
    open->flagB = 1;
    CObjectNode* gate = Definition("Gate", 1);
    CObjectState* gateOpen = gate->AddState("OPEN");
    gateOpen->modelEntry = wall;
    CObjectNode* box = Definition("Box", 1);
    box->AddState("SHUT")->modelEntry = stool;
    QueueDialogAnswer({390, {{1176, "OPEN"}}});
    Window().Refill();
    Pick(door->id);
    EXPECT_EQ(Window().ApplyActions(), 1);
    EXPECT_EQ(gate->firstState, gateOpen);
    EXPECT_EQ(gateOpen->animStart, 0.5f);
    EXPECT_EQ(gateOpen->animEnd, 2.0f);
    EXPECT_EQ(gateOpen->animSpeed, 50);
    EXPECT_EQ(gateOpen->flagA, 1);
    EXPECT_EQ(gateOpen->flagB, 0) << "the default stays with the door";
    CObjectState* gateClosed = gate->FindState("CLOSED");
    ASSERT_TRUE(gateClosed) << "a missing action is added";
    // Every copied action shows the model of the gate's own OPEN.
    EXPECT_EQ(gateOpen->modelEntry, wall);
    EXPECT_EQ(gateClosed->modelEntry, wall);
    EXPECT_EQ(box->FindState("OPEN"), nullptr) << "an object without that action is left alone";
    EXPECT_EQ(open->modelEntry, chair) << "the door keeps its own";
    EXPECT_EQ(Window().tree.GetItemText(gateClosed->id), "CLOSED");
}

TEST_F(ModelListCommands, LabelsOfObjectsActionsMacrosAndFoldersAreEdited)
{
    CMacro* macro = Macro("Benches", chair);
    Window().Refill();
    struct Case
    {
        uint32_t item;
        std::function<std::string()> name;
    } cases[] = {
        {door->id, [&] { return std::string(door->GetName()); }},
        {open->id, [&] { return std::string(open->name); }},
        {macro->id, [&] { return std::string(macro->GetName()); }},
        {doors->id, [&] { return std::string(doors->name); }},
        {walls->id, [&] { return std::string(walls->name); }},
    };
    for (const Case& k : cases) {
        platform::ui::TreeNotify n;
        n.code = platform::ui::TreeCode::EndLabelEdit;
        n.item = k.item;
        n.text = "Renamed";
        Window().OnTreeNotify(n);
        EXPECT_EQ(k.name(), "Renamed");
        EXPECT_EQ(Window().tree.GetItemText(k.item), "Renamed");
    }
    EXPECT_EQ(door->objectLogic->ownKindData->name, "Renamed") << "the name the list shows";
    // The folder roots keep theirs.
    platform::ui::TreeNotify n;
    n.code = platform::ui::TreeCode::EndLabelEdit;
    n.item = g_ModelsTree->id;
    n.text = "Renamed";
    Window().OnTreeNotify(n);
    EXPECT_STREQ(g_ModelsTree->name, "Models");
}

} // namespace
