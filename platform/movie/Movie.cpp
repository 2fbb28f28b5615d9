#include "platform/movie/Movie.h"

#include "platform/media/Media.h"
#include "platform/sound/Sound.h"

#include "platform/media/AvApi.h"

#include <chrono>
#include <thread>
#include <vector>

namespace platform {

using Clock = std::chrono::steady_clock;

struct MovieStream::Impl
{
    AVFormatContext* format = nullptr;
    AVCodecContext* video = nullptr;
    AVCodecContext* audio = nullptr;
    int videoStream = -1;
    int audioStream = -1;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    AVFrame* audioFrame = nullptr;
    SwsContext* scaler = nullptr;
    bool draining = false;
    bool ended = false;
    bool haveFrame = false;
    int64_t frameMs = 0;
    std::string error;
    PcmStream sound;
    std::vector<int16_t> samples;
    // The movie clock: time played before the last start, and that start.
    bool playing = false;
    Clock::duration played{};
    Clock::time_point started;

    ~Impl() { Close(); }

    void Close()
    {
        sound.Close();
        // A stream never opened has nothing to free: its close loads no decoder library.
        if (scaler || frame || audioFrame || packet || video || audio || format) {
            sws_freeContext(scaler);
            scaler = nullptr;
            av_frame_free(&frame);
            av_frame_free(&audioFrame);
            av_packet_free(&packet);
            avcodec_free_context(&video);
            avcodec_free_context(&audio);
            avformat_close_input(&format);
        }
        videoStream = audioStream = -1;
        draining = ended = haveFrame = playing = false;
        played = {};
    }

    static AVCodecContext* OpenDecoder(AVFormatContext* f, int index)
    {
        const AVCodec* codec = avcodec_find_decoder(f->streams[index]->codecpar->codec_id);
        if (!codec)
            return nullptr;
        AVCodecContext* c = avcodec_alloc_context3(codec);
        if (!c || avcodec_parameters_to_context(c, f->streams[index]->codecpar) < 0 ||
            avcodec_open2(c, codec, nullptr) < 0) {
            avcodec_free_context(&c);
            return nullptr;
        }
        return c;
    }

    void DrainAudio()
    {
        while (audio && avcodec_receive_frame(audio, audioFrame) == 0) {
            samples.clear();
            media::AppendS16(audioFrame, samples);
            if (!samples.empty())
                sound.Queue(samples.data(), samples.size() * 2);
            av_frame_unref(audioFrame);
        }
    }

    bool Decode()
    {
        while (!ended) {
            const int r = avcodec_receive_frame(video, frame);
            if (r == 0) {
                const AVStream* s = format->streams[videoStream];
                int64_t pts = frame->best_effort_timestamp;
                if (pts == AV_NOPTS_VALUE)
                    pts = 0;
                if (s->start_time != AV_NOPTS_VALUE)
                    pts -= s->start_time;
                frameMs = av_rescale_q(pts, s->time_base, AVRational{1, 1000});
                haveFrame = true;
                return true;
            }
            if (r == AVERROR_EOF || (r != AVERROR(EAGAIN)) || draining) {
                ended = true;
                break;
            }
            if (av_read_frame(format, packet) < 0) {
                // The end of the file: the decoders give what they still hold.
                avcodec_send_packet(video, nullptr);
                if (audio) {
                    avcodec_send_packet(audio, nullptr);
                    DrainAudio();
                }
                draining = true;
                continue;
            }
            if (packet->stream_index == videoStream) {
                avcodec_send_packet(video, packet);
            } else if (audio && packet->stream_index == audioStream) {
                avcodec_send_packet(audio, packet);
                DrainAudio();
            }
            av_packet_unref(packet);
        }
        return false;
    }

