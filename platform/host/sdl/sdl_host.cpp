#include "sdl_host.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "../../kernel/codepage.h"
#include "../headless/headless.h"
#include "../mixer.h"
#include "text_language.h"
#ifdef __EMSCRIPTEN__
#include "web.h"
#endif

namespace host {

namespace {

int VirtualKey(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
  if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
  if (key >= SDLK_F1 && key <= SDLK_F12) return 0x70 + (key - SDLK_F1);
  if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return 0x61 + (key - SDLK_KP_1);
  switch (key) {
    case SDLK_RETURN: case SDLK_KP_ENTER: return 0x0D;
    case SDLK_ESCAPE: return 0x1B;
    case SDLK_SPACE: return 0x20;
    case SDLK_BACKSPACE: return 0x08;
    case SDLK_TAB: return 0x09;
    case SDLK_LEFT: return 0x25;
    case SDLK_UP: return 0x26;
    case SDLK_RIGHT: return 0x27;
    case SDLK_DOWN: return 0x28;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return 0x10;
    case SDLK_LCTRL: case SDLK_RCTRL: return 0x11;
    case SDLK_LALT: case SDLK_RALT: return 0x12;
    case SDLK_PAUSE: return 0x13;
    case SDLK_PAGEUP: return 0x21;
    case SDLK_PAGEDOWN: return 0x22;
    case SDLK_END: return 0x23;
    case SDLK_HOME: return 0x24;
    case SDLK_INSERT: return 0x2D;
    case SDLK_DELETE: return 0x2E;
    case SDLK_KP_0: return 0x60;
    default: return 0;
  }
}

}  // namespace

SdlHost::SdlHost(const SdlOptions& options, uint32_t startTick) : options_(options), base_(startTick) {
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  // Face buttons by position, whatever their labels say, so button 1 is the bottom one on every pad.
  SDL_SetHint(SDL_HINT_GAMECONTROLLER_USE_BUTTON_LABELS, "0");
#ifdef __EMSCRIPTEN__
  // The canvas's own 2-D drawing keeps the browser's frame rate where WebGL (on a software GL) falls short.
  SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
  const std::string at = "the page's canvas";
#else
  const char* x = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  const bool hasX = x && *x, hasWayland = wayland && *wayland;
  const std::string at = hasX ? x : hasWayland ? wayland : "";
  if (!std::getenv("SDL_VIDEODRIVER")) {
    // Only the servers named; else SDL would try the others (and their libraries speak) or choose an
    // invisible driver of its own.
    if (!hasX && !hasWayland)
      startError_ = "no display could be opened: DISPLAY is not set (--headless runs without one)";
    SDL_SetHint(SDL_HINT_VIDEODRIVER, hasX && hasWayland ? "x11,wayland" : hasWayland ? "wayland" : "x11");
  }
#endif
  if (startError_.empty() && SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0)
    startError_ = "no display could be opened at " + at + ": " + SDL_GetError();
  if (!startError_.empty()) return;
  SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER | SDL_INIT_JOYSTICK);
  sdlStart_ = SDL_GetTicks();
  std::string dir = ConfigDirectory();
  if (!dir.empty()) {
    std::string warning;
    settingsFile_ = dir + "/settings";
    settings_ = ReadSettings(settingsFile_, &warning);
    if (!warning.empty()) std::fprintf(stderr, "radire: %s\n", warning.c_str());
    warning.clear();
    keys_.Load(dir + "/keys", &warning);
    if (!warning.empty()) std::fprintf(stderr, "radire: %s\n", warning.c_str());
  }
  if (options_.smooth >= 0) settings_.smooth = options_.smooth;
  if (!options_.logFile.empty()) std::ofstream(options_.logFile, std::ios::trunc);
  platform::SetMusicVolume(settings_.mute ? 0 : settings_.music);
  // Pads already connected are announced only by events the message loop has not taken yet, and the
  // joystick set-up comes before it: open them now.
  RefreshPads();
}

SdlHost::~SdlHost() {
  if (audio_) SDL_CloseAudioDevice(audio_);
  platform::SetMusicVolume(100);
  for (Pad& p : pads_) ClosePad(p.id);
  CloseWindow();
  SDL_Quit();
}

