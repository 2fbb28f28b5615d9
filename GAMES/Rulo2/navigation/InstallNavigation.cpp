#include "GAMES/Rulo2/navigation/InstallNavigation.h"

#include "GAMES/Rulo2/app/GameStep.h"
#include "GAMES/Rulo2/navigation/DynamicCharacters.h"

void InstallNavigation()
{
    StepHooks.updateWalkers = [](int32_t gameClock) { DynamicCharacters.Update(gameClock); };
}
