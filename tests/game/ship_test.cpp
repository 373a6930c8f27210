// The ship's steering, jumps, orbit and shots.
#include <cmath>

#include "game_fixture.h"

namespace game_test {
namespace {

class ShipTest : public RecordsTest {};

TEST_F(ShipTest, JumpsSpendOptionsOnlyOnAFreshPress) {
  ship.y = 200;
  ship.options = 0;
  game.upKey = 1;
  game.downKey = 1;
  JumpShip();
  EXPECT_EQ(ship.y, 200);
  EXPECT_EQ(ship.options, 0);

  ship.options = 2;
  JumpShip();  // up and down in one frame: back where it was, two options spent
  EXPECT_EQ(ship.y, 200);
  EXPECT_EQ(ship.options, 0);

  ship.options = 1;
  JumpShip();  // only the first finds an option
  EXPECT_EQ(ship.y, 150);
  EXPECT_EQ(ship.options, 0);

  ship.options = 3;
  game.upKey = 3;  // held
  game.downKey = 2;
  JumpShip();
  EXPECT_EQ(ship.y, 150);
  EXPECT_EQ(ship.options, 3);
}

TEST_F(ShipTest, SteeringBoundsOnlyStopTheStart) {
  game.rightKey = 3;
  ship.x = 600.5f;  // int(600.5) is 600: still allowed
  ship.vx = 0;
  ControlShip(2);
  EXPECT_EQ(ship.vx, 250);
  ship.x = 601;
  ship.vx = 0;
  ControlShip(2);
  EXPECT_EQ(ship.vx, 0);

  // Both held: right wins.
  game.leftKey = 3;
  ship.x = 300;
  ControlShip(1);
  EXPECT_EQ(ship.vx, 250);

  game.rightKey = 0;
  ship.x = -0.5f;  // truncates to 0
  ship.vx = 0;
  ControlShip(1);
  EXPECT_EQ(ship.vx, -250);

  game.leftKey = 0;
  game.downKey = 3;
  ship.y = 430.9f;
  ship.vy = 0;
  ControlShip(2);
  EXPECT_EQ(ship.vy, 250);
  ship.y = 431;
  ship.vy = 0;
  ControlShip(2);
  EXPECT_EQ(ship.vy, 0);
}

TEST_F(ShipTest, OrbitFoldsAfterAFullTurnAndDrawsInRange) {
  game.rightKey = 3;
  libraryState.FrameTime = 0.016f;
  double previous = 0;
  bool folded = false;
  for (int i = 0; i < 500; ++i) {  // 8 s of Right
    ControlShip(3);
    PlaceShipOnOrbit();
    int a = DrawingAngle(orbit.deg360);
    ASSERT_GE(a, 0);
    ASSERT_LE(a, 359);
    if (orbit.deg < previous) {
      folded = true;
      EXPECT_NEAR(i * 0.016, 7.2, 0.02);
      EXPECT_EQ(orbit.deg, 0.0);
    }
    previous = orbit.deg;
  }
  EXPECT_TRUE(folded);

  // At angle 0 the ship is at the bottom middle.
  orbit.deg = 0;
  game.rightKey = 0;
  ControlShip(3);
  PlaceShipOnOrbit();
  EXPECT_EQ(ship.x, 300);
  EXPECT_EQ(ship.y, 390);

  // Left turns the other way; the drawing angle stays positive.
  game.leftKey = 3;
  ControlShip(3);
  PlaceShipOnOrbit();
  EXPECT_LT(orbit.deg, 0);
  EXPECT_GT(orbit.deg360, 359);
  EXPECT_EQ(DrawingAngle(orbit.deg360), 359);
  EXPECT_LT(ship.x, 300);
}

TEST_F(ShipTest, DrawingAngleNeverReaches360) {
  // A tiny negative angle folds to 360.0 exactly when 360 is added.
  orbit.deg = -1e-15;
  game.leftKey = game.rightKey = 0;
  PlaceShipOnOrbit();
  EXPECT_EQ(orbit.deg360, 360.0);
  EXPECT_EQ(DrawingAngle(orbit.deg360), 0);
}

TEST_F(ShipTest, StageThreeShotFliesInward) {
  shot.live = 1;
  shot.x = 300;
  shot.y = 390;
  shot.angleRad = 0;
  libraryState.FrameTime = 0.1f;
  MoveShot(3);
  EXPECT_FLOAT_EQ(shot.x, 300);
  EXPECT_FLOAT_EQ(shot.y, 340);
  shot.angleRad = 90 * 0.01745328888888889;
  MoveShot(3);
  EXPECT_NEAR(shot.x, 250, 0.01);
  shot.live = 0;
  MoveShot(3);
  EXPECT_NEAR(shot.x, 250, 0.01);
}

TEST_F(ShipTest, KillRaisesTheShipOnlyBelowTheTop) {
  ship.y = 0;
  RaiseShip();
  EXPECT_EQ(ship.y, 0);
  ship.y = 10;
  RaiseShip();
  EXPECT_EQ(ship.y, -20);
  RaiseShip();
  EXPECT_EQ(ship.y, -20);
}

}  // namespace
}  // namespace game_test
