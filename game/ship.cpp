// The player's ship and its one shot: input, steering, movement, jumps, the orbit, firing and drawing.
#include <cmath>

#include "game.h"

namespace {

void PollAll(int stageNumber) {
  oxSystem::PollKey(VK_SPACE, &game.spaceKey);
  if (stageNumber != 3) {
    oxSystem::PollKey(VK_UP, &game.upKey);
    oxSystem::PollKey(VK_DOWN, &game.downKey);
  }
  oxSystem::PollKey(VK_LEFT, &game.leftKey);
  oxSystem::PollKey(VK_RIGHT, &game.rightKey);
  if (stageNumber != 1) oxSystem::PollKey(VK_RETURN, &game.enterKey);
}

void DrawStage1Shot() {
  oxDraw::DrawObject(Int(shot.x) + 10, Int(shot.y) + Int(ship.y) + 25, pictures.tama, 0, 0, 30, 30);
}

// The shot's x counts down from 640 and is placed relative to the ship's current x.
void DrawStage2Shot() {
  int x = Int(shot.x) - (640 - Int(ship.x));
  int y = Int(shot.y);
  oxDraw::DrawObjectRotate(x - 25, y + 10, x + 5, y + 40, 90, pictures.tama, 0, 0, 30, 30);
}

void DrawStage3Shot() {
  int x = Int(shot.x), y = Int(shot.y);
  oxDraw::DrawObjectRotate(x, y, x + 30, y + 30, DrawingAngle(shot.angleDeg), pictures.tama, 0, 0, 30, 30);
}

}  // namespace

int DrawingAngle(double deg360) {
  // A fold can leave a tiny negative angle, which becomes 360.0 when 360 is added.
  int a = Int(deg360) % 360;
  return a < 0 ? a + 360 : a;
}

void ReadStageInput(int stageNumber) {
  PollAll(stageNumber);
  oxSystem::GetJoyButtons(0, &game.joyButton[0], &game.joyButton[1], &game.joyButton[2], &game.joyButton[3]);
  oxSystem::GetJoyDirection(0, &game.joyX, &game.joyY);

  if (game.joyButton[0] || game.joyButton[1] || game.joyButton[2]) game.spaceKey = 3;
  if (game.joyX == 1) game.rightKey = 3;
  if (game.joyX == -1) game.leftKey = 3;
  if (stageNumber == 1) {
    // One tilt of the stick is one jump.
    if (game.joyY == 0) game.stickLatch = 0;
    if (game.stickLatch == 0) {
      if (game.joyY == 1) {
        game.downKey = 1;
        game.stickLatch += 1;
      } else if (game.joyY == -1) {
        game.upKey = 1;
        game.stickLatch += 1;
      }
    }
    return;
  }
  if (stageNumber == 2) {
    if (game.joyY == 1) game.downKey = 3;
    if (game.joyY == -1) game.upKey = 3;
  } else {
    // Around the orbit, down turns like left and up like right.
    if (game.joyY == 1) game.leftKey = 3;
    if (game.joyY == -1) game.rightKey = 3;
  }
  if (game.joyButton[3]) game.enterKey = 1;
}

void ControlShip(int stageNumber) {
  if (stageNumber == 3) {
    float t = FrameTime();
    if (game.leftKey == 3) orbit.deg -= 50 * t;
    if (game.rightKey == 3) orbit.deg += 50 * t;
    return;
  }
  // The bounds only stop a key from starting a movement; nothing clamps the position.
  if (game.leftKey == 3 && Int(ship.x) >= 0) ship.vx = -250;
  if (game.rightKey == 3 && Int(ship.x) <= 600) ship.vx = 250;
  if (stageNumber == 2) {
    if (game.upKey == 3 && Int(ship.y) >= 0) ship.vy = -250;
    if (game.downKey == 3 && Int(ship.y) <= 430) ship.vy = 250;
  }
}

void MoveShip(int stageNumber) {
  float t = FrameTime();
  ship.x += ship.vx * t;
  if (stageNumber == 2) ship.y += ship.vy * t;
}

void JumpShip() {
  if (game.upKey == 1 && ship.options > 0) {
    ship.y -= 50;
    ship.options -= 1;
  }
  if (game.downKey == 1 && ship.options > 0) {
    ship.y += 50;
    ship.options -= 1;
  }
}

void SinkShip() { ship.y += 14 * FrameTime(); }

void RaiseShip() {
  if (ship.y > 0) ship.y -= 30;
}

void PlaceShipOnOrbit() {
  orbit.rad = orbit.deg * 0.01745328888888889;
  ship.x = float(std::sin(orbit.rad) * 180 + 300);
  ship.y = float(std::cos(orbit.rad) * 180 + 210);
  if (orbit.deg >= 360 || orbit.deg <= -360) orbit.deg = 0;
  orbit.deg360 = orbit.deg < 0 ? orbit.deg + 360 : orbit.deg;
}

void DrawShip(int stageNumber) {
  int x = Int(ship.x), y = Int(ship.y);
  int angle = stageNumber == 1 ? 180 : stageNumber == 2 ? 90 : DrawingAngle(orbit.deg360);
  oxDraw::DrawObjectRotate(x, y, x + 50, y + 50, angle, pictures.chara, 0, 0, 50, 50);
}

void FireShot(int stageNumber) {
  // Firing needs the held state: a press of one frame never fires.
  if (game.spaceKey != 3 || shot.live != 0) return;
  if (stageNumber == 1) {
    shot.x = ship.x;
    shot.y = 0;
    DrawStage1Shot();
  } else if (stageNumber == 2) {
    shot.y = ship.y;
    shot.x = 640;
    DrawStage2Shot();
  } else {
    shot.angleDeg = orbit.deg360;
    shot.angleRad = orbit.rad;
    shot.x = ship.x;
    shot.y = ship.y;
    DrawStage3Shot();
  }
  shot.live += 1;
}

void UpdateShotInFlight(int stageNumber) {
  bool flying;
  if (stageNumber == 1) flying = shot.y < 640 && shot.live > 0;
  else if (stageNumber == 2) flying = shot.x > 0 && shot.live > 0;
  else flying = shot.x > 0 && shot.x < 640 && shot.y > 0 && shot.y < 480 && shot.live > 0;
  if (flying) {
    if (stageNumber == 1) DrawStage1Shot();
    else if (stageNumber == 2) DrawStage2Shot();
    else DrawStage3Shot();
    return;
  }
  if (stageNumber == 1) {
    shot.y = 600;
    shot.x = 800;
  } else {
    shot.y = -600;
    shot.x = -800;
  }
  shot.live = 0;
}

void MoveShot(int stageNumber) {
  float t = FrameTime();
  if (stageNumber == 1) {
    shot.y += 800 * t;
  } else if (stageNumber == 2) {
    shot.x -= 800 * t;
  } else if (shot.live > 0) {
    // Inward along the radius it was fired on, through the centre and off the screen.
    shot.dx = float(std::sin(shot.angleRad) * t * 500);
    shot.dy = float(std::cos(shot.angleRad) * t * 500);
    shot.x -= shot.dx;
    shot.y -= shot.dy;
  }
}
