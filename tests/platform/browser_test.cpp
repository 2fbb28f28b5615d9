// The page view on real pages written by the tests: colours where the markup
// puts them, Windows-1252 text, pages as other HTML tools write them, missing
// pages and pictures, links, and the texture the page is drawn from.
#include <gtest/gtest.h>

#include <stb_image_write.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/browser/Browser.h"
#include "platform/browser/PageParts.h"
#include "platform/d3d/D3D.h"
#include "tests/platform/TempDir.h"
#include "tests/platform/d3d/D3DTestRig.h"

namespace {

using platform::Browser;
using platform::BrowserRect;

// A 24-bit bottom-up Windows bitmap of one colour.
std::string SolidBmp(int w, int h, uint8_t r, uint8_t g, uint8_t b)
{
    const int row = (w * 3 + 3) & ~3;
    const uint32_t size = 54 + uint32_t(row * h);
    std::string out(54, '\0');
    auto put32 = [&](size_t at, uint32_t v) {
        for (int k = 0; k < 4; ++k)
            out[at + k] = char(v >> (8 * k));
    };
    out[0] = 'B';
    out[1] = 'M';
    put32(2, size);
    put32(10, 54);
    put32(14, 40);
    put32(18, uint32_t(w));
    put32(22, uint32_t(h));
    out[26] = 1;
    out[28] = 24;
    for (int y = 0; y < h; ++y) {
        std::string line(size_t(row), '\0');
        for (int x = 0; x < w; ++x) {
            line[size_t(x) * 3] = char(b);
            line[size_t(x) * 3 + 1] = char(g);
            line[size_t(x) * 3 + 2] = char(r);
        }
        out += line;
    }
    return out;
}

struct Shot
{
    int w = 0, h = 0;
    std::vector<uint32_t> px;
    uint32_t at(int x, int y) const { return px[size_t(y) * size_t(w) + size_t(x)] & 0xFFFFFFu; }
    // Pixels of exactly this colour inside a box.
    int count(uint32_t rgb, int x0 = 0, int y0 = 0, int x1 = -1, int y1 = -1) const
    {
        x1 = x1 < 0 ? w : x1;
        y1 = y1 < 0 ? h : y1;
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                n += at(x, y) == rgb;
        return n;
    }
};

struct BrowserTest : ::testing::Test
{
    TempDir dir;
    std::vector<std::string> log;
    Browser browser{[this](const std::string& line) { log.push_back(line); }};

    Shot Render(const std::string& name, const std::string& html, int w = 400, int h = 300)
    {
        dir.Write(name, html);
        EXPECT_TRUE(browser.Navigate((dir.path / name).string()));
        browser.SetControlRect({0, 0, w, h});
        browser.Update();
        return {browser.PageWidth(), browser.PageHeight(), browser.Pixels()};
    }
};

TEST_F(BrowserTest, OldMarkupPaintsItsColoursWhereItPutsThem)
{
    dir.Write("pics/Green.bmp", SolidBmp(40, 30, 0, 200, 0));
    const Shot s = Render("page.htm", R"(<html><body bgcolor="#336699" text="#FFFFFF">
<center><h1>HEIST</h1></center>
<img src="PICS\green.BMP" align=right width=40 height=30>
<p><font color="#FF0000" size=5>Red words here</font></p>
<table border=0 cellpadding=4><tr><td bgcolor="#FFFF00" width=120 height=40>&nbsp;</td>
<td bgcolor=00FFFF width=60>&nbsp;</td></tr></table>
</body></html>)");
    ASSERT_EQ(s.w, 400);
    EXPECT_EQ(s.at(2, 2), 0x336699u) << "body bgcolor fills the page";
    EXPECT_EQ(s.at(200, 295), 0x336699u);

    // The heading is centred: its white letters lie about the middle.
    int minX = s.w, maxX = 0;
    for (int y = 0; y < 70; ++y)
        for (int x = 0; x < s.w; ++x)
            if (s.at(x, y) == 0xFFFFFFu) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
            }
    ASSERT_LT(minX, maxX) << "the heading draws in the body's text colour";
    EXPECT_NEAR((minX + maxX) / 2, 200, 8);

