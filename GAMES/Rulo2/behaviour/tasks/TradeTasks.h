#pragma once
// Dealers: a character that buys what the gang can sell (tools, cars, loot)
// at its own price, or offers what it has; the selection screen carries out
// the trade and the dealer answers its result with a bubble.
#include <cstdint>
#include <string>

#include "GAMES/Rulo2/behaviour/CTask.h"

class CWorldObject;

// What a sold item fetches: the value less the usury percentage, a tool's
// also scaled by its condition (current over full amount; 1 when the full
// amount is not above 0). Whole dollars, truncated.
int32_t SalePrice(float value, int32_t usuryPercent, float current = 1.0f, float full = 1.0f);

// The answering half both dealers share: a bubble, then the end of the task
// once its time is over or the player turns to something else.
class CTradeTask : public CTask
{
protected:
    // Shows the text key as a bubble on the owner and keeps its time.
    void Answer(CWorldObject* owner, const std::string& key);
    // The bubble time and the player's commands while it shows; false ends the task.
    bool Wait(CObjectLogic& logic);

    int32_t m_typeMask = 0;
    int32_t m_bubbleDuration = 0; // 0 while no bubble shows
    int32_t m_bubbleStart = 0;
    CWorldObject* m_bubbleOwner = nullptr;
};

class CSellTask : public CTradeTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
    bool Update(CObjectLogic& logic) override;

private:
    int32_t m_usury = 0;
    std::string m_textEmpty, m_textNoValue, m_textDone;
};

class CBuyTask : public CTradeTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
    bool Update(CObjectLogic& logic) override;

private:
    int32_t m_levelFrom = 0, m_levelTo = 0;
    std::string m_textEmpty, m_textTooExpensive, m_textDone;
};
