#include "GAMES/Rulo2/behaviour/GameLists.h"

std::vector<SPlanMember> PlanMemberArray;
std::vector<uint32_t> ChosenCharacterIds;
std::vector<CWorldObject*> ActiveCharacters;
std::vector<CWorldObject*> ActiveObjectList;
std::vector<SRecordedEvent> RecordingList;
int32_t BurglaryLevel = 0;
CWorldObject* CurrentCharacter = nullptr;
int32_t GameTime = 0;

void RecordFloatChange(CWorldObject* object, float newValue, float oldValue)
{
    SRecordedEvent e;
    e.kind = EVENT_FLOAT_CHANGE;
    e.object = object;
    e.newValue = newValue;
    e.oldValue = oldValue;
    RecordingList.push_back(e);
}
