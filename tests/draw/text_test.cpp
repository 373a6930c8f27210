// The library's text blocks and frame-rate meter on the back surface, in-process on the headless host.
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "gdi/font.h"
#include "gdi/gdi_object.h"
#include "ox.h"
#include "support/allocations.h"
#include "support/fixture.h"
#include "support/test_game.h"

namespace {

using testing_support::HeadlessTest;

constexpr uint16_t kNavy565 = 0x0010;  // COLORREF 0x800000
constexpr uint16_t kWhite565 = 0xFFFF;

class LibraryText : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    test_game::Reset();
    libraryState = LibraryState{};
    oxDraw::transition = TransitionState{};
    oxDraw::fpsMeter = FpsMeter{0, 0.0f, 0.0f, 99.9f, GetTickCount()};
    test_game::startUp = [] {
      oxDraw::Screen(640, 480, 1);
      libraryState.mode = 1;
    };
  }
  void TearDown() override {
    test_game::Reset();
    HeadlessTest::TearDown();
  }
  // Runs the program for `frames` frames, each cleared and then drawn by `draw`.
  void Run(int frames, std::function<void(int)> draw) {
    int n = 0;
    test_game::frame = [&] {
      oxDraw::ClearScreen();
      draw(n++);
      if (n == frames) PostMessageA(libraryState.mainWindow, WM_CLOSE, 0, 0);
    };
    WinMain(GetModuleHandleA(nullptr), nullptr, const_cast<char*>(""), SW_SHOWDEFAULT);
    EXPECT_EQ(n, frames);
  }
  // The back surface's pixels, row by row without the pitch's padding.
  static std::vector<uint16_t> Back() {
    DDSURFACEDESC desc = {};
    desc.dwSize = sizeof desc;
    std::vector<uint16_t> pixels;
    EXPECT_EQ(oxDraw::screen.back->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    for (DWORD y = 0; y < desc.dwHeight; ++y) {
      const uint16_t* row = reinterpret_cast<const uint16_t*>(static_cast<const char*>(desc.lpSurface) + y * desc.lPitch);
      pixels.insert(pixels.end(), row, row + desc.dwWidth);
    }
    oxDraw::screen.back->Unlock(nullptr);
    return pixels;
  }
  static int Ink(const std::vector<uint16_t>& p, RECT* box = nullptr) {
    int count = 0;
    RECT b = {640, 480, -1, -1};
    for (int y = 0; y < 480; ++y)
      for (int x = 0; x < 640; ++x)
        if (p[size_t(y) * 640 + x]) {
          ++count;
          b.left = std::min<LONG>(b.left, x), b.top = std::min<LONG>(b.top, y);
          b.right = std::max<LONG>(b.right, x + 1), b.bottom = std::max<LONG>(b.bottom, y + 1);
        }
    if (box) *box = b;
    return count;
  }
  static void Save(const std::vector<uint16_t>& p, const char* file) {
    std::vector<uint8_t> rgb;
    for (uint16_t v : p) {
      COLORREF c = platform::ToColor(v, false);
      rgb.push_back(GetRValue(c)), rgb.push_back(GetGValue(c)), rgb.push_back(GetBValue(c));
    }
    std::string name = file;
    if (const char* dir = std::getenv("RADIRE_SHOT_DIR")) name = std::string(dir) + "/" + file;
    EXPECT_TRUE(host::WritePng(name, rgb, 640, 480));
  }
};

TEST_F(LibraryText, SetFontFillsTheFontRecord) {
  Run(1, [](int) {
    LOGFONTA* f = oxSystem::FontRecord();
    ASSERT_NE(f, nullptr);
    oxDraw::SetFont(0, 30, 45, 1, 1, 1);
    oxDraw::EndText();
    EXPECT_STREQ(f->lfFaceName, "標準明朝");
    EXPECT_EQ(f->lfHeight, 30);
    EXPECT_EQ(f->lfEscapement, 450);
    EXPECT_EQ(f->lfWeight, 700);
    EXPECT_EQ(f->lfItalic, 1);
    EXPECT_EQ(f->lfUnderline, 1);
    EXPECT_EQ(f->lfCharSet, SHIFTJIS_CHARSET);
    // Face 2 keeps the previous face, weight 2 is GDI's default, a negative height goes in unchanged.
    oxDraw::SetFont(2, -12, 0, 2, 0, 0);
    oxDraw::EndText();
    EXPECT_STREQ(f->lfFaceName, "標準明朝");
    EXPECT_EQ(f->lfWeight, 0);
    EXPECT_EQ(f->lfHeight, -12);
    EXPECT_EQ(f->lfEscapement, 0);
    EXPECT_EQ(f->lfItalic, 0);
    oxDraw::SetFont(1, 12, 0, 0, 0, 0);
    oxDraw::EndText();
    EXPECT_STREQ(f->lfFaceName, "標準ゴシック");
    EXPECT_EQ(f->lfWeight, 400);
    // The fields the calls do not set stay zero.
    EXPECT_EQ(f->lfOrientation, 0);
    EXPECT_EQ(f->lfStrikeOut, 0);
    EXPECT_EQ(f->lfQuality, 0);
  });
}

