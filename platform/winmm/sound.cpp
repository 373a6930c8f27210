// WINMM: sndPlaySoundA, a wave file played through the same mixer as DirectSound.
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "../host/host.h"
#include "../host/mixer.h"
#include "../kernel/codepage.h"
#include "windows.h"
#include "dsound.h"

namespace {

struct Playback {
  LPDIRECTSOUND ds = nullptr;
  LPDIRECTSOUNDBUFFER buffer = nullptr;
  void Stop() {
    if (buffer) buffer->Release();
    if (ds) ds->Release();
    buffer = nullptr;
    ds = nullptr;
  }
};

Playback current;
int ownerTag;  // stands in for a window: the sound belongs to no window of the program

DWORD Le32(const char* p) {
  return DWORD(uint8_t(p[0])) | DWORD(uint8_t(p[1])) << 8 | DWORD(uint8_t(p[2])) << 16 | DWORD(uint8_t(p[3])) << 24;
}

// Reads a PCM wave file into a new buffer of `ds`; false for anything that is not one.
bool LoadWave(const char* name, LPDIRECTSOUND ds, LPDIRECTSOUNDBUFFER* out, DWORD* bytes, DWORD* rate) {
  HMMIO h = mmioOpenA(const_cast<LPSTR>(name), nullptr, MMIO_ALLOCBUF | MMIO_READ);
  if (!h) return false;
  bool ok = false;
  LONG fileSize = mmioSeek(h, 0, SEEK_END);
  mmioSeek(h, 0, SEEK_SET);
  MMCKINFO riff{}, fmt{}, data{};
  WAVEFORMATEX format{};
  char raw[16];
  if (mmioDescend(h, &riff, nullptr, 0) == 0 && riff.ckid == FOURCC_RIFF && riff.fccType == mmioFOURCC('W', 'A', 'V', 'E') &&
      riff.dwDataOffset + riff.cksize <= DWORD(fileSize)) {
    fmt.ckid = mmioFOURCC('f', 'm', 't', ' ');
    if (mmioDescend(h, &fmt, &riff, MMIO_FINDCHUNK) == 0 && fmt.cksize >= 16 && mmioRead(h, raw, 16) == 16) {
      format.wFormatTag = WORD(uint8_t(raw[0]) | uint8_t(raw[1]) << 8);
      format.nChannels = WORD(uint8_t(raw[2]) | uint8_t(raw[3]) << 8);
      format.nSamplesPerSec = Le32(raw + 4);
      format.nAvgBytesPerSec = Le32(raw + 8);
      format.nBlockAlign = WORD(uint8_t(raw[12]) | uint8_t(raw[13]) << 8);
      format.wBitsPerSample = WORD(uint8_t(raw[14]) | uint8_t(raw[15]) << 8);
      mmioAscend(h, &fmt, 0);
      data.ckid = mmioFOURCC('d', 'a', 't', 'a');
      mmioSeek(h, LONG(riff.dwDataOffset + 4), SEEK_SET);
      if (mmioDescend(h, &data, &riff, MMIO_FINDCHUNK) == 0 && data.cksize > 0 &&
          data.dwDataOffset + data.cksize <= riff.dwDataOffset + riff.cksize) {
        DSBUFFERDESC1 d{sizeof(DSBUFFERDESC1), DSBCAPS_STATIC, data.cksize, 0, &format};
        if (SUCCEEDED(ds->CreateSoundBuffer(reinterpret_cast<LPCDSBUFFERDESC>(&d), out, nullptr))) {
          void *p1, *p2;
          DWORD n1, n2;
          if (SUCCEEDED((*out)->Lock(0, data.cksize, &p1, &n1, &p2, &n2, 0))) {
            ok = mmioRead(h, static_cast<char*>(p1), LONG(n1)) == LONG(n1);
            (*out)->Unlock(p1, n1, p2, n2);
          }
          if (!ok) {
            (*out)->Release();
            *out = nullptr;
          }
          *bytes = data.cksize;
          *rate = format.nAvgBytesPerSec ? format.nAvgBytesPerSec : 1;
        }
      }
    }
  }
  mmioClose(h, 0);
  return ok;
}

}  // namespace

extern "C" BOOL WINAPI sndPlaySoundA(LPCSTR sound, UINT flags) {
  auto log = [&](BOOL result) {
    char line[64];
    std::snprintf(line, sizeof line, " flags=0x%x -> %d", flags, result);
    host::Current().Log("sndPlaySound \"" + (sound ? platform::Cp932ToUtf8(sound) : std::string("(null)")) + "\"" +
                        line);
    return result;
  };
  if ((flags & SND_NOSTOP) && current.buffer) {
    DWORD status = 0;
    current.buffer->GetStatus(&status);
    if (status & DSBSTATUS_PLAYING) return log(FALSE);
  }
  current.Stop();
  if (!sound) return log(TRUE);
  if (flags & SND_MEMORY) return log(FALSE);
  if (FAILED(DirectSoundCreate(nullptr, &current.ds, nullptr))) return log(FALSE);
  current.ds->SetCooperativeLevel(reinterpret_cast<HWND>(&ownerTag), DSSCL_NORMAL);
  DWORD bytes = 0, bytesPerSecond = 1;
  if (!LoadWave(sound, current.ds, &current.buffer, &bytes, &bytesPerSecond)) {
    current.Stop();
    return log(FALSE);
  }
  bool loop = (flags & SND_LOOP) && (flags & SND_ASYNC);
  current.buffer->Play(0, 0, loop ? DSBPLAY_LOOPING : 0);
  if (flags & SND_ASYNC) return log(TRUE);

  // Synchronous: wait for the end, but never longer than the sound lasts plus a margin.
  platform::Mixer& mixer = platform::Mixer::Instance();
  uint64_t lengthMs = uint64_t(bytes) * 1000 / bytesPerSecond;
  if (host::Current().AudioPulled()) {
    // Nothing else moves the output on: the wait renders it.
    static int16_t scratch[2 * 512];
    uint64_t frames = (lengthMs + 100) * uint64_t(mixer.Rate()) / 1000;
    for (uint64_t done = 0; done < frames; done += 512) {
      DWORD status = 0;
      current.buffer->GetStatus(&status);
      if (!(status & DSBSTATUS_PLAYING)) break;
      mixer.Render(scratch, 512);
    }
  } else {
    DWORD start = host::Current().Ticks();
    for (;;) {
      DWORD status = 0;
      current.buffer->GetStatus(&status);
      if (!(status & DSBSTATUS_PLAYING) || host::Current().Ticks() - start > lengthMs + 500) break;
      mixer.Service();
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
  current.Stop();
  return log(TRUE);
}
