#include "platform/resources/Resources.h"

#include "tests/platform/TempDir.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

TEST(Resources, FoundByTypeAndIdBesideTheProgram)
{
    TempDir dir;
    SetResourceFolder(dir.path / "resources");
    dir.Write("resources/IMAGES/602.bmp", "BMimage");
    dir.Write("resources/models/7.tmf", "model");
    dir.Write("resources/models/70.tmf", "other");
    dir.Write("resources/icon/128.ico", "icon");
    dir.Write("resources/icon/128.png", "second");
    dir.Write("resources/DIALOG/StartPlanningModeDlg.txt", "named");

    std::vector<uint8_t> bytes;
    ASSERT_TRUE(LoadResource("IMAGES", 602, bytes));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "BMimage");
    ASSERT_TRUE(LoadResource("MODELS", 7, bytes));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "model") << "type folder matched ignoring case";
    EXPECT_EQ(FindResource("ICON", 128).filename(), "128.ico") << "the first by name";
    ASSERT_TRUE(LoadResource("dialog", "startplanningmodedlg", bytes));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "named");

    EXPECT_FALSE(LoadResource("IMAGES", 603, bytes));
    EXPECT_FALSE(LoadResource("SOUNDS", 1, bytes));
    EXPECT_TRUE(FindResource("MODELS", "..").empty());
    EXPECT_TRUE(FindResource("..", "resources").empty());
    EXPECT_TRUE(FindResource("IMAGES\\..\\MODELS", 7).empty());

    SetResourceFolder(dir.path / "missing");
    EXPECT_FALSE(LoadResource("IMAGES", 602, bytes));
}

} // namespace
