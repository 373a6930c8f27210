// The game's start-up and its one frame function.
#include "game.h"

void GameStartUp() {
  oxDraw::Screen(640, 480, 1);
  // Loaded in this order, the pictures take the objects 2 to 12.
  int* const slots[] = {&pictures.title,  &pictures.chara, &pictures.tama, &pictures.teki,
                        &pictures.hit,    &pictures.end,   &pictures.haikei, &pictures.bos,
                        &pictures.staf,   &pictures.bost,  &pictures.titleb};
  static const char* const kPictures[] = {"TITLE.BMP",  "CHARA.BMP", "TAMA.BMP", "TEKI.BMP",
                                          "HIT.BMP",    "END.BMP",   "HAIKEI.BMP", "BOS.BMP",
                                          "STAF.BMP",   "BOST.BMP",  "TITLEB.BMP"};
  for (int i = 0; i < 11; ++i) *slots[i] = oxDraw::LoadObject(kPictures[i], 2);
  oxDraw::ClearScreen();
  oxDraw::Flip();
  // The opening reveal: the title appears through the black picture over the first 20 frames.
  oxDraw::transition.kind = 3;
  oxDraw::transition.length = 20;
  oxDraw::CaptureScreen(1, 0, 0, 640, 480);
  libraryState.mode = 1;
  libraryState.previousMode = 0;
  oxDraw::transition.step = oxDraw::transition.length;
  oxDraw::transition.direction = -1;
}

void GameFrame() {
  if (libraryState.modeChanged == 1) {
    // Read once per run: changing the files while the game runs changes nothing.
    ReadSettings("data.dat");
    LoadPath("teki.dat", &pathC);
    LoadPath("teki2.dat", &pathB);
    game.staffLine = 0;
    enemyAnimation = 0;
    oxSound::PlayMidi("MAIN.MID");
    beam.top = 350;
  }
  // A scene that moves on to a later block runs that block in the same call.
  if (game.scene == 0) RunTitleFrame();
  if (game.scene == 1) RunStage1Frame();
  if (game.scene == 2) RunStage2Frame();
  if (game.scene == 3) RunStage3Frame();
  if (game.scene == 100) RunResultFrame();
  if (game.scene == 200) RunStaffRollFrame();
}
