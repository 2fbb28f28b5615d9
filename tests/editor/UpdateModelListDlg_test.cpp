// "Update Model-List" between the edited world and another world file: the lists of
// both, Export with its questions, Import with the question over many items, and
// what happens to the other file on closing.
#include "GAMES/Rulo2/editor/EditorDialogs.h"
#include "GAMES/Rulo2/editor/UpdateModelListDlg.h"
#include "GAMES/Rulo2/world/ModelListServices.h"
#include "GAMES/Rulo2/world/WorldFile.h"
#include "GAMES/Rulo2/world/WorldTreeWalk.h"
#include "tests/editor/EditorWindowsFixture.h"
#include "tests/render/TextureTestRig.h"

#include "GAMES/Rulo2/TexturePage.h"
#include "GAMES/Rulo2/world/CMeshNode.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/WorldFile.h"
#include "platform/files/Files.h"

#include <fstream>
#include <iterator>

namespace {

using platform::ui::DialogAnswer;
using platform::ui::QueueDialogAnswer;

std::vector<std::string> uiLog;

std::string Bytes(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class UpdateModelList : public editortest::EditorWindowsTest
{
protected:
    void SetUp() override
    {
        EditorWindowsTest::SetUp();
        uiLog.clear();
        platform::ui::SetLog([](const char* line) { uiLog.emplace_back(line); });
        platform::ui::ClearDialogAnswers();
        other = dir.path / "other.wld";
    }
    void TearDown() override
    {
        platform::ui::SetLog(nullptr);
        platform::ui::ClearDialogAnswers();
        EditorWindowsTest::TearDown();
    }
    // A definition with a state "OPEN" showing the tile when `withState`.
    CObjectNode* Object(const char* name, bool withState)
    {
        CObjectNode* d = Definition(name, 3);
        d->group = g_ObjectsTree;
        if (withState)
            d->AddState("OPEN")->modelEntry = tile;
        return d;
    }
    // The other world: its definitions (with states) and one placed door, saved; then
    // the current world is emptied and gets the tile again.
    void SaveOther(std::initializer_list<const char*> names)
    {
        for (const char* name : names)
            Placed(g_WorldRoot, Object(name, true));
        // An animated model: its load registers it in the animation table.
        tile->animIndex = 5;
        ASSERT_TRUE(SaveWorld(other.c_str()));
        ClearWorld();
        tile = shelltest::AddTileEntry(1.0f);
    }
    static CObjectNode* Find(const char* name)
    {
        for (CObjectNode* d = g_ObjectList; d; d = d->NextDefinition())
            if (std::string(d->GetName()) == name)
                return d;
        return nullptr;
    }
    static bool Unanswered()
    {
        for (const std::string& line : uiLog)
            if (line.find("was not answered") != std::string::npos)
                return true;
        return false;
    }
    std::filesystem::path other;
};

TEST_F(UpdateModelList, BothListsShowObjectsThenModelsAndClosingWithoutExportKeepsTheFile)
{
    SaveOther({"Door", "Safe"});
    const std::string before = Bytes(other);
    Object("Lamp", false);
    CWorldObject* world = g_WorldRoot;
    {
        UpdateModelListDlg dialog(other.string());
        dialog.Create(nullptr);
        ASSERT_TRUE(dialog.Loaded());
        EXPECT_EQ(dialog.Rows(UpdateModelListDlg::kRight),
                  (std::vector<std::string>{"\\Objects\\Door", "\\Objects\\Safe", "\\Models\\Tile"}));
        EXPECT_EQ(dialog.Rows(UpdateModelListDlg::kLeft),
                  (std::vector<std::string>{"\\Objects\\Lamp", "\\Models\\Tile"}));
        // The globals are the edited world's while the dialog is open.
        EXPECT_EQ(g_WorldRoot, world);
        EXPECT_EQ(Find("Door"), nullptr);
        dialog.DestroyWindow();
    }
    EXPECT_EQ(Bytes(other), before);
    EXPECT_EQ(g_WorldRoot, world);
    EXPECT_NE(Find("Lamp"), nullptr);
    // The animation table names only models of the current world.
    for (CModelEntry* e : AnimInfoTable) {
        bool current = e == nullptr;
        WalkModelList(g_ModelListRoot->FirstEntry(), [&](CModelEntry* m) { current = current || m == e; });
        EXPECT_TRUE(current);
    }
}

TEST_F(UpdateModelList, CancelInAnExportConflictKeepsTheEarlierExportsAndStillSaves)
{
    SaveOther({"Door"});
    Object("Lamp", false);
    Object("Door", false);
    {
        UpdateModelListDlg dialog(other.string());
        dialog.Create(nullptr);
        ASSERT_TRUE(dialog.Loaded());
        dialog.SelectRows(UpdateModelListDlg::kLeft, {0, 1});
        platform::QueueMessageBoxAnswer(platform::IDCANCEL);
        dialog.Export();
        EXPECT_TRUE(dialog.Modified());
        EXPECT_EQ(dialog.Rows(UpdateModelListDlg::kRight),
                  (std::vector<std::string>{"\\Objects\\Door", "\\Objects\\Lamp", "\\Models\\Tile"}));
        dialog.DestroyWindow();
    }
    const std::vector<std::string> boxes = editortest::Boxes().Lines();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("Object 'Door' already exists. Replace it?"), std::string::npos) << boxes[0];
    ClearWorld();
    ASSERT_TRUE(LoadWorld(other.c_str(), LOADWORLD_OPEN));
    ASSERT_NE(Find("Lamp"), nullptr);
    // The other world's door kept its own state.
    ASSERT_NE(Find("Door"), nullptr);
    EXPECT_NE(Find("Door")->FindState("OPEN"), nullptr);
}

TEST_F(UpdateModelList, YesToAllAtTheFirstImportConflictAnswersTheOthers)
{
    SaveOther({"Door", "Safe", "Lamp"});
    for (const char* name : {"Door", "Safe", "Lamp"})
        Object(name, false);
    CObjectNode* door = Find("Door");
    {
        UpdateModelListDlg dialog(other.string());
        dialog.Create(nullptr);
        ASSERT_TRUE(dialog.Loaded());
        dialog.SelectRows(UpdateModelListDlg::kRight, {0, 1, 2});
        QueueDialogAnswer(DialogAnswer{YesAllNoAllDlg::IDD, {}, 4});
        dialog.Import();
        EXPECT_FALSE(Unanswered());
        EXPECT_FALSE(dialog.Modified());
        dialog.DestroyWindow();
    }
    // Replaced in place: the definitions keep their identity and take the states.
    EXPECT_EQ(Find("Door"), door);
    for (const char* name : {"Door", "Safe", "Lamp"}) {
        ASSERT_NE(Find(name), nullptr) << name;
        CObjectState* open = Find(name)->FindState("OPEN");
        ASSERT_NE(open, nullptr) << name;
        // The state shows the current world's tile (replaced by the copy of the other's).
        EXPECT_EQ(open->modelEntry, tile) << name;
        ASSERT_NE(tile->model, nullptr);
    }
}

TEST_F(UpdateModelList, AnUnreadableOtherWorldLeavesTheCurrentWorldAsItWas)
{
    std::ofstream(other, std::ios::binary) << "WRLD and then nothing that makes a world";
    const std::string before = Bytes(other);
    Object("Lamp", true);
    CWorldObject* world = g_WorldRoot;
    CModelEntry* models = g_ModelListRoot;
    CObjectNode* objects = g_ObjectList;
    {
        UpdateModelListDlg dialog(other.string());
        dialog.Create(nullptr);
        EXPECT_FALSE(dialog.Loaded());
        EXPECT_TRUE(dialog.Rows(UpdateModelListDlg::kLeft).empty());
        EXPECT_TRUE(dialog.Rows(UpdateModelListDlg::kRight).empty());
        dialog.SelectRows(UpdateModelListDlg::kLeft, {0});
        dialog.Export();
        dialog.DestroyWindow();
    }
    EXPECT_EQ(g_WorldRoot, world);
    EXPECT_EQ(g_ModelListRoot, models);
    EXPECT_EQ(g_ObjectList, objects);
    EXPECT_EQ(Find("Lamp")->FindState("OPEN")->modelEntry, tile);
    EXPECT_EQ(Bytes(other), before);
}

// With a device: models that show texture pages.
class UpdateModelListPages : public UpdateModelList
{
protected:
    void SetUp() override
    {
        UpdateModelList::SetUp();
        rig = std::make_unique<TextureDeviceRig>();
        savedHooks = TexturePageHooks;
        InstallTexturePageHooks();
        std::filesystem::create_directories(dir.path / "textures");
        for (const auto& [name, colour] :
             {std::pair{"red", 0xFFFF0000u}, std::pair{"blue", 0xFF0000FFu}, std::pair{"green", 0xFF00FF00u}})
            ASSERT_TRUE(WritePicture(dir.path / "textures" / (std::string(name) + ".bmp"), 32, 32,
                                     std::vector<uint32_t>(32 * 32, colour)));
        previous = std::filesystem::current_path();
        ASSERT_TRUE(platform::SetCurrentDirectory(dir.path.string()));
    }
    void TearDown() override
    {
        ClearWorld();
        TexturePageHooks = savedHooks;
        rig.reset();
        platform::SetCurrentDirectory(previous.string());
        UpdateModelList::TearDown();
    }
    // A built page of one texture from the test's texture folder.
    static CTexturePage* Page(const char* texture)
    {
        auto* t = new CTexture();
        EXPECT_TRUE(t->Load((std::string("textures\\") + texture + ".bmp").c_str(), false));
        auto* page = new CTexturePage();
        EXPECT_TRUE(page->AddTexture(t));
        EXPECT_TRUE(page->Build());
        return page;
    }
    // A model entry whose one material shows the first entry of `page`.
    static CModelEntry* Painted(const char* name, CTexturePage* page)
    {
        auto* entry = new CModelEntry;
        entry->SetName(name);
        entry->group = g_ModelsTree;
        entry->model = shelltest::MakeTileModel(1.0f);
        CMeshMaterial& m = MaterialOf(entry);
        m.page = page;
        m.pageNumber = page->number;
        m.pageEntry = 0;
        g_ModelListRoot->AddChild(entry);
        return entry;
    }
    static CMeshNode* Mesh(CModelEntry* entry)
    {
        CMeshNode* mesh = nullptr;
        WalkMeshTree(entry->model, [&](CMeshNode* n) { mesh = mesh ? mesh : n; });
        return mesh;
    }
    static CMeshMaterial& MaterialOf(CModelEntry* entry) { return Mesh(entry)->materials[0]; }
    static CModelEntry* Model(const char* name)
    {
        CModelEntry* found = nullptr;
        WalkModelList(g_ModelListRoot->FirstEntry(), [&](CModelEntry* e) {
            if (std::string(e->name ? e->name : "") == name)
                found = e;
            return !found;
        });
        return found;
    }
    static std::vector<CTexturePage*> Pages()
    {
        std::vector<CTexturePage*> pages;
        for (CTexturePage* p = CTexturePage::First(); p; p = p->next)
            pages.push_back(p);
        return pages;
    }
    // The file name of the texture that a model's material shows through its page.
    static std::string Shown(CModelEntry* entry)
    {
        const CMeshMaterial& m = MaterialOf(entry);
        if (!m.page || m.pageEntry < 0 || m.pageEntry >= m.page->count())
            return "no page";
        return m.page->entries[size_t(m.pageEntry)].path.empty()
                   ? m.page->entries[size_t(m.pageEntry)].texture->sourcePath
                   : m.page->entries[size_t(m.pageEntry)].path;
    }

