// Dressing a terrain: transitions between families saved as TIFF and found
// again, objects scattered per cell, rebuilds that repeat, and a world that
// reloads to the same terrain.
#include "tests/editor/TerrainTestUtil.h"

#include <cstdlib>
#include <fstream>
#include <map>

#include "GAMES/Rulo2/world/GamePasses.h"
#include "GAMES/Rulo2/world/HouseFloors.h"
#include "GAMES/Rulo2/world/WorldFile.h"
#include "tests/world/WorldTestUtil.h"

namespace terraintest {
namespace {

class TerrainGenerate : public TerrainTest
{
protected:
    void SetUp() override
    {
        TerrainTest::SetUp();
        fs::create_directories(dir / "tex");
        fs::create_directories(dir / "gen");
        Texture("tex/GRASS_V0.tif", 0, 200, 0);
        Texture("tex/ROCK_V0.tif", 120, 120, 120);
        // Upper half low, lower half high: grass meets rock in the middle.
        heightmap = Heightmap("map.tif", 8, 8, [](int, int y) { return uint8_t(y < 4 ? 0 : 255); });
    }
    std::string Rules(const std::string& objects = "") const
    {
        return Write("rules.txt", "texturepath_standard " + Folder() + "tex\n" + "texturepath_generated " +
                                      Folder() + "gen\n" + "family 0 grass\nfamily 1 rock\n" + objects +
                                      "rule low\nfamily 0\ntexture V0 1\nruleend\n"
                                      "rule high\nfamily 1\nheightstart 0.5\ntexture V0 1\nruleend\n");
    }
    // The cells' choices and every group's vertices, for comparing rebuilds.
    static std::string Snapshot(const CTerrainRules& t)
    {
        std::string s;
        for (size_t k = 0; k < t.groupVertices.size(); ++k) {
            s += "group " + std::to_string(k) + ":";
            for (const STerrainVertex& v : t.groupVertices[k])
                s += " " + std::to_string(v.x) + "," + std::to_string(v.y) + "," + std::to_string(v.z) + "," +
                     std::to_string(v.u1) + "," + std::to_string(v.v1);
            for (uint16_t i : t.groupIndices[k])
                s += " " + std::to_string(i);
            s += "\n";
        }
        return s;
    }
    static std::string Objects()
    {
        std::string s;
        CNode* generated =
            g_WorldRoot->firstChild ? g_WorldRoot->firstChild->FindByName("generated") : nullptr;
        for (CNode* n = generated ? generated->firstChild : nullptr; n; n = n->next) {
            auto* o = static_cast<CWorldObject*>(n);
            s += std::string(o->ModelEntry() ? o->ModelEntry()->name : "?") + " " +
                 std::to_string(o->position.x) + " " + std::to_string(o->position.z) + " " +
                 std::to_string(o->angle) + " " + std::to_string(o->scale) + "\n";
        }
        return s;
    }
    std::string heightmap;
};

TEST_F(TerrainGenerate, GrassBesideRockMakesATransitionFileThatIsFoundAgain)
{
    CTerrainRules* t = NewTerrain();
    t->width = t->depth = 8;
    t->Rebuild(heightmap.c_str(), Rules().c_str(), true);
    ASSERT_EQ(1, t->valid);
    const fs::path made = dir / "gen" / "GRASS_GRASS_ROCK_ROCK_V0.tif";
    ASSERT_TRUE(fs::exists(made)) << Log();
    imgImage image;
    ASSERT_EQ(1, image.load(made.string().c_str()));
    EXPECT_EQ(8, image.width);
    if (std::system("command -v identify >/dev/null 2>&1") == 0) {
        EXPECT_EQ(0, std::system(("identify '" + made.string() + "' >/dev/null").c_str()));
    }
    // Four family slots, then the transitions (the turned ones share a file).
    EXPECT_GT(t->textureCount, 4);
    EXPECT_EQ(t->textureCount, int32_t(t->groupVertices.size()));
    EXPECT_FALSE(t->groupIndices[0].empty()) << "grass cells";
    EXPECT_FALSE(t->groupIndices[1].empty()) << "rock cells";
    int32_t total = 0;
    for (const auto& g : t->groupVertices)
        total += int32_t(g.size());
    EXPECT_EQ(total, t->vertexCount);
    EXPECT_TRUE(t->gridVertices.empty()) << "work data is freed";
    EXPECT_EQ(0, t->textureRules.count());

    // A hand-made variant wins over the generated file, also in a folder whose name holds "V0".
    fs::create_directories(dir / "LEV0");
    fs::copy_file(dir / "tex" / "ROCK_V0.tif", dir / "LEV0" / "GRASS_GRASS_ROCK_ROCK_V1.tif");
    t->generatedPath = Folder() + "LEV0\\";
    EXPECT_EQ(Folder() + "LEV0\\GRASS_GRASS_ROCK_ROCK_V1.tif",
              t->FindTransitionFile("GRASS_GRASS_ROCK_ROCK_V0.tif"));
    std::string rules = Rules();
    {
        std::ifstream in(rules);
        std::string text((std::istreambuf_iterator<char>(in)), {});
        text.replace(text.find(Folder() + "gen"), Folder().size() + 3, Folder() + "LEV0");
        rules = Write("rules.txt", text);
    }
    t->Rebuild(heightmap.c_str(), rules.c_str(), true);
    bool handMade = false;
    for (int32_t k = 4; k < t->textureTable.count(); ++k)
        if (t->textureTable[k]->image->width == 8 && t->textureTable[k]->image->pixels[1] == 120)
            handMade = true;
    EXPECT_TRUE(handMade) << "the grey _V1 file is used";
}

TEST_F(TerrainGenerate, BlendingImagesOfDifferentSizesGivesBlackAndALine)
{
    imgImage a, b, out;
    a.allocate(4, 4, FMT_RGB_888);
    b.allocate(8, 8, FMT_RGB_888);
    std::memset(a.pixels, 200, a.imageSize);
    std::memset(b.pixels, 100, b.imageSize);
    BlendCornerImages(a, b, b, b, out);
    ASSERT_EQ(8, out.width);
    for (uint32_t i = 0; i < out.imageSize; ++i)
        ASSERT_EQ(0, out.pixels[i]);
    EXPECT_TRUE(Logged("different sizes")) << Log();

    imgImage tl, tr, bl, br;
    for (imgImage* i : {&tl, &tr, &bl, &br})
        i->allocate(2, 2, FMT_I_8);
    std::memset(tl.pixels, 255, tl.imageSize);
    std::memset(tr.pixels, 0, 4);
    std::memset(bl.pixels, 0, 4);
    std::memset(br.pixels, 0, 4);
    BlendCornerImages(tl, tr, bl, br, out);
    EXPECT_EQ(0, out.pixels[0]) << "row 0 shows the bottom pair";
    EXPECT_EQ(127, out.pixels[out.bytesPerLine]) << "fy 0.5, fx 0: half of the top-left";
}

TEST_F(TerrainGenerate, RebuildsRepeatAndANewSeedChangesThem)
{
    worldtest::AddEntry("Tree", g_ModelsTree, 2.0f);
    const std::string rules =
        Rules("object 0 tree scale (20%) rotate (100%) amount (3)\nobjectrule all\nobject 0 0.7\nruleend\n");
    CTerrainRules* t = NewTerrain();
    t->width = t->depth = 8;
    t->randX = 0.4f;
    t->seed = 7;
    t->Rebuild(heightmap.c_str(), rules.c_str(), true);
    const std::string grid = Snapshot(*t), objects = Objects();
    ASSERT_FALSE(objects.empty());
    t->Rebuild(heightmap.c_str(), rules.c_str(), true);
    EXPECT_EQ(grid, Snapshot(*t));
    EXPECT_EQ(objects, Objects()) << "the objects of the first rebuild are replaced, not added to";

    std::map<std::pair<float, float>, int> perCell;
    for (CNode* n = g_WorldRoot->firstChild->FindByName("generated")->firstChild; n; n = n->next) {
        const CVector& p = static_cast<CWorldObject*>(n)->position;
        ++perCell[{std::floor(p.x + 4.0f), std::floor(p.z + 4.0f)}];
    }
    int most = 0;
    for (const auto& [cell, count] : perCell) {
        EXPECT_GE(count, 1);
        most = std::max(most, count);
    }
    EXPECT_LE(most, 3 * 2) << "at most three per cell (jitter may move a cell's objects into the next unit)";

    t->seed = 8;
    t->Rebuild(heightmap.c_str(), rules.c_str(), true);
    EXPECT_NE(grid, Snapshot(*t));
    EXPECT_NE(objects, Objects());
}

TEST_F(TerrainGenerate, AmountThreePlacesOneToThreeObjectsPerSelectedCell)
{
    worldtest::AddEntry("Tree", g_ModelsTree, 2.0f);
    const std::string rules = Rules("object 0 tree amount (3)\nobjectrule all\nobject 0 1\nruleend\n");
    CTerrainRules* t = NewTerrain();
    t->width = t->depth = 8;
    t->Rebuild(heightmap.c_str(), rules.c_str(), true);
    // Without jitter every cell is one unit square: count the objects in each.
    std::map<std::pair<int, int>, int> perCell;
    for (CNode* n = g_WorldRoot->firstChild->FindByName("generated")->firstChild; n; n = n->next) {
        const CVector& p = static_cast<CWorldObject*>(n)->position;
        ++perCell[{int(std::floor(p.x + 4.0f)), int(std::floor(p.z + 4.0f))}];
    }
    EXPECT_EQ(49u, perCell.size()) << "every cell gets objects";
    std::map<int, int> counts;
    for (const auto& [cell, count] : perCell)
        ++counts[count];
    for (const auto& [count, cells] : counts) {
        EXPECT_GE(count, 1);
        EXPECT_LE(count, 3);
    }
    EXPECT_EQ(3u, counts.size()) << "1, 2 and 3 all occur";
}

TEST_F(TerrainGenerate, ASavedWorldReloadsToTheSameTerrain)
{
    worldtest::AddEntry("Tree", g_ModelsTree, 2.0f);
    const std::string rules =
        Rules("object 0 tree scale (20%) amount (2)\nobjectrule all\nobject 0 0.5\nruleend\n");
    CTerrainRules* t = NewTerrain("Hills");
    t->width = t->depth = 8;
    t->randX = 0.3f;
    t->seed = 99;
    t->Rebuild(heightmap.c_str(), rules.c_str(), true);
    const std::string grid = Snapshot(*t), objects = Objects();
    // The terrain's two counters join the drawn models' triangles and vertices.
    SetVisibility(t->owner, VIS_INSIDE);
    uint32_t a = 0, b = 0, c = 0, d = 0;
    GatherDrawStatistics(t->owner, a, b, c, d);
    EXPECT_EQ(uint32_t(t->doubleVertexCount), a);
    EXPECT_EQ(uint32_t(t->vertexCount), b);

    const std::string world = Path("terrain.wld");
    std::string error;
    ASSERT_TRUE(SaveWorld(world.c_str(), &error)) << error;
    ClearWorld();
    ASSERT_TRUE(LoadWorld(world.c_str(), 0, &error)) << error;
    CNode* node = g_WorldRoot->firstChild ? g_WorldRoot->firstChild->FindByName("Hills") : nullptr;
    ASSERT_NE(nullptr, node);
    const CTerrainRules* loaded = static_cast<CWorldObject*>(node)->Terrain();
    ASSERT_NE(nullptr, loaded);
    EXPECT_EQ(grid, Snapshot(*loaded));
    EXPECT_EQ(objects, Objects());
    EXPECT_EQ(heightmap, loaded->heightmapName);
    EXPECT_EQ(rules, loaded->rulesPath);
}

} // namespace
} // namespace terraintest
