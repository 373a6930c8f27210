// The background music: a driving D minor theme at 140 beats a minute, 32 bars (about 55 s). The
// last bar is a dominant turnaround that falls back into the first, so the loop has no seam: every
// note ends by the last bar line and the tracks end exactly there.
#include "music.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>

namespace art {
namespace {

constexpr int kTicksPerQuarter = 480;
constexpr int kSixteenth = kTicksPerQuarter / 4;
constexpr int kBar = kSixteenth * 16;
constexpr int kTempoBpm = 140;

// The harmony, one chord a bar: intro, A, B, A again, turnaround.
const char* const kChords[] = {
    "Dm", "Dm", "Bb", "C",                             // intro
    "Dm", "Bb", "C",  "Am", "Dm", "Bb", "Gm", "A",     // A
    "Bb", "C",  "Dm", "Dm", "Gm", "Am", "Bb", "A",     // B
    "Dm", "Bb", "C",  "Am", "Dm", "Bb", "Gm", "A",     // A again, with brass
    "Bb", "C",  "Dm", "A",                             // turnaround
};
constexpr int kBars = sizeof kChords / sizeof kChords[0];

// Melodies as note lists: a note (or r for a rest) and its length in sixteenths; "|" marks a bar line.
const char* const kMelodyA =
    "D5:6 E5:2 F5:4 A5:4 | G5:4 F5:2 D5:2 F5:8 | E5:4 G5:4 C6:4 Bb5:2 A5:2 | A5:12 r:2 E5:2 | "
    "F5:6 E5:2 D5:4 A5:4 | Bb5:4 A5:2 G5:2 F5:4 D5:4 | G5:4 Bb5:4 D6:4 C6:2 Bb5:2 | A5:8 C#6:4 E6:4";
const char* const kMelodyB =
    "D6:3 C6:3 Bb5:2 F5:4 Bb5:4 | C6:3 Bb5:3 A5:2 G5:4 E5:4 | F5:2 A5:2 D6:2 A5:2 F6:4 E6:2 D6:2 | "
    "A5:12 r:4 | G5:2 Bb5:2 D6:4 C6:2 Bb5:2 A5:4 | C6:2 E6:2 A6:4 G6:2 E6:2 C6:4 | "
    "D6:4 F6:4 Bb5:4 D6:4 | C#6:4 E6:4 A6:8";
const char* const kMelodyTurn = "F5:8 D5:8 | E5:8 G5:8 | A5:16 | A4:4 C#5:4 E5:4 G5:4";

struct Chord {
  int root;                // pitch class
  std::vector<int> tones;  // pitch classes, root first
};

Chord ChordOf(const std::string& name) {
  static const std::map<std::string, Chord> chords = {
      {"Dm", {2, {2, 5, 9}}}, {"Bb", {10, {10, 2, 5}}}, {"C", {0, {0, 4, 7}}},
      {"Am", {9, {9, 0, 4}}}, {"Gm", {7, {7, 10, 2}}},  {"A", {9, {9, 1, 4}}},
  };
  return chords.at(name);
}

// The chord's tones as notes from `low` upward within one octave, sorted.
std::vector<int> Voicing(const Chord& c, int low) {
  std::vector<int> notes;
  for (int pc : c.tones) notes.push_back(low + ((pc - low % 12) % 12 + 12) % 12);
  std::sort(notes.begin(), notes.end());
  return notes;
}

int NoteNumber(const std::string& name) {
  static const int base[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  if (name.size() < 2 || name[0] < 'A' || name[0] > 'G') {
    std::fprintf(stderr, "not a note: \"%s\"\n", name.c_str());
    std::exit(1);
  }
  int pc = base[name[0] - 'A'];
  size_t i = 1;
  if (name[i] == '#') pc++, i++;
  else if (name[i] == 'b') pc--, i++;
  int octave = std::atoi(name.c_str() + i);
  return 12 * (octave + 1) + pc;
}

struct Event {
  int tick;
  int order;  // at one tick: set-up first, then note-offs, then note-ons
  std::vector<uint8_t> bytes;
};

class Track {
 public:
  Track(int channel, const std::string& name) : channel_(channel) {
    Meta(0, 0x03, std::vector<uint8_t>(name.begin(), name.end()));
  }
  void Meta(int tick, uint8_t type, std::vector<uint8_t> data) {
    std::vector<uint8_t> b = {0xFF, type, uint8_t(data.size())};
    b.insert(b.end(), data.begin(), data.end());
    events_.push_back({tick, 0, b});
  }
  void Program(int program) { events_.push_back({0, 0, {uint8_t(0xC0 | channel_), uint8_t(program)}}); }
  void Control(int controller, int value) {
    events_.push_back({0, 0, {uint8_t(0xB0 | channel_), uint8_t(controller), uint8_t(value)}});
  }
  void Note(int tick, int length, int note, int velocity) {
    if (tick + length > kBars * kBar) {
      std::fprintf(stderr, "note %d at tick %d rings past the loop\n", note, tick);
      std::exit(1);
    }
    events_.push_back({tick, 2, {uint8_t(0x90 | channel_), uint8_t(note), uint8_t(velocity)}});
    events_.push_back({tick + length, 1, {uint8_t(0x80 | channel_), uint8_t(note), 64}});
  }
  std::vector<uint8_t> Encode(int endTick) {
    std::stable_sort(events_.begin(), events_.end(), [](const Event& a, const Event& b) {
      return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
    });
    std::vector<uint8_t> body;
    int last = 0;
    auto delta = [&](int tick) {
      uint32_t d = uint32_t(tick - last);
      last = tick;
      uint8_t buf[5];
      int n = 0;
      buf[n++] = d & 0x7F;
      while (d >>= 7) buf[n++] = uint8_t(0x80 | (d & 0x7F));
      while (n) body.push_back(buf[--n]);
    };
    for (const Event& e : events_) {
      delta(e.tick);
      body.insert(body.end(), e.bytes.begin(), e.bytes.end());
    }
    delta(endTick);
    body.insert(body.end(), {0xFF, 0x2F, 0x00});
    std::vector<uint8_t> chunk = {'M', 'T', 'r', 'k'};
    uint32_t n = uint32_t(body.size());
    chunk.insert(chunk.end(), {uint8_t(n >> 24), uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n)});
    chunk.insert(chunk.end(), body.begin(), body.end());
    return chunk;
  }

 private:
  int channel_;
  std::vector<Event> events_;
};

// Plays a note list from `bar`; notes are held for most of their length.
void PlayMelody(Track& t, const char* list, int bar, int velocity, int transpose = 0) {
  std::istringstream in(list);
  std::string token;
  int tick = bar * kBar;
  while (in >> token) {
    if (token == "|") {
      if ((tick - bar * kBar) % kBar != 0) {
        std::fprintf(stderr, "bar line off the beat in \"%s\"\n", list);
        std::exit(1);
      }
      continue;
    }
    size_t colon = token.find(':');
    if (colon == std::string::npos) {
      std::fprintf(stderr, "no length in \"%s\"\n", token.c_str());
      std::exit(1);
    }
    int length = std::atoi(token.c_str() + colon + 1) * kSixteenth;
    std::string name = token.substr(0, colon);
    if (name != "r") {
      int gate = length - std::min(length / 8, 40);
      t.Note(tick, gate, NoteNumber(name) + transpose, velocity);
    }
    tick += length;
  }
}

enum Section { kIntro, kA, kB, kA2, kTurn };

Section SectionOf(int bar) {
  if (bar < 4) return kIntro;
  if (bar < 12) return kA;
  if (bar < 20) return kB;
  if (bar < 28) return kA2;
  return kTurn;
}

void WriteBig16(std::vector<uint8_t>& b, int v) {
  b.push_back(uint8_t(v >> 8));
  b.push_back(uint8_t(v));
}

}  // namespace

std::vector<uint8_t> ComposeMainTheme() {
  Track tempo(0, "Radire main theme");
  int usPerQuarter = 60000000 / kTempoBpm;
  tempo.Meta(0, 0x51, {uint8_t(usPerQuarter >> 16), uint8_t(usPerQuarter >> 8), uint8_t(usPerQuarter)});
  tempo.Meta(0, 0x58, {4, 2, 24, 8});
  tempo.Meta(0, 0x59, {uint8_t(0xFF), 1});  // D minor

  Track lead(0, "Lead");
  lead.Program(81);  // sawtooth lead
  lead.Control(7, 96);
  lead.Control(10, 64);
  lead.Control(91, 48);
  PlayMelody(lead, kMelodyA, 4, 100);
  PlayMelody(lead, kMelodyB, 12, 104);
  PlayMelody(lead, kMelodyA, 20, 104);
  PlayMelody(lead, kMelodyTurn, 28, 96);

  Track bass(1, "Bass");
  bass.Program(38);  // synth bass
  bass.Control(7, 112);
  bass.Control(10, 64);
  Track arp(2, "Arpeggio");
  arp.Program(80);  // square lead, kept low
  arp.Control(7, 64);
  arp.Control(10, 36);
  arp.Control(91, 40);
  Track pad(3, "Pad");
  pad.Program(89);  // warm pad
  pad.Control(7, 78);
  pad.Control(10, 90);
  pad.Control(91, 70);
  pad.Control(93, 50);
  Track brass(4, "Brass");
  brass.Program(62);  // synth brass
  brass.Control(7, 84);
  brass.Control(10, 80);
  brass.Control(91, 50);
  Track drums(9, "Drums");
  drums.Control(7, 110);
  drums.Control(91, 30);

  for (int bar = 0; bar < kBars; ++bar) {
    const int start = bar * kBar;
    const Section section = SectionOf(bar);
    const Chord chord = ChordOf(kChords[bar]);
    const int root = chord.root <= 5 ? 36 + chord.root : 24 + chord.root;

    // Bass: eighths, with octave leaps once the band is in.
    static const int leap[8] = {0, 0, 12, 0, 0, 12, 0, 7};
    for (int i = 0; i < 8; ++i) {
      int note = root + (bar < 2 ? 0 : leap[i]);
      bass.Note(start + i * 2 * kSixteenth, 2 * kSixteenth - 30, note, i % 2 == 0 ? 100 : 84);
    }

    // Arpeggio: sixteenths up and down the chord.
    std::vector<int> tones = Voicing(chord, 62);
    tones.push_back(tones[0] + 12);
    static const int walk[16] = {0, 1, 2, 3, 2, 1, 0, 1, 2, 3, 2, 1, 0, 1, 2, 3};
    for (int i = 0; i < 16; ++i)
      arp.Note(start + i * kSixteenth, kSixteenth - 20, tones[walk[i]], i % 4 == 0 ? 72 : 54);

    // Pad: the whole chord for the whole bar.
    for (int note : Voicing(chord, 55)) pad.Note(start, kBar, note, 58);

    // Brass: stabs through B, a rhythmic echo of the chord through the return of A.
    if (section == kB || section == kA2) {
      static const int stabB[][2] = {{0, 3}, {6, 2}, {10, 4}};
      static const int stabA[][2] = {{0, 6}, {6, 6}, {12, 4}};
      const auto& stabs = section == kB ? stabB : stabA;
      for (const auto& s : stabs)
        for (int note : Voicing(chord, section == kB ? 58 : 53))
          brass.Note(start + s[0] * kSixteenth, s[1] * kSixteenth - 30, note, section == kB ? 88 : 70);
    }

    // Drums: General MIDI kit on channel 10.
    const int kick = 36, snare = 38, hat = 42, openHat = 46, crash = 49;
    const bool fill = bar == 11 || bar == 19 || bar == 27;
    const bool tomFill = bar == kBars - 1;
    if (bar == 0 || bar == 4 || bar == 12 || bar == 20 || bar == 28) drums.Note(start, kSixteenth, crash, 100);
    for (int step = 0; step < 16; ++step) {
      int tick = start + step * kSixteenth;
      if (tomFill && step >= 8) {
        static const int toms[8] = {50, 50, 48, 48, 47, 47, 45, 41};
        drums.Note(tick, kSixteenth, toms[step - 8], 96 + (step % 2) * 8);
        if (step % 4 == 0) drums.Note(tick, kSixteenth, kick, 110);
        continue;
      }
      if (fill && step >= 12) {
        drums.Note(tick, kSixteenth, snare, 80 + (step - 12) * 10);
        continue;
      }
      bool isKick = step == 0 || step == 8 || step == 10 || (bar % 2 == 1 && step == 6);
      if (bar < 2) isKick = step == 0 || step == 8;
      if (isKick) drums.Note(tick, kSixteenth, kick, step == 0 ? 118 : 104);
      if (bar >= 2 && (step == 4 || step == 12)) drums.Note(tick, kSixteenth, snare, 104);
      if (step % 2 == 0) {
        bool open = step == 14 && bar >= 2;
        drums.Note(tick, kSixteenth, open ? openHat : hat, step % 4 == 0 ? 76 : 58);
      }
    }
  }

  std::vector<uint8_t> file = {'M', 'T', 'h', 'd', 0, 0, 0, 6};
  std::vector<Track*> tracks = {&tempo, &lead, &bass, &arp, &pad, &brass, &drums};
  WriteBig16(file, 1);
  WriteBig16(file, int(tracks.size()));
  WriteBig16(file, kTicksPerQuarter);
  for (Track* t : tracks) {
    std::vector<uint8_t> chunk = t->Encode(kBars * kBar);
    file.insert(file.end(), chunk.begin(), chunk.end());
  }
  return file;
}

}  // namespace art
