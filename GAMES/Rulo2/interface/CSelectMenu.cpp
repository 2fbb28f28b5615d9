#include "GAMES/Rulo2/interface/CSelectMenu.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <strings.h>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/Texture.h"
#include "GAMES/Rulo2/app/CGameSoundManager.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/app/SaveGame.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/Feedback.h"
#include "GAMES/Rulo2/interface/CMenuFigure.h"
#include "GAMES/Rulo2/interface/CMenuGlow.h"
#include "GAMES/Rulo2/interface/CMenuQuad.h"
#include "GAMES/Rulo2/interface/CTextTree.h"
#include "GAMES/Rulo2/interface/CTutorial.h"
#include "GAMES/Rulo2/interface/ScreenTracks.h"
#include "GAMES/Rulo2/navigation/Navigation.h"
#include "GAMES/Rulo2/render/GameResources.h"
#include "GAMES/Rulo2/render/ViewRects.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/ObjectInstances.h"
#include "GAMES/Rulo2/world/WorldTreeWalk.h"
#include "LIBS/System/sString.h"
#include "platform/crt/Crt.h"

int32_t SellMode = 0;
CSelectMenu SelectMenu;

namespace {

constexpr float kPi = 3.14159265358979f;
// The interface models of the buttons.
constexpr uint16_t kOkModel = 414, kCancelModel = 417, kArrowModel = 427, kZoomModel = 421;
constexpr int32_t kGridColumns = 6, kGridCells = 30;
constexpr int32_t kSwingTime = 200;

float RadiusOf(const CRootNode* model)
{
    return model && model->boundsRadius > 0.0f ? model->boundsRadius : 1.0f;
}

// The panel's rectangle and colours as one track key; alpha scales the whole panel.
QuadKey PanelKey(float left, float top, float right, float bottom, float alpha)
{
    QuadKey key;
    CMenuGlow::MakeGradientKey(
        key, CMenuQuad::Corner{left, top}, CMenuQuad::Colour{0.05f, 0.07f, 0.12f, 0.85f * alpha},
        CMenuQuad::Corner{right, bottom}, CMenuQuad::Colour{0.16f, 0.2f, 0.28f, 0.85f * alpha});
    return key;
}

struct SPanelRect
{
    float left, top, right, bottom;
};
// Panel A lies behind the description in the carousel and behind all cells in the grid; panel B
// behind the carousel's previews, folded away in the grid.
constexpr SPanelRect kCarouselA{0.22f, -0.92f, 0.98f, 0.7f}, kGridA{-0.98f, -0.92f, 0.98f, 0.7f};
constexpr SPanelRect kCarouselB{-0.98f, -0.92f, 0.18f, 0.7f}, kGridB{-0.98f, -0.92f, -0.98f, 0.7f};

void AddPanelTrack(CMenuQuad* panel, const char* name,
                   std::initializer_list<std::pair<int32_t, QuadKey>> keys)
{
    auto* track = new CQuadTrack(panel->owner);
    track->name = name;
    for (const auto& k : keys)
        track->AddKey(k.first, k.second, 0);
    panel->AddTrack(track);
    track->Release();
}

QuadKey KeyOf(const SPanelRect& r, float alpha)
{
    return PanelKey(r.left, r.top, r.right, r.bottom, alpha);
}

// The object kind of the entry's data, -1 without.
int32_t KindOf(const MenuSlot& slot)
{
    return slot.gameData ? slot.gameData->Kind() : -1;
}

// How hard the preview is to turn: heavier things spin slower.
float SpinWeight(const MenuSlot& slot)
{
    const CKindData* data = slot.gameData ? slot.gameData->EffectiveKindData() : nullptr;
    if (!data)
        return 1.0f;
    switch (data->kind) {
    case KIND_TOOL:
        return data->Weight();
    case KIND_CHARACTER_A:
        if (auto* state = dynamic_cast<const CCharacterAState*>(slot.gameData->EffectiveConditions()))
            return std::max(state->weight * 0.1f, 5.0f);
        return 5.0f;
    case KIND_CAR:
        return (WordAsFloat(data->Values()[0]) - 0.25f) * 6.0f;
    default:
        return 1.0f;
    }
}

// Removes leading blanks, tabs and line feeds.
std::string TrimLeading(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\n\r");
    return first == std::string::npos ? std::string() : text.substr(first);
}

std::string Wrapped(const std::string& text, int32_t width)
{
    sString s;
    s = text.c_str();
    s.wordWrap(width);
    return std::string(s.text ? s.text : "", size_t(s.length));
}

void DrawLine(const std::string& text, float x, float y, int32_t layout, float width, float height,
              const float colour[3])
{
    const float glyph[2] = {width, height};
    const float spacing[2] = {width * 0.83f, height * 0.9f};
    DrawText2D(text.c_str(), MenuPoint{x, y}, layout, glyph, spacing, colour);
}

// The slow sway of the description and selling lines.
float Sway(int32_t now, int32_t k)
{
    return std::sin(2.0f * kPi * float((now + 1000 * k) % 8000) / 8000.0f) / 800.0f;
}

bool IsCashKind(const char* name)
{
    static const char* const kinds[] = {"handkassa", "Geldb\xFCndel", "Sparstrumpf", "M\xFCnzstapel",
                                        "M\xFCnzstapel_3"};
    for (const char* k : kinds)
        if (strcasecmp(name, k) == 0)
            return true;
    return false;
}

} // namespace

