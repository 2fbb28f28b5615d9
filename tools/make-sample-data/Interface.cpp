// The program's resources: interface images ("IMAGES"), colour-keyed interface
// bitmaps ("BITMAP", magenta is transparent) and small interface models
// ("MODELS"), each drawn here in one clean style: dark blue-grey panels with
// a light rim and warm amber accents.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/ChunkFile.h"
#include "platform/gdi/Gdi.h"
#include "tools/make-sample-data/MeshBuilder.h"
#include "tools/make-sample-data/SampleData.h"

namespace sample {

namespace {

const uint32_t kPanel = Rgb(38, 46, 60);
const uint32_t kPanelLight = Rgb(70, 84, 106);
const uint32_t kRim = Rgb(180, 190, 204);
const uint32_t kAccent = Rgb(236, 170, 60);
const uint32_t kInk = Rgb(240, 236, 224);
const uint32_t kKey = Rgb(255, 0, 255);
constexpr float kPi = 3.14159265f;

void Panel(SPicture& p, uint32_t face = kPanel)
{
    p.VerticalGradient(0, 0, p.width, p.height, Mix(face, kPanelLight, 0.5f), face);
    p.Frame(0, 0, p.width, p.height, std::max(1, p.width / 64), kRim);
}

void CentredText(SPicture& p, const char* text, int scale, uint32_t colour, int y = -1)
{
    while (scale > 1 && SPicture::TextWidth(text, scale) > p.width - 4)
        --scale;
    const int x = (p.width - SPicture::TextWidth(text, scale)) / 2;
    p.Text(x, y < 0 ? (p.height - 7 * scale) / 2 : y, text, scale, colour);
}

uint32_t WithAlpha(uint32_t rgb, int alpha)
{
    return (rgb & 0xFFFFFFu) | uint32_t(std::clamp(alpha, 0, 255)) << 24;
}

// A round glow (alpha falling off from the centre).
void Glow(SPicture& p, uint32_t colour, float power)
{
    const float c = float(p.width) / 2;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const float d = std::hypot(float(x) + 0.5f - c, float(y) + 0.5f - c) / c;
            p.At(x, y) = WithAlpha(colour, int(255 * std::pow(std::max(0.0f, 1 - d), power)));
        }
}

// A small town seen from the street at dusk, for photos and loading screens.
void TownPicture(SPicture& p, CRandom& rnd, const char* caption)
{
    const int w = p.width, h = p.height, ground = h * 3 / 4;
    p.VerticalGradient(0, 0, w, ground, Rgb(40, 60, 104), Rgb(226, 150, 96));
    p.Disc(float(w) * 0.8f, float(h) * 0.22f, float(h) * 0.07f, Rgb(252, 236, 190));
    p.VerticalGradient(0, ground, w, h, Rgb(70, 72, 78), Rgb(40, 40, 44));
    int x = -rnd.Range(0, w / 8);
    while (x < w) {
        const int bw = w / 8 + rnd.Range(0, w / 10), bh = h / 5 + rnd.Range(0, h / 4);
        const uint32_t wall = Mix(Rgb(120, 70, 56), Rgb(190, 170, 136), rnd.Unit());
        p.Fill(x, ground - bh, x + bw, ground, wall);
        for (int r = 0; r < bw / 2 + 2; ++r)
            p.Fill(x - 3 + r, ground - bh - r * 2 / 3, x + bw + 3 - r, ground - bh - r * 2 / 3 + 1,
                   Rgb(96, 36, 30));
        for (int wy = ground - bh + bh / 6; wy < ground - h / 12; wy += h / 9)
            for (int wx = x + bw / 8; wx < x + bw - bw / 6; wx += bw / 3)
                p.Fill(wx, wy, wx + bw / 7, wy + h / 16,
                       rnd.Unit() < 0.5f ? Rgb(250, 210, 120) : Rgb(50, 70, 100));
        x += bw + rnd.Range(2, w / 20);
    }
    p.Fill(0, ground + (h - ground) / 2 - 1, w, ground + (h - ground) / 2 + 1, Rgb(220, 220, 200));
    if (caption)
        CentredText(p, caption, std::max(1, h / 40), kInk, h - h / 10 - std::max(1, h / 40) * 7);
}

// The town plan the map screen shows, 512 pixels square, in the map's own mapping of the world:
// x = 84 + (wx + 12) / 35 * 234, y = 427 - (wz + 21) / 54 * 382. The sample's street block lies
// where the game puts it; the streets around it are a plan of the rest of the town.
void MapPicture(SPicture& p, CRandom& rnd)
{
    auto px = [](float wx) { return int(std::lround(84.0f + (wx + 12.0f) / 35.0f * 234.0f)); };
    auto py = [](float wz) { return int(std::lround(427.0f - (wz + 21.0f) / 54.0f * 382.0f)); };
    // A world rectangle (x0..x1, z0..z1) on the plan.
    auto area = [&](float x0, float z0, float x1, float z1, uint32_t colour) {
        p.Fill(std::min(px(x0), px(x1)), std::min(py(z0), py(z1)), std::max(px(x0), px(x1)),
               std::max(py(z0), py(z1)), colour);
    };
    const uint32_t land = Rgb(222, 226, 206), grass = Rgb(186, 212, 160), road = Rgb(250, 250, 244);
    const uint32_t kerb = Rgb(150, 150, 150), water = Rgb(150, 190, 224);
    const uint32_t brick = Rgb(196, 108, 84), plaster = Rgb(214, 196, 160), tree = Rgb(96, 150, 84);
    p.Fill(0, 0, p.width, p.height, land);
    // A park and the river in the north, the harbour basin in the east.
    area(-60, 16, 60, 40, grass);
    // The streets run along z every 12 units, the cross streets along x every 7.5.
    for (int s = -6; s <= 3; ++s) {
        const float x = 12.0f * float(s);
        area(x - 0.95f, -40, x + 0.95f, 22, kerb);
        area(x - 0.5f, -40, x + 0.5f, 22, road);
    }
    for (int b = -5; b <= 2; ++b) {
        const float z = 7.5f * float(b) - 4.0f;
        area(-60, z - 0.75f, 60, z + 0.75f, kerb);
        area(-60, z - 0.4f, 60, z + 0.4f, road);
    }
    // Houses along every street but the sample's own block, which follows.
    for (int s = -6; s <= 3; ++s)
        for (int b = -5; b <= 2; ++b) {
            const float x = 12.0f * float(s), z = 7.5f * float(b) - 4.0f + 0.9f;
            if (s == 0 && b == 0)
                continue;
            for (int k = 0; k < 3; ++k)
                for (int side : {-1, 1}) {
                    const float z0 = z + 2.1f * float(k), x0 = x + float(side) * 1.15f;
                    area(x0, z0, x0 + float(side) * 1.6f, z0 + 1.8f, rnd.Unit() < 0.5f ? brick : plaster);
                }
        }
    // Water over the streets' ends: the river and the harbour basin with its quay.
    area(-60, 22, 60, 26, water);
    area(29.2f, -40, 60, -8.6f, kerb);
    area(30, -40, 60, -9.4f, water);
    // The sample's block: grass, the four houses, the trees.
    area(-6, -4, -0.95f, 3.5f, grass);
    area(0.95f, -4, 6, 3.5f, grass);
    area(-0.95f, -4, 0.95f, 3.5f, kerb);
    area(-0.5f, -4, 0.5f, 3.5f, road);
    area(-2.75f, -2.4f, -1.15f, -0.4f, brick);
    area(1.15f, -2.4f, 2.75f, -0.4f, plaster);
    area(-2.75f, 0.4f, -1.15f, 2.4f, plaster);
    area(1.15f, 0.4f, 2.75f, 2.4f, brick);
    for (const auto& [x, z] : {std::pair{-1.95f, 0.0f},
                               {1.95f, 0.05f},
                               {-1.5f, 3.05f},
                               {1.6f, 3.0f},
                               {-3.3f, -1.4f},
                               {3.3f, 1.3f}})
        p.Disc(float(px(x)), float(py(z)), 3.0f, tree);
    // The burglary: the target house framed in signal red, the getaway car at its stop and the
    // phone box from which the gang calls for its plans.
    const uint32_t signal = Rgb(214, 40, 36);
    const int hx0 = px(-2.75f), hx1 = px(-1.15f), hz0 = py(2.4f), hz1 = py(0.4f);
    p.Frame(hx0 - 3, hz0 - 3, hx1 + 3, hz1 + 3, 2, signal);
    // The car stands turned a quarter, along the road.
    area(kCarAt.x - 0.18f, kCarAt.z - 0.45f, kCarAt.x + 0.18f, kCarAt.z + 0.45f, Rgb(140, 20, 20));
    p.Fill(px(kPhoneAt.x) - 3, py(kPhoneAt.z) - 3, px(kPhoneAt.x) + 3, py(kPhoneAt.z) + 3, signal);
    p.Fill(px(kPhoneAt.x) - 1, py(kPhoneAt.z) - 1, px(kPhoneAt.x) + 1, py(kPhoneAt.z) + 1,
           Rgb(255, 255, 255));
    p.Frame(0, 0, p.width, p.height, 4, kPanel);
}

// The alarm display of the recording overlay: a red beacon over a panel that reads "ALARM".
void AlarmPanel(SPicture& p, bool header)
{
    Panel(p, Rgb(70, 20, 24));
    const uint32_t red = Rgb(232, 48, 40), amber = Rgb(250, 196, 80);
    if (header) {
        for (int r = p.height / 3; r > 0; --r)
            p.Disc(float(p.height) / 2, float(p.height) / 2, float(r),
                   Mix(amber, red, float(r) / float(p.height / 3)));
        // The word right of the beacon.
        int scale = std::max(1, p.height / 16);
        while (scale > 1 && SPicture::TextWidth("ALARM", scale) > p.width - p.height - 4)
            --scale;
        const int left = p.height + (p.width - p.height - SPicture::TextWidth("ALARM", scale)) / 2;
        p.Text(left, (p.height - 7 * scale) / 2, "ALARM", scale, amber);
    } else {
        // Warning stripes.
        for (int x = -p.height; x < p.width; x += 16)
            for (int y = 4; y < p.height - 4; ++y)
                p.Fill(std::max(0, x + y), y, std::min(p.width, x + y + 8), y + 1, red);
        p.Frame(0, 0, p.width, p.height, 3, amber);
    }
}

// A sheet of icons: the recording overlay cuts one square of it (u 0.142-0.258 or 0.442-0.558,
// v 0.752-0.868). The first square holds the "take over" hand, the second the "select" figure.
void IconSheet(SPicture& p, uint32_t tint)
{
    Panel(p);
    const int size = p.width * 116 / 1000;
    const int top = p.height * 752 / 1000;
    for (int icon = 0; icon < 2; ++icon) {
        const int left = p.width * (icon == 0 ? 142 : 442) / 1000;
        p.Fill(left, top, left + size, top + size, Rgb(24, 28, 36));
        p.Frame(left, top, left + size, top + size, 1, tint);
        const float cx = float(left) + float(size) / 2, cy = float(top) + float(size) / 2,
                    r = float(size) / 2;
        if (icon == 0) {
            // An open hand: palm and four fingers, the thumb aside.
            p.Disc(cx, cy + r * 0.25f, r * 0.38f, tint);
            for (int f = 0; f < 4; ++f) {
                const int fx = int(cx - r * 0.42f + float(f) * r * 0.28f);
                p.Fill(fx, int(cy - r * 0.6f), fx + std::max(2, size / 12), int(cy + r * 0.2f), tint);
            }
            p.Disc(cx - r * 0.55f, cy + r * 0.05f, r * 0.14f, tint);
        } else {
            // A person: head and shoulders.
            p.Disc(cx, cy - r * 0.3f, r * 0.28f, tint);
            p.Disc(cx, cy + r * 0.6f, r * 0.5f, tint);
            p.Fill(left + 1, int(cy + r * 0.72f), left + size - 1, top + size - 1, Rgb(24, 28, 36));
        }
    }
}

// Coverage of a shape in one pixel, from 4 x 4 samples; `inside` takes picture coordinates.
template <typename F>
float Coverage(int x, int y, F inside)
{
    int hits = 0;
    for (int sy = 0; sy < 4; ++sy)
        for (int sx = 0; sx < 4; ++sx)
            hits += inside(float(x) + (float(sx) + 0.5f) / 4, float(y) + (float(sy) + 0.5f) / 4) ? 1 : 0;
    return float(hits) / 16;
}

// Paints a shape over the picture: its colour where it covers a pixel, the alpha raised to the
// coverage, so alpha-tested and tinted symbols keep the shape's outline.
template <typename F>
void PaintShape(SPicture& p, uint32_t colour, F inside)
{
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const float c = Coverage(x, y, inside);
            if (c <= 0)
                continue;
            const uint32_t old = p.At(x, y);
            const int alpha = std::max(int(old >> 24), int(std::lround(c * 255)));
            p.At(x, y) = WithAlpha(Mix(old, colour, c), alpha);
        }
}

