// USER: the queue's order, the key state kept as messages are retrieved, the close and the boxes.
#include <vector>

#include "support/fixture.h"
#include "windows.h"

namespace {

using testing_support::HeadlessTest;

std::vector<MSG> received;

LRESULT CALLBACK Recorder(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  received.push_back(MSG{window, message, wParam, lParam, 0, {0, 0}});
  if (message == WM_DESTROY) PostQuitMessage(7);
  return DefWindowProcA(window, message, wParam, lParam);
}

class UserTest : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    received.clear();
    WNDCLASSA wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = Recorder;
    wc.lpszClassName = "T";
    ASSERT_NE(RegisterClassA(&wc), 0);
    window_ = CreateWindowExA(0, "T", "t", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
    ShowWindow(window_, SW_SHOWDEFAULT);
  }
  std::vector<UINT> Drain() {
    std::vector<UINT> messages;
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      messages.push_back(m.message);
      if (m.message == WM_QUIT) break;
      DispatchMessageA(&m);
    }
    return messages;
  }
  HWND window_ = nullptr;
};

TEST_F(UserTest, ShowingTheWindowActivatesTheApplication) {
  bool activated = false;
  for (const MSG& m : received) activated |= m.message == WM_ACTIVATEAPP && m.wParam == TRUE;
  EXPECT_TRUE(activated);
  EXPECT_TRUE(host().windowOpen());
  // A second class of the same name is refused; a second window too.
  WNDCLASSA wc{};
  wc.lpfnWndProc = Recorder;
  wc.lpszClassName = "T";
  EXPECT_EQ(RegisterClassA(&wc), 0);
  EXPECT_EQ(CreateWindowExA(0, "T", "t", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(CreateWindowExA(0, "none", "t", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
}

TEST_F(UserTest, PostedMessagesComeBeforeInputAndQuitLast) {
  host().QueueEvent(host::Event{host::EventType::KeyDown, 'A'});
  PostMessageA(window_, WM_USER, 1, 2);
  PostQuitMessage(3);
  std::vector<UINT> order = Drain();
  ASSERT_GE(order.size(), 2u);
  EXPECT_EQ(order[0], UINT(WM_USER));
  EXPECT_EQ(order[1], UINT(WM_QUIT));
  EXPECT_EQ(Drain(), std::vector<UINT>{WM_KEYDOWN});
}

TEST_F(UserTest, KeyStateChangesWhenTheMessageIsRetrieved) {
  host().QueueEvent(host::Event{host::EventType::KeyDown, VK_SPACE});
  EXPECT_EQ(GetKeyState(VK_SPACE) & 0x8000, 0);
  MSG m;
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(GetKeyState(VK_SPACE) & 0x8000, 0);  // only peeked
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_NE(GetKeyState(VK_SPACE) & 0x8000, 0);
  EXPECT_EQ(GetKeyState(VK_SPACE) & 1, 1);  // toggled
  host().QueueEvent(host::Event{host::EventType::KeyUp, VK_SPACE});
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, UINT(WM_KEYUP));
  EXPECT_EQ(GetKeyState(VK_SPACE) & 0x8000, 0);
  EXPECT_EQ(GetKeyState(VK_SPACE) & 1, 1);
}

TEST_F(UserTest, AltCombinationsAndF10ArriveAsSystemKeys) {
  host::Event altF4{host::EventType::KeyDown, VK_F4};
  altF4.flag = 1;
  host().QueueEvent(altF4);
  host().QueueEvent(host::Event{host::EventType::KeyDown, VK_F10});
  host().QueueEvent(host::Event{host::EventType::KeyDown, VK_F4});
  MSG m;
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, UINT(WM_SYSKEYDOWN));
  EXPECT_NE(m.lParam & (1 << 29), 0);
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, UINT(WM_SYSKEYDOWN));
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, UINT(WM_KEYDOWN));
}

TEST_F(UserTest, DefaultHandlingOfAltF4AndCloseDestroysTheWindow) {
  // A window procedure that lets Alt+F4 through gets closed, as on Windows.
  host::Event altF4{host::EventType::KeyDown, VK_F4};
  altF4.flag = 1;
  host().QueueEvent(altF4);
  std::vector<UINT> order = Drain();
  EXPECT_EQ(order.back(), UINT(WM_QUIT));
  bool destroyed = false;
  for (const MSG& m : received) destroyed |= m.message == WM_DESTROY;
  EXPECT_TRUE(destroyed);
  EXPECT_FALSE(IsWindow(window_));
  EXPECT_FALSE(host().windowOpen());
}

TEST_F(UserTest, MouseAndFocusBecomeMessages) {
  host::Event move{host::EventType::MouseMove};
  move.x = 300;
  move.y = 200;
  host().QueueEvent(move);
  host::Event dbl{host::EventType::ButtonDown, 1};
  dbl.flag = 1;
  host().QueueEvent(dbl);
  host().QueueEvent(host::Event{host::EventType::Activate, 1});  // already active: nothing
  host().QueueEvent(host::Event{host::EventType::Activate, 0});
  host::Event moved{host::EventType::Moved};
  moved.x = 10;
  moved.y = 20;
  host().QueueEvent(moved);
  received.clear();
  Drain();
  // The cursor is chosen before the move is handled.
  ASSERT_EQ(received.size(), 5u);
  EXPECT_EQ(received[0].message, UINT(WM_SETCURSOR));
  received.erase(received.begin());
  EXPECT_EQ(received[0].message, UINT(WM_MOUSEMOVE));
  EXPECT_EQ(LOWORD(received[0].lParam), 300);
  EXPECT_EQ(HIWORD(received[0].lParam), 200);
  EXPECT_EQ(received[1].message, UINT(WM_RBUTTONDBLCLK));
  EXPECT_EQ(received[2].message, UINT(WM_ACTIVATEAPP));
  EXPECT_EQ(received[2].wParam, 0u);
  EXPECT_EQ(received[3].message, UINT(WM_MOVE));
}

TEST_F(UserTest, MessageBoxTextsAreDecodedAndTheAnswerFollowsTheStyle) {
  EXPECT_EQ(MessageBoxA(window_, "\x83\x65\x83\x58\x83\x67", "c", MB_OK), IDOK);  // テスト in Shift-JIS
  EXPECT_EQ(MessageBoxA(window_, "q", "c", MB_YESNO), IDYES);
  host().SetAnswer("no");
  EXPECT_EQ(MessageBoxA(window_, "q", "c", MB_YESNO), IDNO);
  EXPECT_EQ(MessageBoxA(window_, "q", "c", MB_OK), IDOK);  // not offered: the box closes with OK
  auto boxes = LogWith("messagebox");
  ASSERT_EQ(boxes.size(), 4u);
  EXPECT_NE(boxes[0].find("text=\"" + testing_support::Utf8("テスト") + "\""), std::string::npos) << boxes[0];
  EXPECT_TRUE(MessageBeep(0xFFFFFFFF));
  EXPECT_EQ(LogWith("beep 0xffffffff").size(), 1u);
}

TEST_F(UserTest, CursorCountAndClip) {
  EXPECT_EQ(ShowCursor(FALSE), -1);
  EXPECT_EQ(ShowCursor(TRUE), 0);
  RECT r{1, 2, 30, 40};
  ClipCursor(&r);
  SetCursorPos(100, 100);
  POINT p;
  GetCursorPos(&p);
  EXPECT_EQ(p.x, 29);
  EXPECT_EQ(p.y, 39);
  ClipCursor(nullptr);
  EXPECT_EQ(host().cursorClip(), nullptr);
}

}  // namespace
