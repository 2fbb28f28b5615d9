#include "GAMES/Rulo2/interface/COptionsMenu.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/app/CCdAudio.h"
#include "GAMES/Rulo2/app/CGameSoundManager.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/app/SaveGame.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/interface/CMenuCheckBox.h"
#include "GAMES/Rulo2/interface/CMenuContainer.h"
#include "GAMES/Rulo2/interface/CMenuFigure.h"
#include "GAMES/Rulo2/interface/CMenuGlow.h"
#include "GAMES/Rulo2/interface/CMenuText.h"
#include "GAMES/Rulo2/interface/CTextTree.h"
#include "GAMES/Rulo2/interface/OpenScreens.h"
#include "GAMES/Rulo2/interface/ScreenTracks.h"
#include "GAMES/Rulo2/render/CGameCamera.h"
#include "GAMES/Rulo2/render/GameResources.h"
#include "GAMES/Rulo2/render/ViewRects.h"
#include "GAMES/Rulo2/render/WorldFrame.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "LIBS/System/CMatrix.h"
#include "LIBS/System/LogPrintf.h"
#include "platform/crt/Crt.h"

COptionsMenu OptionsMenu;

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr uint16_t kOkModel = 414, kCancelModel = 417;
constexpr float kButtonSize = 0.06f;
constexpr float kEntrySizes[4] = {0.07f, 0.09f, 0.05f, 0.07f};
constexpr float kLabelSizes[4] = {0.035f, 0.05f, 0.028f, 0.05f};
constexpr int32_t kTooltipOff = 10000, kTooltipMaximum = 5000;
constexpr float kFogEndOffset = 3.5f, kDistanceMaximum = 10.0f;

// The frame around the main page and, enlarged, around an option page.
constexpr CMenuQuad::Corner kMainTopLeft{-0.5f, -0.8f}, kMainBottomRight{0.5f, 0.72f};
constexpr CMenuQuad::Corner kPageTopLeft{-0.9f, -0.85f}, kPageBottomRight{0.9f, 0.62f};
constexpr CMenuQuad::Colour kFrameDark{0.1f, 0.1f, 0.1f, 0.5f}, kFrameLight{0.3f, 0.3f, 0.4f, 0.6f};

const char* const kEntryKeys[COptionsMenu::ENTRY_COUNT] = {
    "MENU_OP_NEWGAME", "MENU_OP_TUTORIAL", "MENU_OP_LOADGAME", "MENU_OP_SAVEGAME",   "MENU_OP_DELETEGAME",
    "MENU_OP_GOPT",    "MENU_OP_VOPT",     "MENU_OP_AOPT",     "MENU_OP_RESUMEGAME", "MENU_OP_QUIT",
};

// Per page: its group and the transition states that open and close it.
struct PageInfo
{
    uint32_t group;
    int32_t opening, closing;
};
constexpr PageInfo kPages[4] = {{COptionsMenu::GROUP_MAIN, 5, 5},
                                {COptionsMenu::GROUP_VIDEO, 1, 2},
                                {COptionsMenu::GROUP_AUDIO, 3, 4},
                                {COptionsMenu::GROUP_GAME, 6, 7}};

void SetTextMetrics(CMenuText* text, float w, float h, float advance, float line)
{
    text->glyphWidth = w;
    text->glyphHeight = h;
    text->advance = advance;
    text->lineHeight = line;
}

void AddFrameTrack(CMenuGlow* frame, const char* name, const QuadKey& from, const QuadKey& to)
{
    auto* track = new CQuadTrack(frame->owner);
    track->name = name;
    track->AddKey(0, from, 3);
    track->AddKey(400, to, 3);
    frame->AddTrack(track);
    track->Release();
}

} // namespace

std::string TooltipDelayText(float delay)
{
    if (delay >= float(kTooltipMaximum))
        return GetDisplayText("MENU_OP_TTOFF");
    return crt::Format("%0.2fs", double(delay) / 1000.0);
}

const char* ViewDistanceKey(float value)
{
    if (value <= 1.0f)
        return "MENU_OP_NEAREST";
    if (value <= 2.5f)
        return "MENU_OP_NEAR";
    if (value <= 4.0f)
        return "MENU_OP_FAR";
    return "MENU_OP_FARTHEST";
}

float FogStartFor(float fogEnd)
{
    return std::min(fogEnd / 2.0f, 3.0f);
}

