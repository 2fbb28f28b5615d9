#include "GAMES/Rulo2/render/CGameCamera.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/render/FramePasses.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/HouseFloors.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "GAMES/Rulo2/world/WorldHelpers.h"
#include "GAMES/Rulo2/world/WorldRays.h"
#include "LIBS/System/CMatrix.h"

CGameCamera GameCamera;
SCameraSettings CameraSettings;
CVector EyePosition{0, 0, 0};
CVector ViewDirection{0, 0, 1};
SViewRecord GameViewRecord;
CMatrix BillboardMatrix = CMatrix::Identity;
void (*CameraListener)(const CVector& position, const CVector& eye) = nullptr;

namespace {
constexpr float kPi = 3.14159265358979f;

float Length(const CVector& v)
{
    return v.length();
}

// Scales v to length `len`; a zero vector stays as it is.
CVector WithLength(const CVector& v, float len)
{
    const float l = Length(v);
    if (!(l > 0.0f))
        return v;
    return v * (len / l);
}

float Heading(const CVector& v)
{
    return std::atan2(v.x, v.z);
}

CVector TurnY(const CVector& v, float a)
{
    // Turning about the vertical axis so that the heading atan2(x, z) grows by a.
    const float c = std::cos(a), s = std::sin(a);
    return CVector(v.x * c + v.z * s, v.y, -v.x * s + v.z * c);
}

bool IsThin(const CBox& b)
{
    int thin = 0;
    for (int a = 0; a < 3; ++a)
        if (b.max[a] - b.min[a] < 0.1f)
            ++thin;
    return thin >= 2;
}

bool HasAncestorWithin(const CWorldObject* node, const CWorldObject* ancestor, int levels)
{
    const CNode* p = node->parent;
    for (int i = 0; i < levels && p; ++i, p = p->parent)
        if (p == ancestor)
            return true;
    return false;
}
} // namespace

void Vec3DivScalar(CVector& v, float s)
{
    v.x /= s;
    v.y /= s;
    v.z /= s;
}

CGameCamera::CGameCamera() = default;

void CGameCamera::Reset()
{
    ForgetObstacles();
    followMode = 0;
    offset = CVector(0, 1.0f, -1.2f);
    speed = 0.005f;
    maxSpeed = 0.5f;
    distance = 1.2f;
}

void CGameCamera::ForgetObstacles()
{
    for (CWorldObject*& g : obstacleGroup)
        g = nullptr;
}

void CGameCamera::SetShot(const int32_t shotWords[10], int32_t word)
{
    if (shotRequest >= 1) {
        shotRequest = 1;
        return;
    }
    std::memcpy(shot[0], shotWords, 10 * sizeof(int32_t));
    shot[0][10] = word;
    shotRequest = 1;
}

CVector CGameCamera::SmoothMove(const CVector& from, const CVector& to, float factor) const
{
    const CVector d = to - from;
    CVector v = d * (step * speed);
    if (Length(v) > maxStep)
        v = WithLength(v, maxStep);
    v = v * factor;
    if (Length(v) > Length(d))
        v = WithLength(v, Length(d));
    return from + v;
}

void CGameCamera::MouseLook(bool on)
{
    // The cursor is hidden while the mouse turns the view and comes back where
    // it was pressed; without a main window there is no cursor to move.
    // Only a change starts or ends it; the input step asks every frame.
    if (uint8_t(on) == mouseLook)
        return;
    platform::Window* window = DX.mainWindow;
    if (on) {
        platform::POINT p;
        if (window && platform::GetCursorPos(p) && window->ScreenToClient(p)) {
            savedCursor[0] = float(p.x);
            savedCursor[1] = float(p.y);
        }
        if (window)
            ShowMouseCursor(false);
    } else {
        if (window) {
            platform::POINT p;
            p.x = int32_t(savedCursor[0]);
            p.y = int32_t(savedCursor[1]);
            if (window->ClientToScreen(p))
                platform::SetCursorPos(p.x, p.y);
            ShowMouseCursor(true);
        }
    }
    orbitOffset = -direction;
    mouseLook = on ? 1 : 0;
    const float h = std::sqrt(orbitOffset.x * orbitOffset.x + orbitOffset.z * orbitOffset.z);
    if (h != 0.0f)
        pitchBase = kPi / 2 - std::atan(orbitOffset.y / h);
    pitchDelta = yawDelta = 0;
}

