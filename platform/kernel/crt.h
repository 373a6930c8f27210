// The Windows C runtime's random generator, so that one seed gives the same game on both systems.
#pragma once

namespace platform {

// From now on srand ignores its argument and seeds with `seed` (the --seed switch).
void PinRandomSeed(unsigned seed);

}  // namespace platform
