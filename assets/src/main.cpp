// Writes the game's pictures, music and data files into the directory given.
#include <cstdio>
#include <string>

#include "data.h"
#include "music.h"
#include "pictures.h"

namespace {

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT-DIRECTORY\n", argv[0]);
    return 2;
  }
  std::string dir = argv[1];
  for (const art::Picture& p : art::PaintPictures()) {
    std::vector<uint8_t> bmp = art::EncodeBmp(p.image.width(), p.image.height(), p.image.Pixels());
    if (!WriteBytes(dir + "/" + p.name, bmp)) {
      std::fprintf(stderr, "cannot write %s/%s\n", dir.c_str(), p.name.c_str());
      return 1;
    }
  }
  if (!WriteBytes(dir + "/MAIN.MID", art::ComposeMainTheme())) {
    std::fprintf(stderr, "cannot write %s/MAIN.MID\n", dir.c_str());
    return 1;
  }
  if (!art::WriteDataFiles(dir)) {
    std::fprintf(stderr, "cannot write the data files in %s\n", dir.c_str());
    return 1;
  }
  return 0;
}
