#include "GAMES/Rulo2/interface/CGameMenu.h"

#include <algorithm>
#include <cmath>
#include <strings.h>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/app/SaveGame.h"
#include "GAMES/Rulo2/behaviour/CKindData.h"
#include "GAMES/Rulo2/behaviour/CKindState.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/interface/CMenuFigure.h"
#include "GAMES/Rulo2/interface/CMenuGlow.h"
#include "GAMES/Rulo2/interface/CMenuQuad.h"
#include "GAMES/Rulo2/interface/CTextTree.h"
#include "GAMES/Rulo2/interface/CTutorial.h"
#include "GAMES/Rulo2/interface/HudState.h"
#include "GAMES/Rulo2/interface/InfoTexts.h"
#include "GAMES/Rulo2/interface/ScreenTracks.h"
#include "GAMES/Rulo2/navigation/PathFinder.h"
#include "GAMES/Rulo2/navigation/Perception.h"
#include "GAMES/Rulo2/render/CScreenFade.h"
#include "GAMES/Rulo2/render/GameResources.h"
#include "GAMES/Rulo2/render/ViewRects.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/ObjectInstances.h"
#include "LIBS/System/sString.h"
#include "platform/crt/Crt.h"

CGameMenu PlanningScreen;

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr CMenuQuad::Colour kColourA{0.1f, 0.1f, 0.1f, 0.5f};
constexpr CMenuQuad::Colour kColourB{0.3f, 0.3f, 0.4f, 0.6f};
constexpr float kGlyph[2] = {0.03f, 0.045f};
constexpr float kSpacing[2] = {0.021f, 0.05f};
constexpr float kWhiteText[3] = {1, 1, 1};
constexpr uint16_t kOkModel = 417, kCancelModel = 414, kArrowModel = 427, kToolsModel = 419, kInfoModel = 566,
                   kTargetModel = 460;
// Groups: 1 drop targets, 2 what must not react during a drag, 8 the target and car choice and
// the remove buttons, 0x20 the accomplice buttons, 0x40 the panel, the hero and the figures.
enum : uint32_t
{
    GROUP_DROP = 1,
    GROUP_DRAG = 2,
    GROUP_CHOICE = 8,
    GROUP_MEMBERS = 0x20,
    GROUP_PEOPLE = 0x40,
};

// The target model table: one model per target.
CRootNode* TargetModel(int32_t target)
{
    return target >= 0 && target < LevelCount ? GameResourceModel(kTargetModel, target) : nullptr;
}

// The type record's scalar: an item's weight, a car's capacity, a character's speed (x 100 each).
float TypeScalar(const CWorldObject* object)
{
    return object ? GetTypeRatioPercent(object->objectLogic) / 100.0f : 0.0f;
}

float ItemWeight(const CObjectNode* item)
{
    return item ? CarriedWeight(item) : 0.0f;
}

const CCharacterAState* Attributes(const CWorldObject* character)
{
    const CObjectLogic* logic = character ? character->objectLogic : nullptr;
    return logic ? dynamic_cast<const CCharacterAState*>(logic->EffectiveConditions()) : nullptr;
}

std::string TypeName(const CWorldObject* object)
{
    const CObjectLogic* logic = object ? object->objectLogic : nullptr;
    const CKindData* kind = logic ? logic->EffectiveKindData() : nullptr;
    return kind ? kind->name : std::string();
}

CRootNode* StateModel(const CWorldObject* object)
{
    if (!object)
        return nullptr;
    if (object->objectLogic && object->objectLogic->animation)
        return object->objectLogic->animation->GetModelRoot();
    return object->GetShapeRoot();
}

CRootNode* StateModel(const CObjectNode* object)
{
    if (!object)
        return nullptr;
    if (object->objectLogic && object->objectLogic->animation)
        return object->objectLogic->animation->GetModelRoot();
    return object->firstState ? object->firstState->GetModelRoot() : nullptr;
}

bool IsTool(const ObjectInstance& instance)
{
    return !instance.held && instance.object && instance.object->firstState && instance.object->objectLogic &&
           instance.object->objectLogic->Kind() == KIND_TOOL;
}

bool CarriedByGang(const CObjectNode* item)
{
    for (const SPlanMember& record : PlanMemberArray)
        for (const SItemSlot& slot : record.hands)
            if (slot.item == item)
                return true;
    return false;
}

// The last instance record of the object (-1 none).
int32_t InstanceNumber(const CObjectNode* item)
{
    int32_t found = -1;
    for (size_t i = 0; i < ObjectInstances.size(); ++i)
        if (item && ObjectInstances[i].object == item)
            found = int32_t(i);
    return found;
}

HudItemRecord ToolRecord(CObjectNode* item, int32_t instance)
{
    HudItemRecord record;
    record.model = StateModel(item);
    record.item = item;
    record.instance = instance;
    BuildItemInfo(item ? item->objectLogic : nullptr, record.name);
    return record;
}

float Size(const CRootNode* model)
{
    return model && model->boundsRadius > 0 ? model->boundsRadius : 1.0f;
}

QuadKey CornerBlock(float x0, float y0, float x1, float y1, const CMenuQuad::Colour colours[4])
{
    QuadKey key;
    const float xs[4] = {x0, x1, x1, x0}, ys[4] = {y0, y0, y1, y1};
    const float us[4] = {0, 1, 1, 0}, vs[4] = {0, 0, 1, 1};
    for (int i = 0; i < 4; ++i)
        key.vertices[i] =
            MenuVertex{xs[i], ys[i], us[i], vs[i], colours[i].r, colours[i].g, colours[i].b, colours[i].a};
    return key;
}

QuadKey GlowBlock(float x0, float y0, float x1, float y1, float alphaScale)
{
    QuadKey key;
    CMenuGlow::MakeGradientKey(key, {x0, y0}, kColourA, {x1, y1}, kColourB);
    const float us[4] = {0, 1, 1, 0}, vs[4] = {0, 0, 1, 1};
    for (int i = 0; i < 4; ++i) {
        key.vertices[i].u = us[i];
        key.vertices[i].v = vs[i];
        key.vertices[i].a *= alphaScale;
    }
    key.keyHasTexture = 0;
    key.texture = nullptr;
    return key;
}

// "zoomin" from one block to the other and "zoomout" back, 300 ms each.
void AddZoomTracks(CMenuElement* element, const QuadKey& from, const QuadKey& to)
{
    for (int zoomIn = 1; zoomIn >= 0; --zoomIn) {
        auto* track = new CQuadTrack(element->owner);
        track->name = zoomIn ? "zoomin" : "zoomout";
        track->AddKey(0, zoomIn ? from : to, 3);
        track->AddKey(300, zoomIn ? to : from, 3);
        element->AddTrack(track);
        track->Release();
    }
}

void AddFigureZoomTracks(CMenuFigure* figure, float x)
{
    for (int zoomIn = 1; zoomIn >= 0; --zoomIn) {
        auto* track = new CFigureTrack(figure->owner);
        track->name = zoomIn ? "zoomin" : "zoomout";
        FigureKey low, high;
        low.hasPosition = high.hasPosition = 1;
        low.value.position[0] = high.value.position[0] = x;
        low.value.position[1] = -0.15f;
        high.value.position[1] = 0.6f;
        track->AddKey(0, zoomIn ? low : high, 3);
        track->AddKey(300, zoomIn ? high : low, 3);
        figure->AddTrack(track);
        track->Release();
    }
}

std::string Wrapped(const std::string& text, int32_t columns)
{
    sString s(text.c_str());
    s.wordWrap(columns);
    return std::string(s.c_str(), size_t(s.length));
}

} // namespace

// --- element helpers ---

void CGameMenu::Show(int32_t index, bool on)
{
    if (CMenuElement* e = Element(index))
        e->SetState(on ? 1 : 0);
}

