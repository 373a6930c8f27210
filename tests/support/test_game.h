// A stand-in game for tests of the library's shell: each test says what start-up and a frame do.
#pragma once
#include <functional>

namespace test_game {
extern std::function<void()> startUp;
extern std::function<void()> frame;
void Reset();
}  // namespace test_game
