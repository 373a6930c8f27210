// The game's records, the data files it reads and the high-score file it keeps.
#include <cstdio>

#include "game.h"

GameState game;
GameSettings settings;
GamePictures pictures;
PlayerShip ship;
PlayerShot shot;
OrbitState orbit;
Enemy enemyA, enemyB, enemyC;
EnemyPath pathC, pathB;
float enemyAnimation = 0.0f;
float enemyDrift = 0.0f;
HitBanner banner;
Boss boss;
BossBeam beam;
float SteerTimer = 0.0f;
StageState stage;

namespace {

const char kHighScoreFile[] = "zqt.sss";
// The new content goes here first, so that the high-score file always holds a whole pair.
const char kHighScoreTemp[] = "zqt.sss.tmp";

}  // namespace

void ReadSettings(const char* file) {
  FILE* in = std::fopen(file, "rt");
  if (!in) return;
  int* values[] = {&settings.bossFrameCount,   &settings.stage1BossHits,    &settings.staffLineCount,
                   &settings.bossAnimRate,     &settings.bossAnimMode,      &settings.stage1KillsForBoss,
                   &settings.enemyFrameCount,  &settings.enemyAnimRate,     &settings.bossCallKills,
                   &settings.stage23BossHits};
  // A value that cannot be read leaves its setting as it was.
  for (int* value : values) oxSystem::ScanInt(in, value);
  std::fclose(in);
}

void LoadPath(const char* file, EnemyPath* path) {
  FILE* in = std::fopen(file, "rt");
  if (!in) return;
  for (int i = 0; i < kPathSize; ++i) {
    // A word stops the reading as the end of the file does: it cannot be read past.
    if (oxSystem::ScanInt(in, &path->table[i]) != 1) break;
    if (path->table[i] == 6) break;
  }
  std::fclose(in);
}

void ReadHighScore() {
  game.highScore = 0;
  game.maxStage = 0;
  FILE* in = std::fopen(kHighScoreFile, "rt");
  if (!in) return;  // no file yet: no best score, no stage reached
  oxSystem::ScanInt(in, &game.highScore);
  oxSystem::ScanInt(in, &game.maxStage);
  std::fclose(in);
}

int WriteHighScore() {
  int best = game.score > game.highScore ? game.score : game.highScore;
  FILE* out = std::fopen(kHighScoreTemp, "wt");
  if (!out) return 0;  // a directory we cannot write to: the old file stays as it is
  bool written = std::fprintf(out, "%d %d", best, game.maxStage) > 0;
  written = std::fclose(out) == 0 && written;
  if (written && MoveFileExA(kHighScoreTemp, kHighScoreFile, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return 1;
  std::remove(kHighScoreTemp);
  return 0;
}

void ResetForTitle() {
  game.score = 0;
  ship.options = 2;
  ship.x = 295;
  enemyA.x = enemyB.x = enemyC.x = 650;
  boss.x = 440;
  ship.y = 100;
  boss.y = 470;
  shot.y = 500;
  beam.length = 0;
  enemyC.y = -50;
  banner.state = 20;
  stage.kills = 0;
  stage.bossHits = 0;
  boss.drawn = 0;
  boss.frame = 0;
  enemyAnimation = 0;
  stage.bannerTimer = 0;
  pathC.cursor = 1;
  pathB.cursor = 1;
  game.staffY = 0;
  game.staffLine = 0;
  ReadHighScore();
}
