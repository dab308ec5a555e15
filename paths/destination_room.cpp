#include "paths/destination_room.h"

#include <stddef.h>
#include <string.h>

#include "base/code_page.h"
#include "base/manifest.h"
#include "base/path_scan.h"
#include "base/text_characters.h"
#include "paths/path_text.h"

const char kDestinationTooLong[] = "Destination path is too long";
const char kDestinationNotValid[] = "Destination path is not valid";

const char* JudgeDestination(const char* fieldText, int fieldCharacters, int exact,
                             char* destination) {
  if (fieldCharacters > kPathMaxLength) return kDestinationTooLong;
  if (!exact) return kDestinationNotValid;
  // Double-byte characters may take more bytes than a path holds.
  if (!CopyText(destination, kPathBufferSize, fieldText) ||
      !NormalizePath(destination, destination, 0)) {
    return kDestinationTooLong;
  }
  // A folder Windows would create under that very name, as typed and as normalised.
  if (!TypedDestinationIsSound(fieldText) || !DestinationIsSound(destination))
    return kDestinationNotValid;
  // Every installed path is the destination plus a relative name.
  return DestinationLeavesRoom(destination) ? nullptr : kDestinationTooLong;
}

int DestinationLeavesRoom(const char* destinationDirectory) {
  size_t length = 0;
  while (length < kPathBufferSize && destinationDirectory[length] != '\0') ++length;
  size_t longest = static_cast<size_t>(LongestInstalledRelativeName());
  return length + longest <= kPathMaxLength;
}

namespace {

// Characters that Windows refuses in a file or folder name (the separators aside).
int IsForbiddenInName(char c) {
  return static_cast<unsigned char>(c) < 0x20 || strchr("<>\"|?*:", c) != nullptr;
}

// A name that Windows takes for a device wherever it stands in a path: CON, PRN, AUX, NUL,
// CONIN$, CONOUT$, and COM and LPT followed by a digit or by a superscript one, two or three of
// the code page in use, in any letter case, also followed by blanks or by a "." and anything.
// at[0..length) is one segment. Matching bytes are plain ASCII up to the digit, so no second byte
// is ever taken for a letter.
int IsDeviceName(const char* at, size_t length) {
  size_t base = 0;
  while (base < length && at[base] != '.') ++base;
  while (base > 0 && at[base - 1] == ' ') --base;
  if (base < 3 || base > 7) return 0;
  char name[8] = {};
  for (size_t i = 0; i < base; ++i) name[i] = LowerAscii(at[i]);
  static const char kNames[] = "con\0prn\0aux\0nul\0conin$\0conout$\0";
  for (const char* known = kNames; *known; known += strlen(known) + 1) {
    if (strcmp(name, known) == 0) return 1;
  }
  if (strncmp(name, "com", 3) != 0 && strncmp(name, "lpt", 3) != 0) return 0;
  if (base == 4 && name[3] >= '0' && name[3] <= '9') return 1;
  for (const char* digit : g_SuperscriptDigits) {
    if (*digit && strlen(digit) == base - 3 && memcmp(digit, at + 3, base - 3) == 0) return 1;
  }
  return 0;
}

// Windows drops a trailing "." or blank (neither is ever the second byte of a character), and it
// takes a device name for the device: such a segment names another folder than the one typed.
int SegmentNamesItself(const char* at, size_t length) {
  return length > 0 && at[length - 1] != '.' && at[length - 1] != ' ' && !IsDeviceName(at, length);
}

// A segment (at[0..length)) that names a folder Windows creates under that very name. Read by
// characters: a second byte 0x7C is no "|".
int SegmentIsSound(const char* at, size_t length) {
  if (!SegmentNamesItself(at, length)) return 0;
  for (size_t i = 0; i < length; i += CharacterLength(at + i)) {
    if (IsForbiddenInName(at[i])) return 0;
  }
  return 1;
}

}  // namespace

int DestinationIsSound(const char* destinationDirectory) {
  const char* at = destinationDirectory;
  const size_t volume = VolumePrefixLength(at);
  // A drive's or a share's root is no folder of its own to install into.
  if (volume == 0 || at[volume] == '\0') return 0;
  // A share's server and share names are checked with the other segments.
  at += at[0] == '/' ? 2 : 3;
  while (*at) {
    const size_t length = SegmentLength(at);
    if (!SegmentIsSound(at, length)) return 0;
    at += length;
    if (*at == '/') ++at;
  }
  return 1;
}

int TypedDestinationIsSound(const char* fieldText) {
  for (const char* at = fieldText;;) {
    const size_t length = SegmentLength(at);
    const int parent =
        (length == 1 && at[0] == '.') || (length == 2 && at[0] == '.' && at[1] == '.');
    if (length > 0 && !parent && !SegmentNamesItself(at, length)) return 0;
    at += length;
    if (*at == '\0') return 1;
    ++at;
  }
}
