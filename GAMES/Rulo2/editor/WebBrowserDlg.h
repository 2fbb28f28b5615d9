#pragma once
// The window the tutorial's pages show in: a host dialog (resource 603) with one
// web browser control (1374). The control is the platform's page view; the host
// is placed over the tutorial frame's page area and the control inside it at the
// page's zoom and offsets.
#include <cstdint>
#include <memory>

#include "platform/browser/Browser.h"

class CWebBrowser2
{
public:
    CWebBrowser2();
    virtual ~CWebBrowser2();
    CWebBrowser2(const CWebBrowser2&) = delete;
    CWebBrowser2& operator=(const CWebBrowser2&) = delete;

    static constexpr const char* kClassName = "CWebBrowser2";
    static std::unique_ptr<CWebBrowser2> CreateObject();

    // Opens a page by its path; the four optional arguments (flags, target frame,
    // post data, headers) are accepted and not used by local pages.
    virtual void Navigate(const char* url, const void* flags = nullptr, const void* targetFrame = nullptr,
                          const void* postData = nullptr, const void* headers = nullptr);
    // The control's rectangle inside its host, in pixels.
    virtual void SetWindowPos(int32_t x, int32_t y, int32_t width, int32_t height);

    platform::Browser page;
};

class WebBrowserDlg
{
public:
    static constexpr int32_t IDD = 603;
    static constexpr int32_t IDC_BROWSER = 1374;

    // Null makes the platform's control; tests hand in their own.
    explicit WebBrowserDlg(std::unique_ptr<CWebBrowser2> control = nullptr);
    ~WebBrowserDlg();

    CWebBrowser2* Browser() const { return control_.get(); }
    void ShowWindow(bool show);
    bool IsWindowVisible() const;
    // The host's rectangle on the screen, in pixels.
    void SetWindowPos(int32_t x, int32_t y, int32_t width, int32_t height);
    // A left click at a screen point; true when it lay on the shown host window.
    bool Click(int32_t x, int32_t y);
    // Draws the shown page over the 3-D view, inside the tutorial cut-out.
    void Draw();

private:
    std::unique_ptr<CWebBrowser2> control_;
    platform::BrowserTexture texture_;
};

// The one host window while a game runs; null otherwise.
extern WebBrowserDlg* BrowserDialog;
// Made when a game starts and destroyed when it ends (before the autosave).
void CreateBrowserDialog();
void DestroyBrowserDialog();
