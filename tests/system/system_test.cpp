// The error report, the wait timers and the system utilities.
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "ox.h"
#include "support/fixture.h"

namespace {

using testing_support::HeadlessTest;
using testing_support::Utf8;

class SystemTest : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    libraryState = LibraryState{};
    oxSystem::ResetWaits();
  }
  std::vector<std::string> Boxes() { return LogWith("messagebox"); }
};

TEST_F(SystemTest, OutOfRangeWaitNumbersAreReportedExactly) {
  for (int n : {0, 11, -5}) {
    host().SetClock(5000);
    DWORD before = oxSystem::WaitDeadline(10);
    EXPECT_EQ(oxSystem::SetWait(n, 100), 0);
    EXPECT_EQ(oxSystem::InitWait(n), 0);
    EXPECT_EQ(oxSystem::WaitDeadline(10), before);
  }
  auto lines = host().LogLines();
  ASSERT_EQ(lines.size(), 12u);
  // beep, then the box, for each report
  EXPECT_NE(lines[0].find("beep 0xffffffff"), std::string::npos);
  EXPECT_NE(lines[1].find("messagebox caption=\"" + Utf8("エラー発生") + "\" text=\"oxSystem::SetWait : " +
                          Utf8("ウェイトNoが範囲外です") + "\" style=0x1030"),
            std::string::npos)
      << lines[1];
  EXPECT_NE(lines[3].find("text=\"oxSystem::InitWait : " + Utf8("ウェイトNoが範囲外です") + "\""), std::string::npos);
  EXPECT_EQ(oxSystem::SetWait(1, 5), 1);
  EXPECT_EQ(oxSystem::SetWait(10, 5), 1);
  EXPECT_EQ(oxSystem::InitWait(10), 1);
  EXPECT_EQ(host().LogLines().size(), 12u);
}

TEST_F(SystemTest, ErrorReportReturnsZeroHoweverTheBoxIsClosed) {
  for (const char* answer : {"ok", "cancel", "no"}) {
    host().SetAnswer(answer);
    EXPECT_EQ(oxSystem::ErrorMessage("oxDraw::Screen", "x", 5), 0);
  }
  // With no window yet, the box still shows.
  EXPECT_EQ(Boxes().size(), 3u);
  // A box that cannot be shown changes nothing of the report's answer.
  host().SetFailure("MessageBoxA", 0);
  EXPECT_EQ(oxSystem::ErrorMessage("oxDraw::Screen", "x", 5), 0);
  EXPECT_EQ(oxSystem::YesNoMessage("go?"), 0);
  EXPECT_EQ(Boxes().size(), 3u);
}

TEST_F(SystemTest, MessageBoxesFormatAndAnswer) {
  host().SetAnswer("no");
  EXPECT_EQ(oxSystem::YesNoMessage("%d bits", 24), 0);
  host().SetAnswer("yes");
  EXPECT_EQ(oxSystem::YesNoMessage("go?"), 1);
  host().SetAnswer("");
  EXPECT_EQ(oxSystem::Message("%s=%d", "a", 7), IDOK);
  auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_NE(boxes[0].find("text=\"24 bits\r\n\" style=0x1024"), std::string::npos) << boxes[0];
  EXPECT_NE(boxes[2].find("caption=\"" + Utf8("メッセージ") + "\" text=\"a=7\r\n\" style=0x1030"), std::string::npos);
  EXPECT_TRUE(LogWith("beep").empty());  // only the error report beeps
  // A message longer than the buffer is cut and still ends with its line break.
  std::string longText(400, 'x');
  oxSystem::Message("%s", longText.c_str());
  std::string last = Boxes().back();
  EXPECT_NE(last.find(std::string(253, 'x') + "\r\n\""), std::string::npos);
  EXPECT_EQ(last.find(std::string(254, 'x')), std::string::npos);
}

