// The whole program under the headless host: the scenes a player sees, the files it keeps, bad data.
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "support/fixture.h"

namespace {

using testing_support::ReadFile;
using testing_support::RunProgram;
using testing_support::TempDir;
using testing_support::WriteFile;

// bossFrameCount 5, stage1BossHits 10, staffLineCount 5, bossAnimRate 8, bossAnimMode 1,
// stage1KillsForBoss 15, enemyFrameCount 5, enemyAnimRate 10, bossCallKills 20, stage23BossHits 19
const char kData[] = "5\n10\n5\n8\n1\n15\n5\n10\n20\n19\n";
const char kPathC[] = "150\n1 110\n3 70\n1 90\n4 70\n1 110\n4 70\n1 90\n3 70\n5\n6\n";
const char kPathB[] = "190\n1 220\n3 45\n2 60\n1 160\n4 90\n1 120\n3 45\n1 80\n5\n6\n";

class GameScenario : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::make_unique<TempDir>();
    WriteFile("data.dat", kData);
    WriteFile("teki.dat", kPathC);
    WriteFile("teki2.dat", kPathB);
  }
  void TearDown() override { dir_.reset(); }
  std::unique_ptr<TempDir> dir_;
};

bool Contains(const std::vector<std::string>& log, const std::string& text) {
  for (const std::string& line : log)
    if (line.find(text) != std::string::npos) return true;
  return false;
}

TEST_F(GameScenario, TitleOffersTheStagesReached) {
  WriteFile("zqt.sss", "4900 3");
  WriteFile("in.txt", "40 key tap SPACE\n60 key tap SPACE\n80 key tap SPACE\n");
  auto r = RunProgram("--headless --seed 1 --frames 100 --input in.txt --shot 35:s1.png --shot 50:s2.png "
                      "--shot 70:s3.png --shot 90:s4.png");
  ASSERT_EQ(r.exitCode, 0) << r.output;
  std::string s1 = ReadFile("s1.png"), s2 = ReadFile("s2.png"), s3 = ReadFile("s3.png"), s4 = ReadFile("s4.png");
  ASSERT_FALSE(s1.empty());
  EXPECT_NE(s1, s2);
  EXPECT_NE(s2, s3);
  EXPECT_NE(s1, s3);
  EXPECT_EQ(s1, s4);  // round to stage 1 again
  EXPECT_TRUE(Contains(r.log, "play midi notify"));
  // The title writes nothing.
  EXPECT_EQ(ReadFile("zqt.sss"), "4900 3");
}

TEST_F(GameScenario, NoStageReachedOffersOnlyStageOne) {
  WriteFile("zqt.sss", "0 0");
  WriteFile("in.txt", "40 key tap SPACE\n");
  auto r = RunProgram("--headless --seed 1 --frames 60 --input in.txt --shot 35:s1.png --shot 50:s2.png");
  ASSERT_EQ(r.exitCode, 0) << r.output;
  EXPECT_EQ(ReadFile("s1.png"), ReadFile("s2.png"));
}

TEST_F(GameScenario, SinkingGameEndsOnTheResultAndTheBestIsKept) {
  WriteFile("zqt.sss", "300 1");
  // Enter starts stage 1; Space held fires whenever the shot is back; the ship sinks to the bottom line.
  WriteFile("in.txt", "30 key tap RETURN\n32 key down SPACE\n1400 key up SPACE\n1420 key tap RETURN\n");
  auto r = RunProgram("--headless --seed 5 --frames 1440 --input in.txt --shot 1390:result.png "
                      "--shot 1430:title.png");
  ASSERT_EQ(r.exitCode, 0) << r.output;
  std::string saved = ReadFile("zqt.sss");
  int best = -1, reached = -1;
  ASSERT_EQ(std::sscanf(saved.c_str(), "%d %d", &best, &reached), 2) << saved;
  EXPECT_GT(best, 300);  // a few kills on the way down
  EXPECT_EQ(best % 100, 0);
  EXPECT_EQ(reached, 1);  // a game that ends in stage 1 keeps the stage reached
  EXPECT_EQ(saved, std::to_string(best) + " 1");
  EXPECT_FALSE(std::filesystem::exists("zqt.sss.tmp"));
  EXPECT_FALSE(ReadFile("result.png").empty());
  EXPECT_NE(ReadFile("result.png"), ReadFile("title.png"));
}

TEST_F(GameScenario, BadDataFilesRunWithoutHarm) {
  WriteFile("data.dat", "lots of words 99999999999999999999");
  WriteFile("teki.dat", "-5 7 2147483647");
  std::string many;
  for (int i = 0; i < 500; ++i) many += "1 ";
  WriteFile("teki2.dat", many);
  WriteFile("zqt.sss", "-99999999999999 banana");
  WriteFile("in.txt", "30 key tap RETURN\n32 key down SPACE\n");
  auto r = RunProgram("--headless --seed 3 --frames 400 --input in.txt");
  EXPECT_EQ(r.exitCode, 0) << r.output;

  // Frame indices no picture holds, from huge animation settings.
  WriteFile("data.dat", "2147483647 1 1 2147483647 1 0 2147483647 2147483647 0 0");
  WriteFile("in.txt", "30 key tap RETURN\n32 key down SPACE\n");
  r = RunProgram("--headless --seed 3 --frames 300 --input in.txt --shot 290:frame.png");
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_FALSE(ReadFile("frame.png").empty());
}

TEST_F(GameScenario, UnwritableHighScoreStopsNothing) {
  WriteFile("zqt.sss", "5000 2");
  std::filesystem::create_directory("zqt.sss.tmp");  // the new content cannot be written
  WriteFile("in.txt", "30 key tap RETURN\n");
  auto r = RunProgram("--headless --seed 1 --frames 1400 --input in.txt");
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_EQ(ReadFile("zqt.sss"), "5000 2");
}

TEST_F(GameScenario, StartedElsewhereTheGameKeepsItsScoreInTheUsersDirectory) {
  std::filesystem::remove("data.dat");
  std::filesystem::remove("teki.dat");
  std::filesystem::remove("teki2.dat");
  std::string home = dir_->path() + "/data-home";
  setenv("XDG_DATA_HOME", home.c_str(), 1);
  WriteFile("in.txt", "30 key tap RETURN\n");
  auto r = RunProgram("--headless --seed 1 --frames 1400 --input in.txt");
  unsetenv("XDG_DATA_HOME");
  ASSERT_EQ(r.exitCode, 0) << r.output;
  std::string game = home + "/radire/";
  EXPECT_TRUE(std::filesystem::is_symlink(game + "data.dat"));
  EXPECT_TRUE(std::filesystem::is_symlink(game + "teki2.dat"));
  std::string saved = ReadFile(game + "zqt.sss");
  EXPECT_FALSE(saved.empty());
  EXPECT_FALSE(std::filesystem::is_symlink(game + "zqt.sss"));
  EXPECT_FALSE(std::filesystem::exists("zqt.sss"));  // nothing written where it was started
}

}  // namespace
