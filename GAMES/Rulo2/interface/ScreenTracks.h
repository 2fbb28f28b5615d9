#pragma once
// The fade tracks the screens give their texts: "start" fades in, "default" holds, "end" fades
// out, each over the given time.
#include <cstdint>

class CMenu;
class CMenuElement;

void AddTextFadeTracks(CMenuElement* element, int32_t fadeTime);
// Every text element of the menu gets the three tracks.
void AddTextFadeTracks(CMenu& menu, int32_t fadeTime);
// The track of the element has ended (an element without a track has nothing to wait for).
bool TrackEnded(const CMenuElement* element);
// The hovered button figure among elements first..last plays "mouseover"; every other one gets
// its resting size back and plays "default" (with keepFades, not while it fades in or out).
void RestButtonFigures(CMenu& menu, int32_t first, int32_t last, int32_t hoveredIndex, float size,
                       bool keepFades);
// Plays "MENUCLICK" when there is a sound manager.
void PlayMenuClick();
