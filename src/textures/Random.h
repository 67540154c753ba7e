// Random: the system's two pseudo-random generators. Both keep one state for the whole program,
// so what a caller draws depends on every earlier draw unless it seeds the generator itself.
// The procedural textures draw from the C-runtime-style pair (crtSrand / crtRand, whose sequence
// is fixed here rather than left to the platform's C library); the star field and the swish draw
// from nextRandom.
#pragma once

#include <cstdint>

// C-runtime-style generator: state 1 at program start; rand returns 0 to 32767.
void crtSrand(uint32_t seed);
int crtRand();

// nextRandom: its own state randomSeed, 0x1BA32048 at program start; returns a value in [-1, 1).
extern uint32_t randomSeed;
float nextRandom();
