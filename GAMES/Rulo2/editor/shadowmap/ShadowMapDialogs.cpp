#include "GAMES/Rulo2/editor/shadowmap/ShadowMapDialogs.h"

#include <cctype>

#include "platform/ui/ColorDialog.h"
#include "platform/win/MessageBox.h"

using platform::ui::BST_CHECKED;
using platform::ui::BST_UNCHECKED;
using platform::ui::ControlKind;

const char* const ShadowMapRendererPropertiesDlg::kPhaseNames[4] = {"Day 1 (00:00)", "Day 2 (06:00)",
                                                                    "Day 3 (12:00)", "Custom 1"};
std::deque<ShadowMapRendererDlg::Answer> ShadowMapRendererDlg::s_answers;

namespace {

// A label and its edit in one row.
void LabelledEdit(platform::ui::Dialog& d, const char* label, int id, int x, int y, int labelWidth = 90)
{
    d.AddControl(ControlKind::Static, 0, label, x, y + 3, labelWidth, 20);
    d.AddControl(ControlKind::Edit, id, "", x + labelWidth, y, 60, 22);
}

} // namespace

ShadowMapRendererPropertiesDlg::ShadowMapRendererPropertiesDlg()
    : platform::ui::Dialog(IDD, "ShadowMap Renderer Properties", 420, 300)
{
    LabelledEdit(*this, "Texture Size:", IDC_TEXTURE_SIZE, 10, 10);
    AddControl(ControlKind::Static, 0, "Ambient Color", 10, 44, 170, 20);
    LabelledEdit(*this, "Red:", IDC_RED, 20, 66, 50);
    LabelledEdit(*this, "Green:", IDC_GREEN, 20, 92, 50);
    LabelledEdit(*this, "Blue:", IDC_BLUE, 20, 118, 50);
    AddControl(ControlKind::Button, IDC_SELECT, "Select", 20, 146, 110, 24);
    LabelledEdit(*this, "Total Tolerance:", IDC_TOTAL_TOLERANCE, 10, 186, 110);
    LabelledEdit(*this, "Quad Tolerance:", IDC_QUAD_TOLERANCE, 10, 212, 110);
    AddControl(ControlKind::CheckBox, IDC_SMOOTH, "Smooth Texture", 200, 10, 210, 20);
    AddControl(ControlKind::CheckBox, IDC_MULTIPLE_RAYS, "Multiple Rays (5 instead of 1)", 200, 34, 210, 20);
    AddControl(ControlKind::CheckBox, IDC_TRANSPARENT, "Transparent Textures", 200, 58, 210, 20);
    AddControl(ControlKind::CheckBox, IDC_SUN, "Include Sun", 200, 82, 210, 20);
    AddControl(ControlKind::CheckBox, IDC_COMBINE, "Combine Inside Groups", 200, 106, 210, 20);
    AddControl(ControlKind::Static, 0, "Light Phase:", 200, 140, 90, 20);
    platform::ui::Control& phase = AddControl(ControlKind::ComboBox, IDC_LIGHT_PHASE, "", 200, 160, 150, 22);
    phase.list.assign(std::begin(kPhaseNames), std::end(kPhaseNames));
    AddControl(ControlKind::Button, platform::ui::IDOK, "OK", 250, 250, 72, 24);
    AddControl(ControlKind::Button, platform::ui::IDCANCEL, "Cancel", 330, 250, 72, 24);
}

bool ShadowMapRendererPropertiesDlg::OnInitDialog()
{
    UpdateData(false);
    return true;
}

