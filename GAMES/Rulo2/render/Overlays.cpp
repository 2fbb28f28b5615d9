#include "GAMES/Rulo2/render/Overlays.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/Texture.h"
#include "GAMES/Rulo2/TexturePage.h"
#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/interface/CMenu.h"
#include "GAMES/Rulo2/interface/CMenuGlow.h"
#include "GAMES/Rulo2/interface/CMenuText.h"
#include "GAMES/Rulo2/interface/CTextTree.h"
#include "GAMES/Rulo2/interface/TextBubbles.h"
#include "GAMES/Rulo2/render/DeviceHelpers.h"
#include "GAMES/Rulo2/render/EditorHelpers.h"
#include "GAMES/Rulo2/world/CMeshNode.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/HouseFloors.h"
#include "GAMES/Rulo2/world/WorldRays.h"
#include "LIBS/System/sString.h"
#include "platform/gdi/Gdi.h"

SWorldStatistics WorldStatistics;

std::string FormatFrameRate(float rate)
{
    char text[64];
    if (rate == 0.0f)
        std::snprintf(text, sizeof text, "Framerate: 0");
    else if (rate < 1.0f)
        std::snprintf(text, sizeof text, "Framerate: %.2f", double(rate));
    else if (rate < 10.0f)
        std::snprintf(text, sizeof text, "Framerate: %.1f", double(rate));
    else
        std::snprintf(text, sizeof text, "Framerate: %.0f", double(rate));
    return text;
}

std::string FormatGameClock(int32_t ms)
{
    char text[64];
    const int32_t seconds = ms / 1000;
    std::snprintf(text, sizeof text, "%2d:%02d.%02d", seconds / 3600, (seconds / 60) % 60, seconds % 60);
    return text;
}

const char* GamePhaseWord(int32_t phase)
{
    switch (phase) {
    case 0:
        return "REALTIME";
    case 1:
        return "PLANNING";
    case 2:
        return "BURGLARY";
    default:
        return "UNDEFINFED";
    }
}

const char* RecordStateWord(int32_t state)
{
    switch (state) {
    case 0:
        return "NORMAL";
    case 1:
        return "RECORD";
    case 2:
        return "REPLAY";
    case 3:
        return "CONTINUE";
    case 4:
        return "LOAD";
    default:
        return "UNDEFINFED";
    }
}

namespace {

uint32_t SurfaceBytes(const CTextureSurface* s)
{
    if (!s || !s->surface)
        return 0;
    DDSURFACEDESC2 d;
    if (FAILED(s->surface->GetSurfaceDesc(&d)))
        return 0;
    return d.ddpfPixelFormat.dwRGBBitCount * d.dwHeight * d.dwWidth / 8;
}

std::string ByteSize(uint32_t bytes)
{
    char text[32];
    FormatByteSize(bytes, text, int(sizeof text));
    return text;
}

} // namespace

void RecountWorldStatistics(int32_t gameClock)
{
    SWorldStatistics& s = WorldStatistics;
    if (std::abs(gameClock - s.lastRecount) <= 500)
        return;
    const int32_t last = gameClock;
    s = SWorldStatistics();
    s.lastRecount = last;
    s.checkedGroups = VisibleGroupCount;
    s.checkedModels = VisibleObjectCount;
    std::set<const CTextureSurface*> used;
    for (const SVisibleEntry& e : VisibleObjects) {
        const CWorldObject* n = e.node;
        if (n->objectKind == CWorldObject::KIND_GROUP) {
            ++s.visibleGroups;
            continue;
        }
        if (!e.model)
            continue;
        ++s.visibleModels;
        if (n->objectKind == CWorldObject::KIND_OBJECT)
            ++s.localObjects;
        s.triangles += int32_t(e.model->triangleCount);
        s.vertices += int32_t(e.model->vertexCount);
        ForEachMesh(e.model, [&](CMeshNode* mesh) {
            for (int32_t k = 0; k < mesh->materialCount; ++k) {
                const CMeshMaterial& m = mesh->materials[k];
                if (m.page)
                    used.insert(m.page);
                else if (m.texture)
                    used.insert(m.texture);
            }
        });
    }
    for (const CTextureSurface* t : used)
        s.textureMemory += SurfaceBytes(t);
}

