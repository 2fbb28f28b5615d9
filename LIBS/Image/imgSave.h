#pragma once
// The image writers. Each returns 1 on success and 0 when the stream is not
// open, the image does not suit the writer or a write fell short.
#include "LIBS/Image/imgImage.h"

#include <cstddef>

class sStream;

int imgSaveBMP(const imgImage& image, sStream& stream, int option);
int imgSaveTGA(const imgImage& image, sStream& stream, int option);
int imgSaveRIF(const imgImage& image, sStream& stream, int compress);
int imgSaveTIFF(const imgImage& image, sStream& stream, int option);
int imgSaveRAW(const imgImage& image, sStream& stream, int option);

// Writes all bytes; false when the stream took fewer.
bool imgWriteAll(sStream& stream, const void* data, size_t size);
