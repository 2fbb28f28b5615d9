#pragma once
// The game camera: a look-at point that glides after the hero, an eye that glides
// after a wanted eye position and is pulled in front of obstacles, mouse orbit,
// wheel zoom, a first-person view, and one-frame framing of a single object.
#include <cstdint>
#include <vector>

#include "GAMES/Rulo2/render/RenderGlobals.h"
#include "LIBS/System/CBox.h"
#include "LIBS/System/CMatrix.h"
#include "LIBS/System/CVector.h"

class CWorldObject;

class CGameCamera
{
public:
    CGameCamera();

    void Update(int32_t time);
    void MouseLook(bool on);
    void SetMode(bool firstPersonOn);
    // A view still framing the last object is put back first, so that the next framing (or none)
    // returns to the player's view.
    void SetThumbnailObject(CWorldObject* object)
    {
        if (thumbnailState == 1)
            RestoreThumbnailView();
        thumbnailObject = object;
        thumbnailState = object ? 2 : 0;
    }
    void SetShot(const int32_t shotWords[10], int32_t word);
    void ClearFocusObject() { focusObject = nullptr; }
    void ForgetObstacles();
    // The game reset's values.
    void Reset();

    CVector SmoothMove(const CVector& from, const CVector& to, float factor) const;
    // The eye pulled onto the look-at side of every obstacle, never nearer than
    // `minimum` to the look-at point; true when something blocked.
    bool ClipEye(const CVector& eye, const CVector& lookAtPoint, float minimum, CVector* clipped);
    // Fraction of the way from the eye to the look-at point of the farthest
    // obstacle, 0 when nothing blocks.
    float FindObstacles(const CVector& eye, const CVector& lookAtPoint);
    // The nearest wall point around `point` (two walls blend); false when none.
    bool FindWallPoint(const CVector& point, CVector* wall);

    uint8_t firstPerson = 0;
    CVector savedOffset{0, 0, 0};
    uint8_t restoreOffset = 0;
    int32_t thumbnailState = 0; // 0 idle, 2 frame thumbnailObject next, 1 restore next
    CWorldObject* thumbnailObject = nullptr;
    uint8_t mouseLook = 0;
    CVector orbitOffset{0, 0, 0};
    float pitchBase = 0, pitchDelta = 0, yawDelta = 0;
    float distance = 1.8f;
    int32_t followMode = 0;
    CVector followedPoint{0, 0, 0};
    float followedHeading = 0;
    uint8_t indoors = 0;
    int32_t shot[4][11] = {};
    int32_t shotRequest = 0;
    float wallRadiusOut = 0.7f, wallRadiusIn = 0.3f;
    CWorldObject* focusObject = nullptr;
    uint8_t eyeBlocked = 0, atWall = 0, turnFromWall = 0;
    CVector wallEye{0, 0, 0};
    CVector desiredEye{0, 0, 0}, desiredEye2{0, 0, 0};
    CVector lookAt{0, 0, 1};
    CVector eye{0, 0, 0};
    CVector actualEye{0, 0, 0};
    CVector direction{0, 0, 1};
    CVector offset{0.3f, 1.5f, -1.2f};
    float speed = 0.1f, maxSpeed = 0.1f;
    float step = 0, maxStep = 0;
    CWorldObject* obstacleGroup[5] = {};
    int32_t obstacleIndex = 0;
    int32_t lastTime = 0;
    CVector savedView[6];
    float savedCursor[2] = {};
    // This frame's mouse movement and the view size, for mouse-look.
    float mouseDX = 0, mouseDY = 0;
    int32_t viewWidth = 640, viewHeight = 480;
    // The segment volume of the last eye test, for display.
    CBox testBox = CBox::Empty;

private:
    void FrameThumbnail();
    void RestoreThumbnailView();
    void ApplyMouseLook(int32_t time);
    std::vector<CWorldObject*> ignore_;
};
extern CGameCamera GameCamera;

// Settings the camera reads every frame (registry values of the shell).
struct SCameraSettings
{
    uint8_t fixedCamera = 1;
    uint8_t cameraIntersection = 1;
    uint8_t invertMouse = 0;
};
extern SCameraSettings CameraSettings;

// The game view record: the look-at point and the eye.
struct SViewRecord
{
    CVector position{0, 0, 0};
    CVector eye{0, 0, -1};
};
extern SViewRecord GameViewRecord;

// What the game step hands the camera each frame.
struct SCameraInput
{
    CWorldObject* hero = nullptr;
    CWorldObject* focus = nullptr; // the hero's own world object (or its car)
    int32_t frameTime = 0;
    float mouseDX = 0, mouseDY = 0;
    uint8_t leftButton = 0, rightButton = 0;
    uint8_t cameraLock = 0, inputBlocked = 0;
    int32_t* zoomAccumulator = nullptr; // minus the wheel delta; cleared here
    uint8_t viewDrag = 0;               // out: the right button drags the view
    int32_t cursorX = -1, cursorY = -1; // the cursor in client pixels; negative: none
    // While the hero rides in a car with a ride record (transport state 3): the
    // record's position and offset place the view instead of the camera.
    const CVector* ridePosition = nullptr;
    const CVector* rideOffset = nullptr;
};
// Rebuilds the cursor's picking ray (FramePasses' CursorRay) from a client pixel
// through the current view and projection; no ray for a negative position.
void UpdateCursorRay(int32_t x, int32_t y);
void UpdateCameraInput(SCameraInput& input);
// The sound engine's listener, told the look-at point and the eye after each
// camera step while the engine runs.
extern void (*CameraListener)(const CVector& position, const CVector& eye);
// Writes the device's view transform from the view record and refreshes the
// eye and direction globals.
void ApplyViewTransform(const CVector& eye, const CVector& position);
// Divides a vector in place by s.
void Vec3DivScalar(CVector& v, float s);

// A view that is not the game view: zoom z, yaw a, elevation b around a look-at
// point, with an optional glide of the look-at point to a goal.
struct SOrbitView
{
    float zoom = 4.0f;
    float yaw = 0.0f;
    float elevation = 0.7853982f;
    CVector lookAt{0, 0, 0};
    int32_t glideStartTime = 0; // 0: no glide
    CVector glideFrom{0, 0, 0};
    CVector glideTo{0, 0, 0};
};
// Moves a running glide at 3 units per second of game clock (eased in and out),
// places the eye 1.3^zoom away and sets the view transform. Returns the eye.
CVector UpdateOrbitCamera(SOrbitView& view, int32_t gameClock);
