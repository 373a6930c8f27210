// The game's start-up and its frame.
#include "ox.h"

void GameStartUp() {
  oxDraw::Screen(640, 480, 1);
  static const char* const kPictures[] = {"TITLE.BMP",  "CHARA.BMP", "TAMA.BMP", "TEKI.BMP",
                                          "HIT.BMP",    "END.BMP",   "HAIKEI.BMP", "BOS.BMP",
                                          "STAF.BMP",   "BOST.BMP",  "TITLEB.BMP"};
  for (const char* picture : kPictures) oxDraw::LoadObject(picture, 2);
  oxDraw::ClearScreen();
  oxDraw::Flip();
  oxDraw::transition.kind = 3;
  oxDraw::transition.length = 20;
  oxDraw::CaptureScreen(1, 0, 0, 640, 480);
  libraryState.mode = 1;
  libraryState.previousMode = 0;
  oxDraw::transition.step = oxDraw::transition.length;
  oxDraw::transition.direction = -1;
}

void GameFrame() {
  oxDraw::ClearScreen();
  oxDraw::Flip();
}
