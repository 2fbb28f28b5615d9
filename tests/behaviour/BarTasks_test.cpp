// The bar: the seat angles, who gets a table, turn-taking at a table, and
// guests whose server task is replaced or who go while their server stays.
#include "GAMES/Rulo2/behaviour/tasks/BarTasks.h"

#include "platform/crt/Crt.h"
#include "tests/behaviour/TaskWorld.h"

namespace {

class Bar : public TaskWorldTest
{
protected:
    void SetUp() override
    {
        TaskWorldTest::SetUp();
        crt::srand(1);
        counter = Object("Theke", KIND_FIXED, {0, 0, 0}, {"OPEN"});
    }
    // A server with table seats two apart along x and shake spots further off; it runs as the
    // counter's task, as the guests find it.
    CBarServerTask* Serve(bool sameSpot = false)
    {
        TaskParamList list;
        for (int32_t t = 0; t < 3; ++t) {
            list.push_back(Position({float(t) * 3.0f, 0, 0}));
            list.push_back(Position({float(t) * 3.0f + (sameSpot ? 0.0f : 1.0f), 0, 0}));
        }
        for (int32_t s = 0; s < 3; ++s)
            list.push_back(Position({float(s), 0, 4}));
        auto task = std::make_unique<CBarServerTask>();
        CBarServerTask* raw = task.get();
        params.push_back(std::make_unique<TaskParamList>(std::move(list)));
        counter->objectLogic->task = std::move(task);
        raw->Start(*counter->objectLogic, *params.back());
        return raw;
    }
    // A guest that wants a table (or a shake spot), running its task as its logic's own.
    CBarClientTask* Guest(const char* name, bool wantsTable, CWorldObject** out = nullptr)
    {
        CWorldObject* guest = Character(name, {1, 0, 2});
        if (out)
            *out = guest;
        // The first draw decides between a shake spot (<= 0.5) and a table.
        SeedFor(wantsTable);
        auto task = std::make_unique<CBarClientTask>();
        CBarClientTask* raw = task.get();
        params.push_back(std::make_unique<TaskParamList>(List(ObjectRef(counter))));
        guest->objectLogic->task = std::move(task);
        raw->Start(*guest->objectLogic, *params.back());
        return raw;
    }
    static void SeedFor(bool high)
    {
        for (unsigned seed = 1;; ++seed) {
            crt::srand(seed);
            const bool isHigh = float(crt::rand()) / 32767.0f > 0.5f;
            if (isHigh == high) {
                crt::srand(seed);
                return;
            }
        }
    }
    CWorldObject* counter = nullptr;
};

} // namespace

TEST_F(Bar, TwoSeatsAtOnePositionFaceHalfAndWholeTurns)
{
    CBarServerTask* server = Serve(true);
    EXPECT_FLOAT_EQ(server->places[0].angle, 3.1415927f);
    EXPECT_FLOAT_EQ(server->places[1].angle, 6.2831855f);
    CBarServerTask* apart = Serve(false);
    // Seat 2 lies along +x of seat 1: the table faces pi/2 and its guests pi and 2 pi.
    EXPECT_FLOAT_EQ(apart->places[0].angle, 1.5707964f + 1.5707964f);
    EXPECT_FLOAT_EQ(apart->places[1].angle, apart->places[0].angle + 3.1415927f);
    EXPECT_EQ(apart->places[8].free, 1);
}

TEST_F(Bar, AGuestThatWantsATableTakesNoPlaceWhenAllSixSeatsAreTaken)
{
    CBarServerTask* server = Serve();
    CWorldObject* other = Character("Stammgast", {0, 0, 0});
    for (int32_t i = 0; i < CBarServerTask::kSeats; ++i) {
        server->places[i].free = 0;
        server->places[i].occupant = other;
    }
    CBarClientTask* guest = Guest("Gast", true);
    EXPECT_EQ(guest->mode, 0);
    for (int32_t i = CBarServerTask::kSeats; i < CBarServerTask::kPlaces; ++i)
        EXPECT_EQ(server->places[i].free, 1) << "a free shake spot is no fallback";
}

