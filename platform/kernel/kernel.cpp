// KERNEL: the tick count, the module path, system queries, global memory blocks and resources.
#include <fcntl.h>
#include <sys/statvfs.h>
#include <sys/sysinfo.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "../host/host.h"
#include "codepage.h"
#include "module.h"
#include "resources.h"
#include "windows.h"

namespace {

DWORD lastError = 0;
std::string programPath;  // empty: the executable's own

bool Fails(const char* function) { return host::Current().ShouldFail(function); }

bool SyncPath(const std::string& path, int flags) {
  int fd = open(path.c_str(), flags | O_CLOEXEC);
  if (fd < 0) return false;
  bool synced = fsync(fd) == 0;
  close(fd);
  return synced;
}

// Copies `text` into a Windows-style buffer: cut to fit, always terminated; returns the length copied.
DWORD CopyOut(const std::string& text, LPSTR buffer, DWORD size) {
  if (!buffer || size == 0) return 0;
  DWORD n = std::min<DWORD>(DWORD(text.size()), size - 1);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  return n;
}

struct ResourceTable {
  std::vector<platform::EmbeddedResource> entries;
};

ResourceTable& Resources() {
  static ResourceTable table;
  return table;
}

std::string Upper(const char* s) {
  std::string out(s);
  for (char& c : out) c = char(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

struct GlobalBlock {
  size_t size;
  UINT flags;
  alignas(std::max_align_t) unsigned char data[1];
};

}  // namespace

namespace platform {

void SetProgramPath(const std::string& path) { programPath = path; }

bool RegisterResources(const EmbeddedResource* resources, size_t count) {
  Resources().entries.insert(Resources().entries.end(), resources, resources + count);
  return true;
}

}  // namespace platform

extern "C" {

DWORD WINAPI GetTickCount(void) { return host::Current().Ticks(); }

void WINAPI Sleep(DWORD milliseconds) { usleep(useconds_t(milliseconds) * 1000); }

DWORD WINAPI GetLastError(void) { return lastError; }

void WINAPI SetLastError(DWORD code) { lastError = code; }

HMODULE WINAPI GetModuleHandleA(LPCSTR) {
  static int module;
  return reinterpret_cast<HMODULE>(&module);
}

DWORD WINAPI GetModuleFileNameA(HMODULE, LPSTR fileName, DWORD size) {
  char path[4096];
  ssize_t n = programPath.empty() ? readlink("/proc/self/exe", path, sizeof path - 1)
                                  : ssize_t(std::min(programPath.size(), sizeof path - 1));
  if (n < 0 || Fails("GetModuleFileNameA")) {
    lastError = ERROR_FILE_NOT_FOUND;
    return 0;
  }
  if (!programPath.empty()) std::memcpy(path, programPath.data(), size_t(n));
  path[n] = '\0';
  std::string ansi = platform::Utf8ToCp932(path);
  DWORD copied = CopyOut(ansi, fileName, size);
  // As on Windows: a path that does not fit is cut, and the call says so.
  if (ansi.size() >= size) lastError = ERROR_INSUFFICIENT_BUFFER;
  return copied;
}

UINT WINAPI GetWindowsDirectoryA(LPSTR buffer, UINT size) {
  // The user's configuration directory stands for the Windows directory.
  std::string dir;
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && *xdg == '/') dir = xdg;
  else if (const char* home = std::getenv("HOME")) dir = std::string(home) + "/.config";
  else dir = "/tmp";
  std::string ansi = platform::Utf8ToCp932(dir);
  if (ansi.size() >= size) return UINT(ansi.size() + 1);  // the size needed, as Windows answers
  return CopyOut(ansi, buffer, size);
}

BOOL WINAPI GetDiskFreeSpaceA(LPCSTR rootPath, LPDWORD sectorsPerCluster, LPDWORD bytesPerSector,
                              LPDWORD freeClusters, LPDWORD totalClusters) {
  // Every drive letter stands for the file system the program lives on.
  if (!rootPath || std::strlen(rootPath) < 3 || rootPath[1] != ':' || Fails("GetDiskFreeSpaceA")) {
    lastError = ERROR_INVALID_PARAMETER;
    return FALSE;
  }
  struct statvfs fs;
  if (statvfs("/", &fs) != 0) return FALSE;
  const unsigned long long clusterBytes = 4096;
  unsigned long long freeBytes = (unsigned long long)fs.f_bavail * fs.f_frsize;
  unsigned long long totalBytes = (unsigned long long)fs.f_blocks * fs.f_frsize;
  if (sectorsPerCluster) *sectorsPerCluster = 8;
  if (bytesPerSector) *bytesPerSector = 512;
  if (freeClusters) *freeClusters = DWORD(std::min<unsigned long long>(freeBytes / clusterBytes, 0xFFFFFFFFull));
  if (totalClusters) *totalClusters = DWORD(std::min<unsigned long long>(totalBytes / clusterBytes, 0xFFFFFFFFull));
  return TRUE;
}

void WINAPI GlobalMemoryStatus(LPMEMORYSTATUS status) {
  struct sysinfo info;
  std::memset(status, 0, sizeof *status);
  status->dwLength = sizeof *status;
  if (sysinfo(&info) != 0) return;
  auto cap = [](unsigned long long v) { return DWORD(std::min<unsigned long long>(v, 0xFFFFFFFFull)); };
  unsigned long long unit = info.mem_unit;
  status->dwTotalPhys = cap(info.totalram * unit);
  status->dwAvailPhys = cap((info.freeram + info.bufferram) * unit);
  status->dwTotalPageFile = cap((info.totalram + info.totalswap) * unit);
  status->dwAvailPageFile = cap((info.freeram + info.freeswap) * unit);
  status->dwTotalVirtual = 0x7FFE0000;
  status->dwAvailVirtual = 0x7FFE0000;
  status->dwMemoryLoad = info.totalram ? DWORD(100 - (info.freeram + info.bufferram) * 100 / info.totalram) : 0;
}

void WINAPI GetLocalTime(LPSYSTEMTIME out) {
  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  time_t seconds = time_t(host::Current().WallClock());
  if (seconds != now.tv_sec) now.tv_nsec = 0;
  struct tm local;
  localtime_r(&seconds, &local);
  out->wYear = WORD(local.tm_year + 1900);
  out->wMonth = WORD(local.tm_mon + 1);
  out->wDayOfWeek = WORD(local.tm_wday);
  out->wDay = WORD(local.tm_mday);
  out->wHour = WORD(local.tm_hour);
  out->wMinute = WORD(local.tm_min);
  out->wSecond = WORD(local.tm_sec);
  out->wMilliseconds = WORD(now.tv_nsec / 1000000);
}

HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes) {
  if (Fails("GlobalAlloc")) {
    lastError = ERROR_NOT_ENOUGH_MEMORY;
    return nullptr;
  }
  void* raw = (flags & GMEM_ZEROINIT) ? std::calloc(1, sizeof(GlobalBlock) + bytes) : std::malloc(sizeof(GlobalBlock) + bytes);
  if (!raw) return nullptr;
  GlobalBlock* block = static_cast<GlobalBlock*>(raw);
  block->size = bytes;
  block->flags = flags;
  // A fixed block's handle is its address.
  return block->data;
}

static GlobalBlock* BlockOf(HGLOBAL memory) {
  return reinterpret_cast<GlobalBlock*>(static_cast<unsigned char*>(memory) - offsetof(GlobalBlock, data));
}

HGLOBAL WINAPI GlobalFree(HGLOBAL memory) {
  if (memory) std::free(BlockOf(memory));
  return nullptr;
}

LPVOID WINAPI GlobalLock(HGLOBAL memory) { return memory; }

BOOL WINAPI GlobalUnlock(HGLOBAL) { return FALSE; }

HRSRC WINAPI FindResourceA(HMODULE, LPCSTR name, LPCSTR type) {
  if (!name || !type || Fails("FindResourceA")) {
    lastError = ERROR_RESOURCE_NAME_NOT_FOUND;
    return nullptr;
  }
  bool namedType = !IS_INTRESOURCE(type);
  std::string typeName = namedType ? Upper(type) : "";
  int typeId = namedType ? 0 : int(reinterpret_cast<ULONG_PTR>(type));
  if (IS_INTRESOURCE(name)) return nullptr;  // the program names its resources
  std::string wanted = Upper(name);
  for (auto& r : Resources().entries) {
    bool typeMatches = namedType ? (r.type == 0 && typeName == r.typeName) : r.type == typeId;
    if (typeMatches && wanted == r.name) return reinterpret_cast<HRSRC>(&r);
  }
  lastError = ERROR_RESOURCE_NAME_NOT_FOUND;
  return nullptr;
}

HGLOBAL WINAPI LoadResource(HMODULE, HRSRC resource) {
  if (!resource) return nullptr;
  return const_cast<unsigned char*>(reinterpret_cast<platform::EmbeddedResource*>(resource)->data);
}

LPVOID WINAPI LockResource(HGLOBAL data) { return data; }

DWORD WINAPI SizeofResource(HMODULE, HRSRC resource) {
  return resource ? DWORD(reinterpret_cast<platform::EmbeddedResource*>(resource)->size) : 0;
}

BOOL WINAPI MoveFileExA(LPCSTR existingName, LPCSTR newName, DWORD flags) {
  if (!existingName || !newName || Fails("MoveFileExA")) {
    lastError = ERROR_ACCESS_DENIED;
    return FALSE;
  }
  std::string from = platform::Cp932ToUtf8(existingName), to = platform::Cp932ToUtf8(newName);
  if (!(flags & MOVEFILE_REPLACE_EXISTING) && access(to.c_str(), F_OK) == 0) {
    lastError = ERROR_ALREADY_EXISTS;
    return FALSE;
  }
  // Written through, the file's content is on the disk before its new name is, and the name after it:
  // a power cut then leaves the old file or the whole new one, never an empty one.
  bool through = flags & MOVEFILE_WRITE_THROUGH;
  if (through && !SyncPath(from, O_RDONLY)) {
    lastError = errno == ENOENT ? ERROR_FILE_NOT_FOUND : ERROR_ACCESS_DENIED;
    return FALSE;
  }
  // rename replaces the target in one step, as the replacing move does.
  if (std::rename(from.c_str(), to.c_str()) != 0) {
    lastError = errno == ENOENT ? ERROR_FILE_NOT_FOUND : ERROR_ACCESS_DENIED;
    return FALSE;
  }
  if (through) {
    size_t slash = to.rfind('/');
    std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : to.substr(0, slash);
    if (!SyncPath(dir, O_RDONLY | O_DIRECTORY)) {
      lastError = ERROR_ACCESS_DENIED;
      return FALSE;
    }
  }
  return TRUE;
}

}  // extern "C"

namespace platform {

namespace {
bool englishTexts = false;
}

bool EnglishTexts() { return englishTexts; }
void SetEnglishTexts(bool english) { englishTexts = english; }

}  // namespace platform
