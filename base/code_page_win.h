// Takes the lead bytes of the ANSI code page from the system; each program calls this once at its
// start, before it handles any path text.
#pragma once

#include <windows.h>

#include "base/code_page.h"

inline void UseAnsiCodePageLeadBytes() {
  CPINFO info;
  if (GetCPInfo(CP_ACP, &info)) SetLeadByteRanges(info.LeadByte, sizeof info.LeadByte);
}
