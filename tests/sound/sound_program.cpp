// A program on the library that does what the game's first frame does for music: it starts "MAIN.MID"
// and then only presents frames, so that the loop of the song is the library's and the window's alone.
// It closes itself after about four seconds.
#include "ox.h"

void GameStartUp() {
  oxDraw::Screen(640, 480, 1);
  libraryState.mode = 1;
}

void GameFrame() {
  static int frames = 0;
  if (frames == 0) oxSound::PlayMidi("MAIN.MID");
  if (++frames == 400) PostMessageA(libraryState.mainWindow, WM_CLOSE, 0, 0);
  oxDraw::ClearScreen();
  oxDraw::Flip();
  Sleep(10);  // a frame's worth of time, so that a run of N frames lasts a known while
}
