// The subset of the Windows API this program calls, with the SDK's names, types and values.
#pragma once
#include "windef.h"
#include "winbase.h"
#include "wingdi.h"
#include "winuser.h"
#include "mmsystem.h"
