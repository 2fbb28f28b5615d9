#pragma once
// The life stages of a game: a loaded world becomes a playable game (InitGame),
// a running game goes back to its start state (ResetGame), a new game starts on
// the running world (StartNewGame), and the game is saved into slot 0 and ended
// (AutoSave).
#include <cstdint>
#include <vector>

#include "GAMES/Rulo2/app/GameState.h"
#include "LIBS/System/CVector.h"

class CObjectNode;
class CWorldObject;

// Written by AutoSave from the controlled character; InitGame clears it unless Shift is held.
extern CVector StoredStartPosition;
// Definitions of kind 9 whose name begins with "*", in definition-list order.
extern std::vector<CObjectNode*> AvailableCars;
// The cars the gang starts with.
extern std::vector<CObjectNode*> GangCars;
// The gang record the HUD has selected (cleared with every new game).
extern int32_t SelectedGangRecord;
// The object instance kept outside the instance table (the saved-game reader and a task make it).
extern CWorldObject* ExtraInstance;
// The hero: the character with the "Hero" task, found when the object logic is created.
extern CWorldObject* Hero;

// The inventory list's records; a reset removes those whose second flag is set, with their objects.
struct SInventoryRecord
{
    uint8_t flags[2] = {0, 0};
    CWorldObject* object = nullptr;
    float scale = 1.0f;
    CVector vectors[2] = {CVector(0, 0, 0), CVector(0, 0, 0)};
    int32_t words[3] = {0, 0, 0};
};
extern std::vector<SInventoryRecord> InventoryList;

void ResetGame();
void InitGame();
void StartNewGame();
// Saves slot 0 titled "AUTOSAVE" and ends the running game.
void AutoSave();

// The first available car named "*hero_ca..." (any case) joins the gang's cars.
void TakeHeroCar();
// The gang members' logic, the objects the stands and tasks listed, and the
// extra instance get the logable mark (PLANNING).
void MarkLogableObjects();
