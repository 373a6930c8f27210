// The real machine: an SDL window (full-screen desktop or windowed), keyboard, mouse, pads and audio.
#pragma once
#include <SDL.h>

#include <ctime>
#include <string>
#include <vector>

#include "../host.h"
#include "overlay.h"
#include "settings.h"

namespace host {

// What the command line chose; it wins over the player's kept settings.
struct SdlOptions {
  int fullScreen = -1;  // -1: as kept, else as the program asks; 0 a window; 1 full screen
  int scale = 0;        // 0: the kept window size, else the program's size times this
  int smooth = -1;      // -1: as kept; 0 sharp; 1 smooth
  bool vsync = true;
  int frames = 0;       // end the run (WM_CLOSE) after this many presentations; 0: no limit
  std::string logFile;  // the platform's event log, as the headless host writes it
};

class SdlHost : public Host {
 public:
  SdlHost(const SdlOptions& options, uint32_t startTick);
  ~SdlHost() override;

  // Empty when the display opened; else why it did not.
  const std::string& StartError() const { return startError_; }
  // The language the player's settings chose for the game's texts.
  bool EnglishTexts() const { return settings_.english; }

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
  void QueueEmpty() override { pumped_ = true; }
  JoyReading Joystick(int id) override;
  bool OpenAudio(int* sampleRate, AudioCallback callback, void* user) override;
  void LockAudio() override;
  void UnlockAudio() override;
  void Log(const std::string& line) override;
  bool ShouldFail(const char*) override { return false; }

 private:
  bool Translate(const SDL_Event& e, Event* out);
  bool TranslateKey(const SDL_KeyboardEvent& key, Event* out);
  // Full screen and back, as Alt+Enter and F11 ask; the game's clock does not see the time it takes.
  void SwitchFullScreen();
  void EnterFullScreen();
  void SaveSettings();
  // The host's own keys, which the game never sees: pause (as a loss of focus, so that a record holds it),
  // the music's volume, screenshots.
  bool TogglePause(Event* out);
  void ChangeMusic(SDL_Keycode key);
  void SaveScreenshot();
  // A line at the bottom of the window for a second.
  void ShowNote(const std::string& text);
  void ExpireNote();
  // Waits for an event at most `ms` (-1: for as long as it takes), taking a note down when its time is up:
  // 1 when one is pending, 0 when the time ran out, -1 on failure.
  int Wait(int ms);
  // The frame on screen again, dimmed under "PAUSE" when paused, with the note over it.
  void Draw();
  void OpenPad(int deviceIndex);
  void ClosePad(SDL_JoystickID id);

  SdlOptions options_;
  std::string startError_;
  Settings settings_;
  std::string settingsFile_;
  bool settingsChanged_ = false;
  KeyMap keys_;
  // Keys held, each with the virtual key it plays, so that two keys playing one are released once.
  std::vector<std::pair<SDL_Keycode, int>> held_;
  std::vector<SDL_Keycode> swallowed_;  // the host's own keys, whose release the game must not see either
  int windowW_ = 640, windowH_ = 480;
  uint32_t base_;
  uint32_t sdlStart_;
  uint32_t switchingMs_ = 0;
  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  int textureW_ = 0, textureH_ = 0;
  bool texture555_ = false;
  // The frame on screen, so that an unchanged one is neither uploaded nor drawn again.
  std::vector<uint16_t> shown_;
  // SDL's events were pumped since the last frame, when the queue was found empty: a pad read in this frame
  // needs no pump of its own.
  bool pumped_ = false;
  bool redraw_ = true;  // the window lost its picture (exposed, resized) and must be drawn anew
  // Without a present nothing waits for the display: an unchanged frame waits until its vertical sync
  // would have come, so the loop keeps its pace.
  uint64_t nextSync_ = 0;
  void WaitForSync(bool presented);
  bool fullScreen_ = false;
  int presentations_ = 0;
  bool frameLimitReached_ = false;  // the close it asks for is still to be taken
  bool focused_ = true;
  bool hidden_ = false;      // the page is not shown (another tab, a minimized browser)
  bool closeTaken_ = false;  // the page's request to end has been passed on
  bool paused_ = false;
  OverlayText words_;
  SDL_Texture* pauseWords_ = nullptr;
  SDL_Texture* note_ = nullptr;
  int pauseW_ = 0, pauseH_ = 0, noteW_ = 0, noteH_ = 0;
  uint32_t noteUntil_ = 0;  // SDL's ticks
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