TEST_F(LibraryText, FaceTwoDrawsThePreviousFace) {
  std::vector<uint16_t> mincho, kept, gothic;
  Run(3, [&](int frame) {
    if (frame == 2) oxDraw::SetFont(1, 30, 0, 0, 0, 0);
    else oxDraw::SetFont(frame == 0 ? 0 : 2, 30, 0, 0, 0, 0);
    oxDraw::SetTextColor(0xFFFFFF, 0, 1);
    oxDraw::TextOut(10, 10, "永遠の明朝");
    oxDraw::EndText();
    (frame == 0 ? mincho : frame == 1 ? kept : gothic) = Back();
  });
  EXPECT_GT(Ink(mincho), 500);
  EXPECT_EQ(kept, mincho);
  EXPECT_NE(gothic, mincho);
}

TEST_F(LibraryText, OpaqueUnlessTransparent) {
  std::vector<uint16_t> opaque, transparent;
  Run(2, [&](int frame) {
    oxDraw::SetFont(1, 30, 0, 0, 0, 0);
    oxDraw::SetTextColor(0xFFFFFF, 0x800000, frame);
    oxDraw::TextOut(100, 100, "A B");
    oxDraw::EndText();
    (frame == 0 ? opaque : transparent) = Back();
  });
  RECT box;
  Ink(opaque, &box);
  EXPECT_EQ(box.left, 100);
  EXPECT_EQ(box.top, 100);
  EXPECT_EQ(box.bottom, 130);
  EXPECT_EQ(opaque[size_t(101) * 640 + 101], kNavy565);  // the box's corner is background
  EXPECT_EQ(std::count(transparent.begin(), transparent.end(), kNavy565), 0);
  EXPECT_GT(Ink(transparent), 100);
}

TEST_F(LibraryText, DrawTextAlignsAndMeasureTextOnlyMeasures) {
  std::vector<int> lefts, heights;
  int width = 0;
  std::vector<uint16_t> invalid, measured;
  RECT measuredRect = {};
  Run(5, [&](int frame) {
    oxDraw::SetFont(1, 30, 0, 0, 0, 0);
    oxDraw::SetTextColor(0x00FFFF, 0, 1);
    if (frame < 3) {
      SIZE size;
      GetTextExtentPoint32A(oxDraw::textContext.dc, "PUSH ENTER", 10, &size);
      width = size.cx;
      oxDraw::DrawText(0, 300, 640, 480, "PUSH ENTER", frame);
    } else if (frame == 3) {
      oxDraw::DrawText(0, 300, 640, 480, "PUSH ENTER", 3);
    } else {
      heights.push_back(oxDraw::MeasureText(0, 300, 200, 480, "PUSH ENTER or PAD BUTTON START GAME"));
      measuredRect = oxDraw::TextRect;
    }
    oxDraw::EndText();
    std::vector<uint16_t> p = Back();
    RECT box;
    if (frame < 3) Ink(p, &box), lefts.push_back(box.left);
    if (frame == 3) invalid = p;
    if (frame == 4) measured = p;
  });
  ASSERT_EQ(lefts.size(), 3u);
  EXPECT_LT(lefts[0], 3);
  EXPECT_NEAR(lefts[1], (640 - width) / 2, 2);
  EXPECT_NEAR(lefts[2], 640 - width, 2);
  EXPECT_EQ(Ink(invalid), 0);   // alignment 3 draws nothing
  EXPECT_EQ(Ink(measured), 0);  // measuring draws nothing
  ASSERT_EQ(heights.size(), 1u);
  EXPECT_EQ(heights[0], 90);  // three lines of 30
  EXPECT_EQ(measuredRect.top, 300);
  EXPECT_EQ(measuredRect.bottom, 390);
  EXPECT_LE(measuredRect.right, 200);
}

