#include "paths/chooser_text.h"

#include <string.h>

#include "base/code_page.h"
#include "paths/path_text.h"

int ComputeInitialFolder(char* out, const char* in) {
  size_t drive = in[0] != '\0' && in[1] == ':' ? 2 : 0;
  size_t length = drive;
  for (size_t i = drive; in[i] != '\0'; i += CharacterLength(in + i)) {
    if (in[i] == '\\' || in[i] == '/') length = i + 1;
  }
  int whole = length <= kPathMaxLength;
  if (!whole) length = WholeCharactersLength(in, kPathMaxLength);
  memmove(out, in, length);
  out[length] = '\0';
  return whole;
}

int ComposeChosenPath(char* out, const char* chosen) {
  // The last character, found forwards: a second byte 0x5C is no trailing "\".
  size_t length = 0, last = 0;
  while (chosen[length] != '\0') {
    last = length;
    length += CharacterLength(chosen + length);
  }
  const char* pattern = length > 0 && chosen[last] == '\\' ? "*.*" : "\\*.*";
  size_t patternLength = strlen(pattern);
  if (length + patternLength > kPathMaxLength) return 0;
  memmove(out, chosen, length);
  memcpy(out + length, pattern, patternLength + 1);
  return 1;
}
