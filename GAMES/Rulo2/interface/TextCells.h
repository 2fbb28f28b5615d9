#pragma once
// Small tables of label-and-value lines in one text block: each cell formats
// itself to a common width in characters, and a row joins its cells with a
// separator after each, the values lined up on the right of the widest line.
#include <cstdint>
#include <vector>

#include "GAMES/Rulo2/interface/CMenuElement.h"
#include "LIBS/System/sString.h"

class CTextCell : public CMenuObject
{
public:
    virtual sString Format(int32_t width) const;
    virtual int32_t NaturalLength() const { return 1; }

    char fill = ' ';
};

// An empty line.
class CBlankCell : public CTextCell
{
};

class CPlainTextCell : public CTextCell
{
public:
    explicit CPlainTextCell(const sString& value) : text(value) {}
    sString Format(int32_t width) const override;
    int32_t NaturalLength() const override { return text.length; }

    sString text;
};

// Centred in the width; whole when longer than the width.
class CStringCell : public CPlainTextCell
{
public:
    explicit CStringCell(const sString& value) : CPlainTextCell(value) {}
    sString Format(int32_t width) const override;
};

// "label:", fill characters, value and unit, exactly `width` characters.
class CKeyTextCell : public CTextCell
{
public:
    // The label is the key's display text followed by ":".
    CKeyTextCell(const char* key, const sString& value, const sString& unit, char fillCharacter);
    // The value rounded to a whole number.
    CKeyTextCell(const char* key, float value, const sString& unit, char fillCharacter);
    sString Format(int32_t width) const override;
    int32_t NaturalLength() const override { return label.length + value.length + unit.length + 2; }

    sString label, value, unit;

protected:
    CKeyTextCell() = default;
};

// A percentage line.
class CNumberCell : public CKeyTextCell
{
public:
    CNumberCell(const char* key, float number, char fillCharacter);
};

class CTextRow
{
public:
    CTextRow() = default;
    ~CTextRow();
    CTextRow(const CTextRow&) = delete;
    CTextRow& operator=(const CTextRow&) = delete;

    void AddCell(const CKeyTextCell& cell);
    void AddNumberCell(const CNumberCell& cell);
    void AddTextCell(const CStringCell& cell);
    void AddBlank();
    // Takes a reference to the cell.
    void Append(CTextCell* cell);
    // Every cell at the widest natural length among all but the first, each
    // followed by the separator.
    sString Format() const;

    char fill = ' ';
    sString separator;
    std::vector<CTextCell*> cells;
};
