#pragma once
// Staging scenes from task lists: the game camera and the fog eased to new
// values, a jukebox whose CD track the player can switch on, looping and
// one-shot sounds, passers-by that walk the streets with idle pauses, and a
// character that walks to a place with a pause for an action on the way.
#include <cstdint>
#include <string>

#include "GAMES/Rulo2/behaviour/CTask.h"
#include "LIBS/System/CVector.h"

class CWorldObject;

// The weight of an easing mode at the elapsed fraction t (0 to 1): 0 slow
// start, 1 slow end, 2 linear, 3 slow start and end, 4 at once; a negative
// value for modes above 4, which leave the values unchanged.
float EaseWeight(int32_t mode, float t);
// The elapsed fraction of a timed change: 1 once the duration is over or not positive.
float ElapsedFraction(int32_t start, int32_t duration, int32_t now);

class CCameraTask : public CTask
{
public:
    explicit CCameraTask(bool direct = false) : m_direct(direct) {}
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
    bool Update(CObjectLogic& logic) override;

private:
    bool m_direct;
    CVector m_startEye{0, 0, 0}, m_startTarget{0, 0, 0};
    CVector m_endEye{0, 0, 0}, m_endTarget{0, 0, 0};
    int32_t m_duration = 0;
    int32_t m_mode = 0;
    int32_t m_start = 0;
};

class CDirectCameraTask : public CCameraTask
{
public:
    CDirectCameraTask() : CCameraTask(true) {}
};

class CFogTask : public CTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
    bool Update(CObjectLogic& logic) override;

private:
    float m_from[5] = {}; // fog start, fog end, red, green, blue
    float m_to[5] = {};
    int32_t m_duration = 0;
    int32_t m_mode = 0;
    int32_t m_start = 0;
};

class CMusicTask : public CTask
{
public:
    ~CMusicTask() override;
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
    bool Update(CObjectLogic& logic) override;

private:
    int32_t m_track = 0;
    float m_radius = 0.0f;
    int32_t m_fadeStart = 0; // interface clock; 0 while no fade runs
    CWorldObject* m_object = nullptr;
};

class CEnvironmentSoundTask : public CTask
{
public:
    ~CEnvironmentSoundTask() override;
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
    bool Update(CObjectLogic& logic) override;

private:
    float m_radius = 0.0f;
    std::string m_sound;
    CWorldObject* m_object = nullptr;
    CVector m_position{0, 0, 0};
    int32_t m_handle = -1;
};

class CPlaySoundTask : public CTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
    bool Update(CObjectLogic&) override { return false; }

private:
    std::string m_sound;
};

class CCharacterCWalkTask : public CTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
    bool Update(CObjectLogic& logic) override;

private:
    void BeginIdle(CObjectLogic& logic);

    bool m_idling = false;
    int32_t m_idleStart = 0;
    int32_t m_idleDuration = 0;
};

class CActionWalkTask : public CTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
    bool Update(CObjectLogic& logic) override;

private:
    CVector m_target{0, 0, 0};
    std::string m_actions[3];
    int32_t m_from = 0, m_to = 0;
    int32_t m_pause = 0;
    bool m_walking = false;
};
