#include "platform/win/Com.h"
#include "platform/win/IniFile.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Registry.h"

#include "tests/platform/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sys/resource.h>

namespace fs = std::filesystem;
using namespace platform;

namespace {

std::string Slurp(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

RegValue Text(std::string_view s)
{
    RegValue v;
    v.type = REG_SZ;
    v.data.assign(s.begin(), s.end());
    return v;
}

RegValue Dword(uint32_t d)
{
    RegValue v;
    v.type = REG_DWORD;
    v.data = {uint8_t(d), uint8_t(d >> 8), uint8_t(d >> 16), uint8_t(d >> 24)};
    return v;
}

class RegistryTest : public ::testing::Test
{
protected:
    void SetUp() override { setenv("XDG_CONFIG_HOME", dir.path.c_str(), 1); }
    fs::path Folder() const { return dir.path / "varek"; }
    TempDir dir;
    const char* key = "Software\\TuvSoftware\\TheVarek! Demo\\Settings";
};

TEST_F(RegistryTest, ReadingNeverCreatesAKeyOrFile)
{
    RegValue v;
    EXPECT_FALSE(RegQueryValue(HKEY_CURRENT_USER, key, "MainWnd-X", v));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, key));
    EXPECT_FALSE(RegDeleteValue(HKEY_CURRENT_USER, key, "MainWnd-X"));
    EXPECT_FALSE(fs::exists(Folder()));

    ASSERT_TRUE(RegSetValue(HKEY_CURRENT_USER, key, "A", Dword(1)));
    std::string before = Slurp(RegistryFile(HKEY_CURRENT_USER));
    EXPECT_FALSE(RegQueryValue(HKEY_CURRENT_USER, "Software\\Other", "A", v));
    EXPECT_EQ(Slurp(RegistryFile(HKEY_CURRENT_USER)), before);
    EXPECT_FALSE(fs::exists(Folder() / "system.reg"));
}

TEST_F(RegistryTest, ValuesRoundTripThroughTheTextFile)
{
    const std::string tricky = "C:\\Games\\\"Varek\" \xE4\xF6\xFC";
    const std::string withBreak = std::string("line\r\nnext\0end", 14);
    RegValue bin;
    bin.type = REG_BINARY;
    bin.data = {0, 1, 0xFE, 0xFF};
    ASSERT_TRUE(RegSetValue(HKEY_CURRENT_USER, key, "Path", Text(tricky)));
    ASSERT_TRUE(RegSetValue(HKEY_CURRENT_USER, key, "Break", Text(withBreak)));
    ASSERT_TRUE(RegSetValue(HKEY_CURRENT_USER, key, "Empty", Text("")));
    ASSERT_TRUE(RegSetValue(HKEY_CURRENT_USER, key, "Flag", Dword(4294967295u)));
    ASSERT_TRUE(RegSetValue(HKEY_CURRENT_USER, key, "Bin", bin));
    ASSERT_TRUE(RegSetValue(HKEY_LOCAL_MACHINE, "Software\\TuvSoftware\\TheVarek! Demo", "CdPath",
                            Text("/media/cd")));

    struct Case
    {
        const char* name;
        RegValue expected;
    } cases[] = {{"path", Text(tricky)},
                 {"BREAK", Text(withBreak)},
                 {"Empty", Text("")},
                 {"flag", Dword(4294967295u)},
                 {"bin", bin}};
    for (const Case& c : cases) {
        RegValue got;
        ASSERT_TRUE(RegQueryValue(HKEY_CURRENT_USER, key, c.name, got)) << c.name;
        EXPECT_EQ(got.type, c.expected.type) << c.name;
        EXPECT_EQ(got.data, c.expected.data) << c.name;
    }
    RegValue cd;
    EXPECT_FALSE(RegQueryValue(HKEY_CURRENT_USER, "Software\\TuvSoftware\\TheVarek! Demo", "CdPath", cd));
    ASSERT_TRUE(RegQueryValue(HKEY_LOCAL_MACHINE, "software\\tuvsoftware\\thevarek! demo", "cdpath", cd));

    std::string text = Slurp(Folder() / "user.reg");
    EXPECT_EQ(text.rfind("REGEDIT4\n", 0), 0u);
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\TuvSoftware\\TheVarek! Demo\\Settings]\n"),
              std::string::npos);
    EXPECT_NE(text.find("\"Flag\"=dword:ffffffff\n"), std::string::npos);
    EXPECT_NE(text.find("\"Path\"=\"C:\\\\Games\\\\\\\"Varek\\\" \xE4\xF6\xFC\"\n"), std::string::npos);
    EXPECT_NE(text.find("\"Bin\"=hex:00,01,fe,ff\n"), std::string::npos);
    EXPECT_NE(
        Slurp(Folder() / "system.reg").find("[HKEY_LOCAL_MACHINE\\Software\\TuvSoftware\\TheVarek! Demo]"),
        std::string::npos);
}