uint32_t SdlHost::Ticks() { return base_ + (SDL_GetTicks() - sdlStart_ - switchingMs_); }

bool SdlHost::Translate(const SDL_Event& e, Event* out) {
  switch (e.type) {
    case SDL_QUIT:
      *out = Event{EventType::Close};
      return true;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      return TranslateKey(e.key, out);
    case SDL_MOUSEMOTION:
      *out = Event{EventType::MouseMove};
      out->x = e.motion.x;
      out->y = e.motion.y;
      return true;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      if (e.button.button != SDL_BUTTON_LEFT && e.button.button != SDL_BUTTON_RIGHT) return false;
      *out = Event{e.type == SDL_MOUSEBUTTONDOWN ? EventType::ButtonDown : EventType::ButtonUp,
                   e.button.button == SDL_BUTTON_RIGHT};
      out->flag = e.type == SDL_MOUSEBUTTONDOWN && e.button.clicks == 2;
      return true;
    case SDL_WINDOWEVENT:
      switch (e.window.event) {
        case SDL_WINDOWEVENT_FOCUS_GAINED:
          focused_ = true;
          *out = Event{EventType::Activate, paused_ || hidden_ ? 0 : 1};
          return true;
        case SDL_WINDOWEVENT_FOCUS_LOST:
          focused_ = false;
          *out = Event{EventType::Activate, 0};
          return true;
        case SDL_WINDOWEVENT_MOVED:
          // The program's primary surface is its own picture, not the desktop: were the window's place on
          // the desktop its client origin, the game would blit off the surface and show nothing (as under
          // any window manager, which places the window).
          return false;
        case SDL_WINDOWEVENT_CLOSE: *out = Event{EventType::Close}; return true;
#ifdef __EMSCRIPTEN__
        // A hidden page stops as a window that lost the focus does.
        case SDL_WINDOWEVENT_HIDDEN:
          hidden_ = true;
          *out = Event{EventType::Activate, 0};
          return true;
        case SDL_WINDOWEVENT_SHOWN:
          redraw_ = true;
          if (!hidden_) return false;
          hidden_ = false;
          *out = Event{EventType::Activate, focused_ && !paused_ ? 1 : 0};
          return true;
#else
        case SDL_WINDOWEVENT_SHOWN:
#endif
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_RESTORED:
          redraw_ = true;
          return false;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
          redraw_ = true;
          // The player's own window size is kept; full screen's is the display's.
          if (!fullScreen_ && !(SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN) &&
              (e.window.data1 != windowW_ || e.window.data2 != windowH_)) {
            windowW_ = e.window.data1;
            windowH_ = e.window.data2;
            settingsChanged_ = true;
          }
          return false;
        default: return false;
      }
    case SDL_CONTROLLERDEVICEADDED:
      OpenPad(e.cdevice.which);
      return false;
    case SDL_JOYDEVICEADDED:
      if (!SDL_IsGameController(e.jdevice.which)) OpenPad(e.jdevice.which);
      return false;
    case SDL_JOYDEVICEREMOVED:
      ClosePad(e.jdevice.which);
      return false;
    // A pad's Start (button 8) pauses; a plain joystick's eighth button counts as its Start.
    case SDL_CONTROLLERBUTTONDOWN:
      return e.cbutton.button == SDL_CONTROLLER_BUTTON_START && TogglePause(out);
    case SDL_JOYBUTTONDOWN:
      if (e.jbutton.button != 7) return false;
      for (const Pad& p : pads_)
        if (p.joystick && p.id == e.jbutton.which && !p.controller) return TogglePause(out);
      return false;
    default:
      return false;
  }
}

