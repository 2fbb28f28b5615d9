#pragma once
// The description entry before saving: a prompt, one edit field with a proposed title, OK and
// CANCEL. Render: -1 while open, 1 confirmed (OK or Return in the field), 0 cancelled.
#include <cstdint>

#include "GAMES/Rulo2/interface/CMenu.h"

class CMenuEditField;

class CListMenu : public CMenu
{
public:
    CListMenu() = default;

    void Build(int32_t now, const char* prompt, const char* initialText);
    int32_t Render(int32_t now) override;
    void HandleInput() override;
    void UpdateHover(const MenuPoint* point) override;
    // The text the field holds now.
    const char* GetChoice() const;

    uint8_t clicked = 0, cancelled = 0;
    CMenuEditField* field = nullptr; // held by the element list
    int32_t backdropIndex = -2, fieldIndex = -2, promptIndex = -2;
    int32_t okButton = -2, cancelButton = -2;
    int32_t firstButton = -2, lastButton = -2;
    int32_t introRunning = 0;
    int32_t lastTime = 0;
    int32_t underMouse = -1;
};

extern CListMenu ListMenu;