void BuildStatisticsLines(const SStatisticsInput& in, std::vector<SOverlayLine>& lines)
{
    lines.clear();
    char text[128];
    const int width = DX.screenWidth;
    if (in.statisticsOn) {
        std::snprintf(text, sizeof text, "%dx%dx%d", DX.screenWidth, DX.screenHeight, DX.screenDepth);
        lines.push_back({2, 2, false, text});
        lines.push_back({2, 15, false, FormatFrameRate(in.frameRate)});
    }
    if (in.hudIsCurrent) {
        const SWorldStatistics& s = WorldStatistics;
        auto line = [&](int y, const char* format, int value) {
            std::snprintf(text, sizeof text, format, value);
            lines.push_back({2, y, false, text});
        };
        line(28, "Triangles: %d", s.triangles);
        line(41, "Vertices: %d", s.vertices);
        line(54, "Checked Groups: %d", s.checkedGroups);
        line(67, "Visible Groups: %d", s.visibleGroups);
        line(80, "Checked Models: %d", s.checkedModels);
        line(93, "Visible Models: %d", s.visibleModels);
        line(106, "Local Objects: %d", s.localObjects + s.localObjects2);
        lines.push_back({2, 119, false, "Texture-Memory: " + ByteSize(s.textureMemory)});
        lines.push_back(
            {2, 132, false, "Shadow-Tex-Memory: " + ByteSize(GameModeFlag ? 0u : s.shadowTextureMemory)});
        int hx = 0, hy = 0, hz = 0;
        if (in.heroPosition) {
            hx = int(std::lround(in.heroPosition[0]));
            hy = int(std::lround(in.heroPosition[1]));
            hz = int(std::lround(in.heroPosition[2]));
        }
        std::snprintf(text, sizeof text, "Hero Position: %d/%d/%d", hx, hy, hz);
        lines.push_back({2, 145, false, text});
        if (in.statisticsOn) {
            lines.push_back({width - 2, 2, true, FormatGameClock(in.gameClock)});
            std::snprintf(text, sizeof text, "%d%%", in.gameSpeed);
            lines.push_back({width - 2, 15, true, text});
            lines.push_back({width - 2, 28, true, GamePhaseWord(in.gamePhase)});
            lines.push_back({width - 2, 41, true, RecordStateWord(in.recordState)});
            if (in.pathFinished)
                lines.push_back({width - 2, 54, true, "PATH FINISHED"});
        }
    } else {
        if (in.modelView) {
            auto line = [&](int y, const char* format, int value) {
                std::snprintf(text, sizeof text, format, value);
                lines.push_back({2, y, false, text});
            };
            line(28, "Triangles: %d", in.modelTriangles);
            line(41, "Vertices: %d", in.modelVertices);
            if (!in.nodeSelected)
                lines.push_back({2, 54, false, "Texture-Memory: " + ByteSize(in.modelTextureMemory)});
        }
        if (const SStatisticsInput::StatePanel* p = in.statePanel) {
            int y = DX.screenHeight - 95;
            auto add = [&](const std::string& t) {
                lines.push_back({2, y, false, t});
                y += 13;
            };
            std::snprintf(text, sizeof text, "'%s' (%s)", p->object, p->state);
            add(text);
            std::snprintf(text, sizeof text, "start: %.2fs (%.2fs)", double(p->start),
                          double(p->startLength));
            add(text);
            std::snprintf(text, sizeof text, "end: %.2fs (%.2fs)", double(p->end), double(p->endLength));
            add(text);
            std::snprintf(text, sizeof text, "speed: %d%%", p->speed);
            add(text);
            if (p->event < 0.0f) {
                add("event: not set");
            } else {
                std::snprintf(text, sizeof text, "event: %.2fs", double(p->event));
                add(text);
            }
            if (p->sounds.empty()) {
                add("sounds: none set");
            } else {
                std::string t = "sounds:";
                for (const auto& [name, at] : p->sounds) {
                    std::snprintf(text, sizeof text, " (%.2fs)", double(at));
                    t += " " + name + text;
                }
                add(t);
            }
        }
        if (in.viewName)
            lines.push_back({width - 2, 2, true, in.viewName});
    }
}

