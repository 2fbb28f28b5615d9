// Scene staging: the easing curves, a camera move and a fog change over
// their time, and the jukebox's switch of the CD track.
#include "GAMES/Rulo2/behaviour/tasks/SceneTasks.h"

#include <cmath>

#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/render/CGameCamera.h"
#include "tests/behaviour/TaskWorld.h"

namespace {

class Scenes : public TaskWorldTest
{
protected:
    void SetUp() override
    {
        TaskWorldTest::SetUp();
        director = Character("Regie", {0, 0, 0});
        savedCamera[0] = GameCamera.eye;
        savedCamera[1] = GameCamera.lookAt;
        savedFog[0] = Settings.fogStart;
        savedFog[1] = Settings.fogEnd;
        std::copy(CurrentFogColor, CurrentFogColor + 3, savedColour);
    }
    void TearDown() override
    {
        GameCamera.eye = savedCamera[0];
        GameCamera.lookAt = savedCamera[1];
        Settings.fogStart = savedFog[0];
        Settings.fogEnd = savedFog[1];
        std::copy(savedColour, savedColour + 3, CurrentFogColor);
        TaskWorldTest::TearDown();
    }
    void Tick(CTask* task, int32_t ms, bool* running = nullptr)
    {
        GameClock.gameClock += ms;
        const bool r = task->Update(*director->objectLogic);
        if (running)
            *running = r;
    }
    static std::unique_ptr<CTaskParam> Radius(float value)
    {
        auto p = CreateTaskParam(PARAM_RADIUS);
        static_cast<CRadiusParam*>(p.get())->value = value;
        return p;
    }

    CWorldObject* director = nullptr;
    CVector savedCamera[2];
    float savedFog[2] = {};
    int16_t savedColour[3] = {};
};

} // namespace

TEST(Easing, WeightsAtHalfTimeAndAtTheEnds)
{
    struct Case
    {
        int32_t mode;
        float t, weight;
    } cases[] = {
        {3, 0.5f, 0.5f}, {0, 0.5f, 0.2929f}, {1, 0.5f, 0.7071f}, {2, 0.5f, 0.5f}, {4, 0.0f, 1.0f},
        {0, 0.0f, 0.0f}, {1, 1.0f, 1.0f},    {3, 0.0f, 0.0f},    {3, 1.0f, 1.0f}, {5, 0.5f, -1.0f},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(EaseWeight(c.mode, c.t), c.weight, 1e-3f) << c.mode << " at " << c.t;
    EXPECT_EQ(ElapsedFraction(100, 0, 100), 1.0f);
    EXPECT_EQ(ElapsedFraction(100, 1000, 600), 0.5f);
    EXPECT_EQ(ElapsedFraction(100, 1000, 1200), 1.0f);
}

TEST_F(Scenes, ACameraOfDurationZeroSetsItsEndValuesInTheFirstUpdate)
{
    GameCamera.eye = CVector(0, 0, 0);
    GameCamera.lookAt = CVector(0, 0, 1);
    auto* task = Start<CCameraTask>(director, List(Number(PARAM_TIME, 0), Position({1, 2, 3}),
                                                   Position({4, 5, 6}), Number(PARAM_NUMBER, 2)));
    bool running = true;
    Tick(task, 50, &running);
    EXPECT_FALSE(running);
    EXPECT_EQ(GameCamera.eye.y, 2.0f);
    EXPECT_EQ(GameCamera.lookAt.z, 6.0f);
}

TEST_F(Scenes, ACameraMovesByItsCurveAndEndsAfterItsTime)
{
    GameCamera.eye = CVector(0, 0, 0);
    auto* task = Start<CCameraTask>(director, List(Number(PARAM_TIME, 1000), Position({10, 0, 0}),
                                                   Position({0, 0, 0}), Number(PARAM_NUMBER, 1)));
    bool running = false;
    Tick(task, 500, &running);
    EXPECT_TRUE(running);
    EXPECT_NEAR(GameCamera.eye.x, 7.071f, 1e-3f);
    Tick(task, 500, &running);
    EXPECT_TRUE(running) << "still at the last moment of its time";
    Tick(task, 50, &running);
    EXPECT_FALSE(running);
    EXPECT_EQ(GameCamera.eye.x, 10.0f);
}

TEST_F(Scenes, AFogEndBelowItsStartStaysEqualToIt)
{
    Settings.fogStart = 2.0f;
    Settings.fogEnd = 6.0f;
    CurrentFogColor[0] = CurrentFogColor[1] = CurrentFogColor[2] = 100;
    auto* task = Start<CFogTask>(director, List(Number(PARAM_TIME, 1000), Radius(4.0f), Radius(1.0f),
                                                Number(PARAM_NUMBER, 0), Number(PARAM_NUMBER, 50),
                                                Number(PARAM_NUMBER, 201), Number(PARAM_NUMBER, 2)));
    Tick(task, 500);
    EXPECT_FLOAT_EQ(Settings.fogStart, 3.0f);
    EXPECT_FLOAT_EQ(Settings.fogEnd, 3.5f);
    EXPECT_EQ(CurrentFogColor[0], 50);
    EXPECT_EQ(CurrentFogColor[2], 150);
    Tick(task, 500);
    EXPECT_FLOAT_EQ(Settings.fogStart, 4.0f);
    EXPECT_FLOAT_EQ(Settings.fogEnd, 4.0f);
    EXPECT_EQ(CurrentFogColor[0], 0);
    EXPECT_EQ(CurrentFogColor[1], 50);
    EXPECT_EQ(CurrentFogColor[2], 201);
}

TEST_F(Scenes, AJukeboxRegistersItsRadiusOutsideTheBurglaryOnly)
{
    GamePhase = PHASE_REALTIME;
    CWorldObject* box = Object("Jukebox", KIND_FIXED, {0, 0, 0}, {"OPEN"});
    Start<CMusicTask>(box, List(Number(PARAM_NUMBER, 3), Radius(2.0f)));
    ASSERT_EQ(ProximityList.size(), 1u);
    EXPECT_EQ(ProximityList[0].object, box);
    EXPECT_EQ(ProximityList[0].radius, 2.0f);
    tasks.clear();
    EXPECT_TRUE(ProximityList.empty());
    GamePhase = PHASE_BURGLARY;
    auto* task = Start<CMusicTask>(box, List(Number(PARAM_NUMBER, 3), Radius(2.0f)));
    EXPECT_TRUE(ProximityList.empty());
    EXPECT_FALSE(task->Update(*box->objectLogic));
}
