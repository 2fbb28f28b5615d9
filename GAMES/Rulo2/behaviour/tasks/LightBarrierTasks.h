#pragma once
// A light barrier that raises its alarm when a character crosses it in the
// burglary, and the task that makes a character known to the player.
#include "GAMES/Rulo2/behaviour/CTask.h"

class CWorldObject;

class CLichtschrankeTask : public CTask
{
public:
    ~CLichtschrankeTask() override;
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
    bool Update(CObjectLogic& logic) override;

private:
    CWorldObject* m_node = nullptr;
};

class CAddToKnownPeopleTask : public CTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
};
