#include "GAMES/Rulo2/app/DialogTextEncoder.h"

#include "GAMES/Rulo2/interface/CTextTree.h"
#include "GAMES/Rulo2/interface/DialogTexts.h"
#include "LIBS/System/sPack.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class DialogTextEncoding : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = fs::temp_directory_path() /
                 (std::string("encoder_") + std::to_string(::getpid()) + "_" + info->name());
        fs::remove_all(folder);
        fs::create_directories(folder / "data");
    }
    void TearDown() override { fs::remove_all(folder); }

    void Write(const std::string& relative, const std::string& bytes)
    {
        std::ofstream(folder / relative, std::ios::binary) << bytes;
    }
    std::string Read(const std::string& relative)
    {
        std::ifstream in(folder / relative, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    bool Exists(const std::string& relative) { return fs::exists(folder / relative); }

    fs::path folder;
};

const char* const plainNames[] = {"dialogs_ger.txt", "dialogs_eng.txt", "dialogs_ger_demo.txt",
                                  "dialogs_eng_demo.txt"};
const char* const encodedNames[] = {"dialogs_ger_encoded.txt", "dialogs_eng_encoded.txt",
                                    "dialogs_ger_demo_encoded.txt", "dialogs_eng_demo_encoded.txt"};

TEST_F(DialogTextEncoding, EncodedFileHasTheLayoutAndLoadsTheSameTexts)
{
    std::string plain = "// demo texts\r\nRULO2 = Varek\r\nMENU_BACK = Zur\xFC"
                        "ck\r\n"
                        "TWO = a\\nb\r\nLEVEL_2 = x\r\nLEVEL_4 = Villa\r\n";
    for (int i = 0; i < 40; ++i)
        plain += "REPEATED_KEY_" + std::to_string(i) + " = the same words again and again\r\n";
    Write("data/dialogs_eng_demo.txt", plain);
    ASSERT_TRUE(EncodeDialogTextFile((folder / "data/dialogs_eng_demo.txt").string(),
                                     (folder / "data/dialogs_eng_demo_encoded.txt").string()));

    std::string enc = Read("data/dialogs_eng_demo_encoded.txt");
    ASSERT_GE(enc.size(), 16u);
    EXPECT_EQ(enc.substr(0, 4), std::string("\0\0\x07\0", 4));
    // The length is what the text-mode read delivered: every CR LF counted once.
    uint32_t n = static_cast<uint8_t>(enc[4]) | static_cast<uint8_t>(enc[5]) << 8 |
                 static_cast<uint8_t>(enc[6]) << 16 | static_cast<uint8_t>(enc[7]) << 24;
    size_t lineEnds = 6 + 40;
    EXPECT_EQ(n, plain.size() - lineEnds);
    // The packed stream fills the rest of the file exactly and holds the inverted text.
    uint32_t size = static_cast<uint8_t>(enc[8]) | static_cast<uint8_t>(enc[9]) << 8 |
                    static_cast<uint8_t>(enc[10]) << 16 | static_cast<uint8_t>(enc[11]) << 24;
    EXPECT_EQ(size + 4 + 8, enc.size());
    EXPECT_LT(enc.size(), plain.size());
    std::string out(n, '\0');
    ASSERT_EQ(sPack::unpack(enc.data() + 8, enc.size() - 8, out.data(), out.size()), n);
    EXPECT_EQ(static_cast<char>(~out[0]), '/');

    CTextTree fromPlain, fromEncoded;
    ASSERT_TRUE(LoadDialogTextsFrom((folder / "data/dialogs_eng_demo.txt").string(), fromPlain, false));
    ASSERT_TRUE(
        LoadDialogTextsFrom((folder / "data/dialogs_eng_demo_encoded.txt").string(), fromEncoded, false));
    EXPECT_EQ(fromEncoded.Count(), fromPlain.Count());
    EXPECT_EQ(fromEncoded.Count(), 45);
    EXPECT_STREQ(fromEncoded.GetText("MENU_BACK"), "Zur\xFC"
                                                   "ck");
    EXPECT_STREQ(fromEncoded.GetText("TWO"), "a\nb");
    EXPECT_STREQ(fromEncoded.GetText("LEVEL_2"), "Villa");
    EXPECT_STREQ(fromEncoded.GetText("REPEATED_KEY_39"), "the same words again and again");
}

TEST_F(DialogTextEncoding, EmptyInputEncodesAndLoadsAsNoEntries)
{
    Write("data/empty.txt", "");
    ASSERT_TRUE(EncodeDialogTextFile((folder / "data/empty.txt").string(),
                                     (folder / "data/empty_encoded.txt").string()));
    std::string enc = Read("data/empty_encoded.txt");
    EXPECT_EQ(enc, std::string("\0\0\x07\0\0\0\0\0\x04\0\0\0\x01\0\0\0", 16));
    CTextTree tree;
    tree.Insert("OLD", "o");
    EXPECT_TRUE(LoadDialogTextsFrom((folder / "data/empty_encoded.txt").string(), tree, false));
    EXPECT_EQ(tree.Count(), 0);
}

TEST_F(DialogTextEncoding, DamagedEncodedFilesAreRefusedAndKeepTheDictionary)
{
    std::string plain;
    for (int i = 0; i < 30; ++i)
        plain += "KEY_" + std::to_string(i) + " = text number " + std::to_string(i) + "\n";
    Write("data/in.txt", plain);
    ASSERT_TRUE(EncodeDialogTextFile((folder / "data/in.txt").string(), (folder / "data/good.txt").string()));
    std::string good = Read("data/good.txt");

    struct Case
    {
        const char* name;
        std::string bytes;
    };
    std::string longer = good;
    longer[4] = static_cast<char>(longer[4] + 1);
    // All sixteen items of the first group become copies: the first one
    // reaches before the start of the text.
    std::string flipped = good;
    ASSERT_EQ(flipped[12], 0) << "expected a coded stream";
    flipped[16] = static_cast<char>(0xFF);
    flipped[17] = static_cast<char>(0xFF);
    const Case cases[] = {
        {"cut by four", good.substr(0, good.size() - 4)},
        {"cut in the header", good.substr(0, 6)},
        {"length one more", longer},
        {"copy before the start", flipped},
    };
    for (const Case& c : cases) {
        Write("data/bad.txt", c.bytes);
        CTextTree tree;
        tree.Insert("KEPT", "k");
        std::string error;
        EXPECT_FALSE(LoadDialogTextsFrom((folder / "data/bad.txt").string(), tree, false, &error)) << c.name;
        EXPECT_NE(error.find("bad.txt"), std::string::npos) << c.name;
        EXPECT_EQ(tree.Count(), 1) << c.name;
        EXPECT_STREQ(tree.Find("KEPT"), "k");
    }
}

TEST_F(DialogTextEncoding, CommandEncodesFourFilesAndStopsAtTheFirstMissingInput)
{
    for (const char* name : plainNames)
        Write(std::string("data/") + name, std::string("NAME = ") + name + "\r\n");

    ::testing::internal::CaptureStdout();
    EXPECT_TRUE(EncodeDialogTexts(folder.string()));
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    std::string first[4];
    for (int i = 0; i < 4; ++i) {
        first[i] = Read(std::string("data/") + encodedNames[i]);
        CTextTree tree;
        ASSERT_TRUE(LoadDialogTextsFrom((folder / "data" / encodedNames[i]).string(), tree, false));
        EXPECT_STREQ(tree.GetText("NAME"), plainNames[i]);
    }
    // Again: the same bytes.
    EXPECT_TRUE(EncodeDialogTexts(folder.string()));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(Read(std::string("data/") + encodedNames[i]), first[i]);

    // Without the last input, the first three are written and the fourth is not.
    for (const char* name : encodedNames)
        fs::remove(folder / "data" / name);
    fs::remove(folder / "data" / plainNames[3]);
    ::testing::internal::CaptureStdout();
    EXPECT_FALSE(EncodeDialogTexts(folder.string()));
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "can't open infile\n");
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(Exists(std::string("data/") + encodedNames[i])) << i;
    EXPECT_FALSE(Exists(std::string("data/") + encodedNames[3]));

    // Without the first input nothing at all is written.
    for (const char* name : encodedNames)
        fs::remove(folder / "data" / name);
    fs::remove(folder / "data" / plainNames[0]);
    ::testing::internal::CaptureStdout();
    EXPECT_FALSE(EncodeDialogTexts(folder.string()));
    ::testing::internal::GetCapturedStdout();
    for (const char* name : encodedNames)
        EXPECT_FALSE(Exists(std::string("data/") + name)) << name;
}

TEST_F(DialogTextEncoding, UnwritableOutputKeepsTheOldFileAndEndsTheCommand)
{
    for (const char* name : plainNames)
        Write(std::string("data/") + name, "A = new\n");
    Write(std::string("data/") + encodedNames[0], "old bytes");
    // A folder where the new file would be written first blocks the write, even for root.
    fs::create_directory(folder / "data" / (std::string(encodedNames[0]) + ".tmp"));
    ::testing::internal::CaptureStdout();
    EXPECT_FALSE(EncodeDialogTexts(folder.string()));
    std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("dialogs_ger_encoded.txt: cannot be written"), std::string::npos) << out;
    EXPECT_EQ(Read(std::string("data/") + encodedNames[0]), "old bytes");
    EXPECT_FALSE(Exists(std::string("data/") + encodedNames[1]));
}

} // namespace
