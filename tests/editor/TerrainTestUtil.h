#pragma once
// Terrains for the tests: grey heightmaps and family textures written as TIFF
// files into the test's folder, rule files, and a terrain node in the world.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "GAMES/Rulo2/editor/terrain/CTerrainRules.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "LIBS/Image/imgImage.h"
#include "tests/editor/ImportTestUtil.h"

namespace terraintest {

namespace fs = importtest::fs;

class TerrainTest : public importtest::ImportTest
{
protected:
    // A grey picture saved as TIFF (three bytes a pixel, as the writer stores it).
    std::string Heightmap(const std::string& name, int width, int height,
                          const std::function<uint8_t(int x, int y)>& value) const
    {
        imgImage image;
        EXPECT_EQ(1, image.allocate(width, height, FMT_RGB_888));
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                for (int c = 0; c < 3; ++c)
                    image.pixels[size_t(y) * size_t(image.bytesPerLine) + size_t(x) * 3 + size_t(c)] =
                        value(x, y);
        const std::string file = Path(name);
        EXPECT_EQ(1, image.save(file.c_str()));
        return file;
    }
    // A plain 8 x 8 texture of one colour.
    std::string Texture(const std::string& name, uint8_t r, uint8_t g, uint8_t b) const
    {
        imgImage image;
        EXPECT_EQ(1, image.allocate(8, 8, FMT_RGB_888));
        for (int i = 0; i < 64; ++i) {
            image.pixels[i * 3] = r;
            image.pixels[i * 3 + 1] = g;
            image.pixels[i * 3 + 2] = b;
        }
        const std::string file = Path(name);
        EXPECT_EQ(1, image.save(file.c_str()));
        return file;
    }
    // A terrain node under the world root with its record.
    CTerrainRules* NewTerrain(const char* name = "Terrain")
    {
        auto* node = new CWorldObject(name);
        node->objectKind = CWorldObject::KIND_GENERATOR;
        auto* rules = new CTerrainRules;
        rules->owner = node;
        node->reference = rules;
        g_WorldRoot->AddChild(node);
        return rules;
    }
    std::string Folder() const { return dir.string() + "/"; }
};

} // namespace terraintest
