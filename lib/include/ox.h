// The game library: what a game built on it includes. A game provides GameStartUp and GameFrame.
#pragma once
#include <windows.h>
#include <ddraw.h>

#include <cstdio>

// ---- The application shell ----

struct LibraryState {
  // settings
  int fullScreen = 1;
  int popupWindow = 0;
  int windowOptions = 0;
  int frameSuspend = 0;
  int confineCursor = 0;
  int cursorShown = 1;
  // frame clock
  int blink = 1;
  DWORD blinkDeadline = 0;
  DWORD frameClockBase = 0;
  float FrameTime = 0.0f;
  // run state
  int active = 0;
  int mode = 0;
  int nextMode = 0;
  int previousMode = 0;
  int modeChanged = 0;
  int shutdownState = 0;
  // mouse and keys, written by the window procedure
  POINT clientOrigin = {0, 0};
  int mouseX = 0, mouseY = 0;
  int prevMouseX = 0, prevMouseY = 0;
  int mouseDX = 0, mouseDY = 0;
  int leftDown = 0, rightDown = 0;
  int leftClicked = 0, rightClicked = 0;
  int leftPressed = 0, rightPressed = 0;
  int redirectLeftDown = 0;
  int currentKey = 0;
  int lastKey = 0;
  int scrollKey = 0;
  int redirectKey = 0;
  int shiftToggle = 0;
  int watchedKey = 0;
  int watchedKeyCount = 0;
  int keyRedirect = 0;
  char midiReply[32] = {};
  // the window and the program
  HWND mainWindow = nullptr;
  HINSTANCE instance = nullptr;
  char commandLine[256] = {};
};

extern LibraryState libraryState;

// Provided by the game.
void GameStartUp();
void GameFrame();

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void OnKeyDown(int keyCode);
// One pass of the main loop; returns false once WM_QUIT has been taken.
bool RunLoopPass();

// ---- oxSystem ----

// One joystick's derived state: analog values, ramps and edge states of buttons 1 to 4.
struct JoystickRecord {
  float analogX = 0.0f;
  float analogY = 0.0f;
  float axisRate = 0.0f;
  float ramp[4] = {};
  float buttonRate = 0.0f;
  int edgeState[4] = {};
};

namespace oxSystem {

constexpr DWORD WAIT_IDLE = 999999999;

int Shutdown();
void PollKey(int virtualKey, int* edgeState);

// error report and message boxes
int ErrorMessage(const char* function, const char* message, DWORD code);
int Message(const char* format, ...);
int YesNoMessage(const char* format, ...);
int Beep();

// waits and the frame clock
int SetWait(int n, DWORD ms);
int InitWait(int n);
int CheckWait(int n);
void ResetWaits();
DWORD BusyWait(DWORD ms);
DWORD ResetFrameTime();
DWORD UpdateFrameTime();
// The deadline of wait n (1..11), for those who look at the table.
DWORD WaitDeadline(int n);

// utilities
char* GetPath(int alt);
// Reads one decimal integer as fscanf's "%d" does (1, 0 for no number, EOF at the end), but defined for
// every input: a number too large for an int reads as the nearest int.
int ScanInt(FILE* file, int* value);
void ReadAltDirectory(const char* file);
void WriteValue(const char* file, int value);
int ReadValue(const char* file);
DWORD GetDiskFree(char drive);
DWORD GetFreeMemory();
void GetDate(int* year, int* month, int* day, char* weekday);
void GetTime(int* hour, int* minute, int* second);
char* GetCommandLine();
// The texts are Japanese; a player who chose English reads them from tables of pairs, looked up by the
// Japanese text (which comes back when the table lacks it).
struct TextPair {
  const char* japanese;
  const char* english;
};
bool EnglishTexts();
const char* Localize(const char* japanese, const TextPair* table, size_t count);
// The library's own texts.
const char* Text(const char* japanese);
BOOL SetMousePos(int x, int y);
BOOL ClipCursorRect(int left, int top, int right, int bottom);
BOOL ClipCursorToWindow();
BOOL FreeCursor();
int IsCursorClipped();
void BeginKeyRedirect();
void EndKeyRedirect();
int SetWatchKey(int key);
int GetWatchKeyCount();
BOOL EnableIme(int enable);
HGLOBAL AllocFontRecord();
HGLOBAL FreeFontRecord();
// The font record's block, null when none is allocated.
LOGFONTA* FontRecord();

// joysticks 0 and 1
extern JoystickRecord joysticks[2];
void InitJoystick();
void CalibrateJoystick();
void ResetJoystickRamps();
void SetJoystickRates(int id, float axisRate, float buttonRate);
void GetJoystickCenter(int id, int* cx, int* cy);
int GetJoyButton(int id, int n);
int GetJoyButtonState(int id, int n);
void GetJoyButtons(int id, int* b1, int* b2, int* b3, int* b4);
void GetJoyButtonStates(int id, int* s1, int* s2, int* s3, int* s4);
int GetJoyButtonRamp(int id, int n);
void GetJoyButtonRamps(int id, int* r1, int* r2, int* r3, int* r4);
void GetJoyDirection(int id, int* dx, int* dy);
int GetJoyKeypadDirection(int id);
void GetJoyPosition(int id, int* x, int* y);
void GetJoyAnalog(int id, int* ax, int* ay);

}  // namespace oxSystem