void CGameCamera::SetMode(bool firstPersonOn)
{
    if (uint8_t(firstPersonOn) == firstPerson)
        return;
    if (firstPersonOn) {
        if (focusObject && (focusObject->flags & 2))
            return;
        savedOffset = lookAt - actualEye;
        const float a = (focusObject ? focusObject->angle : 0.0f) + kPi / 2;
        direction = CVector(-std::sin(a), 0, -std::cos(a));
        MouseLook(true);
        if (focusObject)
            focusObject->flags = 16;
        firstPerson = 1;
    } else {
        MouseLook(false);
        restoreOffset = 1;
        if (focusObject)
            focusObject->flags &= uint8_t(~16u);
        firstPerson = 0;
    }
}

void CGameCamera::FrameThumbnail()
{
    CWorldObject* object = thumbnailObject;
    savedView[0] = lookAt;
    savedView[1] = eye;
    savedView[2] = desiredEye;
    savedView[3] = desiredEye2;
    savedView[4] = direction;
    savedView[5] = actualEye;
    lookAt = object->position;
    eye = lookAt - CVector(0.1f, 0, 0.1f);
    const CModelEntry* entry = nullptr;
    if (object->objectKind == CWorldObject::KIND_OBJECT && object->Definition()) {
        const CObjectState* state = object->Definition()->FindState("OPEN");
        if (!state)
            state = object->Definition()->firstState;
        entry = state ? state->modelEntry : nullptr;
    }
    if (entry && !entry->points.empty()) {
        for (size_t i = 0; i < entry->points.size(); ++i) {
            float p[3];
            std::memcpy(p, entry->points[i].words, sizeof(p));
            eye = lookAt + TurnY(CVector(p[0], p[1], p[2]), object->angle);
            CVector hit;
            CWorldObject* hitNode = nullptr;
            const bool ground = g_WorldRoot && IntersectRayWithNode(g_WorldRoot, eye + CVector(0, 0.15f, 0),
                                                                    CVector(0, -1, 0), &hit, &hitNode, false);
            // Doors and windows must be seen from outside.
            const int32_t kind = object->objectLogic ? object->objectLogic->Kind() : -1;
            const bool doorOrWindow = kind == KIND_DOOR || kind == KIND_WINDOW;
            if (ground && !(doorOrWindow && hitNode && hitNode->IsInsideBuilding()))
                break;
        }
    }
    CVector d = lookAt - eye;
    d.y = 0;
    d = WithLength(d, 1.0f);
    d.y = -0.45f;
    eye = lookAt - d;
    desiredEye = desiredEye2 = actualEye = eye;
    direction = lookAt - eye;
    thumbnailState = 1;
}

void CGameCamera::RestoreThumbnailView()
{
    lookAt = savedView[0];
    eye = savedView[1];
    desiredEye = savedView[2];
    desiredEye2 = savedView[3];
    direction = savedView[4];
    actualEye = savedView[5];
    thumbnailState = 0;
}

void CGameCamera::ApplyMouseLook(int32_t time)
{
    const CVector target = followedPoint + CVector(0, 0.05f, 0);
    lookAt = firstPerson ? target : SmoothMove(lookAt, target, 20.0f);
    yawDelta += mouseDX / float(std::max(viewWidth, 1)) * 2 * kPi;
    const float dy = mouseDY / float(std::max(viewHeight, 1)) * 2 * kPi;
    pitchDelta += CameraSettings.invertMouse ? dy : -dy;
    const float low = 0.17453294f, high = firstPerson ? 2.9670596f : 1.134464f;
    const float pitch = pitchBase + pitchDelta;
    if (pitch < low)
        pitchDelta = low - pitchBase;
    if (pitch > high)
        pitchDelta = high - pitchBase;
    // Turn the start offset into the x-y plane, tilt it, turn it back plus the yaw.
    const float heading = Heading(orbitOffset);
    CVector local = TurnY(orbitOffset, -heading);
    const float tilt = pitchDelta;
    const float c = std::cos(tilt), s = std::sin(tilt);
    local = CVector(local.x, local.y * c - local.z * s, local.y * s + local.z * c);
    offset = TurnY(local, heading + yawDelta);
    eye = desiredEye = desiredEye2 = lookAt + offset;
    CVector clipped;
    eyeBlocked = ClipEye(desiredEye, lookAt, 0.2f, &clipped) ? 1 : 0;
    if (eyeBlocked)
        eye = clipped;
    lastTime = time;
}

