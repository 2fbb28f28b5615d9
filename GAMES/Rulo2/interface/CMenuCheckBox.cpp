#include "GAMES/Rulo2/interface/CMenuCheckBox.h"

#include <algorithm>
#include <cmath>

#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/interface/CMenuGlow.h"
#include "GAMES/Rulo2/interface/CMenuQuad.h"
#include "GAMES/Rulo2/interface/CMenuText.h"
#include "GAMES/Rulo2/render/GameResources.h"

namespace {

constexpr uint16_t kCheckBoxImage = 578, kCheckMarkImage = 579;

CMenuQuad* MakeChild(CMenu* owner, CQuadTrack* track)
{
    auto* quad = new CMenuQuad(owner);
    quad->AddTrack(track);
    quad->PlayTrack("default");
    return quad;
}

} // namespace

bool SRectHit::Test(const CMenuElement& element, const CMenuElement::Point* point)
{
    if (!point)
        return false;
    lastPoint = *point;
    over = 0;
    if (element.shown && element.selectable && !element.active && topLeft.x <= point->x &&
        point->x <= bottomRight.x && topLeft.y <= point->y && point->y <= bottomRight.y)
        over = 1;
    return over != 0;
}

CMenuCheckBox::CMenuCheckBox(CMenu* menu) : CMenuElement(menu)
{
    type = TYPE_CHECKBOX;
}

CMenuCheckBox::~CMenuCheckBox()
{
    if (mark)
        mark->Release();
    if (back)
        back->Release();
}

void CMenuCheckBox::Setup(MenuPoint from, MenuPoint to)
{
    topLeft = from;
    bottomRight = to;
    auto* track = new CQuadTrack(owner);
    track->name = "default";
    const uint16_t images[2] = {kCheckBoxImage, kCheckMarkImage};
    CMenuQuad** quads[2] = {&back, &mark};
    for (int i = 0; i < 2; ++i) {
        CMenuQuad* q = MakeChild(owner, track);
        q->SetGeometry({from.x, from.y}, {to.x, to.y}, {1, 1, 1, 1});
        q->key.texture = GameResourceTexture(images[i]);
        q->blendMode = 4;
        if (*quads[i])
            (*quads[i])->Release();
        *quads[i] = q;
    }
    track->Release();
}

bool CMenuCheckBox::HitTest(const Point* point)
{
    return Test(*this, point);
}

void CMenuCheckBox::Toggle()
{
    if (owner && owner->leftReleased && over)
        checked = 1 - checked;
}

void CMenuCheckBox::EvaluateOwnTrack(int32_t time)
{
    if (CAnimTrack* track = CurrentTrack())
        track->Evaluate(time, &block);
}

void CMenuCheckBox::DrawNormal(int32_t time)
{
    if (!shown)
        return;
    HitTest(&lastPoint);
    Toggle();
    EvaluateOwnTrack(time);
    if (back) {
        if (over)
            back->DrawHighlighted(time);
        else
            back->DrawNormal(time);
    }
    if (checked && mark)
        mark->DrawNormal(time);
}

void CMenuCheckBox::DrawHighlighted(int32_t time)
{
    if (!shown)
        return;
    HitTest(&lastPoint);
    Toggle();
    EvaluateOwnTrack(time);
    if (back)
        back->DrawHighlighted(time);
    if (checked && mark)
        mark->DrawNormal(time);
}

void CMenuCheckBox::DrawActive(int32_t time)
{
    if (!shown)
        return;
    EvaluateOwnTrack(time);
    if (back) {
        CAnimTrack* own = CurrentTrack();
        back->PlayTrack(own ? own->name.c_str() : nullptr);
        back->DrawActive(time);
    }
    if (checked && mark)
        mark->DrawActive(time);
}

CMenuEditField::CMenuEditField(CMenu* menu) : CMenuElement(menu)
{
    type = TYPE_EDIT;
}

CMenuEditField::~CMenuEditField()
{
    if (frame)
        frame->Release();
    if (glyphQuad)
        glyphQuad->Release();
    if (cursorQuad)
        cursorQuad->Release();
}

