#include "paths/path_text.h"

#include <string.h>

#include "base/code_page.h"
#include "base/path_scan.h"

namespace {

const size_t kWorkLimit = kPathWorkSize - 1;

// Position of the first "../" at position 1 or later, or 0 when there is none.
size_t FindParentRef(const char* path) {
  for (size_t i = 1; path[i] != '\0'; ++i) {
    if (path[i] == '.' && path[i + 1] == '.' && path[i + 2] == '/') return i;
  }
  return 0;
}

}  // namespace

void CollapseParentRefs(char* path) {
  while (path[0] != '\0') {
    size_t found = FindParentRef(path);
    if (found == 0) return;
    // The segment in front of "../" starts after the nearest "/" before it (the character
    // directly before "../" is not examined); a "/" at position 0 goes with the segment.
    // Deliberate: a drive "C:" is a segment like any other, so "C:/../x/" collapses to "x/".
    size_t start = 0;
    if (found > 1) {
      for (size_t j = found - 1; j-- > 0;) {
        if (path[j] == '/') {
          start = j == 0 ? 0 : j + 1;
          break;
        }
      }
    }
    // A parent reference that follows another one is left alone, and so is the rest.
    if (path[start] == '.' && path[start + 1] == '.' && path[start + 2] == '/') return;
    const char* rest = path + found + 3;
    memmove(path + start, rest, strlen(rest) + 1);
  }
}

int NormalizePath(char* out, const char* in, int fileForm) {
  char work[kPathWorkSize];
  size_t length = 0;
  int complete = 1;
  // Character by character, so that a second byte 0x5C stays what it is. "/" is never a second
  // byte, so the bytes before length can be looked at backwards for it.
  for (size_t i = 0; in[i] != '\0';) {
    const size_t size = CharacterLength(in + i);
    const char c = in[i] == '\\' ? '/' : in[i];
    // The first character never counts as part of a run, so a leading "//" survives.
    if (!(c == '/' && length > 1 && work[length - 1] == '/')) {
      if (length + size > kWorkLimit) {
        complete = 0;
        break;
      }
      work[length] = c;
      if (size == 2) work[length + 1] = in[i + 1];
      length += size;
    }
    i += size;
  }
  if (complete && length > 0) {
    if (!fileForm) {
      if (work[length - 1] != '/') {
        if (length == kWorkLimit) {
          complete = 0;
        } else {
          work[length++] = '/';
        }
      }
    } else {
      while (length > 0 && work[length - 1] == '/') --length;
    }
  }
  work[length] = '\0';
  if (complete) {
    CollapseParentRefs(work);
    length = strlen(work);
  }
  return CopyTextPart(out, kPathBufferSize, work, length) && complete;
}

int SplitPath(const char* in, char* directoryOut, char* nameOut) {
  char work[kPathWorkSize];
  size_t length = 0;
  while (in[length] != '\0') {
    const size_t size = CharacterLength(in + length);
    if (length + size > kWorkLimit) break;
    memcpy(work + length, in + length, size);
    length += size;
  }
  int complete = in[length] == '\0';
  work[length] = '\0';
  // The name runs from split, the length of the directory part, to end.
  const size_t end = LengthWithoutTrailingSeparators(work, length);
  const size_t split = LastSegmentStart(work, end);
  if (nameOut && !CopyTextPart(nameOut, kPathBufferSize, work + split, end - split)) complete = 0;
  if (directoryOut && !CopyTextPart(directoryOut, kPathBufferSize, work, split)) complete = 0;
  return complete;
}
