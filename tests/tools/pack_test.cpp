#include "LIBS/System/sPack.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "tests/tools/ToolTestRig.h"

namespace fs = std::filesystem;

namespace {

class PackTool : public ToolTest
{
protected:
    PackTool() : ToolTest("pack") {}
};

Bytes SampleText()
{
    std::string s;
    for (int i = 0; i < 4000; ++i)
        s += "room " + std::to_string(i % 37) + " has a locker and a window; ";
    return Bytes(s.begin(), s.end());
}

TEST_F(PackTool, PackThenUnpackGivesTheFileBack)
{
    std::mt19937 rng(2);
    Bytes noise(5000);
    for (auto& b : noise)
        b = uint8_t(rng());
    const struct
    {
        const char* name;
        Bytes data;
        uint8_t mode;
    } cases[] = {
        {"text", SampleText(), 0}, {"noise", noise, 1}, {"empty", {}, 1}, {"hundred", Bytes(100, 'a'), 0}};
    for (const auto& c : cases) {
        write("in", c.data);
        ASSERT_EQ(tool("pack " + path("in") + " " + path("packed")).exitCode, 0) << c.name;
        const Bytes packed = read("packed");
        ASSERT_GE(packed.size(), 8u) << c.name;
        EXPECT_EQ(packed[4], c.mode) << c.name;
        if (c.mode == 0) {
            EXPECT_LT(packed.size(), c.data.size()) << c.name;
        }
        ASSERT_EQ(tool("unpack " + path("packed") + " " + path("out")).exitCode, 0) << c.name;
        EXPECT_EQ(read("out"), c.data) << c.name;
    }
    EXPECT_EQ(read("packed").size(), 26u); // the hundred equal bytes: size 22 + 4
}

TEST_F(PackTool, RefusesTruncatedAndDamagedStreams)
{
    write("in", SampleText());
    ASSERT_EQ(tool("pack " + path("in") + " " + path("packed")).exitCode, 0);
    const Bytes good = read("packed");
    ASSERT_EQ(good[4], 0);

    Bytes backwards = {8, 0, 0, 0, 0, 0, 0, 0, 0x01, 0x00, 0xF2, 0xFF}; // copy from before the start
    const struct
    {
        const char* name;
        Bytes data;
        const char* reason;
    } cases[] = {
        {"cut in half", Bytes(good.begin(), good.begin() + good.size() / 2), "truncated"},
        {"last byte missing", Bytes(good.begin(), good.end() - 1), "truncated"},
        {"header only", Bytes(good.begin(), good.begin() + 5), "too short"},
        {"copy before the start", backwards, "before the start"},
    };
    for (const auto& c : cases) {
        write("bad", c.data);
        write("out", {'k', 'e', 'e', 'p'});
        const ToolRun r = tool("unpack " + path("bad") + " " + path("out"));
        EXPECT_EQ(r.exitCode, 1) << c.name;
        EXPECT_NE(r.err.find(path("bad")), std::string::npos) << c.name << ": " << r.err;
        EXPECT_NE(r.err.find(c.reason), std::string::npos) << c.name << ": " << r.err;
        // The old output file is left as it was.
        EXPECT_EQ(read("out"), (Bytes{'k', 'e', 'e', 'p'})) << c.name;
    }

    // Random damage: refused with exit code 1 or unpacked, never a crash.
    std::mt19937 rng(9);
    for (int round = 0; round < 25; ++round) {
        Bytes bad = good;
        for (int k = 0; k < 4; ++k)
            bad[8 + rng() % (bad.size() - 8)] ^= uint8_t(1 + rng() % 255);
        write("bad", bad);
        const int code = tool("unpack " + path("bad") + " " + path("out")).exitCode;
        EXPECT_TRUE(code == 0 || code == 1) << round << ": " << code;
    }
}

TEST_F(PackTool, UsageAndFileErrors)
{
    const ToolRun none = tool("");
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_NE(none.err.find("varek-tool pack IN OUT"), std::string::npos) << none.err;
    EXPECT_NE(none.err.find("varek-tool unpack IN OUT"), std::string::npos) << none.err;

    const ToolRun unknown = tool("crack");
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_NE(unknown.err.find("crack"), std::string::npos);
    EXPECT_NE(unknown.err.find("varek-tool pack IN OUT"), std::string::npos);

    EXPECT_EQ(tool("pack onlyone").exitCode, 1);
    EXPECT_EQ(tool("unpack a b c").exitCode, 1);

    const ToolRun missing = tool("pack " + path("absent") + " " + path("x"));
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find(path("absent")), std::string::npos) << missing.err;
    EXPECT_FALSE(fs::exists(path("x")));

    write("in", SampleText());
    const ToolRun noFolder = tool("pack " + path("in") + " " + path("no/such/folder/out"));
    EXPECT_EQ(noFolder.exitCode, 1);
    EXPECT_NE(noFolder.err.find("no/such/folder/out"), std::string::npos) << noFolder.err;

    const ToolRun folder = tool("unpack " + dir.string() + " " + path("x"));
    EXPECT_EQ(folder.exitCode, 1);
    EXPECT_NE(folder.err.find("folder"), std::string::npos) << folder.err;
}

} // namespace
