// Music: the MCI open of a MIDI file (our check of its chunks) and a little of its playing. The synthesizer
// and its soundfont are made once per process; the file is read from a directory in memory.
#include <windows.h>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::Host();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzz::InputFile input("fuzz.mid");
  static const std::string open = "open \"" + input.path() + "\" type sequencer alias fuzz";
  input.Write(data, size);
  if (mciSendStringA(open.c_str(), nullptr, 0, nullptr) == 0) {
    mciSendStringA("play fuzz", nullptr, 0, nullptr);
    // Enough for the player to read the song and the mixer to look for its end.
    int16_t out[2 * 64];
    fuzz::Host().PullAudio(out, 64);
    mciSendStringA("close fuzz", nullptr, 0, nullptr);
  }
  return 0;
}