// True inside the triangle (x0, y0), (x1, y1), (x2, y2), either winding.
bool InTriangle(float x, float y, float x0, float y0, float x1, float y1, float x2, float y2)
{
    const float d0 = (x1 - x0) * (y - y0) - (y1 - y0) * (x - x0);
    const float d1 = (x2 - x1) * (y - y1) - (y2 - y1) * (x - x1);
    const float d2 = (x0 - x2) * (y - y2) - (y0 - y2) * (x - x2);
    return (d0 >= 0 && d1 >= 0 && d2 >= 0) || (d0 <= 0 && d1 <= 0 && d2 <= 0);
}

bool InRoundedBox(float x, float y, float x0, float y0, float x1, float y1, float r)
{
    const float cx = std::clamp(x, x0 + r, x1 - r), cy = std::clamp(y, y0 + r, y1 - r);
    return x >= x0 && x <= x1 && y >= y0 && y <= y1 && (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
}

// The symbols of the bar's six buttons: white on transparent, tinted by the bar.
enum ESymbol
{
    SYM_END,            // a triangle against a stop line: to the end
    SYM_STEP,           // two triangles: to the next mark
    SYM_PLAY,           // one triangle
    SYM_PAUSE,          // two bars
    SYM_RECORD,         // a solid dot
    SYM_RECORD_LATCHED, // a ring: recording armed
    SYM_RECORDING,      // a dot in a ring: recording runs
};

void Symbol(SPicture& p, ESymbol symbol)
{
    p.Fill(0, 0, p.width, p.height, 0);
    const float w = float(p.width), h = float(p.height), cx = w / 2, cy = h / 2;
    const uint32_t white = Rgb(255, 255, 255);
    auto triangle = [&](float left, float right) {
        PaintShape(p, white, [=](float x, float y) {
            return InTriangle(x, y, left, h * 0.12f, right, cy, left, h * 0.88f);
        });
    };
    auto disc = [&](float outer, float inner) {
        PaintShape(p, white, [=](float x, float y) {
            const float d = std::hypot(x - cx, y - cy);
            return d <= outer && d >= inner;
        });
    };
    switch (symbol) {
    case SYM_END:
        triangle(w * 0.1f, w * 0.7f);
        p.Fill(int(w * 0.72f), int(h * 0.12f), int(w * 0.9f), int(h * 0.88f), WithAlpha(white, 255));
        break;
    case SYM_STEP:
        triangle(w * 0.06f, w * 0.5f);
        triangle(w * 0.5f, w * 0.94f);
        break;
    case SYM_PLAY:
        triangle(w * 0.18f, w * 0.86f);
        break;
    case SYM_PAUSE:
        p.Fill(int(w * 0.18f), int(h * 0.12f), int(w * 0.42f), int(h * 0.88f), WithAlpha(white, 255));
        p.Fill(int(w * 0.58f), int(h * 0.12f), int(w * 0.82f), int(h * 0.88f), WithAlpha(white, 255));
        break;
    case SYM_RECORD:
        disc(h * 0.4f, 0);
        break;
    case SYM_RECORD_LATCHED:
        disc(h * 0.42f, h * 0.26f);
        break;
    case SYM_RECORDING:
        disc(h * 0.22f, 0);
        disc(h * 0.46f, h * 0.34f);
        break;
    }
}

// The seven segments of a digit, a to g.
constexpr uint8_t kSegments[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};

// The bar's digit strip: the digits 0 to 9 top to bottom in the left half, each in a tenth of the
// height (the bar reads the band 0.02 to 0.09 of each tenth); the separator in the right half's
// top tenth. Lit segments in amber on a dark display.
void DigitStrip(SPicture& p)
{
    const uint32_t dark = Rgb(18, 20, 26), unlit = Rgb(30, 29, 30), lit = Rgb(255, 186, 64);
    p.Fill(0, 0, p.width, p.height, dark);
    const float cell = float(p.height) / 10, half = float(p.width) / 2;
    for (int d = 0; d < 10; ++d) {
        const float top = float(d) * cell + cell * 0.25f, bottom = float(d) * cell + cell * 0.88f;
        const float left = half * 0.08f, right = half * 0.92f, mid = (top + bottom) / 2;
        const float t = cell * 0.12f, v = half * 0.26f;
        const float boxes[7][4] = {
            {left, top, right, top + t},
            {right - v, top, right, mid},
            {right - v, mid, right, bottom},
            {left, bottom - t, right, bottom},
            {left, mid, left + v, bottom},
            {left, top, left + v, mid},
            {left, mid - t / 2, right, mid + t / 2},
        };
        for (int s = 0; s < 7; ++s)
            p.Fill(int(boxes[s][0]), int(boxes[s][1]), int(std::ceil(boxes[s][2])),
                   int(std::ceil(boxes[s][3])), kSegments[d] & (1 << s) ? lit : unlit);
    }
    // The separator: two dots.
    const float x = half * 1.5f, r = half * 0.18f;
    p.Disc(x, cell * 0.35f, r, lit);
    p.Disc(x, cell * 0.72f, r, lit);
}

// The bar's clock housing (the quad x -0.99..-0.6, y 0.648..0.968): a round dial about the hands'
// pivot (-0.876, 0.8) and the window of the digital clock (x -0.785..-0.625, y 0.79..0.84). The
// hands are separate quads. Shapes are laid out in screen pixels of a 640 x 480 frame so the dial
// comes out round.
void ClockFace(SPicture& p)
{
    p.Fill(0, 0, p.width, p.height, 0);
    const float x0 = -0.99f, x1 = -0.6f, y0 = 0.648f, y1 = 0.968f;
    auto screen = [&](float px, float py) {
        return std::pair{(x0 + px / float(p.width) * (x1 - x0)) * 320,
                         (y0 + py / float(p.height) * (y1 - y0)) * 240};
    };
    const float pivotX = -0.876f * 320, pivotY = 0.8f * 240;
    auto dial = [&](float radius) {
        return [=](float px, float py) {
            const auto [sx, sy] = screen(px, py);
            return std::hypot(sx - pivotX, sy - pivotY) <= radius;
        };
    };
    auto box = [&](float l, float t, float r, float b, float round) {
        return [=](float px, float py) {
            const auto [sx, sy] = screen(px, py);
            return InRoundedBox(sx, sy, l * 320, t * 240, r * 320, b * 240, round);
        };
    };
    // The housing: the dial's rim and a rounded case that holds the display.
    PaintShape(p, kRim, dial(25));
    PaintShape(p, kRim, box(-0.83f, 0.765f, -0.605f, 0.865f, 5));
    PaintShape(p, kPanel, box(-0.82f, 0.772f, -0.612f, 0.858f, 4));
    PaintShape(p, kAccent, dial(23));
    PaintShape(p, Rgb(246, 242, 230), dial(21.5f));
    // Twelve hour marks, the quarters longer.
    for (int i = 0; i < 12; ++i) {
        const float a = float(i) * kPi / 6, length = i % 3 == 0 ? 5.0f : 3.0f;
        PaintShape(p, kPanel, [&](float px, float py) {
            const auto [sx, sy] = screen(px, py);
            const float dx = sx - pivotX, dy = sy - pivotY;
            const float along = dx * std::sin(a) - dy * std::cos(a),
                        across = dx * std::cos(a) + dy * std::sin(a);
            return along >= 20 - length && along <= 20 && std::fabs(across) <= 0.9f;
        });
    }
    // The display's window, a little larger than the digits' cells.
    PaintShape(p, Rgb(12, 14, 18), box(-0.79f, 0.783f, -0.62f, 0.847f, 1));
}

// The clock glass, drawn additively over the dial: a faint reflection, black elsewhere.
void ClockGlass(SPicture& p)
{
    p.Fill(0, 0, p.width, p.height, 0xFF000000u);
    const float w = float(p.width), h = float(p.height);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            // A soft crescent along the upper left of the glass.
            const float dx = (float(x) + 0.5f) / w - 0.62f, dy = (float(y) + 0.5f) / h - 0.6f;
            const float d = std::hypot(dx, dy * 0.8f);
            const float band = std::max(0.0f, 1 - std::fabs(d - 0.42f) / 0.07f);
            const float upperLeft = std::clamp((-dx - dy) * 2.5f, 0.0f, 1.0f);
            const int v = int(70 * band * upperLeft);
            p.At(x, y) = WithAlpha(Rgb(v, v, v), 255);
        }
}

