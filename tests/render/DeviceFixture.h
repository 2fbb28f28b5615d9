// The game's device in a small window, made as at start-up, with the log captured.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/Enumerate.h"
#include "GAMES/Rulo2/Texture.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "LIBS/System/LogPrintf.h"
#include "tests/support/TestDevice.h"

class DeviceFixture : public ::testing::Test
{
protected:
    static inline uint8_t logging = 1;

    void SetUp() override
    {
        folder = std::filesystem::temp_directory_path() /
                 ("varek_textures_" + std::to_string(::getpid()) + "_" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        logPath = (folder / "log.txt").string();
        LogPrintfSetTarget(&logging, logPath.c_str());
        ASSERT_NO_FATAL_FAILURE(device.Open(64, 64));
    }

    void TearDown() override
    {
        while (CTexture::First())
            delete CTexture::First();
        device.Close();
        LogPrintfSetTarget(nullptr, nullptr);
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }

    // Forgets what the device set-up logged.
    void clearLog() const { std::ofstream(logPath, std::ios::trunc); }

    std::string logText() const
    {
        std::ifstream in(logPath);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    int logCount(const std::string& needle) const
    {
        const std::string s = logText();
        int n = 0;
        for (size_t p = s.find(needle); p != std::string::npos; p = s.find(needle, p + 1))
            ++n;
        return n;
    }

    TestDevice device;
    std::filesystem::path folder;
    std::string logPath;
};
