// The two kinds of blank the programs' texts know, side by side so that neither is taken for the
// other.
#pragma once

// A blank within a line: a space or a tab (the book list's fields, the uninstaller's arguments).
inline int IsBlankOrTab(char c) { return c == ' ' || c == '\t'; }

// The letter in lower case where c is an ASCII capital, every other byte as it is: the one case
// helper of the names the programs compare (device names, the maker's folder, switches).
inline char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// What ends the program name of a command line, as the C runtime cuts it for WinMain: a space or
// any control character. Bytes above 127 never are.
inline int IsArgumentBreak(char c) { return static_cast<unsigned char>(c) <= ' '; }