// ---- oxDraw ----

struct TransitionState {
  int kind = 0;
  int step = 0;
  int direction = 0;
  int length = 0;
  int patternObject = 0;
};

struct WipeState {
  int state = 0;
  int closing = 0;
  int kind = 0;
  float speed = 0.0f;
  int band = 0;
  RECT full = {0, 0, 0, 0};
  int opened = 0;
  int closed = 0;
};

struct ScrollPage {
  int shown = 0;
  int pageObject = 0;
  int tileObject = 0;
  int pageHeight = 0;
  float pageOffset = 0.0f;
  float tileX = 0.0f;
  float tileY = 0.0f;
};

struct ScreenState {
  int width = 0;
  int height = 0;
  int colorBits = 16;
  IDirectDraw* ddraw = nullptr;
  IDirectDrawSurface* front = nullptr;
  IDirectDrawSurface* back = nullptr;
  IDirectDrawClipper* clipper = nullptr;
  // On a display that is not 16-bit (a window on a 32-bit desktop): the back surface converted to the
  // display's format, which is what reaches the front surface. Null otherwise.
  IDirectDrawSurface* shown = nullptr;
  int useAccelerator = 0;
  int canStretch = 0;
};

// The back surface's 16-bit pixel format.
struct PixelFormatInfo {
  DWORD redMask = 0, greenMask = 0, blueMask = 0;
  int redShift = 0, greenShift = 0, blueShift = 0;
  int redMax = 0, greenMax = 0, blueMax = 0;
  // The bits that survive a one-bit right shift of a pixel without crossing into the next channel.
  DWORD halfMask = 0;
};

struct ObjectSlot {
  IDirectDrawSurface* surface = nullptr;
  char name[32] = {};  // empty: free; "*": made by CreateObject
  COLORREF colorKey = 0;  // 0xFFFFFFFF: the top-left pixel
};

struct KeySetting {
  COLORREF keyColor = 0;
  int keyTopLeft = 0;
};

// The font block open between oxDraw::SetFont and oxDraw::EndText.
struct TextContext {
  HDC dc = nullptr;
  HFONT font = nullptr;
  HGDIOBJ oldFont = nullptr;
};

struct FpsMeter {
  int frames;
  float fps;
  float maxFps;
  float minFps;
  DWORD sampleAt;
};

// The random skip of a rising filter: every so often a pixel rises unaveraged.
struct RiseState {
  int counter = 0;
  int threshold = 3;
};

// The back surface's DC while the program draws on it with GDI itself.
struct ProgramDC {
  HDC dc = nullptr;
};

