// The real machine: an SDL window (full-screen desktop or windowed), keyboard, mouse, pads and audio.
#pragma once
#include <SDL.h>

#include <ctime>
#include <vector>

#include "../host.h"

namespace host {

struct SdlOptions {
  bool window = false;  // a window even where the program asks for full screen
  int scale = 1;
  bool vsync = true;
};

class SdlHost : public Host {
 public:
  SdlHost(const SdlOptions& options, uint32_t startTick);
  ~SdlHost() override;

  uint32_t Ticks() override;
  int64_t WallClock() override { return int64_t(std::time(nullptr)); }
  bool PollEvent(Event* event) override;
  bool WaitEvent() override;
  int WaitEventFor(int ms) override;
  void OpenWindow(const WindowRequest& request) override;
  void SetTitle(const std::string& title) override;
  void MinimizeWindow() override;
  void CloseWindow() override;
  int DesktopWidth() override;
  int DesktopHeight() override;
  void Present(const uint16_t* pixels, int width, int height, int pitch, bool is555) override;
  bool DisplayIs555() override { return false; }
  bool HasAccelerator() override { return false; }
  void ShowCursor(bool shown) override;
  void SetCursorPos(int x, int y) override;
  void GetCursorPos(int* x, int* y) override;
  void ClipCursor(const int* rect) override;
  int MessageBox(const std::string& caption, const std::string& text, unsigned style) override;
  void Beep(unsigned type) override;
  JoyReading Joystick(int id) override;
  bool OpenAudio(int* sampleRate, AudioCallback callback, void* user) override;
  void LockAudio() override;
  void UnlockAudio() override;
  void Log(const std::string&) override {}
  bool ShouldFail(const char*) override { return false; }

 private:
  bool Translate(const SDL_Event& e, Event* out);
  void OpenPad(int deviceIndex);
  void ClosePad(SDL_JoystickID id);

  SdlOptions options_;
  uint32_t base_;
  uint32_t sdlStart_;
  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  int textureW_ = 0, textureH_ = 0;
  bool texture555_ = false;
  bool fullScreen_ = false;
  SDL_AudioDeviceID audio_ = 0;
  AudioCallback audioCallback_ = nullptr;
  void* audioUser_ = nullptr;
  static void AudioThunk(void* self, Uint8* stream, int len);

  void RefreshPads();

  struct Pad {
    SDL_JoystickID id = -1;
    SDL_GameController* controller = nullptr;
    SDL_Joystick* joystick = nullptr;  // null: the slot is free
  };
  // Joystick n is slot n: a pad takes the lowest free slot when it is connected and keeps it until it
  // is unplugged, so the pads that stay keep their numbers.
  static constexpr int kPadSlots = 16;
  Pad pads_[kPadSlots];
};

}  // namespace host
