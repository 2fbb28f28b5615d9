#pragma once
// The tutorial controller: numbered pages shown in the browser host while a small
// emblem hangs at the right edge of the game screen. Clicking the emblem slides a
// panel open; once open, the tutorial frame screen shows the page. Game events
// advance the pages. An inactive tutorial ignores page events and draws nothing.
#include <cstdint>

#include "GAMES/Rulo2/render/ViewRects.h"

class CRootNode;

class CTutorial
{
public:
    // Page 1 in the hidden browser, the panel closed.
    void Start();
    // The emblem was clicked (or a click came while the page shows).
    void Show();
    // Next page when the tutorial runs and shows this page.
    void NextPage(int32_t page);
    void SetProgress(int32_t page, int32_t percent);
    void Stop();
    // Once per frame: the emblem, the panel and the frame screen.
    void Update();
    void ShowPage(int32_t page);

    // A left click at a pixel of the game view: true when the tutorial takes it
    // (the page or the emblem), so the game makes no order of it.
    bool TakeClick(int32_t x, int32_t y);
    // Sets `hovered` from the cursor and the emblem's area as last drawn.
    void UpdateHover(int32_t x, int32_t y);

    uint8_t active = 0;
    // The mouse is over the emblem: no menu hovers anything.
    uint8_t hovered = 0;
    int32_t startTime = 0;
    int32_t stateTime = 0;
    int32_t page = 0;
    int32_t progress = 0;
    int32_t panelState = 0; // 0 closed, 1 opening, 2 closing, 3 open
    // The emblem's height and the panel position drawn last.
    float emblemHeight = 0.0f;
    float panelPosition = 0.0f;
    // The screen area (pixels) the emblem covered when drawn last.
    SViewRect emblemArea;

private:
    void HideBrowser();
    void OpenFrame();
};

extern CTutorial Tutorial;

// The emblem's two interface models and the first one's panel positions.
struct STutorialEmblem
{
    static constexpr uint16_t kPanelModel = 608, kBadgeModel = 606;
    float closedPosition = 0.0f, openPosition = 1.0f;
};
extern STutorialEmblem TutorialEmblem;
