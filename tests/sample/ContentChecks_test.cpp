// The sample's texts and sounds against the program's sources: every text key
// and sound name written in the code is in the dialog text files and in
// "data\sounds.txt", and every encoded dialog text file reads as its plain one.
#include "tests/sample/SampleTestUtil.h"

#include <map>
#include <regex>
#include <set>

#include "GAMES/Rulo2/app/CGameSoundManager.h"
#include "GAMES/Rulo2/interface/CTextTree.h"
#include "GAMES/Rulo2/interface/DialogTexts.h"
#include "LIBS/Image/imgImage.h"

namespace {

using namespace sampletest;

class ContentChecks : public SampleSuite<ContentChecks>
{
};

struct SSourceNames
{
    // Name -> the first "file:line" that uses it.
    std::map<std::string, std::string> textKeys, soundNames;
};

// Reads the game's sources for the names the program looks up at run time.
// A sound name is a literal on a line that plays a sound (or in the table of
// the tools' working sounds); a text key is a literal handed to the text
// lookups or the speech bubbles, or one of the families the screens keep in
// tables (tooltips, menu texts, speech, info labels, alarms, taxi rides).
SSourceNames ScanSources(const fs::path& root)
{
    static const std::regex literal("\"([A-Z][A-Z0-9]*(?:_[A-Z0-9]+)*)\"");
    static const std::regex soundLine(R"(SoundManager->play\(|PlayAtHero\(|const char\* sound = )");
    static const std::regex workSound(R"re(\{"\w+", "(WORK_[A-Z]+)"\})re");
    static const std::regex lookup(
        R"re((?:GetDisplayText|GetText|Find|Say|refuse|TriggerAlarm|alarm)\((?:[^(),"]*,\s*)?"([A-Za-z0-9_]+)")re");
    static const std::regex family(
        "^(TTIP|MENU|CHAR|CHR|ERROR|ATTR|SELL|LEVEL|CAB|TAXI|HERO|DISPLAY|ALARM|ENTER)_[A-Z0-9_]*[A-Z0-9]$");
    SSourceNames names;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string ext = entry.path().extension().string();
        if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h"))
            continue;
        std::istringstream lines(ReadText(entry.path()));
        int number = 0;
        for (std::string line; std::getline(lines, line);) {
            ++number;
            // std::regex is slow: only lines with a literal in capitals are looked at.
            const size_t quote = line.find('"');
            if (quote == std::string::npos || quote + 1 >= line.size())
                continue;
            const std::string where =
                fs::relative(entry.path(), root).string() + ":" + std::to_string(number);
            std::smatch m;
            if (std::regex_search(line, soundLine)) {
                for (auto it = std::sregex_iterator(line.begin(), line.end(), literal);
                     it != std::sregex_iterator(); ++it)
                    names.soundNames.emplace((*it)[1].str(), where);
                continue;
            }
            if (std::regex_search(line, m, workSound))
                names.soundNames.emplace(m[1].str(), where);
            for (auto it = std::sregex_iterator(line.begin(), line.end(), lookup);
                 it != std::sregex_iterator(); ++it)
                names.textKeys.emplace((*it)[1].str(), where);
            for (auto it = std::sregex_iterator(line.begin(), line.end(), literal);
                 it != std::sregex_iterator(); ++it)
                if (std::regex_match((*it)[1].str(), family))
                    names.textKeys.emplace((*it)[1].str(), where);
        }
    }
    return names;
}

std::set<std::string> SoundNamesOf(const std::string& text)
{
    std::set<std::string> names;
    SoundDefinitionSink sink;
    sink.name = [](const std::string&) {};
    sink.file = [](const std::string&) {};
    sink.define = [&](const SoundDefinition& d) { names.insert(d.name); };
    sink.message = [](const std::string& line) { ADD_FAILURE() << line; };
    ParseSoundDefinitions(text, sink);
    return names;
}

const char* const kTextFiles[] = {"dialogs_ger", "dialogs_eng", "dialogs_ger_demo", "dialogs_eng_demo"};

TEST_F(ContentChecks, EveryTextKeyAndSoundNameOfTheSourcesIsInTheFiles)
{
    const SSourceNames used = ScanSources(fs::path(VAREK_SOURCE_DIR) / "GAMES" / "Rulo2");
    // The scan itself: names the program surely uses are among the finds.
    for (const char* key :
         {"REALLY_QUIT", "TTIP_BAR_MAP", "CHAR_DOORLOCKED", "ALARM_GUARD", "CAB_01", "MENU_RS_SUCCESS"})
        EXPECT_EQ(used.textKeys.count(key), 1u) << key;
    for (const char* sound : {"MENUCLICK", "ALARM_SIREN", "TRUCK", "WORK_PICKLOCK", "BURGLARY_SUCCESS"})
        EXPECT_EQ(used.soundNames.count(sound), 1u) << sound;
    EXPECT_GT(used.textKeys.size(), 200u);

    // Every file of both languages has every key: the German ones carry the English texts.
    for (const char* file : kTextFiles) {
        CTextTree tree;
        std::string error;
        ASSERT_TRUE(
            LoadDialogTextsFrom((*dir / "data" / (std::string(file) + ".txt")).string(), tree, false, &error))
            << error;
        for (const auto& [key, where] : used.textKeys)
            EXPECT_NE(tree.Find(key.c_str()), nullptr) << file << ": " << key << " (" << where << ")";
    }
    const std::set<std::string> defined = SoundNamesOf(ReadText(*dir / "data" / "sounds.txt"));
    for (const auto& [name, where] : used.soundNames)
        EXPECT_EQ(defined.count(name), 1u) << name << " (" << where << ")";

    // Each definition's WAV is there and every file is a WAV.
    std::vector<std::string> files;
    SoundDefinitionSink sink;
    sink.name = [](const std::string&) {};
    sink.file = [&](const std::string& f) { files.push_back(f); };
    sink.define = [](const SoundDefinition&) {};
    sink.message = [](const std::string&) {};
    ParseSoundDefinitions(ReadText(*dir / "data" / "sounds.txt"), sink);
    ASSERT_FALSE(files.empty());
    for (const std::string& f : files) {
        const std::vector<uint8_t> wav = ReadBytes(*dir / "sounds" / f);
        ASSERT_GT(wav.size(), 44u) << f;
        EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF") << f;
        EXPECT_EQ(std::string(wav.begin() + 8, wav.begin() + 12), "WAVE") << f;
    }
}

