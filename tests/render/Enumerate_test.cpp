// Driver, device and format records and the rules that fill them.
#include "tests/render/DeviceRig.h"

namespace {

class Enumeration : public DeviceRig
{
};

TEST_F(Enumeration, OnePrimaryDriverWithItsHardwareDeviceModesAndFormats)
{
    ASSERT_EQ(DriverList.count, 1);
    DDDriverInfo* d = DriverList[0];
    EXPECT_EQ(d->guidPointer, nullptr);
    EXPECT_TRUE(d->windowCapable);
    EXPECT_TRUE(d->has3D);
    EXPECT_GT(d->modes.count, 0);
    bool has16 = false;
    for (const DisplayModeInfo* m : d->modes)
        has16 |= m->bitsPerPixel == 16;
    EXPECT_TRUE(has16);
    ASSERT_EQ(d->devices.count, 1);
    D3DDeviceInfo* dev = d->devices[0];
    EXPECT_STREQ(dev->name.c_str(), "OpenGL");
    EXPECT_TRUE(dev->hardware);
    EXPECT_TRUE(dev->multitexture);
    EXPECT_TRUE(dev->tableFog);
    EXPECT_EQ(dev->maxActiveLights, 8);
    ASSERT_EQ(dev->zFormats.count, 3);
    std::vector<std::string> names;
    for (const TextureFormatInfo* t : dev->textureFormats)
        names.push_back(t->name.c_str());
    EXPECT_EQ(names, (std::vector<std::string>{"16 bit 0565 RGB", "16 bit 1555 RGBALPHA ",
                                               "16 bit 4444 RGBALPHA ", "32 bit 8888 RGBALPHA "}));
}

TEST_F(Enumeration, TextureFormatCallbackSkipsAndNamesFormats)
{
    D3DDeviceInfo dev;
    auto fourCC = [](const char* c) {
        return uint32_t(c[0]) | uint32_t(c[1]) << 8 | uint32_t(c[2]) << 16 | uint32_t(c[3]) << 24;
    };
    DDPIXELFORMAT lum;
    lum.dwFlags = DDPF_LUMINANCE;
    DDPIXELFORMAT bump;
    bump.dwFlags = DDPF_BUMPDUDV;
    DDPIXELFORMAT yuy2;
    yuy2.dwFlags = DDPF_FOURCC;
    yuy2.dwFourCC = fourCC("YUY2");
    DDPIXELFORMAT dxt3 = yuy2;
    dxt3.dwFourCC = fourCC("DXT3");
    DDPIXELFORMAT pal8;
    pal8.dwFlags = DDPF_PALETTEINDEXED8 | DDPF_RGB;
    pal8.dwRGBBitCount = 8;
    DDPIXELFORMAT rgb332 = D3DMakeRGBFormat(8, 0xE0, 0x1C, 0x03, 0);
    for (DDPIXELFORMAT* pf : {&lum, &bump, &yuy2, &dxt3, &pal8, &rgb332})
        EnumTextureFormatCallback(pf, &dev);
    ASSERT_EQ(dev.textureFormats.count, 3);
    EXPECT_STREQ(dev.textureFormats[0]->name.c_str(), "DXT3 COMPRESSED");
    EXPECT_TRUE(dev.textureFormats[0]->compressed);
    EXPECT_EQ(dev.textureFormats[0]->bitsPerPixel, 0);
    EXPECT_STREQ(dev.textureFormats[1]->name.c_str(), " 8 bit 0000 RGBPAL ");
    EXPECT_STREQ(dev.textureFormats[2]->name.c_str(), " 8 bit 0332 RGB");
    for (TextureFormatInfo* t : dev.textureFormats)
        delete t;
}

TEST_F(Enumeration, DeviceCallbackRules)
{
    IDirectDraw7* dd = nullptr;
    ASSERT_EQ(DirectDrawCreateEx(nullptr, &dd), DD_OK);
    IDirect3D7* d3d = nullptr;
    dd->QueryDirect3D(&d3d);
    struct Case
    {
        const char* name;
        bool secondary;
        uint32_t vendor, device, devCaps;
        uint32_t maxWidth, maxLights;
        bool listed, tableFog;
        uint32_t wantWidth;
        int32_t wantLights;
    };
    const Case cases[] = {
        {"software on a secondary driver", true, 0, 0, 0, 512, 8, false, false, 0, 0},
        {"hardware on a secondary driver", true, 0, 0, D3DDEVCAPS_HWRASTERIZATION, 512, 8, true, true, 512,
         8},
        {"width 0 and negative lights", false, 0, 0, D3DDEVCAPS_HWRASTERIZATION, 0, 0xFFFFFFFF, true, true,
         256, 1000000},
        {"ATI 0x5246", false, 0x1002, 0x5246, D3DDEVCAPS_HWRASTERIZATION, 256, 8, true, false, 256, 8},
        {"ATI 0x5046", false, 0x1002, 0x5046, D3DDEVCAPS_HWRASTERIZATION, 256, 8, true, false, 256, 8},
        {"3dfx 6", false, 0x121A, 6, D3DDEVCAPS_HWRASTERIZATION, 256, 8, true, false, 256, 8},
        {"3dfx 9", false, 0x121A, 9, D3DDEVCAPS_HWRASTERIZATION, 256, 8, true, false, 256, 8},
        {"3dfx 10", false, 0x121A, 10, D3DDEVCAPS_HWRASTERIZATION, 256, 8, true, true, 256, 8},
    };
    for (const Case& c : cases) {
        DDDriverInfo driver;
        if (c.secondary)
            driver.guidPointer = &driver.guid;
        driver.vendorId = c.vendor;
        driver.deviceId = c.device;
        D3DDEVICEDESC7 desc;
        desc.dwDevCaps = c.devCaps;
        desc.dpcTriCaps.dwRasterCaps = D3DPRASTERCAPS_FOGTABLE;
        desc.dwMaxTextureWidth = c.maxWidth;
        desc.dwMaxActiveLights = c.maxLights;
        desc.deviceGUID = IID_IDirect3DHALDevice;
        EnumDriverContext ctx{&driver, dd, d3d};
        EnumDeviceCallback("", "dev", &desc, &ctx);
        ASSERT_EQ(driver.devices.count, c.listed ? 1 : 0) << c.name;
        if (!c.listed)
            continue;
        const D3DDeviceInfo* d = driver.devices[0];
        EXPECT_EQ(d->tableFog, c.tableFog) << c.name;
        EXPECT_EQ(d->maxTextureWidth, c.wantWidth) << c.name;
        EXPECT_EQ(d->maxActiveLights, c.wantLights) << c.name;
        for (D3DDeviceInfo* x : driver.devices) {
            for (ZBufferFormatInfo* z : x->zFormats)
                delete z;
            for (TextureFormatInfo* t : x->textureFormats)
                delete t;
            delete x;
        }
    }
    d3d->Release();
    dd->Release();
}

} // namespace
