#pragma once
// The HUD bar along the bottom of the game screen: the time of day twice (an analog clock and a
// digital one), the spring-loaded speed knob, the six replay and record buttons, the cash or
// loot value, the selected character's load, and the map and inventory buttons.
//
// The bar's part mask is the shell's HudBarMode (app/ScreenHooks.h): bit 0 shows the time
// controls, bit 1 the side panels and the inventory button; the game step and other screens
// write it while they are open.
#include <cstdint>
#include <string>

#include "GAMES/Rulo2/interface/CMenu.h"

class CWorldObject;
struct SPlanMember;
class CTexture;

// The rectangle that frames the speed knob and the button row.
struct SHudBarArea
{
    float left, top, right, bottom;
    float innerLeft, innerRight, slotWidth;
};
extern const SHudBarArea HudBarArea;

// The plan recorder the button row and the knob drive; the bar of the game uses the real one.
struct SHudRecorder
{
    void (*backToStart)();
    void (*backToMark)();
    void (*forwardToMark)();
    void (*forwardToEnd)();
    void (*pause)();
    void (*setRecordState)(uint8_t flag);
    // Stops a recording (or a stopped one's replay) and leaves the game stopped.
    void (*clearRecording)();
    bool (*isRecordingActive)();
};
// The real recorder of the behaviour code.
SHudRecorder GameRecorder();

class CHudBarMenu : public CMenu
{
public:
    CHudBarMenu();

    // Lays out the 44 quads and the 2 figures; the caller has emptied the element list.
    void Build(int32_t now);
    // The frame's update and drawing; always -1.
    int32_t Render(int32_t now) override;
    void HandleInput() override;
    void UpdateHover(const MenuPoint* point) override;

    int32_t background = -2, rightPanel = -2, leftPanel = -2, cashPlate = -2;
    int32_t cashDigits[7] = {};
    int32_t clockDigits[10] = {};
    int32_t clockFace = -2, clockGlass = -2;
    int32_t rewindFigure = -2, recordFigure = -2;
    int32_t speedKnob = -2, secondHand = -2, hourHand = -2, minuteHand = -2;
    uint8_t inventoryPulseOn = 0;
    int32_t inventoryPulseStart = 0;
    uint8_t mapPulseOn = 0;
    int32_t mapPulseStart = 0;
    uint8_t recordOn = 0; // the record button is latched
    int32_t controlSlots[6] = {-2, -2, -2, -2, -2, -2};
    int32_t controlIcons[6] = {-2, -2, -2, -2, -2, -2};
    int32_t speedTrack = -2, inventoryButton = -2, mapButton = -2;
    float speedValue = 0.0f; // the knob's deflection, -1..1
    uint8_t draggingKnob = 0;
    int32_t leftCap = -2, rightCap = -2;
    int32_t lastTime = 0;
    int32_t barHovered = -1;
    float lootTotal = 0.0f;

    // What the last Render wrote: the cash or loot text and the load text (empty: none).
    std::string valueText;
    std::string loadText;

    SHudRecorder recorder;

private:
    int32_t AddQuad(CTexture* texture, float x0, float x1, float y0, float y1, float uLeft, float uRight,
                    float vTop, float vBottom, const float colour[4], float z, int32_t blend,
                    uint8_t selectable);
    void PlaceQuad(int32_t index, float x0, float x1, float y0, float y1);
    void ShowDigit(int32_t index, int32_t digit);
    void PlaceHand(int32_t index, float angle, const float colour[4]);
    void UpdateSpeed();
    void UpdateVisibility();
    void UpdateButtonRow();
    void DrawTexts();
    void OpenInventory();
    void Show(int32_t index, bool on);
    void SetSelectable(int32_t index, bool on);
    void SetColour(int32_t index, const float colour[4]);
    void SetTexture(int32_t index, uint16_t image);

    class CQuadTrack* defaultTrack_ = nullptr;
};

extern CHudBarMenu HudBarMenu;

// The gang record of a character, null when it has none.
SPlanMember* FindGangRecord(const CWorldObject* character);