TEST_F(ContentChecks, EachEncodedTextFileLoadsToTheSameDictionaryAsItsPlainOne)
{
    sList<sStringPair> english;
    for (const char* file : kTextFiles) {
        CTextTree plain, encoded;
        std::string error;
        ASSERT_TRUE(LoadDialogTextsFrom((*dir / "data" / (std::string(file) + ".txt")).string(), plain, false,
                                        &error))
            << error;
        const fs::path encodedPath = *dir / "data" / (std::string(file) + "_encoded.txt");
        ASSERT_TRUE(LoadDialogTextsFrom(encodedPath.string(), encoded, false, &error)) << error;
        const std::vector<uint8_t> head = ReadBytes(encodedPath);
        ASSERT_GE(head.size(), 8u);
        EXPECT_TRUE(std::equal(head.begin(), head.begin() + 4, DialogTextEncodedHeader)) << file;

        sList<sStringPair> a, b;
        plain.Dump(a);
        encoded.Dump(b);
        ASSERT_EQ(a.count(), b.count()) << file;
        for (int32_t i = 0; i < a.count(); ++i) {
            EXPECT_STREQ(a[i].key.c_str(), b[i].key.c_str()) << file;
            EXPECT_STREQ(a[i].text.c_str(), b[i].text.c_str()) << file << ": " << a[i].key.c_str();
        }
        if (std::string(file) == "dialogs_eng_demo")
            english = a;
    }
    EXPECT_GT(english.count(), 230);
}

// The font pages: byte b is glyph b - 1, on page (b - 1) / 64 in cell (b - 1) mod 64 of an 8 x 8
// grid; the text element samples each cell less its first eighth at the left and the top, so
// the glyph lies there and the margins stay black.
TEST_F(ContentChecks, EachCharacterOfTheCodePageLiesInItsFontCell)
{
    std::vector<std::vector<uint32_t>> pages;
    int size = 0;
    for (int page = 0; page < 4; ++page) {
        const std::vector<uint8_t> bytes =
            ReadBytes(*dir / "resources" / "IMAGES" / (std::to_string(547 + page) + ".tga"));
        imgImage image;
        ASSERT_EQ(image.loadMemory(bytes.data(), bytes.size()), 1) << page;
        ASSERT_EQ(image.width, image.height);
        size = image.width;
        std::vector<uint32_t> argb(size_t(size) * size_t(size));
        ASSERT_NE(image.convertInto(argb.data(), FMT_BGRA_8888, ORIGIN_TOP_LEFT, size * 4), 0);
        pages.push_back(std::move(argb));
    }
    const int cell = size / 8, margin = cell / 8;
    auto lit = [&](int code, bool inner) {
        const int g = code - 1, page = g / 64, index = g % 64;
        const int x0 = (index % 8) * cell, y0 = (index / 8) * cell;
        int n = 0;
        for (int y = y0; y < y0 + cell; ++y)
            for (int x = x0; x < x0 + cell; ++x) {
                const bool inside = x >= x0 + margin && y >= y0 + margin;
                if (inside == inner &&
                    ((pages[size_t(page)][size_t(y) * size_t(size) + size_t(x)] >> 8) & 0xFF) > 96)
                    ++n;
            }
        return n;
    };
    for (int code = 1; code < 256; ++code)
        EXPECT_EQ(lit(code, false), 0) << "margin of code " << code;
    for (int code : {1, 9, 31, 32, 160})
        EXPECT_EQ(lit(code, true), 0) << "control or space " << code;
    // ASCII, the euro sign, the dashes and quotes of 0x80-0x9F and the Latin-1 letters.
    for (int code : std::initializer_list<int>{'!', '0', 'A', 'Z', 'a', 'z', '~', 0x80, 0x93, 0x96, 0xC4,
                                               0xD6, 0xDC, 0xDF, 0xE9, 0xFF})
        EXPECT_GT(lit(code, true), 4) << "glyph of code " << code;
    // Different letters differ.
    EXPECT_NE(lit('I', true), lit('W', true));
}

} // namespace
