// The second program on the library: every scene runs in both pixel formats, and Left and Right step.
#include "support/fixture.h"

namespace {

using testing_support::ReadFile;
using testing_support::RunProgram;
using testing_support::TempDir;
using testing_support::WriteFile;

TEST(Demo, EveryScenePlaysInBothPixelFormatsAndTheKeysStepThroughThem) {
  for (const char* display : {"565", "555"}) {
    TempDir dir;
    std::string script = "3 key tap LEFT\n6 key tap RIGHT\n";  // round to the last scene and back
    for (int i = 0; i < 38; i++) script += std::to_string(10 + i * 6) + " key tap SPACE\n";
    WriteFile("in.txt", script);
    auto r = RunProgram(std::string("--headless --frames 240 --input in.txt --display ") + display +
                            " --shot 8:first.png --shot 30:later.png",
                        "demo");
    EXPECT_EQ(r.exitCode, 0) << r.output;
    std::vector<std::string> titles;
    for (const std::string& line : r.log) {
      EXPECT_EQ(line.find("messagebox"), std::string::npos) << line;
      if (line.find("window title") != std::string::npos) titles.push_back(line);
    }
    ASSERT_EQ(titles.size(), 41u) << display;
    EXPECT_NE(titles[0].find("1/38: Transitions"), std::string::npos) << titles[0];
    EXPECT_NE(titles[1].find("38/38: Wave sound"), std::string::npos) << titles[1];
    EXPECT_NE(titles[2].find("1/38"), std::string::npos) << titles[2];
    EXPECT_NE(titles[40].find("1/38"), std::string::npos) << "38 steps go round once";
    std::string first = ReadFile("first.png"), later = ReadFile("later.png");
    EXPECT_GT(first.size(), 1000u);
    EXPECT_NE(first, later);
  }
}

}  // namespace
