#include "GAMES/Rulo2/behaviour/InstallBehaviour.h"

#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/render/FramePasses.h"
#include "GAMES/Rulo2/world/CWorldObject.h"

void InstallBehaviour()
{
    ObjectPassHooks.stepWalk = [](CWorldObject* object) {
        if (object && object->objectLogic)
            object->objectLogic->AdvanceAnimation();
    };
    ObjectPassHooks.activate = [](CWorldObject* object) {
        if (object && object->objectLogic)
            object->objectLogic->Activate();
    };
    FrameClockHooks.alarmActive = [] { return AlarmRaised != 0; };
}