void CGameCamera::Update(int32_t time)
{
    if (thumbnailState == 1) {
        RestoreThumbnailView();
    } else if (thumbnailState == 2 && thumbnailObject) {
        FrameThumbnail();
        return;
    }

    if (time < lastTime) {
        lastTime = time;
        return;
    }
    step = float(time - lastTime) * 0.1f;
    maxStep = step * maxSpeed;
    if (step == 0.0f)
        return;

    CVector clippedEye = eye;
    if (!mouseLook) {
        const CVector target = followedPoint + CVector(0, 0.05f, 0);
        lookAt = SmoothMove(lookAt, target, 20.0f);
        turnFromWall = 0;
        if (followMode == 2) {
            CVector wall;
            if (FindWallPoint(lookAt, &wall)) {
                const float r = indoors ? wallRadiusIn : wallRadiusOut;
                CVector away = lookAt - wall;
                away.y = 0;
                wallEye = lookAt + WithLength(away, r);
                wallEye.y = lookAt.y + 1.1f;
                turnFromWall = 1;
            }
        }
        if (followMode != 0 && turnFromWall) {
            const float a = Heading(offset);
            const float b = Heading(wallEye - lookAt);
            const float diff = AngleDiff(a, b);
            float turn = diff * speed * step;
            turn = std::clamp(turn, -maxStep, maxStep) * 0.6f;
            if (std::fabs(turn) > std::fabs(diff))
                turn = diff;
            offset = TurnY(offset, turn);
        }
        eye = desiredEye = desiredEye2 = lookAt + offset;
        eyeBlocked = ClipEye(desiredEye, lookAt, 0.2f, &clippedEye) ? 1 : 0;
    } else {
        ApplyMouseLook(time);
        clippedEye = eye;
        eye = desiredEye;
    }

    if (restoreOffset) {
        eye = desiredEye = desiredEye2 = actualEye = lookAt - savedOffset;
        offset = eye - lookAt;
    }

    direction = lookAt - eye;
    distance = std::min(distance, 3.0f);
    distance = std::max(distance, indoors ? 0.65f : 0.3f);

    if (!firstPerson) {
        if (restoreOffset) {
            actualEye = SmoothMove(actualEye, eye, 20.0f);
            direction = lookAt - actualEye;
            restoreOffset = 0;
        } else if (!eyeBlocked) {
            direction = WithLength(direction, distance);
            actualEye = SmoothMove(actualEye, lookAt - direction, 20.0f);
        } else {
            actualEye = SmoothMove(actualEye, clippedEye, 20.0f);
        }
    } else {
        direction = WithLength(direction, 0.01f);
        actualEye = lookAt - direction;
        restoreOffset = 0;
    }
    shotRequest = 0;
    lastTime = time;
}

bool CGameCamera::ClipEye(const CVector& eyePoint, const CVector& lookAtPoint, float minimum,
                          CVector* clipped)
{
    if (!CameraSettings.cameraIntersection) {
        *clipped = eyePoint;
        return false;
    }
    const float len = Length(eyePoint - lookAtPoint);
    const float t = FindObstacles(eyePoint, lookAtPoint);
    float f = 1.0f - t;
    if (len > 0.0f && f * len < minimum)
        f = minimum / len;
    *clipped = lookAtPoint + (eyePoint - lookAtPoint) * f;
    return t > 0.0f;
}

float CGameCamera::FindObstacles(const CVector& eyePoint, const CVector& lookAtPoint)
{
    ignore_.clear();
    if (focusObject) {
        ignore_.push_back(focusObject);
        for (const SConnection& c : focusObject->connections) {
            if (!c.target)
                continue;
            ignore_.push_back(c.target);
            for (const SConnection& c2 : c.target->connections)
                if (c2.target)
                    ignore_.push_back(c2.target);
        }
    }
    const CVector v = lookAtPoint - eyePoint;
    const float total = Length(v);
    // The volume the segment sweeps, kept for display.
    {
        CVector forward = v;
        const float l = std::max(total - 0.15f, 0.1f);
        forward = WithLength(forward, 1.0f);
        const CVector far = eyePoint + forward * l;
        testBox = CBox::Empty;
        for (const CVector& p : {eyePoint, far}) {
            const float r = (&p == &eyePoint) ? 0.015f : 0.15f;
            testBox.extend(p - CVector(r, r, r));
            testBox.extend(p + CVector(r, r, r));
        }
    }
    float result = 0.0f;
    if (!(total > 0.0f))
        return 0.0f;

    auto test = [&](CWorldObject* object) {
        if (object->objectKind != CWorldObject::KIND_MODEL || !object->ModelEntry())
            return;
        if (!(object->boundsAMin.x <= object->boundsAMax.x) || object->ModelEntry()->noCameraCheck)
            return;
        if (std::find(ignore_.begin(), ignore_.end(), object) != ignore_.end())
            return;
        const CBox box{object->boundsAMin, object->boundsAMax};
        if (IsThin(box))
            return;
        CVector entry, exit;
        const int r = box.intersectRay(eyePoint, v, &entry, &exit);
        if (r == 0 || r == 9)
            return;
        float fe = Length(entry - eyePoint) / total;
        float fx = Length(exit - eyePoint) / total;
        if (fe >= 1.0f)
            fe = 0.0f;
        if (fx >= 1.0f)
            fx = 0.0f;
        CWorldObject* group = object->parent ? static_cast<CWorldObject*>(object->parent) : object;
        if (fe >= result && fe > 0.0f) {
            result = fe;
            obstacleGroup[0] = group;
        }
        if (fx > result) {
            result = fx;
            obstacleGroup[0] = group;
        }
    };

    CWorldObject* house = CurrentHouse;
    if (CWorldObject* group = obstacleGroup[0]) {
        if (house && house != group && !HasAncestorWithin(group, house, 3))
            for (CWorldObject* c = group->FirstObject(); c; c = c->NextObject())
                test(c);
    }
    for (const SVisibleEntry& e : VisibleObjects) {
        if (house && (e.node == house || HasAncestorWithin(e.node, house, 3)))
            continue;
        test(e.node);
    }
    return result;
}

