#pragma once
// The frame the tutorial's page shows in: a window-like panel over the 3-D view
// with a title bar to drag it by, a close button, a button that switches between
// the small and the maximised frame, and a page area that the page's host window
// is moved over every frame. The page can be panned with the mouse.
#include <cstdint>

#include "GAMES/Rulo2/interface/CMenu.h"

class CTutorialMenu : public CMenu
{
public:
    CTutorialMenu();

    // Clamped so that the frame stays on the right half and its top edge is fixed.
    void SetFramePos(float x, float y);
    void Build(int32_t time);
    // -1 while open, 1 when the close button was clicked, 0 on the cancel choice.
    int32_t Render(int32_t time) override;
    void HandleInput() override;
    void UpdateHover(const MenuPoint* point) override;

    // The page's square size in pixels and its offsets inside the host window.
    int32_t PageZoom() const { return pageZoom[0]; }
    float PageOffsetX() const { return pageOffset[0]; }
    float PageOffsetY() const { return pageOffset[1]; }

    int32_t pageMode = 1; // 1: fixed page offsets, no maximise toggle
    uint8_t closeChosen = 0, cancelChosen = 0, panning = 0, draggingFrame = 0;
    MenuPoint grab{0, 0};
    MenuPoint grabFramePos{0, 0};
    int32_t frameElements[4] = {-2, -2, -2, -2}; // the border's four sides
    int32_t panels[2] = {-2, -2};                // page area of the small and of the maximised frame
    int32_t closeSmall = -2, closeMax = -2, resize = -2;
    int32_t scrolls[2] = {-2, -2};
    int32_t titleBar = -2;
    int32_t elementCount = -2;
    int32_t introRunning = 0;
    float frameLeft = 0, frameTop = 0, frameRight = 0, frameBottom = 0;
    float maxLeft = -0.95f, maxTop = -0.9f, maxRight = 0.95f, maxBottom = 0.65f;
    float frameX = 0, frameY = 0;
    int32_t pageZoom[2] = {128, 128};
    float pageOffset[2] = {0, 0};
    uint8_t maximised = 0;
    int32_t lastTime = 0;

private:
    bool Maximised() const { return maximised || pageMode == 1; }
    void PlaceElements(bool max);
    void PlacePage(bool max);
    int32_t buildTime_ = 0;
    // The element under the mouse for input; page panels are not drawn hovered.
    int32_t inputHover_ = -1;
};

extern CTutorialMenu TutorialMenu;