    Clock::duration Elapsed() const { return playing ? played + (Clock::now() - started) : played; }
};

MovieStream::MovieStream() : impl_(std::make_unique<Impl>()) {}

MovieStream::~MovieStream() = default;

bool MovieStream::Open(const std::string& path)
{
    Impl& m = *impl_;
    m.Close();
    m.error.clear();
    int r = avformat_open_input(&m.format, path.c_str(), nullptr, nullptr);
    if (r < 0) {
        m.error = path + ": " + media::ErrorText(r);
        return false;
    }
    if ((r = avformat_find_stream_info(m.format, nullptr)) < 0) {
        m.error = path + ": " + media::ErrorText(r);
        m.Close();
        return false;
    }
    m.videoStream = av_find_best_stream(m.format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (m.videoStream < 0 || !(m.video = Impl::OpenDecoder(m.format, m.videoStream))) {
        m.error = path + ": no video stream that can be decoded";
        m.Close();
        return false;
    }
    m.audioStream = av_find_best_stream(m.format, AVMEDIA_TYPE_AUDIO, -1, m.videoStream, nullptr, 0);
    if (m.audioStream >= 0)
        m.audio = Impl::OpenDecoder(m.format, m.audioStream);
    m.packet = av_packet_alloc();
    m.frame = av_frame_alloc();
    m.audioFrame = av_frame_alloc();
    // A movie without a sound device still plays, silently.
    if (m.audio && !m.sound.Open(uint16_t(media::OutputChannels(m.audio->ch_layout.nb_channels)),
                                 uint32_t(m.audio->sample_rate), 16)) {
        avcodec_free_context(&m.audio);
    }
    return true;
}

void MovieStream::Close()
{
    impl_->Close();
}

bool MovieStream::IsOpen() const
{
    return impl_->format != nullptr;
}

const std::string& MovieStream::Error() const
{
    return impl_->error;
}

int MovieStream::Width() const
{
    return impl_->video ? impl_->video->width : 0;
}

int MovieStream::Height() const
{
    return impl_->video ? impl_->video->height : 0;
}

bool MovieStream::DecodeFrame()
{
    return IsOpen() && impl_->Decode();
}

int64_t MovieStream::FrameTimeMs() const
{
    return impl_->frameMs;
}

bool MovieStream::CopyFrame(void* pixels, int pitch, int bitsPerPixel)
{
    Impl& m = *impl_;
    if (!m.haveFrame || !pixels || (bitsPerPixel != 16 && bitsPerPixel != 32))
        return false;
    const AVPixelFormat target = bitsPerPixel == 32 ? AV_PIX_FMT_BGR0 : AV_PIX_FMT_RGB565LE;
    m.scaler =
        sws_getCachedContext(m.scaler, m.frame->width, m.frame->height, AVPixelFormat(m.frame->format),
                             m.frame->width, m.frame->height, target, SWS_BICUBIC, nullptr, nullptr, nullptr);
    if (!m.scaler)
        return false;
    uint8_t* planes[4] = {static_cast<uint8_t*>(pixels), nullptr, nullptr, nullptr};
    int pitches[4] = {pitch, 0, 0, 0};
    return sws_scale(m.scaler, m.frame->data, m.frame->linesize, 0, m.frame->height, planes, pitches) > 0;
}

void MovieStream::Play()
{
    Impl& m = *impl_;
    if (!IsOpen() || m.playing)
        return;
    m.playing = true;
    m.started = Clock::now();
    m.sound.Play();
}

void MovieStream::Stop()
{
    Impl& m = *impl_;
    if (!m.playing)
        return;
    m.played = m.Elapsed();
    m.playing = false;
    m.sound.Pause();
}

bool MovieStream::IsPlaying() const
{
    return impl_->playing;
}

bool MovieStream::Rewind()
{
    Impl& m = *impl_;
    if (!IsOpen())
        return false;
    if (av_seek_frame(m.format, -1, 0, AVSEEK_FLAG_BACKWARD) < 0 &&
        avformat_seek_file(m.format, -1, INT64_MIN, 0, 0, 0) < 0)
        return false;
    avcodec_flush_buffers(m.video);
    if (m.audio)
        avcodec_flush_buffers(m.audio);
    const bool wasPlaying = m.playing;
    m.sound.Stop();
    m.draining = m.ended = m.haveFrame = false;
    m.played = {};
    m.started = Clock::now();
    if (wasPlaying)
        m.sound.Play();
    return true;
}

bool MovieStream::Update()
{
    Impl& m = *impl_;
    if (!IsOpen() || !m.Decode())
        return false;
    // A synchronous update: the frame is handed over when its time has come.
    const auto due = std::chrono::milliseconds(m.frameMs);
    const auto elapsed = m.Elapsed();
    if (m.playing && due > elapsed)
        std::this_thread::sleep_for(due - elapsed);
    return true;
}

} // namespace platform
