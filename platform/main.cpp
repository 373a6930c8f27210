// The process entry on Linux: the platform's own switches, the host, then WinMain with the rest.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "host/headless/headless.h"
#include "host/record/record.h"
#include "host/record/session.h"
#include "host/sdl/sdl_host.h"
#include "kernel/crt.h"
#include "kernel/module.h"
#include "text_language.h"
#include "windows.h"

namespace {

const char kUsage[] =
    "usage: radire [switches] [-- game arguments]\n"
    "  --window               a window instead of full screen          (SDL host)\n"
    "  --fullscreen           full screen, whatever was kept           (SDL host)\n"
    "  --scale N              window scale                             (SDL host)\n"
    "  --smooth, --sharp      scaled smoothly, or by whole factors      (SDL host)\n"
    "  --no-vsync             present without waiting for vertical sync (SDL host)\n"
    "  --headless             the headless host\n"
    "  --frames N             end the run (WM_CLOSE) after N presentations\n"
    "  --step-ms MS           virtual time per presentation (default 16)   (headless)\n"
    "  --seed N               the random seed, whatever srand is given\n"
    "  --input FILE           scripted input                               (headless)\n"
    "  --shot F:FILE.png      save the frame of presentation F as PNG      (headless)\n"
    "  --log FILE             the platform's event log\n"
    "  --audio FILE.raw       write what is heard, 16-bit stereo at 44100 Hz   (headless)\n"
    "  --fail NAME[:K]        make the K-th call (default: every call) of a named platform function fail\n"
    "                         (headless)\n"
    "  --display 565|555      the pixel format of the headless display\n"
    "  --accelerator          the headless host offers a secondary 3-D device\n"
    "  --lose-surfaces F      the headless host loses all surfaces after presentation F\n"
    "  --answer ok|yes|no|cancel  how the headless host answers message boxes\n"
    "  --record FILE          write everything that enters the program to FILE\n"
    "  --replay FILE          play a record back (best, last: the kept games); Tab held runs fast\n"
    "  --lang ja|en           the game's texts in Japanese or English, whatever the settings say\n"
    "  --version\n"
    "  --help\n";

bool KnownFailure(const std::string& name) {
  for (const char* known : host::kFailableFunctions)
    if (name == known) return true;
  return false;
}

[[noreturn]] void Usage(const std::string& message) {
  std::fprintf(stderr, "radire: %s\n", message.c_str());
  std::exit(2);
}

int Number(const std::string& sw, const char* text, long low, long high) {
  char* end = nullptr;
  long v = std::strtol(text, &end, 10);
  if (!*text || *end || v < low || v > high) Usage(sw + " needs a number from " + std::to_string(low) + " to " +
                                                   std::to_string(high) + ", not \"" + text + "\"");
  return int(v);
}

// The platform's own files are named from where the program was started, whichever directory the game
// then runs in.
std::string FromHere(const std::string& path) {
  char here[4096];
  if (path.empty() || path[0] == '/' || !getcwd(here, sizeof here)) return path;
  return std::string(here) + "/" + path;
}

// The game opens its data files and keeps its high score by bare name in the current directory. Started from
// anywhere else, it runs in the user's own data directory, where links lead to the data files beside the
// program and the high-score file is the user's to write.
void EnterDataDirectory() {
  static const char* const kDataFiles[] = {"data.dat", "teki.dat", "teki2.dat"};
  if (access(kDataFiles[0], F_OK) == 0) return;
  char exe[4096];
  ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n <= 0) return;
  exe[n] = '\0';
  std::string programDir(exe);
  programDir.erase(programDir.rfind('/') + 1);
  if (access((programDir + kDataFiles[0]).c_str(), F_OK) != 0) {
    // Installed, the files lie in PREFIX/share/radire (or, as Debian lays games out, the program in
    // PREFIX/games and its files in PREFIX/share/games/radire): the program looks for them there as if
    // beside it.
    std::string installed = programDir + "../share/radire/";
    if (access((installed + kDataFiles[0]).c_str(), F_OK) != 0) installed = programDir + "../share/games/radire/";
    if (access((installed + kDataFiles[0]).c_str(), F_OK) != 0) return;  // nothing to play with
    programDir = installed;
    platform::SetProgramPath(installed + "radire");
  }

