// KERNEL and the C runtime as the program sees them.
#include <fluidsynth.h>

#include <cstdlib>
#include <cstring>

#include "kernel/codepage.h"
#include "kernel/crt.h"
#include "support/fixture.h"
#include "windows.h"

namespace {

TEST(Runtime, RandFollowsTheWindowsGenerator) {
  srand(1);
  int expected[] = {41, 18467, 6334, 26500, 19169};
  for (int e : expected) EXPECT_EQ(rand(), e);
  srand(12345);
  EXPECT_EQ(rand(), 7584);

  // Shared libraries keep the C library's generator: FluidSynth draws numbers when it makes a synthesizer,
  // which must not change the game.
  srand(5);
  int next = rand();
  srand(5);
  fluid_settings_t* settings = new_fluid_settings();
  fluid_synth_t* synth = new_fluid_synth(settings);
  EXPECT_EQ(rand(), next);
  delete_fluid_synth(synth);
  delete_fluid_settings(settings);
}

TEST(Kernel, ModuleFileNameIsCutToTheBufferAndTerminated) {
  char full[512];
  DWORD n = GetModuleFileNameA(nullptr, full, sizeof full);
  ASSERT_GT(n, 5u);
  char small[6];
  std::memset(small, 'z', sizeof small);
  EXPECT_EQ(GetModuleFileNameA(nullptr, small, sizeof small), 5u);
  EXPECT_EQ(small[5], '\0');
  EXPECT_EQ(std::string(small), std::string(full, 5));
}

TEST(Kernel, TheWindowsDirectoryIsTheConfigurationDirectory) {
  setenv("XDG_CONFIG_HOME", "/tmp/some config", 1);
  char dir[64];
  EXPECT_EQ(GetWindowsDirectoryA(dir, sizeof dir), 16u);
  EXPECT_STREQ(dir, "/tmp/some config");
  char tiny[4];
  EXPECT_EQ(GetWindowsDirectoryA(tiny, sizeof tiny), 17u);  // the size needed
  unsetenv("XDG_CONFIG_HOME");
}

TEST(Kernel, GlobalBlocksAreZeroedWhenAsked) {
  unsigned char* p = static_cast<unsigned char*>(GlobalAlloc(GMEM_ZEROINIT, 60));
  ASSERT_NE(p, nullptr);
  for (int i = 0; i < 60; ++i) EXPECT_EQ(p[i], 0);
  EXPECT_EQ(GlobalFree(p), nullptr);
}

TEST(CodePage, ShiftJisRoundTripsAndBadBytesAreReplaced) {
  // This file's literals are Shift-JIS already; the UTF-8 side is spelt in bytes.
  const std::string utf8 = "\xE3\x82\xA8\xE3\x83\xA9\xE3\x83\xBC\xE7\x99\xBA\xE7\x94\x9F";
  std::string sjis = platform::Utf8ToCp932(utf8);
  EXPECT_EQ(sjis, "エラー発生");
  EXPECT_EQ(platform::Cp932ToUtf8(sjis), utf8);
  // A lead byte without a valid trail, in the middle: a replacement character and the rest.
  EXPECT_EQ(platform::Cp932ToUtf8(std::string("a\x82") + " b"), "a\xEF\xBF\xBD b");
  EXPECT_EQ(platform::Cp932ToUtf8("abc\x81"), "abc\xEF\xBF\xBD");
}

}  // namespace
