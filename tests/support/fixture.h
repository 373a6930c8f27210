// Shared test ground: a temporary working directory, an in-process headless host, and running the program.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/headless/headless.h"

namespace testing_support {

// Makes and enters a fresh temporary directory; leaves and removes it at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
  std::string previous_;
};

// Installs a fresh headless host for the test and removes it afterwards.
class HeadlessTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  host::HeadlessHost& host() { return *host_; }
  // The log lines that contain `needle`.
  std::vector<std::string> LogWith(const std::string& needle) const;

  std::unique_ptr<TempDir> dir_;
  std::unique_ptr<host::HeadlessHost> host_;
  host::HeadlessOptions options_;
};

struct RunResult {
  int exitCode = -1;
  std::string output;  // stdout and stderr
  std::vector<std::string> log;
};

// Runs build/bin/radire (or `program`, a name in build/bin or a path) with `arguments` in the current directory; the platform log is collected.
RunResult RunProgram(const std::string& arguments, const std::string& program = "radire");

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& text);

// Texts in this file's literals are Shift-JIS; the log speaks UTF-8.
std::string Utf8(const char* cp932);

}  // namespace testing_support
