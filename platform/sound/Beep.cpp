#include "platform/sound/Sound.h"

#include <cmath>
#include <vector>

namespace platform {

bool Beep(uint32_t frequency, uint32_t milliseconds)
{
    constexpr uint32_t kRate = 22050;
    if (frequency == 0 || milliseconds == 0)
        return false;
    PcmStream stream;
    if (!stream.Open(1, kRate, 16))
        return false;
    const size_t count = size_t(kRate) * milliseconds / 1000;
    std::vector<int16_t> samples(count);
    const double step = 2.0 * 3.14159265358979 * frequency / kRate;
    for (size_t i = 0; i < count; ++i)
        samples[i] = int16_t(std::lround(std::sin(step * double(i)) * 12000.0));
    stream.Queue(samples.data(), samples.size() * sizeof(int16_t));
    stream.Play();
    // The tone plays in real time; the wait ends when it has, or a little after its length
    // when the output stalls.
    const uint32_t start = timeGetTime();
    while (stream.PlayedBytes() < samples.size() * sizeof(int16_t) &&
           timeGetTime() - start < milliseconds + 200)
        Sleep(5);
    stream.Close();
    return true;
}

} // namespace platform
