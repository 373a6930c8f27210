// The input method editor switch.
#pragma once
#include "windef.h"

extern "C" BOOL WINAPI WINNLSEnableIME(HWND window, BOOL enable);