void CGameMenu::Selectable(int32_t index, bool on)
{
    if (CMenuElement* e = Element(index))
        e->selectable = on ? 1 : 0;
}

void CGameMenu::Play(int32_t index, const char* track)
{
    if (CMenuElement* e = Element(index))
        e->PlayTrack(track);
}

bool CGameMenu::Shown(int32_t index) const
{
    CMenuElement* e = Element(index);
    return e && e->GetState() != 0;
}

bool CGameMenu::TrackFinished(int32_t index) const
{
    const CMenuElement* e = Element(index);
    return e && e->CurrentTrack() && e->CurrentTrack()->IsFinished();
}

void CGameMenu::ShowWithCompanions(int32_t index, bool on)
{
    for (int32_t i = index - 1; i <= index + 1; ++i)
        Show(i, on);
}

void CGameMenu::PlayWithCompanions(int32_t index, const char* track)
{
    for (int32_t i = index - 1; i <= index + 1; ++i)
        Play(i, track);
}

// Back on the overview: target and car choices, their figures, the remove buttons and
// the row of OK, Cancel and the page button the overview was entered from.
void CGameMenu::ShowOverviewControls(int32_t pageButton)
{
    for (int32_t b : {targetButton, carButton}) {
        Play(b, "start");
        Selectable(b, true);
    }
    Play(targetFigure, "start");
    Show(targetFigure, true);
    Show(carFigure, true);
    for (int32_t b : removeButtons) {
        Show(b - 1, true);
        Show(b + 1, true);
    }
    for (int32_t b : {okButton, cancelButton, pageButton}) {
        ShowWithCompanions(b, true);
        PlayWithCompanions(b, "start");
    }
}

CMenuFigure* CGameMenu::Figure(int32_t index) const
{
    CMenuElement* e = Element(index);
    return e && e->type == CMenuElement::TYPE_FIGURE ? static_cast<CMenuFigure*>(e) : nullptr;
}

void CGameMenu::SetFigureModel(int32_t index, CRootNode* model)
{
    if (CMenuFigure* figure = Figure(index)) {
        figure->model = model;
        figure->PlaceOnSnapper(figure->noSnapper);
    }
}

CWorldObject* CGameMenu::Person(int32_t p) const
{
    return p == 0 ? CurrentCharacter : (p >= 1 && p <= 3 ? members[p - 1] : nullptr);
}

int32_t CGameMenu::SlotOfFigure(int32_t index) const
{
    for (int32_t s = 0; s < SLOT_COUNT; ++s)
        if (slotFigures[s] == index)
            return s;
    return -1;
}

int32_t CGameMenu::SlotOfFrame(int32_t index) const
{
    for (int32_t s = 0; s < SLOT_COUNT; ++s)
        if (slotFrames[s] == index)
            return s;
    return -1;
}

// --- build ---

void CGameMenu::BuildPanels()
{
    const CMenuQuad::Colour panelColours[4] = {{0.1f, 0.1f, 0.1f, 0.5f},
                                               {0.2f, 0.2f, 0.25f, 0.75f},
                                               {0.3f, 0.3f, 0.4f, 1.0f},
                                               {0.2f, 0.2f, 0.25f, 0.75f}};
    auto panel = [&](float y0, float y1, float y0In, float y1In, uint32_t group) {
        auto* p = new CMenuPanel(this);
        p->Setup({-0.95f, y0}, {0.95f, y1});
        AddZoomTracks(p, CornerBlock(-0.95f, y0, 0.95f, y1, panelColours),
                      CornerBlock(-0.95f, y0In, 0.95f, y1In, panelColours));
        const int32_t index = AddElement(p, group);
        p->Release();
        return index;
    };
    zoomFrame = panel(-0.9f, 0.7f, -0.9f, 0.2f, GROUP_PEOPLE);
    toolFrame = panel(0.7f, 0.7f, 0.25f, 0.7f, GROUP_DROP);

    auto glow = [&](float x0, float y0, float x1, float y1, uint32_t group) {
        auto* g = new CMenuGlow(this);
        g->Setup({x0, y0}, kColourA, {x1, y1}, kColourB);
        g->SetState(0);
        const int32_t index = AddElement(g, group);
        g->Release();
        return index;
    };
    targetButton = glow(-0.9f, -0.8f, -0.4f, -0.2f, GROUP_CHOICE);
    carButton = glow(0.5f, -0.8f, 0.9f, -0.3f, GROUP_CHOICE);
    heroButton = glow(-0.9f, -0.1f, -0.5f, 0.4f, GROUP_PEOPLE);
    AddZoomTracks(Element(heroButton), GlowBlock(-0.9f, -0.1f, -0.5f, 0.4f, 0.0f),
                  GlowBlock(-0.9f, -0.85f, -0.5f, -0.35f, 1.0f));
    const float memberX[3][2] = {{-0.36f, 0.04f}, {0.07f, 0.47f}, {0.5f, 0.9f}};
    for (int32_t k = 0; k < 3; ++k) {
        memberButtons[k] = glow(memberX[k][0], -0.1f, memberX[k][1], 0.4f, GROUP_MEMBERS);
        AddZoomTracks(Element(memberButtons[k]), GlowBlock(memberX[k][0], -0.1f, memberX[k][1], 0.4f, 1.0f),
                      GlowBlock(memberX[k][0], -0.85f, memberX[k][1], -0.35f, 1.0f));
    }
}

void CGameMenu::BuildButtons()
{
    hoverScaleFirst = ElementCount();
    const float flat[3] = {0, 0, 0};
    const float turned[3] = {0, 0, kPi};
    okButton = AddButton(GameResourceModel(kOkModel), {0.6f, -0.82f}, flat, 0.06f, true);
    cancelButton = AddButton(GameResourceModel(kCancelModel), {0.8f, -0.82f}, flat, 0.06f, true);
    scrollLeftButton = AddButton(GameResourceModel(kArrowModel), {-0.4f, -0.82f}, flat, 0.06f, true);
    scrollRightButton = AddButton(GameResourceModel(kArrowModel), {-0.2f, -0.82f}, turned, 0.06f, true);
    enterToolsButton = AddButton(GameResourceModel(kToolsModel), {-0.8f, -0.82f}, flat, 0.06f, true);
    enterInfoButton = AddButton(GameResourceModel(kInfoModel), {-0.6f, -0.82f}, flat, 0.06f, true);
    leaveToolsButton = AddButton(GameResourceModel(kOkModel), {-0.8f, -0.82f}, flat, 0.08f, false);
    leaveInfoButton = AddButton(GameResourceModel(kOkModel), {-0.6f, -0.82f}, flat, 0.08f, false);
    Show(leaveToolsButton, false);
    Show(leaveInfoButton, false);
    const float removeX[3] = {-0.16f, 0.27f, 0.7f};
    for (int32_t k = 0; k < 3; ++k) {
        removeButtons[k] =
            AddButton(GameResourceModel(kCancelModel), {removeX[k], -0.445f}, flat, 0.08f, true);
        if (CMenuElement* e = Element(removeButtons[k]))
            e->group = GROUP_CHOICE;
        Show(removeButtons[k], false);
    }
    hoverScaleLast = ElementCount() - 1;
    Show(scrollLeftButton, false);
    Show(scrollRightButton, false);
}

void CGameMenu::BuildPersonFigures()
{
    const float centres[4] = {-0.7f, -0.16f, 0.27f, 0.7f};
    for (int32_t p = 0; p < 4; ++p) {
        CWorldObject* character = nullptr;
        if (p == 0) {
            character = CurrentCharacter;
        } else if (hasGang && PlanMemberArray.count() > p && PlanMemberArray[size_t(p)].member &&
                   PlanMemberArray[size_t(p)].member->Definition()) {
            character = PlanMemberArray[size_t(p)].member;
        }
        if (p > 0)
            members[p - 1] = character;
        auto* figure = new CMenuFigure(this);
        figure->Setup(StateModel(character), {centres[p], -0.15f}, 0.2f, 0, 0, true);
        AddFigureZoomTracks(figure, centres[p]);
        figure->walkName = figure->idleName = figure->lyingName = "WALK";
        figure->SetState(0);
        personFigures[p] = AddElement(figure, GROUP_PEOPLE);
        figure->Release();
    }
}

