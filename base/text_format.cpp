#include "base/text_format.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "base/code_page.h"

int FormatText(char* out, size_t size, const char* format, ...) {
  if (size == 0) return 0;
  va_list args;
  va_start(args, format);
  // A cut text ends before the character that does not fit whole, as CopyText's does; the
  // formatters cut by bytes.
#if defined(_WIN32)
  // msvcrt's own formatter keeps the executable small; it fills the whole buffer and leaves it
  // unterminated when the text does not fit, so the last character can still be told whole.
  int length = _vsnprintf(out, size, format, args);
  int fits = length >= 0 && static_cast<size_t>(length) < size;
  if (!fits) out[WholeCharactersLength(out, size - 1)] = '\0';
#else
  // Here the cut text is terminated: a lead byte left last has lost its second byte.
  int length = vsnprintf(out, size, format, args);
  int fits = length >= 0 && static_cast<size_t>(length) < size;
  size_t kept = 0, last = 0;
  for (; !fits && out[kept] != '\0'; kept += CharacterLength(out + kept)) last = kept;
  if (kept == last + 1 && IsLeadByte(out[last])) out[last] = '\0';
#endif
  va_end(args);
  return fits;
}

int CopyText(char* out, size_t size, const char* text) {
  return CopyTextPart(out, size, text, strlen(text));
}

int CopyTextPart(char* out, size_t size, const char* text, size_t length) {
  if (size == 0) return 0;
  int fits = length < size;
  // A cut text ends before the character that does not fit whole.
  size_t count = fits ? length : WholeCharactersLength(text, size - 1);
  memmove(out, text, count);
  out[count] = '\0';
  return fits;
}
