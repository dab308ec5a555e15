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

// The folder part of path[0..length) (ending at a terminator, a quote or a blank, or at its
// end): everything before its last "\" or "/", without separators at its end; 0 when there is no
// separator. nameStart, when given, receives where the name after that separator starts. The
// text is read by characters (base/code_page.h), as every text here is.
size_t FolderPartLength(const char* path, size_t length, size_t* nameStart);

// The length of the volume's name at the start of path: 2 for a drive letter and ":" ("C:"), the
// length of "\\server\share" for a share (both names present, either separator), 0 for anything
// else.
size_t VolumeNameLength(const char* path);

// The length of the volume part of path: its volume name and the separator after it ("C:/",
// "//server/share/"), 0 when there is none.
size_t VolumePrefixLength(const char* path);

// Whether path[0..length) is a volume's root itself: a drive ("C:") or a share
// ("\\server\share"), with or without separators after it.
int IsVolumeRoot(const char* path, size_t length);

// Turns every "/" of text into "\", the form Windows shows ("/" is never a second byte).
void UseBackslashes(char* text);
