#pragma once
// The program's texts are Windows-1252 bytes; these convert at the edges that need
// UTF-8 (window titles, message boxes, font rendering, typed characters).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

std::string Cp1252ToUtf8(std::string_view text);
// Characters without a Windows-1252 byte become `replacement`.
std::string Utf8ToCp1252(std::string_view text, char replacement = '?');
// The code points of UTF-8 text; each byte that starts no valid sequence gives `replacement`.
std::vector<uint32_t> Utf8ToCodePoints(std::string_view text, uint32_t replacement = 0xFFFD);
// The Unicode code point of one Windows-1252 byte (undefined bytes map to themselves).
uint32_t Cp1252ToCodePoint(uint8_t byte);

} // namespace platform
