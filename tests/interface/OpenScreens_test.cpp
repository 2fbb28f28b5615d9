#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "GAMES/Rulo2/app/SaveGame.h"
#include "GAMES/Rulo2/interface/CSelectMenu.h"
#include "GAMES/Rulo2/interface/CTextTree.h"
#include "GAMES/Rulo2/world/ChunkFile.h"

#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/interface/CTutorial.h"
#include "GAMES/Rulo2/interface/OpenScreens.h"

TEST(OpenScreens, MessageBoxKeepsTheLastPurposeAndRaisesItsFlag)
{
    MessageMenuOpen = 0;
    OpenMessageMenu(0, "first", 3, 0);
    OpenMessageMenu(0, "second", 7, 1);
    EXPECT_EQ(MessagePurpose, 7);
    EXPECT_EQ(MessageMenuOpen, 1);
    MessageMenuOpen = 0;
}

TEST(Tutorial, InactiveControllerIgnoresPageEvents)
{
    CTutorial tutorial;
    tutorial.page = 2;
    tutorial.NextPage(2);
    tutorial.Stop();
    EXPECT_EQ(tutorial.page, 2);
    EXPECT_EQ(tutorial.panelState, 0);
    EXPECT_EQ(tutorial.active, 0);
    EXPECT_EQ(Tutorial.active, 0);
}

namespace {

// A save folder in the temporary folder with game files whose information block is readable.
class SlotLists : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = std::filesystem::temp_directory_path() / ("varek_slots_" + std::to_string(::getpid()));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder / "CurrentPlans");
        saved = SaveManager;
        SaveManager.savegameFolder = folder.string();
        SaveManager.plansFolder = (folder / "CurrentPlans").string();
        GameSaveListOpen = GameLoadListOpen = PlanLoadListOpen = PlanSaveListOpen = 0;
    }
    void TearDown() override
    {
        SaveManager = saved;
        GameSaveListOpen = GameLoadListOpen = PlanLoadListOpen = PlanSaveListOpen = 0;
        SelectMenu.RemoveAllElements();
        SelectMenu.ClearEntries();
        std::filesystem::remove_all(folder);
    }
    void Write(const char* name, const std::string& caption)
    {
        CChunkWriter w;
        ASSERT_TRUE(w.WriteId(ChunkId("GAME")) && w.WriteU32(0) && WriteSaveInfo(w, caption));
        ASSERT_TRUE(w.BeginChunk(ChunkId("EOF "), 1) && w.EndChunk());
        std::ofstream(folder / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(w.Data().data()), std::streamsize(w.Data().size()));
    }
    std::vector<std::string> Texts() const
    {
        std::vector<std::string> texts;
        for (const MenuSlot& slot : SelectMenu.entries)
            texts.push_back(slot.text);
        return texts;
    }
    std::filesystem::path folder;
    CSaveManager saved;
};

} // namespace

TEST_F(SlotLists, SavingOffersUsedSlotsAndTheLowestFreeOne)
{
    Write("game000.gam", "autosave");
    Write("game001.gam", "first");
    Write("game002.gam", "second");
    ShowGameSlots(true);
    EXPECT_EQ(GameSaveListOpen, 1);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"first", "second", GetDisplayText("EMPTY_SLOT")}));
    EXPECT_EQ(SelectMenu.entries[2].fileName, SaveManager.savegameFolder + "\\game003.gam");
    EXPECT_EQ(SelectMenu.entries[2].fileExists, 0);
    EXPECT_EQ(SelectMenu.entries[0].fileExists, 1);
    EXPECT_EQ(SelectMenu.thumbnails, 1);

    // Loading lists the autosave too and offers no empty slot.
    ShowGameSlots(false);
    EXPECT_EQ(GameLoadListOpen, 1);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"autosave", "first", "second"}));

    // A file whose information cannot be read is neither listed nor free.
    std::ofstream(folder / "game003.gam") << "not a saved game";
    ShowGameSlots(true);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"first", "second", GetDisplayText("EMPTY_SLOT")}));
    EXPECT_EQ(SelectMenu.entries[2].fileName, SaveManager.savegameFolder + "\\game004.gam");
}

TEST_F(SlotLists, LoadingPlansWithoutFilesGivesAnEmptyList)
{
    ShowPlanSlots(false);
    EXPECT_EQ(PlanLoadListOpen, 1);
    EXPECT_TRUE(SelectMenu.entries.empty());
    ShowPlanSlots(true);
    ASSERT_EQ(SelectMenu.entries.size(), 1u);
    EXPECT_EQ(SelectMenu.entries[0].fileName, SaveManager.plansFolder + "\\plan000.pln");
}
