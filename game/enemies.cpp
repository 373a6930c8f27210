// The three enemies: drawing with the shared animation, the stage-1 rules and the two path tables.
#include <cstdlib>

#include "game.h"

namespace {

void DrawEnemyAt(int x, int y, int stageNumber) {
  // Stage 1 animates through the frames of the sheet, stacked downward; the other stages show frame 0.
  int top = stageNumber == 1 ? FrameTop(Int(enemyAnimation), 50) : 0;
  oxDraw::DrawObject(x, y, pictures.teki, 0, top, 50, top + 50);
}

}  // namespace

void AdvanceEnemyAnimation() {
  if (settings.enemyFrameCount <= 0) return;
  enemyAnimation += settings.enemyAnimRate * FrameTime();
  if (enemyAnimation > settings.enemyFrameCount) enemyAnimation = 0;
}

// Takes back the two advances made between the draws, then makes the frame's own step.
void SettleEnemyAnimation() {
  if (settings.enemyFrameCount <= 0) return;
  float s = settings.enemyAnimRate * FrameTime();
  if (2 * s <= enemyAnimation) enemyAnimation -= 2 * s;
  enemyAnimation += s;
  if (enemyAnimation > settings.enemyFrameCount) enemyAnimation = 0;
}

void DrawEnemies(int stageNumber) {
  DrawEnemyAt(Int(enemyC.x), Int(enemyC.y), stageNumber);
  AdvanceEnemyAnimation();
  // Stage 1's enemy A runs along the bottom line.
  DrawEnemyAt(Int(enemyA.x), stageNumber == 1 ? 350 : Int(enemyA.y), stageNumber);
  AdvanceEnemyAnimation();
  DrawEnemyAt(Int(enemyB.x), Int(enemyB.y), stageNumber);
}

int PathEntry(const EnemyPath& path, int index) {
  // A path without an end marker cannot lead the cursor out of its table: beyond it, everything is 0.
  return index >= 0 && index < kPathSize ? path.table[index] : 0;
}

void StepPath(Enemy* enemy, EnemyPath* path) {
  int d = PathEntry(*path, path->cursor);
  float v = PathEntry(*path, 0) * FrameTime();
  switch (d) {
    case 1: enemy->x += v; path->travelled += v; break;
    case 2: enemy->x -= v; path->travelled += v; break;
    case 3: enemy->y += v; path->travelled += v; break;
    case 4: enemy->y -= v; path->travelled += v; break;
    case 5: path->cursor = 1; break;
    default: break;  // the end marker and unknown codes move nothing
  }
  if (enemy->x > 640) {
    enemy->y = float(rand() % 430);
    enemy->x = -80;
  }
}

void AdvancePathCursor(EnemyPath* path) {
  if (PathEntry(*path, path->cursor + 1) < path->travelled) {
    path->travelled = 0;
    path->cursor += 2;
  }
}

void ReenterEnemyC() {
  if (enemyC.y > 480) {
    enemyC.y = -50;
    enemyC.x = float(rand() % 590);
  }
}

void ReenterEnemyB() {
  if (enemyB.y <= -50) {
    enemyB.y = 530;
    enemyB.x = float(rand() % 590);
  }
}

void MoveEnemiesStage1() {
  float t = FrameTime();
  enemyA.x += 350 * t;
  enemyC.y += 100 * t;
  enemyB.y -= 180 * t;
  enemyC.x += enemyDrift * t;
}

void WrapEnemyA() {
  if (enemyA.x > 690) enemyA.x = -150;
}

void FallEnemyA() {
  enemyA.y += 200 * FrameTime();
  if (enemyA.y > 480) {
    enemyA.y = -100;
    enemyA.x = float(rand() % 590);
  }
}
