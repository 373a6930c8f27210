// MessageBeep: a short tone through the one mixer, the pitch telling the kinds of beep apart.
#include <cmath>
#include <mutex>

#include "host/host.h"
#include "host/mixer.h"
#include "windows.h"

namespace {

constexpr double kPi = 3.14159265358979;
constexpr double kSeconds = 0.12;
constexpr double kRamp = 0.005;  // in and out, so the tone does not click
constexpr double kLevel = 8000;  // about -12 dB of full scale

class BeepTone : public platform::MixerSource {
 public:
  // Called with the mixer's lock held: a new beep starts the tone again.
  void Start(double hertz) {
    hertz_ = hertz;
    done_ = 0;
    playing_ = true;
  }
  void MixInto(int32_t* mix, int frames, int rate) override {
    if (!playing_) return;
    const long total = long(kSeconds * rate), ramp = long(kRamp * rate);
    for (int i = 0; i < frames && done_ < total; ++i, ++done_) {
      double envelope = std::fmin(1.0, std::fmin(double(done_) / ramp, double(total - done_) / ramp));
      int32_t v = int32_t(kLevel * envelope * std::sin(2 * kPi * hertz_ * double(done_) / rate));
      mix[2 * i] += v;
      mix[2 * i + 1] += v;
    }
    if (done_ >= total) playing_ = false;
  }

 private:
  double hertz_ = 0;
  long done_ = 0;
  bool playing_ = false;
};

double PitchOf(UINT type) {
  switch (type & MB_ICONMASK) {
    case MB_ICONHAND: return 440;
    case MB_ICONQUESTION: return 660;
    case MB_ICONEXCLAMATION: return 880;
    case MB_ICONASTERISK: return 1320;
    default: return 1000;  // the simple beep, and MB_OK
  }
}

}  // namespace

BOOL WINAPI MessageBeep(UINT type) {
  host::Current().Beep(type);
  static BeepTone tone;
  platform::Mixer& mixer = platform::Mixer::Instance();
  mixer.Add(&tone);
  std::lock_guard<std::mutex> hold(mixer.Lock());
  tone.Start(PitchOf(type));
  return TRUE;
}
