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
// Plays "MENUCLICK" when there is a sound manager.
void PlayMenuClick();
