// WINMM: the MCI string interface with the sequencer device. Standard MIDI files are played by FluidSynth
// with a General MIDI soundfont and rendered into the mixer. The song's end is seen on the audio thread;
// the notification is posted from the message pump on the main thread.
#include <fluidsynth.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "../host/host.h"
#include "../host/mixer.h"
#include "../kernel/codepage.h"
#include "../user/windowing.h"
#include "windows.h"

namespace {

// The synthesizer's gain at full volume.
constexpr float kFullGain = 0.5f;
std::atomic<int> musicVolume{100};

const char* const kSoundfonts[] = {
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
    "/usr/share/sounds/sf2/default-GM.sf2",
};

enum class Mode { Stopped, Playing, Paused };

struct Device {
  UINT id = 0;
  std::string alias;  // as given; compared without case
  std::vector<char> song;
  fluid_player_t* player = nullptr;  // under the mixer's lock
  int totalTicks = 0;                // the player's song length once it has read the song; counting walks it
  Mode mode = Mode::Stopped;         // under the mixer's lock
  bool ended = false;                // set by the audio thread, taken by the pump (under the lock)
  HWND notifyWindow = nullptr;       // main thread only
  bool notifyPending = false;
};

// The synthesizer all sequencer devices play through.
class Synth : public platform::MixerSource {
 public:
  // Null when no soundfont can be loaded; the reason goes to standard error once.
  static Synth* Get() {
    static bool tried = false;
    static Synth* synth = nullptr;
    if (!tried) {
      tried = true;
      synth = Create();
    }
    return synth;
  }

  fluid_synth_t* synth() { return synth_; }
  // With no device left nothing is rendered any more, not even the fading tail.
  void Quiet() { tail_ = 0; }
  fluid_settings_t* settings() { return settings_; }
  std::vector<std::unique_ptr<Device>> devices;

  void MixInto(int32_t* mix, int frames, int) override {
    bool any = false;
    for (auto& d : devices)
      if (d->mode == Mode::Playing && d->player) any = true;
    if (any) tail_ = kTailFrames;
    if (tail_ <= 0) return;
    // Set here, under the mixer's lock, as the synthesizer is not shared between threads.
    if (int volume = musicVolume.load(); volume != volume_) {
      volume_ = volume;
      fluid_synth_set_gain(synth_, kFullGain * float(volume) / 100.0f);
    }
    tail_ -= frames;
    static float left[512], right[512];
    for (int done = 0; done < frames;) {
      int n = std::min(frames - done, 512);
      fluid_synth_write_float(synth_, n, left, 0, 1, right, 0, 1);
      // Muted, the song still runs on (its end is timed by what is rendered); the reverb's tail is not heard.
      for (int i = 0; i < n && volume_ > 0; ++i) {
        mix[(done + i) * 2] += int32_t(std::clamp(left[i], -1.0f, 1.0f) * 32767.0f);
        mix[(done + i) * 2 + 1] += int32_t(std::clamp(right[i], -1.0f, 1.0f) * 32767.0f);
      }
      done += n;
      EndSongs();
    }
  }

 private:
  // A song ends with its last event; the player itself would wait for the notes to fade first.
  void EndSongs() {
    for (auto& d : devices) {
      if (d->mode != Mode::Playing || !d->player) continue;
      if (d->totalTicks <= 0) d->totalTicks = fluid_player_get_total_ticks(d->player);
      if (fluid_player_get_status(d->player) == FLUID_PLAYER_DONE ||
          (d->totalTicks > 0 && fluid_player_get_current_tick(d->player) >= d->totalTicks)) {
        fluid_player_stop(d->player);
        d->mode = Mode::Stopped;
        d->ended = true;
      }
    }
  }

  static constexpr int kTailFrames = 44100 * 2;  // notes still ringing after the last play