void DrawStatistics(const SStatisticsInput& input)
{
    // The world counts come from this frame's visible objects, so they are gathered here, after
    // the world pass and before its list is reset.
    if (input.hudIsCurrent)
        RecountWorldStatistics(input.gameClock);
    std::vector<SOverlayLine> lines;
    BuildStatisticsLines(input, lines);
    if ((lines.empty() && !input.rubberBand) || !DX.backSurface)
        return;
    static platform::TextFont font;
    if (!font.IsLoaded() && !font.Create(11))
        return;
    DDSURFACEDESC2 desc;
    if (FAILED(DX.backSurface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr)) || !desc.lpSurface)
        return;
    const int w = int(desc.dwWidth), h = int(desc.dwHeight);
    const int bytes = int(desc.ddpfPixelFormat.dwRGBBitCount / 8);
    auto* base = static_cast<uint8_t*>(desc.lpSurface);
    // Text is drawn on 32-bit pixels; other formats go through a converted copy.
    std::vector<uint32_t> copy;
    uint32_t* pixels = reinterpret_cast<uint32_t*>(base);
    int pitch = int(desc.lPitch);
    const bool direct = bytes == 4 && desc.ddpfPixelFormat.dwRBitMask == 0xFF0000;
    if (!direct) {
        copy.resize(size_t(w) * size_t(h));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                copy[size_t(y) * size_t(w) + size_t(x)] = D3DReadARGB(
                    desc.ddpfPixelFormat, base + size_t(y) * size_t(desc.lPitch) + size_t(x * bytes));
        pixels = copy.data();
        pitch = w * 4;
    }
    for (const SOverlayLine& l : lines) {
        const int x = l.rightAligned ? l.x - font.TextWidth(l.text) : l.x;
        font.DrawText(pixels, w, h, pitch, x, l.y, l.text, 0xFFFFFF);
    }
    if (!input.hudIsCurrent && input.rubberBand) {
        // A white dotted frame from the drag start to the mouse.
        const int x0 = std::min(input.bandStart[0], input.bandEnd[0]),
                  x1 = std::max(input.bandStart[0], input.bandEnd[0]);
        const int y0 = std::min(input.bandStart[1], input.bandEnd[1]),
                  y1 = std::max(input.bandStart[1], input.bandEnd[1]);
        auto dot = [&](int x, int y) {
            if (x >= 0 && y >= 0 && x < w && y < h && ((x + y) & 1) == 0)
                *reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(pixels) + size_t(y) * size_t(pitch) +
                                             size_t(x) * 4) = 0xFFFFFFFFu;
        };
        for (int x = x0; x <= x1; ++x) {
            dot(x, y0);
            dot(x, y1);
        }
        for (int y = y0; y <= y1; ++y) {
            dot(x0, y);
            dot(x1, y);
        }
    }
    if (!direct) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                D3DWriteARGB(desc.ddpfPixelFormat, base + size_t(y) * size_t(desc.lPitch) + size_t(x * bytes),
                             copy[size_t(y) * size_t(w) + size_t(x)]);
    }
    DX.backSurface->Unlock(nullptr);
}

int32_t ClientWidth = 0, ClientHeight = 0;
bool (*OverlayWindowVisible)() = nullptr;
bool (*RedrawGameFrame)() = nullptr;

namespace {
constexpr HRESULT kWasStillDrawing = MakeDDResult(540);
}

