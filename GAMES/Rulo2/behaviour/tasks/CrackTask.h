#pragma once
// Working on a lock, safe or alarm system with a tool: the checks that refuse
// an attempt, the time the work takes from skill, tool and material, the work
// animations, sounds and noise, the progress that survives an interruption,
// and the unlocking when the time is up.
#include <cstdint>

#include "GAMES/Rulo2/behaviour/CTask.h"
#include "LIBS/System/CVector.h"

class CObjectNode;
class CWorldObject;

class CCrackTask : public CTask
{
public:
    ~CCrackTask() override;
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
    bool Update(CObjectLogic& logic) override;

private:
    enum EPhase : int32_t
    {
        NONE = -1,
        STARTING = 0,
        WORKING = 1,
        INTERRUPTED = 2,
        STOPPING = 3,
    };
    bool Accept(CObjectLogic& logic);
    void Begin(CObjectLogic& logic, bool replayed);
    void Record(CObjectLogic& logic);
    void CloseRamp();
    void StopSound();
    void Play(const char* const (&names)[3], bool busy);
    bool CrackerMoved();

    int32_t m_action = 0;
    int32_t m_phase = NONE;
    CObjectLogic* m_object = nullptr;
    int32_t m_start = 0, m_end = 0;
    float m_progressAtStart = 0.0f;
    bool m_done = false;
    CVector m_objectPosition{0, 0, 0};
    bool m_breaks = false;
    CWorldObject* m_cracker = nullptr;
    CObjectNode* m_tool = nullptr;
    CVector m_crackerPosition{0, 0, 0};
    int32_t m_volume = 0;
    bool m_safe = false, m_lock = false, m_alarm = false;
    int32_t m_inside = 0;
    int32_t m_sound = -1;
    bool m_listed = false; // the noise source and the cracking entry are ours to remove
};