  std::string base;
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && xdg[0] == '/') base = xdg;
  else if (const char* home = std::getenv("HOME"); home && home[0] == '/') base = std::string(home) + "/.local/share";
  else return;
  // Every level of the directory, as mkdir -p makes it.
  std::string dir = base + "/radire";
  for (size_t at = 1; at != std::string::npos; at = dir.find('/', at + 1)) mkdir(dir.substr(0, at).c_str(), 0755);
  mkdir(dir.c_str(), 0755);

  for (const char* name : kDataFiles) {
    std::string target = programDir + name, link = dir + "/" + name;
    struct stat st;
    // A file the user put there is theirs; links are renewed, so a rebuilt program's data is found.
    if (lstat(link.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) continue;
    unlink(link.c_str());
    if (access(target.c_str(), F_OK) == 0 && symlink(target.c_str(), link.c_str()) != 0)
      std::fprintf(stderr, "radire: cannot link %s: %s\n", link.c_str(), std::strerror(errno));
  }
  if (chdir(dir.c_str()) != 0)
    std::fprintf(stderr, "radire: cannot enter %s: %s\n", dir.c_str(), std::strerror(errno));
}

}  // namespace

int main(int argc, char** argv) {
  bool headless = false;
  host::HeadlessOptions ho;
  host::SdlOptions so;
  std::string inputFile, recordFile, replayFile;
  std::string commandLine;
  bool seedGiven = false;
  unsigned seed = 0;
  std::string headlessOnly;  // the first switch given that means nothing to the window
  int english = -1;  // -1: as the settings say
  for (int i = 1; i < argc; ++i) {
    std::string sw = argv[i];
    static const char* const kHeadlessOnly[] = {"--step-ms", "--input", "--shot", "--fail", "--display",
                                                "--accelerator", "--lose-surfaces", "--answer",
                                                "--audio"};
    for (const char* only : kHeadlessOnly)
      if (headlessOnly.empty() && sw == only) headlessOnly = sw;
    auto value = [&]() -> const char* {
      if (i + 1 >= argc) Usage(sw + " needs a value");
      return argv[++i];
    };
    if (sw == "--") {
      for (++i; i < argc; ++i) commandLine += (commandLine.empty() ? "" : " ") + std::string(argv[i]);
      break;
    } else if (sw == "--help") {
      std::fputs(kUsage, stdout);
      std::fputs("--fail knows:", stdout);
      for (const char* name : host::kFailableFunctions) std::printf(" %s", name);
      std::fputs("\n", stdout);
      return 0;
    } else if (sw == "--version") {
      std::printf("radire %s\n", host::record::Version());
      return 0;
    } else if (sw == "--window" || sw == "--fullscreen") {
      so.fullScreen = sw == "--fullscreen";
    } else if (sw == "--smooth" || sw == "--sharp") {
      so.smooth = sw == "--smooth";
    } else if (sw == "--scale") {
      so.scale = Number(sw, value(), 1, 16);
    } else if (sw == "--no-vsync") {
      so.vsync = false;
    } else if (sw == "--headless") {
      headless = true;
    } else if (sw == "--frames") {
      ho.frames = so.frames = Number(sw, value(), 1, 100000000);
    } else if (sw == "--step-ms") {
      ho.stepMs = Number(sw, value(), 0, 100000);
    } else if (sw == "--seed") {
      seed = unsigned(Number(sw, value(), 0, 0x7FFFFFFF));
      seedGiven = true;
    } else if (sw == "--input") {
      inputFile = value();
    } else if (sw == "--record") {
      recordFile = FromHere(value());
    } else if (sw == "--replay") {
      replayFile = value();
      if (replayFile != "best" && replayFile != "last") replayFile = FromHere(replayFile);
    } else if (sw == "--shot") {
      std::string v = value();
      size_t colon = v.find(':');
      if (colon == std::string::npos || colon + 1 >= v.size()) Usage("--shot needs F:FILE.png");
      ho.shots[Number(sw, v.substr(0, colon).c_str(), 1, 100000000)] = FromHere(v.substr(colon + 1));
    } else if (sw == "--audio") {
      ho.audioFile = FromHere(value());
    } else if (sw == "--log") {
      ho.logFile = so.logFile = FromHere(value());
    } else if (sw == "--fail") {
      // Names may hold "::" themselves: a count follows the last colon, and only a known name is taken.
      std::string v = value(), name = v;
      int call = 0;
      if (!KnownFailure(name)) {
        size_t colon = v.rfind(':');
        if (colon == std::string::npos || !KnownFailure(name = v.substr(0, colon)))
          Usage("--fail knows no function \"" + v + "\" (see --help)");
        call = Number(sw, v.substr(colon + 1).c_str(), 1, 100000000);
      }
      ho.failures[name] = call;
    } else if (sw == "--display") {
      std::string v = value();
      if (v != "565" && v != "555") Usage("--display takes 565 or 555, not \"" + v + "\"");
      ho.display555 = v == "555";
    } else if (sw == "--accelerator") {
      ho.accelerator = true;
    } else if (sw == "--lose-surfaces") {
      ho.loseSurfacesAt = Number(sw, value(), 1, 100000000);
    } else if (sw == "--lang") {
      std::string v = value();
      if (v != "ja" && v != "en") Usage("--lang takes ja or en, not \"" + v + "\"");
      english = v == "en";
    } else if (sw == "--answer") {
      std::string v = value();
      if (v != "ok" && v != "yes" && v != "no" && v != "cancel") Usage("--answer takes ok, yes, no or cancel");
      ho.answer = v;
    } else if (sw.rfind("--", 0) == 0) {
      Usage("unknown switch " + sw + " (see --help)");
    } else {
      commandLine += (commandLine.empty() ? "" : " ") + sw;
    }
  }

  std::vector<host::ScriptedEvent> script;
  if (!inputFile.empty()) {
    std::ifstream in(inputFile);
    if (!in) Usage("cannot read the input script " + inputFile);
    std::stringstream text;
    text << in.rdbuf();
    std::string error;
    if (!host::ParseInputScript(text.str(), &script, &error)) Usage(error);
  }

  // The clock carries on from what the static initialisers read.
  uint32_t now = host::Current().Ticks();
  std::unique_ptr<host::Host> chosen;
  if (headless) {
    auto h = std::make_unique<host::HeadlessHost>(ho, now);
    h->AddScript(script);
    chosen = std::move(h);
  } else {
    if (!headlessOnly.empty()) Usage(headlessOnly + " needs --headless: the window has no use for it");
    auto h = std::make_unique<host::SdlHost>(so, now);
    if (!h->StartError().empty()) {
      std::fprintf(stderr, "radire: %s\n", h->StartError().c_str());
      return 1;
    }
    if (english < 0) english = h->EnglishTexts();
    chosen = std::move(h);
  }
  if (!recordFile.empty() && !replayFile.empty()) Usage("--record and --replay exclude each other");
  if (!replayFile.empty() && !script.empty()) Usage("--replay takes its input from the record, not --input");
  platform::SetEnglishTexts(english == 1);
  EnterDataDirectory();
  // Every game played in the window is kept.
  std::unique_ptr<host::record::Session> session;
  if (!replayFile.empty()) session = host::record::StartReplay(chosen.get(), replayFile, !headless);
  else if (!recordFile.empty() || !headless) session = host::record::StartRecording(chosen.get(), recordFile, seedGiven, seed);
  host::Install(session ? session->host() : chosen.get());
  if (session) platform::PinRandomSeed(session->seed());
  else if (seedGiven) platform::PinRandomSeed(seed);

  static char line[4096];
  std::snprintf(line, sizeof line, "%s", commandLine.c_str());
  int result = WinMain(GetModuleHandleA(nullptr), nullptr, line, SW_SHOWDEFAULT);
  if (session) result = session->Finish(result);
  host::Install(nullptr);
#ifdef __EMSCRIPTEN__
  // In a page, main's return after the browser's frames reaches nobody: the end is told by exit, once the
  // host has let go of the canvas, the keyboard and the audio output.
  session.reset();
  chosen.reset();
  std::exit(result);
#endif
  return result;
}
