#pragma once
// The sample world with a saved game over it, as a new game gives objects their logic and ids
// before the save is read: what the game left behind after a run, for the tests to look at.
#include "GAMES/Rulo2/app/SaveGame.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/GamePasses.h"
#include "GAMES/Rulo2/world/WorldFile.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace sampletest {

// The installation's "Varek.wld" in `dir`, then the game `save` over it.
inline ::testing::AssertionResult LoadWorldAndSave(const std::filesystem::path& dir,
                                                   const std::filesystem::path& save)
{
    if (!LoadWorld((dir / "Varek.wld").string().c_str(), LOADWORLD_OPEN))
        return ::testing::AssertionFailure() << "the world did not load";
    CreateObjectLogic(g_WorldRoot);
    CObjectNode::InitAllObjectLogic();
    CountWorldObjects(g_WorldRoot);
    g_WorldRoot->ResolveObjectIds();
    CreateSaveFolders(dir.string().c_str());
    if (!LoadGame(save.string(), false))
        return ::testing::AssertionFailure() << save << " did not load";
    return ::testing::AssertionSuccess();
}

} // namespace sampletest
