// The player's own files under $XDG_CONFIG_HOME/radire/: "settings" (full screen or window, the window's
// size, sharp or smooth scaling, the music's volume, the language of the texts) and "keys" (which keyboard keys play which of the game's keys).
// A file that is missing is no fault; one that cannot be read gives one warning line and its defaults.
#pragma once
#include <SDL.h>

#include <string>
#include <utility>
#include <vector>

namespace host {

// $XDG_CONFIG_HOME/radire, or ~/.config/radire; empty when neither can be named.
std::string ConfigDirectory();

struct Settings {
  int fullScreen = -1;  // -1: as the program asks; 0 a window; 1 full screen
  int windowWidth = 0;  // 0: the program's own size
  int windowHeight = 0;
  bool smooth = false;  // scaled smoothly to fill more of the screen, instead of by whole factors
  int music = 100;      // the music's volume, percent
  bool mute = false;    // the music muted, its volume kept for when it comes back
  bool english = false; // the game's texts in English instead of Japanese
};

// Reads `file`; what cannot be read keeps its default and is named in `*warning` (one line).
Settings ReadSettings(const std::string& file, std::string* warning);
// Writes through a temporary file, so a failed write leaves the old settings.
bool WriteSettings(const std::string& file, const Settings& settings);

// Keyboard keys that play another key: a key named in the file plays the game key it stands under;
// every other key plays itself.
class KeyMap {
 public:
  // `name` names the file in the warning.
  void Parse(const std::string& text, const std::string& name, std::string* warning);
  void Load(const std::string& file, std::string* warning);
  // The key `key` plays, as SDL names keys.
  SDL_Keycode Map(SDL_Keycode key) const;

 private:
  std::vector<std::pair<SDL_Keycode, SDL_Keycode>> map_;
};

}  // namespace host
