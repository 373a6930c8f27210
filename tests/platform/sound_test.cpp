// DirectSound units and buffer rules, mmio over RIFF files, and the MCI sequencer's replies and notifications.
#include <cmath>
#include <cstring>
#include <filesystem>

#include "dsound.h"
#include "support/fixture.h"
#include "support/media.h"
#include "windows.h"

using namespace testing_support;

namespace {

std::vector<MSG> notifications;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == MM_MCINOTIFY) {
    MSG m{};
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    notifications.push_back(m);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

class SoundPlatform : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    mciSendStringA("close all", nullptr, 0, nullptr);
    notifications.clear();
    WNDCLASSA wc{};
    wc.lpfnWndProc = RecordingProc;
    wc.lpszClassName = "SOUNDTEST";
    RegisterClassA(&wc);
    window_ = CreateWindowExA(0, "SOUNDTEST", "sound", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    mciSendStringA("close all", nullptr, 0, nullptr);
    HeadlessTest::TearDown();
  }

  std::vector<int16_t> Pull(int frames) {
    std::vector<int16_t> out(size_t(frames) * 2);
    EXPECT_TRUE(host().PullAudio(out.data(), frames));
    return out;
  }
  void Drain() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
  }
  std::string Status(const char* alias) {
    char reply[32];
    std::string command = std::string("status ") + alias + " mode";
    EXPECT_EQ(mciSendStringA(command.c_str(), reply, sizeof reply, nullptr), 0u);
    return reply;
  }

  LPDIRECTSOUND Sound() {
    LPDIRECTSOUND ds = nullptr;
    EXPECT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DS_OK);
    EXPECT_EQ(ds->SetCooperativeLevel(window_, DSSCL_NORMAL), DS_OK);
    return ds;
  }
  LPDIRECTSOUNDBUFFER Buffer(LPDIRECTSOUND ds, const std::string& samples, int rate, int channels, int bits,
                             DWORD flags = DSBCAPS_STATIC | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME) {
    WAVEFORMATEX f{WAVE_FORMAT_PCM, WORD(channels), DWORD(rate), DWORD(rate * channels * bits / 8),
                   WORD(channels * bits / 8), WORD(bits), 0};
    DSBUFFERDESC d{};
    d.dwSize = sizeof d;
    d.dwFlags = flags;
    d.dwBufferBytes = DWORD(samples.size());
    d.lpwfxFormat = &f;
    LPDIRECTSOUNDBUFFER b = nullptr;
    EXPECT_EQ(ds->CreateSoundBuffer(&d, &b, nullptr), DS_OK);
    if (!b) return nullptr;
    void *p1, *p2;
    DWORD n1, n2;
    EXPECT_EQ(b->Lock(0, DWORD(samples.size()), &p1, &n1, &p2, &n2, 0), DS_OK);
    std::memcpy(p1, samples.data(), n1);
    b->Unlock(p1, n1, p2, n2);
    return b;
  }

  HWND window_ = nullptr;
};

int NonZeroFrames(const std::vector<int16_t>& mix) {
  int n = 0;
  for (size_t i = 0; i < mix.size(); i += 2) n += mix[i] != 0;
  return n;
}

