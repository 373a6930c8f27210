// USER: one window at a time, its message queue, the key state and the cursor.
#include <cstring>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "../host/host.h"
#include "../kernel/codepage.h"
#include "windows.h"
#include "winnls32.h"
#include "windowing.h"

namespace {

struct Window {
  WNDPROC proc = nullptr;
  DWORD style = 0;
  bool classDoubleClicks = false;
  bool alive = false;
  bool shown = false;
  std::string title;
  int clientWidth = 0;
  int clientHeight = 0;
};

Window theWindow;
std::map<std::string, WNDCLASSA> classes;
std::deque<MSG> posted;
std::deque<MSG> input;
bool quitPending = false;
int quitCode = 0;
bool appActive = false;
BYTE keyState[256];  // bit 0x80: down; bit 0x01: toggled
int cursorCount = 0;  // ShowCursor's display counter
HCURSOR currentCursor = nullptr;
bool cursorClipped = false;
RECT cursorClip;
std::vector<void (*)()> pumps;

void RunPumps() {
  for (size_t i = 0; i < pumps.size(); ++i) pumps[i]();
}

HWND Handle() { return reinterpret_cast<HWND>(&theWindow); }

constexpr int kHitClient = 1;  // HTCLIENT

LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam);

bool IsOurs(HWND window) { return window == Handle() && theWindow.alive; }

DWORD Now() { return GetTickCount(); }

MSG Make(UINT message, WPARAM wParam, LPARAM lParam) {
  MSG m{};
  m.hwnd = theWindow.alive ? Handle() : nullptr;
  m.message = message;
  m.wParam = wParam;
  m.lParam = lParam;
  m.time = Now();
  return m;
}

LPARAM KeyLParam(int vk, bool up, bool alt) {
  DWORD l = 1;  // repeat count
  if (alt) l |= 1u << 29;
  if (up || (keyState[vk & 0xFF] & 0x80)) l |= 1u << 30;
  if (up) l |= 1u << 31;
  return LPARAM(LONG(l));
}

// Turns the host's input into queued messages, in the order it came.
void PumpHost() {
  host::Event e{host::EventType::Close};
  while (host::Current().PollEvent(&e)) {
    switch (e.type) {
      case host::EventType::KeyDown:
      case host::EventType::KeyUp: {
        bool up = e.type == host::EventType::KeyUp;
        bool system = e.flag || e.code == VK_F10;
        UINT message = system ? (up ? WM_SYSKEYUP : WM_SYSKEYDOWN) : (up ? WM_KEYUP : WM_KEYDOWN);
        input.push_back(Make(message, WPARAM(e.code), KeyLParam(e.code, up, e.flag)));
        break;
      }
      case host::EventType::MouseMove:
        // As on Windows, the window chooses its cursor before the move is queued.
        Send(WM_SETCURSOR, WPARAM(Handle()), MAKELONG(kHitClient, WM_MOUSEMOVE));
        input.push_back(Make(WM_MOUSEMOVE, 0, MAKELONG(e.x, e.y)));
        break;
      case host::EventType::ButtonDown: {
        bool right = e.code == 1;
        UINT message = (e.flag && theWindow.classDoubleClicks) ? (right ? WM_RBUTTONDBLCLK : WM_LBUTTONDBLCLK)
                                                              : (right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN);
        input.push_back(Make(message, 0, MAKELONG(e.x, e.y)));
        break;
      }
      case host::EventType::ButtonUp:
        input.push_back(Make(e.code == 1 ? WM_RBUTTONUP : WM_LBUTTONUP, 0, MAKELONG(e.x, e.y)));
        break;
      case host::EventType::Activate:
        // Focus that does not change the application's state sends nothing.
        if ((e.code != 0) != appActive) {
          appActive = e.code != 0;
          input.push_back(Make(WM_ACTIVATEAPP, WPARAM(appActive), 0));
        }
        break;
      case host::EventType::Moved:
        input.push_back(Make(WM_MOVE, 0, MAKELONG(e.x, e.y)));
        break;
      case host::EventType::Close:
        input.push_back(Make(WM_CLOSE, 0, 0));
        break;
    }
  }
}