bool SdlHost::TranslateKey(const SDL_KeyboardEvent& key, Event* out) {
  SDL_Keycode sym = key.keysym.sym;
  bool down = key.type == SDL_KEYDOWN;
  auto swallowed = std::find(swallowed_.begin(), swallowed_.end(), sym);
  if (!down && swallowed != swallowed_.end()) {
    swallowed_.erase(swallowed);
    return false;
  }
  bool enter = sym == SDLK_RETURN || sym == SDLK_KP_ENTER;
  if (down && (sym == SDLK_F11 || (enter && (key.keysym.mod & KMOD_ALT)))) {
    if (swallowed == swallowed_.end()) swallowed_.push_back(sym);
    if (!key.repeat) SwitchFullScreen();
    return false;
  }
  // The host's keys, unless the key file gave them to the game.
  const bool hostKey = sym == SDLK_PAUSE || sym == SDLK_p || sym == SDLK_F7 || sym == SDLK_F8 || sym == SDLK_F9 ||
                       sym == SDLK_F12;
  if (down && hostKey && keys_.Map(sym) == sym) {
    if (swallowed == swallowed_.end()) swallowed_.push_back(sym);
    if (sym == SDLK_F7 || sym == SDLK_F8) ChangeMusic(sym);
    if (key.repeat) return false;
    if (sym == SDLK_F9) ChangeMusic(sym);
    if (sym == SDLK_F12) SaveScreenshot();
    return (sym == SDLK_PAUSE || sym == SDLK_p) && TogglePause(out);
  }
  // Paused, the game takes no new key; a key let go reaches it, so that none stays held.
  if (down && paused_) return false;
  int vk = VirtualKey(keys_.Map(sym));
  if (!vk) return false;
  auto mine = std::find_if(held_.begin(), held_.end(), [&](const auto& h) { return h.first == sym; });
  auto others = [&] {
    return std::count_if(held_.begin(), held_.end(), [&](const auto& h) { return h.second == vk && h.first != sym; });
  };
  if (down) {
    if (mine == held_.end()) {
      if (others()) return false;  // already down through another key
      held_.emplace_back(sym, vk);
    }
  } else {
    if (mine != held_.end()) held_.erase(mine);
    if (others()) return false;  // still held through another key
  }
  *out = Event{down ? EventType::KeyDown : EventType::KeyUp, vk};
  out->flag = (key.keysym.mod & KMOD_ALT) != 0 || vk == 0x12;
  return true;
}

void SdlHost::EnterFullScreen() {
  // Placed over the whole display first: without a window manager nobody else makes it so.
  int display = std::max(0, SDL_GetWindowDisplayIndex(window_));
  SDL_Rect bounds;
  if (SDL_GetDisplayBounds(display, &bounds) == 0) {
    SDL_SetWindowSize(window_, bounds.w, bounds.h);
    SDL_SetWindowPosition(window_, bounds.x, bounds.y);
  }
  SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
  fullScreen_ = true;
}

void SdlHost::SwitchFullScreen() {
  if (!window_) return;
#ifdef __EMSCRIPTEN__
  // The page's element goes full screen; the canvas keeps its 640 x 480 pixels.
  web::SwitchFullScreen();
  return;
#endif
  uint32_t start = SDL_GetTicks();
  if (fullScreen_) {
    SDL_SetWindowFullscreen(window_, 0);
    fullScreen_ = false;
    SDL_SetWindowSize(window_, windowW_, windowH_);
    SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
  } else {
    EnterFullScreen();
  }
  settingsChanged_ = true;
  Draw();  // the last frame again, in its new place
  switchingMs_ += SDL_GetTicks() - start;
}

bool SdlHost::TogglePause(Event* out) {
  paused_ = !paused_;
  Draw();
  // What losing the focus does: the game stops, and its frame clock starts afresh when it goes on.
  *out = Event{EventType::Activate, focused_ && !paused_ ? 1 : 0};
  return true;
}

void SdlHost::ChangeMusic(SDL_Keycode key) {
  if (key == SDLK_F9) settings_.mute = !settings_.mute;
  else if (settings_.mute) settings_.mute = false;
  else settings_.music = std::clamp(settings_.music + (key == SDLK_F8 ? 10 : -10), 0, 100);
  platform::SetMusicVolume(settings_.mute ? 0 : settings_.music);
  ShowNote(settings_.mute ? "Music muted" : "Music " + std::to_string(settings_.music) + " %");
  settingsChanged_ = true;
  SaveSettings();
}

