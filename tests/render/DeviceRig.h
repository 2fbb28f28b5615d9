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
#include "platform/win/Window.h"

class DeviceRig : public ::testing::Test {
protected:
  static inline uint8_t logging = 1;

  void SetUp() override {
    logPath = (std::filesystem::temp_directory_path() /
               ("varek_render_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt"))
                  .string();
    std::remove(logPath.c_str());
    LogPrintfSetTarget(&logging, logPath.c_str());
    ASSERT_TRUE(platform::InitVideo());
    Settings.mainWndW = 640;
    Settings.mainWndH = 480;
    WindowedFlag = 1;
    PrimaryOnlyFlag = 0;
    NoTnLFlag = 1;
    ShrinkTexturesFlag = 0;
    platform::WindowDesc desc;
    desc.title = "Varek";
    desc.openGL = true;
    desc.width = 640;
    desc.height = 480;
    ASSERT_TRUE(window.Create(desc));
    DX.mainWindow = &window;
    D3DSetCapsOverride(capsOverride());
    EnumerateDrivers();
  }

  void TearDown() override {
    ReleaseDirectX();
    ShutdownDirectDraw();
    FreeDriverList();
    D3DSetCapsOverride(nullptr);
    D3DRecordCallsOfNewDevices = false;
    DX.mainWindow = nullptr;
    if (window.IsWindow()) window.DestroyWindow();
    LogPrintfSetTarget(nullptr, nullptr);
    std::remove(logPath.c_str());
  }

  virtual const D3DCapsOverride* capsOverride() { return nullptr; }

  std::string logText() {
    std::ifstream in(logPath);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  // The back buffer's pixels as 0xAARRGGBB, row by row.
  std::vector<uint32_t> frame() {
    std::vector<uint32_t> out;
    DDSURFACEDESC2 d;
    if (FAILED(DX.backSurface->Lock(nullptr, &d, DDLOCK_WAIT | DDLOCK_READONLY, nullptr))) return out;
    out.resize(size_t(d.dwWidth) * d.dwHeight);
    const int bpp = int(d.ddpfPixelFormat.dwRGBBitCount / 8);
    for (uint32_t y = 0; y < d.dwHeight; ++y)
      for (uint32_t x = 0; x < d.dwWidth; ++x)
        out[y * d.dwWidth + x] =
            D3DReadARGB(d.ddpfPixelFormat, static_cast<uint8_t*>(d.lpSurface) + y * d.lPitch + x * bpp);
    DX.backSurface->Unlock(nullptr);
    return out;
  }

  platform::Window window;
  std::string logPath;
};
