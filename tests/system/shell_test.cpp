// The application shell run in-process on the headless host: frames, activation, keys and the two close roads.
#include <vector>

#include "ox.h"
#include "support/fixture.h"
#include "support/test_game.h"

namespace {

using testing_support::HeadlessTest;

struct FrameRecord {
  int modeChanged;
  float frameTime;
  int blink;
  DWORD tick;
  int enter;
};

class ShellTest : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    test_game::Reset();
    libraryState = LibraryState{};
    libraryState.frameClockBase = GetTickCount();
    libraryState.blinkDeadline = GetTickCount() + 1000;
    oxDraw::transition = TransitionState{};
    oxDraw::scrollPage = ScrollPage{};
    test_game::startUp = [] {
      oxDraw::Screen(640, 480, 1);
      libraryState.mode = 1;
    };
    test_game::frame = [this] {
      oxSystem::PollKey(VK_RETURN, &enter_);
      frames_.push_back({libraryState.modeChanged, libraryState.FrameTime, libraryState.blink, GetTickCount(), enter_});
    };
  }
  void TearDown() override {
    test_game::Reset();
    HeadlessTest::TearDown();
  }
  void Script(const std::string& text) {
    std::vector<host::ScriptedEvent> events;
    std::string error;
    ASSERT_TRUE(host::ParseInputScript(text, &events, &error)) << error;
    host().AddScript(events);
  }
  int Run() { return WinMain(GetModuleHandleA(nullptr), nullptr, const_cast<char*>("a b"), SW_SHOWDEFAULT); }
  int Shutdowns() { return int(LogWith("window minimize").size()); }

  std::vector<FrameRecord> frames_;
  int enter_ = 0;
};

TEST_F(ShellTest, ModeChangedOnlyDuringTheFirstFrameAndAfterALaterChange) {
  test_game::frame = [this] {
    frames_.push_back({libraryState.modeChanged, 0, 0, 0, 0});
    if (frames_.size() == 3) libraryState.mode = 1;  // no change
  };
  Script("6 close");
  EXPECT_EQ(Run(), 0);
  ASSERT_GE(frames_.size(), 5u);
  EXPECT_EQ(frames_[0].modeChanged, 1);
  for (size_t i = 1; i < frames_.size(); ++i) EXPECT_EQ(frames_[i].modeChanged, 0) << "frame " << i;
  EXPECT_STREQ(libraryState.commandLine, "a b");
}

TEST_F(ShellTest, ActivationRestartsTheFrameClock) {
  // Inactive for many idle frames: the first frame after activation measures from the activation.
  Script("3 activate 0\n200 activate 1\n205 close");
  EXPECT_EQ(Run(), 0);
  ASSERT_GT(frames_.size(), 6u);
  float largest = 0;
  for (const FrameRecord& f : frames_) largest = std::max(largest, f.frameTime);
  EXPECT_LE(largest, 0.0161f);
  EXPECT_FLOAT_EQ(frames_[1].frameTime, 0.016f);
  EXPECT_EQ(libraryState.active, 1);
}

TEST_F(ShellTest, BlinkIsOnForASecondThenOffFor200Ms) {
  Script("200 close");
  EXPECT_EQ(Run(), 0);
  const DWORD start = frames_.front().tick - 16;  // the clock when the shell started
  std::vector<std::pair<DWORD, int>> changes;  // tick (relative) at which blink took a new value
  int previous = 1;
  for (const FrameRecord& f : frames_) {
    if (f.blink != previous) changes.push_back({f.tick - start, f.blink});
    previous = f.blink;
  }
  ASSERT_GE(changes.size(), 4u);
  EXPECT_EQ(changes[0].second, 0);
  EXPECT_GE(changes[0].first, 1000u);
  EXPECT_LT(changes[0].first, 1000u + 40);
  EXPECT_EQ(changes[1].second, 1);
  EXPECT_GE(changes[1].first - changes[0].first, 200u);
  EXPECT_LT(changes[1].first - changes[0].first, 200u + 40);
  EXPECT_GE(changes[2].first - changes[1].first, 1000u);
  EXPECT_LT(changes[2].first - changes[1].first, 1000u + 40);
}

TEST_F(ShellTest, EscapeShutsDownOnceAndEndsTheLoop) {
  Script("5 key down ESCAPE");
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(Shutdowns(), 1);
  EXPECT_EQ(libraryState.shutdownState, 2);
  // No frame runs between the shutdown and the end of the loop.
  EXPECT_EQ(frames_.size(), 5u);
  EXPECT_EQ(LogWith("window close").size(), 1u);
}

