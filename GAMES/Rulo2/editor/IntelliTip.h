#pragma once
// The tooltip window of the editor trees: any text of several lines, shown 500 ms
// after it was asked for, 20 pixels below the point it was asked for, and gone
// as soon as the pointer leaves that point.

#include "platform/ui/Ui.h"

#include <cstdint>
#include <string>
#include <string_view>

// Four characters as one timer id, as the window timers take them.
constexpr uint32_t FourCC(const char (&c)[5])
{
    return uint32_t(uint8_t(c[0])) << 24 | uint32_t(uint8_t(c[1])) << 16 | uint32_t(uint8_t(c[2])) << 8 |
           uint32_t(uint8_t(c[3]));
}

class CIntelliTip : public platform::ui::Dialog
{
public:
    static constexpr uint32_t kShowTimer = FourCC("LOML");  // 500 ms, once
    static constexpr uint32_t kWatchTimer = FourCC("LOYL"); // 100 ms, repeating
    static constexpr int kShowDelayMs = 500;
    static constexpr int kWatchMs = 100;

    // Created at once, hidden, at (0, 0), 10 x 10.
    CIntelliTip();
    ~CIntelliTip() override;

    // The point (host window pixels) the tip is asked for; false when unchanged.
    bool setPosition(int x, int y);
    // False for an empty text or the text shown now; otherwise the tip waits 500 ms.
    bool show(std::string_view text);
    void hide();

    const std::string& text() const { return text_; }
    int width() const { return width_; }
    int height() const { return height_; }
    int lineHeight() const { return lineHeight_; }

    // Where the pointer is, for the 100 ms check (host window pixels); the
    // platform's cursor unless a test puts its own.
    static bool (*cursorSource)(int& x, int& y);

    void OnTimer(uint32_t id) override;
    // Never ends itself or takes keys.
    void OnOK() override {}
    void OnCancel() override {}

private:
    // Sizes the window to the text and lays its lines out.
    void Measure();

    int width_ = 0, height_ = 0;
    int anchorX_ = 0, anchorY_ = 0;
    int lineHeight_ = 0;
    // Texts of any length: the tree owners compose them (dialog lines, statistics).
    std::string text_;
};
