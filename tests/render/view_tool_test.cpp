// varek-tool view on a saved house world: the last frame as a BMP picture that
// ImageMagick opens and that shows the house.
#include "tests/support/ToolLeakSuppressions.h"
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/render/WorldFrame.h"
#include "GAMES/Rulo2/world/WorldFile.h"
#include "tests/render/HouseWorld.h"

namespace {

std::string RunTool(const std::string& arguments, int* status)
{
    const std::string command = "LSAN_OPTIONS=suppressions=" + ToolLeakSuppressions() + " " +
                                VAREK_TOOL_PATH + " " + arguments + " 2>&1";
    std::string output;
    FILE* p = popen(command.c_str(), "r");
    if (!p) {
        *status = -1;
        return output;
    }
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, p))
        output += buffer;
    *status = pclose(p);
    return output;
}

struct Bmp
{
    int width = 0, height = 0;
    std::vector<uint8_t> bytes;
    uint32_t Pixel(int x, int y) const
    {
        const int row = (width * 3 + 3) & ~3;
        const uint8_t* p = bytes.data() + 54 + size_t(height - 1 - y) * size_t(row) + size_t(x) * 3;
        return uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
    }
};

Bmp ReadBmp(const std::string& path)
{
    Bmp b;
    std::ifstream in(path, std::ios::binary);
    b.bytes.assign(std::istreambuf_iterator<char>(in), {});
    if (b.bytes.size() >= 54) {
        b.width = int(b.bytes[18] | b.bytes[19] << 8);
        b.height = int(b.bytes[22] | b.bytes[23] << 8);
    }
    return b;
}

} // namespace

TEST(ViewTool, DrawsTheSavedHouseIntoABmp)
{
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("varek_view_tool_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string world = (dir / "haus.wld").string(), picture = (dir / "haus.bmp").string();
    {
        GameModeFlag = 0;
        HouseWorld w;
        // A yellow roof over the house, outside, so it stands when nobody is inside.
        CWorldObject* outside2 = AddGroup(w.floor2, "aussen");
        CModelEntry* roof = MakeEntry("Dach", MakeBoxModel("Dach", 4.4f, 0.2f, 4.4f, 1, 1, 0));
        AddModel(outside2, "dach", roof, CVector(0, 2.1f, 0));
        std::string error;
        ASSERT_TRUE(SaveWorld(world.c_str(), &error)) << error;
    }
    std::filesystem::remove(picture);
    int status = 0;
    const std::string out = RunTool("view " + world + " --frames 3 --snapshot " + picture, &status);
    ASSERT_EQ(status, 0) << out;
    EXPECT_NE(out.find("3 frames"), std::string::npos) << out;

    const std::string identify = "identify " + picture + " > " + (dir / "identify.txt").string() + " 2>&1";
    ASSERT_EQ(std::system(identify.c_str()), 0);
    std::ifstream id((dir / "identify.txt").string());
    const std::string idText((std::istreambuf_iterator<char>(id)), {});
    EXPECT_NE(idText.find("BMP"), std::string::npos) << idText;
    EXPECT_NE(idText.find("640x480"), std::string::npos) << idText;

    const Bmp bmp = ReadBmp(picture);
    ASSERT_EQ(bmp.width, 640);
    ASSERT_EQ(bmp.height, 480);
    // The camera looks at the world's centre from above and behind: the roof
    // fills the middle, the game's clear colour (the walk fog's) the top corners. The
    // game's ambient light lifts the roof's blue, so the roof is a saturated yellow
    // rather than exact.
    const auto roof = [](uint32_t p) {
        const uint32_t r = p >> 16, g = (p >> 8) & 0xFF, b = p & 0xFF;
        return r >= 0xF0 && g >= 0xF0 && b < 0xF0;
    };
    EXPECT_TRUE(roof(bmp.Pixel(320, 240))) << std::hex << bmp.Pixel(320, 240);
    EXPECT_EQ(bmp.Pixel(5, 5), FrameClearColour(true) & 0xFFFFFFu);
    int roofPixels = 0;
    for (int y = 0; y < 480; y += 4)
        for (int x = 0; x < 640; x += 4)
            roofPixels += roof(bmp.Pixel(x, y));
    EXPECT_GT(roofPixels, 1000);

    // A picture that cannot be saved leaves the previous one as it was.
    std::filesystem::create_directory(picture + ".tmp");
    const std::string blocked = RunTool("view " + world + " --frames 1 --snapshot " + picture, &status);
    EXPECT_NE(status, 0) << blocked;
    EXPECT_NE(blocked.find("haus.bmp: the file cannot be created"), std::string::npos) << blocked;
    EXPECT_EQ(ReadBmp(picture).bytes, bmp.bytes);

    // "world view" is the same command; errors name the file.
    const std::string missing =
        RunTool("world view " + (dir / "nothing.wld").string() + " --frames 1", &status);
    EXPECT_NE(status, 0);
    EXPECT_NE(missing.find("nothing.wld"), std::string::npos) << missing;
    RunTool("view " + world + " --frames x", &status);
    EXPECT_NE(status, 0);
    if (!std::getenv("VAREK_KEEP_TEST_FILES")) {
        std::filesystem::remove_all(dir);
        std::filesystem::remove(ToolLeakSuppressions());
    }
}
