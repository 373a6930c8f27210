// What the process entry does with records: --record, --replay, and the games kept without asking.
#pragma once
#include <memory>
#include <string>

#include "../host.h"

namespace host::record {

class Session {
 public:
  virtual ~Session() = default;
  virtual Host* host() = 0;
  virtual unsigned seed() const = 0;
  // After WinMain: ends the record, or checks how the replay ended. Returns the process's exit code.
  virtual int Finish(int result) = 0;
};

// Records the run to `path`, or, when `path` is empty, to a new file among the kept replays. Never fails the
// run: an unwritable place gives one warning line and the game plays unrecorded.
std::unique_ptr<Session> StartRecording(Host* inner, const std::string& path, bool seedGiven, unsigned seed);
// Plays `path` back ("best" and "last" name the kept replays). A record that does not fit is refused with one
// line and exit code 2. The game runs in a scratch directory, so the player's high-score file stays as it is.
std::unique_ptr<Session> StartReplay(Host* inner, const std::string& path, bool watch);

// Where the kept replays are: $XDG_DATA_HOME/radire/replays (by default ~/.local/share/radire/replays).
std::string ReplayDirectory();
// Keeps the newest `keep` records of `dir` and its best game's record.
void PruneReplays(const std::string& dir, size_t keep);

}  // namespace host::record
