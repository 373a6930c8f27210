// Records of a run, played back by the program: the same frames and high-score file, and bad records refused.
#include <filesystem>
#include <regex>

#include "host/record/session.h"
#include "support/fixture.h"

namespace {

using testing_support::ReadFile;
using testing_support::RunProgram;
using testing_support::TempDir;
using testing_support::WriteFile;

const char kData[] = "4\n3\n5\n12\n0\n15\n4\n10\n10\n5\n";
const char kPath[] = "150\n1 110\n3 70\n1 90\n5\n6\n";
// Into stage 1, shooting and steering, then Escape.
const char kGame[] =
    "40 key down RETURN\n42 key up RETURN\n90 key down SPACE\n100 key down LEFT\n160 key up LEFT\n"
    "170 joy 0 65535 32767 1\n230 joy 0 32767 32767 0\n300 key up SPACE\n420 key tap ESCAPE\n";

class Record : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::make_unique<TempDir>();
    WriteFile("data.dat", kData);
    WriteFile("teki.dat", kPath);
    WriteFile("teki2.dat", kPath);
    WriteFile("zqt.sss", "100 1");
    WriteFile("in.txt", kGame);
  }
  // The record with the first `match` replaced.
  std::string With(const std::string& text, const std::string& match, const std::string& replacement) {
    std::string changed = text;
    size_t at = changed.find(match);
    EXPECT_NE(at, std::string::npos) << match;
    if (at != std::string::npos) changed.replace(at, match.size(), replacement);
    return changed;
  }
  std::unique_ptr<TempDir> dir_;
};

TEST_F(Record, ReplaysGiveTheRecordedFramesAndHighScore) {
  auto r = RunProgram("--headless --input in.txt --record game.rec --shot 150:a.png --shot 400:b.png");
  ASSERT_EQ(r.exitCode, 0) << r.output;
  std::string played = ReadFile("zqt.sss"), record = ReadFile("game.rec");
  ASSERT_NE(record.find(" key down LEFT"), std::string::npos);
  ASSERT_NE(record.find(" joy 0 65535 32767 1 4"), std::string::npos);
  WriteFile("zqt.sss", "7 1");  // the player's file, which no replay may touch
  for (const char* shots : {"--shot 150:a2.png --shot 400:b2.png", "--shot 150:a3.png --shot 400:b3.png"}) {
    r = RunProgram(std::string("--headless --replay game.rec ") + shots);
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NE(r.output.find("replay matched: "), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("zqt.sss \"" + played + "\""), std::string::npos) << r.output;
  }
  EXPECT_EQ(ReadFile("zqt.sss"), "7 1");
  EXPECT_FALSE(ReadFile("a.png").empty());
  EXPECT_EQ(ReadFile("a.png"), ReadFile("a2.png"));
  EXPECT_EQ(ReadFile("b.png"), ReadFile("b3.png"));
  EXPECT_NE(ReadFile("a.png"), ReadFile("b.png"));

  // Unwritable, the record costs one warning line and nothing of the game.
  r = RunProgram("--headless --input in.txt --record no/such/dir/game.rec");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.output.find("radire: cannot record"), std::string::npos) << r.output;
  EXPECT_EQ(r.output.find("radire: ", r.output.find("radire: ") + 1), std::string::npos) << r.output;
}

TEST_F(Record, BadRecordsAreRefusedOrStopAtTheirFirstDivergence) {
  ASSERT_EQ(RunProgram("--headless --input in.txt --record game.rec").exitCode, 0);
  std::string record = ReadFile("game.rec");
  // The player's file, which no replay may touch (the game itself may have scored, by its random seed).
  WriteFile("zqt.sss", "7 1");
  size_t end = record.rfind("end ");
  std::string sum = record.substr(record.find("0 sum ") + 6, 16);
  std::string event = record.substr(record.find(":0 key down LEFT") - 3, 3);  // the frame of the key press
  const struct {
    std::string text;
    int exitCode;
    const char* says;
  } cases[] = {
      {record.substr(0, end), 2, "truncated"},
      {record.substr(0, record.size() / 2), 2, "truncated"},
      {With(record, " key down LEFT", " key down LEFTWARD"), 2, "corrupt at line"},
      {With(record, " t 16", " t 1x"), 2, "corrupt at line"},
      {With(record, "\nversion ", "\nversion 9"), 2, "from version 9"},
      {With(record, "radire-record 2\n", "radire-record 3\n"), 2, "format (3)"},
      {With(record, "file teki2.dat ", "file teki2.dat 0"), 2, "another teki2.dat"},
      {"PK\x03\x04 zip", 2, "not a record"},
      // One byte of an input event: the key press taken a frame late.
      {With(record, event + ":0 key down LEFT", event.substr(0, 2) + char(event[2] + 1) + ":0 key down LEFT"), 3,
       "replay diverged at frame "},
      // One frame's picture that is not the recorded one.
      {With(record, "0 sum " + sum, std::string("0 sum ") + char(sum[0] == '0' ? '1' : '0') + sum.substr(1)), 3,
       " replayed"},
  };
  for (const auto& c : cases) {
    WriteFile("bad.rec", c.text);
    auto r = RunProgram("--headless --replay bad.rec");
    EXPECT_EQ(r.exitCode, c.exitCode) << c.says << ": " << r.output;
    EXPECT_NE(r.output.find(c.says), std::string::npos) << r.output;
    // A divergence names what differed.
    if (c.exitCode == 3)
      EXPECT_TRUE(std::regex_search(r.output, std::regex("replay diverged at frame [0-9]+: (checkpoint sum [0-9a-f]{16} "
                                                         "recorded, [0-9a-f]{16} replayed|the record holds .+, the replay )")))
          << r.output;
    EXPECT_EQ(std::count(r.output.begin(), r.output.end(), '\n'), 1) << r.output;
    EXPECT_EQ(ReadFile("zqt.sss"), "7 1");
  }
  auto r = RunProgram("--headless --replay missing.rec");
  EXPECT_EQ(r.exitCode, 2);
}

TEST(KeptReplays, TheNewestTenAndTheBestGameStay) {
  TempDir dir;
  for (int i = 10; i < 22; ++i) WriteFile("202612" + std::to_string(i) + "-120000-1.rec", "x");
  WriteFile("best.rec", "x");
  WriteFile("notes.txt", "x");
  host::record::PruneReplays(dir.path(), 10);
  EXPECT_FALSE(std::filesystem::exists("20261210-120000-1.rec"));
  EXPECT_FALSE(std::filesystem::exists("20261211-120000-1.rec"));
  EXPECT_TRUE(std::filesystem::exists("20261212-120000-1.rec"));
  EXPECT_TRUE(std::filesystem::exists("20261221-120000-1.rec"));
  EXPECT_TRUE(std::filesystem::exists("best.rec"));
  EXPECT_TRUE(std::filesystem::exists("notes.txt"));
}

}  // namespace