namespace oxDraw {

constexpr int kObjectCount = 1024;
constexpr int kSineCount = 450;
constexpr COLORREF kTopLeftKey = 0xFFFFFFFF;

extern ScreenState screen;
extern PixelFormatInfo pixelFormat;
extern int SineTable[kSineCount];
extern ObjectSlot objects[kObjectCount];
extern KeySetting keySetting;
extern TransitionState transition;
extern WipeState wipe;
extern ScrollPage scrollPage;
extern RECT ClipRect;

// the screen
int Screen(int width, int height, int memoryMode);
void SetClip(int left, int top, int right, int bottom);
void ReleaseAll();
void Use32BitColor();
int CheckColorDepth(const char* settingFile);
int GetDesktopBits();
int IsWindowed();
// Derives the masks, shifts, maxima and halfMask from a 16-bit pixel format.
void ReadPixelFormat(const DDPIXELFORMAT& format, PixelFormatInfo* info);
void FillSineTable(int* table);

// objects
int LoadObject(const char* name, int memoryMode);
int CreateObject(int width, int height, int memoryMode);
int SwapObject(const char* name, int object, int memoryMode);
void ReleaseObject(int object);
void SetKeyColor(COLORREF color);
void UseTopLeftKey();
void SetObjectKey(int object, COLORREF color);
void SetObjectKeyTopLeft(int object);
void CopyColorKey(int destination, int source);
void RestoreSurfaces();
IDirectDrawSurface* LoadBitmapSurface(IDirectDraw* ddraw, const char* path, int width, int height, int memoryMode);
HRESULT CopyBitmapToSurface(IDirectDrawSurface* surface, HBITMAP bitmap, int x, int y, int width, int height);
DWORD MatchColor(IDirectDrawSurface* surface, COLORREF color);
HRESULT SetSurfaceKey(IDirectDrawSurface* surface, COLORREF color);

// blits
HRESULT DrawObject(int x, int y, int object, int left, int top, int right, int bottom);
void DrawObjectSolid(int x, int y, int object, int left, int top, int right, int bottom);
int ClearScreen();
int ClearRect(int left, int top, int right, int bottom);
int WhiteScreen();
int WhiteRect(int left, int top, int right, int bottom);
void DrawObjectStretch(int x, int y, int object, int left, int top, int right, int bottom, int width, int height);
void DrawObjectMirror(int x, int y, int flip, int object, int left, int top, int right, int bottom);
void WaveObject(int x, int y, int amplitude, int period, float speed, int object, int left, int top, int right,
                int bottom, int alternate);
void TileScroll(float speedX, float speedY, int object, int left, int top, int right, int bottom);
void WaveScrollObject(int x, int y, float amplitude, float period, float waveSpeed, float scrollSpeed, int object,
                      int left, int top, int right, int bottom);
void WaveTileBackground(float top, float bottom, float amplitude, float period, float waveSpeed, float scrollSpeed,
                        int object, int l, int t, int r, int b);
void MosaicObject(int x, int y, int block, int object, int left, int top, int right, int bottom);
void ScanlineObject(int x, int y, int step, int object, int left, int top, int right, int bottom);
void JitterObject(int x, int y, int range, int object, int left, int top, int right, int bottom);
void RollObject(int x, int y, int direction, float speed, int object, int left, int top, int right, int bottom);

// pixel effects: software blits onto the back surface; a source pixel 0 is transparent
int DrawObjectHalf(int x, int y, int object, int left, int top, int right, int bottom);
int DrawObjectAlpha(int x, int y, float alpha, int object, int left, int top, int right, int bottom);
int DrawObjectAlphaRGB(int x, int y, float alphaRed, float alphaGreen, float alphaBlue, int object, int left,
                       int top, int right, int bottom);
int DrawObjectAdd(int x, int y, int object, int left, int top, int right, int bottom);
int DrawObjectSubtract(int x, int y, int object, int left, int top, int right, int bottom);
int DrawObjectMask(int x, int y, int redOn, int greenOn, int blueOn, int object, int left, int top, int right,
                   int bottom);
int DrawObjectBright(int x, int y, float factor, int object, int left, int top, int right, int bottom);
int DrawObjectBrightRGB(int x, int y, float factorRed, float factorGreen, float factorBlue, int object, int left,
                        int top, int right, int bottom);
int DrawObjectBlur(int x, int y, int size, int object, int left, int top, int right, int bottom);
int DrawObjectGray(int x, int y, int object, int left, int top, int right, int bottom);
int DrawObjectRipple(int x, int y, int amplitude, int frequency, int step, float scale, float shear, int object,
                     int left, int top, int right, int bottom);
int DrawObjectRotateTile(int destLeft, int destTop, int destRight, int destBottom, int angle, int object, int left,
                         int top, int right, int bottom);
int DrawObjectRotateZoom(int destLeft, int destTop, int destRight, int destBottom, int angle, float zoom, int object,
                         int left, int top, int right, int bottom);
int DrawObjectRotateZoomTile(int destLeft, int destTop, int destRight, int destBottom, int angle, float zoom,
                             int object, int left, int top, int right, int bottom);
int DrawObjectFloor(int destLeft, int destTop, int destRight, int destBottom, int angle, float zoomX,
                    float zoomXStep, float zoomY, float zoomYStep, float factorRed, float factorGreen,
                    float factorBlue, int object, int left, int top, int right, int bottom);

// back-surface filters and pixel zoom
extern RiseState smokeState;
extern RiseState fireState;
int SoftenRect(int x, int y, int width, int height);
int FadeRect(int fadeRed, int fadeGreen, int fadeBlue, int x, int y, int width, int height);
int SmokeRect(int x, int y, int width, int height);
int FireRect(int fadeRed, int fadeGreen, int fadeBlue, int x, int y, int width, int height);
int Zoom2(int x, int y, int width, int height, int mode);
int Zoom4(int x, int y, int width, int height, int mode);

// GDI primitives on the back surface
extern ProgramDC programDC;
void SetPixel(int x, int y, COLORREF color);
void GetPixel(int x, int y, int* red, int* green, int* blue);
void Line(int x1, int y1, int x2, int y2, COLORREF color, int width);
void Rectangle(int left, int top, int right, int bottom, COLORREF fill, COLORREF pen, int width);
void Polygon(const POINT* points, int count, COLORREF color, COLORREF background, int width, int fillMode);
void Bezier(const POINT* points, int count, COLORREF color, int width);
void InvertRect(int left, int top, int right, int bottom);
HRESULT GetDC();
HRESULT ReleaseDC();

// presentation and transitions
int Flip();
int CaptureScreen(int object, int left, int top, int right, int bottom);
void StartCover();
void StartReveal();
int LoadFadePattern(const char* name);
void SetScrollPage(const char* pageFile, const char* tileFile, int pageHeight);
void ToggleScrollPage();
int StartWipe(int closing, int kind, float speed, int band);
int StepWipe();
void CloseWipe();
// Brings the GDI surface to the front so that a message box can be seen; nothing before the screen exists.
void ShowGdiSurface();

// text: SetFont opens a block on the back surface, EndText closes it; Printf and PrintText do both.
extern TextContext textContext;
extern RECT TextRect;  // what MeasureText measured
extern char TextBuffer[256];
void SetFont(int face, int height, int angle, int weight, BYTE italic, BYTE underline);
void SetTextColor(COLORREF text, COLORREF background, int transparent);
void TextOut(int x, int y, const char* text);
void DrawText(int left, int top, int right, int bottom, const char* text, int alignment);
int MeasureText(int left, int top, int right, int bottom, const char* text);
void EndText();
void Printf(int x, int y, const char* format, ...);
void PrintText(int x, int y, const char* text);

// the frame-rate meter
extern FpsMeter fpsMeter;
void ShowFps();


// pixel effects
int DrawObjectRotate(int destLeft, int destTop, int destRight, int destBottom, int angle, int object, int left,
                     int top, int right, int bottom);

}  // namespace oxDraw

