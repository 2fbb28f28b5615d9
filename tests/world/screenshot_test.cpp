// Screenshots: numbered bitmap files of the back buffer that other programs read.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/render/Screenshot.h"
#include "platform/files/WinPath.h"
#include "tests/support/TestDevice.h"

namespace fs = std::filesystem;

namespace {

std::string RunCommand(const std::string& command)
{
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return out;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe))
        out += buffer;
    ::pclose(pipe);
    return out;
}

// ImageMagick's colour of one pixel as "r,g,b".
std::string PixelOf(const fs::path& file, int x, int y)
{
    return RunCommand("convert '" + file.string() + "' -format '%[fx:int(255*p{" + std::to_string(x) + "," +
                      std::to_string(y) + "}.r)],%[fx:int(255*p{" + std::to_string(x) + "," +
                      std::to_string(y) + "}.g)],%[fx:int(255*p{" + std::to_string(x) + "," +
                      std::to_string(y) + "}.b)]' info: 2>&1");
}

class ScreenshotTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder =
            fs::temp_directory_path() / ("varek_snapshots_" + std::to_string(::getpid()) + "_" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
        platform::SetProgramFolder(folder);
        // 62 pixels of 3 bytes make rows that need padding to 4 bytes.
        ASSERT_NO_FATAL_FAILURE(device.Open(62, 40));
    }
    void TearDown() override
    {
        device.Close();
        std::error_code ec;
        if (!HasFailure())
            fs::remove_all(folder, ec);
    }
    // Left half red, right half blue, the top-left pixel green.
    void Paint()
    {
        DDSURFACEDESC2 desc;
        ASSERT_EQ(DX.backSurface->GetSurfaceDesc(&desc), DD_OK);
        width = int(desc.dwWidth);
        height = int(desc.dwHeight);
        DDBLTFX fx;
        RECT left{0, 0, width / 2, height}, right{width / 2, 0, width, height}, corner{0, 0, 1, 1};
        fx.dwFillColor = 0xFF0000;
        DX.backSurface->Blt(&left, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
        fx.dwFillColor = 0x0000FF;
        DX.backSurface->Blt(&right, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
        fx.dwFillColor = 0x00FF00;
        DX.backSurface->Blt(&corner, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
    }

    fs::path folder;
    TestDevice device;
    int width = 0, height = 0;
};

} // namespace

TEST_F(ScreenshotTest, SnapshotIsAPaddedBitmapWithTheFramePixelsInTheProgramFolder)
{
    Paint();
    const int32_t first = SnapshotCounter;
    ASSERT_TRUE(WriteSnapshot());
    EXPECT_EQ(SnapshotCounter, first + 1);
    char name[32];
    std::snprintf(name, sizeof name, "snapshot%05d.bmp", first);
    const fs::path file = folder / name;
    ASSERT_TRUE(fs::exists(file));
    const size_t row = (size_t(width) * 3 + 3) & ~size_t(3);
    EXPECT_EQ(fs::file_size(file), 54 + row * size_t(height));
    EXPECT_EQ(RunCommand("identify -format '%m %w %h' '" + file.string() + "' 2>&1"),
              "BMP3 " + std::to_string(width) + " " + std::to_string(height));
    EXPECT_EQ(PixelOf(file, 0, 0), "0,255,0");
    EXPECT_EQ(PixelOf(file, 1, height - 1), "255,0,0");
    EXPECT_EQ(PixelOf(file, width - 1, height - 1), "0,0,255");
    EXPECT_EQ(PixelOf(file, width - 1, 0), "0,0,255");
}

TEST_F(ScreenshotTest, UnwritableFileIsReportedAndLeavesNothing)
{
    Paint();
    const fs::path blocked = folder / "blocked";
    fs::create_directories(blocked / "snapshot.bmp"); // a folder where the file should go
    EXPECT_FALSE(WriteBmpFile((blocked / "snapshot.bmp").string().c_str()));
    EXPECT_FALSE(WriteBmpFile((folder / "missing" / "x.bmp").string().c_str()));
    EXPECT_FALSE(fs::exists(folder / "missing"));
    EXPECT_TRUE(fs::is_directory(blocked / "snapshot.bmp"));
}

TEST(SnapshotNames, NumbersHaveFiveDigitsAndGrowPastThem)
{
    platform::SetProgramFolder("/tmp/varek-names");
    EXPECT_EQ(fs::path(SnapshotPath(0)).filename(), "snapshot00000.bmp");
    EXPECT_EQ(fs::path(SnapshotPath(100000)).filename(), "snapshot100000.bmp");
    EXPECT_EQ(fs::path(SnapshotPath(7)).parent_path(), fs::path("/tmp/varek-names"));
}

#ifdef VAREK_PROGRAM
TEST(SnapshotRecording, FixedStepRunWritesOneReadableBitmapPerFrame)
{
    const fs::path dir = fs::temp_directory_path() / ("varek_recording_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "data");
    std::ofstream(dir / "data" / "dialogs_eng_demo.txt") << "RULO2 = Varek Test\n";
    // Leaks of the system libraries in the child are not this test's concern.
    const std::string command = "cd '" + dir.string() + "' && env XDG_CONFIG_HOME='" +
                                (dir / "config").string() +
                                "' LSAN_OPTIONS=detect_leaks=0 VAREK_EXIT_AFTER_FRAMES=2 VAREK_FIXED_STEP=1 "
                                "VAREK_SNAPSHOTS=all '" VAREK_PROGRAM "' -window > output.txt 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    // Without a world the frame shows the fog colour it was cleared to, under the game's start
    // fade from black, which lifts by a tenth a frame. The program is checked for leaks by its own
    // tests, not here.
    const std::pair<const char*, const char*> frames[] = {{"snapshot00000.bmp", "0,0,0"},
                                                          {"snapshot00001.bmp", "9,9,8"}};
    for (const auto& [name, colour] : frames) {
        SCOPED_TRACE(name);
        const fs::path file = dir / name;
        ASSERT_TRUE(fs::exists(file));
        EXPECT_EQ(RunCommand("identify -format '%w %h' '" + file.string() + "' 2>&1"), "640 480");
        EXPECT_EQ(PixelOf(file, 320, 240), colour);
    }
    EXPECT_FALSE(fs::exists(dir / "snapshot00002.bmp"));
    fs::remove_all(dir);
}
#endif
