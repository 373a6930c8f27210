// WINMM: the MCI string interface.
#include "windows.h"

extern "C" MCIERROR WINAPI mciSendStringA(LPCSTR, LPSTR returnString, UINT returnLength, HWND) {
  if (returnString && returnLength) returnString[0] = '\0';
  return MCIERR_CANNOT_LOAD_DRIVER;
}
