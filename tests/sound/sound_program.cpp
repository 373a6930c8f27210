// A program on the library that does what the game's first frame does for music: it starts "MAIN.MID"
// and then only presents frames, so that the loop of the song is the library's and the window's alone.
#include "ox.h"

void GameStartUp() {
  oxDraw::Screen(640, 480, 1);
  libraryState.mode = 1;
}

void GameFrame() {
  static bool first = true;
  if (first) {
    first = false;
    oxSound::PlayMidi("MAIN.MID");
  }
  oxDraw::ClearScreen();
  oxDraw::Flip();
  Sleep(10);  // a frame's worth of time, so that a run of N frames lasts a known while
}
