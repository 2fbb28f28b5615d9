#pragma once
// The screen areas that the interface's screens claim from the 3-D view, in
// pixels: 0 to 2 the HUD bar, 3 the map and the planning screen, 6 the whole
// screen while the bar's speed knob is dragged. An empty entry claims nothing.
#include <cstdint>

struct SViewRect
{
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool Contains(int32_t x, int32_t y) const { return left <= x && x < right && top <= y && y < bottom; }
};

constexpr int32_t ViewRectCount = 8;
extern SViewRect ViewRectTable[ViewRectCount];

void ClearViewRects();

// The part of the 3-D view the tutorial's page covers (empty while no page shows).
extern SViewRect TutorialCutout;

// A record that keeps a rectangle twice: the one in use and a second one.
struct SRectPair
{
    SViewRect current, second;
};
// Both rectangles of the record become the same one.
void SetRects(SRectPair& record, int32_t left, int32_t top, int32_t right, int32_t bottom);

// The part of the screen the 3-D world is drawn into, in pixels: the framed window of the picture
// screen. Empty: the whole screen.
extern SViewRect WorldViewRect;
void SetViewRect(int32_t left, int32_t top, int32_t right, int32_t bottom);
void ClearViewRect();

// The main window's screen rectangle, in pixels: the whole screen while a full-screen screen has
// the mouse, so that no click reaches the world under it. Empty: no screen claims the mouse.
extern SViewRect ScreenRect;
void SetScreenRect(int32_t left, int32_t top, int32_t right, int32_t bottom);
void ClearScreenRect();
