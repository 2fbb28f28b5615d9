#include "GAMES/Rulo2/behaviour/tasks/BarTasks.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "GAMES/Rulo2/behaviour/ActionCode.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/CTaskParam.h"
#include "GAMES/Rulo2/behaviour/tasks/TaskHelpers.h"
#include "GAMES/Rulo2/navigation/PathFinder.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "platform/crt/Crt.h"

using namespace tasks;

namespace {

constexpr float kTwoPi = 6.2831855f;

// The server tasks alive now: a guest checks its server here before it touches it.
std::vector<CBarServerTask*> g_LiveServers;
uint32_t g_NextSerial = 1;

float Random()
{
    return float(crt::rand()) / 32767.0f;
}

CBarClientTask* GuestTask(const CWorldObject* occupant)
{
    return occupant && occupant->objectLogic ? dynamic_cast<CBarClientTask*>(occupant->objectLogic->Task())
                                             : nullptr;
}

bool Joinable(const CWorldObject* occupant)
{
    const CBarClientTask* guest = GuestTask(occupant);
    return guest && guest->joinable;
}

} // namespace

// ---------------------------------------------------------------- Bar Server

CBarServerTask::CBarServerTask() : serial(g_NextSerial++)
{
    g_LiveServers.push_back(this);
}

CBarServerTask::~CBarServerTask()
{
    std::erase(g_LiveServers, this);
}

CBarServerTask* CBarServerTask::Live(const CBarServerTask* server, uint32_t serial)
{
    for (CBarServerTask* s : g_LiveServers)
        if (s == server && s->serial == serial)
            return s->logic && s->logic->Task() == s ? s : nullptr;
    return nullptr;
}

void CBarServerTask::Start(CObjectLogic& owner, TaskParamList& parameters)
{
    owner.timeLimited = 1;
    logic = &owner;
    for (int32_t i = 0; i < kPlaces; ++i) {
        auto* p = ParamAs<CPositionParam>(parameters, size_t(i));
        places[i].position = p ? CVector(p->x, p->y, p->z) : CVector(0, 0, 0);
        places[i].angle = 0.0f;
        places[i].free = 1;
        places[i].occupant = nullptr;
    }
    for (int32_t t = 0; t < 3; ++t) {
        const CVector d = places[2 * t + 1].position - places[2 * t].position;
        const float a = d.angleAround(1);
        places[2 * t].angle = a + 1.5707964f;
        places[2 * t + 1].angle = places[2 * t].angle + 3.1415927f;
    }
}

bool CBarServerTask::Update(CObjectLogic& owner)
{
    owner.lastActivity = Now();
    return true;
}

bool CBarServerTask::FindTableSeat(int32_t& table, int32_t& seat) const
{
    for (int32_t t = 0; t < 3; ++t) {
        const SBarPlace& a = places[2 * t];
        const SBarPlace& b = places[2 * t + 1];
        if (a.free != b.free && Joinable(a.free ? b.occupant : a.occupant)) {
            table = t;
            seat = a.free ? 0 : 1;
            return true;
        }
    }
    for (int32_t t = 0; t < 3; ++t)
        if (places[2 * t].free && places[2 * t + 1].free) {
            table = t;
            seat = 0;
            return true;
        }
    table = seat = -1;
    return false;
}

bool CBarServerTask::FindFreeShakeSpot(int32_t& index) const
{
    for (int32_t i = 0; i < kShakeSpots; ++i)
        if (places[kSeats + i].free) {
            index = i;
            return true;
        }
    index = -1;
    return false;
}

// ---------------------------------------------------------------- Bar Client

CBarClientTask::~CBarClientTask()
{
    // A guest that goes while its server lives gives its place back.
    CBarServerTask* server = CBarServerTask::Live(m_server, m_serial);
    CWorldObject* self = Self();
    if (!server || !self)
        return;
    for (SBarPlace& p : server->places)
        if (p.occupant == self) {
            p.free = 1;
            p.occupant = nullptr;
        }
}

CWorldObject* CBarClientTask::Self() const
{
    return m_logic ? m_logic->worldNode : nullptr;
}

CBarServerTask* CBarClientTask::Server()
{
    CBarServerTask* server = CBarServerTask::Live(m_server, m_serial);
    if (!server)
        m_server = nullptr;
    return server;
}

void CBarClientTask::GoToPlace(SBarPlace& place, float angle)
{
    m_targetAngle = angle;
    PATHFINDER* path = m_logic ? m_logic->GetPathfinder() : nullptr;
    if (path)
        path->WalkTo(place.position, nullptr);
    else
        mode = nextMode = 0;
    place.free = 0;
    place.occupant = Self();
}

void CBarClientTask::GoToSeat(SBarPlace& place, float angle)
{
    mode = 1;
    nextMode = 2;
    GoToPlace(place, angle);
}