    std::unique_ptr<TextureDeviceRig> rig;
    STexturePageHooks savedHooks;
    std::filesystem::path previous;
};

// Export takes the page a model shows (and only that one) into the other world, where the
// copy shows it; Import brings the other world's page into the current world, whose
// own pages stay as they were.
TEST_F(UpdateModelListPages, ModelsTakeTheirTexturePagesIntoTheOtherWorld)
{
    CTexturePage* green = Page("green");
    green->number = 1;
    Painted("Lawn", green);
    ASSERT_TRUE(SaveWorld(other.c_str()));
    CTexture* greenTexture = green->entries[0].texture;
    ClearWorld();
    delete greenTexture;
    tile = shelltest::AddTileEntry(1.0f);
    CTexturePage* red = Page("red");
    CTexturePage* blue = Page("blue");
    red->number = 1;
    blue->number = 2;
    CModelEntry* roof = Painted("Roof", blue);
    // Its ground outline, from which the path finder rasterises the model's ground map.
    const CVector outline[3] = {CVector(0, 0, 0), CVector(1, 0, 0), CVector(0, 0, 1)};
    const int32_t edges[2] = {0, 1};
    Mesh(roof)->SetShape(outline, 3, edges, 2);
    {
        UpdateModelListDlg dialog(other.string());
        dialog.Create(nullptr);
        ASSERT_TRUE(dialog.Loaded());
        const std::vector<std::string> left = dialog.Rows(UpdateModelListDlg::kLeft);
        const std::vector<std::string> right = dialog.Rows(UpdateModelListDlg::kRight);
        const auto row = [](const std::vector<std::string>& rows, const char* text) {
            return int(std::find(rows.begin(), rows.end(), text) - rows.begin());
        };
        dialog.SelectRows(UpdateModelListDlg::kLeft, {row(left, "\\Models\\Roof")});
        dialog.Export();
        EXPECT_TRUE(dialog.Modified());
        // The model's trip through a temporary file left the current folder the world's.
        EXPECT_TRUE(std::filesystem::equivalent(std::filesystem::current_path(), dir.path));
        dialog.SelectRows(UpdateModelListDlg::kRight, {row(right, "\\Models\\Lawn")});
        dialog.Import();
        // The current world: its two pages, then the copy of the other's green one.
        const std::vector<CTexturePage*> pages = Pages();
        ASSERT_EQ(pages.size(), 3u);
        EXPECT_EQ(pages[0], red);
        EXPECT_EQ(pages[1], blue);
        EXPECT_EQ(pages[2]->number, 3);
        ASSERT_NE(Model("Lawn"), nullptr);
        EXPECT_EQ(MaterialOf(Model("Lawn")).page, pages[2]);
        EXPECT_EQ(Shown(Model("Lawn")), "textures\\green.bmp");
        EXPECT_EQ(MaterialOf(roof).page, blue);
        // The page's texture was loaded at the end of the current world's texture list.
        ASSERT_NE(pages[2]->entries[0].texture, nullptr);
        EXPECT_EQ(CTexture::Last(), pages[2]->entries[0].texture);
        EXPECT_EQ(CTexture::Last()->sourcePath, "textures\\green.bmp");
        dialog.DestroyWindow();
    }
    EXPECT_EQ(Pages().size(), 3u);
    EXPECT_EQ(Shown(roof), "textures\\blue.bmp");

    // The other world as the editor reads it again: its page and the blue one, no red.
    ClearWorld();
    ASSERT_TRUE(LoadWorld(other.c_str(), LOADWORLD_OPEN));
    ASSERT_EQ(Pages().size(), 2u);
    ASSERT_NE(Model("Roof"), nullptr);
    EXPECT_EQ(Shown(Model("Roof")), "textures\\blue.bmp");
    EXPECT_EQ(Shown(Model("Lawn")), "textures\\green.bmp");
    EXPECT_EQ(Mesh(Model("Roof"))->shapePointCount, 3);
    EXPECT_EQ(Mesh(Model("Roof"))->shapeEdgeCount, 2);
}

} // namespace
