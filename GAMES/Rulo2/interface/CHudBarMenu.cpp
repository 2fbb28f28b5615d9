#include "GAMES/Rulo2/interface/CHudBarMenu.h"

#include <algorithm>
#include <cmath>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/app/CGameSoundManager.h"
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/app/ScreenHooks.h"
#include "GAMES/Rulo2/behaviour/CKindData.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/Feedback.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/behaviour/RecordControl.h"
#include "GAMES/Rulo2/interface/CMenuQuad.h"
#include "GAMES/Rulo2/interface/CSelectMenu.h"
#include "GAMES/Rulo2/interface/CTextTree.h"
#include "GAMES/Rulo2/interface/HudState.h"
#include "GAMES/Rulo2/interface/InfoTexts.h"
#include "GAMES/Rulo2/interface/OpenScreens.h"
#include "GAMES/Rulo2/interface/ScreenTracks.h"
#include "GAMES/Rulo2/render/CScreenFade.h"
#include "GAMES/Rulo2/render/EditorHelpers.h"
#include "GAMES/Rulo2/render/GameResources.h"
#include "GAMES/Rulo2/render/RenderStates.h"
#include "GAMES/Rulo2/render/UiSurfaces.h"
#include "GAMES/Rulo2/render/ViewRects.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/ObjectInstances.h"
#include "platform/crt/Crt.h"

namespace {

constexpr float kLeft = -0.61f, kTop = 0.765f, kRight = -0.11f, kBottom = 0.865f;
constexpr float kInnerLeft = kLeft + 0.02f, kInnerRight = kRight - 0.02f;

// The bar's images by role.
enum : uint16_t
{
    IMG_BACKGROUND = 488,
    IMG_SIDE_PANEL = 552,
    IMG_CASH_PLATE = 537,
    IMG_DIGITS = 489,
    IMG_TRACK = 571,
    IMG_KNOB = 600,
    IMG_FRAME = 573,
    IMG_END_ARROW = 574,
    IMG_STEP_ARROW = 609,
    IMG_PLAY = 575,
    IMG_PAUSE = 592,
    IMG_RECORD = 576,
    IMG_RECORD_LATCHED = 577,
    IMG_RECORDING = 591,
    IMG_CLOCK_FACE = 471,
    IMG_CLOCK_HAND = 570,
    IMG_CLOCK_GLASS = 482,
    IMG_MAP = 567,
    IMG_INVENTORY = 430,
    IMG_LEFT_CAP = 587,
    IMG_RIGHT_CAP = 586,
};

constexpr float kWhite[4] = {1, 1, 1, 1};
constexpr float kBlack[4] = {0, 0, 0, 1};
constexpr float kRed[4] = {1, 0, 0, 1};
constexpr float kGrey[4] = {0.5f, 0.5f, 0.5f, 1};
constexpr float kGlyphSize[2] = {0.032f, 0.05f};
constexpr float kGlyphSpacing[2] = {0.022f, 0.02f};
constexpr float kPi = 3.14159265358979f;

// The map and inventory buttons' rectangles (x0, x1, y0, y1).
constexpr float kMapRect[4] = {-0.948f, -0.852f, 0.742f, 0.878f};
// While hovered the map button wobbles about a wider box.
constexpr float kMapHoverRect[4] = {-0.948f, -0.792f, 0.702f, 0.918f};
constexpr float kInventoryRect[4] = {0.77f, 0.96f, 0.69f, 0.92f};

struct SIcon
{
    uint16_t image;
    float x0, x1;
    bool mirrored;
};
constexpr SIcon kIcons[6] = {
    {IMG_END_ARROW, -0.562f, -0.5423f, true},    {IMG_STEP_ARROW, -0.4923f, -0.4587f, true},
    {IMG_PLAY, -0.4087f, -0.389f, false},        {IMG_RECORD, -0.332f, -0.3123f, false},
    {IMG_STEP_ARROW, -0.2623f, -0.2287f, false}, {IMG_END_ARROW, -0.1787f, -0.159f, false},
};

bool StageTwo()
{
    return GamePhase == PHASE_PLANNING && PlanActivity == 2;
}

CRootNode* CurrentModelRoot(const CObjectNode* object)
{
    if (!object)
        return nullptr;
    if (object->objectLogic && object->objectLogic->animation)
        return object->objectLogic->animation->GetModelRoot();
    return object->firstState ? object->firstState->GetModelRoot() : nullptr;
}

int32_t KindOf(const CObjectNode* object)
{
    const CObjectLogic* logic = object ? object->objectLogic : nullptr;
    return logic ? logic->Kind() : -1;
}

// One inventory entry of the selection list for a carried item.
void AppendInventoryEntry(CObjectNode* object)
{
    MenuSlot slot;
    slot.instance = object;
    slot.previewModel = CurrentModelRoot(object);
    slot.gameData = object->objectLogic;
    BuildItemInfo(slot.gameData, slot.text);
    SelectMenu.entries.push_back(slot);
}

bool InstanceHeld(const CObjectNode* object)
{
    const int32_t i = FindInstanceByObject(object);
    return i >= 0 && ObjectInstances[size_t(i)].held;
}

void SetRect(int32_t index, int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    ViewRectTable[index] = SViewRect{left, top, right, bottom};
}

} // namespace

