// The game's device set up as at start-up, in a 640x480 window, with the log captured.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/Enumerate.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "LIBS/System/LogPrintf.h"
#include "tests/support/TestDevice.h"

class DeviceRig : public ::testing::Test
{
protected:
    static inline uint8_t logging = 1;

    void SetUp() override
    {
        logPath = (std::filesystem::temp_directory_path() /
                   ("varek_render_" + std::to_string(::getpid()) + "_" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt"))
                      .string();
        std::remove(logPath.c_str());
        LogPrintfSetTarget(&logging, logPath.c_str());
        PrimaryOnlyFlag = 0;
        NoTnLFlag = 1;
        ShrinkTexturesFlag = 0;
        D3DSetCapsOverride(capsOverride());
        ASSERT_NO_FATAL_FAILURE(device.Open(640, 480, false));
    }

    void TearDown() override
    {
        device.Close();
        D3DSetCapsOverride(nullptr);
        D3DRecordCallsOfNewDevices = false;
        LogPrintfSetTarget(nullptr, nullptr);
        std::remove(logPath.c_str());
    }

    virtual const D3DCapsOverride* capsOverride() { return nullptr; }

    std::string logText()
    {
        std::ifstream in(logPath);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    // The back buffer's pixels as 0xAARRGGBB, row by row.
    std::vector<uint32_t> frame()
    {
        std::vector<uint32_t> out;
        DDSURFACEDESC2 d;
        if (FAILED(DX.backSurface->Lock(nullptr, &d, DDLOCK_WAIT | DDLOCK_READONLY, nullptr)))
            return out;
        out.resize(size_t(d.dwWidth) * d.dwHeight);
        const int bpp = int(d.ddpfPixelFormat.dwRGBBitCount / 8);
        for (uint32_t y = 0; y < d.dwHeight; ++y)
            for (uint32_t x = 0; x < d.dwWidth; ++x)
                out[y * d.dwWidth + x] = D3DReadARGB(d.ddpfPixelFormat, static_cast<uint8_t*>(d.lpSurface) +
                                                                            y * d.lPitch + x * bpp);
        DX.backSurface->Unlock(nullptr);
        return out;
    }

    TestDevice device;
    platform::Window& window = device.window;
    std::string logPath;
};
