#include "media.h"

#include <cmath>
#include <cstdlib>

namespace testing_support {

namespace {

void Le(std::string& s, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s += char((v >> (8 * i)) & 0xFF);
}

void Be(std::string& s, uint32_t v, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) s += char((v >> (8 * i)) & 0xFF);
}

}  // namespace

std::string MakeWave(int rate, int channels, int bits, const std::string& data) {
  std::string s = "RIFF";
  Le(s, uint32_t(36 + data.size()), 4);
  s += "WAVEfmt ";
  Le(s, 16, 4);
  Le(s, 1, 2);
  Le(s, uint32_t(channels), 2);
  Le(s, uint32_t(rate), 4);
  Le(s, uint32_t(rate * channels * bits / 8), 4);
  Le(s, uint32_t(channels * bits / 8), 2);
  Le(s, uint32_t(bits), 2);
  s += "data";
  Le(s, uint32_t(data.size()), 4);
  return s + data;
}

std::string ConstantSamples16(int frames, int channels, int16_t value) {
  std::string s;
  for (int i = 0; i < frames * channels; ++i) Le(s, uint16_t(value), 2);
  return s;
}

std::string MakeMidi(int notes, int beatMs) {
  const int division = 480;
  std::string track;
  auto delta = [&](uint32_t v) {
    char bytes[5];
    int n = 0;
    bytes[n++] = char(v & 0x7F);
    while (v >>= 7) bytes[n++] = char(0x80 | (v & 0x7F));
    while (n--) track += bytes[n];
  };
  delta(0);
  track += "\xFF\x51\x03";
  Be(track, uint32_t(beatMs) * 1000, 3);
  delta(0);
  track += "\xC0\x00";  // piano
  for (int i = 0; i < notes; ++i) {
    char key = char(60 + (i % 5) * 2);
    delta(0);
    track += '\x90';
    track += key;
    track += '\x64';
    delta(division);
    track += '\x80';
    track += key;
    track += '\x40';
  }
  delta(0);
  track += "\xFF\x2F";
  track += '\0';
  std::string s = "MThd";
  Be(s, 6, 4);
  Be(s, 0, 2);
  Be(s, 1, 2);
  Be(s, division, 2);
  s += "MTrk";
  Be(s, uint32_t(track.size()), 4);
  return s + track;
}

int Peak(const std::vector<int16_t>& stereo, int channel) {
  int peak = 0;
  for (size_t i = size_t(channel); i < stereo.size(); i += 2) peak = std::max(peak, std::abs(int(stereo[i])));
  return peak;
}

double Rms(const std::vector<int16_t>& stereo, int channel) {
  double sum = 0;
  size_t n = 0;
  for (size_t i = size_t(channel); i < stereo.size(); i += 2, ++n) sum += double(stereo[i]) * stereo[i];
  return n ? std::sqrt(sum / double(n)) : 0.0;
}

}  // namespace testing_support