// ---- oxSound ----

#ifndef DIRECTSOUND_VERSION
#define DIRECTSOUND_VERSION 0x0300
#endif
#include <dsound.h>

namespace oxSound {

constexpr int SOUND_OBJECT_MAX = 70;
constexpr int SOUND_BUFFER_MAX = 10;

// MIDI music: one song at a time under the alias "midi".
struct MidiState {
  int open = 0;  // set by PlayMidi even when its open failed, cleared by StopMidi
  int loop = 1;  // the song restarts at its end
};
extern MidiState midiState;

int InitMidi();
int PlayMidi(const char* file);
void RestartMidi();
void StopMidi();
int CloseMidi();
void SetMidiNoLoop();
// Whether the library considers the music device open (the window procedure asks on MM_MCINOTIFY).
int MidiOpen();

// Wave sound objects.
struct SoundObject {
  int used;
  char name[31];
  int bufferCount;
  int nextBuffer;
  DWORD baseFrequency;
  LPDIRECTSOUNDBUFFER buffer[SOUND_BUFFER_MAX];
  LONG volume[SOUND_BUFFER_MAX];
  DWORD frequency[SOUND_BUFFER_MAX];
  LONG pan[SOUND_BUFFER_MAX];
};

struct SoundState {
  LPDIRECTSOUND directSound = nullptr;
  LPDIRECTSOUNDBUFFER primary = nullptr;
  int available = 0;
  int reloading = 0;
  int reloadPosition = 0;
};
extern SoundState soundState;
extern SoundObject soundObjects[SOUND_OBJECT_MAX];

int Init();
// Empties every entry of the sound table (the screen set-up does this right after Init).
void ClearObjects();
void Release();
void Restore();
int LoadObject(const char* name, int count);
void ReleaseObject(int obj);
void Play(int obj, int sel);
void PlayLoop(int obj, int sel);
void Stop(int obj, int sel);
void Toggle(int obj, int sel);
void ChangeFrequency(int obj, int delta, int sel);
void ResetFrequency(int obj, int sel);
void SetFrequency(int obj, int value, int sel);
void ChangePan(int obj, int delta, int sel);
void ResetPan(int obj, int sel);
void SetPan(int obj, int value, int sel);
void PanLeft(int obj, int sel);
void PanRight(int obj, int sel);
void ChangeVolume(int obj, int delta, int sel);
void ResetVolume(int obj, int sel);
void SetVolume(int obj, int value, int sel);
void PlayWaveFile(const char* file);

}  // namespace oxSound
