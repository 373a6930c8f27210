// DirectDraw and the GDI bitmap calls behave as the real ones do for the program's calls.
#include <cstring>
#include <vector>

#include "support/fixture.h"
#include "windows.h"
#include "ddraw.h"

namespace {

class DDrawTest : public testing_support::HeadlessTest {
 protected:
  // A 16-bit desktop, so that a plain surface is 16-bit; the deeper one is tried on its own below.
  DDrawTest() { options_.desktopBits = 16; }
  void SetUp() override {
    HeadlessTest::SetUp();
    ASSERT_EQ(DirectDrawCreate(nullptr, &dd, nullptr), DD_OK);
    ASSERT_EQ(dd->SetCooperativeLevel(reinterpret_cast<HWND>(&window), DDSCL_NORMAL), DD_OK);
  }
  void TearDown() override {
    for (IDirectDrawSurface* s : made) s->Release();
    dd->Release();
    HeadlessTest::TearDown();
  }
  IDirectDrawSurface* Plain(int w, int h) {
    DDSURFACEDESC d{};
    d.dwSize = sizeof d;
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    d.dwWidth = DWORD(w);
    d.dwHeight = DWORD(h);
    d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    IDirectDrawSurface* s = nullptr;
    EXPECT_EQ(dd->CreateSurface(&d, &s, nullptr), DD_OK);
    made.push_back(s);
    return s;
  }
  static void Fill(IDirectDrawSurface* s, int l, int t, int r, int b, DWORD v) {
    DDBLTFX fx{};
    fx.dwSize = sizeof fx;
    fx.dwFillColor = v;
    RECT rc = {l, t, r, b};
    EXPECT_EQ(s->Blt(&rc, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
  }
  // Every pixel of a surface, row by row.
  static std::vector<uint16_t> Pixels(IDirectDrawSurface* s) {
    DDSURFACEDESC d{};
    d.dwSize = sizeof d;
    std::vector<uint16_t> out;
    if (s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr) != DD_OK) return out;
    for (DWORD y = 0; y < d.dwHeight; ++y) {
      const uint16_t* row = reinterpret_cast<const uint16_t*>(static_cast<char*>(d.lpSurface) + y * d.lPitch);
      out.insert(out.end(), row, row + d.dwWidth);
    }
    s->Unlock(nullptr);
    return out;
  }
  IDirectDraw* dd = nullptr;
  std::vector<IDirectDrawSurface*> made;
  int window = 0;
};

TEST_F(DDrawTest, RectanglesOutsideASurfaceTouchNoPixel) {
  IDirectDrawSurface* dst = Plain(32, 16);
  IDirectDrawSurface* src = Plain(8, 8);
  Fill(dst, 0, 0, 32, 16, 0x1234);
  Fill(src, 0, 0, 8, 8, 0xFFFF);
  std::vector<uint16_t> before = Pixels(dst);
  RECT whole = {0, 0, 8, 8};
  EXPECT_EQ(dst->BltFast(25, 0, src, &whole, DDBLTFAST_WAIT), DDERR_INVALIDRECT);
  EXPECT_EQ(dst->BltFast(0, 9, src, &whole, DDBLTFAST_WAIT), DDERR_INVALIDRECT);
  EXPECT_EQ(dst->BltFast(DWORD(-1), 0, src, &whole, DDBLTFAST_WAIT), DDERR_INVALIDRECT);
  RECT tooWide = {0, 0, 9, 8}, backwards = {4, 0, 2, 8}, empty = {2, 0, 2, 8}, flat = {0, 3, 8, 3};
  EXPECT_EQ(dst->BltFast(0, 0, src, &tooWide, DDBLTFAST_WAIT), DDERR_INVALIDRECT);
  EXPECT_EQ(dst->BltFast(0, 0, src, &backwards, DDBLTFAST_WAIT), DDERR_INVALIDRECT);
  // An empty source is no blit of nothing: DirectDraw refuses it.
  EXPECT_EQ(dst->BltFast(0, 0, src, &empty, DDBLTFAST_WAIT), DDERR_INVALIDRECT);
  EXPECT_EQ(dst->BltFast(0, 0, src, &flat, DDBLTFAST_WAIT), DDERR_INVALIDRECT);
  DDBLTFX fx{};
  fx.dwSize = sizeof fx;
  RECT off = {30, 0, 33, 4};
  EXPECT_EQ(dst->Blt(&off, nullptr, nullptr, DDBLT_COLORFILL, &fx), DDERR_INVALIDRECT);
  EXPECT_EQ(Pixels(dst), before);
  // Exactly at the edge is fine.
  EXPECT_EQ(dst->BltFast(24, 8, src, &whole, DDBLTFAST_WAIT), DD_OK);
  EXPECT_EQ(Pixels(dst)[15 * 32 + 31], 0xFFFF);
}

TEST_F(DDrawTest, ColourKeyedBlitsSkipTheKeyOnEveryWidth) {
  for (int w : {1, 7, 8, 13, 33}) {
    SCOPED_TRACE(w);
    IDirectDrawSurface* dst = Plain(w, 2);
    IDirectDrawSurface* src = Plain(w, 2);
    Fill(dst, 0, 0, w, 2, 0x1111);
    Fill(src, 0, 0, w, 2, 0x2222);
    // Every third pixel holds the key.
    for (int x = 0; x < w; x += 3) Fill(src, x, 0, x + 1, 2, 0x0000);
    DDCOLORKEY key = {0, 0};
    ASSERT_EQ(src->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    EXPECT_EQ(dst->BltFast(0, 0, src, nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT), DD_OK);
    std::vector<uint16_t> p = Pixels(dst);
    for (int x = 0; x < w; ++x) EXPECT_EQ(p[x], x % 3 == 0 ? 0x1111 : 0x2222) << "x " << x;
    // Without the flag the key is drawn.
    EXPECT_EQ(dst->BltFast(0, 0, src, nullptr, DDBLTFAST_WAIT), DD_OK);
    EXPECT_EQ(Pixels(dst)[0], 0x0000);
  }
  // Asking for a key the source does not have is an error.
  IDirectDrawSurface* a = Plain(4, 4);
  IDirectDrawSurface* b = Plain(4, 4);
  EXPECT_EQ(a->BltFast(0, 0, b, nullptr, DDBLTFAST_SRCCOLORKEY), DDERR_NOCOLORKEY);
}

TEST_F(DDrawTest, LocksAndDCsKeepTheSurfaceBusy) {
  IDirectDrawSurface* s = Plain(10, 4);
  IDirectDrawSurface* t = Plain(10, 4);
  DDSURFACEDESC d{};
  d.dwSize = sizeof d;
  ASSERT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
  EXPECT_GT(d.lPitch, 20);
  EXPECT_EQ(d.ddpfPixelFormat.dwRBitMask, 0xF800u);
  EXPECT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
  EXPECT_EQ(t->BltFast(0, 0, s, nullptr, DDBLTFAST_WAIT), DDERR_SURFACEBUSY);
  HDC dc;
  EXPECT_EQ(s->GetDC(&dc), DDERR_SURFACEBUSY);
  EXPECT_EQ(s->Unlock(nullptr), DD_OK);
  EXPECT_EQ(s->Unlock(nullptr), DDERR_NOTLOCKED);

  ASSERT_EQ(s->GetDC(&dc), DD_OK);
  HDC second;
  EXPECT_EQ(s->GetDC(&second), DDERR_DCALREADYCREATED);
  EXPECT_EQ(s->BltFast(0, 0, t, nullptr, DDBLTFAST_WAIT), DDERR_SURFACEBUSY);
  EXPECT_EQ(SetPixel(dc, 9, 3, RGB(255, 255, 255)), RGB(255, 255, 255));
  EXPECT_EQ(SetPixel(dc, 10, 3, 0), CLR_INVALID);
  EXPECT_EQ(GetPixel(dc, 9, 3), RGB(255, 255, 255));
  EXPECT_EQ(s->ReleaseDC(dc), DD_OK);
  EXPECT_EQ(s->ReleaseDC(dc), DDERR_NODC);
  EXPECT_EQ(Pixels(s)[3 * 10 + 9], 0xFFFF);
}

TEST_F(DDrawTest, LostSurfacesAnswerAsLostUntilRestored) {
  IDirectDrawSurface* s = Plain(4, 4);
  IDirectDrawSurface* t = Plain(4, 4);
  Fill(s, 0, 0, 4, 4, 0x7777);
  host().SetSurfacesLost(true);
  EXPECT_EQ(s->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(t->BltFast(0, 0, s, nullptr, DDBLTFAST_WAIT), DDERR_SURFACELOST);
  DDSURFACEDESC d{};
  d.dwSize = sizeof d;
  EXPECT_EQ(s->Lock(nullptr, &d, 0, nullptr), DDERR_SURFACELOST);
  HDC dc;
  EXPECT_EQ(s->GetDC(&dc), DDERR_SURFACELOST);
  EXPECT_EQ(s->Restore(), DD_OK);
  EXPECT_EQ(s->IsLost(), DD_OK);
  EXPECT_EQ(t->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(Pixels(s)[0], 0);  // the memory is back, the picture is not
}

TEST_F(DDrawTest, StretchBltMirrorsWithNegativeExtents) {
  IDirectDrawSurface* s = Plain(4, 2);
  IDirectDrawSurface* t = Plain(8, 2);
  for (int x = 0; x < 4; ++x) Fill(s, x, 0, x + 1, 2, DWORD(x + 1));
  HDC from, to;
  ASSERT_EQ(s->GetDC(&from), DD_OK);
  ASSERT_EQ(t->GetDC(&to), DD_OK);
  EXPECT_TRUE(StretchBlt(to, 0, 0, 4, 2, from, 3, 0, -4, 2, SRCCOPY));
  EXPECT_TRUE(StretchBlt(to, 4, 0, 4, 1, from, 0, 1, 2, -1, SRCCOPY));  // doubled, from the upper row upward
  EXPECT_FALSE(StretchBlt(to, 0, 0, 4, 2, from, 0, 0, 4, 2, 0x00EE0086));
  s->ReleaseDC(from);
  t->ReleaseDC(to);
  std::vector<uint16_t> p = Pixels(t);
  EXPECT_EQ(p[0], 4);
  EXPECT_EQ(p[1], 3);
  EXPECT_EQ(p[3], 1);
  EXPECT_EQ(p[4], 1);
  EXPECT_EQ(p[5], 1);
  EXPECT_EQ(p[6], 2);
  EXPECT_EQ(p[7], 2);

  // A shrink by the stretch mode: a fresh DC ANDs the pixels it drops (BLACKONWHITE), WHITEONBLACK ORs
  // them, COLORONCOLOR and HALFTONE keep one (the last column of the two) and delete the rest.
  Fill(s, 0, 0, 4, 2, 0x0FF0);
  Fill(s, 1, 0, 2, 2, 0x00FF);
  Fill(s, 3, 0, 4, 2, 0x00FF);
  ASSERT_EQ(s->GetDC(&from), DD_OK);
  ASSERT_EQ(t->GetDC(&to), DD_OK);
  EXPECT_EQ(GetStretchBltMode(to), BLACKONWHITE);
  const int modes[] = {BLACKONWHITE, WHITEONBLACK, COLORONCOLOR, HALFTONE};
  const uint16_t want[] = {0x00F0, 0x0FFF, 0x00FF, 0x00FF};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(SetStretchBltMode(to, modes[i]), i == 0 ? BLACKONWHITE : modes[i - 1]);
    EXPECT_TRUE(StretchBlt(to, 2 * i, 0, 2, 1, from, 0, 0, 4, 2, SRCCOPY));
  }
  EXPECT_EQ(SetStretchBltMode(to, 0), 0);
  EXPECT_EQ(GetStretchBltMode(to), HALFTONE);
  s->ReleaseDC(from);
  t->ReleaseDC(to);
  p = Pixels(t);
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(modes[i]);
    EXPECT_EQ(p[2 * i], want[i]);
    EXPECT_EQ(p[2 * i + 1], want[i]);
  }
}

TEST_F(DDrawTest, TheDisplayFormatAndThePrimarySurface) {
  HeadlessTest::TearDown();
  options_.display555 = true;
  HeadlessTest::SetUp();
  IDirectDrawSurface* s = Plain(2, 2);
  DDPIXELFORMAT f{};
  f.dwSize = sizeof f;
  ASSERT_EQ(s->GetPixelFormat(&f), DD_OK);
  EXPECT_EQ(f.dwRGBBitCount, 16u);
  EXPECT_EQ(f.dwRBitMask, 0x7C00u);
  EXPECT_EQ(f.dwGBitMask, 0x03E0u);
  // A primary surface shows what reaches it.
  DDSURFACEDESC d{};
  d.dwSize = sizeof d;
  d.dwFlags = DDSD_CAPS;
  d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  IDirectDrawSurface* primary = nullptr;
  ASSERT_EQ(dd->CreateSurface(&d, &primary, nullptr), DD_OK);
  made.push_back(primary);
  IDirectDrawSurface* again = nullptr;
  EXPECT_EQ(dd->CreateSurface(&d, &again, nullptr), DDERR_PRIMARYSURFACEALREADYEXISTS);
  Fill(s, 0, 0, 2, 2, 0x7C00);
  EXPECT_EQ(primary->BltFast(0, 0, s, nullptr, DDBLTFAST_WAIT), DD_OK);
  EXPECT_EQ(host().Presentations(), 1);
  // What changes on it afterwards without a presentation is not what was shown.
  d.dwSize = sizeof d;
  ASSERT_EQ(primary->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
  static_cast<uint16_t*>(d.lpSurface)[0] = 0x001F;
  primary->Unlock(nullptr);
  EXPECT_EQ(host().LastFrame()[0], 255);  // red, read as 5-5-5
  EXPECT_EQ(host().LastFrame()[1], 0);
  // Nor does the shown frame go with the surface.
  EXPECT_EQ(primary->BltFast(0, 0, s, nullptr, DDBLTFAST_WAIT), DD_OK);
  made.pop_back();
  primary->Release();
  EXPECT_EQ(host().LastFrame()[0], 255);
  // Exclusive mode needs a window; a flipping chain needs exclusive mode.
  EXPECT_EQ(dd->SetCooperativeLevel(nullptr, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DDERR_INVALIDPARAMS);
  EXPECT_EQ(dd->SetDisplayMode(640, 480, 16), DDERR_NOEXCLUSIVEMODE);
}

// On a 32-bit desktop the surfaces take its format unless they ask for their own; the blitter converts
// none into another, and the host is shown the 16-bit picture a 32-bit frame came from.
TEST_F(DDrawTest, AThirtyTwoBitDesktopGivesThirtyTwoBitSurfaces) {
  HeadlessTest::TearDown();
  options_.desktopBits = 32;
  HeadlessTest::SetUp();
  IDirectDrawSurface* deep = Plain(4, 2);
  DDPIXELFORMAT f{};
  f.dwSize = sizeof f;
  ASSERT_EQ(deep->GetPixelFormat(&f), DD_OK);
  EXPECT_EQ(f.dwRGBBitCount, 32u);
  EXPECT_EQ(f.dwRBitMask, 0xFF0000u);
  HDC dc;
  EXPECT_EQ(deep->GetDC(&dc), DDERR_CANTCREATEDC);  // this GDI draws 16-bit pixels only

  DDSURFACEDESC d{};
  d.dwSize = sizeof d;
  d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
  d.dwWidth = 4, d.dwHeight = 2;
  d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
  d.ddpfPixelFormat = DDPIXELFORMAT{sizeof(DDPIXELFORMAT), DDPF_RGB, 0, 16, 0xF800, 0x07E0, 0x001F, 0};
  IDirectDrawSurface* own = nullptr;
  ASSERT_EQ(dd->CreateSurface(&d, &own, nullptr), DD_OK);
  made.push_back(own);
  ASSERT_EQ(own->GetPixelFormat(&f), DD_OK);
  EXPECT_EQ(f.dwRGBBitCount, 16u);
  EXPECT_EQ(f.dwRBitMask, 0xF800u);
  EXPECT_EQ(deep->BltFast(0, 0, own, nullptr, DDBLTFAST_WAIT), DDERR_INVALIDPIXELFORMAT);
  EXPECT_EQ(deep->Blt(nullptr, own, nullptr, DDBLT_WAIT, nullptr), DDERR_INVALIDPIXELFORMAT);
  d.ddpfPixelFormat.dwRBitMask = 0xF000;
  IDirectDrawSurface* odd = nullptr;
  EXPECT_EQ(dd->CreateSurface(&d, &odd, nullptr), DDERR_INVALIDPIXELFORMAT);

  // The primary is 32-bit too; a frame blitted onto it reaches the host as 5-6-5.
  DDSURFACEDESC pd{};
  pd.dwSize = sizeof pd;
  pd.dwFlags = DDSD_CAPS;
  pd.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  IDirectDrawSurface* primary = nullptr;
  ASSERT_EQ(dd->CreateSurface(&pd, &primary, nullptr), DD_OK);
  made.push_back(primary);
  ASSERT_EQ(primary->GetPixelFormat(&f), DD_OK);
  EXPECT_EQ(f.dwRGBBitCount, 32u);
  Fill(deep, 0, 0, 4, 2, 0xFF8410);
  EXPECT_EQ(primary->BltFast(0, 0, deep, nullptr, DDBLTFAST_WAIT), DD_OK);
  EXPECT_EQ(host().LastFrame()[0], 255);
  EXPECT_EQ(host().LastFrame()[1], 0x86);  // 0x84 keeps its top six bits, widened again
  EXPECT_EQ(host().LastFrame()[2], 0x10);
}

TEST(BmpTest, DecodesWhatSdlDecodesAndRefusesWhatIsNoPicture) {
  testing_support::TempDir dir;
  // A 2 x 2, 8-bit paletted picture.
  std::string bmp = "BM";
  auto put32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) bmp.push_back(char(v >> (8 * i))); };
  auto put16 = [&](uint16_t v) { bmp.push_back(char(v)); bmp.push_back(char(v >> 8)); };
  put32(14 + 40 + 8 + 8); put32(0); put32(14 + 40 + 8);
  put32(40); put32(2); put32(2); put16(1); put16(8); put32(0); put32(8); put32(0); put32(0); put32(2); put32(0);
  put32(0x000000FF); put32(0x0000FF00);  // palette: blue, green (BGRA)
  bmp += std::string("\x00\x01\x00\x00\x01\x00\x00\x00", 8);
  host::Picture p;
  ASSERT_TRUE(host::DecodeBmp(bmp.data(), bmp.size(), &p));
  EXPECT_EQ(p.width, 2);
  EXPECT_EQ(p.pixels[0], 0x00FF00u);  // top row is the last stored: index 1, then 0
  EXPECT_EQ(p.pixels[1], 0x0000FFu);
  EXPECT_FALSE(host::DecodeBmp(bmp.data(), bmp.size() - 1, &p));
  std::string big = bmp;
  big[18] = 0, big[19] = 0, big[20] = 1, big[21] = 0;  // 65536 wide
  EXPECT_FALSE(host::DecodeBmp(big.data(), big.size(), &p));
  EXPECT_FALSE(host::DecodeBmp(bmp.data(), 20, &p));

  // Run-length coded (RLE8): two of index 1, end of line, two of index 0, end of the picture.
  std::string rle = bmp.substr(0, 14 + 40 + 8) + std::string("\x02\x01\x00\x00\x02\x00\x00\x01", 8);
  rle[30] = 1;  // the compression
  ASSERT_TRUE(host::DecodeBmp(rle.data(), rle.size(), &p));
  EXPECT_EQ(p.pixels[0], 0x0000FFu);
  EXPECT_EQ(p.pixels[2], 0x00FF00u);
  // Its 8 bytes cannot honestly stand for 16384 x 1024 pixels: a small file asks for no such memory.
  std::string huge = rle;
  huge[18] = 0, huge[19] = 0x40, huge[22] = 0, huge[23] = 4;
  EXPECT_FALSE(host::DecodeBmp(huge.data(), huge.size(), &p));
}

}  // namespace