const SHudBarArea HudBarArea = {
    kLeft, kTop, kRight, kBottom, kInnerLeft, kInnerRight, (kInnerRight - kInnerLeft) / 6};

SHudRecorder GameRecorder()
{
    return SHudRecorder{ReplayBackToStart, ReplayBackToMark, ReplayForwardToMark, ReplayForwardToEnd,
                        PauseGame,         SetRecordState,   StopRecording,       IsRecordingActive};
}

CHudBarMenu HudBarMenu;

CHudBarMenu::CHudBarMenu() : recorder(GameRecorder()) {}

SPlanMember* FindGangRecord(const CWorldObject* character)
{
    if (!character)
        return nullptr;
    for (SPlanMember& record : PlanMemberArray)
        if (record.member == character)
            return &record;
    return nullptr;
}

int32_t CHudBarMenu::AddQuad(CTexture* texture, float x0, float x1, float y0, float y1, float uLeft,
                             float uRight, float vTop, float vBottom, const float colour[4], float z,
                             int32_t blend, uint8_t selectable)
{
    auto* quad = new CMenuQuad(this);
    quad->key.texture = texture;
    quad->z = z;
    quad->blendMode = blend;
    const float c[4] = {colour[0], colour[1], colour[2], colour[3]};
    quad->SetVertex(0, MenuVertex{x0, y0, uLeft, vTop, c[0], c[1], c[2], c[3]});
    quad->SetVertex(1, MenuVertex{x1, y0, uRight, vTop, c[0], c[1], c[2], c[3]});
    quad->SetVertex(2, MenuVertex{x1, y1, uRight, vBottom, c[0], c[1], c[2], c[3]});
    quad->SetVertex(3, MenuVertex{x0, y1, uLeft, vBottom, c[0], c[1], c[2], c[3]});
    // One "default" track, made from the first quad, is shared by all; the PlayAll of the
    // build's end replaces it with no track, so each quad keeps its own corners.
    if (!defaultTrack_) {
        defaultTrack_ = new CQuadTrack(this);
        defaultTrack_->name = "default";
        defaultTrack_->AddKey(0, quad->key, 0);
    }
    quad->AddTrack(defaultTrack_);
    quad->PlayTrack("default");
    quad->selectable = selectable;
    const int32_t index = AddElement(quad, 0);
    quad->Release();
    return index;
}

