// Whole stage frames: the order of their steps decides what wins.
#include <cstdlib>

#include "game_fixture.h"

namespace game_test {
namespace {

using testing_support::WriteFile;

class StagesTest : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    // bossFrameCount, stage1BossHits, staffLineCount, bossAnimRate, bossAnimMode, stage1KillsForBoss,
    // enemyFrameCount, enemyAnimRate, bossCallKills, stage23BossHits
    WriteFile("data.dat", "1 3 4 2 1 10 2 6 5 2");
    WriteFile("teki.dat", "100 1 200 5 6");
    WriteFile("teki2.dat", "120 3 300 4 300 5 6");
    WriteFile("zqt.sss", "0 3");
    Frame();  // the title, after the data files are read
  }
  // Starts `stageNumber` from the title with Enter, as a player would.
  void Start(int stageNumber) {
    Frame();  // an Enter released just before would make the next press read as held
    while (game.stageCursor != stageNumber) {
      Key(VK_SPACE, true);
      Frame();
      Key(VK_SPACE, false);
      Frame();
      Frame();
    }
    Key(VK_RETURN, true);
    Frame();
    Key(VK_RETURN, false);
    ASSERT_EQ(game.scene, stageNumber);
  }
  // Stage 1's enemies out of the way.
  void ClearStage1Field() {
    enemyA.x = -400;
    enemyB.x = -400;
    enemyB.y = 300;
    enemyC.x = -400;
    enemyC.y = 100;
  }
};

TEST_F(StagesTest, FireHeldIntoStageOneFiresOnItsFirstFrame) {
  Key(VK_SPACE, true);
  Frame();  // pressed on the title: moves the cursor, then held
  Frame();
  game.stageCursor = 1;
  Frame();
  Key(VK_RETURN, true);
  Frame();
  ASSERT_EQ(game.scene, 1);
  EXPECT_GT(shot.live, 0.0f);
}

TEST_F(StagesTest, OneFramePressNeverFires) {
  Start(1);
  ClearStage1Field();
  Frame();
  ASSERT_EQ(shot.live, 0.0f);
  Key(VK_SPACE, true);
  Frame();  // pressed
  EXPECT_EQ(shot.live, 0.0f);
  Key(VK_SPACE, false);
  Frame();  // released
  EXPECT_EQ(shot.live, 0.0f);
  Key(VK_SPACE, true);
  Frame();
  Frame();  // held
  EXPECT_GT(shot.live, 0.0f);
  // No second shot until the first is parked, after 0.8 s of flight.
  float x = shot.x;
  ClearStage1Field();
  ship.x = 100;
  for (int i = 0; i < 45; ++i) Frame();
  EXPECT_EQ(shot.x, x);
  for (int i = 0; i < 10; ++i) Frame();
  EXPECT_EQ(shot.x, 100);
}

TEST_F(StagesTest, SinkingToTheBottomLineEndsTheGame) {
  Start(1);
  ClearStage1Field();
  ship.y = 349.9f;
  Frame();
  EXPECT_EQ(game.scene, 1);  // the test sees the position before this frame's sinking
  Frame();
  EXPECT_EQ(game.scene, 100);
}

TEST_F(StagesTest, BossDefeatOverridesTheSinkingDeath) {
  Start(1);
  stage.kills = 10;
  stage.bossHits = 2;  // one hit left
  boss.drawn = 1;
  boss.x = 100;
  beam.top = 350;
  beam.timer = 0;
  ship.x = 400;  // away from the beam columns
  ship.y = 350;
  shot.live = 1;
  shot.x = 200;
  shot.y = 10;  // shot y + ship y = 360: on the boss
  int before = host().Presentations();
  Frame();
  EXPECT_EQ(game.scene, 2);
  EXPECT_EQ(game.score, 10000);
  EXPECT_EQ(game.maxStage, 3);
  // Stage 1 presented before the hit was found, then stage 2 its first frame.
  EXPECT_EQ(host().Presentations() - before, 2);
}

