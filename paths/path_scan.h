// Reading a path text character by character (base/code_page.h): where its segments begin and
// end, and which volume it lies on. "/" and "\" are the two separators; the second byte of a
// double-byte character is never one. Platform-free; nothing touches the file system.
#pragma once

#include <stddef.h>

inline int IsPathSeparator(char c) { return c == '/' || c == '\\'; }

// The length in bytes of the segment that starts at text: up to its first separator character,
// or to the terminator.
size_t SegmentLength(const char* text);

// Where the last segment of text[0..length) starts: just after its last separator character, 0
// when it has none. A separator at the very end gives length.
size_t LastSegmentStart(const char* text, size_t length);

// The length of text[0..length) without the separator characters at its end (0 when it holds
// nothing else).
size_t LengthWithoutTrailingSeparators(const char* text, size_t length);

// The length of the volume part of a normalised path (forward slashes): 3 for a drive letter,
// ":" and "/" ("C:/"), the length of "//server/share/" for a share (both names present), 0 for
// anything else.
size_t VolumePrefixLength(const char* path);
