// The joystick: winmm's joyGetPosEx over the headless host's pads, and the library's queries on top.
#include <vector>

#include "ox.h"
#include "support/fixture.h"

namespace {

class JoystickTest : public testing_support::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    libraryState.FrameTime = 0.0f;
    libraryState.keyRedirect = 0;
    oxDraw::transition = TransitionState{};
    oxDraw::scrollPage = ScrollPage{};
  }
  void TearDown() override {
    oxDraw::transition = TransitionState{};
    oxDraw::scrollPage = ScrollPage{};
    libraryState.keyRedirect = 0;
    HeadlessTest::TearDown();
  }
  void Pad(int id, uint32_t x, uint32_t y, uint32_t buttons = 0) {
    host().SetJoystick(id, host::JoyReading{true, x, y, buttons, 4});
  }
  void Unplug(int id) { host().SetJoystick(id, host::JoyReading{}); }
  // Polls button 1 of joystick 0 once per entry of `held`.
  std::vector<int> PollButton1(const std::vector<bool>& held) {
    std::vector<int> states;
    for (bool down : held) {
      Pad(0, 32767, 32767, down ? 1 : 0);
      states.push_back(oxSystem::GetJoyButtonState(0, 1));
    }
    return states;
  }
  JOYINFOEX Request(DWORD flags) {
    JOYINFOEX info{};
    info.dwSize = sizeof info;
    info.dwFlags = flags;
    info.dwXpos = info.dwYpos = info.dwButtons = 0xDEAD;
    return info;
  }
};

TEST_F(JoystickTest, JoyGetPosExAnswersAsWindowsDoes) {
  JOYINFOEX info = Request(JOY_RETURNALL);
  EXPECT_EQ(joyGetPosEx(0, nullptr), MMRESULT(MMSYSERR_INVALPARAM));
  info.dwSize = 48;
  EXPECT_EQ(joyGetPosEx(0, &info), MMRESULT(MMSYSERR_INVALPARAM));
  info.dwSize = sizeof info;
  EXPECT_EQ(joyGetPosEx(16, &info), MMRESULT(JOYERR_PARMS));
  EXPECT_EQ(joyGetPosEx(0, &info), MMRESULT(JOYERR_UNPLUGGED));
  EXPECT_EQ(joyGetPosEx(2, &info), MMRESULT(JOYERR_UNPLUGGED));
  EXPECT_EQ(info.dwXpos, 0xDEADu) << "a failed reading writes nothing";

  Pad(1, 40000, 32767 + 100, 0x5);
  info = Request(JOY_RETURNBUTTONS);
  ASSERT_EQ(joyGetPosEx(1, &info), MMRESULT(JOYERR_NOERROR));
  EXPECT_EQ(info.dwButtons, 0x5u);
  EXPECT_EQ(info.dwButtonNumber, 2u);
  EXPECT_EQ(info.dwXpos, 0xDEADu) << "positions were not asked for";

  info = Request(JOY_RETURNX | JOY_RETURNY);
  ASSERT_EQ(joyGetPosEx(1, &info), MMRESULT(JOYERR_NOERROR));
  EXPECT_EQ(info.dwXpos, 40000u);
  EXPECT_EQ(info.dwYpos, 32867u);
  EXPECT_EQ(info.dwButtons, 0xDEADu);
  info = Request(JOY_RETURNX | JOY_RETURNY | JOY_USEDEADZONE);
  ASSERT_EQ(joyGetPosEx(1, &info), MMRESULT(JOYERR_NOERROR));
  EXPECT_EQ(info.dwXpos, 40000u);
  EXPECT_EQ(info.dwYpos, 32767u) << "a stick near its rest reads the rest in the dead zone";

  info = Request(JOY_RETURNALL | JOY_USEDEADZONE);
  ASSERT_EQ(joyGetPosEx(1, &info), MMRESULT(JOYERR_NOERROR));
  EXPECT_EQ(info.dwPOV, DWORD(JOY_POVCENTERED));
  EXPECT_EQ(info.dwButtons, 0x5u);

  Unplug(1);
  EXPECT_EQ(joyGetPosEx(1, &info), MMRESULT(JOYERR_UNPLUGGED));
  host().SetFailure("joyGetPosEx", 0);
  Pad(1, 1, 2, 3);
  EXPECT_EQ(joyGetPosEx(1, &info), MMRESULT(MMSYSERR_NODRIVER));

  EXPECT_EQ(joyConfigChanged(0), MMRESULT(JOYERR_NOERROR));
  EXPECT_EQ(joyConfigChanged(1), MMRESULT(JOYERR_PARMS));
}

