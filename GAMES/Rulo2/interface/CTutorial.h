#pragma once
// The tutorial controller: numbered pages that game events advance while the tutorial runs. An
// inactive tutorial ignores page events and draws nothing.
#include <cstdint>

class CTutorial
{
public:
    // Starting needs the pages and the browser, which this build does not show yet: the tutorial
    // stays inactive.
    void Start() {}
    // The emblem was clicked.
    void Show() {}
    // Next page when the tutorial runs and shows this page.
    void NextPage(int32_t page);
    void SetProgress(int32_t page, int32_t percent);
    void Stop();
    void Update();

    uint8_t active = 0;
    // The mouse is over the emblem: no menu hovers anything.
    uint8_t hovered = 0;
    int32_t startTime = 0;
    int32_t stateTime = 0;
    int32_t page = 0;
    int32_t progress = 0;
    int32_t panelState = 0; // 0 closed, 1 opening, 2 closing, 3 open
};

extern CTutorial Tutorial;
