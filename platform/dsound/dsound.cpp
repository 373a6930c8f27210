// DirectSound: buffers of PCM samples mixed in software, with volume in hundredths of a decibel of
// attenuation, pan as the attenuation of the other channel, and resampling to the buffer's frequency.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "../host/host.h"
#include "../host/mixer.h"
#include "windows.h"
#include "dsound.h"

namespace {

bool Fails(const char* function) { return host::Current().ShouldFail(function); }

// Attenuation in hundredths of a decibel as an amplitude factor; the full 100 dB is silence.
float Gain(LONG attenuation) {
  if (attenuation >= 10000) return 0.0f;
  if (attenuation <= 0) return 1.0f;
  return float(std::pow(10.0, -attenuation / 2000.0));
}

class DirectSound;

class SoundBuffer final : public IDirectSoundBuffer, public platform::MixerSource {
 public:
  SoundBuffer(DirectSound* owner, DWORD flags) : owner_(owner), flags_(flags) {}

  bool primary() const { return flags_ & DSBCAPS_PRIMARYBUFFER; }

  HRESULT Init(const WAVEFORMATEX& format, DWORD bytes) {
    format_ = format;
    format_.cbSize = 0;
    try {
      data_.assign(bytes, format.wBitsPerSample == 8 ? 0x80 : 0);
    } catch (const std::bad_alloc&) {
      return DSERR_OUTOFMEMORY;
    }
    frames_ = bytes / format.nBlockAlign;
    frequency_ = format.nSamplesPerSec;
    UpdateGains();
    platform::Mixer::Instance().Add(this);
    return DS_OK;
  }

  // The sound object went away: the buffer falls silent but stays a valid object until released.
  void Orphan() {
    std::lock_guard<std::mutex> hold(platform::Mixer::Instance().Lock());
    owner_ = nullptr;
    playing_ = false;
  }

  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override;

  HRESULT GetFormat(LPWAVEFORMATEX format, DWORD sizeAllocated, LPDWORD sizeWritten) override {
    if (!format && !sizeWritten) return DSERR_INVALIDPARAM;
    DWORD size = sizeof(WAVEFORMATEX);
    if (format) {
      if (sizeAllocated < size) return DSERR_INVALIDPARAM;
      *format = format_;
    }
    if (sizeWritten) *sizeWritten = size;
    return DS_OK;
  }

  HRESULT GetCurrentPosition(LPDWORD playCursor, LPDWORD writeCursor) override {
    if (primary()) {
      if (playCursor) *playCursor = 0;
      if (writeCursor) *writeCursor = 0;
      return DS_OK;
    }
    std::lock_guard<std::mutex> hold(platform::Mixer::Instance().Lock());
    DWORD play = DWORD(frame_) * format_.nBlockAlign;
    if (playCursor) *playCursor = play;
    if (writeCursor) *writeCursor = playing_ ? (play + format_.nBlockAlign) % Bytes() : play;
    return DS_OK;
  }

  HRESULT GetStatus(LPDWORD status) override {
    if (!status) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> hold(platform::Mixer::Instance().Lock());
    *status = (playing_ ? DSBSTATUS_PLAYING : 0) | (playing_ && looping_ ? DSBSTATUS_LOOPING : 0);
    return DS_OK;
  }