// One clock hand: a white needle, tip at the top; the pivot lies at 0.875 of the height (the
// hand reaches 0.07 above it and 0.01 below). The bar tints it per hand.
void ClockHand(SPicture& p)
{
    p.Fill(0, 0, p.width, p.height, 0);
    const float w = float(p.width), h = float(p.height), pivot = h * 0.875f, cx = w / 2;
    PaintShape(p, Rgb(255, 255, 255), [=](float x, float y) {
        if (y < h * 0.02f || y > h * 0.99f)
            return false;
        const float halfWidth = y < pivot ? w * (0.1f + 0.3f * (y / pivot)) : w * 0.3f;
        return std::fabs(x - cx) <= halfWidth || std::hypot(x - cx, y - pivot) <= w * 0.45f;
    });
}

// The speed slider's track: the panel under the button row with the knob's rail along its top
// edge, the centre (stop) marked, forward to the right in amber, backward to the left in blue.
void SpeedTrack(SPicture& p)
{
    const float w = float(p.width), h = float(p.height);
    Panel(p);
    // The recess the six buttons sit in (the bar's inner rectangle below the top fifth).
    p.Fill(int(w * 0.04f), int(h * 0.2f), int(w * 0.96f), p.height - 2, Rgb(24, 28, 36));
    // The rail the knob rides along (the knob moves 1/6.5 of the screen to either side).
    const int railLeft = int(w * 0.19f), railRight = int(w * 0.81f), centre = p.width / 2;
    p.Fill(railLeft, 2, railRight, 6, Rgb(16, 18, 24));
    p.Fill(railLeft, 3, centre, 5, Rgb(90, 140, 220));
    p.Fill(centre, 3, railRight, 5, kAccent);
    p.Fill(centre - 2, 0, centre + 2, int(h * 0.2f), kInk);
    for (int k = 1; k <= 3; ++k) {
        const int dx = (railRight - centre) * k / 4;
        p.Fill(centre + dx - 1, 6, centre + dx + 1, 10, kAccent);
        p.Fill(centre - dx - 1, 6, centre - dx + 1, 10, Rgb(90, 140, 220));
    }
}

