#pragma once
// COM start-up and the DirectX version probe have nothing to do on this platform.

#include <cstdint>

namespace platform {

constexpr int32_t S_OK = 0;

inline int32_t CoInitialize(void*)
{
    return S_OK;
}
inline void CoUninitialize() {}
// The installed DirectX version as the probe reports it: always 7.0.
inline uint32_t DirectXVersionProbe()
{
    return 0x700;
}

} // namespace platform
