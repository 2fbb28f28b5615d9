#pragma once
// Small helpers that the world, the behaviour and navigation share.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "LIBS/System/CVector.h"
#include "LIBS/System/sList.h"
#include "LIBS/System/sString.h"

// Frees the data of a {data, count, capacity} array and sets all three to 0.
template <class Array>
void ArrayClear(Array& array)
{
    delete[] array.data;
    array.data = nullptr;
    array.count = 0;
    array.capacity = 0;
}

// A 64-byte record of the behaviour's recording lists: four ids, header words and a flag.
struct SRecord64
{
    int32_t id[4] = {-1, -1, -1, -1};
    uint32_t header[4] = {};
    uint32_t words[7] = {};
    uint8_t flag = 0;
    uint8_t spare[3] = {};
};
static_assert(sizeof(SRecord64) == 64);

struct RecordList64
{
    std::vector<SRecord64> records;
    // Removes the record at `index` and returns it; an index at or past the
    // end returns the empty record and leaves the list as it is.
    SRecord64 TakeAt(size_t index);
};

// A record of navigation's record arrays: three growable arrays (grow step 10).
struct SRecord48
{
    std::vector<CVector> a, b, c;
};

struct RecordArray48
{
    std::vector<SRecord48> records;
    // 0 destroys every record; otherwise n records, the first min(old, n) kept.
    void SetSize(size_t n);
};

// Shows or hides the system cursor at most one step away from shown; returns
// the system's count, or the flag when nothing was done.
int ShowMouseCursor(bool show);
bool IsMouseCursorShown();

// Release helpers of a terrain's data block: its list of texts and its two
// lists of rule records. This owner lets go of the list and is left with the
// empty list; only the last owner releases the elements (each text; each record
// with its name and its shared entry list) and then frees the array. The shared
// empty block is never touched, and a list that other owners still hold keeps
// its elements for them.
void ReleaseTextList(sList<sString>& list);
template <class Record>
void ReleaseRecordList(sList<Record>& list)
{
    list.release();
}
