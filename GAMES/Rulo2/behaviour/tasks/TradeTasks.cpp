#include "GAMES/Rulo2/behaviour/tasks/TradeTasks.h"

#include <algorithm>

#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/CTaskParam.h"
#include "GAMES/Rulo2/behaviour/Feedback.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/behaviour/RecordControl.h"
#include "GAMES/Rulo2/behaviour/tasks/TaskHelpers.h"
#include "GAMES/Rulo2/interface/CMenu.h"
#include "GAMES/Rulo2/interface/CSelectMenu.h"
#include "GAMES/Rulo2/interface/CTextTree.h"
#include "GAMES/Rulo2/interface/CTutorial.h"
#include "GAMES/Rulo2/interface/InfoTexts.h"
#include "GAMES/Rulo2/navigation/PathFinder.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/ObjectInstances.h"

using namespace tasks;

namespace {

constexpr int32_t kToolBit = 1, kCarBit = 2, kLootBit = 4;
// Selection screen states: open for selling or buying, and the results the screen reports.
constexpr int32_t kSelling = 1, kBuying = 2;
constexpr int32_t kNothingOfValue = 129, kSold = 130, kTooExpensive = 131, kBought = 132;

std::string TextAt(TaskParamList& parameters, size_t i)
{
    auto* p = ParamAs<CTextParam>(parameters, i);
    return p ? p->text : std::string();
}

void EmptySelection()
{
    SelectMenu.RemoveAllElements();
    SelectMenu.ClearEntries();
}

void OpenSelection(int32_t state)
{
    TradeListOpen = uint8_t(state);
    SellMode = state;
    SelectMenu.Build(MenuClock(), 0, 0);
}

float CarValue(const CWorldObject* car)
{
    const CKindData* data = car && car->objectLogic ? car->objectLogic->EffectiveKindData() : nullptr;
    return data ? data->Price() : 0.0f;
}

void AddCar(CWorldObject* car, int32_t price)
{
    const size_t before = SelectMenu.entries.size();
    BuildCarInfo(&SelectMenu, car->GetShapeRoot(), car->objectLogic);
    if (SelectMenu.entries.size() == before)
        return;
    MenuSlot& slot = SelectMenu.entries.back();
    slot.worldObject = car;
    slot.price = price;
}

void AddItem(CObjectNode* instance, CWorldObject* worldObject, CObjectLogic* data, int32_t price)
{
    MenuSlot slot;
    slot.instance = instance;
    slot.worldObject = worldObject;
    slot.gameData = data;
    slot.previewModel = worldObject                        ? worldObject->GetShapeRoot()
                        : instance && instance->firstState ? instance->firstState->GetModelRoot()
                                                           : nullptr;
    BuildItemInfo(data, slot.text);
    slot.price = price;
    SelectMenu.entries.push_back(slot);
}

bool KindSelected(int32_t kind, int32_t mask)
{
    return (kind == KIND_TOOL && (mask & kToolBit)) || (kind == KIND_LOOT && (mask & kLootBit));
}

bool GangHas(const CObjectNode* definition)
{
    return std::any_of(ObjectInstances.begin(), ObjectInstances.end(), [&](const ObjectInstance& r) {
        return r.object && (r.object == definition || TemplateOf(r.object) == definition);
    });
}

bool InLevels(const CKindData& data, int32_t from, int32_t to)
{
    return data.minBurglaryLevel >= from && data.minBurglaryLevel <= to &&
           data.minBurglaryLevel <= BurglaryLevel;
}

} // namespace

int32_t SalePrice(float value, int32_t usuryPercent, float current, float full)
{
    const float ratio = full > 0.0f ? current / full : 1.0f;
    return int32_t((1.0f - float(usuryPercent) / 100.0f) * value * ratio);
}

// ---------------------------------------------------------------- shared answer

void CTradeTask::Answer(CWorldObject* owner, const std::string& key)
{
    m_bubbleOwner = owner;
    m_bubbleDuration = owner ? ShowTextBubble(owner, GetDisplayText(key.c_str()), false) : 1;
    m_bubbleStart = MenuClock();
}

bool CTradeTask::Wait(CObjectLogic& logic)
{
    if (MenuClock() - m_bubbleStart > m_bubbleDuration)
        return false;
    if (!RequestPending || RequestQueue.empty())
        return true;
    CActionEntry& command = RequestQueue.front();
    const bool turnsAway = (command.action == 10 && (command.target == logic.worldNode ||
                                                     (command.target && IsHero(command.target)))) ||
                           IsHero(command.source);
    if (turnsAway) {
        command.handled = 1;
        if (m_bubbleOwner)
            RemoveTextBubble(m_bubbleOwner);
        RemoveTextBubble(logic.worldNode);
    }
    RequestQueue.erase(RequestQueue.begin());
    RequestPending = RequestQueue.empty() ? 0 : 1;
    if (RequestQueue.empty())
        PlayerCommand = CActionEntry();
    return !turnsAway;
}

