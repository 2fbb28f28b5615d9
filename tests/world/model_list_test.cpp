// Model list services: entry names with variants and suffixes, the searches
// and walks over the model and macro lists, and the model tree view.
#include "tests/world/ServicesFixture.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <unistd.h>

#include "GAMES/Rulo2/Model.h"
#include "GAMES/Rulo2/Texture.h"
#include "GAMES/Rulo2/TexturePage.h"
#include "GAMES/Rulo2/world/CMacro.h"
#include "GAMES/Rulo2/world/CMeshNode.h"
#include "GAMES/Rulo2/world/ModelListServices.h"
#include "GAMES/Rulo2/world/TreeControl.h"

namespace {

using ModelListTest = WorldServicesTest;

// Records the items as "parent/text" in insertion order.
class RecordingTree : public CTreeControl
{
public:
    uint32_t InsertItem(const char* text, uint32_t parent) override
    {
        items[++last] = {text, parent};
        return last;
    }
    void SetItemImage(uint32_t item, int image, int) override { images[item] = image; }
    void Expand(uint32_t) override {}
    void EnsureVisible(uint32_t) override {}
    void DeleteAllItems() override
    {
        items.clear();
        images.clear();
    }
    void SelectItem(uint32_t) override {}
    void AddToSelection(uint32_t item) override
    {
        if (std::find(selection.begin(), selection.end(), item) == selection.end())
            selection.push_back(item);
    }
    uint32_t GetSelectedItem() override { return 0; }

    std::string PathOf(uint32_t item) const
    {
        std::string path;
        while (item) {
            const auto& it = items.at(item);
            path = "/" + it.first + path;
            item = it.second;
        }
        return path;
    }

    std::map<uint32_t, std::pair<std::string, uint32_t>> items;
    std::map<uint32_t, int> images;
    std::vector<uint32_t> selection;
    uint32_t last = 0;
};

} // namespace