// Key messages update the key state as they are retrieved, as on Windows.
void Retrieved(const MSG& m) {
  if (m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN) {
    BYTE& k = keyState[m.wParam & 0xFF];
    if (!(k & 0x80)) k ^= 0x01;
    k |= 0x80;
  } else if (m.message == WM_KEYUP || m.message == WM_SYSKEYUP) {
    keyState[m.wParam & 0xFF] &= ~0x80;
  }
}

LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) {
  if (!theWindow.alive || !theWindow.proc) return 0;
  return theWindow.proc(Handle(), message, wParam, lParam);
}

}  // namespace

namespace platform {

void ResetWindowing() {
  theWindow = Window{};
  classes.clear();
  posted.clear();
  input.clear();
  quitPending = false;
  appActive = false;
  std::memset(keyState, 0, sizeof keyState);
  cursorCount = 0;
  currentCursor = nullptr;
  cursorClipped = false;
}

void AddMessagePump(void (*pump)()) {
  for (auto p : pumps)
    if (p == pump) return;
  pumps.push_back(pump);
}

}  // namespace platform

extern "C" {

ATOM WINAPI RegisterClassA(const WNDCLASSA* windowClass) {
  if (!windowClass || !windowClass->lpszClassName || !windowClass->lpfnWndProc || host::Current().ShouldFail("RegisterClassA"))
    return 0;
  std::string name = windowClass->lpszClassName;
  if (classes.count(name)) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  classes[name] = *windowClass;
  return ATOM(classes.size());
}

HWND WINAPI CreateWindowExA(DWORD, LPCSTR className, LPCSTR windowName, DWORD style, int, int, int width, int height,
                            HWND, HMENU, HINSTANCE, LPVOID) {
  if (!className || host::Current().ShouldFail("CreateWindowExA")) return nullptr;
  auto it = classes.find(className);
  if (it == classes.end() || theWindow.alive) return nullptr;
  theWindow = Window{};
  theWindow.proc = it->second.lpfnWndProc;
  theWindow.classDoubleClicks = (it->second.style & CS_DBLCLKS) != 0;
  theWindow.style = style;
  theWindow.alive = true;
  theWindow.title = windowName ? windowName : "";
  if (style & WS_CAPTION) {
    // The frame metrics come back off: the client area is what the program asked for.
    theWindow.clientWidth = width - (GetSystemMetrics(SM_CXBORDER) + GetSystemMetrics(SM_CXEDGE) +
                                     GetSystemMetrics(SM_CXFIXEDFRAME));
    theWindow.clientHeight = height - (GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYEDGE) +
                                       GetSystemMetrics(SM_CYBORDER) + GetSystemMetrics(SM_CYFIXEDFRAME));
  } else {
    theWindow.clientWidth = width;
    theWindow.clientHeight = height;
  }
  std::memset(keyState, 0, sizeof keyState);
  Send(WM_CREATE, 0, 0);
  return Handle();
}

BOOL WINAPI ShowWindow(HWND window, int showCommand) {
  if (!IsOurs(window)) return FALSE;
  bool wasShown = theWindow.shown;
  if (showCommand == SW_HIDE) return wasShown;
  bool minimized = showCommand == SW_SHOWMINIMIZED || showCommand == SW_MINIMIZE || showCommand == SW_SHOWMINNOACTIVE;
  if (!wasShown) {
    theWindow.shown = true;
    host::WindowRequest request;
    request.title = platform::Cp932ToUtf8(theWindow.title);
    bool fullScreen = !(theWindow.style & WS_CAPTION);
    // The full-screen pop-up shows the 640 x 480 display mode.
    request.clientWidth = fullScreen ? 640 : theWindow.clientWidth;
    request.clientHeight = fullScreen ? 480 : theWindow.clientHeight;
    request.fullScreen = fullScreen;
    request.minimized = minimized;
    host::Current().OpenWindow(request);
    Send(WM_MOVE, 0, 0);
    Send(WM_SETCURSOR, WPARAM(Handle()), MAKELONG(kHitClient, WM_MOUSEMOVE));
    if (showCommand != SW_SHOWMINNOACTIVE && !appActive) {
      appActive = true;
      Send(WM_ACTIVATEAPP, TRUE, 0);
    }
  } else if (minimized) {
    host::Current().MinimizeWindow();
  }
  return wasShown;
}