TEST_F(StagesTest, DefeatedBossWaitsForTheBannerWithoutPresenting) {
  Start(1);
  stage.kills = 10;
  stage.bossHits = 3;  // defeated, but without the banner of a final hit
  banner.state = 0;
  ClearStage1Field();
  int before = host().Presentations();
  Frame();
  Frame();
  EXPECT_EQ(game.scene, 1);
  EXPECT_EQ(boss.x, 680);  // moved out of sight, then pushed back from the edge
  EXPECT_EQ(host().Presentations(), before);
  banner.state = 1;
  Frame();
  EXPECT_EQ(game.scene, 2);
  EXPECT_EQ(host().Presentations() - before, 1);
}

TEST_F(StagesTest, BossThatNeedsNoHitStillTakesOne) {
  // With no kills and no hits asked for, the game would wait, without a picture, for a banner that cannot come.
  settings.stage1KillsForBoss = 0;
  settings.stage1BossHits = 0;
  Start(1);
  int before = host().Presentations();
  Frame();
  Frame();
  EXPECT_EQ(host().Presentations() - before, 2);
  EXPECT_EQ(game.scene, 1);
  boss.drawn = 1;
  boss.x = 100;
  ship.x = 400;
  ship.y = 200;
  shot.live = 1;
  shot.x = 200;
  shot.y = 160;  // on the boss
  Frame();
  EXPECT_EQ(game.scene, 2);
  EXPECT_EQ(game.score, 10000);
}

TEST_F(StagesTest, StageThreeShotHitsOnTheFrameItIsFired) {
  Start(3);
  Frame();  // set up
  Key(VK_SPACE, true);
  Frame();
  ASSERT_EQ(shot.live, 0.0f);
  // At angle 0 the ship stands at (300, 390); enemy A falls onto its corner this frame.
  enemyA.x = 310;
  enemyA.y = 380;
  enemyB.x = enemyC.x = -80;
  enemyB.y = enemyC.y = 0;
  int score = game.score;
  Frame();
  EXPECT_EQ(stage.kills, 1);
  EXPECT_EQ(game.score, score + 100);
  EXPECT_EQ(enemyA.x, 700);
  EXPECT_EQ(shot.x, 2000);
}

TEST_F(StagesTest, StageTwoClearBeatsADeathInTheSameFrame) {
  Start(2);
  stage.kills = 100;
  stage.bossHits = 2;
  boss.x = 140;
  boss.y = 100;
  ship.x = 150;
  ship.y = 150;  // inside the boss's box
  shot.live = 1;
  shot.x = 700;  // after this frame's 800t: X = 687.2 - 490 = 197.2, on the boss
  shot.y = 150;
  Frame();
  EXPECT_EQ(game.scene, 3);
  EXPECT_EQ(game.maxStage, 3);
}

TEST_F(StagesTest, HeldEnterDoesNotCallTheBossButButtonFourDoes) {
  Start(2);
  Frame();
  Frame();  // Enter released
  stage.kills = 6;
  Key(VK_RETURN, true);  // a fresh press calls
  Frame();
  EXPECT_EQ(stage.kills, 100);

  stage.kills = 6;
  Frame();
  Frame();  // Enter held all along
  EXPECT_EQ(stage.kills, 6);
  Key(VK_RETURN, false);
  Frame();
  Pad(0, 0, 8);  // button 4 held
  Frame();
  EXPECT_EQ(stage.kills, 100);
}

TEST_F(StagesTest, BannerShowsForTwoOneAndTwoThirdsSeconds) {
  struct Case {
    int stage;
    int updates;
    double seconds;
  } cases[] = {{1, 1, 2.0}, {2, 1, 1.0}, {3, 2, 2.0 / 3}};
  libraryState.FrameTime = 0.01f;
  for (const Case& c : cases) {
    banner.state = 1;
    banner.timer = 0;
    int frames = 0;
    while (banner.state == 1 && frames < 1000) {
      DrawHitBanner();
      for (int u = 0; u < c.updates; ++u) UpdateHitBanner(c.stage);
      ++frames;
    }
    EXPECT_NEAR(frames * 0.01, c.seconds, 0.02) << "stage " << c.stage;
  }
}

