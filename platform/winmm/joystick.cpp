// WINMM: the joystick, read from the host's pads at the moment it is asked.
#include "../host/host.h"
#include "windows.h"

namespace {

// The identifiers the joystick interface accepts, as on Windows.
constexpr UINT kJoystickIds = 16;
constexpr DWORD kRest = 32767;
// Positions this close to the rest read as the rest when a dead zone is asked for, so that a stick
// left alone reads the same every time.
constexpr DWORD kDeadZone = 2048;

DWORD DeadZone(DWORD position) {
  DWORD distance = position > kRest ? position - kRest : kRest - position;
  return distance < kDeadZone ? kRest : position;
}

DWORD PressedCount(DWORD buttons) {
  DWORD n = 0;
  for (; buttons; buttons &= buttons - 1) ++n;
  return n;
}

}  // namespace

extern "C" MMRESULT WINAPI joyGetPosEx(UINT uJoyID, LPJOYINFOEX pji) {
  if (!pji || pji->dwSize != sizeof(JOYINFOEX)) return MMSYSERR_INVALPARAM;
  if (uJoyID >= kJoystickIds) return JOYERR_PARMS;
  host::Host& h = host::Current();
  if (h.ShouldFail("joyGetPosEx")) return MMSYSERR_NODRIVER;
  host::JoyReading r = h.Joystick(int(uJoyID));
  if (!r.connected) return JOYERR_UNPLUGGED;

  DWORD flags = pji->dwFlags;
  bool dead = (flags & JOY_USEDEADZONE) != 0;
  if (flags & JOY_RETURNX) pji->dwXpos = dead ? DeadZone(r.x) : r.x;
  if (flags & JOY_RETURNY) pji->dwYpos = dead ? DeadZone(r.y) : r.y;
  // The hosts report one stick; the other axes rest.
  if (flags & JOY_RETURNZ) pji->dwZpos = kRest;
  if (flags & JOY_RETURNR) pji->dwRpos = kRest;
  if (flags & JOY_RETURNU) pji->dwUpos = kRest;
  if (flags & JOY_RETURNV) pji->dwVpos = kRest;
  // The d-pad already steers through X and Y, so the point-of-view hat stays centred.
  if (flags & JOY_RETURNPOV) pji->dwPOV = JOY_POVCENTERED;
  if (flags & JOY_RETURNBUTTONS) {
    pji->dwButtons = r.buttons;
    pji->dwButtonNumber = PressedCount(r.buttons);
  }
  return JOYERR_NOERROR;
}

// Windows re-reads its joystick configuration here. Pads are found as they are plugged in, so there is
// nothing to reload; the flags are reserved and must be 0.
extern "C" MMRESULT WINAPI joyConfigChanged(DWORD dwFlags) {
  if (dwFlags != 0) return JOYERR_PARMS;
  host::Current().Log("joyConfigChanged");
  return JOYERR_NOERROR;
}