BOOL WINAPI UpdateWindow(HWND window) { return IsOurs(window); }

BOOL WINAPI SetWindowPos(HWND window, HWND, int, int, int, int, UINT) { return IsOurs(window); }

BOOL WINAPI DestroyWindow(HWND window) {
  if (!IsOurs(window)) return FALSE;
  Send(WM_DESTROY, 0, 0);
  theWindow.alive = false;
  theWindow.shown = false;
  host::Current().CloseWindow();
  input.clear();
  return TRUE;
}

BOOL WINAPI CloseWindow(HWND window) {
  if (!IsOurs(window)) return FALSE;
  host::Current().MinimizeWindow();
  return TRUE;
}

BOOL WINAPI IsWindow(HWND window) { return IsOurs(window); }

BOOL WINAPI SetWindowTextA(HWND window, LPCSTR text) {
  if (!IsOurs(window)) return FALSE;
  theWindow.title = text ? text : "";
  host::Current().SetTitle(platform::Cp932ToUtf8(theWindow.title));
  return TRUE;
}

BOOL WINAPI GetClientRect(HWND window, LPRECT rect) {
  if (!IsOurs(window) || !rect) return FALSE;
  *rect = RECT{0, 0, theWindow.clientWidth, theWindow.clientHeight};
  return TRUE;
}

BOOL WINAPI ClientToScreen(HWND window, LPPOINT) { return IsOurs(window); }

HICON WINAPI LoadIconA(HINSTANCE, LPCSTR) {
  // The program's resources name no icon "MAIN": there is none to load.
  return nullptr;
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name) {
  static int arrow;
  if (!instance && name == IDC_ARROW) return reinterpret_cast<HCURSOR>(&arrow);
  return nullptr;
}

BOOL WINAPI PeekMessageA(LPMSG msg, HWND, UINT, UINT, UINT removeFlags) {
  // Posted messages come before input, as on Windows; WM_QUIT once both are empty of posted work.
  std::deque<MSG>* from = nullptr;
  RunPumps();
  if (!posted.empty()) {
    from = &posted;
  } else if (quitPending) {
    *msg = Make(WM_QUIT, WPARAM(quitCode), 0);
    msg->hwnd = nullptr;
    if (removeFlags & PM_REMOVE) quitPending = false;
    return TRUE;
  } else {
    if (input.empty()) PumpHost();
    if (!input.empty()) from = &input;
  }
  if (!from) {
    host::Current().QueueEmpty();
    return FALSE;
  }
  *msg = from->front();
  if (removeFlags & PM_REMOVE) {
    from->pop_front();
    Retrieved(*msg);
  }
  return TRUE;
}

BOOL WINAPI GetMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax) {
  while (!PeekMessageA(msg, window, filterMin, filterMax, PM_REMOVE)) WaitMessage();
  return msg->message != WM_QUIT;
}

BOOL WINAPI TranslateMessage(const MSG* msg) {
  return msg && (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN);
}

LRESULT WINAPI DispatchMessageA(const MSG* msg) {
  if (!msg || !msg->hwnd || !IsOurs(msg->hwnd)) return 0;
  return theWindow.proc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL WINAPI WaitMessage(void) {
  for (;;) {
    RunPumps();
    if (!posted.empty() || quitPending || !input.empty()) return TRUE;
    PumpHost();
    if (!input.empty()) return TRUE;
    // With pumps the wait wakes now and then, so that what they post (a song's end) is not held up.
    int woken = pumps.empty() ? (host::Current().WaitEvent() ? 1 : -1) : host::Current().WaitEventFor(50);
    if (woken > 0) return TRUE;
    if (woken < 0) break;
  }
  // No input can ever come (a finished script): close rather than wait for ever.
  host::Current().Log("no more input: close");
  input.push_back(Make(WM_CLOSE, 0, 0));
  return TRUE;
}

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window && !IsOurs(window)) return FALSE;
  MSG m = Make(message, wParam, lParam);
  m.hwnd = window;
  posted.push_back(m);
  return TRUE;
}

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!IsOurs(window)) return 0;
  return Send(message, wParam, lParam);
}

