#pragma once
// The in-game message box: a wrapped text on a dark panel with an OK button or yes and no.
// Render: -1 while open, 1 for the first button, 0 for the second.
#include <cstdint>
#include <string>

#include "GAMES/Rulo2/interface/CMenu.h"

class CMessageMenu : public CMenu
{
public:
    CMessageMenu() = default;

    void Build(int32_t now, const char* message, int32_t twoButtons);
    int32_t Render(int32_t now) override;
    void HandleInput() override;
    void UpdateHover(const MenuPoint* point) override;

    std::string text; // wrapped at 25 characters
    int32_t startTime = 0;
    uint8_t confirmed = 0, cancelled = 0;
    int32_t panelIndex = -2, textIndex = -2, firstButtonIndex = -2, secondButtonIndex = -2,
            lastButtonIndex = -2;
    int32_t introRunning = 0;
    int32_t lastTime = 0;
    int32_t hoveredIndex = -2;
    // The file the box asks about (a plan or game to delete); set by the opener's caller.
    std::string fileName;
};

extern CMessageMenu MessageMenu;