void CHudBarMenu::Build(int32_t now)
{
    time = now;
    lastTime = now;
    if (defaultTrack_)
        defaultTrack_->Release();
    defaultTrack_ = nullptr;
    auto tex = [](uint16_t id) { return GameResourceTexture(id); };

    background = AddQuad(tex(IMG_BACKGROUND), -0.9f, 0.9f, 0.73f, 0.9f, 0, 1, 0, 1, kWhite, 0.6f, 4, 0);
    rightPanel =
        AddQuad(tex(IMG_SIDE_PANEL), 0.75f, 0.99f, 0.658f, 0.965f, 0.01f, 1, 0, 1, kWhite, 0.59f, 4, 0);
    leftPanel =
        AddQuad(tex(IMG_SIDE_PANEL), -0.99f, -0.75f, 0.658f, 0.965f, 1, 0.01f, 0, 1, kWhite, 0.59f, 4, 0);
    cashPlate = AddQuad(tex(IMG_CASH_PLATE), -0.15f, 0.15f, 0.63f, 0.95f, 0, 1, 0, 1, kWhite, 0.29f, 4, 0);
    const float cashCell = 0.16f / 7.0f;
    for (int32_t i = 0; i < 7; ++i)
        cashDigits[i] =
            AddQuad(tex(IMG_DIGITS), -0.08f + float(i) * cashCell, -0.08f + float(i + 1) * cashCell, 0.785f,
                    0.83f, 0, 0.5f, 0.01f, 0.09f, kWhite, 0.28f, 0, 0);
    speedTrack = AddQuad(tex(IMG_TRACK), kLeft, kRight, kTop, kBottom, 0, 1, 0, 1, kWhite, 0.59f, 4, 0);
    for (int32_t i = 0; i < 6; ++i) {
        const float x0 = kInnerLeft + float(i) * HudBarArea.slotWidth;
        controlSlots[i] = AddQuad(tex(IMG_FRAME), x0, x0 + HudBarArea.slotWidth - 0.001f, kTop + 0.02f,
                                  kBottom, 0, 1, 0, 1, kWhite, 0.58f, 4, 1);
    }
    for (int32_t i = 0; i < 6; ++i) {
        const SIcon& icon = kIcons[i];
        controlIcons[i] = AddQuad(tex(IMG_FRAME), icon.x0, icon.x1, 0.81f, 0.84f, icon.mirrored ? 1.0f : 0.0f,
                                  icon.mirrored ? 0.0f : 1.0f, 0, 1, kBlack, 0.57f, 4, 0);
        SetTexture(controlIcons[i], icon.image);
    }
    speedKnob = AddQuad(tex(IMG_KNOB), kLeft, kRight, kTop, kBottom, 0, 1, 0, 1, kWhite, 0.59f, 4, 1);
    clockFace = AddQuad(tex(IMG_CLOCK_FACE), -0.99f, -0.6f, 0.648f, 0.968f, 0, 1, 0, 1, kWhite, 0.59f, 4, 0);
    secondHand = AddQuad(tex(IMG_CLOCK_HAND), -0.99f, -0.6f, 0.648f, 0.968f, 0, 1, 0, 1, kWhite, 0.58f, 4, 0);
    minuteHand = AddQuad(tex(IMG_CLOCK_HAND), -0.99f, -0.6f, 0.648f, 0.968f, 0, 1, 0, 1, kWhite, 0.58f, 4, 0);
    hourHand = AddQuad(tex(IMG_CLOCK_HAND), -0.99f, -0.6f, 0.648f, 0.968f, 0, 1, 0, 1, kWhite, 0.58f, 4, 0);
    clockGlass = AddQuad(tex(IMG_CLOCK_GLASS), -0.9f, -0.83f, 0.73f, 0.88f, 0, 1, 0, 1, kWhite, 0.57f, 2, 0);

    // Two figures that Render keeps hidden; they hold their places in the list.
    const float angles[3] = {-kPi / 2, 0, 0};
    rewindFigure = AddFigure(nullptr, {-0.905f, -0.48f}, angles, 0.05f, false);
    recordFigure = AddFigure(nullptr, {-0.748f, -0.48f}, angles, 0.05f, false);
    SetSelectable(rewindFigure, true);
    SetSelectable(recordFigure, true);

    mapButton = AddQuad(tex(IMG_MAP), kMapRect[0], kMapRect[1], kMapRect[2], kMapRect[3], 0, 1, 0, 1, kWhite,
                        0.58f, 4, 1);
    inventoryButton = AddQuad(tex(IMG_INVENTORY), kInventoryRect[0], kInventoryRect[1], kInventoryRect[2],
                              kInventoryRect[3], 0, 1, 0, 1, kWhite, 0.58f, 4, 1);
    const float x0 = -0.785f, x1 = -0.625f;
    for (int32_t i = 0; i < 10; ++i) {
        const bool separator = i == 2 || i == 5 || i == 8;
        clockDigits[i] = AddQuad(tex(IMG_DIGITS), x0 + float(i) * (x1 - x0) / 10,
                                 x0 + float(i + 1) * (x1 - x0) / 10, 0.79f, 0.84f, separator ? 0.5f : 0.0f,
                                 separator ? 1.0f : 0.5f, 0.01f, 0.09f, kWhite, 0.1f, 0, 0);
    }
    leftCap = AddQuad(tex(IMG_LEFT_CAP), -0.96f, -0.77f, 0.69f, 0.92f, 1, 0, 0, 1, kWhite, 0.58f, 4, 0);
    rightCap = AddQuad(tex(IMG_RIGHT_CAP), 0.77f, 0.96f, 0.69f, 0.92f, 0, 1, 0, 1, kWhite, 0.58f, 4, 0);

    PlayAll();
    for (int32_t index : {background, inventoryButton, clockFace, clockGlass, rewindFigure, recordFigure,
                          speedKnob, hourHand, secondHand, minuteHand})
        Show(index, true);
    barHovered = -1;
    HudRecordByte = 0;
    defaultTrack_->Release();
    defaultTrack_ = nullptr;
}

