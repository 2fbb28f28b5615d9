#pragma once
// The two interactive elements that own their quads: the check box, which
// flips in the frame the left button is released over it, and the one-line
// edit field that takes the main window's pending key code.
#include <cstdint>
#include <string>
#include <vector>

#include "GAMES/Rulo2/interface/CMenu.h"
#include "GAMES/Rulo2/interface/CMenuText.h"

class CMenuQuad;
class CMenuGlow;

// The check box's own track: a flag and a float, interpolated as a text's alpha.
using CheckBoxKey = TextKey;
using CCheckBoxTrack = CTextTrack;

// The hit test of the two: inside the rectangle, bounds included, while shown,
// selectable and not active; remembers the point and the answer.
struct SRectHit
{
    MenuPoint topLeft{0, 0}, bottomRight{0, 0};
    MenuPoint lastPoint{0, 0};
    uint8_t over = 0;
    bool Test(const CMenuElement& element, const CMenuElement::Point* point);
};

class CMenuCheckBox : public CMenuElement, public SRectHit
{
public:
    explicit CMenuCheckBox(CMenu* owner);
    ~CMenuCheckBox() override;

    void Setup(MenuPoint topLeft, MenuPoint bottomRight);

    void DrawNormal(int32_t time) override;
    void DrawHighlighted(int32_t time) override;
    void DrawActive(int32_t time) override;
    bool HitTest(const Point* point) override;
    // Flips when the owner's left button was released over the box this frame.
    void Tick() override { Toggle(); }
    void Toggle();

    int32_t checked = 0;
    CheckBoxKey block;
    CMenuQuad* back = nullptr;
    CMenuQuad* mark = nullptr;

private:
    void EvaluateOwnTrack(int32_t time);
};

class CMenuEditField : public CMenuElement, public SRectHit
{
public:
    enum
    {
        KEY_RIGHT = 1,
        KEY_LEFT = 2,
        KEY_ENTER = 3,
        KEY_END = 4,
        KEY_HOME = 5,
        KEY_BACKSPACE = 8
    };

    explicit CMenuEditField(CMenu* owner);
    ~CMenuEditField() override;

    void Setup(MenuPoint topLeft, MenuPoint bottomRight);
    // A copy of the text (null gives empty); the cursor goes to its end.
    void SetText(const char* newText);
    // Takes the pending key code (Input.menuKey) and clears it.
    void ProcessKey();

    void DrawNormal(int32_t time) override;
    void DrawHighlighted(int32_t time) override;
    void DrawActive(int32_t time) override { DrawNormal(time); }
    bool HitTest(const Point* point) override;

    void DrawText();
    void DrawCursor();
    // The number of character cells the field shows.
    int32_t CellCount() const;

    uint8_t confirmed = 0;
    int32_t maximumLength = 255;
    int32_t reserved = 0;
    int32_t cursor = 0;
    int32_t firstVisible = 0;
    float glyphDepth = 0.1f;
    std::string text;
    float marginX = 0.03f, marginY = 0.05f;
    float glyphWidth = 0.02f, glyphHeight = 0.04f;
    CMenuQuad* cursorQuad = nullptr;
    CMenuQuad* glyphQuad = nullptr;
    CMenuGlow* frame = nullptr;
};
