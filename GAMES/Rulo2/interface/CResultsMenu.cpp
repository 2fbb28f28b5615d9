#include "GAMES/Rulo2/interface/CResultsMenu.h"

#include <algorithm>
#include <cmath>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/app/CCdAudio.h"
#include "GAMES/Rulo2/app/CGameSoundManager.h"
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/app/GangValues.h"
#include "GAMES/Rulo2/app/ScreenHooks.h"
#include "GAMES/Rulo2/behaviour/CKindData.h"
#include "GAMES/Rulo2/behaviour/CKindState.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/Feedback.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/interface/CMenuFigure.h"
#include "GAMES/Rulo2/interface/CMenuGlow.h"
#include "GAMES/Rulo2/interface/CTextTree.h"
#include "GAMES/Rulo2/interface/CTutorial.h"
#include "GAMES/Rulo2/interface/ScreenTracks.h"
#include "GAMES/Rulo2/render/CScreenFade.h"
#include "GAMES/Rulo2/render/GameResources.h"
#include "GAMES/Rulo2/render/ViewRects.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/ObjectInstances.h"
#include "LIBS/System/sString.h"
#include "platform/crt/Crt.h"

CResultsMenu ResultsMenu;

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr uint16_t kButtonModel = 417, kLevelModel = 460;
constexpr int32_t kLevelModelCopies = 3;
constexpr float kButtonSize = 0.06f;
constexpr CMenuQuad::Colour kDark{0.1f, 0.1f, 0.1f, 0.5f}, kLight{0.3f, 0.3f, 0.4f, 0.6f};
const char* const kAttributeKeys[4] = {"ATTR_CR", "ATTR_PL", "ATTR_PS", "ATTR_AS"};

const CCharacterAState* Attributes(const CWorldObject* member)
{
    const CObjectLogic* logic = member ? member->objectLogic : nullptr;
    return logic ? dynamic_cast<const CCharacterAState*>(logic->EffectiveConditions()) : nullptr;
}

// The four shown values in line order: crime records, pick locks, pick safes, alarm systems.
void CurrentValues(const CWorldObject* member, float out[4])
{
    const CCharacterAState* a = Attributes(member);
    out[0] = a ? a->crimeRecords : 0.0f;
    out[1] = a ? a->pickLocks : 0.0f;
    out[2] = a ? a->pickSafes : 0.0f;
    out[3] = a ? a->alarmSystems : 0.0f;
}

int32_t Percent(float value)
{
    return int32_t(value * 100.0f + 0.5f);
}

std::string Wrapped(const char* text, int32_t columns)
{
    sString s;
    s = text ? text : "";
    s.wordWrap(columns);
    return std::string(s.text ? s.text : "", size_t(s.length));
}

void DrawLine(const std::string& text, float x, float y, int32_t layout, const float colour[3])
{
    const float glyph[2] = {0.03f, 0.05f}, spacing[2] = {0.025f, 0.045f};
    DrawText2D(text.c_str(), MenuPoint{x, y}, layout, glyph, spacing, colour);
}

CMenuGlow* AddPanel(CMenu& menu, float left, float top, float right, float bottom, int32_t& index)
{
    auto* glow = new CMenuGlow(&menu);
    glow->Setup(CMenuQuad::Corner{left, top}, kDark, CMenuQuad::Corner{right, bottom}, kLight);
    glow->selectable = 0;
    index = menu.AddElement(glow);
    glow->Release();
    return glow;
}

} // namespace

float SumGatheredLoot()
{
    float sum = 0.0f;
    for (const ObjectInstance& record : ObjectInstances) {
        if (!record.active || record.held || !record.object || InstanceObjectKind(record.object) != KIND_LOOT)
            continue;
        const CObjectLogic* logic = record.object->objectLogic;
        const CKindData* kind = logic ? logic->EffectiveKindData() : nullptr;
        if (kind)
            sum += kind->Price();
    }
    return sum;
}

