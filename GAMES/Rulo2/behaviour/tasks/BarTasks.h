#pragma once
// A bar with guests: the server task holds the places (three tables of two
// seats, three shake spots); each guest takes a free place, walks there, talks
// in turns with the guest across its table or dances at a shake spot, and
// moves on after a random stay.
#include <cstdint>

#include "GAMES/Rulo2/behaviour/CTask.h"
#include "LIBS/System/CVector.h"

class CWorldObject;

struct SBarPlace
{
    CVector position{0, 0, 0};
    float angle = 0.0f; // the direction a guest faces; seats only
    uint8_t free = 0;
    CWorldObject* occupant = nullptr;
};

class CBarServerTask : public CTask
{
public:
    static constexpr int32_t kSeats = 6, kShakeSpots = 3, kPlaces = kSeats + kShakeSpots;

    CBarServerTask();
    ~CBarServerTask() override;
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
    bool Update(CObjectLogic& logic) override;

    // Table 0-2 and seat 0-1 of the place a guest that wants a table gets; -1, -1 and false when none.
    bool FindTableSeat(int32_t& table, int32_t& seat) const;
    // The first free shake spot (0-2); -1 and false when all are taken.
    bool FindFreeShakeSpot(int32_t& index) const;

    // The server task with that serial when it is still alive and still its object's running task.
    static CBarServerTask* Live(const CBarServerTask* server, uint32_t serial);

    SBarPlace places[kPlaces];
    uint32_t serial = 0;
    CObjectLogic* logic = nullptr;
};

class CBarClientTask : public CTask
{
public:
    ~CBarClientTask() override;
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
    bool Update(CObjectLogic& logic) override;

    void GoToPlace(SBarPlace& place, float angle);
    void GoToSeat(SBarPlace& place, float angle);
    void LeaveSeat();
    void UpdateTalk();

    int32_t talkState = 2; // 0 pause, 1 talking, 2 waiting for its turn
    // The seat choice seats a guest beside this one only while it is set; the player's hand clears it.
    uint8_t joinable = 1;
    int32_t mode = 0; // 0 no place, 1 walking to a place, 2 at a table seat, 3 at a shake spot
    int32_t nextMode = 0;

private:
    CWorldObject* Self() const;
    // The server while it still runs; null (and forgotten) once it is gone.
    CBarServerTask* Server();
    bool GoToTableSeat(CBarServerTask& server);
    bool GoToShakeSpot(CBarServerTask& server);

    CObjectLogic* m_logic = nullptr;
    CBarServerTask* m_server = nullptr;
    uint32_t m_serial = 0;
    int32_t m_stayEnd = 0;
    int32_t m_talkTimer = 0;
    float m_targetAngle = 0.0f;
};