TEST_F(SoundPlatform, VolumeIsHundredthsOfADecibelAndPanAttenuatesTheOtherSide) {
  LPDIRECTSOUND ds = Sound();
  LPDIRECTSOUNDBUFFER b = Buffer(ds, ConstantSamples16(4410, 1, 16000), 44100, 1, 16);
  ASSERT_NE(b, nullptr);
  b->Play(0, 0, DSBPLAY_LOOPING);
  auto full = Pull(256);
  EXPECT_EQ(full[100], 16000);
  EXPECT_EQ(full[101], 16000);

  ASSERT_EQ(b->SetVolume(-600), DS_OK);  // -6 dB: half the amplitude
  auto half = Pull(256);
  EXPECT_NEAR(half[100], 16000 * std::pow(10.0, -0.3), 1.0);
  EXPECT_NEAR(half[101], 16000 * std::pow(10.0, -0.3), 1.0);
  LONG v = 0;
  b->GetVolume(&v);
  EXPECT_EQ(v, -600);

  b->SetVolume(0);
  ASSERT_EQ(b->SetPan(2000), DS_OK);  // right: the left side loses 20 dB
  auto right = Pull(256);
  EXPECT_NEAR(right[100], 1600, 1.0);
  EXPECT_EQ(right[101], 16000);

  ASSERT_EQ(b->SetPan(DSBPAN_LEFT), DS_OK);
  auto left = Pull(4410);
  EXPECT_EQ(Peak(left, 1), 0);  // fully left: not a sample on the right
  EXPECT_EQ(Peak(left, 0), 16000);

  b->SetPan(0);
  b->SetVolume(DSBVOLUME_MIN);
  EXPECT_EQ(Peak(Pull(512), 0), 0);

  // Out of range, or a control the buffer was not made with, changes nothing.
  EXPECT_EQ(b->SetVolume(1), DSERR_INVALIDPARAM);
  EXPECT_EQ(b->SetVolume(-10001), DSERR_INVALIDPARAM);
  EXPECT_EQ(b->SetPan(10001), DSERR_INVALIDPARAM);
  EXPECT_EQ(b->SetFrequency(99), DSERR_INVALIDPARAM);
  EXPECT_EQ(b->SetFrequency(100001), DSERR_INVALIDPARAM);
  b->GetVolume(&v);
  EXPECT_EQ(v, DSBVOLUME_MIN);
  LPDIRECTSOUNDBUFFER plain = Buffer(ds, ConstantSamples16(100, 1, 1), 44100, 1, 16, DSBCAPS_STATIC);
  EXPECT_EQ(plain->SetVolume(0), DSERR_CONTROLUNAVAIL);
  EXPECT_EQ(plain->SetPan(0), DSERR_CONTROLUNAVAIL);
  EXPECT_EQ(plain->SetFrequency(22050), DSERR_CONTROLUNAVAIL);
  plain->Release();
  b->Release();
  ds->Release();
}

TEST_F(SoundPlatform, FrequencyResamplesAndAOnceBufferStopsAtItsEnd) {
  LPDIRECTSOUND ds = Sound();
  LPDIRECTSOUNDBUFFER b = Buffer(ds, ConstantSamples16(1000, 1, 10000), 22050, 1, 16);
  DWORD f = 0;
  b->GetFrequency(&f);
  EXPECT_EQ(f, 22050u);
  struct Case {
    DWORD frequency;
    int frames;
  } cases[] = {{22050, 2000}, {44100, 1000}, {11025, 4000}, {DSBFREQUENCY_ORIGINAL, 2000}};
  for (const Case& c : cases) {
    ASSERT_EQ(b->SetFrequency(c.frequency), DS_OK);
    b->SetCurrentPosition(0);
    b->Play(0, 0, 0);
    auto mix = Pull(6000);
    EXPECT_NEAR(NonZeroFrames(mix), c.frames, 2) << c.frequency;
    DWORD status = 1, play = 1;
    b->GetStatus(&status);
    EXPECT_EQ(status & DSBSTATUS_PLAYING, 0u);
    b->GetCurrentPosition(&play, nullptr);
    EXPECT_EQ(play, 0u);
  }
  // Looping keeps playing and says so.
  b->Play(0, 0, DSBPLAY_LOOPING);
  EXPECT_EQ(NonZeroFrames(Pull(6000)), 6000);
  DWORD status = 0;
  b->GetStatus(&status);
  EXPECT_EQ(status, DWORD(DSBSTATUS_PLAYING | DSBSTATUS_LOOPING));
  b->Stop();
  EXPECT_EQ(NonZeroFrames(Pull(100)), 0);
  b->Release();
  ds->Release();
}

TEST_F(SoundPlatform, EightBitStereoAndSumsAreClipped) {
  LPDIRECTSOUND ds = Sound();
  std::string samples;
  for (int i = 0; i < 500; ++i) samples += "\xC0\x40";  // left +64, right -64 around the 0x80 centre
  LPDIRECTSOUNDBUFFER a = Buffer(ds, samples, 44100, 2, 8);
  LPDIRECTSOUNDBUFFER b = Buffer(ds, ConstantSamples16(500, 2, 30000), 44100, 2, 16);
  a->Play(0, 0, DSBPLAY_LOOPING);
  auto mix = Pull(100);
  EXPECT_EQ(mix[10], 64 * 256);
  EXPECT_EQ(mix[11], -64 * 256);
  b->Play(0, 0, DSBPLAY_LOOPING);
  mix = Pull(100);
  EXPECT_EQ(mix[10], 32767);
  EXPECT_EQ(mix[11], 30000 - 64 * 256);
  a->Release();
  b->Release();
  ds->Release();
}

