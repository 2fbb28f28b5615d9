#include "platform/ui/ColorDialog.h"

namespace platform::ui {

ColorDialog::ColorDialog(uint32_t rgb)
    : Dialog(kColorDialog, "Color", 220, 150), red_(int(rgb & 0xFF)), green_(int(rgb >> 8 & 0xFF)),
      blue_(int(rgb >> 16 & 0xFF))
{
    const struct
    {
        int id;
        const char* label;
    } fields[] = {{kColorRed, "Red:"}, {kColorGreen, "Green:"}, {kColorBlue, "Blue:"}};
    int y = 8;
    for (const auto& f : fields) {
        AddControl(ControlKind::Static, 0, f.label, 8, y + 2, 60, 20);
        AddControl(ControlKind::Edit, f.id, "", 70, y, 80, 22);
        y += 28;
    }
    AddControl(ControlKind::Button, IDOK, "OK", 40, y + 4, 70, 24);
    AddControl(ControlKind::Button, IDCANCEL, "Cancel", 120, y + 4, 70, 24);
    UpdateData(false);
}

void ColorDialog::DoDataExchange(DataExchange& dx)
{
    DDX_Text(dx, kColorRed, red_);
    DDV_MinMaxInt(dx, red_, 0, 255);
    DDX_Text(dx, kColorGreen, green_);
    DDV_MinMaxInt(dx, green_, 0, 255);
    DDX_Text(dx, kColorBlue, blue_);
    DDV_MinMaxInt(dx, blue_, 0, 255);
}

} // namespace platform::ui
