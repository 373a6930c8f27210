#include "test_game.h"

#include "ox.h"

namespace test_game {
std::function<void()> startUp;
std::function<void()> frame;
void Reset() {
  startUp = nullptr;
  frame = nullptr;
}
}  // namespace test_game

void GameStartUp() {
  if (test_game::startUp) test_game::startUp();
}

void GameFrame() {
  if (test_game::frame) test_game::frame();
}