    // The picture sits at the right edge (inside the body margin), 40 x 30.
    int greenMin = s.w, greenMax = 0;
    for (int y = 0; y < s.h; ++y)
        for (int x = 0; x < s.w; ++x)
            if (s.at(x, y) == 0x00C800u) {
                greenMin = std::min(greenMin, x);
                greenMax = std::max(greenMax, x);
            }
    EXPECT_EQ(s.count(0x00C800u), 40 * 30);
    EXPECT_EQ(greenMax, 400 - 8 - 1);
    EXPECT_EQ(greenMin, 400 - 8 - 40);

    EXPECT_GT(s.count(0xFF0000u), 30) << "the font colour";
    EXPECT_GE(s.count(0xFFFF00u), 120 * 40) << "the first cell's bgcolor over its width and height";
    EXPECT_GT(s.count(0x00FFFFu), 60 * 20) << "a colour written without its hash";
}

TEST_F(BrowserTest, WindowsBytesRenderAsTheirLetters)
{
    const Shot byte = Render("a.htm", "<html><body><p>Gr\xFC\xDF"
                                      "e \x80</p></body></html>");
    const Shot entity = Render("b.htm", "<html><body><p>Gr&uuml;&szlig;e &euro;</p></body></html>");
    const Shot plain = Render("c.htm", "<html><body><p>Grusse E</p></body></html>");
    EXPECT_EQ(byte.px, entity.px) << "0xFC is \xC3\xBC, 0xDF \xC3\x9F and 0x80 the euro sign";
    EXPECT_NE(byte.px, plain.px);
}

TEST_F(BrowserTest, PagesAsOtherToolsWriteThemRenderReadably)
{
    const Shot s = Render(
        "tool.htm", "<HTML>\r\n<HEAD><TITLE>T</TITLE><STYLE>P.x { color: #0000FF }</STYLE></HEAD>\r\n"
                    "<BODY BGCOLOR=\"#00FF00\">\r<P STYLE=\"color:#FF0000;font-weight:bold\">Hello\r</P>\r\n"
                    "<P CLASS=x>Blue</P><DIV ALIGN=RIGHT><B>right</B></DIV><UNKNOWN>kept <BLINK>text</BLINK>"
                    "</BODY>\r\n</HTML>\r\n");
    EXPECT_EQ(s.at(1, 1), 0x00FF00u);
    EXPECT_GT(s.count(0xFF0000u), 20) << "inline style";
    EXPECT_GT(s.count(0x0000FFu), 20) << "a style sheet in the page";
    int rightMost = 0;
    for (int y = 0; y < s.h; ++y)
        for (int x = 0; x < s.w; ++x)
            if (s.at(x, y) == 0)
                rightMost = std::max(rightMost, x);
    EXPECT_GT(rightMost, 370) << "ALIGN=RIGHT in capitals";
}

// The body's LINK colour paints its links, a font inside the link still wins, and
// without it links keep the master sheet's blue.
TEST_F(BrowserTest, TheBodysLinkColourPaintsItsLinks)
{
    struct Case
    {
        const char* body;
        uint32_t linkColour;
        uint32_t absent;
    };
    const Case cases[] = {{"<body link=#00C000>", 0x00C000u, 0x0000CCu},
                          {"<BODY LINK=\"00C000\">", 0x00C000u, 0x0000CCu},
                          {"<body>", 0x0000CCu, 0x00C000u}};
    for (const Case& c : cases) {
        const Shot s = Render("l.htm", std::string(c.body) +
                                           "<p><a href='next.htm'><font size=5>Next page</font></a></p>"
                                           "<p><a href='x.htm'><font color=#FF0000 size=5>Red</font></a></p>"
                                           "<p><font size=5>Plain words</font></p></body>");
        EXPECT_GT(s.count(c.linkColour), 30) << c.body;
        EXPECT_EQ(s.count(c.absent), 0) << c.body;
        EXPECT_GT(s.count(0xFF0000u), 20) << c.body << ": a font colour inside the link";
    }
}

