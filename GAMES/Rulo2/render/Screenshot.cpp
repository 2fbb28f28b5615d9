#include "GAMES/Rulo2/render/Screenshot.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "GAMES/Rulo2/DirectX.h"
#include "LIBS/Image/imgSave.h"
#include "LIBS/System/LogPrintf.h"
#include "platform/files/AtomicFile.h"
#include "platform/files/WinPath.h"

int32_t SnapshotCounter = 0;

namespace {

int32_t BackBufferDepth()
{
    DDSURFACEDESC2 desc;
    if (!DX.backSurface || DX.backSurface->GetSurfaceDesc(&desc) != DD_OK)
        return 0;
    return int32_t(desc.ddpfPixelFormat.dwRGBBitCount);
}

} // namespace

std::string SnapshotPath(int32_t number)
{
    char name[32];
    std::snprintf(name, sizeof name, "c:\\snapshot%05d.bmp", number);
    return platform::ResolvePath(name).string();
}

bool WriteSnapshot()
{
    if (BackBufferDepth() != 32)
        return false;
    return WriteSnapshot(SnapshotCounter++);
}

bool WriteSnapshot(int32_t number)
{
    if (BackBufferDepth() != 32)
        return false;
    return WriteBmpFile(SnapshotPath(number).c_str());
}

bool WriteBmpFile(const char* name)
{
    IDirectDrawSurface7* surface = DX.backSurface;
    const int32_t depth = BackBufferDepth();
    if (!name || (depth != 32 && depth != 16))
        return false;
    const int bytes = depth == 32 ? 3 : 2;
    DDSURFACEDESC2 desc;
    if (surface->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_READONLY, nullptr) != DD_OK) {
        LogPrintf("Snapshot '%s': the back buffer cannot be read", name);
        return false;
    }
    const uint32_t width = desc.dwWidth, height = desc.dwHeight;
    const size_t rowBytes = (size_t(width) * size_t(bytes) + 3) & ~size_t(3);
    const size_t imageBytes = rowBytes * height;
    std::vector<uint8_t> out(imgBmpHeaderSize + imageBytes, 0);
    imgBmpHeader(out.data(), width, height, uint32_t(bytes * 8), 0);
    const int source = depth / 8;
    const auto* pixels = static_cast<const uint8_t*>(desc.lpSurface);
    // Bottom-up: the last screen row comes first.
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* row = pixels + size_t(height - 1 - y) * size_t(desc.lPitch);
        uint8_t* dest = out.data() + imgBmpHeaderSize + size_t(y) * rowBytes;
        for (uint32_t x = 0; x < width; ++x)
            std::memcpy(dest + size_t(x) * size_t(bytes), row + size_t(x) * size_t(source), size_t(bytes));
    }
    surface->Unlock(nullptr);

    const auto r = platform::WriteFileAtomically(name, out.data(), out.size());
    if (!r) {
        LogPrintf("Snapshot '%s' cannot be written: %s", name,
                  r.step == platform::AtomicWriteResult::Write ? "write failed" : r.error.message().c_str());
        return false;
    }
    return true;
}
