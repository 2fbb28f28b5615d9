#pragma once
// The image writers. Each returns 1 on success and 0 when the stream is not
// open, the image does not suit the writer or a write fell short.
#include "LIBS/Image/imgImage.h"

#include <cstddef>
#include <cstdint>

class sStream;

int imgSaveBMP(const imgImage& image, sStream& stream, int option);
int imgSaveTGA(const imgImage& image, sStream& stream, int option);
int imgSaveRIF(const imgImage& image, sStream& stream, int compress);
int imgSaveTIFF(const imgImage& image, sStream& stream, int option);
int imgSaveRAW(const imgImage& image, sStream& stream, int option);

// The 54 bytes that open an uncompressed BMP file: `width` x `height` pixels of
// `bitsPerPixel`, rows padded to 4 bytes and stored bottom row first.
constexpr size_t imgBmpHeaderSize = 54;
void imgBmpHeader(uint8_t* out, uint32_t width, uint32_t height, uint32_t bitsPerPixel,
                  uint32_t pixelsPerMetre);

// Writes all bytes; false when the stream took fewer.
bool imgWriteAll(sStream& stream, const void* data, size_t size);
