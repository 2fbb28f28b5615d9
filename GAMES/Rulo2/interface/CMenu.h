#pragma once
// The base of every screen of the 2-D interface: a list of elements drawn over
// the 3-D view with a fixed camera, the mouse in screen-relative units with the
// edge flags of both buttons, the hovered and pressed element and one tooltip;
// and the helpers the screens share (element factories, group masks, one-frame
// texts, bars and tooltips, the weight text).
//
// Screen-relative units: x from -1 (left) to 1 (right), y from -1 (top) to 1
// (bottom). Times are milliseconds.
#include <cstdint>
#include <string>
#include <vector>

#include "GAMES/Rulo2/interface/CMenuElement.h"

class CRootNode;
class CMenuQuad;

using MenuPoint = CMenuElement::Point;

class CMenu
{
public:
    // Everything 0, no elements; hovered and pressed -2 until the first hover test.
    CMenu() = default;
    virtual ~CMenu();
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    // Takes one reference of a non-null element; a non-zero group word replaces
    // the element's own. Returns the element's index.
    virtual int32_t AddElement(CMenuElement* element, uint32_t groupWord = 0);
    // Releases count elements from index first, last first, and closes the gap.
    virtual void RemoveElements(int32_t first, int32_t count);
    // Draws every element with the menu's camera; the base always returns -1.
    virtual int32_t Render(int32_t time);
    // The edge flags of both mouse buttons from the window's button bytes.
    virtual void HandleInput();
    virtual void BeforeInput() {}
    // hovered = the first element in list order that the point hits, else -1.
    virtual void UpdateHover(const MenuPoint* point);
    // Draws one element in the look its state asks for: active, hovered or pressed, else normal.
    virtual void DrawElement(int32_t index, int32_t now);

    void RemoveAllElements() { RemoveElements(0, ElementCount()); }
    int32_t ElementCount() const { return int32_t(elements.size()); }
    CMenuElement* Element(int32_t index) const
    {
        return index >= 0 && index < ElementCount() ? elements[size_t(index)] : nullptr;
    }

    void PlayAll();
    void PlayGroup(const char* trackName, uint32_t mask);
    void ShowGroup(uint8_t state, uint32_t mask);
    void SetGroupSelectable(uint8_t value, uint32_t mask);

    // Factories: each adds its element and returns the index.
    // A clickable 3-D model button; with plates a back plate goes before and a
    // front plate after it, and the result is the figure's index.
    int32_t AddButton(CRootNode* model, MenuPoint position, const float angles[3], float size,
                      bool withPlates);
    int32_t AddFigure(CRootNode* model, MenuPoint position, const float angles[3], float size,
                      bool startTrack);
    // The font argument is accepted and not used: every text uses the interface font.
    int32_t AddText(const char* text, const void* font, MenuPoint position, int32_t layout,
                    const float metrics[4]);
    int32_t AddText(const char* text, MenuPoint position, int32_t layout, const float metrics[4]);
    int32_t AddContainer(MenuPoint topLeft, MenuPoint bottomRight, float minimum, float maximum,
                         int32_t steps, uint8_t arrows, int32_t orientation);
    int32_t AddCheckBox(MenuPoint topLeft, MenuPoint bottomRight);
    // The square plate behind a button (alpha-tested); the second form is the
    // additive plate in front of it.
    int32_t AddButtonPlate(MenuPoint centre, float halfSize);
    int32_t AddButtonPlateFront(MenuPoint centre, float halfSize);

    // Requests the tooltip for this frame; the key is compared by pointer. A
    // delay of -1 takes the tooltip delay setting.
    void SetTooltip(const char* key, int32_t delay);
    // Draws the tooltip requested in this frame; the depth test ends switched on
    // (when the device has a depth buffer) in every case.
    void DrawTooltip();
    // A bar gauge: a framed box and a fill from red (empty) to green (full).
    void DrawBar(MenuPoint topLeft, MenuPoint bottomRight, float fraction, bool reversed, bool vertical);
    void DrawSmallBar(MenuPoint position, float fraction, bool reversed, bool vertical);

    // Tooltip state.
    uint8_t tooltipVisible = 0;
    MenuPoint tooltipLastAnchor{0, 0};
    std::string tooltipText;
    int32_t tooltipChangeTime = 0;
    MenuPoint tooltipAnchor{0, 0};
    uint8_t tooltipRequested = 0;
    int32_t tooltipDelay = 0;
    const char* tooltipKey = nullptr;
    float tooltipBox[4] = {0, 0, 0, 0}; // left, top, right, bottom as last drawn

    int32_t time = 0; // the clock of the last Render; elements and tracks run on it
    uint8_t started = 0;
    uint8_t leftHeld = 0, leftPressed = 0, leftReleased = 0;
    uint8_t doubleClick = 0;
    uint8_t rightHeld = 0, rightPressed = 0, rightReleased = 0;
    MenuPoint mouse{0, 0};
    std::vector<CMenuElement*> elements; // one reference each; entries may be null
    int32_t hovered = -2;
    int32_t pressed = -2;

private:
    int32_t AddPlate(MenuPoint centre, float halfSize, int32_t blendMode, uint16_t image);
};

// The corners of a quad made as CMenu::AddButtonPlate makes them.
void SetQuadRect(CMenuQuad* quad, MenuPoint centre, float halfSize);

// A text drawn once at the application clock, then thrown away.
void DrawText2D(const char* text, MenuPoint position, int32_t layout, const float glyphSize[2],
                const float spacing[2], const float colour[3]);

// A weight in units of two pounds as "3lbs", "8oz" or "1.6lbs" (without the unit: "3").
std::string FormatWeight(float weight, bool withUnit);

// Drops one reference of an element held outside a list.
void ReleaseElement(CMenuElement* element);

// The cursor in screen-relative units.
MenuPoint MenuCursor();

// Screen height over width, to keep squares square.
float MenuAspect();
// The application clock the interface reads (the frame time).
int32_t MenuClock();
