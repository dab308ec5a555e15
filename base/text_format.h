// Bounded text formatting into caller-owned fixed buffers.
#pragma once

#include <stddef.h>

enum {
  // Size of every path buffer: at most 259 characters and the terminator (the platform's path
  // limit).
  kPathBufferSize = 260,
  // Size of every message text buffer (the text of a message box, with its terminator).
  kMessageTextSize = 1024
};

// Formats like printf into out[0..size-1]. The result is always zero-terminated, also when it is
// cut (never inside a double-byte character); nothing is written beyond size bytes. Returns 1 when
// the whole text fitted, 0 when it was cut (or size is 0).
int FormatText(char* out, size_t size, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;

// Copies text into out[0..size-1], cutting it if needed (never inside a double-byte character);
// always terminates when size > 0.
// Returns 1 when the whole text fitted, 0 when it was cut.
int CopyText(char* out, size_t size, const char* text);

// CopyText of the part text[0..length) of a text (which may lie in out itself).
int CopyTextPart(char* out, size_t size, const char* text, size_t length);
