#include "paths/chooser_text.h"

#include <string.h>

#include "base/code_page.h"
#include "paths/path_scan.h"
#include "paths/path_text.h"

int ComputeInitialFolder(char* out, const char* in) {
  const size_t drive = in[0] != '\0' && in[1] == ':' ? 2 : 0;
  size_t length = LastSegmentStart(in, strlen(in));
  if (length < drive) length = drive;
  int whole = length <= kPathMaxLength;
  if (!whole) length = WholeCharactersLength(in, kPathMaxLength);
  memmove(out, in, length);
  out[length] = '\0';
  return whole;
}

int ComposeChosenPath(char* out, const char* chosen) {
  // Only a separator character ends the text; a second byte 0x5C is no trailing "\".
  const size_t length = strlen(chosen);
  const int endsInBackslash =
      LengthWithoutTrailingSeparators(chosen, length) < length && chosen[length - 1] == '\\';
  const char* pattern = endsInBackslash ? "*.*" : "\\*.*";
  size_t patternLength = strlen(pattern);
  if (length + patternLength > kPathMaxLength) return 0;
  memmove(out, chosen, length);
  memcpy(out + length, pattern, patternLength + 1);
  return 1;
}
