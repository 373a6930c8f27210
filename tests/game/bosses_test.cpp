// The bosses' animation, steering, movement, the call and the clears.
#include <cstdlib>

#include "game_fixture.h"

namespace game_test {
namespace {

class BossesTest : public RecordsTest {};

TEST_F(BossesTest, StageTwoSteerChangesOneAxisInRandOrder) {
  SteerTimer = 0.3f;
  boss.vx = 11;
  boss.vy = 22;
  srand(9);
  int c1 = rand() % 2, c2 = rand() % 2, v = rand() % 150;
  srand(9);
  SteerBoss(2);
  float vx = c1 == 1 && c2 == 1 ? v : c1 == 0 && c2 == 1 ? -v : 11;
  float vy = c1 == 1 && c2 == 0 ? v : c1 == 0 && c2 == 0 ? -v : 22;
  EXPECT_EQ(boss.vx, vx);
  EXPECT_EQ(boss.vy, vy);
  EXPECT_FLOAT_EQ(SteerTimer, 0.016f);
  int next = rand();
  srand(9);
  for (int i = 0; i < 3; ++i) rand();
  EXPECT_EQ(rand(), next);  // exactly three numbers taken
}

TEST_F(BossesTest, StageOneSteerSharesItsCoinWithTheDrift) {
  SteerTimer = 0.25f;
  srand(4);
  int coin = rand() % 2, speed = rand() % 120, drift = rand() % 200;
  srand(4);
  SteerBoss(1);
  EXPECT_EQ(boss.vx, coin ? speed : -speed);
  EXPECT_EQ(enemyDrift, coin ? drift : -drift);

  // Below 0.2 s nothing is drawn.
  SteerTimer = 0.2f;
  int next = rand();
  srand(4);
  for (int i = 0; i < 3; ++i) rand();
  boss.vx = 5;
  SteerBoss(1);
  EXPECT_EQ(boss.vx, 5);
  EXPECT_EQ(rand(), next);
}

TEST_F(BossesTest, PushedBackFromAnEdgeAndSteeredNext) {
  boss.x = 595;
  boss.y = 100;
  boss.vx = 100;
  boss.vy = 0;
  SteerTimer = 0;
  MoveBoss(2);
  EXPECT_EQ(boss.x, 575);  // outside the moving range: not moved, pushed back
  EXPECT_EQ(SteerTimer, 1.0f);

  boss.x = 100;
  boss.y = -105;
  SteerTimer = 0;
  MoveBoss(2);
  EXPECT_FLOAT_EQ(boss.x, 101.6f);
  EXPECT_EQ(boss.y, -85);
  EXPECT_EQ(SteerTimer, 1.0f);

  boss.x = -120;
  boss.vx = -50;
  MoveBoss(1);
  EXPECT_EQ(boss.x, -100);
}

TEST_F(BossesTest, FixedFrameModeHoldsTheProduct) {
  settings.bossAnimMode = 0;
  settings.bossFrameCount = 2;
  settings.bossAnimRate = 1;
  stage.bossHits = 2;
  AnimateBoss();
  EXPECT_EQ(boss.frame, 2);
  boss.frame = 0;
  stage.bossHits = 3;  // more hits than frames: the frame stays
  AnimateBoss();
  EXPECT_EQ(boss.frame, 0);

  // A product too large for an int is taken wide, not wrapped.
  settings.bossFrameCount = 100000;
  settings.bossAnimRate = 100000;
  stage.bossHits = 0;
  AnimateBoss();
  EXPECT_EQ(boss.frame, 1e10f);

  settings.bossAnimMode = 1;
  settings.bossFrameCount = 3;
  settings.bossAnimRate = 50;
  boss.frame = 2.5f;
  AnimateBoss();
  EXPECT_EQ(boss.frame, 0.0f);  // 3.3 is past the count
}

TEST_F(BossesTest, CallNeedsAFreshPressBetweenTheCallKillsAnd89) {
  settings.bossCallKills = 5;
  game.enterKey = 1;
  stage.kills = 4;
  CallBoss(2);
  EXPECT_EQ(stage.kills, 4);
  stage.kills = 5;
  CallBoss(2);
  EXPECT_EQ(stage.kills, 100);
  stage.kills = 89;
  CallBoss(3);
  EXPECT_EQ(stage.kills, 100);
  stage.kills = 90;
  CallBoss(2);
  EXPECT_EQ(stage.kills, 90);

  game.enterKey = 3;  // held from before
  stage.kills = 20;
  CallBoss(2);
  EXPECT_EQ(stage.kills, 20);

  settings.bossCallKills = 95;  // above 89: never
  game.enterKey = 1;
  stage.kills = 89;
  CallBoss(2);
  EXPECT_EQ(stage.kills, 89);
}

TEST_F(BossesTest, StageOneClearWaitsForTheBanner) {
  settings.stage1KillsForBoss = 10;
  settings.stage1BossHits = 3;
  stage.kills = 10;
  stage.bossHits = 3;
  banner.state = 0;
  game.scene = 1;
  game.maxStage = 0;
  boss.x = 100;
  CheckStageClear(1);
  EXPECT_EQ(boss.x, 700);
  EXPECT_EQ(game.scene, 1);
  EXPECT_EQ(game.score, 0);

  banner.state = 1;
  srand(2);
  int c = rand() % 430, b = rand() % 430, a = rand() % 590;
  srand(2);
  CheckStageClear(1);
  EXPECT_EQ(game.scene, 2);
  EXPECT_EQ(game.score, 10000);
  EXPECT_EQ(game.maxStage, 2);
  // The stage-2 set-up.
  EXPECT_EQ(game.staffY, 530);
  EXPECT_EQ(banner.state, 0);
  EXPECT_EQ(ship.x, 550);
  EXPECT_EQ(ship.y, 215);
  EXPECT_EQ(shot.live, 0);
  EXPECT_EQ(enemyC.x, -80);
  EXPECT_EQ(enemyC.y, c);
  EXPECT_EQ(enemyB.x, -80);
  EXPECT_EQ(enemyB.y, b);
  EXPECT_EQ(enemyA.x, a);
  EXPECT_EQ(enemyA.y, -50);
  EXPECT_EQ(stage.kills, 0);
  EXPECT_EQ(stage.bossHits, 0);
  EXPECT_EQ(boss.x, 140);
  EXPECT_EQ(boss.y, 100);
}

TEST_F(BossesTest, LaterClearsNeedOneHitMoreThanTheSetting) {
  settings.stage23BossHits = 2;
  stage.kills = 100;
  stage.bossHits = 2;
  game.scene = 2;
  game.maxStage = 3;
  CheckStageClear(2);
  EXPECT_EQ(game.scene, 2);
  stage.bossHits = 3;
  CheckStageClear(2);
  EXPECT_EQ(game.scene, 3);
  EXPECT_EQ(game.score, 10000);
  EXPECT_EQ(game.maxStage, 3);

  game.scene = 3;
  stage.setupCounter = 77;
  stage.kills = 99;  // not the boss phase
  CheckStageClear(3);
  EXPECT_EQ(game.scene, 3);
  stage.kills = 100;
  CheckStageClear(3);
  EXPECT_EQ(game.scene, 200);
  EXPECT_EQ(game.score, 20000);
  EXPECT_EQ(stage.setupCounter, 0);
}

}  // namespace
}  // namespace game_test
