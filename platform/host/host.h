// What lies under the Windows components: the clock, input events, the display, cursor, message boxes,
// beeps, joysticks and audio output. Two hosts implement it: sdl/ (the real machine) and headless/ (tests).
// Texts crossing this interface are UTF-8.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace host {

// The tick count every host starts from, so that readings taken before a host exists carry on smoothly.
constexpr uint32_t kStartTick = 1000000;

enum class EventType {
  KeyDown,     // code: virtual key; flag: 1 when Alt is held (arrives as a system key)
  KeyUp,       // code: virtual key; flag as for KeyDown
  MouseMove,   // x, y in client coordinates of the 640 x 480 picture
  ButtonDown,  // code: 0 left, 1 right; flag: 1 for a double click
  ButtonUp,    // code: 0 left, 1 right
  Activate,    // code: 1 gained focus, 0 lost it
  Moved,       // x, y: the client area's new screen position
  Close,       // the user asked to close the window
};

struct Event {
  EventType type;
  int code = 0;
  int flag = 0;
  int x = 0;
  int y = 0;
};

// A pad's reading in joystick units: axes 0..65535 with rest at 32767, buttons as a bit mask.
struct JoyReading {
  bool connected = false;
  uint32_t x = 32767;
  uint32_t y = 32767;
  uint32_t buttons = 0;
  uint32_t buttonCount = 0;
};

// Fills `frames` stereo frames of interleaved 16-bit samples; called on the audio thread.
using AudioCallback = void (*)(int16_t* out, int frames, void* user);

struct WindowRequest {
  std::string title;
  int clientWidth = 640;
  int clientHeight = 480;
  bool fullScreen = true;  // the exclusive full-screen mode
  bool minimized = false;
};

// Every platform function that --fail can make fail.
inline constexpr const char* kFailableFunctions[] = {
    "CreateClipper", "CreateCompatibleDC", "CreateSurface", "CreateWindowExA", "DirectDrawCreate",
    "DirectSoundCreate", "FcFontMatch", "FindResourceA", "GetAttachedSurface", "GetDC", "GetDiskFreeSpaceA",
    "GetModuleFileNameA", "GetPixelFormat", "GlobalAlloc", "IDirectDrawSurface::GetDC",
    "IDirectSound::CreateSoundBuffer", "IDirectSoundBuffer::Lock", "LoadImageA", "MessageBoxA", "MoveFileExA",
    "RegisterClassA", "SetClipper", "SetCooperativeLevel", "SetDisplayMode", "SetHWnd", "joyGetPosEx",
    "mmioOpenA",
};

class Host {
 public:
  virtual ~Host() = default;

  virtual uint32_t Ticks() = 0;
  // The calendar time in seconds since 1970, for the local time.
  virtual int64_t WallClock() = 0;
  // Takes the next input event, if any.
  virtual bool PollEvent(Event* event) = 0;
  // Blocks until an input event is pending. Returns false when none can ever come.
  virtual bool WaitEvent() = 0;
  // Waits at most `ms` for an input event: 1 when one is pending, 0 when the time ran out, -1 when none
  // can ever come. A host without a real wait of its own just waits.
  virtual int WaitEventFor(int ms) {
    (void)ms;
    return WaitEvent() ? 1 : -1;
  }

  virtual void OpenWindow(const WindowRequest& request) = 0;
  virtual void SetTitle(const std::string& title) = 0;
  virtual void MinimizeWindow() = 0;
  virtual void CloseWindow() = 0;
  virtual int DesktopWidth() = 0;
  virtual int DesktopHeight() = 0;

  // Shows one 16-bit frame (5-6-5, or 5-5-5 when `is555`); `pitch` is in bytes.
  virtual void Present(const uint16_t* pixels, int width, int height, int pitch, bool is555) = 0;
  // The pixels from `begin` to `end` are about to change, or to go, outside a presentation: a host that
  // kept presented rows there without copying them copies them now.
  virtual void PixelsChanging(const void* begin, const void* end) { (void)begin, (void)end; }
  // The message queue was found empty, so a frame runs next. Until the program presents frames itself,
  // the headless host counts these as its presentations.
  virtual void QueueEmpty() {}
  // The pixel format the display offers: true for 5-5-5.
  virtual bool DisplayIs555() = 0;
  // Whether a secondary 3-D device is offered.
  virtual bool HasAccelerator() = 0;
  // Bits per pixel of the desktop, as GDI reports it for a window's DC.
  virtual int DesktopBits() { return 32; }
  // Whether the display's surfaces were taken away (a mode change or task switch); cleared once seen.
  virtual bool SurfacesLost() const { return false; }
  virtual void SetSurfacesLost(bool) {}

  virtual void ShowCursor(bool shown) = 0;
  virtual void SetCursorPos(int x, int y) = 0;
  virtual void GetCursorPos(int* x, int* y) = 0;
  virtual void ClipCursor(const int* rect) = 0;  // left, top, right, bottom, or null to free it

  // Answers IDOK, IDYES, IDNO ... as MessageBoxA does.
  virtual int MessageBox(const std::string& caption, const std::string& text, unsigned style) = 0;
  virtual void Beep(unsigned type) = 0;

  virtual JoyReading Joystick(int id) = 0;

  // Opens the audio output; returns false when there is none (everything still runs, silently).
  virtual bool OpenAudio(int* sampleRate, AudioCallback callback, void* user) = 0;
  virtual void LockAudio() = 0;
  virtual void UnlockAudio() = 0;
  // True when the output is pulled by its owner (tests) rather than by a device of its own.
  virtual bool AudioPulled() { return false; }

  // The platform's event log (headless only; the SDL host drops it).
  virtual void Log(const std::string& line) = 0;
  // Fault injection: true when this call of the named platform function is to fail (one of the names below).
  virtual bool ShouldFail(const char* function) = 0;
};

// A decoded picture: 0x00RRGGBB pixels, top row first.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
};
// Decodes a Windows BMP file held in memory (SDL's loader). Refuses what is not a readable BMP, and
// pictures larger than kMaxPictureSide on a side or kMaxPicturePixels in all.
constexpr int kMaxPictureSide = 16384;
constexpr int64_t kMaxPicturePixels = 16 * 1024 * 1024;
bool DecodeBmp(const void* data, size_t size, Picture* picture);

// The host in use; before one is chosen, a headless host with default settings answers.
Host& Current();
void Install(Host* host);

// Whether a host was explicitly chosen.
bool Installed();
// Counts the installations, so that what holds on to a host can tell a new one from the old.
unsigned Generation();

}  // namespace host
