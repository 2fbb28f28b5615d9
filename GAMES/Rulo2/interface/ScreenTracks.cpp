#include "GAMES/Rulo2/interface/ScreenTracks.h"

#include <algorithm>
#include <utility>

#include "GAMES/Rulo2/app/CGameSoundManager.h"
#include "GAMES/Rulo2/interface/CMenu.h"
#include "GAMES/Rulo2/interface/CMenuFigure.h"
#include "GAMES/Rulo2/interface/CMenuText.h"
#include "GAMES/Rulo2/world/CRootNode.h"

namespace {

void AddAlphaTrack(CMenuElement* element, const char* name,
                   std::initializer_list<std::pair<int32_t, float>> keys)
{
    auto* track = new CTextTrack(element->owner);
    track->name = name;
    for (const auto& k : keys)
        track->AddKey(k.first, TextKey{1.0f, k.second}, 0);
    element->AddTrack(track);
    track->Release();
}

} // namespace

void AddTextFadeTracks(CMenuElement* element, int32_t fadeTime)
{
    if (!element)
        return;
    AddAlphaTrack(element, "start", {{0, 0.0f}, {fadeTime, 1.0f}});
    AddAlphaTrack(element, "end", {{0, 1.0f}, {fadeTime, 0.0f}});
    AddAlphaTrack(element, "default", {{0, 1.0f}});
}

void AddTextFadeTracks(CMenu& menu, int32_t fadeTime)
{
    for (CMenuElement* e : menu.elements)
        if (e && e->type == CMenuElement::TYPE_TEXT)
            AddTextFadeTracks(e, fadeTime);
}

bool TrackEnded(const CMenuElement* element)
{
    return !element || !element->CurrentTrack() || element->CurrentTrack()->IsFinished();
}

void PlayMenuClick()
{
    if (SoundManager)
        SoundManager->play("MENUCLICK", nullptr, 0, 0, 0, 5.0f, 1.0f, 1.0f, 1);
}

void RestButtonFigures(CMenu& menu, int32_t first, int32_t last, int32_t hoveredIndex, float size,
                       bool keepFades)
{
    for (int32_t i = std::max(first, 0); i <= last && i < menu.ElementCount(); ++i) {
        CMenuElement* e = menu.Element(i);
        if (!e || e->type != CMenuElement::TYPE_FIGURE)
            continue;
        if (i == hoveredIndex) {
            e->PlayTrack("mouseover");
            continue;
        }
        const CAnimTrack* track = e->CurrentTrack();
        if (keepFades && (!e->shown || (track && (track->name == "start" || track->name == "end"))))
            continue;
        auto* figure = static_cast<CMenuFigure*>(e);
        const float radius =
            figure->model && figure->model->boundsRadius > 0 ? figure->model->boundsRadius : 1.0f;
        figure->state.scale[0] = figure->state.scale[1] = figure->state.scale[2] = size / radius;
        figure->PlayTrack("default");
    }
}
