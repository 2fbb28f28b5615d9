#include "platform/cdaudio/CdAudio.h"

#include "platform/media/Media.h"

#include "platform/media/AvApi.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace platform {

namespace {

// "track03.ogg" gives 3; anything else 0.
int TrackNumber(const std::string& name)
{
    if (name.size() < 8)
        return 0;
    std::string lower;
    for (char c : name)
        lower.push_back(c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c);
    if (lower.compare(0, 5, "track") != 0 || lower[7] != '.' || !std::isdigit(uint8_t(lower[5])) ||
        !std::isdigit(uint8_t(lower[6])))
        return 0;
    return (lower[5] - '0') * 10 + (lower[6] - '0');
}

// Keep this much sound queued ahead of the play position.
constexpr uint32_t AheadMs = 500;

} // namespace

// One track file decoded to interleaved 16-bit samples.
struct CdAudio::Decoder
{
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    int stream = -1;
    int channels = 0;
    int rate = 0;
    bool draining = false;
    bool ended = false;

    ~Decoder()
    {
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&codec);
        avformat_close_input(&format);
    }

    bool Open(const std::filesystem::path& path)
    {
        if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0)
            return false;
        if (avformat_find_stream_info(format, nullptr) < 0)
            return false;
        const AVCodec* decoder = nullptr;
        stream = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
        if (stream < 0 || !decoder)
            return false;
        codec = avcodec_alloc_context3(decoder);
        if (!codec || avcodec_parameters_to_context(codec, format->streams[stream]->codecpar) < 0 ||
            avcodec_open2(codec, decoder, nullptr) < 0)
            return false;
        packet = av_packet_alloc();
        frame = av_frame_alloc();
        channels = media::OutputChannels(codec->ch_layout.nb_channels);
        rate = codec->sample_rate;
        return packet && frame && rate > 0;
    }

    uint32_t LengthMs() const
    {
        if (format->duration != AV_NOPTS_VALUE && format->duration > 0)
            return uint32_t(format->duration / (AV_TIME_BASE / 1000));
        return 0;
    }

    // Appends the next decoded samples; false once everything is decoded.
    bool Next(std::vector<int16_t>& out)
    {
        while (!ended) {
            const int r = avcodec_receive_frame(codec, frame);
            if (r == 0) {
                media::AppendS16(frame, out);
                av_frame_unref(frame);
                return true;
            }
            if (r == AVERROR_EOF) {
                ended = true;
                break;
            }
            if (draining) {
                ended = true;
                break;
            }
            const int read = av_read_frame(format, packet);
            if (read < 0) {
                // The end of the file: what the decoder still holds comes out too.
                avcodec_send_packet(codec, nullptr);
                draining = true;
                continue;
            }
            if (packet->stream_index == stream)
                avcodec_send_packet(codec, packet);
            av_packet_unref(packet);
        }
        return false;
    }
};

CdAudio::CdAudio() = default;

CdAudio::~CdAudio()
{
    Close();
}

bool CdAudio::Open(const std::vector<std::filesystem::path>& folders)
{
    Close();
    for (const auto& folder : folders) {
        std::error_code ec;
        std::filesystem::path music;
        for (const auto& e : std::filesystem::directory_iterator(folder, ec)) {
            const std::string name = e.path().filename().string();
            if (e.is_directory(ec) && name.size() == 5 && (name[0] == 'm' || name[0] == 'M') &&
                std::equal(name.begin(), name.end(), "music", [](char a, char b) { return (a | 0x20) == b; }))
                music = e.path();
        }
        if (music.empty())
            continue;
        for (const auto& e : std::filesystem::directory_iterator(music, ec)) {
            const int n = TrackNumber(e.path().filename().string());
            if (n > 0 &&
                std::none_of(tracks_.begin(), tracks_.end(), [&](const auto& t) { return t.first == n; }))
                tracks_.emplace_back(n, e.path());
        }
    }
    std::sort(tracks_.begin(), tracks_.end());
    if (tracks_.empty())
        return false;
    deviceId_ = 1;
    return true;
}

void CdAudio::Close()
{
    running_ = false;
    EndWorker();
    stream_.Close();
    tracks_.clear();
    deviceId_ = 0;
    track_ = 0;
}

