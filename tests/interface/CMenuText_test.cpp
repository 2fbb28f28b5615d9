// The text element: line widths and alignment, the code-to-glyph mapping, the
// measured size, the hit test, its alpha track and its two passes per glyph.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/interface/CMenuQuad.h"
#include "GAMES/Rulo2/interface/CMenuText.h"
#include "GAMES/Rulo2/render/OffscreenView.h"

namespace {

struct TextRig
{
    TextRig(const std::string& s, int32_t alignment = 0)
    {
        text = new CMenuText(&menu);
        text->SetPosition({0.2f, -0.3f});
        text->text = s;
        text->alignment = alignment;
        menu.AddElement(text);
        text->Release();
    }
    CMenu menu;
    CMenuText* text = nullptr;
};

} // namespace

TEST(MenuText, GlyphCellsOfCodes)
{
    const struct
    {
        uint8_t code;
        int page, column, row;
    } cases[] = {
        {1, 0, 0, 0},   {64, 0, 7, 7},  {65, 1, 0, 0},  {0, 3, 7, 7},
        {193, 3, 0, 0}, {255, 3, 6, 7}, {'A', 1, 0, 0},
    };
    for (const auto& c : cases) {
        const GlyphCell g = GlyphCellOf(c.code);
        EXPECT_EQ(g.page, c.page) << int(c.code);
        EXPECT_EQ(g.column, c.column) << int(c.code);
        EXPECT_EQ(g.row, c.row) << int(c.code);
        EXPECT_FLOAT_EQ(g.u0, c.column * 0.125f + 0.015625f);
        EXPECT_FLOAT_EQ(g.v1, c.row * 0.125f + 0.125f);
    }
}

TEST(MenuText, LineWidthsAlignmentAndBounds)
{
    for (int32_t alignment : {0, 1, 2}) {
        TextRig rig("ABCD", alignment);
        CMenuText& t = *rig.text;
        const float width = 3 * t.advance + t.glyphWidth;
        EXPECT_FLOAT_EQ(t.LineWidth(0), width);
        t.DrawGlyphs();
        const float start = alignment == 0 ? 0.2f : alignment == 1 ? 0.2f - width : 0.2f - width / 2;
        EXPECT_FLOAT_EQ(t.drawnMinX, start) << alignment;
        EXPECT_FLOAT_EQ(t.drawnMaxX, start + width) << alignment;
        EXPECT_FLOAT_EQ(t.drawnMinY, -0.3f);
        EXPECT_FLOAT_EQ(t.drawnMaxY, -0.3f + t.glyphHeight);
    }
    // One character is one glyph wide; every line is aligned on its own; the
    // last glyph drawn is the last character ('D', page 1 cell (3, 0)).
    TextRig one("X\nAB D", 1);
    EXPECT_FLOAT_EQ(one.text->LineWidth(0), one.text->glyphWidth);
    one.text->DrawGlyphs();
    const float second = 3 * one.text->advance + one.text->glyphWidth;
    EXPECT_FLOAT_EQ(one.text->drawnMinX, 0.2f - second);
    EXPECT_FLOAT_EQ(one.text->drawnMaxY, -0.3f + one.text->lineHeight + one.text->glyphHeight);
    const MenuVertex& v = one.text->glyphQuad->key.vertices[0];
    EXPECT_FLOAT_EQ(v.x, 0.2f - one.text->glyphWidth);
    EXPECT_FLOAT_EQ(v.u, 3 * 0.125f + 0.015625f);
    EXPECT_FLOAT_EQ(v.v, 0.015625f);
    EXPECT_EQ(one.text->glyphQuad->blendMode, 2);
    EXPECT_FLOAT_EQ(one.text->glyphQuad->z, 0.2f);
}

