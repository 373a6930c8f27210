// The record's text: the header, the answer lines, and what a record must match before it is played.
#include "record.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "../headless/headless.h"
#include "format.h"

namespace host::record {

const char* Version() { return RADIRE_VERSION; }

uint64_t FrameChecksum(const uint16_t* pixels, int width, int height, int pitch, bool is555) {
  uint64_t h = 0x9E3779B97F4A7C15ull ^ (uint64_t(uint32_t(width)) << 33) ^ (uint64_t(uint32_t(height)) << 1) ^ is555;
  if (!pixels || width <= 0 || height <= 0) return h;
  const size_t rowBytes = size_t(width) * 2;
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = reinterpret_cast<const uint8_t*>(pixels) + size_t(y) * pitch;
    size_t x = 0;
    for (; x + 8 <= rowBytes; x += 8) {
      uint64_t w;
      std::memcpy(&w, row + x, 8);
      h = (h ^ w) * 0x100000001B3ull;
      h ^= h >> 29;
    }
    for (; x < rowBytes; ++x) h = (h ^ row[x]) * 0x100000001B3ull;
  }
  return h;
}

bool ReadSmallFile(const std::string& path, std::string* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream all;
  all << in.rdbuf();
  *bytes = all.str();
  return true;
}

namespace {

std::string Fnv(const std::string& bytes) {
  uint64_t h = 0xcbf29ce484222325ull;
  for (unsigned char c : bytes) h = (h ^ c) * 0x100000001B3ull;
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
  return text;
}

bool EndsWith(const std::string& name, const char* suffix) {
  size_t n = std::strlen(suffix);
  if (name.size() < n) return false;
  for (size_t i = 0; i < n; ++i)
    if (std::tolower(static_cast<unsigned char>(name[name.size() - n + i])) != suffix[i]) return false;
  return true;
}

void Checksums(const std::string& dir, const char* const* suffixes,
               std::vector<std::pair<std::string, std::string>>* out) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(dir.empty() ? "." : dir, error)) {
    std::string name = entry.path().filename().string();
    for (const char* const* s = suffixes; *s; ++s)
      if (EndsWith(name, *s)) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    std::string bytes;
    if (ReadSmallFile((dir.empty() ? "" : dir + "/") + name, &bytes)) out->push_back({name, Fnv(bytes)});
  }
}

}  // namespace

std::vector<std::pair<std::string, std::string>> FileChecksums(const std::string& dataDir,
                                                               const std::string& programDir) {
  static const char* const kData[] = {".dat", nullptr};
  static const char* const kBeside[] = {".bmp", ".mid", nullptr};
  std::vector<std::pair<std::string, std::string>> files;
  Checksums(dataDir, kData, &files);
  Checksums(programDir, kBeside, &files);
  return files;
}

// --- the answer lines ---

namespace {

const struct {
  const char* name;
  int code;
} kKeyNames[] = {{"RETURN", 0x0D}, {"SPACE", 0x20}, {"ESCAPE", 0x1B}, {"LEFT", 0x25},    {"UP", 0x26},
                 {"RIGHT", 0x27},  {"DOWN", 0x28},  {"SHIFT", 0x10},  {"CONTROL", 0x11}, {"ALT", 0x12},
                 {"TAB", 0x09},    {"BACK", 0x08}};

bool Int(const std::string& text, int64_t low, int64_t high, int64_t* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  long long v = std::strtoll(text.c_str(), &end, 10);
  if (*end != '\0' || errno || v < low || v > high) return false;
  *value = v;
  return true;
}

template <typename T>
bool Int(const std::string& text, int64_t low, int64_t high, T* value) {
  int64_t v;
  if (!Int(text, low, high, &v)) return false;
  *value = T(v);
  return true;
}

bool Hex(const std::string& text, std::string* bytes) {
  if (text.size() % 2) return false;
  bytes->clear();
  for (size_t i = 0; i < text.size(); i += 2) {
    char* end = nullptr;
    std::string pair = text.substr(i, 2);
    long v = std::strtol(pair.c_str(), &end, 16);
    if (*end || !std::isxdigit(static_cast<unsigned char>(pair[0]))) return false;
    bytes->push_back(char(v));
  }
  return true;
}

}  // namespace

