// What the fuzz targets stand on, set up once per process: a headless host that keeps no log, and a
// directory in memory where the loaders that only take a file name find the input.
#pragma once
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/headless/headless.h"
#include "kernel/module.h"

namespace fuzz {

// Millions of inputs would each leave a line in the headless host's log.
class QuietHost : public host::HeadlessHost {
 public:
  void Log(const std::string&) override {}
};

inline host::HeadlessHost& Host() {
  static QuietHost quiet;
  static bool installed = (host::Install(&quiet), true);
  (void)installed;
  return quiet;
}

namespace detail {
inline std::string& Directory() {
  static std::string dir;
  return dir;
}
inline void RemoveDirectory(const std::string& dir) {
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d))
      if (e->d_name[0] != '.') unlink((dir + "/" + e->d_name).c_str());
    closedir(d);
  }
  rmdir(dir.c_str());
}
// A crash or a signal ends a run without its exit handlers: the directories of processes gone go now.
inline void RemoveAbandoned(const std::string& base) {
  DIR* d = opendir(base.c_str());
  if (!d) return;
  while (dirent* e = readdir(d)) {
    int pid = 0, end = 0;
    if (std::sscanf(e->d_name, "radire-fuzz-%d%n", &pid, &end) == 1 && e->d_name[end] == '\0' && pid > 0 &&
        kill(pid, 0) != 0 && errno == ESRCH)
      RemoveDirectory(base + "/" + e->d_name);
  }
  closedir(d);
}
}  // namespace detail

// This process's directory on tmpfs (/dev/shm), with its separator; removed at exit. The program is said to
// live there, so that what looks beside the program looks in memory, not on disk.
inline const std::string& MemoryDirectory() {
  std::string& dir = detail::Directory();
  if (dir.empty()) {
    std::string base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    detail::RemoveAbandoned(base);
    std::string name = base + "/radire-fuzz-" + std::to_string(getpid());
    if (mkdir(name.c_str(), 0700) != 0 && errno != EEXIST) std::abort();
    dir = name + "/";
    std::atexit([] { detail::RemoveDirectory(detail::Directory()); });
    platform::SetProgramPath(dir + "radire");
  }
  return dir;
}

// The input as a file in the memory directory, rewritten in place for each input through one descriptor.
class InputFile {
 public:
  explicit InputFile(const char* name) : name_(name), path_(MemoryDirectory() + name) {
    fd_ = open(path_.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd_ < 0) std::abort();
  }
  void Write(const uint8_t* data, size_t size) {
    for (size_t done = 0; done < size;) {
      ssize_t n = pwrite(fd_, data + done, size - done, off_t(done));
      if (n <= 0) std::abort();
      done += size_t(n);
    }
    if (ftruncate(fd_, off_t(size)) != 0) std::abort();
  }
  const std::string& name() const { return name_; }
  const std::string& path() const { return path_; }

 private:
  std::string name_, path_;
  int fd_ = -1;
};

}  // namespace fuzz