TEST_F(LibraryText, PrintfIsTheStatusStyleAndCutsAt255Bytes) {
  std::vector<uint16_t> printed, reference, cut, tail;
  Run(4, [&](int frame) {
    if (frame == 0) {
      oxDraw::Printf(0, 0, "点数  %d  ハイスコア  %d", 12300, 45600);
      printed = Back();
    } else if (frame == 1) {
      oxDraw::SetFont(1, 12, 0, 0, 0, 0);
      oxDraw::SetTextColor(0xFFFFFF, 0x800000, 0);
      oxDraw::TextOut(0, 0, "点数  12300  ハイスコア  45600");
      oxDraw::EndText();
      reference = Back();
    } else if (frame == 2) {
      // 250 blanks, then ten letters: only the five that fit into 255 bytes are drawn, from x = 0.
      const std::string blanks(250, ' ');
      SIZE size;
      oxDraw::SetFont(1, 12, 0, 0, 0, 0);
      GetTextExtentPoint32A(oxDraw::textContext.dc, blanks.c_str(), 250, &size);
      oxDraw::EndText();
      oxDraw::Printf(-size.cx, 0, "%s%s", blanks.c_str(), "ABCDEFGHIJ");
      EXPECT_EQ(std::strlen(oxDraw::TextBuffer), 255u);
      cut = Back();
    } else {
      HDC dc;
      ASSERT_EQ(oxDraw::screen.back->GetDC(&dc), DD_OK);  // Printf gave the DC back
      oxDraw::screen.back->ReleaseDC(dc);
      oxDraw::PrintText(0, 0, "ABCDE");
      tail = Back();
    }
  });
  EXPECT_EQ(printed, reference);
  EXPECT_EQ(printed[0], kNavy565);
  EXPECT_GT(std::count(printed.begin(), printed.end(), kWhite565), 100);
  EXPECT_GT(Ink(tail), 100);
  EXPECT_EQ(cut, tail);
}

TEST_F(LibraryText, CallsOutsideABlockAndASecondSetFontAreHarmless) {
  Run(1, [](int) {
    oxDraw::EndText();
    oxDraw::TextOut(0, 0, "A");
    oxDraw::SetTextColor(0xFFFFFF, 0, 0);
    EXPECT_EQ(oxDraw::MeasureText(0, 0, 100, 100, "A"), 0);
    oxDraw::SetFont(1, 30, 0, 0, 0, 0);
    oxDraw::SetFont(1, 12, 0, 0, 0, 0);  // closes the first block
    oxDraw::TextOut(0, 0, "A");
    oxDraw::EndText();
    oxDraw::EndText();
    // The back surface is free for blits again.
    EXPECT_EQ(oxDraw::ClearScreen(), 1);
  });
}

TEST_F(LibraryText, TheMetersFirstLineAndItsSamples) {
  std::vector<uint16_t> first, firstReference, saturated, saturatedReference;
  std::vector<FpsMeter> seen;
  Run(4, [&](int frame) {
    if (frame == 0) {
      oxDraw::ShowFps();
      seen.push_back(oxDraw::fpsMeter);
      first = Back();
      oxDraw::ClearScreen();
      oxDraw::PrintText(0, 0, "0.0 fps ( max 0.0 / min 99.9 )");
      firstReference = Back();
    } else if (frame == 1) {
      // Far more than 999 frames within the window: the count stops at 999.
      for (int i = 0; i < 1500; ++i) oxDraw::ShowFps();
      seen.push_back(oxDraw::fpsMeter);
      host().AdvanceClock(2000);
      oxDraw::ShowFps();
      seen.push_back(oxDraw::fpsMeter);
      saturated = Back();
      oxDraw::ClearScreen();
      oxDraw::PrintText(0, 0, "499.5 fps ( max 499.5 / min 99.9 )");
      saturatedReference = Back();
    } else if (frame == 2) {
      host().AdvanceClock(2000);
      oxDraw::ShowFps();  // a window of one frame: 0.5
      seen.push_back(oxDraw::fpsMeter);
    } else {
      oxDraw::fpsMeter.frames = 0;  // and one with no frames: the minimum stays
      host().AdvanceClock(2000);
      oxDraw::ShowFps();
      seen.push_back(oxDraw::fpsMeter);
    }
  });
  ASSERT_EQ(seen.size(), 5u);
  EXPECT_EQ(seen[0].fps, 0.0f);
  EXPECT_EQ(seen[0].maxFps, 0.0f);
  EXPECT_EQ(seen[0].minFps, 99.9f);
  EXPECT_EQ(seen[0].frames, 1);
  EXPECT_EQ(first, firstReference);
  EXPECT_GT(Ink(first), 100);
  EXPECT_EQ(seen[1].frames, 999);
  EXPECT_EQ(seen[2].fps, 499.5f);
  EXPECT_EQ(seen[2].maxFps, 499.5f);
  EXPECT_EQ(seen[2].minFps, 99.9f);
  EXPECT_EQ(saturated, saturatedReference);
  EXPECT_EQ(seen[3].fps, 0.5f);
  EXPECT_EQ(seen[3].minFps, 0.5f);
  EXPECT_EQ(seen[4].fps, 0.0f);
  EXPECT_EQ(seen[4].minFps, 0.5f);
  EXPECT_EQ(seen[4].maxFps, 499.5f);
}

