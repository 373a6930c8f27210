// The base of the COM interfaces the program uses: reference counting, where Release frees.
#pragma once
#include "windef.h"

struct IUnknown {
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  virtual ~IUnknown() = default;
};