int CdAudio::TrackCount() const
{
    return tracks_.empty() ? 0 : tracks_.back().first;
}

std::filesystem::path CdAudio::TrackFile(int track) const
{
    for (const auto& t : tracks_)
        if (t.first == track)
            return t.second;
    return {};
}

uint32_t CdAudio::TrackLengthMs(int track) const
{
    const auto file = TrackFile(track);
    Decoder d;
    if (file.empty() || !d.Open(file))
        return 0;
    return d.LengthMs();
}

void CdAudio::EndWorker()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
    if (worker_.joinable())
        worker_.join();
    quit_ = false;
}

bool CdAudio::Play(int track, uint32_t fromMs, Window* notify)
{
    if (!IsOpen())
        return false;
    EndWorker();
    auto decoder = std::make_unique<Decoder>();
    const auto file = TrackFile(track);
    if (file.empty() || !decoder->Open(file)) {
        std::fprintf(stderr, "CD audio: track %d (%s) cannot be played\n", track, file.string().c_str());
        return false;
    }
    if (!stream_.Open(uint16_t(decoder->channels), uint32_t(decoder->rate), 16))
        return false;
    stream_.SetGain(volume_);
    track_ = track;
    fromMs_ = fromMs;
    stoppedAtMs_ = fromMs;
    paused_ = false;
    running_ = true;
    stream_.Play();
    worker_ = std::thread(&CdAudio::Run, this, std::move(decoder), notify);
    return true;
}

void CdAudio::Run(std::unique_ptr<Decoder> d, Window* notify)
{
    const uint64_t frameBytes = uint64_t(d->channels) * 2;
    // Samples before the start position are decoded and dropped, so a position
    // found by counting samples is met exactly.
    uint64_t skip = uint64_t(fromMs_) * uint64_t(d->rate) / 1000 * frameBytes;
    std::vector<int16_t> samples;
    bool more = true;
    std::unique_lock<std::mutex> lock(mutex_);
    while (!quit_) {
        const uint64_t ahead = stream_.QueuedBytes() - std::min(stream_.QueuedBytes(), stream_.PlayedBytes());
        if (more && ahead < uint64_t(d->rate) * frameBytes * AheadMs / 1000) {
            lock.unlock();
            samples.clear();
            more = d->Next(samples);
            uint64_t bytes = samples.size() * 2;
            const uint8_t* data = reinterpret_cast<const uint8_t*>(samples.data());
            const uint64_t dropped = std::min(skip, bytes);
            skip -= dropped;
            if (bytes > dropped)
                stream_.Queue(data + dropped, size_t(bytes - dropped));
            lock.lock();
            continue;
        }
        if (!more && !paused_ && stream_.PlayedBytes() >= stream_.QueuedBytes()) {
            // The track has played to its end.
            stoppedAtMs_ = fromMs_ + uint32_t(stream_.PlayedBytes() * 1000 /
                                              std::max<uint32_t>(1, stream_.BytesPerSecond()));
            running_ = false;
            stream_.Stop();
            if (notify)
                notify->PostMessage(MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, LPARAM(deviceId_));
            break;
        }
        wake_.wait_for(lock, std::chrono::milliseconds(20));
    }
}

void CdAudio::Stop()
{
    stoppedAtMs_ = PositionMs();
    running_ = false;
    EndWorker();
    stream_.Stop();
    paused_ = false;
}

void CdAudio::Pause()
{
    std::lock_guard<std::mutex> lock(mutex_);
    paused_ = true;
    stream_.Pause();
}

void CdAudio::Resume()
{
    std::lock_guard<std::mutex> lock(mutex_);
    paused_ = false;
    stream_.Play();
}

bool CdAudio::IsPlaying()
{
    return stream_.IsPlaying();
}

uint32_t CdAudio::PositionMs()
{
    const uint32_t perSecond = stream_.BytesPerSecond();
    if (!running_ || perSecond == 0)
        return stoppedAtMs_;
    return fromMs_ + uint32_t(stream_.PlayedBytes() * 1000 / perSecond);
}

void CdAudio::SetVolume(float gain)
{
    volume_ = std::clamp(gain, 0.0f, 1.0f);
    stream_.SetGain(volume_);
}

} // namespace platform
