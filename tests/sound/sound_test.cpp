// The library's music and wave sound objects, through the window procedure and the platform's mixer.
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <regex>
#include <sstream>

#include "kernel/resources.h"
#include "ox.h"
#include "support/fixture.h"
#include "support/media.h"

using namespace testing_support;

namespace {

// Compiled-in sounds, as a program's resources would be.
const std::string& ResourceWave() {
  static const std::string wave = MakeWave(22050, 1, 16, ConstantSamples16(2000, 1, 5000));
  return wave;
}
const std::string& RcdataWave() {
  static const std::string wave = MakeWave(11025, 1, 16, ConstantSamples16(2000, 1, 7000));
  return wave;
}
const std::string tooSmall = "RIFF\x04\0\0\0WAVE";
const platform::EmbeddedResource kResources[] = {
    {"TONE.WAV", 0, "WAVE", reinterpret_cast<const unsigned char*>(ResourceWave().data()), ResourceWave().size()},
    {"RAW.WAV", 10, nullptr, reinterpret_cast<const unsigned char*>(RcdataWave().data()), RcdataWave().size()},
    {"SHORT.WAV", 0, "WAVE", reinterpret_cast<const unsigned char*>(tooSmall.data()), tooSmall.size()},
};
const bool registered = platform::RegisterResources(kResources, 3);

class SoundLibrary : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    ASSERT_TRUE(registered);
    // Without the module's name the program's directory is empty, so files are found in the test's own.
    host().SetFailure("GetModuleFileNameA", 0);
    mciSendStringA("close all", nullptr, 0, nullptr);
    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowProc;
    wc.lpszClassName = "DEFAULT";
    RegisterClassA(&wc);
    libraryState = LibraryState{};
    libraryState.mainWindow =
        CreateWindowExA(0, "DEFAULT", "Radire", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(libraryState.mainWindow, nullptr);
    ASSERT_EQ(oxSound::Init(), 1);
    oxSound::ClearObjects();
    oxSound::InitMidi();
    setupLines_ = host().LogLines().size();
  }
  void TearDown() override {
    oxSound::Release();
    oxSound::ClearObjects();
    oxSound::soundState = oxSound::SoundState{};
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
  std::vector<std::string> Reports() { return LogWith("messagebox"); }
  std::string Report(const char* message) {
    return Utf8((std::string("oxSound::LoadObject : ") + message).c_str());
  }
  // The MCI commands of the log from line `from` on, without the log's frame numbers.
  std::vector<std::string> Commands(size_t from = 0) {
    std::vector<std::string> out;
    const auto& lines = host().LogLines();
    for (size_t i = std::max(from, setupLines_); i < lines.size(); ++i) {
      size_t at = lines[i].find("mci \"");
      if (at != std::string::npos) out.push_back(lines[i].substr(at + 4));
    }
    return out;
  }
  // Plays the music until the library has reacted to the song's end.
  void PlayToEnd() {
    for (int i = 0; i < 60; ++i) {
      Pull(2205);
      size_t before = host().LogLines().size();
      Drain();
      if (!LogWith("status midi mode").empty() && host().LogLines().size() > before) return;
    }
    ADD_FAILURE() << "the song never ended";
  }
  size_t setupLines_ = 0;

  bool Playing(int obj, int k) {
    DWORD status = 0;
    oxSound::soundObjects[obj].buffer[k]->GetStatus(&status);
    return status & DSBSTATUS_PLAYING;
  }
};

// ---- MIDI ----

TEST_F(SoundLibrary, PlayMidiSendsTheCommandsAndASecondPlayClosesTheFirst) {
  WriteFile("MAIN.MID", MakeMidi(8));
  WriteFile("OTHER.MID", MakeMidi(8));
  EXPECT_EQ(oxSound::PlayMidi("MAIN.MID"), 0);
  EXPECT_EQ(oxSound::midiState.open, 1);
  EXPECT_EQ(oxSound::midiState.loop, 1);
  std::vector<std::string> first = {"\"open \"MAIN.MID\" type sequencer alias midi\" -> 0 \"1\"",
                                    "\"seek midi to start\" -> 0", "\"play midi notify\" -> 0"};
  // The device number in the reply depends on earlier tests; compare without it.
  auto c = Commands();
  ASSERT_EQ(c.size(), 3u);
  EXPECT_EQ(c[0].substr(0, c[0].find(" -> ")), "\"open \"MAIN.MID\" type sequencer alias midi\"");
  EXPECT_EQ(c[1], first[1]);
  EXPECT_EQ(c[2], first[2]);

  oxSound::SetMidiNoLoop();
  size_t mark = host().LogLines().size();
  EXPECT_EQ(oxSound::PlayMidi("OTHER.MID"), 0);
  c = Commands(mark);
  ASSERT_EQ(c.size(), 5u);
  EXPECT_EQ(c[0], "\"stop midi\" -> 0");
  EXPECT_EQ(c[1], "\"close midi\" -> 0");
  EXPECT_EQ(c[2].substr(0, c[2].find(" -> ")), "\"open \"OTHER.MID\" type sequencer alias midi\"");
  EXPECT_EQ(c[3], "\"seek midi to start\" -> 0");
  EXPECT_EQ(c[4], "\"play midi notify\" -> 0");
  EXPECT_EQ(oxSound::midiState.loop, 1);  // looping is on again
  char mode[32];
  mciSendStringA("status midi mode", mode, sizeof mode, nullptr);
  EXPECT_STREQ(mode, "playing");
}

TEST_F(SoundLibrary, ALoopingSongStartsAgainAtItsEndAndANoLoopSongCloses) {
  WriteFile("MAIN.MID", MakeMidi(2, 100));
  oxSound::PlayMidi("MAIN.MID");
  size_t mark = host().LogLines().size();
  PlayToEnd();
  auto c = Commands(mark);
  ASSERT_EQ(c.size(), 3u);
  EXPECT_EQ(c[0], "\"status midi mode\" -> 0 \"stopped\"");
  EXPECT_EQ(c[1], "\"seek midi to start\" -> 0");
  EXPECT_EQ(c[2], "\"play midi notify\" -> 0");
  EXPECT_EQ(oxSound::midiState.open, 1);
  EXPECT_GT(Peak(Pull(4410), 0), 100);  // heard again from the start

  oxSound::SetMidiNoLoop();
  mark = host().LogLines().size();
  PlayToEnd();
  c = Commands(mark);
  ASSERT_EQ(c.size(), 3u);
  EXPECT_EQ(c[0], "\"status midi mode\" -> 0 \"stopped\"");
  EXPECT_EQ(c[1], "\"stop midi\" -> 0");
  EXPECT_EQ(c[2], "\"close midi\" -> 0");
  EXPECT_EQ(oxSound::midiState.open, 0);
}

TEST_F(SoundLibrary, NotificationsAfterCloseAndSupersededOnesAreIgnored) {
  WriteFile("MAIN.MID", MakeMidi(8));
  oxSound::PlayMidi("MAIN.MID");
  HWND w = libraryState.mainWindow;
  PostMessageA(w, MM_MCINOTIFY, MCI_NOTIFY_SUPERSEDED, 1);
  PostMessageA(w, MM_MCINOTIFY, MCI_NOTIFY_ABORTED, 1);
  Drain();
  EXPECT_TRUE(LogWith("status midi").empty());
  // A real replacement: the superseded play's notification arrives and changes nothing.
  mciSendStringA("play midi notify", nullptr, 0, w);
  Drain();
  EXPECT_EQ(LogWith("mci notify superseded").size(), 1u);
  EXPECT_TRUE(LogWith("status midi").empty());

  oxSound::StopMidi();
  EXPECT_EQ(oxSound::midiState.open, 0);
  PostMessageA(w, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, 1);
  Drain();
  EXPECT_TRUE(LogWith("status midi").empty());

  // A successful one while open but still playing leaves the song alone.
  oxSound::PlayMidi("MAIN.MID");
  size_t mark = host().LogLines().size();
  PostMessageA(w, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, 1);
  Drain();
  auto c = Commands(mark);
  ASSERT_EQ(c.size(), 1u);
  EXPECT_EQ(c[0], "\"status midi mode\" -> 0 \"playing\"");
}

TEST_F(SoundLibrary, CloseMidiSendsItsTwoCommandsAndLeavesTheFlags) {
  EXPECT_EQ(oxSound::CloseMidi(), int(MCIERR_INVALID_DEVICE_NAME));
  EXPECT_EQ(Commands(), (std::vector<std::string>{"\"stop midi\" -> 263", "\"close midi\" -> 263"}));
  EXPECT_EQ(oxSound::midiState.open, 0);
  EXPECT_EQ(oxSound::midiState.loop, 1);

  WriteFile("MAIN.MID", MakeMidi(8));
  oxSound::PlayMidi("MAIN.MID");
  oxSound::SetMidiNoLoop();
  EXPECT_EQ(oxSound::CloseMidi(), 0);
  EXPECT_EQ(oxSound::midiState.open, 1);
  EXPECT_EQ(oxSound::midiState.loop, 0);
}

TEST_F(SoundLibrary, AMissingSongFailsSilentlyAndLeavesTheOpenFlagSet) {
  EXPECT_EQ(oxSound::PlayMidi("MAIN.MID"), int(MCIERR_INVALID_DEVICE_NAME));
  EXPECT_EQ(oxSound::midiState.open, 1);
  EXPECT_EQ(LogWith("mci \"open \"MAIN.MID\" type sequencer alias midi\" -> 275").size(), 1u);
  EXPECT_TRUE(Reports().empty());
  for (int i = 0; i < 5; ++i) {
    Pull(4410);
    Drain();
  }
  EXPECT_TRUE(LogWith("status midi").empty());  // no notification, so nothing restarts
}

// ---- wave sound objects ----

class SoundObjects : public SoundLibrary {
 protected:
  void SetUp() override {
    SoundLibrary::SetUp();
    WriteFile("a.wav", MakeWave(22050, 1, 16, ConstantSamples16(4000, 1, 12000)));
  }
};

TEST_F(SoundObjects, SeventyObjectsAndTheSeventyFirstIsRefused) {
  for (int i = 0; i < oxSound::SOUND_OBJECT_MAX; ++i) ASSERT_EQ(oxSound::LoadObject("a.wav", 1), i);
  EXPECT_EQ(oxSound::LoadObject("a.wav", 1), 0);
  ASSERT_EQ(Reports().size(), 1u);
  EXPECT_NE(Reports()[0].find("text=\"" + Report("オブジェクト数が多すぎます") + "\""), std::string::npos);
  EXPECT_NE(Reports()[0].find(Utf8("caption=\"エラー発生\"")), std::string::npos);
  oxSound::ReleaseObject(5);
  EXPECT_EQ(oxSound::soundObjects[5].used, 0);
  EXPECT_EQ(oxSound::soundObjects[5].bufferCount, 1);
  EXPECT_EQ(oxSound::LoadObject("a.wav", 1), 5);  // the lowest free number comes back
}

TEST_F(SoundObjects, NamesOfThirtyCharactersAndNotOne) {
  std::string thirty = "abcdefghijklmnopqrstuvwxyz.wav";
  ASSERT_EQ(thirty.size(), 30u);
  WriteFile(thirty, MakeWave(22050, 1, 16, ConstantSamples16(100, 1, 1)));
  WriteFile("x" + thirty, MakeWave(22050, 1, 16, ConstantSamples16(100, 1, 1)));
  EXPECT_EQ(oxSound::LoadObject(thirty.c_str(), 1), 0);
  EXPECT_TRUE(Reports().empty());
  EXPECT_STREQ(oxSound::soundObjects[0].name, thirty.c_str());
  EXPECT_EQ(oxSound::LoadObject(("x" + thirty).c_str(), 1), 0);
  ASSERT_EQ(Reports().size(), 1u);
  EXPECT_NE(Reports()[0].find(Report("ファイル名またはリソース名が長すぎます")), std::string::npos);
  EXPECT_EQ(oxSound::soundObjects[1].used, 0);
}

TEST_F(SoundObjects, EveryReportOfLoadObject) {
  EXPECT_EQ(oxSound::LoadObject("nothing.wav", 1), 0);
  host().SetFailure("IDirectSound::CreateSoundBuffer", 3);
  EXPECT_EQ(oxSound::LoadObject("a.wav", 4), 0);
  auto r = Reports();
  ASSERT_EQ(r.size(), 2u);
  EXPECT_NE(r[0].find("text=\"" + Report("WAVEリソースが見つかりません") + "\""), std::string::npos);
  EXPECT_NE(r[1].find("text=\"" + Report("サウンドバッファが生成できません") + "\""), std::string::npos);
  EXPECT_EQ(oxSound::soundObjects[0].used, 0);  // the entry stays free, its buffers given back
  for (LPDIRECTSOUNDBUFFER b : oxSound::soundObjects[0].buffer) EXPECT_EQ(b, nullptr);
  EXPECT_EQ(LogWith("beep").size(), 2u);

  // A file mmio cannot open is looked for among the resources.
  host().ClearFailures();
  host().SetFailure("GetModuleFileNameA", 0);
  host().SetFailure("mmioOpenA", 0);
  EXPECT_EQ(oxSound::LoadObject("a.wav", 1), 0);
  ASSERT_EQ(Reports().size(), 3u);
  EXPECT_NE(Reports()[2].find(Report("WAVEリソースが見つかりません")), std::string::npos);
  // A buffer that cannot be locked is still an object, only silent.
  host().ClearFailures();
  host().SetFailure("GetModuleFileNameA", 0);
  host().SetFailure("IDirectSoundBuffer::Lock", 0);
  EXPECT_EQ(oxSound::LoadObject("a.wav", 1), 0);  // the first number
  EXPECT_EQ(oxSound::soundObjects[0].used, 1);
  EXPECT_EQ(Reports().size(), 3u);

  // With DirectSound unavailable every operation does nothing and loading fails without a report.
  oxSound::Release();
  host().SetFailure("DirectSoundCreate", 0);
  EXPECT_EQ(oxSound::Init(), 0);
  EXPECT_EQ(oxSound::LoadObject("a.wav", 1), 0);
  oxSound::Play(0, -1);
  oxSound::SetVolume(0, -5, -1);
  EXPECT_EQ(Reports().size(), 3u);
}

TEST_F(SoundObjects, RoundRobinBuffersAndSelectors) {
  int obj = oxSound::LoadObject("a.wav", 3);
  std::vector<int> used;
  for (int i = 0; i < 4; ++i) {
    oxSound::Stop(obj, -1);
    oxSound::Play(obj, -1);
    for (int k = 0; k < 3; ++k)
      if (Playing(obj, k)) used.push_back(k);
  }
  EXPECT_EQ(used, (std::vector<int>{0, 1, 2, 0}));
  EXPECT_EQ(oxSound::soundObjects[obj].nextBuffer, 1);
  oxSound::Play(obj, 2);  // a named buffer does not move the turn
  EXPECT_EQ(oxSound::soundObjects[obj].nextBuffer, 1);

  oxSound::ChangePan(obj, 10, -2);  // only the buffer whose turn is next
  oxSound::ChangePan(obj, 5, -1);   // all
  const auto& o = oxSound::soundObjects[obj];
  EXPECT_EQ(o.pan[0], 500);
  EXPECT_EQ(o.pan[1], 1500);
  EXPECT_EQ(o.pan[2], 500);
  LONG pan = 0;
  o.buffer[1]->GetPan(&pan);
  EXPECT_EQ(pan, 1500);
  EXPECT_EQ(o.nextBuffer, 1);  // -2 does not advance either

  // Stop and Toggle take -2 as all buffers.
  oxSound::Stop(obj, -2);
  for (int k = 0; k < 3; ++k) EXPECT_FALSE(Playing(obj, k));
  oxSound::Toggle(obj, -1);
  for (int k = 0; k < 3; ++k) EXPECT_TRUE(Playing(obj, k));
  oxSound::Toggle(obj, 1);
  EXPECT_FALSE(Playing(obj, 1));
  EXPECT_TRUE(Playing(obj, 0));
}

TEST_F(SoundObjects, VolumePanAndFrequencyClamps) {
  int obj = oxSound::LoadObject("a.wav", 1);
  const auto& o = oxSound::soundObjects[obj];
  EXPECT_EQ(o.baseFrequency, 22050u);
  auto frequency = [&] {
    DWORD f = 0;
    o.buffer[0]->GetFrequency(&f);
    EXPECT_EQ(f, o.frequency[0]);
    return f;
  };
  oxSound::SetFrequency(obj, 10, 0);
  EXPECT_EQ(frequency(), 23050u);
  oxSound::ResetFrequency(obj, 0);
  oxSound::ChangeFrequency(obj, -1000, 0);
  EXPECT_EQ(frequency(), 100u);
  oxSound::ResetFrequency(obj, 0);
  oxSound::ChangeFrequency(obj, 1000, 0);
  EXPECT_EQ(frequency(), 100000u);
  oxSound::SetFrequency(obj, -300, 0);  // a negative frequency becomes the lowest
  EXPECT_EQ(frequency(), 100u);
  oxSound::ResetFrequency(obj, 0);
  EXPECT_EQ(frequency(), 22050u);

  auto volume = [&] {
    LONG v = 1;
    o.buffer[0]->GetVolume(&v);
    EXPECT_EQ(v, o.volume[0]);
    return v;
  };
  oxSound::ChangeVolume(obj, 5, 0);
  EXPECT_EQ(volume(), 0);
  oxSound::ChangeVolume(obj, -200, 0);
  EXPECT_EQ(volume(), -10000);
  oxSound::SetVolume(obj, -6, 0);
  EXPECT_EQ(volume(), -600);
  oxSound::ResetVolume(obj, 0);
  EXPECT_EQ(volume(), 0);

  auto pan = [&] {
    LONG p = 1;
    o.buffer[0]->GetPan(&p);
    EXPECT_EQ(p, o.pan[0]);
    return p;
  };
  oxSound::SetPan(obj, 250, 0);
  EXPECT_EQ(pan(), 10000);
  oxSound::ChangePan(obj, -300, 0);
  EXPECT_EQ(pan(), -10000);
  oxSound::PanRight(obj, 0);
  EXPECT_EQ(pan(), 10000);
  oxSound::ResetPan(obj, 0);
  EXPECT_EQ(pan(), 0);
}

TEST_F(SoundObjects, FullLeftPanLeavesTheRightChannelSilent) {
  int obj = oxSound::LoadObject("a.wav", 2);
  oxSound::PanLeft(obj, -1);
  oxSound::Play(obj, -1);
  auto mix = Pull(2000);
  EXPECT_EQ(Peak(mix, 1), 0);
  EXPECT_EQ(Peak(mix, 0), 12000);
  // -6 dB on the library's decibel scale halves the amplitude.
  oxSound::ResetPan(obj, -1);
  oxSound::SetVolume(obj, -6, -1);
  oxSound::Play(obj, 0);
  mix = Pull(1000);
  EXPECT_NEAR(mix[200], 12000 * std::pow(10.0, -0.3), 1.0);
  EXPECT_NEAR(mix[201], 12000 * std::pow(10.0, -0.3), 1.0);
}

TEST_F(SoundObjects, PlayWaveFileBringsEveryObjectBackWithItsSettings) {
  WriteFile("b.wav", MakeWave(44100, 2, 8, std::string(400, '\x90')));
  WriteFile("sys.wav", MakeWave(22050, 1, 16, ConstantSamples16(2205, 1, 3000)));
  int a = oxSound::LoadObject("a.wav", 2);
  int b = oxSound::LoadObject("b.wav", 1);
  oxSound::SetVolume(a, -10, 1);
  oxSound::SetPan(a, -40, 0);
  oxSound::SetFrequency(a, 50, 1);
  oxSound::SetFrequency(b, -20, 0);
  oxSound::Play(a, -1);
  LPDIRECTSOUNDBUFFER before = oxSound::soundObjects[a].buffer[0];
  oxSound::PlayWaveFile("sys.wav");
  EXPECT_EQ(LogWith("sndPlaySound \"sys.wav\" flags=0x0 -> 1").size(), 1u);
  EXPECT_NE(oxSound::soundObjects[a].buffer[0], before);  // rebuilt, not kept
  struct Want {
    int obj, k;
    LONG volume, pan;
    DWORD frequency;
  } wants[] = {{a, 0, 0, -4000, 22050}, {a, 1, -1000, 0, 27050}, {b, 0, 0, 0, 42100}};
  for (const Want& w : wants) {
    const auto& o = oxSound::soundObjects[w.obj];
    ASSERT_NE(o.buffer[w.k], nullptr);
    LONG v = 1, p = 1;
    DWORD f = 0;
    o.buffer[w.k]->GetVolume(&v);
    o.buffer[w.k]->GetPan(&p);
    o.buffer[w.k]->GetFrequency(&f);
    EXPECT_EQ(v, w.volume);
    EXPECT_EQ(p, w.pan);
    EXPECT_EQ(f, w.frequency);
  }
  EXPECT_STREQ(oxSound::soundObjects[b].name, "b.wav");
  EXPECT_EQ(oxSound::soundObjects[a].bufferCount, 2);
  EXPECT_EQ(oxSound::soundObjects[a].nextBuffer, 1);
  oxSound::Play(b, -1);
  auto mix = Pull(100);
  EXPECT_EQ(mix[20], 16 * 256);  // b plays again: 8-bit 0x90 is +16
}

TEST_F(SoundObjects, AFileBesideTheProgramComesBeforeAResource) {
  WriteFile("TONE.WAV", MakeWave(22050, 1, 16, ConstantSamples16(2000, 1, 20000)));
  int fromFile = oxSound::LoadObject("TONE.WAV", 1);
  std::filesystem::remove("TONE.WAV");
  int fromResource = oxSound::LoadObject("TONE.WAV", 1);
  int fromRcdata = oxSound::LoadObject("RAW.WAV", 1);
  EXPECT_EQ(fromResource, fromFile + 1);
  EXPECT_EQ(oxSound::soundObjects[fromRcdata].baseFrequency, 11025u);
  oxSound::Play(fromFile, -1);
  EXPECT_EQ(Pull(100)[50], 20000);
  oxSound::Stop(fromFile, -1);
  oxSound::Play(fromResource, -1);
  EXPECT_EQ(Pull(100)[50], 5000);
  // A resource too small for the layout it must have is none.
  EXPECT_EQ(oxSound::LoadObject("SHORT.WAV", 1), 0);
  ASSERT_EQ(Reports().size(), 1u);
  EXPECT_NE(Reports()[0].find(Report("WAVEリソースが見つかりません")), std::string::npos);
}

// Hostile files are refused by the reader: the load reports that no wave was found, allocates nothing
// for sizes the file cannot hold, and reads nothing past what the file has.
TEST_F(SoundObjects, HostileRiffFilesAreRefused) {
  const std::string good = MakeWave(22050, 1, 16, ConstantSamples16(64, 1, 1000));
  auto put32 = [](std::string s, size_t at, uint32_t v) {
    std::memcpy(&s[at], &v, 4);
    return s;
  };
  std::vector<std::string> hostile;
  for (size_t n = 0; n < good.size(); ++n) hostile.push_back(good.substr(0, n));  // every truncation
  hostile.push_back(put32(good, 40, 0xFFFFFFF0u));                                 // absurd data size
  hostile.push_back(put32(good, 40, uint32_t(good.size())));                      // data past the end
  hostile.push_back(put32(good, 4, 0x7FFFFFF0u));                                  // RIFF larger than the file
  hostile.push_back(put32(good, 16, 0xFFFFFFF0u));                                 // fmt larger than everything
  hostile.push_back(put32(good, 16, 8));                                           // fmt too small
  hostile.push_back(put32(put32(good, 20, 0x00010002u), 16, 18) + "");             // non-PCM, extra past the chunk
  hostile.push_back("RIFX" + good.substr(4));
  hostile.push_back(put32(good, 8, 0x45564158u));  // "XAVE", not "WAVE"
  int reportsBefore = int(Reports().size());
  for (size_t i = 0; i < hostile.size(); ++i) {
    WriteFile("bad.wav", hostile[i]);
    EXPECT_EQ(oxSound::LoadObject("bad.wav", 1), 0) << i;
    EXPECT_EQ(oxSound::soundObjects[0].used, 0) << i;
  }
  auto reports = Reports();
  ASSERT_EQ(int(reports.size()) - reportsBefore, int(hostile.size()));
  for (const auto& r : reports) EXPECT_NE(r.find(Report("WAVEリソースが見つかりません")), std::string::npos);

  // Random damage to the header: every file either loads as a sound or is refused with a report.
  std::mt19937 random(1234);
  int loaded = 0, refused = 0, badFormat = 0;
  for (int round = 0; round < 300; ++round) {
    std::string s = good;
    for (int flips = 1 + int(random() % 4); flips > 0; --flips) s[random() % 44] = char(random());
    WriteFile("fuzz.wav", s);
    size_t before = Reports().size();
    int obj = oxSound::LoadObject("fuzz.wav", 1);
    if (Reports().size() == before) {
      ++loaded;
      EXPECT_EQ(oxSound::soundObjects[obj].used, 1);
      oxSound::Play(obj, -1);
      Pull(64);
      oxSound::ReleaseObject(obj);
    } else {
      // The reader refuses the file, or DirectSound the format it describes.
      const std::string r = Reports().back();
      if (r.find(Report("WAVEリソースが見つかりません")) != std::string::npos) ++refused;
      else if (r.find(Report("サウンドバッファが生成できません")) != std::string::npos) ++badFormat;
      else ADD_FAILURE() << r;
    }
  }
  EXPECT_GT(refused, 100);
  EXPECT_EQ(loaded + refused + badFormat, 300);
}

// ---- the program ----

std::string Program() {
  const char* bin = std::getenv("RADIRE_BIN");
  return std::string(bin ? bin : ".") + "/sound_program";
}

TEST(SoundProgram, StartsTheSongFromAnyDirectory) {
  TempDir dir;
  // Blanks; a quote in a name; a name in Japanese; a path of 260 characters and one past Windows' limit.
  const std::string song = reinterpret_cast<const char*>(u8"曲");  // UTF-8, as the file system holds it
  std::string longName(260 - dir.path().size() - song.size() - 2, 'x');
  for (std::string sub : {std::string("dir with blanks"), std::string("a \"quoted\" dir"), song + "/" + longName,
                          longName + "/" + longName}) {
    SCOPED_TRACE(sub);
    std::filesystem::create_directories(sub);
    std::filesystem::copy_file(Program(), sub + "/sound_program");
    std::filesystem::permissions(sub + "/sound_program", std::filesystem::perms::owner_all);
    WriteFile(sub + "/MAIN.MID", MakeMidi(8));
    std::string quoted = "'" + std::regex_replace(sub, std::regex("'"), "'\\''") + "/sound_program'";
    std::string command = "./" + quoted + " --headless --frames 5 --log run.log >out.txt 2>&1";
    std::filesystem::remove("run.log");
    ASSERT_EQ(std::system(command.c_str()), 0) << ReadFile("out.txt");
    std::vector<std::string> mci;
    std::istringstream log(ReadFile("run.log"));
    for (std::string line; std::getline(log, line);)
      if (line.find(" mci \"") != std::string::npos) mci.push_back(line.substr(line.find("mci \"")));
    std::string where = dir.path() + "/" + sub + "/";
    ASSERT_EQ(mci.size(), 3u) << ReadFile("run.log");
    EXPECT_EQ(mci[0], "mci \"open \"" + where + "MAIN.MID\" type sequencer alias midi\" -> 0");
    EXPECT_EQ(mci[1], "mci \"seek midi to start\" -> 0");
    EXPECT_EQ(mci[2], "mci \"play midi notify\" -> 0");
  }
}

TEST(SoundProgram, WithoutASoundfontTheGameGoesOnSilentlyAfterOneLine) {
  TempDir dir;
  std::filesystem::copy_file(Program(), "sound_program");
  std::filesystem::permissions("sound_program", std::filesystem::perms::owner_all);
  WriteFile("MAIN.MID", MakeMidi(8));
  std::string command =
      "RADIRE_SOUNDFONT=/nonexistent.sf2 ./sound_program --headless --frames 20 --log run.log >out.txt 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << ReadFile("out.txt");
  std::string out = ReadFile("out.txt");
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
  EXPECT_NE(out.find("no General MIDI soundfont"), std::string::npos) << out;
  std::string log = ReadFile("run.log");
  EXPECT_NE(log.find("type sequencer alias midi\" -> 343"), std::string::npos) << log;
  EXPECT_NE(log.find("mci \"play midi notify\" -> 263"), std::string::npos) << log;
  EXPECT_NE(log.find("frame limit reached"), std::string::npos) << log;
}

// The real host: the SDL audio output written to a file by SDL's disk driver.
TEST(SoundProgram, TheSdlHostPlaysTheSongAndStartsItAgainAtItsEnd) {
  TempDir dir;
  // A chord of 0.3 s, then a rest; the song ends at 1.5 s.
  std::string track = std::string("\x00\xC0\x00\x00\x90\x3C\x64\x00\x90\x40\x64\x00\x90\x43\x64", 15) +
                      "\x82\x20\x80\x3C\x40" + std::string("\x00\x80\x40\x40\x00\x80\x43\x40", 8) +
                      std::string("\x89\x00\xFF\x2F\x00", 5);
  std::string song = std::string("MThd\0\0\0\x06\0\0\0\x01\x01\xE0MTrk\0\0\0", 21) + char(track.size()) + track;
  WriteFile("MAIN.MID", song);
  std::filesystem::copy_file(Program(), "sound_program");
  std::filesystem::permissions("sound_program", std::filesystem::perms::owner_all);
  // The program closes itself after its frames; the time limit only guards against a hang.
  std::string command = "SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE='" + dir.File("out.raw") +
                        "' SDL_VIDEODRIVER=dummy timeout 300 ./sound_program --window >out.txt 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << ReadFile("out.txt");
  std::string raw = ReadFile("out.raw");
  std::vector<int16_t> samples(raw.size() / 2);
  std::memcpy(samples.data(), raw.data(), samples.size() * 2);
  ASSERT_GT(samples.size(), size_t(44100 * 2 * 3)) << "less than three seconds of output";
  // What is heard, in blocks of 10 ms, measured against the loudest block: how late the output starts and
  // how fast the machine is do not matter, only that the chord sounds, falls quiet, and sounds again.
  constexpr size_t kBlock = 441 * 2;
  std::vector<double> level;
  for (size_t at = 0; at + kBlock <= samples.size(); at += kBlock)
    level.push_back(Rms(std::vector<int16_t>(samples.begin() + long(at), samples.begin() + long(at + kBlock)), 0));
  double peak = *std::max_element(level.begin(), level.end());
  ASSERT_GT(peak, 1000.0) << "no music at all";
  std::vector<size_t> onsets, lengths;  // in blocks
  for (size_t i = 0; i < level.size(); ++i) {
    bool loud = level[i] > peak * 0.1;
    if (loud && (onsets.empty() || i - (onsets.back() + lengths.back()) > 50)) {
      onsets.push_back(i);
      lengths.push_back(0);
    }
    if (loud) lengths.back() = i - onsets.back() + 1;
  }
  ASSERT_GE(onsets.size(), 2u) << "the song was not started again";
  for (size_t i = 0; i < onsets.size(); ++i) {
    // The chord lasts 0.3 s and rings out a little; the song is 1.5 s long, so it cannot start again sooner.
    if (i + 1 < onsets.size() || onsets[i] + 60 < level.size()) {
      EXPECT_GE(lengths[i], 20u) << "sound " << i;
    }
    EXPECT_LE(lengths[i], 100u) << "sound " << i << " does not fall quiet";
    if (i > 0) {
      EXPECT_GE(onsets[i] - onsets[i - 1], 145u) << "sound " << i << " came before the song ended";
    }
  }
}

}  // namespace
