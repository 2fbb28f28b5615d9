// A world with a terrain, saved by the editor's code and drawn by varek-tool's
// world view: the terrain shows its family textures.
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "GAMES/Rulo2/world/WorldFile.h"
#include "tests/editor/TerrainTestUtil.h"
#include "tests/support/ToolLeakSuppressions.h"

namespace terraintest {
namespace {

using TerrainView = TerrainTest;

TEST_F(TerrainView, WorldViewDrawsTheTerrainTextured)
{
    fs::create_directories(dir / "tex");
    fs::create_directories(dir / "gen");
    Texture("tex/GRASS_V0.tif", 0, 220, 0);
    Texture("tex/ROCK_V0.tif", 230, 60, 60);
    const std::string map =
        Heightmap("map.tif", 32, 32, [](int x, int) { return uint8_t(x < 16 ? 0 : 120); });
    const std::string rules =
        Write("rules.txt", "texturepath_standard " + Folder() + "tex\ntexturepath_generated " + Folder() +
                               "gen\nfamily 0 grass\nfamily 1 rock\n"
                               "rule low\nfamily 0\ntexture V0 1\nruleend\n"
                               "rule high\nfamily 1\nheightstart 0.2\ntexture V0 1\nruleend\n");
    CTerrainRules* t = NewTerrain("Hills");
    t->width = t->depth = 16;
    t->maxHeight = 2;
    t->Rebuild(map.c_str(), rules.c_str(), true);
    ASSERT_EQ(1, t->valid);
    // A light over the terrain, as a world has.
    auto* lamp = new CWorldObject("Lamp");
    lamp->objectKind = CWorldObject::KIND_LIGHT;
    g_WorldRoot->AddChild(lamp);
    SWorldLight* light = lamp->MakeLight();
    light->light.dltType = D3DLIGHT_DIRECTIONAL;
    light->light.dcvDiffuse = {1, 1, 1, 1};
    light->light.dcvAmbient = {1, 1, 1, 1};
    light->light.dvDirection = {0.2f, -1, 0.3f};
    light->light.dvRange = 1000;
    light->lightWord = 0xFFFFFFFFu;
    const std::string world = Path("terrain.wld"), picture = Path("terrain.bmp");
    std::string error;
    ASSERT_TRUE(SaveWorld(world.c_str(), &error)) << error;

    const std::string command = "LSAN_OPTIONS=suppressions=" + ToolLeakSuppressions() + " " +
                                std::string(VAREK_TOOL_PATH) + " world view '" + world +
                                "' --frames 2 --snapshot '" + picture + "' > '" + Path("out.txt") + "' 2>&1";
    ASSERT_EQ(0, std::system(command.c_str())) << Log();
    if (const char* keep = std::getenv("VAREK_KEEP_TEST_FILES"); keep && *keep == '/')
        fs::copy_file(picture, keep, fs::copy_options::overwrite_existing),
            fs::copy_file(world, std::string(keep) + ".wld", fs::copy_options::overwrite_existing);
    imgImage shot;
    ASSERT_EQ(1, shot.load(picture.c_str()));
    ASSERT_EQ(1, shot.convertTo(FMT_RGB_888, ORIGIN_TOP_LEFT));
    int green = 0, red = 0;
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x) {
            const uint8_t* p = shot.pixels + size_t(y) * size_t(shot.bytesPerLine) + size_t(x) * 3;
            green += p[1] > 30 && p[1] > 2 * p[0] && p[1] > 2 * p[2];
            red += p[0] > 30 && p[0] > 2 * p[1] && p[0] > 2 * p[2];
        }
    std::ifstream toolOut(Path("out.txt"));
    const std::string said((std::istreambuf_iterator<char>(toolOut)), {});
    EXPECT_GT(green, 2000) << "grass\n" << said;
    EXPECT_GT(red, 2000) << "rock";
}

} // namespace
} // namespace terraintest
