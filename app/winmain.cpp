// The process entry: the window class, the one window, set-up, then the main loop.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "ox.h"

namespace {

// Without its window the program cannot run: it says what failed, on standard error and in a message box.
HWND StartFailed(const char* function) {
  std::fprintf(stderr, "%s failed: the window cannot be made\n", function);
  char text[128];
  std::snprintf(text, sizeof text, oxSystem::Text("%s : ウィンドウを作成できません"), function);
  MessageBoxA(nullptr, text, oxSystem::Text("エラー発生"), MB_OK | MB_ICONEXCLAMATION | MB_SYSTEMMODAL);
  return nullptr;
}

HWND CreateMainWindow(HINSTANCE instance, int showCommand) {
  WNDCLASSA wc{};
  wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, "MAIN");
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszMenuName = "DEFAULT";
  wc.lpszClassName = "DEFAULT";
  // A class left registered by an earlier run in this process serves again.
  if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return StartFailed("RegisterClassA");

  LibraryState& s = libraryState;
  HWND window;
  if (s.fullScreen || s.popupWindow) {
    window = CreateWindowExA(0, "DEFAULT", "Radire", WS_POPUP | WS_SYSMENU, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                             GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, instance, nullptr);
  } else {
    // The client area is the screen's size; the frame metrics are added once each.
    int w = 640 + GetSystemMetrics(SM_CXBORDER) + GetSystemMetrics(SM_CXEDGE) + GetSystemMetrics(SM_CXFIXEDFRAME);
    int h = 480 + GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYEDGE) + GetSystemMetrics(SM_CYBORDER) +
            GetSystemMetrics(SM_CYFIXEDFRAME);
    window = CreateWindowExA(0, "DEFAULT", "Radire", WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                             (GetSystemMetrics(SM_CXSCREEN) - w) / 2, (GetSystemMetrics(SM_CYSCREEN) - h) / 2, w, h,
                             nullptr, nullptr, instance, nullptr);
  }
  if (!window) return StartFailed("CreateWindowExA");
  s.mainWindow = window;
  ShowWindow(window, (s.windowOptions & 4) ? SW_SHOWMINIMIZED : showCommand);
  UpdateWindow(window);
  if (!s.fullScreen && !(s.windowOptions & 1)) SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
  return window;
}

// Whether the command line holds the word `word`.
bool HasWord(const char* line, const char* word) {
  const size_t n = std::strlen(word);
  for (const char* p = line; p && *p;) {
    while (*p == ' ' || *p == '\t') ++p;
    const char* end = p;
    while (*end && *end != ' ' && *end != '\t') ++end;
    if (size_t(end - p) == n && std::strncmp(p, word, n) == 0) return true;
    p = end;
  }
  return false;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
  // "-window" runs the program in the library's windowed mode instead of full screen.
  if (HasWord(commandLine, "-window")) libraryState.fullScreen = 0;
  if (!CreateMainWindow(instance, showCommand)) return 1;
  libraryState.instance = instance;
  // A longer command line is cut to the buffer.
  std::snprintf(libraryState.commandLine, sizeof libraryState.commandLine, "%s", commandLine ? commandLine : "");
  srand(unsigned(time(nullptr)));
  oxSystem::EnableIme(0);
  GameStartUp();
  oxSystem::ResetFrameTime();
  while (RunLoopPass()) {
  }
  return 0;
}
