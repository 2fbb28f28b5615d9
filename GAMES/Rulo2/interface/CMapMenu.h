#pragma once
// The overview map of the level: a small window (docked, movable by its title bar) or a large one,
// each with a frame, a zoom slider and a close button, and a zoom button that switches between
// them. A square of the map picture centred on the hero is drawn into the window with a pulsing
// arrow for the hero; named places show their name as a tooltip, and a double click sends the hero
// walking there.
// Render: -1 while open, 1 closed by a close button, 0 closed silently.
#include <cstdint>
#include <string>
#include <vector>

#include "GAMES/Rulo2/interface/CMenu.h"

// One named place of the level.
struct MapSpot
{
    float position[3] = {0, 0, 0};
    float radius = 0.0f;
    float walkTarget[3] = {0, 0, 0};
    std::string name; // a text key
};
// Emptied when a game is initialised, filled from the world's objects as the level starts.
extern std::vector<MapSpot> MapSpots;
// Appends a copy unless a spot with the same seven floats and the same name is listed.
void RegisterMapSpot(const MapSpot& spot);

// The map picture is this many pixels square.
constexpr float kMapPictureSize = 512.0f;

// The part of the picture to show (left, top, width, height in picture pixels) and the screen
// rectangle it goes to (left, top, width, height in pixels), cut to the picture: the screen
// rectangle shrinks in proportion. False when nothing of the picture is left.
bool ClipMapSource(float source[4], float screen[4]);

class CMapMenu : public CMenu
{
public:
    CMapMenu();

    void Build(int32_t now);
    void Clear();
    int32_t Render(int32_t now) override;
    void HandleInput() override;
    void UpdateHover(const MenuPoint* point) override;
    void SetPosition(MenuPoint p);
    bool PointToMapPixel(MenuPoint* out) const;
    static void MapToWorld(MenuPoint pixel, float* worldX, float* worldZ);

    int32_t mode = 0; // 1: the large window always, the zoom button has no effect
    uint8_t pickPending = 0;
    uint8_t closeRequested = 0;
    uint8_t closeSilently = 0;
    uint8_t dragging = 0;
    MenuPoint dragStartMouse{0, 0};
    MenuPoint dragStartPosition{0, 0};
    int32_t titleBar = -2, smallFrame = -2, largeFrame = -2;
    float zoom = 0.0f;
    int32_t smallClose = -2, largeClose = -2, zoomButton = -2, lastBuilt = -2, firstPlate = -2,
            smallSlider = -2, largeSlider = -2;
    int32_t built = 0;
    int32_t lastTime = 0;
    int32_t ownHovered = -2;
    MenuPoint smallTopLeft{-0.95f, -0.9f}, smallBottomRight{-0.3f, -0.35f};
    MenuPoint largeTopLeft{-0.95f, -0.9f}, largeBottomRight{0.95f, 0.65f};
    MenuPoint position{0, 0};
    uint8_t mapPressed = 0;
    MenuPoint pickPoint{0, 0};
    uint8_t zoomed = 0;
    float source[4] = {0, 0, 0, 0};
    float screen[4] = {0, 0, 0, 0};
    // The last drawn part of the picture and its screen rectangle, cut to the picture.
    float shownSource[4] = {0, 0, 0, 0};
    float shownScreen[4] = {0, 0, 0, 0};

private:
    void PlaceSmallWindow();
    void DrawPicture();
    void DrawHeroMarker(int32_t now);
    int32_t ChooseSpot(float worldX, float worldZ) const;
};

extern CMapMenu MapMenu;
