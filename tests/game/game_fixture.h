// Test ground for the game's own rules: fresh records, a window and the library set up as the game's
// start-up does, in a temporary directory of the test's own.
#pragma once
#include "game.h"
#include "support/fixture.h"

namespace game_test {

// Every record of the game back to its state at program start.
void ResetRecords();

// The records only, for the rules that draw nothing.
class RecordsTest : public testing_support::HeadlessTest {
 protected:
  void SetUp() override;
};

class GameTest : public testing_support::HeadlessTest {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Queues a key event and lets the window procedure take it, as the main loop would.
  void Key(int virtualKey, bool down);
  // Joystick 0: x and y -1, 0, +1 and the button bits (1 = button 1).
  void Pad(int x, int y, unsigned buttons);
  void Pump();
  // One whole game frame (the data files are read on the first, as after start-up).
  void Frame(float seconds = 0.016f);
  bool firstFrame_ = true;
};

}  // namespace game_test