void CHudBarMenu::Show(int32_t index, bool on)
{
    if (CMenuElement* e = Element(index))
        e->SetState(on ? 1 : 0);
}

void CHudBarMenu::SetSelectable(int32_t index, bool on)
{
    if (CMenuElement* e = Element(index))
        e->selectable = on ? 1 : 0;
}

void CHudBarMenu::SetColour(int32_t index, const float colour[4])
{
    if (auto* quad = dynamic_cast<CMenuQuad*>(Element(index)))
        quad->SetColor(CMenuQuad::Colour{colour[0], colour[1], colour[2], colour[3]});
}

void CHudBarMenu::SetTexture(int32_t index, uint16_t image)
{
    if (auto* quad = dynamic_cast<CMenuQuad*>(Element(index)))
        quad->key.texture = GameResourceTexture(image);
}

void CHudBarMenu::PlaceQuad(int32_t index, float x0, float x1, float y0, float y1)
{
    auto* quad = dynamic_cast<CMenuQuad*>(Element(index));
    if (!quad)
        return;
    MenuVertex* v = quad->key.vertices;
    v[0].x = v[3].x = x0;
    v[1].x = v[2].x = x1;
    v[0].y = v[1].y = y0;
    v[2].y = v[3].y = y1;
}

void CHudBarMenu::ShowDigit(int32_t index, int32_t digit)
{
    auto* quad = dynamic_cast<CMenuQuad*>(Element(index));
    if (!quad)
        return;
    QuadKey block = quad->key;
    const float top = float(digit) / 10.0f + 0.02f, bottom = float(digit) / 10.0f + 0.09f;
    block.vertices[0].v = block.vertices[1].v = top;
    block.vertices[2].v = block.vertices[3].v = bottom;
    quad->key = block;
}

