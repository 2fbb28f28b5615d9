#pragma once
// The original C run-time's behaviour where glibc's differs and stored results
// depend on it: the rand/srand sequence, and fixed-point formatting that rounds an
// exact half away from zero.

#include <cstddef>
#include <string>

namespace crt {

constexpr int RandMax = 0x7FFF; // the largest rand() result

// Per thread, as in the multi-threaded run-time; a thread starts with seed 1.
void srand(unsigned int seed);
// seed = seed * 214013 + 2531011; result = bits 16..30 of the seed (0..32767).
int rand();

// "%.<precision>f" of the original: the number is taken to 17 significant digits and
// rounded there, halves away from zero (0.5 -> "1", 2.5 -> "3", 0.125 at 2 -> "0.13").
std::string FormatFixed(double value, int precision);

// printf-style formatting where %f and %F follow FormatFixed; every other conversion
// is glibc's. %n is not supported (it is skipped).
int snprintf(char* buffer, std::size_t size, const char* format, ...) __attribute__((format(printf, 3, 4)));
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace crt
