// The bosses: when they come, how they are drawn, animated and steered, the stage-1 beam, and the clears.
#include <cstdlib>

#include "game.h"

bool Stage1BossPhase() { return stage.kills >= settings.stage1KillsForBoss; }

// The stage-1 clear waits for the banner of the final hit, and stage 1 shows nothing while it waits; a boss
// that needed no hit would leave the game waiting, without a picture, for a hit that cannot come.
int Stage1BossHitsNeeded() { return settings.stage1BossHits > 1 ? settings.stage1BossHits : 1; }

void AnimateBoss() {
  if (settings.bossAnimMode == 0) {
    // A fixed frame; the product is taken wide so that no setting can overflow it.
    if (stage.bossHits <= settings.bossFrameCount)
      boss.frame = float((long long)settings.bossFrameCount * settings.bossAnimRate);
    return;
  }
  boss.frame += settings.bossAnimRate * FrameTime();
  if (boss.frame > settings.bossFrameCount) boss.frame = 0;
}

void PlaceStage1Boss() {
  // It comes on screen at a random place.
  if (boss.drawn == 0) boss.x = float(rand() % 340);
}

void DrawBoss(int stageNumber) {
  int top = FrameTop(Int(boss.frame), 100);
  int x = Int(boss.x);
  if (stageNumber == 1) {
    oxDraw::DrawObject(x, 350, pictures.bos, 0, top, 200, top + 100);
    boss.drawn += 1;
  } else {
    int y = Int(boss.y);
    oxDraw::DrawObjectRotate(x, y, x + 100, y + 200, 90, pictures.bos, 0, top, 200, top + 100);
  }
}

void DrawBeam() {
  if (beam.timer > 2.0f)
    oxDraw::DrawObject(Int(boss.x) + 25, Int(beam.top), pictures.bost, 0, 0, 150, Int(beam.length));
  beam.timer += FrameTime();
  if (beam.top < -350) {
    beam.top = 350;
    beam.length = 0;
    beam.timer = 0;
  }
}

void SteerBoss(int stageNumber) {
  if (SteerTimer > 0.2f) {
    if (stageNumber == 1) {
      // One coin decides the boss's direction and enemy C's drift; the boss draws its number first.
      int coin = rand() % 2;
      if (coin == 1) {
        boss.vx = float(rand() % 120);
        enemyDrift = float(rand() % 200);
      } else {
        boss.vx = float(-(rand() % 120));
        enemyDrift = float(-(rand() % 200));
      }
    } else {
      int c1 = rand() % 2;
      int c2 = rand() % 2;
      int v = rand() % 150;
      if (c1 == 1 && c2 == 1) boss.vx = float(v);
      else if (c1 == 1) boss.vy = float(v);
      else if (c2 == 1) boss.vx = float(-v);
      else boss.vy = float(-v);
    }
    SteerTimer = 0;
  }
  SteerTimer += FrameTime();
}

void MoveBoss(int stageNumber) {
  float t = FrameTime();
  if (stageNumber == 1) {
    if (boss.x > -100 && boss.x < 540) boss.x += boss.vx * t;
    if (boss.x < -100) boss.x += 20;
    if (boss.x > 540) boss.x -= 20;
    return;
  }
  if (boss.x > -50 && boss.x < 590) boss.x += boss.vx * t;
  if (boss.y > -100 && boss.y < 380) boss.y += boss.vy * t;
  // Pushed back from an edge, it is steered anew on the next frame.
  if (boss.x < -50) {
    boss.x += 20;
    SteerTimer = 1.0f;
  }
  if (boss.x > 590) {
    boss.x -= 20;
    SteerTimer = 1.0f;
  }
  if (boss.y < -100) {
    boss.y += 20;
    SteerTimer = 1.0f;
  }
  if (boss.y > 380) {
    boss.y -= 20;
    SteerTimer = 1.0f;
  }
}

void AdvanceBeam() {
  float t = FrameTime();
  if (beam.timer > 2.0f) {
    beam.top -= 200 * t;
    if (beam.length < 330) beam.length += 200 * t;
  }
}

void CallBoss(int stageNumber) {
  if (Int(stage.kills) < settings.bossCallKills || stage.kills >= 90) return;
  DrawBossCallPrompt(stageNumber);
  // The call needs a fresh press; pad button 4 makes one on every frame.
  if (game.enterKey == 1) stage.kills = 100;
}

void SetUpField() {
  enemyC.x = -80;
  enemyC.y = float(rand() % 430);
  pathC.travelled = 0;
  enemyB.x = -80;
  enemyB.y = float(rand() % 430);
  pathB.travelled = 0;
  enemyA.x = float(rand() % 590);
  enemyA.y = -50;
  stage.kills = 0;
  stage.bossHits = 0;
  boss.x = 140;
  boss.y = 100;
}

void SetUpStage2() {
  game.staffY = 530;
  banner.state = 0;
  ship.x = 550;
  ship.y = 215;
  shot.live = 0;
  SetUpField();
}

void CheckStageClear(int stageNumber) {
  if (stageNumber == 1) {
    if (!Stage1BossPhase() || stage.bossHits < Stage1BossHitsNeeded()) return;
    boss.x = 700;
    // The clear waits for the banner of the final hit.
    if (banner.state == 1) {
      game.score += 10000;
      game.scene = 2;
      if (game.maxStage < 2) game.maxStage = 2;
      SetUpStage2();
    }
    return;
  }
  if (stage.kills != 100 || stage.bossHits <= settings.stage23BossHits) return;
  game.score += 10000;
  if (stageNumber == 2) {
    game.scene = 3;
    if (game.maxStage < 3) game.maxStage = 3;
  } else {
    if (game.maxStage < 3) game.maxStage = 3;
    game.scene = 200;
    stage.setupCounter = 0;
  }
}
