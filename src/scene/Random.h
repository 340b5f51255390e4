#pragma once

// Random numbers for the effect objects and the particles. The program draws from the C library's
// generator, scaled to 0..RandomMax on every platform (glibc's rand reaches 2^31 - 1, but every
// formula that uses these numbers divides by 32767). Tests install a fixed sequence instead.
inline constexpr int RandomMax = 32767;

using RandomSource = int (*)();

// The next number of the current source, 0..RandomMax.
int nextRandom();

// std::rand, scaled to 0..RandomMax; the source in the program.
int standardRandom();

// Installs a source and returns the one it replaces, so that a test can put it back.
RandomSource setRandomSource(RandomSource source);