// ---------------------------------------------------------------- Sell

void CSellTask::Start(CObjectLogic&, TaskParamList& parameters)
{
    m_typeMask = NumberAt(parameters, 0);
    m_usury = NumberAt(parameters, 1);
    m_textEmpty = TextAt(parameters, 2);
    m_textNoValue = TextAt(parameters, 3);
    m_textDone = TextAt(parameters, 4);
    EmptySelection();
    if (m_typeMask & kCarBit)
        for (CWorldObject* car : OwnedCars)
            if (car)
                AddCar(car, SalePrice(CarValue(car), m_usury));
    for (const ObjectInstance& record : ObjectInstances) {
        CObjectNode* item = record.object;
        const CObjectLogic* data = item ? item->objectLogic : nullptr;
        const int32_t kind = item ? InstanceObjectKind(item) : -1;
        if (!data || !KindSelected(kind, m_typeMask))
            continue;
        const CKindData* kindData = data->EffectiveKindData();
        const float value = kindData ? kindData->Price() : 0.0f;
        const int32_t price = kind == KIND_TOOL ? SalePrice(value, m_usury, data->GetKindValue(), 1.0f)
                                                : SalePrice(value, m_usury);
        AddItem(item, nullptr, item->objectLogic, price);
    }
    if (SelectMenu.entries.empty()) {
        Answer(CurrentCharacter, m_textEmpty);
        return;
    }
    OpenSelection(kSelling);
    m_bubbleDuration = 0;
}

bool CSellTask::Update(CObjectLogic& logic)
{
    if (m_bubbleDuration != 0)
        return Wait(logic);
    switch (TradeListOpen) {
    case kSelling:
        return true;
    case kNothingOfValue:
        Answer(logic.worldNode, m_textNoValue);
        break;
    case kSold:
        Answer(logic.worldNode, m_textDone);
        if ((m_typeMask & kLootBit) && Cash >= 50)
            Tutorial.NextPage(6);
        break;
    default:
        return false;
    }
    TradeListOpen = 0;
    return true;
}

// ---------------------------------------------------------------- Buy

void CBuyTask::Start(CObjectLogic& logic, TaskParamList& parameters)
{
    m_typeMask = NumberAt(parameters, 0);
    m_levelFrom = NumberAt(parameters, 1);
    m_levelTo = NumberAt(parameters, 2);
    m_textEmpty = TextAt(parameters, 3);
    m_textTooExpensive = TextAt(parameters, 4);
    m_textDone = TextAt(parameters, 5);
    EmptySelection();
    if (m_typeMask & kCarBit)
        for (CWorldObject* car : CarList) {
            const CKindData* data = car && car->objectLogic ? car->objectLogic->EffectiveKindData() : nullptr;
            if (!data || data->kind != KIND_CAR ||
                std::find(OwnedCars.begin(), OwnedCars.end(), car) != OwnedCars.end())
                continue;
            if (InLevels(*data, m_levelFrom, m_levelTo) && data->Price() >= 1e-20f)
                AddCar(car, int32_t(data->Price()));
        }
    // The dealer's goods are the objects it keeps below itself.
    for (CNode* n = logic.worldNode ? logic.worldNode->GetFirstChild() : nullptr; n; n = n->GetNext()) {
        auto* item = dynamic_cast<CWorldObject*>(n);
        CObjectLogic* data = item ? item->objectLogic : nullptr;
        const CKindData* kindData = data ? data->EffectiveKindData() : nullptr;
        CObjectNode* definition = item ? item->Definition() : nullptr;
        if (!kindData || !definition || !KindSelected(kindData->kind, m_typeMask) || GangHas(definition) ||
            kindData->minBurglaryLevel > BurglaryLevel)
            continue;
        AddItem(nullptr, item, data, int32_t(kindData->Price()));
    }
    if (SelectMenu.entries.empty()) {
        Answer(logic.worldNode, m_textEmpty);
        return;
    }
    OpenSelection(kBuying);
    m_bubbleDuration = 0;
}

bool CBuyTask::Update(CObjectLogic& logic)
{
    if (m_bubbleDuration != 0)
        return Wait(logic);
    switch (TradeListOpen) {
    case kBuying:
        return true;
    case kTooExpensive:
        Answer(logic.worldNode, m_textTooExpensive);
        break;
    case kBought:
        Answer(logic.worldNode, m_textDone);
        break;
    default:
        return false;
    }
    TradeListOpen = 0;
    return true;
}
