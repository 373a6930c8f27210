// Wave sound objects: numbered sounds of one to ten identical DirectSound buffers, so a sound can overlap
// itself. The table remembers every buffer's volume, pan and frequency so that Restore can rebuild it all.
#include <cstdio>
#include <cstring>

#include "ox.h"

namespace oxSound {

SoundState soundState;
SoundObject soundObjects[SOUND_OBJECT_MAX];

namespace {

const char kLoad[] = "oxSound::LoadObject";

// The wave's blocks as ReadWaveFile hands them over.
struct WaveData {
  HGLOBAL formatBlock = nullptr;
  HGLOBAL dataBlock = nullptr;
  DWORD dataSize = 0;
};

void FreeBlock(HGLOBAL* block) {
  if (*block) {
    GlobalUnlock(*block);
    GlobalFree(*block);
    *block = nullptr;
  }
}

WORD Le16(const BYTE* p) { return WORD(p[0] | p[1] << 8); }

DWORD Le32(const BYTE* p) { return DWORD(p[0]) | DWORD(p[1]) << 8 | DWORD(p[2]) << 16 | DWORD(p[3]) << 24; }

// Reads a RIFF WAVE file; 0 on success. Every size the file states is checked against what holds it, so a
// lying or truncated file is refused before anything is allocated for it.
int ReadWaveFile(const char* path, WaveData* wave) {
  wave->dataSize = 0;
  HMMIO h = mmioOpenA(const_cast<LPSTR>(path), nullptr, MMIO_ALLOCBUF | MMIO_READ);
  if (!h) return 1;
  int failed = 1;
  MMCKINFO riff = {}, fmt = {}, data = {};
  BYTE pcm[16];
  WORD extra = 0;
  LONG fileSize = mmioSeek(h, 0, SEEK_END);
  if (fileSize < 12 || mmioSeek(h, 0, SEEK_SET) != 0) goto done;

  if (mmioDescend(h, &riff, nullptr, 0) != 0) goto done;
  if (riff.ckid != FOURCC_RIFF || riff.fccType != mmioFOURCC('W', 'A', 'V', 'E')) goto done;
  if (riff.cksize < 4 || riff.cksize > DWORD(fileSize) - riff.dwDataOffset) goto done;

  fmt.ckid = mmioFOURCC('f', 'm', 't', ' ');
  if (mmioDescend(h, &fmt, &riff, MMIO_FINDCHUNK) != 0) goto done;
  if (fmt.cksize < 16 || fmt.cksize > riff.dwDataOffset + riff.cksize - fmt.dwDataOffset) goto done;
  if (mmioRead(h, reinterpret_cast<HPSTR>(pcm), 16) != 16) goto done;
  if (Le16(pcm) != WAVE_FORMAT_PCM) {
    BYTE size[2];
    if (fmt.cksize < 18 || mmioRead(h, reinterpret_cast<HPSTR>(size), 2) != 2) goto done;
    extra = Le16(size);
    if (extra > fmt.cksize - 18) goto done;
  }
  wave->formatBlock = GlobalAlloc(GMEM_FIXED, sizeof(WAVEFORMATEX) + extra);
  if (!wave->formatBlock) goto done;
  {
    WAVEFORMATEX* f = static_cast<WAVEFORMATEX*>(GlobalLock(wave->formatBlock));
    f->wFormatTag = Le16(pcm);
    f->nChannels = Le16(pcm + 2);
    f->nSamplesPerSec = Le32(pcm + 4);
    f->nAvgBytesPerSec = Le32(pcm + 8);
    f->nBlockAlign = Le16(pcm + 12);
    f->wBitsPerSample = Le16(pcm + 14);
    f->cbSize = extra;
    if (extra && mmioRead(h, reinterpret_cast<HPSTR>(f + 1), extra) != extra) goto done;
  }
  if (mmioAscend(h, &fmt, 0) != 0) goto done;

  if (mmioSeek(h, LONG(riff.dwDataOffset + 4), SEEK_SET) < 0) goto done;
  data.ckid = mmioFOURCC('d', 'a', 't', 'a');
  if (mmioDescend(h, &data, &riff, MMIO_FINDCHUNK) != 0) goto done;
  if (data.cksize == 0 || data.cksize > riff.dwDataOffset + riff.cksize - data.dwDataOffset) goto done;

  wave->dataBlock = GlobalAlloc(GMEM_FIXED, data.cksize);
  if (!wave->dataBlock) goto done;
  {
    BYTE* out = static_cast<BYTE*>(GlobalLock(wave->dataBlock));
    MMIOINFO info;
    if (mmioGetInfo(h, &info, 0) != 0) goto done;
    for (DWORD i = 0; i < data.cksize; ++i) {
      if (info.pchNext == info.pchEndRead) {
        if (mmioAdvance(h, &info, MMIO_READ) != 0 || info.pchNext == info.pchEndRead) goto done;
      }
      out[i] = BYTE(*info.pchNext++);
    }
    if (mmioSetInfo(h, &info, 0) != 0) goto done;
  }
  wave->dataSize = data.cksize;
  failed = 0;

done:
  if (failed) {
    wave->dataSize = 0;
    FreeBlock(&wave->formatBlock);
    FreeBlock(&wave->dataBlock);
  }
  mmioClose(h, 0);
  return failed;
}

bool Valid(int obj) { return obj >= 0 && obj < SOUND_OBJECT_MAX && soundObjects[obj].used; }

void ClearEntry(SoundObject& o) {
  o.used = 0;
  o.name[0] = '\0';
  o.bufferCount = 1;
  o.nextBuffer = 0;
  o.baseFrequency = 0;
  for (int k = 0; k < SOUND_BUFFER_MAX; ++k) {
    o.volume[k] = 0;
    o.frequency[k] = 0;
    o.pan[k] = 0;
  }
}

void DropBuffers(SoundObject& o) {
  for (int k = 0; k < SOUND_BUFFER_MAX; ++k) {
    if (!o.buffer[k]) continue;
    o.buffer[k]->Stop();
    o.buffer[k]->Release();
    o.buffer[k] = nullptr;
  }
}

// The buffer a play uses: a named one, or the next in turn.
int PlayBuffer(SoundObject& o, int sel) { return sel >= 0 ? sel : o.nextBuffer; }

void Advance(SoundObject& o, int sel) {
  if (sel < 0 && ++o.nextBuffer >= o.bufferCount) o.nextBuffer = 0;
}

void Start(int obj, int sel, DWORD flags) {
  if (!soundState.available || !Valid(obj)) return;
  SoundObject& o = soundObjects[obj];
  int k = PlayBuffer(o, sel);
  if (k >= o.bufferCount || !o.buffer[k]) return;
  o.buffer[k]->Stop();
  o.buffer[k]->SetCurrentPosition(0);
  o.buffer[k]->Play(0, 0, flags);
  Advance(o, sel);
}

// Calls `f` for the chosen buffer: a named one, all of them, or (with `nextIsMinus2`) -2 for the next.
template <typename F>
void ForBuffers(int obj, int sel, bool nextIsMinus2, F f) {
  if (!soundState.available || !Valid(obj)) return;
  SoundObject& o = soundObjects[obj];
  if (sel >= 0) {
    if (sel < o.bufferCount) f(o, sel);
  } else if (nextIsMinus2 && sel == -2) {
    f(o, o.nextBuffer);
  } else {
    for (int k = 0; k < o.bufferCount; ++k) f(o, k);
  }
}

long long Clamp(long long v, long long low, long long high) { return v < low ? low : v > high ? high : v; }

void ApplyFrequency(SoundObject& o, int k, long long value, bool clamp) {
  o.frequency[k] = DWORD(clamp ? Clamp(value, DSBFREQUENCY_MIN, DSBFREQUENCY_MAX) : value);
  if (o.buffer[k]) o.buffer[k]->SetFrequency(o.frequency[k]);
}

void ApplyPan(SoundObject& o, int k, long long value) {
  o.pan[k] = LONG(Clamp(value, DSBPAN_LEFT, DSBPAN_RIGHT));
  if (o.buffer[k]) o.buffer[k]->SetPan(o.pan[k]);
}

void ApplyVolume(SoundObject& o, int k, long long value) {
  o.volume[k] = LONG(Clamp(value, DSBVOLUME_MIN, DSBVOLUME_MAX));
  if (o.buffer[k]) o.buffer[k]->SetVolume(o.volume[k]);
}

}  // namespace

int Init() {
  if (FAILED(DirectSoundCreate(nullptr, &soundState.directSound, nullptr))) {
    soundState.directSound = nullptr;
    soundState.available = 0;
    return 0;
  }
  soundState.directSound->SetCooperativeLevel(libraryState.mainWindow, DSSCL_NORMAL);
  DSBUFFERDESC primary = {};
  primary.dwSize = sizeof primary;
  primary.dwFlags = DSBCAPS_PRIMARYBUFFER;
  soundState.primary = nullptr;
  soundState.directSound->CreateSoundBuffer(&primary, &soundState.primary, nullptr);
  for (SoundObject& o : soundObjects)
    for (LPDIRECTSOUNDBUFFER& b : o.buffer) b = nullptr;
  soundState.reloading = 0;
  soundState.available = 1;
  return 1;
}

void ClearObjects() {
  for (SoundObject& o : soundObjects) ClearEntry(o);
}

int LoadObject(const char* name, int count) {
  if (!soundState.available) return 0;
  if (std::strlen(name) > 30) return oxSystem::ErrorMessage(kLoad, "ファイル名またはリソース名が長すぎます", 0);
  int obj = soundState.reloadPosition;
  if (!soundState.reloading) {
    obj = 0;
    while (obj < SOUND_OBJECT_MAX && soundObjects[obj].used) ++obj;
    if (obj == SOUND_OBJECT_MAX) return oxSystem::ErrorMessage(kLoad, "オブジェクト数が多すぎます", 0);
  }
  // More buffers than the entry holds would write past it.
  if (count < 1) count = 1;
  if (count > SOUND_BUFFER_MAX) count = SOUND_BUFFER_MAX;

  char path[512];
  std::snprintf(path, sizeof path, "%s%s", oxSystem::GetPath(0), name);
  WaveData wave;
  const WAVEFORMATEX* format = nullptr;
  const BYTE* samples = nullptr;
  WAVEFORMATEX resourceFormat = {};
  if (ReadWaveFile(path, &wave) == 0) {
    format = static_cast<const WAVEFORMATEX*>(GlobalLock(wave.formatBlock));
    samples = static_cast<const BYTE*>(GlobalLock(wave.dataBlock));
  } else {
    HRSRC found = FindResourceA(nullptr, name, "WAVE");
    if (!found) found = FindResourceA(nullptr, name, RT_RCDATA);
    HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
    const BYTE* image = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    DWORD imageSize = found ? SizeofResource(nullptr, found) : 0;
    // The resource is a whole file in the canonical layout; one too small for what it claims is none.
    if (!image || imageSize < 44 || Le32(image + 40) > imageSize - 44)
      return oxSystem::ErrorMessage(kLoad, "WAVEリソースが見つかりません", 0);
    std::memcpy(&resourceFormat, image + 20, 16);
    resourceFormat.cbSize = 0;
    format = &resourceFormat;
    wave.dataSize = Le32(image + 40);
    samples = image + 44;
  }

  SoundObject& o = soundObjects[obj];
  o.bufferCount = count;
  if (!soundState.reloading) o.nextBuffer = 0;
  DSBUFFERDESC description = {};
  description.dwSize = sizeof description;
  description.dwFlags = DSBCAPS_STATIC | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME;
  description.dwBufferBytes = wave.dataSize;
  description.lpwfxFormat = const_cast<LPWAVEFORMATEX>(format);
  for (int k = 0; k < count; ++k) {
    if (FAILED(soundState.directSound->CreateSoundBuffer(&description, &o.buffer[k], nullptr))) {
      o.buffer[k] = nullptr;
      DropBuffers(o);
      if (!soundState.reloading) o.bufferCount = 1;
      FreeBlock(&wave.formatBlock);
      FreeBlock(&wave.dataBlock);
      return oxSystem::ErrorMessage(kLoad, "サウンドバッファが生成できません", 0);
    }
    void* part1 = nullptr;
    void* part2 = nullptr;
    DWORD bytes1 = 0, bytes2 = 0;
    // A buffer that cannot be locked stays silent; the object is still usable.
    if (SUCCEEDED(o.buffer[k]->Lock(0, wave.dataSize, &part1, &bytes1, &part2, &bytes2, 0))) {
      std::memcpy(part1, samples, bytes1);
      if (part2) std::memcpy(part2, samples + bytes1, bytes2);
      o.buffer[k]->Unlock(part1, bytes1, part2, bytes2);
    }
    if (!soundState.reloading) {
      o.buffer[k]->GetFrequency(&o.frequency[k]);
      o.baseFrequency = o.frequency[k];
      o.volume[k] = 0;
      o.pan[k] = 0;
    } else {
      o.buffer[k]->SetVolume(o.volume[k]);
      o.buffer[k]->SetFrequency(o.frequency[k]);
      o.buffer[k]->SetPan(o.pan[k]);
    }
  }
  o.used = 1;
  FreeBlock(&wave.formatBlock);
  FreeBlock(&wave.dataBlock);
  if (!soundState.reloading) std::snprintf(o.name, sizeof o.name, "%s", name);
  return obj;
}

void Restore() {
  if (!soundState.available) return;
  Init();
  soundState.reloading = 1;
  for (int obj = 0; obj < SOUND_OBJECT_MAX; ++obj) {
    if (!soundObjects[obj].used) continue;
    soundState.reloadPosition = obj;
    LoadObject(soundObjects[obj].name, soundObjects[obj].bufferCount);
  }
  soundState.reloading = 0;
}

void Release() {
  if (!soundState.available) return;
  for (SoundObject& o : soundObjects)
    if (o.used) DropBuffers(o);
  if (soundState.primary) {
    soundState.primary->Release();
    soundState.primary = nullptr;
  }
  if (soundState.directSound) {
    soundState.directSound->Release();
    soundState.directSound = nullptr;
  }
}

void ReleaseObject(int obj) {
  if (!soundState.available || !Valid(obj)) return;
  SoundObject& o = soundObjects[obj];
  DropBuffers(o);
  ClearEntry(o);
}

void Play(int obj, int sel) { Start(obj, sel, 0); }

void PlayLoop(int obj, int sel) { Start(obj, sel, DSBPLAY_LOOPING); }

void Stop(int obj, int sel) {
  ForBuffers(obj, sel, false, [](SoundObject& o, int k) {
    if (!o.buffer[k]) return;
    o.buffer[k]->Stop();
    o.buffer[k]->SetCurrentPosition(0);
  });
}

void Toggle(int obj, int sel) {
  ForBuffers(obj, sel, false, [](SoundObject& o, int k) {
    if (!o.buffer[k]) return;
    DWORD status = 0;
    o.buffer[k]->GetStatus(&status);
    if (status & DSBSTATUS_PLAYING) o.buffer[k]->Stop();
    else o.buffer[k]->Play(0, 0, 0);
  });
}

void ChangeFrequency(int obj, int delta, int sel) {
  ForBuffers(obj, sel, true, [&](SoundObject& o, int k) {
    ApplyFrequency(o, k, (long long)o.frequency[k] + (long long)delta * 100, true);
  });
}

void ResetFrequency(int obj, int sel) {
  ForBuffers(obj, sel, true, [](SoundObject& o, int k) { ApplyFrequency(o, k, o.baseFrequency, false); });
}

void SetFrequency(int obj, int value, int sel) {
  ForBuffers(obj, sel, true, [&](SoundObject& o, int k) {
    ApplyFrequency(o, k, (long long)o.baseFrequency + (long long)value * 100, true);
  });
}

void ChangePan(int obj, int delta, int sel) {
  ForBuffers(obj, sel, true, [&](SoundObject& o, int k) { ApplyPan(o, k, (long long)o.pan[k] + (long long)delta * 100); });
}

void ResetPan(int obj, int sel) {
  ForBuffers(obj, sel, true, [](SoundObject& o, int k) { ApplyPan(o, k, 0); });
}

void SetPan(int obj, int value, int sel) {
  ForBuffers(obj, sel, true, [&](SoundObject& o, int k) { ApplyPan(o, k, (long long)value * 100); });
}

void PanLeft(int obj, int sel) {
  ForBuffers(obj, sel, true, [](SoundObject& o, int k) { ApplyPan(o, k, DSBPAN_LEFT); });
}

void PanRight(int obj, int sel) {
  ForBuffers(obj, sel, true, [](SoundObject& o, int k) { ApplyPan(o, k, DSBPAN_RIGHT); });
}

void ChangeVolume(int obj, int delta, int sel) {
  ForBuffers(obj, sel, true, [&](SoundObject& o, int k) {
    ApplyVolume(o, k, (long long)o.volume[k] + (long long)delta * 100);
  });
}

void ResetVolume(int obj, int sel) {
  ForBuffers(obj, sel, true, [](SoundObject& o, int k) { ApplyVolume(o, k, 0); });
}

void SetVolume(int obj, int value, int sel) {
  ForBuffers(obj, sel, true, [&](SoundObject& o, int k) { ApplyVolume(o, k, (long long)value * 100); });
}

void PlayWaveFile(const char* file) {
  Release();
  sndPlaySoundA(file, SND_SYNC);
  Restore();
}

}  // namespace oxSound