CSelectMenu::~CSelectMenu()
{
    ClearEntries();
}

void CSelectMenu::ClearEntries()
{
    for (MenuSlot& slot : entries)
        if (slot.ownsThumbnail)
            delete slot.thumbnail;
    entries.clear();
    spinAngles_.clear();
}

MenuSlot* CSelectMenu::EntryOf(int32_t element)
{
    return IsEntry(element) && element - firstEntry < EntryCount() ? &entries[size_t(element - firstEntry)]
                                                                   : nullptr;
}

bool CSelectMenu::EntryChoosable(int32_t element) const
{
    const CMenuElement* e = Element(element);
    return IsEntry(element) && e && !e->active && !entries[size_t(element - firstEntry)].marked;
}

void CSelectMenu::Build(int32_t now, uint8_t startInGrid, uint8_t withOk)
{
    time = now;
    okMode = withOk;

    auto* a = new CMenuQuad(this);
    a->SetGeometry(CMenuQuad::Corner{kCarouselA.left, kCarouselA.top},
                   CMenuQuad::Corner{kCarouselA.right, kCarouselA.bottom}, CMenuQuad::Colour{0, 0, 0, 0});
    AddPanelTrack(a, "start", {{0, KeyOf(kCarouselA, 0.0f)}, {300, KeyOf(kCarouselA, 1.0f)}});
    AddPanelTrack(a, "startzoomed",
                  {{0, KeyOf(kGridA, 0.0f)}, {150, KeyOf(kGridA, 0.5f)}, {300, KeyOf(kGridA, 1.0f)}});
    AddPanelTrack(a, "zoomin", {{0, KeyOf(kCarouselA, 1.0f)}, {300, KeyOf(kGridA, 1.0f)}});
    AddPanelTrack(a, "zoomout", {{0, KeyOf(kGridA, 1.0f)}, {300, KeyOf(kCarouselA, 1.0f)}});
    panelA = AddElement(a);
    a->Release();

    auto* b = new CMenuQuad(this);
    b->SetGeometry(CMenuQuad::Corner{kCarouselB.left, kCarouselB.top},
                   CMenuQuad::Corner{kCarouselB.right, kCarouselB.bottom}, CMenuQuad::Colour{0, 0, 0, 0});
    AddPanelTrack(b, "startzoomed", {{0, KeyOf(kGridB, 0.0f)}});
    AddPanelTrack(b, "zoomin", {{0, KeyOf(kCarouselB, 0.6f)}, {300, KeyOf(kGridB, 0.0f)}});
    AddPanelTrack(b, "zoomout", {{0, KeyOf(kGridB, 0.0f)}, {300, KeyOf(kCarouselB, 0.6f)}});
    // Without a "start" track of its own it shows its resting look at once.
    b->key = KeyOf(kCarouselB, 0.6f);
    panelB = AddElement(b);
    b->Release();

    const float flat[3] = {0, 0, 0}, up[3] = {0, 0, -kPi / 2}, down[3] = {0, 0, kPi / 2};
    okButton =
        withOk ? AddButton(GameResourceModel(kOkModel), MenuPoint{0.6f, -0.82f}, flat, 0.05f, false) : -1;
    cancelButton = AddButton(GameResourceModel(kCancelModel), MenuPoint{0.8f, -0.82f}, flat, 0.05f, false);
    upButton = AddButton(GameResourceModel(kArrowModel), MenuPoint{-0.2f, -0.82f}, up, 0.05f, false);
    downButton = AddButton(GameResourceModel(kArrowModel), MenuPoint{-0.4f, -0.82f}, down, 0.05f, false);
    zoomButton = AddButton(GameResourceModel(kZoomModel), MenuPoint{-0.8f, -0.82f}, flat, 0.05f, false);

    PlayAll();
    for (int32_t button : {okButton, cancelButton, upButton, downButton, zoomButton})
        if (CMenuElement* e = Element(button))
            e->SetState(0);

    firstEntry = ElementCount();
    spinAngles_.assign(entries.size(), 0.0f);
    for (MenuSlot& slot : entries) {
        auto* figure = new CMenuFigure(this);
        figure->model = slot.previewModel;
        figure->PlaceOnSnapper(slot.snapper);
        figure->selectable = 1;
        const float s = 0.1f / RadiusOf(slot.previewModel);
        figure->state.scale[0] = figure->state.scale[1] = figure->state.scale[2] = s;
        for (const char* name : {"start", "end", "default"}) {
            auto* track = new CFigureTrack(this);
            track->name = name;
            track->AddKey(0, AlphaKey(std::strcmp(name, "end") == 0 ? 0.0f : 1.0f), 0);
            figure->AddTrack(track);
            track->Release();
        }
        figure->PlayTrack("default");
        figure->SetState(0);
        if (!slot.selectable) {
            slot.marked = 1;
            slot.colour[0] = slot.colour[1] = slot.colour[2] = slot.colour[3] = 0.5f;
        }
        AddElement(figure);
        figure->Release();
    }
    lastEntry = ElementCount() - 1;

    top = firstEntry - 1;
    while (top + 1 <= lastEntry && !EntryChoosable(top + 1))
        ++top;
    if (top >= lastEntry)
        top = firstEntry - 1;

    if (!startInGrid) {
        grid = 0;
        if (EntryCount() < 2)
            top = firstEntry - 1;
    } else {
        ++top;
        if (CMenuElement* e = Element(panelA))
            e->PlayTrack("startzoomed");
        if (CMenuElement* e = Element(panelB))
            e->PlayTrack("startzoomed");
        grid = 1;
    }

    zoomState = 3;
    lastTime = now;
    finished = cancelled = 0;
    selected = firstEntry;
    hoverElement = -1;
    thumbnails = 0;
    pressedHere = 0;
}

