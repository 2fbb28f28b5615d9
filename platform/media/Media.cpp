#include "platform/media/Media.h"

#include "platform/media/AvApi.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace platform::media {

int OutputChannels(int streamChannels)
{
    return streamChannels >= 2 ? 2 : 1;
}

namespace {

int16_t FromFloat(double v)
{
    return int16_t(std::lround(std::clamp(v, -1.0, 1.0) * 32767.0));
}

// One sample of channel c at index i, as a value in -1..1 or 16-bit.
int16_t Sample(const AVFrame* f, AVSampleFormat format, int c, int i, int channels)
{
    const bool planar = av_sample_fmt_is_planar(format);
    const uint8_t* base = planar ? f->extended_data[c] : f->extended_data[0];
    const int index = planar ? i : i * channels + c;
    switch (format) {
    case AV_SAMPLE_FMT_U8:
    case AV_SAMPLE_FMT_U8P:
        return int16_t((int(base[index]) - 128) << 8);
    case AV_SAMPLE_FMT_S16:
    case AV_SAMPLE_FMT_S16P: {
        int16_t v;
        std::memcpy(&v, base + size_t(index) * 2, 2);
        return v;
    }
    case AV_SAMPLE_FMT_S32:
    case AV_SAMPLE_FMT_S32P: {
        int32_t v;
        std::memcpy(&v, base + size_t(index) * 4, 4);
        return int16_t(v >> 16);
    }
    case AV_SAMPLE_FMT_FLT:
    case AV_SAMPLE_FMT_FLTP: {
        float v;
        std::memcpy(&v, base + size_t(index) * 4, 4);
        return FromFloat(v);
    }
    case AV_SAMPLE_FMT_DBL:
    case AV_SAMPLE_FMT_DBLP: {
        double v;
        std::memcpy(&v, base + size_t(index) * 8, 8);
        return FromFloat(v);
    }
    default:
        return 0;
    }
}

} // namespace

bool AppendS16(const AVFrame* frame, std::vector<int16_t>& out)
{
    const auto format = AVSampleFormat(frame->format);
    switch (format) {
    case AV_SAMPLE_FMT_U8:
    case AV_SAMPLE_FMT_U8P:
    case AV_SAMPLE_FMT_S16:
    case AV_SAMPLE_FMT_S16P:
    case AV_SAMPLE_FMT_S32:
    case AV_SAMPLE_FMT_S32P:
    case AV_SAMPLE_FMT_FLT:
    case AV_SAMPLE_FMT_FLTP:
    case AV_SAMPLE_FMT_DBL:
    case AV_SAMPLE_FMT_DBLP:
        break;
    default:
        return false;
    }
    const int channels = frame->ch_layout.nb_channels;
    if (channels < 1)
        return false;
    const int outChannels = OutputChannels(channels);
    out.reserve(out.size() + size_t(frame->nb_samples) * size_t(outChannels));
    for (int i = 0; i < frame->nb_samples; ++i)
        for (int c = 0; c < outChannels; ++c)
            out.push_back(Sample(frame, format, c, i, channels));
    return true;
}

std::string ErrorText(int averror)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(averror, text, sizeof text);
    return text;
}

} // namespace platform::media
