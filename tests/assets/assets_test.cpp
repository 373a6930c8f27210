// The generated pictures, music and data files: their layouts against the settings the game reads, the
// path tables as the game loads them, the music file's structure, and the embedded copies.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/fixture.h"
#include "windows.h"

namespace {

using testing_support::ReadFile;

std::string BinDir() {
  const char* bin = std::getenv("RADIRE_BIN");
  return bin ? bin : ".";
}

std::string Asset(const std::string& name) { return BinDir() + "/" + name; }

const char* const kPictures[] = {"TITLE.BMP", "CHARA.BMP", "TAMA.BMP",   "TEKI.BMP", "HIT.BMP",   "END.BMP",
                                 "HAIKEI.BMP", "BOS.BMP",  "STAF.BMP",   "BOST.BMP", "TITLEB.BMP"};

uint32_t Le32(const std::string& b, size_t at) {
  return uint8_t(b[at]) | uint8_t(b[at + 1]) << 8 | uint8_t(b[at + 2]) << 16 | uint32_t(uint8_t(b[at + 3])) << 24;
}
uint16_t Le16(const std::string& b, size_t at) { return uint16_t(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8); }

struct Rgb {
  int r, g, b;
  bool black() const { return r == 0 && g == 0 && b == 0; }
};

struct Bitmap {
  int width = 0, height = 0;
  std::vector<Rgb> pixels;  // top row first
  Rgb at(int x, int y) const { return pixels[size_t(y) * width + x]; }
};

// Reads a 24-bit uncompressed BMP, failing the test on anything else.
Bitmap LoadBmp(const std::string& name) {
  Bitmap bmp;
  std::string b = ReadFile(Asset(name));
  EXPECT_GE(b.size(), 54u) << name;
  if (b.size() < 54) return bmp;
  EXPECT_EQ(b.substr(0, 2), "BM") << name;
  EXPECT_EQ(Le32(b, 2), b.size()) << name << ": file size field";
  EXPECT_EQ(Le32(b, 14), 40u) << name << ": info header size";
  EXPECT_EQ(Le16(b, 26), 1) << name << ": planes";
  EXPECT_EQ(Le16(b, 28), 24) << name << ": bits per pixel";
  EXPECT_EQ(Le32(b, 30), 0u) << name << ": compression";
  int32_t w = int32_t(Le32(b, 18)), h = int32_t(Le32(b, 22));
  uint32_t offset = Le32(b, 10);
  size_t stride = (size_t(w) * 3 + 3) & ~size_t(3);
  EXPECT_GT(w, 0);
  EXPECT_GT(h, 0) << name << ": stored bottom-up";
  if (w <= 0 || h <= 0 || offset + stride * h > b.size()) {
    ADD_FAILURE() << name << ": pixel data missing";
    return bmp;
  }
  bmp.width = w;
  bmp.height = h;
  for (int y = 0; y < h; ++y) {
    size_t row = offset + size_t(h - 1 - y) * stride;
    for (int x = 0; x < w; ++x)
      bmp.pixels.push_back({uint8_t(b[row + x * 3 + 2]), uint8_t(b[row + x * 3 + 1]), uint8_t(b[row + x * 3])});
  }
  return bmp;
}

// The ten settings, read as the game reads them.
struct Settings {
  int bossFrameCount = 0, stage1BossHits = 0, staffLineCount = 0, bossAnimRate = 0, bossAnimMode = 0,
      stage1KillsForBoss = 0, enemyFrameCount = 0, enemyAnimRate = 0, bossCallKills = 0, stage23BossHits = 0;
};

Settings ReadSettings(int* read) {
  Settings s;
  int* fields[] = {&s.bossFrameCount,     &s.stage1BossHits,  &s.staffLineCount, &s.bossAnimRate,
                   &s.bossAnimMode,       &s.stage1KillsForBoss, &s.enemyFrameCount, &s.enemyAnimRate,
                   &s.bossCallKills,      &s.stage23BossHits};
  *read = 0;
  FILE* f = std::fopen(Asset("data.dat").c_str(), "rt");
  if (!f) return s;
  for (int* field : fields) *read += std::fscanf(f, "%d", field) == 1;
  std::fclose(f);
  return s;
}

// A path table loaded as the game loads it: up to 200 values, stopping after the first 6.
std::vector<int> LoadPath(const std::string& name, bool* restLeft) {
  std::vector<int> table;
  FILE* f = std::fopen(Asset(name).c_str(), "rt");
  if (!f) return table;
  int v;
  while (table.size() < 200 && std::fscanf(f, "%d", &v) == 1) {
    table.push_back(v);
    if (v == 6) break;
  }
  *restLeft = std::fscanf(f, "%d", &v) == 1;
  std::fclose(f);
  return table;
}

// What a 16-bit display keeps of a colour: 5-6-5 and 5-5-5.
bool VisibleIn565(Rgb p) { return (p.r >> 3) || (p.g >> 2) || (p.b >> 3); }
bool VisibleIn555(Rgb p) { return (p.r >> 3) || (p.g >> 3) || (p.b >> 3); }

struct Average {
  double r = 0, g = 0, b = 0;
  int count = 0;
};

Average Visible(const Bitmap& bmp, int left, int top, int right, int bottom) {
  Average a;
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x) {
      Rgb p = bmp.at(x, y);
      if (p.black()) continue;
      a.r += p.r;
      a.g += p.g;
      a.b += p.b;
      ++a.count;
    }
  if (a.count) a.r /= a.count, a.g /= a.count, a.b /= a.count;
  return a;
}

