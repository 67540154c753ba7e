#include "textures/Random.h"

namespace {
uint32_t crtState = 1;
}

uint32_t randomSeed = 0x1BA32048u;

void crtSrand(uint32_t seed) {
    crtState = seed;
}

int crtRand() {
    crtState = crtState * 214013u + 2531011u;  // unsigned: wraps modulo 2^32
    return static_cast<int>((crtState >> 16) & 0x7FFFu);
}

float nextRandom() {
    randomSeed = randomSeed * 1664525u + 1013904223u;
    return static_cast<float>(static_cast<int32_t>(randomSeed)) * 4.656613e-10f;
}
