// The texts over the stages: the score and options lines, the stage titles and the boss-call prompt.
#include "game.h"

// The best score including the game in progress; the saved best itself changes only through the file.
int ShownBestScore() { return game.score > game.highScore ? game.score : game.highScore; }

void DrawScoreLine() { oxDraw::Printf(0, 470, GameText("点数  %d  ハイスコア  %d"), game.score, ShownBestScore()); }

void DrawOptionsLine() { oxDraw::Printf(520, 470, GameText("残りオプション  %d"), ship.options); }

void DrawStageTitle(int stageNumber) {
  oxDraw::SetFont(1, 50, 0, 0, 0, 0);
  oxDraw::SetTextColor(0x00FFFF, 0, 1);
  if (stageNumber == 2) {
    oxDraw::TextOut(170, 215, GameText("第二ステージ"));
  } else {
    oxDraw::TextOut(170, 185, GameText("第三ステージ"));
    oxDraw::TextOut(170, 245, GameText("  回転地獄"));
  }
  oxDraw::EndText();
}

void DrawBossCallPrompt(int stageNumber) {
  oxDraw::SetFont(1, 50, 0, 0, 0, 0);
  oxDraw::SetTextColor(0xFF8000, 0, 1);
  oxDraw::TextOut(50, 215, stageNumber == 2 ? "PUSH ENTER or BOTTUN 4" : "PUSH ENTER or BUTTON 4");
  oxDraw::EndText();
}