void CResultsMenu::Build(int32_t now)
{
    CdMusic.StopPlayback();
    burglaryTime = int32_t(GameClock.gameClock);
    openTime = now;
    time = now;

    int32_t backdrop = -2;
    AddPanel(*this, -0.95f, -0.95f, 0.95f, 0.95f, backdrop);
    introIndex = -1;
    AddPanel(*this, -0.9f, -0.9f, 0.05f, 0.05f, introIndex);
    AddPanel(*this, -0.88f, 0.18f, 0.05f, 0.56f, statisticsIndexes[0]);
    AddPanel(*this, -0.88f, 0.6f, 0.05f, 0.9f, statisticsIndexes[1]);
    AddPanel(*this, 0.1f, 0.6f, 0.9f, 0.9f, statisticsIndexes[2]);
    for (int32_t i = 0; i < kMaxMembers; ++i) {
        panelHeights[i] = -0.9f + float(i) / 3.0f;
        AddPanel(*this, 0.1f, panelHeights[i], 0.9f, panelHeights[i] + 0.3f, memberPanels[i]);
    }

    const float flat[3] = {0, 0, 0};
    firstButton = ElementCount();
    button = AddButton(GameResourceModel(kButtonModel), MenuPoint{0.2f, -0.82f}, flat, kButtonSize, true);
    lastButton = ElementCount() - 1;

    const int32_t copy = std::clamp(BurglaryLevel - 1, 0, kLevelModelCopies - 1);
    const float turned[3] = {0, kPi / 2, 0};
    levelFigure =
        AddFigure(GameResourceModel(kLevelModel, copy), MenuPoint{-0.45f, 0.62f}, turned, 0.3f, false);

    const int32_t members = std::min(PlanMemberArray.count(), kMaxMembers);
    for (int32_t i = 0; i < kMaxMembers; ++i) {
        memberFigures[i] = MemberFigure{};
        CWorldObject* member = i < members ? PlanMemberArray[size_t(i)].member : nullptr;
        if (!member)
            continue;
        memberFigures[i].present = 1;
        memberFigures[i].index =
            AddFigure(member->GetShapeRoot(), MenuPoint{0.25f, -panelHeights[i] - 0.15f}, flat, 0.12f, false);
        auto* figure = static_cast<CMenuFigure*>(Element(memberFigures[i].index));
        figure->PlaceOnSnapper(0);
        figure->idleName = "RELAX";
    }

    PlayAll();
    for (int32_t index : statisticsIndexes)
        if (CMenuElement* e = Element(index))
            e->SetState(0);
    // The statistics, the level figure and the member panels come when the intro has played.
    if (CMenuElement* e = Element(levelFigure))
        e->SetState(0);
    for (int32_t index : memberPanels)
        if (CMenuElement* e = Element(index))
            e->SetState(0);

    GatheredLoot = SumGatheredLoot();
    targetValue = TargetLootValue;
    lootPercentage = targetValue > 0.0f ? GatheredLoot / targetValue * 100.0f : 100.0f;
    enoughLoot = RequiredLootShare * 100.0f <= lootPercentage ? 1 : 0;

    for (int32_t i = 0; i < kMaxMembers; ++i) {
        std::fill(snapshots[i], snapshots[i] + 4, 0.0f);
        if (i < members)
            CurrentValues(PlanMemberArray[size_t(i)].member, snapshots[i]);
    }
    // A clean success drifts the gang's values now, so the member lines show the change against
    // the snapshots.
    if (!AlarmRaised && ResultsSwitch && enoughLoot)
        DriftGangValues();

    float first[4] = {0, 0, 0, 0};
    if (members > 0)
        CurrentValues(PlanMemberArray[0].member, first);
    firstCrimeRecords = first[0];
    reasonText = AlarmRaised ? Wrapped(AlarmText.c_str(), 30) : std::string();
    failure = (AlarmRaised || !enoughLoot || !ResultsSwitch || firstCrimeRecords >= 1.0f) ? 1 : 0;

    if (AlarmRaised && SoundManager)
        SoundManager->stop(AlarmSirenHandle);
    if (SoundManager)
        SoundManager->play(failure ? "BURGLARY_FAILURE" : "BURGLARY_SUCCESS", nullptr, 0, 0, 0, 5.0f, 2.0f,
                           1.0f, 1);

    okChosen = tryAgainChosen = 0;
    closePending = 0;
    closeKind = 0;
    introRunning = 1;
    underMouse = -1;
}

float CResultsMenu::ShownCrimeRecords(int32_t slot) const
{
    if (failure)
        return 1.0f;
    float values[4];
    CurrentValues(slot < PlanMemberArray.count() ? PlanMemberArray[size_t(slot)].member : nullptr, values);
    return values[0];
}

std::string CResultsMenu::MemberLines(int32_t slot) const
{
    if (slot < 0 || slot >= kMaxMembers || !memberFigures[slot].present)
        return std::string();
    float values[4];
    CurrentValues(slot < PlanMemberArray.count() ? PlanMemberArray[size_t(slot)].member : nullptr, values);
    values[0] = ShownCrimeRecords(slot);
    std::string lines;
    for (int32_t i = 0; i < 4; ++i) {
        const int32_t v = Percent(values[i]);
        lines += std::string(GetDisplayText(kAttributeKeys[i])) + " " +
                 crt::Format("%d%% (%+d)", v, v - Percent(snapshots[slot][i])) + "\n";
    }
    const float shown = values[0];
    if (slot == 0 && shown >= 0.5f && shown < 1.0f)
        lines += Wrapped(GetDisplayText("MENU_RS_POLICE_KNOWS_ME"), 30) + "\n";
    else if (slot != 0 && shown >= 0.5f)
        lines += std::string(GetDisplayText("MENU_RS_HIDING")) + "\n";
    return lines;
}

std::string CResultsMenu::TimeText() const
{
    if (failure)
        return "-:--";
    return crt::Format("%d:%02d", (burglaryTime / 60000) % 60, (burglaryTime / 1000) % 60);
}

std::string CResultsMenu::ParTimeText() const
{
    return crt::Format("%d:%02d", BurglaryParTime / 60000, (BurglaryParTime / 1000) % 60);
}

