#include "GAMES/Rulo2/interface/TextCells.h"

#include <algorithm>
#include <string>

#include "GAMES/Rulo2/interface/CTextTree.h"
#include "platform/crt/Crt.h"

namespace {

sString LabelOf(const char* key)
{
    const char* text = key ? GetDisplayText(key) : nullptr;
    sString label(text ? text : "");
    label.append(":");
    return label;
}

} // namespace

sString CTextCell::Format(int32_t) const
{
    return sString();
}

sString CPlainTextCell::Format(int32_t) const
{
    return text;
}

sString CStringCell::Format(int32_t width) const
{
    if (width < text.length)
        return text;
    std::string out(size_t((width - text.length) / 2), fill);
    out += text.c_str();
    return sString(out.c_str());
}

CKeyTextCell::CKeyTextCell(const char* key, const sString& valueText, const sString& unitText,
                           char fillCharacter)
    : label(LabelOf(key)), value(valueText), unit(unitText)
{
    fill = fillCharacter;
}

CKeyTextCell::CKeyTextCell(const char* key, float number, const sString& unitText, char fillCharacter)
    : label(LabelOf(key)), value(crt::Format("%0.f", double(number)).c_str()), unit(unitText)
{
    fill = fillCharacter;
}

sString CKeyTextCell::Format(int32_t width) const
{
    const std::string right = std::string(value.c_str()) + unit.c_str();
    const int32_t used = label.length + int32_t(right.size());
    std::string out(label.c_str());
    if (width <= used) {
        out += right;
        out.resize(size_t(std::max(width, 0)));
    } else {
        out.append(size_t(width - used), fill);
        out += right;
    }
    return sString(out.c_str());
}

CNumberCell::CNumberCell(const char* key, float number, char fillCharacter)
    : CKeyTextCell(key, number, sString("%"), fillCharacter)
{
}

CTextRow::~CTextRow()
{
    for (size_t i = cells.size(); i-- > 0;)
        cells[i]->Release();
}

void CTextRow::Append(CTextCell* cell)
{
    if (!cell)
        return;
    cell->AddRef();
    cells.push_back(cell);
}

namespace {

// Appends a new cell: the row keeps the only reference.
template <typename Cell>
void AppendNew(CTextRow& row, Cell* cell)
{
    row.Append(cell);
    cell->Release();
}

} // namespace

void CTextRow::AddCell(const CKeyTextCell& cell)
{
    AppendNew(*this, new CKeyTextCell(cell));
}

void CTextRow::AddNumberCell(const CNumberCell& cell)
{
    AppendNew(*this, new CNumberCell(cell));
}

void CTextRow::AddTextCell(const CStringCell& cell)
{
    AppendNew(*this, new CStringCell(cell));
}

void CTextRow::AddBlank()
{
    AppendNew(*this, new CBlankCell());
}

sString CTextRow::Format() const
{
    int32_t width = 0;
    for (size_t i = 1; i < cells.size(); ++i)
        width = std::max(width, cells[i]->NaturalLength());
    sString out;
    for (const CTextCell* cell : cells) {
        out.append(cell->Format(width).c_str());
        out.append(separator.c_str());
    }
    return out;
}
