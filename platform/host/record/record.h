// Records of real play: a host that writes down everything another host answers, and a host that answers
// from such a record, so that any run can be played again frame for frame. The format is plain text; the
// README describes it.
#pragma once
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "../host.h"

namespace host::record {

// Format 2: the shared libraries draw their random numbers apart from the program's. Format 1 records were
// made while they drew on the program's generator; they are still read.
constexpr int kFormat = 2;
constexpr int kOldestFormat = 2;
// A checksum of the presented frame is kept every this many presentations.
constexpr int kChecksumEvery = 30;

uint64_t FrameChecksum(const uint16_t* pixels, int width, int height, int pitch, bool is555);

// What a run depends on and starts from, written at the head of the record.
struct Header {
  std::string version;
  unsigned seed = 0;
  uint32_t startTick = 0;
  bool is555 = false, accelerator = false, audioPulled = false;
  bool english = false;  // the texts were English (a "language en" line; Japanese without one)
  int desktopBits = 32, desktopWidth = 640, desktopHeight = 480;
  bool hasHighScore = false;
  std::string highScore;  // the bytes of "zqt.sss" when the run started
  std::vector<std::pair<std::string, std::string>> files;  // name, checksum ("absent" when missing)
};

// The checksums of the files the game reads: the data files in `dataDir`, the pictures and music in
// `programDir`.
std::vector<std::pair<std::string, std::string>> FileChecksums(const std::string& dataDir,
                                                               const std::string& programDir);
// The bytes of a small file; false when it cannot be read.
bool ReadSmallFile(const std::string& path, std::string* bytes);
// The program's version as records name it.
const char* Version();

// Stereo 16-bit frames handed from the main thread to an audio device's thread.
class AudioRing {
 public:
  static constexpr int kFrames = 16384;
  int Space() const { return kFrames - Buffered(); }
  int Buffered() const { return int(written_.load() - read_.load()); }
  // Main thread: the mixer renders `frames` frames (at most Space()) into the ring.
  void Fill(AudioCallback render, void* user, int frames);
  // Device thread.
  void Drain(int16_t* out, int frames);

 private:
  int16_t samples_[kFrames * 2] = {};
  std::atomic<uint64_t> written_{0}, read_{0};
};

// Hands every call to the host it wraps; the two hosts below take over the calls they answer themselves.
class WrappingHost : public Host {
 public:
  explicit WrappingHost(Host* inner) : inner_(inner) {}
  uint32_t Ticks() override { return inner_->Ticks(); }
  int64_t WallClock() override { return inner_->WallClock(); }
  bool PollEvent(Event* event) override { return inner_->PollEvent(event); }
  bool WaitEvent() override { return inner_->WaitEvent(); }
  int WaitEventFor(int ms) override { return inner_->WaitEventFor(ms); }
  void OpenWindow(const WindowRequest& request) override { inner_->OpenWindow(request); }
  void SetTitle(const std::string& title) override { inner_->SetTitle(title); }
  void MinimizeWindow() override { inner_->MinimizeWindow(); }
  void CloseWindow() override { inner_->CloseWindow(); }
  int DesktopWidth() override { return inner_->DesktopWidth(); }
  int DesktopHeight() override { return inner_->DesktopHeight(); }
  void PixelsChanging(const void* begin, const void* end) override { inner_->PixelsChanging(begin, end); }
  void Present(const uint16_t* pixels, int width, int height, int pitch, bool is555) override {
    inner_->Present(pixels, width, height, pitch, is555);
  }
  void QueueEmpty() override { inner_->QueueEmpty(); }
  bool DisplayIs555() override { return inner_->DisplayIs555(); }
  bool HasAccelerator() override { return inner_->HasAccelerator(); }
  int DesktopBits() override { return inner_->DesktopBits(); }
  bool SurfacesLost() const override { return inner_->SurfacesLost(); }
  void SetSurfacesLost(bool lost) override { inner_->SetSurfacesLost(lost); }
  void ShowCursor(bool shown) override { inner_->ShowCursor(shown); }
  void SetCursorPos(int x, int y) override { inner_->SetCursorPos(x, y); }
  void GetCursorPos(int* x, int* y) override { inner_->GetCursorPos(x, y); }
  void ClipCursor(const int* rect) override { inner_->ClipCursor(rect); }
  int MessageBox(const std::string& caption, const std::string& text, unsigned style) override {
    return inner_->MessageBox(caption, text, style);
  }
  void Beep(unsigned type) override { inner_->Beep(type); }
  JoyReading Joystick(int id) override { return inner_->Joystick(id); }
  bool OpenAudio(int* sampleRate, AudioCallback callback, void* user) override {
    return inner_->OpenAudio(sampleRate, callback, user);
  }
  void LockAudio() override { inner_->LockAudio(); }
  void UnlockAudio() override { inner_->UnlockAudio(); }
  bool AudioPulled() override { return inner_->AudioPulled(); }
  void Log(const std::string& line) override { inner_->Log(line); }
  bool ShouldFail(const char* function) override { return inner_->ShouldFail(function); }