double Distance(const Average& a, const Average& b) {
  return std::sqrt((a.r - b.r) * (a.r - b.r) + (a.g - b.g) * (a.g - b.g) + (a.b - b.b) * (a.b - b.b));
}

TEST(Assets, DataFileHoldsTenWorkableSettings) {
  int read;
  Settings s = ReadSettings(&read);
  EXPECT_EQ(read, 10);
  EXPECT_GT(s.stage1BossHits, 0);
  EXPECT_GT(s.stage1KillsForBoss, 0);
  EXPECT_GE(s.stage23BossHits, 0);
  // The boss must be callable before it comes by itself at 100 kills, and the prompt shows below 90.
  EXPECT_GT(s.bossCallKills, 0);
  EXPECT_LT(s.bossCallKills, 90);
  EXPECT_GT(s.staffLineCount, 0);
  if (s.bossAnimMode != 0) {
    EXPECT_GT(s.bossAnimRate, 0);
  }
  if (s.enemyFrameCount > 0) {
    EXPECT_GT(s.enemyAnimRate, 0);
  }
}

TEST(Assets, PicturesHaveTheSizesAndFramesTheGameSelects) {
  int read;
  Settings s = ReadSettings(&read);
  ASSERT_EQ(read, 10);
  struct Fixed {
    const char* name;
    int width, height;
  };
  for (Fixed f : {Fixed{"TITLE.BMP", 296, 103}, Fixed{"TITLEB.BMP", 640, 480}, Fixed{"HAIKEI.BMP", 640, 480}}) {
    Bitmap b = LoadBmp(f.name);
    EXPECT_EQ(b.width, f.width) << f.name;
    EXPECT_EQ(b.height, f.height) << f.name;
  }
  // Pictures of which the game draws one rectangle from the top-left corner.
  for (Fixed f : {Fixed{"CHARA.BMP", 50, 50}, Fixed{"TAMA.BMP", 30, 30}, Fixed{"HIT.BMP", 80, 50},
                  Fixed{"END.BMP", 640, 200}, Fixed{"BOST.BMP", 150, 330}}) {
    Bitmap b = LoadBmp(f.name);
    EXPECT_GE(b.width, f.width) << f.name;
    EXPECT_GE(b.height, f.height) << f.name;
  }

  // Enemy frames: the value runs up to enemyFrameCount, so frame enemyFrameCount itself can be drawn.
  Bitmap teki = LoadBmp("TEKI.BMP");
  EXPECT_EQ(teki.width, 50);
  EXPECT_EQ(teki.height % 50, 0);
  int enemyFrames = s.enemyFrameCount > 0 ? s.enemyFrameCount + 1 : 1;
  EXPECT_GE(teki.height / 50, enemyFrames);

  // Boss frames: cycling runs up to bossFrameCount; a fixed frame is bossFrameCount x bossAnimRate.
  Bitmap bos = LoadBmp("BOS.BMP");
  EXPECT_EQ(bos.width, 200);
  EXPECT_EQ(bos.height % 100, 0);
  int highestBossFrame = s.bossAnimMode == 0 ? s.bossFrameCount * s.bossAnimRate : s.bossFrameCount;
  EXPECT_GE(highestBossFrame, 0);
  EXPECT_GE(bos.height / 100, highestBossFrame + 1);

  // Staff strips 0 to staffLineCount are shown, and no more exist.
  Bitmap staf = LoadBmp("STAF.BMP");
  EXPECT_EQ(staf.width, 300);
  EXPECT_EQ(staf.height, 50 * (s.staffLineCount + 1));

  // Every frame that can be selected has something in it.
  for (int f = 0; f < teki.height / 50; ++f) EXPECT_GT(Visible(teki, 0, 50 * f, 50, 50 * f + 50).count, 300) << f;
  for (int f = 0; f < bos.height / 100; ++f)
    EXPECT_GT(Visible(bos, 0, 100 * f, 200, 100 * f + 100).count, 5000) << f;
  for (int l = 0; l < staf.height / 50; ++l) EXPECT_GT(Visible(staf, 0, 50 * l, 300, 50 * l + 50).count, 400) << l;
}