bool CGameCamera::FindWallPoint(const CVector& point, CVector* wall)
{
    atWall = 0;
    if (!focusObject)
        return false;
    const char* floorName = nullptr;
    bool filter = false;
    if (focusObject->parent && focusObject->parent->parent) {
        const CNode* gp = focusObject->parent->parent;
        if (NameStartsWith(gp->GetName(), "Stock")) {
            filter = true;
            floorName = gp->GetName();
        }
    }
    struct Candidate
    {
        CVector p;
        float d;
    } best[2] = {};
    int found = 0;
    for (const SVisibleEntry& e : VisibleObjects) {
        CWorldObject* w = e.node;
        if (w->objectKind != CWorldObject::KIND_MODEL || !w->ModelEntry())
            continue;
        const CModelEntry* entry = w->ModelEntry();
        const char* name = entry->GetName();
        if (!entry->influencesCamera && !(name && std::strncmp(name, "W_", 2) == 0))
            continue;
        if (filter) {
            const CNode* gp = w->parent ? w->parent->parent : nullptr;
            const char* gpName = gp ? gp->GetName() : nullptr;
            if (gpName && strcasecmp(gpName, floorName) != 0)
                continue;
        }
        const CBox box{w->boundsAMin, w->boundsAMax};
        if (box.isEmpty())
            continue;
        const bool inside = point.x >= box.min.x && point.x <= box.max.x && point.y >= box.min.y &&
                            point.y <= box.max.y && point.z >= box.min.z && point.z <= box.max.z;
        if (inside || point.y < box.min.y - 0.5f || point.y > box.max.y + 0.5f)
            continue;
        const CVector near(std::clamp(point.x, box.min.x, box.max.x), point.y,
                           std::clamp(point.z, box.min.z, box.max.z));
        const float d = Length(near - point);
        if (d > 0.8f)
            continue;
        if (found == 0 || d < best[0].d) {
            best[1] = best[0];
            best[0] = {near, d};
            found = std::min(found + 1, 2);
        } else if (found == 1 || d < best[1].d) {
            best[1] = {near, d};
            found = 2;
        }
    }
    if (found == 0)
        return false;
    if (found == 1) {
        *wall = best[0].p;
    } else {
        *wall = point + WithLength(best[0].p - point, 1.0f) * best[1].d +
                WithLength(best[1].p - point, 1.0f) * best[0].d;
    }
    CVector h = best[0].p - point;
    h.y = 0;
    atWall = Length(h) < 0.1f ? 1 : 0;
    return true;
}

void ApplyViewTransform(const CVector& eyePoint, const CVector& position)
{
    EyePosition = eyePoint;
    CVector d = position - eyePoint;
    d.normalize();
    ViewDirection = d;
    CMatrix view;
    if (!view.lookAt(eyePoint, position, CVector(0, 1, 0)))
        return;
    if (DX.device) {
        D3DMATRIX m;
        std::memcpy(m.m, view.m, sizeof(m.m));
        DX.device->SetTransform(D3DTRANSFORMSTATE_VIEW, &m);
    }
}

