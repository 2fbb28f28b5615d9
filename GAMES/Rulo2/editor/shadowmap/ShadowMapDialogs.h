#pragma once
// The lightmap renderer's two dialogs as the editor's dialog classes: their fields,
// control texts, data exchange with its range checks, and handlers. A modal dialog
// takes its answers from a queue (tests, scripted runs) and otherwise from its default
// button, as every modal box does without a person at the screen.
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>

#include "GAMES/Rulo2/editor/shadowmap/ShadowMapRenderer.h"

class ShadowMapRendererPropertiesDlg
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

    // Fields to controls (the dialog opening).
    void OnInitDialog();
    // Controls to fields with the range checks; false (and `error` set) when a value is out
    // of range: the dialog then stays open.
    bool SaveFields();
    // Typing into an edit keeps only its digits.
    void TypeText(int32_t control, const std::string& text);
    void SetCheck(int32_t control, bool on);
    void SelectPhase(int32_t index);
    // OK: ends the dialog with IDOK once the fields pass their checks; Cancel ends it.
    bool OnOK();
    void OnCancel();
    // The Select button: the colour dialog starts from the values last transferred; the
    // chosen colour replaces the three fields and what was typed.
    uint32_t SelectStartColour() const;
    void OnColourChosen(uint32_t rgb);

    int32_t DoModal();
    using Answer = std::function<void(ShadowMapRendererPropertiesDlg&)>;
    static void QueueAnswer(Answer answer);
    static void ClearAnswers();

    uint32_t textureSize = 64;
    int32_t red = 0, green = 0, blue = 0;
    int32_t smooth = 0, multipleRays = 0, transparent = 0, sun = 0, combine = 0;
    int32_t lightPhase = 0;
    int32_t totalTolerance = 0, quadTolerance = 0;

    std::map<int32_t, std::string> text; // edit controls
    std::map<int32_t, bool> checks;
    int32_t phaseSelection = 0;
    std::string error;
    bool ended = false;
    int32_t result = 0;

private:
    static std::deque<Answer> s_answers;
};

class ShadowMapRendererDlg
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

    explicit ShadowMapRendererDlg(CShadowMapRenderer* renderer) : renderer(renderer) {}

    // One frame of the modal loop: the renderer's messages shown in order, its progress
    // copied into the controls.
    void Poll();
    // Button 2: while the worker runs it cancels (cancel and closed flags) and ends the
    // dialog at once; after the end it is "OK".
    void OnButton();
    // The modal loop; returns the button that ended it.
    int32_t DoModal();

    // An answer is asked each frame; it returns true when it pressed something.
    using Answer = std::function<bool(ShadowMapRendererDlg&)>;
    static void QueueAnswer(Answer answer);
    static void ClearAnswers();

    CShadowMapRenderer* renderer = nullptr;
    ShadowProgress shown;
    bool ended = false;
    int32_t result = 0;
    int32_t frames = 0;

private:
    static std::deque<Answer> s_answers;
};
