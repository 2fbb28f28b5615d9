#include "GAMES/Rulo2/behaviour/tasks/SceneTasks.h"

#include <cmath>
#include <cstring>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/app/CCdAudio.h"
#include "GAMES/Rulo2/app/CGameSoundManager.h"
#include "GAMES/Rulo2/app/CameraViews.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/CTaskParam.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/behaviour/RecordControl.h"
#include "GAMES/Rulo2/behaviour/tasks/TaskHelpers.h"
#include "GAMES/Rulo2/interface/CMenu.h"
#include "GAMES/Rulo2/navigation/DynamicCharacters.h"
#include "GAMES/Rulo2/navigation/PathFinder.h"
#include "GAMES/Rulo2/render/CGameCamera.h"
#include "GAMES/Rulo2/render/WorldFrame.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "LIBS/System/CMatrix.h"

using namespace tasks;

namespace {

constexpr float kPi = 3.1415927f;
constexpr int32_t kFadeMs = 3500;

std::string TextAt(TaskParamList& parameters, size_t i)
{
    auto* p = ParamAs<CTextParam>(parameters, i);
    return p ? p->text : std::string();
}

CVector Lerp(const CVector& a, const CVector& b, float f)
{
    return a + (b - a) * f;
}

bool OffInBurglary()
{
    return GamePhase == PHASE_BURGLARY || BurglaryLevel == 2;
}

void RemoveProximity(const CWorldObject* object)
{
    std::erase_if(ProximityList, [object](const SProximity& p) { return p.object == object; });
}

} // namespace

float EaseWeight(int32_t mode, float t)
{
    switch (mode) {
    case 0:
        return std::sin((t - 1.0f) * kPi / 2.0f) + 1.0f;
    case 1:
        return std::sin(t * kPi / 2.0f);
    case 2:
        return t;
    case 3:
        return (std::sin((t - 0.5f) * kPi) + 1.0f) * 0.5f;
    case 4:
        return 1.0f;
    default:
        return -1.0f;
    }
}

float ElapsedFraction(int32_t start, int32_t duration, int32_t now)
{
    if (duration <= 0 || now > start + duration)
        return 1.0f;
    return float(now - start) / float(duration);
}

// ---------------------------------------------------------------- Camera

void CCameraTask::Start(CObjectLogic&, TaskParamList& parameters)
{
    m_duration = NumberAt(parameters, 0);
    if (m_direct) {
        if (auto* camera = ParamAs<CCameraParam>(parameters, 1)) {
            m_endEye = CVector(camera->position[0], camera->position[1], camera->position[2]);
            m_endTarget = CVector(camera->target[0], camera->target[1], camera->target[2]);
        }
        m_mode = NumberAt(parameters, 2);
    } else {
        m_endEye = PositionAt(parameters, 1);
        m_endTarget = PositionAt(parameters, 2);
        m_mode = NumberAt(parameters, 3);
    }
    m_startEye = GameCamera.eye;
    m_startTarget = GameCamera.lookAt;
    m_start = Now();
}

bool CCameraTask::Update(CObjectLogic&)
{
    const float f = EaseWeight(m_mode, ElapsedFraction(m_start, m_duration, Now()));
    if (f >= 0.0f) {
        GameCamera.eye = Lerp(m_startEye, m_endEye, f);
        GameCamera.lookAt = Lerp(m_startTarget, m_endTarget, f);
    }
    return Now() <= m_start + m_duration;
}

// ---------------------------------------------------------------- Fog

void CFogTask::Start(CObjectLogic&, TaskParamList& parameters)
{
    m_duration = NumberAt(parameters, 0);
    m_to[0] = RadiusAt(parameters, 1);
    m_to[1] = RadiusAt(parameters, 2);
    for (int i = 0; i < 3; ++i)
        m_to[2 + i] = float(NumberAt(parameters, size_t(3 + i)));
    m_mode = NumberAt(parameters, 6);
    m_from[0] = FogStartInUse();
    m_from[1] = FogEndInUse();
    for (int i = 0; i < 3; ++i)
        m_from[2 + i] = float(CurrentFogColor[i]);
    m_start = Now();
}

bool CFogTask::Update(CObjectLogic&)
{
    const float f = EaseWeight(m_mode, ElapsedFraction(m_start, m_duration, Now()));
    if (f >= 0.0f) {
        float v[5];
        for (int i = 0; i < 5; ++i)
            v[i] = m_from[i] + (m_to[i] - m_from[i]) * f;
        // The scene's distances stand in for the player's without becoming the stored settings.
        SceneFogSet = 1;
        SceneFogStart = v[0];
        SceneFogEnd = v[1] < v[0] ? v[0] : v[1];
        for (int i = 0; i < 3; ++i)
            CurrentFogColor[i] = int16_t(v[2 + i]);
        if (DX.device) {
            const bool fogged = IsGameView() || FarViewFlag;
            CMatrix projection;
            projection.perspective(kPi / 4.0f, 0.75f, 0.1f, fogged ? SceneFogEnd : DefaultFarDistance);
            D3DMATRIX m;
            std::memcpy(m.m, projection.m, sizeof m.m);
            DX.device->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &m);
            if (DX.deviceInfo)
                SetFogStates(*DX.deviceInfo);
        }
    }
    return Now() <= m_start + m_duration;
}

// ---------------------------------------------------------------- Music

CMusicTask::~CMusicTask()
{
    if (m_object && !OffInBurglary())
        RemoveProximity(m_object);
}

