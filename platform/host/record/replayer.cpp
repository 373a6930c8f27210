// The replaying host: each call is answered from the record, in the order the recorded run made them.
#include <time.h>

#include <cstdio>

#include "record.h"

namespace host::record {

namespace {

int64_t NowMs() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return int64_t(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

// Held while watching, the replay runs as fast as it can.
constexpr int kFastForwardKey = 0x09;  // Tab
// A long pause in the recorded run (a message box, a stall) is not waited out in full.
constexpr int64_t kLongestWaitMs = 2000;

// What the replay asked for, by kind of answer.
const char* const kAsked[kKinds] = {
    "an input event",    "a pad reading",          "a wait for input", "a message box's answer",
    "the calendar time", "the cursor position",    "whether a call fails", "whether surfaces were lost",
    "the audio output",  "the mixer's next sound", "a checkpoint"};

std::string Place(int frame, int index) { return std::to_string(frame) + ":" + std::to_string(index); }

}  // namespace

ReplayingHost::ReplayingHost(Host* inner, const Record& record, Options options)
    : WrappingHost(inner), record_(record), options_(std::move(options)), lastTick_(record.header.startTick) {}

ReplayingHost::~ReplayingHost() = default;

void ReplayingHost::Diverged(int frame, const std::string& what) const {
  options_.diverged(frame, what);
  std::abort();  // `diverged` does not return
}

std::string ReplayingHost::Holds(Kind kind) const {
  const auto& list = record_.answers[kind];
  if (next_[kind] >= list.size()) return "the record holds no more of them";
  const Answer& a = list[next_[kind]];
  return "the record holds \"" + (kind == kSum ? std::to_string(a.frame) : Place(a.frame, a.index)) + " " +
         AnswerText(kind, a) + "\"";
}

const Answer* ReplayingHost::Take(Kind kind, int index) const {
  const auto& list = record_.answers[kind];
  size_t& next = next_[kind];
  if (next >= list.size()) return nullptr;
  const Answer& a = list[next];
  if (a.frame < frame_ || (a.frame == frame_ && a.index < index))  // a call went missing
    Diverged(frame_ + 1, Holds(kind) + ", the replay asked for " + kAsked[kind] + " at " + Place(frame_, index));
  if (a.frame != frame_ || a.index != index) return nullptr;
  ++next;
  return &a;
}

const Answer& ReplayingHost::Need(Kind kind, int index) {
  const Answer* a = Take(kind, index);
  if (!a) Diverged(frame_ + 1, Holds(kind) + ", the replay asked for " + kAsked[kind] + " at " + Place(frame_, index));
  return *a;
}

uint32_t ReplayingHost::Ticks() {
  const auto& runs = record_.ticks;
  if (tickRun_ < runs.size() && runs[tickRun_].frame == frame_ && tickNext_ < runs[tickRun_].end)
    return lastTick_ = record_.values[tickNext_++];
  size_t taken = tickRun_ < runs.size() && runs[tickRun_].frame == frame_ ? runs[tickRun_].end - runs[tickRun_].begin : 0;
  Diverged(frame_ + 1, "the record holds " + std::to_string(taken) + " tick readings in frame " +
                           std::to_string(frame_) + ", the replay asked for one more");
}

bool ReplayingHost::TicksLeft() const {
  const auto& runs = record_.ticks;
  return tickRun_ < runs.size() && runs[tickRun_].frame <= frame_ && tickNext_ < runs[tickRun_].end;
}

int64_t ReplayingHost::WallClock() {
  if (const Answer* a = Take(kWall, calls_[kWall]++)) wall_ = a->value;
  return wall_;
}

bool ReplayingHost::PollEvent(Event* event) {
  const Answer* a = Take(kPoll, calls_[kPoll]++);
  if (!a) return false;
  *event = a->event;
  return true;
}

bool ReplayingHost::WaitEvent() { return WaitEventFor(-1) > 0; }

int ReplayingHost::WaitEventFor(int) {
  const Answer& a = Need(kWait, calls_[kWait]++);
  PumpAudio();
  return int(a.value);
}

bool ReplayingHost::SurfacesLost() const { return Take(kLost, calls_[kLost]++) != nullptr; }

void ReplayingHost::GetCursorPos(int* x, int* y) {
  if (const Answer* a = Take(kCursor, calls_[kCursor]++)) cursorX_ = a->x, cursorY_ = a->y;
  *x = cursorX_;
  *y = cursorY_;
}

int ReplayingHost::MessageBox(const std::string& caption, const std::string& text, unsigned) {
  const Answer& a = Need(kBox, calls_[kBox]++);
  inner_->Log("replayed messagebox caption=\"" + caption + "\" text=\"" + text + "\" answer=" +
              std::to_string(a.value));
  PumpAudio();
  return int(a.value);
}

JoyReading ReplayingHost::Joystick(int id) {
  int index = calls_[kPad]++;
  const Answer* a = Take(kPad, index);
  if (id < 0 || id >= 16) return JoyReading{};
  if (a) {
    if (a->id != id)
      Diverged(frame_ + 1, "the record holds \"" + Place(a->frame, a->index) + " " + AnswerText(kPad, *a) +
                               "\", the replay read pad " + std::to_string(id));
    pads_[id] = a->pad;
  }
  return pads_[id];
}

bool ReplayingHost::ShouldFail(const char* function) {
  const Answer* a = Take(kFail, calls_[kFail]++);
  if (a && a->name != function)
    Diverged(frame_ + 1, "the record holds \"" + Place(a->frame, a->index) + " " + AnswerText(kFail, *a) +
                             "\", the replay asked whether " + function + " fails");
  return a != nullptr;
}

bool ReplayingHost::OpenAudio(int* sampleRate, AudioCallback callback, void* user) {
  const Answer* a = &Need(kAudioOpen, calls_[kAudioOpen]++);
  *sampleRate = a->x;
  mixer_ = callback;
  mixerUser_ = user;
  // Watching, the sound comes out of the device; it plays at the recorded rate whatever the device's.
  if (a->value && options_.paced && !record_.header.audioPulled) {
    int rate = a->x;
    deviceOpen_ = inner_->OpenAudio(&rate, &ReplayingHost::DeviceThunk, this);
  }
  return a->value != 0;
}

void ReplayingHost::DeviceThunk(int16_t* out, int frames, void* self) {
  static_cast<ReplayingHost*>(self)->ring_.Drain(out, frames);
}

void ReplayingHost::PumpAudio() {
  const Answer* a = Take(kAudio, calls_[kAudio]++);
  if (!a || !mixer_) return;
  int frames = int(a->value);
  int kept = deviceOpen_ ? std::min(frames, ring_.Space()) : 0;
  if (kept > 0) ring_.Fill(mixer_, mixerUser_, kept);
  // What the device has no room for (fast forward) is rendered all the same: songs end where they did.
  for (frames -= kept; frames > 0;) {
    int n = std::min(frames, 1024);
    mixer_(scratch_, n, mixerUser_);
    frames -= n;
  }
}

void ReplayingHost::Present(const uint16_t* pixels, int width, int height, int pitch, bool is555) {
  inner_->Present(pixels, width, height, pitch, is555);
  PumpAudio();
  // Every answer of this frame must have been asked for.
  for (int k = 0; k < kKinds; ++k) {
    const auto& list = record_.answers[k];
    if (k != kSum && next_[k] < list.size() && list[next_[k]].frame <= frame_)
      Diverged(frame_ + 1, Holds(Kind(k)) + ", the replay presented frame " + std::to_string(frame_ + 1) +
                               " without asking for " + kAsked[k]);
  }
  if (TicksLeft())
    Diverged(frame_ + 1, "the record holds " + std::to_string(record_.ticks[tickRun_].end - tickNext_) +
                             " more tick readings in frame " + std::to_string(frame_) + ", the replay presented frame " +
                             std::to_string(frame_ + 1) + " without them");
  if (tickRun_ < record_.ticks.size() && record_.ticks[tickRun_].frame == frame_ && ++tickRun_ < record_.ticks.size())
    tickNext_ = record_.ticks[tickRun_].begin;
  ++frame_;
  for (int& c : calls_) c = 0;
  if (frame_ > record_.endFrame)
    Diverged(frame_, "the record ends at frame " + std::to_string(record_.endFrame) + ", the replay went on");
  if (const Answer* sum = Take(kSum, 0)) {
    ++checkpoints_;
    uint64_t replayed = FrameChecksum(pixels, width, height, pitch, is555);
    if (uint64_t(sum->value) != replayed) {
      char what[96];
      std::snprintf(what, sizeof what, "checkpoint sum %016llx recorded, %016llx replayed",
                    static_cast<unsigned long long>(sum->value), static_cast<unsigned long long>(replayed));
      Diverged(frame_, what);
    }
  }
  if (options_.paced) Pace();
}

void ReplayingHost::Pace() {
  // The watcher's keys: Tab held runs fast, Escape or closing the window stops; a pause (the window's
  // host tells it as a loss of focus) holds the replay until it goes on.
  for (bool held = false;;) {
    Event e{EventType::Close};
    while (inner_->PollEvent(&e)) {
      if (e.type == EventType::Close || (e.type == EventType::KeyDown && e.code == 0x1B)) options_.stopped(frame_);
      if ((e.type == EventType::KeyDown || e.type == EventType::KeyUp) && e.code == kFastForwardKey) {
        fast_ = e.type == EventType::KeyDown;
        anchored_ = false;
      }
      if (e.type == EventType::Activate) held = e.code == 0;
    }
    if (!held) break;
    anchored_ = false;
    if (!inner_->WaitEvent()) break;
  }
  if (fast_) return;
  int64_t now = NowMs();
  if (!anchored_) {
    anchored_ = true;
    anchorTick_ = lastTick_;
    anchorNow_ = now;
    return;
  }
  int64_t due = anchorNow_ + int64_t(int32_t(lastTick_ - anchorTick_));
  if (due - now > kLongestWaitMs || due < now - kLongestWaitMs) {
    anchorTick_ = lastTick_;  // too far off to catch up or wait for: start the pace afresh
    anchorNow_ = now;
    return;
  }
  if (due > now) {
    timespec wait{time_t((due - now) / 1000), long((due - now) % 1000) * 1000000};
    while (nanosleep(&wait, &wait) != 0) {
    }
  }
}

void ReplayingHost::Finish() {
  if (frame_ != record_.endFrame)
    Diverged(frame_, "the replay ended after frame " + std::to_string(frame_) + ", the record at frame " +
                         std::to_string(record_.endFrame));
  if (TicksLeft())
    Diverged(frame_, "the record holds " + std::to_string(record_.ticks[tickRun_].end - tickNext_) +
                         " more tick readings, the replay ended without them");
  for (int k = 0; k < kKinds; ++k)
    if (next_[k] < record_.answers[k].size())
      Diverged(frame_, Holds(Kind(k)) + ", the replay ended without asking for " + kAsked[k]);
}

}  // namespace host::record
