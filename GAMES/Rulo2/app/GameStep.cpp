#include "GAMES/Rulo2/app/GameStep.h"

#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/world/CWorldObject.h"

#include <algorithm>

GameStepHooks StepHooks;
GameStepTimes StepTimes;
std::vector<CWorldObject*> PassMarkedObjects;
std::vector<uint32_t> MarkedIds;

namespace {

int32_t FloorDiv(int32_t a, int32_t b)
{
    int32_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

// The next tick from `now` in the direction of the speed, never past the target.
int32_t NextTick(int32_t now, int32_t target, int32_t speed)
{
    int64_t next = now;
    if (speed > 0) {
        next = int64_t(FloorDiv(now, SimulationTickMs) + 1) * SimulationTickMs;
        if (next > target)
            next = target;
    } else if (speed < 0) {
        int32_t below = FloorDiv(now, SimulationTickMs) * SimulationTickMs;
        next = below == now ? int64_t(now) - SimulationTickMs : below;
        if (next < target)
            next = target;
    }
    return int32_t(next);
}

} // namespace

int32_t RunSimulationTicks(GameClockState& clock, bool (*recorder)(), void (*walkers)(int32_t gameClock))
{
    const int32_t target = clock.gameClock;
    clock.gameClock = clock.prevGameClock;
    int32_t runs = 0;
    for (;;) {
        clock.gameClock = NextTick(clock.gameClock, target, clock.gameSpeed);
        ++runs;
        if (recorder && recorder())
            break;
        if (GamePhase == PHASE_REALTIME && walkers)
            walkers(clock.gameClock);
        if (AlarmRaised && !AlarmOverride)
            break;
        if (clock.gameSpeed == 0 || clock.gameClock == target)
            break;
    }
    return runs;
}

void CollectMarkedIds()
{
    MarkedIds.clear();
    for (CWorldObject* object : PassMarkedObjects) {
        if (!object || !object->objectLogic)
            continue;
        const uint32_t id = object->objectLogic->objectId;
        if (std::find(MarkedIds.begin(), MarkedIds.end(), id) == MarkedIds.end())
            MarkedIds.push_back(id);
    }
    PassMarkedObjects.clear();
}