float COptionsMenu::SliderValue(int32_t index) const
{
    const auto* slider = static_cast<const CMenuContainer*>(Element(index));
    return slider ? slider->value : 0.0f;
}

void COptionsMenu::SetSlider(int32_t index, float value)
{
    if (auto* slider = static_cast<CMenuContainer*>(Element(index))) {
        slider->value = std::clamp(value, 0.0f, std::max(slider->range, 0.0f));
        slider->PlaceKnob(slider->knob);
    }
}

bool COptionsMenu::BoxChecked(int32_t index) const
{
    const auto* box = static_cast<const CMenuCheckBox*>(Element(index));
    return box && box->checked != 0;
}

void COptionsMenu::SetBox(int32_t index, bool checked)
{
    if (auto* box = static_cast<CMenuCheckBox*>(Element(index)))
        box->checked = checked ? 1 : 0;
}

void COptionsMenu::SetLabel(int32_t index, std::string& store, const std::string& text)
{
    store = text;
    if (auto* label = static_cast<CMenuText*>(Element(index)))
        label->text = store;
}

void COptionsMenu::Build(int32_t now)
{
    time = now;
    modes.clear();
    modeTexts.clear();
    if (DX.displayDriver)
        for (const DisplayModeInfo* mode : DX.displayDriver->modes)
            if (mode && mode->bitsPerPixel == 16) {
                modes.push_back(mode);
                modeTexts.push_back(crt::Format("%dx%d", int(mode->width), int(mode->height)));
            }

    auto* frame = new CMenuGlow(this);
    frame->Setup(kMainTopLeft, kFrameDark, kMainBottomRight, kFrameLight);
    QuadKey small, large;
    CMenuGlow::MakeGradientKey(small, kMainTopLeft, kFrameDark, kMainBottomRight, kFrameLight);
    CMenuGlow::MakeGradientKey(large, kPageTopLeft, kFrameDark, kPageBottomRight, kFrameLight);
    AddFrameTrack(frame, "enlarge", small, large);
    AddFrameTrack(frame, "reduce", large, small);
    frameIndex = AddElement(frame);
    frame->Release();
    Element(frameIndex)->selectable = 0;

    for (int32_t i = 0; i < ENTRY_COUNT; ++i) {
        entries[i] =
            AddText(GetDisplayText(kEntryKeys[i]), MenuPoint{0.0f, -0.7f + 0.14f * float(i)}, 2, kEntrySizes);
        Element(entries[i])->group = GROUP_MAIN;
        Element(entries[i])->selectable = 1;
    }
    firstFigure = lastFigure = -2;

    // Option pages: labels left, controls right.
    auto label = [&](const char* key, float y, uint32_t group) {
        const int32_t index = AddText(GetDisplayText(key), MenuPoint{-0.8f, y}, 0, kLabelSizes);
        Element(index)->group = group;
        return index;
    };
    auto value = [&](float x, float y, uint32_t group) {
        const int32_t index = AddText("", MenuPoint{x, y}, 0, kLabelSizes);
        Element(index)->group = group;
        return index;
    };
    auto slider = [&](float y, float maximum, int32_t positions, uint32_t group) {
        const int32_t index =
            AddContainer(MenuPoint{0.0f, y}, MenuPoint{0.55f, y + 0.05f}, 0.0f, maximum, positions, 0, 0);
        Element(index)->group = group;
        return index;
    };
    auto box = [&](float y, uint32_t group) {
        const int32_t index = AddCheckBox(MenuPoint{0.0f, y}, MenuPoint{0.06f, y + 0.07f});
        Element(index)->group = group;
        return index;
    };
    const char* const titleKeys[3] = {"MENU_OP_VIDEO_TITLE", "MENU_OP_AUDIO_TITLE", "MENU_OP_GAME_TITLE"};
    const uint32_t titleGroups[3] = {GROUP_VIDEO, GROUP_AUDIO, GROUP_GAME};
    for (int32_t i = 0; i < 3; ++i) {
        titles[i] = AddText(GetDisplayText(titleKeys[i]), MenuPoint{0.0f, -0.75f}, 2, kEntrySizes);
        Element(titles[i])->group = titleGroups[i];
    }

    const float modeRange = modes.empty() ? 0.0f : float(modes.size() - 1);
    label("MENU_OP_RES", -0.5f, GROUP_VIDEO);
    resolutionSlider = slider(-0.5f, modeRange, std::max<int32_t>(int32_t(modes.size()), 1), GROUP_VIDEO);
    resolutionText = value(0.6f, -0.5f, GROUP_VIDEO);
    label("MENU_OP_VDET", -0.35f, GROUP_VIDEO);
    distanceSlider = slider(-0.35f, kDistanceMaximum, 21, GROUP_VIDEO);
    distanceNumber = value(0.6f, -0.35f, GROUP_VIDEO);
    distanceWord = value(0.68f, -0.35f, GROUP_VIDEO);
    label("MENU_OP_TTD", -0.2f, GROUP_VIDEO);
    tooltipSlider = slider(-0.2f, float(kTooltipMaximum), 51, GROUP_VIDEO);
    tooltipText = value(0.6f, -0.2f, GROUP_VIDEO);
    label("MENU_OP_SHADOWMAPS", -0.05f, GROUP_VIDEO);
    shadowBox = box(-0.06f, GROUP_VIDEO);
    label("MENU_OP_MIPMAP", 0.1f, GROUP_VIDEO);
    mipMapBox = box(0.09f, GROUP_VIDEO);
    label("MENU_OP_HIGHRES", 0.25f, GROUP_VIDEO);
    highResBox = box(0.24f, GROUP_VIDEO);
    label("MENU_OP_SHADOWNOTE", 0.4f, GROUP_VIDEO);

    label("MENU_OP_MVOL", -0.45f, GROUP_AUDIO);
    musicSlider = slider(-0.45f, 100.0f, 101, GROUP_AUDIO);
    musicText = value(0.6f, -0.45f, GROUP_AUDIO);
    label("MENU_OP_SVOL", -0.25f, GROUP_AUDIO);
    soundSlider = slider(-0.25f, 100.0f, 101, GROUP_AUDIO);
    soundText = value(0.6f, -0.25f, GROUP_AUDIO);
    label("MENU_OP_HEROLISTEN", -0.05f, GROUP_AUDIO);
    listenerBox = box(-0.06f, GROUP_AUDIO);

    label("MENU_OP_AUTOCAM", -0.45f, GROUP_GAME);
    autoCameraBox = box(-0.46f, GROUP_GAME);
    label("MENU_OP_INVERTMOUSE", -0.25f, GROUP_GAME);
    invertMouseBox = box(-0.26f, GROUP_GAME);

    const float flat[3] = {0, 0, 0};
    const int32_t firstButton = ElementCount();
    okButton = AddButton(GameResourceModel(kOkModel), MenuPoint{-0.2f, -0.72f}, flat, kButtonSize, true);
    cancelButton =
        AddButton(GameResourceModel(kCancelModel), MenuPoint{0.2f, -0.72f}, flat, kButtonSize, true);
    for (int32_t i = firstButton; i < ElementCount(); ++i)
        Element(i)->group = GROUP_BUTTONS;

    AddTextFadeTracks(*this, 300);
    for (CMenuElement* e : elements)
        if (e && e->type == CMenuElement::TYPE_SLIDER)
            AddTextFadeTracks(e, 300);
    PlayGroup("start", GROUP_MAIN);
    Element(frameIndex)->PlayTrack("start");
    ShowGroup(0, GROUP_VIDEO | GROUP_AUDIO | GROUP_GAME | GROUP_BUTTONS);
    SetGroupSelectable(0, GROUP_VIDEO | GROUP_AUDIO | GROUP_GAME);
    // The main page takes clicks once the frame has faded in.
    SetGroupSelectable(0, GROUP_MAIN);
    page = PAGE_MAIN;
    transition = 5;
    clicked = -1;
    confirmationOpened = resume = quit = slotScreenOpened = 0;
}

