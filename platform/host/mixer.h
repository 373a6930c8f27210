// The one software mixer behind the host's audio output. DirectSound buffers and the MIDI sequencer are its
// sources; the output is opened the first time a source joins. Sources are called on the audio thread with
// the mixer's lock held, and every change to a source's state from the main thread takes the same lock.
#pragma once
#include <cstdint>
#include <mutex>
#include <vector>

namespace host {
class Host;
}

namespace platform {

class MixerSource {
 public:
  virtual ~MixerSource() = default;
  // Adds `frames` stereo frames at `rate` Hz into `mix` (interleaved left, right).
  virtual void MixInto(int32_t* mix, int frames, int rate) = 0;
};

class Mixer {
 public:
  static Mixer& Instance();

  // Opens the output if it is not open yet; false when there is none (sources then run silently).
  bool Open();
  int Rate() const { return rate_; }
  bool HasDevice() const { return device_; }

  void Add(MixerSource* source);
  void Remove(MixerSource* source);
  std::mutex& Lock() { return lock_; }

  // Without an output nothing pulls the sources, so time moves them on here, from the main thread.
  void Service();
  // Renders `frames` frames into `out`; what the output device's callback does.
  void Render(int16_t* out, int frames);

 private:
  static void Callback(int16_t* out, int frames, void* self);

  std::mutex lock_;
  std::vector<MixerSource*> sources_;
  std::vector<int32_t> mix_;
  unsigned generation_ = 0;
  bool opened_ = false;
  bool device_ = false;
  int rate_ = 44100;
  uint32_t lastService_ = 0;
};

// The music's volume in percent of the synthesizer's own level (100); the wave sounds keep theirs.
void SetMusicVolume(int percent);

}  // namespace platform