void UpdateCursorRay(int32_t x, int32_t y)
{
    CursorRay.valid = false;
    if (!DX.device || x < 0 || y < 0 || DX.screenWidth <= 0 || DX.screenHeight <= 0)
        return;
    D3DMATRIX view, proj;
    DX.device->GetTransform(D3DTRANSFORMSTATE_VIEW, &view);
    DX.device->GetTransform(D3DTRANSFORMSTATE_PROJECTION, &proj);
    if (proj.m[0][0] == 0.0f || proj.m[1][1] == 0.0f)
        return;
    // The pixel's direction in view space, then turned back into the world.
    const float vx = (2.0f * float(x) / float(DX.screenWidth) - 1.0f) / proj.m[0][0];
    const float vy = (1.0f - 2.0f * float(y) / float(DX.screenHeight)) / proj.m[1][1];
    // The view's rotation rows are orthonormal: its transpose turns back.
    CVector d(vx * view.m[0][0] + vy * view.m[0][1] + view.m[0][2],
              vx * view.m[1][0] + vy * view.m[1][1] + view.m[1][2],
              vx * view.m[2][0] + vy * view.m[2][1] + view.m[2][2]);
    d.normalize();
    CursorRay.origin = EyePosition;
    CursorRay.direction = d;
    CursorRay.valid = true;
}

namespace {
void RefreshViewHelpers(const SCameraInput& input)
{
    if (DX.device) {
        D3DMATRIX view;
        DX.device->GetTransform(D3DTRANSFORMSTATE_VIEW, &view);
        CMatrix v;
        std::memcpy(v.m, view.m, sizeof view.m);
        BillboardMatrix.billboard(v);
    }
    UpdateCursorRay(input.cursorX, input.cursorY);
}
} // namespace

void UpdateCameraInput(SCameraInput& input)
{
    CGameCamera& cam = GameCamera;
    if (!input.hero) {
        ApplyViewTransform(GameViewRecord.eye, GameViewRecord.position);
        RefreshViewHelpers(input);
        return;
    }
    if (input.ridePosition && input.rideOffset) {
        GameViewRecord.position = *input.ridePosition + *input.rideOffset;
        GameViewRecord.eye = *input.ridePosition;
    } else if (!input.cameraLock) {
        cam.followMode = CameraSettings.fixedCamera ? 0 : 2;
        if (!input.inputBlocked) {
            if (!cam.firstPerson)
                cam.MouseLook(input.rightButton && !input.leftButton);
            input.viewDrag = input.rightButton;
            if (input.rightButton && input.leftButton && input.zoomAccumulator)
                *input.zoomAccumulator += int32_t(input.mouseDX * -4.0f);
        }
        if (input.zoomAccumulator) {
            cam.distance += float(*input.zoomAccumulator) / 1000.0f;
            *input.zoomAccumulator = 0;
        }
        if (input.focus)
            cam.focusObject = input.focus;
        cam.followedPoint = input.hero->position + CVector(0, 0.2f, 0);
        cam.followedHeading = input.hero->angle;
        CWorldObject *house = nullptr, *floor = nullptr;
        int32_t number = 0;
        uint8_t inside = 0;
        GetLocation(input.hero, &house, &floor, &number, &inside);
        cam.indoors = inside;
        cam.mouseDX = input.mouseDX;
        cam.mouseDY = input.mouseDY;
        cam.viewWidth = DX.screenWidth;
        cam.viewHeight = DX.screenHeight;
        cam.Update(input.frameTime);
        GameViewRecord.position = cam.lookAt;
        GameViewRecord.eye = cam.actualEye;
    }
    ApplyViewTransform(GameViewRecord.eye, GameViewRecord.position);
    if (CameraListener)
        CameraListener(GameViewRecord.position, GameViewRecord.eye);
    RefreshViewHelpers(input);
}

CVector UpdateOrbitCamera(SOrbitView& view, int32_t gameClock)
{
    if (view.glideStartTime != 0) {
        const float travelled = float(gameClock - view.glideStartTime) * 0.003f;
        const CVector path = view.glideTo - view.glideFrom;
        const float length = Length(path);
        if (length <= 0.0f || length <= travelled) {
            view.lookAt = view.glideTo;
            view.glideStartTime = 0;
        } else {
            const float s = (1.0f + std::sin(kPi * travelled / length - kPi / 2)) / 2.0f;
            view.lookAt = view.glideFrom + path * s;
        }
    }
    const float c = std::cos(view.elevation);
    const CVector eyePoint =
        view.lookAt + CVector(c * std::sin(view.yaw), std::sin(view.elevation), std::cos(view.yaw) * c) *
                          std::pow(1.3f, view.zoom);
    ApplyViewTransform(eyePoint, view.lookAt);
    return eyePoint;
}
