// The recording host: every answer that came from outside, appended to a buffer written out when full.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstring>

#include "format.h"
#include "record.h"

namespace host::record {

namespace {
// The mixer is kept this far ahead of the output device.
constexpr int kAudioAhead = 3072;
constexpr int kAudioChunk = 256;
}  // namespace

RecordingHost::RecordingHost(Host* inner, const std::string& path, const Header& header)
    : WrappingHost(inner), header_(header), path_(path) {
  header_.is555 = inner->DisplayIs555();
  header_.accelerator = inner->HasAccelerator();
  header_.audioPulled = inner->AudioPulled();
  header_.desktopBits = inner->DesktopBits();
  header_.desktopWidth = inner->DesktopWidth();
  header_.desktopHeight = inner->DesktopHeight();
  lastTick_ = header_.startTick;
  fd_ = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd_ < 0) {
    failed_ = true;
    std::fprintf(stderr, "radire: cannot record to %s: %s; the game goes on unrecorded\n", path.c_str(),
                 std::strerror(errno));
    return;
  }
  Put("radire-record %d\nversion %s\nseed %u\nstart %u\n", kFormat, header_.version.c_str(), header_.seed,
      header_.startTick);
  Put("host %d %d %d %d %d %d\n", header_.is555, header_.accelerator, header_.audioPulled, header_.desktopBits,
      header_.desktopWidth, header_.desktopHeight);
  if (header_.english) Put("language en\n");
  Put("zqt %s\n", HexText(header_.hasHighScore, header_.highScore).c_str());
  for (const auto& [name, sum] : header_.files) Put("file %s %s\n", name.c_str(), sum.c_str());
  Flush();
}

RecordingHost::~RecordingHost() {
  if (fd_ >= 0) close(fd_);
}

void RecordingHost::Put(const char* format, ...) {
  if (failed_) return;
  if (ticksOpen_ && !inTicks_) CloseTicks();  // the frame's readings go on in a line of their own
  if (used_ > kBuffer - 512) Flush();
  va_list args;
  va_start(args, format);
  int n = std::vsnprintf(buffer_ + used_, size_t(kBuffer - used_), format, args);
  va_end(args);
  if (n > 0) used_ += std::min(n, kBuffer - used_ - 1);
}

void RecordingHost::Flush() {
  const char* at = buffer_;
  while (!failed_ && at < buffer_ + used_) {
    ssize_t n = write(fd_, at, size_t(buffer_ + used_ - at));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      failed_ = true;
      std::fprintf(stderr, "radire: the record %s could not be written (%s); the game goes on unrecorded\n",
                   path_.c_str(), n < 0 ? std::strerror(errno) : "nothing written");
      break;
    }
    at += n;
  }
  used_ = 0;
}

void RecordingHost::CloseTicks() {
  if (!ticksOpen_) return;
  ticksOpen_ = false;
  Put("\n");
}

// Tick readings go out as one line a frame: the deltas, runs of one delta as D*N.
void RecordingHost::EndTicks() {
  if (runLength_ == 0) return;
  inTicks_ = true;
  if (!ticksOpen_) {
    Put("%d t", frame_);
    ticksOpen_ = true;
  }
  if (runLength_ == 1) Put(" %d", runDelta_);
  else Put(" %d*%d", runDelta_, runLength_);
  inTicks_ = false;
  runLength_ = 0;
}

uint32_t RecordingHost::Ticks() {
  uint32_t v = inner_->Ticks();
  int32_t delta = int32_t(v - lastTick_);
  lastTick_ = v;
  if (runLength_ && delta != runDelta_) EndTicks();
  runDelta_ = delta;
  ++runLength_;
  return v;
}

int64_t RecordingHost::WallClock() {
  int64_t v = inner_->WallClock();
  int index = walls_++;
  if (v != lastWall_) Put("%d:%d wall %lld\n", frame_, index, static_cast<long long>(v));
  lastWall_ = v;
  return v;
}

bool RecordingHost::PollEvent(Event* event) {
  int index = polls_++;
  if (!inner_->PollEvent(event)) return false;
  char words[96];
  WriteEvent(words, sizeof words, *event);
  Put("%d:%d %s\n", frame_, index, words);
  return true;
}

bool RecordingHost::WaitEvent() {
  bool r = inner_->WaitEvent();
  Put("%d:%d wait %d\n", frame_, waits_++, r ? 1 : -1);
  PumpAudio();
  return r;
}