void CHudBarMenu::PlaceHand(int32_t index, float angle, const float colour[4])
{
    auto* quad = dynamic_cast<CMenuQuad*>(Element(index));
    if (!quad)
        return;
    const float offsets[4][2] = {{-0.006f, -0.07f}, {0.006f, -0.07f}, {0.006f, 0.01f}, {-0.006f, 0.01f}};
    const float uv[4][2] = {{0, 0}, {1.01f, 0}, {1.01f, 1}, {0, 1}};
    const float s = std::sin(angle), c = std::cos(angle);
    for (int32_t i = 0; i < 4; ++i) {
        const float x = offsets[i][0], y = offsets[i][1];
        quad->SetVertex(i, MenuVertex{s * y + c * x - 0.876f, c * y - s * x + 0.8f, uv[i][0], uv[i][1],
                                      colour[0], colour[1], colour[2], colour[3]});
    }
}

void CHudBarMenu::UpdateHover(const MenuPoint* point)
{
    if (ModalMenuFlag)
        return;
    barHovered = -1;
    hovered = -1;
    tooltipRequested = 0;
    if (!point)
        return;
    for (int32_t i = 0; i < ElementCount(); ++i) {
        CMenuElement* e = elements[size_t(i)];
        if (!e || !e->HitTest(point))
            continue;
        const char* key = i == mapButton         ? "TTIP_BAR_MAP"
                          : i == speedKnob       ? "TTIP_BAR_WIN"
                          : i == inventoryButton ? "TTIP_BAR_INV"
                                                 : nullptr;
        if (key)
            SetTooltip(GetDisplayText(key), -1);
        barHovered = hovered = i;
        return;
    }
}

void CHudBarMenu::OpenInventory()
{
    CWorldObject* selected = HudReferenceCharacter();
    if (ItemChoiceOpen != 0 || !selected)
        return;
    const int32_t now = int32_t(GameClock.frameTime);
    GetUiSurface(0);
    if (GamePhase == PHASE_REALTIME) {
        OpenSelectMenu(now, 1, 0);
    } else {
        const SPlanMember* record = FindGangRecord(selected);
        if (!record)
            return;
        SelectMenu.RemoveAllElements();
        SelectMenu.ClearEntries();
        for (const SItemSlot& slot : record->hands)
            if (slot.item && !InstanceHeld(slot.item))
                AppendInventoryEntry(slot.item);
        for (const SItemSlot& slot : record->bag)
            if (slot.item && !InstanceHeld(slot.item))
                AppendInventoryEntry(slot.item);
        for (const ObjectInstance& instance : ObjectInstances)
            if (instance.owner == selected && instance.active && instance.object &&
                KindOf(instance.object) == KIND_LOOT)
                AppendInventoryEntry(instance.object);
        SelectMenu.Build(now, 1, 0);
    }
    HudBarMode = 0;
    ItemChoiceOpen = 2;
    ViewFreeze = 0;
}

void CHudBarMenu::HandleInput()
{
    if (ModalMenuFlag)
        return;
    CMenu::HandleInput();
    if (leftReleased) {
        if (draggingKnob) {
            speedValue = 0;
            draggingKnob = 0;
            GameClock.gameSpeed = 0;
            SetRect(6, 0, 0, 0, 0);
            MenuDragRect = SDragRect{};
        } else if (barHovered >= 0 && barHovered == mapButton) {
            OpenMapMenu(int32_t(GameClock.frameTime));
            MapMenuOpen = MapMenuOpen ? 0 : 1;
            if (!MapMenuOpen)
                SetRect(3, 0, 0, 0, 0);
        } else if (barHovered >= 0 && barHovered == inventoryButton) {
            OpenInventory();
        } else if (barHovered >= 0 && barHovered == controlSlots[0]) {
            CameraInputWord = 0;
            if (StageTwo())
                recorder.backToStart();
            HudRecordByte = 0;
        } else if (barHovered >= 0 && barHovered == controlSlots[1]) {
            CameraInputWord = 0;
            recorder.backToMark();
        } else if (barHovered >= 0 && barHovered == controlSlots[2]) {
            if (HudRecordByte && recorder.isRecordingActive())
                recorder.pause();
            HudRecordByte = HudRecordByte ? 0 : 1;
            GameClock.gameSpeed = 0;
            recordOn = 0;
        } else if (barHovered >= 0 && barHovered == controlSlots[3]) {
            if (!recordOn) {
                if (HudRecordByte && !recorder.isRecordingActive()) {
                    recorder.setRecordState(1);
                } else {
                    recorder.clearRecording();
                    GameClock.gameSpeed = 100;
                }
                recordOn = 1;
            } else {
                if (HudRecordByte && recorder.isRecordingActive())
                    recorder.pause();
                else
                    GameClock.gameSpeed = 0;
                recordOn = 0;
            }
        } else if (barHovered >= 0 && barHovered == controlSlots[4]) {
            CameraInputWord = 0;
            recorder.forwardToMark();
        } else if (barHovered >= 0 && barHovered == controlSlots[5]) {
            CameraInputWord = 0;
            if (!HudRecordByte)
                recorder.forwardToEnd();
        }
    }
    if (leftPressed && barHovered != -1 && !doubleClick) {
        PlayMenuClick();
        if (barHovered == speedKnob && !draggingKnob) {
            ViewFreeze = 0;
            if (GamePhase == PHASE_PLANNING) {
                if (!recorder.isRecordingActive())
                    recorder.clearRecording();
            } else {
                GameClock.gameSpeed = 100;
            }
            speedValue = 0;
            draggingKnob = 1;
            SetRect(6, 0, 0, DX.screenWidth, DX.screenHeight);
            MenuDragRect = SDragRect{0, 0, DX.screenWidth, DX.screenHeight};
        }
    }
}