// The speed knob: a grip with a pointer at its foot, in the middle of a transparent picture (the
// bar draws it 0.128 wide and 0.071 high).
void SpeedKnob(SPicture& p)
{
    p.Fill(0, 0, p.width, p.height, 0);
    const float w = float(p.width), h = float(p.height);
    const float l = w * 0.34f, r = w * 0.66f, t = h * 0.08f, b = h * 0.72f;
    PaintShape(p, kRim, [=](float x, float y) {
        return InRoundedBox(x, y, l, t, r, b, w * 0.05f) ||
               InTriangle(x, y, w * 0.42f, b - 1, w * 0.58f, b - 1, w / 2, h * 0.96f);
    });
    PaintShape(p, kAccent,
               [=](float x, float y) { return InRoundedBox(x, y, l + 3, t + 3, r - 3, b - 3, w * 0.04f); });
    for (int k = -1; k <= 1; ++k) {
        const int x = int(w / 2 + float(k) * w * 0.06f);
        p.Fill(x - 1, int(t + h * 0.15f), x + 1, int(b - h * 0.15f), WithAlpha(Rgb(120, 80, 24), 255));
    }
}

// A frame of the button row: a raised light key, so that the black and red symbols read on it.
void BarButton(SPicture& p)
{
    const int w = p.width, h = p.height;
    p.VerticalGradient(0, 0, w, h, Rgb(214, 218, 226), Rgb(150, 156, 170));
    p.Fill(0, 0, w, 3, Rgb(246, 248, 252));
    p.Fill(0, 0, 3, h, Rgb(246, 248, 252));
    p.Fill(0, h - 3, w, h, Rgb(70, 76, 90));
    p.Fill(w - 3, 0, w, h, Rgb(70, 76, 90));
}

// The plate behind the cash (x -0.15..0.15, y 0.63..0.95): the display window where the bar writes
// the cash or the loot (y 0.785) and a lower one for the character's load (y 0.93).
void CashPlate(SPicture& p)
{
    Panel(p);
    const float w = float(p.width), h = float(p.height);
    auto window = [&](float top, float bottom) {
        const int t = int(h * (top - 0.63f) / 0.32f), b = int(h * (bottom - 0.63f) / 0.32f);
        p.Fill(int(w * 0.08f), t, int(w * 0.92f), b, Rgb(12, 14, 18));
        p.Frame(int(w * 0.08f), t, int(w * 0.92f), b, 1, kRim);
    };
    window(0.77f, 0.85f);
    window(0.905f, 0.945f);
}

void Icon(SPicture& p, const char* label, bool keyed)
{
    const uint32_t back = keyed ? kKey : kPanel;
    p.Fill(0, 0, p.width, p.height, back);
    const float r = float(std::min(p.width, p.height)) / 2 - 1;
    p.Disc(float(p.width) / 2, float(p.height) / 2, r, kRim);
    p.Disc(float(p.width) / 2, float(p.height) / 2, r - 2, kPanel);
    CentredText(p, label, std::max(1, p.height / 14), kAccent);
}

// One page of the interface font: 8 x 8 cells, the glyph of Windows-1252 code
// c in cell (c - 1) mod 64 of page (c - 1) / 64, white on black (text is drawn
// additively), inside the part of each cell the text element samples (the
// cell less its first eighth at the left and top).
void FontPage(SPicture& p, int page)
{
    p.Fill(0, 0, p.width, p.height, 0xFF000000u);
    const int cellW = p.width / 8, cellH = p.height / 8;
    const int insetX = cellW / 8, insetY = cellH / 8;
    platform::TextFont font;
    if (!font.Create(cellH - insetY - 2))
        return;
    std::vector<uint32_t> cell(size_t(cellW) * size_t(cellH));
    for (int index = 0; index < 64; ++index) {
        const int code = (page * 64 + index + 1) & 0xFF;
        if (code < 33 || code == 127 || code == 129 || code == 141 || code == 143 || code == 144 ||
            code == 157 || code == 160)
            continue; // controls, space and the code page's gaps draw nothing
        const char ch = char(code);
        const std::string_view text(&ch, 1);
        std::fill(cell.begin(), cell.end(), 0xFF000000u);
        const int inner = cellW - insetX;
        const int x = std::max(0, (inner - font.TextWidth(text)) / 2);
        font.DrawText(cell.data() + size_t(insetY) * size_t(cellW) + size_t(insetX), inner, cellH - insetY,
                      cellW * 4, x, 0, text, 0xFFFFFF);
        const int cx = (index % 8) * cellW, cy = (index / 8) * cellH;
        for (int y = 0; y < cellH; ++y)
            for (int xx = 0; xx < cellW; ++xx)
                p.At(cx + xx, cy + y) = cell[size_t(y) * size_t(cellW) + size_t(xx)] | 0xFF000000u;
    }
}

