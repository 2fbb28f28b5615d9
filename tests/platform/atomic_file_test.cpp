// Saving through a temporary file: the old file survives every failed step.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "platform/files/AtomicFile.h"
#include "tests/platform/TempDir.h"

namespace fs = std::filesystem;

namespace {

std::string Read(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

platform::AtomicWriteResult Write(const fs::path& p, const std::string& bytes,
                                  const fs::path* backup = nullptr,
                                  platform::Flush flush = platform::Flush::ToDisk)
{
    return platform::WriteFileAtomically(p, bytes.data(), bytes.size(), backup, platform::TempName::Fixed,
                                         flush);
}

} // namespace

TEST(AtomicFile, ReplacesTheFileAndLeavesNoTemporaryFile)
{
    // Flushed to disk or not, the file is replaced whole.
    for (const platform::Flush flush : {platform::Flush::ToDisk, platform::Flush::No}) {
        TempDir dir;
        const fs::path target = dir.Write("a.bin", "old content");
        const std::string bytes("new\0bytes", 9);
        const auto r = Write(target, bytes, nullptr, flush);
        EXPECT_TRUE(r);
        EXPECT_EQ(Read(target), bytes);
        EXPECT_FALSE(fs::exists(dir.path / "a.bin.tmp"));

        const fs::path empty = dir.path / "empty.bin";
        EXPECT_TRUE(Write(empty, "", nullptr, flush));
        EXPECT_TRUE(fs::exists(empty));
        EXPECT_EQ(fs::file_size(empty), 0u);
    }
}

TEST(AtomicFile, EachFailedStepKeepsTheOldFileAndSaysWhichStepFailed)
{
    TempDir dir;
    {
        // The temporary name is taken by a folder: nothing can be created.
        const fs::path target = dir.Write("blocked.bin", "old");
        fs::create_directory(dir.path / "blocked.bin.tmp");
        const auto r = Write(target, "new");
        EXPECT_EQ(r.step, platform::AtomicWriteResult::Create);
        EXPECT_TRUE(r.error);
        EXPECT_EQ(Read(target), "old");
    }
    {
        // The target is a folder with content: the rename cannot replace it.
        const fs::path target = dir.path / "folder";
        fs::create_directories(target / "inside");
        const auto r = Write(target, "new");
        EXPECT_EQ(r.step, platform::AtomicWriteResult::Replace);
        EXPECT_TRUE(r.error);
        EXPECT_TRUE(fs::is_directory(target / "inside"));
        EXPECT_FALSE(fs::exists(dir.path / "folder.tmp"));
    }
    {
        // No folder to write into.
        const auto r = Write(dir.path / "missing" / "x.bin", "new");
        EXPECT_EQ(r.step, platform::AtomicWriteResult::Create);
    }
}

TEST(AtomicFile, BackupTakesThePreviousFileOnlyWhenTheNewOneIsInPlace)
{
    TempDir dir;
    const fs::path target = dir.path / "w.wld";
    const fs::path backup = dir.path / "w.bak";

    // A first save has nothing to keep.
    ASSERT_TRUE(Write(target, "one", &backup));
    EXPECT_FALSE(fs::exists(backup));

    ASSERT_TRUE(Write(target, "two", &backup));
    EXPECT_EQ(Read(target), "two");
    EXPECT_EQ(Read(backup), "one");

    // A backup that cannot be made stops the save before the old file is touched.
    fs::remove(backup);
    fs::create_directories(backup / "inside");
    const auto r = Write(target, "three", &backup);
    EXPECT_EQ(r.step, platform::AtomicWriteResult::Backup);
    EXPECT_EQ(Read(target), "two");
    EXPECT_FALSE(fs::exists(dir.path / "w.wld.tmp"));
}

TEST(AtomicFile, UniqueTemporaryNamesLetTwoWritersSaveTheSameFileAtOnce)
{
    TempDir dir;
    const fs::path target = dir.path / "user.reg";
    // Large enough that a shared temporary file would mix the two contents.
    const std::string a(256 * 1024, 'a'), b(256 * 1024, 'b');
    auto writer = [&](const std::string& bytes) {
        for (int i = 0; i < 20; ++i)
            EXPECT_TRUE(platform::WriteFileAtomically(target, bytes.data(), bytes.size(), nullptr,
                                                      platform::TempName::Unique));
    };
    std::thread first(writer, std::cref(a)), second(writer, std::cref(b));
    first.join();
    second.join();
    const std::string now = Read(target);
    EXPECT_TRUE(now == a || now == b) << "a whole save of one writer";
    int files = 0;
    for (const auto& entry : fs::directory_iterator(dir.path))
        files += entry.path() != target;
    EXPECT_EQ(files, 0) << "no temporary file is left";
}