TEST_F(SystemTest, WaitDeadlinesCompareStrictlyAndWrap) {
  host().SetClock(10000);
  EXPECT_EQ(oxSystem::SetWait(3, 0), 1);
  EXPECT_EQ(oxSystem::CheckWait(3), 0);  // equal is not past
  host().AdvanceClock(1);
  EXPECT_EQ(oxSystem::CheckWait(3), 1);
  host().AdvanceClock(1000);
  EXPECT_EQ(oxSystem::CheckWait(3), 1);  // elapsed waits stay elapsed
  EXPECT_EQ(oxSystem::InitWait(3), 1);
  EXPECT_EQ(oxSystem::CheckWait(3), 0);
  host().SetClock(oxSystem::WAIT_IDLE);
  EXPECT_EQ(oxSystem::CheckWait(3), 0);
  host().SetClock(oxSystem::WAIT_IDLE + 1);
  EXPECT_EQ(oxSystem::CheckWait(3), 1);

  // A deadline past 2^32 wraps to a small number: elapsed at once.
  host().SetClock(0xFFFFFF00u);
  EXPECT_EQ(oxSystem::SetWait(4, 0x200), 1);
  EXPECT_EQ(oxSystem::WaitDeadline(4), 0x100u);
  EXPECT_EQ(oxSystem::CheckWait(4), 1);
}

TEST_F(SystemTest, BusyWaitSpinsUntilTheTickMovesAndResetsTheFrameTime) {
  host().SetClock(20000);
  libraryState.FrameTime = 0.5f;
  DWORD end = oxSystem::BusyWait(0);
  EXPECT_EQ(end, 20001u);
  EXPECT_EQ(libraryState.FrameTime, 0.0f);
  EXPECT_EQ(libraryState.frameClockBase, end);
  EXPECT_EQ(oxSystem::BusyWait(3), 20005u);
  host().SetClock(0xFFFFFFF0u);
  EXPECT_EQ(oxSystem::BusyWait(0x100), 0xFFFFFFF0u);  // wrapped deadline: returns at once
}

TEST_F(SystemTest, FrameTimeIsTheTickDifferenceInSeconds) {
  host().SetClock(0xFFFFFFF8u);
  oxSystem::ResetFrameTime();
  EXPECT_EQ(libraryState.FrameTime, 0.0f);
  host().AdvanceClock(16);  // across the wrap
  oxSystem::UpdateFrameTime();
  EXPECT_EQ(libraryState.FrameTime, 0.016f);
  EXPECT_EQ(libraryState.frameClockBase, 8u);
}

TEST_F(SystemTest, GetPathGivesTheProgramDirectoryAndTheAlternative) {
  char exe[4096];
  ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  ASSERT_GT(n, 0);
  exe[n] = '\0';
  std::string dir = std::filesystem::path(exe).parent_path().string() + "/";
  std::string name = std::filesystem::path(exe).parent_path().filename().string() + "/";
  EXPECT_EQ(std::string(oxSystem::GetPath(0)), dir);
  EXPECT_EQ(std::string(oxSystem::GetPath(1)), dir);

  // The pointer file in the "Windows directory" names the alternative base, with a trailing separator.
  std::string config = dir_->File("config");
  std::filesystem::create_directories(config);
  setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  testing_support::WriteFile(config + "/alt.txt", dir_->File("save") + "/\n");
  oxSystem::ReadAltDirectory("alt.txt");
  EXPECT_EQ(std::string(oxSystem::GetPath(1)), dir_->File("save") + "/" + name);
  EXPECT_EQ(std::string(oxSystem::GetPath(0)), dir);

  // Value files go to the alternative directory and hold the digits only.
  std::filesystem::create_directories(dir_->File("save") + "/" + name);
  oxSystem::WriteValue("value.txt", -1234);
  EXPECT_EQ(testing_support::ReadFile(dir_->File("save") + "/" + name + "value.txt"), "-1234");
  EXPECT_EQ(oxSystem::ReadValue("value.txt"), -1234);
  EXPECT_EQ(oxSystem::ReadValue("missing.txt"), 0);

  // No pointer file: the alternative is forgotten.
  oxSystem::ReadAltDirectory("none.txt");
  EXPECT_EQ(std::string(oxSystem::GetPath(1)), dir);
  unsetenv("XDG_CONFIG_HOME");
}

TEST_F(SystemTest, GetPathOnAPathWithoutSeparatorStaysInItsBuffer) {
  host().SetFailure("GetModuleFileNameA", 0);
  EXPECT_STREQ(oxSystem::GetPath(0), "");
}