enum EKind
{
    PANEL,
    BUTTON,
    SHADOW,
    FLARE,
    GRADIENT,
    PHOTO,
    FONT,
    SLIDER_BAR,
    SLIDER_KNOB,
    MAP,
    ALARM_HEADER,  // the alarm display's beacon and word
    ALARM_STRIPES, // its warning stripes
    ICON_SHEET,    // a sheet with two icons where the overlay cuts them
    BACKPACK,
    LOADING,
    BAR,
    PLATE_BACK,  // the square plate behind a 3-D button (alpha-tested)
    PLATE_FRONT, // the rim drawn additively over it
    CHECK_BOX,
    CHECK_MARK,
    SLIDER_GROOVE,
    SLIDER_CAP, // the arrow at the left end; the right end is its mirror
    // The HUD bar's own pictures.
    DIGIT_STRIP,
    CLOCK_FACE,
    CLOCK_GLASS,
    CLOCK_HAND,
    SPEED_TRACK,
    SPEED_KNOB,
    BAR_BUTTON,
    CASH_PLATE,
    BAR_SYMBOL, // a button symbol; the label names which (ESymbol as a digit)
};

struct SImage
{
    int id;
    EKind kind;
    int width, height;
    const char* label;
};

// Every interface image the start-up and the loading screen ask for.
const SImage kImages[] = {
    {336, SHADOW, 64, 64, nullptr},
    {580, ALARM_STRIPES, 128, 64, nullptr},
    {581, ALARM_HEADER, 128, 64, nullptr},
    {582, GRADIENT, 256, 16, nullptr},
    {569, PHOTO, 256, 256, "HOTEL"},
    {393, FLARE, 64, 64, nullptr},
    {571, SPEED_TRACK, 256, 64, nullptr},
    {572, BUTTON, 128, 32, "GO"},
    {573, BAR_BUTTON, 64, 64, nullptr},
    {577, BAR_SYMBOL, 64, 64, "5"},
    {576, BAR_SYMBOL, 64, 64, "4"},
    {575, BAR_SYMBOL, 64, 64, "2"},
    {574, BAR_SYMBOL, 64, 64, "0"},
    {609, BAR_SYMBOL, 128, 64, "1"},
    {592, BAR_SYMBOL, 64, 64, "3"},
    {591, BAR_SYMBOL, 64, 64, "6"},
    {600, SPEED_KNOB, 128, 64, nullptr},
    {584, ICON_SHEET, 256, 256, nullptr},
    {585, ICON_SHEET, 256, 256, nullptr},
    {587, PANEL, 64, 64, nullptr},
    {586, PANEL, 64, 64, nullptr},
    {465, PHOTO, 256, 256, "FRONT"},
    {467, PHOTO, 256, 256, "YARD"},
    {537, CASH_PLATE, 256, 128, nullptr},
    {488, PANEL, 256, 256, nullptr},
    {552, PANEL, 128, 256, nullptr},
    {489, DIGIT_STRIP, 64, 320, nullptr},
    {531, PLATE_FRONT, 64, 64, nullptr},
    {530, PLATE_BACK, 64, 64, nullptr},
    {430, BACKPACK, 64, 64, nullptr},
    {547, FONT, 256, 256, nullptr},
    {548, FONT, 256, 256, nullptr},
    {549, FONT, 256, 256, nullptr},
    {550, FONT, 256, 256, nullptr},
    {539, SLIDER_BAR, 256, 16, nullptr},
    {540, SLIDER_KNOB, 32, 32, nullptr},
    {542, SLIDER_CAP, 32, 32, nullptr},
    {543, SLIDER_CAP, 32, 32, nullptr},
    {541, SLIDER_GROOVE, 64, 32, nullptr},
    {471, CLOCK_FACE, 256, 128, nullptr},
    {472, BUTTON, 32, 32, "1"},
    {473, BUTTON, 32, 32, "2"},
    {474, BUTTON, 32, 32, "3"},
    {482, CLOCK_GLASS, 64, 64, nullptr},
    {567, MAP, 512, 512, nullptr},
    {570, CLOCK_HAND, 16, 64, nullptr},
    {578, CHECK_BOX, 64, 64, nullptr},
    {579, CHECK_MARK, 64, 64, nullptr},
    {594, LOADING, 256, 192, "THE STREET"},
    {595, LOADING, 256, 192, "THE HOUSES"},
    {598, LOADING, 256, 192, "THE PLAN"},
    {599, BAR, 256, 16, nullptr},
};