void CGameMenu::BuildPool()
{
    pool.clear();
    poolFirst = poolScroll = ElementCount();
    auto addFigure = [this](CRootNode* model) {
        auto* figure = new CMenuFigure(this);
        figure->Setup(model, {0, 0}, 1.0f, 0, 1, true);
        AddElement(figure, GROUP_DRAG);
        figure->Release();
    };
    int32_t assigned = 0;
    for (size_t i = 0; i < ObjectInstances.size(); ++i) {
        const ObjectInstance& instance = ObjectInstances[i];
        if (!IsTool(instance) || CarriedByGang(instance.object))
            continue;
        pool.push_back(ToolRecord(instance.object, int32_t(i)));
        addFigure(pool.back().model);
        ++assigned;
    }
    // Free places for the tools the gang hands back.
    for (size_t i = size_t(assigned); i < ObjectInstances.size(); ++i) {
        if (!IsTool(ObjectInstances[i]))
            continue;
        pool.push_back(HudItemRecord{});
        addFigure(nullptr);
    }
    poolLast = ElementCount() - 1;
}

void CGameMenu::BuildSlotFigures()
{
    for (int32_t i = 0; i < SLOT_COUNT; ++i) {
        const int32_t p = i / 3, j = i % 3;
        const auto* frame = static_cast<CMenuQuad*>(Element(slotFrames[i]));
        const MenuPoint m{(frame->key.vertices[0].x + frame->key.vertices[2].x) / 2,
                          (frame->key.vertices[0].y + frame->key.vertices[2].y) / 2};
        CObjectNode* tool = p < PlanMemberArray.count() ? PlanMemberArray[size_t(p)].hands[j].item : nullptr;
        auto* figure = new CMenuFigure(this);
        if (tool) {
            slots[i] = ToolRecord(tool, InstanceNumber(tool));
            figure->Setup(slots[i].model, {m.x, -m.y}, 0.04f, 0, 1, true);
            Element(slotFrames[i])->group = 0;
            Selectable(slotFrames[i], false);
        } else {
            slots[i] = HudItemRecord{};
            figure->Setup(nullptr, {m.x, -m.y}, 0.04f, 0, 1, true);
        }
        figure->SetState(0);
        figure->selectable = 1;
        slotFigures[i] = AddElement(figure, GROUP_DRAG);
        figure->Release();
    }
}

void CGameMenu::FindSpecialCharacters()
{
    specialA = specialB = nullptr;
    for (CWorldObject* c : ActiveCharacters) {
        const std::string name = TypeName(c);
        if (name.empty())
            continue;
        if (strncasecmp(name.c_str(), "TessaGrund", 10) == 0)
            specialA = c;
        if (strncasecmp(name.c_str(), "NimbleWeaver", 12) == 0)
            specialB = c;
    }
}

void CGameMenu::Build(int32_t now)
{
    hasGang = PlanMemberArray.count() >= 1 ? 1 : 0;
    std::fill(std::begin(available), std::end(available), uint8_t(1));
    time = lastTime = now;
    dragged = nullptr;
    dragSource = -1;
    pendingChoice = 0;

    BuildPanels();
    BuildButtons();
    BuildPersonFigures();

    auto* targetShape = new CMenuFigure(this);
    const int32_t chosen = PlanBurglaryNumber;
    CRootNode* targetModel = nullptr;
    if (hasGang && chosen >= 1) {
        available[0] = 0;
        target = chosen - 1;
        targetModel = TargetModel(target);
    } else {
        target = -1;
    }
    targetShape->Setup(targetModel, {-0.65f, 0.55f}, 0.2f, 0, 1, true);
    targetShape->figureFlag = 0;
    targetShape->SetState(0);
    targetFigure = AddElement(targetShape, GROUP_CHOICE);
    targetShape->Release();

    auto* carShape = new CMenuFigure(this);
    carShape->Setup(nullptr, {0.7f, 0.55f}, 0.2f, 0, 1, true);
    car = nullptr;
    carModel = nullptr;
    if (hasGang && PlanCar) {
        for (CWorldObject* candidate : CarList)
            if (candidate && candidate->Definition() == PlanCar)
                car = candidate;
        carModel = StateModel(PlanCar);
        carShape->model = carModel;
        carShape->PlaceOnSnapper(1);
    }
    carShape->SetState(0);
    carFigure = AddElement(carShape, GROUP_CHOICE);
    carShape->Release();

    PlayAll();
    for (int32_t button : {okButton, cancelButton, scrollLeftButton, scrollRightButton, enterToolsButton})
        Show(button, false);
    for (int32_t button : removeButtons)
        Show(button, false);

    const float boxLeft[4] = {-0.9f, -0.36f, 0.07f, 0.5f};
    for (int32_t p = 0; p < 4; ++p)
        for (int32_t j = 0; j < 3; ++j) {
            auto* g = new CMenuGlow(this);
            g->Setup({boxLeft[p] + float(j) * 0.1433333f, -0.2f}, kColourA,
                     {boxLeft[p] + float(j + 1) * 0.1333333f - 0.03f + float(j + 1) * 0.01f, 0.1f}, kColourB);
            g->SetState(0);
            slotFrames[3 * p + j] = AddElement(g, GROUP_DROP);
            g->Release();
        }
    BuildPool();
    BuildSlotFigures();

    for (int32_t k = 0; k < PlanMemberArray.count(); ++k)
        if (PlanMemberArray[size_t(k)].leader) {
            leader = k;
            break;
        }
    for (int32_t t = 1; t <= MAX_TARGETS; ++t) {
        targetTitles[t - 1].clear();
        targetDescriptions[t - 1].clear();
        if (t > LevelCount)
            continue;
        const char* title = TextTree.Find(crt::Format("LEVEL_%d", t).c_str());
        const char* description = TextTree.Find(crt::Format("MENU_BURG_%d", t).c_str());
        targetTitles[t - 1] = title ? title : "";
        targetDescriptions[t - 1] = description ? description : "";
    }
    FindSpecialCharacters();

    const int32_t n = std::min(PlanMemberArray.count(), 4);
    for (int32_t k = 0; k < n; ++k) {
        const SPlanMember& record = PlanMemberArray[size_t(k)];
        if (k >= 1 && record.member)
            available[1 + k] = 0;
        for (int32_t j = 0; j < 3; ++j)
            if (record.hands[j].item)
                available[5 + 3 * k + j] = 0;
    }
    carLoad = 0;
    cancelRequested = okRequested = 0;
    transition = 3;
    mode = MODE_OVERVIEW;
    hover = -1;
}

// --- frame ---

void CGameMenu::TakeChoice(int32_t r)
{
    // A choice applies only to an entry; -2 (back) ends the choice and changes nothing.
    if (r >= 0 && r < chooser.EntryCount()) {
        const MenuSlot& entry = chooser.entries[size_t(r)];
        if (pendingChoice == 1 && r < int32_t(chooserLevels_.size())) {
            target = chooserLevels_[size_t(r)];
            SetFigureModel(targetFigure, TargetModel(target));
            Show(targetFigure, true);
        } else if (pendingChoice == 2 && r < int32_t(chooserObjects_.size())) {
            car = chooserObjects_[size_t(r)];
            carModel = StateModel(car);
            SetFigureModel(carFigure, carModel);
            Show(carFigure, true);
        } else if (pendingChoice >= 3 && pendingChoice <= 5 && entry.worldObject) {
            const int32_t k = pendingChoice - 2;
            members[k - 1] = entry.worldObject;
            SetFigureModel(personFigures[k], entry.worldObject->GetShapeRoot());
            Show(personFigures[k], true);
        }
    }
    if (r != -1)
        pendingChoice = 0;
}