 protected:
  Host* inner_;
};

// Forwards every call to `inner` and writes down each answer that came from outside.
class RecordingHost : public WrappingHost {
 public:
  // Writes to `path`; on failure gives one warning line and records nothing.
  RecordingHost(Host* inner, const std::string& path, const Header& header);
  ~RecordingHost() override;
  // Ends the record with the frame count and the high-score file as it is now. True when it was written.
  bool Finish(const std::string& highScoreFile);
  bool Failed() const { return failed_; }

  uint32_t Ticks() override;
  int64_t WallClock() override;
  bool PollEvent(Event* event) override;
  bool WaitEvent() override;
  int WaitEventFor(int ms) override;
  int DesktopWidth() override { return header_.desktopWidth; }
  int DesktopHeight() override { return header_.desktopHeight; }
  void Present(const uint16_t* pixels, int width, int height, int pitch, bool is555) override;
  bool DisplayIs555() override { return header_.is555; }
  bool HasAccelerator() override { return header_.accelerator; }
  int DesktopBits() override { return header_.desktopBits; }
  bool SurfacesLost() const override;
  void GetCursorPos(int* x, int* y) override;
  int MessageBox(const std::string& caption, const std::string& text, unsigned style) override;
  JoyReading Joystick(int id) override;
  bool OpenAudio(int* sampleRate, AudioCallback callback, void* user) override;
  bool AudioPulled() override { return header_.audioPulled; }
  bool ShouldFail(const char* function) override;

 private:
  static constexpr int kBuffer = 1 << 16;
  static constexpr int kPads = 16;
  void Put(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void Flush();
  void EndTicks();
  void CloseTicks();
  // The mixer renders on this thread at fixed points, so that when a song ends is part of the record.
  void PumpAudio();
  static void DeviceThunk(int16_t* out, int frames, void* self);

  Header header_;
  int fd_ = -1;
  bool failed_ = false, finished_ = false;
  std::string path_;
  char buffer_[kBuffer];
  int used_ = 0;
  int frame_ = 0;
  int polls_ = 0, pads_ = 0, waits_ = 0, boxes_ = 0, walls_ = 0, cursors_ = 0, pumps_ = 0, audios_ = 0;
  mutable int fails_ = 0, losses_ = 0;
  // This frame's tick readings as deltas, in runs of equal deltas.
  int32_t runDelta_ = 0;
  int runLength_ = 0;
  bool ticksOpen_ = false, inTicks_ = false;
  uint32_t lastTick_ = 0;
  int64_t lastWall_ = 0;
  int cursorX_ = 0, cursorY_ = 0;
  JoyReading lastPad_[kPads];
  AudioCallback mixer_ = nullptr;
  void* mixerUser_ = nullptr;
  bool ownAudio_ = false;
  std::atomic<uint64_t> consumed_{0};
  uint64_t rendered_ = 0;
  AudioRing ring_;
};

// A record read back. Kinds of answer other than ticks, each in call order with its frame and the index of
// the call among that frame's calls of its kind.
struct Answer {
  int frame = 0;
  int index = 0;
  Event event{EventType::Close};
  int id = 0;
  JoyReading pad;
  int64_t value = 0;
  int x = 0, y = 0;
  std::string name;
};
enum Kind { kPoll, kPad, kWait, kBox, kWall, kCursor, kFail, kLost, kAudioOpen, kAudio, kSum, kKinds };

// The answer as its record line says it, after the place ("key down RETURN", "wait 1").
std::string AnswerText(Kind kind, const Answer& answer);

struct Record {
  int format = kFormat;
  Header header;
  struct Ticks {
    int frame;
    size_t begin, end;  // into values
  };
  std::vector<Ticks> ticks;
  std::vector<uint32_t> values;
  std::vector<Answer> answers[kKinds];
  int endFrame = 0;
  bool hasEndHighScore = false;
  std::string endHighScore;
};

// Reads a record; on failure returns false with one line saying why.
bool ParseRecord(const std::string& text, Record* record, std::string* error);
// Whether the record fits this program and these files; if not, one line saying which.
bool Fits(const Record& record, const std::vector<std::pair<std::string, std::string>>& files, std::string* error);

// Answers from a record; what goes out (frames, the window, sounds) goes to `inner`. A replay that
// goes its own way calls `diverged` with the presentation number and what differed; it must not return.
class ReplayingHost : public WrappingHost {
 public:
  struct Options {
    bool paced = false;  // wait as the recorded clock did (the window)
    std::function<void(int frame, const std::string& what)> diverged;
    std::function<void(int frame)> stopped;  // the watcher closed the window or pressed Escape
  };
  ReplayingHost(Host* inner, const Record& record, Options options);
  ~ReplayingHost() override;
  // After the program ended: whether it ended where the record did. On a mismatch calls `diverged`.
  void Finish();
  int Presentations() const { return frame_; }
  int Checkpoints() const { return checkpoints_; }