void DrawImage(const SImage& s, SPicture& p, CRandom& rnd)
{
    switch (s.kind) {
    case PANEL:
        Panel(p);
        if (s.label)
            CentredText(p, s.label, std::max(1, p.height / 16), kInk);
        break;
    case BUTTON:
        Panel(p, Rgb(56, 66, 86));
        p.Frame(2, 2, p.width - 2, p.height - 2, 1, kAccent);
        if (s.label)
            CentredText(p, s.label, std::max(1, p.height / 12), kInk);
        break;
    case SHADOW:
        Glow(p, 0, 1.2f);
        break;
    case FLARE:
        Glow(p, Rgb(255, 236, 190), 2.0f);
        break;
    case GRADIENT:
        for (int x = 0; x < p.width; ++x)
            p.Fill(x, 0, x + 1, p.height,
                   WithAlpha(Mix(kPanel, kAccent, float(x) / float(p.width - 1)), 255 * x / (p.width - 1)));
        break;
    case PHOTO:
        TownPicture(p, rnd, s.label);
        p.Frame(0, 0, p.width, p.height, 4, Rgb(240, 236, 226));
        break;
    case FONT:
        FontPage(p, s.id - 547);
        break;
    case SLIDER_BAR:
        p.Fill(0, 0, p.width, p.height, kPanel);
        p.Fill(0, p.height / 2 - 2, p.width, p.height / 2 + 2, kRim);
        break;
    case SLIDER_KNOB:
        p.Fill(0, 0, p.width, p.height, 0);
        p.Disc(float(p.width) / 2, float(p.height) / 2, float(p.width) / 2 - 1, WithAlpha(kAccent, 255));
        p.Disc(float(p.width) / 2, float(p.height) / 2, float(p.width) / 4, WithAlpha(kRim, 255));
        break;
    case MAP:
        MapPicture(p, rnd);
        break;
    case ALARM_HEADER:
    case ALARM_STRIPES:
        AlarmPanel(p, s.kind == ALARM_HEADER);
        break;
    case ICON_SHEET:
        IconSheet(p, s.id == 584 ? kAccent : Rgb(120, 180, 240));
        break;
    case BACKPACK:
        p.Fill(0, 0, p.width, p.height, 0);
        p.Fill(14, 16, 50, 58, WithAlpha(Rgb(110, 80, 50), 255));
        p.Fill(18, 8, 46, 18, WithAlpha(Rgb(90, 64, 40), 255));
        p.Fill(18, 30, 46, 42, WithAlpha(Rgb(140, 104, 66), 255));
        break;
    case LOADING:
        TownPicture(p, rnd, s.label);
        break;
    case BAR:
        p.Fill(0, 0, p.width, p.height, kAccent);
        p.Frame(0, 0, p.width, p.height, 1, kRim);
        break;
    case PLATE_BACK:
        p.Fill(0, 0, p.width, p.height, 0);
        p.VerticalGradient(4, 4, p.width - 4, p.height - 4, WithAlpha(kPanelLight, 255),
                           WithAlpha(kPanel, 255));
        break;
    case PLATE_FRONT:
        p.Fill(0, 0, p.width, p.height, 0xFF000000u);
        p.Frame(4, 4, p.width - 4, p.height - 4, 3, WithAlpha(kAccent, 255));
        break;
    case CHECK_BOX:
        p.Fill(0, 0, p.width, p.height, 0);
        p.Fill(6, 6, p.width - 6, p.height - 6, WithAlpha(kPanel, 255));
        p.Frame(6, 6, p.width - 6, p.height - 6, 4, WithAlpha(kRim, 255));
        break;
    case CHECK_MARK: {
        p.Fill(0, 0, p.width, p.height, 0);
        // A tick: down to the lower third, then up to the top right.
        const float x0 = 16, y0 = 34, x1 = 28, y1 = 48, x2 = 50, y2 = 14;
        for (int i = 0; i <= 40; ++i) {
            const float t = float(i) / 40;
            p.Disc(x0 + (x1 - x0) * t, y0 + (y1 - y0) * t, 4, WithAlpha(kAccent, 255));
            p.Disc(x1 + (x2 - x1) * t, y1 + (y2 - y1) * t, 4, WithAlpha(kAccent, 255));
        }
        break;
    }
    case SLIDER_GROOVE:
        p.Fill(0, 0, p.width, p.height, 0);
        p.Fill(0, p.height / 2 - 4, p.width, p.height / 2 + 4, WithAlpha(kRim, 255));
        p.Fill(0, p.height / 2 - 2, p.width, p.height / 2 + 2, WithAlpha(kPanel, 255));
        break;
    case DIGIT_STRIP:
        DigitStrip(p);
        break;
    case CLOCK_FACE:
        ClockFace(p);
        break;
    case CLOCK_GLASS:
        ClockGlass(p);
        break;
    case CLOCK_HAND:
        ClockHand(p);
        break;
    case SPEED_TRACK:
        SpeedTrack(p);
        break;
    case SPEED_KNOB:
        SpeedKnob(p);
        break;
    case BAR_BUTTON:
        BarButton(p);
        break;
    case CASH_PLATE:
        CashPlate(p);
        break;
    case BAR_SYMBOL:
        Symbol(p, ESymbol(s.label[0] - '0'));
        break;
    case SLIDER_CAP:
        p.Fill(0, 0, p.width, p.height, 0);
        // A triangle pointing left.
        for (int x = 6; x < p.width - 6; ++x) {
            const int half = (x - 6) * (p.height / 2 - 6) / (p.width - 12);
            p.Fill(x, p.height / 2 - half, x + 1, p.height / 2 + half + 1, WithAlpha(kAccent, 255));
        }
        break;
    }
}

bool MakeImages(SContext& c)
{
    CRandom rnd(7u);
    for (const SImage& s : kImages) {
        SPicture p(s.width, s.height);
        DrawImage(s, p, rnd);
        const bool alpha = s.kind == SHADOW || s.kind == FLARE || s.kind == FONT || s.kind == CLOCK_FACE ||
                           s.kind == GRADIENT || s.kind == BACKPACK || s.kind == PLATE_BACK ||
                           s.kind == PLATE_FRONT || s.kind == CHECK_BOX || s.kind == CHECK_MARK ||
                           s.kind == SLIDER_GROOVE || s.kind == SLIDER_CAP || s.kind == SLIDER_KNOB ||
                           s.kind == CLOCK_HAND || s.kind == SPEED_KNOB || s.kind == BAR_SYMBOL;
        const fs::path file =
            c.out / "resources" / "IMAGES" / (std::to_string(s.id) + (alpha ? ".tga" : ".bmp"));
        // An earlier installation may hold the picture under the other extension.
        std::error_code ignored;
        fs::remove(c.out / "resources" / "IMAGES" / (std::to_string(s.id) + (alpha ? ".bmp" : ".tga")),
                   ignored);
        if (!p.Save(file, c.error))
            return false;
    }
    return true;
}

// The action bubble over a held object (122 x 60, magenta keyed): a button
// for each action, "talk" on the left, "use" at the top in the middle and
// "look" on the right, each centred where the game tests the pointer.
struct SBubbleButton
{
    float x, y;
    int action; // 0 use, 1 talk, 2 look
};
const SBubbleButton kBubbleButtons[3] = {{22, 30, 1}, {61, 20, 0}, {99, 30, 2}};

void BubbleSymbol(SPicture& p, float cx, float cy, float r, int action, uint32_t ink, uint32_t face)
{
    switch (action) {
    case 0: // a hand: palm, four fingers apart and the thumb
        p.Disc(cx, cy + r * 0.22f, r * 0.4f, ink);
        for (int f = 0; f < 4; ++f) {
            const int fx = int(std::lround(cx + (float(f) - 1.5f) * r * 0.27f));
            const int top = int(cy - r * (f == 1 || f == 2 ? 0.62f : 0.5f));
            p.Fill(fx - 1, top, fx + 1, int(cy + r * 0.1f), ink);
        }
        p.Disc(cx - r * 0.5f, cy + r * 0.02f, r * 0.14f, ink);
        break;
    case 1: // a speech balloon with its tail
        p.Disc(cx, cy - r * 0.1f, r * 0.5f, ink);
        for (int i = 0; i < int(r * 0.35f); ++i)
            p.Fill(int(cx - r * 0.35f), int(cy + r * 0.3f) + i, int(cx - r * 0.35f + r * 0.3f) - i,
                   int(cy + r * 0.3f) + i + 1, ink);
        p.Fill(int(cx - r * 0.28f), int(cy - r * 0.12f), int(cx + r * 0.3f), int(cy - r * 0.02f), face);
        break;
    default: // an eye: white, iris, pupil
        for (int y = int(cy - r * 0.35f); y <= int(cy + r * 0.35f); ++y) {
            const float t = (float(y) + 0.5f - cy) / (r * 0.35f);
            const float half = r * 0.62f * std::sqrt(std::max(0.0f, 1.0f - t * t));
            p.Fill(int(cx - half), y, int(cx + half) + 1, y + 1, ink);
        }
        p.Disc(cx, cy, r * 0.24f, Rgb(70, 120, 170));
        p.Disc(cx, cy, r * 0.11f, Rgb(16, 20, 28));
        break;
    }
}