int WriteKeyName(char* out, size_t size, int code) {
  for (const auto& k : kKeyNames)
    if (k.code == code) return std::snprintf(out, size, "%s", k.name);
  if ((code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9')) return std::snprintf(out, size, "%c", code);
  if (code >= 0x70 && code <= 0x87) return std::snprintf(out, size, "F%d", code - 0x6F);
  return std::snprintf(out, size, "%02d", code);  // two digits at least, so it is not read as a digit key
}

int WriteEvent(char* out, size_t size, const Event& e) {
  char key[16];
  switch (e.type) {
    case EventType::KeyDown:
    case EventType::KeyUp:
      WriteKeyName(key, sizeof key, e.code);
      return std::snprintf(out, size, "%s %s %s", e.flag ? "syskey" : "key",
                           e.type == EventType::KeyDown ? "down" : "up", key);
    case EventType::MouseMove: return std::snprintf(out, size, "mouse %d %d", e.x, e.y);
    case EventType::ButtonDown:
    case EventType::ButtonUp:
      return std::snprintf(out, size, "button %s %s %d %d%s", e.type == EventType::ButtonDown ? "down" : "up",
                           e.code ? "right" : "left", e.x, e.y, e.flag ? " double" : "");
    case EventType::Activate: return std::snprintf(out, size, "activate %d", e.code ? 1 : 0);
    case EventType::Moved: return std::snprintf(out, size, "moved %d %d", e.x, e.y);
    case EventType::Close: return std::snprintf(out, size, "close");
  }
  return 0;
}

std::string AnswerText(Kind kind, const Answer& a) {
  char text[128];
  switch (kind) {
    case kPoll: WriteEvent(text, sizeof text, a.event); break;
    case kPad:
      if (a.pad.connected)
        std::snprintf(text, sizeof text, "joy %d %u %u %u %u", a.id, a.pad.x, a.pad.y, a.pad.buttons, a.pad.buttonCount);
      else std::snprintf(text, sizeof text, "joy %d unplug", a.id);
      break;
    case kWait: std::snprintf(text, sizeof text, "wait %lld", static_cast<long long>(a.value)); break;
    case kBox: std::snprintf(text, sizeof text, "answer %lld", static_cast<long long>(a.value)); break;
    case kWall: std::snprintf(text, sizeof text, "wall %lld", static_cast<long long>(a.value)); break;
    case kCursor: std::snprintf(text, sizeof text, "cursor %d %d", a.x, a.y); break;
    case kFail: std::snprintf(text, sizeof text, "fail %s", a.name.c_str()); break;
    case kLost: std::snprintf(text, sizeof text, "lost"); break;
    case kAudioOpen: std::snprintf(text, sizeof text, "audio-open %lld %d", static_cast<long long>(a.value), a.x); break;
    case kAudio: std::snprintf(text, sizeof text, "audio %lld", static_cast<long long>(a.value)); break;
    default:
      std::snprintf(text, sizeof text, "sum %016llx", static_cast<unsigned long long>(a.value));
      break;
  }
  return text;
}

namespace {

bool ParseEvent(const std::vector<std::string>& w, Event* e) {
  auto n = [&](size_t count) { return w.size() == count + 2; };
  const std::string& what = w[1];
  if (what == "key" || what == "syskey") {
    if (!n(2) || (w[2] != "down" && w[2] != "up")) return false;
    int vk = KeyNameToVirtualKey(w[3]);
    if (vk < 0) return false;
    *e = Event{w[2] == "down" ? EventType::KeyDown : EventType::KeyUp, vk, what == "syskey"};
    return true;
  }
  if (what == "mouse" || what == "moved") {
    *e = Event{what == "mouse" ? EventType::MouseMove : EventType::Moved};
    return n(2) && Int(w[2], -100000, 100000, &e->x) && Int(w[3], -100000, 100000, &e->y);
  }
  if (what == "button") {
    if ((!n(4) && !n(5)) || (w[2] != "down" && w[2] != "up") || (w[3] != "left" && w[3] != "right")) return false;
    *e = Event{w[2] == "down" ? EventType::ButtonDown : EventType::ButtonUp, w[3] == "right"};
    if (n(5)) {
      if (w[6] != "double") return false;
      e->flag = 1;
    }
    return Int(w[4], -100000, 100000, &e->x) && Int(w[5], -100000, 100000, &e->y);
  }
  if (what == "activate") {
    *e = Event{EventType::Activate};
    return n(1) && Int(w[2], 0, 1, &e->code);
  }
  if (what == "close") {
    *e = Event{EventType::Close};
    return n(0);
  }
  return false;
}

// "F" or "F:I"
bool ParsePlace(const std::string& word, int* frame, int* index) {
  size_t colon = word.find(':');
  *index = 0;
  if (colon != std::string::npos && !Int(word.substr(colon + 1), 0, 100000000, index)) return false;
  return Int(word.substr(0, colon), 0, 100000000, frame);
}

}  // namespace

bool ParseRecord(const std::string& text, Record* record, std::string* error) {
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  bool ended = false;
  Header& h = record->header;
  uint32_t tick = 0;
  auto corrupt = [&](const char* why) {
    *error = "the record is corrupt at line " + std::to_string(number) + " (" + why + ")";
    return false;
  };
  if (!std::getline(lines, line) || line.rfind("radire-record ", 0) != 0) {
    *error = "not a record of this program";
    return false;
  }
  ++number;
  if (!Int(line.substr(14), kOldestFormat, kFormat, &record->format)) {
    *error = "the record's format (" + line.substr(14) + ") is not one this program reads (" +
             (kOldestFormat == kFormat ? "" : std::to_string(kOldestFormat) + " to ") + std::to_string(kFormat) + ")";
    return false;
  }
  if (text.back() != '\n') {
    *error = "the record is truncated (its last line, line " +
             std::to_string(std::count(text.begin(), text.end(), '\n') + 1) + ", is cut short)";
    return false;
  }
  bool started = false;
  while (std::getline(lines, line)) {
    ++number;
    std::vector<std::string> w = LineWords(&line);
    if (w.empty()) continue;
    if (ended) return corrupt("lines after the end");
    const std::string& key = w[0];
    if (key == "version") {
      if (w.size() != 2) return corrupt("version");
      h.version = w[1];
      continue;
    }
    if (key == "seed") {
      if (w.size() != 2 || !Int(w[1], 0, 0x7FFFFFFF, &h.seed)) return corrupt("seed");
      continue;
    }
    if (key == "start") {
      if (w.size() != 2 || !Int(w[1], 0, 0xFFFFFFFFll, &h.startTick)) return corrupt("start");
      tick = h.startTick;
      started = true;
      continue;
    }
    if (key == "host") {
      int bits555, accel, pulled;
      if (w.size() != 7 || !Int(w[1], 0, 1, &bits555) || !Int(w[2], 0, 1, &accel) || !Int(w[3], 0, 1, &pulled) ||
          !Int(w[4], 1, 64, &h.desktopBits) || !Int(w[5], 1, 100000, &h.desktopWidth) ||
          !Int(w[6], 1, 100000, &h.desktopHeight))
        return corrupt("host");
      h.is555 = bits555, h.accelerator = accel, h.audioPulled = pulled;
      continue;
    }
    if (key == "language") {
      if (w.size() != 2 || (w[1] != "ja" && w[1] != "en")) return corrupt("language");
      h.english = w[1] == "en";
      continue;
    }
    if (key == "zqt") {
      if (w.size() != 2) return corrupt("zqt");
      h.hasHighScore = w[1] != "none";
      if (h.hasHighScore && (w[1].size() > 512 || !Hex(w[1], &h.highScore))) return corrupt("zqt");
      continue;
    }
    if (key == "file") {
      if (w.size() != 3) return corrupt("file");
      h.files.push_back({w[1], w[2]});
      continue;
    }
    if (key == "end") {
      if ((w.size() != 2 && w.size() != 4) || !Int(w[1], 0, 100000000, &record->endFrame)) return corrupt("end");
      if (w.size() == 4) {
        if (w[2] != "zqt") return corrupt("end");
        record->hasEndHighScore = w[3] != "none";
        if (record->hasEndHighScore && (w[3].size() > 512 || !Hex(w[3], &record->endHighScore))) return corrupt("end");
      }
      ended = true;
      continue;
    }
    if (!started) return corrupt("answers before the start");
    int frame, index;
    if (!ParsePlace(key, &frame, &index)) return corrupt("frame number");
    if (w.size() < 2) return corrupt("missing answer");
    const std::string& what = w[1];
    Answer a;
    a.frame = frame;
    a.index = index;
    Kind kind;
    if (what == "t") {
      if (!record->ticks.empty() && record->ticks.back().frame > frame) return corrupt("ticks out of order");
      if (record->ticks.empty() || record->ticks.back().frame != frame)
        record->ticks.push_back({frame, record->values.size(), record->values.size()});
      for (size_t i = 2; i < w.size(); ++i) {
        size_t star = w[i].find('*');
        int32_t delta;
        int count = 1;
        if (!Int(w[i].substr(0, star), INT32_MIN, INT32_MAX, &delta) ||
            (star != std::string::npos && !Int(w[i].substr(star + 1), 1, 1000000, &count)))
          return corrupt("tick reading");
        if (record->values.size() + count > 200000000) return corrupt("too many tick readings");
        for (int k = 0; k < count; ++k) record->values.push_back(tick += uint32_t(delta));
      }
      record->ticks.back().end = record->values.size();
      continue;
    } else if (what == "sum") {
      kind = kSum;
      if (w.size() != 3) return corrupt("sum");
      char* end = nullptr;
      a.value = int64_t(std::strtoull(w[2].c_str(), &end, 16));
      if (*end || w[2].size() != 16) return corrupt("sum");
    } else if (what == "joy") {
      kind = kPad;
      if (w.size() == 4 && w[3] == "unplug") {
        if (!Int(w[2], 0, 15, &a.id)) return corrupt("joy");
      } else if (w.size() != 7 || !Int(w[2], 0, 15, &a.id) || !Int(w[3], 0, 65535, &a.pad.x) ||
                 !Int(w[4], 0, 65535, &a.pad.y) || !Int(w[5], 0, 0xFFFFFFFFll, &a.pad.buttons) ||
                 !Int(w[6], 0, 32, &a.pad.buttonCount)) {
        return corrupt("joy");
      } else {
        a.pad.connected = true;
      }
    } else if (what == "wait" || what == "answer" || what == "wall" || what == "audio") {
      kind = what == "wait" ? kWait : what == "answer" ? kBox : what == "wall" ? kWall : kAudio;
      int64_t low = kind == kWait ? -1 : kind == kAudio ? 1 : kind == kBox ? 0 : INT64_MIN / 2;
      int64_t high = kind == kWait ? 1 : kind == kAudio ? AudioRing::kFrames : kind == kBox ? 100 : INT64_MAX / 2;
      if (w.size() != 3 || !Int(w[2], low, high, &a.value)) return corrupt(what.c_str());
    } else if (what == "cursor") {
      kind = kCursor;
      if (w.size() != 4 || !Int(w[2], -100000, 100000, &a.x) || !Int(w[3], -100000, 100000, &a.y))
        return corrupt("cursor");
    } else if (what == "fail") {
      kind = kFail;
      if (w.size() != 3) return corrupt("fail");
      a.name = w[2];
    } else if (what == "lost") {
      kind = kLost;
      if (w.size() != 2) return corrupt("lost");
    } else if (what == "audio-open") {
      kind = kAudioOpen;
      if (w.size() != 4 || !Int(w[2], 0, 1, &a.value) || !Int(w[3], 1, 1000000, &a.x)) return corrupt("audio-open");
    } else {
      kind = kPoll;
      if (!ParseEvent(w, &a.event)) return corrupt("unknown answer");
    }
    record->answers[kind].push_back(a);
  }
  if (!started) {
    *error = "the record is corrupt (no start line)";
    return false;
  }
  if (!ended) {
    *error = "the record is truncated (it has no end line; it stops after line " + std::to_string(number) + ")";
    return false;
  }
  // Answers are taken in the order of their calls, whatever the order of their lines; one call, one answer.
  for (auto& list : record->answers) {
    std::stable_sort(list.begin(), list.end(),
                     [](const Answer& a, const Answer& b) { return a.frame < b.frame || (a.frame == b.frame && a.index < b.index); });
    for (size_t i = 1; i < list.size(); ++i)
      if (list[i].frame == list[i - 1].frame && list[i].index == list[i - 1].index) {
        *error = "the record is corrupt (two answers to call " + std::to_string(list[i].frame) + ":" +
                 std::to_string(list[i].index) + ")";
        return false;
      }
  }
  for (const auto& list : record->answers)
    if (!list.empty() && list.back().frame > record->endFrame) {
      *error = "the record is corrupt (an answer at frame " + std::to_string(list.back().frame) +
               ", after its end at frame " + std::to_string(record->endFrame) + ")";
      return false;
    }
  return true;
}

bool Fits(const Record& record, const std::vector<std::pair<std::string, std::string>>& files, std::string* error) {
  if (record.header.version != Version()) {
    *error = "the record is from version " + record.header.version + ", this program is version " + Version();
    return false;
  }
  // Plain names, not structured bindings: not every compiler that builds the fuzz targets lets a lambda see those.
  for (const auto& recorded : record.header.files) {
    const std::string& name = recorded.first;
    auto here = std::find_if(files.begin(), files.end(), [&](const auto& f) { return f.first == name; });
    if (here == files.end() || here->second != recorded.second) {
      *error = "the record was made with another " + name + " than the one here";
      return false;
    }
  }
  for (const auto& present : files) {
    const std::string& name = present.first;
    auto there = std::find_if(record.header.files.begin(), record.header.files.end(),
                              [&](const auto& f) { return f.first == name; });
    if (there == record.header.files.end()) {
      *error = "the record was made without " + name;
      return false;
    }
  }
  return true;
}

void AudioRing::Fill(AudioCallback render, void* user, int frames) {
  frames = std::min(frames, Space());
  uint64_t at = written_.load();
  while (frames > 0) {
    int offset = int(at % kFrames);
    int n = std::min(frames, kFrames - offset);
    render(samples_ + offset * 2, n, user);
    at += n;
    frames -= n;
  }
  written_.store(at);
}

void AudioRing::Drain(int16_t* out, int frames) {
  uint64_t at = read_.load();
  int n = std::min(frames, int(written_.load() - at));
  for (int i = 0; i < n;) {
    int offset = int((at + i) % kFrames);
    int run = std::min(n - i, kFrames - offset);
    std::memcpy(out + i * 2, samples_ + offset * 2, size_t(run) * 4);
    i += run;
  }
  if (n < frames) std::memset(out + n * 2, 0, size_t(frames - n) * 4);  // an underrun is silence
  read_.store(at + n);
}

}  // namespace host::record
