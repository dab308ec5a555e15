// The lead bytes of the ANSI code page, so that text is scanned by characters: in the double-byte
// code pages (932, 936, 949, 950) a lead byte and the byte after it form one character, and that
// second byte may be 0x5C ("\"), 0x7C ("|") or a letter. Platform-free: the Win32 programs fill
// the table once at their start (base/code_page_win.h); all zero, the default, is a single-byte
// code page. Beside them, the bytes of the superscript digits, which Windows reads in device
// names.
#pragma once

#include <stddef.h>

// Nonzero for every lead byte of the code page in use.
extern unsigned char g_LeadBytes[256];

// The superscript digits one, two and three (U+00B9, U+00B2, U+00B3) as the code page in use
// writes them: one or two bytes each and a terminator, empty where the code page has no such
// character (B9, B2, B3 in 1252). Windows takes COM and LPT followed by one of them for a device.
// The installer fills them at its start; empty, the default, is a code page without them.
extern char g_SuperscriptDigits[3][3];

// Fills g_LeadBytes from pairs of first and last lead byte (ranges[0..size), as the system's
// code page information gives them); a pair of zeros ends the list. Every other byte stops being
// a lead byte.
void SetLeadByteRanges(const unsigned char* ranges, size_t size);

inline int IsLeadByte(char c) { return g_LeadBytes[static_cast<unsigned char>(c)]; }

// The length in bytes (1 or 2) of the character at text (not the terminator). A lead byte pairs
// only with a byte from 0x40 up, as every second byte of those code pages is; so a terminator, a
// separator "/", a quote, ":", "." or a blank after a lone lead byte is always itself.
inline size_t CharacterLength(const char* text) {
  return IsLeadByte(text[0]) && static_cast<unsigned char>(text[1]) >= 0x40 ? 2 : 1;
}

// The longest length up to limit at which text (terminated, or at least limit bytes long) can
// be cut without splitting a character.
size_t WholeCharactersLength(const char* text, size_t limit);
