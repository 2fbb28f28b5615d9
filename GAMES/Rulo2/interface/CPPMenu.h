#pragma once
// The overlay over the world while a plan is recorded or replayed and while a burglary runs:
// proceed (save requester, or the results once the alarm went off), cancel during a burglary, a
// strip of the gang members to pick the selected character from, a noise meter that shows the
// noise test of the frame that came closest to being heard, and the alarm display.
// Render: -1 while it stays, 1 closed (results or plan slot list opened), -2 the run is aborted.
#include <cstdint>
#include <string>

#include "GAMES/Rulo2/interface/CMenu.h"

class CPPMenu : public CMenu
{
public:
    static constexpr int32_t kMaxMembers = 4;

    CPPMenu() = default;

    void Build(int32_t now);
    int32_t Render(int32_t now) override;
    void HandleInput() override;
    void UpdateHover(const MenuPoint* point) override;

    // One noise evaluation (noise level, hearing threshold); the narrowest margin of a frame wins.
    void KeepNarrowestWindow(int32_t noise, int32_t threshold);

    int32_t frameNoise = 0, frameThreshold = 0; // this frame's reading; (0, 0) none yet
    int32_t shownNoise = 0, shownThreshold = 0; // the meter's reading; (0, 0) no meter
    int32_t fadeStart = 0;
    uint8_t fading = 0;
    uint8_t closed = 0, cancelled = 0;
    int32_t takeOverButton = -2, selectButton = -2;
    int32_t alarmFigure = -2, alarmQuadA = -2, alarmQuadB = -2;
    int32_t stripBackdrop = -2;
    int32_t firstButton = -2, lastButton = -2;
    int32_t proceedButton = -2, cancelButton = -2;
    std::string memberTexts[kMaxMembers];
    int32_t requesterBackdrop = -2, yesButton = -2, noButton = -2, requesterText = -2;
    int32_t memberFigures[kMaxMembers] = {-2, -2, -2, -2};
    int32_t memberCount = 0;
    int32_t lastTime = 0;
    int32_t requesterShown = 0;
    int32_t underMouse = -1;

private:
    void ShowGroup(int32_t middle, uint8_t on);
    void DrawMeter(int32_t now);
};

extern CPPMenu PPMenu;

// The noise evaluations of navigation report here (installed as its noise-window hook).
void OverlayNoiseWindow(int32_t noise, int32_t threshold);