void SdlHost::SaveScreenshot() {
  if (shown_.empty()) return;
  std::string dir;
  const char* pictures = std::getenv("XDG_PICTURES_DIR");
  const char* home = std::getenv("HOME");
  if (pictures && pictures[0] == '/') dir = pictures;
  else if (home && home[0] == '/') dir = std::string(home) + "/Pictures";
  auto failed = [&](const std::string& what, int error) {
    std::fprintf(stderr, "radire: cannot save a screenshot in %s: %s\n", what.c_str(), std::strerror(error));
    ShowNote("Screenshot not saved");
  };
  if (dir.empty()) return failed("~/Pictures (HOME is not set)", ENOENT);
  dir += "/radire";
  for (size_t at = 1; at != std::string::npos; at = dir.find('/', at + 1)) mkdir(dir.substr(0, at).c_str(), 0755);
  struct stat st;
  if (mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST) return failed(dir, errno);
  if (stat(dir.c_str(), &st) != 0) return failed(dir, errno);
  if (!S_ISDIR(st.st_mode)) return failed(dir, ENOTDIR);
  char stamp[64];
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  std::strftime(stamp, sizeof stamp, "radire-%Y-%m-%d-%H%M%S", &local);
  std::string name = std::string(stamp) + ".png";
  for (int n = 2; access((dir + "/" + name).c_str(), F_OK) == 0; ++n)
    name = std::string(stamp) + "-" + std::to_string(n) + ".png";
  std::vector<uint8_t> rgb;
  FrameToRgb(shown_.data(), textureW_, textureH_, textureW_ * 2, texture555_, &rgb);
  // Written under another name first, so that a picture under its own name is always whole.
  const std::string part = dir + "/." + name + ".part";
  errno = 0;
  if (!WritePng(part, rgb, textureW_, textureH_) || std::rename(part.c_str(), (dir + "/" + name).c_str()) != 0) {
    int error = errno ? errno : EIO;
    std::remove(part.c_str());
    return failed(dir, error);
  }
  ShowNote(name);
}

void SdlHost::ShowNote(const std::string& text) {
  if (note_) SDL_DestroyTexture(note_);
  note_ = words_.Render(renderer_, text, 16, &noteW_, &noteH_);
  noteUntil_ = SDL_GetTicks() + 1000;
  if (!noteUntil_) noteUntil_ = 1;
  Draw();
}

void SdlHost::ExpireNote() {
  if (!noteUntil_ || !SDL_TICKS_PASSED(SDL_GetTicks(), noteUntil_)) return;
  noteUntil_ = 0;
  if (note_) SDL_DestroyTexture(note_);
  note_ = nullptr;
  Draw();
}

void SdlHost::Draw() {
  if (!renderer_) return;
  redraw_ = false;
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
  SDL_RenderClear(renderer_);
  if (texture_ && !shown_.empty()) SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
  int w = 0, h = 0;
  SDL_RenderGetLogicalSize(renderer_, &w, &h);
  if (!w || !h) w = 640, h = 480;
  SDL_SetRenderDrawBlendMode(renderer_, SDL_BLENDMODE_BLEND);
  if (paused_) {
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 144);
    SDL_RenderFillRect(renderer_, nullptr);
    if (!pauseWords_) pauseWords_ = words_.Render(renderer_, "PAUSE", 64, &pauseW_, &pauseH_);
    SDL_Rect at{(w - pauseW_) / 2, (h - pauseH_) / 2, pauseW_, pauseH_};
    if (pauseWords_) SDL_RenderCopy(renderer_, pauseWords_, nullptr, &at);
  }
  if (noteUntil_) {
    SDL_Rect band{0, h - 24, w, 24};
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 176);
    SDL_RenderFillRect(renderer_, &band);
    SDL_Rect at{8, h - 12 - noteH_ / 2, noteW_, noteH_};
    if (note_) SDL_RenderCopy(renderer_, note_, nullptr, &at);
  }
  SDL_SetRenderDrawBlendMode(renderer_, SDL_BLENDMODE_NONE);
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
  SDL_RenderPresent(renderer_);
}

void SdlHost::SaveSettings() {
  if (!settingsChanged_ || settingsFile_.empty()) return;
  settingsChanged_ = false;
  settings_.fullScreen = fullScreen_;
  settings_.windowWidth = windowW_;
  settings_.windowHeight = windowH_;
  if (!WriteSettings(settingsFile_, settings_))
    std::fprintf(stderr, "radire: cannot write %s: %s\n", settingsFile_.c_str(), std::strerror(errno));
}

