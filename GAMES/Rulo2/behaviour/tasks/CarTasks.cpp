#include "GAMES/Rulo2/behaviour/tasks/CarTasks.h"

#include <chrono>
#include <cstdlib>
#include <strings.h>

#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/app/CGameSoundManager.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/behaviour/ActionCode.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/CTaskParam.h"
#include "GAMES/Rulo2/behaviour/Feedback.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/behaviour/RecordEvents.h"
#include "GAMES/Rulo2/behaviour/tasks/TaskHelpers.h"
#include "GAMES/Rulo2/interface/CMapMenu.h"
#include "GAMES/Rulo2/interface/CMenu.h"
#include "GAMES/Rulo2/interface/CTextTree.h"
#include "GAMES/Rulo2/interface/HudState.h"
#include "GAMES/Rulo2/navigation/CCar.h"
#include "GAMES/Rulo2/navigation/PathFinder.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "LIBS/System/LogPrintf.h"

using namespace tasks;

const char* const TaxiDestinationSlots[29] = {
    "CAB_01", nullptr,  "CAB_02", "CAB_03", "CAB_04", "CAB_06", nullptr,  "CAB_08", "CAB_09", "CAB_07",
    nullptr,  "CAB_14", "CAB_16", "CAB_13", "CAB_05", "CAB_15", "CAB_12", "CAB_21", "CAB_17", "CAB_23",
    "CAB_22", "CAB_24", "CAB_26", "CAB_19", "CAB_10", "CAB_11", "CAB_25", "CAB_20", "CAB_18",
};

namespace {

constexpr int32_t kTaxiMode = 1, kGetawayMode = 2;
constexpr int32_t kWalkGiveUp = 10'000;
constexpr int32_t kAlignDelay = 2000;
constexpr uint8_t kDisplayFlag16 = 16;

// Areas that never register as taxi destinations.
const char* const kUnregisteredAreas[] = {"CAB_02", "CAB_03", "CAB_04", "CAB_06", "CAB_10", "CAB_11",
                                          "CAB_12", "CAB_15", "CAB_17", "CAB_18", "CAB_19", "CAB_20",
                                          "CAB_21", "CAB_22", "CAB_23", "CAB_25", "CAB_26"};

CActionEntry* Pending()
{
    if (!RequestPending || RequestQueue.empty() || RequestQueue.front().handled)
        return nullptr;
    return &RequestQueue.front();
}

// The car's own code: a hand laid on the car itself.
bool MatchesOwnCode(const CActionEntry& command, const CActionEntry& code, CWorldObject* car)
{
    return ActionCode::Matches(command, {code.action < 0 ? 0 : code.action, 0, code.target, 0}, car);
}

bool HasPathLeft(const CCar& car)
{
    return size_t(car.wayPointIndex) < car.wayPoints.size();
}

// Braking that has brought the car to a stand; while it still slows down it counts as moving.
bool StoppedByBrake(const CCar& car)
{
    return car.braking && car.speed < 1e-20f;
}

// Still on its way: points left and not braked to a stop.
bool Moving(const CCar& car)
{
    return HasPathLeft(car) && !StoppedByBrake(car);
}

void ClearPath(CCar& car)
{
    car.wayPoints.clear();
    car.wayPointIndex = 0;
}

void PlayAtHero(const char* sound)
{
    if (SoundManager)
        SoundManager->play(sound, CurrentCharacter, 0, 0, 0, 5.0f, 1.0f, 1.0f, 0);
}

// Enter and leave on the player's command, shared by the taxi and the getaway car.
void EnterOrLeave(CWorldObject* self, CCar* car, const CActionEntry& code, int32_t mode,
                  CWorldObject** entered, bool walkOnLeaving)
{
    CActionEntry* command = Pending();
    if (!command)
        return;
    if (VehicleMode == mode && command->action == 8) {
        command->handled = 1;
        CVector hit(0, 0, 0);
        if (car && GroundHit(*command, &hit))
            car->PlanPath(hit, 1, true);
    }
    if (!MatchesOwnCode(*command, code, self))
        return;
    command->handled = 1;
    if (!IsHero(self)) {
        *entered = CurrentCharacter;
        StoredCharacter = *entered;
        CurrentCharacter = self;
        SetDisplayFlag(*entered, true);
        VehicleMode = mode;
        return;
    }
    CWorldObject* character = *entered;
    if (character) {
        CVector point(0, 0, 0);
        CWorldObject* ground = nullptr;
        if (self->FindNearestAttackPoint(character->position, &point, &ground, nullptr))
            character->position = point;
        if (walkOnLeaving && character->objectLogic)
            if (PATHFINDER* path = character->objectLogic->GetPathfinder())
                path->WalkTo(character->position, nullptr);
        CurrentCharacter = character;
        SetDisplayFlag(character, false);
    }
    VehicleMode = 0;
}

bool StartsWithTaxi(const char* name)
{
    return name && strncasecmp(name, "taxi", 4) == 0;
}

const char* TypeName(const CWorldObject* object)
{
    const CObjectNode* definition = object ? object->Definition() : nullptr;
    if (definition && definition->GetName())
        return definition->GetName();
    return object ? object->GetName() : nullptr;
}

} // namespace