void CSelectMenu::UpdateHover(const MenuPoint* point)
{
    hoverElement = -1;
    hovered = -1;
    if (Tutorial.hovered || !point)
        return;
    tooltipRequested = 0;
    int32_t found = -1;
    for (int32_t i = 0; i < ElementCount(); ++i) {
        CMenuElement* e = elements[size_t(i)];
        if (!e)
            continue;
        const bool hit = e->HitTest(point);
        if (IsEntry(i)) {
            if (hit) {
                found = i;
                if (grid)
                    SetTooltip(entries[size_t(i - firstEntry)].text.c_str(), -1);
                break;
            }
            continue;
        }
        if (hit) {
            found = i;
            const char* key = i == okButton       ? "TTIP_SEL_OK"
                              : i == cancelButton ? "TTIP_SEL_CANCEL"
                              : i == zoomButton   ? "TTIP_SEL_ZOOM"
                              : i == upButton     ? "TTIP_SEL_UP"
                              : i == downButton   ? "TTIP_SEL_DOWN"
                                                  : nullptr;
            if (key)
                SetTooltip(GetDisplayText(key), -1);
            break;
        }
        if (e->type == CMenuElement::TYPE_FIGURE) {
            auto* figure = static_cast<CMenuFigure*>(e);
            const float s = 0.05f / RadiusOf(figure->model);
            figure->state.scale[0] = figure->state.scale[1] = figure->state.scale[2] = s;
            figure->PlayTrack("default");
        }
    }
    if (found >= 0) {
        hoverElement = hovered = found;
        if (CMenuElement* e = Element(found); e && e->type == CMenuElement::TYPE_FIGURE)
            e->PlayTrack("mouseover");
    }
}

