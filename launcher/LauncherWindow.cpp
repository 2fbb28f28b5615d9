#include "launcher/LauncherWindow.h"

#include <cstdio>
#include <memory>

namespace launcher {

CLauncherWindow::CLauncherWindow()
    : platform::ui::Dialog(kDialogResource, kTitle, DluToPixelsX(kDialogWidthDlu),
                           DluToPixelsY(kDialogHeightDlu))
{
}

bool CLauncherWindow::OnInitDialog()
{
    using platform::ui::ControlKind;
    auto picture = std::make_shared<platform::ui::Bitmap>();
    std::string error;
    if (!platform::ui::LoadBitmapResource(kPictureResource, *picture, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        picture.reset();
    }
    platform::ui::Control& frame =
        AddControl(ControlKind::Picture, 0, "", DluToPixelsX(kPictureX), DluToPixelsY(kPictureY),
                   DluToPixelsX(kPictureWidthDlu), DluToPixelsY(kPictureHeightDlu));
    frame.picture = picture;
    logic.InitDialog();
    for (const Button& b : logic.buttons) {
        AddControl(ControlKind::Button, b.id, b.caption, DluToPixelsX(b.x), DluToPixelsY(b.y),
                   DluToPixelsX(b.width), DluToPixelsY(kButtonHeightDlu));
    }
    Sync();
    return true;
}

bool CLauncherWindow::OnCommand(int id)
{
    logic.Command(id);
    Sync();
    return true;
}

void CLauncherWindow::Sync()
{
    SetWindowText(logic.caption);
    for (const Button& b : logic.buttons)
        if (platform::ui::Control* c = GetDlgItem(b.id)) {
            c->text = b.caption;
            c->enabled = b.enabled;
        }
    if (logic.ended && !Ended())
        EndDialog(logic.result);
}

} // namespace launcher