  uint32_t Ticks() override;
  int64_t WallClock() override;
  bool PollEvent(Event* event) override;
  bool WaitEvent() override;
  int WaitEventFor(int ms) override;
  int DesktopWidth() override { return record_.header.desktopWidth; }
  int DesktopHeight() override { return record_.header.desktopHeight; }
  void Present(const uint16_t* pixels, int width, int height, int pitch, bool is555) override;
  bool DisplayIs555() override { return record_.header.is555; }
  bool HasAccelerator() override { return record_.header.accelerator; }
  int DesktopBits() override { return record_.header.desktopBits; }
  bool SurfacesLost() const override;
  void SetSurfacesLost(bool) override {}
  // The watcher's mouse is left alone.
  void SetCursorPos(int, int) override {}
  void GetCursorPos(int* x, int* y) override;
  void ClipCursor(const int*) override {}
  int MessageBox(const std::string& caption, const std::string& text, unsigned style) override;
  JoyReading Joystick(int id) override;
  bool OpenAudio(int* sampleRate, AudioCallback callback, void* user) override;
  bool AudioPulled() override { return record_.header.audioPulled; }
  bool ShouldFail(const char* function) override;

 private:
  // The next answer of `kind` if it belongs to this call, else null.
  const Answer* Take(Kind kind, int index) const;
  // The next answer of `kind`, which this call must have.
  const Answer& Need(Kind kind, int index);
  [[noreturn]] void Diverged(int frame, const std::string& what) const;
  // "the record holds "F:I ..."", for the answer of `kind` the replay is at.
  std::string Holds(Kind kind) const;
  void PumpAudio();
  bool TicksLeft() const;
  void Pace();
  static void DeviceThunk(int16_t* out, int frames, void* self);

  const Record& record_;
  Options options_;
  int frame_ = 0;
  int checkpoints_ = 0;
  mutable size_t next_[kKinds] = {};
  mutable int calls_[kKinds] = {};
  size_t tickRun_ = 0, tickNext_ = 0;
  uint32_t lastTick_;
  int64_t wall_ = 0;
  int cursorX_ = 0, cursorY_ = 0;
  JoyReading pads_[16];
  AudioCallback mixer_ = nullptr;
  void* mixerUser_ = nullptr;
  bool deviceOpen_ = false;
  AudioRing ring_;
  int16_t scratch_[2 * 1024];
  // The pace: the recorded tick and the real time of the last anchor, in milliseconds.
  bool anchored_ = false, fast_ = false;
  uint32_t anchorTick_ = 0;
  int64_t anchorNow_ = 0;
};

}  // namespace host::record