void CSelectMenu::ScrollBy(int32_t direction)
{
    scrolling = 1;
    scrollDir = direction;
    scrollStart = time;
}

void CSelectMenu::ToggleForSale(MenuSlot& slot)
{
    if (slot.price <= 0)
        return;
    if (!slot.marked) {
        slot.marked = 1;
        const float red[4] = {1, 0, 0, 1};
        std::copy(red, red + 4, slot.colour);
        AddCash(slot.instance, slot.price);
        return;
    }
    slot.marked = 0;
    std::fill(slot.colour, slot.colour + 4, 1.0f);
    // The same call works out the credited amount (loot shares included); it is taken back.
    const int32_t before = Cash;
    AddCash(slot.instance, slot.price);
    Cash = before - std::abs(Cash - before);
}

void CSelectMenu::ActOnEntry(int32_t element)
{
    MenuSlot* slot = EntryOf(element);
    if (!slot)
        return;
    if (SellMode == 0) {
        finished = 1;
        cancelled = 0;
    } else if (SellMode == 1) {
        ToggleForSale(*slot);
    } else if (SellMode == 2) {
        // Bought at once: the entry stands for the dealer's object in the world.
        if (!BuyItem(slot->worldObject))
            return;
        if (Tutorial.active)
            Tutorial.SetProgress(7, 1);
        if (SoundManager)
            SoundManager->play("CASHREGISTER_CLING", nullptr, 0, 0, 0, 5.0f, 1.0f, 1.0f, 1);
    }
}

void CSelectMenu::LoadThumbnail(MenuSlot& slot)
{
    slot.shown = 1;
    if (slot.thumbnail || !slot.fileExists)
        return;
    std::string scratch;
    CTexture* picture = nullptr;
    if (ReadSaveInfo(slot.fileName, scratch, &picture) && picture) {
        slot.thumbnail = picture;
        slot.ownsThumbnail = 1;
        return;
    }
    delete picture;
    // Read once: a save without a picture is not read again every frame.
    slot.fileExists = 0;
}

void CSelectMenu::HandleInput()
{
    CMenu::HandleInput();
    if (leftReleased && pressedHere) {
        pressedHere = 0;
        const int32_t h = hoverElement;
        if (h >= 0 && h == okButton) {
            finished = 1;
            if (selected == -1)
                cancelled = 1;
        } else if (h >= 0 && h == cancelButton) {
            finished = cancelled = 1;
        } else if (h >= 0 && h == zoomButton) {
            if (zoomState == 0) {
                zoomState = 1;
                for (int32_t panel : {panelA, panelB})
                    if (CMenuElement* e = Element(panel))
                        e->PlayTrack(grid ? "zoomout" : "zoomin");
                for (int32_t i = firstEntry; i <= lastEntry; ++i)
                    if (CMenuElement* e = Element(i))
                        e->PlayTrack("end");
            }
        } else if (h >= 0 && h == downButton) {
            if (!scrolling) {
                if (!grid) {
                    const int32_t old = top;
                    top = std::min(top + 1, lastEntry - 1);
                    if (top != old)
                        ScrollBy(+1);
                } else if (top <= lastEntry - kGridColumns) {
                    top += kGridColumns;
                } else {
                    top = std::max(lastEntry - 5, firstEntry);
                }
            }
        } else if (h >= 0 && h == upButton) {
            if (!scrolling) {
                if (!grid) {
                    const int32_t old = top;
                    top = std::max(top - 1, firstEntry - 1);
                    if (top != old)
                        ScrollBy(-1);
                } else if (top >= firstEntry + kGridColumns) {
                    top -= kGridColumns;
                } else {
                    top = firstEntry;
                }
            }
        } else if (IsEntry(h)) {
            const MenuSlot& slot = entries[size_t(h - firstEntry)];
            if (!(SellMode == 0 && slot.marked)) {
                if (grid) {
                    selected = hovered = h;
                    if (!okMode)
                        ActOnEntry(h);
                } else if (h == top && !scrolling) {
                    top = std::max(top - 1, firstEntry - 1);
                    ScrollBy(-1);
                } else if (h == top + 2 && !scrolling) {
                    top = std::min(top + 1, lastEntry - 1);
                    ScrollBy(+1);
                } else if (h == top + 1) {
                    ActOnEntry(h);
                }
            }
        }
    }

    if (doubleClick && SellMode == 0 && IsEntry(hoverElement)) {
        const int32_t h = hoverElement;
        CMenuElement* e = Element(h);
        if (e && !e->active && e->shown && !entries[size_t(h - firstEntry)].marked) {
            if (grid) {
                if (h == selected) {
                    finished = 1;
                    cancelled = 0;
                }
                selected = hovered = h;
            } else if (h == top && !scrolling) {
                top = std::max(top - 1, firstEntry - 1);
                ScrollBy(-1);
            } else if (h == top + 2 && !scrolling) {
                top = std::min(top + 1, lastEntry - 1);
                ScrollBy(+1);
            } else if (h == top + 1 && !scrolling) {
                finished = 1;
                cancelled = 0;
            }
        }
    }

    if (leftPressed && hoverElement >= 0) {
        pressedHere = 1;
        PlayMenuClick();
    }
}

