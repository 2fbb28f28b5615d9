#include "GAMES/Rulo2/behaviour/WatchLists.h"

#include <algorithm>

#include "GAMES/Rulo2/app/SaveGame.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/interface/HudState.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/HouseFloors.h"

CIdEntryList ViewConeList;
std::vector<CWorldObject*> BurglaryHouses;
CVector BurglaryStartPoint{0, 0, 0};
float BurglaryLeashRadius = kDefaultLeashRadius;
CVector HeroStartPosition{0, 0, 0};
std::vector<CWorldObject*> SoundSensorList;
std::vector<CWorldObject*> BurglaryCharacters;
uint8_t BurglaryTargetReset = 0;
std::vector<SLightBarrier> LightBarrierList;
std::vector<SCrackedObject> CrackingList;

int32_t FindIdIndex(const SIdArray& array, const int32_t* value)
{
    if (!value || !array.values)
        return -1;
    for (int32_t i = 0; i < array.count; ++i)
        if (array.values[i] == *value)
            return i;
    return -1;
}

void AddIdEntry(CIdEntryList& list, CObjectLogic* object, float key)
{
    if (!object)
        return;
    for (const SIdEntry& e : list)
        if (e.object == object)
            return;
    CWorldObject* house = nullptr;
    if (object->Kind() == KIND_FIXED && object->worldNode) {
        CWorldObject* floor = nullptr;
        int32_t number = 0;
        GetHouseAndFloor(object->worldNode, &house, &floor, &number);
    }
    list.push_back({key, object, house});
}

int32_t RemoveIdEntry(CIdEntryList& list, CObjectLogic* object)
{
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].object == object) {
            list.erase(list.begin() + std::ptrdiff_t(i));
            return int32_t(i);
        }
    return int32_t(list.size());
}

bool IsBurglaryHouse(const CWorldObject* house)
{
    return house && std::find(BurglaryHouses.begin(), BurglaryHouses.end(), house) != BurglaryHouses.end();
}

void RebuildGangMemberList()
{
    GangMemberList.clear();
    for (const SPlanMember& m : PlanMemberArray)
        if (m.member)
            GangMemberList.push_back({m.member, 0, 0});
}

bool AddKnownPerson(CWorldObject* person)
{
    if (!person || std::find(KnownPeople.begin(), KnownPeople.end(), person) != KnownPeople.end())
        return false;
    KnownPeople.push_back(person);
    return true;
}
