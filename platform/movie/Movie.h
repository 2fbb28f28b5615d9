#pragma once
// Movie playback: MPEG-1 (or anything ffmpeg's libraries read) decoded frame by
// frame into 16- or 32-bit pixels, its sound through the sound output, paced by
// the frames' presentation times. The decoder is flushed at the end, so the last
// frames are shown too.

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

class MovieStream
{
public:
    MovieStream();
    ~MovieStream();
    MovieStream(const MovieStream&) = delete;
    MovieStream& operator=(const MovieStream&) = delete;

    // False (with Error()) when the file has no video stream that can be decoded.
    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const;
    const std::string& Error() const;
    int Width() const;
    int Height() const;

    // The next frame, as fast as it decodes; false at the end.
    bool DecodeFrame();
    // Presentation time of the decoded frame from the start of the movie.
    int64_t FrameTimeMs() const;
    // The decoded frame as pixels: 32 bits 0x00RRGGBB or 16 bits 5-6-5.
    bool CopyFrame(void* pixels, int pitch, int bitsPerPixel);

    // Paced playback: the movie clock and the sound run while playing.
    void Play();
    void Stop();
    bool IsPlaying() const;
    // Back to the first frame.
    bool Rewind();
    // Decodes the next frame and waits until its time has come; false at the end.
    bool Update();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace platform