TEST_F(RegistryTest, ReadsFilesWrittenByHandAndReplacesValuesInPlace)
{
    fs::create_directories(Folder());
    std::ofstream(Folder() / "user.reg") << "REGEDIT4\r\n\r\n"
                                            "[HKEY_CURRENT_USER\\Software\\X]\r\n"
                                            "\"A\"=dword:0000002a\r\n"
                                            "\"Long\"=hex:01,02,\\\r\n  03,04\r\n"
                                            "@=\"default\"\r\n";
    RegValue v;
    ASSERT_TRUE(RegQueryValue(HKEY_CURRENT_USER, "Software\\X", "A", v));
    EXPECT_EQ(v.data, Dword(42).data);
    ASSERT_TRUE(RegQueryValue(HKEY_CURRENT_USER, "Software\\X", "Long", v));
    EXPECT_EQ(v.data, (std::vector<uint8_t>{1, 2, 3, 4}));
    ASSERT_TRUE(RegQueryValue(HKEY_CURRENT_USER, "Software\\X", "", v));
    EXPECT_EQ(v.data, Text("default").data);

    ASSERT_TRUE(RegSetValue(HKEY_CURRENT_USER, "Software\\X", "a", Dword(7)));
    ASSERT_TRUE(RegQueryValue(HKEY_CURRENT_USER, "Software\\X", "A", v));
    EXPECT_EQ(v.data, Dword(7).data);
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, "Software"));
    EXPECT_TRUE(RegDeleteKey(HKEY_CURRENT_USER, "Software"));
    EXPECT_FALSE(RegQueryValue(HKEY_CURRENT_USER, "Software\\X", "A", v));
}

TEST_F(RegistryTest, FailedWriteLeavesTheOldFileAlone)
{
    ASSERT_TRUE(RegSetValue(HKEY_CURRENT_USER, key, "Keep", Text("old")));
    const std::string before = Slurp(Folder() / "user.reg");
    auto unchanged = [&] {
        EXPECT_EQ(Slurp(Folder() / "user.reg"), before);
        RegValue v;
        ASSERT_TRUE(RegQueryValue(HKEY_CURRENT_USER, key, "Keep", v));
        EXPECT_EQ(v.data, Text("old").data);
        for (const auto& entry : fs::directory_iterator(Folder()))
            EXPECT_EQ(entry.path().filename(), "user.reg") << "no temporary file is left behind";
    };

    // A read-only folder (ignored when running with administrator rights).
    fs::permissions(Folder(), fs::perms::owner_read | fs::perms::owner_exec);
    if (::access(Folder().c_str(), W_OK) != 0) {
        EXPECT_FALSE(RegSetValue(HKEY_CURRENT_USER, key, "Keep", Text("new")));
        fs::permissions(Folder(), fs::perms::owner_all);
        unchanged();
    }
    fs::permissions(Folder(), fs::perms::owner_all);

    // A disk that fills up half-way through the new file.
    struct rlimit old
    {
    };
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = before.size() / 2;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool written = RegSetValue(HKEY_CURRENT_USER, key, "Keep", Text("new"));
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    unchanged();
}

