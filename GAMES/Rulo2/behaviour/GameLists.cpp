#include "GAMES/Rulo2/behaviour/GameLists.h"

CPlanMemberArray PlanMemberArray;
std::vector<uint32_t> ChosenCharacterIds;
std::vector<CWorldObject*> ActiveCharacters;
std::vector<CWorldObject*> ActiveObjectList;
int32_t BurglaryLevel = 1;
float TargetLootValue = 0.0f;
float RequiredLootShare = 0.0f;
int32_t BurglaryParTime = 0;
float GatheredLoot = 0.0f;
CWorldObject* CurrentCharacter = nullptr;
int32_t HeroTravelMode = 0;
CWorldObject* HeroCar = nullptr;

int32_t CPlanMemberArray::add(int32_t n)
{
    const int32_t first = count();
    if (n <= 0)
        return first;
    if (first + n > m_capacity) {
        const int32_t step = growStep > 0 ? growStep : 1;
        m_capacity = (first + n + step - 1) / step * step;
        m_records.reserve(size_t(m_capacity));
    }
    m_records.resize(size_t(first + n));
    return first;
}

void CPlanMemberArray::clear()
{
    m_records.clear();
    m_records.shrink_to_fit();
    m_capacity = 0;
}