std::string BuildTaxiQuestion(const char* greeting, std::vector<STaxiChoice>& choices)
{
    // The old lines go from the last to the first.
    while (!choices.empty())
        choices.pop_back();
    std::string text = greeting ? greeting : "";
    for (const char* slot : TaxiDestinationSlots) {
        if (!slot) {
            text += "\n";
            choices.push_back({"", -2});
            continue;
        }
        for (size_t i = 0; i < MapSpots.size(); ++i) {
            if (strcasecmp(MapSpots[i].name.c_str(), slot) != 0)
                continue;
            const std::string line = GetDisplayText(MapSpots[i].name.c_str());
            text += line + "\n";
            choices.push_back({line, int32_t(i)});
        }
    }
    text += "\n";
    choices.push_back({"", -2});
    const std::string dontWant = GetDisplayText("TAXI_DONTWANNADRIVE");
    text += dontWant;
    choices.push_back({dontWant, -1});
    return text;
}

// ---------------------------------------------------------------- Taxi

void CTaxiTask::Start(CObjectLogic& logic, TaskParamList&)
{
    m_entered = nullptr;
    m_code = CActionEntry();
    m_object = logic.worldNode;
    if (CCar* car = logic.GetCar(); car && m_object)
        car->BindModel(&logic, m_object->position, false);
    m_stopSeen = 0;
    m_aligned = 0;
}

bool CTaxiTask::Update(CObjectLogic& logic)
{
    logic.lastActivity = Now();
    CCar* car = logic.GetCar();
    if (m_object)
        EnterOrLeave(m_object, car, m_code, kTaxiMode, &m_entered, false);
    if (!car)
        return true;
    car->Drive(m_object);
    if (Moving(*car)) {
        m_stopSeen = 0;
        m_aligned = 0;
        return true;
    }
    if (!m_stopSeen) {
        m_stopSeen = 1;
        m_stopTime = Now();
    } else if (car->state != 1 && !car->braking && !m_aligned && Elapsed(Now(), m_stopTime, kAlignDelay)) {
        car->AlignToGround();
        m_aligned = 1;
    }
    return true;
}

// ---------------------------------------------------------------- Polizeiauto

void CPolizeiautoTask::Start(CObjectLogic& logic, TaskParamList& parameters)
{
    m_destination = ObjectAt(parameters, 0);
    if (CCar* car = logic.GetCar(); car && logic.worldNode)
        car->BindModel(&logic, logic.worldNode->position, false);
    m_planned = Now();
}

bool CPolizeiautoTask::Update(CObjectLogic& logic)
{
    logic.lastActivity = Now();
    CCar* car = logic.GetCar();
    if (!car)
        return true;
    CCar* chased =
        m_destination && m_destination->objectLogic ? m_destination->objectLogic->GetCar() : nullptr;
    if (chased && chased->currentPiece == car->currentPiece)
        TriggerAlarm("police car caught you", RecorderIdOf(logic.worldNode));
    car->Drive(logic.worldNode);
    if (m_destination && Elapsed(Now(), m_planned, 1000)) {
        car->PlanPath(m_destination->position, 0, false);
        m_planned = Now();
    }
    return true;
}

// ---------------------------------------------------------------- Fluchtwagen

