#pragma once
// Conversations: a character offers the questions of its conversation entries
// to the partner who addressed it, answers the one the player picks, and each
// answer can switch entries on or off, set a flag bit and send a follow-up
// request. Two small tasks switch one entry on or off.
#include <cstdint>
#include <string>
#include <vector>

#include "GAMES/Rulo2/behaviour/CActionEntry.h"
#include "GAMES/Rulo2/behaviour/CTask.h"
#include "LIBS/System/CVector.h"

class CWorldObject;
struct CDialogEntry;

class CDialogTask : public CTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
    bool Update(CObjectLogic& logic) override;

private:
    bool Offer();
    bool Answer();
    bool Offered(const CDialogEntry& entry) const;
    void SitOrStand();

    CWorldObject* m_partner = nullptr;
    CVector m_partnerPosition{0, 0, 0};
    CObjectLogic* m_object = nullptr;
    int32_t m_nextLine = -1;
    int32_t m_chosen = -1;
    CActionEntry m_followUp;
};

// "Activate Dialog" (true) and "Deactivate Dialog" (false): one entry by its 0-based number.
template <bool Active>
class CActivateDialogTask : public CTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
};

extern template class CActivateDialogTask<true>;
extern template class CActivateDialogTask<false>;

// The 1-based entry numbers of a blank-separated list that name one of `count`
// entries; anything else in the list is passed over.
std::vector<int32_t> EntryNumbers(const std::string& list, int32_t count);
