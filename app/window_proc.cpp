// The window procedure: key and mouse fields, activation, the cursor, the music's end and the close.
#include "ox.h"

namespace {

LRESULT Default(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

void OnKeyDown(int keyCode) {
  LibraryState& s = libraryState;
  if (!oxDraw::scrollPage.shown) {
    s.currentKey = keyCode;
    s.lastKey = keyCode;
  } else {
    s.scrollKey = keyCode;
  }
  if (keyCode == VK_ESCAPE) oxSystem::Shutdown();
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  LibraryState& s = libraryState;
  switch (message) {
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_MOVE:
      s.clientOrigin.x = LOWORD(lParam);
      s.clientOrigin.y = HIWORD(lParam);
      if (s.confineCursor == 1) oxSystem::ClipCursorToWindow();
      break;
    case WM_CLOSE:
      if (s.shutdownState == 0) s.shutdownState = 1;
      if (s.shutdownState < 2) oxSystem::Shutdown();
      DestroyWindow(window);
      return 0;
    case WM_ACTIVATEAPP:
      if (wParam == 0) {
        s.active = 0;
        if (s.cursorShown == 0) {
          ShowCursor(TRUE);
          s.cursorShown = 1;
        }
        if (s.confineCursor == 1) oxSystem::FreeCursor();
      } else {
        s.active = 1;
        // Time spent inactive never enters FrameTime.
        oxSystem::ResetFrameTime();
        if (s.confineCursor == 1) oxSystem::ClipCursorToWindow();
      }
      return 0;
    case WM_SETCURSOR:
      if (s.fullScreen) {
        SetCursor(nullptr);
        return 1;
      }
      break;
    case WM_KEYDOWN:
      if (s.keyRedirect == 1) s.redirectKey = int(wParam);
      else OnKeyDown(int(wParam));
      break;
    case WM_KEYUP: {
      int key = int(wParam);
      if (key == s.currentKey) s.currentKey = 0;
      if (key == s.scrollKey) s.scrollKey = 0;
      if (key == s.redirectKey) s.redirectKey = 0;
      if (key == VK_SHIFT) s.shiftToggle = !s.shiftToggle;
      if (key == s.watchedKey) s.watchedKeyCount += 1;
      break;
    }
    case WM_SYSKEYDOWN:
      // Alt combinations and F10 never reach the default handling: Alt+F4 does not close the game.
      return 0;
    case WM_SYSCOMMAND:
      if (wParam == SC_SCREENSAVE) return 1;
      break;
    case WM_MOUSEMOVE:
      s.mouseX = LOWORD(lParam);
      s.mouseY = HIWORD(lParam);
      break;
    case WM_LBUTTONDOWN:
      if (s.keyRedirect == 0) {
        s.leftDown = 1;
        s.leftClicked = 1;
        s.leftPressed = 1;
      } else {
        s.redirectLeftDown = 1;
      }
      break;
    case WM_LBUTTONUP:
      s.leftDown = 0;
      s.redirectLeftDown = 0;
      break;
    case WM_RBUTTONDOWN:
      if (s.keyRedirect == 0) {
        s.rightDown = 1;
        s.rightClicked = 1;
        s.rightPressed = 1;
      }
      break;
    case WM_RBUTTONUP:
      s.rightDown = 0;
      break;
    case WM_RBUTTONDBLCLK:
      if (s.confineCursor == 1) {
        if (oxSystem::IsCursorClipped()) oxSystem::FreeCursor();
        else oxSystem::ClipCursorToWindow();
      }
      return 0;
    case MM_MCINOTIFY:
      if (wParam == MCI_NOTIFY_SUCCESSFUL && oxSound::MidiOpen()) {
        s.midiReply[0] = '\0';
        mciSendStringA("status midi mode", s.midiReply, sizeof s.midiReply, nullptr);
        if (s.midiReply[0] == 's' && s.midiReply[1] == 't') oxSound::RestartMidi();
      }
      break;
    default:
      break;
  }
  return Default(window, message, wParam, lParam);
}

namespace oxSystem {

void PollKey(int virtualKey, int* edgeState) {
  bool down = (GetKeyState(virtualKey) & 0x8000) != 0;
  if (down) *edgeState = *edgeState == 0 ? 1 : 3;
  else *edgeState = (*edgeState == 1 || *edgeState == 3) ? 2 : 0;
  if (oxDraw::transition.step != 0 || oxDraw::scrollPage.shown || libraryState.keyRedirect == 1) *edgeState = 0;
}

int Shutdown() {
  oxDraw::ReleaseAll();
  oxSound::Release();
  FreeFontRecord();
  if (libraryState.shutdownState == 0) PostMessageA(libraryState.mainWindow, WM_CLOSE, 0, 0);
  libraryState.shutdownState = 2;
  return 1;
}

}  // namespace oxSystem
