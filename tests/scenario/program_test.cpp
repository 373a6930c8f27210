// The whole program under the headless host: how runs start and end.
#include <sys/stat.h>

#include <filesystem>
#include <iterator>
#include <set>
#include <sstream>

#include "support/fixture.h"

namespace {

using testing_support::ReadFile;
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
  // What only the headless host can honour is refused by the window, before any display is opened.
  for (const char* sw : {"--step-ms 8", "--input in.txt", "--shot 5:a.png", "--fail GetDC", "--display 555",
                         "--accelerator", "--lose-surfaces 9", "--answer yes"}) {
    WriteFile("in.txt", "1 key tap RETURN\n");
    r = RunProgram(std::string("--window --frames 5 ") + sw);
    EXPECT_EQ(r.exitCode, 2) << sw;
    EXPECT_EQ(r.output, "radire: " + std::string(sw).substr(0, std::string(sw).find(' ')) +
                            " needs --headless: the window has no use for it\n");
  }
  r = RunProgram("--help");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.output.find("--shot F:FILE.png"), std::string::npos);
}

TEST(Program, FailTakesEveryPlatformNameAndAFailedStartSaysSo) {
  TempDir dir;
  auto help = RunProgram("--help");
  size_t list = help.output.find("--fail knows:");
  ASSERT_NE(list, std::string::npos) << help.output;
  std::istringstream words(help.output.substr(list + 13));
  std::vector<std::string> names{std::istream_iterator<std::string>(words), {}};
  ASSERT_EQ(names.size(), std::size(host::kFailableFunctions));
  // Failures of calls the program makes only on other paths (a wave, a dialog, a windowed clipper, the
  // high-score write); the library's own tests inject those.
  const std::set<std::string> elsewhere = {"CreateClipper", "GetAttachedSurface", "GetDC", "GetDiskFreeSpaceA",
                                           "IDirectSoundBuffer::Lock", "MessageBoxA", "MoveFileExA", "SetClipper",
                                           "SetHWnd", "mmioOpenA"};
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    auto r = RunProgram("--headless --frames 3 --fail " + name);
    bool start = name == "RegisterClassA" || name == "CreateWindowExA";
    EXPECT_EQ(r.exitCode, start ? 1 : 0) << r.output;
    if (!elsewhere.count(name)) {
      EXPECT_GE(Count(r.log, " fail " + name), 1);
    }
    if (start) {
      EXPECT_EQ(r.output, name + " failed: the window cannot be made\n");
      EXPECT_EQ(Count(r.log, "messagebox caption="), 1);
      EXPECT_EQ(Count(r.log, "window open"), 0);
    }
  }
  // The count follows the last colon.
  auto r = RunProgram("--headless --frames 3 --fail IDirectDrawSurface::GetDC:2");
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_EQ(Count(r.log, " fail IDirectDrawSurface::GetDC"), 1);
  for (const char* bad : {"LoadImageA:x", "LoadImageA:0", "Nothing", "Nothing:2", "IDirectDrawSurface:"}) {
    r = RunProgram(std::string("--headless --frames 3 --fail ") + bad);
    EXPECT_EQ(r.exitCode, 2) << bad;
    EXPECT_NE(r.output.find("--fail"), std::string::npos) << r.output;
  }
}

// --lang en: the result sentence and the library's error reports in English; Japanese, byte for byte, without it.
TEST(Program, LangChoosesEnglishTextsAndJapaneseStaysTheDefault) {
  TempDir dir;
  // Stage 1 lost at once (the contact game): the result screen from frame 182.
  WriteFile("in.txt", "40 key down RETURN\n43 key up RETURN\n60 key down LEFT\n83 key up LEFT\n");
  for (const char* lang : {"", "--lang ja", "--lang en"}) {
    auto r = RunProgram(std::string("--headless --seed 1 --frames 200 --input in.txt --shot 195:result") +
                        (lang[0] ? lang + 7 : "") + ".png " + lang);
    ASSERT_EQ(r.exitCode, 0) << lang << r.output;
  }
  EXPECT_EQ(ReadFile("result.png"), ReadFile("resultja.png"));
  EXPECT_NE(ReadFile("result.png"), ReadFile("resulten.png"));
  // A record keeps the language it was played in, and replays in it.
  auto played = RunProgram("--headless --seed 1 --frames 200 --input in.txt --lang en --record en.rec");
  ASSERT_EQ(played.exitCode, 0) << played.output;
  EXPECT_NE(ReadFile("en.rec").find("\nlanguage en\n"), std::string::npos);
  auto replayed = RunProgram("--headless --replay en.rec --shot 195:replayed.png");
  EXPECT_NE(replayed.output.find("replay matched"), std::string::npos) << replayed.output;
  EXPECT_EQ(ReadFile("replayed.png"), ReadFile("resulten.png"));

  auto ja = RunProgram("--headless --frames 3 --fail DirectDrawCreate");
  auto en = RunProgram("--headless --frames 3 --fail DirectDrawCreate --lang en");
  EXPECT_EQ(Count(ja.log, "caption=\"" + testing_support::Utf8("エラー発生") + "\" text=\"oxDraw::Screen : " +
                              testing_support::Utf8("DirectDrawが使用できません") + "\""),
            1);
  EXPECT_EQ(Count(en.log, "caption=\"Error\" text=\"oxDraw::Screen : DirectDraw cannot be used\""), 1);
  auto bad = RunProgram("--headless --frames 3 --lang fr");
  EXPECT_EQ(bad.exitCode, 2);
  EXPECT_NE(bad.output.find("--lang takes ja or en"), std::string::npos) << bad.output;
}

TEST(Program, WhatIsNoRegularFileReadsAsUnreadableAtOnce) {
  const char* bin = std::getenv("RADIRE_BIN");
  const std::string from = std::string(bin ? bin : ".") + "/";
  for (const char* name : {"CHARA.BMP", "data.dat", "teki.dat", "zqt.sss"}) {
    for (bool fifo : {true, false}) {
      SCOPED_TRACE(std::string(name) + (fifo ? " as a FIFO" : " as a directory"));
      TempDir dir;
      std::filesystem::copy_file(from + "radire", "radire");
      for (const char* data : {"data.dat", "teki.dat", "teki2.dat"}) std::filesystem::copy_file(from + data, data);
      std::filesystem::remove(name);
      ASSERT_EQ(fifo ? mkfifo(name, 0644) : mkdir(name, 0755), 0);
      auto r = RunProgram("--headless --frames 50", dir.File("radire"));
      EXPECT_EQ(r.exitCode, 0) << r.output;
      EXPECT_EQ(Count(r.log, "50 frame limit reached"), 1);
    }
  }
}

}  // namespace