void CGameMenu::AdvanceTransition()
{
    switch (transition) {
    case 0:
        return;
    case 1:
        if (mode == MODE_OVERVIEW && TrackFinished(targetButton)) {
            PlayGroup("zoomin", GROUP_MEMBERS | GROUP_PEOPLE);
            Play(toolFrame, "zoomin");
            SetGroupSelectable(0, GROUP_MEMBERS);
            for (int32_t b : {okButton, cancelButton, enterToolsButton})
                ShowWithCompanions(b, false);
            Selectable(leaveToolsButton, true);
            for (int32_t f : personFigures)
                Selectable(f, false);
            transition = 2;
        } else if (mode == MODE_TOOLS && TrackFinished(slotFrames[0])) {
            for (int32_t e : {zoomFrame, toolFrame, heroButton})
                Play(e, "zoomout");
            for (int32_t b : memberButtons) {
                Play(b, "zoomout");
                Selectable(b, true);
            }
            for (int32_t f : personFigures)
                Play(f, "zoomout");
            Selectable(personFigures[0], false);
            for (int32_t b : {okButton, cancelButton})
                Play(b, "start");
            Play(leaveToolsButton, "end");
            Selectable(leaveToolsButton, false);
            Play(enterToolsButton, "start");
            transition = 2;
        }
        return;
    case 2:
        if (!TrackFinished(zoomFrame))
            return;
        if (mode == MODE_OVERVIEW) {
            for (int32_t s = 0; s < SLOT_COUNT; ++s) {
                CMenuElement* frame = Element(slotFrames[s]);
                Play(slotFrames[s], "start");
                Show(slotFrames[s], true);
                CMenuFigure* figure = Figure(slotFigures[s]);
                if (!Person(s / 3)) {
                    Selectable(slotFrames[s], false);
                    frame->group = 0;
                    SetFigureModel(slotFigures[s], nullptr);
                    Show(slotFigures[s], false);
                    continue;
                }
                Play(slotFigures[s], "start");
                const bool filled = figure && figure->model;
                frame->group = filled ? 0 : GROUP_DROP;
                Show(slotFigures[s], filled);
                Selectable(slotFigures[s], filled);
            }
            for (int32_t i = poolFirst; i <= poolLast && i >= 0; ++i) {
                Play(i, "start");
                Selectable(i, false);
            }
            for (int32_t f : personFigures)
                Selectable(f, true);
            mode = MODE_TOOLS;
        } else {
            ShowOverviewControls(enterInfoButton);
            Selectable(enterInfoButton, true);
            Show(enterToolsButton, true);
            Selectable(enterToolsButton, true);
            Play(enterToolsButton, "start");
            Show(leaveToolsButton, false);
            Selectable(leaveToolsButton, false);
            mode = MODE_OVERVIEW;
        }
        transition = 0;
        return;
    case 3:
        if (!TrackFinished(zoomFrame))
            return;
        Show(heroButton, false);
        for (int32_t e :
             {targetButton, carButton, memberButtons[0], memberButtons[1], memberButtons[2], targetFigure,
              carFigure, okButton, cancelButton, enterToolsButton, enterInfoButton}) {
            Play(e, "start");
            Show(e, true);
        }
        // The choices take the pointer from now on, as on every later return to the overview;
        // what a loaded plan fixed is locked again each frame.
        for (int32_t e : {targetButton, carButton, memberButtons[0], memberButtons[1], memberButtons[2]})
            Selectable(e, true);
        for (int32_t f : personFigures) {
            Play(f, "start");
            const CMenuFigure* figure = Figure(f);
            Show(f, figure && figure->model);
        }
        transition = 0;
        return;
    case 4:
        if (mode == MODE_OVERVIEW && TrackFinished(zoomFrame)) {
            Play(heroButton, "zoomin");
            Show(heroButton, true);
            for (int32_t k = 0; k < 3; ++k) {
                Play(memberButtons[k], "zoomin");
                Show(memberButtons[k], true);
                Selectable(memberButtons[k], members[k] != nullptr);
            }
            for (int32_t f : personFigures) {
                Play(f, "zoomin");
                Show(f, Figure(f) && Figure(f)->model);
            }
            for (int32_t b : {okButton, cancelButton, removeButtons[0], removeButtons[1], removeButtons[2]})
                ShowWithCompanions(b, false);
            transition = 5;
        } else if (mode == MODE_INFO && TrackFinished(memberButtons[0])) {
            Show(heroButton, false);
            ShowOverviewControls(enterToolsButton);
            Selectable(enterToolsButton, true);
            Show(leaveInfoButton, false);
            Selectable(leaveInfoButton, false);
            for (int32_t b : memberButtons)
                Selectable(b, true);
            transition = 5;
        }
        return;
    case 5:
        if (mode == MODE_OVERVIEW) {
            if (!TrackFinished(memberButtons[0]))
                return;
            mode = MODE_INFO;
            pressed = heroButton;
        } else {
            mode = MODE_OVERVIEW;
        }
        transition = 0;
        return;
    default:
        transition = 0;
    }
}

void CGameMenu::AnimateFigures(int32_t dt)
{
    const int32_t clock = int32_t(GameClock.frameTime);
    const float spin = float(dt) * kPi / 2000.0f;
    if (CMenuFigure* f = Figure(targetFigure)) {
        const float a = float(clock % 10478) / 10478.0f * 8 * kPi;
        f->state.rotation[0] = std::sin(a / 2) / 5 + kPi / 2;
        f->state.rotation[1] = std::cos(a / 2) / 20;
        f->state.rotation[2] = 0;
    }
    for (int32_t p : personFigures)
        if (CMenuFigure* f = Figure(p)) {
            f->state.rotation[0] = f->state.rotation[2] = 0;
            f->state.rotation[1] += spin;
        }
    if (CMenuFigure* f = Figure(carFigure); f && car) {
        const float v = TypeScalar(car);
        f->state.rotation[0] = -0.4f;
        f->state.rotation[2] = 0;
        f->state.rotation[1] += spin * (5.0f / ((v - 0.25f) * 6 + 2) + 0.1f);
    }
    for (int32_t i = personFigures[0]; i <= carFigure && i >= 0; ++i)
        if (CMenuFigure* f = Figure(i); f && f->model) {
            float s = 0.2f / Size(f->model);
            if (i == targetFigure)
                s *= 1.5f;
            f->state.scale[0] = f->state.scale[1] = f->state.scale[2] = s;
        }
    for (int32_t i = poolFirst; i <= poolLast && i >= 0; ++i)
        Show(i, false);
}

