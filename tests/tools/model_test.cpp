// varek-tool model: dump and roundtrip of model files, run as the built tool.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/tools/ToolTestRig.h"

namespace fs = std::filesystem;

namespace {

// A small model file put together by hand: root, an animated frame, a locator
// and a mesh with one material and one triangle.
class TmfBytes
{
public:
    TmfBytes() { Raw("TMF "), U32(0); }

    TmfBytes& Raw(const char* four)
    {
        data.insert(data.end(), four, four + 4);
        return *this;
    }
    TmfBytes& U32(uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            data.push_back(uint8_t(v >> (8 * i)));
        return *this;
    }
    TmfBytes& F32(float f)
    {
        uint32_t v;
        std::memcpy(&v, &f, 4);
        return U32(v);
    }
    TmfBytes& Str(const char* s)
    {
        const size_t n = std::strlen(s) + 1;
        data.insert(data.end(), s, s + n);
        while ((data.size() - bodyStart) % 4)
            data.push_back(0);
        return *this;
    }
    TmfBytes& Begin(const char* id, uint32_t version, uint32_t parent, const char* name)
    {
        Raw(id);
        lengthAt = data.size();
        U32(0);
        bodyStart = data.size();
        return U32(version).U32(parent).Str(name);
    }
    TmfBytes& End()
    {
        const uint32_t n = uint32_t(data.size() - bodyStart);
        for (int i = 0; i < 4; ++i)
            data[lengthAt + size_t(i)] = uint8_t(n >> (24 - 8 * i));
        return *this;
    }
    TmfBytes& FrameBody(bool animated)
    {
        for (int i = 0; i < 16; ++i)
            F32(i % 5 == 0 ? 1.0f : 0.0f);
        for (int i = 0; i < 24; ++i)
            F32(i >= 3 && i < 6 ? 1.0f : 0.0f);
        if (!animated)
            return U32(0);
        Raw("ANIM").U32(1).U32(2);
        for (int i = 0; i < 8; ++i)
            U32(0);
        return F32(0).F32(10).F32(0).F32(1);
    }

    Bytes data;
    size_t lengthAt = 0, bodyStart = 0;
};

Bytes SampleModel()
{
    TmfBytes t;
    t.Begin("ROOT", 2, 0, "sample").FrameBody(false).End();
    t.Begin("FRAM", 2, 1, "Body").FrameBody(true).End();
    t.Begin("LOCA", 0, 2, "snapper1").End();
    t.Begin("MESH", 14, 2, "Box").U32(1).U32(3);
    const float v[3][10] = {
        {-1, -1, 0, 0, 1, 0, 0, 0, 0, 0}, {1, -1, 0, 0, 1, 0, 1, 0, 1, 0}, {0, 1, 0, 0, 1, 0, 0, 1, 0, 1}};
    for (const auto& vertex : v)
        for (float f : vertex)
            t.F32(f);
    for (int i = 0; i < 6; ++i)
        t.F32(0.5f);
    t.U32(3).U32(0x00010000).U32(2); // indices 0, 1, 2 and padding
    t.U32(1).U32(0).U32(0).U32(1).U32(0).U32(1);
    t.Raw("MTRL").Str("paint").U32(0).U32(0).U32(3).U32(0).U32(3).U32(0).U32(0).U32(0).F32(1).F32(1);
    for (int i = 0; i < 17; ++i)
        t.F32(0.5f);
    t.Raw("TEXT").Str("paint.tga");
    t.U32(0).U32(0).U32(0); // no tracks, no shape
    t.End();
    t.Raw("END ").U32(0);
    return t.data;
}

class ModelTool : public ToolTest
{
protected:
    ModelTool() : ToolTest("model") {}
};

TEST_F(ModelTool, DumpShowsTheTreeWithItsCounts)
{
    write("sample.tmf", SampleModel());
    const ToolRun r = tool("model dump sample.tmf");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "ROOT 'sample' vertices 3 faces 1 locators 1 keys 0\n"
                     "  FRAME 'Body' keys 2\n"
                     "    LOCATOR 'snapper1'\n"
                     "    MESH 'Box' vertices 3 faces 1 materials 1 tracks 0 keys 0\n");
}

TEST_F(ModelTool, RoundtripWritesTheSameBytes)
{
    const Bytes model = SampleModel();
    write("in.tmf", model);
    fs::create_directories(dir / "sub");
    // The output name is relative to where the tool was started, not to the model's folder.
    const ToolRun r = tool("model roundtrip in.tmf sub/out.tmf");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(read("sub/out.tmf"), model);
}

