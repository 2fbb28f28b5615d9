#pragma once
// The tasks that tie the world's task lists to the burglary: the target that
// sets up a burglary at the game reset, the getaway car that ends it, and the
// tasks that switch phases, screens and the stand-in hero.
#include "GAMES/Rulo2/behaviour/CTask.h"

// All its work is done in Start, and only while the game reset starts the
// tasks of the burglary whose number the plan carries.
class CBurglaryTargetTask : public CTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
};

class CFinishBurglaryTask : public CTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
};

class CEnableBurglarySuccessTask : public CTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
};

class CReduceCrimerateTask : public CTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
};

class CPlanModeTask : public CTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
};

class CInitFakeHeroTask : public CTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
    bool Update(CObjectLogic& logic) override;
};

class CInitOutroTask : public CTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
};
