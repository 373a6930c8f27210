// The game library: what a game built on it includes. A game provides GameStartUp and GameFrame.
#pragma once
#include <windows.h>

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
};

namespace oxDraw {

extern ScreenState screen;
extern TransitionState transition;
extern WipeState wipe;
extern ScrollPage scrollPage;
extern RECT ClipRect;

int Screen(int width, int height, int memoryMode);
void ReleaseAll();
int LoadObject(const char* name, int memoryMode);
int ClearScreen();
int Flip();
int CaptureScreen(int object, int left, int top, int right, int bottom);
// Makes the GDI surface visible so that a message box can be seen; does nothing before the screen exists.
void ShowGdiSurface();

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