void CGameMenu::ToolsPage(int32_t dt)
{
    const float spin = float(dt) * kPi / 2000.0f;
    for (int32_t b : {scrollLeftButton, scrollRightButton})
        ShowWithCompanions(b, true);
    for (int32_t s = 0; s < SLOT_COUNT; ++s)
        if (CMenuFigure* f = Figure(slotFigures[s])) {
            if (f->model) {
                Show(slotFigures[s], true);
                const float scale = 0.07f / Size(f->model);
                f->state.scale[0] = f->state.scale[1] = f->state.scale[2] = scale;
            } else {
                Show(slotFigures[s], false);
            }
            f->state.rotation[0] = -0.4f;
            f->state.rotation[2] = 0;
            f->state.rotation[1] += spin;
        }
    if (poolFirst < 0)
        return;
    auto modelsFrom = [this](int32_t first) {
        int32_t n = 0;
        for (int32_t i = first; i <= poolLast; ++i)
            if (const CMenuFigure* f = Figure(i); f && f->model)
                ++n;
        return n;
    };
    if (poolScroll > poolLast || modelsFrom(poolScroll) == 0)
        poolScroll = poolScroll >= poolFirst + POOL_PAGE ? poolScroll - POOL_PAGE : poolFirst;
    if (CMenuElement* e = Element(scrollLeftButton))
        e->active = poolScroll <= poolFirst ? 1 : 0;
    if (CMenuElement* e = Element(scrollRightButton))
        e->active = modelsFrom(poolScroll) <= POOL_PAGE ? 1 : 0;
    for (int32_t i = 0; i < POOL_PAGE && poolScroll + i <= poolLast; ++i) {
        CMenuFigure* f = Figure(poolScroll + i);
        if (!f || !f->model)
            continue;
        Show(poolScroll + i, true);
        Selectable(poolScroll + i, true);
        const float scale = 0.2125f / (2 * Size(f->model));
        f->state.scale[0] = f->state.scale[1] = f->state.scale[2] = scale;
        f->state.position[0] = float(i) * 0.2125f - 0.85f;
        f->state.position[1] = -0.475f;
        f->state.rotation[0] = -0.4f;
        f->state.rotation[2] = 0;
        f->state.rotation[1] += spin;
    }
}

void CGameMenu::SetPerson(int32_t k, CWorldObject* character)
{
    members[k - 1] = character;
    SetFigureModel(personFigures[k], character ? character->GetShapeRoot() : nullptr);
    Show(personFigures[k], character != nullptr);
}

void CGameMenu::LockSpecialTargets()
{
    auto lockAs = [this](int32_t k, CWorldObject* special) {
        if (members[k - 1] != special) {
            ReturnMemberItems(k);
            SetPerson(k, special);
        }
        for (int32_t j = 0; j < 3; ++j) {
            Element(slotFrames[3 * k + j])->group = GROUP_DRAG;
            Selectable(slotFrames[3 * k + j], false);
        }
        Selectable(memberButtons[k - 1], false);
        Show(removeButtons[k - 1], false);
    };
    if (target == 14 && specialA) {
        lockAs(1, specialA);
    } else if (target == 17 && specialA && specialB) {
        lockAs(1, specialA);
        lockAs(2, specialB);
        if (members[2]) {
            ReturnMemberItems(3);
            SetPerson(3, nullptr);
        }
    } else {
        const CMenuFigure* first = Figure(personFigures[1]);
        if (specialA && first && first->model && first->model == specialA->GetShapeRoot()) {
            SetPerson(1, nullptr);
            Selectable(memberButtons[0], true);
        }
        for (int32_t k = 1; k <= 3; ++k)
            if (const CMenuFigure* f = Figure(personFigures[k]); !f || !f->model)
                Show(removeButtons[k - 1], false);
    }
}

void CGameMenu::LockPlanChoices()
{
    for (int32_t k = 1; k <= 3; ++k)
        if (!available[1 + k]) {
            Selectable(memberButtons[k - 1], mode == MODE_INFO);
            Show(removeButtons[k - 1], false);
        }
    if (!available[0])
        Selectable(targetButton, false);
    for (int32_t s = 0; s < SLOT_COUNT; ++s)
        if (!available[5 + s]) {
            Selectable(slotFrames[s], false);
            Selectable(slotFigures[s], false);
        }
}

float CGameMenu::PersonLoad(int32_t p) const
{
    float load = 0;
    for (int32_t j = 0; j < 3; ++j) {
        const HudItemRecord& r = slots[3 * p + j];
        if (r.item && r.instance != -1)
            load += ItemWeight(r.item);
    }
    return load;
}

bool CGameMenu::Overloaded(int32_t p) const
{
    if (!Person(p))
        return false;
    const CCharacterAState* a = Attributes(Person(p));
    const float strength = a ? a->strength : 0.0f;
    const float load = PersonLoad(p);
    return strength > 0 ? load / strength > 1.0f : load > 0;
}

float CGameMenu::UsedCarSpace() const
{
    float used = 0;
    for (int32_t p = 0; p < 4; ++p)
        if (const CCharacterAState* a = Person(p) ? Attributes(Person(p)) : nullptr)
            used += a->weight;
    for (int32_t p = 0; p < 4; ++p)
        used += PersonLoad(p);
    return used;
}

void CGameMenu::ComputeLootShares()
{
    std::fill(std::begin(lootShare), std::end(lootShare), 0.0f);
    std::fill(std::begin(shareWeight), std::end(shareWeight), 0.0f);
    shareTotal = 0;
    for (int32_t p = 0; p < 4; ++p)
        if (const CCharacterAState* a = Person(p) ? Attributes(Person(p)) : nullptr) {
            shareWeight[p] = a->pickLocks + a->pickSafes + a->alarmSystems;
            shareTotal += shareWeight[p];
        }
    // Nobody with any skill: nobody gets a share (rather than 0 / 0).
    if (shareTotal > 0)
        for (int32_t p = 0; p < 4; ++p)
            lootShare[p] = shareWeight[p] / shareTotal;
}

void CGameMenu::DrawOverviewTexts()
{
    const int32_t clock = int32_t(GameClock.frameTime);
    const float yellow[3] = {1, 1, 0};
    if (carLoad > 0) {
        const bool over = carLoad > 1.0f;
        const float fill = over ? ((clock % 1024) < 512 ? 1.0f : 0.0f) : carLoad;
        DrawBar({0.5f, -0.27f}, {0.9f, -0.2f}, fill, true, false);
        DrawText2D(GetDisplayText(over ? "MENU_PLAN_OVERLOADED" : "MENU_PLAN_CARSPACE"), {0.52f, -0.15f}, 0,
                   kGlyph, kSpacing, kWhiteText);
    }
    if (target < 0) {
        DrawText2D(GetDisplayText("TTIP_PLAN_TARGET"), {-0.88f, -0.75f}, 0, kGlyph, kSpacing, yellow);
    } else if (target < MAX_TARGETS) {
        DrawText2D(Wrapped(targetTitles[target], 17).c_str(), {-0.35f, -0.78f}, 0, kGlyph, kSpacing, yellow);
        const std::string& d = targetDescriptions[target];
        const size_t br = d.find('\n');
        DrawText2D(Wrapped(br == std::string::npos ? std::string() : d.substr(br + 1), 44).c_str(),
                   {-0.35f, -0.68f}, 0, kGlyph, kSpacing, kWhiteText);
    }
    const std::string carText = car ? GetDisplayText(crt::Format("CAR_%s", TypeName(car).c_str()).c_str())
                                    : GetDisplayText("TTIP_PLAN_CAR");
    DrawText2D(carText.c_str(), {0.52f, -0.75f}, 0, kGlyph, kSpacing, car ? kWhiteText : yellow);
    const float personX[4] = {-0.88f, -0.34f, 0.09f, 0.52f};
    const char* prompts[3] = {"TTIP_PLAN_SELAC1", "TTIP_PLAN_SELAC2", "TTIP_PLAN_SELAC3"};
    for (int32_t p = 0; p < 4; ++p) {
        CWorldObject* person = Person(p);
        if (!person) {
            if (p > 0)
                DrawText2D(GetDisplayText(prompts[p - 1]), {personX[p], -0.05f}, 0, kGlyph, kSpacing, yellow);
            continue;
        }
        const std::string share = crt::Format("%d%%\n%s", int32_t(std::lround(lootShare[p] * 100)),
                                              GetDisplayText("LOOT_PERCENTAGE"));
        DrawText2D(share.c_str(), {personX[p], -0.05f}, 0, kGlyph, kSpacing, kWhiteText);
        DrawText2D(GetDisplayText(crt::Format("CHR_%s", TypeName(person).c_str()).c_str()),
                   {personX[p], 0.33f}, 0, kGlyph, kSpacing, kWhiteText);
    }
}

