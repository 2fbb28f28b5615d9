#pragma once
// The lightmap renderer's two dialogs on the editor toolkit: the properties dialog
// (settings with their range checks) and the progress dialog, whose modal loop draws the
// renderer's progress snapshot on a timer while the worker renders.
#include <cstdint>
#include <deque>
#include <functional>
#include <string>

#include "GAMES/Rulo2/editor/shadowmap/ShadowMapRenderer.h"
#include "platform/ui/Ui.h"

class ShadowMapRendererPropertiesDlg : public platform::ui::Dialog
{
public:
    enum
    {
        IDD = 331,
        IDC_TEXTURE_SIZE = 1080,
        IDC_RED = 1081,
        IDC_GREEN = 1082,
        IDC_BLUE = 1083,
        IDC_SELECT = 1084,
        IDC_TOTAL_TOLERANCE = 1085,
        IDC_MULTIPLE_RAYS = 1086,
        IDC_SMOOTH = 1087,
        IDC_TRANSPARENT = 1088,
        IDC_SUN = 1089,
        IDC_COMBINE = 1090,
        IDC_QUAD_TOLERANCE = 1091,
        IDC_LIGHT_PHASE = 1108,
    };
    static const char* const kPhaseNames[4];

    ShadowMapRendererPropertiesDlg();

    // Fields to controls (the dialog opening).
    bool OnInitDialog() override;
    // Controls to fields with the range checks (texture size 1 to 1024: the layout divides
    // by it; colours 0 to 255); a failed check shows the standard message and the dialog
    // stays open.
    void DoDataExchange(platform::ui::DataExchange& dx) override;
    bool OnCommand(int id) override;
    // Typing into an edit keeps only its digits.
    void TypeText(int32_t control, const std::string& text);
    void SetCheck(int32_t control, bool on);
    void SelectPhase(int32_t index);
    // The Select button: the colour dialog starts from the values last transferred; the
    // chosen colour replaces the three fields and what was typed.
    uint32_t SelectStartColour() const;
    void OnColourChosen(uint32_t rgb);

    uint32_t textureSize = 64;
    int32_t red = 0, green = 0, blue = 0;
    int32_t smooth = 0, multipleRays = 0, transparent = 0, sun = 0, combine = 0;
    int32_t lightPhase = 0;
    int32_t totalTolerance = 0, quadTolerance = 0;
};

class ShadowMapRendererDlg : public platform::ui::Dialog
{
public:
    enum
    {
        IDD = 329,
        IDC_PHASE = 1116,
        IDC_STEP = 1100,
        IDC_PASS_BAR = 1074,
        IDC_OVERALL_BAR = 1076,
        IDC_ELAPSED = 1114,
        IDC_RAYS = 1115,
        IDC_TEXTURES = 1005,
        IDC_TRIANGLE = 1101,
        IDC_LIGHT = 1102,
        IDC_RESULT = 1322,
        IDC_BUTTON = 2,
    };

    explicit ShadowMapRendererDlg(CShadowMapRenderer* renderer);

    bool OnInitDialog() override;
    // One frame of the modal loop (its timer): the renderer's messages shown in order, its
    // progress copied into the controls. Without a person at the screen the finished run
    // is closed with its "OK".
    void OnTimer(uint32_t id) override;
    void Poll();
    // Button 2 (also Esc and the close box): while the worker runs it cancels (cancel and
    // closed flags) and ends the dialog at once; after the end it is "OK".
    bool OnCommand(int id) override;
    void OnCancel() override { OnButton(); }
    void OnOK() override {}
    void OnButton();

    // Test hook: an answer is asked each frame; it returns true when it pressed something.
    using Answer = std::function<bool(ShadowMapRendererDlg&)>;
    static void QueueAnswer(Answer answer);
    static void ClearAnswers();

    CShadowMapRenderer* renderer = nullptr;
    ShadowProgress shown;
    int32_t frames = 0;

private:
    static std::deque<Answer> s_answers;
    bool polling_ = false;
};

// "Calc ShadowMaps..." of the World Tree window: for a group with children, a renderer
// with the default settings runs on the group's children and is destroyed afterwards.
// Nothing for other nodes.
void CalcGroupShadowMaps(CWorldObject* group);
