#pragma once
// The program's only top-level window: it carries the 3-D view of the game and
// the editor, receives the window messages, keyboard and mouse input and dropped
// files, and writes the settings back when it is destroyed.

#include "GAMES/Rulo2/editor/EditorSelection.h"
#include "platform/win/Window.h"

#include <cstdint>
#include <string>

// State of the window that the frame loop and the game step read.
extern uint8_t AppActiveFlag;   // the application is the active one
extern uint8_t DeviceReadyFlag; // derived from the device: DX.initialised
extern float EditorNearPlane;   // 0.1
extern float EditorFarPlane;    // 12.0
extern int32_t GameCameraMode;  // 0 normal, 1 along the current character's heading

// Editor drags.
enum EditorDragMode : int32_t
{
    DRAG_NONE = 0,
    DRAG_PAN = 1,
    DRAG_ORBIT = 2,
    DRAG_ZOOM = 3,
    DRAG_MOVE_SELECTION = 4,
    DRAG_ROTATE_SELECTION = 5,
    DRAG_MOVE_MODEL_NODE = 6,
    DRAG_RUBBER_BAND = 7,
    DRAG_MOVE_POINT = 8,
    DRAG_MOVE_ATTACK_POINT = 9,
    DRAG_TURN_ATTACK_POINT = 10
};
struct EditorDragState
{
    int32_t mode = DRAG_NONE;
    int32_t startX = 0, startY = 0;
    float zoom = 0, yaw = 0, pitch = 0;
    float target[3] = {0, 0, 0};
    // The drag acts from the third captured move on.
    int32_t delay = 0;
    // The rubber band's moving corner, clamped to the render area.
    int32_t bandX = 0, bandY = 0;
};
extern EditorDragState EditorDrag;
// Orbiting never tips the pitch past this.
constexpr float MaxEditorPitch = 1.5707864f;

// What a dropped file becomes; each returns true when it took the file.
// Null entries are skipped until their subsystem registers them.
struct DropHooks
{
    bool (*loadWorld)(const char* path) = nullptr;
    bool (*importModel)(const char* path) = nullptr;
    bool (*loadTexture)(const char* path) = nullptr;
    // Editor trees, world bounds, texture and material managers after a drop.
    void (*refreshEditor)() = nullptr;
};
extern DropHooks DroppedFileHooks;

class CMainWindow : public platform::Window
{
public:
    CMainWindow() = default;

    // Opens the window: title the text of "RULO2", popup style, dropped files accepted.
    bool CreateMainWindow();

    // Brings the window into line with the current view: menu, projection, title.
    void switchMode();
    void updateMenu();

    platform::LRESULT WindowProc(const platform::Message& msg) override;

    // Handlers.
    void OnPaint();
    void OnKeyDown(int key);
    void OnKeyUp(int key);
    void OnChar(int ch);
    platform::LRESULT OnSysKeyDown(const platform::Message& msg);
    platform::LRESULT OnSysKeyUp(const platform::Message& msg);
    platform::LRESULT OnSysCommand(const platform::Message& msg);
    platform::LRESULT OnActivateApp(const platform::Message& msg);
    platform::LRESULT OnActivate(const platform::Message& msg);
    platform::LRESULT OnSize(const platform::Message& msg);
    platform::LRESULT OnDropFiles(const platform::Message& msg);
    platform::LRESULT OnDestroy(const platform::Message& msg);
    platform::LRESULT OnClose(const platform::Message& msg);
    void OnLButtonDown(int x, int y);
    void OnLButtonUp(int x, int y);
    void OnMButtonDown(int x, int y);
    void OnMButtonUp(int x, int y);
    void OnRButtonDown(int x, int y);
    void OnRButtonUp(int x, int y);
    void OnLButtonDblClk(int x, int y);
    void OnMouseMove(int x, int y);
    void OnMouseWheel(int delta);

    // Starts an editor drag at the cursor position.
    void beginDrag(int32_t mode, int x, int y);
    // Left button in a world view other than World Ground View: place the preview
    // or the paste buffer, move the selection or start a rubber band.
    void EditorLeftDown(int x, int y);

    // The title the current view asks for.
    std::string TitleText() const;
};

extern CMainWindow* MainWindow;
