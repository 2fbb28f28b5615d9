#pragma once
// The rating of a finished burglary: the gang's figures with the change of four attributes per
// member, the statistics (loot needed, loot value, loot gathered, time, par time) and the outcome,
// with one button: OK after a success, try again after a failure.
// Render: -1 while open, 1 OK (success), 0 try again (failure).
#include <cstdint>
#include <string>

#include "GAMES/Rulo2/interface/CMenu.h"

class CResultsMenu : public CMenu
{
public:
    static constexpr int32_t kMaxMembers = 4;
    enum
    {
        CLOSE_TRY_AGAIN = 1,
        CLOSE_OK = 2
    };

    CResultsMenu() = default;

    void Build(int32_t now);
    int32_t Render(int32_t now) override;
    void HandleInput() override;
    void UpdateHover(const MenuPoint* point) override;

    // The attribute lines of a member slot and the statistics' value texts, as drawn.
    std::string MemberLines(int32_t slot) const;
    std::string TimeText() const;
    std::string ParTimeText() const;
    // The outcome's reason key ("" after a success or for the alarm, whose text is the reason).
    const char* ReasonKey() const;

    float targetValue = 0.0f;
    float lootPercentage = 0.0f;
    uint8_t enoughLoot = 0;
    uint8_t okChosen = 0, tryAgainChosen = 0;
    int32_t introIndex = -1;
    int32_t statisticsIndexes[3] = {-2, -2, -2};
    int32_t burglaryTime = 0;
    std::string reasonText;
    int32_t memberPanels[kMaxMembers] = {-2, -2, -2, -2};
    float panelHeights[kMaxMembers] = {0, 0, 0, 0};
    struct MemberFigure
    {
        uint8_t present = 0;
        int32_t index = -2;
    } memberFigures[kMaxMembers];
    int32_t levelFigure = -2;
    int32_t firstButton = -2, lastButton = -2, button = -2;
    float firstCrimeRecords = 0.0f;
    uint8_t failure = 0;
    int32_t introRunning = 0;
    int32_t openTime = 0;
    int32_t underMouse = -1;
    // Per member: crime records, pick safes, pick locks, alarm systems at the build.
    float snapshots[kMaxMembers][4] = {};
    uint8_t closePending = 0;
    int32_t closeKind = 0;

private:
    float ShownCrimeRecords(int32_t slot) const;
};

extern CResultsMenu ResultsMenu;

// The loot value of the carried loot items the gang took.
float SumGatheredLoot();