bool SdlHost::PollEvent(Event* event) {
#ifdef __EMSCRIPTEN__
  if (!closeTaken_ && web::CloseAsked()) {
    closeTaken_ = true;
    *event = Event{EventType::Close};
    return true;
  }
#endif
  if (frameLimitReached_) {
    frameLimitReached_ = false;
    *event = Event{EventType::Close};
    return true;
  }
  SDL_Event e;
  while (SDL_PollEvent(&e))
    if (Translate(e, event)) return true;
  return false;
}

bool SdlHost::WaitEvent() { return Wait(-1) > 0; }

int SdlHost::WaitEventFor(int ms) { return std::max(0, Wait(ms)); }

int SdlHost::Wait(int ms) {
  if (frameLimitReached_) return 1;  // PollEvent has the close
  const uint32_t start = SDL_GetTicks();
  for (;;) {
    int slice = ms < 0 ? -1 : std::max(0, ms - int(SDL_GetTicks() - start));
#ifdef __EMSCRIPTEN__
    // The page's requests come by no event: look now and then.
    if (!closeTaken_ && web::CloseAsked()) return 1;
    slice = slice < 0 ? 100 : std::min(slice, 100);
#endif
    if (noteUntil_) {
      int toNote = std::max(1, int(noteUntil_ - SDL_GetTicks()));
      slice = slice < 0 ? toNote : std::min(slice, toNote);
    }
    SDL_Event e;
    if (slice < 0 ? SDL_WaitEvent(&e) : SDL_WaitEventTimeout(&e, slice)) {
      SDL_PushEvent(&e);  // PollEvent takes it
      return 1;
    }
    if (slice < 0) return -1;
    ExpireNote();
    if (ms >= 0 && int(SDL_GetTicks() - start) >= ms) return 0;
  }
}

void SdlHost::OpenWindow(const WindowRequest& request) {
  if (window_) return;
  bool full = options_.fullScreen >= 0 ? options_.fullScreen
              : settings_.fullScreen >= 0 ? settings_.fullScreen
                                          : request.fullScreen;
  windowW_ = request.clientWidth * std::max(1, options_.scale);
  windowH_ = request.clientHeight * std::max(1, options_.scale);
  if (!options_.scale && settings_.windowWidth > 0) {
    windowW_ = settings_.windowWidth;
    windowH_ = settings_.windowHeight;
  }
#ifdef __EMSCRIPTEN__
  // The canvas keeps the picture's own size; the page scales it (and only a key or click may take the screen).
  full = false;
  windowW_ = request.clientWidth;
  windowH_ = request.clientHeight;
  Uint32 flags = SDL_WINDOW_SHOWN;
#else
  Uint32 flags = SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE | (request.minimized ? SDL_WINDOW_MINIMIZED : 0);
#endif
  SDL_Rect place{int(SDL_WINDOWPOS_CENTERED), int(SDL_WINDOWPOS_CENTERED), windowW_, windowH_};
  if (full) SDL_GetDisplayBounds(0, &place);
  window_ = SDL_CreateWindow(request.title.c_str(), place.x, place.y, place.w, place.h, flags);
  if (!window_) {
    std::fprintf(stderr, "radire: no window could be opened: %s\n", SDL_GetError());
    std::exit(1);
  }
  SDL_SetWindowMinimumSize(window_, request.clientWidth / 4, request.clientHeight / 4);
  if (full) EnterFullScreen();
  renderer_ = SDL_CreateRenderer(window_, -1, options_.vsync ? SDL_RENDERER_PRESENTVSYNC : 0);
  if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
  if (renderer_) {
    // 4:3 kept, black bars; sharp means the largest whole factor that fits.
    SDL_RenderSetLogicalSize(renderer_, request.clientWidth, request.clientHeight);
    SDL_RenderSetIntegerScale(renderer_, settings_.smooth ? SDL_FALSE : SDL_TRUE);
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderPresent(renderer_);
  }
  SDL_StopTextInput();
}

void SdlHost::SetTitle(const std::string& title) {
  if (window_) SDL_SetWindowTitle(window_, title.c_str());
}

void SdlHost::MinimizeWindow() {
  if (window_) SDL_MinimizeWindow(window_);
}

