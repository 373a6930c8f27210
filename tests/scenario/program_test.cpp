// The whole program under the headless host: how runs start and end.
#include "support/fixture.h"

namespace {

using testing_support::RunProgram;
using testing_support::TempDir;
using testing_support::WriteFile;

int Count(const std::vector<std::string>& log, const std::string& needle) {
  int n = 0;
  for (const std::string& line : log) n += line.find(needle) != std::string::npos;
  return n;
}

TEST(Program, EndsAfterTheGivenNumberOfFrames) {
  TempDir dir;
  auto r = RunProgram("--headless --frames 100");
  EXPECT_EQ(r.exitCode, 0) << r.output;
  ASSERT_FALSE(r.log.empty());
  EXPECT_EQ(Count(r.log, "100 frame limit reached"), 1);
  EXPECT_EQ(Count(r.log, "window minimize"), 1);  // one shutdown
  EXPECT_EQ(Count(r.log, "window open \"Radire\""), 1);
}

TEST(Program, EscapeEndsTheRunWithOneShutdown) {
  TempDir dir;
  WriteFile("in.txt", "10 key tap ESCAPE\n");
  auto r = RunProgram("--headless --frames 1000 --input in.txt");
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_EQ(Count(r.log, "window minimize"), 1);
  EXPECT_EQ(Count(r.log, "frame limit"), 0);
  EXPECT_EQ(Count(r.log, "10 window close"), 1);
}

TEST(Program, BadSwitchesAndScriptsStopWithCodeTwo) {
  TempDir dir;
  auto r = RunProgram("--headless --bogus");
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.output.find("unknown switch --bogus"), std::string::npos) << r.output;
  WriteFile("bad.txt", "1 key tap RETURN\n2 jump\n");
  r = RunProgram("--headless --input bad.txt");
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.output.find("line 2"), std::string::npos) << r.output;
  EXPECT_EQ(std::count(r.output.begin(), r.output.end(), '\n'), 1);
  r = RunProgram("--headless --frames x");
  EXPECT_EQ(r.exitCode, 2);
  r = RunProgram("--headless --input missing.txt");
  EXPECT_EQ(r.exitCode, 2);
  r = RunProgram("--help");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.output.find("--shot F:FILE.png"), std::string::npos);
}

}  // namespace