  HRESULT GetVolume(LPLONG volume) override {
    if (!volume) return DSERR_INVALIDPARAM;
    if (!(flags_ & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
    *volume = volume_;
    return DS_OK;
  }

  HRESULT GetPan(LPLONG pan) override {
    if (!pan) return DSERR_INVALIDPARAM;
    if (!(flags_ & DSBCAPS_CTRLPAN)) return DSERR_CONTROLUNAVAIL;
    *pan = pan_;
    return DS_OK;
  }

  HRESULT GetFrequency(LPDWORD frequency) override {
    if (!frequency) return DSERR_INVALIDPARAM;
    if (primary() || !(flags_ & DSBCAPS_CTRLFREQUENCY)) return DSERR_CONTROLUNAVAIL;
    *frequency = frequency_;
    return DS_OK;
  }

  HRESULT Lock(DWORD offset, DWORD bytes, LPVOID* part1, LPDWORD bytes1, LPVOID* part2, LPDWORD bytes2,
               DWORD flags) override;

  HRESULT Play(DWORD, DWORD, DWORD flags) override {
    if (!owner_) return DSERR_INVALIDCALL;
    if (primary()) return (flags & DSBPLAY_LOOPING) ? DS_OK : DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> hold(platform::Mixer::Instance().Lock());
    playing_ = true;
    looping_ = flags & DSBPLAY_LOOPING;
    return DS_OK;
  }

  HRESULT SetCurrentPosition(DWORD position) override {
    if (primary()) return DSERR_INVALIDCALL;
    if (position >= Bytes()) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> hold(platform::Mixer::Instance().Lock());
    frame_ = position / format_.nBlockAlign;
    fraction_ = 0;
    return DS_OK;
  }

  HRESULT SetFormat(const WAVEFORMATEX*) override { return primary() ? DSERR_PRIOLEVELNEEDED : DSERR_INVALIDCALL; }

  HRESULT SetVolume(LONG volume) override {
    if (!(flags_ & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
    if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> hold(platform::Mixer::Instance().Lock());
    volume_ = volume;
    UpdateGains();
    return DS_OK;
  }

  HRESULT SetPan(LONG pan) override {
    if (!(flags_ & DSBCAPS_CTRLPAN)) return DSERR_CONTROLUNAVAIL;
    if (pan < DSBPAN_LEFT || pan > DSBPAN_RIGHT) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> hold(platform::Mixer::Instance().Lock());
    pan_ = pan;
    UpdateGains();
    return DS_OK;
  }

  HRESULT SetFrequency(DWORD frequency) override {
    if (primary() || !(flags_ & DSBCAPS_CTRLFREQUENCY)) return DSERR_CONTROLUNAVAIL;
    if (frequency == DSBFREQUENCY_ORIGINAL) frequency = format_.nSamplesPerSec;
    if (frequency < DSBFREQUENCY_MIN || frequency > DSBFREQUENCY_MAX) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> hold(platform::Mixer::Instance().Lock());
    frequency_ = frequency;
    return DS_OK;
  }

  HRESULT Stop() override {
    if (primary()) return DS_OK;
    std::lock_guard<std::mutex> hold(platform::Mixer::Instance().Lock());
    playing_ = false;
    return DS_OK;
  }

  HRESULT Unlock(LPVOID part1, DWORD bytes1, LPVOID part2, DWORD bytes2) override {
    if (primary()) return DSERR_INVALIDCALL;
    uint8_t* begin = data_.data();
    uint8_t* end = begin + data_.size();
    auto inside = [&](LPVOID p, DWORD n) {
      uint8_t* b = static_cast<uint8_t*>(p);
      return !p ? n == 0 : (b >= begin && b <= end && n <= DWORD(end - b));
    };
    if (!part1 || !inside(part1, bytes1) || !inside(part2, bytes2)) return DSERR_INVALIDPARAM;
    return DS_OK;
  }

  HRESULT Restore() override { return DS_OK; }

  // Called with the mixer's lock held.
  void MixInto(int32_t* mix, int frames, int rate) override;

 private:
  DWORD Bytes() const { return DWORD(data_.size()); }

  void UpdateGains() {
    float v = Gain(-volume_);
    gainLeft_ = v * Gain(pan_ > 0 ? pan_ : 0);
    gainRight_ = v * Gain(pan_ < 0 ? -pan_ : 0);
  }

  // Sample `channel` of frame `f` as a 16-bit value.
  int Sample(DWORD f, int channel) const {
    if (format_.nChannels == 1) channel = 0;
    size_t at = size_t(f) * format_.nBlockAlign;
    if (format_.wBitsPerSample == 8) return (int(data_[at + channel]) - 128) << 8;
    return int16_t(uint16_t(data_[at + channel * 2] | (data_[at + channel * 2 + 1] << 8)));
  }

  DirectSound* owner_;
  DWORD flags_;
  ULONG refs_ = 1;
  WAVEFORMATEX format_{};
  std::vector<uint8_t> data_;
  DWORD frames_ = 0;
  LONG volume_ = 0;
  LONG pan_ = 0;
  DWORD frequency_ = 0;
  float gainLeft_ = 1.0f, gainRight_ = 1.0f;
  // Touched by the audio thread under the mixer's lock.
  bool playing_ = false;
  bool looping_ = false;
  DWORD frame_ = 0;
  uint32_t fraction_ = 0;  // the position between frame_ and the next, in 1/2^32
};

class DirectSound final : public IDirectSound {
 public:
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    if (--refs_ > 0) return refs_;
    for (SoundBuffer* b : buffers_) b->Orphan();
    delete this;
    return 0;
  }

  HRESULT CreateSoundBuffer(LPCDSBUFFERDESC description, LPLPDIRECTSOUNDBUFFER buffer, IUnknown* outer) override;

  HRESULT SetCooperativeLevel(HWND window, DWORD level) override {
    if (!window || level < DSSCL_NORMAL || level > DSSCL_WRITEPRIMARY) return DSERR_INVALIDPARAM;
    level_ = level;
    return DS_OK;
  }

  void Forget(SoundBuffer* b) {
    buffers_.erase(std::remove(buffers_.begin(), buffers_.end(), b), buffers_.end());
    if (b == primary_) primary_ = nullptr;
  }

 private:
  ~DirectSound() = default;

  ULONG refs_ = 1;
  DWORD level_ = 0;
  std::vector<SoundBuffer*> buffers_;
  SoundBuffer* primary_ = nullptr;
};

ULONG SoundBuffer::Release() {
  if (--refs_ > 0) return refs_;
  platform::Mixer::Instance().Remove(this);
  if (owner_) owner_->Forget(this);
  delete this;
  return 0;
}

HRESULT SoundBuffer::Lock(DWORD offset, DWORD bytes, LPVOID* part1, LPDWORD bytes1, LPVOID* part2, LPDWORD bytes2,
                          DWORD flags) {
  if (primary()) return DSERR_PRIOLEVELNEEDED;
  if (!part1 || !bytes1 || Fails("IDirectSoundBuffer::Lock")) return DSERR_INVALIDPARAM;
  if (flags & DSBLOCK_FROMWRITECURSOR) GetCurrentPosition(nullptr, &offset);
  if (flags & DSBLOCK_ENTIREBUFFER) bytes = Bytes();
  if (offset >= Bytes() || bytes == 0 || bytes > Bytes()) return DSERR_INVALIDPARAM;
  DWORD first = std::min(bytes, Bytes() - offset);
  DWORD second = bytes - first;
  if (second && (!part2 || !bytes2)) return DSERR_INVALIDPARAM;
  *part1 = data_.data() + offset;
  *bytes1 = first;
  if (part2) *part2 = second ? data_.data() : nullptr;
  if (bytes2) *bytes2 = second;
  return DS_OK;
}

void SoundBuffer::MixInto(int32_t* mix, int frames, int rate) {
  if (!playing_ || frames_ == 0 || rate <= 0) return;
  const uint64_t step = (uint64_t(frequency_) << 32) / uint64_t(rate);
  const bool stereo = format_.nChannels == 2;
  for (int i = 0; i < frames; ++i) {
    DWORD next = frame_ + 1;
    if (next >= frames_) next = looping_ ? 0 : frame_;
    float t = float(fraction_) * (1.0f / 4294967296.0f);
    int l0 = Sample(frame_, 0), l1 = Sample(next, 0);
    float left = float(l0) + float(l1 - l0) * t;
    float right = left;
    if (stereo) {
      int r0 = Sample(frame_, 1), r1 = Sample(next, 1);
      right = float(r0) + float(r1 - r0) * t;
    }
    mix[i * 2] += int32_t(std::lround(left * gainLeft_));
    mix[i * 2 + 1] += int32_t(std::lround(right * gainRight_));
    uint64_t position = (uint64_t(frame_) << 32 | fraction_) + step;
    fraction_ = uint32_t(position);
    uint64_t whole = position >> 32;
    if (whole >= frames_) {
      if (!looping_) {
        // A sound played once stops at its end with the cursor back at the start.
        playing_ = false;
        frame_ = 0;
        fraction_ = 0;
        return;
      }
      whole %= frames_;
    }
    frame_ = DWORD(whole);
  }
}

bool ValidFormat(const WAVEFORMATEX* f) {
  if (!f || f->wFormatTag != WAVE_FORMAT_PCM) return false;
  if (f->nChannels != 1 && f->nChannels != 2) return false;
  if (f->wBitsPerSample != 8 && f->wBitsPerSample != 16) return false;
  if (f->nBlockAlign != f->nChannels * f->wBitsPerSample / 8) return false;
  return f->nSamplesPerSec >= DSBFREQUENCY_MIN && f->nSamplesPerSec <= DSBFREQUENCY_MAX;
}

HRESULT DirectSound::CreateSoundBuffer(LPCDSBUFFERDESC d, LPLPDIRECTSOUNDBUFFER buffer, IUnknown* outer) {
  if (!d || !buffer || outer) return DSERR_INVALIDPARAM;
  *buffer = nullptr;
  if (d->dwSize != sizeof(DSBUFFERDESC1) && d->dwSize != sizeof(DSBUFFERDESC1) + sizeof(GUID))
    return DSERR_INVALIDPARAM;
  if (!level_) return DSERR_PRIOLEVELNEEDED;
  if (Fails("IDirectSound::CreateSoundBuffer")) return DSERR_OUTOFMEMORY;
  if (d->dwFlags & DSBCAPS_PRIMARYBUFFER) {
    if (d->dwBufferBytes != 0 || d->lpwfxFormat) return DSERR_INVALIDPARAM;
    // There is one primary buffer; asking again hands out the same one.
    if (primary_) {
      primary_->AddRef();
    } else {
      primary_ = new SoundBuffer(this, d->dwFlags);
      buffers_.push_back(primary_);
    }
    *buffer = primary_;
    return DS_OK;
  }
  if (d->dwBufferBytes < DSBSIZE_MIN || d->dwBufferBytes > DSBSIZE_MAX) return DSERR_INVALIDPARAM;
  if (!d->lpwfxFormat) return DSERR_INVALIDPARAM;
  if (!ValidFormat(d->lpwfxFormat)) return DSERR_BADFORMAT;
  SoundBuffer* b = new (std::nothrow) SoundBuffer(this, d->dwFlags);
  if (!b) return DSERR_OUTOFMEMORY;
  HRESULT r = b->Init(*d->lpwfxFormat, d->dwBufferBytes);
  if (FAILED(r)) {
    delete b;
    return r;
  }
  buffers_.push_back(b);
  *buffer = b;
  return DS_OK;
}

}  // namespace

extern "C" HRESULT WINAPI DirectSoundCreate(LPCGUID device, LPDIRECTSOUND* ds, IUnknown* outer) {
  if (!ds || outer) return DSERR_INVALIDPARAM;
  *ds = nullptr;
  if (device) return DSERR_NODRIVER;  // only the default device exists
  if (Fails("DirectSoundCreate") || !platform::Mixer::Instance().Open()) return DSERR_NODRIVER;
  *ds = new DirectSound;
  return DS_OK;
}
