#pragma once
// What the music and movie players share of ffmpeg's libraries: the samples of a
// decoded audio frame as interleaved signed 16-bit, and ffmpeg's error texts.

#include <cstdint>
#include <string>
#include <vector>

struct AVFrame;

namespace platform::media {

// The channels played: the first two of the stream, or its one.
int OutputChannels(int streamChannels);
// Appends the frame's samples; false for a sample format it does not know.
bool AppendS16(const AVFrame* frame, std::vector<int16_t>& out);
std::string ErrorText(int averror);

} // namespace platform::media
