#include "base/path_scan.h"

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

size_t FolderPartLength(const char* path, size_t length, size_t* nameStart) {
  const size_t name = LastSegmentStart(path, length);
  if (nameStart) *nameStart = name;
  return LengthWithoutTrailingSeparators(path, name);
}

size_t VolumeNameLength(const char* path) {
  const unsigned char letter = static_cast<unsigned char>((path[0] | 0x20) - 'a');
  if (letter < 26 && path[1] == ':') return 2;
  if (!IsPathSeparator(path[0]) || !IsPathSeparator(path[1])) return 0;
  // The server's name, a separator and the share's name, neither empty.
  const size_t server = SegmentLength(path + 2);
  if (server == 0 || !IsPathSeparator(path[2 + server])) return 0;
  const size_t share = SegmentLength(path + 3 + server);
  return share == 0 ? 0 : 3 + server + share;
}

size_t VolumePrefixLength(const char* path) {
  const size_t name = VolumeNameLength(path);
  return name > 0 && IsPathSeparator(path[name]) ? name + 1 : 0;
}

int IsVolumeRoot(const char* path, size_t length) {
  const size_t name = VolumeNameLength(path);
  return name > 0 && name <= length && LengthWithoutTrailingSeparators(path, length) == name;
}

void UseBackslashes(char* text) {
  for (; *text != '\0'; ++text) {
    if (*text == '/') *text = '\\';
  }
}
