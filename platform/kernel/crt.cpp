#include "crt.h"

namespace {
unsigned randomState = 1;
bool seedPinned = false;
unsigned pinnedSeed = 0;
}  // namespace

namespace platform {

void PinRandomSeed(unsigned seed) {
  seedPinned = true;
  pinnedSeed = seed;
  randomState = seed;
}

}  // namespace platform

// These replace the C library's own generator for the whole program.
extern "C" void srand(unsigned seed) noexcept { randomState = seedPinned ? pinnedSeed : seed; }

extern "C" int rand(void) noexcept {
  randomState = randomState * 214013u + 2531011u;
  return int((randomState >> 16) & 0x7FFF);
}
