#include "settings.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace host {

namespace {

// Larger than any file a player writes by hand: past it the file is not read at all.
constexpr size_t kMaxFileBytes = 64 * 1024;

std::string Trim(const std::string& s) {
  size_t a = s.find_first_not_of(" \t\r"), b = s.find_last_not_of(" \t\r");
  return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

std::string Lower(std::string s) {
  for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// False with `*warning` set when the file exists but cannot be read whole; true with empty text when
// there is no file.
bool ReadSmallFile(const std::string& file, std::string* text, std::string* warning) {
  text->clear();
  struct stat st;
  if (stat(file.c_str(), &st) != 0) return errno == ENOENT ? true : (*warning = file + ": " + std::strerror(errno), false);
  if (!S_ISREG(st.st_mode)) return *warning = file + ": not a regular file", false;
  if (size_t(st.st_size) > kMaxFileBytes) return *warning = file + ": larger than 64 KiB, not read", false;
  std::ifstream in(file, std::ios::binary);
  if (!in) return *warning = file + ": " + std::strerror(errno), false;
  std::stringstream s;
  s << in.rdbuf();
  *text = s.str();
  return true;
}

// Splits `name = value` lines, skipping blanks and # comments; calls `take(key, value, lineNumber)`.
template <typename Take>
void ForEachLine(const std::string& text, Take take) {
  std::istringstream in(text);
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    line = Trim(line.substr(0, line.find('#')));
    if (line.empty()) continue;
    size_t eq = line.find('=');
    take(eq == std::string::npos ? line : Trim(line.substr(0, eq)),
         eq == std::string::npos ? std::string() : Trim(line.substr(eq + 1)), eq != std::string::npos, number);
  }
}

// Collects bad lines into one warning: the first named, the rest counted.
struct Complaints {
  std::string file, first;
  int more = 0;
  void Add(int line, const std::string& what) {
    if (first.empty()) first = file + " line " + std::to_string(line) + ": " + what;
    else ++more;
  }
  void Into(std::string* warning, const char* fallback) const {
    if (first.empty()) return;
    *warning = first + fallback + (more ? " (and " + std::to_string(more) + " more lines)" : "");
  }
};

}  // namespace

std::string ConfigDirectory() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && xdg[0] == '/') return std::string(xdg) + "/radire";
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return std::string(home) + "/.config/radire";
  return std::string();
}

Settings ReadSettings(const std::string& file, std::string* warning) {
  Settings s;
  std::string text;
  if (!ReadSmallFile(file, &text, warning)) return s;
  Complaints bad{file, {}, 0};
  ForEachLine(text, [&](const std::string& key, const std::string& value, bool, int line) {
    std::string k = Lower(key), v = Lower(value);
    int w = 0, h = 0, n = 0;
    char x = 0, rest = 0;
    if (k == "fullscreen" && (v == "yes" || v == "no")) s.fullScreen = v == "yes";
    else if (k == "scaling" && (v == "sharp" || v == "smooth")) s.smooth = v == "smooth";
    else if (k == "window" && std::sscanf(v.c_str(), "%d%c%d%c", &w, &x, &h, &rest) == 3 && x == 'x' && w >= 160 &&
             h >= 120 && w <= 16384 && h <= 16384)
      s.windowWidth = w, s.windowHeight = h;
    else if (k == "music" && std::sscanf(v.c_str(), "%d%c", &n, &rest) == 1 && n >= 0 && n <= 100) s.music = n;
    else if (k == "mute" && (v == "yes" || v == "no")) s.mute = v == "yes";
    else if (k == "language" && (v == "ja" || v == "en")) s.english = v == "en";
    else bad.Add(line, "cannot read \"" + key + (value.empty() ? "" : " = " + value) + "\"");
  });
  bad.Into(warning, "; the default stands");
  return s;
}

bool WriteSettings(const std::string& file, const Settings& s) {
  std::string dir = file.substr(0, file.rfind('/'));
  for (size_t at = 1; at != std::string::npos; at = dir.find('/', at + 1)) mkdir(dir.substr(0, at).c_str(), 0755);
  mkdir(dir.c_str(), 0755);
  std::string temporary = file + ".new";
  FILE* f = std::fopen(temporary.c_str(), "w");
  if (!f) return false;
  std::fprintf(f, "# Radire keeps these between runs; Alt+Enter or F11 switches full screen.\n");
  if (s.fullScreen >= 0) std::fprintf(f, "fullscreen = %s\n", s.fullScreen ? "yes" : "no");
  if (s.windowWidth > 0) std::fprintf(f, "window = %dx%d\n", s.windowWidth, s.windowHeight);
  std::fprintf(f, "scaling = %s\n", s.smooth ? "smooth" : "sharp");
  std::fprintf(f, "# F7 and F8 turn the music down and up, F9 mutes it.\nmusic = %d\nmute = %s\n", s.music,
               s.mute ? "yes" : "no");
  std::fprintf(f, "language = %s\n", s.english ? "en" : "ja");
  bool ok = std::fflush(f) == 0 && fsync(fileno(f)) == 0;
  ok = std::fclose(f) == 0 && ok;
  if (!ok || std::rename(temporary.c_str(), file.c_str()) != 0) {
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

void KeyMap::Parse(const std::string& text, const std::string& name, std::string* warning) {
  static const std::pair<const char*, SDL_Keycode> kGameKeys[] = {
      {"left", SDLK_LEFT},   {"right", SDLK_RIGHT},   {"up", SDLK_UP},         {"down", SDLK_DOWN},
      {"space", SDLK_SPACE}, {"enter", SDLK_RETURN}, {"return", SDLK_RETURN}, {"escape", SDLK_ESCAPE}};
  map_.clear();
  Complaints bad{name, {}, 0};
  ForEachLine(text, [&](const std::string& gameKey, const std::string& keys, bool hasEq, int line) {
    SDL_Keycode target = SDLK_UNKNOWN;
    for (const auto& g : kGameKeys)
      if (Lower(gameKey) == g.first) target = g.second;
    if (!hasEq || target == SDLK_UNKNOWN) {
      bad.Add(line, "\"" + gameKey + "\" is not one of Left, Right, Up, Down, Space, Enter, Escape");
      return;
    }
    std::vector<SDL_Keycode> found;
    std::istringstream list(keys);
    std::string keyName;
    while (std::getline(list, keyName, ',')) {
      keyName = Trim(keyName);
      SDL_Keycode key = keyName.empty() ? SDLK_UNKNOWN : SDL_GetKeyFromName(keyName.c_str());
      if (key == SDLK_UNKNOWN) {
        bad.Add(line, "no key is called \"" + keyName + "\"");
        return;
      }
      found.push_back(key);
    }
    if (found.empty()) return bad.Add(line, "no keys after \"=\"");
    for (SDL_Keycode key : found) {
      for (auto& entry : map_)
        if (entry.first == key) entry.first = SDLK_UNKNOWN;  // the last line naming a key holds
      map_.emplace_back(key, target);
    }
  });
  bad.Into(warning, "; the default stands for that key");
}

void KeyMap::Load(const std::string& file, std::string* warning) {
  std::string text;
  map_.clear();
  if (ReadSmallFile(file, &text, warning)) Parse(text, file, warning);
}

SDL_Keycode KeyMap::Map(SDL_Keycode key) const {
  for (const auto& entry : map_)
    if (entry.first == key) return entry.second;
  return key;
}

}  // namespace host