void CBarClientTask::LeaveSeat()
{
    CBarServerTask* server = Server();
    if (!server)
        return;
    for (int32_t i = 0; i < CBarServerTask::kSeats; ++i)
        if (server->places[i].occupant == Self()) {
            server->places[i].free = 1;
            server->places[i].occupant = nullptr;
            return;
        }
}

bool CBarClientTask::GoToTableSeat(CBarServerTask& server)
{
    int32_t table = -1, seat = -1;
    if (!server.FindTableSeat(table, seat))
        return false;
    SBarPlace& place = server.places[2 * table + seat];
    GoToSeat(place, place.angle);
    return true;
}

bool CBarClientTask::GoToShakeSpot(CBarServerTask& server)
{
    int32_t spot = -1;
    if (!server.FindFreeShakeSpot(spot))
        return false;
    mode = 1;
    nextMode = 3;
    GoToPlace(server.places[CBarServerTask::kSeats + spot], Random() * kTwoPi);
    return true;
}

void CBarClientTask::Start(CObjectLogic& logic, TaskParamList& parameters)
{
    logic.timeLimited = 1;
    m_logic = &logic;
    m_server = nullptr;
    CWorldObject* object = ObjectAt(parameters, 0);
    CTask* running = object && object->objectLogic ? object->objectLogic->Task() : nullptr;
    if (auto* server = dynamic_cast<CBarServerTask*>(running)) {
        m_server = server;
        m_serial = server->serial;
    }
    if (Random() <= 0.5f) {
        if (m_server)
            GoToShakeSpot(*m_server);
    } else if (m_server) {
        GoToTableSeat(*m_server);
    }
    m_stayEnd = int32_t(float(Now()) + Random() * 20'000.0f) + 10'000;
    talkState = 2;
}

bool CBarClientTask::Update(CObjectLogic& logic)
{
    m_logic = &logic;
    CBarServerTask* server = Server();
    if (!server)
        return false;
    CWorldObject* self = Self();
    const int32_t now = Now();
    if (now > m_stayEnd) {
        if (mode == 2 || nextMode == 2) {
            m_stayEnd = int32_t(float(now) + Random() * 50'000.0f) + 10'000;
            LeaveSeat();
            GoToShakeSpot(*server);
        } else {
            m_stayEnd = int32_t(float(now) + Random() * 30'000.0f) + 30'000;
            if (mode == 3 || nextMode == 3) {
                for (int32_t i = CBarServerTask::kSeats; i < CBarServerTask::kPlaces; ++i) {
                    SBarPlace& spot = server->places[i];
                    if (spot.occupant == self) {
                        spot.free = 1;
                        spot.occupant = nullptr;
                        logic.PlayAnimation("STAND");
                        break;
                    }
                }
            }
            GoToTableSeat(*server);
        }
    }
    switch (mode) {
    case 1:
        if (PATHFINDER* path = logic.GetPathfinder(); path && !path->Update()) {
            // Set directly: arriving at a place is not a recorded turn.
            if (self)
                self->angle = m_targetAngle;
            mode = nextMode;
        }
        break;
    case 2:
        UpdateTalk();
        break;
    case 3:
        logic.PlayAnimation("SMURF");
        break;
    default:
        break;
    }
    if (RequestPending && !RequestQueue.empty() &&
        ActionCode::Matches(RequestQueue.front(), {0, 0, self, 0}, nullptr)) {
        RequestQueue.front().handled = 1;
        joinable = 0;
    }
    return true;
}

void CBarClientTask::UpdateTalk()
{
    CBarServerTask* server = Server();
    CWorldObject* self = Self();
    int32_t own = -1;
    for (int32_t i = 0; server && i < CBarServerTask::kSeats; ++i)
        if (server->places[i].occupant == self)
            own = i;
    CWorldObject* partner = own >= 0 ? server->places[own ^ 1].occupant : nullptr;
    if (partner && !(partner->objectLogic && partner->objectLogic->Task()))
        partner = nullptr;
    const CBarClientTask* partnerTask = GuestTask(partner);
    const bool partnerTalking = partnerTask && partnerTask->talkState == 1;
    const int32_t now = Now();
    auto talkTime = [now] { return now + 2000 + int32_t(Random() * 10'000.0f + 0.49f); };
    switch (talkState) {
    case 0:
        m_logic->PlayAnimation("STAND");
        if (m_talkTimer < now)
            talkState = 2;
        break;
    case 1:
        m_logic->PlayAnimation("TALK");
        if (own < 0 || !partner) {
            talkState = 2;
            m_talkTimer = now;
        } else if (m_talkTimer < now) {
            talkState = 0;
            m_talkTimer = talkTime();
        }
        break;
    default:
        m_logic->PlayAnimation("STAND");
        if (own >= 0 && partner && !partnerTalking) {
            talkState = 1;
            m_talkTimer = talkTime();
        }
        break;
    }
}
