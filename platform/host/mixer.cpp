#include "mixer.h"

#include <algorithm>
#include <cstring>

#include "host.h"

namespace platform {

Mixer& Mixer::Instance() {
  static Mixer mixer;
  return mixer;
}

bool Mixer::Open() {
  // Tests install one host after another; each gets the output anew.
  if (opened_ && generation_ != host::Generation()) opened_ = false;
  if (!opened_) {
    opened_ = true;
    generation_ = host::Generation();
    int rate = 44100;
    device_ = host::Current().OpenAudio(&rate, &Mixer::Callback, this);
    if (device_ && rate > 0) rate_ = rate;
    lastService_ = host::Current().Ticks();
  }
  return device_;
}

void Mixer::Add(MixerSource* source) {
  Open();
  std::lock_guard<std::mutex> hold(lock_);
  if (std::find(sources_.begin(), sources_.end(), source) == sources_.end()) sources_.push_back(source);
}

void Mixer::Remove(MixerSource* source) {
  std::lock_guard<std::mutex> hold(lock_);
  sources_.erase(std::remove(sources_.begin(), sources_.end(), source), sources_.end());
}

void Mixer::Callback(int16_t* out, int frames, void* self) { static_cast<Mixer*>(self)->Render(out, frames); }

void Mixer::Render(int16_t* out, int frames) {
  if (frames <= 0) return;
  std::lock_guard<std::mutex> hold(lock_);
  if (mix_.size() < size_t(frames) * 2) mix_.resize(size_t(frames) * 2);
  std::fill(mix_.begin(), mix_.begin() + size_t(frames) * 2, 0);
  for (MixerSource* s : sources_) s->MixInto(mix_.data(), frames, rate_);
  for (int i = 0; i < frames * 2; ++i) out[i] = int16_t(std::clamp<int32_t>(mix_[i], -32768, 32767));
}

void Mixer::Service() {
  if (!opened_ || device_ || generation_ != host::Generation()) return;
  uint32_t now = host::Current().Ticks();
  uint32_t elapsed = now - lastService_;
  if (elapsed < 10) return;
  lastService_ = now;
  // A long stall is not caught up: sounds simply end.
  elapsed = std::min<uint32_t>(elapsed, 2000);
  static int16_t scratch[2 * 1024];
  int frames = int(uint64_t(elapsed) * rate_ / 1000);
  while (frames > 0) {
    int n = std::min(frames, 1024);
    Render(scratch, n);
    frames -= n;
  }
}

}  // namespace platform
