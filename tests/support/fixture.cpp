#include "fixture.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "kernel/codepage.h"
#include "user/windowing.h"

namespace testing_support {

TempDir::TempDir() {
  char pattern[] = "/tmp/radire-test-XXXXXX";
  path_ = mkdtemp(pattern);
  previous_ = std::filesystem::current_path();
  std::filesystem::current_path(path_);
}

TempDir::~TempDir() {
  std::filesystem::current_path(previous_);
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void HeadlessTest::SetUp() {
  dir_ = std::make_unique<TempDir>();
  host_ = std::make_unique<host::HeadlessHost>(options_);
  host::Install(host_.get());
  platform::ResetWindowing();
}

void HeadlessTest::TearDown() {
  host::Install(nullptr);
  host_.reset();
  dir_.reset();
}

std::vector<std::string> HeadlessTest::LogWith(const std::string& needle) const {
  std::vector<std::string> found;
  for (const std::string& line : host_->LogLines())
    if (line.find(needle) != std::string::npos) found.push_back(line);
  return found;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

RunResult RunProgram(const std::string& arguments, const std::string& program) {
  const char* bin = std::getenv("RADIRE_BIN");
  // A program given with a directory is run from there, a bare name from the build.
  std::string exe = program.find('/') != std::string::npos ? program : std::string(bin ? bin : ".") + "/" + program;
  std::string log = std::filesystem::current_path().string() + "/run.log";
  std::string out = std::filesystem::current_path().string() + "/run.out";
  std::filesystem::remove(log);
  // Without the data files beside it the program works in its data home: the test's own, not the user's,
  // which tests running at the same time would share (zqt.sss, the kept replays).
  std::string home;
  if (!std::getenv("XDG_DATA_HOME"))
    home = "XDG_DATA_HOME='" + std::filesystem::current_path().string() + "/data-home' ";
  // A run that hangs is ended and fails, rather than stalling the suite.
  std::string command =
      home + "timeout -k 10 300 '" + exe + "' --log '" + log + "' " + arguments + " >'" + out + "' 2>&1";
  int status = std::system(command.c_str());
  RunResult r;
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.output = ReadFile(out);
  std::istringstream lines(ReadFile(log));
  for (std::string line; std::getline(lines, line);) r.log.push_back(line);
  return r;
}

std::string Utf8(const char* cp932) { return platform::Cp932ToUtf8(cp932); }

}  // namespace testing_support
