// MIDI music through the MCI sequencer.
#include "ox.h"

namespace oxSound {

int InitMidi() { return 1; }

int RestartMidi() { return 1; }

int MidiOpen() { return 0; }

}  // namespace oxSound
