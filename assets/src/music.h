#pragma once
#include <cstdint>
#include <vector>

namespace art {

// "MAIN.MID": a standard MIDI file of format 1 that loops seamlessly from its end to its start.
std::vector<uint8_t> ComposeMainTheme();

}  // namespace art