void CGameMenu::DrawToolsTexts()
{
    const int32_t clock = int32_t(GameClock.frameTime);
    const bool blinkFull = (clock % 1024) < 512;
    const float boxLeft[4] = {-0.9f, -0.36f, 0.07f, 0.5f};
    bool anyOverloaded = false;
    for (int32_t p = 0; p < 4; ++p) {
        if (!Person(p))
            continue;
        anyOverloaded = anyOverloaded || Overloaded(p);
        const float load = PersonLoad(p);
        if (load <= 0)
            continue;
        const CCharacterAState* a = Attributes(Person(p));
        const float strength = a ? a->strength : 0.0f;
        const float fill =
            Overloaded(p) ? (blinkFull ? 1.0f : 0.0f) : (strength > 0 ? load / strength : 1.0f);
        DrawBar({boxLeft[p], 0.12f}, {boxLeft[p] + 0.4f, 0.18f}, fill, true, false);
        const std::string line =
            crt::Format("%s %s/%s", GetDisplayText("ATTR_WE"), FormatWeight(std::ceil(load), false).c_str(),
                        FormatWeight(std::ceil(strength), true).c_str());
        DrawText2D(line.c_str(), {boxLeft[p], 0.2f}, 0, kGlyph, kSpacing, kWhiteText);
    }
    if (CMenuElement* e = Element(leaveToolsButton))
        e->active = anyOverloaded ? 1 : 0;
    if (carLoad > 0) {
        const float capacity = car ? TypeScalar(car) * 100.0f : 0.0f;
        const float used = UsedCarSpace();
        const std::string line = crt::Format(
            "%s   %s/%s", GetDisplayText(used > capacity ? "MENU_PLAN_OVERLOADED" : "MENU_PLAN_CARSPACE"),
            FormatWeight(std::ceil(used), false).c_str(), FormatWeight(std::ceil(capacity), true).c_str());
        DrawText2D(line.c_str(), {-0.9f, 0.28f}, 0, kGlyph, kSpacing, kWhiteText);
    }
}

void CGameMenu::DrawInfoTexts()
{
    if (!infoCharacter)
        return;
    const CCharacterAState none;
    const CCharacterAState* found = Attributes(infoCharacter);
    const CCharacterAState& a = found ? *found : none;
    const std::string name = GetDisplayText(crt::Format("CHR_%s", TypeName(infoCharacter).c_str()).c_str());
    const float x = -0.85f, valueX = 0.1f;
    float y = -0.2f;
    DrawText2D(name.c_str(), {x, y}, 0, kGlyph, kSpacing, kWhiteText);
    auto row = [&](const char* key, const std::string& value) {
        y += 0.1f;
        DrawText2D(GetDisplayText(key), {x, y}, 0, kGlyph, kSpacing, kWhiteText);
        DrawText2D(value.c_str(), {valueX, y}, 0, kGlyph, kSpacing, kWhiteText);
    };
    row("ATTR_NA", name);
    row("ATTR_WE", FormatWeight(a.weight + 0.5f, true));
    row("ATTR_ST", FormatWeight(a.strength + 0.5f, true));
    row("ATTR_SP", crt::Format("%3d%%", int32_t(TypeScalar(infoCharacter) * 100 + 0.5f)));
    const std::pair<const char*, float> skills[4] = {{"ATTR_CR", a.crimeRecords},
                                                     {"ATTR_PL", a.pickLocks},
                                                     {"ATTR_PS", a.pickSafes},
                                                     {"ATTR_AS", a.alarmSystems}};
    for (const auto& [key, value] : skills) {
        row(key, crt::Format("%d%%", int32_t(value * 100 + 0.5f)));
        DrawSmallBar({valueX - 0.35f, y}, std::clamp(value, 0.0f, 1.0f), false, false);
    }
}

int32_t CGameMenu::Finish()
{
    if (cancelRequested || Input.menuKey == 8) {
        Input.menuKey = 0;
        ViewRectTable[3] = SViewRect{};
        return 0;
    }
    if (!okRequested)
        return -1;
    ComputeLootShares();
    PlanCar = car ? car->Definition() : nullptr;
    PlanCarCapacity = car ? TypeScalar(car) * 100.0f : 0.0f;
    ViewRectTable[3] = SViewRect{};
    PlanMemberArray.clear();
    for (int32_t p = 0; p < 4; ++p) {
        CWorldObject* person = Person(p);
        if (!person)
            continue;
        // An accomplice the HUD does not offer gets no record.
        if (p > 0 &&
            std::find(HudGangCharacters.begin(), HudGangCharacters.end(), person) == HudGangCharacters.end())
            continue;
        SPlanMember& record = *PlanMemberArray.at(PlanMemberArray.add(1));
        record = SPlanMember();
        record.member = person;
        record.leader = leader == p ? 1 : 0;
        record.memberFactor = lootShare[p];
        for (int32_t j = 0; j < 3; ++j) {
            const HudItemRecord& slot = slots[3 * p + j];
            if (slot.instance == -1 || slot.instance >= int32_t(ObjectInstances.size()))
                continue;
            CObjectNode* item = ObjectInstances[size_t(slot.instance)].object;
            record.hands[j] = SItemSlot{item, 0};
            record.toolFlags[j] = item ? 1 : 0;
            record.carriedLoad += ItemWeight(item);
        }
    }
    PlanBurglaryNumber = target + 1;
    return 1;
}

int32_t CGameMenu::Render(int32_t now)
{
    ViewRectTable[3] = SViewRect{0, 0, DX.screenWidth, DX.screenHeight};
    HandleInput();

    if (pendingChoice != 0) {
        TakeChoice(chooser.Render(now));
        return -1;
    }

    const int32_t dt = now - lastTime;
    lastTime = now;
    time = now;
    AdvanceTransition();
    AnimateFigures(dt);

    int32_t present = 0;
    for (CWorldObject* m : members)
        present += m ? 1 : 0;
    const int32_t free = int32_t(HudGangCharacters.size()) - present;
    for (int32_t k = 0; k < 3; ++k)
        if (CMenuElement* e = Element(memberButtons[k]))
            e->active = (!members[k] && free < 1) ? 1 : 0;

    if (mode == MODE_TOOLS) {
        ToolsPage(dt);
    } else {
        for (int32_t b : {scrollLeftButton, scrollRightButton})
            ShowWithCompanions(b, false);
        if (mode == MODE_OVERVIEW && transition == 0)
            for (int32_t k = 0; k < 3; ++k)
                Show(removeButtons[k], Shown(personFigures[k + 1]));
    }
    if (dragged) {
        const MenuPoint m = MenuCursor();
        if (auto* f = dynamic_cast<CMenuFigure*>(dragged)) {
            f->state.position[0] = m.x;
            f->state.position[1] = -m.y;
        }
    }
    if (mode != MODE_INFO)
        pressed = -2;

    const float capacity = car ? TypeScalar(car) * 100.0f : 0.0f;
    carLoad = car && capacity > 0 ? UsedCarSpace() / capacity : 0.0f;
    if (carLoad > 1.0f)
        carLoad = 1.1f;
    bool overloaded = false;
    for (int32_t p = 0; p < 4; ++p)
        overloaded = overloaded || Overloaded(p);
    if (CMenuElement* ok = Element(okButton))
        ok->active = (target < 0 || !car || carLoad > 1.0f || overloaded) ? 1 : 0;

    LockSpecialTargets();
    LockPlanChoices();

    CMenu::Render(now);
    ComputeLootShares();

    if (transition == 0) {
        if (mode == MODE_OVERVIEW)
            DrawOverviewTexts();
        else if (mode == MODE_TOOLS)
            DrawToolsTexts();
        else
            DrawInfoTexts();
    }
    if (!ModalMenuFlag && ScreenFade.IsFinished())
        DrawTooltip();
    return Finish();
}

