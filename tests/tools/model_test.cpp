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