void CFluchtwagenTask::Start(CObjectLogic& logic, TaskParamList& parameters)
{
    m_code = CActionEntry();
    m_entered = nullptr;
    m_object = logic.worldNode;
    m_destination = ObjectAt(parameters, 0);
    if (CCar* car = logic.GetCar(); car && m_object)
        car->BindModel(&logic, m_object->position, false);
}

bool CFluchtwagenTask::Update(CObjectLogic& logic)
{
    logic.lastActivity = Now();
    CCar* car = logic.GetCar();
    if (m_object)
        EnterOrLeave(m_object, car, m_code, kGetawayMode, &m_entered, true);
    if (!car || !m_destination)
        return true;
    if (VehicleMode == kGetawayMode && (!HasPathLeft(*car) || StoppedByBrake(*car)))
        car->PlanPath(m_destination->position, 0, false);
    car->Drive(m_object);
    return true;
}

// ---------------------------------------------------------------- Car Target

int32_t CCarTargetTask::Fee()
{
    return std::atoi(GetDisplayText("TAXI_FEE"));
}

bool CCarTargetTask::IsTaxiType() const
{
    return StartsWithTaxi(TypeName(m_object));
}

void CCarTargetTask::Start(CObjectLogic& logic, TaskParamList& parameters)
{
    CWorldObject* self = logic.worldNode;
    if (GamePhase != PHASE_REALTIME || ResultsMenuOpen) {
        if (self)
            self->flags = 2;
        return;
    }
    const auto began = std::chrono::steady_clock::now();
    if (self)
        self->flags = 0;
    if (auto* p = ParamAs<CPositionParam>(parameters, 0))
        m_target = CVector(p->x, p->y, p->z);
    m_driveMode = NumberAt(parameters, 1);
    m_logic = &logic;
    m_object = self;
    m_car = logic.GetCar();
    if (!m_car)
        return;
    ClearPath(*m_car);
    m_car->BindModel(&logic, self ? self->position : CVector(0, 0, 0), false);
    m_car->PlanPath(m_target, 0, false);
    if (m_driveMode == 1 || m_driveMode == 2)
        m_car->speed = m_car->maxSpeed;
    m_car->slowAtEnd = (m_driveMode == 1 || m_driveMode == 3) ? 1 : 0;
    if (LoggingSwitch)
        LogPrintf("car created: %d msecs", int32_t(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                       std::chrono::steady_clock::now() - began)
                                                       .count()));
    m_ride = 0;
    m_taxiComing = 0;
    m_walking = 0;
    m_question = 0;
    m_taxiFlag = IsTaxiType() ? 1 : 0;
}

void CCarTargetTask::LeaveTaxi(CCar& car)
{
    CWorldObject* character = StoredCharacter;
    CWorldObject* taxi = CurrentCharacter;
    if (character)
        SetDisplayFlag(character, false);
    VehicleMode = 0;
    car.SetBraking(false);
    PATHFINDER* path =
        character && character->objectLogic ? character->objectLogic->GetPathfinder() : nullptr;
    if (path) {
        CVector point(0, 0, 0);
        CWorldObject* ground = nullptr;
        if (taxi && taxi->FindNearestAttackPoint(character->position, &point, &ground, nullptr)) {
            path->PlaceAt(point);
            path->WalkTo(point, ground);
        }
        path->Stop();
        PlayAtHero("WINDOW_SHUT");
        character->objectLogic->PlayAnimation("STAND");
    } else {
        LogPrintf("No Path found");
    }
    if (taxi)
        taxi->flags &= uint8_t(~kDisplayFlag16);
    CurrentCharacter = character;
}

