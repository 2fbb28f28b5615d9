#include "GAMES/Rulo2/editor/shadowmap/ShadowMapDialogs.h"

#include <cctype>
#include <cstdlib>

#include "LIBS/System/LogPrintf.h"
#include "platform/time/Time.h"
#include "platform/win/MessageBox.h"

const char* const ShadowMapRendererPropertiesDlg::kPhaseNames[4] = {"Day 1 (00:00)", "Day 2 (06:00)",
                                                                    "Day 3 (12:00)", "Custom 1"};
std::deque<ShadowMapRendererPropertiesDlg::Answer> ShadowMapRendererPropertiesDlg::s_answers;
std::deque<ShadowMapRendererDlg::Answer> ShadowMapRendererDlg::s_answers;

namespace {

struct SEditField
{
    int32_t control;
    int64_t low, high;
    const char* name;
};

// The edits and their ranges. The texture size starts at 1: the layout divides by it.
constexpr SEditField kEdits[] = {
    {ShadowMapRendererPropertiesDlg::IDC_TEXTURE_SIZE, 1, 1024, "Texture Size"},
    {ShadowMapRendererPropertiesDlg::IDC_RED, 0, 255, "Red"},
    {ShadowMapRendererPropertiesDlg::IDC_GREEN, 0, 255, "Green"},
    {ShadowMapRendererPropertiesDlg::IDC_BLUE, 0, 255, "Blue"},
    {ShadowMapRendererPropertiesDlg::IDC_TOTAL_TOLERANCE, 0, 0x7FFFFFFF, "Total Tolerance"},
    {ShadowMapRendererPropertiesDlg::IDC_QUAD_TOLERANCE, 0, 0x7FFFFFFF, "Quad Tolerance"},
};

} // namespace

void ShadowMapRendererPropertiesDlg::OnInitDialog()
{
    text[IDC_TEXTURE_SIZE] = std::to_string(textureSize);
    text[IDC_RED] = std::to_string(red);
    text[IDC_GREEN] = std::to_string(green);
    text[IDC_BLUE] = std::to_string(blue);
    text[IDC_TOTAL_TOLERANCE] = std::to_string(totalTolerance);
    text[IDC_QUAD_TOLERANCE] = std::to_string(quadTolerance);
    checks[IDC_SMOOTH] = smooth > 0;
    checks[IDC_MULTIPLE_RAYS] = multipleRays > 0;
    checks[IDC_TRANSPARENT] = transparent > 0;
    checks[IDC_SUN] = sun > 0;
    checks[IDC_COMBINE] = combine > 0;
    phaseSelection = lightPhase >= 0 && lightPhase < 4 ? lightPhase : 0;
    error.clear();
}

void ShadowMapRendererPropertiesDlg::TypeText(int32_t control, const std::string& typed)
{
    std::string digits;
    for (char c : typed)
        if (std::isdigit(static_cast<unsigned char>(c)))
            digits += c;
    text[control] = digits;
}

void ShadowMapRendererPropertiesDlg::SetCheck(int32_t control, bool on)
{
    checks[control] = on;
}

void ShadowMapRendererPropertiesDlg::SelectPhase(int32_t index)
{
    if (index >= 0 && index < 4)
        phaseSelection = index;
}

bool ShadowMapRendererPropertiesDlg::SaveFields()
{
    int64_t values[std::size(kEdits)];
    for (size_t i = 0; i < std::size(kEdits); ++i) {
        const SEditField& f = kEdits[i];
        const std::string& s = text[f.control];
        const bool number = !s.empty() && s.size() <= 10;
        const int64_t v = number ? std::strtoll(s.c_str(), nullptr, 10) : -1;
        if (!number || v < f.low || v > f.high) {
            error = "Please enter an integer between " + std::to_string(f.low) + " and " +
                    std::to_string(f.high) + " (" + f.name + ").";
            return false;
        }
        values[i] = v;
    }
    textureSize = uint32_t(values[0]);
    red = int32_t(values[1]);
    green = int32_t(values[2]);
    blue = int32_t(values[3]);
    totalTolerance = int32_t(values[4]);
    quadTolerance = int32_t(values[5]);
    smooth = checks[IDC_SMOOTH];
    multipleRays = checks[IDC_MULTIPLE_RAYS];
    transparent = checks[IDC_TRANSPARENT];
    sun = checks[IDC_SUN];
    combine = checks[IDC_COMBINE];
    lightPhase = phaseSelection;
    error.clear();
    return true;
}

bool ShadowMapRendererPropertiesDlg::OnOK()
{
    if (!SaveFields()) {
        platform::MessageBox(nullptr, error, "ShadowMap Renderer Properties", platform::MB_OK);
        return false;
    }
    ended = true;
    result = platform::IDOK;
    return true;
}

void ShadowMapRendererPropertiesDlg::OnCancel()
{
    ended = true;
    result = platform::IDCANCEL;
}

uint32_t ShadowMapRendererPropertiesDlg::SelectStartColour() const
{
    return uint32_t(red & 0xFF) | uint32_t(green & 0xFF) << 8 | uint32_t(blue & 0xFF) << 16;
}

void ShadowMapRendererPropertiesDlg::OnColourChosen(uint32_t rgb)
{
    red = int32_t(rgb & 0xFF);
    green = int32_t(rgb >> 8 & 0xFF);
    blue = int32_t(rgb >> 16 & 0xFF);
    text[IDC_RED] = std::to_string(red);
    text[IDC_GREEN] = std::to_string(green);
    text[IDC_BLUE] = std::to_string(blue);
}

int32_t ShadowMapRendererPropertiesDlg::DoModal()
{
    ended = false;
    result = 0;
    OnInitDialog();
    LogPrintf("Dialog %d \"ShadowMap Renderer Properties\"", int(IDD));
    while (!ended && !s_answers.empty()) {
        Answer answer = std::move(s_answers.front());
        s_answers.pop_front();
        answer(*this);
    }
    // Nobody left to answer: the default button.
    if (!ended && !OnOK())
        OnCancel();
    return result;
}

void ShadowMapRendererPropertiesDlg::QueueAnswer(Answer answer)
{
    s_answers.push_back(std::move(answer));
}

void ShadowMapRendererPropertiesDlg::ClearAnswers()
{
    s_answers.clear();
}

// ---------------------------------------------------------------- progress

void ShadowMapRendererDlg::Poll()
{
    if (!renderer)
        return;
    for (const ShadowMessage& m : renderer->TakeMessages())
        platform::MessageBox(nullptr, m.text, m.caption, platform::MB_OK);
    shown = renderer->Progress();
}

void ShadowMapRendererDlg::OnButton()
{
    if (!renderer->finished)
        renderer->Cancel();
    ended = true;
    result = renderer->finished ? platform::IDOK : platform::IDCANCEL;
}

int32_t ShadowMapRendererDlg::DoModal()
{
    ended = false;
    result = 0;
    frames = 0;
    LogPrintf("Dialog %d \"ShadowMap Renderer\"", int(IDD));
    while (!ended) {
        Poll();
        ++frames;
        if (!s_answers.empty()) {
            if (s_answers.front()(*this))
                s_answers.pop_front();
        } else if (renderer->finished) {
            // The default button once the worker has ended: "OK".
            Poll();
            OnButton();
        }
        if (!ended)
            platform::Sleep(10);
    }
    return result;
}

void ShadowMapRendererDlg::QueueAnswer(Answer answer)
{
    s_answers.push_back(std::move(answer));
}

void ShadowMapRendererDlg::ClearAnswers()
{
    s_answers.clear();
}