void CMenuEditField::Setup(MenuPoint from, MenuPoint to)
{
    topLeft = from;
    bottomRight = to;
    auto* track = new CQuadTrack(owner);
    track->name = "default";
    auto* box = new CMenuGlow(owner);
    box->Setup({from.x, from.y}, {0.1f, 0.1f, 0.1f, 0.5f}, {to.x, to.y}, {0.3f, 0.3f, 0.4f, 0.6f});
    box->AddTrack(track);
    box->PlayTrack("default");
    if (frame)
        frame->Release();
    frame = box;
    CMenuQuad* glyphs = MakeChild(owner, track);
    glyphs->SetColor({1, 1, 1, 1});
    if (glyphQuad)
        glyphQuad->Release();
    glyphQuad = glyphs;
    CMenuQuad* mark = MakeChild(owner, track);
    mark->SetColor({0.5f, 0.5f, 0.5f, 1.0f});
    if (cursorQuad)
        cursorQuad->Release();
    cursorQuad = mark;
    track->Release();
    confirmed = 0;
}

void CMenuEditField::SetText(const char* newText)
{
    text = newText ? newText : "";
    cursor = int32_t(text.size());
}

void CMenuEditField::ProcessKey()
{
    const int32_t code = Input.menuKey;
    if (code == 0)
        return;
    confirmed = 0;
    const int32_t length = int32_t(text.size());
    if (code >= 32) {
        // Spaces obey the maximum length too, so the text cannot grow without bound.
        if (length < maximumLength) {
            text.insert(text.begin() + std::clamp(cursor, 0, length), char(code));
            ++cursor;
        }
    } else {
        switch (code) {
        case KEY_RIGHT:
            cursor = std::min(cursor + 1, length);
            break;
        case KEY_LEFT:
            cursor = std::max(cursor - 1, 0);
            break;
        case KEY_ENTER:
            confirmed = 1;
            break;
        case KEY_END:
            cursor = length;
            break;
        case KEY_HOME:
            cursor = 0;
            break;
        case KEY_BACKSPACE:
            if (cursor >= 1 && cursor <= length) {
                text.erase(size_t(cursor - 1), 1);
                --cursor;
            }
            break;
        default:
            break;
        }
    }
    Input.menuKey = 0;
}

bool CMenuEditField::HitTest(const Point* point)
{
    return Test(*this, point);
}

int32_t CMenuEditField::CellCount() const
{
    return int32_t((bottomRight.x - topLeft.x - marginX) / glyphWidth + 1.0f);
}

void CMenuEditField::DrawText()
{
    if (!glyphQuad)
        return;
    const int32_t n = CellCount();
    firstVisible = cursor - n > 0 ? cursor - n : 0;
    glyphQuad->blendMode = 2;
    glyphQuad->z = glyphDepth;
    float penX = 0.0f, penY = 0.0f;
    for (int32_t i = firstVisible; i < firstVisible + n + 1 && i < int32_t(text.size()); ++i) {
        const uint8_t ch = uint8_t(text[size_t(i)]);
        if (ch == '\n') {
            penX = 0.0f;
            penY += glyphHeight;
            continue;
        }
        if (ch == ' ') {
            penX += glyphWidth;
            continue;
        }
        PlaceGlyph(*glyphQuad, ch, topLeft.x + marginX + penX, topLeft.y + marginY + penY, glyphWidth,
                   glyphHeight);
        glyphQuad->DrawNormal(0);
        penX += glyphWidth;
    }
}

void CMenuEditField::DrawCursor()
{
    if (!cursorQuad)
        return;
    const double pi2 = 6.283185307179586;
    const uint32_t clock = GameClock.frameTime;
    const float s1 = float(1.0 + std::sin(pi2 * double(clock & 0x7FFu) / 2048.0) / 2.0);
    const float s2 = float((std::cos(pi2 * double(clock % 1000u) / 1000.0) + 1.3) / 3.0);
    const float w = s2 * glyphWidth;
    const float h = 1.3f * s1 * (bottomRight.y - topLeft.y);
    const float x0 = topLeft.x + float(cursor - firstVisible) * glyphWidth + (glyphWidth - w) / 2;
    const float cy = topLeft.y + (bottomRight.y - topLeft.y) / 2;
    cursorQuad->SetGeometry({x0, cy - h / 2}, {x0 + w, cy + h / 2}, {0.5f, 0.5f, 0.5f, 1.0f});
    cursorQuad->blendMode = 2;
    cursorQuad->z = 0.09f;
    cursorQuad->DrawNormal(0);
}

void CMenuEditField::DrawNormal(int32_t time)
{
    if (!shown)
        return;
    if (frame)
        frame->DrawNormal(time);
    DrawText();
}

void CMenuEditField::DrawHighlighted(int32_t time)
{
    if (!shown)
        return;
    ProcessKey();
    if (frame)
        frame->DrawNormal(time);
    DrawText();
    DrawCursor();
}
