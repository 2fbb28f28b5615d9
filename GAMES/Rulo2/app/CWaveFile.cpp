#include "GAMES/Rulo2/app/CWaveFile.h"

#include "platform/files/WinPath.h"

bool CWaveFile::open(const char* path)
{
    close();
    if (!path || !*path) {
        lastError = "no file name";
        return false;
    }
    if (!reader.Open(platform::ResolvePath(path).string())) {
        lastError = reader.Error();
        return false;
    }
    formatBlock = reader.FormatBlock();
    avgBytesPerSec = reader.Format().nAvgBytesPerSec;
    dataSize = reader.DataSize();
    durationMs = uint32_t(uint64_t(dataSize) * 1000 / avgBytesPerSec);
    bytesRead = 0;
    lastError.clear();
    return true;
}

bool CWaveFile::reset()
{
    bytesRead = 0;
    return reader.Reset();
}

uint32_t CWaveFile::read(void* buffer, uint32_t bytes)
{
    const uint32_t n = reader.Read(buffer, bytes);
    bytesRead = reader.BytesRead();
    return n;
}

void CWaveFile::close()
{
    reader.Close();
    formatBlock.clear();
    durationMs = avgBytesPerSec = dataSize = bytesRead = 0;
}

uint8_t CWaveFile::silenceByte() const
{
    return reader.Format().wBitsPerSample == 8 ? 128 : 0;
}