void COptionsMenu::OpenPage(int32_t newPage)
{
    const PageInfo& info = kPages[newPage];
    PlayGroup("end", GROUP_MAIN);
    PlayGroup("start", info.group);
    ShowGroup(1, info.group);
    SetGroupSelectable(0, GROUP_MAIN);
    ShowGroup(1, GROUP_BUTTONS);
    PlayGroup("default", GROUP_BUTTONS);
    if (CMenuElement* frame = Element(frameIndex))
        frame->PlayTrack("enlarge");
    page = newPage;
    transition = info.opening;

    if (newPage == PAGE_VIDEO) {
        int32_t chosen = 0;
        int64_t nearest = -1;
        const int64_t current = int64_t(DX.screenWidth) * DX.screenHeight;
        for (size_t i = 0; i < modes.size(); ++i) {
            const int64_t product = int64_t(modes[i]->width) * modes[i]->height;
            if (modes[i]->width == DX.screenWidth && modes[i]->height == DX.screenHeight) {
                chosen = int32_t(i);
                break;
            }
            const int64_t distance = std::llabs(product - current);
            if (nearest < 0 || distance < nearest) {
                nearest = distance;
                chosen = int32_t(i);
            }
        }
        SetSlider(resolutionSlider, float(chosen));
        SetSlider(tooltipSlider, float(std::min(Settings.toolTipDelay, kTooltipMaximum)));
        SetBox(shadowBox, Settings.shadowmaps != 0);
        SetBox(mipMapBox, Settings.mipMap != 0);
        SetBox(highResBox, Settings.highResTextures != 0);
        SetSlider(distanceSlider, std::clamp(Settings.fogEnd - kFogEndOffset, 0.0f, kDistanceMaximum));
    } else if (newPage == PAGE_AUDIO) {
        SetSlider(soundSlider, float(Settings.sfxVolume));
        SetSlider(musicSlider, float(Settings.musicVolume));
        SetBox(listenerBox, Settings.heroIsListener != 0);
    } else if (newPage == PAGE_GAME) {
        SetBox(autoCameraBox, Settings.fixedCamera == 0);
        SetBox(invertMouseBox, Settings.invertMouse != 0);
    }
}