TEST_F(SoundPlatform, LockWrapsIntoASecondPartAndRefusesWhatDoesNotFit) {
  LPDIRECTSOUND ds = Sound();
  LPDIRECTSOUNDBUFFER b = Buffer(ds, ConstantSamples16(100, 1, 0), 44100, 1, 16);
  void *p1 = nullptr, *p2 = nullptr;
  DWORD n1 = 0, n2 = 0;
  ASSERT_EQ(b->Lock(190, 20, &p1, &n1, &p2, &n2, 0), DS_OK);
  EXPECT_EQ(n1, 10u);
  EXPECT_EQ(n2, 10u);
  EXPECT_EQ(static_cast<char*>(p1) - static_cast<char*>(p2), 190);
  EXPECT_EQ(b->Unlock(p1, n1, p2, n2), DS_OK);
  ASSERT_EQ(b->Lock(0, 200, &p1, &n1, &p2, &n2, 0), DS_OK);
  EXPECT_EQ(n1, 200u);
  EXPECT_EQ(p2, nullptr);
  EXPECT_EQ(n2, 0u);
  EXPECT_EQ(b->Unlock(static_cast<char*>(p1) + 1, 200, nullptr, 0), DSERR_INVALIDPARAM);
  b->Unlock(p1, n1, p2, n2);
  EXPECT_EQ(b->Lock(0, 201, &p1, &n1, &p2, &n2, 0), DSERR_INVALIDPARAM);
  EXPECT_EQ(b->Lock(200, 1, &p1, &n1, &p2, &n2, 0), DSERR_INVALIDPARAM);
  EXPECT_EQ(b->Lock(190, 20, &p1, &n1, nullptr, nullptr, 0), DSERR_INVALIDPARAM);
  EXPECT_EQ(b->SetCurrentPosition(200), DSERR_INVALIDPARAM);
  b->Release();

  // Formats and descriptions DirectSound refuses.
  WAVEFORMATEX odd{WAVE_FORMAT_PCM, 1, 44100, 44100 * 3 / 2, 1, 12, 0};
  DSBUFFERDESC d{};
  d.dwSize = sizeof d;
  d.dwFlags = DSBCAPS_STATIC;
  d.dwBufferBytes = 100;
  d.lpwfxFormat = &odd;
  LPDIRECTSOUNDBUFFER none = nullptr;
  EXPECT_EQ(ds->CreateSoundBuffer(&d, &none, nullptr), DSERR_BADFORMAT);
  d.dwBufferBytes = 0;
  EXPECT_EQ(ds->CreateSoundBuffer(&d, &none, nullptr), DSERR_INVALIDPARAM);
  d.dwSize = 7;
  EXPECT_EQ(ds->CreateSoundBuffer(&d, &none, nullptr), DSERR_INVALIDPARAM);
  EXPECT_EQ(none, nullptr);

  // The primary buffer is one object, and a program of normal priority cannot write it.
  DSBUFFERDESC p{};
  p.dwSize = sizeof p;
  p.dwFlags = DSBCAPS_PRIMARYBUFFER;
  LPDIRECTSOUNDBUFFER p1b = nullptr, p2b = nullptr;
  ASSERT_EQ(ds->CreateSoundBuffer(&p, &p1b, nullptr), DS_OK);
  ASSERT_EQ(ds->CreateSoundBuffer(&p, &p2b, nullptr), DS_OK);
  EXPECT_EQ(p1b, p2b);
  EXPECT_EQ(p1b->Lock(0, 4, &p1, &n1, &p2, &n2, 0), DSERR_PRIOLEVELNEEDED);
  p1b->Release();
  p2b->Release();
  ds->Release();

  LPDIRECTSOUND early = nullptr;
  ASSERT_EQ(DirectSoundCreate(nullptr, &early, nullptr), DS_OK);
  EXPECT_EQ(early->CreateSoundBuffer(&p, &p1b, nullptr), DSERR_PRIOLEVELNEEDED);
  EXPECT_EQ(early->SetCooperativeLevel(nullptr, DSSCL_NORMAL), DSERR_INVALIDPARAM);
  early->Release();
}

