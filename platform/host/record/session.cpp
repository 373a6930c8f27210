#include "session.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "../../kernel/crt.h"
#include "../headless/headless.h"
#include "format.h"
#include "record.h"
#include "text_language.h"

namespace host::record {

namespace {

constexpr char kBest[] = "best.rec";
constexpr size_t kKept = 10;

namespace fs = std::filesystem;

std::string Here() {
  std::error_code e;
  return fs::current_path(e).string();
}

std::string ProgramDirectory() {
  std::error_code e;
  fs::path exe = fs::read_symlink("/proc/self/exe", e);
  return e ? std::string(".") : exe.parent_path().string();
}

// The best score a high-score file names; -1 when there is none.
long BestScore(bool present, const std::string& bytes) {
  if (!present) return -1;
  char* end = nullptr;
  long v = std::strtol(bytes.c_str(), &end, 10);
  return end == bytes.c_str() ? -1 : v;
}

Header StartHeader(unsigned seed, uint32_t start) {
  Header h;
  h.version = Version();
  h.seed = seed;
  h.startTick = start;
  h.hasHighScore = ReadSmallFile("zqt.sss", &h.highScore);
  h.english = platform::EnglishTexts();
  h.files = FileChecksums(Here(), ProgramDirectory());
  return h;
}

class Recording : public Session {
 public:
  Recording(Host* inner, const std::string& path, bool kept, unsigned seed)
      : inner_(inner), kept_(kept), seed_(seed), path_(path) {
    if (!path.empty()) host_ = std::make_unique<RecordingHost>(inner, path, StartHeader(seed, inner->Ticks()));
    if (host_ && host_->Failed()) host_.reset();
    if (host_) start_ = BestScore(ReadSmallFile("zqt.sss", &startBytes_), startBytes_);
  }
  Host* host() override { return host_ ? static_cast<Host*>(host_.get()) : inner_; }
  unsigned seed() const override { return seed_; }
  int Finish(int result) override {
    if (!host_) return result;
    bool written = host_->Finish("zqt.sss");
    if (!written || !kept_) return result;
    // The game of a new best score stays until a better one.
    std::string bytes;
    long end = BestScore(ReadSmallFile("zqt.sss", &bytes), bytes);
    fs::path dir = fs::path(path_).parent_path();
    std::error_code e;
    if (end > start_ && end > 0) {
      fs::copy_file(path_, dir / "best.rec.tmp", fs::copy_options::overwrite_existing, e);
      if (!e) fs::rename(dir / "best.rec.tmp", dir / kBest, e);
      if (e) std::fprintf(stderr, "radire: cannot keep the best game's record: %s\n", e.message().c_str());
    }
    PruneReplays(dir.string(), kKept);
    return result;
  }

