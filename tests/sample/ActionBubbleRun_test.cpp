// The game program on the sample installation, driven by an input script: the hero walks up the
// pavement to the picklock, from where the front door of Haus_C is in view; a press held on the
// door opens the action bubble over it, the pointer goes onto the bubble's middle slice (lay a hand
// on it) and the release orders the hero there.
#include "tests/sample/SampleAutosave.h"
#include "tests/sample/SampleTestUtil.h"

#include "GAMES/Rulo2/app/SaveGame.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/GamePasses.h"
#include "GAMES/Rulo2/world/ObjectPaths.h"
#include "GAMES/Rulo2/world/WorldFile.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

using namespace sampletest;

class ActionBubbleRun : public SampleSuite<ActionBubbleRun>
{
};

TEST_F(ActionBubbleRun, AHeldPressOnTheDoorOpensTheBubbleAndItsSliceOrdersTheHeroThere)
{
    const fs::path& d = *dir;
    std::error_code ec;
    ASSERT_TRUE(JoinInstallation(d, VAREK_PROGRAM, "Varek", ec)) << ec.message();
    // The door is out of the start view: a click naming the picklock walks the hero (and the
    // camera behind him) up the pavement first. Placed objects are found by their definitions'
    // names. The bubble opens in 11 pictures of 50 ms; a fixed step is 40 ms.
    std::ofstream(d / "script.txt") << "16 clickobject Dietrich\n"
                                       "95 point \\Haus_C\\Door_Locked_Left\n"
                                       "96 down left\n"
                                       "101 snapshot opening.bmp\n"
                                       "113 bubble middle\n"
                                       "115 snapshot bubble.bmp\n"
                                       "116 up left\n";
    const int rc = RunCommand("cd " + Quote(d) + " && env XDG_CONFIG_HOME=" + Quote(d / "config") +
                              " LSAN_OPTIONS=detect_leaks=0 VAREK_EXIT_AFTER_FRAMES=176 VAREK_FIXED_STEP=1"
                              " VAREK_INPUT_SCRIPT=script.txt ./Varek -window -logging > output.txt 2>&1");
    ASSERT_EQ(rc, 0) << ReadText(d / "output.txt");
    const std::string log = ReadText(d / "log.txt");
    EXPECT_EQ(log.find("not in the view"), std::string::npos) << log;
    const size_t at = log.find("Bubble middle at ");
    ASSERT_NE(at, std::string::npos) << "the bubble stood open\n" << log;
    int x = 0, y = 0;
    ASSERT_EQ(std::sscanf(log.c_str() + at + 17, "%d %d", &x, &y), 2);

    // Open, the bubble shows its three slices, the middle one (a hand) under the pointer: ring,
    // face and figure in several colours over the world.
    const std::vector<uint8_t> open = ReadBytes(d / "bubble.bmp");
    const SRegion slice = Mean(open, x - 12, y - 10, x + 12, y + 10);
    EXPECT_GE(slice.distinct, 3) << "the bubble's drawing";
    const SRegion whole = Mean(open, x - 61, y - 20, x + 60, y + 40);
    const SRegion before = Mean(ReadBytes(d / "opening.bmp"), x - 61, y - 20, x + 60, y + 40);
    EXPECT_GT(std::abs(whole.r - before.r) + std::abs(whole.g - before.g) + std::abs(whole.b - before.b), 6.0)
        << "the bubble grew between the two pictures";
    const fs::path kept = fs::path(VAREK_ARTEFACT_DIR) / "bubble";
    fs::create_directories(kept, ec);
    for (const char* shot : {"opening.bmp", "bubble.bmp"})
        fs::copy_file(d / shot, kept / shot, fs::copy_options::overwrite_existing, ec);

    // The autosave at the exit has the hero walked up to the door (it started at (-0.72, 0.1)) and
    // the door still locked: a hand laid on it opens no lock.
    ASSERT_TRUE(LoadWorldAndSave(d, d / "Savegame" / "game000.gam"));
    const CWorldObject* door = FindWorldObject(g_WorldRoot, "\\Haus_C\\Door_Locked_Left");
    const CWorldObject* hero = FindWorldObject(g_WorldRoot, "Hero");
    ASSERT_NE(door, nullptr);
    ASSERT_NE(hero, nullptr);
    const float startDistance = std::hypot(-0.72f - door->position.x, 0.1f - door->position.z);
    const float distance =
        std::hypot(hero->position.x - door->position.x, hero->position.z - door->position.z);
    ASSERT_NE(door->objectLogic, nullptr);
    EXPECT_TRUE(door->objectLogic->IsLocked());
    EXPECT_LT(distance, 0.35f) << "hero at " << hero->position.x << " " << hero->position.z << ", door at "
                               << door->position.x << " " << door->position.z;
    EXPECT_GT(startDistance, distance + 0.7f);
    ClearWorld();
}

} // namespace
