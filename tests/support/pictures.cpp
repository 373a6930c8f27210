#include "pictures.h"

#include <deque>

#include "kernel/resources.h"

namespace testing_support {

namespace {

void Put32(std::string& s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s.push_back(char((v >> (8 * i)) & 0xFF));
}
void Put16(std::string& s, uint16_t v) {
  s.push_back(char(v & 0xFF));
  s.push_back(char(v >> 8));
}

}  // namespace

std::string MakeBmp(int w, int h, const std::function<uint32_t(int, int)>& colour) {
  int row = (w * 3 + 3) & ~3;
  std::string s = "BM";
  Put32(s, uint32_t(54 + row * h));
  Put32(s, 0);
  Put32(s, 54);
  Put32(s, 40);
  Put32(s, uint32_t(w));
  Put32(s, uint32_t(h));
  Put16(s, 1);
  Put16(s, 24);
  Put32(s, 0);
  Put32(s, uint32_t(row * h));
  Put32(s, 2835);
  Put32(s, 2835);
  Put32(s, 0);
  Put32(s, 0);
  for (int y = h - 1; y >= 0; --y) {
    for (int x = 0; x < w; ++x) {
      uint32_t c = colour(x, y);
      s.push_back(char((c >> 16) & 0xFF));
      s.push_back(char((c >> 8) & 0xFF));
      s.push_back(char(c & 0xFF));
    }
    s.append(size_t(row - w * 3), '\0');
  }
  return s;
}

void AddBitmapResource(const std::string& name, const std::string& bmp) {
  static std::deque<std::string> keep;
  keep.push_back(name);
  const char* n = keep.back().c_str();
  keep.push_back(bmp);
  const std::string& data = keep.back();
  platform::EmbeddedResource r{n, 2, nullptr, reinterpret_cast<const unsigned char*>(data.data()), data.size()};
  platform::RegisterResources(&r, 1);
}

}  // namespace testing_support