TEST(Assets, DarkColoursSurviveTheReductionTo16Bits) {
  // Black is the colour key and the transparent pixel of the software blits: any other pixel must keep a
  // non-zero value on a 16-bit display, or it would vanish.
  for (const char* name : kPictures) {
    Bitmap b = LoadBmp(name);
    int lost565 = 0, lost555 = 0;
    for (Rgb p : b.pixels) {
      if (p.black()) continue;
      lost565 += !VisibleIn565(p);
      lost555 += !VisibleIn555(p);
    }
    EXPECT_EQ(lost565, 0) << name;
    EXPECT_EQ(lost555, 0) << name;
  }
}

TEST(Assets, SpritesStandApartFromEachOtherAndTheBackground) {
  Bitmap ship = LoadBmp("CHARA.BMP"), shot = LoadBmp("TAMA.BMP"), enemy = LoadBmp("TEKI.BMP");
  Bitmap boss = LoadBmp("BOS.BMP"), beam = LoadBmp("BOST.BMP"), back = LoadBmp("HAIKEI.BMP");
  ASSERT_FALSE(ship.pixels.empty() || shot.pixels.empty() || enemy.pixels.empty() || boss.pixels.empty() ||
               beam.pixels.empty() || back.pixels.empty());
  std::map<std::string, Average> look = {
      {"ship", Visible(ship, 0, 0, 50, 50)},     {"shot", Visible(shot, 0, 0, 30, 30)},
      {"enemy", Visible(enemy, 0, 0, 50, 50)},   {"boss", Visible(boss, 0, 0, 200, 100)},
      {"beam", Visible(beam, 0, 0, 150, 330)},
  };
  Average backdrop = Visible(back, 0, 0, 640, 480);
  for (auto& [name, a] : look) {
    EXPECT_GT(a.count, 0) << name;
    EXPECT_GT(Distance(a, backdrop), 60) << name << " against the background";
    // Sprites are bright against a dark sky.
    EXPECT_GT(a.r + a.g + a.b, backdrop.r + backdrop.g + backdrop.b + 90) << name;
  }
  for (auto i = look.begin(); i != look.end(); ++i)
    for (auto j = std::next(i); j != look.end(); ++j)
      EXPECT_GT(Distance(i->second, j->second), 45) << i->first << " and " << j->first;

  // The ship's row 0 and column 0 fall outside the half turn, and its edge must be transparent for the
  // colour key; the sprites keep clear of their frame edges.
  for (int i = 0; i < 50; ++i) {
    EXPECT_TRUE(ship.at(i, 0).black() && ship.at(0, i).black()) << i;
    EXPECT_TRUE(enemy.at(i, 0).black() && enemy.at(0, i).black()) << i;
  }
  for (int i = 0; i < 30; ++i) EXPECT_TRUE(shot.at(i, 0).black() && shot.at(0, i).black()) << i;
  // The shot is turned to any angle: it must look the same turned by a quarter.
  int differ = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 30; ++x) {
      Rgb a = shot.at(x, y), b = shot.at(y, 29 - x);
      differ += std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b) > 60;
    }
  EXPECT_LT(differ, 20);
}

TEST(Assets, StageBackgroundLetsTheStageTwoTitleThrough) {
  // The stage-2 title is drawn before the background: its band must be transparent black.
  Bitmap back = LoadBmp("HAIKEI.BMP");
  ASSERT_EQ(back.width, 640);
  int covered = Visible(back, 170, 215, 470, 265).count;
  EXPECT_LT(covered, 300 * 50 / 100) << "more than 1% of the title band is covered";
  // Most of the picture is transparent, so the sprites read against black.
  EXPECT_LT(Visible(back, 0, 0, 640, 480).count, 640 * 480 / 3);
}

