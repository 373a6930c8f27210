// Joysticks 0 and 1 through the multimedia joystick interface. Every query reads the joystick once, at the
// moment it is asked, and derives its answer from that reading alone.
#include <cstdint>

#include "ox.h"

#include <mmsystem.h>

// mingw's headers lack this declaration; the function is in winmm all the same.
extern "C" MMRESULT WINAPI joyConfigChanged(DWORD dwFlags);

namespace oxSystem {

JoystickRecord joysticks[2];

namespace {

constexpr int kJoysticks = 2;
constexpr DWORD kCalibrateFlags = JOY_RETURNALL | JOY_USEDEADZONE;
constexpr DWORD kPositionFlags = JOY_RETURNX | JOY_RETURNY | JOY_USEDEADZONE;
constexpr DWORD kButtonFlags = JOY_RETURNBUTTONS;
static_assert(kCalibrateFlags == 0x8FF && kPositionFlags == 0x803 && kButtonFlags == 0x80);
static_assert(sizeof(JOYINFOEX) == 52);

// The one request record every query shares.
JOYINFOEX request;

int centreX[kJoysticks];
int centreY[kJoysticks];
// False for a joystick that set-up could not read. Its centre then comes from its first position reading:
// with the centre left at 0, a pad plugged in later would steer right and down by itself.
bool centred[kJoysticks];

bool Valid(int id) { return id >= 0 && id < kJoysticks; }

bool Read(int id, DWORD flags) {
  request.dwSize = sizeof request;
  request.dwFlags = flags;
  if (joyGetPosEx(UINT(id), &request) != JOYERR_NOERROR) return false;
  if (!centred[id] && (flags & JOY_RETURNX) && (flags & JOY_RETURNY)) {
    centreX[id] = int(request.dwXpos);
    centreY[id] = int(request.dwYpos);
    centred[id] = true;
  }
  return true;
}

void Put(int* out, int value) {
  if (out) *out = value;
}

// -1 low (left, up), 0 middle, 1 high (right, down). Wide arithmetic, so no centre can overflow.
int Classify(int position, int centre) {
  int64_t p = position, half = centre / 2;
  if (p <= half) return -1;
  if (p >= int64_t(centre) + half) return 1;
  return 0;
}

bool Suppressed() {
  return oxDraw::transition.step != 0 || oxDraw::scrollPage.shown || libraryState.keyRedirect == 1;
}

// The keyboard poll's state machine: a press right after a release (state 2) continues as held.
int NextEdgeState(int stored, bool down) {
  int next = down ? (stored == 0 ? 1 : 3) : ((stored == 1 || stored == 3) ? 2 : 0);
  return Suppressed() ? 0 : next;
}

float NextRamp(float ramp, bool down, float rate) {
  if (!down) return 0.0f;
  ramp += libraryState.FrameTime * rate;
  if (!(ramp < 100.0f)) ramp = 100.0f;
  return ramp;
}

float NextAnalog(float v, int direction, float rate) {
  float t = libraryState.FrameTime;
  if (direction != 0) {
    v = float(direction) * rate * t + v;
    if (!(v < 100.0f)) v = 100.0f;
    if (v <= -100.0f) v = -100.0f;
    return v;
  }
  if (v > 0.0f) {
    v -= t * rate;
    if (v < 0.0f) v = 0.0f;
  }
  if (v < 0.0f) {
    v += t * rate;
    if (v > 0.0f) v = 0.0f;
  }
  return v;
}

bool Down(int n) { return (request.dwButtons >> (n - 1)) & 1u; }

}  // namespace

void InitJoystick() {
  joyConfigChanged(0);
  CalibrateJoystick();
  for (JoystickRecord& record : joysticks) record = JoystickRecord{};
}

void CalibrateJoystick() {
  for (int id = 0; id < kJoysticks; ++id) {
    request.dwSize = sizeof request;
    request.dwFlags = kCalibrateFlags;
    centred[id] = joyGetPosEx(UINT(id), &request) == JOYERR_NOERROR;
    centreX[id] = centred[id] ? int(request.dwXpos) : 0;
    centreY[id] = centred[id] ? int(request.dwYpos) : 0;
  }
}

void ResetJoystickRamps() {
  for (JoystickRecord& record : joysticks) {
    record.analogX = record.analogY = 0.0f;
    for (float& ramp : record.ramp) ramp = 0.0f;
  }
}

void SetJoystickRates(int id, float axisRate, float buttonRate) {
  if (!Valid(id)) return;
  joysticks[id].axisRate = axisRate;
  joysticks[id].buttonRate = buttonRate;
}

void GetJoystickCenter(int id, int* cx, int* cy) {
  Put(cx, Valid(id) ? centreX[id] : 0);
  Put(cy, Valid(id) ? centreY[id] : 0);
}

int GetJoyButton(int id, int n) {
  if (!Valid(id) || n < 1 || n > 32 || !Read(id, kButtonFlags)) return 0;
  return Down(n);
}

int GetJoyButtonState(int id, int n) {
  if (!Valid(id) || n < 1 || n > 4 || !Read(id, kButtonFlags)) return 0;
  int& state = joysticks[id].edgeState[n - 1];
  state = NextEdgeState(state, Down(n));
  return state;
}

void GetJoyButtonStates(int id, int* s1, int* s2, int* s3, int* s4) {
  int* out[4] = {s1, s2, s3, s4};
  bool read = Valid(id) && Read(id, kButtonFlags);
  for (int k = 0; k < 4; ++k) {
    if (!read) {
      Put(out[k], 0);
      continue;
    }
    int& state = joysticks[id].edgeState[k];
    state = NextEdgeState(state, Down(k + 1));
    Put(out[k], state);
  }
}

void GetJoyButtons(int id, int* b1, int* b2, int* b3, int* b4) {
  int* out[4] = {b1, b2, b3, b4};
  bool read = Valid(id) && Read(id, kButtonFlags);
  for (int k = 0; k < 4; ++k) Put(out[k], read ? Down(k + 1) : 0);
}

int GetJoyButtonRamp(int id, int n) {
  if (!Valid(id) || n < 1 || n > 4) return 0;
  JoystickRecord& record = joysticks[id];
  float& ramp = record.ramp[n - 1];
  ramp = NextRamp(ramp, GetJoyButton(id, n) == 1, record.buttonRate);
  return int(ramp);
}

void GetJoyButtonRamps(int id, int* r1, int* r2, int* r3, int* r4) {
  int* out[4] = {r1, r2, r3, r4};
  bool read = Valid(id) && Read(id, kButtonFlags);
  for (int k = 0; k < 4; ++k) {
    if (!read) {
      Put(out[k], 0);
      continue;
    }
    JoystickRecord& record = joysticks[id];
    record.ramp[k] = NextRamp(record.ramp[k], Down(k + 1), record.buttonRate);
    Put(out[k], int(record.ramp[k]));
  }
}

void GetJoyDirection(int id, int* dx, int* dy) {
  bool read = Valid(id) && Read(id, kPositionFlags);
  Put(dx, read ? Classify(int(request.dwXpos), centreX[id]) : 0);
  Put(dy, read ? Classify(int(request.dwYpos), centreY[id]) : 0);
}

int GetJoyKeypadDirection(int id) {
  if (!Valid(id) || !Read(id, kPositionFlags)) return 5;
  static const int keypad[3][3] = {{7, 8, 9}, {4, 5, 6}, {1, 2, 3}};
  int dx = Classify(int(request.dwXpos), centreX[id]);
  int dy = Classify(int(request.dwYpos), centreY[id]);
  return keypad[dy + 1][dx + 1];
}

void GetJoyPosition(int id, int* x, int* y) {
  bool read = Valid(id) && Read(id, kPositionFlags);
  Put(x, read ? int(request.dwXpos) : 0);
  Put(y, read ? int(request.dwYpos) : 0);
}

void GetJoyAnalog(int id, int* ax, int* ay) {
  if (!Valid(id) || !Read(id, kPositionFlags)) {
    Put(ax, 0);
    Put(ay, 0);
    return;
  }
  JoystickRecord& record = joysticks[id];
  int dirX = Classify(int(request.dwXpos), centreX[id]);
  int dirY = Classify(int(request.dwYpos), centreY[id]);
  record.analogX = NextAnalog(record.analogX, dirX, record.axisRate);
  record.analogY = NextAnalog(record.analogY, dirY, record.axisRate);
  Put(ax, int(record.analogX));
  Put(ay, int(record.analogY));
}

}  // namespace oxSystem
