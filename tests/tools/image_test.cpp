// varek-tool image: info and convert on pictures made here.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/tools/ToolTestRig.h"

namespace fs = std::filesystem;

namespace {

class ImageTool : public ToolTest
{
protected:
    ImageTool() : ToolTest("imagetool") {}

    void SetUp() override
    {
        ToolTest::SetUp();
        // A 3 x 2 picture in the library's own format: 24-bit blue, green,
        // red, top-left origin, uncoded.
        Bytes rif = {'R', 'I', 'F', '1', 3, 0, 2, 0, 3, 0x71, 18, 0, 0, 0};
        for (int i = 0; i < 18; ++i)
            rif.push_back(uint8_t(i * 13));
        write("pic.rif", rif);
    }
};

TEST_F(ImageTool, InfoShowsSizeFormatOriginAndPalette)
{
    const ToolRun r = tool("image info '" + path("pic.rif") + "'");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "width 3\nheight 2\nformat 1026 FMT_BGR_888\norigin 7 TOP LEFT\npalette 0\n");
}

TEST_F(ImageTool, ConvertByExtensionAndFormat)
{
    ToolRun r = tool("image convert '" + path("pic.rif") + "' '" + path("pic.bmp") + "'");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = tool("image info '" + path("pic.bmp") + "'");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "width 3\nheight 2\nformat 1025 FMT_RGB_888\norigin 5 BOTTOM LEFT\npalette 0\n");

    r = tool("image convert '" + path("pic.bmp") + "' '" + path("pal.rif") + "' FMT_P_8");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = tool("image info '" + path("pal.rif") + "'");
    EXPECT_EQ(r.out, "width 3\nheight 2\nformat 258 FMT_P_8\norigin 5 BOTTOM LEFT\npalette 256\n");

    r = tool("image convert '" + path("pic.rif") + "' '" + path("small.rif") + "' 513");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(fs::file_size(path("small.rif")), 14u + 12);
}

TEST_F(ImageTool, ErrorsNameTheFileAndTheReason)
{
    struct Case
    {
        std::string args, file, reason;
    } cases[] = {
        {"image info '" + path("none.bmp") + "'", "none.bmp", "No such file"},
        {"image convert '" + path("pic.rif") + "' '" + path("o.rif") + "' 999", "pic.rif",
         "unknown pixel format"},
        {"image convert '" + path("pic.rif") + "' '" + path("o.gif") + "'", "o.gif",
         "cannot write this file type"},
        {"image convert '" + path("pic.rif") + "' '" + path("o.tga") + "' 513", "o.tga", "is not taken"},
        {"image convert '" + path("pic.rif") + "' '" + path("o.bmp") + "' FMT_RGB_565", "o.bmp",
         "cannot keep FMT_RGB_565"},
        {"image convert '" + path("pic.rif") + "' '" + path("o.tif") + "' 513", "o.tif", "cannot keep"},
        {"image convert '" + path("pic.rif") + "' '" + path("no/dir/o.bmp") + "'", "o.bmp",
         "cannot be created"},
        {"image info '" + path("stdout.txt") + "'", "stdout.txt", "not an image"},
        {"image frobnicate", "", "usage"},
    };
    write("stdout.txt", Bytes{1, 2, 3});
    for (const Case& c : cases) {
        const ToolRun r = tool(c.args);
        EXPECT_EQ(r.exitCode, 1) << c.args;
        EXPECT_NE(r.err.find(c.file), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(c.reason), std::string::npos) << r.err;
    }
}

} // namespace

namespace {

class PageTool : public ToolTest
{
protected:
    PageTool() : ToolTest("pagetool") {}
};

TEST_F(PageTool, PaintsAPageIntoAPictureAndNamesAnUnreadableOne)
{
    const std::string html = "<body bgcolor=#00FF00><center><font color=red>Gr\xFC\xDF"
                             "e</font></center></body>";
    write("page.htm", Bytes(html.begin(), html.end()));
    ToolRun r = tool("page render '" + path("page.htm") + "' '" + path("page.bmp") + "' 64 32");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = tool("image info '" + path("page.bmp") + "'");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("width 64\nheight 32\n"), std::string::npos) << r.out;

    r = tool("page render '" + path("missing.htm") + "' '" + path("out.bmp") + "'");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("missing.htm"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(path("out.bmp")));
    EXPECT_EQ(tool("page render").exitCode, 1);
}

} // namespace
