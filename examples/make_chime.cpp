// Writes the demo's chime: a short two-note bell as a 16-bit mono RIFF WAVE file.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

void Put16(std::vector<uint8_t>& out, unsigned v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_chime FILE.WAV\n");
    return 2;
  }
  const int rate = 22050;
  const int frames = rate * 6 / 10;
  std::vector<int16_t> samples(frames);
  for (int i = 0; i < frames; ++i) {
    double t = double(i) / rate;
    double f = t < 0.15 ? 880.0 : 1318.5;  // A5, then E6
    double since = t < 0.15 ? t : t - 0.15;
    double v = std::sin(2 * M_PI * f * t) * std::exp(-since * 7.0) + 0.3 * std::sin(4 * M_PI * f * t) * std::exp(-since * 12.0);
    samples[i] = int16_t(v * 9000);
  }
  std::vector<uint8_t> out;
  auto tag = [&](const char* s) { out.insert(out.end(), s, s + 4); };
  tag("RIFF");
  Put32(out, 36 + frames * 2);
  tag("WAVE");
  tag("fmt ");
  Put32(out, 16);
  Put16(out, 1);         // PCM
  Put16(out, 1);         // mono
  Put32(out, rate);
  Put32(out, rate * 2);  // bytes per second
  Put16(out, 2);         // block align
  Put16(out, 16);
  tag("data");
  Put32(out, frames * 2);
  for (int16_t s : samples) Put16(out, uint16_t(s));
  FILE* f = std::fopen(argv[1], "wb");
  if (!f) return 1;
  bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
  return std::fclose(f) == 0 && ok ? 0 : 1;
}
