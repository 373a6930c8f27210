// The game's own texts in English, for a player who chose English; Japanese is what the game says by
// default, and the table is looked up by it.
#include "game.h"

namespace {

const oxSystem::TextPair kTexts[] = {
    {"点数  %d  ハイスコア  %d", "Score  %d  High score  %d"},
    {"残りオプション  %d", "Options left  %d"},
    {"第二ステージ", "Stage Two"},
    {"第三ステージ", "Stage Three"},
    {"  回転地獄", "  Spinning Hell"},
    {"あなたの点数は%dでした。", "Your score was %d."},
};

}  // namespace

const char* GameText(const char* japanese) {
  return oxSystem::Localize(japanese, kTexts, sizeof kTexts / sizeof kTexts[0]);
}
