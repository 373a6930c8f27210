// The screen's state. Set-up, presentation and objects come with the DirectDraw layer.
#include "ox.h"

namespace oxDraw {

ScreenState screen;
TransitionState transition;
WipeState wipe;
ScrollPage scrollPage;
RECT ClipRect;

int Screen(int width, int height, int) {
  screen.width = width;
  screen.height = height;
  ClipRect = RECT{0, 0, width, height};
  oxSound::Init();
  oxSound::ClearObjects();
  oxSound::InitMidi();
  oxSystem::ResetWaits();
  oxSystem::AllocFontRecord();
  if (libraryState.confineCursor) oxSystem::ClipCursorToWindow();
  return 1;
}

void ReleaseAll() { CloseWindow(libraryState.mainWindow); }

int LoadObject(const char*, int) { return 0; }

int ClearScreen() { return 1; }

int Flip() { return 1; }

int CaptureScreen(int, int, int, int, int) { return 1; }

void ShowGdiSurface() {}

}  // namespace oxDraw