bool UpdateViewRect()
{
    if (!DX.initialised || !DX.primary || !DX.backSurface)
        return false;
    for (;;) {
        HRESULT hr = DD_OK;
        if (WindowedFlag) {
            platform::Window* window = DX.mainWindow;
            if (!window)
                return false;
            if (!window->IsZoomed() && !window->IsIconic()) {
                platform::RECT frame;
                if (window->GetWindowRect(frame)) {
                    DX.windowX = frame.left;
                    DX.windowY = frame.top;
                }
            }
            platform::RECT client;
            if (!window->GetClientRect(client))
                return false;
            ClientWidth = client.right - client.left;
            ClientHeight = client.bottom - client.top;
            platform::POINT origin;
            window->ClientToScreen(origin);
            ::RECT dest{origin.x, origin.y, origin.x + ClientWidth, origin.y + ClientHeight};
            ::RECT source{0, 0, DX.screenWidth, DX.screenHeight};
            hr = DX.primary->Blt(&dest, DX.backSurface, &source, DDBLT_WAIT, nullptr);
            if (SUCCEEDED(hr) && (DX.screenWidth != ClientWidth || DX.screenHeight != ClientHeight))
                return InitDirectX();
        } else if (OverlayWindowVisible && OverlayWindowVisible()) {
            hr = DX.primary->Blt(nullptr, DX.backSurface, nullptr, DDBLT_WAIT, nullptr);
        } else {
            hr = DX.primary->Flip(nullptr, DDFLIP_WAIT);
        }
        if (hr == DDERR_SURFACELOST) {
            if ((RestoreSurfaces() || InitDirectX()) && RedrawGameFrame)
                RedrawGameFrame();
            return true;
        }
        if (hr == kWasStillDrawing)
            continue;
        return true;
    }
}

SActionBubble ActionBubble;

void DrawActionBubble(bool hudIsCurrent, CWorldObject* target, int32_t now, int32_t mouseX, int32_t mouseY)
{
    SActionBubble& b = ActionBubble;
    if (!hudIsCurrent || (b.state != 2 && b.state != 3))
        return;
    const int32_t w = DX.screenWidth, h = DX.screenHeight;
    if (target) {
        CRootNode* model = target->GetShapeRoot();
        const float top = model ? model->boundsMax.y * target->scale : 0.0f;
        int32_t screen[2];
        ProjectToScreen(target->position + CVector(0, top, 0), screen);
        b.anchor[0] = screen[0];
        b.anchor[1] = screen[1];
    } else if (b.figure >= 0) {
        const int32_t i = b.figure;
        b.anchor[0] = w / 2 - int32_t(float((i % 5) - 2) * float(w) * -0.14f);
        b.anchor[1] =
            int32_t(float(w) * -0.06f) - int32_t(float(((i / 5) % 3) - 1) * float(h) * -0.2f) + h / 2;
    }
    const int32_t x = std::clamp(b.anchor[0], 60, std::max(60, w - 60));
    const int32_t y = std::clamp(b.anchor[1], 30, std::max(30, h - 30));
    const int32_t left = x - 61, topY = y - 30;
    b.topLeft[0] = left;
    b.topLeft[1] = topY;
    if (b.state == 2) {
        int32_t frame = (now - b.startTime) / 50;
        if (frame > 10) {
            frame = 10;
            b.state = 3;
        }
        b.frame = std::max(frame, 0);
        if (IDirectDrawSurface7* s = InterfaceBitmaps.table11[b.frame]) {
            DDSURFACEDESC2 d;
            s->GetSurfaceDesc(&d);
            BlitSurfaceRect(s, left, topY, 0, 0, int32_t(d.dwWidth), int32_t(d.dwHeight));
        }
        return;
    }
    auto near = [&](int32_t cx, int32_t cy) {
        const double dx = mouseX - cx, dy = mouseY - cy;
        return std::sqrt(dx * dx + dy * dy) < 20.0;
    };
    int32_t hovered = -1;
    if (near(left + 22, topY + 30))
        hovered = 1;
    if (near(left + 61, topY + 20))
        hovered = 0;
    if (near(left + 99, topY + 30))
        hovered = 2;
    if (hovered != b.hovered) {
        b.hovered = hovered;
        b.startTime = now;
    }
    const int32_t animation = ((now - b.startTime) / 50) % 20;
    b.frame = animation;
    const struct
    {
        int32_t x, width, value;
    } slices[3] = {{0, 45, 1}, {45, 32, 0}, {77, 44, 2}};
    for (const auto& slice : slices) {
        const int32_t frame = slice.value == hovered ? std::max(animation, 0) : 0;
        if (IDirectDrawSurface7* s = InterfaceBitmaps.table20[frame]) {
            DDSURFACEDESC2 d;
            s->GetSurfaceDesc(&d);
            BlitSurfaceRect(s, left + slice.x, topY, slice.x, 0, slice.width, int32_t(d.dwHeight));
        }
    }
}

