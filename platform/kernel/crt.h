// The Windows C runtime's random generator, so that one seed gives the same game on both systems.
#pragma once

namespace platform {

// From now on srand ignores its argument and seeds with `seed` (the --seed switch).
void PinRandomSeed(unsigned seed);
// Records of format 1 were made while the shared libraries drew on the program's generator: replaying one,
// they do again, and `DrawRandom` stands in for the draws made where the record cannot show them.
void ShareRandomWithLibraries(bool share);
void DrawRandom(int count);

}  // namespace platform