TEST_F(RegistryTest, DamagedFileIsKeptAsBackupWhenWrittenOver)
{
    fs::create_directories(Folder());
    const std::string damaged =
        "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\X]\n\"Good\"=dword:00000001\n\"Bad\"=dword:zz\ngarbage\n";
    std::ofstream(Folder() / "user.reg") << damaged;
    RegValue v;
    testing::internal::CaptureStderr();
    ASSERT_TRUE(RegQueryValue(HKEY_CURRENT_USER, "Software\\X", "Good", v));
    EXPECT_FALSE(RegQueryValue(HKEY_CURRENT_USER, "Software\\X", "Bad", v));
    for (int i = 0; i < 30; ++i)
        RegQueryValue(HKEY_CURRENT_USER, "Software\\X", "Other", v);
    const std::string told = testing::internal::GetCapturedStderr();
    size_t times = 0;
    for (size_t at = told.find("unreadable"); at != std::string::npos; at = told.find("unreadable", at + 1))
        ++times;
    EXPECT_EQ(times, 1u) << "told once per file, not once per value read:\n" << told;
    ASSERT_TRUE(RegSetValue(HKEY_CURRENT_USER, "Software\\X", "New", Dword(2)));
    EXPECT_EQ(Slurp(Folder() / "user.reg.bak"), damaged);
    EXPECT_TRUE(RegQueryValue(HKEY_CURRENT_USER, "Software\\X", "Good", v));
}

TEST(IniFile, ReadsIntegersAndStringsIgnoringCase)
{
    TempDir dir;
    dir.Write("VarekDemo.ini", "; demo\r\n[Other]\r\nAudioTrack=9\r\n[demosettings]\r\n  audiotrack = 5 "
                               "\r\nName=\"quoted\"\r\nBad=x1\r\n");
    std::string file = (dir.path / "VAREKDEMO.INI").string();
    EXPECT_EQ(GetPrivateProfileInt("DemoSettings", "AudioTrack", 3, file), 5);
    EXPECT_EQ(GetPrivateProfileInt("DemoSettings", "Bad", 3, file), 0);
    EXPECT_EQ(GetPrivateProfileInt("DemoSettings", "Missing", 3, file), 3);
    EXPECT_EQ(GetPrivateProfileInt("Nowhere", "AudioTrack", 3, file), 3);
    EXPECT_EQ(GetPrivateProfileInt("DemoSettings", "AudioTrack", 3, (dir.path / "none.ini").string()), 3);
    EXPECT_EQ(GetPrivateProfileString("DemoSettings", "name", "", file), "quoted");
}

TEST(MessageBoxes, NonInteractiveAnswersAreQueuedOrSafe)
{
    setenv("VAREK_NONINTERACTIVE", "1", 1);
    static std::vector<std::string> logged;
    SetMessageBoxLog([](const char* line) { logged.push_back(line); });
    EXPECT_EQ(MessageBox(nullptr, "Saved.", "Varek", MB_OK | MB_ICONINFORMATION), IDOK);
    EXPECT_EQ(MessageBox(nullptr, "Proceed?", "Varek", MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(MessageBox(nullptr, "Delete?", "Varek", MB_YESNO), IDNO);
    EXPECT_EQ(MessageBox(nullptr, "Save?", "Varek", MB_YESNOCANCEL), IDNO);
    QueueMessageBoxAnswer(IDYES);
    QueueMessageBoxAnswer(IDCANCEL);
    EXPECT_EQ(MessageBox(nullptr, "Delete?", "Varek", MB_YESNO), IDYES);
    EXPECT_EQ(MessageBox(nullptr, "Save?", "Varek", MB_YESNOCANCEL), IDCANCEL);
    EXPECT_EQ(MessageBox(nullptr, "Again?", "Varek", MB_YESNO), IDNO) << "queue used up";
    ASSERT_EQ(logged.size(), 7u);
    EXPECT_EQ(logged[0], "MessageBox [Varek] Saved. -> OK");
    SetMessageBoxLog(nullptr);
}

TEST(Com, StartsAndReportsVersion7)
{
    EXPECT_EQ(CoInitialize(nullptr), S_OK);
    CoUninitialize();
    EXPECT_EQ(DirectXVersionProbe(), 0x700u);
}

} // namespace