void WINAPI PostQuitMessage(int exitCode) {
  quitPending = true;
  quitCode = exitCode;
}

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_SYSKEYDOWN:
      if (wParam == VK_F4) PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
      return 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) SendMessageA(window, WM_CLOSE, 0, 0);
      return 0;
    case WM_SETCURSOR: {
      auto it = classes.begin();
      for (; it != classes.end(); ++it)
        if (it->second.lpfnWndProc == theWindow.proc) break;
      SetCursor(it != classes.end() ? it->second.hCursor : nullptr);
      return TRUE;
    }
    default:
      return 0;
  }
}

SHORT WINAPI GetKeyState(int virtualKey) {
  BYTE k = keyState[virtualKey & 0xFF];
  return SHORT(((k & 0x80) ? 0x8000 : 0) | (k & 0x01));
}

int WINAPI ShowCursor(BOOL show) {
  cursorCount += show ? 1 : -1;
  host::Current().ShowCursor(cursorCount >= 0 && currentCursor);
  return cursorCount;
}

HCURSOR WINAPI SetCursor(HCURSOR cursor) {
  HCURSOR previous = currentCursor;
  currentCursor = cursor;
  host::Current().ShowCursor(cursorCount >= 0 && cursor);
  return previous;
}

BOOL WINAPI ClipCursor(const RECT* rect) {
  if (rect) {
    int r[4] = {rect->left, rect->top, rect->right, rect->bottom};
    cursorClip = *rect;
    cursorClipped = true;
    host::Current().ClipCursor(r);
  } else {
    cursorClipped = false;
    host::Current().ClipCursor(nullptr);
  }
  return TRUE;
}

BOOL WINAPI GetClipCursor(LPRECT rect) {
  if (!rect) return FALSE;
  *rect = cursorClipped ? cursorClip : RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  return TRUE;
}

BOOL WINAPI SetCursorPos(int x, int y) {
  host::Current().SetCursorPos(x, y);
  return TRUE;
}

BOOL WINAPI GetCursorPos(LPPOINT point) {
  if (!point) return FALSE;
  int x, y;
  host::Current().GetCursorPos(&x, &y);
  point->x = x;
  point->y = y;
  return TRUE;
}

int WINAPI GetSystemMetrics(int index) {
  switch (index) {
    case SM_CXSCREEN: return host::Current().DesktopWidth();
    case SM_CYSCREEN: return host::Current().DesktopHeight();
    case SM_CYCAPTION: return 19;
    case SM_CXBORDER: case SM_CYBORDER: return 1;
    case SM_CXFIXEDFRAME: case SM_CYFIXEDFRAME: return 3;
    case SM_CXEDGE: case SM_CYEDGE: return 2;
    default: return 0;
  }
}

int WINAPI MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
  if (host::Current().ShouldFail("MessageBoxA")) return 0;
  std::string t = platform::Cp932ToUtf8(text ? text : "");
  std::string c = platform::Cp932ToUtf8(caption ? caption : "Error");
  // The box runs its own loop: input that arrives meanwhile belongs to it, not to the game.
  return host::Current().MessageBox(c, t, type);
}

BOOL WINAPI WINNLSEnableIME(HWND, BOOL enable) {
  static BOOL enabled = TRUE;
  BOOL previous = enabled;
  enabled = enable;
  host::Current().Log(std::string("ime ") + (enable ? "on" : "off"));
  return previous;
}

}  // extern "C"