TEST_F(SystemTest, ScanIntReadsLikePercentDButDefinedForEveryInput) {
  testing_support::WriteFile("n.txt", "  12\n-7 +3 99999999999 -99999999999 x 5");
  FILE* f = std::fopen("n.txt", "rt");
  ASSERT_NE(f, nullptr);
  int v = 42;
  EXPECT_EQ(oxSystem::ScanInt(f, &v), 1);
  EXPECT_EQ(v, 12);
  EXPECT_EQ(oxSystem::ScanInt(f, &v), 1);
  EXPECT_EQ(v, -7);
  EXPECT_EQ(oxSystem::ScanInt(f, &v), 1);
  EXPECT_EQ(v, 3);
  EXPECT_EQ(oxSystem::ScanInt(f, &v), 1);
  EXPECT_EQ(v, 2147483647);
  EXPECT_EQ(oxSystem::ScanInt(f, &v), 1);
  EXPECT_EQ(v, -2147483647 - 1);
  v = 42;
  EXPECT_EQ(oxSystem::ScanInt(f, &v), 0);  // a word stops the reading and leaves the value
  EXPECT_EQ(oxSystem::ScanInt(f, &v), 0);
  EXPECT_EQ(v, 42);
  std::fclose(f);
}

TEST_F(SystemTest, DateGivesTheWeekdayName) {
  setenv("TZ", "UTC", 1);
  tzset();
  const char* names[7] = {"日", "月", "火", "水", "木", "金", "土"};
  // 2026-12-06 was a Sunday.
  for (int d = 0; d < 7; ++d) {
    host().SetWallClock(1796515200 + d * 86400 + 3723);
    int year, month, day, hour, minute, second;
    char weekday[3] = {'x', 'x', 'x'};
    oxSystem::GetDate(&year, &month, &day, weekday);
    oxSystem::GetTime(&hour, &minute, &second);
    EXPECT_EQ(year, 2026);
    EXPECT_EQ(month, 12);
    EXPECT_EQ(day, 6 + d);
    EXPECT_STREQ(weekday, names[d]);
    EXPECT_EQ(hour * 10000 + minute * 100 + second, 10203);
  }
}

TEST_F(SystemTest, CursorConfinementAndTheFontRecord) {
  oxDraw::screen.width = 640;
  oxDraw::screen.height = 480;
  libraryState.fullScreen = 0;
  libraryState.clientOrigin = {100, 50};
  EXPECT_EQ(oxSystem::IsCursorClipped(), 0);
  oxSystem::ClipCursorToWindow();
  EXPECT_EQ(oxSystem::IsCursorClipped(), 1);
  ASSERT_NE(host().cursorClip(), nullptr);
  EXPECT_EQ(host().cursorClip()[0], 100);
  EXPECT_EQ(host().cursorClip()[3], 530);
  oxSystem::SetMousePos(10, 20);
  int x, y;
  host().GetCursorPos(&x, &y);
  EXPECT_EQ(x, 110);
  EXPECT_EQ(y, 70);
  oxSystem::FreeCursor();
  EXPECT_EQ(host().cursorClip(), nullptr);
  EXPECT_EQ(oxSystem::IsCursorClipped(), 0);

  ASSERT_NE(oxSystem::AllocFontRecord(), nullptr);
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(oxSystem::FontRecord());
  for (int i = 0; i < 60; ++i) EXPECT_EQ(bytes[i], 0);
  EXPECT_EQ(oxSystem::FreeFontRecord(), nullptr);
  EXPECT_EQ(oxSystem::SetWatchKey('Q'), 'Q');
  EXPECT_EQ(oxSystem::GetWatchKeyCount(), 0);
}

TEST_F(SystemTest, DiskAndMemoryQueriesAnswer) {
  EXPECT_GT(oxSystem::GetFreeMemory(), 0u);
  DWORD free = oxSystem::GetDiskFree('C');
  host().SetFailure("GetDiskFreeSpaceA", 0);
  EXPECT_EQ(oxSystem::GetDiskFree('C'), 0u);
  (void)free;
}

}  // namespace
