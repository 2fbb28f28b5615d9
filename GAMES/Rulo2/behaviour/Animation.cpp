// Animation playback with its sound events, the spoken feedback when a request
// reaches an object, and the animation accessors of the object logic.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "GAMES/Rulo2/app/CGameSoundManager.h"
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/Feedback.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/behaviour/RecordEvents.h"
#include "GAMES/Rulo2/interface/CTextTree.h"
#include "GAMES/Rulo2/interface/HudState.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "platform/crt/Crt.h"

int32_t AnimationSoundEventsFired = 0;

CObjectState* FindAnimationByName(const CObjectNode* node, const char* name)
{
    if (!node || !name)
        return nullptr;
    for (CObjectState* s = node->firstState; s; s = s->next)
        if (s->name && std::strcmp(s->name, name) == 0)
            return s;
    return nullptr;
}

bool CObjectLogic::PlayAnimation(const char* name)
{
    CObjectState* state =
        FindAnimationByName(objectNode ? objectNode : (worldNode ? worldNode->Definition() : nullptr), name);
    if (!state)
        return false;
    SetAnimation(state);
    return true;
}

bool CObjectLogic::SwitchAnimation(const char* name)
{
    if (IsCurrentAnimation(name))
        return false;
    PlayAnimation(name);
    return true;
}

bool CObjectLogic::IsCurrentAnimation(const char* name) const
{
    return animation && animation->name && name && std::strcmp(animation->name, name) == 0;
}

void CObjectLogic::RestoreAnimation(CObjectState* state, int32_t startTime)
{
    animation = state;
    animationStart = startTime;
    actionPointReached = 0;
    animationEnded = 0;
    animationMark = -1;
    if (busy)
        busy = 0;
    if (state)
        for (SStateAttachment& sound : state->attachments)
            sound.fired = 0;
}

void CObjectLogic::SetAnimation(CObjectState* state)
{
    if (busy)
        SetStateByte(0);
    RestoreAnimation(state, GameClock.gameClock);
    if (Records())
        chainIds[CHAIN_ANIMATION] = RecordAnimation(this, state, chainIds[CHAIN_ANIMATION]);
}

bool CObjectLogic::IsPlayOnceRunning() const
{
    return animation && animation->flagA && !animationEnded;
}

namespace {

float SoundFrame(const SStateAttachment& sound)
{
    return WordAsFloat(sound.value);
}

void FireSound(SStateAttachment& sound, CWorldObject* node)
{
    sound.fired = 1;
    ++AnimationSoundEventsFired;
    if (SoundManager)
        SoundManager->play(sound.name, node, 0, 0, 0, 5.0f, 1.0f, 1.0f, 0);
}

} // namespace

void CObjectLogic::AdvanceAnimation()
{
    if (!animation)
        return;
    CObjectState& a = *animation;
    int32_t speed = a.animSpeed;
    if (IsCharacter() && IsCurrentAnimation("WALK")) {
        float factor = float(speed);
        if (kindData && kindData->SpeedFactor() != 0.0f)
            factor *= kindData->SpeedFactor();
        if (PATHFINDER* path = GetPathfinder())
            factor *= path->speedFactor;
        speed = int32_t(factor);
    }
    if (a.animStart == a.animEnd) {
        animationFrame = a.animStart;
        return;
    }
    const int32_t clock = GameClock.gameClock;
    const int64_t scaled = int64_t(clock - animationStart) * speed / 100;
    const float t = float(scaled) * 0.001f;
    if (a.flagA && clock >= animationStart) {
        animationFrame = a.animStart + t;
        if (animationFrame >= a.value)
            actionPointReached = 1;
        if (!animationEnded)
            for (SStateAttachment& sound : a.attachments) {
                if (animationFrame <= SoundFrame(sound))
                    sound.fired = 0;
                else if (!sound.fired)
                    FireSound(sound, worldNode);
            }
        if (animationFrame > a.animEnd) {
            for (SStateAttachment& sound : a.attachments)
                sound.fired = 0;
            animationEnded = 1;
            animationFrame = a.animEnd;
        } else {
            animationEnded = 0;
        }
        return;
    }
    if (t == 0.0f)
        lastLoopTime = 0.0f;
    const float length = a.animEnd - a.animStart;
    animationFrame = a.animStart + std::fmod(t, length);
    if (t != lastLoopTime && !a.attachments.empty()) {
        for (SStateAttachment& sound : a.attachments)
            sound.fired = 0;
        // Every seam crossed since the last tick fires the event once, however many loops passed.
        for (SStateAttachment& sound : a.attachments) {
            const float offset = SoundFrame(sound) - a.animStart;
            const float firstLoop = std::floor((lastLoopTime - offset) / length) + 1.0f;
            for (float k = firstLoop;; k += 1.0f) {
                const float at = offset + k * length;
                if (at >= t)
                    break;
                if (at > lastLoopTime)
                    FireSound(sound, worldNode);
            }
        }
        lastLoopTime = t;
    }
}

std::string InteractionTextKey(const CObjectLogic& target, const CActionEntry& request, int32_t n)
{
    static const char* const verbs[] = {"HAND", "MUND", "AUGE", nullptr, "CRACK", "SELL", "USE"};
    const int32_t kind = target.Kind();
    if (kind < 0 || request.action < 0 || request.action > 6 || !verbs[request.action])
        return std::string();
    const char* verb = verbs[request.action];
    const bool general = request.action >= 4;
    const bool character = kind >= KIND_CHARACTER_A && kind <= KIND_CHARACTER_C;
    const bool hero = target.worldNode && target.worldNode == CurrentCharacter;
    char key[128];
    if (general && character)
        std::snprintf(key, sizeof key, hero ? "FT_%s_HERO_%d" : "FT_%s_CHR_%d", verb, n);
    else if (general)
        std::snprintf(key, sizeof key, "FT_%s_%d", verb, n);
    else if (kind == KIND_CHARACTER_A && hero)
        std::snprintf(key, sizeof key, "FT_HERO_%s_%d", verb, n);
    else
        std::snprintf(key, sizeof key, "FT_%s_%s_%d", KindName(kind), verb, n);
    return key;
}

bool CObjectLogic::SayInteractionText(const CActionEntry& request)
{
    const std::string key = InteractionTextKey(*this, request, crt::rand() % 3 + 1);
    if (key.empty())
        return false;
    RefreshRecordHighlight(request.feedbackId);
    CWorldObject* speaker = request.source;
    if (speaker && (speaker->flags & 2))
        speaker = worldNode;
    ShowTextBubble(speaker, GetDisplayText(key.c_str()), false);
    return true;
}