void COptionsMenu::ApplyPage()
{
    if (page == PAGE_VIDEO) {
        const float delay = SliderValue(tooltipSlider);
        Settings.toolTipDelay = delay >= float(kTooltipMaximum) ? kTooltipOff : int32_t(delay);
        // Without a listed mode the display stays as it is.
        if (!modes.empty()) {
            const size_t index =
                std::min(size_t(std::max(SliderValue(resolutionSlider), 0.0f)), modes.size() - 1);
            const DisplayModeInfo* mode = modes[index];
            if (mode->width != DX.screenWidth || mode->height != DX.screenHeight) {
                Settings.mainWndW = mode->width;
                Settings.mainWndH = mode->height;
                LogPrintf("Switching the display to %s", modeTexts[index].c_str());
                InitDirectX();
            }
        }
        Settings.shadowmaps = BoxChecked(shadowBox) ? 1 : 0;
        NoShadowsFlag = Settings.shadowmaps ? 0 : 1;
        Settings.mipMap = BoxChecked(mipMapBox) ? 1 : 0;
        Settings.highResTextures = BoxChecked(highResBox) ? 1 : 0;
        Settings.fogEnd = SliderValue(distanceSlider) + kFogEndOffset;
        Settings.fogStart = FogStartFor(Settings.fogEnd);
        SceneFogSet = 0;
        if (DX.device) {
            CMatrix projection;
            projection.perspective(kPi / 4.0f, 0.75f, 0.1f, Settings.fogEnd);
            D3DMATRIX m;
            std::memcpy(m.m, projection.m, sizeof m.m);
            DX.device->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &m);
            if (DX.deviceInfo)
                SetFogStates(*DX.deviceInfo);
        }
    } else if (page == PAGE_AUDIO) {
        Settings.sfxVolume = int32_t(SliderValue(soundSlider));
        Settings.musicVolume = int32_t(SliderValue(musicSlider));
        Settings.heroIsListener = BoxChecked(listenerBox) ? 1 : 0;
    } else if (page == PAGE_GAME) {
        Settings.fixedCamera = BoxChecked(autoCameraBox) ? 0 : 1;
        Settings.invertMouse = BoxChecked(invertMouseBox) ? 1 : 0;
        CameraSettings.fixedCamera = Settings.fixedCamera;
        CameraSettings.invertMouse = Settings.invertMouse;
    }
}

void COptionsMenu::RestoreVolumes()
{
    if (SoundManager)
        SoundManager->setGroupVolume(float(Settings.sfxVolume) / 100.0f, 1);
    CdMusic.SetVolume(Settings.musicVolume);
}

void COptionsMenu::ClosePage(bool apply)
{
    if (page == PAGE_MAIN)
        return;
    const PageInfo& info = kPages[page];
    if (apply) {
        ApplyPage();
    } else {
        Input.menuKey = 0;
        RestoreVolumes();
    }
    PlayGroup("start", GROUP_MAIN);
    ShowGroup(1, GROUP_MAIN);
    if (CMenuElement* frame = Element(frameIndex))
        frame->PlayTrack("reduce");
    PlayGroup("end", info.group);
    SetGroupSelectable(0, info.group);
    ShowGroup(0, GROUP_BUTTONS);
    for (CMenuElement* e : elements)
        if (e && e->type == CMenuElement::TYPE_CHECKBOX && (e->group & info.group))
            e->SetState(0);
    transition = info.closing;
    page = PAGE_MAIN;
}

