#include "GAMES/Rulo2/interface/CPlanSelectMenu.h"

#include <algorithm>
#include <cmath>
#include <strings.h>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/app/SaveGame.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/behaviour/RecordControl.h"
#include "GAMES/Rulo2/interface/CMenuGlow.h"
#include "GAMES/Rulo2/interface/CMenuText.h"
#include "GAMES/Rulo2/interface/CTextTree.h"
#include "GAMES/Rulo2/interface/CTutorial.h"
#include "GAMES/Rulo2/interface/HudState.h"
#include "GAMES/Rulo2/interface/OpenScreens.h"
#include "GAMES/Rulo2/interface/ScreenTracks.h"
#include "GAMES/Rulo2/render/ViewRects.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/WorldHelpers.h"

CPlanSelectMenu PlanSelectMenu;

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr float kItemSizes[4] = {0.07f, 0.09f, 0.05f, 0.07f};

// The name of the model a character shows now.
const char* CurrentModelName(const CWorldObject* node)
{
    const CObjectLogic* logic = node ? node->objectLogic : nullptr;
    if (logic && logic->animation && logic->animation->modelEntry)
        return logic->animation->modelEntry->GetName();
    return nullptr;
}

// The two characters who join the gang at certain levels.
void AddSpecialMembers()
{
    CWorldObject* first = nullptr;
    CWorldObject* second = nullptr;
    for (CWorldObject* c : ActiveCharacters) {
        const char* name = CurrentModelName(c);
        if (!name)
            continue;
        if (strncasecmp(name, "TessaGrund", 10) == 0)
            first = c;
        if (strncasecmp(name, "NimbleWeaver", 12) == 0)
            second = c;
    }
    auto join = [](CWorldObject* c) {
        if (c && std::find(HudGangCharacters.begin(), HudGangCharacters.end(), c) == HudGangCharacters.end())
            HudGangCharacters.push_back(c);
    };
    if (BurglaryLevel == 6)
        join(first);
    if (BurglaryLevel == 9 && first && second) {
        join(first);
        join(second);
    }
}

} // namespace

void CPlanSelectMenu::Build(int32_t now)
{
    time = now;
    auto* panel = new CMenuGlow(this);
    panel->Setup(CMenuQuad::Corner{-0.45f, -0.9f}, CMenuQuad::Colour{0.1f, 0.1f, 0.1f, 0.5f},
                 CMenuQuad::Corner{0.45f, 0.4f}, CMenuQuad::Colour{0.3f, 0.3f, 0.4f, 0.6f});
    panelIndex = AddElement(panel);
    panel->Release();

    const std::pair<const char*, float> items[] = {{"MENU_PS_NEWPLAN", -0.8f},
                                                   {"MENU_PS_EDITPLAN", -0.6f},
                                                   {"MENU_PS_STARTPLAN", -0.4f},
                                                   {"MENU_PS_DELETEPLAN", -0.2f},
                                                   {"MENU_BACK", 0.2f}};
    int32_t* indexes[] = {&newPlanIndex, &editPlanIndex, &startPlanIndex, &deletePlanIndex, &backIndex};
    for (size_t i = 0; i < 5; ++i)
        *indexes[i] =
            AddText(GetDisplayText(items[i].first), MenuPoint{0.0f, items[i].second}, 2, kItemSizes);

    PlayAll();
    AddTextFadeTracks(*this, 200);
    for (int32_t* index : indexes)
        if (CMenuElement* e = Element(*index)) {
            e->SetState(0);
            e->PlayTrack("default");
        }

    plansExist = HasPlans() ? 1 : 0;
    backChosen = cancelChosen = listOpened = 0;
    introRunning = 1;
    hoveredIndex = -1;
    HudRecordByte = 0;
    AddSpecialMembers();
}

void CPlanSelectMenu::UpdateHover(const MenuPoint* point)
{
    if (MenuInputBlocked)
        return;
    hoveredIndex = hovered = -1;
    if (Tutorial.hovered || !point)
        return;
    for (int32_t i = 0; i < ElementCount(); ++i)
        if (CMenuElement* e = elements[size_t(i)]; e && e->HitTest(point)) {
            hoveredIndex = hovered = i;
            break;
        }
    const float s = std::sin(2.0f * kPi * float(time % 4096) / 4096.0f);
    for (int32_t i = 0; i < ElementCount(); ++i) {
        CMenuElement* e = elements[size_t(i)];
        if (!e || e->type != CMenuElement::TYPE_TEXT)
            continue;
        auto* text = static_cast<CMenuText*>(e);
        const bool pulse = i == hoveredIndex;
        text->glyphWidth = kItemSizes[0] + (pulse ? 0.014f * s : 0.0f);
        text->glyphHeight = kItemSizes[1];
        text->advance = kItemSizes[2] - (pulse ? 0.002f * s : 0.0f);
        text->lineHeight = kItemSizes[3];
    }
    if (CMenuElement* e = Element(hoveredIndex); e && e->type == CMenuElement::TYPE_FIGURE)
        e->PlayTrack("mouseover");
}

void CPlanSelectMenu::HandleInput()
{
    if (MenuInputBlocked)
        return;
    CMenu::HandleInput();
    if (leftReleased && hoveredIndex >= 0) {
        const int32_t h = hoveredIndex;
        if (h == newPlanIndex) {
            SetPlanMode(PHASE_PLANNING);
            PlanActivity = 1;
            PlanCounters[0] = PlanCounters[1] = 0;
            PlanMemberArray.clear();
            SPlanMember& hero = *PlanMemberArray.at(PlanMemberArray.add(1));
            hero = SPlanMember();
            hero.member = CurrentCharacter;
            hero.leader = 1;
            std::fill(hero.toolFlags, hero.toolFlags + 3, uint8_t(1));
            Tutorial.NextPage(2);
            OpenGameMenu(MenuClock());
        } else if (h == editPlanIndex || h == startPlanIndex || h == deletePlanIndex) {
            PlanSlotPurpose = h == editPlanIndex ? 1 : h == startPlanIndex ? 0 : 2;
            ShowPlanSlots(false);
            listOpened = 1;
        } else if (h == backIndex) {
            backChosen = 1;
            cancelChosen = 0;
        }
    }
    if (leftPressed && !rightHeld && hoveredIndex >= 0)
        PlayMenuClick();
}

int32_t CPlanSelectMenu::Render(int32_t now)
{
    time = now;
    ShowMouseCursor(true);
    SetScreenRect(0, 0, DX.screenWidth, DX.screenHeight);
    BeforeInput();
    HandleInput();

    CMenuElement* panel = Element(panelIndex);
    if (introRunning && TrackEnded(panel)) {
        introRunning = 0;
        for (int32_t index : {newPlanIndex, editPlanIndex, startPlanIndex, deletePlanIndex, backIndex})
            if (CMenuElement* e = Element(index)) {
                // Shown, every item takes the pointer (a greyed one stays out of reach as active).
                e->SetState(1);
                e->selectable = 1;
                e->PlayTrack("start");
            }
    }
    for (int32_t index : {editPlanIndex, startPlanIndex, deletePlanIndex})
        if (CMenuElement* e = Element(index))
            e->active = plansExist ? 0 : 1;

    CMenu::Render(now);

    if (listOpened) {
        ClearScreenRect();
        return -2;
    }
    if (cancelChosen || Input.menuKey == 8) {
        Input.menuKey = 0;
        ClearScreenRect();
        return 0;
    }
    if (backChosen) {
        ClearScreenRect();
        return 1;
    }
    return -1;
}
