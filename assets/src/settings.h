// The tuning of "data.dat" and the enemy paths of "teki.dat" and "teki2.dat". The pictures take their
// frame counts from here, so the two cannot drift apart.
#pragma once
#include <vector>

namespace art {

struct GameSettings {
  int bossFrameCount;
  int stage1BossHits;
  int staffLineCount;
  int bossAnimRate;
  int bossAnimMode;
  int stage1KillsForBoss;
  int enemyFrameCount;
  int enemyAnimRate;
  int bossCallKills;
  int stage23BossHits;
};

// Values picked by playing: stage 1 lasts about a minute and a half, stages 2 and 3 two to three minutes
// each, and every boss takes some ten seconds of steady fire.
constexpr GameSettings kSettings = {
    5,   // bossFrameCount: frames 0 to 4 cycle, frame 5 repeats frame 0
    10,  // stage1BossHits
    5,   // staffLineCount: six strips
    8,   // bossAnimRate, frames per second
    1,   // bossAnimMode: cycling
    15,  // stage1KillsForBoss
    5,   // enemyFrameCount: frames 0 to 4 cycle, frame 5 repeats frame 0
    10,  // enemyAnimRate, frames per second
    20,  // bossCallKills
    19,  // stage23BossHits: the boss of stages 2 and 3 takes 20 hits
};

// The highest frame index each animation can select, plus one.
constexpr int EnemyFramesNeeded(const GameSettings& s) { return s.enemyFrameCount > 0 ? s.enemyFrameCount + 1 : 1; }
constexpr int BossFramesNeeded(const GameSettings& s) {
  return (s.bossAnimMode == 0 ? s.bossFrameCount * s.bossAnimRate : s.bossFrameCount) + 1;
}

// Path tables: speed, then (direction, distance) pairs, then the loop code 5 and the end marker 6.
// Directions: 1 right, 2 left, 3 down, 4 up. Each loop drifts right, toward the stage-2 ship, and
// comes back to the height it started at.
std::vector<int> PathC();  // "teki.dat"
std::vector<int> PathB();  // "teki2.dat"

}  // namespace art