void CSelectMenu::LayOutEntries(int32_t dt)
{
    for (int32_t i = firstEntry; i <= lastEntry; ++i) {
        if (CMenuElement* e = Element(i))
            e->SetState(0);
        entries[size_t(i - firstEntry)].shown = 0;
    }

    auto place = [&](int32_t element, float x, float y, float size) {
        auto* figure = static_cast<CMenuFigure*>(Element(element));
        if (!figure || !IsEntry(element))
            return;
        MenuSlot& slot = entries[size_t(element - firstEntry)];
        if (thumbnails)
            LoadThumbnail(slot);
        if (!figure->model)
            return;
        figure->SetState(1);
        figure->state.position[0] = x;
        figure->state.position[1] = y;
        if (KindOf(slot) == KIND_CHARACTER_A)
            if (const CKindData* data = slot.gameData->EffectiveKindData();
                data && data->SpeedFactor() > 0.0f)
                figure->animationSpeed = data->SpeedFactor();
        const bool isHovered = element == hoverElement;
        float scale = size / RadiusOf(figure->model);
        float rx = slot.rotation[0] - 0.4f, ry = slot.rotation[1];
        float& spun = spinAngles_[size_t(element - firstEntry)];
        if (!slot.spin || !slot.gameData) {
            if (isHovered && !slot.marked) {
                const float p = float(time % 8192) / 8192.0f * 8.0f * kPi;
                rx += std::sin(p) / 5.0f;
                ry += std::cos(p / 2.0f) / 10.0f;
                scale *= 1.2f;
            }
        } else {
            spun += float(dt) * kPi / 2000.0f * (5.0f / (SpinWeight(slot) + 2.0f) + 0.1f);
            ry += spun;
            if (isHovered)
                scale *= 1.2f;
        }
        figure->state.rotation[0] = rx;
        figure->state.rotation[1] = ry;
        figure->state.rotation[2] = slot.rotation[2];
        figure->state.scale[0] = figure->state.scale[1] = figure->state.scale[2] = scale;
    };

    if (!grid) {
        selected = top + 1;
        const int32_t e = std::abs(scrollStart - time);
        if (scrolling && e >= kSwingTime)
            scrolling = 0;
        if (!scrolling) {
            place(top, -0.84f, 0.76f, 0.1f);
            place(top + 1, -0.4f, 0.1f, 0.4f);
            place(top + 2, -0.84f, -0.56f, 0.1f);
        } else {
            const float a = float(e) * kPi / 400.0f;
            auto swing = [&](int32_t element, float angle, float ySign) {
                place(element, -0.4f - (1.0f - std::cos(angle)) * 0.44f,
                      0.1f + ySign * std::sin(angle) * 0.66f, 0.4f - (1.0f - std::cos(angle)) * 0.3f);
            };
            if (scrollDir > 0) {
                swing(top, a, 1.0f);
                swing(top + 1, a - kPi / 2, 1.0f);
            } else {
                swing(top + 1, a - kPi / 2, -1.0f);
                swing(top + 2, a, -1.0f);
            }
        }
    } else {
        for (int32_t n = 0; n < kGridCells && top + n <= lastEntry; ++n)
            place(top + n, float(n % kGridColumns) * 0.3f - 0.8f, 0.7f - float(n / kGridColumns) * 0.3f,
                  0.15f);
    }
}

