// Where files live, value files, system queries, the cursor, key redirect and the font record.
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstring>

#include "ox.h"

#include <winnls32.h>

namespace oxSystem {

namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

// As long as the longest path the system gives.
char pathBuffer[4096];
char directoryName[4096];
char altDirectory[256];
int cursorClipped = 0;
HGLOBAL fontRecord = nullptr;

const char* const kWeekdays[7] = {"日", "月", "火", "水", "木", "金", "土"};

// Appends `text` to the zero-terminated `buffer`, cutting it to fit.
template <size_t N>
void Append(char (&buffer)[N], const char* text) {
  size_t used = std::strlen(buffer);
  std::snprintf(buffer + used, sizeof buffer - used, "%s", text);
}

}  // namespace

char* GetPath(int alt) {
  DWORD n = GetModuleFileNameA(libraryState.instance, pathBuffer, sizeof pathBuffer);
  pathBuffer[n < sizeof pathBuffer ? n : sizeof pathBuffer - 1] = '\0';
  // Cut back to the last separator; a path without one leaves an empty directory, not a read before the buffer.
  size_t end = std::strlen(pathBuffer);
  while (end > 0 && pathBuffer[end - 1] != kSeparator) pathBuffer[--end] = '\0';
  if (alt == 0 || altDirectory[0] == '\0') return pathBuffer;

  // The name of the program's own directory, with its separator.
  if (end >= 2) {
    size_t i = end - 1;
    while (i > 0 && pathBuffer[i - 1] != kSeparator) --i;
    if (i > 0) std::snprintf(directoryName, sizeof directoryName, "%s", pathBuffer + i);
  }
  char sep[2] = {kSeparator, '\0'};
  std::snprintf(pathBuffer, sizeof pathBuffer, "%s", altDirectory);
  Append(pathBuffer, sep);
  Append(pathBuffer, directoryName);
  return pathBuffer;
}

void ReadAltDirectory(const char* file) {
  char buffer[256] = {};
  UINT n = GetWindowsDirectoryA(buffer, sizeof buffer);
  if (n == 0 || n >= sizeof buffer) buffer[0] = '\0';
  // A root directory already ends in its separator.
  size_t used = std::strlen(buffer);
  if (used == 0 || buffer[used - 1] != kSeparator) {
    char sep[2] = {kSeparator, '\0'};
    Append(buffer, sep);
  }
  Append(buffer, file);
  FILE* in = std::fopen(buffer, "rt");
  if (!in) {
    altDirectory[0] = '\0';
    return;
  }
  buffer[0] = '\0';
  if (!std::fgets(buffer, sizeof buffer, in)) buffer[0] = '\0';
  std::fclose(in);
  size_t len = std::strlen(buffer);
  if (len > 0 && buffer[len - 1] == '\n') buffer[--len] = '\0';
  if (len > 0 && buffer[len - 1] == '\r') buffer[--len] = '\0';
  if (len > 0 && buffer[len - 1] == kSeparator) buffer[--len] = '\0';
  std::snprintf(altDirectory, sizeof altDirectory, "%s", buffer);
}

int ScanInt(FILE* file, int* value) {
  int c;
  do c = std::fgetc(file);
  while (c != EOF && std::isspace(c));
  if (c == EOF) return EOF;
  bool negative = false;
  if (c == '+' || c == '-') {
    negative = c == '-';
    c = std::fgetc(file);
  }
  if (c == EOF || !std::isdigit(c)) {
    if (c != EOF) std::ungetc(c, file);
    return 0;
  }
  // Accumulate with saturation: a number too large for an int reads as the nearest int.
  long long magnitude = 0;
  for (; c != EOF && std::isdigit(c); c = std::fgetc(file))
    if (magnitude <= LLONG_MAX / 100) magnitude = magnitude * 10 + (c - '0');
  if (c != EOF) std::ungetc(c, file);
  long long v = negative ? -magnitude : magnitude;
  *value = v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : int(v);
  return 1;
}

static void ValuePath(char (&path)[256], const char* file) {
  std::snprintf(path, sizeof path, "%s", GetPath(1));
  Append(path, file);
}

void WriteValue(const char* file, int value) {
  char path[256];
  ValuePath(path, file);
  if (FILE* out = std::fopen(path, "wt")) {
    std::fprintf(out, "%d", value);
    std::fclose(out);
  }
}

int ReadValue(const char* file) {
  char path[256];
  ValuePath(path, file);
  int value = 0;  // a missing file or one without a number reads as 0
  if (FILE* in = std::fopen(path, "rt")) {
    ScanInt(in, &value);
    std::fclose(in);
  }
  return value;
}

DWORD GetDiskFree(char drive) {
  char root[4] = {drive, ':', '\\', '\0'};
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
  if (!GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters)) return 0;
  return sectorsPerCluster * bytesPerSector * freeClusters;
}

DWORD GetFreeMemory() {
  MEMORYSTATUS status{};
  status.dwLength = sizeof status;
  GlobalMemoryStatus(&status);
  return DWORD(status.dwAvailPhys);
}

void GetDate(int* year, int* month, int* day, char* weekday) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  *year = now.wYear;
  *month = now.wMonth;
  *day = now.wDay;
  std::memcpy(weekday, kWeekdays[now.wDayOfWeek % 7], 3);
}

void GetTime(int* hour, int* minute, int* second) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  *hour = now.wHour;
  *minute = now.wMinute;
  *second = now.wSecond;
}

char* GetCommandLine() { return libraryState.commandLine; }

BOOL SetMousePos(int x, int y) {
  return SetCursorPos(x + libraryState.clientOrigin.x, y + libraryState.clientOrigin.y);
}

BOOL ClipCursorRect(int left, int top, int right, int bottom) {
  RECT r = {left, top, right, bottom};
  BOOL result = ClipCursor(&r);
  cursorClipped = 1;
  return result;
}

BOOL ClipCursorToWindow() {
  int w = oxDraw::screen.width, h = oxDraw::screen.height;
  if (libraryState.fullScreen) return ClipCursorRect(0, 0, w, h);
  int x = libraryState.clientOrigin.x, y = libraryState.clientOrigin.y;
  return ClipCursorRect(x, y, x + w, y + h);
}

BOOL FreeCursor() {
  BOOL result = ClipCursor(nullptr);
  cursorClipped = 0;
  return result;
}

int IsCursorClipped() { return cursorClipped; }

void BeginKeyRedirect() { libraryState.keyRedirect = 1; }

void EndKeyRedirect() {
  libraryState.keyRedirect = 0;
  libraryState.currentKey = 0;
}

int SetWatchKey(int key) {
  libraryState.watchedKey = key;
  libraryState.watchedKeyCount = 0;
  return key;
}

int GetWatchKeyCount() { return libraryState.watchedKeyCount; }

BOOL EnableIme(int enable) { return WINNLSEnableIME(nullptr, enable); }

HGLOBAL AllocFontRecord() {
  fontRecord = GlobalAlloc(GMEM_ZEROINIT, 60);
  return fontRecord;
}

HGLOBAL FreeFontRecord() {
  HGLOBAL result = GlobalFree(fontRecord);
  fontRecord = nullptr;
  return result;
}

LOGFONTA* FontRecord() { return static_cast<LOGFONTA*>(fontRecord); }

}  // namespace oxSystem
