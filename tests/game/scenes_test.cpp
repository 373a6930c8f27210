// The title with its stage select, the result screen, the staff roll and the way between them.
#include "game_fixture.h"

namespace game_test {
namespace {

using testing_support::ReadFile;
using testing_support::WriteFile;

class ScenesTest : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    WriteFile("data.dat", "2 3 4 5 1 10 3 8 5 2");
    WriteFile("teki.dat", "100 1 200 5 6");
    WriteFile("teki2.dat", "120 2 300 5 6");
  }
  // Down for a frame, then up for two: a key down again right after its release reads as held.
  void Press(int key) {
    Key(key, true);
    Frame();
    Key(key, false);
    Frame();
    Frame();
  }
};

TEST_F(ScenesTest, NoStageReachedKeepsStageOne) {
  WriteFile("zqt.sss", "0 0");
  Frame();
  for (int i = 0; i < 3; ++i) {
    Press(VK_SPACE);
    EXPECT_EQ(game.stageCursor, 1);
    EXPECT_EQ(game.chosenStage, 1);
  }
  EXPECT_EQ(game.scene, 0);
}

TEST_F(ScenesTest, SpaceCyclesThroughTheStagesReached) {
  WriteFile("zqt.sss", "100 3");
  Frame();
  int seen[4];
  for (int& s : seen) {
    s = game.stageCursor;
    Press(VK_SPACE);
  }
  EXPECT_EQ(seen[0], 1);
  EXPECT_EQ(seen[1], 2);
  EXPECT_EQ(seen[2], 3);
  EXPECT_EQ(seen[3], 1);
  EXPECT_EQ(game.chosenStage, 2);  // shown by the last frame
}

TEST_F(ScenesTest, EnterStartsTheStageShownEvenWithSpaceInTheSameFrame) {
  WriteFile("zqt.sss", "100 3");
  Frame();
  Press(VK_SPACE);
  ASSERT_EQ(game.stageCursor, 2);
  Frame();  // this frame shows "START STAGE 2"
  Key(VK_SPACE, true);
  Key(VK_RETURN, true);
  Frame();
  EXPECT_EQ(game.stageCursor, 3);
  EXPECT_EQ(game.scene, 2);
  // The stage ran in the same call: its title timer has started.
  EXPECT_GT(stage.bannerTimer, 0.0f);
}

TEST_F(ScenesTest, StickStepsOncePerDeflection) {
  WriteFile("zqt.sss", "100 3");
  Frame();
  Pad(1, 0, 0);
  for (int i = 0; i < 5; ++i) Frame();
  EXPECT_EQ(game.stageCursor, 2);
  Pad(-1, 0, 0);  // straight across, without passing the centre
  for (int i = 0; i < 5; ++i) Frame();
  EXPECT_EQ(game.stageCursor, 2);
  Pad(0, 0, 0);
  Frame();
  Pad(-1, 0, 0);
  Frame();
  EXPECT_EQ(game.stageCursor, 3);
  Pad(0, 1, 0);  // the vertical axis does nothing here
  Frame();
  Pad(0, 0, 0);
  Frame();
  EXPECT_EQ(game.stageCursor, 3);
}

TEST_F(ScenesTest, PadButtonCountsOnlyAfterTheDelay) {
  WriteFile("zqt.sss", "0 0");
  Frame(0.25f);
  Pad(0, 0, 1);
  Frame(0.25f);
  Frame(0.25f);  // 0.75 s of title: too early
  EXPECT_EQ(game.scene, 0);
  Pad(0, 0, 0);
  Frame(0.25f);
  EXPECT_EQ(game.scene, 0);
  Pad(0, 0, 8);  // any of the four buttons, later
  Frame(0.25f);
  EXPECT_EQ(game.scene, 1);
  EXPECT_EQ(game.buttonDelay, 0.0f);
}

TEST_F(ScenesTest, DeathWritesTheFileAndTheNextTitleShowsTheBest) {
  WriteFile("zqt.sss", "5000 1");
  Frame();
  Key(VK_RETURN, true);
  Frame();
  ASSERT_EQ(game.scene, 1);
  Key(VK_RETURN, false);
  Frame();
  game.score = 12300;
  game.maxStage = 2;
  ship.y = 400;  // sunk: the result screen comes in the same call and writes the file
  Frame();
  EXPECT_EQ(game.scene, 100);
  EXPECT_EQ(ReadFile("zqt.sss"), "12300 2");
  EXPECT_EQ(game.highScore, 5000);  // in memory only the title reads it
  Frame();
  Press(VK_RETURN);
  EXPECT_EQ(game.scene, 0);
  Frame();
  EXPECT_EQ(game.highScore, 12300);
  EXPECT_EQ(game.maxStage, 2);
  EXPECT_EQ(game.score, 0);
  EXPECT_EQ(ShownBestScore(), 12300);
}

TEST_F(ScenesTest, EnterHeldFromTheStageDoesNotSkipTheResult) {
  WriteFile("zqt.sss", "0 0");
  Frame();
  Key(VK_RETURN, true);
  Frame();
  ASSERT_EQ(game.scene, 1);
  ship.y = 400;
  Frame();  // Enter still down: held, not pressed
  EXPECT_EQ(game.scene, 100);
  Frame();
  Frame();
  EXPECT_EQ(game.scene, 100);
  Key(VK_RETURN, false);
  Frame();
  Frame();
  Key(VK_RETURN, true);
  Frame();
  EXPECT_EQ(game.scene, 0);
}

TEST_F(ScenesTest, StaffRollShowsEveryStripThenTheResult) {
  Frame();
  settings.staffLineCount = 1;
  game.scene = 200;
  game.staffY = 530;
  game.staffLine = 0;
  int frames = 0;
  while (game.scene == 200 && frames < 1000) {
    Frame(0.05f);
    ++frames;
  }
  // Two strips, each 580 pixels at 120 pixels per second.
  EXPECT_EQ(game.scene, 100);
  EXPECT_NEAR(frames * 0.05, 2 * 580 / 120.0, 0.1);
  EXPECT_EQ(game.staffLine, 2.0f);
}

TEST_F(ScenesTest, EnterSkipsTheStaffRoll) {
  Frame();
  settings.staffLineCount = 5;
  game.scene = 200;
  game.staffY = 530;
  Frame();
  Key(VK_RETURN, true);
  Frame();
  EXPECT_EQ(game.scene, 100);
  EXPECT_EQ(game.staffLine, 0.0f);
}

TEST_F(ScenesTest, FirstFrameReadsTheDataFilesOnce) {
  Frame();
  EXPECT_EQ(settings.bossFrameCount, 2);
  EXPECT_EQ(settings.stage23BossHits, 2);
  EXPECT_EQ(pathC.table[0], 100);
  EXPECT_EQ(pathB.table[0], 120);
  EXPECT_EQ(beam.top, 350);
  WriteFile("data.dat", "9 9 9 9 9 9 9 9 9 9");
  Frame();
  EXPECT_EQ(settings.bossFrameCount, 2);
}

TEST(ScoreLine, ShowsTheBestIncludingTheGameInProgress) {
  game.highScore = 5000;
  game.score = 4900;
  EXPECT_EQ(ShownBestScore(), 5000);
  game.score = 5000;
  EXPECT_EQ(ShownBestScore(), 5000);
  game.score = 5100;
  EXPECT_EQ(ShownBestScore(), 5100);
  EXPECT_EQ(game.highScore, 5000);
}

}  // namespace
}  // namespace game_test
