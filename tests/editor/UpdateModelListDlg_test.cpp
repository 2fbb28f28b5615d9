// "Update Model-List" between the edited world and another world file: the lists of
// both, Export with its questions, Import with the question over many items, and
// what happens to the other file on closing.
#include "GAMES/Rulo2/editor/EditorDialogs.h"
#include "GAMES/Rulo2/editor/UpdateModelListDlg.h"
#include "GAMES/Rulo2/world/WorldFile.h"
#include "tests/editor/EditorWindowsFixture.h"

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

} // namespace