void CSelectMenu::DrawDescription()
{
    MenuSlot* slot = EntryOf(top + 1);
    if (grid || zoomState == 1 || !slot)
        return;
    std::string title, body;
    const size_t lf = slot->text.find('\n');
    if (lf == std::string::npos) {
        body = TrimLeading(slot->text);
    } else {
        title = TrimLeading(slot->text.substr(0, lf));
        body = TrimLeading(slot->text.substr(lf + 1));
    }
    const float b = Sway(time, 0);
    const float titleColour[3] = {1.0f, 0.85f, 0.5f}, bodyColour[3] = {0.9f, 0.9f, 0.9f};
    if (!title.empty())
        DrawLine(Wrapped(title, 24), 0.6f, -0.75f + 15.0f * b, 2, 0.024f, 0.062f, titleColour);
    const float x = slot->textAlign == 0 ? 0.285f : slot->textAlign == 1 ? 0.85f : 0.6f;
    const int32_t layout = slot->textAlign == 0 ? 0 : slot->textAlign == 1 ? 1 : 2;
    DrawLine(Wrapped(body, lf == std::string::npos ? 24 : 32), x, -0.5f + 15.0f * b, layout, 0.02f,
             0.06f + 0.8f * b, bodyColour);
}

void CSelectMenu::DrawSellTexts()
{
    MenuSlot* slot = EntryOf(top + 1);
    if (grid || !slot || (SellMode != 1 && SellMode != 2))
        return;
    const float p = float(time % 16384) / 16384.0f * 2.0f * kPi;
    const float dx = std::sin(20.0f * p) * 0.02f, dy = std::cos(10.0f * p) * 0.02f;
    const float pulse = 0.08f * (1.0f + 0.05f * std::sin(p * 4.0f));
    const float white[3] = {1, 1, 1}, amber[3] = {1.0f, 0.85f, 0.4f};
    std::string main, second;
    if (SellMode == 2) {
        main = crt::Format("%d$", slot->price);
    } else if (slot->marked) {
        const CKindData* data = slot->gameData ? slot->gameData->EffectiveKindData() : nullptr;
        main = GetDisplayText(data && IsCashKind(data->name.c_str()) ? "SELL_LAUNDERED" : "SELL_SOLD");
    } else if (slot->price == 0) {
        main = GetDisplayText("SELL_NOTTOBESOLD");
    } else {
        // The gang members' shares of a loot item: one line each, the player keeps the rest.
        const int32_t index = slot->instance ? FindInstanceByObject(slot->instance) : -1;
        float shares = 0.0f;
        if (index >= 0 && InstanceObjectKind(slot->instance) == KIND_LOOT) {
            const ObjectInstance& record = ObjectInstances[size_t(index)];
            for (int32_t k = 0; k < 3; ++k) {
                CWorldObject* member = record.otherMembers[k];
                if (!member || record.otherFactors[k] <= 0.0f)
                    continue;
                shares += record.otherFactors[k];
                const CKindData* data =
                    member->objectLogic ? member->objectLogic->EffectiveKindData() : nullptr;
                const std::string key = "CHR_" + (data ? data->name : std::string());
                const std::string line = crt::Format("%s: %d%%", GetDisplayText(key.c_str()),
                                                     int32_t(std::lround(record.otherFactors[k] * 100.0f)));
                DrawLine(line, 0.15f, -0.4f + 0.05f * float(k) + 5.0f * Sway(time, k), 1, 0.03f, 0.05f,
                         white);
            }
        }
        if (shares > 0.0f) {
            main = crt::Format("%d$", int32_t(float(slot->price) * (1.0f - shares)));
            second = crt::Format("%s %d$", GetDisplayText("OF"), slot->price);
        } else {
            main = crt::Format("%d$", slot->price);
        }
    }
    DrawLine(main, -0.15f - dx, 0.05f - dy, 2, pulse, pulse, amber);
    if (!second.empty())
        DrawLine(second, -0.15f - dx, 0.15f - dy, 2, pulse / 2, pulse / 2, white);
}