void SdlHost::CloseWindow() {
  SaveSettings();
  if (pauseWords_) SDL_DestroyTexture(pauseWords_);
  if (note_) SDL_DestroyTexture(note_);
  pauseWords_ = note_ = nullptr;
  noteUntil_ = 0;
  if (texture_) SDL_DestroyTexture(texture_);
  if (renderer_) SDL_DestroyRenderer(renderer_);
  if (window_) SDL_DestroyWindow(window_);
  texture_ = nullptr;
  renderer_ = nullptr;
  window_ = nullptr;
}

int SdlHost::DesktopWidth() {
  SDL_DisplayMode mode;
  return SDL_GetDesktopDisplayMode(0, &mode) == 0 ? mode.w : 640;
}

int SdlHost::DesktopHeight() {
  SDL_DisplayMode mode;
  return SDL_GetDesktopDisplayMode(0, &mode) == 0 ? mode.h : 480;
}

void SdlHost::Present(const uint16_t* pixels, int width, int height, int pitch, bool is555) {
  pumped_ = false;
  if (++presentations_ == options_.frames) {
    Log("frame limit reached");
    frameLimitReached_ = true;
  }
  if (!renderer_) return;
  if (noteUntil_ && SDL_TICKS_PASSED(SDL_GetTicks(), noteUntil_)) {
    ExpireNote();
    redraw_ = true;
  }
  if (!texture_ || textureW_ != width || textureH_ != height || texture555_ != is555) {
    if (texture_) SDL_DestroyTexture(texture_);
    texture_ = SDL_CreateTexture(renderer_, is555 ? SDL_PIXELFORMAT_RGB555 : SDL_PIXELFORMAT_RGB565,
                                 SDL_TEXTUREACCESS_STREAMING, width, height);
    if (texture_) SDL_SetTextureScaleMode(texture_, settings_.smooth ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
    textureW_ = width;
    textureH_ = height;
    texture555_ = is555;
    shown_.clear();
  }
  // Most frames of the quieter screens repeat the last one; uploading and drawing it again is most of
  // what a frame costs here (a software GL draws it on the processor).
  const size_t row = size_t(width) * 2;
  if (texture_ && pixels && !redraw_ && shown_.size() == size_t(width) * height) {
    bool same = true;
    for (int y = 0; y < height && same; ++y)
      same = std::memcmp(&shown_[size_t(y) * width], reinterpret_cast<const uint8_t*>(pixels) + size_t(y) * pitch,
                         row) == 0;
    if (same) {
      WaitForSync(false);
      return;
    }
  }
  if (texture_ && pixels) {
    shown_.resize(size_t(width) * height);
    for (int y = 0; y < height; ++y)
      std::memcpy(&shown_[size_t(y) * width], reinterpret_cast<const uint8_t*>(pixels) + size_t(y) * pitch, row);
    SDL_UpdateTexture(texture_, nullptr, shown_.data(), int(row));
  }
  Draw();
  WaitForSync(true);
}

void SdlHost::WaitForSync(bool presented) {
#ifdef __EMSCRIPTEN__
  // The browser paces the frames (and its display's rate is the game's).
  (void)presented;
  web::NextFrame();
  return;
#endif
  if (!options_.vsync) {
    // Nothing paces an unchanged frame then: a millisecond keeps the loop from polling the display flat out.
    if (!presented) SDL_Delay(1);
    return;
  }
  const uint64_t now = SDL_GetPerformanceCounter(), second = SDL_GetPerformanceFrequency();
  SDL_DisplayMode mode;
  int display = window_ ? std::max(0, SDL_GetWindowDisplayIndex(window_)) : 0;
  int hz = SDL_GetCurrentDisplayMode(display, &mode) == 0 && mode.refresh_rate > 0 ? mode.refresh_rate : 60;
  const uint64_t period = second / uint64_t(hz);
  // After a real present the display set the pace (or, late, the frame did): the next sync is one period on.
  if (presented || now > nextSync_ + period) {
    nextSync_ = now + period;
    return;
  }
  if (now < nextSync_) SDL_Delay(uint32_t((nextSync_ - now) * 1000 / second));
  nextSync_ += period;
}

void SdlHost::Log(const std::string& line) {
  if (options_.logFile.empty()) return;
  std::ofstream(options_.logFile, std::ios::app) << presentations_ << " " << line << "\n";
}

void SdlHost::ShowCursor(bool shown) { SDL_ShowCursor(shown ? SDL_ENABLE : SDL_DISABLE); }

void SdlHost::SetCursorPos(int x, int y) {
  if (!window_) return;
  int wx, wy;
  SDL_GetWindowPosition(window_, &wx, &wy);
  SDL_WarpMouseInWindow(window_, x - wx, y - wy);
}

void SdlHost::GetCursorPos(int* x, int* y) { SDL_GetGlobalMouseState(x, y); }

void SdlHost::ClipCursor(const int* rect) {
  if (!window_) return;
  if (!rect) {
    SDL_SetWindowGrab(window_, SDL_FALSE);
    return;
  }
  SDL_SetWindowGrab(window_, SDL_TRUE);
}

int SdlHost::MessageBox(const std::string& caption, const std::string& text, unsigned style) {
  unsigned buttons = style & 0xF;
  SDL_MessageBoxButtonData data[3];
  int count = 0;
  auto add = [&](int id, const char* label, Uint32 flags) { data[count++] = {flags, id, label}; };
  const Uint32 ret = SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, esc = SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
  // The sources' texts are CP932 at run time; SDL takes UTF-8.
  const bool en = platform::EnglishTexts();
  const std::string cancel = platform::Cp932ToUtf8(en ? "Cancel" : "キャンセル");
  const std::string yes = platform::Cp932ToUtf8(en ? "Yes" : "はい");
  const std::string no = platform::Cp932ToUtf8(en ? "No" : "いいえ");
  switch (buttons) {
    case 1: add(1, "OK", ret); add(2, cancel.c_str(), esc); break;
    case 3: add(6, yes.c_str(), ret); add(7, no.c_str(), 0); add(2, cancel.c_str(), esc); break;
    case 4: add(6, yes.c_str(), ret); add(7, no.c_str(), esc); break;
    default: add(1, "OK", ret | esc); break;
  }
  unsigned icon = style & 0xF0;
  SDL_MessageBoxData box{};
  box.flags = icon == 0x10 ? SDL_MESSAGEBOX_ERROR : icon == 0x40 ? SDL_MESSAGEBOX_INFORMATION : SDL_MESSAGEBOX_WARNING;
  box.window = window_ && !fullScreen_ ? window_ : nullptr;
  box.title = caption.c_str();
  box.message = text.c_str();
  box.numbuttons = count;
  box.buttons = data;
  // A full-screen window would hide the box: step out of full screen while it is shown.
  if (window_ && fullScreen_) SDL_SetWindowFullscreen(window_, 0);
  int pressed = -1;
  if (SDL_ShowMessageBox(&box, &pressed) != 0) pressed = -1;
  if (window_ && fullScreen_) SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
  if (pressed < 0) pressed = buttons == 4 ? 7 : buttons == 0 ? 1 : 2;  // closed as Escape would
  return pressed;
}

// The tone itself is mixed by the platform (user/beep.cpp), as every other sound is.
void SdlHost::Beep(unsigned) {}

void SdlHost::OpenPad(int deviceIndex) {
  SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
  if (id < 0) return;
  Pad* free = nullptr;
  for (Pad& p : pads_) {
    if (p.joystick && p.id == id) return;
    if (!p.joystick && !free) free = &p;
  }
  if (!free) return;
  Pad pad;
  pad.id = id;
  if (SDL_IsGameController(deviceIndex)) pad.controller = SDL_GameControllerOpen(deviceIndex);
  if (pad.controller) pad.joystick = SDL_GameControllerGetJoystick(pad.controller);
  else pad.joystick = SDL_JoystickOpen(deviceIndex);
  if (pad.joystick) *free = pad;
}

void SdlHost::ClosePad(SDL_JoystickID id) {
  for (Pad& p : pads_) {
    if (!p.joystick || p.id != id) continue;
    if (p.controller) SDL_GameControllerClose(p.controller);
    else SDL_JoystickClose(p.joystick);
    p = Pad{};
    return;
  }
}

// Pads come and go between frames; the device events may still wait in the queue, so look directly.
void SdlHost::RefreshPads() {
  for (Pad& p : pads_)
    if (p.joystick && !SDL_JoystickGetAttached(p.joystick)) ClosePad(p.id);
  int open = 0;
  for (const Pad& p : pads_) open += p.joystick != nullptr;
  int devices = SDL_NumJoysticks();
  if (devices == open) return;
  for (int i = 0; i < devices; ++i) OpenPad(i);
}

JoyReading SdlHost::Joystick(int id) {
  JoyReading r;
  if (id < 0 || id >= kPadSlots) return r;
  if (!pumped_) SDL_PumpEvents();
  RefreshPads();
  const Pad& p = pads_[id];
  if (!p.joystick) return r;
  r.connected = true;
  auto axis = [](int v) { return uint32_t(std::clamp(v + 32768, 0, 65535)); };
  if (p.controller) {
    SDL_GameController* c = p.controller;
    int x = SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTX);
    int y = SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTY);
    // The d-pad reads as full deflection.
    if (SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_LEFT)) x = -32768;
    if (SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_RIGHT)) x = 32767;
    if (SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_UP)) y = -32768;
    if (SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_DOWN)) y = 32767;
    r.x = axis(x) == 32768 ? 32767 : axis(x);
    r.y = axis(y) == 32768 ? 32767 : axis(y);
    static const SDL_GameControllerButton order[] = {
        SDL_CONTROLLER_BUTTON_A,     SDL_CONTROLLER_BUTTON_B,          SDL_CONTROLLER_BUTTON_X,
        SDL_CONTROLLER_BUTTON_Y,     SDL_CONTROLLER_BUTTON_LEFTSHOULDER, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER,
        SDL_CONTROLLER_BUTTON_BACK,  SDL_CONTROLLER_BUTTON_START,      SDL_CONTROLLER_BUTTON_LEFTSTICK,
        SDL_CONTROLLER_BUTTON_RIGHTSTICK};
    for (size_t i = 0; i < sizeof order / sizeof order[0]; ++i)
      if (SDL_GameControllerGetButton(c, order[i])) r.buttons |= 1u << i;
    r.buttonCount = sizeof order / sizeof order[0];
  } else {
    SDL_Joystick* j = p.joystick;
    int x = SDL_JoystickNumAxes(j) > 0 ? SDL_JoystickGetAxis(j, 0) : 0;
    int y = SDL_JoystickNumAxes(j) > 1 ? SDL_JoystickGetAxis(j, 1) : 0;
    if (SDL_JoystickNumHats(j) > 0) {
      Uint8 hat = SDL_JoystickGetHat(j, 0);
      if (hat & SDL_HAT_LEFT) x = -32768;
      if (hat & SDL_HAT_RIGHT) x = 32767;
      if (hat & SDL_HAT_UP) y = -32768;
      if (hat & SDL_HAT_DOWN) y = 32767;
    }
    r.x = axis(x) == 32768 ? 32767 : axis(x);
    r.y = axis(y) == 32768 ? 32767 : axis(y);
    int n = std::min(SDL_JoystickNumButtons(j), 32);
    for (int i = 0; i < n; ++i)
      if (SDL_JoystickGetButton(j, i)) r.buttons |= 1u << i;
    r.buttonCount = unsigned(n);
  }
  return r;
}

