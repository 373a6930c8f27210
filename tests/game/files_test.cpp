// The data files and the high-score file.
#include <sys/stat.h>

#include <climits>
#include <filesystem>

#include "game_fixture.h"

namespace game_test {
namespace {

using testing_support::ReadFile;
using testing_support::WriteFile;

class FilesTest : public RecordsTest {};

TEST_F(FilesTest, PathTableStopsAfterTheEndMarker) {
  WriteFile("teki.dat", "100 1 200 5 6 3 40\n");
  LoadPath("teki.dat", &pathC);
  EXPECT_EQ(pathC.table[0], 100);
  EXPECT_EQ(pathC.table[1], 1);
  EXPECT_EQ(pathC.table[2], 200);
  EXPECT_EQ(pathC.table[3], 5);
  EXPECT_EQ(pathC.table[4], 6);
  for (int i = 5; i < kPathSize; ++i) ASSERT_EQ(pathC.table[i], 0) << i;
}

TEST_F(FilesTest, PathTableTakesAnyWhiteSpaceAndSigns) {
  WriteFile("teki2.dat", "  -40\t1\r\n\n+30 2 6");
  LoadPath("teki2.dat", &pathB);
  EXPECT_EQ(pathB.table[0], -40);
  EXPECT_EQ(pathB.table[1], 1);
  EXPECT_EQ(pathB.table[2], 30);
  EXPECT_EQ(pathB.table[3], 2);
  EXPECT_EQ(pathB.table[4], 6);
}

TEST_F(FilesTest, LongPathFileFillsTheTableAndNoMore) {
  std::string text;
  for (int i = 0; i < 260; ++i) text += std::to_string(1000 + i) + " ";
  WriteFile("teki.dat", text);
  LoadPath("teki.dat", &pathC);
  EXPECT_EQ(pathC.table[0], 1000);
  EXPECT_EQ(pathC.table[kPathSize - 1], 1000 + kPathSize - 1);
  // The record after the table is untouched.
  EXPECT_EQ(pathC.cursor, 1);
  EXPECT_EQ(pathC.travelled, 0.0f);
}

TEST_F(FilesTest, PathFileWithAWordOrMissingEndsThere) {
  WriteFile("teki.dat", "100 1 fifty 3 40 6");
  LoadPath("teki.dat", &pathC);
  EXPECT_EQ(pathC.table[0], 100);
  EXPECT_EQ(pathC.table[1], 1);
  for (int i = 2; i < kPathSize; ++i) ASSERT_EQ(pathC.table[i], 0) << i;

  LoadPath("no-such.dat", &pathB);
  for (int i = 0; i < kPathSize; ++i) ASSERT_EQ(pathB.table[i], 0) << i;
}

TEST_F(FilesTest, SettingsInFileOrder) {
  WriteFile("data.dat", "1 2 3 4 5 6 7 8 9 10 11 12\n");
  ReadSettings("data.dat");
  EXPECT_EQ(settings.bossFrameCount, 1);
  EXPECT_EQ(settings.stage1BossHits, 2);
  EXPECT_EQ(settings.staffLineCount, 3);
  EXPECT_EQ(settings.bossAnimRate, 4);
  EXPECT_EQ(settings.bossAnimMode, 5);
  EXPECT_EQ(settings.stage1KillsForBoss, 6);
  EXPECT_EQ(settings.enemyFrameCount, 7);
  EXPECT_EQ(settings.enemyAnimRate, 8);
  EXPECT_EQ(settings.bossCallKills, 9);
  EXPECT_EQ(settings.stage23BossHits, 10);
}

TEST_F(FilesTest, BadSettingsFilesLeaveTheRestAtZero) {
  WriteFile("data.dat", "3 4 5");
  ReadSettings("data.dat");
  EXPECT_EQ(settings.staffLineCount, 5);
  EXPECT_EQ(settings.bossAnimRate, 0);
  EXPECT_EQ(settings.stage23BossHits, 0);

  settings = GameSettings();
  WriteFile("data.dat", "3 x4 5 6 7 8 9 10 11 12");
  ReadSettings("data.dat");
  EXPECT_EQ(settings.bossFrameCount, 3);
  EXPECT_EQ(settings.stage1BossHits, 0);  // a word stops the reading
  EXPECT_EQ(settings.stage23BossHits, 0);

  settings = GameSettings();
  ReadSettings("missing.dat");
  EXPECT_EQ(settings.bossFrameCount, 0);
}

TEST_F(FilesTest, NumbersTooLargeForAnIntReadAsTheNearestInt) {
  WriteFile("data.dat", "99999999999999999999 -99999999999999999999 2147483647 -2147483648 5");
  ReadSettings("data.dat");
  EXPECT_EQ(settings.bossFrameCount, INT_MAX);
  EXPECT_EQ(settings.stage1BossHits, INT_MIN);
  EXPECT_EQ(settings.staffLineCount, INT_MAX);
  EXPECT_EQ(settings.bossAnimRate, INT_MIN);
  EXPECT_EQ(settings.bossAnimMode, 5);  // and the reading goes on after them
}

TEST_F(FilesTest, HighScoreFileKeepsTheBetterScore) {
  WriteFile("zqt.sss", "5000 2");
  ReadHighScore();
  EXPECT_EQ(game.highScore, 5000);
  EXPECT_EQ(game.maxStage, 2);

  game.score = 7000;
  EXPECT_EQ(WriteHighScore(), 1);
  EXPECT_EQ(ReadFile("zqt.sss"), "7000 2");

  WriteFile("zqt.sss", "5000 2");
  ReadHighScore();
  game.score = 3000;
  WriteHighScore();
  EXPECT_EQ(ReadFile("zqt.sss"), "5000 2");
  EXPECT_FALSE(std::filesystem::exists("zqt.sss.tmp"));
}

TEST_F(FilesTest, HighScoreFormatIsTwoNumbersAndOneBlank) {
  game.score = 12300;
  game.maxStage = 2;
  WriteHighScore();
  EXPECT_EQ(ReadFile("zqt.sss"), "12300 2");
  EXPECT_EQ(ReadFile("zqt.sss").size(), 7u);
}

TEST_F(FilesTest, MissingOrBrokenHighScoreFileReadsAsNothing) {
  game.highScore = 99;
  game.maxStage = 3;
  ReadHighScore();
  EXPECT_EQ(game.highScore, 0);
  EXPECT_EQ(game.maxStage, 0);

  WriteFile("zqt.sss", "junk");
  ReadHighScore();
  EXPECT_EQ(game.highScore, 0);
  EXPECT_EQ(game.maxStage, 0);

  WriteFile("zqt.sss", "800");
  ReadHighScore();
  EXPECT_EQ(game.highScore, 800);
  EXPECT_EQ(game.maxStage, 0);
}

TEST_F(FilesTest, FailedWriteLeavesTheOldPair) {
  WriteFile("zqt.sss", "5000 2");
  ReadHighScore();
  game.score = 9000;
  // The replacing step fails: the old file stays whole and no temporary is left behind.
  host().SetFailure("MoveFileExA", 0);
  EXPECT_EQ(WriteHighScore(), 0);
  EXPECT_EQ(ReadFile("zqt.sss"), "5000 2");
  EXPECT_FALSE(std::filesystem::exists("zqt.sss.tmp"));
  host().ClearFailures();

  // The temporary cannot even be made (as in a directory the user cannot write).
  std::filesystem::create_directory("zqt.sss.tmp");
  EXPECT_EQ(WriteHighScore(), 0);
  EXPECT_EQ(ReadFile("zqt.sss"), "5000 2");
  std::filesystem::remove("zqt.sss.tmp");
  // Nor in place of a FIFO, which would block the write until a reader came.
  ASSERT_EQ(mkfifo("zqt.sss.tmp", 0644), 0);
  EXPECT_EQ(WriteHighScore(), 0);
  EXPECT_EQ(ReadFile("zqt.sss"), "5000 2");
  std::filesystem::remove("zqt.sss.tmp");

  EXPECT_EQ(WriteHighScore(), 1);
  EXPECT_EQ(ReadFile("zqt.sss"), "9000 2");
}

TEST_F(FilesTest, TitleValuesAndTheFileAreTakenEveryTitleFrame) {
  WriteFile("zqt.sss", "4200 3");
  game.score = 1234;
  game.stageCursor = 3;
  game.buttonDelay = 0.5f;
  game.stickLatch = 1;
  ship.options = 7;
  stage.kills = 12;
  stage.setupCounter = 40;
  banner.timer = 1.5f;
  pathC.cursor = 9;
  pathB.cursor = 11;
  pathC.travelled = 33;
  shot.live = 1;
  shot.x = 123;
  beam.top = -20;
  ResetForTitle();
  EXPECT_EQ(game.score, 0);
  EXPECT_EQ(game.highScore, 4200);
  EXPECT_EQ(game.maxStage, 3);
  EXPECT_EQ(ship.options, 2);
  EXPECT_EQ(ship.x, 295);
  EXPECT_EQ(ship.y, 100);
  EXPECT_EQ(enemyA.x, 650);
  EXPECT_EQ(enemyB.x, 650);
  EXPECT_EQ(enemyC.x, 650);
  EXPECT_EQ(enemyC.y, -50);
  EXPECT_EQ(boss.x, 440);
  EXPECT_EQ(boss.y, 470);
  EXPECT_EQ(shot.y, 500);
  EXPECT_EQ(banner.state, 20);
  EXPECT_EQ(stage.kills, 0);
  EXPECT_EQ(pathC.cursor, 1);
  EXPECT_EQ(pathB.cursor, 1);
  // What the title leaves as it was.
  EXPECT_EQ(game.stageCursor, 3);
  EXPECT_EQ(game.buttonDelay, 0.5f);
  EXPECT_EQ(game.stickLatch, 1);
  EXPECT_EQ(stage.setupCounter, 40);
  EXPECT_EQ(banner.timer, 1.5f);
  EXPECT_EQ(pathC.travelled, 33);
  EXPECT_EQ(shot.live, 1);
  EXPECT_EQ(shot.x, 123);
  EXPECT_EQ(beam.top, -20);
}

}  // namespace
}  // namespace game_test
