#pragma once
// The colour dialog: red, green and blue (0 to 255) in three edit fields, preset
// to a colour. Scripts and tests answer it as dialog kColorDialog.

#include "platform/ui/Ui.h"

#include <cstdint>

namespace platform::ui {

constexpr int kColorDialog = 1538;
constexpr int kColorRed = 706, kColorGreen = 707, kColorBlue = 708;

class ColorDialog : public Dialog
{
public:
    // `rgb` as 0x00BBGGRR (COLORREF).
    explicit ColorDialog(uint32_t rgb = 0);
    void DoDataExchange(DataExchange& dx) override;
    uint32_t GetColor() const { return uint32_t(red_) | uint32_t(green_) << 8 | uint32_t(blue_) << 16; }

private:
    int red_, green_, blue_;
};

} // namespace platform::ui
