// The editor build on the sample installation: F10 starts planning the burglary, the pointer goes
// onto the window of Haus_C by the pavement, whose alarm contact names the front door and the safe,
// and the game's inset view shows the first of them in the view's top-left corner, labelled "1/2".
#include "tests/sample/SampleTestUtil.h"

#include "GAMES/Rulo2/app/InsetView.h"

#include <cstdlib>

namespace {

using namespace sampletest;

// Pixels of the rectangle whose colour differs by more than 24 in a channel between two pictures.
int ChangedPixels(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, const SViewRect& r)
{
    int w = 0, h = 0, count = 0;
    uint32_t ca = 0, cb = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (BmpPixel(a, x, y, &w, &h, &ca) && BmpPixel(b, x, y, &w, &h, &cb))
                for (int shift : {0, 8, 16})
                    if (std::abs(int((ca >> shift) & 0xFF) - int((cb >> shift) & 0xFF)) > 24) {
                        ++count;
                        break;
                    }
    return count;
}

// Pixels of the rectangle in the yellow of the label's box and text (the house front is beige).
int YellowPixels(const std::vector<uint8_t>& bmp, const SViewRect& r)
{
    int w = 0, h = 0, count = 0;
    uint32_t c = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (BmpPixel(bmp, x, y, &w, &h, &c) && (c >> 16) > 150 && ((c >> 8) & 0xFF) > 120 &&
                (c & 0xFF) < 90)
                ++count;
    return count;
}

TEST(InsetRun, PlanningShowsTheObjectsAPointedWindowsAlarmContactNamesInTheCorner)
{
    const fs::path dir = TempFolder("inset_run");
    ASSERT_NO_FATAL_FAILURE(MakeEditorInstallation(dir));
    // The inset is prepared in the frame after the pointer came (the picking takes the last
    // frame's candidate), rendered in a frame that is not presented, and shown 300 ms later.
    std::ofstream(dir / "script.txt") << "2 dialog 434 ok                       # the burglary to plan\n"
                                         "3 key F10 press                       # Start Planning Mode\n"
                                         "20 snapshot before.bmp\n"
                                         "21 point \\Haus_C\\Window_Left\n"
                                         "24 snapshot waiting.bmp\n"
                                         "34 snapshot inset.bmp\n";
    const int rc = RunEditor(dir);
    const std::string log = ReadText(dir / "log.txt");
    ASSERT_EQ(rc, 0) << ReadText(dir / "output.txt") << log;
    ASSERT_EQ(log.find("not in the view"), std::string::npos) << log;
    const std::vector<uint8_t> before = ReadBytes(dir / "before.bmp"),
                               waiting = ReadBytes(dir / "waiting.bmp"), inset = ReadBytes(dir / "inset.bmp");
    int w = 0, h = 0;
    uint32_t rgb = 0;
    ASSERT_TRUE(BmpPixel(before, 0, 0, &w, &h, &rgb));
    ASSERT_TRUE(BmpPixel(waiting, 0, 0, &w, &h, &rgb));
    ASSERT_TRUE(BmpPixel(inset, 0, 0, &w, &h, &rgb));
    const SViewRect r = InsetPixels(w, h);
    const int area = (r.right - r.left) * (r.bottom - r.top);
    EXPECT_LT(ChangedPixels(before, waiting, r), area / 10) << "not shown before 300 ms";
    EXPECT_GT(ChangedPixels(before, inset, r), area / 3) << "the safe's picture";
    // The label "1/2" on its box, at the middle of the inset's bottom edge.
    const int middle = (r.left + r.right) / 2;
    const SViewRect label{middle - 30, r.bottom - 30, middle + 30, r.bottom};
    EXPECT_EQ(YellowPixels(before, label), 0);
    EXPECT_GT(YellowPixels(inset, label), 60) << "the label's box and text";
    // Beside the inset the view stays as it was.
    EXPECT_LT(ChangedPixels(before, inset, SViewRect{r.right + 4, r.top, w, r.bottom}),
              (w - r.right - 4) * (r.bottom - r.top) / 10);
    const fs::path kept = fs::path(VAREK_ARTEFACT_DIR) / "inset";
    std::error_code ec;
    fs::create_directories(kept, ec);
    fs::copy_file(dir / "inset.bmp", kept / "inset.bmp", fs::copy_options::overwrite_existing, ec);
    if (!::testing::Test::HasFailure())
        fs::remove_all(dir);
}

} // namespace
