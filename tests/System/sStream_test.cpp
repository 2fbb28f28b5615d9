#include "LIBS/System/sFilename.h"
#include "LIBS/System/sLog.h"
#include "LIBS/System/sStream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

class sStreamTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        saved = sLog;
        sLog.stream = &log;
        folder =
            fs::temp_directory_path() / ("varek_stream_" + std::to_string(::getpid()) + "_" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override
    {
        sLog = saved;
        fs::remove_all(folder);
    }
    std::string path(const char* leaf) const { return (folder / leaf).string(); }
    void makeFile(const char* leaf, const std::vector<uint8_t>& bytes) const
    {
        std::ofstream out(path(leaf), std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    std::vector<uint8_t> fileBytes(const char* leaf) const
    {
        std::ifstream in(path(leaf), std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
    }
    static std::vector<uint8_t> sequence(int n)
    {
        std::vector<uint8_t> v(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i)
            v[static_cast<size_t>(i)] = static_cast<uint8_t>(i * 7 + 1);
        return v;
    }
    sLogSettings saved{};
    std::ostringstream log;
    fs::path folder;
};

TEST_F(sStreamTest, BufferedReadHoldsTheWholeFile)
{
    makeFile("in.bin", sequence(100));
    sStream s(path("in.bin").c_str(), sStream::Read);
    ASSERT_EQ(s.isOpen, 1);
    EXPECT_EQ(s.kind, sStream::KindFile);
    EXPECT_EQ(s.file, nullptr) << "no handle is held after open";
    EXPECT_EQ(s.size, 100);
    uint8_t buf[16] = {};
    EXPECT_EQ(s.read(buf, 10), 10);
    EXPECT_EQ(buf[9], sequence(100)[9]);
    EXPECT_EQ(s.lastCount, 10);

    EXPECT_EQ(s.seek(4, 2), 100);
    EXPECT_EQ(s.position, 96);
    EXPECT_EQ(s.read(buf, 10), 4);
    EXPECT_EQ(buf[3], sequence(100)[99]);
    EXPECT_EQ(s.read(buf, 10), 0);
    EXPECT_EQ(s.lastCount, 0);
    EXPECT_EQ(s.getc(), -1);

    s.seek(-5, 0);
    EXPECT_EQ(s.position, 0);
    s.seek(500, 0);
    EXPECT_EQ(s.position, 100) << "a read stream does not seek past its end";
    s.seek(-10, 1);
    EXPECT_EQ(s.position, 90);
    EXPECT_TRUE(s.close());
}

TEST_F(sStreamTest, GetcReturnsSignedBytes)
{
    makeFile("bytes.bin", {0x41, 0x80, 0xFF, 0x00});
    for (bool direct : {false, true}) {
        sStream s(path("bytes.bin").c_str(), sStream::Read, direct);
        ASSERT_EQ(s.isOpen, 1);
        EXPECT_EQ(s.getc(), 0x41);
        if (direct) {
            // The runtime library's own results.
            EXPECT_EQ(s.getc(), 0x80);
            EXPECT_EQ(s.getc(), 0xFF);
        } else {
            EXPECT_EQ(s.getc(), -128);
            EXPECT_EQ(s.getc(), -1);
        }
        EXPECT_EQ(s.getc(), 0);
        EXPECT_EQ(s.getc(), -1);
    }
}

TEST_F(sStreamTest, BufferedWriteCreatesTheFileOnlyAtClose)
{
    std::string p = path("out.bin");
    {
        sStream s(p.c_str(), sStream::Write);
        ASSERT_EQ(s.isOpen, 1);
        EXPECT_EQ(s.write("ABCDEFGH", 8), 8);
        EXPECT_EQ(s.size, 8);
        EXPECT_EQ(s.modified, 1);
        EXPECT_FALSE(fs::exists(p));
        EXPECT_EQ(s.seek(12, 0), 8);
        EXPECT_EQ(s.write("Z", 1), 1);
        EXPECT_EQ(s.size, 13);
        s.seek(2, 0);
        s.write("cd", 2);
        EXPECT_TRUE(s.close());
    }
    EXPECT_EQ(fileBytes("out.bin"),
              (std::vector<uint8_t>{'A', 'B', 'c', 'd', 'E', 'F', 'G', 'H', 0, 0, 0, 0, 'Z'}));

    {
        sStream untouched(path("none.bin").c_str(), sStream::Write);
        EXPECT_TRUE(untouched.close());
    }
    EXPECT_FALSE(fs::exists(path("none.bin")));
}

TEST_F(sStreamTest, ManySmallWritesRoundTrip)
{
    std::vector<uint8_t> data = sequence(200000);
    {
        sStream s(path("big.bin").c_str(), sStream::Write);
        for (size_t i = 0; i < data.size(); i += 3)
            s.write(data.data() + i, static_cast<int32_t>(std::min<size_t>(3, data.size() - i)));
    }
    EXPECT_EQ(fileBytes("big.bin"), data);
    sStream r(path("big.bin").c_str(), sStream::Read);
    std::vector<uint8_t> back(data.size());
    EXPECT_EQ(r.read(back.data(), static_cast<int32_t>(back.size()) + 50), static_cast<int32_t>(data.size()));
    EXPECT_EQ(back, data);
}

TEST_F(sStreamTest, DirectModeReadsAndWritesTheFile)
{
    std::string p = path("direct.bin");
    {
        sStream s(p.c_str(), sStream::Write, true);
        ASSERT_EQ(s.isOpen, 1);
        ASSERT_NE(s.file, nullptr);
        EXPECT_EQ(s.write("0123456789", 10), 10);
        EXPECT_EQ(s.seek(0, 0), 0);
        EXPECT_EQ(s.seek(-3, 2), 7);
        EXPECT_EQ(s.seek(1, 1), 8);
        EXPECT_EQ(s.seek(0, 7), 5) << "an unknown origin returns origin - 2";
        char c[4] = {};
        EXPECT_EQ(s.read(c, 4), 2);
        EXPECT_STREQ(c, "89");
        EXPECT_TRUE(s.close());
        EXPECT_EQ(s.file, nullptr);
    }
    sStream r(p.c_str(), sStream::Read, true);
    char all[12] = {};
    EXPECT_EQ(r.read(all, 11), 10);
    EXPECT_STREQ(all, "0123456789");
}

TEST_F(sStreamTest, FailuresAreReportedNotHidden)
{
    std::string missingFolder = (folder / "no" / "such" / "x.bin").string();

    sStream absent(path("absent.bin").c_str(), sStream::Read);
    EXPECT_EQ(absent.isOpen, 0);
    EXPECT_EQ(absent.buffer.count(), 0);
    EXPECT_EQ(absent.size, 0);
    uint8_t b[4];
    EXPECT_EQ(absent.read(b, 4), 0);
    EXPECT_EQ(absent.getc(), -1);
    EXPECT_FALSE(absent.open(path("absent.bin").c_str(), sStream::Read));

    sStream folderAsFile(folder.string().c_str(), sStream::Read);
    EXPECT_EQ(folderAsFile.isOpen, 0);

    sStream neither(path("x.bin").c_str(), 0);
    EXPECT_EQ(neither.isOpen, 0);
    EXPECT_EQ(neither.write("a", 1), 0);

    sStream directCreate(missingFolder.c_str(), sStream::Write, true);
    EXPECT_EQ(directCreate.isOpen, 0);
    EXPECT_EQ(directCreate.write("a", 1), 0);

    sStream lateCreate(missingFolder.c_str(), sStream::Write);
    EXPECT_EQ(lateCreate.isOpen, 1);
    EXPECT_EQ(lateCreate.write("data", 4), 4);
    EXPECT_FALSE(lateCreate.close()) << "the file could not be created";
    EXPECT_TRUE(lateCreate.close()) << "nothing is pending any more";
}

TEST_F(sStreamTest, WriteAndCloseFailuresOnAFullDevice)
{
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    std::vector<uint8_t> data = sequence(100000);
    for (bool direct : {false, true}) {
        sStream s("/dev/full", sStream::Write, direct);
        ASSERT_EQ(s.isOpen, 1);
        int32_t put = s.write(data.data(), static_cast<int32_t>(data.size()));
        if (direct) {
            EXPECT_LT(put, static_cast<int32_t>(data.size())) << "a short write shows in the count";
        }
        EXPECT_FALSE(s.close()) << (direct ? "direct" : "buffered");
    }
}

TEST_F(sStreamTest, DestructorReportsDataItCouldNotWrite)
{
    log.str("");
    sLog.level = 2;
    {
        sStream s((folder / "gone" / "x.bin").string().c_str(), sStream::Write);
        s.write("x", 1);
    }
    EXPECT_NE(log.str().find("[W] @ LIBS/System/sStream.cpp("), std::string::npos) << log.str();
}

TEST_F(sStreamTest, ReopeningWritesWhatWasPending)
{
    makeFile("other.bin", {1, 2, 3});
    sStream s(path("first.bin").c_str(), sStream::Write);
    s.write("keep", 4);
    EXPECT_TRUE(s.open(path("other.bin").c_str(), sStream::Read));
    EXPECT_EQ(s.size, 3);
    EXPECT_EQ(fileBytes("first.bin"), (std::vector<uint8_t>{'k', 'e', 'e', 'p'}));
}

TEST_F(sStreamTest, MemoryStreamsStayInsideTheirBlock)
{
    const uint8_t image[6] = {10, 20, 30, 40, 50, 0xF0};
    sStream s;
    EXPECT_EQ(s.isOpen, 0);
    s.attachMemory(image, 6);
    EXPECT_EQ(s.kind, sStream::KindMemory);
    EXPECT_EQ(s.flags, sStream::Read);
    EXPECT_EQ(s.isOpen, 1);
    uint8_t buf[10] = {};
    EXPECT_EQ(s.read(buf, 4), 4);
    EXPECT_EQ(buf[3], 40);
    EXPECT_EQ(s.read(buf, 10), 2);
    EXPECT_EQ(buf[1], 0xF0);
    EXPECT_EQ(s.read(buf, 10), 0);
    EXPECT_EQ(s.getc(), -1);
    EXPECT_EQ(s.seek(1, 2), 6);
    EXPECT_EQ(s.getc(), -16);
    s.seek(100, 0);
    EXPECT_EQ(s.position, 6);
    EXPECT_EQ(s.write("x", 1), 0) << "read-only memory";

    uint8_t block[4] = {};
    s.attachMemory(block, 4);
    s.seek(2, 0);
    EXPECT_EQ(s.write("abcdef", 6), 2);
    EXPECT_EQ(block[2], 'a');
    EXPECT_EQ(block[3], 'b');
    EXPECT_TRUE(s.close());
}

TEST_F(sStreamTest, FilenameSetAndDirectory)
{
    makeFile("there.bmp", {1});
    sFilename f;
    EXPECT_EQ(f.length, 260);
    EXPECT_STREQ(f.c_str(), "");
    EXPECT_EQ(f.set(path("there.bmp").c_str()), 3);
    EXPECT_EQ(f.set(path("missing.bmp").c_str()), 0);
    EXPECT_STREQ(f.c_str(), path("missing.bmp").c_str());
    EXPECT_EQ(f.set(nullptr), 0);
    EXPECT_STREQ(f.c_str(), path("missing.bmp").c_str());

    std::string quoted = "\"" + path("there.bmp") + "\" -extra words";
    EXPECT_EQ(f.set(quoted.c_str()), 3);
    EXPECT_STREQ(f.c_str(), path("there.bmp").c_str());
    EXPECT_EQ(f.set("\"unclosed name"), 0);
    EXPECT_STREQ(f.c_str(), "unclosed name");

    std::string longName(400, 'n');
    f.set(longName.c_str());
    EXPECT_EQ(std::strlen(f.c_str()), 260u);
    EXPECT_EQ(f.length, 260);

    struct Case
    {
        const char* name;
        const char* dir;
    };
    const Case cases[] = {
        {"c:\\data\\tex\\wall.bmp", "c:\\data\\tex\\"},
        {"data/sounds.txt", "data/"},
        {"plain.txt", ""},
        {"d:file.txt", "d:"},
        {"/abs/x", "/abs/"},
    };
    char out[sFilename::MaxLength + 1];
    for (const Case& c : cases) {
        f.set(c.name);
        f.directory(out);
        EXPECT_STREQ(out, c.dir) << c.name;
    }
}

} // namespace
