// The large variant of the sample installation, a town of ten street blocks:
// it is made on demand, copies byte for byte through varek-tool, and the game
// draws its street.
#include "tests/sample/SampleTestUtil.h"

namespace {

using namespace sampletest;

TEST(LargeTown, LoadsRoundTripsAndDrawsItsStreet)
{
    const fs::path dir = TempFolder("LargeTown");
    std::string output;
    ASSERT_TRUE(MakeSample(dir, &output, "large")) << output;

    // Ten blocks of four houses, each block with its lamps and trees.
    const std::string dumpFile = (dir / "dump.txt").string();
    ASSERT_EQ(RunCommand(std::string("'") + VAREK_TOOL_PATH + "' world dump " + Quote(dir / "Varek.wld") +
                         " >" + Quote(dumpFile) + " 2>&1"),
              0);
    const std::string dump = ReadText(dumpFile);
    int houses = 0;
    for (size_t at = dump.find("\"Haus_"); at != std::string::npos; at = dump.find("\"Haus_", at + 1))
        ++houses;
    EXPECT_EQ(houses, 40);

    ASSERT_EQ(RunCommand(std::string("'") + VAREK_TOOL_PATH + "' world roundtrip " +
                         Quote(dir / "Varek.wld") + " " + Quote(dir / "copy.wld") + " 2>&1"),
              0);
    EXPECT_EQ(ReadBytes(dir / "Varek.wld"), ReadBytes(dir / "copy.wld"));

    std::error_code ec;
    ASSERT_TRUE(JoinInstallation(dir, VAREK_PROGRAM, "Varek", ec)) << ec.message();
    // Past the intro's fade.
    ASSERT_EQ(RunCommand("cd " + Quote(dir) + " && env XDG_CONFIG_HOME=" + Quote(dir / "config") +
                         " LSAN_OPTIONS=detect_leaks=0 VAREK_EXIT_AFTER_FRAMES=16 VAREK_FIXED_STEP=1"
                         " VAREK_SNAPSHOTS=15 ./Varek -window -logging > output.txt 2>&1"),
              0)
        << ReadText(dir / "output.txt");
    const std::vector<uint8_t> shot = ReadBytes(dir / "snapshot00015.bmp");
    int w = 0, h = 0;
    uint32_t rgb = 0;
    ASSERT_TRUE(BmpPixel(shot, 0, 0, &w, &h, &rgb));
    // The camera behind the hero on the pavement: the road on the right, grey, textured asphalt.
    const SRegion road = Mean(shot, w * 3 / 4 - 30, h / 2, w - 20, h - 20);
    EXPECT_LT(road.r, 130);
    EXPECT_NEAR(road.r, road.b, 20);
    EXPECT_NEAR(road.g, road.b, 20);
    EXPECT_GT(road.distinct, 8);
    const SRegion whole = Mean(shot, 0, 0, w, h);
    EXPECT_GE(whole.distinct, 64) << "houses, lamps and gardens around the road";
    EXPECT_NE(ReadText(dir / "log.txt").find("World loaded successfuly"), std::string::npos);
    if (!::testing::Test::HasFailure())
        fs::remove_all(dir);
}

} // namespace
