#pragma once
// Security devices on fixed objects: an alarm system that watches up to five
// objects and raises the global alarm after its delay, and the sound and video
// sensors that set their own alarm state for an alarm system to watch.
#include <cstdint>
#include <vector>

#include "GAMES/Rulo2/behaviour/CTask.h"

class CWorldObject;

class CAlarmanlageTask : public CTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
    bool Update(CObjectLogic& logic) override;

private:
    bool Fires(const CObjectLogic& object) const;

    std::vector<CObjectLogic*> m_monitored;
    int32_t m_reference = 0;
    int32_t m_delay = 0;
    int32_t m_mode = -1; // 0 opened, 1 broken, 2 taken; -1 an invalid configuration
    uint8_t m_failsafe = 0;
    int32_t m_failsafeDelay = 0;
    bool m_countdown = false;
    int32_t m_countdownStart = 0;
};

class CSoundSensorTask : public CTask
{
public:
    ~CSoundSensorTask() override;
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
    bool Update(CObjectLogic& logic) override;

private:
    CWorldObject* m_object = nullptr;
    int32_t m_reference = 0;
    int32_t m_sensitivity = 0;
    CWorldObject* m_location = nullptr;
    uint8_t m_enabled = 0;
    CWorldObject* m_floor = nullptr; // for the noise level; null outside
};

class CVideoSensorTask : public CTask
{
public:
    ~CVideoSensorTask() override;
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
    bool Update(CObjectLogic& logic) override;

private:
    void Watch(CObjectLogic& logic);

    CWorldObject* m_object = nullptr;
    CObjectLogic* m_logic = nullptr;
    uint8_t m_commandDone = 0;
    int32_t m_reference = 0;
    float m_viewAngle = 0.0f;
    CWorldObject* m_location = nullptr;
    uint8_t m_enabled = 0;
};