TEST_F(Bar, AJoinableGuestAloneAtATableDrawsTheNextOne)
{
    CBarServerTask* server = Serve();
    CWorldObject *a = nullptr, *b = nullptr;
    CBarClientTask* first = Guest("Erster", true, &a);
    EXPECT_EQ(first->joinable, 1);
    EXPECT_EQ(server->places[0].occupant, a);
    Guest("Zweiter", true, &b);
    EXPECT_EQ(server->places[1].occupant, b) << "beside the first, not at a table of its own";

    // A guest the player laid a hand on is no longer joined.
    CWorldObject* c = nullptr;
    CBarClientTask* third = Guest("Dritter", true, &c);
    EXPECT_EQ(server->places[2].occupant, c);
    Request(0, a, c);
    third->Update(*c->objectLogic);
    EXPECT_EQ(third->joinable, 0);
    EXPECT_TRUE(RequestQueue.front().handled);
    RequestQueue.clear();
    RequestPending = 0;
    CWorldObject* d = nullptr;
    Guest("Vierter", true, &d);
    EXPECT_EQ(server->places[3].occupant, nullptr);
    EXPECT_EQ(server->places[4].occupant, d);
}

TEST_F(Bar, GuestsAtATableTalkInTurns)
{
    CBarServerTask* server = Serve();
    CWorldObject *a = nullptr, *b = nullptr;
    CBarClientTask* first = Guest("Erster", true, &a);
    CBarClientTask* second = Guest("Zweiter", true, &b);
    ASSERT_EQ(server->places[1].occupant, b);
    first->mode = second->mode = 2;
    for (int i = 0; i < 400; ++i) {
        GameClock.gameClock += 50;
        first->Update(*a->objectLogic);
        second->Update(*b->objectLogic);
        ASSERT_FALSE(first->talkState == 1 && second->talkState == 1) << "at " << GameClock.gameClock;
    }
    // Alone at the table, a talking guest stops at once.
    first->talkState = 1;
    server->places[1].free = 1;
    server->places[1].occupant = nullptr;
    first->UpdateTalk();
    EXPECT_EQ(first->talkState, 2);
    first->UpdateTalk();
    EXPECT_EQ(first->talkState, 2) << "alone it waits";
    EXPECT_TRUE(a->objectLogic->IsCurrentAnimation("STAND"));
}

TEST_F(Bar, GuestsOfAReplacedServerEndAtTheirNextUpdate)
{
    Serve();
    CWorldObject *a = nullptr, *b = nullptr;
    CBarClientTask* first = Guest("Erster", true, &a);
    CBarClientTask* second = Guest("Zweiter", false, &b);
    GameClock.gameClock += 50;
    EXPECT_TRUE(first->Update(*a->objectLogic));
    // The counter starts another list: its server task goes.
    counter->objectLogic->task = std::make_unique<CTask>();
    EXPECT_FALSE(first->Update(*a->objectLogic));
    EXPECT_FALSE(second->Update(*b->objectLogic));
    // A new server in its place is a different one.
    Serve();
    EXPECT_FALSE(first->Update(*a->objectLogic));
}

TEST_F(Bar, AGuestThatGoesWhileItsServerStaysFreesItsSeat)
{
    CBarServerTask* server = Serve();
    CWorldObject* a = nullptr;
    Guest("Erster", true, &a);
    ASSERT_EQ(server->places[0].occupant, a);
    a->objectLogic->task.reset();
    EXPECT_EQ(server->places[0].free, 1);
    EXPECT_EQ(server->places[0].occupant, nullptr);
    CWorldObject* b = nullptr;
    Guest("Zweiter", true, &b);
    EXPECT_EQ(server->places[0].occupant, b);
}