// `grow` 0..1 places the buttons from the middle to their places (the opening
// frames); `glow` 0..1 lights their rims (the hover frames).
void ActionBubblePicture(SPicture& p, float grow, float glow)
{
    p.Fill(0, 0, p.width, p.height, kKey);
    const float r = 16.0f * (0.35f + 0.65f * grow);
    for (const SBubbleButton& b : kBubbleButtons) {
        const float x = 61.0f + (b.x - 61.0f) * grow, y = 30.0f + (b.y - 30.0f) * grow;
        p.Disc(x, y, r + 1.5f, Rgb(16, 20, 28));
        p.Disc(x, y, r, Mix(kRim, kAccent, glow));
        p.Disc(x, y, r - 2.5f, Mix(kPanel, kPanelLight, glow * 0.6f));
        if (grow > 0.5f)
            BubbleSymbol(p, x, y, r - 2.5f, b.action, Mix(kInk, kAccent, glow * 0.5f),
                         Mix(kPanel, kPanelLight, glow * 0.6f));
    }
}

// Interface bitmaps: the eleven opening frames and the twenty hover frames of
// the action bubble; the single ones icons and a panel. Magenta is the colour key.
bool MakeBitmaps(SContext& c)
{
    const int table11[] = {227, 217, 218, 219, 220, 221, 222, 223, 224, 225, 226};
    for (int i = 0; i < 11; ++i) {
        SPicture p(122, 60);
        ActionBubblePicture(p, float(i) / 10.0f, 0.0f);
        if (!p.Save(c.out / "resources" / "BITMAP" / (std::to_string(table11[i]) + ".bmp"), c.error))
            return false;
    }
    for (int i = 0; i < 20; ++i) {
        SPicture p(122, 60);
        ActionBubblePicture(p, 1.0f, 0.5f - 0.5f * std::cos(float(i) / 20.0f * 6.2831853f));
        if (!p.Save(c.out / "resources" / "BITMAP" / (std::to_string(277 + i) + ".bmp"), c.error))
            return false;
    }
    std::vector<std::pair<int, std::string>> icons;
    icons.emplace_back(216, "V");
    for (int id : {399, 398, 413, 545})
        icons.emplace_back(id, id == 399 ? "?" : id == 398 ? "!" : id == 413 ? "+" : "$");
    for (const auto& [id, label] : icons) {
        SPicture p(32, 32);
        Icon(p, label.c_str(), true);
        if (!p.Save(c.out / "resources" / "BITMAP" / (std::to_string(id) + ".bmp"), c.error))
            return false;
    }
    SPicture panel(256, 64);
    Panel(panel);
    CentredText(panel, "VAREK", 4, kAccent);
    return panel.Save(c.out / "resources" / "BITMAP" / "602.bmp", c.error);
}

// Small interface models: markers, arrows and tokens in plain colours.
enum EShape
{
    MARKER, // a flat ring on the ground
    ARROW,  // an arrow pointing down
    TOKEN,  // a standing token
    CUBE,
    DISC,    // a round button facing the viewer
    POINTER, // a flat arrow pointing right, facing the viewer
    TOOLS,   // a wrench
    INFO,    // the letter i
    BEACON,  // the alarm's rotating light: a red dome on a dark base
    // The tutorial's emblem: an amber plaque with a question mark that sways,
    // and a silver ring that turns around it.
    EMBLEM_PLAQUE,
    EMBLEM_RING,
};

struct SModelResource
{
    int id;
    EShape shape;
    float r, g, b;
};

const SModelResource kModels[] = {
    {532, CUBE, 0.9f, 0.7f, 0.2f},         {566, INFO, 0.2f, 0.6f, 0.9f},
    {536, ARROW, 0.9f, 0.8f, 0.2f},        {460, MARKER, 0.9f, 0.3f, 0.2f},
    {481, TOKEN, 0.3f, 0.5f, 0.9f},        {476, ARROW, 0.2f, 0.8f, 0.9f},
    {477, ARROW, 0.9f, 0.4f, 0.2f},        {478, ARROW, 0.6f, 0.9f, 0.3f},
    {483, MARKER, 0.9f, 0.9f, 0.9f},       {583, BEACON, 0.95f, 0.15f, 0.1f},
    {479, TOKEN, 0.2f, 0.9f, 0.4f},        {475, CUBE, 0.5f, 0.5f, 0.9f},
    {480, MARKER, 0.2f, 0.4f, 0.9f},       {427, POINTER, 0.9f, 0.7f, 0.2f},
    {414, DISC, 0.9f, 0.8f, 0.3f},         {417, DISC, 0.3f, 0.7f, 0.9f},
    {419, TOOLS, 0.8f, 0.8f, 0.85f},       {421, CUBE, 0.3f, 0.8f, 0.8f},
    {428, TOKEN, 0.7f, 0.3f, 0.9f},        {438, ARROW, 0.3f, 0.9f, 0.9f},
    {442, MARKER, 0.5f, 0.9f, 0.5f},       {439, CUBE, 0.9f, 0.5f, 0.5f},
    {441, TOKEN, 0.5f, 0.5f, 0.5f},        {440, ARROW, 0.8f, 0.8f, 0.8f},
    {396, MARKER, 1.0f, 0.9f, 0.5f},       {429, CUBE, 0.6f, 0.4f, 0.2f},
    {430, TOKEN, 0.4f, 0.7f, 0.2f},        {608, EMBLEM_PLAQUE, 0.93f, 0.67f, 0.24f},
    {606, EMBLEM_RING, 0.7f, 0.72f, 0.8f},
};