void DrawObjectOverlays(const std::vector<SCharacterProgress>& characters, IDirectDrawSurface7* background,
                        IDirectDrawSurface7* fill, float heightOffset)
{
    if (!background || !DX.device)
        return;
    DDSURFACEDESC2 bd;
    background->GetSurfaceDesc(&bd);
    // A wide picture is shrunk to an eighth of the screen's width: the bar belongs to one figure.
    const float shrink =
        std::min(1.0f, float(std::max(DX.screenWidth / 8, 1)) / float(std::max<uint32_t>(bd.dwWidth, 1)));
    const int32_t bw = std::max(int32_t(float(bd.dwWidth) * shrink), 1);
    // Shrunk, it keeps a height the eye finds.
    const int32_t bh = std::max(int32_t(float(bd.dwHeight) * shrink), std::min(int32_t(bd.dwHeight), 6));
    // The bar stands clear of the name label, a one-line box (under a fifteenth of the screen's
    // height) that stands on the same point.
    const int32_t gap = DX.screenHeight / 15;
    for (const SCharacterProgress& c : characters) {
        if (!c.character || c.progress < 0.0f)
            continue;
        CRootNode* model = c.character->GetShapeRoot();
        float top = (model ? model->boundsMax.y : 0.0f) + heightOffset;
        if (c.character->scale != 1.0f)
            top *= c.character->scale;
        int32_t screen[2];
        ProjectToScreen(c.character->position + CVector(0, top, 0), screen);
        const int32_t x = std::clamp(screen[0] - bw / 2, 0, std::max(0, DX.screenWidth - bw));
        const int32_t y = std::clamp(screen[1] - gap - bh, 0, std::max(0, DX.screenHeight - bh));
        StretchBlitRect(background, x, y, bw, bh, 0, 0, int32_t(bd.dwWidth), int32_t(bd.dwHeight));
        if (fill) {
            DDSURFACEDESC2 fd;
            fill->GetSurfaceDesc(&fd);
            const float f = std::min(c.progress, 1.0f);
            const int32_t width = int32_t(float(bw) * f);
            if (width > 0)
                StretchBlitRect(fill, x, y, width, bh, 0, 0, int32_t(fd.dwWidth), int32_t(fd.dwHeight));
        }
    }
}

namespace {

// The labels' text: small glyphs, at most this many characters per line.
constexpr float kLabelGlyph[2] = {0.03f, 0.05f};
constexpr float kLabelSpacing[2] = {0.025f, 0.045f};
constexpr int32_t kLabelWrap = 24;
constexpr float kLabelMargin = 0.02f;

// The point just above a character's model, in interface units; false when
// the device cannot project it.
bool HeadPoint(const CWorldObject* object, float* x, float* y)
{
    if (!object || DX.screenWidth < 2 || DX.screenHeight < 2)
        return false;
    CRootNode* model = object->GetShapeRoot();
    float top = model ? model->boundsMax.y : 0.0f;
    if (object->scale != 1.0f)
        top *= object->scale;
    int32_t screen[2];
    ProjectToScreen(object->position + CVector(0, top, 0), screen);
    if (screen[0] == -1 && screen[1] == -1)
        return false;
    *x = float(screen[0]) / float(DX.screenWidth / 2) - 1.0f;
    *y = float(screen[1]) / float(DX.screenHeight / 2) - 1.0f;
    return true;
}

} // namespace

