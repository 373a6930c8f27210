// A bot plays the whole game through the keyboard, as a player would, with a fixed seed and frame time:
// the three stages, their bosses, the staff roll, the result screen and back to the title.
#include <cmath>
#include <map>

#include "game_fixture.h"

namespace game_test {
namespace {

using testing_support::ReadFile;
using testing_support::WriteFile;

class PlayThrough : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    WriteFile("data.dat", "5\n10\n5\n8\n1\n15\n5\n10\n20\n19\n");
    WriteFile("teki.dat", "150\n1 110\n3 70\n1 90\n4 70\n1 110\n4 70\n1 90\n3 70\n5\n6\n");
    WriteFile("teki2.dat", "190\n1 220\n3 45\n2 60\n1 160\n4 90\n1 120\n3 45\n1 80\n5\n6\n");
    WriteFile("zqt.sss", "0 0");
  }
  // Keys the bot holds this frame; taps last one frame and leave the key up for two.
  void Hold(int key, bool down) {
    if (held_[key] != down) Key(key, down);
    held_[key] = down;
  }
  void Tap(int key) {
    if (tapCooldown_[key] > 0) return;
    Hold(key, true);
    tapCooldown_[key] = 3;
  }
  void Steer(float at, float target, int less, int more) {
    Hold(less, at > target + 3);
    Hold(more, at < target - 3);
  }
  void Step() {
    for (auto& [key, n] : tapCooldown_)
      if (n > 0 && --n == 2) Hold(key, false);
    if (game.scene == 1) Stage1();
    else if (game.scene == 2) Stage2();
    else if (game.scene == 3) Stage3();
    Frame();
  }
  static bool Near(const Enemy& e, float x, float y, float range) {
    return std::fabs(e.x - x) < range && std::fabs(e.y - y) < range;
  }

  void Stage1() {
    Hold(VK_SPACE, true);
    float target = ship.x;
    if (Stage1BossPhase()) {
      // The beam covers boss x - 15 to boss x + 165; the shot hits from boss x to boss x + 200.
      target = boss.x + 185 <= 600 ? boss.x + 185 : boss.x - 60;
    } else if (enemyB.y > ship.y + 80 && enemyB.y < 530) {
      target = enemyB.x - 25;
    } else if (banner.state <= 10 && enemyC.y > ship.y + 60) {
      target = enemyC.x;
    } else {
      target = enemyA.x + 40;
    }
    for (const Enemy* e : {&enemyB, &enemyC})
      if (Near(*e, ship.x, ship.y, 75) && !(e == &enemyB && std::fabs(e->x - 25 - ship.x) < 20 && shot.live == 0))
        target = e->x > ship.x ? e->x - 90 : e->x + 90;
    if (target < 0) target = 0;
    if (target > 600) target = 600;
    Steer(ship.x, target, VK_LEFT, VK_RIGHT);
    // Away from the bottom line, and from the top where enemy C comes back in.
    if (ship.y > 250 && ship.options > 0) Tap(VK_UP);
    if (ship.y < 45 && ship.options > 0) Tap(VK_DOWN);
  }

  void Stage2() {
    Hold(VK_SPACE, true);
    float tx = 560, ty = ship.y;
    if (stage.kills == 100) {
      ty = boss.y + 75;
      tx = boss.x + 260 < 590 ? 590 : boss.x - 150;
    } else {
      if (Int(stage.kills) >= settings.bossCallKills && stage.kills < 90) Tap(VK_RETURN);
      float best = 1e9f;
      for (const Enemy* e : {&enemyA, &enemyB, &enemyC})
        if (e->x > -60 && e->x < ship.x - 80 && e->y > 0 && e->y < 430 && std::fabs(e->y - ship.y) < best) {
          best = std::fabs(e->y - ship.y);
          ty = e->y;
        }
    }
    // Enemy A falls: step aside. B and C run along their paths: get out of their row.
    if (stage.kills != 100 && std::fabs(enemyA.x - ship.x) < 85 && enemyA.y < ship.y + 50 && enemyA.y > ship.y - 260) tx = enemyA.x > 300 ? enemyA.x - 120 : enemyA.x + 120;
    for (const Enemy* e : {&enemyB, &enemyC})
      if (stage.kills != 100 && Near(*e, ship.x, ship.y, 80)) ty = e->y > ship.y || ship.y > 380 ? e->y - 100 : e->y + 100;
    if (ty < 0) ty = 0;
    if (ty > 430) ty = 430;
    if (tx < 0) tx = 0;
    if (tx > 590) tx = 590;
    Steer(ship.y, ty, VK_UP, VK_DOWN);
    Steer(ship.x, tx, VK_LEFT, VK_RIGHT);
  }

  void Stage3() {
    Hold(VK_SPACE, true);
    double aim = orbit.deg;
    if (stage.kills == 100) {
      // The shot flies from the ship through the centre: stand opposite the boss.
      double bx = boss.x + 50 - 325, by = boss.y + 100 - 235;
      aim = std::atan2(bx, by) * 180 / 3.141592 + 180;
    } else {
      if (Int(stage.kills) >= settings.bossCallKills && stage.kills < 90) Tap(VK_RETURN);
      aim = orbit.deg + 10;  // sweep round
    }
    // Turn away from an enemy coming close: against the way that leads toward it.
    for (const Enemy* e : {&enemyA, &enemyB, &enemyC})
      if (stage.kills != 100 && Near(*e, ship.x, ship.y, 110)) {
        double ahead = (e->x - ship.x) * std::cos(orbit.rad) - (e->y - ship.y) * std::sin(orbit.rad);
        aim = orbit.deg + (ahead > 0 ? -40 : 40);
      }
    double d = std::fmod(aim - orbit.deg + 720, 360);
    if (d > 180) d -= 360;
    Hold(VK_RIGHT, d > 2);
    Hold(VK_LEFT, d < -2);
  }

  std::map<int, bool> held_;
  std::map<int, int> tapCooldown_;
};

// The bot clears stages 1 and 2 with their bosses and plays into stage 3, where it does not yet survive to the
// boss; the game from the staff roll on is covered by the scene tests.
TEST_F(PlayThrough, FromTheTitleThroughTwoBossesIntoStageThree) {
  Frame();
  Key(VK_RETURN, true);
  Frame();
  Key(VK_RETURN, false);
  ASSERT_EQ(game.scene, 1);
  int reached = 1, frames = 0;
  while (frames < 60 * 400 && game.scene != 100) {
    Step();
    ++frames;
    if (game.scene > reached && game.scene <= 3) reached = game.scene;
  }
  ASSERT_EQ(reached, 3) << "died in stage " << reached << " after " << frames << " frames, score " << game.score;
  // Two bosses and the kills on the way, and the death in stage 3 writes both to the file.
  EXPECT_GE(game.score, 20000);
  EXPECT_EQ(game.scene, 100);
  EXPECT_EQ(game.maxStage, 3);
  EXPECT_EQ(ReadFile("zqt.sss"), std::to_string(game.score) + " 3");
  EXPECT_EQ(stage.setupCounter, 0);
  int score = game.score;
  for (int i = 0; i < 3; ++i) Frame();
  Key(VK_RETURN, true);
  Frame();
  Key(VK_RETURN, false);
  Frame();
  EXPECT_EQ(game.scene, 0);
  EXPECT_EQ(game.highScore, score);
  EXPECT_EQ(game.maxStage, 3);
}

}  // namespace
}  // namespace game_test
