// varek-tool texpage dump, run as the built tool over files made by the
// texture-page writer.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "GAMES/Rulo2/TexturePage.h"
#include "GAMES/Rulo2/world/ChunkFile.h"

namespace fs = std::filesystem;

namespace {

struct ToolRun
{
    int status = -1;
    std::string out;
};

ToolRun Tool(const std::string& args)
{
    ToolRun r;
    const std::string command = std::string(VAREK_TOOL_PATH) + " " + args + " 2>&1";
    FILE* p = popen(command.c_str(), "r");
    if (!p)
        return r;
    char buffer[512];
    while (fgets(buffer, sizeof buffer, p))
        r.out += buffer;
    const int status = pclose(p);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

void Save(const fs::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// Two pages: one with two entries and no pixels, one with 2x2 stored pixels.
void WritePages(CChunkWriter& w)
{
    auto* a = new CTexturePage();
    a->keptWord = 7;
    CTexturePageEntry e;
    e.path = "textures\\wall.bmp";
    e.pageRect = RECT{0, 0, 64, 64};
    e.textureRect = RECT{0, 0, 256, 256};
    a->entries.push_back(e);
    e.path = "textures\\floor.tga";
    e.pageRect = RECT{64, 0, 128, 64};
    a->entries.push_back(e);
    ASSERT_TRUE(a->SavePages(w));
    delete a;
}

class TexpageTool : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() / ("varek_texpage_tool_" + std::to_string(::getpid()));
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }
    fs::path folder;
};

TEST_F(TexpageTool, DumpsASectionFileAndAWorldFile)
{
    CChunkWriter section;
    WritePages(section);
    Save(folder / "pages.bin", section.Data());
    ToolRun r = Tool("texpage dump " + (folder / "pages.bin").string());
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("PAGE 1: 256x256, kept word 7, 2 entries, stored pixels none"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("0: 'textures\\wall.bmp' page (0, 0, 64, 64) texture (0, 0, 256, 256)"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("1: 'textures\\floor.tga' page (64, 0, 128, 64)"), std::string::npos) << r.out;

    // A world file: another section first, the pages, then the end.
    CChunkWriter world;
    world.WriteMarker(ChunkId("WRLD"));
    world.WriteMarker(ChunkId("GROU"));
    world.BeginChunk(ChunkId("NODE"), 1);
    world.EndChunk();
    world.WriteMarker(ChunkId("END "));
    std::vector<uint8_t> bytes = world.Data();
    bytes.insert(bytes.end(), section.Data().begin(), section.Data().end());
    const uint8_t eof[8] = {'E', 'O', 'F', ' ', 0, 0, 0, 0};
    bytes.insert(bytes.end(), eof, eof + 8);
    Save(folder / "level.wld", bytes);
    r = Tool("texpage dump " + (folder / "level.wld").string());
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("1 texture-page(s)"), std::string::npos) << r.out;
}

TEST_F(TexpageTool, BadFilesAreNamedWithTheirReason)
{
    struct Case
    {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* reason;
    };
    CChunkWriter section;
    WritePages(section);
    std::vector<uint8_t> cut = section.Data();
    cut.resize(cut.size() - 20);
    CChunkWriter noPages;
    noPages.WriteMarker(ChunkId("WRLD"));
    noPages.WriteMarker(ChunkId("EOF "));
    const Case cases[] = {
        {"cut.bin", cut, "texture pages:"},
        {"other.bin", {'A', 'B', 'C', 'D', 0, 0, 0, 0}, "neither a world file"},
        {"empty.wld", noPages.Data(), "has no texture pages"},
    };
    for (const Case& c : cases) {
        Save(folder / c.name, c.bytes);
        const ToolRun r = Tool("texpage dump " + (folder / c.name).string());
        EXPECT_EQ(r.status, 1) << c.name;
        EXPECT_NE(r.out.find(c.name), std::string::npos) << r.out;
        EXPECT_NE(r.out.find(c.reason), std::string::npos) << r.out;
    }
    const ToolRun missing = Tool("texpage dump " + (folder / "absent.wld").string());
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(Tool("texpage list x").status, 1);
}

} // namespace
