#include "headless.h"

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace host {

namespace {

// A clock read this many times without a presentation moves on by 1 ms, so busy waits end.
constexpr int kReadsPerIdleMs = 1000;

std::string Hex(unsigned value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%x", value);
  return text;
}

}  // namespace

HeadlessHost::HeadlessHost(const HeadlessOptions& options, uint32_t startTick)
    : options_(options), clock_(startTick) {
  if (!options_.logFile.empty()) std::ofstream(options_.logFile, std::ios::trunc);
  if (!options_.audioFile.empty() && !(audioOut_ = std::fopen(options_.audioFile.c_str(), "wb")))
    std::fprintf(stderr, "radire: cannot write the audio to %s\n", options_.audioFile.c_str());
}

HeadlessHost::~HeadlessHost() {
  if (audioOut_) std::fclose(audioOut_);
}

uint32_t HeadlessHost::Ticks() {
  if (clock_ == lastReading_) {
    if (++sameReadings_ >= kReadsPerIdleMs) {
      sameReadings_ = 0;
      ++clock_;
    }
  } else {
    sameReadings_ = 0;
  }
  lastReading_ = clock_;
  return clock_;
}

int64_t HeadlessHost::WallClock() { return wallClock_ ? wallClock_ : int64_t(std::time(nullptr)); }

void HeadlessHost::AddScript(const std::vector<ScriptedEvent>& events) {
  script_.insert(script_.end(), events.begin(), events.end());
  std::stable_sort(script_.begin() + scriptNext_, script_.end(),
                   [](const ScriptedEvent& a, const ScriptedEvent& b) { return a.frame < b.frame; });
  ReleaseScripted();
}

void HeadlessHost::ReleaseScripted() {
  while (scriptNext_ < script_.size() && script_[scriptNext_].frame <= scriptFrame_) {
    const ScriptedEvent& e = script_[scriptNext_++];
    switch (e.kind) {
      case ScriptedEvent::Input:
        queue_.push_back(e.event);
        break;
      case ScriptedEvent::Joy:
        SetJoystick(e.joyId, e.joy);
        break;
      case ScriptedEvent::JoyUnplug:
        SetJoystick(e.joyId, JoyReading{});
        break;
    }
  }
}

bool HeadlessHost::PollEvent(Event* event) {
  if (queue_.empty()) return false;
  *event = queue_.front();
  queue_.erase(queue_.begin());
  return true;
}

bool HeadlessHost::WaitEvent() {
  // Idle time passes frame by frame until the script has something to say.
  while (queue_.empty()) {
    if (scriptNext_ >= script_.size()) return false;
    ++scriptFrame_;
    clock_ += options_.stepMs;
    ReleaseScripted();
  }
  return true;
}

void HeadlessHost::OpenWindow(const WindowRequest& request) {
  windowOpen_ = true;
  Log("window open \"" + request.title + "\" " + std::to_string(request.clientWidth) + "x" +
      std::to_string(request.clientHeight) + (request.fullScreen ? " fullscreen" : " windowed") +
      (request.minimized ? " minimized" : ""));
}

void HeadlessHost::SetTitle(const std::string& title) { Log("window title \"" + title + "\""); }

void HeadlessHost::MinimizeWindow() { Log("window minimize"); }

void HeadlessHost::CloseWindow() {
  windowOpen_ = false;
  Log("window close");
}

void HeadlessHost::Present(const uint16_t* pixels, int width, int height, int pitch, bool is555) {
  if (pixels && width > 0 && height > 0) {
    frameWidth_ = width;
    frameHeight_ = height;
    frameIs555_ = is555;
    shown_ = pixels;
    shownPitch_ = pitch;
    lastFrameStale_ = true;
  }
  realPresentations_ = true;
  Presented();
}

void HeadlessHost::PixelsChanging(const void* begin, const void* end) {
  const auto* at = reinterpret_cast<const uint8_t*>(shown_);
  if (!at || at < static_cast<const uint8_t*>(begin) || at >= static_cast<const uint8_t*>(end)) return;
  frame_.resize(size_t(frameWidth_) * frameHeight_);
  for (int y = 0; y < frameHeight_; ++y)
    std::memcpy(&frame_[size_t(y) * frameWidth_], at + ptrdiff_t(y) * shownPitch_, size_t(frameWidth_) * 2);
  shown_ = nullptr;
}

const std::vector<uint8_t>& HeadlessHost::LastFrame() const {
  if (!lastFrameStale_) return lastFrame_;
  lastFrameStale_ = false;
  if (shown_) FrameToRgb(shown_, frameWidth_, frameHeight_, shownPitch_, frameIs555_, &lastFrame_);
  else FrameToRgb(frame_.data(), frameWidth_, frameHeight_, frameWidth_ * 2, frameIs555_, &lastFrame_);
  return lastFrame_;
}

void HeadlessHost::QueueEmpty() {
  if (!realPresentations_) Presented();
}

void HeadlessHost::Presented() {
  ++presentations_;
  ++scriptFrame_;
  clock_ += options_.stepMs;
  if (audioOut_ && audio_) {
    // As much as the virtual time presented asks for, so a song keeps its length whatever the step.
    audioMs_ += options_.stepMs;
    int frames = int(audioMs_ * sampleRate_ / 1000 - audioFrames_);
    if (frames > 0) {
      if (audioSamples_.size() < size_t(frames) * 2) audioSamples_.resize(size_t(frames) * 2);
      if (PullAudio(audioSamples_.data(), frames)) {
        std::fwrite(audioSamples_.data(), sizeof(int16_t), size_t(frames) * 2, audioOut_);
        audioFrames_ += frames;
      }
    }
  }
  auto shot = options_.shots.find(presentations_);
  if (shot != options_.shots.end()) {
    if (frameWidth_ == 0 || !WritePng(shot->second, LastFrame(), frameWidth_, frameHeight_))
      Log("shot failed " + shot->second);
    else
      Log("shot " + shot->second);
  }
  if (options_.loseSurfacesAt && presentations_ == options_.loseSurfacesAt) {
    surfacesLost_ = true;
    Log("surfaces lost");
  }
  if (presentationHook_) presentationHook_(scriptFrame_);
  ReleaseScripted();
  if (options_.frames && presentations_ == options_.frames) {
    Log("frame limit reached");
    queue_.push_back(Event{EventType::Close});
  }
}

void HeadlessHost::ShowCursor(bool shown) {
  if (shown != cursorShown_) Log(shown ? "cursor show" : "cursor hide");
  cursorShown_ = shown;
}

void HeadlessHost::SetCursorPos(int x, int y) {
  cursorX_ = x;
  cursorY_ = y;
  if (clipped_) {
    cursorX_ = std::clamp(cursorX_, clip_[0], std::max(clip_[0], clip_[2] - 1));
    cursorY_ = std::clamp(cursorY_, clip_[1], std::max(clip_[1], clip_[3] - 1));
  }
}

void HeadlessHost::GetCursorPos(int* x, int* y) {
  *x = cursorX_;
  *y = cursorY_;
}

void HeadlessHost::ClipCursor(const int* rect) {
  clipped_ = rect != nullptr;
  if (rect) {
    std::copy(rect, rect + 4, clip_);
    Log("cursor clip " + std::to_string(rect[0]) + " " + std::to_string(rect[1]) + " " + std::to_string(rect[2]) +
        " " + std::to_string(rect[3]));
    SetCursorPos(cursorX_, cursorY_);
  } else {
    Log("cursor free");
  }
}

int HeadlessHost::MessageBox(const std::string& caption, const std::string& text, unsigned style) {
  const unsigned buttons = style & 0xF;
  int result;
  const std::string& a = options_.answer;
  if (a == "yes") result = 6;
  else if (a == "no") result = 7;
  else if (a == "cancel") result = 2;
  else if (a == "ok") result = 1;
  else result = (buttons == 3 || buttons == 4) ? 6 : 1;  // the default button
  // An answer the box does not offer closes it the way Escape would.
  bool offered = buttons == 0 ? result == 1
                 : buttons == 1 ? (result == 1 || result == 2)
                 : buttons == 3 ? (result == 6 || result == 7 || result == 2)
                 : buttons == 4 ? (result == 6 || result == 7)
                 : true;
  if (!offered) result = buttons == 4 ? 7 : buttons == 0 ? 1 : 2;
  Log("messagebox caption=\"" + caption + "\" text=\"" + text + "\" style=" + Hex(style) + " answer=" +
      std::to_string(result));
  return result;
}

void HeadlessHost::Beep(unsigned type) { Log("beep " + Hex(type)); }

JoyReading HeadlessHost::Joystick(int id) {
  if (id < 0 || id > 1) return JoyReading{};
  return joys_[id];
}

void HeadlessHost::SetJoystick(int id, const JoyReading& reading) {
  if (id < 0 || id > 1) return;
  joys_[id] = reading;
}

bool HeadlessHost::OpenAudio(int* sampleRate, AudioCallback callback, void* user) {
  *sampleRate = sampleRate_;
  audio_ = callback;
  audioUser_ = user;
  return true;
}

bool HeadlessHost::PullAudio(int16_t* out, int frames) {
  if (!audio_) return false;
  audio_(out, frames, audioUser_);
  return true;
}

void HeadlessHost::Log(const std::string& line) {
  std::string entry = std::to_string(presentations_) + " " + line;
  log_.push_back(entry);
  if (!options_.logFile.empty()) {
    std::ofstream out(options_.logFile, std::ios::app);
    out << entry << "\n";
  }
}

bool HeadlessHost::ShouldFail(const char* function) {
  if (options_.failures.empty()) return false;  // asked every frame: no string to build
  auto it = options_.failures.find(function);
  if (it == options_.failures.end()) return false;
  int call = ++calls_[function];
  bool fail = it->second == 0 || it->second == call;
  if (fail) Log(std::string("fail ") + function);
  return fail;
}

// Kept apart from the PNG writers, which differ between the builds (host/web/png.cpp has no zlib).
void FrameToRgb(const uint16_t* pixels, int width, int height, int pitch, bool is555, std::vector<uint8_t>* rgb) {
  rgb->resize(size_t(width) * height * 3);
  uint8_t* out = rgb->data();
  for (int y = 0; y < height; ++y) {
    const uint16_t* row = reinterpret_cast<const uint16_t*>(reinterpret_cast<const uint8_t*>(pixels) + ptrdiff_t(y) * pitch);
    for (int x = 0; x < width; ++x) {
      const unsigned p = row[x];
      unsigned r, g, b;
      if (is555) {
        r = (p >> 10) & 31, g = (p >> 5) & 31, b = p & 31;
        g = (g << 3) | (g >> 2);
      } else {
        r = (p >> 11) & 31, g = (p >> 5) & 63, b = p & 31;
        g = (g << 2) | (g >> 4);
      }
      *out++ = uint8_t((r << 3) | (r >> 2));
      *out++ = uint8_t(g);
      *out++ = uint8_t((b << 3) | (b >> 2));
    }
  }
}

}  // namespace host
