// Files cut short: every loader refuses them with 0 and a log line, reading
// nothing outside the data it was given (the sanitizer build checks that).
#include "LIBS/Image/imgImage.h"
#include "tests/Image/ImageTestUtil.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TEST(ImageDamaged, CutFilesOfEveryTypeAreRefused)
{
    TempDir dir;
    const int w = 13, h = 7;
    imgImage img;
    fillBGRA(img, testPicture(w, h, true), w, h);
    struct Made
    {
        std::string file;
        int option;
        int format;
    } made[] = {{"a.bmp", 0, FMT_BGR_888}, {"a.tga", 0, FMT_BGRA_8888}, {"r.tga", 1, FMT_RGB_888},
                {"p.tga", 1, FMT_P_8},     {"a.tif", 0, FMT_BGR_888},   {"l.tif", 3, FMT_BGRA_8888},
                {"a.rif", 0, FMT_RGB_565}, {"r.rif", 1, FMT_P_8}};
    std::vector<std::string> files;
    for (const Made& m : made) {
        imgImage copy;
        copy.convertFrom(img, m.format, ORIGIN_TOP_LEFT);
        ASSERT_EQ(copy.save(dir.file(m.file).c_str(), m.option), 1) << m.file;
        files.push_back(m.file);
    }
    const std::string ppm = dir.file("in.ppm");
    {
        std::string head = "P6\n13 7\n255\n";
        std::vector<uint8_t> bytes(head.begin(), head.end());
        for (uint32_t v : testPicture(w, h, false))
            for (int s : {16, 8, 0})
                bytes.push_back(uint8_t(v >> s));
        writeFile(ppm, bytes);
    }
    for (const char* other : {"p.pcx", "q.gif"})
        if (std::system(
                ("convert " + ppm + " -type palette " + dir.file(other) + " >/dev/null 2>&1").c_str()) == 0)
            files.push_back(other);

    for (const std::string& f : files) {
        const auto bytes = readFile(dir.file(f));
        imgImage whole;
        ASSERT_EQ(whole.loadMemory(bytes.data(), bytes.size()) == 1 || f.find(".pcx") != std::string::npos,
                  true)
            << f;
        for (size_t cut : {size_t(8), size_t(20), bytes.size() / 2, bytes.size() * 3 / 4}) {
            // A copy of exactly the cut length, so that a read past it is a fault.
            std::vector<uint8_t> part(bytes.begin(), bytes.begin() + long(cut));
            LogCapture log;
            imgImage c;
            EXPECT_EQ(c.loadMemory(part.data(), part.size()), 0) << f << " cut at " << cut;
            EXPECT_FALSE(log.text().empty()) << f << " cut at " << cut;
            // Under its own name the type is known from the extension.
            writeFile(dir.file("cut_" + f), part);
            imgImage n;
            EXPECT_EQ(n.load(dir.file("cut_" + f).c_str()), 0) << f << " cut at " << cut;
        }
    }
}

} // namespace
