// Music: the MCI string interface of the sequencer, ours, driven by a fuzzed song and a fuzzed sequence of
// commands. The song's events are FluidSynth's to read; what is ours is the check of its chunks, the
// commands, the devices and the end-of-song notices. The synthesizer and its soundfont are made once per
// process; the song is read from a file in memory.
#include <fuzzer/FuzzedDataProvider.h>
#include <windows.h>

#include <vector>

#include "fuzz_support.h"
#include "host/mixer.h"

namespace {

const char* const kCommands[] = {
    "play fuzz",           "play fuzz notify",   "resume fuzz wait",    "pause fuzz",        "stop fuzz notify",
    "seek fuzz to start",  "seek fuzz to 10",    "seek fuzz",           "seek fuzz from 0",  "status fuzz mode",
    "status fuzz ready",   "status fuzz",        "status fuzz mode ready", "status fuzz length", "play fuzz from 0",
    "close fuzz notify",   "close all",          "play other",          "bogus fuzz",        "play",
    "",                    "open",               "open \"x.mid",        "open x.wav",        "open x type",
    "open x type waveaudio", "open x.mid bogus", "open x.mid alias",    "open \"no such.mid\"",
};
constexpr int kCommandCount = int(sizeof kCommands / sizeof *kCommands);
enum Step { kPull = kCommandCount, kPump, kReopen, kMute, kStepCount };

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::Host();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzz::InputFile input("fuzz.mid");
  static const std::string opens[] = {
      "open \"" + input.path() + "\" type sequencer alias fuzz",
      "open \"" + input.path() + "\" alias FUZZ notify wait shareable",  // the type from the extension
  };
  // The steps come from the end of the input, the song is what is left at its front.
  FuzzedDataProvider in(data, size);
  const std::string& open = opens[in.ConsumeBool()];
  std::vector<int> steps(in.ConsumeIntegralInRange(0, 8));
  for (int& step : steps) step = in.ConsumeIntegralInRange(0, kStepCount - 1);
  std::vector<uint8_t> song = in.ConsumeRemainingBytes<uint8_t>();
  input.Write(song.data(), song.size());

  char reply[8];  // short enough that a long answer overflows it
  bool muted = false;
  if (mciSendStringA(open.c_str(), reply, sizeof reply, nullptr) == 0) {
    for (int step : steps) {
      if (step < kCommandCount) {
        mciSendStringA(kCommands[step], reply, sizeof reply, nullptr);
      } else if (step == kPull) {
        // Enough for the player to read the song, and a short one to end.
        int16_t out[2 * 256];
        fuzz::Host().PullAudio(out, 256);
      } else if (step == kPump) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
      } else if (step == kReopen) {
        mciSendStringA(open.c_str(), reply, sizeof reply, nullptr);
      } else {
        muted = !muted;
        platform::SetMusicVolume(muted ? 0 : 100);
      }
    }
  }
  mciSendStringA("close all", nullptr, 0, nullptr);
  platform::SetMusicVolume(100);
  return 0;
}