void SdlHost::AudioThunk(void* self, Uint8* stream, int len) {
  SdlHost* host = static_cast<SdlHost*>(self);
  int frames = len / 4;
  if (host->audioCallback_) host->audioCallback_(reinterpret_cast<int16_t*>(stream), frames, host->audioUser_);
  else std::memset(stream, 0, len);
}

bool SdlHost::OpenAudio(int* sampleRate, AudioCallback callback, void* user) {
  if (audio_) return false;
  auto silent = [] {
    std::fprintf(stderr, "radire: no audio device (%s); the game runs without sound\n", SDL_GetError());
    return false;
  };
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return silent();
  SDL_AudioSpec want{}, have{};
  want.freq = 44100;
  want.format = AUDIO_S16SYS;
  want.channels = 2;
  want.samples = 1024;
  want.callback = &SdlHost::AudioThunk;
  want.userdata = this;
  audioCallback_ = callback;
  audioUser_ = user;
  audio_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
  if (!audio_) return silent();
  *sampleRate = have.freq;
  SDL_PauseAudioDevice(audio_, 0);
  return true;
}

void SdlHost::LockAudio() {
  if (audio_) SDL_LockAudioDevice(audio_);
}

void SdlHost::UnlockAudio() {
  if (audio_) SDL_UnlockAudioDevice(audio_);
}

}  // namespace host