// ---- mmio ----

TEST_F(SoundPlatform, MmioWalksChunksAndReadsThroughItsBuffer) {
  std::string wave = MakeWave(8000, 1, 8, std::string(20000, '\x55'));
  // A chunk of its own before "fmt " that the search must step over, with its pad byte.
  wave.insert(12, std::string("junk\x03\0\0\0abc\0", 12));
  uint32_t riffSize = uint32_t(wave.size() - 8);
  std::memcpy(&wave[4], &riffSize, 4);
  WriteFile("a.wav", wave);
  HMMIO h = mmioOpenA(const_cast<char*>("a.wav"), nullptr, MMIO_ALLOCBUF | MMIO_READ);
  ASSERT_NE(h, nullptr);
  MMCKINFO riff{}, fmt{}, data{};
  ASSERT_EQ(mmioDescend(h, &riff, nullptr, 0), 0u);
  EXPECT_EQ(riff.ckid, FOURCC_RIFF);
  EXPECT_EQ(riff.fccType, mmioFOURCC('W', 'A', 'V', 'E'));
  EXPECT_EQ(riff.dwDataOffset, 8u);
  fmt.ckid = mmioFOURCC('f', 'm', 't', ' ');
  ASSERT_EQ(mmioDescend(h, &fmt, &riff, MMIO_FINDCHUNK), 0u);
  EXPECT_EQ(fmt.dwDataOffset, 32u);
  EXPECT_EQ(fmt.cksize, 16u);
  ASSERT_EQ(mmioAscend(h, &fmt, 0), 0u);
  data.ckid = mmioFOURCC('d', 'a', 't', 'a');
  ASSERT_EQ(mmioDescend(h, &data, &riff, MMIO_FINDCHUNK), 0u);
  EXPECT_EQ(data.cksize, 20000u);
  MMIOINFO info;
  ASSERT_EQ(mmioGetInfo(h, &info, 0), 0u);
  EXPECT_EQ(info.cchBuffer, MMIO_DEFAULTBUFFER);
  DWORD got = 0, advances = 0;
  bool same = true;
  while (got < data.cksize) {
    if (info.pchNext == info.pchEndRead) {
      ASSERT_EQ(mmioAdvance(h, &info, MMIO_READ), 0u);
      ++advances;
      if (info.pchNext == info.pchEndRead) break;
    }
    same = same && *info.pchNext++ == '\x55';
    ++got;
  }
  EXPECT_TRUE(same);
  EXPECT_EQ(got, 20000u);
  EXPECT_GE(advances, 2u);
  ASSERT_EQ(mmioSetInfo(h, &info, 0), 0u);
  // At the end of the file the buffer stays empty after advancing.
  ASSERT_EQ(mmioAdvance(h, &info, MMIO_READ), 0u);
  EXPECT_EQ(info.pchNext, info.pchEndRead);
  char c;
  EXPECT_EQ(mmioRead(h, &c, 1), 0);
  MMCKINFO missing{};
  missing.ckid = mmioFOURCC('n', 'o', 'n', 'e');
  mmioSeek(h, 12, SEEK_SET);
  EXPECT_EQ(mmioDescend(h, &missing, &riff, MMIO_FINDCHUNK), MMRESULT(MMIOERR_CHUNKNOTFOUND));
  EXPECT_EQ(mmioSeek(h, 0, SEEK_END), LONG(wave.size()));
  EXPECT_EQ(mmioClose(h, 0), 0u);

  MMIOINFO failure{};
  EXPECT_EQ(mmioOpenA(const_cast<char*>("none.wav"), &failure, MMIO_READ), nullptr);
  EXPECT_EQ(failure.wErrorRet, UINT(MMIOERR_FILENOTFOUND));
}

