// While a world loads, the window keeps answering and the loading screen follows the load.
#include <gtest/gtest.h>

#include "GAMES/Rulo2/world/LoadingScreen.h"
#include "platform/win/Window.h"
#include "tests/world/WorldTestUtil.h"

using namespace worldtest;

namespace {

// A world of many chunks: `count` groups below the root.
std::vector<uint8_t> LargeWorld(int count)
{
    for (int i = 0; i < count; ++i)
        AddNode(g_WorldRoot, CWorldObject::KIND_GROUP, "g");
    CChunkWriter w;
    EXPECT_TRUE(WriteWorld(w));
    ClearWorld();
    return w.Data();
}

class LoadingScreenTest : public WorldTest
{
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        saved = LoadingScreenHooks;
    }
    void TearDown() override
    {
        LoadingScreenHooks = saved;
        WorldTest::TearDown();
    }
    SLoadingScreenHooks saved;
};

class CountingWindow : public platform::Window
{
public:
    platform::LRESULT WindowProc(const platform::Message& msg) override
    {
        if (msg.message == platform::WM_USER + 7)
            ++received;
        return Window::WindowProc(msg);
    }
    int received = 0;
};

// A hidden window with an empty queue, then forty of its own messages waiting.
void OpenWithFortyMessages(CountingWindow& window)
{
    ASSERT_TRUE(platform::InitVideo());
    platform::WindowDesc desc;
    desc.title = "load";
    desc.visible = false;
    ASSERT_TRUE(window.Create(desc));
    platform::PumpMessages();
    for (int i = 0; i < 40; ++i)
        ASSERT_TRUE(window.PostMessage(platform::WM_USER + 7));
}

TEST_F(LoadingScreenTest, TheWindowAnswersWhileALargeWorldLoads)
{
    const std::vector<uint8_t> bytes = LargeWorld(500);
    CountingWindow window;
    ASSERT_NO_FATAL_FAILURE(OpenWithFortyMessages(window));
    ASSERT_TRUE(LoadWorldFromMemory(bytes.data(), bytes.size(), LOADWORLD_OPEN, "large.wld"));
    // Nothing pumped the queue but the load itself.
    EXPECT_EQ(40, window.received);
    window.DestroyWindow();
}

TEST_F(LoadingScreenTest, EachUpdateTakesOnePendingMessageOnly)
{
    CountingWindow window;
    ASSERT_NO_FATAL_FAILURE(OpenWithFortyMessages(window));
    // The window system may slip in an event of its own, never more than one per call.
    for (int i = 1; i <= 10; ++i) {
        UpdateLoadingScreen();
        ASSERT_LE(window.received, i);
    }
    EXPECT_GE(window.received, 5);
    window.DestroyWindow();
}

int g_pumps = 0;

TEST_F(LoadingScreenTest, OneMessageIsTakenBeforeEveryChunk)
{
    const std::vector<uint8_t> bytes = LargeWorld(300);
    g_pumps = 0;
    LoadingScreenHooks.pumpMessage = [] { ++g_pumps; };
    ASSERT_TRUE(LoadWorldFromMemory(bytes.data(), bytes.size(), LOADWORLD_OPEN, "large.wld"));
    // 300 nodes, the section headers and their END markers.
    EXPECT_GE(g_pumps, 300 + 6);
    EXPECT_LE(g_pumps, 300 + 20);
}

int64_t g_now = 0;
struct SDraw
{
    int picture;
    float fraction;
    int64_t at;
};
std::vector<SDraw> g_draws;
std::vector<int> g_loads;

TEST_F(LoadingScreenTest, TheGameDrawsPicturesByLoadTimeAtMostEveryTenthSecond)
{
    const std::vector<uint8_t> bytes = LargeWorld(400);
    GameModeFlag = 1;
    g_now = 0;
    g_draws.clear();
    g_loads.clear();
    LoadingScreenHooks.pumpMessage = nullptr;
    // Every reading of the clock is 25 ms later.
    LoadingScreenHooks.clock = [] { return g_now += 25; };
    LoadingScreenHooks.draw = [](int picture, int placement, float fraction) {
        EXPECT_EQ(20, placement);
        g_draws.push_back({picture, fraction, g_now});
    };
    LoadingScreenHooks.load = [](int picture) { g_loads.push_back(picture); };
    ASSERT_TRUE(LoadWorldFromMemory(bytes.data(), bytes.size(), LOADWORLD_OPEN, "Varek.wld"));
    ASSERT_GT(g_draws.size(), 10u);
    for (size_t i = 1; i < g_draws.size(); ++i) {
        EXPECT_GE(g_draws[i].at - g_draws[i - 1].at, 100);
        EXPECT_GE(g_draws[i].fraction, g_draws[i - 1].fraction);
    }
    EXPECT_LE(g_draws.back().fraction, 1.0f);
    EXPECT_EQ((std::vector<int>{594, 0, 595, 0, 598}), g_loads);

    const std::pair<int64_t, int> schedule[] = {{0, 0},      {1000, 0}, {1001, 594}, {3000, 594}, {3001, 0},
                                                {4001, 595}, {6001, 0}, {7001, 598}, {90000, 598}};
    for (auto [ms, picture] : schedule)
        EXPECT_EQ(picture, LoadingPictureFor(ms)) << ms;
}

} // namespace