void CHudBarMenu::UpdateSpeed()
{
    const float centre = (kLeft + kRight) / 2;
    int32_t& speed = GameClock.gameSpeed;
    if (draggingKnob) {
        CameraInputWord = 0;
        if (SoundManager)
            SoundManager->enabled = 0;
        const float low = GamePhase == PHASE_PLANNING ? -1.0f : 0.0f;
        speedValue = std::clamp((MenuCursor().x - centre) * 9.0f, low, 1.0f);
        const double base = double(4.322f);
        if (speedValue > 0)
            speed = 30 + int32_t(2000.0 * std::pow(base, double(speedValue)));
        else if (speedValue < 0)
            speed = -30 - int32_t(2000.0 * std::pow(base, double(-speedValue)));
        else
            speed = 0;
        if (HudRecordByte && speed < 100)
            speed = 100;
    } else if (SoundManager) {
        SoundManager->enabled = 1;
    }
    // Only a stopped plan may be run backwards; anywhere else the knob stays right of the
    // centre, and outside the planning a stopped game runs on at normal speed.
    if (!(GamePhase == PHASE_PLANNING && RecordState != RECORD_RECORD && !HudRecordByte)) {
        speedValue = std::max(speedValue, 0.0f);
        speed = std::max(speed, 0);
        if (GamePhase != PHASE_PLANNING && speed < 100)
            speed += 100;
    }
    const float knobX = centre + speedValue / 6.5f;
    PlaceQuad(speedKnob, knobX - 0.064f, knobX + 0.064f, kTop - 0.042f, kTop + 0.029f);
}

void CHudBarMenu::UpdateVisibility()
{
    const bool timeControls = (HudBarMode & 1) != 0, sideParts = (HudBarMode & 2) != 0;
    const bool realtime = GamePhase == PHASE_REALTIME;
    Show(mapButton, timeControls && GamePhase != PHASE_BURGLARY && !StageTwo());
    const bool clocks = timeControls && !realtime;
    for (int32_t index : {clockFace, clockGlass, speedKnob, speedTrack, secondHand, minuteHand, hourHand})
        Show(index, clocks);
    for (int32_t i = 0; i < 6; ++i) {
        Show(controlSlots[i], clocks);
        Show(controlIcons[i], clocks);
    }
    for (int32_t index : clockDigits)
        Show(index, clocks);
    Show(rewindFigure, false);
    Show(recordFigure, false);
    Show(inventoryButton, sideParts);
    Show(rightPanel, sideParts);
    Show(leftPanel, sideParts && realtime);
    const auto shown = [this](int32_t index) { return Element(index) && Element(index)->GetState() != 0; };
    Show(leftCap, !shown(leftPanel) && !shown(clockFace));
    Show(rightCap, !shown(rightPanel));

    const bool rowWorks = StageTwo();
    for (int32_t i = 0; i < 6; ++i) {
        SetSelectable(controlSlots[i], rowWorks);
        if (CMenuElement* e = Element(controlIcons[i]))
            e->active = rowWorks ? 0 : 1;
    }
    const bool pictures = (realtime || GamePhase == PHASE_PLANNING) && BurglaryLevel != NumberOfLevels + 1;
    SetSelectable(inventoryButton, pictures);
    SetSelectable(mapButton, pictures);
}

