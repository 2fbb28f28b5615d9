// DirectX failure codes in the log, and the DirectX version check of start-up.
#pragma once

#include <cstdint>

#include "platform/d3d/D3DTypes.h"

struct DXErrorEntry
{
    uint32_t code;
    const char* name;
};
// 202 named codes and the terminator {0, "Unknown Error"}.
constexpr int DXErrorTableSize = 203;
extern const DXErrorEntry DXErrorTable[DXErrorTableSize];

// The name of a code: the first table entry carrying it, else "Unknown Error".
const char* DXErrorName(HRESULT code);
// Logs "<source>(<line - 2>): DX Error 0x%08X: <name>".
void ReportDXError(const char* source, int line, HRESULT code);
// The same line with the line number unchanged, as the device code writes it.
void LogDXError(const char* source, int line, HRESULT code);
// The installed DirectX version: the device layer is always version 7 (0x700).
uint32_t GetDXVersion();