  static Synth* Create() {
    fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
    fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
    fluid_set_log_function(FLUID_DBG, nullptr, nullptr);
    fluid_set_log_function(FLUID_ERR, nullptr, nullptr);
    std::string font;
    if (const char* chosen = std::getenv("RADIRE_SOUNDFONT")) {
      font = chosen;
    } else {
      for (const char* f : kSoundfonts) {
        struct stat st;
        if (stat(f, &st) == 0) {
          font = f;
          break;
        }
      }
    }
    platform::Mixer& mixer = platform::Mixer::Instance();
    mixer.Open();
    Synth* s = new Synth;
    s->settings_ = new_fluid_settings();
    if (!s->settings_) {
      // In the browser the synthesizer is a module of its own, which the page may not have loaded.
      std::fprintf(stderr, "radire: no synthesizer; the game runs without music\n");
      delete s;
      return nullptr;
    }
    fluid_settings_setnum(s->settings_, "synth.sample-rate", double(mixer.Rate()));
    fluid_settings_setnum(s->settings_, "synth.gain", kFullGain);
    fluid_settings_setstr(s->settings_, "player.timing-source", "sample");
    fluid_settings_setint(s->settings_, "synth.threadsafe-api", 0);
    s->synth_ = new_fluid_synth(s->settings_);
    if (!s->synth_ || font.empty() || fluid_synth_sfload(s->synth_, font.c_str(), 1) == FLUID_FAILED) {
      std::fprintf(stderr, "radire: no General MIDI soundfont (%s); the game runs without music\n",
                   font.empty() ? "none of /usr/share/sounds/sf2/TimGM6mb.sf2, FluidR3_GM.sf2, default-GM.sf2"
                                : font.c_str());
      if (s->synth_) delete_fluid_synth(s->synth_);
      delete_fluid_settings(s->settings_);
      delete s;
      return nullptr;
    }
    mixer.Add(s);
    return s;
  }