void CHudBarMenu::UpdateButtonRow()
{
    const bool playing = HudRecordByte != 0;
    SetSelectable(controlSlots[0], !playing);
    SetSelectable(controlSlots[5], !playing);
    SetColour(controlIcons[0], playing ? kGrey : kBlack);
    SetColour(controlIcons[5], playing ? kGrey : kBlack);
    if (GameClock.gameSpeed == 0)
        recordOn = 0;
    const float left = kInnerLeft + 3 * HudBarArea.slotWidth;
    const float right = kInnerLeft + 4 * HudBarArea.slotWidth - 0.001f;
    const float top = kTop + 0.045f, bottom = kBottom - 0.025f;
    const int32_t icon = controlIcons[3];
    if (playing && GameClock.gameSpeed >= 1) {
        recordOn = 1;
        SetTexture(icon, IMG_RECORDING);
        SetColour(icon, kRed);
        PlaceQuad(icon, left + 0.021f, right - 0.021f, top, bottom);
        SetSelectable(controlSlots[3], true);
    } else if (recordOn) {
        SetTexture(icon, IMG_RECORD_LATCHED);
        SetColour(icon, kBlack);
        PlaceQuad(icon, left + 0.021f, right - 0.021f, top, bottom);
        SetSelectable(controlSlots[3], true);
    } else {
        SetTexture(icon, IMG_RECORD);
        PlaceQuad(icon, left + 0.028f, right - 0.028f, top, bottom);
        if (GameClock.gameClock < kMaxRecordingClock || playing) {
            SetColour(icon, playing ? kRed : kBlack);
        } else {
            // The recording time is used up: the button no longer starts one.
            SetColour(icon, kGrey);
            SetSelectable(controlSlots[3], false);
            SetSelectable(icon, false);
        }
    }
}

void CHudBarMenu::DrawTexts()
{
    const float yellow[3] = {1, 1, 0};
    const bool showsLoot = GamePhase == PHASE_BURGLARY || (GamePhase == PHASE_PLANNING && PlanActivity != 1);
    valueText.clear();
    loadText.clear();
    if (showsLoot) {
        lootTotal = 0;
        for (const ObjectInstance& instance : ObjectInstances)
            if (instance.active && !instance.held && KindOf(instance.object) == KIND_LOOT)
                if (const CKindData* kind = instance.object->objectLogic->EffectiveKindData())
                    lootTotal += kind->Price();
        valueText = crt::Format("$%d", int32_t(lootTotal));
        const float green[3] = {0, 1, 0}, red[3] = {1, 0, 0};
        DrawText2D(valueText.c_str(), {0, 0.785f}, 2, kGlyphSize, kGlyphSpacing,
                   lootTotal >= TargetLootValue * RequiredLootShare ? green : red);
        CWorldObject* selected = HudReferenceCharacter();
        if (const SPlanMember* record = FindGangRecord(selected)) {
            const float capacity = selected->objectLogic ? selected->objectLogic->CarryingCapacity() : 0.0f;
            // Both weights in the unit of FormatWeight, as the tools page and the info texts show them.
            loadText = FormatWeight(std::ceil(record->carriedLoad), false) + "/" +
                       FormatWeight(std::ceil(capacity), true);
            DrawText2D(loadText.c_str(), {0, 0.93f}, 2, kGlyphSize, kGlyphSpacing, yellow);
        }
    } else {
        valueText = Cash <= 99999 ? crt::Format("$%d", Cash) : std::string(GetDisplayText("DISPLAY_RICH"));
        DrawText2D(valueText.c_str(), {0, 0.785f}, 2, kGlyphSize, kGlyphSpacing, yellow);
    }
}

