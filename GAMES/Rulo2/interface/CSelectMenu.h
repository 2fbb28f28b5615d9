#pragma once
// The selection list: the player picks one entry of a list that another part filled (save or plan
// slots, burglaries, cars, gang members, items, loot to sell). Each entry is a 3-D preview with a
// description, shown as a carousel of three (the centred one large) or as a grid of up to 30.
// Render returns -1 while open, -2 when closed without a choice, else the chosen entry's index.
#include <cstdint>
#include <string>
#include <vector>

#include "GAMES/Rulo2/interface/CMenu.h"

class CObjectLogic;
class CObjectNode;
class CRootNode;
class CTexture;
class CWorldObject;

// One list entry; the defaults are those every filler starts from.
struct MenuSlot
{
    CObjectNode* instance = nullptr; // the carried object the entry stands for (selling: the one sold)
    CRootNode* previewModel = nullptr;
    CObjectLogic* gameData = nullptr;
    CWorldObject* worldObject = nullptr; // gang members
    std::string text;                    // first line the title, the rest the body
    std::string fileName;                // save and plan slots
    int32_t price = 0;                   // dollars offered when selling; 0: not to be sold
    float rotation[3] = {0, 0, 0};       // the x angle is applied 0.4 lower than stored
    uint8_t spin = 1;                    // honoured only with gameData
    uint8_t snapper = 1;
    uint8_t selectable = 1;
    uint8_t marked = 0;
    float colour[4] = {1, 1, 1, 1}; // the tint while marked
    int32_t textAlign = 2;          // 0 left, 1 right, 2 centred
    uint8_t fileExists = 0;
    uint8_t shown = 0;
    CTexture* thumbnail = nullptr;
    uint8_t ownsThumbnail = 0;
};

// 0 choose; 1 mark loot to sell; 2 sell on click. Values with bit 0x80 mark a finished sale.
extern int32_t SellMode;

class CSelectMenu : public CMenu
{
public:
    CSelectMenu() = default;
    ~CSelectMenu() override;

    // The caller has emptied the elements and filled `entries`.
    void Build(int32_t now, uint8_t startInGrid, uint8_t withOk);
    int32_t Render(int32_t now) override;
    void HandleInput() override;
    void UpdateHover(const MenuPoint* point) override;
    // A marked entry is drawn tinted with its colour.
    void DrawElement(int32_t index, int32_t now) override;

    // Empties the entries (releasing the thumbnails they own).
    void ClearEntries();
    int32_t EntryCount() const { return int32_t(entries.size()); }

    uint8_t finished = 0, cancelled = 0;
    uint8_t okMode = 0;
    std::vector<MenuSlot> entries;
    int32_t panelA = -1, panelB = -1;
    int32_t firstEntry = -1, lastEntry = -1;
    int32_t top = -1;
    int32_t selected = -1;
    int32_t okButton = -1, cancelButton = -1, upButton = -1, downButton = -1, zoomButton = -1;
    uint8_t grid = 0;
    int32_t zoomState = 0; // 0 idle, 1 view change running, 2 view changed, 3 intro running
    int32_t scrolling = 0;
    int32_t scrollStart = 0;
    int32_t scrollDir = 0;
    int32_t lastTime = 0;
    int32_t result = -1;
    int32_t hoverElement = -1;
    uint8_t thumbnails = 0;
    uint8_t pressedHere = 0;

protected:
    void ActOnEntry(int32_t element);
    void ToggleForSale(MenuSlot& slot);
    // An entry placed on screen reads its save's picture once, when it has none yet.
    void LoadThumbnail(MenuSlot& slot);
    void ScrollBy(int32_t direction);
    void LayOutEntries(int32_t dt);
    void DrawDescription();
    void DrawSellTexts();
    bool EntryChoosable(int32_t element) const;
    MenuSlot* EntryOf(int32_t element);
    bool IsEntry(int32_t element) const
    {
        return element >= firstEntry && element <= lastEntry && element >= 0;
    }

    std::vector<float> spinAngles_;
};

// The global selection screen (slot lists, the HUD bar's inventory, selling).
extern CSelectMenu SelectMenu;
