#pragma once
// Dialog 111 on screen: the launcher's decisions (CLauncherDialog) drawn as the
// whole content of a window of its own, with bitmap 113 above the eight buttons.

#include "launcher/Launcher.h"
#include "platform/ui/Ui.h"

namespace launcher {

inline constexpr int kDialogResource = 111;

class CLauncherWindow : public platform::ui::Dialog
{
public:
    CLauncherWindow();

    CLauncherDialog logic;

    bool OnInitDialog() override;
    bool OnCommand(int id) override;
    void OnOK() override {}
    void OnCancel() override { OnCommand(IDCANCEL); }

private:
    // Captions and enable states from the decisions onto the buttons; ends the
    // dialog once the decisions did.
    void Sync();
};

} // namespace launcher