TEST_F(JoystickTest, ScriptedReadingsReachJoyGetPosEx) {
  std::vector<host::ScriptedEvent> events;
  std::string error;
  ASSERT_TRUE(host::ParseInputScript("0 joy 1 100 65535 10\n", &events, &error)) << error;
  host().AddScript(events);
  JOYINFOEX info = Request(JOY_RETURNX | JOY_RETURNY | JOY_RETURNBUTTONS);
  ASSERT_EQ(joyGetPosEx(1, &info), MMRESULT(JOYERR_NOERROR));
  EXPECT_EQ(info.dwXpos, 100u);
  EXPECT_EQ(info.dwYpos, 65535u);
  EXPECT_EQ(info.dwButtons, 10u);
  ASSERT_TRUE(host::ParseInputScript("0 joy 1 unplug\n", &events, &error)) << error;
  host().AddScript(events);
  EXPECT_EQ(joyGetPosEx(1, &info), MMRESULT(JOYERR_UNPLUGGED));
}

TEST_F(JoystickTest, NoPadReadsAsNothingPressedAndCentred) {
  oxSystem::InitJoystick();
  EXPECT_EQ(LogWith("joyConfigChanged").size(), 1u);
  int b[4] = {7, 7, 7, 7};
  oxSystem::GetJoyButtons(0, &b[0], &b[1], &b[2], &b[3]);
  EXPECT_EQ(std::vector<int>(b, b + 4), std::vector<int>(4, 0));
  int dx = 7, dy = 7;
  oxSystem::GetJoyDirection(0, &dx, &dy);
  EXPECT_EQ(dx, 0);
  EXPECT_EQ(dy, 0);
  EXPECT_EQ(oxSystem::GetJoyKeypadDirection(0), 5);
  EXPECT_EQ(oxSystem::GetJoyKeypadDirection(1), 5);
  int x = 7, y = 7;
  oxSystem::GetJoyPosition(0, &x, &y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  oxSystem::GetJoystickCenter(0, &x, &y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  EXPECT_EQ(oxSystem::GetJoyButton(0, 1), 0);
  EXPECT_EQ(oxSystem::GetJoyButtonState(0, 1), 0);

  // Numbers outside the tables get the same empty answers and touch nothing.
  Pad(0, 0, 0, 0xF);
  oxSystem::SetJoystickRates(2, 50, 50);
  oxSystem::SetJoystickRates(-1, 50, 50);
  EXPECT_EQ(oxSystem::GetJoyButton(2, 1), 0);
  EXPECT_EQ(oxSystem::GetJoyButton(0, 0), 0);
  EXPECT_EQ(oxSystem::GetJoyButton(0, 33), 0);
  EXPECT_EQ(oxSystem::GetJoyButtonState(0, 5), 0);
  EXPECT_EQ(oxSystem::GetJoyButtonState(-1, 1), 0);
  EXPECT_EQ(oxSystem::GetJoyButtonRamp(0, 0), 0);
  EXPECT_EQ(oxSystem::GetJoyKeypadDirection(2), 5);
  oxSystem::GetJoyButtons(3, &b[0], &b[1], &b[2], &b[3]);
  EXPECT_EQ(std::vector<int>(b, b + 4), std::vector<int>(4, 0));
  for (const JoystickRecord& r : oxSystem::joysticks) {
    EXPECT_EQ(r.axisRate, 0.0f);
    EXPECT_EQ(r.buttonRate, 0.0f);
    EXPECT_EQ(r.edgeState[0], 0);
  }
}

TEST_F(JoystickTest, ButtonsAreTheLowBitsOfTheMask) {
  Pad(0, 32767, 32767, 0x8000000Au);
  oxSystem::InitJoystick();
  int b[4];
  oxSystem::GetJoyButtons(0, &b[0], &b[1], &b[2], &b[3]);
  EXPECT_EQ(std::vector<int>(b, b + 4), (std::vector<int>{0, 1, 0, 1}));
  EXPECT_EQ(oxSystem::GetJoyButton(0, 2), 1);
  EXPECT_EQ(oxSystem::GetJoyButton(0, 3), 0);
  EXPECT_EQ(oxSystem::GetJoyButton(0, 32), 1);
  EXPECT_EQ(oxSystem::GetJoyButton(0, 31), 0);
  EXPECT_EQ(oxSystem::GetJoyButton(1, 2), 0) << "joystick 1 is not plugged in";
}

TEST_F(JoystickTest, DirectionsSplitAtAQuarterAndThreeQuartersAroundTheCentre) {
  Pad(0, 32767, 32767);
  oxSystem::InitJoystick();
  int cx, cy;
  oxSystem::GetJoystickCenter(0, &cx, &cy);
  EXPECT_EQ(cx, 32767);
  EXPECT_EQ(cy, 32767);
  struct Case {
    uint32_t position;
    int direction;
  } cases[] = {{0, -1}, {16383, -1}, {16384, 0}, {32767, 0}, {49149, 0}, {49150, 1}, {65535, 1}};
  for (const Case& c : cases) {
    int dx = 9, dy = 9;
    Pad(0, c.position, 32767);
    oxSystem::GetJoyDirection(0, &dx, &dy);
    EXPECT_EQ(dx, c.direction) << "x " << c.position;
    EXPECT_EQ(dy, 0);
    Pad(0, 32767, c.position);
    oxSystem::GetJoyDirection(0, &dx, &dy);
    EXPECT_EQ(dx, 0);
    EXPECT_EQ(dy, c.direction) << "y " << c.position;
  }
  // The keypad layout: 7 8 9 at the top, 1 2 3 at the bottom.
  const int expected[3][3] = {{7, 8, 9}, {4, 5, 6}, {1, 2, 3}};
  const uint32_t at[3] = {16383, 32767, 49150};
  for (int row = 0; row < 3; ++row)
    for (int col = 0; col < 3; ++col) {
      Pad(0, at[col], at[row]);
      EXPECT_EQ(oxSystem::GetJoyKeypadDirection(0), expected[row][col]) << at[col] << "," << at[row];
    }
  int x, y;
  Pad(0, 123, 45678);
  oxSystem::GetJoyPosition(0, &x, &y);
  EXPECT_EQ(x, 123);
  EXPECT_EQ(y, 45678);
}

TEST_F(JoystickTest, PadPluggedInAfterSetUpIsCentredOnItsFirstReading) {
  oxSystem::InitJoystick();
  Pad(0, 32767, 32767, 1);
  int b[4];
  oxSystem::GetJoyButtons(0, &b[0], &b[1], &b[2], &b[3]);
  EXPECT_EQ(b[0], 1);
  int cx = 9, cy = 9;
  oxSystem::GetJoystickCenter(0, &cx, &cy);
  EXPECT_EQ(cx, 0) << "a button reading has no position to centre on";
  EXPECT_EQ(cy, 0);

  int dx = 9, dy = 9;
  oxSystem::GetJoyDirection(0, &dx, &dy);
  EXPECT_EQ(dx, 0) << "at rest, not steering right";
  EXPECT_EQ(dy, 0) << "at rest, not steering down";
  EXPECT_EQ(oxSystem::GetJoyKeypadDirection(0), 5);
  oxSystem::GetJoystickCenter(0, &cx, &cy);
  EXPECT_EQ(cx, 32767);
  EXPECT_EQ(cy, 32767);
  Pad(0, 65535, 0);
  oxSystem::GetJoyDirection(0, &dx, &dy);
  EXPECT_EQ(dx, 1);
  EXPECT_EQ(dy, -1);

  // Once centred, later readings move nothing, unplugged or not.
  Unplug(0);
  oxSystem::GetJoyDirection(0, &dx, &dy);
  Pad(0, 60000, 60000);
  oxSystem::GetJoyDirection(0, &dx, &dy);
  oxSystem::GetJoystickCenter(0, &cx, &cy);
  EXPECT_EQ(cx, 32767);
  EXPECT_EQ(dx, 1);

  // The other joystick centres on its own first reading, through the analog query too.
  Pad(1, 30000, 28000);
  int ax = 9, ay = 9;
  oxSystem::SetJoystickRates(1, 100, 0);
  libraryState.FrameTime = 0.25f;
  oxSystem::GetJoyAnalog(1, &ax, &ay);
  EXPECT_EQ(ax, 0);
  EXPECT_EQ(ay, 0);
  oxSystem::GetJoystickCenter(1, &cx, &cy);
  EXPECT_EQ(cx, 30000);
  EXPECT_EQ(cy, 28000);
}

TEST_F(JoystickTest, PadPresentAtSetUpKeepsItsSetUpCentre) {
  Pad(0, 20000, 44000);
  oxSystem::InitJoystick();
  Pad(0, 32767, 22000);
  int dx, dy, cx, cy;
  oxSystem::GetJoyDirection(0, &dx, &dy);
  oxSystem::GetJoystickCenter(0, &cx, &cy);
  EXPECT_EQ(cx, 20000);
  EXPECT_EQ(cy, 44000);
  // 32767 >= 20000 + 10000, and 22000 <= 44000 / 2.
  EXPECT_EQ(dx, 1);
  EXPECT_EQ(dy, -1);
}

TEST_F(JoystickTest, EdgeStatesFollowPressHoldAndRelease) {
  Pad(0, 32767, 32767);
  oxSystem::InitJoystick();
  EXPECT_EQ(PollButton1({true, true, true, false, false}), (std::vector<int>{1, 3, 3, 2, 0}));
  EXPECT_EQ(PollButton1({true, true, false, true, true}), (std::vector<int>{1, 3, 2, 3, 3}))
      << "a press right after a release is held, never pressed";

  // All four at once, each with its own history.
  int s[4];
  Pad(0, 32767, 32767, 0x3);
  oxSystem::GetJoyButtonStates(0, &s[0], &s[1], &s[2], &s[3]);
  EXPECT_EQ(std::vector<int>(s, s + 4), (std::vector<int>{3, 1, 0, 0}));
  Pad(0, 32767, 32767, 0xC);
  oxSystem::GetJoyButtonStates(0, &s[0], &s[1], &s[2], &s[3]);
  EXPECT_EQ(std::vector<int>(s, s + 4), (std::vector<int>{2, 2, 1, 1}));
  Pad(0, 32767, 32767, 0);
  oxSystem::GetJoyButtonStates(0, &s[0], &s[1], &s[2], &s[3]);
  EXPECT_EQ(std::vector<int>(s, s + 4), (std::vector<int>{0, 0, 2, 2}));

  // No reading answers 0 and keeps what was stored.
  Pad(0, 32767, 32767, 0x1);
  EXPECT_EQ(oxSystem::GetJoyButtonState(0, 1), 1);
  Unplug(0);
  EXPECT_EQ(oxSystem::GetJoyButtonState(0, 1), 0);
  oxSystem::GetJoyButtonStates(0, &s[0], &s[1], &s[2], &s[3]);
  EXPECT_EQ(std::vector<int>(s, s + 4), std::vector<int>(4, 0));
  Pad(0, 32767, 32767, 0x1);
  EXPECT_EQ(oxSystem::GetJoyButtonState(0, 1), 3);
}

TEST_F(JoystickTest, EdgeStatesReadZeroWhileInputIsSuppressed) {
  Pad(0, 32767, 32767);
  oxSystem::InitJoystick();
  auto suppress = [&](int which, bool on) {
    if (which == 0) oxDraw::transition.step = on ? 7 : 0;
    if (which == 1) oxDraw::scrollPage.shown = on;
    if (which == 2) libraryState.keyRedirect = on;
  };
  for (int which = 0; which < 3; ++which) {
    EXPECT_EQ(PollButton1({true, true}), (std::vector<int>{1, 3}));
    suppress(which, true);
    EXPECT_EQ(PollButton1({true, true}), (std::vector<int>{0, 0})) << "suppression " << which;
    int s[4];
    oxSystem::GetJoyButtonStates(0, &s[0], &s[1], &s[2], &s[3]);
    EXPECT_EQ(s[0], 0);
    suppress(which, false);
    EXPECT_EQ(PollButton1({true, true, false, false}), (std::vector<int>{1, 3, 2, 0}))
        << "a button still held reads as a new press";
  }
}

TEST_F(JoystickTest, RampsGrowWhileHeldAndDropOnRelease) {
  Pad(0, 32767, 32767, 0x1);
  oxSystem::InitJoystick();
  libraryState.FrameTime = 0.5f;
  EXPECT_EQ(oxSystem::GetJoyButtonRamp(0, 1), 0) << "rates start at 0";
  oxSystem::SetJoystickRates(0, 0, 50);
  std::vector<int> ramp;
  for (int i = 0; i < 5; ++i) ramp.push_back(oxSystem::GetJoyButtonRamp(0, 1));
  EXPECT_EQ(ramp, (std::vector<int>{25, 50, 75, 100, 100}));
  Pad(0, 32767, 32767, 0);
  EXPECT_EQ(oxSystem::GetJoyButtonRamp(0, 1), 0);

  // The four at once; a reading that fails keeps the ramps.
  int r[4];
  ramp.clear();
  for (int i = 0; i < 2; ++i) {
    Pad(0, 32767, 32767, 0x4);
    oxSystem::GetJoyButtonRamps(0, &r[0], &r[1], &r[2], &r[3]);
    ramp.push_back(r[2]);
    EXPECT_EQ(r[0] + r[1] + r[3], 0);
  }
  Unplug(0);
  oxSystem::GetJoyButtonRamps(0, &r[0], &r[1], &r[2], &r[3]);
  EXPECT_EQ(std::vector<int>(r, r + 4), std::vector<int>(4, 0));
  Pad(0, 32767, 32767, 0x4);
  for (int i = 0; i < 3; ++i) {
    oxSystem::GetJoyButtonRamps(0, &r[0], &r[1], &r[2], &r[3]);
    ramp.push_back(r[2]);
  }
  EXPECT_EQ(ramp, (std::vector<int>{25, 50, 75, 100, 100}));
  Pad(0, 32767, 32767, 0);
  oxSystem::GetJoyButtonRamps(0, &r[0], &r[1], &r[2], &r[3]);
  EXPECT_EQ(r[2], 0);

  // Truncated, not rounded; the reset keeps the rate.
  libraryState.FrameTime = 0.019f;
  Pad(0, 32767, 32767, 0x1);
  EXPECT_EQ(oxSystem::GetJoyButtonRamp(0, 1), 0);
  EXPECT_EQ(oxSystem::GetJoyButtonRamp(0, 1), 1);
  oxSystem::ResetJoystickRamps();
  EXPECT_EQ(oxSystem::joysticks[0].ramp[0], 0.0f);
  EXPECT_EQ(oxSystem::joysticks[0].buttonRate, 50.0f);
}

TEST_F(JoystickTest, AnalogValuesIntegrateTheStickAndReturnToZero) {
  Pad(0, 32767, 32767);
  oxSystem::InitJoystick();
  oxSystem::SetJoystickRates(0, 100, 0);
  libraryState.FrameTime = 0.25f;
  auto run = [&](uint32_t x, uint32_t y, int calls, bool wantX) {
    std::vector<int> values;
    Pad(0, x, y);
    for (int i = 0; i < calls; ++i) {
      int ax = 999, ay = 999;
      oxSystem::GetJoyAnalog(0, &ax, &ay);
      values.push_back(wantX ? ax : ay);
    }
    return values;
  };
  EXPECT_EQ(run(65535, 32767, 5, true), (std::vector<int>{25, 50, 75, 100, 100}));
  EXPECT_EQ(run(32767, 32767, 5, true), (std::vector<int>{75, 50, 25, 0, 0}));
  EXPECT_EQ(run(32767, 0, 5, false), (std::vector<int>{-25, -50, -75, -100, -100}));
  EXPECT_EQ(run(32767, 32767, 5, false), (std::vector<int>{-75, -50, -25, 0, 0}));
  // Reversing goes through 0 at the same rate.
  EXPECT_EQ(run(65535, 32767, 2, true), (std::vector<int>{25, 50}));
  EXPECT_EQ(run(0, 32767, 4, true), (std::vector<int>{25, 0, -25, -50}));

  // A partial step back does not overshoot 0.
  libraryState.FrameTime = 0.1f;
  oxSystem::ResetJoystickRamps();
  EXPECT_EQ(run(65535, 32767, 1, true), std::vector<int>{10});
  libraryState.FrameTime = 0.3f;
  EXPECT_EQ(run(32767, 32767, 1, true), std::vector<int>{0});
  EXPECT_EQ(oxSystem::joysticks[0].analogX, 0.0f);

  // No reading: both 0, the record unchanged.
  EXPECT_EQ(run(65535, 65535, 1, true), std::vector<int>{30});
  Unplug(0);
  int ax = 9, ay = 9;
  oxSystem::GetJoyAnalog(0, &ax, &ay);
  EXPECT_EQ(ax, 0);
  EXPECT_EQ(ay, 0);
  EXPECT_EQ(run(65535, 65535, 1, false), std::vector<int>{60});
}

}  // namespace
