#include "platform/gdi/Gdi.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace platform {

bool DibSection::Create(int width, int height, const std::vector<RGBQUAD>& colors)
{
    if (width <= 0 || height == 0 || width > 65536 || std::abs(height) > 65536)
        return false;
    width_ = width;
    topDown_ = height < 0;
    height_ = std::abs(height);
    pitch_ = (width + 3) & ~3;
    bits_.assign(size_t(pitch_) * size_t(height_), 0);
    colors_ = colors;
    colors_.resize(256);
    return true;
}

uint8_t* DibSection::PixelAt(int x, int y)
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return nullptr;
    int row = topDown_ ? y : height_ - 1 - y;
    return &bits_[size_t(row) * size_t(pitch_) + size_t(x)];
}

uint8_t DibSection::NearestIndex(COLORREF color) const
{
    int best = 0;
    long bestDistance = -1;
    for (size_t i = 0; i < colors_.size(); ++i) {
        long dr = long(colors_[i].rgbRed) - GetRValue(color);
        long dg = long(colors_[i].rgbGreen) - GetGValue(color);
        long db = long(colors_[i].rgbBlue) - GetBValue(color);
        long d = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || d < bestDistance) {
            bestDistance = d;
            best = int(i);
        }
    }
    return uint8_t(best);
}

int MemoryDC::SetPolyFillMode(int mode)
{
    int old = fillMode_;
    if (mode == ALTERNATE || mode == WINDING)
        fillMode_ = mode;
    return old;
}

void MemoryDC::Put(int x, int y, uint8_t index)
{
    if (uint8_t* p = bitmap_->PixelAt(x, y))
        *p = index;
}

void MemoryDC::Line(int x0, int y0, int x1, int y1, uint8_t index)
{
    // A long line is first cut to the bitmap (with a margin) so that huge
    // coordinates cost nothing; then Bresenham over 64-bit steps.
    const double margin = 2.0;
    const double wf = bitmap_->Width(), hf = bitmap_->Height();
    if (std::max(std::llabs(int64_t(x1) - x0), std::llabs(int64_t(y1) - y0)) > int64_t(4 * (wf + hf))) {
        double t0 = 0.0, t1 = 1.0;
        const double fx = x0, fy = y0, ddx = double(x1) - x0, ddy = double(y1) - y0;
        const double p[4] = {-ddx, ddx, -ddy, ddy};
        const double q[4] = {fx + margin, wf - 1 + margin - fx, fy + margin, hf - 1 + margin - fy};
        for (int i = 0; i < 4; ++i) {
            if (p[i] == 0.0) {
                if (q[i] < 0.0)
                    return;
                continue;
            }
            double r = q[i] / p[i];
            if (p[i] < 0.0)
                t0 = std::max(t0, r);
            else
                t1 = std::min(t1, r);
        }
        if (t0 > t1)
            return;
        int nx0 = int(std::lround(fx + t0 * ddx)), ny0 = int(std::lround(fy + t0 * ddy));
        int nx1 = int(std::lround(fx + t1 * ddx)), ny1 = int(std::lround(fy + t1 * ddy));
        x0 = nx0;
        y0 = ny0;
        x1 = nx1;
        y1 = ny1;
    }
    int64_t dx = std::llabs(int64_t(x1) - x0), dy = -std::llabs(int64_t(y1) - y0);
    int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int64_t err = dx + dy;
    int64_t x = x0, y = y0;
    const int64_t w = bitmap_->Width(), h = bitmap_->Height();
    int64_t steps = std::max(dx, -dy);
    for (int64_t i = 0; i <= steps; ++i) {
        if (x >= 0 && y >= 0 && x < w && y < h)
            Put(int(x), int(y), index);
        else if ((x < 0 && sx < 0) || (y < 0 && sy < 0) || (x >= w && sx > 0) || (y >= h && sy > 0))
            break; // moving away from the bitmap: nothing more to draw
        if (x == x1 && y == y1)
            break;
        int64_t e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

bool MemoryDC::Polygon(const GdiPoint* points, int count)
{
    if (!bitmap_ || !points || count < 2)
        return false;
    const int w = bitmap_->Width(), h = bitmap_->Height();

    if (!brush_.null && count >= 3) {
        uint8_t fill = bitmap_->NearestIndex(brush_.color);
        int64_t minY = points[0].y, maxY = points[0].y;
        for (int i = 1; i < count; ++i) {
            minY = std::min<int64_t>(minY, points[i].y);
            maxY = std::max<int64_t>(maxY, points[i].y);
        }
        int64_t y0 = std::max<int64_t>(minY, 0), y1 = std::min<int64_t>(maxY, h - 1);
        struct Crossing
        {
            double x;
            int dir;
        };
        std::vector<Crossing> crossings;
        for (int64_t y = y0; y <= y1; ++y) {
            crossings.clear();
            for (int i = 0; i < count; ++i) {
                const GdiPoint& a = points[i];
                const GdiPoint& b = points[(i + 1) % count];
                if (a.y == b.y)
                    continue;
                // Edges own their top row and not their bottom one, so shared
                // vertices are counted once.
                bool down = a.y < b.y;
                int64_t top = down ? a.y : b.y, bottom = down ? b.y : a.y;
                if (y < top || y >= bottom)
                    continue;
                double t = double(y - a.y) / double(int64_t(b.y) - a.y);
                crossings.push_back({double(a.x) + t * double(int64_t(b.x) - a.x), down ? 1 : -1});
            }
            std::sort(crossings.begin(), crossings.end(),
                      [](const Crossing& l, const Crossing& r) { return l.x < r.x; });
            int winding = 0;
            for (size_t k = 0; k + 1 < crossings.size(); ++k) {
                winding += fillMode_ == WINDING ? crossings[k].dir : 1;
                bool inside = fillMode_ == WINDING ? winding != 0 : (winding & 1) != 0;
                if (!inside)
                    continue;
                double left = std::ceil(crossings[k].x), right = std::ceil(crossings[k + 1].x) - 1;
                int64_t xa = int64_t(std::max(left, 0.0));
                int64_t xb = int64_t(std::min(right, double(w - 1)));
                for (int64_t x = xa; x <= xb; ++x)
                    Put(int(x), int(y), fill);
            }
        }
    }

    if (pen_.style != PS_NULL) {
        uint8_t outline = bitmap_->NearestIndex(pen_.color);
        for (int i = 0; i < count; ++i) {
            const GdiPoint& a = points[i];
            const GdiPoint& b = points[(i + 1) % count];
            Line(a.x, a.y, b.x, b.y, outline);
        }
    }
    return true;
}

COLORREF MemoryDC::SetPixel(int x, int y, COLORREF color)
{
    if (!bitmap_)
        return CLR_INVALID;
    uint8_t* p = bitmap_->PixelAt(x, y);
    if (!p)
        return CLR_INVALID;
    *p = bitmap_->NearestIndex(color);
    // The colour actually set: the palette entry nearest to the one asked for.
    return GetPixel(x, y);
}

COLORREF MemoryDC::GetPixel(int x, int y) const
{
    if (!bitmap_)
        return CLR_INVALID;
    uint8_t* p = bitmap_->PixelAt(x, y);
    if (!p)
        return CLR_INVALID;
    const RGBQUAD& q = bitmap_->Colors()[*p];
    return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
}

} // namespace platform