int32_t CSelectMenu::Render(int32_t now)
{
    const int32_t dt = now - lastTime;
    lastTime = now;
    time = now;
    SetScreenRect(0, 0, DX.screenWidth, DX.screenHeight);
    BeforeInput();
    HandleInput();

    if (SellMode > 0)
        if (auto* cancel = dynamic_cast<CMenuFigure*>(Element(cancelButton))) {
            cancel->model = GameResourceModel(kOkModel);
            cancel->PlaceOnSnapper(1);
        }

    const bool panelDone = TrackEnded(Element(panelA));
    if (zoomState != 0 && panelDone) {
        if (zoomState == 1) {
            zoomState = 2;
            grid = grid ? 0 : 1;
            if (grid) {
                hovered = selected;
                top = firstEntry + kGridColumns < top ? top - kGridColumns : firstEntry;
            } else {
                top = selected - 1;
                if (top == lastEntry)
                    top = lastEntry - 1;
            }
            for (int32_t i = firstEntry; i <= lastEntry; ++i)
                if (CMenuElement* e = Element(i))
                    e->PlayTrack("start");
        } else if (zoomState == 3) {
            for (int32_t i = firstEntry; i <= lastEntry; ++i)
                if (CMenuElement* e = Element(i))
                    e->PlayTrack("start");
            for (int32_t button : {okButton, cancelButton, upButton, downButton, zoomButton})
                if (CMenuElement* e = Element(button)) {
                    e->SetState(1);
                    e->PlayTrack("start");
                }
        }
        zoomState = 0;
    }

    CMenuElement* upE = Element(upButton);
    CMenuElement* downE = Element(downButton);
    if (!grid) {
        if (downE)
            downE->active = top < lastEntry - 1 ? 0 : 1;
        if (upE)
            upE->active = top > firstEntry - 1 ? 0 : 1;
    } else {
        if (downE)
            downE->active = lastEntry - top >= 24 ? 0 : 1;
        if (upE)
            upE->active = top > firstEntry ? 0 : 1;
    }

    LayOutEntries(dt);

    if (okMode && entries.empty())
        if (CMenuElement* ok = Element(okButton)) {
            ok->active = 1;
            ok->SetState(0);
        }

    // Drawing, with the mouse converted to the menu's units and the hover found anew.
    CMenu::Render(now);

    for (MenuSlot& slot : entries)
        if (!slot.shown && slot.thumbnail) {
            if (slot.ownsThumbnail)
                delete slot.thumbnail;
            slot.thumbnail = nullptr;
            slot.ownsThumbnail = 0;
        }

    DrawDescription();
    DrawSellTexts();
    DrawTooltip();

    if (Input.menuKey == 8 || cancelled) {
        Input.menuKey = 0;
        ClearScreenRect();
        return -2;
    }
    if (finished) {
        if (entries.empty())
            return -2;
        result = selected - firstEntry;
        if (EntryChoosable(selected)) {
            ClearScreenRect();
            return result;
        }
        finished = cancelled = 0;
    }
    return -1;
}

void CSelectMenu::DrawElement(int32_t index, int32_t now)
{
    CMenuElement* e = Element(index);
    MenuSlot* slot = EntryOf(index);
    if (e && slot && slot->marked && !e->active && index != hovered && e->type == CMenuElement::TYPE_FIGURE) {
        static_cast<CMenuFigure*>(e)->DrawOverlay(now, slot->colour);
        return;
    }
    if (e && slot && slot->thumbnail && e->type == CMenuElement::TYPE_FIGURE) {
        // The slot's picture on every material of the preview, for this drawing only.
        auto* model = static_cast<CMenuFigure*>(e)->model;
        std::vector<std::pair<CMeshMaterial*, std::pair<CTexture*, CTexturePage*>>> saved;
        if (model)
            WalkModelTree(static_cast<CModelNode*>(model->firstChild), [&](CModelNode* node) {
                if (auto* mesh = dynamic_cast<CMeshNode*>(node))
                    for (int32_t m = 0; m < mesh->materialCount; ++m) {
                        CMeshMaterial& material = mesh->materials[m];
                        saved.push_back({&material, {material.texture, material.page}});
                        material.texture = slot->thumbnail;
                        material.page = nullptr;
                    }
            });
        CMenu::DrawElement(index, now);
        for (auto& [material, binding] : saved) {
            material->texture = binding.first;
            material->page = binding.second;
        }
        return;
    }
    CMenu::DrawElement(index, now);
}