TEST_F(LibraryText, AWarmFrameOfTextsAllocatesNothing) {
  long news = 0, blocks = 0;
  Run(6, [&](int frame) {
    if (frame == 3) news = testing_support::NewCalls(), blocks = platform::FontMemoryAllocations();
    oxDraw::ShowFps();
    oxDraw::Printf(0, 470, "点数  %d  ハイスコア  %d", 12300 + frame, 45600);
    oxDraw::SetFont(1, 50, 0, 0, 0, 0);
    oxDraw::SetTextColor(0x00FFFF, 0, 1);
    oxDraw::TextOut(180, 200, "第二ステージ");
    oxDraw::EndText();
    oxDraw::SetFont(1, 30, 0, 0, 0, 0);
    oxDraw::SetTextColor(0x00FFFF, 0, 1);
    oxDraw::DrawText(0, 300, 640, 480, "PUSH ENTER or PAD BUTTON START GAME", 1);
    oxDraw::EndText();
    oxDraw::Flip();
    if (frame == 5) {
      EXPECT_EQ(testing_support::NewCalls(), news);
      EXPECT_EQ(platform::FontMemoryAllocations(), blocks);
    }
  });
}

TEST_F(LibraryText, TheGamesTexts) {
  std::vector<uint16_t> frame;
  Run(1, [&](int) {
    oxDraw::ShowFps();
    oxDraw::SetFont(1, 50, 0, 0, 0, 0);
    oxDraw::SetTextColor(0x00FFFF, 0, 1);
    oxDraw::TextOut(200, 120, "第二ステージ");
    oxDraw::EndText();
    oxDraw::SetFont(1, 30, 0, 0, 0, 0);
    oxDraw::SetTextColor(0x00FFFF, 0, 1);
    oxDraw::DrawText(0, 300, 640, 480, "PUSH ENTER or PAD BUTTON START GAME", 1);
    oxDraw::EndText();
    oxDraw::Printf(0, 470, "点数  %d  ハイスコア  %d", 12300, 45600);
    frame = Back();
    // What the display gets, as --shot saves it.
    oxDraw::Flip();
    std::string name = "library_texts_presented.png";
    if (const char* dir = std::getenv("RADIRE_SHOT_DIR")) name = std::string(dir) + "/" + name;
    EXPECT_TRUE(host::WritePng(name, host().LastFrame(), host().FrameWidth(), host().FrameHeight()));
  });
  RECT banner, prompt, status;
  auto inkIn = [&](int top, int bottom, RECT* box) {
    std::vector<uint16_t> band(frame.size(), 0);
    std::copy(frame.begin() + top * 640, frame.begin() + bottom * 640, band.begin() + top * 640);
    return Ink(band, box);
  };
  EXPECT_GT(inkIn(120, 175, &banner), 2000);
  EXPECT_GT(inkIn(300, 340, &prompt), 1000);
  EXPECT_NEAR((prompt.left + prompt.right) / 2, 320, 4);  // centred
  inkIn(465, 480, &status);
  EXPECT_EQ(status.left, 0);
  EXPECT_EQ(status.top, 470);
  Save(frame, "library_texts.png");
}

}  // namespace
