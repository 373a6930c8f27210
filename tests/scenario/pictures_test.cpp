// The program loads its pictures from its own directory, and from its resources when a file is bad.
#include <cstdlib>
#include <filesystem>

#include "support/fixture.h"
#include "support/pictures.h"
#include "windows.h"

namespace {

using testing_support::Utf8;

const struct {
  const char* name;
  int w, h;
} kPictures[] = {{"TITLE.BMP", 296, 103}, {"CHARA.BMP", 64, 48},   {"TAMA.BMP", 16, 16}, {"TEKI.BMP", 192, 48},
                 {"HIT.BMP", 128, 32},    {"END.BMP", 640, 480},   {"HAIKEI.BMP", 640, 480}, {"BOS.BMP", 128, 128},
                 {"STAF.BMP", 640, 960},  {"BOST.BMP", 32, 32},    {"TITLEB.BMP", 640, 480}};

int Count(const std::vector<std::string>& log, const std::string& needle) {
  int n = 0;
  for (const std::string& line : log) n += line.find(needle) != std::string::npos;
  return n;
}

// A copy of the program in the test's directory with stand-in pictures beside it.
class PicturesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* bin = std::getenv("RADIRE_BIN");
    original_ = bin ? bin : ".";
    std::filesystem::copy_file(original_ + "/radire", dir_.File("radire"));
    for (const auto& p : kPictures)
      testing_support::WriteFile(dir_.File(p.name),
                                 testing_support::MakeBmp(p.w, p.h, [](int x, int y) { return RGB(x, y, 200); }));
    setenv("RADIRE_BIN", dir_.path().c_str(), 1);
  }
  void TearDown() override { setenv("RADIRE_BIN", original_.c_str(), 1); }
  testing_support::TempDir dir_;
  std::string original_;
};

TEST_F(PicturesTest, StartsWithThePicturesBesideIt) {
  auto r = testing_support::RunProgram("--headless --frames 22 --shot 21:end.png");
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_EQ(Count(r.log, "messagebox"), 0);
  EXPECT_EQ(Count(r.log, "21 shot " + dir_.File("end.png")), 1);
  EXPECT_TRUE(std::filesystem::file_size("end.png") > 0);
}

TEST_F(PicturesTest, ABadPictureBesideItGivesWayToTheBuiltInOne) {
  testing_support::WriteFile(dir_.File("TAMA.BMP"), "BM this is no picture");
  auto r = testing_support::RunProgram("--headless --frames 5");
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_EQ(Count(r.log, "messagebox"), 0);
  EXPECT_EQ(Count(r.log, "frame limit reached"), 1);
}

}  // namespace