// --- input ---

void CGameMenu::OpenTargetChooser()
{
    chooser.RemoveAllElements();
    chooser.ClearEntries();
    chooserLevels_.clear();
    for (int32_t level = 0; level < LevelCount; ++level) {
        const std::string text = GetDisplayText(crt::Format("MENU_BURG_%d", level + 1).c_str());
        const int32_t required = TargetMinimumLevel[level];
        if (required > BurglaryLevel + 1)
            continue;
        bool current = required == BurglaryLevel;
        bool done = required < BurglaryLevel || LevelFlags[level];
        if (Tutorial.active) {
            current = level == 0;
            done = false;
        }
        const int32_t before = chooser.EntryCount();
        BuildBurglaryInfo(&chooser, TargetModel(level), text.c_str(), current, done);
        if (chooser.EntryCount() > before)
            chooserLevels_.push_back(level);
    }
    chooser.Build(time, 0, 1);
}

void CGameMenu::OpenCarChooser()
{
    chooser.RemoveAllElements();
    chooser.ClearEntries();
    chooserObjects_.clear();
    for (CWorldObject* candidate : CarList) {
        if (!candidate)
            continue;
        const int32_t before = chooser.EntryCount();
        BuildCarInfo(&chooser, StateModel(candidate), candidate->objectLogic);
        if (chooser.EntryCount() > before)
            chooserObjects_.push_back(candidate);
    }
    chooser.Build(time, 0, 1);
}

void CGameMenu::OpenAccompliceChooser()
{
    chooser.RemoveAllElements();
    chooser.ClearEntries();
    for (size_t i = 0; i < HudGangCharacters.size(); ++i) {
        CWorldObject* candidate = HudGangCharacters[i];
        if (!candidate)
            continue;
        const CRootNode* shape = candidate->GetShapeRoot();
        if ((specialA && shape == specialA->GetShapeRoot()) ||
            (specialB && shape == specialB->GetShapeRoot()))
            continue;
        bool taken = false;
        for (int32_t k = 0; k < 3; ++k)
            taken = taken || (members[k] == candidate && Shown(personFigures[k + 1]));
        if (taken)
            continue;
        const CObjectLogic* logic = candidate->objectLogic;
        const CKindData* kind = logic ? logic->EffectiveKindData() : nullptr;
        const bool allowed = !kind || kind->minBurglaryLevel <= BurglaryLevel;
        ShowCharacterInfo(&chooser, candidate, allowed ? 1 : 0, int32_t(i));
    }
    chooser.Build(time, 0, 1);
}

int32_t CGameMenu::FreePoolFigure() const
{
    for (int32_t i = poolFirst; i <= poolLast && i >= 0; ++i)
        if (const CMenuFigure* f = Figure(i); f && !f->model)
            return i;
    return -1;
}

void CGameMenu::EmptySlot(int32_t s, uint32_t group)
{
    if (CMenuElement* frame = Element(slotFrames[s])) {
        frame->selectable = 1;
        frame->group = group;
    }
    slots[s] = HudItemRecord{};
    SetFigureModel(slotFigures[s], nullptr);
    Selectable(slotFigures[s], false);
    Show(slotFigures[s], false);
}

void CGameMenu::RemovePoolItem(int32_t k)
{
    const int32_t count = poolLast - poolFirst + 1;
    if (k < 0 || k >= count || k >= int32_t(pool.size()))
        return;
    for (int32_t i = k; i + 1 < count && i + 1 < int32_t(pool.size()); ++i) {
        pool[size_t(i)] = pool[size_t(i) + 1];
        CMenuFigure* to = Figure(poolFirst + i);
        const CMenuFigure* from = Figure(poolFirst + i + 1);
        if (to && from) {
            to->model = from->model;
            to->PlaceOnSnapper(1);
            to->SetState(from->shown);
            to->selectable = from->selectable;
        }
    }
    SetFigureModel(poolLast, nullptr);
    Show(poolLast, false);
    pool.back() = HudItemRecord{};
}

void CGameMenu::ReturnMemberItems(int32_t k)
{
    for (int32_t j = 0; j < 3; ++j) {
        const int32_t s = 3 * k + j;
        const CMenuFigure* figure = Figure(slotFigures[s]);
        if (!figure || !figure->model)
            continue;
        if (CMenuElement* frame = Element(slotFrames[s])) {
            frame->selectable = 1;
            frame->group = GROUP_DRAG;
        }
        const int32_t free = FreePoolFigure();
        if (free >= 0) {
            pool[size_t(free - poolFirst)] = slots[s];
            SetFigureModel(free, slots[s].model);
            Show(free, true);
        }
        EmptySlot(s, GROUP_DRAG);
        if (CMenuElement* f = Element(slotFigures[s]))
            f->group = GROUP_DRAG;
    }
}

void CGameMenu::Drop(int32_t s)
{
    CMenuElement* frame = Element(slotFrames[s]);
    CMenuFigure* target = Figure(slotFigures[s]);
    auto* source = dynamic_cast<CMenuFigure*>(dragged);
    if (!frame || !target || !source)
        return;
    HudItemRecord moved;
    if (IsPoolFigure(dragSource)) {
        moved = pool[size_t(dragSource - poolFirst)];
    } else if (const int32_t t = SlotOfFigure(dragSource); t >= 0) {
        moved = slots[t];
    } else {
        return;
    }
    frame->selectable = 0;
    frame->group = 0;
    SetFigureModel(slotFigures[s], source->model);
    source->model = nullptr;
    source->SetState(0);
    target->SetState(1);
    target->selectable = 1;
    target->PlayTrack("fullalpha");
    slots[s] = moved;
    if (IsPoolFigure(dragSource)) {
        RemovePoolItem(dragSource - poolFirst);
    } else {
        const int32_t t = SlotOfFigure(dragSource);
        EmptySlot(t, GROUP_DROP);
    }
}

void CGameMenu::DropOnPool(int32_t t)
{
    const int32_t free = FreePoolFigure();
    // Every tool has a pool figure, so one is free whenever a slot holds a tool; should none
    // be, the tool stays in its slot.
    if (free < 0)
        return;
    pool[size_t(free - poolFirst)] = slots[t];
    SetFigureModel(free, slots[t].model);
    Show(free, true);
    EmptySlot(t, GROUP_DROP);
}

