// One frame of each stage. The order of the steps decides what is drawn with which values, which test sees
// which positions and which change of scene wins, so every step runs, even after a death.
#include "game.h"

namespace {

void DrawBackground() { oxDraw::DrawObject(0, 0, pictures.haikei, 0, 0, 640, 480); }

bool Stage1BossAlive() { return stage.bossHits < Stage1BossHitsNeeded(); }

// The boss steps of stages 2 and 3 after the normal-phase tests, then the clear.
void RunBossPhase(int stageNumber) {
  TestBossShip(stageNumber);
  TestBossShot(stageNumber);
  SteerBoss(stageNumber);
  MoveBoss(stageNumber);
  CheckStageClear(stageNumber);
}

}  // namespace

void RunStage1Frame() {
  ReadStageInput(1);
  if (!Stage1BossPhase()) ReenterEnemyC();
  ship.vx = 0;
  if (Stage1BossAlive()) oxDraw::ClearScreen();
  DrawBackground();
  DrawShip(1);
  if (!Stage1BossPhase()) DrawEnemies(1);
  DrawHitBanner();
  FireShot(1);
  UpdateShotInFlight(1);
  if (Stage1BossPhase()) {
    PlaceStage1Boss();
    DrawBoss(1);
    DrawBeam();
    AnimateBoss();
    TestBeam();
  }
  oxDraw::ShowFps();
  DrawOptionsLine();
  DrawScoreLine();
  if (Stage1BossAlive()) {
    oxDraw::Flip();
    if (ship.y >= 350) game.scene = 100;  // sunk to the bottom line
  }
  ControlShip(1);
  if (!Stage1BossPhase()) TestStageCollisions(1);
  if (Stage1BossPhase()) TestBossShot(1);
  // A clear sets up stage 2; the rest of this list still runs, on the new positions.
  CheckStageClear(1);
  if (!Stage1BossPhase()) ReenterEnemyB();
  UpdateHitBanner(1);
  SteerBoss(1);
  SettleEnemyAnimation();
  MoveShot(1);
  MoveEnemiesStage1();
  MoveShip(1);
  MoveBoss(1);
  AdvanceBeam();
  if (!Stage1BossPhase()) WrapEnemyA();
  JumpShip();
  SinkShip();
}

void RunStage2Frame() {
  float t = FrameTime();
  ReadStageInput(2);
  StepPath(&enemyC, &pathC);
  StepPath(&enemyB, &pathB);
  ControlShip(2);
  MoveShip(2);
  MoveShot(2);
  stage.bannerTimer += t;
  oxDraw::ClearScreen();
  // Drawn before the background, the title shows only through its transparent pixels.
  if (stage.bannerTimer < 3) DrawStageTitle(2);
  DrawBackground();
  FireShot(2);
  DrawHitBanner();
  if (stage.kills != 100) DrawEnemies(2);
  UpdateShotInFlight(2);
  DrawShip(2);
  if (stage.kills == 100) {
    DrawBoss(2);
    AnimateBoss();
  }
  DrawScoreLine();
  oxDraw::ShowFps();
  CallBoss(2);
  oxDraw::Flip();
  AdvancePathCursor(&pathC);
  AdvancePathCursor(&pathB);
  ship.vx = 0;
  ship.vy = 0;
  FallEnemyA();
  if (stage.kills < 100) TestStageCollisions(2);
  UpdateHitBanner(2);
  SettleEnemyAnimation();
  if (stage.kills == 100) RunBossPhase(2);
}

void SetUpStage3() {
  shot.live = 0;
  stage.bannerTimer = 0;
  stage.kills = 0;
  game.staffY = 530;
  banner.state = 0;
  SetUpField();
  orbit.deg = 0;
}

void RunStage3Frame() {
  if (stage.setupCounter == 0) SetUpStage3();
  stage.setupCounter += 1;
  StepPath(&enemyC, &pathC);
  StepPath(&enemyB, &pathB);
  ReadStageInput(3);
  ControlShip(3);
  PlaceShipOnOrbit();
  oxDraw::ClearScreen();
  DrawBackground();
  DrawShip(3);
  stage.bannerTimer += FrameTime();
  if (stage.bannerTimer < 3) DrawStageTitle(3);
  if (stage.kills != 100) DrawEnemies(3);
  UpdateShotInFlight(3);
  if (stage.kills == 100) {
    DrawBoss(3);
    AnimateBoss();
  }
  FireShot(3);
  DrawHitBanner();
  oxDraw::ShowFps();
  DrawScoreLine();
  CallBoss(3);
  oxDraw::Flip();
  AdvancePathCursor(&pathC);
  AdvancePathCursor(&pathB);
  FallEnemyA();
  if (stage.kills < 100) TestStageCollisions(3);
  UpdateHitBanner(3);
  SettleEnemyAnimation();
  if (stage.kills == 100) RunBossPhase(3);
  UpdateHitBanner(3);
  SettleEnemyAnimation();
  MoveShot(3);
}