SLabelBox DrawTextBox(const char* text, float headX, float headY)
{
    sString wrapped(text);
    wrapped.wordWrap(kLabelWrap);
    CMenu menu;
    menu.time = MenuClock();
    CMenuText label(&menu);
    label.SetPosition({0, 0});
    label.text.assign(wrapped.c_str(), size_t(wrapped.length));
    label.glyphWidth = kLabelGlyph[0];
    label.glyphHeight = kLabelGlyph[1];
    label.advance = kLabelSpacing[0];
    label.lineHeight = kLabelSpacing[1];
    float size[2];
    label.GetTextSize(size);
    const SLabelBox box = PlaceLabelBox(headX, headY, size[0] + 2 * kLabelMargin, size[1] + 2 * kLabelMargin);

    // Over the world whatever its depth; the box's own passes keep the text on top.
    SetZEnable(false);
    CMenuGlow glow(&menu);
    glow.Setup({box.left, box.top}, {0.0f, 0.0f, 0.0f, 0.6f}, {box.right, box.bottom},
               {0.2f, 0.2f, 0.3f, 0.6f});
    glow.PlayTrack("none");
    glow.DrawNormal(menu.time);
    label.SetPosition({box.left + kLabelMargin, box.top + kLabelMargin});
    label.DrawNormal(menu.time);
    SetZEnable(true);
    return box;
}

std::vector<CWorldObject*> VisibleCharacters()
{
    std::vector<CWorldObject*> out;
    for (const SVisibleEntry& e : VisibleObjects)
        if (e.node && e.node->objectLogic && e.node->objectLogic->IsCharacter() &&
            std::find(out.begin(), out.end(), e.node) == out.end())
            out.push_back(e.node);
    return out;
}

SLabelBox PlaceLabelBox(float headX, float headY, float width, float height)
{
    SLabelBox b{headX - width / 2, headY - height - 0.01f, 0, 0};
    b.left = std::clamp(b.left, -1.0f, std::max(-1.0f, 1.0f - width));
    b.top = std::clamp(b.top, -1.0f, std::max(-1.0f, 1.0f - height));
    b.right = b.left + width;
    b.bottom = b.top + height;
    return b;
}

void DrawCharacterLabels(const std::vector<CWorldObject*>& characters)
{
    for (CWorldObject* c : characters) {
        CRootNode* model = c ? c->GetShapeRoot() : nullptr;
        float x = 0, y = 0;
        if (!model || !HeadPoint(c, &x, &y))
            continue;
        const std::string key = std::string("CHR_") + (model->GetName() ? model->GetName() : "");
        DrawTextBox(GetDisplayText(key.c_str()), x, y);
    }
}

void DrawTextBubbles()
{
    for (STextBubble& bubble : TextBubbleList) {
        auto* owner = dynamic_cast<CWorldObject*>(bubble.owner);
        float x = 0, y = 0;
        if (!owner || !bubble.text || !HeadPoint(owner, &x, &y))
            continue;
        const SLabelBox box = DrawTextBox(bubble.text, x, y);
        const int32_t halfW = DX.screenWidth / 2, halfH = DX.screenHeight / 2;
        bubble.rect[0] = int32_t((box.left + 1.0f) * float(halfW));
        bubble.rect[1] = int32_t((box.top + 1.0f) * float(halfH));
        bubble.rect[2] = int32_t((box.right + 1.0f) * float(halfW));
        bubble.rect[3] = int32_t((box.bottom + 1.0f) * float(halfH));
    }
}
