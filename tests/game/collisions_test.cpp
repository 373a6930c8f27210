// Hit tests of shots, ship, enemies, boss and beam.
#include <cstdlib>

#include "game_fixture.h"

namespace game_test {
namespace {

class CollisionsTest : public RecordsTest {
 protected:
  void SetUp() override {
    RecordsTest::SetUp();
    // Everything far from everything else.
    ship.x = 300;
    ship.y = 100;
    enemyA.x = enemyB.x = enemyC.x = 650;
    enemyA.y = enemyB.y = enemyC.y = -300;
    shot.x = 800;
    shot.y = 600;
    banner.state = 20;
  }
};

TEST_F(CollisionsTest, EnemyCCannotBeShotBeforeTheFirstHit) {
  // The shot's offset puts it on enemy C.
  enemyC.x = 200;
  enemyC.y = 300;
  shot.x = 200;
  shot.y = 200;
  TestStageCollisions(1);
  EXPECT_EQ(stage.kills, 0);
  EXPECT_EQ(game.score, 0);

  banner.state = 0;
  srand(5);
  int expectedX = rand() % 590;
  srand(5);
  ship.options = 2;
  TestStageCollisions(1);
  EXPECT_EQ(stage.kills, 1);
  EXPECT_EQ(game.score, 1000);
  EXPECT_EQ(ship.options, 3);
  EXPECT_EQ(banner.state, 1);
  EXPECT_EQ(enemyC.y, -100);
  EXPECT_EQ(enemyC.x, expectedX);
  EXPECT_EQ(shot.y, 500);
  EXPECT_EQ(ship.y, 70);  // the ship rises
}

TEST_F(CollisionsTest, ShotMovedByAHitStillHitsInTheSameFrame) {
  // Enemy A on the bottom line is hit at offset 250, the shot goes to offset 500 and meets enemy B there.
  enemyA.x = 250;
  enemyB.x = 230;
  enemyB.y = 590;
  shot.x = 240;
  shot.y = 250;
  TestStageCollisions(1);
  EXPECT_EQ(stage.kills, 2);
  EXPECT_EQ(game.score, 200);
  EXPECT_EQ(enemyA.x, -100);
  EXPECT_EQ(enemyB.y, -50);
  EXPECT_EQ(ship.y, 40);
}

TEST_F(CollisionsTest, StageOneShotRangesIncludeTheirEnds) {
  enemyA.x = 300;
  shot.x = 220;  // int(A.x) - 80
  shot.y = 210;  // s = 310
  TestStageCollisions(1);
  EXPECT_EQ(stage.kills, 1);
  enemyA.x = 300;
  ship.y = 100;
  shot.x = 311;  // one past int(A.x) + 10
  shot.y = 210;
  TestStageCollisions(1);
  EXPECT_EQ(stage.kills, 1);
}

TEST_F(CollisionsTest, StageOneKillAtTheTopDoesNotRaiseTheShip) {
  ship.y = 0;
  enemyA.x = 300;
  shot.x = 300;
  shot.y = 320;
  TestStageCollisions(1);
  EXPECT_EQ(stage.kills, 1);
  EXPECT_EQ(ship.y, 0);
}

TEST_F(CollisionsTest, TouchingBoxesDoNotCollide) {
  enemyB.x = ship.x;
  enemyB.y = ship.y + 50;  // exactly touching
  TestStageCollisions(1);
  EXPECT_EQ(game.scene, 0);
  enemyB.y = ship.y + 49.9f;
  TestStageCollisions(1);
  EXPECT_EQ(game.scene, 100);

  game.scene = 2;
  enemyB.y = -300;
  enemyA.x = ship.x - 50;
  enemyA.y = ship.y;
  TestStageCollisions(2);
  EXPECT_EQ(game.scene, 2);
  enemyA.x = ship.x - 49.5f;
  TestStageCollisions(2);
  EXPECT_EQ(game.scene, 100);

  game.scene = 3;
  stage.setupCounter = 12;
  enemyA.x = ship.x + 40;
  TestStageCollisions(3);
  EXPECT_EQ(game.scene, 3);
  EXPECT_EQ(stage.setupCounter, 12);
  enemyA.x = ship.x + 39.9f;
  TestStageCollisions(3);
  EXPECT_EQ(game.scene, 100);
  EXPECT_EQ(stage.setupCounter, 0);  // a way out of stage 3
}

TEST_F(CollisionsTest, StageTwoShotFollowsTheShip) {
  // The shot's x counts from 640 and is placed relative to the ship.
  enemyB.x = 200;
  enemyB.y = 200;
  shot.y = 210;
  shot.x = 600;  // X = 600 - (640 - 300) = 260: too far right
  TestStageCollisions(2);
  EXPECT_EQ(stage.kills, 0);
  ship.x = 260;  // X = 220
  ship.y = 400;
  TestStageCollisions(2);
  EXPECT_EQ(stage.kills, 1);
  EXPECT_EQ(game.score, 100);
  EXPECT_EQ(enemyB.x, 700);
  EXPECT_EQ(shot.y, 600);
  EXPECT_EQ(banner.state, 1);
}

TEST_F(CollisionsTest, StageThreeShotIsParkedByAHit) {
  enemyC.x = 100;
  enemyC.y = 100;
  shot.x = 129;
  shot.y = 71;
  TestStageCollisions(3);
  EXPECT_EQ(stage.kills, 1);
  EXPECT_EQ(shot.x, 2000);
  EXPECT_EQ(shot.y, 2000);
  EXPECT_EQ(enemyC.x, 700);
}

TEST_F(CollisionsTest, BeamKillsOnlyFromShipY340) {
  boss.x = 280;  // beam columns cover the ship
  beam.top = 350;
  ship.y = 339.9f;
  TestBeam();
  EXPECT_EQ(game.scene, 0);
  ship.y = 340;
  TestBeam();
  EXPECT_EQ(game.scene, 100);

  game.scene = 1;
  boss.x = 300 + 15.1f;  // x + 25 > ship x + 40: beside the beam
  TestBeam();
  EXPECT_EQ(game.scene, 1);
}

TEST_F(CollisionsTest, BossHitsGiveNoPoints) {
  boss.x = 200;
  shot.x = 400;
  shot.y = 260;  // s = 360
  TestBossShot(1);
  EXPECT_EQ(stage.bossHits, 1);
  EXPECT_EQ(game.score, 0);
  EXPECT_EQ(shot.y, 500);
  EXPECT_EQ(banner.state, 1);
  shot.y = 300;  // s = 400: not below 400
  TestBossShot(1);
  EXPECT_EQ(stage.bossHits, 1);

  boss.x = 140;
  boss.y = 100;
  shot.x = 640;  // X = 640 - (640 - ship x) = ship x = 300: outside 140..240
  shot.y = 150;
  TestBossShot(2);
  EXPECT_EQ(stage.bossHits, 1);
  ship.x = 200;
  TestBossShot(2);
  EXPECT_EQ(stage.bossHits, 2);
  EXPECT_EQ(shot.y, 500);

  shot.x = 240;
  shot.y = 150;
  TestBossShot(3);
  EXPECT_EQ(stage.bossHits, 3);
  EXPECT_EQ(shot.x, 2000);
}

TEST_F(CollisionsTest, BossContactEndsTheGame) {
  boss.x = 140;
  boss.y = 100;
  ship.x = 240;  // just right of the 100-pixel box
  ship.y = 150;
  TestBossShip(2);
  EXPECT_EQ(game.scene, 0);
  ship.x = 239;
  stage.setupCounter = 5;
  TestBossShip(3);
  EXPECT_EQ(game.scene, 100);
  EXPECT_EQ(stage.setupCounter, 0);
}

}  // namespace
}  // namespace game_test
