#include "GAMES/Rulo2/editor/ObjectEditorKeys.h"

#include "GAMES/Rulo2/app/CGameSoundManager.h"
#include "GAMES/Rulo2/app/CameraViews.h"
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/editor/EditorCurrent.h"
#include "GAMES/Rulo2/editor/EditorDialogs.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "platform/win/Window.h"

#include <algorithm>
#include <cstring>

int32_t ObjectEditorField = 0;
int32_t ObjectEditorEvent = -1;
int32_t ObjectEditorTime = 0;

namespace {

// Where the position stands while the action shows no single frame.
constexpr float kNoPosition = -100.0f;

float EventTime(const SStateAttachment& e)
{
    float t;
    std::memcpy(&t, &e.value, sizeof t);
    return t;
}

void SetEventTime(SStateAttachment& e, float t)
{
    std::memcpy(&e.value, &t, sizeof t);
}

struct SRange
{
    float first = 0, last = 0;
};

// The animation range of the model the action shows.
SRange AnimationRange(const CObjectState& action)
{
    const CRootNode* model = action.GetModelRoot();
    if (!model)
        return {};
    return {model->animationStart, model->animationEnd};
}

// A change of start, end or position by `step`, kept within the model's range,
// start not above end, the position within start to end.
void ChangeField(CObjectState& a, float step)
{
    const SRange range = AnimationRange(a);
    switch (ObjectEditorField) {
    case 1:
        a.animStart = std::clamp(a.animStart + step, range.first, std::max(range.first, a.animEnd));
        break;
    case 2:
        a.animEnd = std::clamp(a.animEnd + step, std::min(a.animStart, range.last), range.last);
        break;
    case 4: {
        if (a.value == kNoPosition && step > 0) {
            a.value = a.animStart;
            break;
        }
        const float v = a.value + step;
        a.value = v < a.animStart ? kNoPosition : std::min(v, a.animEnd);
        break;
    }
    default:
        break;
    }
}

void ChooseAction(int direction)
{
    CObjectState* first = CurrentObject->firstState;
    if (!first)
        return;
    CObjectState* chosen = nullptr;
    if (direction > 0) {
        chosen = CurrentState->next ? CurrentState->next : first;
    } else {
        CObjectState* before = nullptr;
        for (CObjectState* s = first; s && s != CurrentState; s = s->next)
            before = s;
        if (!before)
            for (CObjectState* s = first; s; s = s->next)
                before = s;
        chosen = before;
    }
    CurrentState = chosen;
    ObjectEditorEvent = -1;
    ObjectEditorTime = GameClock.gameClock;
}

void AddSoundEvent(CObjectState& a)
{
    AddSoundFxDlg dialog;
    if (dialog.DoModal(platform::GetApp() ? platform::GetApp()->m_pMainWnd : nullptr) != platform::IDOK)
        return;
    // The dialog offers the first definition even when there is none: then nothing names the event.
    if (dialog.soundIndex < 0 || size_t(dialog.soundIndex) >= SoundNames.size())
        return;
    SStateAttachment event;
    std::strncpy(event.name, SoundNames[size_t(dialog.soundIndex)].c_str(), sizeof event.name - 1);
    SetEventTime(event, a.animStart);
    a.attachments.push_back(event);
    ObjectEditorEvent = int32_t(a.attachments.size()) - 1;
}

bool EventListKey(CObjectState& a, int key, bool ctrl, bool shift)
{
    const int32_t count = int32_t(a.attachments.size());
    const bool valid = ObjectEditorEvent >= 0 && ObjectEditorEvent < count;
    switch (key) {
    case platform::VK_LEFT:
    case platform::VK_RIGHT: {
        const int direction = key == platform::VK_RIGHT ? 1 : -1;
        if (ctrl) {
            if (count > 0)
                ObjectEditorEvent = std::clamp(ObjectEditorEvent + direction, int32_t(0), count - 1);
        } else if (valid) {
            SStateAttachment& e = a.attachments[size_t(ObjectEditorEvent)];
            const float t = EventTime(e) + float(direction) * (shift ? 0.1f : 0.01f);
            SetEventTime(e, std::clamp(t, a.animStart, std::max(a.animStart, a.animEnd)));
        }
        return true;
    }
    case platform::VK_RETURN:
        AddSoundEvent(a);
        return true;
    case platform::VK_DELETE:
        if (valid) {
            a.attachments.erase(a.attachments.begin() + ObjectEditorEvent);
            ObjectEditorEvent = a.attachments.empty() ? -1 : std::min(ObjectEditorEvent, count - 2);
        }
        return true;
    default:
        return false;
    }
}

} // namespace

bool ObjectEditorKey(int key, bool ctrl, bool shift)
{
    if (CurrentViewIndex() != VIEW_OBJECT_EDITOR || !CurrentObject || !CurrentState)
        return false;
    CObjectState& a = *CurrentState;
    switch (key) {
    case platform::VK_UP:
        ObjectEditorField = std::max(0, ObjectEditorField - 1);
        return true;
    case platform::VK_DOWN:
        ObjectEditorField = std::min(5, ObjectEditorField + 1);
        return true;
    case platform::VK_PRIOR:
    case platform::VK_NEXT:
        ChangeField(a, key == platform::VK_PRIOR ? -1.0f : 1.0f);
        return true;
    case platform::VK_HOME: {
        const SRange range = AnimationRange(a);
        if (ObjectEditorField == 1)
            a.animStart = range.first;
        else if (ObjectEditorField == 2)
            a.animEnd = a.animStart;
        else if (ObjectEditorField == 4)
            a.value = a.animStart;
        return true;
    }
    case platform::VK_END: {
        const SRange range = AnimationRange(a);
        if (ObjectEditorField == 1)
            a.animStart = a.animEnd;
        else if (ObjectEditorField == 2)
            a.animEnd = range.last;
        else if (ObjectEditorField == 4)
            a.value = a.animEnd;
        return true;
    }
    default:
        break;
    }
    if (ObjectEditorField == 5)
        return EventListKey(a, key, ctrl, shift);
    if (key != platform::VK_LEFT && key != platform::VK_RIGHT)
        return false;
    const int direction = key == platform::VK_RIGHT ? 1 : -1;
    switch (ObjectEditorField) {
    case 0:
        ChooseAction(direction);
        break;
    case 3:
        a.animSpeed = std::max(0, a.animSpeed + direction * (shift ? 10 : 1));
        break;
    default:
        ChangeField(a, float(direction) * (shift ? 0.1f : 0.01f));
        break;
    }
    return true;
}