int32_t CHudBarMenu::Render(int32_t now)
{
    if (HudHiddenFlag)
        return -1;
    const int32_t w = DX.screenWidth / 2, h = DX.screenHeight / 2;
    const auto px = [](double f, int32_t half) { return int32_t(f * half); };
    SetRect(0, px(0.1, w), px(1.73, h), px(1.9, w), px(1.9, h));
    SetRect(1, px(0.01, w), px(1.65, h), px(0.22, w), px(1.99, h));
    SetRect(2, px(1.78, w), px(1.65, h), px(1.99, w), px(1.99, h));

    BeforeInput();
    HandleInput();
    lastTime = now;

    for (int32_t index : cashDigits)
        Show(index, false);

    const int32_t t = GameClock.gameClock;
    const int32_t hours = (t / 3'600'000) % 24;
    const int32_t glyphs[10] = {
        hours / 10,       hours % 10,      -1, (t / 600'000) % 6, (t / 60'000) % 10, -1,
        (t / 10'000) % 6, (t / 1000) % 10, -1, (t / 100) % 10};
    for (int32_t i = 0; i < 10; ++i)
        if (glyphs[i] >= 0)
            ShowDigit(clockDigits[i], glyphs[i]);

    UpdateSpeed();

    PlaceHand(secondHand, -2 * kPi * float((t / 1000) % 60) / 60, kRed);
    PlaceHand(minuteHand, -2 * kPi * float((t / 60'000) % 60) / 60, kGrey);
    PlaceHand(hourHand, -2 * kPi * float((t / 3'600'000) % 24) / 12, kBlack);

    const bool playing = HudRecordByte != 0;
    SetTexture(controlIcons[2], playing ? IMG_PAUSE : IMG_PLAY);
    SetColour(controlIcons[2], playing ? kBlack : kRed);

    const int32_t clock = int32_t(GameClock.frameTime);
    const auto wobble = [clock](uint8_t& on, int32_t& start) {
        if (!on) {
            on = 1;
            start = clock;
        }
        return 0.01f * std::sin(2 * kPi * float((clock - start) % 1000) / 1000.0f);
    };
    if (barHovered >= 0 && barHovered == inventoryButton) {
        const float s = wobble(inventoryPulseOn, inventoryPulseStart);
        PlaceQuad(inventoryButton, kInventoryRect[0] - s, kInventoryRect[1] + s, kInventoryRect[2] - s,
                  kInventoryRect[3] + s);
    } else {
        inventoryPulseOn = 0;
        PlaceQuad(inventoryButton, kInventoryRect[0], kInventoryRect[1], kInventoryRect[2],
                  kInventoryRect[3]);
    }
    if (barHovered >= 0 && barHovered == mapButton) {
        const float s = wobble(mapPulseOn, mapPulseStart);
        PlaceQuad(mapButton, kMapHoverRect[0] - s, kMapHoverRect[1] + s, kMapHoverRect[2] - s,
                  kMapHoverRect[3] + s);
    } else {
        mapPulseOn = 0;
        PlaceQuad(mapButton, kMapRect[0], kMapRect[1], kMapRect[2], kMapRect[3]);
    }

    UpdateVisibility();
    if (StageTwo())
        UpdateButtonRow();

    SetZEnable(false);
    CMenu::Render(now);
    // The texts go over the cash plate that the elements just drew; drawn first, the plate and
    // the background would hide them.
    DrawTexts();
    SetZEnable(true);
    SetZWrite(true);

    if (!ModalMenuFlag && ScreenFade.IsFinished())
        DrawTooltip();
    return -1;
}