void COptionsMenu::RunTransition()
{
    const CMenuElement* newGame = Element(entries[ENTRY_NEWGAME]);
    for (int32_t p = PAGE_VIDEO; p <= PAGE_GAME; ++p) {
        const PageInfo& info = kPages[p];
        if (transition == info.opening && TrackEnded(newGame)) {
            ShowGroup(0, GROUP_MAIN);
            SetGroupSelectable(1, info.group);
            SetGroupSelectable(0, GROUP_FIGURES);
        } else if (transition == info.closing && TrackEnded(newGame)) {
            ShowGroup(0, info.group);
            SetGroupSelectable(1, GROUP_MAIN);
        }
    }
    if (transition == 5 && TrackEnded(Element(frameIndex))) {
        ShowGroup(1, GROUP_MAIN);
        SetGroupSelectable(1, GROUP_MAIN);
    }
}

void COptionsMenu::UpdateTexts()
{
    if (page == PAGE_VIDEO) {
        const size_t index = size_t(std::max(SliderValue(resolutionSlider), 0.0f));
        // Without a listed mode the current size shows.
        const std::string resolution = index < modeTexts.size()
                                           ? modeTexts[index]
                                           : crt::Format("%dx%d", DX.screenWidth, DX.screenHeight);
        SetLabel(resolutionText, resolutionLabel, resolution);
        const float distance = SliderValue(distanceSlider);
        SetLabel(distanceNumber, distanceLabel, crt::Format("%d", 6 + int32_t(2.0f * distance)));
        if (auto* word = static_cast<CMenuText*>(Element(distanceWord)))
            word->text = GetDisplayText(ViewDistanceKey(distance));
        SetLabel(tooltipText, tooltipLabel, TooltipDelayText(SliderValue(tooltipSlider)));
    } else if (page == PAGE_AUDIO) {
        SetLabel(soundText, soundLabel, crt::Format("%d%%", int32_t(SliderValue(soundSlider))));
        SetLabel(musicText, musicLabel, crt::Format("%d%%", int32_t(SliderValue(musicSlider))));
    }
    if (page != PAGE_MAIN)
        if (auto* title = static_cast<CMenuText*>(Element(titles[page - 1]))) {
            const float p = std::sin(2.0f * kPi * float(time % 4096) / 4096.0f) / 150.0f;
            SetTextMetrics(title, 0.07f + p, 0.09f, 0.05f + p, 0.07f);
        }
}

void COptionsMenu::UpdateHover(const MenuPoint* point)
{
    if (MenuInputBlocked)
        return;
    clicked = hovered = -1;
    if (!point)
        return;
    for (int32_t i = 0; i < ElementCount(); ++i) {
        CMenuElement* e = elements[size_t(i)];
        if (!e || (page != PAGE_MAIN && e->type == CMenuElement::TYPE_TEXT))
            continue;
        if (e->HitTest(point)) {
            clicked = hovered = i;
            break;
        }
    }
    const char* tip = nullptr;
    if (hovered == okButton)
        tip = page == PAGE_VIDEO ? "TTIP_VIDEO_OK" : page == PAGE_AUDIO ? "TTIP_AUDIO_OK" : nullptr;
    else if (hovered == cancelButton)
        tip = page == PAGE_VIDEO ? "TTIP_VIDEO_CANCEL" : page == PAGE_AUDIO ? "TTIP_AUDIO_CANCEL" : nullptr;
    if (tip)
        SetTooltip(GetDisplayText(tip), -1);
    const float q = 0.002f * std::sin(2.0f * kPi * float(time % 4096) / 4096.0f);
    for (int32_t index : entries)
        if (auto* text = static_cast<CMenuText*>(Element(index)); text && text->selectable) {
            if (index == hovered)
                SetTextMetrics(text, 0.07f + 7.0f * q, 0.09f, 0.05f - q, 0.07f);
            else
                SetTextMetrics(text, kEntrySizes[0], kEntrySizes[1], kEntrySizes[2], kEntrySizes[3]);
        }
    for (int32_t i = 0; i < ElementCount(); ++i) {
        CMenuElement* e = elements[size_t(i)];
        if (!e || e->type != CMenuElement::TYPE_FIGURE)
            continue;
        if (i == hovered) {
            e->PlayTrack("mouseover");
            continue;
        }
        const CAnimTrack* track = e->CurrentTrack();
        if (!e->shown || (track && (track->name == "start" || track->name == "end")))
            continue;
        auto* figure = static_cast<CMenuFigure*>(e);
        const float radius =
            figure->model && figure->model->boundsRadius > 0 ? figure->model->boundsRadius : 1.0f;
        figure->state.scale[0] = figure->state.scale[1] = figure->state.scale[2] = 0.05f / radius;
        e->PlayTrack("default");
    }
}

