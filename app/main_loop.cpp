// One pass of the main loop: a message if one waits, otherwise one frame.
#include "ox.h"

namespace {

void RunFrame() {
  LibraryState& s = libraryState;
  if (s.frameSuspend == 1) return;
  if (oxDraw::transition.direction == 1) {
    // A forward transition runs alone, then hands over to the mode it leads to.
    oxDraw::Flip();
    if (oxDraw::transition.direction == 0) s.mode = s.nextMode;
  } else if (s.mode == 1) {
    GameFrame();
  }
}

void UpdateCursorVisibility() {
  LibraryState& s = libraryState;
  POINT p;
  GetCursorPos(&p);
  int w = oxDraw::screen.width, h = oxDraw::screen.height;
  bool inside = p.x >= s.clientOrigin.x && p.y >= s.clientOrigin.y && p.x < s.clientOrigin.x + w &&
                p.y < s.clientOrigin.y + h;
  if (inside && s.cursorShown == 1) {
    ShowCursor(FALSE);
    s.cursorShown = 0;
  } else if (!inside && s.cursorShown == 0) {
    ShowCursor(TRUE);
    s.cursorShown = 1;
  }
}

}  // namespace

bool RunLoopPass() {
  LibraryState& s = libraryState;
  MSG msg;
  if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) return false;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    return true;
  }
  if (s.active == 0 && !(s.windowOptions & 2)) {
    WaitMessage();
    return true;
  }

  DWORD elapsed = GetTickCount() - s.frameClockBase;
  s.FrameTime = float(double(elapsed) / 1000.0);
  s.frameClockBase = GetTickCount();
  s.mouseDX = s.mouseX - s.prevMouseX;
  s.mouseDY = s.mouseY - s.prevMouseY;
  if (s.previousMode == 0 && s.mode != 0) {
    s.modeChanged = 1;
    s.previousMode = s.mode;
  }

  RunFrame();

  if (s.mode != s.previousMode) {
    s.modeChanged = 1;
    if (oxDraw::wipe.state > 0) {
      oxDraw::ClipRect = oxDraw::wipe.full;
      oxDraw::wipe.state = 0;
    }
  } else {
    s.modeChanged = 0;
  }
  s.previousMode = s.mode;

  if (GetTickCount() >= s.blinkDeadline) {
    s.blink = !s.blink;
    s.blinkDeadline = GetTickCount() + (s.blink ? 1000 : 200);
  }
  s.prevMouseX = s.mouseX;
  s.prevMouseY = s.mouseY;
  s.leftClicked = 0;
  s.rightClicked = 0;
  if (!s.fullScreen) UpdateCursorVisibility();
  return true;
}