TEST_F(SoundPlatform, MmioStopsAtTheEndOfATruncatedFile) {
  std::string wave = MakeWave(8000, 1, 8, std::string(1000, 'x'));
  WriteFile("cut.wav", wave.substr(0, 60));
  HMMIO h = mmioOpenA(const_cast<char*>("cut.wav"), nullptr, MMIO_ALLOCBUF | MMIO_READ);
  ASSERT_NE(h, nullptr);
  mmioSeek(h, 44, SEEK_SET);
  char buffer[1000];
  EXPECT_EQ(mmioRead(h, buffer, 1000), 16);
  // The chunk search ends where the file ends, whatever sizes the chunks claim.
  MMCKINFO riff{}, next{};
  mmioSeek(h, 0, SEEK_SET);
  ASSERT_EQ(mmioDescend(h, &riff, nullptr, 0), 0u);
  next.ckid = mmioFOURCC('z', 'z', 'z', 'z');
  EXPECT_EQ(mmioDescend(h, &next, &riff, MMIO_FINDCHUNK), MMRESULT(MMIOERR_CHUNKNOTFOUND));
  mmioClose(h, 0);
}

TEST_F(SoundPlatform, SyncWavePlaysToItsEndBeforeReturning) {
  WriteFile("beep.wav", MakeWave(22050, 1, 16, ConstantSamples16(2205, 1, 9000)));
  LPDIRECTSOUND ds = Sound();
  // Another sound that runs meanwhile tells how much output passed during the call.
  LPDIRECTSOUNDBUFFER clock = Buffer(ds, ConstantSamples16(44100 * 4, 1, 1), 44100, 1, 16);
  clock->Play(0, 0, 0);
  EXPECT_TRUE(sndPlaySoundA("beep.wav", SND_SYNC));
  DWORD position = 0;
  clock->GetCurrentPosition(&position, nullptr);
  EXPECT_GE(position / 2, 4410u);  // 0.1 s of a 44.1 kHz output at least
  EXPECT_LE(position / 2, 4410u + 44100u / 5);
  EXPECT_FALSE(sndPlaySoundA("missing.wav", SND_SYNC));
  EXPECT_EQ(LogWith("sndPlaySound \"missing.wav\" flags=0x0 -> 0").size(), 1u);
  clock->Release();
  ds->Release();
}

// ---- MCI ----

TEST_F(SoundPlatform, MciRepliesAndErrorNumbers) {
  WriteFile("song.mid", MakeMidi(4));
  WriteFile("bad.mid", "MThd\0\0\0\x06\0\0\0\x01\x01\xE0MTrk\x7F\xFF\xFF\xFF");
  // Whole chunks, but a meta event that claims 256 MB, and one data byte with no status before it.
  WriteFile("liar.mid", std::string("MThd\0\0\0\x06\0\0\0\x01\x01\xE0MTrk\0\0\0\x08\0\xFF\x01\xFF\xFF\xFF\x7F\0", 30));
  WriteFile("headless.mid", std::string("MThd\0\0\0\x06\0\0\0\x01\x01\xE0MTrk\0\0\0\x03\0\x3C\x40", 25));
  char reply[32];
  EXPECT_EQ(mciSendStringA("open \"song.mid\" type sequencer alias tune", reply, sizeof reply, nullptr), 0u);
  EXPECT_STRNE(reply, "");  // the device number
  EXPECT_EQ(Status("tune"), "stopped");
  EXPECT_EQ(mciSendStringA("play tune", nullptr, 0, nullptr), 0u);
  EXPECT_EQ(Status("TUNE"), "playing");
  EXPECT_EQ(mciSendStringA("pause tune", nullptr, 0, nullptr), 0u);
  EXPECT_EQ(Status("tune"), "paused");
  EXPECT_EQ(mciSendStringA("stop tune", nullptr, 0, nullptr), 0u);
  EXPECT_EQ(Status("tune"), "stopped");
  char tiny[4];
  EXPECT_EQ(mciSendStringA("status tune mode", tiny, sizeof tiny, nullptr), MCIERROR(MCIERR_PARAM_OVERFLOW));
  EXPECT_STREQ(tiny, "sto");

  struct Case {
    const char* command;
    MCIERROR error;
  } cases[] = {
      {"open \"song.mid\" type sequencer alias tune", MCIERR_DUPLICATE_ALIAS},
      {"open \"nothing.mid\" type sequencer alias other", MCIERR_FILE_NOT_FOUND},
      {"open \"bad.mid\" type sequencer alias other", MCIERR_INVALID_FILE},
      {"open \"liar.mid\" type sequencer alias other", MCIERR_INVALID_FILE},
      {"open \"headless.mid\" type sequencer alias other", MCIERR_INVALID_FILE},
      {"open \"song.mid\" type waveaudio alias other", MCIERR_INVALID_DEVICE_NAME},
      {"open \"song.mid type sequencer alias other", MCIERR_NO_CLOSING_QUOTE},
      {"play nobody", MCIERR_INVALID_DEVICE_NAME},
      {"status nobody mode", MCIERR_INVALID_DEVICE_NAME},
      {"close nobody", MCIERR_INVALID_DEVICE_NAME},
      {"dance tune", MCIERR_UNRECOGNIZED_COMMAND},
      {"", MCIERR_MISSING_COMMAND_STRING},
      {"status tune", MCIERR_MISSING_PARAMETER},
      {"status tune colour", MCIERR_UNRECOGNIZED_KEYWORD},
      {"play tune backwards", MCIERR_UNRECOGNIZED_KEYWORD},
      {"seek tune", MCIERR_MISSING_PARAMETER},
      {"play", MCIERR_MISSING_DEVICE_NAME},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(mciSendStringA(c.command, nullptr, 0, nullptr), c.error) << c.command;
    EXPECT_EQ(LogWith("mci \"" + std::string(c.command) + "\" -> " + std::to_string(c.error)).size(), 1u) << c.command;
  }
  EXPECT_EQ(mciSendStringA("close tune", nullptr, 0, nullptr), 0u);
  EXPECT_EQ(mciSendStringA("status tune mode", reply, sizeof reply, nullptr), MCIERROR(MCIERR_INVALID_DEVICE_NAME));
  EXPECT_EQ(LogWith("mci \"status TUNE mode\" -> 0 \"playing\"").size(), 1u);

  // A directory with blanks in its name is one quoted word.
  std::filesystem::create_directory("with some blanks");
  WriteFile("with some blanks/MAIN.MID", MakeMidi(1));
  EXPECT_EQ(mciSendStringA("open \"with some blanks/MAIN.MID\" type sequencer alias midi", nullptr, 0, nullptr), 0u);
  EXPECT_EQ(mciSendStringA("close midi", nullptr, 0, nullptr), 0u);
}