TEST(Assets, PathTablesLoopAndEndWithTheMarker) {
  for (const char* name : {"teki.dat", "teki2.dat"}) {
    SCOPED_TRACE(name);
    bool restLeft = true;
    std::vector<int> t = LoadPath(name, &restLeft);
    ASSERT_GE(t.size(), 5u);
    EXPECT_LE(t.size(), 200u);
    // The loader stops at the first 6: it must be the end marker, with nothing after it.
    EXPECT_EQ(t.back(), 6);
    EXPECT_FALSE(restLeft) << "values after the end marker";
    EXPECT_GT(t[0], 0) << "speed";
    size_t i = 1;
    int dx = 0, dy = 0, moves = 0;
    for (; i + 1 < t.size() && t[i] != 5; i += 2) {
      EXPECT_GE(t[i], 1) << "direction at " << i;
      EXPECT_LE(t[i], 4) << "direction at " << i;
      EXPECT_GT(t[i + 1], 0) << "distance at " << i + 1;
      int d = t[i + 1];
      dx += t[i] == 1 ? d : t[i] == 2 ? -d : 0;
      dy += t[i] == 3 ? d : t[i] == 4 ? -d : 0;
      ++moves;
    }
    ASSERT_LT(i, t.size()) << "no loop code 5";
    EXPECT_EQ(t[i], 5);
    EXPECT_EQ(i + 2, t.size()) << "the marker follows the loop code";
    EXPECT_GE(moves, 4) << "a varied path";
    // Each loop drifts right, so the enemy wraps round, and comes back to its height.
    EXPECT_GT(dx, 0);
    EXPECT_EQ(dy, 0);
  }
  bool restLeft;
  EXPECT_NE(LoadPath("teki.dat", &restLeft), LoadPath("teki2.dat", &restLeft)) << "enemies B and C differ";
}

// A minimal reader of standard MIDI files.
struct Midi {
  int format = -1, division = 0;
  struct Note {
    int channel, key;
    long on, off;
  };
  std::vector<Note> notes;
  std::map<int, int> programs;  // channel -> program
  std::vector<std::pair<long, int>> tempos;  // tick -> microseconds per quarter
  std::vector<long> trackEnds;
  int numerator = 4, denominatorPower = 2;
  std::string error;
};

uint32_t Be(const std::string& b, size_t at, int n) {
  uint32_t v = 0;
  for (int i = 0; i < n; ++i) v = v << 8 | uint8_t(b[at + i]);
  return v;
}

Midi ParseMidi(const std::string& b) {
  Midi m;
  if (b.size() < 14 || b.compare(0, 4, "MThd") != 0 || Be(b, 4, 4) != 6) {
    m.error = "no header";
    return m;
  }
  m.format = int(Be(b, 8, 2));
  int tracks = int(Be(b, 10, 2));
  m.division = int(Be(b, 12, 2));
  size_t at = 14;
  for (int t = 0; t < tracks; ++t) {
    if (at + 8 > b.size() || b.compare(at, 4, "MTrk") != 0) {
      m.error = "track " + std::to_string(t) + " missing";
      return m;
    }
    size_t end = at + 8 + Be(b, at + 4, 4);
    if (end > b.size()) {
      m.error = "track " + std::to_string(t) + " truncated";
      return m;
    }
    at += 8;
    long tick = 0;
    int status = 0;
    bool ended = false;
    std::map<std::pair<int, int>, long> sounding;
    auto varlen = [&]() {
      uint32_t v = 0;
      for (int i = 0; i < 4 && at < end; ++i) {
        uint8_t c = uint8_t(b[at++]);
        v = v << 7 | (c & 0x7F);
        if (!(c & 0x80)) break;
      }
      return v;
    };
    while (at < end && !ended) {
      tick += long(varlen());
      uint8_t c = uint8_t(b[at]);
      if (c & 0x80) {
        status = c;
        ++at;
      }
      if (status == 0xFF) {
        int type = uint8_t(b[at++]);
        uint32_t len = varlen();
        if (type == 0x2F) {
          ended = true;
          m.trackEnds.push_back(tick);
        } else if (type == 0x51 && len == 3) {
          m.tempos.push_back({tick, int(Be(b, at, 3))});
        } else if (type == 0x58 && len == 4) {
          m.numerator = uint8_t(b[at]);
          m.denominatorPower = uint8_t(b[at + 1]);
        }
        at += len;
        status = 0;
        continue;
      }
      if (status == 0xF0 || status == 0xF7) {
        at += varlen();
        continue;
      }
      int kind = status & 0xF0, channel = status & 0x0F;
      int a = uint8_t(b[at++]);
      int v = (kind == 0xC0 || kind == 0xD0) ? 0 : uint8_t(b[at++]);
      if (kind == 0xC0) m.programs[channel] = a;
      if (kind == 0x90 && v > 0) {
        if (sounding.count({channel, a})) m.error = "note struck twice without release";
        sounding[{channel, a}] = tick;
      } else if (kind == 0x80 || (kind == 0x90 && v == 0)) {
        auto it = sounding.find({channel, a});
        if (it == sounding.end()) {
          m.error = "release without note";
        } else {
          m.notes.push_back({channel, a, it->second, tick});
          sounding.erase(it);
        }
      }
    }
    if (!ended || at != end) m.error = "track " + std::to_string(t) + " does not end with its end event";
    if (!sounding.empty()) m.error = "notes still sounding at the end of track " + std::to_string(t);
    at = end;
  }
  return m;
}

