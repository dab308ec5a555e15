#include "paths/chooser_text.h"

#include <string.h>

#include "base/code_page.h"
#include "base/path_scan.h"
#include "paths/path_text.h"

int ComputeInitialFolder(char* out, const char* in) {
  const size_t volume = VolumeNameLength(in);
  const size_t length = LastSegmentStart(in, strlen(in));
  return CopyTextPart(out, kPathBufferSize, in, length < volume ? volume : length);
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
