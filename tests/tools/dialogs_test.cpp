// varek-tool encode-dialogs and dialogs dump: the editor's encoder over a folder,
// and the dictionary the game builds from a plain or an encoded file.
#include <gtest/gtest.h>

#include <string>

#include "tests/tools/ToolTestRig.h"

namespace {

class DialogsTool : public ToolTest
{
protected:
    DialogsTool() : ToolTest("dialogs") {}

    void WriteText(const std::string& name, const std::string& text) const
    {
        std::filesystem::create_directories((dir / name).parent_path());
        write(name, Bytes(text.begin(), text.end()));
    }
};

const char* const kPlainFiles[] = {"dialogs_ger", "dialogs_eng", "dialogs_ger_demo", "dialogs_eng_demo"};

TEST_F(DialogsTool, EncodesTheFourFilesAndTheDumpsOfBothFormsAgree)
{
    for (const char* name : kPlainFiles)
        WriteText(std::string("inst/data/") + name + ".txt",
                  std::string("ZEBRA = last of ") + name + "\r\nALPHA = first\r\n// a comment\r\n");
    const ToolRun enc = tool("encode-dialogs inst");
    ASSERT_EQ(enc.exitCode, 0) << enc.out << enc.err;
    for (const char* name : kPlainFiles) {
        const std::string encoded = std::string("inst/data/") + name + "_encoded.txt";
        const Bytes bytes = read(encoded);
        ASSERT_GE(bytes.size(), 8u) << encoded;
        EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 4), (Bytes{0x00, 0x00, 0x07, 0x00})) << encoded;

        const ToolRun plain = tool(std::string("dialogs dump inst/data/") + name + ".txt");
        const ToolRun packed = tool("dialogs dump " + encoded);
        EXPECT_EQ(plain.exitCode, 0) << plain.err;
        EXPECT_EQ(packed.exitCode, 0) << packed.err;
        EXPECT_EQ(plain.out, packed.out);
        // Key order, not file order.
        EXPECT_LT(plain.out.find("ALPHA = first"), plain.out.find(std::string("ZEBRA = last of ") + name))
            << plain.out;
    }
}

TEST_F(DialogsTool, AMissingOrDamagedFileEndsWithItsName)
{
    for (const char* name : {"dialogs_ger", "dialogs_eng", "dialogs_eng_demo"})
        WriteText(std::string("inst/data/") + name + ".txt", "A = b\n");
    const ToolRun enc = tool("encode-dialogs inst");
    EXPECT_EQ(enc.exitCode, 1);
    EXPECT_NE(enc.err.find("dialogs_ger_demo.txt"), std::string::npos) << enc.err;

    const ToolRun missing = tool("dialogs dump nothing.txt");
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("nothing.txt"), std::string::npos) << missing.err;

    // An encoded header over a stream that is cut short.
    write("cut.txt", Bytes{0x00, 0x00, 0x07, 0x00, 0x40, 0x00, 0x00, 0x00, 0x01});
    const ToolRun cut = tool("dialogs dump cut.txt");
    EXPECT_EQ(cut.exitCode, 1);
    EXPECT_NE(cut.err.find("cut.txt"), std::string::npos) << cut.err;
    EXPECT_TRUE(tool("encode-dialogs").exitCode == 1 && tool("dialogs list x").exitCode == 1);
}

TEST_F(DialogsTool, TheSampleInstallationsPlainAndEncodedFilesHoldTheSameEntries)
{
    const std::string data = std::string(VAREK_SAMPLE_DIR) + "/data/";
    const ToolRun plain = tool("dialogs dump '" + data + "dialogs_eng_demo.txt'");
    const ToolRun packed = tool("dialogs dump '" + data + "dialogs_eng_demo_encoded.txt'");
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    ASSERT_EQ(packed.exitCode, 0) << packed.err;
    EXPECT_EQ(plain.out, packed.out);
    EXPECT_NE(plain.out.find("RULO2 = "), std::string::npos) << plain.out;
}

} // namespace