  fluid_settings_t* settings_ = nullptr;
  fluid_synth_t* synth_ = nullptr;
  int tail_ = 0;
  int volume_ = 100;
};

UINT nextId = 1;

std::string Lower(std::string s) {
  for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// Splits a command into words; a word in double quotes may hold blanks.
MCIERROR Tokenize(const char* command, std::vector<std::string>* words) {
  const char* p = command;
  for (;;) {
    while (*p == ' ' || *p == '\t') ++p;
    if (!*p) return 0;
    std::string word;
    if (*p == '"') {
      // The quoted word is a file name, which on this system may hold quotes and blanks itself: it ends at
      // the last quote before a blank or the end of the command.
      const char* end = nullptr;
      for (const char* q = std::strchr(p + 1, '"'); q; q = std::strchr(q + 1, '"'))
        if (!q[1] || q[1] == ' ' || q[1] == '\t') end = q;
      if (!end) return MCIERR_NO_CLOSING_QUOTE;
      word.assign(p + 1, end);
      p = end + 1;
    } else {
      while (*p && *p != ' ' && *p != '\t') word += *p++;
    }
    words->push_back(word);
  }
}

// Walks a track's events: every length an event states must lie within the track, as the synthesizer's
// reader takes such a length at its word and allocates it.
bool TrackSound(const unsigned char* d, size_t size) {
  size_t at = 0;
  auto number = [&](uint32_t* value) {  // a variable-length quantity, four bytes at most
    *value = 0;
    for (int i = 0; i < 4; ++i) {
      if (at >= size) return false;
      unsigned char b = d[at++];
      *value = *value << 7 | (b & 0x7F);
      if (!(b & 0x80)) return true;
    }
    return false;
  };
  unsigned running = 0;
  while (at < size) {
    uint32_t delta, length;
    if (!number(&delta) || at >= size) return false;
    unsigned status = d[at];
    if (status & 0x80) ++at;
    else if (!running) return false;  // data with no status to run on
    else status = running;
    if (status < 0xF0) {
      running = status;
      length = (status & 0xE0) == 0xC0 ? 1 : 2;  // program change and channel pressure have one data byte
    } else if (status == 0xFF) {
      if (at >= size) return false;
      ++at;  // the meta event's type
      if (!number(&length)) return false;
    } else if (status == 0xF0 || status == 0xF7) {
      if (!number(&length)) return false;
    } else {
      return false;  // no other system message belongs in a file
    }
    if (length > size - at) return false;
    at += length;
  }
  return true;
}

// Reads a standard MIDI file and checks its chunk structure and its events; the synthesizer is given only
// what passes.
MCIERROR LoadSong(const std::string& path, std::vector<char>* song) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return MCIERR_FILE_NOT_FOUND;
  if (st.st_size > 16 * 1024 * 1024) return MCIERR_INVALID_FILE;
  std::ifstream in(path, std::ios::binary);
  if (!in) return MCIERR_FILE_NOT_FOUND;
  song->assign(size_t(st.st_size), 0);
  if (!in.read(song->data(), std::streamsize(song->size()))) return MCIERR_FILE_READ;
  const unsigned char* d = reinterpret_cast<const unsigned char*>(song->data());
  size_t size = song->size();
  auto be32 = [&](size_t at) { return uint32_t(d[at]) << 24 | uint32_t(d[at + 1]) << 16 | uint32_t(d[at + 2]) << 8 | d[at + 3]; };
  if (size < 14 || std::memcmp(d, "MThd", 4) != 0 || be32(4) < 6 || be32(4) > size - 8) return MCIERR_INVALID_FILE;
  unsigned format = unsigned(d[8]) << 8 | d[9];
  unsigned tracks = unsigned(d[10]) << 8 | d[11];
  unsigned division = unsigned(d[12]) << 8 | d[13];
  if (format > 2 || tracks == 0 || division == 0) return MCIERR_INVALID_FILE;
  size_t at = 8 + be32(4);
  for (unsigned t = 0; t < tracks; ++t) {
    if (size - at < 8 || std::memcmp(d + at, "MTrk", 4) != 0) return MCIERR_INVALID_FILE;
    uint32_t length = be32(at + 4);
    if (length > size - at - 8 || !TrackSound(d + at + 8, length)) return MCIERR_INVALID_FILE;
    at += 8 + length;
  }
  return 0;
}

Device* Find(Synth* synth, const std::string& alias) {
  if (!synth) return nullptr;
  std::string wanted = Lower(alias);
  for (auto& d : synth->devices)
    if (Lower(d->alias) == wanted) return d.get();
  return nullptr;
}

void Post(HWND window, UINT flag, UINT id) {
  if (window) PostMessageA(window, MM_MCINOTIFY, flag, LPARAM(id));
  const char* name = flag == MCI_NOTIFY_SUCCESSFUL ? "successful"
                     : flag == MCI_NOTIFY_SUPERSEDED ? "superseded"
                     : flag == MCI_NOTIFY_ABORTED    ? "aborted"
                                                     : "failure";
  host::Current().Log(std::string("mci notify ") + name + " device " + std::to_string(id));
}

// A play that is waiting to notify its window ends here with `flag`.
void EndNotify(Device* d, UINT flag) {
  if (!d->notifyPending) return;
  d->notifyPending = false;
  Post(d->notifyWindow, flag, d->id);
}

// Runs on the main thread: songs that ended on the audio thread tell their windows now.
void Pump() {
  Synth* synth = Synth::Get();
  if (!synth) return;
  platform::Mixer::Instance().Service();
  std::vector<Device*> ended;
  {
    std::lock_guard<std::mutex> hold(platform::Mixer::Instance().Lock());
    for (auto& d : synth->devices)
      if (d->ended) {
        d->ended = false;
        ended.push_back(d.get());
      }
  }
  for (Device* d : ended) EndNotify(d, MCI_NOTIFY_SUCCESSFUL);
}

// Under the mixer's lock: a fresh player at the start of the song.
void Rewind(Synth* synth, Device* d) {
  if (d->player) delete_fluid_player(d->player);
  d->player = new_fluid_player(synth->synth());
  if (d->player) fluid_player_add_mem(d->player, d->song.data(), d->song.size());
  d->totalTicks = 0;
  d->mode = Mode::Stopped;
  d->ended = false;
  fluid_synth_all_notes_off(synth->synth(), -1);
}

void Close(Synth* synth, Device* d) {
  EndNotify(d, MCI_NOTIFY_ABORTED);
  std::lock_guard<std::mutex> hold(platform::Mixer::Instance().Lock());
  if (d->player) delete_fluid_player(d->player);
  fluid_synth_all_sounds_off(synth->synth(), -1);
  auto& list = synth->devices;
  list.erase(std::remove_if(list.begin(), list.end(), [&](auto& p) { return p.get() == d; }), list.end());
  if (list.empty()) synth->Quiet();
}

MCIERROR Reply(LPSTR out, UINT length, const std::string& text) {
  if (!out || length == 0) return 0;
  std::snprintf(out, length, "%s", text.c_str());
  return text.size() < length ? 0 : MCIERR_PARAM_OVERFLOW;
}

MCIERROR Open(const std::vector<std::string>& w, LPSTR out, UINT length, HWND callback) {
  if (w.size() < 2) return MCIERR_MISSING_DEVICE_NAME;
  std::string element = w[1], type, alias = w[1];
  bool notify = false;
  for (size_t i = 2; i < w.size(); ++i) {
    std::string k = Lower(w[i]);
    if (k == "type" || k == "alias") {
      if (i + 1 >= w.size()) return MCIERR_MISSING_STRING_ARGUMENT;
      (k == "type" ? type : alias) = w[++i];
    } else if (k == "notify") {
      notify = true;
    } else if (k != "wait" && k != "shareable") {
      return MCIERR_UNRECOGNIZED_KEYWORD;
    }
  }
  if (type.empty()) {
    std::string e = Lower(element);
    size_t dot = e.rfind('.');
    std::string ext = dot == std::string::npos ? "" : e.substr(dot);
    if (ext == ".mid" || ext == ".midi" || ext == ".rmi") type = "sequencer";
  }
  if (Lower(type) != "sequencer") return MCIERR_INVALID_DEVICE_NAME;
  platform::Mixer::Instance().Open();
  Synth* synth = Synth::Get();
  if (!synth) return MCIERR_SEQ_NOMIDIPRESENT;
  if (Find(synth, alias)) return MCIERR_DUPLICATE_ALIAS;
  auto d = std::make_unique<Device>();
  MCIERROR r = LoadSong(platform::Cp932ToUtf8(element), &d->song);
  if (r) return r;
  d->id = nextId++;
  d->alias = alias;
  platform::AddMessagePump(&Pump);
  Device* device = d.get();
  {
    std::lock_guard<std::mutex> hold(platform::Mixer::Instance().Lock());
    synth->devices.push_back(std::move(d));
    Rewind(synth, device);
  }
  if (notify) Post(callback, MCI_NOTIFY_SUCCESSFUL, device->id);
  return Reply(out, length, std::to_string(device->id));
}

MCIERROR Command(const char* command, LPSTR out, UINT length, HWND callback) {
  std::vector<std::string> w;
  if (MCIERROR r = Tokenize(command, &w)) return r;
  if (w.empty()) return MCIERR_MISSING_COMMAND_STRING;
  std::string verb = Lower(w[0]);
  static const char* const kVerbs[] = {"open", "close", "play", "stop", "pause", "resume", "seek", "status"};
  if (std::none_of(std::begin(kVerbs), std::end(kVerbs), [&](const char* v) { return verb == v; }))
    return MCIERR_UNRECOGNIZED_COMMAND;
  if (verb == "open") return Open(w, out, length, callback);
  if (w.size() < 2) return MCIERR_MISSING_DEVICE_NAME;
  Synth* synth = Synth::Get();
  platform::Mixer& mixer = platform::Mixer::Instance();

  if (verb == "close" && Lower(w[1]) == "all") {
    if (synth)
      while (!synth->devices.empty()) Close(synth, synth->devices.front().get());
    return 0;
  }
  Device* d = Find(synth, w[1]);
  if (!d) return MCIERR_INVALID_DEVICE_NAME;

  bool notify = false;
  std::vector<std::string> args;
  for (size_t i = 2; i < w.size(); ++i) {
    std::string k = Lower(w[i]);
    if (k == "notify") notify = true;
    else if (k != "wait") args.push_back(k);
  }
  MCIERROR result = 0;
  std::string reply;
  if (verb == "status") {
    if (args.empty()) return MCIERR_MISSING_PARAMETER;
    if (args.size() > 1) return MCIERR_UNRECOGNIZED_KEYWORD;
    if (args[0] == "mode") {
      std::lock_guard<std::mutex> hold(mixer.Lock());
      reply = d->mode == Mode::Playing ? "playing" : d->mode == Mode::Paused ? "paused" : "stopped";
    } else if (args[0] == "ready") {
      reply = "true";
    } else {
      return MCIERR_UNRECOGNIZED_KEYWORD;
    }
  } else if (verb == "seek") {
    if (args.empty() || args[0] != "to" || args.size() != 2) return args.empty() ? MCIERR_MISSING_PARAMETER : MCIERR_UNRECOGNIZED_KEYWORD;
    if (args[1] != "start") return MCIERR_UNSUPPORTED_FUNCTION;
    EndNotify(d, MCI_NOTIFY_ABORTED);
    std::lock_guard<std::mutex> hold(mixer.Lock());
    Rewind(synth, d);
  } else if (!args.empty()) {
    return MCIERR_UNRECOGNIZED_KEYWORD;
  } else if (verb == "play" || verb == "resume") {
    // A new play replaces the one waiting to notify.
    EndNotify(d, MCI_NOTIFY_SUPERSEDED);
    {
      std::lock_guard<std::mutex> hold(mixer.Lock());
      if (!d->player || fluid_player_get_status(d->player) == FLUID_PLAYER_DONE) Rewind(synth, d);
      if (d->player && fluid_player_play(d->player) == FLUID_OK) d->mode = Mode::Playing;
      else result = MCIERR_HARDWARE;
    }
    if (!result && notify) {
      d->notifyPending = true;
      d->notifyWindow = callback;
      notify = false;  // told at the end of the song
    }
  } else if (verb == "stop" || verb == "pause") {
    EndNotify(d, MCI_NOTIFY_ABORTED);
    std::lock_guard<std::mutex> hold(mixer.Lock());
    if (d->mode == Mode::Playing && d->player) fluid_player_stop(d->player);
    if (d->mode != Mode::Stopped) d->mode = verb == "pause" ? Mode::Paused : Mode::Stopped;
    fluid_synth_all_notes_off(synth->synth(), -1);
  } else if (verb == "close") {
    UINT id = d->id;
    Close(synth, d);
    if (notify) Post(callback, MCI_NOTIFY_SUCCESSFUL, id);
    return 0;
  }
  if (!result && notify) Post(callback, MCI_NOTIFY_SUCCESSFUL, d->id);
  if (!result && !reply.empty()) result = Reply(out, length, reply);
  return result;
}

}  // namespace

namespace platform {

void SetMusicVolume(int percent) { musicVolume = std::clamp(percent, 0, 100); }

}  // namespace platform

extern "C" MCIERROR WINAPI mciSendStringA(LPCSTR command, LPSTR returnString, UINT returnLength, HWND callback) {
  if (returnString && returnLength) returnString[0] = '\0';
  MCIERROR r = command ? Command(command, returnString, returnLength, callback) : MCIERR_MISSING_COMMAND_STRING;
  std::string line = "mci \"" + platform::Cp932ToUtf8(command ? command : "") + "\" -> " + std::to_string(r);
  if (!r && returnString && returnLength && returnString[0])
    line += " \"" + platform::Cp932ToUtf8(returnString) + "\"";
  host::Current().Log(line);
  return r;
}
