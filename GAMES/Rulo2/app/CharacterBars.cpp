#include "GAMES/Rulo2/app/CharacterBars.h"

#include "GAMES/Rulo2/Texture.h"
#include "GAMES/Rulo2/app/CameraViews.h"
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/behaviour/RecordControl.h"
#include "GAMES/Rulo2/behaviour/WatchLists.h"
#include "GAMES/Rulo2/render/GameResources.h"

namespace {

// The bar's pictures among the interface's images: the empty bar and its filling.
constexpr uint16_t kBarBackground = 539, kBarFill = 582;
// The bar stands at the model's top, where the name label is; the drawing lifts it clear of that.
constexpr float kBarHeightOffset = 0.0f;

IDirectDrawSurface7* Picture(uint16_t id)
{
    CTexture* texture = GameResourceTexture(id);
    return texture ? texture->surface : nullptr;
}

} // namespace

std::vector<SCharacterProgress> CharacterProgressList()
{
    std::vector<SCharacterProgress> list;
    list.reserve(ActiveCharacters.size());
    for (CWorldObject* character : ActiveCharacters) {
        SCharacterProgress entry{character, -1.0f};
        for (const SCrackedObject& cracked : CrackingList)
            if (cracked.cracker == character && cracked.logic)
                entry.progress = cracked.logic->GetProgress();
        list.push_back(entry);
    }
    return list;
}

bool CharacterBarsShown(bool hudIsCurrent)
{
    if (!hudIsCurrent || CharacterBarsOff[0] || CharacterBarsOff[1])
        return false;
    return GamePhase != PHASE_PLANNING || (RecordState == RECORD_RECORD && GameClock.gameSpeed != 0);
}

void DrawCharacterBars()
{
    if (!CharacterBarsShown(CurrentViewIndex() == VIEW_GAME))
        return;
    DrawObjectOverlays(CharacterProgressList(), Picture(kBarBackground), Picture(kBarFill), kBarHeightOffset);
}
