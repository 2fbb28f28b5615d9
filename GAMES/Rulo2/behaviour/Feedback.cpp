#include "GAMES/Rulo2/behaviour/Feedback.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "GAMES/Rulo2/app/CGameSoundManager.h"
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/interface/TextBubbles.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/ObjectInstances.h"

std::string AlarmText;
int32_t AlarmSource = 0;
int32_t AlarmSirenHandle = -1;
int32_t Cash = 0;
std::vector<CWorldObject*> OwnedCars;
int32_t TradeSelectionState = 0;

void TriggerAlarm(const char* text, int32_t source)
{
    if (AlarmRaised || AlarmOverride)
        return;
    AlarmText = text ? text : "";
    AlarmSource = source;
    AlarmRaised = 1;
    if (SoundManager)
        AlarmSirenHandle = SoundManager->play("ALARM_SIREN", nullptr, 1, 0, 0, 5.0f, 1.0f, 1.0f, 1);
}

void ResetAlarm()
{
    AlarmRaised = 0;
    AlarmText.clear();
}

namespace {

int32_t FindBubble(CNode* owner)
{
    for (int32_t i = int32_t(TextBubbleList.size()); i-- > 0;)
        if (TextBubbleList[size_t(i)].owner == owner)
            return i;
    return -1;
}

} // namespace

int32_t ShowTextBubble(CNode* owner, const char* text, bool permanent)
{
    const size_t length = text ? std::strlen(text) : 0;
    int32_t index = FindBubble(owner);
    if (index < 0) {
        TextBubbleList.push_back(STextBubble());
        index = int32_t(TextBubbleList.size()) - 1;
    }
    STextBubble& b = TextBubbleList[size_t(index)];
    std::free(b.text);
    b.text = static_cast<char*>(std::calloc(length + 256, 1));
    if (b.text && text)
        std::memcpy(b.text, text, length);
    const int32_t duration = std::max<int32_t>(2000, int32_t(100 * length));
    b.owner = owner;
    b.time = permanent ? -1 : int32_t(GameClock.frameTime) + duration;
    std::fill(std::begin(b.rect), std::end(b.rect), 0);
    b.lines = permanent ? unsigned(std::count(text, text + length, '\n') + 1) : 0;
    return duration;
}

void RemoveTextBubbleAt(int32_t index)
{
    if (index < 0 || size_t(index) >= TextBubbleList.size())
        return;
    std::free(TextBubbleList[size_t(index)].text);
    TextBubbleList.erase(TextBubbleList.begin() + index);
}

void RemoveTextBubble(CNode* owner)
{
    RemoveTextBubbleAt(FindBubble(owner));
}

bool HasTextBubble(CNode* owner)
{
    return FindBubble(owner) >= 0;
}

int32_t GetTextBubbleLines(CNode* owner)
{
    const int32_t i = FindBubble(owner);
    return i < 0 ? -1 : int32_t(TextBubbleList[size_t(i)].lines);
}

void RemoveAllTextBubbles()
{
    for (int32_t i = int32_t(TextBubbleList.size()); i-- > 0;)
        RemoveTextBubbleAt(i);
}

void DropExpiredTextBubbles(uint32_t now)
{
    for (int32_t i = int32_t(TextBubbleList.size()); i-- > 0;) {
        const int32_t expiry = TextBubbleList[size_t(i)].time;
        if (expiry != -1 && int32_t(now) >= expiry)
            RemoveTextBubbleAt(i);
    }
}

void AddCash(const CObjectNode* item, int32_t amount)
{
    if (amount == 0)
        return;
    const int32_t index = item ? FindInstanceByObject(item) : -1;
    if (index >= 0 && InstanceObjectKind(item) == KIND_LOOT)
        amount = int32_t(float(amount) * ObjectInstances[size_t(index)].memberFactor);
    Cash += amount;
}

void DiscardInstance(CWorldObject* object)
{
    if (!object)
        return;
    if (object->objectLogic && object->objectLogic->Kind() == KIND_CAR) {
        std::erase(OwnedCars, object);
        return;
    }
    RemoveObjectInstance(object->Definition());
}

bool BuyItem(CWorldObject* object)
{
    const CObjectLogic* logic = object ? object->objectLogic : nullptr;
    const int32_t kind = logic ? logic->Kind() : -1;
    if (kind == KIND_LOOT || kind == KIND_TOOL || kind == KIND_CAR) {
        const float price = logic->EffectiveKindData()->Price();
        if (float(Cash) < price)
            return false;
        // The price is truncated before it is taken off, so 500 - 120.7 leaves 380.
        Cash -= int32_t(price);
    }
    if (TradeSelectionState != 131) {
        if (kind == KIND_CAR)
            OwnedCars.push_back(object);
        else if (object)
            CloneObjectInstance(object, CurrentCharacter);
    }
    return true;
}