 private:
  Host* inner_;
  bool kept_;
  unsigned seed_;
  std::string path_;
  std::unique_ptr<RecordingHost> host_;
  std::string startBytes_;
  long start_ = -1;
};

// The replay's own directory: the data files as links, the recorded high-score file as a copy.
std::string scratch;
// A trial replay (see ForeignDraws) tells its parent here how it ended, and nobody else.
int trialPipe = -1;

void RemoveScratch() {
  if (scratch.empty()) return;
  std::error_code e;
  fs::remove_all(scratch, e);
  scratch.clear();
}

[[noreturn]] void Leave(const std::string& line, int code) {
  if (trialPipe >= 0) {
    if (write(trialPipe, line.data(), line.size()) < 0) code = 1;
    RemoveScratch();
    _exit(code);
  }
  std::fprintf(stderr, "radire: %s\n", line.c_str());
  std::fflush(nullptr);
  RemoveScratch();
  _exit(code);  // from inside the game's frame: nothing further of it is to run
}

class Replaying : public Session {
 public:
  // `foreignDraws`: for a format 1 record, the numbers the libraries drew where the recorded run opened its
  // audio output.
  Replaying(Host* inner, std::unique_ptr<Record> record, bool watch, int foreignDraws) : record_(std::move(record)) {
    platform::SetEnglishTexts(record_->header.english);  // the texts the game was played with
    ReplayingHost::Options o;
    o.paced = watch;
    o.diverged = [](int frame, const std::string& what) {
      Leave("replay diverged at frame " + std::to_string(frame) + ": " + what, 3);
    };
    o.stopped = [](int frame) { Leave("replay stopped at frame " + std::to_string(frame), 0); };
    if (record_->format == 1) {
      // Such a record was made while the libraries drew on the program's generator. Where it opened its
      // audio output they drew a number the record does not hold; what a watched replay's own device
      // draws is kept apart.
      platform::ShareRandomWithLibraries(true);
      o.openingAudio = [foreignDraws](bool opened) {
        platform::ShareRandomWithLibraries(opened);
        if (opened) platform::DrawRandom(foreignDraws);
      };
    }
    host_ = std::make_unique<ReplayingHost>(inner, *record_, o);
  }
  Host* host() override { return host_.get(); }
  unsigned seed() const override { return record_->header.seed; }
  int Finish(int result) override {
    host_->Finish();
    std::string bytes;
    bool present = ReadSmallFile(scratch + "/zqt.sss", &bytes);
    if (present != record_->hasEndHighScore || (present && bytes != record_->endHighScore))
      Leave("replay diverged at frame " + std::to_string(host_->Presentations()) + ": zqt.sss holds \"" + bytes +
                "\", the record \"" + record_->endHighScore + "\"",
            3);
    if (trialPipe >= 0) Leave("", 0);
    std::printf("replay matched: %d frames, %d checkpoints, zqt.sss \"%s\"\n", host_->Presentations(),
                host_->Checkpoints(), bytes.c_str());
    RemoveScratch();
    return result;
  }

