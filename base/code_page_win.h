// Takes the lead bytes of the ANSI code page from the system; each program calls this once at its
// start, before it handles any path text. The installer also takes the superscript digits.
#pragma once

#include <windows.h>

#include "base/code_page.h"

inline void UseAnsiCodePageLeadBytes() {
  CPINFO info;
  if (GetCPInfo(CP_ACP, &info)) SetLeadByteRanges(info.LeadByte, sizeof info.LeadByte);
}

// Fills g_SuperscriptDigits. A digit counts only when its bytes convert back to it: a code page
// without it gives a look-alike ("2") or its default character instead.
inline void UseAnsiCodePageSuperscriptDigits() {
  static const WCHAR kDigits[3] = {0x00B9, 0x00B2, 0x00B3};
  for (int i = 0; i < 3; ++i) {
    char* bytes = g_SuperscriptDigits[i];
    int length = WideCharToMultiByte(CP_ACP, 0, &kDigits[i], 1, bytes, 2, nullptr, nullptr);
    WCHAR back = 0;
    if (length <= 0 || MultiByteToWideChar(CP_ACP, 0, bytes, length, &back, 1) != 1 ||
        back != kDigits[i])
      length = 0;
    bytes[length] = '\0';
  }
}
