#pragma once
// What the engine draws over the finished 3-D picture: the statistics overlay
// with its texts (through the platform's text drawing onto the back surface).
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "GAMES/Rulo2/render/RenderGlobals.h"

class IDirectDrawSurface7;

// The overlay's inputs, kept by the shell and the interface.
struct SStatisticsInput
{
    uint8_t statisticsOn = 0; // the statistics switch
    uint8_t hudIsCurrent = 0; // the HUD is the current menu
    float frameRate = 0;
    int32_t gameClock = 0; // milliseconds of the day
    int32_t gameSpeed = 100;
    int32_t gamePhase = 0;
    int32_t recordState = 0;
    uint8_t pathFinished = 0;            // the current character's path finder reports its path done
    const float* heroPosition = nullptr; // x, y, z of the current character, or null
    const char* viewName = nullptr;      // the current editor view outside the HUD
    // The editor's model and ground views: the selected node's counts, or the
    // model's totals with its texture memory when no node is selected.
    uint8_t modelView = 0;
    uint8_t nodeSelected = 0;
    int32_t modelTriangles = 0, modelVertices = 0;
    uint32_t modelTextureMemory = 0;
    // The object editor's panel: object and state names and the edited values.
    struct StatePanel
    {
        const char* object = "";
        const char* state = "";
        float start = 0, startLength = 0, end = 0, endLength = 0;
        int32_t speed = 100;
        float event = -1.0f; // negative: not set
        std::vector<std::pair<std::string, float>> sounds;
    };
    const StatePanel* statePanel = nullptr;
    // The rubber-band tool's drag, in pixels: start and current point.
    uint8_t rubberBand = 0;
    int32_t bandStart[2] = {0, 0}, bandEnd[2] = {0, 0};
};

// World statistics, recounted at most every 500 ms of game clock.
struct SWorldStatistics
{
    int32_t triangles = 0, vertices = 0;
    int32_t checkedGroups = 0, visibleGroups = 0;
    int32_t checkedModels = 0, visibleModels = 0;
    int32_t localObjects = 0, localObjects2 = 0;
    uint32_t textureMemory = 0, shadowTextureMemory = 0;
    int32_t lastRecount = -1000000;
};
extern SWorldStatistics WorldStatistics;

// Recounts from this frame's visible-object list when more than 500 ms of game
// clock lie between the last recount and `gameClock`.
void RecountWorldStatistics(int32_t gameClock);

std::string FormatFrameRate(float rate);
std::string FormatGameClock(int32_t milliseconds);
const char* GamePhaseWord(int32_t phase);
const char* RecordStateWord(int32_t state);

// The lines of the overlay as text with their places, for drawing and tests.
struct SOverlayLine
{
    int x; // left edge, or the right edge when rightAligned
    int y;
    bool rightAligned;
    std::string text;
};
void BuildStatisticsLines(const SStatisticsInput& input, std::vector<SOverlayLine>& lines);
// Draws the lines onto the back surface; nothing when it cannot be locked.
void DrawStatistics(const SStatisticsInput& input);

// Whether the application's overlay window is shown above the full-screen view.
extern bool (*OverlayWindowVisible)();
// One game frame, drawn again after a lost surface was restored.
extern bool (*RedrawGameFrame)();
// Brings the view in line with the window: presents the back surface into the
// client area (window) or flips (full screen); restores lost surfaces or sets the
// device up again. False when DirectX is not set up or the window gives no size.
bool UpdateViewRect();

class CWorldObject;
// The three-button bubble of the in-game interface (its state is the interface's).
struct SActionBubble
{
    int32_t state = 0;    // 2 opening, 3 open, anything else hidden
    int32_t hovered = -1; // -1 none, 1 left, 0 middle, 2 right
    int32_t startTime = 0;
    int32_t figure = -1; // place in the 5 x 3 grid, negative: none
    int32_t anchor[2] = {0, 0};
    int32_t topLeft[2] = {0, 0}; // where the bubble was drawn last
    int32_t frame = 0;           // the picture drawn last
};
extern SActionBubble ActionBubble;
// Draws the bubble while the HUD is current; `target` is the preview target or
// null, (mouseX, mouseY) the cursor in client pixels.
void DrawActionBubble(bool hudIsCurrent, CWorldObject* target, int32_t now, int32_t mouseX, int32_t mouseY);

// One character of the interface's list with its progress (negative: none).
struct SCharacterProgress
{
    CWorldObject* character = nullptr;
    float progress = -1.0f;
};
// The progress bars over the characters: the background picture centred over
// the point above the model (kept on screen), the fill scaled by the progress.
// The caller decides when they show (HUD current, recording, interface flags).
void DrawObjectOverlays(const std::vector<SCharacterProgress>& characters, IDirectDrawSurface7* background,
                        IDirectDrawSurface7* fill, float heightOffset);

// The characters among this frame's visible objects (object logic of a character kind).
std::vector<CWorldObject*> VisibleCharacters();
// Where a label or bubble box goes: its size centred over the head point (in
// interface units), moved inside the screen.
struct SLabelBox
{
    float left, top, right, bottom;
};
SLabelBox PlaceLabelBox(float headX, float headY, float width, float height);
// A framed box with the text inside, placed over the point as a label, drawn once; returns the box.
SLabelBox DrawTextBox(const char* text, float headX, float headY);
// The name label of each character: the text of "CHR_<model name>" in a framed
// box above its head, kept inside the screen.
void DrawCharacterLabels(const std::vector<CWorldObject*>& characters);
// Each live speech bubble's text in a framed box above its owner, placed as the
// labels are; the entry's screen rectangle (pixels) is filled.
void DrawTextBubbles();