double Seconds(const Midi& m, long tick) {
  double seconds = 0;
  long last = 0;
  int tempo = 500000;
  for (auto [at, us] : m.tempos) {
    if (at > tick) break;
    seconds += double(at - last) * tempo / 1e6 / m.division;
    last = at;
    tempo = us;
  }
  return seconds + double(tick - last) * tempo / 1e6 / m.division;
}

TEST(Assets, MusicIsAStandardMidiFileThatLoopsSeamlessly) {
  Midi m = ParseMidi(ReadFile(Asset("MAIN.MID")));
  ASSERT_EQ(m.error, "");
  EXPECT_EQ(m.format, 1);
  ASSERT_GT(m.division, 0);
  EXPECT_LT(m.division, 0x8000) << "ticks per quarter, not SMPTE";
  ASSERT_FALSE(m.trackEnds.empty());
  ASSERT_FALSE(m.notes.empty());

  // Every track ends at the same whole bar, and no note rings past it.
  long end = m.trackEnds[0];
  for (long e : m.trackEnds) EXPECT_EQ(e, end);
  long bar = long(m.division) * 4 * m.numerator / (1 << m.denominatorPower);
  EXPECT_EQ(end % bar, 0) << "the loop ends on a bar line";
  long firstNote = end, lastOff = 0;
  for (auto& n : m.notes) {
    firstNote = std::min(firstNote, n.on);
    lastOff = std::max(lastOff, n.off);
  }
  EXPECT_EQ(firstNote, 0) << "no silence before the first note";
  EXPECT_LE(lastOff, end);
  EXPECT_GT(lastOff, end - bar / 4) << "no silent tail before the restart";
  EXPECT_GE(Seconds(m, end), 45.0);
  EXPECT_LE(Seconds(m, end), 180.0);

  // Several instruments and the drums on channel 10.
  std::map<int, int> notesPerChannel;
  for (auto& n : m.notes) notesPerChannel[n.channel]++;
  EXPECT_GT(notesPerChannel[9], 100) << "drums";
  int melodic = 0;
  for (auto [channel, count] : notesPerChannel)
    if (channel != 9 && count > 0) {
      ++melodic;
      EXPECT_TRUE(m.programs.count(channel)) << "channel " << channel + 1 << " has no program";
    }
  EXPECT_GE(melodic, 3);
  std::map<int, bool> distinct;
  for (auto [channel, program] : m.programs)
    if (channel != 9) distinct[program] = true;
  EXPECT_GE(distinct.size(), 3u);
}

TEST(Assets, EmbeddedPicturesEqualTheFiles) {
  for (const char* name : kPictures) {
    SCOPED_TRACE(name);
    std::string file = ReadFile(Asset(name));
    ASSERT_GT(file.size(), 14u);
    HRSRC found = FindResourceA(nullptr, name, RT_BITMAP);
    ASSERT_NE(found, nullptr);
    HGLOBAL loaded = LoadResource(nullptr, found);
    ASSERT_NE(loaded, nullptr);
    const char* data = static_cast<const char*>(LockResource(loaded));
    ASSERT_NE(data, nullptr);
    // A bitmap resource is the file without its BITMAPFILEHEADER.
    ASSERT_EQ(SizeofResource(nullptr, found), file.size() - 14);
    EXPECT_EQ(std::memcmp(data, file.data() + 14, file.size() - 14), 0);
  }
  EXPECT_EQ(FindResourceA(nullptr, "MAIN.MID", RT_BITMAP), nullptr) << "only the pictures are embedded";
}

TEST(Assets, GeneratorReproducesTheFilesExactly) {
  testing_support::TempDir dir;
  std::string command = std::string("'") + RADIRE_ASSET_GENERATOR + "' '" + dir.path() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  int compared = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    std::string name = entry.path().filename().string();
    EXPECT_EQ(ReadFile(entry.path().string()), ReadFile(Asset(name))) << name;
    ++compared;
  }
  EXPECT_EQ(compared, 15);
}

}  // namespace