void ShadowMapRendererPropertiesDlg::DoDataExchange(platform::ui::DataExchange& dx)
{
    int size = int(std::min<uint32_t>(textureSize, 0x7FFFFFFF));
    platform::ui::DDX_Text(dx, IDC_TEXTURE_SIZE, size);
    platform::ui::DDV_MinMaxInt(dx, size, 1, 1024);
    int colour[3] = {red, green, blue};
    const int colourIds[3] = {IDC_RED, IDC_GREEN, IDC_BLUE};
    for (int i = 0; i < 3; ++i) {
        platform::ui::DDX_Text(dx, colourIds[i], colour[i]);
        platform::ui::DDV_MinMaxInt(dx, colour[i], 0, 255);
    }
    int tolerance[2] = {totalTolerance, quadTolerance};
    platform::ui::DDX_Text(dx, IDC_TOTAL_TOLERANCE, tolerance[0]);
    platform::ui::DDX_Text(dx, IDC_QUAD_TOLERANCE, tolerance[1]);
    int32_t* const flags[] = {&smooth, &multipleRays, &transparent, &sun, &combine};
    const int flagIds[] = {IDC_SMOOTH, IDC_MULTIPLE_RAYS, IDC_TRANSPARENT, IDC_SUN, IDC_COMBINE};
    int checks[5];
    for (int i = 0; i < 5; ++i) {
        // A field counts as on when it is greater than 0.
        checks[i] = *flags[i] > 0 ? BST_CHECKED : BST_UNCHECKED;
        platform::ui::DDX_Check(dx, flagIds[i], checks[i]);
    }
    platform::ui::Control* phase = GetDlgItem(IDC_LIGHT_PHASE);
    if (dx.Failed())
        return;
    if (!dx.Saving()) {
        phase->selection = lightPhase >= 0 && lightPhase < 4 ? lightPhase : 0;
        phase->text = kPhaseNames[phase->selection];
        return;
    }
    textureSize = uint32_t(size);
    red = colour[0];
    green = colour[1];
    blue = colour[2];
    totalTolerance = tolerance[0];
    quadTolerance = tolerance[1];
    for (int i = 0; i < 5; ++i)
        *flags[i] = checks[i] == BST_CHECKED ? 1 : 0;
    lightPhase = phase->selection >= 0 && phase->selection < 4 ? phase->selection : 0;
}

bool ShadowMapRendererPropertiesDlg::OnCommand(int id)
{
    if (id != IDC_SELECT)
        return platform::ui::Dialog::OnCommand(id);
    platform::ui::ColorDialog colour(SelectStartColour());
    if (colour.DoModal(Owner()) == platform::ui::IDOK)
        OnColourChosen(colour.GetColor());
    return true;
}

void ShadowMapRendererPropertiesDlg::TypeText(int32_t control, const std::string& typed)
{
    std::string digits;
    for (char c : typed)
        if (std::isdigit(static_cast<unsigned char>(c)))
            digits += c;
    SetDlgItemText(control, digits);
}

void ShadowMapRendererPropertiesDlg::SetCheck(int32_t control, bool on)
{
    if (platform::ui::Control* c = GetDlgItem(control))
        c->check = on ? BST_CHECKED : BST_UNCHECKED;
}

void ShadowMapRendererPropertiesDlg::SelectPhase(int32_t index)
{
    platform::ui::Control* c = GetDlgItem(IDC_LIGHT_PHASE);
    if (c && index >= 0 && index < 4) {
        c->selection = index;
        c->text = kPhaseNames[index];
    }
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
    SetDlgItemText(IDC_RED, std::to_string(red));
    SetDlgItemText(IDC_GREEN, std::to_string(green));
    SetDlgItemText(IDC_BLUE, std::to_string(blue));
}

// ---------------------------------------------------------------- progress

namespace {

constexpr uint32_t kPollTimer = 1;
constexpr uint32_t kPollMs = 15;

} // namespace