CRootNode* BuildShape(const SModelResource& s)
{
    CMeshBuilder b;
    SLook look;
    look.r = s.r;
    look.g = s.g;
    look.b = s.b;
    look.glow = 0.5f;
    look.tile = 10;
    const int m = b.Material(look);
    switch (s.shape) {
    case BEACON: {
        SLook baseLook;
        baseLook.r = baseLook.g = baseLook.b = 0.2f;
        const int base = b.Material(baseLook);
        b.Box(base, CVector(-0.05f, 0, -0.05f), CVector(0.05f, 0.02f, 0.05f));
        // The dome: rings of quads from the rim up to the top.
        const int sides = 16, rings = 4;
        auto at = [&](int side, int ring) {
            const float a = float(side) * 2 * kPi / float(sides), t = float(ring) * kPi / 2 / float(rings);
            return CVector(std::sin(a) * std::cos(t) * 0.04f, 0.02f + 0.02f + std::sin(t) * 0.04f,
                           std::cos(a) * std::cos(t) * 0.04f);
        };
        for (int side = 0; side < sides; ++side) {
            const float a0 = float(side) * 2 * kPi / float(sides),
                        a1 = float(side + 1) * 2 * kPi / float(sides);
            // The glass's straight lower part.
            const CVector l0(std::sin(a0) * 0.04f, 0.02f, std::cos(a0) * 0.04f),
                l1(std::sin(a1) * 0.04f, 0.02f, std::cos(a1) * 0.04f);
            b.Quad(m, l0, l1 - l0, CVector(0, 0.02f, 0));
            for (int ring = 0; ring < rings; ++ring) {
                b.Triangle(m, at(side, ring), at(side + 1, ring), at(side + 1, ring + 1));
                b.Triangle(m, at(side, ring), at(side + 1, ring + 1), at(side, ring + 1));
            }
        }
        break;
    }
    case MARKER:
        for (int i = 0; i < 16; ++i) {
            const float a0 = float(i) * kPi / 8, a1 = float(i + 1) * kPi / 8;
            const CVector o0(std::sin(a0) * 0.1f, 0.002f, std::cos(a0) * 0.1f),
                o1(std::sin(a1) * 0.1f, 0.002f, std::cos(a1) * 0.1f);
            const CVector i0 = o0 * 0.7f, i1 = o1 * 0.7f;
            b.Triangle(m, CVector(i0.x, 0.002f, i0.z), CVector(o0.x, 0.002f, o0.z),
                       CVector(o1.x, 0.002f, o1.z));
            b.Triangle(m, CVector(i0.x, 0.002f, i0.z), CVector(o1.x, 0.002f, o1.z),
                       CVector(i1.x, 0.002f, i1.z));
        }
        break;
    case ARROW:
        b.Box(m, CVector(-0.01f, 0.06f, -0.01f), CVector(0.01f, 0.14f, 0.01f));
        for (int i = 0; i < 4; ++i) {
            const float a0 = float(i) * kPi / 2, a1 = float(i + 1) * kPi / 2;
            b.Triangle(m, CVector(0, 0, 0), CVector(std::sin(a0) * 0.04f, 0.06f, std::cos(a0) * 0.04f),
                       CVector(std::sin(a1) * 0.04f, 0.06f, std::cos(a1) * 0.04f));
        }
        break;
    case TOKEN:
        b.Box(m, CVector(-0.03f, 0, -0.005f), CVector(0.03f, 0.12f, 0.005f));
        break;
    case CUBE:
        b.Box(m, CVector(-0.04f, 0, -0.04f), CVector(0.04f, 0.08f, 0.04f));
        break;
    case DISC:
        for (int i = 0; i < 24; ++i) {
            const float a0 = float(i) * kPi / 12, a1 = float(i + 1) * kPi / 12;
            const CVector o0(std::sin(a0) * 0.1f, std::cos(a0) * 0.1f, 0),
                o1(std::sin(a1) * 0.1f, std::cos(a1) * 0.1f, 0);
            const CVector front(0, 0, -0.02f);
            b.Triangle(m, front, o0 + front, o1 + front);
            b.Quad(m, o0 + front, o1 - o0, CVector(0, 0, 0.02f));
        }
        break;
    case POINTER:
        b.Box(m, CVector(-0.08f, -0.02f, -0.01f), CVector(0.02f, 0.02f, 0.01f));
        b.Triangle(m, CVector(0.02f, 0.05f, -0.01f), CVector(0.09f, 0, -0.01f),
                   CVector(0.02f, -0.05f, -0.01f));
        b.Triangle(m, CVector(0.02f, -0.05f, 0.01f), CVector(0.09f, 0, 0.01f), CVector(0.02f, 0.05f, 0.01f));
        break;
    case TOOLS:
        b.Box(m, CVector(-0.012f, -0.09f, -0.01f), CVector(0.012f, 0.04f, 0.01f));
        b.Box(m, CVector(-0.04f, 0.04f, -0.01f), CVector(-0.012f, 0.09f, 0.01f));
        b.Box(m, CVector(0.012f, 0.04f, -0.01f), CVector(0.04f, 0.09f, 0.01f));
        break;
    case INFO:
        b.Box(m, CVector(-0.015f, -0.09f, -0.01f), CVector(0.015f, 0.03f, 0.01f));
        b.Box(m, CVector(-0.015f, 0.05f, -0.01f), CVector(0.015f, 0.08f, 0.01f));
        break;
    case EMBLEM_PLAQUE: {
        b.Box(m, CVector(-0.07f, -0.01f, -0.09f), CVector(0.07f, 0.01f, 0.09f));
        SLook ink;
        ink.r = ink.g = ink.b = 0.15f;
        ink.glow = 0.2f;
        ink.tile = 10;
        const int q = b.Material(ink);
        // A question mark standing out of the plaque's face; the plaque is turned upright to
        // face the viewer, so +y becomes the side toward the viewer and +z up.
        b.Box(q, CVector(-0.035f, 0.01f, 0.045f), CVector(0.035f, 0.02f, 0.06f));
        b.Box(q, CVector(0.02f, 0.01f, 0.0f), CVector(0.035f, 0.02f, 0.06f));
        b.Box(q, CVector(-0.01f, 0.01f, -0.01f), CVector(0.035f, 0.02f, 0.005f));
        b.Box(q, CVector(-0.01f, 0.01f, -0.03f), CVector(0.005f, 0.02f, 0.0f));
        b.Box(q, CVector(-0.01f, 0.01f, -0.06f), CVector(0.005f, 0.02f, -0.045f));
        break;
    }
    case EMBLEM_RING:
        for (int i = 0; i < 24; ++i) {
            const float a0 = float(i) * kPi / 12, a1 = float(i + 1) * kPi / 12;
            const CVector o0(std::sin(a0) * 0.12f, 0, std::cos(a0) * 0.12f),
                o1(std::sin(a1) * 0.12f, 0, std::cos(a1) * 0.12f);
            b.Quad(m, o0 + CVector(0, -0.012f, 0), o1 - o0, CVector(0, 0.024f, 0));
            b.Quad(m, o0 * 0.85f + CVector(0, -0.012f, 0), (o1 - o0) * 0.85f, CVector(0, 0.024f, 0));
        }
        break;
    }
    const std::string name = "Interface_" + std::to_string(s.id);
    return b.BuildModel(name.c_str(), nullptr);
}

bool MakeModels(SContext& c)
{
    for (const SModelResource& s : kModels) {
        CRootNode* root = BuildShape(s);
        CChunkWriter writer;
        const bool built = root && root->SaveToMemory(writer);
        delete root;
        const fs::path file = c.out / "resources" / "MODELS" / (std::to_string(s.id) + ".tmf");
        if (!built) {
            c.error = file.string() + ": the model could not be written";
            return false;
        }
        if (!WriteFileBytes(file, writer.Data().data(), writer.Data().size(), c.error))
            return false;
    }
    return true;
}

} // namespace

bool MakeInterfaceResources(SContext& c)
{
    return MakeImages(c) && MakeBitmaps(c) && MakeModels(c);
}

} // namespace sample