// A damaged mesh is skipped: the copy is written, but the exit code and stderr say it is not whole.
TEST_F(ModelTool, RoundtripOfADamagedMeshExitsWithLosses)
{
    Bytes model = SampleModel();
    const std::string text(model.begin(), model.end());
    const size_t mesh = text.find("MESH");
    ASSERT_NE(mesh, std::string::npos);
    const size_t length = size_t(model[mesh + 6]) << 8 | model[mesh + 7];
    for (size_t i = mesh + 8 + 8; i < mesh + 8 + length; ++i)
        model[i] = 'A';
    write("damaged.tmf", model);
    const ToolRun r = tool("model roundtrip damaged.tmf out.tmf");
    EXPECT_EQ(r.exitCode, 2) << r.err;
    // The file's magic and reserved word come before the chunks, outside the counted offsets.
    EXPECT_NE(r.err.find("damaged MESH chunk at offset " + std::to_string(mesh - 8)), std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("loaded with losses"), std::string::npos) << r.err;
    EXPECT_TRUE(fs::exists(dir / "out.tmf"));
}

TEST_F(ModelTool, ErrorsNameTheFileAndTheReason)
{
    Bytes truncated = SampleModel();
    truncated.resize(truncated.size() - 20);
    write("truncated.tmf", truncated);
    write("text.tmf", Bytes{'h', 'e', 'l', 'l', 'o', '\n', 'x', 'y'});
    write("good.tmf", SampleModel());
    const struct
    {
        std::string args, file, reason;
    } cases[] = {
        {"model dump missing.tmf", "missing.tmf", "cannot open"},
        {"model dump text.tmf", "text.tmf", "not a model file"},
        {"model dump truncated.tmf", "truncated.tmf", "END"},
        {"model roundtrip good.tmf nofolder/out.tmf", "nofolder/out.tmf", "cannot create"},
    };
    for (const auto& c : cases) {
        const ToolRun r = tool(c.args);
        EXPECT_EQ(r.exitCode, 1) << c.args;
        EXPECT_NE(r.err.find(c.file), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(c.reason), std::string::npos) << r.err;
    }
    for (const char* bad : {"model", "model dump", "model what good.tmf", "model roundtrip good.tmf"})
        EXPECT_EQ(tool(bad).exitCode, 1) << bad;
}

} // namespace

// Other programs' models through the importers, saved as model files.
TEST_F(ModelTool, ImportTakesObjXAndMayaFiles)
{
    auto text = [](const std::string& s) { return Bytes(s.begin(), s.end()); };
    write("crate.obj",
          text("v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\ng lid\nf 1// 2// 3// 4//\nf 1//1 2//1 3//1\n"));
    write("crate.x",
          text("xof 0303txt 0032\nFrame Lid { Mesh Top { 3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;;"
               " 1; 3;0,1,2;; } }\n"));
    write("crate.ma", text("//Maya ASCII 3.0 scene\ncreateNode transform -name \"lid\";\n"
                           "createNode mesh -name \"top\" -parent \"lid\";\n"
                           "\tsetAttr -size 3 \".vrts[0:2]\" 0 0 0 1 0 0 0 1 0;\n"
                           "\tsetAttr -size 3 \".edge[0:2]\" 0 1 0 1 2 0 2 0 0;\n"
                           "\tsetAttr -size 1 \".face[0]\" -type \"polyFaces\" f 3 0 1 2;\n"));
    const struct
    {
        const char* in;
        const char* dump;
    } cases[] = {
        {"crate.obj", "ROOT 'crate' vertices 3 faces 1 locators 0 keys 0\n"
                      "  MESH 'lid' vertices 3 faces 1 materials 1 tracks 0 keys 0\n"},
        {"crate.x", "ROOT 'crate' vertices 3 faces 1 locators 0 keys 0\n"
                    "  FRAME 'Lid' keys 0\n"
                    "    MESH 'Top' vertices 3 faces 1 materials 1 tracks 0 keys 0\n"},
        {"crate.ma", "ROOT 'crate' vertices 3 faces 1 locators 0 keys 0\n"
                     "  FRAME 'lid' keys 0\n"
                     "    MESH 'top' vertices 3 faces 1 materials 1 tracks 0 keys 0\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        ToolRun r = tool(std::string("model import ") + c.in + " out.tmf");
        ASSERT_EQ(r.exitCode, 0) << r.err;
        r = tool("model dump out.tmf");
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, c.dump);
    }

    write("packed.x", text("xof 0303bzip0032 packed"));
    write("notes.txt", text("# only a comment\n"));
    const struct
    {
        const char* args;
        const char* file;
        const char* reasons[2];
    } errors[] = {
        {"model import missing.obj out.tmf", "missing.obj", {"cannot be read", "cannot be read"}},
        {"model import packed.x out.tmf",
         "packed.x",
         {"compressed .x files are not supported", "no importer takes it"}},
        {"model import notes.txt out.tmf", "notes.txt", {"no importer takes it", "no importer takes it"}},
        {"model import crate.obj nofolder/out.tmf", "nofolder/out.tmf", {"cannot create", "cannot create"}},
    };
    for (const auto& e : errors) {
        const ToolRun r = tool(e.args);
        EXPECT_EQ(r.exitCode, 1) << e.args;
        EXPECT_NE(r.err.find(e.file), std::string::npos) << r.err;
        for (const char* reason : e.reasons)
            EXPECT_NE(r.err.find(reason), std::string::npos) << r.err;
    }
    EXPECT_EQ(tool("model import crate.obj").exitCode, 1);
}