ShadowMapRendererDlg::ShadowMapRendererDlg(CShadowMapRenderer* renderer)
    : platform::ui::Dialog(IDD, "ShadowMap Renderer", 360, 330), renderer(renderer)
{
    AddControl(ControlKind::Static, 0, "Progress", 10, 8, 100, 20);
    AddControl(ControlKind::Static, IDC_PHASE, shown.phaseLine, 20, 30, 320, 20);
    AddControl(ControlKind::Static, IDC_STEP, shown.stepLine, 20, 50, 320, 20);
    AddControl(ControlKind::Static, IDC_LIGHT, "", 20, 70, 320, 20);
    AddControl(ControlKind::Static, IDC_TRIANGLE, "", 20, 90, 320, 20);
    AddControl(ControlKind::Static, 0, "Pass Progress:", 20, 114, 120, 20);
    AddControl(ControlKind::Progress, IDC_PASS_BAR, "", 20, 134, 320, 14);
    AddControl(ControlKind::Static, 0, "Overall Progress:", 20, 154, 120, 20);
    AddControl(ControlKind::Progress, IDC_OVERALL_BAR, "", 20, 174, 320, 14);
    AddControl(ControlKind::Static, 0, "Statistics", 10, 196, 100, 20);
    AddControl(ControlKind::Static, 0, "Elapsed Time:", 20, 216, 110, 20);
    AddControl(ControlKind::Static, IDC_ELAPSED, shown.elapsed, 140, 216, 200, 20);
    AddControl(ControlKind::Static, 0, "Traced Rays:", 20, 236, 110, 20);
    AddControl(ControlKind::Static, IDC_RAYS, shown.rays, 140, 236, 200, 20);
    AddControl(ControlKind::Static, 0, "Textures:", 20, 256, 110, 20);
    AddControl(ControlKind::Static, IDC_TEXTURES, shown.textures, 140, 256, 200, 20);
    AddControl(ControlKind::Static, IDC_RESULT, "", 10, 280, 250, 20);
    AddControl(ControlKind::Button, IDC_BUTTON, shown.button, 270, 278, 72, 24);
    SetEndsItself(true);
}

bool ShadowMapRendererDlg::OnInitDialog()
{
    frames = 0;
    SetTimer(kPollTimer, kPollMs);
    return true;
}

void ShadowMapRendererDlg::Poll()
{
    if (!renderer)
        return;
    for (const ShadowMessage& m : renderer->TakeMessages())
        platform::MessageBox(nullptr, m.text, m.caption, platform::MB_OK);
    shown = renderer->Progress();
    const std::pair<int, const std::string*> lines[] = {
        {IDC_PHASE, &shown.phaseLine},       {IDC_STEP, &shown.stepLine},     {IDC_LIGHT, &shown.lightLine},
        {IDC_TRIANGLE, &shown.triangleLine}, {IDC_ELAPSED, &shown.elapsed},   {IDC_RAYS, &shown.rays},
        {IDC_TEXTURES, &shown.textures},     {IDC_RESULT, &shown.resultLine}, {IDC_BUTTON, &shown.button}};
    for (const auto& [id, text] : lines)
        SetDlgItemText(id, *text);
    const std::tuple<int, int, int> bars[] = {{IDC_PASS_BAR, shown.passRange, shown.passPosition},
                                              {IDC_OVERALL_BAR, shown.overallRange, shown.overallPosition}};
    for (const auto& [id, range, position] : bars)
        if (platform::ui::Control* bar = GetDlgItem(id)) {
            bar->rangeLow = 0;
            bar->rangeHigh = range;
            bar->position = position;
        }
}

void ShadowMapRendererDlg::OnTimer(uint32_t id)
{
    // A message box shown by the poll runs its own loop, which runs this timer again.
    if (id != kPollTimer || Ended() || polling_)
        return;
    polling_ = true;
    Poll();
    polling_ = false;
    ++frames;
    if (!s_answers.empty()) {
        if (s_answers.front()(*this))
            s_answers.pop_front();
    } else if (renderer && renderer->finished && platform::NonInteractive()) {
        // Nobody at the screen to press the finished run's "OK".
        Poll();
        OnButton();
    }
}

bool ShadowMapRendererDlg::OnCommand(int id)
{
    if (id != IDC_BUTTON)
        return platform::ui::Dialog::OnCommand(id);
    OnButton();
    return true;
}

void ShadowMapRendererDlg::OnButton()
{
    if (Ended())
        return;
    const bool finished = !renderer || renderer->finished;
    if (!finished)
        renderer->Cancel();
    KillTimer(kPollTimer);
    EndDialog(finished ? platform::ui::IDOK : platform::ui::IDCANCEL);
}

void ShadowMapRendererDlg::QueueAnswer(Answer answer)
{
    s_answers.push_back(std::move(answer));
}

void ShadowMapRendererDlg::ClearAnswers()
{
    s_answers.clear();
}
