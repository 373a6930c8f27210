// Every hit test of shot, ship, enemies, boss and beam, and the HIT banner that follows a hit.
#include <cstdlib>

#include "game.h"

namespace {

// Boxes that only touch do not collide.
bool Touches(const Enemy& e, float size) {
  return e.y + size > ship.y && ship.y + size > e.y && ship.x + size > e.x && e.x + size > ship.x;
}

void Die(int stageNumber) {
  game.scene = 100;
  // Every way out of stage 3 makes its next visit start afresh.
  if (stageNumber == 3) stage.setupCounter = 0;
}

void ScoreStage1Hit(int points) {
  banner.state = 1;
  game.score += points;
  RaiseShip();
}

// Stage 1: the shot's y is an offset below the ship, so its height is recomputed for every test.
void TestStage1() {
  float s = Int(shot.y) + ship.y;
  if (s >= 310 && s <= 380 && Int(shot.x) >= Int(enemyA.x) - 80 && Int(shot.x) <= Int(enemyA.x) + 10) {
    ScoreStage1Hit(100);
    enemyA.x = -100;
    stage.kills += 1;
    shot.y = 500;
  }
  // Enemy C cannot be shot before the first hit of the game has shown the banner.
  s = Int(shot.y) + ship.y;
  if (banner.state <= 10 && s >= enemyC.y - 30 && s <= enemyC.y + 30 && Int(shot.x) >= Int(enemyC.x) - 30 &&
      Int(shot.x) <= Int(enemyC.x) + 30) {
    ScoreStage1Hit(1000);
    enemyC.y = -100;
    stage.kills += 1;
    enemyC.x = float(rand() % 590);
    ship.options += 1;
    shot.y = 500;
  }
  s = Int(shot.y) + ship.y;
  if (s >= enemyB.y - 50 && s <= enemyB.y + 30 && Int(shot.x) >= Int(enemyB.x) - 80 &&
      Int(shot.x) <= Int(enemyB.x) + 30) {
    ScoreStage1Hit(100);
    enemyB.y = -50;
    stage.kills += 1;
    shot.y = 500;
  }
  if (Touches(enemyC, 50)) game.scene = 100;
  if (Touches(enemyB, 50)) game.scene = 100;
}

void TestStages23(int stageNumber) {
  Enemy* const enemies[] = {&enemyA, &enemyB, &enemyC};
  float size = stageNumber == 2 ? 50 : 40;
  for (Enemy* e : enemies)
    if (Touches(*e, size)) Die(stageNumber);
  for (Enemy* e : enemies) {
    // Stage 2's shot is placed relative to the ship; stage 3's is on the screen.
    int x = stageNumber == 2 ? Int(shot.x) - (640 - Int(ship.x)) : Int(shot.x);
    int y = Int(shot.y);
    int ex = Int(e->x), ey = Int(e->y);
    if (ey < y + 30 && y < ey + 30 && ex - 30 < x && x < ex + 30) {
      banner.state = 1;
      game.score += 100;
      e->x = 700;
      if (stageNumber == 2) {
        shot.y = 600;
      } else {
        shot.x = 2000;
        shot.y = 2000;
      }
      stage.kills += 1;
    }
  }
}

}  // namespace

void TestStageCollisions(int stageNumber) {
  if (stageNumber == 1) TestStage1();
  else TestStages23(stageNumber);
}

void TestBeam() {
  if (ship.x + 10 <= boss.x + 175 && boss.x + 25 <= ship.x + 40 && beam.top <= ship.y + 10 &&
      ship.y + 10 <= beam.top + 350)
    game.scene = 100;
}

void TestBossShip(int stageNumber) {
  if (ship.y < boss.y + 200 && boss.y < ship.y + 50 && boss.x < ship.x + 50 && ship.x < boss.x + 100)
    Die(stageNumber);
}

void TestBossShot(int stageNumber) {
  if (stageNumber == 1) {
    float s = shot.y + ship.y;
    if (boss.x <= shot.x && shot.x <= boss.x + 200 && 350 < s && s < 400) {
      stage.bossHits += 1;
      banner.state = 1;
      shot.y = 500;
    }
    return;
  }
  float x = stageNumber == 2 ? shot.x - (640 - ship.x) : shot.x;
  if (boss.x <= x && x <= boss.x + 100 && boss.y < shot.y + 30 && shot.y < boss.y + 200) {
    stage.bossHits += 1;
    banner.state = 1;
    if (stageNumber == 2) {
      shot.y = 500;
    } else {
      shot.x = 2000;
      shot.y = 2000;
    }
  }
}

void DrawHitBanner() {
  if (banner.state != 1) return;
  oxDraw::DrawObject(270, 190, pictures.hit, 0, 0, 80, 50);
  banner.timer += FrameTime();
}

void UpdateHitBanner(int stageNumber) {
  if (banner.timer >= 2.0f) {
    banner.state = 0;
    banner.timer = 0;
  }
  if (stageNumber != 1 && banner.state == 1) banner.timer += FrameTime();
}