TEST_F(SoundPlatform, SongEndNotifiesOnTheMainThreadAndAReplacedPlayIsSuperseded) {
  WriteFile("short.mid", MakeMidi(2, 100));  // two notes of 0.1 s
  char id[16];
  ASSERT_EQ(mciSendStringA("open short.mid type sequencer alias s", id, sizeof id, nullptr), 0u);
  ASSERT_EQ(mciSendStringA("play s notify", nullptr, 0, window_), 0u);
  ASSERT_EQ(mciSendStringA("play s notify", nullptr, 0, window_), 0u);
  Drain();
  ASSERT_EQ(notifications.size(), 1u);
  EXPECT_EQ(notifications[0].wParam, WPARAM(MCI_NOTIFY_SUPERSEDED));
  EXPECT_EQ(notifications[0].lParam, LPARAM(std::atoi(id)));

  int peak = 0, pulls = 0;
  while (Status("s") == "playing" && pulls < 40) {
    peak = std::max(peak, Peak(Pull(2205), 0));
    ++pulls;
    Drain();
    if (Status("s") == "playing") {
      EXPECT_EQ(notifications.size(), 1u);  // nothing before the end
    }
  }
  EXPECT_GT(peak, 1000);  // the song was heard
  EXPECT_GE(pulls, 4);    // and took its 0.2 s at least
  EXPECT_LT(pulls, 40);
  Drain();
  ASSERT_EQ(notifications.size(), 2u);
  EXPECT_EQ(notifications[1].wParam, WPARAM(MCI_NOTIFY_SUCCESSFUL));

  // From the start again; stopping a play that waits to notify aborts it.
  ASSERT_EQ(mciSendStringA("seek s to start", nullptr, 0, nullptr), 0u);
  ASSERT_EQ(mciSendStringA("play s notify", nullptr, 0, window_), 0u);
  EXPECT_EQ(Status("s"), "playing");
  ASSERT_EQ(mciSendStringA("stop s", nullptr, 0, nullptr), 0u);
  Drain();
  ASSERT_EQ(notifications.size(), 3u);
  EXPECT_EQ(notifications[2].wParam, WPARAM(MCI_NOTIFY_ABORTED));
  EXPECT_EQ(LogWith("mci notify ").size(), 3u);
}

