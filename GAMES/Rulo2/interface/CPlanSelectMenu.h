#pragma once
// The plan selection before a burglary: new plan, edit, start or delete a stored plan, or back.
// A new plan opens the planning HUD at once; the three plan actions record the wanted action in
// PlanSlotPurpose and open the load-plan list, whose choice the game step carries out.
// Render: -1 while open, 1 back, 0 Escape, -2 once a plan action opened the plan list.
#include <cstdint>

#include "GAMES/Rulo2/interface/CMenu.h"

class CPlanSelectMenu : public CMenu
{
public:
    CPlanSelectMenu() = default;

    void Build(int32_t now);
    int32_t Render(int32_t now) override;
    void HandleInput() override;
    void UpdateHover(const MenuPoint* point) override;

    uint8_t backChosen = 0, cancelChosen = 0, listOpened = 0, plansExist = 0;
    int32_t panelIndex = -2, newPlanIndex = -2, editPlanIndex = -2, startPlanIndex = -2, deletePlanIndex = -2,
            backIndex = -2;
    int32_t introRunning = 0;
    int32_t hoveredIndex = -1;
};

extern CPlanSelectMenu PlanSelectMenu;
