#include "paths/chooser_text.h"

#include <string.h>

#include "paths/path_text.h"

int ComputeInitialFolder(char* out, const char* in) {
  size_t drive = in[0] != '\0' && in[1] == ':' ? 2 : 0;
  size_t length = drive;
  for (size_t i = drive; in[i] != '\0'; ++i) {
    if (in[i] == '\\' || in[i] == '/') length = i + 1;
  }
  int whole = length <= kPathMaxLength;
  if (!whole) length = kPathMaxLength;
  memmove(out, in, length);
  out[length] = '\0';
  return whole;
}

int ComposeChosenPath(char* out, const char* chosen) {
  size_t length = strlen(chosen);
  const char* pattern = length > 0 && chosen[length - 1] == '\\' ? "*.*" : "\\*.*";
  size_t patternLength = strlen(pattern);
  if (length + patternLength > kPathMaxLength) return 0;
  memmove(out, chosen, length);
  memcpy(out + length, pattern, patternLength + 1);
  return 1;
}