void CGameMenu::Click(int32_t h)
{
    const bool idle = transition == 0;
    if (h < 0)
        return;
    if (h == okButton) {
        okRequested = 1;
        cancelRequested = 0;
    } else if (h == cancelButton) {
        okRequested = 1;
        cancelRequested = 1;
    } else if (h == enterToolsButton) {
        if (!idle)
            return;
        transition = 1;
        for (int32_t b : {targetButton, carButton, targetFigure}) {
            Play(b, "end");
            Selectable(b, false);
        }
        Show(targetFigure, false);
        Show(carFigure, false);
        for (int32_t b :
             {enterInfoButton, okButton, cancelButton, removeButtons[0], removeButtons[1], removeButtons[2]})
            ShowWithCompanions(b, false);
        Show(leaveToolsButton, true);
        Play(leaveToolsButton, "start");
        Selectable(leaveToolsButton, false);
        Play(enterToolsButton, "end");
        Selectable(enterToolsButton, false);
        for (int32_t p = 0; p < 4; ++p)
            BuildCharacterInfo(personNames[p], Person(p));
    } else if (h == leaveToolsButton) {
        if (!idle)
            return;
        transition = 1;
        for (int32_t f : personFigures)
            Selectable(f, false);
        for (int32_t s = 0; s < SLOT_COUNT; ++s) {
            Play(slotFrames[s], "end");
            Selectable(slotFrames[s], false);
            Play(slotFigures[s], "end");
            const CMenuFigure* f = Figure(slotFigures[s]);
            Show(slotFigures[s], f && f->model);
            Selectable(slotFigures[s], false);
        }
        for (int32_t i = poolFirst; i <= poolLast && i >= 0; ++i) {
            Play(i, "end");
            Selectable(i, false);
        }
    } else if (h == enterInfoButton) {
        if (!idle)
            return;
        transition = 4;
        infoCharacter = CurrentCharacter;
        for (int32_t b : {targetButton, carButton}) {
            Play(b, "end");
            Selectable(b, false);
        }
        Play(targetFigure, "end");
        Show(targetFigure, false);
        Show(carFigure, false);
        Show(leaveInfoButton, true);
        Play(leaveInfoButton, "start");
        Selectable(leaveInfoButton, true);
        Play(enterInfoButton, "end");
        Selectable(enterInfoButton, false);
        for (int32_t b : {enterToolsButton, okButton, cancelButton})
            ShowWithCompanions(b, false);
        for (int32_t b : memberButtons) {
            Show(b, true);
            Selectable(b, true);
        }
    } else if (h == leaveInfoButton) {
        if (!idle)
            return;
        transition = 4;
        Play(heroButton, "zoomout");
        for (int32_t b : memberButtons) {
            Play(b, "zoomout");
            Selectable(b, true);
        }
        for (int32_t f : personFigures) {
            Play(f, "zoomout");
            Selectable(f, false);
        }
        Play(okButton, "start");
        Play(cancelButton, "start");
        Selectable(leaveInfoButton, false);
        Show(enterInfoButton, true);
        Play(enterInfoButton, "start");
        Selectable(enterInfoButton, true);
    } else if (h == targetButton) {
        OpenTargetChooser();
        pendingChoice = 1;
    } else if (h == carButton) {
        OpenCarChooser();
        pendingChoice = 2;
    } else if (h == heroButton) {
        pressed = heroButton;
        infoCharacter = CurrentCharacter;
    } else if (const auto k = std::find(std::begin(memberButtons), std::end(memberButtons), h);
               k != std::end(memberButtons)) {
        const int32_t member = int32_t(k - std::begin(memberButtons)) + 1;
        if (mode == MODE_OVERVIEW) {
            OpenAccompliceChooser();
            pendingChoice = member + 2;
        } else if (mode == MODE_INFO) {
            pressed = h;
            infoCharacter = members[member - 1];
        }
    } else if (const auto r = std::find(std::begin(removeButtons), std::end(removeButtons), h);
               r != std::end(removeButtons)) {
        if (mode != MODE_OVERVIEW)
            return;
        const int32_t member = int32_t(r - std::begin(removeButtons)) + 1;
        SetFigureModel(personFigures[member], nullptr);
        Show(personFigures[member], false);
        if (leader == member)
            leader = 0;
        members[member - 1] = nullptr;
        ReturnMemberItems(member);
    } else if (h == scrollRightButton) {
        if (poolScroll <= poolLast - POOL_PAGE)
            poolScroll += POOL_PAGE;
    } else if (h == scrollLeftButton) {
        if (poolFirst + POOL_PAGE <= poolScroll)
            poolScroll -= POOL_PAGE;
    } else if (const int32_t s = SlotOfFrame(h); s >= 0 && dragged) {
        Drop(s);
    } else if (h == toolFrame && dragged && SlotOfFigure(dragSource) >= 0) {
        DropOnPool(SlotOfFigure(dragSource));
    }
}

void CGameMenu::Release(int32_t element)
{
    Click(element);
    SetGroupSelectable(0, GROUP_DROP);
    SetGroupSelectable(1, GROUP_DRAG);
    if (auto* f = dynamic_cast<CMenuFigure*>(dragged)) {
        f->state.position[0] = dragHome[0];
        f->state.position[1] = dragHome[1];
    }
    dragged = nullptr;
}

void CGameMenu::Press(int32_t element)
{
    if (element == -1)
        return;
    PlayMenuClick();
    if (!IsPoolFigure(element) && SlotOfFigure(element) < 0)
        return;
    SetGroupSelectable(1, GROUP_DROP);
    SetGroupSelectable(0, GROUP_DRAG);
    dragged = Element(element);
    if (const CMenuFigure* f = Figure(element)) {
        dragHome[0] = f->state.position[0];
        dragHome[1] = f->state.position[1];
    }
    dragSource = element;
}

void CGameMenu::HandleInput()
{
    if (ModalMenuFlag || pendingChoice != 0)
        return;
    CMenu::HandleInput();
    if (leftReleased)
        Release(hover);
    if (leftPressed && !doubleClick)
        Press(hover);
}

void CGameMenu::UpdateHover(const MenuPoint* point)
{
    hover = -1;
    hovered = -1;
    if (ModalMenuFlag || pendingChoice != 0 || MenuInputBlocked || !point)
        return;
    tooltipVisible = 0;
    const char* key = nullptr;
    const std::string* text = nullptr;
    for (int32_t i = 0; i < ElementCount() && hover == -1; ++i) {
        CMenuElement* e = elements[size_t(i)];
        if (!e || e == dragged || !e->HitTest(point))
            continue;
        hover = hovered = i;
        if (mode == MODE_TOOLS && IsPoolFigure(i)) {
            text = &pool[size_t(i - poolFirst)].name;
            continue;
        }
        if (e->type == CMenuElement::TYPE_FIGURE)
            e->PlayTrack("mouseover");
        if (mode == MODE_TOOLS && SlotOfFigure(i) >= 0) {
            text = &slots[SlotOfFigure(i)].name;
        } else if (i == okButton) {
            key = "TTIP_PLAN_OK";
        } else if (i == cancelButton) {
            key = "TTIP_PLAN_CANCEL";
        } else if (i == enterToolsButton && mode == MODE_OVERVIEW) {
            key = "TTIP_PLAN_ENTERTOOL";
        } else if (i == leaveToolsButton && mode == MODE_TOOLS) {
            key = "TTIP_PLAN_LEAVETOOL";
        } else if (i == enterInfoButton && mode == MODE_OVERVIEW) {
            key = "TTIP_PLAN_ENTERINFO";
        } else if (i == leaveInfoButton && mode == MODE_INFO) {
            key = "TTIP_PLAN_LEAVEINFO";
        } else if (i == targetButton) {
            key = "TTIP_PLAN_TARGET";
        } else if (i == carButton) {
            key = "TTIP_PLAN_CAR";
        } else if (i == heroButton && mode == MODE_INFO) {
            key = "TTIP_PLAN_SHOWHERO";
        } else if (i == scrollLeftButton) {
            key = "TTIP_PLAN_LEFT";
        }
        for (int32_t k = 0; k < 3; ++k) {
            const char* select[3] = {"TTIP_PLAN_SELAC1", "TTIP_PLAN_SELAC2", "TTIP_PLAN_SELAC3"};
            const char* show[3] = {"TTIP_PLAN_SHOWAC1", "TTIP_PLAN_SHOWAC2", "TTIP_PLAN_SHOWAC3"};
            const char* remove[3] = {"TTIP_PLAN_RAC1", "TTIP_PLAN_RAC2", "TTIP_PLAN_RAC3"};
            if (i == memberButtons[k] && (mode == MODE_OVERVIEW || (k == 0 && mode == MODE_TOOLS)))
                key = select[k];
            else if (i == memberButtons[k] && mode == MODE_INFO)
                key = show[k];
            else if (i == removeButtons[k])
                key = remove[k];
        }
        for (int32_t p = 0; p < 4; ++p)
            if (i == personFigures[p] && mode == MODE_TOOLS)
                text = &personNames[p];
    }
    if (key)
        SetTooltip(GetDisplayText(key), -1);
    else if (text)
        SetTooltip(text->c_str(), -1);
    RestButtonFigures(*this, hoverScaleFirst, hoverScaleLast, hover, 0.06f, true);
}