TEST(EntryNames, BaseVariantAndSuffixFollowTheConvention)
{
    struct Case
    {
        const char* name;
        const char* base;
        const char* variant; // null: none
        const char* suffix;  // null: none
    } cases[] = {
        {"Chair [red] - low", "Chair", "red", "low"},
        {"Chair[red", "Chair", nullptr, nullptr},
        {"a - ", "a", nullptr, nullptr},
        {"Lamp - tall - old", "Lamp", nullptr, "tall - old"},
        {"Door [oak]", "Door", "oak", nullptr},
        {"x - y", "x", nullptr, "y"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CNode node(c.name);
        std::string base, variant;
        ASSERT_TRUE(GetBaseName(&node, base));
        EXPECT_EQ(base, c.base);
        EXPECT_EQ(GetBracketedPart(&node, variant), c.variant != nullptr);
        EXPECT_EQ(HasBracketedPart(&node), c.variant != nullptr);
        if (c.variant) {
            EXPECT_EQ(variant, c.variant);
        }
        const char* suffix = GetNameAfterDash(&node);
        EXPECT_EQ(suffix != nullptr, c.suffix != nullptr);
        if (c.suffix && suffix) {
            EXPECT_STREQ(suffix, c.suffix);
        }
    }
    CNode unnamed;
    std::string base;
    EXPECT_FALSE(GetBaseName(&unnamed, base));
}

TEST_F(ModelListTest, VariantSearchesAndInstanceReplacement)
{
    CModelEntry* plain = AddEntry("Chair - low", new CRootNode());
    CModelEntry* red = AddEntry("Chair [red] - low", new CRootNode());
    CModelEntry* blue = AddEntry("Chair [blue] - low", new CRootNode());
    CModelEntry* high = AddEntry("Chair [red] - high", new CRootNode());
    AddEntry("Table [red]", new CRootNode());
    CModelEntry* list = g_ModelListRoot->FirstEntry();
    EXPECT_EQ(FindByBaseName(list, "Chair", "red", "low"), red);
    EXPECT_EQ(FindByBaseName(list, "Chair", "red", "high"), high);
    EXPECT_EQ(FindByBaseName(list, "Chair", nullptr, nullptr), plain);
    EXPECT_EQ(CountVariants(list, "Chair"), 3);
    VariantNames.clear();
    CollectVariantNames(list, "Chair", "low");
    EXPECT_EQ(VariantNames, (std::vector<std::string>{"red", "blue"}));

    CWorldObject* a = Place(g_WorldRoot, "a", CWorldObject::KIND_MODEL, plain);
    CWorldObject* b = Place(g_WorldRoot, "b", CWorldObject::KIND_MODEL, high);
    ReplaceModelsByBaseName(g_WorldRoot, list, "blue", false);
    EXPECT_EQ(a->reference, blue) << "the variant of the same base and suffix";
    EXPECT_EQ(b->reference, high) << "no blue chair with the suffix high";
    ReplaceModelsByBaseName(g_WorldRoot, list, nullptr, false);
    EXPECT_EQ(a->reference, plain) << "back to the entry without a variant";
    VariantNames.clear();
    CollectInstanceVariantNames(g_WorldRoot, list, false);
    EXPECT_EQ(VariantNames, (std::vector<std::string>{"red", "blue"}));

    StripSuffix(red);
    EXPECT_STREQ(red->name, "Chair [red]");
}

TEST_F(ModelListTest, FamiliesShareBaseNameAndSuffixWhateverTheirVariant)
{
    CModelEntry* plain = AddEntry("Chair - low", new CRootNode());
    CModelEntry* red = AddEntry("Chair [red] - low", new CRootNode());
    AddEntry("Chair [red] - high", new CRootNode());
    AddEntry("chair - low", new CRootNode());
    CModelEntry* single = AddEntry("Table", new CRootNode());
    CModelEntry* list = g_ModelListRoot->FirstEntry();
    EXPECT_EQ(CompareBaseNames(list, red), plain);
    EXPECT_EQ(CompareBaseNames(list, plain), red);
    EXPECT_EQ(CompareBaseNames(list, single), nullptr) << "no other member";
    std::vector<CModelEntry*> family;
    EXPECT_EQ(MatchBaseNames(list, red, family), 2);
    EXPECT_EQ(family, (std::vector<CModelEntry*>{plain, red})) << "case and suffix count";
}

namespace {
// A model with one mesh whose materials show the given textures and pages.
CRootNode* TexturedModel(std::vector<std::pair<CTexture*, CTexturePage*>> uses)
{
    auto* root = new CRootNode();
    auto* mesh = new CMeshNode("Mesh");
    mesh->SetMaterialCount(int32_t(uses.size()));
    for (size_t i = 0; i < uses.size(); ++i) {
        mesh->materials[i].texture = uses[i].first;
        mesh->materials[i].page = uses[i].second;
        mesh->materials[i].pageEntry = uses[i].second ? 0 : -1;
    }
    root->AddChild(mesh);
    return root;
}
CMeshMaterial& MaterialOf(CModelEntry* e, int i)
{
    return static_cast<CMeshNode*>(e->model->FindByName("Mesh"))->materials[i];
}
} // namespace

// The texture users are found through each model's texture uses and added to the tree's
// selection; the material services reach every model.
TEST_F(ModelListTest, TextureUsersAreSelectedAndMaterialServicesReachEveryModel)
{
    auto brick = std::make_unique<CTexture>(), wood = std::make_unique<CTexture>();
    auto page = std::make_unique<CTexturePage>(), other = std::make_unique<CTexturePage>();
    CModelEntry* wall = AddEntry("wall", TexturedModel({{brick.get(), nullptr}}));
    CModelEntry* paged = AddEntry("paged", TexturedModel({{brick.get(), page.get()}}));
    CModelEntry* both = AddEntry("both", TexturedModel({{wood.get(), nullptr}, {brick.get(), page.get()}}));
    CModelEntry* bare = AddEntry("bare", new CRootNode());
    uint32_t id = 10;
    for (CModelEntry* e : {wall, paged, both, bare})
        e->id = ++id;
    RecordingTree tree;
    ModelListView.control = &tree;
    CModelEntry* list = g_ModelListRoot->FirstEntry();
    auto selects = [&](auto&& select, std::vector<CModelEntry*> expected) {
        tree.selection.clear();
        const int32_t n = select();
        std::vector<uint32_t> ids;
        for (CModelEntry* e : expected)
            ids.push_back(e->id);
        EXPECT_EQ(n, int32_t(expected.size()));
        EXPECT_EQ(tree.selection, ids);
    };
    selects([&] { return SelectUsersInTree(list, page.get()); }, {paged, both});
    selects([&] { return SelectInTreeByTexture(list, brick.get()); }, {wall}); // the unpaged use only
    selects([&] { return SelectInTreeByMaterial(list, MaterialOf(both, 0)); }, {both});
    selects([&] { return SelectInTreeByMaterial(list, MaterialOf(both, 1)); }, {paged, both});
    selects([&] { return SelectInTreeByModel(list, wall); }, {wall});
    selects([&] { return SelectInTreeByModel(list, both); }, {paged, both});
    ModelListView.control = nullptr;
    EXPECT_EQ(SelectUsersInTree(list, page.get()), 2) << "counted without a tree window";

    ApplyToModelsSlot18(list, page.get(), other.get());
    EXPECT_EQ(MaterialOf(paged, 0).page, other.get());
    EXPECT_EQ(MaterialOf(both, 1).page, other.get());
    page->used = brick->used = wood->used = other->used = false;
    ApplyToModelsSlot41(list);
    EXPECT_TRUE(other->used);
    EXPECT_TRUE(brick->used);
    EXPECT_TRUE(wood->used);
    EXPECT_FALSE(page->used);
    ApplyToModelsSlot14(list, wood.get()); // no vertices: nothing to restore, nothing breaks
    ClearWorld();
}

TEST_F(ModelListTest, TablesAndLinkedAnimation)
{
    CModelEntry* a = AddEntry("a", new CRootNode());
    CModelEntry* b = AddEntry("b", new CRootNode());
    a->index = 2;
    b->index = 5;
    a->animIndex = 1;
    b->linkIndex = 1;
    RegisterByIndex(g_ModelListRoot->FirstEntry());
    ASSERT_EQ(ModelIndexTable.size(), 6u);
    EXPECT_EQ(ModelIndexTable[0], nullptr);
    EXPECT_EQ(ModelIndexTable[2], a);
    EXPECT_EQ(ModelIndexTable[5], b);
    AnimInfoTable.clear();
    RegisterInTable(g_ModelListRoot->FirstEntry());
    ASSERT_EQ(AnimInfoTable.size(), 2u);
    EXPECT_EQ(AnimInfoTable[1], a);
    b->model->animated = 1;
    ResolveLinkedModels(g_ModelListRoot->FirstEntry());
    EXPECT_EQ(b->model->animated, 0) << "a linked model without keys has no range";
    ClearLinkTo(g_ModelListRoot->FirstEntry(), a);
    EXPECT_EQ(b->linkIndex, -1);
    ResetCopyNumbers(g_ModelListRoot->FirstEntry());
    EXPECT_EQ(a->copyNumber, -1);
    a->SetName("chair");
    EXPECT_EQ(FindByNameAndPath(g_ModelListRoot->FirstEntry(), "chair", GetPath(g_ModelsTree).c_str()), a);
}

TEST_F(ModelListTest, MacroWalkersReachNestedUsesInEveryMacro)
{
    CModelEntry* chair = AddEntry("chair", new CRootNode());
    CModelEntry* lamp = AddEntry("lamp", new CRootNode());
    CObjectNode* safe = AddDefinition("Safe", nullptr, 3);
    auto* macro = new CMacro();
    g_MacroListRoot->AddChild(macro);
    macro->content = new CWorldObject();
    CWorldObject* outer = Place(macro->content, "outer", CWorldObject::KIND_MODEL, chair);
    Place(outer, "inner", CWorldObject::KIND_MODEL, chair);
    CWorldObject* keep = Place(macro->content, "keep", CWorldObject::KIND_MODEL, lamp);
    CWorldObject* box = Place(keep, "box", CWorldObject::KIND_OBJECT, safe);
    macro->id = 44;
    EXPECT_EQ(FindMacroById(g_MacroListRoot, 44), macro);
    EXPECT_EQ(FindMacroUserOfModel(g_MacroListRoot, chair), outer);
    EXPECT_EQ(FindMacroUserOfObject(g_MacroListRoot, safe), box);
    DeleteMacroUsersOfModel(g_MacroListRoot, chair);
    EXPECT_EQ(FindMacroUserOfModel(g_MacroListRoot, chair), nullptr) << "both uses, one under the other";
    EXPECT_EQ(macro->content->FirstObject(), keep);
    ReplaceMacroModelByObject(g_MacroListRoot, lamp, safe);
    EXPECT_EQ(keep->objectKind, CWorldObject::KIND_OBJECT);
    EXPECT_EQ(keep->reference, safe);
    CObjectNode* other = AddDefinition("Other", nullptr, 3);
    ReplaceMacroObject(g_MacroListRoot, safe, other);
    EXPECT_EQ(box->reference, other);
    EXPECT_EQ(keep->reference, other);
    DeleteMacroUsersOfObject(g_MacroListRoot, other);
    EXPECT_EQ(macro->content->FirstObject(), nullptr);
}

TEST_F(ModelListTest, ModelTreeViewListsCategoriesFoldersAndVariantsUnderTheirEntry)
{
    RecordingTree tree;
    ModelListView.control = &tree;
    auto* walls = new CNode("Walls");
    g_ModelsTree->AddChild(walls);
    CModelEntry* wall = AddEntry("wall - big", new CRootNode());
    wall->group = walls;
    CModelEntry* red = AddEntry("wall [red] - big", new CRootNode());
    CModelEntry* loose = AddEntry("vase", new CRootNode());
    auto* macro = new CMacro();
    macro->SetName("fence");
    g_MacroListRoot->AddChild(macro);

    FillModelTree(g_ModelListRoot, true);
    const std::string models = "/" + std::string(g_ModelsTree->name);
    EXPECT_EQ(tree.PathOf(ModelListView.spotItem), "/Lights/Spot");
    EXPECT_EQ(tree.images[ModelListView.pointItem], 20);
    EXPECT_EQ(tree.PathOf(wall->id), models + "/Walls/wall - big");
    EXPECT_EQ(tree.PathOf(red->id), models + "/Walls/wall - big/wall [red] - big");
    EXPECT_EQ(red->group, walls) << "a variant takes its entry's folder";
    EXPECT_EQ(tree.PathOf(loose->id), models + "/vase");
    EXPECT_EQ(tree.PathOf(macro->id), "/Macros/fence");
    EXPECT_EQ(tree.images[loose->id], 2);

    ModelListView.view = MODELVIEW_PLAIN;
    FillModelTree(g_ModelListRoot, false);
    EXPECT_EQ(red->id, 0u) << "variants are left out";
    EXPECT_EQ(ModelListView.lightsItem, 0u);
    EXPECT_EQ(macro->id, 0u);
    EXPECT_EQ(tree.PathOf(loose->id), "/vase");
    ModelListView = SModelListView();
    ModelListView.control = nullptr;
}

TEST_F(ModelListTest, UnusedEntriesAreThoseNothingRefersTo)
{
    CModelEntry* placed = AddEntry("placed", new CRootNode());
    CModelEntry* inMacro = AddEntry("inMacro", new CRootNode());
    CModelEntry* inState = AddEntry("inState", new CRootNode());
    CModelEntry* idle = AddEntry("idle", new CRootNode());
    CWorldObject* group = Place(g_WorldRoot, "g", CWorldObject::KIND_GROUP, nullptr);
    Place(group, "p", CWorldObject::KIND_MODEL, placed);
    auto* macro = new CMacro();
    g_MacroListRoot->AddChild(macro);
    macro->content = new CWorldObject();
    Place(macro->content, "m", CWorldObject::KIND_MODEL, inMacro);
    AddDefinition("Door", inState, 7);
    MarkUnused(g_ModelListRoot->FirstEntry());
    EXPECT_FALSE(placed->noUsers);
    EXPECT_FALSE(inMacro->noUsers);
    EXPECT_FALSE(inState->noUsers);
    EXPECT_TRUE(idle->noUsers);
    EXPECT_EQ(FindFirstUnused(g_ModelListRoot->FirstEntry()), idle);
}

TEST_F(ModelListTest, ReplacingFromAFileSwapsTheModelOnlyWhenItLoads)
{
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("varek_replace_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    auto* saved = new CRootNode();
    saved->SetName("crate");
    saved->AddChild(TriangleMesh("box"));
    const std::string file = (dir / "crate.tmf").string();
    ASSERT_TRUE(saved->Save(file.c_str()));
    delete saved;

    CModelEntry* entry = AddEntry("old", new CRootNode());
    CRootNode* before = entry->model;
    EXPECT_FALSE(ReplaceModelFromFile(entry, (dir / "missing.tmf").string().c_str()));
    EXPECT_FALSE(ReplaceModelFromFile(entry, (dir / "thing.obj").string().c_str())) << "no importer for it";
    EXPECT_EQ(entry->model, before);
    EXPECT_STREQ(entry->name, "old");
    ASSERT_TRUE(ReplaceModelFromFile(entry, file.c_str()));
    EXPECT_NE(entry->model, before);
    EXPECT_STREQ(entry->name, "crate");
    ASSERT_NE(entry->model->FirstModelChild(), nullptr);
    std::filesystem::remove_all(dir);
}