TEST(MenuText, SizeAndHitTest)
{
    TextRig empty("");
    float size[2] = {1, 1};
    empty.text->GetTextSize(size);
    EXPECT_EQ(size[0], 0.0f);
    EXPECT_EQ(size[1], 0.0f);
    empty.text->selectable = 1;
    empty.text->DrawNormal(0);
    const CMenuElement::Point anchor{0.2f, -0.3f};
    EXPECT_FALSE(empty.text->HitTest(&anchor)); // an empty text is never hit

    // Trailing spaces and a trailing line feed count in the size.
    TextRig rig("AB \n\n");
    CMenuText& t = *rig.text;
    t.GetTextSize(size);
    EXPECT_FLOAT_EQ(size[0], 3 * t.advance);
    EXPECT_FLOAT_EQ(size[1], 2 * t.lineHeight);

    // Hits need a draw, and the bounds count as inside.
    t.selectable = 1;
    const CMenuElement::Point corner{0.2f, -0.3f}, outside{0.19f, -0.3f};
    EXPECT_FALSE(t.HitTest(&corner));
    t.DrawNormal(0);
    EXPECT_TRUE(t.HitTest(&corner));
    EXPECT_TRUE(t.hit);
    EXPECT_FALSE(t.HitTest(&outside));
    EXPECT_FALSE(t.hit);
    t.active = 1;
    EXPECT_FALSE(t.HitTest(&corner));
    EXPECT_EQ(t.lastPoint.x, corner.x);
}

TEST(MenuText, AlphaTrackAndStateColours)
{
    TextRig rig("A");
    CMenuText& t = *rig.text;
    auto* track = new CTextTrack(&rig.menu);
    track->name = "start";
    track->AddKey(0, TextKey{1.0f, 0.0f}, 0);
    track->AddKey(200, TextKey{1.0f, 1.0f}, 0);
    track->AddKey(400, TextKey{0.0f, 0.2f}, 0);
    t.AddTrack(track);
    track->Release();
    rig.menu.time = 1000;
    t.PlayTrack("start");
    t.DrawNormal(1100);
    EXPECT_FLOAT_EQ(t.block.alpha, 0.5f);
    EXPECT_FLOAT_EQ(t.glyphQuad->key.vertices[0].a, 0.5f);
    EXPECT_FLOAT_EQ(t.glyphQuad->key.vertices[0].b, 0.0f); // yellow when normal
    t.DrawNormal(1200);
    EXPECT_FLOAT_EQ(t.block.alpha, 1.0f);
    t.DrawHighlighted(1300); // a key with apply 0 leaves the alpha
    EXPECT_FLOAT_EQ(t.block.alpha, 1.0f);
    EXPECT_FLOAT_EQ(t.glyphQuad->key.vertices[2].b, 1.0f);
    t.DrawActive(1200);
    EXPECT_FLOAT_EQ(t.glyphQuad->key.vertices[1].r, 0.2f);
    // With alpha 0 the additive glyph adds nothing, even highlighted.
    t.block.alpha = 0.0f;
    t.PlayTrack(nullptr);
    t.DrawHighlighted(2000);
    EXPECT_EQ(t.glyphQuad->drawBuffer[0].diffuse & 0xFFFFFFu, 0u);
}

TEST(MenuText, EachGlyphIsADepthPassThenAnAdditivePass)
{
    ASSERT_TRUE(OpenOffscreenView(160, 120));
    TextRig rig("A B");
    DX.device->recordCalls = true;
    DX.device->calls.clear();
    rig.text->DrawNormal(0);
    uint32_t src = 0, dst = 0;
    std::vector<std::pair<uint32_t, uint32_t>> passes;
    for (const D3DCall& c : DX.device->calls) {
        if (c.kind == D3DCallKind::RenderState && c.a == D3DRENDERSTATE_SRCBLEND)
            src = c.b;
        if (c.kind == D3DCallKind::RenderState && c.a == D3DRENDERSTATE_DESTBLEND)
            dst = c.b;
        if (c.kind == D3DCallKind::Draw)
            passes.emplace_back(src, dst);
    }
    const std::pair<uint32_t, uint32_t> depth{D3DBLEND_ZERO, D3DBLEND_ONE}, add{D3DBLEND_ONE, D3DBLEND_ONE};
    EXPECT_EQ(passes, (std::vector<std::pair<uint32_t, uint32_t>>{depth, add, depth, add}));
    EXPECT_FLOAT_EQ(rig.text->glyphQuad->drawBuffer[0].sz, 0.2f);
    DX.device->recordCalls = false;
    CloseOffscreenView();
}
