// varek-tool world dump and roundtrip on worlds saved by the test.
#include "LIBS/Image/imgImage.h"
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>

#include "tests/world/WorldTestUtil.h"

using namespace worldtest;

namespace {

struct ToolRun
{
    int exitCode = -1;
    std::string out;
    std::string err;
};

class WorldToolTest : public WorldTest
{
protected:
    ToolRun Run(const std::string& arguments)
    {
        const std::string outFile = Path("stdout.txt");
        const std::string errFile = Path("stderr.txt");
        const std::string command =
            std::string(VAREK_TOOL_PATH) + " " + arguments + " >" + outFile + " 2>" + errFile;
        ToolRun run;
        const int status = std::system(command.c_str());
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        const auto o = ReadBytes(outFile);
        const auto e = ReadBytes(errFile);
        run.out.assign(o.begin(), o.end());
        run.err.assign(e.begin(), e.end());
        return run;
    }
};

TEST_F(WorldToolTest, RoundtripGivesTheSameBytesAndDumpShowsTheWorld)
{
    BuildSampleWorld();
    const std::string in = Path("in.wld");
    ASSERT_TRUE(SaveWorld(in.c_str()));
    ToolRun run = Run("world roundtrip " + in + " " + Path("out.wld"));
    ASSERT_EQ(0, run.exitCode) << run.err;
    EXPECT_EQ(ReadBytes(in), ReadBytes(dir / "out.wld"));

    run = Run("world dump " + in);
    ASSERT_EQ(0, run.exitCode) << run.err;
    for (const char* text :
         {"WRLD", "GROU  2 ENTR (version 0)", "LIST  3 MODL (version 9)", "OBJS  2 OBJ  (version 6)",
          "MAKL  2 MAKR (version 0)", "TREE  9 NODE (version 15)", "EOF ", "group \"Haus1\"",
          "model #2 \"Wall\"", "object #1 \"FrontDoor\"", "light spot", "terrain \"Hills\"",
          "folder \"Furniture\"", "macro \"TwoWalls\"", "Buildings", "CLOSED(model #3)"})
        EXPECT_NE(std::string::npos, run.out.find(text)) << text << "\n" << run.out;
}

// Fills a chunk's body from `from` on with non-zero bytes: its name can no longer be read.
void DamageChunk(std::vector<uint8_t>& bytes, size_t chunk, size_t from)
{
    const size_t length = size_t(bytes[chunk + 4]) << 24 | size_t(bytes[chunk + 5]) << 16 |
                          size_t(bytes[chunk + 6]) << 8 | bytes[chunk + 7];
    for (size_t i = chunk + 8 + from; i < chunk + 8 + length; ++i)
        bytes[i] = 'A';
}

// A copy that lost parts of the file is not a clean copy: exit 2, each skip named on stderr.
TEST_F(WorldToolTest, RoundtripOfADamagedNodeExitsWithLosses)
{
    BuildSampleWorld();
    CChunkWriter w;
    ASSERT_TRUE(WriteWorld(w));
    std::vector<uint8_t> bytes = w.Data();
    const std::string text(bytes.begin(), bytes.end());
    const size_t tree = text.find("TREE");
    ASSERT_NE(std::string::npos, tree);
    size_t node = text.find("NODE", tree);
    node = text.find("NODE", node + 4);
    node = text.find("NODE", node + 4);
    ASSERT_NE(std::string::npos, node);
    DamageChunk(bytes, node, 8); // after version and parent number
    WriteBytes(dir / "damaged.wld", bytes);
    ToolRun run = Run("world roundtrip " + Path("damaged.wld") + " " + Path("out.wld"));
    EXPECT_EQ(2, run.exitCode) << run.err;
    EXPECT_NE(std::string::npos, run.err.find("damaged.wld")) << run.err;
    EXPECT_NE(std::string::npos, run.err.find("section \"TREE\"")) << run.err;
    EXPECT_NE(std::string::npos, run.err.find("NODE chunk at offset " + std::to_string(node))) << run.err;
    EXPECT_NE(std::string::npos, run.err.find("loaded with losses")) << run.err;
    EXPECT_TRUE(fs::exists(dir / "out.wld")) << "what could be read is still saved";

    // The copy itself is whole again. The sample's terrain is built from its
    // heightmap when the world loads, so the picture is put beside the world.
    imgImage hills;
    ASSERT_EQ(1, hills.allocate(4, 4, FMT_I_8));
    ASSERT_EQ(1, hills.save(Path("hills.bmp").c_str()));
    run = Run("world roundtrip " + Path("out.wld") + " " + Path("again.wld"));
    EXPECT_EQ(0, run.exitCode) << run.err;
    // Only the image library's notes may be said; no warning, skip or loss.
    EXPECT_EQ(std::string::npos, run.err.find("[W]")) << run.err;
    EXPECT_EQ(std::string::npos, run.err.find("[!]")) << run.err;
    EXPECT_EQ(std::string::npos, run.err.find("loss")) << run.err;
    EXPECT_EQ(std::string::npos, run.err.find("skip")) << run.err;
}

TEST_F(WorldToolTest, ErrorsNameTheFileTheSectionAndTheReason)
{
    BuildSampleWorld();
    CChunkWriter w;
    ASSERT_TRUE(WriteWorld(w));
    std::vector<uint8_t> bytes = w.Data();
    const std::string text(bytes.begin(), bytes.end());
    // A "LIST" section whose first chunk claims more bytes than the file holds.
    const size_t list = text.find("LIST");
    ASSERT_NE(std::string::npos, list);
    bytes[list + 8 + 4] = 0x00;
    bytes[list + 8 + 5] = 0x0F;
    WriteBytes(dir / "long.wld", bytes);
    ToolRun run = Run("world roundtrip " + Path("long.wld") + " " + Path("out.wld"));
    EXPECT_EQ(1, run.exitCode);
    EXPECT_NE(std::string::npos, run.err.find("long.wld")) << run.err;
    EXPECT_NE(std::string::npos, run.err.find("\"LIST\"")) << run.err;
    EXPECT_NE(std::string::npos, run.err.find("past the end")) << run.err;
    EXPECT_FALSE(fs::exists(dir / "out.wld"));

    WriteBytes(dir / "model.tmf", {'T', 'M', 'F', ' ', 0, 0, 0, 0});
    run = Run("world dump " + Path("model.tmf"));
    EXPECT_EQ(1, run.exitCode);
    EXPECT_NE(std::string::npos, run.err.find("model.tmf")) << run.err;
    EXPECT_NE(std::string::npos, run.err.find("WRLD")) << run.err;

    run = Run("world roundtrip " + Path("none.wld") + " " + Path("out.wld"));
    EXPECT_EQ(1, run.exitCode);
    EXPECT_NE(std::string::npos, run.err.find("none.wld")) << run.err;
    EXPECT_NE(1, Run("world").exitCode == 0);
}

} // namespace