TEST_F(BrowserTest, AMissingPageLogsItsPathOnceAndShowsEmpty)
{
    const std::string missing = (dir.path / "Tutorial" / "Tutorial9_1.htm").string();
    EXPECT_FALSE(browser.Navigate(missing));
    browser.SetControlRect({0, 0, 64, 48});
    EXPECT_TRUE(browser.Update());
    EXPECT_FALSE(browser.Update());
    ASSERT_EQ(log.size(), 1u);
    EXPECT_NE(log[0].find(missing), std::string::npos) << log[0];
    EXPECT_TRUE(std::all_of(browser.Pixels().begin(), browser.Pixels().end(),
                            [](uint32_t p) { return p == 0xFFFFFFFFu; }));

    // A missing picture or a broken tag leaves that part out.
    const Shot s = Render("p.htm", "<body bgcolor=#102030><img src=nothere.png><p>ok<b</p><table><tr><td>x");
    EXPECT_EQ(s.at(5, 5), 0x102030u);
    EXPECT_EQ(log.size(), 1u);
}

TEST_F(BrowserTest, LaysOutAgainOnlyWhenTheSizeOrThePageChanges)
{
    Render("p.htm", "<body><p>Some text that wraps when the page is narrow enough to make it wrap.</p>");
    EXPECT_FALSE(browser.Update());
    const uint32_t paints = browser.Paints();
    browser.SetHostRect({100, 50, 600, 450});
    browser.SetControlRect({10, 10, 410, 310});
    EXPECT_FALSE(browser.Update()) << "moved, not resized";
    browser.SetControlRect({0, 0, 200, 300});
    EXPECT_TRUE(browser.Update());
    EXPECT_EQ(browser.PageWidth(), 200);
    EXPECT_EQ(browser.Paints(), paints + 1);
}

TEST_F(BrowserTest, ALocalLinkOpensItsPageAndOthersDoNothing)
{
    dir.Write("Next.htm", "<body bgcolor=#FF00FF>next</body>");
    Render("p.htm", "<body style='margin:0'><a href='next.htm'><img src='b.bmp' width=50 height=50></a><br>"
                    "<a href='http://example.invalid/'><img src='b.bmp' width=50 height=50></a>");
    dir.Write("b.bmp", SolidBmp(2, 2, 0, 0, 0));
    browser.SetHostRect({100, 100, 500, 400});
    browser.SetControlRect({0, 0, 400, 300});
    browser.Show(false);
    EXPECT_FALSE(browser.Click(110, 110)) << "hidden";
    browser.Show(true);
    EXPECT_TRUE(browser.IsMouseOver(110, 110));
    EXPECT_FALSE(browser.IsMouseOver(99, 110));
    EXPECT_FALSE(browser.Click(110, 170)) << "a web address is not followed";
    EXPECT_TRUE(browser.Click(110, 110));
    EXPECT_EQ(std::filesystem::path(browser.Location()).filename(), "Next.htm");
    browser.Update();
    EXPECT_EQ(browser.Pixels()[0] & 0xFFFFFFu, 0xFF00FFu);
}

TEST(BrowserImages, PngAndJpegThroughTheirDecoderOthersThroughTheImageLibrary)
{
    TempDir dir;
    const uint8_t rgba[4 * 4] = {255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 255, 255, 255, 255, 0};
    ASSERT_TRUE(stbi_write_png((dir.path / "p.png").c_str(), 2, 2, 4, rgba, 8));
    platform::browser::PageImage img;
    ASSERT_TRUE(platform::browser::LoadPageImage(dir.path / "p.png", img));
    EXPECT_EQ(img.pixels, (std::vector<uint32_t>{0xFFFF0000u, 0x8000FF00u, 0xFF0000FFu, 0x00FFFFFFu}));
    dir.Write("s.bmp", SolidBmp(3, 2, 10, 20, 30));
    ASSERT_TRUE(platform::browser::LoadPageImage(dir.path / "s.bmp", img));
    EXPECT_EQ(img.width, 3);
    EXPECT_EQ(img.pixels, std::vector<uint32_t>(6, 0xFF0A141Eu));
    dir.Write("broken.png", "\x89PNG\r\n\x1a\nrubbish");
    EXPECT_FALSE(platform::browser::LoadPageImage(dir.path / "broken.png", img));
    EXPECT_FALSE(platform::browser::LoadPageImage(dir.path / "none.jpg", img));
}

