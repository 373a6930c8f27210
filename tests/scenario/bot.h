// A player for the whole program under the headless host. After every presentation it reads the game's
// records, as a player reads the screen, and answers with key events for the next frame. The events it makes
// are the lines of an input script, so what it played can be replayed by the program itself.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "host/headless/headless.h"

namespace bot {

enum class Goal {
  PlayThrough,  // every stage, the staff roll, the result and back to the title
  Contact,      // stage 1, flown into an enemy
  Sinking,      // stage 1, dodging without a shot until the ship sinks to the bottom line
  Beam,         // stage 1, through the kills to the boss, then under its beam
};

bool GoalNamed(const std::string& name, Goal* goal);

class Player {
 public:
  explicit Player(Goal goal) : goal_(goal) {}
  // The events for the frame after script frame `frame`, added to `out`; the script's lines go to `lines`.
  void Decide(int frame, std::vector<host::ScriptedEvent>* out);
  // The script played so far, with a comment at each change of scene.
  const std::vector<std::string>& Lines() const { return lines_; }
  // The run has come where its goal leads: the script ends there.
  bool Done() const { return done_; }

 private:
  void Hold(int key, bool down);
  void Tap(int key);
  void Steer(float at, float target, int less, int more);
  void Title();
  void Stage1();
  void Stage2();
  void Stage3();
  void StageThreeBoss();

  Goal goal_;
  int frame_ = 0;
  int lastScene_ = -1;
  int sceneFrames_ = 0;
  int titlesSeen_ = 0;
  bool done_ = false;
  std::map<int, bool> held_;
  std::map<int, int> release_;  // key -> frame at which a tap is let go
  std::vector<host::ScriptedEvent>* out_ = nullptr;
  std::vector<std::string> lines_;
};

// Runs the program's WinMain in this process under `host`, as `radire --headless --seed SEED` does.
int RunProgramInProcess(host::HeadlessHost& host, unsigned seed);

}  // namespace bot
