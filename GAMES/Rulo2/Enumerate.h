// The display drivers, 3-D devices, display modes and pixel formats the system
// offers, kept as plain records for the device set-up and the texture code.
#pragma once

#include <cstdint>

#include "LIBS/System/CGrowArray.h"
#include "LIBS/System/CTextBuffer.h"
#include "platform/d3d/D3D.h"

struct ZBufferFormatInfo
{
    DDPIXELFORMAT format;
    int32_t zDepth = 0;
};

struct TextureFormatInfo
{
    CTextBuffer name;
    DDPIXELFORMAT format;
    uint8_t compressed = 0, rgb = 0, palettised = 0, hasAlpha = 0;
    int32_t bitsPerPixel = 0; // 0 for compressed formats
};

struct DisplayModeInfo
{
    CTextBuffer name; // "%dx%dx%d"
    DDSURFACEDESC2 desc;
    uint16_t width = 0, height = 0, bitsPerPixel = 0;
};

struct D3DDeviceInfo
{
    CTextBuffer name;
    GUID guid;
    GUID* guidPointer = nullptr;
    D3DDEVICEDESC7 desc;
    CGrowArray<ZBufferFormatInfo> zFormats;
    CGrowArray<TextureFormatInfo> textureFormats;
    bool hardware = false, hardwareTnL = false, texturing = false, zBufferlessHSR = false;
    bool hasZFormats = false, zBias = false, multitexture = false, transparency = false;
    bool alphaTextures = false, linearFilter = false, perspective = false, dither = false;
    bool antialiasSortDependent = false, nonLocalTextures = false, powerOfTwo = false, squareOnly = false;
    bool tableFog = false, wFog = false, vertexFog = false, rangeFog = false, hasCompressedFormats = false;
    uint32_t minTextureWidth = 0, minTextureHeight = 0, maxTextureWidth = 0, maxTextureHeight = 0;
    uint32_t maxTextureBlendStages = 0, maxSimultaneousTextures = 0;
    int32_t maxActiveLights = 0;
};

struct DDDriverInfo
{
    CTextBuffer name;
    uint32_t vendorId = 0, deviceId = 0;
    GUID guid;
    GUID* guidPointer = nullptr; // null for the primary display driver
    DDCAPS halCaps, helCaps;
    CGrowArray<D3DDeviceInfo> devices;
    CGrowArray<DisplayModeInfo> modes;
    void* monitor = nullptr;
    bool windowCapable = false;
    bool has3D = false;
};

// Every display driver with at least one 3-D device, in enumeration order.
extern CGrowArray<DDDriverInfo> DriverList;

bool EnumerateDrivers();
// Lists the device's texture formats once, the first time a real device exists.
void EnumerateTextureFormats(IDirect3DDevice7* device, D3DDeviceInfo* info);
// The device's capabilities as the entry keeps them (texturing, fog kinds, z-bias,
// texture sizes, lights ...); the driver's own exceptions are the caller's.
void FillDeviceCaps(D3DDeviceInfo& info, const D3DDEVICEDESC7& desc);
// Frees every record (program exit, tests).
void FreeDriverList();

// What the device callback works with: the driver record and its DirectDraw objects.
struct EnumDriverContext
{
    DDDriverInfo* driver;
    IDirectDraw7* dd;
    IDirect3D7* d3d;
};

// The enumeration callbacks, reachable for tests of their rules.
HRESULT EnumDriverCallback(GUID* guid, const char* description, const char* name, void* context,
                           void* monitor);
HRESULT EnumDeviceCallback(const char* description, const char* name, D3DDEVICEDESC7* desc, void* driver);
HRESULT EnumTextureFormatCallback(DDPIXELFORMAT* format, void* device);