bool CCarTargetTask::Update(CObjectLogic& logic)
{
    CWorldObject* self = logic.worldNode;
    if (GamePhase != PHASE_REALTIME || ResultsMenuOpen || BurglaryLevel == 2) {
        if (self)
            self->flags = 2;
        return true;
    }
    if (self)
        self->flags = 0;
    if (m_question)
        CurrentInteractionObject = nullptr;
    m_taxiFlag = VehicleMode == kTaxiMode ? (IsHero(self) ? 1 : 0) : (IsTaxiType() ? 1 : 0);
    logic.lastActivity = Now();
    CCar* car = logic.GetCar();
    if (!car)
        return false;
    if (CActionEntry* command = Pending(); command && command->action == 10 && command->target == self) {
        command->handled = 1;
        const int32_t index = command->choice;
        const int32_t value =
            index >= 0 && size_t(index) < m_choices.size() ? m_choices[size_t(index)].value : -2;
        if (value == -1) {
            car->SetBraking(false);
            LeaveTaxi(*car);
        } else if (value >= 0 && size_t(value) < MapSpots.size()) {
            ClearPath(*car);
            car->SetBraking(false);
            const MapSpot& spot = MapSpots[size_t(value)];
            car->PlanPath(CVector(spot.walkTarget[0], spot.walkTarget[1], spot.walkTarget[2]), 0, false);
        }
        RemoveTextBubble(self);
        m_question = 0;
    } else if (command && MatchesOwnCode(*command, m_code, self)) {
        const int32_t fee = Fee();
        if (VehicleMode == 0) {
            command->handled = 1;
            m_commander = command->source;
            if (!IsTaxiType()) {
                Say(m_commander, "NO_TAXI");
            } else if (Cash >= fee) {
                car->SetBraking(true);
                m_taxiComing = 1;
                PlayAtHero("WHISTLE");
            } else {
                Say(m_commander, "CANT_AFFORD_TAXI");
            }
        } else if (VehicleMode == kTaxiMode) {
            command->handled = 1;
            LeaveTaxi(*car);
            Cash -= fee;
        }
    }
    if (m_question == 1 && MenuClock() > m_greetingEnd) {
        ShowTextBubble(self, BuildTaxiQuestion(GetDisplayText("TAXI_QUESTION"), m_choices).c_str(), true);
        m_question = 2;
    }
    if (m_taxiComing && car->speed < 1e-20f) {
        m_taxiComing = 0;
        if (m_commander && m_commander->objectLogic)
            if (PATHFINDER* path = m_commander->objectLogic->GetPathfinder()) {
                CVector point(0, 0, 0);
                CWorldObject* ground = nullptr;
                if (self->FindNearestAttackPoint(m_commander->position, &point, &ground, nullptr))
                    path->WalkTo(point, ground);
            }
        m_walking = 1;
        m_walkStart = Now();
    }
    if (m_walking) {
        if (m_commander && self->IsAtAttackPoint(m_commander)) {
            if (!OptionsMenuOpen) {
                m_walking = 0;
                VehicleMode = kTaxiMode;
                StoredCharacter = CurrentCharacter;
                CurrentCharacter = self;
                SetDisplayFlag(StoredCharacter, true);
                if (StoredCharacter)
                    StoredCharacter->flags &= uint8_t(~kDisplayFlag16);
                car->PlanPath(self->position, 0, false);
                PlayAtHero("WINDOW_SHUT");
                const int32_t shown = ShowTextBubble(self, GetDisplayText("TAXI_QUESTION"), false);
                m_question = 1;
                m_greetingEnd = MenuClock() + shown;
            }
        } else if (Elapsed(Now(), m_walkStart, kWalkGiveUp)) {
            car->SetBraking(false);
            m_walking = 0;
        }
    }
    car->Drive(self);
    if (Moving(*car))
        return true;
    if (VehicleMode == 0 || !IsHero(self))
        return m_taxiComing || m_walking;
    if (VehicleMode == kTaxiMode && m_question == 0) {
        LeaveTaxi(*car);
        Cash -= Fee();
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- Map Area

void CMapAreaTask::Start(CObjectLogic&, TaskParamList& parameters)
{
    MapSpot spot;
    if (auto* p = ParamAs<CPositionParam>(parameters, 0)) {
        spot.position[0] = p->x;
        spot.position[2] = p->z;
    }
    if (auto* r = ParamAs<CRadiusParam>(parameters, 1))
        spot.radius = r->value;
    if (auto* p = ParamAs<CPositionParam>(parameters, 2)) {
        spot.walkTarget[0] = p->x;
        spot.walkTarget[1] = p->y;
        spot.walkTarget[2] = p->z;
    }
    if (auto* t = ParamAs<CTextParam>(parameters, 3))
        spot.name = t->text;
    for (const char* skipped : kUnregisteredAreas)
        if (strcasecmp(spot.name.c_str(), skipped) == 0)
            return;
    RegisterMapSpot(spot);
}
