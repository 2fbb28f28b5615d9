#pragma once
// The planning screen: before a plan is recorded the player chooses the target, the getaway car,
// up to three accomplices beside the hero and the three tools each of the four carries. Three
// pages (overview, tools, a person's attributes) change with short animations; the chooser for
// the target, the car and the accomplices is the embedded selection list.
//
// Render returns -1 while open, 0 when cancelled (also on Escape) and 1 when a complete plan was
// confirmed; confirming writes the gang table, the chosen car with its capacity and the target.
#include <cstdint>
#include <string>
#include <vector>

#include "GAMES/Rulo2/interface/CMenu.h"
#include "GAMES/Rulo2/interface/CSelectMenu.h"

class CObjectNode;
class CRootNode;
class CWorldObject;

// One tool of a slot or of the pool.
struct HudItemRecord
{
    CRootNode* model = nullptr;
    CObjectNode* item = nullptr;
    int32_t instance = -1; // its number in the object instance table
    uint8_t flag = 0;
    std::string name; // the item's info text, shown as its tooltip
};

class CGameMenu : public CMenu
{
public:
    enum
    {
        MAX_TARGETS = 19,
        SLOT_COUNT = 12,
        POOL_PAGE = 9,
    };
    // Pages.
    enum
    {
        MODE_OVERVIEW = 0,
        MODE_TOOLS = 1,
        MODE_INFO = 2,
    };

    CGameMenu() = default;

    // Builds every element from the gang table, the chosen target and car and the world's tools;
    // the caller has emptied the element list.
    void Build(int32_t now);
    int32_t Render(int32_t now) override;
    void HandleInput() override;
    void UpdateHover(const MenuPoint* point) override;

    // A left-button release over an element (-1 none): its action, then any drag ends.
    void Release(int32_t element);
    // A left-button press over an element: a pool or slot figure starts a drag.
    void Press(int32_t element);
    // Loot shares by the persons' skills (picking locks, safes and alarm systems).
    void ComputeLootShares();
    // Closes the gap of pool entry k; the last pool figure becomes empty.
    void RemovePoolItem(int32_t k);
    // The tools of accomplice k (1..3) go back to the first free pool figures.
    void ReturnMemberItems(int32_t k);

    // The person p (0 the hero, 1..3 the accomplices) is present.
    CWorldObject* Person(int32_t p) const;
    int32_t PersonButton(int32_t p) const { return p == 0 ? heroButton : memberButtons[p - 1]; }
    // The load of the items in person p's three slots, and whether it exceeds the strength.
    float PersonLoad(int32_t p) const;
    bool Overloaded(int32_t p) const;
    // The weight of the people and of every slotted item.
    float UsedCarSpace() const;

    uint8_t okRequested = 0, cancelRequested = 0;
    CWorldObject* infoCharacter = nullptr;
    int32_t zoomFrame = -1, toolFrame = -1;
    int32_t targetButton = -2, carButton = -2, heroButton = -2;
    int32_t memberButtons[3] = {-2, -2, -2};
    int32_t removeButtons[3] = {-2, -2, -2};
    int32_t mode = MODE_OVERVIEW;
    int32_t leader = 0; // 0 the hero leads, k accomplice k
    CRootNode* carModel = nullptr;
    CWorldObject* car = nullptr;
    CWorldObject* members[3] = {};
    int32_t personFigures[4] = {-2, -2, -2, -2};
    int32_t targetFigure = -2, carFigure = -2;
    int32_t slotFrames[SLOT_COUNT] = {};
    int32_t slotFigures[SLOT_COUNT] = {};
    HudItemRecord slots[SLOT_COUNT];
    std::vector<HudItemRecord> pool;
    CMenuElement* dragged = nullptr;
    float dragHome[2] = {0, 0};
    int32_t dragSource = -1;
    int32_t poolFirst = -1, poolLast = -1, poolScroll = -1;
    int32_t hoverScaleFirst = -2, hoverScaleLast = -2;
    int32_t okButton = -1, cancelButton = -1;
    int32_t scrollLeftButton = -1, scrollRightButton = -1;
    int32_t enterToolsButton = -1;
    int32_t enterInfoButton = -2, leaveToolsButton = -2, leaveInfoButton = -2;
    std::string targetTitles[MAX_TARGETS];
    std::string targetDescriptions[MAX_TARGETS];
    int32_t target = 0; // 0-based; -1 none
    int32_t transition = 0;
    int32_t lastTime = 0;
    int32_t hover = -1;
    int32_t hasGang = 0;
    int32_t pendingChoice = 0; // 0 none, 1 target, 2 car, 3..5 accomplice 1..3
    CWorldObject* specialA = nullptr;
    CWorldObject* specialB = nullptr;
    CSelectMenu chooser;
    float carLoad = 0.0f;
    // 1: the choice may still change: [0] the target, [1 + p] person p, [5 + i] slot i.
    uint8_t available[17] = {};
    float lootShare[4] = {};
    float shareTotal = 0.0f;
    float shareWeight[4] = {};
    std::string personNames[4];

private:
    void BuildPanels();
    void BuildButtons();
    void BuildPersonFigures();
    void BuildPool();
    void BuildSlotFigures();
    void FindSpecialCharacters();

    void TakeChoice(int32_t r);
    void AdvanceTransition();
    void AnimateFigures(int32_t dt);
    void ToolsPage(int32_t dt);
    void LockSpecialTargets();
    void LockPlanChoices();
    void DrawOverviewTexts();
    void DrawToolsTexts();
    void DrawInfoTexts();
    int32_t Finish();

    void OpenTargetChooser();
    void OpenCarChooser();
    void OpenAccompliceChooser();
    void Click(int32_t element);
    void Drop(int32_t slot);
    void DropOnPool(int32_t slot);
    void EmptySlot(int32_t slot, uint32_t group);
    int32_t FreePoolFigure() const;
    void SetPerson(int32_t k, CWorldObject* character);
    bool IsPoolFigure(int32_t index) const { return index >= poolFirst && index <= poolLast && index >= 0; }
    int32_t SlotOfFigure(int32_t index) const;
    int32_t SlotOfFrame(int32_t index) const;

    // Element helpers (nothing for a missing element).
    void Show(int32_t index, bool on);
    void Selectable(int32_t index, bool on);
    void Play(int32_t index, const char* track);
    bool Shown(int32_t index) const;
    bool TrackFinished(int32_t index) const;
    // A button with plates: the figure and the elements before and after it.
    void ShowWithCompanions(int32_t index, bool on);
    void PlayWithCompanions(int32_t index, const char* track);
    void ShowOverviewControls(int32_t pageButton);
    class CMenuFigure* Figure(int32_t index) const;
    void SetFigureModel(int32_t index, CRootNode* model);

    // What each entry of the open chooser stands for: a target, or a car.
    std::vector<int32_t> chooserLevels_;
    std::vector<CWorldObject*> chooserObjects_;
};

extern CGameMenu PlanningScreen;
