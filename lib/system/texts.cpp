// The library's own texts in English, for a player who chose English; Japanese is what the library says
// by default, and the table is looked up by it.
#include <cstring>

#include "ox.h"
#ifndef _WIN32
#include "text_language.h"
#endif

namespace oxSystem {

namespace {

const TextPair kTexts[] = {
    {"エラー発生", "Error"},
    {"メッセージ", "Message"},
    {"DirectDrawが使用できません", "DirectDraw cannot be used"},
    {"フルスクリーン化できません", "Cannot switch to full screen"},
    {"解像度が変更できません", "Cannot change the resolution"},
    {"スプライト(Front)が生成できません", "Cannot create the sprite (Front)"},
    {"スプライト(Back)が取得できません", "Cannot get the sprite (Back)"},
    {"クリップが生成できません", "Cannot create the clipper"},
    {"クリップにウィンドウハンドルを設定できません", "Cannot give the clipper the window"},
    {"スプライト(Front)をクリップできません", "Cannot clip the sprite (Front)"},
    {"スプライト(Buffer)が生成できません", "Cannot create the sprite (Buffer)"},
    {"スプライト(Screen)が生成できません", "Cannot create the sprite (Screen)"},
    {"ピクセル情報が取得できません", "Cannot read the pixel format"},
    {"ファイル名またはリソース名が長すぎます", "The file or resource name is too long"},
    {"オブジェクト数が多すぎます", "Too many objects"},
    {"BMPファイルを読み込めません", "Cannot read the BMP file"},
    {"スプライトを作成できません", "Cannot create the sprite"},
    {"WAVEリソースが見つかりません", "WAVE resource not found"},
    {"サウンドバッファが生成できません", "Cannot create the sound buffer"},
    {"ウェイトNoが範囲外です", "Wait number out of range"},
    {"%s : ウィンドウを作成できません", "%s : cannot create the window"},
    {"1670万", "16.7 million"},
    {"　ウィンドウ状態で実行しようとしていますが、"
     "画面が%s色以下に設定されています。\n"
     "正しく動作させるには、%s色以上に設定するか、"
     "フルスクリーンで実行させて下さい。",
     "The program is to run in a window, but the screen is set to %s colours or fewer.\n"
     "To run properly, set it to %s colours or more, or run in full screen."},
    {"フルスクリーンに切り換えますか？", "Switch to full screen?"},
    {"フルスクリーンに設定し直しますか？", "Set full screen again?"},
};

}  // namespace

bool EnglishTexts() {
#ifdef _WIN32
  return false;
#else
  return platform::EnglishTexts();
#endif
}

const char* Localize(const char* japanese, const TextPair* table, size_t count) {
  if (!japanese || !EnglishTexts()) return japanese;
  for (size_t i = 0; i < count; ++i)
    if (std::strcmp(table[i].japanese, japanese) == 0) return table[i].english;
  return japanese;
}

const char* Text(const char* japanese) { return Localize(japanese, kTexts, sizeof kTexts / sizeof kTexts[0]); }

}  // namespace oxSystem