// A host with no audio output at all: songs still run by the clock, silently.
class DeviceLessHost : public host::HeadlessHost {
 public:
  bool OpenAudio(int*, host::AudioCallback, void*) override { return false; }
  bool AudioPulled() override { return false; }
};

TEST_F(SoundPlatform, WithoutAnyOutputSongsStillEndAndDirectSoundIsAbsent) {
  DeviceLessHost quiet;
  host::Install(&quiet);
  WriteFile("short.mid", MakeMidi(2, 100));
  ASSERT_EQ(mciSendStringA("open short.mid type sequencer alias s", nullptr, 0, nullptr), 0u);
  ASSERT_EQ(mciSendStringA("play s notify", nullptr, 0, window_), 0u);
  for (int i = 0; i < 20 && notifications.empty(); ++i) {
    quiet.AdvanceClock(100);
    Drain();
  }
  ASSERT_EQ(notifications.size(), 1u);
  EXPECT_EQ(notifications[0].wParam, WPARAM(MCI_NOTIFY_SUCCESSFUL));
  LPDIRECTSOUND ds = nullptr;
  EXPECT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DSERR_NODRIVER);
  EXPECT_EQ(ds, nullptr);
  mciSendStringA("close all", nullptr, 0, nullptr);
  host::Install(host_.get());
}

// While the application is inactive the loop sleeps in WaitMessage; the song's end must still get through.
class SleepyHost : public DeviceLessHost {
 public:
  int WaitEventFor(int ms) override {
    AdvanceClock(uint32_t(ms));
    ++waits;
    return waits > 200 ? -1 : 0;
  }
  int waits = 0;
};

TEST_F(SoundPlatform, WaitMessageWakesForTheSongsEnd) {
  SleepyHost sleepy;
  host::Install(&sleepy);
  WriteFile("short.mid", MakeMidi(2, 100));
  ASSERT_EQ(mciSendStringA("open short.mid type sequencer alias s", nullptr, 0, nullptr), 0u);
  ASSERT_EQ(mciSendStringA("play s notify", nullptr, 0, window_), 0u);
  ASSERT_TRUE(WaitMessage());
  EXPECT_GE(sleepy.waits, 4);   // it slept through the 0.2 s of the song
  EXPECT_LT(sleepy.waits, 200);  // and woke for its end, not for the end of all input
  MSG m;
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, UINT(MM_MCINOTIFY));
  EXPECT_EQ(m.wParam, WPARAM(MCI_NOTIFY_SUCCESSFUL));
  mciSendStringA("close all", nullptr, 0, nullptr);
  host::Install(host_.get());
}

}  // namespace

namespace {

// Upward zero crossings of the left channel: the tone's frequency times its length.
int Crossings(const std::vector<int16_t>& mix) {
  int n = 0;
  for (size_t i = 2; i < mix.size(); i += 2) n += mix[i - 2] < 0 && mix[i] >= 0;
  return n;
}

TEST_F(SoundPlatform, BeepIsAShortToneWhosePitchTellsTheKind) {
  EXPECT_TRUE(MessageBeep(0xFFFFFFFF));
  std::vector<int16_t> simple = Pull(44100 / 4);
  // 0.12 s at 1000 Hz, in both ears, well below full scale, then silence.
  EXPECT_NEAR(NonZeroFrames(simple), 0.12 * 44100, 50);
  EXPECT_NEAR(Crossings(simple), 120, 2);
  EXPECT_GT(Peak(simple, 0), 6000);
  EXPECT_LT(Peak(simple, 0), 9000);
  EXPECT_EQ(Peak(simple, 0), Peak(simple, 1));
  EXPECT_EQ(NonZeroFrames(Pull(4410)), 0);

  MessageBeep(MB_ICONHAND);
  EXPECT_NEAR(Crossings(Pull(44100 / 4)), 0.12 * 440, 2);
  // A beep during a beep starts the tone again rather than adding a second one.
  MessageBeep(MB_ICONEXCLAMATION);
  Pull(2205);
  MessageBeep(MB_ICONEXCLAMATION);
  std::vector<int16_t> again = Pull(44100 / 4);
  EXPECT_NEAR(NonZeroFrames(again), 0.12 * 44100, 50);
  EXPECT_LT(Peak(again, 0), 9000);
  EXPECT_EQ(LogWith("beep").size(), 4u);
}

}  // namespace