void COptionsMenu::HandleInput()
{
    CMenu::HandleInput();
    confirmationOpened = resume = quit = slotScreenOpened = 0;
    if (leftPressed && !doubleClick && clicked >= 0 && SoundManager) {
        const char* sound = clicked == soundSlider ? "CASHREGISTER_CLING" : "MENUCLICK";
        SoundManager->play(sound, nullptr, 0, 0, 0, 5.0f, 1.0f, 1.0f, 1);
    }
    if (page == PAGE_AUDIO) {
        // Heard before OK.
        if (SoundManager)
            SoundManager->setGroupVolume(float(int32_t(SliderValue(soundSlider))) / 100.0f, 1);
        CdMusic.SetVolume(int32_t(SliderValue(musicSlider)));
    }
    if (Input.menuKey == 8) {
        if (page != PAGE_MAIN) {
            ClosePage(false);
        } else if (!OptionsFirstStart) {
            Input.menuKey = 0;
            resume = 1;
        }
        return;
    }
    if (!leftReleased || clicked < 0)
        return;
    if (page != PAGE_MAIN) {
        if (clicked == okButton)
            ClosePage(true);
        else if (clicked == cancelButton)
            ClosePage(false);
        return;
    }
    int32_t entry = -1;
    for (int32_t i = 0; i < ENTRY_COUNT; ++i)
        if (entries[i] == clicked)
            entry = i;
    if (entry < 0 || Element(clicked)->active)
        return;
    switch (entry) {
    case ENTRY_NEWGAME:
        OpenMessageMenu(MenuClock(), GetDisplayText("NEWGAME_CONFIRMATION"), 7, 1);
        confirmationOpened = 1;
        break;
    case ENTRY_TUTORIAL:
        OpenMessageMenu(MenuClock(), GetDisplayText("TUTORIAL_CONFIRMATION"), 10, 1);
        confirmationOpened = 1;
        break;
    case ENTRY_LOADGAME:
    case ENTRY_SAVEGAME:
    case ENTRY_DELETEGAME:
        DeleteGameMode = entry == ENTRY_DELETEGAME ? 1 : 0;
        ShowGameSlots(entry == ENTRY_SAVEGAME);
        slotScreenOpened = 1;
        break;
    case ENTRY_GAMEOPTIONS:
        OpenPage(PAGE_GAME);
        break;
    case ENTRY_VIDEOOPTIONS:
        OpenPage(PAGE_VIDEO);
        break;
    case ENTRY_AUDIOOPTIONS:
        OpenPage(PAGE_AUDIO);
        break;
    case ENTRY_RESUME:
        Input.menuKey = 0;
        resume = 1;
        break;
    case ENTRY_QUIT:
        quit = 1;
        break;
    default:
        break;
    }
}

int32_t COptionsMenu::Render(int32_t now)
{
    time = now;
    SetScreenRect(0, 0, DX.screenWidth, DX.screenHeight);
    // This build offers no saved games from the main menu.
    for (int32_t entry : {ENTRY_SAVEGAME, ENTRY_LOADGAME, ENTRY_DELETEGAME})
        if (CMenuElement* e = Element(entries[entry]))
            e->active = 1;
    if (CMenuElement* e = Element(entries[ENTRY_RESUME]))
        e->active = OptionsFirstStart ? 1 : 0;
    RunTransition();
    HandleInput();
    UpdateTexts();
    CMenu::Render(now);
    if (!MenuInputBlocked)
        DrawTooltip();

    int32_t result = -1;
    if (confirmationOpened)
        result = -2;
    else if (resume)
        result = 1;
    else if (quit)
        result = -3;
    else if (slotScreenOpened)
        result = -4;
    if (result != -1)
        ClearScreenRect();
    return result;
}