TEST_F(StagesTest, EveryWayOutOfStageThreeStartsItAfresh) {
  Start(3);
  for (int i = 0; i < 30; ++i) Frame();
  EXPECT_EQ(stage.setupCounter, 31);
  // Touch enemy A.
  enemyA.x = ship.x;
  enemyA.y = ship.y;
  Frame();
  EXPECT_EQ(game.scene, 100);
  EXPECT_EQ(stage.setupCounter, 0);
  Key(VK_RETURN, true);
  Frame();
  Key(VK_RETURN, false);
  Frame();
  ASSERT_EQ(game.scene, 0);
  orbit.deg = 77;
  Start(3);
  EXPECT_EQ(stage.setupCounter, 1);
  EXPECT_EQ(boss.x, 140);
  EXPECT_EQ(orbit.deg, 0.0);
  EXPECT_EQ(game.staffY, 530);
}

TEST_F(StagesTest, StageTwoTitleTimeStartsAtZeroFromTheTitle) {
  Start(2);
  EXPECT_NEAR(stage.bannerTimer, 0.016, 1e-6);
  for (int i = 0; i < 190; ++i) Frame();
  EXPECT_GT(stage.bannerTimer, 3.0f);
}

TEST_F(StagesTest, PadSteersEachStageItsOwnWay) {
  Start(2);
  ship.x = 300;
  ship.y = 200;
  Pad(0, 1, 0);
  Frame();
  EXPECT_GT(ship.y, 200);  // down
  Pad(1, 0, 1);  // right and button 1 fires
  Frame();
  Frame();
  EXPECT_GT(ship.x, 300);
  EXPECT_GT(shot.live, 0.0f);
  Pad(0, 0, 0);
  Frame();

  game.scene = 3;
  stage.setupCounter = 0;
  Frame();
  Pad(0, 1, 0);  // down turns like left
  Frame();
  EXPECT_LT(orbit.deg, 0);
  Pad(0, -1, 0);
  Frame();
  Frame();
  EXPECT_GT(orbit.deg, 0);
}

TEST_F(StagesTest, StickGivesOneJumpPerTilt) {
  Start(1);
  ClearStage1Field();
  ship.y = 200;
  ship.options = 3;
  Pad(0, -1, 0);
  for (int i = 0; i < 5; ++i) Frame();
  EXPECT_EQ(ship.options, 2);
  EXPECT_NEAR(ship.y, 150, 2);
  Pad(0, 0, 0);
  Frame();
  Pad(0, 1, 0);
  Frame();
  EXPECT_EQ(ship.options, 1);
  EXPECT_NEAR(ship.y, 200, 2);
}

}  // namespace
}  // namespace game_test

namespace game_test {
namespace {

// Lit pixels in a block of the back surface, sampled every fifth pixel.
int LitIn(int left, int top, int width, int height) {
  int lit = 0;
  for (int y = top; y < top + height; y += 5)
    for (int x = left; x < left + width; x += 5) {
      int r, g, b;
      oxDraw::GetPixel(x, y, &r, &g, &b);
      lit += (r | g | b) != 0;
    }
  return lit;
}

// Animation settings from the data file can point past the frames a picture holds: such a sprite is not drawn.
TEST_F(StagesTest, FramesAPictureLacksDrawNothing) {
  settings.enemyFrameCount = 100000;
  settings.enemyAnimRate = 0;
  enemyC = {100, 100};
  enemyA = {300, 0};  // stage 1 draws A on its bottom line
  enemyB = {500, 100};
  boss.x = 100;
  for (float frame : {0.0f, 1000.0f}) {
    oxDraw::ClearScreen();
    enemyAnimation = frame;
    DrawEnemies(1);
    boss.frame = frame;
    DrawBoss(1);
    boss.x = 380;
    boss.y = 0;
    DrawBoss(2);
    boss.x = 100;
    bool shown = frame == 0;
    EXPECT_EQ(LitIn(100, 100, 50, 50) > 0, shown) << "enemy C, frame " << frame;
    EXPECT_EQ(LitIn(300, 350, 50, 50) > 0, shown) << "enemy A, frame " << frame;
    EXPECT_EQ(LitIn(500, 100, 50, 50) > 0, shown) << "enemy B, frame " << frame;
    EXPECT_EQ(LitIn(100, 350, 200, 100) > 0, shown) << "stage-1 boss, frame " << frame;
    EXPECT_EQ(LitIn(380, 0, 100, 200) > 0, shown) << "stage-2 boss, frame " << frame;
  }
}

}  // namespace
}  // namespace game_test
