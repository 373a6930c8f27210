// The game's start-up with the real GameStartUp: the pictures as objects 2 to 12, the black frame and the
// opening reveal over the first 20 game frames.
#include <string>

#include "ox.h"
#include "support/fixture.h"
#include "support/pictures.h"

namespace {

struct Picture {
  const char* name;
  int w, h;
};
const Picture kPictures[] = {{"TITLE.BMP", 296, 103}, {"CHARA.BMP", 64, 48},   {"TAMA.BMP", 16, 16},
                             {"TEKI.BMP", 192, 48},   {"HIT.BMP", 128, 32},    {"END.BMP", 640, 480},
                             {"HAIKEI.BMP", 640, 480}, {"BOS.BMP", 128, 128},  {"STAF.BMP", 640, 960},
                             {"BOST.BMP", 32, 32},    {"TITLEB.BMP", 640, 480}};

class StartUpTest : public testing_support::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    static bool registered = false;
    if (!registered) {
      registered = true;
      // Stand-ins of the pictures' sizes, compiled in as the program's resources.
      for (const Picture& p : kPictures)
        testing_support::AddBitmapResource(
            p.name, testing_support::MakeBmp(p.w, p.h, [](int x, int y) { return RGB(x & 0xFF, y & 0xFF, 99); }));
    }
    libraryState = LibraryState{};
    libraryState.mainWindow = reinterpret_cast<HWND>(&windowStandIn);
  }
  void TearDown() override {
    // What the library's shutdown gives back.
    oxDraw::ReleaseAll();
    oxSystem::FreeFontRecord();
    HeadlessTest::TearDown();
  }
  int windowStandIn = 0;
};

TEST_F(StartUpTest, LoadsThePicturesInOrderThenRevealsOverTwentyFrames) {
  GameStartUp();
  EXPECT_TRUE(LogWith("messagebox").empty());
  for (int i = 0; i < 11; ++i) {
    SCOPED_TRACE(kPictures[i].name);
    EXPECT_STREQ(oxDraw::objects[2 + i].name, kPictures[i].name);
    DDSURFACEDESC d{};
    d.dwSize = sizeof d;
    ASSERT_NE(oxDraw::objects[2 + i].surface, nullptr);
    oxDraw::objects[2 + i].surface->GetSurfaceDesc(&d);
    // The title logo and the title background have fixed sizes; the others are the pictures' own.
    if (i == 0 || i == 10) {
      EXPECT_EQ(int(d.dwWidth), kPictures[i].w);
      EXPECT_EQ(int(d.dwHeight), kPictures[i].h);
    }
    EXPECT_EQ(oxDraw::objects[2 + i].colorKey, 0u);
  }
  // One black frame has been shown, and the reveal is armed.
  EXPECT_EQ(host().Presentations(), 1);
  EXPECT_EQ(host().LastFrame()[0], 0);
  EXPECT_EQ(oxDraw::transition.kind, 3);
  EXPECT_EQ(oxDraw::transition.step, 20);
  EXPECT_EQ(oxDraw::transition.direction, -1);
  EXPECT_EQ(libraryState.mode, 1);

  // Each game frame presents once and takes one step; the 20th ends it.
  libraryState.active = 1;
  for (int frame = 1; frame <= 20; ++frame) {
    EXPECT_EQ(oxDraw::transition.step, 21 - frame) << "frame " << frame;
    RunLoopPass();
  }
  EXPECT_EQ(oxDraw::transition.step, 0);
  EXPECT_EQ(oxDraw::transition.direction, 0);
  EXPECT_EQ(host().Presentations(), 21);
}

}  // namespace
