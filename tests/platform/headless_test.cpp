// The headless host: the input script, the virtual clock, fault injection.
#include "support/fixture.h"

namespace {

std::string ParseError(const std::string& script) {
  std::vector<host::ScriptedEvent> events;
  std::string error;
  EXPECT_FALSE(host::ParseInputScript(script, &events, &error)) << script;
  return error;
}

TEST(InputScript, ParsesEveryKindOfLine) {
  std::vector<host::ScriptedEvent> events;
  std::string error;
  ASSERT_TRUE(host::ParseInputScript(
      "# a comment\n0 key down RETURN\n3 key tap A  # tap\n4 syskey down F4\n5 joy 1 0 65535 9\n6 joy 0 unplug\n"
      "7 activate 0\n8 close\n9 mouse 10 20\n10 click right\n11 key up 200\n",
      &events, &error))
      << error;
  ASSERT_EQ(events.size(), 12u);
  EXPECT_EQ(events[0].event.code, 0x0D);
  EXPECT_EQ(events[1].frame, 3);
  EXPECT_EQ(events[2].frame, 4);  // a tap's release comes one frame later
  EXPECT_EQ(events[2].event.type, host::EventType::KeyUp);
  EXPECT_EQ(events[3].event.flag, 1);
  EXPECT_EQ(events[3].event.code, 0x73);
  EXPECT_EQ(events[4].joyId, 1);
  EXPECT_EQ(events[4].joy.y, 65535u);
  EXPECT_EQ(events[4].joy.buttons, 9u);
  EXPECT_EQ(events[5].kind, host::ScriptedEvent::JoyUnplug);
  EXPECT_EQ(events[11].event.code, 200);
}

TEST(InputScript, MalformedLinesNameTheirLine) {
  EXPECT_NE(ParseError("0 key down RETURN\nx key down A").find("line 2"), std::string::npos);
  EXPECT_NE(ParseError("1 key press A").find("line 1"), std::string::npos);
  EXPECT_NE(ParseError("1 key down NOSUCHKEY").find("unknown key"), std::string::npos);
  EXPECT_NE(ParseError("1 joy 2 0 0 0").find("line 1"), std::string::npos);
  EXPECT_NE(ParseError("1 joy 0 70000 0 0").find("line 1"), std::string::npos);
  EXPECT_NE(ParseError("1 dance").find("unknown event"), std::string::npos);
  EXPECT_NE(ParseError("-1 close").find("line 1"), std::string::npos);
  EXPECT_NE(ParseError("1 activate 2").find("line 1"), std::string::npos);
}

TEST(HeadlessClock, PresentationsAdvanceTheClockAndReleaseTheScript) {
  host::HeadlessOptions o;
  o.stepMs = 20;
  o.frames = 3;
  host::HeadlessHost h(o, 500);
  std::vector<host::ScriptedEvent> events;
  std::string error;
  ASSERT_TRUE(host::ParseInputScript("0 key down A\n2 close", &events, &error));
  h.AddScript(events);
  host::Event e{host::EventType::Close};
  ASSERT_TRUE(h.PollEvent(&e));
  EXPECT_EQ(e.code, 'A');
  EXPECT_FALSE(h.PollEvent(&e));
  uint16_t pixels[4] = {0xF800, 0x07E0, 0x001F, 0xFFFF};
  h.Present(pixels, 2, 2, 4, false);
  EXPECT_EQ(h.Ticks(), 520u);
  EXPECT_FALSE(h.PollEvent(&e));
  h.Present(pixels, 2, 2, 4, false);
  ASSERT_TRUE(h.PollEvent(&e));
  EXPECT_EQ(e.type, host::EventType::Close);
  h.Present(pixels, 2, 2, 4, false);  // the frame limit closes
  ASSERT_TRUE(h.PollEvent(&e));
  EXPECT_EQ(e.type, host::EventType::Close);
  EXPECT_EQ(h.Presentations(), 3);
  // 5-6-5 expanded to full 8-bit channels
  const auto& rgb = h.LastFrame();
  EXPECT_EQ(rgb[0], 255);
  EXPECT_EQ(rgb[4], 255);
  EXPECT_EQ(rgb[8], 255);
  EXPECT_EQ(rgb[9], 255);
}

TEST(HeadlessClock, ABusyReaderMovesTheClockOnAndWaitingSkipsToTheScript) {
  host::HeadlessHost h({}, 100);
  uint32_t t = h.Ticks();
  while (h.Ticks() == t) {
  }
  EXPECT_EQ(h.Ticks(), 101u);
  std::vector<host::ScriptedEvent> events;
  std::string error;
  ASSERT_TRUE(host::ParseInputScript("10 activate 1", &events, &error));
  h.AddScript(events);
  EXPECT_TRUE(h.WaitEvent());
  EXPECT_EQ(h.Ticks(), 101u + 10 * 16);
  host::Event e{host::EventType::Close};
  EXPECT_TRUE(h.PollEvent(&e));
  EXPECT_FALSE(h.WaitEvent());  // nothing more can come
}

TEST(HeadlessFailures, TheKthCallOrEveryCallFails) {
  host::HeadlessHost h;
  h.SetFailure("X", 2);
  EXPECT_FALSE(h.ShouldFail("X"));
  EXPECT_TRUE(h.ShouldFail("X"));
  EXPECT_FALSE(h.ShouldFail("X"));
  h.SetFailure("Y", 0);
  EXPECT_TRUE(h.ShouldFail("Y"));
  EXPECT_TRUE(h.ShouldFail("Y"));
  EXPECT_FALSE(h.ShouldFail("Z"));
}

}  // namespace