 private:
  std::unique_ptr<Record> record_;
  std::unique_ptr<ReplayingHost> host_;
};

[[noreturn]] void Refuse(const std::string& path, const std::string& why) {
  std::fprintf(stderr, "radire: cannot replay %s: %s\n", path.c_str(), why.c_str());
  std::exit(2);
}

// Makes the scratch directory and enters it; false with errno when it cannot.
bool EnterScratch(const Record& record) {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && tmp[0] == '/' ? tmp : "/tmp") + "/radire-replay-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (!mkdtemp(name.data())) return false;
  scratch = name.data();
  std::error_code e;
  for (const auto& entry : fs::directory_iterator(Here(), e)) {
    std::string file = entry.path().filename().string();
    if (file.size() > 4 && file.substr(file.size() - 4) == ".dat")
      fs::create_symlink(fs::absolute(entry.path()), scratch + "/" + file, e);
  }
  if (record.header.hasHighScore) {
    std::ofstream out(scratch + "/zqt.sss", std::ios::binary);
    out << record.header.highScore;
  }
  return chdir(scratch.c_str()) == 0;
}

// How many numbers the libraries drew where a format 1 record's run opened its audio output: the sound
// server's client draws 12 for the name of each runtime directory it makes, none when it finds one. Each
// count is tried in a replay of its own, forked without a display; the first that plays to the end is the
// one. When none does, the replay diverged where the furthest of them did.
int ForeignDraws(const std::string& path, std::unique_ptr<Record>* record, std::unique_ptr<Session>* trial) {
  static const int kCounts[] = {12, 0, 24, 36, 48};
  std::string furthest;
  int furthestFrame = -1;
  for (int count : kCounts) {
    int ends[2];
    std::fflush(nullptr);
    if (pipe(ends) != 0) Refuse(path, std::string("cannot try the record: ") + std::strerror(errno));
    pid_t pid = fork();
    if (pid < 0) Refuse(path, std::string("cannot try the record: ") + std::strerror(errno));
    if (pid == 0) {
      close(ends[0]);
      trialPipe = ends[1];
      int quiet = open("/dev/null", O_WRONLY);
      dup2(quiet, 1);
      dup2(quiet, 2);
      if (!EnterScratch(**record)) Leave("no scratch directory", 1);
      *trial = std::make_unique<Replaying>(new HeadlessHost(HeadlessOptions{}, (*record)->header.startTick),
                                          std::move(*record), false, count);
      return count;
    }
    close(ends[1]);
    std::string line;
    char buffer[512];
    for (ssize_t n; (n = read(ends[0], buffer, sizeof buffer)) != 0;)
      if (n > 0) line.append(buffer, size_t(n));
      else if (errno != EINTR) break;
    close(ends[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return count;
    int frame = -1;
    if (std::sscanf(line.c_str(), "replay diverged at frame %d", &frame) != 1) frame = -1;
    if (frame > furthestFrame || furthest.empty()) {
      furthestFrame = frame;
      furthest = line.empty() ? "a trial replay ended with status " + std::to_string(status) : line;
    }
  }
  // With every count the game went its own way: the one that came furthest says where.
  if (furthestFrame >= 0) Leave(furthest, 3);
  Refuse(path, "no trial replay of it ran (" + furthest + ")");
}

}  // namespace

std::string ReplayDirectory() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  std::string base;
  if (xdg && xdg[0] == '/') base = xdg;
  else if (const char* home = std::getenv("HOME"); home && home[0] == '/') base = std::string(home) + "/.local/share";
  else return "";
  return base + "/radire/replays";
}

void PruneReplays(const std::string& dir, size_t keep) {
  std::vector<fs::path> records;
  std::error_code e;
  for (const auto& entry : fs::directory_iterator(dir, e))
    if (entry.path().extension() == ".rec" && entry.path().filename() != kBest) records.push_back(entry.path());
  std::sort(records.begin(), records.end());  // named by the time they began
  for (size_t i = 0; i + keep < records.size(); ++i) fs::remove(records[i], e);
}

std::unique_ptr<Session> StartRecording(Host* inner, const std::string& path, bool seedGiven, unsigned seed) {
  // srand takes the calendar time, which does not pass the host: pin the seed so the record holds it.
  if (!seedGiven) seed = unsigned(std::time(nullptr)) & 0x7FFFFFFF;
  if (!path.empty()) return std::make_unique<Recording>(inner, path, false, seed);
  std::string dir = ReplayDirectory();
  std::error_code e;
  if (dir.empty() || (fs::create_directories(dir, e), e)) {
    std::fprintf(stderr, "radire: cannot keep the game's record in %s: %s; the game goes on unrecorded\n",
                 dir.empty() ? "(no home directory)" : dir.c_str(), e ? e.message().c_str() : "");
    return std::make_unique<Recording>(inner, "", true, seed);
  }
  char name[64];
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  std::strftime(name, sizeof name, "%Y%m%d-%H%M%S", &local);
  std::string file = dir + "/" + name + "-" + std::to_string(getpid()) + ".rec";
  return std::make_unique<Recording>(inner, file, true, seed);
}

std::unique_ptr<Session> StartReplay(Host* inner, const std::string& given, bool watch) {
  std::string path = given;
  if (given == "best" || given == "last") {
    std::string dir = ReplayDirectory();
    path = dir + "/" + kBest;
    if (given == "last") {
      std::vector<fs::path> records;
      std::error_code e;
      for (const auto& entry : fs::directory_iterator(dir, e))
        if (entry.path().extension() == ".rec" && entry.path().filename() != kBest) records.push_back(entry.path());
      if (records.empty()) Refuse(given, "no game has been kept in " + dir);
      path = std::max_element(records.begin(), records.end())->string();
    }
  }
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) Refuse(path, "no such file");
  if (st.st_size > (256 << 20)) Refuse(path, "too large to be a record");
  std::string text, error;
  if (!ReadSmallFile(path, &text)) Refuse(path, std::strerror(errno));
  auto record = std::make_unique<Record>();
  if (!ParseRecord(text, record.get(), &error)) Refuse(path, error);
  if (!Fits(*record, FileChecksums(Here(), ProgramDirectory()), &error)) Refuse(path, error);

  int draws = 0;
  if (record->format == 1) {
    std::unique_ptr<Session> trial;
    draws = ForeignDraws(path, &record, &trial);
    if (trial) return trial;  // in the forked trial
  }
  if (!EnterScratch(*record)) {
    int error = errno;
    RemoveScratch();
    Refuse(path, std::string("no scratch directory: ") + std::strerror(error));
  }
  return std::make_unique<Replaying>(inner, std::move(record), watch, draws);
}

}  // namespace host::record
