// MIDI music through the MCI sequencer, under the alias "midi".
#include <string>

#include "ox.h"

namespace oxSound {

MidiState midiState;

int InitMidi() {
  midiState.open = 0;
  midiState.loop = 1;
  return 1;
}

int PlayMidi(const char* file) {
  // Sized for the longest path; the quotes let the program's directory contain blanks.
  std::string command = std::string("open \"") + oxSystem::GetPath(0) + file + "\" type sequencer alias midi";
  if (midiState.open) StopMidi();
  mciSendStringA(command.c_str(), nullptr, 0, nullptr);
  mciSendStringA("seek midi to start", nullptr, 0, nullptr);
  MCIERROR result = mciSendStringA("play midi notify", nullptr, 0, libraryState.mainWindow);
  midiState.open = 1;
  midiState.loop = 1;
  return int(result);
}

void RestartMidi() {
  if (midiState.loop) {
    mciSendStringA("seek midi to start", nullptr, 0, nullptr);
    mciSendStringA("play midi notify", nullptr, 0, libraryState.mainWindow);
  } else {
    StopMidi();
  }
}

void StopMidi() {
  if (!midiState.open) return;
  mciSendStringA("stop midi", nullptr, 0, nullptr);
  mciSendStringA("close midi", nullptr, 0, nullptr);
  midiState.open = 0;
}

int CloseMidi() {
  mciSendStringA("stop midi", nullptr, 0, nullptr);
  return int(mciSendStringA("close midi", nullptr, 0, nullptr));
}

void SetMidiNoLoop() { midiState.loop = 0; }

int MidiOpen() { return midiState.open; }

}  // namespace oxSound