TEST(BrowserLinks, ResolveAgainstThePageFolder)
{
    TempDir dir;
    dir.Write("Tutorial/Pics/A.BMP", "x");
    const auto folder = dir.path / "Tutorial";
    EXPECT_EQ(platform::browser::ResolvePageLink(folder, "pics\\a.bmp"), folder / "Pics" / "A.BMP");
    EXPECT_EQ(platform::browser::ResolvePageLink(folder, "Pics/a.bmp#top"), folder / "Pics" / "A.BMP");
    EXPECT_EQ(platform::browser::ResolvePageLink(folder, "file://" + (folder / "pics/a.bmp").string()),
              folder / "Pics" / "A.BMP");
    for (const char* notLocal : {"http://x/y.htm", "mailto:a@b", "javascript:go()", "", "#top"})
        EXPECT_TRUE(platform::browser::ResolvePageLink(folder, notLocal).empty()) << notLocal;
}

TEST(BrowserMarkup, OldAttributesBecomeStyleAheadOfTheTagsOwn)
{
    using platform::browser::ConvertLegacyMarkup;
    const struct
    {
        const char* in;
        const char* out;
    } cases[] = {
        {"<BODY BGCOLOR=ff0000 TEXT=\"#00ff00\">", "<BODY bgcolor=\"ff0000\" text=\"#00ff00\" "
                                                   "style=\"background-color:#ff0000;color:#00ff00;\">"},
        {"<font color=red size=+2 style='color:blue'>", "<font color=\"red\" size=\"+2\" "
                                                        "style=\"color:red;font-size:24px;color:blue\">"},
        {"<img src=a.bmp align=right hspace=4>", "<img src=\"a.bmp\" align=\"right\" hspace=\"4\" "
                                                 "style=\"float:right;margin-left:4px;margin-right:4px;\">"},
        {"<table cellpadding=3><tr><td width=50%>", "<table cellpadding=3><tr><td width=\"50%\" "
                                                    "style=\"width:50%;padding:3px;\">"},
        {"<p>plain <b>text</b></p><!-- <td bgcolor=red> -->",
         "<p>plain <b>text</b></p><!-- <td bgcolor=red> -->"},
        {"<script>if (a<b) x='<td bgcolor=red>';</script>",
         "<script>if (a<b) x='<td bgcolor=red>';</script>"},
        // A value cannot end the attribute or the declaration it is copied into.
        {"<td bgcolor='\"><i>;x'>", "<td bgcolor=\"&quot;><i>;x\" style=\"background-color:ix;\">"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ConvertLegacyMarkup(c.in), c.out) << c.in;
}

TEST(BrowserTexture, UploadsOnlyANewPaint)
{
    D3DTestRig rig;
    ASSERT_TRUE(rig.open(320, 240));
    TempDir dir;
    dir.Write("p.htm", "<body bgcolor=#204080></body>");
    Browser browser;
    ASSERT_TRUE(browser.Navigate((dir.path / "p.htm").string()));
    browser.SetControlRect({0, 0, 200, 200});
    platform::BrowserTexture texture;
    EXPECT_EQ(texture.Get(rig.dd, browser), nullptr) << "nothing painted yet";
    browser.Update();
    IDirectDrawSurface7* surface = texture.Get(rig.dd, browser);
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(texture.Get(rig.dd, browser), surface);
    EXPECT_FALSE(browser.Update());
    EXPECT_EQ(texture.Get(rig.dd, browser), surface);
    EXPECT_EQ(texture.Uploads(), 1u) << "frames without a new paint draw the cached texture";
    DDSURFACEDESC2 desc;
    ASSERT_TRUE(SUCCEEDED(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr)));
    EXPECT_EQ(*static_cast<uint32_t*>(desc.lpSurface) & 0xFFFFFFu, 0x204080u);
    surface->Unlock(nullptr);
}

} // namespace