const char* CResultsMenu::ReasonKey() const
{
    if (!failure || AlarmRaised)
        return "";
    if (!enoughLoot)
        return "MENU_RS_NOTENOUGHLOOT";
    if (!ResultsSwitch)
        return "MENU_RS_SPECIALASSIGNMENT";
    return "MENU_RS_CAPTURED";
}

void CResultsMenu::UpdateHover(const MenuPoint* point)
{
    if (MenuInputBlocked || closePending)
        return;
    tooltipRequested = 0;
    underMouse = hovered = -1;
    if (!point || Tutorial.hovered)
        return;
    for (int32_t i = 0; i < ElementCount(); ++i)
        if (CMenuElement* e = elements[size_t(i)]; e && e->HitTest(point)) {
            underMouse = hovered = i;
            break;
        }
    if (underMouse == button)
        SetTooltip(GetDisplayText(failure ? "TTIP_RS_TRYAGAIN" : "TTIP_RS_OK"), -1);
    RestButtonFigures(*this, firstButton, lastButton, underMouse, kButtonSize, true);
}

void CResultsMenu::HandleInput()
{
    if (MenuInputBlocked || closePending)
        return;
    CMenu::HandleInput();
    if (leftPressed && !doubleClick && underMouse >= 0)
        PlayMenuClick();
    if (!((leftReleased && underMouse == button && button >= 0) || Input.menuKey == 8))
        return;
    Input.menuKey = 0;
    const float clear[4] = {0, 0, 0, 0};
    if (failure) {
        const float black[4] = {0, 0, 0, 1};
        ScreenFade.Start(clear, black, -1, false, 0);
        closeKind = CLOSE_TRY_AGAIN;
    } else {
        Tutorial.NextPage(5);
        const float white[4] = {1, 1, 1, 1};
        const float clearWhite[4] = {1, 1, 1, 0};
        ScreenFade.Start(clearWhite, white, -1, false, 0);
        closeKind = CLOSE_OK;
    }
    closePending = 1;
}

int32_t CResultsMenu::Render(int32_t now)
{
    time = now;
    SetScreenRect(0, 0, DX.screenWidth, DX.screenHeight);
    if (closePending && ScreenFade.IsFinished()) {
        if (closeKind == CLOSE_TRY_AGAIN)
            tryAgainChosen = 1;
        else
            okChosen = 1;
    }
    if (introRunning && TrackEnded(Element(introIndex))) {
        introRunning = 0;
        for (int32_t index : statisticsIndexes)
            if (CMenuElement* e = Element(index)) {
                e->SetState(1);
                e->PlayTrack("start");
            }
        if (CMenuElement* e = Element(levelFigure)) {
            e->SetState(1);
            e->PlayTrack("start");
        }
        for (int32_t index : memberPanels)
            if (CMenuElement* e = Element(index)) {
                e->SetState(1);
                e->PlayTrack("start");
            }
    }
    HandleInput();
    CMenu::Render(now);

    const float white[3] = {1, 1, 1}, green[3] = {0, 1, 0}, red[3] = {1, 0, 0};
    if (!introRunning) {
        for (int32_t i = 0; i < kMaxMembers; ++i)
            if (memberFigures[i].present)
                DrawLine(MemberLines(i), 0.45f, panelHeights[i] + 0.04f, 0, white);
        DrawLine(GetDisplayText("MENU_RS_BURSTAT"), -0.82f, 0.2f, 0, white);
        const float needed = RequiredLootShare * targetValue;
        struct Row
        {
            float y;
            const char* key;
            std::string value;
            const float* colour;
        };
        const Row rows[] = {
            {0.25f, "MENU_RS_NEEDED", crt::Format("%10.0f$", double(needed)), white},
            {0.3f, "MENU_RS_LOOTVAL", crt::Format("%10.0f$", double(targetValue)), white},
            {0.35f, "MENU_RS_GATLOOT", crt::Format("%10.0f$", double(GatheredLoot)),
             enoughLoot ? green : red},
            {0.45f, "MENU_RS_TIME", TimeText(), white},
            {0.5f, "MENU_RS_PARTIME", ParTimeText(), white},
        };
        for (const Row& row : rows) {
            DrawLine(GetDisplayText(row.key), -0.82f, row.y, 0, white);
            DrawLine(row.value, -0.1f, row.y, 0, row.colour);
        }
        if (failure) {
            DrawLine(Wrapped(GetDisplayText("MENU_RS_FAILED"), 20), 0.5f, 0.65f, 2, red);
            const std::string reason = AlarmRaised ? reasonText : std::string(GetDisplayText(ReasonKey()));
            DrawLine(std::string(GetDisplayText("MENU_RS_REASON")) + "\n" + reason, 0.5f, 0.75f, 2, white);
        } else {
            DrawLine(GetDisplayText("MENU_RS_SUCCESS"), 0.5f, 0.7f, 2, green);
        }
    }
    if (!MenuInputBlocked && ScreenFade.IsFinished())
        DrawTooltip();
    if (tryAgainChosen || okChosen) {
        ClearScreenRect();
        return okChosen ? 1 : 0;
    }
    return -1;
}
