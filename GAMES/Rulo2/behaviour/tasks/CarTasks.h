#pragma once
// Cars: a taxi and the getaway car that the hero gets into and out of, a
// police car that chases an object, a car that only stands, a car driven to a
// target (which as a taxi also runs the ride with its fee and destination
// question), and the map areas that are the taxi's destinations.
#include <cstdint>
#include <string>
#include <vector>

#include "GAMES/Rulo2/behaviour/CActionEntry.h"
#include "GAMES/Rulo2/behaviour/CTask.h"
#include "LIBS/System/CVector.h"

class CCar;
class CWorldObject;

// The 29 slots of the taxi's destination question, in order; null is a blank line.
extern const char* const TaxiDestinationSlots[29];

// One line of the destination question: -2 a blank line, -1 "don't want to drive", else a map spot.
struct STaxiChoice
{
    std::string text;
    int32_t value = -2;
};
// The question's text (the greeting first) and its choices, built from the map spots.
std::string BuildTaxiQuestion(const char* greeting, std::vector<STaxiChoice>& choices);

class CTaxiTask : public CTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
    bool Update(CObjectLogic& logic) override;

private:
    CWorldObject* m_entered = nullptr;
    CWorldObject* m_object = nullptr;
    CActionEntry m_code;
    int32_t m_stopTime = 0;
    uint8_t m_stopSeen = 0;
    uint8_t m_aligned = 0;
};

class CPolizeiautoTask : public CTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
    bool Update(CObjectLogic& logic) override;

private:
    CWorldObject* m_destination = nullptr;
    int32_t m_planned = 0;
};

class CFluchtwagenTask : public CTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
    bool Update(CObjectLogic& logic) override;

private:
    CActionEntry m_code;
    CWorldObject* m_object = nullptr;
    CWorldObject* m_entered = nullptr;
    CWorldObject* m_destination = nullptr;
};

class CDynamicCarTask : public CTask
{
public:
    void Start(CObjectLogic&, TaskParamList&) override { m_word = 0; }
    bool Update(CObjectLogic&) override { return true; }

private:
    int32_t m_word = 0;
};

class CCarTargetTask : public CTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
    bool Update(CObjectLogic& logic) override;

    // The fee the display text of "TAXI_FEE" names; 0 when it is no number.
    static int32_t Fee();

private:
    void LeaveTaxi(CCar& car);
    bool IsTaxiType() const;

    CVector m_target{0, 0, 0};
    int32_t m_driveMode = 0;
    int32_t m_ride = 0;
    CWorldObject* m_object = nullptr;
    uint8_t m_taxiComing = 0;
    uint8_t m_walking = 0;
    int32_t m_walkStart = 0;
    int32_t m_question = 0; // 0 none, 1 greeting shown, 2 destinations shown
    int32_t m_greetingEnd = 0;
    std::vector<STaxiChoice> m_choices;
    CWorldObject* m_commander = nullptr;
    CCar* m_car = nullptr;
    CObjectLogic* m_logic = nullptr;
    uint8_t m_taxiFlag = 0;
    CActionEntry m_code;
};

class CMapAreaTask : public CTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
    bool Update(CObjectLogic&) override { return false; }
};
