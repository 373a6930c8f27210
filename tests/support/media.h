// Small sound files written by the tests themselves: PCM RIFF WAVE files and standard MIDI files.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// A canonical 44-byte-header RIFF WAVE file holding `data` as its samples.
std::string MakeWave(int rate, int channels, int bits, const std::string& data);
// `frames` frames of 16-bit samples, every channel holding `value`.
std::string ConstantSamples16(int frames, int channels, int16_t value);

// A format-0 MIDI file: `notes` quarter notes of middle C and its neighbours at 120 beats a minute on a
// piano, then the end of the track; each note lasts `beatMs` milliseconds (the tempo is set to match).
std::string MakeMidi(int notes, int beatMs = 250);

// Peak absolute sample and root mean square of interleaved stereo samples, for one channel (0 or 1).
int Peak(const std::vector<int16_t>& stereo, int channel);
double Rms(const std::vector<int16_t>& stereo, int channel);

}  // namespace testing_support
