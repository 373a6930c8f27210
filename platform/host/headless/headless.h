// The headless host: a virtual clock, scripted input, captured frames and a log of platform events.
// Tests drive it in-process through this interface as the --headless switches do from the command line.
#pragma once
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "../host.h"

namespace host {

struct ScriptedEvent {
  int frame = 0;  // queued after this presentation (0: before the first frame)
  enum Kind { Input, Joy, JoyUnplug } kind = Input;
  Event event{EventType::KeyDown};
  int joyId = 0;
  JoyReading joy;
};

// Parses an input script. On a malformed line returns false with a message naming the line.
bool ParseInputScript(const std::string& text, std::vector<ScriptedEvent>* events, std::string* error);
// The words of one line of a script or a record; a '#' ends the line (and is cut from it).
std::vector<std::string> LineWords(std::string* line);
// Maps a key name of the script (RETURN, SPACE, A, 7, F4, or a number) to a virtual-key code; -1 if unknown.
int KeyNameToVirtualKey(const std::string& name);

struct HeadlessOptions {
  int stepMs = 16;
  int frames = 0;  // 0: no limit
  bool display555 = false;
  bool accelerator = false;
  int desktopBits = 32;
  int loseSurfacesAt = 0;  // presentation after which surfaces are lost (0: never)
  std::string logFile;
  std::string audioFile;  // what is heard: 16-bit stereo at the mixer's rate, pulled as time passes
  std::map<int, std::string> shots;  // presentation number -> PNG file
  std::map<std::string, int> failures;  // function -> K-th call to fail (0: every call)
  std::string answer;  // message-box answer: "" (the default button), "ok", "yes", "no", "cancel"
};

class HeadlessHost : public Host {
 public:
  explicit HeadlessHost(const HeadlessOptions& options = {}, uint32_t startTick = kStartTick);
  ~HeadlessHost() override;

  uint32_t Ticks() override;
  int64_t WallClock() override;
  void SetWallClock(int64_t seconds) { wallClock_ = seconds; }
  bool PollEvent(Event* event) override;
  bool WaitEvent() override;
  void OpenWindow(const WindowRequest& request) override;
  void SetTitle(const std::string& title) override;
  void MinimizeWindow() override;
  void CloseWindow() override;
  int DesktopWidth() override { return 640; }
  int DesktopHeight() override { return 480; }
  void Present(const uint16_t* pixels, int width, int height, int pitch, bool is555) override;
  void QueueEmpty() override;
  bool DisplayIs555() override { return options_.display555; }
  bool HasAccelerator() override { return options_.accelerator; }
  void ShowCursor(bool shown) override;
  void SetCursorPos(int x, int y) override;
  void GetCursorPos(int* x, int* y) override;
  void ClipCursor(const int* rect) override;
  int MessageBox(const std::string& caption, const std::string& text, unsigned style) override;
  void Beep(unsigned type) override;
  JoyReading Joystick(int id) override;
  bool OpenAudio(int* sampleRate, AudioCallback callback, void* user) override;
  void LockAudio() override {}
  void UnlockAudio() override {}
  bool AudioPulled() override { return true; }
  void Log(const std::string& line) override;
  bool ShouldFail(const char* function) override;

  // For tests and tools.
  void AddScript(const std::vector<ScriptedEvent>& events);
  // Called after every presentation with its script frame number, before that frame's events are queued;
  // events it adds for that frame are queued with them. Lets a tool play the program as a script would.
  void SetPresentationHook(std::function<void(int frame)> hook) { presentationHook_ = std::move(hook); }
  void QueueEvent(const Event& event) { queue_.push_back(event); }
  void SetJoystick(int id, const JoyReading& reading);
  void AdvanceClock(uint32_t ms) { clock_ += ms; }
  void SetClock(uint32_t tick) { clock_ = tick; }
  void SetAnswer(const std::string& answer) { options_.answer = answer; }
  void SetFailure(const std::string& function, int call) { options_.failures[function] = call; calls_[function] = 0; }
  void ClearFailures() { options_.failures.clear(); }
  // Pulls `frames` stereo frames from the audio callback, as an output device would.
  bool PullAudio(int16_t* out, int frames);
  bool SurfacesLost() const override { return surfacesLost_; }
  void SetSurfacesLost(bool lost) override { surfacesLost_ = lost; }
  int DesktopBits() override { return options_.desktopBits; }

  const std::vector<std::string>& LogLines() const { return log_; }
  int Presentations() const { return presentations_; }
  // The last presented frame as RGB888, width x height, converted when first asked for.
  const std::vector<uint8_t>& LastFrame() const;
  void PixelsChanging(const void* begin, const void* end) override;
  int FrameWidth() const { return frameWidth_; }
  int FrameHeight() const { return frameHeight_; }
  bool windowOpen() const { return windowOpen_; }
  bool cursorShown() const { return cursorShown_; }
  const int* cursorClip() const { return clipped_ ? clip_ : nullptr; }

 private:
  void ReleaseScripted();

  HeadlessOptions options_;
  uint32_t clock_;
  uint32_t lastReading_ = 0;
  int sameReadings_ = 0;
  int presentations_ = 0;
  int scriptFrame_ = 0;  // presentations plus frames skipped while waiting for input
  std::vector<ScriptedEvent> script_;
  size_t scriptNext_ = 0;
  std::vector<Event> queue_;
  JoyReading joys_[2];
  std::vector<std::string> log_;
  std::map<std::string, int> calls_;
  // Most frames are never looked at, so the presented rows stay where they are (`shown_`, `shownPitch_`
  // bytes apart) until the surface holding them changes outside a presentation; then they are copied into
  // `frame_`, 16 bits a pixel, and `shown_` is null.
  const uint16_t* shown_ = nullptr;
  int shownPitch_ = 0;
  std::vector<uint16_t> frame_;
  bool frameIs555_ = false;
  mutable std::vector<uint8_t> lastFrame_;
  mutable bool lastFrameStale_ = false;
  int frameWidth_ = 0, frameHeight_ = 0;
  std::FILE* audioOut_ = nullptr;
  int sampleRate_ = 44100;
  int64_t audioFrames_ = 0;  // written to audioOut_ so far
  int64_t audioMs_ = 0;      // virtual time presented so far
  std::vector<int16_t> audioSamples_;  // kept from frame to frame, so a frame allocates nothing
  bool windowOpen_ = false;
  bool cursorShown_ = true;
  bool clipped_ = false;
  int clip_[4] = {0, 0, 0, 0};
  int cursorX_ = 0, cursorY_ = 0;
  AudioCallback audio_ = nullptr;
  void* audioUser_ = nullptr;
  bool surfacesLost_ = false;
  bool realPresentations_ = false;
  int64_t wallClock_ = 0;  // 0: the real time
  std::function<void(int)> presentationHook_;
  void Presented();
};

// A 16-bit frame (5-6-5, or 5-5-5) as RGB888, each channel widened by repeating its top bits as the
// display does.
void FrameToRgb(const uint16_t* pixels, int width, int height, int pitch, bool is555, std::vector<uint8_t>* rgb);
// Writes RGB888 pixels as a PNG file; returns false on failure.
bool WritePng(const std::string& file, const std::vector<uint8_t>& rgb, int width, int height);

}  // namespace host
