#include "session.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>

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

void RemoveScratch() {
  if (scratch.empty()) return;
  std::error_code e;
  fs::remove_all(scratch, e);
  scratch.clear();
}

[[noreturn]] void Leave(const std::string& line, int code) {
  std::fprintf(stderr, "radire: %s\n", line.c_str());
  std::fflush(nullptr);
  RemoveScratch();
  _exit(code);  // from inside the game's frame: nothing further of it is to run
}

class Replaying : public Session {
 public:
  Replaying(Host* inner, std::unique_ptr<Record> record, bool watch) : record_(std::move(record)) {
    platform::SetEnglishTexts(record_->header.english);  // the texts the game was played with
    ReplayingHost::Options o;
    o.paced = watch;
    o.diverged = [](int frame, const std::string& what) {
      Leave("replay diverged at frame " + std::to_string(frame) + ": " + what, 3);
    };
    o.stopped = [](int frame) { Leave("replay stopped at frame " + std::to_string(frame), 0); };
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

  if (!EnterScratch(*record)) {
    int error = errno;
    RemoveScratch();
    Refuse(path, std::string("no scratch directory: ") + std::strerror(error));
  }
  return std::make_unique<Replaying>(inner, std::move(record), watch);
}

}  // namespace host::record
