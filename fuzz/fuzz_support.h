// What every fuzz target stands on: a headless host, the library's window and screen, and the input as a file.
#pragma once
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/headless/headless.h"
#include "ox.h"
#include "user/windowing.h"

namespace fuzz {

// The library as a program has it after its start: window, screen and sound.
inline host::HeadlessHost& StartLibrary() {
  static host::HeadlessHost headless;
  host::Install(&headless);
  platform::ResetWindowing();
  libraryState = LibraryState{};
  libraryState.fullScreen = 0;
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "FUZZ";
  RegisterClassA(&wc);
  libraryState.mainWindow = CreateWindowExA(0, "FUZZ", "fuzz", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr, nullptr, nullptr);
  if (!libraryState.mainWindow || !oxDraw::Screen(640, 480, 1)) std::abort();
  return headless;
}

// The input as a file beside the program, where the loaders look; its name is unique to this process.
inline std::string WriteInput(const uint8_t* data, size_t size, const char* extension) {
  static const std::string name = "fz" + std::to_string(getpid()) + extension;
  std::string path = std::string(oxSystem::GetPath(0)) + name;
  FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) std::abort();
  std::fwrite(data, 1, size, out);
  std::fclose(out);
  return name;
}

}  // namespace fuzz