TEST_F(ShellTest, CloseFromTheSystemShutsDownOnce) {
  Script("4 close");
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(Shutdowns(), 1);
  EXPECT_EQ(libraryState.shutdownState, 2);
  EXPECT_EQ(frames_.size(), 4u);
}

TEST_F(ShellTest, AltF4IsSwallowed) {
  Script("2 syskey down F4\n3 syskey up F4\n10 close");
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(frames_.size(), 10u);  // the game ran on past the Alt+F4
  EXPECT_EQ(Shutdowns(), 1);
}

TEST_F(ShellTest, PollKeyEdgeStates) {
  Script("2 key down RETURN\n5 key up RETURN\n7 key down RETURN\n8 key up RETURN\n12 close");
  EXPECT_EQ(Run(), 0);
  std::vector<int> seen;
  for (const FrameRecord& f : frames_) seen.push_back(f.enter);
  // frames 1..2 up, pressed at 3, held, released at 6, up, pressed, released, up
  std::vector<int> expected = {0, 0, 1, 3, 3, 2, 0, 1, 2, 0, 0, 0};
  EXPECT_EQ(seen, expected);
}

TEST_F(ShellTest, AKeyHeldThroughATransitionReadsPressedAfterIt) {
  test_game::startUp = [] {
    oxDraw::Screen(640, 480, 1);
    libraryState.mode = 1;
    oxDraw::transition.step = 1;
    oxDraw::transition.direction = -1;
  };
  test_game::frame = [this] {
    if (frames_.size() == 4) oxDraw::transition.step = 0;  // the transition ends before the fifth poll
    oxSystem::PollKey(VK_RETURN, &enter_);
    frames_.push_back({0, 0, 0, 0, enter_});
  };
  Script("0 key down RETURN\n8 close");
  EXPECT_EQ(Run(), 0);
  std::vector<int> seen;
  for (const FrameRecord& f : frames_) seen.push_back(f.enter);
  EXPECT_EQ(seen, (std::vector<int>{0, 0, 0, 0, 1, 3, 3, 3}));
}

TEST_F(ShellTest, KeyRedirectAndScrollPageSuppressPolls) {
  test_game::frame = [this] {
    if (frames_.size() == 2) oxSystem::BeginKeyRedirect();
    if (frames_.size() == 4) oxSystem::EndKeyRedirect();
    oxSystem::PollKey(VK_SPACE, &enter_);
    frames_.push_back({0, 0, 0, 0, enter_});
  };
  Script("0 key down SPACE\n7 close");
  EXPECT_EQ(Run(), 0);
  std::vector<int> seen;
  for (const FrameRecord& f : frames_) seen.push_back(f.enter);
  EXPECT_EQ(seen, (std::vector<int>{1, 3, 0, 0, 1, 3, 3}));
  EXPECT_EQ(libraryState.redirectKey, 0);
}

TEST_F(ShellTest, WindowProcKeepsKeyAndMouseFields) {
  test_game::frame = [this] { frames_.push_back({0, 0, 0, 0, 0}); };
  Script(
      "1 key down A\n2 key up A\n2 key down SHIFT\n3 key up SHIFT\n3 mouse 100 65535\n4 mouse 110 50\n5 click "
      "right\n8 close");
  libraryState.watchedKey = 'A';
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(libraryState.lastKey, VK_SHIFT);
  EXPECT_EQ(libraryState.currentKey, 0);
  EXPECT_EQ(libraryState.shiftToggle, 1);
  EXPECT_EQ(libraryState.watchedKeyCount, 1);
  EXPECT_EQ(libraryState.mouseX, 110);
  EXPECT_EQ(libraryState.mouseY, 50);
  EXPECT_EQ(libraryState.rightPressed, 1);
  EXPECT_EQ(libraryState.rightDown, 0);
  EXPECT_EQ(libraryState.rightClicked, 0);  // cleared after the frame
}

TEST_F(ShellTest, ScreenSaverAndSystemKeysNeverReachTheDefaultHandling) {
  EXPECT_EQ(WindowProc(nullptr, WM_SYSCOMMAND, SC_SCREENSAVE, 0), 1);
  EXPECT_EQ(WindowProc(nullptr, WM_SYSKEYDOWN, VK_F4, 0), 0);
}

}  // namespace
