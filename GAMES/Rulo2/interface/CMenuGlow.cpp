#include "GAMES/Rulo2/interface/CMenuGlow.h"

#include <algorithm>
#include <cmath>

#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/render/RenderStates.h"
#include "platform/crt/Crt.h"

CMenuGlow::CMenuGlow(CMenu* menu) : CMenuQuad(menu)
{
    type = TYPE_FRAME;
}

void CMenuGlow::MakeGradientKey(QuadKey& key, Corner topLeft, Colour colourTopLeft, Corner bottomRight,
                                Colour colourBottomRight)
{
    const Colour mid{colourTopLeft.r + (colourBottomRight.r - colourTopLeft.r) / 2,
                     colourTopLeft.g + (colourBottomRight.g - colourTopLeft.g) / 2,
                     colourTopLeft.b + (colourBottomRight.b - colourTopLeft.b) / 2,
                     colourTopLeft.a + (colourBottomRight.a - colourTopLeft.a) / 2};
    const float xs[4] = {topLeft.x, bottomRight.x, bottomRight.x, topLeft.x};
    const float ys[4] = {topLeft.y, topLeft.y, bottomRight.y, bottomRight.y};
    const float us[4] = {0, 1, 1, 0}, vs[4] = {0, 0, 1, 1};
    const Colour colours[4] = {colourTopLeft, mid, colourBottomRight, mid};
    for (int i = 0; i < 4; ++i)
        key.vertices[i] =
            MenuVertex{xs[i], ys[i], us[i], vs[i], colours[i].r, colours[i].g, colours[i].b, colours[i].a};
}

void CMenuGlow::Setup(Corner topLeft, Colour colourTopLeft, Corner bottomRight, Colour colourBottomRight)
{
    phase = float(crt::rand()) / 32767.0f * 6.2831855f;
    wobble = 0;
    for (size_t i = tracks.size(); i-- > 0;)
        tracks[i]->Release();
    tracks.clear();
    currentTrack = -1;

    Colour clearTopLeft = colourTopLeft, clearBottomRight = colourBottomRight;
    clearTopLeft.a = clearBottomRight.a = 0.0f;
    QuadKey shown, clear;
    MakeGradientKey(shown, topLeft, colourTopLeft, bottomRight, colourBottomRight);
    MakeGradientKey(clear, topLeft, clearTopLeft, bottomRight, clearBottomRight);

    auto add = [&](const char* trackName, std::initializer_list<std::pair<int32_t, const QuadKey*>> keys) {
        auto* track = new CQuadTrack(owner);
        track->name = trackName;
        for (const auto& k : keys)
            track->AddKey(k.first, *k.second, 3);
        AddTrack(track);
        track->Release();
    };
    add("end", {{0, &shown}, {300, &clear}});
    add("start", {{0, &clear}, {300, &shown}});
    add("none", {{0, &shown}});
    key = shown;
}

void CMenuGlow::DrawNormal(int32_t time)
{
    if (!shown || !CurrentTrack())
        return;
    CMenuElement::DrawNormal(time);
    DrawBox(time, Halo::None);
}

void CMenuGlow::DrawHighlighted(int32_t time)
{
    if (!shown || !CurrentTrack())
        return;
    CMenuElement::DrawHighlighted(time);
    DrawBox(time, Halo::Bright);
}

void CMenuGlow::DrawActive(int32_t time)
{
    if (!shown || !CurrentTrack())
        return;
    CMenuElement::DrawActive(time);
    DrawBox(time, Halo::Swapped);
}

void CMenuGlow::DrawBox(int32_t time, Halo halo)
{
    CurrentTrack()->Evaluate(time, &key);
    const QuadKey saved = key;
    MenuVertex* v = key.vertices;
    const float horizontal = std::fabs(v[1].x - v[0].x) * 10.0f;
    const float vertical = std::fabs(v[1].y - v[2].y) * 10.0f;
    if (wobble) {
        const uint32_t t = GameClock.frameTime;
        for (int i = 0; i < 4; ++i) {
            const float angle = float(t % 4096u) / 4096.0f * 6.2831855f + float(i) * 0.7853982f + phase;
            v[i].x += std::sin(angle) * horizontal * 0.001f;
            v[i].y += std::cos(angle) * vertical * 0.001f;
        }
    }
    if (halo != Halo::None) {
        const QuadKey body = key;
        if (halo == Halo::Bright) {
            for (MenuVertex& c : key.vertices) {
                c.r += 0.3f;
                c.g += 0.3f;
                c.b += 0.3f;
                c.a += 1.0f;
            }
        } else {
            std::swap(v[0].r, v[2].r);
            std::swap(v[0].g, v[2].g);
            std::swap(v[0].b, v[2].b);
        }
        const float left = body.vertices[3].x - 0.01f, right = body.vertices[2].x + 0.01f;
        const float top = body.vertices[1].y - 0.01f, bottom = body.vertices[3].y + 0.01f;
        const float xs[4] = {left, right, right, left}, ys[4] = {top, top, bottom, bottom};
        for (int i = 0; i < 4; ++i) {
            v[i].x = xs[i];
            v[i].y = ys[i];
        }
        Draw(0.4f);
        key = body;
    }
    Draw(0.3f);

    const CVector4 gold(1.0f, 0.86f, 0.0f, std::max(v[0].a, v[2].a));
    const float s = 0.01f;
    const float squares[4][4] = {{v[0].x, v[0].y, v[0].x + s, v[0].y + s},
                                 {v[1].x - s, v[1].y, v[1].x, v[1].y + s},
                                 {v[3].x, v[3].y - s, v[3].x + s, v[3].y},
                                 {v[2].x - s, v[2].y - s, v[2].x, v[2].y}};
    for (const auto& q : squares) {
        const CVector2 corners[4] = {{q[0], q[1]}, {q[2], q[1]}, {q[2], q[3]}, {q[0], q[3]}};
        DrawRect2D(corners, nullptr, gold, 0.29f);
    }
    const float h = 0.005f;
    const float path[5][2] = {{v[0].x + h, v[0].y + h},
                              {v[1].x - h, v[1].y + h},
                              {v[2].x - h, v[2].y - h},
                              {v[3].x + h, v[3].y - h},
                              {v[0].x + h, v[0].y + h}};
    for (int i = 0; i < 4; ++i)
        DrawLine2D(path[i][0], path[i][1], path[i + 1][0], path[i + 1][1], gold, gold, 0.29f, 0.01f);
    key = saved;
}