void CMusicTask::Start(CObjectLogic& logic, TaskParamList& parameters)
{
    if (OffInBurglary())
        return;
    logic.timeLimited = 1;
    m_track = NumberAt(parameters, 0);
    m_radius = RadiusAt(parameters, 1);
    m_fadeStart = 0;
    m_object = logic.worldNode;
    ProximityList.push_back({m_object, m_radius, 0});
}

bool CMusicTask::Update(CObjectLogic& logic)
{
    if (OffInBurglary())
        return false;
    if (RequestPending && !RequestQueue.empty() && RequestQueue.front().action == 15 &&
        RequestQueue.front().target == m_object) {
        if (GamePhase == PHASE_PLANNING) {
            CdMusic.PlayTrack(m_track);
        } else if (CdMusic.GetTrack() != m_track) {
            // With nothing playing the switch comes at once.
            m_fadeStart = CdMusic.GetTrack() == -1 ? MenuClock() - (kFadeMs + 1) : MenuClock();
        }
    }
    if (m_fadeStart != 0) {
        const int32_t elapsed = MenuClock() - m_fadeStart;
        const int32_t v = Settings.musicVolume;
        if (elapsed > kFadeMs) {
            CdMusic.PlayTrack(m_track);
            CdMusic.SetVolume(v);
            m_fadeStart = 0;
        } else {
            logic.lastActivity = Now();
            CdMusic.SetVolume(((v - elapsed * v / kFadeMs) % 256) + 1);
        }
    }
    return true;
}

// ---------------------------------------------------------------- sounds

CEnvironmentSoundTask::~CEnvironmentSoundTask()
{
    if (m_handle != -1 && SoundManager)
        SoundManager->stop(m_handle);
    if (m_object)
        RemoveProximity(m_object);
}

void CEnvironmentSoundTask::Start(CObjectLogic& logic, TaskParamList& parameters)
{
    logic.timeLimited = 1;
    m_radius = RadiusAt(parameters, 0);
    m_sound = TextAt(parameters, 1);
    m_object = logic.worldNode;
    m_position = m_object ? m_object->position : CVector(0, 0, 0);
    if (SoundManager)
        m_handle = SoundManager->play(m_sound.c_str(), m_object, 1, 0, 1, m_radius, 1.0f, 1.0f, 0);
    ProximityList.push_back({m_object, m_radius, 0});
}

bool CEnvironmentSoundTask::Update(CObjectLogic& logic)
{
    if (CurrentCharacter && Distance(CurrentCharacter->position, m_position) <= m_radius)
        logic.lastActivity = Now();
    return true;
}

void CPlaySoundTask::Start(CObjectLogic& logic, TaskParamList& parameters)
{
    if (!SoundManager)
        return;
    m_sound = TextAt(parameters, 0);
    SoundManager->play(m_sound.c_str(), logic.worldNode, 0, 0, 0, 5.0f, 1.0f, 1.0f, 0);
}

// ---------------------------------------------------------------- CharacterC walk

void CCharacterCWalkTask::Start(CObjectLogic& logic, TaskParamList&)
{
    logic.timeLimited = 1;
    m_idling = false;
}

void CCharacterCWalkTask::BeginIdle(CObjectLogic& logic)
{
    static const char* const idles[] = {"IDLE_SWEAT", "IDLE_LOOKWATCH", "IDLE_SMOKE"};
    logic.PlayAnimation("STAND");
    const int32_t d = int32_t(RandomFraction() * 10'000.0f);
    m_idleDuration = d >= 501 ? d + 2000 : 0;
    m_idleStart = Now();
    m_idling = true;
    const int32_t k = int32_t(2.0f * RandomFraction() + 0.49f);
    logic.PlayAnimation(idles[k < 0 ? 0 : k > 2 ? 2 : k]);
}

bool CCharacterCWalkTask::Update(CObjectLogic& logic)
{
    if (!Settings.dynamicCharacters || IsHidden(logic.worldNode))
        return true;
    logic.lastActivity = Now();
    if (m_idling) {
        if (Now() > m_idleStart + m_idleDuration) {
            m_idling = false;
            DynamicCharacters.NewPath(logic.worldNode);
        }
        return true;
    }
    PATHFINDER* path = logic.GetPathfinder();
    if (!path)
        return true;
    if (!path->SettleAnimation())
        BeginIdle(logic);
    if (!path->Update())
        BeginIdle(logic);
    return true;
}

// ---------------------------------------------------------------- Action Walk

void CActionWalkTask::Start(CObjectLogic& logic, TaskParamList& parameters)
{
    m_target = PositionAt(parameters, 0);
    for (size_t i = 0; i < 3; ++i)
        m_actions[i] = TextAt(parameters, 1 + i);
    m_from = NumberAt(parameters, 4);
    m_to = NumberAt(parameters, 5);
    m_pause = Now() + m_from + int32_t(RandomFraction() * float(m_to - m_from) + 0.49f);
    m_walking = true;
    if (PATHFINDER* path = logic.GetPathfinder())
        path->WalkTo(m_target, nullptr);
}

bool CActionWalkTask::Update(CObjectLogic& logic)
{
    PATHFINDER* path = logic.GetPathfinder();
    if (!path)
        return false;
    if (m_walking) {
        if (!path->Update())
            return false;
        if (Now() > m_pause) {
            path->Stop();
            logic.PlayAnimation(m_actions[0].c_str());
            m_walking = false;
        }
    } else if (logic.animationEnded) {
        path->WalkTo(m_target, nullptr);
        m_pause = Now() + m_to;
        m_walking = true;
    }
    return true;
}
