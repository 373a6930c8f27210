// The scenes around the stages: the title with its stage select, the result screen and the staff roll.
#include "game.h"

namespace {

// A pad button counts as Enter only when more than 0.8 s of these screens have passed since the last one.
void AcceptPadButton() {
  game.buttonDelay += FrameTime();
  if (game.buttonDelay > 0.8f &&
      (game.joyButton[0] || game.joyButton[1] || game.joyButton[2] || game.joyButton[3])) {
    game.enterKey = 1;
    game.buttonDelay = 0;
  }
}

void ReadPadButtons() {
  oxSystem::GetJoyButtons(0, &game.joyButton[0], &game.joyButton[1], &game.joyButton[2], &game.joyButton[3]);
}

}  // namespace

void RunTitleFrame() {
  ResetForTitle();

  oxDraw::ClearScreen();
  oxDraw::DrawObject(0, 0, pictures.titleb, 0, 0, 640, 480);
  oxDraw::DrawObject(172, 138, pictures.title, 0, 0, 296, 103);
  oxDraw::ShowFps();

  oxDraw::SetFont(1, 30, 0, 0, 0, 0);
  oxDraw::SetTextColor(0x00FFFF, 0, 1);
  oxDraw::DrawText(0, 300, 640, 480, "PUSH ENTER or PAD BUTTON START GAME", 1);
  oxDraw::DrawText(0, 400, 640, 480, "STAGE SELECT PUSH SPACE or STICK", 1);
  static const char* const kStartTexts[] = {"START STAGE 1", "START STAGE 2", "START STAGE 3"};
  if (game.stageCursor >= 1 && game.stageCursor <= 3) {
    oxDraw::DrawText(0, 440, 640, 480, kStartTexts[game.stageCursor - 1], 1);
    game.chosenStage = game.stageCursor;
  }
  oxDraw::EndText();
  oxDraw::Flip();

  oxSystem::PollKey(VK_RETURN, &game.enterKey);
  oxSystem::PollKey(VK_SPACE, &game.spaceKey);
  ReadPadButtons();
  oxSystem::GetJoyDirection(0, &game.joyX, &game.joyY);
  AcceptPadButton();

  // One step of the selection per deflection of the stick, either way.
  if (game.joyX == 0) game.stickLatch = 0;
  if (game.stickLatch == 0) {
    if (game.joyX == 1) {
      game.stickLatch = 1;
      game.spaceKey = 1;
    } else if (game.joyX == -1) {
      game.spaceKey = 1;
      game.stickLatch += 1;
    }
  }
  if (game.spaceKey == 1) game.stageCursor += 1;
  if (game.stageCursor > game.maxStage) game.stageCursor = 1;
  // The stage shown this frame starts, even when Space moved the cursor on in the same frame.
  if (game.enterKey == 1) game.scene = game.chosenStage;
}

void RunResultFrame() {
  WriteHighScore();

  oxDraw::ClearScreen();
  oxDraw::DrawObject(0, 40, pictures.end, 0, 0, 640, 200);
  oxDraw::ShowFps();
  oxDraw::Printf(200, 350, GameText("あなたの点数は%dでした。"), game.score);
  oxDraw::Flip();

  oxSystem::PollKey(VK_RETURN, &game.enterKey);
  ReadPadButtons();
  AcceptPadButton();
  if (game.enterKey == 1) game.scene = 0;
}

void RunStaffRollFrame() {
  oxDraw::ClearScreen();
  int line = Int(game.staffLine);
  oxDraw::DrawObject(170, Int(game.staffY), pictures.staf, 0, FrameTop(line, 50), 300, FrameTop(line, 50) + 50);
  oxDraw::Flip();

  game.staffY -= 120 * FrameTime();
  if (game.staffY < -50) {
    game.staffLine += 1;
    game.staffY = 530;
  }
  if (game.staffLine > settings.staffLineCount) game.scene = 100;

  oxSystem::PollKey(VK_RETURN, &game.enterKey);
  ReadPadButtons();
  AcceptPadButton();
  if (game.enterKey == 1) game.scene = 100;
}