int RecordingHost::WaitEventFor(int ms) {
  int r = inner_->WaitEventFor(ms);
  Put("%d:%d wait %d\n", frame_, waits_++, r);
  PumpAudio();
  return r;
}

void RecordingHost::Present(const uint16_t* pixels, int width, int height, int pitch, bool is555) {
  inner_->Present(pixels, width, height, pitch, is555);
  PumpAudio();
  EndTicks();
  CloseTicks();
  ++frame_;
  polls_ = pads_ = waits_ = boxes_ = walls_ = cursors_ = pumps_ = audios_ = fails_ = losses_ = 0;
  if (frame_ % kChecksumEvery == 0)
    Put("%d sum %016llx\n", frame_,
        static_cast<unsigned long long>(FrameChecksum(pixels, width, height, pitch, is555)));
}

bool RecordingHost::SurfacesLost() const {
  int index = losses_++;
  bool lost = inner_->SurfacesLost();
  if (lost) const_cast<RecordingHost*>(this)->Put("%d:%d lost\n", frame_, index);
  return lost;
}

void RecordingHost::GetCursorPos(int* x, int* y) {
  inner_->GetCursorPos(x, y);
  int index = cursors_++;
  if (*x != cursorX_ || *y != cursorY_) Put("%d:%d cursor %d %d\n", frame_, index, *x, *y);
  cursorX_ = *x;
  cursorY_ = *y;
}

int RecordingHost::MessageBox(const std::string& caption, const std::string& text, unsigned style) {
  int r = inner_->MessageBox(caption, text, style);
  Put("%d:%d answer %d\n", frame_, boxes_++, r);
  PumpAudio();
  return r;
}

JoyReading RecordingHost::Joystick(int id) {
  JoyReading r = inner_->Joystick(id);
  int index = pads_++;
  if (id < 0 || id >= kPads) return r;
  JoyReading& last = lastPad_[id];
  if (r.connected != last.connected || r.x != last.x || r.y != last.y || r.buttons != last.buttons ||
      r.buttonCount != last.buttonCount) {
    if (r.connected) Put("%d:%d joy %d %u %u %u %u\n", frame_, index, id, r.x, r.y, r.buttons, r.buttonCount);
    else Put("%d:%d joy %d unplug\n", frame_, index, id);
  }
  last = r;
  return r;
}

bool RecordingHost::ShouldFail(const char* function) {
  int index = fails_++;
  bool fail = inner_->ShouldFail(function);
  if (fail) Put("%d:%d fail %s\n", frame_, index, function);
  return fail;
}

bool RecordingHost::OpenAudio(int* sampleRate, AudioCallback callback, void* user) {
  bool open;
  if (header_.audioPulled) {
    open = inner_->OpenAudio(sampleRate, callback, user);
  } else {
    mixer_ = callback;
    mixerUser_ = user;
    open = inner_->OpenAudio(sampleRate, &RecordingHost::DeviceThunk, this);
    ownAudio_ = open;
  }
  Put("%d:%d audio-open %d %d\n", frame_, audios_++, open ? 1 : 0, *sampleRate);
  return open;
}

void RecordingHost::DeviceThunk(int16_t* out, int frames, void* self) {
  RecordingHost* r = static_cast<RecordingHost*>(self);
  r->ring_.Drain(out, frames);
  r->consumed_ += uint64_t(frames);
}

void RecordingHost::PumpAudio() {
  int index = pumps_++;
  if (!ownAudio_) return;
  int64_t want = int64_t(consumed_.load() + kAudioAhead) - int64_t(rendered_);
  want = std::min<int64_t>(want, ring_.Space());
  if (want < kAudioChunk) return;
  ring_.Fill(mixer_, mixerUser_, int(want));
  rendered_ += uint64_t(want);
  Put("%d:%d audio %d\n", frame_, index, int(want));
}

bool RecordingHost::Finish(const std::string& highScoreFile) {
  if (finished_) return !failed_;
  finished_ = true;
  EndTicks();
  CloseTicks();
  std::string bytes;
  bool present = ReadSmallFile(highScoreFile, &bytes);
  Put("end %d zqt %s\n", frame_, HexText(present, bytes).c_str());
  Flush();
  if (fd_ >= 0 && close(fd_) != 0 && !failed_) {
    failed_ = true;
    std::fprintf(stderr, "radire: the record %s could not be written (%s)\n", path_.c_str(), std::strerror(errno));
  }
  fd_ = -1;
  return !failed_;
}

}  // namespace host::record
