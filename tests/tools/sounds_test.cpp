// varek-tool sounds check: the definition file as the game reads it, and each WAV file.
#include "platform/sound/WaveReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/tools/ToolTestRig.h"

namespace {

class SoundsTool : public ToolTest
{
protected:
    SoundsTool() : ToolTest("sounds") {}

    void WriteText(const std::string& name, const std::string& text) const
    {
        std::filesystem::create_directories((dir / name).parent_path());
        write(name, Bytes(text.begin(), text.end()));
    }
    void WriteWave(const std::string& name, uint32_t rate, uint32_t samples) const
    {
        std::vector<int16_t> s(samples, 100);
        WriteText(name, platform::WaveFileBytes(1, rate, 16, s.data(), s.size() * 2));
    }
};

TEST_F(SoundsTool, ReportsFormatsAndLengths)
{
    WriteWave("sounds/door1.wav", 22050, 11025);
    WriteWave("sounds/Step.WAV", 11025, 1102);
    WriteText("data/sounds.txt",
              "DOOR_OPEN = door1.wav, SFX, , 2, 3D // x\r\nSTEP = step.wav, SFX, DEMAND, 1\r\n");
    const ToolRun r = tool("sounds check");
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_NE(
        r.out.find(
            "DOOR_OPEN: door1.wav, group SFX, 2 channel(s), options 0x02: format 1, 22050 Hz, 16 bits, 1 "
            "channel(s), 22050 bytes, 500 ms"),
        std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("STEP: step.wav"), std::string::npos);
    EXPECT_NE(r.out.find("2 sound(s), 0 problem(s)"), std::string::npos);
}

TEST_F(SoundsTool, FailsOnBadLinesAndBadFiles)
{
    WriteWave("inst/sounds/ok.wav", 22050, 100);
    WriteText("inst/sounds/broken.wav", std::string("RIFF\x04\0\0\0WAVE", 12));
    WriteText("inst/data/sounds.txt", "FIRST = ok.wav, SFX\n"
                                      "GROUP = ok.wav, FX, , 1\n"
                                      "BROKEN = broken.wav, SFX, , 1\n"
                                      "MISSING = missing.wav, SFX, , 1\n");
    const ToolRun r = tool("sounds check inst/data/sounds.txt");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("sounds.txt line 1, komma expexted"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("sound.txt line 2: no valid group specifyer"), std::string::npos);
    EXPECT_NE(r.out.find("BROKEN: "), std::string::npos);
    EXPECT_NE(r.out.find("broken.wav: chunk \"fmt \" at offset 12: no format chunk"), std::string::npos);
    EXPECT_NE(r.out.find("MISSING: "), std::string::npos);
    EXPECT_NE(r.out.find("cannot open the file"), std::string::npos);
    EXPECT_NE(tool("sounds check nothing.txt").err.find("cannot read the file"), std::string::npos);
    EXPECT_EQ(tool("sounds").exitCode, 1);
}

} // namespace
