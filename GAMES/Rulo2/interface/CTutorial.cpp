#include "GAMES/Rulo2/interface/CTutorial.h"

#include "GAMES/Rulo2/interface/CMenu.h"

CTutorial Tutorial;

void CTutorial::NextPage(int32_t wanted)
{
    if (!active || page != wanted)
        return;
    ++page;
    progress = 0;
    if (panelState != 0) {
        panelState = 2;
        stateTime = MenuClock();
    }
}

void CTutorial::SetProgress(int32_t wanted, int32_t percent)
{
    if (percent > progress)
        progress = percent;
    if (percent == 100 && active && page == wanted)
        NextPage(wanted);
}

void CTutorial::Stop()
{
    active = 0;
}

void CTutorial::Update() {}
