#include "platform/ui/UiInternal.h"

#include "platform/files/Cp1252.h"

namespace platform::ui {

FileDialog::FileDialog(bool open, std::string filter, std::string initialFolder)
    : Dialog(open ? kFileOpenDialog : kFileSaveDialog, open ? "Open" : "Save As", 420, 110),
      filter_(std::move(filter)), initialFolder_(std::move(initialFolder))
{
    AddControl(ControlKind::Static, 0, "File name:", 8, 8, 80, 20);
    AddControl(ControlKind::Edit, kFileNameEdit, "", 90, 6, 320, 22);
    AddControl(ControlKind::Button, IDOK, open ? "Open" : "Save", 240, 50, 80, 24);
    AddControl(ControlKind::Button, IDCANCEL, "Cancel", 330, 50, 80, 24);
}

void FileDialog::OnOK()
{
    const std::string name = GetDlgItemText(kFileNameEdit);
    // An empty name chooses nothing; the dialog stays open, as the system's does.
    if (name.empty())
        return;
    std::filesystem::path p(Cp1252ToUtf8(name));
    if (p.is_relative() && !initialFolder_.empty())
        p = std::filesystem::path(initialFolder_) / p;
    path_ = p;
    EndDialog(IDOK);
}

} // namespace platform::ui
