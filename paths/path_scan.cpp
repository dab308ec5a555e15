#include "paths/path_scan.h"

#include "base/code_page.h"

size_t SegmentLength(const char* text) {
  size_t length = 0;
  while (text[length] != '\0' && !IsPathSeparator(text[length]))
    length += CharacterLength(text + length);
  return length;
}

// Both scans run forwards: only from the start is it known which bytes are second bytes.
size_t LastSegmentStart(const char* text, size_t length) {
  size_t start = 0;
  for (size_t i = 0; i < length; i += CharacterLength(text + i)) {
    if (IsPathSeparator(text[i])) start = i + 1;
  }
  return start;
}

size_t LengthWithoutTrailingSeparators(const char* text, size_t length) {
  size_t kept = 0;
  for (size_t i = 0; i < length;) {
    const size_t next = i + CharacterLength(text + i);
    if (!IsPathSeparator(text[i])) kept = next < length ? next : length;
    i = next;
  }
  return kept;
}

size_t VolumePrefixLength(const char* path) {
  const unsigned char letter = static_cast<unsigned char>((path[0] | 0x20) - 'a');
  if (letter < 26 && path[1] == ':' && path[2] == '/') return 3;
  if (path[0] != '/' || path[1] != '/') return 0;
  // The server's name and the share's, each non-empty and ended by "/" (never a second byte).
  size_t length = 2;
  for (int name = 0; name < 2; ++name) {
    const size_t start = length;
    while (path[length] != '\0' && path[length] != '/') ++length;
    if (length == start || path[length] != '/') return 0;
    ++length;
  }
  return length;
}
